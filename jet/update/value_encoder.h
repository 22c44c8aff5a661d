// Turning a Value into what a column stores, checking it against the
// column's type and limits first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/status.h"
#include "jet/update/text_encoder.h"
#include "jet/value.h"

namespace jet {

// Memo text longer than this (in characters) is never compressed.
inline constexpr size_t kMaxCompressedMemoChars = 1024;

struct EncodedValue {
  bool null = false;  // store NULL (the null-mask bit clear)
  bool bit = false;   // the null-mask bit (yes/no: the value)
  // Fixed and variable columns: the stored bytes. Memo and OLE: the data that
  // goes into the long value (text already encoded).
  std::vector<uint8_t> bytes;
};

// Checks `value` against `column` and encodes it. This is the one value
// encoder of the engine: new rows (jet/create) and updated ones go through it.
// Text is compressed to one byte per character when the column allows it and
// that is shorter (memos only up to kMaxCompressedMemoChars characters). InvalidArgument, with a
// message starting "<where>: column '<name>': ", when the value's type does
// not match the column, a text or binary value is longer than the column
// allows, or a decimal does not fit its precision and scale; Constraint when
// a required column would become NULL. `where` names the table and row.
Result<EncodedValue> EncodeValue(const ColumnDef& column, const Value& value,
                                 const TextEncoder& text, const std::string& where);

// The name of the Value alternative `value` holds ("Text", "Long Integer", ...).
std::string ValueKindName(const Value& value);

}  // namespace jet
