// ReplaceText: the text replacement behind Modify. Works on UTF-8 text one
// character at a time, so a match always starts and ends on a character
// boundary and the replacement lands exactly on the matched characters,
// also where a letter's other case is longer or shorter in bytes.
#pragma once

#include <string>
#include <string_view>

namespace data {

enum TReplaceFlag : unsigned {
  rfReplaceAll = 1u << 0,  // every occurrence, not only the first
  rfIgnoreCase = 1u << 1,  // letters match by text::FoldCase, as in InStr
};
using TReplaceFlags = unsigned;

// `source` with occurrences of `old_pattern` replaced by `new_pattern`.
// Matches do not overlap and the scan goes on after each replacement, so a
// replacement containing the pattern is not replaced again; text outside the
// matches is kept byte for byte. An empty source or an empty old pattern
// gives the source unchanged. Bytes that are not valid UTF-8 match only
// themselves.
std::string ReplaceText(std::string_view source, std::string_view old_pattern,
                        std::string_view new_pattern, TReplaceFlags flags);

}  // namespace data
