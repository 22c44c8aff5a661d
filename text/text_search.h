// Finding a pattern in UTF-8 text a whole character at a time, with or
// without letter case. The view's InStr condition and the replace of Modify
// both search through this class, so they agree on every match: the filter
// lists exactly the rows whose text the replace changes.
#pragma once

#include <cstddef>
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

  // The current text's characters, and the pattern's length in characters.
  const std::vector<Char>& chars() const { return text_; }
  size_t pattern_size() const { return pattern_.size(); }

 private:
  CaseMode mode_;
  std::vector<Char> pattern_;
  std::vector<Char> text_;
};

}  // namespace text
