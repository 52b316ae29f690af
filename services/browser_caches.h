// What the schema-browser window (TfrmMain) holds for the access layer: its session and
// the four per-session name caches with their flags.  The browser window derives from
// this class; FindFrmMain finds it by session.
//
// The caches are created with the window and freed with it; the access layer fills and
// reads them but never frees them.  A null cache means the window has not created it.
// TabVwSynCache carries each entry's object-type code (TABLE 0, VIEW 2, SYNONYM 20) as
// the entry's object, converted with ObjTypeAsObject and ObjTypeOfObject.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/strings.h"
#include "services/text_routines.h"

namespace tess {

class TyDatabase;

class TyBrowserCaches {
 public:
  explicit TyBrowserCaches(TyDatabase* Session = nullptr)
      : session_(Session),
        SchemaCache(std::make_unique<TStringList>()),
        TablespaceCache(std::make_unique<TStringList>()),
        TableCache(std::make_unique<TStringList>()),
        TabVwSynCache(std::make_unique<TStringList>()) {}
  virtual ~TyBrowserCaches() = default;
  TyBrowserCaches(const TyBrowserCaches&) = delete;
  TyBrowserCaches& operator=(const TyBrowserCaches&) = delete;

  // The session the window was opened on.
  TyDatabase* Session() const { return session_; }
  void SetSession(TyDatabase* Value) { session_ = Value; }

 private:
  TyDatabase* session_;

 public:
  std::unique_ptr<TStringList> SchemaCache;      // user names, then PUBLIC
  std::unique_ptr<TStringList> TablespaceCache;  // tablespace names
  std::unique_ptr<TStringList> TableCache;       // OWNER.TABLE
  std::unique_ptr<TStringList> TabVwSynCache;    // OWNER.NAME, object: the type code
  bool SchemasCached = false;
  bool TablespacesCached = false;
  bool TablesCached = false;
  bool TabVwSynCached = false;
  bool TablesCacheAllUsers = false;    // TableCache holds every user's tables
  bool TabVwSynCacheAllUsers = false;  // TabVwSynCache holds every user's objects
};

// A string list's entry object carrying an object-type code instead of an object.
inline TObject* ObjTypeAsObject(TyObjType Code) {
  return reinterpret_cast<TObject*>(static_cast<uintptr_t>(Code));
}
inline TyObjType ObjTypeOfObject(const TObject* Object) {
  return static_cast<TyObjType>(reinterpret_cast<uintptr_t>(Object));
}

}  // namespace tess
