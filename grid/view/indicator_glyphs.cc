#include "grid/view/indicator_glyphs.h"

#include <array>

namespace grid {
namespace {

constexpr MonoImage Glyph(std::array<std::uint16_t, 11> rows) {
  MonoImage image;
  image.width = kIndicatorGlyphWidth;
  image.height = kIndicatorGlyphHeight;
  for (std::size_t y = 0; y < rows.size(); ++y) image.rows[y] = rows[y];
  return image;
}

// Pointing right over the full height, the tip in the middle row.
constexpr MonoImage kArrow = Glyph({0b100000, 0b110000, 0b111000, 0b111100, 0b111110, 0b111111,
                                    0b111110, 0b111100, 0b111000, 0b110000, 0b100000});
// A two-pixel bar with serifs at the top and the bottom.
constexpr MonoImage kIBeam = Glyph({0b111111, 0b001100, 0b001100, 0b001100, 0b001100, 0b001100,
                                    0b001100, 0b001100, 0b001100, 0b001100, 0b111111});
// Five rows in the middle.
constexpr MonoImage kAsterisk =
    Glyph({0, 0, 0, 0b101010, 0b011100, 0b111110, 0b011100, 0b101010, 0, 0, 0});
// A filled dot, 4 wide and 5 high.
constexpr MonoImage kDot =
    Glyph({0, 0, 0, 0b001100, 0b011110, 0b011110, 0b011110, 0b001100, 0, 0, 0});
// A short arrow followed by a dot.
constexpr MonoImage kArrowDot =
    Glyph({0, 0, 0b100000, 0b110000, 0b111001, 0b111101, 0b111001, 0b110000, 0b100000, 0, 0});

const std::array<IndicatorGlyph, kIndicatorGlyphCount>& Glyphs() {
  static const std::array<IndicatorGlyph, kIndicatorGlyphCount> glyphs{{
      {kArrow, clBlack, false, 0},
      {kIBeam, clBlack, false, 0},
      {kAsterisk, clBlack, false, 0},
      {kDot, clBlack, false, 0},
      {kArrowDot, clBlack, false, 0},
      {kArrow, clWhite, false, 0},
      {kArrow, clWhite, true, clYellow},
  }};
  return glyphs;
}

}  // namespace

const IndicatorGlyph& IndicatorGlyphAt(int index) {
  if (index < 0 || index >= kIndicatorGlyphCount) index = kGlyphArrow;
  return Glyphs()[static_cast<std::size_t>(index)];
}

void DrawIndicatorGlyph(Canvas& canvas, int index, int x, int y) {
  const IndicatorGlyph& glyph = IndicatorGlyphAt(index);
  if (glyph.has_background) {
    canvas.FillRect({x, y, x + glyph.image.width, y + glyph.image.height}, glyph.background);
  }
  canvas.DrawMonoImage(x, y, glyph.image, glyph.color);
}

}  // namespace grid
