#include "jet/update/row_updater.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "jet/alloc/data_page.h"
#include "jet/alloc/page_release.h"
#include "jet/alloc/row_placer.h"
#include "jet/calculated_types.h"
#include "jet/row_layout.h"
#include "jet/update/long_value_maps.h"
#include "jet/update/raw_row.h"
#include "jet/update/value_encoder.h"
#include "jet/value_decoder.h"

namespace jet {

namespace {

struct Located {
  bool moved = false;
  RowId data;  // where the data lives (the home slot unless moved)
};

// Buffers reused by the page edits of one update, so that a row rewrite does
// not copy every row of its page one by one.
struct PageScratch {
  std::vector<SlotSpan>& spans;
  std::vector<uint8_t> page;
};

std::string DescribeRow(const PageStore& store, const TableDef& table, RowId id) {
  std::string s;
  s.reserve(store.file().size() + table.name.size() + 40);
  s.append(store.file()).append(": table '").append(table.name).append("': row ");
  s.append(std::to_string(id.page)).append(":").append(std::to_string(id.slot));
  return s;
}

// Finds row `id` and copies its data into `bytes`.
Result<Located> Locate(PageEditor& editor, const TableDef& table, RowId id,
                       const std::string& where, PageScratch& scratch,
                       std::vector<uint8_t>* bytes) {
  const Format& f = editor.format();
  Located loc;
  if (id.page == 0 || id.page >= editor.page_count()) {
    return Status::NotFound(where + " does not exist (no such page)");
  }
  JET_ASSIGN_OR_RETURN(ByteView home, editor.Read(id.page));
  if (home.U8(0) != kPageData || DataPageOwner(home) != table.definition_page) {
    return Status::NotFound(where + " does not exist (not a data page of the table)");
  }
  std::vector<SlotSpan>& spans = scratch.spans;
  JET_RETURN_IF_ERROR(ReadDataPageSpans(f, home, id.page, &spans));
  if (id.slot >= spans.size() || (spans[id.slot].flags & kSlotDeleted)) {
    return Status::NotFound(where + " does not exist or is deleted");
  }
  const SlotSpan slot = spans[id.slot];
  loc.data = id;
  if (!(slot.flags & kSlotLookup)) {
    bytes->assign(home.data + slot.offset, home.data + slot.offset + slot.length);
    return loc;
  }
  if (slot.length < 4) return Status::Corruption(where + ": moved-row pointer too short");
  uint32_t raw = home.U32(slot.offset);
  loc.moved = true;
  loc.data = RowId{raw >> 8, static_cast<uint16_t>(raw & 0xFF)};
  if (loc.data.page == 0 || loc.data.page >= editor.page_count() || loc.data.page == id.page) {
    return Status::Corruption(where + ": moved to impossible page " +
                              std::to_string(loc.data.page));
  }
  JET_ASSIGN_OR_RETURN(ByteView target, editor.Read(loc.data.page));
  if (target.U8(0) != kPageData || DataPageOwner(target) != table.definition_page) {
    return Status::Corruption(where + ": moved to page " + std::to_string(loc.data.page) +
                              ", which is not a data page of the table");
  }
  JET_RETURN_IF_ERROR(ReadDataPageSpans(f, target, loc.data.page, &spans));
  if (loc.data.slot >= spans.size() || (spans[loc.data.slot].flags & kSlotLookup)) {
    return Status::Corruption(where + ": moved to a missing row on page " +
                              std::to_string(loc.data.page));
  }
  const SlotSpan& data = spans[loc.data.slot];
  bytes->assign(target.data + data.offset, target.data + data.offset + data.length);
  return loc;
}

// Replaces slot `slot` of `page` with `bytes`/`flags`; false when it no longer fits.
Result<bool> RewriteSlot(PageEditor& editor, uint32_t page, uint16_t slot, ByteView bytes,
                         uint16_t flags, PageScratch& scratch) {
  const Format& f = editor.format();
  JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(page));
  JET_RETURN_IF_ERROR(ReadDataPageSpans(f, v, page, &scratch.spans));
  JET_ASSIGN_OR_RETURN(bool fits, RebuildDataPageWithSlot(f, v, page, scratch.spans, slot, bytes,
                                                          flags, &scratch.page));
  if (!fits) return false;
  JET_RETURN_IF_ERROR(editor.Put(page, &scratch.page));
  return true;
}

std::vector<uint8_t> Pointer(RowId to) {
  uint32_t raw = (to.page << 8) | to.slot;
  return {static_cast<uint8_t>(raw), static_cast<uint8_t>(raw >> 8),
          static_cast<uint8_t>(raw >> 16), static_cast<uint8_t>(raw >> 24)};
}

// Puts the row's new bytes where they belong and keeps the home slot
// pointing at them.
Status StoreRow(PageEditor& editor, const TableDef& table, RowId id, const Located& loc,
                const std::vector<uint8_t>& bytes, const std::string& where, PageScratch& scratch,
                PlacementMemory* placement) {
  const ByteView row{bytes.data(), bytes.size()};
  // Back home when the data fits there, moved or not.
  JET_ASSIGN_OR_RETURN(bool home, RewriteSlot(editor, id.page, id.slot, row, 0, scratch));
  if (home) {
    if (loc.moved) {
      JET_ASSIGN_OR_RETURN(
          bool freed, RewriteSlot(editor, loc.data.page, loc.data.slot, {}, kSlotDeleted, scratch));
      (void)freed;  // an emptier page always fits
    }
    return Status::Ok();
  }
  if (loc.moved) {
    JET_ASSIGN_OR_RETURN(
        bool there, RewriteSlot(editor, loc.data.page, loc.data.slot, row, kSlotDeleted, scratch));
    if (there) return Status::Ok();
  }
  RowPlacer placer(&editor, &table, placement);
  auto placed = placer.Place(row, kSlotDeleted, id.page);
  if (!placed.ok()) return placed.status().WithContext(where);
  const std::vector<uint8_t> pointer = Pointer(*placed);
  JET_ASSIGN_OR_RETURN(
      bool pointed, RewriteSlot(editor, id.page, id.slot, ByteView{pointer.data(), pointer.size()},
                                kSlotLookup, scratch));
  if (!pointed) {
    return Status::InvalidArgument(where +
                                   ": no room on its page for the pointer to its new place");
  }
  if (loc.moved && !(loc.data == *placed)) {
    JET_ASSIGN_OR_RETURN(
        bool freed, RewriteSlot(editor, loc.data.page, loc.data.slot, {}, kSlotDeleted, scratch));
    (void)freed;
  }
  return Status::Ok();
}

bool IsLong(const ColumnDef& c) {
  return c.type == ColumnType::kMemo || c.type == ColumnType::kOle;
}

}  // namespace

Status RowUpdater::Update(const TableDef& table, RowId id, const ColumnChanges& changes) {
  PageStore& store = editor_->store();
  const Format& f = editor_->format();
  const std::string where = DescribeRow(store, table, id);

  // 1. Check and encode every value before anything changes.
  std::vector<size_t> changed_columns;
  for (const auto& change : changes) changed_columns.push_back(change.first);
  JET_RETURN_IF_ERROR(CheckCalculatedInputs(table, changed_columns, where));
  std::map<size_t, EncodedValue> encoded;
  for (const auto& [column, value] : changes) {
    if (column >= table.columns.size()) {
      return Status::InvalidArgument(where + ": no column at position " + std::to_string(column));
    }
    const ColumnDef& c = table.columns[column];
    if (c.auto_number) {
      return Status::InvalidArgument(where + ": column '" + c.name +
                                     "' is numbered automatically and cannot be changed");
    }
    JET_ASSIGN_OR_RETURN(EncodedValue e, EncodeValue(c, value, *encoder_, where));
    encoded[column] = std::move(e);
  }

  // 2. The row as stored now, and its current values.
  PageScratch scratch{spans_, store.TakePageBuffer()};
  JET_ASSIGN_OR_RETURN(Located loc, Locate(*editor_, table, id, where, scratch, &row_));
  const ByteView old_view{row_.data(), row_.size()};
  RawRow& raw = raw_;
  JET_RETURN_IF_ERROR(SplitRow(f, table, old_view, where, &raw));
  const std::vector<ColumnSlice>& slices = slices_;
  JET_RETURN_IF_ERROR(CrackRow(f, table, old_view, where.c_str(), &slices_, &offsets_));

  // 3. Index keys, old and new, so a duplicate or an unencodable key stops
  // the update before anything is written.
  std::vector<IndexChange> index_changes;
  if (indexes_ != nullptr) {
    std::set<size_t> changed;
    for (const auto& ch : changes) changed.insert(ch.first);
    std::vector<Value> old_values, new_values;
    bool have_values = false;
    for (const IndexDef& x : table.indexes) {
      bool touched = std::any_of(x.columns.begin(), x.columns.end(),
                                 [&](const IndexColumn& ic) { return changed.count(ic.column); });
      if (!touched) continue;
      if (!have_values) {
        for (size_t i = 0; i < table.columns.size(); ++i) {
          JET_ASSIGN_OR_RETURN(Value v, DecodeValue(table.columns[i], slices[i], old_view,
                                                    *decoder_, store, where.c_str()));
          old_values.push_back(std::move(v));
        }
        new_values = old_values;
        for (const auto& [column, value] : changes) {
          new_values[column] = table.columns[column].type == ColumnType::kBoolean && IsNull(value)
                                   ? Value(false)
                                   : value;
        }
        have_values = true;
      }
      JET_ASSIGN_OR_RETURN(auto change, indexes_->Prepare(table, x, old_values, new_values, id));
      if (change) index_changes.push_back(std::move(*change));
    }
  }

  // 4. Long values: decide which stay inline, then write the new data and
  // free the old.
  std::vector<size_t> long_columns;
  for (auto& [column, e] : encoded) {
    const ColumnDef& c = table.columns[column];
    if (!e.null && IsLong(c)) long_columns.push_back(column);
  }
  std::set<size_t> out_of_row;
  for (size_t column : long_columns) {
    if (encoded[column].bytes.size() > kMaxInlineLongValue) out_of_row.insert(column);
  }
  // Without long values the old row's pieces are changed in place: they are
  // built into a row only once.
  RawRow copy;
  auto build = [&](bool placeholder) -> const RawRow& {
    RawRow& r = long_columns.empty() ? raw : (copy = raw);
    for (auto& [column, e] : encoded) {
      const ColumnDef& c = table.columns[column];
      if (e.null) {
        SetRawColumn(c, std::nullopt, false, &r);
      } else if (IsLong(c) && placeholder) {
        // A zeroed reference, followed by the value when it is to stay inline.
        const size_t inline_size = out_of_row.count(column) ? 0 : e.bytes.size();
        std::vector<uint8_t> field(kLongValueRefSize + inline_size, 0);
        std::copy_n(e.bytes.begin(), inline_size, field.begin() + kLongValueRefSize);
        SetRawColumn(c, field, true, &r);
      } else {
        SetRawColumn(c, e.bytes, e.bit, &r);
      }
    }
    return r;
  };
  // Push the largest inline values out until the row fits a page. Without
  // long values the row joined here is the one stored.
  std::vector<uint8_t> bytes;
  for (;;) {
    bytes = JoinRow(f, build(true));
    const size_t size = bytes.size();
    if (size <= MaxRowSize(f)) break;
    size_t largest = SIZE_MAX;
    for (size_t column : long_columns) {
      if (out_of_row.count(column)) continue;
      if (largest == SIZE_MAX || encoded[column].bytes.size() > encoded[largest].bytes.size()) {
        largest = column;
      }
    }
    if (largest == SIZE_MAX) {
      return Status::InvalidArgument(where + ": the row would take " + std::to_string(size) +
                                     " bytes, more than a page can hold");
    }
    out_of_row.insert(largest);
  }
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDef& c = table.columns[i];
    if (!IsLong(c) || !encoded.count(i) || !slices[i].present) continue;
    JET_RETURN_IF_ERROR(long_values_->Free(old_view.Sub(slices[i].offset, slices[i].length),
                                           where + ": column '" + c.name + "'"));
  }
  for (size_t column : long_columns) {
    EncodedValue& e = encoded[column];
    auto field = long_values_->Write(e.bytes, !out_of_row.count(column));
    if (!field.ok()) {
      return field.status().WithContext(where + ": column '" + table.columns[column].name + "'");
    }
    e.bytes = std::move(field).value();
  }

  // 5. The row itself, then its index entries.
  if (!long_columns.empty()) bytes = JoinRow(f, build(false));
  JET_RETURN_IF_ERROR(StoreRow(*editor_, table, id, loc, bytes, where, scratch,
                               &placements_[table.definition_page]));
  for (const IndexChange& change : index_changes) {
    JET_RETURN_IF_ERROR(indexes_->Apply(table, change));
  }
  return ReleaseEmptied(table, loc.moved ? loc.data.page : 0);
}

Status RowUpdater::ReleaseEmptied(const TableDef& table, uint32_t moved_from) {
  if (moved_from != 0) {
    JET_RETURN_IF_ERROR(ReleaseEmptyTablePage(*editor_, table, moved_from).status());
  }
  std::vector<uint32_t> freed = long_values_->TakeFreedPages();
  if (freed.empty()) return Status::Ok();
  if (!long_value_maps_) long_value_maps_ = AllLongValueMaps(editor_->store(), *decoder_);
  // Without every map that might list them, emptied pages stay for reuse.
  if (!*long_value_maps_) return Status::Ok();
  for (uint32_t page : freed) {
    JET_ASSIGN_OR_RETURN(bool released,
                         ReleaseEmptyLongValuePage(*editor_, **long_value_maps_, page));
    if (released) long_values_->Forget(page);
  }
  return Status::Ok();
}

}  // namespace jet
