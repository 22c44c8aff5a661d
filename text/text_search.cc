#include "text/text_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <string>

#include "text/case_fold.h"
#include "text/utf8.h"

namespace text {

void DecodeChars(std::string_view utf8, CaseMode mode, std::vector<Char>* out) {
  out->clear();
  out->reserve(utf8.size());
  const bool fold = mode == CaseMode::kIgnoreCase;
  for (size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {  // most text is ASCII: no decoding
      out->push_back({fold ? FoldCase(char32_t{byte}) : byte, i});
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t len = DecodeUtf8Char(utf8, i, &cp);
    if (len == 0) {
      out->push_back({kStrayByteBase + byte, i});
      ++i;
      continue;
    }
    out->push_back({fold ? FoldCase(cp) : cp, i});
    i += len;
  }
}

namespace {

// The UTF-8 forms of the characters beyond ASCII whose case folds into ASCII
// (with the C library's tables, the Kelvin sign and the capital I with a
// dot), found once by asking FoldCase about every character.
const std::vector<std::string>& FoldingIntoAscii() {
  static const std::vector<std::string> forms = [] {
    std::vector<std::string> out;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
      if ((c < 0xD800 || c > 0xDFFF) && FoldCase(c) < 0x80) {
        out.emplace_back();
        AppendUtf8(c, &out.back());
      }
    }
    return out;
  }();
  return forms;
}

// Whether `pattern` occurs in `text` byte by byte, where `mask` has 0x20 at
// the letters whose case is ignored (and `pattern` holds them in lower case).
bool ContainsBytes(std::string_view text, std::string_view pattern, std::string_view mask) {
  const size_t n = pattern.size();
  if (text.size() < n) return false;
  const auto at = [&](size_t i, size_t k) {
    return static_cast<char>(text[i + k] | mask[k]) == pattern[k];
  };
  size_t i = 0;
#if defined(__SSE2__)
  // Sixteen places at a time where the first two bytes could begin a match.
  if (n >= 2) {
    const __m128i first = _mm_set1_epi8(pattern[0]), first_mask = _mm_set1_epi8(mask[0]);
    const __m128i second = _mm_set1_epi8(pattern[1]), second_mask = _mm_set1_epi8(mask[1]);
    for (; i + 17 <= text.size(); i += 16) {
      const auto* p = reinterpret_cast<const __m128i*>(text.data() + i);
      const __m128i a = _mm_or_si128(_mm_loadu_si128(p), first_mask);
      const __m128i b = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + 1)), second_mask);
      unsigned bits = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
      for (; bits != 0; bits &= bits - 1) {
        const size_t start = i + static_cast<size_t>(__builtin_ctz(bits));
        if (start + n > text.size()) break;
        size_t k = 2;
        while (k < n && at(start, k)) ++k;
        if (k == n) return true;
      }
    }
  }
#endif
  for (; i + n <= text.size(); ++i) {
    size_t k = 0;
    while (k < n && at(i, k)) ++k;
    if (k == n) return true;
  }
  return false;
}

}  // namespace

TextSearch::TextSearch(std::string_view pattern, CaseMode mode) : mode_(mode) {
  DecodeChars(pattern, mode, &pattern_);
  for (const Char& c : pattern_) {
    if (c.code >= 0x80) {
      ascii_.clear();
      ascii_case_.clear();
      break;
    }
    ascii_.push_back(static_cast<char>(c.code));
    const bool letter = c.code >= 'a' && c.code <= 'z';
    ascii_case_.push_back(mode == CaseMode::kIgnoreCase && letter ? 0x20 : 0);
  }
}

bool TextSearch::Contains(std::string_view text) {
  if (!ascii_.empty()) {
    // Only ASCII bytes can match, unless a character beyond ASCII folds into
    // ASCII; stray bytes are never ASCII.
    bool bytewise = true;
    if (mode_ == CaseMode::kIgnoreCase) {
      for (const std::string& form : FoldingIntoAscii()) {
        if (text.find(form) != std::string_view::npos) bytewise = false;
      }
    }
    if (bytewise) return ContainsBytes(text, ascii_, ascii_case_);
  }
  SetText(text);
  return Find(0) != kNone;
}

void TextSearch::SetText(std::string_view text) { DecodeChars(text, mode_, &text_); }

size_t TextSearch::Find(size_t from) const {
  const size_t n = pattern_.size();
  if (n == 0 || text_.size() < n) return kNone;
  for (size_t i = from; i <= text_.size() - n; ++i) {
    size_t k = 0;
    while (k < n && text_[i + k].code == pattern_[k].code) ++k;
    if (k == n) return i;
  }
  return kNone;
}

}  // namespace text
