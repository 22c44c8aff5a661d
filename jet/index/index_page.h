// Index pages: the B-tree nodes (type 3) and leaves (type 4) of an index.
//
// After a header (owner, previous and next page on the same level, a "tail"
// child of nodes, the length of the prefix all entries share) comes a bitmap
// with one bit per byte of the entry area marking where each entry ends, and
// then the entries. Every entry after the first leaves out the shared prefix.
// A leaf entry is the key followed by the row pointer (page in 3 bytes, then
// the slot, big-endian); a node entry adds the child page (4 bytes,
// big-endian) and repeats the last entry of that child, so it bounds the keys
// below it. A node's tail child, when set, has no entry of its own.
#pragma once

#include <cstdint>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/database.h"
#include "jet/format.h"
#include "jet/status.h"

namespace jet {

struct IndexEntry {
  Bytes key;         // the key bytes, without the row pointer
  RowId row;         // the row it indexes (in nodes: the child's last row)
  uint32_t child = 0;  // nodes only
  // Key and row pointer, the bytes that order entries.
  Bytes SortBytes() const;
};

struct IndexPage {
  uint8_t type = kPageIndexLeaf;
  uint32_t owner = 0;  // table definition page
  uint32_t prev = 0;
  uint32_t next = 0;
  uint32_t tail = 0;
  std::vector<IndexEntry> entries;
  bool leaf() const { return type == kPageIndexLeaf; }
};

// Parses index page `number`. Corruption when its type, bitmap, prefix or an
// entry is impossible.
Status ParseIndexPage(const Format& format, ByteView page, uint32_t number, IndexPage* out);

// Bytes the page's entries take in the entry area (with prefix compression).
size_t IndexEntryBytes(const Format& format, const IndexPage& page);

// Room for entries on an index page.
size_t IndexEntryArea(const Format& format);

// Writes `page` into the whole-page buffer `out` (other header bytes kept).
// Returns false, leaving `out` unchanged, when the entries do not fit.
bool WriteIndexPage(const Format& format, const IndexPage& page, uint8_t* out);

}  // namespace jet
