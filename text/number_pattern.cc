// Numeric display patterns ("#,##0.00;(#,##0.00);-").
#include <cmath>
#include <cstdlib>
#include <vector>

#include "text/number_text.h"

namespace text {
namespace {

// Splits a pattern at ';' outside quotes.
std::vector<std::string> SplitSections(std::string_view pattern) {
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
  std::string sci = FormatScientific(magnitude, 14);
  std::size_t e = sci.find('e');
  std::string digits;
  for (std::size_t i = 0; i < e; ++i) {
    if (sci[i] >= '0' && sci[i] <= '9') digits += sci[i];
  }
  long point = std::strtol(sci.c_str() + e + 1, nullptr, 10) + 1;
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

}  // namespace

std::string FormatNumberPattern(std::string_view pattern, double value, char decimal_separator) {
  if (pattern.empty() || !std::isfinite(value)) return FormatGeneral(value, 15, decimal_separator);
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
  if (section->empty()) return FormatGeneral(value, 15, decimal_separator);
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

}  // namespace text
