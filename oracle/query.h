// TyQuery: the program-wide query object, and TyField, one column of its result.
//
// The calling order is Close, SetDatabaseName (the session's label), SQL cleared and
// filled, Open or ExecSQL (or their cancellable forms), then FieldByName or Fields read and
// Next until Eof().  Open and ExecSQL answer true or raise EySQLError; the error is also
// recorded in the error fields, with the line and column of a parse error.
//
// Rows are fetched in batches of five into the column buffers; Next moves within a batch
// without a server call.  A cancellable run switches the connection to non-blocking mode,
// pumps the application's messages between polls and stops on the progress window's
// Cancel flag with "ST-ORA-1013 User requested cancel of current operation." (code 1013).
// Whatever happens, a cancellable run leaves the session not Busy and the connection
// blocking (StartExecSQL on purpose leaves a running statement for WaitExecSQL).
//
// Invariants: Eof() is true whenever the query is not active; every TyField belongs to the
// current result and is freed with it (Close, a new Open, ExecPrepared).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/core/strings.h"
#include "oracle/params.h"

namespace tess {

class EDatabaseError;
class TOracleQuery;
class TyDatabase;

namespace platform {
class AutomationError;
class AutomationObject;
}

class TyStringList : public TStringList {
 public:
  using TStringList::TStringList;
};

// Column type codes of TyField.
enum : uint8_t {
  ftVarchar2 = 0,
  ftNumber = 1,
  ftLong = 2,
  ftRowid = 3,
  ftDate = 4,
  ftRaw = 5,
  ftLongRaw = 6,
  ftMlsLabel = 8,
  ftOther = 9,
};

// The parameter type a column type code is bound as (0 and 7 oVarchar2 ... others
// oUnknown); the SQL editor binds edited grid values with it.
TParamType FieldTypeToParamType(uint8_t Code);

class TyField : public TObject {
 public:
  TyField(uint8_t Engine, TParam* Column);
  // A field of engine 0: the server's field object, read afresh for every row.
  explicit TyField(std::shared_ptr<platform::AutomationObject> OleField);

  // The value of the current row as text (NULL gives the empty text).  The text stays the
  // field's until its next AsString: reading a column row after row builds no new string.
  const std::string& AsString() const;
  std::string DisplayText() const { return AsString(); }
  int32_t AsInteger() const;
  uint8_t DataType() const { return data_type_; }
  std::string FieldName() const;
  // Width in characters for grids and printing.
  int32_t DisplayWidth() const;

  TParam* Column() const { return column_; }

 private:
  // The server field's Value (engine 0); its failures become EySQLError.
  std::string OleValueText() const;

  uint8_t engine_;
  TParam* column_;
  uint8_t data_type_;
  std::shared_ptr<platform::AutomationObject> ole_field_;
  mutable std::string text_;  // what AsString gave last
};

class TyQuery : public TObject {
 public:
  TyQuery();
  ~TyQuery() override;
  TyQuery(const TyQuery&) = delete;
  TyQuery& operator=(const TyQuery&) = delete;

  // The session becomes the one FindDatabaseByName gives for Name (none when no session
  // has that name).
  void SetDatabaseName(const std::string& Name);
  // Binds to a session directly (the session's own statements use this).
  void SetDatabase(TyDatabase* Db);
  TyDatabase* Database() const { return db_; }

  TyStringList& SQL() { return sql_; }
  // The SQL lines joined with line feeds (none after the last).
  std::string BuildSQLText() const;
  // Clears the results and closes the statement.
  void Close();

  // The column of that name, ignoring case; raises EySQLError "Unable to locate column in
  // query results - " + Name.
  TyField* FieldByName(const std::string& Name) const;
  // Zero-based; null when the query has no columns; raises EySQLError "Invalid index,
  // column not found - " + Index for an index outside the columns.
  TyField* Fields(int32_t Index) const;
  int32_t FieldCount() const { return field_list_.Count(); }
  // The open query already stands on its first row.
  void First() {}
  void TransactionEnded() {}

  bool Open();
  bool OpenCancellable();
  bool ExecSQL();
  bool ExecSQLCancellable();
  // The working forms: false with the error recorded instead of raising.  A user cancel
  // of InternalOpen passes to the caller; InternalExecSQL records it.
  bool InternalOpen(bool Cancellable);
  bool InternalExecSQL(bool Cancellable);
  // As InternalExecSQL with the NonBlocking preference, for Text instead of the SQL lines.
  bool ExecSQLText(const std::string& Text);
  // Parses the SQL lines and finds their bind variables, which the caller then types and
  // fills in Statement()->Params(); a server error is recorded and raised as it is.
  bool Prepare();
  // Executes what Prepare parsed, keeping its parameters; output parameters can be read
  // afterwards.  False after a user cancel.
  bool ExecPrepared();
  // Starts a statement and, when it is still running in non-blocking mode, returns at
  // once leaving it running and the session Busy; WaitExecSQL finishes it.
  bool StartExecSQL(bool Cancellable);
  // False, with ErrorText "No SQL statement started", when no StartExecSQL went before.
  bool WaitExecSQL();
  // The next row.  A fetch error sets Eof() and raises EySQLError.
  void Next();

  bool BOF() const { return bof_; }
  bool Eof() const { return eof_; }
  bool Active() const { return active_; }
  int32_t RowCount() const { return row_count_; }
  int32_t BatchSize() const { return batch_size_; }
  const std::string& ErrorText() const { return error_text_; }
  int32_t ErrorCode() const { return error_code_; }
  const std::string& ServerErrorText() const { return server_error_text_; }
  // 0-based byte offset of the parse error into the statement text.
  int32_t ErrorPos() const { return error_pos_; }
  int32_t ErrorLine() const { return error_line_; }
  int32_t ErrorColumn() const { return error_column_; }
  // The statement text sent last.
  const std::string& LastSQLText() const { return last_text_; }
  TOracleQuery* Statement() const { return statement_.get(); }

  // Records a server error (E null: no error).  Lost-connection codes mark the session.
  // With ComputePosition the line and column of the parse error offset are worked out.
  void LoadOciError(const EDatabaseError* E, bool ComputePosition);
  // Records a failure of the automation server (engine 0): code and text from its
  // exception, ServerErrorText and ErrorPos from the server's database object.
  void LoadOleError(const platform::AutomationError& E);

 private:
  friend class TyDatabase;

  void ClearResults();
  void ClearError();
  // ErrorLine and ErrorColumn of ErrorPos in the statement text (1 and 1 without one).
  void ComputeErrorPosition(bool Compute);
  bool IsOle() const;
  // Engine 0: the server's dynaset and its fields; false with the error recorded.
  bool OleOpen();
  // Engine 0: the server's ExecuteSQL; false with the error recorded.
  bool OleExec();
  void OleNext();
  // Steps shared by the working forms: session and engine checks, busy check, statement
  // text.  False when there is no text to run.
  bool BeginRun(const std::string& Text, bool ParseForParams);
  // Gives the statement the text BeginRun took and prepares it, blocking.
  void SetUpStatement();
  // Executes the statement set up by BeginRun; false with the error recorded.
  bool RunExec(bool Cancellable);
  void RecordCancel(const std::string& Message, int32_t Code);
  [[noreturn]] void RaiseRecorded();
  // Runs First blocking, or, when Cancellable and the session can run non-blocking, in
  // the cancellable loop: First, then Again while the statement is still executing,
  // pumping messages and watching the cancel flag.  Executes tells that the statement
  // executes rather than opens; LeaveRunning returns while it still runs.
  void Run(bool Cancellable, const std::function<void()>& First,
           const std::function<void()>& Again, bool Executes, bool LeaveRunning);
  // Run with the statement's execution and its continuation.
  void Execute(bool Cancellable, bool LeaveRunning);
  void PollUntilDone(const std::function<void()>& Again, bool Executes);
  // A break answered by the server (1013) gives the statement up; 3126 means the
  // connection cannot run non-blocking after all.
  void NoteRunError(const EDatabaseError& E);
  void BreakAndRaiseCancel(bool Executes);
  void FinishRun() noexcept;
  void FinishRunChecked();
  void TakeFirstBatch();
  void CheckSession() const;
  // Called by the session when it is freed.
  void SessionGone() { db_ = nullptr; }

  TyDatabase* db_ = nullptr;
  std::shared_ptr<platform::AutomationObject> ole_dynaset_;
  std::unique_ptr<TOracleQuery> statement_;
  TyStringList sql_;
  bool bof_ = false;
  bool eof_ = true;
  std::string last_text_;
  TyStringList field_list_{true};  // owns its TyField objects
  int32_t row_index_ = 0;
  bool active_ = false;
  int32_t row_count_ = 0;
  std::string error_text_;
  int32_t error_code_ = 0;
  std::string server_error_text_;
  int32_t error_pos_ = 0;
  int32_t error_line_ = 0;
  int32_t error_column_ = 0;
  int32_t batch_size_ = 5;
  bool parse_for_params_ = false;
  bool started_ = false;  // StartExecSQL began a statement WaitExecSQL has not yet waited for
};

}  // namespace tess
