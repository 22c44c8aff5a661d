#include "jet/create/row_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "jet/create/bytes_out.h"
#include "jet/format.h"
#include "jet/text_codec.h"
#include "jet/update/raw_row.h"
#include "jet/update/text_encoder.h"
#include "jet/update/value_encoder.h"

namespace jet::create {

namespace {

constexpr uint32_t kLongInline = 0x80000000;

// The value as a 64-bit integer when it is one of the integer alternatives.
bool AsInteger(const Value& v, int64_t* out) {
  if (auto p = std::get_if<uint8_t>(&v)) return *out = *p, true;
  if (auto p = std::get_if<int16_t>(&v)) return *out = *p, true;
  if (auto p = std::get_if<int32_t>(&v)) return *out = *p, true;
  if (auto p = std::get_if<int64_t>(&v)) return *out = *p, true;
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
    case ColumnType::kBigInt:
      if (!AsInteger(v, &i)) return mismatch();
      return Value(i);
    case ColumnType::kComplex:
    case ColumnType::kExtendedDateTime:
      return mismatch();
  }
  return mismatch();
}

Result<Bytes> EncodeRow(const TableDef& def, const std::vector<Value>& values, LongValueWriter* lv,
                        const RowWhere& where, bool* needs_long_values) {
  // Values go through the engine's one value encoder and the row is put
  // together by the same code that rebuilds updated rows.
  static const TextEncoder kJet4Text(/*utf16=*/true, 0);
  const std::string where_text = where.Text();
  RawRow raw;
  raw.column_count = def.max_columns;
  raw.mask.assign((raw.column_count + 7) / 8, 0);
  raw.var_table = def.var_column_count > 0;
  raw.var.resize(def.var_column_count);
  for (size_t k = 0; k < def.columns.size(); ++k) {
    const ColumnDef& c = def.columns[k];
    JET_ASSIGN_OR_RETURN(EncodedValue e, EncodeValue(c, values[k], kJet4Text, where_text));
    if (e.null) {
      SetRawColumn(c, std::nullopt, false, &raw);
      continue;
    }
    if (c.type == ColumnType::kMemo || c.type == ColumnType::kOle) {
      if (e.bytes.size() > 0x3FFFFFFF) {
        return Status::InvalidArgument(where_text + ": column '" + c.name + "': value too long");
      }
      Bytes field;
      if (e.bytes.size() <= kMaxInlineLongValue) {
        // Empty values too keep their reference: readers expect one whenever
        // the column is not NULL.
        field.assign(12, 0);
        Put32(field.data(), kLongInline | static_cast<uint32_t>(e.bytes.size()));
        field.insert(field.end(), e.bytes.begin(), e.bytes.end());
      } else if (lv) {
        JET_ASSIGN_OR_RETURN(field, lv->Write(k, e.bytes));
      } else {
        field.assign(12, 0);
        if (needs_long_values) *needs_long_values = true;
      }
      e.bytes = std::move(field);
    }
    SetRawColumn(c, e.bytes, e.bit, &raw);
  }
  Bytes row = JoinRow(Jet4Format(), raw);
  if (row.size() > 0xFFFF) return Status::InvalidArgument(where_text + ": the row is too long");
  return row;
}

}  // namespace jet::create
