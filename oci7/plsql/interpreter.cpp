// The runtime's entry points (anonymous blocks, triggers), declarations and their types,
// package instances, and the error stack a PL/SQL exception collects on its way out.
#include <algorithm>

#include "oci7/dialect/dialect.h"
#include "oci7/plsql/interp.h"

namespace tess::oci7::plsql {
namespace {

OraError ToOraError(const PlsqlException& e) {
  if (e.user && e.user->code == 0) return OraError(6510, OraText(6510) + e.stack);
  return OraError(e.code, e.message + e.stack);
}

// An Oracle code given to EXCEPTION_INIT or raise_application_error as a negative number;
// +100 is NO_DATA_FOUND.
int CodeOf(double n) {
  if (n == 100) return 1403;
  return static_cast<int>(-n);
}

struct BaseName {
  const char* name;
  Type::Base base;
};

const BaseName kBaseTypes[] = {
    {"VARCHAR2", Type::Varchar},
    {"VARCHAR", Type::Varchar},
    {"STRING", Type::Varchar},
    {"NVARCHAR2", Type::Varchar},
    {"CHAR", Type::Char},
    {"CHARACTER", Type::Char},
    {"NCHAR", Type::Char},
    {"LONG", Type::Long},
    {"CLOB", Type::Long},
    {"NCLOB", Type::Long},
    {"NUMBER", Type::Number},
    {"NUMERIC", Type::Number},
    {"DEC", Type::Number},
    {"DECIMAL", Type::Number},
    {"FLOAT", Type::Number},
    {"REAL", Type::Number},
    {"DOUBLE PRECISION", Type::Number},
    {"BINARY_FLOAT", Type::Number},
    {"BINARY_DOUBLE", Type::Number},
    {"INTEGER", Type::Integer},
    {"INT", Type::Integer},
    {"SMALLINT", Type::Integer},
    {"BINARY_INTEGER", Type::Integer},
    {"PLS_INTEGER", Type::Integer},
    {"SIMPLE_INTEGER", Type::Integer},
    {"NATURAL", Type::Integer},
    {"NATURALN", Type::Integer},
    {"POSITIVE", Type::Integer},
    {"POSITIVEN", Type::Integer},
    {"SIGNTYPE", Type::Integer},
    {"DATE", Type::Date},
    {"BOOLEAN", Type::Boolean},
    {"RAW", Type::Raw},
    {"LONG RAW", Type::Raw},
    {"BLOB", Type::Raw},
    {"ROWID", Type::Rowid},
    {"UROWID", Type::Rowid},
    {"MLSLABEL", Type::Varchar},
    {"SYS_REFCURSOR", Type::RefCursor},
};

}  // namespace

// ---------------------------------------------------------------------------------------
// Stack lines

void Interp::AddStackLine(PlsqlException& e) {
  if (frames_.empty()) return;
  const Frame& f = frames_.back();
  int line = LineColumnAt(f.unit->text, f.offset).line;
  e.stack += "\nORA-06512: at ";
  if (!f.unit->name.empty()) e.stack += "\"" + f.unit->owner + "." + f.unit->name + "\", ";
  e.stack += "line " + std::to_string(line);
}

const std::string& Interp::DateFormat() {
  if (!haveDateFormat_) {
    dateFormat_ = host_.DateFormat();
    haveDateFormat_ = true;
  }
  return dateFormat_;
}

// ---------------------------------------------------------------------------------------
// Entry points

void Interp::RunAnonymous(const Unit& unit, UnitContext& context) {
  Scope root;
  root.unit = &context;
  frames_.push_back({&context, unit.block ? unit.block->offset : 0});
  try {
    if (unit.block) RunBlock(*unit.block, root);
  } catch (PlsqlException& e) {
    AddStackLine(e);
    frames_.pop_back();
    throw ToOraError(e);
  }
  frames_.pop_back();
}

namespace {

Value RowRecord(const std::vector<std::string>& columns, const std::vector<Value>& values) {
  Value v;
  v.kind = Value::Record;
  v.record = std::make_shared<RecordValue>();
  v.record->names = columns;
  v.record->values = values;
  v.record->values.resize(columns.size());
  return v;
}

}  // namespace

void Interp::FireTrigger(const StoredUnit& trigger, TriggerEvent event, TriggerRow* row) {
  if (StackRoom() < kStackReserve) Raise(6500);
  const Unit& u = *trigger.unit;
  UnitContext context{trigger.owner, trigger.name, trigger.owner, trigger.text, nullptr};
  Scope root;
  root.unit = &context;
  triggerEvent_ = event;
  triggerRow_ = row;
  triggerSpec_ = &u.trigger;
  if (row) {
    root.vars[u.trigger.referencingNew] = {RowRecord(row->columns, row->newValues), AnyType(),
                                           false, nullptr};
    root.vars[u.trigger.referencingOld] = {RowRecord(row->columns, row->oldValues), AnyType(), true,
                                           nullptr};
  }
  frames_.push_back({&context, u.block ? u.block->offset : 0});
  try {
    if (u.block) RunBlock(*u.block, root);
  } catch (PlsqlException& e) {
    AddStackLine(e);
    frames_.pop_back();
    OraError err = ToOraError(e);
    err.message += "\nORA-04088: error during execution of trigger '" + trigger.owner + "." +
                   trigger.name + "'";
    throw err;
  }
  frames_.pop_back();
  if (row && !row->newValues.empty()) {
    const Value& n = root.vars[u.trigger.referencingNew].value;
    if (n.record) row->newValues = n.record->values;
  }
}

bool Interp::TriggerCondition(const StoredUnit& trigger, TriggerEvent event, TriggerRow& row) {
  const Unit& u = *trigger.unit;
  if (!u.trigger.when) return true;
  UnitContext context{trigger.owner, trigger.name, trigger.owner, trigger.text, nullptr};
  Scope root;
  root.unit = &context;
  triggerEvent_ = event;
  triggerRow_ = &row;
  triggerSpec_ = &u.trigger;
  root.vars[u.trigger.referencingNew] = {RowRecord(row.columns, row.newValues), AnyType(), true,
                                         nullptr};
  root.vars[u.trigger.referencingOld] = {RowRecord(row.columns, row.oldValues), AnyType(), true,
                                         nullptr};
  frames_.push_back({&context, u.trigger.when->offset});
  try {
    bool result = Truth(*u.trigger.when, root);
    frames_.pop_back();
    return result;
  } catch (PlsqlException& e) {
    AddStackLine(e);
    frames_.pop_back();
    throw ToOraError(e);
  }
}

// ---------------------------------------------------------------------------------------
// Types

namespace {

[[noreturn]] void Undeclared(const TypeSpec& spec) {
  Raise(6550, "PLS-00201: identifier '" + spec.Dotted() + "' must be declared");
}

}  // namespace

TypePtr Interp::ResolveType(const TypeSpec& spec, Scope& scope) {
  if (spec.empty()) return AnyType();
  const std::string& first = spec.name[0];
  if (spec.attribute == "TYPE") {
    size_t used = 0;
    if (Variable* var = FindVariable(spec.name, used, scope)) {
      TypePtr t = var->type ? var->type : AnyType();
      for (size_t i = used; i < spec.name.size(); ++i) {
        auto f = std::find_if(t->fields.begin(), t->fields.end(),
                              [&](const auto& p) { return p.first == spec.name[i]; });
        if (f == t->fields.end()) Undeclared(spec);
        t = f->second;
      }
      return t;
    }
    if (spec.name.size() == 2 || spec.name.size() == 3) {
      bool owned = spec.name.size() == 3;
      auto cols = host_.TableColumns(scope.unit->schema, owned ? spec.name[0] : "",
                                     spec.name[owned ? 1 : 0]);
      if (cols)
        for (const ColumnType& c : *cols)
          if (c.name == spec.name.back()) return TypeFromColumn(c);
    }
    Undeclared(spec);
  }
  if (spec.attribute == "ROWTYPE") {
    auto t = std::make_shared<Type>();
    t->base = Type::Record;
    t->name = spec.Dotted();
    size_t used = 0;
    Variable* var = spec.name.size() == 1 ? FindVariable(spec.name, used, scope) : nullptr;
    if (var && var->cursor && var->cursor->query) {
      // A cursor's row: its select list's names, typed by the values fetched.  Its
      // parameters stand in the query as variables.
      Scope params;
      params.parent = &scope;
      params.unit = scope.unit;
      for (const Param& p : var->cursor->params)
        params.vars[p.name] = {Value(), ResolveType(p.type, scope), true, nullptr};
      std::unique_ptr<SqlStatement> st = PrepareSql(*var->cursor->query, params);
      for (const std::string& c : st->Columns()) t->fields.emplace_back(c, AnyType());
      return t;
    }
    bool owned = spec.name.size() == 2;
    if (spec.name.size() <= 2) {
      auto cols =
          host_.TableColumns(scope.unit->schema, owned ? spec.name[0] : "", spec.name.back());
      if (cols) {
        for (const ColumnType& c : *cols) t->fields.emplace_back(c.name, TypeFromColumn(c));
        return t;
      }
    }
    Undeclared(spec);
  }
  if (spec.name.size() == 1) {
    for (const BaseName& b : kBaseTypes) {
      if (first != b.name) continue;
      auto t = std::make_shared<Type>();
      t->base = b.base;
      t->name = first;
      if (spec.length) {
        if (b.base == Type::Number) {
          t->precision = *spec.length;
          // FLOAT(p) counts binary digits and has no scale, as its column has none.
          t->scale = first == "FLOAT" ? -127 : spec.scale.value_or(0);
          t->hasScale = true;
        } else {
          t->length = *spec.length;
        }
      } else if (b.base == Type::Char) {
        t->length = 1;  // CHAR alone is CHAR(1)
      }
      if (first == "NATURALN" || first == "POSITIVEN") t->notNull = true;
      return t;
    }
    for (Scope* s = &scope; s; s = s->parent) {
      auto it = s->types.find(first);
      if (it != s->types.end()) return it->second;
    }
  }
  if (spec.name.size() == 2 || spec.name.size() == 3) {
    // A type of a package: PKG.T or OWNER.PKG.T.
    bool owned = spec.name.size() == 3;
    auto ref =
        host_.FindProgram(scope.unit->schema, owned ? spec.name[0] : "", spec.name[owned ? 1 : 0]);
    if (ref && ref->kind == UnitKind::Package) {
      PackageInstance& p = Package(ref->owner, ref->name);
      auto it = p.scope->types.find(spec.name.back());
      if (it != p.scope->types.end()) return it->second;
    }
  }
  Undeclared(spec);
}

Value Interp::InitialValue(const Type& t) {
  Value v;
  if (t.base == Type::Record) {
    v.kind = Value::Record;
    v.record = std::make_shared<RecordValue>();
    for (size_t i = 0; i < t.fields.size(); ++i) {
      v.record->names.push_back(t.fields[i].first);
      bool preset = i < t.fieldDefaults.size() && !t.fieldDefaults[i].IsNull();
      v.record->values.push_back(preset ? t.fieldDefaults[i].Copy()
                                        : InitialValue(*t.fields[i].second));
    }
  } else if (t.base == Type::Table) {
    v.kind = Value::Table;
    v.table = std::make_shared<TableValue>();
  }
  return v;
}

// ---------------------------------------------------------------------------------------
// Declarations

void Interp::Elaborate(const std::vector<Decl>& decls, Scope& scope) {
  for (const Decl& d : decls) {
    if (!frames_.empty()) frames_.back().offset = d.offset;
    host_.CheckCancel();
    switch (d.kind) {
      case DeclKind::Variable:
      case DeclKind::Constant: {
        TypePtr t = ResolveType(d.type, scope);
        if (d.notNull && !t->notNull) {
          auto copy = std::make_shared<Type>(*t);
          copy->notNull = true;
          t = copy;
        }
        Value v = d.init ? Coerce(Eval(*d.init, scope), *t, DateFormat()) : InitialValue(*t);
        if (t->notNull && v.IsNull()) ThrowValueError("");
        scope.vars[d.name] = {std::move(v), t, d.kind == DeclKind::Constant, nullptr};
        break;
      }
      case DeclKind::Exception:
        scope.exceptions[d.name] = std::make_shared<ExceptionInfo>(ExceptionInfo{d.name, 0});
        break;
      case DeclKind::Subtype: {
        TypePtr t = ResolveType(d.type, scope);
        if (d.notNull) {
          auto copy = std::make_shared<Type>(*t);
          copy->notNull = true;
          t = copy;
        }
        scope.types[d.name] = t;
        break;
      }
      case DeclKind::RecordType: {
        auto t = std::make_shared<Type>();
        t->base = Type::Record;
        t->name = d.name;
        for (const Field& f : d.fields) {
          TypePtr ft = ResolveType(f.type, scope);
          if (f.notNull && !ft->notNull) {
            auto copy = std::make_shared<Type>(*ft);
            copy->notNull = true;
            ft = copy;
          }
          t->fields.emplace_back(f.name, ft);
          // Defaults are taken when the type is declared; every new record starts with them.
          t->fieldDefaults.push_back(f.init ? Coerce(Eval(*f.init, scope), *ft, DateFormat())
                                            : Value());
        }
        scope.types[d.name] = t;
        break;
      }
      case DeclKind::TableType:
      case DeclKind::VarrayType: {
        auto t = std::make_shared<Type>();
        t->base = Type::Table;
        t->name = d.name;
        t->element = ResolveType(d.type, scope);
        if (d.indexBy && !d.indexBy->name.empty()) {
          const std::string& k = d.indexBy->name[0];
          t->textIndex = k == "VARCHAR2" || k == "VARCHAR" || k == "STRING" || k == "LONG";
        }
        scope.types[d.name] = t;
        break;
      }
      case DeclKind::RefCursorType: {
        auto t = std::make_shared<Type>();
        t->base = Type::RefCursor;
        t->name = d.name;
        scope.types[d.name] = t;
        break;
      }
      case DeclKind::Cursor: {
        auto existing = scope.vars.find(d.name);
        if (existing != scope.vars.end() && existing->second.cursor) {
          // A package body completing the cursor its specification declared.
          if (d.query) existing->second.cursor = &d;
          break;
        }
        Value v;
        v.kind = Value::Cursor;
        v.cursor = std::make_shared<CursorValue>();
        auto t = std::make_shared<Type>();
        t->base = Type::RefCursor;
        scope.vars[d.name] = {std::move(v), t, true, &d};
        break;
      }
      case DeclKind::Pragma:
        if (d.name == "EXCEPTION_INIT" && d.pragmaArgs.size() == 2 &&
            d.pragmaArgs[0]->kind == ExprKind::Name) {
          const std::string& name = d.pragmaArgs[0]->parts.back();
          Value code = Eval(*d.pragmaArgs[1], scope);
          for (Scope* s = &scope; s; s = s->parent) {
            auto it = s->exceptions.find(name);
            if (it != s->exceptions.end()) {
              if (auto n = ToNumber(code)) it->second->code = CodeOf(*n);
              break;
            }
          }
        }
        break;
      case DeclKind::Subprogram:
        scope.subprograms.emplace(d.name, Callable{d.subprogram.get(), &scope, scope.unit});
        break;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Packages

PackageInstance& Interp::Package(const std::string& owner, const std::string& name) {
  std::string key = PhysicalKey(owner, name);
  auto found = state_.packages.find(key);
  if (found != state_.packages.end() && found->second && found->second->ready) {
    if (found->second->checkedRun == state_.run) return *found->second;
    // First use in this call: still the version it was started from?  (The host raises
    // ORA-04068 when another session changed it, discarding it.)
    std::shared_ptr<const StoredUnit> spec = host_.LoadUnit(owner, name, UnitKind::Package);
    std::shared_ptr<const StoredUnit> body = host_.LoadUnit(owner, name, UnitKind::PackageBody);
    found = state_.packages.find(key);
    if (found != state_.packages.end() && found->second && found->second->spec == spec &&
        found->second->body == body) {
      found->second->checkedRun = state_.run;
      return *found->second;
    }
  }
  state_.Discard(key);  // a changed version, or a start that failed
  PackageInstance& p = *(state_.packages[key] = std::make_unique<PackageInstance>());
  p.checkedRun = state_.run;
  p.spec = host_.LoadUnit(owner, name, UnitKind::Package);
  if (!p.spec) {
    state_.packages.erase(key);
    Raise(6550, "PLS-00201: identifier '" + key + "' must be declared");
  }
  p.body = host_.LoadUnit(owner, name, UnitKind::PackageBody);
  const StoredUnit& main = p.body ? *p.body : *p.spec;
  p.unit = std::make_unique<UnitContext>(
      UnitContext{owner, name, owner, main.text, p.body ? p.body : p.spec});
  auto specUnit =
      std::make_unique<UnitContext>(UnitContext{owner, name, owner, p.spec->text, p.spec});
  p.scope = std::make_unique<Scope>();
  p.scope->unit = p.unit.get();
  p.scope->names.push_back(name);
  p.scope->isPackage = true;
  p.ready = true;  // the package may name itself while it starts
  try {
    frames_.push_back({specUnit.get(), 0});
    Elaborate(p.spec->unit->decls, *p.scope);
    frames_.pop_back();
    if (p.body) {
      frames_.push_back({p.unit.get(), 0});
      Elaborate(p.body->unit->decls, *p.scope);
      if (p.body->unit->block) RunBlock(*p.body->unit->block, *p.scope);
      frames_.pop_back();
    }
  } catch (PlsqlException& e) {
    AddStackLine(e);
    frames_.pop_back();
    state_.Discard(key);
    throw;
  }
  return *state_.packages[key];
}

// ---------------------------------------------------------------------------------------
// Runtime

struct Runtime::Impl {
  RuntimeState state;
};

namespace {

// An outermost call starts a new run; packages discarded meanwhile go when it ends.
class RunScope {
 public:
  explicit RunScope(RuntimeState& s) : s_(s) {
    if (s_.depth++ == 0) ++s_.run;
  }
  ~RunScope() {
    if (--s_.depth == 0) s_.retired.clear();
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  RuntimeState& s_;
};

}  // namespace

Runtime::Runtime() : impl_(std::make_unique<Impl>()) {}
Runtime::~Runtime() = default;

void Runtime::RunBlock(Host& host, const Unit& unit, std::string_view text,
                       const std::string& schema) {
  RunScope run(impl_->state);
  Interp interp(impl_->state, host);
  UnitContext context{"", "", schema, text, nullptr};
  interp.RunAnonymous(unit, context);
}

void Runtime::FireTrigger(Host& host, const StoredUnit& trigger, TriggerEvent event,
                          TriggerRow* row) {
  RunScope run(impl_->state);
  Interp interp(impl_->state, host);
  interp.FireTrigger(trigger, event, row);
}

bool Runtime::TriggerCondition(Host& host, const StoredUnit& trigger, TriggerEvent event,
                               TriggerRow& row) {
  RunScope run(impl_->state);
  Interp interp(impl_->state, host);
  return interp.TriggerCondition(trigger, event, row);
}

void Runtime::ResetPackage(const std::string& owner, const std::string& name) {
  impl_->state.Discard(PhysicalKey(owner, name));
}

bool Runtime::HasPackageState(const std::string& owner, const std::string& name) const {
  return impl_->state.packages.count(PhysicalKey(owner, name)) != 0;
}

void Runtime::ResetAll() {
  while (!impl_->state.packages.empty()) impl_->state.Discard(impl_->state.packages.begin()->first);
}

}  // namespace tess::oci7::plsql
