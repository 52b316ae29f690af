// The per-session name caches of the schema-browser window: schemas, tablespaces, tables,
// and tables with views and synonyms.  Each is loaded from the data dictionary on first
// use (or when the caller asks for a refresh) and then served from memory.
//
// The table and object caches hold either the session user's names or every user's; a
// call for another schema upgrades a user-only cache, a call for the user's own schema is
// served from either.  A load always starts from an empty cache and marks it loaded only
// when it completed: a failed or cut-short load is loaded again next time.  The hourglass,
// the progress window, the disabled main window and the list's update state are restored
// on every way out.
#pragma once

#include <string>

namespace tess {

class TStrings;
class TyDatabase;
class TyQuery;

// List := the users owning at least one object, the session user and PUBLIC (last).
bool GetCachedSchemas(TyDatabase* Db, TStrings* List, bool Refresh, bool ShowStatus);
bool GetCachedTableSpaces(TyDatabase* Db, TStrings* List, bool Refresh, bool ShowStatus);
// List := the tables of Schema, as OWNER.TABLE when Qualified (QualifiedName: a part that
// holds a "." is quoted), else TABLE.
bool GetCachedTables(TyDatabase* Db, TyQuery* Query, TStrings* List, bool Refresh,
                     const std::string& Schema, bool ShowStatus, bool Qualified);
// As GetCachedTables for tables, views and synonyms; each entry carries its type code as
// its object (see ObjTypeAsObject), so List must not own its objects.
bool GetCachedTabVwSyn(TyDatabase* Db, TyQuery* Query, TStrings* List, bool Refresh,
                       const std::string& Schema, bool ShowStatus, bool Qualified);

}  // namespace tess
