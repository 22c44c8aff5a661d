#include "jet/row_layout.h"

namespace jet {

size_t FixedSize(ColumnType type) {
  switch (type) {
    case ColumnType::kBoolean:
      return 0;
    case ColumnType::kByte:
      return 1;
    case ColumnType::kInteger:
      return 2;
    case ColumnType::kLong:
      return 4;
    case ColumnType::kSingle:
      return 4;
    case ColumnType::kCurrency:
      return 8;
    case ColumnType::kDouble:
      return 8;
    case ColumnType::kDateTime:
      return 8;
    case ColumnType::kGuid:
      return 16;
    case ColumnType::kNumeric:
      return 17;
    case ColumnType::kComplex:
      return 4;
    case ColumnType::kBigInt:
      return 8;
    case ColumnType::kExtendedDateTime:
      return 42;
    default:
      return 0;
  }
}

namespace {

// Reads the variable-length offsets (entries 0..count, the last being the end
// of variable data) for Jet 4: two bytes each, stored backwards before the count.
Status ReadOffsets4(ByteView row, size_t count_pos, size_t count, const Where& where,
                    std::vector<size_t>* offs, size_t* table_low) {
  if (count_pos < 2 * (count + 1) + 2) {
    return Status::Corruption(where.str() + ": offset table of " + std::to_string(count) +
                              " entries does not fit in the row");
  }
  offs->reserve(offs->size() + count + 1);
  for (size_t i = 0; i <= count; ++i) offs->push_back(row.U16(count_pos - 2 * (i + 1)));
  *table_low = count_pos - 2 * (count + 1);
  return Status::Ok();
}

// Jet 3: one byte per offset, plus a jump table that adds 256 for every
// boundary an offset has passed; sized by the row length, so its last entry
// may be unused.
Status ReadOffsets3(ByteView row, size_t count_pos, size_t count, const Where& where,
                    std::vector<size_t>* offs, size_t* table_low_out) {
  size_t jumps = (row.size - 1) / 256;
  if (count_pos < jumps + count + 1 + 1) {
    return Status::Corruption(where.str() + ": offset table of " + std::to_string(count) +
                              " entries does not fit in the row");
  }
  size_t table_pos = count_pos - jumps;  // one past the first offset entry
  size_t table_low = table_pos - (count + 1);
  *table_low_out = table_low;
  if (jumps > 0 && table_low / 256 < jumps) --jumps;
  offs->reserve(offs->size() + count + 1);
  size_t used = 0;
  for (size_t i = 0; i <= count; ++i) {
    while (used < jumps && row.U8(count_pos - 1 - used) == i) ++used;
    offs->push_back(row.U8(table_pos - 1 - i) + 256 * used);
  }
  return Status::Ok();
}

}  // namespace

Status ReadVarOffsets(const Format& f, ByteView row, size_t count_pos, size_t count,
                      const Where& where, std::vector<size_t>* offsets, size_t* table_low) {
  return f.row_count_size == 1 ? ReadOffsets3(row, count_pos, count, where, offsets, table_low)
                               : ReadOffsets4(row, count_pos, count, where, offsets, table_low);
}

Status CrackRow(const Format& f, const TableDef& table, ByteView row, const Where& where,
                std::vector<ColumnSlice>* out) {
  std::vector<size_t> scratch;
  return CrackRow(f, table, row, where, out, &scratch);
}

Status CrackRow(const Format& f, const TableDef& table, ByteView row, const Where& where,
                std::vector<ColumnSlice>* out, std::vector<size_t>* scratch) {
  out->resize(table.columns.size());
  const size_t n = f.row_count_size;
  if (row.size < n) return Status::Corruption(where.str() + ": row shorter than its column count");
  size_t columns = n == 1 ? row.U8(0) : row.U16(0);
  size_t mask_size = (columns + 7) / 8;
  if (row.size < n + mask_size) {
    return Status::Corruption(where.str() + ": row of " + std::to_string(row.size) +
                              " bytes cannot hold the null mask of " + std::to_string(columns) +
                              " columns");
  }
  size_t mask_pos = row.size - mask_size;
  auto bit = [&](uint16_t number) {
    return number < columns && (row.U8(mask_pos + number / 8) & (1u << (number % 8))) != 0;
  };
  // The fixed area ends where variable data (or, without it, the null mask) starts.
  size_t data_end = mask_pos;
  std::vector<size_t>& offs = *scratch;
  offs.clear();
  size_t var_count = 0;
  if (table.var_column_count > 0) {
    if (mask_pos < n + n)
      return Status::Corruption(where.str() + ": row has no variable column count");
    size_t count_pos = mask_pos - n;
    var_count = n == 1 ? row.U8(count_pos) : row.U16(count_pos);
    size_t table_low = 0;
    JET_RETURN_IF_ERROR(n == 1 ? ReadOffsets3(row, count_pos, var_count, where, &offs, &table_low)
                               : ReadOffsets4(row, count_pos, var_count, where, &offs, &table_low));
    for (size_t i = 0; i <= var_count; ++i) {
      if (offs[i] < n || offs[i] > table_low || (i > 0 && offs[i] < offs[i - 1])) {
        return Status::Corruption(where.str() + ": variable column offset " +
                                  std::to_string(offs[i]) + " lies outside the row's data");
      }
    }
    data_end = offs[0];
  }
  for (size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDef& c = table.columns[i];
    ColumnSlice& s = (*out)[i];
    s = ColumnSlice{};
    s.bit = bit(c.number);
    // A calculated yes/no keeps its value in the row, not in the null mask.
    if ((c.type == ColumnType::kBoolean && !c.calculated) || !s.bit) continue;
    if (c.fixed) {
      size_t size = c.calculated ? 0 : FixedSize(c.type);
      if (size == 0) size = c.size;
      size_t start = n + size_t{c.fixed_offset};
      if (start + size > data_end) {
        return Status::Corruption(where.str() + ": column '" + c.name + "' at offset " +
                                  std::to_string(start) + " runs past the fixed data (" +
                                  std::to_string(data_end) + " bytes)");
      }
      s.present = true;
      s.offset = start;
      s.length = size;
    } else {
      if (c.var_index >= var_count) continue;  // added after this row was written
      s.present = true;
      s.offset = offs[c.var_index];
      s.length = offs[c.var_index + 1] - offs[c.var_index];
    }
  }
  return Status::Ok();
}

}  // namespace jet
