// Sizing columns with the mouse: the zones at the titles' right edges, the
// inverted sizing line that follows the pointer, and the new width stored
// in the column model afterwards.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/hit_test.h"

namespace grid {

int GridInput::SizingZoneAt(int x, int y) {
  if (!(grid_.Options() & dgColumnResize) || grid_.TitleRowCount() == 0 || !grid_.Host()) return -1;
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int title_bottom = 0;
  for (int i = 0; i < grid_.TitleRowCount(); ++i) title_bottom += vert.CellSize(i);
  title_bottom += (grid_.TitleRowCount() - 1) * vert.line_width;
  if (y < 0 || y >= title_bottom) return -1;
  int indicator_end = 0;
  for (int i = 0; i < grid_.IndicatorColumns(); ++i)
    indicator_end += horz.CellSize(i) + horz.line_width;
  if (x < indicator_end) return -1;
  return SizingZoneColumn(horz, x);
}

Rect GridInput::SizingLineRect(int x) {
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  return Rect{x, 0, x + 1, vert.used_end};
}

void GridInput::ShowLine(const Rect& rect) {
  if (!grid_.Host() || rect.Empty()) return;
  grid_.Host()->InvertDottedLine(rect);
  input_.line_shown = true;
  input_.line_rect = rect;
}

void GridInput::HideLine() {
  if (!input_.line_shown) return;
  input_.line_shown = false;
  if (grid_.Host()) grid_.Host()->InvertDottedLine(input_.line_rect);
}

void GridInput::BeginColumnSizing(int col, int x) {
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int edge = CellPosition(horz, col) + horz.CellSize(col);
  input_.state = TGridState::ColumnSizing;
  input_.sizing_index = col;
  input_.sizing_pos = edge;
  input_.sizing_offset = edge - x;
  ShowLine(SizingLineRect(edge));
  if (grid_.Host()) grid_.Host()->SetCursorShape(TCursor::crHSplit);
}

void GridInput::TrackColumnSizing(int x) {
  HideLine();
  // Not limited: the release decides what width is acceptable.
  input_.sizing_pos = x + input_.sizing_offset;
  ShowLine(SizingLineRect(input_.sizing_pos));
  if (grid_.Host()) grid_.Host()->SetCursorShape(TCursor::crHSplit);
}

void GridInput::EndColumnSizing() {
  HideLine();
  int col = input_.sizing_index;
  if (col < 0 || col >= grid_.ColCount()) return;
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int width = input_.sizing_pos - CellPosition(horz, col);
  // A column narrower than 2 pixels could no longer be grabbed again.
  if (width <= 1) return;
  grid_.SetColWidth(col, width);
  grid_.ColWidthsChanged();
}

}  // namespace grid
