// The grid's mouse handling: presses, drags with auto-scrolling, releases
// and the click events, plus the moves they share with the keyboard (the
// step mover and the column request).
#include <algorithm>
#include <cstdlib>

#include "grid/binding/auto_scroll.h"
#include "grid/binding/data_grid.h"
#include "grid/binding/hit_test.h"

namespace grid {

namespace {

bool Inside(const Rect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

}  // namespace

bool TDataGrid::TakeFocus() {
  if (!host_) return true;
  if (host_->CanFocus() && !host_->HasFocus()) host_->SetFocus();
  return host_->HasFocus();
}

bool TDataGrid::LastDataRow(int* row) const {
  *row = footer_row_count_ > 0 ? RowCount() - footer_row_count_ - 2 : RowCount() - 1;
  return *row >= title_row_count_;
}

Rect TDataGrid::DataArea() {
  int last = 0;
  if (!LastDataRow(&last) || ColCount() <= indicator_columns_) return Rect();
  return BoxRect(indicator_columns_, title_row_count_, ColCount() - 1, last);
}

bool TDataGrid::CellAt(int x, int y, int* col, int* row) {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  *col = CellAtPosition(horz, x);
  *row = CellAtPosition(vert, y);
  return *col >= 0 && *row >= 0;
}

int TDataGrid::StepMove(int n) {
  if (n == 0 || !data_link_->Active()) return 0;
  int step = n > 0 ? 1 : -1;
  int moved = 0;
  ++update_lock_;
  try {
    while (moved != n) {
      int done = data_link_->MoveBy(step);
      if (done == 0) break;
      moved += done;
    }
  } catch (...) {
    --update_lock_;
    throw;
  }
  --update_lock_;
  if (update_lock_ == 0 && host_) host_->UpdateNow();
  return moved;
}

void TDataGrid::ColumnRequest(int col, int direction) {
  WriteBack();
  int first = indicator_columns_;
  int last = ColCount() - 1;
  if (last < first) return;
  col = std::clamp(col, first, last);
  if (direction != 0) {
    while (col >= first && col <= last && ColWidth(col) <= 0) col += direction;
    if (col < first || col > last) return;
  }
  // A row selection keeps its column: the whole row is current anyway.
  if (col != current_col_ && !(options_ & dgRowSelect)) SelectColumn(col);
  InvalidateGridRow(current_row_);
}

void TDataGrid::ScrollOneColumn(int direction) {
  if (direction < 0) {
    if (left_scroll_col_ > fixed_col_count_) SetLeftScrollCol(left_scroll_col_ - 1);
    return;
  }
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int visible = horz.last_full_cell - horz.first_scroll_cell + 1;
  if (left_scroll_col_ + visible < ColCount()) SetLeftScrollCol(left_scroll_col_ + 1);
}

void TDataGrid::ReleaseMouse() {
  if (host_) host_->ReleaseCapture();
}

void TDataGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y, bool double_click) {
  if (!TakeFocus()) return;
  if (button != TMouseButton::Middle && host_) host_->SetCapture();
  if (double_click && button == TMouseButton::Left) {
    // The first click of the pair already did the work.
    if (OnDblClick) OnDblClick();
  } else if (button != TMouseButton::Middle) {
    int col = -1;
    int row = -1;
    CellAt(x, y, &col, &row);
    int last_data_row = 0;
    bool has_data_rows = LastDataRow(&last_data_row);
    int zone = button == TMouseButton::Left ? SizingZoneAt(x, y) : -1;
    if (zone >= 0) {
      BeginColumnSizing(zone, x);
    } else if (row >= 0 && row < title_row_count_) {
      if ((options_ & dgColumnResize) && col >= indicator_columns_) {
        BeginColumnMove(col, x, y);
        input_.right_title_drag = button == TMouseButton::Right;
      }
    } else if (row >= title_row_count_ && has_data_rows && row <= last_data_row && col >= 0) {
      if (data_link_->Active()) PressDataRow(col, row, x, y);
    }
  }
  if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TDataGrid::PressDataRow(int col, int row, int x, int y) {
  WriteBack();
  if (row != current_row_) data_link_->MoveBy(row - current_row_);
  if (col >= indicator_columns_) ColumnRequest(col, 0);
  if (Inside(DataArea(), x, y) && host_ && host_->HasCapture()) {
    input_.drag_tracking = true;
    input_.last_x = x;
    input_.last_y = y;
  }
}

void TDataGrid::MouseMove(TShiftState /*shift*/, int x, int y) {
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
  if (host_)
    host_->SetCursorShape(SizingZoneAt(x, y) >= 0 ? TCursor::crHSplit : TCursor::crDefault);
}

void TDataGrid::DragTo(int x, int y) {
  if (!host_) return;
  int cx = std::clamp(x, 0, std::max(host_->ClientWidth() - 1, 0));
  int cy = std::clamp(y, 0, std::max(host_->ClientHeight() - 1, 0));
  int col = -1;
  int row = -1;
  CellAt(cx, cy, &col, &row);
  Rect area = DataArea();
  if (area.top < y && y < area.bottom && row >= title_row_count_) StepMove(row - current_row_);
  if (area.left < x && x < area.right && col >= indicator_columns_ && col != current_col_) {
    ColumnRequest(col, col > current_col_ ? 1 : -1);
  }
  input_.last_x = x;
  input_.last_y = y;
  AutoScrollStep();
}

void TDataGrid::AutoScrollStep() {
  if (!host_ || !data_link_->Active()) {
    StopAutoScroll();
    return;
  }
  AutoScrollPlan plan = PlanAutoScroll(input_.last_x, input_.last_y, DataArea());
  if (plan.vertical == 0 && plan.horizontal == 0) {
    StopAutoScroll();
    return;
  }
  ++update_lock_;
  try {
    if (plan.vertical != 0) StepMove(plan.vertical * plan.records);
    if (plan.horizontal != 0) {
      ScrollOneColumn(plan.horizontal);
      ColumnRequest(current_col_ + plan.horizontal, plan.horizontal);
    }
  } catch (...) {
    --update_lock_;
    throw;
  }
  --update_lock_;
  if (update_lock_ == 0) host_->UpdateNow();
  if (plan.interval != input_.auto_scroll_interval) {
    host_->StartTimer(kGridTimerId, plan.interval);
    input_.auto_scroll_interval = plan.interval;
  }
}

void TDataGrid::StopAutoScroll() {
  if (input_.auto_scroll_interval < 0) return;
  input_.auto_scroll_interval = -1;
  if (host_) host_->StopTimer(kGridTimerId);
}

void TDataGrid::StopDragTracking() {
  input_.drag_tracking = false;
  StopAutoScroll();
}

void TDataGrid::MouseUp(TMouseButton button, TShiftState /*shift*/, int x, int y) {
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
    TDataGrid& grid;
    ~Settle() {
      grid.input_.state = TGridState::Idle;
      grid.input_.right_title_drag = false;
      grid.ReleaseMouse();
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
  if (!CellAt(x, y, &col, &row)) return;
  int index = col - indicator_columns_;
  if (row < title_row_count_) {
    if (index >= 0 && index < columns_->Count() && OnTitleClick) OnTitleClick((*columns_)[index]);
  } else if (row <= VisibleDataRows() && LastDataRow(&last) && row <= last) {
    int current = current_col_ - indicator_columns_;
    if (current >= 0 && current < columns_->Count() && OnCellClick) {
      OnCellClick((*columns_)[current]);
    }
  }
}

void TDataGrid::TimerTick(int id) {
  if (id != kGridTimerId) return;
  if (input_.state == TGridState::ColumnMoving) {
    TrackColumnMove(input_.last_x);
  } else if (input_.drag_tracking) {
    AutoScrollStep();
  } else if (host_) {
    // A tick after the drag ended: nothing wants the timer any more.
    host_->StopTimer(kGridTimerId);
    input_.auto_scroll_interval = -1;
  }
}

}  // namespace grid
