#include "app/error_text.h"

namespace app {

std::string ErrorBoxText(std::string_view message) {
  std::string text(message);
  if (text.empty()) return text;
  // Step back over UTF-8 continuation bytes to the last character's first
  // byte; every multi-byte character starts above the full stop.
  std::size_t last = text.size() - 1;
  while (last > 0 && (static_cast<unsigned char>(text[last]) & 0xC0) == 0x80) --last;
  if (static_cast<unsigned char>(text[last]) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

}  // namespace app
