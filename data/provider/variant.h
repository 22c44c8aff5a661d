// Values as the provider hands them over: one variant per column value.
//
// Null is std::monostate. Integers of every width travel as int64_t, single
// and double as double; text is UTF-8 whatever the file stores.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "jet/value.h"

namespace provider {

using Currency = jet::Currency;  // amount times 10,000
using Decimal = jet::Decimal;    // 96-bit magnitude, sign and scale
using DateTime = jet::DateTime;  // days since 1899-12-30, fraction = time of day
using Guid = jet::Guid;
using Bytes = jet::Bytes;

using Variant =
    std::variant<std::monostate,  // null
                 bool, int64_t, double, Currency, Decimal, DateTime, std::string, Bytes, Guid>;

inline bool IsNull(const Variant& v) { return std::holds_alternative<std::monostate>(v); }

// The text a value converts to in the provider's expressions (InStr and the
// like): integers and decimals in full, doubles with up to 15 significant
// digits, currency with up to four decimals, yes/no as -1 and 0, dates as
// "yyyy/M/d H:mm:ss" (the time left out at midnight, the date left out on
// day zero), GUIDs in braces, bytes as they are. Null gives "".
std::string VariantToText(const Variant& v);

// Decimal helpers shared by fields and the provider.
// The decimal's digits with its scale applied ("-12.3400" keeps its zeros).
std::string DecimalToString(const Decimal& d);
// A GUID in its registry form: {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}.
std::string GuidToString(const Guid& g);

}  // namespace provider

namespace provider {

// A date and time broken into its parts.
struct CivilDateTime {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// Parts of an automation date, the time rounded to the millisecond. The
// whole part counts days (negative before 1899-12-30); the fraction's
// magnitude is the time of day.
CivilDateTime DecodeDateTime(double days);
// Days since 1899-12-30 of a valid date (year 1..9999).
double EncodeDate(int year, int month, int day);
// Fraction of a day.
double EncodeTime(int hour, int minute, int second, int millisecond);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace provider
