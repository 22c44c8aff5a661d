#include "grid/view/canvas.h"

namespace grid {

TextMetrics FixedMetricsCanvas::Metrics() {
  TextMetrics m;
  m.height = Pixels();
  m.descent = m.height > 0 ? 1 : 0;
  m.ascent = m.height - m.descent;
  m.ave_char_width = m.height / 2;
  m.overhang = overhang_;
  return m;
}

int FixedMetricsCanvas::TextWidth(std::string_view text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    // Lead byte tells the length of a UTF-8 sequence; continuation bytes are
    // skipped with it.
    std::size_t len = c < 0x80           ? 1
                      : (c >> 5) == 0x6  ? 2
                      : (c >> 4) == 0xE  ? 3
                      : (c >> 3) == 0x1E ? 4
                                         : 1;
    width += len == 1 ? Pixels() / 2 : Pixels();
    i += len;
  }
  return text.empty() ? 0 : width + overhang_;
}

}  // namespace grid
