#include "text/text_search.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
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

// What the case tables say beyond ASCII, found once by asking FoldCase
// about every character.
struct FoldFacts {
  // The characters whose case folds into ASCII (with the C library's
  // tables, the Kelvin sign and the capital I with a dot), as UTF-8 and,
  // where they lie in the basic plane, as UTF-16 units.
  std::vector<std::string> into_ascii;
  std::u16string into_ascii_units;
  bool into_ascii_beyond_basic_plane = false;
  // Every character that FoldCase turns another character beyond ASCII
  // into, sorted.
  std::vector<char32_t> targets;
};

const FoldFacts& Facts() {
  static const FoldFacts facts = [] {
    FoldFacts f;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
      if (c >= 0xD800 && c <= 0xDFFF) continue;
      const char32_t folded = FoldCase(c);
      if (folded == c) continue;
      f.targets.push_back(folded);
      if (folded >= 0x80) continue;
      f.into_ascii.emplace_back();
      AppendUtf8(c, &f.into_ascii.back());
      if (c <= 0xFFFF) {
        f.into_ascii_units.push_back(static_cast<char16_t>(c));
      } else {
        f.into_ascii_beyond_basic_plane = true;
      }
    }
    std::sort(f.targets.begin(), f.targets.end());
    return f;
  }();
  return facts;
}

#if defined(__SSE2__)
template <typename Unit>
__m128i Splat(Unit u) {
  if constexpr (sizeof(Unit) == 1) return _mm_set1_epi8(static_cast<char>(u));
  return _mm_set1_epi16(static_cast<int16_t>(u));
}
template <typename Unit>
__m128i Equal(__m128i a, __m128i b) {
  if constexpr (sizeof(Unit) == 1) return _mm_cmpeq_epi8(a, b);
  return _mm_cmpeq_epi16(a, b);
}
#endif

// Whether `pattern` occurs in `text` unit by unit (bytes of UTF-8 or units
// of UTF-16), where `mask` has 0x20 at the letters whose case is ignored
// (and `pattern` holds them in lower case).
template <typename Unit>
bool ContainsMasked(std::basic_string_view<Unit> text, std::basic_string_view<Unit> pattern,
                    std::basic_string_view<Unit> mask) {
  const size_t n = pattern.size();
  if (text.size() < n) return false;
  const auto at = [&](size_t i, size_t k) {
    return static_cast<Unit>(text[i + k] | mask[k]) == pattern[k];
  };
  size_t i = 0;
#if defined(__SSE2__)
  // A block of places at a time where the first two units could begin a match.
  constexpr size_t kLanes = 16 / sizeof(Unit);
  if (n >= 2) {
    const __m128i first = Splat(pattern[0]), first_mask = Splat(mask[0]);
    const __m128i second = Splat(pattern[1]), second_mask = Splat(mask[1]);
    for (; i + kLanes + 1 <= text.size(); i += kLanes) {
      const auto* p = reinterpret_cast<const __m128i*>(text.data() + i);
      const __m128i a = _mm_or_si128(_mm_loadu_si128(p), first_mask);
      const __m128i b = _mm_or_si128(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + 1)), second_mask);
      unsigned bits = static_cast<unsigned>(
          _mm_movemask_epi8(_mm_and_si128(Equal<Unit>(a, first), Equal<Unit>(b, second))));
      if constexpr (sizeof(Unit) == 2) bits &= 0x5555;  // one bit per unit
      for (; bits != 0; bits &= bits - 1) {
        const size_t start = i + static_cast<size_t>(__builtin_ctz(bits)) / sizeof(Unit);
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

// Whether any unit of `text` is one of `set`.
bool HoldsAnyOf(std::u16string_view text, std::u16string_view set) {
  size_t i = 0;
#if defined(__SSE2__)
  for (; i + 8 <= text.size(); i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    __m128i hit = _mm_setzero_si128();
    for (char16_t u : set) hit = _mm_or_si128(hit, _mm_cmpeq_epi16(v, Splat(u)));
    if (_mm_movemask_epi8(hit) != 0) return true;
  }
#endif
  for (; i < text.size(); ++i) {
    if (set.find(text[i]) != std::u16string_view::npos) return true;
  }
  return false;
}

}  // namespace

TextSearch::TextSearch(std::string_view pattern, CaseMode mode) : mode_(mode) {
  DecodeChars(pattern, mode, &pattern_);
  const bool fold = mode == CaseMode::kIgnoreCase;
  // The pattern as bytes when it is all ASCII, and as UTF-16 units when each
  // character is ASCII or one that matches itself only; U+FFFD stands for
  // broken text and is left to decoding.
  bool all_ascii = true, all_units = !pattern_.empty();
  for (const Char& c : pattern_) {
    const bool ascii = c.code < 0x80;
    const bool alone = !ascii && c.code <= 0xFFFF && (c.code < 0xD800 || c.code > 0xDFFF) &&
                       c.code != 0xFFFD &&
                       (!fold || (FoldCase(c.code) == c.code &&
                                  !std::binary_search(Facts().targets.begin(),
                                                      Facts().targets.end(), c.code)));
    all_ascii = all_ascii && ascii;
    all_units = all_units && (ascii || alone);
    const bool letter = c.code >= 'a' && c.code <= 'z';
    const char mask = fold && letter ? 0x20 : 0;
    if (all_ascii) {
      ascii_.push_back(static_cast<char>(c.code));
      ascii_case_.push_back(mask);
    }
    if (all_units) {
      units_.push_back(static_cast<char16_t>(c.code));
      units_case_.push_back(static_cast<char16_t>(mask));
    }
    check_into_ascii_ = check_into_ascii_ || (fold && ascii);
  }
  if (!all_ascii) {
    ascii_.clear();
    ascii_case_.clear();
  }
  if (!all_units) {
    units_.clear();
    units_case_.clear();
  }
}

bool TextSearch::Contains(std::string_view text) {
  if (!ascii_.empty()) {
    // Only ASCII bytes can match, unless a character beyond ASCII folds into
    // ASCII; stray bytes are never ASCII.
    bool bytewise = true;
    if (mode_ == CaseMode::kIgnoreCase) {
      for (const std::string& form : Facts().into_ascii) {
        if (text.find(form) != std::string_view::npos) bytewise = false;
      }
    }
    if (bytewise) return ContainsMasked<char>(text, ascii_, ascii_case_);
  }
  SetText(text);
  return Find(0) != kNone;
}

std::optional<bool> TextSearch::ContainsUtf16(std::u16string_view units) const {
  if (units_.empty()) return std::nullopt;
  // Characters beyond the basic plane that fold into ASCII would not show
  // as single units (the C library's tables have none).
  if (check_into_ascii_ && Facts().into_ascii_beyond_basic_plane) return std::nullopt;
  // A match of units is a match of characters: every unit matched is a
  // whole character, and no other character matches it.
  if (ContainsMasked<char16_t>(units, units_, units_case_)) return true;
  // Without one, only a character that folds into ASCII could still match.
  if (check_into_ascii_ && HoldsAnyOf(units, Facts().into_ascii_units)) return std::nullopt;
  return false;
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
