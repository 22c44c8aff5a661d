// A whole grid painted through the QPainter canvas onto an image: the pixels
// a user sees at the places the layout puts them. Set TARNQUILL_SAVE_RENDERS
// to a folder to keep the pictures as PNG files.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "grid/qt/qt_canvas.h"
#include "grid_fixture.h"

namespace grid_test {
namespace {

using V = provider::Variant;

class QtPaintTest : public GridFixture {
 protected:
  void SetUp() override {
    grid.SetCanvas(&measure_);
    grid.SetHost(&host);
    UseWindowSettings(grid);
    query.Rows().push_back({V(std::string("苹果")), V(int64_t{12}), V(0.5), V(true)});
    query.Open();
  }

  QImage Render(const char* name) {
    QImage image(host.width, host.height, QImage::Format_RGB32);
    image.fill(Qt::magenta);  // anything left unpainted shows
    {
      QPainter painter(&image);
      grid::QtCanvas canvas(painter);
      grid.PaintAll(canvas, {0, 0, host.width, host.height});
    }
    if (const char* dir = std::getenv("TARNQUILL_SAVE_RENDERS")) {
      image.save(QString::fromUtf8(dir) + "/" + name + ".png");
    }
    return image;
  }

  grid::QtCanvas measure_;
};

TEST_F(QtPaintTest, EveryPixelIsPaintedAndTheArrowMarksTheCurrentRow) {
  QImage image = Render("grid_unfocused");
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      ASSERT_NE(image.pixelColor(x, y), QColor(Qt::magenta)) << x << "," << y;
    }
  }
  // The arrow's left column, 3 pixels into the indicator, rows 19 to 29.
  const int row_top = grid.CellRect(0, 1).top;
  for (int y = row_top + 2; y < row_top + 13; ++y) {
    EXPECT_EQ(image.pixelColor(3, y), QColor(Qt::black)) << y;
  }
  // Raised indicator cell: light top-left, shadow bottom-right; black line.
  EXPECT_EQ(image.pixelColor(0, row_top), QColor(Qt::white));
  EXPECT_EQ(image.pixelColor(10, row_top + 5), QColor(128, 128, 128));
  EXPECT_EQ(image.pixelColor(11, row_top + 5), QColor(Qt::black));
  // Silver lines between data cells; white background without focus.
  grid::Rect name = grid.CellRect(1, 1);
  EXPECT_EQ(image.pixelColor(name.right, name.top + 5), QColor(192, 192, 192));
  EXPECT_EQ(image.pixelColor(name.right - 1, name.top + 1), QColor(Qt::white));
}

TEST_F(QtPaintTest, FocusedGridShowsTheRowInHighlightColours) {
  grid.SetFocused(true);
  QImage image = Render("grid_focused");
  grid::Rect name = grid.CellRect(1, grid.CurrentRow());
  const QColor navy(0, 0, 128);
  int navy_pixels = 0, white_text = 0;
  for (int y = name.top + 1; y < name.bottom - 1; ++y) {
    for (int x = name.left + 1; x < name.right - 1; ++x) {
      navy_pixels += image.pixelColor(x, y) == navy;
      white_text += image.pixelColor(x, y) == QColor(Qt::white);
    }
  }
  EXPECT_GT(navy_pixels, name.Width() * name.Height() / 2);
  EXPECT_GT(white_text, 0);  // the text, in highlight text colour
  // The dotted frame inverts every other border pixel of the row.
  EXPECT_NE(image.pixelColor(name.left, name.top), image.pixelColor(name.left + 1, name.top));
}

}  // namespace
}  // namespace grid_test
