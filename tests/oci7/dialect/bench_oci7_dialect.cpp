// Throughput of the dialect: tokenizing the real PL/SQL corpus, and translating typical
// statements beside SQLite's own preparation of the translated text (the work every
// parse does next), in the same run.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "oci7/dialect/dialect.h"
#include "tests/corpus.h"

using namespace tess::oci7;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  std::vector<std::string> files;
  size_t bytes = 0;
  for (tess::corpus::File& f : tess::corpus::ReadAllSources()) {
    bytes += f.text.size();
    files.push_back(std::move(f.text));
  }
  if (!files.empty()) {
    size_t tokens = 0;
    int rounds = 0;
    auto t0 = std::chrono::steady_clock::now();
    do {
      for (const std::string& f : files) tokens += Tokenize(f).size();
      ++rounds;
    } while (Seconds(t0) < 1.0);
    double s = Seconds(t0);
    std::printf("figure tokenize_throughput %.1f MB/s\n", double(bytes) * rounds / s / 1e6);
    std::printf("figure tokenize_tokens %.0f tokens/s\n", double(tokens) / s);
  }

  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  FunctionContext fc;
  RegisterOracleFunctions(db, &fc);
  TranslateContext ctx;
  ctx.currentUser = "DEMO";
  ctx.columns = [db](const ResolvedObject& o) { return ColumnsFromSqlite(db, o); };
  const char* ddl[] = {
      "CREATE TABLE dept (deptno NUMBER(2) PRIMARY KEY, dname VARCHAR2(14), loc VARCHAR2(13))",
      "CREATE TABLE emp (empno NUMBER(4) PRIMARY KEY, ename VARCHAR2(10), job VARCHAR2(9), mgr "
      "NUMBER(4), "
      "hiredate DATE, sal NUMBER(7,2), comm NUMBER(7,2), deptno NUMBER(2) REFERENCES dept)",
      "CREATE TABLE sys.dual (dummy VARCHAR2(1))",
  };
  for (const char* s : ddl)
    sqlite3_exec(db, Translate(s, ctx).sql.c_str(), nullptr, nullptr, nullptr);
  const char* statements[] = {
      "SELECT e.ename, d.dname, NVL(e.comm, 0) + e.sal total FROM emp e, dept d "
      "WHERE e.deptno = d.deptno(+) AND e.sal > :min ORDER BY total DESC",
      "SELECT ename, TO_CHAR(hiredate, 'DD-MON-YYYY') FROM emp WHERE hiredate > SYSDATE - 365 AND "
      "ROWNUM <= 10",
      "INSERT INTO emp (empno, ename, hiredate, sal, deptno) VALUES (:1, :2, SYSDATE, :3, :4)",
      "UPDATE emp SET sal = sal * 1.1 WHERE deptno IN (SELECT deptno FROM dept WHERE loc = :loc)",
      "SELECT LPAD(' ', 2 * LEVEL) || ename FROM emp START WITH mgr IS NULL CONNECT BY PRIOR empno "
      "= mgr",
      "SELECT deptno, COUNT(*), AVG(sal) FROM emp GROUP BY deptno HAVING COUNT(*) > 1 "
      "MINUS SELECT deptno, 0, 0 FROM dept",
  };
  const size_t n = std::size(statements);
  std::vector<std::string> translated;
  for (const char* s : statements) translated.push_back(Translate(s, ctx).sql);

  long count = 0;
  auto t0 = std::chrono::steady_clock::now();
  do {
    for (const char* s : statements) count += Translate(s, ctx).sql.empty() ? 0 : 1;
  } while (Seconds(t0) < 1.0);
  double ours = double(count) / Seconds(t0);

  count = 0;
  t0 = std::chrono::steady_clock::now();
  do {
    for (size_t i = 0; i < n; ++i) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, translated[i].c_str(), -1, &st, nullptr) == SQLITE_OK) ++count;
      sqlite3_finalize(st);
    }
  } while (Seconds(t0) < 1.0);
  double peer = double(count) / Seconds(t0);
  sqlite3_close(db);

  std::printf("figure translate_rate %.0f statements/s\n", ours);
  std::printf("figure sqlite_prepare_rate %.0f statements/s\n", peer);
  std::printf("figure translate_vs_prepare %.2f x\n", ours / peer);
  return 0;
}
