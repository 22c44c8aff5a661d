#include "app/qt_ui_services.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace app {
namespace {

// Runs `inspect` on the modal window once it is up, from inside its loop.
void WhenModalShows(std::function<void(QWidget*)> inspect) {
  QTimer::singleShot(0, [inspect = std::move(inspect)] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    inspect(modal);
  });
}

// The plain box has no icon, the error box the error icon; both one OK
// button, plain text, in the middle of the screen.
TEST(QtUiServicesTest, MessageBoxesShowTheirIconOneOkButtonReadAsOnAChineseSystem) {
  QtUiServices ui;
  for (const auto& [icon, shown] : {std::pair{MessageIcon::kNone, QMessageBox::NoIcon},
                                    {MessageIcon::kError, QMessageBox::Critical}}) {
    bool seen = false;
    WhenModalShows([&, shown = shown](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      ASSERT_NE(box, nullptr);
      seen = true;
      EXPECT_EQ(box->windowTitle(), "tarnquill");
      EXPECT_EQ(box->text(), "<b>表名不能为空</b>");
      EXPECT_EQ(box->textFormat(), Qt::PlainText) << "messages are never read as markup";
      EXPECT_EQ(box->icon(), shown);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      EXPECT_EQ(box->button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
      const QPoint screen_centre = box->screen()->geometry().center();
      EXPECT_LE((box->frameGeometry().center() - screen_centre).manhattanLength(), 2);
      box->button(QMessageBox::Ok)->click();
    });
    ui.ShowMessageBox({"tarnquill", QString::fromUtf8("<b>表名不能为空</b>"), icon});
    EXPECT_TRUE(seen);
  }
  // Standard buttons read as on a Chinese system.
  QMessageBox box(QMessageBox::NoIcon, "t", "x",
                  QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No |
                      QMessageBox::Retry | QMessageBox::Save);
  SetChineseButtonTexts(box);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), QString::fromUtf8("确定"));
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("取消"));
  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8("是(&Y)"));
  EXPECT_EQ(box.button(QMessageBox::No)->text(), QString::fromUtf8("否(&N)"));
  EXPECT_EQ(box.button(QMessageBox::Retry)->text(), QString::fromUtf8("重试(&R)"));
  EXPECT_EQ(box.button(QMessageBox::Save)->text(), "Save") << "no caption of ours: left alone";
}

class OpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.mdb", "B.MDB", "c.txt"}) {
      QFile file(dir.path() + "/" + name);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    request.file_name = "*.mdb";
    request.initial_dir = dir.path() + "/";
    request.default_ext = ".mdb";
    request.filter = "Mdb Files (*.mdb)|*.MDB";
  }

  QTemporaryDir dir;
  FileDialogRequest request;
  QtUiServices ui;
};

TEST_F(OpenDialogTest, OffersTheFilterFolderAndNameAndReturnsTheChoice) {
  WhenModalShows([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(QDir(dialog->directory()), QDir(dir.path()));
    EXPECT_EQ(dialog->defaultSuffix(), "mdb");
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_FALSE(dialog->filter() & QDir::CaseSensitive) << "*.MDB must list a.mdb too";
    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 1);
    EXPECT_EQ(types->itemText(0), "Mdb Files (*.mdb)");
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "*.mdb");
    dialog->selectFile(dir.path() + "/B.MDB");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  EXPECT_EQ(ui.RunOpenDialog(request, nullptr), dir.path() + "/B.MDB");
}

// Open on the pattern only filters the list; cancelling then gives nothing.
TEST_F(OpenDialogTest, PressingOpenOnThePatternDoesNotChooseIt) {
  WhenModalShows([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QMetaObject::invokeMethod(dialog, "accept");
    EXPECT_TRUE(dialog->isVisible()) << "a pattern only filters the list";
    dialog->reject();
  });
  EXPECT_EQ(ui.RunOpenDialog(request, nullptr), std::nullopt);
}

TEST_F(OpenDialogTest, ATypedNameGetsTheDefaultExtension) {
  WhenModalShows([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile("new");
    QMetaObject::invokeMethod(dialog, "accept");
  });
  EXPECT_EQ(ui.RunOpenDialog(request, nullptr), dir.path() + "/new.mdb");
}

}  // namespace
}  // namespace app
