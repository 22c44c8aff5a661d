#include "grid/view/grid_lines.h"

namespace grid {

std::vector<LineSegment> AxisLines(const AxisLayout& axis, const StrokeArea& area, bool vertical) {
  std::vector<LineSegment> lines;
  const int lw = axis.line_width;
  if (lw == 0) return lines;
  const int start = vertical ? area.rect.left : area.rect.top;
  const int far = vertical ? area.rect.right : area.rect.bottom;
  int cell = vertical ? area.first_col : area.first_row;
  int cell_start = start;
  while (cell < axis.cell_count && cell <= axis.last_full_cell) {
    const int size = axis.CellSize(cell);
    const int pos = cell_start + size + lw / 2;
    if (pos > far || (pos == far && !area.far_edge_line)) break;
    if (size > 0) {
      lines.push_back(vertical ? LineSegment{{pos, area.rect.top}, {pos, area.rect.bottom}}
                               : LineSegment{{area.rect.left, pos}, {area.rect.right, pos}});
    }
    cell_start += size + lw;
    ++cell;
  }
  return lines;
}

namespace {

void StrokeAxis(Canvas& canvas, const AxisLayout& axis, const StrokeArea& area, bool vertical) {
  if (axis.line_width == 0) return;
  const bool wanted = vertical ? area.col_lines : area.row_lines;
  std::vector<LineSegment> lines = AxisLines(axis, area, vertical);
  if (lines.empty()) return;
  canvas.PolyPolyline(lines, wanted ? area.on_color : area.off_color, axis.line_width);
}

}  // namespace

void StrokeLines(Canvas& canvas, const AxisLayout& horz, const AxisLayout& vert,
                 const StrokeArea& area) {
  if (area.rect.Empty()) return;
  if (area.row_lines) {
    StrokeAxis(canvas, horz, area, true);
    StrokeAxis(canvas, vert, area, false);
  } else {
    StrokeAxis(canvas, vert, area, false);
    StrokeAxis(canvas, horz, area, true);
  }
}

}  // namespace grid
