#include "grid/base/canvas.h"

namespace grid {

EdgeColors EdgeColorsOf(EdgeStyle edge) {
  if (edge == EdgeStyle::RaisedInner) return {clBtnHighlight, clBtnShadow};
  return {cl3DDkShadow, cl3DLight};
}

namespace {

// Appends the lines of one paragraph (no line breaks inside).
void BreakParagraph(Canvas& canvas, std::string_view para, int width,
                    std::vector<std::string_view>* lines) {
  while (!para.empty()) {
    // Take whole words while they fit; the first word always goes.
    std::size_t end = para.find(' ');
    if (end == std::string_view::npos) end = para.size();
    for (;;) {
      if (end >= para.size()) break;
      std::size_t next = para.find(' ', end + 1);
      if (next == std::string_view::npos) next = para.size();
      if (canvas.TextWidth(para.substr(0, next)) > width) break;
      end = next;
    }
    lines->push_back(para.substr(0, end));
    // The spaces where the line broke belong to neither line.
    std::size_t rest = end;
    while (rest < para.size() && para[rest] == ' ') ++rest;
    para.remove_prefix(rest);
  }
}

}  // namespace

std::vector<std::string_view> LayoutTextLines(Canvas& canvas, std::string_view text, int width,
                                              bool word_break) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t nl = text.find('\n', start);
    std::string_view para = text.substr(start, nl == std::string_view::npos ? nl : nl - start);
    if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
    if (word_break && !para.empty()) {
      BreakParagraph(canvas, para, width, &lines);
    } else {
      lines.push_back(para);
    }
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

int Canvas::MeasureTextHeight(int width, std::string_view text, const TextFormat& format) {
  int inner = width - format.left_margin - format.right_margin;
  auto lines = LayoutTextLines(*this, text, inner, format.word_break);
  TextMetrics m = Metrics();
  return static_cast<int>(lines.size()) * (m.height + m.external_leading);
}

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
