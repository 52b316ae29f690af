// The data dictionary, privileges and stored programs of the engine.
//
// The dictionary views (ALL_, USER_ and DBA_ ...) are SQLite views owned by SYS over the
// engine's catalog tables (TESS$...), reached through public synonyms as on the server.
// Each view's columns carry Oracle 7's names, order and types.  Every DDL statement keeps
// the catalog in step; the views only read it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/engine.h"
#include "oci7/plsql/front.h"
#include "oci7/plsql/runtime.h"

struct sqlite3;

namespace tess::oci7 {

// ---------------------------------------------------------------------------------------
// Dictionary (dictionary.cpp)

// The catalog tables, views, roles, tablespaces and grants a database needs beyond the
// base catalog; brings an older database file up to date.  Runs in the caller's
// transaction.
void EnsureDictionary(sqlite3* db);
// Whether a database file still lacks (part of) the dictionary.
bool NeedsDictionary(sqlite3* db);
// The dictionary's SQL functions on a connection: TESS$USER() is the session user (SYS
// when there is no session).
int RegisterDictionaryFunctions(sqlite3* db, Session* session);
// Records the columns of a view (or any object SQLite can describe) in the catalog, for
// ALL_TAB_COLUMNS.
void RecordViewColumns(sqlite3* db, const std::string& owner, const std::string& name);

// ---------------------------------------------------------------------------------------
// Privileges (privileges.cpp)

// The names `user` holds privileges through: itself, PUBLIC and its roles, to any depth.
std::vector<std::string> Grantees(sqlite3* db, const std::string& user);
// A system privilege held directly, through PUBLIC or a role; the DBA role holds all.
// `asUser` names the user whose privileges count (default: the session user; a stored
// program runs with its owner's); `rights` whether its roles count (see Rights).
bool HasSystemPrivilege(Session& s, const std::string& privilege, const std::string& asUser = {},
                        Rights rights = Rights::Session);
// An object privilege (nullptr: any) on owner.name, directly or through the system
// privileges that imply it.  The owner holds every privilege.
bool HasObjectPrivilege(Session& s, const std::string& owner, const std::string& name,
                        const std::string& objectType, const char* privilege,
                        const std::string& asUser = {}, Rights rights = Rights::Session);
// The users whose privileges come through `grantee` (a user: itself; a role: every user
// holding it, to any depth; PUBLIC: every user).
std::vector<std::string> UsersThrough(sqlite3* db, const std::string& grantee);
// INSERT, UPDATE or DELETE as translated: the user (`asUser`, default the session user)
// needs the privilege on what it names, and each view's owner on what the view names,
// granted directly.  Throws ORA-01031.
void CheckDmlPrivilege(Session& s, const Translation& tr, const std::string& asUser = {},
                       Rights rights = Rights::Session);
// GRANT, REVOKE, CREATE/DROP ROLE, CREATE/DROP [PUBLIC] DATABASE LINK.  Throws OraError.
void RunPrivilegeStatement(Session& s, std::string_view text, int functionCode);
// A database link of the session user or PUBLIC; nullopt when there is none.  A link
// whose USING names another database answers ORA-02019 when used.
struct DbLink {
  std::string owner, name, username, host;
};
std::optional<DbLink> FindDbLink(Session& s, const std::string& name);

// ---------------------------------------------------------------------------------------
// Views (views.cpp)

// What a view's query names, resolved as its owner does with a definer's rights; throws
// what the query's translation throws, and ORA-01031 for an object the owner may not
// SELECT.
std::vector<ResolvedObject> ViewObjects(Session& s, const std::string& owner,
                                        std::string_view query);
// CREATE VIEW: the owner reads what the query names on its own and PUBLIC's grants, not on
// its roles; ORA-01031 otherwise.
void CheckViewRights(Session& s, const std::string& owner, std::string_view query);
// Checks a view again, as its owner, and records VALID or INVALID (and its columns when
// valid); answers the status.  Runs in the caller's transaction.
std::string CompileView(Session& s, const std::string& owner, const std::string& name);
// A view a statement uses: compiled again when INVALID; ORA-04063 when it stays so.
void CheckViewUsable(Session& s, const ResolvedObject& view);
// GRANT `privilege` on a view: its owner needs the grant option on each object of another
// owner it reads (ORA-01720).
void CheckViewGrant(Session& s, const ResolvedObject& view, const std::string& privilege);
// A view's definition for DML through it, its names resolved as its owner does.
std::optional<ViewSource> ViewSourceOf(Session& s, const ResolvedObject& view);

// ---------------------------------------------------------------------------------------
// Stored programs (stored.cpp)

// CREATE [OR REPLACE] PROCEDURE / FUNCTION / PACKAGE [BODY] / TRIGGER: stores the source
// line by line, compiles it, records errors, arguments, trigger rows and dependencies.
// Compile errors leave the object INVALID and are no failure of the statement.
void CreateStoredProgram(Session& s, std::string_view text);
// ALTER PROCEDURE/FUNCTION/PACKAGE/TRIGGER/VIEW name COMPILE [BODY|SPECIFICATION],
// ALTER TRIGGER name ENABLE/DISABLE.
void AlterStoredProgram(Session& s, std::string_view text);
// DROP PROCEDURE/FUNCTION/PACKAGE [BODY]/TRIGGER.
void DropStoredProgram(Session& s, std::string_view text);
// What goes with a dropped table: its triggers, the grants on it.
void DropTableDependents(sqlite3* db, const std::string& owner, const std::string& table);
// The grants on owner.name (dropped).
void RemoveGrants(sqlite3* db, const std::string& owner, const std::string& name);
// The objects a view's text names, for INVALID on change.
void StoreViewDependencies(sqlite3* db, const std::string& owner, const std::string& name,
                           std::string_view text);
// Marks the programs and views that use owner.name INVALID (it was dropped or changed).
void InvalidateDependents(sqlite3* db, const std::string& owner, const std::string& name);
// Marks INVALID what `user` built on owner.name (on any other owner's object when `name` is
// empty), and what is built on that in turn: a privilege it stood on was revoked.
void InvalidateBuiltOn(sqlite3* db, const std::string& user, const std::string& owner,
                       const std::string& name);
// Compiles an INVALID program again (a call of it does this first); returns whether it is
// VALID afterwards.
bool RecompileIfInvalid(Session& s, const std::string& owner, const std::string& name,
                        const std::string& type);
// ---------------------------------------------------------------------------------------
// PL/SQL (plsql.cpp)

// What the compiler may ask the dictionary about names of a block run in `schema`, with
// `rights` (a stored unit's are its owner's: Rights::Definer).
plsql::Environment BlockEnvironment(Session& s, const std::string& schema,
                                    Rights rights = Rights::Session);
// A stored unit, parsed once per session and again when the catalog says it changed;
// nullptr when there is none.  An INVALID unit is compiled again first; one that stays
// invalid answers ORA-04063.
std::shared_ptr<const plsql::StoredUnit> LoadStoredUnit(Session& s, const std::string& owner,
                                                        const std::string& name,
                                                        plsql::UnitKind kind);
// The session's interpreter, and a host over the session (binds from `cursor`, if any).
plsql::Runtime& RuntimeOf(Session& s);
std::unique_ptr<plsql::Host> MakeEngineHost(Session& s, Cursor* cursor);
// An engine value as the interpreter's.
plsql::Value PlsqlValue(const Value& v);

// ALTER TABLE MODIFY / ADD CHECK or FOREIGN KEY / DROP CONSTRAINT / DROP PRIMARY KEY: the
// table built again with the change (rebuild.cpp).  Updates the catalog's columns; the
// caller records the constraints.
void RebuildTable(Session& s, const std::string& owner, const std::string& table,
                  const DdlInfo& change, std::string_view text);

// ---------------------------------------------------------------------------------------
// Triggers (triggers.cpp)

bool HasTriggers(Session& s, const std::string& owner, const std::string& table);
// Whether a translated DML statement runs row by row (RunTriggeredDml): its table has
// triggers, or a view it goes through has WITH CHECK OPTION.
bool RunsRowByRow(Session& s, const Translation& tr);
// Runs a DML statement (`text`, translated as `tr`) on a table with triggers, row by row
// with the triggers fired; `bindValue` gives the value of each bind or variable the
// statement names.  Returns the rows processed.
int64_t RunTriggeredDml(Session& s, const Translation& tr, std::string_view text,
                        const std::string& schema,
                        const std::function<bool(const std::string&)>& isVariable,
                        const std::function<plsql::Value(const std::string&)>& bindValue);

// Forgets what the session's interpreter holds of owner.name (a package's state, a parsed
// unit): it was created, replaced, recompiled or dropped.
void ResetProgramState(Session& s, const std::string& owner, const std::string& name);
// The optional objects of the program's install scripts: the argument view
// SYS.DUDEDOD_ARGUMENT$ and the public synonym ZOVOZEV_IVEVUZO_ZIVERU_DER over the
// DUDEDOD account's check-in log.
void InstallExtras(const std::string& database);

}  // namespace tess::oci7
