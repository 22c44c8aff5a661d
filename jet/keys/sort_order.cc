#include "jet/keys/sort_order.h"

namespace jet::keys {

Result<Collation> ResolveCollation(const SortOrder& order, JetVersion version) {
  if (order.id == kGeneralSortOrderId) {
    if (version == JetVersion::kJet3) {
      // The Access 97 rules are laid out by code page 1252 positions; text of
      // other code pages would need other tables.
      if (order.code_page == 1252) return Collation::kGeneral97;
    } else if (order.version == 0) {
      return Collation::kGeneralLegacy;
    } else if (order.version == 1) {
      return Collation::kGeneral;
    }
  }
  return Status::NotSupported("text index keys in sort order " + DescribeSortOrder(order, version) +
                              " cannot be written: only the General orders are supported");
}

std::string DescribeSortOrder(const SortOrder& order, JetVersion version) {
  std::string name = order.id == kGeneralSortOrderId ? "General" : "locale";
  name += " (id " + std::to_string(order.id);
  if (version == JetVersion::kJet3) {
    name += ", code page " + std::to_string(order.code_page);
  } else {
    name += ", version " + std::to_string(order.version);
  }
  return name + ")";
}

}  // namespace jet::keys
