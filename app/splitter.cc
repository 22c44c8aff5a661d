#include "app/splitter.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace app {

SplitSize CalcSplitSize(int control_size, int delta, int min_size, int max_size, bool auto_snap) {
  const int wanted = control_size + delta;
  int size = std::clamp(wanted, min_size, std::max(min_size, max_size));
  const int split = delta + (size - wanted);
  if (auto_snap && size <= min_size) size = 0;
  return {size, split};
}

TSplitter::PatternLine::PatternLine(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  hide();
}

void TSplitter::PatternLine::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
}

TSplitter::TSplitter(QWidget* parent, QWidget* control, std::function<int()> max_size,
                     std::function<void()> realign)
    : QWidget(parent),
      line_(parent),
      control_(control),
      max_size_(std::move(max_size)),
      realign_(std::move(realign)) {
  setCursor(Qt::SplitVCursor);
}

void TSplitter::ShowLine(int split) {
  line_.setGeometry(x(), y() + split, width(), height());
  line_.raise();
  line_.show();
}

void TSplitter::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || control_ == nullptr) return;
  dragging_ = true;
  down_y_ = event->position().toPoint().y();
  max_ = max_size_ ? max_size_() : control_->height();
  new_size_ = control_->height();
  ShowLine(0);
}

void TSplitter::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  const SplitSize s = CalcSplitSize(control_->height(), event->position().toPoint().y() - down_y_,
                                    kMinSize, max_, true);
  new_size_ = s.new_size;
  ShowLine(s.split);
}

void TSplitter::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return;
  mouseMoveEvent(event);
  dragging_ = false;
  line_.hide();
  if (new_size_ != control_->height()) {
    control_->resize(control_->width(), new_size_);
    if (realign_) realign_();
  }
}

}  // namespace app
