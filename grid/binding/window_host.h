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
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

}  // namespace grid
