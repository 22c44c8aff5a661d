// Letter-case helpers for UTF-8 text: comparison of names and the
// case-blind search behind InStr. Letters of every script with a simple
// case mapping (Latin, Greek, Cyrillic, full-width Latin, ...) match their
// other case; text that is not valid UTF-8 is compared byte by byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace provider {

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
// Equal ignoring the case of every letter.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Lower-cases every letter of UTF-8 text.
std::string FoldCase(std::string_view text);

// Length in UTF-16 units (what a character count means for wide text).
size_t Utf16Length(std::string_view utf8);

// 1-based position, in UTF-16 units, of `pattern` in `text` at or after
// position `start` (1-based), ignoring letter case; 0 when absent. An empty
// pattern gives `start` when text is non-empty and start is within it.
int64_t InStrIgnoreCase(int64_t start, std::string_view text, std::string_view pattern);

// InStrIgnoreCase with one start and pattern over many texts (a filter over
// a table): the pattern is folded once and each text reuses the buffers of
// the last, so a scan does not allocate per row.
class InStrMatcher {
 public:
  InStrMatcher(int64_t start, std::string_view pattern);
  // Same result as InStrIgnoreCase(start, text, pattern).
  int64_t Find(std::string_view text);

 private:
  int64_t start_;
  std::vector<char32_t> pattern_;  // decoded and folded
  std::vector<char32_t> text_;
  std::vector<size_t> unit_of_;
};

}  // namespace provider
