// See oci_api.h.
#include "oracle/oci_api.h"

#include "oracle/oracle_query.h"

namespace tess {

using namespace oci;

const char* const kOciLibraryNames[3] = {"ora73.dll", "ora72.dll", "ora803.dll"};

const char* const kOciEntryNames[kOciEntryCount] = {
    "olog",   "ologof", "oerhms", "ocom",   "orol",   "oopen", "oclose", "oparse",
    "obndra", "odefin", "odescr", "odessp", "oexfet", "ofen",  "oexn",   "ocan",
    "obreak", "oopt",   "opinit", "onbclr", "onbset", "onbtst"};

// ---------------------------------------------------------------------------------------
// The process-wide session
// ---------------------------------------------------------------------------------------

namespace {

// Read by every call into the library, also while the session is being freed at
// shut-down, so it is a plain pointer that outlives the holder below.
TOracleSession* g_session = nullptr;

struct GlobalSessionHolder {
  GlobalSessionHolder() {
    // The framework's reference fix-up table is touched by every component's destructor;
    // making it first makes sure it outlives the session freed at shut-down.
    RemoveFixupReferences(nullptr);
    g_session = new TOracleSession(nullptr);
  }
  ~GlobalSessionHolder() {
    delete g_session;
    g_session = nullptr;
  }
};

GlobalSessionHolder& Holder() {
  static GlobalSessionHolder holder;
  return holder;
}

// Created at start-up, as every other unit's process-wide objects are.
const bool g_session_started = (InitOracleSession(), true);

template <class Fn>
Fn Call(OciEntry E) {
  return reinterpret_cast<Fn>(OciEntryAddress(E));
}

text* AsText(const std::string& S) {
  return reinterpret_cast<text*>(const_cast<char*>(S.c_str()));
}

}  // namespace

void InitOracleSession() {
  (void)Holder();
}

TOracleSession* GlobalOracleSession() {
  if (g_session == nullptr) InitOracleSession();
  return g_session;
}

void* OciEntryAddress(OciEntry E) {
  // A library that lacks the entry, or one no longer loaded, is refused rather than
  // called through a null or stale pointer.
  TOracleSession* s = g_session;
  void* p = s != nullptr && s->LibraryHandle() != nullptr ? s->Entry(E) : nullptr;
  if (p == nullptr) RaiseInterfaceError(ecLibraryNotFound, kOciEntryNames[E]);
  return p;
}

// ---------------------------------------------------------------------------------------
// TOracleSession
// ---------------------------------------------------------------------------------------

TOracleSession::TOracleSession(TComponent* AOwner) : TSession(AOwner) {
  (void)g_session_started;
}

TOracleSession::~TOracleSession() {
  platform::CriticalSectionGuard guard(Lock());
  while (Databases().Count() > 0) delete static_cast<TDatabaseLite*>(Databases().Last());
}

void TOracleSession::LoadLibrary(const char* const*, int, int, void**, const char* const*) {
  TSession::LoadLibrary(kOciLibraryNames, 3, kOciEntryCount, entries_, kOciEntryNames);
  if (entries_[eOpinit] != nullptr) reinterpret_cast<OpinitFn>(entries_[eOpinit])(1);
}

// ---------------------------------------------------------------------------------------
// TOracleCursor
// ---------------------------------------------------------------------------------------

void TOracleCursor::CheckError() {
  int rc = ReturnCode();
  if (rc == 0 || rc == kStillExecuting || rc == kOperationPending) return;
  RaiseError(rc);
}

void TOracleCursor::RaiseError(int rc) {
  std::string message;
  if (owner_ != nullptr) {
    char buf[1024] = {};
    Call<OerhmsFn>(eOerhms)(owner_->LogonArea()->Area(), static_cast<sb2>(rc),
                            reinterpret_cast<text*>(buf), sizeof buf);
    buf[sizeof buf - 1] = '\0';
    message = buf;
  } else {
    // A data area never given a connection has nowhere to ask for the text.
    message = Format("ORA-%05d", rc);
  }
  RaiseDatabaseError(owner_, rc, message);
}

void TOracleCursor::OpenCursor() {
  Call<OopenFn>(eOopen)(&area_, owner_ ? owner_->LogonArea()->Area() : nullptr, nullptr, 0, 0,
                        nullptr, 0);
  CheckError();
}

void TOracleCursor::Parse(const std::string& Text, bool Defer) {
  Call<OparseFn>(eOparse)(&area_, AsText(Text), static_cast<sb4>(Text.size()), Defer ? 1 : 0, 2);
  CheckError();
}

void TOracleCursor::CloseCursor() {
  Call<OcloseFn>(eOclose)(&area_);
  CheckError();
}

void TOracleCursor::CancelCursor() {
  Call<OcanFn>(eOcan)(&area_);
  CheckError();
}

void TOracleCursor::Exec(int32_t Iterations, int32_t RowOffset) {
  Call<OexnFn>(eOexn)(&area_, Iterations, RowOffset);
  CheckError();
}

void TOracleCursor::Fetch(int32_t Rows) {
  Call<OfenFn>(eOfen)(&area_, Rows);
  if (ReturnCode() != kNoDataFound) CheckError();
}

void TOracleCursor::ExecFetch(int32_t Rows, bool CancelAfter) {
  Call<OexfetFn>(eOexfet)(&area_, static_cast<ub4>(Rows), CancelAfter ? 1 : 0, 0);
  if (ReturnCode() != kNoDataFound) CheckError();
}

bool TOracleCursor::IsStillExecuting() const {
  return ReturnCode() == kStillExecuting || ReturnCode() == kOperationPending;
}

// ---------------------------------------------------------------------------------------
// TOracleDatabase
// ---------------------------------------------------------------------------------------

TOracleDatabase::TOracleDatabase(TComponent* AOwner)
    : TDatabaseLite(AOwner, GlobalOracleSession()), lda_(std::make_unique<TOracleCursor>(this)) {}

TOracleDatabase::~TOracleDatabase() {
  CloseQuietly();
}

TSession* TOracleDatabase::GetSession() {
  return GlobalOracleSession();
}

std::string TOracleDatabase::LogonString(const std::string& User, const std::string& Password,
                                         const std::string& Server) {
  std::string s = User + "/" + Password;
  if (!Trim(Server).empty()) s += "@" + Server;
  return s;
}

void TOracleDatabase::Logon(const std::string& User, const std::string& Password,
                            const std::string& Server) {
  TDatabaseLite::Logon(User, Password, Server);
  std::string logon = LogonString(User, Password, Server);
  try {
    Call<OlogFn>(eOlog)(lda_->Area(), hda_, AsText(logon), -1, nullptr, 0, nullptr, 0, 0);
    lda_->CheckError();
  } catch (...) {
    // The connection never opened, so it gives its use of the library back.
    TDatabaseLite::Logoff();
    throw;
  }
}

void TOracleDatabase::Logoff() {
  Call<OlogofFn>(eOlogof)(lda_->Area());
  lda_->CheckError();
  TDatabaseLite::Logoff();
}

void TOracleDatabase::Commit() {
  Call<OcomFn>(eOcom)(lda_->Area());
  lda_->CheckError();
  SetInTransaction(false);
}

void TOracleDatabase::Rollback() {
  Call<OrolFn>(eOrol)(lda_->Area());
  lda_->CheckError();
  SetInTransaction(false);
}

bool TOracleDatabase::IsNonBlocking() {
  if (!Connected()) return false;
  return Call<OnbtstFn>(eOnbtst)(lda_->Area()) == 0;
}

void TOracleDatabase::SetNonBlocking(bool On) {
  if (On)
    Call<OnbsetFn>(eOnbset)(lda_->Area());
  else
    Call<OnbclrFn>(eOnbclr)(lda_->Area());
  lda_->CheckError();
}

void TOracleDatabase::BreakCall() {
  Call<ObreakFn>(eObreak)(lda_->Area());
  lda_->CheckError();
}

namespace {

// The leading run of letters, digits and underscores.
std::string LeadingName(const std::string& S) {
  size_t n = 0;
  while (n < S.size()) {
    char c = S[n];
    bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) break;
    ++n;
  }
  return S.substr(0, n);
}

}  // namespace

void TOracleDatabase::GetProcedureList(TStrings* List, const std::string& PackageName, int Mode) {
  List->Clear();
  auto firstColumn = [this](const std::string& Sql, TStrings* Out) {
    TOracleQuery q(nullptr, 100);
    q.SetDatabaseName(DatabaseName());
    q.SetSQL(Sql);
    q.GetFirstColumnValues(Out);
    q.Close();
  };
  const std::string procedures =
      "SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PROCEDURE' OR "
      "OBJECT_TYPE='FUNCTION'";
  const std::string packages = "SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE'";
  auto members = [&](const std::string& Package) {
    // The name goes between quotes with its own quotes doubled.
    std::string sql = "SELECT UPPER(LTRIM(SUBSTR(LTRIM(TEXT),10))) FROM ALL_SOURCE ";
    sql += "WHERE NAME='" + StringReplace(Package, "'", "''", rfReplaceAll) +
           "' AND TYPE = 'PACKAGE' AND ";
    sql += "(UPPER(LTRIM(TEXT)) LIKE 'PROC%' OR UPPER(LTRIM(TEXT)) LIKE 'FUNC%') ";
    TStringList rows;
    firstColumn(sql, &rows);
    // An overloaded member is listed once.
    TStringList names;
    names.SetSorted(true);
    names.SetDuplicates(dupIgnore);
    for (int i = 0; i < rows.Count(); ++i) {
      std::string name = LeadingName(rows.Strings(i));
      if (!name.empty()) names.Add(Package + "." + name);
    }
    List->AddStrings(&names);
  };

  switch (Mode) {
    case 0:
      firstColumn(procedures, List);
      break;
    case 101:
      firstColumn(packages, List);
      break;
    case 102:
      members(PackageName);
      break;
    case 103: {
      firstColumn(procedures, List);
      TStringList names;
      firstColumn(packages, &names);
      for (int i = 0; i < names.Count(); ++i) members(names.Strings(i));
      break;
    }
    default:
      break;
  }
}

}  // namespace tess
