#include "jet/repair/index_rebuild.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <set>

#include "jet/alloc/usage_map_edit.h"
#include "jet/index/index_page.h"
#include "jet/index/index_writer.h"
#include "jet/table_scan.h"

namespace jet {

namespace {

struct Collected {
  Bytes order;  // key and row pointer: the order entries keep on the pages
  IndexEntry entry;
  bool any_null = false;  // unique indexes let such rows share a key
};

std::string RowName(RowId id) {
  return std::to_string(id.page) + ":" + std::to_string(id.slot);
}

// The pages of the tree under `root`, the root left out, that are index pages
// of the table at `owner`. A page that cannot be read as one is neither
// followed nor collected: giving back a page something else still uses
// would be worse than leaving an unused one behind.
void CollectTreePages(PageEditor& editor, uint32_t root, uint32_t owner,
                      std::set<uint32_t>* pages) {
  std::set<uint32_t> seen{root};
  std::deque<uint32_t> todo{root};
  while (!todo.empty()) {
    const uint32_t page = todo.front();
    todo.pop_front();
    if (page == 0 || page >= editor.page_count()) continue;
    auto view = editor.Read(page);
    if (!view.ok()) continue;
    IndexPage p;
    if (!ParseIndexPage(editor.format(), *view, page, &p).ok() || p.owner != owner) continue;
    if (page != root) pages->insert(page);
    if (p.leaf()) continue;
    for (const IndexEntry& e : p.entries) {
      if (seen.insert(e.child).second) todo.push_back(e.child);
    }
    if (p.tail != 0 && seen.insert(p.tail).second) todo.push_back(p.tail);
  }
}

// Packs `items` (in order) bottom-up into a tree whose root is `root`; new
// pages come from the end of the file. Each item of a node level carries the
// last entry under its child. Returns the pages used, root included.
Result<size_t> WriteTree(PageEditor& editor, const std::string& where, uint32_t owner,
                         uint32_t root, std::vector<IndexEntry> items) {
  const Format& f = editor.format();
  const size_t area = IndexEntryArea(f);
  uint8_t type = kPageIndexLeaf;
  size_t pages = 0;
  for (;;) {
    // Greedy fill by whole entry sizes: the page codec may share a prefix and
    // pack tighter, never looser, so every page written below fits.
    const size_t extra = type == kPageIndexLeaf ? 4 : 8;
    std::vector<std::pair<size_t, size_t>> ranges;
    size_t start = 0, used = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      const size_t size = items[i].key.size() + extra;
      if (i > start && used + size > area) {
        ranges.emplace_back(start, i);
        start = i;
        used = 0;
      }
      used += size;
    }
    ranges.emplace_back(start, items.size());
    std::vector<uint32_t> numbers(ranges.size(), root);
    if (ranges.size() > 1) {
      for (uint32_t& n : numbers) {
        JET_ASSIGN_OR_RETURN(n, AllocatePage(editor));
      }
    }
    std::vector<IndexEntry> up;
    for (size_t k = 0; k < ranges.size(); ++k) {
      IndexPage p;
      p.type = type;
      p.owner = owner;
      p.prev = k == 0 ? 0 : numbers[k - 1];
      p.next = k + 1 == ranges.size() ? 0 : numbers[k + 1];
      p.entries.assign(items.begin() + ranges[k].first, items.begin() + ranges[k].second);
      // As Access lays out nodes: the last child is the tail, without an
      // entry; the parent's bound for this page still names its last entry.
      IndexEntry last;
      if (!p.entries.empty()) last = p.entries.back();
      if (type == kPageIndexNode && !p.entries.empty()) {
        p.tail = p.entries.back().child;
        p.entries.pop_back();
      }
      JET_ASSIGN_OR_RETURN(uint8_t * out, editor.Edit(numbers[k]));
      // Start from a clean page: the root may still carry an older layout.
      std::fill(out, out + editor.page_size(), uint8_t{0});
      if (!WriteIndexPage(f, p, out)) {
        return Status::NotSupported(where + ": an entry does not fit on an index page");
      }
      if (ranges[k].second > ranges[k].first) {
        up.push_back(IndexEntry{std::move(last.key), last.row, numbers[k]});
      }
    }
    pages += ranges.size();
    if (ranges.size() == 1) return pages;
    items = std::move(up);
    type = kPageIndexNode;
  }
}

}  // namespace

Result<TableRebuild> RebuildTableIndexes(PageEditor& editor, const TextDecoder& text,
                                                      uint16_t code_page, const TableDef& table) {
  const std::string where_table = editor.store().file() + ": table '" + table.name + "'";
  // One tree per physical index; logical indexes may share one.
  std::vector<const IndexDef*> trees;
  std::set<uint32_t> seen_real, roots;
  for (const IndexDef& x : table.indexes) {
    if (x.root_page == 0 || !seen_real.insert(x.real_index).second) continue;
    if (x.root_page >= editor.page_count()) {
      return Status::Corruption(where_table + ": index '" + x.name + "' has its root page " +
                                std::to_string(x.root_page) + " beyond the end of the file");
    }
    trees.push_back(&x);
    roots.insert(x.root_page);
  }
  TableRebuild out;
  if (trees.empty()) return out;

  // Old pages are listed before anything is allocated, so no walk through a
  // damaged tree can reach a page of the new ones.
  std::set<uint32_t> old_pages;
  for (const IndexDef* x : trees) {
    CollectTreePages(editor, x->root_page, table.definition_page, &old_pages);
  }
  for (uint32_t r : roots) old_pages.erase(r);

  std::vector<bool> needed(table.columns.size(), false);
  for (const IndexDef* x : trees) {
    for (const IndexColumn& ic : x->columns) needed[ic.column] = true;
  }
  IndexWriter keys(&editor, code_page);
  std::vector<std::vector<Collected>> collected(trees.size());
  JET_ASSIGN_OR_RETURN(auto scan, TableScan::Open(&editor.store(), &text, table));
  std::vector<Value> values(table.columns.size());
  for (;;) {
    JET_ASSIGN_OR_RETURN(bool more, scan->Next());
    if (!more) break;
    for (size_t c = 0; c < values.size(); ++c) {
      if (needed[c]) {
        JET_ASSIGN_OR_RETURN(values[c], scan->Get(c));
      }
    }
    for (size_t t = 0; t < trees.size(); ++t) {
      JET_ASSIGN_OR_RETURN(std::optional<Bytes> key, keys.KeyFor(table, *trees[t], values));
      if (!key) continue;
      bool any_null = false;
      for (const IndexColumn& ic : trees[t]->columns) any_null |= IsNull(values[ic.column]);
      IndexEntry e{std::move(*key), scan->id(), 0};
      Bytes order = e.SortBytes();
      collected[t].push_back(Collected{std::move(order), std::move(e), any_null});
    }
  }

  for (size_t t = 0; t < trees.size(); ++t) {
    const IndexDef& x = *trees[t];
    const std::string where = where_table + ": index '" + x.name + "'";
    auto& entries = collected[t];
    std::sort(entries.begin(), entries.end(),
              [](const Collected& a, const Collected& b) { return a.order < b.order; });
    if (x.unique || x.primary) {
      for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].any_null || entries[i - 1].any_null) continue;
        if (entries[i].entry.key == entries[i - 1].entry.key) {
          return Status::Constraint(where + ": rows " + RowName(entries[i - 1].entry.row) +
                                    " and " + RowName(entries[i].entry.row) +
                                    " hold the same value in this unique index, so it cannot "
                                    "be rebuilt until one of them is changed");
        }
      }
    }
    std::vector<IndexEntry> items;
    items.reserve(entries.size());
    for (Collected& c : entries) items.push_back(std::move(c.entry));
    RebuiltIndex r;
    r.name = x.name;
    r.entries = items.size();
    JET_ASSIGN_OR_RETURN(r.pages, WriteTree(editor, where, table.definition_page, x.root_page,
                                            std::move(items)));
    out.indexes.push_back(std::move(r));
  }
  for (uint32_t page : old_pages) JET_RETURN_IF_ERROR(ReleasePage(editor, page));
  out.released_pages = old_pages.size();
  return out;
}

}  // namespace jet
