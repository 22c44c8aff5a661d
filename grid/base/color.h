// Colours as the grid stores them: either a fixed RGB value or a reference to
// one of the system colours, resolved to RGB only when painting.
#pragma once

#include <cstdint>

namespace grid {

// 0x00BBGGRR for fixed colours; system colours carry kSystemColorFlag in the
// high byte and the system colour index in the low byte.
using TColor = std::uint32_t;

inline constexpr TColor kSystemColorFlag = 0xFF000000u;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clHighlight = kSystemColorFlag | 13;
inline constexpr TColor clHighlightText = kSystemColorFlag | 14;
inline constexpr TColor clBtnFace = kSystemColorFlag | 15;
inline constexpr TColor clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColor clWindow = kSystemColorFlag | 5;
inline constexpr TColor clWindowText = kSystemColorFlag | 8;
inline constexpr TColor clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColor cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColor cl3DLight = kSystemColorFlag | 22;

constexpr TColor RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

constexpr bool IsSystemColor(TColor c) { return (c & kSystemColorFlag) == kSystemColorFlag; }

// Returns the 0x00BBGGRR value of a colour; system colours come from the
// classic default desktop scheme. Unknown system indexes resolve to black.
TColor ResolveColor(TColor c);

}  // namespace grid
