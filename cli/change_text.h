// How tarnquill-cli shows changed rows: a row's name (its primary key, or
// its place in the table) and values on one line, quoted, with what matched
// marked in colour on a terminal.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "data/bulk_replace.h"

namespace cli {

// "ID=3", "Order=3 Line=2" (`key_names` with the row's key texts), or
// "row 17" (the row's position) when there are no key columns.
std::string RowName(const std::vector<std::string>& key_names, const data::RowChange& row);

// The row in a message: "row ID=3", "row 17".
std::string RowReference(const std::vector<std::string>& key_names, const data::RowChange& row);

// `text` in double quotes on one line: line breaks, tabs, quotes and
// backslashes escaped. With a `colour` (an SGR parameter such as "1;31"),
// the stretches in `marks` are wrapped in that colour.
std::string ShowText(std::string_view text, const std::vector<data::TextSpan>& marks = {},
                     const char* colour = nullptr);

// Whether `out` is the terminal: standard output on a TTY, with NO_COLOR
// unset or empty.
bool UseColour(const std::ostream& out);

// `NAME: "old" → "new"`, with the field's name after the row's when
// `with_field` (several fields were replaced); the matched text marked in
// red and its replacement in green when `colour`.
std::string ChangeLine(const std::vector<std::string>& key_names, const data::RowChange& row,
                       const data::FieldChange& field, bool with_field, bool colour);

}  // namespace cli
