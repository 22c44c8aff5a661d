#include "jet/alloc/row_placer.h"

#include "jet/alloc/data_page.h"
#include "jet/alloc/usage_map_edit.h"

namespace jet {

Result<bool> RowPlacer::PlaceOn(uint32_t page, ByteView row, uint16_t flags, uint16_t* slot) {
  const Format& f = editor_->format();
  JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
  if (v.U8(0) != kPageData || DataPageOwner(v) != table_->definition_page) return false;
  if (DataPageFreeSpace(f, v) < row.size + 2) return false;
  std::vector<PageSlot> slots;
  JET_RETURN_IF_ERROR(ReadDataPageSlots(f, v, page, &slots));
  if (slots.size() >= 0xFF) return false;  // row pointers keep the slot in one byte
  slots.push_back(PageSlot{flags, std::vector<uint8_t>(row.data, row.data + row.size)});
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor_->Edit(page));
  if (!WriteDataPageSlots(f, slots, p)) return false;
  *slot = static_cast<uint16_t>(slots.size() - 1);
  return true;
}

Result<RowId> RowPlacer::Place(ByteView row, uint16_t flags, uint32_t avoid) {
  const Format& f = editor_->format();
  if (row.size > MaxRowSize(f)) {
    return Status::InvalidArgument(editor_->store().file() + ": table '" + table_->name +
                                   "': a row of " + std::to_string(row.size) +
                                   " bytes is larger than a page can hold (" +
                                   std::to_string(MaxRowSize(f)) + ")");
  }
  PlacementMemory& m = *memory_;
  if (!m.loaded) {
    JET_ASSIGN_OR_RETURN(m.candidates, ReadMapPages(*editor_, table_->free_map));
    m.loaded = true;
    m.next = 0;
  }
  uint16_t slot = 0;
  for (size_t i = m.next; i < m.candidates.size(); ++i) {
    const uint32_t page = m.candidates[i];
    if (page == 0 || page == avoid) continue;
    bool placed = false;
    // The memory may be older than the map (an update that was dropped, a
    // page given back): only a page the map lists now is used.
    if (page < editor_->page_count()) {
      JET_ASSIGN_OR_RETURN(bool listed, MapHasPage(*editor_, table_->free_map, page));
      if (listed) {
        JET_ASSIGN_OR_RETURN(placed, PlaceOn(page, row, flags, &slot));
      }
    }
    if (placed) return RowId{page, slot};
    // A long search through full pages would otherwise hold every one of them.
    editor_->Release(page);
    m.candidates[i] = 0;
    while (m.next < m.candidates.size() && m.candidates[m.next] == 0) ++m.next;
  }
  JET_ASSIGN_OR_RETURN(uint32_t page, AllocatePage(*editor_));
  JET_ASSIGN_OR_RETURN(uint8_t * p, editor_->Edit(page));
  InitDataPage(f, table_->definition_page, p);
  JET_RETURN_IF_ERROR(SetMapPage(*editor_, table_->owned_map, page, true));
  JET_RETURN_IF_ERROR(SetMapPage(*editor_, table_->free_map, page, true));
  JET_ASSIGN_OR_RETURN(bool placed, PlaceOn(page, row, flags, &slot));
  if (!placed) return Status::InvalidArgument("row does not fit on an empty page");
  m.candidates.push_back(page);  // the next rows fill it first
  return RowId{page, slot};
}

}  // namespace jet
