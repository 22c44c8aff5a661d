// UTF-8, the one text encoding of the program above the file formats: the
// engine decodes every stored text to UTF-8, and the data layer, the grid
// and both programs work on UTF-8 strings. These are the primitives all of
// them share for stepping through such text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// The replacement character, written where a value is not a character.
inline constexpr char32_t kReplacementChar = 0xFFFD;

// Appends `cp` as UTF-8; a surrogate or a value beyond U+10FFFF becomes
// U+FFFD. Inline: the engine's text decoders call it once per character.
inline void AppendUtf8(char32_t cp, std::string* out) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacementChar;
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes the character at byte `i` (below s.size()) of `s` into *cp and
// returns its length in bytes; returns 0, leaving *cp alone, when the bytes
// there are not well-formed UTF-8: a bad lead or continuation byte, a cut
// sequence, an overlong form, a surrogate or a value beyond U+10FFFF.
size_t DecodeUtf8Char(std::string_view s, size_t i, char32_t* cp);

// Length of `utf8` in UTF-16 units, what a character count means for the
// database's wide text: two for a character beyond U+FFFF, one for every
// other character and for every byte that is not well-formed UTF-8.
size_t Utf16Length(std::string_view utf8);

}  // namespace text
