#include "jet/index/index_writer.h"

#include <algorithm>
#include <cstring>

#include "jet/alloc/usage_map_edit.h"
#include "jet/keys/index_key.h"

namespace jet {

namespace {
constexpr int kMaxDepth = 32;
constexpr size_t kMaxLevelPages = 1u << 24;
// Parsed pages kept: the nodes of a few large indexes and the leaves last
// read, a few megabytes at most.
constexpr size_t kMaxParsedPages = 256;

// a.SortBytes() < b, without building the bytes (this runs for every step of
// every search).
bool LessEntry(const IndexEntry& a, const Bytes& b) {
  const uint8_t row[4] = {static_cast<uint8_t>(a.row.page >> 16),
                          static_cast<uint8_t>(a.row.page >> 8), static_cast<uint8_t>(a.row.page),
                          static_cast<uint8_t>(a.row.slot)};
  const size_t n = a.key.size() + 4;
  for (size_t i = 0; i < n && i < b.size(); ++i) {
    uint8_t x = i < a.key.size() ? a.key[i] : row[i - a.key.size()];
    if (x != b[i]) return x < b[i];
  }
  return n < b.size();
}

std::string IndexWhere(const PageStore& store, const TableDef& table, const IndexDef& index) {
  return store.file() + ": table '" + table.name + "': index '" + index.name + "'";
}
}  // namespace

Result<const IndexPage*> IndexWriter::Parsed(uint32_t page) {
  if (page == 0 || page >= editor_->page_count()) {
    return editor_->store().Corrupt(page, "index page number out of range");
  }
  JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
  auto it = parsed_.find(page);
  if (it != parsed_.end() && it->second.bytes.size() == v.size &&
      std::memcmp(it->second.bytes.data(), v.data, v.size) == 0) {
    return &it->second.page;
  }
  if (it == parsed_.end()) {
    if (parsed_.size() >= kMaxParsedPages) {
      // Leaves go first: a row's leaves are seldom the next row's, while
      // every descent passes the same nodes.
      std::erase_if(parsed_, [](const auto& p) { return p.second.page.leaf(); });
      if (parsed_.size() >= kMaxParsedPages / 2) parsed_.clear();
    }
    it = parsed_.try_emplace(page).first;
    // Parsing into the entries of the leaf last stored spares allocating
    // a key for each entry.
    std::swap(it->second.page, spare_);
  }
  ParsedPage& cached = it->second;
  Status s = ParseIndexPage(editor_->format(), v, page, &cached.page);
  if (!s.ok()) {
    parsed_.erase(it);
    return Status::Corruption(editor_->store().file() + ": " + s.message());
  }
  cached.bytes.assign(v.data, v.data + v.size);
  return &cached.page;
}

Status IndexWriter::Load(uint32_t page, IndexPage* out) {
  JET_ASSIGN_OR_RETURN(const IndexPage* parsed, Parsed(page));
  *out = *parsed;
  return Status::Ok();
}

Status IndexWriter::Take(uint32_t page, IndexPage* out) {
  JET_RETURN_IF_ERROR(Parsed(page).status());
  auto it = parsed_.find(page);
  *out = std::move(it->second.page);
  parsed_.erase(it);
  return Status::Ok();
}

Status IndexWriter::Descend(const IndexDef& index, const Bytes& target, std::vector<Step>* path,
                            uint32_t* leaf_page) {
  path->clear();
  uint32_t page = index.root_page;
  for (int depth = 0;; ++depth) {
    if (depth == kMaxDepth) {
      return editor_->store().Corrupt(page, "index '" + index.name + "' is deeper than possible");
    }
    JET_ASSIGN_OR_RETURN(const IndexPage* at, Parsed(page));
    *leaf_page = page;
    if (at->leaf()) return Status::Ok();
    const auto& es = at->entries;
    size_t i = std::lower_bound(es.begin(), es.end(), target, LessEntry) - es.begin();
    uint32_t child = 0;
    if (i < es.size()) {
      child = es[i].child;
    } else if (at->tail != 0) {
      child = at->tail;
    } else if (!es.empty()) {
      i = es.size() - 1;
      child = es[i].child;
    } else {
      return editor_->store().Corrupt(page, "index node without children");
    }
    path->push_back(Step{page, i});
    page = child;
  }
}

Result<std::optional<IndexEntry>> IndexWriter::LastUnder(const IndexPage& p) {
  const IndexPage* at = &p;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    if (at->leaf() || at->tail == 0) {
      if (at->entries.empty()) return std::optional<IndexEntry>();
      return std::optional<IndexEntry>(at->entries.back());
    }
    JET_ASSIGN_OR_RETURN(at, Parsed(at->tail));
  }
  return editor_->store().Corrupt(p.tail, "index tails run deeper than possible");
}

Status IndexWriter::FixBounds(std::vector<Step> path, const IndexPage& p) {
  JET_ASSIGN_OR_RETURN(std::optional<IndexEntry> last, LastUnder(p));
  if (!last) return Status::Ok();
  // A tail child has no entry: its last entry is its parent's, so the bound to
  // keep is further up.
  while (!path.empty()) {
    const Step up = path.back();
    path.pop_back();
    JET_ASSIGN_OR_RETURN(const IndexPage* parsed, Parsed(up.page));
    if (up.entry >= parsed->entries.size()) continue;
    const IndexEntry& kept = parsed->entries[up.entry];
    if (kept.key == last->key && kept.row == last->row) return Status::Ok();
    IndexPage parent;
    JET_RETURN_IF_ERROR(Take(up.page, &parent));
    IndexEntry& bound = parent.entries[up.entry];
    bound.key = last->key;
    bound.row = last->row;
    return Store(up.page, parent, std::move(path));
  }
  return Status::Ok();
}

Status IndexWriter::Relink(uint32_t page, uint32_t prev, uint32_t next) {
  IndexPage p;
  JET_RETURN_IF_ERROR(Load(page, &p));
  p.prev = prev;
  p.next = next;
  JET_ASSIGN_OR_RETURN(uint8_t * out, editor_->Edit(page));
  if (!WriteIndexPage(editor_->format(), p, out)) {
    return editor_->store().Corrupt(page, "index page no longer fits");
  }
  return Status::Ok();
}

Status IndexWriter::Unlink(uint32_t page, const IndexPage& p, std::vector<Step> path) {
  if (p.prev != 0) {
    IndexPage before;
    JET_RETURN_IF_ERROR(Load(p.prev, &before));
    JET_RETURN_IF_ERROR(Relink(p.prev, before.prev, p.next));
  }
  if (p.next != 0) {
    IndexPage after;
    JET_RETURN_IF_ERROR(Load(p.next, &after));
    JET_RETURN_IF_ERROR(Relink(p.next, p.prev, after.next));
  }
  JET_RETURN_IF_ERROR(ReleasePage(*editor_, page));
  const Step up = path.back();
  path.pop_back();
  IndexPage parent;
  JET_RETURN_IF_ERROR(Load(up.page, &parent));
  if (up.entry < parent.entries.size()) {
    parent.entries.erase(parent.entries.begin() + static_cast<ptrdiff_t>(up.entry));
  } else if (!parent.entries.empty()) {
    // The last child left: the one before it becomes the tail.
    parent.tail = parent.entries.back().child;
    parent.entries.pop_back();
  } else {
    parent.tail = 0;
  }
  return Store(up.page, parent, std::move(path));
}

Status IndexWriter::Store(uint32_t page, IndexPage& p, std::vector<Step> path) {
  const Format& f = editor_->format();
  const bool empty = p.entries.empty() && p.tail == 0;
  if (empty && !path.empty()) return Unlink(page, p, std::move(path));
  if (empty) p.type = kPageIndexLeaf;  // a root without children is an empty leaf
  {
    JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
    std::vector<uint8_t> copy(v.data, v.data + v.size);
    if (WriteIndexPage(f, p, copy.data())) {
      JET_ASSIGN_OR_RETURN(uint8_t * out, editor_->Edit(page));
      std::copy(copy.begin(), copy.end(), out);
      return FixBounds(std::move(path), p);
    }
  }
  if (p.entries.size() < 2) {
    return editor_->store().Corrupt(page, "an index entry does not fit on an empty page");
  }
  // The lower half moves to a new page. In a node, the last child of that
  // half becomes its tail and its entry the bound the parent keeps.
  const size_t mid = p.entries.size() / 2;
  IndexPage lower = p, upper = p;
  lower.entries.assign(p.entries.begin(), p.entries.begin() + static_cast<ptrdiff_t>(mid));
  upper.entries.assign(p.entries.begin() + static_cast<ptrdiff_t>(mid), p.entries.end());
  const IndexEntry lower_last = lower.entries.back();
  lower.tail = 0;
  if (!p.leaf()) {
    lower.tail = lower_last.child;
    lower.entries.pop_back();
  }
  auto write = [&](uint32_t number, const IndexPage& half) -> Status {
    JET_ASSIGN_OR_RETURN(uint8_t * out, editor_->Edit(number));
    if (!WriteIndexPage(f, half, out)) return Status::Corruption("index split half does not fit");
    return Status::Ok();
  };
  auto fresh = [&](uint32_t* number) -> Status {
    JET_ASSIGN_OR_RETURN(*number, AllocatePage(*editor_));
    JET_ASSIGN_OR_RETURN(uint8_t * out, editor_->Edit(*number));
    std::fill(out, out + f.page_size, uint8_t{0});
    return Status::Ok();
  };
  if (path.empty()) {
    // The root keeps its page (the definition points at it): both halves move
    // down into new pages and the root becomes a node above them.
    uint32_t lp = 0, rp = 0;
    JET_RETURN_IF_ERROR(fresh(&lp));
    JET_RETURN_IF_ERROR(fresh(&rp));
    lower.prev = 0;
    lower.next = rp;
    upper.prev = lp;
    upper.next = 0;
    JET_RETURN_IF_ERROR(write(lp, lower));
    JET_RETURN_IF_ERROR(write(rp, upper));
    IndexPage root;
    root.type = kPageIndexNode;
    root.owner = p.owner;
    root.entries.push_back(IndexEntry{lower_last.key, lower_last.row, lp});
    root.tail = rp;
    return Store(page, root, {});
  }
  uint32_t np = 0;
  JET_RETURN_IF_ERROR(fresh(&np));
  lower.prev = p.prev;
  lower.next = page;
  upper.prev = np;
  JET_RETURN_IF_ERROR(write(np, lower));
  if (p.prev != 0) {
    IndexPage before;
    JET_RETURN_IF_ERROR(Load(p.prev, &before));
    JET_RETURN_IF_ERROR(Relink(p.prev, before.prev, np));
  }
  JET_RETURN_IF_ERROR(write(page, upper));
  const Step up = path.back();
  path.pop_back();
  IndexPage parent;
  JET_RETURN_IF_ERROR(Load(up.page, &parent));
  if (up.entry < parent.entries.size()) {
    JET_ASSIGN_OR_RETURN(std::optional<IndexEntry> upper_last, LastUnder(upper));
    parent.entries[up.entry].key = upper_last->key;
    parent.entries[up.entry].row = upper_last->row;
  }
  const size_t at = std::min(up.entry, parent.entries.size());
  parent.entries.insert(parent.entries.begin() + static_cast<ptrdiff_t>(at),
                        IndexEntry{lower_last.key, lower_last.row, np});
  return Store(up.page, parent, std::move(path));
}

Status IndexWriter::Insert(const IndexDef& index, const IndexEntry& entry) {
  std::vector<Step> path;
  IndexPage leaf;
  Bytes target = entry.SortBytes();
  uint32_t page = 0;
  JET_RETURN_IF_ERROR(Descend(index, target, &path, &page));
  JET_RETURN_IF_ERROR(Take(page, &leaf));
  auto it = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), target, LessEntry);
  leaf.entries.insert(it, entry);
  Status stored = Store(page, leaf, std::move(path));
  spare_ = std::move(leaf);
  return stored;
}

Status IndexWriter::Remove(const IndexDef& index, const IndexEntry& entry,
                           const std::string& where, bool may_be_missing) {
  std::vector<Step> path;
  IndexPage leaf;
  Bytes target = entry.SortBytes();
  uint32_t page = 0;
  JET_RETURN_IF_ERROR(Descend(index, target, &path, &page));
  JET_RETURN_IF_ERROR(Take(page, &leaf));
  auto it = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), target, LessEntry);
  if (it == leaf.entries.end() || it->key != entry.key || !(it->row == entry.row)) {
    if (may_be_missing) return Status::Ok();
    return Status::Corruption(where + " has no entry for row " + std::to_string(entry.row.page) +
                              ":" + std::to_string(entry.row.slot) +
                              " under its current value; the index needs repair");
  }
  leaf.entries.erase(it);
  Status stored = Store(page, leaf, std::move(path));
  spare_ = std::move(leaf);
  return stored;
}

Result<std::optional<Bytes>> IndexWriter::KeyFor(const TableDef& table, const IndexDef& index,
                                                 const std::vector<Value>& values) {
  std::vector<keys::KeyPart> parts;
  keys::SortOrder order = keys::GeneralLegacyOrder();
  order.code_page = code_page_;
  bool have_order = false;
  bool all_null = true;
  for (const IndexColumn& ic : index.columns) {
    const ColumnDef& c = table.columns[ic.column];
    keys::KeyPart part;
    part.type = c.type;
    part.value = values[ic.column];
    part.ascending = ic.ascending;
    part.scale = c.scale;
    all_null = all_null && IsNull(part.value);
    if (!have_order && (c.type == ColumnType::kText || c.type == ColumnType::kMemo)) {
      order.id = c.sort_order;
      order.version = c.sort_order_version;
      have_order = true;
    }
    parts.push_back(std::move(part));
  }
  if (index.ignore_nulls && all_null) return std::optional<Bytes>();
  keys::JetVersion version = keys::JetVersion::kJet4;
  if (editor_->format().version == 3) version = keys::JetVersion::kJet3;
  if (editor_->format().ace_version != 0) version = keys::JetVersion::kAce;
  auto key = keys::EncodeIndexKey(parts, order, version);
  if (!key.ok()) {
    return key.status().WithContext(IndexWhere(editor_->store(), table, index) +
                                    ": the key cannot be written");
  }
  return std::optional<Bytes>(std::move(key).value());
}

Result<std::optional<IndexChange>> IndexWriter::Prepare(const TableDef& table,
                                                        const IndexDef& index,
                                                        const std::vector<Value>& old_values,
                                                        const std::vector<Value>& new_values,
                                                        RowId row) {
  JET_ASSIGN_OR_RETURN(auto old_key, KeyFor(table, index, old_values));
  JET_ASSIGN_OR_RETURN(auto new_key, KeyFor(table, index, new_values));
  if (old_key == new_key) return std::optional<IndexChange>();
  bool any_null = false;
  for (const IndexColumn& ic : index.columns) {
    if (!IsNull(new_values[ic.column])) continue;
    any_null = true;
    if (index.primary || index.required) {
      return Status::Constraint(IndexWhere(editor_->store(), table, index) + ": column '" +
                                table.columns[ic.column].name +
                                "' needs a value (the index does not allow NULL)");
    }
  }
  if (index.root_page == 0) {
    return Status::Corruption(IndexWhere(editor_->store(), table, index) + " has no root page");
  }
  if ((index.unique || index.primary) && new_key && !any_null) {
    JET_ASSIGN_OR_RETURN(bool dup, HasOther(index, *new_key, row));
    if (dup) {
      return Status::Constraint(IndexWhere(editor_->store(), table, index) +
                                ": the change would create a duplicate value in this unique "
                                "index (row " + std::to_string(row.page) + ":" +
                                std::to_string(row.slot) + ")");
    }
  }
  bool old_all_null = true;
  for (const IndexColumn& ic : index.columns) {
    old_all_null = old_all_null && IsNull(old_values[ic.column]);
  }
  return std::optional<IndexChange>(IndexChange{&index, row, old_key, new_key, old_all_null});
}

Status IndexWriter::Apply(const TableDef& table, const IndexChange& change) {
  const std::string where = IndexWhere(editor_->store(), table, *change.index);
  if (change.old_key) {
    Status removed = Remove(*change.index, IndexEntry{*change.old_key, change.row, 0}, where,
                            change.old_all_null);
    if (removed.IsCorruption()) {
      // Say how to get out of it: the refusal is all the user sees.
      return Status::Corruption(removed.message() + ": run tarnquill-cli repair " +
                                editor_->store().file() + " --table " + table.name);
    }
    JET_RETURN_IF_ERROR(removed);
  }
  if (change.new_key) {
    JET_RETURN_IF_ERROR(Insert(*change.index, IndexEntry{*change.new_key, change.row, 0}));
  }
  return Status::Ok();
}

Result<bool> IndexWriter::HasOther(const IndexDef& index, const Bytes& key, RowId except) {
  std::vector<Step> path;
  uint32_t leaf = 0;
  JET_RETURN_IF_ERROR(Descend(index, key, &path, &leaf));
  JET_ASSIGN_OR_RETURN(const IndexPage* page, Parsed(leaf));
  for (size_t hops = 0; hops < kMaxLevelPages; ++hops) {
    for (const IndexEntry& e : page->entries) {
      if (e.key == key) {
        if (!(e.row == except)) return true;
      } else if (!(e.key < key)) {
        return false;
      }
    }
    if (page->next == 0) return false;
    JET_ASSIGN_OR_RETURN(page, Parsed(page->next));
  }
  return false;
}

Result<std::vector<IndexEntry>> IndexWriter::Entries(const IndexDef& index) {
  IndexPage page;
  JET_RETURN_IF_ERROR(Load(index.root_page, &page));
  for (int depth = 0; !page.leaf(); ++depth) {
    if (depth == kMaxDepth) return editor_->store().Corrupt(index.root_page, "index too deep");
    uint32_t child = page.entries.empty() ? page.tail : page.entries.front().child;
    JET_RETURN_IF_ERROR(Load(child, &page));
  }
  std::vector<IndexEntry> out;
  for (size_t hops = 0; hops < kMaxLevelPages; ++hops) {
    out.insert(out.end(), page.entries.begin(), page.entries.end());
    if (page.next == 0) return out;
    JET_RETURN_IF_ERROR(Load(page.next, &page));
  }
  return editor_->store().Corrupt(index.root_page, "index leaf chain loops");
}

Status IndexWriter::Walk(const IndexDef& index, uint32_t page, const Bytes* low, const Bytes* high,
                         int depth, WalkState* state, Bytes* last) {
  const std::string where = "index '" + index.name + "': page " + std::to_string(page);
  if (depth > kMaxDepth) {
    state->problems->push_back(where + ": the tree is deeper than possible (a loop?)");
    return Status::Ok();
  }
  IndexPage p;
  JET_RETURN_IF_ERROR(Load(page, &p));
  if (state->levels.size() <= static_cast<size_t>(depth)) state->levels.resize(depth + 1);
  state->levels[depth].push_back(page);
  std::vector<Bytes> sorts;
  for (const IndexEntry& e : p.entries) sorts.push_back(e.SortBytes());
  for (size_t i = 0; i < sorts.size(); ++i) {
    if (i > 0 && !(sorts[i - 1] < sorts[i])) {
      state->problems->push_back(where + ": entries " + std::to_string(i - 1) + " and " +
                                 std::to_string(i) + " are out of order");
    }
    if ((low && !(*low < sorts[i])) || (high && *high < sorts[i])) {
      state->problems->push_back(where + ": entry " + std::to_string(i) +
                                 " lies outside the bounds its parent gives the page");
    }
  }
  if (p.leaf()) {
    if (state->leaf_depth == -1) state->leaf_depth = depth;
    if (state->leaf_depth != depth)
      state->problems->push_back(where + ": leaves at different depths");
    if (!sorts.empty()) *last = sorts.back();
    return Status::Ok();
  }
  const Bytes* prev = low;
  for (size_t i = 0; i < p.entries.size(); ++i) {
    Bytes under;
    JET_RETURN_IF_ERROR(Walk(index, p.entries[i].child, prev, &sorts[i], depth + 1, state, &under));
    if (under != sorts[i]) {
      state->problems->push_back(where + ": entry " + std::to_string(i) +
                                 " is not the last entry under its child page " +
                                 std::to_string(p.entries[i].child));
    }
    prev = &sorts[i];
  }
  if (p.tail != 0) {
    JET_RETURN_IF_ERROR(Walk(index, p.tail, prev, high, depth + 1, state, last));
  } else if (!sorts.empty()) {
    *last = sorts.back();
  }
  if (p.entries.empty() && p.tail == 0) {
    state->problems->push_back(where + ": node without children");
  }
  return Status::Ok();
}

Status IndexWriter::Validate(const IndexDef& index, std::vector<std::string>* problems) {
  WalkState state;
  state.problems = problems;
  Bytes last;
  JET_RETURN_IF_ERROR(Walk(index, index.root_page, nullptr, nullptr, 0, &state, &last));
  // Every level, not just the leaves, is a chain Access follows.
  for (const std::vector<uint32_t>& level : state.levels) {
    for (size_t i = 0; i < level.size(); ++i) {
      IndexPage p;
      JET_RETURN_IF_ERROR(Load(level[i], &p));
      const uint32_t want_prev = i == 0 ? 0 : level[i - 1];
      const uint32_t want_next = i + 1 == level.size() ? 0 : level[i + 1];
      if (p.prev != want_prev || p.next != want_next) {
        problems->push_back("index '" + index.name + "': " + (p.leaf() ? "leaf" : "node") +
                            " page " + std::to_string(level[i]) + " links to " +
                            std::to_string(p.prev) + "/" + std::to_string(p.next) +
                            " instead of its neighbours " + std::to_string(want_prev) + "/" +
                            std::to_string(want_next));
      }
    }
  }
  return Status::Ok();
}

}  // namespace jet
