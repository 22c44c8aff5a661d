// The window of a program installed where the user cannot write keeps its
// settings in the user's configuration folder.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "data/profile/ini_value.h"
#include "tests/app/fake_ui_services.h"

namespace app {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value)
      : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedEnv() { had_ ? (void)qputenv(name_, old_) : (void)qunsetenv(name_); }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

TEST(ProfilePlaceTest, InstalledReadOnlyProgramWritesToTheConfigFolderOnlyOnOpen) {
  QTemporaryDir root;
  const QString bin = root.path() + "/usr/bin";
  const QString config = root.path() + "/cfg";
  ASSERT_TRUE(QDir().mkpath(bin));
  ASSERT_TRUE(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));
  ScopedEnv xdg("XDG_CONFIG_HOME", QFile::encodeName(config));

  testing::FakeUiServices ui;
  testing::FakeDatabase db;
  TFormMain w(ui, db, bin + "/tarnquill");
  const QString expected = config + "/Tarnquill/Tarnquill.ini";
  EXPECT_EQ(w.ProfilePath(), expected);
  w.show();
  EXPECT_FALSE(QFileInfo::exists(config)) << "showing the window creates nothing";

  testing::OpenTable(w, "/data/a.mdb", "客户");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(data::ReadIniValue("Tarnquill", "Table", "", expected.toStdString()), "客户");
  EXPECT_FALSE(QFileInfo::exists(bin + "/Tarnquill.ini"));

  // The next run finds the settings again.
  TFormMain again(ui, db, bin + "/tarnquill");
  again.show();
  EXPECT_EQ(again.Edit1.text(), "/data/a.mdb");
  QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
}  // namespace app
