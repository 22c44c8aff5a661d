// Counts the paint events a widget receives: install it as the widget's
// (or its viewport's) event filter.
#pragma once

#include <QEvent>
#include <QObject>

namespace tarnquill::testing {

class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

}  // namespace tarnquill::testing
