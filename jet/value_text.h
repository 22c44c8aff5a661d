// The fixed text forms of values used by the command line (export, query):
// plain decimals without exponent, ISO-like dates, hex for binary data,
// braced upper-case GUIDs, and the CSV quoting built on them.
#pragma once

#include <string>

#include "jet/value.h"

namespace jet {

// `value` with up to `digits` significant digits in plain decimal notation,
// no exponent and no trailing zeros ("12.5", "-3", "0.0001").
std::string FormatFloating(double value, int digits);
// Appends `value` in decimal to `out`.
void AppendInteger(int64_t value, std::string* out);

// Appends FormatFloating(value, digits) to `out`.
void AppendFloating(double value, int digits, std::string* out);

// The value's text without quoting: "" for NULL, "1"/"0" for yes/no, numbers
// as FormatFloating (doubles 15 digits, singles 7), currency and decimal
// exactly, dates "YYYY-MM-DD HH:MM:SS" (extended ones with seven decimals of
// the second), big integers in decimal, binary as lowercase hex, GUIDs as
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", text as is.
std::string FormatValue(const Value& value);

// "YYYY-MM-DD HH:MM:SS.fffffff" for a Date/Time Extended value.
std::string FormatExtendedDateTime(const ExtendedDateTime& value);

// "YYYY-MM-DD HH:MM:SS" for an automation date (days since 1899-12-30),
// rounded to the second.
std::string FormatDateTime(double days);
// Appends FormatDateTime(days) to `out`.
void AppendDateTime(double days, std::string* out);

// One CSV field: text, memo and GUID values double-quoted with inner quotes
// doubled; NULL as an empty field; everything else unquoted.
std::string CsvField(const Value& value);

// Appends CsvField(value) to `out` (the fast path of an export).
void AppendCsvField(const Value& value, std::string* out);

// Whether CsvField quotes values of a column of `type` (text, memo, GUID).
bool CsvQuoted(ColumnType type);

// Doubles every quote in `out` from `start` on: the inside of a quoted CSV
// field appended there (the caller adds the quotes around it).
void DoubleCsvQuotes(std::string* out, size_t start);

// Appends FormatValue(value) to `out`.
void AppendValue(const Value& value, std::string* out);

// A CSV field for a plain string (header names): quoted only when it holds a
// comma, a quote or a line break.
std::string CsvName(const std::string& name);

}  // namespace jet
