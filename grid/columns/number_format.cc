#include "grid/columns/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "data/provider/variant.h"

namespace grid {
namespace {

// Splits a pattern at ';' outside quotes.
std::vector<std::string> SplitSections(const std::string& pattern) {
  std::vector<std::string> sections(1);
  char quote = 0;
  for (char c : pattern) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      sections.emplace_back();
      continue;
    }
    sections.back() += c;
  }
  return sections;
}

struct PatternShape {
  int int_placeholders = 0;
  int min_int_digits = 0;
  int frac_placeholders = 0;
  int frac_forced = 0;
  bool thousands = false;
  bool has_placeholders = false;
};

PatternShape Analyse(const std::string& section) {
  PatternShape shape;
  bool after_point = false;
  bool seen_int_zero = false;
  char quote = 0;
  for (char c : section) {
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '0' || c == '#') {
      shape.has_placeholders = true;
      if (after_point) {
        ++shape.frac_placeholders;
        if (c == '0') shape.frac_forced = shape.frac_placeholders;
      } else {
        ++shape.int_placeholders;
        if (c == '0') seen_int_zero = true;
        if (seen_int_zero) ++shape.min_int_digits;
      }
    } else if (c == '.' && !after_point) {
      after_point = true;
    } else if (c == ',' && !after_point) {
      shape.thousands = true;
    }
  }
  return shape;
}

// Digits of |value| rounded to `decimals` places, half away from zero, on
// its 15 significant decimal digits (so 1.005 rounds as written, to 1.01):
// the integer part without leading zeros ("0" for none) and the fraction.
void SplitDigits(double magnitude, int decimals, std::string* int_digits,
                 std::string* frac_digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", magnitude);
  std::string text(buffer);
  std::size_t e = text.find('e');
  std::string digits;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];
  }
  long point = std::strtol(text.c_str() + e + 1, nullptr, 10) + 1;
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  std::size_t keep = static_cast<std::size_t>(point) + static_cast<std::size_t>(decimals);
  if (digits.size() < keep) digits.append(keep - digits.size(), '0');
  bool round_up = digits.size() > keep && digits[keep] >= '5';
  digits.resize(keep);
  if (round_up) {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(0, "1");
      ++point;
    } else {
      ++digits[i - 1];
    }
  }
  *int_digits = digits.substr(0, static_cast<std::size_t>(point));
  frac_digits->assign(digits, static_cast<std::size_t>(point), std::string::npos);
  std::size_t first = int_digits->find_first_not_of('0');
  *int_digits = first == std::string::npos ? "0" : int_digits->substr(first);
}

std::string FormatSection(const std::string& section, double magnitude, char separator,
                          bool minus) {
  PatternShape shape = Analyse(section);
  std::string int_digits, frac_digits;
  SplitDigits(magnitude, shape.frac_placeholders, &int_digits, &frac_digits);
  while (static_cast<int>(frac_digits.size()) > shape.frac_forced && !frac_digits.empty() &&
         frac_digits.back() == '0') {
    frac_digits.pop_back();
  }
  if (int_digits == "0") int_digits.clear();
  while (static_cast<int>(int_digits.size()) < shape.min_int_digits) int_digits.insert(0, "0");

  // Integer digits as output tokens, grouped by three when asked.
  std::vector<std::string> tokens;
  for (std::size_t i = 0; i < int_digits.size(); ++i) {
    std::string token(1, int_digits[i]);
    std::size_t left = int_digits.size() - i - 1;
    if (shape.thousands && left > 0 && left % 3 == 0) token += ',';
    tokens.push_back(token);
  }

  std::string out;
  if (minus) out += '-';
  int int_seen = 0;
  int frac_seen = 0;
  bool after_point = false;
  int excess = static_cast<int>(tokens.size()) - shape.int_placeholders;
  char quote = 0;
  for (char c : section) {
    if (quote) {
      if (c == quote) {
        quote = 0;
      } else {
        out += c;
      }
      continue;
    }
    if (c == '"' || c == '\'') {
      quote = c;
    } else if ((c == '0' || c == '#') && !after_point) {
      if (int_seen == 0) {
        for (int i = 0; i < excess; ++i) out += tokens[static_cast<std::size_t>(i)];
      }
      // Placeholder k (from the left) shows the token right-aligned to it.
      int token_index = int_seen + excess;
      if (token_index >= 0 && token_index < static_cast<int>(tokens.size())) {
        out += tokens[static_cast<std::size_t>(token_index)];
      }
      ++int_seen;
    } else if ((c == '0' || c == '#') && after_point) {
      if (frac_seen < static_cast<int>(frac_digits.size())) {
        out += frac_digits[static_cast<std::size_t>(frac_seen)];
      }
      ++frac_seen;
    } else if (c == '.' && !after_point) {
      after_point = true;
      if (!frac_digits.empty()) out += separator;
    } else if (c == ',' && !after_point) {
      // Grouping is applied to the digits themselves.
    } else {
      out += c;
    }
  }
  return out;
}

void Append2(std::string& out, int value) {
  if (value < 10) out += '0';
  out += std::to_string(value);
}

}  // namespace

std::string FormatGeneralFloat(double value, int precision, char decimal_separator) {
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, value);
  std::string text(buffer);
  bool negative = text[0] == '-';
  if (negative) text.erase(0, 1);
  std::size_t e = text.find('e');
  int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') digits += text[i];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent >= -4 && exponent < precision) {
    if (exponent < 0) {
      out += '0';
      out += decimal_separator;
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else {
      std::size_t int_len = static_cast<std::size_t>(exponent) + 1;
      if (digits.size() <= int_len) {
        out += digits;
        out.append(int_len - digits.size(), '0');
      } else {
        out += digits.substr(0, int_len);
        out += decimal_separator;
        out += digits.substr(int_len);
      }
    }
    return out;
  }
  out += digits[0];
  if (digits.size() > 1) {
    out += decimal_separator;
    out += digits.substr(1);
  }
  out += 'E';
  if (exponent < 0) out += '-';
  out += std::to_string(std::abs(exponent));
  return out;
}

std::string FormatFixedGeneral(TFixed value, char decimal_separator) {
  bool negative = value < 0;
  // Work on the unsigned magnitude so the most negative value is exact.
  unsigned long long magnitude = negative ? 0ull - static_cast<unsigned long long>(value)
                                          : static_cast<unsigned long long>(value);
  std::string out = negative ? "-" : "";
  out += std::to_string(magnitude / kFixedScale);
  std::string frac = std::to_string(magnitude % kFixedScale);
  frac.insert(0, 4 - frac.size(), '0');
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  if (!frac.empty()) {
    out += decimal_separator;
    out += frac;
  }
  return out;
}

std::string FormatFloatPattern(const std::string& pattern, double value, char decimal_separator) {
  if (pattern.empty() || !std::isfinite(value))
    return FormatGeneralFloat(value, 15, decimal_separator);
  std::vector<std::string> sections = SplitSections(pattern);
  double magnitude = std::fabs(value);
  // Which section: the zero section wins when the shown value rounds to 0.
  const std::string* section = &sections[0];
  bool minus = false;
  if (value < 0) {
    if (sections.size() >= 2 && !sections[1].empty()) {
      section = &sections[1];
    } else {
      minus = true;
    }
  }
  if (sections.size() >= 3 && !sections[2].empty()) {
    PatternShape shape = Analyse(*section);
    std::string int_digits, frac_digits;
    SplitDigits(magnitude, shape.frac_placeholders, &int_digits, &frac_digits);
    if (int_digits.find_first_not_of('0') == std::string::npos &&
        frac_digits.find_first_not_of('0') == std::string::npos) {
      section = &sections[2];
      minus = false;
    }
  }
  if (section->empty()) return FormatGeneralFloat(value, 15, decimal_separator);
  if (minus) {
    // No sign for a value that shows as zero.
    PatternShape shape = Analyse(*section);
    std::string int_digits, frac_digits;
    SplitDigits(magnitude, shape.frac_placeholders, &int_digits, &frac_digits);
    if (int_digits.find_first_not_of('0') == std::string::npos &&
        frac_digits.find_first_not_of('0') == std::string::npos) {
      minus = false;
    }
  }
  return FormatSection(*section, magnitude, decimal_separator, minus);
}

std::string FormatDateTimePattern(const std::string& pattern, double days, char date_separator,
                                  char time_separator) {
  provider::CivilDateTime t = provider::DecodeDateTime(days);
  std::string out;
  bool after_hour = false;
  std::size_t i = 0;
  auto run = [&](char c) {
    std::size_t n = 0;
    while (i + n < pattern.size() && (pattern[i + n] | 0x20) == c) ++n;
    return n;
  };
  bool twelve_hour = false;
  {
    std::string lower;
    for (char c : pattern) lower += static_cast<char>(c | 0x20);
    twelve_hour = lower.find("am/pm") != std::string::npos;
  }
  while (i < pattern.size()) {
    char c = pattern[i];
    char lc = static_cast<char>(c | 0x20);
    if (c == '"' || c == '\'') {
      std::size_t end = pattern.find(c, i + 1);
      if (end == std::string::npos) end = pattern.size();
      out += pattern.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (lc == 'a' && pattern.size() - i >= 5 &&
        (pattern.substr(i, 5) == "am/pm" || pattern.substr(i, 5) == "AM/PM")) {
      bool upper = c == 'A';
      out += t.hour < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += 5;
      continue;
    }
    std::size_t n;
    switch (lc) {
      case 'y':
        n = run('y');
        if (n <= 2) {
          Append2(out, t.year % 100);
        } else {
          out += std::to_string(t.year);
        }
        i += n;
        after_hour = false;
        continue;
      case 'm':
        n = run('m');
        if (after_hour) {
          if (n >= 2) {
            Append2(out, t.minute);
          } else {
            out += std::to_string(t.minute);
          }
        } else if (n >= 2) {
          Append2(out, t.month);
        } else {
          out += std::to_string(t.month);
        }
        i += n;
        after_hour = false;
        continue;
      case 'd':
        n = run('d');
        if (n >= 2) {
          Append2(out, t.day);
        } else {
          out += std::to_string(t.day);
        }
        i += n;
        after_hour = false;
        continue;
      case 'h': {
        n = run('h');
        int hour = t.hour;
        if (twelve_hour) {
          hour %= 12;
          if (hour == 0) hour = 12;
        }
        if (n >= 2) {
          Append2(out, hour);
        } else {
          out += std::to_string(hour);
        }
        i += n;
        after_hour = true;
        continue;
      }
      case 'n':
        n = run('n');
        if (n >= 2) {
          Append2(out, t.minute);
        } else {
          out += std::to_string(t.minute);
        }
        i += n;
        after_hour = false;
        continue;
      case 's':
        n = run('s');
        if (n >= 2) {
          Append2(out, t.second);
        } else {
          out += std::to_string(t.second);
        }
        i += n;
        after_hour = false;
        continue;
      case 'z': {
        n = run('z');
        std::string ms = std::to_string(t.millisecond);
        if (n >= 3) ms.insert(0, 3 - ms.size(), '0');
        out += ms;
        i += n;
        continue;
      }
      default:
        break;
    }
    if (c == '/') {
      out += date_separator;
    } else if (c == ':') {
      out += time_separator;
    } else {
      out += c;
    }
    ++i;
  }
  return out;
}

}  // namespace grid
