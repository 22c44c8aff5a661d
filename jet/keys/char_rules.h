// Per-character rules of Access's "General" text sort orders.
//
// A text index key is built character by character: most characters add a
// few "inline" bytes to the key; accented, unprintable and some East Asian
// characters also leave codes for trailing sections of the key. The rules
// come from generated data (jet/keys/data, see jet/keys/gen/NOTICE.md) and are
// expanded into a lookup table on first use.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "jet/status.h"

namespace jet::keys {

enum class RuleKind : uint8_t {
  kIgnored,        // contributes nothing to the key
  kSimple,         // inline bytes only
  kInternational,  // inline bytes and an accent code in the extra section
  kUnprintable,    // no inline bytes; a positioned code in the unprintable section
  kModifier,       // no inline bytes; adds to the previous accent code
  kFlagged,        // inline bytes, optional extra code, and a 2-bit flag (kana and the like)
  kSignificant,    // Access 97 only: inline bytes, counted for accent placeholders
  kSurrogate,      // a UTF-16 surrogate; its inline bytes are computed
};

struct CharRule {
  RuleKind kind = RuleKind::kIgnored;
  uint8_t inline_len = 0;
  uint8_t extra_len = 0;
  uint8_t unprint_len = 0;
  uint8_t modifier = 0;  // kModifier: added to the last accent code
  uint8_t flag = 0;      // kFlagged: 2 or 3
  std::array<uint8_t, 8> inline_bytes{};
  std::array<uint8_t, 3> extra{};
  std::array<uint8_t, 2> unprint{};
};

// The rules of one sort order for every UTF-16 code unit (Access 2000 and
// later), or for the 256 code-page positions plus a few mapped characters
// (Access 97).
class CharRuleTable {
 public:
  // Rule for a UTF-16 code unit. For Access 97 tables, `unit` is a code-page
  // position (0-255) or a character listed in the mapping; anything else
  // yields nullptr.
  const CharRule* Find(uint16_t unit) const;

  // Access 97 only: the code-page position of a character above U+00FF that
  // the order knows, or -1.
  int MapToPosition(uint16_t unit) const;

  std::vector<CharRule> rules;                       // indexed by unit or position
  std::vector<std::pair<uint16_t, uint8_t>> mapped;  // Access 97: sorted (char, position)
};

// The expanded tables. Fail with Corruption only if the built-in data is
// damaged (a build fault, checked by the tests).
Result<const CharRuleTable*> GeneralRules();        // 1033, version 1 (Access 2010+)
Result<const CharRuleTable*> GeneralLegacyRules();  // 1033, version 0 (Access 2000-2007)
Result<const CharRuleTable*> General97Rules();      // 1033 in Access 97 files

}  // namespace jet::keys
