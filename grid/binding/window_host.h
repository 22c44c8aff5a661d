// What the grid core asks of the window that shows it: repaints, the
// client size, scroll bars, and for input timers, mouse capture, focus, the
// pointer shape and inverted lines. The widget implements it; tests use a
// recording fake.
#pragma once

#include "grid/base/rect.h"
#include "grid/binding/input_types.h"
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

  // --- Input support. The defaults suit a window that offers none of it:
  // no timers, no capture, always focused.
  // The vertical bar's track position (where the thumb was dropped), which
  // may differ from its position.
  virtual int VerticalBarTrackPos() const { return VerticalBar().pos; }
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
