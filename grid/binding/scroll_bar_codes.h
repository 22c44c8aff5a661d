// What the scroll bars' notifications mean. The vertical bar moves the
// current record (the grid never scrolls its rows itself); the horizontal
// bar works in scaled column positions 0..127 rather than pixels.
#pragma once

#include "grid/binding/input_types.h"
#include "grid/view/axis_layout.h"
#include "grid/view/scroll_bar.h"

namespace grid {

inline constexpr int kHorzBarScale = 127;

struct VertScrollInput {
  TScrollCode code = SB_ENDSCROLL;
  int pos = 0;        // the position the notification carries
  int track_pos = 0;  // the bar's own track position, read back from the window
  bool sequenced = true;
  int record_count = 0;
  int record_number = 0;  // 1-based
  int active_row = 0;
  int rows_in_window = 0;
  int visible_rows = 0;
  bool tracking = false;  // the bar moves records while the thumb is dragged
};

struct VertScrollAction {
  enum Kind { None, MoveBy, First, Last, SetRecNo } kind = None;
  int n = 0;                   // records for MoveBy, the number for SetRecNo
  bool track_pending = false;  // a thumb drag moved: ignore the release
};

// The move a vertical scroll notification asks for. A sequenced source
// takes the thumb's track position (1 or less: first, the count or more:
// last); otherwise the bar has the three positions 0, 2, 4 and the thumb
// dropped at 0..4 means first, page up, nothing, page down, last.
VertScrollAction VerticalScrollAction(const VertScrollInput& in);

// The horizontal bar for the current scroll state: range 0..127 when
// there is anything to scroll, else 0..0; the position is LeftScrollCol
// scaled to the range (mirrored right to left).
ScrollInfo HorizontalBarFor(int left_scroll_col, int fixed_col_count, int max_left_scroll_col,
                            bool right_to_left);

// The new LeftScrollCol for a horizontal scroll notification, limited to
// FixedColCount..`max_left`. `horz` is the current horizontal layout (its
// first_scroll_cell is LeftScrollCol); tracking turns a thumb drag into a
// thumb release.
int NextLeftScrollCol(const AxisLayout& horz, int max_left, TScrollCode code, int pos,
                      bool tracking, bool right_to_left);

}  // namespace grid
