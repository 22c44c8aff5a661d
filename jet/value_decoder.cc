#include "jet/value_decoder.h"

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
  if (column.type == ColumnType::kBoolean) return Value(slice.bit);
  if (!slice.present) return Value();
  ByteView v = row.Sub(slice.offset, slice.length);
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
