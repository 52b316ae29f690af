// Sessions: logon, Oracle's transactions over SQLite's, name resolution, sequences,
// server output, and the call control of non-blocking mode, break and kill.
//
// Invariants: db_ and the readers lent to cursors are used only by the thread holding
// workMutex_; a job, once queued, stays in job_ until the same call collects its result,
// its cursor is closed, or the session ends; executing_ is true from the moment work is
// queued or started until it has returned, so a break that arrives before the worker picks
// the job up still counts.  A session is listed among its database's live sessions from
// its logon until its connection closes.
#include <sqlite3.h>

#include <cassert>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>

#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"
#include "oci7/engine.h"
#include "oci7/plsql/sqlite_host.h"

namespace tess::oci7 {
namespace {

std::atomic<bool> g_nonBlockingSupported{true};

// How long a wait that only its own thread could end goes on before it is called a
// deadlock (the holder might yet be called from another thread).
constexpr std::chrono::milliseconds kDeadlockGrace{1000};
// Reader connections kept for reuse per session.
constexpr size_t kIdleReaders = 4;

// The live sessions of each database file in this process, so that a wait can find the
// session whose lock it waits for.
struct LiveSessions {
  std::mutex mutex;
  std::multimap<std::string, Session*> byFile;
};
LiveSessions& Live() {
  static auto* live = new LiveSessions;  // sessions may end during the process's exit
  return *live;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// An unquoted user name folds to upper case; a quoted one keeps its case.
std::string UserName(const std::string& raw) {
  std::string t = Trim(raw);
  if (t.size() >= 2 && t.front() == '"' && t.back() == '"') return t.substr(1, t.size() - 2);
  return Upper(t);
}

int ProgressHandler(void* p) {
  return static_cast<Session*>(p)->cancelRequested() ? 1 : 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Server output

void ServerOutput::Enable(int64_t bufferSize) {
  if (bufferSize < 2000) bufferSize = 2000;
  if (bufferSize > 1000000) bufferSize = 1000000;
  limit_ = bufferSize;
  enabled_ = true;
}

void ServerOutput::Disable() {
  enabled_ = false;
  lines_.clear();
  nextLine_ = 0;
  partial_.clear();
  used_ = 0;
  readSinceWrite_ = false;
}

void ServerOutput::BeforeWrite() {
  // Lines not read before the next write after a read are discarded, as the server does.
  if (readSinceWrite_) {
    lines_.clear();
    nextLine_ = 0;
    used_ = static_cast<int64_t>(partial_.size());
    readSinceWrite_ = false;
  }
}

void ServerOutput::Put(const std::string& text) {
  if (!enabled_) return;
  BeforeWrite();
  if (partial_.size() + text.size() > 255)
    throw EngineError(20000, "ORU-10028: line length overflow, limit of 255 bytes per line");
  if (used_ + static_cast<int64_t>(text.size()) > limit_)
    throw EngineError(20000,
                      "ORU-10027: buffer overflow, limit of " + std::to_string(limit_) + " bytes");
  partial_ += text;
  used_ += static_cast<int64_t>(text.size());
}

void ServerOutput::NewLine() {
  if (!enabled_) return;
  BeforeWrite();
  lines_.push_back(std::move(partial_));
  partial_.clear();
}

std::optional<std::string> ServerOutput::GetLine() {
  readSinceWrite_ = true;
  if (!enabled_ || nextLine_ >= lines_.size()) return std::nullopt;
  std::string line = std::move(lines_[nextLine_++]);
  used_ -= static_cast<int64_t>(line.size());
  if (nextLine_ == lines_.size()) {
    lines_.clear();
    nextLine_ = 0;
  }
  return line;
}

// ---------------------------------------------------------------------------------------
// Logon

std::shared_ptr<Session> Session::Logon(const std::string& rawUser, const std::string& password,
                                        const std::string& server) {
  std::string user = UserName(rawUser);
  if (user.empty()) throw EngineError(1017);
  if (password.empty()) throw EngineError(1005);
  std::string dbName = Upper(Trim(server));
  if (dbName.empty()) dbName = "DEFAULT";
  auto file = DatabaseFile(dbName);
  std::error_code ec;
  if (!file || !std::filesystem::is_regular_file(*file, ec)) throw EngineError(12154);

  std::shared_ptr<Session> s(new Session);
  s->databaseName_ = dbName;
  s->file_ = *file;
  s->caller_ = std::this_thread::get_id();
  int rc =
      sqlite3_open_v2(file->c_str(), &s->db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close_v2(s->db_);
    s->db_ = nullptr;
    throw EngineError(12154);
  }
  sqlite3_extended_result_codes(s->db_, 1);
  sqlite3_busy_handler(s->db_, BusyHandler, s.get());
  ExecSql(s->db_,
          "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;"
          "PRAGMA case_sensitive_like=ON");

  {
    CatalogQuery q(s->db_,
                   "SELECT USER_ID, PASSWORD_SALT, PASSWORD_HASH, ACCOUNT_STATUS, IS_DBA FROM "
                   "\"TESS$USERS\" WHERE USERNAME = ?1",
                   {user});
    if (!q.Row()) throw EngineError(1017);
    if (PasswordHash(q.Text(1), password) != q.Text(2)) throw EngineError(1017);
    if (q.Text(3) != "OPEN") throw EngineError(1017);
    s->uid_ = static_cast<int>(q.Int(0));
    s->isDba_ = q.Int(4) != 0;
  }
  s->user_ = user;

  Session* raw = s.get();
  s->functions_.userName = user;
  s->functions_.uid = s->uid_;
  s->functions_.nextval = [raw](const std::string& o, const std::string& n) {
    return raw->NextVal(o, n);
  };
  s->functions_.currval = [raw](const std::string& o, const std::string& n) {
    return raw->CurrVal(o, n);
  };
  s->RegisterFunctions(s->db_);
  // A database made before the dictionary existed gets it at its first logon.
  if (NeedsDictionary(s->db_)) {
    ExecSql(s->db_, "BEGIN IMMEDIATE");
    try {
      EnsureDictionary(s->db_);
    } catch (...) {
      sqlite3_exec(s->db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
    ExecSql(s->db_, "COMMIT");
  }
  if (!HasSystemPrivilege(*s, "CREATE SESSION")) throw EngineError(1045, user);
  for (const std::string& g : s->GranteeNames())
    if (g == "DBA") s->isDba_ = true;
  sqlite3_progress_handler(s->db_, 1000, ProgressHandler, raw);
  {
    LiveSessions& live = Live();
    std::lock_guard lock(live.mutex);
    live.byFile.emplace(s->file_, raw);
  }
  return s;
}

Session::~Session() {
  Close();  // never throws: a failure was recorded, and the session is gone all the same
}

int Session::CloseConnection(bool unregisterCursors, bool commit) noexcept {
  // Every step is taken even when an earlier one fails, so that the connection (and the
  // write lock it may hold) never outlives the session; the first failure is the answer.
  int failure = 0;
  auto noteFailure = [&] {
    int code = RecordCurrentError();
    if (!failure) failure = code;
  };
  // Cursors first: their statements must be finalized before the connection closes.
  // A killed session keeps its cursors registered, so that their calls answer 3113/3114.
  std::vector<uint64_t> ids;
  try {
    ids = CursorIds();
  } catch (...) {
    noteFailure();
  }
  for (uint64_t id : ids) {
    try {
      if (auto c = FindCursorById(id)) c->Release();
    } catch (...) {
      noteFailure();
    }
    try {
      if (unregisterCursors) UnregisterCursor(id);
    } catch (...) {
      noteFailure();
    }
  }
  if (unregisterCursors) {
    try {
      std::lock_guard lock(cursorsMutex_);
      cursorIds_.clear();
    } catch (...) {
      noteFailure();
    }
  }
  // The interpreter's package state may hold statements of the connection.
  plsql.reset();
  if (db_) {
    if (commit) {
      try {
        Commit();
      } catch (...) {
        noteFailure();  // and what the commit left undone is rolled back
      }
    }
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  holdsLock_ = false;
  try {
    {
      LiveSessions& live = Live();
      std::lock_guard lock(live.mutex);
      for (auto [it, to] = live.byFile.equal_range(file_); it != to; ++it) {
        if (it->second == this) {
          live.byFile.erase(it);
          break;
        }
      }
    }
    std::lock_guard lock(readersMutex_);
    readersClosed_ = true;
    for (sqlite3* reader : idleReaders_) sqlite3_close_v2(reader);
    idleReaders_.clear();
  } catch (...) {
    noteFailure();
  }
  return failure;
}

int Session::End(bool commit) noexcept {
  int failure = 0;
  try {
    std::unique_lock lock(jobMutex_);
    if (closed_) return 0;
    closed_ = true;
    // Work still running (on the worker, or a blocking call of another thread) ends: the
    // session does.
    if (executing_) SignalCancel();
    if (job_ && job_->running) jobCv_.wait(lock, [&] { return !job_ || !job_->running; });
    job_.reset();
    stopWorker_ = true;
    jobCv_.notify_all();
    lock.unlock();
    if (worker_.joinable()) worker_.join();
    assert(!job_);
  } catch (...) {
    failure = RecordCurrentError();
  }
  try {
    std::lock_guard work(workMutex_);
    cancel_ = false;  // the break was for the work that ran, not for the logoff's commit
    int code = CloseConnection(true, commit);
    if (!failure) failure = code;
  } catch (...) {
    // The work mutex could not be taken: close all the same, nothing else can run now.
    if (!failure) failure = RecordCurrentError();
    int code = CloseConnection(true, commit);
    if (!failure) failure = code;
  }
  return failure;
}

int Session::RecordCurrentError() noexcept {
  int code = CurrentErrorCode();
  try {
    OraError e = CurrentError();
    RecordError(e.code, e.message);
  } catch (...) {
    // No memory for the text: the code alone answers.
  }
  return code;
}

// ---------------------------------------------------------------------------------------
// Name resolution

const std::vector<std::string>& Session::GranteeNames() {
  if (grantees_.empty()) grantees_ = Grantees(db_, user_);
  return grantees_;
}

void Session::CheckLink(const std::string& name, int offset) {
  // Only a loopback link (to this very database) leads anywhere.
  std::optional<DbLink> link = FindDbLink(*this, name);
  if (!link || !(Trim(link->host).empty() || Upper(Trim(link->host)) == databaseName_))
    throw EngineError(2019, {}, offset);
}

std::optional<ResolvedObject> Session::Resolve(const ObjectRef& ref, const std::string& schema,
                                               Rights rights) {
  const std::string& who = schema.empty() ? user_ : schema;
  if (!ref.link.empty()) CheckLink(ref.link, ref.offset);
  auto visible = [&](std::optional<ResolvedObject> r) -> std::optional<ResolvedObject> {
    if (r && r->owner != who &&
        !HasObjectPrivilege(*this, r->owner, r->name, r->objectType, nullptr, who, rights))
      return std::nullopt;
    return r;
  };
  return visible(ResolveName(ref, who));
}

std::optional<ResolvedObject> Session::ResolveName(const ObjectRef& ref, const std::string& who) {
  std::string owner = ref.owner;
  std::string name = ref.name;
  auto objectType = [&](const std::string& o, const std::string& n) -> std::string {
    CatalogQuery q(
        db_,
        "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
        "OBJECT_TYPE NOT IN ('INDEX', 'PACKAGE BODY', 'TRIGGER') ORDER BY OBJECT_ID LIMIT 1",
        {o, n});
    return q.Row() ? q.Text(0) : "";
  };
  auto synonymTarget =
      [&](const std::string& o,
          const std::string& n) -> std::optional<std::pair<std::string, std::string>> {
    CatalogQuery q(
        db_,
        "SELECT TABLE_OWNER, TABLE_NAME, DB_LINK FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1 AND "
        "SYNONYM_NAME = ?2",
        {o, n});
    if (!q.Row()) return std::nullopt;
    // A synonym over a link: the link is looked up when the synonym is used.
    if (!q.Null(2) && !q.Text(2).empty()) CheckLink(q.Text(2), ref.offset);
    return std::make_pair(q.Text(0), q.Text(1));
  };

  // Follows a synonym chain from owner.name (at most a few hops, as loops are possible).
  auto follow = [&](std::string o, std::string n) -> std::optional<ResolvedObject> {
    for (int hop = 0; hop < 16; ++hop) {
      std::string type = objectType(o, n);
      if (type.empty()) {
        if (hop == 0) return std::nullopt;
        throw EngineError(980, {}, ref.offset);
      }
      if (type != "SYNONYM") return ResolvedObject{o, n, type};
      auto target = synonymTarget(o, n);
      if (!target) return std::nullopt;
      o = target->first;
      n = target->second;
    }
    throw EngineError(980, {}, ref.offset);
  };

  if (!owner.empty()) {
    if (auto r = follow(owner, name)) return r;
    return std::nullopt;
  }
  if (auto r = follow(who, name)) return r;
  if (auto target = synonymTarget("PUBLIC", name)) {
    auto r = follow(target->first, target->second);
    if (!r) throw EngineError(980, {}, ref.offset);
    return r;
  }
  return std::nullopt;
}

TranslateContext Session::MakeTranslateContext(const std::string& schema, Rights rights) {
  TranslateContext ctx;
  ctx.currentUser = schema.empty() ? user_ : schema;
  // A view a statement uses must be valid, or compile again first.
  ctx.resolve = [this, schema, rights](const ObjectRef& ref) {
    std::optional<ResolvedObject> r = Resolve(ref, schema, rights);
    if (r && r->objectType == "VIEW") CheckViewUsable(*this, *r);
    return r;
  };
  ctx.columns = [this](const ResolvedObject& obj) { return ColumnsFromSqlite(db_, obj); };
  ctx.viewSource = [this](const ResolvedObject& view) { return ViewSourceOf(*this, view); };
  ctx.dateFormat = dateFormat();
  return ctx;
}

// ---------------------------------------------------------------------------------------
// Transactions

bool Session::InTransaction() const {
  return db_ && !sqlite3_get_autocommit(db_);
}

void Session::BeginWrite(WriteReason reason, bool nowait) {
  if (!db_) throw EngineError(kOraNotConnected);
  // Queries open keep the rows they had: the interpreter's and the cursors' (a sequence's
  // number is drawn while a query steps: nothing of the query's changes).
  if (reason == WriteReason::Work) {
    plsql::DetachOpenQueries(db_);
    ReleaseConnection(nullptr);
  }
  if (!sqlite3_get_autocommit(db_)) {
    if (reason == WriteReason::Work) sequenceOnly_ = false;
    return;
  }
  nowait_ = nowait;
  waitEnd_ = WaitEnd::None;  // what ended an earlier wait says nothing of this one
  int rc = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  nowait_ = false;
  if (rc != SQLITE_OK) {
    if ((rc & 0xff) == SQLITE_BUSY && waitEnd_ == WaitEnd::Cancelled)
      throw EngineError(kOraCancelled);
    if ((rc & 0xff) == SQLITE_BUSY && waitEnd_ == WaitEnd::Deadlock)
      throw EngineError(kOraDeadlock);
    throw MapSqliteError(db_, rc, {});  // NOWAIT: ORA-00054
  }
  sequenceOnly_ = reason == WriteReason::Sequence;
}

int Session::BusyHandler(void* session, int count) {
  return static_cast<Session*>(session)->KeepWaiting(count) ? 1 : 0;
}

bool Session::KeepWaiting(int count) {
  const auto now = std::chrono::steady_clock::now();
  if (count == 0) deadlockSince_ = now;
  if (nowait_) return false;
  if (!WaitingForMyOwnThread()) {
    deadlockSince_ = now;
  } else if (now - deadlockSince_ >= kDeadlockGrace) {
    waitEnd_ = WaitEnd::Deadlock;
    return false;
  }
  // Short naps first (a lock is often released at once), then a steady pace; a break
  // (or a kill) wakes the wait.
  static constexpr int kNaps[] = {1, 2, 5, 10, 20};
  const int ms = count < 5 ? kNaps[count] : 50;
  std::unique_lock lock(sleepMutex_);
  if (sleepCv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return cancel_.load(); })) {
    waitEnd_ = WaitEnd::Cancelled;
    return false;
  }
  return true;
}

bool Session::WaitingForMyOwnThread() const {
  // A wait on the worker leaves the caller's thread free to end the other transaction.
  const std::thread::id me = std::this_thread::get_id();
  if (caller_.load() != me) return false;
  LiveSessions& live = Live();
  std::lock_guard lock(live.mutex);
  for (auto [it, to] = live.byFile.equal_range(file_); it != to; ++it) {
    const Session* other = it->second;
    if (other != this && other->holdsLock_ && !other->executing_ && other->caller_.load() == me)
      return true;
  }
  return false;
}

void Session::Commit() {
  if (!db_) throw EngineError(kOraNotConnected);
  sequenceOnly_ = false;
  if (sqlite3_get_autocommit(db_)) return;
  int rc = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) throw MapSqliteError(db_, rc, {});
  ++transactionEnds_;
  sequenceMarks_.clear();
}

void Session::Rollback() {
  if (!db_) throw EngineError(kOraNotConnected);
  sequenceOnly_ = false;
  if (sqlite3_get_autocommit(db_)) return;
  plsql::DetachOpenQueries(db_);
  int rc = sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) throw MapSqliteError(db_, rc, {});
  ++transactionEnds_;
  if (!sequenceMarks_.empty()) {
    // The numbers were handed out: the sequences keep their advance.
    BeginWrite();
    ReplaySequenceMarks();
    Commit();
  }
}

void Session::RollbackToSavepoint(const std::string& name) {
  if (!InTransaction()) throw EngineError(1086, name);
  plsql::DetachOpenQueries(db_);
  std::string sql = "ROLLBACK TO \"" + name + "\"";
  int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    if (std::string(sqlite3_errmsg(db_)).find("no such savepoint") != std::string::npos)
      throw EngineError(1086, name);
    throw MapSqliteError(db_, rc, {});
  }
  ReplaySequenceMarks();
}

void Session::ReplaySequenceMarks() {
  for (const auto& [key, next] : sequenceMarks_) {
    CatalogQuery u(
        db_,
        "UPDATE \"TESS$SEQUENCES\" SET LAST_NUMBER = ?3 WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
        {key.first, key.second, next});
    u.Run();
  }
}

void Session::EndSequenceOnly() {
  if (sequenceOnly_ && InTransaction()) Commit();
}

void Session::StartStatement(const Cursor* starting) {
  // Within its own write transaction the session's reads are the newest there are.
  if (!db_ || InTransaction()) return;
  if (sqlite3_txn_state(db_, nullptr) == SQLITE_TXN_NONE) return;
  plsql::DetachOpenQueries(db_);
  ReleaseConnection(starting);
}

void Session::ReleaseConnection(const Cursor* except) {
  if (sqlite3_txn_state(db_, nullptr) == SQLITE_TXN_NONE) return;  // nothing in progress
  for (uint64_t id : CursorIds()) {
    auto c = FindCursorById(id);
    if (c && c.get() != except) c->MoveOffConnection();
  }
}

sqlite3* Session::AcquireReader() {
  {
    std::lock_guard lock(readersMutex_);
    if (!idleReaders_.empty()) {
      sqlite3* reader = idleReaders_.back();
      idleReaders_.pop_back();
      return reader;
    }
  }
  sqlite3* reader = nullptr;
  int rc =
      sqlite3_open_v2(file_.c_str(), &reader, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  struct Guard {
    sqlite3*& db;
    ~Guard() {
      if (db) sqlite3_close_v2(db);
    }
  } guard{reader};
  if (rc != SQLITE_OK) throw EngineError(kOraInternalError, "cannot open a reader");
  sqlite3_extended_result_codes(reader, 1);
  // The same LIKE, functions and breaks as the session's connection; the first read tells
  // the connection that the file is in WAL mode, which snapshots need.
  ExecSql(reader, "PRAGMA case_sensitive_like=ON; PRAGMA application_id");
  RegisterFunctions(reader);
  sqlite3_busy_handler(reader, BusyHandler, this);
  sqlite3_progress_handler(reader, 1000, ProgressHandler, this);
  return std::exchange(reader, nullptr);
}

void Session::RegisterFunctions(sqlite3* db) {
  int rc = RegisterOracleFunctions(db, &functions_);
  if (rc == SQLITE_OK) rc = RegisterDictionaryFunctions(db, this);
  if (rc != SQLITE_OK) throw EngineError(kOraInternalError, "cannot register functions");
}

void Session::ReturnReader(sqlite3* reader) noexcept {
  if (!reader) return;
  if (!sqlite3_get_autocommit(reader)) sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
  try {
    std::lock_guard lock(readersMutex_);
    if (!readersClosed_ && idleReaders_.size() < kIdleReaders) {
      idleReaders_.push_back(reader);
      return;
    }
  } catch (...) {
    // No room to keep it: it closes.
  }
  sqlite3_close_v2(reader);
}

void Session::RunDdl(const std::function<void()>& work) {
  Commit();
  BeginWrite();
  try {
    work();
  } catch (...) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    ++transactionEnds_;
    sequenceOnly_ = false;
    throw;
  }
  Commit();
}

// ---------------------------------------------------------------------------------------
// Sequences

int64_t Session::NextVal(const std::string& owner, const std::string& name) {
  BeginWrite(WriteReason::Sequence);
  CatalogQuery q(db_,
                 "SELECT MIN_VALUE, MAX_VALUE, INCREMENT_BY, CYCLE_FLAG, LAST_NUMBER FROM "
                 "\"TESS$SEQUENCES\" WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
                 {owner, name});
  if (!q.Row()) throw EngineError(2289);
  int64_t minValue = q.Int(0), maxValue = q.Int(1), increment = q.Int(2);
  bool cycle = q.Text(3) == "Y";
  int64_t value = q.Int(4);
  if (increment >= 0 ? value > maxValue : value < minValue) {
    if (!cycle) throw EngineError(8004, owner + "." + name);
    value = increment >= 0 ? minValue : maxValue;
  }
  int64_t next;
  if (__builtin_add_overflow(value, increment, &next))
    next = increment >= 0 ? INT64_MAX : INT64_MIN;  // beyond any reachable use
  CatalogQuery u(
      db_, "UPDATE \"TESS$SEQUENCES\" SET LAST_NUMBER = ?3 WHERE OWNER = ?1 AND SEQUENCE_NAME = ?2",
      {owner, name, next});
  u.Run();
  sequenceMarks_[{owner, name}] = next;
  currvals_[{owner, name}] = value;
  return value;
}

int64_t Session::CurrVal(const std::string& owner, const std::string& name) {
  auto it = currvals_.find({owner, name});
  if (it == currvals_.end()) throw EngineError(8002, name);
  return it->second;
}

// ---------------------------------------------------------------------------------------
// Errors for oerhms

void Session::RecordError(int code, const std::string& message) {
  std::lock_guard lock(errorMutex_);
  lastCode_ = code;
  lastMessage_ = message;
}

std::optional<std::string> Session::LastErrorText(int code) {
  std::lock_guard lock(errorMutex_);
  if (code != 0 && code == lastCode_) return lastMessage_;
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------
// Call control

int Session::KilledCode() {
  int k = killed_.load();
  if (k == 0) return 0;
  if (k == 1 && killed_.compare_exchange_strong(k, 2)) return kOraEndOfFileOnChannel;
  return kOraNotConnected;
}

void Session::Kill() {
  killed_ = 1;
  {
    std::unique_lock lock(jobMutex_);
    if (executing_) SignalCancel();
    jobCv_.wait(lock, [&] { return !job_ || !job_->running; });
    job_.reset();
  }
  std::lock_guard work(workMutex_);
  CloseConnection(false, false);
}

void Session::SignalCancel() {
  std::lock_guard sleepLock(sleepMutex_);
  cancel_ = true;
  sleepCv_.notify_all();
}

void Session::Break() {
  std::lock_guard lock(jobMutex_);
  if (!executing_) return;
  if (job_) job_->breakRequested = true;
  SignalCancel();
}

void Session::CheckCancel() {
  if (cancel_) throw EngineError(kOraCancelled);
}

void Session::InterruptibleSleep(int64_t milliseconds) {
  if (milliseconds <= 0) {
    CheckCancel();
    return;
  }
  std::unique_lock lock(sleepMutex_);
  bool cancelled = sleepCv_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [&] { return cancel_.load(); });
  if (cancelled) throw EngineError(kOraCancelled);
}

void Session::ApplyDelay() {
  InterruptibleSleep(delayMs_.load());
}

void Session::SetFailCommits(bool on) {
  std::lock_guard work(workMutex_);
  int (*refuse)(void*) = [](void*) { return 1; };
  if (db_) sqlite3_commit_hook(db_, on ? refuse : nullptr, nullptr);
}

void Session::SetNonBlockingSupported(bool on) {
  g_nonBlockingSupported = on;
}

int Session::SetNonBlocking(bool on) {
  if (on && !g_nonBlockingSupported) return kOraNonBlockingUnsupported;
  nonBlocking_ = on;
  return 0;
}

void Session::WorkerLoop() noexcept {
  std::unique_lock lock(jobMutex_);
  for (;;) {
    jobCv_.wait(lock, [&] { return stopWorker_ || jobQueued_; });
    if (stopWorker_) return;
    jobQueued_ = false;
    assert(job_ && job_->running && executing_);
    std::function<int()> work = std::move(job_->work);
    lock.unlock();
    int result;
    try {
      result = RunWork(work);
    } catch (...) {
      // The entry points hand in guarded work; should anything escape all the same, it is
      // the call's answer, never the end of the thread (and of the program).
      result = RecordCurrentError();
    }
    lock.lock();
    executing_ = false;
    if (job_) {
      job_->result = result;
      job_->running = false;
      job_->work = nullptr;
    }
    jobCv_.notify_all();
  }
}

int Session::RunWork(const std::function<int()>& work) {
  std::lock_guard w(workMutex_);
  struct NoteLock {
    Session& s;
    ~NoteLock() { s.holdsLock_ = s.InTransaction(); }
  } note{*this};
  return work();
}

int Session::Call(CallName name, const void* area, bool mayRunAsync,
                  const std::function<int()>& work) {
  if (int k = KilledCode()) return k;
  caller_ = std::this_thread::get_id();
  std::unique_lock lock(jobMutex_);
  if (closed_) return kOraNotLoggedOn;
  if (job_) {
    if (job_->name == name && job_->area == area) {
      assert(job_->running || !job_->work);  // finished work is dropped by the worker
      if (job_->running) {
        if (nonBlocking_) return kOraStillExecuting;
        jobCv_.wait(lock, [&] { return !job_ || !job_->running; });
        if (!job_) return kOraCancelled;
      }
      int result = job_->result;
      job_.reset();
      return result;
    }
    // A finished commit or rollback that nobody came back for is complete as it is (a
    // caller that checks ocom once never repeats it); any other result waits for its call.
    if (!job_->running && (job_->name == CallName::Ocom || job_->name == CallName::Orol)) {
      job_.reset();
    } else {
      if (nonBlocking_) return kOraOperationInProgress;
      jobCv_.wait(lock, [&] { return !job_ || !job_->running; });
    }
    // A different call on the same area supersedes the result nobody collected.
    if (job_ && job_->area == area) job_.reset();
  }
  if (int k = KilledCode()) return k;
  cancel_ = false;
  executing_ = true;
  if (name == CallName::Oparse && asyncParses_) mayRunAsync = true;
  if (mayRunAsync && nonBlocking_) {
    if (name == CallName::Oparse) ++asyncParsesAnswered_;
    job_ = Job{name, area, true, false, 0, work};
    jobQueued_ = true;
    if (!worker_.joinable()) worker_ = std::thread([this] { WorkerLoop(); });
    jobCv_.notify_all();
    return kOraStillExecuting;
  }
  lock.unlock();
  int result;
  try {
    result = RunWork(work);
  } catch (...) {
    executing_ = false;
    throw;
  }
  executing_ = false;
  // A kill that ended the work (a lock wait, a sleep) is what the call answers.
  if (killed_) return KilledCode();
  return result;
}

int Session::ReleaseJobOf(const void* area) {
  std::unique_lock lock(jobMutex_);
  if (!job_ || job_->area != area) return 0;
  if (job_->running) {
    if (!job_->breakRequested && nonBlocking_) return kOraOperationInProgress;
    jobCv_.wait(lock, [&] { return !job_ || !job_->running; });
  }
  job_.reset();
  return 0;
}

void Session::AddCursor(uint64_t id) {
  std::lock_guard lock(cursorsMutex_);
  cursorIds_.push_back(id);
}

void Session::RemoveCursor(uint64_t id) {
  std::lock_guard lock(cursorsMutex_);
  std::erase(cursorIds_, id);
}

std::vector<uint64_t> Session::CursorIds() {
  std::lock_guard lock(cursorsMutex_);
  return cursorIds_;
}

}  // namespace tess::oci7
