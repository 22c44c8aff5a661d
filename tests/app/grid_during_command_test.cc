// DataGrid1 painted in the middle of the window's long commands: the
// progress indication lets paint and timer events run while the view query
// is closed, half open or being rebuilt, and while Modify stores its rows.
// Every paint must cope, the commands must end as they would without the
// paints, and the grid must show the right rows afterwards.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include "app/form_data.h"
#include "app/form_grid.h"
#include "app/progress.h"
#include "app/tarnquill_application.h"
#include "tests/app/fake_ui_services.h"
#include "tests/support/fixture_db.h"
#include "tests/support/paint_counter.h"

namespace app {
namespace {

namespace tq = tarnquill::testing;

constexpr int kRows = 9000;

// Records every request like the fake, and at each progress report paints
// the whole grid at once and lets queued paint and timer events run, as the
// real progress window does.
class PaintingUiServices : public testing::FakeUiServices {
 public:
  void ShowProgress(const ProgressRequest& request, QWidget* parent) override {
    FakeUiServices::ShowProgress(request, parent);
    if (grid == nullptr) return;
    grid->viewport()->update();
    grid->viewport()->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (resize_grid) {
      // The window system may resize the window meanwhile: the grid then
      // loads records or lets them go while the command runs.
      grid->resize(grid->width(), grid->height() + (taller ? 60 : -60));
      taller = !taller;
      QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
  }

  grid::DataGridWidget* grid = nullptr;
  bool resize_grid = false;
  bool taller = false;
};

class GridDuringCommandTest : public ::testing::Test,
                              public testing::DataFormFixture<PaintingUiServices> {
 protected:
  void SetUp() override {
    std::vector<jet::create::Row> rows;
    for (int i = 1; i <= kRows; ++i) {
      rows.push_back({int32_t{i}, std::string(i % 2 ? "北京市朝阳区" : "Shanghai")});
    }
    ASSERT_OK_AND_ASSIGN(
        auto made,
        tq::MakeFixtureDatabase(
            tmp.path(),
            {{tq::Table("客户",
                        {tq::Column("编号", jet::ColumnType::kLong), tq::TextColumn("地址", 50)},
                        {tq::PrimaryKey("编号")}),
              rows}}));
    widget = &PlaceDataGrid1(form, database.View().DataGrid1);
    ui.grid = widget;
    widget->viewport()->installEventFilter(&counter);
    database.SetProgressSink(&gate);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Edit1.setText(QString::fromStdString(made));
    form.Edit3.setText(QString::fromUtf8("客户"));
  }

  // What the screen shows of the grid, and what a fresh paint would show.
  QImage OnScreen() {
    QCoreApplication::processEvents();
    const QPoint at = widget->mapTo(&form, QPoint(0, 0));
    return form.screen()
        ->grabWindow(form.winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  QImage FreshPaint() { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  tq::TempDir tmp;
  // Every look at the clock is a second later, so every report shows.
  std::chrono::steady_clock::time_point now{};
  TProgressGate gate{ui, &form, "Tarnquill", [this] { return now += std::chrono::seconds(1); }};
  grid::DataGridWidget* widget = nullptr;
  tq::PaintCounter counter;
};

TEST_F(GridDuringCommandTest, OpenRefreshAndModifyPaintSafelyAndEndAsUsual) {
  // Open: the table is read while the grid shows the closed query.
  form.Button2.click();
  EXPECT_TRUE(ui.boxes.empty()) << ui.boxes[0].text.toStdString();
  EXPECT_GE(counter.paints, 4);
  EXPECT_EQ(Footer(), std::to_string(kRows) + "条");
  EXPECT_EQ(Core().DataLink().RowsInWindow(), 14);
  EXPECT_EQ(OnScreen(), FreshPaint());

  // Refresh with a search: the grid shows the old rows while the query is
  // closed and reopened with the new statement.
  const int before_refresh = counter.paints;
  testing::TypeSearch(form, "地址", "北京");
  form.Button3.click();
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_GT(counter.paints, before_refresh);
  EXPECT_EQ(Footer(), std::to_string(kRows / 2) + "条");
  EXPECT_EQ(OnScreen(), FreshPaint());

  // Modify: the listed rows are stored, longer than they were, while the
  // grid still shows them from the last record and changes its height;
  // then the view is rebuilt.
  const int before_modify = counter.paints;
  database.View().ADOQuery1.Last();
  ui.events.clear();
  ui.resize_grid = true;
  const std::string longer = "上海市浦东新区陆家嘴环路一千号";
  form.Edit6.setText(QString::fromStdString(longer));
  form.Button4.click();
  ui.resize_grid = false;
  widget->resize(form.DataGrid1Host.size());
  EXPECT_GT(counter.paints, before_modify);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"修改完毕"});
  EXPECT_EQ(ui.events.front(), "progress");
  EXPECT_EQ(ui.events.back(), "hide progress");
  EXPECT_NE(std::find(ui.events.begin(), ui.events.end(), "box 修改完毕"), ui.events.end());
  // Nothing holds 北京 any more.
  EXPECT_EQ(Footer(), "0条");
  form.Edit5.setText(QString::fromStdString(longer));
  form.Button3.click();
  EXPECT_EQ(Footer(), std::to_string(kRows / 2) + "条");
  EXPECT_EQ(database.View().ADOQuery1.FieldByName("地址").TextValue(), longer + "市朝阳区");
  EXPECT_EQ(OnScreen(), FreshPaint());
  EXPECT_EQ(widget->PaintFailures(), 0);
}

// A failure inside the core while the grid paints or handles input does
// not end the program: the handler ends, the failure is reported, and the
// grid keeps working.
TEST_F(GridDuringCommandTest, FailuresInTheGridsHandlersAreReportedNotFatal) {
  // Whatever escaped a handler would reach the application's last line of
  // defence, inside Qt's dispatch: nothing may get there.
  std::vector<std::string> escaped;
  auto* application = qobject_cast<TarnquillApplication*>(QCoreApplication::instance());
  ASSERT_NE(application, nullptr);
  application->SetErrorHandler([&](const std::string& message) { escaped.push_back(message); });
  struct Restore {
    TarnquillApplication* application;
    ~Restore() { application->SetErrorHandler(nullptr); }
  } restore{application};

  form.Button2.click();
  ASSERT_TRUE(ui.boxes.empty());
  bool fail = true;
  Core().OnGetCellParams = [&](grid::TColCellParams&) {
    if (fail) throw std::runtime_error("cell colours unavailable");
  };
  widget->viewport()->repaint();
  EXPECT_EQ(widget->PaintFailures(), 1);
  // The error box shows the failure after the paint, once: the paint the box
  // asks for fails alike and shows no second box.
  EXPECT_TRUE(ui.boxes.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"!cell colours unavailable."});
  widget->viewport()->repaint();
  QCoreApplication::processEvents();
  EXPECT_EQ(widget->PaintFailures(), 2);
  EXPECT_TRUE(ui.boxes.empty());
  fail = false;
  widget->viewport()->repaint();
  EXPECT_EQ(widget->PaintFailures(), 2);
  EXPECT_EQ(OnScreen(), FreshPaint());

  // A key the core fails on: the window's error box shows the failure once
  // the key's event is over.
  Core().OnKeyDown = [&](grid::TGridKey&, grid::TShiftState) {
    if (fail) throw std::runtime_error("record unreadable");
  };
  fail = true;
  QTest::keyClick(widget, Qt::Key_Down);
  EXPECT_TRUE(ui.boxes.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(Boxes(), std::vector<std::string>{"!record unreadable."});
  EXPECT_EQ(Core().DataLink().ActiveRow(), 0);
  // The grid still answers.
  fail = false;
  QTest::keyClick(widget, Qt::Key_Down);
  EXPECT_EQ(Core().DataLink().ActiveRow(), 1);
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(escaped.empty()) << escaped.front();
}

}  // namespace
}  // namespace app
