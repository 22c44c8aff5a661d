// The independent readers that judge files our engine wrote: the Access-file
// checker beside the repository (../shared/oracle/access-oracle) and Debian's
// mdbtools. Our reader, writer and check share one reading of the format, so
// a test that writes a file hands the result to one of these too. Tests skip
// with a message when a reader is not installed.
//
//   if (!HaveOracle()) GTEST_SKIP() << kNoOracle;
//   EXPECT_TRUE(OracleCheck(path));
//   EXPECT_EQ(OracleDump(path, "People"), our_export);
//   EXPECT_TRUE(ReadersAgree(path));  // all of the above, every table
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format.h"

namespace tarnquill::testing {

inline constexpr const char* kNoOracle =
    "access-oracle needs Java (default-jre-headless, libcommons-lang3-java, "
    "libcommons-logging-java): skipped";

// Standard output of the shell command `command`; *status gets its exit code
// (-1 when it could not be started).
std::string RunCommand(const std::string& command, int* status = nullptr);

// `s` quoted for the shell.
std::string Quote(const std::string& s);

bool HaveMdbTools();

// True when access-oracle and everything it needs to run are present.
bool HaveOracle();

// Path of the access-oracle script.
std::string OraclePath();

// The shell command that runs access-oracle (append the arguments).
std::string OracleCommand();

// Success when `access-oracle check` finds nothing wrong with `path`;
// otherwise a failure carrying every line it printed.
::testing::AssertionResult OracleCheck(const std::string& path);

// `access-oracle dump`: the table as CSV in storage order (empty with a
// test failure when the oracle refuses the table).
std::string OracleDump(const std::string& path, const std::string& table);

// A CSV field, and whether it was quoted (our export tells an empty text
// from NULL that way).
struct CsvCell {
  std::string text;
  bool quoted = false;
};

// CSV text as records of fields (quotes, doubled quotes and line breaks
// inside quotes understood).
std::vector<std::vector<CsvCell>> ParseCsv(const std::string& s);

// The verdict of both checkers on a file a test wrote: our integrity check
// and `access-oracle check` find nothing wrong, and every user table reads
// the same through access-oracle dump as through our export (floating
// values compared as numbers). Call it after HaveOracle().
::testing::AssertionResult ReadersAgree(const std::string& path);

// Where access-oracle is installed, its check of `path` (ExpectOracleAccepts)
// or both checkers' verdict (ExpectReadersAgree) must pass; elsewhere they
// judge nothing, for tests whose own checks stand without the oracle.
void ExpectOracleAccepts(const std::string& path);
void ExpectReadersAgree(const std::string& path);

// The same for a database image held in memory (written to a temporary file
// named after `name` for the oracle, removed afterwards).
::testing::AssertionResult ReadersAgree(const std::vector<uint8_t>& image,
                                        const std::string& name);

// npm's mdb-reader, the second opinion for encrypted .accdb files: the
// node_modules folder holding it (TARNQUILL_MDB_READER, or the build's
// test-support folder), or "" when it or node is missing.
std::string MdbReaderModules();
inline constexpr const char* kNoMdbReader =
    "npm's mdb-reader is not installed (npm install --prefix build/dev/test-support mdb-reader, "
    "or TARNQUILL_MDB_READER=its node_modules): skipped";

// Table `table` of `path` as CSV through mdb-reader opened with `password`
// (call after MdbReaderModules() gave a folder); empty or partial on failure.
std::string MdbReaderDump(const std::string& path, const std::string& table,
                          const std::string& password);

// access-oracle create-table: a database at `path` holding the table People
// written by the independent implementation (`version` is 2000, 2003, 2007
// or 2010). Success, or a failure naming what the oracle printed.
::testing::AssertionResult OracleCreateTable(const std::string& path, int rows, int seed,
                                             int version = 2000);

}  // namespace tarnquill::testing
