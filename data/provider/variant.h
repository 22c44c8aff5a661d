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
