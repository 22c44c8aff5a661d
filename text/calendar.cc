#include "text/calendar.h"

#include <cmath>
#include <cstdint>

namespace text {
namespace {

// Days from 0001-01-01 to 1899-12-30.
constexpr int64_t kDelta = 693594;

}  // namespace

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

}  // namespace text
