// Opening for writing checks everything before touching the file: a second
// writer, a read-only file, and a rollback left by an interrupted run.
#include "jet/write/write_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "jet/write/journal_format.h"
#include "temp_dir.h"

namespace jet {
namespace {

constexpr uint32_t kPage = 512;

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

TEST(WriteSession, SecondWriterIsLockedOutUntilTheFirstCloses) {
  testing::TempDir dir;
  const std::string path = dir.File("s.mdb");
  WriteAll(path, std::vector<uint8_t>(2 * kPage, 1));
  auto first = WriteSession::Open(path, kPage);
  ASSERT_TRUE(first.ok()) << first.status().ToString();
  ASSERT_TRUE((*first)->file().Begin().ok());
  std::vector<uint8_t> page(kPage, 9);
  ASSERT_TRUE((*first)->file().WritePage(0, page.data()).ok());

  auto second = WriteSession::Open(path, kPage);
  EXPECT_EQ(second.status().code(), Status::Code::kLocked);
  // The first writer's uncommitted change was not disturbed by the attempt.
  ASSERT_TRUE((*first)->file().Commit().ok());
  first->reset();
  EXPECT_EQ(ReadAll(path)[0], 9);
  EXPECT_TRUE(WriteSession::Open(path, kPage).ok());
}

TEST(WriteSession, ReadOnlyFileIsRefusedAndItsJournalKept) {
  testing::TempDir dir;
  const std::string path = dir.File("r.mdb");
  const std::vector<uint8_t> image(2 * kPage, 3);
  WriteAll(path, image);
  WriteAll(path + "-journal", journal::EncodeHeader(journal::Header{kPage, 2 * kPage, 4}));
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  auto session = WriteSession::Open(path, kPage);
  ASSERT_EQ(session.status().code(), Status::Code::kReadOnly);
  EXPECT_NE(session.status().message().find(path), std::string::npos);
  EXPECT_EQ(ReadAll(path), image);
  EXPECT_TRUE(std::filesystem::exists(path + "-journal"));
}

TEST(WriteSession, InterruptedChangeIsRolledBackAtOpen) {
  testing::TempDir dir;
  const std::string path = dir.File("i.mdb");
  const std::vector<uint8_t> original(2 * kPage, 5);
  std::vector<uint8_t> journal = journal::EncodeHeader(journal::Header{kPage, 2 * kPage, 11});
  auto record = journal::EncodeRecord(11, 1, original.data() + kPage, kPage);
  journal.insert(journal.end(), record.begin(), record.end());
  WriteAll(path + "-journal", journal);
  std::vector<uint8_t> half_written = original;
  std::fill(half_written.begin() + kPage, half_written.end(), 0x77);
  half_written.resize(3 * kPage, 0x77);
  WriteAll(path, half_written);

  auto session = WriteSession::Open(path, kPage);
  ASSERT_TRUE(session.ok()) << session.status().ToString();
  EXPECT_EQ(ReadAll(path), original);
  EXPECT_EQ((*session)->file().page_count(), 2u);
}

}  // namespace
}  // namespace jet
