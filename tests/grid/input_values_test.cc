// The pure parts of the grid's input handling: the key table, auto-scroll
// plans, the wheel accumulator, scroll-bar codes and hit testing.
#include <gtest/gtest.h>

#include "grid/binding/auto_scroll.h"
#include "grid/binding/hit_test.h"
#include "grid/binding/key_actions.h"
#include "grid/binding/scroll_bar_codes.h"
#include "grid/binding/wheel.h"

namespace grid {
namespace {

TEST(KeyTableTest, PlainAndCtrlKeysAndRowSelectionAsksOnlyForArrows) {
  struct Case {
    TGridKey key;
    TShiftState shift;
    TKeyAction action;
  };
  const Case cases[] = {
      {TGridKey::Up, 0, TKeyAction::PriorRecord},
      {TGridKey::Down, ssShift, TKeyAction::NextRecord},  // Shift changes nothing
      {TGridKey::PageUp, 0, TKeyAction::PageUp},
      {TGridKey::PageDown, 0, TKeyAction::PageDown},
      {TGridKey::Home, 0, TKeyAction::FirstRecord},
      {TGridKey::End, 0, TKeyAction::LastRecord},
      {TGridKey::Left, 0, TKeyAction::ScrollLeft},
      {TGridKey::Right, 0, TKeyAction::ScrollRight},
      {TGridKey::Escape, 0, TKeyAction::Cancel},
      {TGridKey::Up, ssCtrl, TKeyAction::TopRow},
      {TGridKey::PageUp, ssCtrl, TKeyAction::TopRow},
      {TGridKey::Down, ssCtrl, TKeyAction::BottomRow},
      {TGridKey::PageDown, ssCtrl | ssShift, TKeyAction::BottomRow},
      {TGridKey::Home, ssCtrl, TKeyAction::FirstRecord},
      {TGridKey::End, ssCtrl, TKeyAction::LastRecord},
      {TGridKey::Left, ssCtrl, TKeyAction::FirstColumn},
      {TGridKey::Right, ssCtrl, TKeyAction::LastColumn},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MapKey(c.key, c.shift, false), c.action) << static_cast<int>(c.key);
  }
  // A row selection asks only for the arrows.
  TDBGridOptions main_window = dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
                               dgTabs | dgRowSelect | dgConfirmDelete | dgCancelOnExit;
  EXPECT_EQ(WantedKeys(main_window), DLGC_WANTARROWS);
  EXPECT_EQ(WantedKeys(dgTabs), DLGC_WANTARROWS | DLGC_WANTTAB);
  EXPECT_EQ(WantedKeys(dgTabs | dgEditing), DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTCHARS);
}

TEST(KeyTableTest, EditingKeysDoNothingAndRightToLeftSwapsLeftAndRight) {
  const TGridKey plain[] = {TGridKey::Enter, TGridKey::Insert, TGridKey::Delete, TGridKey::F2,
                            TGridKey::Tab,   TGridKey::Other,  TGridKey::A};
  for (TGridKey key : plain) EXPECT_EQ(MapKey(key, 0, false), TKeyAction::None);
  const TGridKey with_ctrl[] = {TGridKey::Delete, TGridKey::C,     TGridKey::Insert, TGridKey::V,
                                TGridKey::X,      TGridKey::A,     TGridKey::Quote,  TGridKey::F,
                                TGridKey::Enter,  TGridKey::Escape};
  for (TGridKey key : with_ctrl) EXPECT_EQ(MapKey(key, ssCtrl, false), TKeyAction::None);
  EXPECT_EQ(MapKey(TGridKey::Enter, ssCtrl | ssShift, false), TKeyAction::None);
  EXPECT_EQ(MapKey(TGridKey::Delete, ssShift, false), TKeyAction::None);
  EXPECT_EQ(MapKey(TGridKey::Insert, ssShift, false), TKeyAction::None);
  // Right to left swaps left and right.
  EXPECT_EQ(MapKey(TGridKey::Left, 0, true), TKeyAction::ScrollRight);
  EXPECT_EQ(MapKey(TGridKey::Right, ssCtrl, true), TKeyAction::FirstColumn);
  EXPECT_EQ(MapKey(TGridKey::Up, 0, true), TKeyAction::PriorRecord);
}

// The data area {12, 17, 415, 152}.
constexpr Rect kData{12, 17, 415, 152};

TEST(AutoScrollTest, SpeedGrowsWithTheDistanceBelowDirectionsAndTheLargerDistance) {
  struct Case {
    int d, records, interval;
  };
  const Case cases[] = {{1, 0, 185}, {5, 0, 125}, {6, 1, 110}, {13, 2, 5},
                        {14, 2, 0},  {47, 7, 0},  {48, 8, 0},  {500, 8, 0}};
  for (const Case& c : cases) {
    // On the bottom edge d is 1: the edge pixel itself is outside.
    AutoScrollPlan plan = PlanAutoScroll(100, kData.bottom + c.d - 1, kData);
    EXPECT_EQ(plan.distance, c.d);
    EXPECT_EQ(plan.vertical, 1);
    EXPECT_EQ(plan.horizontal, 0);
    EXPECT_EQ(plan.records, c.records) << "d = " << c.d;
    EXPECT_EQ(plan.interval, c.interval) << "d = " << c.d;
  }
  // Directions, and the larger distance.
  AutoScrollPlan above = PlanAutoScroll(100, kData.top - 12, kData);
  EXPECT_EQ(above.vertical, -1);
  EXPECT_EQ(above.records, 2);
  AutoScrollPlan corner = PlanAutoScroll(kData.right + 30, kData.top - 7, kData);
  EXPECT_EQ(corner.vertical, -1);
  EXPECT_EQ(corner.horizontal, 1);
  EXPECT_EQ(corner.distance, 30);
  EXPECT_EQ(corner.records, 5);
  AutoScrollPlan left = PlanAutoScroll(kData.left - 3, 50, kData);
  EXPECT_EQ(left.horizontal, -1);
  EXPECT_EQ(left.vertical, 0);
  EXPECT_EQ(left.records, 0);
  EXPECT_EQ(left.interval, 155);
  AutoScrollPlan inside = PlanAutoScroll(100, 50, kData);
  EXPECT_EQ(inside.interval, -1);
  EXPECT_EQ(inside.vertical, 0);
  EXPECT_EQ(inside.horizontal, 0);
}

TEST(WheelTest, NotchesAndHighResolutionDeltas) {
  WheelAccumulator wheel;
  EXPECT_EQ(wheel.Add(-120), 1);  // towards the user: next record
  EXPECT_EQ(wheel.Add(120), -1);
  EXPECT_EQ(wheel.Add(-40), 0);
  EXPECT_EQ(wheel.Add(-40), 0);
  EXPECT_EQ(wheel.Add(-40), 1);
  EXPECT_EQ(wheel.Value(), 0);
  EXPECT_EQ(wheel.Add(-250), 2);
  EXPECT_EQ(wheel.Value(), -10);  // the remainder keeps its sign
  EXPECT_EQ(wheel.Add(370), -3);
  EXPECT_EQ(wheel.Value(), 0);
  EXPECT_EQ(wheel.Add(100), 0);
  EXPECT_EQ(wheel.Add(-250), 1);  // 100 − 250 = −150
  EXPECT_EQ(wheel.Value(), -30);
}

VertScrollInput Sequenced(TScrollCode code, int track) {
  VertScrollInput in;
  in.code = code;
  in.pos = 7;  // the notification's own position is not what counts
  in.track_pos = track;
  in.record_count = 250;
  in.record_number = 40;
  in.active_row = 2;
  in.rows_in_window = 8;
  in.visible_rows = 8;
  return in;
}

// Record 40 of 250 on row 2 of 8. Thumb tracking is off: dragging moves
// nothing; a release goes to the track position, the ends past either end.
TEST(VerticalScrollCodeTest, LinesPagesEndsAndThumbRelease) {
  using enum VertScrollAction::Kind;
  const struct {
    TScrollCode code;
    int track;
    VertScrollAction::Kind kind;
    int n;
  } cases[] = {
      {SB_LINEUP, 0, MoveBy, -3},
      {SB_LINEDOWN, 0, MoveBy, 6},
      {SB_PAGEUP, 0, MoveBy, -8},
      {SB_PAGEDOWN, 0, MoveBy, 8},
      {SB_TOP, 0, First, 0},
      {SB_BOTTOM, 0, Last, 0},
      {SB_ENDSCROLL, 0, None, 0},
      {SB_THUMBTRACK, 90, None, 0},
      {SB_THUMBPOSITION, 1, First, 0},
      {SB_THUMBPOSITION, 0, First, 0},
      {SB_THUMBPOSITION, 250, Last, 0},
      {SB_THUMBPOSITION, 257, Last, 0},
      {SB_THUMBPOSITION, 120, SetRecNo, 120},
  };
  for (const auto& c : cases) {
    const VertScrollAction a = VerticalScrollAction(Sequenced(c.code, c.track));
    EXPECT_EQ(a.kind, c.kind) << c.code << " " << c.track;
    EXPECT_EQ(c.kind == MoveBy || c.kind == SetRecNo ? a.n : 0, c.n) << c.code << " " << c.track;
  }
}

TEST(VerticalScrollCodeTest, ThreePositionBarAndTracking) {
  VertScrollInput in = Sequenced(SB_THUMBPOSITION, 120);
  in.sequenced = false;
  const VertScrollAction::Kind kinds[] = {VertScrollAction::First, VertScrollAction::MoveBy,
                                          VertScrollAction::None, VertScrollAction::MoveBy,
                                          VertScrollAction::Last};
  const int moves[] = {0, -8, 0, 8, 0};
  for (int pos = 0; pos <= 4; ++pos) {
    in.pos = pos;
    VertScrollAction a = VerticalScrollAction(in);
    EXPECT_EQ(a.kind, kinds[pos]) << pos;
    EXPECT_EQ(a.n, moves[pos]) << pos;
  }
  VertScrollInput track = Sequenced(SB_THUMBTRACK, 90);
  track.tracking = true;
  VertScrollAction a = VerticalScrollAction(track);
  EXPECT_EQ(a.kind, VertScrollAction::MoveBy);
  EXPECT_EQ(a.n, 50);
  EXPECT_TRUE(a.track_pending);
}

TEST(HorizontalBarTest, ScaledPositions) {
  EXPECT_EQ(HorizontalBarFor(1, 1, 1, false), (ScrollInfo{0, 0, 0, 0}));
  EXPECT_EQ(HorizontalBarFor(1, 1, 3, false), (ScrollInfo{0, 127, 0, 0}));
  EXPECT_EQ(HorizontalBarFor(2, 1, 3, false), (ScrollInfo{0, 127, 0, 64}));  // 63.5 rounds up
  EXPECT_EQ(HorizontalBarFor(3, 1, 3, false), (ScrollInfo{0, 127, 0, 127}));
  EXPECT_EQ(HorizontalBarFor(2, 1, 4, false).pos, 42);  // 42.33
  EXPECT_EQ(HorizontalBarFor(3, 1, 4, false).pos, 85);  // 84.67
  EXPECT_EQ(HorizontalBarFor(1, 1, 3, true).pos, 127);
}

// Indicator 11, then columns of the given widths, line width 1, in 400
// pixels, scrolled to `left`.
AxisLayout Columns(std::vector<int> widths, int left, int extent = 400, int line_width = 1) {
  AxisInput in;
  in.sizes = {11};
  in.sizes.insert(in.sizes.end(), widths.begin(), widths.end());
  in.line_width = line_width;
  in.fixed_count = 1;
  in.first_scroll_cell = left;
  in.extent = extent;
  return ComputeAxis(in);
}

TEST(HorizontalScrollCodeTest, LinesPagesThumbAndEnds) {
  AxisLayout horz = Columns({100, 100, 100, 100, 100, 100, 100}, 3);
  int max_left = MaxLeftScrollCol(horz);
  ASSERT_EQ(max_left, 5);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_LINELEFT, 0, false, false), 2);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_LINERIGHT, 0, false, false), 4);
  // Three columns fit: 3 becomes the last of 1, 2, 3.
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_PAGELEFT, 0, false, false), 1);
  // Last fully visible is 5: more by 2, limited to 5.
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_PAGERIGHT, 0, false, false), 5);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_THUMBPOSITION, 32, false, false), 2);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_THUMBPOSITION, 127, false, false), 5);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_THUMBTRACK, 127, false, false), 3);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_THUMBTRACK, 127, true, false), 5);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_LEFT, 0, false, false), 1);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_RIGHT, 0, false, false), 5);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_ENDSCROLL, 0, false, false), 3);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_LINELEFT, 0, false, true), 4);
}

TEST(HorizontalScrollCodeTest, StepsPassOverHiddenColumns) {
  // Columns 3 and 4 are hidden (−1 with lines).
  AxisLayout horz = Columns({100, 100, -1, -1, 100, 100, 100, 100}, 2);
  int max_left = MaxLeftScrollCol(horz);
  EXPECT_EQ(NextLeftScrollCol(horz, max_left, SB_LINERIGHT, 0, false, false), 5);
  AxisLayout from5 = Columns({100, 100, -1, -1, 100, 100, 100, 100}, 5);
  EXPECT_EQ(NextLeftScrollCol(from5, max_left, SB_LINELEFT, 0, false, false), 2);
  // The page width wider than the window still moves by one.
  AxisLayout wide = Columns({500, 500, 500}, 2);
  EXPECT_EQ(NextLeftScrollCol(wide, MaxLeftScrollCol(wide), SB_PAGELEFT, 0, false, false), 1);
  EXPECT_EQ(NextLeftScrollCol(wide, MaxLeftScrollCol(wide), SB_PAGERIGHT, 0, false, false), 3);
}

TEST(HitTestTest, CellsIncludeTheirLineAndSkipHiddenCells) {
  AxisLayout horz = Columns({100, -1, 100}, 1);
  // 11 is the indicator's line, 2 is hidden, 214 is past the last column.
  for (auto [x, cell] :
       {std::pair{-1, -1}, {0, 0}, {11, 0}, {12, 1}, {112, 1}, {113, 3}, {213, 3}, {214, -1}}) {
    EXPECT_EQ(CellAtPosition(horz, x), cell) << x;
  }
  AxisLayout scrolled = Columns({100, 100, 100}, 2);
  EXPECT_EQ(CellAtPosition(scrolled, 12), 2);
  EXPECT_EQ(CellAtPosition(scrolled, 399), -1) << "past the drawn columns";
}

TEST(HitTestTest, SizingZoneRunsFromThreeLeftToFourRight) {
  AxisLayout horz = Columns({100, 100, 100}, 1);
  // Column 1's edge (its line) is at 112; 318 is beyond the last column,
  // inside its zone.
  for (auto [x, col] :
       {std::pair{108, -1}, {109, 1}, {112, 1}, {116, 1}, {117, -1}, {210, 2}, {318, 3}}) {
    EXPECT_EQ(SizingZoneColumn(horz, x), col) << x;
  }
  // Without lines column 1 spans 11..110: back 3, range 7 from 108.
  AxisLayout no_lines = Columns({100, 100}, 1, 400, 0);
  for (auto [x, col] : {std::pair{107, -1}, {108, 1}, {115, 1}, {116, -1}}) {
    EXPECT_EQ(SizingZoneColumn(no_lines, x), col) << x;
  }
  // A column starting inside the window is tried even when it ends past
  // it; columns starting past the window are not.
  AxisLayout narrow = Columns({100, 100, 100}, 1, 150);
  EXPECT_EQ(SizingZoneColumn(narrow, 213), 2);
  EXPECT_EQ(SizingZoneColumn(narrow, 314), -1);
}

}  // namespace
}  // namespace grid
