// Every table of every corpus file, exported by our engine and by mdbtools'
// mdb-export, compared value by value. mdb-export is a second opinion with
// known faults; each tolerated difference below is named, explained, and our
// value is checked another way where that is possible.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

#include "jet/header.h"
#include "jet/row_locator.h"
#include "jet/table_def.h"
#include "jet/table_scan.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "tests/support/temp_dir.h"

namespace jet {
namespace {

namespace fs = std::filesystem;
using tarnquill::testing::HaveMdbTools;
using tarnquill::testing::Quote;
using tarnquill::testing::RunCommand;
using testing::CorpusFiles;

using Field = tarnquill::testing::CsvCell;
using Row = std::vector<Field>;
using tarnquill::testing::ParseCsv;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string TrimDecimal(std::string s) {
  if (s.find('.') != std::string::npos) {
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

bool NearlyEqual(const std::string& a, const std::string& b, double rel) {
  char* ea;
  char* eb;
  double x = std::strtod(a.c_str(), &ea);
  double y = std::strtod(b.c_str(), &eb);
  if (*ea || *eb || a.empty() || b.empty()) return false;
  return std::fabs(x - y) <= rel * std::max({1e-300, std::fabs(x), std::fabs(y)});
}

// With `astral`, every character outside the Basic Multilingual Plane
// replaced by "??"; without, the C1 controls that Jet 3 text keeps for the
// holes of code page 1252 (U+0081, U+008D, U+008F, U+0090, U+009D) by "?".
std::string AsQuestionMarks(const std::string& s, bool astral) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (astral && (c & 0xF8) == 0xF0 && i + 4 <= s.size()) {
      out += "??";
      i += 4;
    } else if (!astral && c == 0xC2 && i + 1 < s.size() &&
               (static_cast<unsigned char>(s[i + 1]) & 0xE0) == 0x80) {
      out.push_back('?');
      i += 2;
    } else {
      out.push_back(s[i++]);
    }
  }
  return out;
}

std::string HexToText(const std::string& hex) {
  std::string out;
  if (hex.size() % 2 != 0) return "";
  for (size_t i = 0; i < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::string Strip(std::string s, char c) {
  s.erase(std::remove(s.begin(), s.end(), c), s.end());
  return s;
}

// Our date text recomputed from the stored number through the C library's
// calendar, independently of our own formatting code.
std::string LibcDate(double days) {
  double secs = std::round((days - 25569.0) * 86400.0);
  if (days < 0) {  // negative dates count the time of day forward from the day
    double whole = std::trunc(days);
    secs = (whole - 25569.0) * 86400.0 + std::round((whole - days) * 86400.0);
  }
  time_t t = static_cast<time_t>(secs);
  struct tm tm {};
  gmtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  return buf;
}

// Why `ours` and `theirs` may differ, or "" when they must be equal and are not.
// Returns "same" when they agree.
// Numbers in either format: the other readers print more digits than we do
// (mdb-export 16 for doubles, we 15), and decimals with trailing zeros.
std::string JudgeNumber(ColumnType type, const Field& ours, const Field& theirs) {
  if (type == ColumnType::kSingle) return NearlyEqual(ours.text, theirs.text, 1e-6) ? "same" : "";
  if (type == ColumnType::kDouble) return NearlyEqual(ours.text, theirs.text, 1e-14) ? "same" : "";
  return TrimDecimal(ours.text) == TrimDecimal(theirs.text) ? "same" : "";
}

std::string Judge(const ColumnDef& col, const Value& value, const Field& ours,
                  const Field& theirs) {
  if (ours.text == theirs.text && ours.quoted == theirs.quoted) return "same";
  bool textual = col.type == ColumnType::kText || col.type == ColumnType::kMemo;
  // mdb-export quotes dates too; only the quoting of text tells empty from NULL.
  if (!textual && ours.text == theirs.text) return "same";
  switch (col.type) {
    case ColumnType::kText:
    case ColumnType::kMemo:
      if (ours.quoted && ours.text.empty() && !theirs.quoted && theirs.text.empty()) {
        return "mdb-export prints an empty text like NULL";
      }
      if (ours.quoted && theirs.quoted && AsQuestionMarks(ours.text, true) == theirs.text) {
        return "mdb-export turns characters outside the BMP into ??";
      }
      if (ours.quoted && theirs.quoted && AsQuestionMarks(ours.text, false) == theirs.text) {
        return "mdb-export prints ? for the undefined 1252 bytes (Windows maps them to C1 "
               "controls)";
      }
      return "";
    case ColumnType::kSingle:
    case ColumnType::kDouble:
    case ColumnType::kCurrency:
    case ColumnType::kNumeric:
      return JudgeNumber(col.type, ours, theirs);
    case ColumnType::kDateTime: {
      double days = std::get<DateTime>(value).days;
      if (days < 2 || days >= 2958465) {
        // mdb-export gets dates before 1900 and on 9999-12-31 wrong; check ours with libc.
        return LibcDate(days) == ours.text ? "mdb-export misprints dates before 1900 and 9999-12-31"
                                           : "";
      }
      return "";
    }
    case ColumnType::kBinary:
    case ColumnType::kOle: {
      std::string t = Lower(theirs.text);
      if (t == ours.text) return "same";
      if (t.size() < ours.text.size() && ours.text.compare(0, t.size(), t) == 0 &&
          t.size() % 2 == 0 && ours.text.compare(t.size(), 2, "00") == 0) {
        return "mdb-export stops binary values at the first zero byte";
      }
      return "";
    }
    case ColumnType::kGuid:
      if (Strip(HexToText(theirs.text), '-') == Strip(ours.text, '-')) {
        return "mdb-export -b hex prints GUIDs as the hex of their text, missing a dash";
      }
      if (Strip(Strip(theirs.text, '-'), '"') == Strip(ours.text, '-')) {
        return "mdb-export drops a dash from GUIDs";
      }
      return "";
    default:
      return "";
  }
}

bool HasMovedRows(const std::vector<uint8_t>& image, const TableDef& def) {
  MemoryByteSource src(image, "copy");
  std::vector<uint8_t> raw(image.begin(), image.begin() + kHeaderReadSize);
  auto header = ParseHeader(raw, "copy");
  if (!header.ok()) return false;
  PageStore store(&src, *header->format, header->database_key);
  TextDecoder text(header->format->text_utf16, header->code_page);
  auto scan = TableScan::Open(&store, &text, def);
  if (!scan.ok()) return false;
  while ((*scan)->Next().value()) {
    RowId id = (*scan)->id();
    auto row = LocateRow(store, id.page, id.slot);
    if (row.ok() && row->lookup()) return true;
  }
  return false;
}

// mdb-export's CSV of `table` in `path`, dates to the second, binary as hex.
std::string MdbExport(const std::string& path, const std::string& table) {
  return RunCommand("mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex " +
                    Quote(path) + " " + Quote(table) + " 2>/dev/null");
}

// Why our cell (row r, column c) and another reader's may differ: "same"
// when they agree, "" when they must not differ (see Judge).
using CellJudge = std::function<std::string(size_t r, size_t c, const Field& theirs)>;

// Our rows of `def` against another reader's (without its header), in
// order; when they differ there, as a set, which only a table with moved
// rows allows (Access lists a moved row at its original slot, mdb-export
// where its data lies). Tolerated differences are counted by their reason.
void CompareRows(const TableDef& def, const std::vector<Row>& ours, const std::vector<Row>& theirs,
                 const CellJudge& judge, const std::function<bool()>& moved,
                 const std::string& reader, std::map<std::string, int>* tolerated) {
  ASSERT_EQ(ours.size(), theirs.size()) << "row counts differ";
  // Our row `r` against their row `other`; the reasons of tolerated
  // differences are counted when `record`, the first real one kept.
  std::string mismatch;
  auto agree = [&](size_t r, const Row& other, bool record) {
    if (other.size() != def.columns.size()) return false;
    for (size_t c = 0; c < other.size(); ++c) {
      const std::string why = judge(r, c, other[c]);
      if (why.empty()) {
        mismatch = "row " + std::to_string(r) + " column " + def.columns[c].name + ": ours [" +
                   ours[r][c].text.substr(0, 200) + "] " + reader + " [" +
                   other[c].text.substr(0, 200) + "]";
        return false;
      }
      if (record && why != "same") ++(*tolerated)[why];
    }
    return true;
  };
  size_t first_bad = ours.size();
  for (size_t r = 0; r < ours.size() && first_bad == ours.size(); ++r) {
    if (!agree(r, theirs[r], false)) first_bad = r;
  }
  if (first_bad == ours.size()) {
    for (size_t r = 0; r < ours.size(); ++r) agree(r, theirs[r], true);
    return;
  }
  ASSERT_TRUE(moved()) << "row " << first_bad
                       << " differs and the table has no moved rows: " << mismatch;
  std::vector<bool> used(theirs.size());
  for (size_t r = 0; r < ours.size(); ++r) {
    bool found = false;
    for (size_t k = 0; k < theirs.size() && !found; ++k) {
      if (!used[k] && agree(r, theirs[k], true)) used[k] = found = true;
    }
    EXPECT_TRUE(found) << "our row " << r << " has no equal in " << reader << "'s output";
  }
  ++(*tolerated)["mdb-export lists moved rows where their data lies (compared as a set)"];
}

class ConformanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveCorpus()) GTEST_SKIP() << "no corpus at " << testing::CorpusDir();
    if (!HaveMdbTools()) GTEST_SKIP() << "mdb-export (mdbtools) is not installed";
  }
  // Opens a copy of corpus file `rel` (at copy_) and lists its tables.
  void Open(const std::string& rel) {
    copy_ = dir_.File(fs::path(rel).filename().string());
    fs::copy_file(testing::CorpusDir() / rel, copy_, fs::copy_options::overwrite_existing);
    OpenOptions options;
    options.password = "password";
    ASSERT_OK_AND_ASSIGN(auto db, Database::Open(copy_, options));
    db_ = std::move(db);
    ASSERT_OK_AND_ASSIGN(auto tables, db_->ListTables());
    tables_ = tables;
  }
  // Reads table `name` of the open copy: its definition into def_, its rows
  // as our export prints them (text and whether CSV quotes it) into ours_
  // and as values into values_.
  void Scan(const std::string& name) {
    ASSERT_OK_AND_ASSIGN(def_, db_->FindTable(name));
    ours_.clear();
    values_.clear();
    ASSERT_OK_AND_ASSIGN(auto cursor, db_->Scan(def_));
    for (;;) {
      ASSERT_OK_AND_ASSIGN(auto more, cursor->Next());
      if (!more) break;
      ours_.emplace_back();
      values_.emplace_back();
      for (size_t i = 0; i < def_.columns.size(); ++i) {
        ASSERT_OK_AND_ASSIGN(auto v, cursor->Get(i));
        const std::string csv = CsvField(v);
        ours_.back().push_back(Field{FormatValue(v), !csv.empty() && csv[0] == '"'});
        values_.back().push_back(std::move(v));
      }
    }
  }
  tarnquill::testing::TempDir dir_;
  std::string copy_;
  std::unique_ptr<Database> db_;
  std::vector<TableInfo> tables_;
  TableDef def_;
  std::vector<Row> ours_;
  std::vector<std::vector<Value>> values_;
};

TEST_F(ConformanceTest, EveryTableMatchesMdbExport) {
  std::map<std::string, int> tolerated;
  size_t tables_checked = 0, values_checked = 0;
  for (const std::string& rel : CorpusFiles()) {
    SCOPED_TRACE(rel);
    ASSERT_NO_FATAL_FAILURE(Open(rel));
    // The table list: mdb-tables lists the catalog where its rows' data lies.
    std::vector<std::string> ours_names, their_names;
    for (const auto& t : tables_) ours_names.push_back(t.name);
    for (const Row& r : ParseCsv(RunCommand("mdb-tables -1 " + Quote(copy_)))) {
      their_names.push_back(r[0].text);
    }
    if (ours_names != their_names) {
      std::multiset<std::string> a(ours_names.begin(), ours_names.end());
      std::multiset<std::string> b(their_names.begin(), their_names.end());
      EXPECT_EQ(a, b) << "table lists differ";
      ASSERT_OK_AND_ASSIGN(auto catalog, db_->FindTable("MSysObjects"));
      EXPECT_TRUE(HasMovedRows(testing::ReadCorpusFile(rel), catalog))
          << "table order differs but the catalog has no moved rows";
      ++tolerated["mdb-tables lists moved catalog rows where their data lies"];
    }

    for (const auto& t : tables_) {
      SCOPED_TRACE(t.name);
      ASSERT_NO_FATAL_FAILURE(Scan(t.name));
      std::vector<Row> theirs = ParseCsv(MdbExport(copy_, t.name));
      ASSERT_FALSE(theirs.empty()) << "mdb-export printed nothing";
      Row header = theirs.front();
      theirs.erase(theirs.begin());
      ASSERT_EQ(header.size(), def_.columns.size());
      for (size_t i = 0; i < header.size(); ++i) EXPECT_EQ(header[i].text, def_.columns[i].name);
      ASSERT_NO_FATAL_FAILURE(CompareRows(
          def_, ours_, theirs,
          [&](size_t r, size_t c, const Field& other) {
            return Judge(def_.columns[c], values_[r][c], ours_[r][c], other);
          },
          [&] { return HasMovedRows(testing::ReadCorpusFile(rel), def_); }, "mdb-export",
          &tolerated));
      ++tables_checked;
      values_checked += ours_.size() * def_.columns.size();
    }
    fs::remove(copy_);
  }
  EXPECT_GT(tables_checked, 100u);
  std::printf("checked %zu tables, %zu values\n", tables_checked, values_checked);
  for (const auto& [why, n] : tolerated) std::printf("  tolerated %4d x %s\n", n, why.c_str());
}

// ---- Access 2007-2019 files ----

// Why our value and another reader's (after normalising numbers and dates)
// may differ; "same" when they agree, "" when they must not differ.
std::string JudgeAce(const ColumnDef& col, const Field& ours, const Field& theirs) {
  if (ours.text == theirs.text) return "same";
  switch (col.type) {
    case ColumnType::kSingle:
    case ColumnType::kDouble:
    case ColumnType::kCurrency:
    case ColumnType::kNumeric:
      return JudgeNumber(col.type, ours, theirs);
    case ColumnType::kExtendedDateTime:
      // The other readers stop at the second; the seven decimals are ours alone.
      return ours.text.size() == 27 && ours.text.compare(0, 19, theirs.text) == 0 &&
                     ours.text[19] == '.'
                 ? "the other reader prints Date/Time Extended to the second"
                 : "";
    case ColumnType::kComplex:
      // Jackcess prints the key into the hidden table; the summaries are
      // checked against mdb-reader's attachments where it reads them.
      return std::all_of(theirs.text.begin(), theirs.text.end(), ::isdigit) && !theirs.text.empty()
                 ? "the other reader prints a complex column's key, not its items"
                 : "";
    default:
      return "";
  }
}

// mdb-export 1.0.0 cannot read these (it prints nothing or raw bytes).
bool KnownType(ColumnType t) {
  return (t >= ColumnType::kBoolean && t <= ColumnType::kMemo) || t == ColumnType::kGuid ||
         t == ColumnType::kNumeric ||
         (t >= ColumnType::kComplex && t <= ColumnType::kExtendedDateTime);
}

bool MdbExportReads(const ColumnDef& col) {
  return !col.calculated && col.type != ColumnType::kBigInt &&
         col.type != ColumnType::kExtendedDateTime && col.type != ColumnType::kComplex;
}

TEST_F(ConformanceTest, AceFilesMatchOtherReaders) {
  const bool oracle = tarnquill::testing::HaveOracle();
  const std::string modules = tarnquill::testing::MdbReaderModules();
  if (!oracle) std::printf("%s\n", tarnquill::testing::kNoOracle);
  if (modules.empty()) std::printf("encrypted files: %s\n", tarnquill::testing::kNoMdbReader);
  std::map<std::string, int> tolerated;
  size_t tables_checked = 0, values_checked = 0, encrypted_checked = 0;
  for (const std::string& rel : CorpusFiles({".accdb"})) {
    SCOPED_TRACE(rel);
    auto image = testing::ReadCorpusFile(rel);
    ASSERT_OK_AND_ASSIGN(auto header,
                         ParseHeader({image.begin(), image.begin() + kHeaderReadSize}, rel));
    const bool encrypted = header.office_key != 0;
    if (encrypted && modules.empty()) continue;
    ASSERT_NO_FATAL_FAILURE(Open(rel));
    for (const auto& t : tables_) {
      SCOPED_TRACE(t.name);
      if (t.linked) continue;  // its rows live in another file
      ASSERT_NO_FATAL_FAILURE(Scan(t.name));
      // Each reader: its rows, and whether it is judged column by column.
      struct Reader {
        std::string name;
        std::string csv;
        bool mdb_export;
      };
      std::vector<Reader> readers;
      if (encrypted) {
        readers.push_back(
            {"mdb-reader", tarnquill::testing::MdbReaderDump(copy_, t.name, "password"), false});
      } else {
        readers.push_back({"mdb-export", MdbExport(copy_, t.name), true});
        if (oracle) {
          readers.push_back({"access-oracle",
                             RunCommand(tarnquill::testing::OracleCommand() + " dump " +
                                        Quote(copy_) + " " + Quote(t.name)),
                             false});
        }
        bool complex = false;
        for (const auto& c : def_.columns) complex = complex || c.type == ColumnType::kComplex;
        if (complex && !modules.empty()) {
          readers.push_back(
              {"mdb-reader", tarnquill::testing::MdbReaderDump(copy_, t.name, ""), false});
        }
      }
      for (const Reader& reader : readers) {
        SCOPED_TRACE(reader.name);
        std::vector<Row> theirs = ParseCsv(reader.csv);
        const bool unknown = std::any_of(def_.columns.begin(), def_.columns.end(),
                                         [](const ColumnDef& c) { return !KnownType(c.type); });
        if (theirs.empty() && unknown && reader.name == "access-oracle") {
          ++tolerated["access-oracle fails on columns of unknown types"];
          continue;
        }
        if (theirs.empty() && !encrypted && reader.name == "mdb-reader") {
          // It fails on multi-value and version-history columns; attachments it reads.
          ++tolerated["mdb-reader cannot read complex columns other than attachments"];
          continue;
        }
        ASSERT_FALSE(theirs.empty()) << reader.name << " printed nothing";
        theirs.erase(theirs.begin());
        auto judge = [&](size_t r, size_t c, const Field& other) -> std::string {
          const ColumnDef& col = def_.columns[c];
          std::string why;
          if (!KnownType(col.type) && other.text.empty()) {
            why = "no other reader prints columns of unknown types (ours: their bytes)";
          } else if (reader.mdb_export && !MdbExportReads(col)) {
            why =
                "mdb-export cannot read calculated, big integer, extended date and complex "
                "columns";
          } else if (reader.mdb_export) {
            why = Judge(col, values_[r][c], ours_[r][c], other);
          } else {
            why = JudgeAce(col, ours_[r][c], other);
          }
          // mdb-reader reads attachments but gives multi-value items as their key.
          if (why.empty() && reader.name == "mdb-reader" && col.type == ColumnType::kComplex &&
              other.text.find_first_not_of("0123456789") == std::string::npos) {
            why = "mdb-reader gives only the key of multi-value items";
          }
          return why;
        };
        ASSERT_NO_FATAL_FAILURE(CompareRows(
            def_, ours_, theirs, judge,
            [&] { return reader.mdb_export && HasMovedRows(image, def_); }, reader.name,
            &tolerated));
      }
      ++tables_checked;
      values_checked += ours_.size() * def_.columns.size();
      if (encrypted) ++encrypted_checked;
    }
    fs::remove(copy_);
  }
  EXPECT_GT(tables_checked, 40u);
  if (!modules.empty()) {
    EXPECT_GE(encrypted_checked, 3u);
  }
  std::printf("checked %zu tables, %zu values (%zu encrypted tables)\n", tables_checked,
              values_checked, encrypted_checked);
  for (const auto& [why, n] : tolerated) std::printf("  tolerated %4d x %s\n", n, why.c_str());
}

}  // namespace
}  // namespace jet
