// Recursive descent over the token stream.  Precedence, lowest first: OR, AND, NOT,
// comparisons (= <> < > <= >= LIKE BETWEEN IN IS NULL), + - ||, * /, unary + - PRIOR.
// A run of one precedence level is one node with its operands in a list; only nesting
// recurses, and it is bounded so that hostile input cannot exhaust the stack.
#include "oci7/dialect/parser.h"

#include <algorithm>
#include <cstring>

#include "oci7/dialect/stack_room.h"
#include "oci7/ora_codes.h"

namespace tess::oci7 {

using ast::Expr;
using ast::ExprKind;
using ast::ExprPtr;

namespace {

// The reserved words of the server's SQL (plus the join words, which can never be a
// table alias here): none of them is an identifier without quotes.
constexpr const char* kReserved[] = {
    "ACCESS",     "ADD",       "ALL",        "ALTER",    "AND",        "ANY",       "AS",
    "ASC",        "AUDIT",     "BETWEEN",    "BY",       "CHAR",       "CHECK",     "CLUSTER",
    "COLUMN",     "COMMENT",   "COMPRESS",   "CONNECT",  "CREATE",     "CROSS",     "CURRENT",
    "DATE",       "DECIMAL",   "DEFAULT",    "DELETE",   "DESC",       "DISTINCT",  "DROP",
    "ELSE",       "EXCLUSIVE", "EXISTS",     "FILE",     "FLOAT",      "FOR",       "FROM",
    "FULL",       "GRANT",     "GROUP",      "HAVING",   "IDENTIFIED", "IMMEDIATE", "IN",
    "INCREMENT",  "INDEX",     "INITIAL",    "INNER",    "INSERT",     "INTEGER",   "INTERSECT",
    "INTO",       "IS",        "JOIN",       "LEFT",     "LIKE",       "LOCK",      "LONG",
    "MAXEXTENTS", "MINUS",     "MLSLABEL",   "MODE",     "MODIFY",     "NATURAL",   "NOAUDIT",
    "NOCOMPRESS", "NOT",       "NOWAIT",     "NULL",     "NUMBER",     "OF",        "OFFLINE",
    "ON",         "ONLINE",    "OPTION",     "OR",       "ORDER",      "PCTFREE",   "PRIOR",
    "PRIVILEGES", "PUBLIC",    "RAW",        "RENAME",   "RESOURCE",   "REVOKE",    "RIGHT",
    "ROW",        "ROWS",      "SELECT",     "SESSION",  "SET",        "SHARE",     "SIZE",
    "SMALLINT",   "START",     "SUCCESSFUL", "SYNONYM",  "TABLE",      "THEN",      "TO",
    "TRIGGER",    "UNION",     "UNIQUE",     "UPDATE",   "USING",      "VALIDATE",  "VALUES",
    "VARCHAR",    "VARCHAR2",  "VIEW",       "WHENEVER", "WHERE",      "WITH",
};

// Each level of nesting (parentheses, a call's arguments, CASE, a subquery, a unary
// operator on another) costs a dozen parser frames and more in the translator; it is
// bounded, and the stack measured, so that no text exhausts the stack.  Operator chains
// such as a + b + c ... are flat nodes and cost no nesting however long they are.
constexpr int kMaxNesting = 255;

struct DepthGuard {
  int& depth;
  int added = 0;
  const Parser& parser;
  DepthGuard(int& d, const Parser& p, bool counts = true) : depth(d), parser(p) {
    if (counts) Step();
  }
  // One level more, for as long as the guard lives.
  void Step() {
    ++added;
    if (++depth > kMaxNesting || StackRoom() < kParseStackReserve) {
      parser.Fail(kOraNestedTooDeeply);
    }
  }
  ~DepthGuard() { depth -= added; }
};

bool IsComparison(const Token* t) {
  if (!t || t->kind != TokenKind::Operator) return false;
  const std::string& v = t->value;
  return v == "=" || v == "<>" || v == "!=" || v == "^=" || v == "~=" || v == "<" || v == ">" ||
         v == "<=" || v == ">=";
}

}  // namespace

Parser::Parser(std::string_view text, const std::vector<Token>& tokens)
    : text_(text), tokens_(tokens) {}

bool Parser::IsReserved(std::string_view w) {
  return std::binary_search(std::begin(kReserved), std::end(kReserved), w, [](auto a, auto b) {
    return std::string_view(a) < std::string_view(b);
  });
}

const Token* Parser::Peek(size_t ahead) const {
  return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
}

bool Parser::AtEnd() const {
  return pos_ >= tokens_.size();
}

bool Parser::IsWord(std::string_view upper, size_t ahead) const {
  const Token* t = Peek(ahead);
  return t && t->kind == TokenKind::Word && t->value == upper;
}

bool Parser::IsOp(std::string_view op, size_t ahead) const {
  const Token* t = Peek(ahead);
  return t && t->kind == TokenKind::Operator && t->value == op;
}

bool Parser::Accept(std::string_view w) {
  const Token* t = Peek();
  if (t && (t->kind == TokenKind::Word || t->kind == TokenKind::Operator) && t->value == w) {
    ++pos_;
    return true;
  }
  return false;
}

void Parser::Expect(std::string_view w, int errorCode) {
  if (!Accept(w)) Fail(errorCode);
}

const Token& Parser::Next() {
  if (AtEnd()) Fail(921);
  return tokens_[pos_++];
}

size_t Parser::Here() const {
  return AtEnd() ? text_.size() : tokens_[pos_].offset;
}

void Parser::Fail(int code, std::string_view arg) const {
  throw EngineError(code, arg, int(Here()));
}

void Parser::ExpectEnd() {
  Accept(";");
  if (!AtEnd()) Fail(933);
}

bool Parser::IsIdentifier(size_t ahead) const {
  const Token* t = Peek(ahead);
  if (!t) return false;
  if (t->kind == TokenKind::QuotedIdentifier) return true;
  return t->kind == TokenKind::Word && !IsReserved(t->value);
}

std::string Parser::Identifier(int errorCode, size_t* offset) {
  const Token* t = Peek();
  if (t && t->kind == TokenKind::QuotedIdentifier && t->value.empty()) Fail(1741);
  if (!IsIdentifier()) Fail(errorCode);
  if (offset) *offset = t->offset;
  if (t->value.size() > 30) Fail(972);
  ++pos_;
  return t->value;
}

void Parser::ObjectName(std::string& owner, std::string& name, std::string& link, size_t& offset,
                        int errorCode) {
  owner.clear();
  link.clear();
  name = Identifier(errorCode, &offset);
  if (IsOp(".")) {
    ++pos_;
    owner = name;
    name = Identifier(errorCode);
  }
  if (IsOp("@")) {
    ++pos_;
    // A link name is a dotted chain of words: SALES.WORLD.
    link = Identifier(errorCode);
    while (IsOp(".") && IsIdentifier(1)) {
      ++pos_;
      link += "." + Next().value;
    }
  }
}

ExprPtr Parser::Make(ExprKind kind, size_t firstToken) {
  auto e = std::make_unique<Expr>();
  e->kind = kind;
  e->firstToken = firstToken;
  e->offset = firstToken < tokens_.size() ? tokens_[firstToken].offset : text_.size();
  return e;
}

void Parser::Close(Expr& e) const {
  e.lastToken = pos_ > 0 ? pos_ - 1 : 0;
}

ExprPtr Parser::Expression() {
  DepthGuard g(depth_, *this);
  return Or();
}

std::vector<ExprPtr> Parser::ExpressionList() {
  std::vector<ExprPtr> out;
  out.push_back(Expression());
  while (Accept(",")) out.push_back(Expression());
  return out;
}

ExprPtr Parser::Or() {
  return LeftChain(TokenKind::Word, {"OR"}, &Parser::And);
}

ExprPtr Parser::And() {
  return LeftChain(TokenKind::Word, {"AND"}, &Parser::Not);
}

ExprPtr Parser::Not() {
  if (!IsWord("NOT")) return Comparison();
  // NOT NOT x nests: each NOT on another is a level.
  DepthGuard g(depth_, *this, IsWord("NOT", 1));
  size_t start = pos_++;
  ExprPtr e = Make(ExprKind::Unary, start);
  e->text = "NOT";
  e->args.push_back(Not());
  Close(*e);
  return e;
}

ExprPtr Parser::Comparison() {
  size_t start = pos_;
  if (IsWord("EXISTS")) {
    ++pos_;
    ExprPtr e = Make(ExprKind::Exists, start);
    Expect("(", 906);
    if (!StartsQuery()) Fail(928);
    e->query = Query();
    Expect(")", 907);
    Close(*e);
    return e;
  }
  ExprPtr left = Additive();
  const Token* t = Peek();
  if (IsComparison(t)) {
    std::string op = t->value;
    if (op == "!=" || op == "^=" || op == "~=") op = "<>";
    ++pos_;
    if (IsWord("ANY") || IsWord("SOME") || IsWord("ALL")) {
      ExprPtr e = Make(ExprKind::Quantified, start);
      e->text = op;
      e->text2 = Next().value == "ALL" ? "ALL" : "ANY";
      e->args.push_back(std::move(left));
      QueryOrList(*e);
      Close(*e);
      return e;
    }
    ExprPtr e = Make(ExprKind::Binary, start);
    e->text = op;
    e->args.push_back(std::move(left));
    e->args.push_back(Additive());
    Close(*e);
    return e;
  }
  bool negated = false;
  if (IsWord("NOT") && (IsWord("LIKE", 1) || IsWord("BETWEEN", 1) || IsWord("IN", 1))) {
    negated = true;
    ++pos_;
  }
  if (Accept("LIKE")) {
    ExprPtr e = Make(ExprKind::Like, start);
    e->negated = negated;
    e->args.push_back(std::move(left));
    e->args.push_back(Additive());
    if (Accept("ESCAPE")) e->args.push_back(Additive());
    Close(*e);
    return e;
  }
  if (Accept("BETWEEN")) {
    ExprPtr e = Make(ExprKind::Between, start);
    e->negated = negated;
    e->args.push_back(std::move(left));
    e->args.push_back(Additive());
    Expect("AND", 905);
    e->args.push_back(Additive());
    Close(*e);
    return e;
  }
  if (Accept("IN")) {
    ExprPtr e = Make(ExprKind::In, start);
    e->negated = negated;
    e->args.push_back(std::move(left));
    QueryOrList(*e);
    Close(*e);
    return e;
  }
  if (negated) Fail(905);
  if (IsWord("IS")) {
    ++pos_;
    ExprPtr e = Make(ExprKind::IsNull, start);
    e->negated = Accept("NOT");
    Expect("NULL", 908);
    e->args.push_back(std::move(left));
    Close(*e);
    return e;
  }
  return left;
}

void Parser::QueryOrList(ast::Expr& e) {
  Expect("(", 906);
  if (StartsQuery()) {
    e.query = Query();
  } else {
    for (auto& x : ExpressionList()) e.args.push_back(std::move(x));
  }
  Expect(")", 907);
}

ExprPtr Parser::Additive() {
  return LeftChain(TokenKind::Operator, {"+", "-", "||"}, &Parser::Multiplicative);
}

ExprPtr Parser::Multiplicative() {
  return LeftChain(TokenKind::Operator, {"*", "/"}, &Parser::Unary);
}

ExprPtr Parser::LeftChain(TokenKind kind, std::initializer_list<std::string_view> ops,
                          ExprPtr (Parser::*operand)()) {
  size_t start = pos_;
  ExprPtr first = (this->*operand)();
  auto atOperator = [&] {
    const Token* t = Peek();
    return t && t->kind == kind && std::find(ops.begin(), ops.end(), t->value) != ops.end();
  };
  if (!atOperator()) return first;
  const bool logical = kind == TokenKind::Word;
  ExprPtr e = Make(logical ? ExprKind::Binary : ExprKind::Chain, start);
  e->args.push_back(std::move(first));
  while (atOperator()) {
    std::string op = Next().value;
    if (logical) {
      e->text = std::move(op);
    } else {
      e->ops.push_back(std::move(op));
    }
    e->args.push_back((this->*operand)());
  }
  Close(*e);
  return e;
}

ExprPtr Parser::Unary() {
  auto unaryAt = [&](size_t ahead) {
    return IsOp("-", ahead) || IsOp("+", ahead) || IsWord("PRIOR", ahead);
  };
  if (unaryAt(0)) {
    // - - x nests: each unary operator on another is a level.
    DepthGuard g(depth_, *this, unaryAt(1));
    size_t start = pos_;
    ExprPtr e = Make(ExprKind::Unary, start);
    e->text = Next().value;
    e->args.push_back(Unary());
    Close(*e);
    return e;
  }
  return Primary();
}

bool Parser::StartsQuery(size_t ahead) const {
  size_t k = ahead;
  while (IsOp("(", k)) ++k;
  return IsWord("SELECT", k);
}

ExprPtr Parser::Primary() {
  size_t start = pos_;
  const Token* t = Peek();
  if (!t) Fail(936);
  switch (t->kind) {
    case TokenKind::Number: {
      ++pos_;
      ExprPtr e = Make(ExprKind::Number, start);
      e->text = t->value;
      Close(*e);
      return e;
    }
    case TokenKind::String: {
      ++pos_;
      // The empty string is NULL.
      ExprPtr e = Make(t->value.empty() ? ExprKind::Null : ExprKind::String, start);
      e->text = t->value;
      Close(*e);
      return e;
    }
    case TokenKind::Bind: {
      ++pos_;
      ExprPtr e = Make(ExprKind::Bind, start);
      e->text = t->value;
      // An indicator variable (:v:i or :v INDICATOR :i) rides along with its value.
      if (const Token* n = Peek();
          n && n->kind == TokenKind::Bind && n->offset == t->offset + t->length) {
        ++pos_;
      } else if (IsWord("INDICATOR") && Peek(1) && Peek(1)->kind == TokenKind::Bind) {
        pos_ += 2;
      }
      Close(*e);
      return e;
    }
    case TokenKind::QuotedIdentifier:
      return NameOrCall();
    case TokenKind::Word:
      if (t->value == "NULL") {
        ++pos_;
        ExprPtr e = Make(ExprKind::Null, start);
        Close(*e);
        return e;
      }
      if (t->value == "CASE") return CaseExpr();
      // Pseudo-columns and functions whose names are reserved words.
      if (IsReserved(t->value) && t->value != "ROWID" && t->value != "ROWNUM" &&
          t->value != "LEVEL" && t->value != "SYSDATE" && t->value != "USER" && t->value != "UID" &&
          !(IsOp("(", 1) && (t->value == "CHAR" || t->value == "DATE" || t->value == "NUMBER"))) {
        Fail(936);
      }
      return NameOrCall();
    case TokenKind::Operator:
      if (t->value == "(") {
        ++pos_;
        if (StartsQuery()) {
          ExprPtr e = Make(ExprKind::Subquery, start);
          e->query = Query();
          Expect(")", 907);
          Close(*e);
          return e;
        }
        ExprPtr first = Expression();
        if (IsOp(",")) {
          ExprPtr e = Make(ExprKind::List, start);
          e->args.push_back(std::move(first));
          while (Accept(",")) e->args.push_back(Expression());
          Expect(")", 907);
          Close(*e);
          return e;
        }
        Expect(")", 907);
        // Parentheses only group; the inner node keeps the outer range for naming.
        first->firstToken = start;
        Close(*first);
        return first;
      }
      Fail(936);
  }
  Fail(936);
}

ExprPtr Parser::CaseExpr() {
  size_t start = pos_++;
  ExprPtr e = Make(ExprKind::Case, start);
  if (!IsWord("WHEN")) {
    e->hasOperand = true;
    e->args.push_back(Expression());
  }
  if (!IsWord("WHEN")) Fail(905);
  while (Accept("WHEN")) {
    e->args.push_back(Expression());
    Expect("THEN", 905);
    e->args.push_back(Expression());
  }
  if (Accept("ELSE")) {
    e->hasElse = true;
    e->args.push_back(Expression());
  }
  Expect("END", 905);
  Close(*e);
  return e;
}

ExprPtr Parser::NameOrCall() {
  size_t start = pos_;
  ExprPtr e = Make(ExprKind::Name, start);
  auto takePart = [&] {
    const Token& t = tokens_[pos_++];
    if (t.kind == TokenKind::QuotedIdentifier && t.value.empty()) {
      throw EngineError(1741, {}, int(t.offset));
    }
    if (t.value.size() > 30) throw EngineError(972, {}, int(t.offset));
    e->parts.push_back(t.value);
    e->partOffsets.push_back(t.offset);
    e->quotedLast = t.kind == TokenKind::QuotedIdentifier;
  };
  takePart();
  while (IsOp(".")) {
    const Token* n = Peek(1);
    if (n && n->kind == TokenKind::Operator && n->value == "*") {
      pos_ += 2;
      e->kind = ExprKind::Star;
      Close(*e);
      return e;
    }
    if (!n || (n->kind != TokenKind::Word && n->kind != TokenKind::QuotedIdentifier)) {
      ++pos_;
      Fail(931);
    }
    ++pos_;
    takePart();
  }
  if (e->parts.size() > 3) throw EngineError(1747, {}, int(e->offset));
  if (IsOp("(") && IsOp("+", 1) && IsOp(")", 2)) {
    pos_ += 3;
    e->outerJoin = true;
    Close(*e);
    return e;
  }
  if (IsOp("(") && !e->quotedLast) {
    ++pos_;
    e->kind = ExprKind::Call;
    e->text = e->parts.back();
    e->parts.pop_back();
    if (Accept(")")) {
      Close(*e);
      return e;
    }
    if (IsOp("*") && IsOp(")", 1)) {
      ExprPtr star = Make(ExprKind::Star, pos_);
      pos_ += 2;
      Close(*star);
      e->args.push_back(std::move(star));
      Close(*e);
      return e;
    }
    if (Accept("DISTINCT") || Accept("UNIQUE")) {
      e->distinct = true;
    } else {
      Accept("ALL");
    }
    for (auto& a : ExpressionList()) e->args.push_back(std::move(a));
    Expect(")", 907);
    Close(*e);
    return e;
  }
  Close(*e);
  return e;
}

// ---------------------------------------------------------------------------------------
// Queries

ast::QueryPtr Parser::Query() {
  DepthGuard g(depth_, *this);
  size_t start = pos_;
  ast::QueryPtr first = QueryTerm();
  if (!(IsWord("UNION") || IsWord("INTERSECT") || IsWord("MINUS"))) {
    if (IsWord("ORDER") || IsWord("FOR")) {
      // ORDER BY / FOR UPDATE of a simple block: hoist to a query of its own when the
      // term was parenthesized, else attach here.
      if (!first->orderBy.empty() || first->forUpdate) {
        auto q = std::make_unique<ast::Query>();
        q->offset = tokens_[start].offset;
        q->parts.push_back(std::move(first));
        first = std::move(q);
      }
    } else {
      return first;
    }
  } else {
    auto q = std::make_unique<ast::Query>();
    q->offset = tokens_[start].offset;
    q->parts.push_back(std::move(first));
    while (IsWord("UNION") || IsWord("INTERSECT") || IsWord("MINUS")) {
      std::string op = Next().value;
      if (op == "UNION" && Accept("ALL")) op = "UNION ALL";
      q->ops.push_back(op);
      q->parts.push_back(QueryTerm());
    }
    first = std::move(q);
  }
  if (IsWord("ORDER")) {
    ++pos_;
    Expect("BY", 924);
    do {
      ast::OrderItem item;
      item.expr = Expression();
      if (Accept("DESC")) {
        item.desc = true;
      } else {
        Accept("ASC");
      }
      if (Accept("NULLS")) {
        if (Accept("FIRST")) {
          item.nulls = 1;
        } else {
          Expect("LAST", 905);
          item.nulls = 2;
        }
      }
      first->orderBy.push_back(std::move(item));
    } while (Accept(","));
  }
  if (IsWord("FOR") && IsWord("UPDATE", 1)) {
    pos_ += 2;
    first->forUpdate = true;
    if (Accept("OF")) {
      do {
        Expression();
      } while (Accept(","));
    }
    Accept("NOWAIT");
  }
  return first;
}

ast::QueryPtr Parser::QueryTerm() {
  size_t start = pos_;
  if (IsOp("(")) {
    ++pos_;
    if (!StartsQuery()) Fail(928);
    ast::QueryPtr inner = Query();
    Expect(")", 907);
    (void)start;
    return inner;
  }
  auto q = std::make_unique<ast::Query>();
  q->offset = Here();
  if (!IsWord("SELECT")) Fail(928);
  q->block = Block();
  return q;
}

std::unique_ptr<ast::QueryBlock> Parser::Block() {
  auto b = std::make_unique<ast::QueryBlock>();
  b->offset = Here();
  Expect("SELECT", 928);
  if (Accept("DISTINCT") || Accept("UNIQUE")) {
    b->distinct = true;
  } else {
    Accept("ALL");
  }
  do {
    ast::SelectItem item;
    if (IsOp("*")) {
      item.expr = Make(ExprKind::Star, pos_);
      ++pos_;
      Close(*item.expr);
    } else {
      item.expr = Expression();
      // A table's star ("E.*") takes no alias: what follows must be a comma or FROM.
      if (item.expr->kind == ExprKind::Star) {
        b->items.push_back(std::move(item));
        continue;
      }
      if (Accept("AS")) {
        if (!IsIdentifier()) Fail(923);
      }
      if (IsIdentifier()) {
        const Token& t = tokens_[pos_];
        item.aliasQuoted = t.kind == TokenKind::QuotedIdentifier;
        item.alias = Identifier(923, &item.aliasOffset);
      }
    }
    b->items.push_back(std::move(item));
  } while (Accept(","));
  if (IsWord("INTO")) {
    b->intoOffset = Here();
    ++pos_;
    do {
      size_t start = pos_;
      const Token* t = Peek();
      if (t && t->kind == TokenKind::Bind) {
        ExprPtr e = Make(ExprKind::Bind, start);
        e->text = t->value;
        ++pos_;
        Close(*e);
        b->into.push_back(std::move(e));
      } else if (IsIdentifier()) {
        ExprPtr e = NameOrCall();
        b->into.push_back(std::move(e));
      } else {
        Fail(936);
      }
    } while (Accept(","));
  }
  if (!IsWord("FROM")) Fail(923);
  ++pos_;
  FromList(*b);
  for (;;) {
    if (IsWord("WHERE") && !b->where) {
      ++pos_;
      b->where = Expression();
    } else if (IsWord("START") && !b->startWith) {
      ++pos_;
      Expect("WITH", 970);
      b->startWith = Expression();
    } else if (IsWord("CONNECT") && !b->connectBy) {
      ++pos_;
      Expect("BY", 924);
      Accept("NOCYCLE");
      b->connectBy = Expression();
    } else if (IsWord("GROUP") && b->groupBy.empty()) {
      ++pos_;
      Expect("BY", 924);
      b->groupBy = ExpressionList();
    } else if (IsWord("HAVING") && !b->having) {
      ++pos_;
      b->having = Expression();
    } else {
      break;
    }
  }
  if (b->startWith && !b->connectBy) throw EngineError(1788, {}, int(b->startWith->offset));
  return b;
}

void Parser::FromList(ast::QueryBlock& block) {
  block.from.push_back(TableReference());
  for (;;) {
    if (Accept(",")) {
      block.from.push_back(TableReference());
      continue;
    }
    ast::JoinKind kind;
    bool natural = false;
    size_t save = pos_;
    if (Accept("NATURAL")) natural = true;
    if (Accept("JOIN")) {
      kind = ast::JoinKind::Inner;
    } else if (Accept("INNER")) {
      Expect("JOIN", 905);
      kind = ast::JoinKind::Inner;
    } else if (IsWord("LEFT") || IsWord("RIGHT") || IsWord("FULL")) {
      std::string w = Next().value;
      Accept("OUTER");
      Expect("JOIN", 905);
      kind = w == "LEFT"    ? ast::JoinKind::Left
             : w == "RIGHT" ? ast::JoinKind::Right
                            : ast::JoinKind::Full;
    } else if (Accept("CROSS")) {
      Expect("JOIN", 905);
      kind = ast::JoinKind::Cross;
    } else {
      pos_ = save;
      if (natural) Fail(905);
      break;
    }
    auto t = TableReference();
    t->join = kind;
    t->natural = natural;
    if (!natural && kind != ast::JoinKind::Cross) {
      if (Accept("ON")) {
        t->on = Expression();
      } else if (Accept("USING")) {
        Expect("(", 906);
        do {
          t->usingColumns.push_back(Identifier(904));
        } while (Accept(","));
        Expect(")", 907);
      } else {
        Fail(905);
      }
    }
    block.from.push_back(std::move(t));
  }
}

std::unique_ptr<ast::TableRef> Parser::TableReference() {
  auto t = std::make_unique<ast::TableRef>();
  t->offset = Here();
  if (IsOp("(")) {
    ++pos_;
    if (!StartsQuery()) Fail(928);
    t->subquery = Query();
    Expect(")", 907);
  } else {
    if (AtEnd() || !IsIdentifier()) Fail(903);
    t->nameQuoted = Peek()->kind == TokenKind::QuotedIdentifier;
    ObjectName(t->owner, t->name, t->link, t->offset, 903);
  }
  if (IsIdentifier()) {
    t->alias = Identifier(933, &t->aliasOffset);
  }
  return t;
}

}  // namespace tess::oci7
