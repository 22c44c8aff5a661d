#include "data/replace_text.h"

#include <utility>
#include <vector>

#include "text/text_search.h"

namespace data {

std::vector<TextSpan> FindMatches(std::string_view source, std::string_view old_pattern,
                                  TReplaceFlags flags) {
  if (source.empty() || old_pattern.empty()) return {};
  // The search InStr uses, so that Modify changes exactly what the view's
  // condition selected.
  text::TextSearch search(old_pattern, (flags & rfIgnoreCase) != 0 ? text::CaseMode::kIgnoreCase
                                                                   : text::CaseMode::kExact);
  return FindMatches(source, search, flags);
}

std::vector<TextSpan> FindMatches(std::string_view source, text::TextSearch& search,
                                  TReplaceFlags flags) {
  std::vector<TextSpan> matches;
  if (source.empty() || search.pattern_size() == 0) return matches;
  search.SetText(source);
  const std::vector<text::Char>& chars = search.chars();
  const size_t length = search.pattern_size();
  for (size_t i = search.Find(0); i != text::TextSearch::kNone; i = search.Find(i)) {
    const size_t start = chars[i].offset;
    i += length;
    const size_t end = i < chars.size() ? chars[i].offset : source.size();
    matches.push_back({start, end});
    if ((flags & rfReplaceAll) == 0) break;
  }
  return matches;
}

template <typename ReplacementOf>
Replacement SpliceWith(std::string_view source, std::vector<TextSpan> matches,
                       const ReplacementOf& replacement_of) {
  Replacement out;
  out.text.reserve(source.size());
  out.inserted.reserve(matches.size());
  size_t copied = 0;  // bytes of the source already in the result
  for (size_t i = 0; i < matches.size(); ++i) {
    out.text.append(source.substr(copied, matches[i].begin - copied));
    const size_t at = out.text.size();
    out.text.append(replacement_of(i));
    out.inserted.push_back({at, out.text.size()});
    copied = matches[i].end;
  }
  out.text.append(source.substr(copied));
  out.matched = std::move(matches);
  return out;
}

Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   std::string_view replacement) {
  return SpliceWith(source, std::move(matches), [&](size_t) { return replacement; });
}

Replacement Splice(std::string_view source, std::vector<TextSpan> matches,
                   const std::vector<std::string>& replacements) {
  return SpliceWith(source, std::move(matches),
                    [&](size_t i) { return std::string_view(replacements[i]); });
}

std::string ReplaceText(std::string_view source, std::string_view old_pattern,
                        std::string_view new_pattern, TReplaceFlags flags) {
  return Splice(source, FindMatches(source, old_pattern, flags), new_pattern).text;
}

}  // namespace data
