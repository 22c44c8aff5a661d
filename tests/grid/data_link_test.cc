// The grid's data link: the field map and the reactions it drives.
#include <gtest/gtest.h>

#include "grid_fixture.h"
#include "tests/data/failure_of.h"

namespace grid_test {
namespace {

using ::tarnquill::testing::FailureOf;

class DataLinkTest : public GridFixture {};

TEST_F(DataLinkTest, MapGrowsByDoublingFromEightAndAStrictOneFailsOnAMissingField) {
  query.Open();
  grid::TGridDataLink& link = grid.DataLink();
  link.ClearMapping();
  link.SetLenientMap(true);
  std::vector<int> capacities;
  for (int i = 0; i < 17; ++i) {
    link.AddMapping(i % 2 ? "Price" : "Nope");
    capacities.push_back(link.MappingCapacity());
  }
  EXPECT_EQ(capacities[0], 8);
  EXPECT_EQ(capacities[7], 8);
  EXPECT_EQ(capacities[8], 16);
  EXPECT_EQ(capacities[16], 32);
  EXPECT_EQ(link.MappingCount(), 17);
  EXPECT_EQ(link.MappedIndex(0), -1);
  EXPECT_EQ(link.MappedIndex(1), 2);
  EXPECT_EQ(link.MappedIndex(17), -1);
  EXPECT_EQ(link.MappedField(17), nullptr);
  // Clearing keeps the capacity.
  link.ClearMapping();
  EXPECT_EQ(link.MappingCount(), 0);
  EXPECT_EQ(link.MappingCapacity(), 32);
  // A strict map fails on a missing field.
  link.SetLenientMap(false);
  const std::string failure = FailureOf<data::EDatabaseError>([&] { link.AddMapping("Nope"); });
  EXPECT_NE(failure.find("Field 'Nope' not found"), std::string::npos) << failure;
  EXPECT_EQ(link.MappingCount(), 0);
}

TEST_F(DataLinkTest, DefaultMapSkipsHiddenFieldsAndLayoutLocksAreReleasedWhenAPassFails) {
  query.Open();
  EXPECT_TRUE(grid.DataLink().Active());
  query.FindField("Price")->SetVisible(false);
  grid::TGridDataLink& link = grid.DataLink();
  EXPECT_FALSE(link.LenientMap());
  ASSERT_EQ(link.MappingCount(), 3);
  EXPECT_EQ(link.MappedIndex(2), 3);
  EXPECT_TRUE(link.DefaultFields());
  query.Close();
  EXPECT_FALSE(grid.DataLink().Active());
  EXPECT_EQ(grid.DataLink().MappingCount(), 0);
  EXPECT_TRUE(grid.DataLink().DefaultFields());
  // A summary over a missing field makes the open's recalculation fail; the
  // layout reactions around it must leave no lock behind.
  grid.SumList().SetActive(true);
  grid.Columns().Add().SetFieldName("Nope");
  grid.Columns()[0].Footer().SetValueType(grid::TFooterValueType::fvtSum);
  EXPECT_THROW(query.Open(), data::EDatabaseError);
  EXPECT_EQ(grid.LayoutLock(), 0);
  EXPECT_EQ(grid.UpdateLock(), 0);
  EXPECT_FALSE(grid.LayoutFromSource());
  EXPECT_EQ(grid.Columns().UpdateCount(), 0);
}

TEST_F(DataLinkTest, BatchesNestAndTheOutermostRunsOnePassAndReactionsWaitForAWindow) {
  int passes = grid.LayoutPassCount();
  grid.OpenLayoutBatch();
  grid.OpenLayoutBatch();
  EXPECT_EQ(grid.LayoutLock(), 2);
  grid.Columns().Add();
  grid.Columns().Add();
  grid.CloseLayoutBatch();
  EXPECT_EQ(grid.LayoutPassCount(), passes);
  grid.CloseLayoutBatch();
  EXPECT_EQ(grid.LayoutPassCount(), passes + 1);
  EXPECT_EQ(grid.LayoutLock(), 0);
  EXPECT_EQ(grid.UpdateLock(), 0);
  // Outside a batch each change is its own pass.
  grid.Columns().Add();
  EXPECT_EQ(grid.LayoutPassCount(), passes + 2);
  // Reactions wait for a window.
  query.Open();
  query.Next();
  EXPECT_EQ(host.full, 0);
  EXPECT_TRUE(host.rects.empty());
  grid.SetHost(&host);
  query.Next();
  EXPECT_FALSE(host.rects.empty());
}

}  // namespace
}  // namespace grid_test
