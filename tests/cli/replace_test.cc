// tarnquill-cli replace in-process over the in-memory provider: counts,
// dry runs, backups, and errors that name the file, table or field.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/commands.h"
#include "tests/cli/cli_call.h"
#include "tests/data/core/memory_fixture.h"

namespace cli {
namespace {

namespace fs = std::filesystem;
using provider::Variant;

using testing::Outcome;

class CliReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("tq_replace_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    file = (dir / "shop.mdb").string();
    std::ofstream(file) << "the file's bytes";  // what a backup copies
    db = scope.Add(file);
    provider::MemoryTable& t =
        db->AddTable("Goods", {provider::MemoryColumn("ID", provider::adInteger),
                               provider::MemoryColumn("Name", provider::adVarWChar, 50)});
    const char* names[] = {"Apple pie", "apple\njuice", "pear", "APPLE"};
    int64_t id = 1;
    for (const char* n : names) t.rows.push_back({Variant(id++), Variant(std::string(n))});
    t.rows.push_back({Variant(id++), Variant()});
  }
  void TearDown() override { fs::remove_all(dir); }

  Outcome Run(std::vector<std::string> argv) {
    argv.insert(argv.begin(), "replace");
    return testing::Call(argv);
  }
  std::vector<fs::path> Backups() {
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(dir)) {
      if (e.path().filename().string().rfind("shop.mdb.bak-", 0) == 0) out.push_back(e.path());
    }
    return out;
  }
  const Variant& Name(size_t row) { return db->tables[0].rows[row][1]; }

  data::testing::MemoryCatalogScope scope;
  std::shared_ptr<provider::MemoryDatabase> db;
  fs::path dir;
  std::string file;
};

TEST_F(CliReplaceTest, ReplacesAndCounts) {
  Outcome o =
      Run({file, "--table", "Goods", "--field", "Name", "--find", "apple", "--replace", "Plum"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out, "3 rows listed, 3 rows changed\n");
  EXPECT_EQ(Name(0), Variant("Plum pie"));
  EXPECT_EQ(Name(1), Variant("Plum\njuice"));
  EXPECT_EQ(Name(3), Variant("Plum"));
  EXPECT_TRUE(provider::IsNull(Name(4)));
  EXPECT_TRUE(Backups().empty());
  // Nothing left to change: listed nothing.
  o = Run({file, "--table", "goods", "--field", "name", "--find", "apple", "--replace", "x"});
  EXPECT_EQ(o.out, "0 rows listed, 0 rows changed\n");
}

TEST_F(CliReplaceTest, DryRunShowsTheFirstChangesAndWritesNothing) {
  Outcome o = Run({file, "--table", "Goods", "--field", "Name", "--find", "APPLE", "--replace", "x",
                   "--dry-run", "--backup"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  EXPECT_EQ(o.out,
            "row 1: \"Apple pie\" -> \"x pie\"\n"
            "row 2: \"apple\\njuice\" -> \"x\\njuice\"\n"
            "row 3: \"APPLE\" -> \"x\"\n"
            "3 rows listed, 3 rows would change (dry run, nothing written)\n");
  EXPECT_EQ(db->rows_written, 0);
  EXPECT_TRUE(Backups().empty());
}

TEST_F(CliReplaceTest, BackupIsTakenBeforeTheFirstWriteOnly) {
  Outcome o = Run({file, "--table", "Goods", "--field", "Name", "--find", "kiwi", "--replace", "x",
                   "--backup"});
  EXPECT_EQ(o.out, "0 rows listed, 0 rows changed\n");
  EXPECT_TRUE(Backups().empty());  // nothing to write, nothing to back up
  o = Run({file, "--table", "Goods", "--field", "Name", "--find", "pear", "--replace", "x",
           "--backup"});
  EXPECT_EQ(o.code, kExitOk) << o.err;
  std::vector<fs::path> backups = Backups();
  ASSERT_EQ(backups.size(), 1u);
  const std::string name = backups[0].filename().string();
  EXPECT_EQ(name.size(), std::string("shop.mdb.bak-YYYYMMDD-HHMMSS").size()) << name;
  EXPECT_NE(o.out.find("backup: " + backups[0].string()), std::string::npos) << o.out;
  std::ifstream in(backups[0]);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, "the file's bytes");
}

TEST_F(CliReplaceTest, ErrorsNameTheFileTableOrField) {
  Outcome o = Run({(dir / "none.mdb").string(), "--table", "Goods", "--field", "Name", "--find",
                   "a", "--replace", "b"});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_NE(o.err.find("none.mdb"), std::string::npos) << o.err;
  o = Run({file, "--table", "Stock", "--field", "Name", "--find", "a", "--replace", "b"});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_NE(o.err.find("Stock"), std::string::npos) << o.err;
  EXPECT_EQ(o.err.find("数据库打开失败"), std::string::npos) << o.err;
  o = Run({file, "--table", "Goods", "--field", "Colour", "--find", "a", "--replace", "b"});
  EXPECT_EQ(o.code, kExitFailure);
  EXPECT_NE(o.err.find("'Colour'"), std::string::npos) << o.err;
  EXPECT_EQ(db->rows_written, 0);
}

TEST_F(CliReplaceTest, UsageErrors) {
  for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
           {},
           {file},
           {file, "--table", "Goods", "--field", "Name", "--find", "a"},
           {file, "--table", "Goods", "--field", "Name", "--find", "a", "--replace"},
           {file, "--table", "Goods", "--field", "Name", "--find", "a", "--replace", "b", "-x"},
           {file, file, "--table", "Goods", "--field", "Name", "--find", "a", "--replace", "b"}}) {
    Outcome o = Run(argv);
    EXPECT_EQ(o.code, kExitUsage) << o.err;
    EXPECT_NE(o.err.find("usage: tarnquill-cli replace"), std::string::npos);
  }
}

}  // namespace
}  // namespace cli
