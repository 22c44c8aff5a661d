#include "jet/value_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace jet {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *d = doy - (153 * mp + 2) / 5 + 1;
  *m = mp < 10 ? mp + 3 : mp - 9;
  *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2 ? 1 : 0);
}

constexpr int64_t kAutomationEpoch = -25569;  // 1899-12-30 in days since 1970-01-01

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

// The decimal digits of a 96-bit magnitude (least significant word first).
std::string MagnitudeDigits(std::array<uint32_t, 3> w) {
  std::string digits;
  while (w[0] != 0 || w[1] != 0 || w[2] != 0) {
    uint64_t rem = 0;
    for (int i = 2; i >= 0; --i) {
      uint64_t cur = (rem << 32) | w[i];
      w[i] = static_cast<uint32_t>(cur / 10);
      rem = cur % 10;
    }
    digits.insert(digits.begin(), static_cast<char>('0' + rem));
  }
  return digits.empty() ? "0" : digits;
}

// Places a decimal point `scale` digits from the right and trims zeros after it.
std::string ScaledDigits(std::string digits, int scale, bool negative) {
  if (scale > 0) {
    if (static_cast<int>(digits.size()) <= scale) {
      digits.insert(0, static_cast<size_t>(scale) + 1 - digits.size(), '0');
    }
    digits.insert(digits.size() - static_cast<size_t>(scale), ".");
    while (digits.back() == '0') digits.pop_back();
    if (digits.back() == '.') digits.pop_back();
  }
  if (negative && digits != "0") digits.insert(0, "-");
  return digits;
}

}  // namespace

std::string FormatFloating(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
  // buf: [-]d.ddddde[+-]xx
  std::string s(buf);
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  size_t e = s.find('e');
  int exponent = std::atoi(s.c_str() + e + 1);
  std::string mantissa;
  for (size_t i = 0; i < e; ++i) {
    if (s[i] != '.') mantissa.push_back(s[i]);
  }
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
  // value = 0.mantissa * 10^(exponent + 1)
  int point = exponent + 1;  // digits before the decimal point
  std::string out;
  if (point <= 0) {
    out = "0." + std::string(static_cast<size_t>(-point), '0') + mantissa;
  } else if (static_cast<size_t>(point) >= mantissa.size()) {
    out = mantissa + std::string(static_cast<size_t>(point) - mantissa.size(), '0');
  } else {
    out = mantissa.substr(0, static_cast<size_t>(point)) + "." +
          mantissa.substr(static_cast<size_t>(point));
  }
  return negative ? "-" + out : out;
}

std::string FormatDateTime(double days) {
  if (!(std::fabs(days) < 3.0e6)) return FormatFloating(days, 15);  // far outside the calendar
  double whole = std::trunc(days);
  double fraction = std::fabs(days - whole);
  auto seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
  auto day = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += 1;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(day + kAutomationEpoch, &y, &m, &d);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(y), m, d,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buf;
}

void AppendValue(const Value& value, std::string* out) {
  struct Visitor {
    std::string* out;
    void operator()(std::monostate) const {}
    void operator()(bool b) const { out->push_back(b ? '1' : '0'); }
    void operator()(uint8_t v) const { out->append(std::to_string(v)); }
    void operator()(int16_t v) const { out->append(std::to_string(v)); }
    void operator()(int32_t v) const { out->append(std::to_string(v)); }
    void operator()(float v) const { out->append(FormatFloating(v, 7)); }
    void operator()(double v) const { out->append(FormatFloating(v, 15)); }
    void operator()(const Currency& c) const {
      bool negative = c.scaled < 0;
      uint64_t mag =
          negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
      out->append(ScaledDigits(std::to_string(mag), 4, negative));
    }
    void operator()(const Decimal& d) const {
      out->append(ScaledDigits(MagnitudeDigits(d.magnitude), d.scale, d.negative));
    }
    void operator()(const DateTime& t) const { out->append(FormatDateTime(t.days)); }
    void operator()(const std::string& s) const { out->append(s); }
    void operator()(const Bytes& b) const {
      static const char kHex[] = "0123456789abcdef";
      out->reserve(out->size() + b.size() * 2);
      for (uint8_t x : b) {
        out->push_back(kHex[x >> 4]);
        out->push_back(kHex[x & 15]);
      }
    }
    void operator()(const Guid& g) const {
      const auto& b = g.bytes;
      char buf[64];
      std::snprintf(buf, sizeof buf,
                    "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[3],
                    b[2], b[1], b[0], b[5], b[4], b[7], b[6], b[8], b[9], b[10], b[11], b[12],
                    b[13], b[14], b[15]);
      out->append(buf);
    }
  };
  std::visit(Visitor{out}, value);
}

std::string FormatValue(const Value& value) {
  std::string out;
  AppendValue(value, &out);
  return out;
}

void AppendCsvField(const Value& value, std::string* out) {
  if (const auto* s = std::get_if<std::string>(&value)) {
    out->push_back('"');
    for (char c : *s) {
      if (c == '"') out->push_back('"');
      out->push_back(c);
    }
    out->push_back('"');
  } else if (std::holds_alternative<Guid>(value)) {
    out->push_back('"');
    AppendValue(value, out);
    out->push_back('"');
  } else {
    AppendValue(value, out);
  }
}

std::string CsvField(const Value& value) {
  std::string out;
  AppendCsvField(value, &out);
  return out;
}

std::string CsvName(const std::string& name) {
  if (name.find_first_of(",\"\r\n") == std::string::npos) return name;
  return Quote(name);
}

}  // namespace jet
