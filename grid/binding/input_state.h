// The grid's interaction state between input events: the drag in progress,
// the auto-scroll timer, the pending thumb release and the wheel remainder.
#pragma once

#include "grid/base/rect.h"
#include "grid/binding/input_types.h"
#include "grid/binding/wheel.h"

namespace grid {

struct GridInputState {
  TGridState state = TGridState::Idle;
  // Column sizing: the column, the x of the sizing line, and the distance
  // from the pointer to the line when the drag began.
  int sizing_index = -1;
  int sizing_pos = 0;
  int sizing_offset = 0;
  // Column moving: the column dragged and where it would be dropped.
  int move_index = -1;
  int move_pos = -1;
  // A button pressed in the data area is held: record and columns follow.
  bool drag_tracking = false;
  // The auto-scroll timer's interval; −1 while it is stopped.
  int auto_scroll_interval = -1;
  bool column_move_timer = false;
  bool thumb_track_pending = false;
  // A right press on a title became a column drag that the right button ends.
  bool right_title_drag = false;
  WheelAccumulator wheel;
  // Last pointer position seen while dragging, for timer ticks.
  int last_x = 0;
  int last_y = 0;
  // The inverted line on screen (sizing line or drop marker), if any.
  bool line_shown = false;
  Rect line_rect;
};

}  // namespace grid
