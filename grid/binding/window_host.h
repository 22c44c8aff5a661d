// What the grid core asks of the window that shows it: repaints and the
// client size. The widget implements it; tests use a recording fake.
#pragma once

#include "grid/view/rect.h"
#include "grid/view/scroll_bar.h"

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

  // The window's own vertical scroll bar.
  virtual ScrollInfo VerticalBar() const = 0;
  // Writes the values; a range that can scroll enables the arrows again,
  // as the window system does for a bar that is always shown.
  virtual void SetVerticalBar(const ScrollInfo& info) = 0;
  virtual void ShowVerticalBar(bool show) = 0;
  // Enables or disables both arrows of the vertical bar.
  virtual void EnableVerticalArrows(bool enable) = 0;
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

}  // namespace grid
