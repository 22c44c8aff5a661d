// Writers for the page kinds a new database holds: data pages (rows, usage
// map rows, long values), usage maps and index trees built from sorted entries.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/create/page_image.h"
#include "jet/format.h"
#include "jet/value.h"

namespace jet::create {

inline constexpr size_t kDataPageHeader = 14;     // type, 1, free space, owner, 0, slot count
inline constexpr uint16_t kMaxRowsPerPage = 255;  // row pointers keep the slot in one byte
inline constexpr size_t kMapRowSize = 69;         // type, start page, 64 bitmap bytes
inline constexpr uint32_t kLongValueOwner = 0x4C41564C;  // "LVAL"

// Turns `page` into an empty data page owned by the definition at `owner`.
void InitDataPage(PageImage& image, uint32_t page, uint32_t owner);
// Bytes a new row of `size` bytes would still leave free, or -1 when it does not fit.
int64_t RoomAfter(const PageImage& image, uint32_t page, size_t size);
// Stores `row` as the next slot of data page `page`; returns the slot. The
// caller checked RoomAfter first.
uint16_t AddRow(PageImage& image, uint32_t page, const uint8_t* row, size_t size);
// Overwrites the bytes of an existing slot (same length).
uint8_t* RowBytes(PageImage& image, uint32_t page, uint16_t slot);

// Writes the usage map row at `ref` (page << 8 | slot) listing `pages`
// (ascending). Inline when they fit one 512-page window, otherwise a
// reference map whose bitmap pages are appended to the image. With `free_map`
// set, the bits mean "free" instead: every page of the file is marked used
// and everything past its end free (the database's global map).
void WriteUsageMap(PageImage& image, uint32_t ref, const std::vector<uint32_t>& pages,
                   bool global_free_map);

// One index entry: its key bytes (kept in a shared arena) and the row.
struct IndexEntry {
  uint64_t offset = 0;  // of the key in the arena
  uint32_t length = 0;
  uint32_t row = 0;  // page << 8 | slot
};

// Builds an index tree over `entries` (sorted by key, then row; keys in
// `arena`) in newly appended pages owned by definition `owner`; returns the
// root page and appends every page used to `pages`.
uint32_t BuildIndexTree(PageImage& image, const Format& format, uint32_t owner,
                        const std::vector<uint8_t>& arena, const std::vector<IndexEntry>& entries,
                        std::vector<uint32_t>* pages);

}  // namespace jet::create
