// The engine's provider through the whole data layer, on copies of real
// Access files (skipped when the corpus is absent).
#include "data/provider/jet_provider.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "data/bulk_replace.h"
#include "data/db_error.h"
#include "data/share_dm.h"
#include "jet/database.h"
#include "tests/data/failure_of.h"
#include "tests/support/external_readers.h"
#include "tests/support/fixture_db.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

namespace fs = std::filesystem;

#define REQUIRE_CORPUS() \
  if (!fs::is_directory(TARNQUILL_CORPUS)) GTEST_SKIP() << "no corpus at " << TARNQUILL_CORPUS

class JetProviderTest : public ::testing::Test {
 protected:
  void SetUp() override { provider::RegisterJetProvider(); }

  // A copy of a corpus file in the test's own folder.
  std::string Copy(const std::string& rel) {
    return tarnquill::testing::CopyWritable(fs::path(TARNQUILL_CORPUS) / rel,
                                            (dir_ / fs::path(rel).filename()).string());
  }

  std::string ConnectError(const std::string& file, const std::string& password) {
    dm_.ADOConnection1.SetConnectionString(BuildConnectionString(file, password));
    try {
      dm_.ADOConnection1.SetConnected(true);
    } catch (const EOleException& e) {
      return e.what();
    }
    dm_.ADOConnection1.SetConnected(false);
    return "connected";
  }

  void OpenStatement(const std::string& file, const std::string& statement) {
    dm_.ADOConnection1.SetConnected(false);
    dm_.ADOConnection1.SetConnectionString(BuildConnectionString(file, ""));
    dm_.ADOQueryTemp.SQL().Clear();
    dm_.ADOQueryTemp.SQL().Add(statement);
    dm_.ADOQueryTemp.Open();
  }

  tarnquill::testing::TempDir tmp_;
  const fs::path dir_ = tmp_.path();
  TShareDataModule dm_;
};

TEST_F(JetProviderTest, OpenFailuresInTheProvidersWordsAndAwkwardPathsOpen) {
  EXPECT_EQ(ConnectError((dir_ / "none.mdb").string(), ""),
            "Could not find file '" + (dir_ / "none.mdb").string() + "'");
  const std::string junk = (dir_ / "junk.mdb").string();
  std::ofstream(junk) << std::string(8192, 'x');
  EXPECT_EQ(ConnectError(junk, ""), "Unrecognized database format '" + junk + "'");
  REQUIRE_CORPUS();
  const std::string pw = Copy("mdb-reader/password_V2003_with-password.mdb");
  EXPECT_EQ(ConnectError(pw, ""), "Not a valid password");
  EXPECT_EQ(ConnectError(pw, "Password"), "Not a valid password");
  EXPECT_EQ(ConnectError(pw, "password"), "connected");
  // Awkward paths open.
  const std::string plain = Copy("mdb-reader/data_V2003_test.mdb");
  const std::string odd = (dir_ / "a;b=c's \"x\".mdb").string();
  fs::copy_file(plain, odd);
  EXPECT_EQ(ConnectError(odd, ""), "connected");
}

TEST_F(JetProviderTest, RowsFieldsAndConditions) {
  REQUIRE_CORPUS();
  const std::string file = Copy("mdb-reader/data_V2003_test.mdb");
  OpenStatement(file, "Select * From Table1");
  TADOQuery& q = dm_.ADOQueryTemp;
  EXPECT_EQ(q.RecordCount(), 2);
  EXPECT_TRUE(q.IsSequenced());
  ASSERT_EQ(q.FieldCount(), 9);
  EXPECT_STREQ(q.FieldByName("A").ClassName(), "TWideStringField");
  EXPECT_EQ(q.FieldByName("A").TextValue(), "abcdefg");
  q.Next();
  EXPECT_EQ(q.FieldByName("A").TextValue(), "a");
  EXPECT_EQ(q.RecNo(), 2);

  // Jet 4 text is searched as stored; Jet 3 code-page text is decoded first.
  for (const std::string& f : {file, Copy("mdb-reader/data_V1997_test.mdb")}) {
    OpenStatement(f, "select * from [table1] where instr(b,'JKL') > 0");
    EXPECT_EQ(dm_.ADOQueryTemp.RecordCount(), 1) << f;
    EXPECT_EQ(dm_.ADOQueryTemp.FieldByName("B").TextValue(), "hijklmnop");
  }

  OpenStatement(file, "Select * From Table1 Where InStr(A,'')");
  EXPECT_EQ(dm_.ADOQueryTemp.RecordCount(), 2);

  EXPECT_EQ(FailureOf<EOleException>(
                [&] { OpenStatement(file, "Select * From Table1 Where InStr(Nope,'x')"); }),
            "No value given for one or more required parameters");
  EXPECT_NE(FailureOf<EOleException>([&] {
              OpenStatement(file, "Select * From Missing");
            }).find("'Missing'"),
            std::string::npos);
}

TEST_F(JetProviderTest, EveryCorpusTableOpensWithItsRowCount) {
  REQUIRE_CORPUS();
  int tables = 0;
  for (const auto& entry : fs::recursive_directory_iterator(TARNQUILL_CORPUS)) {
    if (entry.path().extension() != ".mdb") continue;
    if (entry.path().filename().string().find("with-password") != std::string::npos) continue;
    const std::string file = Copy(fs::relative(entry.path(), TARNQUILL_CORPUS).string());
    jet::OpenOptions options;
    auto db = jet::Database::Open(file, options);
    if (!db.ok()) continue;
    auto list = (*db)->ListTables();
    if (!list.ok()) continue;
    for (const jet::TableInfo& t : *list) {
      if (t.linked) continue;
      SCOPED_TRACE(file + " [" + t.name + "]");
      ASSERT_OK_AND_ASSIGN(auto def, (*db)->FindTable(t.name));
      const auto rows = static_cast<int>(tarnquill::testing::AllRows(**db, def).size());
      OpenStatement(file, "Select * From [" + t.name + "]");
      EXPECT_EQ(dm_.ADOQueryTemp.RecordCount(), rows);
      EXPECT_EQ(dm_.ADOQueryTemp.FieldCount(), static_cast<int>(def.columns.size()));
      // Walk every record and read every field's text and display text.
      for (dm_.ADOQueryTemp.First(); !dm_.ADOQueryTemp.Eof(); dm_.ADOQueryTemp.Next()) {
        for (int i = 0; i < dm_.ADOQueryTemp.FieldCount(); ++i) {
          (void)dm_.ADOQueryTemp.Field(i)->TextValue();
          (void)dm_.ADOQueryTemp.Field(i)->DisplayText();
        }
      }
      ++tables;
    }
  }
  EXPECT_GT(tables, 50);
}

// Runs Modify's loop over every row of a fixture file that cannot be
// written, replacing "old" by "new" in field Name; returns the failure.
std::string ModifyReadOnlyFixture(TShareDataModule& dm, const std::string& file) {
  dm.ADOConnection1.SetConnected(false);
  dm.ADOConnection1.SetConnectionString(BuildConnectionString(file, ""));
  try {
    ModifyRows(dm.ADOQueryTemp, ViewStatement("People", "", ""), "Name", "old", "new", nullptr);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "no failure";
}

TEST_F(JetProviderTest, ReadOnlyFileRefusesTheFirstRowAndSaysWhichFileAndWhy) {
  tarnquill::testing::TempDir dir;
  ASSERT_OK_AND_ASSIGN(
      const std::string file,
      tarnquill::testing::MakeFixtureDatabase(
          dir.path(),
          {{tarnquill::testing::Table("People", {tarnquill::testing::TextColumn("Name")}),
            {{std::string("old one")}, {std::string("old two")}}}}));
  auto contents_now = [&] { return tarnquill::testing::ReadFileBytes(file); };
  const std::vector<uint8_t> before = contents_now();

  fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  EXPECT_EQ(ModifyReadOnlyFixture(dm_, file),
            "Cannot update. Database or object is read-only. The file '" + file + "' is read-only");
  EXPECT_EQ(dm_.ADOQueryTemp.State(), TDataSetState::Editing) << "the failing row is kept";
  EXPECT_EQ(dm_.ADOQueryTemp.FieldByName("Name").TextValue(), "new one");
  EXPECT_EQ(contents_now(), before);

  // A writable file in a folder where the engine cannot keep its journal.
  fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
  fs::permissions(dir.path(),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const std::string failure = ModifyReadOnlyFixture(dm_, file);
  fs::permissions(dir.path(), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(failure.rfind("Cannot update. Database or object is read-only. ", 0), 0u) << failure;
  EXPECT_NE(failure.find("the folder '" + dir.path() + "' is read-only"), std::string::npos)
      << failure;
  EXPECT_EQ(contents_now(), before);
}

TEST_F(JetProviderTest, PostStoresTheRowInTheFile) {
  REQUIRE_CORPUS();
  const std::string file = Copy("mdb-reader/data_V2003_test.mdb");
  OpenStatement(file, "Select * From Table1 Where InStr(A,'cde')");
  TADOQuery& q = dm_.ADOQueryTemp;
  ASSERT_TRUE(q.CanModify()) << "a writable copy must open for writing";
  ASSERT_EQ(q.RecordCount(), 1);
  TField& a = q.FieldByName("A");
  const int size = a.Size();
  q.Edit();
  // Too long for the column: refused, and nothing reaches the file.
  EXPECT_THROW(a.SetTextValue(std::string(static_cast<size_t>(size) + 1, 'x')), EDatabaseError);
  a.SetTextValue("abXYZfg");
  q.Post();
  EXPECT_EQ(a.TextValue(), "abXYZfg");
  // The changed row no longer matches but stays in the open result.
  EXPECT_EQ(q.RecordCount(), 1);
  OpenStatement(file, "Select * From Table1");
  EXPECT_EQ(dm_.ADOQueryTemp.FieldByName("A").TextValue(), "abXYZfg");
  EXPECT_EQ(dm_.ADOQueryTemp.FieldByName("B").TextValue(), "hijklmnop");
  OpenStatement(file, "Select * From Table1 Where InStr(A,'xyz')");
  EXPECT_EQ(dm_.ADOQueryTemp.RecordCount(), 1);
  dm_.ADOConnection1.SetConnected(false);
  if (!tarnquill::testing::HaveOracle()) GTEST_SKIP() << tarnquill::testing::kNoOracle;
  EXPECT_TRUE(tarnquill::testing::OracleCheck(file));
}

TEST_F(JetProviderTest, AddingAndRemovingRowsIsRefusedAndChangesNothing) {
  REQUIRE_CORPUS();
  const std::string file = Copy("mdb-reader/data_V2003_test.mdb");
  OpenStatement(file, "Select * From Table1");
  TADOQuery& q = dm_.ADOQueryTemp;
  ASSERT_TRUE(q.CanModify()) << "a writable copy must open for writing";
  const int count = q.RecordCount();
  const auto before = fs::file_size(file);
  q.Append();
  q.FieldByName("A").SetTextValue("new");
  EXPECT_EQ(FailureOf<EOleException>([&] { q.Post(); }),
            "Object or provider is not capable of performing requested operation");
  EXPECT_EQ(q.State(), TDataSetState::Inserting);
  q.Cancel();
  EXPECT_THROW(q.Delete(), EOleException);
  EXPECT_EQ(q.RecordCount(), count);
  OpenStatement(file, "Select * From Table1");
  EXPECT_EQ(dm_.ADOQueryTemp.RecordCount(), count);
  EXPECT_EQ(fs::file_size(file), before);
}

}  // namespace
}  // namespace data
