// The parser's token handling, its PLS-00103 errors, types and expressions.
//
// Expressions follow PL/SQL's precedence, from loosest to tightest: OR; AND; NOT;
// comparisons (= <> < > <= >= IS NULL LIKE BETWEEN IN MEMBER OF SUBMULTISET OF); binary
// + - || (and MULTISET UNION/INTERSECT/EXCEPT); * / MOD REM; unary + -; **.  A run of one
// level is one node with its operands in a list, so that only nesting recurses.
#include "oci7/plsql/parser.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "oci7/dialect/stack_room.h"
#include "oci7/plsql/expected.h"

namespace tess::oci7::plsql {
namespace {

// Words PL/SQL reserves: never an identifier, so they end an expression or a name.
constexpr std::array kReserved = {
    "ALL",       "ALTER",     "AND",       "ANY",       "AS",         "ASC",     "AT",
    "BEGIN",     "BETWEEN",   "BY",        "CASE",      "CHECK",      "CLUSTER", "CLUSTERS",
    "COLAUTH",   "COLUMNS",   "COMPRESS",  "CONNECT",   "CRASH",      "CREATE",  "CURSOR",
    "DECLARE",   "DEFAULT",   "DESC",      "DISTINCT",  "DROP",       "ELSE",    "ELSIF",
    "END",       "EXCEPTION", "EXCLUSIVE", "FETCH",     "FOR",        "FROM",    "FUNCTION",
    "GOTO",      "GRANT",     "GROUP",     "HAVING",    "IDENTIFIED", "IF",      "IN",
    "INDEX",     "INDEXES",   "INSERT",    "INTERSECT", "INTO",       "IS",      "LIKE",
    "LOCK",      "LOOP",      "MINUS",     "MODE",      "NOCOMPRESS", "NOT",     "NOWAIT",
    "NULL",      "OF",        "ON",        "OPTION",    "OR",         "ORDER",   "OVERLAPS",
    "PROCEDURE", "PUBLIC",    "RESOURCE",  "REVOKE",    "SELECT",     "SHARE",   "SIZE",
    "SQL",       "START",     "TABAUTH",   "TABLE",     "THEN",       "TO",      "UNION",
    "UNIQUE",    "UPDATE",    "VALUES",    "VIEW",      "VIEWS",      "WHEN",    "WHERE",
    "WHILE",     "WITH",
};

const std::array kCursorAttributes = {"FOUND",    "NOTFOUND",      "ISOPEN",
                                      "ROWCOUNT", "BULK_ROWCOUNT", "BULK_EXCEPTIONS"};

}  // namespace

bool IsReservedWord(std::string_view upperWord) {
  return std::find(kReserved.begin(), kReserved.end(), upperWord) != kReserved.end();
}

std::string TypeSpec::Dotted() const {
  std::string out;
  for (const std::string& part : name) {
    if (!out.empty()) out += '.';
    out += part;
  }
  return out;
}

const char* UnitKindName(UnitKind kind) {
  switch (kind) {
    case UnitKind::Anonymous:
      return "ANONYMOUS BLOCK";
    case UnitKind::Procedure:
      return "PROCEDURE";
    case UnitKind::Function:
      return "FUNCTION";
    case UnitKind::Package:
      return "PACKAGE";
    case UnitKind::PackageBody:
      return "PACKAGE BODY";
    case UnitKind::Trigger:
      return "TRIGGER";
    case UnitKind::Type:
      return "TYPE";
    case UnitKind::TypeBody:
      return "TYPE BODY";
  }
  return "";
}

// ---------------------------------------------------------------------------------------
// Tokens and errors

Parser::Parser(std::string_view text, std::vector<Token> tokens)
    : text_(text), tokens_(std::move(tokens)) {}

const Token& Parser::Tok(size_t ahead) const {
  static const Token kEnd{};
  return pos_ + ahead < tokens_.size() ? tokens_[pos_ + ahead] : kEnd;
}

bool Parser::IsWord(std::string_view upper, size_t ahead) const {
  if (AtEnd(ahead)) return false;
  const Token& t = Tok(ahead);
  return t.kind == TokenKind::Word && t.value == upper;
}

bool Parser::IsOp(std::string_view op, size_t ahead) const {
  if (AtEnd(ahead)) return false;
  const Token& t = Tok(ahead);
  return t.kind == TokenKind::Operator && t.value == op;
}

bool Parser::AcceptWord(std::string_view upper) {
  if (!IsWord(upper)) return false;
  ++pos_;
  return true;
}

bool Parser::AcceptOp(std::string_view op) {
  if (!IsOp(op)) return false;
  ++pos_;
  return true;
}

void Parser::ExpectWord(std::string_view upper, std::string_view expected) {
  if (!AcceptWord(upper)) Unexpected(expected);
}

void Parser::ExpectOp(std::string_view op, std::string_view expected) {
  if (!AcceptOp(op)) Unexpected(expected);
}

size_t Parser::Here() const {
  if (pos_ < tokens_.size()) return tokens_[pos_].offset;
  return LastEnd();
}

size_t Parser::LastEnd() const {
  if (pos_ == 0 || tokens_.empty()) return 0;
  const Token& t = tokens_[std::min(pos_, tokens_.size()) - 1];
  return t.offset + t.length;
}

bool Parser::IsIdentifier(size_t ahead) const {
  if (AtEnd(ahead)) return false;
  const Token& t = Tok(ahead);
  if (t.kind == TokenKind::QuotedIdentifier) return true;
  return t.kind == TokenKind::Word && !IsReservedWord(t.value);
}

std::string Parser::Identifier(std::string_view expected, size_t* offset) {
  if (!IsIdentifier()) Unexpected(expected);
  if (offset) *offset = Tok().offset;
  return tokens_[pos_++].value;
}

std::string Parser::AnyName(std::string_view expected, size_t* offset) {
  const Token& t = Tok();
  if (AtEnd() || (t.kind != TokenKind::Word && t.kind != TokenKind::QuotedIdentifier))
    Unexpected(expected);
  if (offset) *offset = t.offset;
  return tokens_[pos_++].value;
}

std::vector<std::string> Parser::DottedName(std::string_view expected, size_t* offset) {
  std::vector<std::string> parts;
  parts.push_back(Identifier(expected, offset));
  while (IsOp(".") &&
         (Tok(1).kind == TokenKind::Word || Tok(1).kind == TokenKind::QuotedIdentifier)) {
    ++pos_;
    parts.push_back(AnyName(expected));
  }
  return parts;
}

void Parser::Unexpected(std::string_view expected) const {
  std::string symbol;
  size_t at;
  if (AtEnd()) {
    symbol = "end-of-file";
    at = LastEnd();
  } else {
    const Token& t = Tok();
    at = t.offset;
    switch (t.kind) {
      case TokenKind::String:
        symbol = "'" + t.value + "'";
        break;
      case TokenKind::Bind:
        symbol = ":" + t.value;
        break;
      case TokenKind::QuotedIdentifier:
        symbol = "\"" + t.value + "\"";
        break;
      default:
        symbol = t.value;
        break;
    }
  }
  Fail(at, ExpectedMessage(symbol, expected));
}

void Parser::Fail(size_t offset, std::string text) const {
  throw SyntaxError{offset, std::move(text), 0, {}};
}

std::string Parser::TextOf(size_t from, size_t to) const {
  if (from >= text_.size() || to <= from) return {};
  return std::string(text_.substr(from, std::min(to, text_.size()) - from));
}

// ---------------------------------------------------------------------------------------
// Types

int Parser::IntegerLiteral(std::string_view expected) {
  if (Tok().kind != TokenKind::Number || AtEnd()) Unexpected(expected);
  const std::string& v = tokens_[pos_++].value;
  long n = std::strtol(v.c_str(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(n, -1000000000L, 1000000000L));
}

TypeSpec Parser::Type(std::string_view unconstrained) {
  TypeSpec t;
  t.offset = Here();
  if (IsWord("REF") && !IsWord("CURSOR", 1)) {
    ++pos_;
    t.ref = true;
  }
  auto word = [&](std::string_view w) { return AcceptWord(w); };
  if (word("LONG")) {
    t.name.push_back(word("RAW") ? "LONG RAW" : "LONG");
  } else if (word("DOUBLE")) {
    ExpectWord("PRECISION", "precision");
    t.name.push_back("DOUBLE PRECISION");
  } else if (IsWord("NATIONAL")) {
    ++pos_;
    if (!word("CHARACTER") && !word("CHAR")) Unexpected("char character");
    t.name.push_back(word("VARYING") ? "NVARCHAR2" : "NCHAR");
  } else if ((IsWord("CHARACTER") || IsWord("CHAR") || IsWord("NCHAR")) && IsWord("VARYING", 1)) {
    t.name.push_back(Tok().value == "NCHAR" ? "NVARCHAR2" : "VARCHAR2");
    pos_ += 2;
  } else if (IsWord("TIMESTAMP") || IsWord("INTERVAL")) {
    // Their precision sits inside the name: TIMESTAMP(6) WITH TIME ZONE.
    bool interval = IsWord("INTERVAL");
    ++pos_;
    std::string name = interval ? "INTERVAL" : "TIMESTAMP";
    if (interval) {
      if (word("YEAR")) {
        name += " YEAR";
      } else {
        ExpectWord("DAY", "day year");
        name += " DAY";
      }
    }
    if (AcceptOp("(")) {
      t.length = IntegerLiteral("<an integer literal>");
      ExpectOp(")", ")");
    }
    if (interval) {
      ExpectWord("TO", "to");
      if (word("MONTH")) {
        name += " TO MONTH";
      } else {
        ExpectWord("SECOND", "month second");
        name += " TO SECOND";
        if (AcceptOp("(")) {
          t.scale = IntegerLiteral("<an integer literal>");
          ExpectOp(")", ")");
        }
      }
    } else if (IsWord("WITH")) {
      ++pos_;
      name += word("LOCAL") ? " WITH LOCAL" : " WITH";
      ExpectWord("TIME", "time");
      ExpectWord("ZONE", "zone");
      name += " TIME ZONE";
    }
    t.name.push_back(name);
  } else {
    if (!IsIdentifier() && !(Tok().kind == TokenKind::Word && !AtEnd() &&
                             (Tok().value == "TABLE" || Tok().value == "CURSOR")))
      Unexpected(expect::kTypeName);
    t.name = DottedName(expect::kTypeName);
    if (AcceptOp("@")) AnyName("<an identifier>");  // a remote object's type
    if (IsOp("%") && (IsWord("TYPE", 1) || IsWord("ROWTYPE", 1))) {
      t.attribute = Tok(1).value;
      pos_ += 2;
    }
  }
  if (t.attribute.empty() && IsOp("(") && !t.name.empty() && t.name.size() == 1) {
    // VARCHAR2(10 CHAR), NUMBER(8,2), NUMBER(*,0), RAW(16); parameters and results are
    // unconstrained.
    if (!unconstrained.empty()) Unexpected(unconstrained);
    ++pos_;
    if (AcceptOp("*"))
      t.length = 38;
    else
      t.length = IntegerLiteral("<an integer literal> *");
    if (!AcceptWord("CHAR")) AcceptWord("BYTE");
    if (AcceptOp(",")) {
      bool negative = AcceptOp("-");
      int s = IntegerLiteral("<an integer literal>");
      t.scale = negative ? -s : s;
    }
    ExpectOp(")", ", )");
  }
  if (IsWord("CHARACTER") && IsWord("SET", 1)) {
    pos_ += 2;
    AnyName("<an identifier>");
    if (IsOp("%") && IsWord("CHARSET", 1)) pos_ += 2;
  }
  t.text = NormalizedText(TextOf(t.offset, LastEnd()));
  return t;
}

// ---------------------------------------------------------------------------------------
// Expressions

ExprPtr Parser::Make(ExprKind kind, size_t offset) {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  e->offset = offset;
  return e;
}

namespace {

// Levels of blocks and statements, of expressions, and of the tree an expression makes:
// the parser, the interpreter and the tree's own destruction recurse on them.
constexpr int kMaxStatementNesting = 250;
constexpr int kMaxExpressionNesting = 255;
constexpr int kMaxTreeHeight = 1000;
constexpr const char* kTooLarge = "PLS-00123: program too large (Diana nodes)";

bool IsComparisonOp(const Token& t) {
  if (t.kind != TokenKind::Operator) return false;
  const std::string& v = t.value;
  return v == "=" || v == "<>" || v == "!=" || v == "~=" || v == "^=" || v == "<" || v == ">" ||
         v == "<=" || v == ">=";
}

}  // namespace

ExprPtr Parser::Finish(ExprPtr e) {
  e->end = LastEnd();
  SetHeight(*e);
  return e;
}

void Parser::SetHeight(Expr& e) {
  int below = 0;
  for (const auto& o : e.operands) below = std::max(below, o->height);
  for (const Arg& a : e.args) below = std::max(below, a.value->height);
  GrowTo(e, below + 1);
}

void Parser::GrowTo(Expr& e, int height) {
  e.height = std::max(e.height, height);
  if (e.height > kMaxTreeHeight) Fail(Here(), kTooLarge);
}

Parser::Nesting::Nesting(Parser& p, bool expression, bool counts)
    : p_(p),
      depth_(expression ? p.exprDepth_ : p.depth_),
      max_(expression ? kMaxExpressionNesting : kMaxStatementNesting) {
  if (counts) Step();
}

void Parser::Nesting::Step() {
  ++added_;
  if (++depth_ > max_ || StackRoom() < kParseStackReserve) p_.Fail(p_.Here(), kTooLarge);
}

ExprPtr Parser::Expression() {
  Nesting nesting(*this, true);
  return Or();
}

ExprPtr Parser::ParseStandaloneExpression() {
  ExprPtr e = Expression();
  AcceptOp(";");
  if (!AtEnd()) Unexpected(AfterOperand("end-of-file"));
  return e;
}

ExprPtr Parser::Binary(std::string op, ExprPtr left, ExprPtr right) {
  auto e = std::make_unique<Expr>();
  e->kind = ExprKind::Binary;
  e->offset = left->offset;
  e->end = right->end;
  e->text = std::move(op);
  e->operands.push_back(std::move(left));
  e->operands.push_back(std::move(right));
  SetHeight(*e);
  return e;
}

void Parser::Extend(ExprPtr& left, Expr*& chain, std::string op, ExprPtr right) {
  if (!chain) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Chain;
    e->offset = left->offset;
    GrowTo(*e, left->height + 1);
    e->operands.push_back(std::move(left));
    chain = e.get();
    left = std::move(e);
  }
  chain->end = right->end;
  GrowTo(*chain, right->height + 1);
  chain->ops.push_back(std::move(op));
  chain->operands.push_back(std::move(right));
}

ExprPtr Parser::Logical(const char* word, ExprPtr (Parser::*operand)()) {
  ExprPtr first = (this->*operand)();
  if (!IsWord(word)) return first;
  auto e = std::make_unique<Expr>();
  e->kind = ExprKind::Binary;
  e->offset = first->offset;
  e->text = word;
  e->operands.push_back(std::move(first));
  while (IsWord(word)) {
    ++pos_;
    e->operands.push_back((this->*operand)());
  }
  e->end = e->operands.back()->end;
  SetHeight(*e);
  return e;
}

ExprPtr Parser::Or() {
  return Logical("OR", &Parser::And);
}

ExprPtr Parser::And() {
  return Logical("AND", &Parser::Not);
}

ExprPtr Parser::Not() {
  if (IsWord("NOT")) {
    // NOT NOT x nests: each NOT on another is a level.
    Nesting nesting(*this, true, IsWord("NOT", 1));
    size_t at = Here();
    ++pos_;
    ExprPtr e = Make(ExprKind::Unary, at);
    e->text = "NOT";
    e->operands.push_back(Not());
    return Finish(std::move(e));
  }
  return Comparison();
}

ExprPtr Parser::Comparison() {
  ExprPtr left = Additive();
  // Comparisons in a row are one chain; IS, LIKE, BETWEEN, IN and MEMBER wrap what came
  // before, each wrap a level.
  Expr* chain = nullptr;
  Nesting wraps(*this, true, false);
  while (true) {
    if (!AtEnd() && IsComparisonOp(Tok())) {
      const std::string& v = Tok().value;
      std::string op = (v == "!=" || v == "~=" || v == "^=") ? "<>" : v;
      ++pos_;
      Extend(left, chain, std::move(op), Additive());
      continue;
    }
    if (Tok().kind == TokenKind::Operator && !AtEnd()) return left;
    chain = nullptr;
    if (IsWord("IS")) {
      wraps.Step();
      size_t save = pos_;
      ++pos_;
      bool negated = AcceptWord("NOT");
      ExprPtr e = Make(ExprKind::IsNull, left->offset);
      e->negated = negated;
      if (AcceptWord("NULL")) {
      } else if (IsWord("A") && IsWord("SET", 1)) {
        pos_ += 2;
        e->kind = ExprKind::IsTest;
        e->text = "A SET";
      } else if (AcceptWord("EMPTY")) {
        e->kind = ExprKind::IsTest;
        e->text = "EMPTY";
      } else if (AcceptWord("OF")) {
        e->kind = ExprKind::IsTest;
        e->text = "OF";
        AcceptWord("TYPE");
        ExpectOp("(", "(");
        do {
          AcceptWord("ONLY");
          e->type = Type();
        } while (AcceptOp(","));
        ExpectOp(")", ", )");
      } else {
        pos_ = save + 1 + (negated ? 1 : 0);
        Unexpected("a empty null of");
      }
      e->operands.push_back(std::move(left));
      left = Finish(std::move(e));
      continue;
    }
    size_t save = pos_;
    bool negated = false;
    if (IsWord("NOT") && (IsWord("LIKE", 1) || IsWord("LIKEC", 1) || IsWord("LIKE2", 1) ||
                          IsWord("LIKE4", 1) || IsWord("BETWEEN", 1) || IsWord("IN", 1) ||
                          IsWord("MEMBER", 1) || IsWord("SUBMULTISET", 1))) {
      negated = true;
      ++pos_;
    }
    if (IsWord("LIKE") || IsWord("LIKEC") || IsWord("LIKE2") || IsWord("LIKE4")) {
      wraps.Step();
      ExprPtr e = Make(ExprKind::Like, left->offset);
      e->text = Tok().value;
      ++pos_;
      e->negated = negated;
      e->operands.push_back(std::move(left));
      e->operands.push_back(Additive());
      if (AcceptWord("ESCAPE")) e->operands.push_back(Additive());
      left = Finish(std::move(e));
      continue;
    }
    if (AcceptWord("BETWEEN")) {
      wraps.Step();
      ExprPtr e = Make(ExprKind::Between, left->offset);
      e->negated = negated;
      e->operands.push_back(std::move(left));
      e->operands.push_back(Additive());
      ExpectWord("AND", AfterOperand("and"));
      e->operands.push_back(Additive());
      left = Finish(std::move(e));
      continue;
    }
    if (AcceptWord("IN")) {
      wraps.Step();
      ExprPtr e = Make(ExprKind::In, left->offset);
      e->negated = negated;
      e->operands.push_back(std::move(left));
      ExpectOp("(", "(");
      do {
        e->operands.push_back(Expression());
      } while (AcceptOp(","));
      ExpectOp(")", AfterOperand(", )"));
      left = Finish(std::move(e));
      continue;
    }
    if (IsWord("MEMBER") || IsWord("SUBMULTISET")) {
      wraps.Step();
      std::string op = Tok().value + " OF";
      ++pos_;
      AcceptWord("OF");
      ExprPtr right = Additive();
      ExprPtr e = Binary(op, std::move(left), std::move(right));
      if (negated) {
        ExprPtr n = Make(ExprKind::Unary, e->offset);
        n->text = "NOT";
        n->end = e->end;
        n->operands.push_back(std::move(e));
        SetHeight(*n);
        e = std::move(n);
      }
      left = std::move(e);
      continue;
    }
    pos_ = save;
    return left;
  }
}

ExprPtr Parser::Additive() {
  ExprPtr left = Multiplicative();
  Expr* chain = nullptr;
  Nesting wraps(*this, true, false);
  while (true) {
    if (IsOp("+") || IsOp("-") || IsOp("||")) {
      std::string op = Tok().value;
      ++pos_;
      Extend(left, chain, std::move(op), Multiplicative());
    } else if (IsWord("MULTISET") &&
               (IsWord("UNION", 1) || IsWord("INTERSECT", 1) || IsWord("EXCEPT", 1))) {
      wraps.Step();
      std::string op = "MULTISET " + Tok(1).value;
      pos_ += 2;
      if (!AcceptWord("ALL")) AcceptWord("DISTINCT");
      left = Binary(op, std::move(left), Multiplicative());
      chain = nullptr;
    } else {
      return left;
    }
  }
}

ExprPtr Parser::Multiplicative() {
  ExprPtr left = Unary();
  Expr* chain = nullptr;
  while (IsOp("*") || IsOp("/") || IsWord("MOD") || IsWord("REM")) {
    std::string op = Tok().value;
    ++pos_;
    Extend(left, chain, std::move(op), Unary());
  }
  return left;
}

ExprPtr Parser::Unary() {
  if (IsOp("-") || IsOp("+")) {
    // - - x nests: each sign on another is a level.
    Nesting nesting(*this, true, IsOp("-", 1) || IsOp("+", 1));
    ExprPtr e = Make(ExprKind::Unary, Here());
    e->text = Tok().value;
    ++pos_;
    e->operands.push_back(Unary());
    return Finish(std::move(e));
  }
  return Power();
}

ExprPtr Parser::Power() {
  ExprPtr left = Primary();
  if (IsOp("**")) {
    // a ** b ** c nests to the right: each ** a level.
    Nesting nesting(*this, true);
    ++pos_;
    return Binary("**", std::move(left), Unary());
  }
  return left;
}

ExprPtr Parser::Primary() {
  if (AtEnd()) Unexpected(expect::kExpressionStart);
  const Token& t = Tok();
  size_t at = t.offset;
  switch (t.kind) {
    case TokenKind::Number: {
      ExprPtr e = Make(ExprKind::Number, at);
      e->text = t.value;
      ++pos_;
      return Finish(std::move(e));
    }
    case TokenKind::String: {
      ExprPtr e = Make(ExprKind::String, at);
      e->text = t.value;
      ++pos_;
      // Oracle's empty string is NULL.
      if (e->text.empty()) e->kind = ExprKind::Null;
      return Finish(std::move(e));
    }
    case TokenKind::Bind: {
      ExprPtr e = Make(ExprKind::Bind, at);
      e->text = t.value;
      ++pos_;
      return Postfix(Finish(std::move(e)));
    }
    case TokenKind::QuotedIdentifier:
      return NameExpression();
    case TokenKind::Operator:
      if (t.value == "(") {
        ++pos_;
        if (IsWord("SELECT") || IsWord("WITH"))
          Fail(Here(), "PLS-00103: Encountered the symbol \"" + Tok().value +
                           "\" when expecting one of the following:\n\n   " +
                           std::string(expect::kExpressionStart) +
                           "\n   (a query is allowed only inside a SQL statement)");
        ExprPtr inner = Expression();
        if (AcceptWord("AS")) {
          // (SELF AS supertype).method: the object seen as one of its supertypes.
          ExprPtr e = Make(ExprKind::Cast, at);
          e->text = "TREAT";
          e->operands.push_back(std::move(inner));
          e->type = Type();
          ExpectOp(")", ")");
          return Postfix(Finish(std::move(e)));
        }
        ExpectOp(")", AfterOperand(")"));
        inner->offset = at;
        inner->end = LastEnd();
        return Postfix(std::move(inner));
      }
      if (t.value == "$" && IsOp("$", 1) && Tok(1).offset == at + 1 &&
          Tok(2).kind == TokenKind::Word && Tok(2).offset == at + 2) {
        ExprPtr e = Make(ExprKind::Inquiry, at);
        e->text = Tok(2).value;
        pos_ += 3;
        return Finish(std::move(e));
      }
      Unexpected(expect::kExpressionStart);
    case TokenKind::Word:
      break;
  }
  const std::string& w = t.value;
  if (w == "NULL") {
    ++pos_;
    return Finish(Make(ExprKind::Null, at));
  }
  if (w == "TRUE" || w == "FALSE") {
    ExprPtr e = Make(ExprKind::Boolean, at);
    e->boolValue = w == "TRUE";
    ++pos_;
    return Finish(std::move(e));
  }
  if (w == "CASE") return CaseExpression();
  if (w == "SQL" && IsOp("%", 1)) {
    ExprPtr e = Make(ExprKind::Name, at);
    e->parts.push_back("SQL");
    e->partOffsets.push_back(at);
    ++pos_;
    return Postfix(Finish(std::move(e)));
  }
  if ((w == "DATE" || w == "TIMESTAMP") && Tok(1).kind == TokenKind::String) {
    ExprPtr e = Make(ExprKind::TypedLiteral, at);
    e->text2 = w;
    e->text = Tok(1).value;
    pos_ += 2;
    return Finish(std::move(e));
  }
  if (w == "INTERVAL" && Tok(1).kind == TokenKind::String) {
    ExprPtr e = Make(ExprKind::TypedLiteral, at);
    e->text = Tok(1).value;
    pos_ += 2;
    std::string unit = "INTERVAL " + AnyName("day hour minute month second year");
    if (AcceptOp("(")) {
      IntegerLiteral("<an integer literal>");
      if (AcceptOp(",")) IntegerLiteral("<an integer literal>");
      ExpectOp(")", ")");
    }
    if (AcceptWord("TO")) {
      unit += " TO " + AnyName("hour minute month second");
      if (AcceptOp("(")) {
        IntegerLiteral("<an integer literal>");
        ExpectOp(")", ")");
      }
    }
    e->text2 = unit;
    return Finish(std::move(e));
  }
  if (w == "NEW" && IsIdentifier(1) && !IsOp(".", 1)) {
    ++pos_;
    ExprPtr e = Make(ExprKind::New, at);
    TypeSpec type;
    type.offset = Here();
    type.name = DottedName("<an identifier>");
    type.text = NormalizedText(TextOf(type.offset, LastEnd()));
    e->type = std::move(type);
    if (AcceptOp("(")) e->args = Arguments();
    return Postfix(Finish(std::move(e)));
  }
  if ((w == "CAST" || w == "TREAT") && IsOp("(", 1)) {
    ExprPtr e = Make(ExprKind::Cast, at);
    e->text = w;
    pos_ += 2;
    e->operands.push_back(Expression());
    ExpectWord("AS", AfterOperand("as"));
    e->type = Type();
    ExpectOp(")", ")");
    return Postfix(Finish(std::move(e)));
  }
  if (w == "EXTRACT" && IsOp("(", 1) && Tok(2).kind == TokenKind::Word && IsWord("FROM", 3)) {
    ExprPtr e = Make(ExprKind::Special, at);
    e->text = w;
    e->text2 = Tok(2).value;
    pos_ += 4;
    e->operands.push_back(Expression());
    ExpectOp(")", AfterOperand(")"));
    return Finish(std::move(e));
  }
  if (w == "TRIM" && IsOp("(", 1)) {
    // TRIM(s), TRIM([LEADING|TRAILING|BOTH] [c] FROM s)
    size_t save = pos_;
    pos_ += 2;
    std::string keyword;
    if (IsWord("LEADING") || IsWord("TRAILING") || IsWord("BOTH")) keyword = Tok().value, ++pos_;
    ExprPtr e = Make(ExprKind::Special, at);
    e->text = w;
    e->text2 = keyword;
    if (!IsWord("FROM")) e->operands.push_back(Expression());
    if (AcceptWord("FROM")) {
      e->operands.push_back(Expression());
      ExpectOp(")", AfterOperand(")"));
      return Finish(std::move(e));
    }
    if (!keyword.empty()) Unexpected(AfterOperand("from"));
    pos_ = save;  // an ordinary call
  }
  if (IsReservedWord(w)) Unexpected(expect::kExpressionStart);
  return NameExpression();
}

ExprPtr Parser::NameExpression() {
  ExprPtr e = Make(ExprKind::Name, Here());
  size_t offset = 0;
  e->parts.push_back(Identifier(expect::kExpressionStart, &offset));
  e->partOffsets.push_back(offset);
  // The chain stays one Name until the first call: owner.package.function.
  while (IsOp(".") &&
         (Tok(1).kind == TokenKind::Word || Tok(1).kind == TokenKind::QuotedIdentifier)) {
    ++pos_;
    e->partOffsets.push_back(Here());
    e->parts.push_back(AnyName("<an identifier>"));
  }
  if (IsOp("@") && (Tok(1).kind == TokenKind::Word)) {
    ++pos_;
    e->text2 = AnyName("<an identifier>");
    while (IsOp(".") && Tok(1).kind == TokenKind::Word) {
      ++pos_;
      e->text2 += "." + AnyName("<an identifier>");
    }
  }
  return Postfix(Finish(std::move(e)));
}

ExprPtr Parser::Postfix(ExprPtr base) {
  while (true) {
    if (IsOp("(")) {
      ++pos_;
      ExprPtr call = Make(ExprKind::Call, base->offset);
      call->operands.push_back(std::move(base));
      call->args = Arguments();
      base = Finish(std::move(call));
    } else if (IsOp(".") &&
               (Tok(1).kind == TokenKind::Word || Tok(1).kind == TokenKind::QuotedIdentifier)) {
      ++pos_;
      if (base->kind == ExprKind::Name && base->text2.empty()) {
        base->partOffsets.push_back(Here());
        base->parts.push_back(AnyName("<an identifier>"));
        base->end = LastEnd();
        continue;
      }
      ExprPtr m = Make(ExprKind::Member, base->offset);
      m->operands.push_back(std::move(base));
      m->text = AnyName("<an identifier>");
      base = Finish(std::move(m));
    } else if (IsOp("%") && Tok(1).kind == TokenKind::Word &&
               std::find(kCursorAttributes.begin(), kCursorAttributes.end(), Tok(1).value) !=
                   kCursorAttributes.end()) {
      ExprPtr a = Make(ExprKind::Attribute, base->offset);
      a->text = Tok(1).value;
      pos_ += 2;
      a->operands.push_back(std::move(base));
      base = Finish(std::move(a));
    } else {
      return base;
    }
  }
}

std::vector<Arg> Parser::Arguments() {
  std::vector<Arg> args;
  if (AcceptOp(")")) return args;
  do {
    Arg a;
    if ((Tok().kind == TokenKind::Word || Tok().kind == TokenKind::QuotedIdentifier) &&
        IsOp("=>", 1)) {
      a.nameOffset = Here();
      a.name = Tok().value;
      pos_ += 2;
    }
    a.value = Expression();
    args.push_back(std::move(a));
  } while (AcceptOp(","));
  ExpectOp(")", AfterOperand(", )"));
  return args;
}

ExprPtr Parser::CaseExpression() {
  ExprPtr e = Make(ExprKind::Case, Here());
  ++pos_;  // CASE
  if (!IsWord("WHEN")) {
    e->hasOperand = true;
    e->operands.push_back(Expression());
  }
  if (!IsWord("WHEN")) Unexpected(AfterOperand("when"));
  while (AcceptWord("WHEN")) {
    e->operands.push_back(Expression());
    ExpectWord("THEN", AfterOperand("then"));
    e->operands.push_back(Expression());
  }
  if (AcceptWord("ELSE")) {
    e->hasElse = true;
    e->operands.push_back(Expression());
  }
  ExpectWord("END", AfterOperand("else end when"));
  return Finish(std::move(e));
}

ExprPtr Parser::Target() {
  // Generalized invocation: (SELF AS t).m(...), TREAT(x AS t).m(...).
  if (IsOp("(") || ((IsWord("TREAT") || IsWord("CAST")) && IsOp("(", 1))) return Primary();
  if (Tok().kind == TokenKind::Bind && !AtEnd()) {
    ExprPtr e = Make(ExprKind::Bind, Here());
    e->text = Tok().value;
    ++pos_;
    return Postfix(Finish(std::move(e)));
  }
  if (!IsIdentifier()) Unexpected("<an identifier> <a bind variable>");
  return NameExpression();
}

}  // namespace tess::oci7::plsql
