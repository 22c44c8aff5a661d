#include "jet/io/byte_source.h"

#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace jet {
namespace {

TEST(ByteSourceTest, MemoryReadsInsideAndRefusesPastTheEnd) {
  MemoryByteSource src({1, 2, 3, 4, 5}, "img");
  uint8_t buf[3] = {};
  ASSERT_TRUE(src.ReadAt(2, 3, buf).ok());
  EXPECT_EQ(buf[0], 3);
  EXPECT_EQ(buf[2], 5);
  Status s = src.ReadAt(3, 3, buf);
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_NE(s.message().find("img"), std::string::npos);
  // An offset near 2^64 must not wrap around into a valid range.
  EXPECT_TRUE(src.ReadAt(~uint64_t{0}, 2, buf).IsCorruption());
  EXPECT_TRUE(src.ReadAt(5, 0, buf).ok());
}

TEST(ByteSourceTest, FileOpenReportsMissingFilesInTheProviderWording) {
  auto r = FileByteSource::Open("/nonexistent/dir/x.mdb");
  ASSERT_FALSE(r.ok());
  EXPECT_TRUE(r.status().IsNotFound());
  EXPECT_EQ(r.status().message(), "Could not find file '/nonexistent/dir/x.mdb'.");
}

TEST(ByteSourceTest, FileReadsWhatWasWritten) {
  auto path = std::filesystem::temp_directory_path() /
              ("tarnquill_byte_source_test_" + std::to_string(::getpid()) + ".bin");
  {
    std::ofstream out(path, std::ios::binary);
    out << "abcdefgh";
  }
  auto r = FileByteSource::Open(path.string());
  ASSERT_TRUE(r.ok()) << r.status().ToString();
  EXPECT_EQ((*r)->size(), 8u);
  uint8_t buf[2] = {};
  ASSERT_TRUE((*r)->ReadAt(6, 2, buf).ok());
  EXPECT_EQ(buf[0], 'g');
  EXPECT_TRUE((*r)->ReadAt(7, 2, buf).IsCorruption());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace jet
