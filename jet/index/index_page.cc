#include "jet/index/index_page.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace jet {

namespace {

void Put32Le(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// An entry as the page stores it: the key, the row pointer and, in nodes,
// the child, read in place rather than built (a page is written out after
// every change to it).
class StoredEntry {
 public:
  StoredEntry(const IndexEntry& e, bool leaf) : key_(e.key), tail_size_(leaf ? 4 : 8) {
    const uint32_t tail[2] = {(e.row.page << 8) | (e.row.slot & 0xFFu), e.child};
    for (size_t i = 0; i < tail_size_; ++i) {
      tail_[i] = static_cast<uint8_t>(tail[i / 4] >> (8 * (3 - i % 4)));
    }
  }
  size_t size() const { return key_.size() + tail_size_; }
  uint8_t operator[](size_t i) const { return i < key_.size() ? key_[i] : tail_[i - key_.size()]; }
  // Copies bytes [from, size()) to `out`.
  void CopyFrom(size_t from, uint8_t* out) const {
    if (from < key_.size()) {
      std::memcpy(out, key_.data() + from, key_.size() - from);
      out += key_.size() - from;
      from = key_.size();
    }
    std::memcpy(out, tail_ + (from - key_.size()), size() - from);
  }

 private:
  const Bytes& key_;
  uint8_t tail_[8];
  size_t tail_size_;
};

// The prefix all entries share and that the first stores for the others.
size_t SharedPrefix(const IndexPage& page) {
  const std::vector<IndexEntry>& entries = page.entries;
  if (entries.size() < 2) return 0;
  const StoredEntry first(entries[0], page.leaf());
  size_t n = first.size();
  for (size_t i = 1; i < entries.size() && n > 0; ++i) {
    const StoredEntry e(entries[i], page.leaf());
    size_t k = 0;
    while (k < n && k < e.size() && e[k] == first[k]) ++k;
    n = k;
  }
  // Every entry keeps at least one byte of its own.
  for (const IndexEntry& e : entries) n = std::min(n, StoredEntry(e, page.leaf()).size() - 1);
  // The count is kept in one byte in Jet 3; longer shared runs just stay.
  return std::min<size_t>(n, 0xFF);
}

// Bytes the entries take with `prefix` left out of all but the first.
size_t StoredBytes(const IndexPage& page, size_t prefix) {
  size_t n = 0;
  for (size_t i = 0; i < page.entries.size(); ++i) {
    n += StoredEntry(page.entries[i], page.leaf()).size() - (i == 0 ? 0 : prefix);
  }
  return n;
}

}  // namespace

Bytes IndexEntry::SortBytes() const {
  Bytes b;
  b.reserve(key.size() + 4);
  b.assign(key.begin(), key.end());
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
  // The entries already in *out are overwritten in place, so that parsing
  // into the same page again reuses their buffers.
  std::vector<IndexEntry> entries = std::move(out->entries);
  *out = IndexPage{};
  size_t count = 0;
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
  Bytes first, full;
  const size_t area = page.size - f.index_entries;
  for (size_t i = 0; i < f.index_entries - f.index_entry_mask && i * 8 < area + 8; ++i) {
    uint8_t b = page.U8(f.index_entry_mask + i);
    for (int k = 0; k < 8 && b != 0; ++k) {
      if (!(b & (1u << k))) continue;
      size_t end = i * 8 + k;
      if (end > area || end <= start) return bad("entry bitmap runs past the page");
      if (count == 0) {
        full.assign(page.data + f.index_entries + start, page.data + f.index_entries + end);
        first = full;
      } else {
        if (prefix > first.size()) return bad("shared prefix longer than the first entry");
        full.assign(first.begin(), first.begin() + prefix);
        full.insert(full.end(), page.data + f.index_entries + start,
                    page.data + f.index_entries + end);
      }
      if (full.size() < tail_size) return bad("entry shorter than its row pointer");
      if (count == entries.size()) entries.emplace_back();
      IndexEntry& e = entries[count++];
      size_t key_end = full.size() - tail_size;
      e.key.assign(full.begin(), full.begin() + key_end);
      e.row.page = (uint32_t{full[key_end]} << 16) | (uint32_t{full[key_end + 1]} << 8) |
                   full[key_end + 2];
      e.row.slot = full[key_end + 3];
      e.child = 0;
      if (!out->leaf()) {
        e.child = (uint32_t{full[key_end + 4]} << 24) | (uint32_t{full[key_end + 5]} << 16) |
                  (uint32_t{full[key_end + 6]} << 8) | full[key_end + 7];
      }
      start = end;
    }
  }
  entries.resize(count);
  out->entries = std::move(entries);
  return Status::Ok();
}

size_t IndexEntryBytes(const Format&, const IndexPage& page) {
  return StoredBytes(page, SharedPrefix(page));
}

bool WriteIndexPage(const Format& f, const IndexPage& page, uint8_t* out) {
  const size_t prefix = SharedPrefix(page);
  const size_t used = StoredBytes(page, prefix);
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
  for (size_t i = 0; i < page.entries.size(); ++i) {
    const StoredEntry e(page.entries[i], page.leaf());
    const size_t skip = i == 0 ? 0 : prefix;
    e.CopyFrom(skip, out + f.index_entries + pos);
    pos += e.size() - skip;
    out[f.index_entry_mask + pos / 8] |= static_cast<uint8_t>(1u << (pos % 8));
  }
  return true;
}

}  // namespace jet
