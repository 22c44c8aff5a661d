// Text helpers for the settings profile: UTF-8 validation and truncation on a
// character boundary, and the GB18030 conversions that let a profile written
// in the Chinese Windows code page (GBK) be read and edited.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace data::profile {

// True when `text` is well-formed UTF-8 (no overlongs, no surrogates, nothing
// beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Returns the length of the longest prefix of `text` that is at most
// `max_bytes` long and does not cut a UTF-8 sequence in two. Bytes that do not
// form valid UTF-8 count as characters of one byte.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t max_bytes);

// Converts GB18030 (a superset of GBK and code page 936) to UTF-8. Returns
// nullopt when `text` is not valid GB18030 or iconv lacks the conversion.
std::optional<std::string> Gb18030ToUtf8(std::string_view text);

// Converts UTF-8 to GB18030, which covers all of Unicode. Returns nullopt when
// `text` is not valid UTF-8 or iconv lacks the conversion.
std::optional<std::string> Utf8ToGb18030(std::string_view text);

// Converts UTF-16 (little-endian when `little_endian`, no byte-order mark) to
// UTF-8 and back. Return nullopt on malformed input (an odd byte count, an
// unpaired surrogate).
std::optional<std::string> Utf16ToUtf8(std::string_view text, bool little_endian);
std::optional<std::string> Utf8ToUtf16(std::string_view text, bool little_endian);

}  // namespace data::profile
