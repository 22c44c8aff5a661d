// The grid's key handling: the key table's actions carried out on the
// record source and the horizontal scroll position.
#include "grid/binding/data_grid.h"
#include "grid/binding/grid_input.h"
#include "grid/binding/key_actions.h"

namespace grid {

unsigned GridInput::WantedKeys() const { return grid::WantedKeys(grid_.Options()); }

void GridInput::KeyDown(TGridKey key, TShiftState shift) {
  if (grid_.OnKeyDown) grid_.OnKeyDown(key, shift);
  if (key == TGridKey::None || !grid_.DataLink().Active()) return;
  TGridDataLink& link = grid_.DataLink();
  TDataSet& source = *grid_.RecordSource();
  switch (MapKey(key, shift, grid_.UseRightToLeft())) {
    case TKeyAction::None:
      break;
    case TKeyAction::PriorRecord:
      grid_.StepMove(-1);
      break;
    case TKeyAction::NextRecord:
      // At the last record nothing happens: a read-only grid appends nothing.
      grid_.StepMove(1);
      break;
    case TKeyAction::PageUp:
      link.MoveBy(-grid_.VisibleDataRows());
      break;
    case TKeyAction::PageDown:
      link.MoveBy(grid_.VisibleDataRows());
      break;
    case TKeyAction::FirstRecord:
      source.First();
      break;
    case TKeyAction::LastRecord:
      source.Last();
      break;
    case TKeyAction::ScrollLeft:
      grid_.ScrollOneColumn(-1);
      break;
    case TKeyAction::ScrollRight:
      grid_.ScrollOneColumn(1);
      break;
    case TKeyAction::TopRow:
      link.MoveBy(-link.ActiveRow());
      break;
    case TKeyAction::BottomRow:
      link.MoveBy(link.WindowSize() - link.ActiveRow() - 1);
      break;
    case TKeyAction::FirstColumn:
      grid_.ColumnRequest(grid_.IndicatorColumns(), 1);
      break;
    case TKeyAction::LastColumn:
      grid_.ColumnRequest(grid_.ColCount() - 1, -1);
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
