#include "data/provider/instr.h"

namespace provider {

int64_t InStrIgnoreCase(int64_t start, std::string_view text, std::string_view pattern) {
  return InStrMatcher(start, pattern).Find(text);
}

InStrMatcher::InStrMatcher(int64_t start, std::string_view pattern)
    : start_(start), search_(pattern, text::CaseMode::kIgnoreCase) {}

bool InStrMatcher::Matches(std::string_view text) {
  // From the first position any match will do; an empty pattern needs the
  // length of the text.
  if (start_ == 1 && search_.pattern_size() > 0) return search_.Contains(text);
  return Find(text) != 0;
}

std::optional<bool> InStrMatcher::MatchesUtf16(std::u16string_view units) const {
  if (start_ != 1) return std::nullopt;
  return search_.ContainsUtf16(units);
}

int64_t InStrMatcher::Find(std::string_view text) {
  search_.SetText(text);
  const std::vector<text::Char>& chars = search_.chars();
  unit_of_.clear();
  int64_t units = 0;
  for (size_t i = 0; i < chars.size(); ++i) {
    unit_of_.push_back(units);
    // Four UTF-8 bytes make a character beyond the basic plane, a surrogate
    // pair in UTF-16; anything shorter (a stray byte too) is one unit.
    const size_t end = i + 1 < chars.size() ? chars[i + 1].offset : text.size();
    units += end - chars[i].offset == 4 ? 2 : 1;
  }
  if (units == 0 || start_ < 1 || start_ > units) return 0;
  if (search_.pattern_size() == 0) return start_;
  // The first character that starts at or after the start position.
  size_t from = 0;
  while (from < chars.size() && unit_of_[from] + 1 < start_) ++from;
  const size_t at = search_.Find(from);
  return at == text::TextSearch::kNone ? 0 : unit_of_[at] + 1;
}

}  // namespace provider
