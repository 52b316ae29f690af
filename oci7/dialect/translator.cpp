// Queries and expressions: name resolution through the engine's resolver, Oracle's
// typing of values (date arithmetic, implicit conversions, describe hints), and the
// rewriting of what SQLite lacks: (+) outer joins into LEFT JOIN, CONNECT BY into a
// recursive common table expression, ROWNUM into LIMIT or row_number(), MINUS into
// EXCEPT, ROWID into a text form, Oracle's functions into the ORA$ functions.
#include "oci7/dialect/translator.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "oci7/dialect/decimal.h"
#include "oci7/ora_codes.h"

namespace tess::oci7 {

using ast::Expr;
using ast::ExprKind;
using ast::ExprPtr;
using ast::RefKind;

namespace {

// Text between two quote characters, each quote character in it doubled.
std::string Enclose(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out.push_back(quote);
    out.push_back(c);
  }
  out.push_back(quote);
  return out;
}

}  // namespace

std::string QuoteIdent(std::string_view name) {
  return Enclose(name, '"');
}

std::string QuoteString(std::string_view value) {
  return Enclose(value, '\'');
}

void OffsetMap::Add(size_t translated, size_t original) {
  if (!points_.empty() && points_.back().first == translated) {
    points_.back().second = original;
    return;
  }
  points_.emplace_back(translated, original);
}

void OffsetMap::Through(const OffsetMap& outer) {
  for (auto& point : points_) point.second = outer.OriginalOffset(point.second);
}

size_t OffsetMap::OriginalOffset(size_t translatedOffset) const {
  auto it =
      std::upper_bound(points_.begin(), points_.end(), translatedOffset,
                       [](size_t t, const std::pair<size_t, size_t>& p) { return t < p.first; });
  if (it == points_.begin()) return 0;
  return std::prev(it)->second;
}

namespace {

struct FuncSpec {
  const char* name;
  int minArgs, maxArgs;
  const char* target;  // the function written in SQLite ("" = special)
  int type;            // result type; -1 first argument's, -3 third's, -2 second's
  bool aggregate;
};

constexpr FuncSpec kFunctions[] = {
    // Strings.
    {"ASCII", 1, 1, "ORA$ASCII", kTypeNumber, false},
    {"CHR", 1, 1, "ORA$CHR", kTypeVarchar2, false},
    {"CONCAT", 2, 2, "ORA$CONCAT", kTypeVarchar2, false},
    {"CONVERT", 2, 3, "ORA$CONVERT", kTypeVarchar2, false},
    {"INITCAP", 1, 1, "ORA$INITCAP", kTypeVarchar2, false},
    {"INSTR", 2, 4, "ORA$INSTR", kTypeNumber, false},
    {"INSTRB", 2, 4, "ORA$INSTR", kTypeNumber, false},
    {"LENGTH", 1, 1, "ORA$LENGTH", kTypeNumber, false},
    {"LENGTHB", 1, 1, "ORA$LENGTH", kTypeNumber, false},
    {"LOWER", 1, 1, "ORA$LOWER", kTypeVarchar2, false},
    {"LPAD", 2, 3, "ORA$LPAD", kTypeVarchar2, false},
    {"LTRIM", 1, 2, "ORA$LTRIM", kTypeVarchar2, false},
    {"NLS_INITCAP", 1, 2, "ORA$INITCAP", kTypeVarchar2, false},
    {"NLS_LOWER", 1, 2, "ORA$LOWER", kTypeVarchar2, false},
    {"NLS_UPPER", 1, 2, "ORA$UPPER", kTypeVarchar2, false},
    {"REPLACE", 2, 3, "ORA$REPLACE", kTypeVarchar2, false},
    {"RPAD", 2, 3, "ORA$RPAD", kTypeVarchar2, false},
    {"RTRIM", 1, 2, "ORA$RTRIM", kTypeVarchar2, false},
    {"SOUNDEX", 1, 1, "ORA$SOUNDEX", kTypeVarchar2, false},
    {"SUBSTR", 2, 3, "ORA$SUBSTR", kTypeVarchar2, false},
    {"SUBSTRB", 2, 3, "ORA$SUBSTR", kTypeVarchar2, false},
    {"TRANSLATE", 3, 3, "ORA$TRANSLATE", kTypeVarchar2, false},
    {"UPPER", 1, 1, "ORA$UPPER", kTypeVarchar2, false},
    // Numbers.
    {"ABS", 1, 1, "ORA$ABS", kTypeNumber, false},
    {"ACOS", 1, 1, "ORA$ACOS", kTypeNumber, false},
    {"ASIN", 1, 1, "ORA$ASIN", kTypeNumber, false},
    {"ATAN", 1, 1, "ORA$ATAN", kTypeNumber, false},
    {"ATAN2", 2, 2, "ORA$ATAN2", kTypeNumber, false},
    {"CEIL", 1, 1, "ORA$CEIL", kTypeNumber, false},
    {"COS", 1, 1, "ORA$COS", kTypeNumber, false},
    {"COSH", 1, 1, "ORA$COSH", kTypeNumber, false},
    {"EXP", 1, 1, "ORA$EXP", kTypeNumber, false},
    {"FLOOR", 1, 1, "ORA$FLOOR", kTypeNumber, false},
    {"LN", 1, 1, "ORA$LN", kTypeNumber, false},
    {"LOG", 2, 2, "ORA$LOG", kTypeNumber, false},
    {"MOD", 2, 2, "ORA$MOD", kTypeNumber, false},
    {"POWER", 2, 2, "ORA$POWER", kTypeNumber, false},
    {"SIGN", 1, 1, "ORA$SIGN", kTypeNumber, false},
    {"SIN", 1, 1, "ORA$SIN", kTypeNumber, false},
    {"SINH", 1, 1, "ORA$SINH", kTypeNumber, false},
    {"SQRT", 1, 1, "ORA$SQRT", kTypeNumber, false},
    {"TAN", 1, 1, "ORA$TAN", kTypeNumber, false},
    {"TANH", 1, 1, "ORA$TANH", kTypeNumber, false},
    {"ROUND", 1, 2, "", kTypeNumber, false},
    {"TRUNC", 1, 2, "", kTypeNumber, false},
    // Dates.
    {"ADD_MONTHS", 2, 2, "ORA$ADD_MONTHS", kTypeDate, false},
    {"LAST_DAY", 1, 1, "ORA$LAST_DAY", kTypeDate, false},
    {"MONTHS_BETWEEN", 2, 2, "ORA$MONTHS_BETWEEN", kTypeNumber, false},
    {"NEXT_DAY", 2, 2, "ORA$NEXT_DAY", kTypeDate, false},
    // Conversions.
    {"CHARTOROWID", 1, 1, "ORA$CHARTOROWID", kTypeRowid, false},
    {"HEXTORAW", 1, 1, "ORA$HEXTORAW", kTypeRaw, false},
    {"RAWTOHEX", 1, 1, "ORA$RAWTOHEX", kTypeVarchar2, false},
    {"ROWIDTOCHAR", 1, 1, "ORA$ROWIDTOCHAR", kTypeVarchar2, false},
    {"TO_CHAR", 1, 3, "", kTypeVarchar2, false},
    {"TO_DATE", 1, 3, "ORA$TO_DATE", kTypeDate, false},
    {"TO_NUMBER", 1, 3, "ORA$TO_NUMBER", kTypeNumber, false},
    // Others.
    {"DECODE", 3, 255, "", -3, false},
    {"DUMP", 1, 4, "ORA$DUMP", kTypeVarchar2, false},
    {"GREATEST", 1, 255, "ORA$GREATEST", -1, false},
    {"LEAST", 1, 255, "ORA$LEAST", -1, false},
    {"NVL", 2, 2, "coalesce", -1, false},
    {"NVL2", 3, 3, "", -2, false},
    {"USERENV", 1, 1, "ORA$USERENV", kTypeVarchar2, false},
    {"VSIZE", 1, 1, "ORA$VSIZE", kTypeNumber, false},
    // Aggregates.
    {"AVG", 1, 1, "ORA$AVG", kTypeNumber, true},
    {"COUNT", 1, 1, "count", kTypeNumber, true},
    {"MAX", 1, 1, "max", -1, true},
    {"MIN", 1, 1, "min", -1, true},
    {"STDDEV", 1, 1, "ORA$STDDEV", kTypeNumber, true},
    {"SUM", 1, 1, "ORA$SUM", kTypeNumber, true},
    {"VARIANCE", 1, 1, "ORA$VARIANCE", kTypeNumber, true},
};

const FuncSpec* FindFunction(const std::string& name) {
  for (const FuncSpec& f : kFunctions) {
    if (name == f.name) return &f;
  }
  return nullptr;
}

}  // namespace

bool IsPseudo(const Expr& e, const char* word) {
  return e.kind == ExprKind::Name && e.parts.size() == 1 && !e.quotedLast && e.parts[0] == word;
}

bool ContainsAggregate(const Expr& e) {
  if (e.kind == ExprKind::Call) {
    const FuncSpec* f = FindFunction(e.text);
    if (f && f->aggregate && e.parts.empty()) return true;
  }
  for (const auto& a : e.args) {
    if (a && ContainsAggregate(*a)) return true;
  }
  return false;
}

namespace {

std::string PadBlanks(const std::string& text, size_t width) {
  return text.size() < width ? text + std::string(width - text.size(), ' ') : text;
}

// Splits a condition into its top-level AND terms (moving them out).
void SplitAnd(ExprPtr e, std::vector<ExprPtr>& out) {
  if (!e) return;
  if (e->kind == ExprKind::Binary && e->text == "AND") {
    for (auto& a : e->args) SplitAnd(std::move(a), out);
    return;
  }
  out.push_back(std::move(e));
}

ExprPtr JoinAnd(std::vector<ExprPtr> terms) {
  if (terms.size() <= 1) return terms.empty() ? nullptr : std::move(terms[0]);
  auto e = std::make_unique<Expr>();
  e->kind = ExprKind::Binary;
  e->text = "AND";
  e->offset = terms[0]->offset;
  e->args = std::move(terms);
  return e;
}

// ---- How values of two types meet where a statement compares them

// Operands of one ORA$CHAIN call, well within SQLite's limit on a function's arguments.
constexpr size_t kChainOperands = 500;

bool IsText(int type) {
  return type == kTypeChar || type == kTypeVarchar2;
}

// What the comparison rules ask of a value.
struct Operand {
  int type = 0;
  int size = 0;        // a CHAR column's length: every value it holds is that long
  bool bound = false;  // a placeholder or a PL/SQL variable: its type is the value's
  bool fixed = false;  // CHAR, a text literal or USER: blank-padded against another such
  bool isNull = false;
  const std::string* literal = nullptr;  // a text literal's value
};

Operand OperandOf(const Expr& e) {
  Operand o;
  o.type = e.type;
  o.size = e.kind == ExprKind::String ? 0 : e.size;
  o.bound = e.kind == ExprKind::Bind || (e.kind == ExprKind::Name && e.ref == RefKind::Variable);
  o.fixed = e.type == kTypeChar || (e.kind == ExprKind::Name && e.ref == RefKind::User);
  o.isNull = e.kind == ExprKind::Null;
  if (e.kind == ExprKind::String) o.literal = &e.text;
  return o;
}

}  // namespace

// How one side of a comparison is written.
enum class SideForm { AsIs, Number, Date, Padded };
struct CompareSide {
  SideForm form = SideForm::AsIs;
  size_t width = 0;  // Padded: the literal blank-padded (or trimmed of blanks) to this
  bool operator==(const CompareSide&) const = default;
};
// A comparison of two values: each side's form, and whether the left side names the
// blank-padding collation.
struct ComparePlan {
  CompareSide left, right;
  bool collate = false;
};

namespace {

// A text literal that can stand padded to a CHAR column's length, comparing as the
// literal compares with the column's values blank-padded.
bool PadsTo(const Operand& literal, const Operand& column) {
  if (!literal.literal || column.type != kTypeChar || column.size <= 0 || column.literal) {
    return false;
  }
  const std::string& t = *literal.literal;
  return t.size() <= size_t(column.size) ||
         t.find_first_not_of(' ', size_t(column.size)) == std::string::npos;
}

// Oracle's rules, one for every place that compares: a date meets other values as a date;
// a number meets text (or a bound value) as a number, ORA-01722 when it is none; CHAR
// values, text literals and USER compare blank-padded with each other; anything else as
// it stands.
ComparePlan PlanComparison(const Operand& a, const Operand& b) {
  ComparePlan p;
  if (a.type == kTypeDate && b.type != kTypeDate && !b.isNull) {
    p.right.form = SideForm::Date;
  } else if (b.type == kTypeDate && a.type != kTypeDate && !a.isNull) {
    p.left.form = SideForm::Date;
  } else if (a.type == kTypeNumber && (IsText(b.type) || b.bound)) {
    p.right.form = SideForm::Number;
  } else if (b.type == kTypeNumber && (IsText(a.type) || a.bound)) {
    p.left.form = SideForm::Number;
  } else if (a.fixed && b.fixed) {
    // A literal against a CHAR column is padded to it, so that the column's index serves.
    if (PadsTo(b, a)) {
      p.right = {SideForm::Padded, size_t(a.size)};
    } else if (PadsTo(a, b)) {
      p.left = {SideForm::Padded, size_t(b.size)};
    } else {
      p.collate = true;
    }
  }
  return p;
}

// The values of a row (a parenthesised list) or of a single value.
std::vector<const Expr*> RowOf(const Expr& e) {
  std::vector<const Expr*> row;
  if (e.kind == ExprKind::List) {
    for (const auto& a : e.args) row.push_back(a.get());
  } else {
    row.push_back(&e);
  }
  return row;
}

std::vector<Operand> OperandsOf(const Expr& e) {
  std::vector<Operand> out;
  for (const Expr* x : RowOf(e)) out.push_back(OperandOf(*x));
  return out;
}

// The columns of a subquery as values compared with: their literals stay as written.
std::vector<Operand> ColumnOperands(const std::vector<ast::SelectItem>& items) {
  std::vector<Operand> out;
  for (const auto& item : items) {
    Operand o = OperandOf(*item.expr);
    o.literal = nullptr;
    out.push_back(o);
  }
  return out;
}

// Two rows of one width (or two values), compared element by element.
std::vector<ComparePlan> PlanRow(const std::vector<Operand>& a, const std::vector<Operand>& b) {
  std::vector<ComparePlan> plans;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) plans.push_back(PlanComparison(a[i], b[i]));
  return plans;
}

// True when the left side is written alike in both: the value is then written once for
// all its comparisons (IN, BETWEEN, CASE).
bool SameLeft(const std::vector<ComparePlan>& x, const std::vector<ComparePlan>& y) {
  if (x.size() != y.size()) return false;
  for (size_t i = 0; i < x.size(); ++i) {
    if (!(x[i].left == y[i].left) || x[i].collate != y[i].collate) return false;
  }
  return true;
}

// The result of + - || or * / for the types on either side.
int ChainType(const std::string& op, int a, int b) {
  if (op == "||") return a == kTypeChar && b == kTypeChar ? kTypeChar : kTypeVarchar2;
  if (op == "+") return a == kTypeDate || b == kTypeDate ? kTypeDate : kTypeNumber;
  if (op == "-") return a == kTypeDate && b != kTypeDate ? kTypeDate : kTypeNumber;
  return kTypeNumber;
}

void CollectOuterRefs(Expr& e, std::vector<Expr*>& marked, std::vector<Expr*>& plain, bool underOr,
                      bool& misuse) {
  if (e.kind == ExprKind::Name) {
    if (e.outerJoin) {
      marked.push_back(&e);
      if (underOr) misuse = true;
    } else {
      plain.push_back(&e);
    }
    return;
  }
  bool orHere = underOr || (e.kind == ExprKind::Binary && e.text == "OR") || e.kind == ExprKind::In;
  for (auto& a : e.args) {
    if (a) CollectOuterRefs(*a, marked, plain, orHere, misuse);
  }
}

bool HasOuterMarker(const Expr& e) {
  if (e.kind == ExprKind::Name && e.outerJoin) return true;
  for (const auto& a : e.args) {
    if (a && HasOuterMarker(*a)) return true;
  }
  return false;
}

}  // namespace

// ---------------------------------------------------------------------------------------

Translator::Translator(std::string_view text, const TranslateContext& ctx)
    : text_(text), ctx_(ctx), tokens_(Tokenize(text)), p_(text, tokens_) {}

std::string Translator::OwnerOrCurrent(const std::string& owner) const {
  return owner.empty() ? ctx_.currentUser : owner;
}

ResolvedObject Translator::ResolveObject(const std::string& owner, const std::string& name,
                                         const std::string& link, size_t offset, bool sequence) {
  ObjectRef ref;
  ref.owner = owner;
  ref.name = name;
  ref.link = link;
  ref.offset = int(offset);
  std::optional<ResolvedObject> r;
  try {
    if (ctx_.resolve) {
      auto key = std::make_tuple(owner, name, link);
      if (auto known = resolved_.find(key); known != resolved_.end()) {
        r = known->second;
      } else {
        r = ctx_.resolve(ref);
        if (r) resolved_.emplace(std::move(key), *r);
      }
    } else {
      ResolvedObject o;
      if (owner.empty() && name == "DUAL") {
        o.owner = "SYS";
      } else {
        o.owner = OwnerOrCurrent(owner);
      }
      o.name = name;
      o.objectType = sequence ? "SEQUENCE" : "TABLE";
      r = o;
    }
  } catch (OraError& e) {
    if (e.offset < 0) e.offset = int(offset);
    throw;
  }
  if (!r) throw EngineError(sequence ? 2289 : 942, {}, int(offset));
  if (sequence && r->objectType != "SEQUENCE") throw EngineError(2289, {}, int(offset));
  if (!sequence && r->objectType == "SEQUENCE") throw EngineError(2201, {}, int(offset));
  return *r;
}

void Translator::LoadColumns(ast::TableRef& t) {
  if (!ctx_.columns) return;
  auto cols = ctx_.columns(t.resolved);
  if (!cols) return;
  t.columns = std::move(*cols);
  t.hasColumns = true;
  t.directColumns.assign(t.columns.size(), true);
}

// ---------------------------------------------------------------------------------------
// Prepare: resolve names and compute types, bottom-up.

void Translator::PrepareQuery(ast::Query& q, Scope* outer) {
  if (q.block) {
    PrepareBlock(*q.block, outer, &q.orderBy);
    return;
  }
  for (auto& part : q.parts) PrepareQuery(*part, outer);
  // ORDER BY of a compound (or of a wrapped query) names the result columns.
  if (!q.orderBy.empty()) {
    auto scope = std::make_unique<Scope>();
    scope->parent = outer;
    scope->orderAliases = &FirstItems(q);
    for (auto& item : q.orderBy) Prepare(*item.expr, *scope);
    scopes_.push_back(std::move(scope));
  }
}

const std::vector<ast::SelectItem>& Translator::FirstItems(ast::Query& q) {
  ast::Query* cur = &q;
  while (!cur->block) cur = cur->parts[0].get();
  return cur->block->items;
}

void Translator::PrepareTable(ast::TableRef& t, Scope* outer) {
  if (t.subquery) {
    PrepareQuery(*t.subquery, outer);
    t.emitAlias = t.alias.empty() ? "ORA$V" + std::to_string(++aliasCounter_) : t.alias;
    const auto& items = FirstItems(*t.subquery);
    t.hasColumns = true;
    for (const auto& item : items) {
      if (item.expr->kind == ExprKind::Star) {
        t.hasColumns = false;
        break;
      }
      ColumnInfo c;
      c.name = ItemName(item);
      c.type.code = item.expr->type;
      t.columns.push_back(c);
      t.directColumns.push_back(item.expr->directColumn);
    }
    if (!t.hasColumns) {
      t.columns.clear();
      t.directColumns.clear();
    }
    return;
  }
  t.resolved = ResolveObject(t.owner, t.name, t.link, t.offset, false);
  t.emitAlias = t.alias.empty() ? t.name : t.alias;
  t.rowidExpr = QuoteIdent(t.emitAlias) + ".rowid";
  LoadColumns(t);
}

bool Translator::ExtractRownumLimit(ExprPtr& where, std::vector<Expr*>& limits) {
  if (!where) return false;
  std::vector<ExprPtr> terms;
  SplitAnd(std::move(where), terms);
  std::vector<ExprPtr> rest;
  bool any = false;
  auto isBound = [](const Expr& e) {
    return e.kind == ExprKind::Number || e.kind == ExprKind::Bind ||
           (e.kind == ExprKind::Unary && e.text == "-" && e.args[0]->kind == ExprKind::Number);
  };
  for (auto& t : terms) {
    bool taken = false;
    if (t->kind == ExprKind::Binary && t->text != "AND" && t->text != "OR" && t->args.size() == 2) {
      static const std::set<std::string> kCmp = {"=", "<>", "<", ">", "<=", ">="};
      if (kCmp.count(t->text)) {
        if (IsPseudo(*t->args[0], "ROWNUM") && isBound(*t->args[1])) {
          taken = true;
        } else if (IsPseudo(*t->args[1], "ROWNUM") && isBound(*t->args[0])) {
          // Flip "5 >= ROWNUM" into "ROWNUM <= 5".
          std::swap(t->args[0], t->args[1]);
          static const std::map<std::string, std::string> kFlip = {
              {"=", "="}, {"<>", "<>"}, {"<", ">"}, {">", "<"}, {"<=", ">="}, {">=", "<="}};
          t->text = kFlip.at(t->text);
          taken = true;
        }
      }
    } else if (t->kind == ExprKind::Between && !t->negated && IsPseudo(*t->args[0], "ROWNUM") &&
               isBound(*t->args[1]) && isBound(*t->args[2])) {
      taken = true;
    }
    if (taken) {
      any = true;
      limits.push_back(t.release());
    } else {
      rest.push_back(std::move(t));
    }
  }
  where = JoinAnd(std::move(rest));
  return any;
}

void Translator::PrepareBlock(ast::QueryBlock& b, Scope* outer,
                              std::vector<ast::OrderItem>* orderBy) {
  for (auto& t : b.from) PrepareTable(*t, outer);
  auto scopeOwned = std::make_unique<Scope>();
  Scope& scope = *scopeOwned;
  scopes_.push_back(std::move(scopeOwned));
  scope.parent = outer;
  scope.block = &b;
  for (auto& t : b.from) scope.tables.push_back(t.get());
  {
    std::set<std::string> seen;
    for (auto& t : b.from) {
      if (!seen.insert(t->emitAlias).second && !t->alias.empty()) {
        throw EngineError(918, {}, int(t->aliasOffset));
      }
    }
  }
  if (b.connectBy) {
    if (b.from.size() != 1) throw EngineError(1437, {}, int(b.from[1]->offset));
    ast::TableRef& t = *b.from[0];
    t.levelExpr = QuoteIdent(t.emitAlias) + "." + QuoteIdent("ORA$LEVEL");
    if (!t.subquery) t.rowidExpr = QuoteIdent(t.emitAlias) + "." + QuoteIdent("ORA$RID");
  }
  std::vector<Expr*> limits;
  ExtractRownumLimit(b.where, limits);
  if (!limits.empty()) {
    auto& store = rownumLimits_[&b];
    for (Expr* l : limits) store.emplace_back(l);
  }
  for (auto& t : b.from) {
    if (t->on) Prepare(*t->on, scope);
  }
  if (b.where) Prepare(*b.where, scope);
  if (rownumLimits_.count(&b)) {
    for (auto& l : rownumLimits_[&b]) {
      for (size_t i = 1; i < l->args.size(); ++i) Prepare(*l->args[i], scope);
    }
  }
  if (b.startWith) Prepare(*b.startWith, scope);
  if (b.connectBy) {
    preparingConnectBy_ = true;
    Prepare(*b.connectBy, scope);
    preparingConnectBy_ = false;
  }
  for (auto& g : b.groupBy) Prepare(*g, scope);
  if (b.having) Prepare(*b.having, scope);
  for (auto& item : b.items) {
    if (item.expr->kind != ExprKind::Star) Prepare(*item.expr, scope);
  }
  ExpandStars(b);
  for (auto& into : b.into) {
    if (into->kind == ExprKind::Name && ctx_.isVariable) into->ref = RefKind::Variable;
  }
  if (orderBy && !orderBy->empty()) {
    scope.orderAliases = &b.items;
    for (auto& item : *orderBy) Prepare(*item.expr, scope);
    scope.orderAliases = nullptr;
  }
  SplitOuterJoins(b);
}

void Translator::ExpandStars(ast::QueryBlock& b) {
  std::vector<ast::SelectItem> out;
  bool changed = false;
  for (auto& item : b.items) {
    Expr& e = *item.expr;
    if (e.kind != ExprKind::Star) {
      out.push_back(std::move(item));
      continue;
    }
    std::vector<ast::TableRef*> tables;
    if (e.parts.empty()) {
      for (auto& t : b.from) tables.push_back(t.get());
    } else {
      // t.* or owner.t.*
      for (auto& t : b.from) {
        bool match = false;
        if (e.parts.size() == 1) {
          match = t->alias.empty() ? t->name == e.parts[0] : t->alias == e.parts[0];
        } else {
          match = t->alias.empty() && t->name == e.parts[1] &&
                  (t->owner == e.parts[0] || t->resolved.owner == e.parts[0]);
        }
        if (match) tables.push_back(t.get());
      }
      if (tables.empty()) throw EngineError(904, e.parts.back(), int(e.offset));
    }
    bool known =
        std::all_of(tables.begin(), tables.end(), [](ast::TableRef* t) { return t->hasColumns; });
    if (!known) {
      if (!e.parts.empty()) e.table = tables[0];
      out.push_back(std::move(item));
      continue;
    }
    changed = true;
    for (ast::TableRef* t : tables) {
      for (size_t i = 0; i < t->columns.size(); ++i) {
        ast::SelectItem ni;
        ni.expr = std::make_unique<Expr>();
        Expr& c = *ni.expr;
        c.kind = ExprKind::Name;
        c.offset = e.offset;
        c.parts = {t->columns[i].name};
        c.ref = RefKind::Column;
        c.table = t;
        c.type = t->columns[i].type.code;
        c.directColumn = t->directColumns[i];
        ni.alias = t->columns[i].name;
        ni.aliasQuoted = true;
        ni.aliasOffset = e.offset;
        out.push_back(std::move(ni));
      }
    }
  }
  (void)changed;
  b.items = std::move(out);
}

void Translator::SplitOuterJoins(ast::QueryBlock& b) {
  if (!b.where || !HasOuterMarker(*b.where)) return;
  for (auto& t : b.from) {
    if (t->join != ast::JoinKind::Comma) throw EngineError(1719, {}, int(b.where->offset));
  }
  std::vector<ExprPtr> terms;
  SplitAnd(std::move(b.where), terms);
  std::vector<ExprPtr> rest;
  for (auto& term : terms) {
    std::vector<Expr*> marked, plain;
    bool misuse = false;
    CollectOuterRefs(*term, marked, plain, false, misuse);
    if (marked.empty()) {
      rest.push_back(std::move(term));
      continue;
    }
    if (misuse) throw EngineError(1719, {}, int(marked[0]->offset));
    ast::TableRef* outerTable = nullptr;
    for (Expr* m : marked) {
      if (!m->table) throw EngineError(904, m->parts.back(), int(m->offset));
      if (outerTable && outerTable != m->table) throw EngineError(1468, {}, int(m->offset));
      outerTable = m->table;
    }
    for (Expr* pl : plain) {
      if (pl->table && pl->table != outerTable &&
          std::find(outerTable->dependsOn.begin(), outerTable->dependsOn.end(), pl->table) ==
              outerTable->dependsOn.end()) {
        // Only tables of this block count; outer references are constants here.
        bool local = std::any_of(b.from.begin(), b.from.end(),
                                 [&](auto& t) { return t.get() == pl->table; });
        if (local) outerTable->dependsOn.push_back(pl->table);
      }
    }
    outerTable->outerConditions.push_back(std::move(term));
  }
  b.where = JoinAnd(std::move(rest));
  // Order the tables so that every outer-joined table follows those it depends on.
  std::vector<std::unique_ptr<ast::TableRef>> ordered;
  std::vector<std::unique_ptr<ast::TableRef>> pending;
  for (auto& t : b.from) {
    if (t->outerConditions.empty()) {
      ordered.push_back(std::move(t));
    } else {
      pending.push_back(std::move(t));
    }
  }
  while (!pending.empty()) {
    bool progress = false;
    for (size_t i = 0; i < pending.size(); ++i) {
      auto& t = pending[i];
      bool ready = std::all_of(t->dependsOn.begin(), t->dependsOn.end(), [&](ast::TableRef* d) {
        return std::any_of(ordered.begin(), ordered.end(), [&](auto& o) { return o.get() == d; });
      });
      if (ready) {
        t->join = ast::JoinKind::Left;
        ordered.push_back(std::move(t));
        pending.erase(pending.begin() + long(i));
        progress = true;
        break;
      }
    }
    if (!progress) throw EngineError(1416, {}, int(pending[0]->offset));
  }
  if (ordered.empty()) return;
  // Outer-joined tables cannot lead the list.
  if (!ordered[0]->outerConditions.empty()) throw EngineError(1416, {}, int(ordered[0]->offset));
  b.from = std::move(ordered);
}

void Translator::Prepare(Expr& e, Scope& scope) {
  switch (e.kind) {
    case ExprKind::Number:
      e.type = kTypeNumber;
      return;
    case ExprKind::String:
      e.type = kTypeChar;
      return;
    case ExprKind::Null:
    case ExprKind::Bind:
      return;
    case ExprKind::Name:
      ResolveName(e, scope);
      return;
    case ExprKind::Star:
      // Select items and COUNT's argument are stars of their own and not prepared: a
      // table's star anywhere else stands where a value is missing.
      throw EngineError(936, {}, int(e.offset));
    case ExprKind::Subquery:
    case ExprKind::Exists:
      PrepareQuery(*e.query, &scope);
      if (e.kind == ExprKind::Subquery) {
        const auto& items = FirstItems(*e.query);
        if (items.size() != 1 && e.kind == ExprKind::Subquery)
          throw EngineError(913, {}, int(e.offset));
        e.type = items[0].expr->type;
        e.size = items[0].expr->size;
      }
      return;
    case ExprKind::In:
    case ExprKind::Quantified: {
      // A row on the left is compared with rows of its width, or with a query's columns.
      const bool row = e.args[0]->kind == ExprKind::List;
      const size_t width = PrepareOperand(*e.args[0], scope);
      for (size_t i = 1; i < e.args.size(); ++i) {
        Expr& a = *e.args[i];
        if (row && (a.kind != ExprKind::List || a.args.size() != width))
          throw EngineError(kOraInvalidRelationalOperator, {}, int(a.offset));
        if (row)
          PrepareOperand(a, scope);
        else
          Prepare(a, scope);
      }
      if (e.query) {
        PrepareQuery(*e.query, &scope);
        const size_t columns = FirstItems(*e.query).size();
        if (columns > width) throw EngineError(kOraTooManyValues, {}, int(e.offset));
        if (columns < width) throw EngineError(kOraNotEnoughValues, {}, int(e.offset));
      }
      return;
    }
    case ExprKind::Call:
      for (auto& a : e.args) {
        if (a->kind != ExprKind::Star) Prepare(*a, scope);
      }
      TypeCall(e);
      return;
    case ExprKind::Unary:
      if (e.text == "PRIOR") {
        if (!scope.block || !scope.block->connectBy) throw EngineError(936, {}, int(e.offset));
      }
      Prepare(*e.args[0], scope);
      if (e.text == "PRIOR" && !preparingConnectBy_) {
        // Outside the condition PRIOR reads the parent row, which the walk carries along.
        Expr& col = *e.args[0];
        if (col.kind != ExprKind::Name || col.ref != RefKind::Column || !col.table) {
          throw EngineError(936, {}, int(e.offset));
        }
        auto& list = col.table->priorColumns;
        if (std::find(list.begin(), list.end(), col.parts.back()) == list.end()) {
          list.push_back(col.parts.back());
        }
      }
      e.type = e.text == "NOT" ? 0 : e.args[0]->type;
      if (e.text == "-" || e.text == "+") e.type = kTypeNumber;
      return;
    case ExprKind::Binary: {
      if (e.text == "AND" || e.text == "OR") {
        for (auto& a : e.args) Prepare(*a, scope);
        return;
      }
      const bool row0 = e.args[0]->kind == ExprKind::List;
      const bool row1 = e.args[1]->kind == ExprKind::List;
      if (row0 || row1) {
        // Two rows of one width compare column by column.
        if (!row0 || !row1 || e.args[0]->args.size() != e.args[1]->args.size())
          throw EngineError(kOraInvalidRelationalOperator, {}, int(e.offset));
        PrepareOperand(*e.args[0], scope);
        PrepareOperand(*e.args[1], scope);
        return;
      }
      Prepare(*e.args[0], scope);
      Prepare(*e.args[1], scope);
      return;
    }
    case ExprKind::Chain: {
      for (auto& a : e.args) Prepare(*a, scope);
      int type = e.args[0]->type;
      for (size_t i = 0; i < e.ops.size(); ++i)
        type = ChainType(e.ops[i], type, e.args[i + 1]->type);
      e.type = type;
      return;
    }
    case ExprKind::Case: {
      for (auto& a : e.args) Prepare(*a, scope);
      size_t first = e.hasOperand ? 2 : 1;
      for (size_t i = first; i < e.args.size(); i += 2) {
        if (e.args[i]->type) {
          e.type = e.args[i]->type;
          break;
        }
      }
      if (!e.type && e.hasElse) e.type = e.args.back()->type;
      return;
    }
    case ExprKind::Like:
    case ExprKind::Between:
    case ExprKind::IsNull:
      for (auto& a : e.args) Prepare(*a, scope);
      return;
    case ExprKind::List:
      // A row where a single value belongs: the parser took the comma for one more value
      // of a list, where Oracle's wants the closing parenthesis.
      throw EngineError(kOraMissingRightParenthesis, {}, int(e.offset));
  }
}

// A parenthesised list is a row value: it may stand only as an operand of a comparison,
// of IN or of a quantified comparison (the callers check the widths); its values are
// single values.
size_t Translator::PrepareOperand(Expr& e, Scope& scope) {
  if (e.kind != ExprKind::List) {
    Prepare(e, scope);
    return 1;
  }
  for (auto& a : e.args) Prepare(*a, scope);
  return e.args.size();
}

void Translator::TypeCall(Expr& e) {
  if (!e.parts.empty()) throw EngineError(904, e.parts.back() + "\".\"" + e.text, int(e.offset));
  const FuncSpec* f = FindFunction(e.text);
  if (!f) {
    if (e.text == "SYSDATE" || e.text == "USER" || e.text == "UID") {
      throw EngineError(933, {}, int(e.offset));
    }
    throw EngineError(904, e.text, int(e.offset));
  }
  int n = int(e.args.size());
  if (n < f->minArgs) throw EngineError(938, {}, int(e.offset));
  if (n > f->maxArgs) throw EngineError(939, {}, int(e.offset));
  if (!e.args.empty() && e.args[0]->kind == ExprKind::Star &&
      (e.text != "COUNT" || !e.args[0]->parts.empty())) {
    throw EngineError(936, {}, int(e.args[0]->offset));
  }
  if (f->type >= 0) {
    e.type = f->type;
  } else {
    size_t idx = size_t(-f->type - 1);
    e.type = idx < e.args.size() ? e.args[idx]->type : 0;
    if (e.text == "NVL" && !e.type) e.type = e.args[1]->type;
    // What NVL, NVL2 and DECODE answer of CHAR is VARCHAR2.
    if (e.type == kTypeChar && (e.text == "NVL" || e.text == "NVL2" || e.text == "DECODE")) {
      e.type = kTypeVarchar2;
    }
  }
  if ((e.text == "ROUND" || e.text == "TRUNC") && e.args[0]->type == kTypeDate) e.type = kTypeDate;
}

void Translator::ResolveName(Expr& e, Scope& scope) {
  const auto& parts = e.parts;
  const std::string& last = parts.back();
  auto offsetOf = [&] { return int(e.offset); };
  auto invalid = [&]() -> OraError {
    std::string arg;
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i) arg += "\".\"";
      arg += parts[i];
    }
    return EngineError(904, arg, offsetOf());
  };

  // Tables visible under a qualifier, innermost scope first.
  auto findTable = [&](const std::string* owner, const std::string& name) -> ast::TableRef* {
    for (Scope* s = &scope; s; s = s->parent) {
      for (ast::TableRef* t : s->tables) {
        if (owner) {
          if (t->alias.empty() && t->name == name &&
              (t->owner == *owner || t->resolved.owner == *owner)) {
            return t;
          }
        } else if ((t->alias.empty() ? t->name : t->alias) == name) {
          return t;
        }
      }
    }
    return nullptr;
  };
  auto columnOf = [&](ast::TableRef* t, const std::string& col) -> int {
    for (size_t i = 0; i < t->columns.size(); ++i) {
      if (t->columns[i].name == col) return int(i);
    }
    return -1;
  };
  auto bindColumn = [&](ast::TableRef* t, int idx) {
    e.ref = RefKind::Column;
    e.table = t;
    if (idx >= 0) {
      e.type = t->columns[size_t(idx)].type.code;
      e.size = t->columns[size_t(idx)].type.size;
      e.directColumn = t->directColumns[size_t(idx)];
    }
  };

  if (parts.size() == 1) {
    // ORDER BY may name a select-list alias.
    if (scope.orderAliases) {
      for (const auto& item : *scope.orderAliases) {
        if (item.expr->kind != ExprKind::Star && ItemName(item) == last) {
          bool isColumnName = item.expr->kind == ExprKind::Name && item.expr->parts.back() == last;
          if (!isColumnName || !scope.block) {
            e.ref = RefKind::Unresolved;
            e.table = nullptr;
            e.type = item.expr->type;
            e.text2 = "ALIAS";
            return;
          }
        }
      }
    }
    if (!e.quotedLast) {
      static const std::pair<const char*, RefKind> kPseudo[] = {
          {"ROWNUM", RefKind::Rownum}, {"LEVEL", RefKind::Level}, {"SYSDATE", RefKind::Sysdate},
          {"USER", RefKind::User},     {"UID", RefKind::Uid},     {"ROWID", RefKind::Rowid}};
      for (auto& [word, kind] : kPseudo) {
        if (last == word) {
          e.ref = kind;
          e.type = kind == RefKind::Sysdate ? kTypeDate
                   : kind == RefKind::User  ? kTypeVarchar2
                   : kind == RefKind::Rowid ? kTypeRowid
                                            : kTypeNumber;
          if (kind == RefKind::Rowid) {
            if (scope.tables.empty()) throw invalid();
            if (scope.tables.size() > 1) throw EngineError(918, {}, offsetOf());
            e.table = scope.tables[0];
            if (e.table->subquery) throw EngineError(1446, {}, offsetOf());
          }
          if (kind == RefKind::Level) {
            if (!scope.block || !scope.block->connectBy) throw EngineError(1788, {}, offsetOf());
            e.table = scope.block->from[0].get();
          }
          return;
        }
      }
    }
    bool allKnown = true;
    for (Scope* s = &scope; s; s = s->parent) {
      ast::TableRef* found = nullptr;
      int foundIdx = -1;
      for (ast::TableRef* t : s->tables) {
        if (!t->hasColumns) {
          allKnown = false;
          continue;
        }
        int idx = columnOf(t, last);
        if (idx >= 0) {
          if (found) throw EngineError(918, {}, offsetOf());
          found = t;
          foundIdx = idx;
        }
      }
      if (found) {
        bindColumn(found, foundIdx);
        return;
      }
      if (!allKnown) break;
    }
    if (ctx_.isVariable && ctx_.isVariable(last)) {
      e.ref = RefKind::Variable;
      if (ctx_.variableType) e.type = ctx_.variableType(last);
      return;
    }
    bool anyTable = false;
    for (Scope* s = &scope; s; s = s->parent) anyTable = anyTable || !s->tables.empty();
    if (allKnown || !anyTable) throw invalid();
    // Columns unknown: let SQLite find it (unqualified).
    e.ref = RefKind::Column;
    return;
  }

  if (!e.quotedLast && (last == "NEXTVAL" || last == "CURRVAL")) {
    bool isTable = parts.size() == 2 && findTable(nullptr, parts[0]);
    if (!isTable) {
      std::string owner = parts.size() == 3 ? parts[0] : "";
      const std::string& seq = parts[parts.size() - 2];
      ResolvedObject r = ResolveObject(owner, seq, "", e.partOffsets[parts.size() - 2], true);
      e.ref = RefKind::Sequence;
      e.text = r.owner;
      e.text2 = r.name;
      e.type = kTypeNumber;
      return;
    }
  }
  ast::TableRef* t =
      parts.size() == 2 ? findTable(nullptr, parts[0]) : findTable(&parts[0], parts[1]);
  if (!t) {
    if (parts.size() == 2 && ctx_.isVariable && ctx_.isVariable(parts[0] + "." + parts[1])) {
      e.ref = RefKind::Variable;
      if (ctx_.variableType) e.type = ctx_.variableType(parts[0] + "." + parts[1]);
      return;
    }
    throw invalid();
  }
  if (!e.quotedLast && last == "ROWID") {
    if (t->subquery) throw EngineError(1446, {}, offsetOf());
    e.ref = RefKind::Rowid;
    e.table = t;
    e.type = kTypeRowid;
    return;
  }
  if (t->hasColumns) {
    int idx = columnOf(t, last);
    if (idx < 0) throw invalid();
    bindColumn(t, idx);
  } else {
    bindColumn(t, -1);
  }
}

// ---------------------------------------------------------------------------------------
// Writing

std::string Translator::ItemName(const ast::SelectItem& item) const {
  if (!item.alias.empty()) return item.alias;
  const Expr& e = *item.expr;
  // A plain (possibly qualified) column or pseudo-column: its own name.
  if (e.kind == ExprKind::Name && !e.outerJoin && e.firstToken < tokens_.size() &&
      tokens_[e.firstToken].offset == e.offset) {
    return e.parts.back();
  }
  // An expression: its text as written, upper-cased, without blanks, at most 30 bytes.
  std::string name;
  for (size_t i = e.firstToken; i <= e.lastToken && i < tokens_.size(); ++i) {
    const Token& t = tokens_[i];
    std::string_view src = text_.substr(t.offset, t.length);
    if (t.kind == TokenKind::QuotedIdentifier) {
      name += src;
    } else {
      for (char c : src) name.push_back((c >= 'a' && c <= 'z') ? char(c - 32) : c);
    }
  }
  if (name.size() > 30) name.resize(30);
  return name;
}

void Translator::WriteBind(const std::string& name, bool variable, size_t offset) {
  if (inDdl_) throw EngineError(1027, {}, int(offset));
  size_t idx = 0;
  for (; idx < result_.binds.size(); ++idx) {
    if (result_.binds[idx] == name && result_.variableBinds[idx] == variable) break;
  }
  if (idx == result_.binds.size()) {
    result_.binds.push_back(name);
    result_.variableBinds.push_back(variable);
  }
  w_.Put("?" + std::to_string(idx + 1), offset);
}

void Translator::WriteQuery(ast::Query& q, const std::vector<ColumnInfo>* targets, bool top) {
  if (q.block) {
    WriteBlock(*q.block, &q.orderBy, targets, top, false);
    return;
  }
  if (q.parts.size() == 1) {
    // A parenthesized query ordered again from outside.
    w_.Put("SELECT * FROM (", q.offset);
    WriteQuery(*q.parts[0], targets, false);
    w_.Raw(")");
  } else {
    for (size_t i = 0; i < q.parts.size(); ++i) {
      ast::Query& part = *q.parts[i];
      if (i > 0) {
        const std::string& op = q.ops[i - 1];
        w_.Put(op == "MINUS" ? " EXCEPT " : " " + op + " ", part.offset);
      }
      bool plain = part.block && part.orderBy.empty() && !rownumLimits_.count(part.block.get());
      if (plain) {
        WriteBlock(*part.block, nullptr, targets, false, true);
      } else {
        // SQLite takes no ORDER BY or LIMIT inside a compound's parts.
        w_.Put("SELECT * FROM (", part.offset);
        WriteQuery(part, targets, false);
        w_.Raw(")");
      }
    }
  }
  if (top) {
    for (const auto& item : FirstItems(q)) {
      result_.columnNames.push_back(ItemName(item));
      const Expr& e = *item.expr;
      result_.columnTypeHints.push_back(
          e.directColumn ? 0 : (e.kind == ExprKind::Null ? kTypeVarchar2 : e.type));
      result_.columnSizeHints.push_back(e.directColumn ? 0 : TextWidth(e, ctx_.dateFormat));
    }
  }
  WriteOrderBy(q.orderBy);
}

void Translator::WriteOrderBy(std::vector<ast::OrderItem>& orderBy) {
  for (size_t i = 0; i < orderBy.size(); ++i) {
    auto& item = orderBy[i];
    w_.Put(i == 0 ? " ORDER BY " : ", ", item.expr->offset);
    Write(*item.expr);
    bool nullsFirst = item.nulls == 1 || (item.nulls == 0 && item.desc);
    w_.Raw(item.desc ? " DESC" : "");
    w_.Raw(nullsFirst ? " NULLS FIRST" : " NULLS LAST");
  }
}

void Translator::WriteBlock(ast::QueryBlock& b, std::vector<ast::OrderItem>* orderBy,
                            const std::vector<ColumnInfo>* targets, bool top, bool compoundPart) {
  (void)compoundPart;
  auto limitIt = rownumLimits_.find(&b);
  std::vector<std::unique_ptr<Expr>>* limits =
      limitIt == rownumLimits_.end() ? nullptr : &limitIt->second;
  bool hasAggregate = !b.groupBy.empty() || b.having;
  for (auto& item : b.items) hasAggregate = hasAggregate || ContainsAggregate(*item.expr);
  bool orderAfterLimit = orderBy && !orderBy->empty();
  // ROWNUM counts rows before sorting, grouping and DISTINCT: take the rows first.
  bool limitInside = limits && (orderAfterLimit || hasAggregate || b.distinct) &&
                     b.from.size() == 1 && !b.connectBy;

  w_.Put("SELECT ", b.offset);
  if (b.distinct) w_.Raw("DISTINCT ");
  if (top && !b.into.empty()) {
    for (auto& into : b.into) {
      if (into->kind == ExprKind::Bind) {
        result_.selectInto.push_back(":" + into->text);
      } else {
        std::string name;
        for (size_t i = 0; i < into->parts.size(); ++i) name += (i ? "." : "") + into->parts[i];
        result_.selectInto.push_back(name);
      }
    }
    if (b.into.size() != b.items.size()) {
      throw EngineError(b.into.size() < b.items.size() ? 947 : 913, {}, int(b.intoOffset));
    }
  }
  if (targets && targets->size() != b.items.size() &&
      std::none_of(b.items.begin(), b.items.end(),
                   [](auto& i) { return i.expr->kind == ExprKind::Star; })) {
    throw EngineError(targets->size() > b.items.size() ? 947 : 913, {}, int(b.offset));
  }
  for (size_t i = 0; i < b.items.size(); ++i) {
    auto& item = b.items[i];
    if (i) w_.Raw(", ");
    Expr& e = *item.expr;
    if (e.kind == ExprKind::Star) {
      if (!e.parts.empty() && e.table) {
        w_.Put(QuoteIdent(e.table->emitAlias) + ".*", e.offset);
      } else {
        w_.Put("*", e.offset);
      }
      continue;
    }
    if (targets && i < targets->size()) {
      WriteForColumn(e, (*targets)[i]);
    } else if (e.ref == RefKind::Rownum && limitInside) {
      Write(e);
    } else {
      Write(e);
    }
    w_.Raw(" AS " + QuoteIdent(ItemName(item)));
  }
  if (limitInside) {
    ast::TableRef& t = *b.from[0];
    std::string alias = QuoteIdent(t.emitAlias);
    w_.Put(" FROM (SELECT " + alias + ".*", t.offset);
    if (!t.subquery) {
      w_.Raw(", " + alias + ".rowid AS " + QuoteIdent("ORA$RID"));
      t.rowidExpr = alias + "." + QuoteIdent("ORA$RID");
    }
    w_.Raw(" FROM ");
    std::string saved = t.rowidExpr;
    t.rowidExpr = alias + ".rowid";
    WriteTable(t);
    if (b.where) {
      w_.Put(" WHERE ", b.where->offset);
      Write(*b.where);
    }
    t.rowidExpr = saved;
  } else {
    w_.Raw(" FROM ");
    WriteFrom(b);
    if (b.where) {
      w_.Put(" WHERE ", b.where->offset);
      Write(*b.where);
    }
  }
  auto writeLimit = [&] { WriteRownumLimit(*limits); };
  if (limitInside) {
    // Without an order of its own SQLite may take the outer ORDER BY's first rows; the
    // rows ROWNUM counts are those of the table, in its own order.
    if (!b.from[0]->subquery) w_.Raw(" ORDER BY " + QuoteIdent(b.from[0]->emitAlias) + ".rowid");
    writeLimit();
    w_.Raw(") " + QuoteIdent(b.from[0]->emitAlias));
  }
  if (!b.groupBy.empty()) {
    for (size_t i = 0; i < b.groupBy.size(); ++i) {
      w_.Put(i == 0 ? " GROUP BY " : ", ", b.groupBy[i]->offset);
      Write(*b.groupBy[i]);
    }
  }
  if (b.having) {
    w_.Put(" HAVING ", b.having->offset);
    Write(*b.having);
  }
  if (top) {
    for (const auto& item : b.items) {
      result_.columnNames.push_back(item.expr->kind == ExprKind::Star ? "*" : ItemName(item));
      const Expr& e = *item.expr;
      result_.columnTypeHints.push_back(
          e.directColumn ? 0 : (e.kind == ExprKind::Null ? kTypeVarchar2 : e.type));
      result_.columnSizeHints.push_back(
          e.directColumn || e.kind == ExprKind::Star ? 0 : TextWidth(e, ctx_.dateFormat));
    }
  }
  if (orderBy) WriteOrderBy(*orderBy);
  if (limits && !limitInside) writeLimit();
}

// LIMIT for the ROWNUM conditions taken out of a WHERE clause.
void Translator::WriteRownumLimit(std::vector<std::unique_ptr<Expr>>& limits) {
  w_.Put(" LIMIT ORA$ROWNUM_LIMIT(", limits[0]->offset);
  bool first = true;
  for (auto& l : limits) {
    if (l->kind == ExprKind::Between) {
      w_.Raw(first ? "'>=', " : ", '>=', ");
      Write(*l->args[1]);
      w_.Raw(", '<=', ");
      Write(*l->args[2]);
    } else {
      w_.Raw((first ? "'" : ", '") + l->text + "', ");
      Write(*l->args[1]);
    }
    first = false;
  }
  w_.Raw(")");
}

void Translator::WriteFrom(ast::QueryBlock& b) {
  for (size_t i = 0; i < b.from.size(); ++i) {
    ast::TableRef& t = *b.from[i];
    if (i > 0) {
      switch (t.join) {
        case ast::JoinKind::Comma:
          w_.Put(", ", t.offset);
          break;
        case ast::JoinKind::Inner:
          w_.Put(t.natural ? " NATURAL JOIN " : " JOIN ", t.offset);
          break;
        case ast::JoinKind::Left:
          w_.Put(t.natural ? " NATURAL LEFT JOIN " : " LEFT JOIN ", t.offset);
          break;
        case ast::JoinKind::Right:
          w_.Put(t.natural ? " NATURAL RIGHT JOIN " : " RIGHT JOIN ", t.offset);
          break;
        case ast::JoinKind::Full:
          w_.Put(t.natural ? " NATURAL FULL JOIN " : " FULL JOIN ", t.offset);
          break;
        case ast::JoinKind::Cross:
          w_.Put(" CROSS JOIN ", t.offset);
          break;
      }
    }
    if (b.connectBy) {
      WriteConnectBy(b, t);
    } else {
      WriteTable(t);
    }
    if (!t.outerConditions.empty()) {
      w_.Raw(" ON ");
      for (size_t k = 0; k < t.outerConditions.size(); ++k) {
        if (k) w_.Raw(" AND ");
        Write(*t.outerConditions[k]);
      }
    } else if (t.on) {
      w_.Put(" ON ", t.on->offset);
      Write(*t.on);
    } else if (!t.usingColumns.empty()) {
      w_.Raw(" USING (");
      for (size_t k = 0; k < t.usingColumns.size(); ++k)
        w_.Raw((k ? ", " : "") + QuoteIdent(t.usingColumns[k]));
      w_.Raw(")");
    }
  }
}

void Translator::WriteTable(ast::TableRef& t) {
  if (t.subquery) {
    w_.Put("(", t.offset);
    WriteQuery(*t.subquery);
    w_.Raw(") " + QuoteIdent(t.emitAlias));
    return;
  }
  w_.Put(PhysicalName(t.resolved.owner, t.resolved.name), t.offset);
  w_.Put(" " + QuoteIdent(t.emitAlias), t.alias.empty() ? t.offset : t.aliasOffset);
}

// The hierarchy becomes a recursive common table expression over the one table, depth
// first (the deepest level leaves the queue first), with a path of rowids so that a
// loop in the data raises ORA-01436 instead of recursing for ever.
void Translator::WriteConnectBy(ast::QueryBlock& b, ast::TableRef& t) {
  const std::string cte = QuoteIdent("ORA$CB");
  const std::string anchor = QuoteIdent("ORA$T"), child = QuoteIdent("ORA$C"),
                    parent = QuoteIdent("ORA$P");
  // Overrides hold bare aliases; the writer quotes them.
  const bool hasRowid = !t.subquery && t.resolved.objectType != "VIEW";  // views have no rowid
  auto source = [&](const std::string& alias) {
    if (t.subquery) {
      w_.Put("(", t.offset);
      WriteQuery(*t.subquery);
      w_.Raw(") " + alias);
    } else {
      w_.Put(PhysicalName(t.resolved.owner, t.resolved.name) + " " + alias, t.offset);
    }
  };
  w_.Put("(WITH RECURSIVE " + cte + " AS (SELECT " + anchor + ".*, ", t.offset);
  w_.Raw(hasRowid ? anchor + ".rowid" : "NULL");
  w_.Raw(" AS " + QuoteIdent("ORA$RID") + ", 1 AS " + QuoteIdent("ORA$LEVEL") + ", ");
  w_.Raw(hasRowid ? "'/' || " + anchor + ".rowid || '/'" : "'/'");
  w_.Raw(" AS " + QuoteIdent("ORA$PATH"));
  for (const std::string& c : t.priorColumns) w_.Raw(", NULL AS " + QuoteIdent("ORA$PRIOR$" + c));
  w_.Raw(" FROM ");
  source(anchor);
  if (b.startWith) {
    aliasOverride_[&t] = "ORA$T";
    levelOverride_ = "1";
    w_.Put(" WHERE ", b.startWith->offset);
    Write(*b.startWith);
    aliasOverride_.erase(&t);
    levelOverride_.clear();
  }
  w_.Raw(" UNION ALL SELECT " + child + ".*, ");
  w_.Raw(hasRowid ? child + ".rowid" : "NULL");
  w_.Raw(", " + parent + "." + QuoteIdent("ORA$LEVEL") + " + 1, " + parent + "." +
         QuoteIdent("ORA$PATH"));
  w_.Raw(hasRowid ? " || " + child + ".rowid || '/'" : "");
  for (const std::string& c : t.priorColumns) w_.Raw(", " + parent + "." + QuoteIdent(c));
  w_.Raw(" FROM ");
  source(child);
  w_.Raw(" JOIN " + cte + " " + parent + " ON ");
  aliasOverride_[&t] = "ORA$C";
  priorTable_ = &t;
  priorAlias_ = "ORA$P";
  inPrior_ = false;
  levelOverride_ = "(" + parent + "." + QuoteIdent("ORA$LEVEL") + " + 1)";
  w_.Put("(", b.connectBy->offset);
  Write(*b.connectBy);
  w_.Raw(")");
  aliasOverride_.erase(&t);
  priorTable_ = nullptr;
  levelOverride_.clear();
  w_.Raw(" WHERE ORA$CONNECT_BY_CHECK(" + parent + "." + QuoteIdent("ORA$PATH") + ", ");
  w_.Raw(hasRowid ? child + ".rowid" : "NULL");
  w_.Raw(", " + parent + "." + QuoteIdent("ORA$LEVEL") + ") ORDER BY " + QuoteIdent("ORA$LEVEL") +
         " DESC) SELECT * FROM " + cte + ") " + QuoteIdent(t.emitAlias));
}

void Translator::WriteAsDate(Expr& e) {
  if (e.type == kTypeDate) {
    Write(e);
    return;
  }
  w_.Put("ORA$TO_DATE(", e.offset);
  Write(e);
  w_.Raw(")");
}

void Translator::WriteForColumn(Expr& e, const ColumnInfo& target) {
  const OracleType& t = target.type;
  if (e.kind == ExprKind::Null) {
    Write(e);
    return;
  }
  switch (t.code) {
    case kTypeDate:
      w_.Put("ORA$DATE_IN(", e.offset);
      Write(e);
      w_.Raw(")");
      return;
    case kTypeNumber:
      w_.Put("ORA$NUMBER_IN(", e.offset);
      Write(e);
      w_.Raw(", " + std::to_string(t.precision) + ", " + std::to_string(t.scale) + ")");
      return;
    case kTypeVarchar2:
    case kTypeLong:
    case kTypeRowid:
    case kTypeMlslabel:
      w_.Put("ORA$VARCHAR_IN(", e.offset);
      Write(e);
      w_.Raw(", " + std::to_string(t.code == kTypeVarchar2 ? t.size : 0) + ")");
      return;
    case kTypeChar:
      w_.Put("ORA$CHAR_IN(", e.offset);
      Write(e);
      w_.Raw(", " + std::to_string(t.size) + ")");
      return;
    case kTypeRaw:
    case kTypeLongRaw:
      w_.Put("ORA$RAW_IN(", e.offset);
      Write(e);
      w_.Raw(", " + std::to_string(t.code == kTypeRaw ? t.size : 0) + ")");
      return;
    default:
      Write(e);
  }
}

void Translator::WriteArgs(Expr& e, size_t from) {
  for (size_t i = from; i < e.args.size(); ++i) {
    if (i > from) w_.Raw(", ");
    Write(*e.args[i]);
  }
}

void Translator::WriteName(Expr& e) {
  switch (e.ref) {
    case RefKind::Column: {
      const std::string& col = e.parts.back();
      if (e.table) {
        std::string alias = e.table->emitAlias;
        if (inPrior_ && priorTable_ == e.table) {
          alias = priorAlias_;
        } else if (auto it = aliasOverride_.find(e.table); it != aliasOverride_.end()) {
          alias = it->second;
        }
        if (alias.empty()) {
          w_.Put(QuoteIdent(col), e.offset);
        } else {
          w_.Put(QuoteIdent(alias) + "." + QuoteIdent(col), e.offset);
        }
      } else if (e.parts.size() >= 2) {
        w_.Put(QuoteIdent(e.parts[e.parts.size() - 2]) + "." + QuoteIdent(col), e.offset);
      } else {
        w_.Put(QuoteIdent(col), e.offset);
      }
      return;
    }
    case RefKind::Rowid: {
      std::string expr = e.table ? e.table->rowidExpr : "rowid";
      if (e.table) {
        if (inPrior_ && priorTable_ == e.table) {
          expr = QuoteIdent(priorAlias_) + "." + QuoteIdent("ORA$RID");
        } else if (auto it = aliasOverride_.find(e.table); it != aliasOverride_.end()) {
          expr = QuoteIdent(it->second) + ".rowid";
        }
      }
      w_.Put("ORA$ROWID(" + expr + ")", e.offset);
      return;
    }
    case RefKind::Rownum:
      w_.Put("row_number() OVER ()", e.offset);
      return;
    case RefKind::Level:
      if (!levelOverride_.empty()) {
        w_.Put(levelOverride_, e.offset);
      } else {
        w_.Put(e.table->levelExpr, e.offset);
      }
      return;
    case RefKind::Sysdate:
      w_.Put("ORA$SYSDATE()", e.offset);
      return;
    case RefKind::User:
      w_.Put("ORA$USER()", e.offset);
      return;
    case RefKind::Uid:
      w_.Put("ORA$UID()", e.offset);
      return;
    case RefKind::Sequence: {
      // A statement steps a sequence once per row however often it names NEXTVAL: the
      // first mention steps it, the others read the value it gave.
      bool next =
          e.parts.back() == "NEXTVAL" && nextvalSeen_.insert(PhysicalKey(e.text, e.text2)).second;
      w_.Put(std::string(next ? "ORA$NEXTVAL(" : "ORA$CURRVAL(") + QuoteString(e.text) + ", " +
                 QuoteString(e.text2) + ")",
             e.offset);
      return;
    }
    case RefKind::Variable: {
      std::string name;
      for (size_t i = 0; i < e.parts.size(); ++i) name += (i ? "." : "") + e.parts[i];
      WriteBind(name, true, e.offset);
      return;
    }
    case RefKind::Unresolved:
      if (e.text2 == "ALIAS") {
        w_.Put(QuoteIdent(e.parts.back()), e.offset);
        return;
      }
      w_.Put(QuoteIdent(e.parts.back()), e.offset);
      return;
  }
}

void Translator::WriteCall(Expr& e) {
  const FuncSpec* f = FindFunction(e.text);
  const std::string& n = e.text;
  if (n == "DECODE") {
    // DECODE matches NULL with NULL, which IS does; what it answers takes the type of its
    // first result.
    w_.Put("(CASE", e.offset);
    size_t i = 1;
    for (; i + 1 < e.args.size(); i += 2) {
      w_.Raw(" WHEN ");
      WriteComparison(*e.args[0], "IS", *e.args[i], e.args[i]->offset);
      w_.Raw(" THEN ");
      WriteAs(*e.args[i + 1], e.type);
    }
    if (i < e.args.size()) {
      w_.Raw(" ELSE ");
      WriteAs(*e.args[i], e.type);
    }
    w_.Raw(" END)");
    return;
  }
  if (n == "NVL") {
    // A first value whose type is the bound one's leaves the second as it is.
    w_.Put("coalesce(", e.offset);
    Write(*e.args[0]);
    w_.Raw(", ");
    WriteAs(*e.args[1], e.args[0]->type ? e.type : 0);
    w_.Raw(")");
    return;
  }
  if (n == "NVL2") {
    w_.Put("(CASE WHEN ", e.offset);
    Write(*e.args[0]);
    w_.Raw(" IS NOT NULL THEN ");
    WriteAs(*e.args[1], e.type);
    w_.Raw(" ELSE ");
    WriteAs(*e.args[2], e.type);
    w_.Raw(" END)");
    return;
  }
  if (n == "GREATEST" || n == "LEAST") {
    // The values after the first are compared as values of its type.
    w_.Put(std::string(f->target) + "(", e.offset);
    Write(*e.args[0]);
    for (size_t i = 1; i < e.args.size(); ++i) {
      w_.Raw(", ");
      WriteAs(*e.args[i], e.args[0]->type);
    }
    w_.Raw(")");
    return;
  }
  if (n == "TO_CHAR") {
    int t = e.args[0]->type;
    w_.Put(t == kTypeDate     ? "ORA$TO_CHAR_DATE("
           : t == kTypeNumber ? "ORA$TO_CHAR_NUMBER("
                              : "ORA$TO_CHAR(",
           e.offset);
    WriteArgs(e);
    w_.Raw(")");
    return;
  }
  if (n == "ROUND" || n == "TRUNC") {
    bool date =
        e.args[0]->type == kTypeDate ||
        (e.args.size() > 1 && (e.args[1]->type == kTypeChar || e.args[1]->type == kTypeVarchar2));
    w_.Put("ORA$" + n + (date ? "_DATE(" : "("), e.offset);
    WriteArgs(e);
    w_.Raw(")");
    return;
  }
  w_.Put(std::string(f->target) + "(", e.offset);
  if (e.distinct) w_.Raw("DISTINCT ");
  if (!e.args.empty() && e.args[0]->kind == ExprKind::Star) {
    w_.Raw("*");
  } else if (f->type == kTypeVarchar2 || n == "INSTR" || n == "INSTRB" || n == "LENGTH" ||
             n == "LENGTHB" || n == "ASCII") {
    // A date given to a string function is its text in the session's format.
    for (size_t i = 0; i < e.args.size(); ++i) {
      if (i) w_.Raw(", ");
      if (e.args[i]->type == kTypeDate) {
        w_.Put("ORA$TO_CHAR_DATE(", e.args[i]->offset);
        Write(*e.args[i]);
        w_.Raw(")");
      } else {
        Write(*e.args[i]);
      }
    }
  } else {
    WriteArgs(e);
  }
  w_.Raw(")");
}

void Translator::WriteSide(Expr& x, const CompareSide& side) {
  switch (side.form) {
    case SideForm::AsIs:
      Write(x);
      return;
    case SideForm::Number:
      w_.Put("ORA$TO_NUMBER(", x.offset);
      Write(x);
      w_.Raw(")");
      return;
    case SideForm::Date:
      WriteAsDate(x);
      return;
    case SideForm::Padded: {
      // Blanks beyond the width are all the literal holds there (PadsTo).
      std::string text =
          x.text.size() > side.width ? x.text.substr(0, side.width) : PadBlanks(x.text, side.width);
      w_.Put(QuoteString(text), x.offset);
      return;
    }
  }
}

void Translator::WriteRow(Expr& x, const std::vector<ComparePlan>& plans, bool left) {
  const bool row = x.kind == ExprKind::List;
  const size_t width = row ? x.args.size() : 1;
  if (row) w_.Put("(", x.offset);
  for (size_t i = 0; i < width; ++i) {
    // An element without a plan (a query's unexpanded *) is written as it stands.
    const ComparePlan plan = i < plans.size() ? plans[i] : ComparePlan();
    if (i) w_.Raw(", ");
    WriteSide(row ? *x.args[i] : x, left ? plan.left : plan.right);
    if (left && plan.collate) w_.Raw(" COLLATE \"ORA$PAD\"");
  }
  if (row) w_.Raw(")");
}

void Translator::WriteComparison(Expr& a, const std::string& op, Expr& b, size_t offset) {
  // ROWID = x compares the rowid itself, so that the key is used.
  if (op == "=" && a.kind == ExprKind::Name && a.ref == RefKind::Rowid && b.ref != RefKind::Rowid) {
    std::string expr = a.table ? a.table->rowidExpr : "rowid";
    if (a.table) {
      if (auto it = aliasOverride_.find(a.table); it != aliasOverride_.end())
        expr = QuoteIdent(it->second) + ".rowid";
    }
    w_.Put("(" + expr + " = ORA$ROWID_NUMBER(", offset);
    Write(b);
    w_.Raw("))");
    return;
  }
  const auto plans = PlanRow(OperandsOf(a), OperandsOf(b));
  w_.Put("(", offset);
  WriteRow(a, plans, true);
  w_.Raw(" " + op + " ");
  WriteRow(b, plans, false);
  w_.Raw(")");
}

void Translator::WriteQueryFor(ast::Query& q, const std::vector<ComparePlan>& plans) {
  std::vector<ColumnInfo> targets(plans.size());
  bool converted = false;
  for (size_t i = 0; i < plans.size(); ++i) {
    const SideForm form = plans[i].right.form;
    if (form == SideForm::Number || form == SideForm::Date) {
      targets[i].type.code = form == SideForm::Number ? kTypeNumber : kTypeDate;
      converted = true;
    }
  }
  WriteQuery(q, converted ? &targets : nullptr);
}

void Translator::WriteInQuery(Expr& left, ast::Query& q, bool negated, size_t offset) {
  const auto plans = PlanRow(OperandsOf(left), ColumnOperands(FirstItems(q)));
  w_.Put("(", offset);
  WriteRow(left, plans, true);
  w_.Raw(negated ? " NOT IN (" : " IN (");
  WriteQueryFor(q, plans);
  w_.Raw("))");
}

void Translator::WriteAs(Expr& x, int type) {
  if (x.kind != ExprKind::Null) {
    const char* fn = nullptr;
    if (type == kTypeNumber && (IsText(x.type) || OperandOf(x).bound)) {
      fn = "ORA$TO_NUMBER(";
    } else if (type == kTypeDate && x.type != kTypeDate) {
      WriteAsDate(x);
      return;
    } else if (IsText(type) && x.type == kTypeDate) {
      fn = "ORA$TO_CHAR_DATE(";
    } else if (IsText(type) && x.type == kTypeNumber) {
      fn = "ORA$TO_CHAR_NUMBER(";
    }
    if (fn) {
      w_.Put(fn, x.offset);
      Write(x);
      w_.Raw(")");
      return;
    }
  }
  Write(x);
}

void Translator::WriteJoined(size_t from, size_t to, const std::string& op, size_t offset,
                             const std::function<void(size_t)>& item) {
  if (to - from == 1) {
    item(from);
    return;
  }
  const size_t middle = from + (to - from) / 2;
  w_.Put("(", offset);
  WriteJoined(from, middle, op, offset, item);
  w_.Raw(" " + op + " ");
  WriteJoined(middle, to, op, offset, item);
  w_.Raw(")");
}

void Translator::WriteChain(Expr& e) {
  // ORA$CHAIN's layout: how each operand is read, and the operators between them.
  auto read = [](int type, const std::string& op) {
    if (type == kTypeDate) return 'D';
    return op == "||" || IsText(type) ? 'T' : 'N';
  };
  auto opChar = [](const std::string& op) { return op == "||" ? '|' : op[0]; };
  const size_t n = e.args.size();
  // The type of the chain up to each operand, for reading the call before in the next.
  std::vector<int> typeUpTo(n);
  typeUpTo[0] = e.args[0]->type;
  for (size_t k = 1; k < n; ++k)
    typeUpTo[k] = ChainType(e.ops[k - 1], typeUpTo[k - 1], e.args[k]->type);
  // A call takes at most kChainOperands; a longer chain goes on in a call whose first
  // operand is the call before.
  std::vector<size_t> starts = {0};
  for (size_t next = kChainOperands; next < n; next += kChainOperands - 1) starts.push_back(next);
  auto end = [&](size_t call) { return call + 1 < starts.size() ? starts[call + 1] : n; };
  for (size_t call = starts.size(); call-- > 0;) {
    const size_t from = starts[call];
    std::string layout(
        1, call == 0 ? read(e.args[0]->type, e.ops[0]) : read(typeUpTo[from - 1], e.ops[from - 1]));
    for (size_t k = call == 0 ? 1 : from; k < end(call); ++k) {
      layout += opChar(e.ops[k - 1]);
      layout += read(e.args[k]->type, e.ops[k - 1]);
    }
    w_.Put("ORA$CHAIN('" + layout + "', ", e.offset);
  }
  for (size_t call = 0; call < starts.size(); ++call) {
    for (size_t k = starts[call]; k < end(call); ++k) {
      if (k > 0) w_.Raw(", ");
      Write(*e.args[k]);
    }
    w_.Raw(")");
  }
}

void Translator::Write(Expr& e) {
  switch (e.kind) {
    case ExprKind::Number:
      if (double v = ParseOracleNumber(e.text).value_or(0);
          v != 0 && !(v < kNumberOverflow && v >= kNumberUnderflow)) {
        // Beyond Oracle's range: the conversion overflows (or gives zero) when the
        // statement runs, in its turn among the other values.
        w_.Put("ORA$TO_NUMBER(" + QuoteString(e.text) + ")", e.offset);
        return;
      }
      w_.Put(e.text, e.offset);
      return;
    case ExprKind::String:
      w_.Put(QuoteString(e.text), e.offset);
      return;
    case ExprKind::Null:
      w_.Put("NULL", e.offset);
      return;
    case ExprKind::Bind:
      WriteBind(e.text, false, e.offset);
      return;
    case ExprKind::Name:
      WriteName(e);
      return;
    case ExprKind::Star:
      w_.Put("*", e.offset);
      return;
    case ExprKind::Call:
      WriteCall(e);
      return;
    case ExprKind::Unary:
      if (e.text == "PRIOR") {
        if (!priorTable_) {
          // Outside the condition: the parent's value the walk carried along.
          const Expr& col = *e.args[0];
          w_.Put(
              QuoteIdent(col.table->emitAlias) + "." + QuoteIdent("ORA$PRIOR$" + col.parts.back()),
              e.offset);
          return;
        }
        // In the condition: the parent row of the hierarchy.
        bool saved = inPrior_;
        inPrior_ = true;
        Write(*e.args[0]);
        inPrior_ = saved;
        return;
      }
      w_.Put("(" + e.text + " ", e.offset);
      Write(*e.args[0]);
      w_.Raw(")");
      return;
    case ExprKind::Binary:
      if (e.text == "AND" || e.text == "OR") {
        WriteJoined(0, e.args.size(), e.text, e.offset, [&](size_t i) { Write(*e.args[i]); });
      } else {
        WriteComparison(*e.args[0], e.text, *e.args[1], e.offset);
      }
      return;
    case ExprKind::Chain:
      WriteChain(e);
      return;
    case ExprKind::Like:
      w_.Put(e.negated ? "(NOT ORA$LIKE(" : "(ORA$LIKE(", e.offset);
      WriteArgs(e);
      w_.Raw("))");
      return;
    case ExprKind::Between: {
      Expr& v = *e.args[0];
      const auto low = PlanRow(OperandsOf(v), OperandsOf(*e.args[1]));
      const auto high = PlanRow(OperandsOf(v), OperandsOf(*e.args[2]));
      if (SameLeft(low, high)) {
        w_.Put("(", e.offset);
        WriteRow(v, low, true);
        w_.Raw(e.negated ? " NOT BETWEEN " : " BETWEEN ");
        WriteRow(*e.args[1], low, false);
        w_.Raw(" AND ");
        WriteRow(*e.args[2], high, false);
        w_.Raw(")");
        return;
      }
      // The value meets its bounds in different forms: a comparison with each.
      w_.Put(e.negated ? "(NOT (" : "((", e.offset);
      WriteComparison(v, ">=", *e.args[1], e.args[1]->offset);
      w_.Raw(" AND ");
      WriteComparison(v, "<=", *e.args[2], e.args[2]->offset);
      w_.Raw("))");
      return;
    }
    case ExprKind::In: {
      Expr& v = *e.args[0];
      if (e.query) {
        WriteInQuery(v, *e.query, e.negated, e.offset);
        return;
      }
      std::vector<std::vector<ComparePlan>> plans;
      bool alike = true;
      for (size_t i = 1; i < e.args.size(); ++i) {
        plans.push_back(PlanRow(OperandsOf(v), OperandsOf(*e.args[i])));
        alike = alike && SameLeft(plans.front(), plans.back());
      }
      if (!alike) {
        // The value meets its items in different forms: a comparison with each.
        w_.Put(e.negated ? "(NOT " : "(", e.offset);
        WriteJoined(1, e.args.size(), "OR", e.offset,
                    [&](size_t i) { WriteComparison(v, "=", *e.args[i], e.args[i]->offset); });
        w_.Raw(")");
        return;
      }
      w_.Put("(", e.offset);
      WriteRow(v, plans.front(), true);
      w_.Raw(e.negated ? " NOT IN (" : " IN (");
      for (size_t i = 1; i < e.args.size(); ++i) {
        if (i > 1) w_.Raw(", ");
        WriteRow(*e.args[i], plans[i - 1], false);
      }
      w_.Raw("))");
      return;
    }
    case ExprKind::Quantified: {
      const std::string& op = e.text;
      const bool all = e.text2 == "ALL";
      Expr& v = *e.args[0];
      if (e.query) {
        if ((op == "=" && !all) || (op == "<>" && all)) {
          WriteInQuery(v, *e.query, all, e.offset);
          return;
        }
        // ANY is TRUE when a row compares TRUE, ALL FALSE when one compares FALSE; else
        // NULL when a comparison is, and otherwise the other.
        const auto& items = FirstItems(*e.query);
        const auto plans = PlanRow(OperandsOf(v), ColumnOperands(items));
        const std::string col = QuoteIdent("ORA$Q") + "." + QuoteIdent(ItemName(items[0]));
        auto exists = [&](const char* before, const char* after) {
          w_.Raw("EXISTS (SELECT 1 FROM (");
          WriteQueryFor(*e.query, plans);
          w_.Raw(") " + QuoteIdent("ORA$Q") + " WHERE " + before + "(");
          WriteRow(v, plans, true);
          w_.Raw(" " + op + " " + col + ")" + after + ")");
        };
        w_.Put("(CASE WHEN ", e.offset);
        exists(all ? "NOT " : "", "");
        w_.Raw(all ? " THEN 0 WHEN " : " THEN 1 WHEN ");
        exists("", " IS NULL");
        w_.Raw(all ? " THEN NULL ELSE 1 END)" : " THEN NULL ELSE 0 END)");
        return;
      }
      w_.Put("(", e.offset);
      WriteJoined(1, e.args.size(), all ? "AND" : "OR", e.offset,
                  [&](size_t i) { WriteComparison(v, op, *e.args[i], e.args[i]->offset); });
      w_.Raw(")");
      return;
    }
    case ExprKind::IsNull:
      w_.Put("(", e.offset);
      Write(*e.args[0]);
      w_.Raw(e.negated ? " IS NOT NULL)" : " IS NULL)");
      return;
    case ExprKind::Exists:
      w_.Put("(EXISTS (", e.offset);
      WriteQuery(*e.query);
      w_.Raw("))");
      return;
    case ExprKind::Subquery:
      // Through an aggregate that refuses a second row.
      w_.Put("(WITH \"ORA$ROW\"(\"V\") AS (", e.offset);
      WriteQuery(*e.query);
      w_.Raw(") SELECT ORA$SINGLE_ROW(\"V\") FROM \"ORA$ROW\")");
      return;
    case ExprKind::Case: {
      w_.Put("(CASE", e.offset);
      const size_t end = e.args.size() - (e.hasElse ? 1 : 0);
      // CASE x WHEN y compares as x = y does: written once when every WHEN meets the
      // operand in one form, else as a search of comparisons.
      std::vector<std::vector<ComparePlan>> plans;
      bool alike = true;
      if (e.hasOperand) {
        for (size_t i = 1; i < end; i += 2) {
          plans.push_back(PlanRow(OperandsOf(*e.args[0]), OperandsOf(*e.args[i])));
          alike = alike && SameLeft(plans.front(), plans.back());
        }
        if (alike && !plans.empty()) {
          w_.Raw(" ");
          WriteRow(*e.args[0], plans.front(), true);
        }
      }
      for (size_t i = e.hasOperand ? 1 : 0; i < end; i += 2) {
        w_.Raw(" WHEN ");
        if (!e.hasOperand) {
          Write(*e.args[i]);
        } else if (alike) {
          WriteRow(*e.args[i], plans[i / 2], false);
        } else {
          WriteComparison(*e.args[0], "=", *e.args[i], e.args[i]->offset);
        }
        w_.Raw(" THEN ");
        Write(*e.args[i + 1]);
      }
      if (e.hasElse) {
        w_.Raw(" ELSE ");
        Write(*e.args.back());
      }
      w_.Raw(" END)");
      return;
    }
    case ExprKind::List:
      w_.Put("(", e.offset);
      WriteArgs(e);
      w_.Raw(")");
      return;
  }
}

// ---------------------------------------------------------------------------------------
// Entry points

Translation Translator::Run() {
  // A text literal of SQL holds at most 2,000 characters.
  for (const Token& t : tokens_)
    if (t.kind == TokenKind::String && t.value.size() > 2000)
      throw EngineError(kOraStringLiteralTooLong, {}, int(t.offset));
  StatementInfo info = Classify(text_, tokens_);
  result_.info = info;
  result_.functionCode = info.functionCode;
  if (info.functionCode == 0) {
    throw EngineError(900, {}, tokens_.empty() ? 0 : int(tokens_[0].offset));
  }
  switch (info.functionCode) {
    case kFcSelect:
      Select();
      break;
    case kFcInsert:
    case kFcUpdate:
    case kFcDelete:
      if (ThroughView()) return std::move(result_);
      if (info.functionCode == kFcInsert)
        Insert();
      else if (info.functionCode == kFcUpdate)
        Update();
      else
        Delete();
      break;
    case kFcCreateTable:
      CreateTable();
      break;
    case kFcCreateView:
    case kFcCreateIndex:
    case kFcCreateSequence:
    case kFcCreateSynonym: {
      p_.Expect("CREATE", 900);
      bool orReplace = false;
      if (p_.Accept("OR")) {
        p_.Expect("REPLACE", 922);
        orReplace = true;
      }
      bool isPublic = p_.Accept("PUBLIC");
      bool unique = p_.Accept("UNIQUE");
      p_.Accept("BITMAP");
      if (p_.Accept("FORCE") || p_.Accept("NOFORCE")) {
      }
      if (info.functionCode == kFcCreateView) {
        p_.Expect("VIEW", 901);
        CreateView(orReplace);
      } else if (info.functionCode == kFcCreateIndex) {
        p_.Expect("INDEX", 901);
        CreateIndex(unique);
      } else if (info.functionCode == kFcCreateSequence) {
        p_.Expect("SEQUENCE", 901);
        CreateSequence(false);
      } else {
        p_.Expect("SYNONYM", 901);
        CreateSynonym(orReplace, isPublic);
      }
      break;
    }
    case kFcAlterSequence:
      p_.Expect("ALTER", 900);
      p_.Expect("SEQUENCE", 900);
      CreateSequence(true);
      break;
    case kFcDropTable:
    case kFcDropView:
    case kFcDropIndex:
    case kFcDropSequence:
    case kFcDropSynonym:
      Drop();
      break;
    case kFcAlterTable:
      AlterTable();
      break;
    case kFcTruncateTable:
      Truncate();
      break;
    case kFcComment:
      Comment();
      break;
    case kFcLock:
      Lock();
      break;
    case kFcRename:
      Rename();
      break;
    default:
      // The engine's statements (PL/SQL, transactions, sessions, users, grants, ...).
      break;
  }
  result_.sql = std::move(w_.Text());
  result_.offsets = std::move(w_.Map());
  if (result_.sql.empty()) {
    // Binds of statements the engine runs itself are the classifier's.
    result_.binds = info.binds;
    result_.variableBinds.assign(result_.binds.size(), false);
  }
  return std::move(result_);
}

Translation Translator::RunExpression() {
  if (tokens_.empty()) throw EngineError(936, {}, 0);
  ExprPtr e = p_.Expression();
  p_.Accept(";");
  if (!p_.AtEnd()) p_.Fail(933);
  Scope scope;
  Prepare(*e, scope);
  Write(*e);
  result_.sql = std::move(w_.Text());
  result_.offsets = std::move(w_.Map());
  result_.columnTypeHints.push_back(e->kind == ExprKind::Null ? kTypeVarchar2 : e->type);
  result_.columnSizeHints.push_back(TextWidth(*e, ctx_.dateFormat));
  return std::move(result_);
}

Translation Translate(std::string_view text, const TranslateContext& context) {
  Translator t(text, context);
  return t.Run();
}

Translation TranslateExpression(std::string_view text, const TranslateContext& context) {
  Translator t(text, context);
  return t.RunExpression();
}

}  // namespace tess::oci7
