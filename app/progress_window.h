// TProgressWindow: the small window that shows a long command's progress, a
// line of text over a bar, centred over the main window. It has no buttons
// and no close box: the command cannot be interrupted halfway.
#pragma once

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdint>

namespace app {

class TProgressWindow : public QWidget {
  Q_OBJECT

 public:
  // A window of its own (not a child of `over`, so that either may go first),
  // kept above `over` and placed over its middle.
  explicit TProgressWindow(QWidget* over);

  // Sets the caption, text and bar (done of total; a total of 0 shows an
  // empty bar) and places the window when it is not shown yet.
  void SetProgress(const QString& caption, const QString& text, int64_t done, int64_t total);

  const QLabel& Text() const { return text_; }
  const QProgressBar& Bar() const { return bar_; }

 private:
  QPointer<QWidget> over_;
  QVBoxLayout layout_{this};
  QLabel text_{this};
  QProgressBar bar_{this};
};

}  // namespace app
