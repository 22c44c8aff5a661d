// The key table: which action a key press stands for, as a pure function of
// the key, its modifiers and the layout direction, plus the keys the grid
// asks the window system for.
#pragma once

#include "grid/binding/input_types.h"
#include "grid/view/options.h"

namespace grid {

enum class TKeyAction {
  None,
  PriorRecord,  // step mover by −1
  NextRecord,   // step mover by +1
  PageUp,       // move by −VisibleDataRows
  PageDown,     // move by +VisibleDataRows
  FirstRecord,
  LastRecord,
  ScrollLeft,   // one more column at the left
  ScrollRight,  // one more column at the right
  TopRow,       // move by −ActiveRow
  BottomRow,    // move by WindowSize − ActiveRow − 1
  FirstColumn,  // column request for the first field column
  LastColumn,   // column request for the last column
  Cancel,       // revert, and end a column sizing or move
};

// The action of `key` with `shift` held. Shift never matters (no selection
// can be made); right-to-left layout swaps Left and Right first. Keys that
// need editing, clipboard actions or type-ahead search give None.
TKeyAction MapKey(TGridKey key, TShiftState shift, bool right_to_left);

// The dialog codes the grid answers with: the arrows always; Tab with
// dgTabs and characters with dgEditing, but neither in row-select mode.
unsigned WantedKeys(TDBGridOptions options);

}  // namespace grid
