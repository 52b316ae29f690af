#include "oci7/constraints.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <map>

#include "oci7/catalog.h"
#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

struct Key {
  std::string name;
  char type = 'P';
  bool enabled = true;
  std::vector<std::string> columns;
};

std::vector<std::string> ConstraintColumns(sqlite3* db, const std::string& owner,
                                           const std::string& name) {
  std::vector<std::string> out;
  CatalogQuery q(db,
                 "SELECT COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND "
                 "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                 {owner, name});
  while (q.Row()) out.push_back(q.Text(0));
  return out;
}

// The primary and unique keys of a table, primary first.
std::vector<Key> KeysOf(sqlite3* db, const std::string& owner, const std::string& table) {
  std::vector<Key> keys;
  {
    CatalogQuery q(db,
                   "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, STATUS FROM \"TESS$CONSTRAINTS\" "
                   "WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE IN ('P', 'U') "
                   "ORDER BY CONSTRAINT_TYPE, CONSTRAINT_NAME",
                   {owner, table});
    while (q.Row()) keys.push_back({q.Text(0), q.Text(1)[0], q.Text(2) != "DISABLED", {}});
  }
  for (Key& k : keys) k.columns = ConstraintColumns(db, owner, k.name);
  return keys;
}

void Exec(sqlite3* db, const char* sql) {
  sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

// A SQLite table name -> owner, table.
std::pair<std::string, std::string> SplitPhysical(const std::string& physical) {
  auto split = SplitPhysicalKey(physical);
  if (!split) return {"", physical};
  return *split;
}

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

// A constraint as the catalog holds it, with its state.
struct Held {
  std::string name, table;
  char type = 'C';
  bool enabled = true;
  std::vector<std::string> columns;
  std::string refOwner, refName;
};

std::optional<Held> LoadHeld(sqlite3* db, const std::string& owner, const char* where,
                             std::initializer_list<CatalogQuery::Arg> args) {
  std::string sql =
      "SELECT CONSTRAINT_NAME, TABLE_NAME, CONSTRAINT_TYPE, STATUS, R_OWNER, R_CONSTRAINT_NAME "
      "FROM \"TESS$CONSTRAINTS\" WHERE " +
      std::string(where);
  CatalogQuery q(db, sql.c_str(), args);
  if (!q.Row()) return std::nullopt;
  Held h{q.Text(0), q.Text(1), q.Text(2).empty() ? 'C' : q.Text(2)[0], q.Text(3) != "DISABLED",
         {}, q.Text(4), q.Text(5)};
  h.columns = ConstraintColumns(db, owner, h.name);
  return h;
}

std::string ColumnList(const std::vector<std::string>& columns) {
  std::string out;
  for (const std::string& c : columns) out += (out.empty() ? "" : ", ") + c;
  return out;
}

// Records the new state of a key: its index comes and goes with it.
void RecordState(sqlite3* db, const std::string& owner, const Held& h, bool enable) {
  CatalogRun(db,
             "UPDATE \"TESS$CONSTRAINTS\" SET STATUS = ?3 WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
             {owner, h.name, std::string(enable ? "ENABLED" : "DISABLED")});
  // A NOT NULL constraint decides its column's nullability.
  CatalogRun(db,
             "UPDATE \"TESS$COLUMNS\" SET NULLABLE = ?4 WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND "
             "COLUMN_NAME = (SELECT COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND "
             "CONSTRAINT_NAME = ?3) AND EXISTS (SELECT 1 FROM \"TESS$CONSTRAINTS\" WHERE OWNER "
             "= ?1 AND CONSTRAINT_NAME = ?3 AND CONSTRAINT_TYPE = 'C' AND SEARCH_CONDITION LIKE "
             "'% IS NOT NULL')",
             {owner, h.table, h.name, std::string(enable ? "N" : "Y")});
  if (h.type != 'P' && h.type != 'U') return;
  RemoveIndex(db, owner, h.name);
  if (enable) AddIndex(db, owner, h.name, owner, h.table, true, h.columns);
}

}  // namespace

void CheckForeignKeys(sqlite3* db, const std::string& owner, const std::string& table,
                      std::vector<ConstraintDef>& constraints) {
  for (ConstraintDef& c : constraints) {
    if (c.type != 'R') continue;
    std::vector<Key> keys = KeysOf(db, c.refOwner, c.refTable);
    if (c.refOwner == owner && c.refTable == table)
      for (const ConstraintDef& k : constraints)
        if (k.type == 'P' || k.type == 'U') keys.push_back({k.name, k.type, !k.disabled, k.columns});
    // A key a disabled foreign key refers to may be disabled too.
    auto usable = [&](const Key& k) { return k.enabled || c.disabled; };
    if (c.refColumns.empty()) {
      auto primary = std::find_if(keys.begin(), keys.end(), [](const Key& k) { return k.type == 'P'; });
      if (primary == keys.end()) throw EngineError(2268);
      if (!usable(*primary)) throw EngineError(2270);
      c.refColumns = primary->columns;
    }
    if (c.refColumns.size() != c.columns.size()) throw EngineError(2256);
    if (std::none_of(keys.begin(), keys.end(),
                     [&](const Key& k) { return usable(k) && k.columns == c.refColumns; }))
      throw EngineError(2270);
  }
}

std::optional<OraError> ForeignKeyViolation(sqlite3* db, sqlite3_stmt* failed,
                                            const std::string& owner, const std::string& table,
                                            int functionCode) {
  if (!db || !failed || sqlite3_stmt_readonly(failed)) return std::nullopt;
  if (sqlite3_exec(db, "SAVEPOINT \"TESS$FK\"", nullptr, nullptr, nullptr) != SQLITE_OK)
    return std::nullopt;
  Exec(db, "PRAGMA defer_foreign_keys = ON");
  sqlite3_reset(failed);
  int rc;
  while ((rc = sqlite3_step(failed)) == SQLITE_ROW) {
  }
  sqlite3_reset(failed);
  // The first broken row of the statement's own table, else of any other.
  std::string childTable;
  int64_t fkid = -1;
  if (rc == SQLITE_DONE) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA foreign_key_check", -1, &st, nullptr) == SQLITE_OK) {
      const std::string own = PhysicalKey(owner, table);
      while (sqlite3_step(st) == SQLITE_ROW) {
        const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        if (!t) continue;
        if (fkid < 0 || own == t) {
          childTable = t;
          fkid = sqlite3_column_int64(st, 3);
        }
        if (own == t) break;
      }
    }
    sqlite3_finalize(st);
  }
  Exec(db, "ROLLBACK TO \"TESS$FK\"");
  Exec(db, "RELEASE \"TESS$FK\"");
  Exec(db, "PRAGMA defer_foreign_keys = OFF");
  if (fkid < 0) return std::nullopt;

  std::vector<std::string> columns;
  {
    std::string list = "PRAGMA foreign_key_list(" + Quoted(childTable) + ")";
    CatalogQuery keys(db, list.c_str());
    while (keys.Row())
      if (keys.Int(0) == fkid) columns.push_back(keys.Text(3));
  }
  auto [childOwner, childName] = SplitPhysical(childTable);
  std::string name;
  {
    CatalogQuery q(db,
                   "SELECT CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                   "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'R' AND STATUS = 'ENABLED' "
                   "ORDER BY CONSTRAINT_NAME",
                   {childOwner, childName});
    std::vector<std::string> names;
    while (q.Row()) names.push_back(q.Text(0));
    for (const std::string& n : names)
      if (ConstraintColumns(db, childOwner, n) == columns) {
        name = n;
        break;
      }
  }
  if (name.empty()) return std::nullopt;
  // Rows of the statement's table without a parent: the statement's own (a DELETE only
  // takes parents away, even from its own table's rows).
  bool parentMissing = functionCode != kFcDelete && childOwner == owner && childName == table;
  return EngineError(parentMissing ? 2291 : 2292, childOwner + "." + name);
}

std::optional<OraError> DuplicateKeyError(sqlite3* db, const std::string& owner,
                                          const std::string& table,
                                          const std::vector<ConstraintDef>& constraints) {
  for (const ConstraintDef& c : constraints) {
    if ((c.type != 'P' && c.type != 'U') || c.disabled || c.columns.empty()) continue;
    std::string columns, present;
    for (const std::string& col : c.columns) {
      columns += (columns.empty() ? "" : ", ") + Quoted(col);
      present += (present.empty() ? "" : " AND ") + Quoted(col) + " IS NOT NULL";
    }
    std::string sql = "SELECT 1 FROM " + PhysicalName(owner, table) + " WHERE " + present +
                      " GROUP BY " + columns + " HAVING count(*) > 1 LIMIT 1";
    if (CatalogHas(db, sql.c_str()))
      return EngineError(c.type == 'P' ? 2437 : 2299, owner + "." + c.name);
  }
  return std::nullopt;
}

void DropReferencingKeys(Session& s, const std::string& owner, const std::string& table,
                         std::string_view text) {
  sqlite3* db = s.db();
  std::vector<std::array<std::string, 3>> keys;  // owner, table, constraint
  {
    CatalogQuery q(db,
                   "SELECT R.OWNER, R.TABLE_NAME, R.CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" R "
                   "JOIN \"TESS$CONSTRAINTS\" P ON P.OWNER = R.R_OWNER AND P.CONSTRAINT_NAME = "
                   "R.R_CONSTRAINT_NAME WHERE R.CONSTRAINT_TYPE = 'R' AND P.OWNER = ?1 AND "
                   "P.TABLE_NAME = ?2 AND NOT (R.OWNER = ?1 AND R.TABLE_NAME = ?2)",
                   {owner, table});
    while (q.Row()) keys.push_back({q.Text(0), q.Text(1), q.Text(2)});
  }
  for (const auto& [o, t, name] : keys) {
    DdlInfo change;
    change.alterAction = "DROP CONSTRAINT";
    ConstraintDef c;
    c.name = name;
    change.constraints.push_back(std::move(c));
    RebuildTable(s, o, t, change, text);
    RemoveConstraint(db, o, name);
    TouchObject(db, o, t);
  }
}

void ChangeConstraintStates(Session& s, const std::string& owner, const DdlInfo& d,
                            std::string_view text) {
  sqlite3* db = s.db();
  const std::string& table = d.name;
  if (!ObjectExists(db, owner, table, "|TABLE|")) throw EngineError(942);
  // The constraints named, each with the state asked for.
  std::vector<std::pair<Held, bool>> targets;
  for (const ConstraintDef& c : d.constraints) {
    const bool enable = !c.disabled;
    std::optional<Held> h;
    if (!c.name.empty()) {
      h = LoadHeld(db, owner, "OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_NAME = ?3",
                   {owner, table, c.name});
      if (!h) throw EngineError(enable ? 2430 : 2431, owner + "." + c.name);
    } else if (c.type == 'P') {
      h = LoadHeld(db, owner, "OWNER = ?1 AND TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                   {owner, table});
      if (!h) throw EngineError(enable ? 2432 : 2433);
    } else {
      CatalogQuery q(db,
                     "SELECT CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                     "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'U' ORDER BY CONSTRAINT_NAME",
                     {owner, table});
      std::vector<std::string> names;
      while (q.Row()) names.push_back(q.Text(0));
      for (const std::string& n : names)
        if (ConstraintColumns(db, owner, n) == c.columns)
          h = LoadHeld(db, owner, "OWNER = ?1 AND CONSTRAINT_NAME = ?2", {owner, n});
      if (!h) throw EngineError(enable ? 2434 : 2435, ColumnList(c.columns));
    }
    targets.emplace_back(std::move(*h), enable);
  }

  // Foreign keys hang on enabled keys: enabling one needs its parent key enabled, and
  // disabling a key takes the enabled foreign keys on it along (CASCADE) or is refused.
  std::map<std::pair<std::string, std::string>, std::vector<Held>> dependents;
  for (const auto& [h, enable] : targets) {
    if (enable && h.type == 'R') {
      std::optional<Held> parent =
          LoadHeld(db, h.refOwner, "OWNER = ?1 AND CONSTRAINT_NAME = ?2", {h.refOwner, h.refName});
      if (!parent || !parent->enabled) throw EngineError(2270);
    }
    if (enable || !h.enabled || (h.type != 'P' && h.type != 'U')) continue;
    CatalogQuery q(db,
                   "SELECT OWNER, CONSTRAINT_NAME, TABLE_NAME FROM \"TESS$CONSTRAINTS\" WHERE "
                   "CONSTRAINT_TYPE = 'R' AND STATUS = 'ENABLED' AND R_OWNER = ?1 AND "
                   "R_CONSTRAINT_NAME = ?2",
                   {owner, h.name});
    while (q.Row()) {
      if (!d.cascadeConstraints) throw EngineError(2297, owner + "." + h.name);
      dependents[{q.Text(0), q.Text(2)}].push_back(
          Held{q.Text(1), q.Text(2), 'R', true, {}, owner, h.name});
    }
  }
  auto rebuild = [&](const std::string& o, const std::string& t,
                     const std::vector<std::pair<Held, bool>>& changes) {
    DdlInfo change;
    change.alterAction = "STATE";
    for (const auto& [h, enable] : changes) {
      ConstraintDef c;
      c.name = h.name;
      c.disabled = !enable;
      change.constraints.push_back(std::move(c));
    }
    RebuildTable(s, o, t, change, text);
    for (const auto& [h, enable] : changes) RecordState(db, o, h, enable);
    TouchObject(db, o, t);
  };
  for (auto& [where, keys] : dependents) {
    std::vector<std::pair<Held, bool>> changes;
    for (Held& h : keys) changes.emplace_back(std::move(h), false);
    if (where.first == owner && where.second == table)
      targets.insert(targets.begin(), changes.begin(), changes.end());
    else
      rebuild(where.first, where.second, changes);
  }
  rebuild(owner, table, targets);
}

std::string PartlyNullIndexName(const std::string& owner, const std::string& index) {
  return PhysicalName(owner, std::string(kPartlyNullPrefix) + index);
}

void KeepPartlyNullKeys(sqlite3* db, const std::string& owner, const std::string& table) {
  // The unique indexes of two or more columns, keys' indexes among them: name -> columns.
  std::map<std::pair<std::string, std::string>, std::vector<std::string>> wanted;
  {
    CatalogQuery q(db,
                   "SELECT I.OWNER, I.INDEX_NAME, C.COLUMN_NAME FROM \"TESS$INDEXES\" I JOIN "
                   "\"TESS$IND_COLUMNS\" C ON C.INDEX_OWNER = I.OWNER AND C.INDEX_NAME = "
                   "I.INDEX_NAME WHERE I.TABLE_OWNER = ?1 AND I.TABLE_NAME = ?2 AND "
                   "I.UNIQUENESS = 'UNIQUE' ORDER BY I.OWNER, I.INDEX_NAME, C.COLUMN_POSITION",
                   {owner, table});
    while (q.Row()) wanted[{q.Text(0), q.Text(1)}].push_back(q.Text(2));
  }
  std::erase_if(wanted, [](const auto& w) { return w.second.size() < 2; });
  std::vector<std::string> present;
  {
    CatalogQuery q(db,
                   "SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ?1 AND "
                   "instr(name, ?2) > 0",
                   {PhysicalKey(owner, table), "." + std::string(kPartlyNullPrefix)});
    while (q.Row()) present.push_back(q.Text(0));
  }
  auto companionOf = [](const std::pair<std::string, std::string>& index) {
    return PhysicalKey(index.first, std::string(kPartlyNullPrefix) + index.second);
  };
  for (const std::string& name : present) {
    bool keep = false;
    for (const auto& [index, columns] : wanted) keep = keep || name == companionOf(index);
    if (!keep) CatalogRun(db, ("DROP INDEX IF EXISTS \"" + name + "\"").c_str());
  }
  for (const auto& [index, columns] : wanted) {
    const std::string companion = companionOf(index);
    if (std::find(present.begin(), present.end(), companion) != present.end()) continue;
    std::string keyed, someNull, allNull;
    for (const std::string& c : columns) {
      const std::string col = Quoted(c);
      keyed += (keyed.empty() ? "" : ", ") + ("(" + col + " IS NULL), ifnull(" + col + ", 0)");
      someNull += (someNull.empty() ? "" : " OR ") + col + " IS NULL";
      allNull += (allNull.empty() ? "" : " AND ") + col + " IS NULL";
    }
    std::string sql = "CREATE UNIQUE INDEX " + PartlyNullIndexName(index.first, index.second) +
                      " ON " + PhysicalName(owner, table) + " (" + keyed + ") WHERE (" + someNull +
                      ") AND NOT (" + allNull + ")";
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) continue;
    if ((rc & 0xff) != SQLITE_CONSTRAINT) throw MapSqliteError(db, rc, {});
    const bool isKey = CatalogHas(db,
                                  "SELECT 1 FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                                  "CONSTRAINT_NAME = ?2",
                                  {index.first, index.second});
    if (isKey) throw EngineError(kOraCannotValidateDuplicateKeys, index.first + "." + index.second);
    throw EngineError(kOraCannotCreateUniqueIndex);
  }
}

}  // namespace tess::oci7
