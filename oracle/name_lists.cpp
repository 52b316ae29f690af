// See name_lists.h.
#include "oracle/name_lists.h"

#include <cctype>
#include <vector>

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"
#include "oracle/query.h"
#include "oracle/query_lines.h"
#include "oracle/session.h"
#include "oracle/session_services.h"
#include "oracle/sql_text.h"
#include "services/exceptions.h"
#include "services/services.h"
#include "services/text_routines.h"

namespace tess {

namespace {

// Adds the column of every row to List, then closes.
void ReadColumn(TyQuery* Query, const char* Column, TStrings* List) {
  for (; !Query->Eof(); Query->Next()) List->Add(Query->FieldByName(Column)->AsString());
  Query->Close();
}

void ReadQualified(TyQuery* Query, const char* Name, TStrings* List) {
  for (; !Query->Eof(); Query->Next())
    List->Add(QualifiedName(Query->FieldByName("OWNER")->AsString(),
                            Query->FieldByName(Name)->AsString()));
  Query->Close();
}

void Require(bool Present, const std::string& Text) {
  if (!Present) throw EyIntError(Text);
}

// A database link name is pasted after "@" as it is, so it may hold nothing but the
// characters of a (qualified) link name.
bool IsValidLinkName(const std::string& Link) {
  if (Link.empty()) return false;
  for (unsigned char c : Link)
    if (!std::isalnum(c) && c != '_' && c != '$' && c != '#' && c != '.' && c != '@') return false;
  return std::isalpha(static_cast<unsigned char>(Link[0])) != 0;
}

}  // namespace

std::string ArgTypeName(int32_t Code) {
  switch (Code) {
    case 1:
      return "VARCHAR2";
    case 2:
      return "NUMBER";
    case 3:
      return "NATIVE INTEGER";
    case 8:
      return "LONG";
    case 11:
      return "ROWID";
    case 12:
      return "DATE";
    case 23:
      return "RAW";
    case 24:
      return "LONG RAW";
    case 29:
      return "BINARY_INTEGER";
    case 96:
      return "CHAR";
    case 106:
      return "MLSLABEL";
    case 250:
      return "PL/SQL RECORD";
    case 251:
      return "PL/SQL TABLE";
    case 252:
      return "BOOLEAN";
    default:
      return "";
  }
}

std::string ArgModeName(int32_t Code) {
  switch (Code) {
    case 0:
      return "IN";
    case 1:
      return "OUT";
    default:
      return "IN OUT";
  }
}

void GetTabCols(const std::string& Owner, const std::string& Table, TyDatabase* Db, TyQuery* Query,
                TStrings* List, bool ExcludeLong) {
  if (Blank(Owner) || Blank(Table)) {
    ShowDiagnosticMsg("GetTabCols:Table Name or owner parameter is null");
    return;
  }
  Require(List != nullptr && Query != nullptr, "GetTabCols: List or Query parameter is nil");
  CheckSessionAlive(Db);
  List->Clear();
  std::vector<std::string> lines = {"select column_name from all_tab_columns ",
                                    " where owner='" + Lit(Owner) + "' ",
                                    " and   table_name='" + Lit(Table) + "' "};
  if (ExcludeLong) lines.push_back(" and data_type Not in ('LONG','LONG RAW') ");
  lines.push_back(" order by column_id ");
  OpenLines(Db, Query, lines);
  ReadColumn(Query, "column_name", List);
}

void GetObjCols(TyDatabase* Db, TyQuery* Query, TyObjType ObjType, const std::string& Owner,
                const std::string& Name, TStrings* List, bool ExcludeLong) {
  Require(!Blank(Owner) && !Blank(Name), "GetObjCols: Name or owner parameter is null");
  CheckSessionAlive(Db);
  Require(ObjType == 0 || ObjType == 2 || ObjType == 20,
          "GetObjCols: Obj.Type is not Table,View or Synonym");
  Require(List != nullptr && Query != nullptr, "GetObjCols: List or Query parameter is nil");
  List->Clear();
  std::string owner = Owner, name = Name, link;
  if (ObjType == 20 && !SynonymToTable(Db, Query, Owner, Name, owner, name, link))
    throw EyIntError("GetObjCols: Error Translating Synonym to Table");
  if (!link.empty() && !IsValidLinkName(link))
    throw EyIntError("GetObjCols: Invalid database link name " + link);
  std::vector<std::string> lines = {
      link.empty() ? std::string("SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS ")
                   : "SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS@" + link,
      "WHERE OWNER='" + Lit(owner) + "' ", "AND   TABLE_NAME='" + Lit(name) + "' "};
  if (ExcludeLong) lines.push_back(" AND DATA_TYPE NOT IN ('LONG','LONG RAW') ");
  lines.push_back(" ORDER BY COLUMN_ID ");
  OpenLines(Db, Query, lines);
  ReadColumn(Query, "column_name", List);
}

void GetIndCols(const std::string& TableOwner, const std::string& TableName,
                const std::string& IndexOwner, const std::string& IndexName, TyDatabase* Db,
                TyQuery* Query, TStrings* List) {
  if (Blank(TableOwner) || Blank(TableName)) {
    ShowDiagnosticMsg("GetIndCols:Table Name or owner parameter is null");
    return;
  }
  if (Blank(IndexOwner) || Blank(IndexName)) {
    ShowDiagnosticMsg("GetIndCols:Index Name or owner parameter is null");
    return;
  }
  Require(List != nullptr && Query != nullptr, "GetIndCols: List or Query parameter is nil");
  CheckSessionAlive(Db);
  List->Clear();
  OpenLines(Db, Query,
            {" select column_name from all_ind_columns ",
             " where  table_owner='" + Lit(TableOwner) + "' ",
             " and    table_name='" + Lit(TableName) + "' ",
             " and    Index_owner='" + Lit(IndexOwner) + "' ",
             " and    index_name='" + Lit(IndexName) + "' ", " order by column_position "});
  ReadColumn(Query, "column_name", List);
}

namespace {

void ReadConsCols(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& Owner,
                  const std::string& ConsName) {
  CheckSessionAlive(Db);
  TyHourglassScope hourglass;
  hourglass.Start();
  List->Clear();
  OpenLines(
      Db, Query,
      {" select column_name ", " from all_cons_columns  ", " where owner = '" + Lit(Owner) + "'",
       " and constraint_name = '" + Lit(ConsName) + "'", " order by position "});
  ReadColumn(Query, "column_name", List);
}

}  // namespace

void GetConsCols(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& Owner,
                 const std::string& ConsName) {
  if (Blank(Owner) || Blank(ConsName)) {
    ShowDiagnosticMsg("GetConsCols:Cons Name or owner parameter is null");
    return;
  }
  if (List == nullptr) {
    ShowDiagnosticMsg("GetConsCols: Cons Cols Stringlist not created");
    return;
  }
  Require(Query != nullptr, "GetConsCols: Query parameter is nil");
  ReadConsCols(Db, Query, List, Owner, ConsName);
}

void GetConsCols2(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& Owner,
                  const std::string& ConsName) {
  Require(!Blank(Owner), "GetConsCols2:Owner is null");
  Require(!Blank(ConsName), "GetConsCols2:Cons Name is null");
  Require(List != nullptr, "GetConsCols2:Col List is nil");
  Require(Query != nullptr, "GetConsCols2: Query parameter is nil");
  ReadConsCols(Db, Query, List, Owner, ConsName);
}

void GetTrigCols(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& TableOwner,
                 const std::string& TableName, const std::string& TrigOwner,
                 const std::string& TrigName) {
  const char* const kNames = "GetTrigCols:Tab Name or owner parameter is null";
  if (Blank(TableOwner) || Blank(TableName) || Blank(TrigOwner) || Blank(TrigName)) {
    ShowDiagnosticMsg(kNames);
    return;
  }
  if (List == nullptr) {
    ShowDiagnosticMsg("GetTrigCols: Collist Parameter is nil");
    return;
  }
  if (Query == nullptr) {
    ShowDiagnosticMsg("GetTrigCols:Query Parameter is nil");
    return;
  }
  if (Db == nullptr) {
    ShowDiagnosticMsg("GetTrigCols: Database Parameter is nil");
    return;
  }
  CheckSessionAlive(Db);
  OpenLines(Db, Query,
            {" select column_name ", " from all_trigger_cols  ",
             " where table_owner = '" + Lit(TableOwner) + "'",
             " and table_name = '" + Lit(TableName) + "'",
             " and trigger_owner = '" + Lit(TrigOwner) + "'",
             " and trigger_name = '" + Lit(TrigName) + "'", " and column_list = 'YES'"});
  ReadColumn(Query, "column_name", List);
}

void GetTablespaces(TyDatabase* Db, TyQuery* Query, TStrings* List) {
  if (List == nullptr) {
    ShowDiagnosticMsg("GetTablespaces: TSpacelist Parameter is nil");
    return;
  }
  if (Query == nullptr) {
    ShowDiagnosticMsg("GetTablespaces:Query Parameter is nil");
    return;
  }
  if (Db == nullptr) {
    ShowDiagnosticMsg("GetTablespaces: Database Parameter is nil");
    return;
  }
  CheckSessionAlive(Db);
  TyHourglassScope hourglass;
  hourglass.Start();
  hourglass.ShowStatus("Loading Tablespaces ... ");
  OpenLines(Db, Query,
            {"select tablespace_name ", "from user_tablespaces ", "where status != 'INVALID' ",
             " order by tablespace_name "});
  ReadColumn(Query, "tablespace_name", List);
}

void GetTabIndexes(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                   const std::string& Name, TStrings* List) {
  Require(!Blank(Owner) && !Blank(Name), "GetTabIndexes: Name or owner parameter is null");
  Require(List != nullptr && Query != nullptr, "GetTabIndexes: List or Query parameter is nil");
  CheckSessionAlive(Db);
  List->Clear();
  OpenLines(Db, Query,
            {"SELECT OWNER,INDEX_NAME FROM ALL_INDEXES ", "WHERE TABLE_OWNER='" + Lit(Owner) + "' ",
             "AND   TABLE_NAME='" + Lit(Name) + "' ", "ORDER BY INDEX_NAME "});
  ReadQualified(Query, "INDEX_NAME", List);
}

void GetTabTriggers(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                    const std::string& Name, TStrings* List) {
  Require(!Blank(Owner) && !Blank(Name), "GetTabTriggers: Name or owner parameter is null");
  Require(List != nullptr && Query != nullptr, "GetTabTriggers: List or Query parameter is nil");
  CheckSessionAlive(Db);
  List->Clear();
  OpenLines(
      Db, Query,
      {"SELECT OWNER,TRIGGER_NAME FROM ALL_TRIGGERS ", "WHERE  TABLE_OWNER='" + Lit(Owner) + "' ",
       "AND    TABLE_NAME='" + Lit(Name) + "' ", "ORDER  BY TRIGGER_NAME "});
  ReadQualified(Query, "TRIGGER_NAME", List);
}

namespace {

void ReadConsDetails(TyQuery& Query, std::string& TableName, std::string& ConsType, bool& Enabled,
                     bool& Cascade) {
  TableName = Query.FieldByName("table_name")->AsString();
  ConsType = Query.FieldByName("constraint_type")->AsString();
  Enabled = Query.FieldByName("status")->AsString() != "DISABLED";
  Cascade = Query.FieldByName("delete_rule")->AsString() == "CASCADE";
}

}  // namespace

void GetConsDetails(TyDatabase* Db, const std::string& Owner, const std::string& ConsName,
                    std::string& TableName, std::string& ConsType, bool& Enabled, bool& Cascade) {
  // Set on entry: a caller that goes on after a missing constraint reads no stale values.
  TableName.clear();
  ConsType.clear();
  Enabled = false;
  Cascade = false;
  if (Blank(Owner)) {
    ShowDiagnosticMsg("GetConsDetails: Owner param is null.");
    return;
  }
  if (Blank(ConsName)) {
    ShowDiagnosticMsg("GetConsDetails:ConsName param is null.");
    return;
  }
  TyQuery query;
  OpenLines(Db, &query,
            {" select", " status,constraint_type, owner,table_name",
             " ,r_owner,r_constraint_name, delete_rule ",
             " from all_constraints where owner='" + Lit(Owner) + "' and ",
             " constraint_name='" + Lit(ConsName) + "' "});
  if (query.Eof()) {
    ShowErrorMsg("GetConsDetails: No records in DB for Constraint " + Owner + "." + ConsName);
    return;
  }
  ReadConsDetails(query, TableName, ConsType, Enabled, Cascade);
  query.Close();
}

void GetConsDetails2(TyDatabase* Db, const std::string& Owner, const std::string& ConsName,
                     std::string& TableName, std::string& ConsType, bool& Enabled, bool& Cascade) {
  TableName.clear();
  ConsType.clear();
  Enabled = false;
  Cascade = false;
  Require(!Blank(Owner), "GetConsDetails2:Owner param is null.");
  Require(!Blank(ConsName), "GetConsDetails2:ConsName param is null.");
  TyQuery query;
  OpenLines(Db, &query,
            {" select", " owner, status,constraint_type, owner,table_name",
             " ,nvl(r_owner,' ') r_owner, nvl(r_constraint_name,' ') r_constraint_name, "
             "nvl(delete_rule,' ') delete_rule",
             " from all_constraints where owner='" + Lit(Owner) + "' ",
             " and constraint_name='" + Lit(ConsName) + "' "});
  if (query.Eof()) {
    ShowErrorMsg("No records in DB for Constraint " + ConsName);
    return;
  }
  ReadConsDetails(query, TableName, ConsType, Enabled, Cascade);
  query.Close();
}

bool SynonymToTable(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                    const std::string& SynName, std::string& TableOwner, std::string& TableName,
                    std::string& DbLink) {
  Require(!Blank(Owner) && !Blank(SynName), "SynonymToTable: Name or owner parameter is null");
  CheckSessionAlive(Db);
  Require(Query != nullptr, "SynonymToTable: Query parameter is nil");
  OpenLines(Db, Query,
            {" SELECT TABLE_OWNER, TABLE_NAME, DB_LINK", " FROM ALL_SYNONYMS  ",
             " WHERE OWNER = '" + Lit(Owner) + "'", " AND SYNONYM_NAME = '" + Lit(SynName) + "'"});
  if (Query->Eof())
    throw EyIntError("SynonymToTable: Could not retreive Synonym from All_Synonyms");
  TableOwner = Query->FieldByName("table_owner")->AsString();
  TableName = Query->FieldByName("table_name")->AsString();
  DbLink = Query->FieldByName("db_link")->AsString();
  Query->Close();
  return true;
}

bool GetArgsForStoredProc(TyDatabase* Db, TyQuery* Query, int32_t ObjectId,
                          const std::string& ProcName, TyObjType ObjType, std::string& ReturnType,
                          TStrings* List) {
  ReturnType.clear();
  Require(List != nullptr && Query != nullptr,
          "GetArgsForStoredProc: List or Query parameter is nil");
  List->Clear();
  CheckSessionAlive(Db);
  if (ObjectId == 0) {
    ShowDiagnosticMsg("GetArgsForStoredProc: Object Id is 0");
    return false;
  }
  const bool packaged = ObjType == 16 || ObjType == 17;
  if (!(ObjType == 13 || ObjType == 14 || packaged)) return false;
  if (!CanUseArgumentView(Db)) return false;

  ResetQuery(Db, Query);
  Query->SQL().Add("SELECT OBJ#, PROCEDURE$,OVERLOAD#,POSITION,SEQUENCE#,");
  Query->SQL().Add("LEVEL#, ARGUMENT, TYPE, DEFAULT#, IN_OUT, LENGTH");
  Query->SQL().Add("FROM SYS.DUDEDOD_ARGUMENT$ ");
  Query->SQL().Add("WHERE OBJ#=" + IntToStr(ObjectId));
  if (packaged) Query->SQL().Add("AND PROCEDURE$='" + Lit(ProcName) + "'");
  Query->SQL().Add("ORDER BY 1,2,3,5");
  Query->Open();

  std::vector<std::string> lines;
  // Only the first overload is listed.
  const std::string overload =
      Query->Eof() ? std::string() : Query->FieldByName("OVERLOAD#")->AsString();
  for (; !Query->Eof(); Query->Next()) {
    if (Query->FieldByName("OVERLOAD#")->AsString() != overload) break;
    const int32_t type = Query->FieldByName("TYPE")->AsInteger();
    const std::string argument = Query->FieldByName("ARGUMENT")->AsString();
    if (Query->FieldByName("POSITION")->AsInteger() == 0) {
      ReturnType = ArgTypeName(type);
    } else if (Query->FieldByName("LEVEL#")->AsInteger() < 1 && !argument.empty()) {
      lines.push_back(argument + " " + ArgModeName(Query->FieldByName("IN_OUT")->AsInteger()) +
                      " " + ArgTypeName(type));
    } else if (Query->FieldByName("LEVEL#")->AsInteger() >= 1 && !lines.empty()) {
      // A field of a record argument: its type joins the argument's line.
      lines.back() += " " + ArgTypeName(type);
    }
  }
  Query->Close();
  for (const std::string& line : lines) List->Add(line);
  return true;
}

}  // namespace tess
