// The data dictionary: the catalog tables beyond the engine's base catalog (sources,
// errors, arguments, triggers, dependencies, roles and privileges, tablespaces, rollback
// segments, database links) and the views Oracle 7 offers over them.
//
// A view's columns take their declared types from SELECTs of typed columns of an empty
// row (WHERE 0) UNION ALLed before and after the real rows; so describe reports
// VARCHAR2(30), NUMBER, DATE and LONG exactly as the server does.  ALL_ views
// show what the session user may see (TESS$USER() names that user): its own objects,
// PUBLIC's, objects granted to it, to PUBLIC or to its roles, and everything the system
// privileges SELECT ANY TABLE / EXECUTE ANY PROCEDURE or the DBA role open.
#include "oci7/dictionary.h"

#include <sqlite3.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <set>
#include <stdexcept>

namespace tess::oci7 {
namespace {

constexpr int kDictionaryFormat = 4;

const char* const kDictionaryTables = R"sql(
CREATE TABLE IF NOT EXISTS "TESS$SOURCE"(
  OWNER TEXT, NAME TEXT, TYPE TEXT, LINE INTEGER, TEXT TEXT,
  PRIMARY KEY(OWNER, NAME, TYPE, LINE));
CREATE TABLE IF NOT EXISTS "TESS$PROGRAM_STAMPS"(
  OWNER TEXT, NAME TEXT, TYPE TEXT, STAMP INTEGER, PRIMARY KEY(OWNER, NAME, TYPE));
CREATE TABLE IF NOT EXISTS "TESS$ERRORS"(
  OWNER TEXT, NAME TEXT, TYPE TEXT, SEQUENCE INTEGER, LINE INTEGER, POSITION INTEGER,
  TEXT TEXT, PRIMARY KEY(OWNER, NAME, TYPE, SEQUENCE));
CREATE TABLE IF NOT EXISTS "TESS$ARGUMENTS"(
  "OBJ#" INTEGER, "PROCEDURE$" TEXT, "OVERLOAD#" INTEGER, POSITION INTEGER,
  "SEQUENCE#" INTEGER, "LEVEL#" INTEGER, ARGUMENT TEXT, TYPE INTEGER, "DEFAULT#" INTEGER,
  IN_OUT INTEGER, LENGTH INTEGER);
CREATE INDEX IF NOT EXISTS "TESS$ARGUMENTS_OBJ" ON "TESS$ARGUMENTS"("OBJ#");
CREATE TABLE IF NOT EXISTS "TESS$TRIGGERS"(
  OWNER TEXT, TRIGGER_NAME TEXT, TRIGGER_TYPE TEXT, TRIGGERING_EVENT TEXT, TABLE_OWNER TEXT,
  TABLE_NAME TEXT, REFERENCING_NAMES TEXT, WHEN_CLAUSE TEXT, STATUS TEXT, DESCRIPTION TEXT,
  TRIGGER_BODY TEXT, PRIMARY KEY(OWNER, TRIGGER_NAME));
CREATE TABLE IF NOT EXISTS "TESS$TRIGGER_COLS"(
  TRIGGER_OWNER TEXT, TRIGGER_NAME TEXT, TABLE_OWNER TEXT, TABLE_NAME TEXT,
  COLUMN_NAME TEXT, COLUMN_LIST TEXT, COLUMN_USAGE TEXT);
CREATE TABLE IF NOT EXISTS "TESS$DEPENDENCIES"(
  OWNER TEXT, NAME TEXT, TYPE TEXT, REFERENCED_OWNER TEXT, REFERENCED_NAME TEXT,
  REFERENCED_TYPE TEXT, REFERENCED_LINK_NAME TEXT);
CREATE TABLE IF NOT EXISTS "TESS$ROLES"(ROLE TEXT PRIMARY KEY, PASSWORD_REQUIRED TEXT);
CREATE TABLE IF NOT EXISTS "TESS$SYS_PRIVS"(
  GRANTEE TEXT, PRIVILEGE TEXT, ADMIN_OPTION TEXT, PRIMARY KEY(GRANTEE, PRIVILEGE));
CREATE TABLE IF NOT EXISTS "TESS$ROLE_PRIVS"(
  GRANTEE TEXT, GRANTED_ROLE TEXT, ADMIN_OPTION TEXT, DEFAULT_ROLE TEXT,
  PRIMARY KEY(GRANTEE, GRANTED_ROLE));
CREATE TABLE IF NOT EXISTS "TESS$TAB_PRIVS"(
  GRANTEE TEXT, OWNER TEXT, TABLE_NAME TEXT, GRANTOR TEXT, PRIVILEGE TEXT, GRANTABLE TEXT,
  PRIMARY KEY(GRANTEE, OWNER, TABLE_NAME, PRIVILEGE));
CREATE TABLE IF NOT EXISTS "TESS$TABLESPACES"(
  TABLESPACE_NAME TEXT PRIMARY KEY, INITIAL_EXTENT INTEGER, NEXT_EXTENT INTEGER,
  MIN_EXTENTS INTEGER, MAX_EXTENTS INTEGER, PCT_INCREASE INTEGER, STATUS TEXT,
  CONTENTS TEXT, FILE_ID INTEGER, BYTES INTEGER);
CREATE TABLE IF NOT EXISTS "TESS$ROLLBACK_SEGS"(
  SEGMENT_NAME TEXT PRIMARY KEY, OWNER TEXT, TABLESPACE_NAME TEXT, SEGMENT_ID INTEGER,
  STATUS TEXT);
CREATE TABLE IF NOT EXISTS "TESS$DB_LINKS"(
  OWNER TEXT, DB_LINK TEXT, USERNAME TEXT, PASSWORD TEXT, HOST TEXT, CREATED TEXT,
  PRIMARY KEY(OWNER, DB_LINK));
CREATE VIEW IF NOT EXISTS "TESS$MY_GRANTEES" AS
  WITH RECURSIVE G(NAME) AS (
    SELECT TESS$USER() UNION SELECT 'PUBLIC'
    UNION SELECT R.GRANTED_ROLE FROM "TESS$ROLE_PRIVS" R, G WHERE R.GRANTEE = G.NAME)
  SELECT NAME FROM G;
)sql";

// The base rows: the tablespaces and rollback segments the views answer with, the roles
// every server has, and the accounts' roles and privileges.
const char* const kDictionaryRows = R"sql(
INSERT OR IGNORE INTO "TESS$TABLESPACES" VALUES
  ('SYSTEM', 10240, 10240, 1, 121, 50, 'ONLINE', 'PERMANENT', 1, 26214400),
  ('USERS', 10240, 10240, 1, 121, 50, 'ONLINE', 'PERMANENT', 2, 10485760),
  ('TEMP', 10240, 10240, 1, 121, 50, 'ONLINE', 'TEMPORARY', 3, 5242880);
INSERT OR IGNORE INTO "TESS$ROLLBACK_SEGS" VALUES
  ('SYSTEM', 'SYS', 'SYSTEM', 0, 'ONLINE'), ('R01', 'PUBLIC', 'SYSTEM', 1, 'ONLINE');
INSERT OR IGNORE INTO "TESS$ROLES" VALUES ('CONNECT', 'NO'), ('RESOURCE', 'NO'), ('DBA', 'NO');
INSERT OR IGNORE INTO "TESS$SYS_PRIVS" VALUES
  ('CONNECT', 'CREATE SESSION', 'NO'), ('CONNECT', 'CREATE TABLE', 'NO'),
  ('CONNECT', 'CREATE VIEW', 'NO'), ('CONNECT', 'CREATE SYNONYM', 'NO'),
  ('CONNECT', 'CREATE SEQUENCE', 'NO'), ('CONNECT', 'CREATE DATABASE LINK', 'NO'),
  ('RESOURCE', 'CREATE TABLE', 'NO'), ('RESOURCE', 'CREATE SEQUENCE', 'NO'),
  ('RESOURCE', 'CREATE PROCEDURE', 'NO'), ('RESOURCE', 'CREATE TRIGGER', 'NO'),
  ('RESOURCE', 'CREATE CLUSTER', 'NO');
INSERT OR IGNORE INTO "TESS$ROLE_PRIVS"
  SELECT USERNAME, 'DBA', 'YES', 'YES' FROM "TESS$USERS" WHERE IS_DBA <> 0;
INSERT OR IGNORE INTO "TESS$ROLE_PRIVS"
  SELECT USERNAME, 'CONNECT', 'NO', 'YES' FROM "TESS$USERS" WHERE USERNAME <> 'SYS';
INSERT OR IGNORE INTO "TESS$ROLE_PRIVS"
  SELECT USERNAME, 'RESOURCE', 'NO', 'YES' FROM "TESS$USERS" WHERE USERNAME <> 'SYS';
INSERT OR IGNORE INTO "TESS$TAB_PRIVS" VALUES ('PUBLIC', 'SYS', 'DUAL', 'SYS', 'SELECT', 'NO');
)sql";

// Declared types by short name: Vn VARCHAR2(n), N NUMBER, D DATE, L LONG.
std::string Declared(const std::string& t) {
  if (t == "N") return "NUMBER";
  if (t == "D") return "DATE TEXT";
  if (t == "L") return "LONG TEXT";
  return "VARCHAR2(" + t.substr(1) + ")";
}

const char* const kTypeNames[] = {"V1",  "V3",   "V5",   "V6",    "V7",  "V8",  "V9",  "V10", "V11",
                                  "V12", "V13",  "V16",  "V17",   "V26", "V30", "V40", "V32", "V75",
                                  "V87", "V128", "V257", "V2000", "N",   "D",   "L"};

struct Column {
  const char* name;
  const char* type;
  std::string expr;
};

// Whether an expression is a catalog table's column ("K.OWNER", "A.\"OBJ#\"").
bool IsColumnReference(const std::string& e) {
  size_t dot = e.find('.');
  if (dot == std::string::npos || dot == 0) return false;
  for (size_t i = 0; i < dot; ++i)
    if (!std::isalnum(static_cast<unsigned char>(e[i])) && e[i] != '_') return false;
  std::string rest = e.substr(dot + 1);
  if (rest.size() > 2 && rest.front() == '"' && rest.back() == '"')
    return rest.find('"', 1) == rest.size() - 1;
  if (rest.empty()) return false;
  for (char c : rest)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '#' && c != '$')
      return false;
  return true;
}

// The expression of a view column as its typed arm declares it.  SQLite gives a compound
// view's column the first arm's type only when every arm's values are surely of that kind;
// a computed value (a function, a CASE) or a column of an untyped view could be anything,
// and the column would come out typeless (described as LONG RAW).  A CAST says what it is;
// a catalog table's own column needs none, and keeps its index usable.
std::string Fitted(const Column& c) {
  if (IsColumnReference(c.expr)) return c.expr;
  return "CAST(" + c.expr + (c.type[0] == 'N' ? " AS NUMERIC)" : " AS TEXT)");
}

// CREATE VIEW "SYS.name" whose columns have exactly the given Oracle types.
std::string TypedView(const std::string& name, const std::vector<Column>& cols,
                      const std::string& body) {
  std::string typed, real;
  for (size_t i = 0; i < cols.size(); ++i) {
    typed +=
        std::string(i ? ", " : "") + "T.\"T_" + cols[i].type + "\" AS \"" + cols[i].name + "\"";
    real += std::string(i ? ", " : "") + Fitted(cols[i]);
  }
  // The typed arm comes first (PRAGMA table_info reads the first) and last (the declared
  // type of a query's column comes from the last arm).
  return "CREATE VIEW \"SYS." + name + "\" AS SELECT " + typed +
         " FROM \"TESS$TYPES\" T WHERE 0 UNION ALL SELECT " + real + " " + body +
         " UNION ALL SELECT " + typed + " FROM \"TESS$TYPES\" T WHERE 0;\n";
}

// A system privilege of the session user (the DBA role holds them all).
std::string SysPriv(const std::string& privilege) {
  return "EXISTS (SELECT 1 FROM \"TESS$MY_GRANTEES\" G WHERE G.NAME = 'DBA' OR G.NAME IN "
         "(SELECT GRANTEE FROM \"TESS$SYS_PRIVS\" WHERE PRIVILEGE = '" +
         privilege + "'))";
}

// Whether the session user may see owner.name of the given type.
std::string Visible(const std::string& owner, const std::string& name, const std::string& type) {
  return "(" + owner + " = TESS$USER() OR " + owner +
         " = 'PUBLIC' OR EXISTS (SELECT 1 FROM \"TESS$TAB_PRIVS\" P WHERE P.OWNER = " + owner +
         " AND P.TABLE_NAME = " + name +
         " AND P.GRANTEE IN (SELECT NAME FROM \"TESS$MY_GRANTEES\")) OR (" + type +
         " IN ('TABLE', 'VIEW', 'SEQUENCE', 'SYNONYM', 'INDEX', 'TRIGGER') AND " +
         SysPriv("SELECT ANY TABLE") + ") OR (" + type +
         " IN ('PROCEDURE', 'FUNCTION', 'PACKAGE', 'PACKAGE BODY') AND " +
         SysPriv("EXECUTE ANY PROCEDURE") + "))";
}

// One view family: ALL_x (visible rows), USER_x (the user's own, without the owner
// column) and DBA_x (every row).  ownerCols leading columns are the owner's.
struct Family {
  std::string base;
  std::vector<Column> cols;
  std::string from;      // FROM ... [WHERE ...] without the filters
  std::string owner;     // the owner expression, for USER_
  std::string visible;   // the ALL_ filter
  std::string variants;  // letters: A ALL_, U USER_, D DBA_
  size_t ownerCols = 1;  // USER_CONSTRAINTS and USER_CONS_COLUMNS keep their OWNER
};

std::string Where(const std::string& from, const std::string& cond) {
  bool has = from.find(" WHERE ") != std::string::npos;
  return from + (has ? " AND " : " WHERE ") + cond;
}

struct Views {
  std::string sql;
  std::vector<std::pair<std::string, bool>> names;  // view, DBA-only
  void Add(const std::string& name, const std::vector<Column>& cols, const std::string& body,
           bool dbaOnly) {
    sql += TypedView(name, cols, body);
    names.emplace_back(name, dbaOnly);
  }
  void Add(const Family& f) {
    if (f.variants.find('A') != std::string::npos)
      Add("ALL_" + f.base, f.cols, Where(f.from, f.visible), false);
    if (f.variants.find('U') != std::string::npos) {
      std::vector<Column> cols(f.cols.begin() + static_cast<long>(f.ownerCols), f.cols.end());
      Add("USER_" + f.base, cols, Where(f.from, f.owner + " = TESS$USER()"), false);
    }
    if (f.variants.find('D') != std::string::npos) Add("DBA_" + f.base, f.cols, f.from, true);
  }
};

Views AllViews() {
  Views v;
  // Objects
  v.Add({"OBJECTS",
         {{"OWNER", "V30", "O.OWNER"},
          {"OBJECT_NAME", "V128", "O.OBJECT_NAME"},
          {"OBJECT_ID", "N", "O.OBJECT_ID"},
          {"OBJECT_TYPE", "V13", "O.OBJECT_TYPE"},
          {"CREATED", "D", "O.CREATED"},
          {"LAST_DDL_TIME", "D", "O.LAST_DDL_TIME"},
          {"TIMESTAMP", "V75", "replace(O.LAST_DDL_TIME, ' ', ':')"},
          {"STATUS", "V7", "O.STATUS"}},
         "FROM \"TESS$OBJECTS\" O",
         "O.OWNER",
         Visible("O.OWNER", "O.OBJECT_NAME", "O.OBJECT_TYPE"),
         "AUD"});
  // Tables
  v.Add({"TABLES",
         {{"OWNER", "V30", "O.OWNER"},
          {"TABLE_NAME", "V30", "O.OBJECT_NAME"},
          {"TABLESPACE_NAME", "V30",
           "coalesce((SELECT DEFAULT_TABLESPACE FROM \"TESS$USERS\" U WHERE U.USERNAME = "
           "O.OWNER), 'SYSTEM')"},
          {"CLUSTER_NAME", "V30", "NULL"},
          {"PCT_FREE", "N", "10"},
          {"PCT_USED", "N", "40"},
          {"INI_TRANS", "N", "1"},
          {"MAX_TRANS", "N", "255"},
          {"INITIAL_EXTENT", "N", "10240"},
          {"NEXT_EXTENT", "N", "10240"},
          {"MIN_EXTENTS", "N", "1"},
          {"MAX_EXTENTS", "N", "121"},
          {"PCT_INCREASE", "N", "50"},
          {"FREELISTS", "N", "1"},
          {"FREELIST_GROUPS", "N", "1"},
          {"BACKED_UP", "V1", "'N'"},
          {"NUM_ROWS", "N", "NULL"},
          {"BLOCKS", "N", "NULL"},
          {"EMPTY_BLOCKS", "N", "NULL"},
          {"AVG_SPACE", "N", "NULL"},
          {"CHAIN_CNT", "N", "NULL"},
          {"AVG_ROW_LEN", "N", "NULL"},
          {"DEGREE", "V10", "'         1'"},
          {"INSTANCES", "V10", "'         1'"},
          {"CACHE", "V5", "'    N'"},
          {"TABLE_LOCK", "V8", "'ENABLED'"}},
         "FROM \"TESS$OBJECTS\" O WHERE O.OBJECT_TYPE = 'TABLE'",
         "O.OWNER",
         Visible("O.OWNER", "O.OBJECT_NAME", "'TABLE'"),
         "AUD"});
  v.Add({"VIEWS",
         {{"OWNER", "V30", "W.OWNER"},
          {"VIEW_NAME", "V30", "W.VIEW_NAME"},
          {"TEXT_LENGTH", "N", "length(W.TEXT)"},
          {"TEXT", "L", "W.TEXT"}},
         "FROM \"TESS$VIEWS\" W",
         "W.OWNER",
         Visible("W.OWNER", "W.VIEW_NAME", "'VIEW'"),
         "AUD"});
  v.Add({"TAB_COLUMNS",
         {{"OWNER", "V30", "C.OWNER"},
          {"TABLE_NAME", "V30", "C.TABLE_NAME"},
          {"COLUMN_NAME", "V30", "C.COLUMN_NAME"},
          {"DATA_TYPE", "V9", "C.DATA_TYPE"},
          {"DATA_LENGTH", "N", "C.DATA_LENGTH"},
          {"DATA_PRECISION", "N", "C.DATA_PRECISION"},
          {"DATA_SCALE", "N", "C.DATA_SCALE"},
          {"NULLABLE", "V1", "C.NULLABLE"},
          {"COLUMN_ID", "N", "C.COLUMN_ID"},
          {"DEFAULT_LENGTH", "N", "length(C.DATA_DEFAULT)"},
          {"DATA_DEFAULT", "L", "C.DATA_DEFAULT"},
          {"NUM_DISTINCT", "N", "NULL"},
          {"LOW_VALUE", "V32", "NULL"},
          {"HIGH_VALUE", "V32", "NULL"},
          {"DENSITY", "N", "NULL"},
          {"NUM_NULLS", "N", "NULL"},
          {"NUM_BUCKETS", "N", "NULL"}},
         "FROM \"TESS$COLUMNS\" C",
         "C.OWNER",
         Visible("C.OWNER", "C.TABLE_NAME",
                 "(SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" X WHERE X.OWNER = C.OWNER AND "
                 "X.OBJECT_NAME = C.TABLE_NAME AND X.OBJECT_TYPE IN ('TABLE', 'VIEW'))"),
         "AUD"});
  v.Add({"SYNONYMS",
         {{"OWNER", "V30", "S.OWNER"},
          {"SYNONYM_NAME", "V30", "S.SYNONYM_NAME"},
          {"TABLE_OWNER", "V30", "S.TABLE_OWNER"},
          {"TABLE_NAME", "V30", "S.TABLE_NAME"},
          {"DB_LINK", "V128", "nullif(S.DB_LINK, '')"}},
         "FROM \"TESS$SYNONYMS\" S",
         "S.OWNER",
         Visible("S.OWNER", "S.SYNONYM_NAME", "'SYNONYM'"),
         "AUD"});
  // Users
  v.Add("ALL_USERS",
        {{"USERNAME", "V30", "U.USERNAME"},
         {"USER_ID", "N", "U.USER_ID"},
         {"CREATED", "D", "U.CREATED"}},
        "FROM \"TESS$USERS\" U", false);
  v.Add("USER_USERS",
        {{"USERNAME", "V30", "U.USERNAME"},
         {"USER_ID", "N", "U.USER_ID"},
         {"DEFAULT_TABLESPACE", "V30", "U.DEFAULT_TABLESPACE"},
         {"TEMPORARY_TABLESPACE", "V30", "U.TEMPORARY_TABLESPACE"},
         {"CREATED", "D", "U.CREATED"}},
        "FROM \"TESS$USERS\" U WHERE U.USERNAME = TESS$USER()", false);
  v.Add("DBA_USERS",
        {{"USERNAME", "V30", "U.USERNAME"},
         {"USER_ID", "N", "U.USER_ID"},
         {"PASSWORD", "V30", "upper(substr(U.PASSWORD_HASH, 1, 16))"},
         {"DEFAULT_TABLESPACE", "V30", "U.DEFAULT_TABLESPACE"},
         {"TEMPORARY_TABLESPACE", "V30", "U.TEMPORARY_TABLESPACE"},
         {"CREATED", "D", "U.CREATED"},
         {"PROFILE", "V30", "'DEFAULT'"}},
        "FROM \"TESS$USERS\" U", true);
  // Storage
  std::vector<Column> tablespace = {{"TABLESPACE_NAME", "V30", "S.TABLESPACE_NAME"},
                                    {"INITIAL_EXTENT", "N", "S.INITIAL_EXTENT"},
                                    {"NEXT_EXTENT", "N", "S.NEXT_EXTENT"},
                                    {"MIN_EXTENTS", "N", "S.MIN_EXTENTS"},
                                    {"MAX_EXTENTS", "N", "S.MAX_EXTENTS"},
                                    {"PCT_INCREASE", "N", "S.PCT_INCREASE"},
                                    {"STATUS", "V9", "S.STATUS"},
                                    {"CONTENTS", "V9", "S.CONTENTS"}};
  v.Add("USER_TABLESPACES", tablespace, "FROM \"TESS$TABLESPACES\" S", false);
  v.Add("DBA_TABLESPACES", tablespace, "FROM \"TESS$TABLESPACES\" S", true);
  v.Add("DBA_ROLLBACK_SEGS",
        {{"SEGMENT_NAME", "V30", "R.SEGMENT_NAME"},
         {"OWNER", "V6", "R.OWNER"},
         {"TABLESPACE_NAME", "V30", "R.TABLESPACE_NAME"},
         {"SEGMENT_ID", "N", "R.SEGMENT_ID"},
         {"FILE_ID", "N", "1"},
         {"BLOCK_ID", "N", "2 + 10 * R.SEGMENT_ID"},
         {"INITIAL_EXTENT", "N", "51200"},
         {"NEXT_EXTENT", "N", "51200"},
         {"MIN_EXTENTS", "N", "2"},
         {"MAX_EXTENTS", "N", "121"},
         {"PCT_INCREASE", "N", "0"},
         {"STATUS", "V16", "R.STATUS"},
         {"INSTANCE_NUM", "V40", "NULL"}},
        "FROM \"TESS$ROLLBACK_SEGS\" R", true);
  v.Add("DBA_DATA_FILES",
        {{"FILE_NAME", "V257", "lower(S.TABLESPACE_NAME) || '01.dbf'"},
         {"FILE_ID", "N", "S.FILE_ID"},
         {"TABLESPACE_NAME", "V30", "S.TABLESPACE_NAME"},
         {"BYTES", "N", "S.BYTES"},
         {"BLOCKS", "N", "S.BYTES / 2048"},
         {"STATUS", "V9", "'AVAILABLE'"}},
        "FROM \"TESS$TABLESPACES\" S", true);
  // Indexes and constraints: visible with the table they belong to.
  v.Add({"INDEXES",
         {{"OWNER", "V30", "I.OWNER"},
          {"INDEX_NAME", "V30", "I.INDEX_NAME"},
          {"TABLE_OWNER", "V30", "I.TABLE_OWNER"},
          {"TABLE_NAME", "V30", "I.TABLE_NAME"},
          {"TABLE_TYPE", "V11", "'TABLE'"},
          {"UNIQUENESS", "V9", "I.UNIQUENESS"},
          {"TABLESPACE_NAME", "V30",
           "coalesce((SELECT DEFAULT_TABLESPACE FROM \"TESS$USERS\" U WHERE U.USERNAME = "
           "I.OWNER), 'SYSTEM')"},
          {"INI_TRANS", "N", "2"},
          {"MAX_TRANS", "N", "255"},
          {"INITIAL_EXTENT", "N", "10240"},
          {"NEXT_EXTENT", "N", "10240"},
          {"MIN_EXTENTS", "N", "1"},
          {"MAX_EXTENTS", "N", "121"},
          {"PCT_INCREASE", "N", "50"},
          {"FREELISTS", "N", "1"},
          {"FREELIST_GROUPS", "N", "1"},
          {"PCT_FREE", "N", "10"},
          {"BLEVEL", "N", "NULL"},
          {"LEAF_BLOCKS", "N", "NULL"},
          {"DISTINCT_KEYS", "N", "NULL"},
          {"AVG_LEAF_BLOCKS_PER_KEY", "N", "NULL"},
          {"AVG_DATA_BLOCKS_PER_KEY", "N", "NULL"},
          {"CLUSTERING_FACTOR", "N", "NULL"},
          {"STATUS", "V11", "'VALID'"}},
         "FROM \"TESS$INDEXES\" I",
         "I.OWNER",
         "(I.OWNER = TESS$USER() OR " + Visible("I.TABLE_OWNER", "I.TABLE_NAME", "'TABLE'") + ")",
         "AUD"});
  v.Add({"IND_COLUMNS",
         {{"INDEX_OWNER", "V30", "IC.INDEX_OWNER"},
          {"INDEX_NAME", "V30", "IC.INDEX_NAME"},
          {"TABLE_OWNER", "V30", "IC.TABLE_OWNER"},
          {"TABLE_NAME", "V30", "IC.TABLE_NAME"},
          {"COLUMN_NAME", "V30", "IC.COLUMN_NAME"},
          {"COLUMN_POSITION", "N", "IC.COLUMN_POSITION"},
          {"COLUMN_LENGTH", "N",
           "(SELECT DATA_LENGTH FROM \"TESS$COLUMNS\" C WHERE C.OWNER = IC.TABLE_OWNER AND "
           "C.TABLE_NAME = IC.TABLE_NAME AND C.COLUMN_NAME = IC.COLUMN_NAME)"}},
         "FROM \"TESS$IND_COLUMNS\" IC",
         "IC.INDEX_OWNER",
         "(IC.INDEX_OWNER = TESS$USER() OR " +
             Visible("IC.TABLE_OWNER", "IC.TABLE_NAME", "'TABLE'") + ")",
         "AD"});
  // USER_IND_COLUMNS names neither owner.
  v.Add("USER_IND_COLUMNS",
        {{"INDEX_NAME", "V30", "IC.INDEX_NAME"},
         {"TABLE_NAME", "V30", "IC.TABLE_NAME"},
         {"COLUMN_NAME", "V30", "IC.COLUMN_NAME"},
         {"COLUMN_POSITION", "N", "IC.COLUMN_POSITION"},
         {"COLUMN_LENGTH", "N",
          "(SELECT DATA_LENGTH FROM \"TESS$COLUMNS\" C WHERE C.OWNER = IC.TABLE_OWNER AND "
          "C.TABLE_NAME = IC.TABLE_NAME AND C.COLUMN_NAME = IC.COLUMN_NAME)"}},
        "FROM \"TESS$IND_COLUMNS\" IC WHERE IC.INDEX_OWNER = TESS$USER()", false);
  v.Add({"CONSTRAINTS",
         {{"OWNER", "V30", "K.OWNER"},
          {"CONSTRAINT_NAME", "V30", "K.CONSTRAINT_NAME"},
          {"CONSTRAINT_TYPE", "V1", "K.CONSTRAINT_TYPE"},
          {"TABLE_NAME", "V30", "K.TABLE_NAME"},
          {"SEARCH_CONDITION", "L", "K.SEARCH_CONDITION"},
          {"R_OWNER", "V30", "K.R_OWNER"},
          {"R_CONSTRAINT_NAME", "V30", "nullif(K.R_CONSTRAINT_NAME, '')"},
          {"DELETE_RULE", "V9", "K.DELETE_RULE"},
          {"STATUS", "V8", "K.STATUS"}},
         "FROM \"TESS$CONSTRAINTS\" K",
         "K.OWNER",
         Visible("K.OWNER", "K.TABLE_NAME", "'TABLE'"),
         "AUD",
         0});
  v.Add({"CONS_COLUMNS",
         {{"OWNER", "V30", "CC.OWNER"},
          {"CONSTRAINT_NAME", "V30", "CC.CONSTRAINT_NAME"},
          {"TABLE_NAME", "V30", "CC.TABLE_NAME"},
          {"COLUMN_NAME", "V30", "CC.COLUMN_NAME"},
          {"POSITION", "N", "CC.POSITION"}},
         "FROM \"TESS$CONS_COLUMNS\" CC",
         "CC.OWNER",
         Visible("CC.OWNER", "CC.TABLE_NAME", "'TABLE'"),
         "AUD",
         0});
  v.Add({"TRIGGERS",
         {{"OWNER", "V30", "R.OWNER"},
          {"TRIGGER_NAME", "V30", "R.TRIGGER_NAME"},
          {"TRIGGER_TYPE", "V16", "R.TRIGGER_TYPE"},
          {"TRIGGERING_EVENT", "V26", "R.TRIGGERING_EVENT"},
          {"TABLE_OWNER", "V30", "R.TABLE_OWNER"},
          {"TABLE_NAME", "V30", "R.TABLE_NAME"},
          {"REFERENCING_NAMES", "V87", "R.REFERENCING_NAMES"},
          {"WHEN_CLAUSE", "V2000", "R.WHEN_CLAUSE"},
          {"STATUS", "V8", "R.STATUS"},
          {"DESCRIPTION", "V2000", "R.DESCRIPTION"},
          {"TRIGGER_BODY", "L", "R.TRIGGER_BODY"}},
         "FROM \"TESS$TRIGGERS\" R",
         "R.OWNER",
         "(R.OWNER = TESS$USER() OR " + Visible("R.TABLE_OWNER", "R.TABLE_NAME", "'TABLE'") + ")",
         "AUD"});
  v.Add({"TRIGGER_COLS",
         {{"TRIGGER_OWNER", "V30", "TC.TRIGGER_OWNER"},
          {"TRIGGER_NAME", "V30", "TC.TRIGGER_NAME"},
          {"TABLE_OWNER", "V30", "TC.TABLE_OWNER"},
          {"TABLE_NAME", "V30", "TC.TABLE_NAME"},
          {"COLUMN_NAME", "V30", "TC.COLUMN_NAME"},
          {"COLUMN_LIST", "V3", "TC.COLUMN_LIST"},
          {"COLUMN_USAGE", "V17", "TC.COLUMN_USAGE"}},
         "FROM \"TESS$TRIGGER_COLS\" TC",
         "TC.TRIGGER_OWNER",
         "(TC.TRIGGER_OWNER = TESS$USER() OR " +
             Visible("TC.TABLE_OWNER", "TC.TABLE_NAME", "'TABLE'") + ")",
         "AUD"});
  // Stored programs
  v.Add({"SOURCE",
         {{"OWNER", "V30", "S.OWNER"},
          {"NAME", "V30", "S.NAME"},
          {"TYPE", "V12", "S.TYPE"},
          {"LINE", "N", "S.LINE"},
          {"TEXT", "V2000", "S.TEXT"}},
         "FROM \"TESS$SOURCE\" S",
         "S.OWNER",
         Visible("S.OWNER", "S.NAME", "S.TYPE"),
         "AUD"});
  v.Add({"ERRORS",
         {{"OWNER", "V30", "E.OWNER"},
          {"NAME", "V30", "E.NAME"},
          {"TYPE", "V12", "E.TYPE"},
          {"SEQUENCE", "N", "E.SEQUENCE"},
          {"LINE", "N", "E.LINE"},
          {"POSITION", "N", "E.POSITION"},
          {"TEXT", "V2000", "E.TEXT"}},
         "FROM \"TESS$ERRORS\" E",
         "E.OWNER",
         Visible("E.OWNER", "E.NAME", "E.TYPE"),
         "AUD"});
  v.Add({"DEPENDENCIES",
         {{"OWNER", "V30", "P.OWNER"},
          {"NAME", "V30", "P.NAME"},
          {"TYPE", "V12", "P.TYPE"},
          {"REFERENCED_OWNER", "V30", "P.REFERENCED_OWNER"},
          {"REFERENCED_NAME", "V30", "P.REFERENCED_NAME"},
          {"REFERENCED_TYPE", "V12", "P.REFERENCED_TYPE"},
          {"REFERENCED_LINK_NAME", "V128", "P.REFERENCED_LINK_NAME"}},
         "FROM \"TESS$DEPENDENCIES\" P",
         "P.OWNER",
         Visible("P.OWNER", "P.NAME", "P.TYPE"),
         "AUD"});
  v.Add({"SEQUENCES",
         {{"SEQUENCE_OWNER", "V30", "Q.OWNER"},
          {"SEQUENCE_NAME", "V30", "Q.SEQUENCE_NAME"},
          {"MIN_VALUE", "N", "Q.MIN_VALUE"},
          {"MAX_VALUE", "N", "Q.MAX_VALUE"},
          {"INCREMENT_BY", "N", "Q.INCREMENT_BY"},
          {"CYCLE_FLAG", "V1", "Q.CYCLE_FLAG"},
          {"ORDER_FLAG", "V1", "Q.ORDER_FLAG"},
          {"CACHE_SIZE", "N", "Q.CACHE_SIZE"},
          {"LAST_NUMBER", "N", "Q.LAST_NUMBER"}},
         "FROM \"TESS$SEQUENCES\" Q",
         "Q.OWNER",
         Visible("Q.OWNER", "Q.SEQUENCE_NAME", "'SEQUENCE'"),
         "AUD"});
  v.Add({"COL_COMMENTS",
         {{"OWNER", "V30", "M.OWNER"},
          {"TABLE_NAME", "V30", "M.TABLE_NAME"},
          {"COLUMN_NAME", "V30", "M.COLUMN_NAME"},
          {"COMMENTS", "V2000", "M.COMMENTS"}},
         "FROM \"TESS$COMMENTS\" M WHERE M.COLUMN_NAME <> ''",
         "M.OWNER",
         Visible("M.OWNER", "M.TABLE_NAME", "'TABLE'"),
         "AUD"});
  v.Add({"TAB_COMMENTS",
         {{"OWNER", "V30", "M.OWNER"},
          {"TABLE_NAME", "V30", "M.TABLE_NAME"},
          {"TABLE_TYPE", "V11",
           "coalesce((SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" X WHERE X.OWNER = M.OWNER AND "
           "X.OBJECT_NAME = M.TABLE_NAME AND X.OBJECT_TYPE IN ('TABLE', 'VIEW')), 'TABLE')"},
          {"COMMENTS", "V2000", "M.COMMENTS"}},
         "FROM \"TESS$COMMENTS\" M WHERE M.COLUMN_NAME = ''",
         "M.OWNER",
         Visible("M.OWNER", "M.TABLE_NAME", "'TABLE'"),
         "AUD"});
  // Database links
  v.Add("ALL_DB_LINKS",
        {{"OWNER", "V30", "L.OWNER"},
         {"DB_LINK", "V128", "L.DB_LINK"},
         {"USERNAME", "V30", "L.USERNAME"},
         {"HOST", "V2000", "L.HOST"},
         {"CREATED", "D", "L.CREATED"}},
        "FROM \"TESS$DB_LINKS\" L WHERE L.OWNER IN (TESS$USER(), 'PUBLIC')", false);
  v.Add("USER_DB_LINKS",
        {{"DB_LINK", "V128", "L.DB_LINK"},
         {"USERNAME", "V30", "L.USERNAME"},
         {"PASSWORD", "V30", "L.PASSWORD"},
         {"HOST", "V2000", "L.HOST"},
         {"CREATED", "D", "L.CREATED"}},
        "FROM \"TESS$DB_LINKS\" L WHERE L.OWNER = TESS$USER()", false);
  v.Add("DBA_DB_LINKS",
        {{"OWNER", "V30", "L.OWNER"},
         {"DB_LINK", "V128", "L.DB_LINK"},
         {"USERNAME", "V30", "L.USERNAME"},
         {"HOST", "V2000", "L.HOST"},
         {"CREATED", "D", "L.CREATED"}},
        "FROM \"TESS$DB_LINKS\" L", true);
  // Privileges and roles
  const std::string grantees = "(SELECT NAME FROM \"TESS$MY_GRANTEES\")";
  v.Add("ALL_TAB_PRIVS",
        {{"GRANTOR", "V30", "P.GRANTOR"},
         {"GRANTEE", "V30", "P.GRANTEE"},
         {"TABLE_SCHEMA", "V30", "P.OWNER"},
         {"TABLE_NAME", "V30", "P.TABLE_NAME"},
         {"PRIVILEGE", "V40", "P.PRIVILEGE"},
         {"GRANTABLE", "V3", "P.GRANTABLE"}},
        "FROM \"TESS$TAB_PRIVS\" P WHERE P.GRANTEE IN " + grantees +
            " OR P.OWNER = TESS$USER() OR P.GRANTOR = TESS$USER()",
        false);
  v.Add("USER_TAB_PRIVS",
        {{"GRANTEE", "V30", "P.GRANTEE"},
         {"OWNER", "V30", "P.OWNER"},
         {"TABLE_NAME", "V30", "P.TABLE_NAME"},
         {"GRANTOR", "V30", "P.GRANTOR"},
         {"PRIVILEGE", "V40", "P.PRIVILEGE"},
         {"GRANTABLE", "V3", "P.GRANTABLE"}},
        "FROM \"TESS$TAB_PRIVS\" P WHERE TESS$USER() IN (P.GRANTEE, P.OWNER, P.GRANTOR)", false);
  v.Add("DBA_TAB_PRIVS",
        {{"GRANTEE", "V30", "P.GRANTEE"},
         {"OWNER", "V30", "P.OWNER"},
         {"TABLE_NAME", "V30", "P.TABLE_NAME"},
         {"GRANTOR", "V30", "P.GRANTOR"},
         {"PRIVILEGE", "V40", "P.PRIVILEGE"},
         {"GRANTABLE", "V3", "P.GRANTABLE"}},
        "FROM \"TESS$TAB_PRIVS\" P", true);
  v.Add("USER_SYS_PRIVS",
        {{"USERNAME", "V30", "S.GRANTEE"},
         {"PRIVILEGE", "V40", "S.PRIVILEGE"},
         {"ADMIN_OPTION", "V3", "S.ADMIN_OPTION"}},
        "FROM \"TESS$SYS_PRIVS\" S WHERE S.GRANTEE IN (TESS$USER(), 'PUBLIC')", false);
  v.Add("DBA_SYS_PRIVS",
        {{"GRANTEE", "V30", "S.GRANTEE"},
         {"PRIVILEGE", "V40", "S.PRIVILEGE"},
         {"ADMIN_OPTION", "V3", "S.ADMIN_OPTION"}},
        "FROM \"TESS$SYS_PRIVS\" S", true);
  v.Add("USER_ROLE_PRIVS",
        {{"USERNAME", "V30", "R.GRANTEE"},
         {"GRANTED_ROLE", "V30", "R.GRANTED_ROLE"},
         {"ADMIN_OPTION", "V3", "R.ADMIN_OPTION"},
         {"DEFAULT_ROLE", "V3", "R.DEFAULT_ROLE"},
         {"OS_GRANTED", "V3", "'NO'"}},
        "FROM \"TESS$ROLE_PRIVS\" R WHERE R.GRANTEE IN (TESS$USER(), 'PUBLIC')", false);
  v.Add("DBA_ROLE_PRIVS",
        {{"GRANTEE", "V30", "R.GRANTEE"},
         {"GRANTED_ROLE", "V30", "R.GRANTED_ROLE"},
         {"ADMIN_OPTION", "V3", "R.ADMIN_OPTION"},
         {"DEFAULT_ROLE", "V3", "R.DEFAULT_ROLE"}},
        "FROM \"TESS$ROLE_PRIVS\" R", true);
  v.Add("DBA_ROLES",
        {{"ROLE", "V30", "R.ROLE"}, {"PASSWORD_REQUIRED", "V8", "R.PASSWORD_REQUIRED"}},
        "FROM \"TESS$ROLES\" R", true);
  v.Add("SESSION_ROLES", {{"ROLE", "V30", "G.NAME || ''"}},
        "FROM \"TESS$MY_GRANTEES\" G WHERE G.NAME IN (SELECT ROLE FROM \"TESS$ROLES\")", false);
  return v;
}

void Exec(sqlite3* db, const std::string& sql) {
  ExecSql(db, sql.c_str());
}

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

int Format(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  int format = 0;
  if (sqlite3_prepare_v2(db, "SELECT VALUE FROM \"TESS$DATABASE\" WHERE NAME = 'FORMAT'", -1, &st,
                         nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    format = sqlite3_column_int(st, 0);
  sqlite3_finalize(st);
  return format;
}

void UserFunction(sqlite3_context* c, int, sqlite3_value**) {
  auto* s = static_cast<Session*>(sqlite3_user_data(c));
  const std::string user = s ? s->user() : std::string("SYS");
  sqlite3_result_text(c, user.c_str(), static_cast<int>(user.size()), SQLITE_TRANSIENT);
}

}  // namespace

int RegisterDictionaryFunctions(sqlite3* db, Session* session) {
  return sqlite3_create_function_v2(db, "TESS$USER", 0, SQLITE_UTF8, session, UserFunction, nullptr,
                                    nullptr, nullptr);
}

void RecordViewColumns(sqlite3* db, const std::string& owner, const std::string& name) {
  std::optional<std::vector<ColumnInfo>> cols = ColumnsFromSqlite(db, {owner, name, "VIEW"});
  Exec(db, "DELETE FROM \"TESS$COLUMNS\" WHERE OWNER = " + Quote(owner) +
               " AND TABLE_NAME = " + Quote(name));
  if (!cols) return;
  int id = 0;
  for (const ColumnInfo& c : *cols) {
    OracleType t = c.type;
    if (t.code == kTypeUnknown) t = OracleType{kTypeVarchar2, 2000, 0, 0};
    std::string length = std::to_string(t.code == kTypeNumber ? 22
                                        : t.code == kTypeDate ? 7
                                                              : t.size);
    std::string precision =
        t.code == kTypeNumber && t.precision ? std::to_string(t.precision) : "NULL";
    std::string scale = t.code == kTypeNumber && t.precision ? std::to_string(t.scale) : "NULL";
    Exec(db, "INSERT OR REPLACE INTO \"TESS$COLUMNS\" VALUES (" + Quote(owner) + ", " +
                 Quote(name) + ", " + std::to_string(++id) + ", " + Quote(c.name) + ", " +
                 Quote(OracleTypeName(t)) + ", " + length + ", " + precision + ", " + scale + ", " +
                 Quote(c.nullable ? "Y" : "N") + ", NULL)");
  }
}

bool NeedsDictionary(sqlite3* db) {
  return Format(db) < kDictionaryFormat;
}

void EnsureDictionary(sqlite3* db) {
  if (!NeedsDictionary(db)) return;
  RegisterDictionaryFunctions(db, nullptr);
  // The typed empty row the views take their column types from.
  std::string types = "CREATE TABLE IF NOT EXISTS \"TESS$TYPES\"(";
  for (size_t i = 0; i < std::size(kTypeNames); ++i)
    types += std::string(i ? ", " : "") + "\"T_" + kTypeNames[i] + "\" " + Declared(kTypeNames[i]);
  types += ");";
  Exec(db, types);
  ExecSql(db, kDictionaryTables);
  ExecSql(db, kDictionaryRows);
  Views views = AllViews();
  for (const auto& [name, dbaOnly] : views.names)
    Exec(db, "DROP VIEW IF EXISTS \"SYS." + name + "\"");
  Exec(db, views.sql);
  const std::string now = Quote(Now());
  for (const auto& [name, dbaOnly] : views.names) {
    const std::string n = Quote(name);
    Exec(db,
         "INSERT OR IGNORE INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
         "LAST_DDL_TIME) VALUES ('SYS', " +
             n + ", 'VIEW', " + now + ", " + now + "), ('PUBLIC', " + n + ", 'SYNONYM', " + now +
             ", " + now + ")");
    Exec(db, "INSERT OR IGNORE INTO \"TESS$SYNONYMS\" VALUES ('PUBLIC', " + n + ", 'SYS', " + n +
                 ", NULL)");
    Exec(db, "INSERT OR IGNORE INTO \"TESS$TAB_PRIVS\" VALUES (" +
                 std::string(dbaOnly ? "'DBA'" : "'PUBLIC'") + ", 'SYS', " + n +
                 ", 'SYS', 'SELECT', 'NO')");
    RecordViewColumns(db, "SYS", name);
  }
  Exec(db, "INSERT OR REPLACE INTO \"TESS$DATABASE\" VALUES ('FORMAT', '" +
               std::to_string(kDictionaryFormat) + "')");
}

void InstallExtras(const std::string& database) {
  std::optional<std::string> file = DatabaseFile(database);
  std::error_code ec;
  if (!file || !std::filesystem::is_regular_file(*file, ec))
    throw std::runtime_error("no database " + database + " in " + DataDirectory());
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file->c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    throw std::runtime_error("cannot open " + *file);
  }
  struct Close {
    sqlite3* db;
    ~Close() { sqlite3_close_v2(db); }
  } closer{db};
  sqlite3_busy_timeout(db, 5000);
  RegisterDictionaryFunctions(db, nullptr);
  ExecSql(db, "BEGIN IMMEDIATE");
  try {
    EnsureDictionary(db);
    const std::string now = Quote(Now());
    // The argument view, over the rows every compile keeps.
    Exec(db, "DROP VIEW IF EXISTS \"SYS.DUDEDOD_ARGUMENT$\"");
    Exec(db, TypedView("DUDEDOD_ARGUMENT$",
                       {{"OBJ#", "N", "A.\"OBJ#\""},
                        {"PROCEDURE$", "V30", "A.\"PROCEDURE$\""},
                        {"OVERLOAD#", "N", "A.\"OVERLOAD#\""},
                        {"POSITION", "N", "A.POSITION"},
                        {"SEQUENCE#", "N", "A.\"SEQUENCE#\""},
                        {"LEVEL#", "N", "A.\"LEVEL#\""},
                        {"ARGUMENT", "V30", "A.ARGUMENT"},
                        {"TYPE", "N", "A.TYPE"},
                        {"DEFAULT#", "N", "A.\"DEFAULT#\""},
                        {"IN_OUT", "N", "A.IN_OUT"},
                        {"LENGTH", "N", "A.LENGTH"}},
                       "FROM \"TESS$ARGUMENTS\" A"));
    Exec(db,
         "INSERT OR IGNORE INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
         "LAST_DDL_TIME) VALUES ('SYS', 'DUDEDOD_ARGUMENT$', 'VIEW', " +
             now + ", " + now + ")");
    Exec(db,
         "INSERT OR IGNORE INTO \"TESS$TAB_PRIVS\" VALUES ('PUBLIC', 'SYS', 'DUDEDOD_ARGUMENT$', "
         "'SYS', 'SELECT', 'NO')");
    RecordViewColumns(db, "SYS", "DUDEDOD_ARGUMENT$");

    // The check-in log of the DUDEDOD account, known to everyone by a public synonym.
    bool hasUser = false;
    {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = 'DUDEDOD'", -1, &st,
                         nullptr);
      hasUser = st && sqlite3_step(st) == SQLITE_ROW;
      sqlite3_finalize(st);
    }
    if (!hasUser) {
      std::string salt = NewSalt();
      Exec(db,
           "INSERT INTO \"TESS$USERS\"(USER_ID, USERNAME, PASSWORD_SALT, PASSWORD_HASH, CREATED) "
           "SELECT max(max(USER_ID) + 1, 100), 'DUDEDOD', " +
               Quote(salt) + ", " + Quote(PasswordHash(salt, "DUDEDOD")) + ", " + now +
               " FROM \"TESS$USERS\"");
      Exec(db,
           "INSERT OR IGNORE INTO \"TESS$ROLE_PRIVS\" VALUES ('DUDEDOD', 'CONNECT', 'NO', 'YES'), "
           "('DUDEDOD', 'RESOURCE', 'NO', 'YES')");
    }
    const std::string log = "ZOVOZEV_IVEVUZO_ZIVERU_DER";
    Exec(db, "CREATE TABLE IF NOT EXISTS " + PhysicalName("DUDEDOD", log) + " (OWNER " +
                 DeclaredTypeFor({kTypeVarchar2, 30, 0, 0}) + ", OBJECT_NAME " +
                 DeclaredTypeFor({kTypeVarchar2, 30, 0, 0}) + ", OBJECT_TYPE " +
                 DeclaredTypeFor({kTypeVarchar2, 12, 0, 0}) + ", STATUS " +
                 DeclaredTypeFor({kTypeVarchar2, 10, 0, 0}) + ", CHECKED_BY " +
                 DeclaredTypeFor({kTypeVarchar2, 30, 0, 0}) + ", CHECKED_ON " +
                 DeclaredTypeFor({kTypeDate, 7, 0, 0}) + ", COMMENTS " +
                 DeclaredTypeFor({kTypeVarchar2, 2000, 0, 0}) + ")");
    Exec(db,
         "INSERT OR IGNORE INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
         "LAST_DDL_TIME) VALUES ('DUDEDOD', " +
             Quote(log) + ", 'TABLE', " + now + ", " + now + "), ('PUBLIC', " + Quote(log) +
             ", 'SYNONYM', " + now + ", " + now + ")");
    RecordViewColumns(db, "DUDEDOD", log);
    Exec(db, "INSERT OR IGNORE INTO \"TESS$SYNONYMS\" VALUES ('PUBLIC', " + Quote(log) +
                 ", 'DUDEDOD', " + Quote(log) + ", NULL)");
    for (const char* p : {"SELECT", "INSERT", "UPDATE", "DELETE"})
      Exec(db, "INSERT OR IGNORE INTO \"TESS$TAB_PRIVS\" VALUES ('PUBLIC', 'DUDEDOD', " +
                   Quote(log) + ", 'DUDEDOD', '" + p + "', 'NO')");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
  ExecSql(db, "COMMIT");
}

}  // namespace tess::oci7
