// Small services shared by the SQL editor, the script runner, the main window, the
// browser and the editors: the kind of a statement from its first word, statements run
// with their error shown in a box (and echoed to the processing-output window), COMMIT
// and ROLLBACK, the maps from an object-type code to the browser's classes, the server's
// date and time, the lookup of a session by its label, and the OLE engine holder.
#pragma once

#include <cstdint>
#include <string>

#include "services/object_model.h"
#include "services/text_routines.h"

namespace tess {

class TyDatabase;
class TyOraIp;
class TyQuery;

// Statement kinds, from the first word of a statement.
enum : uint8_t {
  stSelect = 0,
  stInsert = 1,
  stUpdate = 2,
  stDelete = 3,
  stPlsqlBlock = 4,  // BEGIN or DECLARE
  stCreate = 5,
  stCommit = 6,
  stRollback = 7,
  stDefine = 8,    // DEF ... DEFINE of the script runner
  stUndefine = 9,  // UNDEF ... UNDEFINE
  stOther = 10,
};

// The kind of the statement whose first word is FirstWord (trimmed, any case); a word
// with anything glued to it ("BEGIN;") is stOther.
uint8_t GetSQLStatementType(const std::string& FirstWord);

// Runs the SQL already in Query.  A failure (EySQLError) is shown in an error box and,
// with EchoToOutput, written to the processing-output window under Caption with the
// failing line and a marker under the error column; the answer is then false.
bool ExecSQLShowError(TyDatabase* Db, TyQuery* Query, const std::string& Caption,
                      bool EchoToOutput);
bool ExecSQLCancellableShowError(TyDatabase* Db, TyQuery* Query, const std::string& Caption,
                                 bool EchoToOutput);

// COMMIT and ROLLBACK on the shared query; a failure is shown and echoed as
// "COMMIT - Processing error ... " or "ROLLBACK - Processing error ... ".
bool CommitTransaction(TyDatabase* Db);
bool RollbackTransaction(TyDatabase* Db);

// The browser's header (folder) class and object class of an object-type code; null for
// a kind that has no node of that level.
TyObjectClass GetHeaderClassOfObjType(TyObjType Code);
TyObjectClass GetObjectClassOfObjType(TyObjType Code);

// The server's Julian day and seconds since midnight (both 0 when DUAL gives no row).
void GetServerTimestamp(TyDatabase* Db, int32_t& JulianDay, int32_t& SecondsOfDay);

// The session labelled Name: a session of the main window's list, else the debug session
// of one of them (each connected session of the list is asked for it in list order,
// which makes and connects the missing ones, and raises EySQLError when one cannot
// connect), else the SQL editor's running session or its connected debug session; null
// when none.
TyDatabase* FindDatabaseByName(const std::string& Name);

// The OLE engine holder gOraIp, initialised on first use; raises EyIntError "gOraIp is
// nil" or "Unable to initialize Oracle connectivity engine".
TyOraIp* GetOraIp();

}  // namespace tess
