// Moving columns by dragging their titles: the inverted drop marker, the
// timer that scrolls the columns while the pointer rests at an edge, and
// the move in the column collection on release.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/binding/hit_test.h"

namespace grid {

Rect TDataGrid::DropMarkerRect() {
  if (!host_) return Rect();
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int col = input_.move_pos;
  if (col >= horz.fixed_count && col < horz.first_scroll_cell) return Rect();
  int start = CellPosition(horz, col);
  // On the grid line before the cell, or after it when dropping to the right.
  int x =
      input_.move_pos > input_.move_index ? start + horz.CellSize(col) : start - horz.line_width;
  return Rect{x - 2, 0, x + 3, host_->ClientHeight()};
}

void TDataGrid::BeginColumnMove(int col, int x, int y) {
  input_.state = TGridState::ColumnMoving;
  input_.move_index = col;
  input_.move_pos = col;
  input_.last_x = x;
  input_.last_y = y;
  if (!host_) return;
  host_->UpdateNow();
  ShowLine(DropMarkerRect());
  host_->StartTimer(kGridTimerId, kColumnMoveInterval);
  input_.column_move_timer = true;
}

void TDataGrid::TrackColumnMove(int x) {
  if (!host_) return;
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int target = input_.move_pos;
  if (x < horz.fixed_end) {
    if (left_scroll_col_ > fixed_col_count_) {
      HideLine();
      SetLeftScrollCol(left_scroll_col_ - 1);
    }
    target = left_scroll_col_;
  } else if (x >= horz.full_visible_end) {
    if (left_scroll_col_ < MaxLeftScrollCol()) {
      HideLine();
      SetLeftScrollCol(left_scroll_col_ + 1);
      ComputeAxes(&horz, &vert);
    }
    target = horz.last_full_cell;
  } else {
    int col = CellAtPosition(horz, x);
    if (col >= 0) target = col;
  }
  target = std::clamp(target, indicator_columns_, std::max(ColCount() - 1, indicator_columns_));
  if (target != input_.move_pos || !input_.line_shown) {
    HideLine();
    input_.move_pos = target;
    ShowLine(DropMarkerRect());
  }
}

void TDataGrid::EndColumnMove() {
  HideLine();
  if (input_.column_move_timer && host_) host_->StopTimer(kGridTimerId);
  input_.column_move_timer = false;
  if (input_.move_pos != input_.move_index) MoveColumn(input_.move_index, input_.move_pos);
}

void TDataGrid::MoveColumn(int from, int to) {
  int first = indicator_columns_;
  if (from < first || to < first || from >= ColCount() || to >= ColCount() || from == to) return;
  if (from - first >= columns_->Count() || to - first >= columns_->Count()) return;
  // The grid column and its width move first; the current column follows.
  auto widths = col_widths_.begin();
  if (from < to) {
    std::rotate(widths + from, widths + from + 1, widths + to + 1);
  } else {
    std::rotate(widths + to, widths + from, widths + from + 1);
  }
  if (current_col_ == from) {
    current_col_ = to;
  } else if (from < current_col_ && current_col_ <= to) {
    --current_col_;
  } else if (to <= current_col_ && current_col_ < from) {
    ++current_col_;
  }
  for (int col = std::min(from, to); col <= std::max(from, to); ++col) InvalidateGridColumn(col);
  OpenLayoutBatch();
  try {
    (*columns_)[from - first].SetIndex(to - first);
    if (OnColumnMoved) OnColumnMoved(from, to);
    ColWidthsChanged();
  } catch (...) {
    CloseLayoutBatch();
    throw;
  }
  CloseLayoutBatch();
}

}  // namespace grid
