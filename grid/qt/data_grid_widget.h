// DataGridWidget: the data grid as a Qt widget. It shows a TDataGrid core
// and is the core's window: repaint requests, moving pixels when rows or
// columns scroll, the two scroll bars with the window system's range, page
// and position, and the client size. Painting is the core's, over a
// QtCanvas. Keyboard, mouse, wheel, focus, timer and scroll-bar input are
// translated in data_grid_widget_input.cc.
//
// Built on QAbstractScrollArea because it already is what the core expects
// of a window: a client area (the viewport) that excludes the border and the
// scroll bars and shrinks when a bar appears, the sunken border itself, and
// bars whose values the core sets. The area never scrolls anything itself:
// the core moves the pixels.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPainter>
#include <QRegion>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/binding/data_grid.h"
#include "grid/binding/window_host.h"
#include "grid/qt/qt_canvas.h"

namespace grid {

class DataGridWidget : public QAbstractScrollArea, public WindowHost {
  Q_OBJECT

 public:
  // A widget with a grid core of its own.
  explicit DataGridWidget(QWidget* parent = nullptr);
  // A widget showing `grid`, which must outlive the widget. The core is
  // given this widget as its window at once.
  explicit DataGridWidget(TDataGrid& grid, QWidget* parent = nullptr);
  ~DataGridWidget() override;

  TDataGrid& Grid() { return *grid_; }

  // --- WindowHost ---
  void Invalidate(const Rect& rect) override;
  void InvalidateAll() override;
  void Validate(const Rect& rect) override;
  void ValidateAll() override;
  void Scroll(int dx, int dy, const Rect& area, const Rect& clip) override;
  void UpdateNow() override;
  ScrollInfo VerticalBar() const override { return vert_info_; }
  void SetVerticalBar(const ScrollInfo& info) override;
  void ShowVerticalBar(bool show) override;
  void EnableVerticalArrows(bool enable) override;
  ScrollInfo HorizontalBar() const override { return horz_info_; }
  void SetHorizontalBar(const ScrollInfo& info) override;
  int ClientWidth() const override;
  int ClientHeight() const override;
  // Input support, in data_grid_widget_input.cc.
  int VerticalBarTrackPos() const override { return vert_track_pos_; }
  void StartTimer(int id, int interval_ms) override;
  void StopTimer(int id) override;
  void SetCapture() override { captured_ = true; }
  void ReleaseCapture() override { captured_ = false; }
  bool HasCapture() const override { return captured_; }
  bool CanFocus() const override;
  void SetFocus() override;
  bool HasFocus() const override;
  void SetCursorShape(TCursor cursor) override;
  void InvertDottedLine(const Rect& rect) override;

  // What is marked for repainting and not painted yet (for tests).
  const QRegion& PendingRepaint() const { return pending_; }

  // A failure of the core inside one of this widget's key, mouse, wheel,
  // focus, timer, scroll-bar or resize handlers never leaves the handler
  // (Qt cannot unwind through its event dispatch): the handler ends, any
  // drag it started is cancelled, and `reporter` gets the message from the
  // event loop afterwards, so it may show a box. Without a reporter the
  // message goes to the terminal. A failure while painting leaves the area
  // in the grid's colour and is reported the same way, but only once until
  // a paint succeeds again: the box over the grid asks for the same paint.
  using ErrorReporter = std::function<void(const std::string& message)>;
  void SetErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
  // Paints that failed so far (for tests).
  int PaintFailures() const { return paint_failures_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // The core moves the pixels itself; the bars only show its values.
  void scrollContentsBy(int, int) override {}
  // Input, turned into the core's calls (data_grid_widget_input.cc).
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void Attach();
  // Input: hooks the scroll bars' actions up to the core.
  void ConnectInput();
  void VerticalBarAction(int action);
  void HorizontalBarAction(int action);
  // Draws the inverted lines (sizing line, drop marker) over a paint.
  void PaintOverlays(QPainter& painter, const QRect& area);
  // Runs `work`, a call into the core from an event handler, catching its
  // failure (see SetErrorReporter).
  template <typename Work>
  void Guarded(Work&& work) {
    try {
      work();
    } catch (...) {
      HandlerFailed(std::current_exception());
    }
  }
  void HandlerFailed(std::exception_ptr failure);
  // Hands `message` to the reporter once the current event is over, or to
  // the terminal without one.
  void Report(const std::string& message);
  // The bars' values changed without an action: Qt's own correction, or the
  // context menu's "Scroll here".
  void VerticalBarMoved(int value);
  void HorizontalBarMoved(int value);

  std::unique_ptr<TDataGrid> owned_grid_;
  TDataGrid* grid_;
  // Where the core measures text between paints: the real fonts.
  QtCanvas measure_canvas_;
  // The bars' values as the core wrote them; the Qt bars show them mapped
  // to Qt's range, in which the last position is the maximum.
  ScrollInfo vert_info_;
  ScrollInfo horz_info_;
  // Marked areas not yet painted, so that a scroll can move them with the
  // pixels and an immediate paint knows what to paint.
  QRegion pending_;
  // Input state: running timers by id, the capture from a press to its
  // release, the inverted lines on screen, the thumb's drop position.
  std::map<int, QBasicTimer> timers_;
  bool captured_ = false;
  std::vector<QRect> overlays_;
  int vert_track_pos_ = 0;
  ErrorReporter reporter_;
  int paint_failures_ = 0;
  std::string last_paint_failure_;  // reported already; empty after a good paint
};

}  // namespace grid
