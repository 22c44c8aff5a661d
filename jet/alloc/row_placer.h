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

// What placing rows has learnt of a table's pages with room: the pages its
// free-space map listed, in the order they are tried, and how many of them
// were found too full (those are not looked at again). Kept by a writer
// across many placements on one table, so that a long run of moved rows does
// not read every full page of a large table for each row.
struct PlacementMemory {
  bool loaded = false;
  std::vector<uint32_t> candidates;  // 0: passed for good
  size_t next = 0;                   // candidates before this are all passed
};

class RowPlacer {
 public:
  // `table` must outlive the placer, and `memory` too when given (otherwise
  // the placer keeps its own for its lifetime).
  RowPlacer(PageEditor* editor, const TableDef* table, PlacementMemory* memory = nullptr)
      : editor_(editor), table_(table), memory_(memory != nullptr ? memory : &own_memory_) {}
  RowPlacer(const RowPlacer&) = delete;
  RowPlacer& operator=(const RowPlacer&) = delete;

  // Adds `row` as a new slot (with slot `flags`) on a data page of the table
  // other than `avoid` (0: none), and returns where it went. A page is taken
  // from the free-space map when one has room; otherwise a new page is
  // allocated, formatted and entered in the table's owned and free-space
  // maps. Pages are tried in the map's order; one found too full is passed
  // for the rest of the memory's life (it may have room again later; later
  // rows then go elsewhere). InvalidArgument when the row is larger than any
  // page can hold.
  Result<RowId> Place(ByteView row, uint16_t flags, uint32_t avoid = 0);

  // Adds `row` to page `page` when it fits there; returns false otherwise.
  Result<bool> PlaceOn(uint32_t page, ByteView row, uint16_t flags, uint16_t* slot);

 private:
  PageEditor* editor_;
  const TableDef* table_;
  PlacementMemory own_memory_;
  PlacementMemory* memory_;
};

}  // namespace jet
