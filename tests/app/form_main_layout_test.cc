#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QTest>

#include "tests/app/fake_ui_services.h"

namespace app {
namespace {

using testing::FormFixture;

TEST(FormMainLayoutTest, WindowIsFixedSizeWithItsCaption) {
  FormFixture f;
  EXPECT_EQ(f.form.windowTitle(), "Tarnquill");
  EXPECT_EQ(f.form.size(), QSize(688, 467));
  EXPECT_EQ(f.form.minimumSize(), f.form.maximumSize()) << "not resizable by dragging";
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(f.form.windowFlags() & Qt::WindowSystemMenuHint);
}

TEST(FormMainLayoutTest, ControlsSitWhereTheWindowWasDesigned) {
  FormFixture f;
  TFormMain& w = f.form;
  const struct {
    const QWidget* widget;
    const QWidget* parent;
    QRect rect;
  } cases[] = {
      {&w.Panel1, &w, {0, 0, 688, 81}},           {&w.Splitter1, &w, {0, 81, 688, 3}},
      {&w.Panel2, &w, {0, 84, 688, 85}},          {&w.Splitter2, &w, {0, 169, 688, 3}},
      {&w.Panel3, &w, {0, 172, 688, 295}},        {&w.DataGrid1Host, &w.Panel3, {1, 1, 686, 293}},
      {&w.Image1, &w.Panel1, {32, 16, 48, 48}},   {&w.Shape1, &w.Panel1, {104, 16, 313, 49}},
      {&w.Label5, &w.Panel1, {112, 24, 297, 17}}, {&w.Label6, &w.Panel1, {112, 40, 297, 17}},
      {&w.Label1, &w.Panel2, {16, 16, 81, 20}},   {&w.Edit1, &w.Panel2, {104, 16, 177, 20}},
      {&w.Button1, &w.Panel2, {288, 16, 41, 20}}, {&w.Label3, &w.Panel2, {352, 16, 81, 20}},
      {&w.Edit4, &w.Panel2, {440, 16, 177, 20}},  {&w.Button3, &w.Panel2, {624, 16, 41, 20}},
      {&w.Label2, &w.Panel2, {16, 48, 81, 20}},   {&w.Edit2, &w.Panel2, {104, 48, 81, 20}},
      {&w.Edit3, &w.Panel2, {200, 48, 81, 20}},   {&w.Button2, &w.Panel2, {288, 48, 41, 20}},
      {&w.Label4, &w.Panel2, {352, 48, 81, 20}},  {&w.Edit5, &w.Panel2, {440, 48, 65, 20}},
      {&w.Label7, &w.Panel2, {512, 48, 33, 20}},  {&w.Edit6, &w.Panel2, {552, 48, 65, 20}},
      {&w.Button4, &w.Panel2, {624, 48, 41, 20}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.widget->parentWidget(), c.parent) << c.widget->metaObject()->className();
    EXPECT_EQ(c.widget->geometry(), c.rect)
        << c.widget->metaObject()->className() << " at " << c.rect.x() << "," << c.rect.y();
  }
}

TEST(FormMainLayoutTest, CaptionsAndAlignment) {
  FormFixture f;
  TFormMain& w = f.form;
  EXPECT_EQ(w.Label5.text(), QString::fromUtf8("　　Tarnquill是一个实用的数据库记录修改工"));
  EXPECT_EQ(w.Label6.text(), QString::fromUtf8("具，它能够打开所有ＭＤＢ数据库文件，快速修改数据"));
  EXPECT_EQ(w.Label1.text(), QString::fromUtf8("数据库文件："));
  EXPECT_EQ(w.Label2.text(), QString::fromUtf8("密码和表名："));
  EXPECT_EQ(w.Label3.text(), QString::fromUtf8("要修改字段："));
  EXPECT_EQ(w.Label4.text(), QString::fromUtf8("要替换字符："));
  EXPECT_EQ(w.Label7.text(), QString::fromUtf8("换成"));
  EXPECT_EQ(w.Button1.text(), QString::fromUtf8("选择"));
  EXPECT_EQ(w.Button2.text(), QString::fromUtf8("打开"));
  EXPECT_EQ(w.Button3.text(), QString::fromUtf8("刷新"));
  EXPECT_EQ(w.Button4.text(), QString::fromUtf8("修改"));
  for (const QLabel* l : {&w.Label1, &w.Label2, &w.Label3, &w.Label4}) {
    EXPECT_EQ(l->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  }
  EXPECT_EQ(w.Label7.alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
  EXPECT_EQ(w.Label5.alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_FALSE(w.Label5.autoFillBackground()) << "the labels show the shape behind them";
  EXPECT_EQ(w.Image1.pixmap().size(), QSize(48, 48));
  EXPECT_EQ(w.Edit2.echoMode(), QLineEdit::Normal) << "the password is shown in plain text";
  for (const QPushButton* b : {&w.Button1, &w.Button2, &w.Button3, &w.Button4}) {
    EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
  }
  EXPECT_EQ(w.Splitter1.cursor().shape(), Qt::SplitVCursor);
}

// The layout was drawn for 12-pixel characters of exactly these metrics.
TEST(FormMainLayoutTest, FormFontIsTheTwelvePixelChineseFace) {
  FormFixture f;
  const QFont font = f.form.Edit1.font();
  const QFontInfo info(font);
  EXPECT_EQ(info.family(), "AR PL UMing CN") << "is fonts-arphic-uming installed?";
  EXPECT_EQ(info.pixelSize(), 12);
  EXPECT_EQ(font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
  const QFontMetrics m(font);
  EXPECT_EQ(m.height(), 12);
  EXPECT_EQ(m.ascent(), 11);
  EXPECT_EQ(m.descent(), 1);
  EXPECT_EQ(m.horizontalAdvance(u'0'), 6);
  EXPECT_EQ(m.horizontalAdvance(QString::fromUtf8("数")), 12);
  EXPECT_EQ(QFontInfo(QFont("SimSun", 9)).family(), "AR PL UMing CN");
}

TEST(FormMainLayoutTest, BoxesStartEmptyAndOnlyChooseAndOpenAreEnabled) {
  FormFixture f;
  TFormMain& w = f.form;
  for (const QLineEdit* e : {&w.Edit1, &w.Edit2, &w.Edit3, &w.Edit4, &w.Edit5, &w.Edit6}) {
    EXPECT_TRUE(e->text().isEmpty()) << "cleared by FormCreate";
  }
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_TRUE(w.Button1.isEnabled());
  EXPECT_TRUE(w.Button2.isEnabled());
  EXPECT_FALSE(w.Button3.isEnabled());
  EXPECT_FALSE(w.Button4.isEnabled());
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile())) << "showing never creates the profile";
}

TEST(FormMainLayoutTest, FocusStartsInTheFileBoxAndTabVisitsBoxesThenButtons) {
  FormFixture f;
  TFormMain& w = f.form;
  w.show();
  QApplication::setActiveWindow(&w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
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

TEST(FormMainLayoutTest, PlacedGridFillsItsAreaAndFollowsModifyInTabOrder) {
  FormFixture f;
  TFormMain& w = f.form;
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
