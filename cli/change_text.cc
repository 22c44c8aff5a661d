#include "cli/change_text.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>

namespace cli {
namespace {

// A key value that reads unambiguously without quotes.
bool Plain(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == ' ' || c == '"' || c == '=' || c == ':' ||
        c == '\\')
      return false;
  }
  return true;
}

}  // namespace

std::string RowName(const std::vector<std::string>& key_names, const data::RowChange& row) {
  if (key_names.empty() || row.key.size() != key_names.size()) {
    return "row " + std::to_string(row.position);
  }
  std::string name;
  for (size_t i = 0; i < key_names.size(); ++i) {
    if (i > 0) name += ' ';
    name += key_names[i] + "=" + (Plain(row.key[i]) ? row.key[i] : ShowText(row.key[i]));
  }
  return name;
}

std::string RowReference(const std::vector<std::string>& key_names, const data::RowChange& row) {
  std::string name = RowName(key_names, row);
  return name.rfind("row ", 0) == 0 ? name : "row " + name;
}

std::string ShowText(std::string_view text, const std::vector<data::TextSpan>& marks,
                     const char* colour) {
  std::string out = "\"";
  size_t next = 0;  // the first mark not yet shown
  bool inside = false;
  auto boundary = [&](size_t at) {
    if (colour == nullptr) return;
    if (inside && marks[next].end == at) {
      out += "\x1b[0m";
      inside = false;
      ++next;
    }
    // An empty match has nothing to colour.
    while (!inside && next < marks.size() && marks[next].begin == at && marks[next].end == at)
      ++next;
    if (!inside && next < marks.size() && marks[next].begin == at) {
      out += "\x1b[";
      out += colour;
      out += 'm';
      inside = true;
    }
  };
  for (size_t i = 0; i < text.size(); ++i) {
    boundary(i);
    switch (const char c = text[i]) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  boundary(text.size());
  return out + "\"";
}

bool UseColour(const std::ostream& out) {
  const char* no_colour = std::getenv("NO_COLOR");
  if (no_colour != nullptr && *no_colour != '\0') return false;
  return &out == &std::cout && isatty(STDOUT_FILENO) != 0;
}

std::string ChangeLine(const std::vector<std::string>& key_names, const data::RowChange& row,
                       const data::FieldChange& field, bool with_field, bool colour) {
  std::string line = RowName(key_names, row);
  if (with_field) line += " " + field.field;
  return line + ": " + ShowText(field.old_text, field.change.matched, colour ? "1;31" : nullptr) +
         " → " + ShowText(field.change.text, field.change.inserted, colour ? "1;32" : nullptr);
}

}  // namespace cli
