// The summary list: full passes, incremental updates, and how it hooks the
// record source's handlers.
#include "grid/columns/sum_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_dataset.h"

namespace grid_test {
namespace {

using grid::TGroupOperation;
using grid::TSumItem;
using V = provider::Variant;

class SumListTest : public ::testing::Test {
 protected:
  SumListTest()
      : query("ADOQuery1",
              {Column("Price", provider::adDouble), Column("Qty", provider::adInteger)},
              {{V(1.5), V(int64_t{5})}, {V(), V(int64_t{2})}, {V(2.25), V(int64_t{3})}}) {
    list.OnRecalcAll = [this](grid::TSumListProducer&) { ++passes; };
    list.SumListChanged = [this](grid::TSumListProducer&) { ++changes; };
  }

  TSumItem& AddSummary(TGroupOperation op, const std::string& field) {
    TSumItem& item = list.SumCollection().Add();
    item.SetGroupOperation(op);
    item.SetFieldName(field);
    return item;
  }

  MemoryDataSet query;
  grid::TSumListProducer list;
  int passes = 0;
  int changes = 0;
};

TEST_F(SumListTest, FullPassOverSumAverageAndCount) {
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Price");
  TSumItem& avg = AddSummary(TGroupOperation::goAvg, "price");
  TSumItem& count = AddSummary(TGroupOperation::goCount, "");
  list.SetRecordSource(&query);
  query.Open();
  EXPECT_EQ(sum.ResultValue, 37500);
  EXPECT_EQ(avg.ResultValue, 18750);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(count.ResultValue, 30000);
  EXPECT_EQ(query.RecNo(), 1);  // left on the first record
  EXPECT_EQ(list.FindSummary(TGroupOperation::goAvg, "PRICE"), &avg);
  EXPECT_EQ(list.FindSummary(TGroupOperation::goSum, "Qty"), nullptr);
}

TEST_F(SumListTest, AverageRoundsToFourDecimals) {
  MemoryDataSet ones("Q", {Column("N", provider::adDouble)}, {{V(1.0)}, {V(2.0)}, {V(2.0)}});
  TSumItem& avg = AddSummary(TGroupOperation::goAvg, "N");
  list.SetRecordSource(&ones);
  ones.Open();
  EXPECT_EQ(avg.ResultValue, 16667);
  list.SetRecordSource(nullptr);  // `ones` goes before the list
}

TEST_F(SumListTest, SumWithoutFieldTakesNoPart) {
  AddSummary(TGroupOperation::goSum, "");
  list.SetRecordSource(&query);
  query.Open();
  query.Next();
  int fetches = query.fetches;
  list.RecalculateAll();
  EXPECT_EQ(query.fetches, fetches);  // no pass was needed
  EXPECT_EQ(query.RecNo(), 2);
}

TEST_F(SumListTest, EditAndPostUpdateWithoutAPass) {
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Qty");
  TSumItem& avg = AddSummary(TGroupOperation::goAvg, "Qty");
  TSumItem& count = AddSummary(TGroupOperation::goCount, "");
  list.SetRecordSource(&query);
  query.Open();
  ASSERT_EQ(sum.ResultValue, 100000);
  int passes_before = passes;

  query.Edit();
  query.FieldByName("Qty").SetTextValue("7");
  query.Post();
  EXPECT_EQ(sum.ResultValue, 120000);
  EXPECT_EQ(avg.ResultValue, 40000);
  EXPECT_EQ(count.ResultValue, 30000);

  query.Edit();
  query.FieldByName("Qty").SetTextValue("");
  query.Post();
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(avg.NonNullCount, 2);
  EXPECT_EQ(avg.ResultValue, 25000);

  query.Edit();
  query.FieldByName("Qty").SetTextValue("9");
  query.Cancel();
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(passes, passes_before);
}

TEST_F(SumListTest, InsertAndDeleteHandlersAdjustSumAndCount) {
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Qty");
  TSumItem& count = AddSummary(TGroupOperation::goCount, "");
  list.SetRecordSource(&query);
  query.Open();
  // A record about to be deleted leaves sum and count: the current record
  // holds Qty 5.
  query.BeforeDelete(query);
  EXPECT_EQ(sum.ResultValue, 50000);
  EXPECT_EQ(count.ResultValue, 20000);
  // A new record starts from nothing, so posting it adds its whole value.
  query.AfterInsert(query);
  EXPECT_EQ(sum.PreEditValue, 0);
  EXPECT_EQ(count.PreEditValue, 0);
  query.AfterPost(query);
  EXPECT_EQ(sum.ResultValue, 100000);
  EXPECT_EQ(count.ResultValue, 30000);
}

TEST_F(SumListTest, CloseResetsAndNotifies) {
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Price");
  list.SetRecordSource(&query);
  query.Open();
  int before = changes;
  query.Close();
  EXPECT_EQ(sum.ResultValue, 0);
  EXPECT_EQ(changes, before + 2);
}

TEST_F(SumListTest, NoSummariesMeansNoPassOnOpen) {
  list.SetRecordSource(&query);
  int before = changes;
  query.Open();
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_EQ(query.fetches, 1);     // only the window's one record
  EXPECT_EQ(changes, before + 2);  // reset and final notice
}

TEST_F(SumListTest, HandlersChainAroundTheListsOwnWork) {
  std::vector<std::string> log;
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Qty");
  list.SumListChanged = [&](grid::TSumListProducer&) { log.push_back("list"); };
  query.AfterOpen = [&](data::TDataSet&) { log.push_back("open"); };
  query.AfterClose = [&](data::TDataSet&) { log.push_back("close"); };
  query.AfterPost = [&](data::TDataSet&) { log.push_back("post"); };
  query.BeforeDelete = [&](data::TDataSet&) { log.push_back("delete"); };
  query.AfterCancel = [&](data::TDataSet&) { log.push_back("cancel"); };
  query.AfterScroll = [&](data::TDataSet&) { log.push_back("scroll"); };
  query.AfterEdit = [&](data::TDataSet&) {
    // The list has captured the record's value by now.
    log.push_back("edit " + std::to_string(sum.PreEditValue));
  };
  list.SetRecordSource(&query);  // hooks: the list is active
  log.clear();

  query.Open();
  // The pass's own moves reach the program's scroll handler too.
  EXPECT_EQ(log, (std::vector<std::string>{"list", "scroll", "scroll", "scroll", "scroll", "scroll",
                                           "list", "open"}));
  log.clear();
  query.Next();
  EXPECT_EQ(log, (std::vector<std::string>{"scroll"}));
  log.clear();
  query.Edit();
  query.Cancel();
  EXPECT_EQ(log, (std::vector<std::string>{"edit 20000", "cancel"}));
  log.clear();
  query.Edit();
  query.Post();
  EXPECT_EQ(log, (std::vector<std::string>{"edit 20000", "list", "post"}));
  log.clear();
  query.BeforeDelete(query);
  EXPECT_EQ(log, (std::vector<std::string>{"delete", "list"}));
  log.clear();
  query.Close();
  EXPECT_EQ(log, (std::vector<std::string>{"list", "list", "close"}));
}

TEST_F(SumListTest, SwitchingOffPutsHandlersBackAndZeroes) {
  int program_opens = 0;
  query.AfterOpen = [&](data::TDataSet&) { ++program_opens; };
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Price");
  list.SetRecordSource(&query);
  EXPECT_TRUE(list.Hooked());
  query.Open();
  EXPECT_EQ(program_opens, 1);
  EXPECT_EQ(sum.ResultValue, 37500);

  list.SetActive(false);
  EXPECT_FALSE(list.Hooked());
  EXPECT_EQ(sum.ResultValue, 0);
  int passes_before = passes;
  query.Close();
  query.Open();
  EXPECT_EQ(program_opens, 2);  // the program's own handler is back in place
  EXPECT_EQ(passes, passes_before);

  list.SetActive(true);
  EXPECT_TRUE(list.Hooked());
  EXPECT_EQ(sum.ResultValue, 37500);
}

TEST_F(SumListTest, ChangingTheRecordSourceMovesTheHooks) {
  MemoryDataSet other("Q2", {Column("Price", provider::adDouble)}, {{V(4.0)}});
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Price");
  list.SetRecordSource(&query);
  query.Open();
  other.Open();
  list.SetRecordSource(&other);
  EXPECT_FALSE(static_cast<bool>(query.AfterOpen));
  EXPECT_TRUE(static_cast<bool>(other.AfterOpen));
  EXPECT_EQ(sum.ResultValue, 40000);
  list.SetRecordSource(nullptr);
  EXPECT_FALSE(static_cast<bool>(other.AfterOpen));
  EXPECT_EQ(sum.ResultValue, 0);
}

TEST_F(SumListTest, FailedPassStillAnnouncesAndReenablesControls) {
  AddSummary(TGroupOperation::goSum, "Nope");
  list.SetRecordSource(&query);
  int before = changes;
  EXPECT_THROW(query.Open(), data::EDatabaseError);
  EXPECT_FALSE(query.ControlsDisabled());
  EXPECT_FALSE(list.Recalculating());
  EXPECT_GE(changes, before + 2);
}

TEST_F(SumListTest, ExternalRecalcLeavesValuesToTheHandler) {
  TSumItem& sum = AddSummary(TGroupOperation::goSum, "Price");
  int after = 0;
  list.OnRecalcAll = [&](grid::TSumListProducer&) { sum.ResultValue = 42; };
  list.OnAfterRecalcAll = [&](grid::TSumListProducer&) { ++after; };
  list.SetRecordSource(&query);
  query.Open();
  EXPECT_EQ(after, 1);
  list.SetExternalRecalc(true);
  EXPECT_EQ(sum.ResultValue, 42);
  EXPECT_EQ(after, 1);
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
  AddSummary(TGroupOperation::goSum, "Price");
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

TEST_F(SumListTest, AssignTakesSettingsOnly) {
  grid::TSumListProducer other;
  other.SetExternalRecalc(true);
  other.SetActive(false);
  list.SetRecordSource(&query);
  list.Assign(other);
  EXPECT_TRUE(list.ExternalRecalc());
  EXPECT_FALSE(list.Active());
  EXPECT_FALSE(list.Hooked());
  EXPECT_EQ(list.RecordSource(), &query);
}

TEST_F(SumListTest, RecordNumberingForwardsToTheSource) {
  EXPECT_EQ(list.RecordCount(), 0);
  list.SetRecordSource(&query);
  query.Open();
  EXPECT_TRUE(list.IsSequenced());
  EXPECT_EQ(list.RecordCount(), 3);
  list.SetRecNo(3);
  EXPECT_EQ(list.RecNo(), 3);
}

}  // namespace
}  // namespace grid_test
