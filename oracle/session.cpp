// See session.h.
#include "oracle/session.h"

#include <algorithm>

#include "framework/core/sysutils.h"
#include "oracle/dataset.h"
#include "oracle/dictionary.h"
#include "oracle/oci_api.h"
#include "oracle/ora_ip.h"
#include "oracle/oracle_query.h"
#include "oracle/query.h"
#include "oracle/shared_query.h"
#include "oracle/statement_services.h"
#include "platform/automation.h"
#include "services/exceptions.h"
#include "services/prefs.h"
#include "services/services.h"

namespace tess {

namespace {

int32_t g_session_counter = 0;

constexpr int32_t kNonBlockingUnsupported = 3126;
constexpr int32_t kAlreadyBlocking = 3128;

const char* const kBusyText = "This Session is busy executing another SQL statement";
const char* const kUnidentified = "Internal Error: Unidentified database";

}  // namespace

bool IsConnectionLostCode(int32_t Code) {
  return Code == 1012 || Code == 28 || Code == 3113 || Code == 3114;
}

int32_t TyDatabase::SessionCounter() {
  return g_session_counter;
}

TyDatabase::TyDatabase(uint8_t Engine)
    : engine_(Engine),
      connection_(std::make_unique<TOracleDatabase>(nullptr)),
      query_(std::make_unique<TyQuery>()) {}

TyDatabase::~TyDatabase() {
  // Nothing here may throw: every object below closes quietly, and a lost connection's
  // errors are expected.
  query_.reset();
  debug_.reset();
  ReleaseConnection();
  connection_.reset();
  for (TyQuery* q : bound_) q->SessionGone();
  bound_.clear();
}

void TyDatabase::Unbind(TyQuery* Query) {
  bound_.erase(std::remove(bound_.begin(), bound_.end(), Query), bound_.end());
}

void TyDatabase::ReleaseConnection() noexcept {
  TOracleDatabase* c = connection_.get();
  if (c == nullptr) return;
  try {
    c->Close();
  } catch (...) {
    // A dead connection cannot close its cursors.
  }
  // Statements a failed close left attached are told that the connection is gone, so
  // that nothing reaches them through it once it is being freed.
  TList& datasets = c->Datasets();
  while (datasets.Count() > 0) {
    auto* ds = static_cast<TDataSetLite*>(datasets.Last());
    datasets.Delete(datasets.Count() - 1);
    ds->DatabaseGone(c);
  }
  try {
    c->Close();
  } catch (...) {
  }
}

void TyDatabase::DropConnection() {
  // The fresh connection is made first, so that the session always has one.
  auto fresh = std::make_unique<TOracleDatabase>(nullptr);
  ReleaseConnection();
  connection_ = std::move(fresh);
}

bool TyDatabase::Connect(const std::string& UserName, const std::string& Password,
                         const std::string& Server, const std::string& SessionName) {
  const bool unnamed = Trim(SessionName).empty();
  const std::string name = unnamed ? IntToStr(g_session_counter) : SessionName;
  database_name_ = Server + "-" + UserName + ":" + name;

  if (engine_ == kEngineOle) {
    if (!ConnectOle(UserName, Password, Server)) return false;
    // The server's calls are not cancellable.
    non_blocking_possible_ = false;
  } else if (engine_ != kEngineOci) {
    ShowErrorMsg(kUnidentified);
    return false;
  } else if (!ConnectOci(UserName, Password, Server)) {
    return false;
  }

  if (unnamed) ++g_session_counter;
  session_name_ = name;
  user_name_ = UserName;
  logon_user_name_ = UserName;
  password_ = Password;
  server_ = Server;
  connected_ = true;
  connection_lost_ = false;
  return true;
}

bool TyDatabase::ConnectOle(const std::string& UserName, const std::string& Password,
                            const std::string& Server) {
  using platform::AutoValue;
  platform::AutomationObject* session = GetOraIp()->Session();
  if (session == nullptr) {
    // The holder said why when its object was created as something unusable.
    ShowErrorMsg("Unable to connect to database");
    return false;
  }
  AutoValue db;
  try {
    db = session->Call(
        "OpenDatabase",
        {AutoValue::Text(Server), AutoValue::Text(UserName + "/" + Password), AutoValue::Integer(0)});
    if (db.kind == AutoValue::kObject && db.object != nullptr)
      ShowDebugMsg("Database Option " + db.object->Get("Options").AsText());
  } catch (const platform::AutomationError& e) {
    // A logon error passes to the caller as on the call interface.
    throw EDatabaseError(e.what(), e.Code(), database_name_);
  }
  if (db.kind == AutoValue::kObject && db.object != nullptr) {
    ole_database_ = db.object;
    return true;
  }
  if (db.IsNull() || db.kind == AutoValue::kObject)
    ShowErrorMsg("Unable to connect to database");
  else
    ShowErrorMsg("Connect failed: object not created :-< )");
  return false;
}

bool TyDatabase::ConnectOci(const std::string& UserName, const std::string& Password,
                            const std::string& Server) {
  connection_->SetDatabaseName(database_name_);
  connection_->SetUser(UserName);
  connection_->SetPassword(Password);
  connection_->SetServer(Server);
  connection_->Open();
  if (!connection_->Connected()) {
    ShowErrorMsg("Unable to connect to database");
    return false;
  }

  // Whether cancellable calls work here.  Any failure but "cannot" leaves a logged-on
  // connection that no session list holds: it is logged off before the error passes on.
  try {
    if (gPrefs->NonBlocking) {
      try {
        connection_->SetNonBlocking(true);
        non_blocking_possible_ = connection_->IsNonBlocking();
      } catch (const EDatabaseError& e) {
        if (e.Code() != kNonBlockingUnsupported) throw;
        non_blocking_possible_ = false;
      }
      if (connection_->IsNonBlocking()) connection_->SetNonBlocking(false);
    } else {
      non_blocking_possible_ = false;
    }
  } catch (...) {
    DropConnection();
    throw;
  }
  return true;
}

bool TyDatabase::Disconnect() {
  if (engine_ == kEngineOle) {
    // Nothing to close: the server logs off when its database object is released.
    ole_database_.reset();
    connected_ = false;
    return true;
  }
  if (engine_ != kEngineOci) {
    ShowErrorMsg(kUnidentified);
    return false;
  }
  if (debug_ != nullptr && debug_->Connected()) debug_->Disconnect();
  query_->Close();
  try {
    connection_->Close();
  } catch (const EDatabaseError& e) {
    // A dead connection cannot log off cleanly; the session must still be removable.
    if (!connection_lost_ && !IsConnectionLostCode(e.Code())) throw;
    connection_lost_ = true;
    DropConnection();
  }
  connected_ = false;
  server_output_ = false;
  return true;
}

void TyDatabase::CheckNotBusy() const {
  if (busy_) throw EySQLError(kBusyText);
}

void TyDatabase::NonBlockingOff() {
  try {
    if (connection_->IsNonBlocking()) connection_->SetNonBlocking(false);
  } catch (const EDatabaseError& e) {
    if (e.Code() != kNonBlockingUnsupported && e.Code() != kAlreadyBlocking) throw;
  }
}

void TyDatabase::BreakCall() {
  try {
    connection_->BreakCall();
  } catch (const EDatabaseError& e) {
    if (e.Code() != kNonBlockingUnsupported && e.Code() != kAlreadyBlocking) throw;
  }
}

bool TyDatabase::EnablePlsqlDebug() {
  TyQuery q;
  q.SetDatabase(this);
  q.SQL().Add("ALTER SESSION SET PLSQL_DEBUG=TRUE ");
  q.ExecSQL();
  return true;
}

void TyDatabase::FetchUserName() {
  TyQuery q;
  q.SetDatabase(this);
  q.SQL().Add("Select username");
  q.SQL().Add("from user_users ");
  q.Open();
  user_name_ = q.Eof() ? std::string() : q.FieldByName("username")->AsString();
  q.Close();
}

void TyDatabase::SetServerOutput(bool Enable) {
  if (server_output_ == Enable) return;
  if (Enable) {
    {
      TySharedQuery shared;
      TyQuery* q = shared.Query();
      q->Close();
      q->SetDatabase(this);
      q->SQL().Clear();
      q->SQL().Add("BEGIN DBMS_OUTPUT.ENABLE(" + IntToStr(gPrefs->Dbms_Output_buffer) + "); END;");
      q->ExecSQL();
    }
    query_->Close();
    query_->SetDatabase(this);
    query_->SQL().Clear();
    query_->SQL().Add("BEGIN DBMS_OUTPUT.GET_LINE(:P_LINE,:P_STATUS); END;");
    query_->Prepare();
    TParams* params = query_->Statement()->Params();
    TParam* line = params->FindParam("P_LINE");
    TParam* status = params->FindParam("P_STATUS");
    if (line == nullptr || status == nullptr)
      throw EyIntError("Server output: the GET_LINE block has no P_LINE or P_STATUS");
    line->SetDataType(oVarchar2);
    line->SetKind(oOutput);
    status->SetDataType(oNumber);
    status->SetKind(oOutput);
    server_output_ = true;
  } else {
    query_->Close();
    TySharedQuery shared;
    TyQuery* q = shared.Query();
    q->Close();
    q->SetDatabase(this);
    q->SQL().Clear();
    q->SQL().Add("BEGIN DBMS_OUTPUT.DISABLE; END;");
    q->ExecSQL();
    server_output_ = false;
  }
}

bool TyDatabase::GetServerOutputLine(std::string& Line) {
  if (!server_output_) return false;
  // A cancelled read hands back no line: it ends the reading instead of repeating the
  // previous line as a new one.
  if (!query_->ExecPrepared()) {
    Line.clear();
    return true;
  }
  TParams* params = query_->Statement()->Params();
  Line = params->FindParam("P_LINE")->AsString();
  return params->FindParam("P_STATUS")->AsInteger() == 1;
}

TyDatabase* TyDatabase::GetDebugSession() {
  if (debug_ != nullptr && debug_->Connected()) return debug_.get();
  debug_.reset();
  // The label uses this session's effective name, so that two unnamed parents ("0" and
  // "1") get two different debug sessions.
  auto debug = std::make_unique<TyDatabase>(engine_);
  bool ok = false;
  try {
    ok = debug->Connect(logon_user_name_, password_, server_, session_name_ + "-DBG");
  } catch (const Exception&) {
    ok = false;
  }
  if (!ok) throw EySQLError("Conn/Initialize debug session failed");
  debug_ = std::move(debug);
  return debug_.get();
}

// ---------------------------------------------------------------------------------------
// Once-per-session checks
// ---------------------------------------------------------------------------------------

bool TyDatabase::Check(CachedCheck& Cache, bool IsSynonym, const char* Owner, const char* Name,
                       const std::string& ErrorText, const char* SolutionText) {
  if (Cache.ran) return Cache.answer;
  TySharedQuery shared;
  bool answer = IsSynonym ? IsSynonymPresent(this, shared.Query(), Owner, Name)
                          : IsTableOrViewAccessible(Owner, Name, this, shared.Query());
  Cache.ran = true;
  Cache.answer = answer;
  if (!answer && !ErrorText.empty()) ShowErrorSolution(ErrorText, SolutionText);
  return answer;
}

bool TyDatabase::IsArgumentViewAccessible() {
  return Check(argument_view_, false, "SYS", "DUDEDOD_ARGUMENT$",
               "WARNING: Optional SQL Tessellar view SYS.DUDEDOD_ARGUMENT$ is not accessible. "
               "Cannot PASTE Procedure arguments and EXPAND Package specs in tessellar for "
               "THIS CONNECTION ONLY: " +
                   database_name_,
               " You can stop this message from reappearing by turning off the \"PASTE "
               "ARGUMENTS\" preference under \"Preferences|Coding\" menu. POSSIBLE "
               "REASON:-Installation script crtview.sql may not have been run under the SYS "
               "usercode.");
}

bool TyDatabase::IsProgramStatusLogPresent() {
  std::string error;
  if (gPrefs->CheckMode != 0)
    error =
        "WARNING: Optional public synonym \"ZOVOZEV_IVEVUZO_ZIVERU_DER\" is not present. "
        "Cannot perform Check-In/Check-Out for THIS CONNECTION ONLY: " +
        database_name_;
  return Check(status_log_, true, "PUBLIC", "ZOVOZEV_IVEVUZO_ZIVERU_DER", error,
               " You can stop this message from reappearing by turning off the "
               "\"Check-In/Check-Out\" preference under \"Preferences|Coding\" menu. This is "
               "only a warning. POSSIBLE REASON:-Installation script crtcheck.sql may not have "
               "been run under the DUDEDOD usercode.");
}

bool TyDatabase::IsDbaRolesAccessible() {
  return Check(dba_roles_, false, "SYS", "DBA_ROLES", "", nullptr);
}
bool TyDatabase::IsDbaUsersAccessible() {
  return Check(dba_users_, false, "SYS", "DBA_USERS", "", nullptr);
}
bool TyDatabase::IsDbaTablespacesAccessible() {
  return Check(dba_tablespaces_, false, "SYS", "DBA_TABLESPACES", "", nullptr);
}
bool TyDatabase::IsDbaRollbackSegsAccessible() {
  return Check(dba_rollback_segs_, false, "SYS", "DBA_ROLLBACK_SEGS", "", nullptr);
}
bool TyDatabase::IsDbaDataFilesAccessible() {
  return Check(dba_data_files_, false, "SYS", "DBA_DATA_FILES", "", nullptr);
}

bool TyDatabase::CheckDbaView(CachedCheck& Cache, const std::string& View, const std::string& Node,
                              const std::string& Preference) {
  const std::string solution = "In order to view " + Node +
                               " you must have SELECT access to  SYS." + View +
                               " view. Please ask your DB administrator to grant you access to "
                               "this view OR turn off the \"" +
                               Preference + "\" preference.";
  return Check(Cache, false, "SYS", View.c_str(),
               "Error expanding \"" + Node + "\" node. DBA view SYS." + View + " is not accessible",
               solution.c_str());
}

bool TyDatabase::IsDbaSysPrivsAccessible() {
  return CheckDbaView(dba_sys_privs_, "DBA_SYS_PRIVS", "System Privileges", "System Privileges");
}

bool TyDatabase::IsDbaTabPrivsAccessible() {
  return CheckDbaView(dba_tab_privs_, "DBA_TAB_PRIVS", "Object Privileges", "Object Privileges");
}

bool TyDatabase::IsDbaRolePrivsAccessible() {
  return CheckDbaView(dba_role_privs_, "DBA_ROLE_PRIVS", "Granted Roles", "Db Roles");
}

}  // namespace tess
