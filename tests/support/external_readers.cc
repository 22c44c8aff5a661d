#include "tests/support/external_readers.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

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
  std::string out = RunCommand(Quote(OraclePath()) + " check " + Quote(path) + " 2>&1", &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "access-oracle check " << path << " (exit " << status << "):\n" << out;
}

std::string OracleDump(const std::string& path, const std::string& table) {
  int status = 0;
  std::string out = RunCommand(
      Quote(OraclePath()) + " dump " + Quote(path) + " " + Quote(table) + " 2>/dev/null", &status);
  EXPECT_EQ(status, 0) << "access-oracle dump " << path << " " << table;
  return status == 0 ? out : std::string();
}

::testing::AssertionResult OracleCreateTable(const std::string& path, int rows, int seed,
                                             int version) {
  int status = 0;
  std::string out =
      RunCommand(Quote(OraclePath()) + " create-table " + Quote(path) + " " +
                     std::to_string(rows) + " " + std::to_string(seed) + " " +
                     std::to_string(version) + " 2>&1",
                 &status);
  if (status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "access-oracle create-table " << path << " (exit "
                                       << status << "):\n" << out;
}

}  // namespace tarnquill::testing
