// Grid lines of one area of the grid (the fixed corner, the titles, the
// fixed columns, the data): one pen-line call per axis.
#pragma once

#include <vector>

#include "grid/base/canvas.h"
#include "grid/view/axis_layout.h"

namespace grid {

struct StrokeArea {
  Rect rect;  // the area, in client pixels
  int first_col = 0;
  int first_row = 0;
  bool col_lines = false;     // vertical lines wanted
  bool row_lines = false;     // horizontal lines wanted
  TColor on_color = 0;        // the line colour
  TColor off_color = 0;       // the area's background, for lines not wanted
  bool far_edge_line = true;  // a line falling exactly on the far edge is drawn
};

// The lines after each cell of one axis inside `area`, from its first cell
// while they fall inside the area (on its far edge only when asked) and the
// cell is fully visible. Cells that take no pixels get no line. `vertical`
// picks the horizontal axis (vertical lines); lines span the area on the
// other axis.
std::vector<LineSegment> AxisLines(const AxisLayout& axis, const StrokeArea& area, bool vertical);

// Draws the lines of an area: vertical first unless horizontal lines are
// not wanted. Nothing for an empty area.
void StrokeLines(Canvas& canvas, const AxisLayout& horz, const AxisLayout& vert,
                 const StrokeArea& area);

}  // namespace grid
