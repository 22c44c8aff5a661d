#include "data/profile/profile_location.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>

#include "data/profile/ini_value.h"
#include "tests/support/temp_dir.h"

namespace data {
namespace {

namespace fs = std::filesystem;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

// An environment over a made-up file system: the files that exist and the
// folders the user may write.
struct FakeFiles {
  std::set<std::string> files;
  std::set<std::string> writable;

  ProfileEnvironment Env(std::string xdg, std::string home) const {
    ProfileEnvironment env;
    env.xdg_config_home = std::move(xdg);
    env.home = std::move(home);
    env.file_exists = [this](const std::string& p) { return files.count(p) > 0; };
    env.folder_writable = [this](const std::string& f) { return writable.count(f) > 0; };
    return env;
  }
};

TEST(ProfileLocationTest, ChoosesBesideTheExecutableUnlessItsFolderIsReadOnly) {
  struct Case {
    const char* what;
    bool folder_writable;
    bool file_beside;
    const char* xdg;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"writable folder", true, false, "/x", "/home/u", "/opt/tq/Tarnquill.ini"},
      {"existing file wins", false, true, "/x", "/home/u", "/opt/tq/Tarnquill.ini"},
      {"read-only: XDG", false, false, "/x/cfg", "/home/u", "/x/cfg/Tarnquill/Tarnquill.ini"},
      {"XDG with slash", false, false, "/x/cfg/", "/home/u", "/x/cfg/Tarnquill/Tarnquill.ini"},
      {"read-only: HOME", false, false, "", "/home/u", "/home/u/.config/Tarnquill/Tarnquill.ini"},
      {"relative XDG ignored", false, false, "cfg", "/home/u",
       "/home/u/.config/Tarnquill/Tarnquill.ini"},
      {"nowhere else", false, false, "", "", "/opt/tq/Tarnquill.ini"},
  };
  for (const Case& c : cases) {
    FakeFiles fs;
    if (c.folder_writable) fs.writable.insert("/opt/tq/");
    if (c.file_beside) fs.files.insert("/opt/tq/Tarnquill.ini");
    EXPECT_EQ(ChooseProfilePath("/opt/tq/", "Tarnquill.ini", fs.Env(c.xdg, c.home)), c.expected)
        << c.what;
  }
}

TEST(ProfileLocationTest, SystemProgramFoldersCountAsNotWritableAlsoForTheSuperuser) {
  FakeFiles fs;
  for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/", "/opt/tarnquill/bin/",
                          "/opt/tarnquill/bin", "/usr/games/"}) {
    EXPECT_TRUE(IsSystemProgramFolder(dir)) << dir;
    fs.writable.insert(dir);
    EXPECT_EQ(ChooseProfilePath(dir, "Tarnquill.ini", fs.Env("", "/root")),
              "/root/.config/Tarnquill/Tarnquill.ini")
        << dir;
  }
  for (const char* dir : {"/home/u/tq/", "/usr/", "/usr/bin/x/", "/opt/bin/", "/opt//bin/",
                          "/tmp/prefix/bin/", "/usr/local/"}) {
    EXPECT_FALSE(IsSystemProgramFolder(dir)) << dir;
  }
  // An administrator's file beside the program still wins there.
  fs.files.insert("/usr/bin/Tarnquill.ini");
  EXPECT_EQ(ChooseProfilePath("/usr/bin/", "Tarnquill.ini", fs.Env("", "/root")),
            "/usr/bin/Tarnquill.ini");
}

TEST(ProfileLocationTest, ReadOnlyFolderOnDiskSendsTheProfileToTheConfigFolderAndPrepareMakesIt) {
  TempDir tmp;
  const fs::path bin = fs::path(tmp.path()) / "bin";
  const fs::path config = fs::path(tmp.path()) / "config";
  fs::create_directories(bin);
  ProfileEnvironment env = ProfileEnvironment::FromProcess();
  env.xdg_config_home = config.string();
  const std::string app_dir = bin.string() + "/";

  EXPECT_EQ(ChooseProfilePath(app_dir, "Tarnquill.ini", env), app_dir + "Tarnquill.ini");

  // No write bits: not writable, also for the superuser.
  fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
  const std::string chosen = ChooseProfilePath(app_dir, "Tarnquill.ini", env);
  EXPECT_EQ(chosen, (config / "Tarnquill" / "Tarnquill.ini").string());
  // Choosing creates nothing; only a write does.
  EXPECT_FALSE(fs::exists(config));

  ASSERT_TRUE(PrepareProfileFolder(chosen));
  ASSERT_TRUE(WriteIniValue("Tarnquill", "Table", "客户", chosen));
  EXPECT_EQ(ReadIniValue("Tarnquill", "Table", "", chosen), "客户");
  // The file holds the password: the new folders are the user's alone.
  struct stat st;
  ASSERT_EQ(::stat((config / "Tarnquill").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(config.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A file the administrator put beside the executable still wins.
  fs::permissions(bin, fs::perms::owner_all);
  WriteFile((bin / "Tarnquill.ini").string(), "[Tarnquill]\nTable=T\n");
  fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ChooseProfilePath(app_dir, "Tarnquill.ini", env), app_dir + "Tarnquill.ini");
  // Preparing fails when a file blocks the folder.
  WriteFile(tmp.File("Tarnquill"), "not a folder");
  EXPECT_FALSE(PrepareProfileFolder(tmp.File("Tarnquill") + "/Tarnquill.ini"));
  EXPECT_TRUE(PrepareProfileFolder(tmp.File("Tarnquill.ini")));  // folder exists already
}

}  // namespace
}  // namespace data
