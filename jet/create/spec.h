// What a caller asks for when creating databases, tables and indexes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/keys/sort_order.h"
#include "jet/value.h"

namespace jet::create {

struct ColumnSpec {
  std::string name;
  ColumnType type = ColumnType::kText;
  // Text: the most characters a value may hold (1-255). Binary: the most bytes
  // (1-255). Ignored for other types.
  uint16_t max_length = 255;
  // Decimal columns: total digits (1-28) and digits after the point.
  uint8_t precision = 18;
  uint8_t scale = 0;
  bool required = false;
  // Long: the engine numbers rows 1, 2, 3... GUID: a random id per row.
  bool auto_number = false;
  // Text and memo: store values one byte per character when that is shorter.
  bool compressed = true;
};

struct IndexColumnSpec {
  std::string column;
  bool ascending = true;
};

struct IndexSpec {
  std::string name;
  std::vector<IndexColumnSpec> columns;  // 1 to 10
  bool primary = false;                  // implies unique and required
  bool unique = false;
  bool ignore_nulls = false;
  bool required = false;
};

struct TableSpec {
  std::string name;
  std::vector<ColumnSpec> columns;
  std::vector<IndexSpec> indexes;
};

struct NewDatabaseOptions {
  std::string password;  // at most 20 characters; empty for none
  // Days since 1899-12-30; 0 takes the current time.
  double creation_date = 0;
  keys::SortOrder sort_order = keys::GeneralLegacyOrder();
};

// One row: a value per column in the table's column order. NULL
// (std::monostate) for an auto-number column asks for the next number.
using Row = std::vector<Value>;

}  // namespace jet::create
