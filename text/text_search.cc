#include "text/text_search.h"

#include "text/case_fold.h"
#include "text/utf8.h"

namespace text {

void DecodeChars(std::string_view utf8, CaseMode mode, std::vector<Char>* out) {
  out->clear();
  out->reserve(utf8.size());
  const bool fold = mode == CaseMode::kIgnoreCase;
  for (size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {  // most text is ASCII: no decoding
      out->push_back({fold ? FoldCase(char32_t{byte}) : byte, i});
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t len = DecodeUtf8Char(utf8, i, &cp);
    if (len == 0) {
      out->push_back({kStrayByteBase + byte, i});
      ++i;
      continue;
    }
    out->push_back({fold ? FoldCase(cp) : cp, i});
    i += len;
  }
}

TextSearch::TextSearch(std::string_view pattern, CaseMode mode) : mode_(mode) {
  DecodeChars(pattern, mode, &pattern_);
}

void TextSearch::SetText(std::string_view text) { DecodeChars(text, mode_, &text_); }

size_t TextSearch::Find(size_t from) const {
  const size_t n = pattern_.size();
  if (n == 0 || text_.size() < n) return kNone;
  for (size_t i = from; i <= text_.size() - n; ++i) {
    size_t k = 0;
    while (k < n && text_[i + k].code == pattern_[k].code) ++k;
    if (k == n) return i;
  }
  return kNone;
}

}  // namespace text
