// The grid's mouse handling: presses, drags with auto-scrolling, releases
// and the click events, and cancel mode, which ends every drag.
#include <algorithm>
#include <cstdlib>

#include "grid/binding/auto_scroll.h"
#include "grid/binding/data_grid.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/hit_test.h"

namespace grid {

namespace {

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

bool GridInput::TakeFocus() {
  if (!grid_.Host()) return true;
  if (grid_.Host()->CanFocus() && !grid_.Host()->HasFocus()) grid_.Host()->SetFocus();
  return grid_.Host()->HasFocus();
}

void GridInput::ReleaseMouse() {
  if (grid_.Host()) grid_.Host()->ReleaseCapture();
}

void GridInput::MouseDown(TMouseButton button, TShiftState shift, int x, int y, bool double_click) {
  if (!TakeFocus()) return;
  if (button != TMouseButton::Middle && grid_.Host()) grid_.Host()->SetCapture();
  if (double_click && button == TMouseButton::Left) {
    // The first click of the pair already did the work.
    if (grid_.OnDblClick) grid_.OnDblClick();
  } else if (button != TMouseButton::Middle) {
    int col = -1;
    int row = -1;
    grid_.CellAt(x, y, &col, &row);
    int last_data_row = 0;
    bool has_data_rows = grid_.LastDataRow(&last_data_row);
    int zone = button == TMouseButton::Left ? SizingZoneAt(x, y) : -1;
    if (zone >= 0) {
      BeginColumnSizing(zone, x);
    } else if (row >= 0 && row < grid_.TitleRowCount()) {
      if ((grid_.Options() & dgColumnResize) && col >= grid_.IndicatorColumns()) {
        BeginColumnMove(col, x, y);
        input_.right_title_drag = button == TMouseButton::Right;
      }
    } else if (row >= grid_.TitleRowCount() && has_data_rows && row <= last_data_row && col >= 0) {
      if (grid_.DataLink().Active()) PressDataRow(col, row, x, y);
    }
  }
  if (grid_.OnMouseDown) grid_.OnMouseDown(button, shift, x, y);
}

void GridInput::PressDataRow(int col, int row, int x, int y) {
  grid_.WriteBack();
  if (row != grid_.CurrentRow()) grid_.DataLink().MoveBy(row - grid_.CurrentRow());
  if (col >= grid_.IndicatorColumns()) grid_.ColumnRequest(col, 0);
  if (Inside(grid_.DataArea(), x, y) && grid_.Host() && grid_.Host()->HasCapture()) {
    input_.drag_tracking = true;
    input_.last_x = x;
    input_.last_y = y;
  }
}

void GridInput::MouseMove(TShiftState /*shift*/, int x, int y) {
  input_.last_x = x;
  input_.last_y = y;
  switch (input_.state) {
    case TGridState::ColumnSizing:
      TrackColumnSizing(x);
      return;
    case TGridState::ColumnMoving:
      TrackColumnMove(x);
      return;
    default:
      break;
  }
  if (input_.drag_tracking) {
    DragTo(x, y);
    return;
  }
  if (grid_.Host())
    grid_.Host()->SetCursorShape(SizingZoneAt(x, y) >= 0 ? TCursor::crHSplit : TCursor::crDefault);
}

void GridInput::DragTo(int x, int y) {
  if (!grid_.Host()) return;
  int cx = std::clamp(x, 0, std::max(grid_.Host()->ClientWidth() - 1, 0));
  int cy = std::clamp(y, 0, std::max(grid_.Host()->ClientHeight() - 1, 0));
  int col = -1;
  int row = -1;
  grid_.CellAt(cx, cy, &col, &row);
  Rect area = grid_.DataArea();
  if (area.top < y && y < area.bottom && row >= grid_.TitleRowCount())
    grid_.StepMove(row - grid_.CurrentRow());
  if (area.left < x && x < area.right && col >= grid_.IndicatorColumns() &&
      col != grid_.CurrentCol()) {
    grid_.ColumnRequest(col, col > grid_.CurrentCol() ? 1 : -1);
  }
  input_.last_x = x;
  input_.last_y = y;
  AutoScrollStep();
}

void GridInput::AutoScrollStep() {
  if (!grid_.Host() || !grid_.DataLink().Active()) {
    StopAutoScroll();
    return;
  }
  AutoScrollPlan plan = PlanAutoScroll(input_.last_x, input_.last_y, grid_.DataArea());
  if (plan.vertical == 0 && plan.horizontal == 0) {
    StopAutoScroll();
    return;
  }
  grid_.UnderUpdateLock([&] {
    if (plan.vertical != 0) grid_.StepMove(plan.vertical * plan.records);
    if (plan.horizontal != 0) {
      grid_.ScrollOneColumn(plan.horizontal);
      grid_.ColumnRequest(grid_.CurrentCol() + plan.horizontal, plan.horizontal);
    }
  });
  if (plan.interval != input_.auto_scroll_interval) {
    grid_.Host()->StartTimer(kGridTimerId, plan.interval);
    input_.auto_scroll_interval = plan.interval;
  }
}

void GridInput::StopAutoScroll() {
  if (input_.auto_scroll_interval < 0) return;
  input_.auto_scroll_interval = -1;
  if (grid_.Host()) grid_.Host()->StopTimer(kGridTimerId);
}

void GridInput::StopDragTracking() {
  input_.drag_tracking = false;
  StopAutoScroll();
}

void GridInput::MouseUp(TMouseButton button, TShiftState /*shift*/, int x, int y) {
  // The middle button starts nothing, so its release ends nothing either.
  if (button == TMouseButton::Middle) return;
  bool as_left = button == TMouseButton::Left;
  if (input_.right_title_drag) {
    // The drag a right press started ends with the right button only.
    if (button != TMouseButton::Right) return;
    as_left = true;
  }
  bool ended_sizing = input_.state == TGridState::ColumnSizing;
  // Whatever happens below, the grid is idle and lets go of the mouse.
  struct Settle {
    GridInput& input;
    ~Settle() {
      input.input_.state = TGridState::Idle;
      input.input_.right_title_drag = false;
      input.ReleaseMouse();
    }
  } settle{*this};
  StopDragTracking();
  if (input_.state == TGridState::ColumnSizing) {
    EndColumnSizing();
  } else if (input_.state == TGridState::ColumnMoving) {
    EndColumnMove();
  }
  input_.state = TGridState::Idle;
  if (!as_left || ended_sizing) return;
  int col = -1;
  int row = -1;
  int last = 0;
  if (!grid_.CellAt(x, y, &col, &row)) return;
  int index = col - grid_.IndicatorColumns();
  if (row < grid_.TitleRowCount()) {
    if (index >= 0 && index < grid_.Columns().Count() && grid_.OnTitleClick)
      grid_.OnTitleClick(grid_.Columns()[index]);
  } else if (row <= grid_.VisibleDataRows() && grid_.LastDataRow(&last) && row <= last) {
    int current = grid_.CurrentCol() - grid_.IndicatorColumns();
    if (current >= 0 && current < grid_.Columns().Count() && grid_.OnCellClick) {
      grid_.OnCellClick(grid_.Columns()[current]);
    }
  }
}

void GridInput::TimerTick(int id) {
  if (id != kGridTimerId) return;
  if (input_.state == TGridState::ColumnMoving) {
    TrackColumnMove(input_.last_x);
  } else if (input_.drag_tracking) {
    AutoScrollStep();
  } else if (grid_.Host()) {
    // A tick after the drag ended: nothing wants the timer any more.
    grid_.Host()->StopTimer(kGridTimerId);
    input_.auto_scroll_interval = -1;
  }
}

void GridInput::CancelMode() {
  StopDragTracking();
  if (input_.state == TGridState::ColumnSizing || input_.state == TGridState::ColumnMoving) {
    HideLine();
  }
  if (input_.column_move_timer) {
    input_.column_move_timer = false;
    if (grid_.Host()) grid_.Host()->StopTimer(kGridTimerId);
  }
  input_.state = TGridState::Idle;
  input_.right_title_drag = false;
  ReleaseMouse();
}

}  // namespace grid
