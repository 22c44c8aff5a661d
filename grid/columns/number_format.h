// Number and date texts for footers and formatted cells: the general float
// form, the fixed-point form, and display patterns ("#,##0.00", "yyyy-mm-dd").
#pragma once

#include <cstdint>
#include <string>

#include "grid/columns/fixed_point.h"

namespace grid {

// `value` rounded to `precision` significant digits (1..18), in fixed
// notation when 0 or when at least 0.0001 in magnitude with at most
// `precision` digits before the separator, else as mantissa "E" exponent
// (1E20, 1.5E-7); trailing zeros and a trailing separator never written.
std::string FormatGeneralFloat(double value, int precision = 15, char decimal_separator = '.');

// A fixed-point value with up to four decimals, trailing zeros dropped.
std::string FormatFixedGeneral(TFixed value, char decimal_separator = '.');

// `value` shown by a numeric pattern. Sections split by ';' are for
// positive, negative and zero values; '0' is a forced digit, '#' an optional
// one, '.' the decimal separator, ',' turns on thousands grouping, text in
// quotes and other characters are copied. An empty pattern gives the
// general float form.
std::string FormatFloatPattern(const std::string& pattern, double value,
                               char decimal_separator = '.');

// An automation date (days since 1899-12-30) shown by a date pattern: y, yy,
// yyyy; m, mm (minutes right after an hour); d, dd; h, hh; n, nn; s, ss; z,
// zzz; am/pm; '/' and ':' become the given separators; quoted text is copied.
std::string FormatDateTimePattern(const std::string& pattern, double days,
                                  char date_separator = '/', char time_separator = ':');

}  // namespace grid
