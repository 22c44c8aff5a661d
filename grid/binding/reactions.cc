// The grid's reactions to its record source: fitting the record window to
// the client height, keeping the current row on the current record,
// scrolling or repainting after a move, and the vertical scroll bar that
// shows where the current record lies in the whole result.
#include <algorithm>
#include <cstdlib>

#include "grid/binding/data_grid.h"
#include "grid/view/row_metrics.h"

namespace grid {

// --- The window ---------------------------------------------------------------------------

void TDataGrid::SetHost(WindowHost* host) {
  host_ = host;
  // A new window has never been fitted: bring rows, current row and bar up to date.
  if (!host_) return;
  FitWindowToRows();
  SyncCurrentRow();
  RefreshVerticalBar();
  UpdateHorizontalBar();
}

void TDataGrid::Resized() {
  UpdateHorizontalBar();
  if (update_lock_ != 0) return;
  if (auto_fit_col_widths_) {
    ColumnsReshaped();
    return;
  }
  FitWindowToRows();
  RefreshVerticalBar();
}

Rect TDataGrid::FullRowsRect(int first_row, int last_row) {
  if (!host_ || first_row > last_row || first_row < 0 || last_row >= RowCount()) return {};
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int top = 0, bottom = 0;
  if (!AxisSpan(vert, first_row, last_row, &top, &bottom) || bottom <= top) return {};
  return Rect{0, top, host_->ClientWidth(), bottom};
}

// --- Link state and record window ------------------------------------------------------------

void TDataGrid::LinkToggled(bool /*live*/) {
  // There is no cell editor to hide and no record selection to clear.
  TDataSource* source = DataSource();
  sum_list_->SetRecordSource(source ? source->DataSet() : nullptr);
  ColumnsReshaped();
  RefreshVerticalBar();
}

void TDataGrid::RowsReloaded() {
  if (!HasWindow()) return;
  FitWindowToRows();
  RefreshVerticalBar();
  SyncCurrentRow();
  // Repaints queued for parts of the grid collapse into one full repaint.
  host_->ValidateAll();
  InvalidateGrid();
}

void TDataGrid::RowsShifted(int distance) {
  if (!HasWindow()) return;
  Rect old_row = FullRowsRect(current_row_, current_row_);
  if (data_link_->ActiveRow() >= RowCount() - title_row_count_) FitWindowToRows();
  RefreshVerticalBar();
  SyncCurrentRow();
  Rect new_row = FullRowsRect(current_row_, current_row_);
  if (!old_row.Empty()) {
    host_->Validate(old_row);
    host_->Invalidate(old_row);
  }
  if (!new_row.Empty()) host_->Invalidate(new_row);

  if (distance != 0) {
    if (VisibleDataRows() < std::abs(distance)) {
      // Nothing on screen can be reused.
      InvalidateGrid();
      return;
    }
    // The rows that stay on screen keep their pixels: move them by whole
    // rows; what gets repainted is the uncovered row, the indicator cells
    // of the old and the new current row, and the footers.
    const bool indicator = (options_ & dgIndicator) != 0;
    if (indicator) InvalidateFullRow(indicator_row_);
    Rect area = FullRowsRect(title_row_count_, RowCount() - 1);
    Rect clip = footer_row_count_ > 0
                    ? FullRowsRect(title_row_count_, RowCount() - footer_row_count_ - 2)
                    : area;
    if (!area.Empty() && !clip.Empty()) host_->Scroll(0, -RowStep() * distance, area, clip);
    if (indicator) InvalidateFullRow(current_row_);
  }
  for (int row = std::max(RowCount() - footer_row_count_, 0); row < RowCount(); ++row) {
    InvalidateFullRow(row);
  }
  if (update_lock_ == 0) host_->UpdateNow();
}

void TDataGrid::InvalidateFullRow(int row) {
  Rect r = FullRowsRect(row, row);
  if (!r.Empty()) host_->Invalidate(r);
}

void TDataGrid::FitWindowToRows() {
  int old_count = RowCount();
  if (title_row_count_ >= RowCount()) SetRowCount(title_row_count_ + 1);
  const bool titles = (options_ & dgTitles) != 0;
  int line = (options_ & dgRowLines) ? LineWidth() : 0;
  int step = data_row_height_ + line;
  int fixed =
      FixedRowsHeight(titles, title_row_count_, title_row_height_, step, line, footer_row_count_);
  // Every row back to the data row height, the title row keeping its own.
  std::fill(row_heights_.begin(), row_heights_.end(), data_row_height_);
  if (titles) row_heights_[0] = title_row_height_;
  int client_height = host_ ? host_->ClientHeight() : 0;

  TGridDataLink& link = *data_link_;
  if (link.Active() && link.RowsInWindow() > 0 && HasWindow()) {
    // The record source may load more records now.
    link.SetWindowSize(RecordsThatFit(client_height, fixed, step));
    int d = link.RowsInWindow();
    fixed += d * step;
    if (footer_row_count_ == 0) {
      SetRowCount(title_row_count_ + d);
    } else {
      // The filler row takes what is left, so the footers sit on the bottom edge.
      SetRowCount(title_row_count_ + d + 1 + footer_row_count_);
      row_heights_[static_cast<std::size_t>(title_row_count_ + d)] =
          std::max(0, client_height - fixed);
    }
    SyncCurrentRow();
  } else {
    // One empty data row; the window size stays as it was.
    SetRowCount(title_row_count_ + 1);
    fixed += step;
    if (HasWindow() && footer_row_count_ > 0) {
      SetRowCount(title_row_count_ + 2 + footer_row_count_);
      row_heights_[static_cast<std::size_t>(title_row_count_ + 1)] =
          std::max(0, client_height - fixed);
    }
  }
  if (RowCount() != old_count) InvalidateGrid();
}

void TDataGrid::SyncCurrentRow() {
  InvalidateGridRow(current_row_);
  if (!data_link_->Active() || !HasWindow() || loading_) return;
  int target = title_row_count_ + data_link_->ActiveRow();
  // The rows always hold the whole record window, so the target exists;
  // the check only keeps a stale link from moving the row off the matrix.
  if (target != current_row_ && target < RowCount()) current_row_ = target;
}

int TDataGrid::VisibleDataRows() {
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int visible = vert.last_full_cell - vert.first_scroll_cell + 1;
  if (footer_row_count_ == 0) return visible;
  // The filler row and the footers are not data rows.
  return std::max(visible - footer_row_count_ - 1, 1);
}

// --- Vertical scroll bar ------------------------------------------------------------------------

void TDataGrid::SetVertScrollBarVisibleMode(TScrollBarVisibleMode mode) {
  if (vert_bar_mode_ == mode) return;
  vert_bar_mode_ = mode;
  RefreshVerticalBar();
  ColumnsReshaped();
}

void TDataGrid::RefreshVerticalBar() {
  if (!host_) return;
  VerticalBarInput in;
  in.current = host_->VerticalBar();
  TGridDataLink& link = *data_link_;
  in.live = link.Active();
  if (in.live) {
    in.sequenced = sum_list_->IsSequenced();
    if (in.sequenced) {
      in.visible_rows = VisibleDataRows();
      in.record_count = sum_list_->RecordCount();
      in.record_number = sum_list_->RecNo();
      // While a record is being inserted it has no number yet.
      in.keep_position =
          static_cast<int>(RecordSource()->State()) >= static_cast<int>(TDataSetState::Inserting);
    }
    in.bof = link.Bof();
    in.eof = link.Eof();
  }
  in.can_scroll = vert_bar_mode_ != TScrollBarVisibleMode::sbNeverShow;
  ScrollInfo target = VerticalBarTarget(in);
  if (target == in.current && vert_bar_mode_ == applied_bar_mode_) return;
  if (vert_bar_mode_ == TScrollBarVisibleMode::sbAlwaysShow) {
    if (NothingToScroll(target)) host_->EnableVerticalArrows(false);
    host_->ShowVerticalBar(true);
  } else if (NothingToScroll(target)) {
    host_->EnableVerticalArrows(true);
    host_->ShowVerticalBar(false);
  }
  host_->SetVerticalBar(target);
  applied_bar_mode_ = vert_bar_mode_;
}

// --- Changes of the current record
// ----------------------------------------------------------------

void TDataGrid::RecordTouched(TField* field) {
  if (!HasWindow()) return;
  if (!field) {
    InvalidateGrid();
    return;
  }
  for (int i = 0; i < columns_->Count(); ++i) {
    if ((*columns_)[i].BoundField() == field) InvalidateGridRow(current_row_);
  }
}

void TDataGrid::EditStateToggled() {
  // The indicator glyph shows the edit state.
  if (!HasWindow() || !(options_ & dgIndicator)) return;
  Rect r = CellRect(0, indicator_row_);
  if (!r.Empty()) host_->Invalidate(r);
}

void TDataGrid::FocusField(TField** field) {
  if (!field || !*field) return;
  // A row selection keeps its column; otherwise the last column showing the
  // field becomes current. Without a cell editor there is nothing to show,
  // so the request stays with the caller.
  if (options_ & dgRowSelect) return;
  for (int i = 0; i < columns_->Count(); ++i) {
    if ((*columns_)[i].BoundField() == *field) SelectColumn(i + indicator_columns_);
  }
}

void TDataGrid::WriteBack() {
  // This grid has no cell editor, so nothing is ever pending.
  data_link_->EditPending = false;
}

void TDataGrid::FieldDestroyed(TField* field) {
  for (int i = 0; i < columns_->Count(); ++i) (*columns_)[i].ForgetField(field);
}

}  // namespace grid
