// Rebuilding the indexes of one table from its rows.
//
// Every physical index of the table gets a new tree computed from the rows
// as they are stored: the keys are encoded afresh with the index's own
// columns, directions and sort order, sorted, and packed bottom-up into
// pages. The root keeps its page, so the table definition stays untouched;
// every other page of the old tree is given back to the file. All changes go
// to a PageEditor, so a failure leaves nothing behind.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/database.h"
#include "jet/status.h"
#include "jet/text_codec.h"

namespace jet {

struct RebuiltIndex {
  std::string name;      // the first logical index over the physical one
  size_t entries = 0;    // entries in the new tree
  size_t pages = 0;      // pages of the new tree, root included
};

struct TableRebuild {
  std::vector<RebuiltIndex> indexes;
  size_t released_pages = 0;  // pages of the old trees given back
};

// Rebuilds every index of `table` (with a root page) into `editor`.
// `code_page` is the database's (for Jet 3 text keys). Fails, leaving the
// editor's pending changes for the caller to drop, with Constraint when the
// rows hold a duplicate key of a unique index (naming both rows),
// NotSupported when a key cannot be encoded (naming the index), Corruption
// when the rows cannot be read.
Result<TableRebuild> RebuildTableIndexes(PageEditor& editor, const TextDecoder& text,
                                         uint16_t code_page, const TableDef& table);

}  // namespace jet
