#include "jet/create/pages.h"

#include <algorithm>
#include <cstring>

#include "jet/create/bytes_out.h"
#include "jet/format.h"

namespace jet::create {

namespace {

constexpr size_t kSlotCount = 12;
constexpr size_t kInlineBitmapBytes = 64;
constexpr uint32_t kInlinePages = kInlineBitmapBytes * 8;
constexpr size_t kMapPageHeader = 4;
constexpr size_t kReferenceSlots = 17;
constexpr size_t kIndexMaskStart = 0x1B;
constexpr size_t kIndexEntriesStart = 0x1E0;

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void SetBit(uint8_t* bits, uint64_t n) { bits[n / 8] |= static_cast<uint8_t>(1u << (n % 8)); }

}  // namespace

void InitDataPage(PageImage& image, uint32_t page, uint32_t owner) {
  uint8_t* p = image.Page(page);
  std::memset(p, 0, image.page_size());
  p[0] = kPageData;
  p[1] = 0x01;
  Put16(p + 2, static_cast<uint32_t>(image.page_size() - kDataPageHeader));
  Put32(p + 4, owner);
}

int64_t RoomAfter(const PageImage& image, uint32_t page, size_t size) {
  const uint8_t* p = image.Page(page);
  if (Get16(p + kSlotCount) >= kMaxRowsPerPage) return -1;
  int64_t left = static_cast<int64_t>(Get16(p + 2)) - static_cast<int64_t>(size) - 2;
  return left;
}

uint16_t AddRow(PageImage& image, uint32_t page, const uint8_t* row, size_t size) {
  uint8_t* p = image.Page(page);
  uint16_t n = Get16(p + kSlotCount);
  size_t top =
      n == 0 ? image.page_size() : (Get16(p + kDataPageHeader + 2 * (n - 1)) & kSlotOffsetMask);
  size_t start = top - size;
  std::memcpy(p + start, row, size);
  Put16(p + kDataPageHeader + 2 * n, static_cast<uint32_t>(start));
  Put16(p + kSlotCount, n + 1u);
  Put16(p + 2, static_cast<uint32_t>(Get16(p + 2) - size - 2));
  return n;
}

uint8_t* RowBytes(PageImage& image, uint32_t page, uint16_t slot) {
  uint8_t* p = image.Page(page);
  return p + (Get16(p + kDataPageHeader + 2 * slot) & kSlotOffsetMask);
}

void WriteUsageMap(PageImage& image, uint32_t ref, const std::vector<uint32_t>& pages,
                   bool global_free_map) {
  uint8_t row[kMapRowSize] = {};
  if (global_free_map) {
    // Pages appended for the map itself must be counted as used too, so the
    // bitmap pages are allocated before the bits are set.
    uint32_t count = image.page_count();
    if (count <= kInlinePages) {
      row[0] = 0x00;
      Put32(row + 1, 0);
      for (uint32_t pg = count; pg < kInlinePages; ++pg) SetBit(row + 5, pg);
    } else {
      const uint32_t per_page = (image.page_size() - kMapPageHeader) * 8;
      row[0] = 0x01;
      std::vector<uint32_t> map_pages;
      while (uint64_t{map_pages.size()} * per_page < image.page_count() + 1 &&
             map_pages.size() < kReferenceSlots) {
        uint32_t m = image.Allocate();
        image.Page(m)[0] = kPageUsageMap;
        image.Page(m)[1] = 0x01;
        map_pages.push_back(m);
      }
      count = image.page_count();
      for (size_t i = 0; i < map_pages.size(); ++i) {
        Put32(row + 1 + 4 * i, map_pages[i]);
        uint8_t* bits = image.Page(map_pages[i]) + kMapPageHeader;
        for (uint32_t k = 0; k < per_page; ++k) {
          if (uint64_t{i} * per_page + k >= count) SetBit(bits, k);
        }
      }
    }
  } else if (pages.empty() || pages.back() < kInlinePages ||
             pages.back() - (pages.front() / 8 * 8) < kInlinePages) {
    uint32_t start = pages.empty() || pages.back() < kInlinePages ? 0 : pages.front() / 8 * 8;
    row[0] = 0x00;
    Put32(row + 1, start);
    for (uint32_t pg : pages) SetBit(row + 5, pg - start);
  } else {
    const uint32_t per_page = (image.page_size() - kMapPageHeader) * 8;
    row[0] = 0x01;
    std::vector<uint32_t> slot_page(kReferenceSlots, 0);
    for (uint32_t pg : pages) {
      size_t i = pg / per_page;
      if (i >= kReferenceSlots) continue;  // beyond the largest file the format allows
      if (slot_page[i] == 0) {
        slot_page[i] = image.Allocate();
        image.Page(slot_page[i])[0] = kPageUsageMap;
        image.Page(slot_page[i])[1] = 0x01;
      }
      SetBit(image.Page(slot_page[i]) + kMapPageHeader, pg % per_page);
    }
    for (size_t i = 0; i < kReferenceSlots; ++i) Put32(row + 1 + 4 * i, slot_page[i]);
  }
  std::memcpy(RowBytes(image, ref >> 8, static_cast<uint16_t>(ref & 0xFF)), row, kMapRowSize);
}

namespace {

// An entry as placed on an index page: key, row pointer (3-byte page, big
// endian, and slot) and, on node pages, the child page (big endian).
struct Item {
  const uint8_t* key = nullptr;
  uint32_t length = 0;
  uint32_t row = 0;
  uint32_t child = 0;  // 0 on leaf pages
  size_t size() const { return length + 4 + (child ? 4 : 0); }
};

struct Level {
  std::vector<uint32_t> pages;
  std::vector<Item> last;  // the last entry of each page
};

void PutItem(uint8_t* p, const Item& it) {
  std::memcpy(p, it.key, it.length);
  p += it.length;
  uint32_t page = it.row >> 8;
  p[0] = static_cast<uint8_t>(page >> 16);
  p[1] = static_cast<uint8_t>(page >> 8);
  p[2] = static_cast<uint8_t>(page);
  p[3] = static_cast<uint8_t>(it.row & 0xFF);
  if (it.child) {
    p[4] = static_cast<uint8_t>(it.child >> 24);
    p[5] = static_cast<uint8_t>(it.child >> 16);
    p[6] = static_cast<uint8_t>(it.child >> 8);
    p[7] = static_cast<uint8_t>(it.child);
  }
}

// Fills the pages of one level with `items`, linking them left to right.
Level WriteLevel(PageImage& image, uint32_t owner, uint8_t type, const std::vector<Item>& items,
                 std::vector<uint32_t>* all) {
  Level level;
  const size_t capacity = image.page_size() - kIndexEntriesStart;
  size_t i = 0;
  do {
    uint32_t pg = image.Allocate();
    all->push_back(pg);
    uint8_t* p = image.Page(pg);
    p[0] = type;
    p[1] = 0x01;
    Put32(p + 4, owner);
    if (!level.pages.empty()) {
      Put32(p + 8, level.pages.back());
      Put32(image.Page(level.pages.back()) + 12, pg);
    }
    size_t used = 0;
    while (i < items.size() && used + items[i].size() <= capacity) {
      PutItem(p + kIndexEntriesStart + used, items[i]);
      used += items[i].size();
      SetBit(p + kIndexMaskStart, used);  // where the next entry (or the end) begins
      ++i;
    }
    Put16(p + 2, static_cast<uint32_t>(capacity - used));
    level.pages.push_back(pg);
    if (i > 0) level.last.push_back(items[i - 1]);
  } while (i < items.size());
  return level;
}

}  // namespace

uint32_t BuildIndexTree(PageImage& image, uint32_t owner, const std::vector<uint8_t>& arena,
                        const std::vector<IndexEntry>& entries, std::vector<uint32_t>* pages) {
  std::vector<Item> items;
  items.reserve(entries.size());
  for (const IndexEntry& e : entries)
    items.push_back(Item{arena.data() + e.offset, e.length, e.row, 0});
  Level level = WriteLevel(image, owner, kPageIndexLeaf, items, pages);
  while (level.pages.size() > 1) {
    std::vector<Item> up;
    for (size_t k = 0; k < level.pages.size(); ++k) {
      Item it = level.last[k];
      it.child = level.pages[k];
      up.push_back(it);
    }
    level = WriteLevel(image, owner, kPageIndexNode, up, pages);
  }
  return level.pages.front();
}

}  // namespace jet::create
