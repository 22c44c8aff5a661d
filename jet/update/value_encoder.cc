#include "jet/update/value_encoder.h"

#include <cstring>
#include <iterator>

namespace jet {

namespace {

template <typename T>
void PutLe(T v, std::vector<uint8_t>* out) {
  uint8_t b[sizeof(T)];
  std::memcpy(b, &v, sizeof(T));  // the engine runs on little-endian machines
  out->insert(out->end(), b, b + sizeof(T));
}

void Put32(uint32_t v, std::vector<uint8_t>* out) { PutLe<uint32_t>(v, out); }

// Digits of a 96-bit magnitude.
int DecimalDigits(const Decimal& d) {
  unsigned __int128 m = (static_cast<unsigned __int128>(d.magnitude[2]) << 64) |
                        (static_cast<unsigned __int128>(d.magnitude[1]) << 32) | d.magnitude[0];
  int digits = 0;
  while (m != 0) {
    m /= 10;
    ++digits;
  }
  return digits;
}

// `d` at `scale` (only ever more digits after the point); false when it would
// lose digits or overflow 96 bits.
bool Rescale(Decimal d, uint8_t scale, Decimal* out) {
  if (d.scale > scale) return false;
  unsigned __int128 m = (static_cast<unsigned __int128>(d.magnitude[2]) << 64) |
                        (static_cast<unsigned __int128>(d.magnitude[1]) << 32) | d.magnitude[0];
  const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 96;
  for (uint8_t s = d.scale; s < scale; ++s) {
    m *= 10;
    if (m >= limit) return false;
  }
  out->negative = d.negative;
  out->scale = scale;
  out->magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32),
                    static_cast<uint32_t>(m >> 64)};
  return true;
}

// UTF-16 code units of UTF-8 text: one per lead byte, two for 4-byte sequences.
size_t Utf16Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char ch : s) {
    if ((ch & 0xC0) != 0x80) n += ch >= 0xF0 ? 2 : 1;
  }
  return n;
}

}  // namespace

std::string ValueKindName(const Value& v) {
  static const char* const kNames[] = {"Null",     "Yes/No", "Byte",     "Integer", "Long Integer",
                                       "Single",   "Double", "Currency", "Decimal", "Date/Time",
                                       "Text",     "Binary", "GUID",    "Large Number",
                                       "Date/Time Extended"};
  static_assert(std::size(kNames) == std::variant_size_v<Value>);
  return kNames[v.index()];
}

Result<EncodedValue> EncodeValue(const ColumnDef& c, const Value& value, const TextEncoder& text,
                                 const std::string& where) {
  // Messages are built only when needed: rows are encoded by the million.
  auto who = [&]() { return where + ": column '" + c.name + "': "; };
  EncodedValue out;
  if (IsNull(value)) {
    if (c.type == ColumnType::kBoolean) return out;  // a yes/no NULL is stored as No
    if (c.required) {
      return Status::Constraint(who() + "a value is required (the column cannot be NULL)");
    }
    out.null = true;
    return out;
  }
  auto mismatch = [&]() {
    return Status::InvalidArgument(who() + "a " + ValueKindName(value) +
                                   " value does not fit a column of type " +
                                   ColumnTypeName(c.type));
  };
  out.bit = true;
  switch (c.type) {
    case ColumnType::kBoolean:
      if (!std::holds_alternative<bool>(value)) return mismatch();
      out.bit = std::get<bool>(value);
      return out;
    case ColumnType::kByte:
      if (!std::holds_alternative<uint8_t>(value)) return mismatch();
      out.bytes.push_back(std::get<uint8_t>(value));
      return out;
    case ColumnType::kInteger:
      if (!std::holds_alternative<int16_t>(value)) return mismatch();
      PutLe(std::get<int16_t>(value), &out.bytes);
      return out;
    case ColumnType::kLong:
      if (!std::holds_alternative<int32_t>(value)) return mismatch();
      PutLe(std::get<int32_t>(value), &out.bytes);
      return out;
    case ColumnType::kBigInt:
      if (!std::holds_alternative<int64_t>(value)) return mismatch();
      PutLe(std::get<int64_t>(value), &out.bytes);
      return out;
    case ColumnType::kComplex:
    case ColumnType::kExtendedDateTime:
      return Status::InvalidArgument(who() + "columns of type " + ColumnTypeName(c.type) +
                                     " cannot be changed");
    case ColumnType::kCurrency:
      if (!std::holds_alternative<Currency>(value)) return mismatch();
      PutLe(std::get<Currency>(value).scaled, &out.bytes);
      return out;
    case ColumnType::kSingle:
      if (!std::holds_alternative<float>(value)) return mismatch();
      PutLe(std::get<float>(value), &out.bytes);
      return out;
    case ColumnType::kDouble:
      if (!std::holds_alternative<double>(value)) return mismatch();
      PutLe(std::get<double>(value), &out.bytes);
      return out;
    case ColumnType::kDateTime:
      if (!std::holds_alternative<DateTime>(value)) return mismatch();
      PutLe(std::get<DateTime>(value).days, &out.bytes);
      return out;
    case ColumnType::kGuid: {
      if (!std::holds_alternative<Guid>(value)) return mismatch();
      const Guid& g = std::get<Guid>(value);
      out.bytes.assign(g.bytes.begin(), g.bytes.end());
      return out;
    }
    case ColumnType::kNumeric: {
      if (!std::holds_alternative<Decimal>(value)) return mismatch();
      Decimal d;
      if (!Rescale(std::get<Decimal>(value), c.scale, &d) ||
          (c.precision != 0 && DecimalDigits(d) > c.precision)) {
        return Status::InvalidArgument(who() + "the number does not fit precision " +
                                       std::to_string(c.precision) + " and scale " +
                                       std::to_string(c.scale));
      }
      out.bytes.push_back(d.negative ? 0x80 : 0x00);
      Put32(0, &out.bytes);
      Put32(d.magnitude[2], &out.bytes);
      Put32(d.magnitude[1], &out.bytes);
      Put32(d.magnitude[0], &out.bytes);
      return out;
    }
    case ColumnType::kText:
    case ColumnType::kMemo: {
      if (!std::holds_alternative<std::string>(value)) return mismatch();
      const std::string& s = std::get<std::string>(value);
      // Long memos are kept uncompressed, as Access writes them.
      const bool compress = c.compressed_unicode && (c.type != ColumnType::kMemo ||
                                                     Utf16Length(s) <= kMaxCompressedMemoChars);
      auto bytes = text.Encode(s, compress);
      if (!bytes.ok()) return bytes.status().WithContext(where + ": column '" + c.name + "'");
      if (c.type == ColumnType::kText) {
        size_t length = text.StoredLength(s, *bytes);
        if (length > c.max_chars) {
          return Status::InvalidArgument(who() + "a text of " + std::to_string(length) +
                                         " characters is longer than the column's size of " +
                                         std::to_string(c.max_chars));
        }
      }
      out.bytes = std::move(bytes).value();
      if (c.fixed && c.type == ColumnType::kText) {
        // Fixed-length text fills its whole space, padded with spaces.
        if (out.bytes.size() > c.size) {
          JET_ASSIGN_OR_RETURN(out.bytes, text.Encode(s, false));
        }
        const bool wide = text.utf16() && !(out.bytes.size() >= 2 && out.bytes[0] == 0xFF &&
                                            out.bytes[1] == 0xFE);
        while (out.bytes.size() + (wide ? 2 : 1) <= c.size) {
          out.bytes.push_back(0x20);
          if (wide) out.bytes.push_back(0x00);
        }
        if (out.bytes.size() > c.size) {
          return Status::InvalidArgument(who() + "the text does not fit the column's " +
                                         std::to_string(c.size) + " bytes");
        }
      }
      return out;
    }
    case ColumnType::kBinary:
    case ColumnType::kOle: {
      if (!std::holds_alternative<Bytes>(value)) return mismatch();
      const Bytes& b = std::get<Bytes>(value);
      if (c.type == ColumnType::kBinary && b.size() > c.size) {
        return Status::InvalidArgument(who() + "a binary value of " + std::to_string(b.size()) +
                                       " bytes is longer than the column's size of " +
                                       std::to_string(c.size));
      }
      out.bytes = b;
      return out;
    }
  }
  return Status::NotSupported(who() + "columns of type " + std::to_string(int(c.type)) +
                              " cannot be written");
}

}  // namespace jet
