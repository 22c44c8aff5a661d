// Long values (memo, OLE) and usage maps read from hand-built pages: every
// storage form, and the damaged forms that must fail without looping.
#include <gtest/gtest.h>

#include "jet/io/byte_source.h"
#include "jet/page_store.h"
#include "jet/usage_map.h"
#include "jet/value_decoder.h"
#include "tests/jet/page_image.h"
#include "tests/support/assert_ok.h"

namespace jet {
namespace {

using testing::Cat;
using testing::Le;
using testing::PageImage;
using testing::RowPtr;

constexpr uint32_t kLval = 0x4C41564C;  // "LVAL" as the owner of long-value pages

std::vector<uint8_t> Ref(uint32_t length_and_flags, uint32_t ptr) {
  return Cat({Le(length_and_flags, 4), Le(ptr, 4), Le(0, 4)});
}

std::string AsString(const Bytes& b) { return std::string(b.begin(), b.end()); }

class LongValueTest : public ::testing::Test {
 protected:
  Result<Bytes> Read(PageImage& img, const std::vector<uint8_t>& field) {
    src_ = std::make_unique<MemoryByteSource>(img.bytes(), "lv.mdb");
    store_ = std::make_unique<PageStore>(src_.get(), Jet4Format(), 0);
    return ReadLongValue(*store_, ByteView{field.data(), field.size()}, "lv.mdb: row");
  }
  std::unique_ptr<MemoryByteSource> src_;
  std::unique_ptr<PageStore> store_;
};

TEST_F(LongValueTest, ReadsInlineSinglePageAndChainedValues) {
  PageImage img(Jet4Format(), 6);
  img.DataPage(3, kLval, {{'o', 'n', 'e', '-', 'p', 'a', 'g', 'e'}});
  // A chain: page 4 row 0 -> page 5 row 1 -> end; the last row holds slack.
  img.DataPage(4, kLval, {Cat({Le(RowPtr(5, 1), 4), {'a', 'b', 'c'}})});
  img.DataPage(5, kLval, {{'x'}, Cat({Le(0, 4), {'d', 'e', 'f', 'g', 0, 0}})});

  ASSERT_OK_AND_ASSIGN(auto inline_value,
                       Read(img, Cat({Ref(0x80000000u | 3, 0), {'h', 'i', '!'}})));
  EXPECT_EQ(AsString(inline_value), "hi!");

  ASSERT_OK_AND_ASSIGN(auto single, Read(img, Ref(0x40000000u | 8, RowPtr(3, 0))));
  EXPECT_EQ(AsString(single), "one-page");

  ASSERT_OK_AND_ASSIGN(auto chain, Read(img, Ref(7, RowPtr(4, 0))));
  EXPECT_EQ(AsString(chain), "abcdefg");
}

TEST_F(LongValueTest, DamagedReferencesFailWithCorruption) {
  PageImage img(Jet4Format(), 6);
  img.DataPage(3, kLval, {{'s', 'h', 'o', 'r', 't'}});
  img.DataPage(4, kLval, {Cat({Le(RowPtr(5, 0), 4), {'a'}})});
  img.DataPage(5, kLval, {Cat({Le(RowPtr(4, 0), 4), {'b'}})});  // loops back to page 4

  struct Case {
    const char* what;
    std::vector<uint8_t> field;
  };
  const Case cases[] = {
      {"reference too short", {1, 2, 3}},
      {"inline length past the field", Cat({Ref(0x80000000u | 50, 0), {'x'}})},
      {"single page longer than its row", Ref(0x40000000u | 99, RowPtr(3, 0))},
      {"page beyond the file", Ref(0x40000000u | 1, RowPtr(900, 0))},
      {"row beyond the page's rows", Ref(0x40000000u | 1, RowPtr(3, 7))},
      {"pointer to a page that holds no rows", Ref(0x40000000u | 1, RowPtr(1, 0))},
      {"chain that loops", Ref(1000, RowPtr(4, 0))},
      {"chain that ends early", Ref(1000, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto r = Read(img, c.field);
    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.status().IsCorruption()) << r.status().ToString();
    EXPECT_NE(r.status().message().find("lv.mdb"), std::string::npos);
  }
}

TEST(UsageMapTest, InlineAndReferenceMaps) {
  PageImage img(Jet4Format(), 8);
  // Row 0: inline map starting at page 2 marking pages 2, 4 and 11.
  auto inline_map = Cat({{0x00}, Le(2, 4), {0x05, 0x02}});
  // Row 1: reference map whose second map page (page 6) covers from page 32736.
  auto ref_map = Cat({{0x01}, Le(0, 4), Le(6, 4)});
  img.DataPage(1, 0, {inline_map, ref_map, {0x07}});
  img.page(6)[0] = kPageUsageMap;
  img.page(6)[4] = 0x01;  // first page of this map page
  img.page(6)[5] = 0x80;  // ninth page after that... + 15
  MemoryByteSource src(img.bytes(), "um.mdb");
  PageStore store(&src, Jet4Format(), 0);

  ASSERT_OK_AND_ASSIGN(auto a, ReadUsageMap(store, RowPtr(1, 0)));
  EXPECT_EQ(a, (std::vector<uint32_t>{2, 4, 11}));

  ASSERT_OK_AND_ASSIGN(auto b, ReadUsageMap(store, RowPtr(1, 1)));
  const uint32_t base = (4096 - 4) * 8;
  EXPECT_EQ(b, (std::vector<uint32_t>{base, base + 15}));

  auto bad_type = ReadUsageMap(store, RowPtr(1, 2));
  EXPECT_TRUE(bad_type.status().IsCorruption());
  img.page(6)[0] = kPageData;  // a map page of the wrong type
  MemoryByteSource src2(img.bytes(), "um.mdb");
  PageStore store2(&src2, Jet4Format(), 0);
  EXPECT_TRUE(ReadUsageMap(store2, RowPtr(1, 1)).status().IsCorruption());
}

}  // namespace
}  // namespace jet
