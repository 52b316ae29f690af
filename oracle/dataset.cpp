// See dataset.h.
#include "oracle/dataset.h"

#include <algorithm>

#include "oracle/sql_api.h"

namespace tess {

namespace {

// Holds the connection's critical section for a step, when the statement has one (a
// statement over a cursor variable runs on its parent's connection without attaching).
class ConnectionGuard {
 public:
  explicit ConnectionGuard(TDatabaseLite* Db) : db_(Db) {
    if (db_ != nullptr) db_->Lock().Enter();
  }
  ~ConnectionGuard() {
    if (db_ != nullptr) db_->Lock().Leave();
  }
  ConnectionGuard(const ConnectionGuard&) = delete;
  ConnectionGuard& operator=(const ConnectionGuard&) = delete;

 private:
  TDatabaseLite* db_;
};

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TDataSetLite
// ---------------------------------------------------------------------------------------

TDataSetLite::TDataSetLite(TComponent* AOwner, TSession* Session, TParamClass ParamClass)
    : TComponent(AOwner),
      session_(Session),
      params_(std::make_unique<TParams>(this, ParamClass)),
      fields_(std::make_unique<TFields>(this, ParamClass)) {
  platform::CriticalSectionGuard guard(session_->Lock());
  session_->Statements().Add(this);
}

TDataSetLite::TDataSetLite(TComponent* AOwner, TSession* Session, TParamClass ParamClass,
                           int32_t Rows)
    : TDataSetLite(AOwner, Session, std::move(ParamClass)) {
  fields_->SetDimension(Rows);
}

TDataSetLite::~TDataSetLite() {
  if (database_ != nullptr) {
    database_->Datasets().Remove(this);
    try {
      session_->ReleaseDatabase(database_);
    } catch (...) {
    }
    database_ = nullptr;
  }
  platform::CriticalSectionGuard guard(session_->Lock());
  session_->Statements().Remove(this);
}

void TDataSetLite::CloseQuietly() noexcept {
  try {
    Close();
  } catch (...) {
  }
}

void TDataSetLite::DatabaseGone(TDatabaseLite* Database) {
  if (database_ != Database) return;
  database_ = nullptr;
  state_ = kStateClosed;
}

void TDataSetLite::AttachDatabase() {
  if (database_ != nullptr) return;
  database_ = GetSession()->GetDatabase(database_name_);
  database_->Datasets().Add(this);
}

void TDataSetLite::SetPrepared(bool Value) {
  if (Value == (state_ != kStateClosed) || database_name_.empty() || (ComponentState() & csLoading)) return;
  if (Value)
    DoPrepare();
  else
    DoUnprepare();
}

void TDataSetLite::DoPrepare() {
  AttachDatabase();
  ConnectionGuard guard(database_);
  EndFetch();
  Prepare();
  state_ = kStatePrepared;
  RefreshParams();
  RefreshFields();
}

void TDataSetLite::DoUnprepare() {
  // The connection is given back even when closing the cursor fails, so that a
  // statement never stays counted on a connection it no longer uses.
  try {
    Unprepare();
  } catch (...) {
    try {
      GiveBackDatabase();
    } catch (...) {
      // The first failure is the one reported.
    }
    throw;
  }
  GiveBackDatabase();
}

void TDataSetLite::GiveBackDatabase() {
  state_ = kStateClosed;
  TDatabaseLite* db = database_;
  if (db == nullptr) return;
  database_ = nullptr;
  db->Datasets().Remove(this);
  GetSession()->ReleaseDatabase(db);
}

void TDataSetLite::EndFetch() {
  if (state_ == kStateFetching) {
    CancelFetch();
    AfterCancelFetch();
  }
  if (state_ != kStateClosed) state_ = kStatePrepared;
  assert(state_ <= kStatePrepared);
}

void TDataSetLite::Close() {
  EndFetch();
  DoUnprepare();
}

void TDataSetLite::ExecSQL() {
  ExecuteEx(1, 0);
}

void TDataSetLite::ExecuteEx(int32_t Iterations, int32_t RowOffset) {
  bool keep = state_ != kStateClosed || keep_prepared_;
  SetPrepared(true);
  {
    ConnectionGuard guard(database_);
    BindParams(params_.get());
    state_ = kStateExecuting;
    Execute(Iterations, RowOffset);
    EndFetch();
  }
  if (!keep) SetPrepared(false);
}

void TDataSetLite::ContinueExecute() {
  ConnectionGuard guard(database_);
  still_executing_ = false;
  Execute(1, 0);
  if (!still_executing_) EndFetch();
  AssertStepState();
}

void TDataSetLite::Open() {
  OpenEx(fields_->Dimension(), false);
}

void TDataSetLite::OpenEx(int32_t Rows, bool CancelAfter) {
  EndFetch();
  if (fields_->Dimension() < Rows) fields_->SetDimension(Rows);
  SetPrepared(true);
  ConnectionGuard guard(database_);
  BindParams(params_.get());
  BindParams(fields_.get());
  state_ = kStateFetching;
  still_executing_ = false;
  ExecuteAndFetch(Rows, CancelAfter);
  EndOpen(Rows, CancelAfter);
}

void TDataSetLite::ContinueOpen(int32_t Rows, bool CancelAfter) {
  ConnectionGuard guard(database_);
  still_executing_ = false;
  ExecuteAndFetch(Rows, CancelAfter);
  EndOpen(Rows, CancelAfter);
}

void TDataSetLite::EndOpen(int32_t Rows, bool CancelAfter) {
  if (!CancelAfter && rows_processed_ == Rows) return;  // a full batch: more may follow
  if (!still_executing_) EndFetch();
  AssertStepState();
}

void TDataSetLite::FetchMore(int32_t Rows) {
  if (state_ != kStateFetching) RaiseInterfaceError(ecNoOpenFetch, "");
  ConnectionGuard guard(database_);
  still_executing_ = false;
  FetchNext(Rows);
  // While the call still runs no batch has arrived yet; FetchMore is simply repeated.
  if (!still_executing_ && rows_processed_ < Rows) state_ = kStatePrepared;
  AssertStepState();
}

void TDataSetLite::GetFirstColumnValues(TStrings* List) {
  int32_t rows = fields_->Dimension();
  OpenEx(rows, false);
  while (rows_processed_ > 0 && fields_->Count() > 0) {
    TParam* first = fields_->Items(0);
    int32_t n = std::min(rows_processed_, first->RowCount());
    for (int32_t i = 0; i < n; ++i) List->Add(first->GetAsStringAt(i));
    if (state_ != kStateFetching) break;
    FetchMore(rows);
  }
}

void TDataSetLite::SetDatabaseName(const std::string& Name) {
  if (Name == database_name_) return;
  // Unprepared on the old connection, so that the next prepare attaches to the new one.
  if (state_ != kStateClosed || database_ != nullptr) DoUnprepare();
  database_name_ = Name;
}

void TDataSetLite::RefreshParams() {
  if (!params_->Changed()) return;
  auto list = std::make_unique<TParams>(this, params_->ParamClass());
  ParseParams(list.get());
  list->CopyValuesFrom(params_.get());
  list->SetChanged(false);
  params_ = std::move(list);
}

void TDataSetLite::RefreshFields() {
  if (!fields_->Changed()) return;
  auto list = std::make_unique<TFields>(this, fields_->ParamClass());
  list->SetDimension(fields_->Dimension());
  DescribeFields(list.get());
  list->CopyValuesFrom(fields_.get());
  list->SetChanged(false);
  fields_ = std::move(list);
}

// ---------------------------------------------------------------------------------------
// TQueryLite
// ---------------------------------------------------------------------------------------

void TQueryLite::GetSQLText(std::string& Text) {
  Text = sql_;
}

void TQueryLite::SQLChanged() {
  if (ComponentState() & csLoading) return;
  if (State() != kStateClosed) Close();
  Params()->SetChanged(true);
  Fields()->SetChanged(true);
  Params()->Clear();
  Fields()->Clear();
}

void TQueryLite::SetSQL(const std::string& Text) {
  Close();
  sql_ = Text;
  SQLChanged();
}

void TQueryLite::SetParseForParams(bool Value) {
  if (Value == parse_for_params_) return;
  parse_for_params_ = Value;
  if (Value && !sql_.empty()) RefreshParams();
}

void TQueryLite::ParseParams(TParams* List) {
  std::string text;
  GetSQLText(text);
  ScanBindVariables(text, List);
}

// A double-quoted identifier is a name, not text to scan: a colon, a quote or comment
// marks inside it ("Name:Full", "it's", "a--b") are part of the name.  A name ends at its
// line's end at the latest.
void ScanBindVariables(const std::string& Text, TParams* List) {
  enum { kNormal, kBlockComment, kLineComment, kString, kQuotedName, kAfterColon } state = kNormal;
  // The text ends at its first NUL, whatever the state.
  const size_t n = std::min(Text.find('\0'), Text.size());
  size_t i = 0;
  while (i < n) {
    char c = Text[i];
    switch (state) {
      case kNormal:
        if (c == '/' && i + 1 < n && Text[i + 1] == '*') {
          state = kBlockComment;
          i += 2;
          continue;
        }
        if (c == '-' && i + 1 < n && Text[i + 1] == '-')
          state = kLineComment;
        else if (c == '\'')
          state = kString;
        else if (c == '"')
          state = kQuotedName;
        else if (c == ':')
          state = kAfterColon;
        ++i;
        break;
      case kBlockComment:
        if (c == '*' && i + 1 < n && Text[i + 1] == '/') {
          state = kNormal;
          i += 2;
          continue;
        }
        ++i;
        break;
      case kLineComment:
        if (c == '\n') state = kNormal;
        ++i;
        break;
      case kString:
        if (c == '\'') state = kNormal;
        ++i;
        break;
      case kQuotedName:
        // A name never runs past its line, so one left open hides nothing after it.
        if (c == '"' || c == '\n') state = kNormal;
        ++i;
        break;
      case kAfterColon: {
        size_t start = i;
        while (i < n && IsNameChar(Text[i])) ++i;
        if (i > start) List->FindOrAdd(Text.substr(start, i - start));
        // The character that ended the name is scanned in the normal state.
        state = kNormal;
        break;
      }
    }
  }
}

}  // namespace tess
