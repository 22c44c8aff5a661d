// The file layer under the journal: POSIX and in-memory files behave alike,
// the memory model loses exactly what was not flushed, the fault injector
// cuts writes where it is told to, and the lock that keeps other writers out.
#include "jet/io/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "jet/io/fault_injection.h"
#include "jet/io/memory_file_system.h"
#include "jet/write/write_lock.h"
#include "tests/support/access_lock.h"
#include "tests/support/assert_ok.h"
#include "tests/support/temp_dir.h"

namespace jet {
namespace {

using Bytes = std::vector<uint8_t>;

class FileSystemTest : public ::testing::TestWithParam<bool> {
 protected:
  FileSystem* fs() { return GetParam() ? PosixFileSystem() : &memory_; }
  std::string Path(const std::string& name) { return dir_.File(name); }
  tarnquill::testing::TempDir dir_;
  MemoryFileSystem memory_;
};

TEST_P(FileSystemTest, WritesReadsResizesAndReportsSize) {
  ASSERT_OK_AND_ASSIGN(auto file, fs()->Open(Path("a.mdb"), OpenMode::kCreateOrReuse));
  File& f = *file;
  const Bytes hello = {'h', 'e', 'l', 'l', 'o'};
  ASSERT_TRUE(f.WriteAt(10, hello.data(), hello.size()).ok());
  EXPECT_EQ(*f.Size(), 15u);
  Bytes got(15, 0xAA);
  ASSERT_TRUE(f.ReadAt(0, got.size(), got.data()).ok());
  EXPECT_EQ(got, (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'h', 'e', 'l', 'l', 'o'}));
  ASSERT_TRUE(f.Resize(12).ok());
  EXPECT_EQ(*f.Size(), 12u);
  Bytes past(4);
  EXPECT_TRUE(f.ReadAt(10, 4, past.data()).IsCorruption());
  EXPECT_TRUE(f.Sync().ok());
  EXPECT_TRUE(*fs()->Exists(Path("a.mdb")));
  file.reset();
  EXPECT_TRUE(fs()->Remove(Path("a.mdb")).ok());
  EXPECT_FALSE(*fs()->Exists(Path("a.mdb")));
  EXPECT_TRUE(fs()->Remove(Path("a.mdb")).ok());  // already gone is fine
  // A missing file is not found, in the provider's wording.
  auto missing = fs()->Open(Path("none.mdb"), OpenMode::kExisting);
  ASSERT_TRUE(missing.status().IsNotFound());
  EXPECT_EQ(missing.status().message(), "Could not find file '" + Path("none.mdb") + "'.");
}

INSTANTIATE_TEST_SUITE_P(Both, FileSystemTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Posix" : "Memory"; });

TEST(PosixFileSystem, ReadOnlyFileAndFolderAreRefusedBeforeAnyChange) {
  tarnquill::testing::TempDir dir;
  const std::string path = dir.File("ro.mdb");
  std::ofstream(path) << "data";
  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
  auto file = PosixFileSystem()->Open(path, OpenMode::kExisting);
  ASSERT_EQ(file.status().code(), Status::Code::kReadOnly);
  EXPECT_NE(file.status().message().find(path), std::string::npos);

  std::filesystem::permissions(
      dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  auto created = PosixFileSystem()->Open(dir.File("new-journal"), OpenMode::kCreateOrReuse);
  ASSERT_EQ(created.status().code(), Status::Code::kReadOnly);
  EXPECT_NE(created.status().message().find("folder"), std::string::npos)
      << created.status().message();
  EXPECT_FALSE(std::filesystem::exists(dir.File("new-journal")));
}

TEST(MemoryFileSystem, PowerLossKeepsOnlyWhatWasFlushed) {
  MemoryFileSystem fs;
  fs.Put("db", Bytes{1, 2, 3});
  {
    auto f = fs.Open("db", OpenMode::kExisting);
    const uint8_t x = 9;
    ASSERT_TRUE((*f)->WriteAt(0, &x, 1).ok());
    ASSERT_TRUE((*f)->Sync().ok());
    ASSERT_TRUE((*f)->WriteAt(1, &x, 1).ok());  // never flushed
  }
  auto j = fs.Open("journal", OpenMode::kCreateOrReuse);  // name never made durable
  const uint8_t y = 7;
  ASSERT_TRUE((*j)->WriteAt(0, &y, 1).ok());
  ASSERT_TRUE((*j)->Sync().ok());
  fs.LoseUnsyncedChanges();
  EXPECT_EQ(fs.Contents("db"), (Bytes{9, 2, 3}));
  EXPECT_FALSE(*fs.Exists("journal"));
}

TEST(FaultInjection, ByteBudgetTearsTheWriteThatCrossesItAndCallBudgetStopsAtTheNth) {
  MemoryFileSystem base;
  base.Put("db", Bytes(8, 0));
  FaultInjectingFileSystem fs(&base);
  ASSERT_OK_AND_ASSIGN(auto f, fs.Open("db", OpenMode::kExisting));
  fs.FailAfterBytes(5);
  const Bytes four = {1, 1, 1, 1};
  EXPECT_TRUE(f->WriteAt(0, four.data(), 4).ok());
  EXPECT_EQ(f->WriteAt(4, four.data(), 4).code(), Status::Code::kIOError);
  EXPECT_TRUE(fs.tripped());
  EXPECT_EQ(base.Contents("db"), (Bytes{1, 1, 1, 1, 1, 0, 0, 0}));
  // Once tripped, nothing else changes.
  EXPECT_FALSE(f->Sync().ok());
  EXPECT_FALSE(f->Resize(0).ok());
  EXPECT_FALSE(fs.Remove("db").ok());
  EXPECT_EQ(base.Contents("db").size(), 8u);
  // A call budget stops at the nth change.
  FaultInjectingFileSystem calls(&base);
  calls.FailAfterCalls(2);
  ASSERT_OK_AND_ASSIGN(auto n, calls.Open("new", OpenMode::kCreateOrReuse));  // call 1
  EXPECT_TRUE(n->WriteAt(0, four.data(), 1).ok());                            // call 2
  EXPECT_FALSE(n->WriteAt(1, four.data(), 1).ok());
  EXPECT_EQ(base.Contents("new"), Bytes{1});
  EXPECT_EQ(calls.budget().calls_made, 2u);
}

// Other writers: a second writer of this program, and a lock file held by
// another process the way Access holds its .ldb.
TEST(WriteLock, LockFileNamesFollowTheDatabaseExtension) {
  EXPECT_EQ(LockFilePathFor("/d/Sales.mdb"), "/d/Sales.ldb");
  EXPECT_EQ(LockFilePathFor("/d/Sales.MDB"), "/d/Sales.ldb");
  EXPECT_EQ(LockFilePathFor("/d/new.accdb"), "/d/new.laccdb");
  EXPECT_EQ(LockFilePathFor("/d/data"), "/d/data.ldb");
}

// One writer at a time; a leftover or empty lock file does not block, one
// held by another process does until that program closes the database.
TEST(WriteLock, OnlyOneWriterAndLockFilesOnlyWhileHeld) {
  tarnquill::testing::TempDir dir;
  const std::string path = dir.File("a.mdb");
  const std::string ldb = dir.File("a.ldb");
  std::ofstream(path) << "x";
  ASSERT_OK_AND_ASSIGN(auto first, WriteLock::Acquire(path));
  auto second = WriteLock::Acquire(path);
  ASSERT_EQ(second.status().code(), Status::Code::kLocked);
  EXPECT_NE(second.status().message().find(path), std::string::npos);
  first.reset();
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
  EXPECT_TRUE(WriteLock::Acquire(dir.File("missing.mdb")).status().IsNotFound());

  std::ofstream{ldb};  // empty
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
  std::string record = "OFFICE-PC";
  record.resize(32, ' ');
  record += std::string("Admin").append(27, '\0');
  std::ofstream(ldb) << record;  // a crashed session's record
  EXPECT_TRUE(WriteLock::Acquire(path).ok());

  tarnquill::testing::AccessLockHolder access(ldb);
  ASSERT_TRUE(access.holding());
  auto lock = WriteLock::Acquire(path);
  EXPECT_EQ(lock.status().code(), Status::Code::kLocked);
  EXPECT_NE(lock.status().message().find(path), std::string::npos) << lock.status().message();
  EXPECT_NE(lock.status().message().find("OFFICE-PC"), std::string::npos)
      << lock.status().message();
  access.Release();
  EXPECT_TRUE(WriteLock::Acquire(path).ok());
}

}  // namespace
}  // namespace jet
