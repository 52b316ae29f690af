// Data-dictionary checks and object information: whether a table, view, synonym or
// object exists or may be read, and an object's status, identity and type.
//
// Each routine runs one SELECT on a TyQuery bound to the session by its label and reads
// the row by column name.  A blank owner means the session user (the USER_ view, or
// "owner=USER").  Names are pasted into the statement as SQL string literals with their
// quotes doubled.  Missing arguments are reported in the diagnostic box (the text begins
// with the routine's name) and the routine returns normally; server errors raise
// EySQLError from the query, a lost session EyDbConnectionLost.
#pragma once

#include <cstdint>
#include <string>

#include "services/exceptions.h"
#include "services/text_routines.h"

namespace tess {

class TyDatabase;
class TyQuery;

bool IsTableAccessible(const std::string& Owner, const std::string& Table, TyDatabase* Db,
                       TyQuery* Query);
bool IsTableOrViewAccessible(const std::string& Owner, const std::string& Name, TyDatabase* Db,
                             TyQuery* Query);
// On the shared query; names as stored (no case folding).
bool IsObjectPresent(TyDatabase* Db, const std::string& Owner, const std::string& Name);
// On the shared query; the three inputs are upper-cased.
bool IsObjectPresent2(TyDatabase* Db, const std::string& Owner, const std::string& Name,
                      const std::string& ObjType);
bool IsSynonymPresent(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                      const std::string& SynName);
// Status is the object's STATUS, or empty when the object is not found (one diagnostic).
void GetDbObjectStatus(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                       const std::string& Name, bool ShowStatus, std::string& Status);
bool GetDbObjectInfo(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                     const std::string& Name, const std::string& ObjType, int32_t& ObjectId,
                     std::string& Status, std::string& Created, std::string& LastDdlTime,
                     bool ShowStatus);
// On the shared query.  When one name has several types, the row the server gives first
// decides.
bool GetDbObjectType(TyDatabase* Db, const std::string& Owner, const std::string& Name,
                     TyObjType& TypeCode, std::string& TypeName);

// A schema combo box must hold a schema: an empty one takes the focus (when it can) and
// EyAppError "Please select a schema" is raised.  Control needs Text(), CanFocus() and
// SetFocus().
template <class Control>
bool CheckSchemaSelected(Control& C) {
  if (C.Text().empty()) {
    if (C.CanFocus()) C.SetFocus();
    throw EyAppError("Please select a schema");
  }
  return true;
}

}  // namespace tess
