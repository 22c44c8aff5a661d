// The widget's input: Qt's key, mouse, wheel, focus, timer and scroll-bar
// events turned into the grid core's calls, and the window services the
// core asks for while handling them (timers, capture, focus, cursor,
// inverted lines). A failure of the core ends the handler and goes to the
// widget's error reporter (see Guarded).
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimerEvent>
#include <QWheelEvent>
#include <algorithm>
#include <memory>

#include "grid/qt/data_grid_widget.h"

namespace grid {
namespace {

TShiftState ShiftOf(Qt::KeyboardModifiers modifiers) {
  TShiftState shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  return shift;
}

TGridKey KeyOf(int key) {
  switch (key) {
    case Qt::Key_Up:
      return TGridKey::Up;
    case Qt::Key_Down:
      return TGridKey::Down;
    case Qt::Key_Left:
      return TGridKey::Left;
    case Qt::Key_Right:
      return TGridKey::Right;
    case Qt::Key_PageUp:
      return TGridKey::PageUp;
    case Qt::Key_PageDown:
      return TGridKey::PageDown;
    case Qt::Key_Home:
      return TGridKey::Home;
    case Qt::Key_End:
      return TGridKey::End;
    case Qt::Key_Escape:
      return TGridKey::Escape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return TGridKey::Enter;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return TGridKey::Tab;
    case Qt::Key_Insert:
      return TGridKey::Insert;
    case Qt::Key_Delete:
      return TGridKey::Delete;
    case Qt::Key_F2:
      return TGridKey::F2;
    case Qt::Key_A:
      return TGridKey::A;
    case Qt::Key_C:
      return TGridKey::C;
    case Qt::Key_F:
      return TGridKey::F;
    case Qt::Key_V:
      return TGridKey::V;
    case Qt::Key_X:
      return TGridKey::X;
    case Qt::Key_Apostrophe:
      return TGridKey::Quote;
    default:
      return TGridKey::Other;
  }
}

bool ButtonOf(Qt::MouseButton qt, TMouseButton* button) {
  switch (qt) {
    case Qt::LeftButton:
      *button = TMouseButton::Left;
      return true;
    case Qt::RightButton:
      *button = TMouseButton::Right;
      return true;
    case Qt::MiddleButton:
      *button = TMouseButton::Middle;
      return true;
    default:
      return false;
  }
}

// The window system's code for a slider action; false for none.
bool CodeOf(int action, TScrollCode* code) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      *code = SB_LINEUP;
      return true;
    case QAbstractSlider::SliderSingleStepAdd:
      *code = SB_LINEDOWN;
      return true;
    case QAbstractSlider::SliderPageStepSub:
      *code = SB_PAGEUP;
      return true;
    case QAbstractSlider::SliderPageStepAdd:
      *code = SB_PAGEDOWN;
      return true;
    case QAbstractSlider::SliderToMinimum:
      *code = SB_TOP;
      return true;
    case QAbstractSlider::SliderToMaximum:
      *code = SB_BOTTOM;
      return true;
    case QAbstractSlider::SliderMove:
      *code = SB_THUMBTRACK;
      return true;
    default:
      return false;
  }
}

// Puts a bar's thumb back where the core's values say, after Qt moved it
// for an action the core may have answered with no move at all.
void ResetThumb(QScrollBar& bar, const ScrollInfo& info) {
  const QSignalBlocker quiet(bar);
  const int pos = std::clamp(info.pos, bar.minimum(), bar.maximum());
  bar.setSliderPosition(pos);
  if (bar.value() != pos) bar.setValue(pos);
}

// A scroll bar that knows when its context menu is being answered (the
// menu's "Scroll here" sets the value directly, with no action, as Qt's own
// corrections do; only the menu's is a request to move), and whose thumb
// stays on its value outside a drag.
class GridScrollBar : public QScrollBar {
 public:
  explicit GridScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}
  bool AnsweringMenu() const { return answering_menu_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override {
    answering_menu_ = true;
    QScrollBar::contextMenuEvent(event);
    answering_menu_ = false;
  }
  // A held page area repeats on a timer, and Qt stops the repeat by moving
  // the thumb under the pointer without changing the value.
  void timerEvent(QTimerEvent* event) override {
    QScrollBar::timerEvent(event);
    if (!isSliderDown() && sliderPosition() != value()) setSliderPosition(value());
  }

 private:
  bool answering_menu_ = false;
};

bool AnsweringMenu(QScrollBar* bar) {
  auto* ours = dynamic_cast<GridScrollBar*>(bar);
  return ours != nullptr && ours->AnsweringMenu();
}

}  // namespace

void DataGridWidget::ConnectInput() {
  // Pointer moves without a button show the sizing cursor over title edges.
  viewport()->setMouseTracking(true);
  setVerticalScrollBar(std::make_unique<GridScrollBar>(Qt::Vertical).release());
  setHorizontalScrollBar(std::make_unique<GridScrollBar>(Qt::Horizontal).release());
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    // Dragging the thumb moves nothing until it is released.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::NoFocus);
  }
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { Guarded([&] { VerticalBarAction(action); }); });
  connect(verticalScrollBar(), &QAbstractSlider::sliderReleased, this, [this] {
    vert_track_pos_ = verticalScrollBar()->sliderPosition();
    Guarded([&] { grid_->VerticalScroll(SB_THUMBPOSITION, vert_track_pos_); });
    ResetThumb(*verticalScrollBar(), vert_info_);
  });
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this,
          &DataGridWidget::VerticalBarMoved);
  connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this,
          &DataGridWidget::HorizontalBarMoved);
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { Guarded([&] { HorizontalBarAction(action); }); });
  connect(horizontalScrollBar(), &QAbstractSlider::sliderReleased, this, [this] {
    Guarded([&] {
      grid_->HorizontalScroll(SB_THUMBPOSITION, horizontalScrollBar()->sliderPosition());
    });
    ResetThumb(*horizontalScrollBar(), horz_info_);
  });
}

// The bars show the core's values only: a value Qt changes on its own goes
// back to the core's. "Scroll here" from the bar's menu is a thumb dropped
// at that position.
void DataGridWidget::VerticalBarMoved(int value) {
  QScrollBar& bar = *verticalScrollBar();
  if (AnsweringMenu(&bar)) {
    vert_track_pos_ = value;
    Guarded([&] { grid_->VerticalScroll(SB_THUMBPOSITION, value); });
  }
  if (!bar.isSliderDown()) ResetThumb(bar, vert_info_);
}

void DataGridWidget::HorizontalBarMoved(int value) {
  QScrollBar& bar = *horizontalScrollBar();
  if (AnsweringMenu(&bar)) Guarded([&] { grid_->HorizontalScroll(SB_THUMBPOSITION, value); });
  if (!bar.isSliderDown()) ResetThumb(bar, horz_info_);
}

void DataGridWidget::VerticalBarAction(int action) {
  TScrollCode code;
  if (!CodeOf(action, &code)) return;
  QScrollBar& bar = *verticalScrollBar();
  vert_track_pos_ = bar.sliderPosition();
  // While the thumb is dragged the bar shows where it is; otherwise it
  // shows the core's answer.
  if (code == SB_THUMBTRACK) {
    grid_->VerticalScroll(code, vert_track_pos_);
    return;
  }
  ResetThumb(bar, vert_info_);
  grid_->VerticalScroll(code, vert_track_pos_);
  ResetThumb(bar, vert_info_);
}

void DataGridWidget::HorizontalBarAction(int action) {
  TScrollCode code;
  if (!CodeOf(action, &code)) return;
  QScrollBar& bar = *horizontalScrollBar();
  if (code == SB_THUMBTRACK) {
    grid_->HorizontalScroll(code, bar.sliderPosition());
    return;
  }
  ResetThumb(bar, horz_info_);
  grid_->HorizontalScroll(code, bar.sliderPosition());
  ResetThumb(bar, horz_info_);
}

// --- Keys, mouse, wheel ---------------------------------------------------------------------

void DataGridWidget::keyPressEvent(QKeyEvent* event) {
  Guarded([&] { grid_->KeyDown(KeyOf(event->key()), ShiftOf(event->modifiers())); });
  event->accept();
}

void DataGridWidget::mousePressEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return;
  const QPoint p = event->position().toPoint();
  Guarded([&] { grid_->MouseDown(button, ShiftOf(event->modifiers()), p.x(), p.y()); });
  event->accept();
}

void DataGridWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return;
  const QPoint p = event->position().toPoint();
  Guarded([&] {
    grid_->MouseDown(button, ShiftOf(event->modifiers()), p.x(), p.y(), /*double_click=*/true);
  });
  event->accept();
}

void DataGridWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  Guarded([&] { grid_->MouseMove(ShiftOf(event->modifiers()), p.x(), p.y()); });
  event->accept();
}

void DataGridWidget::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) return;
  const QPoint p = event->position().toPoint();
  Guarded([&] { grid_->MouseUp(button, ShiftOf(event->modifiers()), p.x(), p.y()); });
  event->accept();
}

void DataGridWidget::wheelEvent(QWheelEvent* event) {
  // Qt counts in the window system's units: 120 a notch, less for
  // high-resolution wheels.
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  bool used = true;
  Guarded([&] { used = grid_->MouseWheel(delta, ShiftOf(event->modifiers())); });
  if (used) {
    event->accept();
  } else {
    event->ignore();
  }
}

// --- Focus ------------------------------------------------------------------------------------

bool DataGridWidget::CanFocus() const {
  return isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus;
}

void DataGridWidget::SetFocus() { setFocus(Qt::MouseFocusReason); }

bool DataGridWidget::HasFocus() const { return hasFocus(); }

void DataGridWidget::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  Guarded([&] { grid_->FocusEntered(); });
}

void DataGridWidget::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  const Qt::FocusReason reason = event->reason();
  const bool window_left = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
  Guarded([&] {
    // Another window taking over cancels any drag, as the window system does.
    if (window_left) grid_->CancelMode();
    grid_->FocusLeft();
    // Moving to another control of the window is the grid's exit.
    if (!window_left) grid_->DoExit();
  });
}

// --- Timers, cursor, inverted lines -------------------------------------------------------------

void DataGridWidget::StartTimer(int id, int interval_ms) {
  timers_[id].start(std::max(interval_ms, 0), this);
}

void DataGridWidget::StopTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second.stop();
  timers_.erase(it);
}

void DataGridWidget::timerEvent(QTimerEvent* event) {
  for (const auto& [id, timer] : timers_) {
    if (timer.timerId() == event->timerId()) {
      const int tick = id;  // the tick may stop this very timer
      Guarded([&] { grid_->TimerTick(tick); });
      return;
    }
  }
  QAbstractScrollArea::timerEvent(event);
}

void DataGridWidget::SetCursorShape(TCursor cursor) {
  if (cursor == TCursor::crHSplit) {
    viewport()->setCursor(Qt::SplitHCursor);
  } else {
    viewport()->unsetCursor();
  }
}

void DataGridWidget::InvertDottedLine(const Rect& rect) {
  const QRect r(rect.left, rect.top, rect.Width(), rect.Height());
  auto it = std::find(overlays_.begin(), overlays_.end(), r);
  if (it != overlays_.end()) {
    overlays_.erase(it);
  } else {
    overlays_.push_back(r);
  }
  // At once, so that pixels the core scrolls next never carry a stale line.
  if (viewport()->isVisible()) viewport()->repaint(r);
}

void DataGridWidget::PaintOverlays(QPainter& painter, const QRect& area) {
  if (overlays_.empty()) return;
  painter.save();
  // A dotted pattern, inverted over what the grid painted.
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  for (const QRect& r : overlays_) {
    const QRect visible = r.intersected(area);
    if (!visible.isEmpty()) painter.fillRect(visible, QBrush(Qt::white, Qt::Dense4Pattern));
  }
  painter.restore();
}

}  // namespace grid
