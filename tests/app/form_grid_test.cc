// DataGrid1 in the real window over a fixture database: Open fills the grid
// with as many rows as fit, and an offscreen render shows them. Set
// TARNQUILL_SAVE_RENDERS to a folder to keep the renders as PNG files.
#include "app/form_grid.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "app/form_data.h"
#include "tests/app/fake_ui_services.h"
#include "tests/support/fixture_db.h"

namespace app {
namespace {

namespace tq = tarnquill::testing;

// Saves `image` as <name>.png in $TARNQUILL_SAVE_RENDERS, when set.
void MaybeSave(const QImage& image, const char* name) {
  const QString dir = qEnvironmentVariable("TARNQUILL_SAVE_RENDERS");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  EXPECT_TRUE(image.save(dir + "/" + name + ".png")) << name;
}

class FormGridTest : public ::testing::Test, public testing::DataFormFixture<> {
 protected:
  void SetUp() override {
    std::vector<jet::create::Row> rows;
    for (int i = 1; i <= 40; ++i) {
      rows.push_back({int32_t{i}, std::string(i % 2 ? "张三" : "Li Si"),
                      std::string(i % 3 ? "北京市朝阳区" : "Shanghai")});
    }
    ASSERT_OK_AND_ASSIGN(
        path, tq::MakeFixtureDatabase(
                  tmp.path(), {{tq::Table("客户",
                                          {tq::Column("编号", jet::ColumnType::kLong),
                                           tq::TextColumn("姓名", 20), tq::TextColumn("地址", 50)},
                                          {tq::PrimaryKey("编号")}),
                                rows}}));
    widget = &PlaceDataGrid1(form, database.View().DataGrid1);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }

  void Open(const char* table = "客户") {
    testing::TypeSearch(form, "", "");
    testing::OpenTable(form, path, table, "");
  }
  // Dark pixels of the first column's cell in `row` of a render of the
  // widget (client pixels start inside the 2-pixel border): text leaves many.
  int DarkPixels(const QImage& image, int row) {
    const grid::Rect cell = Core().CellRect(1, row);
    int dark = 0;
    for (int y = cell.top; y < cell.bottom; ++y) {
      for (int x = cell.left; x < cell.right; ++x) dark += qGray(image.pixel(x + 2, y + 2)) < 100;
    }
    return dark;
  }

  tq::TempDir tmp;
  std::string path;
  grid::DataGridWidget* widget = nullptr;
};

TEST_F(FormGridTest, OpenShowsTheRowsThatFit) {
  EXPECT_EQ(form.DataGrid1(), widget);
  EXPECT_EQ(&widget->Grid(), &Core());
  // Before Open: titles, one empty row, the filler and the footer.
  EXPECT_EQ(Core().RowCount(), 4);
  Open();
  ASSERT_TRUE(ui.boxes.empty()) << ui.boxes[0].text.toStdString();
  // (289 − 35) / 17 records fit.
  EXPECT_EQ(Core().DataLink().WindowSize(), 14);
  EXPECT_EQ(Core().DataLink().RowsInWindow(), 14);
  EXPECT_EQ(Core().RowCount(), 1 + 14 + 2);
  EXPECT_EQ(Core().Columns().Count(), 3);
  EXPECT_EQ(Footer(), "40条");
  // 40 records and 14 on screen: the bar can scroll, on record 1.
  EXPECT_TRUE(widget->verticalScrollBar()->isVisible());
  EXPECT_EQ(widget->VerticalBar(), (grid::ScrollInfo{1, 53, 14, 1}));
  // The footer still sits on the client's bottom edge.
  EXPECT_EQ(Core().CellRect(1, Core().RowCount() - 1).bottom, widget->ClientHeight() - 1);

  // A narrower search leaves a short result: the filler takes the rest.
  testing::TypeSearch(form, "地址", "shanghai");
  form.Button3.click();
  EXPECT_EQ(Core().DataLink().RowsInWindow(), 13);
  EXPECT_EQ(Footer(), "13条");
  // The bar tells the record, not the rows on screen: still one per record.
  EXPECT_EQ(widget->VerticalBar(), (grid::ScrollInfo{1, 25, 13, 1}));
  // Nothing found: no rows, no bar.
  form.Edit5.setText("Guangzhou");
  form.Button3.click();
  EXPECT_EQ(Footer(), "0条");
  EXPECT_EQ(Core().RowCount(), 4);
  EXPECT_FALSE(widget->verticalScrollBar()->isVisible());
}

// Dragging a splitter refits the rows. Made taller again while the last
// record is current, the grid fills the new rows with the records before it
// at once, and paints them.
TEST_F(FormGridTest, DraggingASplitterRefitsTheRowsAndGrowingOnTheLastRecordFillsThem) {
  Open();
  ASSERT_TRUE(ui.boxes.empty());
  // The banner's splitter 40 pixels down takes 40 pixels from the grid.
  QTest::mousePress(&form.Splitter1, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseRelease(&form.Splitter1, Qt::LeftButton, {}, QPoint(100, 41));
  ASSERT_EQ(widget->height(), 293 - 40);
  EXPECT_EQ(widget->ClientHeight(), 249);
  EXPECT_EQ(Core().DataLink().WindowSize(), (249 - 35) / 17);
  EXPECT_EQ(Core().RowCount(), 1 + 12 + 2);
  EXPECT_EQ(Core().CellRect(1, Core().RowCount() - 1).bottom, 248);
  EXPECT_EQ(widget->VerticalBar(), (grid::ScrollInfo{1, 51, 12, 1}));
  database.View().ADOQuery1.Last();
  ASSERT_EQ(Core().DataLink().RowsInWindow(), 12);
  QTest::mousePress(&form.Splitter1, Qt::LeftButton, {}, QPoint(100, 41));
  QTest::mouseRelease(&form.Splitter1, Qt::LeftButton, {}, QPoint(100, 1));
  ASSERT_EQ(widget->ClientHeight(), 289);
  EXPECT_EQ(Core().DataLink().RowsInWindow(), 14);
  EXPECT_EQ(Core().RowCount(), 1 + 14 + 2);
  EXPECT_EQ(Core().CurrentRow(), 14);
  EXPECT_EQ(widget->VerticalBar(), (grid::ScrollInfo{1, 53, 14, 40}));
  const QImage image = widget->grab().toImage();
  for (int row = 1; row <= 14; ++row) EXPECT_GE(DarkPixels(image, row), 10) << row;
  EXPECT_EQ(DarkPixels(image, 15), 0);  // the filler row
}

TEST_F(FormGridTest, RenderShowsTheWindowWithItsRows) {
  const QImage before = widget->grab().toImage();
  Open();
  ASSERT_TRUE(ui.boxes.empty());
  const QImage grid_image = widget->grab().toImage();
  const QImage window_image = form.grab().toImage();
  MaybeSave(grid_image, "data_grid1");
  MaybeSave(window_image, "form_main");
  ASSERT_EQ(grid_image.size(), QSize(686, 293));
  EXPECT_EQ(window_image.size(), QSize(688, 467));
  // Opening changed what the grid shows.
  EXPECT_NE(before, grid_image);
  // Every one of the 14 data rows and the footer carries text in the first
  // column.
  for (int row = 1; row <= 14; ++row) EXPECT_GE(DarkPixels(grid_image, row), 10) << row;
  EXPECT_GE(DarkPixels(grid_image, Core().RowCount() - 1), 10);  // "40条"
  EXPECT_EQ(DarkPixels(grid_image, 15), 0);                      // the filler row
}

}  // namespace
}  // namespace app
