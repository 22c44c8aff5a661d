// --regex: a replace rule over PCRE2 regular expressions in UTF mode, with
// $1, ${1}, ${name} and $$ in the replacement.
#pragma once

#include <memory>
#include <string>

#include "data/replace_rule.h"

namespace cli {

struct RegexOptions {
  bool match_case = false;
  bool whole_field = false;  // the whole value must match
};

// The rule replacing every match of `pattern` in a value by `replacement`
// with its group references filled in. Null when the pattern does not
// compile or the replacement names a group the pattern lacks; *error then
// says what is wrong and at which character (counted from 1).
// Apply throws std::runtime_error when a value is not valid UTF-8 or the
// pattern gives up on it (too much backtracking).
std::unique_ptr<data::ReplaceRule> RegexRule(const std::string& pattern,
                                             const std::string& replacement,
                                             const RegexOptions& options, std::string* error);

}  // namespace cli
