#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "tests/app/fake_ui_services.h"

namespace app {
namespace {

class FormMainLayoutTest : public ::testing::Test {
 protected:
  testing::FormFixture f;
  TFormMain& w = f.form;
};

TEST_F(FormMainLayoutTest, WindowIsFixedSizeWithItsCaptionAndTheTwelvePixelChineseFace) {
  EXPECT_EQ(f.form.windowTitle(), "Tarnquill");
  EXPECT_EQ(f.form.size(), QSize(688, 467));
  EXPECT_EQ(f.form.minimumSize(), f.form.maximumSize()) << "not resizable by dragging";
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowSystemMenuHint);
  // The layout was drawn for 12-pixel characters of the face whose metrics
  // the canvas tests check.
  const QFont font = f.form.Edit1.font();
  const QFontInfo info(font);
  EXPECT_EQ(info.family(), "AR PL UMing CN") << "is fonts-arphic-uming installed?";
  EXPECT_EQ(info.pixelSize(), 12);
  EXPECT_EQ(font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
  EXPECT_EQ(QFontInfo(QFont("SimSun", 9)).family(), "AR PL UMing CN");
}

// The panels and splitters are stacked without gaps over the whole width,
// the grid's panel takes what is left, and every control of a panel lies
// inside its bevel without covering another.
TEST_F(FormMainLayoutTest, PanelsStackAndControlsFitWithoutOverlapping) {
  int top = 0;
  for (const QWidget* band : std::initializer_list<const QWidget*>{
           &w.Panel1, &w.Splitter1, &w.Panel2, &w.Splitter2, &w.Panel3}) {
    EXPECT_EQ(band->geometry(), QRect(0, top, w.width(), band->height()))
        << band->metaObject()->className();
    top += band->height();
  }
  EXPECT_EQ(top, w.height());
  EXPECT_EQ(w.DataGrid1Host.geometry(), w.Panel3.rect().adjusted(1, 1, -1, -1));
  for (const QWidget* panel : {&w.Panel1, &w.Panel2}) {
    const QList<QWidget*> controls = panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(controls.size(), 4);
    for (const QWidget* a : controls) {
      EXPECT_TRUE(panel->rect().adjusted(1, 1, -1, -1).contains(a->geometry()))
          << a->metaObject()->className() << " at " << a->x() << "," << a->y();
      for (const QWidget* b : controls) {
        // The banner's two lines of text lie on its shape, one pixel apart.
        const QRect shape = w.Shape1.geometry();
        const bool on_shape = shape.contains(a->geometry()) && shape.contains(b->geometry());
        EXPECT_TRUE(a == b || on_shape || !a->geometry().intersects(b->geometry()))
            << a->metaObject()->className() << " over " << b->metaObject()->className();
      }
    }
  }
  EXPECT_TRUE(w.Shape1.geometry().contains(w.Label5.geometry()));
  EXPECT_FALSE(w.Label5.autoFillBackground()) << "the labels show the shape behind them";
}

// Each box's label stands right-aligned on its line just left of it, and no
// caption is cut at the window's 12-pixel font.
TEST_F(FormMainLayoutTest, LabelsLeadTheirBoxesAndCaptionsFit) {
  for (const auto& [label, box] : {std::pair<QLabel*, QLineEdit*>{&w.Label1, &w.Edit1},
                                   {&w.Label2, &w.Edit2},
                                   {&w.Label3, &w.Edit4},
                                   {&w.Label4, &w.Edit5},
                                   {&w.Label7, &w.Edit6}}) {
    EXPECT_EQ(label->y(), box->y());
    EXPECT_TRUE(label->geometry().right() < box->x() && label->geometry().right() > box->x() - 10);
    EXPECT_TRUE(label->alignment() & (Qt::AlignRight | Qt::AlignHCenter));
  }
  const QFontMetrics metrics(w.font());
  for (const QLabel* label :
       {&w.Label1, &w.Label2, &w.Label3, &w.Label4, &w.Label5, &w.Label6, &w.Label7}) {
    EXPECT_FALSE(label->text().isEmpty());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width())
        << label->text().toStdString();
  }
  for (const QPushButton* b : {&w.Button1, &w.Button2, &w.Button3, &w.Button4}) {
    EXPECT_LE(metrics.horizontalAdvance(b->text()), b->width() - 8) << b->text().toStdString();
    EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_EQ(w.Image1.pixmap().size(), QSize(48, 48));
  EXPECT_EQ(w.Edit2.echoMode(), QLineEdit::Normal) << "the password is shown in plain text";
  EXPECT_EQ(w.Splitter1.cursor().shape(), Qt::SplitVCursor);
}

// The boxes start empty and only Choose and Open are enabled; the focus
// starts in the file box and Tab visits the boxes, then the buttons.
TEST_F(FormMainLayoutTest, BoxesStartEmptyAndTabVisitsBoxesThenEnabledButtons) {
  for (const QLineEdit* e : {&w.Edit1, &w.Edit2, &w.Edit3, &w.Edit4, &w.Edit5, &w.Edit6}) {
    EXPECT_TRUE(e->text().isEmpty()) << "cleared by FormCreate";
  }
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  EXPECT_TRUE(w.Button1.isEnabled());
  EXPECT_TRUE(w.Button2.isEnabled());
  EXPECT_FALSE(w.Button3.isEnabled());
  EXPECT_FALSE(w.Button4.isEnabled());
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile())) << "showing never creates the profile";
  EXPECT_EQ(QApplication::focusWidget(), &w.Edit1);

  // With Refresh and Modify disabled, Tab passes over them.
  const std::vector<QWidget*> shown = {&w.Edit2, &w.Edit3,   &w.Edit4,   &w.Edit5,
                                       &w.Edit6, &w.Button1, &w.Button2, &w.Edit1};
  for (QWidget* next : shown) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
  }
  w.Button3.setEnabled(true);
  w.Button4.setEnabled(true);
  const std::vector<QWidget*> all = {&w.Edit2,   &w.Edit3,   &w.Edit4,   &w.Edit5,   &w.Edit6,
                                     &w.Button1, &w.Button3, &w.Button2, &w.Button4, &w.Edit1};
  for (QWidget* next : all) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
  }
}

TEST_F(FormMainLayoutTest, PlacedGridFillsItsAreaAndFollowsModifyInTabOrder) {
  auto* grid = new QLineEdit;  // stands in for the grid; the window's area owns it
  w.PlaceDataGrid(grid);
  EXPECT_EQ(grid->parentWidget(), &w.DataGrid1Host);
  EXPECT_EQ(grid->geometry(), QRect(0, 0, 686, 293));
  EXPECT_EQ(grid->mapTo(&w, QPoint(0, 0)), QPoint(1, 173));
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.Button4.setEnabled(true);
  w.Button4.setFocus();
  QTest::keyClick(&w.Button4, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), grid);

  // Dragging the lower splitter up gives the grid the room.
  QTest::mousePress(&w.Splitter2, Qt::LeftButton, {}, QPoint(10, 1));
  QTest::mouseRelease(&w.Splitter2, Qt::LeftButton, {}, QPoint(10, -19));
  EXPECT_EQ(grid->size(), QSize(686, 313));
}

}  // namespace
}  // namespace app
