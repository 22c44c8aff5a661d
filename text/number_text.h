// Number texts: reading what the user typed into a number, and writing
// numbers in their general forms and by display patterns ("#,##0.00").
// Nothing here depends on the C library's locale: the decimal separator is
// always the one passed in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace text {

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

// The general number form: `value` rounded to `precision` significant digits
// (taken into 1..18), in fixed notation when 0 or when at least 0.0001 in
// magnitude with at most `precision` digits before the separator, otherwise
// as mantissa "E" exponent ("1E20", "1.5E-7"); trailing zeros and a trailing
// separator never written. "NAN", "INF" and "-INF" for those values.
std::string FormatGeneral(double value, int precision, char decimal_separator);

// `value` as printf's "%.*e" writes it in the "C" locale, with `decimals`
// digits after the point ("1.50e+01"), whatever locale the program runs in.
std::string FormatScientific(double value, int decimals);

// A fixed-point value times 10,000 in general form ("12.5", "-0.0001"):
// trailing zeros and a trailing separator dropped.
std::string FormatFixed4(int64_t scaled, char decimal_separator);

// `value` shown by a numeric pattern. Sections split by ';' are for
// positive, negative and zero values; '0' is a forced digit, '#' an optional
// one, '.' the decimal separator, ',' turns on thousands grouping, text in
// quotes and other characters are copied. An empty pattern, and a value
// that is not finite, give the general form with 15 digits.
std::string FormatNumberPattern(std::string_view pattern, double value, char decimal_separator);

}  // namespace text
