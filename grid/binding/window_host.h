// What the grid core asks of the window that shows it: repaints and the
// client size. The widget implements it; tests use a recording fake.
#pragma once

#include "grid/view/rect.h"

namespace grid {

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Marks a rectangle of the client area for repainting.
  virtual void Invalidate(const Rect& rect) = 0;
  // Marks the whole client area for repainting.
  virtual void InvalidateAll() = 0;
  // Moves the pixels of `area` by (dx, dy), keeping them inside `clip`, and
  // marks the uncovered part for repainting.
  virtual void Scroll(int dx, int dy, const Rect& area, const Rect& clip) = 0;
  // Paints what is marked for repainting now rather than later.
  virtual void UpdateNow() {}
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

}  // namespace grid
