// The statements around the queries: DML with Oracle's implicit conversions into the
// target columns, and the DDL the dialect writes for SQLite (tables, views, indexes) or
// only describes for the engine's catalog (sequences, synonyms, comments, locks).
#include <algorithm>
#include <set>

#include "oci7/dialect/translator.h"

namespace tess::oci7 {

using ast::Expr;
using ast::ExprKind;
using ast::ExprPtr;

void Translator::RegisterBinds(const std::vector<size_t>& skipOffsets) {
  for (size_t i = 0; i < tokens_.size(); ++i) {
    const Token& t = tokens_[i];
    if (t.kind != TokenKind::Bind) continue;
    if (std::find(skipOffsets.begin(), skipOffsets.end(), t.offset) != skipOffsets.end()) continue;
    // Indicator variables (:v:i, :v INDICATOR :i) are no placeholders of their own.
    if (i > 0 && tokens_[i - 1].kind == TokenKind::Bind &&
        tokens_[i - 1].offset + tokens_[i - 1].length == t.offset) {
      continue;
    }
    if (i > 1 && tokens_[i - 1].Is("INDICATOR") && tokens_[i - 2].kind == TokenKind::Bind) continue;
    if (std::find(result_.binds.begin(), result_.binds.end(), t.value) == result_.binds.end()) {
      result_.binds.push_back(t.value);
      result_.variableBinds.push_back(false);
    }
  }
}

void Translator::Select() {
  ast::QueryPtr q = p_.Query();
  p_.ExpectEnd();
  std::vector<size_t> skip;
  if (q->block) {
    for (auto& into : q->block->into) {
      if (into->kind == ExprKind::Bind) skip.push_back(into->offset);
    }
  }
  RegisterBinds(skip);
  PrepareQuery(*q, nullptr);
  WriteQuery(*q, nullptr, true);
}

std::string Translator::DmlTable(ast::TableRef& t) {
  return PhysicalName(t.resolved.owner, t.resolved.name) + " AS " + QuoteIdent(t.emitAlias);
}

namespace {

std::unique_ptr<ast::TableRef> DmlTarget(Parser& p) {
  auto t = std::make_unique<ast::TableRef>();
  if (p.AtEnd() || !p.IsIdentifier()) p.Fail(903);
  p.ObjectName(t->owner, t->name, t->link, t->offset, 903);
  if (p.IsIdentifier()) t->alias = p.Identifier(933, &t->aliasOffset);
  return t;
}

const ColumnInfo* FindColumn(const ast::TableRef& t, const std::string& name) {
  for (const auto& c : t.columns) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace

void Translator::Insert() {
  p_.Expect("INSERT", 900);
  p_.Expect("INTO", 925);
  auto t = DmlTarget(p_);
  std::vector<std::string> cols;
  std::vector<size_t> colOffsets;
  if (p_.IsOp("(") && !p_.IsWord("SELECT", 1)) {
    p_.Next();
    do {
      size_t off = 0;
      cols.push_back(p_.Identifier(904, &off));
      colOffsets.push_back(off);
    } while (p_.Accept(","));
    p_.Expect(")", 907);
  }
  std::vector<ExprPtr> values;
  ast::QueryPtr query;
  size_t valuesOffset = p_.Here();
  if (p_.Accept("VALUES")) {
    p_.Expect("(", 906);
    values = p_.ExpressionList();
    p_.Expect(")", 907);
  } else if (p_.IsWord("SELECT") || p_.IsOp("(")) {
    query = p_.Query();
  } else {
    p_.Fail(926);
  }
  p_.ExpectEnd();
  RegisterBinds({});
  PrepareTable(*t, nullptr);
  result_.dmlTable = t->resolved;

  std::vector<ColumnInfo> targets;
  bool typed = t->hasColumns;
  if (cols.empty() && typed) {
    targets = t->columns;
  } else {
    std::set<std::string> seen;
    for (size_t i = 0; i < cols.size(); ++i) {
      if (!seen.insert(cols[i]).second) throw EngineError(957, {}, int(colOffsets[i]));
      ColumnInfo c;
      c.name = cols[i];
      if (typed) {
        const ColumnInfo* found = FindColumn(*t, cols[i]);
        if (!found) throw EngineError(904, cols[i], int(colOffsets[i]));
        c = *found;
      }
      targets.push_back(c);
    }
  }
  w_.Put("INSERT INTO " + PhysicalName(t->resolved.owner, t->resolved.name), t->offset);
  if (!targets.empty()) {
    w_.Raw(" (");
    for (size_t i = 0; i < targets.size(); ++i)
      w_.Raw((i ? ", " : "") + QuoteIdent(targets[i].name));
    w_.Raw(")");
  }
  if (query) {
    PrepareQuery(*query, nullptr);
    w_.Raw(" ");
    WriteQuery(*query, typed ? &targets : nullptr, false);
    return;
  }
  if (!targets.empty() && targets.size() != values.size()) {
    throw EngineError(targets.size() > values.size() ? 947 : 913, {}, int(valuesOffset));
  }
  Scope empty;
  for (auto& v : values) Prepare(*v, empty);
  w_.Put(" VALUES (", valuesOffset);
  for (size_t i = 0; i < values.size(); ++i) {
    if (i) w_.Raw(", ");
    if (typed) {
      WriteForColumn(*values[i], targets[i]);
    } else {
      Write(*values[i]);
    }
  }
  w_.Raw(")");
}

void Translator::Update() {
  p_.Expect("UPDATE", 900);
  auto t = DmlTarget(p_);
  p_.Expect("SET", 971);
  struct Assignment {
    std::vector<std::string> cols;
    std::vector<size_t> offsets;
    ExprPtr value;  // a value, or a subquery for a column list
  };
  std::vector<Assignment> sets;
  do {
    Assignment a;
    if (p_.Accept("(")) {
      do {
        size_t off = 0;
        a.cols.push_back(p_.Identifier(904, &off));
        a.offsets.push_back(off);
      } while (p_.Accept(","));
      p_.Expect(")", 907);
      p_.Expect("=", 927);
      if (!p_.IsOp("(") || !p_.IsWord("SELECT", 1)) p_.Fail(928);
      a.value = p_.Expression();
    } else {
      size_t off = 0;
      std::string col = p_.Identifier(904, &off);
      // t.col = ... is allowed with the table's name or alias.
      if (p_.Accept(".")) col = p_.Identifier(904, &off);
      a.cols.push_back(col);
      a.offsets.push_back(off);
      p_.Expect("=", 927);
      a.value = p_.Expression();
    }
    sets.push_back(std::move(a));
  } while (p_.Accept(","));
  ExprPtr where;
  if (p_.Accept("WHERE")) where = p_.Expression();
  p_.ExpectEnd();
  RegisterBinds({});
  PrepareTable(*t, nullptr);
  result_.dmlTable = t->resolved;
  Scope scope;
  scope.tables.push_back(t.get());
  std::vector<std::unique_ptr<Expr>> limits = TakeRownumLimits(where, scope);
  for (auto& a : sets) {
    if (a.cols.size() > 1) {
      if (a.value->kind != ExprKind::Subquery) throw EngineError(928, {}, int(a.value->offset));
      PrepareQuery(*a.value->query, &scope);
    } else {
      Prepare(*a.value, scope);
    }
  }
  if (where) Prepare(*where, scope);

  w_.Put("UPDATE " + DmlTable(*t), t->offset);
  for (size_t i = 0; i < sets.size(); ++i) {
    auto& a = sets[i];
    std::vector<ColumnInfo> targets;
    for (size_t k = 0; k < a.cols.size(); ++k) {
      ColumnInfo c;
      c.name = a.cols[k];
      if (t->hasColumns) {
        const ColumnInfo* found = FindColumn(*t, a.cols[k]);
        if (!found) throw EngineError(904, a.cols[k], int(a.offsets[k]));
        c = *found;
      }
      targets.push_back(c);
    }
    w_.Put(i == 0 ? " SET " : ", ", a.offsets[0]);
    if (a.cols.size() == 1) {
      w_.Raw(QuoteIdent(a.cols[0]) + " = ");
      if (t->hasColumns) {
        WriteForColumn(*a.value, targets[0]);
      } else {
        Write(*a.value);
      }
    } else {
      w_.Raw("(");
      for (size_t k = 0; k < a.cols.size(); ++k) w_.Raw((k ? ", " : "") + QuoteIdent(a.cols[k]));
      w_.Raw(") = (");
      WriteQuery(*a.value->query, t->hasColumns ? &targets : nullptr, false);
      w_.Raw(")");
    }
  }
  WriteDmlWhere(*t, where, limits);
}

void Translator::Delete() {
  p_.Expect("DELETE", 900);
  p_.Accept("FROM");
  auto t = DmlTarget(p_);
  ExprPtr where;
  if (p_.Accept("WHERE")) where = p_.Expression();
  p_.ExpectEnd();
  RegisterBinds({});
  PrepareTable(*t, nullptr);
  result_.dmlTable = t->resolved;
  Scope scope;
  scope.tables.push_back(t.get());
  std::vector<std::unique_ptr<Expr>> limits = TakeRownumLimits(where, scope);
  if (where) Prepare(*where, scope);
  w_.Put("DELETE FROM " + DmlTable(*t), t->offset);
  WriteDmlWhere(*t, where, limits);
}

std::vector<std::unique_ptr<Expr>> Translator::TakeRownumLimits(ExprPtr& where, Scope& scope) {
  std::vector<Expr*> raw;
  ExtractRownumLimit(where, raw);
  std::vector<std::unique_ptr<Expr>> limits;
  for (Expr* l : raw) {
    limits.emplace_back(l);
    for (size_t i = 1; i < l->args.size(); ++i) Prepare(*l->args[i], scope);
  }
  return limits;
}

// ROWNUM limits the rows an UPDATE or DELETE touches: the first rows of the table that
// satisfy the rest of the condition.
void Translator::WriteDmlWhere(ast::TableRef& t, ExprPtr& where,
                               std::vector<std::unique_ptr<Expr>>& limits) {
  if (limits.empty()) {
    if (where) {
      w_.Put(" WHERE ", where->offset);
      Write(*where);
    }
    return;
  }
  w_.Put(" WHERE rowid IN (SELECT " + QuoteIdent(t.emitAlias) + ".rowid FROM " + DmlTable(t),
         limits[0]->offset);
  if (where) {
    w_.Put(" WHERE ", where->offset);
    Write(*where);
  }
  w_.Raw(" ORDER BY " + QuoteIdent(t.emitAlias) + ".rowid");
  WriteRownumLimit(limits);
  w_.Raw(")");
}

// ---------------------------------------------------------------------------------------
// DDL

// A literal that already suits its column is written as it stands: SQLite takes only
// constants as the default of a column added later.
void Translator::WriteDefault(Expr& e, const ColumnInfo& column) {
  int code = column.type.code;
  bool literalFits =
      e.kind == ExprKind::Null ||
      (e.kind == ExprKind::Number && code == kTypeNumber && column.type.precision == 0) ||
      (e.kind == ExprKind::String && (code == kTypeVarchar2 || code == kTypeLong) &&
       (code == kTypeLong || int(e.text.size()) <= column.type.size));
  w_.Put(" DEFAULT (", e.offset);
  if (literalFits) {
    Write(e);
  } else {
    WriteForColumn(e, column);
  }
  w_.Raw(")");
}

OracleType Translator::ColumnType() {
  OracleType t;
  size_t at = p_.Here();
  if (p_.AtEnd() || p_.Peek()->kind != TokenKind::Word) p_.Fail(902);
  std::string w = p_.Next().value;
  auto number = [&](int error) -> int {
    const Token* n = p_.Peek();
    if (!n || n->kind != TokenKind::Number) p_.Fail(error);
    p_.Next();
    if (n->value.find_first_not_of("0123456789") != std::string::npos || n->value.size() > 9)
      p_.Fail(error);
    return std::stoi(n->value);
  };
  auto size = [&](bool required, int dflt, int max) -> int {
    if (!p_.IsOp("(")) {
      if (required) p_.Fail(906);
      return dflt;
    }
    p_.Next();
    size_t off = p_.Here();
    int n = number(910);
    p_.Accept("BYTE") || p_.Accept("CHAR");
    p_.Expect(")", 907);
    if (n == 0) throw EngineError(1723, {}, int(off));
    if (n > max) throw EngineError(910, {}, int(off));
    return n;
  };
  if (w == "VARCHAR2" || w == "VARCHAR" || w == "NVARCHAR2") {
    t.code = kTypeVarchar2;
    t.size = size(true, 0, 2000);
  } else if (w == "CHAR" || w == "CHARACTER" || w == "NCHAR") {
    if (p_.Accept("VARYING")) {
      t.code = kTypeVarchar2;
      t.size = size(true, 0, 2000);
    } else {
      t.code = kTypeChar;
      t.size = size(false, 1, 255);
    }
  } else if (w == "NUMBER" || w == "NUMERIC" || w == "DECIMAL" || w == "DEC") {
    t.code = kTypeNumber;
    t.size = 22;
    bool ansi = w != "NUMBER";
    if (p_.Accept("(")) {
      size_t off = p_.Here();
      if (p_.Accept("*")) {
        t.precision = 38;
      } else {
        t.precision = number(1727);
        if (t.precision < 1 || t.precision > 38) throw EngineError(1727, {}, int(off));
      }
      if (p_.Accept(",")) {
        size_t soff = p_.Here();
        bool neg = p_.Accept("-");
        int s = number(1728);
        t.scale = neg ? -s : s;
        if (t.scale < -84 || t.scale > 127) throw EngineError(1728, {}, int(soff));
      }
      p_.Expect(")", 907);
      (void)off;
    } else if (ansi) {
      t.precision = 38;
    }
  } else if (w == "INTEGER" || w == "INT" || w == "SMALLINT") {
    t.code = kTypeNumber;
    t.size = 22;
    t.precision = 38;
  } else if (w == "FLOAT") {
    t.code = kTypeNumber;
    t.size = 22;
    t.scale = -127;
    t.precision = 126;
    if (p_.Accept("(")) {
      size_t off = p_.Here();
      t.precision = number(1724);
      if (t.precision < 1 || t.precision > 126) throw EngineError(1724, {}, int(off));
      p_.Expect(")", 907);
    }
  } else if (w == "REAL") {
    t = OracleType{kTypeNumber, 22, 63, -127};
  } else if (w == "DOUBLE") {
    p_.Expect("PRECISION", 902);
    t = OracleType{kTypeNumber, 22, 126, -127};
  } else if (w == "DATE") {
    t = OracleType{kTypeDate, 7, 0, 0};
  } else if (w == "LONG") {
    if (p_.Accept("RAW")) {
      t.code = kTypeLongRaw;
    } else {
      p_.Accept("VARCHAR");
      t.code = kTypeLong;
    }
  } else if (w == "RAW") {
    t.code = kTypeRaw;
    t.size = size(true, 0, 255);
  } else if (w == "ROWID") {
    t = OracleType{kTypeRowid, 6, 0, 0};
  } else if (w == "MLSLABEL") {
    t = OracleType{kTypeMlslabel, 255, 0, 0};
  } else {
    throw EngineError(902, {}, int(at));
  }
  return t;
}

void Translator::SkipPhysicalAttributes() {
  auto skipParens = [&] {
    if (!p_.Accept("(")) return;
    int depth = 1;
    while (depth > 0) {
      if (p_.AtEnd()) p_.Fail(907);
      const Token& t = p_.Next();
      if (t.Is("(")) ++depth;
      if (t.Is(")")) --depth;
    }
  };
  for (;;) {
    if (p_.Accept("TABLESPACE")) {
      p_.Identifier(922);
    } else if (p_.Accept("PCTFREE") || p_.Accept("PCTUSED") || p_.Accept("INITRANS") ||
               p_.Accept("MAXTRANS") || p_.Accept("FREELISTS")) {
      if (p_.AtEnd() || p_.Peek()->kind != TokenKind::Number) p_.Fail(922);
      p_.Next();
    } else if (p_.Accept("STORAGE")) {
      if (!p_.IsOp("(")) p_.Fail(906);
      skipParens();
    } else if (p_.Accept("CLUSTER")) {
      p_.Identifier(922);
      if (p_.Accept(".")) p_.Identifier(922);
      skipParens();
    } else if (p_.Accept("PARALLEL")) {
      if (p_.IsOp("(")) {
        skipParens();
      } else if (!p_.AtEnd() && p_.Peek()->kind == TokenKind::Number) {
        p_.Next();
      }
    } else if (p_.Accept("CACHE") || p_.Accept("NOCACHE") || p_.Accept("LOGGING") ||
               p_.Accept("NOLOGGING") || p_.Accept("NOPARALLEL") || p_.Accept("COMPRESS") ||
               p_.Accept("NOCOMPRESS") || p_.Accept("NOSORT") || p_.Accept("REVERSE") ||
               p_.Accept("RECOVERABLE") || p_.Accept("UNRECOVERABLE")) {
    } else {
      return;
    }
  }
}

std::string Translator::ConditionText(Expr& e, const std::vector<ColumnInfo>& columns) {
  (void)columns;
  const Token& first = tokens_[e.firstToken];
  const Token& last = tokens_[e.lastToken];
  return std::string(text_.substr(first.offset, last.offset + last.length - first.offset));
}

namespace {

struct ConstraintSpec {
  ConstraintDef def;
  size_t offset = 0;
  ExprPtr check;
  std::string refOwner, refName, refLink;
  size_t refOffset = 0;
  bool disabled = false;
};

struct ColumnSpec {
  ColumnDef def;
  size_t offset = 0;
  ExprPtr defaultExpr;
  std::vector<ConstraintSpec> constraints;
};

// [CONSTRAINT name] PRIMARY KEY | UNIQUE | NOT NULL | NULL | CHECK (...) | REFERENCES ...
// | FOREIGN KEY (...) REFERENCES ...; returns false when no constraint starts here.
bool ParseConstraint(Parser& p, bool tableLevel, ConstraintSpec& c, bool* isNull) {
  size_t start = p.Position();
  c.offset = p.Here();
  if (p.Accept("CONSTRAINT")) c.def.name = p.Identifier(904);
  auto columnList = [&](std::vector<std::string>& out) {
    p.Expect("(", 906);
    do {
      out.push_back(p.Identifier(904));
    } while (p.Accept(","));
    p.Expect(")", 907);
  };
  auto references = [&] {
    p.ObjectName(c.refOwner, c.refName, c.refLink, c.refOffset, 903);
    if (p.IsOp("(")) columnList(c.def.refColumns);
    if (p.Accept("ON")) {
      p.Expect("DELETE", 905);
      p.Expect("CASCADE", 905);
      c.def.deleteCascade = true;
    }
  };
  if (p.Accept("PRIMARY")) {
    p.Expect("KEY", 905);
    c.def.type = 'P';
    if (tableLevel) columnList(c.def.columns);
  } else if (p.Accept("UNIQUE")) {
    c.def.type = 'U';
    if (tableLevel) columnList(c.def.columns);
  } else if (!tableLevel && p.IsWord("NOT") && p.IsWord("NULL", 1)) {
    p.Next();
    p.Next();
    c.def.type = 'C';
    c.def.searchCondition = "NOT NULL";
  } else if (!tableLevel && p.IsWord("NULL")) {
    p.Next();
    if (isNull) *isNull = true;
    return c.def.name.empty() ? true : (p.Fail(922), true);
  } else if (p.Accept("CHECK")) {
    c.def.type = 'C';
    p.Expect("(", 906);
    c.check = p.Expression();
    p.Expect(")", 907);
  } else if (!tableLevel && p.Accept("REFERENCES")) {
    c.def.type = 'R';
    references();
  } else if (tableLevel && p.Accept("FOREIGN")) {
    p.Expect("KEY", 905);
    c.def.type = 'R';
    columnList(c.def.columns);
    p.Expect("REFERENCES", 905);
    references();
  } else {
    if (p.Position() != start) p.Fail(902);
    return false;
  }
  // Index and state options the storage does not need.
  for (;;) {
    if (p.Accept("USING")) {
      p.Expect("INDEX", 905);
      // The storage clause of the index.
      while (!p.AtEnd() && (p.IsWord("TABLESPACE") || p.IsWord("PCTFREE") || p.IsWord("INITRANS") ||
                            p.IsWord("MAXTRANS") || p.IsWord("STORAGE"))) {
        std::string w = p.Next().value;
        if (w == "STORAGE") {
          p.Expect("(", 906);
          int depth = 1;
          while (depth > 0) {
            if (p.AtEnd()) p.Fail(907);
            const Token& t = p.Next();
            if (t.Is("(")) ++depth;
            if (t.Is(")")) --depth;
          }
        } else {
          p.Next();
        }
      }
    } else if (p.Accept("ENABLE")) {
    } else if (p.Accept("DISABLE")) {
      c.disabled = c.def.disabled = true;
    } else if (p.Accept("EXCEPTIONS")) {
      p.Expect("INTO", 925);
      std::string o, n, l;
      size_t off = 0;
      p.ObjectName(o, n, l, off, 903);
    } else {
      break;
    }
  }
  return true;
}

}  // namespace

size_t Translator::DdlObject(const char* verb, const char* objectType, std::string* link) {
  DdlInfo& ddl = result_.ddl;
  ddl.verb = verb;
  ddl.objectType = objectType;
  std::string written;
  size_t nameOffset = 0;
  p_.ObjectName(ddl.owner, ddl.name, written, nameOffset, 903);
  ddl.owner = OwnerOrCurrent(ddl.owner);
  if (link) *link = std::move(written);
  return nameOffset;
}

void Translator::CreateTable() {
  inDdl_ = true;
  p_.Expect("CREATE", 900);
  p_.Expect("TABLE", 901);
  std::string link;
  const size_t nameOffset = DdlObject("CREATE", "TABLE", &link);
  if (!link.empty()) throw EngineError(2021, {}, int(nameOffset));
  DdlInfo& ddl = result_.ddl;

  std::vector<ColumnSpec> cols;
  std::vector<ConstraintSpec> tableConstraints;
  bool namesOnly = false;  // CREATE TABLE t (a, b) AS SELECT
  if (p_.Accept("(")) {
    do {
      ConstraintSpec tc;
      if (ParseConstraint(p_, true, tc, nullptr)) {
        tableConstraints.push_back(std::move(tc));
        continue;
      }
      ColumnSpec c;
      c.def.name = p_.Identifier(904, &c.offset);
      if (p_.IsOp(",") || p_.IsOp(")")) {
        namesOnly = true;
        cols.push_back(std::move(c));
        continue;
      }
      c.def.type = ColumnType();
      for (;;) {
        if (p_.Accept("DEFAULT")) {
          size_t first = p_.Position();
          c.defaultExpr = p_.Expression();
          const Token& a = tokens_[first];
          const Token& b = tokens_[p_.Position() - 1];
          c.def.defaultText = std::string(text_.substr(a.offset, b.offset + b.length - a.offset));
          continue;
        }
        ConstraintSpec cc;
        bool isNull = false;
        if (!ParseConstraint(p_, false, cc, &isNull)) break;
        if (isNull) continue;
        cc.def.columns = {c.def.name};
        if (cc.def.searchCondition == "NOT NULL") {
          c.def.nullable = false;
          cc.def.searchCondition = QuoteIdent(c.def.name) + " IS NOT NULL";
        }
        c.constraints.push_back(std::move(cc));
      }
      cols.push_back(std::move(c));
    } while (p_.Accept(","));
    p_.Expect(")", 907);
  }
  SkipPhysicalAttributes();
  ast::QueryPtr query;
  if (p_.Accept("AS")) {
    query = p_.Query();
  } else if (namesOnly) {
    p_.Fail(905);
  }
  p_.ExpectEnd();
  if (cols.empty() && !query) throw EngineError(904, {}, int(p_.Here()));

  std::set<std::string> seen;
  for (auto& c : cols) {
    if (!seen.insert(c.def.name).second) throw EngineError(957, {}, int(c.offset));
  }

  const std::string phys = PhysicalName(ddl.owner, ddl.name);
  std::vector<ColumnInfo> known;
  if (query) {
    PrepareQuery(*query, nullptr);
    const auto& items = FirstItems(*query);
    bool typed = std::none_of(items.begin(), items.end(),
                              [](auto& i) { return i.expr->kind == ExprKind::Star; });
    if (!cols.empty() && cols.size() != items.size()) throw EngineError(1730, {}, int(nameOffset));
    if (!typed) {
      w_.Put("CREATE TABLE " + phys + " AS ", nameOffset);
      WriteQuery(*query);
      return;
    }
    for (size_t i = 0; i < items.size(); ++i) {
      ColumnDef d;
      d.name = cols.empty() ? ItemName(items[i]) : cols[i].def.name;
      const Expr& e = *items[i].expr;
      if (e.kind == ExprKind::Name && e.table && e.directColumn) {
        for (const auto& c : e.table->columns) {
          if (c.name == e.parts.back()) d.type = c.type;
        }
      }
      if (!d.type.code) {
        switch (e.type) {
          case kTypeDate:
            d.type = OracleType{kTypeDate, 7, 0, 0};
            break;
          case kTypeNumber:
            d.type = OracleType{kTypeNumber, 22, 0, 0};
            break;
          case kTypeRowid:
            d.type = OracleType{kTypeRowid, 6, 0, 0};
            break;
          case kTypeRaw:
            d.type = OracleType{kTypeRaw, 255, 0, 0};
            break;
          default:
            d.type = OracleType{kTypeVarchar2, 2000, 0, 0};
            break;
        }
      }
      ddl.columns.push_back(d);
    }
    w_.Put("CREATE TABLE " + phys + " (", nameOffset);
    for (size_t i = 0; i < ddl.columns.size(); ++i) {
      w_.Raw((i ? ", " : "") + QuoteIdent(ddl.columns[i].name) + " " +
             DeclaredTypeFor(ddl.columns[i].type));
    }
    w_.Raw("); INSERT INTO " + phys + " ");
    std::vector<ColumnInfo> targets;
    for (auto& d : ddl.columns) targets.push_back(ColumnInfo{d.name, d.type, true});
    WriteQuery(*query, &targets, false);
    return;
  }

  for (auto& c : cols) known.push_back(ColumnInfo{c.def.name, c.def.type, c.def.nullable});
  // CHECK conditions see the columns of the table being made, unqualified.
  ast::TableRef self;
  self.hasColumns = true;
  self.columns = known;
  self.directColumns.assign(known.size(), true);
  self.name = ddl.name;
  Scope checkScope;
  checkScope.tables.push_back(&self);

  auto nameOf = [&](ConstraintSpec& cs) {
    if (cs.def.name.empty() && ctx_.nameConstraint) cs.def.name = ctx_.nameConstraint();
  };
  auto writeReferences = [&](ConstraintSpec& cs) {
    std::string owner, name;
    if ((cs.refOwner.empty() || cs.refOwner == ddl.owner) && cs.refName == ddl.name &&
        cs.refLink.empty()) {
      owner = ddl.owner;
      name = ddl.name;
      for (const auto& rc : cs.def.refColumns) {
        if (std::none_of(known.begin(), known.end(), [&](auto& k) { return k.name == rc; })) {
          throw EngineError(904, rc, int(cs.refOffset));
        }
      }
    } else {
      ResolvedObject r = ResolveObject(cs.refOwner, cs.refName, cs.refLink, cs.refOffset, false);
      owner = r.owner;
      name = r.name;
    }
    cs.def.refOwner = owner;
    cs.def.refTable = name;
    w_.Raw(" REFERENCES " + PhysicalName(owner, name));
    if (!cs.def.refColumns.empty()) {
      w_.Raw("(");
      for (size_t k = 0; k < cs.def.refColumns.size(); ++k)
        w_.Raw((k ? ", " : "") + QuoteIdent(cs.def.refColumns[k]));
      w_.Raw(")");
    }
    if (cs.def.deleteCascade) w_.Raw(" ON DELETE CASCADE");
  };
  // A disabled foreign key is not written, but the catalog records what it refers to.
  auto resolveDisabled = [&](ConstraintSpec& cs) {
    if (cs.check) {
      Prepare(*cs.check, checkScope);
      cs.def.searchCondition = ConditionText(*cs.check, known);
      return;
    }
    if (cs.def.type != 'R') return;
    if ((cs.refOwner.empty() || cs.refOwner == ddl.owner) && cs.refName == ddl.name &&
        cs.refLink.empty()) {
      cs.def.refOwner = ddl.owner;
      cs.def.refTable = ddl.name;
      return;
    }
    ResolvedObject r = ResolveObject(cs.refOwner, cs.refName, cs.refLink, cs.refOffset, false);
    cs.def.refOwner = r.owner;
    cs.def.refTable = r.name;
  };
  auto writeCheck = [&](ConstraintSpec& cs) {
    Prepare(*cs.check, checkScope);
    cs.def.searchCondition = ConditionText(*cs.check, known);
    w_.Put(" CHECK (", cs.check->offset);
    Write(*cs.check);
    w_.Raw(")");
  };

  // The columns of an enabled primary key take no NULL (SQLite's keys would).
  std::set<std::string> keyColumns;
  for (const auto& cs : tableConstraints)
    if (cs.def.type == 'P' && !cs.disabled)
      keyColumns.insert(cs.def.columns.begin(), cs.def.columns.end());
  for (const auto& c : cols)
    for (const auto& cs : c.constraints)
      if (cs.def.type == 'P' && !cs.disabled) keyColumns.insert(c.def.name);

  w_.Put("CREATE TABLE " + phys + " (", nameOffset);
  for (size_t i = 0; i < cols.size(); ++i) {
    ColumnSpec& c = cols[i];
    w_.Put((i ? ", " : "") + QuoteIdent(c.def.name) + " " + DeclaredTypeFor(c.def.type), c.offset);
    if (c.defaultExpr) {
      Scope empty;
      Prepare(*c.defaultExpr, empty);
      WriteDefault(*c.defaultExpr, ColumnInfo{c.def.name, c.def.type, true});
    }
    if (c.def.nullable && keyColumns.count(c.def.name)) w_.Raw(" NOT NULL");
    for (auto& cs : c.constraints) {
      nameOf(cs);
      if (cs.disabled) {
        resolveDisabled(cs);
        ddl.constraints.push_back(cs.def);
        continue;
      }
      if (!cs.def.name.empty()) w_.Put(" CONSTRAINT " + QuoteIdent(cs.def.name), cs.offset);
      switch (cs.def.type) {
        case 'P':
          w_.Put(" PRIMARY KEY", cs.offset);
          break;
        case 'U':
          w_.Put(" UNIQUE", cs.offset);
          break;
        case 'R':
          writeReferences(cs);
          break;
        default:
          if (cs.check) {
            writeCheck(cs);
          } else {
            w_.Put(" NOT NULL", cs.offset);
          }
      }
      ddl.constraints.push_back(cs.def);
    }
    ddl.columns.push_back(c.def);
  }
  for (auto& cs : tableConstraints) {
    nameOf(cs);
    for (const auto& col : cs.def.columns) {
      if (std::none_of(known.begin(), known.end(), [&](auto& k) { return k.name == col; })) {
        throw EngineError(904, col, int(cs.offset));
      }
    }
    if (cs.disabled) {
      resolveDisabled(cs);
      ddl.constraints.push_back(cs.def);
      continue;
    }
    w_.Put(", ", cs.offset);
    if (!cs.def.name.empty()) w_.Raw("CONSTRAINT " + QuoteIdent(cs.def.name));
    auto colList = [&] {
      w_.Raw("(");
      for (size_t k = 0; k < cs.def.columns.size(); ++k)
        w_.Raw((k ? ", " : "") + QuoteIdent(cs.def.columns[k]));
      w_.Raw(")");
    };
    switch (cs.def.type) {
      case 'P':
        w_.Raw(" PRIMARY KEY ");
        colList();
        break;
      case 'U':
        w_.Raw(" UNIQUE ");
        colList();
        break;
      case 'R':
        w_.Raw(" FOREIGN KEY ");
        colList();
        writeReferences(cs);
        break;
      default:
        writeCheck(cs);
    }
    ddl.constraints.push_back(cs.def);
  }
  w_.Raw(")");
}

void Translator::CreateView(bool orReplace) {
  inDdl_ = true;
  DdlInfo& ddl = result_.ddl;
  ddl.orReplace = orReplace;
  const size_t nameOffset = DdlObject("CREATE", "VIEW");
  if (p_.Accept("(")) {
    do {
      ddl.indexColumns.push_back(p_.Identifier(904));
    } while (p_.Accept(","));
    p_.Expect(")", 907);
  }
  p_.Expect("AS", 905);
  size_t queryStart = p_.Position();
  ast::QueryPtr query = p_.Query();
  size_t queryEnd = p_.Position();
  // The option is the view's constraint, as the dictionary shows it: V (WITH CHECK
  // OPTION) or O (WITH READ ONLY).
  if (p_.Accept("WITH")) {
    ConstraintDef option;
    if (p_.Accept("CHECK")) {
      p_.Expect("OPTION", 905);
      option.type = 'V';
      if (p_.Accept("CONSTRAINT")) option.name = p_.Identifier(904);
    } else {
      p_.Expect("READ", 905);
      p_.Expect("ONLY", 905);
      option.type = 'O';
    }
    ddl.constraints.push_back(option);
  }
  p_.ExpectEnd();
  if (queryStart < tokens_.size()) {
    const Token& a = tokens_[queryStart];
    const Token& b = tokens_[queryEnd - 1];
    ddl.text = std::string(text_.substr(a.offset, b.offset + b.length - a.offset));
  }
  PrepareQuery(*query, nullptr);
  const auto& items = FirstItems(*query);
  if (!ddl.indexColumns.empty() && ddl.indexColumns.size() != items.size()) {
    throw EngineError(1730, {}, int(nameOffset));
  }
  for (size_t i = 0; i < items.size(); ++i) {
    const auto& item = items[i];
    const Expr& e = *item.expr;
    if (e.kind == ExprKind::Star) continue;
    if (ddl.indexColumns.empty() && item.alias.empty() && e.kind != ExprKind::Name) {
      throw EngineError(998, {}, int(e.offset));
    }
    ColumnDef d;
    d.name = ddl.indexColumns.empty() ? ItemName(item) : ddl.indexColumns[i];
    if (e.kind == ExprKind::Name && e.table && e.directColumn) {
      for (const auto& c : e.table->columns) {
        if (c.name == e.parts.back()) d.type = c.type;
      }
    }
    if (!d.type.code) d.type.code = e.type;
    ddl.columns.push_back(d);
  }
  const std::string phys = PhysicalName(ddl.owner, ddl.name);
  if (orReplace) w_.Put("DROP VIEW IF EXISTS " + phys + "; ", nameOffset);
  w_.Put("CREATE VIEW " + phys, nameOffset);
  if (!ddl.indexColumns.empty()) {
    w_.Raw(" (");
    for (size_t i = 0; i < ddl.indexColumns.size(); ++i)
      w_.Raw((i ? ", " : "") + QuoteIdent(ddl.indexColumns[i]));
    w_.Raw(")");
  }
  w_.Raw(" AS ");
  WriteQuery(*query);
}

void Translator::CreateIndex(bool unique) {
  inDdl_ = true;
  DdlInfo& ddl = result_.ddl;
  ddl.unique = unique;
  const size_t nameOffset = DdlObject("CREATE", "INDEX");
  p_.Expect("ON", 969);
  ast::TableRef t;
  p_.ObjectName(t.owner, t.name, t.link, t.offset, 903);
  std::vector<std::pair<std::string, bool>> cols;
  std::vector<size_t> offsets;
  p_.Expect("(", 906);
  do {
    size_t off = 0;
    std::string c = p_.Identifier(904, &off);
    bool desc = p_.Accept("DESC");
    if (!desc) p_.Accept("ASC");
    cols.emplace_back(c, desc);
    offsets.push_back(off);
  } while (p_.Accept(","));
  p_.Expect(")", 907);
  SkipPhysicalAttributes();
  p_.ExpectEnd();
  PrepareTable(t, nullptr);
  ddl.targetOwner = t.resolved.owner;
  ddl.targetName = t.resolved.name;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (t.hasColumns && !FindColumn(t, cols[i].first))
      throw EngineError(904, cols[i].first, int(offsets[i]));
    ddl.indexColumns.push_back(cols[i].first);
  }
  w_.Put(std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") +
             PhysicalName(ddl.owner, ddl.name),
         nameOffset);
  w_.Put(" ON " + PhysicalName(t.resolved.owner, t.resolved.name) + " (", t.offset);
  for (size_t i = 0; i < cols.size(); ++i) {
    w_.Put((i ? ", " : "") + QuoteIdent(cols[i].first) + (cols[i].second ? " DESC" : ""),
           offsets[i]);
  }
  w_.Raw(")");
}

void Translator::CreateSequence(bool alter) {
  inDdl_ = true;
  DdlInfo& ddl = result_.ddl;
  DdlObject(alter ? "ALTER" : "CREATE", "SEQUENCE");
  SequenceOptions& s = ddl.sequence;
  auto integer = [&]() -> int64_t {
    bool neg = p_.Accept("-");
    if (!neg) p_.Accept("+");
    const Token* t = p_.Peek();
    if (!t || t->kind != TokenKind::Number) p_.Fail(922);
    if (t->value.find_first_not_of("0123456789") != std::string::npos || t->value.size() > 18)
      p_.Fail(1722);
    p_.Next();
    int64_t v = std::stoll(t->value);
    return neg ? -v : v;
  };
  for (;;) {
    size_t at = p_.Here();
    if (p_.Accept("INCREMENT")) {
      p_.Expect("BY", 924);
      s.incrementBy = integer();
      if (*s.incrementBy == 0) throw EngineError(4002, {}, int(at));
    } else if (p_.Accept("START")) {
      p_.Expect("WITH", 970);
      s.startWith = integer();
    } else if (p_.Accept("MAXVALUE")) {
      s.maxValue = integer();
    } else if (p_.Accept("NOMAXVALUE")) {
      s.maxValue.reset();
    } else if (p_.Accept("MINVALUE")) {
      s.minValue = integer();
    } else if (p_.Accept("NOMINVALUE")) {
      s.minValue.reset();
    } else if (p_.Accept("CYCLE")) {
      s.cycle = true;
    } else if (p_.Accept("NOCYCLE")) {
      s.cycle = false;
    } else if (p_.Accept("CACHE")) {
      s.cache = integer();
    } else if (p_.Accept("NOCACHE")) {
      s.cache = 0;
    } else if (p_.Accept("ORDER")) {
      s.order = true;
    } else if (p_.Accept("NOORDER")) {
      s.order = false;
    } else {
      break;
    }
  }
  p_.ExpectEnd();
}

void Translator::CreateSynonym(bool orReplace, bool isPublic) {
  inDdl_ = true;
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "CREATE";
  ddl.objectType = "SYNONYM";
  ddl.orReplace = orReplace;
  ddl.isPublic = isPublic;
  std::string link;
  size_t nameOffset = 0;
  p_.ObjectName(ddl.owner, ddl.name, link, nameOffset, 903);
  if (isPublic && !ddl.owner.empty()) throw EngineError(933, {}, int(nameOffset));
  ddl.owner = isPublic ? "PUBLIC" : OwnerOrCurrent(ddl.owner);
  p_.Expect("FOR", 905);
  size_t off = 0;
  p_.ObjectName(ddl.targetOwner, ddl.targetName, ddl.targetLink, off, 903);
  if (ddl.targetOwner.empty() && ddl.targetLink.empty()) ddl.targetOwner = ctx_.currentUser;
  p_.ExpectEnd();
}

void Translator::Drop() {
  inDdl_ = true;
  p_.Expect("DROP", 900);
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "DROP";
  ddl.isPublic = p_.Accept("PUBLIC");
  ddl.objectType = p_.Next().value;
  std::string link;
  size_t nameOffset = 0;
  p_.ObjectName(ddl.owner, ddl.name, link, nameOffset, ddl.objectType == "TABLE" ? 903 : 904);
  ddl.owner = ddl.isPublic ? "PUBLIC" : OwnerOrCurrent(ddl.owner);
  if (ddl.objectType == "TABLE" && p_.Accept("CASCADE")) {
    p_.Expect("CONSTRAINTS", 905);
    ddl.cascadeConstraints = true;
  }
  p_.ExpectEnd();
  const std::string phys = PhysicalName(ddl.owner, ddl.name);
  if (ddl.objectType == "TABLE") {
    w_.Put("DROP TABLE " + phys, nameOffset);
  } else if (ddl.objectType == "VIEW") {
    w_.Put("DROP VIEW " + phys, nameOffset);
  } else if (ddl.objectType == "INDEX") {
    w_.Put("DROP INDEX " + phys, nameOffset);
  }
}

void Translator::AlterTable() {
  inDdl_ = true;
  p_.Expect("ALTER", 900);
  p_.Expect("TABLE", 900);
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "ALTER";
  ddl.objectType = "TABLE";
  ast::TableRef t;
  p_.ObjectName(t.owner, t.name, t.link, t.offset, 903);
  PrepareTable(t, nullptr);
  ddl.owner = t.resolved.owner;
  ddl.name = t.resolved.name;
  const std::string phys = PhysicalName(ddl.owner, ddl.name);
  std::vector<ColumnInfo> known = t.columns;

  // UNIQUE (columns) of DROP, ENABLE and DISABLE.
  auto keyColumns = [&] {
    std::vector<std::string> columns;
    p_.Expect("(", 906);
    do {
      columns.push_back(p_.Identifier(904));
    } while (p_.Accept(","));
    p_.Expect(")", 907);
    return columns;
  };
  // What a foreign key refers to, resolved for the catalog.
  auto resolveReference = [&](ConstraintSpec& cs) {
    ResolvedObject r = ResolveObject(cs.refOwner, cs.refName, cs.refLink, cs.refOffset, false);
    cs.def.refOwner = r.owner;
    cs.def.refTable = r.name;
  };
  auto columnDefs = [&](bool adding) {
    bool parens = p_.Accept("(");
    do {
      ConstraintSpec tc;
      if (adding && ParseConstraint(p_, true, tc, nullptr)) {
        if (tc.def.name.empty() && ctx_.nameConstraint) tc.def.name = ctx_.nameConstraint();
        if (tc.check) {
          Scope scope;
          scope.tables.push_back(&t);
          Prepare(*tc.check, scope);
          tc.def.searchCondition = ConditionText(*tc.check, known);
        }
        if (tc.def.type == 'R') resolveReference(tc);
        ddl.constraints.push_back(tc.def);
        continue;
      }
      ColumnDef d;
      size_t off = 0;
      d.name = p_.Identifier(904, &off);
      ExprPtr dflt;
      std::vector<ConstraintSpec> cons;
      if (!adding && (p_.IsOp(",") || p_.IsOp(")") || p_.AtEnd() || p_.IsWord("NOT") ||
                      p_.IsWord("NULL") || p_.IsWord("DEFAULT") || p_.IsWord("CONSTRAINT") ||
                      p_.IsWord("REFERENCES") || p_.IsWord("CHECK") || p_.IsWord("UNIQUE") ||
                      p_.IsWord("PRIMARY"))) {
        // MODIFY may leave the type as it is.
      } else {
        d.type = ColumnType();
      }
      for (;;) {
        if (p_.Accept("DEFAULT")) {
          size_t first = p_.Position();
          dflt = p_.Expression();
          const Token& a = tokens_[first];
          const Token& b = tokens_[p_.Position() - 1];
          d.defaultText = std::string(text_.substr(a.offset, b.offset + b.length - a.offset));
          continue;
        }
        ConstraintSpec cc;
        bool isNull = false;
        if (!ParseConstraint(p_, false, cc, &isNull)) break;
        if (isNull) continue;
        cc.def.columns = {d.name};
        if (cc.def.searchCondition == "NOT NULL") {
          d.nullable = false;
          cc.def.searchCondition = QuoteIdent(d.name) + " IS NOT NULL";
        }
        if (cc.def.name.empty() && ctx_.nameConstraint) cc.def.name = ctx_.nameConstraint();
        cons.push_back(std::move(cc));
      }
      if (adding) {
        if (std::any_of(known.begin(), known.end(), [&](auto& k) { return k.name == d.name; })) {
          throw EngineError(1430, {}, int(off));
        }
        if (w_.Size()) w_.Raw("; ");
        w_.Put("ALTER TABLE " + phys + " ADD COLUMN " + QuoteIdent(d.name) + " " +
                   DeclaredTypeFor(d.type),
               off);
        if (dflt) {
          Scope empty;
          Prepare(*dflt, empty);
          WriteDefault(*dflt, ColumnInfo{d.name, d.type, true});
        }
        for (auto& cc : cons) {
          if (cc.def.type == 'R') {
            resolveReference(cc);
            w_.Raw(" REFERENCES " + PhysicalName(cc.def.refOwner, cc.def.refTable));
            if (!cc.def.refColumns.empty()) {
              w_.Raw("(");
              for (size_t k = 0; k < cc.def.refColumns.size(); ++k) {
                w_.Raw((k ? ", " : "") + QuoteIdent(cc.def.refColumns[k]));
              }
              w_.Raw(")");
            }
          } else if (cc.def.type == 'C' && cc.check) {
            std::vector<ColumnInfo> withNew = known;
            withNew.push_back(ColumnInfo{d.name, d.type, true});
            ast::TableRef self;
            self.hasColumns = true;
            self.columns = withNew;
            self.directColumns.assign(withNew.size(), true);
            Scope scope;
            scope.tables.push_back(&self);
            Prepare(*cc.check, scope);
            cc.def.searchCondition = ConditionText(*cc.check, withNew);
            w_.Raw(" CHECK (");
            Write(*cc.check);
            w_.Raw(")");
          } else if (cc.def.type == 'C') {
            // SQLite adds a NOT NULL column only with a default; Oracle only to an empty table.
            if (dflt) w_.Raw(" NOT NULL");
          }
          ddl.constraints.push_back(cc.def);
        }
        known.push_back(ColumnInfo{d.name, d.type, d.nullable});
      } else {
        if (t.hasColumns &&
            std::none_of(known.begin(), known.end(), [&](auto& k) { return k.name == d.name; })) {
          throw EngineError(904, d.name, int(off));
        }
        for (auto& cc : cons) {
          if (cc.def.type == 'R') {
            resolveReference(cc);
          } else if (cc.check) {
            Scope scope;
            scope.tables.push_back(&t);
            Prepare(*cc.check, scope);
            cc.def.searchCondition = ConditionText(*cc.check, known);
          }
          ddl.constraints.push_back(cc.def);
        }
      }
      ddl.columns.push_back(d);
    } while (parens && p_.Accept(","));
    if (parens) p_.Expect(")", 907);
  };

  if (p_.Accept("ADD")) {
    ddl.alterAction = "ADD";
    columnDefs(true);
    // A unique or primary key added later is enforced by a unique index of its name.
    for (const auto& c : ddl.constraints) {
      if ((c.type == 'P' || c.type == 'U') && !c.name.empty() && !c.columns.empty()) {
        if (w_.Size()) w_.Raw("; ");
        w_.Put("CREATE UNIQUE INDEX " + PhysicalName(ddl.owner, c.name) + " ON " + phys + " (",
               t.offset);
        for (size_t k = 0; k < c.columns.size(); ++k)
          w_.Raw((k ? ", " : "") + QuoteIdent(c.columns[k]));
        w_.Raw(")");
      }
    }
  } else if (p_.Accept("MODIFY")) {
    ddl.alterAction = "MODIFY";
    columnDefs(false);
  } else if (p_.Accept("DROP")) {
    if (p_.Accept("CONSTRAINT")) {
      ddl.alterAction = "DROP CONSTRAINT";
      ConstraintDef c;
      c.name = p_.Identifier(904);
      ddl.constraints.push_back(c);
    } else if (p_.Accept("PRIMARY")) {
      p_.Expect("KEY", 905);
      ddl.alterAction = "DROP PRIMARY KEY";
    } else if (p_.Accept("UNIQUE")) {
      ddl.alterAction = "DROP UNIQUE";
      ConstraintDef c;
      c.type = 'U';
      c.columns = keyColumns();
      ddl.constraints.push_back(c);
    } else {
      p_.Fail(905);
    }
    p_.Accept("CASCADE");
  } else if (p_.Accept("RENAME")) {
    p_.Expect("TO", 905);
    ddl.alterAction = "RENAME";
    ddl.targetOwner = ddl.owner;
    ddl.targetName = p_.Identifier(903);
    w_.Put("ALTER TABLE " + phys + " RENAME TO " + PhysicalName(ddl.owner, ddl.targetName),
           t.offset);
  } else if ((p_.IsWord("ENABLE") || p_.IsWord("DISABLE")) &&
             (p_.IsWord("CONSTRAINT", 1) || p_.IsWord("PRIMARY", 1) || p_.IsWord("UNIQUE", 1))) {
    // ENABLE | DISABLE  CONSTRAINT name | PRIMARY KEY | UNIQUE (columns), repeated; each
    // ConstraintDef names its key and is `disabled` for the state it is to have.
    ddl.alterAction = "STATE";
    while (p_.IsWord("ENABLE") || p_.IsWord("DISABLE")) {
      ConstraintDef c;
      c.disabled = p_.Next().Is("DISABLE");
      if (p_.Accept("CONSTRAINT")) {
        c.name = p_.Identifier(904);
      } else if (p_.Accept("PRIMARY")) {
        p_.Expect("KEY", 905);
        c.type = 'P';
      } else {
        p_.Expect("UNIQUE", 905);
        c.type = 'U';
        c.columns = keyColumns();
      }
      for (;;) {
        if (p_.Accept("CASCADE")) {
          ddl.cascadeConstraints = true;
        } else if (p_.Accept("EXCEPTIONS")) {
          p_.Expect("INTO", 925);
          std::string o, n, l;
          size_t off = 0;
          p_.ObjectName(o, n, l, off, 903);
        } else if (p_.Accept("USING")) {
          p_.Expect("INDEX", 905);
          SkipPhysicalAttributes();
        } else {
          break;
        }
      }
      ddl.constraints.push_back(std::move(c));
    }
  } else {
    SkipPhysicalAttributes();
    ddl.alterAction = "STORAGE";
  }
  SkipPhysicalAttributes();
  p_.ExpectEnd();
}

void Translator::Truncate() {
  inDdl_ = true;
  p_.Expect("TRUNCATE", 900);
  p_.Expect("TABLE", 900);
  const size_t nameOffset = DdlObject("TRUNCATE", "TABLE");
  const DdlInfo& ddl = result_.ddl;
  if (p_.Accept("DROP") || p_.Accept("REUSE")) p_.Expect("STORAGE", 905);
  p_.ExpectEnd();
  w_.Put("DELETE FROM " + PhysicalName(ddl.owner, ddl.name), nameOffset);
}

void Translator::Comment() {
  inDdl_ = true;
  p_.Expect("COMMENT", 900);
  p_.Expect("ON", 969);
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "COMMENT";
  ast::TableRef t;
  if (p_.Accept("TABLE")) {
    ddl.objectType = "TABLE";
    p_.ObjectName(t.owner, t.name, t.link, t.offset, 903);
  } else if (p_.Accept("COLUMN")) {
    ddl.objectType = "COLUMN";
    size_t off = 0;
    std::vector<std::string> parts = {p_.Identifier(904, &off)};
    t.offset = off;
    while (p_.Accept(".")) parts.push_back(p_.Identifier(904));
    if (parts.size() < 2 || parts.size() > 3) throw EngineError(904, parts.back(), int(off));
    ddl.targetColumn = parts.back();
    t.name = parts[parts.size() - 2];
    if (parts.size() == 3) t.owner = parts[0];
  } else {
    p_.Fail(905);
  }
  p_.Expect("IS", 905);
  const Token* s = p_.Peek();
  if (!s || (s->kind != TokenKind::String)) p_.Fail(1780);
  ddl.text = s->value;
  p_.Next();
  p_.ExpectEnd();
  PrepareTable(t, nullptr);
  ddl.owner = ddl.targetOwner = t.resolved.owner;
  ddl.name = ddl.targetName = t.resolved.name;
  if (!ddl.targetColumn.empty() && t.hasColumns && !FindColumn(t, ddl.targetColumn)) {
    throw EngineError(904, ddl.targetColumn, int(t.offset));
  }
}

void Translator::Lock() {
  inDdl_ = true;
  p_.Expect("LOCK", 900);
  p_.Expect("TABLE", 900);
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "LOCK";
  ddl.objectType = "TABLE";
  std::vector<std::unique_ptr<ast::TableRef>> tables;
  do {
    auto t = std::make_unique<ast::TableRef>();
    p_.ObjectName(t->owner, t->name, t->link, t->offset, 903);
    tables.push_back(std::move(t));
  } while (p_.Accept(","));
  p_.Expect("IN", 905);
  std::string mode;
  while (!p_.AtEnd() && !p_.IsWord("MODE")) {
    const Token& w = p_.Next();
    if (w.kind != TokenKind::Word) p_.Fail(905);
    mode += (mode.empty() ? "" : " ") + w.value;
  }
  static const std::set<std::string> kModes = {"ROW SHARE", "ROW EXCLUSIVE",       "SHARE UPDATE",
                                               "SHARE",     "SHARE ROW EXCLUSIVE", "EXCLUSIVE"};
  if (!kModes.count(mode)) p_.Fail(905);
  p_.Expect("MODE", 905);
  bool nowait = p_.Accept("NOWAIT");
  p_.ExpectEnd();
  for (auto& t : tables) PrepareTable(*t, nullptr);
  ddl.owner = ddl.targetOwner = tables[0]->resolved.owner;
  ddl.name = ddl.targetName = tables[0]->resolved.name;
  ddl.text = mode + (nowait ? " NOWAIT" : "");
  for (auto& t : tables) ddl.indexColumns.push_back(t->resolved.owner + "." + t->resolved.name);
}

void Translator::Rename() {
  inDdl_ = true;
  p_.Expect("RENAME", 900);
  DdlInfo& ddl = result_.ddl;
  ddl.verb = "RENAME";
  ddl.objectType = "TABLE";
  size_t off = 0;
  ddl.name = p_.Identifier(903, &off);
  p_.Expect("TO", 905);
  ddl.targetName = p_.Identifier(903);
  p_.ExpectEnd();
  ddl.owner = ddl.targetOwner = ctx_.currentUser;
  w_.Put("ALTER TABLE " + PhysicalName(ddl.owner, ddl.name) + " RENAME TO " +
             PhysicalName(ddl.owner, ddl.targetName),
         off);
}

}  // namespace tess::oci7
