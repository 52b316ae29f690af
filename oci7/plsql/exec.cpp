// Statements: blocks with their exception handlers, control flow, embedded and dynamic
// SQL, explicit cursors and cursor variables, and transaction control.
#include <algorithm>
#include <cmath>

#include "oci7/dialect/dialect.h"
#include "oci7/plsql/interp.h"

namespace tess::oci7::plsql {
namespace {

struct Predefined {
  const char* name;
  int code;
};

const Predefined kPredefined[] = {
    {"NO_DATA_FOUND", 1403},
    {"TOO_MANY_ROWS", 1422},
    {"ZERO_DIVIDE", 1476},
    {"VALUE_ERROR", 6502},
    {"INVALID_NUMBER", 1722},
    {"DUP_VAL_ON_INDEX", 1},
    {"INVALID_CURSOR", 1001},
    {"CURSOR_ALREADY_OPEN", 6511},
    {"LOGIN_DENIED", 1017},
    {"NOT_LOGGED_ON", 1012},
    {"PROGRAM_ERROR", 6501},
    {"STORAGE_ERROR", 6500},
    {"TIMEOUT_ON_RESOURCE", 51},
    {"TRANSACTION_BACKED_OUT", 61},
    {"ROWTYPE_MISMATCH", 6504},
    {"COLLECTION_IS_NULL", 6531},
    {"SUBSCRIPT_BEYOND_COUNT", 6533},
    {"SUBSCRIPT_OUTSIDE_LIMIT", 6532},
    {"ACCESS_INTO_NULL", 6530},
    {"CASE_NOT_FOUND", 6592},
    {"SYS_INVALID_ROWID", 1410},
};

int PredefinedCode(const std::string& name) {
  std::string n = name;
  for (const char* prefix : {"SYS.STANDARD.", "STANDARD."})
    if (n.compare(0, std::char_traits<char>::length(prefix), prefix) == 0)
      n = n.substr(std::char_traits<char>::length(prefix));
  for (const Predefined& p : kPredefined)
    if (n == p.name) return p.code;
  return 0;
}

int PredefinedCode(const std::vector<std::string>& parts) {
  std::string name;
  for (const std::string& p : parts) name += (name.empty() ? "" : ".") + p;
  return PredefinedCode(name);
}

[[noreturn]] void Restriction(const std::string& what) {
  Raise(6550, "PLS-00999: implementation restriction (may be temporary) " + what);
}

// A caller's error (from SQL or the host) as a PL/SQL exception; its code decides which
// handler takes it.
PlsqlException FromOra(const OraError& o) {
  PlsqlException e;
  e.code = o.code;
  e.message = o.message;
  return e;
}

bool LabelMatches(const std::string& label, const std::vector<std::string>& labels) {
  return label.empty() || std::find(labels.begin(), labels.end(), label) != labels.end();
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Blocks and exception handlers

Flow Interp::RunBlock(const Block& b, Scope& parent) {
  Scope scope;
  scope.parent = &parent;
  scope.unit = parent.unit;
  scope.names = b.labels;
  return RunBody(b, scope);
}

Flow Interp::RunBody(const Block& b, Scope& scope) {
  try {
    Elaborate(b.decls, scope);
  } catch (const OraError& o) {
    throw FromOra(o);
  }
  try {
    return ExecList(b.body, scope);
  } catch (PlsqlException& e) {
    const Handler* chosen = nullptr;
    for (const Handler& h : b.handlers) {
      for (const std::vector<std::string>& parts : h.names) {
        if (parts == std::vector<std::string>{"OTHERS"}) {
          chosen = &h;
        } else if (int code = PredefinedCode(parts)) {
          if (code == e.code) chosen = &h;
        } else {
          ExceptionPtr info;
          for (Scope* s = &scope; s && !info && parts.size() == 1; s = s->parent) {
            auto it = s->exceptions.find(parts[0]);
            if (it != s->exceptions.end()) info = it->second;
          }
          if (!info && parts.size() >= 2) {
            auto ref =
                FindProgram(parts.size() == 3 ? parts[0] : "", parts[parts.size() - 2], scope);
            if (ref && ref->kind == UnitKind::Package) {
              PackageInstance& p = Package(ref->owner, ref->name);
              auto it = p.scope->exceptions.find(parts.back());
              if (it != p.scope->exceptions.end()) info = it->second;
            }
          }
          if (info && (e.user == info || (info->code != 0 && info->code == e.code))) chosen = &h;
        }
        if (chosen) break;
      }
      if (chosen) break;
    }
    if (!chosen) throw;
    handling_.push_back(e);
    struct Done {
      std::vector<PlsqlException>& list;
      ~Done() { list.pop_back(); }
    } done{handling_};
    return ExecList(chosen->body, scope);
  }
}

Flow Interp::ExecList(const StmtList& list, Scope& scope) {
  size_t i = 0;
  while (i < list.size()) {
    Flow f = Exec(*list[i], scope);
    if (f == Flow::Goto) {
      auto target = std::find_if(list.begin(), list.end(), [&](const StmtPtr& s) {
        return std::find(s->labels.begin(), s->labels.end(), flowLabel_) != s->labels.end();
      });
      if (target == list.end()) return f;
      i = static_cast<size_t>(target - list.begin());
      continue;
    }
    if (f != Flow::Next) return f;
    ++i;
  }
  return Flow::Next;
}

// ---------------------------------------------------------------------------------------
// SQL

std::unique_ptr<SqlStatement> Interp::PrepareSql(const SqlText& sql, Scope& scope) {
  std::string text = sql.text;
  if (triggerSpec_) {
    // :NEW.COL becomes the bind :NEW$COL (same length, so offsets hold).
    std::vector<Token> tokens;
    try {
      tokens = Tokenize(text);
    } catch (const OraError&) {
    }
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
      const Token& t = tokens[i];
      if (t.kind == TokenKind::Bind && tokens[i + 1].Is(".") &&
          tokens[i + 1].offset == t.offset + t.length &&
          (t.value == triggerSpec_->referencingNew || t.value == triggerSpec_->referencingOld))
        text[tokens[i + 1].offset] = '$';
    }
  }
  return host_.Prepare(
      text, scope.unit ? scope.unit->schema : "",
      [this, &scope](const std::string& n) { return IsVariableName(n, scope); },
      [this, &scope](const std::string& n) { return VariableTypeCode(n, scope); });
}

void Interp::ExecuteSql(SqlStatement& st, Scope& scope) {
  std::vector<Value> values;
  const std::vector<std::string>& binds = st.Binds();
  const std::vector<bool>& variables = st.VariableBinds();
  for (size_t i = 0; i < binds.size(); ++i) {
    const std::string& name = binds[i];
    Value v;
    if (i < variables.size() && variables[i]) {
      std::vector<std::string> parts = DottedParts(name);
      size_t used = 0;
      Variable* var = FindVariable(parts, used, scope);
      if (!var) Raise(6550, "PLS-00201: identifier '" + name + "' must be declared");
      const Value* p = &var->value;
      for (size_t k = used; k < parts.size() && p->kind == Value::Record; ++k) {
        int f = p->record->Find(parts[k]);
        if (f < 0) Raise(6550, "PLS-00302: component '" + parts[k] + "' must be declared");
        p = &p->record->values[static_cast<size_t>(f)];
      }
      v = *p;
    } else if (triggerSpec_ && name.find('$') != std::string::npos &&
               (name.substr(0, name.find('$')) == triggerSpec_->referencingNew ||
                name.substr(0, name.find('$')) == triggerSpec_->referencingOld)) {
      std::vector<std::string> parts{name.substr(0, name.find('$'))};
      size_t used = 0;
      Variable* var = FindVariable(parts, used, scope);
      int f =
          var && var->value.record ? var->value.record->Find(name.substr(name.find('$') + 1)) : -1;
      if (f < 0) Raise(6550, "PLS-00049: bad bind variable '" + name + "'");
      v = var->value.record->values[static_cast<size_t>(f)];
    } else {
      std::optional<Value> b = host_.ReadBind(name);
      if (!b) Raise(1008);
      v = *b;
    }
    if (v.kind == Value::Boolean || v.kind == Value::Record || v.kind == Value::Table)
      Raise(6550, "PLS-00382: expression is of wrong type");
    values.push_back(std::move(v));
  }
  st.Execute(values);
}

void Interp::AssignRow(const std::vector<ExprPtr>& targets, const std::vector<Value>& row,
                       const std::vector<std::string>& columns, Scope& scope) {
  if (targets.size() == 1) {
    TypePtr type;
    Value* slot = Locate(*targets[0], scope, type, false);
    if (slot && slot->kind == Value::Record) {
      // A whole row into a record: field by field in order.
      if (slot->record->values.size() != row.size()) Raise(6504);
      Value rec;
      rec.kind = Value::Record;
      rec.record = std::make_shared<RecordValue>();
      rec.record->names = slot->record->names.empty() ? columns : slot->record->names;
      rec.record->values = row;
      Assign(*targets[0], rec, scope);
      return;
    }
  }
  if (targets.size() != row.size()) Raise(row.size() < targets.size() ? 947 : 913);
  for (size_t i = 0; i < targets.size(); ++i) Assign(*targets[i], row[i], scope);
}

// ---------------------------------------------------------------------------------------
// Statements

namespace {

// Closes a cursor when the statement using it ends, however it ends.
struct CursorGuard {
  CursorValue* cursor;
  ~CursorGuard() {
    if (cursor) {
      cursor->statement.reset();
      cursor->isOpen = false;
    }
  }
};

}  // namespace

Flow Interp::Exec(const Stmt& s, Scope& scope) {
  if (!frames_.empty()) frames_.back().offset = s.offset;
  try {
    host_.CheckCancel();
    switch (s.kind) {
      case StmtKind::Null:
      case StmtKind::Pragma:
        return Flow::Next;

      case StmtKind::Assign:
        Assign(*s.target, Eval(*s.value, scope), scope);
        return Flow::Next;

      case StmtKind::Call: {
        const Expr& e = *s.value;
        if (e.kind == ExprKind::Name) {
          CallByName(e, e.parts, {}, scope, false);
        } else if (e.kind == ExprKind::Call && e.operands[0]->kind == ExprKind::Name) {
          CallByName(*e.operands[0], e.operands[0]->parts, e.args, scope, false);
        } else {
          Restriction("calls of methods");
        }
        return Flow::Next;
      }

      case StmtKind::If:
        for (size_t i = 0; i < s.conds.size(); ++i)
          if (Truth(*s.conds[i], scope)) return ExecList(s.branches[i], scope);
        if (s.hasElse) return ExecList(s.elseBranch, scope);
        return Flow::Next;

      case StmtKind::Case: {
        Value selector;
        if (s.value) selector = Eval(*s.value, scope);
        for (size_t i = 0; i < s.conds.size(); ++i) {
          bool hit;
          if (s.value) {
            Value w = Eval(*s.conds[i], scope);
            hit = !selector.IsNull() && !w.IsNull() && Compare(selector, w, DateFormat()) == 0;
          } else {
            hit = Truth(*s.conds[i], scope);
          }
          if (hit) return ExecList(s.branches[i], scope);
        }
        if (s.hasElse) return ExecList(s.elseBranch, scope);
        Raise(6592);
      }

      case StmtKind::Loop:
      case StmtKind::While:
        while (s.kind == StmtKind::Loop || Truth(*s.value, scope)) {
          Flow f = ExecList(s.body, scope);
          if (f == Flow::Exit && LabelMatches(flowLabel_, s.labels)) break;
          if (f == Flow::Continue && LabelMatches(flowLabel_, s.labels)) continue;
          if (f != Flow::Next) return f;
        }
        return Flow::Next;

      case StmtKind::ForRange: {
        std::optional<double> lo = ToNumber(Eval(*s.low, scope));
        std::optional<double> hi = ToNumber(Eval(*s.high, scope));
        if (!lo || !hi) ThrowValueError("");
        int64_t from = std::llround(*lo), to = std::llround(*hi);
        Scope loop;
        loop.parent = &scope;
        loop.unit = scope.unit;
        loop.names = s.labels;
        auto integer = std::make_shared<Type>();
        integer->base = Type::Integer;
        Variable& index = loop.vars[s.name] = {Value(), integer, true, nullptr};
        for (int64_t i = s.reverse ? to : from; s.reverse ? i >= from : i <= to;
             s.reverse ? --i : ++i) {
          index.value = Value::Num(static_cast<double>(i));
          Flow f = ExecList(s.body, loop);
          if (f == Flow::Exit && LabelMatches(flowLabel_, s.labels)) break;
          if (f == Flow::Continue && LabelMatches(flowLabel_, s.labels)) continue;
          if (f != Flow::Next) return f;
        }
        return Flow::Next;
      }

      case StmtKind::ForCursor: {
        Scope loop;
        loop.parent = &scope;
        loop.unit = scope.unit;
        loop.names = s.labels;
        std::shared_ptr<CursorValue> cursor = std::make_shared<CursorValue>();
        Variable* named = nullptr;
        if (s.sql) {
          cursor->statement = PrepareSql(*s.sql, scope);
          ExecuteSql(*cursor->statement, scope);
        } else {
          const Expr& target = *s.target;
          const Expr& nameExpr = target.kind == ExprKind::Call ? *target.operands[0] : target;
          size_t used = 0;
          named =
              nameExpr.kind == ExprKind::Name ? FindVariable(nameExpr.parts, used, scope) : nullptr;
          if (!named || !named->cursor || !named->cursor->query)
            Raise(6550, "PLS-00456: item is not a cursor");
          if (named->value.cursor->isOpen) Raise(6511);
          cursor = named->value.cursor;
          Scope params;
          params.parent = &scope;
          params.unit = scope.unit;
          const Decl& decl = *named->cursor;
          std::vector<Arg> none;
          const std::vector<Arg>& args = target.kind == ExprKind::Call ? target.args : none;
          for (size_t p = 0; p < decl.params.size(); ++p) {
            const Param& param = decl.params[p];
            Value v = p < args.size()      ? Eval(*args[p].value, scope)
                      : param.defaultValue ? Eval(*param.defaultValue, params)
                                           : Value();
            TypePtr t = ResolveType(param.type, scope);
            params.vars[param.name] = {Coerce(v, *t, DateFormat()), t, true, nullptr};
          }
          cursor->statement = PrepareSql(*decl.query, params);
          ExecuteSql(*cursor->statement, params);
        }
        cursor->isOpen = true;
        cursor->found = -1;
        cursor->rowCount = 0;
        cursor->columns = cursor->statement->Columns();
        CursorGuard guard{cursor.get()};
        Value record;
        record.kind = Value::Record;
        record.record = std::make_shared<RecordValue>();
        record.record->names = cursor->columns;
        Variable& rec = loop.vars[s.name] = {record, AnyType(), false, nullptr};
        std::vector<Value> row;
        while (cursor->statement->Fetch(row)) {
          cursor->found = 1;
          ++cursor->rowCount;
          rec.value.record->values = row;
          Flow f = ExecList(s.body, loop);
          if (f == Flow::Exit && LabelMatches(flowLabel_, s.labels)) break;
          if (f == Flow::Continue && LabelMatches(flowLabel_, s.labels)) continue;
          if (f != Flow::Next) return f;
        }
        return Flow::Next;
      }

      case StmtKind::Exit:
      case StmtKind::Continue:
        if (s.value && !Truth(*s.value, scope)) return Flow::Next;
        flowLabel_ = s.name;
        return s.kind == StmtKind::Exit ? Flow::Exit : Flow::Continue;

      case StmtKind::Goto:
        flowLabel_ = s.name;
        return Flow::Goto;

      case StmtKind::Return:
        returnValue_ = s.value ? Eval(*s.value, scope) : Value();
        return Flow::Return;

      case StmtKind::Raise: {
        if (!s.target) {
          if (handling_.empty())
            Raise(6550,
                  "PLS-00367: a RAISE statement with no exception name must be inside an "
                  "exception handler");
          PlsqlException again = handling_.back();
          again.stack.clear();
          throw again;
        }
        const Expr& t = *s.target;
        std::string name;
        for (const std::string& p : t.parts) name += (name.empty() ? "" : ".") + p;
        if (int code = PredefinedCode(name)) Raise(code);
        ExceptionPtr info;
        for (Scope* sc = &scope; sc && !info && t.parts.size() == 1; sc = sc->parent) {
          auto it = sc->exceptions.find(t.parts[0]);
          if (it != sc->exceptions.end()) info = it->second;
        }
        if (!info && t.parts.size() >= 2) {
          auto ref = FindProgram(t.parts.size() == 3 ? t.parts[0] : "", t.parts[t.parts.size() - 2],
                                 scope);
          if (ref && ref->kind == UnitKind::Package) {
            PackageInstance& p = Package(ref->owner, ref->name);
            auto it = p.scope->exceptions.find(t.parts.back());
            if (it != p.scope->exceptions.end()) info = it->second;
          }
        }
        if (!info) Raise(6550, "PLS-00201: identifier '" + name + "' must be declared");
        PlsqlException e = info->code ? MakeException(info->code) : MakeException(1);
        e.user = info;
        throw e;
      }

      case StmtKind::Block:
        return RunBlock(*s.block, scope);

      case StmtKind::Sql: {
        const SqlText& sql = *s.sql;
        if (!sql.returningInto.empty()) Restriction("RETURNING INTO");
        if (sql.bulkInto) Restriction("BULK COLLECT");
        std::unique_ptr<SqlStatement> st = PrepareSql(sql, scope);
        ExecuteSql(*st, scope);
        if (sql.verb == "SELECT") {
          if (sql.into.empty())
            Raise(6550, "PLS-00428: an INTO clause is expected in this SELECT statement");
          std::vector<Value> row, extra;
          sqlCursor_.rowCount = 0;
          sqlCursor_.found = 0;
          if (!st->Fetch(row)) Raise(1403);
          sqlCursor_.found = 1;
          sqlCursor_.rowCount = 1;
          if (st->Fetch(extra)) Raise(1422);
          AssignRow(sql.into, row, st->Columns(), scope);
        } else {
          sqlCursor_.rowCount = st->RowsAffected();
          sqlCursor_.found = sqlCursor_.rowCount > 0 ? 1 : 0;
        }
        return Flow::Next;
      }

      case StmtKind::SetTransaction: {
        std::unique_ptr<SqlStatement> st = PrepareSql(*s.sql, scope);
        ExecuteSql(*st, scope);
        return Flow::Next;
      }

      case StmtKind::Open: {
        const Expr& target = *s.target;
        const Expr& nameExpr = target.kind == ExprKind::Call ? *target.operands[0] : target;
        size_t used = 0;
        Variable* named =
            nameExpr.kind == ExprKind::Name ? FindVariable(nameExpr.parts, used, scope) : nullptr;
        if (!named || !named->cursor || !named->cursor->query)
          Raise(6550, "PLS-00456: item is not a cursor");
        CursorValue& cursor = *named->value.cursor;
        if (cursor.isOpen) Raise(6511);
        Scope params;
        params.parent = &scope;
        params.unit = scope.unit;
        const Decl& decl = *named->cursor;
        std::vector<Arg> none;
        const std::vector<Arg>& args = target.kind == ExprKind::Call ? target.args : none;
        if (args.size() > decl.params.size())
          Raise(6550,
                "PLS-00306: wrong number or types of arguments in call to '" + decl.name + "'");
        for (size_t p = 0; p < decl.params.size(); ++p) {
          const Param& param = decl.params[p];
          if (p >= args.size() && !param.defaultValue)
            Raise(6550,
                  "PLS-00306: wrong number or types of arguments in call to '" + decl.name + "'");
          Value v =
              p < args.size() ? Eval(*args[p].value, scope) : Eval(*param.defaultValue, params);
          TypePtr t = ResolveType(param.type, scope);
          params.vars[param.name] = {Coerce(v, *t, DateFormat()), t, true, nullptr};
        }
        cursor.statement = PrepareSql(*decl.query, params);
        ExecuteSql(*cursor.statement, params);
        cursor.isOpen = true;
        cursor.found = -1;
        cursor.rowCount = 0;
        cursor.columns = cursor.statement->Columns();
        return Flow::Next;
      }

      case StmtKind::OpenFor: {
        auto cursor = std::make_shared<CursorValue>();
        if (s.sql) {
          cursor->statement = PrepareSql(*s.sql, scope);
          ExecuteSql(*cursor->statement, scope);
        } else {
          std::string text = ValueToText(Eval(*s.value, scope), DateFormat());
          cursor->statement = host_.Prepare(text, scope.unit ? scope.unit->schema : "",
                                            [](const std::string&) { return false; });
          std::vector<Value> values;
          for (const Using& u : s.usings) values.push_back(Eval(*u.value, scope));
          if (values.size() != cursor->statement->Binds().size()) Raise(1008);
          cursor->statement->Execute(values);
        }
        if (!cursor->statement->IsQuery())
          Raise(6550, "PLS-00455: cursor used in a query is not a query");
        cursor->isOpen = true;
        cursor->columns = cursor->statement->Columns();
        Value v;
        v.kind = Value::Cursor;
        v.cursor = cursor;
        if (s.target->kind == ExprKind::Bind) {
          host_.WriteBind(s.target->text, v);
        } else {
          TypePtr type;
          Value* slot = Locate(*s.target, scope, type, false);
          if (!slot || (slot->kind != Value::Cursor && type->base != Type::RefCursor))
            Raise(6550, "PLS-00382: expression is of wrong type");
          *slot = v;
        }
        return Flow::Next;
      }

      case StmtKind::Fetch: {
        if (s.bulk) Restriction("BULK COLLECT");
        Value c = Eval(*s.target, scope);
        if (c.kind != Value::Cursor || !c.cursor) Raise(1001);
        CursorValue& cursor = *c.cursor;
        if (!cursor.isOpen || !cursor.statement) Raise(1001);
        std::vector<Value> row;
        if (cursor.statement->Fetch(row)) {
          cursor.found = 1;
          ++cursor.rowCount;
          AssignRow(s.into, row, cursor.columns, scope);
        } else {
          cursor.found = 0;
        }
        return Flow::Next;
      }

      case StmtKind::Close: {
        Value c = Eval(*s.target, scope);
        if (c.kind != Value::Cursor || !c.cursor || !c.cursor->isOpen) Raise(1001);
        c.cursor->statement.reset();
        c.cursor->isOpen = false;
        return Flow::Next;
      }

      case StmtKind::ExecuteImmediate: {
        if (s.bulk) Restriction("BULK COLLECT");
        if (!s.returningInto.empty()) Restriction("RETURNING INTO");
        std::string text = ValueToText(Eval(*s.value, scope), DateFormat());
        std::vector<Value> values;
        for (const Using& u : s.usings) {
          if (u.mode != Using::In) Restriction("OUT and IN OUT bind arguments of dynamic SQL");
          values.push_back(Eval(*u.value, scope));
        }
        std::unique_ptr<SqlStatement> st = host_.Prepare(text, scope.unit ? scope.unit->schema : "",
                                                         [](const std::string&) { return false; });
        if (values.size() != st->Binds().size()) Raise(1008);
        st->Execute(values);
        if (!s.into.empty()) {
          std::vector<Value> row, extra;
          if (!st->Fetch(row)) Raise(1403);
          if (st->Fetch(extra)) Raise(1422);
          AssignRow(s.into, row, st->Columns(), scope);
          sqlCursor_.rowCount = 1;
          sqlCursor_.found = 1;
        } else {
          sqlCursor_.rowCount = st->RowsAffected();
          sqlCursor_.found = sqlCursor_.rowCount > 0 ? 1 : 0;
        }
        return Flow::Next;
      }

      case StmtKind::Commit:
        host_.Commit();
        return Flow::Next;
      case StmtKind::Rollback:
        host_.Rollback(s.name);
        return Flow::Next;
      case StmtKind::Savepoint:
        host_.Savepoint(s.name);
        return Flow::Next;

      case StmtKind::ForAll:
        Restriction("FORALL");
      case StmtKind::PipeRow:
        Restriction("PIPE ROW");
    }
  } catch (const OraError& o) {
    throw FromOra(o);
  }
  return Flow::Next;
}

}  // namespace tess::oci7::plsql
