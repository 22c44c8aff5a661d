// The 48 by 48 picture at the left of the window's banner: a database drum
// with a quill writing on it, drawn in code.
#pragma once

#include <QPixmap>

namespace app {

inline constexpr int kBannerPictureSize = 48;

// Returns the picture; its background is transparent.
QPixmap BannerPicture();

}  // namespace app
