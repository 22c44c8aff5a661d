// Pixel rectangles of the grid's client area: left, top, right, bottom with
// right and bottom exclusive.
#pragma once

namespace grid {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

}  // namespace grid
