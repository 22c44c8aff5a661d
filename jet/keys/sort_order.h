// Text sort orders ("collating orders") of Access databases.
//
// Every text column records the sort order its index keys use: an id (a
// Windows locale id; 1033 is "General") and, in Access 2000 and later files,
// a version byte. Access 2000-2007 write General as 1033 version 0; Access
// 2010 and later write their new General order as 1033 version 1 (and call
// the old one "General - Legacy"). Access 97 files have no version byte.
#pragma once

#include <cstdint>
#include <string>

#include "jet/status.h"

namespace jet::keys {

// The file format generation, as far as index keys care. Access 2007 and
// later (.accdb) keep Jet 4's keys except for decimals.
enum class JetVersion : uint8_t { kJet3 = 3, kJet4 = 4, kAce = 12 };

struct SortOrder {
  uint16_t id = 0;            // locale id, 1033 for General
  uint8_t version = 0;        // Access 2000+ files only; ignored for Jet 3
  uint16_t code_page = 1252;  // Jet 3 text columns: the code page text is stored in
  friend bool operator==(const SortOrder&, const SortOrder&) = default;
};

constexpr uint16_t kGeneralSortOrderId = 1033;

// The orders we can encode keys for.
enum class Collation : uint8_t {
  kGeneral97,      // Access 97 General (code page 1252)
  kGeneralLegacy,  // Access 2000-2007 General, "General - Legacy" in Access 2010+
  kGeneral,        // Access 2010+ General
};

// The order Access 2000-2007 write into new Jet 4 databases.
inline SortOrder GeneralLegacyOrder() { return SortOrder{kGeneralSortOrderId, 0, 1252}; }
// The order Access 2010 and later write into new Access 2000-format databases.
inline SortOrder GeneralOrder() { return SortOrder{kGeneralSortOrderId, 1, 1252}; }

// Picks the collation for `order` in a file of `version`. Fails with
// NotSupported naming the order when we have no key rules for it.
Result<Collation> ResolveCollation(const SortOrder& order, JetVersion version);

// "General (id 1033, version 1)" and the like, for messages.
std::string DescribeSortOrder(const SortOrder& order, JetVersion version);

}  // namespace jet::keys
