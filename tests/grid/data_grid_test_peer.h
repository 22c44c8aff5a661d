// Reads a grid's input state between events: what a drag is doing, whether
// a thumb release is pending, the wheel's remainder. Nothing outside the
// grid needs these, so the grid shows them to tests only.
#pragma once

#include "grid/binding/data_grid.h"

namespace grid {

class TDataGridTestPeer {
 public:
  explicit TDataGridTestPeer(const TDataGrid& grid) : state_(grid.input_.input_) {}

  TGridState GridState() const { return state_.state; }
  bool DragTracking() const { return state_.drag_tracking; }
  bool ThumbTrackPending() const { return state_.thumb_track_pending; }
  int WheelRemainder() const { return state_.wheel.Value(); }
  int SizingIndex() const { return state_.sizing_index; }
  int SizingPos() const { return state_.sizing_pos; }
  int MoveIndex() const { return state_.move_index; }
  int MovePos() const { return state_.move_pos; }

 private:
  const GridInputState& state_;
};

}  // namespace grid
