// The paint handler: grid lines per area, the cells of each area, the
// background beyond the cells and the focus frame of a selected row.
#include <algorithm>

#include "grid/view/grid_lines.h"
#include "grid/view/grid_painter.h"

namespace grid {
namespace {

bool Intersects(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

GridPainter::GridPainter(PaintedGrid& grid, Canvas& canvas, const Rect& dirty)
    : grid_(grid), canvas_(canvas), dirty_(dirty) {}

void GridPainter::PaintAll() {
  // Drawing stays inside the dirty rectangle, so that the inverting focus
  // frame is not toggled where the pixels were kept.
  canvas_.PushClip(dirty_);
  fixed_line_color_ = grid_.Flat() ? clGray : clBlack;
  grid_.ComputeAxes(&horz_, &vert_);
  if (horz_.line_width > 0 || vert_.line_width > 0) StrokeAllLines();

  const int titles = grid_.TitleRowCount();
  const int left = grid_.LeftScrollCol();
  PaintCellRange({0, 0, horz_.fixed_end, vert_.fixed_end}, 0, 0, gdFixed);
  PaintCellRange({horz_.fixed_end, 0, horz_.used_end, vert_.fixed_end}, left, 0, gdFixed);
  PaintCellRange({0, vert_.fixed_end, horz_.fixed_end, vert_.used_end}, 0, titles, gdFixed);
  PaintCellRange({horz_.fixed_end, vert_.fixed_end, horz_.used_end, vert_.used_end}, left, titles,
                 0);

  // Beyond the last column and the last row.
  if (horz_.used_end < horz_.extent) {
    Rect strip{horz_.used_end, 0, horz_.extent, vert_.used_end};
    if (Intersects(strip, dirty_)) canvas_.FillRect(strip, grid_.Color());
  }
  if (vert_.used_end < vert_.extent) {
    Rect strip{0, vert_.used_end, horz_.extent, vert_.extent};
    if (Intersects(strip, dirty_)) canvas_.FillRect(strip, grid_.Color());
  }

  // One focus frame around the visible part of the selected row.
  if ((grid_.Options() & dgRowSelect) && grid_.DefaultDrawing() && grid_.Focused()) {
    const int frozen = horz_.frozen_span > 0 ? grid_.FrozenCols() : 0;
    const int row = grid_.CurrentRow();
    Rect box = BoxRect(horz_, vert_, std::max(grid_.FixedColCount() - frozen, 0), row,
                       grid_.ColCount() - 1, row);
    if (!box.Empty()) canvas_.DrawFocusRect(box);
  }
  canvas_.PopClip();
}

void GridPainter::StrokeAllLines() {
  const TDBGridOptions options = grid_.Options();
  const bool col_lines = (options & dgColLines) != 0;
  const bool row_lines = (options & dgRowLines) != 0;
  const TColor data_line = ResolveColor(grid_.Color()) == RGB(192, 192, 192) ? clGray : clSilver;
  const int titles = grid_.TitleRowCount();
  const int left = grid_.LeftScrollCol();
  const bool footer_fixed = (grid_.ExtOptions() & dgxFooter3D) || grid_.FooterColor() == clBtnFace;

  auto area = [&](Rect rect, int first_col, int first_row, TColor on, TColor off, bool edge) {
    StrokeArea a;
    a.rect = rect;
    a.first_col = first_col;
    a.first_row = first_row;
    a.col_lines = col_lines;
    a.row_lines = row_lines;
    a.on_color = on;
    a.off_color = off;
    a.far_edge_line = edge;
    StrokeLines(canvas_, horz_, vert_, a);
  };
  const TColor fixed = grid_.FixedColor();
  area({0, 0, horz_.fixed_end, vert_.fixed_end}, 0, 0, fixed_line_color_, fixed, true);
  area({horz_.fixed_end, 0, horz_.used_end, vert_.fixed_end}, left, 0, fixed_line_color_, fixed,
       true);
  area({0, vert_.fixed_end, horz_.fixed_end, vert_.used_end}, 0, titles, fixed_line_color_, fixed,
       true);
  if (horz_.frozen_span > 0 && !(grid_.ExtOptions() & dgxFrozen3D)) {
    const int s = footer_fixed ? vert_.footer_span : 0;
    area({horz_.fixed_end - horz_.frozen_span, vert_.fixed_end, horz_.fixed_end - 1,
          vert_.used_end - s},
         grid_.FixedColCount() - grid_.FrozenCols(), titles, data_line, grid_.Color(), false);
  }
  area({horz_.fixed_end, vert_.fixed_end, horz_.used_end, vert_.used_end}, left, titles, data_line,
       grid_.Color(), true);
  if (footer_fixed && grid_.FooterRowCount() > 0) {
    area({horz_.fixed_end, vert_.used_end - vert_.footer_span, horz_.used_end, vert_.used_end},
         left, grid_.RowCount() - grid_.FooterRowCount(), fixed_line_color_, grid_.FooterColor(),
         true);
    if (row_lines) {
      const int y = vert_.used_end - vert_.footer_span - 1;
      canvas_.PolyPolyline({{{horz_.fixed_end - horz_.frozen_span, y}, {horz_.used_end, y}}},
                           fixed_line_color_, vert_.line_width);
    }
  }
}

TGridDrawState GridPainter::CellState(int col, int row, TGridDrawState area_state) const {
  TGridDrawState state = area_state;
  const bool current_row = row == grid_.CurrentRow();
  const bool selected = (grid_.Options() & dgRowSelect)
                            ? current_row && col >= grid_.FixedColCount()
                            : current_row && col == grid_.CurrentCol();
  if (selected) state |= gdSelected;
  if (grid_.Focused() && current_row && col == grid_.CurrentCol()) state |= gdFocused;
  return state;
}

void GridPainter::PaintCellRange(const Rect& area, int first_col, int first_row,
                                 TGridDrawState area_state) {
  int top = area.top;
  for (int row = first_row; row < grid_.RowCount() && top < area.bottom; ++row) {
    const int height = vert_.CellSize(row);
    int left = area.left;
    // Rows below the dirty rectangle cannot touch it; stop walking.
    if (top >= dirty_.bottom) break;
    if (top + height > dirty_.top) {
      for (int col = first_col; col < grid_.ColCount() && left < area.right; ++col) {
        const int width = horz_.CellSize(col);
        if (left >= dirty_.right) break;
        Rect rect{left, top, left + width, top + height};
        if (width > 0 && Intersects(rect, dirty_)) {
          PaintCell(col, row, rect, CellState(col, row, area_state));
        }
        left += width + horz_.line_width;
      }
    }
    top += height + vert_.line_width;
  }
}

bool GridPainter::IsFillerRow(int row) const {
  return grid_.FooterRowCount() > 0 && row == grid_.RowCount() - grid_.FooterRowCount() - 1;
}

bool GridPainter::IsFooterRow(int row) const {
  return grid_.FooterRowCount() > 0 && row >= grid_.RowCount() - grid_.FooterRowCount();
}

}  // namespace grid
