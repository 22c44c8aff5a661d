#include "text/case_fold.h"

#include <locale.h>
#include <wctype.h>

#include "text/utf8.h"

namespace text {
namespace {

// A UTF-8 locale for the C library's case tables, looked up once; the "C"
// locale maps ASCII only.
locale_t CaseLocale() {
  static const locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) l = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", l);
    return l;
  }();
  return loc;
}

}  // namespace

char32_t FoldNonAsciiCase(char32_t c) {
  if (c > 0x10FFFF) return c;
  const locale_t loc = CaseLocale();
  if (loc != static_cast<locale_t>(0)) {
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), loc));
  }
  // No Unicode locale on this system: at least the Latin-1 letters.
  return c >= 0xC0 && c <= 0xDE && c != 0xD7 ? c + 32 : c;
}

std::string FoldCase(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8Char(utf8, i, &cp);
    if (len == 0) {
      out.push_back(utf8[i++]);
      continue;
    }
    AppendUtf8(FoldCase(cp), &out);
    i += len;
  }
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    char32_t x = 0, y = 0;
    const size_t m = DecodeUtf8Char(a, i, &x), n = DecodeUtf8Char(b, j, &y);
    // A malformed byte equals only the same malformed byte.
    if (m == 0 || n == 0) {
      if (m != n || a[i] != b[j]) return false;
      ++i, ++j;
      continue;
    }
    if (x != y && FoldCase(x) != FoldCase(y)) return false;
    i += m, j += n;
  }
  return i == a.size() && j == b.size();
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    const char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace text
