// A small stand-in for the engine around the dialect: an in-memory SQLite database with the
// Oracle functions registered, a resolver with schemas, synonyms, sequences and one known
// database link, and helpers that translate a statement, run it and return its rows in
// Oracle's text forms.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "oci7/dialect/dialect.h"

namespace tess::oci7::testing {

using Rows = std::vector<std::vector<std::string>>;

class DialectDb {
 public:
  DialectDb() {
    sqlite3_open(":memory:", &db_);
    functions_.userName = "DEMO";
    functions_.uid = 21;
    functions_.fixedSysdate = "2024-03-15 10:30:00";
    functions_.nextval = [this](const std::string& o, const std::string& n) {
      int64_t& v = sequences_[o + "." + n];
      return ++v;
    };
    functions_.currval = [this](const std::string& o, const std::string& n) -> int64_t {
      auto it = sequences_.find(o + "." + n);
      if (it == sequences_.end()) throw EngineError(8002, n, -1);
      return it->second;
    };
    RegisterOracleFunctions(db_, &functions_);
    context_.currentUser = "DEMO";
    context_.resolve = [this](const ObjectRef& r) { return Resolve(r); };
    context_.columns = [this](const ResolvedObject& o) { return ColumnsFromSqlite(db_, o); };
    int n = 0;
    context_.nameConstraint = [n]() mutable { return "SYS_C" + std::to_string(++n); };
    Exec("CREATE TABLE \"SYS.DUAL\" (\"DUMMY\" VARCHAR2(1))");
    Exec("INSERT INTO \"SYS.DUAL\" VALUES ('X')");
    synonyms_["PUBLIC.DUAL"] = {"SYS", "DUAL"};
    sequenceNames_.insert("DEMO.EMP_SEQ");
  }
  ~DialectDb() { sqlite3_close(db_); }

  std::optional<ResolvedObject> Resolve(const ObjectRef& r) {
    if (!r.link.empty() && r.link != "LOOPBACK") throw EngineError(2019, {}, r.offset);
    auto exists = [&](const std::string& owner,
                      const std::string& name) -> std::optional<ResolvedObject> {
      std::string key = owner + "." + name;
      if (sequenceNames_.count(key)) return ResolvedObject{owner, name, "SEQUENCE"};
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db_, "SELECT type FROM sqlite_master WHERE name = ?", -1, &st, nullptr);
      sqlite3_bind_text(st, 1, key.c_str(), -1, SQLITE_TRANSIENT);
      std::optional<ResolvedObject> out;
      if (sqlite3_step(st) == SQLITE_ROW) {
        std::string type = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        out = ResolvedObject{owner, name, type == "view" ? "VIEW" : "TABLE"};
      }
      sqlite3_finalize(st);
      return out;
    };
    std::string owner = r.owner.empty() ? "DEMO" : r.owner;
    if (auto o = exists(owner, r.name)) return o;
    if (auto it = synonyms_.find(owner + "." + r.name); it != synonyms_.end()) {
      return exists(it->second.first, it->second.second);
    }
    if (r.owner.empty()) {
      if (auto it = synonyms_.find("PUBLIC." + r.name); it != synonyms_.end()) {
        return exists(it->second.first, it->second.second);
      }
    }
    return std::nullopt;
  }

  void Exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      std::string m = err ? err : "?";
      sqlite3_free(err);
      throw std::runtime_error(m + " in " + sql);
    }
  }

  // Translates and runs; binds by name.  Failures come back as OraError (the dialect's,
  // or SQLite's with an offset mapped back to the original text).
  Rows Run(const std::string& text, const std::map<std::string, std::string>& binds = {}) {
    last_ = Translate(text, context_);
    return Execute(last_, binds);
  }

  Rows Execute(const Translation& t, const std::map<std::string, std::string>& binds = {}) {
    Rows rows;
    names_.clear();
    const char* tail = t.sql.c_str();
    while (*tail) {
      sqlite3_stmt* st = nullptr;
      const char* start = tail;
      if (sqlite3_prepare_v2(db_, tail, -1, &st, &tail) != SQLITE_OK) {
        int off = sqlite3_error_offset(db_);
        std::string msg = sqlite3_errmsg(db_);
        throw OraError(
            -1, msg,
            off < 0 ? -1 : int(t.OriginalOffset(size_t(start - t.sql.c_str()) + size_t(off))));
      }
      if (!st) break;
      for (size_t i = 0; i < t.binds.size(); ++i) {
        auto it = binds.find(t.binds[i]);
        if (it == binds.end()) continue;
        if (it->second == "<null>") {
          sqlite3_bind_null(st, int(i + 1));
        } else {
          sqlite3_bind_text(st, int(i + 1), it->second.c_str(), -1, SQLITE_TRANSIENT);
        }
      }
      int n = sqlite3_column_count(st);
      for (int i = 0; i < n; ++i) names_.push_back(sqlite3_column_name(st, i));
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < n; ++i) {
          switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL:
              row.push_back("<null>");
              break;
            case SQLITE_INTEGER:
              row.push_back(FormatOracleNumber(int64_t(sqlite3_column_int64(st, i))));
              break;
            case SQLITE_FLOAT:
              row.push_back(FormatOracleNumber(sqlite3_column_double(st, i)));
              break;
            case SQLITE_BLOB:
              row.push_back("<blob " + std::to_string(sqlite3_column_bytes(st, i)) + ">");
              break;
            default:
              row.push_back(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
          }
        }
        rows.push_back(std::move(row));
      }
      std::string msg = sqlite3_errmsg(db_);
      sqlite3_finalize(st);
      if (rc != SQLITE_DONE) {
        if (auto e = OraErrorFromMessage(msg)) throw *e;
        throw OraError(-1, msg, -1);
      }
    }
    return rows;
  }

  // The error of a statement: its code (-1 for SQLite's own), and where.
  int ErrorOf(const std::string& text, int* offset = nullptr) {
    try {
      Run(text);
    } catch (const OraError& e) {
      if (offset) *offset = e.offset;
      return e.code;
    }
    return 0;
  }

  std::string One(const std::string& text, const std::map<std::string, std::string>& binds = {}) {
    Rows r = Run(text, binds);
    if (r.size() != 1 || r[0].size() != 1) {
      std::string count = std::to_string(r.size());
      count.append(" rows");
      return count;
    }
    return r[0][0];
  }

  // The demo schema, made through the translator as the engine makes it.
  void MakeDemo() {
    Run("CREATE TABLE dept (deptno NUMBER(2) CONSTRAINT pk_dept PRIMARY KEY, dname VARCHAR2(14), "
        "loc VARCHAR2(13))");
    Run("CREATE TABLE emp (empno NUMBER(4) NOT NULL CONSTRAINT pk_emp PRIMARY KEY, ename "
        "VARCHAR2(10), "
        "job VARCHAR2(9), mgr NUMBER(4) REFERENCES emp, hiredate DATE, sal NUMBER(7,2), comm "
        "NUMBER(7,2), "
        "deptno NUMBER(2) CONSTRAINT fk_deptno REFERENCES dept)");
    const char* depts[] = {"10,'ACCOUNTING','NEW YORK'", "20,'RESEARCH','DALLAS'",
                           "30,'SALES','CHICAGO'", "40,'OPERATIONS','BOSTON'"};
    for (const char* d : depts) Run(std::string("INSERT INTO dept VALUES (") + d + ")");
    const char* emps[] = {
        "7839,'KING','PRESIDENT',NULL,'17-11-1981',5000,NULL,10",
        "7698,'BLAKE','MANAGER',7839,'01-05-1981',2850,NULL,30",
        "7782,'CLARK','MANAGER',7839,'09-06-1981',2450,NULL,10",
        "7566,'JONES','MANAGER',7839,'02-04-1981',2975,NULL,20",
        "7654,'MARTIN','SALESMAN',7698,'28-09-1981',1250,1400,30",
        "7499,'ALLEN','SALESMAN',7698,'20-02-1981',1600,300,30",
        "7844,'TURNER','SALESMAN',7698,'08-09-1981',1500,0,30",
        "7900,'JAMES','CLERK',7698,'03-12-1981',950,NULL,30",
        "7521,'WARD','SALESMAN',7698,'22-02-1981',1250,500,30",
        "7902,'FORD','ANALYST',7566,'03-12-1981',3000,NULL,20",
        "7369,'SMITH','CLERK',7902,'17-12-1980',800,NULL,20",
        "7788,'SCOTT','ANALYST',7566,'09-12-1982',3000,NULL,20",
        "7876,'ADAMS','CLERK',7788,'12-01-1983',1100,NULL,20",
        "7934,'MILLER','CLERK',7782,'23-01-1982',1300,NULL,10",
    };
    std::string saved = functions_.dateFormat;
    functions_.dateFormat = "DD-MM-YYYY";
    for (const char* e : emps) Run(std::string("INSERT INTO emp VALUES (") + e + ")");
    functions_.dateFormat = saved;
  }

  sqlite3* db_ = nullptr;
  FunctionContext functions_;
  TranslateContext context_;
  Translation last_;
  std::vector<std::string> names_;
  std::map<std::string, int64_t> sequences_;
  std::set<std::string> sequenceNames_;
  std::map<std::string, std::pair<std::string, std::string>> synonyms_;
};

inline std::string Column(const Rows& rows, size_t col = 0) {
  std::string out;
  for (const auto& r : rows) out += (out.empty() ? "" : ",") + r[col];
  return out;
}

}  // namespace tess::oci7::testing
