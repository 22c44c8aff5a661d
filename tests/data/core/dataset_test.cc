// The record source over the in-memory provider: lifecycle and the order
// of notifications, moves and the record window, editing, failures.
#include <gtest/gtest.h>

#include "data/db_error.h"
#include "data/run_query.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/core/numbers_query_fixture.h"
#include "tests/data/failure_of.h"

namespace data {
namespace {

using ::tarnquill::testing::FailureOf;

using testing::AddNumbersTable;
using testing::LogHandlers;
using testing::MemoryCatalogScope;
using Log = std::vector<std::string>;

class QueryTest : public testing::NumbersQueryFixture {
 protected:
  QueryTest() : NumbersQueryFixture(20) {}
};

TEST_F(QueryTest, OpenAndCloseNotifyInOrderAndFailuresNameTheQueryAndField) {
  LogHandlers(query_, source_, &log_);
  ASSERT_FALSE(dm_.ADOConnection1.Connected());
  query_.Open();
  EXPECT_TRUE(dm_.ADOConnection1.Connected());  // opening connects the connection
  EXPECT_EQ(query_.RecordCount(), 20);
  EXPECT_EQ(log_, (Log{"BeforeOpen", "link:LiveChanged(1)", "OnStateChange", "OnDataChange(-)",
                       "AfterOpen"}));
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_TRUE(query_.Bof());
  EXPECT_FALSE(query_.Eof());
  EXPECT_TRUE(query_.DefaultFields());
  ASSERT_EQ(query_.FieldCount(), 2);
  EXPECT_EQ(query_.Field(1)->FieldName(), "Name");

  log_.clear();
  query_.Close();
  EXPECT_EQ(log_, (Log{"BeforeClose", "link:LiveChanged(0)", "OnStateChange", "AfterClose"}));
  EXPECT_EQ(query_.FieldCount(), 0);
  EXPECT_EQ(query_.WindowCapacity(), 0);
  EXPECT_EQ(link_.WindowTop(), 0);
  EXPECT_FALSE(link_.Live());
  // A closed query and a missing field fail with their names.
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { (void)query_.RecordCount(); }),
            "ADOQuery1: Cannot perform this operation on a closed dataset");
  EXPECT_THROW(query_.MoveBy(1), EDatabaseError);
  EXPECT_THROW(query_.Post(), EDatabaseError);
  // Open, fields are found ignoring case, and a missing one is named.
  query_.Open();
  EXPECT_EQ(query_.FindField("name"), query_.Field(1));
  EXPECT_EQ(query_.FindField("nope"), nullptr);
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.FieldByName("Nope"); }),
            "ADOQuery1: Field 'Nope' not found");
}

TEST_F(QueryTest, MoveInsideAndPastTheWindow) {
  OpenWindow(3);
  EXPECT_EQ(query_.WindowCapacity(), 3);
  EXPECT_EQ(query_.LoadedCount(), 3);
  LogHandlers(query_, source_, &log_);
  EXPECT_EQ(query_.MoveBy(1), 1);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeScroll", "link:WindowScrolled(0)",
                       "OnDataChange(-)", "AfterScroll"}));
  EXPECT_EQ(query_.MoveBy(1), 1);
  log_.clear();
  // From the last record of the full window: the window shifts by one.
  EXPECT_EQ(query_.MoveBy(1), 1);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeScroll", "link:WindowScrolled(1)",
                       "OnDataChange(-)", "AfterScroll"}));
  EXPECT_EQ(CurrentId(), 4);
  EXPECT_EQ(query_.RecNo(), 4);
  EXPECT_EQ(link_.ActiveRow(), 2);
  // A long move notifies once.
  log_.clear();
  EXPECT_EQ(query_.MoveBy(10), 10);
  EXPECT_EQ(std::count_if(log_.begin(), log_.end(),
                          [](const std::string& s) { return s.rfind("link:Window", 0) == 0; }),
            1);
  EXPECT_EQ(CurrentId(), 14);
}

TEST_F(QueryTest, SliceExampleOfAFullWindow) {
  OpenWindow(10);
  ASSERT_EQ(query_.LoadedCount(), 10);
  query_.MoveBy(9);
  EXPECT_EQ(query_.CurrentIndex(), 9);
  EXPECT_EQ(link_.WindowTop(), 0);
  log_.clear();
  query_.MoveBy(1);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "link:WindowScrolled(1)"}));
  EXPECT_EQ(link_.WindowTop(), 0);
  EXPECT_EQ(query_.CurrentIndex(), 9);
  EXPECT_EQ(CurrentId(), 11);
  // Back inside the slice: shift 0.
  log_.clear();
  query_.MoveBy(-1);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "link:WindowScrolled(0)"}));
}

TEST_F(QueryTest, MovesStopAtTheEnds) {
  OpenWindow(4);
  LogHandlers(query_, source_, &log_);
  // Backward at the beginning: only the before-scroll handler runs.
  EXPECT_EQ(query_.MoveBy(-1), 0);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeScroll"}));
  // Running out part way returns what was moved and sets at-end.
  EXPECT_EQ(query_.MoveBy(25), 19);
  EXPECT_TRUE(query_.Eof());
  EXPECT_EQ(CurrentId(), 20);
  log_.clear();
  EXPECT_EQ(query_.MoveBy(1), 0);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeScroll"}));
  EXPECT_EQ(query_.MoveBy(-30), -19);
  EXPECT_TRUE(query_.Bof());
  EXPECT_EQ(CurrentId(), 1);
}

TEST_F(QueryTest, FirstLastAndRecordNumber) {
  OpenWindow(5);
  log_.clear();
  query_.Last();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "link:WindowReloaded"}));
  EXPECT_TRUE(query_.Eof());
  EXPECT_EQ(CurrentId(), 20);
  EXPECT_EQ(query_.CurrentIndex(), 4);
  EXPECT_EQ(link_.ActiveRow(), 4);
  query_.First();
  EXPECT_TRUE(query_.Bof());
  EXPECT_EQ(CurrentId(), 1);
  // Set record number: the window centres on the record.
  log_.clear();
  query_.SetRecNo(12);
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "link:WindowReloaded"}));
  EXPECT_EQ(CurrentId(), 12);
  EXPECT_EQ(query_.CurrentIndex(), 2);
  EXPECT_EQ(query_.RecNo(), 12);
  // Same number: nothing.
  log_.clear();
  query_.SetRecNo(12);
  EXPECT_EQ(log_, (Log{"link:SettleEdits"}));
  // Near the start there are fewer records before it.
  query_.SetRecNo(2);
  EXPECT_EQ(query_.CurrentIndex(), 1);
  EXPECT_TRUE(query_.IsSequenced());
}

TEST_F(QueryTest, EmptyResultAndABigOneKeepingOnlyTheWindowDecoded) {
  db_->AddTable("Empty", {provider::MemoryColumn("X", provider::adInteger)});
  query_.SQL().Clear();
  query_.SQL().Add("Select * From Empty");
  query_.Open();
  EXPECT_TRUE(query_.Bof());
  EXPECT_TRUE(query_.Eof());
  EXPECT_TRUE(query_.IsEmpty());
  EXPECT_EQ(query_.RecordCount(), 0);
  EXPECT_EQ(query_.RecNo(), -1);
  EXPECT_EQ(query_.MoveBy(1), 0);
  EXPECT_TRUE(query_.FieldByName("X").IsNull());
  EXPECT_EQ(link_.RowsInWindow(), 0);
  // A big result keeps only the window decoded.
  query_.SQL().Clear();
  provider::MemoryTable& t =
      db_->AddTable("Big", {provider::MemoryColumn("N", provider::adInteger)});
  t.rows.reserve(200000);
  for (int i = 0; i < 200000; ++i) t.rows.push_back({provider::Variant(int64_t{i})});
  query_.SQL().Add("Select * From Big");
  link_.SetWindowSize(30);
  db_->rows_read = 0;
  query_.Open();
  EXPECT_EQ(query_.RecordCount(), 200000);
  EXPECT_EQ(db_->rows_read, 30);
  query_.Last();
  EXPECT_EQ(query_.FieldByName("N").TextValue(), "199999");
  EXPECT_EQ(db_->rows_read, 60);
  query_.SetRecNo(100000);
  EXPECT_EQ(query_.FieldByName("N").TextValue(), "99999");
  EXPECT_LE(db_->rows_read, 90);
}

TEST_F(QueryTest, EditPostNotifiesInOrderAndStoresOneRow) {
  query_.Open();
  query_.MoveBy(2);
  LogHandlers(query_, source_, &log_);
  query_.Edit();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeEdit", "link:EditingChanged(1)", "OnStateChange",
                       "link:RecordEdited(-)", "OnDataChange(-)", "AfterEdit"}));
  log_.clear();
  query_.FieldByName("Name").SetTextValue("changed");
  EXPECT_EQ(log_, (Log{"link:RecordEdited(Name)", "OnDataChange(Name)"}));
  EXPECT_TRUE(query_.Modified());
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "changed");
  EXPECT_EQ(db_->rows_written, 0);
  log_.clear();
  query_.Post();
  EXPECT_EQ(log_, (Log{"link:WriteBack", "OnUpdateData", "link:SettleEdits", "BeforePost",
                       "link:EditingChanged(0)", "OnStateChange", "link:WindowReloaded",
                       "OnDataChange(-)", "AfterPost"}));
  EXPECT_EQ(db_->rows_written, 1);
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[2][1]), "changed");
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "changed");
  EXPECT_EQ(CurrentId(), 3);
}

TEST_F(QueryTest, CancelDropsTheChangeAndAMovePostsIt) {
  query_.Open();
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("x");
  LogHandlers(query_, source_, &log_);
  query_.Cancel();
  EXPECT_EQ(log_, (Log{"link:SettleEdits", "BeforeCancel", "link:EditingChanged(0)",
                       "OnStateChange", "link:WindowReloaded", "OnDataChange(-)", "AfterCancel"}));
  EXPECT_EQ(query_.FieldByName("Name").TextValue(), "row1");
  EXPECT_EQ(db_->rows_written, 0);
  log_.clear();
  query_.Cancel();  // browsing: nothing
  EXPECT_TRUE(log_.empty());
  // Moving posts a modified record.
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("moved");
  query_.MoveBy(1);
  EXPECT_EQ(query_.State(), TDataSetState::Browsing);
  EXPECT_EQ(std::get<std::string>(db_->tables[0].rows[0][1]), "moved");
  EXPECT_EQ(CurrentId(), 2);
}

TEST_F(QueryTest, EditingFailures) {
  query_.Open();
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.Post(); }),
            "ADOQuery1: Dataset not in edit or insert mode");
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.FieldByName("Name").SetTextValue("x"); }),
            "ADOQuery1: Dataset not in edit or insert mode");
  // A failed store keeps editing; the next post stores the record.
  query_.Edit();
  query_.FieldByName("Name").SetTextValue("x");
  db_->fail_next_write = "Record is locked.  ";
  EXPECT_EQ(FailureOf<EOleException>([&] { query_.Post(); }), "Record is locked");
  EXPECT_EQ(query_.State(), TDataSetState::Editing);
  EXPECT_EQ(db_->rows_written, 0);
  query_.Post();
  EXPECT_EQ(db_->rows_written, 1);
  query_.Close();
  db_->read_only = true;
  query_.Open();
  EXPECT_EQ(FailureOf<EDatabaseError>([&] { query_.Edit(); }),
            "ADOQuery1: Cannot modify a read-only dataset");
}

TEST_F(QueryTest, OpenFailuresLeaveItClosedAndChangingTheStatementCloses) {
  query_.SQL().Clear();
  query_.SQL().Add("Select * From Missing");
  EXPECT_THROW(query_.Open(), EOleException);
  EXPECT_EQ(query_.State(), TDataSetState::Closed);
  EXPECT_EQ(query_.FieldCount(), 0);
  query_.SQL().Clear();
  query_.SQL().Add("Select * From Numbers");
  query_.Open();
  EXPECT_EQ(query_.RecordCount(), 20);
  query_.SQL().Clear();
  EXPECT_FALSE(query_.Active());
  EXPECT_EQ(query_.CommandText(), "");
  query_.SQL().Add("Select * From Numbers Where InStr(Name,'1')");
  EXPECT_EQ(query_.CommandText(), "Select * From Numbers Where InStr(Name,'1')\r\n");
  query_.Open();
  // row1, row10..row19
  EXPECT_EQ(query_.RecordCount(), 11);
}

TEST_F(QueryTest, NotificationsDisabled) {
  OpenWindow(3);
  log_.clear();
  query_.DisableControls();
  query_.MoveBy(5);
  query_.Last();
  EXPECT_TRUE(log_.empty());
  query_.EnableControls();
  EXPECT_EQ(log_, (Log{"link:WindowReloaded"}));

  // A layout change meanwhile is what is sent at enabling.
  log_.clear();
  query_.DisableControls();
  query_.DisableControls();
  query_.DataEvent(TDataEvent::LayoutReshaped, 0);
  query_.EnableControls();
  EXPECT_TRUE(log_.empty());
  query_.EnableControls();
  EXPECT_EQ(log_, (Log{"link:LayoutReshaped"}));

  // Opening while disabled: only the state change at enabling.
  query_.Close();
  log_.clear();
  query_.DisableControls();
  query_.Open();
  EXPECT_TRUE(log_.empty());
  query_.EnableControls();
  EXPECT_EQ(log_, (Log{"link:LiveChanged(1)"}));
}

TEST_F(QueryTest, CloseAndReopenWhileDisabledStillReachesLinks) {
  query_.Open();
  log_.clear();
  query_.DisableControls();
  query_.Close();
  query_.Open();
  // The data source kept its state, so links hear only the silent switches.
  EXPECT_EQ(log_, (Log{"link:SilentStateSwitch(0)", "link:SilentStateSwitch(1)"}));
  log_.clear();
  query_.EnableControls();
  // The fields are new: the links rebuild their layout.
  EXPECT_EQ(log_, (Log{"link:LayoutReshaped"}));
  EXPECT_TRUE(link_.Live());
  // A closed data source relays only state changes.
  source_.SetEnabled(false);
  log_.clear();
  query_.MoveBy(1);
  EXPECT_TRUE(log_.empty());
  EXPECT_FALSE(link_.Live());
}

TEST(ParameterScan, MarkersOnlyOutsideLiterals) {
  struct Case {
    const char* text;
    const char* command;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"Select * From T Where InStr(F,:p)\r\n", "Select * From T Where InStr(F,?)\r\n", {"p"}},
      {"Select * From a::b", "Select * From a:b", {}},
      {"InStr(F,'10:30') `x:y` \"u:v\"", "InStr(F,'10:30') `x:y` \"u:v\"", {}},
      // Another kind of quote inside a literal is text: the colon after it too.
      {"InStr(F,'say \"hi :there')\r\n", "InStr(F,'say \"hi :there')\r\n", {}},
      {"InStr(F,'a`b:c') And :p", "InStr(F,'a`b:c') And ?", {"p"}},
      {"InStr(F,'it''s \":x') :y", "InStr(F,'it''s \":x') ?", {"y"}},
      {"InStr(F,\"a'b:c\")", "InStr(F,\"a'b:c\")", {}},
      {"From 表:名,x", "From 表?,x", {"名"}},
      {"Where F=:'a b',x", "Where F=?,x", {"a b"}},
      // A literal never closed keeps everything after it.
      {"InStr(F,'a:b", "InStr(F,'a:b", {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> names;
    EXPECT_EQ(ScanParameters(c.text, &names), c.command) << c.text;
    EXPECT_EQ(names, c.names) << c.text;
  }
}

TEST(ParameterScan, TypedSearchTextOpensAndOnlyARealMarkerFails) {
  testing::MemoryCatalogScope scope;
  provider::MemoryTable& t = scope.Add("n.mdb")->AddTable(
      "Words", {provider::MemoryColumn("Name", provider::adVarWChar, 50)});
  for (const char* w : {"a\"b:c", "x`y:z and more", "it's \":q", "plain"}) {
    t.rows.push_back({provider::Variant(w)});
  }
  TShareDataModule dm;
  dm.ADOConnection1.SetConnectionString(BuildConnectionString("n.mdb", ""));
  for (const char* search : {"a\"b:c", "`y:z", "'s \":q"}) {
    TADOQuery q("ADOQuery1");
    q.SetConnection(&dm.ADOConnection1);
    q.SQL().Add(ViewStatement("Words", "Name", search));
    EXPECT_TRUE(q.Parameters().empty()) << search;
    ASSERT_NO_THROW(q.Open()) << search;
    EXPECT_EQ(q.RecordCount(), 1) << search;
  }
  TADOQuery marker("ADOQuery1");
  marker.SetConnection(&dm.ADOConnection1);
  marker.SQL().Add("Select * From Words Where InStr(Name,:p)");
  EXPECT_EQ(marker.Parameters(), std::vector<std::string>{"p"});
  EXPECT_THROW(marker.Open(), EOleException);
  EXPECT_FALSE(marker.Active());
}

}  // namespace
}  // namespace data
