// Letter case for every comparison that ignores it: the names of tables,
// columns and fields, the view's InStr condition and the replace of Modify.
// There is one folding function so that what the filter selects is exactly
// what the replace changes, and a name matches the same way everywhere.
#pragma once

#include <string>
#include <string_view>

namespace text {

// `c` in lower case by the simple (one character to one character) Unicode
// case mapping, so that letters of every script with case match their other
// case: Latin with its accents, Greek, Cyrillic, full-width Latin and so on.
// Characters without case, and values outside Unicode, come back unchanged.
// Inline for ASCII, which most text is.
char32_t FoldNonAsciiCase(char32_t c);  // FoldCase for c >= 0x80
inline char32_t FoldCase(char32_t c) {
  if (c >= 0x80) return FoldNonAsciiCase(c);
  return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// `utf8` with every character folded by FoldCase(char32_t). Bytes that are
// not well-formed UTF-8 are kept as they are, so two different texts never
// fold to the same result merely for being malformed.
std::string FoldCase(std::string_view utf8);

// Whether `a` and `b` are equal once folded by FoldCase.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Whether `a` and `b` are equal with only A-Z matching a-z: for keywords and
// names the program defines itself (statement words, connection-string keys).
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace text
