// Fuzzes CSV import's reader: any bytes must split into records or fail
// with a message, and every field must turn into a value of each column
// type or fail with one, never crash or read past the text.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "jet/create/csv_values.h"

namespace {

std::vector<jet::ColumnDef> Columns() {
  using jet::ColumnType;
  std::vector<jet::ColumnDef> columns;
  for (ColumnType t : {ColumnType::kBoolean, ColumnType::kByte, ColumnType::kInteger,
                       ColumnType::kLong, ColumnType::kCurrency, ColumnType::kSingle,
                       ColumnType::kDouble, ColumnType::kDateTime, ColumnType::kBinary,
                       ColumnType::kText, ColumnType::kOle, ColumnType::kMemo, ColumnType::kGuid,
                       ColumnType::kNumeric}) {
    jet::ColumnDef c;
    c.name = "c";
    c.type = t;
    c.precision = 18;
    c.scale = 4;
    c.max_chars = t == ColumnType::kText ? 50 : 0;
    columns.push_back(c);
  }
  return columns;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<jet::ColumnDef> kColumns = Columns();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto records = jet::create::ParseCsv(text);
  if (!records.ok()) return 0;
  size_t fields = 0;
  for (const jet::create::CsvRecord& record : *records) {
    for (const jet::create::CsvField& field : record) {
      if (++fields > 64) return 0;  // enough: the parsers see the same text anyway
      for (const jet::ColumnDef& column : kColumns) {
        (void)jet::create::ParseFieldValue(column, field);
      }
      (void)jet::create::ParseDateTime(field.text);
    }
  }
  return 0;
}
