// Finding a pattern in UTF-8 text a whole character at a time, with or
// without letter case. The view's InStr condition and the replace of Modify
// both search through this class, so they agree on every match: the filter
// lists exactly the rows whose text the replace changes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// One character of decoded text.
struct Char {
  // The code point, folded by FoldCase under CaseMode::kIgnoreCase; for a
  // byte that does not begin well-formed UTF-8, kStrayByteBase + the byte,
  // which lies above Unicode and so equals only the same stray byte.
  char32_t code;
  size_t offset;  // of its first byte in the text
};
inline constexpr char32_t kStrayByteBase = 0x110000;

enum class CaseMode {
  kExact,       // characters match only themselves
  kIgnoreCase,  // characters match when their FoldCase agrees
};

// Decodes `utf8` into *out (its contents replaced), one Char per character
// or stray byte, folding under kIgnoreCase.
void DecodeChars(std::string_view utf8, CaseMode mode, std::vector<Char>* out);

// One pattern searched for in one text after another. The text's characters
// are kept in a buffer that the next SetText reuses, so a scan over many
// rows does not allocate for each.
class TextSearch {
 public:
  static constexpr size_t kNone = static_cast<size_t>(-1);

  TextSearch(std::string_view pattern, CaseMode mode);

  // Makes `text` the text that Find searches. `text` need not outlive the
  // call: only its decoded characters are kept.
  void SetText(std::string_view text);

  // Index in chars() of the first character of the first match at index
  // `from` or later; kNone when there is none, and always for an empty
  // pattern. Matches are whole characters: a match never begins or ends
  // inside a multi-byte character.
  size_t Find(size_t from) const;

  // Whether the pattern occurs in `text`: Find(0) != kNone after
  // SetText(text), but without decoding where that cannot change the
  // answer. A pattern of ASCII characters is looked for byte by byte, a
  // block of bytes at a time, in text that holds no character whose case
  // folds into ASCII. For filters over many rows. Leaves chars() undefined.
  bool Contains(std::string_view text);

  // Contains(text) for a text given as UTF-16 code units, answered on the
  // units themselves: what decoding them to UTF-8 (a surrogate without its
  // partner becoming U+FFFD) and calling Contains would answer. nullopt
  // when the units cannot tell: the pattern is not utf16_searchable(), or
  // the text holds a character whose case folds into ASCII and no match
  // was found without it. For filters over text stored as UTF-16.
  std::optional<bool> ContainsUtf16(std::u16string_view units) const;
  // Whether ContainsUtf16 can answer at all: the pattern is not empty and
  // each of its characters is ASCII, or a character of the basic plane
  // that no other character matches.
  bool utf16_searchable() const { return !units_.empty(); }

  // The current text's characters, and the pattern's length in characters.
  const std::vector<Char>& chars() const { return text_; }
  size_t pattern_size() const { return pattern_.size(); }

 private:
  CaseMode mode_;
  std::vector<Char> pattern_;
  // The pattern as bytes when all its characters are ASCII (folded under
  // kIgnoreCase), else empty; `ascii_case_` has 0x20 where a byte is a
  // letter whose case is ignored.
  std::string ascii_;
  std::string ascii_case_;
  // The pattern as UTF-16 units when utf16_searchable(), else empty, with
  // the same kind of mask.
  std::u16string units_;
  std::u16string units_case_;
  bool check_into_ascii_ = false;  // a match may hide behind a character folding into ASCII
  std::vector<Char> text_;
};

}  // namespace text
