// Other writers: a second writer of this program, and a lock file held by
// another process the way Access holds its .ldb.
#include "jet/write/write_lock.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"
#include "tests/support/access_lock.h"

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

  tarnquill::testing::AccessLockHolder access(ldb);
  ASSERT_TRUE(access.holding());
  auto lock = WriteLock::Acquire(path);
  EXPECT_EQ(lock.status().code(), Status::Code::kLocked);
  EXPECT_NE(lock.status().message().find(path), std::string::npos) << lock.status().message();
  EXPECT_NE(lock.status().message().find("OFFICE-PC"), std::string::npos)
      << lock.status().message();
  access.Release();
  // Once that program has closed the database, writing may go ahead.
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
}

}  // namespace
}  // namespace jet
