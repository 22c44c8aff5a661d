// Usage maps: which pages belong to a table (or have free space in it).
//
// A map is a row holding either a bitmap with its first page (inline map) or
// a list of pages that each hold a bitmap (reference map).
#pragma once

#include <cstdint>
#include <vector>

#include "jet/page_store.h"

namespace jet {

// The pages marked in the map stored at row pointer `raw` (page << 8 | slot),
// ascending. Corruption when the map row, its type or its pages are invalid.
Result<std::vector<uint32_t>> ReadUsageMap(PageStore& store, uint32_t raw);

}  // namespace jet
