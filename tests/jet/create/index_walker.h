// Reads every entry of an index tree back from a file (for tests): walks the
// leaf level from the root's leftmost path and follows next-page links.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/database.h"
#include "jet/status.h"

namespace tarnquill::testing {

struct WalkedEntry {
  jet::Bytes key;
  uint32_t page = 0;
  uint8_t slot = 0;
};

// Entries of the index rooted at `root` in file `path`, in leaf order.
// Corruption when a page is not an index page or an entry mask is impossible.
jet::Result<std::vector<WalkedEntry>> WalkIndex(const std::string& path, uint32_t root);

}  // namespace tarnquill::testing
