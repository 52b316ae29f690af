// Name lists from the data dictionary for the object editors, the SQL tools and the
// browser: the columns of a table, view, synonym, index, constraint and of a trigger's
// UPDATE OF list; the indexes and triggers of a table; the user's tablespaces; the details
// of a constraint; the target of a synonym; the arguments of a stored program (from the
// optional view SYS.DUDEDOD_ARGUMENT$).
//
// Names are pasted into the statements as SQL string literals with their quotes doubled,
// in the case the dictionary stores them.  A routine that sets a list clears it first;
// GetTrigCols and GetTablespaces append.
#pragma once

#include <cstdint>
#include <string>

#include "services/text_routines.h"

namespace tess {

class TStrings;
class TyDatabase;
class TyQuery;

// The argument type name of a dictionary type code ("" for 0 and unknown codes), and the
// mode name of an IN_OUT code.
std::string ArgTypeName(int32_t Code);
std::string ArgModeName(int32_t Code);

void GetTabCols(const std::string& Owner, const std::string& Table, TyDatabase* Db, TyQuery* Query,
                TStrings* List, bool ExcludeLong);
// ObjType: table 0, view 2 or synonym 20 (a synonym is followed to its table, over its
// database link when it has one).
void GetObjCols(TyDatabase* Db, TyQuery* Query, TyObjType ObjType, const std::string& Owner,
                const std::string& Name, TStrings* List, bool ExcludeLong);
void GetIndCols(const std::string& TableOwner, const std::string& TableName,
                const std::string& IndexOwner, const std::string& IndexName, TyDatabase* Db,
                TyQuery* Query, TStrings* List);
void GetConsCols(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& Owner,
                 const std::string& ConsName);
// As GetConsCols, raising EyIntError for bad arguments.
void GetConsCols2(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& Owner,
                  const std::string& ConsName);
void GetTrigCols(TyDatabase* Db, TyQuery* Query, TStrings* List, const std::string& TableOwner,
                 const std::string& TableName, const std::string& TrigOwner,
                 const std::string& TrigName);
void GetTablespaces(TyDatabase* Db, TyQuery* Query, TStrings* List);
void GetTabIndexes(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                   const std::string& Name, TStrings* List);
void GetTabTriggers(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                    const std::string& Name, TStrings* List);
// The outputs are cleared on entry, so a constraint that is not found leaves them empty
// and false.
void GetConsDetails(TyDatabase* Db, const std::string& Owner, const std::string& ConsName,
                    std::string& TableName, std::string& ConsType, bool& Enabled, bool& Cascade);
void GetConsDetails2(TyDatabase* Db, const std::string& Owner, const std::string& ConsName,
                     std::string& TableName, std::string& ConsType, bool& Enabled, bool& Cascade);
bool SynonymToTable(TyDatabase* Db, TyQuery* Query, const std::string& Owner,
                    const std::string& SynName, std::string& TableOwner, std::string& TableName,
                    std::string& DbLink);
// The argument lines ("NAME MODE TYPE", record fields adding their types) of the first
// overload of a procedure (13), function (14), packaged procedure (16) or packaged
// function (17); a function's return type goes to ReturnType.  False when the view cannot
// be read or the kind has no arguments to list.
bool GetArgsForStoredProc(TyDatabase* Db, TyQuery* Query, int32_t ObjectId,
                          const std::string& ProcName, TyObjType ObjType, std::string& ReturnType,
                          TStrings* List);

}  // namespace tess
