#include "jet/table_scan.h"

#include <algorithm>

#include "jet/text_codec.h"
#include "jet/usage_map.h"
#include "jet/value_decoder.h"
#include "jet/value_text.h"

namespace jet {

namespace {
constexpr int kMaxMoves = 8;              // a moved row is moved again at most a few times
constexpr uint32_t kReadAheadPages = 32;  // pages of the file read in one go
}  // namespace

namespace {
// Follows a row whose slot holds a pointer to where its data now lives.
Result<RowSpan> FollowMoves(PageStore& store, const TableDef& table, RowSpan row, uint32_t page,
                            uint16_t slot) {
  for (int hop = 0; row.lookup(); ++hop) {
    ByteView v = row.bytes();
    if (v.size < 4) {
      return Status::Corruption(RowWhere(store, table, page, slot).str() +
                                ": moved-row pointer shorter than 4 bytes");
    }
    if (hop == kMaxMoves) {
      return Status::Corruption(RowWhere(store, table, page, slot).str() +
                                ": moved row pointers form a loop");
    }
    RowPointer to = RowPointer::FromRaw(v.U32(0));
    JET_ASSIGN_OR_RETURN(PageRef target, store.Get(to.page));
    ByteView tv = View(target);
    if (tv.U8(0) != kPageData || tv.U32(4) != table.definition_page) {
      return Status::Corruption(RowWhere(store, table, page, slot).str() + ": moved to page " +
                                std::to_string(to.page) + ", which is not a data page of it");
    }
    JET_ASSIGN_OR_RETURN(row, LocateRowOn(store, to.page, target, to.slot));
    page = to.page;
    slot = to.slot;
  }
  return row;
}
}  // namespace

Result<RowSpan> ResolveRow(PageStore& store, const TableDef& table, RowId id) {
  JET_ASSIGN_OR_RETURN(PageRef p, store.Get(id.page));
  ByteView v = View(p);
  if (v.U8(0) != kPageData || v.U32(4) != table.definition_page) {
    return Status::NotFound(store.file() + ": table '" + table.name + "' has no row on page " +
                            std::to_string(id.page));
  }
  JET_ASSIGN_OR_RETURN(RowSpan row, LocateRowOn(store, id.page, p, id.slot));
  if (row.deleted()) {
    return Status::NotFound(RowWhere(store, table, id.page, id.slot).str() + " is deleted");
  }
  return FollowMoves(store, table, std::move(row), id.page, id.slot);
}

Result<std::vector<Value>> ReadRowAt(PageStore& store, const TextDecoder& text,
                                     const TableDef& table, RowId id) {
  JET_ASSIGN_OR_RETURN(RowSpan row, ResolveRow(store, table, id));
  Where where = RowWhere(store, table, id.page, id.slot);
  std::vector<ColumnSlice> slices;
  JET_RETURN_IF_ERROR(CrackRow(store.format(), table, row.bytes(), where, &slices));
  std::vector<Value> values;
  values.reserve(slices.size());
  for (size_t i = 0; i < slices.size(); ++i) {
    JET_ASSIGN_OR_RETURN(Value v,
                         DecodeValue(table.columns[i], slices[i], row.bytes(), text, store, where));
    values.push_back(std::move(v));
  }
  return values;
}

Result<std::unique_ptr<TableScan>> TableScan::Open(PageStore* store, const TextDecoder* text,
                                                   TableDef table, uint32_t index, uint32_t count) {
  if (index >= count) {
    return Status::InvalidArgument("table '" + table.name + "': scan share " +
                                   std::to_string(index) + " of " + std::to_string(count));
  }
  std::unique_ptr<TableScan> scan(new TableScan(store, text, std::move(table)));
  scan->share_ = index;
  scan->shares_ = count;
  auto pages = ReadUsageMap(*store, scan->table_.owned_map);
  if (!pages.ok()) {
    return pages.status().WithContext("table '" + scan->table_.name + "': owned-page map");
  }
  scan->pages_ = std::move(pages).value();
  return scan;
}

Status TableScan::AdvancePage(bool* done) {
  page_.reset();
  while (next_page_ < pages_.size()) {
    if ((next_page_ / kScanRunPages) % shares_ != share_) {
      // The start of this cursor's next run.
      const size_t run = next_page_ / kScanRunPages;
      next_page_ = (run + (share_ + shares_ - run % shares_) % shares_) * kScanRunPages;
      continue;
    }
    uint32_t number = pages_[next_page_++];
    if (next_page_ > ahead_) {
      // The next pages of this run that lie close behind in the file come in
      // one read, with whatever lies between them (often their long values).
      const size_t run_end =
          std::min(pages_.size(), (next_page_ - 1) / kScanRunPages * kScanRunPages + kScanRunPages);
      ahead_ = next_page_;
      while (ahead_ < run_end && pages_[ahead_] > pages_[ahead_ - 1] &&
             pages_[ahead_] - number < kReadAheadPages) {
        ++ahead_;
      }
      store_->ReadAhead(number, pages_[ahead_ - 1] - number + 1);
    }
    JET_ASSIGN_OR_RETURN(PageRef p, store_->Get(number));
    ByteView v = View(p);
    // The map also marks the table's index and long-value pages; rows live
    // only on its data pages.
    if (v.U8(0) != kPageData || v.U32(4) != table_.definition_page) continue;
    JET_ASSIGN_OR_RETURN(slot_count_, SlotCount(*store_, number, v));
    page_ = std::move(p);
    page_number_ = number;
    next_slot_ = 0;
    *done = false;
    return Status::Ok();
  }
  *done = true;
  return Status::Ok();
}

Result<bool> TableScan::Next() {
  for (;;) {
    if (!page_ || next_slot_ >= slot_count_) {
      bool done = false;
      JET_RETURN_IF_ERROR(AdvancePage(&done));
      if (done) return false;
      continue;
    }
    uint16_t slot = next_slot_++;
    JET_ASSIGN_OR_RETURN(RowSpan row, LocateRowOn(*store_, page_number_, page_, slot));
    // Deleted rows, and the copies of moved rows (listed at their original slot).
    if (row.deleted()) continue;
    JET_ASSIGN_OR_RETURN(row_, FollowMoves(*store_, table_, std::move(row), page_number_, slot));
    id_ = RowId{page_number_, slot};
    JET_RETURN_IF_ERROR(CrackRow(store_->format(), table_, row_.bytes(),
                                 RowWhere(*store_, table_, page_number_, slot), &slices_,
                                 &offsets_));
    return true;
  }
}

Result<Value> TableScan::Get(size_t column) {
  if (column >= table_.columns.size() || !row_.page) {
    return Status::InvalidArgument("table '" + table_.name + "' has no column " +
                                   std::to_string(column) + " (or no current row)");
  }
  return DecodeValue(table_.columns[column], slices_[column], row_.bytes(), *text_, *store_,
                     RowWhere(*store_, table_, id_.page, id_.slot));
}

Result<bool> TableScan::AppendText(size_t column, std::string* out) {
  if (column >= table_.columns.size() || !row_.page) return TableCursor::AppendText(column, out);
  // The common types go straight from the row's bytes to text; the rest, and
  // values too short for their type (reported by Get), take the Value path.
  const ColumnDef& c = table_.columns[column];
  const ColumnSlice& s = slices_[column];
  if (c.calculated) return TableCursor::AppendText(column, out);  // its value is wrapped
  if (c.type == ColumnType::kBoolean) {
    out->push_back(s.bit ? '1' : '0');
    return true;
  }
  if (!s.present) return false;
  const ByteView v = row_.bytes().Sub(s.offset, s.length);
  switch (c.type) {
    case ColumnType::kText:
    case ColumnType::kMemo: {
      PageRef page;
      JET_ASSIGN_OR_RETURN(ByteView data, StoredText(c, s, &page));
      text_->Append(data, out);
      return true;
    }
    case ColumnType::kByte:
      if (v.size < 1) break;
      AppendInteger(v.U8(0), out);
      return true;
    case ColumnType::kInteger:
      if (v.size < 2) break;
      AppendInteger(static_cast<int16_t>(v.U16(0)), out);
      return true;
    case ColumnType::kLong:
      if (v.size < 4) break;
      AppendInteger(static_cast<int32_t>(v.U32(0)), out);
      return true;
    case ColumnType::kSingle:
      if (v.size < 4) break;
      AppendFloating(v.F32(0), 7, out);
      return true;
    case ColumnType::kDouble:
      if (v.size < 8) break;
      AppendFloating(v.F64(0), 15, out);
      return true;
    case ColumnType::kDateTime:
      if (v.size < 8) break;
      AppendDateTime(v.F64(0), out);
      return true;
    default:
      break;
  }
  return TableCursor::AppendText(column, out);
}

Result<bool> TableScan::AppendUtf16(size_t column, std::u16string* out) {
  if (column >= table_.columns.size() || !row_.page || !text_->utf16()) {
    return TableCursor::AppendUtf16(column, out);
  }
  const ColumnDef& c = table_.columns[column];
  const ColumnSlice& s = slices_[column];
  const bool text = c.type == ColumnType::kText || c.type == ColumnType::kMemo;
  if (!text || c.calculated) return TableCursor::AppendUtf16(column, out);
  if (!s.present) return false;
  PageRef page;
  JET_ASSIGN_OR_RETURN(ByteView data, StoredText(c, s, &page));
  AppendJet4Units(data, out);
  return true;
}

Result<ByteView> TableScan::StoredText(const ColumnDef& c, const ColumnSlice& s, PageRef* page) {
  const ByteView v = row_.bytes().Sub(s.offset, s.length);
  if (c.type != ColumnType::kMemo) return v;
  const Where where = RowWhere(*store_, table_, id_.page, id_.slot).Column(c.name);
  return LongValueData(*store_, v, where, page, &long_value_);
}

}  // namespace jet
