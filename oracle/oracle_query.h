// The statement of the call interface.  TOracleParam decides the sizes and type codes of
// parameters and columns; TOracleQueryLite fills in the engine steps of the statement
// base on one cursor data area; TOracleQuery is the published form.
//
// A parameter of type oCursor carries a statement of its own over the cursor variable the
// server opens into it; GetCursorQuery describes and defines that statement once and
// leaves it fetching, to be read with FetchMore.  Such a statement never opens, parses or
// closes a cursor: its cursor lives and dies with the parent statement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "oracle/dataset.h"
#include "oracle/oci_api.h"
#include "oracle/params.h"

namespace tess {

class TOracleQuery;

class TOracleQueryLite : public TQueryLite {
 public:
  explicit TOracleQueryLite(TComponent* AOwner);
  // Rows: the default dimension of the columns (100 for internal lists).
  TOracleQueryLite(TComponent* AOwner, int32_t Rows);
  ~TOracleQueryLite() override;

  void BindParams(TParams* List) override;
  void DescribeFields(TParams* List) override;
  void RefreshParams() override;
  void RefreshFields() override;
  void CancelFetch() override;
  void AfterCancelFetch() override;
  void Execute(int32_t Iterations, int32_t RowOffset) override;
  void FetchNext(int32_t Rows) override;
  void ExecuteAndFetch(int32_t Rows, bool CancelAfter) override;
  // Opens and parses; a failed parse keeps its offset in ParseErrorOffset and closes the
  // cursor again.  A successful one clears the offset.
  void Prepare() override;
  void Unprepare() override;
  TSession* GetSession() override;
  bool IsStillExecuting() const;
  void DatabaseGone(TDatabaseLite* Database) override;

  TOracleCursor* Cursor() const { return cursor_.get(); }
  int32_t ParseErrorOffset() const { return parse_error_offset_; }
  void SetParseErrorOffset(int32_t Value) { parse_error_offset_ = Value; }
  bool IsCursorResult() const { return is_cursor_result_; }
  void SetIsCursorResult(bool Value) { is_cursor_result_ = Value; }
  bool DeferParse() const { return defer_parse_; }
  void SetDeferParse(bool Value) { defer_parse_ = Value; }

  // For a statement over a cursor variable: describe and define its columns and start
  // fetching (State 2, rows processed 0).
  void OpenCursorResult();
  // For a statement over a cursor variable about to be bound again: ends its fetch,
  // clears its columns and zero-fills its data area.
  void ResetCursorResult();

 protected:
  // The parent's cursor was closed, which frees the cursor variables bound through its
  // parameters: their statements are closed without calling the library.
  void AbandonCursorResults();

 private:
  // Refuses a batch larger than the column buffers.
  void CheckBatch(int32_t Rows);
  void AfterExecute();
  // Takes Rows fetched rows as every column's RowCount; a value the library had to cut
  // raises ORA-01406.
  void TakeBatch(int32_t Rows);

  std::unique_ptr<TOracleCursor> cursor_;
  int32_t parse_error_offset_ = 0;
  bool is_cursor_result_ = false;
  bool defer_parse_ = true;
};

class TOracleQuery : public TOracleQueryLite {
 public:
  using TOracleQueryLite::TOracleQueryLite;

  // Takes over the values of same-named entries.
  void SetParams(TParams* Value) { Params()->CopyValuesFrom(Value); }
  void SetFields(TParams* Value) { Fields()->CopyValuesFrom(Value); }

  void PublishProperties(TPropertyList& Props) override;
};

class TOracleParam : public TParam {
 public:
  TOracleParam(TParams* Params, const std::string& Name) : TParam(Params, Name) {}
  ~TOracleParam() override;

  // The statement of the cursor variable (null until the parameter was bound).
  TOracleQuery* GetCursorQuery() override;
  int32_t DefaultItemSize() override;
  TParamType TypeOfDbType(int32_t DbType) override;
  int32_t ExternalType() override;
  TParamKind KindOfDbKind(int32_t DbKind) override;
  int32_t DbKindOfKind(TParamKind Kind) override;
  int32_t AuxBufferSize() override { return 0; }

  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;

  bool DataTable() const { return data_table_; }
  void SetDataTable(bool Value) { data_table_ = Value; }

  // The statement of the cursor variable, made on first bind.
  TOracleQuery* CursorStatement() const { return cursor_query_.get(); }
  TOracleQuery* MakeCursorStatement();

 private:
  bool data_table_ = false;
  std::unique_ptr<TOracleQuery> cursor_query_;
};

// The parameter class of Oracle statements.
TParam* NewOracleParam(TParams* Params, const std::string& Name);

}  // namespace tess
