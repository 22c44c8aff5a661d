#include "text/number_text.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace text {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The parts of a decimal number text.
struct NumberParts {
  bool negative = false;
  std::string digits;  // mantissa digits, integer and fraction together
  int64_t point = 0;   // digits before the separator
  int64_t exponent = 0;
};

std::optional<NumberParts> SplitNumber(std::string_view s, char sep) {
  size_t i = 0, n = s.size();
  while (i < n && s[i] == ' ') ++i;
  while (n > i && s[n - 1] == ' ') --n;
  NumberParts p;
  if (i < n && (s[i] == '+' || s[i] == '-')) p.negative = s[i++] == '-';
  bool any = false;
  while (i < n && IsDigit(s[i])) {
    p.digits += s[i++];
    any = true;
  }
  p.point = static_cast<int64_t>(p.digits.size());
  if (i < n && s[i] == sep) {
    ++i;
    any = true;  // a lone separator reads as 0
    while (i < n && IsDigit(s[i])) p.digits += s[i++];
  }
  if (!any) return std::nullopt;
  if (i < n && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    bool neg = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    if (i >= n || !IsDigit(s[i])) return std::nullopt;
    int64_t e = 0;
    while (i < n && IsDigit(s[i])) {
      if (e < 100000) e = e * 10 + (s[i] - '0');
      ++i;
    }
    p.exponent = neg ? -e : e;
  }
  if (i != n) return std::nullopt;
  return p;
}

}  // namespace

std::string FormatScientific(double value, int decimals) {
  char buf[64];
  const std::to_chars_result r =
      std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, decimals);
  return std::string(buf, r.ptr);
}

std::optional<int64_t> ParseInteger(std::string_view s, int bits) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  const uint64_t limit = bits == 64 ? UINT64_MAX : 0xFFFFFFFFull;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    int d = hex ? HexValue(s[i]) : (IsDigit(s[i]) ? s[i] - '0' : -1);
    if (d < 0) return std::nullopt;
    const uint64_t base = hex ? 16 : 10;
    if (v > (limit - static_cast<uint64_t>(d)) / base) return std::nullopt;
    v = v * base + static_cast<uint64_t>(d);
  }
  int64_t result;
  if (hex) {
    // A hexadecimal number is a bit pattern of the given width.
    result = bits == 64 ? static_cast<int64_t>(v)
                        : static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    if (negative) result = static_cast<int64_t>(0 - static_cast<uint64_t>(result));
    if (bits == 32) result = static_cast<int32_t>(static_cast<uint32_t>(result));
    return result;
  }
  const uint64_t max_pos = bits == 64 ? static_cast<uint64_t>(INT64_MAX) : 0x7FFFFFFFull;
  if (v > max_pos + (negative ? 1 : 0)) return std::nullopt;
  result = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
  return result;
}

std::optional<double> ParseFloat(std::string_view text, char sep) {
  std::optional<NumberParts> p = SplitNumber(text, sep);
  if (!p) return std::nullopt;
  std::string normal = (p->negative ? "-0" : "0") + p->digits.substr(0, p->point) + "." +
                       p->digits.substr(p->point) + "e" + std::to_string(p->exponent);
  // The "C" locale's reading, whatever locale the program runs in: the text
  // above always has "." as its separator.
  static const locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  double v = strtod_l(normal.c_str(), nullptr, c_locale);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

std::optional<__int128> ParseScaled(std::string_view text, char sep, int scale, bool* overflow) {
  *overflow = false;
  std::optional<NumberParts> p = SplitNumber(text, sep);
  if (!p) return std::nullopt;
  // Value = 0.digits * 10^(point + exponent); we want round(value * 10^scale).
  std::string digits = p->digits;
  size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return 0;
  int64_t shift = p->point + p->exponent + scale;  // integer digits of value*10^scale
  shift -= static_cast<int64_t>(first);
  digits = digits.substr(first);
  if (shift > 30) {
    *overflow = true;
    return std::nullopt;
  }
  unsigned __int128 v = 0;
  for (int64_t k = 0; k < shift; ++k) {
    v = v * 10 +
        static_cast<unsigned>(k < static_cast<int64_t>(digits.size()) ? digits[k] - '0' : 0);
  }
  // Round half away from zero on the first dropped digit.
  if (shift >= 0 && shift < static_cast<int64_t>(digits.size()) && digits[shift] >= '5') v += 1;
  const __int128 result = static_cast<__int128>(v);
  return p->negative ? -result : result;
}

std::optional<int64_t> ParseFixed4(std::string_view text, char sep, bool* overflow) {
  std::optional<__int128> v = ParseScaled(text, sep, 4, overflow);
  if (!v) return std::nullopt;
  if (*v > INT64_MAX || *v < INT64_MIN) {
    *overflow = true;
    return std::nullopt;
  }
  return static_cast<int64_t>(*v);
}

std::string FormatGeneral(double value, int precision, char sep) {
  if (value == 0 || !std::isfinite(value)) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    return "0";
  }
  precision = std::clamp(precision, 1, 18);
  std::string s = FormatScientific(value, precision - 1);
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  std::string digits;
  for (size_t i = 0; i < e; ++i) {
    if (IsDigit(s[i])) digits += s[i];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent >= -4 && exponent < precision) {
    if (exponent >= 0) {
      std::string whole = digits.substr(0, std::min<size_t>(digits.size(), exponent + 1));
      whole.append(static_cast<size_t>(exponent + 1) - whole.size(), '0');
      out += whole;
      if (digits.size() > static_cast<size_t>(exponent + 1)) {
        out += sep;
        out += digits.substr(static_cast<size_t>(exponent + 1));
      }
    } else {
      out += '0';
      out += sep;
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out += digits;
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += sep;
    out += digits.substr(1);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  out += std::to_string(exponent < 0 ? -exponent : exponent);
  return out;
}

std::string FormatFixed4(int64_t scaled, char sep) {
  const bool negative = scaled < 0;
  const uint64_t mag = negative ? 0 - static_cast<uint64_t>(scaled) : static_cast<uint64_t>(scaled);
  std::string out = (negative ? "-" : "") + std::to_string(mag / 10000);
  char frac[8];
  std::snprintf(frac, sizeof frac, "%04u", static_cast<unsigned>(mag % 10000));
  std::string f = frac;
  while (!f.empty() && f.back() == '0') f.pop_back();
  if (!f.empty()) out += sep + f;
  return out;
}

}  // namespace text
