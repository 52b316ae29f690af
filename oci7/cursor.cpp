// Cursors: parse (classify, translate, prepare once), bind by name, describe, define,
// execute (DML once per array element, DDL between commits, PL/SQL blocks, the engine's
// own statements) and array fetch into the caller's buffers.
//
// The fetch path does no per-row allocation: the statement is prepared at parse, the
// column types are worked out once, and values go straight from SQLite into the
// caller's buffers.  Rows processed is cumulative for a fetch and counts affected rows for
// DML.
#include <sqlite3.h>

#include <cstring>

#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"
#include "oci7/engine.h"

namespace tess::oci7 {
namespace {

// Binds one engine value to a statement parameter.
void BindValue(sqlite3_stmt* st, int idx, const Value& v) {
  switch (v.kind) {
    case Value::Null:
      sqlite3_bind_null(st, idx);
      break;
    case Value::Integer:
      sqlite3_bind_int64(st, idx, v.i);
      break;
    case Value::Real:
      sqlite3_bind_double(st, idx, v.r);
      break;
    case Value::Text:
      sqlite3_bind_text(st, idx, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
    case Value::Blob:
      sqlite3_bind_blob(st, idx, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
  }
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A bind name as the caller gives it: with or without the colon, any case ("Name" in
// double quotes keeps its case).
std::string NormalizeBindName(std::string_view raw) {
  while (!raw.empty() && (raw.front() == ' ' || raw.front() == '\t')) raw.remove_prefix(1);
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
  if (!raw.empty() && raw.front() == ':') raw.remove_prefix(1);
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
    return std::string(raw.substr(1, raw.size() - 2));
  return Upper(raw);
}

// Runs catalog statements with text and integer arguments.
void CatalogExec(sqlite3* db, const char* sql, std::initializer_list<Value> args) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(st);
    throw MapSqliteError(db, rc, {});
  }
  int i = 1;
  for (const Value& v : args) BindValue(st, i++, v);
  rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw MapSqliteError(db, rc, {});
}

Value T(const std::string& s) {
  Value v;
  if (s.empty()) return v;
  v.kind = Value::Text;
  v.s = s;
  return v;
}
Value I(int64_t x) {
  Value v;
  v.kind = Value::Integer;
  v.i = x;
  return v;
}
Value N() {
  return Value();
}

int64_t CatalogInt(sqlite3* db, const char* sql, const std::string& a, const std::string& b,
                   int64_t missing) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return missing;
  }
  sqlite3_bind_text(st, 1, a.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, b.c_str(), -1, SQLITE_TRANSIENT);
  int64_t v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : missing;
  sqlite3_finalize(st);
  return v;
}

bool ObjectExists(sqlite3* db, const std::string& owner, const std::string& name,
                  const char* types) {
  sqlite3_stmt* st = nullptr;
  const char* sql =
      "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
      "instr(?3, '|' || OBJECT_TYPE || '|') > 0";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return false;
  }
  sqlite3_bind_text(st, 1, owner.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 3, types, -1, SQLITE_TRANSIENT);
  bool found = sqlite3_step(st) == SQLITE_ROW;
  sqlite3_finalize(st);
  return found;
}

// Tables, views, sequences, synonyms and stored programs share one namespace per owner.
constexpr const char* kNamespaceTypes = "|TABLE|VIEW|SEQUENCE|SYNONYM|PROCEDURE|FUNCTION|PACKAGE|";

void AddObject(sqlite3* db, const std::string& owner, const std::string& name,
               const std::string& type) {
  std::string now = Now();
  CatalogExec(db,
              "INSERT INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
              "LAST_DDL_TIME) VALUES (?1, ?2, ?3, ?4, ?4) ON CONFLICT DO UPDATE SET "
              "LAST_DDL_TIME = excluded.LAST_DDL_TIME",
              {T(owner), T(name), T(type), T(now)});
}

void RemoveObject(sqlite3* db, const std::string& owner, const std::string& name,
                  const std::string& type) {
  CatalogExec(db,
              "DELETE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
              "OBJECT_TYPE = ?3",
              {T(owner), T(name), T(type)});
}

void TouchObject(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogExec(db,
              "UPDATE \"TESS$OBJECTS\" SET LAST_DDL_TIME = ?3 WHERE OWNER = ?1 AND "
              "OBJECT_NAME = ?2",
              {T(owner), T(name), T(Now())});
}

std::string NewConstraintName(sqlite3* db) {
  int64_t n = CatalogInt(db, "SELECT VALUE FROM \"TESS$DATABASE\" WHERE NAME = ?1 AND ?2 = ?2",
                         "NEXT_CONSTRAINT", "", 1000);
  CatalogExec(db,
              "INSERT INTO \"TESS$DATABASE\" VALUES ('NEXT_CONSTRAINT', ?1) ON CONFLICT DO "
              "UPDATE SET VALUE = excluded.VALUE",
              {I(n + 1)});
  char buf[32];
  std::snprintf(buf, sizeof buf, "SYS_C%05lld", static_cast<long long>(n));
  return buf;
}

void AddColumns(sqlite3* db, const std::string& owner, const std::string& table,
                const std::vector<ColumnDef>& columns) {
  int64_t next = CatalogInt(db,
                            "SELECT coalesce(max(COLUMN_ID), 0) + 1 FROM \"TESS$COLUMNS\" WHERE "
                            "OWNER = ?1 AND TABLE_NAME = ?2",
                            owner, table, 1);
  for (const ColumnDef& c : columns) {
    CatalogExec(db,
                "INSERT INTO \"TESS$COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
                "ON CONFLICT DO UPDATE SET DATA_TYPE = excluded.DATA_TYPE, DATA_LENGTH = "
                "excluded.DATA_LENGTH, DATA_PRECISION = excluded.DATA_PRECISION, DATA_SCALE = "
                "excluded.DATA_SCALE, NULLABLE = excluded.NULLABLE, DATA_DEFAULT = "
                "coalesce(excluded.DATA_DEFAULT, DATA_DEFAULT)",
                {T(owner), T(table), I(next++), T(c.name), T(OracleTypeName(c.type)),
                 I(c.type.size), c.type.precision ? I(c.type.precision) : N(),
                 c.type.code == kTypeNumber && c.type.precision ? I(c.type.scale) : N(),
                 T(c.nullable ? "Y" : "N"), T(c.defaultText)});
  }
}

void AddIndex(sqlite3* db, const std::string& owner, const std::string& name,
              const std::string& tableOwner, const std::string& table, bool unique,
              const std::vector<std::string>& columns) {
  AddObject(db, owner, name, "INDEX");
  CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$INDEXES\" VALUES (?1, ?2, ?3, ?4, ?5)",
              {T(owner), T(name), T(tableOwner), T(table), T(unique ? "UNIQUE" : "NONUNIQUE")});
  int pos = 1;
  for (const std::string& c : columns)
    CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$IND_COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                {T(owner), T(name), T(tableOwner), T(table), T(c), I(pos++)});
}

void RemoveIndex(sqlite3* db, const std::string& owner, const std::string& name) {
  RemoveObject(db, owner, name, "INDEX");
  CatalogExec(db, "DELETE FROM \"TESS$INDEXES\" WHERE OWNER = ?1 AND INDEX_NAME = ?2",
              {T(owner), T(name)});
  CatalogExec(db, "DELETE FROM \"TESS$IND_COLUMNS\" WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
              {T(owner), T(name)});
}

void AddConstraints(sqlite3* db, const std::string& owner, const std::string& table,
                    const std::vector<ConstraintDef>& constraints) {
  for (const ConstraintDef& c : constraints) {
    std::string name = c.name.empty() ? NewConstraintName(db) : c.name;
    if (CatalogInt(db,
                   "SELECT 1 FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
                   owner, name, 0))
      throw EngineError(2264);
    std::string refConstraint;
    if (c.type == 'R') {
      // The referenced key: the parent's primary or unique key on those columns.
      std::string cols;
      for (size_t i = 0; i < c.refColumns.size(); ++i) cols += (i ? "," : "") + c.refColumns[i];
      sqlite3_stmt* st = nullptr;
      const char* sql =
          "SELECT C.CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" C WHERE C.OWNER = ?1 AND "
          "C.TABLE_NAME = ?2 AND C.CONSTRAINT_TYPE IN ('P', 'U') AND (?3 = '' OR ?3 = (SELECT "
          "group_concat(COLUMN_NAME, ',') FROM (SELECT COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" "
          "CC WHERE CC.OWNER = C.OWNER AND CC.CONSTRAINT_NAME = C.CONSTRAINT_NAME ORDER BY "
          "POSITION))) ORDER BY C.CONSTRAINT_TYPE LIMIT 1";
      if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, c.refOwner.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, c.refTable.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, cols.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(st) == SQLITE_ROW)
          refConstraint = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
      }
      sqlite3_finalize(st);
    }
    CatalogExec(db,
                "INSERT INTO \"TESS$CONSTRAINTS\"(OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, "
                "TABLE_NAME, SEARCH_CONDITION, R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, STATUS) "
                "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
                {T(owner), T(name), T(std::string(1, c.type)), T(table), T(c.searchCondition),
                 c.type == 'R' ? T(c.refOwner) : N(), T(refConstraint),
                 c.type == 'R' ? T(c.deleteCascade ? "CASCADE" : "NO ACTION") : N(),
                 T(c.disabled ? "DISABLED" : "ENABLED")});
    int pos = 1;
    for (const std::string& col : c.columns)
      CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$CONS_COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5)",
                  {T(owner), T(name), T(table), T(col), c.type == 'C' ? N() : I(pos++)});
    if ((c.type == 'P' || c.type == 'U') && !c.disabled)
      AddIndex(db, owner, name, owner, table, true, c.columns);
  }
}

void RemoveConstraint(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogExec(db, "DELETE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
              {T(owner), T(name)});
  CatalogExec(db, "DELETE FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
              {T(owner), T(name)});
  RemoveIndex(db, owner, name);
}

void RemoveTableCatalog(sqlite3* db, const std::string& owner, const std::string& table) {
  RemoveObject(db, owner, table, "TABLE");
  CatalogExec(db, "DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
  CatalogExec(db, "DELETE FROM \"TESS$COMMENTS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
  CatalogExec(db, "DELETE FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
  CatalogExec(db, "DELETE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
  CatalogExec(db,
              "DELETE FROM \"TESS$OBJECTS\" WHERE OBJECT_TYPE = 'INDEX' AND (OWNER, OBJECT_NAME) "
              "IN (SELECT OWNER, INDEX_NAME FROM \"TESS$INDEXES\" WHERE TABLE_OWNER = ?1 AND "
              "TABLE_NAME = ?2)",
              {T(owner), T(table)});
  CatalogExec(db, "DELETE FROM \"TESS$IND_COLUMNS\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
  CatalogExec(db, "DELETE FROM \"TESS$INDEXES\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2",
              {T(owner), T(table)});
}

// Runs every statement of a translated text (several are separated by ";").
void RunScript(Session& s, const Translation& tr, int functionCode) {
  const char* sql = tr.sql.c_str();
  const char* end = sql + tr.sql.size();
  while (sql < end) {
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), sql, static_cast<int>(end - sql), &st, &tail);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st);
      // SQLite's offset counts from this statement of the text, not from its start.
      int at = sqlite3_error_offset(s.db());
      OraError e = MapSqliteError(s.db(), rc, {functionCode, &tr, &s});
      if (at >= 0)
        e.offset = static_cast<int>(
            tr.OriginalOffset(static_cast<size_t>(at) + static_cast<size_t>(sql - tr.sql.c_str())));
      throw e;
    }
    if (!st) break;  // only blanks or comments left
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      OraError e = MapSqliteError(s.db(), rc, {functionCode, &tr, &s});
      sqlite3_finalize(st);
      throw e;
    }
    sqlite3_finalize(st);
    sql = tail;
  }
}

bool MentionsNextval(const std::string& sql) {
  return sql.find("ORA$NEXTVAL") != std::string::npos;
}

// The system privileges the server asks of DDL: CREATE x in one's own schema, CREATE ANY x
// in another's, the ANY privileges to drop or alter what others own.  An object of another
// user that the session may not even see stays "does not exist", as the server answers.
void CheckDdlPrivilege(Session& s, const DdlInfo& d, const std::string& owner) {
  sqlite3* db = s.db();
  const bool own = owner == s.user();
  auto require = [&](bool ok) {
    if (!ok) throw EngineError(1031);
  };
  // Lacking the privilege on an existing object of another user: 1031 if the session sees
  // it, 942 if not; a missing object is left to the statement's own error.
  auto requireOnOthers = [&](const std::string& who, const std::string& name, const char* types,
                             const std::string& type, bool ok) {
    if (ok || !ObjectExists(db, who, name, types)) return;
    throw EngineError(HasObjectPrivilege(s, who, name, type, nullptr) ? 1031 : 942);
  };
  auto any = [&](const std::string& p) { return HasSystemPrivilege(s, p); };
  const std::string& type = d.objectType;
  if (d.verb == "CREATE") {
    if (type == "SYNONYM" && d.isPublic) return require(any("CREATE PUBLIC SYNONYM"));
    if (type == "INDEX") {
      if (!own) return require(any("CREATE ANY INDEX"));
      // An index of one's own on another's table needs the INDEX privilege on it.
      std::string tOwner = d.targetOwner.empty() ? owner : d.targetOwner;
      if (tOwner != s.user())
        requireOnOthers(tOwner, d.targetName, "|TABLE|", "TABLE",
                        HasObjectPrivilege(s, tOwner, d.targetName, "TABLE", "INDEX") ||
                            any("CREATE ANY INDEX"));
      return;
    }
    if (type == "TABLE" || type == "VIEW" || type == "SEQUENCE" || type == "SYNONYM")
      return require(own ? any("CREATE " + type) : any("CREATE ANY " + type));
    return;
  }
  if (d.verb == "DROP") {
    if (type == "SYNONYM" && d.isPublic) return require(any("DROP PUBLIC SYNONYM"));
    if (own) return;
    if (type == "TABLE" || type == "VIEW" || type == "SEQUENCE" || type == "SYNONYM")
      return requireOnOthers(owner, d.name, ("|" + type + "|").c_str(), type,
                             any("DROP ANY " + type));
    if (type == "INDEX") requireOnOthers(owner, d.name, "|INDEX|", "INDEX", any("DROP ANY INDEX"));
    return;
  }
  if (own && d.verb != "COMMENT") return;
  if (d.verb == "ALTER" && (type == "TABLE" || type == "SEQUENCE")) {
    requireOnOthers(
        owner, d.name, ("|" + type + "|").c_str(), type,
        HasObjectPrivilege(s, owner, d.name, type, "ALTER") || any("ALTER ANY " + type));
  } else if (d.verb == "TRUNCATE") {
    requireOnOthers(owner, d.name, "|TABLE|", "TABLE", any("DROP ANY TABLE"));
  } else if (d.verb == "COMMENT") {
    std::string tOwner = d.targetOwner.empty() ? owner : d.targetOwner;
    std::string table = d.targetName.empty() ? d.name : d.targetName;
    if (tOwner != s.user())
      requireOnOthers(tOwner, table, "|TABLE|VIEW|", "TABLE", any("COMMENT ANY TABLE"));
  }
}

}  // namespace

Cursor::~Cursor() {
  if (stmt_) sqlite3_finalize(stmt_);
}

void Cursor::Release() {
  FreeChildren();
  if (executed_ && !exhausted_) EndFetch();
  if (stmt_) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  block_.reset();
  kind_ = Kind::None;
  executed_ = exhausted_ = stepped_ = false;
}

void Cursor::FreeChildren() {
  for (uint64_t childId : children_) {
    if (auto child = FindCursorById(childId)) {
      child->Release();
      session_->RemoveCursor(childId);
      UnregisterCursor(childId);
    }
  }
  children_.clear();
}

void Cursor::ResetStatement() {
  FreeChildren();
  if (executed_ && !exhausted_ && stmt_) EndFetch();
  if (stmt_) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
  block_.reset();
  kind_ = Kind::None;
  translation_ = Translation();
  bindNames_.clear();
  binds_.clear();
  defines_.clear();
  columns_.clear();
  executed_ = exhausted_ = stepped_ = false;
  cursorVariable_ = false;
  forUpdate_ = false;
  parked_ = false;
  functionType_ = 0;
  rowsProcessed_ = 0;
  parseErrorOffset_ = 0;
}

// ---------------------------------------------------------------------------------------
// Parse

void Cursor::Parse(std::string_view text) {
  ResetStatement();
  text_.assign(text);
  try {
    std::vector<Token> tokens = Tokenize(text_);
    StatementInfo info = Classify(text_, tokens);
    functionType_ = static_cast<ub2>(info.functionCode);
    if (info.functionCode == 0 || tokens.empty())
      throw EngineError(900, {}, static_cast<int>(info.firstTokenOffset));
    if (info.isPlsqlBlock) {
      block_ = ParsePlsqlBlock(text_, *session_);
      bindNames_ = block_->binds();
      kind_ = Kind::Plsql;
      return;
    }
    if (info.isStoredProgram) {
      kind_ = Kind::Stored;
      return;
    }
    switch (info.functionCode) {
      case kFcAlterProcedure:
      case kFcAlterFunction:
      case kFcAlterPackage:
      case kFcAlterPackageBody:
      case kFcAlterTrigger:
      case kFcAlterView:
      case kFcDropProcedure:
      case kFcDropFunction:
      case kFcDropPackage:
      case kFcDropPackageBody:
      case kFcDropTrigger:
        kind_ = Kind::Stored;
        return;
      case kFcGrant:
      case kFcRevoke:
      case kFcCreateRole:
      case kFcDropRole:
      case kFcCreateExternalDatabase:
      case kFcDropExternalDatabase:
        kind_ = Kind::Privilege;
        return;
      case kFcExplain:
        kind_ = Kind::Explain;
        PrepareExplain();
        return;
      case kFcCommit:
        kind_ = Kind::Commit;
        return;
      case kFcRollback:
      case kFcSavepoint:
        kind_ = info.functionCode == kFcRollback ? Kind::Rollback : Kind::Savepoint;
        translation_.info = info;
        return;
      case kFcAlterSession:
        kind_ = Kind::AlterSession;
        return;
      case kFcCreateUser:
      case kFcAlterUser:
      case kFcDropUser:
        kind_ = Kind::UserDdl;
        return;
      default:
        break;
    }
    translation_ = Translate(text_, session_->MakeTranslateContext());
    bindNames_ = translation_.binds;
    if (translation_.functionCode) functionType_ = static_cast<ub2>(translation_.functionCode);
    if (info.isQuery) {
      kind_ = Kind::Query;
      // SELECT ... FOR UPDATE locks: here that is the database's write lock, taken when
      // the query runs and held to the end of the transaction.
      for (size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].Is("FOR") && tokens[i + 1].Is("UPDATE")) forUpdate_ = true;
    } else if (info.isDml) {
      kind_ = Kind::Dml;
    } else if (info.isDdl) {
      kind_ = Kind::Ddl;
    } else {
      kind_ = Kind::Engine;
    }
    if (kind_ == Kind::Dml) CheckDmlPrivilege();
    if (kind_ == Kind::Query || kind_ == Kind::Dml) {
      Prepare();
      if (kind_ == Kind::Query) DescribeColumns();
    }
  } catch (const OraError& e) {
    parseErrorOffset_ = e.offset >= 0 ? e.offset : 0;
    kind_ = Kind::None;
    if (stmt_) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
    }
    throw;
  }
}

void Cursor::Prepare() {
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(session_->db(), translation_.sql.c_str(),
                              static_cast<int>(translation_.sql.size()), SQLITE_PREPARE_PERSISTENT,
                              &stmt_, &tail);
  if (rc != SQLITE_OK) {
    throw MapSqliteError(session_->db(), rc, {functionType_, &translation_, session_.get()});
  }
  if (!stmt_) throw EngineError(900);
}

void Cursor::DescribeColumns() {
  int n = sqlite3_column_count(stmt_);
  columns_.assign(static_cast<size_t>(n), ColumnDesc());
  defines_.assign(static_cast<size_t>(n), DefineVar());
  for (int i = 0; i < n; ++i) {
    ColumnDesc& c = columns_[static_cast<size_t>(i)];
    size_t ui = static_cast<size_t>(i);
    if (ui < translation_.columnNames.size() && !translation_.columnNames[ui].empty())
      c.name = translation_.columnNames[ui];
    else if (const char* nm = sqlite3_column_name(stmt_, i))
      c.name = nm;
    OracleType declared = OracleTypeFromDeclared(sqlite3_column_decltype(stmt_, i));
    int hint = ui < translation_.columnTypeHints.size() ? translation_.columnTypeHints[ui] : 0;
    if (hint != 0 && hint != declared.code) {
      c.type = OracleType{hint, 0, 0, 0};
      if (hint == kTypeNumber) c.type.size = 22;
      if (hint == kTypeDate) c.type.size = 7;
    } else {
      c.type = declared;
    }
    if (c.type.code == kTypeUnknown) {
      // Nothing says what the value is: show each value by its own kind.
      c.typeFromValue = true;
      c.type = OracleType{kTypeVarchar2, 0, 0, 0};
    }
#ifdef SQLITE_ENABLE_COLUMN_METADATA
    const char* table = sqlite3_column_table_name(stmt_, i);
    const char* origin = sqlite3_column_origin_name(stmt_, i);
    int notNull = 0;
    if (table && origin &&
        sqlite3_table_column_metadata(session_->db(), nullptr, table, origin, nullptr, nullptr,
                                      &notNull, nullptr, nullptr) == SQLITE_OK)
      c.nullable = !notNull;
#endif
  }
}

// ---------------------------------------------------------------------------------------
// Bind, define, describe

void Cursor::Bind(const BindVar& var) {
  if (kind_ == Kind::None) throw EngineError(1003);
  std::string name = NormalizeBindName(var.name);
  if (name.empty()) throw EngineError(1036);
  auto it = std::find(bindNames_.begin(), bindNames_.end(), name);
  if (it == bindNames_.end()) throw EngineError(1036);
  if (var.ftype == kExtCursor) {
    if (kind_ != Kind::Plsql) throw EngineError(1460);
  } else {
    // Validate what can be validated now: the type and the lengths.
    switch (var.ftype) {
      case kExtVarchar2:
      case kExtString:
      case kExtLong:
      case kExtRowid:
      case kExtChar:
      case kExtCharz:
      case kExtMlsLabel:
      case kExtRaw:
      case kExtLongRaw:
        if (var.progvl < 0 && var.ftype != kExtString) throw EngineError(1460);
        break;
      case kExtInteger:
        if (var.progvl != 1 && var.progvl != 2 && var.progvl != 4 && var.progvl != 8)
          throw EngineError(1460);
        break;
      case kExtFloat:
        if (var.progvl != 4 && var.progvl != 8) throw EngineError(1460);
        break;
      case kExtDate:
        if (var.progvl < 7) throw EngineError(1460);
        break;
      default:
        throw EngineError(1460);
    }
    if (var.maxsiz > 0 && !var.cursiz) throw EngineError(1009);
  }
  BindVar stored = var;
  stored.name = name;
  binds_[name] = stored;
}

const BindVar* Cursor::FindBind(const std::string& name) const {
  auto it = binds_.find(name);
  return it == binds_.end() ? nullptr : &it->second;
}

void Cursor::Define(int pos, const DefineVar& var) {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || pos < 1 || pos > static_cast<int>(columns_.size()))
    throw EngineError(1007);
  if (var.bufl < 0) throw EngineError(1460);
  switch (var.ftype) {
    case kExtVarchar2:
    case kExtString:
    case kExtLong:
    case kExtRowid:
    case kExtChar:
    case kExtCharz:
    case kExtMlsLabel:
    case kExtRaw:
    case kExtLongRaw:
      break;
    case kExtInteger:
      if (var.bufl != 1 && var.bufl != 2 && var.bufl != 4 && var.bufl != 8) throw EngineError(1460);
      break;
    case kExtFloat:
      if (var.bufl != 4 && var.bufl != 8) throw EngineError(1460);
      break;
    case kExtDate:
      if (var.bufl < 7) throw EngineError(1460);
      break;
    default:
      throw EngineError(1460);
  }
  DefineVar d = var;
  d.defined = true;
  defines_[static_cast<size_t>(pos - 1)] = d;
}

Cursor::Described Cursor::Describe(int pos) {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || pos < 1 || pos > static_cast<int>(columns_.size()))
    throw EngineError(1007);
  const ColumnDesc& c = columns_[static_cast<size_t>(pos - 1)];
  Described d{};
  d.name = c.name.size() > 30 ? c.name.substr(0, 30) : c.name;
  d.dbtype = static_cast<sb2>(c.type.code);
  d.dbsize = c.type.size;
  d.prec = static_cast<sb2>(c.type.precision);
  d.scale = static_cast<sb2>(c.type.scale);
  d.nullok = c.nullable ? 1 : 0;
  int dsize = DisplaySize(c.type, session_->dateFormat());
  if (dsize <= 0) {
    switch (c.type.code) {
      case kTypeLong:
      case kTypeLongRaw:
        dsize = 0;
        break;
      case kTypeNumber:
        dsize = 40;
        break;
      case kTypeRaw:
        dsize = 4000;
        break;
      case kTypeRowid:
        dsize = 18;
        break;
      default:
        dsize = 2000;  // text of unknown width: the widest VARCHAR2
        break;
    }
  }
  if (c.type.code == kTypeVarchar2 || c.type.code == kTypeChar)
    if (d.dbsize <= 0) d.dbsize = dsize;
  d.dsize = dsize;
  return d;
}

// ---------------------------------------------------------------------------------------
// Values in and out of binds

Value Cursor::ReadInBind(const BindVar& var, int element) {
  size_t stride = var.progvl > 0 ? static_cast<size_t>(var.progvl) : 0;
  const ub1* buf = var.progv ? var.progv + stride * static_cast<size_t>(element) : nullptr;
  const sb2* ind = var.indp ? var.indp + element : nullptr;
  const ub2* alen = var.alen ? var.alen + element : nullptr;
  return ReadExternal(var.ftype, buf, var.progvl, ind, alen);
}

int Cursor::WriteOutBind(const BindVar& var, const Value& value, int element) {
  if (var.ftype == kExtCursor) throw EngineError(1460);
  size_t stride = var.progvl > 0 ? static_cast<size_t>(var.progvl) : 0;
  OutSlot slot;
  slot.buf = var.progv ? var.progv + stride * static_cast<size_t>(element) : nullptr;
  slot.bufl = var.progvl;
  slot.ind = var.indp ? var.indp + element : nullptr;
  slot.len = var.alen ? var.alen + element : nullptr;
  slot.rcode = var.arcode ? var.arcode + element : nullptr;
  OracleType type{value.oracleType, 0, 0, 0};
  int code = PutValue(RefOf(value), type, session_->dateFormat(), var.ftype, slot);
  if (code == 1405) return 0;  // a NULL OUT value without indicator is not an error
  return code;
}

std::vector<const BindVar*> Cursor::CheckAllBound(const std::vector<std::string>& names) {
  std::vector<const BindVar*> order;
  order.reserve(names.size());
  for (const std::string& n : names) {
    auto it = binds_.find(n);
    if (it == binds_.end()) throw EngineError(1008);
    order.push_back(&it->second);
  }
  return order;
}

void Cursor::BindStatement(sqlite3_stmt* stmt, const std::vector<std::string>& names,
                           const std::function<std::optional<Value>(const std::string&)>& extra) {
  for (size_t i = 0; i < names.size(); ++i) {
    int idx = static_cast<int>(i + 1);
    Value v;
    std::optional<Value> fromExtra = extra ? extra(names[i]) : std::nullopt;
    if (fromExtra) {
      v = std::move(*fromExtra);
    } else {
      const BindVar* b = FindBind(names[i]);
      if (!b) throw EngineError(1008);
      if (b->ftype == kExtCursor) throw EngineError(1460);
      v = ReadInBind(*b, 0);
    }
    BindValue(stmt, idx, v);
  }
}

// Binds array element `element` of every bind straight from the caller's buffers.
void Cursor::BindRow(int element, const std::vector<const BindVar*>& order) {
  for (size_t i = 0; i < order.size(); ++i) {
    int idx = static_cast<int>(i + 1);
    const BindVar& b = *order[i];
    if (b.ftype == kExtCursor) throw EngineError(1460);
    if (element > 0 && b.ftype == kExtString && b.progvl < 0) throw EngineError(1460);
    size_t stride = b.progvl > 0 ? static_cast<size_t>(b.progvl) : 0;
    const ub1* buf = b.progv ? b.progv + stride * static_cast<size_t>(element) : nullptr;
    const sb2* ind = b.indp ? b.indp + element : nullptr;
    const ub2* alen = b.alen ? b.alen + element : nullptr;
    if (!buf || (ind && *ind < 0)) {
      sqlite3_bind_null(stmt_, idx);
      continue;
    }
    switch (b.ftype) {
      case kExtVarchar2:
      case kExtLong:
      case kExtRowid:
      case kExtChar:
      case kExtMlsLabel: {
        size_t n = alen ? *alen : static_cast<size_t>(b.progvl);
        if (n > static_cast<size_t>(b.progvl)) throw EngineError(1458);
        if (n == 0)
          sqlite3_bind_null(stmt_, idx);
        else
          sqlite3_bind_text(stmt_, idx, reinterpret_cast<const char*>(buf), static_cast<int>(n),
                            SQLITE_TRANSIENT);
        break;
      }
      case kExtInteger: {
        Value v = ReadExternal(b.ftype, buf, b.progvl, ind, alen);
        sqlite3_bind_int64(stmt_, idx, v.i);
        break;
      }
      default: {
        BindValue(stmt_, idx, ReadExternal(b.ftype, buf, b.progvl, ind, alen));
      }
    }
  }
}

// ---------------------------------------------------------------------------------------
// Execute

int Cursor::Execute(int iters, int rowoff) {
  if (kind_ == Kind::None) throw EngineError(cursorVariable_ ? 1002 : 1003);
  if (iters < 1 || rowoff < 0 || rowoff >= iters) throw EngineError(1460);
  if (cursorVariable_) throw EngineError(1002);
  FreeChildren();
  session_->ApplyDelay();
  rowsProcessed_ = 0;
  switch (kind_) {
    case Kind::Query: {
      auto order = CheckAllBound(bindNames_);
      if (executed_ && !exhausted_) EndFetch();
      parked_ = false;
      sqlite3_reset(stmt_);
      BindRow(0, order);
      if (forUpdate_)
        session_->BeginWrite();
      else if (MentionsNextval(translation_.sql))
        session_->BeginWrite(Session::WriteReason::Sequence);
      executed_ = true;
      exhausted_ = false;
      stepped_ = false;
      return 0;
    }
    case Kind::Dml:
      RunDml(iters, rowoff, CheckAllBound(bindNames_));
      return 0;
    case Kind::Ddl:
      RunDdl();
      return 0;
    case Kind::Plsql: {
      CheckAllBound(bindNames_);
      int code = block_->Run(*this);
      rowsProcessed_ = 1;
      return code;
    }
    case Kind::Commit:
      session_->Commit();
      return 0;
    case Kind::Rollback:
    case Kind::Savepoint:
    case Kind::AlterSession:
    case Kind::UserDdl:
    case Kind::Engine:
      RunEngineStatement();
      return 0;
    case Kind::Stored:
      RunStored();
      return 0;
    case Kind::Privilege:
      session_->ParkCursors(this);
      RunPrivilegeStatement(*session_, text_, functionType_);
      return 0;
    case Kind::Explain:
      RunExplain();
      return 0;
    case Kind::None:
      break;
  }
  throw EngineError(1003);
}

void Cursor::RunDml(int iters, int rowoff, const std::vector<const BindVar*>& order) {
  session_->BeginWrite();
  sqlite3* db = session_->db();
  // A table with triggers takes its rows one by one, with the triggers fired.
  if (auto target = DmlTarget(translation_);
      target && HasTriggers(*session_, target->first, target->second)) {
    for (int e = rowoff; e < iters; ++e) {
      auto value = [&](const std::string& name) {
        auto it = std::find(bindNames_.begin(), bindNames_.end(), name);
        if (it == bindNames_.end()) throw EngineError(1008);
        return PlsqlValue(ReadInBind(*order[static_cast<size_t>(it - bindNames_.begin())], e));
      };
      rowsProcessed_ +=
          static_cast<ub4>(RunTriggeredDml(*session_, text_, session_->user(), {}, value));
    }
    return;
  }
  for (int e = rowoff; e < iters; ++e) {
    sqlite3_reset(stmt_);
    BindRow(e, order);
    int rc;
    while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) {
      OraError err = MapSqliteError(db, rc, {functionType_, &translation_, session_.get()});
      sqlite3_reset(stmt_);
      throw err;
    }
    rowsProcessed_ += static_cast<ub4>(sqlite3_changes(db));
  }
  sqlite3_reset(stmt_);
}

void Cursor::ThrowStep(int rc) {
  OraError err = MapSqliteError(session_->db(), rc, {functionType_, &translation_, session_.get()});
  EndFetch();
  throw err;
}

// ---------------------------------------------------------------------------------------
// Fetch

int Cursor::WriteRow(int row) {
  int worst = 0;
  const std::string& fmt = session_->dateFormat();
  for (size_t col = 0; col < defines_.size(); ++col) {
    const DefineVar& d = defines_[col];
    if (!d.defined) continue;
    int c = static_cast<int>(col);
    ValueRef v;
    switch (sqlite3_column_type(stmt_, c)) {
      case SQLITE_INTEGER:
        v.kind = Value::Integer;
        v.i = sqlite3_column_int64(stmt_, c);
        break;
      case SQLITE_FLOAT:
        v.kind = Value::Real;
        v.r = sqlite3_column_double(stmt_, c);
        break;
      case SQLITE_TEXT:
        v.p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, c));
        v.n = static_cast<size_t>(sqlite3_column_bytes(stmt_, c));
        v.kind = v.n ? Value::Text : Value::Null;  // Oracle has no empty strings
        break;
      case SQLITE_BLOB:
        v.kind = Value::Blob;
        v.p = static_cast<const char*>(sqlite3_column_blob(stmt_, c));
        v.n = static_cast<size_t>(sqlite3_column_bytes(stmt_, c));
        break;
      default:
        break;
    }
    size_t r = static_cast<size_t>(row);
    OutSlot slot;
    slot.buf = d.buf ? d.buf + r * static_cast<size_t>(d.bufl) : nullptr;
    slot.bufl = d.bufl;
    slot.ind = d.indp ? d.indp + r : nullptr;
    slot.len = d.rlen ? d.rlen + r : nullptr;
    slot.rcode = d.rcode ? d.rcode + r : nullptr;
    int code = PutValue(v, columns_[col].type, fmt, d.ftype, slot);
    if (code == 1405 || (code == 1406 && worst == 0)) worst = code;
  }
  return worst;
}

// The query has no more rows for the caller: its read ends, and a transaction that only
// handed out sequence numbers for it ends too.
void Cursor::EndFetch() {
  exhausted_ = true;
  parked_ = false;
  if (stmt_) sqlite3_reset(stmt_);
  if (session_->db()) session_->EndSequenceOnly();
}

void Cursor::Park() {
  if (kind_ != Kind::Query || !executed_ || exhausted_ || !stepped_ || parked_ || !stmt_) return;
  sqlite3_reset(stmt_);
  parked_ = true;
}

// Runs a reset query again up to where the caller was (binds stay bound over a reset).
// Returns 0, or 1403 when the rows are gone.
int Cursor::Resume() {
  parked_ = false;
  sqlite3_reset(stmt_);
  for (ub4 skip = 0; skip < rowsProcessed_; ++skip) {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_DONE) {
      EndFetch();
      return kOraNoDataFound;
    }
    if (rc != SQLITE_ROW) ThrowStep(rc);
  }
  return 0;
}

int Cursor::Fetch(int nrows) {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ != Kind::Query || !executed_) throw EngineError(1002);
  if (nrows < 1) throw EngineError(1460);
  if (exhausted_) return kOraNoDataFound;
  session_->ApplyDelay();
  if (parked_ && Resume()) return kOraNoDataFound;
  int warning = 0;
  try {
    for (int r = 0; r < nrows; ++r) {
      int rc = sqlite3_step(stmt_);
      if (rc == SQLITE_ROW) {
        stepped_ = true;
        int code = WriteRow(r);
        ++rowsProcessed_;
        if (code == 1405 || (code == 1406 && warning == 0)) warning = code;
        continue;
      }
      if (rc == SQLITE_DONE) {
        EndFetch();
        return kOraNoDataFound;
      }
      if (rc == SQLITE_ABORT_ROLLBACK) {
        // A rollback ended the read under this query; Oracle's fetch goes on.
        if (Resume()) return kOraNoDataFound;
        --r;
        continue;
      }
      ThrowStep(rc);
    }
  } catch (...) {
    if (!exhausted_) EndFetch();
    throw;
  }
  return warning;
}

int Cursor::ExecuteFetch(int nrows, bool cancelAfter, bool exact) {
  if (kind_ != Kind::None && kind_ != Kind::Query && !cursorVariable_) {
    // oexfet of a statement that is not a query runs it, as oexn would.
    int code = Execute(1, 0);
    return code;
  }
  int code = Execute(1, 0);
  if (code) return code;
  code = Fetch(nrows);
  if (exact && code != kOraNoDataFound) {
    // Exactly nrows rows must exist: one more is an error.
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
      EndFetch();
      throw EngineError(1422);
    }
    if (rc != SQLITE_DONE) ThrowStep(rc);
    EndFetch();
  }
  if (cancelAfter) Cancel();
  return code;
}

void Cursor::Cancel() {
  if (kind_ == Kind::None) throw EngineError(1003);
  if (kind_ == Kind::Query && executed_ && !exhausted_) EndFetch();
  exhausted_ = true;
}

// ---------------------------------------------------------------------------------------
// Cursor variables

void Cursor::OpenAsCursorVariable(const Translation& translation, sqlite3_stmt* stmt) {
  ResetStatement();
  cursorVariable_ = true;
  translation_ = translation;
  stmt_ = stmt;
  kind_ = Kind::Query;
  functionType_ = kFcSelect;
  DescribeColumns();
  executed_ = true;
  exhausted_ = false;
  rowsProcessed_ = 0;
}

// ---------------------------------------------------------------------------------------
// DDL and the engine's own statements

void Cursor::RunDdl() {
  Session& s = *session_;
  const DdlInfo& d = translation_.ddl;
  sqlite3* db = s.db();
  std::string owner = d.isPublic ? "PUBLIC" : (d.owner.empty() ? s.user() : d.owner);
  int fc = functionType_;
  CheckDdlPrivilege(s, d, owner);
  s.ParkCursors(this);
  s.RunDdl([&] {
    if (d.verb == "CREATE" && d.objectType == "TABLE") {
      if (ObjectExists(db, owner, d.name, kNamespaceTypes)) throw EngineError(955);
      RunScript(s, translation_, fc);
      AddObject(db, owner, d.name, "TABLE");
      AddColumns(db, owner, d.name, d.columns);
      AddConstraints(db, owner, d.name, d.constraints);
    } else if (d.verb == "DROP" && d.objectType == "TABLE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      if (!d.cascadeConstraints &&
          CatalogInt(db,
                     "SELECT 1 FROM \"TESS$CONSTRAINTS\" R JOIN \"TESS$CONSTRAINTS\" P ON "
                     "P.OWNER = R.R_OWNER AND P.CONSTRAINT_NAME = R.R_CONSTRAINT_NAME WHERE "
                     "R.CONSTRAINT_TYPE = 'R' AND P.OWNER = ?1 AND P.TABLE_NAME = ?2 AND NOT "
                     "(R.OWNER = ?1 AND R.TABLE_NAME = ?2)",
                     owner, d.name, 0))
        throw EngineError(2449);
      RunScript(s, translation_, fc);
      RemoveTableCatalog(db, owner, d.name);
      DropTableDependents(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "CREATE" && d.objectType == "VIEW") {
      bool exists = ObjectExists(db, owner, d.name, "|VIEW|");
      if ((exists && !d.orReplace) || (!exists && ObjectExists(db, owner, d.name, kNamespaceTypes)))
        throw EngineError(955);
      RunScript(s, translation_, fc);
      AddObject(db, owner, d.name, "VIEW");
      CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$VIEWS\" VALUES (?1, ?2, ?3)",
                  {T(owner), T(d.name), T(d.text)});
      CatalogExec(db,
                  "UPDATE \"TESS$OBJECTS\" SET STATUS = 'VALID' WHERE OWNER = ?1 AND "
                  "OBJECT_NAME = ?2 AND OBJECT_TYPE = 'VIEW'",
                  {T(owner), T(d.name)});
      RecordViewColumns(db, owner, d.name);
      StoreViewDependencies(db, owner, d.name, d.text);
      if (exists) InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "DROP" && d.objectType == "VIEW") {
      if (!ObjectExists(db, owner, d.name, "|VIEW|")) throw EngineError(942);
      RunScript(s, translation_, fc);
      RemoveObject(db, owner, d.name, "VIEW");
      CatalogExec(db, "DELETE FROM \"TESS$VIEWS\" WHERE OWNER = ?1 AND VIEW_NAME = ?2",
                  {T(owner), T(d.name)});
      CatalogExec(db, "DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
                  {T(owner), T(d.name)});
      CatalogExec(db,
                  "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = "
                  "'VIEW'",
                  {T(owner), T(d.name)});
      RemoveGrants(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "CREATE" && d.objectType == "INDEX") {
      if (ObjectExists(db, owner, d.name, "|INDEX|")) throw EngineError(955);
      RunScript(s, translation_, fc);
      AddIndex(db, owner, d.name, d.targetOwner.empty() ? owner : d.targetOwner, d.targetName,
               d.unique, d.indexColumns);
    } else if (d.verb == "DROP" && d.objectType == "INDEX") {
      if (!ObjectExists(db, owner, d.name, "|INDEX|")) throw EngineError(1418);
      RunScript(s, translation_, fc);
      RemoveIndex(db, owner, d.name);
    } else if (d.verb == "CREATE" && d.objectType == "SEQUENCE") {
      if (ObjectExists(db, owner, d.name, kNamespaceTypes)) throw EngineError(955);
      const SequenceOptions& o = d.sequence;
      int64_t inc = o.incrementBy.value_or(1);
      if (inc == 0) throw EngineError(4002);
      int64_t minV = o.minValue.value_or(inc > 0 ? 1 : INT64_MIN + 1);
      int64_t maxV = o.maxValue.value_or(inc > 0 ? INT64_MAX : -1);
      int64_t start = o.startWith.value_or(inc > 0 ? minV : maxV);
      if (minV >= maxV) throw EngineError(4004);
      if (start < minV || start > maxV) throw EngineError(4006);
      AddObject(db, owner, d.name, "SEQUENCE");
      CatalogExec(
          db, "INSERT INTO \"TESS$SEQUENCES\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
          {T(owner), T(d.name), I(minV), I(maxV), I(inc), T(o.cycle.value_or(false) ? "Y" : "N"),
           T(o.order.value_or(false) ? "Y" : "N"), I(o.cache.value_or(20)), I(start)});
    } else if (d.verb == "ALTER" && d.objectType == "SEQUENCE") {
      if (!ObjectExists(db, owner, d.name, "|SEQUENCE|")) throw EngineError(2289);
      const SequenceOptions& o = d.sequence;
      if (o.incrementBy && *o.incrementBy == 0) throw EngineError(4002);
      CatalogExec(db,
                  "UPDATE \"TESS$SEQUENCES\" SET INCREMENT_BY = coalesce(?3, INCREMENT_BY), "
                  "MIN_VALUE = coalesce(?4, MIN_VALUE), MAX_VALUE = coalesce(?5, MAX_VALUE), "
                  "CYCLE_FLAG = coalesce(?6, CYCLE_FLAG), CACHE_SIZE = coalesce(?7, CACHE_SIZE) "
                  "WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
                  {T(owner), T(d.name), o.incrementBy ? I(*o.incrementBy) : N(),
                   o.minValue ? I(*o.minValue) : N(), o.maxValue ? I(*o.maxValue) : N(),
                   o.cycle ? T(*o.cycle ? "Y" : "N") : N(), o.cache ? I(*o.cache) : N()});
      TouchObject(db, owner, d.name);
    } else if (d.verb == "DROP" && d.objectType == "SEQUENCE") {
      if (!ObjectExists(db, owner, d.name, "|SEQUENCE|")) throw EngineError(2289);
      RemoveObject(db, owner, d.name, "SEQUENCE");
      RemoveGrants(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
      CatalogExec(db, "DELETE FROM \"TESS$SEQUENCES\" WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
                  {T(owner), T(d.name)});
    } else if (d.verb == "CREATE" && d.objectType == "SYNONYM") {
      bool exists = ObjectExists(db, owner, d.name, "|SYNONYM|");
      if ((exists && !d.orReplace) ||
          (!exists && !d.isPublic && ObjectExists(db, owner, d.name, kNamespaceTypes)))
        throw EngineError(955);
      AddObject(db, owner, d.name, "SYNONYM");
      CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$SYNONYMS\" VALUES (?1, ?2, ?3, ?4, ?5)",
                  {T(owner), T(d.name), T(d.targetOwner.empty() ? s.user() : d.targetOwner),
                   T(d.targetName), T(d.targetLink)});
    } else if (d.verb == "DROP" && d.objectType == "SYNONYM") {
      if (!ObjectExists(db, owner, d.name, "|SYNONYM|"))
        throw EngineError(d.isPublic ? 1432 : 1434);
      RemoveObject(db, owner, d.name, "SYNONYM");
      InvalidateDependents(db, owner, d.name);
      CatalogExec(db, "DELETE FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1 AND SYNONYM_NAME = ?2",
                  {T(owner), T(d.name)});
    } else if (d.verb == "ALTER" && d.objectType == "TABLE" && translation_.sql.empty()) {
      // What SQLite cannot alter in place is built again.
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      DdlInfo named = d;
      if (d.alterAction != "DROP CONSTRAINT")
        for (ConstraintDef& c : named.constraints)
          if (c.name.empty()) c.name = NewConstraintName(db);
      std::string primaryKey;
      if (d.alterAction == "DROP PRIMARY KEY") {
        CatalogQuery q(db,
                       "SELECT CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                       "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                       {owner, d.name});
        if (q.Row()) primaryKey = q.Text(0);
      }
      RebuildTable(s, owner, d.name, named, text_);
      if (d.alterAction == "DROP CONSTRAINT") {
        for (const ConstraintDef& c : d.constraints) RemoveConstraint(db, owner, c.name);
      } else if (d.alterAction == "DROP PRIMARY KEY") {
        RemoveConstraint(db, owner, primaryKey);
      } else if (!named.constraints.empty()) {
        AddConstraints(db, owner, d.name, named.constraints);
      }
      InvalidateDependents(db, owner, d.name);
      TouchObject(db, owner, d.name);
    } else if (d.verb == "ALTER" && d.objectType == "TABLE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      RunScript(s, translation_, fc);
      if (!d.columns.empty()) AddColumns(db, owner, d.name, d.columns);
      InvalidateDependents(db, owner, d.name);
      if (d.alterAction == "DROP CONSTRAINT") {
        for (const ConstraintDef& c : d.constraints) RemoveConstraint(db, owner, c.name);
      } else if (!d.constraints.empty()) {
        AddConstraints(db, owner, d.name, d.constraints);
      }
      TouchObject(db, owner, d.name);
    } else if (d.verb == "TRUNCATE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      RunScript(s, translation_, fc);
    } else if (d.verb == "COMMENT") {
      std::string tOwner = d.targetOwner.empty() ? owner : d.targetOwner;
      std::string table = d.targetName.empty() ? d.name : d.targetName;
      if (!ObjectExists(db, tOwner, table, "|TABLE|VIEW|")) throw EngineError(942);
      CatalogExec(db, "INSERT OR REPLACE INTO \"TESS$COMMENTS\" VALUES (?1, ?2, ?3, ?4)",
                  {T(tOwner), T(table), T(d.targetColumn), T(d.text)});
      if (d.targetColumn.empty()) {
        // a table comment: keep the key column non-null
        CatalogExec(db, "UPDATE \"TESS$COMMENTS\" SET COLUMN_NAME = '' WHERE COLUMN_NAME IS NULL",
                    {});
      }
    } else if (d.verb == "RENAME") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|VIEW|SEQUENCE|SYNONYM|")) throw EngineError(942);
      if (ObjectExists(db, owner, d.targetName, kNamespaceTypes)) throw EngineError(955);
      RunScript(s, translation_, fc);
      const char* tables[][2] = {
          {"TESS$OBJECTS", "OBJECT_NAME"},    {"TESS$COLUMNS", "TABLE_NAME"},
          {"TESS$CONSTRAINTS", "TABLE_NAME"}, {"TESS$CONS_COLUMNS", "TABLE_NAME"},
          {"TESS$VIEWS", "VIEW_NAME"},        {"TESS$SEQUENCES", "SEQUENCE_NAME"},
          {"TESS$SYNONYMS", "SYNONYM_NAME"},  {"TESS$COMMENTS", "TABLE_NAME"}};
      for (auto& t : tables) {
        std::string sql = std::string("UPDATE \"") + t[0] + "\" SET " + t[1] + " = ?3 WHERE " +
                          "OWNER = ?1 AND " + t[1] + " = ?2";
        CatalogExec(db, sql.c_str(), {T(owner), T(d.name), T(d.targetName)});
      }
      CatalogExec(db,
                  "UPDATE \"TESS$INDEXES\" SET TABLE_NAME = ?3 WHERE TABLE_OWNER = ?1 AND "
                  "TABLE_NAME = ?2",
                  {T(owner), T(d.name), T(d.targetName)});
    } else if (!translation_.sql.empty()) {
      RunScript(s, translation_, fc);
    } else {
      throw EngineError(3001);
    }
  });
}

void Cursor::RunStored() {
  switch (functionType_) {
    case kFcCreateProcedure:
    case kFcCreateFunction:
    case kFcCreatePackage:
    case kFcCreatePackageBody:
    case kFcCreateTrigger:
      CreateStoredProgram(*session_, text_);
      return;
    case kFcDropProcedure:
    case kFcDropFunction:
    case kFcDropPackage:
    case kFcDropPackageBody:
    case kFcDropTrigger:
      DropStoredProgram(*session_, text_);
      return;
    default:
      AlterStoredProgram(*session_, text_);
      return;
  }
}

// INSERT, UPDATE and DELETE of another user's table need that privilege (seeing the
// table is not enough).
void Cursor::CheckDmlPrivilege() {
  std::optional<std::pair<std::string, std::string>> target = DmlTarget(translation_);
  if (!target) return;
  const auto& [owner, name] = *target;
  const char* privilege = functionType_ == kFcInsert   ? "INSERT"
                          : functionType_ == kFcUpdate ? "UPDATE"
                                                       : "DELETE";
  if (!HasObjectPrivilege(*session_, owner, name, "TABLE", privilege)) throw EngineError(1031);
}

void Cursor::RunEngineStatement() {
  Session& s = *session_;
  std::vector<Token> tokens = Tokenize(text_);
  auto word = [&](size_t i) -> std::string {
    return i < tokens.size() ? tokens[i].value : std::string();
  };
  auto isWord = [&](size_t i, std::string_view w) { return i < tokens.size() && tokens[i].Is(w); };
  auto identifier = [&](size_t i, int code) -> std::string {
    if (i >= tokens.size() ||
        (tokens[i].kind != TokenKind::Word && tokens[i].kind != TokenKind::QuotedIdentifier))
      throw EngineError(code, {}, i < tokens.size() ? static_cast<int>(tokens[i].offset) : -1);
    return tokens[i].value;
  };
  size_t n = tokens.size();
  // A trailing ";" is not part of a SQL statement.
  if (n && tokens[n - 1].Is(";"))
    throw EngineError(911, {}, static_cast<int>(tokens[n - 1].offset));

  switch (kind_) {
    case Kind::Rollback: {
      // ROLLBACK [WORK] [TO [SAVEPOINT] name]
      size_t i = 1;
      if (isWord(i, "WORK")) ++i;
      if (i == n) {
        s.Rollback();
        return;
      }
      if (!isWord(i, "TO")) throw EngineError(933, {}, static_cast<int>(tokens[i].offset));
      ++i;
      if (isWord(i, "SAVEPOINT")) ++i;
      std::string name = identifier(i, 931);
      if (i + 1 != n) throw EngineError(933, {}, static_cast<int>(tokens[i + 1].offset));
      s.RollbackToSavepoint(name);
      return;
    }
    case Kind::Savepoint: {
      std::string name = identifier(1, 931);
      if (n != 2) throw EngineError(933, {}, static_cast<int>(tokens[2].offset));
      s.BeginWrite();
      std::string sql = "SAVEPOINT \"" + name + "\"";
      ExecSql(s.db(), sql.c_str());
      return;
    }
    case Kind::AlterSession: {
      // ALTER SESSION SET name = value [name = value ...]
      if (!isWord(2, "SET"))
        throw EngineError(922, {}, n > 2 ? static_cast<int>(tokens[2].offset) : -1);
      size_t i = 3;
      if (i >= n) throw EngineError(922);
      while (i < n) {
        std::string param = identifier(i, 922);
        int at = static_cast<int>(tokens[i].offset);
        if (!isWord(i + 1, "="))
          throw EngineError(927, {}, i + 1 < n ? static_cast<int>(tokens[i + 1].offset) : -1);
        if (i + 2 >= n) throw EngineError(922);
        const Token& v = tokens[i + 2];
        if (param == "NLS_DATE_FORMAT") {
          if (v.kind != TokenKind::String) throw EngineError(922, {}, static_cast<int>(v.offset));
          std::string format = v.value.empty() ? std::string(kDefaultDateFormat) : v.value;
          ValidateDateFormat(format);
          s.SetDateFormat(format);
        } else if (param == "PLSQL_DEBUG") {
          std::string b = Upper(v.value);
          if (b != "TRUE" && b != "FALSE") throw EngineError(922, {}, static_cast<int>(v.offset));
          s.plsqlDebug = b == "TRUE";
        } else {
          throw EngineError(2248, {}, at);
        }
        i += 3;
      }
      return;
    }
    case Kind::UserDdl: {
      if (!s.isDba()) throw EngineError(1031);
      sqlite3* db = s.db();
      std::string verb = word(0);
      if (!isWord(1, "USER")) throw EngineError(900);
      std::string name = identifier(2, 1935);
      s.ParkCursors(this);
      s.RunDdl([&] {
        bool exists = CatalogInt(db, "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = ?1 AND ?2 = ?2",
                                 name, "", 0) != 0;
        if (verb == "DROP") {
          if (!exists) throw EngineError(1918, name);
          if (name == "SYS" || name == "SYSTEM") throw EngineError(1031);
          bool cascade = isWord(3, "CASCADE");
          bool owns = CatalogInt(db,
                                 "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND ?2 = ?2 "
                                 "LIMIT 1",
                                 name, "", 0) != 0;
          if (owns && !cascade) throw EngineError(1922, name);
          // Drop the user's tables and views from SQLite, then the catalog rows.
          std::vector<std::pair<std::string, std::string>> objects;
          {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db,
                               "SELECT OBJECT_NAME, OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE "
                               "OWNER = ?1 AND OBJECT_TYPE IN ('VIEW', 'TABLE') ORDER BY "
                               "OBJECT_TYPE DESC",
                               -1, &st, nullptr);
            sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            while (st && sqlite3_step(st) == SQLITE_ROW)
              objects.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                   reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
            sqlite3_finalize(st);
          }
          ExecSql(db, "PRAGMA defer_foreign_keys = ON");
          for (auto& [obj, type] : objects) {
            std::string sql = "DROP " + type + " IF EXISTS " + PhysicalName(name, obj);
            ExecSql(db, sql.c_str());
          }
          for (const char* sql : {"DELETE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$INDEXES\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$IND_COLUMNS\" WHERE INDEX_OWNER = ?1",
                                  "DELETE FROM \"TESS$SEQUENCES\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$VIEWS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$COMMENTS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$SOURCE\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$ERRORS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$TRIGGERS\" WHERE OWNER = ?1 OR "
                                  "TABLE_OWNER = ?1",
                                  "DELETE FROM \"TESS$TRIGGER_COLS\" WHERE TRIGGER_OWNER = ?1 "
                                  "OR TABLE_OWNER = ?1",
                                  "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$TAB_PRIVS\" WHERE OWNER = ?1 OR "
                                  "GRANTEE = ?1",
                                  "DELETE FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1",
                                  "DELETE FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1",
                                  "DELETE FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1",
                                  "DELETE FROM \"TESS$USERS\" WHERE USERNAME = ?1"})
            CatalogExec(db, sql, {T(name)});
          CatalogExec(db,
                      "DELETE FROM \"TESS$ARGUMENTS\" WHERE \"OBJ#\" NOT IN (SELECT OBJECT_ID "
                      "FROM \"TESS$OBJECTS\")",
                      {});
          return;
        }
        // CREATE USER name IDENTIFIED BY pw [DEFAULT TABLESPACE t] [TEMPORARY TABLESPACE t]
        // [QUOTA ...]; ALTER USER name IDENTIFIED BY pw ...
        if (verb == "CREATE" && exists) throw EngineError(1920, name);
        if (verb == "ALTER" && !exists) throw EngineError(1918, name);
        std::optional<std::string> password, defaultTs, tempTs;
        size_t i = 3;
        while (i < n) {
          if (isWord(i, "IDENTIFIED") && isWord(i + 1, "BY")) {
            if (i + 2 >= n) throw EngineError(988);
            password = tokens[i + 2].value;
            i += 3;
          } else if (isWord(i, "DEFAULT") && isWord(i + 1, "TABLESPACE")) {
            defaultTs = identifier(i + 2, 922);
            i += 3;
          } else if (isWord(i, "TEMPORARY") && isWord(i + 1, "TABLESPACE")) {
            tempTs = identifier(i + 2, 922);
            i += 3;
          } else if (isWord(i, "QUOTA")) {
            // QUOTA n[K|M] | UNLIMITED ON tablespace: accepted, there is no space accounting
            i += 2;
            if (i < n && (isWord(i, "K") || isWord(i, "M"))) ++i;
            if (!isWord(i, "ON"))
              throw EngineError(922, {}, i < n ? static_cast<int>(tokens[i].offset) : -1);
            identifier(i + 1, 922);
            i += 2;
          } else {
            throw EngineError(922, {}, static_cast<int>(tokens[i].offset));
          }
        }
        if (verb == "CREATE") {
          if (!password) throw EngineError(988);
          int64_t id = CatalogInt(db,
                                  "SELECT max(max(USER_ID) + 1, 100) FROM \"TESS$USERS\" WHERE ?1 "
                                  "= ?1 AND ?2 = ?2",
                                  "", "", 100);
          std::string salt = NewSalt();
          CatalogExec(db,
                      "INSERT INTO \"TESS$USERS\"(USER_ID, USERNAME, PASSWORD_SALT, "
                      "PASSWORD_HASH, DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE, CREATED) VALUES "
                      "(?1, ?2, ?3, ?4, ?5, ?6, ?7)",
                      {I(id), T(name), T(salt), T(PasswordHash(salt, *password)),
                       T(defaultTs.value_or("USERS")), T(tempTs.value_or("TEMP")), T(Now())});
        } else {
          if (password) {
            std::string salt = NewSalt();
            CatalogExec(db,
                        "UPDATE \"TESS$USERS\" SET PASSWORD_SALT = ?2, PASSWORD_HASH = ?3 WHERE "
                        "USERNAME = ?1",
                        {T(name), T(salt), T(PasswordHash(salt, *password))});
          }
          if (defaultTs)
            CatalogExec(db, "UPDATE \"TESS$USERS\" SET DEFAULT_TABLESPACE = ?2 WHERE USERNAME = ?1",
                        {T(name), T(*defaultTs)});
          if (tempTs)
            CatalogExec(db,
                        "UPDATE \"TESS$USERS\" SET TEMPORARY_TABLESPACE = ?2 WHERE USERNAME = ?1",
                        {T(name), T(*tempTs)});
        }
      });
      return;
    }
    case Kind::Engine: {
      // LOCK TABLE takes the write lock for the rest of the transaction; other statements
      // the translator passes here run as they are.
      if (functionType_ == kFcLock) {
        s.BeginWrite();
        if (!translation_.sql.empty()) RunScript(s, translation_, functionType_);
        return;
      }
      if (translation_.sql.empty()) throw EngineError(3001);
      s.BeginWrite();
      RunScript(s, translation_, functionType_);
      return;
    }
    default:
      throw EngineError(1003);
  }
}

}  // namespace tess::oci7
