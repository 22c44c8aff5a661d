// Data pages rebuilt with one row replaced: the fast path must lay the page
// out byte for byte as the general one (all slots read, one changed, all
// written back), refuse rows that do not fit, and reject impossible pages.
#include "jet/alloc/data_page.h"

#include <gtest/gtest.h>

#include <random>

namespace jet {
namespace {

using Bytes = std::vector<uint8_t>;

// A data page holding `slots`; a few deleted slots are then given stale
// bounds pointing into the slot table, as files written elsewhere have.
Bytes RandomPage(const Format& f, std::mt19937& rng, std::vector<PageSlot>* slots) {
  Bytes page(f.page_size);
  InitDataPage(f, 0x1234, page.data());
  const int count = std::uniform_int_distribution<int>(1, 40)(rng);
  size_t budget = f.page_size - f.data_first_slot - 2 * size_t(count);
  slots->clear();
  for (int s = 0; s < count; ++s) {
    PageSlot slot;
    const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
    if (kind == 0) {
      slot.flags = kSlotDeleted;  // emptied
    } else {
      if (kind == 1) slot.flags = kSlotLookup;
      if (kind == 2) slot.flags = kSlotDeleted;  // data moved here from elsewhere
      size_t n = std::uniform_int_distribution<size_t>(kind == 1 ? 4 : 1, 90)(rng);
      n = std::min(n, budget / 2);
      budget -= n;
      for (size_t i = 0; i < n; ++i) slot.bytes.push_back(static_cast<uint8_t>(rng()));
    }
    slots->push_back(std::move(slot));
  }
  EXPECT_TRUE(WriteDataPageSlots(f, *slots, page.data()));
  for (size_t s = 0; s < slots->size(); ++s) {
    if ((*slots)[s].flags == kSlotDeleted && (*slots)[s].bytes.empty() && rng() % 2) {
      const uint16_t stale = kSlotDeleted | static_cast<uint16_t>(f.data_first_slot);
      page[f.data_first_slot + 2 * s] = static_cast<uint8_t>(stale);
      page[f.data_first_slot + 2 * s + 1] = static_cast<uint8_t>(stale >> 8);
    }
  }
  return page;
}

ByteView View(const Bytes& b) { return ByteView{b.data(), b.size()}; }

TEST(DataPageRebuild, MatchesTheGeneralRewriteOnRandomPages) {
  std::mt19937 rng(20260);
  int rebuilt = 0, refused = 0;
  for (const Format* f : {&Jet3Format(), &Jet4Format()}) {
    for (int round = 0; round < 400; ++round) {
      std::vector<PageSlot> written;
      const Bytes page = RandomPage(*f, rng, &written);

      // Spans and copies agree with what was written.
      std::vector<SlotSpan> spans;
      ASSERT_TRUE(ReadDataPageSpans(*f, View(page), 7, &spans).ok());
      std::vector<PageSlot> slots;
      ASSERT_TRUE(ReadDataPageSlots(*f, View(page), 7, &slots).ok());
      ASSERT_EQ(slots.size(), written.size());
      for (size_t s = 0; s < slots.size(); ++s) {
        EXPECT_EQ(slots[s].bytes, written[s].bytes);
        EXPECT_EQ(slots[s].flags, written[s].flags);
        EXPECT_EQ(spans[s].length, written[s].bytes.size());
      }

      const uint16_t target = static_cast<uint16_t>(rng() % slots.size());
      const uint16_t flags = std::vector<uint16_t>{0, kSlotDeleted, kSlotLookup}[rng() % 3];
      Bytes row(std::uniform_int_distribution<size_t>(0, rng() % 8 ? 120 : 4000)(rng));
      for (uint8_t& b : row) b = static_cast<uint8_t>(rng());

      std::vector<PageSlot> changed = slots;
      changed[target].bytes = row;
      changed[target].flags = flags;
      Bytes expect = page;
      const bool fits = WriteDataPageSlots(*f, changed, expect.data());

      Bytes got;
      auto result =
          RebuildDataPageWithSlot(*f, View(page), 7, spans, target, View(row), flags, &got);
      ASSERT_TRUE(result.ok()) << result.status().ToString();
      ASSERT_EQ(*result, fits) << "round " << round;
      if (fits) {
        ASSERT_EQ(got, expect) << "round " << round << ", slot " << target;
        ++rebuilt;
      } else {
        EXPECT_GT(DataPageBytesNeeded(*f, changed), f->page_size);
        ++refused;
      }
    }
  }
  // Both outcomes were exercised.
  EXPECT_GT(rebuilt, 100);
  EXPECT_GT(refused, 10);
}

TEST(DataPageRebuild, ARowReplacedByItsOwnBytesCompactsThePage) {
  const Format& f = Jet4Format();
  Bytes page(f.page_size);
  InitDataPage(f, 9, page.data());
  std::vector<PageSlot> slots(3);
  slots[0].bytes = Bytes(10, 0xA0);
  slots[1].bytes = Bytes(20, 0xB1);
  slots[2].bytes = Bytes(30, 0xC2);
  ASSERT_TRUE(WriteDataPageSlots(f, slots, page.data()));
  std::vector<SlotSpan> spans;
  ASSERT_TRUE(ReadDataPageSpans(f, View(page), 3, &spans).ok());
  // `bytes` may lie inside the page being rebuilt.
  const ByteView own{page.data() + spans[1].offset, spans[1].length};
  Bytes got;
  auto result = RebuildDataPageWithSlot(f, View(page), 3, spans, 1, own, 0, &got);
  ASSERT_TRUE(result.ok() && *result);
  EXPECT_EQ(got, page);
  // The free space count follows the new row's size.
  const Bytes shorter(5, 0xEE);
  result = RebuildDataPageWithSlot(f, View(page), 3, spans, 2, View(shorter), 0, &got);
  ASSERT_TRUE(result.ok() && *result);
  EXPECT_EQ(DataPageFreeSpace(f, View(got)), DataPageFreeSpace(f, View(page)) + 25);
}

TEST(DataPageRebuild, ImpossiblePagesAndSlotsAreCorruption) {
  const Format& f = Jet4Format();
  Bytes page(f.page_size);
  InitDataPage(f, 9, page.data());
  std::vector<PageSlot> slots(2);
  slots[0].bytes = Bytes(10, 1);
  slots[1].bytes = Bytes(10, 2);
  ASSERT_TRUE(WriteDataPageSlots(f, slots, page.data()));
  std::vector<SlotSpan> spans;
  ASSERT_TRUE(ReadDataPageSpans(f, View(page), 5, &spans).ok());

  Bytes got;
  const Bytes row(4, 0);
  auto missing = RebuildDataPageWithSlot(f, View(page), 5, spans, 2, View(row), 0, &got);
  EXPECT_TRUE(missing.status().IsCorruption());

  Bytes broken = page;  // a live row starting inside the slot table
  broken[f.data_first_slot + 2] = static_cast<uint8_t>(f.data_first_slot);
  broken[f.data_first_slot + 3] = 0;
  Status s = ReadDataPageSpans(f, View(broken), 5, &spans);
  EXPECT_TRUE(s.IsCorruption());
  EXPECT_NE(s.message().find("page 5"), std::string::npos) << s.message();
  EXPECT_TRUE(ReadDataPageSlots(f, View(broken), 5, &slots).IsCorruption());

  Bytes not_data = page;
  not_data[0] = kPageTableDef;
  EXPECT_TRUE(ReadDataPageSpans(f, View(not_data), 5, &spans).IsCorruption());

  Bytes too_many = page;  // a slot count whose table runs past the page
  too_many[f.data_row_count] = 0xFF;
  too_many[f.data_row_count + 1] = 0xFF;
  EXPECT_TRUE(ReadDataPageSpans(f, View(too_many), 5, &spans).IsCorruption());
}

}  // namespace
}  // namespace jet
