// Reading CSV in the form `tarnquill-cli export` writes, and turning its text
// fields back into column values.
//
// The form: a header line of column names; one record per row; text, memo and
// GUID fields double-quoted with inner quotes doubled (and may span lines);
// NULL as an empty unquoted field, so "" (quoted) is an empty string; other
// values unquoted: numbers in plain decimals, dates "YYYY-MM-DD HH:MM:SS",
// yes/no as 1 or 0, binary as hex.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jet/database.h"
#include "jet/status.h"
#include "jet/value.h"

namespace jet::create {

struct CsvField {
  std::string text;
  bool quoted = false;  // an unquoted empty field is NULL
};
using CsvRecord = std::vector<CsvField>;

// Splits `data` into records. Accepts LF and CRLF line ends and a leading
// UTF-8 byte order mark. InvalidArgument naming the line for an unterminated
// quote or text after a closing quote.
Result<std::vector<CsvRecord>> ParseCsv(std::string_view data);

// The value of `field` for column `column`: NULL for an unquoted empty field,
// text as is, everything else parsed from its export form. InvalidArgument
// (naming the column and the text) when it does not parse.
Result<Value> ParseFieldValue(const ColumnDef& column, const CsvField& field);

// Days since 1899-12-30 for "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or
// "YYYY-MM-DD HH:MM:SS"; std::nullopt otherwise.
std::optional<double> ParseDateTime(std::string_view text);

}  // namespace jet::create
