#include "grid/base/font.h"

namespace grid {

void TFont::SetName(const std::string& face) {
  if (spec_.face == face) return;
  spec_.face = face;
  Changed();
}

void TFont::SetHeight(int height) {
  if (spec_.height == height) return;
  spec_.height = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (spec_.style == style) return;
  spec_.style = style;
  Changed();
}

void TFont::SetCharset(int charset) {
  if (spec_.charset == charset) return;
  spec_.charset = charset;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (spec_.color == color) return;
  spec_.color = color;
  Changed();
}

void TFont::Assign(const FontSpec& spec) {
  spec_ = spec;
  Changed();
}

void TFont::Changed() {
  // Copy first: the handler may replace itself.
  if (auto handler = on_change_) handler();
}

}  // namespace grid
