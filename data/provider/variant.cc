#include "data/provider/variant.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace provider {
namespace {

// Days from 0001-01-01 to 1899-12-30.
constexpr int64_t kDelta = 693594;

std::string TrimFraction(std::string s) {
  if (s.find('.') == std::string::npos) return s;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string DoubleText(double v) {
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", v);
  std::string s = buf;
  size_t e = s.find('E');
  if (e == std::string::npos) return TrimFraction(s);
  std::string mant = TrimFraction(s.substr(0, e));
  std::string exp = s.substr(e + 1);
  char sign = exp[0];
  exp = exp.substr(1);
  while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
  return mant + "E" + sign + exp;
}

std::string CurrencyText(const Currency& c) {
  int64_t v = c.scaled;
  bool neg = v < 0;
  uint64_t mag = neg ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s%llu.%04llu", neg ? "-" : "",
                static_cast<unsigned long long>(mag / 10000),
                static_cast<unsigned long long>(mag % 10000));
  return TrimFraction(buf);
}

std::string DateText(const DateTime& d) {
  CivilDateTime t = DecodeDateTime(d.days);
  bool has_time = t.hour || t.minute || t.second;
  bool has_date = std::trunc(d.days) != 0 || !has_time;
  char buf[64];
  std::string out;
  if (has_date) {
    std::snprintf(buf, sizeof buf, "%d/%d/%d", t.year, t.month, t.day);
    out = buf;
  }
  if (has_time) {
    std::snprintf(buf, sizeof buf, "%d:%02d:%02d", t.hour, t.minute, t.second);
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace

std::string DecimalToString(const Decimal& d) {
  // 96-bit magnitude to decimal digits by repeated division.
  std::array<uint32_t, 3> m = d.magnitude;
  std::string digits;
  while (m[0] || m[1] || m[2]) {
    uint64_t rem = 0;
    for (int i = 2; i >= 0; --i) {
      uint64_t cur = (rem << 32) | m[i];
      m[i] = static_cast<uint32_t>(cur / 10);
      rem = cur % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + rem));
  }
  if (digits.empty()) digits = "0";
  int scale = d.scale;
  if (scale > 0) {
    if (static_cast<int>(digits.size()) <= scale) {
      digits.insert(0, static_cast<size_t>(scale - static_cast<int>(digits.size()) + 1), '0');
    }
    digits.insert(digits.size() - static_cast<size_t>(scale), ".");
  }
  bool zero = d.magnitude[0] == 0 && d.magnitude[1] == 0 && d.magnitude[2] == 0;
  return (d.negative && !zero ? "-" : "") + digits;
}

std::string GuidToString(const Guid& g) {
  const auto& b = g.bytes;
  char buf[64];
  std::snprintf(buf, sizeof buf,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12], b[13],
                b[14], b[15]);
  return buf;
}

std::string VariantToText(const Variant& v) {
  struct Visitor {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(bool b) const { return b ? "-1" : "0"; }
    std::string operator()(int64_t i) const { return std::to_string(i); }
    std::string operator()(double d) const { return DoubleText(d); }
    std::string operator()(const Currency& c) const { return CurrencyText(c); }
    std::string operator()(const Decimal& d) const { return TrimFraction(DecimalToString(d)); }
    std::string operator()(const DateTime& d) const { return DateText(d); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const Bytes& b) const { return std::string(b.begin(), b.end()); }
    std::string operator()(const Guid& g) const { return GuidToString(g); }
  };
  return std::visit(Visitor{}, v);
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

double EncodeDate(int year, int month, int day) {
  int64_t days = day;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  int64_t y = year - 1;
  days += y * 365 + y / 4 - y / 100 + y / 400;
  return static_cast<double>(days - kDelta);
}

double EncodeTime(int hour, int minute, int second, int millisecond) {
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

CivilDateTime DecodeDateTime(double value) {
  CivilDateTime t;
  if (!std::isfinite(value) || std::fabs(value) > 3e6) return t;
  double whole = std::trunc(value);
  int64_t ms = std::llround(std::fabs(value - whole) * 86400000.0);
  int64_t day_number = static_cast<int64_t>(whole);
  if (ms >= 86400000) {  // rounding reached the next day
    ms -= 86400000;
    day_number += value < 0 ? -1 : 1;
  }
  t.hour = static_cast<int>(ms / 3600000);
  t.minute = static_cast<int>(ms / 60000 % 60);
  t.second = static_cast<int>(ms / 1000 % 60);
  t.millisecond = static_cast<int>(ms % 1000);
  // Days since 0001-01-01 (0 based).
  int64_t n = day_number + kDelta - 1;
  if (n < 0) return t;
  int64_t y400 = n / 146097;
  n %= 146097;
  int64_t y100 = n / 36524;
  if (y100 == 4) y100 = 3;
  n -= y100 * 36524;
  int64_t y4 = n / 1461;
  n %= 1461;
  int64_t y1 = n / 365;
  if (y1 == 4) y1 = 3;
  n -= y1 * 365;
  t.year = static_cast<int>(y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1);
  t.month = 1;
  while (n >= DaysInMonth(t.year, t.month)) {
    n -= DaysInMonth(t.year, t.month);
    ++t.month;
  }
  t.day = static_cast<int>(n + 1);
  return t;
}

}  // namespace provider
