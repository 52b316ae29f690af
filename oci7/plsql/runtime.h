// The PL/SQL interpreter: it runs the trees of the front end (anonymous blocks, stored
// procedures and functions, packages, trigger bodies) over a host that executes SQL, holds
// the caller's bind variables, the stored programs and the session's server output.
//
// Values carry PL/SQL's kinds: numbers (as doubles), character strings, dates (in the
// stored form 'YYYY-MM-DD HH24:MI:SS'), booleans, raw bytes, records, PL/SQL tables and
// cursors.  Records and tables are copied on assignment; cursors are shared references.
// Failures leave the interpreter as OraError with the server's code and wording, the
// "ORA-06512: at ..." lines of the units the error passed through appended.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "oci7/dialect/ora_error.h"
#include "oci7/plsql/ast.h"
#include "oci7/plsql/front.h"

namespace tess::oci7::plsql {

struct RecordValue;
struct TableValue;
struct CursorValue;

struct Value {
  enum Kind : uint8_t { Null, Number, Text, Date, Boolean, Raw, Record, Table, Cursor };
  Kind kind = Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // Text; Date in the stored form; Raw bytes
  // Text of CHAR type (a CHAR variable or a literal): two such compare blank-padded.
  bool fixedChar = false;
  std::shared_ptr<RecordValue> record;
  std::shared_ptr<TableValue> table;
  std::shared_ptr<CursorValue> cursor;

  static Value Num(double n);
  static Value Str(std::string s);  // "" is NULL, as in Oracle
  static Value DateOf(std::string stored);
  static Value Bool(bool b);
  static Value RawOf(std::string bytes);
  bool IsNull() const { return kind == Null; }
  // A deep copy: records and tables are values, cursors stay shared.
  Value Copy() const;
};

struct RecordValue {
  std::vector<std::string> names;
  std::vector<Value> values;
  int Find(const std::string& name) const;
};

// An index of a PL/SQL table: BINARY_INTEGER keys order as numbers, VARCHAR2 keys as text.
struct TableKey {
  bool isText = false;
  double number = 0;
  std::string text;
  bool operator<(const TableKey& o) const {
    if (isText != o.isText) return !isText;
    return isText ? text < o.text : number < o.number;
  }
};

struct TableValue {
  std::map<TableKey, Value> elements;
};

// A statement the host has prepared for the interpreter.
class SqlStatement {
 public:
  virtual ~SqlStatement() = default;
  // The placeholders in order of first appearance (names upper-cased, no colon), and
  // for each whether it names a PL/SQL variable rather than a bind of the caller.
  virtual const std::vector<std::string>& Binds() const = 0;
  virtual const std::vector<bool>& VariableBinds() const = 0;
  // A query's column names, as Oracle names them; empty for other statements.
  virtual const std::vector<std::string>& Columns() const = 0;
  virtual bool IsQuery() const = 0;
  // Runs the statement with one value per Binds() entry.  A query is then positioned
  // before its first row; other statements have run to completion.
  virtual void Execute(const std::vector<Value>& values) = 0;
  // The next row of a query; false after the last.
  virtual bool Fetch(std::vector<Value>& row) = 0;
  // Rows a DML statement touched.
  virtual int64_t RowsAffected() const = 0;
};

// The state of an explicit cursor or a cursor variable.
struct CursorValue {
  std::unique_ptr<SqlStatement> statement;
  bool isOpen = false;
  int found = -1;  // -1: nothing fetched yet (%FOUND is NULL)
  int64_t rowCount = 0;
  std::vector<std::string> columns;
};

// A stored program as the dictionary holds it.
struct StoredUnit {
  std::string owner, name;
  UnitKind kind = UnitKind::Procedure;
  std::string text;  // the stored source, from the kind word on
  std::shared_ptr<const Unit> unit;
};

// A column of a table, for %TYPE and %ROWTYPE.
struct ColumnType {
  std::string name;
  int type = 0;  // Oracle type code: 1 VARCHAR2, 2 NUMBER, 12 DATE, 96 CHAR, ...
  int length = 0;
  int precision = 0;
  int scale = 0;
  bool hasScale = false;
};

// What a name the program uses stands for in the dictionary, after synonyms.
struct ProgramRef {
  std::string owner, name;
  UnitKind kind = UnitKind::Procedure;  // Procedure, Function or Package
};

class Host {
 public:
  virtual ~Host() = default;

  // SQL.  `schema` is the schema names resolve in (the owner of a stored program, the
  // session user for anonymous blocks); `isVariable` says whether a name the statement
  // uses (NAME or NAME.FIELD) is a PL/SQL variable, and `variableType` its Oracle type
  // code (TranslateContext).  Throws OraError.
  virtual std::unique_ptr<SqlStatement> Prepare(
      std::string_view sql, const std::string& schema,
      const std::function<bool(const std::string&)>& isVariable,
      const std::function<int(const std::string&)>& variableType = {}) = 0;
  // A SQL expression over :1, :2, ... (a built-in function call), evaluated with `args`.
  virtual Value Evaluate(const std::string& expression, const std::vector<Value>& args) = 0;

  // The caller's bind variables (:name).  ReadBind answers nullopt for a name not bound.
  virtual std::optional<Value> ReadBind(const std::string& name) = 0;
  virtual void WriteBind(const std::string& name, const Value& value) = 0;

  virtual void Commit() = 0;
  virtual void Rollback(const std::string& savepoint) = 0;  // "" for the whole transaction
  virtual void Savepoint(const std::string& name) = 0;

  // The dictionary.
  virtual std::optional<ProgramRef> FindProgram(const std::string& schema, const std::string& owner,
                                                const std::string& name) = 0;
  // The unit itself, compiled and valid; throws OraError when it is invalid or missing.
  virtual std::shared_ptr<const StoredUnit> LoadUnit(const std::string& owner,
                                                     const std::string& name, UnitKind kind) = 0;
  virtual std::optional<std::vector<ColumnType>> TableColumns(const std::string& schema,
                                                              const std::string& owner,
                                                              const std::string& name) = 0;

  // The session.
  virtual std::string DateFormat() = 0;
  virtual void OutputEnable(std::optional<int64_t> bufferSize) = 0;
  virtual void OutputDisable() = 0;
  virtual void OutputPut(const std::string& text) = 0;  // throws ORU errors as ORA-20000
  virtual void OutputNewLine() = 0;
  virtual std::optional<std::string> OutputGetLine() = 0;
  virtual void Sleep(double seconds) = 0;
  virtual void CheckCancel() = 0;
};

// One row a trigger sees: :OLD and :NEW by column, and what fired it.
struct TriggerRow {
  std::vector<std::string> columns;
  std::vector<Value> oldValues, newValues;  // empty when the event has none
  std::vector<std::string> updatedColumns;  // UPDATING('COL')
};

enum class TriggerEvent { Insert, Update, Delete };

// The interpreter of one session: package state lives here between calls.
class Runtime {
 public:
  Runtime();
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // Runs an anonymous block parsed from `text` in `schema`.  Throws OraError.
  void RunBlock(Host& host, const Unit& unit, std::string_view text, const std::string& schema);
  // Runs a trigger's body for one row (row-level) or for the statement (row null);
  // :NEW changes of a row trigger are left in row->newValues.
  void FireTrigger(Host& host, const StoredUnit& trigger, TriggerEvent event, TriggerRow* row);
  // Evaluates a trigger's WHEN condition for a row.
  bool TriggerCondition(Host& host, const StoredUnit& trigger, TriggerEvent event, TriggerRow& row);
  // Forgets a package's state (it was replaced, dropped or invalidated).
  void ResetPackage(const std::string& owner, const std::string& name);
  // Whether this runtime has initialised the package (its variables live).
  bool HasPackageState(const std::string& owner, const std::string& name) const;
  void ResetAll();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The constructs the interpreter does not run, as compile errors ("PLS-00999:
// implementation restriction (may be temporary) ..."), so that nothing outside the subset
// can be mistaken for a silent no-op.
std::vector<Message> CheckSubset(const Unit& unit, std::string_view text);

// Value helpers shared by the interpreter and its hosts.
// The text form of a scalar (numbers as Oracle prints them, dates in `dateFormat`, raw
// as hex); throws OraError 6502 for booleans and composites.
std::string ValueToText(const Value& v, const std::string& dateFormat);
// Raises the server's ORA-06502 with its detail ("character string buffer too small").
[[noreturn]] void ThrowValueError(const std::string& detail);

}  // namespace tess::oci7::plsql
