// The vertical scroll bar's values: where the current record lies in the
// whole result (not which rows are on screen).
#pragma once

namespace grid {

enum class TScrollBarVisibleMode { sbAlwaysShow, sbNeverShow, sbAutoShow };

// A scroll bar's range, page and position, as the window keeps them.
struct ScrollInfo {
  int min = 0;
  int max = 0;
  int page = 0;
  int pos = 0;
  bool operator==(const ScrollInfo&) const = default;
};

struct VerticalBarInput {
  ScrollInfo current;      // what the window's bar holds now
  bool live = false;       // the link is live
  bool sequenced = false;  // the record source numbers its records
  int visible_rows = 0;    // fully visible data rows
  int record_count = 0;
  int record_number = 0;       // 1-based
  bool keep_position = false;  // inserting or a later state: the bar stays put
  bool bof = false;
  bool eof = false;
  bool can_scroll = true;  // false when the bar is never shown
};

// The values to write: 1..count + page − 1 with the record number as the
// position for a sequenced source; a three-position bar (0, 2, 4 at the
// beginning, in the middle, at the end) otherwise; nothing to scroll when
// the link is not live.
ScrollInfo VerticalBarTarget(const VerticalBarInput& in);

// True when the bar has nothing to scroll: the range is empty or fits the page.
inline bool NothingToScroll(const ScrollInfo& s) {
  return s.min >= s.max || s.max - s.min <= s.page;
}

}  // namespace grid
