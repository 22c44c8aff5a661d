#include "cli/regex_rule.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <stdexcept>
#include <vector>

namespace cli {
namespace {

struct CodeFree {
  void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* m) const { pcre2_match_data_free(m); }
};

std::string ErrorText(int code) {
  PCRE2_UCHAR buffer[256];
  if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) return "error " + std::to_string(code);
  return reinterpret_cast<const char*>(buffer);
}

// Where byte `offset` of UTF-8 `text` is, in words: "at character N"
// (counted from 1) or "at the end".
std::string Where(const std::string& text, size_t offset) {
  if (offset >= text.size()) return "at the end";
  size_t n = 1;
  for (size_t i = 0; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++n;
  }
  return "at character " + std::to_string(n);
}

// One piece of the replacement: literal text, or a group's match.
struct Piece {
  std::string text;
  int group = -1;
};

class PcreRule : public data::ReplaceRule {
 public:
  PcreRule(pcre2_code* code, std::vector<Piece> pieces, bool whole)
      : code_(code),
        match_(pcre2_match_data_create_from_pattern(code, nullptr)),
        pieces_(std::move(pieces)),
        whole_(whole) {}

  bool Apply(std::string_view text, data::Replacement* out) const override {
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    std::vector<data::TextSpan> matches;
    std::vector<std::string> replacements;
    size_t offset = 0;
    bool after_empty = false;
    for (;;) {
      // The subject's UTF-8 is checked on every call: a call checks only what
      // it may look at, so one check does not cover the later ones.
      const uint32_t flags = after_empty ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0u;
      const int rc = pcre2_match(code_.get(), subject, text.size(), offset, flags, match_.get(),
                                 nullptr);
      if (rc == PCRE2_ERROR_NOMATCH) {
        // After an empty match, the next try starts one character later.
        if (!after_empty || offset >= text.size()) break;
        ++offset;
        while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80)
          ++offset;
        after_empty = false;
        continue;
      }
      if (rc < 0) throw std::runtime_error("--regex: " + ErrorText(rc));
      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match_.get());
      if (ov[1] < ov[0]) throw std::runtime_error("--regex: \\K moved a match's start past its end");
      matches.push_back({ov[0], ov[1]});
      replacements.push_back(Expand(text, ov, static_cast<uint32_t>(rc)));
      if (whole_) break;
      offset = ov[1];
      after_empty = ov[0] == ov[1];
    }
    if (matches.empty()) return false;
    *out = data::Splice(text, std::move(matches), replacements);
    return true;
  }

 private:
  std::string Expand(std::string_view text, const PCRE2_SIZE* ov, uint32_t pairs) const {
    std::string s;
    for (const Piece& p : pieces_) {
      if (p.group < 0) {
        s += p.text;
      } else if (static_cast<uint32_t>(p.group) < pairs && ov[2 * p.group] != PCRE2_UNSET) {
        s.append(text.substr(ov[2 * p.group], ov[2 * p.group + 1] - ov[2 * p.group]));
      }
    }
    return s;
  }

  std::unique_ptr<pcre2_code, CodeFree> code_;
  std::unique_ptr<pcre2_match_data, MatchDataFree> match_;
  std::vector<Piece> pieces_;
  bool whole_;
};

// Splits the replacement into literal text and group references; false
// with *error set for a '$' that names no group of `code`.
bool ParseReplacement(const std::string& replacement, const pcre2_code* code,
                      std::vector<Piece>* pieces, std::string* error) {
  uint32_t groups = 0;
  pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groups);
  std::string literal;
  auto fail = [&](size_t at, const std::string& what) {
    *error = "--replace: " + what + " " + Where(replacement, at) + " (write $$ for a dollar sign)";
    return false;
  };
  for (size_t i = 0; i < replacement.size(); ++i) {
    if (replacement[i] != '$') {
      literal += replacement[i];
      continue;
    }
    const size_t at = i;
    if (i + 1 < replacement.size() && replacement[i + 1] == '$') {
      literal += '$';
      ++i;
      continue;
    }
    std::string name;
    if (i + 1 < replacement.size() && replacement[i + 1] == '{') {
      const size_t close = replacement.find('}', i + 2);
      if (close == std::string::npos) return fail(at, "'${' without '}'");
      name = replacement.substr(i + 2, close - i - 2);
      i = close;
    } else {
      while (i + 1 < replacement.size() && replacement[i + 1] >= '0' && replacement[i + 1] <= '9')
        name += replacement[++i];
    }
    if (name.empty()) return fail(at, "'$' without a group number or {name}");
    int group = -1;
    if (name.find_first_not_of("0123456789") == std::string::npos) {
      if (name.size() > 6 || std::stoul(name) > groups) {
        return fail(at, "group " + name + " does not exist (the pattern has " +
                            std::to_string(groups) + ")");
      }
      group = std::stoi(name);
    } else {
      group = pcre2_substring_number_from_name(code, reinterpret_cast<PCRE2_SPTR>(name.c_str()));
      if (group < 0) return fail(at, "the pattern has no group named '" + name + "'");
    }
    pieces->push_back({std::move(literal), -1});
    literal.clear();
    pieces->push_back({std::string(), group});
  }
  pieces->push_back({std::move(literal), -1});
  return true;
}

}  // namespace

std::unique_ptr<data::ReplaceRule> RegexRule(const std::string& pattern,
                                             const std::string& replacement,
                                             const RegexOptions& options, std::string* error) {
  uint32_t flags = PCRE2_UTF | PCRE2_UCP;
  if (!options.match_case) flags |= PCRE2_CASELESS;
  if (options.whole_field) flags |= PCRE2_ANCHORED | PCRE2_ENDANCHORED;
  int code = 0;
  PCRE2_SIZE offset = 0;
  pcre2_code* compiled = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()),
                                       pattern.size(), flags, &code, &offset, nullptr);
  if (compiled == nullptr) {
    *error = "--regex: " + ErrorText(code) + " " + Where(pattern, offset) + " of '" + pattern + "'";
    return nullptr;
  }
  std::unique_ptr<pcre2_code, CodeFree> owned(compiled);
  std::vector<Piece> pieces;
  if (!ParseReplacement(replacement, compiled, &pieces, error)) return nullptr;
  // Faster matching where the platform has it; the interpreter otherwise.
  pcre2_jit_compile(compiled, PCRE2_JIT_COMPLETE);
  return std::make_unique<PcreRule>(owned.release(), std::move(pieces), options.whole_field);
}

}  // namespace cli
