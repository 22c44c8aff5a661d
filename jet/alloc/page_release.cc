#include "jet/alloc/page_release.h"

#include "jet/alloc/data_page.h"
#include "jet/alloc/usage_map_edit.h"

namespace jet {

namespace {

// Whether `page` is an empty data page whose owner field is `owner`.
Result<bool> EmptyPageOf(PageEditor& editor, uint32_t page, uint32_t owner) {
  if (page == 0 || page >= editor.page_count()) return false;
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(page));
  if (v.U8(0) != kPageData || DataPageOwner(v) != owner) return false;
  std::vector<PageSlot> slots;
  JET_RETURN_IF_ERROR(ReadDataPageSlots(editor.format(), v, page, &slots));
  for (const PageSlot& s : slots) {
    if (!(s.flags & kSlotDeleted) || !s.bytes.empty()) return false;
  }
  return true;
}

}  // namespace

Result<bool> ReleaseEmptyTablePage(PageEditor& editor, const TableDef& table, uint32_t page) {
  JET_ASSIGN_OR_RETURN(bool empty, EmptyPageOf(editor, page, table.definition_page));
  if (!empty) return false;
  JET_RETURN_IF_ERROR(SetMapPage(editor, table.owned_map, page, false));
  JET_RETURN_IF_ERROR(SetMapPage(editor, table.free_map, page, false));
  JET_RETURN_IF_ERROR(ReleasePage(editor, page));
  return true;
}

Result<bool> ReleaseEmptyLongValuePage(PageEditor& editor,
                                       const std::vector<uint32_t>& long_value_maps,
                                       uint32_t page) {
  JET_ASSIGN_OR_RETURN(bool empty, EmptyPageOf(editor, page, kLongValueMarker));
  if (!empty) return false;
  for (uint32_t map : long_value_maps) {
    if (map != 0) JET_RETURN_IF_ERROR(SetMapPage(editor, map, page, false));
  }
  JET_RETURN_IF_ERROR(ReleasePage(editor, page));
  return true;
}

}  // namespace jet
