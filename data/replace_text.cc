#include "data/replace_text.h"

#include <locale.h>
#include <wctype.h>

#include <utility>
#include <vector>

namespace data {
namespace {

// One character of the text: its code point (or a stand-in for a stray
// byte) and where its bytes start.
struct Char {
  char32_t code;
  size_t offset;
};

// The same case tables InStr uses, so that Modify changes exactly what the
// view's condition selected.
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", l);
    return l;
  }();
  return loc;
}

char32_t Fold(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if (c >= 0x110000) return c;  // a stray byte
  locale_t loc = CaseLocale();
  if (loc == static_cast<locale_t>(0)) return c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
}

// Decodes UTF-8. A byte that does not start a well-formed character becomes
// a value above the Unicode range, so it matches only the same byte.
std::vector<Char> Decode(std::string_view s, bool fold) {
  std::vector<Char> out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = len > 0 && i + static_cast<size_t>(len) <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out.push_back({0x110000u + c, i});
      ++i;
      continue;
    }
    out.push_back({fold ? Fold(cp) : cp, i});
    i += static_cast<size_t>(len);
  }
  return out;
}

}  // namespace

std::vector<TextSpan> FindMatches(std::string_view source, std::string_view old_pattern,
                                  TReplaceFlags flags) {
  std::vector<TextSpan> matches;
  if (source.empty() || old_pattern.empty()) return matches;
  const bool fold = (flags & rfIgnoreCase) != 0;
  const std::vector<Char> text = Decode(source, fold);
  const std::vector<Char> pattern = Decode(old_pattern, fold);
  size_t i = 0;
  while (i + pattern.size() <= text.size()) {
    bool match = true;
    for (size_t k = 0; k < pattern.size() && match; ++k)
      match = text[i + k].code == pattern[k].code;
    if (!match) {
      ++i;
      continue;
    }
    const size_t end =
        i + pattern.size() < text.size() ? text[i + pattern.size()].offset : source.size();
    matches.push_back({text[i].offset, end});
    i += pattern.size();
    if ((flags & rfReplaceAll) == 0) break;
  }
  return matches;
}

template <typename ReplacementOf>
Replacement SpliceWith(std::string_view source, std::vector<TextSpan> matches,
                       const ReplacementOf& replacement_of) {
  Replacement out;
  out.text.reserve(source.size());
  out.inserted.reserve(matches.size());
  size_t copied = 0;  // bytes of the source already in the result
  for (size_t i = 0; i < matches.size(); ++i) {
    out.text.append(source.substr(copied, matches[i].begin - copied));
    const size_t at = out.text.size();
    out.text.append(replacement_of(i));
    out.inserted.push_back({at, out.text.size()});
    copied = matches[i].end;
  }
  out.text.append(source.substr(copied));
  out.matched = std::move(matches);
  return out;
}

Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   std::string_view replacement) {
  return SpliceWith(source, std::move(matches), [&](size_t) { return replacement; });
}

Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   const std::vector<std::string>& replacements) {
  return SpliceWith(source, std::move(matches),
                    [&](size_t i) { return std::string_view(replacements[i]); });
}

std::string ReplaceText(std::string_view source, std::string_view old_pattern,
                        std::string_view new_pattern, TReplaceFlags flags) {
  return Splice(source, FindMatches(source, old_pattern, flags), new_pattern).text;
}

}  // namespace data
