#include "data/replace_rule.h"

#include <utility>

namespace data {
namespace {

class TextRule : public ReplaceRule {
 public:
  TextRule(std::string find, std::string replacement, bool match_case, bool whole)
      : find_(std::move(find)),
        replacement_(std::move(replacement)),
        flags_((whole ? 0u : rfReplaceAll) | (match_case ? 0u : rfIgnoreCase)),
        whole_(whole),
        search_(find_, match_case ? text::CaseMode::kExact : text::CaseMode::kIgnoreCase) {}

  bool Apply(std::string_view text, Replacement* out) const override {
    std::vector<TextSpan> matches;
    if (!whole_) {
      matches = FindMatches(text, search_, flags_);
      if (matches.empty()) return false;
    } else if (text.empty() != find_.empty()) {
      return false;
    } else if (!text.empty()) {
      // The value is one whole occurrence of the text.
      matches = FindMatches(text, search_, flags_);
      if (matches.empty() || matches[0] != TextSpan{0, text.size()}) return false;
    } else {
      matches.push_back({0, 0});
    }
    *out = Splice(text, std::move(matches), replacement_);
    return true;
  }

  std::optional<std::string> ListedBy() const override {
    if (find_.empty()) return std::nullopt;
    return find_;
  }

 private:
  std::string find_;
  std::string replacement_;
  TReplaceFlags flags_;
  bool whole_;
  // The pattern decoded once; its buffers serve one Apply at a time.
  mutable text::TextSearch search_;
};

}  // namespace

std::unique_ptr<ReplaceRule> ContainsRule(std::string find, std::string replacement,
                                          bool match_case) {
  return std::make_unique<TextRule>(std::move(find), std::move(replacement), match_case, false);
}

std::unique_ptr<ReplaceRule> WholeFieldRule(std::string find, std::string replacement,
                                            bool match_case) {
  return std::make_unique<TextRule>(std::move(find), std::move(replacement), match_case, true);
}

}  // namespace data
