// Connection strings: "key=value" pairs separated by ";".
//
// Keys ignore letter case and surrounding blanks. A value may be quoted with
// double or single quotes (blanks around the quotes are ignored); inside, the
// quote doubled stands for itself, and ";" and "=" lose their meaning. An
// unquoted value runs to the next ";" and is taken exactly as written, so a
// password keeps its blanks. A later key overrides an earlier one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace provider {

class ConnectionString {
 public:
  // Parses `text`. Throws ProviderError on a key without "=" or an
  // unterminated quote.
  static ConnectionString Parse(std::string_view text);

  // The value of `key` (case ignored), or nothing when absent.
  std::optional<std::string> Get(std::string_view key) const;
  const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

// `value` as it must be written so that Parse() reads it back: unchanged when
// it holds no ";", "=" and no quote; otherwise in double quotes (single
// quotes when it holds a double quote but no single one), an inner quote of
// the chosen kind doubled.
std::string QuoteConnectionValue(std::string_view value);

}  // namespace provider
