// The canvas over QPainter: the reference font's metrics when the bitmap
// CJK font is installed, and the pixels each drawing call leaves on an image.
#include "grid/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>

#include "grid/view/indicator_glyphs.h"

namespace grid_test {
namespace {

using namespace grid;

constexpr const char* kSubstitute = "AR PL UMing CN";

class QtCanvasTest : public ::testing::Test {
 protected:
  QtCanvasTest() : image_(40, 40, QImage::Format_RGB32) { image_.fill(Qt::white); }

  QColor At(int x, int y) const { return image_.pixelColor(x, y); }

  // Runs `draw` on a canvas over the image; the painter ends afterwards.
  template <typename F>
  void Draw(F draw) {
    QPainter painter(&image_);
    QtCanvas canvas(painter);
    draw(canvas);
  }

  QImage image_;
};

TEST_F(QtCanvasTest, ReferenceFontMetricsAndWrappedTextBreaksBetweenWordsAndAligns) {
  if (!QFontDatabase::families().contains(QString::fromUtf8(kSubstitute))) {
    GTEST_SKIP() << "fonts-arphic-uming is not installed";
  }
  QtCanvas canvas;
  canvas.SetFont(FontSpec{});  // "宋体", 12 pixels
  EXPECT_EQ(canvas.TextWidth("0"), 6);
  EXPECT_EQ(canvas.TextWidth("中文"), 24);
  EXPECT_EQ(canvas.TextHeight("Wg"), 12);
  TextMetrics m = canvas.Metrics();
  EXPECT_EQ(m.ascent, 11);
  EXPECT_EQ(m.descent, 1);
  EXPECT_EQ(m.external_leading, 0);
  // Wrapped text breaks between words and aligns.
  Draw([](QtCanvas& c) {
    FontSpec font;
    font.color = clBlack;
    c.SetFont(font);
    TextFormat format;
    format.word_break = true;
    format.align = TextAlign::Right;
    c.DrawText({0, 0, 20, 40}, "WW WW", format);  // two lines of 12 pixels
  });
  int first = 0, second = 0, elsewhere = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 40; ++x) {
      if (image_.pixelColor(x, y) != QColor(Qt::black)) continue;
      if (x >= 8 && x < 20 && y < 12) {
        ++first;
      } else if (x >= 8 && x < 20 && y < 24) {
        ++second;
      } else {
        ++elsewhere;
      }
    }
  }
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  EXPECT_EQ(elsewhere, 0);
}

TEST_F(QtCanvasTest, FillsAndLinesLeaveOutTheEndPointEdgesAndFocusFrames) {
  Draw([](QtCanvas& c) {
    c.FillRect({2, 2, 6, 5}, clBlack);
    c.PolyPolyline({{{10, 2}, {10, 12}}, {{12, 20}, {20, 20}}}, clSilver, 1);
  });
  EXPECT_EQ(At(2, 2), QColor(Qt::black));
  EXPECT_EQ(At(5, 4), QColor(Qt::black));
  EXPECT_EQ(At(6, 4), QColor(Qt::white));
  EXPECT_EQ(At(5, 5), QColor(Qt::white));
  const QColor silver(192, 192, 192);
  EXPECT_EQ(At(10, 2), silver);
  EXPECT_EQ(At(10, 11), silver);
  EXPECT_EQ(At(10, 12), QColor(Qt::white));
  EXPECT_EQ(At(9, 5), QColor(Qt::white));
  EXPECT_EQ(At(12, 20), silver);
  EXPECT_EQ(At(19, 20), silver);
  EXPECT_EQ(At(20, 20), QColor(Qt::white));
  image_.fill(Qt::black);
  Draw([](QtCanvas& c) { c.DrawEdge({0, 0, 10, 16}, EdgeStyle::RaisedInner, kEdgeRect); });
  const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
  EXPECT_EQ(At(0, 0), light);
  EXPECT_EQ(At(5, 0), light);
  EXPECT_EQ(At(0, 10), light);
  EXPECT_EQ(At(9, 5), dark);
  EXPECT_EQ(At(5, 15), dark);
  EXPECT_EQ(At(0, 15), dark);  // the dark lines own the shared corners
  EXPECT_EQ(At(9, 0), dark);
  EXPECT_EQ(At(5, 5), QColor(Qt::black));  // inside untouched
  EXPECT_EQ(At(10, 5), QColor(Qt::black));
  // A focus frame inverts every other pixel and undoes itself.
  image_.fill(QColor(0, 0, 128));
  const QImage before = image_;
  Draw([](QtCanvas& c) { c.DrawFocusRect({2, 2, 20, 10}); });
  EXPECT_EQ(At(2, 2), QColor(255, 255, 127));
  EXPECT_EQ(At(3, 2), QColor(0, 0, 128));
  EXPECT_EQ(At(18, 9), QColor(0, 0, 128));  // 18 + 9 is odd
  EXPECT_EQ(At(19, 9), QColor(255, 255, 127));
  EXPECT_EQ(At(10, 5), QColor(0, 0, 128));  // inside untouched
  Draw([](QtCanvas& c) { c.DrawFocusRect({2, 2, 20, 10}); });
  EXPECT_EQ(image_, before);
}

TEST_F(QtCanvasTest, OpaqueTextGlyphsCheckBoxesAndNestedClipsArePixelExact) {
  Draw([](QtCanvas& c) {
    FontSpec font;
    font.color = clBlack;
    c.SetFont(font);
    c.TextOutOpaque(2, 2, {0, 0, 14, 16}, clBtnFace, "WWWWWWWWWW");
  });
  EXPECT_EQ(At(0, 0), ToQColor(clBtnFace));
  EXPECT_EQ(At(13, 15), ToQColor(clBtnFace));
  int dark = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 14; ++x) dark += At(x, y) == QColor(Qt::black);
  }
  EXPECT_GT(dark, 0);
  for (int y = 0; y < 40; ++y) {
    for (int x = 14; x < 40; ++x) ASSERT_EQ(At(x, y), QColor(Qt::white)) << x << "," << y;
  }
  // Glyphs and check boxes are pixel exact.
  image_.fill(Qt::white);
  Draw([](QtCanvas& c) {
    DrawIndicatorGlyph(c, kGlyphArrow, 3, 2);
    c.DrawCheckBox({20, 0, 33, 13}, CheckBoxState::Checked, false);
    c.DrawCheckBox({20, 20, 33, 33}, CheckBoxState::Unchecked, false);
  });
  const MonoImage& arrow = IndicatorGlyphAt(kGlyphArrow).image;
  for (int y = 0; y < 11; ++y) {
    for (int x = 0; x < 6; ++x) {
      EXPECT_EQ(At(3 + x, 2 + y), arrow.Pixel(x, y) ? QColor(Qt::black) : QColor(Qt::white))
          << x << "," << y;
    }
  }
  // Sunken frame: shadow outside, dark shadow inside, at the top left.
  EXPECT_EQ(At(20, 0), ToQColor(clBtnShadow));
  EXPECT_EQ(At(21, 1), ToQColor(cl3DDkShadow));
  EXPECT_EQ(At(32, 12), ToQColor(clBtnHighlight));
  int marked = 0, empty_marked = 0;
  for (int y = 2; y < 11; ++y) {
    for (int x = 22; x < 31; ++x) {
      marked += At(x, y) == QColor(Qt::black);
      empty_marked += At(x, y + 20) != QColor(Qt::white);
    }
  }
  EXPECT_GT(marked, 10);
  EXPECT_EQ(empty_marked, 0);
  // Clips nest and restore.
  image_.fill(Qt::white);
  Draw([](QtCanvas& c) {
    c.PushClip({0, 0, 20, 20});
    c.PushClip({10, 10, 30, 30});
    c.FillRect({0, 0, 40, 40}, clBlack);
    c.PopClip();
    c.FillRect({0, 0, 40, 40}, clSilver);
    c.PopClip();
    c.FillRect({35, 35, 40, 40}, clBlack);
  });
  EXPECT_EQ(At(5, 5), QColor(192, 192, 192));
  EXPECT_EQ(At(15, 15), QColor(192, 192, 192));  // second fill covers the first
  EXPECT_EQ(At(25, 25), QColor(Qt::white));
  EXPECT_EQ(At(36, 36), QColor(Qt::black));
}

}  // namespace
}  // namespace grid_test
