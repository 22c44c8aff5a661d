#include "grid/base/color.h"

namespace grid {

TColor ResolveColor(TColor c) {
  if (!IsSystemColor(c)) return c & 0x00FFFFFFu;
  switch (c & 0xFFu) {
    case 5:  // window background
      return RGB(255, 255, 255);
    case 8:  // window text
      return RGB(0, 0, 0);
    case 13:  // highlight
      return RGB(0, 0, 128);
    case 14:  // highlight text
      return RGB(255, 255, 255);
    case 15:  // button face
      return RGB(212, 208, 200);
    case 16:  // button shadow
      return RGB(128, 128, 128);
    case 20:  // button highlight
      return RGB(255, 255, 255);
    case 21:  // 3D dark shadow
      return RGB(64, 64, 64);
    case 22:  // 3D light
      return RGB(212, 208, 200);
    default:
      return RGB(0, 0, 0);
  }
}

}  // namespace grid
