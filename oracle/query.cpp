// See query.h.
#include "oracle/query.h"

#include <chrono>
#include <thread>

#include "framework/core/sysutils.h"
#include "oracle/oracle_query.h"
#include "oracle/session.h"
#include "oracle/statement_services.h"
#include "platform/automation.h"
#include "services/exceptions.h"
#include "services/prefs.h"
#include "services/services.h"

namespace tess {

namespace {

constexpr int32_t kCancelCode = 1013;
constexpr int32_t kNonBlockingUnsupported = 3126;
const char* const kCancelText = "ST-ORA-1013 User requested cancel of current operation.";
const char* const kNotConnected = "Query not connected to database";
const char* const kNoSqlText = "No SQL statement to execute";
const char* const kNothingStarted = "No SQL statement started";
// The automation code of a server error of engine 0; its text is the server's own.
constexpr int32_t kOleServerError = 440;

using platform::AutomationError;
using platform::AutoValue;

uint8_t FieldTypeOfParamType(TParamType Type) {
  switch (Type) {
    case oVarchar2:
      return ftVarchar2;
    case oNumber:
      return ftNumber;
    case oLong:
      return ftLong;
    case oRowid:
      return ftRowid;
    case oDate:
      return ftDate;
    case oRaw:
      return ftRaw;
    case oLongRaw:
      return ftLongRaw;
    case oMlsLabel:
      return ftMlsLabel;
    default:
      return ftOther;
  }
}

bool IsCancel(const EySQLError& E) {
  return E.ErrorCode() == kCancelCode;
}

}  // namespace

TParamType FieldTypeToParamType(uint8_t Code) {
  switch (Code) {
    case 0:
    case 7:
      return oVarchar2;
    case ftNumber:
      return oNumber;
    case ftLong:
      return oLong;
    case ftRowid:
      return oRowid;
    case ftDate:
      return oDate;
    case ftRaw:
      return oRaw;
    case ftLongRaw:
      return oLongRaw;
    case ftMlsLabel:
      return oMlsLabel;
    default:
      return oUnknown;
  }
}

// ---------------------------------------------------------------------------------------
// TyField
// ---------------------------------------------------------------------------------------

TyField::TyField(uint8_t Engine, TParam* Column)
    : engine_(Engine),
      column_(Column),
      data_type_(Engine != TyDatabase::kEngineOci ? static_cast<uint8_t>(ftVarchar2)
                 : Column != nullptr ? FieldTypeOfParamType(Column->DataType())
                                     : static_cast<uint8_t>(ftOther)) {}

TyField::TyField(std::shared_ptr<platform::AutomationObject> OleField)
    : engine_(TyDatabase::kEngineOle),
      column_(nullptr),
      data_type_(ftVarchar2),
      ole_field_(std::move(OleField)) {}

std::string TyField::OleValueText() const {
  if (ole_field_ == nullptr) return std::string();
  try {
    return ole_field_->Get("Value").AsText();
  } catch (const AutomationError& e) {
    throw EySQLError(e.what(), e.Code());
  }
}

const std::string& TyField::AsString() const {
  if (engine_ != TyDatabase::kEngineOci)
    text_ = OleValueText();
  else
    column_->GetAsStringAt(column_->Index(), text_);
  return text_;
}

int32_t TyField::AsInteger() const {
  if (engine_ != TyDatabase::kEngineOci) {
    if (ole_field_ == nullptr) return 0;
    try {
      return ole_field_->Get("Value").AsInteger();
    } catch (const AutomationError& e) {
      throw EySQLError(e.what(), e.Code());
    }
  }
  return column_->AsInteger();
}

std::string TyField::FieldName() const {
  if (engine_ != TyDatabase::kEngineOci) {
    if (ole_field_ == nullptr) return std::string();
    try {
      return ole_field_->Get("Name").AsText();
    } catch (const AutomationError& e) {
      throw EySQLError(e.what(), e.Code());
    }
  }
  return column_->ParamName();
}

int32_t TyField::DisplayWidth() const {
  if (engine_ != TyDatabase::kEngineOci) return 10;
  switch (data_type_) {
    case ftVarchar2:
    case ftRowid:
    case ftRaw:
    case ftMlsLabel:
    case ftOther:
      return column_->ItemSize();
    case ftNumber: {
      int32_t len = static_cast<int32_t>(AsString().size());
      return len > 10 ? len : 10;
    }
    case ftLong:
      return 45;
    case ftLongRaw:
      return 15;
    default:
      return 10;
  }
}

// ---------------------------------------------------------------------------------------
// TyQuery: set-up and results
// ---------------------------------------------------------------------------------------

TyQuery::TyQuery() : statement_(std::make_unique<TOracleQuery>(nullptr)) {}

TyQuery::~TyQuery() {
  if (db_ != nullptr) db_->Unbind(this);
  // The fields refer to the statement's columns: they go first.  The statement closes
  // quietly, also on a lost connection.
  field_list_.Clear();
  statement_.reset();
}

void TyQuery::SetDatabase(TyDatabase* Db) {
  if (db_ == Db) return;
  if (db_ != nullptr) db_->Unbind(this);
  db_ = Db;
  if (db_ != nullptr) db_->Bind(this);
}

void TyQuery::SetDatabaseName(const std::string& Name) {
  SetDatabase(FindDatabaseByName(Name));
}

std::string TyQuery::BuildSQLText() const {
  std::string text;
  for (int i = 0; i < sql_.Count(); ++i) {
    if (i > 0) text += '\n';
    text += sql_.Strings(i);
  }
  return text;
}

void TyQuery::ClearResults() {
  row_count_ = 0;
  row_index_ = 0;
  bof_ = false;
  eof_ = true;
  active_ = false;
  field_list_.Clear();
  ole_dynaset_.reset();
}

void TyQuery::ClearError() {
  error_text_.clear();
  error_code_ = 0;
  server_error_text_.clear();
  error_pos_ = 0;
  error_line_ = 0;
  error_column_ = 0;
}

void TyQuery::Close() {
  ClearResults();
  started_ = false;
  try {
    statement_->Close();
  } catch (const EDatabaseError& e) {
    // A dead connection cannot close its cursors; the session's Disconnect drops it.
    const bool lost = IsConnectionLostCode(e.Code()) || (db_ != nullptr && db_->ConnectionLost());
    if (!lost) throw;
    if (db_ != nullptr) db_->SetConnectionLost();
  }
}

TyField* TyQuery::FieldByName(const std::string& Name) const {
  int i = field_list_.IndexOf(Name);
  if (i < 0) throw EySQLError("Unable to locate column in query results - " + Name);
  return static_cast<TyField*>(field_list_.Objects(i));
}

TyField* TyQuery::Fields(int32_t Index) const {
  if (field_list_.Count() == 0) return nullptr;
  if (Index < 0 || Index >= field_list_.Count())
    throw EySQLError("Invalid index, column not found - " + IntToStr(Index));
  return static_cast<TyField*>(field_list_.Objects(Index));
}

void TyQuery::CheckSession() const {
  if (db_ == nullptr) throw EyIntError(kNotConnected);
}

void TyQuery::RaiseRecorded() {
  if (IsOle()) {
    // A server error says it all in the server's text; anything else gets its code, 0
    // included.
    if (error_code_ != kOleServerError)
      throw EySQLError(error_text_ + " Native err code:" + IntToStr(error_code_), error_code_);
    if (!server_error_text_.empty()) throw EySQLError(server_error_text_, error_code_);
  }
  throw EySQLError(error_text_, error_code_);
}

bool TyQuery::IsOle() const {
  return db_ != nullptr && db_->Engine() == TyDatabase::kEngineOle;
}

// ---------------------------------------------------------------------------------------
// Running
// ---------------------------------------------------------------------------------------

bool TyQuery::BeginRun(const std::string& Text, bool ParseForParams) {
  CheckSession();
  if (db_->Engine() != TyDatabase::kEngineOci && db_->Engine() != TyDatabase::kEngineOle)
    throw EyIntError("Internal Error: Unidentified database");
  ClearResults();
  ClearError();
  if (Trim(Text).empty()) {
    // Said as it is, rather than raising with the text of an earlier failure.
    error_text_ = kNoSqlText;
    return false;
  }
  db_->CheckNotBusy();
  if (!IsOle()) db_->NonBlockingOff();
  started_ = false;
  batch_size_ = 5;
  last_text_ = Text;
  parse_for_params_ = ParseForParams;
  return true;
}

void TyQuery::SetUpStatement() {
  // Replacing the text closes the statement's previous run, which may fail like any call.
  statement_->SetDatabaseName(db_->Connection()->DatabaseName());
  statement_->SetSQL(last_text_);
  statement_->SetDeferParse(false);
  statement_->SetParseForParams(parse_for_params_);
  // Parsed here, blocking (BeginRun switched non-blocking mode off), before any cancellable
  // loop: a non-blocking parse may answer "still executing", and the loop repeats only the
  // execute, which then answers "operation in progress" for ever.  The server also runs
  // DDL at parse time, and DDL must not be broken off halfway.
  statement_->SetPrepared(true);
}

bool TyQuery::Open() {
  CheckSession();
  db_->CheckNotBusy();
  if (!InternalOpen(false)) RaiseRecorded();
  return true;
}

bool TyQuery::OpenCancellable() {
  CheckSession();
  db_->CheckNotBusy();
  if (!InternalOpen(gPrefs->NonBlocking)) RaiseRecorded();
  return true;
}

bool TyQuery::ExecSQL() {
  if (!InternalExecSQL(false)) RaiseRecorded();
  return true;
}

bool TyQuery::ExecSQLCancellable() {
  if (!InternalExecSQL(gPrefs->NonBlocking)) RaiseRecorded();
  return true;
}

bool TyQuery::InternalOpen(bool Cancellable) {
  if (!BeginRun(BuildSQLText(), false)) return false;
  if (IsOle()) return OleOpen();
  try {
    SetUpStatement();
    TFields* columns = statement_->Fields();
    columns->SetDimension(batch_size_);
    for (TParam* column : *columns) {
      // A LONG is read into the largest element the call interface carries; the fetch
      // reports a longer one (ORA-01406) rather than hand it on cut.
      if (column->DataType() == oLong || column->DataType() == oLongRaw)
        column->SetItemSize(kMaxItemSize);
      auto field = std::make_unique<TyField>(TyDatabase::kEngineOci, column);
      field_list_.AddObject(column->ParamName(), field.release());
    }
    Run(Cancellable, [this] { statement_->OpenEx(batch_size_, false); },
        [this] { statement_->ContinueOpen(batch_size_, false); }, false, false);
    TakeFirstBatch();
  } catch (const EDatabaseError& e) {
    ClearResults();
    LoadOciError(&e, true);
    return false;
  } catch (const EySQLError& e) {
    ClearResults();
    if (IsCancel(e)) RecordCancel(e.Message(), e.ErrorCode());
    throw;
  }
  return true;
}

void TyQuery::TakeFirstBatch() {
  TFields* columns = statement_->Fields();
  const int32_t rows = columns->Count() > 0 ? columns->Items(0)->RowCount() : 0;
  for (TParam* column : *columns) column->SetIndex(0);
  row_index_ = 0;
  active_ = true;
  eof_ = rows <= 0;
  row_count_ = rows > 0 ? rows : 0;
  batch_size_ = columns->Dimension();
}

bool TyQuery::InternalExecSQL(bool Cancellable) {
  if (!BeginRun(BuildSQLText(), false)) return false;
  if (IsOle()) return OleExec();
  return RunExec(Cancellable);
}

bool TyQuery::ExecSQLText(const std::string& Text) {
  if (!BeginRun(Text, false)) return false;
  if (IsOle()) return OleExec();
  return RunExec(gPrefs->NonBlocking);
}

bool TyQuery::RunExec(bool Cancellable) {
  try {
    SetUpStatement();
    Execute(Cancellable, false);
    row_count_ = statement_->RowsProcessed();
  } catch (const EDatabaseError& e) {
    LoadOciError(&e, true);
    return false;
  } catch (const EySQLError& e) {
    if (!IsCancel(e)) throw;
    RecordCancel(e.Message(), e.ErrorCode());
    return false;
  }
  return true;
}

bool TyQuery::Prepare() {
  CheckSession();
  if (db_->Engine() != TyDatabase::kEngineOci) return false;
  if (!BeginRun(BuildSQLText(), true)) return false;
  try {
    SetUpStatement();
  } catch (const EDatabaseError& e) {
    LoadOciError(&e, true);
    throw;
  }
  return true;
}

bool TyQuery::ExecPrepared() {
  ClearResults();
  CheckSession();
  if (db_->Engine() != TyDatabase::kEngineOci) return false;
  ClearError();
  db_->CheckNotBusy();
  db_->NonBlockingOff();
  statement_->SetParseForParams(false);
  try {
    Execute(gPrefs->NonBlocking, false);
    row_count_ = statement_->RowsProcessed();
  } catch (const EDatabaseError& e) {
    LoadOciError(&e, true);
    throw;
  } catch (const EySQLError& e) {
    if (!IsCancel(e)) throw;
    RecordCancel(e.Message(), e.ErrorCode());
    return false;
  }
  return true;
}

bool TyQuery::StartExecSQL(bool Cancellable) {
  // The busy check comes before the session is marked busy, or the statement would
  // refuse itself.
  if (!BeginRun(BuildSQLText(), false)) return false;
  // The server's statements finish before they answer: nothing is left running.
  if (IsOle()) return started_ = OleExec();
  db_->SetBusy(true);
  bool running = false;
  try {
    SetUpStatement();
    Execute(Cancellable, true);
    running = statement_->StillExecuting();
    if (!running) row_count_ = statement_->RowsProcessed();
  } catch (const EDatabaseError& e) {
    db_->SetBusy(false);
    LoadOciError(&e, true);
    return false;
  } catch (const EySQLError& e) {
    db_->SetBusy(false);
    if (!IsCancel(e)) throw;
    RecordCancel(e.Message(), e.ErrorCode());
    return false;
  }
  if (!running) db_->SetBusy(false);
  started_ = true;
  return true;
}

bool TyQuery::WaitExecSQL() {
  CheckSession();
  // Nothing started, nothing to have succeeded: said as it is rather than answered True.
  if (!started_) {
    ClearError();
    error_text_ = kNothingStarted;
    return false;
  }
  started_ = false;
  if (IsOle()) return error_code_ == 0 && error_text_.empty();
  try {
    try {
      PollUntilDone([this] { statement_->ContinueExecute(); }, true);
    } catch (const EDatabaseError& e) {
      NoteRunError(e);
      throw;
    }
    row_count_ = statement_->RowsProcessed();
  } catch (const EDatabaseError& e) {
    FinishRun();
    LoadOciError(&e, true);
    return false;
  } catch (const EySQLError& e) {
    FinishRun();
    if (!IsCancel(e)) throw;
    RecordCancel(e.Message(), e.ErrorCode());
    return false;
  } catch (...) {
    FinishRun();
    throw;
  }
  FinishRunChecked();
  return true;
}

void TyQuery::Next() {
  if (eof_) return;
  if (IsOle()) {
    OleNext();
    return;
  }
  ++row_index_;
  TFields* columns = statement_->Fields();
  if (columns->Count() > 0 && row_index_ < columns->Items(0)->RowCount()) {
    for (TParam* column : *columns) column->SetIndex(row_index_);
    return;
  }
  if (statement_->State() != kStateFetching) {
    eof_ = true;
    return;
  }
  CheckSession();
  db_->CheckNotBusy();
  db_->NonBlockingOff();
  try {
    statement_->FetchMore(batch_size_);
  } catch (const EDatabaseError& e) {
    // The rows after the failure are lost: the caller must know, and a loop that reads
    // until Eof must end.
    LoadOciError(&e, false);
    eof_ = true;
    RaiseRecorded();
  }
  const int32_t rows = statement_->RowsProcessed();
  if (rows <= 0) {
    eof_ = true;
    return;
  }
  row_index_ = 0;
  row_count_ = rows;
  for (TParam* column : *columns) column->SetIndex(0);
}

// ---------------------------------------------------------------------------------------
// The cancellable loop
// ---------------------------------------------------------------------------------------

void TyQuery::Execute(bool Cancellable, bool LeaveRunning) {
  Run(Cancellable, [this] { statement_->ExecSQL(); }, [this] { statement_->ContinueExecute(); },
      true, LeaveRunning);
}

void TyQuery::Run(bool Cancellable, const std::function<void()>& First,
                  const std::function<void()>& Again, bool Executes, bool LeaveRunning) {
  if (!Cancellable || !db_->NonBlockingPossible()) {
    db_->NonBlockingOff();
    First();
    return;
  }
  TOracleDatabase* connection = db_->Connection();
  try {
    connection->SetNonBlocking(true);
    db_->SetBusy(true);
    // A connection that did not switch runs the statement blocking.
    const bool nonBlocking = connection->IsNonBlocking();
    First();
    if (nonBlocking) {
      if (LeaveRunning && statement_->StillExecuting()) return;
      PollUntilDone(Again, Executes);
    }
  } catch (const EDatabaseError& e) {
    NoteRunError(e);
    FinishRun();
    throw;
  } catch (...) {
    FinishRun();
    throw;
  }
  FinishRunChecked();
}

void TyQuery::NoteRunError(const EDatabaseError& E) {
  if (E.Code() == kCancelCode) {
    // The server's answer to a break: the statement is given up.
    try {
      statement_->Close();
    } catch (const Exception&) {
    }
    error_code_ = kCancelCode;
  } else if (E.Code() == kNonBlockingUnsupported) {
    db_->SetNonBlockingPossible(false);
  }
}

void TyQuery::PollUntilDone(const std::function<void()>& Again, bool Executes) {
  while (statement_->StillExecuting()) {
    ProcessMessages();
    ProcessMessages();
    if (CancelFlag()) {
      ClearCancelFlag();
      BreakAndRaiseCancel(Executes);
    }
    ProcessMessages();
    // Leaves the server's worker the processor between polls.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    Again();
    ProcessMessages();
  }
}

void TyQuery::BreakAndRaiseCancel(bool Executes) {
  db_->BreakCall();
  if (Executes) db_->NonBlockingOff();
  try {
    statement_->Close();
  } catch (const Exception&) {
    // The cancel is what the caller must see.
  }
  throw EySQLError(kCancelText, kCancelCode);
}

void TyQuery::FinishRun() noexcept {
  if (db_ == nullptr) return;
  db_->SetBusy(false);
  try {
    db_->NonBlockingOff();
  } catch (...) {
    // Already unwinding with the error that matters.
  }
}

void TyQuery::FinishRunChecked() {
  db_->SetBusy(false);
  try {
    db_->NonBlockingOff();
  } catch (const EDatabaseError& e) {
    if (e.Code() != kCancelCode) throw;
  }
}

// ---------------------------------------------------------------------------------------
// Errors
// ---------------------------------------------------------------------------------------

void TyQuery::LoadOciError(const EDatabaseError* E, bool ComputePosition) {
  error_code_ = E != nullptr ? E->Code() : 0;
  error_text_ = E != nullptr ? E->Message() : std::string();
  if (E != nullptr && IsConnectionLostCode(E->Code()) && db_ != nullptr) db_->SetConnectionLost();
  server_error_text_ = error_text_;
  error_pos_ = statement_->ParseErrorOffset();
  ComputeErrorPosition(ComputePosition);
}

void TyQuery::ComputeErrorPosition(bool Compute) {
  error_line_ = 1;
  error_column_ = 1;
  if (Compute && error_pos_ > 0 && error_pos_ <= static_cast<int32_t>(last_text_.size())) {
    for (int32_t i = 0; i < error_pos_; ++i)
      if (last_text_[i] == '\n') ++error_line_;
    for (int32_t i = error_pos_ - 1; i >= 0 && last_text_[i] != '\n'; --i) ++error_column_;
  }
}

void TyQuery::LoadOleError(const AutomationError& E) {
  error_code_ = E.Code();
  error_text_ = E.what();
  server_error_text_ = error_text_;
  error_pos_ = 0;
  platform::AutomationObject* db = db_ != nullptr ? db_->OleDatabase() : nullptr;
  if (db != nullptr) {
    try {
      server_error_text_ = db->Get("LastServerErrText").AsText();
      error_pos_ = db->Get("LastServerErrPos").AsInteger();
    } catch (const AutomationError&) {
      // The exception's own text stands.
    }
  }
  ComputeErrorPosition(true);
}

// ---------------------------------------------------------------------------------------
// Engine 0
// ---------------------------------------------------------------------------------------

bool TyQuery::OleOpen() {
  platform::AutomationObject* db = db_->OleDatabase();
  if (db == nullptr) throw EyIntError(kNotConnected);
  try {
    ole_dynaset_ =
        db->Call("CreateDynaset", {AutoValue::Text(last_text_), AutoValue::Integer(0)}).object;
    if (ole_dynaset_ == nullptr) throw AutomationError("Dynaset not created", 0);
    eof_ = ole_dynaset_->Get("EOF").AsInteger() != 0;
    std::shared_ptr<platform::AutomationObject> fields = ole_dynaset_->Get("Fields").object;
    const int32_t count = fields != nullptr ? fields->Get("Count").AsInteger() : 0;
    for (int32_t i = 0; i < count; ++i) {
      auto field = std::make_unique<TyField>(fields->Get("Item", {AutoValue::Integer(i)}).object);
      const std::string name = field->FieldName();
      field_list_.AddObject(name, field.release());
    }
    row_index_ = 0;
    active_ = true;
  } catch (const AutomationError& e) {
    ClearResults();
    LoadOleError(e);
    return false;
  }
  return true;
}

bool TyQuery::OleExec() {
  platform::AutomationObject* db = db_->OleDatabase();
  if (db == nullptr) throw EyIntError(kNotConnected);
  try {
    row_count_ = db->Call("ExecuteSQL", {AutoValue::Text(last_text_)}).AsInteger();
  } catch (const AutomationError& e) {
    LoadOleError(e);
    return false;
  }
  return true;
}

void TyQuery::OleNext() {
  db_->CheckNotBusy();
  try {
    ole_dynaset_->Call("MoveNext");
    eof_ = ole_dynaset_->Get("EOF").AsInteger() != 0;
    if (!eof_) ++row_index_;
  } catch (const AutomationError& e) {
    // As on the call interface: a loop that reads until Eof must end, and know why.
    LoadOleError(e);
    eof_ = true;
    RaiseRecorded();
  }
}

void TyQuery::RecordCancel(const std::string& Message, int32_t Code) {
  error_code_ = Code;
  error_text_ = Message;
  server_error_text_ = Message;
  error_pos_ = 1;
  error_line_ = 1;
  error_column_ = 1;
}

}  // namespace tess
