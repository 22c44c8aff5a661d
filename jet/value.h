// Column types and the values the engine reads and writes.
//
// Every Access column type maps to one alternative of Value; NULL is
// std::monostate. Text and memo are UTF-8 whatever the file stores.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace jet {

// The type byte stored in a table definition.
enum class ColumnType : uint8_t {
  kBoolean = 0x01,   // yes/no, kept in the null mask
  kByte = 0x02,      // unsigned 8 bit
  kInteger = 0x03,   // signed 16 bit
  kLong = 0x04,      // signed 32 bit (also auto-number)
  kCurrency = 0x05,  // signed 64 bit, scaled by 10,000
  kSingle = 0x06,    // IEEE float
  kDouble = 0x07,    // IEEE double
  kDateTime = 0x08,  // days since 1899-12-30 as a double
  kBinary = 0x09,    // short binary, up to 255 bytes
  kText = 0x0A,      // short text, up to 255 characters
  kOle = 0x0B,       // long binary
  kMemo = 0x0C,      // long text
  kGuid = 0x0F,      // 16 bytes, replication id
  kNumeric = 0x10,   // decimal with precision and scale
  // Access 2007 and later.
  kComplex = 0x12,           // attachments, multi-value: a key into a hidden table
  kBigInt = 0x13,            // signed 64 bit
  kExtendedDateTime = 0x14,  // date and time to 100 ns, stored as 42 ASCII bytes
};

// Human name of a column type ("Text", "Long Integer", ...); "Unknown" otherwise.
const char* ColumnTypeName(ColumnType type);

struct Currency {
  int64_t scaled = 0;  // the amount times 10,000
  friend bool operator==(const Currency&, const Currency&) = default;
};

// A decimal: magnitude (96 bits, least significant word first), sign and scale.
struct Decimal {
  bool negative = false;
  uint8_t scale = 0;
  std::array<uint32_t, 3> magnitude{};
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

// An automation date: whole days since 1899-12-30, the fraction is the time of day.
struct DateTime {
  double days = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// A Date/Time Extended value: 100-nanosecond ticks since 0001-01-01 00:00.
struct ExtendedDateTime {
  int64_t ticks = 0;
  friend bool operator==(const ExtendedDateTime&, const ExtendedDateTime&) = default;
};

// A GUID in the byte order of the file (first three groups little-endian).
struct Guid {
  std::array<uint8_t, 16> bytes{};
  friend bool operator==(const Guid&, const Guid&) = default;
};

using Bytes = std::vector<uint8_t>;

using Value = std::variant<std::monostate,  // NULL
                           bool,            // kBoolean
                           uint8_t,         // kByte
                           int16_t,         // kInteger
                           int32_t,         // kLong
                           float,           // kSingle
                           double,          // kDouble
                           Currency,        // kCurrency
                           Decimal,         // kNumeric
                           DateTime,        // kDateTime
                           std::string,     // kText, kMemo (UTF-8); kComplex summaries
                           Bytes,           // kBinary, kOle
                           Guid,            // kGuid
                           int64_t,         // kBigInt
                           ExtendedDateTime>;  // kExtendedDateTime

inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

}  // namespace jet
