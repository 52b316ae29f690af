// See dictionary.h.
#include "oracle/dictionary.h"

#include "framework/core/sysutils.h"
#include "oracle/query.h"
#include "oracle/query_lines.h"
#include "oracle/session.h"
#include "oracle/session_services.h"
#include "oracle/shared_query.h"
#include "oracle/sql_text.h"
#include "services/services.h"

namespace tess {

namespace {

void RequireQuery(TyQuery* Query, const char* Routine) {
  if (Query == nullptr) throw EyIntError(std::string(Routine) + ": Query param is nil");
}

std::string OwnerLine(const std::string& Owner) {
  return Blank(Owner) ? std::string(" and owner=USER ") : " and owner='" + Lit(Owner) + "' ";
}

}  // namespace

bool IsTableAccessible(const std::string& Owner, const std::string& Table, TyDatabase* Db,
                       TyQuery* Query) {
  CheckSessionAlive(Db);
  if (Blank(Table)) {
    ShowDiagnosticMsg("IsTableAccessible: Table Name is null");
    return false;
  }
  RequireQuery(Query, "IsTableAccessible");
  bool found = OpenLines(Db, Query,
                         {"Select 'x' ",
                          Blank(Owner) ? std::string("from user_tables where ")
                                       : "from all_tables where owner='" + Lit(Owner) + "'  and ",
                          " table_name='" + Lit(Table) + "' "});
  if (found) Query->Close();
  return found;
}

bool IsTableOrViewAccessible(const std::string& Owner, const std::string& Name, TyDatabase* Db,
                             TyQuery* Query) {
  if (Blank(Name)) {
    ShowDiagnosticMsg("IsTableOrViewAccessible: Table Name is null");
    return false;
  }
  RequireQuery(Query, "IsTableOrViewAccessible");
  bool found =
      OpenLines(Db, Query,
                {"Select 'x' ",
                 Blank(Owner) ? std::string("from user_objects where ")
                              : "from all_objects where owner='" + Lit(Owner) + "'  and ",
                 " object_name='" + Lit(Name) + "' ", " and object_type in ('TABLE','VIEW') "});
  if (found) Query->Close();
  return found;
}

bool IsObjectPresent(TyDatabase* Db, const std::string& Owner, const std::string& Name) {
  if (Blank(Name)) {
    ShowDiagnosticMsg("IsObjectPresent: ObjName is null");
    return false;
  }
  TySharedQuery shared;
  TyQuery* q = shared.Query();
  bool found = OpenLines(Db, q,
                         {"Select 'x' ",
                          Blank(Owner) ? std::string("from user_objects where ")
                                       : "from all_objects where owner='" + Lit(Owner) + "'  and ",
                          " object_name='" + Lit(Name) + "' "});
  if (found) q->Close();
  return found;
}

bool IsObjectPresent2(TyDatabase* Db, const std::string& Owner, const std::string& Name,
                      const std::string& ObjType) {
  if (Blank(Name)) {
    ShowDiagnosticMsg("IsObjectPresent: ObjName is null");
    return false;
  }
  TySharedQuery shared;
  TyQuery* q = shared.Query();
  bool found = OpenLines(
      Db, q,
      {"Select 'x' ",
       Blank(Owner) ? std::string("from user_objects where ")
                    : "from all_objects where owner='" + Lit(UpperCase(Owner)) + "'  and ",
       " object_name='" + Lit(UpperCase(Name)) + "' and",
       " object_type='" + Lit(UpperCase(ObjType)) + "' "});
  if (found) q->Close();
  return found;
}

bool IsSynonymPresent(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                      const std::string& SynName) {
  if (Blank(SynName)) {
    ShowDiagnosticMsg("IsSynonymPresent: Syn. Name is null");
    return false;
  }
  RequireQuery(Query, "IsSynonymPresent");
  bool found = OpenLines(Db, Query,
                         {"SELECT 'x' ",
                          Blank(Owner) ? std::string("FROM USER_SYNONYMS WHERE ")
                                       : "FROM ALL_SYNONYMS WHERE OWNER='" + Lit(Owner) + "'  AND ",
                          " SYNONYM_NAME='" + Lit(SynName) + "' "});
  if (found) Query->Close();
  return found;
}

void GetDbObjectStatus(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                       const std::string& Name, bool ShowStatus, std::string& Status) {
  Status.clear();
  if (Db == nullptr) {
    ShowDiagnosticMsg("GetDbObjectStatus: Database param is nil");
    return;
  }
  CheckSessionAlive(Db);
  if (Query == nullptr) {
    ShowDiagnosticMsg("GetDbObjectStatus: Query param is nil");
    return;
  }
  if (Blank(Name)) {
    ShowDiagnosticMsg("GetDbObjectStatus: Object name param is null");
    return;
  }
  TyHourglassScope hourglass;
  if (ShowStatus) {
    hourglass.Start();
    hourglass.ShowStatus("Checking Database object status ...");
  }
  if (!OpenLines(Db, Query,
                 {" select status ", " from all_objects ",
                  " where object_name='" + Lit(Name) + "' ", OwnerLine(Owner)})) {
    ShowDiagnosticMsg("Unable to find " + Owner + "." + Name + " in All_Objects");
    return;
  }
  Status = Query->FieldByName("status")->AsString();
  Query->Close();
}

bool GetDbObjectInfo(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                     const std::string& Name, const std::string& ObjType, int32_t& ObjectId,
                     std::string& Status, std::string& Created, std::string& LastDdlTime,
                     bool ShowStatus) {
  if (Db == nullptr) {
    ShowDiagnosticMsg("GetDbObjectInfo: Database param is nil");
    return false;
  }
  CheckSessionAlive(Db);
  if (Query == nullptr) {
    ShowDiagnosticMsg("GetDbObjectInfo: Query param is nil");
    return false;
  }
  if (Blank(Name)) {
    ShowDiagnosticMsg("GetDbObjectInfo: Object name param is null");
    return false;
  }
  if (Blank(ObjType)) {
    ShowDiagnosticMsg("GetDbObjectInfo: Object type param is null");
    return false;
  }
  TyHourglassScope hourglass;
  if (ShowStatus) {
    hourglass.Start();
    hourglass.ShowStatus("Retrieving DB object info ...");
  }
  if (!OpenLines(Db, Query,
                 {" select object_id, status, to_char(Created,'DD-MON-YY HH:MI:SS PM') Created, "
                  "to_char(last_ddl_time,'DD-MON-YY HH:MI:SS PM') last_ddl_time ",
                  " from all_objects ", " where object_name='" + Lit(Name) + "' ", OwnerLine(Owner),
                  " and object_type='" + Lit(ObjType) + "'"})) {
    ShowDiagnosticMsg("Unable to find " + Owner + "." + Name + " in All_Objects");
    return false;
  }
  ObjectId = Query->FieldByName("Object_id")->AsInteger();
  Status = Query->FieldByName("Status")->AsString();
  LastDdlTime = Query->FieldByName("last_ddl_time")->AsString();
  Created = Query->FieldByName("Created")->AsString();
  Query->Close();
  return true;
}

bool GetDbObjectType(TyDatabase* Db, const std::string& Owner, const std::string& Name,
                     TyObjType& TypeCode, std::string& TypeName) {
  if (Db == nullptr) {
    ShowDiagnosticMsg("GetDbObjectType: Database param is nil");
    return false;
  }
  CheckSessionAlive(Db);
  if (Blank(Name)) {
    ShowDiagnosticMsg("GetDbObjectType: Object name param is null");
    return false;
  }
  TySharedQuery shared;
  TyQuery* q = shared.Query();
  if (!OpenLines(Db, q,
                 {" select Object_type ", " from all_objects ",
                  " where object_name='" + Lit(Name) + "' ", OwnerLine(Owner)})) {
    ShowDiagnosticMsg("Unable to find " + Owner + "." + Name + " in All_Objects");
    return false;
  }
  TypeName = q->FieldByName("Object_type")->AsString();
  TypeCode = ObjectTypeFromName(TypeName);
  q->Close();
  return true;
}

}  // namespace tess
