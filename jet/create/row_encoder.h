// Building stored rows (Jet 4 layout) from values: converting the caller's
// values to what each column holds, then encoding them with the engine's
// value encoder and raw-row joiner. Long values are handed to a writer.
#pragma once

#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/lval/long_value_writer.h"
#include "jet/status.h"
#include "jet/value.h"

namespace jet::create {

// Names a row in messages; the text is built only when a message needs it.
struct RowWhere {
  const std::string* table = nullptr;
  size_t row = 0;  // 1-based position in the caller's batch
  std::string Text() const { return "table '" + *table + "': row " + std::to_string(row); }
};

// Where long values (memo and OLE data) are stored outside the row.
class LongValueWriter {
 public:
  virtual ~LongValueWriter() = default;
  // Stores `data` for column `column` (a position in TableDef::columns) and
  // returns the 12-byte reference to put in the row.
  virtual Result<Bytes> Write(size_t column, const Bytes& data) = 0;
};

// The caller's `value` as the alternative column `c` stores: exact types,
// integers of any width when they fit, float and double for each other, text
// within the column's size. InvalidArgument naming `where` otherwise.
Result<Value> CoerceValue(const ColumnDef& c, Value value, const RowWhere& where);

// Encodes one row of `def` from coerced `values` (one per column), each
// value through jet::EncodeValue (jet/update/value_encoder.h) and the row
// through jet::JoinRow, so new and updated rows are built alike. With `lv`
// null only the size matters: long values stored outside the row get a
// blank reference, and *needs_long_values (when given) is set.
Result<Bytes> EncodeRow(const TableDef& def, const std::vector<Value>& values, LongValueWriter* lv,
                        const RowWhere& where, bool* needs_long_values = nullptr);

}  // namespace jet::create
