// A prepared catalog statement with text and integer parameters, finalized on scope exit;
// SQLite failures become the mapped Oracle error.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

#include "oci7/engine.h"

namespace tess::oci7 {

// A prepared statement that is finalized when it goes out of scope.
struct StatementFinalizer {
  void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class CatalogQuery {
 public:
  using Arg = std::variant<std::string, int64_t, std::nullptr_t>;
  CatalogQuery(sqlite3* db, const char* sql, std::initializer_list<Arg> args = {}) : db_(db) {
    int rc = sqlite3_prepare_v2(db, sql, -1, &st_, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(st_);
      st_ = nullptr;
      throw MapSqliteError(db, rc, {});
    }
    int i = 1;
    for (const Arg& a : args) {
      if (const auto* s = std::get_if<std::string>(&a))
        sqlite3_bind_text(st_, i, s->c_str(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
      else if (const auto* n = std::get_if<int64_t>(&a))
        sqlite3_bind_int64(st_, i, *n);
      else
        sqlite3_bind_null(st_, i);
      ++i;
    }
  }
  ~CatalogQuery() { sqlite3_finalize(st_); }
  CatalogQuery(const CatalogQuery&) = delete;
  CatalogQuery& operator=(const CatalogQuery&) = delete;

  // The next row; false at the end.
  bool Row() {
    int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) throw MapSqliteError(db_, rc, {});
    return false;
  }
  // Runs a statement that returns no rows.
  void Run() {
    while (Row()) {
    }
  }
  std::string Text(int i) const {
    const unsigned char* t = sqlite3_column_text(st_, i);
    return t ? reinterpret_cast<const char*>(t) : "";
  }
  int64_t Int(int i) const { return sqlite3_column_int64(st_, i); }
  bool Null(int i) const { return sqlite3_column_type(st_, i) == SQLITE_NULL; }

 private:
  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
};

// Oracle has no empty strings: an empty text goes into the catalog as NULL.
inline CatalogQuery::Arg TextOrNull(const std::string& s) {
  if (s.empty()) return nullptr;
  return s;
}

// Runs one catalog statement.
inline void CatalogRun(sqlite3* db, const char* sql,
                       std::initializer_list<CatalogQuery::Arg> args = {}) {
  CatalogQuery q(db, sql, args);
  q.Run();
}

// Whether a catalog query returns a row.
inline bool CatalogHas(sqlite3* db, const char* sql,
                       std::initializer_list<CatalogQuery::Arg> args = {}) {
  CatalogQuery q(db, sql, args);
  return q.Row();
}

}  // namespace tess::oci7
