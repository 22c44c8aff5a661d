// InStr as the provider's statements use it: the position of a text in
// another, ignoring letter case, counted in UTF-16 units as the database
// counts the characters of wide text. The search is text::TextSearch, the
// one Modify's replace uses, so the rows a condition selects are exactly
// the rows whose text the replace finds the pattern in.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "text/text_search.h"

namespace provider {

// 1-based position, in UTF-16 units, of `pattern` in `text` at or after
// position `start` (1-based), ignoring letter case; 0 when absent. An empty
// pattern gives `start` when text is non-empty and start is within it.
int64_t InStrIgnoreCase(int64_t start, std::string_view text, std::string_view pattern);

// InStrIgnoreCase with one start and pattern over many texts (a filter over
// a table): the pattern is decoded once and each text reuses the buffers of
// the last, so a scan does not allocate per row.
class InStrMatcher {
 public:
  InStrMatcher(int64_t start, std::string_view pattern);
  // Same result as InStrIgnoreCase(start, text, pattern).
  int64_t Find(std::string_view text);
  // Find(text) != 0, found faster where the position does not matter.
  bool Matches(std::string_view text);
  // Matches for a text given as UTF-16 units, answered on the units where
  // they can tell (see text::TextSearch::ContainsUtf16); nullopt where the
  // caller must ask Matches with the text as UTF-8.
  std::optional<bool> MatchesUtf16(std::u16string_view units) const;
  // Whether MatchesUtf16 ever answers.
  bool matches_utf16() const { return start_ == 1 && search_.utf16_searchable(); }

 private:
  int64_t start_;
  text::TextSearch search_;
  std::vector<int64_t> unit_of_;  // UTF-16 position (0 based) of each character
};

}  // namespace provider
