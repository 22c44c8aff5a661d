#include "tests/support/external_readers.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "jet/database.h"
#include "jet/update/integrity_check.h"
#include "jet/value_text.h"

namespace tarnquill::testing {

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) {
    if (status) *status = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = ::pclose(p);
  if (status) *status = rc != -1 && WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool HaveMdbTools() { return std::system("command -v mdb-export >/dev/null 2>&1") == 0; }

std::string OraclePath() { return TARNQUILL_ORACLE; }

std::string OracleCommand() {
  // Each run is short and the tests run two at a time on small machines:
  // one collector thread and the quick compiler halve the processor time a
  // check takes, against the defaults' many threads and optimising compiler.
  return "JAVA_TOOL_OPTIONS='-XX:+UseSerialGC -XX:TieredStopAtLevel=1' " + Quote(OraclePath());
}

bool HaveOracle() {
  static const bool have = [] {
    // The jar names its two libraries by absolute path in its manifest.
    return std::filesystem::exists(OraclePath()) &&
           std::filesystem::exists("/usr/share/java/commons-lang3.jar") &&
           std::filesystem::exists("/usr/share/java/commons-logging.jar") &&
           std::system("command -v java >/dev/null 2>&1") == 0;
  }();
  return have;
}

::testing::AssertionResult OracleCheck(const std::string& path) {
  int status = 0;
  std::string out = RunCommand(OracleCommand() + " check " + Quote(path) + " 2>&1", &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "access-oracle check " << path << " (exit " << status << "):\n" << out;
}

std::string MdbReaderModules() {
  static const std::string modules = [] {
    const char* env = std::getenv("TARNQUILL_MDB_READER");
    const std::string dir = env != nullptr ? env : TARNQUILL_MDB_READER_DIR;
    if (!std::filesystem::is_directory(std::filesystem::path(dir) / "mdb-reader")) {
      return std::string();
    }
    int status = -1;
    RunCommand("node --version", &status);
    return status == 0 ? dir : std::string();
  }();
  return modules;
}

std::string MdbReaderDump(const std::string& path, const std::string& table,
                          const std::string& password) {
  return RunCommand("NODE_PATH=" + Quote(MdbReaderModules()) + " node " +
                    Quote(TARNQUILL_MDB_READER_SCRIPT) + " " + Quote(path) + " " + Quote(table) +
                    " " + Quote(password) + " 2>/dev/null");
}

std::string OracleDump(const std::string& path, const std::string& table) {
  int status = 0;
  std::string out = RunCommand(
      OracleCommand() + " dump " + Quote(path) + " " + Quote(table) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0) << "access-oracle dump " << path << " " << table;
  return status == 0 ? out : std::string();
}

::testing::AssertionResult OracleCreateTable(const std::string& path, int rows, int seed,
                                             int version) {
  int status = 0;
  std::string out =
      RunCommand(OracleCommand() + " create-table " + Quote(path) + " " + std::to_string(rows) +
                     " " + std::to_string(seed) + " " + std::to_string(version) + " 2>&1",
                 &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "access-oracle create-table " << path << " (exit "
                                       << status << "):\n" << out;
}

// A quote opens quoting only at the start of a field; elsewhere it is text,
// as some of mdb-export's fields carry them.
std::vector<std::vector<CsvCell>> ParseCsv(const std::string& s) {
  std::vector<std::vector<CsvCell>> rows;
  std::vector<CsvCell> row;
  CsvCell cell;
  bool in_quotes = false, any = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (in_quotes) {
      if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
        cell.text += '"';
        ++i;
      } else if (c == '"') {
        in_quotes = false;
      } else {
        cell.text += c;
      }
      continue;
    }
    any = true;
    if (c == '"' && cell.text.empty() && !cell.quoted) {
      in_quotes = cell.quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(cell));
      cell = CsvCell{};
    } else if (c == '\n') {
      row.push_back(std::move(cell));
      cell = CsvCell{};
      rows.push_back(std::move(row));
      row.clear();
      any = false;
    } else if (c != '\r') {
      cell.text += c;
    }
  }
  if (any) {
    row.push_back(std::move(cell));
    rows.push_back(std::move(row));
  }
  return rows;
}

namespace {

bool SameNumber(const std::string& a, const std::string& b) {
  char* end_a = nullptr;
  char* end_b = nullptr;
  const double x = std::strtod(a.c_str(), &end_a);
  const double y = std::strtod(b.c_str(), &end_b);
  if (a.empty() || b.empty() || *end_a != 0 || *end_b != 0) return false;
  // Our text keeps 15 significant digits (singles 7), the oracle's the
  // shortest that reads back exactly.
  // Subnormal singles keep fewer digits than that, so they are compared as
  // the single they read back as.
  return x == y || std::abs(x - y) <= 1e-6 * std::max(std::abs(x), std::abs(y)) ||
         (std::strtof(a.c_str(), nullptr) == std::strtof(b.c_str(), nullptr) &&
          std::strtof(a.c_str(), nullptr) != 0.0f);
}

// The table as our export writes it (header names, then rows in storage order).
jet::Result<std::string> OurExport(jet::Database& db, const jet::TableDef& table) {
  std::string out;
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (i > 0) out += ',';
    out += jet::CsvName(table.columns[i].name);
  }
  out += '\n';
  JET_ASSIGN_OR_RETURN(auto cursor, db.Scan(table));
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, cursor->Next());
    if (!more) break;
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (i > 0) out += ',';
      JET_ASSIGN_OR_RETURN(jet::Value v, cursor->Get(i));
      jet::AppendCsvField(v, &out);
    }
    out += '\n';
  }
  return out;
}

}  // namespace

::testing::AssertionResult ReadersAgree(const std::string& path) {
  // Every verdict is collected: which checker objects says where to look.
  std::string failures;
  auto report = jet::CheckDatabaseFile(path, "");
  if (!report.ok()) {
    failures += "our check cannot read " + path + ": " + report.status().message() + "\n";
  } else if (!report->ok()) {
    failures += "our check of " + path + ":\n";
    for (size_t i = 0; i < report->problems.size() && i < 20; ++i) {
      failures += "  " + report->problems[i] + "\n";
    }
  }
  if (auto oracle = OracleCheck(path); !oracle) failures += std::string(oracle.message()) + "\n";
  auto db = jet::Database::Open(path, {});
  if (!db.ok()) return ::testing::AssertionFailure() << failures << db.status().message();
  auto tables = (*db)->ListTables();
  if (!tables.ok()) return ::testing::AssertionFailure() << failures << tables.status().message();
  for (const jet::TableInfo& info : *tables) {
    if (info.linked) continue;
    const std::string where = path + ": table '" + info.name + "': ";
    auto table = (*db)->FindTable(info.name);
    auto ours = table.ok() ? OurExport(**db, *table) : jet::Result<std::string>(table.status());
    if (!ours.ok()) {
      failures += where + "our export fails: " + ours.status().message() + "\n";
      continue;
    }
    const auto mine = ParseCsv(*ours);
    const auto theirs = ParseCsv(OracleDump(path, info.name));
    if (mine.size() != theirs.size()) {
      failures += where + std::to_string(mine.size()) + " lines in our export, " +
                  std::to_string(theirs.size()) + " in access-oracle dump\n";
      continue;
    }
    for (size_t r = 0; r < mine.size(); ++r) {
      bool same = mine[r].size() == theirs[r].size();
      std::string cell;
      for (size_t c = 0; same && c < mine[r].size(); ++c) {
        const CsvCell& a = mine[r][c];
        const CsvCell& b = theirs[r][c];
        // Header names: the oracle quotes them all, we only where needed.
        same = a.text == b.text ? (r == 0 || a.quoted == b.quoted) : SameNumber(a.text, b.text);
        if (!same) cell = ", column " + std::to_string(c + 1) + ": ours '" + a.text.substr(0, 80) +
                          "', theirs '" + b.text.substr(0, 80) + "'";
      }
      if (!same) {
        failures += where + "line " + std::to_string(r + 1) +
                    " differs between our export and access-oracle dump" + cell + "\n";
        break;
      }
    }
  }
  if (failures.empty()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << failures;
}

::testing::AssertionResult ReadersAgree(const std::vector<uint8_t>& image,
                                        const std::string& name) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("tarnquill-agree-" + std::to_string(::getpid()) + "-" + name);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out) return ::testing::AssertionFailure() << "cannot write " << path;
  }
  auto result = ReadersAgree(path.string());
  std::error_code ec;
  std::filesystem::remove(path, ec);
  return result;
}

void ExpectOracleAccepts(const std::string& path) {
  if (HaveOracle()) {
    EXPECT_TRUE(OracleCheck(path)) << path;
  }
}

void ExpectReadersAgree(const std::string& path) {
  if (HaveOracle()) {
    EXPECT_TRUE(ReadersAgree(path)) << path;
  }
}

}  // namespace tarnquill::testing
