// Grid geometry as data and pure functions: the pixel layout of one axis
// (columns or rows) computed from cell sizes, the positions and boxes of
// cells on it, and the horizontal scroll limit.
#pragma once

#include <vector>

#include "grid/base/rect.h"

namespace grid {

// What an axis is computed from.
struct AxisInput {
  std::vector<int> sizes;  // width or height of each cell; −1 or 0 take no pixels
  int line_width = 0;      // grid line after each cell (0 when lines are off)
  int fixed_count = 0;     // leading cells that never scroll
  int frozen_count = 0;    // the last of the fixed cells that are frozen data columns
  int first_scroll_cell = 0;
  int extent = 0;        // client width or height
  int footer_count = 0;  // trailing footer rows (vertical axis only)
};

struct AxisLayout {
  int line_width = 0;
  int fixed_count = 0;
  int first_scroll_cell = 0;
  int cell_count = 0;
  int extent = 0;
  int fixed_end = 0;         // where the scrolling area starts
  int frozen_span = 0;       // pixels of the frozen cells, included in fixed_end
  int used_end = 0;          // where drawn cells end (at most extent)
  int full_visible_end = 0;  // end, line included, of the last fully visible cell
  int last_full_cell = 0;
  int footer_span = 0;  // pixels of the footer rows at the bottom
  std::vector<int> sizes;

  int CellSize(int i) const {
    return i >= 0 && i < cell_count ? sizes[static_cast<std::size_t>(i)] : 0;
  }
};

// Lays out one axis: fixed cells from 0, then the scrolling cells from
// first_scroll_cell as far as they fit. A cell is fully visible when its
// content ends at or before the extent (its line may fall outside).
AxisLayout ComputeAxis(const AxisInput& input);

// Pixel where cell i starts; 0 for a scrolled-away cell and for a cell
// that starts beyond the extent.
int CellPosition(const AxisLayout& axis, int i);

// The pixel span [start, end) of the cells first..last on one axis, grid
// lines not included; false (and an empty span) when the whole range is
// scrolled away.
bool AxisSpan(const AxisLayout& axis, int first, int last, int* start, int* end);

// The rectangle of cells (col_first..col_last) × (row_first..row_last);
// empty when either range is scrolled away.
Rect BoxRect(const AxisLayout& horz, const AxisLayout& vert, int col_first, int row_first,
             int col_last, int row_last);
inline Rect CellRect(const AxisLayout& horz, const AxisLayout& vert, int col, int row) {
  return BoxRect(horz, vert, col, row, col, row);
}

// The largest useful first scrolling column: the leftmost column from which
// every remaining column of positive width fits after fixed_end.
int MaxLeftScrollCol(const AxisLayout& horz);

// Number of fixed columns: the indicator, the frozen data columns widened by
// the hidden columns among them and right after them; one less when no
// column is visible so that one grid column stays scrollable.
int ComputeFixedColCount(const std::vector<bool>& visible, int frozen_cols, int indicator_columns);

}  // namespace grid
