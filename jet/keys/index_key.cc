#include "jet/keys/index_key.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "jet/keys/text_key.h"

namespace jet::keys {

namespace {

constexpr uint8_t kAscValue = 0x7F;
constexpr uint8_t kAscNull = 0x00;
constexpr uint8_t kDescValue = 0x80;
constexpr uint8_t kDescNull = 0xFF;

void Invert(uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(~p[i]);
}

template <typename U>
void PutBigEndian(U v, uint8_t* p) {
  for (size_t i = 0; i < sizeof(U); ++i) {
    p[i] = static_cast<uint8_t>(v >> (8 * (sizeof(U) - 1 - i)));
  }
}

// Two's complement integers: the sign bit inverted so negatives sort first.
template <typename U>
void AppendInteger(U bits, bool ascending, Bytes* out) {
  uint8_t b[sizeof(U)];
  PutBigEndian(bits, b);
  b[0] ^= 0x80;
  if (!ascending) Invert(b, sizeof b);
  out->insert(out->end(), b, b + sizeof b);
}

// IEEE numbers: positives get their sign bit set, negatives are inverted
// whole, so the byte order follows the numeric order.
template <typename U>
void AppendFloat(U bits, bool ascending, Bytes* out) {
  uint8_t b[sizeof(U)];
  PutBigEndian(bits, b);
  const bool negative = (b[0] & 0x80) != 0;
  if (!negative) b[0] ^= 0x80;
  if (negative == ascending) Invert(b, sizeof b);
  out->insert(out->end(), b, b + sizeof b);
}

// Binary values go in 8-byte segments, each followed by a length byte: 9 when
// more segments follow, else the bytes used in the last one. Descending keys
// invert everything but the 9s.
void AppendBinary(const uint8_t* data, size_t n, bool ascending, Bytes* out) {
  size_t pos = 0;
  while (n - pos > 8) {
    uint8_t seg[9];
    std::memcpy(seg, data + pos, 8);
    if (!ascending) Invert(seg, 8);
    seg[8] = 9;
    out->insert(out->end(), seg, seg + 9);
    pos += 8;
  }
  if (n > pos) {
    uint8_t seg[9] = {};
    std::memcpy(seg, data + pos, n - pos);
    seg[8] = static_cast<uint8_t>(n - pos);
    if (!ascending) Invert(seg, 9);
    out->insert(out->end(), seg, seg + 9);
  }
}

// Decimal: a sign byte and the 128-bit magnitude at the column's scale, big
// endian. Jet 3/4 keep Access's historical quirk: the sign byte is FF for
// positive and 00 for negative whatever the direction, and the magnitude is
// inverted when the sign and the direction agree. Access 2007 and later order
// them properly: the sign byte starts as FF and is inverted with the rest.
Status AppendNumeric(const Decimal& d, uint8_t column_scale, bool ascending, bool legacy,
                     Bytes* out) {
  unsigned __int128 mag = (static_cast<unsigned __int128>(d.magnitude[2]) << 64) |
                          (static_cast<unsigned __int128>(d.magnitude[1]) << 32) | d.magnitude[0];
  const unsigned __int128 kMax = (static_cast<unsigned __int128>(1) << 96) - 1;
  if (column_scale > 28 || d.scale > 28) {
    return Status::InvalidArgument("numeric scale above 28");
  }
  for (uint8_t s = d.scale; s < column_scale; ++s) {
    if (mag > kMax / 10) return Status::InvalidArgument("numeric value too large for its column");
    mag *= 10;
  }
  for (uint8_t s = d.scale; s > column_scale; --s) {
    if (mag % 10 != 0) {
      return Status::InvalidArgument("numeric value has more decimal places than its column (" +
                                     std::to_string(column_scale) + ")");
    }
    mag /= 10;
  }
  const bool negative = d.negative && mag != 0;
  uint8_t b[17] = {};
  PutBigEndian(static_cast<uint64_t>(mag >> 64), b + 1);
  PutBigEndian(static_cast<uint64_t>(mag), b + 9);
  if (!legacy) b[0] = 0xFF;
  if (negative == ascending) Invert(b, sizeof b);
  if (legacy) b[0] = negative ? 0x00 : 0xFF;
  out->insert(out->end(), b, b + sizeof b);
  return Status::Ok();
}

// Date/Time Extended: the 42 bytes the row stores, laid out as binary. They
// are ASCII digits, days and seconds wide enough to compare as text:
// "DDDDDDDDDDDDDDDDDDD:SSSSSSSSSSSSFFFFFFF:7\0" (7: the precision Access
// writes).
Status AppendExtendedDate(int64_t ticks, bool ascending, Bytes* out) {
  constexpr int64_t kTicksPerDay = 86400LL * 10'000'000;
  if (ticks < 0) return Status::InvalidArgument("Date/Time Extended value before year 1");
  const int64_t days = ticks / kTicksPerDay;
  const int64_t in_day = ticks % kTicksPerDay;
  char text[43];
  std::snprintf(text, sizeof text, "%019lld:%012lld%07lld:7", static_cast<long long>(days),
                static_cast<long long>(in_day / 10'000'000),
                static_cast<long long>(in_day % 10'000'000));
  AppendBinary(reinterpret_cast<const uint8_t*>(text), 42, ascending, out);  // with its NUL
  return Status::Ok();
}

template <typename T>
const T* As(const Value& v) {
  return std::get_if<T>(&v);
}

Status WrongValue(const KeyPart& part) {
  return Status::InvalidArgument(std::string("value does not match a ") + ColumnTypeName(part.type) +
                                 " column");
}

Status AppendPart(const KeyPart& part, const SortOrder& order, JetVersion version, Bytes* out) {
  const bool asc = part.ascending;
  if (part.type == ColumnType::kOle) {
    return Status::NotSupported("OLE Object columns cannot be indexed");
  }
  if (part.type == ColumnType::kBoolean) {
    // Yes/no has no NULL: a missing value keys as No. Yes sorts first.
    const bool* b = As<bool>(part.value);
    if (b == nullptr && !IsNull(part.value)) return WrongValue(part);
    const bool yes = b != nullptr && *b;
    out->push_back(asc ? kAscValue : kDescValue);
    out->push_back((yes == asc) ? 0x00 : 0xFF);
    return Status::Ok();
  }
  if (IsNull(part.value)) {
    out->push_back(asc ? kAscNull : kDescNull);
    return Status::Ok();
  }
  const size_t start = out->size();
  out->push_back(asc ? kAscValue : kDescValue);
  Status status;
  switch (part.type) {
    case ColumnType::kByte:
      if (auto v = As<uint8_t>(part.value)) {
        out->push_back(asc ? *v : static_cast<uint8_t>(~*v));
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kInteger:
      if (auto v = As<int16_t>(part.value)) {
        AppendInteger(static_cast<uint16_t>(*v), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kLong:
    case ColumnType::kComplex:  // the key of the column's rows in its hidden table
      if (auto v = As<int32_t>(part.value)) {
        AppendInteger(static_cast<uint32_t>(*v), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kBigInt:
      if (auto v = As<int64_t>(part.value)) {
        AppendInteger(static_cast<uint64_t>(*v), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kCurrency:
      if (auto v = As<Currency>(part.value)) {
        AppendInteger(static_cast<uint64_t>(v->scaled), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kSingle:
      if (auto v = As<float>(part.value)) {
        AppendFloat(std::bit_cast<uint32_t>(*v), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kDouble:
      if (auto v = As<double>(part.value)) {
        AppendFloat(std::bit_cast<uint64_t>(*v), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kDateTime:
      if (auto v = As<DateTime>(part.value)) {
        AppendFloat(std::bit_cast<uint64_t>(v->days), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kNumeric:
      if (auto v = As<Decimal>(part.value)) {
        status = AppendNumeric(*v, part.scale, asc, version != JetVersion::kAce, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kGuid:
      if (auto v = As<Guid>(part.value)) {
        // Keys hold the GUID in its text order: the first three groups,
        // little-endian in the row, become big-endian.
        const auto& f = v->bytes;
        uint8_t b[16] = {f[3], f[2], f[1], f[0], f[5], f[4], f[7], f[6]};
        std::memcpy(b + 8, f.data() + 8, 8);
        AppendBinary(b, sizeof b, asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kExtendedDateTime:
      if (auto v = As<ExtendedDateTime>(part.value)) {
        status = AppendExtendedDate(v->ticks, asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kBinary:
      if (auto v = As<Bytes>(part.value)) {
        AppendBinary(v->data(), v->size(), asc, out);
      } else {
        status = WrongValue(part);
      }
      break;
    case ColumnType::kText:
    case ColumnType::kMemo:
      if (auto v = As<std::string>(part.value)) {
        auto collation = ResolveCollation(order, version);
        if (!collation.ok()) {
          status = collation.status();
        } else {
          status = AppendTextKey(*v, *collation, asc, out);
        }
      } else {
        status = WrongValue(part);
      }
      break;
    default:
      status = Status::NotSupported(std::string("columns of type ") + ColumnTypeName(part.type) +
                                    " cannot be indexed");
  }
  if (!status.ok()) out->resize(start);
  return status;
}

}  // namespace

Result<Bytes> EncodeIndexKey(const std::vector<KeyPart>& parts, const SortOrder& order,
                             JetVersion version) {
  if (parts.empty() || parts.size() > 10) {
    return Status::InvalidArgument("an index key has 1 to 10 columns, not " +
                                   std::to_string(parts.size()));
  }
  Bytes key;
  bool general_text = false;
  for (size_t i = 0; i < parts.size(); ++i) {
    Status s = AppendPart(parts[i], order, version, &key);
    if (!s.ok()) return s.WithContext("index key column " + std::to_string(i + 1));
    const bool text = parts[i].type == ColumnType::kText || parts[i].type == ColumnType::kMemo;
    if (text && !IsNull(parts[i].value)) {
      auto collation = ResolveCollation(order, version);
      general_text = general_text || (collation.ok() && *collation == Collation::kGeneral);
    }
  }
  // An entry (key, row pointer and, on inner pages, a child pointer) must
  // fit the entry area of one index page.
  const size_t limit = version == JetVersion::kJet3 ? kMaxJet3KeyBytes : kMaxJet4KeyBytes;
  if (key.size() > limit) {
    return Status::InvalidArgument("index key of " + std::to_string(key.size()) +
                                   " bytes is longer than an index page allows (" +
                                   std::to_string(limit) + ")");
  }
  // Access 2010+ shortens long entries in its General order in a way that is
  // not known exactly; refuse rather than write a key Access would not find.
  if (general_text && key.size() > kMaxGeneralKeyBytes) {
    return Status::NotSupported("index key of " + std::to_string(key.size()) +
                                " bytes in sort order " + DescribeSortOrder(order, version) +
                                " is longer than the " + std::to_string(kMaxGeneralKeyBytes) +
                                " bytes whose form is known");
  }
  return key;
}

}  // namespace jet::keys
