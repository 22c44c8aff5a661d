// Fuzzes the settings file reader on any bytes (UTF-8, GB18030, UTF-16 with
// or without a byte-order mark, broken lines): reading must never fail, and
// a key set in a document that can be written must read back as set while
// every other key keeps its value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "data/profile/ini_document.h"
#include "fuzz/fuzz_check.h"

using data::profile::IniDocument;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IniDocument doc = IniDocument::Parse(std::string(reinterpret_cast<const char*>(data), size));
  const std::optional<std::string> file = doc.Find("Tarnquill", "File");
  const std::optional<std::string> other = doc.Find("Other", "Key");
  (void)doc.Find("", "");
  if (!doc.valid()) {
    FUZZ_CHECK(doc.Serialize().empty());
    return 0;
  }
  doc.Set("Tarnquill", "Table", "客户 [x]=1");
  IniDocument again = IniDocument::Parse(doc.Serialize());
  FUZZ_CHECK(again.valid());
  FUZZ_CHECK(again.Find("Tarnquill", "Table") == std::optional<std::string>("客户 [x]=1"));
  FUZZ_CHECK(again.Find("Tarnquill", "File") == file);
  FUZZ_CHECK(again.Find("Other", "Key") == other);
  return 0;
}
