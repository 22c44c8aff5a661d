// Automation dates, the database's date and time values: days since
// 1899-12-30 with the time of day as the fraction, on the proleptic
// Gregorian calendar.
#pragma once

namespace text {

// A date and time broken into its parts.
struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Parts of an automation date, the time rounded to the millisecond. The
// whole part counts days (negative before 1899-12-30); the fraction's
// magnitude is the time of day. A value that is not finite or lies beyond
// 3,000,000 days gives 1899-12-30 00:00; a day before the year 1 keeps its
// time on that date.
CivilDateTime DecodeDateTime(double days);
// Days since 1899-12-30 of a valid date (year 1..9999).
double EncodeDate(int year, int month, int day);
// Fraction of a day.
double EncodeTime(int hour, int minute, int second, int millisecond);
bool IsLeapYear(int year);
// Days in `month` (1..12) of `year`; 0 for another month number.
int DaysInMonth(int year, int month);

}  // namespace text
