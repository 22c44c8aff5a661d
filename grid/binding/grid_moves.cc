// What input asks of the grid beyond reading it: moving the record source
// step by step, making a column current, scrolling one column, finding the
// cell under a point, the horizontal bar, and the column model changes that
// follow a column sizing or move.
#include <algorithm>

#include "grid/binding/data_grid.h"
#include "grid/binding/hit_test.h"
#include "grid/binding/scroll_bar_codes.h"

namespace grid {

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
  UnderUpdateLock([&] {
    while (moved != n) {
      int done = data_link_->MoveBy(step);
      if (done == 0) break;
      moved += done;
    }
  });
  return moved;
}

void TDataGrid::UnderUpdateLock(const std::function<void()>& work) {
  ++update_lock_;
  try {
    work();
  } catch (...) {
    --update_lock_;
    throw;
  }
  --update_lock_;
  if (update_lock_ == 0 && host_) host_->UpdateNow();
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

void TDataGrid::UpdateHorizontalBar() {
  if (!host_) return;
  ScrollInfo target;
  if (!auto_fit_col_widths_) {
    target =
        HorizontalBarFor(left_scroll_col_, fixed_col_count_, MaxLeftScrollCol(), right_to_left_);
  }
  if (!(target == host_->HorizontalBar())) host_->SetHorizontalBar(target);
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
