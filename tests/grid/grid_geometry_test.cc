// The grid's own geometry: rows fitted to the client height, the footer on
// the bottom edge, the current row following the record source.
#include <gtest/gtest.h>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using V = provider::Variant;

// The main window's grid: 272 pixels high, one footer row, read-only rows.
class GridGeometryTest : public GridFixture {
 protected:
  void SetUp() override {
    host.height = 272;
    grid.SetHost(&host);
    UseWindowSettings(grid);
  }
};

TEST_F(GridGeometryTest, ShortResultPushesTheFooterToTheBottomAndALongOneAsksForWhatFits) {
  query.Rows() = NumberedRows(5);
  query.Open();
  EXPECT_EQ(grid.TitleRowHeight(), 16);
  EXPECT_EQ(grid.DataRowHeight(), 16);
  EXPECT_EQ(grid.RowStep(), 17);
  EXPECT_EQ(grid.ColWidth(0), 11);
  EXPECT_FALSE(grid.CanWrapText());
  EXPECT_EQ(grid.DataLink().WindowSize(), 13);
  ASSERT_EQ(grid.RowCount(), 8);  // title, five records, filler, footer
  EXPECT_EQ(grid.RowHeightOf(6), 152);
  grid::Rect footer = grid.CellRect(1, 7);
  EXPECT_EQ(footer.left, 12);
  EXPECT_EQ(footer.top, 255);
  EXPECT_EQ(footer.bottom, 271);
  EXPECT_EQ(grid.CurrentRow(), 1);
  // A footer repaint covers only the footer row.
  host.Reset();
  grid.InvalidateFooters();
  ASSERT_EQ(host.rects.size(), 1u);
  EXPECT_EQ(host.rects[0].top, 255);
  EXPECT_EQ(host.rects[0].bottom, 271);
  EXPECT_EQ(host.full, 0);
  // A long result asks for what fits.
  query.Close();
  query.Rows() = NumberedRows(40);
  query.Open();
  EXPECT_EQ(grid.DataLink().WindowSize(), 13);
  EXPECT_EQ(grid.DataLink().RowsInWindow(), 13);
  EXPECT_EQ(grid.RowCount(), 16);
  EXPECT_EQ(grid.RowHeightOf(14), 16);  // 272 − 35 − 13 × 17
  EXPECT_EQ(grid.VisibleDataRows(), 13);
  // The current row follows the record.
  query.MoveBy(5);
  EXPECT_EQ(grid.CurrentRow(), 6);
  // A taller window asks for more.
  host.height = 272 + 5 * 17;
  grid.Resized();
  EXPECT_EQ(grid.DataLink().WindowSize(), 18);
  EXPECT_EQ(grid.RowCount(), 21);
}

TEST_F(GridGeometryTest, FrozenAndHiddenColumnsAreFixed) {
  OpenWithFieldColumns();
  grid.SetFrozenCols(1);
  EXPECT_EQ(grid.FixedColCount(), 2);
  Col(1).SetVisible(false);
  EXPECT_EQ(grid.FixedColCount(), 3);
  grid.SetFrozenCols(-1);
  EXPECT_EQ(grid.FrozenCols(), 1);
}

TEST_F(GridGeometryTest, HorizontalScrollMovesPixelsByWholeColumns) {
  OpenWithFieldColumns();
  for (int i = 0; i < grid.Columns().Count(); ++i) Col(i).SetWidth(300);
  host.Reset();
  grid.SetLeftScrollCol(2);
  ASSERT_EQ(host.scrolls.size(), 1u);
  EXPECT_EQ(host.scrolls[0].dx, -301);
  EXPECT_EQ(host.scrolls[0].area.left, 12);
  host.Reset();
  grid.SetLeftScrollCol(1);
  ASSERT_EQ(host.scrolls.size(), 1u);
  EXPECT_EQ(host.scrolls[0].dx, 301);
  // 686 pixels hold the indicator and two 300-pixel columns.
  EXPECT_EQ(grid.MaxLeftScrollCol(), 3);
  grid.SetLeftScrollCol(10);
  EXPECT_EQ(grid.LeftScrollCol(), 3);
  grid.SetLeftScrollCol(0);
  EXPECT_EQ(grid.LeftScrollCol(), 1);
}

TEST_F(GridGeometryTest, VerticalBarIsWrittenOnlyWhenItChangedAndAlwaysShownDisablesItsArrows) {
  query.Rows() = NumberedRows(40);
  query.Open();
  query.MoveBy(9);
  EXPECT_EQ(host.bar.pos, 10);
  int writes = host.bar_writes;
  grid.RefreshVerticalBar();
  EXPECT_EQ(host.bar_writes, writes);
  // A closed source has nothing to scroll.
  query.Close();
  EXPECT_EQ(host.bar, (grid::ScrollInfo{0, 1, 2, 0}));
  // An always shown bar disables its arrows.
  query.Rows() = NumberedRows(1);
  grid.SetVertScrollBarVisibleMode(grid::TScrollBarVisibleMode::sbAlwaysShow);
  query.Open();
  EXPECT_EQ(host.bar, (grid::ScrollInfo{1, 1, 1, 1}));  // one row shown, one record
  EXPECT_TRUE(host.bar_shown);
  EXPECT_FALSE(host.arrows_enabled);
}

TEST_F(GridGeometryTest, RecordChangesRepaintPerColumnAndDensityScalingKeepsWidthsWhole) {
  OpenWithFieldColumns();
  grid.Columns().Add().SetFieldName("Qty");  // Qty shown twice
  host.Reset();
  query.Edit();
  host.Reset();
  query.FieldByName("Qty").SetTextValue("8");
  ASSERT_EQ(host.rects.size(), 2u);
  EXPECT_EQ(host.rects[0], host.rects[1]);
  EXPECT_EQ(host.rects[0].top, 17);
  query.Cancel();
  // Density scaling keeps the row of widths whole.
  grid.Columns().AddFieldColumns(true);
  for (int i = 0; i < 3; ++i) Col(i).SetWidth(101);
  Col(3).SetVisible(false);
  grid.ScaleForDensity(1, 2);
  EXPECT_EQ(Col(0).Width(), 51);
  EXPECT_EQ(Col(1).Width(), 50);
  EXPECT_EQ(Col(2).Width(), 51);
  EXPECT_EQ(grid.TitleFont().Height(), -6);
  EXPECT_EQ(grid.FooterFont().Height(), -6);
}

TEST_F(GridGeometryTest, RowLinesOptionsAndNegativeValues) {
  grid.SetRowLines(2);
  EXPECT_EQ(grid.DataRowHeight(), 24);
  grid.SetRowLines(-3);
  EXPECT_EQ(grid.RowLines(), 0);
  EXPECT_EQ(grid.DataRowHeight(), 16);
  grid.SetFooterRowCount(-1);
  EXPECT_EQ(grid.FooterRowCount(), 1);
  // Options run a pass only when the layout changes.
  grid.SetOptions(grid.Options() | grid::dgEditing);
  EXPECT_FALSE(grid.Options() & grid::dgEditing);  // a row selection has no editor
  int passes = grid.LayoutPassCount();
  grid.SetOptions(grid.Options());
  grid.SetOptions(grid.Options() & ~grid::dgTabs);
  EXPECT_EQ(grid.LayoutPassCount(), passes);
  grid.SetOptions(grid.Options() & ~grid::dgIndicator);
  EXPECT_EQ(grid.LayoutPassCount(), passes + 1);
  EXPECT_EQ(grid.IndicatorColumns(), 0);
  EXPECT_EQ(grid.FixedColCount(), 0);
}

}  // namespace
}  // namespace grid_test
