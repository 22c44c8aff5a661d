#include "text/date_text.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

#include "text/calendar.h"
#include "text/case_fold.h"

namespace text {
namespace {

constexpr const char* kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kLongMonths[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
constexpr const char* kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

bool StartsWithNoCase(std::string_view s, size_t i, std::string_view word) {
  if (i + word.size() > s.size()) return false;
  return EqualsIgnoreAsciiCase(s.substr(i, word.size()), word);
}

size_t RunLength(std::string_view s, size_t i) {
  size_t n = 1;
  char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
  while (i + n < s.size() && std::tolower(static_cast<unsigned char>(s[i + n])) == c) ++n;
  return n;
}

std::string Num(int v, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, v);
  return buf;
}

bool PatternHasAmPm(std::string_view p) {
  for (size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '"' || p[i] == '\'') {
      size_t end = p.find(p[i], i + 1);
      if (end == std::string_view::npos) return false;
      i = end;
    } else if (StartsWithNoCase(p, i, "am/pm") || StartsWithNoCase(p, i, "a/p") ||
               StartsWithNoCase(p, i, "ampm")) {
      return true;
    }
  }
  return false;
}

void Append(std::string& out, std::string_view pattern, double value, const RegionalSettings& r,
            int depth) {
  const CivilDateTime t = DecodeDateTime(value);
  const bool twelve = PatternHasAmPm(pattern);
  bool last_was_hour = false;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c == '"' || c == '\'') {
      size_t end = pattern.find(c, i + 1);
      if (end == std::string_view::npos) end = pattern.size();
      out.append(pattern.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (lc == 'a') {
      const bool pm = t.hour >= 12;
      if (StartsWithNoCase(pattern, i, "am/pm")) {
        std::string_view word = pattern.substr(i + (pm ? 3 : 0), 2);
        out.append(word);
        i += 5;
        continue;
      }
      if (StartsWithNoCase(pattern, i, "a/p")) {
        out += pattern[i + (pm ? 2 : 0)];
        i += 3;
        continue;
      }
      if (StartsWithNoCase(pattern, i, "ampm")) {
        out += pm ? r.time_pm : r.time_am;
        i += 4;
        continue;
      }
    }
    const size_t n = RunLength(pattern, i);
    switch (lc) {
      case 'y':
        out += n <= 2 ? Num(t.year % 100, 2) : Num(t.year, 4);
        break;
      case 'm':
        if (last_was_hour && n <= 2) {
          out += Num(t.minute, static_cast<int>(n));
        } else if (n <= 2) {
          out += Num(t.month, static_cast<int>(n));
        } else {
          out += n == 3 ? kShortMonths[t.month - 1] : kLongMonths[t.month - 1];
        }
        break;
      case 'd': {
        const int weekday =
            static_cast<int>(((static_cast<int64_t>(std::floor(value)) % 7) + 7 + 6) % 7);
        if (n <= 2) {
          out += Num(t.day, static_cast<int>(n));
        } else if (n == 3) {
          out += kShortDays[weekday];
        } else if (n == 4) {
          out += kLongDays[weekday];
        } else if (depth < 2) {
          Append(out, r.short_date_format, value, r, depth + 1);
        }
        break;
      }
      case 'h': {
        int h = t.hour;
        if (twelve) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += Num(h, n >= 2 ? 2 : 1);
        break;
      }
      case 'n':
        out += Num(t.minute, n >= 2 ? 2 : 1);
        break;
      case 's':
        out += Num(t.second, n >= 2 ? 2 : 1);
        break;
      case 'z':
        out += n >= 3 ? Num(t.millisecond, 3) : std::to_string(t.millisecond);
        break;
      case 't':
        if (depth < 2) Append(out, r.long_time_format, value, r, depth + 1);
        break;
      case 'c':
        if (depth < 2) {
          Append(out, r.short_date_format, value, r, depth + 1);
          if (t.hour || t.minute || t.second) {
            out += ' ';
            Append(out, r.long_time_format, value, r, depth + 1);
          }
        }
        break;
      case '/':
        out += r.date_separator;
        break;
      case ':':
        out += r.time_separator;
        break;
      default:
        out.append(pattern.substr(i, n));
        break;
    }
    // "m" right after an hour (separators aside) means minutes.
    if (std::isalpha(static_cast<unsigned char>(lc))) last_was_hour = lc == 'h';
    i += n;
  }
}

// --- Reading -----------------------------------------------------------------

class Scanner {
 public:
  Scanner(std::string_view s, const RegionalSettings& r) : s_(s), r_(r) {}
  size_t pos = 0;
  bool Done() const { return pos >= s_.size(); }

  void Blanks() {
    while (pos < s_.size() && s_[pos] == ' ') ++pos;
  }
  bool Number(int* value, int* count) {
    Blanks();
    size_t i = pos;
    int n = 0;
    while (i < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i])) && n < 1000) {
      n = n * 10 + (s_[i] - '0');
      ++i;
    }
    if (i == pos) return false;
    *count = static_cast<int>(i - pos);
    pos = i;
    *value = n;
    return true;
  }
  bool Char(char c) {
    Blanks();
    if (pos < s_.size() && s_[pos] == c) {
      ++pos;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    if (w.empty()) return false;
    Blanks();
    if (pos + w.size() <= s_.size() && EqualsIgnoreCase(s_.substr(pos, w.size()), w)) {
      pos += w.size();
      return true;
    }
    return false;
  }

  enum Order { kMDY, kDMY, kYMD };
  Order DateOrder() const {
    for (char c : r_.short_date_format) {
      switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'E':
        case 'Y':
          return kYMD;
        case 'M':
          return kMDY;
        case 'D':
          return kDMY;
        default:
          break;
      }
    }
    return kMDY;
  }

  bool Date(double* out) {
    int n1, n2, n3, l1, l2, l3;
    int y, m, d;
    if (!(Number(&n1, &l1) && Char(r_.date_separator) && Number(&n2, &l2))) return false;
    const Order order = DateOrder();
    if (Char(r_.date_separator)) {
      if (!Number(&n3, &l3)) return false;
      int year_len;
      switch (order) {
        case kMDY:
          y = n3, year_len = l3, m = n1, d = n2;
          break;
        case kDMY:
          y = n3, year_len = l3, m = n2, d = n1;
          break;
        default:
          y = n1, year_len = l1, m = n2, d = n3;
          break;
      }
      if (year_len <= 2) {
        const int base = r_.CurrentYear() - 50;
        y += base / 100 * 100;
        if (y < base) y += 100;
      }
    } else {
      y = r_.CurrentYear();
      if (order == kDMY) {
        d = n1, m = n2;
      } else {
        m = n1, d = n2;
      }
    }
    Char(r_.date_separator);
    Blanks();
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
      return false;
    }
    *out = EncodeDate(y, m, d);
    return true;
  }

  bool Time(double* out) {
    int base = -1, junk;
    if (Word(r_.time_am) || Word("AM")) {
      base = 0;
    } else if (Word(r_.time_pm) || Word("PM")) {
      base = 12;
    }
    if (base >= 0) Blanks();
    int hour, minute = 0, second = 0, ms = 0;
    if (!Number(&hour, &junk)) return false;
    if (Char(r_.time_separator)) {
      if (!Number(&minute, &junk)) return false;
      if (Char(r_.time_separator)) {
        if (!Number(&second, &junk)) return false;
        if (Char(r_.decimal_separator) && !Number(&ms, &junk)) return false;
      }
    }
    if (base < 0) {
      if (Word(r_.time_am) || Word("AM")) {
        base = 0;
      } else if (Word(r_.time_pm) || Word("PM")) {
        base = 12;
      }
    }
    if (base >= 0) {
      if (hour == 0 || hour > 12) return false;
      if (hour == 12) hour = 0;
      hour += base;
    }
    Blanks();
    if (hour >= 24 || minute >= 60 || second >= 60 || ms >= 1000) return false;
    *out = EncodeTime(hour, minute, second, ms);
    return true;
  }

 private:
  std::string_view s_;
  const RegionalSettings& r_;
};

}  // namespace

int RegionalSettings::CurrentYear() const {
  if (current_year > 0) return current_year;
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return tm.tm_year + 1900;
}

std::string FormatDateTime(std::string_view pattern, double value, const RegionalSettings& r) {
  std::string out;
  Append(out, pattern, value, r, 0);
  return out;
}

std::optional<double> ParseDate(std::string_view text, const RegionalSettings& r) {
  Scanner s(text, r);
  double d;
  if (s.Date(&d) && s.Done()) return d;
  return std::nullopt;
}

std::optional<double> ParseTime(std::string_view text, const RegionalSettings& r) {
  Scanner s(text, r);
  double t;
  if (s.Time(&t) && s.Done()) return t;
  return std::nullopt;
}

std::optional<double> ParseDateTime(std::string_view text, const RegionalSettings& r) {
  Scanner s(text, r);
  double date = 0, time = 0;
  if (s.Date(&date) && (s.Done() || s.Time(&time))) {
    return date >= 0 ? date + time : date - time;
  }
  return ParseTime(text, r);
}

}  // namespace text
