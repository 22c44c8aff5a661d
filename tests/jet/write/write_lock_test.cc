// Other writers: a second writer of this program, and a lock file held by
// another process the way Access holds its .ldb.
#include "jet/write/write_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "temp_dir.h"

namespace jet {
namespace {

TEST(WriteLock, LockFileNamesFollowTheDatabaseExtension) {
  EXPECT_EQ(LockFilePathFor("/d/Sales.mdb"), "/d/Sales.ldb");
  EXPECT_EQ(LockFilePathFor("/d/Sales.MDB"), "/d/Sales.ldb");
  EXPECT_EQ(LockFilePathFor("/d/new.accdb"), "/d/new.laccdb");
  EXPECT_EQ(LockFilePathFor("/d/data"), "/d/data.ldb");
}

TEST(WriteLock, OnlyOneWriterAtATime) {
  testing::TempDir dir;
  const std::string path = dir.File("a.mdb");
  std::ofstream(path) << "x";
  auto first = WriteLock::Acquire(path);
  ASSERT_TRUE(first.ok()) << first.status().ToString();
  auto second = WriteLock::Acquire(path);
  ASSERT_EQ(second.status().code(), Status::Code::kLocked);
  EXPECT_NE(second.status().message().find(path), std::string::npos);
  first->reset();
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
  EXPECT_TRUE(WriteLock::Acquire(dir.File("missing.mdb")).status().IsNotFound());
}

TEST(WriteLock, LeftoverOrEmptyLockFilesDoNotBlock) {
  testing::TempDir dir;
  const std::string path = dir.File("b.mdb");
  std::ofstream(path) << "x";
  std::ofstream(dir.File("b.ldb"));  // empty
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
  std::ofstream(dir.File("b.ldb")) << std::string(64, 'M');  // a crashed session's record
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
}

TEST(WriteLock, ALockFileHeldByAnotherProcessBlocksWriting) {
  testing::TempDir dir;
  const std::string path = dir.File("c.mdb");
  const std::string ldb = dir.File("c.ldb");
  std::ofstream(path) << "x";
  std::string record = "OFFICE-PC";
  record.resize(32, ' ');
  record += std::string("Admin").append(27, '\0');
  std::ofstream(ldb) << record;

  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Like Jet: an exclusive lock on one byte far beyond the end of the file.
    int fd = open(ldb.c_str(), O_RDWR);
    struct flock lk;
    std::memset(&lk, 0, sizeof lk);
    lk.l_type = F_WRLCK;
    lk.l_whence = SEEK_SET;
    lk.l_start = 0x10000001;
    lk.l_len = 1;
    char c = (fd >= 0 && fcntl(fd, F_SETLK, &lk) == 0) ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    (void)!read(done[0], &c, 1);
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  auto lock = WriteLock::Acquire(path);
  EXPECT_EQ(lock.status().code(), Status::Code::kLocked);
  EXPECT_NE(lock.status().message().find(path), std::string::npos) << lock.status().message();
  EXPECT_NE(lock.status().message().find("OFFICE-PC"), std::string::npos)
      << lock.status().message();
  (void)!write(done[1], "x", 1);
  int status = 0;
  waitpid(child, &status, 0);
  // Once that program has closed the database, writing may go ahead.
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
  for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

}  // namespace
}  // namespace jet
