#include "jet/value_decoder.h"

#include <algorithm>
#include <unordered_set>

#include "jet/row_locator.h"

namespace jet {

namespace {
constexpr size_t kLongValueHeader = 12;
constexpr uint32_t kLongInline = 0x80000000;
constexpr uint32_t kLongSingle = 0x40000000;
constexpr uint32_t kLongLengthMask = 0x3FFFFFFF;

Result<RowSpan> LongValueRow(PageStore& store, uint32_t raw, const Where& where) {
  RowPointer ptr = RowPointer::FromRaw(raw);
  auto row = LocateRow(store, ptr.page, ptr.slot);
  if (!row.ok()) return row.status().WithContext(where.str() + ": long value");
  if (row->deleted()) {
    return store.Corrupt(ptr.page, "long value of " + where.str() + " points to deleted row " +
                                       std::to_string(ptr.slot));
  }
  return row;
}
// A calculated column stores its result behind a 16-byte header and a 32-bit
// length; the value proper follows.
constexpr size_t kCalculatedLength = 16;
constexpr size_t kCalculatedData = 20;

Result<ByteView> UnwrapCalculated(ByteView v, const Where& where) {
  if (v.size < kCalculatedData) {
    return Status::Corruption(where.str() + ": calculated value of " + std::to_string(v.size) +
                              " bytes is shorter than its header");
  }
  size_t length = v.U32(kCalculatedLength);
  return v.Sub(kCalculatedData, std::min(length, v.size - kCalculatedData));
}

// A calculated decimal: a 16-bit length, the scale, a sign byte, then the
// magnitude with its 4- and 8-byte groups stored in reverse.
Result<Value> CalculatedDecimal(ByteView v, const Where& where) {
  if (v.size < 4) {
    return Status::Corruption(where.str() + ": calculated decimal of " + std::to_string(v.size) +
                              " bytes");
  }
  size_t total = v.U16(0);
  size_t n = (total > 0 ? total : v.size - 2);
  n = n < 2 ? 0 : n - 2;
  n = std::min<size_t>(n / 4 * 4, 16);
  if (n > v.size - 4) n = (v.size - 4) / 4 * 4;
  Decimal d;
  d.scale = v.U8(2);
  d.negative = v.U8(3) != 0;
  std::vector<uint8_t> b(v.data + 4, v.data + 4 + n);
  size_t pos = 0;
  if (n % 8 != 0) {
    std::reverse(b.begin(), b.begin() + 4);
    pos = 4;
  }
  for (; pos + 8 <= n; pos += 8) std::reverse(b.begin() + pos, b.begin() + pos + 8);
  // b is now the big-endian magnitude.
  for (size_t i = 0; i < n; ++i) {
    size_t bit = 8 * (n - 1 - i);
    if (b[i] == 0) continue;
    if (bit >= 96) {
      return Status::Corruption(where.str() + ": calculated decimal wider than 96 bits");
    }
    d.magnitude[bit / 32] |= static_cast<uint32_t>(b[i]) << (bit % 32);
  }
  if (d.scale > 28) return Status::Corruption(where.str() + ": calculated decimal scale > 28");
  return Value(d);
}

// A Date/Time Extended value: "DDDDDDDDDDDDDDDDDDD:SSSSSSSSSSSSFFFFFFF:7",
// days since 0001-01-01, seconds of the day and 100-ns ticks.
Result<Value> ExtendedDate(ByteView v, const Where& where) {
  auto digits = [&](size_t at, size_t n, int64_t* out) {
    int64_t x = 0;
    for (size_t i = 0; i < n; ++i) {
      uint8_t c = v.U8(at + i);
      if (c < '0' || c > '9') return false;
      x = x * 10 + (c - '0');
    }
    *out = x;
    return true;
  };
  int64_t days = 0, seconds = 0, ticks = 0;
  // Days beyond year 9999 are refused, so the tick count cannot overflow.
  if (v.size < 41 || v.U8(19) != ':' || v.U8(39) != ':' || !digits(0, 19, &days) ||
      !digits(20, 12, &seconds) || !digits(32, 7, &ticks) || days > 3652059 ||
      seconds >= 86400) {
    return Status::Corruption(where.str() + ": not a Date/Time Extended value");
  }
  return Value(ExtendedDateTime{(days * 86400 + seconds) * 10'000'000 + ticks});
}

}  // namespace

Result<ByteView> LongValueData(PageStore& store, ByteView field, const Where& where, PageRef* page,
                               Bytes* scratch) {
  if (field.size == 0) return ByteView{};
  if (field.size < kLongValueHeader) {
    return Status::Corruption(where.str() + ": long value reference of " +
                              std::to_string(field.size) + " bytes (12 expected)");
  }
  uint32_t head = field.U32(0);
  size_t length = head & kLongLengthMask;
  if (head & kLongInline) {
    if (length > field.size - kLongValueHeader) {
      return Status::Corruption(where.str() + ": inline long value of " + std::to_string(length) +
                                " bytes overruns its field of " + std::to_string(field.size));
    }
    return field.Sub(kLongValueHeader, length);
  }
  if (head & kLongSingle) {
    JET_ASSIGN_OR_RETURN(RowSpan row, LongValueRow(store, field.U32(4), where));
    if (length > row.end - row.start) {
      return Status::Corruption(where.str() + ": long value of " + std::to_string(length) +
                                " bytes is longer than its row of " +
                                std::to_string(row.end - row.start));
    }
    *page = row.page;
    return ByteView{row.page->data() + row.start, length};
  }
  Bytes& out = *scratch;
  out.clear();
  out.reserve(length < (1u << 20) ? length : (1u << 20));
  std::unordered_set<uint32_t> seen;
  uint32_t next = field.U32(4);
  while (out.size() < length) {
    if (next == 0) {
      return Status::Corruption(where.str() + ": long value chain ends after " +
                                std::to_string(out.size()) + " of " + std::to_string(length) +
                                " bytes");
    }
    if (!seen.insert(next).second) {
      return Status::Corruption(where.str() + ": long value chain loops at page " +
                                std::to_string(next >> 8) + " row " + std::to_string(next & 0xFF));
    }
    JET_ASSIGN_OR_RETURN(RowSpan row, LongValueRow(store, next, where));
    ByteView v = row.bytes();
    if (v.size < 4)
      return Status::Corruption(where.str() + ": long value chain row without a link");
    next = v.U32(0);
    size_t take = v.size - 4;
    if (take > length - out.size()) take = length - out.size();
    out.insert(out.end(), v.data + 4, v.data + 4 + take);
  }
  return ByteView{out.data(), out.size()};
}

Result<Bytes> ReadLongValue(PageStore& store, ByteView field, const Where& where) {
  PageRef page;
  Bytes scratch;
  JET_ASSIGN_OR_RETURN(ByteView data, LongValueData(store, field, where, &page, &scratch));
  if (data.data == scratch.data()) return scratch;  // gathered from a chain
  return Bytes(data.data, data.data + data.size);
}

Result<Value> DecodeValue(const ColumnDef& column, const ColumnSlice& slice, ByteView row,
                          const TextDecoder& text, PageStore& store, const Where& where) {
  if (column.type == ColumnType::kBoolean && !column.calculated) return Value(slice.bit);
  if (!slice.present) return Value();
  ByteView v = row.Sub(slice.offset, slice.length);
  if (column.calculated) {
    const Where at = where.Column(column.name);
    if (column.type == ColumnType::kMemo) {
      JET_ASSIGN_OR_RETURN(Bytes data, ReadLongValue(store, v, at));
      JET_ASSIGN_OR_RETURN(ByteView inner, UnwrapCalculated(ByteView{data.data(), data.size()}, at));
      return Value(text.Decode(inner));
    }
    JET_ASSIGN_OR_RETURN(v, UnwrapCalculated(v, at));
    if (v.size == 0) return Value();  // the expression gave no result
    if (column.type == ColumnType::kBoolean) return Value(v.U8(0) != 0);
    if (column.type == ColumnType::kNumeric) return CalculatedDecimal(v, at);
  }
  auto need = [&](size_t n) -> Status {
    if (v.size >= n) return Status::Ok();
    return Status::Corruption(where.Column(column.name).str() + " holds " + std::to_string(v.size) +
                              " bytes, " + std::to_string(n) + " expected");
  };
  switch (column.type) {
    case ColumnType::kByte:
      JET_RETURN_IF_ERROR(need(1));
      return Value(v.U8(0));
    case ColumnType::kInteger:
      JET_RETURN_IF_ERROR(need(2));
      return Value(static_cast<int16_t>(v.U16(0)));
    case ColumnType::kLong:
      JET_RETURN_IF_ERROR(need(4));
      return Value(static_cast<int32_t>(v.U32(0)));
    case ColumnType::kCurrency:
      JET_RETURN_IF_ERROR(need(8));
      return Value(Currency{static_cast<int64_t>(v.U64(0))});
    case ColumnType::kSingle:
      JET_RETURN_IF_ERROR(need(4));
      return Value(v.F32(0));
    case ColumnType::kDouble:
      JET_RETURN_IF_ERROR(need(8));
      return Value(v.F64(0));
    case ColumnType::kDateTime:
      JET_RETURN_IF_ERROR(need(8));
      return Value(DateTime{v.F64(0)});
    case ColumnType::kGuid: {
      JET_RETURN_IF_ERROR(need(16));
      Guid g;
      for (size_t i = 0; i < 16; ++i) g.bytes[i] = v.U8(i);
      return Value(g);
    }
    case ColumnType::kNumeric: {
      JET_RETURN_IF_ERROR(need(17));
      // A sign byte, then four little-endian 32-bit words, most significant first.
      if (v.U32(1) != 0) {
        return Status::Corruption(where.Column(column.name).str() +
                                  " holds a decimal wider than 96 bits");
      }
      Decimal d;
      d.negative = (v.U8(0) & 0x80) != 0;
      d.scale = column.scale;
      d.magnitude = {v.U32(13), v.U32(9), v.U32(5)};
      return Value(d);
    }
    case ColumnType::kText:
      return Value(text.Decode(v));
    case ColumnType::kComplex:  // the key of its rows in the hidden table
      JET_RETURN_IF_ERROR(need(4));
      return Value(static_cast<int32_t>(v.U32(0)));
    case ColumnType::kBigInt:
      JET_RETURN_IF_ERROR(need(8));
      return Value(static_cast<int64_t>(v.U64(0)));
    case ColumnType::kExtendedDateTime:
      return ExtendedDate(v, where.Column(column.name));
    case ColumnType::kMemo: {
      JET_ASSIGN_OR_RETURN(Bytes data, ReadLongValue(store, v, where.Column(column.name)));
      return Value(text.Decode(ByteView{data.data(), data.size()}));
    }
    case ColumnType::kOle: {
      JET_ASSIGN_OR_RETURN(Bytes data, ReadLongValue(store, v, where.Column(column.name)));
      return Value(std::move(data));
    }
    default:
      return Value(Bytes(v.data, v.data + v.size));
  }
}

}  // namespace jet
