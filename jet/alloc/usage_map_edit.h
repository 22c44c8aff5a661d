// Usage maps as the write side sees them: reading (with pending changes),
// marking and unmarking pages, and allocating new pages.
//
// A map is a row: type 0 (inline) holds a first page number and a bitmap;
// type 1 (reference) holds page numbers of usage-map pages, each a 4-byte
// header and a bitmap covering (page size - 4) * 8 pages. Each table has a map
// of the data pages it owns and one of its pages with free space; the map at
// page 1, row 0 marks the pages of the file that are free.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/status.h"

namespace jet {

// Row pointer (page << 8 | slot) of the database's map of free pages.
inline constexpr uint32_t kGlobalUsageMap = 1u << 8;

// The pages marked in the map at `map` (a row pointer), ascending, as changed
// by the editor's pending writes. Unless `strict`, bitmap pages a reference
// map names beyond the end of the file are skipped instead of failing.
Result<std::vector<uint32_t>> ReadMapPages(PageEditor& editor, uint32_t map, bool strict = true);

// Whether `page` is marked in the map at `map`.
Result<bool> MapHasPage(PageEditor& editor, uint32_t map, uint32_t page);

// Marks (`on`) or unmarks `page` in the map at `map`. An inline map whose
// range cannot reach the page is moved to start lower, or turned into a
// reference map (allocating usage-map pages) when its bitmap is too small.
// Unmarking a page the map cannot reach does nothing. NotSupported when a
// reference map has no room for the page's bitmap page.
Status SetMapPage(PageEditor& editor, uint32_t map, uint32_t page, bool on);

// Appends a fresh page to the file and takes it out of the free-page map.
// The caller formats it. Returns its number.
Result<uint32_t> AllocatePage(PageEditor& editor);

// Gives `page` back: marks it free in the free-page map, where the map
// reaches it (pages it does not reach are simply left unused).
Status ReleasePage(PageEditor& editor, uint32_t page);

}  // namespace jet
