// TSplitter: the bar between two stacked panels of the main window; dragging
// it moves the lower edge of the panel above it.
#pragma once

#include <QWidget>
#include <functional>

namespace app {

// Where a drag of a top-aligned splitter leaves things: the new height of the
// control above it and the offset of the splitter's line from where it was.
struct SplitSize {
  int new_size;
  int split;
};

// Computes the drag result: the size follows the mouse, clamped to
// [min_size, max_size]; with `auto_snap` a size at or below the minimum
// collapses the control to 0. `split` follows the clamped size (the line is
// drawn there while dragging).
SplitSize CalcSplitSize(int control_size, int delta, int min_size, int max_size, bool auto_snap);

// A horizontal splitter under a top-aligned control. While the left button is
// held a hatched line follows the mouse; on release the control gets its new
// height and the owner re-aligns the window.
class TSplitter : public QWidget {
  Q_OBJECT

 public:
  // `max_size` gives, when a drag starts, the largest height the control may
  // take; `realign` lays the window out again after a change.
  TSplitter(QWidget* parent, QWidget* control, std::function<int()> max_size,
            std::function<void()> realign);

  static constexpr int kMinSize = 30;
  QWidget* control() const { return control_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The line that follows the mouse: a checkered band as wide and high as the
  // splitter, a sibling so that it draws over the controls it crosses.
  class PatternLine : public QWidget {
   public:
    explicit PatternLine(QWidget* parent);

   protected:
    void paintEvent(QPaintEvent* event) override;
  };

  void ShowLine(int split);

  PatternLine line_;
  QWidget* control_;
  std::function<int()> max_size_;
  std::function<void()> realign_;
  bool dragging_ = false;
  int down_y_ = 0;
  int max_ = 0;
  int new_size_ = 0;
};

}  // namespace app
