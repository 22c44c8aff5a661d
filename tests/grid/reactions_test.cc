// How the grid follows its record source through a recording window: the
// rows it asks for, the pixels it scrolls and the areas it repaints after a
// move, and the vertical scroll bar.
#include <gtest/gtest.h>

#include <algorithm>

#include "grid_fixture.h"

namespace grid_test {
namespace {

using V = provider::Variant;
using grid::Rect;
using grid::ScrollInfo;

// The main window's grid (one footer row, row selection) in a window 686
// pixels wide.
class ReactionsTest : public GridFixture {
 protected:
  void Configure(int client_height, int records) {
    host.height = client_height;
    query.Rows() = NumberedRows(records);
    grid.SetHost(&host);
    grid.SetFooterRowCount(1);
    grid.SetOptions(grid::dgTitles | grid::dgIndicator | grid::dgColumnResize | grid::dgColLines |
                    grid::dgRowLines | grid::dgRowSelect);
  }
  void ConfigureAndOpen(int client_height, int records) {
    Configure(client_height, records);
    query.Open();
  }

  // Row `row` across the whole client width, as the reactions repaint it.
  Rect Row(int row) {
    Rect cell = grid.CellRect(1, row);
    return Rect{0, cell.top, host.width, cell.bottom};
  }
};

TEST_F(ReactionsTest, VisibleDataRowsLeaveOutTheFillerAndFooters) {
  // 35 fixed pixels and 8 rows of 17: ten rows fully visible, two of them
  // the filler and the footer.
  ConfigureAndOpen(35 + 8 * 17 + 5, 40);
  ASSERT_EQ(grid.RowCount(), 11);
  EXPECT_EQ(grid.VisibleDataRows(), 8);
  // Too small for any data row: still one, and one record asked for.
  host.height = 30;
  grid.Resized();
  EXPECT_EQ(grid.VisibleDataRows(), 1);
  EXPECT_EQ(grid.DataLink().WindowSize(), 1);
  // Without footers every fully visible row is a data row.
  host.height = 17 + 10 * 17;
  grid.SetFooterRowCount(0);
  EXPECT_EQ(grid.RowCount(), 11);
  EXPECT_EQ(grid.VisibleDataRows(), 10);
}

TEST_F(ReactionsTest, SequencedBarShowsTheRecordNumber) {
  ConfigureAndOpen(35 + 12 * 17, 250);
  ASSERT_EQ(grid.VisibleDataRows(), 12);
  query.MoveBy(39);
  EXPECT_EQ(host.bar, (ScrollInfo{1, 261, 12, 40}));
  EXPECT_TRUE(host.bar_shown);
  // The page and range follow the client height.
  host.height += 3 * 17;
  grid.Resized();
  EXPECT_EQ(host.bar, (ScrollInfo{1, 264, 15, 40}));
  query.Last();
  EXPECT_EQ(host.bar, (ScrollInfo{1, 264, 15, 250}));
}

TEST_F(ReactionsTest, UnnumberedSourceHasAThreePositionBar) {
  UnnumberedDataSet unnumbered("ADOQuery1", SampleColumns(), NumberedRows(100));
  source.SetDataSet(&unnumbered);
  Configure(272, 0);
  unnumbered.Open();
  EXPECT_EQ(host.bar, (ScrollInfo{0, 4, 0, 0}));
  EXPECT_TRUE(host.bar_shown);
  unnumbered.MoveBy(50);
  EXPECT_EQ(host.bar, (ScrollInfo{0, 4, 0, 2}));
  unnumbered.Last();
  EXPECT_EQ(host.bar, (ScrollInfo{0, 4, 0, 4}));
  source.SetDataSet(&query);
}

TEST_F(ReactionsTest, EmptyResultHidesTheBarAndReopeningStartsOnTheFirstRecord) {
  ConfigureAndOpen(272, 40);
  ASSERT_TRUE(host.bar_shown);
  query.MoveBy(7);
  ASSERT_EQ(grid.CurrentRow(), 8);
  query.Close();
  EXPECT_FALSE(host.bar_shown);
  EXPECT_EQ(grid.RowCount(), 4);  // title, one empty row, filler, footer
  EXPECT_EQ(grid.RowHeightOf(2), 272 - 35 - 17);
  query.Rows().clear();
  query.Open();
  EXPECT_FALSE(host.bar_shown);
  EXPECT_EQ(grid.RowCount(), 4);

  query.Rows() = NumberedRows(40);
  query.Close();
  query.Open();
  ASSERT_TRUE(host.bar_shown);
  EXPECT_EQ(grid.CurrentRow(), 1);
  EXPECT_EQ(host.bar.pos, 1);
  // A bar never shown cannot scroll.
  grid.SetVertScrollBarVisibleMode(grid::TScrollBarVisibleMode::sbNeverShow);
  EXPECT_EQ(host.bar.min, host.bar.max);
  EXPECT_FALSE(host.bar_shown);
  EXPECT_TRUE(host.arrows_enabled);
}

TEST_F(ReactionsTest, MovingInsideTheSliceRepaintsTwoRows) {
  ConfigureAndOpen(272, 40);
  host.Reset();
  query.MoveBy(3);
  EXPECT_TRUE(host.scrolls.empty());
  EXPECT_EQ(host.full, 0);
  for (const Rect& r : host.rects) {
    EXPECT_TRUE(r == Row(1) || r == Row(4) || r == Row(15)) << r.top;
  }
  EXPECT_NE(std::find(host.rects.begin(), host.rects.end(), Row(1)), host.rects.end());
  EXPECT_NE(std::find(host.rects.begin(), host.rects.end(), Row(4)), host.rects.end());
  EXPECT_EQ(host.updates_now, 1);
}

TEST_F(ReactionsTest, OneRowPastTheBottomScrollsThePixelsUp) {
  ConfigureAndOpen(272, 40);
  query.MoveBy(12);  // the bottom row of the slice
  ASSERT_EQ(grid.CurrentRow(), 13);
  grid.SetIndicatorRow(13);  // painting drew the indicator there
  host.Reset();
  query.Next();
  ASSERT_EQ(host.scrolls.size(), 1u);
  const auto& scroll = host.scrolls[0];
  EXPECT_EQ(scroll.dx, 0);
  EXPECT_EQ(scroll.dy, -17);
  // All rows below the title move; only the data rows change.
  EXPECT_EQ(scroll.area, (Rect{0, 17, 686, 271}));
  EXPECT_EQ(scroll.clip, (Rect{0, 17, 686, 237}));
  // Before the move: the old row (whose highlight and indicator move up
  // with the pixels); after it: the uncovered bottom row and the footer.
  for (std::size_t i = 0; i < host.rects.size(); ++i) {
    const Rect& r = host.rects[i];
    if (i < scroll.rects_before) {
      EXPECT_EQ(r, Row(13));
    } else {
      EXPECT_TRUE(r == Row(13) || r == Row(15)) << r.top;
    }
  }
  EXPECT_EQ(host.rects.back(), Row(15));
  EXPECT_EQ(host.full, 0);
  EXPECT_EQ(host.updates_now, 1);
  EXPECT_EQ(grid.CurrentRow(), 13);
  EXPECT_EQ(host.bar.pos, 14);
}

// A window made taller while the last record is current (a splitter drag,
// a resize) fills the new room with the records before it at once.
TEST_F(ReactionsTest, GrowingOnTheLastRecordFillsTheNewRows) {
  ConfigureAndOpen(272, 40);
  query.Last();
  host.height = 272 - 3 * 17;  // room for 10 records
  grid.Resized();
  ASSERT_EQ(grid.DataLink().RowsInWindow(), 10);
  ASSERT_EQ(grid.CurrentRow(), 10);
  host.Reset();
  host.height = 272;
  grid.Resized();
  EXPECT_EQ(grid.DataLink().WindowSize(), 13);
  EXPECT_EQ(grid.DataLink().RowsInWindow(), 13);
  EXPECT_EQ(grid.RowCount(), 1 + 13 + 2);
  // The last record on the bottom data row, the footer
  // on the bottom edge, and the whole grid painted anew.
  EXPECT_EQ(grid.CurrentRow(), 13);
  EXPECT_EQ(query.Field(0)->TextValue(), "row39");
  grid.DataLink().SetActiveRow(0);
  EXPECT_EQ(query.Field(0)->TextValue(), "row27");
  grid.DataLink().SetActiveRow(12);
  EXPECT_EQ(grid.CellRect(1, 15).bottom, 271);
  EXPECT_GE(host.full, 1);
  EXPECT_EQ(host.bar.pos, 40);
}

TEST_F(ReactionsTest, OneRowAboveTheTopScrollsThePixelsDownAndAReloadRepaintsOnce) {
  ConfigureAndOpen(272, 40);
  query.MoveBy(20);
  query.MoveBy(-12);  // the top row of a slice that starts at record 9
  ASSERT_EQ(grid.CurrentRow(), 1);
  grid.SetIndicatorRow(1);
  host.Reset();
  query.Prior();
  ASSERT_EQ(host.scrolls.size(), 1u);
  EXPECT_EQ(host.scrolls[0].dy, 17);
  EXPECT_EQ(host.full, 0);
  EXPECT_EQ(grid.CurrentRow(), 1);
  for (const Rect& r : host.rects) EXPECT_TRUE(r == Row(1) || r == Row(15)) << r.top;
  // A reload collapses queued repaints into one.
  host.Reset();
  host.Invalidate(Row(3));
  query.First();  // reloads the window from the first record
  EXPECT_EQ(host.validated_all, 1);
  EXPECT_TRUE(host.rects.empty());
  EXPECT_EQ(host.full, 1);
  EXPECT_EQ(grid.CurrentRow(), 1);
}

TEST_F(ReactionsTest, AJumpWiderThanTheScreenRepaintsEverything) {
  ConfigureAndOpen(272, 100);
  query.MoveBy(12);
  ASSERT_EQ(grid.VisibleDataRows(), 13);
  // Thirteen rows still scroll (nothing on screen is left, but the count
  // does not exceed what is visible) ...
  host.Reset();
  query.MoveBy(13);
  ASSERT_EQ(host.scrolls.size(), 1u);
  EXPECT_EQ(host.scrolls[0].dy, -13 * 17);
  // ... fourteen repaint the whole grid, without footers or an immediate paint.
  host.Reset();
  query.MoveBy(14);
  EXPECT_TRUE(host.scrolls.empty());
  EXPECT_GE(host.full, 1);
  EXPECT_EQ(host.updates_now, 0);
  for (const Rect& r : host.rects) EXPECT_NE(r, Row(15));
}

TEST_F(ReactionsTest, ANewWindowIsFittedAtOnce) {
  query.Rows() = NumberedRows(40);
  grid.SetFooterRowCount(1);
  query.Open();
  // Without a window the grid has no idea of its height.
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(host.bar_writes, 0);
  host.height = 272;
  grid.SetHost(&host);
  EXPECT_EQ(grid.DataLink().WindowSize(), 13);
  EXPECT_EQ(grid.RowCount(), 16);
  EXPECT_EQ(host.bar, (ScrollInfo{1, 52, 13, 1}));
}

TEST_F(ReactionsTest, EditStateRepaintsTheIndicatorCell) {
  ConfigureAndOpen(272, 40);
  query.MoveBy(2);
  grid.SetIndicatorRow(3);
  host.Reset();
  query.Edit();
  ASSERT_FALSE(host.rects.empty());
  EXPECT_EQ(host.rects[0], (Rect{0, 3 * 17, 11, 3 * 17 + 16}));
  // Cancelling reloads the record window: one full repaint covers it.
  host.Reset();
  query.Cancel();
  EXPECT_TRUE(host.rects.empty());
  EXPECT_EQ(host.full, 1);
  // No indicator, nothing to repaint for the edit state.
  grid.SetOptions(grid.Options() & ~grid::dgIndicator);
  host.Reset();
  grid.EditStateToggled();
  EXPECT_TRUE(host.rects.empty());
}

// Hidden columns take no pixels; focusing a field picks the last column
// showing it.
TEST_F(ReactionsTest, HiddenColumnsTakeNoPixelsAndFocusingAFieldPicksTheLastColumn) {
  ConfigureAndOpen(272, 40);
  grid.Columns().AddFieldColumns(true);
  for (int i = 0; i < 4; ++i) Col(i).SetWidth(100);
  ASSERT_EQ(grid.CellRect(3, 1).left, 214);
  Col(1).SetVisible(false);
  EXPECT_EQ(grid.ColWidth(2), -1);
  EXPECT_EQ(grid.CellRect(3, 1).left, 113);  // right after the first column's line
  EXPECT_TRUE(grid.CellRect(2, 1).Empty());
  // Without column lines a hidden column is simply 0 wide.
  grid.SetOptions(grid.Options() & ~grid::dgColLines);
  EXPECT_EQ(grid.ColWidth(2), 0);
  EXPECT_EQ(grid.CellRect(3, 1).left, 111);

  grid.Columns().AddFieldColumns(true);
  grid.Columns().Add().SetFieldName("Qty");
  data::TField* qty = &query.FieldByName("Qty");
  // A row selection keeps its column.
  grid.FocusField(&qty);
  EXPECT_EQ(grid.CurrentCol(), grid.FixedColCount());
  grid.SetOptions(grid.Options() & ~grid::dgRowSelect);
  grid.FocusField(&qty);
  EXPECT_EQ(grid.CurrentCol(), 5);  // the second Qty column
  data::TField* none = nullptr;
  grid.FocusField(&none);
  grid.FocusField(nullptr);
  EXPECT_EQ(grid.CurrentCol(), 5);
}

}  // namespace
}  // namespace grid_test
