// Views as their owners' objects: a view reads what it names with its owner's rights, and
// those are the owner's own and PUBLIC's grants, never its roles (a view outlives the roles
// of the session that made it).  So CREATE VIEW over what the owner may read only through
// a role answers ORA-01031; a view turned INVALID (a revoke, a changed table) compiles again
// when used, or answers ORA-04063; and granting on a view hands on what it reads, which
// needs the grant option on another owner's object under it (ORA-01720).
#include <sqlite3.h>

#include <set>

#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

std::string ViewQuery(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogQuery q(db, "SELECT TEXT FROM \"TESS$VIEWS\" WHERE OWNER = ?1 AND VIEW_NAME = ?2",
                 {owner, name});
  return q.Row() ? q.Text(0) : "";
}

// The views being compiled on this thread: a view met again while its own query is being
// checked is defined through itself.
thread_local std::set<std::pair<std::string, std::string>> t_compiling;

}  // namespace

std::vector<ResolvedObject> ViewObjects(Session& s, const std::string& owner,
                                        std::string_view query) {
  std::vector<ResolvedObject> objects;
  TranslateContext ctx = s.MakeTranslateContext(owner, Rights::Definer);
  auto resolve = ctx.resolve;
  ctx.resolve = [&](const ObjectRef& ref) {
    std::optional<ResolvedObject> r = resolve(ref);
    if (r) objects.push_back(*r);
    return r;
  };
  Translate(query, ctx);
  // Reading needs SELECT, not only some privilege.
  for (const ResolvedObject& o : objects)
    if (!HasObjectPrivilege(s, o.owner, o.name, o.objectType, "SELECT", owner, Rights::Definer))
      throw EngineError(1031);
  return objects;
}

void CheckViewRights(Session& s, const std::string& owner, std::string_view query) {
  try {
    ViewObjects(s, owner, query);
  } catch (const OraError& e) {
    // The statement resolved with the session's roles; without them a name is missing.
    if (e.code == 942 || e.code == 2289) throw EngineError(1031);
    throw;
  }
}

std::string CompileView(Session& s, const std::string& owner, const std::string& name) {
  sqlite3* db = s.db();
  const auto key = std::make_pair(owner, name);
  bool ok = !t_compiling.count(key);
  if (ok) {
    t_compiling.insert(key);
    try {
      ViewObjects(s, owner, ViewQuery(db, owner, name));
    } catch (const OraError&) {
      ok = false;
    }
    t_compiling.erase(key);
  }
  if (ok) {
    // And SQLite can still read it.
    std::string sql = "SELECT * FROM " + PhysicalName(owner, name) + " WHERE 0";
    sqlite3_stmt* st = nullptr;
    ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK;
    sqlite3_finalize(st);
  }
  const std::string status = ok ? "VALID" : "INVALID";
  CatalogRun(db,
             "UPDATE \"TESS$OBJECTS\" SET STATUS = ?3 WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
             "OBJECT_TYPE = 'VIEW'",
             {owner, name, status});
  if (ok) RecordViewColumns(db, owner, name);
  return status;
}

void CheckViewUsable(Session& s, const ResolvedObject& view) {
  CatalogQuery q(s.db(),
                 "SELECT STATUS FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                 "OBJECT_TYPE = 'VIEW'",
                 {view.owner, view.name});
  if (!q.Row() || q.Text(0) == "VALID") return;
  if (!RecompileIfInvalid(s, view.owner, view.name, "VIEW"))
    throw EngineError(4063, "view \"" + view.owner + "." + view.name + "\"");
}

void CheckViewGrant(Session& s, const ResolvedObject& view, const std::string& privilege) {
  std::vector<ResolvedObject> objects;
  try {
    objects = ViewObjects(s, view.owner, ViewQuery(s.db(), view.owner, view.name));
  } catch (const OraError&) {
    // What it reads is not there for its owner now: the view has errors.
    throw EngineError(4063, "view \"" + view.owner + "." + view.name + "\"");
  }
  for (const ResolvedObject& o : objects) {
    if (o.owner == view.owner) continue;
    if (!CatalogHas(s.db(),
                    "SELECT 1 FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE IN (?1, 'PUBLIC') AND "
                    "OWNER = ?2 AND TABLE_NAME = ?3 AND PRIVILEGE = ?4 AND GRANTABLE = 'YES'",
                    {view.owner, o.owner, o.name, privilege}))
      throw EngineError(1720, o.owner + "." + o.name);
  }
}

std::optional<ViewSource> ViewSourceOf(Session& s, const ResolvedObject& view) {
  ViewSource v;
  v.query = ViewQuery(s.db(), view.owner, view.name);
  if (v.query.empty()) return std::nullopt;
  CatalogQuery q(s.db(),
                 "SELECT COLUMN_NAME FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2 "
                 "ORDER BY COLUMN_ID",
                 {view.owner, view.name});
  while (q.Row()) v.columns.push_back(q.Text(0));
  CatalogQuery option(s.db(),
                      "SELECT CONSTRAINT_TYPE FROM \"TESS$CONSTRAINTS\" WHERE OWNER = ?1 AND "
                      "TABLE_NAME = ?2 AND CONSTRAINT_TYPE IN ('V', 'O')",
                      {view.owner, view.name});
  if (option.Row()) v.option = option.Text(0)[0];
  TranslateContext owners = s.MakeTranslateContext(view.owner, Rights::Definer);
  v.resolve = owners.resolve;
  return v;
}

}  // namespace tess::oci7
