#include "jet/keys/text_key.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "jet/keys/char_rules.h"
#include "text/utf8.h"

namespace jet::keys {

namespace {

std::string CharName(uint32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

// UTF-8 to UTF-16 code units, as Jet 4 stores and keys text. Stops after
// `max_units`: a long memo needs only its beginning decoded.
Result<std::u16string> ToUtf16(std::string_view s, size_t max_units) {
  std::u16string out;
  out.reserve(std::min(s.size(), max_units + 1));
  size_t i = 0;
  while (i < s.size() && out.size() < max_units) {
    char32_t cp = 0;
    const size_t len = text::DecodeUtf8Char(s, i, &cp);
    if (len == 0) {
      return Status::InvalidArgument("text for an index key is not valid UTF-8 (byte " +
                                     std::to_string(i) + ")");
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

// Only the first kMaxKeyChars units count, and trailing blanks never do.
void TrimForKey(std::u16string* text) {
  if (text->size() > kMaxKeyChars) text->resize(kMaxKeyChars);
  while (!text->empty() && text->back() == u' ') text->pop_back();
}

void Invert(Bytes* out, size_t from) {
  for (size_t i = from; i < out->size(); ++i) (*out)[i] = static_cast<uint8_t>(~(*out)[i]);
}

// Surrogates are absent from the data; Access derives their codes from the
// code unit, the low half in steps that skip byte values it avoids.
void SurrogateInline(char16_t unit, uint8_t bytes[2]) {
  int code;
  if (unit < 0xDC00) {
    code = unit - 10238;
  } else {
    int offset = (unit - 0xDC00) % 1024;
    int shift = offset < 8     ? 9992
                : offset < 262 ? 9990
                : offset < 516 ? 9988
                : offset < 770 ? 9986
                               : 9984;
    code = unit - shift;
  }
  bytes[0] = static_cast<uint8_t>(code >> 8);
  bytes[1] = static_cast<uint8_t>(code);
}

// Access 2000+ General orders. A key is: the inline codes, 01, then (only when
// needed) the accent section, and after 01 01 the kana flags and the
// positioned codes of unprintable characters.
Status AppendJet4TextKey(const std::u16string& text, const CharRuleTable& table, bool ascending,
                         Bytes* out) {
  constexpr uint8_t kEndText = 0x01;
  constexpr uint8_t kAccentPlaceholder = 0x02;
  const size_t start = out->size();

  Bytes accents;             // the accent section, one code per inline character
  size_t accent_chars = 0;   // inline characters the accent section accounts for
  size_t accent_prefix = 0;  // a leading modifier that no character owns
  bool accents_started = false;
  Bytes unprintables;
  std::vector<uint8_t> flags;
  size_t inline_chars = 0;

  for (char16_t unit : text) {
    const CharRule& rule = table.rules[unit];
    const size_t pos = inline_chars;
    const uint8_t* extra = nullptr;
    size_t extra_len = 0;
    uint8_t surrogate_inline[2];
    static constexpr uint8_t kSurrogateExtra = 0x3F;

    if (rule.kind == RuleKind::kIgnored) continue;
    if (rule.kind == RuleKind::kSurrogate) {
      SurrogateInline(unit, surrogate_inline);
      out->insert(out->end(), surrogate_inline, surrogate_inline + 2);
      ++inline_chars;
      extra = &kSurrogateExtra;
      extra_len = 1;
    } else {
      if (rule.inline_len > 0) {
        out->insert(out->end(), rule.inline_bytes.begin(),
                    rule.inline_bytes.begin() + rule.inline_len);
        ++inline_chars;
      }
      if (rule.kind == RuleKind::kSimple || rule.kind == RuleKind::kSignificant) continue;
      if (rule.extra_len > 0) {
        extra = rule.extra.data();
        extra_len = rule.extra_len;
      }
    }

    if (extra_len > 0 || rule.modifier != 0) {
      accents_started = true;
      if (accent_chars < pos) {
        accents.insert(accents.end(), pos - accent_chars, kAccentPlaceholder);
        accent_chars = pos;
      }
      if (extra_len > 0) {
        accents.insert(accents.end(), extra, extra + extra_len);
        ++accent_chars;
      } else if (!accents.empty()) {
        accents.back() = static_cast<uint8_t>(accents.back() + rule.modifier);
      } else {
        accents.push_back(rule.modifier);
        accent_prefix = 1;
      }
    }

    if (rule.unprint_len > 0) {
      // The position counts accent bytes already laid down plus the inline
      // characters not yet covered by them.
      size_t at = pos;
      if (accents_started) at = accents.size() + (pos - accent_chars) - accent_prefix;
      const uint32_t code = (7 + 4 * static_cast<uint32_t>(at)) | 0x8000;
      unprintables.push_back(static_cast<uint8_t>(code >> 8));
      unprintables.push_back(static_cast<uint8_t>(code));
      unprintables.push_back(0x06);
      unprintables.insert(unprintables.end(), rule.unprint.begin(),
                          rule.unprint.begin() + rule.unprint_len);
    }
    if (rule.flag != 0) flags.push_back(rule.flag);
  }
  out->push_back(kEndText);

  while (!accents.empty() && accents.back() <= kAccentPlaceholder) accents.pop_back();
  out->insert(out->end(), accents.begin(), accents.end());
  if (!flags.empty() || !unprintables.empty()) {
    out->push_back(kEndText);
    out->push_back(kEndText);
    if (!flags.empty()) {
      // Trailing 3s carry no information; the rest pack three to a byte.
      while (!flags.empty() && flags.back() == 3) flags.pop_back();
      for (size_t i = 0; i < flags.size(); i += 3) {
        uint8_t packed = 0x80;
        for (size_t k = 0; k < 3 && i + k < flags.size(); ++k) {
          packed |= static_cast<uint8_t>(flags[i + k] << (2 * (2 - k)));
        }
        out->push_back(packed);
      }
      static constexpr uint8_t kFlagsEnd[] = {0xFF, 0x02, 0x80, 0xFF, 0x80};
      out->insert(out->end(), std::begin(kFlagsEnd), std::end(kFlagsEnd));
      if (!unprintables.empty()) out->push_back(0xFF);
    }
    if (!unprintables.empty()) {
      out->push_back(kEndText);
      out->insert(out->end(), unprintables.begin(), unprintables.end());
    }
  }
  if (!ascending) {
    out->push_back(0x00);
    Invert(out, start);
  }
  out->push_back(0x00);
  return Status::Ok();
}

// Code page 1252 position of a character, or -1 when the code page has none.
int Cp1252Position(uint32_t cp, const CharRuleTable& table) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  // The five positions 1252 leaves undefined decode to the C1 controls.
  if (cp == 0x81 || cp == 0x8D || cp == 0x8F || cp == 0x90 || cp == 0x9D)
    return static_cast<int>(cp);
  if (cp > 0xFF && cp <= 0xFFFF) return table.MapToPosition(static_cast<uint16_t>(cp));
  return -1;
}

// Access 97 General: inline codes, then either 00 or a nibble string of accent
// codes framed by 0 nibbles, where each accent is preceded by a 2 nibble for
// every "significant" character since the previous one.
Status AppendJet3TextKey(const std::u16string& units, const CharRuleTable& table, bool ascending,
                         Bytes* out) {
  std::vector<uint8_t> nibbles;
  size_t significant = 0;
  Bytes inline_codes;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t cp = units[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units.size()) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (units[i + 1] - 0xDC00);
    }
    int pos = Cp1252Position(cp, table);
    if (pos < 0) {
      return Status::InvalidArgument("character " + CharName(cp) +
                                     " cannot be stored in code page 1252 text, so it has no "
                                     "index key in the Access 97 General sort order");
    }
    const CharRule& rule = table.rules[static_cast<size_t>(pos)];
    inline_codes.insert(inline_codes.end(), rule.inline_bytes.begin(),
                        rule.inline_bytes.begin() + rule.inline_len);
    if (rule.kind == RuleKind::kSignificant) {
      ++significant;
    } else if (rule.extra_len > 0) {
      if (nibbles.empty()) nibbles.push_back(0);
      nibbles.insert(nibbles.end(), significant, 2);
      significant = 0;
      nibbles.push_back(rule.extra[0] & 0x0F);
    }
  }
  const size_t start = out->size();
  out->insert(out->end(), inline_codes.begin(), inline_codes.end());
  if (nibbles.empty()) {
    out->push_back(0x00);
  } else {
    nibbles.push_back(0);
    for (size_t i = 0; i < nibbles.size(); i += 2) {
      uint8_t hi = nibbles[i];
      uint8_t lo = i + 1 < nibbles.size() ? nibbles[i + 1] : 0;
      out->push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
  }
  if (!ascending) Invert(out, start);
  return Status::Ok();
}

}  // namespace

Status AppendTextKey(std::string_view text, Collation collation, bool ascending, Bytes* out) {
  JET_ASSIGN_OR_RETURN(std::u16string units, ToUtf16(text, kMaxKeyChars));
  if (collation == Collation::kGeneral97) {
    // Jet 3 counts code-page characters; a character outside the BMP never
    // fits code page 1252, so counting UTF-16 units agrees up to the error.
    TrimForKey(&units);
    JET_ASSIGN_OR_RETURN(const CharRuleTable* table, General97Rules());
    return AppendJet3TextKey(units, *table, ascending, out);
  }
  TrimForKey(&units);
  JET_ASSIGN_OR_RETURN(const CharRuleTable* table,
                       collation == Collation::kGeneral ? GeneralRules() : GeneralLegacyRules());
  return AppendJet4TextKey(units, *table, ascending, out);
}

}  // namespace jet::keys
