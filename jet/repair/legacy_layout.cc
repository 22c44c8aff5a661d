#include "jet/repair/legacy_layout.h"

#include <set>
#include <vector>

#include "jet/bytes_view.h"
#include "jet/format.h"
#include "jet/index/index_page.h"

namespace jet {

namespace {

constexpr int kMaxDepth = 32;

// Appends the leaves under `page` in key order; false when a page cannot be
// read as an index page or the tree loops.
bool Leaves(PageEditor& editor, uint32_t page, int depth, std::set<uint32_t>* seen,
            std::vector<uint32_t>* out) {
  if (depth > kMaxDepth || page == 0 || page >= editor.page_count() ||
      !seen->insert(page).second) {
    return false;
  }
  auto view = editor.Read(page);
  if (!view.ok()) return false;
  IndexPage p;
  if (!ParseIndexPage(editor.format(), *view, page, &p).ok()) return false;
  if (p.leaf()) {
    out->push_back(page);
    return true;
  }
  for (const IndexEntry& e : p.entries) {
    if (!Leaves(editor, e.child, depth + 1, seen, out)) return false;
  }
  return p.tail == 0 || Leaves(editor, p.tail, depth + 1, seen, out);
}

}  // namespace

Result<bool> HasAccess97Layout(PageEditor& editor, const IndexDef& index) {
  if (editor.format().version != 4 || index.root_page == 0) return false;
  std::set<uint32_t> seen;
  std::vector<uint32_t> leaves;
  if (!Leaves(editor, index.root_page, 0, &seen, &leaves) || leaves.size() < 2) return false;
  // Where Jet 3 index pages keep the previous and next page of their level.
  const size_t old_prev = Jet3Format().index_prev, old_next = Jet3Format().index_next;
  bool well_formed = true;
  for (size_t i = 0; i < leaves.size(); ++i) {
    const uint32_t want_prev = i == 0 ? 0 : leaves[i - 1];
    const uint32_t want_next = i + 1 == leaves.size() ? 0 : leaves[i + 1];
    JET_ASSIGN_OR_RETURN(ByteView v, editor.Read(leaves[i]));
    if (v.U32(old_prev) != want_prev || v.U32(old_next) != want_next) return false;
    IndexPage p;
    JET_RETURN_IF_ERROR(ParseIndexPage(editor.format(), v, leaves[i], &p));
    well_formed = well_formed && p.prev == want_prev && p.next == want_next;
  }
  return !well_formed;
}

std::string Access97LayoutMessage(const std::string& table, const std::string& index) {
  return "index '" + index + "' of table '" + table +
         "' is laid out with Access 97 offsets in an Access 2000 file; run tarnquill-cli repair";
}

}  // namespace jet
