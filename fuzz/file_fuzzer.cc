// Fuzzes the whole read path over one in-memory file: open (header, password),
// the catalog, every table definition and every value of every row. Any input
// must end in a value or a failed Status: no crash, hang or stray read.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "jet/database.h"
#include "jet/io/byte_source.h"

namespace {

void ReadEverything(jet::Database& db) {
  auto tables = db.ListTables();
  if (!tables.ok()) return;
  std::vector<std::string> names;
  for (const auto& t : *tables) names.push_back(t.name);
  names.push_back("MSysObjects");
  for (const std::string& name : names) {
    auto def = db.FindTable(name);
    if (!def.ok()) continue;
    auto cursor = db.Scan(*def);
    if (!cursor.ok()) continue;
    for (int rows = 0; rows < 100000; ++rows) {
      auto more = (*cursor)->Next();
      if (!more.ok() || !*more) break;
      for (size_t i = 0; i < def->columns.size(); ++i) {
        auto v = (*cursor)->Get(i);
        (void)v;
      }
      auto row = db.ReadRow(*def, (*cursor)->id());
      (void)row;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  auto db = jet::OpenDatabase(std::make_unique<jet::MemoryByteSource>(std::move(bytes), "fuzz.mdb"),
                              jet::OpenOptions{});
  if (db.ok()) ReadEverything(**db);
  return 0;
}
