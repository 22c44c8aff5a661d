// TableScan: the cursor over one table's live rows in storage order, and
// ReadRowAt for a single row. Both follow moved rows from their original slot.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/page_store.h"
#include "jet/row_layout.h"
#include "jet/row_locator.h"
#include "jet/text_codec.h"

namespace jet {

class TableScan : public TableCursor {
 public:
  // Reads the table's usage map; `store` and `text` must outlive the cursor.
  // With `count` > 1 the cursor visits only share `index` of the table's runs
  // of pages (see Database::ScanPart). InvalidArgument for index >= count.
  static Result<std::unique_ptr<TableScan>> Open(PageStore* store, const TextDecoder* text,
                                                 TableDef table, uint32_t index = 0,
                                                 uint32_t count = 1);

  Result<bool> Next() override;
  RowId id() const override { return id_; }
  Result<Value> Get(size_t column) override;
  Result<bool> AppendText(size_t column, std::string* out) override;
  Result<bool> AppendUtf16(size_t column, std::u16string* out) override;
  uint64_t run() const override { return (next_page_ - 1) / kScanRunPages; }

  const TableDef& table() const { return table_; }

 private:
  TableScan(PageStore* store, const TextDecoder* text, TableDef table)
      : store_(store), text_(text), table_(std::move(table)) {}
  Status AdvancePage(bool* done);
  // The stored bytes of the current row's text or memo `c` (slice `s`): the
  // value in the row, or a memo's long value (`page` keeps its page alive).
  Result<ByteView> StoredText(const ColumnDef& c, const ColumnSlice& s, PageRef* page);

  PageStore* store_;
  const TextDecoder* text_;
  TableDef table_;
  std::vector<uint32_t> pages_;
  size_t next_page_ = 0;
  size_t ahead_ = 0;     // pages_ before this were read ahead (or asked for)
  uint32_t share_ = 0;   // the runs of pages this cursor visits: share_,
  uint32_t shares_ = 1;  // share_ + shares_, ...
  uint32_t page_number_ = 0;
  PageRef page_;
  uint16_t slot_count_ = 0;
  uint16_t next_slot_ = 0;
  RowId id_;
  RowSpan row_;  // the current row's data (after following a move)
  std::vector<ColumnSlice> slices_;
  std::vector<size_t> offsets_;  // scratch for CrackRow
  Bytes long_value_;             // scratch for long values in chains
};

// The row data for `id`: the slot itself, or where it moved to. Corruption when
// the slot is deleted, the move chain loops, or it lands in another table.
Result<RowSpan> ResolveRow(PageStore& store, const TableDef& table, RowId id);

// Every column of row `id` of `table`.
Result<std::vector<Value>> ReadRowAt(PageStore& store, const TextDecoder& text,
                                     const TableDef& table, RowId id);

// Names one row of `table` in messages.
inline Where RowWhere(const PageStore& store, const TableDef& table, uint32_t page, uint16_t slot) {
  return Where(store.file(), table.name, page, slot);
}

}  // namespace jet
