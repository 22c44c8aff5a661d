// The grid's key handling: the key table's actions carried out on the
// record source and the horizontal scroll position.
#include "grid/binding/data_grid.h"
#include "grid/binding/key_actions.h"

namespace grid {

unsigned TDataGrid::WantedKeys() const { return grid::WantedKeys(options_); }

void TDataGrid::KeyDown(TGridKey key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(key, shift);
  if (key == TGridKey::None || !data_link_->Active()) return;
  TGridDataLink& link = *data_link_;
  TDataSet& source = *RecordSource();
  switch (MapKey(key, shift, right_to_left_)) {
    case TKeyAction::None:
      break;
    case TKeyAction::PriorRecord:
      StepMove(-1);
      break;
    case TKeyAction::NextRecord:
      // At the last record nothing happens: a read-only grid appends nothing.
      StepMove(1);
      break;
    case TKeyAction::PageUp:
      link.MoveBy(-VisibleDataRows());
      break;
    case TKeyAction::PageDown:
      link.MoveBy(VisibleDataRows());
      break;
    case TKeyAction::FirstRecord:
      source.First();
      break;
    case TKeyAction::LastRecord:
      source.Last();
      break;
    case TKeyAction::ScrollLeft:
      ScrollOneColumn(-1);
      break;
    case TKeyAction::ScrollRight:
      ScrollOneColumn(1);
      break;
    case TKeyAction::TopRow:
      link.MoveBy(-link.ActiveRow());
      break;
    case TKeyAction::BottomRow:
      link.MoveBy(link.WindowSize() - link.ActiveRow() - 1);
      break;
    case TKeyAction::FirstColumn:
      ColumnRequest(indicator_columns_, 1);
      break;
    case TKeyAction::LastColumn:
      ColumnRequest(ColCount() - 1, -1);
      break;
    case TKeyAction::Cancel:
      link.Revert();
      if (input_.state == TGridState::ColumnSizing || input_.state == TGridState::ColumnMoving) {
        CancelMode();
      }
      break;
  }
}

}  // namespace grid
