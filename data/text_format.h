// Number, date and time texts of fields: parsing user text and writing
// values in their general forms, under given regional settings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/regional.h"

namespace data {

// Integer text: blanks (spaces) before, an optional sign, then decimal
// digits or a hexadecimal number after "$", "x", "X", "0x" or "0X";
// nothing after. `bits` is 32 or 64: decimal values must fit the signed
// range, hexadecimal ones the bit width (read as a signed pattern).
std::optional<int64_t> ParseInteger(std::string_view text, int bits);

// Decimal number text: spaces around, sign, digits with the decimal
// separator, optional exponent. Nothing on invalid text or overflow.
std::optional<double> ParseFloat(std::string_view text, char decimal_separator);

// As ParseFloat, scaled to four decimals and rounded half away from zero
// into a 64-bit fixed-point value. Sets *overflow (and returns nothing)
// when the number is valid but does not fit.
std::optional<int64_t> ParseFixed4(std::string_view text, char decimal_separator, bool* overflow);

// As ParseFixed4 with `scale` decimals (0 to 28), into 128 bits: round
// half away from zero; *overflow beyond 30 integer digits.
std::optional<__int128> ParseScaled(std::string_view text, char decimal_separator, int scale,
                                    bool* overflow);

// The general number form: `precision` significant digits, fixed notation
// for 0 and magnitudes from 0.0001 with at most `precision` integer digits,
// scientific ("1.5E-7", "1E20") otherwise; trailing zeros dropped.
std::string FormatGeneral(double value, int precision, char decimal_separator);
// A fixed-point value times 10,000 in general form ("12.5", "-0.0001").
std::string FormatFixed4(int64_t scaled, char decimal_separator);

// Formats an automation date with a date-time pattern (d, dd, ddd, dddd,
// ddddd, m, mm, mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss, z, zzz, t, tt, c,
// am/pm, a/p, ampm, "/", ":" and quoted text).
std::string FormatDateTime(std::string_view pattern, double value, const RegionalSettings& r);

// Date, time and date-with-time texts under the regional formats.
std::optional<double> ParseDate(std::string_view text, const RegionalSettings& r);
std::optional<double> ParseTime(std::string_view text, const RegionalSettings& r);
std::optional<double> ParseDateTime(std::string_view text, const RegionalSettings& r);

}  // namespace data
