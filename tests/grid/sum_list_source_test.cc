// The summary list driven by a real query over the in-memory provider:
// every change goes through the record source's own insert, post, delete,
// cancel and filter operations, not through the list's handlers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "data/ado_query.h"
#include "data/db_error.h"
#include "grid/columns/sum_list.h"
#include "grid/data_grid.h"
#include "grid_fixture.h"
#include "tests/data/core/memory_fixture.h"

namespace grid_test {
namespace {

using grid::TGroupOperation;
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

class SumListSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = scope_.Add("prices.mdb");
    AddPrices(*db_, {V(1.5), V(), V(2.25)}, {V(int64_t{5}), V(int64_t{2}), V(int64_t{3})});
    dm_.ADOConnection1.SetConnectionString(data::BuildConnectionString("prices.mdb", ""));
    query_.SetConnection(&dm_.ADOConnection1);
    query_.SQL().Add("Select * From Prices");
    list_.OnRecalcAll = [this](grid::TSumListProducer&) { ++passes_; };
    list_.SumListChanged = [this](grid::TSumListProducer&) { ++changes_; };
  }

  TSumItem& Add(TGroupOperation op, const std::string& field) {
    TSumItem& item = list_.SumCollection().Add();
    item.SetGroupOperation(op);
    item.SetFieldName(field);
    return item;
  }

  void Set(const char* field, const std::string& text) {
    query_.FieldByName(field).SetTextValue(text);
  }
  size_t StoredRows() { return db_->Find("Prices")->rows.size(); }

  data::testing::MemoryCatalogScope scope_;
  std::shared_ptr<provider::MemoryDatabase> db_;
  Log log_;  // outlives the query and the list, whose handlers write to it
  data::TShareDataModule dm_;
  data::TADOQuery query_{"ADOQuery1"};
  grid::TSumListProducer list_;
  int passes_ = 0;
  int changes_ = 0;
};

TEST_F(SumListSourceTest, OpenComputesSumAverageAndCount) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  TSumItem& avg = Add(TGroupOperation::goAvg, "Price");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(avg.ResultValue, 18750);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(query_.RecNo(), 1);
  EXPECT_EQ(passes_, 1);
}

TEST_F(SumListSourceTest, AverageOfOneTwoTwoRoundsToFourDecimals) {
  auto db = scope_.Add("ones.mdb");
  AddPrices(*db, {V(1.0), V(2.0), V(2.0)}, {V(), V(), V()});
  dm_.ADOConnection1.Close();
  dm_.ADOConnection1.SetConnectionString(data::BuildConnectionString("ones.mdb", ""));
  TSumItem& avg = Add(TGroupOperation::goAvg, "Price");
  TSumItem& qty = Add(TGroupOperation::goAvg, "Qty");
  list_.SetRecordSource(&query_);
  query_.Open();
  EXPECT_EQ(avg.ResultValue, 16667);
  EXPECT_EQ(qty.ResultValue, 0);  // no non-null value: 0, not a division by zero
  EXPECT_EQ(qty.NonNullCount, 0);
}

TEST_F(SumListSourceTest, AppendPostAndDeleteUpdateWithoutAPass) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  TSumItem& avg = Add(TGroupOperation::goAvg, "Price");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  const int passes = passes_;

  query_.Append();
  EXPECT_EQ(query_.State(), data::TDataSetState::Inserting);
  Set("Price", "4");
  query_.Post();
  EXPECT_EQ(StoredRows(), 4u);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "4");  // the new record is current
  EXPECT_EQ(sum.ResultValue, 77500);
  EXPECT_EQ(count.ResultValue, 40000);
  EXPECT_EQ(avg.NonNullCount, 3);
  EXPECT_EQ(avg.ResultValue, 25833);  // 7.75 / 3

  query_.Delete();
  EXPECT_EQ(StoredRows(), 3u);
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(avg.ResultValue, 18750);
  EXPECT_EQ(passes_, passes);

  // A record inserted mid-table with no value counts, but adds nothing.
  query_.First();
  query_.Insert();
  query_.Post();
  EXPECT_EQ(count.ResultValue, 40000);
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(passes_, passes);

  // The values agree with what a fresh pass finds.
  list_.RecalculateAll();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(count.ResultValue, 40000);
}

TEST_F(SumListSourceTest, DeletingANullRecordKeepsTheAverage) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  TSumItem& avg = Add(TGroupOperation::goAvg, "Price");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  query_.Next();  // Price is null here
  query_.Delete();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(avg.ResultValue, 18750);
  EXPECT_EQ(count.ResultValue, 20000);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "3");  // the next record took its place
}

TEST_F(SumListSourceTest, EditsPostAndCancelThroughTheQuery) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  TSumItem& avg = Add(TGroupOperation::goAvg, "Qty");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  ASSERT_EQ(sum.ResultValue, 100000);
  const int passes = passes_;

  query_.Edit();
  Set("Qty", "7");  // 5 -> 7
  query_.Post();
  EXPECT_EQ(sum.ResultValue, 120000);
  EXPECT_EQ(avg.ResultValue, 40000);
  EXPECT_EQ(count.ResultValue, 30000);

  query_.Edit();
  Set("Qty", "");  // 7 -> null
  query_.Post();
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(avg.ResultValue, 25000);

  query_.Edit();
  Set("Qty", "9");
  query_.Cancel();
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(count.ResultValue, 30000);

  // Null back to a value brings the record into the average again.
  query_.Edit();
  Set("Qty", "1");
  query_.Post();
  EXPECT_EQ(sum.ResultValue, 60000);
  EXPECT_EQ(avg.NonNullCount, 3);
  EXPECT_EQ(avg.ResultValue, 20000);
  EXPECT_EQ(passes_, passes);
}

TEST_F(SumListSourceTest, CancelledInsertChangesNothing) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  query_.Next();
  const int changes = changes_;

  query_.Insert();
  Set("Price", "100");
  query_.Cancel();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(StoredRows(), 3u);
  EXPECT_EQ(query_.FieldByName("ID").TextValue(), "2");  // back where the insert started
  EXPECT_EQ(changes_, changes);

  // Deleting while inserting only drops the new record.
  query_.Append();
  Set("Price", "100");
  query_.Delete();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(StoredRows(), 3u);

  // A new record given no value and left by a move is dropped too.
  query_.Insert();
  query_.First();
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(StoredRows(), 3u);
}

TEST_F(SumListSourceTest, DeleteWhileEditingTakesOffTheStoredValue) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  TSumItem& avg = Add(TGroupOperation::goAvg, "Qty");
  list_.SetRecordSource(&query_);
  query_.Open();
  query_.Edit();
  Set("Qty", "50");  // never stored
  query_.Delete();
  EXPECT_EQ(sum.ResultValue, 50000);  // 10 - 5
  EXPECT_EQ(avg.ResultValue, 25000);
  EXPECT_EQ(db_->rows_written, 0);
}

TEST_F(SumListSourceTest, FailedStoreKeepsTheValues) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  list_.SetRecordSource(&query_);
  query_.Open();
  query_.Append();
  Set("Qty", "4");
  db_->fail_next_write = "Disk full.";
  EXPECT_THROW(query_.Post(), data::EOleException);
  EXPECT_EQ(query_.State(), data::TDataSetState::Inserting);
  EXPECT_EQ(sum.ResultValue, 100000);
  query_.Post();  // the second try stores it
  EXPECT_EQ(sum.ResultValue, 140000);
}

TEST_F(SumListSourceTest, FilterChangesMakeOnePassEach) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  int passes = passes_;

  // Changing the text while the filter is off is no change of what is shown.
  query_.SetFilter("Price >= 2");
  query_.Next();
  EXPECT_EQ(passes_, passes);

  query_.SetFiltered(true);
  EXPECT_EQ(passes_, passes + 1);
  EXPECT_EQ(sum.ResultValue, 22500);
  EXPECT_EQ(count.ResultValue, 10000);
  EXPECT_EQ(query_.RecordCount(), 1);
  query_.Next();
  query_.First();
  EXPECT_EQ(passes_, passes + 1);  // scrolling again: no pass

  query_.SetFilter("Price < 2 OR Price IS NULL");
  EXPECT_EQ(passes_, passes + 2);
  EXPECT_EQ(sum.ResultValue, 15000);
  EXPECT_EQ(count.ResultValue, 20000);

  query_.SetFiltered(false);
  EXPECT_EQ(passes_, passes + 3);
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(count.ResultValue, 30000);
}

TEST_F(SumListSourceTest, RecordFilterHandlerAndIncrementalChangesUnderAFilter) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  TSumItem& count = Add(TGroupOperation::goCount, "");
  list_.SetRecordSource(&query_);
  query_.Open();
  const int passes = passes_;
  query_.SetOnFilterRecord(
      [](data::TDataSet& ds, bool& accept) { accept = ds.FieldByName("Qty").TextValue() != "2"; });
  query_.SetFiltered(true);
  EXPECT_EQ(passes_, passes + 1);
  EXPECT_EQ(sum.ResultValue, 80000);
  EXPECT_EQ(count.ResultValue, 20000);

  // Changes made while filtered keep the visible totals right.
  query_.Last();
  query_.Delete();  // Qty 3
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(count.ResultValue, 10000);
  query_.Append();
  Set("Qty", "2");  // shown until the filter is applied again
  query_.Post();
  EXPECT_EQ(sum.ResultValue, 70000);
  EXPECT_EQ(query_.RecordCount(), 2);
  EXPECT_EQ(passes_, passes + 1);

  // A new handler is a change of filter; the stored table agrees.
  query_.SetOnFilterRecord(nullptr);  // the filter now shows every record
  EXPECT_EQ(passes_, passes + 2);
  EXPECT_EQ(sum.ResultValue, 90000);  // 5 + 2 + 2
  EXPECT_EQ(count.ResultValue, 30000);
}

TEST_F(SumListSourceTest, BadFilterLeavesViewAndValuesAlone) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  list_.SetRecordSource(&query_);
  query_.Open();
  query_.Next();
  const int passes = passes_;
  query_.SetFilter("Price >");
  EXPECT_THROW(query_.SetFiltered(true), data::EDatabaseError);
  EXPECT_FALSE(query_.Filtered());
  EXPECT_EQ(query_.RecNo(), 2);
  query_.SetFilter("Cost > 1");
  try {
    query_.SetFiltered(true);
    FAIL() << "no failure";
  } catch (const data::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ADOQuery1: Field 'Cost' not found");
  }
  query_.Next();
  EXPECT_EQ(passes_, passes);
  EXPECT_EQ(sum.ResultValue, 37500);
}

TEST_F(SumListSourceTest, ProgramHandlersRunAroundTheListsWork) {
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  auto note = [this, &sum](const char* what) {
    return [this, &sum, what](data::TDataSet&) {
      log_.push_back(std::string(what) + " " + std::to_string(sum.ResultValue) + "/" +
                     std::to_string(sum.PreEditValue));
    };
  };
  query_.AfterOpen = note("open");
  query_.AfterEdit = note("edit");
  query_.AfterInsert = note("insert");
  query_.AfterPost = note("post");
  query_.BeforeDelete = note("delete");
  query_.AfterCancel = note("cancel");
  query_.AfterClose = note("close");
  list_.SumListChanged = [this](grid::TSumListProducer&) { log_.push_back("list"); };
  list_.SetRecordSource(&query_);
  log_.clear();
  query_.Open();
  EXPECT_EQ(log_.back(), "open 100000/0");  // after the pass
  query_.Edit();
  query_.Cancel();
  query_.Edit();
  Set("Qty", "6");
  query_.Post();
  query_.Append();
  Set("Qty", "1");
  query_.Post();
  query_.Delete();
  query_.Close();
  // Edit, insert, post and close: the list first. Delete and cancel: the
  // program first.
  EXPECT_EQ(log_, (Log{"list", "list", "open 100000/0", "edit 100000/50000", "cancel 100000/50000",
                       "edit 100000/50000", "list", "post 110000/50000", "insert 110000/0", "list",
                       "post 120000/0", "delete 120000/0", "list", "list", "list", "close 0/0"}));
}

TEST_F(SumListSourceTest, SwitchingOffRestoresTheProgramsHandlers) {
  int inserts = 0, posts = 0, deletes = 0;
  query_.AfterInsert = [&](data::TDataSet&) { ++inserts; };
  query_.AfterPost = [&](data::TDataSet&) { ++posts; };
  query_.BeforeDelete = [&](data::TDataSet&) { ++deletes; };
  TSumItem& sum = Add(TGroupOperation::goSum, "Qty");
  list_.SetRecordSource(&query_);
  query_.Open();
  list_.SetActive(false);
  EXPECT_EQ(sum.ResultValue, 0);

  query_.Append();
  Set("Qty", "4");
  query_.Post();
  query_.Delete();
  EXPECT_EQ(inserts, 1);
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(deletes, 1);
  EXPECT_EQ(sum.ResultValue, 0);  // the list heard nothing

  list_.SetActive(true);
  EXPECT_EQ(sum.ResultValue, 100000);
  query_.Append();
  Set("Qty", "4");
  query_.Post();
  EXPECT_EQ(sum.ResultValue, 140000);
  EXPECT_EQ(inserts, 2);
  EXPECT_EQ(posts, 2);
}

TEST_F(SumListSourceTest, QueryDestroyedBeforeTheListUnhooks) {
  auto query = std::make_unique<data::TADOQuery>("ADOQuery2");
  query->SetConnection(&dm_.ADOConnection1);
  query->SQL().Add("Select * From Prices");
  TSumItem& sum = Add(TGroupOperation::goSum, "Price");
  list_.SetRecordSource(query.get());
  query->Open();
  ASSERT_EQ(sum.ResultValue, 37500);
  query.reset();
  EXPECT_EQ(list_.RecordSource(), nullptr);
  EXPECT_FALSE(list_.Hooked());
  EXPECT_EQ(sum.ResultValue, 0);
  EXPECT_EQ(list_.RecordCount(), 0);
  list_.SetActive(false);
  list_.SetActive(true);
  list_.SetRecordSource(&query_);  // and it can be bound again
  query_.Open();
  EXPECT_EQ(sum.ResultValue, 37500);
}

TEST_F(SumListSourceTest, InactiveListForgetsADestroyedQueryToo) {
  auto query = std::make_unique<data::TADOQuery>("ADOQuery2");
  list_.SetActive(false);
  list_.SetRecordSource(query.get());
  query.reset();
  EXPECT_EQ(list_.RecordSource(), nullptr);
  EXPECT_EQ(list_.RecNo(), -1);
}

TEST_F(SumListSourceTest, ListDestroyedFirstLeavesNothingBehind) {
  int opens = 0;
  query_.AfterOpen = [&](data::TDataSet&) { ++opens; };
  {
    grid::TSumListProducer list;
    list.SumCollection().Add().SetFieldName("Price");
    list.SetRecordSource(&query_);
    query_.Open();
  }
  query_.Close();
  query_.Open();  // runs only the program's handler
  EXPECT_EQ(opens, 2);
}

// The grid's footers over the view query: a footer summing a column follows
// inserts, deletes and filters of the record source.
class GridFooterSourceTest : public SumListSourceTest {
 protected:
  void SetUp() override {
    SumListSourceTest::SetUp();
    source_.SetDataSet(&query_);
    grid_.SetCanvas(&canvas_);
    grid_.SetHost(&host_);
    grid_.SetFooterRowCount(1);
    grid_.SumList().SetActive(true);
    grid_.SetDataSource(&source_);
    query_.Open();
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
  query_.Append();
  Set("Price", "0.5");
  query_.Post();
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
  query_.Delete();
  EXPECT_EQ(Footer(1), "3.75");
  host_.Reset();
  grid_.SumList().RecalculateAll();
  EXPECT_EQ(footer_repaints(), 2);  // the reset, then the new values
  query_.SetFilter("Price IS NOT NULL");
  query_.SetFiltered(true);
  EXPECT_EQ(Footer(1), "3.75");
  EXPECT_EQ(Footer(2), "2");
}

TEST_F(GridFooterSourceTest, QueryDestroyedWhileTheGridIsBound) {
  auto query = std::make_unique<data::TADOQuery>("ADOQuery2");
  query->SetConnection(&dm_.ADOConnection1);
  query->SQL().Add("Select * From Prices");
  source_.SetDataSet(query.get());
  query->Open();
  EXPECT_EQ(grid_.SumList().RecordSource(), query.get());
  query.reset();
  EXPECT_EQ(grid_.SumList().RecordSource(), nullptr);
  EXPECT_EQ(source_.DataSet(), nullptr);
  source_.SetDataSet(&query_);
  EXPECT_EQ(grid_.SumList().RecordSource(), &query_);
  EXPECT_EQ(Footer(1), "3.75");
}

TEST_F(GridFooterSourceTest, SwitchingBetweenOpenQueriesMovesTheHooks) {
  int posts = 0;
  data::TADOQuery other("ADOQuery2");
  other.SetConnection(&dm_.ADOConnection1);
  other.SQL().Add("Select * From Prices Where InStr(Price,'2')");
  other.AfterPost = [&](data::TDataSet&) { ++posts; };
  other.Open();
  source_.SetDataSet(&other);
  EXPECT_EQ(grid_.SumList().RecordSource(), &other);
  EXPECT_EQ(grid_.Columns()[1].BoundField(), other.FindField("Price"));
  EXPECT_EQ(Footer(1), "2.25");
  EXPECT_FALSE(static_cast<bool>(query_.AfterPost));  // nothing of the list's stays behind

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
