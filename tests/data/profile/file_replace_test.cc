#include "data/profile/file_replace.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/profile/private_profile.h"
#include "tests/support/temp_dir.h"

namespace data::profile {
namespace {

namespace fs = std::filesystem;
using tarnquill::testing::ReadFileText;
using tarnquill::testing::TempDir;
using tarnquill::testing::WriteFile;

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process whose files may not grow beyond
// `max_file_bytes`, as on a full disk; returns the child's exit code.
int RunWithFileSizeLimit(rlim_t max_file_bytes, const std::function<bool()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const struct rlimit limit { max_file_bytes, max_file_bytes };
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(3);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  EXPECT_EQ(::waitpid(child, &status, 0), child);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class FileReplaceTest : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string file = dir.File("p.ini");
};

TEST_F(FileReplaceTest, NewContentArrivesByRenameOrInPlaceAndNewFilesAreTheUsersAlone) {
  WriteFile(file, "[s]\r\nk=old\r\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  const struct stat before = StatOf(file);

  ASSERT_TRUE(ReplaceFileContents(file.c_str(), "[s]\r\nk=new\r\n"));
  EXPECT_EQ(ReadFileText(file), "[s]\r\nk=new\r\n");
  const struct stat after = StatOf(file);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_EQ(after.st_uid, before.st_uid);
  EXPECT_EQ(after.st_gid, before.st_gid);
  EXPECT_NE(after.st_ino, before.st_ino) << "written in place, not replaced";
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"p.ini"}) << "a temporary file was left";
  // In a read-only folder the file is written in place.
  const std::string missing = dir.File("other.ini");
  WriteFile(file, "old");
  const ino_t inode = StatOf(file).st_ino;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);

  EXPECT_TRUE(ReplaceFileContents(file.c_str(), "new content"));
  EXPECT_FALSE(ReplaceFileContents(missing.c_str(), "x")) << "no file may be made there";
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  EXPECT_EQ(ReadFileText(file), "new content");
  EXPECT_EQ(StatOf(file).st_ino, inode);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"p.ini"});
  // It may hold the password: never readable by others, even under umask 0,
  // also when it is made through a link that points nowhere yet.
  for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}}) {
    TempDir each;
    const std::string fresh = each.File("new.ini");
    const std::string dangling = each.File("link.ini");
    ASSERT_EQ(::symlink("target.ini", dangling.c_str()), 0);
    const mode_t saved = ::umask(mask);
    const bool made = ReplaceFileContents(fresh.c_str(), "x");
    const bool made_through_link = ReplaceFileContents(dangling.c_str(), "y");
    ::umask(saved);
    ASSERT_TRUE(made && made_through_link) << "umask " << mask;
    EXPECT_EQ(ReadFileText(fresh), "x");
    EXPECT_EQ(StatOf(fresh).st_mode & 07777, 0600u) << "umask " << mask;
    EXPECT_EQ(ReadFileText(each.File("target.ini")), "y");
    EXPECT_EQ(StatOf(each.File("target.ini")).st_mode & 07777, 0600u) << "umask " << mask;
  }
}

TEST_F(FileReplaceTest, FailedWriteLeavesTheOldFileWhole) {
  const std::string old_content = "[Tarnquill]\nFile=/home/user/data.mdb\nKey=secret\n";
  WriteFile(file, old_content);
  // Room for a few bytes only: the write of the new, longer content fails.
  const std::string new_content = old_content + "Table=" + std::string(200, 'x') + "\n";
  EXPECT_EQ(
      RunWithFileSizeLimit(16, [&] { return ReplaceFileContents(file.c_str(), new_content); }), 1);
  EXPECT_EQ(ReadFileText(file), old_content);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"p.ini"});

  // The same through the profile function the window calls.
  EXPECT_EQ(RunWithFileSizeLimit(16,
                                 [&] {
                                   return WritePrivateProfileStringA("Tarnquill", "Table",
                                                                     new_content.c_str() + 40,
                                                                     file.c_str()) != 0;
                                 }),
            1);
  EXPECT_EQ(ReadFileText(file), old_content);
}

TEST_F(FileReplaceTest, LinksKeepTheirMeaning) {
  const std::string target = dir.File("real.ini");
  const std::string symlink = dir.File("link.ini");
  const std::string hardlink = dir.File("second-name.ini");
  WriteFile(target, "old");
  ASSERT_EQ(::symlink("real.ini", symlink.c_str()), 0);

  ASSERT_TRUE(ReplaceFileContents(symlink.c_str(), "via symlink"));
  EXPECT_TRUE(S_ISLNK(StatOf(symlink).st_mode)) << "the link was replaced by a file";
  EXPECT_EQ(ReadFileText(target), "via symlink");

  ASSERT_EQ(::link(target.c_str(), hardlink.c_str()), 0);
  ASSERT_TRUE(ReplaceFileContents(hardlink.c_str(), "via second name"));
  EXPECT_EQ(ReadFileText(target), "via second name") << "the two names came apart";
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"link.ini", "real.ini", "second-name.ini"}));
}

TEST_F(FileReplaceTest, RefusesWhatIsNotARegularFileAndAReadOnlyFile) {
  EXPECT_FALSE(ReplaceFileContents(dir.path().c_str(), "x"));
  EXPECT_FALSE(ReplaceFileContents("", "x"));
  EXPECT_FALSE(ReplaceFileContents(nullptr, "x"));
  EXPECT_FALSE(ReplaceFileContents(dir.File("no-such-folder/p.ini").c_str(), "x"));
  EXPECT_TRUE(Names(dir.path()).empty());
  // A read-only file is refused and kept.
  WriteFile(file, "keep");
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  EXPECT_FALSE(ReplaceFileContents(file.c_str(), "lost"));
  EXPECT_EQ(ReadFileText(file), "keep");
  EXPECT_EQ(StatOf(file).st_mode & 07777, 0444u);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"p.ini"});
}

}  // namespace
}  // namespace data::profile
