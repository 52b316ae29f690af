// TfrmMain: the schema-browser window of one session (and TfrmMain2, the roll-up browser
// over the same tree).  It holds the session's name
// caches (TyBrowserCaches, which the access layer's cache routines fill and read) and
// shows, in its outline Outl1, the schemas of the session with a "Tables" folder under
// each, whose tables come from the table cache when the folder is opened.
//
// The change notice (kObjectChangeMsg, message 2025) carries a TyMsgRec naming a created,
// altered or dropped object; the window acts on notices of its own session only: a kind
// with table folders empties the table caches and reloads the open folder of the
// owner, any other kind of the model marks the window stale.
//
// Invariants: every schema node (level 1) has exactly one child, its "Tables" folder;
// a folder's children are the cached tables of that schema, or one placeholder while
// the folder was never opened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/win/forms.h"
#include "framework/win/stdctrls.h"
#include "services/browser_caches.h"
#include "services/object_model.h"

namespace tess {

class TyDatabase;
class TyQuery;
class TyTessOutline;

// The program's message 2025: a database object was created, altered, dropped, renamed,
// enabled, disabled or revoked.  LParam points at a TyMsgRec that lives while the message
// is sent.
constexpr uint32_t kObjectChangeMsg = 0x0400 + 1001;

struct TyMsgRec {
  std::string DatabaseName;  // the session's label
  std::string Owner;
  std::string ObjectName;
  TyObjType ObjType = 31;  // other
};

class TfrmMain : public TForm, public TyBrowserCaches {
 public:
  TfrmMain(TComponent* AOwner, TyDatabase* Db) : TfrmMain(AOwner, Db, "Schema Browser") {}
  ~TfrmMain() override;

  // Reads the schemas (from the cache) and rebuilds the tree; the session user's tables
  // are shown.  A failure is shown; the tree then holds what could be read.
  void RefreshTree();
  // The node of a schema, 0 when none; the "Tables" folder of a schema node is Index + 1.
  int32_t SchemaNode(const std::string& Schema) const;
  // Fills the "Tables" folder under the schema node from the table cache and opens it.
  void ShowTables(int32_t SchemaIndex);

  // A notice of a kind the tree has no folder for arrived: the window is out of date.
  bool Stale() const { return stale_; }
  // The classes the last notice of this session mapped to (null: no node of that level).
  TyObjectClass LastHeaderClass() const { return last_header_; }
  TyObjectClass LastObjectClass() const { return last_object_; }

  void Dispatch(TMessage& Message) override;

  TyTessOutline* Outl1 = nullptr;

 protected:
  // Title: the caption before the session's label.
  TfrmMain(TComponent* AOwner, TyDatabase* Db, std::string Title);

 private:
  void Outl1DrawItem(TWinControl* Control, int32_t Index, const TRect& Rect, TOwnerDrawState State);
  void ObjectChanged(const TyMsgRec& Rec);
  void UpdateCaption();

  std::string title_;
  std::unique_ptr<TyQuery> query_;
  bool stale_ = false;
  TyObjectClass last_header_ = nullptr;
  TyObjectClass last_object_ = nullptr;
};

// The roll-up browser: a window of its own beside the main window, over the same
// session, with the browser's tree and its handling of the change notice.  The session's
// name caches it fills are its own; the dictionary routines use the main browser's.
class TfrmMain2 : public TfrmMain {
 public:
  TfrmMain2(TComponent* AOwner, TyDatabase* Db);
};

// Sends the change notice to Window (for the tests and the main window's forwarding).
void SendObjectChange(TWinControl* Window, const TyMsgRec& Rec);

}  // namespace tess
