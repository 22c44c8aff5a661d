#include "grid/binding/scroll_bar_codes.h"

#include <algorithm>

namespace grid {

VertScrollAction VerticalScrollAction(const VertScrollInput& in) {
  VertScrollAction a;
  auto move_by = [&a](int n) {
    a.kind = VertScrollAction::MoveBy;
    a.n = n;
  };
  switch (in.code) {
    case SB_LINEUP:
      move_by(-(in.active_row + 1));
      break;
    case SB_LINEDOWN:
      move_by(in.rows_in_window - in.active_row);
      break;
    case SB_PAGEUP:
      move_by(-in.visible_rows);
      break;
    case SB_PAGEDOWN:
      move_by(in.visible_rows);
      break;
    case SB_THUMBPOSITION:
      if (in.sequenced) {
        if (in.track_pos <= 1) {
          a.kind = VertScrollAction::First;
        } else if (in.track_pos >= in.record_count) {
          a.kind = VertScrollAction::Last;
        } else {
          a.kind = VertScrollAction::SetRecNo;
          a.n = in.track_pos;
        }
      } else {
        switch (in.pos) {
          case 0:
            a.kind = VertScrollAction::First;
            break;
          case 1:
            move_by(-in.visible_rows);
            break;
          case 3:
            move_by(in.visible_rows);
            break;
          case 4:
            a.kind = VertScrollAction::Last;
            break;
          default:
            break;
        }
      }
      break;
    case SB_THUMBTRACK:
      if (in.tracking) {
        move_by(in.track_pos - in.record_number);
        a.track_pending = true;
      }
      break;
    case SB_TOP:
      a.kind = VertScrollAction::First;
      break;
    case SB_BOTTOM:
      a.kind = VertScrollAction::Last;
      break;
    default:
      break;
  }
  return a;
}

namespace {

// value × numerator / denominator, rounded to the nearest integer (halves up).
int ScaleRounded(int value, int numerator, int denominator) {
  if (denominator <= 0) return 0;
  long long product = static_cast<long long>(value) * numerator;
  long long twice = 2 * product + (product >= 0 ? denominator : -denominator);
  return static_cast<int>(twice / (2LL * denominator));
}

}  // namespace

ScrollInfo HorizontalBarFor(int left_scroll_col, int fixed_col_count, int max_left_scroll_col,
                            bool right_to_left) {
  ScrollInfo bar;
  int span = max_left_scroll_col - fixed_col_count;
  if (span <= 0) return bar;
  bar.max = kHorzBarScale;
  int offset = std::clamp(left_scroll_col - fixed_col_count, 0, span);
  bar.pos = ScaleRounded(offset, kHorzBarScale, span);
  if (right_to_left) bar.pos = kHorzBarScale - bar.pos;
  return bar;
}

namespace {

// How many columns left of LeftScrollCol fit together with it, so that it
// becomes the last fully visible column; at least 1.
int PageLeftCount(const AxisLayout& horz) {
  int left = horz.first_scroll_cell;
  int room = horz.extent + horz.line_width - horz.fixed_end;
  int used = horz.CellSize(left) + horz.line_width;
  int count = 0;
  for (int i = left - 1; i >= horz.fixed_count; --i) {
    used += horz.CellSize(i) + horz.line_width;
    if (used > room) break;
    ++count;
  }
  return std::max(count, 1);
}

}  // namespace

int NextLeftScrollCol(const AxisLayout& horz, int max_left, TScrollCode code, int pos,
                      bool tracking, bool right_to_left) {
  int fixed = horz.fixed_count;
  int left = horz.first_scroll_cell;
  max_left = std::max(max_left, fixed);
  if (tracking && code == SB_THUMBTRACK) code = SB_THUMBPOSITION;
  if (right_to_left) {
    switch (code) {
      case SB_LINELEFT:
        code = SB_LINERIGHT;
        break;
      case SB_LINERIGHT:
        code = SB_LINELEFT;
        break;
      case SB_PAGELEFT:
        code = SB_PAGERIGHT;
        break;
      case SB_PAGERIGHT:
        code = SB_PAGELEFT;
        break;
      case SB_LEFT:
        code = SB_RIGHT;
        break;
      case SB_RIGHT:
        code = SB_LEFT;
        break;
      case SB_THUMBPOSITION:
        pos = kHorzBarScale - pos;
        break;
      default:
        break;
    }
  }
  int step = 0;  // line and page steps repeat over zero-width columns
  int next = left;
  switch (code) {
    case SB_LINELEFT:
      step = -1;
      break;
    case SB_LINERIGHT:
      step = 1;
      break;
    case SB_PAGELEFT:
      step = -PageLeftCount(horz);
      break;
    case SB_PAGERIGHT:
      step = std::max(horz.last_full_cell - left, 1);
      break;
    case SB_THUMBPOSITION:
      next =
          fixed + ScaleRounded(std::clamp(pos, 0, kHorzBarScale), max_left - fixed, kHorzBarScale);
      break;
    case SB_LEFT:
      next = fixed;
      break;
    case SB_RIGHT:
      next = max_left;
      break;
    default:
      break;
  }
  if (step != 0) {
    next = std::clamp(left + step, fixed, max_left);
    while (next > fixed && next < max_left && horz.CellSize(next) <= 0) {
      int again = std::clamp(next + step, fixed, max_left);
      if (again == next) break;
      next = again;
    }
  }
  return std::clamp(next, fixed, max_left);
}

}  // namespace grid
