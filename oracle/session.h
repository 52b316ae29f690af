// TyDatabase: the program's own database session.  Every window and routine that talks to
// the server holds one.  It wraps one call-interface connection, labels the session for
// the main window's session list ("SERVER-USER:NAME"), owns an internal query for server
// output, guards against a second statement while a cancellable one runs (Busy), keeps a
// companion debug session for the debugger, and answers, once per session, whether
// optional dictionary views and objects may be read.
//
// Engine 1 is the call interface and what every session of the program uses; engine 0
// is the automation server of gOraIp (see ora_ip.h): its session holds the server's
// database object and runs no cancellable calls.
//
// Invariants: Connected() is true only between a successful Connect and Disconnect; a
// session whose connection was lost (ConnectionLost) can always be disconnected and freed,
// its logoff errors being expected; no destructor throws.  Every TyQuery bound to a session
// is told when the session goes, so it never keeps a dangling pointer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/component.h"

namespace tess {

class TOracleDatabase;
class TyQuery;

namespace platform {
class AutomationObject;
}

class TyDatabase : public TObject {
 public:
  static constexpr uint8_t kEngineOle = 0;
  static constexpr uint8_t kEngineOci = 1;

  explicit TyDatabase(uint8_t Engine = kEngineOci);
  ~TyDatabase() override;
  TyDatabase(const TyDatabase&) = delete;
  TyDatabase& operator=(const TyDatabase&) = delete;

  // Labels the session Server-UserName:SessionName (the session counter when SessionName
  // is blank) and logs on.  Logon errors pass to the caller as EDatabaseError; a session
  // that is still not connected afterwards shows "Unable to connect to database" and
  // answers false.  With the NonBlocking preference on, finds out whether cancellable
  // calls work on the connection (NonBlockingPossible).
  bool Connect(const std::string& UserName, const std::string& Password, const std::string& Server,
               const std::string& SessionName);
  // Closes the debug session's connection, then its own.  On a lost connection the
  // logoff's errors are expected and count as success.
  bool Disconnect();

  // Raises EySQLError "This Session is busy executing another SQL statement" while a
  // cancellable statement of this session runs.
  void CheckNotBusy() const;
  void SetConnectionLost() { connection_lost_ = true; }
  // Back to blocking mode; "already blocking" and "cannot" answers are not errors.
  void NonBlockingOff();
  // Interrupts the call running on the connection.
  void BreakCall();
  bool EnablePlsqlDebug();
  // UserName becomes the server's name for the session user (empty when none).
  void FetchUserName();

  // Switches DBMS_OUTPUT on (ENABLE with the preference's buffer size, and the GET_LINE
  // block prepared on the internal query) or off.  Nothing when already so.
  void SetServerOutput(bool Enable);
  // Reads one line of server output: false with the line, true when there are no more
  // lines (also when the read was cancelled).  False and Line untouched while server
  // output is off.
  bool GetServerOutputLine(std::string& Line);
  bool IsDebuggingPossible() const { return true; }

  // The companion debug session, created and connected on demand under this session's
  // name followed by "-DBG"; raises EySQLError "Conn/Initialize debug session failed".
  TyDatabase* GetDebugSession();
  // The debug session as it stands (null when the debugger never made one).
  TyDatabase* DebugSession() const { return debug_.get(); }

  // Once-per-session checks: the first call asks the dictionary, later calls answer from
  // the cache.  The ones with a message show it with the first failure only.
  bool IsArgumentViewAccessible();
  bool IsProgramStatusLogPresent();
  bool IsDbaRolesAccessible();
  bool IsDbaUsersAccessible();
  bool IsDbaTablespacesAccessible();
  bool IsDbaRollbackSegsAccessible();
  bool IsDbaDataFilesAccessible();
  bool IsDbaSysPrivsAccessible();
  bool IsDbaTabPrivsAccessible();
  bool IsDbaRolePrivsAccessible();

  uint8_t Engine() const { return engine_; }
  TOracleDatabase* Connection() const { return connection_.get(); }
  // Engine 0: the server's database object while connected, else null.
  platform::AutomationObject* OleDatabase() const { return ole_database_.get(); }
  TyQuery* InternalQuery() const { return query_.get(); }
  const std::string& DatabaseName() const { return database_name_; }
  // The session name part of the label (the counter's value for an unnamed session).
  const std::string& SessionName() const { return session_name_; }
  const std::string& UserName() const { return user_name_; }
  const std::string& LogonUserName() const { return logon_user_name_; }
  const std::string& Password() const { return password_; }
  const std::string& Server() const { return server_; }
  bool Connected() const { return connected_; }
  bool ConnectionLost() const { return connection_lost_; }
  bool ServerOutput() const { return server_output_; }
  bool NonBlockingPossible() const { return non_blocking_possible_; }
  void SetNonBlockingPossible(bool Value) { non_blocking_possible_ = Value; }
  bool Busy() const { return busy_; }
  void SetBusy(bool Value) { busy_ = Value; }

  // The process-wide counter that numbers sessions connected without a name.
  static int32_t SessionCounter();

 private:
  friend class TyQuery;

  struct CachedCheck {
    bool ran = false;
    bool answer = false;
  };
  // Runs the test once; shows ErrorText with SolutionText on the first failure when
  // ErrorText is given.
  bool Check(CachedCheck& Cache, bool IsSynonym, const char* Owner, const char* Name,
             const std::string& ErrorText, const char* SolutionText);
  // Check of a SYS DBA view that a browser node (and the preference that shows it) needs.
  bool CheckDbaView(CachedCheck& Cache, const std::string& View, const std::string& Node,
                    const std::string& Preference);
  // Closes the connection as far as it can, detaching what a dead connection cannot
  // close.
  void ReleaseConnection() noexcept;
  // ReleaseConnection, then a fresh connection object: for a connection that failed on
  // the way in or died on the server.
  void DropConnection();
  // The engine-0 logon: the server's OpenDatabase; false after showing why.
  bool ConnectOle(const std::string& UserName, const std::string& Password,
                  const std::string& Server);
  // The engine-1 logon and the non-blocking probe; false after showing why.
  bool ConnectOci(const std::string& UserName, const std::string& Password,
                  const std::string& Server);
  void Bind(TyQuery* Query) { bound_.push_back(Query); }
  void Unbind(TyQuery* Query);

  uint8_t engine_;
  std::unique_ptr<TOracleDatabase> connection_;
  std::shared_ptr<platform::AutomationObject> ole_database_;
  std::unique_ptr<TyQuery> query_;
  std::string database_name_;
  std::string session_name_;
  std::string user_name_;
  std::string logon_user_name_;
  std::string password_;
  std::string server_;
  std::unique_ptr<TyDatabase> debug_;
  bool connected_ = false;
  bool connection_lost_ = false;
  bool server_output_ = false;
  CachedCheck argument_view_, status_log_, dba_roles_, dba_users_, dba_tablespaces_,
      dba_rollback_segs_, dba_data_files_, dba_sys_privs_, dba_tab_privs_, dba_role_privs_;
  bool non_blocking_possible_ = true;
  bool busy_ = false;
  std::vector<TyQuery*> bound_;
};

// The session's label, empty for no session (which no query can be bound to).
inline std::string DatabaseNameOf(const TyDatabase* Db) {
  return Db != nullptr ? Db->DatabaseName() : std::string();
}

// True for an Oracle code that means the session's connection is gone: 1012 (not logged
// on), 28 (session killed), 3113 and 3114 (end of, or no, communication channel).
bool IsConnectionLostCode(int32_t Code);

}  // namespace tess
