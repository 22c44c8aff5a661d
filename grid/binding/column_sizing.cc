// Sizing columns with the mouse: the zones at the titles' right edges, the
// inverted sizing line that follows the pointer, and the new width stored
// in the column model afterwards.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/binding/hit_test.h"

namespace grid {

int TDataGrid::SizingZoneAt(int x, int y) {
  if (!(options_ & dgColumnResize) || title_row_count_ == 0 || !host_) return -1;
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int title_bottom = 0;
  for (int i = 0; i < title_row_count_; ++i) title_bottom += vert.CellSize(i);
  title_bottom += (title_row_count_ - 1) * vert.line_width;
  if (y < 0 || y >= title_bottom) return -1;
  int indicator_end = 0;
  for (int i = 0; i < indicator_columns_; ++i) indicator_end += horz.CellSize(i) + horz.line_width;
  if (x < indicator_end) return -1;
  return SizingZoneColumn(horz, x);
}

Rect TDataGrid::SizingLineRect(int x) {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  return Rect{x, 0, x + 1, vert.used_end};
}

void TDataGrid::ShowLine(const Rect& rect) {
  if (!host_ || rect.Empty()) return;
  host_->InvertDottedLine(rect);
  input_.line_shown = true;
  input_.line_rect = rect;
}

void TDataGrid::HideLine() {
  if (!input_.line_shown) return;
  input_.line_shown = false;
  if (host_) host_->InvertDottedLine(input_.line_rect);
}

void TDataGrid::BeginColumnSizing(int col, int x) {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int edge = CellPosition(horz, col) + horz.CellSize(col);
  input_.state = TGridState::ColumnSizing;
  input_.sizing_index = col;
  input_.sizing_pos = edge;
  input_.sizing_offset = edge - x;
  ShowLine(SizingLineRect(edge));
  if (host_) host_->SetCursorShape(TCursor::crHSplit);
}

void TDataGrid::TrackColumnSizing(int x) {
  HideLine();
  // Not limited: the release decides what width is acceptable.
  input_.sizing_pos = x + input_.sizing_offset;
  ShowLine(SizingLineRect(input_.sizing_pos));
  if (host_) host_->SetCursorShape(TCursor::crHSplit);
}

void TDataGrid::EndColumnSizing() {
  HideLine();
  int col = input_.sizing_index;
  if (col < 0 || col >= ColCount()) return;
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int width = input_.sizing_pos - CellPosition(horz, col);
  // A column narrower than 2 pixels could no longer be grabbed again.
  if (width <= 1) return;
  SetColWidth(col, width);
  ColWidthsChanged();
}

void TDataGrid::ColWidthsChanged() {
  if (!data_link_->Active() && columns_->ColumnSetState() != TColumnSetState::Persistent) return;
  OpenLayoutBatch();
  try {
    for (int i = 0; i < columns_->Count(); ++i) {
      int col = i + indicator_columns_;
      if (col >= ColCount()) break;
      TDataGridColumn& column = (*columns_)[i];
      if (!column.Visible()) continue;
      int width = ColWidth(col);
      if (column.MinWidth() > 0) width = std::max(width, column.MinWidth());
      if (column.MaxWidth() > 0) width = std::min(width, column.MaxWidth());
      col_widths_[static_cast<std::size_t>(col)] = width;
      column.SetWidth(width);
    }
    if (OnColWidthsChanged) OnColWidthsChanged();
  } catch (...) {
    CloseLayoutBatch();
    throw;
  }
  CloseLayoutBatch();
}

}  // namespace grid
