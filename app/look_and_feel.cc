#include "app/look_and_feel.h"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace app {
namespace {

// The classic Windows desktop scheme the window was designed in.
QPalette ClassicPalette() {
  const QColor face(212, 208, 200), shadow(128, 128, 128), dark_shadow(64, 64, 64);
  QPalette p(Qt::black, face, Qt::white, shadow, face, Qt::black, Qt::white);
  p.setColor(QPalette::Midlight, face);
  p.setColor(QPalette::Shadow, dark_shadow);
  p.setColor(QPalette::Window, face);
  p.setColor(QPalette::Button, face);
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::Highlight, QColor(0, 0, 128));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  p.setColor(QPalette::Disabled, QPalette::Text, shadow);
  p.setColor(QPalette::Disabled, QPalette::ButtonText, shadow);
  p.setColor(QPalette::Disabled, QPalette::WindowText, shadow);
  p.setColor(QPalette::Disabled, QPalette::Light, Qt::white);
  return p;
}

}  // namespace

QFont FormFont() {
  QFont font(QString::fromUtf8(kFormFontFamily));
  font.setPixelSize(kFormFontPixelSize);
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

void InstallLookAndFeel() {
  const QString substitute = QString::fromUtf8(kSubstituteFamily);
  QFont::insertSubstitution(QString::fromUtf8(kFormFontFamily), substitute);
  QFont::insertSubstitution(QStringLiteral("SimSun"), substitute);
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) {
    QApplication::setStyle(style);
  }
  QApplication::setPalette(ClassicPalette());
  QApplication::setFont(FormFont());
}

}  // namespace app
