// The engine behind the call interface: database files and their catalog, sessions over
// one SQLite connection each, cursors, and the handle registry that maps the caller's data
// areas to live objects.
//
// Threads: every call arrives on the caller's thread.  In non-blocking mode the long calls
// (execute, fetch, commit, rollback) run on the session's worker thread instead; the
// session's work mutex keeps engine work on one thread at a time, and obreak, onbtst and
// oerhms never take it.  Cursors hold their session alive; the registry holds both, so a
// handle read from caller memory is only ever an id to look up.
//
// What a statement sees: the session's connection reads what is committed when a read
// begins, and SQLite keeps one read open for as long as any statement of the connection
// is in progress.  So a query left open mid-fetch would freeze its session's view (and
// refuse its writes); before a new statement of the session begins, such a query moves
// off the connection, onto a reader connection of the session that goes on reading the
// query's own snapshot (or, where that cannot be, into memory).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "oci7/dialect/dialect.h"
#include "oci7/oci7.h"

struct sqlite3;
struct sqlite3_stmt;

namespace tess::oci7 {

class Session;
class Cursor;

// Whose privileges count when a user's names are resolved: the session's (the user's own,
// PUBLIC's and its roles') for the statements it runs, or a definer's (its own and PUBLIC's
// only) for what views and stored programs of its own name, as they outlive its roles.
enum class Rights { Session, Definer };
struct PlsqlState;  // the session's PL/SQL interpreter and its parsed units (plsql.cpp)

// ---------------------------------------------------------------------------------------
// Errors (errors.cpp)


// Inside a catch block: the Oracle error of the exception being handled, an OraError as it
// is, bad_alloc as ORA-04030, anything else ORA-00600.  CurrentErrorCode allocates nothing.
int CurrentErrorCode() noexcept;
OraError CurrentError();

// What the engine knows about the statement that failed, to name constraints and
// objects in the Oracle message.
struct FailureContext {
  int functionCode = 0;
  const Translation* translation = nullptr;
  Session* session = nullptr;
  // The statement that failed, not yet reset: a broken foreign key is found by running
  // it again (constraints.h).
  sqlite3_stmt* statement = nullptr;
};

// Maps a SQLite failure (rc is the result of prepare or step) to the Oracle error a user
// expects.  Messages that already carry "ORA-nnnnn:" (from our SQL functions) pass as
// they are.
OraError MapSqliteError(sqlite3* db, int rc, const FailureContext& context);

// ---------------------------------------------------------------------------------------
// Database files and the catalog (database.cpp)

// The folder of the database files: set by the test control, else $TESS_DATA, else the
// `data` folder of the home directory (the folder of the running executable unless the
// test control names another).  With a trailing separator.
std::string DataDirectory();
void SetDataDirectoryOverride(const std::string& dir);
void SetHomeDirectoryOverride(const std::string& dir);

// The file of database NAME (folded to upper case); nullopt for a name that is not a
// plain identifier (so no path can be smuggled in).
std::optional<std::string> DatabaseFile(const std::string& name);

// tessdb's work.  Throw OraError (or std::runtime_error for file-system failures).
void CreateDatabase(const std::string& name);
void DropDatabase(const std::string& name);
std::vector<std::string> ListDatabases();

// The local time in the form the catalog stores dates: 'YYYY-MM-DD HH24:MI:SS'.
std::string Now();

// Salted password hash: hex SHA-256 of salt + upper-cased password.
std::string PasswordHash(const std::string& salt, const std::string& password);
std::string NewSalt();

// Runs a statement on a connection, throwing the mapped error.
void ExecSql(sqlite3* db, const char* sql);

// The catalog tables every database file holds (created by CreateDatabase).
extern const char* const kCatalogSchema;

// The demo schema script, Oracle SQL statements separated by lines holding only "/".
extern const char* const kDemoSchemaScript;

// ---------------------------------------------------------------------------------------
// Server output (DBMS_OUTPUT), one buffer per session.

class ServerOutput {
 public:
  void Enable(int64_t bufferSize);
  void Disable();
  bool enabled() const { return enabled_; }
  void Put(const std::string& text);  // throws ORA-20000 (ORU-10027/10028)
  void NewLine();
  void PutLine(const std::string& text) {
    Put(text);
    NewLine();
  }
  // The next complete line; nullopt when there is none (status 1).
  std::optional<std::string> GetLine();

 private:
  void BeforeWrite();
  bool enabled_ = false;
  bool readSinceWrite_ = false;
  int64_t limit_ = 20000;
  int64_t used_ = 0;
  std::vector<std::string> lines_;
  size_t nextLine_ = 0;
  std::string partial_;
};

// ---------------------------------------------------------------------------------------
// Sessions (session.cpp)

// Names of the calls that may run on the worker; a repeated call is recognised by its
// name and its data area.
enum class CallName { Oexn, Oexfet, Ofen, Ocom, Orol, Oparse, Other };

class Session : public std::enable_shared_from_this<Session> {
 public:
  // Connects USER/PASSWORD to the database named by server (blank: DEFAULT).  Throws
  // OraError 1017, 1005, 12154, ...
  static std::shared_ptr<Session> Logon(const std::string& user, const std::string& password,
                                        const std::string& server);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Ends the session: waits for the worker, finalizes every statement, commits (Logoff)
  // or rolls back (Close: a session that ends without logging off) and closes the
  // connection, each step even when an earlier one failed.  Answers 0, or the code of the
  // first failure (its text recorded for LastErrorText); a commit that fails leaves the
  // work rolled back.  Never throw, since the destructor and the entry points' clean-up
  // paths call them.
  int Logoff() noexcept { return End(true); }
  int Close() noexcept { return End(false); }

  sqlite3* db() const { return db_; }
  const std::string& user() const { return user_; }
  int uid() const { return uid_; }
  bool isDba() const { return isDba_; }
  const std::string& databaseName() const { return databaseName_; }
  const std::string& dateFormat() const { return functions_.dateFormat; }
  void SetDateFormat(const std::string& format) { functions_.dateFormat = format; }
  bool plsqlDebug = false;
  // ALTER SESSION settings the engine records without acting on them (session_settings.h).
  std::map<std::string, std::string> settings;

  // Name resolution for the translator: objects of the owner (default: `schema`, or the
  // session user), then private synonyms, then public ones.  Another user's object the
  // schema's user may not use with `rights` is not found (ORA-00942 to the caller); a
  // database link other than a loopback to this database answers ORA-02019.  The
  // translator's context also compiles an INVALID view it meets (ORA-04063 when it stays
  // so) and knows views' definitions for DML through them.
  std::optional<ResolvedObject> Resolve(const ObjectRef& ref, const std::string& schema = {},
                                        Rights rights = Rights::Session);
  TranslateContext MakeTranslateContext(const std::string& schema = {},
                                        Rights rights = Rights::Session);
  // The names the session user holds privileges through, read once per session (roles
  // granted later count from the next logon, as on the server).
  const std::vector<std::string>& GranteeNames();
  void ForgetGrantees() { grantees_.clear(); }

  std::shared_ptr<PlsqlState> plsql;
  FunctionContext& functions() { return functions_; }

  // Oracle transactions over SQLite: the first change opens a write transaction, waiting
  // for another writer's lock until that one ends (a break ends the wait with ORA-01013,
  // a kill with the lost connection; a wait that only this thread could end answers
  // ORA-00060); COMMIT and ROLLBACK with nothing open succeed.  A transaction opened only
  // to hand out sequence numbers (a query or block using NEXTVAL) ends by itself when that
  // statement ends (EndSequenceOnly), since Oracle's sequences are outside transactions;
  // for the same reason numbers handed out survive a rollback.
  // `nowait` (FOR UPDATE NOWAIT, LOCK TABLE ... NOWAIT): ORA-00054 at once.
  enum class WriteReason { Work, Sequence };
  void BeginWrite(WriteReason reason = WriteReason::Work, bool nowait = false);
  void Commit();
  void Rollback();
  void RollbackToSavepoint(const std::string& name);
  bool InTransaction() const;
  // Counts the ends of transactions (commits and rollbacks), so that a call can tell
  // whether the transaction it started in is still open.
  uint64_t transactionEnds() const { return transactionEnds_; }
  // Nesting depth of calls run as one unit (atomic_call.cpp), naming their savepoints, and
  // the count of the user's savepoints set, which such a call must not release.
  int atomicDepth = 0;
  uint64_t savepointsSet = 0;
  void EndSequenceOnly();
  // A new statement begins (`starting` is its cursor): it must read what is committed
  // now, so the session's queries left open move off the connection (see above).  Within
  // the session's own write transaction nobody else commits, and nothing moves.
  void StartStatement(const Cursor* starting);
  // Reader connections for the queries that moved: the same database, functions and
  // settings, read-only by use.  Returned ones are kept for the next.
  sqlite3* AcquireReader();
  void ReturnReader(sqlite3* reader) noexcept;
  // The session's SQL functions and dictionary functions on one of its connections.
  void RegisterFunctions(sqlite3* db);
  // Runs DDL work between the commits Oracle makes before and after it.
  void RunDdl(const std::function<void()>& work);

  // Sequences (catalog table TESS$SEQUENCES); CURRVAL is per session.
  int64_t NextVal(const std::string& owner, const std::string& name);
  int64_t CurrVal(const std::string& owner, const std::string& name);

  ServerOutput& output() { return output_; }

  // Error text for oerhms: the last error of the session when it has that code.
  void RecordError(int code, const std::string& message);
  std::optional<std::string> LastErrorText(int code);

  // Call control.  Call() runs `work` for the entry point `name` on data area `area`:
  // inline when blocking, on the worker when non-blocking and `mayRunAsync` (answering
  // 3123 until the same call comes again after the work ended).  While work started
  // that way has not been collected, other calls answer 3127 (non-blocking) or wait
  // (blocking).  Checks the killed state first.
  int Call(CallName name, const void* area, bool mayRunAsync, const std::function<int()>& work);
  // Drops an uncollected or running job of `area` (oclose); waits when it is running and
  // a break was asked for, answers 3127 when it is running otherwise.
  int ReleaseJobOf(const void* area);
  // Interrupts the running work, if any.
  void Break();
  bool cancelRequested() const { return cancel_.load(); }
  // Sleeps, ending early with ORA-01013 on a break.
  void InterruptibleSleep(int64_t milliseconds);
  void CheckCancel();

  bool nonBlocking() const { return nonBlocking_.load(); }
  // onbset / onbclr
  int SetNonBlocking(bool on);

  // Test control.
  void Kill();
  // Answers 3113 the first time after a kill, 3114 afterwards, 0 while alive.
  int KilledCode();
  void SetDelay(int ms) { delayMs_ = ms; }
  void ApplyDelay();
  // Every commit of the connection fails (ORA-02091) while on: a failure no test can
  // otherwise bring about on demand.
  void SetFailCommits(bool on);
  // Parses run as non-blocking work too while on (answering 3123 until repeated), as a
  // server may take its time over one; counts the parses that answered so.
  void SetAsyncParses(bool on) { asyncParses_ = on; }
  int asyncParsesAnswered() const { return asyncParsesAnswered_.load(); }
  static void SetNonBlockingSupported(bool on);

  // Cursors of the session (registry ids), released at logoff.
  void AddCursor(uint64_t id);
  void RemoveCursor(uint64_t id);
  std::vector<uint64_t> CursorIds();

  // The work mutex: held for every use of the connection.
  std::recursive_mutex& workMutex() { return workMutex_; }

 private:
  Session() = default;
  void WorkerLoop() noexcept;
  // Runs a call's work under the work mutex, noting afterwards whether it left the write
  // lock held.
  int RunWork(const std::function<int()>& work);
  // Inside a catch block: records the exception's error for oerhms and answers its code.
  int RecordCurrentError() noexcept;
  void SignalCancel();
  std::optional<ResolvedObject> ResolveName(const ObjectRef& ref, const std::string& who);
  // Throws ORA-02019 (at `offset`) unless the database link leads back to this database.
  void CheckLink(const std::string& name, int offset);
  int End(bool commit) noexcept;
  int CloseConnection(bool unregisterCursors, bool commit) noexcept;
  // Moves the session's queries in progress off its connection (see above): before a new
  // statement reads, and before the session writes while one of its own reads stands open.
  void ReleaseConnection(const Cursor* except);

  // Waiting for another session's write lock (SQLite's busy handler): answers whether to
  // try again, else why not.
  enum class WaitEnd { None, Cancelled, Deadlock };
  static int BusyHandler(void* session, int count);
  bool KeepWaiting(int count);
  // Whether another session of this database holds the write lock that only the thread
  // waiting now could end: idle, and last called from this very thread.
  bool WaitingForMyOwnThread() const;

  sqlite3* db_ = nullptr;
  std::string user_;
  int uid_ = 0;
  bool isDba_ = false;
  std::string databaseName_;
  FunctionContext functions_;
  ServerOutput output_;
  std::map<std::pair<std::string, std::string>, int64_t> currvals_;  // OWNER, NAME
  std::vector<std::string> grantees_;
  std::string file_;
  // Sequence numbers handed out in the open transaction: OWNER.NAME -> next number.
  std::map<std::pair<std::string, std::string>, int64_t> sequenceMarks_;
  void ReplaySequenceMarks();
  bool sequenceOnly_ = false;
  uint64_t transactionEnds_ = 0;
  bool nowait_ = false;  // while taking the write lock with NOWAIT
  WaitEnd waitEnd_ = WaitEnd::None;
  std::chrono::steady_clock::time_point deadlockSince_;
  // Read by other sessions' waits: the thread of the last call, whether the write lock is
  // held (as of the end of the last call).
  std::atomic<std::thread::id> caller_{};
  std::atomic<bool> holdsLock_{false};
  std::mutex readersMutex_;
  std::vector<sqlite3*> idleReaders_;
  bool readersClosed_ = false;  // the session's connection closed: readers close on return

  std::mutex errorMutex_;
  int lastCode_ = 0;
  std::string lastMessage_;

  std::recursive_mutex workMutex_;
  std::mutex jobMutex_;
  std::condition_variable jobCv_;
  struct Job {
    CallName name;
    const void* area;
    bool running;
    bool breakRequested;
    int result;
    std::function<int()> work;
  };
  std::optional<Job> job_;
  bool jobQueued_ = false;
  std::thread worker_;
  bool stopWorker_ = false;
  std::atomic<bool> nonBlocking_{false};
  std::atomic<bool> executing_{false};
  std::atomic<bool> cancel_{false};
  std::mutex sleepMutex_;
  std::condition_variable sleepCv_;
  std::atomic<int> killed_{0};
  std::atomic<int> delayMs_{0};
  std::atomic<bool> asyncParses_{false};
  std::atomic<int> asyncParsesAnswered_{0};
  std::mutex cursorsMutex_;
  std::vector<uint64_t> cursorIds_;
  bool closed_ = false;
};

// ---------------------------------------------------------------------------------------
// Cursors (cursor.cpp)

struct BindVar {
  std::string name;
  ub1* progv = nullptr;
  sword progvl = 0;
  sword ftype = 0;
  sb2* indp = nullptr;
  ub2* alen = nullptr;
  ub2* arcode = nullptr;
  ub4 maxsiz = 0;  // > 0: a PL/SQL table of up to maxsiz elements
  ub4* cursiz = nullptr;
};

struct DefineVar {
  bool defined = false;
  ub1* buf = nullptr;
  sword bufl = 0;
  sword ftype = 0;
  sb2* indp = nullptr;
  ub2* rlen = nullptr;
  ub2* rcode = nullptr;
};

// How a select-list value is shown in text: from its Oracle type.
struct ColumnDesc {
  std::string name;
  OracleType type;
  bool typeFromValue = false;  // no type known: decided by each value
  int displaySize = 0;
  bool nullable = true;
};

// A value as the engine carries it between SQLite, binds and PL/SQL.
struct Value {
  enum Kind { Null, Integer, Real, Text, Blob } kind = Null;
  int64_t i = 0;
  double r = 0;
  std::string s;       // text or blob bytes
  int oracleType = 0;  // when known: kTypeDate for a stored date, kTypeNumber, ...
};

class PlsqlBlock;

class Cursor : public std::enable_shared_from_this<Cursor> {
 public:
  explicit Cursor(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  ~Cursor();

  Session& session() { return *session_; }
  const std::shared_ptr<Session>& sessionPtr() { return session_; }

  // Finalizes the statement and frees cursor variables opened through this cursor.
  void Release();

  void Parse(std::string_view text);
  void Bind(const BindVar& var);
  void Define(int pos, const DefineVar& var);
  struct Described {
    sb4 dbsize;
    sb2 dbtype;
    std::string name;
    sb4 dsize;
    sb2 prec, scale, nullok;
  };
  Described Describe(int pos);
  // Returns 0, or a warning code (1406) when a value was truncated; throws on errors.
  int Execute(int iters, int rowoff);
  // Fetches up to nrows rows into the defines; 0 when nrows came, 1403 when fewer.
  int Fetch(int nrows);
  int ExecuteFetch(int nrows, bool cancelAfter, bool exact);
  void Cancel();

  // The data area fields of the last call.
  ub2 functionType() const { return functionType_; }
  ub4 rowsProcessed() const { return rowsProcessed_; }
  int parseErrorOffset() const { return parseErrorOffset_; }

  // Cursor variables: this cursor was opened by a PL/SQL block of `parent`.
  void OpenAsCursorVariable(const Translation& translation, sqlite3_stmt* stmt);
  void AddChild(uint64_t id) { children_.push_back(id); }
  void FreeChildren();
  // A query in progress on the session's connection goes on elsewhere with the same rows:
  // on a reader connection at its own snapshot, or (inside the session's write
  // transaction, whose changes only the session's connection sees, and for cursor
  // variables and queries drawing sequence numbers, which must not run twice) from memory.
  void MoveOffConnection();

  const void* area = nullptr;  // the data area the handle was written to
  uint64_t id = 0;

  // Used by the PL/SQL runner.
  const BindVar* FindBind(const std::string& name) const;
  // Writes an OUT value into a bind (element 0, or `element` of a PL/SQL table); returns
  // 0 or 1406.
  int WriteOutBind(const BindVar& var, const Value& value, int element = 0);
  Value ReadInBind(const BindVar& var, int element = 0);
  // Binds the placeholders of a statement the runner made (by name, from this cursor's
  // binds; `extra` answers names that are not binds, e.g. PL/SQL variables).
  void BindStatement(sqlite3_stmt* stmt, const std::vector<std::string>& names,
                     const std::function<std::optional<Value>(const std::string&)>& extra = {});
  const std::string& text() const { return text_; }

 private:
  enum class Kind {
    None,
    Query,
    Dml,
    Ddl,
    Plsql,
    Commit,
    Rollback,
    Savepoint,
    AlterSession,
    UserDdl,
    Engine,
    Stored,     // CREATE / ALTER / DROP of stored programs, ALTER VIEW ... COMPILE
    Privilege,  // GRANT, REVOKE, roles, database links
    Explain     // EXPLAIN PLAN
  };
  void ResetStatement();
  // The invariants of the flags below (asserted in checked builds).
  void AssertFlags() const;
  void Prepare();
  void DescribeColumns();
  void BindRow(int element, const std::vector<const BindVar*>& order);
  void RunDml(int iters, int rowoff, const std::vector<const BindVar*>& order);
  void RunEngineStatement();
  void PrepareExplain();
  void RunExplain();
  [[noreturn]] void ThrowStep(sqlite3_stmt* source, int rc);
  void EndFetch();
  int Resume();
  int WriteRow(sqlite3_stmt* source, int row);
  void BindQuery(const std::vector<const BindVar*>& order);
  bool MoveToSnapshot();
  void MoveToMemory();
  // Drops the rows a query moved elsewhere; the query reads its prepared statement again.
  void DropMovedRows() noexcept;
  // The binds of the names in order; ORA-01008 when one is missing.
  std::vector<const BindVar*> CheckAllBound(const std::vector<std::string>& names);

  std::shared_ptr<Session> session_;
  Kind kind_ = Kind::None;
  std::string text_;
  Translation translation_;
  std::unique_ptr<PlsqlBlock> block_;
  std::vector<std::string> bindNames_;
  sqlite3_stmt* stmt_ = nullptr;
  // A query moved off the session's connection reads movedRows_, a statement of movedDb_
  // (a reader of the session, or a memory database of the cursor's own), both the
  // cursor's; with the error that ended the rows moved to memory early.
  sqlite3_stmt* movedRows_ = nullptr;
  sqlite3* movedDb_ = nullptr;
  bool movedToReader_ = false;
  std::optional<OraError> movedError_;
  std::vector<Value> args_;  // the values the query was executed with
  std::map<std::string, BindVar> binds_;
  std::vector<DefineVar> defines_;
  std::vector<ColumnDesc> columns_;
  // A query or DML statement holds its prepared statement, a block its parsed block.
  // executed_: a query ran and may be fetched; stepped_: it delivered a row since;
  // exhausted_: the caller has all its rows (or cancelled).  stepped_ needs executed_; a
  // cursor variable or FOR UPDATE is a query (or a released one); only a query executed
  // and not exhausted is moved.
  bool executed_ = false;
  bool exhausted_ = false;
  bool stepped_ = false;
  bool cursorVariable_ = false;
  bool forUpdate_ = false;
  bool nowait_ = false;  // FOR UPDATE NOWAIT
  std::vector<uint64_t> children_;
  ub2 functionType_ = 0;
  ub4 rowsProcessed_ = 0;
  int parseErrorOffset_ = 0;
};

// One element of a caller's output buffer: value, length, indicator and return code.
struct OutSlot {
  ub1* buf = nullptr;
  sword bufl = 0;
  sb2* ind = nullptr;
  ub2* len = nullptr;
  ub2* rcode = nullptr;
};

// A value without ownership: what fetch reads from SQLite and OUT binds write.
struct ValueRef {
  Value::Kind kind = Value::Null;
  int64_t i = 0;
  double r = 0;
  const char* p = nullptr;  // text or blob bytes
  size_t n = 0;
};
ValueRef RefOf(const Value& v);

// Writes a value into a slot of external type ftype, shown as `type` (a DATE shown in
// dateFormat, a NUMBER in Oracle's form).  Returns 0, or the column-level code: 1405 for a
// NULL without an indicator, 1406 for a truncated value.  Throws for a value the type
// cannot take (1722, 1455, 1460, 1465).
int PutValue(const ValueRef& value, const OracleType& type, const std::string& dateFormat,
             sword ftype, const OutSlot& slot);

// Reads one element of a caller's input buffer.  Throws for bad lengths or types.
Value ReadExternal(sword ftype, const ub1* buf, sword bufl, const sb2* ind, const ub2* alen);

// The text form of a value as Oracle shows it (numbers, dates in the format, raw as hex).
std::string ValueText(const Value& value, const std::string& dateFormat);

// ---------------------------------------------------------------------------------------
// PL/SQL blocks (plsql.cpp)

class PlsqlBlock {
 public:
  virtual ~PlsqlBlock() = default;
  // Bind names in order of first appearance.
  virtual const std::vector<std::string>& binds() const = 0;
  // Runs the block; returns 0 or a warning code (1406).  Throws OraError.
  virtual int Run(Cursor& cursor) = 0;
};

// Parses an anonymous block; throws ORA-06550 with the position of the fault.
std::unique_ptr<PlsqlBlock> ParsePlsqlBlock(std::string_view text, Session& session);

// ---------------------------------------------------------------------------------------
// The handle registry (registry.cpp)

enum class HandleKind : uint8_t { Logon = 1, Cursor = 2 };

// Writes a new handle for the object into bytes 16.. of the area.
uint64_t RegisterSession(std::shared_ptr<Session> session, void* area);
uint64_t RegisterCursor(std::shared_ptr<Cursor> cursor, void* area);
// The live object whose handle the area holds; null for a zero-filled, stale, copied or
// garbage area.
std::shared_ptr<Session> FindSession(const void* area);
std::shared_ptr<Cursor> FindCursor(const void* area);
std::shared_ptr<Cursor> FindCursorById(uint64_t id);
void UnregisterSession(const void* area);
void UnregisterCursor(uint64_t id);
// Clears the handle bytes of an area (after close).
void ClearHandle(void* area);

}  // namespace tess::oci7
