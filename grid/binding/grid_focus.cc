// The grid and the input focus: the current row repaints in the focused or
// unfocused highlight, and leaving the grid settles the record.
#include "grid/binding/data_grid.h"

namespace grid {

void TDataGrid::FocusEntered() {
  // The current row is highlighted differently with and without the focus.
  focused_ = true;
  if (options_ & dgRowSelect) InvalidateGridRow(current_row_);
}

void TDataGrid::DoExit() {
  TGridDataLink& link = *data_link_;
  try {
    TDataSet* source = RecordSource();
    if (link.Active() && (options_ & dgCancelOnExit) && source &&
        source->State() == TDataSetState::Inserting && !source->Modified() && !link.EditPending) {
      // A new record the user never typed into disappears again.
      source->Cancel();
    } else if (link.Active()) {
      link.UpdateRecord();
    }
  } catch (...) {
    if (host_) host_->SetFocus();
    throw;
  }
}

void TDataGrid::FocusLeft() {
  focused_ = false;
  if (options_ & dgRowSelect) InvalidateGridRow(current_row_);
}

}  // namespace grid
