// TShape: a plain rectangle, the frame behind the banner's text.
#pragma once

#include <QWidget>

namespace app {

// A white fill and a black one-pixel frame on the outermost pixels.
class TShape : public QWidget {
  Q_OBJECT

 public:
  explicit TShape(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace app
