// Fuzzes the statement subset and the parameter scan the view's statement
// goes through. Any text must parse or fail with the provider's error; and a
// view statement built from any search text must reach the provider with no
// parameter found and with exactly that text to look for.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/ado_query.h"
#include "data/provider/provider.h"
#include "data/provider/sql.h"
#include "data/run_query.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    provider::SelectStatement st = provider::ParseSelect(text);
    if (st.where) {
      for (const char* value : {"", "abc", "张三 abc", "'\":`"}) {
        (void)provider::InStrSelects(*st.where, provider::Variant(std::string(value)));
      }
    }
  } catch (const provider::ProviderError&) {
  }
  std::vector<std::string> names;
  (void)data::ScanParameters(text, &names);

  names.clear();
  const std::string command =
      data::ScanParameters(data::ViewStatement("T", "F", text), &names);
  FUZZ_CHECK(names.empty());
  provider::SelectStatement view;
  try {
    view = provider::ParseSelect(command);
  } catch (const provider::ProviderError&) {
    FUZZ_CHECK(!"the view statement of a search text did not parse");
  }
  FUZZ_CHECK(view.where && view.where->text == text);
  return 0;
}
