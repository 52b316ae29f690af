// PL/SQL in the engine: anonymous blocks are compiled at parse (errors as ORA-06550 with
// line and column, the parse offset at the first) and run by the session's interpreter
// over a host that is the session itself: its connection for SQL, the cursor's binds
// for :names, the dictionary for stored programs, its server output and its break.
//
// Stored units are parsed once per session and kept until the catalog says they changed
// (their LAST_DDL_TIME); a package whose text changed loses its state.
#include <sqlite3.h>

#include <algorithm>
#include <map>

#include "oci7/catalog_query.h"
#include "oci7/compile_checks.h"
#include "oci7/dictionary.h"
#include "oci7/plsql/runtime.h"
#include "oci7/plsql/sqlite_host.h"

namespace tess::oci7 {

struct PlsqlState {
  plsql::Runtime runtime;
  struct Cached {
    std::string version;
    std::shared_ptr<const plsql::StoredUnit> unit;
  };
  std::map<std::string, Cached> units;  // UnitKey
};

namespace {

// A parsed unit's key: the object's, then "/" and the type (which holds no "/").
std::string UnitKey(const std::string& owner, const std::string& name, const std::string& type) {
  return PhysicalKey(owner, name) + "/" + type;
}

PlsqlState& StateOf(Session& s) {
  if (!s.plsql) s.plsql = std::make_shared<PlsqlState>();
  return *s.plsql;
}

plsql::Value FromEngine(const Value& v) {
  switch (v.kind) {
    case Value::Null:
      return plsql::Value();
    case Value::Integer:
      return plsql::Value::Num(static_cast<double>(v.i));
    case Value::Real:
      return plsql::Value::Num(v.r);
    case Value::Text:
      if (v.oracleType == kTypeDate) return plsql::Value::DateOf(v.s);
      if (v.oracleType == kTypeNumber) {
        if (auto d = ParseOracleNumber(v.s)) return plsql::Value::Num(*d);
      }
      return plsql::Value::Str(v.s);
    case Value::Blob:
      return plsql::Value::RawOf(v.s);
  }
  return plsql::Value();
}

OraError WrongType() {
  return EngineError(6550, "line 1, column 1:\nPLS-00382: expression is of wrong type");
}

Value ToEngine(const plsql::Value& v) {
  Value out;
  switch (v.kind) {
    case plsql::Value::Null:
      break;
    case plsql::Value::Number:
      out.oracleType = kTypeNumber;
      if (v.number == static_cast<double>(static_cast<int64_t>(v.number)) && v.number > -9.0e18 &&
          v.number < 9.0e18) {
        out.kind = Value::Integer;
        out.i = static_cast<int64_t>(v.number);
      } else {
        out.kind = Value::Real;
        out.r = v.number;
      }
      break;
    case plsql::Value::Text:
      out.kind = Value::Text;
      out.s = v.text;
      out.oracleType = kTypeVarchar2;
      break;
    case plsql::Value::Date:
      out.kind = Value::Text;
      out.s = v.text;
      out.oracleType = kTypeDate;
      break;
    case plsql::Value::Raw:
      out.kind = Value::Blob;
      out.s = v.text;
      out.oracleType = kTypeRaw;
      break;
    default:
      throw WrongType();
  }
  return out;
}

// A statement the interpreter cannot run on SQLite directly (DDL, a block, the engine's
// own statements): it runs through a cursor of the session, as the caller's would.
class CursorStatement : public plsql::SqlStatement {
 public:
  CursorStatement(std::shared_ptr<Session> session, std::string_view text)
      : cursor_(std::make_shared<Cursor>(std::move(session))) {
    cursor_->Parse(text);
  }
  ~CursorStatement() override { cursor_->Release(); }
  const std::vector<std::string>& Binds() const override { return none_; }
  const std::vector<bool>& VariableBinds() const override { return noFlags_; }
  const std::vector<std::string>& Columns() const override { return none_; }
  bool IsQuery() const override { return false; }
  void Execute(const std::vector<plsql::Value>& values) override {
    if (!values.empty()) throw EngineError(1036);
    cursor_->Execute(1, 0);
    rows_ = cursor_->rowsProcessed();
  }
  bool Fetch(std::vector<plsql::Value>&) override { return false; }
  int64_t RowsAffected() const override { return rows_; }

 private:
  std::shared_ptr<Cursor> cursor_;
  std::vector<std::string> none_;
  std::vector<bool> noFlags_;
  int64_t rows_ = 0;
};

// DML on a table with triggers, run row by row; binds as the plain statement has them.
class TriggeredStatement : public plsql::SqlStatement {
 public:
  TriggeredStatement(Session& s, std::string_view text, std::string schema,
                     std::function<bool(const std::string&)> isVariable,
                     std::unique_ptr<plsql::SqliteStatement> plain)
      : s_(s),
        text_(text),
        schema_(std::move(schema)),
        isVariable_(std::move(isVariable)),
        plain_(std::move(plain)) {}
  const std::vector<std::string>& Binds() const override { return plain_->Binds(); }
  const std::vector<bool>& VariableBinds() const override { return plain_->VariableBinds(); }
  const std::vector<std::string>& Columns() const override { return plain_->Columns(); }
  bool IsQuery() const override { return false; }
  void Execute(const std::vector<plsql::Value>& values) override {
    const std::vector<std::string>& names = Binds();
    rows_ = RunTriggeredDml(
        s_, plain_->translation(), text_, schema_, isVariable_, [&](const std::string& name) {
          auto it = std::find(names.begin(), names.end(), name);
          if (it == names.end() || static_cast<size_t>(it - names.begin()) >= values.size())
            throw EngineError(1008);
          return values[static_cast<size_t>(it - names.begin())];
        });
  }
  bool Fetch(std::vector<plsql::Value>&) override { return false; }
  int64_t RowsAffected() const override { return rows_; }

 private:
  Session& s_;
  std::string text_;
  std::string schema_;
  std::function<bool(const std::string&)> isVariable_;
  std::unique_ptr<plsql::SqliteStatement> plain_;
  int64_t rows_ = 0;
};

class EngineHost : public plsql::Host {
 public:
  EngineHost(Session& s, Cursor* cursor) : s_(s), cursor_(cursor) {}

  int warning = 0;

  TranslateContext Context(const std::string& schema,
                           const std::function<bool(const std::string&)>& isVariable,
                           const std::function<int(const std::string&)>& variableType = {}) {
    TranslateContext ctx = s_.MakeTranslateContext(schema);
    ctx.isVariable = isVariable;
    ctx.variableType = variableType;
    return ctx;
  }

  plsql::SqliteErrorMapper Mapper() {
    Session* s = &s_;
    return [s](sqlite3* db, int rc, const Translation* tr, sqlite3_stmt* failed) {
      return MapSqliteError(db, rc, {tr ? tr->functionCode : 0, tr, s, failed});
    };
  }

  std::unique_ptr<plsql::SqlStatement> Prepare(
      std::string_view sql, const std::string& schema,
      const std::function<bool(const std::string&)>& isVariable,
      const std::function<int(const std::string&)>& variableType) override {
    StatementInfo info = Classify(sql);
    if (info.isQuery || info.isDml) {
      Session* s = &s_;
      bool dml = info.isDml;
      if (dml) {
        std::unique_ptr<plsql::SqliteStatement> st =
            plsql::PrepareOnSqlite(s_.db(), sql, Context(schema, isVariable, variableType),
                                   Mapper(), [s](const Translation&) { s->BeginWrite(); });
        CheckDmlPrivilege(s_, st->translation(), schema);
        if (RunsRowByRow(s_, st->translation()))
          return std::make_unique<TriggeredStatement>(s_, sql, schema, isVariable, std::move(st));
        return st;
      }
      return plsql::PrepareOnSqlite(s_.db(), sql, Context(schema, isVariable, variableType),
                                    Mapper(), [s, dml](const Translation& tr) {
                                      if (dml)
                                        s->BeginWrite();
                                      else if (tr.sql.find("ORA$NEXTVAL") != std::string::npos)
                                        s->BeginWrite(Session::WriteReason::Sequence);
                                    });
    }
    return std::make_unique<CursorStatement>(s_.shared_from_this(), sql);
  }

  plsql::Value Evaluate(const std::string& expression,
                        const std::vector<plsql::Value>& args) override {
    return plsql::EvaluateOnSqlite(s_.db(), expression, args, Context(s_.user(), {}), Mapper());
  }

  std::optional<plsql::Value> ReadBind(const std::string& name) override {
    const BindVar* b = cursor_ ? cursor_->FindBind(name) : nullptr;
    if (!b) return std::nullopt;
    if (b->ftype == kExtCursor) return plsql::Value();
    if (b->maxsiz > 0) {
      plsql::Value t;
      t.kind = plsql::Value::Table;
      t.table = std::make_shared<plsql::TableValue>();
      ub4 n = b->cursiz ? std::min(*b->cursiz, b->maxsiz) : 0;
      for (ub4 i = 0; i < n; ++i) {
        plsql::TableKey k;
        k.number = i + 1;
        t.table->elements[k] = FromEngine(cursor_->ReadInBind(*b, static_cast<int>(i)));
      }
      return t;
    }
    return FromEngine(cursor_->ReadInBind(*b, 0));
  }

  void WriteBind(const std::string& name, const plsql::Value& v) override {
    const BindVar* b = cursor_ ? cursor_->FindBind(name) : nullptr;
    if (!b) throw EngineError(1008);
    if (v.kind == plsql::Value::Cursor) {
      OpenCursorVariable(*b, v);
      return;
    }
    if (b->ftype == kExtCursor) throw WrongType();
    if (v.kind == plsql::Value::Table) {
      if (b->maxsiz == 0) throw WrongType();
      ub4 n = 0;
      for (const auto& [key, element] : v.table->elements) {
        if (n >= b->maxsiz) break;
        Note(cursor_->WriteOutBind(*b, ToEngine(element), static_cast<int>(n)));
        ++n;
      }
      if (b->cursiz) *b->cursiz = n;
      return;
    }
    Note(cursor_->WriteOutBind(*b, ToEngine(v), 0));
  }

  void Commit() override { s_.Commit(); }
  void Rollback(const std::string& savepoint) override {
    if (savepoint.empty())
      s_.Rollback();
    else
      s_.RollbackToSavepoint(savepoint);
  }
  void Savepoint(const std::string& name) override {
    s_.BeginWrite();
    std::string sql = "SAVEPOINT \"" + name + "\"";
    ExecSql(s_.db(), sql.c_str());
    ++s_.savepointsSet;
  }

  std::optional<plsql::ProgramRef> FindProgram(const std::string& schema, const std::string& owner,
                                               const std::string& name) override {
    sqlite3* db = s_.db();
    auto lookup = [&](const std::string& o,
                      const std::string& n) -> std::optional<plsql::ProgramRef> {
      CatalogQuery q(db,
                     "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = "
                     "?2 AND OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', 'PACKAGE', 'SYNONYM')",
                     {o, n});
      if (!q.Row()) return std::nullopt;
      std::string type = q.Text(0);
      if (type == "SYNONYM") {
        CatalogQuery t(db,
                       "SELECT TABLE_OWNER, TABLE_NAME FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1 AND "
                       "SYNONYM_NAME = ?2",
                       {o, n});
        if (!t.Row()) return std::nullopt;
        std::string to = t.Text(0), tn = t.Text(1);
        CatalogQuery u(db,
                       "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME "
                       "= ?2 AND OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', 'PACKAGE')",
                       {to, tn});
        if (!u.Row()) return std::nullopt;
        return plsql::ProgramRef{to, tn, KindOf(u.Text(0))};
      }
      return plsql::ProgramRef{o, n, KindOf(type)};
    };
    std::optional<plsql::ProgramRef> ref;
    if (!owner.empty()) {
      ref = lookup(owner, name);
    } else {
      ref = lookup(schema, name);
      if (!ref) ref = lookup("PUBLIC", name);
    }
    if (ref && ref->owner != schema &&
        !HasObjectPrivilege(s_, ref->owner, ref->name, plsql::UnitKindName(ref->kind), "EXECUTE"))
      return std::nullopt;
    return ref;
  }

  std::shared_ptr<const plsql::StoredUnit> LoadUnit(const std::string& owner,
                                                    const std::string& name,
                                                    plsql::UnitKind kind) override {
    return LoadStoredUnit(s_, owner, name, kind);
  }

  std::optional<std::vector<plsql::ColumnType>> TableColumns(const std::string& schema,
                                                             const std::string& owner,
                                                             const std::string& name) override {
    std::optional<ResolvedObject> r;
    try {
      r = s_.Resolve(ObjectRef{owner, name, "", -1}, schema);
    } catch (const OraError&) {
      return std::nullopt;
    }
    if (!r) return std::nullopt;
    CatalogQuery q(s_.db(),
                   "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE FROM "
                   "\"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 ORDER BY COLUMN_ID",
                   {r->owner, r->name});
    std::vector<plsql::ColumnType> out;
    while (q.Row()) {
      std::string t = q.Text(1);
      int code = t == "VARCHAR2"   ? 1
                 : t == "NUMBER"   ? 2
                 : t == "LONG"     ? 8
                 : t == "ROWID"    ? 11
                 : t == "DATE"     ? 12
                 : t == "RAW"      ? 23
                 : t == "LONG RAW" ? 24
                 : t == "CHAR"     ? 96
                                   : 0;
      out.push_back({q.Text(0), code, static_cast<int>(q.Int(2)), static_cast<int>(q.Int(3)),
                     static_cast<int>(q.Int(4)), !q.Null(4)});
    }
    if (out.empty()) return std::nullopt;
    return out;
  }

  std::string DateFormat() override { return s_.dateFormat(); }
  void OutputEnable(std::optional<int64_t> size) override {
    s_.output().Enable(size.value_or(1000000));
  }
  void OutputDisable() override { s_.output().Disable(); }
  void OutputPut(const std::string& text) override { s_.output().Put(text); }
  void OutputNewLine() override { s_.output().NewLine(); }
  std::optional<std::string> OutputGetLine() override { return s_.output().GetLine(); }
  void Sleep(double seconds) override {
    s_.InterruptibleSleep(static_cast<int64_t>(seconds * 1000));
  }
  void CheckCancel() override { s_.CheckCancel(); }

 private:
  static plsql::UnitKind KindOf(const std::string& type) {
    if (type == "FUNCTION") return plsql::UnitKind::Function;
    if (type == "PACKAGE") return plsql::UnitKind::Package;
    return plsql::UnitKind::Procedure;
  }

  void Note(int code) {
    if (code && !warning) warning = code;
  }

  // OPEN :c FOR ...: the caller's cursor area becomes a fetchable cursor of its own.
  void OpenCursorVariable(const BindVar& b, const plsql::Value& v) {
    if (b.ftype != kExtCursor) throw WrongType();
    if (!b.progv) throw EngineError(1009);
    auto* statement = dynamic_cast<plsql::SqliteStatement*>(v.cursor->statement.get());
    if (!statement) throw WrongType();
    Translation translation = statement->translation();
    sqlite3_stmt* st = statement->Release();
    v.cursor->isOpen = false;
    auto child = std::make_shared<Cursor>(cursor_->sessionPtr());
    child->OpenAsCursorVariable(translation, st);
    auto* area = reinterpret_cast<CdaDef*>(b.progv);
    uint64_t id = RegisterCursor(child, area);
    s_.AddCursor(id);
    cursor_->AddChild(id);
    area->ft = kFcSelect;
    area->rc = 0;
    area->rpc = 0;
    area->peo = 0;
  }

  Session& s_;
  Cursor* cursor_;
};

// Compile messages as the server gives them for a block: "ORA-06550: line L, column C:"
// before each, the errors of a line before its notes ("PL/SQL: Statement ignored").
OraError CompileError(const std::vector<plsql::Message>& errors) {
  std::vector<plsql::Message> sorted = errors;
  auto note = [](const plsql::Message& m) {
    return m.text.compare(0, 8, "PL/SQL: ") == 0 && m.text.find("ignored") != std::string::npos;
  };
  std::stable_sort(sorted.begin(), sorted.end(),
                   [&](const plsql::Message& a, const plsql::Message& b) {
                     if (a.line != b.line) return a.line < b.line;
                     if (note(a) != note(b)) return note(b);
                     return a.position < b.position;
                   });
  std::string text;
  for (const plsql::Message& m : sorted) {
    if (!text.empty()) text += "\nORA-06550: ";
    text += "line " + std::to_string(m.line) + ", column " + std::to_string(m.position) + ":\n" +
            m.text;
  }
  return EngineError(6550, text, static_cast<int>(sorted.front().offset));
}

class Block final : public PlsqlBlock {
 public:
  Block(std::string_view text, Session& session) : text_(text), session_(session) {
    for (const Token& t : Tokenize(text_))
      if (t.kind == TokenKind::Bind &&
          std::find(binds_.begin(), binds_.end(), t.value) == binds_.end())
        binds_.push_back(t.value);
    plsql::Environment env = BlockEnvironment(session_, session_.user());
    plsql::ParseResult r = plsql::CompileUnit(text_, env);
    std::vector<plsql::Message> errors = r.errors;
    if (r.unit && errors.empty()) errors = plsql::CheckSubset(*r.unit, text_);
    if (!errors.empty()) throw CompileError(errors);
    unit_ = std::move(r.unit);
  }

  const std::vector<std::string>& binds() const override { return binds_; }

  int Run(Cursor& cursor) override {
    EngineHost host(session_, &cursor);
    StateOf(session_).runtime.RunBlock(host, *unit_, text_, session_.user());
    session_.EndSequenceOnly();
    return host.warning;
  }

 private:
  std::string text_;
  Session& session_;
  std::vector<std::string> binds_;
  std::unique_ptr<plsql::Unit> unit_;
};

}  // namespace

plsql::Environment BlockEnvironment(Session& s, const std::string& schema, Rights rights) {
  plsql::Environment env;
  Session* session = &s;
  env.isSchemaObject = [session, schema, rights](const std::string& owner,
                                                 const std::string& name) {
    ObjectRef ref{owner, name, "", -1};
    try {
      if (std::optional<ResolvedObject> r = session->Resolve(ref, schema, rights)) return true;
    } catch (const OraError&) {
      return false;
    }
    // Stored programs are looked up where they are called; EXECUTE counts there.
    std::string programOwner = owner.empty() ? schema : owner;
    CatalogQuery q(session->db(),
                   "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                   "AND OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', 'PACKAGE')",
                   {programOwner, name});
    return q.Row() &&
           HasObjectPrivilege(*session, programOwner, name, q.Text(0), "EXECUTE", schema, rights);
  };
  env.isUser = [session](const std::string& name) {
    return CatalogHas(session->db(), "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = ?1", {name});
  };
  env.checkSql = SqlNameCheck(s, schema, rights);
  env.invalidProgram = [session, schema](const std::string& written,
                                         const std::string& object) -> std::optional<std::string> {
    const std::string owner = written.empty() ? schema : written;
    CatalogQuery q(session->db(),
                   "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                   "AND OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', 'PACKAGE') AND STATUS <> 'VALID'",
                   {owner, object});
    if (!q.Row()) return std::nullopt;
    std::string type = q.Text(0);
    if (RecompileIfInvalid(*session, owner, object, type)) return std::nullopt;
    return owner + "." + object;
  };
  return env;
}

namespace {

// A stored program's version and status.
const char* const kVersionQuery =
    "SELECT O.OBJECT_ID || '/' || ifnull(P.STAMP, O.LAST_DDL_TIME), O.STATUS FROM "
    "\"TESS$OBJECTS\" O LEFT JOIN \"TESS$PROGRAM_STAMPS\" P ON P.OWNER = O.OWNER AND P.NAME = "
    "O.OBJECT_NAME AND P.TYPE = O.OBJECT_TYPE WHERE O.OWNER = ?1 AND O.OBJECT_NAME = ?2 AND "
    "O.OBJECT_TYPE = ?3";

}  // namespace

std::shared_ptr<const plsql::StoredUnit> LoadStoredUnit(Session& s, const std::string& owner,
                                                        const std::string& name,
                                                        plsql::UnitKind kind) {
  sqlite3* db = s.db();
  const std::string type = plsql::UnitKindName(kind);
  std::string version;
  {
    CatalogQuery q(db, kVersionQuery, {owner, name, type});
    if (!q.Row()) return nullptr;
    version = q.Text(0);
    if (q.Text(1) != "VALID") {
      // Like the server, try to compile it again before giving up.
      if (!RecompileIfInvalid(s, owner, name, type)) {
        std::string what = type;
        for (char& c : what) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        throw EngineError(4063, what + " \"" + owner + "." + name + "\"");
      }
      CatalogQuery again(db, kVersionQuery, {owner, name, type});
      if (again.Row()) version = again.Text(0);
    }
  }
  PlsqlState& state = StateOf(s);
  const std::string key = UnitKey(owner, name, type);
  auto it = state.units.find(key);
  if (it != state.units.end() && it->second.version == version) return it->second.unit;
  if (it != state.units.end() &&
      (kind == plsql::UnitKind::Package || kind == plsql::UnitKind::PackageBody)) {
    // Changed under this session by another: the package's variables are gone, and the
    // call that finds it out fails, as on the server; the next one starts afresh.
    bool hadState = state.runtime.HasPackageState(owner, name);
    state.runtime.ResetPackage(owner, name);
    state.units.erase(it);
    if (hadState) {
      const std::string quoted = "\"" + owner + "." + name + "\"";
      throw OraError(4068,
                     "ORA-04068: existing state of packages has been discarded\n"
                     "ORA-04061: existing state of package " +
                         quoted +
                         " has been invalidated\nORA-04065: not executed, altered or "
                         "dropped package " +
                         quoted + "\nORA-06508: PL/SQL: could not find program unit being called");
    }
  }
  CatalogQuery q(db,
                 "SELECT TEXT FROM \"TESS$SOURCE\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3 "
                 "ORDER BY LINE",
                 {owner, name, type});
  auto unit = std::make_shared<plsql::StoredUnit>();
  while (q.Row()) unit->text += q.Text(0);
  unit->owner = owner;
  unit->name = name;
  unit->kind = kind;
  plsql::ParseResult r = plsql::ParseUnit(unit->text);
  if (!r.ok()) throw EngineError(4063, "\"" + owner + "." + name + "\"");
  unit->unit = std::shared_ptr<const plsql::Unit>(std::move(r.unit));
  state.units[key] = {version, unit};
  return unit;
}

void ResetProgramState(Session& s, const std::string& owner, const std::string& name) {
  if (!s.plsql) return;
  s.plsql->runtime.ResetPackage(owner, name);
  const std::string object = PhysicalKey(owner, name);
  for (auto it = s.plsql->units.begin(); it != s.plsql->units.end();) {
    if (it->first.rfind('/') == object.size() && it->first.compare(0, object.size(), object) == 0)
      it = s.plsql->units.erase(it);
    else
      ++it;
  }
}

plsql::Runtime& RuntimeOf(Session& s) {
  return StateOf(s).runtime;
}

plsql::Value PlsqlValue(const Value& v) {
  return FromEngine(v);
}

std::unique_ptr<plsql::Host> MakeEngineHost(Session& s, Cursor* cursor) {
  return std::make_unique<EngineHost>(s, cursor);
}

std::unique_ptr<PlsqlBlock> ParsePlsqlBlock(std::string_view text, Session& session) {
  return std::make_unique<Block>(text, session);
}

}  // namespace tess::oci7
