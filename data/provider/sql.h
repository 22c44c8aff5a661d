// The statements the program issues, and nothing more:
//
//   SELECT * FROM table [WHERE InStr([start,] field, 'text') [> 0 | <> 0]] [;]
//
// Keywords in any case, any spacing, names bare or in [brackets], literals
// in single or double quotes with the quote doubled inside. Everything
// else fails with the provider's syntax-error description.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/provider/variant.h"

namespace provider {

struct InStrCondition {
  int64_t start = 1;  // 1-based position the search starts at
  std::string field;
  std::string text;
};

struct SelectStatement {
  std::string table;
  std::optional<InStrCondition> where;
};

// Parses `statement`. Throws ProviderError with a syntax-error description
// ("Syntax error in FROM clause." and the like); a "?" parameter marker
// fails with "No value given for one or more required parameters.".
SelectStatement ParseSelect(std::string_view statement);

// Whether a row whose field holds `value` is selected: the position of the
// text in the value's text form, ignoring letter case, is not 0. A null
// value is never selected.
bool InStrSelects(const InStrCondition& condition, const Variant& value);

// Descriptions shared by the providers.
inline constexpr const char* kMissingParameter =
    "No value given for one or more required parameters.";
// "The database engine cannot find the input table or query '<name>'. ..."
std::string UnknownTableMessage(std::string_view table);

}  // namespace provider
