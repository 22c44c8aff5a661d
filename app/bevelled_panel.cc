#include "app/bevelled_panel.h"

#include <QPainter>

namespace app {

TPanel::TPanel(QWidget* parent) : QWidget(parent) {}

void TPanel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QPalette& pal = palette();
  p.fillRect(rect(), pal.color(QPalette::Window));
  if (width() < 1 || height() < 1) return;
  const int r = width() - 1, b = height() - 1;
  p.setPen(pal.color(QPalette::Light));
  p.drawLine(0, 0, r, 0);
  p.drawLine(0, 0, 0, b);
  p.setPen(pal.color(QPalette::Dark));
  p.drawLine(0, b, r, b);
  p.drawLine(r, 0, r, b);
}

}  // namespace app
