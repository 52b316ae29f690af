// See oracle_query.h.  Also the binding and describing of TOracleCursor, which work on the
// parameter classes defined here.
#include "oracle/oracle_query.h"

#include <algorithm>

namespace tess {

using namespace oci;

namespace {

constexpr int kMaxDescribedColumns = 256;
constexpr int32_t kCursorBatch = 100;

template <class Fn>
Fn Entry(OciEntry E) {
  return reinterpret_cast<Fn>(OciEntryAddress(E));
}

}  // namespace

TParam* NewOracleParam(TParams* Params, const std::string& Name) {
  return new TOracleParam(Params, Name);
}

// ---------------------------------------------------------------------------------------
// TOracleCursor: bind and describe
// ---------------------------------------------------------------------------------------

void TOracleCursor::Bind(TParam* P) {
  auto* op = dynamic_cast<TOracleParam*>(P);
  text* name = reinterpret_cast<text*>(const_cast<char*>(P->ParamName().c_str()));

  if (P->DataType() == oCursor && P->Kind() != oField && op != nullptr && !op->DataTable()) {
    TOracleQuery* q = op->CursorStatement();
    if (q == nullptr)
      q = op->MakeCursorStatement();
    else
      q->ResetCursorResult();
    // The cursor variable lives on this statement's connection.
    q->Cursor()->SetOwner(owner_);
    Entry<ObndraFn>(eObndra)(&area_, name, -1, q->Cursor()->Area()->bytes, -1, 102, -1, nullptr,
                             nullptr, nullptr, 0, nullptr, nullptr, 0, 0);
    CheckError();
    return;
  }

  if (!P->HasBuffer()) {
    // Allocating types an untyped input as text; an output or in-out parameter that was
    // never typed is reported as such rather than as a buffer of size 0.
    if (P->DataType() == oUnknown && P->Kind() != oInput) P->ExternalType();
    P->AllocateBuffers(true);
  }
  const sword ftype = P->ExternalType();
  ub1* values = P->ValueArray();
  auto* lengths = reinterpret_cast<ub2*>(P->LengthArray());
  auto* indicators = reinterpret_cast<sb2*>(P->IndicatorArray());
  auto* codes = reinterpret_cast<ub2*>(P->ReturnCodeArray());

  if (P->Kind() == oField) {
    Entry<OdefinFn>(eOdefin)(&area_, P->Pos(), values, P->ItemSize(), ftype, -1, indicators,
                             nullptr, -1, -1, lengths, codes);
  } else if (op != nullptr && op->DataTable()) {
    Entry<ObndraFn>(eObndra)(&area_, name, -1, values, P->ItemSize(), ftype, -1, indicators,
                             lengths, codes, static_cast<ub4>(P->Dimension()),
                             reinterpret_cast<ub4*>(P->RowCountField()), nullptr, 0, 0);
  } else {
    Entry<ObndraFn>(eObndra)(&area_, name, -1, values, P->ItemSize(), ftype, -1, indicators,
                             lengths, codes, 0, nullptr, nullptr, 0, 0);
  }
  CheckError();
}

void TOracleCursor::Describe(TParams* Fields) {
  Fields->Clear();
  for (int pos = 1; pos <= kMaxDescribedColumns; ++pos) {
    sb4 dbsize = 0, namelen = 31, dsize = 0;
    sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
    sb1 name[32] = {};
    Entry<OdescrFn>(eOdescr)(&area_, pos, &dbsize, &dbtype, name, &namelen, &dsize, &prec, &scale,
                             &nullok);
    if (ReturnCode() == kNotInSelectList) break;
    CheckError();
    namelen = std::clamp<sb4>(namelen, 0, 31);
    TParam* f = Fields->FindOrAdd(
        std::string(reinterpret_cast<const char*>(name), static_cast<size_t>(namelen)));
    f->SetDbType(dbtype);
    f->SetItemSize(dsize);
    f->SetNullOk(nullok != 0);
    f->SetPos(pos);
  }
}

// ---------------------------------------------------------------------------------------
// TOracleQueryLite
// ---------------------------------------------------------------------------------------

TOracleQueryLite::TOracleQueryLite(TComponent* AOwner)
    : TQueryLite(AOwner, GlobalOracleSession(), NewOracleParam),
      cursor_(std::make_unique<TOracleCursor>(nullptr)) {}

TOracleQueryLite::TOracleQueryLite(TComponent* AOwner, int32_t Rows)
    : TQueryLite(AOwner, GlobalOracleSession(), NewOracleParam, Rows),
      cursor_(std::make_unique<TOracleCursor>(nullptr)) {}

TOracleQueryLite::~TOracleQueryLite() {
  CloseQuietly();
}

TSession* TOracleQueryLite::GetSession() {
  return GlobalOracleSession();
}

bool TOracleQueryLite::IsStillExecuting() const {
  return cursor_->IsStillExecuting();
}

void TOracleQueryLite::Prepare() {
  if (auto* db = dynamic_cast<TOracleDatabase*>(Database())) cursor_->SetOwner(db);
  if (is_cursor_result_) return;
  if (State() == kStateClosed) cursor_->OpenCursor();
  std::string text;
  GetSQLText(text);
  try {
    cursor_->Parse(text, defer_parse_);
  } catch (...) {
    parse_error_offset_ = cursor_->ParseErrorOffset();
    try {
      cursor_->CloseCursor();
    } catch (const Exception&) {
      // The parse error is the one the caller needs to see.
    }
    throw;
  }
  parse_error_offset_ = 0;
}

void TOracleQueryLite::Unprepare() {
  AbandonCursorResults();
  if (State() != kStateClosed && !is_cursor_result_) cursor_->CloseCursor();
}

void TOracleQueryLite::DatabaseGone(TDatabaseLite* Database) {
  if (this->Database() != Database) return;
  AbandonCursorResults();
  TQueryLite::DatabaseGone(Database);
  cursor_->SetOwner(nullptr);
}

void TOracleQueryLite::AbandonCursorResults() {
  for (TParam* p : *Params()) {
    auto* op = dynamic_cast<TOracleParam*>(p);
    TOracleQuery* q = op != nullptr ? op->CursorStatement() : nullptr;
    if (q == nullptr) continue;
    q->SetState(kStateClosed);
    q->Cursor()->Area()->Clear();
    q->Cursor()->SetOwner(nullptr);
  }
}

void TOracleQueryLite::BindParams(TParams* List) {
  for (TParam* p : std::vector<TParam*>(List->begin(), List->end())) cursor_->Bind(p);
}

void TOracleQueryLite::DescribeFields(TParams* List) {
  SetPrepared(true);
  cursor_->Describe(List);
}

void TOracleQueryLite::RefreshParams() {
  if (cursor_->FunctionType() == kFunctionSelect || ParseForParams()) TQueryLite::RefreshParams();
}

void TOracleQueryLite::RefreshFields() {
  if (cursor_->FunctionType() == kFunctionSelect) TQueryLite::RefreshFields();
}

void TOracleQueryLite::CancelFetch() {
  cursor_->CancelCursor();
}

void TOracleQueryLite::AfterCancelFetch() {}

void TOracleQueryLite::CheckBatch(int32_t Rows) {
  // The library writes a batch straight into the column buffers.
  for (TParam* f : *Fields())
    if (Rows > f->Dimension()) RaiseInterfaceError(ecParamIndex, f->ParamName());
}

void TOracleQueryLite::Execute(int32_t Iterations, int32_t RowOffset) {
  SetRowsProcessed(0);
  // An array execution reads Iterations elements of every bound buffer.
  if (Iterations > 1) {
    for (TParam* p : *Params()) {
      auto* op = dynamic_cast<TOracleParam*>(p);
      bool array = op != nullptr && op->DataTable();
      if (!array && p->DataType() != oCursor && Iterations > p->Dimension())
        RaiseInterfaceError(ecParamIndex, p->ParamName());
    }
  }
  try {
    cursor_->Exec(Iterations, RowOffset);
  } catch (...) {
    AfterExecute();
    throw;
  }
  AfterExecute();
}

// Both "still running" answers mean no result has arrived yet: 3123 for this call, 3127
// for another call still running on the connection.  Either way the call is repeated, and
// counts and rows are taken only from a real answer.
void TOracleQueryLite::AfterExecute() {
  if (cursor_->IsStillExecuting()) {
    SetStillExecuting(true);
    return;
  }
  SetStillExecuting(false);
  SetRowsProcessed(static_cast<int32_t>(cursor_->RowsProcessed()));
  for (TParam* p : *Params()) {
    auto* op = dynamic_cast<TOracleParam*>(p);
    if (p->Kind() != oInput && !(op != nullptr && op->DataTable())) p->SetRowCount(RowsProcessed());
  }
}

void TOracleQueryLite::ExecuteAndFetch(int32_t Rows, bool CancelAfter) {
  CheckBatch(Rows);
  cursor_->ExecFetch(Rows, CancelAfter);
  if (cursor_->IsStillExecuting()) {
    SetStillExecuting(true);
    return;
  }
  SetStillExecuting(false);
  TakeBatch(static_cast<int32_t>(cursor_->RowsProcessed()));
}

void TOracleQueryLite::TakeBatch(int32_t Rows) {
  SetRowsProcessed(Rows);
  for (TParam* f : *Fields()) f->SetRowCount(Rows);
  // A value cut to fit its element is lost text: the fetch fails rather than hand it on as
  // if it were whole.  The element's return code tells, whatever the call answered.
  for (TParam* f : *Fields()) {
    const uint16_t* codes = f->ReturnCodeArray();
    for (int32_t i = 0; codes != nullptr && i < f->RowCount(); ++i)
      if (codes[i] == kValueTruncated) cursor_->RaiseError(kValueTruncated);
  }
}

void TOracleQueryLite::FetchNext(int32_t Rows) {
  CheckBatch(Rows);
  ub4 before = cursor_->RowsProcessed();
  cursor_->Fetch(Rows);
  if (cursor_->IsStillExecuting()) {
    SetStillExecuting(true);
    return;
  }
  SetStillExecuting(false);
  TakeBatch(static_cast<int32_t>(cursor_->RowsProcessed() - before));
}

void TOracleQueryLite::OpenCursorResult() {
  cursor_->SetFunctionType(kFunctionSelect);
  SetState(kStatePrepared);
  Params()->Clear();
  RefreshFields();
  BindParams(Fields());
  SetState(kStateFetching);
  cursor_->SetRowsProcessed(0);
}

void TOracleQueryLite::ResetCursorResult() {
  try {
    EndFetch();
  } catch (const EDatabaseError&) {
    // The old cursor variable may already be gone with a closed parent.
  }
  if (State() != kStateClosed) SetState(kStatePrepared);
  Fields()->Clear();
  Fields()->SetChanged(true);
  cursor_->Area()->Clear();
}

// ---------------------------------------------------------------------------------------
// TOracleQuery
// ---------------------------------------------------------------------------------------

void TOracleQuery::PublishProperties(TPropertyList& P) {
  TOracleQueryLite::PublishProperties(P);
  P.String(
      "DatabaseName", [this] { return DatabaseName(); },
      [this](const std::string& v) { SetDatabaseName(v); });
  P.Boolean(
       "DeferParse", [this] { return DeferParse(); }, [this](bool v) { SetDeferParse(v); })
      .Default(1);
  P.Object("Fields", [this]() -> TPersistent* { return Fields(); });
  P.Boolean(
       "KeepPrepared", [this] { return KeepPrepared(); }, [this](bool v) { SetKeepPrepared(v); })
      .Default(1);
  P.Object("Params", [this]() -> TPersistent* { return Params(); });
  P.Boolean(
       "ParseForParams", [this] { return ParseForParams(); },
       [this](bool v) { SetParseForParams(v); })
      .Default(1);
  P.String(
      "SQL", [this] { return SQL(); }, [this](const std::string& v) { SetSQL(v); });
}

// ---------------------------------------------------------------------------------------
// TOracleParam
// ---------------------------------------------------------------------------------------

TOracleParam::~TOracleParam() = default;

TOracleQuery* TOracleParam::GetCursorQuery() {
  TOracleQuery* q = cursor_query_.get();
  if (q != nullptr && q->Fields()->Count() == 0) q->OpenCursorResult();
  return q;
}

TOracleQuery* TOracleParam::MakeCursorStatement() {
  cursor_query_ = std::make_unique<TOracleQuery>(nullptr, kCursorBatch);
  cursor_query_->SetIsCursorResult(true);
  return cursor_query_.get();
}

int32_t TOracleParam::DefaultItemSize() {
  switch (DataType()) {
    case oVarchar2:
      return 2000;
    case oNumber:
      return data_table_ ? 0 : 40;
    case oInteger:
      return 4;
    case oDate:
      return data_table_ ? 0 : 12;
    case oCursor:
      return data_table_ ? 0 : 4;
    case oLong:
    case oLongRaw:
      return data_table_ ? 0 : 32765;
    case oRaw:
    case oMlsLabel:
      return data_table_ ? 0 : 256;
    case oUnknown:
    case oRowid:
    default:
      return 0;
  }
}

TParamType TOracleParam::TypeOfDbType(int32_t DbType) {
  if (data_table_) {
    switch (DbType) {
      case oci::kTypeVarchar2:
        return oVarchar2;
      case oci::kTypeNumber:
      case oci::kTypeInteger:
        return oInteger;
      default:
        return oUnknown;
    }
  }
  switch (DbType) {
    case oci::kTypeVarchar2:
    case oci::kTypeChar:
      return oVarchar2;
    case oci::kTypeNumber:
      return oNumber;
    case oci::kTypeInteger:
      return oInteger;
    case oci::kTypeLong:
      return oLong;
    case oci::kTypeRowid:
      return oRowid;
    case oci::kTypeDate:
      return oDate;
    case oci::kTypeRaw:
      return oRaw;
    case oci::kTypeLongRaw:
      return oLongRaw;
    case oci::kTypeCursor:
      return oCursor;
    case oci::kTypeMlsLabel:
      return oMlsLabel;
    default:
      return oUnknown;
  }
}

int32_t TOracleParam::ExternalType() {
  if (data_table_) {
    switch (DataType()) {
      case oVarchar2:
        return oci::kTypeVarchar2;
      case oNumber:
      case oInteger:
        return oci::kTypeInteger;
      default:
        RaiseInterfaceError(ecNoBuffer, "Datatype");
    }
  }
  switch (DataType()) {
    case oVarchar2:
    case oNumber:
    case oDate:
    case oRowid:
    case oLong:
      return oci::kTypeVarchar2;  // exchanged as text
    case oInteger:
      return oci::kTypeInteger;
    case oCursor:
      return oci::kTypeCursor;
    case oLongRaw:
      return oci::kTypeLongRaw;
    case oRaw:
      return oci::kTypeRaw;
    case oMlsLabel:
      return oci::kTypeMlsLabel;
    case oUnknown:
    default:
      RaiseInterfaceError(ecNoBuffer, "Datatype");
  }
}

TParamKind TOracleParam::KindOfDbKind(int32_t DbKind) {
  switch (DbKind) {
    case 1:
      return oOutput;
    case 2:
      return oInpOut;
    default:
      return oInput;
  }
}

int32_t TOracleParam::DbKindOfKind(TParamKind Kind) {
  switch (Kind) {
    case oInpOut:
      return 2;
    case oOutput:
      return 1;
    default:
      return 0;
  }
}

void TOracleParam::Assign(TPersistent* Source) {
  // First, since it decides the default sizes the copied values are stored with.
  if (auto* src = dynamic_cast<TOracleParam*>(Source)) data_table_ = src->data_table_;
  TParam::Assign(Source);
}

void TOracleParam::PublishProperties(TPropertyList& P) {
  TParam::PublishProperties(P);
  P.Boolean(
       "DataTable", [this] { return DataTable(); }, [this](bool v) { SetDataTable(v); })
      .Default(0);
}

}  // namespace tess
