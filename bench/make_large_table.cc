// make_large_table SRC TABLE ROWS OUT: writes OUT, a copy of the Access file
// SRC in which TABLE's data pages are repeated until it holds at least ROWS
// rows. The copies are appended to the file and the table's owned-page map is
// replaced by a reference map over them, so any reader scans them in order.
// Only for benchmarks: the table's indexes and row count are left stale.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "jet/catalog.h"
#include "jet/header.h"
#include "jet/io/byte_source.h"
#include "jet/row_locator.h"
#include "jet/table_def.h"
#include "jet/usage_map.h"

namespace {

int Fail(const std::string& msg) {
  std::fprintf(stderr, "make_large_table: %s\n", msg.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: make_large_table SRC TABLE ROWS OUT");
  const std::string table_name = argv[2];
  const long wanted = std::atol(argv[3]);
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<uint8_t> image(std::istreambuf_iterator<char>(in), {});
  std::vector<uint8_t> raw(image.begin(), image.begin() + jet::kHeaderReadSize);
  auto header = jet::ParseHeader(raw, argv[1]);
  if (!header.ok()) return Fail(header.status().ToString());
  if (header->database_key != 0) return Fail("encoded files are not handled");
  const jet::Format& f = *header->format;
  const size_t ps = f.page_size;

  jet::MemoryByteSource src(image, argv[1]);
  jet::PageStore store(&src, f, 0);
  jet::TextDecoder text(f.text_utf16, header->code_page);
  auto catalog = jet::ReadCatalog(store, text);
  if (!catalog.ok()) return Fail(catalog.status().ToString());
  uint32_t def_page = 0;
  for (const auto& e : *catalog) {
    if (e.table() && e.name == table_name) def_page = e.definition_page;
  }
  if (def_page == 0) return Fail("no table " + table_name);
  auto def = jet::ReadTableDef(store, text, def_page);
  if (!def.ok()) return Fail(def.status().ToString());
  auto owned = jet::ReadUsageMap(store, def->owned_map);
  if (!owned.ok()) return Fail(owned.status().ToString());

  std::vector<uint32_t> data_pages;
  long rows_per_round = 0;
  for (uint32_t p : *owned) {
    const uint8_t* page = image.data() + size_t{p} * ps;
    jet::ByteView v{page, ps};
    if (v.U8(0) != jet::kPageData || v.U32(4) != def_page) continue;
    data_pages.push_back(p);
    uint16_t slots = v.U16(f.data_row_count);
    for (uint16_t s = 0; s < slots; ++s) {
      if ((v.U16(f.data_first_slot + 2 * s) & (jet::kSlotDeleted | jet::kSlotLookup)) == 0) {
        ++rows_per_round;
      }
    }
  }
  if (rows_per_round == 0) return Fail("the table has no rows to repeat");

  std::vector<uint32_t> all = data_pages;
  uint32_t next = static_cast<uint32_t>(image.size() / ps);
  image.resize(size_t{next} * ps);
  long rows = rows_per_round;
  while (rows < wanted) {
    for (uint32_t p : data_pages) {
      image.insert(image.end(), image.begin() + static_cast<long>(size_t{p} * ps),
                   image.begin() + static_cast<long>(size_t{p} * ps + ps));
      all.push_back(next++);
    }
    rows += rows_per_round;
  }
  // Bitmap pages, one per (page size - 4) * 8 pages.
  const uint32_t per_map = static_cast<uint32_t>((ps - 4) * 8);
  const uint32_t maps = next / per_map + 1;
  const uint32_t first_map = next;
  image.resize(image.size() + size_t{maps} * ps, 0);
  for (uint32_t m = 0; m < maps; ++m) {
    uint8_t* page = image.data() + size_t{first_map + m} * ps;
    page[0] = jet::kPageUsageMap;
    page[1] = 1;
  }
  for (uint32_t p : all) {
    uint8_t* page = image.data() + size_t{first_map + p / per_map} * ps;
    page[4 + (p % per_map) / 8] |= static_cast<uint8_t>(1u << (p % 8));
  }
  // Replace the map row's content with a reference map.
  jet::RowPointer ptr = jet::RowPointer::FromRaw(def->owned_map);
  auto row = jet::LocateRow(store, ptr.page, ptr.slot);
  if (!row.ok()) return Fail(row.status().ToString());
  size_t length = row->end - row->start;
  if (1 + 4 * size_t{maps} > length) return Fail("the map row is too short for the new map");
  uint8_t* map = image.data() + size_t{ptr.page} * ps + row->start;
  std::fill(map, map + length, 0);
  map[0] = 1;
  for (uint32_t m = 0; m < maps; ++m) {
    uint32_t page = first_map + m;
    for (int k = 0; k < 4; ++k) map[1 + 4 * m + k] = static_cast<uint8_t>(page >> (8 * k));
  }
  std::ofstream out(argv[4], std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<long>(image.size()));
  if (!out) return Fail(std::string("cannot write ") + argv[4]);
  std::printf("%ld rows in %zu pages, %zu bytes\n", rows, all.size(), image.size());
  return 0;
}
