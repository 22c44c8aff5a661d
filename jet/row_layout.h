// Splitting one stored row into its columns: the null mask, the fixed-length
// area and the variable-length offset table (with Jet 3's jump table).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/status.h"
#include "jet/where.h"

namespace jet {

// Where one column's value lies in the row.
struct ColumnSlice {
  bool present = false;  // false: NULL (or, for yes/no, the value false)
  bool bit = false;      // the null-mask bit: the value of a yes/no column
  size_t offset = 0;     // into the row
  size_t length = 0;
};

// Splits `row` (exactly the row's bytes) for `table`. `where` names the row in
// Corruption messages ("<file>: page 9: row 3"). Columns the row predates, or
// whose bit is clear, come back as not present.
Status CrackRow(const Format& format, const TableDef& table, ByteView row, const Where& where,
                std::vector<ColumnSlice>* out);

// The variable-length offsets of `row` (entries 0..count, the last being the
// end of variable data) whose count sits at `count_pos`, and where the offset
// table begins. Corruption naming `where` when the table does not fit.
Status ReadVarOffsets(const Format& format, ByteView row, size_t count_pos, size_t count,
                      const Where& where, std::vector<size_t>* offsets, size_t* table_low);

// Same, reusing `scratch` for the offset table (a scan keeps one per cursor).
Status CrackRow(const Format& format, const TableDef& table, ByteView row, const Where& where,
                std::vector<ColumnSlice>* out, std::vector<size_t>* scratch);

// Bytes a fixed-length column of `type` occupies; 0 for variable-length types.
size_t FixedSize(ColumnType type);

}  // namespace jet
