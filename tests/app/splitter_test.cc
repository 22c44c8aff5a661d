#include <gtest/gtest.h>

#include <QTest>

#include "app/splitter.h"
#include "tests/app/fake_ui_services.h"

namespace app {
namespace {

TEST(SplitSizeTest, FollowsTheMouseWithinLimitsAndSnapsBelowTheMinimum) {
  const struct {
    int size, delta, max;
    SplitSize want;
  } cases[] = {
      {81, 20, 200, {101, 20}},    // plain drag down
      {81, -40, 200, {41, -40}},   // plain drag up
      {81, 200, 200, {200, 119}},  // stops at the maximum; the line stops too
      {81, -51, 200, {0, -51}},    // exactly the minimum snaps shut
      {81, -70, 200, {0, -51}},    // below the minimum: shut, line at the minimum
      {0, 10, 200, {0, 30}},       // a collapsed panel stays shut until dragged past 30
      {0, 31, 200, {31, 31}},
  };
  for (const auto& c : cases) {
    const SplitSize got = CalcSplitSize(c.size, c.delta, TSplitter::kMinSize, c.max, true);
    EXPECT_EQ(got.new_size, c.want.new_size) << c.size << " + " << c.delta;
    EXPECT_EQ(got.split, c.want.split) << c.size << " + " << c.delta;
  }
  EXPECT_EQ(CalcSplitSize(81, -70, 30, 200, false).new_size, 30) << "without snapping";
}

TEST(SplitterTest, DraggingResizesThePanelAboveAndRealignsTheWindow) {
  testing::FormFixture f;
  TFormMain& w = f.form;
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  QTest::mousePress(&w.Splitter1, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseMove(&w.Splitter1, QPoint(100, 21));
  EXPECT_EQ(w.Panel1.height(), 81) << "nothing moves until the button is released";
  QTest::mouseRelease(&w.Splitter1, Qt::LeftButton, {}, QPoint(100, 21));
  EXPECT_EQ(w.Panel1.height(), 101);
  EXPECT_EQ(w.Splitter1.geometry(), QRect(0, 101, 688, 3));
  EXPECT_EQ(w.Panel2.geometry(), QRect(0, 104, 688, 85));
  EXPECT_EQ(w.Panel3.geometry(), QRect(0, 192, 688, 275));
  EXPECT_EQ(w.DataGrid1Host.geometry(), QRect(1, 1, 686, 273));

  // Dragging the lower splitter far down leaves the grid panel its minimum.
  QTest::mousePress(&w.Splitter2, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseRelease(&w.Splitter2, Qt::LeftButton, {}, QPoint(100, 1000));
  EXPECT_EQ(w.Panel3.height(), TSplitter::kMinSize);

  // Dragging the banner's splitter up past the minimum collapses the banner.
  QTest::mousePress(&w.Splitter1, Qt::LeftButton, {}, QPoint(100, 1));
  QTest::mouseRelease(&w.Splitter1, Qt::LeftButton, {}, QPoint(100, -90));
  EXPECT_EQ(w.Panel1.height(), 0);
  EXPECT_EQ(w.Splitter1.y(), 0);
  EXPECT_EQ(w.Panel2.y(), 3);
}

}  // namespace
}  // namespace app
