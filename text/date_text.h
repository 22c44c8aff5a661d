// Date and time texts: writing automation dates (text/calendar.h) by
// patterns, and reading the dates and times the user typed, under the
// given regional settings.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/regional.h"

namespace text {

// Formats an automation date with a date-time pattern: d, dd (day), ddd,
// dddd (weekday name), ddddd (short date); m, mm (month, or minutes right
// after an hour), mmm, mmmm (month name); yy, yyyy; h, hh; n, nn; s, ss;
// z, zzz (milliseconds); t (long time), c (short date, and the long time
// unless midnight); am/pm, a/p (in the pattern's own letter case) and ampm
// (the regional texts); "/" and ":" become the regional separators; text in
// quotes is copied. Letters of the pattern may be in either case.
std::string FormatDateTime(std::string_view pattern, double value, const RegionalSettings& r);

// Date, time and date-with-time texts under the regional formats.
std::optional<double> ParseDate(std::string_view text, const RegionalSettings& r);
std::optional<double> ParseTime(std::string_view text, const RegionalSettings& r);
std::optional<double> ParseDateTime(std::string_view text, const RegionalSettings& r);

}  // namespace text
