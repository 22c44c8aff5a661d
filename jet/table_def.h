// Reading a table definition (one page or a chain of them) into TableDef.
#pragma once

#include <cstdint>

#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/text_codec.h"

namespace jet {

// Reads the definition starting at `page`. Fails with Corruption naming the
// page when the chain loops, a page is not a definition page, or a count or
// offset points outside the definition's bytes.
Result<TableDef> ReadTableDef(PageStore& store, const TextDecoder& text, uint32_t page);

}  // namespace jet
