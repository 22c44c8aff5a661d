#include "jet/create/table_layout.h"

#include <unordered_set>

#include "jet/create/bytes_out.h"
#include "jet/format.h"
#include "jet/row_layout.h"
#include "jet/text_codec.h"
#include "text/case_fold.h"

namespace jet::create {

namespace {

// Constants Access writes into every definition (the same value appears in
// each column and index entry of the same definition).
constexpr uint32_t kTableMagic = 1625;
constexpr uint32_t kIndexMagic = 1923;
constexpr uint8_t kUserTable = 0x4E;
constexpr uint8_t kSystemTable = 0x53;
constexpr uint8_t kColUpdatable = 0x10;
constexpr uint8_t kIndexUniqueFlag = 0x01;
constexpr uint8_t kIndexIgnoreNullsFlag = 0x02;
constexpr uint8_t kIndexRequiredFlag = 0x08;
constexpr uint8_t kIndexAlwaysSet = 0x80;
constexpr size_t kMaxIndexColumns = 10;
constexpr size_t kMaxNameChars = 64;

bool IsVariable(ColumnType t) {
  return t == ColumnType::kText || t == ColumnType::kBinary || t == ColumnType::kMemo ||
         t == ColumnType::kOle;
}

bool KnownType(ColumnType t) {
  switch (t) {
    case ColumnType::kBoolean:
    case ColumnType::kByte:
    case ColumnType::kInteger:
    case ColumnType::kLong:
    case ColumnType::kCurrency:
    case ColumnType::kSingle:
    case ColumnType::kDouble:
    case ColumnType::kDateTime:
    case ColumnType::kBinary:
    case ColumnType::kText:
    case ColumnType::kOle:
    case ColumnType::kMemo:
    case ColumnType::kGuid:
    case ColumnType::kNumeric:
      return true;
    case ColumnType::kComplex:  // Access 2007 and later only; .mdb files cannot hold them
    case ColumnType::kBigInt:
    case ColumnType::kExtendedDateTime:
      return false;
  }
  return false;
}

size_t Utf16Units(const std::string& s) { return Utf8ToUtf16Le(s).size() / 2; }

void PutName(ByteWriter& w, const std::string& name) {
  std::string u = Utf8ToUtf16Le(name);
  w.U16(static_cast<uint32_t>(u.size()));
  w.Append(u.data(), u.size());
}

}  // namespace

Result<TableDef> LayoutTable(const TableSpec& spec) {
  auto bad = [&](const std::string& what) {
    return Status::InvalidArgument("table '" + spec.name + "': " + what);
  };
  if (spec.name.empty() || Utf16Units(spec.name) > kMaxNameChars) {
    return Status::InvalidArgument("table name '" + spec.name + "' must have 1 to 64 characters");
  }
  if (spec.columns.empty()) return bad("a table needs at least one column");
  if (spec.columns.size() > 255) return bad("more than 255 columns");
  TableDef def;
  def.name = spec.name;
  std::unordered_set<std::string> names;
  uint16_t fixed_offset = 0, var_index = 0;
  for (size_t i = 0; i < spec.columns.size(); ++i) {
    const ColumnSpec& s = spec.columns[i];
    if (s.name.empty() || Utf16Units(s.name) > kMaxNameChars) {
      return bad("column name '" + s.name + "' must have 1 to 64 characters");
    }
    if (!names.insert(text::FoldCase(s.name)).second)
      return bad("column '" + s.name + "' is listed twice");
    if (!KnownType(s.type)) return bad("column '" + s.name + "' has an unknown type");
    ColumnDef c;
    c.name = s.name;
    c.type = s.type;
    c.number = static_cast<uint16_t>(i);
    c.required = s.required;
    c.fixed = !IsVariable(s.type);
    switch (s.type) {
      case ColumnType::kText:
        if (s.max_length < 1 || s.max_length > 255) {
          return bad("text column '" + s.name + "' must hold 1 to 255 characters");
        }
        c.size = static_cast<uint16_t>(s.max_length * 2);
        c.max_chars = s.max_length;
        c.compressed_unicode = s.compressed;
        c.sort_order = keys::kGeneralSortOrderId;
        break;
      case ColumnType::kMemo:
        c.compressed_unicode = s.compressed;
        c.sort_order = keys::kGeneralSortOrderId;
        break;
      case ColumnType::kBinary:
        if (s.max_length < 1 || s.max_length > 255) {
          return bad("binary column '" + s.name + "' must hold 1 to 255 bytes");
        }
        c.size = s.max_length;
        break;
      case ColumnType::kNumeric:
        if (s.precision < 1 || s.precision > 28 || s.scale > s.precision) {
          return bad("decimal column '" + s.name + "' needs precision 1-28 and scale <= precision");
        }
        c.precision = s.precision;
        c.scale = s.scale;
        c.size = 17;
        break;
      case ColumnType::kBoolean:
        c.size = 1;
        break;
      case ColumnType::kOle:
        break;
      default:
        c.size = static_cast<uint16_t>(FixedSize(s.type));
    }
    if (s.auto_number) {
      if (s.type != ColumnType::kLong && s.type != ColumnType::kGuid) {
        return bad("column '" + s.name + "': only Long and GUID columns can number themselves");
      }
      c.auto_number = true;
    }
    if (c.fixed) {
      c.fixed_offset = fixed_offset;
      if (s.type != ColumnType::kBoolean)
        fixed_offset = static_cast<uint16_t>(fixed_offset + c.size);
    } else {
      c.var_index = var_index++;
    }
    def.columns.push_back(std::move(c));
  }
  def.max_columns = static_cast<uint16_t>(def.columns.size());
  def.var_column_count = var_index;

  bool have_primary = false;
  std::unordered_set<std::string> index_names;
  for (size_t i = 0; i < spec.indexes.size(); ++i) {
    const IndexSpec& s = spec.indexes[i];
    if (s.name.empty() || Utf16Units(s.name) > kMaxNameChars) {
      return bad("index name '" + s.name + "' must have 1 to 64 characters");
    }
    if (!index_names.insert(text::FoldCase(s.name)).second)
      return bad("index '" + s.name + "' is listed twice");
    if (s.columns.empty() || s.columns.size() > kMaxIndexColumns) {
      return bad("index '" + s.name + "' must have 1 to 10 columns");
    }
    if (s.primary && have_primary) return bad("more than one primary key");
    have_primary = have_primary || s.primary;
    IndexDef x;
    x.name = s.name;
    x.primary = s.primary;
    x.unique = s.unique || s.primary;
    x.required = s.required || s.primary;
    x.ignore_nulls = s.ignore_nulls;
    x.number = static_cast<uint32_t>(i);
    x.real_index = static_cast<uint32_t>(i);
    for (const IndexColumnSpec& ic : s.columns) {
      size_t found = def.columns.size();
      for (size_t k = 0; k < def.columns.size(); ++k) {
        if (text::FoldCase(def.columns[k].name) == text::FoldCase(ic.column)) found = k;
      }
      if (found == def.columns.size()) {
        return bad("index '" + s.name + "' names unknown column '" + ic.column + "'");
      }
      ColumnType t = def.columns[found].type;
      if (t == ColumnType::kOle) {
        return bad("index '" + s.name + "': column '" + ic.column + "' cannot be indexed");
      }
      x.columns.push_back(IndexColumn{found, ic.ascending});
    }
    def.indexes.push_back(std::move(x));
  }
  return def;
}

Result<std::vector<uint8_t>> SerializeTableDef(const TableDef& def, const DefinitionExtras& extras,
                                               uint32_t page_size) {
  const Format& f = Jet4Format();
  ByteWriter w;
  w.U8(kPageTableDef);
  w.U8(0x01);
  w.U16(0);  // free space, filled below
  w.U32(0);  // next definition page
  w.U32(0);  // definition length, filled below
  w.U32(kTableMagic);
  w.U32(def.row_count);
  w.U32(extras.last_auto_number);
  w.U8(0x01);  // lets Access hand out auto-numbers from the value above
  w.Zeros(3);
  w.U32(0);  // complex-column auto-number (later formats)
  w.Zeros(8);
  w.U8(extras.system ? kSystemTable : kUserTable);
  w.U16(def.max_columns);
  w.U16(def.var_column_count);
  w.U16(static_cast<uint32_t>(def.columns.size()));
  w.U32(static_cast<uint32_t>(def.indexes.size()));
  w.U32(static_cast<uint32_t>(def.indexes.size()));
  w.U32(extras.owned_map);
  w.U32(extras.free_map);
  for (size_t i = 0; i < def.indexes.size(); ++i) {
    w.U32(0);
    w.U32(def.row_count);
    w.U32(0);
  }
  for (const ColumnDef& c : def.columns) {
    size_t at = w.size();
    w.Zeros(f.column_size);
    uint8_t* p = w.bytes().data() + at;
    p[f.col_type] = static_cast<uint8_t>(c.type);
    Put32(p + 1, kTableMagic);
    Put16(p + f.col_number, c.number);
    Put16(p + f.col_var_index, c.var_index);
    Put16(p + f.col_index, c.number);
    if (c.type == ColumnType::kText || c.type == ColumnType::kMemo) {
      Put16(p + f.col_precision, c.sort_order);
      p[f.col_precision + 3] = c.sort_order_version;
    } else if (c.type == ColumnType::kNumeric) {
      p[f.col_precision] = c.precision;
      p[f.col_precision + 1] = c.scale;
    }
    uint8_t flags = kColUpdatable;
    if (c.fixed) flags |= kColFixed;
    if (!c.required) flags |= kColNullable;
    if (c.auto_number) flags |= c.type == ColumnType::kGuid ? kColAutoGuid : kColAutoLong;
    p[f.col_flags] = flags;
    p[f.col_extra_flags] = c.compressed_unicode ? kColCompressed : 0;
    Put16(p + f.col_fixed_offset, c.fixed ? c.fixed_offset : 0);
    Put16(p + f.col_length, c.size);
  }
  for (const ColumnDef& c : def.columns) PutName(w, c.name);
  for (size_t i = 0; i < def.indexes.size(); ++i) {
    const IndexDef& x = def.indexes[i];
    w.U32(kIndexMagic);
    for (size_t k = 0; k < kMaxIndexColumns; ++k) {
      if (k < x.columns.size()) {
        w.U16(def.columns[x.columns[k].column].number);
        w.U8(x.columns[k].ascending ? 0x01 : 0x02);
      } else {
        w.U16(0xFFFF);
        w.U8(0);
      }
    }
    w.U32(i < extras.index_maps.size() ? extras.index_maps[i] : 0);
    w.U32(x.root_page);
    w.U32(0);
    uint8_t flags = kIndexAlwaysSet;
    if (x.unique) flags |= kIndexUniqueFlag;
    if (x.ignore_nulls) flags |= kIndexIgnoreNullsFlag;
    if (x.required) flags |= kIndexRequiredFlag;
    w.U8(flags);
    w.Zeros(5);
  }
  for (const IndexDef& x : def.indexes) {
    w.U32(kTableMagic);
    w.U32(x.number);
    w.U32(x.real_index);
    w.U8(0);            // related table type (no relationship)
    w.U32(0xFFFFFFFF);  // related index
    w.U32(0);           // related table page
    w.U8(0);            // cascade updates
    w.U8(0);            // cascade deletes
    w.U8(x.primary ? 0x01 : 0x00);
    w.Zeros(4);
  }
  for (const IndexDef& x : def.indexes) PutName(w, x.name);
  for (const auto& lv : extras.long_value_maps) {
    w.U16(lv.column_number);
    w.U32(lv.owned);
    w.U32(lv.free);
  }
  w.U16(0xFFFF);
  if (w.size() + 8 > page_size) {
    return Status::NotSupported("table '" + def.name + "': its definition (" +
                                std::to_string(w.size()) +
                                " bytes) does not fit in one page; use fewer columns or indexes");
  }
  std::vector<uint8_t> out = std::move(w.bytes());
  Put16(out.data() + 2, static_cast<uint32_t>(page_size - out.size() - 8));
  Put32(out.data() + 8, static_cast<uint32_t>(out.size()));
  out.resize(page_size, 0);
  return out;
}

}  // namespace jet::create
