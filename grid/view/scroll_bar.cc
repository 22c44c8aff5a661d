#include "grid/view/scroll_bar.h"

namespace grid {

ScrollInfo VerticalBarTarget(const VerticalBarInput& in) {
  ScrollInfo out{0, 1, 2, 0};
  if (in.live) {
    if (in.sequenced) {
      out.min = 1;
      out.page = in.visible_rows;
      out.max = in.record_count + out.page - 1;
      out.pos = in.keep_position ? in.current.pos : in.record_number;
    } else {
      out.min = 0;
      out.page = 0;
      out.max = 4;
      out.pos = in.bof ? 0 : in.eof ? 4 : 2;
    }
  }
  if (!in.can_scroll) out.max = out.min;
  return out;
}

}  // namespace grid
