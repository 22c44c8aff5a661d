#include "grid/binding/auto_scroll.h"

#include <algorithm>

namespace grid {

AutoScrollPlan PlanAutoScroll(int x, int y, const Rect& data) {
  AutoScrollPlan plan;
  int d = 0;
  if (y < data.top) {
    d = data.top - y;
    plan.vertical = -1;
  } else if (y >= data.bottom) {
    d = y - data.bottom + 1;
    plan.vertical = 1;
  }
  if (x >= data.right) {
    d = std::max(d, x - data.right);
    plan.horizontal = 1;
  } else if (x < data.left) {
    d = std::max(d, data.left - x);
    plan.horizontal = -1;
  }
  plan.distance = d;
  if (plan.vertical == 0 && plan.horizontal == 0) return plan;
  if (plan.vertical != 0) plan.records = std::min(d / 6, kMaxAutoScrollRecords);
  plan.interval = std::max(0, 200 - 15 * d);
  return plan;
}

}  // namespace grid
