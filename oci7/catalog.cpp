// Catalog maintenance: the catalog rows DDL writes, one routine per kind of object.  Empty
// texts are stored as NULL (TextOrNull), as the server stores them.
#include "oci7/catalog.h"

#include <sqlite3.h>

#include <cstdio>

#include "oci7/catalog_query.h"

namespace tess::oci7 {

bool ObjectExists(sqlite3* db, const std::string& owner, const std::string& name,
                  const char* types) {
  return CatalogHas(db,
                    "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                    "instr(?3, '|' || OBJECT_TYPE || '|') > 0",
                    {owner, name, std::string(types)});
}

void AddObject(sqlite3* db, const std::string& owner, const std::string& name,
               const std::string& type) {
  CatalogRun(db,
             "INSERT INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
             "LAST_DDL_TIME) VALUES (?1, ?2, ?3, ?4, ?4) ON CONFLICT DO UPDATE SET "
             "LAST_DDL_TIME = excluded.LAST_DDL_TIME",
             {owner, name, type, Now()});
}

void RemoveObject(sqlite3* db, const std::string& owner, const std::string& name,
                  const std::string& type) {
  CatalogRun(db,
             "DELETE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
             "OBJECT_TYPE = ?3",
             {owner, name, type});
}

void TouchObject(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogRun(db,
             "UPDATE \"TESS$OBJECTS\" SET LAST_DDL_TIME = ?3 WHERE OWNER = ?1 AND "
             "OBJECT_NAME = ?2",
             {owner, name, Now()});
}

std::string NewConstraintName(sqlite3* db) {
  int64_t n = 1000;
  {
    CatalogQuery q(db, "SELECT VALUE FROM \"TESS$DATABASE\" WHERE NAME = 'NEXT_CONSTRAINT'");
    if (q.Row()) n = q.Int(0);
  }
  CatalogRun(db,
             "INSERT INTO \"TESS$DATABASE\" VALUES ('NEXT_CONSTRAINT', ?1) ON CONFLICT DO "
             "UPDATE SET VALUE = excluded.VALUE",
             {n + 1});
  char buf[32];
  std::snprintf(buf, sizeof buf, "SYS_C%05lld", static_cast<long long>(n));
  return buf;
}

void AddColumns(sqlite3* db, const std::string& owner, const std::string& table,
                const std::vector<ColumnDef>& columns) {
  int64_t next = 1;
  {
    CatalogQuery q(db,
                   "SELECT coalesce(max(COLUMN_ID), 0) + 1 FROM \"TESS$COLUMNS\" WHERE "
                   "OWNER = ?1 AND TABLE_NAME = ?2",
                   {owner, table});
    if (q.Row()) next = q.Int(0);
  }
  for (const ColumnDef& c : columns) {
    const bool numberScale = c.type.code == kTypeNumber && c.type.precision;
    CatalogRun(db,
               "INSERT INTO \"TESS$COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10) "
               "ON CONFLICT DO UPDATE SET DATA_TYPE = excluded.DATA_TYPE, DATA_LENGTH = "
               "excluded.DATA_LENGTH, DATA_PRECISION = excluded.DATA_PRECISION, DATA_SCALE = "
               "excluded.DATA_SCALE, NULLABLE = excluded.NULLABLE, DATA_DEFAULT = "
               "coalesce(excluded.DATA_DEFAULT, DATA_DEFAULT)",
               {owner, table, next++, TextOrNull(c.name), TextOrNull(OracleTypeName(c.type)),
                int64_t{c.type.size},
                c.type.precision ? CatalogQuery::Arg(int64_t{c.type.precision}) : nullptr,
                numberScale ? CatalogQuery::Arg(int64_t{c.type.scale}) : nullptr,
                std::string(c.nullable ? "Y" : "N"), TextOrNull(c.defaultText)});
  }
}

void AddIndex(sqlite3* db, const std::string& owner, const std::string& name,
              const std::string& tableOwner, const std::string& table, bool unique,
              const std::vector<std::string>& columns) {
  AddObject(db, owner, name, "INDEX");
  CatalogRun(
      db, "INSERT OR REPLACE INTO \"TESS$INDEXES\" VALUES (?1, ?2, ?3, ?4, ?5)",
      {owner, name, tableOwner, TextOrNull(table), std::string(unique ? "UNIQUE" : "NONUNIQUE")});
  int64_t pos = 1;
  for (const std::string& c : columns)
    CatalogRun(db, "INSERT OR REPLACE INTO \"TESS$IND_COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
               {owner, name, tableOwner, TextOrNull(table), TextOrNull(c), pos++});
}

void RemoveIndex(sqlite3* db, const std::string& owner, const std::string& name) {
  RemoveObject(db, owner, name, "INDEX");
  CatalogRun(db, "DELETE FROM \"TESS$INDEXES\" WHERE OWNER = ?1 AND INDEX_NAME = ?2",
             {owner, name});
  CatalogRun(db, "DELETE FROM \"TESS$IND_COLUMNS\" WHERE INDEX_OWNER = ?1 AND INDEX_NAME = ?2",
             {owner, name});
}

namespace {

// The parent key a foreign key refers to: the primary or unique key of the parent on
// those columns (any, primary first, when no columns are named).
std::string ReferencedKey(sqlite3* db, const ConstraintDef& c) {
  std::string cols;
  for (size_t i = 0; i < c.refColumns.size(); ++i) cols += (i ? "," : "") + c.refColumns[i];
  CatalogQuery q(db,
                 "SELECT C.CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" C WHERE C.OWNER = ?1 AND "
                 "C.TABLE_NAME = ?2 AND C.CONSTRAINT_TYPE IN ('P', 'U') AND (?3 = '' OR ?3 = "
                 "(SELECT group_concat(COLUMN_NAME, ',') FROM (SELECT COLUMN_NAME FROM "
                 "\"TESS$CONS_COLUMNS\" CC WHERE CC.OWNER = C.OWNER AND CC.CONSTRAINT_NAME = "
                 "C.CONSTRAINT_NAME ORDER BY POSITION))) ORDER BY C.CONSTRAINT_TYPE LIMIT 1",
                 {c.refOwner, c.refTable, cols});
  return q.Row() ? q.Text(0) : std::string();
}

}  // namespace

void AddConstraints(sqlite3* db, const std::string& owner, const std::string& table,
                    const std::vector<ConstraintDef>& constraints) {
  for (const ConstraintDef& c : constraints) {
    std::string name = c.name.empty() ? NewConstraintName(db) : c.name;
    if (CatalogHas(db,
                   "SELECT 1 FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
                   {owner, name}))
      throw EngineError(2264);
    const bool foreign = c.type == 'R';
    std::string refConstraint = foreign ? ReferencedKey(db, c) : std::string();
    CatalogRun(db,
               "INSERT INTO \"TESS$CONSTRAINTS\"(OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, "
               "TABLE_NAME, SEARCH_CONDITION, R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, STATUS) "
               "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
               {owner, name, std::string(1, c.type), table, TextOrNull(c.searchCondition),
                foreign ? TextOrNull(c.refOwner) : nullptr, TextOrNull(refConstraint),
                foreign ? CatalogQuery::Arg(std::string(c.deleteCascade ? "CASCADE" : "NO ACTION"))
                        : nullptr,
                std::string(c.disabled ? "DISABLED" : "ENABLED")});
    int64_t pos = 1;
    for (const std::string& col : c.columns)
      CatalogRun(db, "INSERT OR REPLACE INTO \"TESS$CONS_COLUMNS\" VALUES (?1, ?2, ?3, ?4, ?5)",
                 {owner, name, table, TextOrNull(col),
                  c.type == 'C' ? CatalogQuery::Arg(nullptr) : CatalogQuery::Arg(pos++)});
    if ((c.type == 'P' || c.type == 'U') && !c.disabled)
      AddIndex(db, owner, name, owner, table, true, c.columns);
  }
}

void RemoveConstraint(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogRun(db, "DELETE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
             {owner, TextOrNull(name)});
  CatalogRun(db, "DELETE FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND CONSTRAINT_NAME = ?2",
             {owner, TextOrNull(name)});
  RemoveIndex(db, owner, name);
}

std::optional<std::string> PrimaryKeyOf(sqlite3* db, const std::string& owner,
                                        const std::string& table) {
  CatalogQuery q(db,
                 "SELECT CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                 "TABLE_NAME = ?2 AND CONSTRAINT_TYPE = 'P'",
                 {owner, table});
  if (q.Row()) return q.Text(0);
  return std::nullopt;
}

bool IsReferencedByOthers(sqlite3* db, const std::string& owner, const std::string& table) {
  return CatalogHas(db,
                    "SELECT 1 FROM \"TESS$CONSTRAINTS\" R JOIN \"TESS$CONSTRAINTS\" P ON "
                    "P.OWNER = R.R_OWNER AND P.CONSTRAINT_NAME = R.R_CONSTRAINT_NAME WHERE "
                    "R.CONSTRAINT_TYPE = 'R' AND P.OWNER = ?1 AND P.TABLE_NAME = ?2 AND NOT "
                    "(R.OWNER = ?1 AND R.TABLE_NAME = ?2)",
                    {owner, table});
}

void RemoveTableCatalog(sqlite3* db, const std::string& owner, const std::string& table) {
  RemoveObject(db, owner, table, "TABLE");
  for (const char* sql :
       {"DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$COMMENTS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$OBJECTS\" WHERE OBJECT_TYPE = 'INDEX' AND (OWNER, OBJECT_NAME) IN "
        "(SELECT OWNER, INDEX_NAME FROM \"TESS$INDEXES\" WHERE TABLE_OWNER = ?1 AND "
        "TABLE_NAME = ?2)",
        "DELETE FROM \"TESS$IND_COLUMNS\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$INDEXES\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2"})
    CatalogRun(db, sql, {owner, table});
}

void AddView(sqlite3* db, const std::string& owner, const std::string& name,
             const std::string& text) {
  AddObject(db, owner, name, "VIEW");
  CatalogRun(db, "INSERT OR REPLACE INTO \"TESS$VIEWS\" VALUES (?1, ?2, ?3)",
             {owner, name, TextOrNull(text)});
  CatalogRun(db,
             "UPDATE \"TESS$OBJECTS\" SET STATUS = 'VALID' WHERE OWNER = ?1 AND "
             "OBJECT_NAME = ?2 AND OBJECT_TYPE = 'VIEW'",
             {owner, name});
}

void RemoveViewOptions(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogQuery q(db,
                 "SELECT CONSTRAINT_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                 "TABLE_NAME = ?2 AND CONSTRAINT_TYPE IN ('V', 'O')",
                 {owner, name});
  std::vector<std::string> names;
  while (q.Row()) names.push_back(q.Text(0));
  for (const std::string& n : names) RemoveConstraint(db, owner, n);
}

void RemoveViewCatalog(sqlite3* db, const std::string& owner, const std::string& name) {
  RemoveViewOptions(db, owner, name);
  RemoveObject(db, owner, name, "VIEW");
  for (const char* sql :
       {"DELETE FROM \"TESS$VIEWS\" WHERE OWNER = ?1 AND VIEW_NAME = ?2",
        "DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
        "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = 'VIEW'"})
    CatalogRun(db, sql, {owner, name});
}

void AddSequence(sqlite3* db, const std::string& owner, const std::string& name,
                 const SequenceRow& row) {
  AddObject(db, owner, name, "SEQUENCE");
  CatalogRun(
      db, "INSERT INTO \"TESS$SEQUENCES\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)",
      {owner, name, row.minValue, row.maxValue, row.incrementBy, std::string(row.cycle ? "Y" : "N"),
       std::string(row.order ? "Y" : "N"), row.cache, row.lastNumber});
}

void UpdateSequence(sqlite3* db, const std::string& owner, const std::string& name,
                    const SequenceOptions& o) {
  auto number = [](const std::optional<int64_t>& v) -> CatalogQuery::Arg {
    if (v) return *v;
    return nullptr;
  };
  CatalogRun(
      db,
      "UPDATE \"TESS$SEQUENCES\" SET INCREMENT_BY = coalesce(?3, INCREMENT_BY), "
      "MIN_VALUE = coalesce(?4, MIN_VALUE), MAX_VALUE = coalesce(?5, MAX_VALUE), "
      "CYCLE_FLAG = coalesce(?6, CYCLE_FLAG), CACHE_SIZE = coalesce(?7, CACHE_SIZE) "
      "WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
      {owner, name, number(o.incrementBy), number(o.minValue), number(o.maxValue),
       o.cycle ? CatalogQuery::Arg(std::string(*o.cycle ? "Y" : "N")) : nullptr, number(o.cache)});
  TouchObject(db, owner, name);
}

void RemoveSequenceCatalog(sqlite3* db, const std::string& owner, const std::string& name) {
  RemoveObject(db, owner, name, "SEQUENCE");
  CatalogRun(db, "DELETE FROM \"TESS$SEQUENCES\" WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
             {owner, name});
}

void AddSynonym(sqlite3* db, const std::string& owner, const std::string& name,
                const std::string& targetOwner, const std::string& target,
                const std::string& link) {
  AddObject(db, owner, name, "SYNONYM");
  CatalogRun(db, "INSERT OR REPLACE INTO \"TESS$SYNONYMS\" VALUES (?1, ?2, ?3, ?4, ?5)",
             {owner, name, TextOrNull(targetOwner), TextOrNull(target), TextOrNull(link)});
}

void RemoveSynonymCatalog(sqlite3* db, const std::string& owner, const std::string& name) {
  RemoveObject(db, owner, name, "SYNONYM");
  CatalogRun(db, "DELETE FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1 AND SYNONYM_NAME = ?2",
             {owner, name});
}

void SetComment(sqlite3* db, const std::string& owner, const std::string& table,
                const std::string& column, const std::string& text) {
  // A table comment has an empty (not NULL) column name: the column is part of the key.
  CatalogRun(db, "INSERT OR REPLACE INTO \"TESS$COMMENTS\" VALUES (?1, ?2, ?3, ?4)",
             {owner, table, column, TextOrNull(text)});
}

void RenameCatalogObject(sqlite3* db, const std::string& owner, const std::string& name,
                         const std::string& newName) {
  const char* tables[][2] = {
      {"TESS$OBJECTS", "OBJECT_NAME"},    {"TESS$COLUMNS", "TABLE_NAME"},
      {"TESS$CONSTRAINTS", "TABLE_NAME"}, {"TESS$CONS_COLUMNS", "TABLE_NAME"},
      {"TESS$VIEWS", "VIEW_NAME"},        {"TESS$SEQUENCES", "SEQUENCE_NAME"},
      {"TESS$SYNONYMS", "SYNONYM_NAME"},  {"TESS$COMMENTS", "TABLE_NAME"}};
  for (auto& t : tables) {
    std::string sql = std::string("UPDATE \"") + t[0] + "\" SET " + t[1] + " = ?3 WHERE " +
                      "OWNER = ?1 AND " + t[1] + " = ?2";
    CatalogRun(db, sql.c_str(), {owner, name, newName});
  }
  CatalogRun(db,
             "UPDATE \"TESS$INDEXES\" SET TABLE_NAME = ?3 WHERE TABLE_OWNER = ?1 AND "
             "TABLE_NAME = ?2",
             {owner, name, newName});
}

bool UserExists(sqlite3* db, const std::string& name) {
  return CatalogHas(db, "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = ?1", {name});
}

bool UserOwnsObjects(sqlite3* db, const std::string& name) {
  return CatalogHas(db, "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 LIMIT 1", {name});
}

std::vector<std::pair<std::string, std::string>> UserTablesAndViews(sqlite3* db,
                                                                    const std::string& name) {
  std::vector<std::pair<std::string, std::string>> objects;
  CatalogQuery q(db,
                 "SELECT OBJECT_NAME, OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND "
                 "OBJECT_TYPE IN ('VIEW', 'TABLE') ORDER BY OBJECT_TYPE DESC",
                 {name});
  while (q.Row()) objects.emplace_back(q.Text(0), q.Text(1));
  return objects;
}

void AddUser(sqlite3* db, const std::string& name, const std::string& password,
             const std::string& defaultTablespace, const std::string& temporaryTablespace) {
  int64_t id = 100;
  {
    CatalogQuery q(db, "SELECT max(max(USER_ID) + 1, 100) FROM \"TESS$USERS\"");
    if (q.Row() && !q.Null(0)) id = q.Int(0);
  }
  std::string salt = NewSalt();
  CatalogRun(db,
             "INSERT INTO \"TESS$USERS\"(USER_ID, USERNAME, PASSWORD_SALT, PASSWORD_HASH, "
             "DEFAULT_TABLESPACE, TEMPORARY_TABLESPACE, CREATED) VALUES "
             "(?1, ?2, ?3, ?4, ?5, ?6, ?7)",
             {id, name, salt, PasswordHash(salt, password), TextOrNull(defaultTablespace),
              TextOrNull(temporaryTablespace), Now()});
}

void UpdateUser(sqlite3* db, const std::string& name, const std::optional<std::string>& password,
                const std::optional<std::string>& defaultTablespace,
                const std::optional<std::string>& temporaryTablespace) {
  if (password) {
    std::string salt = NewSalt();
    CatalogRun(db,
               "UPDATE \"TESS$USERS\" SET PASSWORD_SALT = ?2, PASSWORD_HASH = ?3 WHERE "
               "USERNAME = ?1",
               {name, salt, PasswordHash(salt, *password)});
  }
  if (defaultTablespace)
    CatalogRun(db, "UPDATE \"TESS$USERS\" SET DEFAULT_TABLESPACE = ?2 WHERE USERNAME = ?1",
               {name, TextOrNull(*defaultTablespace)});
  if (temporaryTablespace)
    CatalogRun(db, "UPDATE \"TESS$USERS\" SET TEMPORARY_TABLESPACE = ?2 WHERE USERNAME = ?1",
               {name, TextOrNull(*temporaryTablespace)});
}

void RemoveUserCatalog(sqlite3* db, const std::string& name) {
  for (const char* sql :
       {"DELETE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1",
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
        "DELETE FROM \"TESS$TRIGGERS\" WHERE OWNER = ?1 OR TABLE_OWNER = ?1",
        "DELETE FROM \"TESS$TRIGGER_COLS\" WHERE TRIGGER_OWNER = ?1 OR TABLE_OWNER = ?1",
        "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1",
        "DELETE FROM \"TESS$TAB_PRIVS\" WHERE OWNER = ?1 OR GRANTEE = ?1",
        "DELETE FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1",
        "DELETE FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1",
        "DELETE FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1",
        "DELETE FROM \"TESS$USERS\" WHERE USERNAME = ?1"})
    CatalogRun(db, sql, {name});
  CatalogRun(db,
             "DELETE FROM \"TESS$ARGUMENTS\" WHERE \"OBJ#\" NOT IN (SELECT OBJECT_ID FROM "
             "\"TESS$OBJECTS\")");
}

}  // namespace tess::oci7
