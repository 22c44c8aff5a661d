// Adding and removing records through the query: the order of handlers and
// notifications, the record window around the new record, what is stored,
// and refusals.
#include <gtest/gtest.h>

#include "data/db_error.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/core/numbers_query_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using testing::AddNumbersTable;
using testing::LogHandlers;
using Log = std::vector<std::string>;

class RecordChangesTest : public testing::NumbersQueryFixture {
 protected:
  RecordChangesTest() : NumbersQueryFixture(6) {}

  // The Name of every record in the window, "*" marking the current one
  // and "-" standing for an empty Name.
  std::string Window() {
    std::string out;
    const int current = query_.CurrentIndex();
    for (int i = 0; i < query_.LoadedCount(); ++i) {
      query_.SetCurrentIndex(i);
      std::string name = query_.FieldByName("Name").TextValue();
      out += (out.empty() ? "" : " ") + (name.empty() ? "-" : name) + (i == current ? "*" : "");
    }
    query_.SetCurrentIndex(current);
    return out;
  }
  std::vector<std::string> StoredNames() {
    std::vector<std::string> names;
    for (const auto& row : db_->tables[0].rows) {
      names.push_back(provider::IsNull(row[1]) ? "-" : std::get<std::string>(row[1]));
    }
    return names;
  }
};

TEST_F(RecordChangesTest, InsertAndPostNotifyInOrder) {
  query_.Open();
  query_.MoveBy(2);
  LogHandlers(query_, source_, &log_);
  query_.Insert();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeInsert", "BeforeScroll", "link:EditingChanged(1)",
                       "OnStateChange", "link:WindowReloaded", "OnDataChange(-)", "AfterInsert",
                       "AfterScroll"}));
  EXPECT_EQ(query_.State(), TDataSetState::Inserting);
  EXPECT_EQ(query_.RecNo(), -1);
  EXPECT_TRUE(query_.FieldByName("Name").IsNull());
  EXPECT_FALSE(query_.Modified());

  query_.FieldByName("Name").SetTextValue("new");
  log_.clear();
  query_.Post();
  EXPECT_EQ(log_, (Log{"link:WriteBack", "OnUpdateData", "link:SettleEdits", "BeforePost",
                       "link:EditingChanged(0)", "OnStateChange", "link:WindowReloaded",
                       "OnDataChange(-)", "AfterPost"}));
  EXPECT_EQ(db_->rows_inserted, 1);
  EXPECT_EQ(query_.RecordCount(), 7);
  EXPECT_EQ(query_.RecNo(), 7);  // stored after the last record
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "new");
  EXPECT_TRUE(query_.FieldByName("ID").IsNull());  // ID is not numbered by this table
}

TEST_F(RecordChangesTest, NewRecordTakesItsPlaceInTheWindow) {
  OpenWindow(4);
  query_.MoveBy(1);
  query_.Insert();
  EXPECT_EQ(Window(), "row1 -* row2 row3");  // row4 made room
  query_.Cancel();
  EXPECT_EQ(Window(), "row1 row2* row3 row4");

  query_.Append();
  EXPECT_EQ(Window(), "row4 row5 row6 -*");
  EXPECT_TRUE(query_.Eof());
  query_.FieldByName("Name").SetTextValue("row7");
  query_.Post();
  EXPECT_EQ(Window(), "row4 row5 row6 row7*");

  // Growing the window while inserting keeps the new record in its place.
  query_.First();
  query_.Insert();
  link_.SetWindowSize(6);
  EXPECT_EQ(Window(), "-* row1 row2 row3 row4 row5");
  query_.FieldByName("Name").SetTextValue("row0");
  query_.Post();
  EXPECT_EQ(StoredNames().back(), "row0");
  EXPECT_EQ(query_.RecNo(), 8);
}

TEST_F(RecordChangesTest, CancelledInsertNotifiesAndStoresNothing) {
  query_.Open();
  query_.MoveBy(1);
  query_.Insert();
  query_.FieldByName("Name").SetTextValue("gone");
  LogHandlers(query_, source_, &log_);
  query_.Cancel();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeCancel", "BeforeScroll", "link:EditingChanged(0)",
                       "OnStateChange", "link:WindowReloaded", "OnDataChange(-)", "AfterCancel",
                       "AfterScroll"}));
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "row2");
  EXPECT_EQ(db_->rows_inserted, 0);
  EXPECT_EQ(query_.RecordCount(), 6);

  // Appending to an empty result and cancelling leaves it empty.
  auto empty = scope_.Add("empty.mdb");
  AddNumbersTable(*empty, 0);
  query_.Close();
  dm_.ADOConnection1.Close();
  dm_.ADOConnection1.SetConnectionString(BuildConnectionString("empty.mdb", ""));
  query_.Open();
  query_.Append();
  EXPECT_EQ(query_.LoadedCount(), 1);
  query_.Cancel();
  EXPECT_TRUE(query_.IsEmpty());
  EXPECT_TRUE(query_.Eof());
  query_.Insert();
  query_.FieldByName("Name").SetTextValue("first");
  query_.Post();
  EXPECT_EQ(query_.RecordCount(), 1);
  EXPECT_EQ(query_.RecNo(), 1);
}

TEST_F(RecordChangesTest, DeleteNotifiesAndTheNextRecordTakesItsPlace) {
  OpenWindow(3);
  query_.MoveBy(1);
  LogHandlers(query_, source_, &log_);
  query_.Delete();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeDelete", "BeforeScroll", "link:WindowReloaded",
                       "OnDataChange(-)", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(StoredNames(), (std::vector<std::string>{"row1", "row3", "row4", "row5", "row6"}));
  EXPECT_EQ(Window(), "row1 row3* row4");
  EXPECT_EQ(query_.RecNo(), 2);

  query_.Last();
  query_.Delete();  // the last record: the one before it becomes current
  EXPECT_EQ(Window(), "row3 row4 row5*");
  while (!query_.IsEmpty()) query_.Delete();
  EXPECT_TRUE(db_->tables[0].rows.empty());
  EXPECT_TRUE(query_.Bof() && query_.Eof());
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.Delete(); }),
            "ADOQuery1: Cannot perform this operation on an empty dataset");
}

// Deleting while editing drops the change first; another query open on the
// table keeps pointing at its own rows.
TEST_F(RecordChangesTest, DeleteWhileEditingDropsTheChangeFirst) {
  TADOQuery other("ADOQueryTemp");
  other.SetConnection(&dm_.ADOConnection1);
  other.SQL().Add("Select * From Numbers");
  query_.Open();
  other.Open();
  other.Last();
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("edited");
  std::string seen;
  query_.BeforeDelete = [&](TDataSet& ds) { seen = ds.FieldByName("Name").TextValue(); };
  query_.Delete();
  EXPECT_EQ(seen, "row1");
  EXPECT_EQ(db_->rows_written, 0);
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "row2");
  EXPECT_EQ(other.FieldByName("Name").TextValue(), "row6");
  other.First();
  EXPECT_EQ(other.FieldByName("Name").TextValue(), "row2");
  EXPECT_EQ(other.RecordCount(), 5);
}

TEST_F(RecordChangesTest, RefusedChangesLeaveEverythingInPlace) {
  query_.Open();
  db_->fail_next_write = "Record is locked.";
  EXPECT_THROW(query_.Delete(), EOleException);
  EXPECT_EQ(query_.RecordCount(), 6);
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "row1");

  query_.Close();
  db_->read_only = true;
  query_.Open();
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.Append(); }),
            "ADOQuery1: Cannot modify a read-only dataset");
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_THROW(query_.Delete(), EDatabaseError);
  EXPECT_EQ(db_->rows_deleted, 0);
}

TEST_F(RecordChangesTest, StoreNumbersItsCountersAndRefusesRequiredNulls) {
  provider::ColumnInfo id = provider::MemoryColumn("ID", provider::adInteger, 4, false);
  id.auto_increment = true;
  provider::ColumnInfo code = provider::MemoryColumn("Code", provider::adVarWChar, 5);
  code.attributes &= ~static_cast<uint32_t>(provider::adFldIsNullable);
  provider::MemoryTable& t = db_->AddTable("Codes", {id, code});
  t.rows.push_back({provider::Variant(int64_t{41}), provider::Variant(std::string("a"))});
  query_.SQL().Clear();
  query_.SQL().Add("Select * From Codes");
  query_.Open();

  query_.Append();
  query_.FieldByName("Code").SetTextValue("b");
  query_.Post();
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "42");

  query_.Append();
  EXPECT_NE(FailureOf<EOleException>([&] {
              query_.Post();
            }).find("'Codes.Code' cannot contain a Null value"),
            std::string::npos);
  EXPECT_EQ(query_.State(), TDataSetState::Inserting);
  query_.Cancel();
  EXPECT_EQ(query_.RecordCount(), 2);
}

TEST_F(RecordChangesTest, ShrinkingTheWindowWhileEditingStoresTheRightRecord) {
  OpenWindow(5);
  query_.MoveBy(4);  // row5, last in the window
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("five");
  link_.SetWindowSize(2);  // the records before it leave the window
  EXPECT_EQ(Window(), "row4 five*");
  query_.Post();
  EXPECT_EQ(StoredNames(),
            (std::vector<std::string>{"row1", "row2", "row3", "row4", "five", "row6"}));
}

}  // namespace
}  // namespace data
