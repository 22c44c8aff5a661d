#include "jet/io/byte_source.h"

#include <gtest/gtest.h>

#include "jet/format.h"
#include "jet/page_store.h"
#include "tests/support/assert_ok.h"
#include "tests/support/temp_dir.h"

namespace jet {
namespace {

TEST(ByteSourceTest, MemoryAndFileReadInsideAndRefusePastTheEnd) {
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
  // A file reads what was written.
  tarnquill::testing::TempDir dir;
  ASSERT_TRUE(tarnquill::testing::WriteFile(dir.File("x.bin"), "abcdefgh"));
  ASSERT_OK_AND_ASSIGN(auto r, FileByteSource::Open(dir.File("x.bin")));
  EXPECT_EQ(r->size(), 8u);
  ASSERT_TRUE(r->ReadAt(6, 2, buf).ok());
  EXPECT_EQ(buf[0], 'g');
  EXPECT_TRUE(r->ReadAt(7, 2, buf).IsCorruption());
}

// Counts the reads that reach the source.
class CountingSource : public MemoryByteSource {
 public:
  using MemoryByteSource::MemoryByteSource;
  Status ReadAt(uint64_t offset, size_t n, uint8_t* out) const override {
    ++reads;
    return MemoryByteSource::ReadAt(offset, n, out);
  }
  mutable int reads = 0;
};

TEST(PageStoreTest, PagesInOrderAreReadSeveralAtATimeAndEveryPageStaysRight) {
  const uint32_t size = Jet4Format().page_size;
  constexpr uint32_t kPages = 300;
  std::vector<uint8_t> image(size_t{kPages} * size);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i / size * 7 + i % 251);
  CountingSource source(image, "t.mdb");
  PageStore store(&source, Jet4Format(), 0, 64);
  auto expect_page = [&](uint32_t page) {
    ASSERT_OK_AND_ASSIGN(auto got, store.Get(page));
    ASSERT_TRUE(std::equal(got->begin(), got->end(), image.begin() + size_t{page} * size))
        << "page " << page;
  };
  for (uint32_t page = 1; page < kPages; ++page) expect_page(page);
  EXPECT_EQ(store.reads(), kPages - 1);  // each page read once
  EXPECT_LT(source.reads, 30);
  // Out of order, after the cache turned over many times; a page rewritten
  // by the write side reads back as written, from a recycled buffer or not.
  for (uint32_t page : {250u, 3u, 4u, 200u, 5u, 299u}) expect_page(page);
  std::vector<uint8_t> rewritten = store.TakePageBuffer();
  ASSERT_EQ(rewritten.size(), size);
  std::fill(rewritten.begin(), rewritten.end(), uint8_t{0x5A});
  store.Replace(4, rewritten);
  ASSERT_OK_AND_ASSIGN(auto four, store.Get(4));
  EXPECT_EQ(*four, rewritten);
  for (uint32_t page = 100; page < 110; ++page) expect_page(page);
}

}  // namespace
}  // namespace jet
