// What the grid core asks of the window that shows it: repaints, scrolling
// of its pixels, its two scroll bars and the client size. The widget
// implements it; tests use a recording fake.
#pragma once

#include "grid/view/rect.h"
#include "grid/view/scroll_bar.h"

namespace grid {

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // --- Repaints ---
  // Marks a rectangle of the client area for repainting.
  virtual void Invalidate(const Rect& rect) = 0;
  // Marks the whole client area for repainting.
  virtual void InvalidateAll() = 0;
  // Drops what is marked for repainting inside `rect` (the whole client area
  // for ValidateAll). The grid always marks the area again right after, so a
  // window system that merges repaint requests may ignore these.
  virtual void Validate(const Rect& rect) = 0;
  virtual void ValidateAll() = 0;
  // Moves the pixels of `area` by (dx, dy), changing nothing outside `clip`,
  // and marks the part of `clip` the move uncovers for repainting. Areas
  // already marked inside `clip` move with the pixels.
  virtual void Scroll(int dx, int dy, const Rect& area, const Rect& clip) = 0;
  // Paints what is marked for repainting now rather than later.
  virtual void UpdateNow() = 0;

  // --- Scroll bars, with the window system's values: min..max inclusive,
  // a page of `page` positions, so the last position is max − page + 1 ---
  // The window's own vertical scroll bar.
  virtual ScrollInfo VerticalBar() const = 0;
  // Writes the values; a range that can scroll shows the bar and enables
  // its arrows, as the window system does.
  virtual void SetVerticalBar(const ScrollInfo& info) = 0;
  virtual void ShowVerticalBar(bool show) = 0;
  // Enables or disables both arrows of the vertical bar.
  virtual void EnableVerticalArrows(bool enable) = 0;
  // The window's own horizontal scroll bar: shown while its range can
  // scroll, hidden when it has nothing to scroll.
  virtual ScrollInfo HorizontalBar() const = 0;
  virtual void SetHorizontalBar(const ScrollInfo& info) = 0;

  // --- Size ---
  virtual int ClientWidth() const = 0;
  virtual int ClientHeight() const = 0;
};

}  // namespace grid
