// Index keys: the bytes Access stores in an index entry for a row's values.
//
// A key is the concatenation of one part per index column. Each part starts
// with a flag byte — 7F for a value, 00 for NULL (ascending); 80 and FF when
// descending — followed by the value's bytes, arranged so that comparing
// whole keys byte by byte gives the index order. Descending parts are the
// ascending bytes inverted. The row pointer that follows the key in a leaf
// entry is not part of it.
#pragma once

#include <vector>

#include "jet/keys/sort_order.h"
#include "jet/status.h"
#include "jet/value.h"

namespace jet::keys {

struct KeyPart {
  ColumnType type = ColumnType::kText;
  Value value;  // std::monostate for NULL
  bool ascending = true;
  uint8_t scale = 0;  // numeric columns: the column's scale (the value is rescaled to it)
};

// Longest keys we produce. Jet 4 index pages hold 3,616 bytes of entries and
// Jet 3 pages 1,800; an inner-page entry adds 8 bytes of pointers to the key.
constexpr size_t kMaxJet4KeyBytes = 3616 - 8;
constexpr size_t kMaxJet3KeyBytes = 1800 - 8;
// Keys with text in the Access 2010+ General order are exact up to this
// length; Access shortens longer entries in a way not yet understood.
constexpr size_t kMaxGeneralKeyBytes = 500;

// Encodes the key of `parts` for an index whose text columns use `order`, in a
// file of `version`. Fails before producing anything with NotSupported (an
// unsupported sort order for a text part, a type Access cannot index) or
// InvalidArgument (a value that does not match its column type, a numeric
// that does not fit the column's scale, a character the order cannot key).
// Each message names the failing part by its position. Keys longer than the
// limits above fail too (InvalidArgument; NotSupported for the General order).
Result<Bytes> EncodeIndexKey(const std::vector<KeyPart>& parts, const SortOrder& order,
                             JetVersion version);

}  // namespace jet::keys
