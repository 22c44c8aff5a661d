// The grid widget's input as a user gives it: keys, clicks, drags on the
// title edges, the wheel and the scroll bars reach the core and move the
// record or change the columns.
#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>
#include <stdexcept>

#include "data/data_source.h"
#include "data_grid_test_peer.h"
#include "grid/qt/data_grid_widget.h"
#include "memory_dataset.h"
#include "window_grid.h"

namespace grid_test {
namespace {

using Peer = grid::TDataGridTestPeer;

// Delivers a tick of every timer `object` runs, as the event loop does when
// they expire; returns how many it runs.
int FireTimers(QObject* object) {
  const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(object);
  for (const auto& timer : timers) {
    QTimerEvent tick(timer.timerId);
    QCoreApplication::sendEvent(object, &tick);
  }
  return static_cast<int>(timers.size());
}

// 250 records in three 100-pixel columns: column 1 spans 12..111 with its
// line at 112; 14 records fit the 289-pixel client.
class WidgetInputTest : public ::testing::Test {
 protected:
  WidgetInputTest() {
    source.SetDataSet(query.get());
    grid::TDataGrid& grid = widget.Grid();
    UseWindowSettings(grid);
    grid.SetDataSource(&source);
    for (int i = 0; i < 3; ++i) {
      grid::TDataGridColumn& column = grid.Columns().Add();
      column.SetFieldName("Name");
      column.SetWidth(100);
    }
    widget.resize(686, 293);
    widget.show();
    // Presses and scroll-bar clicks are ignored unless the grid gets the focus.
    widget.activateWindow();
    active = QTest::qWaitForWindowActive(&widget);
    query->Open();
  }
  void SetUp() override { ASSERT_TRUE(active); }
  ~WidgetInputTest() override { widget.Grid().SetDataSource(nullptr); }

  QWidget* Client() { return widget.viewport(); }
  static QPoint Row(int row) { return QPoint(150, 17 * row + 8); }

  std::unique_ptr<MemoryDataSet> query = NameRecords(250);
  data::TDataSource source{"DataSource1"};
  grid::DataGridWidget widget;
  bool active = false;
};

TEST_F(WidgetInputTest, KeysMoveTheRecordAndAClickFocusesAndMovesToTheRow) {
  QTest::keyClick(&widget, Qt::Key_Down);
  EXPECT_EQ(query->RecNo(), 2);
  QTest::keyClick(&widget, Qt::Key_PageDown);
  EXPECT_EQ(query->RecNo(), 16);
  QTest::keyClick(&widget, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(query->RecNo(), 250);
  EXPECT_EQ(widget.verticalScrollBar()->value(), 250);
  QTest::keyClick(&widget, Qt::Key_Home);
  EXPECT_EQ(query->RecNo(), 1);
  // A click focuses and moves to the row.
  widget.clearFocus();
  ASSERT_FALSE(widget.hasFocus());
  QTest::mouseClick(Client(), Qt::LeftButton, {}, Row(6));
  EXPECT_TRUE(widget.hasFocus());
  EXPECT_EQ(query->RecNo(), 6);
  EXPECT_FALSE(widget.HasCapture());
}

TEST_F(WidgetInputTest, WheelMovesOneRecordPerNotch) {
  auto turn = [this](int delta) {
    QPointF at(150, 100);
    QWheelEvent event(at, Client()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Client(), &event);
    return event.isAccepted();
  };
  EXPECT_TRUE(turn(-120));
  EXPECT_EQ(query->RecNo(), 2);
  turn(-40);
  turn(-40);
  EXPECT_EQ(query->RecNo(), 2);
  turn(-40);
  EXPECT_EQ(query->RecNo(), 3);
  turn(120);
  EXPECT_EQ(query->RecNo(), 2);
}

TEST_F(WidgetInputTest, ScrollBarArrowAndThumb) {
  QScrollBar& bar = *widget.verticalScrollBar();
  query->MoveBy(2);
  bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(query->RecNo(), 15);  // just below the 14 rows on screen
  EXPECT_EQ(widget.Grid().DataLink().ActiveRow(), 13);
  EXPECT_EQ(bar.value(), 15);
  // Dragging the thumb moves nothing until it is released.
  bar.setSliderDown(true);
  bar.setSliderPosition(120);
  EXPECT_EQ(query->RecNo(), 15);
  bar.setSliderDown(false);
  EXPECT_EQ(query->RecNo(), 120);
  EXPECT_EQ(bar.value(), 120);
  // At the end the arrow moves nothing, and the thumb stays at the end.
  QTest::keyClick(&widget, Qt::Key_End);
  bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(query->RecNo(), 250);
  EXPECT_EQ(bar.sliderPosition(), 250);
}

TEST_F(WidgetInputTest, DraggingATitleEdgeSizesTheColumn) {
  QTest::mouseMove(Client(), QPoint(110, 5));
  EXPECT_EQ(Client()->cursor().shape(), Qt::SplitHCursor);
  QTest::mousePress(Client(), Qt::LeftButton, {}, QPoint(110, 5));
  EXPECT_EQ(Peer(widget.Grid()).GridState(), grid::TGridState::ColumnSizing);
  QTest::mouseMove(Client(), QPoint(160, 40));
  QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(160, 40));
  EXPECT_EQ(widget.Grid().Columns()[0].Width(), 150);
  EXPECT_EQ(Peer(widget.Grid()).GridState(), grid::TGridState::Idle);
}

// A press the core fails on ends its handler: the sizing it had begun is
// cancelled, the mouse is free again, and the failure is reported from the
// event loop afterwards.
TEST_F(WidgetInputTest, APressTheCoreFailsOnLeavesNoDragBehind) {
  std::vector<std::string> reported;
  widget.SetErrorReporter([&](const std::string& message) { reported.push_back(message); });
  widget.Grid().OnMouseDown = [](grid::TMouseButton, grid::TShiftState, int, int) {
    throw std::runtime_error("no such record");
  };
  const int width = widget.Grid().Columns()[0].Width();
  QTest::mousePress(Client(), Qt::LeftButton, {}, QPoint(110, 5));
  EXPECT_EQ(Peer(widget.Grid()).GridState(), grid::TGridState::Idle);
  EXPECT_FALSE(widget.HasCapture());
  EXPECT_TRUE(reported.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(reported, std::vector<std::string>{"no such record"});
  QTest::mouseMove(Client(), QPoint(160, 40));
  QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(160, 40));
  EXPECT_EQ(widget.Grid().Columns()[0].Width(), width);

  // Once the core answers again, the same drag sizes the column.
  widget.Grid().OnMouseDown = nullptr;
  QTest::mousePress(Client(), Qt::LeftButton, {}, QPoint(110, 5));
  QTest::mouseMove(Client(), QPoint(160, 40));
  QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(160, 40));
  EXPECT_EQ(widget.Grid().Columns()[0].Width(), 150);
  EXPECT_EQ(reported.size(), 1u);
}

TEST_F(WidgetInputTest, ColumnMoveTimerScrollsAndEscapeStopsIt) {
  for (int i = 0; i < 3; ++i) widget.Grid().Columns()[i].SetWidth(400);
  QTest::mousePress(Client(), Qt::LeftButton, {}, QPoint(150, 5));
  ASSERT_EQ(Peer(widget.Grid()).GridState(), grid::TGridState::ColumnMoving);
  // Resting right of the last fully visible column: the move scrolls one
  // column, and so does every tick of the timer.
  QTest::mouseMove(Client(), QPoint(widget.ClientWidth() - 2, 5));
  ASSERT_EQ(widget.Grid().LeftScrollCol(), 2);
  ASSERT_EQ(FireTimers(&widget), 1);
  EXPECT_EQ(widget.Grid().LeftScrollCol(), 3);
  EXPECT_EQ(widget.horizontalScrollBar()->value(), 127);
  QTest::keyClick(&widget, Qt::Key_Escape);
  EXPECT_EQ(Peer(widget.Grid()).GridState(), grid::TGridState::Idle);
  EXPECT_EQ(FireTimers(&widget), 0);
  QTest::mouseRelease(Client(), Qt::LeftButton, {}, QPoint(widget.ClientWidth() - 2, 5));
  EXPECT_EQ(widget.Grid().Columns()[0].Width(), 400);
}

// "Scroll here" in a bar's context menu moves the records or the columns to
// the place clicked.
TEST_F(WidgetInputTest, ScrollHereInTheBarsMenuMovesThere) {
  for (int i = 0; i < 3; ++i) widget.Grid().Columns()[i].SetWidth(400);
  auto scroll_here = [](QScrollBar& bar, QPoint at) {
    // Picks the menu's first entry as soon as the menu is up. Closing it
    // leaves no window active offscreen; a desktop keeps the grid's window
    // active, so the test gives it back.
    QTimer::singleShot(0, [window = bar.window()] {
      QWidget* menu = QApplication::activePopupWidget();
      ASSERT_NE(menu, nullptr);
      QObject::connect(menu, &QObject::destroyed,
                       [window] { QApplication::setActiveWindow(window); });
      QTest::keyClick(menu, Qt::Key_Down);
      QTest::keyClick(menu, Qt::Key_Return);
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar.mapToGlobal(at));
    QApplication::sendEvent(&bar, &event);
  };
  QScrollBar& vbar = *widget.verticalScrollBar();
  scroll_here(vbar, QPoint(vbar.width() / 2, vbar.height() * 3 / 4));
  EXPECT_GT(query->RecNo(), 150);
  EXPECT_LT(query->RecNo(), 250);
  EXPECT_EQ(vbar.value(), query->RecNo());
  QScrollBar& hbar = *widget.horizontalScrollBar();
  scroll_here(hbar, QPoint(hbar.width() - 30, hbar.height() / 2));
  EXPECT_EQ(widget.Grid().LeftScrollCol(), 3);
  EXPECT_EQ(hbar.value(), 127);
}

// Where the vertical bar's thumb is drawn.
QRect ThumbOf(QScrollBar& bar) {
  QStyleOptionSlider option;
  option.initFrom(&bar);
  option.subControls = QStyle::SC_All;
  option.orientation = bar.orientation();
  option.minimum = bar.minimum();
  option.maximum = bar.maximum();
  option.sliderPosition = bar.sliderPosition();
  option.sliderValue = bar.value();
  option.singleStep = bar.singleStep();
  option.pageStep = bar.pageStep();
  return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                     &bar);
}

// A press on the page area pages at once and, held, again on every tick of
// the bar's repeat timer, until the thumb reaches the pointer; the thumb
// stays on the record throughout.
TEST_F(WidgetInputTest, HoldingThePageAreaPagesUntilThePointer) {
  QScrollBar& bar = *widget.verticalScrollBar();
  const struct {
    int below_thumb;  // pixels from the thumb's bottom edge to the press
    int record;       // after the press and one tick
  } cases[] = {{3, 20 + 14}, {100, 20 + 2 * 14}};
  for (const auto& c : cases) {
    query->First();
    query->MoveBy(19);
    const QRect thumb = ThumbOf(bar);
    const QPoint at(thumb.center().x(), thumb.bottom() + c.below_thumb);
    QTest::mousePress(&bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(query->RecNo(), 20 + 14);
    ASSERT_EQ(FireTimers(&bar), 1);
    EXPECT_EQ(query->RecNo(), c.record) << c.below_thumb;
    EXPECT_EQ(bar.sliderPosition(), c.record);
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, at);
    EXPECT_EQ(bar.value(), c.record);
    EXPECT_EQ(bar.sliderPosition(), c.record);
  }
}

TEST(WidgetFocusTest, TabLeavesTheGridForTheNextControl) {
  QWidget window;
  grid::DataGridWidget grid(&window);
  QLineEdit next(&window);
  grid.setGeometry(0, 0, 300, 200);
  next.setGeometry(0, 210, 100, 20);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  grid.setFocus();
  ASSERT_TRUE(grid.hasFocus());
  EXPECT_TRUE(grid.Grid().Focused());  // the current row shows the focused highlight
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_TRUE(next.hasFocus());
  EXPECT_FALSE(grid.Grid().Focused());
  // A click on the grid takes the focus back.
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, QPoint(50, 30));
  EXPECT_TRUE(grid.hasFocus());
}

}  // namespace
}  // namespace grid_test
