#include "jet/row_locator.h"

namespace jet {

Result<uint16_t> SlotCount(const PageStore& store, uint32_t page_number, ByteView page) {
  const Format& f = store.format();
  if (page.U8(0) != kPageData) {
    return store.Corrupt(page_number,
                         "expected a data page, found page type " + std::to_string(page.U8(0)));
  }
  uint16_t count = page.U16(f.data_row_count);
  if (f.data_first_slot + size_t{count} * 2 > page.size) {
    return store.Corrupt(page_number, "slot count " + std::to_string(count) +
                                          " does not fit in the page");
  }
  return count;
}

Result<RowSpan> LocateRowOn(const PageStore& store, uint32_t page_number, const PageRef& page,
                            uint16_t slot) {
  const Format& f = store.format();
  ByteView v = View(page);
  JET_ASSIGN_OR_RETURN(uint16_t count, SlotCount(store, page_number, v));
  if (slot >= count) {
    return store.Corrupt(page_number, "reference to row " + std::to_string(slot) +
                                          " of a page with " + std::to_string(count) + " rows");
  }
  RowSpan r;
  r.page = page;
  r.raw = v.U16(f.data_first_slot + 2 * size_t{slot});
  r.start = r.raw & kSlotOffsetMask;
  r.end = slot == 0 ? v.size : (v.U16(f.data_first_slot + 2 * size_t{slot} - 2) & kSlotOffsetMask);
  size_t table_end = f.data_first_slot + size_t{count} * 2;
  if (r.start < table_end || r.start > r.end || r.end > v.size) {
    // Deleted rows may keep stale bounds; callers skip them without reading.
    if (r.deleted()) {
      r.start = r.end = table_end;
      return r;
    }
    return store.Corrupt(page_number, "row " + std::to_string(slot) + " has impossible bounds " +
                                          std::to_string(r.start) + ".." + std::to_string(r.end));
  }
  return r;
}

Result<RowSpan> LocateRow(PageStore& store, uint32_t page, uint16_t slot) {
  JET_ASSIGN_OR_RETURN(PageRef p, store.Get(page));
  return LocateRowOn(store, page, p, slot);
}

}  // namespace jet
