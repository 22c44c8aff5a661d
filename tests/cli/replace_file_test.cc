// tarnquill-cli replace on real files: fixtures built by our engine and
// copies of corpus files, each checked afterwards by `check` and `export`.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/commands.h"
#include "tests/cli/cli_call.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
namespace tq = tarnquill::testing;

using testing::Call;
using testing::Outcome;

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<jet::create::Row> rows;
    for (int i = 1; i <= 300; ++i) {
      jet::Value ship = std::string(i % 3 == 0 ? "Via 北京 Road" : "via Shanghai");
      if (i % 10 == 0) ship = std::monostate{};
      rows.push_back({int32_t{i}, ship});
    }
    auto made = tq::MakeFixtureDatabase(
        tmp.path(),
        {{tq::Table("Orders",
                    {tq::Column("ID", jet::ColumnType::kLong), tq::TextColumn("Ship", 40)},
                    {tq::PrimaryKey("ID"), tq::Index("ByShip", {"Ship"})}),
          rows}});
    ASSERT_TRUE(made.ok()) << made.status().ToString();
    path = *made;
  }

  tq::TempDir tmp;
  std::string path;
};

TEST_F(ReplaceFileTest, ReplacesStoresAndPassesTheCheck) {
  Outcome o = Call({"replace", path, "--table", "orders", "--field", "SHIP", "--find", "VIA",
                    "--replace", "By"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, "270 rows listed, 270 rows changed\n");
  Outcome check = Call({"check", path});
  EXPECT_EQ(check.code, kExitOk) << check.out << check.err;
  Outcome csv = Call({"export", path, "Orders"});
  ASSERT_EQ(csv.code, kExitOk) << csv.err;
  EXPECT_EQ(csv.out.find("ia "), std::string::npos);
  EXPECT_NE(csv.out.find("3,\"By 北京 Road\""), std::string::npos) << csv.out.substr(0, 200);
  EXPECT_NE(csv.out.find("1,\"By Shanghai\""), std::string::npos);
  EXPECT_NE(csv.out.find("10,\n"), std::string::npos);  // NULL stays NULL
  // Through the view's condition only the Chinese rows are listed now.
  o = Call({"replace", path, "--table", "Orders", "--field", "Ship", "--find", "北京", "--replace",
            "京"});
  EXPECT_EQ(o.out, "90 rows listed, 90 rows changed\n");
  EXPECT_EQ(Call({"check", path}).code, kExitOk);
}

TEST_F(ReplaceFileTest, DryRunLeavesTheFileAsItWas) {
  const std::string before = Bytes(path);
  Outcome o = Call({"replace", path, "--table", "Orders", "--field", "Ship", "--find", "北京",
                    "--replace", "", "--dry-run"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_NE(o.out.find("row 1: \"Via 北京 Road\" -> \"Via  Road\"\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("90 rows listed, 90 rows would change (dry run, nothing written)\n"),
            std::string::npos)
      << o.out;
  EXPECT_EQ(Bytes(path), before);
}

TEST_F(ReplaceFileTest, BackupHoldsTheFileBeforeTheFirstWrite) {
  const std::string before = Bytes(path);
  Outcome o = Call({"replace", path, "--table", "Orders", "--field", "Ship", "--find", "road",
                    "--replace", "Rd", "--backup"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  std::vector<fs::path> backups;
  for (const auto& e : fs::directory_iterator(tmp.path())) {
    if (e.path().filename().string().rfind("fixture.mdb.bak-", 0) == 0) backups.push_back(e.path());
  }
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(Bytes(backups[0].string()), before);
  EXPECT_NE(Bytes(path), before);
  EXPECT_EQ(Call({"check", backups[0].string()}).code, kExitOk);
  EXPECT_EQ(Call({"check", path}).code, kExitOk);
}

TEST_F(ReplaceFileTest, ReadOnlyFileIsReportedByNameAndLeftAlone) {
  const std::string before = Bytes(path);
  fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  Outcome o = Call({"replace", path, "--table", "Orders", "--field", "Ship", "--find", "北京",
                    "--replace", "京"});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_EQ(o.out, "");
  EXPECT_NE(o.err.find("Database or object is read-only. The file '" + path + "' is read-only"),
            std::string::npos)
      << o.err;
  EXPECT_EQ(Bytes(path), before);
  // Counting what would change needs no writing.
  o = Call({"replace", path, "--table", "Orders", "--field", "Ship", "--find", "北京", "--replace",
            "京", "--dry-run"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
}

TEST(ReplaceCorpusTest, CopiesOfRealFiles) {
  const fs::path corpus = fs::path(TARNQUILL_CORPUS) / "mdb-reader";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  tq::TempDir tmp;
  const std::string copy = tmp.File("data.mdb");
  fs::copy_file(corpus / "data_V2003_test.mdb", copy);
  // The corpus is kept read-only and the copy inherits that.
  fs::permissions(copy, fs::perms::owner_write, fs::perm_options::add);
  Outcome o = Call({"replace", copy, "--table", "Table1", "--field", "A", "--find", "A",
                    "--replace", "Zz", "--backup"});
  ASSERT_EQ(o.code, kExitOk) << o.err;
  EXPECT_NE(o.out.find(" rows listed, 2 rows changed\n"), std::string::npos) << o.out;
  EXPECT_EQ(Call({"check", copy}).code, kExitOk);
  Outcome csv = Call({"export", copy, "Table1"});
  EXPECT_NE(csv.out.find("\"Zzbcdefg\""), std::string::npos) << csv.out;
  if (tq::HaveMdbTools()) {
    std::string theirs = tq::RunCommand("mdb-export " + tq::Quote(copy) + " Table1");
    EXPECT_NE(theirs.find("\"Zzbcdefg\",\"hijklmnop\""), std::string::npos) << theirs;
    EXPECT_NE(theirs.find("\"Zz\",\"b\""), std::string::npos) << theirs;
  }
  // The password-protected copy needs its password, and names the file.
  const std::string locked = tmp.File("locked.mdb");
  fs::copy_file(corpus / "password_V2003_with-password.mdb", locked);
  o = Call(
      {"replace", locked, "--table", "Table1", "--field", "A", "--find", "a", "--replace", "b"});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_NE(o.err.find(locked), std::string::npos) << o.err;
}

}  // namespace
}  // namespace cli
