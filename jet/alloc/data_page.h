// Rows on data pages: reading a page's slots, and rebuilding the page with a
// row added, replaced or emptied.
//
// A data page holds a header, a table of 2-byte slot entries growing from the
// front, and the rows themselves packed from the end of the page backwards
// (slot 0 last). A slot entry is the row's start offset plus flags: 0x8000 on
// deleted rows and on the data of rows moved here from another page, 0x4000
// on a row's home slot when the row moved (its bytes are then a 4-byte
// pointer to where the data lives). Rows are identified by page and slot, so
// slot numbers never change; every rebuild lays the rows out again tightly
// (compaction), keeping the bytes of every slot, deleted ones included —
// moved data carries the deleted flag and must survive.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/format.h"
#include "jet/status.h"

namespace jet {

// The marker that long-value pages carry where data pages name their table.
inline constexpr uint32_t kLongValueMarker = 0x4C41564C;  // "LVAL"

struct PageSlot {
  uint16_t flags = 0;  // kSlotDeleted | kSlotLookup
  std::vector<uint8_t> bytes;
};

// Where one slot's bytes lie on a page, without copying them.
struct SlotSpan {
  uint16_t flags = 0;   // kSlotDeleted | kSlotLookup
  uint32_t offset = 0;  // start of the row on the page
  uint32_t length = 0;  // 0 for deleted rows whose stale bounds hold nothing
};

// The slots of a data page as spans into `page`. Corruption, with
// `page_number` in the message, when the slot table or a bound is impossible.
Status ReadDataPageSpans(const Format& format, ByteView page, uint32_t page_number,
                         std::vector<SlotSpan>* out);

// The slots of a data page (copies of each row's bytes), with the same
// checks as ReadDataPageSpans.
Status ReadDataPageSlots(const Format& format, ByteView page, uint32_t page_number,
                         std::vector<PageSlot>* out);

// Builds in `out` (resized to a page) the page `page` with slot `slot`
// replaced by `bytes` and `flags`, laid out exactly as WriteDataPageSlots
// lays out the page's slots with that one changed, without copying the
// other rows one by one. `spans` are the page's, from ReadDataPageSpans.
// Returns false, leaving `out` unspecified, when the rows no longer fit;
// Corruption when there is no such slot. `bytes` may point into `page`.
Result<bool> RebuildDataPageWithSlot(const Format& format, ByteView page, uint32_t page_number,
                                     const std::vector<SlotSpan>& spans, uint16_t slot,
                                     ByteView bytes, uint16_t flags, std::vector<uint8_t>* out);

// Free bytes of a data page: between the end of the slot table and the
// lowest row.
size_t DataPageFreeSpace(const Format& format, ByteView page);

// Bytes all `slots` need on a page, header and slot table included.
size_t DataPageBytesNeeded(const Format& format, const std::vector<PageSlot>& slots);

// Largest row a fresh data page can hold (with its one slot entry).
size_t MaxRowSize(const Format& format);

// Rewrites `page` (a whole page buffer) to hold exactly `slots`, keeping its
// header (type, owner) and setting the slot count and free space. Returns
// false, leaving the page unchanged, when the slots do not fit.
bool WriteDataPageSlots(const Format& format, const std::vector<PageSlot>& slots, uint8_t* page);

// Formats `page` as an empty data page owned by table definition `owner`
// (or kLongValueMarker).
void InitDataPage(const Format& format, uint32_t owner, uint8_t* page);

// The table definition page (or kLongValueMarker) a data page belongs to.
uint32_t DataPageOwner(ByteView page);

}  // namespace jet
