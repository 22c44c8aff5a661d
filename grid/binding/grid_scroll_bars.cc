// The grid's scroll bars and wheel: vertical notifications move the current
// record, horizontal ones move the first scrolling column, wheel turns
// move one record per notch.
#include <cstdlib>

#include "grid/binding/data_grid.h"
#include "grid/binding/scroll_bar_codes.h"

namespace grid {

bool TDataGrid::MouseWheel(int delta, TShiftState shift) {
  if (OnMouseWheel && OnMouseWheel(delta, shift)) return true;
  if (!data_link_->Active()) return true;
  int moves = input_.wheel.Add(delta);
  int step = moves > 0 ? 1 : -1;
  for (int i = 0; i < std::abs(moves); ++i) {
    if (data_link_->MoveBy(step) == 0) break;
  }
  return true;
}

void TDataGrid::VerticalScroll(TScrollCode code, int pos) {
  if (!TakeFocus() || !data_link_->Active()) return;
  if (code == SB_THUMBPOSITION && input_.thumb_track_pending) {
    input_.thumb_track_pending = false;
    return;
  }
  TGridDataLink& link = *data_link_;
  TDataSet& source = *RecordSource();
  VertScrollInput in;
  in.code = code;
  in.pos = pos;
  in.track_pos = host_ ? host_->VerticalBarTrackPos() : pos;
  in.sequenced = source.IsSequenced();
  if (in.sequenced) {
    in.record_count = source.RecordCount();
    in.record_number = source.RecNo();
  }
  in.active_row = link.ActiveRow();
  in.rows_in_window = link.RowsInWindow();
  in.visible_rows = VisibleDataRows();
  in.tracking = vert_tracking_;
  VertScrollAction action = VerticalScrollAction(in);
  if (action.track_pending) input_.thumb_track_pending = true;
  switch (action.kind) {
    case VertScrollAction::None:
      break;
    case VertScrollAction::MoveBy:
      if (action.n != 0) link.MoveBy(action.n);
      break;
    case VertScrollAction::First:
      source.First();
      break;
    case VertScrollAction::Last:
      source.Last();
      break;
    case VertScrollAction::SetRecNo:
      source.SetRecNo(action.n);
      break;
  }
}

void TDataGrid::HorizontalScroll(TScrollCode code, int pos) {
  // The focus is taken when possible, but the columns scroll either way.
  TakeFocus();
  AxisLayout horz, vert;
  ComputeAxes(&horz, &vert);
  int next = NextLeftScrollCol(horz, MaxLeftScrollCol(), code, pos, horz_tracking_, right_to_left_);
  if (next != left_scroll_col_) SetLeftScrollCol(next);
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

}  // namespace grid
