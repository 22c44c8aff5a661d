#include "jet/create/pages.h"

#include <algorithm>
#include <cstring>

#include "jet/create/bytes_out.h"
#include "jet/format.h"
#include "jet/index/index_page.h"

namespace jet::create {

namespace {

constexpr size_t kInlineBitmapBytes = 64;
constexpr uint32_t kInlinePages = kInlineBitmapBytes * 8;
constexpr size_t kMapPageHeader = 4;
constexpr size_t kReferenceSlots = 17;

// New databases are Jet 4 files.
size_t SlotCountAt() { return Jet4Format().data_row_count; }

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
  if (Get16(p + SlotCountAt()) >= kMaxRowsPerPage) return -1;
  int64_t left = static_cast<int64_t>(Get16(p + 2)) - static_cast<int64_t>(size) - 2;
  return left;
}

uint16_t AddRow(PageImage& image, uint32_t page, const uint8_t* row, size_t size) {
  uint8_t* p = image.Page(page);
  uint16_t n = Get16(p + SlotCountAt());
  size_t top =
      n == 0 ? image.page_size() : (Get16(p + kDataPageHeader + 2 * (n - 1)) & kSlotOffsetMask);
  size_t start = top - size;
  std::memcpy(p + start, row, size);
  Put16(p + kDataPageHeader + 2 * n, static_cast<uint32_t>(start));
  Put16(p + SlotCountAt(), n + 1u);
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

// Fills one level of the tree left to right with `items` (the entries of a
// leaf level, or for a node level the last entry under each child with that
// child). A node's last child goes in its tail and has no entry of its own,
// and pages on a level link to their neighbours, as Access lays them out.
// Returns the pages of the level and the last entry under each.
std::vector<jet::IndexEntry> WriteLevel(PageImage& image, const Format& f, uint32_t owner,
                                        uint8_t type, const std::vector<jet::IndexEntry>& items,
                                        std::vector<uint32_t>* level, std::vector<uint32_t>* all) {
  const bool leaf = type == kPageIndexLeaf;
  const size_t capacity = IndexEntryArea(f);
  std::vector<jet::IndexEntry> last;
  jet::IndexPage pending;
  uint32_t pending_page = 0;
  size_t i = 0;
  do {
    const uint32_t pg = image.Allocate();
    all->push_back(pg);
    jet::IndexPage page;
    page.type = type;
    page.owner = owner;
    if (pending_page != 0) {
      page.prev = pending_page;
      pending.next = pg;
      WriteIndexPage(f, pending, image.Page(pending_page));
    }
    // Sizes without prefix compression: whatever the page shares only frees room.
    size_t used = 0;
    while (i < items.size()) {
      const size_t size = items[i].key.size() + (leaf ? 4 : 8);
      if (!page.entries.empty() && used + size > capacity) break;
      page.entries.push_back(items[i]);
      used += size;
      ++i;
    }
    level->push_back(pg);
    if (page.entries.empty()) {  // an empty index: one empty leaf
      WriteIndexPage(f, page, image.Page(pg));
      return last;
    }
    last.push_back(page.entries.back());
    if (!leaf) {
      page.tail = page.entries.back().child;
      page.entries.pop_back();
    }
    pending = std::move(page);
    pending_page = pg;
  } while (i < items.size());
  WriteIndexPage(f, pending, image.Page(pending_page));
  return last;
}

}  // namespace

uint32_t BuildIndexTree(PageImage& image, const Format& f, uint32_t owner,
                        const std::vector<uint8_t>& arena, const std::vector<IndexEntry>& entries,
                        std::vector<uint32_t>* pages) {
  std::vector<jet::IndexEntry> items;
  items.reserve(entries.size());
  for (const IndexEntry& e : entries) {
    jet::IndexEntry item;
    item.key.assign(arena.begin() + static_cast<ptrdiff_t>(e.offset),
                    arena.begin() + static_cast<ptrdiff_t>(e.offset + e.length));
    item.row = RowId{e.row >> 8, static_cast<uint16_t>(e.row & 0xFF)};
    items.push_back(std::move(item));
  }
  std::vector<uint32_t> level;
  std::vector<jet::IndexEntry> last =
      WriteLevel(image, f, owner, kPageIndexLeaf, items, &level, pages);
  while (level.size() > 1) {
    for (size_t k = 0; k < level.size(); ++k) last[k].child = level[k];
    std::vector<uint32_t> up;
    last = WriteLevel(image, f, owner, kPageIndexNode, last, &up, pages);
    level = std::move(up);
  }
  return level.front();
}

}  // namespace jet::create
