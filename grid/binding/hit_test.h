// Finding cells and column-sizing zones from a pointer position, on the
// axis layouts of the grid's geometry.
#pragma once

#include "grid/view/axis_layout.h"

namespace grid {

// The cell at pixel `pos` of the axis, the grid line after a cell counting
// as part of it; −1 before the first cell, past the drawn cells, and for
// cells that take no pixels.
int CellAtPosition(const AxisLayout& axis, int pos);

// The column whose sizing zone holds x, or −1. Each visible scrolling
// column's zone runs from (edge − back) to (edge − back + range), where the
// edge is the x just past its cell, back = (7 − L) div 2 for a line width L
// of at most 6 (else 0) and range = max(L, 7): with L = 1 from 3 pixels left
// of the edge to 4 right of it. The leftmost match wins; columns that start
// past the window are not tried. Whether the pointer lies in the title row
// is the caller's question.
int SizingZoneColumn(const AxisLayout& horz, int x);

}  // namespace grid
