// The PL/SQL front end: the parser of program units, the cheap semantic checks the server
// makes at compile time, the rows of the argument view taken from parsed headers, and the
// splitter of SQL*Plus-style scripts.
//
// Compile messages carry the line and position (both 1-based) in the text that was parsed,
// as ALL_ERRORS gives them, and Oracle's wording ("PLS-00103: Encountered the symbol ...").
// Nothing here touches a database: what only the dictionary knows comes in through the
// resolver interfaces.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/plsql/ast.h"

namespace tess::oci7::plsql {

struct Message {
  size_t offset = 0;  // byte offset in the parsed text
  int line = 1;       // 1-based
  int position = 1;   // 1-based column, in characters
  std::string text;   // "PLS-00103: Encountered the symbol ..." (may span lines)
};

struct LineColumn {
  int line = 1;
  int column = 1;
};
LineColumn LineColumnAt(std::string_view text, size_t offset);

struct ParseResult {
  std::unique_ptr<Unit> unit;   // null when the text is not even a unit's beginning
  std::vector<Message> errors;  // sorted by line and position; empty when the text is sound
  bool ok() const { return unit && errors.empty(); }
};

// Parses one program unit: an anonymous block ([<<label>>] [DECLARE] BEGIN ... END;) or
// a stored program, with or without CREATE [OR REPLACE] in front (the stored source begins
// at the kind word: PROCEDURE, FUNCTION, PACKAGE [BODY], TRIGGER, TYPE [BODY]).  A final
// "/" line is allowed.  Syntax errors stop the parse at the first one; the unit built so
// far (the header at least, when it was read) is returned with it.
ParseResult ParseUnit(std::string_view text);

// The kind, owner and name of a CREATE statement's unit without parsing its body;
// nullopt when the text is no CREATE of a PL/SQL unit.
struct UnitHeader {
  UnitKind kind = UnitKind::Anonymous;
  bool orReplace = false;
  std::string owner, name;
  size_t offset = 0;  // the kind word
};
std::optional<UnitHeader> ReadUnitHeader(std::string_view text);

// Parses a PL/SQL expression on its own (a trigger's WHEN condition, a default value).
// Throws nothing: errors come back in `errors`.
ExprPtr ParseExpression(std::string_view text, std::vector<Message>& errors);

// ---------------------------------------------------------------------------------------
// Semantic checks

// What the dictionary knows, for the checks that need it.  Every member may be empty:
// then that question is undecidable and nothing is reported.
struct Environment {
  // True when NAME (upper-case; with OWNER for another schema's, "" for the unit's own or
  // a public synonym) names a schema object the unit may call or use: a procedure,
  // function, package, sequence, table, view or a synonym of one.
  std::function<bool(const std::string& owner, const std::string& name)> isSchemaObject;
  // True when NAME is a user (a schema that may qualify the next name).
  std::function<bool(const std::string& name)> isUser;
  // The names a package body may use from its own specification (variables, constants,
  // cursors, types, exceptions, subprograms), upper-case; nullopt when unknown.
  std::function<std::optional<std::vector<std::string>>(const std::string& packageName)>
      packageSpecNames;
  // The error the dictionary finds in an embedded SQL statement (the text of a SqlText):
  // a table or view that is not there.  Gives its byte offset in `sql` and the message
  // ("ORA-00942: ..."); `isDeclared` tells the names the PL/SQL around it declares.
  std::function<std::optional<std::pair<size_t, std::string>>(
      const std::string& sql, const std::function<bool(const std::string&)>& isDeclared)>
      checkSql;
  // For OWNER and NAME as isSchemaObject takes them, naming a stored procedure, function
  // or package that is INVALID and stays so when compiled again: its "OWNER.NAME"
  // (PLS-00905 where it is called).
  std::function<std::optional<std::string>(const std::string& owner, const std::string& name)>
      invalidProgram;
};

// The cheap checks the server makes after a clean parse: the END name of a unit or
// subprogram (PLS-00113), SELECT without INTO (PLS-00428), undeclared identifiers in
// PL/SQL statements (PLS-00201, with "PL/SQL: Statement ignored"), tables of embedded SQL
// that are not there ("PL/SQL: ORA-00942", with "PL/SQL: SQL Statement ignored"), stored
// programs used that stay invalid (PLS-00905), where decidable.
std::vector<Message> CheckUnit(const Unit& unit, std::string_view text, const Environment& env);

// Parse and check in one call: the errors of both, sorted.
ParseResult CompileUnit(std::string_view text, const Environment& env);

// ---------------------------------------------------------------------------------------
// The argument view

// One row of the argument view, without OBJ#.
struct ArgumentRow {
  std::string procedure;    // PROCEDURE$: the member's name in a package; "" (NULL) for a
                            // stand-alone procedure or function
  int overload = 0;         // OVERLOAD#: 0, or 1.. for the overloads of one name in a package
  int position = 0;         // POSITION: 0 the function result, 1.. the arguments; fields of a
                            // record: their position in the record
  int sequence = 0;         // SEQUENCE#: 1.. within the procedure, in order
  int level = 0;            // LEVEL#: 0 arguments, 1.. fields of record arguments
  std::string argument;     // ARGUMENT: "" (NULL) for the result and for "no arguments"
  int type = 0;             // TYPE: 1 VARCHAR2, 2 NUMBER, 3 native integer, 8 LONG, ...
  bool hasDefault = false;  // DEFAULT#: 1 when a default is given, else NULL
  int inOut = 0;            // IN_OUT: 0 IN, 1 OUT, 2 IN OUT
  int length = 0;           // LENGTH: declared length, or 0
};

// What a %TYPE, %ROWTYPE or user type in an argument stands for, when the dictionary
// knows it.
struct ResolvedType {
  int type = 0;
  int length = 0;
  // For records (%ROWTYPE, record types): the fields.
  struct FieldType {
    std::string name;
    int type = 0;
    int length = 0;
  };
  std::vector<FieldType> fields;
};
using TypeResolver = std::function<std::optional<ResolvedType>(const TypeSpec&)>;

// The dictionary type code of a type written in PL/SQL, resolving names declared in the
// unit itself (record and table types of a package) and, through `resolver`, the rest.
ResolvedType ResolveArgumentType(const TypeSpec& type, const Unit& unit,
                                 const TypeResolver& resolver);

// The argument rows of a procedure, a function or every subprogram of a package
// specification (other units give none).
std::vector<ArgumentRow> ArgumentRows(const Unit& unit, const TypeResolver& resolver = {});

// ---------------------------------------------------------------------------------------
// Scripts

struct ScriptStatement {
  enum Kind {
    Sql,      // a SQL statement (ended by ";" or a "/" line; the ";" is not in text)
    Plsql,    // a PL/SQL unit or block (ended by a "/" line or the end of the script)
    Command,  // a SQL*Plus command (SET, PROMPT, @file, DEFINE, ...), one logical line
  } kind = Sql;
  size_t offset = 0;  // of the first character in the script
  int line = 1;       // of the first character
  std::string text;
};

// Splits a script as SQL*Plus reads it: PL/SQL units run until a line holding only "/"
// (or "."), SQL statements until ";" at the end of a line or a "/" line, and lines that
// begin with a SQL*Plus command word are commands.  Comments and blank lines between
// statements are skipped.
std::vector<ScriptStatement> SplitScript(std::string_view script);

}  // namespace tess::oci7::plsql
