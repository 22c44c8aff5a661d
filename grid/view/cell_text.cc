#include "grid/view/cell_text.h"

#include <algorithm>
#include <vector>

namespace grid {
namespace {

constexpr std::string_view kEllipsis = "...";

// Byte length of the UTF-8 sequence that starts with `lead`.
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 1;
}

void DrawWrapped(Canvas& canvas, const CellTextInput& in) {
  canvas.FillRect(in.rect, in.background);
  Rect text_rect{in.rect.left + in.left_margin, in.rect.top + in.top_margin,
                 in.rect.right - in.left_margin, in.rect.bottom - in.top_margin};
  TextFormat format;
  format.align = in.align;
  format.word_break = in.wrap;
  format.end_ellipsis = in.end_ellipsis;
  format.left_margin = in.text_left_margin;
  format.right_margin = in.text_right_margin;
  if (in.layout != TextLayout::Top) {
    int text_height = canvas.MeasureTextHeight(text_rect.Width(), in.text, format);
    text_rect.top = in.layout == TextLayout::Center
                        ? text_rect.top + text_rect.Height() / 2 - text_height / 2
                        : text_rect.bottom - text_height;
  }
  if (in.left_margin > 0) text_rect.bottom += 1;
  canvas.PushClip(in.rect);
  canvas.DrawText(text_rect, in.text, format);
  canvas.PopClip();
}

}  // namespace

std::string ShortenToFit(std::string_view text, Canvas& canvas, int width) {
  std::string result(text);
  if (canvas.TextWidth(result) <= width) return result;
  // Character boundaries with their length in code-page units.
  std::vector<std::size_t> bytes_at{0};
  std::vector<int> units_at{0};
  for (std::size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t len = std::min(SequenceLength(lead), text.size() - i);
    i += len;
    bytes_at.push_back(i);
    units_at.push_back(units_at.back() + (lead < 0x80 ? 1 : 2));
  }
  const int total = units_at.back();
  std::size_t keep = bytes_at.size() - 1;
  for (int i = 2; i <= total; ++i) {
    int limit = std::max(0, total - i);
    while (keep > 0 && units_at[keep] > limit) --keep;
    result.assign(text.substr(0, bytes_at[keep]));
    result += kEllipsis;
    if (canvas.TextWidth(result) <= width) break;
  }
  return result;
}

void DrawCellText(Canvas& canvas, const CellTextInput& in) {
  const TColor brush = ResolveColor(in.background);
  if (in.wrap || canvas.NearestColor(brush) != brush) {
    DrawWrapped(canvas, in);
    return;
  }
  std::string shortened;
  std::string_view text = in.text;
  if (in.end_ellipsis) {
    shortened = ShortenToFit(text, canvas, in.rect.Width() - in.left_margin);
    text = shortened;
  }
  const int text_width = canvas.TextWidth(text);
  int x = in.rect.left + in.left_margin;
  if (in.align == TextAlign::Right) {
    x = in.rect.right - text_width - 3;
  } else if (in.align == TextAlign::Center) {
    x = in.rect.left + (in.rect.Empty() ? 0 : in.rect.Width() / 2 - text_width / 2);
  }
  canvas.TextOutOpaque(x, in.rect.top + in.top_margin, in.rect, brush, text);
}

}  // namespace grid
