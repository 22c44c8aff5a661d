// Turning a TableSpec into the table's stored layout (column numbers, fixed
// offsets, variable slots, indexes) and writing its definition page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/create/spec.h"
#include "jet/database.h"
#include "jet/status.h"

namespace jet::create {

// Row pointer (page << 8 | slot) of a 69-byte usage map row.
using MapRef = uint32_t;

// Extra facts the definition page carries that TableDef does not.
struct DefinitionExtras {
  bool system = false;
  uint32_t last_auto_number = 0;
  MapRef owned_map = 0;
  MapRef free_map = 0;
  std::vector<MapRef> index_maps;  // one per physical index
  struct LongValueMaps {
    uint16_t column_number = 0;
    MapRef owned = 0;
    MapRef free = 0;
  };
  std::vector<LongValueMaps> long_value_maps;  // one per memo or OLE column
};

// Checks `spec` (names present and unique, sizes in range, index columns
// known, at most one primary key) and lays it out. Every index gets its own
// physical index; root pages are left 0. InvalidArgument naming the table and
// the offending column or index otherwise.
Result<TableDef> LayoutTable(const TableSpec& spec);

// The definition bytes (one page, header included) for `def`. NotSupported
// when they do not fit in one page.
Result<std::vector<uint8_t>> SerializeTableDef(const TableDef& def, const DefinitionExtras& extras,
                                               uint32_t page_size);

}  // namespace jet::create
