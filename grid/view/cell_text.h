// Text in a cell: the cell background filled and the text placed by the
// cell's alignment and margins, shortened with "..." when asked.
#pragma once

#include <string>
#include <string_view>

#include "grid/base/canvas.h"

namespace grid {

enum class TextLayout { Top, Center, Bottom };

struct CellTextInput {
  Rect rect;
  int left_margin = 2;  // from the cell's left edge to the text
  int top_margin = 2;   // from the cell's top edge to the text
  std::string_view text;
  TextAlign align = TextAlign::Left;
  TextLayout layout = TextLayout::Top;
  bool wrap = false;
  bool end_ellipsis = false;
  // Margins inside the text rectangle, used only by the wrapped path.
  int text_left_margin = 0;
  int text_right_margin = 0;
  TColor background = 0;  // the brush the cell is filled with
};

// Draws the cell text with the selected font and fills the rest of the
// rectangle with the background. A pure background colour without wrapping
// takes one clipped, opaque text call: left text starts left_margin in,
// right-aligned text ends 3 pixels before the right edge, centred text sits
// in the middle, all top_margin below the top. Otherwise the background is
// filled and the text laid out by DrawText in the rectangle less the
// margins, clipped to the cell.
void DrawCellText(Canvas& canvas, const CellTextInput& in);

// Returns `text` unchanged when it fits in `width` pixels; else the longest
// start of it, two or more characters shorter, followed by "...". Lengths
// count as the double-byte code page counts them (two for each character
// outside ASCII), and only whole characters are kept. The result may be
// "..." alone and still wider than `width`.
std::string ShortenToFit(std::string_view text, Canvas& canvas, int width);

}  // namespace grid
