// The automation objects of the in-process server: session, database, dynaset, fields
// collection and field, each a DispatchObject (dispatch.h) with a fixed table of members.
//
// Every database object owns one connection of the client library; its statements go
// through the access layer's call-interface frame, so this server sees exactly the data
// and rules the call-interface engine sees.  The connection's session settings are the
// server's own (nothing is altered on logon): SQL that relies on the default date form
// runs here as it runs on the call interface.  Dates are fetched in the call interface's
// 7-byte form, which no session setting changes, and go out as VT_DATE whatever their
// year; numbers go out without losing digits (variant_values.h).
//
// Server errors leave Invoke as DISP_E_EXCEPTION with the code 440 and the server's message
// as the description; the database keeps the message and its parse offset for
// LastServerErrText and LastServerErrPos.
#include "olesrv/automation_objects.h"

#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "olesrv/dispatch.h"
#include "olesrv/variant_values.h"
#include "oracle/oci_api.h"
#include "oracle/oracle_query.h"

namespace tess::olesrv {

namespace {

std::atomic<long> g_connections{0};

// Rows fetched per call for a dynaset.
constexpr int32_t kBatch = 20;
// The call interface's DATE: 7 bytes.
constexpr int32_t kDateBytes = 7;

// A dynaset's statement: its DATE columns are defined in the call interface's 7-byte form
// rather than as text in the session's date format, which may lack the century or the era.
class DynasetStatement : public TOracleQuery {
 public:
  DynasetStatement() : TOracleQuery(nullptr, kBatch) {}

  void BindParams(TParams* List) override {
    if (List != Fields()) {
      TOracleQuery::BindParams(List);
      return;
    }
    for (TParam* p : std::vector<TParam*>(List->begin(), List->end())) {
      if (p->DataType() != oDate) {
        Cursor()->Bind(p);
        continue;
      }
      p->SetItemSize(kDateBytes);
      p->AllocateBuffers(true);
      auto define = reinterpret_cast<oci::OdefinFn>(OciEntryAddress(oci::eOdefin));
      define(Cursor()->Area(), p->Pos(), p->ValueArray(), kDateBytes, oci::kTypeDate, -1,
             p->IndicatorArray(), nullptr, -1, -1, p->LengthArray(), p->ReturnCodeArray());
      Cursor()->CheckError();
    }
  }
};

// ---------------------------------------------------------------------------------------
// Connection: one logon, shared by the database object and its dynasets.
// ---------------------------------------------------------------------------------------

struct Connection {
  std::string name = "olesrv-" + std::to_string(++g_connections);
  TOracleDatabase db{nullptr};
  int32_t options = 0;
  std::string last_error_text;
  int32_t last_error_pos = 0;

  ~Connection() {
    try {
      db.Close();
    } catch (...) {
      // A connection that cannot log off cleanly is gone anyway.
    }
  }

  // Q given the connection, the text as it stands (no bind variables) and a clean record.
  void SetUp(TOracleQuery& Q, const std::string& Sql) {
    last_error_text.clear();
    last_error_pos = 0;
    Q.SetDatabaseName(name);
    Q.SetParseForParams(false);
    Q.SetDeferParse(false);
    Q.SetSQL(Sql);
  }

  // Records a failed statement's message and parse offset and raises it.
  [[noreturn]] void Fail(const std::string& Message, const TOracleQuery* Q) {
    last_error_text = Message;
    last_error_pos = Q != nullptr ? Q->ParseErrorOffset() : 0;
    throw Fault{Message};
  }
};

// Runs Body; a failure of the access layer becomes the connection's recorded error.
template <class Fn>
void Guarded(Connection& C, const TOracleQuery* Q, Fn Body) {
  try {
    Body();
  } catch (const Exception& e) {
    C.Fail(e.Message(), Q);
  }
}

// ---------------------------------------------------------------------------------------
// Dynaset, fields and field
// ---------------------------------------------------------------------------------------

enum : DISPID { kEof = 1, kMoveNext, kFields };
const MemberSpec kDynasetMembers[] = {
    {L"EOF", kEof, MemberKind::kProperty, 0, {}},
    {L"MoveNext", kMoveNext, MemberKind::kMethod, 0, {}},
    // Fields(Index) is Fields.Item(Index), as scripts write it.
    {L"Fields", kFields, MemberKind::kProperty, 1, {{L"Index", true}}},
};

enum : DISPID { kFieldValue = DISPID_VALUE, kFieldName = 1 };
const MemberSpec kFieldMembers[] = {
    {L"Value", kFieldValue, MemberKind::kProperty, 0, {}},
    {L"Name", kFieldName, MemberKind::kProperty, 0, {}},
};

enum : DISPID { kItem = DISPID_VALUE, kCount = 1 };
const MemberSpec kFieldsMembers[] = {
    {L"Item", kItem, MemberKind::kProperty, 1, {{L"Index", false}}},
    {L"Count", kCount, MemberKind::kProperty, 0, {}},
};

class Dynaset : public DispatchObject {
 public:
  Dynaset(std::shared_ptr<Connection> C, const std::string& Sql)
      : DispatchObject(kDynasetMembers, std::size(kDynasetMembers)), conn_(std::move(C)) {
    conn_->SetUp(query_, Sql);
    Guarded(*conn_, &query_, [&] {
      query_.OpenEx(kBatch, false);
      TakeBatch();
    });
  }

  int32_t ColumnCount() const { return query_.Fields()->Count(); }
  std::string ColumnName(int32_t I) const { return query_.Fields()->Items(I)->ParamName(); }
  // The column an argument names: by zero-based position, or by name ignoring case.
  int32_t ColumnOf(const Arguments& Args, size_t I) const {
    if (Args.IsText(I)) {
      const std::string name = Args.Text(I);
      for (int32_t c = 0; c < ColumnCount(); ++c)
        if (_stricmp(ColumnName(c).c_str(), name.c_str()) == 0) return c;
      throw InvokeFailure{DISP_E_BADINDEX};
    }
    const int32_t c = Args.Integer(I);
    if (c < 0 || c >= ColumnCount()) throw InvokeFailure{DISP_E_BADINDEX};
    return c;
  }

  void Value(int32_t Column, VARIANT* R) {
    if (eof_) throw Fault{"No current record"};
    TParam* c = query_.Fields()->Items(Column);
    if (R == nullptr) return;
    if (c->GetIndicator(row_) == -1 || c->GetLength(row_) == 0) {
      R->vt = VT_NULL;
      return;
    }
    switch (c->DataType()) {
      case oNumber:
      case oInteger:
        SetNumber(R, c->GetAsStringAt(row_));
        break;
      case oDate:
        if (!SetDate(R, c->ItemAddress(row_)))
          throw Fault{"Invalid date in column " + ColumnName(Column)};
        break;
      default:
        SetText(R, c->GetAsStringAt(row_));
    }
  }

 protected:
  void Call(DISPID Id, const Arguments& Args, VARIANT* R) override;

 private:
  void TakeBatch() {
    TFields* f = query_.Fields();
    rows_ = f->Count() > 0 ? f->Items(0)->RowCount() : 0;
    row_ = 0;
    eof_ = rows_ <= 0;
  }
  void MoveNext() {
    if (eof_) return;
    if (++row_ < rows_) return;
    if (query_.State() != kStateFetching) {
      eof_ = true;
      return;
    }
    Guarded(*conn_, &query_, [&] {
      query_.FetchMore(kBatch);
      TakeBatch();
    });
  }

  std::shared_ptr<Connection> conn_;
  DynasetStatement query_;
  int32_t row_ = 0;
  int32_t rows_ = 0;
  bool eof_ = true;
};

// A field reads the dynaset's current row, whichever it is when asked.
class Field : public DispatchObject {
 public:
  Field(Dynaset* D, int32_t Column)
      : DispatchObject(kFieldMembers, std::size(kFieldMembers)), dynaset_(D), column_(Column) {
    dynaset_->AddRef();
  }
  ~Field() override { dynaset_->Release(); }

 protected:
  void Call(DISPID Id, const Arguments&, VARIANT* R) override {
    if (Id == kFieldName)
      SetText(R, dynaset_->ColumnName(column_));
    else
      dynaset_->Value(column_, R);
  }

 private:
  Dynaset* dynaset_;
  int32_t column_;
};

class Fields : public DispatchObject {
 public:
  explicit Fields(Dynaset* D) : DispatchObject(kFieldsMembers, std::size(kFieldsMembers)), dynaset_(D) {
    dynaset_->AddRef();
  }
  ~Fields() override { dynaset_->Release(); }

 protected:
  void Call(DISPID Id, const Arguments& Args, VARIANT* R) override {
    if (Id == kCount)
      SetInt(R, dynaset_->ColumnCount());
    else
      SetObject(R, new Field(dynaset_, dynaset_->ColumnOf(Args, 0)));
  }

 private:
  Dynaset* dynaset_;
};

void Dynaset::Call(DISPID Id, const Arguments& Args, VARIANT* R) {
  switch (Id) {
    case kEof:
      SetBool(R, eof_);
      break;
    case kMoveNext:
      MoveNext();
      break;
    default:
      if (Args.Has(0))
        SetObject(R, new Field(this, ColumnOf(Args, 0)));
      else
        SetObject(R, new Fields(this));
  }
}

// ---------------------------------------------------------------------------------------
// Database and session
// ---------------------------------------------------------------------------------------

enum : DISPID {
  kOptions = 1,
  kCreateDynaset,
  kExecuteSQL,
  kLastServerErrText,
  kLastServerErrPos,
};
const MemberSpec kDatabaseMembers[] = {
    {L"Options", kOptions, MemberKind::kProperty, 0, {}},
    {L"CreateDynaset",
     kCreateDynaset,
     MemberKind::kMethod,
     2,
     {{L"SQL", false}, {L"Options", true}}},
    {L"ExecuteSQL", kExecuteSQL, MemberKind::kMethod, 1, {{L"SQL", false}}},
    {L"LastServerErrText", kLastServerErrText, MemberKind::kProperty, 0, {}},
    {L"LastServerErrPos", kLastServerErrPos, MemberKind::kProperty, 0, {}},
};

class Database : public DispatchObject {
 public:
  explicit Database(std::shared_ptr<Connection> C)
      : DispatchObject(kDatabaseMembers, std::size(kDatabaseMembers)), conn_(std::move(C)) {}

 protected:
  void Call(DISPID Id, const Arguments& Args, VARIANT* R) override {
    switch (Id) {
      case kOptions:
        SetInt(R, conn_->options);
        break;
      case kCreateDynaset: {
        const std::string sql = Args.Text(0);
        if (Args.Has(1)) Args.Integer(1);  // options: none changes what a dynaset does
        SetObject(R, new Dynaset(conn_, sql));
        break;
      }
      case kExecuteSQL: {
        TOracleQuery q(nullptr, 1);
        conn_->SetUp(q, Args.Text(0));
        Guarded(*conn_, &q, [&] { q.ExecSQL(); });
        SetInt(R, q.RowsProcessed());
        break;
      }
      case kLastServerErrText:
        SetText(R, conn_->last_error_text);
        break;
      default:
        SetInt(R, conn_->last_error_pos);
    }
  }

 private:
  std::shared_ptr<Connection> conn_;
};

enum : DISPID { kOpenDatabase = 1 };
const MemberSpec kSessionMembers[] = {
    {L"OpenDatabase",
     kOpenDatabase,
     MemberKind::kMethod,
     3,
     {{L"DatabaseName", false}, {L"ConnectString", false}, {L"Options", true}}},
};

class Session : public DispatchObject {
 public:
  Session() : DispatchObject(kSessionMembers, std::size(kSessionMembers)) {}

 protected:
  // OpenDatabase(server, "user/password", options).
  void Call(DISPID, const Arguments& Args, VARIANT* R) override {
    const std::string server = Args.Text(0);
    const std::string logon = Args.Text(1);
    const int32_t options = Args.Has(2) ? Args.Integer(2) : 0;
    const size_t slash = logon.find('/');
    auto c = std::make_shared<Connection>();
    c->options = options;
    c->db.SetDatabaseName(c->name);
    c->db.SetUser(logon.substr(0, slash));
    c->db.SetPassword(slash == std::string::npos ? std::string() : logon.substr(slash + 1));
    c->db.SetServer(server);
    Guarded(*c, nullptr, [&] { c->db.Open(); });
    SetObject(R, new Database(std::move(c)));
  }
};

}  // namespace

void* NewSessionObject() {
  return static_cast<IDispatch*>(new (std::nothrow) Session());
}

long LiveObjects() {
  return DispatchObject::Live();
}

}  // namespace tess::olesrv
