// RowUpdater: replacing column values of one stored row.
//
// The new row is built from the old one's raw pieces, so untouched columns
// keep their bytes. It is put back in its own page when it fits there (the
// page is compacted); otherwise its data moves to another page of the table
// with room, or to a new one, and its home slot keeps a pointer to it, so the
// row keeps its id and its place in scans. Long values are rewritten inline,
// on one page or as a chain, and their old pieces are freed. Every index over
// a changed column gets its old entry replaced. Pages the update leaves empty
// (long-value pages, a page the row's moved data left) are given back.
//
// All changes go to a PageEditor; on failure the caller drops them, so
// nothing of the row is written.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "jet/alloc/data_page.h"
#include "jet/alloc/page_editor.h"
#include "jet/alloc/row_placer.h"
#include "jet/database.h"
#include "jet/index/index_writer.h"
#include "jet/lval/long_value_writer.h"
#include "jet/row_layout.h"
#include "jet/status.h"
#include "jet/text_codec.h"
#include "jet/update/raw_row.h"
#include "jet/update/text_encoder.h"

namespace jet {

using ColumnChanges = std::vector<std::pair<size_t, Value>>;

class RowUpdater {
 public:
  // Every pointer must outlive the updater.
  RowUpdater(PageEditor* editor, const TextEncoder* encoder, const TextDecoder* decoder,
             LongValueWriter* long_values, IndexWriter* indexes)
      : editor_(editor),
        encoder_(encoder),
        decoder_(decoder),
        long_values_(long_values),
        indexes_(indexes) {}

  // Applies `changes` (column position, new value) to row `id` of `table`.
  // Fails before changing anything on a bad column position, a value that does
  // not fit its column (InvalidArgument), a NULL in a required column or a
  // duplicate key in a unique index (Constraint), a key that cannot be
  // encoded (NotSupported/InvalidArgument naming the index); NotFound when the
  // row does not exist. Messages name the file, table, column and row.
  Status Update(const TableDef& table, RowId id, const ColumnChanges& changes);

 private:
  // Gives back the pages this update left empty: long-value pages it freed
  // pieces from, and the page the row's data moved away from.
  Status ReleaseEmptied(const TableDef& table, uint32_t moved_from);

  PageEditor* editor_;
  const TextEncoder* encoder_;
  const TextDecoder* decoder_;
  LongValueWriter* long_values_;
  IndexWriter* indexes_;
  // Every long-value map of the database, read once when first needed
  // (definitions do not change under updates); empty optional: unknown.
  std::optional<std::optional<std::vector<uint32_t>>> long_value_maps_;
  // Where moved rows of each table (by definition page) may go.
  std::map<uint32_t, PlacementMemory> placements_;
  // Buffers of one update, kept from row to row so that a bulk update does
  // not allocate them for every row.
  std::vector<uint8_t> row_;         // the row's stored bytes
  RawRow raw_;                       // ... taken apart
  std::vector<ColumnSlice> slices_;  // ... and split by column
  std::vector<size_t> offsets_;      // the row's variable-column offsets
  std::vector<SlotSpan> spans_;      // the slots of a page being read or rebuilt
};

}  // namespace jet
