// Updates text and memo columns of every table of the real Access files
// (in memory), then reads everything back: changed cells hold their new
// values, every other cell reads as before.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "jet/index/index_writer.h"
#include "jet/value_text.h"
#include "tests/jet/corpus.h"
#include "tests/support/external_readers.h"
#include "update_test_util.h"

namespace jet::testing {
namespace {

namespace fs = std::filesystem;

std::string PasswordFor(const std::string& path) {
  return path.find("with-password") != std::string::npos ||
                 path.find("encryption_office") != std::string::npos
             ? "password"
             : "";
}

// Cuts UTF-8 `s` to at most `n` characters.
std::string Cut(const std::string& s, size_t n) {
  size_t chars = 0, i = 0;
  while (i < s.size()) {
    unsigned char c = s[i];
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (chars == n) break;
    i += len;
    ++chars;
  }
  return s.substr(0, i);
}

std::string Repeat(const std::string& piece, size_t n) {
  std::string s;
  while (s.size() < n) s += piece;
  return s;
}

// The value for update number `k` of a cell holding `old`.
Value NextValue(const ColumnDef& c, const Value& old, int k) {
  const std::string before = std::holds_alternative<std::string>(old) ? std::get<std::string>(old) : "";
  const size_t limit = c.type == ColumnType::kText ? c.max_chars : 100000;
  switch (k % 7) {
    case 0: return Value(Cut(before, before.size() / 2));
    case 1: return Value(Cut(before + "-longer扩展", limit));
    case 2: return Value(std::string());
    case 3: return Value();
    case 4: return Value(Cut("中文测试：北京市朝阳区", limit));
    case 5:
      return Value(c.type == ColumnType::kText ? Cut(Repeat("长abc", limit * 3), limit)
                                               : Repeat("很长的备注 long memo text ", 9000));
    default:
      return Value(c.type == ColumnType::kText ? Cut("Ünïcödé " + before, limit)
                                               : Repeat("page sized ", 300));
  }
}

// The pieces of `s` between the `sep` characters.
std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> pieces;
  for (size_t at = 0;;) {
    const size_t end = s.find(sep, at);
    pieces.push_back(s.substr(at, end == std::string::npos ? std::string::npos : end - at));
    if (end == std::string::npos) return pieces;
    at = end + 1;
  }
}

// The table's text and memo cells (or, with `text` false, all its other
// cells) as mdb-export prints them, one tuple per row (NULL and empty text
// both print as nothing).
std::multiset<std::vector<std::string>> ExportedText(const std::string& file, const TableDef& table,
                                                     bool* ok, bool text_cells = true) {
  using tarnquill::testing::Quote;
  int status = -1;
  const std::string all = tarnquill::testing::RunCommand(
      "mdb-export -H -Q -b strip -d \"$(printf '\\037')\" -R \"$(printf '\\036')\" " + Quote(file) +
          " " + Quote(table.name) + " 2>/dev/null",
      &status);
  *ok = status == 0;
  std::multiset<std::vector<std::string>> out;
  std::vector<std::string> rows = Split(all, '\x1e');
  if (rows.back().empty()) rows.pop_back();  // the separator ends the last row too
  for (const std::string& row : rows) {
    const std::vector<std::string> fields = Split(row, '\x1f');
    std::vector<std::string> text;
    for (size_t c = 0; c < table.columns.size() && c < fields.size(); ++c) {
      ColumnType t = table.columns[c].type;
      if (table.columns[c].calculated) continue;  // mdb-export misreads their stored form
      if ((t == ColumnType::kText || t == ColumnType::kMemo) == text_cells) {
        text.push_back(fields[c]);
      }
    }
    out.insert(text);
  }
  return out;
}

// Cells with characters the two readers print differently (control
// characters, which also collide with the export's separators, characters
// mdb-export cannot convert and prints as '?', and characters beyond the
// Basic Multilingual Plane, which it prints as "??") are left out of the
// comparison.
bool Comparable(const std::string& s, bool theirs) {
  for (size_t i = 0; i < s.size(); ++i) {
    unsigned char c = s[i];
    if (c < 0x20 || (theirs && c == '?') || (!theirs && c >= 0xF0)) return false;
    if (c == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0) return false;
    if (s.compare(i, 3, "\xEF\xBF\xBD") == 0) return false;
  }
  return true;
}

void DropIncomparable(std::multiset<std::vector<std::string>>* rows, bool theirs) {
  for (auto it = rows->begin(); it != rows->end();) {
    bool ok = true;
    for (const auto& f : *it) ok = ok && Comparable(f, theirs);
    it = ok ? std::next(it) : rows->erase(it);
  }
}

std::multiset<std::vector<std::string>> OurText(const TableDef& table,
                                                const std::vector<std::vector<Value>>& rows) {
  std::multiset<std::vector<std::string>> out;
  for (const auto& row : rows) {
    std::vector<std::string> text;
    for (size_t c = 0; c < table.columns.size(); ++c) {
      ColumnType t = table.columns[c].type;
      if (t != ColumnType::kText && t != ColumnType::kMemo) continue;
      if (table.columns[c].calculated) continue;
      text.push_back(IsNull(row[c]) ? "" : std::get<std::string>(row[c]));
    }
    out.insert(text);
  }
  return out;
}

// The only multi-page Jet 4 index Access wrote in the corpus: node 29 has an
// entry for leaf 32 and leaf 33 as its tail; 32 and 33 link to each other.
// Lookups (as unique checks make them) must reach the tail.
TEST(CorpusUpdateTest, AccessIndexTreesAreReadThroughTheirTails) {
  for (const char* file :
       {"jackcess/V2000/compIndexTestV2000.mdb", "jackcess/V2003/compIndexTestV2003.mdb"}) {
    SCOPED_TRACE(file);
    const std::string path = std::string(TARNQUILL_CORPUS) + "/" + file;
    if (!fs::exists(path)) GTEST_SKIP() << path << " not found";
    auto img = WritableImage::Load(ReadFileBytes(path), path, "");
    ASSERT_TRUE(img);
    auto db = img->Reopen();
    ASSERT_TRUE(db);
    MemoryByteSource source(*img->bytes, path);
    PageStore store(&source, Jet4Format(), 0);
    PageEditor editor(&store);
    IndexWriter indexes(&editor, 0);
    auto page = [&](uint32_t n) {
      IndexPage p;
      auto v = store.Get(n);
      EXPECT_TRUE(v.ok() && ParseIndexPage(Jet4Format(), View(*v), n, &p).ok()) << "page " << n;
      return p;
    };
    const IndexPage node = page(29), left = page(32), tail = page(33);
    EXPECT_EQ(node.tail, 33u);
    ASSERT_EQ(node.entries.size(), 1u);
    EXPECT_EQ(node.entries[0].child, 32u);
    EXPECT_EQ(left.next, 33u);
    EXPECT_EQ(tail.prev, 32u);
    ASSERT_FALSE(tail.entries.empty());
    bool found = false;
    ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
    for (const TableInfo& info : tables) {
      ASSERT_OK_AND_ASSIGN(auto table, db->FindTable(info.name));
      for (const IndexDef& x : table.indexes) {
        if (x.root_page != 29) continue;
        found = true;
        // The check of every corpus file walks the tree whole; a search for a key past the node's
        // only entry has to go down the tail.
        for (const IndexEntry& e : tail.entries) {
          ASSERT_OK_AND_ASSIGN(auto other, indexes.HasOther(x, e.key, RowId{0, 0}));
          EXPECT_TRUE(other) << "an entry of leaf 33 not found by its key";
        }
      }
    }
    EXPECT_TRUE(found) << "no index rooted at page 29";
  }
}

// The fewest cells of each Jet version's corpus files that must take their
// update (263 and 1126 with the .accdb files do today), so that refusals
// cannot swallow a format.
constexpr std::pair<int, int> kMinUpdatedByVersion[] = {{3, 240}, {4, 1000}};

TEST(CorpusUpdateTest, TextAndMemoUpdatesReadBackExactly) {
  std::vector<std::string> files;
  for (const std::string& rel : CorpusFiles({".mdb", ".accdb"})) {
    files.push_back((CorpusDir() / rel).string());
  }
  if (files.empty()) GTEST_SKIP() << "corpus not found at " << TARNQUILL_CORPUS;
  int updated = 0, refused = 0, exported = 0;
  // Cells updated per Jet version: a format whose every update is refused
  // must fail here, not pass as "refused by the value".
  std::map<int, int> updated_by_version;
  // Index entries whose stored key the check reproduced, per Jet version: a
  // reader fault that skips them must not pass.
  std::map<int, size_t> entries_by_version;
  const bool mdb_export = tarnquill::testing::HaveMdbTools();
  if (!mdb_export) std::cout << "mdb-export not installed: comparing with our reader only\n";
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    auto img = WritableImage::Load(ReadFileBytes(path), path, PasswordFor(path));
    ASSERT_TRUE(img);
    // Access wrote these files: the check must find nothing wrong before we touch them.
    CheckReport untouched;
    {
      SCOPED_TRACE("before any update");
      ASSERT_NO_FATAL_FAILURE(untouched = ExpectSoundImage(*img->bytes, PasswordFor(path), path));
    }
    // Every key Access wrote is one our rules compute (the check encodes each
    // row's key and compares it with the stored entry), except in columns of
    // types Access itself does not know.
    for (const std::string& w : untouched.warnings) {
      if (w.find("keys not verified") == std::string::npos) continue;
      EXPECT_NE(w.find("columns of type Unknown"), std::string::npos) << w;
    }
    auto db = img->Reopen();
    ASSERT_TRUE(db);
    int& updated_here = updated_by_version[db->jet_version()];
    entries_by_version[db->jet_version()] += untouched.index_entries;
    ASSERT_OK_AND_ASSIGN(auto tables, db->ListTables());
    std::vector<TableDef> checked_tables;
    for (const TableInfo& info : tables) {
      if (info.linked) continue;
      SCOPED_TRACE(info.name);
      ASSERT_OK_AND_ASSIGN(auto table, db->FindTable(info.name));
      std::vector<RowId> ids;
      auto model = AllRows(*db, table, &ids);
      int k = 0;
      for (size_t col = 0; col < table.columns.size(); ++col) {
        const ColumnDef& c = table.columns[col];
        if (c.type != ColumnType::kText && c.type != ColumnType::kMemo) continue;
        for (size_t r = 0; r < ids.size() && r < 14; ++r, ++k) {
          Value v = NextValue(c, model[r][col], k + static_cast<int>(col));
          Status s = img->session->UpdateRow(table, ids[r], {{col, v}});
          if (s.ok()) {
            model[r][col] = v;
            ++updated;
            ++updated_here;
          } else {
            // Refusals are fine when they are the value's fault, never the file's.
            EXPECT_TRUE(s.code() == Status::Code::kInvalidArgument ||
                        s.code() == Status::Code::kConstraint ||
                        s.code() == Status::Code::kNotSupported)
                << s.ToString();
            EXPECT_FALSE(img->session->sink_failed());
            ++refused;
            if (getenv("SHOW_REFUSALS")) std::cout << s.ToString() << "\n";
          }
        }
      }
      auto after_db = img->Reopen();
      ASSERT_TRUE(after_db);
      checked_tables.push_back(table);
      std::vector<RowId> after_ids;
      auto after = AllRows(*after_db, table, &after_ids);
      ASSERT_EQ(after_ids.size(), ids.size());
      for (size_t r = 0; r < ids.size(); ++r) {
        EXPECT_EQ(after_ids[r], ids[r]) << "row " << r << " changed its place in the scan";
        for (size_t col = 0; col < table.columns.size(); ++col) {
          const ColumnDef& c = table.columns[col];
          if (c.fixed && c.type == ColumnType::kText && !IsNull(model[r][col])) {
            // Fixed-length text reads back padded with spaces.
            auto trimmed = [](std::string s) {
              return s.erase(s.find_last_not_of(std::string(" \0", 2)) + 1);
            };
            EXPECT_EQ(trimmed(std::get<std::string>(after[r][col])),
                      trimmed(std::get<std::string>(model[r][col])))
                << "row " << r << " column " << c.name;
            continue;
          }
          EXPECT_TRUE(after[r][col] == model[r][col])
              << "row " << r << " column " << table.columns[col].name << ": read "
              << CsvField(after[r][col]).substr(0, 80) << ", expected "
              << CsvField(model[r][col]).substr(0, 80);
        }
      }
    }
    // The whole file passes the integrity check, and the independent reader
    // sees the same text.
    ASSERT_NO_FATAL_FAILURE(ExpectSoundImage(*img->bytes, PasswordFor(path), path));
    // testIndexCodes holds every character of its code page, many of which
    // mdb-export 1.0 drops or prints as '?'; our reader covers it above.
    if (!mdb_export || !PasswordFor(path).empty() ||
        path.find("testIndexCodes") != std::string::npos) {
      continue;
    }
    // Named by process so that runs side by side never share the copy.
    std::string copy =
        ::testing::TempDir() + "/corpus_update_copy_" + std::to_string(getpid()) + ".mdb";
    ASSERT_TRUE(WriteFile(copy, *img->bytes));
    auto final_db = img->Reopen();
    ASSERT_TRUE(final_db);
    for (const TableDef& t : checked_tables) {
      bool ok = false;
      auto theirs = ExportedText(copy, t, &ok);
      if (!ok) continue;  // tables mdb-export itself cannot list
      auto ours = OurText(t, AllRows(*final_db, t));
      DropIncomparable(&theirs, true);
      DropIncomparable(&ours, false);
      std::string diff;
      for (const auto& [rows, other, who] :
           {std::tuple{&ours, &theirs, "ours"}, std::tuple{&theirs, &ours, "mdb-export"}}) {
        int shown = 0;
        for (const auto& row : *rows) {
          if (other->count(row) || shown++ > 2) continue;
          diff += std::string("\n  ") + who + " only:";
          for (const auto& f : row) diff += " [" + f.substr(0, 60) + "]";
        }
      }
      EXPECT_TRUE(theirs == ours) << "mdb-export disagrees on table " << t.name << diff;
      // The columns no update touched print exactly as they did before.
      bool before_ok = false, after_ok = false;
      auto before = ExportedText(path, t, &before_ok, /*text_cells=*/false);
      auto after = ExportedText(copy, t, &after_ok, /*text_cells=*/false);
      EXPECT_TRUE(before_ok && after_ok);
      EXPECT_TRUE(before == after)
          << "mdb-export reads other columns of " << t.name << " differently after the updates";
      ++exported;
    }
    std::remove(copy.c_str());
  }
  for (const auto& [version, minimum] : kMinUpdatedByVersion) {
    EXPECT_GE(updated_by_version[version], minimum) << "Jet version " << version;
  }
  for (const auto& [version, count] : entries_by_version) {
    std::cout << "Jet " << version << ": " << count << " index entries checked\n";
  }
  EXPECT_GT(entries_by_version[3], 5000u);
  EXPECT_GT(entries_by_version[4], 25000u);
  if (mdb_export) {
    EXPECT_GT(exported, 20);
  }
  for (const auto& [version, count] : updated_by_version) {
    std::cout << "Jet " << version << ": updated " << count << " cells\n";
  }
  std::cout << "updated " << updated << " cells, refused " << refused << ", compared "
            << exported << " tables with mdb-export\n";
}

}  // namespace
}  // namespace jet::testing
