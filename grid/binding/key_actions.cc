#include "grid/binding/key_actions.h"

namespace grid {

TKeyAction MapKey(TGridKey key, TShiftState shift, bool right_to_left) {
  if (right_to_left) {
    if (key == TGridKey::Left) {
      key = TGridKey::Right;
    } else if (key == TGridKey::Right) {
      key = TGridKey::Left;
    }
  }
  if (shift & ssCtrl) {
    switch (key) {
      case TGridKey::Up:
      case TGridKey::PageUp:
        return TKeyAction::TopRow;
      case TGridKey::Down:
      case TGridKey::PageDown:
        return TKeyAction::BottomRow;
      case TGridKey::Home:
        return TKeyAction::FirstRecord;
      case TGridKey::End:
        return TKeyAction::LastRecord;
      case TGridKey::Left:
        return TKeyAction::FirstColumn;
      case TGridKey::Right:
        return TKeyAction::LastColumn;
      default:
        return TKeyAction::None;
    }
  }
  switch (key) {
    case TGridKey::Up:
      return TKeyAction::PriorRecord;
    case TGridKey::Down:
      return TKeyAction::NextRecord;
    case TGridKey::PageUp:
      return TKeyAction::PageUp;
    case TGridKey::PageDown:
      return TKeyAction::PageDown;
    case TGridKey::Home:
      return TKeyAction::FirstRecord;
    case TGridKey::End:
      return TKeyAction::LastRecord;
    case TGridKey::Left:
      return TKeyAction::ScrollLeft;
    case TGridKey::Right:
      return TKeyAction::ScrollRight;
    case TGridKey::Escape:
      return TKeyAction::Cancel;
    default:
      return TKeyAction::None;
  }
}

unsigned WantedKeys(TDBGridOptions options) {
  unsigned codes = DLGC_WANTARROWS;
  if (options & dgRowSelect) return codes;
  if (options & dgTabs) codes |= DLGC_WANTTAB;
  if (options & dgEditing) codes |= DLGC_WANTCHARS;
  return codes;
}

}  // namespace grid
