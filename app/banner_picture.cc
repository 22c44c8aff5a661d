#include "app/banner_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace app {
namespace {

void DrawDrum(QPainter& p) {
  const QColor rim(24, 70, 120);
  QLinearGradient side(4, 0, 34, 0);
  side.setColorAt(0, QColor(70, 130, 190));
  side.setColorAt(0.45, QColor(150, 200, 240));
  side.setColorAt(1, QColor(40, 95, 155));
  const QRectF top(4, 10, 30, 10);
  // The body: the side from the top ellipse's middle down to the bottom one.
  QPainterPath body;
  body.moveTo(4, 15);
  body.lineTo(4, 39);
  body.arcTo(QRectF(4, 34, 30, 10), 180, 180);
  body.lineTo(34, 15);
  body.closeSubpath();
  p.setPen(QPen(rim, 1));
  p.setBrush(side);
  p.drawPath(body);
  // Two bands that split the drum into three discs.
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(4, 18, 30, 10), 180 * 16, 180 * 16);
  p.drawArc(QRectF(4, 26, 30, 10), 180 * 16, 180 * 16);
  p.setBrush(QColor(190, 225, 250));
  p.drawEllipse(top);
}

void DrawQuill(QPainter& p) {
  // The vane: a long leaf leaning to the lower left, ending in a dark nib.
  QPainterPath vane;
  vane.moveTo(45, 2);
  vane.cubicTo(38, 6, 27, 17, 22, 31);
  vane.cubicTo(29, 24, 41, 15, 45, 2);
  vane.closeSubpath();
  p.setPen(QPen(QColor(120, 80, 20), 1));
  p.setBrush(QColor(250, 230, 160));
  p.drawPath(vane);
  p.setPen(QPen(QColor(150, 110, 40), 1));
  p.drawLine(QPointF(44, 3), QPointF(23, 31));
  p.setPen(QPen(QColor(20, 20, 20), 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(23, 31), QPointF(19, 38));
  // The stroke it has just written.
  p.setPen(QPen(QColor(180, 30, 30), 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(12, 41), QPointF(19, 38));
}

}  // namespace

QPixmap BannerPicture() {
  QPixmap picture(kBannerPictureSize, kBannerPictureSize);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  PaintBannerPicture(p);
  return picture;
}

void PaintBannerPicture(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  DrawDrum(painter);
  DrawQuill(painter);
}

}  // namespace app
