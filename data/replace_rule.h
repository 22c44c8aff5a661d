// ReplaceRule: how a bulk replace changes the text of one field. The
// window's Modify uses ContainsRule with letter case ignored; the command
// line adds exact case, whole values and (in cli/) regular expressions.
// Every rule reports where it matched, so that a preview can mark it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "data/replace_text.h"

namespace data {

class ReplaceRule {
 public:
  virtual ~ReplaceRule() = default;
  // False when `text` holds no match (`out` is then left as it was);
  // otherwise fills `out`. A match may leave the text as it was.
  virtual bool Apply(std::string_view text, Replacement* out) const = 0;
  // A text that every matching value contains, ignoring letter case, when
  // there is one: the view's InStr condition with it lists a superset of
  // the rows this rule changes, and lists them faster than a whole table.
  virtual std::optional<std::string> ListedBy() const { return std::nullopt; }
};

// ReplaceText's matching: every occurrence of `find`, ignoring letter case
// unless `match_case`. An empty `find` matches nothing.
std::unique_ptr<ReplaceRule> ContainsRule(std::string find, std::string replacement,
                                          bool match_case);

// Values that are `find` as a whole, ignoring letter case (as ReplaceText
// does) unless `match_case`; an empty `find` matches the empty value.
std::unique_ptr<ReplaceRule> WholeFieldRule(std::string find, std::string replacement,
                                            bool match_case);

}  // namespace data
