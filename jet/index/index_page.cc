#include "jet/index/index_page.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace jet {

namespace {

void Put32Le(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes EntryBytes(const IndexEntry& e, bool leaf) {
  Bytes b = e.SortBytes();
  if (!leaf) {
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(e.child >> (8 * i)));
  }
  return b;
}

size_t SharedPrefix(const std::vector<Bytes>& all) {
  if (all.size() < 2) return 0;
  size_t n = all[0].size();
  for (size_t i = 1; i < all.size(); ++i) {
    size_t k = 0;
    while (k < n && k < all[i].size() && all[i][k] == all[0][k]) ++k;
    n = k;
  }
  // Every entry keeps at least one byte of its own.
  for (const Bytes& b : all) n = std::min(n, b.size() - 1);
  // The count is kept in one byte in Jet 3; longer shared runs just stay.
  return std::min<size_t>(n, 0xFF);
}

}  // namespace

Bytes IndexEntry::SortBytes() const {
  Bytes b = key;
  b.push_back(static_cast<uint8_t>(row.page >> 16));
  b.push_back(static_cast<uint8_t>(row.page >> 8));
  b.push_back(static_cast<uint8_t>(row.page));
  b.push_back(static_cast<uint8_t>(row.slot));
  return b;
}

size_t IndexEntryArea(const Format& f) { return f.page_size - f.index_entries; }

Status ParseIndexPage(const Format& f, ByteView page, uint32_t number, IndexPage* out) {
  auto bad = [&](const std::string& what) {
    return Status::Corruption("page " + std::to_string(number) + ": index page: " + what);
  };
  *out = IndexPage{};
  out->type = page.U8(0);
  if (out->type != kPageIndexLeaf && out->type != kPageIndexNode) return bad("wrong page type");
  out->owner = page.U32(4);
  out->prev = page.U32(f.index_prev);
  out->next = page.U32(f.index_next);
  out->tail = page.U32(f.index_tail);
  size_t prefix =
      f.index_prefix_size == 1 ? page.U8(f.index_prefix_length) : page.U16(f.index_prefix_length);
  const size_t tail_size = out->leaf() ? 4 : 8;
  size_t start = 0;
  Bytes first;
  const size_t area = page.size - f.index_entries;
  for (size_t i = 0; i < f.index_entries - f.index_entry_mask && i * 8 < area + 8; ++i) {
    uint8_t b = page.U8(f.index_entry_mask + i);
    for (int k = 0; k < 8 && b != 0; ++k) {
      if (!(b & (1u << k))) continue;
      size_t end = i * 8 + k;
      if (end > area || end <= start) return bad("entry bitmap runs past the page");
      Bytes full;
      if (out->entries.empty()) {
        full.assign(page.data + f.index_entries + start, page.data + f.index_entries + end);
        first = full;
      } else {
        if (prefix > first.size()) return bad("shared prefix longer than the first entry");
        full.assign(first.begin(), first.begin() + prefix);
        full.insert(full.end(), page.data + f.index_entries + start,
                    page.data + f.index_entries + end);
      }
      if (full.size() < tail_size) return bad("entry shorter than its row pointer");
      IndexEntry e;
      size_t key_end = full.size() - tail_size;
      e.key.assign(full.begin(), full.begin() + key_end);
      e.row.page = (uint32_t{full[key_end]} << 16) | (uint32_t{full[key_end + 1]} << 8) |
                   full[key_end + 2];
      e.row.slot = full[key_end + 3];
      if (!out->leaf()) {
        e.child = (uint32_t{full[key_end + 4]} << 24) | (uint32_t{full[key_end + 5]} << 16) |
                  (uint32_t{full[key_end + 6]} << 8) | full[key_end + 7];
      }
      out->entries.push_back(std::move(e));
      start = end;
    }
  }
  return Status::Ok();
}

size_t IndexEntryBytes(const Format&, const IndexPage& page) {
  std::vector<Bytes> all;
  for (const IndexEntry& e : page.entries) all.push_back(EntryBytes(e, page.leaf()));
  size_t prefix = SharedPrefix(all);
  size_t n = 0;
  for (size_t i = 0; i < all.size(); ++i) n += all[i].size() - (i == 0 ? 0 : prefix);
  return n;
}

bool WriteIndexPage(const Format& f, const IndexPage& page, uint8_t* out) {
  std::vector<Bytes> all;
  for (const IndexEntry& e : page.entries) all.push_back(EntryBytes(e, page.leaf()));
  const size_t prefix = SharedPrefix(all);
  size_t used = 0;
  for (size_t i = 0; i < all.size(); ++i) used += all[i].size() - (i == 0 ? 0 : prefix);
  const size_t area = f.page_size - f.index_entries;
  if (used > area) return false;
  out[0] = page.type;
  out[1] = 0x01;
  out[2] = static_cast<uint8_t>(area - used);
  out[3] = static_cast<uint8_t>((area - used) >> 8);
  Put32Le(out + 4, page.owner);
  Put32Le(out + f.index_prev, page.prev);
  Put32Le(out + f.index_next, page.next);
  Put32Le(out + f.index_tail, page.tail);
  out[f.index_prefix_length] = static_cast<uint8_t>(prefix);
  if (f.index_prefix_size == 2) out[f.index_prefix_length + 1] = 0;
  std::memset(out + f.index_entry_mask, 0, f.index_entries - f.index_entry_mask);
  std::memset(out + f.index_entries, 0, area);
  size_t pos = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    size_t skip = i == 0 ? 0 : prefix;
    std::memcpy(out + f.index_entries + pos, all[i].data() + skip, all[i].size() - skip);
    pos += all[i].size() - skip;
    out[f.index_entry_mask + pos / 8] |= static_cast<uint8_t>(1u << (pos % 8));
  }
  return true;
}

}  // namespace jet
