#include "tests/jet/create/index_walker.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace tarnquill::testing {

namespace {
constexpr size_t kPage = 4096;
constexpr size_t kMaskStart = 0x1B;
constexpr size_t kEntriesStart = 0x1E0;
constexpr size_t kNext = 16;
constexpr size_t kPrefix = 24;
constexpr size_t kTail = 20;

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24; }

// Splits an index page's entry area by its mask into whole entries: every
// entry after the first leaves out the prefix they all share.
std::vector<jet::Bytes> Entries(const uint8_t* page) {
  std::vector<jet::Bytes> out;
  const size_t prefix = page[kPrefix] | page[kPrefix + 1] << 8;
  size_t start = 0;
  for (size_t bit = 1; bit < (kEntriesStart - kMaskStart) * 8; ++bit) {
    if (page[kMaskStart + bit / 8] & (1u << (bit % 8))) {
      jet::Bytes e;
      if (!out.empty()) e.assign(out[0].begin(), out[0].begin() + std::min(prefix, out[0].size()));
      e.insert(e.end(), page + kEntriesStart + start, page + kEntriesStart + bit);
      out.push_back(std::move(e));
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
    if (e.empty()) {
      at = U32(p + kTail);  // a node whose only child is its tail
      continue;
    }
    const uint8_t* c = e[0].data() + e[0].size() - 4;
    at = uint32_t{c[0]} << 24 | uint32_t{c[1]} << 16 | uint32_t{c[2]} << 8 | c[3];
  }
  std::vector<WalkedEntry> out;
  while (at != 0) {
    const uint8_t* p = page(at);
    if (!p || p[0] != 0x04) return jet::Status::Corruption("bad leaf page " + std::to_string(at));
    for (const jet::Bytes& e : Entries(p)) {
      if (e.size() < 5) return jet::Status::Corruption("bad leaf entry");
      WalkedEntry w;
      w.key.assign(e.begin(), e.end() - 4);
      const uint8_t* r = e.data() + e.size() - 4;
      w.page = uint32_t{r[0]} << 16 | uint32_t{r[1]} << 8 | r[2];
      w.slot = r[3];
      out.push_back(std::move(w));
    }
    at = U32(p + kNext);
    if (at != 0 && !seen.insert(at).second) return jet::Status::Corruption("leaf chain loops");
  }
  return out;
}

}  // namespace tarnquill::testing
