// The interpreter's SQL on a SQLite connection: statements and expressions translated by
// the dialect, prepared once, bound with the interpreter's values and read back into them.
// Hosts (the engine's sessions, the tests) build their Prepare and Evaluate on these.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "oci7/dialect/dialect.h"
#include "oci7/plsql/runtime.h"

struct sqlite3_stmt;

namespace tess::oci7::plsql {

// Turns a SQLite failure (the result code of prepare or step) into the Oracle error.
// `failed` is the statement whose step failed (not yet reset), or null.
using SqliteErrorMapper = std::function<OraError(sqlite3* db, int rc, const Translation* tr,
                                                 sqlite3_stmt* failed)>;

class SqliteStatement : public SqlStatement {
 public:
  // Takes the prepared statement over.  `beforeExecute` runs before each execution (a
  // host opens its write transaction there).
  SqliteStatement(sqlite3* db, Translation translation, sqlite3_stmt* statement,
                  SqliteErrorMapper mapError,
                  std::function<void(const Translation&)> beforeExecute);
  ~SqliteStatement() override;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  const std::vector<std::string>& Binds() const override { return translation_.binds; }
  const std::vector<bool>& VariableBinds() const override { return translation_.variableBinds; }
  const std::vector<std::string>& Columns() const override { return translation_.columnNames; }
  bool IsQuery() const override { return translation_.info.isQuery; }
  void Execute(const std::vector<Value>& values) override;
  bool Fetch(std::vector<Value>& row) override;
  int64_t RowsAffected() const override { return rowsAffected_; }

  const Translation& translation() const { return translation_; }
  // Gives the SQLite statement away (a cursor variable handed to the caller); this
  // object then answers no more rows.
  sqlite3_stmt* Release();
  // Reads the rest of an open query's rows into memory, so that writes on the connection
  // no longer reach what it returns.
  void Detach();

 private:
  std::vector<Value> ReadRow();
  void Track(bool open);

  sqlite3* db_;
  Translation translation_;
  sqlite3_stmt* st_;
  SqliteErrorMapper mapError_;
  std::function<void(const Translation&)> beforeExecute_;
  bool done_ = true;
  bool tracked_ = false;
  bool detached_ = false;
  std::deque<std::vector<Value>> buffered_;  // a detached query's rows still to fetch
  std::optional<OraError> deferred_;         // and the error that ended them
  int64_t rowsAffected_ = 0;
};

// A query open on a connection sees the rows as they were when it was opened, as on the
// server, although SQLite reads them as it steps: before anything writes on `db`, the
// queries open there are detached.  Hosts call this before every write of their own.
void DetachOpenQueries(sqlite3* db);

// Translates and prepares one statement; throws OraError (the dialect's, at the offset in
// `text`, or the mapped SQLite error).
std::unique_ptr<SqliteStatement> PrepareOnSqlite(
    sqlite3* db, std::string_view text, const TranslateContext& context,
    const SqliteErrorMapper& mapError,
    const std::function<void(const Translation&)>& beforeExecute = {});

// Evaluates a SQL expression over :1, :2, ... with `args`.
Value EvaluateOnSqlite(sqlite3* db, const std::string& expression, const std::vector<Value>& args,
                       const TranslateContext& context, const SqliteErrorMapper& mapError);

// One value into a statement's parameter, and one column out of a stepped row (typed by the
// Oracle type code `hint`, 0 for "from the value").
void BindValue(sqlite3_stmt* st, int index, const Value& v);
Value ColumnValue(sqlite3_stmt* st, int column, int hint);

}  // namespace tess::oci7::plsql
