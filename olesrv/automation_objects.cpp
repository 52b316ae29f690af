// The automation objects of the in-process server: session, database, dynaset, fields
// collection and field, each an IDispatch with a fixed table of member names.
//
// Every database object owns one connection of the client library; its statements go
// through the access layer's call-interface frame, so this server sees exactly the data
// and rules the call-interface engine sees.  The connection's date format is set to a
// sortable form on logon so that dates can become VT_DATE values without guessing a
// century.
//
// Server errors leave Invoke as DISP_E_EXCEPTION with the code 440 and the server's message
// as the description; the database keeps the message and its parse offset for
// LastServerErrText and LastServerErrPos.  No C++ exception leaves Invoke.
#include "olesrv/automation_objects.h"

#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "oracle/oci_api.h"
#include "oracle/oracle_query.h"
#include "platform/ansi_text.h"
#include "platform/scoped_variant.h"

namespace tess::olesrv {

using platform::ScopedVariant;

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_connections{0};

// The automation code of a server error.
constexpr WORD kServerErrorCode = 440;
// Rows fetched per call for a dynaset.
constexpr int32_t kBatch = 20;
const char* const kDateFormatSql = "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'";

// An error to report through the EXCEPINFO of Invoke.
struct Fault {
  std::string text;
};

// An Invoke failure that is not an exception (missing or mistyped argument).
struct InvokeFailure {
  HRESULT hr;
};

BSTR ToBstr(const std::string& S) {
  const std::wstring w = platform::AnsiToWide(S);
  BSTR b = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
  if (b == nullptr) throw std::bad_alloc();
  return b;
}

std::string FromBstr(BSTR B) {
  return B != nullptr ? platform::WideToAnsi(B, SysStringLen(B)) : std::string();
}

// Arguments arrive in reverse order.
VARIANT* Arg(DISPPARAMS* P, UINT I) {
  if (P == nullptr || I >= P->cArgs) throw InvokeFailure{DISP_E_PARAMNOTFOUND};
  return &P->rgvarg[P->cArgs - 1 - I];
}

std::string ArgText(DISPPARAMS* P, UINT I) {
  ScopedVariant s;
  if (FAILED(VariantChangeType(&s.v, Arg(P, I), 0, VT_BSTR))) throw InvokeFailure{DISP_E_TYPEMISMATCH};
  return FromBstr(s.v.bstrVal);
}

int32_t ArgInt(DISPPARAMS* P, UINT I) {
  ScopedVariant s;
  if (FAILED(VariantChangeType(&s.v, Arg(P, I), 0, VT_I4))) throw InvokeFailure{DISP_E_TYPEMISMATCH};
  return s.v.lVal;
}

void SetText(VARIANT* R, const std::string& S) {
  if (R == nullptr) return;
  R->bstrVal = ToBstr(S);
  R->vt = VT_BSTR;
}

void SetInt(VARIANT* R, int32_t V) {
  if (R == nullptr) return;
  R->vt = VT_I4;
  R->lVal = V;
}

void SetBool(VARIANT* R, bool V) {
  if (R == nullptr) return;
  R->vt = VT_BOOL;
  R->boolVal = V ? VARIANT_TRUE : VARIANT_FALSE;
}

// Hands Object's reference to the result (or drops it when there is no result).
void SetObject(VARIANT* R, IDispatch* Object) {
  if (R == nullptr) {
    Object->Release();
    return;
  }
  R->vt = VT_DISPATCH;
  R->pdispVal = Object;
}

// Oracle's text form of a number as a number: an integer when it is one and fits.
void SetNumber(VARIANT* R, const std::string& Text) {
  char* end = nullptr;
  const double d = std::strtod(Text.c_str(), &end);
  if (end == Text.c_str()) {
    SetText(R, Text);
    return;
  }
  if (d >= -2147483648.0 && d <= 2147483647.0 && static_cast<double>(static_cast<int32_t>(d)) == d) {
    SetInt(R, static_cast<int32_t>(d));
    return;
  }
  R->vt = VT_R8;
  R->dblVal = d;
}

// "YYYY-MM-DD HH24:MI:SS", the connection's date format, as VT_DATE.
void SetDate(VARIANT* R, const std::string& Text) {
  SYSTEMTIME t{};
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  double when = 0;
  if (std::sscanf(Text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) {
    SetText(R, Text);
    return;
  }
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(mo);
  t.wDay = static_cast<WORD>(d);
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(mi);
  t.wSecond = static_cast<WORD>(s);
  if (!SystemTimeToVariantTime(&t, &when)) {
    SetText(R, Text);
    return;
  }
  R->vt = VT_DATE;
  R->date = when;
}

// ---------------------------------------------------------------------------------------
// The dispatch base: reference counting, the name table and the exception barrier.
// ---------------------------------------------------------------------------------------

struct Member {
  const wchar_t* name;
  DISPID id;
};

class DispatchObject : public IDispatch {
 public:
  DispatchObject(const Member* Members, size_t Count) : members_(Members), count_(Count) {
    ++g_objects;
  }
  virtual ~DispatchObject() { --g_objects; }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IDispatch)) {
      *Out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const long n = --refs_;
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override {
    if (Count == nullptr) return E_POINTER;
    *Count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) override {
    if (Info != nullptr) *Info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* Names, UINT Count, LCID,
                                          DISPID* Ids) override {
    if (Names == nullptr || Ids == nullptr) return E_POINTER;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < Count; ++i) {
      Ids[i] = DISPID_UNKNOWN;
      // Only the member name itself is known; named arguments are not.
      if (i > 0) {
        hr = DISP_E_UNKNOWNNAME;
        continue;
      }
      for (size_t m = 0; m < count_; ++m)
        if (_wcsicmp(Names[i], members_[m].name) == 0) Ids[i] = members_[m].id;
      if (Ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS* Params,
                                   VARIANT* Result, EXCEPINFO* Info, UINT* ArgErr) override {
    if (ArgErr != nullptr) *ArgErr = 0;
    if (Result != nullptr) VariantInit(Result);
    bool known = false;
    for (size_t m = 0; m < count_; ++m) known = known || members_[m].id == Id;
    if (!known) return DISP_E_MEMBERNOTFOUND;
    try {
      return Call(Id, Flags, Params, Result);
    } catch (const Fault& f) {
      return Raise(Info, f.text);
    } catch (const InvokeFailure& f) {
      return f.hr;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
      return Raise(Info, e.what());
    } catch (...) {
      return E_UNEXPECTED;
    }
  }

 protected:
  // Runs member Id; throws Fault for a server error, InvokeFailure for a bad call.
  virtual HRESULT Call(DISPID Id, WORD Flags, DISPPARAMS* Params, VARIANT* Result) = 0;

 private:
  static HRESULT Raise(EXCEPINFO* Info, const std::string& Text) {
    if (Info != nullptr) {
      *Info = EXCEPINFO{};
      Info->wCode = kServerErrorCode;
      Info->bstrSource = ToBstr("OracleInProcServer");
      Info->bstrDescription = ToBstr(Text);
    }
    return DISP_E_EXCEPTION;
  }

  std::atomic<long> refs_{1};
  const Member* members_;
  size_t count_;
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

  std::unique_ptr<TOracleQuery> Statement(const std::string& Sql, int32_t Rows) {
    last_error_text.clear();
    last_error_pos = 0;
    auto q = std::make_unique<TOracleQuery>(nullptr, Rows);
    q->SetDatabaseName(name);
    q->SetParseForParams(false);
    q->SetDeferParse(false);
    q->SetSQL(Sql);
    return q;
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

class Dynaset;

enum : DISPID { kEof = 1, kMoveNext, kFields };
const Member kDynasetMembers[] = {{L"EOF", kEof}, {L"MoveNext", kMoveNext}, {L"Fields", kFields}};

enum : DISPID { kFieldValue = DISPID_VALUE, kFieldName = 1 };
const Member kFieldMembers[] = {{L"Value", kFieldValue}, {L"Name", kFieldName}};

enum : DISPID { kItem = DISPID_VALUE, kCount = 1 };
const Member kFieldsMembers[] = {{L"Item", kItem}, {L"Count", kCount}};

class Dynaset : public DispatchObject {
 public:
  Dynaset(std::shared_ptr<Connection> C, const std::string& Sql)
      : DispatchObject(kDynasetMembers, std::size(kDynasetMembers)), conn_(std::move(C)) {
    query_ = conn_->Statement(Sql, kBatch);
    Guarded(*conn_, query_.get(), [&] {
      query_->OpenEx(kBatch, false);
      TakeBatch();
    });
  }

  int32_t ColumnCount() const { return query_->Fields()->Count(); }
  // Column by position, or -1.
  int32_t ColumnOf(const std::string& Name) const {
    for (int32_t i = 0; i < ColumnCount(); ++i)
      if (_stricmp(query_->Fields()->Items(i)->ParamName().c_str(), Name.c_str()) == 0) return i;
    return -1;
  }
  std::string ColumnName(int32_t I) const { return query_->Fields()->Items(I)->ParamName(); }

  void Value(int32_t Column, VARIANT* R) {
    if (eof_) throw Fault{"No current record"};
    TParam* c = query_->Fields()->Items(Column);
    if (R == nullptr) return;
    if (c->GetIndicator(row_) == -1 || c->GetLength(row_) == 0) {
      R->vt = VT_NULL;
      return;
    }
    const std::string text = c->GetAsStringAt(row_);
    switch (c->DataType()) {
      case oNumber:
      case oInteger:
        SetNumber(R, text);
        break;
      case oDate:
        SetDate(R, text);
        break;
      default:
        SetText(R, text);
    }
  }

 protected:
  HRESULT Call(DISPID Id, WORD, DISPPARAMS*, VARIANT* R) override;

 private:
  void TakeBatch() {
    TFields* f = query_->Fields();
    rows_ = f->Count() > 0 ? f->Items(0)->RowCount() : 0;
    row_ = 0;
    eof_ = rows_ <= 0;
  }
  void MoveNext() {
    if (eof_) return;
    if (++row_ < rows_) return;
    if (query_->State() != kStateFetching) {
      eof_ = true;
      return;
    }
    Guarded(*conn_, query_.get(), [&] {
      query_->FetchMore(kBatch);
      TakeBatch();
    });
  }

  std::shared_ptr<Connection> conn_;
  std::unique_ptr<TOracleQuery> query_;
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
  HRESULT Call(DISPID Id, WORD, DISPPARAMS*, VARIANT* R) override {
    if (Id == kFieldName)
      SetText(R, dynaset_->ColumnName(column_));
    else
      dynaset_->Value(column_, R);
    return S_OK;
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
  HRESULT Call(DISPID Id, WORD, DISPPARAMS* P, VARIANT* R) override {
    if (Id == kCount) {
      SetInt(R, dynaset_->ColumnCount());
      return S_OK;
    }
    // Item: by zero-based position or by name.
    VARIANT* a = Arg(P, 0);
    VARTYPE t = static_cast<VARTYPE>(a->vt & ~VT_BYREF);
    int32_t column = t == VT_BSTR ? dynaset_->ColumnOf(ArgText(P, 0)) : ArgInt(P, 0);
    if (column < 0 || column >= dynaset_->ColumnCount()) return DISP_E_BADINDEX;
    SetObject(R, new Field(dynaset_, column));
    return S_OK;
  }

 private:
  Dynaset* dynaset_;
};

HRESULT Dynaset::Call(DISPID Id, WORD, DISPPARAMS*, VARIANT* R) {
  switch (Id) {
    case kEof:
      SetBool(R, eof_);
      break;
    case kMoveNext:
      MoveNext();
      break;
    default:
      SetObject(R, new Fields(this));
  }
  return S_OK;
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
const Member kDatabaseMembers[] = {{L"Options", kOptions},
                                   {L"CreateDynaset", kCreateDynaset},
                                   {L"ExecuteSQL", kExecuteSQL},
                                   {L"LastServerErrText", kLastServerErrText},
                                   {L"LastServerErrPos", kLastServerErrPos}};

class Database : public DispatchObject {
 public:
  explicit Database(std::shared_ptr<Connection> C)
      : DispatchObject(kDatabaseMembers, std::size(kDatabaseMembers)), conn_(std::move(C)) {}

 protected:
  HRESULT Call(DISPID Id, WORD, DISPPARAMS* P, VARIANT* R) override {
    switch (Id) {
      case kOptions:
        SetInt(R, conn_->options);
        break;
      case kCreateDynaset: {
        const std::string sql = ArgText(P, 0);
        SetObject(R, new Dynaset(conn_, sql));
        break;
      }
      case kExecuteSQL: {
        auto q = conn_->Statement(ArgText(P, 0), 1);
        Guarded(*conn_, q.get(), [&] { q->ExecSQL(); });
        SetInt(R, q->RowsProcessed());
        break;
      }
      case kLastServerErrText:
        SetText(R, conn_->last_error_text);
        break;
      default:
        SetInt(R, conn_->last_error_pos);
    }
    return S_OK;
  }

 private:
  std::shared_ptr<Connection> conn_;
};

enum : DISPID { kOpenDatabase = 1 };
const Member kSessionMembers[] = {{L"OpenDatabase", kOpenDatabase}};

class Session : public DispatchObject {
 public:
  Session() : DispatchObject(kSessionMembers, std::size(kSessionMembers)) {}

 protected:
  // OpenDatabase(server, "user/password", options).
  HRESULT Call(DISPID, WORD, DISPPARAMS* P, VARIANT* R) override {
    const std::string server = ArgText(P, 0);
    const std::string logon = ArgText(P, 1);
    const int32_t options = P != nullptr && P->cArgs > 2 ? ArgInt(P, 2) : 0;
    const size_t slash = logon.find('/');
    auto c = std::make_shared<Connection>();
    c->options = options;
    c->db.SetDatabaseName(c->name);
    c->db.SetUser(logon.substr(0, slash));
    c->db.SetPassword(slash == std::string::npos ? std::string() : logon.substr(slash + 1));
    c->db.SetServer(server);
    Guarded(*c, nullptr, [&] {
      c->db.Open();
      c->Statement(kDateFormatSql, 1)->ExecSQL();
    });
    SetObject(R, new Database(std::move(c)));
    return S_OK;
  }
};

}  // namespace

void* NewSessionObject() {
  return static_cast<IDispatch*>(new (std::nothrow) Session());
}

long LiveObjects() {
  return g_objects.load();
}

}  // namespace tess::olesrv
