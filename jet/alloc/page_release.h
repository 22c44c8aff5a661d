// Giving back pages that updates emptied.
//
// A data page is empty when every slot is deleted and holds no bytes: rows
// Access deleted keep their bytes, and the data of a moved row carries the
// deleted flag with its bytes, so neither counts. An empty page holds nothing
// anyone points at, so it can leave its table's maps (or the long-value maps
// that list it) and be marked free in the file's map, where Access can reuse
// it. Its contents are left as they are, as Access leaves freed pages.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/database.h"
#include "jet/status.h"

namespace jet {

// Releases `page` when it is an empty data page of `table`: out of the
// table's owned-pages and free-space maps, marked free. Returns whether it did.
Result<bool> ReleaseEmptyTablePage(PageEditor& editor, const TableDef& table, uint32_t page);

// Releases `page` when it is an empty long-value page: out of every map in
// `long_value_maps` (row pointers; unmarking where a map does not list it
// changes nothing), marked free. Returns whether it did.
Result<bool> ReleaseEmptyLongValuePage(PageEditor& editor,
                                       const std::vector<uint32_t>& long_value_maps, uint32_t page);

}  // namespace jet
