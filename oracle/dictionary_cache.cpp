// See dictionary_cache.h.
#include "oracle/dictionary_cache.h"

#include <new>
#include <vector>

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
#include "oracle/query.h"
#include "oracle/query_lines.h"
#include "oracle/session.h"
#include "oracle/session_services.h"
#include "oracle/shared_query.h"
#include "services/browser_caches.h"
#include "services/exceptions.h"
#include "services/services.h"

namespace tess {

namespace {

// Suspends a list's change notifications for the time of a load.
class TyUpdateScope {
 public:
  explicit TyUpdateScope(TStrings* List) : list_(List) { list_->BeginUpdate(); }
  ~TyUpdateScope() { list_->EndUpdate(); }
  TyUpdateScope(const TyUpdateScope&) = delete;
  TyUpdateScope& operator=(const TyUpdateScope&) = delete;

 private:
  TStrings* list_;
};

void Run(TyQuery* Query, TyDatabase* Db, const std::vector<const char*>& Lines, bool Cancellable) {
  ResetQuery(Db, Query);
  for (const char* line : Lines) Query->SQL().Add(line);
  if (Cancellable)
    Query->OpenCancellable();
  else
    Query->Open();
}

bool CacheSchemas(TyBrowserCaches* Browser, TyQuery* Query, bool ShowStatus) {
  if (Browser == nullptr) throw EyIntError("CacheSchemas: Tessellar (frmMain) form param is nil");
  CheckSessionAlive(Browser->Session());
  TStringList* cache = Browser->SchemaCache.get();
  if (cache == nullptr) throw EyIntError("CacheSchemas: frmMain Schema list not created");
  cache->Clear();
  Browser->SchemasCached = false;
  TyHourglassScope hourglass;
  hourglass.StartDb(Browser->Session());
  if (ShowStatus) hourglass.ShowStatus("Loading Schemas ...");
  TyUpdateScope update(cache);
  Run(Query, Browser->Session(),
      {" SELECT  USERNAME ", " FROM ALL_USERS ", " WHERE EXISTS (SELECT 'X' ",
       "               FROM ALL_OBJECTS", "               WHERE OWNER = USERNAME)",
       " ORDER BY USERNAME"},
      true);
  for (; !Query->Eof(); Query->Next()) cache->Add(Query->Fields(0)->AsString());
  Query->Close();
  Browser->SchemasCached = true;
  return true;
}

bool CacheTableSpaces(TyBrowserCaches* Browser, TyQuery* Query, bool ShowStatus) {
  if (Browser == nullptr)
    throw EyIntError("CacheTableSpaces: Tessellar (frmMain) form param is nil");
  CheckSessionAlive(Browser->Session());
  TStringList* cache = Browser->TablespaceCache.get();
  if (cache == nullptr) throw EyIntError("CacheTableSpaces: frmMain TableSpace list not created");
  cache->Clear();
  Browser->TablespacesCached = false;
  TyHourglassScope hourglass;
  if (ShowStatus) hourglass.ShowStatus("Loading Tablespaces ...");
  TyUpdateScope update(cache);
  Run(Query, Browser->Session(),
      {"SELECT TABLESPACE_NAME ", "FROM USER_TABLESPACES ", "WHERE STATUS != 'INVALID' ",
       "ORDER BY TABLESPACE_NAME "},
      false);
  for (; !Query->Eof(); Query->Next()) cache->Add(Query->Fields(0)->AsString());
  Query->Close();
  Browser->TablespacesCached = true;
  return true;
}

// The differences between the table cache and the table/view/synonym cache.
struct NameCacheKind {
  const char* nilBrowser;
  const char* nilCache;
  const char* loadingAll;
  const char* loadingUser;
  const char* limited;
  std::vector<const char*> allUsers;
  std::vector<const char*> userOnly;
  bool withTypes;  // entries carry their type code, in the server's order
  std::unique_ptr<TStringList> TyBrowserCaches::*cache;
  bool TyBrowserCaches::*cached;
  bool TyBrowserCaches::*cachedAllUsers;
};

const NameCacheKind kTables = {
    "CacheTables: Tessellar form param is nil",
    "CacheTables: frmMain Table Stringlist not created",
    "Loading All Tables ...",
    "Loading User's Tables ...",
    "Limited number of tables loaded",
    {" SELECT  owner,Table_name ", "  FROM ALL_TABLES ", " order by owner,table_name "},
    {" SELECT  user owner,Table_name ", "  FROM USER_TABLES ", " order by table_name "},
    false,
    &TyBrowserCaches::TableCache,
    &TyBrowserCaches::TablesCached,
    &TyBrowserCaches::TablesCacheAllUsers,
};

const NameCacheKind kTabVwSyn = {
    "CacheTabVwSyn: Tessellar (frmMain) form param is nil",
    "CacheTabVwSyn: frmMain Table Stringlist not created",
    "Loading All Tables, Views, Synonyms ...",
    "Loading User's Tables, Views, Synonyms ...",
    "Limited number of items loaded",
    {" SELECT  OWNER,OBJECT_NAME,OBJECT_TYPE  ", " FROM ALL_OBJECTS ",
     " WHERE OBJECT_TYPE IN ('TABLE','VIEW','SYNONYM')", " ORDER BY OWNER,OBJECT_NAME "},
    {" SELECT  USER OWNER,OBJECT_NAME,OBJECT_TYPE ", " FROM USER_OBJECTS ",
     " WHERE OBJECT_TYPE IN ('TABLE','VIEW','SYNONYM')", " ORDER BY OBJECT_NAME "},
    true,
    &TyBrowserCaches::TabVwSynCache,
    &TyBrowserCaches::TabVwSynCached,
    &TyBrowserCaches::TabVwSynCacheAllUsers,
};

// The order the copy's walk relies on: one owner's entries stand together, and owners are
// told apart exactly as the walk compares them ("demo" is not DEMO, though a sort ignoring
// case would interleave their entries); each owner's names are ordered ignoring case.
void SortByOwner(TStringList* Cache) {
  std::vector<std::string> owners(static_cast<size_t>(Cache->Count()));
  for (int i = 0; i < Cache->Count(); ++i)
    owners[static_cast<size_t>(i)] = ExtractSchemaName(Cache->Strings(i));
  // CustomSort compares positions of the list as it stood, so the owners stay in step.
  Cache->CustomSort([&](TStringList* List, int A, int B) {
    const std::string& a = owners[static_cast<size_t>(A)];
    const std::string& b = owners[static_cast<size_t>(B)];
    if (int c = CompareText(a, b)) return c;
    if (int c = a.compare(b)) return c;
    return CompareText(List->Strings(A), List->Strings(B));
  });
}

bool CacheNames(const NameCacheKind& Kind, TyBrowserCaches* Browser, TyQuery* Query, bool AllUsers,
                bool ShowStatus) {
  if (Browser == nullptr) {
    ShowDiagnosticMsg(Kind.nilBrowser);
    return false;
  }
  CheckSessionAlive(Browser->Session());
  TStringList* cache = (Browser->*Kind.cache).get();
  if (cache == nullptr) {
    ShowDiagnosticMsg(Kind.nilCache);
    return false;
  }
  cache->Clear();
  Browser->*Kind.cached = false;
  Browser->*Kind.cachedAllUsers = AllUsers;
  TyHourglassScope hourglass;
  hourglass.StartDb(Browser->Session());
  if (ShowStatus) hourglass.ShowStatus(AllUsers ? Kind.loadingAll : Kind.loadingUser);
  Run(Query, Browser->Session(), AllUsers ? Kind.allUsers : Kind.userOnly, true);
  bool complete = true;
  try {
    for (; !Query->Eof(); Query->Next()) {
      std::string entry = QualifiedName(
          Query->FieldByName("owner")->AsString(),
          Query->FieldByName(Kind.withTypes ? "object_name" : "table_name")->AsString());
      if (Kind.withTypes)
        cache->AddObject(
            entry,
            ObjTypeAsObject(ObjectTypeFromName(Query->FieldByName("object_type")->AsString())));
      else
        cache->Add(entry);
    }
  } catch (const std::bad_alloc&) {
    complete = false;
  } catch (const EOutOfMemory&) {
    complete = false;
  }
  Query->Close();
  if (!Kind.withTypes) SortByOwner(cache);
  if (!complete) {
    // The names read so far serve this call; the cache stays unloaded so that the next
    // call tries again instead of serving a cut list as complete.
    ShowErrorMsg(Kind.limited);
    return true;
  }
  Browser->*Kind.cached = true;
  return true;
}

bool GetCachedNames(const NameCacheKind& Kind, const char* NilList, const char* NoBrowser,
                    TyDatabase* Db, TyQuery* Query, TStrings* List, bool Refresh,
                    const std::string& Schema, bool ShowStatus, bool Qualified) {
  if (List == nullptr) {
    ShowDiagnosticMsg(NilList);
    return false;
  }
  TyBrowserCaches* browser = FindFrmMain(Db);
  if (browser == nullptr) {
    ShowDiagnosticMsg(NoBrowser);
    return false;
  }
  List->Clear();
  std::string user;
  GetSessionUser(Db, user);
  const bool otherSchema = Schema != user;
  const bool userOnly = !(browser->*Kind.cachedAllUsers);
  if (Refresh || !(browser->*Kind.cached) || (otherSchema && userOnly)) {
    if (!CacheNames(Kind, browser, Query, otherSchema, ShowStatus)) return false;
  }
  TStringList* cache = (browser->*Kind.cache).get();
  auto take = [&](int i) {
    const std::string& entry = cache->Strings(i);
    List->AddObject(Qualified ? entry : ExtractObjectName(entry), cache->Objects(i));
  };
  if (!otherSchema && !(browser->*Kind.cachedAllUsers) && browser->*Kind.cached) {
    for (int i = 0; i < cache->Count(); ++i) take(i);
  } else {
    // One schema's entries stand together (the server's ORDER BY OWNER, or SortByOwner):
    // the walk ends after that schema's run.
    bool inRun = false;
    for (int i = 0; i < cache->Count(); ++i) {
      const std::string& entry = cache->Strings(i);
      if (ExtractSchemaName(entry) == Schema) {
        inRun = true;
        take(i);
      } else if (inRun) {
        break;
      }
    }
  }
  return true;
}

}  // namespace

bool GetCachedSchemas(TyDatabase* Db, TStrings* List, bool Refresh, bool ShowStatus) {
  if (List == nullptr) throw EyIntError("GetCachedSchemas: Schema list pointer is nil");
  TyBrowserCaches* browser = FindFrmMain(Db);
  if (browser == nullptr)
    throw EyIntError("Corresponding Tessellar for the current connection not found");
  List->Clear();
  if (Refresh || !browser->SchemasCached) {
    TySharedQuery shared;
    if (!CacheSchemas(browser, shared.Query(), ShowStatus)) return false;
    std::string user;
    GetSessionUser(Db, user);
    TStringList* cache = browser->SchemaCache.get();
    // The session user is listed even when it owns nothing; PUBLIC always comes last.
    if (cache->IndexOf(user) < 0) cache->Add(user);
    cache->Add("PUBLIC");
  }
  List->AddStrings(browser->SchemaCache.get());
  return true;
}

bool GetCachedTableSpaces(TyDatabase* Db, TStrings* List, bool Refresh, bool ShowStatus) {
  if (List == nullptr) throw EyIntError("GetCachedTableSpaces: Schema list pointer is nil");
  TyBrowserCaches* browser = FindFrmMain(Db);
  if (browser == nullptr)
    throw EyIntError("Corresponding Tessellar for the current connection not found");
  List->Clear();
  if (Refresh || !browser->TablespacesCached) {
    TySharedQuery shared;
    if (!CacheTableSpaces(browser, shared.Query(), ShowStatus)) return false;
  }
  List->AddStrings(browser->TablespaceCache.get());
  return true;
}

bool GetCachedTables(TyDatabase* Db, TyQuery* Query, TStrings* List, bool Refresh,
                     const std::string& Schema, bool ShowStatus, bool Qualified) {
  return GetCachedNames(kTables, "GetCachedTables: Table Stringlist pointer is nil",
                        "Corresponding Tessellar for the connection not found", Db, Query, List,
                        Refresh, Schema, ShowStatus, Qualified);
}

bool GetCachedTabVwSyn(TyDatabase* Db, TyQuery* Query, TStrings* List, bool Refresh,
                       const std::string& Schema, bool ShowStatus, bool Qualified) {
  return GetCachedNames(kTabVwSyn, "GetCachedTabVwSynForSchema:  Stringlist pointer is nil",
                        "GetCachedTabVwSyn:Corresponding Tessellar for the database not found", Db,
                        Query, List, Refresh, Schema, ShowStatus, Qualified);
}

}  // namespace tess
