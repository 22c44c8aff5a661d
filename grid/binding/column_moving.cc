// Moving columns by dragging their titles: the inverted drop marker, the
// timer that scrolls the columns while the pointer rests at an edge, and
// the move in the column collection on release.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/hit_test.h"

namespace grid {

Rect GridInput::DropMarkerRect() {
  if (!grid_.Host()) return Rect();
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int col = input_.move_pos;
  if (col >= horz.fixed_count && col < horz.first_scroll_cell) return Rect();
  int start = CellPosition(horz, col);
  // On the grid line before the cell, or after it when dropping to the right.
  int x =
      input_.move_pos > input_.move_index ? start + horz.CellSize(col) : start - horz.line_width;
  return Rect{x - 2, 0, x + 3, grid_.Host()->ClientHeight()};
}

void GridInput::BeginColumnMove(int col, int x, int y) {
  input_.state = TGridState::ColumnMoving;
  input_.move_index = col;
  input_.move_pos = col;
  input_.last_x = x;
  input_.last_y = y;
  if (!grid_.Host()) return;
  grid_.Host()->UpdateNow();
  ShowLine(DropMarkerRect());
  grid_.Host()->StartTimer(kGridTimerId, kColumnMoveInterval);
  input_.column_move_timer = true;
}

void GridInput::TrackColumnMove(int x) {
  if (!grid_.Host()) return;
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int target = input_.move_pos;
  if (x < horz.fixed_end) {
    if (grid_.LeftScrollCol() > grid_.FixedColCount()) {
      HideLine();
      grid_.SetLeftScrollCol(grid_.LeftScrollCol() - 1);
    }
    target = grid_.LeftScrollCol();
  } else if (x >= horz.full_visible_end) {
    if (grid_.LeftScrollCol() < grid_.MaxLeftScrollCol()) {
      HideLine();
      grid_.SetLeftScrollCol(grid_.LeftScrollCol() + 1);
      grid_.ComputeAxes(&horz, &vert);
    }
    target = horz.last_full_cell;
  } else {
    int col = CellAtPosition(horz, x);
    if (col >= 0) target = col;
  }
  target = std::clamp(target, grid_.IndicatorColumns(),
                      std::max(grid_.ColCount() - 1, grid_.IndicatorColumns()));
  if (target != input_.move_pos || !input_.line_shown) {
    HideLine();
    input_.move_pos = target;
    ShowLine(DropMarkerRect());
  }
}

void GridInput::EndColumnMove() {
  HideLine();
  if (input_.column_move_timer && grid_.Host()) grid_.Host()->StopTimer(kGridTimerId);
  input_.column_move_timer = false;
  if (input_.move_pos != input_.move_index) grid_.MoveColumn(input_.move_index, input_.move_pos);
}

}  // namespace grid
