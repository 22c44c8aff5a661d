// The surface the grid measures and draws text on. The widget implements it
// with the platform's painter; the core also has a fixed-metrics version for
// measuring before any window exists.
#pragma once

#include <string_view>

#include "grid/view/font.h"

namespace grid {

// Text metrics of the selected font, in pixels.
struct TextMetrics {
  int height = 0;  // ascent + descent
  int ascent = 0;
  int descent = 0;
  int internal_leading = 0;
  int external_leading = 0;
  int ave_char_width = 0;
  int overhang = 0;  // extra width that synthesised styles add to a run of text
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  // Selects the font used by the following measurements and drawing.
  virtual void SetFont(const FontSpec& font) = 0;
  // Metrics of the selected font.
  virtual TextMetrics Metrics() = 0;
  // Width in pixels of UTF-8 text drawn in the selected font, overhang included.
  virtual int TextWidth(std::string_view text) = 0;
  // Height in pixels of a line of text in the selected font.
  virtual int TextHeight(std::string_view text) = 0;
};

// A canvas with fixed cell metrics, as a bitmap CJK font has them: a line is
// |height| pixels high (ascent |height| − 1, descent 1, no leading), each
// single-byte character is |height| / 2 pixels wide and every other character
// |height| pixels. An optional overhang is added once per measured text.
// With "宋体" height −12 this gives the grid's reference metrics: "0" is 6
// pixels wide and a text line 12 pixels high.
class FixedMetricsCanvas : public Canvas {
 public:
  explicit FixedMetricsCanvas(int overhang = 0) : overhang_(overhang) {}

  void SetFont(const FontSpec& font) override { font_ = font; }
  TextMetrics Metrics() override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view) override { return Pixels(); }

  const FontSpec& Font() const { return font_; }

 private:
  int Pixels() const { return font_.height < 0 ? -font_.height : font_.height; }

  FontSpec font_;
  int overhang_;
};

}  // namespace grid
