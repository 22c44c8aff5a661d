// Finding one row on a data or long-value page: the slot table and the bounds
// of the row's bytes.
#pragma once

#include <cstdint>

#include "jet/page_store.h"

namespace jet {

struct RowSpan {
  PageRef page;       // keeps the bytes alive
  size_t start = 0;   // first byte of the row
  size_t end = 0;     // one past its last byte
  uint16_t raw = 0;   // the slot entry with its flags
  bool deleted() const { return (raw & kSlotDeleted) != 0; }
  bool lookup() const { return (raw & kSlotLookup) != 0; }
  ByteView bytes() const { return ByteView{page->data() + start, end - start}; }
};

// Number of slots on a data page, checked against the page size.
Result<uint16_t> SlotCount(const PageStore& store, uint32_t page_number, ByteView page);

// Locates slot `slot` of data page `page`. Fails with Corruption when the page
// is not a data page, the slot does not exist, or its bounds are impossible.
Result<RowSpan> LocateRow(PageStore& store, uint32_t page, uint16_t slot);

// Same, with the page already at hand.
Result<RowSpan> LocateRowOn(const PageStore& store, uint32_t page_number, const PageRef& page,
                            uint16_t slot);

}  // namespace jet
