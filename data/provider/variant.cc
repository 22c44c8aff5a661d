#include "data/provider/variant.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "text/calendar.h"
#include "text/number_text.h"

namespace provider {
namespace {

std::string TrimFraction(std::string s) {
  if (s.find('.') == std::string::npos) return s;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

// The general number form, with the exponent's sign always written
// ("1E+20", "1.5E-7") as expressions convert numbers to text.
std::string DoubleText(double v) {
  std::string s = text::FormatGeneral(v, 15, '.');
  const size_t e = s.find('E');
  if (e != std::string::npos && s[e + 1] != '-') s.insert(e + 1, "+");
  return s;
}

std::string DateText(const DateTime& d) {
  const text::CivilDateTime t = text::DecodeDateTime(d.days);
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
    std::string operator()(const Currency& c) const { return text::FormatFixed4(c.scaled, '.'); }
    std::string operator()(const Decimal& d) const { return TrimFraction(DecimalToString(d)); }
    std::string operator()(const DateTime& d) const { return DateText(d); }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const Bytes& b) const { return std::string(b.begin(), b.end()); }
    std::string operator()(const Guid& g) const { return GuidToString(g); }
  };
  return std::visit(Visitor{}, v);
}

}  // namespace provider
