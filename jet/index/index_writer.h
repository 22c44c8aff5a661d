// IndexWriter: keeping a table's indexes exact when a row's values change.
//
// Pages are laid out as Access does: a node has an entry for each child but
// the last, which is its tail, and pages on every level link to their
// neighbours.
//
// Prepare() computes a row's old and new entry for one index and checks the
// new one (encodable, not a duplicate in a unique index) without changing
// anything; Apply() then removes the old entry and inserts the new one. Pages
// that overflow are split (a new page takes the lower half and its parent a
// new entry; a full root moves its entries down so the root keeps its page).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "jet/alloc/page_editor.h"
#include "jet/database.h"
#include "jet/index/index_page.h"
#include "jet/status.h"
#include "jet/value.h"

namespace jet {

struct IndexChange {
  const IndexDef* index = nullptr;
  RowId row;
  std::optional<Bytes> old_key;  // absent: the row had no entry
  std::optional<Bytes> new_key;  // absent: the row gets none
  bool old_all_null = false;     // some writers leave such entries out
};

class IndexWriter {
 public:
  // `code_page` is the database's (for Jet 3 text keys).
  IndexWriter(PageEditor* editor, uint16_t code_page) : editor_(editor), code_page_(code_page) {}

  // The entry key of `values` (a whole row) in `index`; std::nullopt when the
  // index leaves such rows out (all key columns NULL in an index ignoring
  // NULLs). NotSupported or InvalidArgument, naming the index and the reason,
  // when the key cannot be encoded.
  Result<std::optional<Bytes>> KeyFor(const TableDef& table, const IndexDef& index,
                                      const std::vector<Value>& values);

  // The change `index` needs when row `row` goes from `old_values` to
  // `new_values`; std::nullopt when its key stays the same. Constraint naming
  // the index when the new key would duplicate another row's in a unique
  // index, or a primary key column would become NULL.
  Result<std::optional<IndexChange>> Prepare(const TableDef& table, const IndexDef& index,
                                             const std::vector<Value>& old_values,
                                             const std::vector<Value>& new_values, RowId row);

  // Removes the old entry and inserts the new one. Corruption when the old
  // entry is not where the key says it is.
  Status Apply(const TableDef& table, const IndexChange& change);

  // Whether `index` has an entry with `key` for a row other than `except`.
  Result<bool> HasOther(const IndexDef& index, const Bytes& key, RowId except);

  // Every entry of `index`, in order (for checks and tests).
  Result<std::vector<IndexEntry>> Entries(const IndexDef& index);

  // Checks the tree's shape: entries in order on every page, every node entry
  // bounding its child's entries (and equal to the last entry under it),
  // leaves all at one depth, and each level's chain visiting its pages in
  // tree order.
  // Adds a line per problem; fails only when a page cannot be read.
  Status Validate(const IndexDef& index, std::vector<std::string>* problems);

 private:
  struct Step {
    uint32_t page;
    size_t entry;  // the entry followed down, or entries.size() for the tail
  };
  // Finds the leaf where `sort_bytes` belongs: its number in *leaf_page, the
  // nodes passed on the way in *path.
  Status Descend(const IndexDef& index, const Bytes& sort_bytes, std::vector<Step>* path,
                 uint32_t* leaf_page);
  // Page `page` as parsed; valid until the next call.
  Result<const IndexPage*> Parsed(uint32_t page);
  // A copy of Parsed(page), for changing it.
  Status Load(uint32_t page, IndexPage* out);
  // Parsed(page) moved out of the cache, for a change that will be stored
  // (which changes the page's bytes, so the parse would not be used again).
  Status Take(uint32_t page, IndexPage* out);
  struct WalkState {
    int leaf_depth = -1;
    std::vector<std::vector<uint32_t>> levels;  // pages met on each level, in order
    std::vector<std::string>* problems = nullptr;
  };
  // Checks the subtree at `page` within (low, high]; `last` gets the last
  // entry under it.
  Status Walk(const IndexDef& index, uint32_t page, const Bytes* low, const Bytes* high, int depth,
              WalkState* state, Bytes* last);
  // Writes `p` at `page` (below the nodes of `path`): splits it when it
  // overflows, takes it out of the tree when it is left empty, and keeps the
  // bounds above it equal to the last entry under each child. `p` is used up.
  Status Store(uint32_t page, IndexPage& p, std::vector<Step> path);
  Status FixBounds(std::vector<Step> path, const IndexPage& p);
  Status Unlink(uint32_t page, const IndexPage& p, std::vector<Step> path);
  Status Relink(uint32_t page, uint32_t prev, uint32_t next);
  // The last entry of the leaves under `p` (none when they are empty).
  Result<std::optional<IndexEntry>> LastUnder(const IndexPage& p);
  Status Insert(const IndexDef& index, const IndexEntry& entry);
  Status Remove(const IndexDef& index, const IndexEntry& entry, const std::string& where,
                bool may_be_missing);

  PageEditor* editor_;
  uint16_t code_page_;
  // Index pages as parsed, with the bytes they were parsed from. Every row
  // update descends each index it changes from the root, and fixes bounds on
  // the way back up, so the upper levels are read again and again; a page is
  // parsed again only when its bytes differ, which makes the cache right
  // whatever changed the page (a write, a rollback, another batch).
  struct ParsedPage {
    std::vector<uint8_t> bytes;
    IndexPage page;
  };
  std::unordered_map<uint32_t, ParsedPage> parsed_;
  IndexPage spare_;  // a page done with, whose buffers the next parse reuses
};

}  // namespace jet
