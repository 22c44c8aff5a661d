#include "jet/index/index_writer.h"

#include <algorithm>

#include "jet/alloc/usage_map_edit.h"
#include "jet/keys/index_key.h"

namespace jet {

namespace {
constexpr int kMaxDepth = 32;
constexpr size_t kMaxLevelPages = 1u << 24;

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

Status IndexWriter::Load(uint32_t page, IndexPage* out) {
  if (page == 0 || page >= editor_->page_count()) {
    return editor_->store().Corrupt(page, "index page number out of range");
  }
  JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
  Status s = ParseIndexPage(editor_->format(), v, page, out);
  if (!s.ok()) return Status::Corruption(editor_->store().file() + ": " + s.message());
  return Status::Ok();
}

Status IndexWriter::Descend(const IndexDef& index, const Bytes& target, std::vector<Step>* path,
                            IndexPage* leaf, uint32_t* leaf_page) {
  path->clear();
  uint32_t page = index.root_page;
  for (int depth = 0;; ++depth) {
    if (depth == kMaxDepth) {
      return editor_->store().Corrupt(page, "index '" + index.name + "' is deeper than possible");
    }
    JET_RETURN_IF_ERROR(Load(page, leaf));
    if (leaf_page != nullptr) *leaf_page = page;
    if (leaf->leaf()) return Status::Ok();
    const auto& es = leaf->entries;
    size_t i = std::lower_bound(es.begin(), es.end(), target, LessEntry) - es.begin();
    uint32_t child = 0;
    if (i < es.size()) {
      child = es[i].child;
    } else if (leaf->tail != 0) {
      child = leaf->tail;
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

Status IndexWriter::FixParent(std::vector<Step> path, uint32_t, const IndexPage& p) {
  if (path.empty() || p.entries.empty()) return Status::Ok();
  Step up = path.back();
  path.pop_back();
  IndexPage parent;
  JET_RETURN_IF_ERROR(Load(up.page, &parent));
  if (up.entry >= parent.entries.size() || parent.tail == parent.entries[up.entry].child) {
    return Status::Ok();  // the tail child has no bound to keep
  }
  IndexEntry& bound = parent.entries[up.entry];
  const IndexEntry& last = p.entries.back();
  if (bound.key == last.key && bound.row == last.row) return Status::Ok();
  bound.key = last.key;
  bound.row = last.row;
  return Store(up.page, parent, std::move(path));
}

Status IndexWriter::Store(uint32_t page, const IndexPage& p, std::vector<Step> path) {
  const Format& f = editor_->format();
  {
    JET_ASSIGN_OR_RETURN(ByteView v, editor_->Read(page));
    std::vector<uint8_t> copy(v.data, v.data + v.size);
    if (WriteIndexPage(f, p, copy.data())) {
      JET_ASSIGN_OR_RETURN(uint8_t * out, editor_->Edit(page));
      std::copy(copy.begin(), copy.end(), out);
      return FixParent(std::move(path), page, p);
    }
  }
  if (p.entries.size() < 2) {
    return editor_->store().Corrupt(page, "an index entry does not fit on an empty page");
  }
  const size_t mid = p.entries.size() / 2;
  auto fresh = [&](uint32_t* number) -> Result<uint8_t*> {
    JET_ASSIGN_OR_RETURN(*number, AllocatePage(*editor_));
    return editor_->Edit(*number);
  };
  if (path.empty()) {
    // The root keeps its page (the definition points at it): both halves move
    // down into new pages and the root becomes a node above them.
    IndexPage left = p, right = p;
    left.entries.assign(p.entries.begin(), p.entries.begin() + mid);
    right.entries.assign(p.entries.begin() + mid, p.entries.end());
    uint32_t lp = 0, rp = 0;
    JET_ASSIGN_OR_RETURN(uint8_t * lb, fresh(&lp));
    JET_ASSIGN_OR_RETURN(uint8_t * rb, fresh(&rp));
    left.prev = 0;
    left.next = rp;
    left.tail = 0;
    right.prev = lp;
    right.next = 0;
    if (!WriteIndexPage(f, left, lb)) return Status::Corruption("index split half does not fit");
    JET_ASSIGN_OR_RETURN(rb, editor_->Edit(rp));
    if (!WriteIndexPage(f, right, rb)) return Status::Corruption("index split half does not fit");
    IndexPage root;
    root.type = kPageIndexNode;
    root.owner = p.owner;
    const IndexEntry& l = left.entries.back();
    root.entries.push_back(IndexEntry{l.key, l.row, lp});
    if (right.tail != 0) {
      root.tail = rp;
    } else {
      const IndexEntry& r = right.entries.back();
      root.entries.push_back(IndexEntry{r.key, r.row, rp});
    }
    return Store(page, root, {});
  }
  // A new page takes the lower half and goes in before this one.
  IndexPage lower = p, upper = p;
  lower.entries.assign(p.entries.begin(), p.entries.begin() + mid);
  upper.entries.assign(p.entries.begin() + mid, p.entries.end());
  uint32_t np = 0;
  JET_ASSIGN_OR_RETURN(uint8_t * nb, fresh(&np));
  lower.prev = p.prev;
  lower.next = page;
  lower.tail = 0;
  upper.prev = np;
  if (!WriteIndexPage(f, lower, nb)) return Status::Corruption("index split half does not fit");
  if (p.prev != 0) {
    IndexPage before;
    JET_RETURN_IF_ERROR(Load(p.prev, &before));
    before.next = np;
    JET_ASSIGN_OR_RETURN(uint8_t * bb, editor_->Edit(p.prev));
    if (!WriteIndexPage(f, before, bb)) return Status::Corruption("index page no longer fits");
  }
  {
    JET_ASSIGN_OR_RETURN(uint8_t * ub, editor_->Edit(page));
    if (!WriteIndexPage(f, upper, ub)) return Status::Corruption("index split half does not fit");
  }
  Step up = path.back();
  path.pop_back();
  IndexPage parent;
  JET_RETURN_IF_ERROR(Load(up.page, &parent));
  if (up.entry < parent.entries.size() && parent.tail != parent.entries[up.entry].child) {
    parent.entries[up.entry].key = upper.entries.back().key;
    parent.entries[up.entry].row = upper.entries.back().row;
  }
  const IndexEntry& low = lower.entries.back();
  size_t at = std::min(up.entry, parent.entries.size());
  parent.entries.insert(parent.entries.begin() + at, IndexEntry{low.key, low.row, np});
  return Store(up.page, parent, std::move(path));
}

Status IndexWriter::Insert(const IndexDef& index, const IndexEntry& entry) {
  std::vector<Step> path;
  IndexPage leaf;
  Bytes target = entry.SortBytes();
  uint32_t page = 0;
  JET_RETURN_IF_ERROR(Descend(index, target, &path, &leaf, &page));
  auto it = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), target, LessEntry);
  leaf.entries.insert(it, entry);
  return Store(page, leaf, std::move(path));
}

Status IndexWriter::Remove(const IndexDef& index, const IndexEntry& entry,
                           const std::string& where, bool may_be_missing) {
  std::vector<Step> path;
  IndexPage leaf;
  Bytes target = entry.SortBytes();
  uint32_t page = 0;
  JET_RETURN_IF_ERROR(Descend(index, target, &path, &leaf, &page));
  auto it = std::lower_bound(leaf.entries.begin(), leaf.entries.end(), target, LessEntry);
  if (it == leaf.entries.end() || it->key != entry.key || !(it->row == entry.row)) {
    if (may_be_missing) return Status::Ok();
    return Status::Corruption(where + " has no entry for row " + std::to_string(entry.row.page) +
                              ":" + std::to_string(entry.row.slot) +
                              " under its current value; the index needs repair");
  }
  leaf.entries.erase(it);
  return Store(page, leaf, std::move(path));
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
  const keys::JetVersion version =
      editor_->format().version == 3 ? keys::JetVersion::kJet3 : keys::JetVersion::kJet4;
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
  IndexPage page;
  JET_RETURN_IF_ERROR(Descend(index, key, &path, &page));
  for (size_t hops = 0; hops < kMaxLevelPages; ++hops) {
    for (const IndexEntry& e : page.entries) {
      if (e.key == key) {
        if (!(e.row == except)) return true;
      } else if (!(e.key < key)) {
        return false;
      }
    }
    if (page.next == 0) return false;
    JET_RETURN_IF_ERROR(Load(page.next, &page));
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

Status IndexWriter::Walk(const IndexDef& index, uint32_t page, const Bytes* low,
                         const Bytes* high, int depth, int* leaf_depth,
                         std::vector<uint32_t>* leaves, std::vector<std::string>* problems) {
  const std::string where = "index '" + index.name + "': page " + std::to_string(page);
  if (depth > kMaxDepth) {
    problems->push_back(where + ": the tree is deeper than possible (a loop?)");
    return Status::Ok();
  }
  IndexPage p;
  JET_RETURN_IF_ERROR(Load(page, &p));
  std::vector<Bytes> sorts;
  for (const IndexEntry& e : p.entries) sorts.push_back(e.SortBytes());
  for (size_t i = 0; i < sorts.size(); ++i) {
    if (i > 0 && !(sorts[i - 1] < sorts[i])) {
      problems->push_back(where + ": entries " + std::to_string(i - 1) + " and " +
                          std::to_string(i) + " are out of order");
    }
    if ((low && !(*low < sorts[i])) || (high && *high < sorts[i])) {
      problems->push_back(where + ": entry " + std::to_string(i) +
                          " lies outside the bounds its parent gives the page");
    }
  }
  if (p.leaf()) {
    if (*leaf_depth == -1) *leaf_depth = depth;
    if (*leaf_depth != depth) problems->push_back(where + ": leaves at different depths");
    leaves->push_back(page);
    return Status::Ok();
  }
  const Bytes* prev = low;
  for (size_t i = 0; i < p.entries.size(); ++i) {
    IndexPage child;
    JET_RETURN_IF_ERROR(Load(p.entries[i].child, &child));
    if (!child.entries.empty() && child.entries.back().SortBytes() != sorts[i]) {
      problems->push_back(where + ": entry " + std::to_string(i) +
                          " does not repeat the last entry of its child page " +
                          std::to_string(p.entries[i].child));
    }
    JET_RETURN_IF_ERROR(Walk(index, p.entries[i].child, prev, &sorts[i], depth + 1, leaf_depth,
                             leaves, problems));
    prev = &sorts[i];
  }
  if (p.tail != 0) {
    JET_RETURN_IF_ERROR(Walk(index, p.tail, prev, high, depth + 1, leaf_depth, leaves, problems));
  }
  if (p.entries.empty() && p.tail == 0) problems->push_back(where + ": node without children");
  return Status::Ok();
}

Status IndexWriter::Validate(const IndexDef& index, std::vector<std::string>* problems) {
  int leaf_depth = -1;
  std::vector<uint32_t> leaves;
  JET_RETURN_IF_ERROR(Walk(index, index.root_page, nullptr, nullptr, 0, &leaf_depth, &leaves,
                           problems));
  for (size_t i = 0; i < leaves.size(); ++i) {
    IndexPage leaf;
    JET_RETURN_IF_ERROR(Load(leaves[i], &leaf));
    uint32_t want_prev = i == 0 ? 0 : leaves[i - 1];
    uint32_t want_next = i + 1 == leaves.size() ? 0 : leaves[i + 1];
    if (leaf.prev != want_prev || leaf.next != want_next) {
      problems->push_back("index '" + index.name + "': leaf page " + std::to_string(leaves[i]) +
                          " links to " + std::to_string(leaf.prev) + "/" +
                          std::to_string(leaf.next) + " instead of its neighbours " +
                          std::to_string(want_prev) + "/" + std::to_string(want_next));
    }
  }
  return Status::Ok();
}

}  // namespace jet
