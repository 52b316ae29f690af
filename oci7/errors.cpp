// Oracle codes for SQLite failures, and the Oracle error of an exception being handled.
//
// SQLite reports constraint failures by table and column ("UNIQUE constraint failed:
// DEMO.EMP.EMPNO"); Oracle names the constraint, so the catalog's constraint tables are
// consulted to find it.
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "oci7/constraints.h"
#include "oci7/engine.h"

namespace tess::oci7 {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

// "DEMO.EMP.EMPNO" -> owner "DEMO", table "EMP", column "EMPNO".  Names may hold dots: the
// table the statement changes is taken when the text starts with it, else the column is
// what follows the last dot.
void SplitTableColumn(std::string_view full, const std::optional<ResolvedObject>& target,
                      std::string& owner, std::string& table, std::string& column) {
  if (target) {
    const std::string prefix = PhysicalKey(target->owner, target->name) + ".";
    if (full.substr(0, prefix.size()) == prefix) {
      owner = target->owner;
      table = target->name;
      column = std::string(full.substr(prefix.size()));
      return;
    }
  }
  size_t last = full.rfind('.');
  column = last == std::string_view::npos ? "" : std::string(full.substr(last + 1));
  auto split = SplitPhysicalKey(full.substr(0, last == std::string_view::npos ? 0 : last));
  owner = split ? split->first : "";
  table = split ? split->second : std::string(full);
}

// The name of a constraint of owner.table of one of the types, whose columns are exactly
// `columns` (any columns when empty); "" when the catalog has none.
std::string FindConstraint(sqlite3* db, const std::string& owner, const std::string& table,
                           const char* types, const std::vector<std::string>& columns) {
  if (!db) return "";
  sqlite3_stmt* st = nullptr;
  const char* sql =
      "SELECT C.CONSTRAINT_NAME, (SELECT group_concat(COLUMN_NAME, ',') FROM (SELECT "
      "COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" CC WHERE CC.OWNER = C.OWNER AND "
      "CC.CONSTRAINT_NAME = C.CONSTRAINT_NAME ORDER BY POSITION)) FROM \"TESS$CONSTRAINTS\" C "
      "WHERE C.OWNER = ?1 AND C.TABLE_NAME = ?2 AND instr(?3, C.CONSTRAINT_TYPE) > 0 "
      "ORDER BY C.CONSTRAINT_NAME";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return "";
  }
  sqlite3_bind_text(st, 1, owner.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, table.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 3, types, -1, SQLITE_TRANSIENT);
  std::string want;
  for (size_t i = 0; i < columns.size(); ++i) want += (i ? "," : "") + columns[i];
  std::string found;
  while (sqlite3_step(st) == SQLITE_ROW) {
    const char* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const char* cols = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    if (!name) continue;
    if (columns.empty() || (cols && want == cols)) {
      found = name;
      break;
    }
  }
  sqlite3_finalize(st);
  return found;
}

// The unique index of owner.table on exactly `columns`; "" when there is none.
std::string FindUniqueIndex(sqlite3* db, const std::string& owner, const std::string& table,
                            const std::vector<std::string>& columns, std::string& indexOwner) {
  if (!db) return "";
  sqlite3_stmt* st = nullptr;
  const char* sql =
      "SELECT I.OWNER, I.INDEX_NAME, (SELECT group_concat(COLUMN_NAME, ',') FROM (SELECT "
      "COLUMN_NAME FROM \"TESS$IND_COLUMNS\" C WHERE C.INDEX_OWNER = I.OWNER AND C.INDEX_NAME = "
      "I.INDEX_NAME ORDER BY COLUMN_POSITION)) FROM \"TESS$INDEXES\" I WHERE I.TABLE_OWNER = ?1 "
      "AND I.TABLE_NAME = ?2 AND I.UNIQUENESS = 'UNIQUE' ORDER BY I.INDEX_NAME";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return "";
  }
  sqlite3_bind_text(st, 1, owner.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, table.c_str(), -1, SQLITE_TRANSIENT);
  std::string want;
  for (size_t i = 0; i < columns.size(); ++i) want += (i ? "," : "") + columns[i];
  std::string found;
  while (sqlite3_step(st) == SQLITE_ROW) {
    const char* o = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const char* n = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    const char* cols = reinterpret_cast<const char*>(sqlite3_column_text(st, 2));
    if (o && n && cols && want == cols) {
      indexOwner = o;
      found = n;
      break;
    }
  }
  sqlite3_finalize(st);
  return found;
}

// The constraint of a foreign key failure: the referencing table's keys for an insert or
// update, the keys that reference the table for a delete.
std::string FindForeignKey(sqlite3* db, const std::string& owner, const std::string& table,
                           bool childSide, std::string& constraintOwner) {
  if (!db) return "";
  sqlite3_stmt* st = nullptr;
  const char* sql =
      childSide ? "SELECT OWNER, CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 "
                  "AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'R' ORDER BY CONSTRAINT_NAME"
                : "SELECT R.OWNER, R.CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" R JOIN "
                  "\"TESS$CONSTRAINTS\" P ON P.OWNER = R.R_OWNER AND P.CONSTRAINT_NAME = "
                  "R.R_CONSTRAINT_NAME WHERE P.OWNER = ?1 AND P.TABLE_NAME = ?2 AND "
                  "R.CONSTRAINT_TYPE = 'R' ORDER BY R.CONSTRAINT_NAME";
  if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return "";
  }
  sqlite3_bind_text(st, 1, owner.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(st, 2, table.c_str(), -1, SQLITE_TRANSIENT);
  std::string found;
  if (sqlite3_step(st) == SQLITE_ROW) {
    const char* o = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    const char* n = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
    if (o && n) {
      constraintOwner = o;
      found = n;
    }
  }
  sqlite3_finalize(st);
  return found;
}

// The table a DML statement changes, as the translator resolved it.
std::optional<ResolvedObject> DmlTarget(const FailureContext& context) {
  if (!context.translation || context.translation->dmlTable.name.empty()) return std::nullopt;
  return context.translation->dmlTable;
}

}  // namespace

int CurrentErrorCode() noexcept {
  try {
    throw;
  } catch (const OraError& e) {
    return e.code;
  } catch (const std::bad_alloc&) {
    return kOraOutOfProcessMemory;
  } catch (...) {
    return kOraInternalError;
  }
}

OraError CurrentError() {
  try {
    throw;
  } catch (const OraError& e) {
    return e;
  } catch (const std::bad_alloc&) {
    return EngineError(kOraOutOfProcessMemory, "?");
  } catch (const std::exception& ex) {
    return EngineError(kOraInternalError, ex.what());
  } catch (...) {
    return EngineError(kOraInternalError, "unknown");
  }
}

OraError MapSqliteError(sqlite3* db, int rc, const FailureContext& context) {
  const char* raw = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  std::string msg = raw ? raw : "";
  int primary = rc & 0xff;
  int offset = -1;
  if (db) {
    int at = sqlite3_error_offset(db);
    if (at >= 0)
      offset = context.translation
                   ? static_cast<int>(context.translation->OriginalOffset(static_cast<size_t>(at)))
                   : at;
  }
  if (auto ora = OraErrorFromMessage(msg)) return *ora;

  switch (primary) {
    case SQLITE_INTERRUPT:
      return EngineError(kOraCancelled);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return EngineError(54);
    case SQLITE_NOMEM:
      return EngineError(kOraOutOfProcessMemory, "?");
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
      return EngineError(1115, msg);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return EngineError(1578, msg);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return EngineError(1031);
    case SQLITE_FULL:
      return EngineError(1115, "(disk full)");
    case SQLITE_TOOBIG:
      return EngineError(1401);
    case SQLITE_MISMATCH:
      return EngineError(1722);
    case SQLITE_RANGE:
      return EngineError(kOraIllegalVariableNameNumber);
    case SQLITE_ABORT:
      return EngineError(1002);
    default:
      break;
  }

  // A commit refused by a commit hook rolled the transaction back.
  if (rc == SQLITE_CONSTRAINT_COMMITHOOK) return EngineError(kOraTransactionRolledBack);
  if (primary == SQLITE_CONSTRAINT) {
    std::string owner, table, column;
    // "UNIQUE constraint failed: DEMO.EMP.EMPNO" (also for primary keys), "NOT NULL
    // constraint failed: ...", "CHECK constraint failed: NAME": the part after ": ".
    auto after = [&](const char*) -> std::string_view {
      std::string_view m = msg;
      size_t colon = m.find(": ");
      return colon == std::string_view::npos ? std::string_view() : m.substr(colon + 2);
    };
    switch (rc) {
      case SQLITE_CONSTRAINT_NOTNULL: {
        SplitTableColumn(after("NOT NULL constraint failed: "), DmlTarget(context), owner, table,
                         column);
        if (context.functionCode == kFcUpdate) return EngineError(1407);
        return EngineError(1400);
      }
      case SQLITE_CONSTRAINT_PRIMARYKEY:
      case SQLITE_CONSTRAINT_UNIQUE: {
        // "UNIQUE constraint failed: DEMO.EMP.A, DEMO.EMP.B"
        std::string_view list =
            after(rc == SQLITE_CONSTRAINT_UNIQUE ? "UNIQUE constraint failed: "
                                                 : "PRIMARY KEY constraint failed: ");
        // "index 'OWNER.TESS$NULLS$NAME'": the companion of a key or index, rows with
        // some key columns NULL.
        if (list.substr(0, 7) == "index '" && list.size() > 8) {
          auto index = SplitPhysicalKey(list.substr(7, list.size() - 8));
          if (index && index->second.compare(0, kPartlyNullPrefix.size(), kPartlyNullPrefix) == 0)
            return EngineError(1,
                               index->first + "." + index->second.substr(kPartlyNullPrefix.size()));
        }
        std::vector<std::string> columns;
        const std::optional<ResolvedObject> target = DmlTarget(context);
        while (!list.empty()) {
          size_t comma = list.find(", ");
          std::string_view item = list.substr(0, comma);
          SplitTableColumn(item, target, owner, table, column);
          columns.push_back(column);
          if (comma == std::string_view::npos) break;
          list.remove_prefix(comma + 2);
        }
        std::string name = FindConstraint(db, owner, table, "PU", columns);
        std::string nameOwner = owner;
        if (name.empty()) {
          // A unique index made by CREATE UNIQUE INDEX: the index's name.
          name = FindUniqueIndex(db, owner, table, columns, nameOwner);
          if (name.empty()) name = table + "_" + (columns.empty() ? std::string("KEY") : columns[0]);
        }
        return EngineError(1, nameOwner + "." + name);
      }
      case SQLITE_CONSTRAINT_CHECK: {
        // "CHECK constraint failed: NAME" (or the expression for an unnamed one)
        std::string name(after("CHECK constraint failed: "));
        auto target = DmlTarget(context);
        std::string o = target ? target->owner : (context.session ? context.session->user() : "");
        if (target && (name.empty() || name.find(' ') != std::string::npos))
          name = FindConstraint(db, target->owner, target->name, "C", {});
        return EngineError(2290, o + "." + name);
      }
      case SQLITE_CONSTRAINT_FOREIGNKEY: {
        auto target = DmlTarget(context);
        if (target && context.statement)
          if (auto named = ForeignKeyViolation(db, context.statement, target->owner, target->name,
                                               context.functionCode))
            return *named;
        bool childSide = context.functionCode != kFcDelete;
        std::string consOwner = target ? target->owner : "";
        std::string name =
            target ? FindForeignKey(db, target->owner, target->name, childSide, consOwner) : "";
        if (name.empty() && context.functionCode == kFcUpdate && target) {
          childSide = false;
          name = FindForeignKey(db, target->owner, target->name, childSide, consOwner);
        }
        return EngineError(childSide ? 2291 : 2292, consOwner + "." + name);
      }
      default:
        return EngineError(1, msg);
    }
  }

  // Compile errors from prepare.
  std::string_view m = msg;
  auto rest = [&](std::string_view prefix) { return std::string(m.substr(prefix.size())); };
  if (StartsWith(m, "no such table: ") || StartsWith(m, "no such view: "))
    return EngineError(942, {}, offset);
  if (StartsWith(m, "no such column: ")) {
    std::string col = rest("no such column: ");
    size_t dot = col.rfind('.');
    if (dot != std::string::npos) col = col.substr(dot + 1);
    return EngineError(904, col, offset);
  }
  if (StartsWith(m, "no such function: "))
    return EngineError(904, rest("no such function: "), offset);
  if (StartsWith(m, "ambiguous column name")) return EngineError(918, {}, offset);
  if (StartsWith(m, "table ") && m.find("already exists") != std::string_view::npos)
    return EngineError(955, {}, offset);
  if (StartsWith(m, "index ") && m.find("already exists") != std::string_view::npos)
    return EngineError(955, {}, offset);
  if (StartsWith(m, "view ") && m.find("already exists") != std::string_view::npos)
    return EngineError(955, {}, offset);
  if (StartsWith(m, "duplicate column name")) return EngineError(957, {}, offset);
  if (StartsWith(m, "wrong number of arguments")) return EngineError(909, {}, offset);
  if (StartsWith(m, "misuse of aggregate")) return EngineError(934, {}, offset);
  if (m.find("values for") != std::string_view::npos &&
      m.find("columns") != std::string_view::npos) {
    // "3 values for 2 columns"
    int values = 0, cols = 0;
    if (std::sscanf(msg.c_str(), "%d values for %d columns", &values, &cols) == 2 && values < cols)
      return EngineError(947, {}, offset);
    return EngineError(913, {}, offset);
  }
  if (m.find("SELECTs to the left and right") != std::string_view::npos)
    return EngineError(1789, {}, offset);
  if (StartsWith(m, "incomplete input")) return EngineError(921, {}, offset);
  if (StartsWith(m, "Expression tree is too large")) {
    return EngineError(kOraNestedTooDeeply, {}, offset);
  }
  if (m.find("syntax error") != std::string_view::npos) return EngineError(900, {}, offset);
  if (StartsWith(m, "no such index")) return EngineError(1418, {}, offset);
  // "too many columns on T", "too many columns in result set": the server's column limit.
  if (StartsWith(m, "too many columns")) return EngineError(kOraTooManyColumns, {}, offset);
  if (m.find("GROUP BY") != std::string_view::npos) return EngineError(979, {}, offset);
  if (m.find("datatype mismatch") != std::string_view::npos) return EngineError(1722, {}, offset);
  if (primary == SQLITE_ERROR && m.find("integer overflow") != std::string_view::npos)
    return EngineError(1426, {}, offset);
  return EngineError(kOraInternalError, msg, offset);
}

}  // namespace tess::oci7
