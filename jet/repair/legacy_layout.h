// Telling an index tree laid out with Access 97 page offsets in an Access
// 2000 or later file from a well-formed one.
//
// Earlier versions of this program wrote the sibling links of Jet 4 index
// pages where Jet 3 keeps them (previous page at 8, next at 12), four bytes
// before where Access reads them. Such a tree reads back as leaves with
// wrong neighbours; its entries themselves are sound, so repair rebuilds it.
#pragma once

#include "jet/alloc/page_editor.h"
#include "jet/database.h"
#include "jet/status.h"

namespace jet {

// True when `index` (of a Jet 4 file) has two or more leaves and every leaf
// links to its neighbours at the Jet 3 positions while some leaf does not at
// the Jet 4 positions. False for Jet 3 files, for one-leaf trees (nothing to
// tell them apart by) and for trees whose leaves cannot all be reached.
Result<bool> HasAccess97Layout(PageEditor& editor, const IndexDef& index);

// The message `check` gives for such an index.
std::string Access97LayoutMessage(const std::string& table, const std::string& index);

}  // namespace jet
