// The rules `replace` applies to one value: what matches, what it becomes
// and where (shown as [..] around the stretches), and the usage errors of
// a regular expression.
#include <gtest/gtest.h>

#include <stdexcept>

#include "cli/regex_rule.h"
#include "data/replace_rule.h"

namespace cli {
namespace {

// `text` with [ and ] around each span.
std::string Marked(const std::string& text, const std::vector<data::TextSpan>& spans) {
  std::string out;
  size_t at = 0;
  for (const data::TextSpan& s : spans) {
    out += text.substr(at, s.begin - at) + "[" + text.substr(s.begin, s.end - s.begin) + "]";
    at = s.end;
  }
  return out + text.substr(at);
}

std::unique_ptr<data::ReplaceRule> Make(const std::string& options, const std::string& find,
                                        const std::string& replace, std::string* error) {
  const bool match_case = options.find("case") != std::string::npos;
  const bool whole = options.find("whole") != std::string::npos;
  if (options.find("regex") != std::string::npos) {
    return RegexRule(find, replace, {match_case, whole}, error);
  }
  return whole ? data::WholeFieldRule(find, replace, match_case)
               : data::ContainsRule(find, replace, match_case);
}

TEST(ReplaceRulesTest, MatchAndMarkTheChange) {
  struct Case {
    const char* options;
    const char* find;
    const char* replace;
    const char* text;
    const char* old_marked;  // null: no match
    const char* new_marked;
  };
  const Case cases[] = {
      {"", "VIA", "By", "Via 北京 via", "[Via] 北京 [via]", "[By] 北京 [By]"},
      {"", "ΣΟΦΙΑ", "x", "σοφια!", "[σοφια]!", "[x]!"},
      {"case", "via", "By", "Via 北京 via", "Via 北京 [via]", "Via 北京 [By]"},
      {"case", "VIA", "By", "via", nullptr, nullptr},
      {"whole", "via shanghai", "X", "Via Shanghai", "[Via Shanghai]", "[X]"},
      {"whole", "via", "X", "via via", nullptr, nullptr},
      {"whole", "", "X", "", "[]", "[X]"},
      {"whole", "", "X", "a", nullptr, nullptr},
      {"whole case", "via", "X", "Via", nullptr, nullptr},
      {"regex", "^(\\w+) (\\w+)$", "$2 $1", "Via 北京", "[Via 北京]", "[北京 Via]"},
      {"regex", "σοφια", "x", "ΣΟΦΙΑ", "[ΣΟΦΙΑ]", "[x]"},
      {"regex", "x*", "-", "ab", "[]a[]b[]", "[-]a[-]b[-]"},
      {"regex", "(?<y>\\d{4})-(?<m>\\d\\d)", "${m}/${y}", "on 2024-05", "on [2024-05]",
       "on [05/2024]"},
      {"regex", "a(b)?", "<$1$$>", "ab a", "[ab] [a]", "[<b$>] [<$>]"},
      {"regex case", "A", "-", "aA", "a[A]", "a[-]"},
      {"regex whole", "b+", "-", "abb", nullptr, nullptr},
      {"regex whole", "b+", "-", "BBB", "[BBB]", "[-]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.options) + " " + c.find + " in " + c.text);
    std::string error;
    auto rule = Make(c.options, c.find, c.replace, &error);
    ASSERT_TRUE(rule) << error;
    data::Replacement r;
    const bool matched = rule->Apply(c.text, &r);
    ASSERT_EQ(matched, c.old_marked != nullptr);
    if (!matched) continue;
    EXPECT_EQ(Marked(c.text, r.matched), c.old_marked);
    EXPECT_EQ(Marked(r.text, r.inserted), c.new_marked);
  }
}

TEST(ReplaceRulesTest, BadPatternsAndReplacementsSayWhere) {
  const struct {
    const char* find;
    const char* replace;
    const char* error;
  } cases[] = {
      {"(abc", "x", "--regex: missing closing parenthesis at the end of '(abc'"},
      {"北京)", "x", "at character 3 of '北京)'"},
      {"(a)", "$2", "--replace: group 2 does not exist (the pattern has 1) at character 1"},
      {"(a)", "x${b}", "--replace: the pattern has no group named 'b' at character 2"},
      {"(a)", "5$", "--replace: '$' without a group number or {name} at character 2"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(RegexRule(c.find, c.replace, {}, &error)) << c.find;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
  // A value that is not UTF-8 is refused, not searched byte by byte.
  std::string error;
  auto rule = RegexRule("a", "b", {}, &error);
  data::Replacement r;
  EXPECT_THROW(rule->Apply("a\xff", &r), std::runtime_error);
}

}  // namespace
}  // namespace cli
