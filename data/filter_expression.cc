#include "data/filter_expression.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "data/db_error.h"
#include "text/case_fold.h"

namespace data {

namespace {

enum class Op { kAnd, kOr, kNot, kEq, kNe, kLt, kGt, kLe, kGe, kLike, kIsNull, kNotNull };

struct Literal {
  bool is_null = false;
  bool is_number = false;
  double number = 0;
  std::string text;
};

}  // namespace

struct FilterExpression::Node {
  Op op = Op::kAnd;
  std::unique_ptr<Node> left, right;  // operands of AND, OR, NOT
  size_t column = 0;                  // comparisons
  Literal literal;
};

namespace {

using Node = FilterExpression::Node;

std::optional<double> ParseNumber(std::string_view text) {
  std::string s(text);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  double d = std::strtod(s.c_str(), &end);
  if (end != s.c_str() + s.size() || !std::isfinite(d)) return std::nullopt;
  return d;
}

std::optional<double> NumberOf(const provider::Variant& v) {
  if (auto* i = std::get_if<int64_t>(&v)) return static_cast<double>(*i);
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
  if (auto* c = std::get_if<provider::Currency>(&v)) return static_cast<double>(c->scaled) / 10000;
  if (auto* d = std::get_if<provider::DateTime>(&v)) return d->days;
  if (auto* d = std::get_if<provider::Decimal>(&v))
    return ParseNumber(provider::DecimalToString(*d));
  return std::nullopt;
}

class Parser {
 public:
  Parser(std::string_view text, const std::vector<std::string>& columns)
      : text_(text), columns_(columns) {}

  std::unique_ptr<Node> ParseAll() {
    SkipBlanks();
    if (pos_ == text_.size()) return nullptr;
    std::unique_ptr<Node> node = ParseOr();
    SkipBlanks();
    if (pos_ != text_.size()) Fail();
    return node;
  }

 private:
  [[noreturn]] void Fail() const {
    throw EDatabaseError(Format("Invalid filter expression: %s", std::string(text_).c_str()));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }

  static bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
  }

  // Consumes the keyword `word` when it comes next as a whole word.
  bool Keyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (!text::EqualsIgnoreAsciiCase(text_.substr(pos_, word.size()), word)) return false;
    size_t end = pos_ + word.size();
    if (end < text_.size() && IsWordChar(text_[end])) return false;
    pos_ = end;
    return true;
  }

  bool Symbol(std::string_view symbol) {
    SkipBlanks();
    if (text_.substr(pos_, symbol.size()) != symbol) return false;
    pos_ += symbol.size();
    return true;
  }

  std::unique_ptr<Node> Join(Op op, std::unique_ptr<Node> left, std::unique_ptr<Node> right) {
    auto node = std::make_unique<Node>();
    node->op = op;
    node->left = std::move(left);
    node->right = std::move(right);
    return node;
  }

  std::unique_ptr<Node> ParseOr() {
    std::unique_ptr<Node> node = ParseAnd();
    while (Keyword("OR")) node = Join(Op::kOr, std::move(node), ParseAnd());
    return node;
  }

  std::unique_ptr<Node> ParseAnd() {
    std::unique_ptr<Node> node = ParseUnary();
    while (Keyword("AND")) node = Join(Op::kAnd, std::move(node), ParseUnary());
    return node;
  }

  std::unique_ptr<Node> ParseUnary() {
    if (Keyword("NOT")) return Join(Op::kNot, ParseUnary(), nullptr);
    if (Symbol("(")) {
      std::unique_ptr<Node> node = ParseOr();
      if (!Symbol(")")) Fail();
      return node;
    }
    return ParseComparison();
  }

  std::string FieldName() {
    SkipBlanks();
    if (Symbol("[")) {
      size_t end = text_.find(']', pos_);
      if (end == std::string_view::npos || end == pos_) Fail();
      std::string name(text_.substr(pos_, end - pos_));
      pos_ = end + 1;
      return name;
    }
    size_t start = pos_;
    while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
    if (start == pos_) Fail();
    return std::string(text_.substr(start, pos_ - start));
  }

  size_t Column(const std::string& name) const {
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (text::EqualsIgnoreCase(columns_[i], name)) return i;
    }
    throw EDatabaseError(Format(kFieldNotFound, name.c_str()));
  }

  Literal ParseLiteral() {
    SkipBlanks();
    Literal lit;
    if (Symbol("'")) {
      for (;;) {
        if (pos_ >= text_.size()) Fail();
        char c = text_[pos_++];
        if (c == '\'') {
          if (pos_ < text_.size() && text_[pos_] == '\'') {
            ++pos_;
          } else {
            break;
          }
        }
        lit.text += c;
      }
      return lit;
    }
    if (Keyword("NULL")) {
      lit.is_null = true;
      return lit;
    }
    if (Keyword("TRUE")) {
      // Yes/no values compare as numbers: -1 for yes, 0 for no.
      lit.is_number = true;
      lit.number = -1;
      return lit;
    }
    if (Keyword("FALSE")) {
      lit.is_number = true;
      return lit;
    }
    size_t start = pos_;
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
    while (pos_ < text_.size() &&
           (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.')) {
      ++pos_;
    }
    std::optional<double> n = ParseNumber(text_.substr(start, pos_ - start));
    if (!n) Fail();
    lit.is_number = true;
    lit.number = *n;
    return lit;
  }

  std::unique_ptr<Node> ParseComparison() {
    auto node = std::make_unique<Node>();
    node->column = Column(FieldName());
    if (Keyword("IS")) {
      node->op = Keyword("NOT") ? Op::kNotNull : Op::kIsNull;
      if (!Keyword("NULL")) Fail();
      return node;
    }
    if (Keyword("LIKE")) {
      node->op = Op::kLike;
    } else if (Symbol("<>")) {
      node->op = Op::kNe;
    } else if (Symbol("<=")) {
      node->op = Op::kLe;
    } else if (Symbol(">=")) {
      node->op = Op::kGe;
    } else if (Symbol("=")) {
      node->op = Op::kEq;
    } else if (Symbol("<")) {
      node->op = Op::kLt;
    } else if (Symbol(">")) {
      node->op = Op::kGt;
    } else {
      Fail();
    }
    node->literal = ParseLiteral();
    if (node->literal.is_null) {
      if (node->op == Op::kEq) {
        node->op = Op::kIsNull;
      } else if (node->op == Op::kNe) {
        node->op = Op::kNotNull;
      } else {
        Fail();
      }
    } else if (node->op == Op::kLike && node->literal.is_number) {
      Fail();
    }
    return node;
  }

  std::string_view text_;
  const std::vector<std::string>& columns_;
  size_t pos_ = 0;
};

// -1, 0 or 1 as `value` sorts before, with or after the literal.
int Compare(const provider::Variant& value, const Literal& lit) {
  std::optional<double> number = NumberOf(value);
  std::optional<double> other =
      lit.is_number ? std::optional<double>(lit.number) : ParseNumber(lit.text);
  if (number && other) return *number < *other ? -1 : (*number > *other ? 1 : 0);
  std::string a = text::FoldCase(provider::VariantToText(value));
  std::string b = text::FoldCase(lit.is_number ? provider::VariantToText(lit.number) : lit.text);
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool Evaluate(const Node& node, const std::vector<provider::Variant>& row) {
  switch (node.op) {
    case Op::kAnd:
      return Evaluate(*node.left, row) && Evaluate(*node.right, row);
    case Op::kOr:
      return Evaluate(*node.left, row) || Evaluate(*node.right, row);
    case Op::kNot:
      return !Evaluate(*node.left, row);
    default:
      break;
  }
  static const provider::Variant kNull;
  const provider::Variant& value = node.column < row.size() ? row[node.column] : kNull;
  if (node.op == Op::kIsNull) return provider::IsNull(value);
  if (node.op == Op::kNotNull) return !provider::IsNull(value);
  if (provider::IsNull(value)) return false;
  if (node.op == Op::kLike) return LikeMatches(provider::VariantToText(value), node.literal.text);
  int c = Compare(value, node.literal);
  switch (node.op) {
    case Op::kEq:
      return c == 0;
    case Op::kNe:
      return c != 0;
    case Op::kLt:
      return c < 0;
    case Op::kGt:
      return c > 0;
    case Op::kLe:
      return c <= 0;
    case Op::kGe:
      return c >= 0;
    default:
      return false;
  }
}

// Splits UTF-8 text into characters (a malformed byte is a character).
std::vector<std::string_view> Characters(std::string_view s) {
  std::vector<std::string_view> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + n > s.size()) n = 1;
    out.push_back(s.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;
FilterExpression::~FilterExpression() = default;

FilterExpression FilterExpression::Parse(std::string_view text,
                                         const std::vector<std::string>& columns) {
  FilterExpression e;
  e.root_ = Parser(text, columns).ParseAll();
  return e;
}

bool FilterExpression::Matches(const std::vector<provider::Variant>& row) const {
  return !root_ || Evaluate(*root_, row);
}

bool LikeMatches(std::string_view text, std::string_view pattern) {
  const std::string folded_text = text::FoldCase(text);
  const std::string folded_pattern = text::FoldCase(pattern);
  std::vector<std::string_view> t = Characters(folded_text);
  std::vector<std::string_view> p = Characters(folded_pattern);
  // Greedy match with backtracking to the last run wildcard.
  size_t ti = 0, pi = 0, star = std::string_view::npos, resume = 0;
  while (ti < t.size()) {
    if (pi < p.size() && (p[pi] == "*" || p[pi] == "%")) {
      star = pi++;
      resume = ti;
    } else if (pi < p.size() && (p[pi] == "?" || p[pi] == "_" || p[pi] == t[ti])) {
      ++pi;
      ++ti;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ti = ++resume;
    } else {
      return false;
    }
  }
  while (pi < p.size() && (p[pi] == "*" || p[pi] == "%")) ++pi;
  return pi == p.size();
}

}  // namespace data
