// Fuzzes the record source's filter expressions: any text must parse or fail
// with the data layer's own error, and a parsed condition must answer for
// rows of every kind of value, nulls included.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/db_error.h"
#include "data/filter_expression.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  static const std::vector<std::string> kColumns = {"Name", "Price", "Unit Price", "Day", "Done"};
  try {
    data::FilterExpression filter = data::FilterExpression::Parse(text, kColumns);
    using provider::Variant;
    const std::vector<std::vector<Variant>> rows = {
        {Variant(std::string("ab*c")), Variant(2.5), Variant(int64_t{3}), Variant(std::string("2024-01-31")), Variant(true)},
        {Variant(), Variant(), Variant(), Variant(), Variant()},
        {Variant(std::string("张三")), Variant(int64_t{-7}), Variant(0.0), Variant(std::string()), Variant(false)},
    };
    for (const auto& row : rows) (void)filter.Matches(row);
  } catch (const data::EDatabaseError&) {
  }
  // The pattern matcher on its own: the text's first half against its second.
  const std::string_view pattern = text.substr(size / 2);
  (void)data::LikeMatches(text.substr(0, size / 2), pattern);
  return 0;
}
