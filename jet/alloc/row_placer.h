// Placing a row on a data page of its table: a page with room (from the
// table's map of pages with free space), or a new page allocated through the
// usage maps.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/bytes_view.h"
#include "jet/database.h"
#include "jet/status.h"

namespace jet {

class RowPlacer {
 public:
  // `table` must outlive the placer.
  RowPlacer(PageEditor* editor, const TableDef* table) : editor_(editor), table_(table) {}

  // Adds `row` as a new slot (with slot `flags`) on a data page of the table
  // other than `avoid` (0: none), and returns where it went. A page is taken
  // from the free-space map when one has room; otherwise a new page is
  // allocated, formatted and entered in the table's owned and free-space
  // maps. InvalidArgument when the row is larger than any page can hold.
  Result<RowId> Place(ByteView row, uint16_t flags, uint32_t avoid = 0);

  // Adds `row` to page `page` when it fits there; returns false otherwise.
  Result<bool> PlaceOn(uint32_t page, ByteView row, uint16_t flags, uint16_t* slot);

 private:
  PageEditor* editor_;
  const TableDef* table_;
};

}  // namespace jet
