// EXPLAIN PLAN [SET STATEMENT_ID = 'id'] [INTO [owner.]table] FOR statement: the plan of
// our own engine's steps for the statement, written as rows of a plan table with the
// version 7 columns, shaped as a tree by ID and PARENT_ID (ID 0 the statement itself).
//
// The steps are SQLite's query plan for the translated statement, named as the server
// names its row sources: a scan is TABLE ACCESS FULL, a search through an index is
// TABLE ACCESS BY ROWID over INDEX RANGE SCAN (UNIQUE SCAN for a key), temporary
// b-trees are SORT steps.  The statement is not run.
#include <sqlite3.h>

#include <map>

#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

struct PlanRow {
  int id = 0;
  int parent = -1;  // -1: NULL (the statement row)
  int position = 1;
  std::string operation, options, owner, name, objectType;
};

void SplitPhysical(const std::string& physical, std::string& owner, std::string& name) {
  auto split = SplitPhysicalKey(physical);
  if (!split) {
    name = physical;
    return;
  }
  owner = split->first;
  name = split->second;
}

// The quoted or plain name that starts `text` at `at`.
std::string NameAt(const std::string& text, size_t at) {
  if (at >= text.size()) return {};
  if (text[at] == '"') {
    size_t end = text.find('"', at + 1);
    return end == std::string::npos ? text.substr(at + 1) : text.substr(at + 1, end - at - 1);
  }
  size_t end = text.find(' ', at);
  return text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

}  // namespace

void Cursor::PrepareExplain() {
  // Checked when the statement runs; the parse only needs to find FOR.
  std::vector<Token> tokens = Tokenize(text_);
  bool hasFor = false;
  for (const Token& t : tokens) hasFor = hasFor || t.Is("FOR");
  if (tokens.size() < 2 || !tokens[1].Is("PLAN"))
    throw EngineError(905, {}, tokens.size() > 1 ? static_cast<int>(tokens[1].offset) : -1);
  if (!hasFor) throw EngineError(905);
}

void Cursor::RunExplain() {
  Session& s = *session_;
  std::vector<Token> tokens = Tokenize(text_);
  size_t i = 2;
  auto is = [&](size_t k, std::string_view w) { return k < tokens.size() && tokens[k].Is(w); };
  auto offset = [&](size_t k) {
    return k < tokens.size() ? static_cast<int>(tokens[k].offset) : -1;
  };
  std::string statementId;
  if (is(i, "SET")) {
    if (!is(i + 1, "STATEMENT_ID") || !is(i + 2, "=") || i + 3 >= tokens.size() ||
        tokens[i + 3].kind != TokenKind::String)
      throw EngineError(905, {}, offset(i + 1));
    statementId = tokens[i + 3].value;
    i += 4;
  }
  ObjectRef table{"", "PLAN_TABLE", "", -1};
  bool named = false;
  if (is(i, "INTO")) {
    named = true;
    table.offset = offset(i + 1);
    if (i + 1 >= tokens.size()) throw EngineError(903, {}, -1);
    table.name = tokens[i + 1].value;
    i += 2;
    if (is(i, ".") && i + 1 < tokens.size()) {
      table.owner = table.name;
      table.name = tokens[i + 1].value;
      i += 2;
    }
  }
  if (!is(i, "FOR")) throw EngineError(905, {}, offset(i));
  ++i;
  if (i >= tokens.size()) throw EngineError(900);
  std::string_view statement = std::string_view(text_).substr(tokens[i].offset);
  std::optional<ResolvedObject> plan = s.Resolve(table);
  if (!plan || plan->objectType != "TABLE")
    throw EngineError(named ? 2404 : 2402, {}, table.offset);

  // The statement as the engine would run it, planned, not run.
  Translation tr = Translate(statement, s.MakeTranslateContext());
  if (!tr.info.isQuery && !tr.info.isDml) throw EngineError(900);
  std::vector<PlanRow> rows;
  PlanRow top;
  top.id = 0;
  top.operation = tr.info.isQuery                ? "SELECT STATEMENT"
                  : tr.functionCode == kFcInsert ? "INSERT STATEMENT"
                  : tr.functionCode == kFcUpdate ? "UPDATE STATEMENT"
                                                 : "DELETE STATEMENT";
  rows.push_back(top);
  std::string sql = "EXPLAIN QUERY PLAN " + tr.sql;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(s.db(), sql.c_str(), -1, &st, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(st);
    throw MapSqliteError(s.db(), rc, {tr.functionCode, &tr, &s});
  }
  std::map<int, int> idOf;  // SQLite's step id -> our ID
  std::map<int, int> children;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    int step = sqlite3_column_int(st, 0), parentStep = sqlite3_column_int(st, 1);
    std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(st, 3));
    int parent = idOf.count(parentStep) ? idOf[parentStep] : 0;
    PlanRow r;
    r.id = static_cast<int>(rows.size());
    r.parent = parent;
    r.position = ++children[parent];
    if (detail.compare(0, 5, "SCAN ") == 0 || detail.compare(0, 7, "SEARCH ") == 0) {
      bool search = detail[1] == 'E';
      std::string object = NameAt(detail, search ? 7 : 5);
      SplitPhysical(object, r.owner, r.name);
      r.objectType = "TABLE";
      r.operation = "TABLE ACCESS";
      size_t index = detail.find("USING INDEX ");
      size_t covering = detail.find("USING COVERING INDEX ");
      size_t primary = detail.find("INTEGER PRIMARY KEY");
      if (search || index != std::string::npos || covering != std::string::npos) {
        r.options =
            primary != std::string::npos || index != std::string::npos ? "BY ROWID" : "FULL";
        if (covering != std::string::npos) {
          r.operation = "INDEX";
          r.options = detail.find('=') != std::string::npos ? "UNIQUE SCAN" : "RANGE SCAN";
          SplitPhysical(NameAt(detail, covering + 21), r.owner, r.name);
          r.objectType = "INDEX";
        }
        rows.push_back(r);
        idOf[step] = r.id;
        if (index != std::string::npos) {
          PlanRow ix;
          ix.id = static_cast<int>(rows.size());
          ix.parent = r.id;
          ix.position = 1;
          ix.operation = "INDEX";
          std::string indexName = NameAt(detail, index + 12);
          ix.owner = r.owner;
          ix.name = indexName;
          // SQLite names the indexes behind keys sqlite_autoindex_...: show the key.
          if (indexName.compare(0, 17, "sqlite_autoindex_") == 0) {
            CatalogQuery q(s.db(),
                           "SELECT INDEX_NAME FROM \"TESS$INDEXES\" WHERE TABLE_OWNER = ?1 AND "
                           "TABLE_NAME = ?2 AND UNIQUENESS = 'UNIQUE' ORDER BY INDEX_NAME LIMIT 1",
                           {r.owner, r.name});
            if (q.Row()) ix.name = q.Text(0);
          } else {
            SplitPhysical(indexName, ix.owner, ix.name);
          }
          ix.objectType = "INDEX";
          bool unique = detail.find('=') != std::string::npos &&
                        detail.find('>') == std::string::npos &&
                        detail.find('<') == std::string::npos &&
                        CatalogHas(s.db(),
                                   "SELECT 1 FROM \"TESS$INDEXES\" WHERE OWNER = ?1 AND "
                                   "INDEX_NAME = ?2 AND UNIQUENESS = 'UNIQUE'",
                                   {ix.owner, ix.name});
          ix.options = unique ? "UNIQUE SCAN" : "RANGE SCAN";
          rows.push_back(ix);
        }
        continue;
      }
      r.options = "FULL";
    } else if (detail.find("ORDER BY") != std::string::npos) {
      r.operation = "SORT";
      r.options = "ORDER BY";
    } else if (detail.find("GROUP BY") != std::string::npos) {
      r.operation = "SORT";
      r.options = "GROUP BY";
    } else if (detail.find("DISTINCT") != std::string::npos) {
      r.operation = "SORT";
      r.options = "UNIQUE";
    } else if (detail.compare(0, 8, "COMPOUND") == 0 || detail.find("UNION") != std::string::npos) {
      r.operation = detail.find("UNION ALL") != std::string::npos ? "UNION-ALL" : "UNION";
    } else if (detail.find("SUBQUERY") != std::string::npos) {
      r.operation = "FILTER";
    } else {
      r.operation = "VIEW";
    }
    rows.push_back(r);
    idOf[step] = r.id;
  }
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) throw MapSqliteError(s.db(), rc, {tr.functionCode, &tr, &s});

  s.BeginWrite();
  std::string insert = "INSERT INTO " + PhysicalName(plan->owner, plan->name) +
                       " (STATEMENT_ID, TIMESTAMP, OPERATION, OPTIONS, OBJECT_OWNER, OBJECT_NAME, "
                       "OBJECT_TYPE, OPTIMIZER, ID, PARENT_ID, POSITION) VALUES (?1, "
                       "datetime('now', 'localtime'), ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)";
  for (const PlanRow& r : rows) {
    auto text = [](const std::string& v) {
      return v.empty() ? CatalogQuery::Arg(nullptr) : CatalogQuery::Arg(v);
    };
    CatalogRun(s.db(), insert.c_str(),
               {text(statementId), text(r.operation), text(r.options), text(r.owner), text(r.name),
                text(r.objectType), text(r.id == 0 ? "CHOOSE" : ""), int64_t{r.id},
                r.parent < 0 ? CatalogQuery::Arg(nullptr) : CatalogQuery::Arg(int64_t{r.parent}),
                int64_t{r.position}});
  }
}

}  // namespace tess::oci7
