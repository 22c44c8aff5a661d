#include "data/strings.h"

namespace data {

void TStrings::Changed() {
  if (OnChange) OnChange();
}

void TStrings::Clear() {
  if (lines_.empty()) return;
  lines_.clear();
  Changed();
}

void TStrings::Add(const std::string& line) {
  lines_.push_back(line);
  Changed();
}

std::string TStrings::Text() const {
  std::string out;
  for (const std::string& line : lines_) {
    out += line;
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& text) {
  lines_.clear();
  size_t i = 0;
  while (i < text.size()) {
    size_t end = text.find_first_of("\r\n", i);
    if (end == std::string::npos) {
      lines_.push_back(text.substr(i));
      break;
    }
    lines_.push_back(text.substr(i, end - i));
    i = end + 1;
    if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
  }
  Changed();
}

}  // namespace data
