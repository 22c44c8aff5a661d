// tarnquill-cli's commands run in-process: exit codes, messages on stderr,
// and the exact output forms other tools rely on.
#include "cli/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace cli {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int code;
  std::string out;
  std::string err;
};

Outcome Call(const std::vector<std::string>& argv) {
  std::ostringstream out, err;
  int code = Dispatch(argv, out, err);
  return Outcome{code, out.str(), err.str()};
}

std::string Corpus(const std::string& rel) { return (fs::path(TARNQUILL_CORPUS) / rel).string(); }

#define REQUIRE_CORPUS() \
  if (!fs::is_directory(TARNQUILL_CORPUS)) GTEST_SKIP() << "no corpus at " << TARNQUILL_CORPUS

TEST(CliTest, UsageErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"tables"},
      {"tables", "a.mdb", "extra"},
      {"schema", "a.mdb"},
      {"export", "a.mdb"},
      {"export", "--password"},
      {"tables", "--verbose", "a.mdb"},
  };
  for (const auto& argv : cases) {
    Outcome r = Call(argv);
    EXPECT_EQ(r.code, kExitUsage) << (argv.empty() ? "(none)" : argv[0]);
    EXPECT_FALSE(r.err.empty());
    EXPECT_TRUE(r.out.empty());
  }
  EXPECT_EQ(Call({"--help"}).code, kExitOk);
}

TEST(CliTest, FailuresExitWithOneAndTheMessage) {
  Outcome missing = Call({"tables", "/no/such.mdb"});
  EXPECT_EQ(missing.code, kExitFailure);
  EXPECT_EQ(missing.err, "Could not find file '/no/such.mdb'.\n");
  REQUIRE_CORPUS();
  const std::string locked = Corpus("mdb-reader/password_V2003_with-password.mdb");
  Outcome bad = Call({"tables", locked});
  EXPECT_EQ(bad.code, kExitFailure);
  EXPECT_EQ(bad.err, locked + ": Not a valid password.\n");
  Outcome good = Call({"tables", "--password", "password", locked});
  EXPECT_EQ(good.code, kExitOk) << good.err;
  EXPECT_EQ(Call({"tables", "--password=password", locked}).out, good.out);
  Outcome no_table = Call({"export", Corpus("jackcess/V2000/testV2000.mdb"), "Nope"});
  EXPECT_EQ(no_table.code, kExitFailure);
  EXPECT_NE(no_table.err.find("'Nope'"), std::string::npos);
}

TEST(CliTest, TablesSchemaAndExportForms) {
  REQUIRE_CORPUS();
  const std::string file = Corpus("jackcess/V2000/testV2000.mdb");
  EXPECT_EQ(Call({"tables", file}).out, "Table1\nTable2\nTable3\nTable4\n");

  Outcome schema = Call({"schema", file, "table1"});
  ASSERT_EQ(schema.code, kExitOk) << schema.err;
  EXPECT_EQ(schema.out,
            "A\tText\t50\tvariable compressed\n"
            "B\tText\t100\tvariable\n"
            "C\tByte\t1\tfixed\n"
            "D\tInteger\t2\tfixed\n"
            "E\tLong Integer\t4\tfixed\n"
            "F\tDouble\t8\tfixed\n"
            "G\tDate/Time\t8\tfixed\n"
            "H\tCurrency\t8\tfixed\n"
            "I\tYes/No\t1\tfixed\n"
            "index\tB\tB asc\t\n"
            "index\tPrimaryKey\tA asc\tprimary unique required\n");

  Outcome csv = Call({"export", file, "Table1"});
  ASSERT_EQ(csv.code, kExitOk) << csv.err;
  EXPECT_EQ(
      csv.out.substr(0, csv.out.find('\n', csv.out.find('\n', csv.out.find('\n') + 1) + 1) + 1),
      "A,B,C,D,E,F,G,H,I\n"
      "\"abcdefg\",\"hijklmnop\",2,222,333333333,444.555,1974-09-21 00:00:00,3.5,1\n"
      "\"a\",\"b\",0,0,0,0,1981-12-12 00:00:00,0,0\n");
}

TEST(CliTest, ExportPrintsGuidsMovedRowsAndBinaryInTheirForms) {
  REQUIRE_CORPUS();
  Outcome guid = Call({"export", Corpus("jackcess/V1997/testIndexCodesV1997.mdb"), "Table13"});
  ASSERT_EQ(guid.code, kExitOk) << guid.err;
  EXPECT_NE(guid.out.find("\"row0\",\"{8E39276A-BCA8-4AC4-891E-49911D8438DD}\"\n"),
            std::string::npos);
  Outcome moved = Call({"export", Corpus("jackcess/V2000/overflowTestV2000.mdb"), "Table1"});
  ASSERT_EQ(moved.code, kExitOk);
  EXPECT_NE(moved.out.find("\n,\"row3col3\",,,,,,\"row3col9\",\n"), std::string::npos);
  Outcome binary = Call({"export", Corpus("jackcess/V2000/test2V2000.mdb"), "MSP_PROJECTS"});
  ASSERT_EQ(binary.code, kExitOk);
  EXPECT_NE(binary.out.find(",151c2d00020000000900100014001d00ffffffff446f63756d656e74"),
            std::string::npos);
}

}  // namespace
}  // namespace cli
