#include "data/db_error.h"

#include <cstdarg>
#include <cstdio>

namespace data {

void DatabaseError(std::string_view message, std::string_view component) {
  if (component.empty()) throw EDatabaseError(std::string(message));
  throw EDatabaseError(std::string(component) + ": " + std::string(message));
}

std::string CleanProviderDescription(std::string_view description, int32_t code) {
  std::string s(description);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) <= ' ' || s.back() == '.')) {
    s.pop_back();
  }
  if (s.empty()) s = Format("OLE error %.8x", static_cast<unsigned>(code));
  return s;
}

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  va_end(args);
  return out;
}

}  // namespace data
