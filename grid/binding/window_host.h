// What the grid core asks of the window that shows it: repaints, the
// client size, scroll bars, and for input timers, mouse capture, focus, the
// pointer shape and inverted lines. The widget implements it; tests use a
// recording fake.
#pragma once

#include "grid/binding/input_types.h"
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

  // --- Input support. The defaults suit a window that offers none of it:
  // no timers, no capture, always focused, no horizontal bar.
  // The vertical bar's track position (where the thumb was dropped), which
  // may differ from its position.
  virtual int VerticalBarTrackPos() const { return VerticalBar().pos; }
  // The window's own horizontal scroll bar; a range of 0..0 hides it.
  virtual ScrollInfo HorizontalBar() const { return {}; }
  virtual void SetHorizontalBar(const ScrollInfo& info) { (void)info; }
  // Starts (or restarts with a new interval) the timer `id`; its ticks come
  // back as TDataGrid::TimerTick(id).
  virtual void StartTimer(int id, int interval_ms) {
    (void)id;
    (void)interval_ms;
  }
  virtual void StopTimer(int id) { (void)id; }
  // Mouse capture: pointer moves keep arriving while the pointer is
  // outside the window, until released.
  virtual void SetCapture() {}
  virtual void ReleaseCapture() {}
  virtual bool HasCapture() const { return false; }
  // Focus: whether the window can take it, asking for it, having it.
  virtual bool CanFocus() const { return true; }
  virtual void SetFocus() {}
  virtual bool HasFocus() const { return true; }
  // The pointer shape over the window.
  virtual void SetCursorShape(TCursor cursor) { (void)cursor; }
  // Inverts a dotted line filling `rect` over what is shown; inverting the
  // same rectangle again restores the picture.
  virtual void InvertDottedLine(const Rect& rect) { (void)rect; }
};

}  // namespace grid
