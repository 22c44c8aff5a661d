#include "data/replace_text.h"

#include <vector>

#include "text/text_search.h"

namespace data {

std::string ReplaceText(std::string_view source, std::string_view old_pattern,
                        std::string_view new_pattern, TReplaceFlags flags) {
  if (source.empty() || old_pattern.empty()) return std::string(source);
  // The search InStr uses, so that Modify changes exactly what the view's
  // condition selected.
  text::TextSearch search(old_pattern, (flags & rfIgnoreCase) != 0 ? text::CaseMode::kIgnoreCase
                                                                   : text::CaseMode::kExact);
  search.SetText(source);
  const std::vector<text::Char>& chars = search.chars();
  const size_t length = search.pattern_size();
  std::string result;
  result.reserve(source.size());
  size_t copied = 0;  // bytes of the source already in the result
  for (size_t i = search.Find(0); i != text::TextSearch::kNone; i = search.Find(i)) {
    const size_t start = chars[i].offset;
    i += length;
    const size_t end = i < chars.size() ? chars[i].offset : source.size();
    result.append(source.substr(copied, start - copied));
    result.append(new_pattern);
    copied = end;
    if ((flags & rfReplaceAll) == 0) break;
  }
  result.append(source.substr(copied));
  return result;
}

}  // namespace data
