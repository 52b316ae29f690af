// Statements and expressions of the interpreter on SQLite, through the dialect.
#include "oci7/plsql/sqlite_host.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <mutex>

namespace tess::oci7::plsql {

void BindValue(sqlite3_stmt* st, int index, const Value& v) {
  switch (v.kind) {
    case Value::Null:
      sqlite3_bind_null(st, index);
      break;
    case Value::Number:
      // Whole numbers go in as integers, so that keys and comparisons stay exact.
      if (v.number == std::trunc(v.number) && std::fabs(v.number) < 9.0e15)
        sqlite3_bind_int64(st, index, static_cast<sqlite3_int64>(v.number));
      else
        sqlite3_bind_double(st, index, v.number);
      break;
    case Value::Text:
    case Value::Date:
      sqlite3_bind_text(st, index, v.text.data(), static_cast<int>(v.text.size()),
                        SQLITE_TRANSIENT);
      break;
    case Value::Raw:
      sqlite3_bind_blob(st, index, v.text.data(), static_cast<int>(v.text.size()),
                        SQLITE_TRANSIENT);
      break;
    default:
      ThrowValueError("");
  }
}

Value ColumnValue(sqlite3_stmt* st, int column, int hint) {
  if (hint == 0) hint = OracleTypeFromDeclared(sqlite3_column_decltype(st, column)).code;
  switch (sqlite3_column_type(st, column)) {
    case SQLITE_INTEGER:
      return Value::Num(static_cast<double>(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
      return Value::Num(sqlite3_column_double(st, column));
    case SQLITE_TEXT: {
      std::string s(reinterpret_cast<const char*>(sqlite3_column_text(st, column)),
                    static_cast<size_t>(sqlite3_column_bytes(st, column)));
      if (s.empty()) return Value();
      if (hint == kTypeDate || (hint == 0 && IsStoredDate(s))) return Value::DateOf(std::move(s));
      if (hint == kTypeNumber) {
        if (auto d = ParseOracleNumber(s)) return Value::Num(*d);
      }
      return Value::Str(std::move(s));
    }
    case SQLITE_BLOB:
      return Value::RawOf(std::string(static_cast<const char*>(sqlite3_column_blob(st, column)),
                                      static_cast<size_t>(sqlite3_column_bytes(st, column))));
    default:
      return Value();
  }
}

namespace {

// The queries open on each connection.  Connections belong to sessions on different
// threads, so the map is shared under a lock; a connection's own entries are only ever
// touched from the thread using it.
struct OpenQueries {
  std::mutex mutex;
  std::multimap<sqlite3*, SqliteStatement*> open;
};

OpenQueries& Registry() {
  static OpenQueries registry;
  return registry;
}

}  // namespace

void DetachOpenQueries(sqlite3* db) {
  std::vector<SqliteStatement*> open;
  {
    OpenQueries& r = Registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto [from, to] = r.open.equal_range(db);
    for (auto it = from; it != to; ++it) open.push_back(it->second);
  }
  for (SqliteStatement* st : open) st->Detach();
}

void SqliteStatement::Track(bool open) {
  if (open == tracked_) return;
  OpenQueries& r = Registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  if (open) {
    r.open.emplace(db_, this);
  } else {
    auto [from, to] = r.open.equal_range(db_);
    for (auto it = from; it != to; ++it) {
      if (it->second == this) {
        r.open.erase(it);
        break;
      }
    }
  }
  tracked_ = open;
}

SqliteStatement::SqliteStatement(sqlite3* db, Translation translation, sqlite3_stmt* statement,
                                 SqliteErrorMapper mapError,
                                 std::function<void(const Translation&)> beforeExecute)
    : db_(db),
      translation_(std::move(translation)),
      st_(statement),
      mapError_(std::move(mapError)),
      beforeExecute_(std::move(beforeExecute)) {}

SqliteStatement::~SqliteStatement() {
  Track(false);
  sqlite3_finalize(st_);
}

sqlite3_stmt* SqliteStatement::Release() {
  Track(false);
  sqlite3_stmt* st = st_;
  st_ = nullptr;
  done_ = true;
  detached_ = false;
  buffered_.clear();
  return st;
}

std::vector<Value> SqliteStatement::ReadRow() {
  int n = sqlite3_column_count(st_);
  std::vector<Value> row;
  row.reserve(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) {
    size_t uc = static_cast<size_t>(c);
    int hint = uc < translation_.columnTypeHints.size() ? translation_.columnTypeHints[uc] : 0;
    row.push_back(ColumnValue(st_, c, hint));
  }
  return row;
}

void SqliteStatement::Detach() {
  Track(false);
  if (!st_ || done_ || detached_ || !IsQuery()) return;
  detached_ = true;
  for (;;) {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) {
      buffered_.push_back(ReadRow());
      continue;
    }
    if (rc != SQLITE_DONE) deferred_ = mapError_(db_, rc, &translation_, nullptr);
    break;
  }
  sqlite3_reset(st_);
}

void SqliteStatement::Execute(const std::vector<Value>& values) {
  if (!st_) throw EngineError(1001);
  Track(false);
  detached_ = false;
  buffered_.clear();
  deferred_.reset();
  done_ = true;
  sqlite3_reset(st_);
  if (!IsQuery()) DetachOpenQueries(db_);
  if (beforeExecute_) beforeExecute_(translation_);
  sqlite3_clear_bindings(st_);
  for (size_t i = 0; i < values.size(); ++i) BindValue(st_, static_cast<int>(i + 1), values[i]);
  done_ = false;
  rowsAffected_ = 0;
  // A query steps when its rows are fetched, so that it can still be handed over whole
  // (a cursor variable given to the caller).
  if (IsQuery()) {
    Track(true);
    return;
  }
  int rc = sqlite3_step(st_);
  while (rc == SQLITE_ROW) rc = sqlite3_step(st_);
  done_ = true;
  if (rc != SQLITE_DONE) {
    OraError e = mapError_(db_, rc, &translation_, st_);
    sqlite3_reset(st_);
    throw e;
  }
  rowsAffected_ = IsQuery() ? 0 : sqlite3_changes(db_);
  sqlite3_reset(st_);
}

bool SqliteStatement::Fetch(std::vector<Value>& row) {
  if (!st_ || done_) return false;
  if (detached_) {
    if (!buffered_.empty()) {
      row = std::move(buffered_.front());
      buffered_.pop_front();
      return true;
    }
    done_ = true;
    if (deferred_) {
      OraError e = *deferred_;
      deferred_.reset();
      throw e;
    }
    return false;
  }
  int rc = sqlite3_step(st_);
  if (rc == SQLITE_DONE) {
    done_ = true;
    Track(false);
    sqlite3_reset(st_);
    return false;
  }
  if (rc != SQLITE_ROW) {
    done_ = true;
    Track(false);
    OraError e = mapError_(db_, rc, &translation_, nullptr);
    sqlite3_reset(st_);
    throw e;
  }
  row = ReadRow();
  return true;
}

std::unique_ptr<SqliteStatement> PrepareOnSqlite(
    sqlite3* db, std::string_view text, const TranslateContext& context,
    const SqliteErrorMapper& mapError,
    const std::function<void(const Translation&)>& beforeExecute) {
  Translation tr = Translate(text, context);
  if (tr.sql.empty()) throw EngineError(900);
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v3(db, tr.sql.c_str(), static_cast<int>(tr.sql.size()), 0, &st, nullptr);
  if (rc != SQLITE_OK || !st) {
    OraError e = mapError(db, rc, &tr, nullptr);
    sqlite3_finalize(st);
    throw e;
  }
  return std::make_unique<SqliteStatement>(db, std::move(tr), st, mapError, beforeExecute);
}

Value EvaluateOnSqlite(sqlite3* db, const std::string& expression, const std::vector<Value>& args,
                       const TranslateContext& context, const SqliteErrorMapper& mapError) {
  Translation tr = TranslateExpression(expression, context);
  std::string sql = "SELECT " + tr.sql;
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st, nullptr);
  if (rc != SQLITE_OK || !st) {
    OraError e = mapError(db, rc, &tr, nullptr);
    sqlite3_finalize(st);
    throw e;
  }
  struct Finalize {
    sqlite3_stmt* st;
    ~Finalize() { sqlite3_finalize(st); }
  } finalize{st};
  for (size_t i = 0; i < tr.binds.size(); ++i) {
    // Placeholders are :1, :2, ... in the expression the interpreter wrote.
    size_t k = static_cast<size_t>(std::atoi(tr.binds[i].c_str()));
    if (k == 0 || k > args.size()) throw EngineError(1008);
    BindValue(st, static_cast<int>(i + 1), args[k - 1]);
  }
  rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) throw mapError(db, rc, &tr, nullptr);
  int hint = tr.columnTypeHints.empty() ? 0 : tr.columnTypeHints[0];
  return ColumnValue(st, 0, hint);
}

}  // namespace tess::oci7::plsql
