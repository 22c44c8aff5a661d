#include "jet/alloc/usage_map_edit.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "jet/alloc/data_page.h"

namespace jet {

namespace {

constexpr uint8_t kInlineMap = 0x00;
constexpr uint8_t kReferenceMap = 0x01;
constexpr size_t kInlineHeader = 5;   // type, first page
constexpr size_t kMapPageHeader = 4;  // page type 5, 0x01, two zero bytes

struct MapRow {
  uint32_t page = 0;
  uint16_t slot = 0;
  size_t start = 0;  // offset of the row in the page
  size_t size = 0;
};

// Locates the map row (a plain, live slot of a data page) in the editor.
Result<MapRow> FindMapRow(PageEditor& editor, uint32_t map) {
  MapRow r;
  r.page = map >> 8;
  r.slot = map & 0xFF;
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  const Format& f = editor.format();
  auto bad = [&](const std::string& what) {
    return editor.store().Corrupt(r.page, "usage map row " + std::to_string(r.slot) + ": " + what);
  };
  if (v.U8(0) != kPageData) return bad("not on a data page");
  uint16_t count = v.U16(f.data_row_count);
  if (r.slot >= count || f.data_first_slot + 2 * size_t{count} > v.size) return bad("no such row");
  uint16_t raw = v.U16(f.data_first_slot + 2 * size_t{r.slot});
  if (raw & (kSlotDeleted | kSlotLookup)) return bad("row is deleted or moved");
  r.start = raw & kSlotOffsetMask;
  size_t end = r.slot == 0 ? v.size
                           : (v.U16(f.data_first_slot + 2 * size_t{r.slot} - 2) & kSlotOffsetMask);
  if (r.start < f.data_first_slot + 2 * size_t{count} || r.start >= end || end > v.size) {
    return bad("impossible bounds");
  }
  r.size = end - r.start;
  if (v.U8(r.start) == kInlineMap ? r.size < kInlineHeader : v.U8(r.start) != kReferenceMap) {
    return bad("unknown map type " + std::to_string(v.U8(r.start)));
  }
  return r;
}

uint64_t PagesPerMapPage(const PageEditor& e) {
  return uint64_t{e.page_size() - kMapPageHeader} * 8;
}

void AddBits(ByteView bits, uint64_t first, std::vector<uint32_t>* out) {
  for (size_t i = 0; i < bits.size; ++i) {
    uint8_t b = bits.U8(i);
    for (int k = 0; b != 0 && k < 8; ++k) {
      if (b & (1u << k)) {
        uint64_t p = first + i * 8 + k;
        if (p <= UINT32_MAX) out->push_back(static_cast<uint32_t>(p));
      }
    }
  }
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A usage-map page for a reference map, appended to the file.
Result<uint32_t> NewMapPage(PageEditor& editor) {
  JET_ASSIGN_OR_RETURN(uint32_t page, AllocatePage(editor));
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(page));
  std::memset(p, 0, editor.page_size());
  p[0] = kPageUsageMap;
  p[1] = 0x01;
  return page;
}

Status SetInReference(PageEditor& editor, const MapRow& r, uint32_t page, bool on) {
  const uint64_t per = PagesPerMapPage(editor);
  const uint64_t index = page / per;
  const size_t slots = (r.size - 1) / 4;
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  uint32_t map_page = index < slots ? v.U32(r.start + 1 + 4 * index) : 0;
  if (map_page == 0) {
    if (!on) return Status::Ok();
    if (index >= slots) {
      return Status::NotSupported(editor.store().file() + ": page " + std::to_string(page) +
                                  " lies beyond what the usage map at page " +
                                  std::to_string(r.page) + " can record");
    }
    JET_ASSIGN_OR_RETURN(map_page, NewMapPage(editor));
    JET_ASSIGN_OR_RETURN(uint8_t * row_page, editor.Edit(r.page));
    Put32(row_page + r.start + 1 + 4 * index, map_page);
  }
  if (map_page >= editor.page_count()) {
    // Nothing to clear in a bitmap page that is not there.
    if (!on) return Status::Ok();
    return editor.store().Corrupt(r.page, "usage map refers to page " + std::to_string(map_page) +
                                              " beyond the end of the file");
  }
  JET_ASSIGN_OR_RETURN(ByteView mv, editor.Read(map_page));
  if (mv.U8(0) != kPageUsageMap) {
    return editor.store().Corrupt(map_page, "expected a usage map page");
  }
  uint64_t bit = page % per;
  JET_ASSIGN_OR_RETURN(uint8_t * mp, editor.Edit(map_page));
  uint8_t& b = mp[kMapPageHeader + bit / 8];
  b = on ? (b | (1u << (bit % 8))) : (b & ~(1u << (bit % 8)));
  return Status::Ok();
}

}  // namespace

Result<std::vector<uint32_t>> ReadMapPages(PageEditor& editor, uint32_t map, bool strict) {
  JET_ASSIGN_OR_RETURN(MapRow r, FindMapRow(editor, map));
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  std::vector<uint32_t> pages;
  if (v.U8(r.start) == kInlineMap) {
    AddBits(v.Sub(r.start + kInlineHeader, r.size - kInlineHeader), v.U32(r.start + 1), &pages);
    return pages;
  }
  for (size_t i = 0; 1 + 4 * i + 4 <= r.size; ++i) {
    uint32_t mp = v.U32(r.start + 1 + 4 * i);
    if (mp == 0 || (!strict && mp >= editor.page_count())) continue;
    JET_ASSIGN_OR_RETURN(ByteView mv, editor.Read(mp));
    if (mv.U8(0) != kPageUsageMap) return editor.store().Corrupt(mp, "expected a usage map page");
    AddBits(mv.Sub(kMapPageHeader, mv.size - kMapPageHeader), i * PagesPerMapPage(editor), &pages);
    JET_ASSIGN_OR_RETURN(v, editor.Read(r.page));  // the row page may have been re-read
  }
  return pages;
}

Result<bool> MapHasPage(PageEditor& editor, uint32_t map, uint32_t page) {
  // One bit is read, not the whole map: placing rows asks this per row.
  JET_ASSIGN_OR_RETURN(MapRow r, FindMapRow(editor, map));
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  auto bit_set = [](ByteView bits, uint64_t bit) {
    return bit / 8 < bits.size && (bits.U8(static_cast<size_t>(bit / 8)) >> (bit % 8) & 1) != 0;
  };
  if (v.U8(r.start) == kInlineMap) {
    const uint32_t first = v.U32(r.start + 1);
    return page >= first &&
           bit_set(v.Sub(r.start + kInlineHeader, r.size - kInlineHeader), page - first);
  }
  const uint64_t per = PagesPerMapPage(editor);
  const uint64_t index = page / per;
  if (1 + 4 * index + 4 > r.size) return false;
  const uint32_t mp = v.U32(r.start + 1 + 4 * static_cast<size_t>(index));
  if (mp == 0) return false;
  JET_ASSIGN_OR_RETURN(ByteView mv, editor.Read(mp));
  if (mv.U8(0) != kPageUsageMap) return editor.store().Corrupt(mp, "expected a usage map page");
  return bit_set(mv.Sub(kMapPageHeader, mv.size - kMapPageHeader), page % per);
}

Status SetMapPage(PageEditor& editor, uint32_t map, uint32_t page, bool on) {
  JET_ASSIGN_OR_RETURN(MapRow r, FindMapRow(editor, map));
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  if (v.U8(r.start) == kReferenceMap) return SetInReference(editor, r, page, on);

  const uint64_t bits = uint64_t{r.size - kInlineHeader} * 8;
  const uint32_t first = v.U32(r.start + 1);
  if (page >= first && page - first < bits) {
    JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(r.page));
    uint64_t bit = page - first;
    uint8_t& b = p[r.start + kInlineHeader + bit / 8];
    b = on ? (b | (1u << (bit % 8))) : (b & ~(1u << (bit % 8)));
    return Status::Ok();
  }
  if (!on) return Status::Ok();
  // The page lies outside the bitmap's window: move the window when every
  // marked page still fits, otherwise switch to a reference map.
  JET_ASSIGN_OR_RETURN(std::vector<uint32_t> marked, ReadMapPages(editor, map));
  marked.push_back(page);
  std::sort(marked.begin(), marked.end());
  uint32_t new_first = marked.front() & ~7u;
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor.Edit(r.page));
  if (uint64_t{marked.back()} - new_first < bits) {
    std::memset(p + r.start + kInlineHeader, 0, r.size - kInlineHeader);
    Put32(p + r.start + 1, new_first);
    for (uint32_t m : marked) {
      uint64_t bit = m - new_first;
      p[r.start + kInlineHeader + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    return Status::Ok();
  }
  std::memset(p + r.start, 0, r.size);
  p[r.start] = kReferenceMap;
  for (uint32_t m : marked) JET_RETURN_IF_ERROR(SetInReference(editor, r, m, true));
  return Status::Ok();
}

Result<uint32_t> AllocatePage(PageEditor& editor) {
  uint32_t page = editor.Append();
  JET_RETURN_IF_ERROR(SetMapPage(editor, kGlobalUsageMap, page, false));
  return page;
}

Status ReleasePage(PageEditor& editor, uint32_t page) {
  JET_ASSIGN_OR_RETURN(MapRow r, FindMapRow(editor, kGlobalUsageMap));
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(r.page));
  if (v.U8(r.start) == kInlineMap) {
    const uint64_t bits = uint64_t{r.size - kInlineHeader} * 8;
    const uint32_t first = v.U32(r.start + 1);
    if (page < first || page - first >= bits) return Status::Ok();
  } else {
    // Recording the page would need a new bitmap page; leaving it unused is
    // the better trade.
    uint64_t index = page / PagesPerMapPage(editor);
    if (index >= (r.size - 1) / 4) return Status::Ok();
    uint32_t map_page = v.U32(r.start + 1 + 4 * index);
    if (map_page == 0 || map_page >= editor.page_count()) return Status::Ok();
  }
  return SetMapPage(editor, kGlobalUsageMap, page, true);
}

}  // namespace jet
