// tarnquill-cli query: the data layer's read path against export.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/commands.h"
#include "jet/database.h"
#include "tests/cli/cli_call.h"
#include "tests/support/fixture_db.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

using testing::Call;
using testing::Outcome;

class QueryCommandTest : public ::testing::Test {
 protected:
  std::string Copy(const fs::path& source) {
    return tarnquill::testing::CopyWritable(source, tmp.File(source.filename().string()));
  }
  tarnquill::testing::TempDir tmp;
};

TEST_F(QueryCommandTest, UsageFailuresAndInStrSelectingTheMatchingRows) {
  EXPECT_EQ(Call({"query", "a.mdb"}).code, kExitUsage);
  Outcome missing = Call({"query", tmp.File("no.mdb"), "Select * From T"});
  EXPECT_EQ(missing.code, kExitFailure);
  EXPECT_EQ(missing.err, "Could not find file '" + tmp.File("no.mdb") + "'\n");
  EXPECT_TRUE(missing.out.empty());
  // InStr selects the matching rows; a broken statement fails naming the file.
  REQUIRE_CORPUS();
  const std::string file = Copy(testing::Corpus("mdb-reader/data_V2003_test.mdb"));
  Outcome all = Call({"export", file, "Table1"});
  ASSERT_EQ(all.code, kExitOk);
  std::istringstream lines(all.out);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  Outcome some = Call({"query", file, "Select * From Table1 Where InStr(A,'CDE')"});
  EXPECT_EQ(some.out, header + "\n" + first + "\n");
  Outcome none = Call({"query", file, "Select * From Table1 Where InStr(A,'zzz')"});
  EXPECT_EQ(none.out, header + "\n");
  Outcome bad = Call({"query", file, "Select * From Table1 Where InStr(A,'O'Brien')"});
  EXPECT_EQ(bad.code, kExitFailure);
  EXPECT_EQ(bad.err, file + ": Syntax error in string in query expression 'InStr(A,'O'Brien')'\n");
}

TEST_F(QueryCommandTest, SelectAllMatchesExportOnEveryCorpusTable) {
  REQUIRE_CORPUS();
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
      Outcome exported = Call({"export", "--password", password, file, t.name});
      Outcome queried =
          Call({"query", "--password", password, file, "Select * From [" + t.name + "]"});
      EXPECT_EQ(queried.code, exported.code) << file << " " << t.name << queried.err;
      EXPECT_EQ(queried.out, exported.out) << file << " " << t.name;
      ++compared;
    }
  }
  EXPECT_GT(compared, 50);
}

}  // namespace
}  // namespace cli
