// ReplaceText: the text replacement behind Modify. Works on UTF-8 text one
// character at a time, so a match always starts and ends on a character
// boundary and the replacement lands exactly on the matched characters,
// also where a letter's other case is longer or shorter in bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_search.h"

namespace data {

enum TReplaceFlag : unsigned {
  rfReplaceAll = 1u << 0,  // every occurrence, not only the first
  rfIgnoreCase = 1u << 1,  // letters match by text::FoldCase, as in InStr
};
using TReplaceFlags = unsigned;

// A stretch of bytes of a text: [begin, end).
struct TextSpan {
  size_t begin = 0;
  size_t end = 0;
  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Where ReplaceText(source, old_pattern, ..., flags) replaces: the byte
// stretches of `source` it matched, in order (only the first without
// rfReplaceAll). Empty when nothing matches.
std::vector<TextSpan> FindMatches(std::string_view source, std::string_view old_pattern,
                                  TReplaceFlags flags);
// The same with `search` made for the pattern (ignoring case as `flags`
// say), for one pattern over many texts.
std::vector<TextSpan> FindMatches(std::string_view source, text::TextSearch& search,
                                  TReplaceFlags flags);

// A text after some of its stretches were replaced.
struct Replacement {
  std::string text;                // the new text
  std::vector<TextSpan> matched;   // the stretches replaced, in the old text
  std::vector<TextSpan> inserted;  // what took their place, in the new text
};

// `source` with each of `matches` (in order, not overlapping) replaced by
// `replacement`, or by the entry of `replacements` with the same index.
Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   std::string_view replacement);
Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   const std::vector<std::string>& replacements);

// `source` with occurrences of `old_pattern` replaced by `new_pattern`.
// Matches do not overlap and the scan goes on after each replacement, so a
// replacement containing the pattern is not replaced again; text outside the
// matches is kept byte for byte. An empty source or an empty old pattern
// gives the source unchanged. Bytes that are not valid UTF-8 match only
// themselves. The occurrences are those FindMatches finds, spliced.
std::string ReplaceText(std::string_view source, std::string_view old_pattern,
                        std::string_view new_pattern, TReplaceFlags flags);

}  // namespace data
