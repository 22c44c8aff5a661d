#include "data/provider/sql.h"

#include <cctype>
#include <vector>

#include "data/provider/instr.h"
#include "data/provider/provider.h"
#include "text/case_fold.h"

namespace provider {
namespace {

constexpr const char* kFromError = "Syntax error in FROM clause.";
constexpr const char* kInvalidStatement =
    "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
constexpr int32_t kSyntaxCode = static_cast<int32_t>(0x80040E14u);

enum class Tok {
  kEnd,
  kName,
  kBracketName,
  kString,
  kNumber,
  kPunct,
  kParam,
  kBadString,
  kBadBracket
};

struct Token {
  Tok kind = Tok::kEnd;
  std::string text;
  size_t offset = 0;  // where the token starts in the statement
};

bool IsNameByte(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::vector<Token> Tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (true) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    Token t;
    t.offset = i;
    if (i >= s.size()) {
      out.push_back(t);
      return out;
    }
    char c = s[i];
    if (c == '\'' || c == '"') {
      t.kind = Tok::kBadString;
      ++i;
      while (i < s.size()) {
        if (s[i] == c) {
          if (i + 1 < s.size() && s[i + 1] == c) {
            t.text += c;
            i += 2;
            continue;
          }
          t.kind = Tok::kString;
          ++i;
          break;
        }
        t.text += s[i++];
      }
    } else if (c == '[') {
      size_t end = s.find_first_of("[]", i + 1);
      if (end == std::string_view::npos || s[end] != ']' || end == i + 1) {
        t.kind = Tok::kBadBracket;
        i = s.size();
      } else {
        t.kind = Tok::kBracketName;
        t.text = std::string(s.substr(i + 1, end - i - 1));
        i = end + 1;
      }
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      t.kind = Tok::kNumber;
      while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) t.text += s[i++];
      // A number running into letters is a name-like token Jet would reject.
      if (i < s.size() && IsNameByte(static_cast<unsigned char>(s[i]))) {
        t.kind = Tok::kName;
        while (i < s.size() && IsNameByte(static_cast<unsigned char>(s[i]))) t.text += s[i++];
      }
    } else if (IsNameByte(static_cast<unsigned char>(c))) {
      t.kind = Tok::kName;
      while (i < s.size() && IsNameByte(static_cast<unsigned char>(s[i]))) t.text += s[i++];
    } else if (c == '?') {
      t.kind = Tok::kParam;
      t.text = "?";
      ++i;
    } else if (c == '<' && i + 1 < s.size() && s[i + 1] == '>') {
      t.kind = Tok::kPunct;
      t.text = "<>";
      i += 2;
    } else {
      t.kind = Tok::kPunct;
      t.text = std::string(1, c);
      ++i;
    }
    out.push_back(t);
  }
}

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s), toks_(Tokenize(s)) {}

  SelectStatement Parse() {
    for (const Token& t : toks_) {
      if (t.kind == Tok::kParam) throw ProviderError(kMissingParameter, kSyntaxCode);
    }
    if (!IsKeyword(Peek(), "SELECT")) Fail(kInvalidStatement);
    Next();
    if (!IsPunct(Peek(), "*")) Fail("Syntax error in query. Incomplete query clause.");
    Next();
    if (!IsKeyword(Peek(), "FROM")) Fail("Syntax error in query. Incomplete query clause.");
    Next();
    SelectStatement st;
    const Token& table = Peek();
    if ((table.kind != Tok::kName || IsReserved(table.text)) && table.kind != Tok::kBracketName) {
      Fail(kFromError);
    }
    st.table = table.text;
    Next();
    if (IsKeyword(Peek(), "WHERE")) {
      Next();
      where_offset_ = Peek().offset;
      st.where = ParseCondition();
    } else if (!AtEnd()) {
      Fail(kFromError);
    }
    return st;
  }

 private:
  const Token& Peek() const { return toks_[pos_]; }
  void Next() {
    if (pos_ + 1 < toks_.size()) ++pos_;
  }
  bool AtEnd() {
    if (IsPunct(Peek(), ";")) Next();
    return Peek().kind == Tok::kEnd;
  }
  static bool IsKeyword(const Token& t, const char* word) {
    return t.kind == Tok::kName && text::EqualsIgnoreAsciiCase(t.text, word);
  }
  static bool IsPunct(const Token& t, const char* p) {
    return t.kind == Tok::kPunct && t.text == p;
  }
  static bool IsReserved(const std::string& word) {
    for (const char* r : {"SELECT", "FROM", "WHERE", "AND", "OR", "NOT", "ORDER", "BY", "GROUP",
                          "HAVING", "AS", "ON", "IN", "IS", "NULL", "LIKE", "BETWEEN"}) {
      if (text::EqualsIgnoreAsciiCase(word, r)) return true;
    }
    return false;
  }
  [[noreturn]] void Fail(const std::string& message) const {
    throw ProviderError(message, kSyntaxCode);
  }
  [[noreturn]] void FailCondition() const {
    std::string expr(s_.substr(where_offset_));
    while (!expr.empty() && (IsBlank(expr.back()) || expr.back() == ';')) expr.pop_back();
    for (const Token& t : toks_) {
      if (t.kind == Tok::kBadString) {
        Fail("Syntax error in string in query expression '" + expr + "'.");
      }
    }
    Fail("Syntax error (missing operator) in query expression '" + expr + "'.");
  }

  InStrCondition ParseCondition() {
    InStrCondition c;
    if (!IsKeyword(Peek(), "INSTR")) FailCondition();
    Next();
    if (!IsPunct(Peek(), "(")) FailCondition();
    Next();
    if (Peek().kind == Tok::kNumber) {
      const std::string& digits = Peek().text;
      if (digits.size() > 9) FailCondition();
      c.start = std::stoll(digits);
      if (c.start < 1) Fail("Invalid procedure call");
      Next();
      if (!IsPunct(Peek(), ",")) FailCondition();
      Next();
    }
    const Token& field = Peek();
    if ((field.kind != Tok::kName || IsReserved(field.text)) && field.kind != Tok::kBracketName) {
      FailCondition();
    }
    c.field = field.text;
    Next();
    if (!IsPunct(Peek(), ",")) FailCondition();
    Next();
    if (Peek().kind != Tok::kString) FailCondition();
    c.text = Peek().text;
    Next();
    if (!IsPunct(Peek(), ")")) FailCondition();
    Next();
    if (IsPunct(Peek(), ">") || IsPunct(Peek(), "<>")) {
      Next();
      if (Peek().kind != Tok::kNumber || Peek().text.find_first_not_of('0') != std::string::npos) {
        FailCondition();
      }
      Next();
    }
    if (!AtEnd()) FailCondition();
    return c;
  }

  std::string_view s_;
  std::vector<Token> toks_;
  size_t pos_ = 0;
  size_t where_offset_ = 0;
};

}  // namespace

SelectStatement ParseSelect(std::string_view statement) { return Parser(statement).Parse(); }

bool InStrSelects(const InStrCondition& condition, const Variant& value) {
  if (IsNull(value)) return false;
  return InStrIgnoreCase(condition.start, VariantToText(value), condition.text) != 0;
}

std::string UnknownTableMessage(std::string_view table) {
  return "The database engine cannot find the input table or query '" + std::string(table) +
         "'. Make sure it exists and that its name is spelled correctly.";
}

}  // namespace provider
