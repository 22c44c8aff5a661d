#include "grid/view/axis_layout.h"

#include <algorithm>

namespace grid {

AxisLayout ComputeAxis(const AxisInput& input) {
  AxisLayout axis;
  axis.sizes = input.sizes;
  axis.cell_count = static_cast<int>(input.sizes.size());
  axis.line_width = input.line_width;
  axis.fixed_count = std::clamp(input.fixed_count, 0, axis.cell_count);
  axis.first_scroll_cell = std::max(input.first_scroll_cell, axis.fixed_count);
  axis.extent = input.extent;
  int lw = axis.line_width;

  int frozen_from = axis.fixed_count - std::clamp(input.frozen_count, 0, axis.fixed_count);
  for (int i = 0; i < axis.fixed_count; ++i) {
    int step = axis.CellSize(i) + lw;
    axis.fixed_end += step;
    if (i >= frozen_from) axis.frozen_span += step;
  }

  axis.used_end = axis.full_visible_end = axis.fixed_end;
  axis.last_full_cell = axis.first_scroll_cell;
  int footer_from = axis.cell_count - std::max(input.footer_count, 0);
  int footer_start = -1;
  for (int i = axis.first_scroll_cell; i < axis.cell_count; ++i) {
    if (input.footer_count > 0 && i >= footer_from && footer_start < 0)
      footer_start = axis.used_end;
    axis.used_end += axis.CellSize(i) + lw;
    if (axis.used_end > axis.extent + lw) {
      axis.used_end = axis.extent;
      break;
    }
    axis.last_full_cell = i;
    axis.full_visible_end = axis.used_end;
  }
  if (input.footer_count > 0) {
    for (int i = std::max(footer_from, 0); i <= axis.last_full_cell; ++i) {
      axis.footer_span += axis.CellSize(i) + lw;
    }
    if (footer_start >= 0) axis.footer_span = axis.used_end - footer_start;
  }
  return axis;
}

int CellPosition(const AxisLayout& axis, int i) {
  int position = 0;
  int start = 0;
  if (i >= axis.fixed_count) {
    if (i >= axis.first_scroll_cell) position = axis.fixed_end;
    start = axis.first_scroll_cell;
  }
  for (int k = start; k < i; ++k) {
    position += axis.CellSize(k) + axis.line_width;
    if (position > axis.extent) return 0;
  }
  return position;
}

bool AxisSpan(const AxisLayout& axis, int first, int last, int* start, int* end) {
  *start = *end = 0;
  if (first >= axis.fixed_count && first < axis.first_scroll_cell) {
    if (last < axis.first_scroll_cell) return false;
    first = axis.first_scroll_cell;
  }
  if (last > axis.last_full_cell) {
    last = axis.last_full_cell;
    if (last < axis.cell_count - 1) ++last;
    if (CellPosition(axis, last) == 0) --last;
  }
  int first_pos = CellPosition(axis, first);
  int last_pos = CellPosition(axis, last);
  *start = first_pos;
  *end = last_pos == 0 ? first_pos + axis.CellSize(first) : last_pos + axis.CellSize(last);
  if (*end > axis.extent) *end = axis.extent;
  return true;
}

Rect BoxRect(const AxisLayout& horz, const AxisLayout& vert, int col_first, int row_first,
             int col_last, int row_last) {
  Rect r;
  if (!AxisSpan(horz, col_first, col_last, &r.left, &r.right)) return Rect();
  if (!AxisSpan(vert, row_first, row_last, &r.top, &r.bottom)) return Rect();
  return r;
}

int MaxLeftScrollCol(const AxisLayout& horz) {
  int last = horz.cell_count - 1;
  int result = last;
  int room = horz.extent + horz.line_width;
  for (int i = last; i >= horz.fixed_count; --i) {
    int size = horz.CellSize(i);
    if (size <= 0) continue;
    room -= size + horz.line_width;
    if (room < horz.fixed_end) {
      if (result == last && horz.CellSize(last) <= 0) result = i;
      break;
    }
    result = i;
  }
  return result;
}

int ComputeFixedColCount(const std::vector<bool>& visible, int frozen_cols, int indicator_columns) {
  int n = static_cast<int>(visible.size());
  frozen_cols = std::clamp(frozen_cols, 0, n);
  int hidden = 0;
  int i = 0;
  for (; i < n && i < frozen_cols + hidden; ++i) {
    if (!visible[static_cast<std::size_t>(i)]) ++hidden;
  }
  for (; i < n && !visible[static_cast<std::size_t>(i)]; ++i) ++hidden;
  int fixed = indicator_columns + std::min(frozen_cols + hidden, n);
  bool any_visible = std::find(visible.begin(), visible.end(), true) != visible.end();
  if (!any_visible) --fixed;
  return std::max(fixed, 0);
}

}  // namespace grid
