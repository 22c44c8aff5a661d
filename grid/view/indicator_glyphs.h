// The pictures of the indicator column: 6 × 11 pixels each, drawn by the
// record source's state next to the current record.
#pragma once

#include "grid/base/canvas.h"

namespace grid {

inline constexpr int kIndicatorGlyphWidth = 6;
inline constexpr int kIndicatorGlyphHeight = 11;

enum IndicatorGlyphIndex {
  kGlyphArrow = 0,        // current record, browsing
  kGlyphEdit = 1,         // current record being edited (I-beam)
  kGlyphInsert = 2,       // current record being inserted (asterisk)
  kGlyphMultiDot = 3,     // selected record
  kGlyphMultiArrow = 4,   // current record, selected
  kGlyphWhiteArrow = 5,   // selected current record
  kGlyphSearchArrow = 6,  // white arrow on yellow: type-ahead search
  kIndicatorGlyphCount = 7,
};

struct IndicatorGlyph {
  MonoImage image;
  TColor color = clBlack;
  bool has_background = false;  // the glyph's own background fills its box
  TColor background = 0;
};

// The glyph of `index`; the arrow for an index out of range.
const IndicatorGlyph& IndicatorGlyphAt(int index);

// Draws glyph `index` with its top-left at (x, y); pixels outside the
// picture are left as they are.
void DrawIndicatorGlyph(Canvas& canvas, int index, int x, int y);

}  // namespace grid
