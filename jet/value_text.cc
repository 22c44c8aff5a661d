#include "jet/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// Amounts and measures have a few decimals: when `value` reads back from an
// integer of at most 15 digits over a power of ten up to 10^8, that decimal
// is the value's 15-digit rounding (every decimal of 15 digits survives the
// trip through a double). Appends it and returns true; false otherwise.
bool AppendShortDecimal(double value, std::string* out) {
  const double magnitude = std::fabs(value);
  double scale = 1;
  for (int decimals = 0; decimals <= 8; ++decimals, scale *= 10) {
    const double scaled = magnitude * scale;
    if (scaled >= 1e15) return false;
    const double whole = std::nearbyint(scaled);
    if (whole / scale != magnitude) continue;
    char digits[24];
    const char* end =
        std::to_chars(digits, digits + sizeof digits, static_cast<uint64_t>(whole)).ptr;
    // The fewest decimals that read back: the last digit after the point is
    // never a zero.
    const auto n = static_cast<size_t>(end - digits);
    const auto point = static_cast<size_t>(decimals);
    if (value < 0) out->push_back('-');
    if (n <= point) {
      out->append("0.");
      out->append(point - n, '0');
      out->append(digits, n);
    } else {
      out->append(digits, n - point);
      if (point > 0) {
        out->push_back('.');
        out->append(digits + (n - point), point);
      }
    }
    return true;
  }
  return false;
}

}  // namespace

void AppendInteger(int64_t value, std::string* out) {
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;  // 24 bytes hold any 64-bit integer
  out->append(buf, end);
}

void AppendFloating(double value, int digits, std::string* out) {
  if (std::isnan(value)) {
    out->append("NaN");
    return;
  }
  if (std::isinf(value)) {
    out->append(value < 0 ? "-Infinity" : "Infinity");
    return;
  }
  if (value == 0) {
    out->push_back('0');
    return;
  }
  if (digits == 15 && AppendShortDecimal(value, out)) return;
  // [-]d.ddddde[+-]xx, correctly rounded to `digits` significant digits.
  // The shortest form that reads back as `value` is much cheaper to find;
  // with at most 15 digits it is also the 15-digit rounding, since every
  // decimal of 15 digits survives the trip through a double.
  char buf[64];
  // 64 bytes hold any double with up to 17 digits.
  char* end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific).ptr;
  if (digits != 15 || std::find(buf, end, 'e') - buf > (buf[0] == '-' ? 17 : 16)) {
    end =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, digits - 1).ptr;
  }
  const char* p = buf;
  const bool negative = *p == '-';
  if (negative) ++p;
  const char* e = std::find(p, static_cast<const char*>(end), 'e');
  int exponent = 0;
  std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), end, exponent);
  char mantissa[32];
  size_t n = 0;
  for (const char* q = p; q < e; ++q) {
    if (*q != '.') mantissa[n++] = *q;
  }
  while (n > 1 && mantissa[n - 1] == '0') --n;
  // value = 0.mantissa * 10^(exponent + 1)
  const int point = exponent + 1;  // digits before the decimal point
  if (negative) out->push_back('-');
  if (point <= 0) {
    out->append("0.");
    out->append(static_cast<size_t>(-point), '0');
    out->append(mantissa, n);
  } else if (static_cast<size_t>(point) >= n) {
    out->append(mantissa, n);
    out->append(static_cast<size_t>(point) - n, '0');
  } else {
    out->append(mantissa, static_cast<size_t>(point));
    out->push_back('.');
    out->append(mantissa + point, n - static_cast<size_t>(point));
  }
}

std::string FormatFloating(double value, int digits) {
  std::string out;
  AppendFloating(value, digits, &out);
  return out;
}

namespace {

// The calendar date and the second of the day that `days` (days since
// 1899-12-30, the time as a fraction) stands for, rounded to the second.
struct CivilTime {
  int64_t y;
  unsigned m, d;
  int64_t seconds;
};
CivilTime SplitDays(double days) {
  double whole = std::trunc(days);
  double fraction = std::fabs(days - whole);
  auto seconds = static_cast<int64_t>(std::llround(fraction * 86400.0));
  auto day = static_cast<int64_t>(whole);
  if (seconds >= 86400) {
    seconds -= 86400;
    day += 1;
  }
  CivilTime t{};
  CivilFromDays(day + kAutomationEpoch, &t.y, &t.m, &t.d);
  t.seconds = seconds;
  return t;
}

}  // namespace

void AppendDateTime(double days, std::string* out) {
  if (!(std::fabs(days) < 3.0e6)) {  // far outside the calendar
    AppendFloating(days, 15, out);
    return;
  }
  const auto [y, m, d, seconds] = SplitDays(days);
  if (y < 0 || y > 9999) {
    out->append(FormatDateTime(days));
    return;
  }
  // Digits by hand: a table of dates formats one per row.
  char buf[19];
  auto put2 = [&buf](int at, unsigned v) {
    buf[at] = static_cast<char>('0' + v / 10);
    buf[at + 1] = static_cast<char>('0' + v % 10);
  };
  put2(0, static_cast<unsigned>(y / 100));
  put2(2, static_cast<unsigned>(y % 100));
  buf[4] = '-';
  put2(5, m);
  buf[7] = '-';
  put2(8, d);
  buf[10] = ' ';
  put2(11, static_cast<unsigned>(seconds / 3600));
  buf[13] = ':';
  put2(14, static_cast<unsigned>(seconds / 60 % 60));
  buf[16] = ':';
  put2(17, static_cast<unsigned>(seconds % 60));
  out->append(buf, sizeof buf);
}

std::string FormatDateTime(double days) {
  if (!(std::fabs(days) < 3.0e6)) return FormatFloating(days, 15);  // far outside the calendar
  const auto [y, m, d, seconds] = SplitDays(days);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(y), m, d,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return buf;
}

std::string FormatExtendedDateTime(const ExtendedDateTime& value) {
  constexpr int64_t kTicksPerSecond = 10'000'000;
  constexpr int64_t kTicksPerDay = kTicksPerSecond * 86400;
  // Day 0 of the extended type is 0001-01-01, 693593 days before 1899-12-30.
  constexpr int64_t kDaysToAutomationEpoch = 693593;
  int64_t day = value.ticks / kTicksPerDay;
  int64_t rest = value.ticks % kTicksPerDay;
  if (rest < 0) {
    rest += kTicksPerDay;
    --day;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(day - kDaysToAutomationEpoch + kAutomationEpoch, &y, &m, &d);
  int64_t seconds = rest / kTicksPerSecond;
  char buf[80];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02d:%02d:%02d.%07lld",
                static_cast<long long>(y), m, d, static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
                static_cast<long long>(rest % kTicksPerSecond));
  return buf;
}

void AppendValue(const Value& value, std::string* out) {
  struct Visitor {
    std::string* out;
    void operator()(std::monostate) const {}
    void operator()(bool b) const { out->push_back(b ? '1' : '0'); }
    void operator()(uint8_t v) const { AppendInteger(v, out); }
    void operator()(int16_t v) const { AppendInteger(v, out); }
    void operator()(int32_t v) const { AppendInteger(v, out); }
    void operator()(int64_t v) const { AppendInteger(v, out); }
    void operator()(const ExtendedDateTime& t) const { out->append(FormatExtendedDateTime(t)); }
    void operator()(float v) const { AppendFloating(v, 7, out); }
    void operator()(double v) const { AppendFloating(v, 15, out); }
    void operator()(const Currency& c) const {
      bool negative = c.scaled < 0;
      uint64_t mag =
          negative ? 0 - static_cast<uint64_t>(c.scaled) : static_cast<uint64_t>(c.scaled);
      out->append(ScaledDigits(std::to_string(mag), 4, negative));
    }
    void operator()(const Decimal& d) const {
      out->append(ScaledDigits(MagnitudeDigits(d.magnitude), d.scale, d.negative));
    }
    void operator()(const DateTime& t) const { AppendDateTime(t.days, out); }
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

bool CsvQuoted(ColumnType type) {
  return type == ColumnType::kText || type == ColumnType::kMemo || type == ColumnType::kGuid ||
         type == ColumnType::kComplex;
}

void DoubleCsvQuotes(std::string* out, size_t start) {
  // Quotes are rare: look for one with memchr before counting them.
  if (start >= out->size() ||
      std::memchr(out->data() + start, '"', out->size() - start) == nullptr) {
    return;
  }
  size_t quotes = std::count(out->begin() + static_cast<std::ptrdiff_t>(start), out->end(), '"');
  size_t from = out->size();
  out->resize(from + quotes);
  // Back to front, so each byte moves once.
  for (size_t to = out->size(); quotes > 0;) {
    const char c = (*out)[--from];
    (*out)[--to] = c;
    if (c == '"') {
      (*out)[--to] = '"';
      --quotes;
    }
  }
}

void AppendCsvField(const Value& value, std::string* out) {
  if (const auto* s = std::get_if<std::string>(&value)) {
    out->push_back('"');
    const size_t start = out->size();
    out->append(*s);
    DoubleCsvQuotes(out, start);
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
