#include "data/provider/text_case.h"

#include <locale.h>
#include <wctype.h>

#include <vector>

namespace provider {
namespace {

// A UTF-8 locale for the case tables; the "C" locale maps ASCII only.
locale_t CaseLocale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", l);
    return l;
  }();
  return loc;
}

char32_t Lower(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  locale_t loc = CaseLocale();
  if (loc == static_cast<locale_t>(0)) return c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
}

// Decodes UTF-8 into `out` (replacing its contents); invalid bytes become
// U+DC80+byte so that they still match only themselves.
void DecodeInto(std::string_view s, std::vector<char32_t>* out) {
  out->clear();
  out->reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
    bool ok = len > 0 && i + static_cast<size_t>(len) <= s.size();
    for (int k = 1; ok && k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok) {
      out->push_back(0xDC00 + c);
      ++i;
      continue;
    }
    out->push_back(cp);
    i += static_cast<size_t>(len);
  }
}

std::vector<char32_t> Decode(std::string_view s) {
  std::vector<char32_t> out;
  DecodeInto(s, &out);
  return out;
}

// The search behind InStrIgnoreCase on decoded text `t` (folded here, in
// place) for the folded pattern `p`; `unit_of` is scratch.
int64_t FindFolded(int64_t start, std::vector<char32_t>& t, const std::vector<char32_t>& p,
                   std::vector<size_t>& unit_of) {
  // Positions are in UTF-16 units: map each unit position to its index.
  unit_of.clear();  // unit position (0 based) of each character
  unit_of.reserve(t.size() + 1);
  size_t units = 0;
  for (char32_t c : t) {
    unit_of.push_back(units);
    units += c >= 0x10000 ? 2 : 1;
  }
  unit_of.push_back(units);
  if (units == 0 || start < 1 || static_cast<uint64_t>(start) > units) return 0;
  if (p.empty()) return start;
  for (char32_t& c : t) c = Lower(c);
  for (size_t i = 0; i + p.size() <= t.size(); ++i) {
    if (static_cast<int64_t>(unit_of[i]) + 1 < start) continue;
    bool match = true;
    for (size_t k = 0; k < p.size() && match; ++k) match = t[i + k] == p[k];
    if (match) return static_cast<int64_t>(unit_of[i]) + 1;
  }
  return 0;
}

void Encode(char32_t cp, std::string& out) {
  if (cp >= 0xDC80 && cp <= 0xDCFF) {
    out += static_cast<char>(cp - 0xDC00);
  } else if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (EqualsIgnoreAsciiCase(a, b)) return true;
  std::vector<char32_t> x = Decode(a), y = Decode(b);
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (Lower(x[i]) != Lower(y[i])) return false;
  }
  return true;
}

std::string FoldCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : Decode(text)) Encode(Lower(c), out);
  return out;
}

size_t Utf16Length(std::string_view utf8) {
  size_t n = 0;
  for (char32_t c : Decode(utf8)) n += c >= 0x10000 ? 2 : 1;
  return n;
}

int64_t InStrIgnoreCase(int64_t start, std::string_view text, std::string_view pattern) {
  std::vector<char32_t> t = Decode(text), p = Decode(pattern);
  for (char32_t& c : p) c = Lower(c);
  std::vector<size_t> unit_of;
  return FindFolded(start, t, p, unit_of);
}

InStrMatcher::InStrMatcher(int64_t start, std::string_view pattern)
    : start_(start), pattern_(Decode(pattern)) {
  for (char32_t& c : pattern_) c = Lower(c);
}

int64_t InStrMatcher::Find(std::string_view text) {
  DecodeInto(text, &text_);
  return FindFolded(start_, text_, pattern_, unit_of_);
}

}  // namespace provider
