#include "grid/binding/hit_test.h"

#include <algorithm>

namespace grid {

int CellAtPosition(const AxisLayout& axis, int pos) {
  if (pos < 0) return -1;
  int start = 0;
  for (int i = 0; i < axis.fixed_count; ++i) {
    int span = axis.CellSize(i) + axis.line_width;
    if (span > 0 && pos < start + span) return i;
    start += std::max(span, 0);
  }
  start = axis.fixed_end;
  for (int i = axis.first_scroll_cell; i < axis.cell_count && start < axis.extent; ++i) {
    int span = axis.CellSize(i) + axis.line_width;
    if (span > 0 && pos < start + span) return pos < axis.extent ? i : -1;
    start += std::max(span, 0);
  }
  return -1;
}

int SizingZoneColumn(const AxisLayout& horz, int x) {
  int line = horz.line_width;
  int back = line <= 6 ? (7 - line) / 2 : 0;
  int range = std::max(line, 7);
  int start = horz.fixed_end;
  for (int i = horz.first_scroll_cell; i < horz.cell_count && start < horz.extent; ++i) {
    int size = horz.CellSize(i);
    if (size > 0) {
      int edge = start + size;
      if (edge - back <= x && x <= edge - back + range) return i;
    }
    start += std::max(size + line, 0);
  }
  return -1;
}

}  // namespace grid
