#include "grid/qt/data_grid_widget.h"

#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>
#include <stdexcept>

namespace grid {
namespace {

// The message of a failure that is no std::exception.
constexpr const char* kUnknownFailure = "未知错误";

std::string MessageOf(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return kUnknownFailure;
  }
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

// Writes window-system values into a Qt bar: min..max with a page of `page`
// positions becomes min..max − page + 1 with a page step of `page`. Setting
// values is not a user action, so no scroll handler hears of it.
void WriteBar(QScrollBar& bar, const ScrollInfo& info) {
  const QSignalBlocker quiet(bar);
  const int last = std::max(info.min, info.max - std::max(info.page - 1, 0));
  bar.setRange(info.min, last);
  bar.setPageStep(std::max(info.page, 0));
  bar.setValue(std::clamp(info.pos, info.min, last));
}

}  // namespace

DataGridWidget::DataGridWidget(QWidget* parent)
    : QAbstractScrollArea(parent), owned_grid_(std::make_unique<TDataGrid>()) {
  grid_ = owned_grid_.get();
  Attach();
}

DataGridWidget::DataGridWidget(TDataGrid& grid, QWidget* parent)
    : QAbstractScrollArea(parent), grid_(&grid) {
  Attach();
}

DataGridWidget::~DataGridWidget() {
  grid_->SetHost(nullptr);
  grid_->SetCanvas(nullptr);
}

void DataGridWidget::Attach() {
  // The single border of the grid's window: a 2-pixel sunken edge.
  setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
  setFocusPolicy(Qt::StrongFocus);
  // The core covers the whole client area on every paint.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  // Bars appear when the core gives them something to scroll.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Row heights come from the fonts as they really are: measure them again.
  grid_->SetCanvas(&measure_canvas_);
  grid_->ColumnsReshaped();
  ConnectInput();
  grid_->SetHost(this);
}

// --- Repaints -------------------------------------------------------------------------------

void DataGridWidget::Invalidate(const Rect& rect) {
  if (rect.Empty()) return;
  pending_ += ToQRect(rect);
  viewport()->update(ToQRect(rect));
}

void DataGridWidget::InvalidateAll() {
  pending_ = QRegion(viewport()->rect());
  viewport()->update();
}

// Qt cannot take back a requested repaint; forgetting the area here only
// keeps it out of an immediate paint, and the core marks it again anyway.
void DataGridWidget::Validate(const Rect& rect) { pending_ -= ToQRect(rect); }

void DataGridWidget::ValidateAll() { pending_ = QRegion(); }

void DataGridWidget::Scroll(int dx, int dy, const Rect& area, const Rect& clip) {
  const QRect moving = ToQRect(area).intersected(ToQRect(clip));
  if (moving.isEmpty()) return;
  // Marked areas move with their pixels: mark them again where they land.
  const QRegion moved = pending_.intersected(moving).translated(dx, dy).intersected(moving);
  // Whatever the move leaves uncovered is painted anew.
  const QRegion uncovered = QRegion(moving) - moving.translated(dx, dy);
  viewport()->scroll(dx, dy, moving);
  pending_ += moved;
  pending_ += uncovered;
  if (!moved.isEmpty()) viewport()->update(moved);
  if (!uncovered.isEmpty()) viewport()->update(uncovered);
}

void DataGridWidget::UpdateNow() {
  if (pending_.isEmpty() || !viewport()->isVisible()) return;
  // Paints at once; the paint clears what is pending.
  viewport()->repaint(pending_);
}

void DataGridWidget::paintEvent(QPaintEvent* event) {
  // Areas marked before the client shrank lie outside it now.
  pending_ = pending_.intersected(viewport()->rect()) - event->region();
  QPainter painter(viewport());
  const QRect dirty = event->rect();
  try {
    QtCanvas canvas(painter);
    grid_->PaintAll(canvas, Rect{dirty.left(), dirty.top(), dirty.right() + 1, dirty.bottom() + 1});
    last_paint_failure_.clear();
  } catch (...) {
    ++paint_failures_;
    // Whatever the core drew before it failed is covered up: no half rows.
    // (The canvas has put back the clips it pushed.)
    painter.fillRect(dirty, ToQColor(grid_->Color()));
    const std::string message = MessageOf(std::current_exception());
    if (message != last_paint_failure_) {
      last_paint_failure_ = message;
      Report(message);
    }
  }
  PaintOverlays(painter, event->rect());
}

void DataGridWidget::HandlerFailed(std::exception_ptr failure) {
  // Whatever the handler had started (a column drag, the mouse capture)
  // ends here, as when another window takes over.
  try {
    grid_->CancelMode();
  } catch (...) {
  }
  captured_ = false;
  Report(MessageOf(failure));
}

void DataGridWidget::Report(const std::string& message) {
  if (!reporter_) {
    qWarning("DataGrid: %s", message.c_str());
    return;
  }
  // After the event: the handler or paint that failed may be inside Qt's
  // own code.
  QMetaObject::invokeMethod(
      this,
      [widget = QPointer<DataGridWidget>(this), message] {
        if (widget && widget->reporter_) widget->reporter_(message);
      },
      Qt::QueuedConnection);
}

// --- Scroll bars ------------------------------------------------------------------------------

void DataGridWidget::SetVerticalBar(const ScrollInfo& info) {
  vert_info_ = info;
  WriteBar(*verticalScrollBar(), info);
  if (!NothingToScroll(info)) {
    // As the window system does for a range that can scroll.
    verticalScrollBar()->setEnabled(true);
    ShowVerticalBar(true);
  }
}

void DataGridWidget::ShowVerticalBar(bool show) {
  setVerticalScrollBarPolicy(show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void DataGridWidget::EnableVerticalArrows(bool enable) { verticalScrollBar()->setEnabled(enable); }

void DataGridWidget::SetHorizontalBar(const ScrollInfo& info) {
  horz_info_ = info;
  WriteBar(*horizontalScrollBar(), info);
  setHorizontalScrollBarPolicy(NothingToScroll(info) ? Qt::ScrollBarAlwaysOff
                                                     : Qt::ScrollBarAlwaysOn);
}

// --- Size ---------------------------------------------------------------------------------------

int DataGridWidget::ClientWidth() const { return viewport()->width(); }

int DataGridWidget::ClientHeight() const { return viewport()->height(); }

void DataGridWidget::resizeEvent(QResizeEvent* event) {
  // Called for the area and for the viewport; the client is the viewport.
  QAbstractScrollArea::resizeEvent(event);
  // A taller window may load records, which can fail.
  Guarded([&] { grid_->Resized(); });
}

}  // namespace grid
