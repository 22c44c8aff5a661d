#include "app/progress_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>

namespace app {
namespace {

constexpr int kBarSteps = 1000;

}  // namespace

TProgressWindow::TProgressWindow(QWidget* over)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), over_(over) {
  layout_.addWidget(&text_);
  layout_.addWidget(&bar_);
  bar_.setRange(0, kBarSteps);
  bar_.setTextVisible(false);
  setFixedSize(360, 80);
}

void TProgressWindow::SetProgress(const QString& caption, const QString& text, int64_t done,
                                  int64_t total) {
  setWindowTitle(caption);
  text_.setText(text);
  const int64_t value = total > 0 ? std::min<int64_t>(done, total) * kBarSteps / total : 0;
  bar_.setValue(static_cast<int>(value));
  if (isVisible()) return;
  QRect area;
  if (over_ != nullptr) {
    area = over_->window()->frameGeometry();
    // Kept above the main window by the window manager.
    winId();
    QWindow* above = over_->window()->windowHandle();
    if (above != nullptr && windowHandle() != nullptr) windowHandle()->setTransientParent(above);
  }
  if (area.isEmpty() && QGuiApplication::primaryScreen() != nullptr) {
    area = QGuiApplication::primaryScreen()->geometry();
  }
  move(area.center() - rect().center());
}

}  // namespace app
