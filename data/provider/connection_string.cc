#include "data/provider/connection_string.h"

#include "data/provider/provider.h"
#include "text/case_fold.h"

namespace provider {
namespace {

constexpr const char* kMalformed =
    "Format of the initialization string is not valid: expected key=value pairs separated by ';'.";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

ConnectionString ConnectionString::Parse(std::string_view text) {
  ConnectionString result;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    size_t eq = text.find('=', i);
    size_t semi = text.find(';', i);
    if (semi != std::string_view::npos && (eq == std::string_view::npos || semi < eq)) {
      // A piece without "=": only blanks may stand there.
      if (!Trim(text.substr(i, semi - i)).empty()) {
        throw ProviderError(kMalformed);
      }
      i = semi + 1;
      continue;
    }
    if (eq == std::string_view::npos) {
      if (!Trim(text.substr(i)).empty()) {
        throw ProviderError(kMalformed);
      }
      break;
    }
    std::string key = Trim(text.substr(i, eq - i));
    i = eq + 1;
    size_t j = i;
    while (j < n && IsBlank(text[j])) ++j;
    std::string value;
    if (j < n && (text[j] == '"' || text[j] == '\'')) {
      const char quote = text[j++];
      bool closed = false;
      while (j < n) {
        if (text[j] == quote) {
          if (j + 1 < n && text[j + 1] == quote) {
            value += quote;
            j += 2;
            continue;
          }
          closed = true;
          ++j;
          break;
        }
        value += text[j++];
      }
      while (j < n && IsBlank(text[j])) ++j;
      if (!closed || (j < n && text[j] != ';')) {
        throw ProviderError(kMalformed);
      }
      i = j < n ? j + 1 : n;
    } else {
      size_t end = text.find(';', i);
      if (end == std::string_view::npos) end = n;
      value = std::string(text.substr(i, end - i));
      i = end < n ? end + 1 : n;
    }
    bool replaced = false;
    for (auto& [k, v] : result.pairs_) {
      if (text::EqualsIgnoreAsciiCase(k, key)) {
        v = value;
        replaced = true;
      }
    }
    if (!replaced) result.pairs_.emplace_back(std::move(key), std::move(value));
  }
  return result;
}

std::optional<std::string> ConnectionString::Get(std::string_view key) const {
  for (const auto& [k, v] : pairs_) {
    if (text::EqualsIgnoreAsciiCase(k, key)) return v;
  }
  return std::nullopt;
}

std::string QuoteConnectionValue(std::string_view value) {
  if (value.find_first_of(";=\"'") == std::string_view::npos) return std::string(value);
  const bool has_double = value.find('"') != std::string_view::npos;
  const bool has_single = value.find('\'') != std::string_view::npos;
  const char quote = has_double && !has_single ? '\'' : '"';
  std::string out(1, quote);
  for (char c : value) {
    out += c;
    if (c == quote) out += c;
  }
  out += quote;
  return out;
}

}  // namespace provider
