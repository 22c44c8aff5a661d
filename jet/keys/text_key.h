// Text index keys: the bytes Access stores for a text or memo value in an
// index, in one of the General sort orders.
#pragma once

#include <string_view>

#include "jet/keys/sort_order.h"
#include "jet/status.h"
#include "jet/value.h"

namespace jet::keys {

// Only this many leading characters of a text or memo value take part in its
// key (UTF-16 code units in Jet 4, code-page characters in Jet 3).
constexpr size_t kMaxKeyChars = 255;

// Appends the key bytes of the non-null UTF-8 text `text` (everything after
// the entry's start flag) to `out`. Descending keys are the ascending ones
// with every byte inverted. Fails with InvalidArgument, leaving `out`
// unchanged, when the part of the text that counts is not valid UTF-8 or
// (Access 97) holds a character code page 1252 cannot store.
Status AppendTextKey(std::string_view text, Collation collation, bool ascending, Bytes* out);

}  // namespace jet::keys
