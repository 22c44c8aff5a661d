#include <gtest/gtest.h>

#include "app/app_title.h"
#include "app/error_text.h"
#include "app/qt_ui_services.h"

namespace app {
namespace {

TEST(ApplicationTitleTest, FileNameCutAtFirstFullStopAndLoweredAfterTheFirstCharacter) {
  const struct {
    const char* path;
    const char* title;
  } cases[] = {
      {"/usr/bin/tarnquill", "tarnquill"},
      {"/opt/TQ/TarnQuill.exe", "Tarnquill"},
      {"/opt/TQ/TARNQUILL.Bin.exe", "Tarnquill"},
      {"/dir.with.dots/MyApp", "Myapp"},
      {"relative/ÄBCÖ.x", "Äbcö"},
      {"/x/.hidden", ""},
      {"NoDirectory", "Nodirectory"},
      {"/x/\xF0\x9D\x90\x80"
       "ABC",
       "\xF0\x9D\x90\x80"
       "abc"},  // a first character outside the BMP
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ApplicationTitle(QString::fromUtf8(c.path)), QString::fromUtf8(c.title)) << c.path;
  }
}

TEST(ErrorBoxTextTest, FullStopOnlyAfterCharactersThatSortAfterItAndDialogFiltersSplit) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"", ""},
      {"Not a valid password", "Not a valid password."},
      {"Could not find file 'a.mdb'.", "Could not find file 'a.mdb'."},
      {"ADOQuery1: Field 'x' not found", "ADOQuery1: Field 'x' not found."},
      {"ends with a paren)", "ends with a paren)"},
      {"ends with a bang!", "ends with a bang!"},
      {"ends with a dash-", "ends with a dash-"},
      {"ends with a blank ", "ends with a blank "},
      {"ends with a slash/", "ends with a slash/."},
      {"ends with a digit 7", "ends with a digit 7."},
      {"ends with a question?", "ends with a question?."},
      {"数据库打开失败", "数据库打开失败."},
      {"中文句号。", "中文句号。."},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
  // A dialog filter splits into its description and patterns.
  const DialogFilter f = ParseDialogFilter("Mdb Files (*.mdb)|*.MDB");
  EXPECT_EQ(f.description, "Mdb Files (*.mdb)");
  EXPECT_EQ(f.patterns, QStringList{"*.MDB"});
  const DialogFilter two = ParseDialogFilter("Access|*.mdb; *.accdb");
  EXPECT_EQ(two.patterns, (QStringList{"*.mdb", "*.accdb"}));
  EXPECT_TRUE(ParseDialogFilter("no patterns").patterns.isEmpty());
}

}  // namespace
}  // namespace app
