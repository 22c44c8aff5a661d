#include "grid/base/data_access.h"

#include <type_traits>
#include <variant>

#include "text/date_text.h"
#include "text/number_text.h"

namespace grid {
namespace {

char DecimalSeparatorOf(const TField& field) {
  return field.DataSet() ? field.DataSet()->Regional().decimal_separator : '.';
}

double DecimalToDouble(const provider::Decimal& d) {
  double magnitude = 0;
  for (int i = 2; i >= 0; --i) magnitude = magnitude * 4294967296.0 + d.magnitude[i];
  for (int i = 0; i < d.scale; ++i) magnitude /= 10.0;
  return d.negative ? -magnitude : magnitude;
}

}  // namespace

double FieldAsFloat(const TField& field) {
  const provider::Variant& value = field.Value();
  return std::visit(
      [](const auto& v) -> double {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return v ? -1.0 : 0.0;
        } else if constexpr (std::is_same_v<T, int64_t> || std::is_same_v<T, double>) {
          return static_cast<double>(v);
        } else if constexpr (std::is_same_v<T, provider::Currency>) {
          return static_cast<double>(v.scaled) / 10000.0;
        } else if constexpr (std::is_same_v<T, provider::Decimal>) {
          return DecimalToDouble(v);
        } else if constexpr (std::is_same_v<T, provider::DateTime>) {
          return v.days;
        } else {
          return 0.0;
        }
      },
      value);
}

bool FieldAsBoolean(const TField& field) {
  const provider::Variant& value = field.Value();
  if (const bool* b = std::get_if<bool>(&value)) return *b;
  return !provider::IsNull(value) && FieldAsFloat(field) != 0;
}

bool IsNumericField(const TField& field) {
  switch (field.DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
    case TFieldType::ftLargeint:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return true;
    default:
      return false;
  }
}

bool IsDateTimeField(const TField& field) {
  switch (field.DataType()) {
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return true;
    default:
      return false;
  }
}

std::string FormatFieldValue(const TField& field, const std::string& pattern) {
  if (field.IsNull()) return std::string();
  if (IsNumericField(field)) {
    return text::FormatNumberPattern(pattern, FieldAsFloat(field), DecimalSeparatorOf(field));
  }
  if (IsDateTimeField(field)) {
    static const text::RegionalSettings kNoSource;
    return text::FormatDateTime(pattern, FieldAsFloat(field),
                                field.DataSet() ? field.DataSet()->Regional() : kNoSource);
  }
  return std::string();
}

}  // namespace grid
