// The surface the grid measures and draws on. The widget implements it with
// the platform's painter; the core also has a fixed-metrics version for
// measuring before any window exists. The drawing calls are the few the grid
// needs, each meaning what the classic desktop drawing call of the same name
// does (text cells that fill and clip at once, pen lines that leave out their
// end point, inner 3D edges, a dotted focus frame, check box controls).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "grid/base/color.h"
#include "grid/base/font.h"
#include "grid/base/rect.h"

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

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size&) const = default;
};

// A pen line from `from` towards `to`; the end point itself is not drawn.
struct LineSegment {
  Point from;
  Point to;
  bool operator==(const LineSegment&) const = default;
};

enum class TextAlign : std::uint8_t { Left, Right, Center };

// How DrawText lays text out in its rectangle.
struct TextFormat {
  TextAlign align = TextAlign::Left;
  bool word_break = false;    // break lines between words to fit the width
  bool end_ellipsis = false;  // a line that does not fit ends in "..."
  // Extra space inside the rectangle before and after each line.
  int left_margin = 0;
  int right_margin = 0;
  bool operator==(const TextFormat&) const = default;
};

// The inner, one-pixel 3D edges of a cell frame.
enum class EdgeStyle : std::uint8_t {
  RaisedInner,  // light on top and left, shadow on bottom and right
  SunkenInner,  // dark on top and left, light on bottom and right
};

// Which sides of a rectangle DrawEdge draws, combined as bits.
enum EdgeSide : unsigned {
  kEdgeLeft = 1,
  kEdgeTop = 2,
  kEdgeRight = 4,
  kEdgeBottom = 8,
  kEdgeRect = kEdgeLeft | kEdgeTop | kEdgeRight | kEdgeBottom,
};

enum class CheckBoxState : std::uint8_t { Unchecked, Checked, Grayed };

// A small one-colour picture of at most 16 × 16 pixels. Row y holds its
// pixels as bits, the leftmost pixel in bit width − 1, so a row reads as the
// binary literal of the picture; clear bits are transparent.
struct MonoImage {
  int width = 0;
  int height = 0;
  std::array<std::uint16_t, 16> rows{};

  bool Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return (rows[static_cast<std::size_t>(y)] >> (width - 1 - x)) & 1u;
  }
};

// The colours of the light and the dark lines of an inner 3D edge.
struct EdgeColors {
  TColor top_left = 0;
  TColor bottom_right = 0;
};
EdgeColors EdgeColorsOf(EdgeStyle edge);

class Canvas {
 public:
  virtual ~Canvas() = default;

  // --- Measuring ---
  // Selects the font (and, with it, the text colour) used by the following
  // measurements and drawing.
  virtual void SetFont(const FontSpec& font) = 0;
  // Metrics of the selected font.
  virtual TextMetrics Metrics() = 0;
  // Width in pixels of UTF-8 text drawn in the selected font, overhang included.
  virtual int TextWidth(std::string_view text) = 0;
  // Height in pixels of a line of text in the selected font.
  virtual int TextHeight(std::string_view text) = 0;
  // Height the text takes when laid out in `width` pixels with `format`
  // (margins included in the width); one line's height for empty text.
  virtual int MeasureTextHeight(int width, std::string_view text, const TextFormat& format);
  // The colour the surface really shows for `color` (RGB); surfaces with
  // fewer colours answer the nearest one they have.
  virtual TColor NearestColor(TColor color) { return color & 0x00FFFFFFu; }
  // Pixel size of a check box control.
  virtual Size CheckBoxSize() { return {13, 13}; }

  // --- Drawing ---
  // Colours may be fixed or system colours; the canvas resolves them.
  virtual void FillRect(const Rect& rect, TColor color) = 0;
  // Fills `rect` with `background`, then draws one line of text in the
  // selected font whose top-left is (x, y), clipped to `rect`.
  virtual void TextOutOpaque(int x, int y, const Rect& rect, TColor background,
                             std::string_view text) = 0;
  // Draws text (no background) laid out in `rect` by `format`, top aligned,
  // clipped to `rect`. Tabs expand; '&' is plain text.
  virtual void DrawText(const Rect& rect, std::string_view text, const TextFormat& format) = 0;
  // Draws all `lines` with one pen of `color` and `width` pixels; a width
  // above 1 draws flat-ended lines centred on the segment.
  virtual void PolyPolyline(const std::vector<LineSegment>& lines, TColor color, int width) = 0;
  // Draws a one-pixel inner 3D edge on the given `sides` of `rect`, inside it.
  virtual void DrawEdge(const Rect& rect, EdgeStyle edge, unsigned sides) = 0;
  // Inverts every other pixel along the inside border of `rect`: drawing it
  // twice restores the picture.
  virtual void DrawFocusRect(const Rect& rect) = 0;
  // Draws a check box control filling `rect`; `flat` draws a plain frame of
  // the button shadow colour instead of the sunken 3D frame.
  virtual void DrawCheckBox(const Rect& rect, CheckBoxState state, bool flat) = 0;
  // Draws the set pixels of `image` in `color`, its top-left at (x, y).
  virtual void DrawMonoImage(int x, int y, const MonoImage& image, TColor color) = 0;
  // Narrows drawing to the intersection of the current clip and `rect`
  // until the matching PopClip.
  virtual void PushClip(const Rect& rect) = 0;
  virtual void PopClip() = 0;
};

// A canvas with fixed cell metrics, as a bitmap CJK font has them: a line is
// |height| pixels high (ascent |height| − 1, descent 1, no leading), each
// single-byte character is |height| / 2 pixels wide and every other character
// |height| pixels. An optional overhang is added once per measured text.
// With "宋体" height −12 this gives the grid's reference metrics: "0" is 6
// pixels wide and a text line 12 pixels high. It measures only: drawing
// calls do nothing.
class FixedMetricsCanvas : public Canvas {
 public:
  explicit FixedMetricsCanvas(int overhang = 0) : overhang_(overhang) {}

  void SetFont(const FontSpec& font) override { font_ = font; }
  TextMetrics Metrics() override;
  int TextWidth(std::string_view text) override;
  int TextHeight(std::string_view) override { return Pixels(); }

  void FillRect(const Rect&, TColor) override {}
  void TextOutOpaque(int, int, const Rect&, TColor, std::string_view) override {}
  void DrawText(const Rect&, std::string_view, const TextFormat&) override {}
  void PolyPolyline(const std::vector<LineSegment>&, TColor, int) override {}
  void DrawEdge(const Rect&, EdgeStyle, unsigned) override {}
  void DrawFocusRect(const Rect&) override {}
  void DrawCheckBox(const Rect&, CheckBoxState, bool) override {}
  void DrawMonoImage(int, int, const MonoImage&, TColor) override {}
  void PushClip(const Rect&) override {}
  void PopClip() override {}

  const FontSpec& Font() const { return font_; }

 private:
  int Pixels() const { return font_.height < 0 ? -font_.height : font_.height; }

  FontSpec font_;
  int overhang_;
};

// Splits text into the lines DrawText shows in `width` pixels: at line
// breaks, and with `word_break` between words (a word wider than the width
// stays whole on its own line). Measures with the canvas's selected font.
std::vector<std::string_view> LayoutTextLines(Canvas& canvas, std::string_view text, int width,
                                              bool word_break);

}  // namespace grid
