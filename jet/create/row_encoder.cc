#include "jet/create/row_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "jet/create/bytes_out.h"
#include "jet/text_codec.h"

namespace jet::create {

namespace {

constexpr uint32_t kLongInline = 0x80000000;

// The value as a 64-bit integer when it is one of the integer alternatives.
bool AsInteger(const Value& v, int64_t* out) {
  if (auto p = std::get_if<uint8_t>(&v)) return *out = *p, true;
  if (auto p = std::get_if<int16_t>(&v)) return *out = *p, true;
  if (auto p = std::get_if<int32_t>(&v)) return *out = *p, true;
  return false;
}

bool AsFloating(const Value& v, double* out) {
  if (auto p = std::get_if<double>(&v)) return *out = *p, true;
  if (auto p = std::get_if<float>(&v)) return *out = *p, true;
  int64_t i;
  if (AsInteger(v, &i)) return *out = static_cast<double>(i), true;
  return false;
}

const char* AlternativeName(const Value& v) {
  static const char* const kNames[] = {"NULL",   "yes/no", "byte",     "integer", "long",
                                       "single", "double", "currency", "decimal", "date",
                                       "text",   "binary", "GUID"};
  return kNames[v.index()];
}

// UTF-16 code units of UTF-8 text: one per lead byte, two for 4-byte sequences.
size_t Utf16Units(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s) {
    if ((c & 0xC0) != 0x80) n += c >= 0xF0 ? 2 : 1;
  }
  return n;
}

// Rescales a decimal to `scale`; false when digits would be lost or it overflows 96 bits.
bool Rescale(Decimal* d, uint8_t scale) {
  unsigned __int128 mag = (static_cast<unsigned __int128>(d->magnitude[2]) << 64) |
                          (static_cast<unsigned __int128>(d->magnitude[1]) << 32) | d->magnitude[0];
  const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 96;
  while (d->scale < scale) {
    mag *= 10;
    if (mag >= limit) return false;
    ++d->scale;
  }
  while (d->scale > scale) {
    if (mag % 10 != 0) return false;
    mag /= 10;
    --d->scale;
  }
  d->magnitude = {static_cast<uint32_t>(mag), static_cast<uint32_t>(mag >> 32),
                  static_cast<uint32_t>(mag >> 64)};
  return true;
}

}  // namespace

Result<Value> CoerceValue(const ColumnDef& c, Value v, const RowWhere& where) {
  auto mismatch = [&]() {
    return Status::InvalidArgument(where.Text() + ": column '" + c.name + "' (" +
                                   ColumnTypeName(c.type) + ") cannot hold a " +
                                   AlternativeName(v) + " value");
  };
  auto range = [&](const std::string& what) {
    return Status::InvalidArgument(where.Text() + ": column '" + c.name + "': " + what);
  };
  if (IsNull(v)) {
    if (c.type == ColumnType::kBoolean) return Value(false);
    if (c.required)
      return Status::Constraint(where.Text() + ": column '" + c.name + "' requires a value");
    return v;
  }
  int64_t i = 0;
  double d = 0;
  switch (c.type) {
    case ColumnType::kBoolean:
      if (std::holds_alternative<bool>(v)) return v;
      if (AsInteger(v, &i)) return Value(i != 0);
      return mismatch();
    case ColumnType::kByte:
      if (!AsInteger(v, &i)) return mismatch();
      if (i < 0 || i > 255) return range(std::to_string(i) + " is outside 0 to 255");
      return Value(static_cast<uint8_t>(i));
    case ColumnType::kInteger:
      if (!AsInteger(v, &i)) return mismatch();
      if (i < -32768 || i > 32767) return range(std::to_string(i) + " is outside -32768 to 32767");
      return Value(static_cast<int16_t>(i));
    case ColumnType::kLong:
      if (!AsInteger(v, &i)) return mismatch();
      return Value(static_cast<int32_t>(i));
    case ColumnType::kSingle:
      if (!AsFloating(v, &d)) return mismatch();
      if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max()) {
        return range("value too large for a single");
      }
      return Value(static_cast<float>(d));
    case ColumnType::kDouble:
      if (!AsFloating(v, &d)) return mismatch();
      return Value(d);
    case ColumnType::kCurrency:
      if (std::holds_alternative<Currency>(v)) return v;
      if (AsInteger(v, &i)) return Value(Currency{i * 10000});
      return mismatch();
    case ColumnType::kDateTime:
      if (std::holds_alternative<DateTime>(v)) return v;
      return mismatch();
    case ColumnType::kGuid:
      if (std::holds_alternative<Guid>(v)) return v;
      return mismatch();
    case ColumnType::kNumeric: {
      Decimal dec;
      if (auto p = std::get_if<Decimal>(&v)) {
        dec = *p;
      } else if (AsInteger(v, &i)) {
        dec.negative = i < 0;
        uint64_t m = i < 0 ? 0 - static_cast<uint64_t>(i) : static_cast<uint64_t>(i);
        dec.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32), 0};
      } else {
        return mismatch();
      }
      if (!Rescale(&dec, c.scale)) {
        return range("the decimal does not fit scale " + std::to_string(c.scale));
      }
      unsigned __int128 mag = (static_cast<unsigned __int128>(dec.magnitude[2]) << 64) |
                              (static_cast<unsigned __int128>(dec.magnitude[1]) << 32) |
                              dec.magnitude[0];
      unsigned __int128 limit = 1;
      for (int k = 0; k < c.precision; ++k) limit *= 10;
      if (mag >= limit) {
        return range("the decimal has more than " + std::to_string(c.precision) + " digits");
      }
      return Value(dec);
    }
    case ColumnType::kText: {
      auto s = std::get_if<std::string>(&v);
      if (!s) return mismatch();
      size_t n = Utf16Units(*s);
      if (n > c.max_chars) {
        return range("text of " + std::to_string(n) + " characters is longer than the column's " +
                     std::to_string(c.max_chars));
      }
      return v;
    }
    case ColumnType::kMemo:
      if (std::holds_alternative<std::string>(v)) return v;
      return mismatch();
    case ColumnType::kBinary: {
      auto b = std::get_if<Bytes>(&v);
      if (!b) return mismatch();
      if (b->size() > c.size) {
        return range(std::to_string(b->size()) + " bytes are more than the column's " +
                     std::to_string(c.size));
      }
      return v;
    }
    case ColumnType::kOle:
      if (std::holds_alternative<Bytes>(v)) return v;
      return mismatch();
  }
  return mismatch();
}

Bytes EncodeText(const std::string& utf8, bool compress) {
  std::string u = Utf8ToUtf16Le(utf8);
  size_t units = u.size() / 2;
  bool compressible = compress && units > 2;
  for (size_t i = 0; compressible && i < units; ++i) {
    compressible = u[2 * i + 1] == 0 && u[2 * i] != 0;
  }
  Bytes out;
  if (compressible) {
    out.reserve(units + 2);
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (size_t i = 0; i < units; ++i) out.push_back(static_cast<uint8_t>(u[2 * i]));
  } else {
    out.assign(u.begin(), u.end());
  }
  return out;
}

Result<Bytes> EncodeRow(const TableDef& def, const std::vector<Value>& values, LongValueWriter* lv,
                        const RowWhere& where, bool* needs_long_values) {
  const size_t ncols = def.max_columns;
  size_t fixed_size = 0;
  for (const ColumnDef& c : def.columns) {
    if (c.fixed && c.type != ColumnType::kBoolean) {
      fixed_size = std::max<size_t>(fixed_size, size_t{c.fixed_offset} + c.size);
    }
  }
  std::vector<uint8_t> row(2 + fixed_size, 0);
  Put16(row.data(), static_cast<uint32_t>(ncols));
  std::vector<uint8_t> mask((ncols + 7) / 8, 0);
  std::vector<const Value*> var_values(def.var_column_count, nullptr);
  std::vector<size_t> var_columns(def.var_column_count, 0);
  for (size_t k = 0; k < def.columns.size(); ++k) {
    const ColumnDef& c = def.columns[k];
    const Value& v = values[k];
    if (c.type == ColumnType::kBoolean) {
      if (std::get<bool>(v)) mask[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8));
      continue;
    }
    if (IsNull(v)) continue;
    mask[c.number / 8] |= static_cast<uint8_t>(1u << (c.number % 8));
    if (!c.fixed) {
      var_values[c.var_index] = &v;
      var_columns[c.var_index] = k;
      continue;
    }
    uint8_t* p = row.data() + 2 + c.fixed_offset;
    switch (c.type) {
      case ColumnType::kByte:
        p[0] = std::get<uint8_t>(v);
        break;
      case ColumnType::kInteger:
        Put16(p, static_cast<uint16_t>(std::get<int16_t>(v)));
        break;
      case ColumnType::kLong:
        Put32(p, static_cast<uint32_t>(std::get<int32_t>(v)));
        break;
      case ColumnType::kSingle: {
        float f = std::get<float>(v);
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        Put32(p, bits);
        break;
      }
      case ColumnType::kDouble:
        PutF64(p, std::get<double>(v));
        break;
      case ColumnType::kDateTime:
        PutF64(p, std::get<DateTime>(v).days);
        break;
      case ColumnType::kCurrency:
        Put64(p, static_cast<uint64_t>(std::get<Currency>(v).scaled));
        break;
      case ColumnType::kGuid:
        std::memcpy(p, std::get<Guid>(v).bytes.data(), 16);
        break;
      case ColumnType::kNumeric: {
        const Decimal& d = std::get<Decimal>(v);
        p[0] = d.negative ? 0x80 : 0x00;
        Put32(p + 1, 0);
        Put32(p + 5, d.magnitude[2]);
        Put32(p + 9, d.magnitude[1]);
        Put32(p + 13, d.magnitude[0]);
        break;
      }
      default:
        break;
    }
  }
  // Variable data in slot order, then the end offset and the offsets backwards.
  std::vector<uint16_t> offsets;
  for (size_t i = 0; i < var_values.size(); ++i) {
    offsets.push_back(static_cast<uint16_t>(row.size()));
    const Value* v = var_values[i];
    if (!v) continue;
    const ColumnDef& c = def.columns[var_columns[i]];
    Bytes data;
    if (c.type == ColumnType::kText) {
      data = EncodeText(std::get<std::string>(*v), c.compressed_unicode);
    } else if (c.type == ColumnType::kBinary) {
      data = std::get<Bytes>(*v);
    } else {
      Bytes payload;
      if (c.type == ColumnType::kMemo) {
        const std::string& s = std::get<std::string>(*v);
        payload = EncodeText(s, c.compressed_unicode && s.size() <= kMaxCompressedMemoChars &&
                                    Utf16Units(s) <= kMaxCompressedMemoChars);
      } else {
        payload = std::get<Bytes>(*v);
      }
      if (payload.size() > 0x3FFFFFFF) {
        return Status::InvalidArgument(where.Text() + ": column '" + c.name + "': value too long");
      }
      if (payload.size() <= kMaxInlineLongValue) {
        // Empty values too keep their reference: readers expect one whenever
        // the column is not NULL.
        data.assign(12, 0);
        Put32(data.data(), kLongInline | static_cast<uint32_t>(payload.size()));
        data.insert(data.end(), payload.begin(), payload.end());
      } else if (lv) {
        JET_ASSIGN_OR_RETURN(data, lv->Write(var_columns[i], payload));
      } else {
        data.assign(12, 0);
        if (needs_long_values) *needs_long_values = true;
      }
    }
    row.insert(row.end(), data.begin(), data.end());
    if (row.size() > 0xFFFF) {
      return Status::InvalidArgument(where.Text() + ": the row is too long");
    }
  }
  if (def.var_column_count > 0) {
    uint16_t eod = static_cast<uint16_t>(row.size());
    size_t at = row.size();
    row.resize(at + 2 * (offsets.size() + 1) + 2);
    uint8_t* p = row.data() + at;
    Put16(p, eod);
    p += 2;
    for (size_t i = offsets.size(); i-- > 0;) {
      Put16(p, offsets[i]);
      p += 2;
    }
    Put16(p, static_cast<uint32_t>(offsets.size()));
  }
  row.insert(row.end(), mask.begin(), mask.end());
  return Bytes(std::move(row));
}

}  // namespace jet::create
