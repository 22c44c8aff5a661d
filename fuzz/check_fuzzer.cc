// Fuzzes the integrity check ("tarnquill-cli check") on damaged files: any
// bytes must give a report or a failed Status, never a crash, a hang or a
// read outside the file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "jet/io/byte_source.h"
#include "jet/update/integrity_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  auto report = jet::CheckDatabase(
      std::make_unique<jet::MemoryByteSource>(std::move(bytes), "fuzz.mdb"), "");
  (void)report;
  return 0;
}
