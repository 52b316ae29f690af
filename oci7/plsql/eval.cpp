// Expressions: names (variables, record fields, package state, functions without
// arguments), calls with overload choice and IN / OUT / IN OUT parameters, operators with
// PL/SQL's three-valued logic and NULL propagation, and assignment targets.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "oci7/dialect/decimal.h"
#include "oci7/dialect/dialect.h"
#include "oci7/plsql/interp.h"

namespace tess::oci7::plsql {
namespace {

std::string Dotted(const std::vector<std::string>& parts, size_t count = std::string::npos) {
  std::string out;
  for (size_t i = 0; i < parts.size() && i < count; ++i) out += (i ? "." : "") + parts[i];
  return out;
}

[[noreturn]] void NotDeclared(const std::string& name) {
  Raise(6550, "PLS-00201: identifier '" + name + "' must be declared");
}

[[noreturn]] void NoComponent(const std::string& name) {
  Raise(6550, "PLS-00302: component '" + name + "' must be declared");
}

[[noreturn]] void Restriction(const std::string& what) {
  Raise(6550, "PLS-00999: implementation restriction (may be temporary) " + what);
}

bool IsCollectionMethod(const std::string& m) {
  return m == "COUNT" || m == "FIRST" || m == "LAST" || m == "EXISTS" || m == "NEXT" ||
         m == "PRIOR" || m == "DELETE" || m == "EXTEND" || m == "TRIM" || m == "LIMIT";
}

Value KeyValue(const TableKey& k) {
  return k.isText ? Value::Str(k.text) : Value::Num(k.number);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Names

std::optional<ProgramRef> Interp::FindProgram(const std::string& owner, const std::string& name,
                                              Scope& scope) {
  std::string schema = scope.unit ? scope.unit->schema : "";
  std::string key = schema + "|" + owner + "|" + name;
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second;
  std::optional<ProgramRef> ref = host_.FindProgram(schema, owner, name);
  programs_[key] = ref;
  return ref;
}

Variable* Interp::FindVariable(const std::vector<std::string>& parts, size_t& used, Scope& scope) {
  if (parts.empty()) return nullptr;
  for (Scope* s = &scope; s; s = s->parent) {
    auto it = s->vars.find(parts[0]);
    if (it != s->vars.end()) {
      used = 1;
      return &it->second;
    }
    if (parts.size() >= 2 &&
        std::find(s->names.begin(), s->names.end(), parts[0]) != s->names.end()) {
      auto q = s->vars.find(parts[1]);
      if (q != s->vars.end()) {
        used = 2;
        return &q->second;
      }
    }
  }
  if (parts.size() >= 2) {
    if (auto ref = FindProgram("", parts[0], scope); ref && ref->kind == UnitKind::Package) {
      PackageInstance& p = Package(ref->owner, ref->name);
      auto q = p.scope->vars.find(parts[1]);
      if (q != p.scope->vars.end()) {
        used = 2;
        return &q->second;
      }
    }
  }
  if (parts.size() >= 3) {
    if (auto ref = FindProgram(parts[0], parts[1], scope); ref && ref->kind == UnitKind::Package) {
      PackageInstance& p = Package(ref->owner, ref->name);
      auto q = p.scope->vars.find(parts[2]);
      if (q != p.scope->vars.end()) {
        used = 3;
        return &q->second;
      }
    }
  }
  return nullptr;
}

std::vector<std::string> DottedParts(const std::string& dotted) {
  std::vector<std::string> parts;
  size_t from = 0;
  while (true) {
    size_t dot = dotted.find('.', from);
    parts.push_back(dotted.substr(from, dot - from));
    if (dot == std::string::npos) break;
    from = dot + 1;
  }
  return parts;
}

Variable* Interp::FindDotted(const std::string& dotted, std::vector<std::string>& parts,
                             size_t& used, Scope& scope) {
  parts = DottedParts(dotted);
  try {
    return FindVariable(parts, used, scope);
  } catch (const PlsqlException&) {
    return nullptr;
  }
}

bool Interp::IsVariableName(const std::string& dotted, Scope& scope) {
  std::vector<std::string> parts;
  size_t used = 0;
  Variable* v = FindDotted(dotted, parts, used, scope);
  if (!v || v->cursor) return false;
  const Value* value = &v->value;
  for (size_t i = used; i < parts.size(); ++i) {
    if (value->kind != Value::Record) return false;
    int f = value->record->Find(parts[i]);
    if (f < 0) return false;
    value = &value->record->values[static_cast<size_t>(f)];
  }
  return value->kind != Value::Record && value->kind != Value::Table &&
         value->kind != Value::Cursor;
}

int Interp::VariableTypeCode(const std::string& dotted, Scope& scope) {
  std::vector<std::string> parts;
  size_t used = 0;
  Variable* v = FindDotted(dotted, parts, used, scope);
  const Type* t = v ? v->type.get() : nullptr;
  for (size_t i = used; i < parts.size() && t; ++i) {
    const Type* field = nullptr;
    for (const auto& [name, type] : t->fields) {
      if (name == parts[i]) field = type.get();
    }
    t = field;
  }
  if (!t) return 0;
  switch (t->base) {
    case Type::Number:
    case Type::Integer:
      return kTypeNumber;
    case Type::Varchar:
    case Type::Long:
    case Type::Rowid:
      return kTypeVarchar2;
    case Type::Char:
      return kTypeChar;
    case Type::Date:
      return kTypeDate;
    default:
      return 0;
  }
}

TableKey Interp::KeyOf(const Value& index, const Type* tableType) {
  if (index.IsNull()) ThrowValueError("NULL index table key value");
  TableKey k;
  if ((tableType && tableType->textIndex) ||
      (!tableType && index.kind == Value::Text && !ParseOracleNumber(index.text))) {
    k.isText = true;
    k.text = ValueToText(index, DateFormat());
  } else {
    k.number = std::round(*ToNumber(index));
  }
  return k;
}

// ---------------------------------------------------------------------------------------
// Collections

namespace {

Value CollectionMethod(Interp& in, Variable& var, const std::string& method,
                       const std::vector<Arg>& args, Scope& scope) {
  TableValue& t = *var.value.table;
  auto arg = [&](size_t i) { return in.Eval(*args.at(i).value, scope); };
  const Type* type = var.type.get();
  if (method == "COUNT") return Value::Num(static_cast<double>(t.elements.size()));
  if (method == "LIMIT") return Value();
  if (method == "FIRST" || method == "LAST") {
    if (t.elements.empty()) return Value();
    return KeyValue(method == "FIRST" ? t.elements.begin()->first : t.elements.rbegin()->first);
  }
  if (method == "EXISTS") {
    if (args.size() != 1)
      Raise(6550, "PLS-00306: wrong number or types of arguments in call to 'EXISTS'");
    Value i = arg(0);
    if (i.IsNull()) return Value::Bool(false);
    return Value::Bool(t.elements.count(in.KeyOf(i, type)) > 0);
  }
  if (method == "NEXT" || method == "PRIOR") {
    if (args.size() != 1)
      Raise(6550, "PLS-00306: wrong number or types of arguments in call to '" + method + "'");
    Value i = arg(0);
    if (i.IsNull()) return Value();
    TableKey k = in.KeyOf(i, type);
    if (method == "NEXT") {
      auto it = t.elements.upper_bound(k);
      return it == t.elements.end() ? Value() : KeyValue(it->first);
    }
    auto it = t.elements.lower_bound(k);
    if (it == t.elements.begin()) return Value();
    return KeyValue(std::prev(it)->first);
  }
  if (method == "DELETE") {
    if (args.empty()) {
      t.elements.clear();
    } else if (args.size() == 1) {
      t.elements.erase(in.KeyOf(arg(0), type));
    } else {
      TableKey lo = in.KeyOf(arg(0), type), hi = in.KeyOf(arg(1), type);
      if (!(hi < lo)) t.elements.erase(t.elements.lower_bound(lo), t.elements.upper_bound(hi));
    }
    return Value();
  }
  if (method == "EXTEND" || method == "TRIM") {
    double n = args.empty() ? 1 : ToNumber(arg(0)).value_or(0);
    for (int i = 0; i < static_cast<int>(n); ++i) {
      if (method == "TRIM") {
        if (t.elements.empty()) Raise(6533);
        t.elements.erase(std::prev(t.elements.end()));
      } else {
        double next = t.elements.empty() ? 1 : t.elements.rbegin()->first.number + 1;
        TableKey k;
        k.number = next;
        t.elements[k] = type && type->element ? in.InitialValue(*type->element) : Value();
      }
    }
    return Value();
  }
  NoComponent(method);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Calls

UnitContext* Interp::StandaloneContext(const StoredUnit& unit) {
  std::string key = PhysicalKey(unit.owner, unit.name);
  std::unique_ptr<UnitContext>& slot = standalone_[key];
  if (!slot)
    slot = std::make_unique<UnitContext>(
        UnitContext{unit.owner, unit.name, unit.owner, unit.text, nullptr});
  return slot.get();
}

Value Interp::CallByName(const Expr& callee, const std::vector<std::string>& parts,
                         const std::vector<Arg>& args, Scope& scope, bool wantValue) {
  (void)callee;
  const std::string name = Dotted(parts);
  // A collection's method: T.COUNT, R.LIST.DELETE(3).
  if (parts.size() >= 2 && IsCollectionMethod(parts.back())) {
    std::vector<std::string> head(parts.begin(), parts.end() - 1);
    size_t used = 0;
    if (Variable* var = FindVariable(head, used, scope)) {
      if (used == head.size() && var->value.kind == Value::Table)
        return CollectionMethod(*this, *var, parts.back(), args, scope);
    }
  }
  // Subprograms declared in the blocks around the call, or qualified by one's label.
  for (Scope* s = &scope; s; s = s->parent) {
    std::string local;
    if (parts.size() == 1) {
      local = parts[0];
    } else if (parts.size() == 2 &&
               std::find(s->names.begin(), s->names.end(), parts[0]) != s->names.end()) {
      local = parts[1];
    } else {
      continue;
    }
    auto range = s->subprograms.equal_range(local);
    if (range.first == range.second) continue;
    std::vector<Callable> candidates;
    for (auto it = range.first; it != range.second; ++it) candidates.push_back(it->second);
    return CallSub(candidates, args, scope, wantValue, local);
  }
  Value result;
  if (CallBuiltin(parts, args, scope, result)) return result;
  // The dictionary: PROC, PKG.PROC, OWNER.PROC, OWNER.PKG.PROC.
  auto callPackage = [&](const ProgramRef& ref, const std::string& member) {
    PackageInstance& p = Package(ref.owner, ref.name);
    auto range = p.scope->subprograms.equal_range(member);
    if (range.first == range.second) NoComponent(member);
    std::vector<Callable> candidates;
    for (auto it = range.first; it != range.second; ++it) candidates.push_back(it->second);
    return CallSub(candidates, args, scope, wantValue, member);
  };
  auto callStandalone = [&](const ProgramRef& ref) {
    std::shared_ptr<const StoredUnit> unit = host_.LoadUnit(ref.owner, ref.name, ref.kind);
    if (!unit || !unit->unit->subprogram) NotDeclared(name);
    UnitContext* context = StandaloneContext(*unit);
    context->keep = unit;
    return CallSub({Callable{unit->unit->subprogram.get(), nullptr, context}}, args, scope,
                   wantValue, ref.name);
  };
  if (parts.size() == 1) {
    if (auto ref = FindProgram("", parts[0], scope); ref && ref->kind != UnitKind::Package)
      return callStandalone(*ref);
  } else if (parts.size() == 2) {
    if (auto ref = FindProgram("", parts[0], scope); ref && ref->kind == UnitKind::Package)
      return callPackage(*ref, parts[1]);
    if (auto ref = FindProgram(parts[0], parts[1], scope); ref && ref->kind != UnitKind::Package)
      return callStandalone(*ref);
  } else if (parts.size() == 3) {
    if (auto ref = FindProgram(parts[0], parts[1], scope); ref && ref->kind == UnitKind::Package)
      return callPackage(*ref, parts[2]);
  }
  NotDeclared(name);
}

Value Interp::CallSub(const std::vector<Callable>& candidates, const std::vector<Arg>& args,
                      Scope& caller, bool wantValue, const std::string& name) {
  // The arguments' values, once, for choosing among overloads and for IN parameters.
  std::vector<Value> values;
  for (const Arg& a : args) values.push_back(Eval(*a.value, caller));

  struct Match {
    const Callable* c = nullptr;
    std::vector<int> argOf;  // per parameter: the argument given, or -1
    int score = -1;
  };
  Match best;
  bool anyBody = false;
  for (const Callable& c : candidates) {
    const Subprogram& sp = *c.sp;
    if (!sp.body && !sp.external) continue;
    anyBody = true;
    Match m;
    m.c = &c;
    m.argOf.assign(sp.params.size(), -1);
    bool ok = true;
    size_t positional = 0;
    for (size_t i = 0; i < args.size() && ok; ++i) {
      if (args[i].name.empty()) {
        if (positional >= sp.params.size())
          ok = false;
        else
          m.argOf[positional++] = static_cast<int>(i);
        continue;
      }
      auto p = std::find_if(sp.params.begin(), sp.params.end(),
                            [&](const Param& q) { return q.name == args[i].name; });
      if (p == sp.params.end() || m.argOf[static_cast<size_t>(p - sp.params.begin())] >= 0)
        ok = false;
      else
        m.argOf[static_cast<size_t>(p - sp.params.begin())] = static_cast<int>(i);
    }
    if (!ok) continue;
    m.score = 0;
    for (size_t p = 0; p < sp.params.size() && ok; ++p) {
      if (m.argOf[p] < 0) {
        if (!sp.params[p].defaultValue) ok = false;
        continue;
      }
      const Value& v = values[static_cast<size_t>(m.argOf[p])];
      const std::vector<std::string>& tn = sp.params[p].type.name;
      std::string base = tn.empty() ? "" : tn[0];
      bool number = base == "NUMBER" || base == "INTEGER" || base == "PLS_INTEGER" ||
                    base == "BINARY_INTEGER" || base == "FLOAT" || base == "NATURAL" ||
                    base == "POSITIVE" || base == "REAL" || base == "INT";
      bool text = base == "VARCHAR2" || base == "VARCHAR" || base == "CHAR" || base == "LONG" ||
                  base == "STRING";
      if ((v.kind == Value::Number && number) || (v.kind == Value::Text && text) ||
          (v.kind == Value::Date && base == "DATE") ||
          (v.kind == Value::Boolean && base == "BOOLEAN"))
        m.score += 2;
      else if (v.kind == Value::Null)
        m.score += 1;
    }
    if (ok && m.score > best.score) best = std::move(m);
  }
  if (!best.c) {
    if (!anyBody) Raise(6508);
    Raise(6550, "PLS-00306: wrong number or types of arguments in call to '" + name + "'");
  }
  const Callable& c = *best.c;
  const Subprogram& sp = *c.sp;
  if (wantValue && !sp.isFunction)
    Raise(6550, "PLS-00222: no function with name '" + name + "' exists in this scope");
  if (!wantValue && sp.isFunction)
    Raise(6550, "PLS-00221: '" + name + "' is not a procedure or is undefined");
  if (sp.external) Restriction("subprograms implemented outside PL/SQL");
  if (frames_.size() > 200 || StackRoom() < kStackReserve) Raise(6500);

  Scope callee;
  callee.parent = c.scope;
  callee.unit = c.unit;
  callee.names.push_back(sp.name);
  frames_.push_back({c.unit, sp.offset});
  Flow flow;
  try {
    for (size_t p = 0; p < sp.params.size(); ++p) {
      const Param& param = sp.params[p];
      TypePtr t = ResolveType(param.type, callee);
      Value v;
      if (best.argOf[p] >= 0) {
        if (param.mode != Param::Out)
          v = values[static_cast<size_t>(best.argOf[p])];
        else
          v = InitialValue(*t);
      } else {
        v = Eval(*param.defaultValue, callee);
      }
      if (param.mode != Param::Out || !v.IsNull()) v = Coerce(v, *t, DateFormat());
      callee.vars[param.name] = {std::move(v), t, param.mode == Param::In, nullptr};
    }
    flow = RunBody(*sp.body, callee);
  } catch (PlsqlException& e) {
    AddStackLine(e);
    frames_.pop_back();
    throw;
  }
  Value result;
  if (sp.isFunction) {
    if (flow != Flow::Return) {
      PlsqlException e = MakeException(6503);
      AddStackLine(e);
      frames_.pop_back();
      throw e;
    }
    result = std::move(returnValue_);
    if (sp.returnType) {
      try {
        result = Coerce(result, *ResolveType(*sp.returnType, callee), DateFormat());
      } catch (PlsqlException& e) {
        AddStackLine(e);
        frames_.pop_back();
        throw;
      }
    }
  }
  frames_.pop_back();
  // OUT and IN OUT parameters go back to the caller's variables.
  for (size_t p = 0; p < sp.params.size(); ++p) {
    if (sp.params[p].mode == Param::In || best.argOf[p] < 0) continue;
    Assign(*args[static_cast<size_t>(best.argOf[p])].value, callee.vars[sp.params[p].name].value,
           caller);
  }
  return result;
}

// ---------------------------------------------------------------------------------------
// Assignment targets

Value* Interp::Locate(const Expr& target, Scope& scope, TypePtr& type, bool forWrite) {
  auto field = [&](Value* v, const std::string& name) -> Value* {
    if (v->kind != Value::Record) NoComponent(name);
    int f = v->record->Find(name);
    if (f < 0) NoComponent(name);
    TypePtr ft = AnyType();
    if (type && type->base == Type::Record) {
      for (const auto& [n, t] : type->fields)
        if (n == name) ft = t;
    }
    type = ft;
    return &v->record->values[static_cast<size_t>(f)];
  };
  switch (target.kind) {
    case ExprKind::Name: {
      size_t used = 0;
      Variable* var = FindVariable(target.parts, used, scope);
      if (!var) NotDeclared(Dotted(target.parts));
      if (forWrite && var->constant)
        Raise(6550, "PLS-00363: expression '" + Dotted(target.parts) +
                        "' cannot be used as an assignment target");
      type = var->type ? var->type : AnyType();
      Value* v = &var->value;
      for (size_t i = used; i < target.parts.size(); ++i) v = field(v, target.parts[i]);
      return v;
    }
    case ExprKind::Bind:
      if (triggerSpec_ && (target.text == triggerSpec_->referencingNew ||
                           target.text == triggerSpec_->referencingOld)) {
        std::vector<std::string> parts{target.text};
        size_t used = 0;
        Variable* var = FindVariable(parts, used, scope);
        if (!var) NotDeclared(target.text);
        if (forWrite && var->constant)
          Raise(6550, "PLS-00363: expression ':" + target.text +
                          "' cannot be used as an assignment target");
        type = AnyType();
        return &var->value;
      }
      return nullptr;
    case ExprKind::Member: {
      Value* base = Locate(*target.operands[0], scope, type, forWrite);
      if (!base) Restriction("fields of bind variables");
      return field(base, target.text);
    }
    case ExprKind::Call: {
      Value* base = Locate(*target.operands[0], scope, type, forWrite);
      if (!base || base->kind != Value::Table || target.args.size() != 1) {
        Raise(6550, "PLS-00363: expression cannot be used as an assignment target");
      }
      const Type* tableType = type.get();
      TableKey k = KeyOf(Eval(*target.args[0].value, scope), tableType);
      type = tableType && tableType->element ? tableType->element : AnyType();
      auto it = base->table->elements.find(k);
      if (it == base->table->elements.end()) {
        if (!forWrite) Raise(1403);
        it = base->table->elements.emplace(k, InitialValue(*type)).first;
      }
      return &it->second;
    }
    default:
      Raise(6550, "PLS-00363: expression cannot be used as an assignment target");
  }
}

void Interp::Assign(const Expr& target, const Value& v, Scope& scope) {
  TypePtr type;
  Value* slot = Locate(target, scope, type, true);
  if (!slot) {
    if (target.kind == ExprKind::Bind) {
      host_.WriteBind(target.text, v);
      return;
    }
    Raise(6550, "PLS-00363: expression cannot be used as an assignment target");
  }
  *slot = Coerce(v, type ? *type : *AnyType(), DateFormat());
}

// ---------------------------------------------------------------------------------------
// Expressions

bool Interp::Truth(const Expr& e, Scope& scope) {
  Value v = Eval(e, scope);
  if (v.kind == Value::Boolean) return v.boolean;
  if (v.IsNull()) return false;
  Raise(6550, "PLS-00382: expression is of wrong type");
}

namespace {

Value Arithmetic(const std::string& op, const Value& a, const Value& b) {
  if (a.IsNull() || b.IsNull()) return Value();
  if (op == "+" || op == "-") {
    if (a.kind == Value::Date && b.kind == Value::Date) {
      if (op == "+") Raise(975);
      return Value::Num(DateDiffDays(a.text, b.text));
    }
    if (a.kind == Value::Date) {
      double n = *ToNumber(b);
      return Value::DateOf(DateAddDays(a.text, op == "+" ? n : -n));
    }
    if (b.kind == Value::Date) {
      if (op == "-") ThrowValueError("");
      return Value::DateOf(DateAddDays(b.text, *ToNumber(a)));
    }
  }
  if (a.kind == Value::Date || b.kind == Value::Date || a.kind == Value::Boolean ||
      b.kind == Value::Boolean)
    ThrowValueError("");
  double x = *ToNumber(a), y = *ToNumber(b);
  if (op == "/" && y == 0) Raise(1476);
  if (op == "+" || op == "-" || op == "*" || op == "/")
    return Value::Num(DecimalArith(op[0], EngineNumber::Real(x), EngineNumber::Real(y)).AsDouble());
  if (op == "**") return Value::Num(std::pow(x, y));
  if (op == "MOD")
    return Value::Num(DecimalMod(EngineNumber::Real(x), EngineNumber::Real(y)).AsDouble());
  if (op == "REM")
    return Value::Num(DecimalRemainder(EngineNumber::Real(x), EngineNumber::Real(y)).AsDouble());
  ThrowValueError("");
}

// a op b for the operators of a chain, and **.
Value Combine(const std::string& op, const Value& a, const Value& b,
              const std::string& dateFormat) {
  if (op == "||") return Value::Str(ValueToText(a, dateFormat) + ValueToText(b, dateFormat));
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
    if (a.IsNull() || b.IsNull()) return Value();
    int c = Compare(a, b, dateFormat);
    bool r = op == "="    ? c == 0
             : op == "<>" ? c != 0
             : op == "<"  ? c < 0
             : op == ">"  ? c > 0
             : op == "<=" ? c <= 0
                          : c >= 0;
    return Value::Bool(r);
  }
  if (op == "+" || op == "-" || op == "*" || op == "/" || op == "**" || op == "MOD" || op == "REM")
    return Arithmetic(op, a, b);
  Restriction(op);
}

}  // namespace

Value Interp::Eval(const Expr& e, Scope& scope) {
  // Trees are bounded by the parser; the stack the caller left is measured.
  if (StackRoom() < kStackReserve) Raise(6500);
  switch (e.kind) {
    case ExprKind::Number:
      return Value::Num(ParseOracleNumber(e.text).value_or(0));
    case ExprKind::String: {
      Value v = Value::Str(e.text);
      v.fixedChar = v.kind == Value::Text;
      return v;
    }
    case ExprKind::Null:
      return Value();
    case ExprKind::Boolean:
      return Value::Bool(e.boolValue);
    case ExprKind::Name: {
      size_t used = 0;
      Variable* var = FindVariable(e.parts, used, scope);
      if (!var) return CallByName(e, e.parts, {}, scope, true);
      const Value* v = &var->value;
      for (size_t i = used; i < e.parts.size(); ++i) {
        if (v->kind == Value::Table && IsCollectionMethod(e.parts[i]) && i + 1 == e.parts.size())
          return CallByName(e, e.parts, {}, scope, true);
        if (v->kind != Value::Record) NoComponent(e.parts[i]);
        int f = v->record->Find(e.parts[i]);
        if (f < 0) NoComponent(e.parts[i]);
        v = &v->record->values[static_cast<size_t>(f)];
      }
      return *v;
    }
    case ExprKind::Bind: {
      if (triggerSpec_ &&
          (e.text == triggerSpec_->referencingNew || e.text == triggerSpec_->referencingOld)) {
        TypePtr t;
        return *Locate(e, scope, t, false);
      }
      std::optional<Value> v = host_.ReadBind(e.text);
      if (!v) Raise(1008);
      return *v;
    }
    case ExprKind::Member: {
      Value base = Eval(*e.operands[0], scope);
      if (base.kind != Value::Record) NoComponent(e.text);
      int f = base.record->Find(e.text);
      if (f < 0) NoComponent(e.text);
      return base.record->values[static_cast<size_t>(f)];
    }
    case ExprKind::Call: {
      const Expr& callee = *e.operands[0];
      if (callee.kind == ExprKind::Name) {
        size_t used = 0;
        Variable* var = FindVariable(callee.parts, used, scope);
        if (var && used == callee.parts.size() && var->value.kind == Value::Table) {
          if (e.args.size() != 1) Raise(6550, "PLS-00306: wrong number or types of arguments");
          TypePtr t;
          return *Locate(e, scope, t, false);
        }
        if (!var || used < callee.parts.size())
          return CallByName(callee, callee.parts, e.args, scope, true);
      }
      Value base = Eval(callee, scope);
      if (base.kind != Value::Table || e.args.size() != 1)
        Raise(6550, "PLS-00222: no function with this name exists in this scope");
      auto it = base.table->elements.find(KeyOf(Eval(*e.args[0].value, scope), nullptr));
      if (it == base.table->elements.end()) Raise(1403);
      return it->second;
    }
    case ExprKind::Attribute: {
      const Expr& c = *e.operands[0];
      CursorValue* cursor = nullptr;
      bool implicit = c.kind == ExprKind::Name && c.parts.size() == 1 && c.parts[0] == "SQL";
      if (implicit) {
        cursor = &sqlCursor_;
      } else {
        Value v = Eval(c, scope);
        if (v.kind != Value::Cursor || !v.cursor)
          Raise(6550, "PLS-00324: cursor attribute may not be applied to non-cursor");
        cursor = v.cursor.get();
      }
      if (e.text == "ISOPEN") return Value::Bool(!implicit && cursor->isOpen);
      if (!implicit && !cursor->isOpen) Raise(1001);
      if (e.text == "FOUND" || e.text == "NOTFOUND") {
        if (cursor->found < 0) return Value();
        return Value::Bool((cursor->found == 1) == (e.text == "FOUND"));
      }
      if (e.text == "ROWCOUNT") return Value::Num(static_cast<double>(cursor->rowCount));
      Restriction("%" + e.text);
    }
    case ExprKind::Unary: {
      Value v = Eval(*e.operands[0], scope);
      if (e.text == "NOT") {
        if (v.IsNull()) return v;
        if (v.kind != Value::Boolean) Raise(6550, "PLS-00382: expression is of wrong type");
        return Value::Bool(!v.boolean);
      }
      if (v.IsNull()) return v;
      double n = *ToNumber(v);
      return Value::Num(e.text == "-" ? -n : n);
    }
    case ExprKind::Binary: {
      const std::string& op = e.text;
      if (op == "AND" || op == "OR") {
        // Left to right until one decides (FALSE AND x, TRUE OR x); else NULL if any is.
        const bool isAnd = op == "AND";
        bool sawNull = false;
        for (const auto& o : e.operands) {
          Value v = Eval(*o, scope);
          if (!v.IsNull() && v.kind != Value::Boolean)
            Raise(6550, "PLS-00382: expression is of wrong type");
          if (v.IsNull()) {
            sawNull = true;
          } else if (v.boolean != isAnd) {
            return v;
          }
        }
        return sawNull ? Value() : Value::Bool(isAnd);
      }
      Value a = Eval(*e.operands[0], scope);
      Value b = Eval(*e.operands[1], scope);
      return Combine(op, a, b, DateFormat());
    }
    case ExprKind::Chain: {
      Value acc = Eval(*e.operands[0], scope);
      for (size_t i = 1; i < e.operands.size(); ++i) {
        Value next = Eval(*e.operands[i], scope);
        acc = Combine(e.ops[i - 1], acc, next, DateFormat());
      }
      return acc;
    }
    case ExprKind::Like: {
      Value v = Eval(*e.operands[0], scope);
      Value p = Eval(*e.operands[1], scope);
      int escape = -1;
      if (e.operands.size() > 2) {
        Value x = Eval(*e.operands[2], scope);
        if (x.IsNull()) return Value();
        std::string s = ValueToText(x, DateFormat());
        if (s.size() != 1) Raise(1425);
        escape = static_cast<unsigned char>(s[0]);
      }
      if (v.IsNull() || p.IsNull()) return Value();
      bool m = LikeMatch(ValueToText(v, DateFormat()), ValueToText(p, DateFormat()), escape);
      return Value::Bool(m != e.negated);
    }
    case ExprKind::Between: {
      Value v = Eval(*e.operands[0], scope);
      Value lo = Eval(*e.operands[1], scope);
      Value hi = Eval(*e.operands[2], scope);
      if (v.IsNull()) return Value();
      // v >= lo AND v <= hi, each side NULL when its bound is.
      Value a = lo.IsNull() ? Value() : Value::Bool(Compare(v, lo, DateFormat()) >= 0);
      Value b = hi.IsNull() ? Value() : Value::Bool(Compare(v, hi, DateFormat()) <= 0);
      Value r;
      if ((!a.IsNull() && !a.boolean) || (!b.IsNull() && !b.boolean))
        r = Value::Bool(false);
      else if (a.IsNull() || b.IsNull())
        r = Value();
      else
        r = Value::Bool(true);
      if (e.negated && !r.IsNull()) r.boolean = !r.boolean;
      return r;
    }
    case ExprKind::In: {
      Value v = Eval(*e.operands[0], scope);
      if (v.IsNull()) return Value();
      bool sawNull = false;
      for (size_t i = 1; i < e.operands.size(); ++i) {
        Value x = Eval(*e.operands[i], scope);
        if (x.IsNull()) {
          sawNull = true;
          continue;
        }
        if (Compare(v, x, DateFormat()) == 0) return Value::Bool(!e.negated);
      }
      if (sawNull) return Value();
      return Value::Bool(e.negated);
    }
    case ExprKind::IsNull: {
      Value v = Eval(*e.operands[0], scope);
      return Value::Bool(v.IsNull() != e.negated);
    }
    case ExprKind::Case: {
      size_t i = 0;
      Value selector;
      if (e.hasOperand) selector = Eval(*e.operands[i++], scope);
      size_t pairsEnd = e.operands.size() - (e.hasElse ? 1 : 0);
      for (; i < pairsEnd; i += 2) {
        bool hit;
        if (e.hasOperand) {
          Value w = Eval(*e.operands[i], scope);
          hit = !selector.IsNull() && !w.IsNull() && Compare(selector, w, DateFormat()) == 0;
        } else {
          hit = Truth(*e.operands[i], scope);
        }
        if (hit) return Eval(*e.operands[i + 1], scope);
      }
      if (e.hasElse) return Eval(*e.operands.back(), scope);
      return Value();
    }
    case ExprKind::TypedLiteral:
      if (e.text2 == "DATE") return Value::DateOf(ParseOracleDate(e.text, "YYYY-MM-DD"));
      Restriction(e.text2 + " literals");
    case ExprKind::Special: {
      std::vector<Value> args;
      for (const auto& o : e.operands) args.push_back(Eval(*o, scope));
      std::string text;
      if (e.text == "EXTRACT") {
        text = "EXTRACT(" + e.text2 + " FROM :1)";
      } else {
        text = "TRIM(" + e.text2 + (args.size() == 2 ? " :1 FROM :2)" : " FROM :1)");
      }
      return host_.Evaluate(text, args);
    }
    case ExprKind::Cast:
      Restriction(e.text);
    case ExprKind::Inquiry:
      Restriction("inquiry directives");
    case ExprKind::New:
      Restriction("object constructors");
    case ExprKind::IsTest:
      Restriction("IS " + e.text);
  }
  Restriction("this expression");
}

}  // namespace tess::oci7::plsql
