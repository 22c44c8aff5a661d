// The table view's set-up of the grid, end to end on an in-memory record
// source: clear, run the query, columns from the fields, centred, 100 pixels
// wide, and the record count in the first column's footer.
#include <gtest/gtest.h>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using grid::TAlignment;

class TableViewTest : public GridFixture {
 protected:
  void SetUp() override {
    grid.SetFooterRowCount(1);
    grid.SetReadOnly(true);
    grid.SetOptions(grid::dgTitles | grid::dgIndicator | grid::dgColumnResize | grid::dgColLines |
                    grid::dgRowLines | grid::dgTabs | grid::dgRowSelect | grid::dgConfirmDelete |
                    grid::dgCancelOnExit);
    grid.SumList().SetActive(true);
    grid.SetHost(&host);
  }
  void TearDown() override { grid.SetHost(nullptr); }

  // What the view does after each query.
  void RefreshView(bool opens) {
    grid.Columns().Clear();
    query.Close();
    if (opens) query.Open();
    grid.Columns().AddFieldColumns(true);
    for (int i = 0; i < grid.Columns().Count(); ++i) {
      grid::TDataGridColumn& column = Col(i);
      column.Title().SetAlignment(TAlignment::taCenter);
      column.SetAlignment(TAlignment::taCenter);
      column.SetWidth(100);
      if (i == 0) {
        column.Footer().SetAlignment(TAlignment::taCenter);
        column.Footer().SetValue(std::to_string(query.RecordCount()) + "条");
        column.Footer().SetValueType(grid::TFooterValueType::fvtStaticText);
        column.Footer().Font().SetColor(grid::clBlack);
      }
    }
  }
};

TEST_F(TableViewTest, OpenQueryGivesCentredColumnsAndACountFooter) {
  RefreshView(true);
  ASSERT_EQ(grid.Columns().Count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Col(i).IsPersistent());
    EXPECT_EQ(Col(i).Width(), 100);
    EXPECT_EQ(grid.ColWidth(i + 1), 100);
    EXPECT_EQ(Col(i).Alignment(), TAlignment::taCenter);
    EXPECT_EQ(Col(i).Title().Alignment(), TAlignment::taCenter);
  }
  EXPECT_EQ(grid.ColWidth(0), 11);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "3条");
  EXPECT_EQ(Col(0).Footer().Alignment(), TAlignment::taCenter);
  EXPECT_EQ(Col(0).Footer().Font().Color(), grid::clBlack);
  EXPECT_EQ(Col(0).Footer().Font().Name(), grid.FooterFont().Name());
  EXPECT_TRUE(Col(0).Footer().FontAssigned());
  EXPECT_EQ(grid.FooterValueText(0, Col(1)), "");
  EXPECT_EQ(grid.SumList().SumCollection().Count(), 0);
  EXPECT_EQ(Col(0).DisplayText(), "apple");
  EXPECT_EQ(Col(0).Title().Caption(), "Name");

  // Refreshing again rebuilds the same view.
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "3条");
}

TEST_F(TableViewTest, FailedQueryLeavesOneEmptyColumnAndTheCountFails) {
  RefreshView(true);
  try {
    RefreshView(false);
    FAIL() << "reading the count of a closed query succeeded";
  } catch (const data::EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "ADOQuery1: Cannot perform this operation on a closed dataset");
  }
  ASSERT_EQ(grid.Columns().Count(), 1);
  EXPECT_EQ(Col(0).Title().Caption(), "");
  EXPECT_EQ(Col(0).DisplayText(), "");
  EXPECT_EQ(Col(0).Width(), 100);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "");
  // A later successful refresh brings the columns back.
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
}

TEST_F(TableViewTest, EmptyTableCountsZero) {
  query.Rows().clear();
  RefreshView(true);
  EXPECT_EQ(grid.Columns().Count(), 4);
  EXPECT_EQ(grid.FooterValueText(0, Col(0)), "0条");
}

}  // namespace
}  // namespace grid_test
