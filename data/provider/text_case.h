// Letter-case helpers for UTF-8 text: comparison of names and the
// case-blind search behind InStr. Letters of every script with a simple
// case mapping (Latin, Greek, Cyrillic, full-width Latin, ...) match their
// other case; text that is not valid UTF-8 is compared byte by byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

}  // namespace provider
