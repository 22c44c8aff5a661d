// A stored row taken apart into its raw pieces — column count, fixed area,
// variable-length entries, null mask — so that some columns can be replaced
// and the row put back together with every other byte kept as it was
// (including the data of deleted columns, which no definition describes).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/status.h"

namespace jet {

struct RawRow {
  size_t column_count = 0;                     // as stored: null-mask bits
  std::vector<uint8_t> fixed;                  // bytes between the count and variable data
  std::vector<std::vector<uint8_t>> var;       // variable-length entries, in order
  std::vector<uint8_t> mask;                   // null mask (bit set: value present)
  bool var_table = false;                      // whether the row stores a variable table
};

// Splits `row` of `table` into `out`, reusing its buffers. Corruption naming `where` when the row's counts or
// offsets are impossible.
Status SplitRow(const Format& format, const TableDef& table, ByteView row,
                const std::string& where, RawRow* out);

// Sets column `column` of the row: `data` holds its stored bytes (ignored for
// yes/no columns), std::nullopt makes it NULL; `bit` is the null-mask bit
// (present, or for yes/no the value). Grows the column count, fixed area and
// variable entries when the row predates the column.
void SetRawColumn(const ColumnDef& column, const std::vector<uint8_t>& data, bool bit,
                  RawRow* row);
void SetRawColumn(const ColumnDef& column, std::nullopt_t, bool bit, RawRow* row);

// The row's bytes. Jet 3 rows longer than 256 bytes get their jump table;
// a row whose length would be a multiple of 256 gets one byte of padding after
// the fixed area, so no reader can mistake the size of the jump table.
std::vector<uint8_t> JoinRow(const Format& format, const RawRow& row);

// Bytes the column's stored value takes in `row` (0 when NULL or fixed).
size_t RawVarSize(const ColumnDef& column, const RawRow& row);

}  // namespace jet
