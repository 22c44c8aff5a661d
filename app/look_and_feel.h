// Fonts, style and colours of the window program.
//
// The window's font is "宋体" at 12 pixels. On Linux that family is mapped to
// "AR PL UMing CN" (Debian's fonts-arphic-uming), whose 12-pixel face has the
// metrics the layout was drawn for: height 12 (ascent 11, descent 1), digits
// 6 pixels wide, Chinese characters 12. Without the mapping Qt would fall back
// to a face two pixels taller and every row would grow.
#pragma once

#include <QFont>

namespace app {

inline constexpr const char* kFormFontFamily = "宋体";
inline constexpr const char* kSubstituteFamily = "AR PL UMing CN";
inline constexpr int kFormFontPixelSize = 12;

// Registers the "宋体"/"SimSun" substitution, the classic style and palette,
// and makes the form font the application's default. Call once, after the
// application object exists and before any widget is created.
void InstallLookAndFeel();

// "宋体", 12 pixels, not antialiased.
QFont FormFont();

}  // namespace app
