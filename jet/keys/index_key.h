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

// Encodes the key of `parts` for an index whose text columns use `order`, in a
// file of `version`. Fails before producing anything with NotSupported (an
// unsupported sort order for a text part, a type Access cannot index) or
// InvalidArgument (a value that does not match its column type, a numeric
// that does not fit the column's scale, a character the order cannot key).
// Each message names the failing part by its position.
Result<Bytes> EncodeIndexKey(const std::vector<KeyPart>& parts, const SortOrder& order,
                             JetVersion version);

}  // namespace jet::keys
