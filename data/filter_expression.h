// Filter conditions of a record source: comparisons of a field with a
// literal, joined by AND, OR and NOT with parentheses, as in
//   Name LIKE 'ab*' AND (Price >= 2.5 OR Price IS NULL)
//
// Operators: = <> < > <= >= LIKE, and IS [NOT] NULL ("= NULL" and "<> NULL"
// mean the same). Literals: 'text' (two quotes stand for one), numbers,
// TRUE, FALSE, NULL. Field names may be written in brackets: [Unit Price].
// Text compares ignoring letter case; LIKE takes * or % for any run of
// characters and ? or _ for one. A comparison with a null value is false.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/provider/variant.h"

namespace data {

class FilterExpression {
 public:
  struct Node;

  FilterExpression();
  FilterExpression(FilterExpression&&) noexcept;
  FilterExpression& operator=(FilterExpression&&) noexcept;
  ~FilterExpression();

  // Parses `text`, finding fields among `columns` (letter case ignored).
  // Throws EDatabaseError: "Field '%s' not found" for an unknown field,
  // "Invalid filter expression: %s" for anything that does not parse. Blank
  // text gives a condition every record meets.
  static FilterExpression Parse(std::string_view text, const std::vector<std::string>& columns);

  // Whether a record with these column values meets the condition.
  bool Matches(const std::vector<provider::Variant>& row) const;

 private:
  std::unique_ptr<Node> root_;
};

// Whether `text` matches a LIKE pattern (letter case ignored).
bool LikeMatches(std::string_view text, std::string_view pattern);

}  // namespace data
