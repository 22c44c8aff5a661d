#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "data/profile/ini_value.h"
#include "tests/app/fake_ui_services.h"

namespace app {
namespace {

using testing::FormFixture;
using Boxes = std::vector<std::string>;

class FormMainHandlersTest : public ::testing::Test {
 protected:
  // Shows the window; `after_open` enables Refresh and Modify as a successful Open would.
  void Show(bool after_open = false) {
    w.show();
    if (after_open) {
      w.Button3.setEnabled(true);
      w.Button4.setEnabled(true);
    }
    QApplication::setActiveWindow(&w);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  }
  std::string Profile(const char* key) {
    return data::ReadIniValue("Tarnquill", key, "<missing>", f.ProfileFile().toStdString());
  }
  void WriteProfileFile(const QByteArray& bytes) {
    QFile file(f.ProfileFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  FormFixture f;
  TFormMain& w = f.form;
  testing::FakeUiServices& ui = f.ui;
  testing::FakeDatabase& db = f.database;
};

// The profile beside the executable, as the Windows program left it.
TEST_F(FormMainHandlersTest, ShowingFillsTheBoxesFromTheProfileAndOpenWithoutAnEngineSaysSo) {
  EXPECT_EQ(w.AppDir(), f.dir.path() + "/");
  EXPECT_EQ(w.ProfilePath(), f.dir.path() + "/Tarnquill.ini");
  EXPECT_EQ(w.Title(), "Tarnquill");
  // As the Windows program left it: GBK, CRLF, keys in another case, a quoted value.
  WriteProfileFile(
      "[TARNQUILL]\r\nfile=D:\\\xCA\xFD\xBE\xDD.mdb\r\nKey=\"p w\"\r\nTable=T1\r\nField=Name\r\n"
      "OldValue=abc\r\nNewValue=\r\n");
  Show();
  EXPECT_EQ((QStringList{w.Edit1.text(), w.Edit2.text(), w.Edit3.text(), w.Edit4.text(),
                         w.Edit5.text(), w.Edit6.text()}),
            (QStringList{QString::fromUtf8("D:\\数据.mdb"), "p w", "T1", "Name", "abc", ""}));
  EXPECT_FALSE(w.Button3.isEnabled());
  EXPECT_FALSE(w.Button4.isEnabled());
  EXPECT_TRUE(ui.boxes.empty());
  // Without the database engine, Open says so after its checks.
  testing::FakeUiServices own_ui;
  TDatabaseNotWired none;
  TFormMain form(own_ui, none, f.dir.path() + "/tarnquill");
  form.Button2.click();
  ASSERT_FALSE(own_ui.boxes.empty());
  EXPECT_EQ(own_ui.boxes[0].caption, "tarnquill");
  EXPECT_EQ(own_ui.TakeBoxes(), Boxes{"请选择数据库文件"});
  testing::OpenTable(form, "/a.mdb", "T");
  EXPECT_EQ(own_ui.TakeBoxes(), Boxes{std::string("!") + TDatabaseNotWired::kMessage + "."});
}

TEST_F(FormMainHandlersTest, OpenChecksTheFileAndTableBoxesThenConnectsBuildsEnablesAndSaves) {
  Show();
  const struct {
    const char* file;
    const char* table;
    const char* message;
    QLineEdit* focus;
  } cases[] = {
      {"", "", "请选择数据库文件", &w.Edit1},
      {"", "T1", "请选择数据库文件", &w.Edit1},
      {"/a.mdb", "", "表名不能为空", &w.Edit3},
  };
  for (const auto& c : cases) {
    w.Edit1.setText(c.file);
    w.Edit3.setText(c.table);
    w.Edit6.setFocus();
    w.Button2.click();
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0].caption, "Tarnquill");
    EXPECT_EQ(ui.TakeBoxes(), Boxes{c.message});
    EXPECT_EQ(QApplication::focusWidget(), c.focus) << c.message;
  }
  EXPECT_TRUE(db.calls.empty()) << "nothing else happens";
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile()));
  EXPECT_FALSE(w.Button3.isEnabled());
  // With both boxes filled, Open connects, builds the view, enables and saves
  // exactly as typed.
  w.Edit1.setText(" /data/客户.mdb ");
  w.Edit2.setText("");
  w.Edit3.setText("T 1");
  testing::TypeSearch(w, "Name", "abc");
  w.Button2.click();
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(db.calls,
            (std::vector<std::string>{"Connect( /data/客户.mdb ,)", "RefreshView(T 1,Name,abc)"}));
  EXPECT_TRUE(w.Button3.isEnabled());
  EXPECT_TRUE(w.Button4.isEnabled());
  EXPECT_EQ(Profile("File"), "/data/客户.mdb") << "the profile trims blanks on reading";
  EXPECT_EQ(Profile("Key"), "");
  EXPECT_EQ(Profile("Table"), "T 1");
  EXPECT_EQ(Profile("Field"), "<missing>") << "only Refresh writes the field";
  EXPECT_EQ(Profile("OldValue"), "<missing>");
  QFile file(f.ProfileFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("[Tarnquill]\nFile= /data/客户.mdb \nKey=\nTable=T 1\n"));
}

TEST_F(FormMainHandlersTest, FailedConnectOrViewShowsTheErrorBoxAndChangesNothing) {
  Show();
  w.Edit1.setText("/missing.mdb");
  w.Edit3.setText("T");
  db.fail_connect = "Could not find file '/missing.mdb'";
  w.Button2.click();
  ASSERT_FALSE(ui.boxes.empty());
  EXPECT_EQ(ui.boxes[0].caption, "Tarnquill");
  // A quote sorts before the full stop: none is appended.
  EXPECT_EQ(ui.TakeBoxes(), Boxes{"!Could not find file '/missing.mdb'"});
  EXPECT_EQ(db.calls.size(), 1u) << "the view is not built";
  EXPECT_FALSE(w.Button3.isEnabled());
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile()));

  // A view that fails leaves the buttons and the profile alone too.
  db.fail_connect.reset();
  db.fail_view = "ADOQuery1: Cannot perform this operation on a closed dataset";
  w.Button2.click();
  EXPECT_EQ(ui.TakeBoxes(),
            Boxes{"!ADOQuery1: Cannot perform this operation on a closed dataset."});
  EXPECT_FALSE(w.Button3.isEnabled());
  EXPECT_FALSE(w.Button4.isEnabled());
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile()));

  // The window goes on: the next Open with a good file works.
  db.fail_view.reset();
  w.Button2.click();
  EXPECT_TRUE(w.Button3.isEnabled());
  EXPECT_EQ(Profile("File"), "/missing.mdb");
}

TEST_F(FormMainHandlersTest, RefreshSavesFieldAndSearchEvenWhenTheViewFails) {
  Show(true);
  w.Edit1.setText("/not/saved.mdb");
  w.Edit3.setText("T");
  testing::TypeSearch(w, "Name", "O'Brien", "not saved");
  db.fail_view = "ADOQuery1: Cannot perform this operation on a closed dataset";
  w.Button3.click();
  EXPECT_EQ(db.calls, (std::vector<std::string>{"RefreshView(T,Name,O'Brien)"}));
  EXPECT_EQ(ui.TakeBoxes(),
            Boxes{"!ADOQuery1: Cannot perform this operation on a closed dataset."});
  EXPECT_EQ(Profile("Field"), "Name");
  EXPECT_EQ(Profile("OldValue"), "O'Brien");
  EXPECT_EQ(Profile("File"), "<missing>") << "Refresh does not save the open's boxes";
  EXPECT_EQ(Profile("NewValue"), "<missing>");
}

TEST_F(FormMainHandlersTest, ModifySavesTheReplacementFirstAndShowsOnlyTheErrorBoxWhenARowFails) {
  Show(true);
  w.Edit4.setText("");
  w.Edit6.setText("Y");
  db.fail_replace = "ADOQueryTemp: Field '' not found";
  w.Button4.click();
  EXPECT_EQ(ui.TakeBoxes(), Boxes{"!ADOQueryTemp: Field '' not found."});
  EXPECT_EQ(db.calls.size(), 1u) << "no rebuild after a failure";
  EXPECT_EQ(Profile("NewValue"), "Y");
  // Then a Modify that works saves the replacement first, reports and refreshes.
  db.fail_replace.reset();
  db.calls.clear();
  w.Edit3.setText("T");
  testing::TypeSearch(w, "Name", "abc", "X");
  // When the "done" box shows, the rows were replaced and the view not yet rebuilt.
  ui.on_box = [&](const MessageBoxRequest&) {
    EXPECT_EQ(db.calls, (std::vector<std::string>{"ReplaceRows(Name,abc,X)"}));
  };
  w.Button4.click();
  EXPECT_EQ(ui.TakeBoxes(), Boxes{"修改完毕"});
  EXPECT_EQ(db.calls.back(), "RefreshView(T,Name,abc)");
  EXPECT_EQ(Profile("NewValue"), "X");
  EXPECT_EQ(Profile("Field"), "<missing>");
}

TEST_F(FormMainHandlersTest, ChooseOffersTheSameDialogEveryTimeAndKeepsTheBoxOnCancel) {
  Show();
  w.Edit1.setText("/before.mdb");
  ui.answers = {std::nullopt, QString("/data/chosen.mdb"), std::nullopt};
  for (const char* shown : {"/before.mdb", "/data/chosen.mdb", "/data/chosen.mdb"}) {
    w.Button1.click();
    EXPECT_EQ(w.Edit1.text(), shown);
  }
  ASSERT_EQ(ui.dialogs.size(), 3u);
  for (const FileDialogRequest& d : ui.dialogs) {
    EXPECT_EQ(d.file_name, "*.mdb");
    EXPECT_EQ(d.initial_dir, w.AppDir());
    EXPECT_EQ(d.default_ext, ".mdb");
    EXPECT_EQ(d.filter, "Access Files (*.mdb;*.accdb)|*.mdb;*.accdb");
  }
  EXPECT_FALSE(QFileInfo::exists(f.ProfileFile())) << "Open saves the choice, not Choose";
}

TEST_F(FormMainHandlersTest, ProfileThatCannotBeWrittenIsIgnoredAndFailuresInHandlersAreShown) {
  // The executable's folder is a file here, so no profile can be created.
  QFile blocker(f.dir.path() + "/blocker");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  testing::FakeUiServices own_ui;
  testing::FakeDatabase own_db;
  TFormMain form(own_ui, own_db, f.dir.path() + "/blocker/tarnquill");
  form.show();
  testing::OpenTable(form, "/a.mdb", "T");
  form.Button3.click();
  EXPECT_TRUE(own_ui.boxes.empty());
  EXPECT_TRUE(form.Button3.isEnabled());
  // Any failure in a handler is shown and the window goes on.
  w.RunGuarded([] { throw 42; });
  w.RunGuarded([] { throw std::logic_error(""); });
  EXPECT_EQ(ui.TakeBoxes(), (Boxes{"!未知错误.", "!"}));
}

}  // namespace
}  // namespace app
