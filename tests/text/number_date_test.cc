// Number and date texts: the general forms fields and footers show, display
// patterns, and reading dates in the regional order.
#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdint>

#include "text/calendar.h"
#include "text/date_text.h"
#include "text/number_text.h"

namespace text {
namespace {

TEST(NumberTextTest, GeneralAndFixedForms) {
  struct Case {
    double value;
    int precision;
    char separator;
    const char* expected;
  };
  const Case cases[] = {
      {0, 15, '.', "0"},
      {1.5, 15, '.', "1.5"},
      {-1234.5, 15, ',', "-1234,5"},
      {0.1 + 0.2, 15, '.', "0.3"},
      {1.0 / 3, 15, '.', "0.333333333333333"},
      {0.0001, 15, '.', "0.0001"},
      {0.00005, 15, '.', "5E-5"},
      {1e20, 15, '.', "1E20"},
      {1.5e-7, 15, ',', "1,5E-7"},
      {123456789012345.0, 15, '.', "123456789012345"},
      {1234567890123456.0, 15, '.', "1.23456789012346E15"},
      {2.6, 1, '.', "3"},
      {1234.5, 3, '.', "1.23E3"},
      {2.6, 0, '.', "3"},                          // precision below 1 means 1
      {1.0 / 3, 40, '.', "0.333333333333333315"},  // and above 18 means 18
      {-INFINITY, 15, '.', "-INF"},
      {NAN, 15, '.', "NAN"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatGeneral(c.value, c.precision, c.separator), c.expected) << c.value;
  }
  EXPECT_EQ(FormatFixed4(125000, ','), "12,5");
  EXPECT_EQ(FormatFixed4(20000, '.'), "2");
  EXPECT_EQ(FormatFixed4(-1, '.'), "-0.0001");
  EXPECT_EQ(FormatFixed4(INT64_MIN, '.'), "-922337203685477.5808");
}

TEST(NumberTextTest, DisplayPatterns) {
  struct Case {
    const char* pattern;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {"0.00", 1.5, "1.50"},
      {"0.00", -1.5, "-1.50"},
      {"#,##0.00", 1234567.891, "1,234,567.89"},
      {"#,##0", 999, "999"},
      {"#.##", 0.5, ".5"},
      {"0.##", 2, "2"},
      {"000", 7, "007"},
      {"0", 12345, "12345"},
      {"0.0 'kg'", 3.25, "3.3 kg"},
      {"0.00", 1.005, "1.01"},  // rounds the value as written, not its binary neighbour
      {"\"$\"0.00", 4, "$4.00"},
      {"0.00;(0.00)", -2, "(2.00)"},
      {"0.00;(0.00);'zero'", 0.001, "zero"},
      {"0.0", -0.01, "0.0"},  // no sign on what shows as zero
      {"", 2.5, "2.5"},
      {"0.00", INFINITY, "INF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumberPattern(c.pattern, c.value, '.'), c.expected) << c.pattern;
  }
  EXPECT_EQ(FormatNumberPattern("#,##0.00", 1234.5, ','), "1,234,50");
}

// A program runs in the user's locale, and some locales write "1,5" where
// the C library reads and writes numbers: the texts must not follow it.
TEST(NumberTextTest, TheProcessLocaleChangesNothing) {
  locale_t comma = static_cast<locale_t>(0);
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    comma = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (comma != static_cast<locale_t>(0)) break;
  }
  if (comma == static_cast<locale_t>(0)) GTEST_SKIP() << "no locale with a decimal comma here";
  const locale_t before = uselocale(comma);
  EXPECT_EQ(ParseFloat("12.5", '.'), 12.5);
  EXPECT_EQ(ParseFloat("12,5", ','), 12.5);
  EXPECT_EQ(FormatGeneral(12.5, 15, '.'), "12.5");
  EXPECT_EQ(FormatNumberPattern("0.00", 12.5, '.'), "12.50");
  uselocale(before);
  freelocale(comma);
}

TEST(CalendarTest, RoundTripsAndTheDateOrderComesFromTheShortDateFormat) {
  for (int y : {1, 100, 1899, 1900, 2000, 2024, 9999}) {
    for (int m : {1, 2, 12}) {
      const int d = DaysInMonth(y, m);
      CivilDateTime t = DecodeDateTime(EncodeDate(y, m, d));
      EXPECT_EQ(t.year, y);
      EXPECT_EQ(t.month, m);
      EXPECT_EQ(t.day, d);
    }
  }
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  CivilDateTime t = DecodeDateTime(-1.25);
  EXPECT_EQ(t.day, 29);
  EXPECT_EQ(t.hour, 6);
  // The date order comes from the short date format.
  RegionalSettings r;
  r.current_year = 2026;
  r.short_date_format = "dd.MM.yyyy";
  r.date_separator = '.';
  EXPECT_EQ(ParseDate("5.3.2024", r), EncodeDate(2024, 3, 5));
  EXPECT_EQ(ParseDate("5.3", r), EncodeDate(2026, 3, 5));
  r.short_date_format = "M/d/yy";
  r.date_separator = '/';
  EXPECT_EQ(ParseDate("3/5/24", r), EncodeDate(2024, 3, 5));
  EXPECT_EQ(ParseDate("3/5/24/", r), EncodeDate(2024, 3, 5));
  EXPECT_FALSE(ParseDate("3/5/", r).has_value());
  r.short_date_format = "";  // no letter at all: month first
  EXPECT_EQ(ParseDate("3/5/2024", r), EncodeDate(2024, 3, 5));
  // Digits are read while the number is below 1000.
  EXPECT_FALSE(ParseDate("3/5/20245", r).has_value());
}

TEST(DateTextTest, Patterns) {
  RegionalSettings r;
  r.short_date_format = "yyyy/M/d";
  r.long_time_format = "H:mm:ss";
  r.time_am = "上午";
  r.time_pm = "下午";
  const double when = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 30);  // a Saturday
  struct Case {
    const char* pattern;
    const char* expected;
  };
  const Case cases[] = {
      {"yyyy-mm-dd hh:nn:ss", "2026-03-07 14:05:09"},
      {"yy 'at' h am/pm", "26 at 2 pm"},
      {"YY \"at\" H AM/PM", "26 at 2 PM"},
      {"h:mm a/p", "2:05 p"},
      {"hh ampm", "02 下午"},
      {"h:m", "14:5"},  // minutes right after an hour
      {"d ddd dddd", "7 Sat Saturday"},
      {"m mm mmm mmmm", "3 03 Mar March"},
      {"s.zzz z", "9.030 30"},
      {"c", "2026/3/7 14:05:09"},
      {"ddddd t", "2026/3/7 14:05:09"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatDateTime(c.pattern, when, r), c.expected) << c.pattern;
  r.date_separator = '.';
  r.time_separator = '-';
  EXPECT_EQ(FormatDateTime("yyyy/m/d h:mm", when, r), "2026.3.7 14-05");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 7), r), "2026.3.7");  // midnight: no time
}

}  // namespace
}  // namespace text
