// The grid answering keys, clicks, drags, the wheel, its scroll bars and
// the focus, through the core with a recording window host.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "data_grid_test_peer.h"
#include "input_fixture.h"

namespace grid_test {
namespace {

using Peer = grid::TDataGridTestPeer;

using grid::SB_LINEDOWN;
using grid::SB_LINERIGHT;
using grid::SB_THUMBPOSITION;
using grid::SB_THUMBTRACK;
using grid::TGridKey;
using grid::TGridState;
using grid::TMouseButton;

using GridKeysTest = InputFixture;
using GridScrollBarTest = InputFixture;
using GridWheelTest = InputFixture;
using GridMouseTest = InputFixture;
using GridSizingTest = InputFixture;
using GridDragTest = InputFixture;
using GridFocusTest = InputFixture;
using GridColumnMoveTest = InputFixture;

// Each key from a given record of 100 (8 rows on screen), or of 3 for the
// arrows at the ends: where the record and the current row end up, and
// whether the move stays on screen (no pixels scroll; only the old and the
// new current row and the footer repaint).
TEST_F(GridKeysTest, KeysMoveTheRecord) {
  const struct {
    int records, from;
    TGridKey key;
    grid::TShiftState shift;
    int record, row;
    bool on_screen;
  } cases[] = {
      {100, 3, TGridKey::PageDown, 0, 11, 8, false},  // by the visible rows
      {100, 11, TGridKey::PageUp, 0, 3, 1, false},
      {100, 3, TGridKey::PageDown, grid::ssCtrl, 8, 8, true},  // to the bottom row
      {100, 8, TGridKey::Up, grid::ssCtrl, 1, 1, true},        // to the top row
      {100, 5, TGridKey::End, 0, 100, 8, false},
      {100, 100, TGridKey::Home, grid::ssCtrl, 1, 1, false},
      {3, 1, TGridKey::Up, 0, 1, 1, true},  // nothing before the first
      {3, 2, TGridKey::Down, 0, 3, 3, true},
      {3, 3, TGridKey::Down, 0, 3, 3, true},  // nor after the last: nothing is appended
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.from << " key " << static_cast<int>(c.key));
    query.Close();
    Open(c.records);
    query.MoveBy(c.from - 1);
    host.Reset();
    grid.KeyDown(c.key, c.shift);
    EXPECT_EQ(query.RecNo(), c.record);
    EXPECT_EQ(grid.CurrentRow(), c.row);
    EXPECT_EQ(query.RecordCount(), c.records);
    if (!c.on_screen) continue;
    EXPECT_EQ(host.full, 0);
    EXPECT_TRUE(host.scrolls.empty());
    for (const grid::Rect& r : host.rects) {
      EXPECT_TRUE(r.top == 17 * c.from || r.top == 17 * c.row || r.top == 154) << r.top;
    }
  }
}

TEST_F(GridKeysTest, KeysThatDoNothingOrAreCleared) {
  Open(100);
  query.MoveBy(4);
  for (TGridKey key : {TGridKey::Enter, TGridKey::Insert, TGridKey::Delete, TGridKey::F2,
                       TGridKey::Other, TGridKey::Escape}) {
    grid.KeyDown(key, 0);
  }
  grid.KeyDown(TGridKey::Delete, grid::ssCtrl);
  grid.KeyDown(TGridKey::C, grid::ssCtrl);
  EXPECT_EQ(query.RecNo(), 5);
  EXPECT_EQ(query.RecordCount(), 100);
  EXPECT_EQ(query.State(), data::TDataSetState::Browsing);
  // Nor does a key the handler clears.
  query.First();
  grid.OnKeyDown = [](TGridKey& key, grid::TShiftState) {
    if (key == TGridKey::Down) key = TGridKey::None;
  };
  grid.KeyDown(TGridKey::Down, 0);
  EXPECT_EQ(query.RecNo(), 1);
  grid.KeyDown(TGridKey::End, 0);
  EXPECT_EQ(query.RecNo(), 100);
}

TEST_F(GridScrollBarTest, LineDownScrollsTheRowsByOne) {
  Open(100);
  query.MoveBy(2);
  host.Reset();
  grid.VerticalScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(query.RecNo(), 9);
  EXPECT_EQ(grid.DataLink().ActiveRow(), 7);
  ASSERT_EQ(host.scrolls.size(), 1u);
  EXPECT_EQ(host.scrolls[0].dy, -17);
  EXPECT_EQ(host.full, 0);
  grid.VerticalScroll(grid::SB_LINEUP, 0);
  EXPECT_EQ(query.RecNo(), 1);
}

TEST_F(GridScrollBarTest, ThumbReleaseGoesToTheTrackPositionAndTrackingIsOffUnlessAskedFor) {
  Open(250);
  host.track_pos = 90;
  grid.VerticalScroll(SB_THUMBTRACK, 90);
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_FALSE(Peer(grid).ThumbTrackPending());
  query.MoveBy(39);
  // The message's own position is ignored; the bar's track position counts.
  for (int track : {120, 1, 250}) {
    host.track_pos = track;
    grid.VerticalScroll(SB_THUMBPOSITION, 3);
    EXPECT_EQ(query.RecNo(), track);
    EXPECT_EQ(host.bar.pos, track);
  }
  host.track_pos = 120;
  grid.VerticalScroll(SB_THUMBPOSITION, 0);
  EXPECT_GT(grid.DataLink().ActiveRow(), 0);  // the record lands inside the rows
  EXPECT_LT(grid.DataLink().ActiveRow(), 7);
  grid.SetVertScrollTracking(true);
  host.track_pos = 90;
  grid.VerticalScroll(SB_THUMBTRACK, 90);
  EXPECT_EQ(query.RecNo(), 90);
  EXPECT_TRUE(Peer(grid).ThumbTrackPending());
  host.track_pos = 200;
  grid.VerticalScroll(SB_THUMBPOSITION, 200);  // the release after a tracked drag
  EXPECT_EQ(query.RecNo(), 90);
  EXPECT_FALSE(Peer(grid).ThumbTrackPending());
}

TEST(GridScrollBarPlainTest, ThreePositionBarOnAnUnsequencedSource) {
  UnnumberedDataSet query("ADOQuery1", SampleColumns(), NumberedRows(100));
  BareGrid bare(query);
  // Dropped at 0..4: first, a page up, nothing, a page down, last.
  for (auto [pos, record] : {std::pair{3, 9}, {2, 9}, {4, 100}, {1, 92}, {0, 1}}) {
    bare.grid.VerticalScroll(SB_THUMBPOSITION, pos);
    EXPECT_EQ(query.RecNo(), record) << pos;
  }
}

// Keys and the horizontal bar scroll by whole columns, within the limits.
TEST_F(GridScrollBarTest, ColumnsScrollByKeysAndTheHorizontalBar) {
  Open(10);
  EXPECT_EQ(host.hbar.max, 0);  // 4 × 100 pixels fit: nothing to scroll
  for (int i = 0; i < 4; ++i) Col(i).SetWidth(300);
  ASSERT_EQ(grid.MaxLeftScrollCol(), 3);
  EXPECT_EQ(host.hbar, (grid::ScrollInfo{0, 127, 0, 0}));
  const struct {
    TGridKey key;  // None: the bar gets `code` and `pos`
    grid::TScrollCode code;
    int pos, left_col, bar_pos;
  } steps[] = {
      {TGridKey::Left, SB_LINERIGHT, 0, 1, 0},         {TGridKey::Right, SB_LINERIGHT, 0, 2, 64},
      {TGridKey::Right, SB_LINERIGHT, 0, 3, 127},      {TGridKey::Right, SB_LINERIGHT, 0, 3, 127},
      {TGridKey::None, grid::SB_LEFT, 0, 1, 0},        {TGridKey::None, SB_LINERIGHT, 0, 2, 64},
      {TGridKey::None, SB_THUMBPOSITION, 127, 3, 127},
  };
  for (const auto& step : steps) {
    if (step.key != TGridKey::None) {
      grid.KeyDown(step.key, 0);
    } else {
      grid.HorizontalScroll(step.code, step.pos);
    }
    EXPECT_EQ(grid.LeftScrollCol(), step.left_col);
    EXPECT_EQ(host.hbar.pos, step.bar_pos);
  }
  // Row selection keeps the current column on Ctrl+Left and Ctrl+Right.
  grid.KeyDown(TGridKey::Right, grid::ssCtrl);
  EXPECT_EQ(grid.CurrentCol(), 1);
  // A wider window needs no bar.
  host.width = 2000;
  grid.Resized();
  EXPECT_EQ(host.hbar.max, 0);
}

TEST_F(GridWheelTest, NotchesAndHighResolutionEvents) {
  Open(100);
  query.MoveBy(4);
  EXPECT_TRUE(grid.MouseWheel(-120, 0));
  EXPECT_EQ(query.RecNo(), 6);
  grid.MouseWheel(-40, 0);
  grid.MouseWheel(-40, grid::ssCtrl);
  EXPECT_EQ(query.RecNo(), 6);
  grid.MouseWheel(-40, grid::ssShift);
  EXPECT_EQ(query.RecNo(), 7);
  grid.MouseWheel(360, 0);
  EXPECT_EQ(query.RecNo(), 4);
  grid.OnMouseWheel = [](int, grid::TShiftState) { return true; };
  grid.MouseWheel(-120, 0);
  EXPECT_EQ(query.RecNo(), 4);
}

TEST_F(GridMouseTest, ClickOnADataRowMovesThereTitleClickAndDoubleClick) {
  Open(100);
  std::vector<std::string> clicked;
  grid.OnCellClick = [&](grid::TDataGridColumn& c) { clicked.push_back(c.FieldName()); };
  host.Reset();
  Click(250, RowY(5));
  EXPECT_TRUE(host.focused);
  EXPECT_EQ(query.RecNo(), 5);
  EXPECT_EQ(grid.CurrentRow(), 5);
  EXPECT_EQ(host.full, 0);  // within the window: only rows repaint
  ASSERT_EQ(clicked.size(), 1u);
  EXPECT_EQ(clicked[0], "Name");  // row selection keeps the first column current
  EXPECT_FALSE(host.captured);
  // The indicator column moves too; the footer row does not.
  Click(5, RowY(2));
  EXPECT_EQ(query.RecNo(), 2);
  EXPECT_EQ(clicked.size(), 2u);
  Click(250, 160);
  EXPECT_EQ(query.RecNo(), 2);
  EXPECT_EQ(clicked.size(), 2u);
  // A title click raises its event and moves nothing; a double click counts.
  std::vector<std::string> titles;
  int doubles = 0;
  grid.OnTitleClick = [&](grid::TDataGridColumn& c) { titles.push_back(c.FieldName()); };
  grid.OnDblClick = [&] { ++doubles; };
  Click(150, 5);
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Qty");
  EXPECT_EQ(Col(1).FieldName(), "Qty");  // nothing moved
  Click(5, 5);                           // the indicator's title
  EXPECT_EQ(titles.size(), 1u);
  grid.MouseDown(TMouseButton::Left, 0, 250, RowY(4), /*double_click=*/true);
  grid.MouseUp(TMouseButton::Left, 0, 250, RowY(4));
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(query.RecNo(), 2);
}

TEST_F(GridMouseTest, PressIgnoredWhenTheFocusDoesNotArrive) {
  Open(100);
  host.focusable = false;
  int downs = 0;
  grid.OnMouseDown = [&](TMouseButton, grid::TShiftState, int, int) { ++downs; };
  grid.MouseDown(TMouseButton::Left, 0, 250, RowY(5));
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_FALSE(Peer(grid).DragTracking());
  EXPECT_FALSE(host.captured);
  EXPECT_EQ(downs, 0);
  grid.MouseDown(TMouseButton::Left, 0, 150, 5);
  EXPECT_EQ(Peer(grid).GridState(), TGridState::Idle);
  grid.VerticalScroll(SB_LINEDOWN, 0);
  EXPECT_EQ(query.RecNo(), 1);
}

TEST_F(GridMouseTest, EmptyOrClosedViewMovesNothingButAClickFocuses) {
  Open(0);
  grid.KeyDown(TGridKey::Down, 0);
  grid.KeyDown(TGridKey::PageDown, 0);
  grid.MouseWheel(-240, 0);
  grid.VerticalScroll(SB_LINEDOWN, 0);
  Click(250, RowY(1));
  EXPECT_TRUE(host.focused);
  EXPECT_TRUE(host.scrolls.empty());
  query.Close();
  host.focused = false;
  grid.KeyDown(TGridKey::End, 0);
  EXPECT_TRUE(grid.MouseWheel(-120, 0));
  EXPECT_EQ(Peer(grid).WheelRemainder(), 0);
  grid.VerticalScroll(SB_LINEDOWN, 0);
  Click(250, RowY(1));
  EXPECT_TRUE(host.focused);
  EXPECT_FALSE(Peer(grid).DragTracking());
  EXPECT_FALSE(host.captured);
  EXPECT_EQ(Peer(grid).GridState(), TGridState::Idle);
}

TEST_F(GridSizingTest, ZoneBoundariesAndDraggingTheEdgeSetsTheWidth) {
  Open(10);
  // Column 1 ends at 111; its line is at 112. The zone runs from 3 left of
  // the line to 4 right of it, in the title row only.
  const struct {
    int x, y;
    grid::TCursor cursor;
    TGridState press;
    int index;  // the column sized or moved
  } cases[] = {
      {109, 5, grid::TCursor::crHSplit, TGridState::ColumnSizing, 1},
      {108, 5, grid::TCursor::crDefault, TGridState::ColumnMoving, 1},
      {116, 5, grid::TCursor::crHSplit, TGridState::ColumnSizing, 1},
      {117, 5, grid::TCursor::crDefault, TGridState::ColumnMoving, 2},
      {110, 20, grid::TCursor::crDefault, TGridState::Idle, -1},  // below the titles
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    grid.MouseMove(0, c.x, c.y);
    EXPECT_EQ(host.cursor, c.cursor);
    grid.MouseDown(TMouseButton::Left, 0, c.x, c.y);
    EXPECT_EQ(Peer(grid).GridState(), c.press);
    if (c.press == TGridState::ColumnSizing) {
      EXPECT_EQ(Peer(grid).SizingIndex(), c.index);
      EXPECT_EQ(Peer(grid).SizingPos(), 112);
    } else if (c.press == TGridState::ColumnMoving) {
      EXPECT_EQ(Peer(grid).MoveIndex(), c.index);
    }
    grid.CancelMode();
    EXPECT_TRUE(host.ShownLines().empty());
    EXPECT_FALSE(host.captured);
    EXPECT_EQ(Col(0).Width(), 100);
  }
  // Dragging the edge sets the width.
  int changes = 0;
  grid.OnColWidthsChanged = [&] { ++changes; };
  std::vector<std::string> titles;
  grid.OnTitleClick = [&](grid::TDataGridColumn& c) { titles.push_back(c.FieldName()); };
  // Grabbed 2 pixels left of the line: the line keeps that distance.
  grid.MouseDown(TMouseButton::Left, 0, 110, 5);
  ASSERT_EQ(host.ShownLines().size(), 1u);
  EXPECT_EQ(host.ShownLines()[0], (grid::Rect{112, 0, 113, 171}));
  grid.MouseMove(0, 158, 40);
  ASSERT_EQ(host.ShownLines().size(), 1u);
  EXPECT_EQ(host.ShownLines()[0].left, 160);
  grid.MouseUp(TMouseButton::Left, 0, 158, 40);
  EXPECT_TRUE(host.ShownLines().empty());
  EXPECT_EQ(Col(0).Width(), 148);
  EXPECT_EQ(grid.ColWidth(1), 148);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(titles.empty());  // ending a sizing is not a title click
  EXPECT_EQ(Peer(grid).GridState(), TGridState::Idle);
}

TEST_F(GridSizingTest, TooNarrowLeavesTheWidthAndMinWidthLimits) {
  Open(10);
  Drag(112, 5, 13, 5);  // width 1
  EXPECT_EQ(Col(0).Width(), 100);
  grid.MouseDown(TMouseButton::Left, 0, 112, 5);
  grid.MouseMove(0, -200, 5);  // not limited while dragging
  EXPECT_EQ(Peer(grid).SizingPos(), -200);
  grid.MouseUp(TMouseButton::Left, 0, -200, 5);
  EXPECT_EQ(Col(0).Width(), 100);
  Drag(112, 5, 14, 5);  // width 2
  EXPECT_EQ(Col(0).Width(), 2);
  Col(1).SetMinWidth(30);
  // Column 2 now spans 15..114, its line at 115.
  grid.MouseDown(TMouseButton::Left, 0, 115, 5);
  EXPECT_EQ(Peer(grid).SizingIndex(), 2);
  grid.MouseMove(0, 20, 5);
  grid.MouseUp(TMouseButton::Left, 0, 20, 5);
  EXPECT_EQ(Col(1).Width(), 30);
}

// Escape cancels a sizing (grabbed on column 1's line) and a move (Qty's
// title): nothing stays shown, no timer runs, and the release changes nothing.
TEST_F(GridSizingTest, EscapeCancelsASizingOrAMove) {
  Open(10);
  for (auto [from, to] : {std::pair{112, 60}, {150, 350}}) {
    SCOPED_TRACE(from);
    grid.MouseDown(TMouseButton::Left, 0, from, 5);
    grid.MouseMove(0, to, 5);
    grid.KeyDown(TGridKey::Escape, 0);
    EXPECT_EQ(Peer(grid).GridState(), TGridState::Idle);
    EXPECT_TRUE(host.ShownLines().empty());
    EXPECT_FALSE(host.TimerRunning());
    grid.MouseUp(TMouseButton::Left, 0, to, 5);
    EXPECT_EQ(Col(0).Width(), 100);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Qty", "Price", "Paid"}));
  }
}

TEST_F(GridColumnMoveTest, DragMovesTheColumnAndRaisesTheEvents) {
  Open(10);
  Col(1).SetWidth(80);
  std::vector<std::pair<int, int>> moved;
  grid.OnColumnMoved = [&](int from, int to) { moved.push_back({from, to}); };
  std::vector<std::string> titles;
  grid.OnTitleClick = [&](grid::TDataGridColumn& c) { titles.push_back(c.FieldName()); };
  grid.MouseDown(TMouseButton::Left, 0, 130, 5);  // Qty's title
  EXPECT_EQ(Peer(grid).GridState(), TGridState::ColumnMoving);
  EXPECT_EQ(host.timers[grid::kGridTimerId], 60);
  ASSERT_EQ(host.ShownLines().size(), 1u);
  EXPECT_EQ(host.ShownLines()[0], (grid::Rect{110, 0, 115, 171}));  // left of Qty
  grid.MouseMove(0, 350, 40);                                       // over Paid, column 4
  EXPECT_EQ(Peer(grid).MovePos(), 4);
  ASSERT_EQ(host.ShownLines().size(), 1u);
  EXPECT_EQ(host.ShownLines()[0].left, 395 - 2);  // right of Paid: 295..394, line at 395
  grid.MouseUp(TMouseButton::Left, 0, 350, 5);
  EXPECT_TRUE(host.ShownLines().empty());
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_EQ(Names(), (std::vector<std::string>{"Name", "Price", "Paid", "Qty"}));
  EXPECT_EQ(Col(3).Width(), 80);  // the width went with it
  EXPECT_EQ(grid.ColWidth(4), 80);
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0], (std::pair<int, int>{2, 4}));
  ASSERT_EQ(titles.size(), 1u);
  EXPECT_EQ(titles[0], "Qty");
}

TEST_F(GridColumnMoveTest, RightButtonTitleDragMovesAndReleasesTheCapture) {
  Open(10);
  grid.MouseDown(TMouseButton::Right, 0, 150, 5);
  EXPECT_TRUE(host.captured);
  EXPECT_EQ(Peer(grid).GridState(), TGridState::ColumnMoving);
  grid.MouseMove(0, 20, 5);
  grid.MouseUp(TMouseButton::Left, 0, 20, 5);  // only the right button ends it
  EXPECT_EQ(Peer(grid).GridState(), TGridState::ColumnMoving);
  grid.MouseUp(TMouseButton::Right, 0, 20, 5);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Qty", "Name", "Price", "Paid"}));
  EXPECT_FALSE(host.captured);
  EXPECT_EQ(Peer(grid).GridState(), TGridState::Idle);
  // A right press on a data row captures too, and lets go on release.
  grid.MouseDown(TMouseButton::Right, 0, 250, RowY(3));
  EXPECT_TRUE(host.captured);
  EXPECT_EQ(query.RecNo(), 3);
  grid.MouseUp(TMouseButton::Right, 0, 250, RowY(3));
  EXPECT_FALSE(host.captured);
  EXPECT_FALSE(Peer(grid).DragTracking());
}

TEST_F(GridColumnMoveTest, TimerScrollsAtTheEdges) {
  Open(10);
  for (int i = 0; i < 4; ++i) Col(i).SetWidth(300);
  grid.MouseDown(TMouseButton::Left, 0, 50, 5);  // Name
  grid.MouseMove(0, 680, 5);                     // past the last fully visible column
  EXPECT_EQ(grid.LeftScrollCol(), 2);
  grid.TimerTick(grid::kGridTimerId);
  EXPECT_EQ(grid.LeftScrollCol(), 3);
  EXPECT_EQ(Peer(grid).MovePos(), 4);
  EXPECT_EQ(host.ShownLines().size(), 1u);
  grid.MouseMove(0, 5, 5);  // over the indicator
  grid.TimerTick(grid::kGridTimerId);
  EXPECT_EQ(grid.LeftScrollCol(), 1);
  EXPECT_EQ(Peer(grid).MovePos(), 1);
  grid.MouseUp(TMouseButton::Left, 0, 5, 5);
  EXPECT_EQ(Col(0).FieldName(), "Name");
}

TEST_F(GridDragTest, AutoScrollSpeedFollowsTheDistanceBelow) {
  Open(100);
  grid.MouseDown(TMouseButton::Left, 0, 250, RowY(1));
  ASSERT_TRUE(Peer(grid).DragTracking());
  // The data area ends at 152: d = y − 151.
  grid.MouseMove(0, 250, 156);  // d = 5
  EXPECT_EQ(host.timers[grid::kGridTimerId], 125);
  EXPECT_EQ(query.RecNo(), 1);
  grid.TimerTick(grid::kGridTimerId);
  EXPECT_EQ(query.RecNo(), 1);
  grid.MouseMove(0, 250, 157);  // d = 6
  EXPECT_EQ(host.timers[grid::kGridTimerId], 110);
  EXPECT_EQ(query.RecNo(), 2);
  grid.MouseMove(0, 250, 165);  // d = 14
  EXPECT_EQ(host.timers[grid::kGridTimerId], 0);
  EXPECT_EQ(query.RecNo(), 4);
  grid.MouseMove(0, 250, 199);  // d = 48
  EXPECT_EQ(query.RecNo(), 12);
  grid.TimerTick(grid::kGridTimerId);
  EXPECT_EQ(query.RecNo(), 20);
  // Restarted only when the interval changed: 125, 110, 0.
  EXPECT_EQ(host.starts, (std::vector<int>{125, 110, 0}));
  grid.MouseUp(TMouseButton::Left, 0, 250, 199);
  EXPECT_FALSE(Peer(grid).DragTracking());
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_FALSE(host.captured);
}

// Dragging inside follows the pointer, above moves back; a row move repaints
// once per step; the middle button neither starts nor ends a drag.
TEST_F(GridDragTest, DraggingInsideAboveAndWithTheMiddleButton) {
  Open(100);
  grid.MouseDown(TMouseButton::Middle, 0, 250, RowY(4));
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_FALSE(host.captured);
  grid.MouseDown(TMouseButton::Left, 0, 250, RowY(2));
  grid.MouseDown(TMouseButton::Middle, 0, 250, RowY(3));
  grid.MouseUp(TMouseButton::Middle, 0, 250, RowY(3));
  EXPECT_TRUE(Peer(grid).DragTracking());
  EXPECT_TRUE(host.captured);
  grid.MouseMove(0, 250, RowY(6));
  EXPECT_EQ(query.RecNo(), 6);
  EXPECT_FALSE(host.TimerRunning());
  grid.MouseMove(0, 250, 17 - 12);  // 12 above the data rows: 2 records a step
  EXPECT_EQ(query.RecNo(), 4);
  EXPECT_EQ(host.timers[grid::kGridTimerId], 20);
  grid.CancelMode();
  EXPECT_FALSE(Peer(grid).DragTracking());
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_FALSE(host.captured);
  query.First();
  grid.MouseDown(TMouseButton::Left, 0, 250, RowY(1));
  int paints_before = host.updates_now;
  grid.MouseMove(0, 250, 199);  // 8 records in one step
  EXPECT_EQ(query.RecNo(), 9);
  EXPECT_EQ(host.updates_now - paints_before, 1);
  grid.MouseUp(TMouseButton::Left, 0, 250, 199);
  EXPECT_FALSE(Peer(grid).DragTracking());
}

TEST_F(GridFocusTest, FocusRepaintsTheCurrentRowAndExitKeepsAnEdit) {
  Open(10);
  query.MoveBy(2);
  host.Reset();
  grid.FocusEntered();
  EXPECT_TRUE(grid.Focused());
  ASSERT_EQ(host.rects.size(), 1u);
  EXPECT_EQ(host.rects[0].top, 17 * 3);
  host.Reset();
  grid.FocusLeft();
  EXPECT_FALSE(grid.Focused());
  ASSERT_EQ(host.rects.size(), 1u);
  EXPECT_EQ(host.rects[0].top, 17 * 3);
  query.Edit();
  grid.DoExit();  // only an inserted, untouched record is cancelled
  EXPECT_EQ(query.State(), data::TDataSetState::Editing);
  query.Cancel();
}

// Fails to read one record, as a broken file would.
class FailingDataSet : public MemoryDataSet {
 public:
  using MemoryDataSet::MemoryDataSet;
  int fail_at = -1;

 protected:
  std::vector<provider::Variant> InternalFetch(int64_t position) override {
    if (position == fail_at) throw std::runtime_error("read failed");
    return MemoryDataSet::InternalFetch(position);
  }
};

TEST(GridInputFailureTest, AFailingMoveLeavesTheLocksAndStateClean) {
  FailingDataSet query("ADOQuery1", SampleColumns(), NumberedRows(100));
  BareGrid bare(query);
  grid::TDataGrid& grid = bare.grid;
  query.fail_at = 40;
  grid.MouseDown(grid::TMouseButton::Left, 0, 250, 17 * 1 + 8);
  ASSERT_TRUE(Peer(grid).DragTracking());
  // 8 records a step: the fifth step needs record 41.
  for (int i = 0; i < 4; ++i) grid.MouseMove(0, 250, 199);
  EXPECT_EQ(query.RecNo(), 33);
  EXPECT_THROW(grid.MouseMove(0, 250, 199), std::runtime_error);
  EXPECT_EQ(grid.UpdateLock(), 0);
  grid.MouseUp(grid::TMouseButton::Left, 0, 250, 199);
  EXPECT_EQ(Peer(grid).GridState(), grid::TGridState::Idle);
  EXPECT_FALSE(bare.host.TimerRunning());
  EXPECT_FALSE(bare.host.captured);
  EXPECT_THROW(grid.KeyDown(grid::TGridKey::PageDown, 0), std::runtime_error);
  EXPECT_EQ(grid.UpdateLock(), 0);
}

}  // namespace
}  // namespace grid_test
