// ALTER TABLE forms SQLite cannot carry out in place (MODIFY of a column, ADD of a CHECK or
// FOREIGN KEY constraint, DROP CONSTRAINT, DROP PRIMARY KEY): the table is built again
// from the catalog with the change applied.  Its Oracle definition is written from the
// catalog (columns with types, defaults and NOT NULL; constraints with their names) and
// translated as any CREATE TABLE; the rows are copied over and the other indexes made
// again, all inside the DDL's transaction, so a row that breaks the new definition undoes
// the whole statement with the server's error.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "oci7/catalog_query.h"
#include "oci7/constraints.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

struct Col {
  std::string name, type, def;
  bool nullable = true;
};

struct Cons {
  std::string name;
  char type = 'C';
  std::vector<std::string> columns;
  std::string condition, refOwner, refTable, deleteRule;
  std::vector<std::string> refColumns;
  bool disabled = false;
};

std::string TypeText(const std::string& dataType, int64_t length, bool hasPrecision,
                     int64_t precision, int64_t scale) {
  if (dataType == "VARCHAR2" || dataType == "CHAR" || dataType == "RAW")
    return dataType + "(" + std::to_string(length) + ")";
  if (dataType == "NUMBER" && hasPrecision)
    return "NUMBER(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
  return dataType;
}

std::string TypeText(const OracleType& t) {
  std::string name = OracleTypeName(t);
  return TypeText(name, t.size, t.precision != 0, t.precision, t.scale);
}

std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

// "X IS NOT NULL" (or "\"X\" IS NOT NULL"): a NOT NULL constraint, written inline instead.
bool IsNotNullCheck(const Cons& c) {
  if (c.type != 'C') return false;
  std::string up;
  for (char ch : c.condition) up += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return up.size() > 12 && up.compare(up.size() - 12, 12, " IS NOT NULL") == 0 &&
         up.find(' ') == up.size() - 12;
}

std::vector<Col> LoadColumns(sqlite3* db, const std::string& owner, const std::string& table) {
  std::vector<Col> cols;
  CatalogQuery q(
      db,
      "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, DATA_SCALE, "
      "NULLABLE, DATA_DEFAULT FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
      "ORDER BY COLUMN_ID",
      {owner, table});
  while (q.Row())
    cols.push_back({q.Text(0), TypeText(q.Text(1), q.Int(2), !q.Null(3), q.Int(3), q.Int(4)),
                    q.Text(6), q.Text(5) != "N"});
  return cols;
}

std::vector<Cons> LoadConstraints(sqlite3* db, const std::string& owner, const std::string& table) {
  std::vector<Cons> out;
  {
    CatalogQuery q(db,
                   "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION, R_OWNER, "
                   "R_CONSTRAINT_NAME, DELETE_RULE, STATUS FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                   "TABLE_NAME = ?2 ORDER BY CONSTRAINT_NAME",
                   {owner, table});
    while (q.Row()) {
      Cons c;
      c.name = q.Text(0);
      c.type = q.Text(1).empty() ? 'C' : q.Text(1)[0];
      c.condition = q.Text(2);
      c.refOwner = q.Text(3);
      c.deleteRule = q.Text(5);
      c.disabled = q.Text(6) == "DISABLED";
      std::string refConstraint = q.Text(4);
      if (c.type == 'R') {
        CatalogQuery r(db,
                       "SELECT TABLE_NAME FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                       "CONSTRAINT_NAME = ?2",
                       {c.refOwner, refConstraint});
        if (r.Row()) c.refTable = r.Text(0);
        CatalogQuery rc(db,
                        "SELECT COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND "
                        "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                        {c.refOwner, refConstraint});
        while (rc.Row()) c.refColumns.push_back(rc.Text(0));
      }
      out.push_back(std::move(c));
    }
  }
  for (Cons& c : out) {
    CatalogQuery q(db,
                   "SELECT COLUMN_NAME FROM \"TESS$CONS_COLUMNS\" WHERE OWNER = ?1 AND "
                   "CONSTRAINT_NAME = ?2 ORDER BY POSITION",
                   {owner, c.name});
    while (q.Row()) c.columns.push_back(q.Text(0));
  }
  return out;
}

Cons ConsOf(sqlite3* db, const ConstraintDef& c) {
  Cons n;
  n.name = c.name;
  n.type = c.type;
  n.columns = c.columns;
  n.condition = c.searchCondition;
  n.refOwner = c.refOwner;
  n.refTable = c.refTable;
  n.refColumns = c.refColumns;
  n.deleteRule = c.deleteCascade ? "CASCADE" : "NO ACTION";
  n.disabled = c.disabled;
  if (n.type == 'R' && n.refColumns.empty()) {
    // REFERENCES t without columns: its primary key.
    for (const Cons& p : LoadConstraints(db, n.refOwner, n.refTable))
      if (p.type == 'P') n.refColumns = p.columns;
  }
  return n;
}

// The constraint among `cons` of that type on exactly those columns; "" when none.
std::string NameOn(const std::vector<Cons>& cons, const char* types,
                   const std::vector<std::string>& columns) {
  for (const Cons& c : cons)
    if (!c.disabled && std::string_view(types).find(c.type) != std::string_view::npos &&
        c.columns == columns)
      return c.name;
  return "";
}

// The columns of "UNIQUE constraint failed: O.T.A, O.T.B" (or NOT NULL with one) about the
// table whose SQLite name is `table` (names may hold dots).
std::vector<std::string> FailedColumns(const std::string& message, const std::string& table) {
  std::vector<std::string> out;
  size_t colon = message.find(": ");
  if (colon == std::string::npos) return out;
  std::string_view list = std::string_view(message).substr(colon + 2);
  const std::string prefix = table + ".";
  while (!list.empty()) {
    size_t comma = list.find(", ");
    std::string_view item = list.substr(0, comma);
    size_t dot = item.rfind('.');
    if (item.substr(0, prefix.size()) == prefix)
      out.emplace_back(item.substr(prefix.size()));
    else
      out.emplace_back(dot == std::string_view::npos ? item : item.substr(dot + 1));
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 2);
  }
  return out;
}

std::string List(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + Quoted(n);
  return out;
}

// Whether MODIFY wrote NULL (not NOT NULL) for `column` in the statement's text.
bool WroteNull(std::string_view text, const std::string& column) {
  std::vector<Token> t = Tokenize(text);
  for (size_t i = 0; i < t.size(); ++i) {
    if (!(t[i].kind == TokenKind::Word || t[i].kind == TokenKind::QuotedIdentifier) ||
        t[i].value != column)
      continue;
    int depth = 0;
    for (size_t k = i + 1; k < t.size(); ++k) {
      if (t[k].Is("(")) ++depth;
      if (t[k].Is(")") && --depth < 0) break;
      if (depth == 0 && t[k].Is(",")) break;
      if (t[k].Is("NULL") && !(k > 0 && t[k - 1].Is("NOT"))) return true;
    }
  }
  return false;
}

}  // namespace

void RebuildTable(Session& s, const std::string& owner, const std::string& table,
                  const DdlInfo& change, std::string_view text) {
  sqlite3* db = s.db();
  std::vector<Col> cols = LoadColumns(db, owner, table);
  std::vector<Cons> cons = LoadConstraints(db, owner, table);
  const std::string& action = change.alterAction;

  if (action == "MODIFY") {
    for (const ColumnDef& c : change.columns) {
      auto it =
          std::find_if(cols.begin(), cols.end(), [&](const Col& x) { return x.name == c.name; });
      if (it == cols.end()) throw EngineError(904, "\"" + c.name + "\"");
      if (c.type.code != kTypeUnknown) it->type = TypeText(c.type);
      if (!c.defaultText.empty()) it->def = c.defaultText;
      if (!c.nullable)
        it->nullable = false;
      else if (WroteNull(text, c.name))
        it->nullable = true;
    }
    // Constraints declared with the columns hold from now on too.
    for (const ConstraintDef& c : change.constraints) {
      Cons n = ConsOf(db, c);
      if (!IsNotNullCheck(n)) cons.push_back(std::move(n));
    }
  } else if (action == "ADD") {
    for (const ConstraintDef& c : change.constraints) cons.push_back(ConsOf(db, c));
  } else if (action == "STATE") {
    // The keys named (by the caller, resolved to names) take the state asked for.
    for (const ConstraintDef& c : change.constraints)
      for (Cons& k : cons)
        if (k.name == c.name) k.disabled = c.disabled;
  } else if (action == "DROP CONSTRAINT" || action == "DROP PRIMARY KEY") {
    std::string name;
    if (action == "DROP PRIMARY KEY") {
      for (const Cons& c : cons)
        if (c.type == 'P') name = c.name;
      if (name.empty()) throw EngineError(2441);
    } else {
      name = change.constraints.empty() ? "" : change.constraints[0].name;
    }
    auto it = std::find_if(cons.begin(), cons.end(), [&](const Cons& c) { return c.name == name; });
    if (it == cons.end()) throw EngineError(2443, name);
    if ((it->type == 'P' || it->type == 'U') &&
        CatalogHas(db,
                   "SELECT 1 FROM \"TESS$CONSTRAINTS\" WHERE CONSTRAINT_TYPE = 'R' AND R_OWNER = "
                   "?1 AND R_CONSTRAINT_NAME = ?2",
                   {owner, name}))
      throw EngineError(2273);
    // A NOT NULL constraint dropped makes its column nullable again.
    if (IsNotNullCheck(*it) && it->columns.size() == 1)
      for (Col& c : cols)
        if (c.name == it->columns[0]) c.nullable = true;
    cons.erase(it);
  } else {
    throw EngineError(3001);
  }

  // A column with a NOT NULL constraint is NOT NULL while the constraint is enabled.
  for (const Cons& c : cons)
    if (IsNotNullCheck(c) && c.columns.size() == 1)
      for (Col& col : cols)
        if (col.name == c.columns[0]) col.nullable = c.disabled;
  // So are the columns of an enabled primary key.
  std::vector<std::string> keyColumns;
  for (const Cons& c : cons)
    if (c.type == 'P' && !c.disabled) keyColumns = c.columns;
  for (Col& col : cols)
    if (std::find(keyColumns.begin(), keyColumns.end(), col.name) != keyColumns.end())
      col.nullable = false;

  // The table's definition with the change, in Oracle's words.
  std::string create = "CREATE TABLE " + Quoted(owner) + "." + Quoted(table) + " (";
  for (size_t i = 0; i < cols.size(); ++i) {
    create += std::string(i ? ", " : "") + Quoted(cols[i].name) + " " + cols[i].type;
    if (!cols[i].def.empty()) create += " DEFAULT " + cols[i].def;
    if (!cols[i].nullable) create += " NOT NULL";
  }
  for (const Cons& c : cons) {
    if (IsNotNullCheck(c)) continue;
    create += ", CONSTRAINT " + Quoted(c.name);
    switch (c.type) {
      case 'P':
        create += " PRIMARY KEY (" + List(c.columns) + ")";
        break;
      case 'U':
        create += " UNIQUE (" + List(c.columns) + ")";
        break;
      case 'R':
        create += " FOREIGN KEY (" + List(c.columns) + ") REFERENCES " + Quoted(c.refOwner) + "." +
                  Quoted(c.refTable) + " (" + List(c.refColumns) + ")";
        if (c.deleteRule == "CASCADE") create += " ON DELETE CASCADE";
        break;
      default:
        create += " CHECK (" + c.condition + ")";
        break;
    }
    // A disabled constraint stays in the catalog but is not built into the table.
    if (c.disabled) create += " DISABLE";
  }
  create += ")";
  TranslateContext ctx = s.MakeTranslateContext(owner);
  Translation tr = Translate(create, ctx);

  // The indexes that are not a constraint's, to make again.
  std::vector<std::string> indexes;
  {
    CatalogQuery q(db,
                   "SELECT I.OWNER, I.INDEX_NAME, I.UNIQUENESS FROM \"TESS$INDEXES\" I WHERE "
                   "I.TABLE_OWNER = ?1 AND I.TABLE_NAME = ?2 AND NOT EXISTS (SELECT 1 FROM "
                   "\"TESS$CONSTRAINTS\" K WHERE K.OWNER = I.OWNER AND K.CONSTRAINT_NAME = "
                   "I.INDEX_NAME)",
                   {owner, table});
    while (q.Row()) {
      std::vector<std::string> columns;
      CatalogQuery c(db,
                     "SELECT COLUMN_NAME FROM \"TESS$IND_COLUMNS\" WHERE INDEX_OWNER = ?1 AND "
                     "INDEX_NAME = ?2 ORDER BY COLUMN_POSITION",
                     {q.Text(0), q.Text(1)});
      while (c.Row()) columns.push_back(c.Text(0));
      indexes.push_back(std::string("CREATE ") + (q.Text(2) == "UNIQUE" ? "UNIQUE " : "") +
                        "INDEX " + PhysicalName(q.Text(0), q.Text(1)) + " ON " +
                        PhysicalName(owner, table) + " (" + List(columns) + ")");
    }
  }

  const std::string physical = PhysicalName(owner, table);
  std::string names;
  for (const Col& c : cols) names += (names.empty() ? "" : ", ") + Quoted(c.name);
  ExecSql(db, "PRAGMA defer_foreign_keys = ON");
  ExecSql(db, "DROP TABLE IF EXISTS temp.\"TESS$REBUILD\"");
  std::string copy = "CREATE TEMP TABLE \"TESS$REBUILD\" AS SELECT * FROM " + physical;
  ExecSql(db, copy.c_str());
  std::string drop = "DROP TABLE " + physical;
  ExecSql(db, drop.c_str());
  // The new table and its key indexes: the translation may hold several statements.
  const char* sql = tr.sql.c_str();
  const char* end = sql + tr.sql.size();
  while (sql < end) {
    sqlite3_stmt* st = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, static_cast<int>(end - sql), &st, &tail);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st);
      throw MapSqliteError(db, rc, {kFcAlterTable, &tr, &s});
    }
    if (!st) break;
    rc = sqlite3_step(st);
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) throw MapSqliteError(db, rc, {kFcAlterTable, &tr, &s});
    sql = tail;
  }
  // The rows under the new definition: a row that breaks it is the server's "cannot
  // validate" error for the constraint.
  std::string insert = "INSERT INTO " + physical + " (" + names + ") SELECT " + names +
                       " FROM temp.\"TESS$REBUILD\"";
  char* error = nullptr;
  int rc = sqlite3_exec(db, insert.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    std::string message = error ? error : "";
    sqlite3_free(error);
    int primary = rc & 0xff;
    int extended = sqlite3_extended_errcode(db);
    if (primary == SQLITE_CONSTRAINT) {
      if (extended == SQLITE_CONSTRAINT_NOTNULL) {
        // A NOT NULL constraint of its own name, else the one the change makes.
        std::vector<std::string> column = FailedColumns(message, PhysicalKey(owner, table));
        std::string name;
        for (const Cons& c : cons)
          if (IsNotNullCheck(c) && c.columns == column) name = c.name;
        if (name.empty() && column.size() == 1 &&
            std::find(keyColumns.begin(), keyColumns.end(), column[0]) != keyColumns.end())
          throw EngineError(1449);
        if (name.empty()) name = change.constraints.empty() ? table : change.constraints[0].name;
        throw EngineError(2296, owner + "." + name);
      }
      if (extended == SQLITE_CONSTRAINT_CHECK) {
        // "CHECK constraint failed: NAME"
        size_t colon = message.find(": ");
        std::string name = colon == std::string::npos ? "" : message.substr(colon + 2);
        if (name.empty() || name.find(' ') != std::string::npos) name = NameOn(cons, "C", {});
        throw EngineError(2293, owner + "." + name);
      }
      if (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY) {
        std::vector<std::string> columns = FailedColumns(message, PhysicalKey(owner, table));
        std::string unique = NameOn(cons, "U", columns);
        if (!unique.empty()) throw EngineError(2299, owner + "." + unique);
        throw EngineError(2437, owner + "." + NameOn(cons, "P", columns));
      }
    }
    throw MapSqliteError(db, rc, {kFcAlterTable, &tr, &s});
  }
  ExecSql(db, "DROP TABLE temp.\"TESS$REBUILD\"");
  for (const std::string& ix : indexes) ExecSql(db, ix.c_str());
  KeepPartlyNullKeys(db, owner, table);
  // The foreign keys must hold for the rows: the first one broken is named.
  {
    std::string check = "PRAGMA foreign_key_check(" + physical + ")";
    CatalogQuery orphans(db, check.c_str());
    if (orphans.Row()) {
      int64_t fkid = orphans.Int(3);
      std::vector<std::string> columns;
      std::string list = "PRAGMA foreign_key_list(" + physical + ")";
      CatalogQuery keys(db, list.c_str());
      while (keys.Row())
        if (keys.Int(0) == fkid) columns.push_back(keys.Text(3));
      throw EngineError(2298, owner + "." + NameOn(cons, "R", columns));
    }
  }

  // The catalog's columns after MODIFY (types, defaults and nullability merged).
  if (action == "MODIFY") {
    for (const Col& c : cols)
      CatalogRun(db,
                 "UPDATE \"TESS$COLUMNS\" SET NULLABLE = ?4, DATA_DEFAULT = nullif(?5, '') WHERE "
                 "OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
                 {owner, table, c.name, std::string(c.nullable ? "Y" : "N"), c.def});
    for (const ColumnDef& c : change.columns) {
      if (c.type.code == kTypeUnknown) continue;
      CatalogRun(db,
                 "UPDATE \"TESS$COLUMNS\" SET DATA_TYPE = ?4, DATA_LENGTH = ?5, DATA_PRECISION = "
                 "?6, DATA_SCALE = ?7 WHERE OWNER = ?1 AND TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
                 {owner, table, c.name, OracleTypeName(c.type),
                  static_cast<int64_t>(c.type.code == kTypeNumber ? 22 : c.type.size),
                  c.type.precision ? CatalogQuery::Arg(static_cast<int64_t>(c.type.precision))
                                   : CatalogQuery::Arg(nullptr),
                  c.type.precision ? CatalogQuery::Arg(static_cast<int64_t>(c.type.scale))
                                   : CatalogQuery::Arg(nullptr)});
    }
  }
}

}  // namespace tess::oci7
