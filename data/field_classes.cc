// Text forms of every field class: reading, writing and display.
#include <cmath>
#include <limits>

#include "data/db_error.h"
#include "data/field.h"
#include "data/regional.h"
#include "text/case_fold.h"
#include "text/date_text.h"
#include "text/number_text.h"
#include "text/utf8.h"

namespace data {
namespace {

using provider::Variant;

std::string CutAtZero(const std::string& s) { return s.substr(0, s.find('\0')); }

// A number-like variant as a 64-bit integer, when it is one.
std::optional<int64_t> AsInt(const Variant& v) {
  if (auto* i = std::get_if<int64_t>(&v)) return *i;
  if (auto* b = std::get_if<bool>(&v)) return *b ? -1 : 0;
  if (auto* d = std::get_if<double>(&v)) {
    if (std::isfinite(*d) && std::fabs(*d) < 9.2e18) return static_cast<int64_t>(std::llround(*d));
  }
  if (auto* c = std::get_if<provider::Currency>(&v)) return c->scaled / 10000;
  return std::nullopt;
}

std::optional<double> AsDouble(const Variant& v) {
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  if (auto* c = std::get_if<provider::Currency>(&v)) return static_cast<double>(c->scaled) / 10000;
  if (auto* t = std::get_if<provider::DateTime>(&v)) return t->days;
  if (auto* d = std::get_if<provider::Decimal>(&v)) {
    return text::ParseFloat(provider::DecimalToString(*d), '.');
  }
  return std::nullopt;
}

// A decimal value as a fixed-point number with four decimals; nothing
// when it does not fit 64 bits.
std::optional<int64_t> DecimalToFixed4(const provider::Decimal& d) {
  std::string text = provider::DecimalToString(d);
  bool overflow = false;
  return text::ParseFixed4(text, '.', &overflow);
}

std::optional<int64_t> AsFixed4(const Variant& v) {
  if (auto* c = std::get_if<provider::Currency>(&v)) return c->scaled;
  if (auto* d = std::get_if<provider::Decimal>(&v)) return DecimalToFixed4(*d);
  if (auto* i = std::get_if<int64_t>(&v)) {
    if (*i > INT64_MAX / 10000 || *i < INT64_MIN / 10000) return std::nullopt;
    return *i * 10000;
  }
  if (auto* x = std::get_if<double>(&v)) {
    if (!std::isfinite(*x) || std::fabs(*x) >= 9.2e14) return std::nullopt;
    return static_cast<int64_t>(std::llround(*x * 10000));
  }
  if (auto* b = std::get_if<bool>(&v)) return *b ? -10000 : 0;
  return std::nullopt;
}

[[noreturn]] void RangeError(double value, const std::string& field, double min, double max,
                             char sep) {
  throw EDatabaseError(
      Format("%s is not a valid value for field '%s'. The allowed range is %s to %s",
             text::FormatGeneral(value, 15, sep).c_str(), field.c_str(),
             text::FormatGeneral(min, 15, sep).c_str(), text::FormatGeneral(max, 15, sep).c_str()));
}

[[noreturn]] void TooLong(const std::string& field, size_t length, int size, const char* unit) {
  throw EDatabaseError(Format("A text of %zu %s does not fit field '%s' of size %d", length, unit,
                              field.c_str(), size));
}

// "Bytes" from "TBytesField": the description name of a class.
std::string ClassDescriptionName(const char* class_name) {
  std::string name = class_name;
  if (!name.empty() && name[0] == 'T') name.erase(0, 1);
  const std::string suffix = "Field";
  if (name.size() > suffix.size() &&
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    name.erase(name.size() - suffix.size());
  }
  return name;
}

}  // namespace

// --- Text ------------------------------------------------------------------

TStringField::TStringField(int size, bool fixed)
    : TStringField(fixed ? ftFixedChar : ftString, size) {}
TStringField::TStringField(TFieldType type, int size) : TField(type, size) {
  set_display_width_default(size);
}

std::string TStringField::TextValue() const {
  const Variant& v = Value();
  if (auto* s = std::get_if<std::string>(&v)) return CutAtZero(*s);
  return CutAtZero(provider::VariantToText(v));
}

void TStringField::SetTextValue(const std::string& text) {
  std::string value = CutAtZero(text);
  // Cutting the text to the size would lose data silently: refuse instead.
  if (static_cast<int64_t>(value.size()) > Size()) {
    TooLong(DisplayName(), value.size(), Size(), "bytes");
  }
  if (value.empty()) {
    StoreValue(std::monostate{});
  } else {
    StoreValue(std::move(value));
  }
}

TGuidField::TGuidField() : TStringField(ftGuid, 38) {}

std::string TGuidField::TextValue() const {
  const Variant& v = Value();
  if (auto* g = std::get_if<provider::Guid>(&v)) return provider::GuidToString(*g);
  return TStringField::TextValue();
}

TWideStringField::TWideStringField(int size) : TField(ftWideString, size) {
  set_display_width_default(size);
}

std::string TWideStringField::TextValue() const {
  const Variant& v = Value();
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  return provider::VariantToText(v);
}

void TWideStringField::SetTextValue(const std::string& text) {
  const size_t length = text::Utf16Length(text);
  // Cutting the text to the size would lose data silently: refuse instead.
  if (static_cast<int64_t>(length) > Size()) TooLong(DisplayName(), length, Size(), "characters");
  StoreValue(text);
}

// --- Integers ----------------------------------------------------------------

TIntegerField::TIntegerField() : TIntegerField(ftInteger, INT32_MIN, INT32_MAX) {}
TIntegerField::TIntegerField(TFieldType type, int64_t min, int64_t max)
    : TField(type, 0), min_(min), max_(max) {
  set_alignment_default(taRightJustify);
  set_display_width_default(type == ftSmallint ? 6 : type == ftWord ? 5 : 11);
}
TSmallintField::TSmallintField() : TIntegerField(ftSmallint, -32768, 32767) {}
TWordField::TWordField() : TIntegerField(ftWord, 0, 65535) {}
TAutoIncField::TAutoIncField() : TIntegerField(ftAutoInc, INT32_MIN, INT32_MAX) {
  SetReadOnly(true);
}

std::string TIntegerField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  if (auto i = AsInt(v)) return std::to_string(*i);
  return provider::VariantToText(v);
}

void TIntegerField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  std::optional<int64_t> v = text::ParseInteger(text, 32);
  if (!v) {
    throw EDatabaseError(Format("'%s' is not a valid integer value for field '%s'", text.c_str(),
                                DisplayName().c_str()));
  }
  if (*v < min_ || *v > max_) {
    RangeError(static_cast<double>(*v), DisplayName(), static_cast<double>(min_),
               static_cast<double>(max_), Regional().decimal_separator);
  }
  StoreValue(*v);
}

TLargeintField::TLargeintField() : TField(ftLargeint, 0) {
  set_alignment_default(taRightJustify);
  set_display_width_default(15);
}

std::string TLargeintField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  if (auto i = AsInt(v)) return std::to_string(*i);
  return provider::VariantToText(v);
}

void TLargeintField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  std::optional<int64_t> v = text::ParseInteger(text, 64);
  if (!v) {
    throw EDatabaseError(Format("'%s' is not a valid integer value for field '%s'", text.c_str(),
                                DisplayName().c_str()));
  }
  StoreValue(*v);
}

// --- Float and decimal ---------------------------------------------------------

TFloatField::TFloatField() : TField(ftFloat, 0) { set_alignment_default(taRightJustify); }

std::string TFloatField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  if (auto d = AsDouble(v)) return text::FormatGeneral(*d, 15, Regional().decimal_separator);
  return provider::VariantToText(v);
}

void TFloatField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  std::optional<double> v = text::ParseFloat(text, Regional().decimal_separator);
  if (!v) {
    throw EDatabaseError(Format("'%s' is not a valid floating point value for field '%s'",
                                text.c_str(), DisplayName().c_str()));
  }
  StoreValue(*v);
}

TBCDField::TBCDField(int size, int precision) : TField(ftBCD, size), precision_(precision) {
  set_alignment_default(taRightJustify);
  set_display_width_default(precision > 0 ? precision + 2 : 10);
}

// A decimal with more than four places in full ("1.234567"): the
// fixed-point form would round it, and a rewrite would store the rounding.
std::optional<std::string> ExactDecimalText(const Variant& v, char sep) {
  auto* d = std::get_if<provider::Decimal>(&v);
  if (!d || d->scale <= 4) return std::nullopt;
  std::string text = provider::DecimalToString(*d);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  size_t point = text.find('.');
  if (point != std::string::npos) text[point] = sep;
  return text;
}

std::string TBCDField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  if (auto exact = ExactDecimalText(v, Regional().decimal_separator)) return *exact;
  if (auto f = AsFixed4(v)) return text::FormatFixed4(*f, Regional().decimal_separator);
  // Too large for the fixed-point form: the exact digits rather than nothing.
  return provider::VariantToText(v);
}

std::string TBCDField::OwnDisplayText() const {
  const Variant& v = Value();
  if (ExactDecimalText(v, '.')) return TextValue();
  if (!provider::IsNull(v) && !AsFixed4(v)) return "BCD overflow";
  return TextValue();
}

void TBCDField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  const char sep = Regional().decimal_separator;
  bool overflow = false;
  if (Size() > 4 && Size() <= 28) {
    // Columns with more than four places keep every place they hold.
    std::optional<__int128> scaled = text::ParseScaled(text, sep, Size(), &overflow);
    const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 96;
    if (scaled) {
      const bool negative = *scaled < 0;
      const unsigned __int128 m = static_cast<unsigned __int128>(negative ? -*scaled : *scaled);
      if (m < limit) {
        provider::Decimal d;
        d.negative = negative;
        d.scale = static_cast<uint8_t>(Size());
        d.magnitude = {static_cast<uint32_t>(m), static_cast<uint32_t>(m >> 32),
                       static_cast<uint32_t>(m >> 64)};
        StoreValue(d);
        return;
      }
      overflow = true;
    }
    if (overflow) {
      RangeError(text::ParseFloat(text, sep).value_or(0), DisplayName(),
                 -7.9228162514264337593543950335E28, 7.9228162514264337593543950335E28, sep);
    }
    throw EDatabaseError(Format("'%s' is not a valid floating point value for field '%s'",
                                text.c_str(), DisplayName().c_str()));
  }
  std::optional<int64_t> v = text::ParseFixed4(text, sep, &overflow);
  if (!v) {
    if (overflow) {
      RangeError(text::ParseFloat(text, sep).value_or(0), DisplayName(), -922337203685477.5808,
                 922337203685477.5807, sep);
    }
    throw EDatabaseError(Format("'%s' is not a valid floating point value for field '%s'",
                                text.c_str(), DisplayName().c_str()));
  }
  StoreValue(provider::Currency{*v});
}

// --- Boolean -----------------------------------------------------------------

TBooleanField::TBooleanField() : TField(ftBoolean, 0) { set_display_width_default(5); }

std::string TBooleanField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (auto i = AsInt(v)) return *i != 0 ? "True" : "False";
  return provider::VariantToText(v);
}

void TBooleanField::SetTextValue(const std::string& text) {
  static const std::string kTrue = "True", kFalse = "False";
  auto prefix_of = [&](const std::string& word) {
    return text.size() <= word.size() &&
           text::EqualsIgnoreAsciiCase(text, std::string_view(word).substr(0, text.size()));
  };
  if (text.empty()) {
    StoreValue(std::monostate{});
  } else if (prefix_of(kFalse)) {
    StoreValue(false);
  } else if (prefix_of(kTrue)) {
    StoreValue(true);
  } else {
    throw EDatabaseError(Format("'%s' is not a valid boolean value for field '%s'", text.c_str(),
                                DisplayName().c_str()));
  }
}

// --- Dates and times -------------------------------------------------------------

TDateTimeField::TDateTimeField() : TDateTimeField(ftDateTime) {}
TDateTimeField::TDateTimeField(TFieldType type) : TField(type, 0) {
  set_display_width_default(type == ftDateTime ? 18 : 10);
}
TDateField::TDateField() : TDateTimeField(ftDate) {}
TTimeField::TTimeField() : TDateTimeField(ftTime) {}

std::string TDateTimeField::TextValue() const {
  const Variant& v = Value();
  if (provider::IsNull(v)) return {};
  std::optional<double> days = AsDouble(v);
  if (!days) return provider::VariantToText(v);
  const char* pattern = DataType() == ftDate ? "ddddd" : DataType() == ftTime ? "tt" : "c";
  return text::FormatDateTime(pattern, *days, Regional());
}

void TDateTimeField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  std::optional<double> v;
  const char* message;
  switch (DataType()) {
    case ftDate:
      v = text::ParseDate(text, Regional());
      message = "'%s' is not a valid date";
      break;
    case ftTime:
      v = text::ParseTime(text, Regional());
      message = "'%s' is not a valid time";
      break;
    default:
      v = text::ParseDateTime(text, Regional());
      message = "'%s' is not a valid date and time";
      break;
  }
  if (!v) throw EConvertError(Format(message, text.c_str()));
  StoreValue(provider::DateTime{*v});
}

// --- Long values and bytes ---------------------------------------------------------

TBlobField::TBlobField() : TBlobField(ftBlob) {}
TBlobField::TBlobField(TFieldType type) : TField(type, 0) {}
TMemoField::TMemoField() : TBlobField(ftMemo) {}

std::string TBlobField::TextValue() const {
  const Variant& v = Value();
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* b = std::get_if<provider::Bytes>(&v)) return std::string(b->begin(), b->end());
  return provider::VariantToText(v);
}

std::string TBlobField::OwnDisplayText() const {
  return Description(DataType() == ftMemo ? "Memo" : "Blob");
}

void TBlobField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
  } else if (DataType() == ftMemo) {
    StoreValue(text);
  } else {
    StoreValue(provider::Bytes(text.begin(), text.end()));
  }
}

TBytesField::TBytesField(int size) : TBytesField(ftBytes, size) {}
TBytesField::TBytesField(TFieldType type, int size) : TField(type, size) {
  set_display_width_default(size * 2);
}
TVarBytesField::TVarBytesField(int size) : TBytesField(ftVarBytes, size) {}

std::string TBytesField::TextValue() const {
  const Variant& v = Value();
  if (auto* b = std::get_if<provider::Bytes>(&v)) return std::string(b->begin(), b->end());
  return provider::VariantToText(v);
}

std::string TBytesField::OwnDisplayText() const {
  return Description(ClassDescriptionName(ClassName()));
}

void TBytesField::SetTextValue(const std::string& text) {
  if (text.empty()) {
    StoreValue(std::monostate{});
    return;
  }
  // Cutting the bytes to the size would lose data silently: refuse instead.
  if (static_cast<int64_t>(text.size()) > Size())
    TooLong(DisplayName(), text.size(), Size(), "bytes");
  StoreValue(provider::Bytes(text.begin(), text.end()));
}

// --- Others ---------------------------------------------------------------------------

TVariantField::TVariantField() : TField(ftVariant, 0) {}

std::string TVariantField::TextValue() const {
  const Variant& v = Value();
  const RegionalSettings& r = Regional();
  if (auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (auto* d = std::get_if<double>(&v)) return text::FormatGeneral(*d, 15, r.decimal_separator);
  if (auto* c = std::get_if<provider::Currency>(&v))
    return text::FormatFixed4(c->scaled, r.decimal_separator);
  if (auto* t = std::get_if<provider::DateTime>(&v)) return text::FormatDateTime("c", t->days, r);
  return provider::VariantToText(v);
}

void TVariantField::SetTextValue(const std::string& text) { StoreValue(text); }

TInterfaceField::TInterfaceField() : TInterfaceField(ftInterface) {}
TInterfaceField::TInterfaceField(TFieldType type) : TField(type, 0) {}
TIDispatchField::TIDispatchField() : TInterfaceField(ftIDispatch) {}
TDataSetField::TDataSetField() : TInterfaceField(ftDataSet) {}

std::string TInterfaceField::TextValue() const {
  return Description(ClassDescriptionName(ClassName()));
}

void TInterfaceField::SetTextValue(const std::string&) { AccessError("String"); }

}  // namespace data
