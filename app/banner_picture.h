// The 48 by 48 picture at the left of the window's banner: a database drum
// with a quill writing on it, drawn in code.
#pragma once

#include <QPixmap>

class QPainter;

namespace app {

inline constexpr int kBannerPictureSize = 48;

// Returns the picture; its background is transparent.
QPixmap BannerPicture();

// Draws the picture with `painter` in a 48 by 48 square at the origin;
// scale the painter for other sizes (the desktop icons).
void PaintBannerPicture(QPainter& painter);

}  // namespace app
