#include "jet/usage_map.h"

#include "jet/row_locator.h"

namespace jet {

namespace {
constexpr uint8_t kInlineMap = 0x00;
constexpr uint8_t kReferenceMap = 0x01;
constexpr size_t kMapPageHeader = 4;

void AddBits(ByteView bits, uint64_t first_page, std::vector<uint32_t>* out) {
  for (size_t i = 0; i < bits.size; ++i) {
    uint8_t b = bits.U8(i);
    if (b == 0) continue;
    for (int k = 0; k < 8; ++k) {
      if ((b & (1u << k)) == 0) continue;
      uint64_t page = first_page + i * 8 + k;
      // Maps are sized in whole bytes and may mark pages the file no longer
      // has only if damaged; those are reported when the page is read.
      if (page <= UINT32_MAX) out->push_back(static_cast<uint32_t>(page));
    }
  }
}
}  // namespace

Result<std::vector<uint32_t>> ReadUsageMap(PageStore& store, uint32_t raw) {
  RowPointer ptr = RowPointer::FromRaw(raw);
  JET_ASSIGN_OR_RETURN(RowSpan row, LocateRow(store, ptr.page, ptr.slot));
  ByteView v = row.bytes();
  std::vector<uint32_t> pages;
  if (row.deleted() || v.size < 1) {
    return store.Corrupt(ptr.page, "usage map row " + std::to_string(ptr.slot) + " is empty");
  }
  uint8_t type = v.U8(0);
  if (type == kInlineMap) {
    if (v.size < 5) return store.Corrupt(ptr.page, "inline usage map shorter than its header");
    AddBits(v.Sub(5, v.size - 5), v.U32(1), &pages);
    return pages;
  }
  if (type != kReferenceMap) {
    return store.Corrupt(ptr.page, "usage map of unknown type " + std::to_string(type));
  }
  const uint64_t pages_per_map = uint64_t{store.page_size() - kMapPageHeader} * 8;
  for (size_t i = 0; 1 + i * 4 + 4 <= v.size; ++i) {
    uint32_t map_page = v.U32(1 + i * 4);
    if (map_page == 0) continue;
    JET_ASSIGN_OR_RETURN(PageRef p, store.Get(map_page));
    ByteView mv = View(p);
    if (mv.U8(0) != kPageUsageMap) {
      return store.Corrupt(map_page, "expected a usage map page, found page type " +
                                         std::to_string(mv.U8(0)));
    }
    AddBits(mv.Sub(kMapPageHeader, mv.size - kMapPageHeader), i * pages_per_map,
            &pages);
  }
  return pages;
}

}  // namespace jet
