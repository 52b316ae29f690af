// Stored programs: compiling an editor's text as a stored program, reading its compile
// errors into an error memo and list and jumping to them, loading LONG columns (stored
// source, view text) into editors, buffers and lists, checking after a compile that the
// server holds the whole source, naming the temporary copy a safe edit compiles first,
// and reading the kind, owner and name from the header of a CREATE statement.
//
// Names are pasted into the statements as SQL string literals with their quotes doubled.
// The hourglass, the status window and an editor's update are undone on every way out.
// Invariant: the error memo's line i and the error list's entry i describe one error;
// LoadStoredPgmErrors only ever appends to both together.
#pragma once

#include <cstdint>
#include <string>

#include "services/editor_access.h"
#include "services/text_routines.h"

namespace tess {

class TStrings;
class TyDatabase;
class TyParserA;
class TyQuery;

// Runs "CREATE [OR REPLACE] " + the editor's paragraphs, each followed by a line feed (a
// blank last paragraph left out), on the query's session; Sql holds the statement.  False
// without running anything when the editor holds nothing but blanks; otherwise the
// result of TyQuery::ExecSQLText.
bool CreateStoredPgmFromEditor(TyQuery* Query, TyEditorAccess* Editor, bool CreateOnly,
                               std::string& Sql);

// Appends the program's ALL_ERRORS rows, one memo line and one list entry per line of
// each error's text.  A blank owner means the session user.
void LoadStoredPgmErrors(TyDatabase* Db, TyQuery* Query, TyMemoAccess* ErrMemo,
                         TyStoredPgmErrorList* Errors, const std::string& Owner,
                         const std::string& Name, const std::string& PgmType);

// Places the editor's caret on error Index (0-based), its line moved by LineOffset (a
// result below 1 is taken as 1), and selects the word there.
void GotoStoredPgmError(TyMemoAccess* ErrMemo, const TyStoredPgmErrorList* Errors,
                        int32_t LineOffset, TyEditorAccess* Editor, int32_t Index);

// Selects memo line Index (0-based) and scrolls it into view.
void SelectMemoLine(TyMemoAccess* Memo, int32_t Index);

// The LONG column FieldName of the open query's current row, split into lines without
// the trailing blank ones, appended to the editor / the list; or copied into Buf, which
// holds BufSize characters and a terminating null.
void LoadEditorFromLong(TyQuery* Query, const std::string& FieldName, TyEditorAccess* Editor);
void LoadTextBufFromLong(TyQuery* Query, const std::string& FieldName, char* Buf, int32_t BufSize);
void LoadStrListFromLong(TyQuery* Query, const std::string& FieldName, TStrings* List);

// True when the server's ALL_SOURCE holds fewer lines than the editor's display lines
// less four (or gives no count).  False when a name is blank.
bool IsStoredPgmTruncated(TyDatabase* Db, TyQuery* Query, const std::string& PgmType,
                          const std::string& Owner, const std::string& Name, TyEditorAccess* Editor,
                          bool ShowStatus);

// "ST$_" + the first 20 characters of BaseName + "_" + a random number below 10000,
// upper-cased, that names no object of the session user.
void MakeTempObjectName(TyDatabase* Db, const std::string& BaseName, std::string& Result);

// With the scanner just past CREATE: the object-type code (trigger 5, procedure 13,
// function 14, package 15, package body 18), the upper-cased owner (empty when not
// given) and name, and the line of the kind word; for a trigger the line its body starts
// on (DECLARE, else BEGIN), from which the server counts the lines of its errors.
bool ParseCreateStoredPgmHeader(TyParserA& Parser, TyObjType& ObjType, std::string& Owner,
                                std::string& Name, int32_t& Line);

}  // namespace tess
