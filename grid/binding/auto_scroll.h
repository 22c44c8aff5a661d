// Auto-scrolling while a drag holds the pointer outside the data area: how
// far outside it is, in which directions to move, how many records a step
// moves and how often the timer ticks.
#pragma once

#include "grid/base/rect.h"

namespace grid {

inline constexpr int kMaxAutoScrollRecords = 8;

struct AutoScrollPlan {
  int distance = 0;    // d: pixels outside the data area
  int vertical = 0;    // −1 up, +1 down, 0 none
  int horizontal = 0;  // −1 left, +1 right, 0 none
  int records = 0;     // records one step moves: min(d div 6, 8)
  int interval = -1;   // timer interval in ms, max(0, 200 − 15 d); −1: stop the timer
};

// The plan for the pointer at (x, y) against the data area `data` (right and
// bottom exclusive). The pointer inside the area stops the timer.
AutoScrollPlan PlanAutoScroll(int x, int y, const Rect& data);

}  // namespace grid
