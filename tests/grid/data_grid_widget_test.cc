// The grid widget as the core's window: its client area, its scroll bars
// driven by the window system's values, and repaints that follow scrolled
// pixels.
#include "grid/qt/data_grid_widget.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QScrollBar>
#include <QTest>

#include "data/data_source.h"
#include "memory_dataset.h"
#include "tests/support/paint_counter.h"

namespace grid_test {
namespace {

using grid::Rect;
using grid::ScrollInfo;

class DataGridWidgetTest : public ::testing::Test {
 protected:
  DataGridWidgetTest() {
    source.SetDataSet(query.get());
    widget.Grid().SetFooterRowCount(1);
    widget.Grid().SetDataSource(&source);
    widget.resize(686, 293);
  }
  ~DataGridWidgetTest() override { widget.Grid().SetDataSource(nullptr); }

  QScrollBar& VBar() { return *widget.verticalScrollBar(); }
  QScrollBar& HBar() { return *widget.horizontalScrollBar(); }

  std::unique_ptr<MemoryDataSet> query = NameRecords(250);
  data::TDataSource source{"DataSource1"};
  grid::DataGridWidget widget;
};

TEST_F(DataGridWidgetTest, ClientAreaIsInsideTheBorderAndBarsWhichShowTheWindowSystemValues) {
  widget.show();
  EXPECT_EQ(widget.ClientWidth(), 682);
  EXPECT_EQ(widget.ClientHeight(), 289);
  EXPECT_FALSE(VBar().isVisible());
  // 289 pixels hold 14 records under the title, above filler and footer.
  query->Open();
  EXPECT_EQ(widget.Grid().DataLink().WindowSize(), 14);
  EXPECT_TRUE(VBar().isVisible());
  EXPECT_EQ(widget.ClientWidth(), 682 - VBar().width());
  EXPECT_EQ(widget.ClientHeight(), 289);
  // The vertical bar shows the window system's values.
  query->MoveBy(39);
  ScrollInfo bar = widget.VerticalBar();
  EXPECT_EQ(bar, (ScrollInfo{1, 250 + 14 - 1, 14, 40}));
  // Qt's range ends at the last position a page can start at.
  EXPECT_EQ(VBar().minimum(), 1);
  EXPECT_EQ(VBar().maximum(), 250);
  EXPECT_EQ(VBar().pageStep(), 14);
  EXPECT_EQ(VBar().value(), 40);
  EXPECT_TRUE(VBar().isEnabled());

  // The three-position bar of a source that cannot number its records.
  widget.SetVerticalBar(ScrollInfo{0, 4, 0, 2});
  EXPECT_EQ(VBar().minimum(), 0);
  EXPECT_EQ(VBar().maximum(), 4);
  EXPECT_EQ(VBar().value(), 2);
  EXPECT_TRUE(VBar().isVisible());

  // Closing leaves nothing to scroll: the bar goes and the client widens.
  query->Close();
  EXPECT_FALSE(VBar().isVisible());
  EXPECT_EQ(widget.ClientWidth(), 682);
}

TEST_F(DataGridWidgetTest, AlwaysShownBarIsDisabledWhenItCannotScroll) {
  widget.show();
  widget.Grid().SetVertScrollBarVisibleMode(grid::TScrollBarVisibleMode::sbAlwaysShow);
  EXPECT_TRUE(VBar().isVisible());
  EXPECT_FALSE(VBar().isEnabled());
  query->Open();
  EXPECT_TRUE(VBar().isVisible());
  EXPECT_TRUE(VBar().isEnabled());
}

TEST_F(DataGridWidgetTest, HorizontalBarAppearsOnlyWithSomethingToScroll) {
  widget.show();
  query->Open();
  int height = widget.ClientHeight();
  EXPECT_FALSE(HBar().isVisible());
  // Three 400-pixel columns: the core scales LeftScrollCol 1..3 to 0..127.
  grid::TDataGrid& grid = widget.Grid();
  for (int i = 0; i < 3; ++i) {
    grid::TDataGridColumn& column = grid.Columns().Add();
    column.SetFieldName("Name");
    column.SetWidth(400);
  }
  grid.SetLeftScrollCol(2);
  EXPECT_TRUE(HBar().isVisible());
  EXPECT_EQ(HBar().maximum(), 127);
  EXPECT_EQ(HBar().value(), 64);
  EXPECT_EQ(widget.ClientHeight(), height - HBar().height());
  // The rows are fitted to the smaller client.
  EXPECT_EQ(grid.DataLink().WindowSize(), (widget.ClientHeight() - 35) / 17);
  for (int i = 0; i < 3; ++i) grid.Columns()[i].SetWidth(100);
  EXPECT_FALSE(HBar().isVisible());
  EXPECT_EQ(widget.ClientHeight(), height);
}

TEST_F(DataGridWidgetTest, ScrollCarriesMarkedAreasAndUpdateNowPaintsThem) {
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  query->Open();
  tarnquill::testing::PaintCounter counter;
  widget.viewport()->installEventFilter(&counter);
  widget.UpdateNow();
  ASSERT_TRUE(widget.PendingRepaint().isEmpty());
  int paints = counter.paints;

  Rect rows{0, 17, widget.ClientWidth(), 17 + 14 * 17};
  widget.Invalidate(Rect{0, 221, widget.ClientWidth(), 237});
  widget.Scroll(0, -17, rows, rows);
  // The marked row moved up one row; the bottom row is uncovered.
  EXPECT_TRUE(widget.PendingRepaint().contains(QRect(0, 204, widget.ClientWidth(), 16)));
  EXPECT_TRUE(widget.PendingRepaint().contains(QRect(0, 17 + 13 * 17, widget.ClientWidth(), 17)));
  widget.UpdateNow();
  EXPECT_GT(counter.paints, paints);
  EXPECT_TRUE(widget.PendingRepaint().isEmpty());

  // Rows move only inside the clip: the footer below it stays untouched and
  // the clip's own uncovered row is what gets painted.
  const int width = widget.ClientWidth();
  Rect all_rows{0, 17, width, widget.ClientHeight()};
  Rect data_rows{0, 17, width, 17 + 14 * 17};
  widget.Scroll(0, -17, all_rows, data_rows);
  EXPECT_EQ(widget.PendingRepaint(), QRegion(0, 17 + 13 * 17, width, 17));
  widget.viewport()->removeEventFilter(&counter);
}

TEST_F(DataGridWidgetTest, WidgetOverAnExistingCore) {
  grid::TDataGrid core;
  {
    grid::DataGridWidget other(core);
    other.resize(300, 200);
    other.show();
    EXPECT_EQ(core.Host(), &other);
    EXPECT_EQ(&other.Grid(), &core);
  }
  // The core outlives its widget and forgets it.
  EXPECT_EQ(core.Host(), nullptr);
}

}  // namespace
}  // namespace grid_test
