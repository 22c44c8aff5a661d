// The summary list: full passes, incremental updates, how it hooks the
// record source's handlers, and the grid's footers that show it. Most
// changes go through a real query's own insert, post, delete, cancel and
// filter operations; a plain memory record source serves where a test
// counts fetches or feeds the list's handlers directly.
#include "grid/columns/sum_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/ado_query.h"
#include "data/db_error.h"
#include "grid/binding/data_grid.h"
#include "grid_fixture.h"
#include "tests/data/core/memory_fixture.h"
#include "tests/data/failure_of.h"

namespace grid_test {
namespace {

using ::tarnquill::testing::FailureOf;

using grid::TGroupOperation;
using enum grid::TGroupOperation;
using grid::TSumItem;
using Log = std::vector<std::string>;
using V = provider::Variant;

// Table Prices: ID (numbered by the store), Price (float), Qty (integer).
void AddPrices(provider::MemoryDatabase& db, const std::vector<V>& prices,
               const std::vector<V>& qtys) {
  provider::ColumnInfo id = provider::MemoryColumn("ID", provider::adInteger, 4, false);
  id.auto_increment = true;
  provider::MemoryTable& t =
      db.AddTable("Prices", {id, provider::MemoryColumn("Price", provider::adDouble),
                             provider::MemoryColumn("Qty", provider::adInteger)});
  for (size_t i = 0; i < prices.size(); ++i) {
    t.rows.push_back({V(static_cast<int64_t>(i + 1)), prices[i], qtys[i]});
  }
}

// The same three records (Price 1.5, null, 2.25; Qty 5, 2, 3) behind the
// view query and in the memory record source.
class SumListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = scope.Add("prices.mdb");
    AddPrices(*db, {V(1.5), V(), V(2.25)}, {V(int64_t{5}), V(int64_t{2}), V(int64_t{3})});
    dm.ADOConnection1.SetConnectionString(data::BuildConnectionString("prices.mdb", ""));
    query.SetConnection(&dm.ADOConnection1);
    query.SQL().Add("Select * From Prices");
    list.OnRecalcAll = [this](grid::TSumListProducer&) { ++passes; };
    list.SumListChanged = [this](grid::TSumListProducer&) { ++changes; };
  }

  TSumItem& Add(TGroupOperation op, const std::string& field) {
    TSumItem& item = list.SumCollection().Add();
    item.SetGroupOperation(op);
    item.SetFieldName(field);
    return item;
  }
  void Set(const char* field, const std::string& text) {
    query.FieldByName(field).SetTextValue(text);
  }
  size_t StoredRows() { return db->Find("Prices")->rows.size(); }
  // Each summary's result in the order added, an average's with "/" and
  // the number of values it counted.
  std::string Totals() {
    std::string text;
    for (int i = 0; i < list.SumCollection().Count(); ++i) {
      const TSumItem& item = list.SumCollection()[i];
      text += (i ? " " : "") + std::to_string(item.ResultValue);
      if (item.GroupOperation() == TGroupOperation::goAvg) {
        text += "/" + std::to_string(item.NonNullCount);
      }
    }
    return text;
  }
  std::unique_ptr<data::TADOQuery> NewQuery(const std::string& sql) {
    auto q = std::make_unique<data::TADOQuery>("ADOQuery2");
    q->SetConnection(&dm.ADOConnection1);
    q->SQL().Add(sql);
    return q;
  }
  // Gives the list `source` and opens it.
  void OpenWithList(data::TDataSet& source) {
    list.SetRecordSource(&source);
    source.Open();
  }
  // Adds the summaries `items` (operation and field) and opens the query
  // under the list.
  void OpenSumming(std::initializer_list<std::pair<TGroupOperation, const char*>> items) {
    for (const auto& [op, field] : items) Add(op, field);
    OpenWithList(query);
  }

  data::testing::MemoryCatalogScope scope;
  std::shared_ptr<provider::MemoryDatabase> db;
  Log log;  // outlives the record sources and the list, whose handlers write to it
  data::TShareDataModule dm;
  data::TADOQuery query{"ADOQuery1"};
  MemoryDataSet memory{"Memory",
                       {Column("Price", provider::adDouble), Column("Qty", provider::adInteger)},
                       {{V(1.5), V(int64_t{5})}, {V(), V(int64_t{2})}, {V(2.25), V(int64_t{3})}}};
  grid::TSumListProducer list;
  int passes = 0;
  int changes = 0;
};

TEST_F(SumListTest, OpenComputesSumAverageAndCount) {
  Add(TGroupOperation::goSum, "Price");
  TSumItem& avg = Add(TGroupOperation::goAvg, "price");
  Add(TGroupOperation::goCount, "");
  OpenWithList(query);
  EXPECT_EQ(Totals(), "37500 18750/2 30000");
  EXPECT_EQ(query.RecNo(), 1);  // left on the first record
  EXPECT_EQ(passes, 1);
  EXPECT_EQ(list.FindSummary(TGroupOperation::goAvg, "PRICE"), &avg);
  EXPECT_EQ(list.FindSummary(TGroupOperation::goSum, "Qty"), nullptr);
}

TEST_F(SumListTest, AverageOfOneTwoTwoRoundsToFourDecimals) {
  auto db = scope.Add("ones.mdb");
  AddPrices(*db, {V(1.0), V(2.0), V(2.0)}, {V(), V(), V()});
  dm.ADOConnection1.Close();
  dm.ADOConnection1.SetConnectionString(data::BuildConnectionString("ones.mdb", ""));
  OpenSumming({{goAvg, "Price"}, {goAvg, "Qty"}});
  EXPECT_EQ(Totals(), "16667/3 0/0");  // no non-null Qty: 0, not a division by zero
}

TEST_F(SumListTest, AppendPostAndDeleteUpdateWithoutAPass) {
  OpenSumming({{goSum, "Price"}, {goAvg, "Price"}, {goCount, ""}});
  const int passes_before = passes;

  query.Append();
  EXPECT_EQ(query.State(), data::TDataSetState::Inserting);
  Set("Price", "4");
  query.Post();
  EXPECT_EQ(StoredRows(), 4u);
  EXPECT_EQ(query.FieldByName("ID").TextValue(), "4");  // the new record is current
  EXPECT_EQ(Totals(), "77500 25833/3 40000");           // the average 7.75 / 3

  query.Delete();
  EXPECT_EQ(StoredRows(), 3u);
  EXPECT_EQ(Totals(), "37500 18750/2 30000");
  EXPECT_EQ(passes, passes_before);

  // A record inserted mid-table with no value counts, but adds nothing.
  query.First();
  query.Insert();
  query.Post();
  EXPECT_EQ(Totals(), "37500 18750/2 40000");
  EXPECT_EQ(passes, passes_before);

  // The values agree with what a fresh pass finds.
  list.RecalculateAll();
  EXPECT_EQ(Totals(), "37500 18750/2 40000");

  // Deleting a record whose price is null keeps the average.
  query.Next();
  ASSERT_EQ(query.FieldByName("ID").TextValue(), "2");
  query.Delete();
  EXPECT_EQ(Totals(), "37500 18750/2 30000");
  EXPECT_EQ(query.FieldByName("ID").TextValue(), "3");  // the next record took its place
}

TEST_F(SumListTest, EditsPostCancelAndDeleteThroughTheQuery) {
  OpenSumming({{goSum, "Qty"}, {goAvg, "Qty"}, {goCount, ""}});
  ASSERT_EQ(Totals(), "100000 33333/3 30000");
  const int passes_before = passes;
  // Each edit of the first record, posted or cancelled; "" is null, and null
  // back to a value brings the record into the average again.
  const struct {
    const char* qty;
    bool post;
    const char* totals;
  } edits[] = {
      {"7", true, "120000 40000/3 30000"},
      {"", true, "50000 25000/2 30000"},
      {"9", false, "50000 25000/2 30000"},
      {"1", true, "60000 20000/3 30000"},
  };
  for (const auto& e : edits) {
    SCOPED_TRACE(e.qty);
    query.Edit();
    Set("Qty", e.qty);
    e.post ? query.Post() : query.Cancel();
    EXPECT_EQ(Totals(), e.totals);
  }
  // Deleting while editing takes off the stored value, not the edited one.
  const int written = db->rows_written;
  query.Edit();
  Set("Qty", "50");  // never stored
  query.Delete();
  EXPECT_EQ(Totals(), "50000 25000/2 20000");  // 6 - 1
  EXPECT_EQ(db->rows_written, written);
  EXPECT_EQ(passes, passes_before);
}

TEST_F(SumListTest, CancelledInsertChangesNothingAndAFailedStoreKeepsTheValues) {
  OpenSumming({{goSum, "Price"}, {goCount, ""}});
  query.Next();
  const int changes_before = changes;

  query.Insert();
  Set("Price", "100");
  query.Cancel();
  EXPECT_EQ(Totals(), "37500 30000");
  EXPECT_EQ(StoredRows(), 3u);
  EXPECT_EQ(query.FieldByName("ID").TextValue(), "2");  // back where the insert started
  EXPECT_EQ(changes, changes_before);

  // Deleting while inserting only drops the new record.
  query.Append();
  Set("Price", "100");
  query.Delete();
  EXPECT_EQ(Totals(), "37500 30000");
  EXPECT_EQ(StoredRows(), 3u);

  // A new record given no value and left by a move is dropped too.
  query.Insert();
  query.First();
  EXPECT_EQ(Totals(), "37500 30000");
  EXPECT_EQ(StoredRows(), 3u);

  // A failed store keeps the values; the second try stores the record.
  query.Append();
  Set("Price", "4");
  db->fail_next_write = "Disk full.";
  EXPECT_THROW(query.Post(), data::EOleException);
  EXPECT_EQ(query.State(), data::TDataSetState::Inserting);
  EXPECT_EQ(Totals(), "37500 30000");
  query.Post();
  EXPECT_EQ(Totals(), "77500 40000");
}

TEST_F(SumListTest, FilterChangesMakeOnePassEachAndBadFiltersNone) {
  OpenSumming({{goSum, "Price"}, {goCount, ""}});
  const int passes_before = passes;

  // Changing the text while the filter is off is no change of what is shown.
  query.SetFilter("Price >= 2");
  query.Next();
  EXPECT_EQ(passes, passes_before);

  query.SetFiltered(true);
  EXPECT_EQ(passes, passes_before + 1);
  EXPECT_EQ(Totals(), "22500 10000");
  EXPECT_EQ(query.RecordCount(), 1);
  query.Next();
  query.First();
  EXPECT_EQ(passes, passes_before + 1);  // scrolling again: no pass

  query.SetFilter("Price < 2 OR Price IS NULL");
  EXPECT_EQ(passes, passes_before + 2);
  EXPECT_EQ(Totals(), "15000 20000");

  query.SetFiltered(false);
  EXPECT_EQ(passes, passes_before + 3);
  EXPECT_EQ(Totals(), "37500 30000");

  // A bad filter leaves the view and the values alone.
  query.First();
  query.Next();
  query.SetFilter("Price >");
  EXPECT_THROW(query.SetFiltered(true), data::EDatabaseError);
  EXPECT_FALSE(query.Filtered());
  EXPECT_EQ(query.RecNo(), 2);
  query.SetFilter("Cost > 1");
  EXPECT_EQ(FailureOf<data::EDatabaseError>([&] { query.SetFiltered(true); }),
            "ADOQuery1: Field 'Cost' not found");
  query.Next();
  EXPECT_EQ(passes, passes_before + 3);
  EXPECT_EQ(Totals(), "37500 30000");
}

TEST_F(SumListTest, RecordFilterHandlerAndIncrementalChangesUnderAFilter) {
  OpenSumming({{goSum, "Qty"}, {goCount, ""}});
  const int passes_before = passes;
  query.SetOnFilterRecord(
      [](data::TDataSet& ds, bool& accept) { accept = ds.FieldByName("Qty").TextValue() != "2"; });
  query.SetFiltered(true);
  EXPECT_EQ(passes, passes_before + 1);
  EXPECT_EQ(Totals(), "80000 20000");

  // Changes made while filtered keep the visible totals right.
  query.Last();
  query.Delete();  // Qty 3
  EXPECT_EQ(Totals(), "50000 10000");
  query.Append();
  Set("Qty", "2");  // shown until the filter is applied again
  query.Post();
  EXPECT_EQ(Totals(), "70000 20000");
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_EQ(passes, passes_before + 1);

  // A new handler is a change of filter; the stored table agrees.
  query.SetOnFilterRecord(nullptr);  // the filter now shows every record
  EXPECT_EQ(passes, passes_before + 2);
  EXPECT_EQ(Totals(), "90000 30000");  // 5 + 2 + 2
}

TEST_F(SumListTest, ProgramHandlersRunAroundTheListsWork) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  auto note = [this, &sum](const char* what) {
    return [this, &sum, what](data::TDataSet&) {
      log.push_back(std::string(what) + " " + std::to_string(sum.ResultValue) + "/" +
                    std::to_string(sum.PreEditValue));
    };
  };
  query.AfterOpen = note("open");
  query.AfterEdit = note("edit");
  query.AfterInsert = note("insert");
  query.AfterPost = note("post");
  query.BeforeDelete = note("delete");
  query.AfterCancel = note("cancel");
  query.AfterClose = note("close");
  int scrolls = 0;
  query.AfterScroll = [&](data::TDataSet&) { ++scrolls; };
  list.SumListChanged = [this](grid::TSumListProducer&) { log.push_back("list"); };
  list.SetRecordSource(&query);
  log.clear();
  query.Open();
  EXPECT_EQ(log.back(), "open 100000/0");  // after the pass
  EXPECT_EQ(scrolls, 5);                   // the pass's own moves reach the program too
  query.Edit();
  query.Cancel();
  query.Edit();
  Set("Qty", "6");
  query.Post();
  query.Append();
  Set("Qty", "1");
  query.Post();
  query.Delete();
  query.Close();
  // Edit, insert, post and close: the list first. Delete and cancel: the
  // program first.
  EXPECT_EQ(log, (Log{"list", "list", "open 100000/0", "edit 100000/50000", "cancel 100000/50000",
                      "edit 100000/50000", "list", "post 110000/50000", "insert 110000/0", "list",
                      "post 120000/0", "delete 120000/0", "list", "list", "list", "close 0/0"}));
}

TEST_F(SumListTest, SwitchingOffRestoresTheProgramsHandlers) {
  int opens = 0, inserts = 0, posts = 0, deletes = 0;
  query.AfterOpen = [&](data::TDataSet&) { ++opens; };
  query.AfterInsert = [&](data::TDataSet&) { ++inserts; };
  query.AfterPost = [&](data::TDataSet&) { ++posts; };
  query.BeforeDelete = [&](data::TDataSet&) { ++deletes; };
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  OpenWithList(query);
  list.SetActive(false);
  EXPECT_EQ(sum.ResultValue, 0);
  const int passes_before = passes;
  query.Close();
  query.Open();
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(passes, passes_before);

  query.Append();
  Set("Qty", "4");
  query.Post();
  query.Delete();
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(sum.ResultValue, 0);  // the list heard nothing

  list.SetActive(true);
  EXPECT_EQ(sum.ResultValue, 100000);
  query.Append();
  Set("Qty", "4");
  query.Post();
  EXPECT_EQ(sum.ResultValue, 140000);
  EXPECT_EQ(inserts, 2);
  EXPECT_EQ(posts, 2);
}

TEST_F(SumListTest, QueryDestroyedBeforeTheListUnhooks) {
  auto doomed = NewQuery("Select * From Prices");
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  list.SetRecordSource(doomed.get());
  doomed->Open();
  ASSERT_EQ(sum.ResultValue, 37500);
  doomed.reset();
  EXPECT_EQ(list.RecordSource(), nullptr);
  EXPECT_FALSE(list.Hooked());
  EXPECT_EQ(sum.ResultValue, 0);
  EXPECT_EQ(list.RecordCount(), 0);
  list.SetActive(false);
  list.SetActive(true);
  list.SetRecordSource(&query);  // and it can be bound again
  query.Open();
  EXPECT_EQ(sum.ResultValue, 37500);
  // An inactive list forgets a destroyed query too.
  doomed = std::make_unique<data::TADOQuery>("ADOQuery2");
  list.SetActive(false);
  list.SetRecordSource(doomed.get());
  doomed.reset();
  EXPECT_EQ(list.RecordSource(), nullptr);
  EXPECT_EQ(list.RecNo(), -1);
}

TEST_F(SumListTest, ListDestroyedFirstLeavesNothingBehind) {
  int opens = 0;
  query.AfterOpen = [&](data::TDataSet&) { ++opens; };
  {
    grid::TSumListProducer list;
    list.SumCollection().Add().SetFieldName("Price");
    list.SetRecordSource(&query);
    query.Open();
  }
  query.Close();
  query.Open();  // runs only the program's handler
  EXPECT_EQ(opens, 2);
}

TEST_F(SumListTest, CloseResetsAndNotifiesAndAFailedPassStillAnnounces) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  OpenWithList(memory);
  int before = changes;
  memory.Close();
  EXPECT_EQ(sum.ResultValue, 0);
  EXPECT_EQ(changes, before + 2);
  // A pass that fails still announces its end and enables the controls again.
  Add(TGroupOperation::goSum, "Nope");
  before = changes;
  EXPECT_THROW(memory.Open(), data::EDatabaseError);
  EXPECT_FALSE(memory.ControlsDisabled());
  EXPECT_FALSE(list.Recalculating());
  EXPECT_GE(changes, before + 2);
}

// Without summaries, or with only a sum of no field, no pass is made.
TEST_F(SumListTest, NothingToSumMakesNoPass) {
  list.SetRecordSource(&memory);
  int before = changes;
  memory.Open();
  EXPECT_EQ(memory.RecNo(), 1);
  EXPECT_EQ(memory.fetches, 1);    // only the window's one record
  EXPECT_EQ(changes, before + 2);  // reset and final notice
  Add(TGroupOperation::goSum, "");
  memory.Next();
  int fetches = memory.fetches;
  list.RecalculateAll();
  EXPECT_EQ(memory.fetches, fetches);
  EXPECT_EQ(memory.RecNo(), 2);
}

TEST_F(SumListTest, ExternalRecalcLeavesValuesToTheHandlerAndAssignTakesSettingsOnly) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  int after = 0;
  list.OnRecalcAll = [&](grid::TSumListProducer&) { sum.ResultValue = 42; };
  list.OnAfterRecalcAll = [&](grid::TSumListProducer&) { ++after; };
  OpenWithList(memory);
  EXPECT_EQ(after, 1);
  list.SetExternalRecalc(true);
  EXPECT_EQ(sum.ResultValue, 42);
  EXPECT_EQ(after, 1);
  // Assign takes the settings only, not the record source.
  grid::TSumListProducer other;
  other.SetExternalRecalc(true);
  other.SetActive(false);
  list.Assign(other);
  EXPECT_TRUE(list.ExternalRecalc());
  EXPECT_FALSE(list.Active());
  EXPECT_FALSE(list.Hooked());
  EXPECT_EQ(list.RecordSource(), &memory);
}

// A detail record source fed by a master: every scroll of the master
// recalculates.
class DetailDataSet : public MemoryDataSet {
 public:
  using MemoryDataSet::MemoryDataSet;
  data::TDataSource* MasterSource() const override { return master; }
  data::TDataSource* master = nullptr;
};

TEST_F(SumListTest, MasterScrollsRecalculateAndChain) {
  MemoryDataSet master("Master", {Column("Id", provider::adInteger)},
                       {{V(int64_t{1})}, {V(int64_t{2})}});
  data::TDataSource master_source("MasterSource");
  master_source.SetDataSet(&master);
  DetailDataSet detail("Detail", {Column("Price", provider::adDouble)}, {{V(1.5)}});
  detail.master = &master_source;
  std::vector<std::string> log;
  master.AfterScroll = [&](data::TDataSet&) { log.push_back("master"); };
  list.OnRecalcAll = [&](grid::TSumListProducer&) { log.push_back("pass"); };
  Add(TGroupOperation::goSum, "Price");
  master.Open();
  detail.Open();
  list.SetRecordSource(&detail);
  log.clear();
  master.Next();
  EXPECT_EQ(log, (std::vector<std::string>{"master", "pass"}));
  list.SetActive(false);
  log.clear();
  master.Prior();
  EXPECT_EQ(log, (std::vector<std::string>{"master"}));
  list.SetRecordSource(nullptr);
}

// The grid's footers over the view query: a footer summing a column follows
// inserts, deletes and filters of the record source.
class GridFooterSourceTest : public SumListTest {
 protected:
  void SetUp() override {
    SumListTest::SetUp();
    source_.SetDataSet(&query);
    grid_.SetCanvas(&canvas_);
    grid_.SetHost(&host_);
    grid_.SetFooterRowCount(1);
    grid_.SumList().SetActive(true);
    grid_.SetDataSource(&source_);
    query.Open();
    grid_.Columns().AddFieldColumns(true);
    grid_.Columns()[1].Footer().SetValueType(grid::TFooterValueType::fvtSum);
    grid_.Columns()[2].Footer().SetValueType(grid::TFooterValueType::fvtCount);
  }
  void TearDown() override { grid_.SetHost(nullptr); }
  std::string Footer(int col) { return grid_.FooterValueText(0, grid_.Columns()[col]); }

  data::TDataSource source_{"DataSource1"};
  grid::FixedMetricsCanvas canvas_;
  RecordingHost host_;
  grid::TDataGrid grid_;
};

TEST_F(GridFooterSourceTest, FootersFollowTheRecordSource) {
  EXPECT_EQ(Footer(1), "3.75");
  EXPECT_EQ(Footer(2), "3");
  host_.Reset();
  query.Append();
  Set("Price", "0.5");
  query.Post();
  EXPECT_EQ(Footer(1), "4.25");
  EXPECT_EQ(Footer(2), "4");
  // A change of the summaries repaints the footer row by itself.
  const int footer_row = grid_.RowCount() - 1;
  const grid::Rect footer = grid_.BoxRect(0, footer_row, grid_.ColCount() - 1, footer_row);
  ASSERT_FALSE(footer.Empty());
  auto footer_repaints = [&] {
    int n = 0;
    for (const grid::Rect& r : host_.rects) n += r.top == footer.top && r.bottom == footer.bottom;
    return n;
  };
  EXPECT_GT(footer_repaints(), 0);
  query.Delete();
  EXPECT_EQ(Footer(1), "3.75");
  host_.Reset();
  grid_.SumList().RecalculateAll();
  // The reset and the new values repaint the footers; when summing walks
  // the records, the reload folds them into one full repaint.
  EXPECT_GT(footer_repaints() + host_.full, 0);
  query.SetFilter("Price IS NOT NULL");
  query.SetFiltered(true);
  EXPECT_EQ(Footer(1), "3.75");
  EXPECT_EQ(Footer(2), "2");
}

TEST_F(GridFooterSourceTest, QueryDestroyedWhileBoundAndSwitchingBetweenOpenQueriesMovesTheHooks) {
  auto doomed = NewQuery("Select * From Prices");
  source_.SetDataSet(doomed.get());
  doomed->Open();
  EXPECT_EQ(grid_.SumList().RecordSource(), doomed.get());
  doomed.reset();
  EXPECT_EQ(grid_.SumList().RecordSource(), nullptr);
  EXPECT_EQ(source_.DataSet(), nullptr);
  source_.SetDataSet(&query);
  EXPECT_EQ(grid_.SumList().RecordSource(), &query);
  EXPECT_EQ(Footer(1), "3.75");
  // Switching between open queries moves the hooks.
  int posts = 0;
  auto owned = NewQuery("Select * From Prices Where InStr(Price,'2')");
  data::TADOQuery& other = *owned;
  other.AfterPost = [&](data::TDataSet&) { ++posts; };
  other.Open();
  source_.SetDataSet(&other);
  EXPECT_EQ(grid_.SumList().RecordSource(), &other);
  EXPECT_EQ(grid_.Columns()[1].BoundField(), other.FindField("Price"));
  EXPECT_EQ(Footer(1), "2.25");
  EXPECT_FALSE(static_cast<bool>(query.AfterPost));  // nothing of the list's stays behind

  other.Edit();
  other.FieldByName("Price").SetTextValue("3");
  other.Post();
  EXPECT_EQ(Footer(1), "3");
  EXPECT_EQ(posts, 1);  // chained after the list's own work

  grid_.SetDataSource(nullptr);
  EXPECT_EQ(grid_.SumList().RecordSource(), nullptr);
  other.Edit();
  other.FieldByName("Price").SetTextValue("4");
  other.Post();
  EXPECT_EQ(posts, 2);  // the program's handler is back on its own
}

}  // namespace
}  // namespace grid_test
