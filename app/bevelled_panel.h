// TPanel: a panel in the button face colour with a raised one-pixel bevel,
// the blocks the main window is stacked from.
#pragma once

#include <QWidget>

namespace app {

// White top and left, grey bottom and right. Children placed at (1, 1) sit
// inside the bevel.
class TPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TPanel(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace app
