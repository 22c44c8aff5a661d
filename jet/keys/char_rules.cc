#include "jet/keys/char_rules.h"

#include <algorithm>
#include <string>

#include "jet/keys/sort_data.h"

namespace jet::keys {

namespace {

// Reads the generated stream format described in gen/make_sort_tables.py.
class StreamReader {
 public:
  StreamReader(const unsigned char* data, size_t size) : data_(data), size_(size) {}
  bool done() const { return pos_ >= size_; }
  bool Byte(uint8_t* out) {
    if (pos_ >= size_) return false;
    *out = data_[pos_++];
    return true;
  }
  bool Varint(uint32_t* out) {
    uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 7) {
      uint8_t b;
      if (!Byte(&b)) return false;
      value |= uint32_t{b & 0x7Fu} << shift;
      if ((b & 0x80) == 0) {
        *out = value;
        return true;
      }
    }
    return false;
  }
  template <size_t N>
  bool Counted(std::array<uint8_t, N>* out, uint8_t* len) {
    if (!Byte(len) || *len > N) return false;
    for (uint8_t i = 0; i < *len; ++i) {
      if (!Byte(&(*out)[i])) return false;
    }
    return true;
  }

 private:
  const unsigned char* data_;
  size_t size_;
  size_t pos_ = 0;
};

constexpr RuleKind kKindByCode[] = {RuleKind::kSimple,      RuleKind::kInternational,
                                    RuleKind::kUnprintable, RuleKind::kModifier,
                                    RuleKind::kFlagged,     RuleKind::kSignificant};

// Adds one to a big-endian number of `len` bytes.
void Increment(CharRule* rule) {
  for (int i = rule->inline_len - 1; i >= 0; --i) {
    if (++rule->inline_bytes[i] != 0) break;
  }
}

Result<CharRuleTable> Expand(const unsigned char* data, size_t size, size_t count,
                             const char* name) {
  auto bad = [name](const std::string& what) {
    return Status::Corruption(std::string("built-in sort data '") + name + "' is damaged: " + what);
  };
  CharRuleTable table;
  table.rules.reserve(count);
  StreamReader in(data, size);
  while (!in.done() && table.rules.size() < count) {
    uint8_t op;
    if (!in.Byte(&op)) return bad("truncated");
    if (op == 0x10) {
      CharRule rule;
      uint8_t kind;
      if (!in.Byte(&kind) || kind >= std::size(kKindByCode)) return bad("unknown rule kind");
      rule.kind = kKindByCode[kind];
      if (!in.Counted(&rule.inline_bytes, &rule.inline_len) ||
          !in.Counted(&rule.extra, &rule.extra_len) ||
          !in.Counted(&rule.unprint, &rule.unprint_len) || !in.Byte(&rule.modifier) ||
          !in.Byte(&rule.flag)) {
        return bad("truncated rule");
      }
      table.rules.push_back(rule);
      continue;
    }
    uint32_t n;
    if (!in.Varint(&n) || n > count - table.rules.size()) return bad("bad run length");
    for (uint32_t i = 0; i < n; ++i) {
      switch (op) {
        case 0x01:
          table.rules.push_back(CharRule{});
          break;
        case 0x02: {
          if (table.rules.empty() || table.rules.back().kind != RuleKind::kSimple) {
            return bad("sequence without a simple rule before it");
          }
          CharRule next = table.rules.back();
          Increment(&next);
          table.rules.push_back(next);
          break;
        }
        case 0x03:
          if (table.rules.empty()) return bad("repeat at start");
          table.rules.push_back(table.rules.back());
          break;
        case 0x04: {
          CharRule rule;
          rule.kind = RuleKind::kSurrogate;
          table.rules.push_back(rule);
          break;
        }
        default:
          return bad("unknown op");
      }
    }
  }
  if (table.rules.size() != count) return bad("wrong number of characters");
  if (!in.done()) {
    // Only the Access 97 stream carries a mapping section after its rules.
    uint8_t op;
    uint32_t n;
    if (!in.Byte(&op) || op != 0x20 || !in.Varint(&n)) return bad("trailing bytes");
    for (uint32_t i = 0; i < n; ++i) {
      uint8_t lo, hi, pos;
      if (!in.Byte(&lo) || !in.Byte(&hi) || !in.Byte(&pos)) return bad("truncated mapping");
      table.mapped.emplace_back(static_cast<uint16_t>(lo | (hi << 8)), pos);
    }
    std::sort(table.mapped.begin(), table.mapped.end());
    if (!in.done()) return bad("trailing bytes");
  }
  return table;
}

}  // namespace

const CharRule* CharRuleTable::Find(uint16_t unit) const {
  if (unit < rules.size()) return &rules[unit];
  int pos = MapToPosition(unit);
  return pos < 0 ? nullptr : &rules[static_cast<size_t>(pos)];
}

int CharRuleTable::MapToPosition(uint16_t unit) const {
  auto it = std::lower_bound(mapped.begin(), mapped.end(), std::make_pair(unit, uint8_t{0}));
  if (it == mapped.end() || it->first != unit) return -1;
  return it->second;
}

Result<const CharRuleTable*> GeneralRules() {
  static const Result<CharRuleTable> table =
      Expand(data::kGeneralCodes, data::kGeneralCodesSize, 0x10000, "General");
  if (!table.ok()) return table.status();
  return &table.value();
}

Result<const CharRuleTable*> GeneralLegacyRules() {
  static const Result<CharRuleTable> table =
      Expand(data::kGeneralLegacyCodes, data::kGeneralLegacyCodesSize, 0x10000, "General legacy");
  if (!table.ok()) return table.status();
  return &table.value();
}

Result<const CharRuleTable*> General97Rules() {
  static const Result<CharRuleTable> table =
      Expand(data::kGeneral97Codes, data::kGeneral97CodesSize, 0x100, "General 97");
  if (!table.ok()) return table.status();
  return &table.value();
}

}  // namespace jet::keys
