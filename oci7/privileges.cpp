// Users' privileges: who the session user acts as (itself, PUBLIC, its roles), system and
// object privileges, GRANT and REVOKE, roles, and database links.
//
// The DBA role holds every system privilege.  An object's owner holds every privilege on
// it; SELECT ANY TABLE opens every table and view, EXECUTE ANY PROCEDURE every program.
#include <sqlite3.h>

#include <algorithm>
#include <set>

#include "oci7/catalog_query.h"
#include "oci7/dialect/engine_statements.h"
#include "oci7/dictionary.h"

namespace tess::oci7 {
namespace {

using Query = CatalogQuery;

void Run(sqlite3* db, const char* sql, std::initializer_list<CatalogQuery::Arg> args) {
  CatalogRun(db, sql, args);
}

bool Exists(sqlite3* db, const char* sql, std::initializer_list<CatalogQuery::Arg> args) {
  return CatalogHas(db, sql, args);
}

const std::set<std::string>& ObjectPrivileges() {
  static const std::set<std::string> p = {"ALTER",  "DELETE",     "EXECUTE", "INDEX",
                                          "INSERT", "REFERENCES", "SELECT",  "UPDATE"};
  return p;
}

bool IsUser(sqlite3* db, const std::string& name) {
  return Exists(db, "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = ?1", {name});
}

bool IsRole(sqlite3* db, const std::string& name) {
  return Exists(db, "SELECT 1 FROM \"TESS$ROLES\" WHERE ROLE = ?1", {name});
}

// The grantees must exist: users, roles or PUBLIC.
void CheckGrantees(sqlite3* db, const std::vector<NamedAt>& grantees) {
  for (const NamedAt& g : grantees)
    if (g.name != "PUBLIC" && !IsUser(db, g.name) && !IsRole(db, g.name))
      throw EngineError(1917, g.name, static_cast<int>(g.offset));
}

// When a user loses an object privilege, the grants it made of that privilege under the
// grant option go too, and theirs in turn.  Answers every grantee that lost it, the revokee
// first.
std::vector<std::string> RevokeOnwardGrants(sqlite3* db, const std::string& revokee,
                                            const std::string& owner, const std::string& name,
                                            const std::string& privilege) {
  std::vector<std::string> pending{revokee}, lost{revokee};
  std::set<std::string> done;
  while (!pending.empty()) {
    std::string grantor = pending.back();
    pending.pop_back();
    // The owner's privileges are its own, whatever was granted to it.
    if (grantor == owner || !done.insert(grantor).second) continue;
    {
      Query q(db,
              "SELECT GRANTEE FROM \"TESS$TAB_PRIVS\" WHERE GRANTOR = ?1 AND OWNER = ?2 AND "
              "TABLE_NAME = ?3 AND PRIVILEGE = ?4",
              {grantor, owner, name, privilege});
      while (q.Row()) {
        pending.push_back(q.Text(0));
        lost.push_back(q.Text(0));
      }
    }
    Run(db,
        "DELETE FROM \"TESS$TAB_PRIVS\" WHERE GRANTOR = ?1 AND OWNER = ?2 AND TABLE_NAME = ?3 "
        "AND PRIVILEGE = ?4",
        {grantor, owner, name, privilege});
  }
  return lost;
}

// A revoke reaches what the users it takes the privilege from have built on it: owner.name,
// or (name empty) anything of another owner, as a role or system privilege may have served.
void InvalidateWhatStoodOn(sqlite3* db, const std::string& grantee, const std::string& owner,
                           const std::string& name) {
  for (const std::string& user : UsersThrough(db, grantee))
    InvalidateBuiltOn(db, user, owner, name);
}

}  // namespace

std::vector<std::string> Grantees(sqlite3* db, const std::string& user) {
  std::vector<std::string> out{user, "PUBLIC"};
  for (size_t i = 0; i < out.size(); ++i) {
    Query q(db, "SELECT GRANTED_ROLE FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1", {out[i]});
    while (q.Row()) {
      std::string role = q.Text(0);
      if (std::find(out.begin(), out.end(), role) == out.end()) out.push_back(role);
    }
  }
  return out;
}

std::vector<std::string> UsersThrough(sqlite3* db, const std::string& grantee) {
  std::vector<std::string> out;
  Query q(db,
          "WITH RECURSIVE R(NAME) AS (SELECT ?1 UNION SELECT P.GRANTEE FROM "
          "\"TESS$ROLE_PRIVS\" P, R WHERE P.GRANTED_ROLE = R.NAME) SELECT USERNAME FROM "
          "\"TESS$USERS\" WHERE ?1 = 'PUBLIC' OR USERNAME IN (SELECT NAME FROM R) ORDER BY 1",
          {grantee});
  while (q.Row()) out.push_back(q.Text(0));
  return out;
}

namespace {

std::vector<std::string> GranteesOf(Session& s, const std::string& asUser, Rights rights) {
  const std::string& who = asUser.empty() ? s.user() : asUser;
  if (rights == Rights::Definer) return {who, "PUBLIC"};
  if (who == s.user()) return s.GranteeNames();
  return Grantees(s.db(), who);
}

}  // namespace

bool HasSystemPrivilege(Session& s, const std::string& privilege, const std::string& asUser,
                        Rights rights) {
  // SYS owns the dictionary and everything under it, roles or none.
  if (rights == Rights::Definer && (asUser.empty() ? s.user() : asUser) == "SYS") return true;
  for (const std::string& g : GranteesOf(s, asUser, rights)) {
    if (g == "DBA") return true;
    if (Exists(s.db(), "SELECT 1 FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1 AND PRIVILEGE = ?2",
               {g, privilege}))
      return true;
  }
  return false;
}

bool HasObjectPrivilege(Session& s, const std::string& owner, const std::string& name,
                        const std::string& objectType, const char* privilege,
                        const std::string& asUser, Rights rights) {
  const std::string& who = asUser.empty() ? s.user() : asUser;
  if (owner == who || owner == "PUBLIC") return true;
  for (const std::string& g : GranteesOf(s, asUser, rights)) {
    if (privilege ? Exists(s.db(),
                           "SELECT 1 FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1 AND OWNER = ?2 "
                           "AND TABLE_NAME = ?3 AND PRIVILEGE = ?4",
                           {g, owner, name, std::string(privilege)})
                  : Exists(s.db(),
                           "SELECT 1 FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1 AND OWNER = ?2 "
                           "AND TABLE_NAME = ?3",
                           {g, owner, name}))
      return true;
  }
  bool program = objectType == "PROCEDURE" || objectType == "FUNCTION" || objectType == "PACKAGE" ||
                 objectType == "PACKAGE BODY";
  if (program) return HasSystemPrivilege(s, "EXECUTE ANY PROCEDURE", asUser, rights);
  std::string p = privilege ? privilege : "SELECT";
  if (p == "SELECT" || p == "INSERT" || p == "UPDATE" || p == "DELETE")
    return HasSystemPrivilege(s, p + " ANY TABLE", asUser, rights) ||
           (!privilege && HasSystemPrivilege(s, "SELECT ANY TABLE", asUser, rights));
  return HasSystemPrivilege(s, "DBA", asUser, rights);
}

void CheckDmlPrivilege(Session& s, const Translation& tr, const std::string& asUser,
                       Rights rights) {
  if (tr.dmlTable.name.empty()) return;
  const char* privilege = tr.functionCode == kFcInsert   ? "INSERT"
                          : tr.functionCode == kFcUpdate ? "UPDATE"
                                                         : "DELETE";
  // The user on what it names; each view's owner, on its own rights, on what the view names.
  std::string who = asUser.empty() ? s.user() : asUser;
  auto step = [&](const ResolvedObject& o) {
    if (!HasObjectPrivilege(s, o.owner, o.name, o.objectType, privilege, who, rights))
      throw EngineError(1031);
    who = o.owner;
    rights = Rights::Definer;
  };
  for (const ResolvedObject& view : tr.dmlViews) step(view);
  step(tr.dmlTable);
}

std::optional<DbLink> FindDbLink(Session& s, const std::string& name) {
  // A link named without its domain matches a stored LINK.DOMAIN too.
  for (const std::string& owner : {s.user(), std::string("PUBLIC")}) {
    Query q(s.db(),
            "SELECT OWNER, DB_LINK, USERNAME, HOST FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1 AND "
            "(DB_LINK = ?2 OR DB_LINK LIKE ?2 || '.%') ORDER BY length(DB_LINK) LIMIT 1",
            {owner, name});
    if (q.Row()) return DbLink{q.Text(0), q.Text(1), q.Text(2), q.Text(3)};
  }
  return std::nullopt;
}

void RunPrivilegeStatement(Session& s, std::string_view text, int functionCode) {
  s.ForgetGrantees();
  sqlite3* db = s.db();
  const std::string user = s.user();

  if (functionCode == kFcCreateRole || functionCode == kFcDropRole) {
    RoleStatement r = ParseRoleStatement(text);
    const std::string& role = r.role.name;
    const int at = static_cast<int>(r.role.offset);
    if (r.create) {
      if (!HasSystemPrivilege(s, "CREATE ROLE")) throw EngineError(1031);
      const bool password = r.password;
      if (IsUser(db, role) || IsRole(db, role)) throw EngineError(1921, role, at);
      s.RunDdl([&] {
        Run(db, "INSERT INTO \"TESS$ROLES\" VALUES (?1, ?2)", {role, password ? "YES" : "NO"});
        Run(db, "INSERT OR REPLACE INTO \"TESS$ROLE_PRIVS\" VALUES (?1, ?2, 'YES', 'YES')",
            {user, role});
      });
    } else {
      if (!IsRole(db, role)) throw EngineError(1919, role, at);
      if (!HasSystemPrivilege(s, "DROP ANY ROLE") &&
          !Exists(db,
                  "SELECT 1 FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1 AND GRANTED_ROLE = ?2 AND "
                  "ADMIN_OPTION = 'YES'",
                  {user, role}))
        throw EngineError(1031);
      s.RunDdl([&] {
        InvalidateWhatStoodOn(db, role, "", "");
        Run(db, "DELETE FROM \"TESS$ROLES\" WHERE ROLE = ?1", {role});
        Run(db, "DELETE FROM \"TESS$ROLE_PRIVS\" WHERE GRANTED_ROLE = ?1 OR GRANTEE = ?1", {role});
        Run(db, "DELETE FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1", {role});
        Run(db, "DELETE FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1", {role});
      });
    }
    return;
  }

  if (functionCode == kFcCreateExternalDatabase || functionCode == kFcDropExternalDatabase) {
    LinkStatement l = ParseLinkStatement(text);
    const bool isPublic = l.isPublic;
    const std::string owner = isPublic ? "PUBLIC" : user;
    const std::string& name = l.name;
    if (!l.create) {
      if (isPublic && !HasSystemPrivilege(s, "DROP PUBLIC DATABASE LINK")) throw EngineError(1031);
      if (!Exists(db, "SELECT 1 FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1 AND DB_LINK = ?2",
                  {owner, name}))
        throw EngineError(2024);
      s.RunDdl([&] {
        Run(db, "DELETE FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1 AND DB_LINK = ?2", {owner, name});
      });
      return;
    }
    if (isPublic ? !HasSystemPrivilege(s, "CREATE PUBLIC DATABASE LINK")
                 : !HasSystemPrivilege(s, "CREATE DATABASE LINK"))
      throw EngineError(1031);
    if (Exists(db, "SELECT 1 FROM \"TESS$DB_LINKS\" WHERE OWNER = ?1 AND DB_LINK = ?2",
               {owner, name}))
      throw EngineError(2011);
    s.RunDdl([&] {
      Run(db,
          "INSERT INTO \"TESS$DB_LINKS\" VALUES (?1, ?2, nullif(?3, ''), nullif(?4, ''), ?5, "
          "datetime('now', 'localtime'))",
          {owner, name, l.user, l.password, l.host});
    });
    return;
  }

  // GRANT ... TO ... / REVOKE ... FROM ...
  GrantStatement stmt = ParseGrantStatement(text);
  const bool grant = stmt.grant;
  const std::vector<std::string>& privileges = stmt.privileges;
  if (stmt.onObject) {
    const int at = static_cast<int>(stmt.object.offset);
    const std::string& owner = stmt.owner;
    const std::string& name = stmt.object.name;
    // The object, through synonyms; others' objects must be visible.
    ObjectRef ref{owner, name, "", at};
    std::optional<ResolvedObject> object = s.Resolve(ref);
    if (!object) {
      // Stored programs are outside the translator's namespace of tables.
      std::string o = owner.empty() ? user : owner;
      Query q(db,
              "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
              "OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', 'PACKAGE')",
              {o, name});
      if (q.Row()) object = ResolvedObject{o, name, q.Text(0)};
    }
    if (!object || !HasObjectPrivilege(s, object->owner, object->name, object->objectType, nullptr))
      throw EngineError(942, {}, at);
    CheckGrantees(db, stmt.grantees);
    for (const NamedAt& grantee : stmt.grantees)
      if (grantee.name == user) throw EngineError(1749);
    const bool withGrant = stmt.withOption;
    bool program = object->objectType == "PROCEDURE" || object->objectType == "FUNCTION" ||
                   object->objectType == "PACKAGE";
    std::vector<std::string> expanded;
    for (const std::string& p : privileges) {
      if (p == "ALL") {
        if (program) {
          expanded.push_back("EXECUTE");
        } else if (object->objectType == "SEQUENCE") {
          expanded.insert(expanded.end(), {"ALTER", "SELECT"});
        } else if (object->objectType == "VIEW") {
          expanded.insert(expanded.end(), {"DELETE", "INSERT", "SELECT", "UPDATE"});
        } else {
          expanded.insert(expanded.end(),
                          {"ALTER", "DELETE", "INDEX", "INSERT", "REFERENCES", "SELECT", "UPDATE"});
        }
      } else if (!ObjectPrivileges().count(p) || (program && p != "EXECUTE") ||
                 (!program && p == "EXECUTE")) {
        throw EngineError(1990);
      } else {
        expanded.push_back(p);
      }
    }
    // Granting needs ownership, the grant option, or the DBA role.
    for (const std::string& p : expanded) {
      bool may = object->owner == user || HasSystemPrivilege(s, "GRANT ANY PRIVILEGE") ||
                 Exists(db,
                        "SELECT 1 FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1 AND OWNER = ?2 AND "
                        "TABLE_NAME = ?3 AND PRIVILEGE = ?4 AND GRANTABLE = 'YES'",
                        {user, object->owner, object->name, p});
      if (!may) throw EngineError(grant ? 1031 : 1927);
      if (grant && object->objectType == "VIEW") CheckViewGrant(s, *object, p);
    }
    s.RunDdl([&] {
      for (const NamedAt& grantee : stmt.grantees) {
        const std::string& g = grantee.name;
        for (const std::string& p : expanded) {
          if (grant) {
            Run(db, "INSERT OR REPLACE INTO \"TESS$TAB_PRIVS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                {g, object->owner, object->name, user, p, withGrant ? "YES" : "NO"});
          } else {
            if (!Exists(db,
                        "SELECT 1 FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1 AND OWNER = ?2 AND "
                        "TABLE_NAME = ?3 AND PRIVILEGE = ?4",
                        {g, object->owner, object->name, p})) {
              if (privileges.size() == 1 && privileges[0] == "ALL") continue;
              throw EngineError(1927);
            }
            Run(db,
                "DELETE FROM \"TESS$TAB_PRIVS\" WHERE GRANTEE = ?1 AND OWNER = ?2 AND "
                "TABLE_NAME = ?3 AND PRIVILEGE = ?4",
                {g, object->owner, object->name, p});
            for (const std::string& loser :
                 RevokeOnwardGrants(db, g, object->owner, object->name, p))
              InvalidateWhatStoodOn(db, loser, object->owner, object->name);
          }
        }
      }
    });
    return;
  }

  // System privileges and roles.
  CheckGrantees(db, stmt.grantees);
  const bool withAdmin = stmt.withOption;
  for (const std::string& p : privileges) {
    bool role = IsRole(db, p);
    bool may = role ? HasSystemPrivilege(s, "GRANT ANY ROLE") ||
                          Exists(db,
                                 "SELECT 1 FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1 AND "
                                 "GRANTED_ROLE = ?2 AND ADMIN_OPTION = 'YES'",
                                 {user, p})
                    : HasSystemPrivilege(s, "GRANT ANY PRIVILEGE") ||
                          Exists(db,
                                 "SELECT 1 FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1 AND "
                                 "PRIVILEGE = ?2 AND ADMIN_OPTION = 'YES'",
                                 {user, p});
    if (!may) throw EngineError(1031);
    if (!role && (ObjectPrivileges().count(p) || p == "ALL")) throw EngineError(990);
  }
  s.RunDdl([&] {
    for (const NamedAt& grantee : stmt.grantees) {
      const std::string& g = grantee.name;
      for (const std::string& p : privileges) {
        bool role = IsRole(db, p);
        if (grant) {
          if (role && g == p) throw EngineError(1934);
          if (role)
            Run(db, "INSERT OR REPLACE INTO \"TESS$ROLE_PRIVS\" VALUES (?1, ?2, ?3, 'YES')",
                {g, p, withAdmin ? "YES" : "NO"});
          else
            Run(db, "INSERT OR REPLACE INTO \"TESS$SYS_PRIVS\" VALUES (?1, ?2, ?3)",
                {g, p, withAdmin ? "YES" : "NO"});
          if (p == "DBA") Run(db, "UPDATE \"TESS$USERS\" SET IS_DBA = 1 WHERE USERNAME = ?1", {g});
        } else if (role) {
          if (!Exists(db,
                      "SELECT 1 FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1 AND GRANTED_ROLE = ?2",
                      {g, p}))
            throw EngineError(1951, "'" + p + "' not granted to '" + g + "'");
          InvalidateWhatStoodOn(db, g, "", "");
          Run(db, "DELETE FROM \"TESS$ROLE_PRIVS\" WHERE GRANTEE = ?1 AND GRANTED_ROLE = ?2",
              {g, p});
          if (p == "DBA") Run(db, "UPDATE \"TESS$USERS\" SET IS_DBA = 0 WHERE USERNAME = ?1", {g});
        } else {
          if (!Exists(db, "SELECT 1 FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1 AND PRIVILEGE = ?2",
                      {g, p}))
            throw EngineError(1952, g);
          InvalidateWhatStoodOn(db, g, "", "");
          Run(db, "DELETE FROM \"TESS$SYS_PRIVS\" WHERE GRANTEE = ?1 AND PRIVILEGE = ?2", {g, p});
        }
      }
    }
  });
}

}  // namespace tess::oci7
