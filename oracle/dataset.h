// The engine-neutral statement.  TDataSetLite holds the bind parameters and the result
// columns, attaches to a named connection of its session and drives the statement
// through its states; each engine step is a virtual operation that a descendant fills in.
// TQueryLite adds the SQL text and the scanner that finds its bind variables.
//
// States: 0 closed, 1 prepared, 2 fetching (a full batch came back, more may follow),
// 3 executing.  closed -> DoPrepare -> prepared -> OpenEx -> fetching -> FetchMore until a
// short batch -> prepared; ExecuteEx passes through executing back to prepared.
//
// Non-blocking calls: a step that the engine answers with "still running" leaves
// StillExecuting set, and the matching continuation (ContinueOpen, ContinueExecute, or
// FetchMore again) repeats the engine call until it completes.
//
// A failed engine step leaves State as it was at the failing step (3 after a failed
// execution) until the next EndFetch, Close or prepare.
#pragma once

#include <cassert>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/classes.h"
#include "oracle/params.h"

namespace tess {

// The states of a statement (TDataSetLite::State()), as described above.
enum : uint8_t { kStateClosed = 0, kStatePrepared = 1, kStateFetching = 2, kStateExecuting = 3 };

class TDatabaseLite;
class TSession;

class TDataSetLite : public TComponent {
 public:
  // Session is the one GetSession() answers (see TDatabaseLite); the statement is listed
  // in it for its lifetime.
  TDataSetLite(TComponent* AOwner, TSession* Session, TParamClass ParamClass);
  // As above, with Rows as the default dimension of Fields.
  TDataSetLite(TComponent* AOwner, TSession* Session, TParamClass ParamClass, int32_t Rows);
  // Descendants close the statement in their own destructor, while their steps exist.
  ~TDataSetLite() override;

  // --- engine steps, in slot order -------------------------------------------------------
  virtual void BindParams(TParams* List) = 0;
  virtual void ParseParams(TParams* List) = 0;
  virtual void DescribeFields(TParams* List) = 0;
  virtual void RefreshParams();
  virtual void RefreshFields();
  virtual void CancelFetch() = 0;
  virtual void AfterCancelFetch() = 0;
  virtual void Execute(int32_t Iterations, int32_t RowOffset) = 0;
  virtual void FetchNext(int32_t Rows) = 0;
  virtual void ExecuteAndFetch(int32_t Rows, bool CancelAfter) = 0;
  virtual void Prepare() = 0;
  virtual void Unprepare() = 0;
  virtual TSession* GetSession() = 0;

  // --- driving the statement ---------------------------------------------------------------
  void AttachDatabase();
  void SetPrepared(bool Value);
  bool Prepared() const { return state_ != kStateClosed; }
  void DoPrepare();
  void DoUnprepare();
  void EndFetch();
  void Close();
  void ExecSQL();
  void ExecuteEx(int32_t Iterations, int32_t RowOffset);
  void ContinueExecute();
  void Open();
  void OpenEx(int32_t Rows, bool CancelAfter);
  void ContinueOpen(int32_t Rows, bool CancelAfter);
  void FetchMore(int32_t Rows);
  // The text of the first column of every row, added to List.
  void GetFirstColumnValues(TStrings* List);

  // --- properties ------------------------------------------------------------------------
  TParams* Params() const { return params_.get(); }
  TFields* Fields() const { return fields_.get(); }
  uint8_t State() const { return state_; }
  TDatabaseLite* Database() const { return database_; }
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(const std::string& Name);
  bool KeepPrepared() const { return keep_prepared_; }
  void SetKeepPrepared(bool Value) { keep_prepared_ = Value; }
  int32_t RowsProcessed() const { return rows_processed_; }
  bool StillExecuting() const { return still_executing_; }

  // Told by a connection that is destroyed while this statement still refers to it.
  virtual void DatabaseGone(TDatabaseLite* Database);

 protected:
  void SetState(uint8_t Value) {
    assert(Value <= 3);
    state_ = Value;
  }
  void SetRowsProcessed(int32_t Value) { rows_processed_ = Value; }
  void SetStillExecuting(bool Value) { still_executing_ = Value; }
  // The parameter list is replaced by RefreshParams and RefreshFields.
  void ReplaceParams(std::unique_ptr<TParams> List) { params_ = std::move(List); }
  void ReplaceFields(std::unique_ptr<TFields> List) { fields_ = std::move(List); }
  TSession* ListedIn() const { return session_; }
  // For destructors: closes and swallows a failure, since nothing may leave a destructor.
  void CloseQuietly() noexcept;

 private:
  // The end test shared by OpenEx and ContinueOpen.
  void EndOpen(int32_t Rows, bool CancelAfter);
  // After a step the state is one of the four, and a step still running has left the
  // statement open.
  void AssertStepState() const {
    assert(state_ <= kStateExecuting && (!still_executing_ || state_ != kStateClosed));
  }
  // Closed: leaves the connection's list and releases it.
  void GiveBackDatabase();

  TSession* session_;
  std::unique_ptr<TParams> params_;
  std::unique_ptr<TFields> fields_;
  uint8_t state_ = kStateClosed;
  TDatabaseLite* database_ = nullptr;
  std::string database_name_;
  bool keep_prepared_ = true;
  int32_t rows_processed_ = 0;
  bool still_executing_ = false;
};

class TQueryLite : public TDataSetLite {
 public:
  using TDataSetLite::TDataSetLite;

  virtual void GetSQLText(std::string& Text);
  virtual void SQLChanged();
  // Finds the bind variables of SQL: a colon and a run of letters, digits and "_", outside
  // quoted strings and comments; each name yields one parameter.
  void ParseParams(TParams* List) override;

  const std::string& SQL() const { return sql_; }
  void SetSQL(const std::string& Text);
  bool ParseForParams() const { return parse_for_params_; }
  void SetParseForParams(bool Value);

 private:
  std::string sql_;
  bool parse_for_params_ = true;
};

// The scanner behind ParseParams: the bind-variable names of Text in order of first use,
// each once (ignoring case), without the colon; nothing inside comments, single-quoted
// strings or double-quoted identifiers counts.
void ScanBindVariables(const std::string& Text, TParams* List);

}  // namespace tess
