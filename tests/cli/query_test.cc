// tarnquill-cli query: the data layer's read path against export.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "jet/database.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result Cli(const std::vector<std::string>& argv) {
  std::ostringstream out, err;
  int code = Dispatch(argv, out, err);
  return {code, out.str(), err.str()};
}

class QueryCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tarnquill_query_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Copy(const fs::path& source) {
    fs::path target = dir_ / source.filename();
    fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    return target.string();
  }
  fs::path dir_;
};

TEST_F(QueryCommandTest, UsageAndFailures) {
  EXPECT_EQ(Cli({"query", "a.mdb"}).code, kExitUsage);
  Result missing = Cli({"query", (dir_ / "no.mdb").string(), "Select * From T"});
  EXPECT_EQ(missing.code, kExitFailure);
  EXPECT_EQ(missing.err, "Could not find file '" + (dir_ / "no.mdb").string() + "'\n");
  EXPECT_TRUE(missing.out.empty());
}

TEST_F(QueryCommandTest, SelectAllMatchesExportOnEveryCorpusTable) {
  if (!fs::is_directory(TARNQUILL_CORPUS)) GTEST_SKIP() << "no corpus at " << TARNQUILL_CORPUS;
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(TARNQUILL_CORPUS)) {
    if (entry.path().extension() != ".mdb") continue;
    const std::string file = Copy(entry.path());
    const std::string password = file.find("with-password") != std::string::npos ? "password" : "";
    jet::OpenOptions options;
    options.password = password;
    auto db = jet::Database::Open(file, options);
    if (!db.ok()) continue;
    auto tables = (*db)->ListTables();
    if (!tables.ok()) continue;
    for (const jet::TableInfo& t : *tables) {
      if (t.linked) continue;
      Result exported = Cli({"export", "--password", password, file, t.name});
      Result queried =
          Cli({"query", "--password", password, file, "Select * From [" + t.name + "]"});
      EXPECT_EQ(queried.code, exported.code) << file << " " << t.name << queried.err;
      EXPECT_EQ(queried.out, exported.out) << file << " " << t.name;
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

TEST_F(QueryCommandTest, InStrSelectsTheMatchingRows) {
  if (!fs::is_directory(TARNQUILL_CORPUS)) GTEST_SKIP() << "no corpus at " << TARNQUILL_CORPUS;
  const std::string file = Copy(fs::path(TARNQUILL_CORPUS) / "mdb-reader/data_V2003_test.mdb");
  Result all = Cli({"export", file, "Table1"});
  ASSERT_EQ(all.code, kExitOk);
  std::istringstream lines(all.out);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  Result some = Cli({"query", file, "Select * From Table1 Where InStr(A,'CDE')"});
  EXPECT_EQ(some.out, header + "\n" + first + "\n");
  Result none = Cli({"query", file, "Select * From Table1 Where InStr(A,'zzz')"});
  EXPECT_EQ(none.out, header + "\n");
  Result bad = Cli({"query", file, "Select * From Table1 Where InStr(A,'O'Brien')"});
  EXPECT_EQ(bad.code, kExitFailure);
  EXPECT_EQ(bad.err, file + ": Syntax error in string in query expression 'InStr(A,'O'Brien')'\n");
}

}  // namespace
}  // namespace cli
