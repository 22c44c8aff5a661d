#include "grid/view/grid_style.h"

#include <algorithm>
#include <cmath>

namespace grid {
namespace {

int Channel(TColor c, int shift) { return static_cast<int>((c >> shift) & 0xFFu); }

}  // namespace

TColor BlendTowards(TColor color, TColor glass, bool ungray) {
  const TColor c = ResolveColor(color);
  const TColor g = ResolveColor(glass);
  TColor result = 0;
  for (int shift : {0, 8, 16}) {
    double v = Channel(c, shift) + (Channel(g, shift) - Channel(c, shift)) * 0.5;
    v = v + (225 - v) * 0.6;
    if (ungray) v = v - (122 - v) * 0.25;
    int channel = std::clamp(static_cast<int>(std::lround(v)), 0, 255);
    result |= static_cast<TColor>(channel) << shift;
  }
  return result;
}

TDataGridStyle& TDataGridStyle::Default() {
  static TDataGridStyle style;
  return style;
}

HighlightResult DataCellHighlight(const HighlightInput& in, Canvas* surface) {
  HighlightResult out{false, in.background, in.font_color};
  const bool row_select = (in.options & dgRowSelect) != 0;
  bool selected = in.selected;
  bool focused = in.has_focus && (in.ext_options & dgxHighlightFocus);
  if ((in.ext_options & dgxRowHighlight) && in.current_row && !(in.options & dgMultiSelect)) {
    if (!in.current_col) selected = true;
    focused = true;
  }
  bool highlighted = (selected || (in.current_row && row_select)) &&
                     ((in.options & dgAlwaysShowSelection) || focused);
  if (in.update_locked && !row_select) highlighted = false;
  if (!highlighted) return out;
  out.highlighted = true;
  auto near = [surface](TColor c) { return surface ? surface->NearestColor(c) : c; };
  const bool current = in.current_row && (in.current_col || row_select);
  if (!in.has_focus) {
    if (current && (focused || (in.options & dgAlwaysShowSelection))) {
      out.background = clBtnShadow;
      out.font_color = clHighlightText;
    } else {
      out.background = in.screen_colors == -1
                           ? near(BlendTowards(in.background, clBtnShadow, false))
                           : clBtnFace;
    }
  } else if (in.soft_selection && in.screen_colors == -1) {
    if (current) {
      out.background = clHighlight;
      out.font_color = clHighlightText;
    } else {
      out.background = near(BlendTowards(in.background, clHighlight, true));
    }
  } else {
    out.background = clHighlight;
    out.font_color = clHighlightText;
  }
  return out;
}

bool CellHasFrame(const FrameInput& in) {
  const TDataGridExtOptions x = in.ext_options;
  if (in.fixed && (x & dgxFixed3D) && !in.filler && (in.indicator || in.title)) return true;
  if ((x & dgxFooter3D) && in.footer) return true;
  if ((x & dgxData3D) && !in.fixed && !in.footer) return true;
  if ((x & dgxFixed3D) && (x & (dgxData3D | dgxFrozen3D)) && in.indicator && in.filler) return true;
  if ((x & dgxFrozen3D) && in.fixed && !in.indicator && !in.title) return true;
  return false;
}

}  // namespace grid
