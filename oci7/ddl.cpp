// The DDL executor.  Each statement checks the privileges the server asks, parks the
// session's other running queries (SQLite refuses schema changes under them), then runs
// between the commits DDL makes: the SQLite statement first, then the catalog rows, so
// that a failure of either undoes both.
#include "oci7/ddl.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <climits>

#include "oci7/catalog.h"
#include "oci7/catalog_query.h"
#include "oci7/constraints.h"
#include "oci7/dialect/engine_statements.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

// The server's limit on the columns of a table or view.
constexpr size_t kMaxColumns = 254;

size_t ColumnCount(sqlite3* db, const std::string& owner, const std::string& name) {
  std::optional<std::vector<ColumnInfo>> columns = ColumnsFromSqlite(db, {owner, name, "TABLE"});
  return columns ? columns->size() : 0;
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

void CreateSequence(sqlite3* db, const std::string& owner, const std::string& name,
                    const SequenceOptions& o) {
  if (ObjectExists(db, owner, name, kNamespaceTypes)) throw EngineError(955);
  SequenceRow row;
  row.incrementBy = o.incrementBy.value_or(1);
  if (row.incrementBy == 0) throw EngineError(4002);
  const bool ascending = row.incrementBy > 0;
  row.minValue = o.minValue.value_or(ascending ? 1 : INT64_MIN + 1);
  row.maxValue = o.maxValue.value_or(ascending ? INT64_MAX : -1);
  row.lastNumber = o.startWith.value_or(ascending ? row.minValue : row.maxValue);
  if (row.minValue >= row.maxValue) throw EngineError(4004);
  if (row.lastNumber < row.minValue || row.lastNumber > row.maxValue) throw EngineError(4006);
  row.cycle = o.cycle.value_or(false);
  row.order = o.order.value_or(false);
  row.cache = o.cache.value_or(20);
  AddSequence(db, owner, name, row);
}

// ALTER TABLE forms SQLite cannot carry out in place: the table is built again.
// A table has one primary key: ORA-02260 for a second, declared with it or added.  A
// mandatory column without a default is added only to an empty table (ORA-01758).
void CheckAddedKeysAndColumns(sqlite3* db, const std::string& owner, const DdlInfo& d) {
  if (d.verb == "ALTER" && d.alterAction != "ADD") return;
  if (d.verb == "ALTER" &&
      std::any_of(d.columns.begin(), d.columns.end(),
                  [](const ColumnDef& c) { return !c.nullable && c.defaultText.empty(); }) &&
      CatalogHas(db, ("SELECT 1 FROM " + PhysicalName(owner, d.name) + " LIMIT 1").c_str()))
    throw EngineError(kOraMandatoryColumnNeedsEmptyTable);
  auto primary = [](const ConstraintDef& c) { return c.type == 'P'; };
  auto declared = std::count_if(d.constraints.begin(), d.constraints.end(), primary);
  if (declared > 1 || (declared == 1 && d.verb == "ALTER" && PrimaryKeyOf(db, owner, d.name)))
    throw EngineError(kOraOnlyOnePrimaryKey);
}

void RebuildAlteredTable(Session& s, const std::string& owner, const DdlInfo& d,
                         std::string_view text) {
  sqlite3* db = s.db();
  if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
  if (d.alterAction == "STATE") return ChangeConstraintStates(s, owner, d, text);
  CheckAddedKeysAndColumns(db, owner, d);
  DdlInfo named = d;
  if (d.alterAction != "DROP CONSTRAINT")
    for (ConstraintDef& c : named.constraints)
      if (c.name.empty()) c.name = NewConstraintName(db);
  if (d.alterAction == "ADD" || d.alterAction == "MODIFY")
    CheckForeignKeys(db, owner, d.name, named.constraints);
  std::string primaryKey;
  if (d.alterAction == "DROP PRIMARY KEY")
    primaryKey = PrimaryKeyOf(db, owner, d.name).value_or("");
  RebuildTable(s, owner, d.name, named, text);
  if (d.alterAction == "DROP CONSTRAINT") {
    for (const ConstraintDef& c : d.constraints) RemoveConstraint(db, owner, c.name);
  } else if (d.alterAction == "DROP PRIMARY KEY") {
    RemoveConstraint(db, owner, primaryKey);
  } else if (!named.constraints.empty()) {
    AddConstraints(db, owner, d.name, named.constraints);
  }
  InvalidateDependents(db, owner, d.name);
  TouchObject(db, owner, d.name);
}

}  // namespace

void RunScript(Session& s, const Translation& tr, int functionCode) {
  const char* sql = tr.sql.c_str();
  const char* end = sql + tr.sql.size();
  while (sql < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(s.db(), sql, static_cast<int>(end - sql), &raw, &tail);
    StatementHandle st(raw);
    if (rc != SQLITE_OK) {
      // SQLite's offset counts from this statement of the text, not from its start.
      int at = sqlite3_error_offset(s.db());
      OraError e = MapSqliteError(s.db(), rc, {functionCode, &tr, &s});
      if (at >= 0)
        e.offset = static_cast<int>(
            tr.OriginalOffset(static_cast<size_t>(at) + static_cast<size_t>(sql - tr.sql.c_str())));
      throw e;
    }
    if (!st) break;  // only blanks or comments left
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) throw MapSqliteError(s.db(), rc, {functionCode, &tr, &s});
    sql = tail;
  }
}

void ExecuteDdl(Session& s, const Translation& tr, std::string_view text, int functionCode) {
  const DdlInfo& d = tr.ddl;
  sqlite3* db = s.db();
  std::string owner = d.isPublic ? "PUBLIC" : (d.owner.empty() ? s.user() : d.owner);
  CheckDdlPrivilege(s, d, owner);
  s.RunDdl([&] {
    const std::string& type = d.objectType;
    if (d.verb == "CREATE" && type == "TABLE") {
      if (ObjectExists(db, owner, d.name, kNamespaceTypes)) throw EngineError(955);
      if (d.columns.size() > kMaxColumns) throw EngineError(kOraTooManyColumns);
      CheckAddedKeysAndColumns(db, owner, d);
      std::vector<ConstraintDef> constraints = d.constraints;
      CheckForeignKeys(db, owner, d.name, constraints);
      RunScript(s, tr, functionCode);
      if (ColumnCount(db, owner, d.name) > kMaxColumns) throw EngineError(kOraTooManyColumns);
      AddObject(db, owner, d.name, "TABLE");
      AddColumns(db, owner, d.name, d.columns);
      AddConstraints(db, owner, d.name, constraints);
      // A foreign key naming no columns refers to the parent's primary key, which SQLite
      // knows only when it was declared with the parent table: the key is written out.
      if (std::any_of(d.constraints.begin(), d.constraints.end(), [&](const ConstraintDef& c) {
            return c.type == 'R' && !c.disabled && c.refColumns.empty() &&
                   !(c.refOwner == owner && c.refTable == d.name);
          })) {
        DdlInfo none;
        none.alterAction = "ADD";
        RebuildTable(s, owner, d.name, none, text);
      }
    } else if (d.verb == "DROP" && type == "TABLE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      if (IsReferencedByOthers(db, owner, d.name)) {
        if (!d.cascadeConstraints) throw EngineError(2449);
        DropReferencingKeys(s, owner, d.name, text);
      }
      RunScript(s, tr, functionCode);
      RemoveTableCatalog(db, owner, d.name);
      DropTableDependents(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "CREATE" && type == "VIEW") {
      bool exists = ObjectExists(db, owner, d.name, "|VIEW|");
      if ((exists && !d.orReplace) || (!exists && ObjectExists(db, owner, d.name, kNamespaceTypes)))
        throw EngineError(955);
      CheckViewRights(s, owner, d.text);
      RunScript(s, tr, functionCode);
      if (ColumnCount(db, owner, d.name) > kMaxColumns) throw EngineError(kOraTooManyColumns);
      if (exists) RemoveViewOptions(db, owner, d.name);
      AddView(db, owner, d.name, d.text);
      AddConstraints(db, owner, d.name, d.constraints);
      RecordViewColumns(db, owner, d.name);
      StoreViewDependencies(db, owner, d.name, d.text);
      if (exists) InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "DROP" && type == "VIEW") {
      if (!ObjectExists(db, owner, d.name, "|VIEW|")) throw EngineError(942);
      RunScript(s, tr, functionCode);
      RemoveViewCatalog(db, owner, d.name);
      RemoveGrants(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "CREATE" && type == "INDEX") {
      if (ObjectExists(db, owner, d.name, "|INDEX|")) throw EngineError(955);
      RunScript(s, tr, functionCode);
      AddIndex(db, owner, d.name, d.targetOwner.empty() ? owner : d.targetOwner, d.targetName,
               d.unique, d.indexColumns);
      if (d.unique)
        KeepPartlyNullKeys(db, d.targetOwner.empty() ? owner : d.targetOwner, d.targetName);
    } else if (d.verb == "DROP" && type == "INDEX") {
      if (!ObjectExists(db, owner, d.name, "|INDEX|")) throw EngineError(1418);
      RunScript(s, tr, functionCode);
      RemoveIndex(db, owner, d.name);
      CatalogRun(db, ("DROP INDEX IF EXISTS " + PartlyNullIndexName(owner, d.name)).c_str());
    } else if (d.verb == "CREATE" && type == "SEQUENCE") {
      CreateSequence(db, owner, d.name, d.sequence);
    } else if (d.verb == "ALTER" && type == "SEQUENCE") {
      if (!ObjectExists(db, owner, d.name, "|SEQUENCE|")) throw EngineError(2289);
      if (d.sequence.incrementBy && *d.sequence.incrementBy == 0) throw EngineError(4002);
      UpdateSequence(db, owner, d.name, d.sequence);
    } else if (d.verb == "DROP" && type == "SEQUENCE") {
      if (!ObjectExists(db, owner, d.name, "|SEQUENCE|")) throw EngineError(2289);
      RemoveSequenceCatalog(db, owner, d.name);
      RemoveGrants(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "CREATE" && type == "SYNONYM") {
      bool exists = ObjectExists(db, owner, d.name, "|SYNONYM|");
      if ((exists && !d.orReplace) ||
          (!exists && !d.isPublic && ObjectExists(db, owner, d.name, kNamespaceTypes)))
        throw EngineError(955);
      AddSynonym(db, owner, d.name, d.targetOwner.empty() ? s.user() : d.targetOwner, d.targetName,
                 d.targetLink);
    } else if (d.verb == "DROP" && type == "SYNONYM") {
      if (!ObjectExists(db, owner, d.name, "|SYNONYM|"))
        throw EngineError(d.isPublic ? 1432 : 1434);
      RemoveSynonymCatalog(db, owner, d.name);
      InvalidateDependents(db, owner, d.name);
    } else if (d.verb == "ALTER" && type == "TABLE" && tr.sql.empty()) {
      RebuildAlteredTable(s, owner, d, text);
    } else if (d.verb == "ALTER" && type == "TABLE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      if (d.alterAction == "ADD" && ColumnCount(db, owner, d.name) + d.columns.size() > kMaxColumns)
        throw EngineError(kOraTooManyColumns);
      CheckAddedKeysAndColumns(db, owner, d);
      std::vector<ConstraintDef> constraints = d.constraints;
      if (d.alterAction == "ADD") CheckForeignKeys(db, owner, d.name, constraints);
      try {
        RunScript(s, tr, functionCode);
      } catch (const OraError& e) {
        // A key's index refused by the rows: the server's "cannot validate" for the key.
        if (e.code == 1)
          if (auto duplicate = DuplicateKeyError(db, owner, d.name, constraints)) throw *duplicate;
        throw;
      }
      if (!d.columns.empty()) AddColumns(db, owner, d.name, d.columns);
      InvalidateDependents(db, owner, d.name);
      if (d.alterAction == "DROP CONSTRAINT") {
        for (const ConstraintDef& c : d.constraints) RemoveConstraint(db, owner, c.name);
      } else if (!constraints.empty()) {
        // Keys added with columns or other keys: the statement made the columns and the
        // keys' indexes; foreign keys, checks and a primary key's NOT NULL need the table
        // built again.
        if (d.alterAction == "ADD" &&
            std::any_of(constraints.begin(), constraints.end(), [](const ConstraintDef& c) {
              return !c.disabled && (c.type == 'R' || c.type == 'C' || c.type == 'P');
            })) {
          DdlInfo change;
          change.alterAction = "ADD";
          change.constraints = constraints;
          RebuildTable(s, owner, d.name, change, text);
        }
        AddConstraints(db, owner, d.name, constraints);
      }
      TouchObject(db, owner, d.name);
    } else if (d.verb == "TRUNCATE") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|")) throw EngineError(942);
      RunScript(s, tr, functionCode);
    } else if (d.verb == "COMMENT") {
      std::string tOwner = d.targetOwner.empty() ? owner : d.targetOwner;
      std::string table = d.targetName.empty() ? d.name : d.targetName;
      if (!ObjectExists(db, tOwner, table, "|TABLE|VIEW|")) throw EngineError(942);
      SetComment(db, tOwner, table, d.targetColumn, d.text);
    } else if (d.verb == "RENAME") {
      if (!ObjectExists(db, owner, d.name, "|TABLE|VIEW|SEQUENCE|SYNONYM|")) throw EngineError(942);
      if (ObjectExists(db, owner, d.targetName, kNamespaceTypes)) throw EngineError(955);
      RunScript(s, tr, functionCode);
      RenameCatalogObject(db, owner, d.name, d.targetName);
    } else if (!tr.sql.empty()) {
      RunScript(s, tr, functionCode);
    } else {
      throw EngineError(3001);
    }
    if ((d.verb == "CREATE" || d.verb == "ALTER") && type == "TABLE")
      KeepPartlyNullKeys(db, owner, d.name);
  });
}

void ExecuteUserDdl(Session& s, std::string_view text) {
  UserStatement u = ParseUserStatement(text);
  if (!s.isDba()) throw EngineError(1031);
  sqlite3* db = s.db();
  s.RunDdl([&] {
    bool exists = UserExists(db, u.name);
    if (u.verb == "DROP") {
      if (!exists) throw EngineError(1918, u.name);
      if (u.name == "SYS" || u.name == "SYSTEM") throw EngineError(1031);
      if (UserOwnsObjects(db, u.name) && !u.cascade) throw EngineError(1922, u.name);
      // Drop the user's tables and views from SQLite, then the catalog rows.
      ExecSql(db, "PRAGMA defer_foreign_keys = ON");
      for (auto& [obj, type] : UserTablesAndViews(db, u.name)) {
        std::string sql = "DROP " + type + " IF EXISTS " + PhysicalName(u.name, obj);
        ExecSql(db, sql.c_str());
      }
      RemoveUserCatalog(db, u.name);
      return;
    }
    if (u.verb == "CREATE" && exists) throw EngineError(1920, u.name);
    if (u.verb == "ALTER" && !exists) throw EngineError(1918, u.name);
    if (u.verb == "CREATE") {
      if (!u.password) throw EngineError(988);
      AddUser(db, u.name, *u.password, u.defaultTablespace.value_or("USERS"),
              u.temporaryTablespace.value_or("TEMP"));
    } else {
      UpdateUser(db, u.name, u.password, u.defaultTablespace, u.temporaryTablespace);
    }
  });
}

void ExecuteStoredDdl(Session& s, std::string_view text, int functionCode) {
  switch (functionCode) {
    case kFcCreateProcedure:
    case kFcCreateFunction:
    case kFcCreatePackage:
    case kFcCreatePackageBody:
    case kFcCreateTrigger:
      CreateStoredProgram(s, text);
      return;
    case kFcDropProcedure:
    case kFcDropFunction:
    case kFcDropPackage:
    case kFcDropPackageBody:
    case kFcDropTrigger:
      DropStoredProgram(s, text);
      return;
    default:
      AlterStoredProgram(s, text);
      return;
  }
}

}  // namespace tess::oci7
