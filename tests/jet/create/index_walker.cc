#include "tests/jet/create/index_walker.h"

#include <fstream>
#include <iterator>
#include <set>

namespace tarnquill::testing {

namespace {
constexpr size_t kPage = 4096;
constexpr size_t kMaskStart = 0x1B;
constexpr size_t kEntriesStart = 0x1E0;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

// Splits an index page's entry area by its mask (first entry implicit).
std::vector<std::pair<size_t, size_t>> Entries(const uint8_t* page) {
  std::vector<std::pair<size_t, size_t>> out;
  size_t start = 0;
  for (size_t bit = 1; bit < (kEntriesStart - kMaskStart) * 8; ++bit) {
    if (page[kMaskStart + bit / 8] & (1u << (bit % 8))) {
      out.push_back({kEntriesStart + start, bit - start});
      start = bit;
    }
  }
  return out;
}
}  // namespace

jet::Result<std::vector<WalkedEntry>> WalkIndex(const std::string& path, uint32_t root) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto page = [&](uint32_t n) -> const uint8_t* {
    return (size_t{n} + 1) * kPage <= file.size() ? file.data() + size_t{n} * kPage : nullptr;
  };
  uint32_t at = root;
  std::set<uint32_t> seen;
  // Down the leftmost path: a node entry ends with its child page (big endian).
  for (;;) {
    const uint8_t* p = page(at);
    if (!p || !seen.insert(at).second)
      return jet::Status::Corruption("bad index page " + std::to_string(at));
    if (p[0] == 0x04) break;
    if (p[0] != 0x03)
      return jet::Status::Corruption("page " + std::to_string(at) + " is not an index page");
    auto e = Entries(p);
    if (e.empty()) return jet::Status::Corruption("empty index node " + std::to_string(at));
    const uint8_t* c = p + e[0].first + e[0].second - 4;
    at = uint32_t{c[0]} << 24 | uint32_t{c[1]} << 16 | uint32_t{c[2]} << 8 | c[3];
  }
  std::vector<WalkedEntry> out;
  while (at != 0) {
    const uint8_t* p = page(at);
    if (!p || p[0] != 0x04) return jet::Status::Corruption("bad leaf page " + std::to_string(at));
    for (auto [off, len] : Entries(p)) {
      if (len < 5 || off + len > kPage) return jet::Status::Corruption("bad leaf entry");
      WalkedEntry w;
      w.key.assign(p + off, p + off + len - 4);
      const uint8_t* r = p + off + len - 4;
      w.page = uint32_t{r[0]} << 16 | uint32_t{r[1]} << 8 | r[2];
      w.slot = r[3];
      out.push_back(std::move(w));
    }
    at = U32(p + 12);
    if (at != 0 && !seen.insert(at).second) return jet::Status::Corruption("leaf chain loops");
  }
  return out;
}

}  // namespace tarnquill::testing
