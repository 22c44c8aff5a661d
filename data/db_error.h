// Failures of the data layer. Each carries the message the user sees.
//
// EDatabaseError: record sources, fields, data sources and links; messages
// of a named component read "<name>: <message>".
// EConvertError: text that is not a valid date or time.
// EOleException: a provider failure, its description cleaned of trailing
// blanks, control characters and full stops.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace data {

class EDatabaseError : public std::runtime_error {
 public:
  explicit EDatabaseError(const std::string& message) : std::runtime_error(message) {}
};

class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const std::string& message) : std::runtime_error(message) {}
};

class EOleException : public std::runtime_error {
 public:
  EOleException(const std::string& message, int32_t code)
      : std::runtime_error(message), code_(code) {}
  int32_t code() const { return code_; }

 private:
  int32_t code_;
};

// Throws EDatabaseError with `message`, prefixed "<component>: " when the
// component has a name.
[[noreturn]] void DatabaseError(std::string_view message, std::string_view component = {});

// A provider description as shown: trailing blanks, control characters and
// full stops removed; "OLE error %.8x" when nothing is left.
std::string CleanProviderDescription(std::string_view description, int32_t code);

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The messages the data layer raises.
inline constexpr const char* kDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* kNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* kFieldNotFound = "Field '%s' not found";
inline constexpr const char* kDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* kDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* kDataSourceChange = "DataSource cannot be changed";
inline constexpr const char* kCircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* kUnknownFieldType = "Field '%s' is of an unknown type";

}  // namespace data
