#include "jet/table_def.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace jet {

namespace {

constexpr size_t kPageHeader = 8;  // type, unknown, free space or id, next page
constexpr size_t kIndexColumnSlots = 10;
constexpr uint16_t kNoColumn = 0xFFFF;
constexpr uint8_t kIndexUnique = 0x01;
constexpr uint8_t kIndexIgnoreNulls = 0x02;
constexpr uint8_t kIndexRequired = 0x08;
constexpr uint8_t kLogicalPrimary = 0x01;
constexpr uint8_t kLogicalForeign = 0x02;
constexpr uint8_t kSystemTable = 0x53;
constexpr uint16_t kCalculatedExtra = 23;  // bytes a calculated value adds to its column's size

// The definition's pages joined: the first whole, later ones without their header.
Status LoadChain(PageStore& store, uint32_t first, std::vector<uint8_t>* out, uint32_t* pages) {
  std::unordered_set<uint32_t> seen;
  uint32_t page = first;
  *pages = 0;
  while (page != 0) {
    if (!seen.insert(page).second) {
      return store.Corrupt(page, "table definition chain of page " + std::to_string(first) +
                                     " loops back to this page");
    }
    JET_ASSIGN_OR_RETURN(PageRef p, store.Get(page));
    ByteView v = View(p);
    if (v.U8(0) != kPageTableDef) {
      return store.Corrupt(
          page, "expected a table definition page, found page type " + std::to_string(v.U8(0)));
    }
    out->insert(out->end(), p->begin() + (page == first ? 0 : kPageHeader), p->end());
    ++*pages;
    page = v.U32(4);
  }
  return Status::Ok();
}

}  // namespace

Result<TableDef> ReadTableDef(PageStore& store, const TextDecoder& text, uint32_t page) {
  const Format& f = store.format();
  std::vector<uint8_t> bytes;
  TableDef def;
  def.definition_page = page;
  if (page == 0) return store.Corrupt(page, "page 0 cannot hold a table definition");
  JET_RETURN_IF_ERROR(LoadChain(store, page, &bytes, &def.definition_pages));
  ByteView v{bytes.data(), bytes.size()};
  auto bad = [&](const std::string& what) {
    return store.Corrupt(page, "table definition: " + what);
  };
  if (!v.In(f.tdef_first_real_index, 0)) return bad("header truncated");
  def.row_count = v.U32(f.tdef_row_count);
  def.system = v.U8(f.tdef_table_type) == kSystemTable;
  def.max_columns = v.U16(f.tdef_max_columns);
  def.var_column_count = v.U16(f.tdef_var_columns);
  uint16_t column_count = v.U16(f.tdef_columns);
  uint32_t logical_count = v.U32(f.tdef_logical_indexes);
  uint32_t real_count = v.U32(f.tdef_real_indexes);
  def.owned_map = v.U32(f.tdef_owned_map);
  def.free_map = v.U32(f.tdef_free_map);
  // Counts that cannot fit in the definition's bytes are rejected before any
  // multiplication can overflow.
  if (real_count > v.size / f.real_index_count_size || logical_count > v.size ||
      real_count > logical_count + v.size) {
    return bad("index counts " + std::to_string(logical_count) + "/" + std::to_string(real_count) +
               " exceed the definition's size");
  }
  size_t pos = f.tdef_first_real_index + real_count * f.real_index_count_size;
  if (!v.In(pos, size_t{column_count} * f.column_size)) {
    return bad(std::to_string(column_count) + " column descriptors run past its end");
  }
  // "Select *" lists columns by their number. The descriptor's other index
  // follows it except after columns were deleted and re-added, where the
  // readers we compare with (and the rows' own numbering) take the number.
  std::vector<uint16_t> display;
  for (uint16_t i = 0; i < column_count; ++i, pos += f.column_size) {
    ColumnDef c;
    c.type = static_cast<ColumnType>(v.U8(pos + f.col_type));
    c.number = v.U16(pos + f.col_number);
    c.var_index = v.U16(pos + f.col_var_index);
    c.precision = v.U8(pos + f.col_precision);
    c.scale = v.U8(pos + f.col_precision + 1);
    uint8_t flags = v.U8(pos + f.col_flags);
    c.fixed = (flags & kColFixed) != 0;
    c.required = (flags & kColNullable) == 0;
    c.auto_number = (flags & (kColAutoLong | kColAutoGuid)) != 0;
    c.hyperlink = (flags & kColHyperlink) != 0 && c.type == ColumnType::kMemo;
    c.compressed_unicode =
        f.col_extra_flags != 0 && (v.U8(pos + f.col_extra_flags) & kColCompressed);
    c.calculated = f.ace_version != 0 && (v.U8(pos + f.col_extra_flags) & kColCalculated) != 0;
    if (f.col_complex_id != 0 && c.type == ColumnType::kComplex) {
      c.complex_id = v.U32(pos + f.col_complex_id);
    }
    c.fixed_offset = v.U16(pos + f.col_fixed_offset);
    c.size = v.U16(pos + f.col_length);
    if (c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
      c.sort_order = v.U16(pos + f.col_precision);
      if (f.version == 4) c.sort_order_version = v.U8(pos + f.col_precision + 3);
      c.precision = c.scale = 0;
    } else if (c.type != ColumnType::kNumeric) {
      c.precision = c.scale = 0;
    }
    if (c.type == ColumnType::kText) {
      // A calculated text column's size counts the prefix of its stored value.
      uint16_t bytes = c.calculated && c.size >= kCalculatedExtra ? c.size - kCalculatedExtra : c.size;
      c.max_chars = f.text_utf16 ? bytes / 2 : bytes;
    }
    display.push_back(v.U16(pos + f.col_number));
    def.columns.push_back(std::move(c));
  }
  auto read_name = [&](std::string* out) -> Status {
    if (!v.In(pos, f.name_length_size)) return bad("name length runs past its end");
    size_t len = f.name_length_size == 1 ? v.U8(pos) : v.U16(pos);
    pos += f.name_length_size;
    if (!v.In(pos, len))
      return bad("a name of " + std::to_string(len) + " bytes runs past its end");
    *out = text.Decode(v.Sub(pos, len));
    pos += len;
    return Status::Ok();
  };
  for (ColumnDef& c : def.columns) JET_RETURN_IF_ERROR(read_name(&c.name));
  {
    std::vector<size_t> perm(def.columns.size());
    for (size_t i = 0; i < perm.size(); ++i) perm[i] = i;
    std::stable_sort(perm.begin(), perm.end(),
                     [&](size_t a, size_t b) { return display[a] < display[b]; });
    std::vector<ColumnDef> sorted;
    sorted.reserve(perm.size());
    for (size_t i : perm) sorted.push_back(std::move(def.columns[i]));
    def.columns = std::move(sorted);
  }

  struct RealIndex {
    std::vector<IndexColumn> columns;
    uint8_t flags = 0;
    uint32_t root = 0;
  };
  std::vector<RealIndex> reals;
  if (!v.In(pos, size_t{real_count} * f.real_index_size)) {
    return bad(std::to_string(real_count) + " index descriptors run past its end");
  }
  for (uint32_t i = 0; i < real_count; ++i, pos += f.real_index_size) {
    RealIndex r;
    size_t cols = pos + f.real_index_columns;
    for (size_t k = 0; k < kIndexColumnSlots; ++k) {
      uint16_t number = v.U16(cols + 3 * k);
      if (number == kNoColumn) continue;
      auto it = std::find_if(def.columns.begin(), def.columns.end(),
                             [&](const ColumnDef& c) { return c.number == number; });
      if (it == def.columns.end()) {
        return bad("index " + std::to_string(i) + " names missing column number " +
                   std::to_string(number));
      }
      r.columns.push_back(IndexColumn{static_cast<size_t>(it - def.columns.begin()),
                                      v.U8(cols + 3 * k + 2) == 0x01});
    }
    r.root = v.U32(pos + f.real_index_root);
    r.flags = v.U8(pos + f.real_index_flags);
    reals.push_back(std::move(r));
  }
  if (!v.In(pos, size_t{logical_count} * f.logical_index_size)) {
    return bad(std::to_string(logical_count) + " index entries run past its end");
  }
  for (uint32_t i = 0; i < logical_count; ++i, pos += f.logical_index_size) {
    IndexDef x;
    x.number = v.U32(pos + f.logical_index_number);
    x.real_index = v.U32(pos + f.logical_index_real);
    if (x.real_index >= reals.size()) {
      return bad("index entry " + std::to_string(i) + " refers to physical index " +
                 std::to_string(x.real_index) + " of " + std::to_string(reals.size()));
    }
    const RealIndex& r = reals[x.real_index];
    x.columns = r.columns;
    x.root_page = r.root;
    x.unique = (r.flags & kIndexUnique) != 0;
    x.ignore_nulls = (r.flags & kIndexIgnoreNulls) != 0;
    x.required = (r.flags & kIndexRequired) != 0;
    uint8_t type = v.U8(pos + f.logical_index_type);
    x.primary = type == kLogicalPrimary;
    x.foreign_key = type == kLogicalForeign;
    def.indexes.push_back(std::move(x));
  }
  for (IndexDef& x : def.indexes) JET_RETURN_IF_ERROR(read_name(&x.name));
  // Jet 4: the usage maps of memo and OLE columns (column number, owned-pages
  // map, free-space map) up to a 0xFFFF column number. Only the write path
  // uses them, so a list that does not end properly is dropped, not an error.
  if (f.version == 4) {
    std::vector<uint32_t> maps;
    while (v.In(pos, 2) && v.U16(pos) != kNoColumn) {
      if (!v.In(pos, 10)) break;
      maps.push_back(v.U32(pos + 2));
      maps.push_back(v.U32(pos + 6));
      pos += 10;
    }
    if (v.In(pos, 2) && v.U16(pos) == kNoColumn) {
      def.long_value_maps = std::move(maps);
      def.long_value_maps_known = true;
    }
  }
  return def;
}

}  // namespace jet
