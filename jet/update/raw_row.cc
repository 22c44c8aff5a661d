#include "jet/update/raw_row.h"

#include <algorithm>

#include "jet/row_layout.h"

namespace jet {

namespace {
void PutN(std::vector<uint8_t>* out, size_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// `data` null: the column becomes NULL.
void SetColumn(const ColumnDef& c, const std::vector<uint8_t>* data, bool bit, RawRow* row) {
  if (c.number >= row->column_count) row->column_count = size_t{c.number} + 1;
  row->mask.resize((row->column_count + 7) / 8, 0);
  uint8_t& m = row->mask[c.number / 8];
  const uint8_t b = static_cast<uint8_t>(1u << (c.number % 8));
  m = bit ? (m | b) : (m & ~b);
  if (c.type == ColumnType::kBoolean) return;
  if (c.fixed) {
    size_t size = FixedSize(c.type);
    if (size == 0) size = c.size;
    size_t end = size_t{c.fixed_offset} + size;
    if (row->fixed.size() < end) row->fixed.resize(end, 0);
    // A NULL fixed column keeps its space; zeros say nothing stale.
    std::fill(row->fixed.begin() + c.fixed_offset, row->fixed.begin() + end, 0);
    if (data) {
      std::copy(data->begin(), data->begin() + std::min(data->size(), size),
                row->fixed.begin() + c.fixed_offset);
    }
    return;
  }
  if (c.var_index >= row->var.size()) row->var.resize(size_t{c.var_index} + 1);
  std::vector<uint8_t>& entry = row->var[c.var_index];
  if (data) {
    entry.assign(data->begin(), data->end());
  } else {
    entry.clear();
  }
}
}  // namespace

Status SplitRow(const Format& f, const TableDef& table, ByteView row, const std::string& where,
                RawRow* out) {
  // The buffers are refilled rather than replaced: an update of many rows
  // splits each into the same RawRow.
  out->fixed.clear();
  out->mask.clear();
  const size_t n = f.row_count_size;
  if (row.size < n) return Status::Corruption(where + ": row shorter than its column count");
  out->column_count = n == 1 ? row.U8(0) : row.U16(0);
  size_t mask_size = (out->column_count + 7) / 8;
  if (row.size < n + mask_size) {
    return Status::Corruption(where + ": row too short for its null mask");
  }
  size_t mask_pos = row.size - mask_size;
  out->mask.assign(row.data + mask_pos, row.data + row.size);
  size_t data_end = mask_pos;
  out->var_table = table.var_column_count > 0;
  if (out->var_table) {
    if (mask_pos < n + n) return Status::Corruption(where + ": row has no variable column count");
    size_t count_pos = mask_pos - n;
    size_t count = n == 1 ? row.U8(count_pos) : row.U16(count_pos);
    std::vector<size_t> offs;
    size_t table_low = 0;
    JET_RETURN_IF_ERROR(ReadVarOffsets(f, row, count_pos, count, where.c_str(), &offs, &table_low));
    for (size_t i = 0; i <= count; ++i) {
      if (offs[i] < n || offs[i] > table_low || (i > 0 && offs[i] < offs[i - 1])) {
        return Status::Corruption(where + ": variable column offset " + std::to_string(offs[i]) +
                                  " lies outside the row's data");
      }
    }
    out->var.resize(count);
    for (size_t i = 0; i < count; ++i) out->var[i].assign(row.data + offs[i], row.data + offs[i + 1]);
    data_end = offs[0];
  } else {
    out->var.clear();
  }
  out->fixed.assign(row.data + n, row.data + data_end);
  return Status::Ok();
}

void SetRawColumn(const ColumnDef& column, const std::vector<uint8_t>& data, bool bit,
                  RawRow* row) {
  SetColumn(column, &data, bit, row);
}

void SetRawColumn(const ColumnDef& column, std::nullopt_t, bool bit, RawRow* row) {
  SetColumn(column, nullptr, bit, row);
}

size_t RawVarSize(const ColumnDef& c, const RawRow& row) {
  if (c.fixed || c.type == ColumnType::kBoolean || c.var_index >= row.var.size()) return 0;
  return row.var[c.var_index].size();
}

std::vector<uint8_t> JoinRow(const Format& f, const RawRow& row) {
  const size_t n = f.row_count_size;
  size_t var_bytes = 0;
  for (const auto& v : row.var) var_bytes += v.size();
  const size_t count = row.var.size();
  size_t pad = 0;
  size_t jumps = 0;
  if (row.var_table && n == 1) {
    // Jet 3: the jump table's size follows from the row's length, which
    // includes the jump table itself; settle both, avoiding exact multiples
    // of 256 that readers count differently.
    for (;;) {
      size_t base = n + row.fixed.size() + pad + var_bytes + (count + 1) + 1 + row.mask.size();
      size_t j = 0;
      while ((base + j - 1) / 256 != j) j = (base + j - 1) / 256;
      if ((base + j) % 256 == 0) {
        ++pad;
        continue;
      }
      jumps = j;
      break;
    }
  }
  std::vector<uint8_t> out;
  out.reserve(n + row.fixed.size() + pad + var_bytes + (count + 1) * n + jumps + n +
              row.mask.size());
  PutN(&out, row.column_count, n);
  out.insert(out.end(), row.fixed.begin(), row.fixed.end());
  out.insert(out.end(), pad, 0);
  if (row.var_table) {
    const size_t var_start = out.size();
    for (const auto& v : row.var) out.insert(out.end(), v.begin(), v.end());
    // The offsets, last (the end of variable data) to first: each entry
    // starts where the one after it starts less its own size.
    size_t offset = out.size();
    PutN(&out, offset, n);
    for (size_t i = count; i-- > 0;) {
      offset -= row.var[i].size();
      PutN(&out, offset, n);
    }
    if (n == 1) {
      for (size_t k = jumps; k-- > 0;) {
        size_t first = 0xFF;  // an unused last entry
        size_t at = var_start;  // the offset of entry i
        for (size_t i = 0; i <= count; ++i) {
          if (at >= (k + 1) * 256) {
            first = i;
            break;
          }
          if (i < count) at += row.var[i].size();
        }
        out.push_back(static_cast<uint8_t>(first));
      }
    }
    PutN(&out, count, n);
  }
  out.insert(out.end(), row.mask.begin(), row.mask.end());
  return out;
}

}  // namespace jet
