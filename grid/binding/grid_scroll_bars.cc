// The grid's scroll bars and wheel: vertical notifications move the current
// record, horizontal ones move the first scrolling column, wheel turns
// move one record per notch.
#include <cstdlib>

#include "grid/binding/data_grid.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/scroll_bar_codes.h"

namespace grid {

bool GridInput::MouseWheel(int delta, TShiftState shift) {
  if (grid_.OnMouseWheel && grid_.OnMouseWheel(delta, shift)) return true;
  if (!grid_.DataLink().Active()) return true;
  int moves = input_.wheel.Add(delta);
  int step = moves > 0 ? 1 : -1;
  for (int i = 0; i < std::abs(moves); ++i) {
    if (grid_.DataLink().MoveBy(step) == 0) break;
  }
  return true;
}

void GridInput::VerticalScroll(TScrollCode code, int pos) {
  if (!TakeFocus() || !grid_.DataLink().Active()) return;
  if (code == SB_THUMBPOSITION && input_.thumb_track_pending) {
    input_.thumb_track_pending = false;
    return;
  }
  TGridDataLink& link = grid_.DataLink();
  TDataSet& source = *grid_.RecordSource();
  VertScrollInput in;
  in.code = code;
  in.pos = pos;
  in.track_pos = grid_.Host() ? grid_.Host()->VerticalBarTrackPos() : pos;
  in.sequenced = source.IsSequenced();
  if (in.sequenced) {
    in.record_count = source.RecordCount();
    in.record_number = source.RecNo();
  }
  in.active_row = link.ActiveRow();
  in.rows_in_window = link.RowsInWindow();
  in.visible_rows = grid_.VisibleDataRows();
  in.tracking = grid_.VertScrollTracking();
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

void GridInput::HorizontalScroll(TScrollCode code, int pos) {
  // The focus is taken when possible, but the columns scroll either way.
  TakeFocus();
  AxisLayout horz, vert;
  grid_.ComputeAxes(&horz, &vert);
  int next = NextLeftScrollCol(horz, grid_.MaxLeftScrollCol(), code, pos,
                               grid_.HorzScrollTracking(), grid_.UseRightToLeft());
  if (next != grid_.LeftScrollCol()) grid_.SetLeftScrollCol(next);
}

}  // namespace grid
