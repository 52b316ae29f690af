// The client library's dialect over any text: the tokenizer, the classifier and the
// translator.  Each statement (the input split at ";") must come back translated or as
// an Oracle error, never crash; a translation must be text SQLite parses (it may still
// name tables and columns it does not have).
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "oci7/dialect/dialect.h"

using namespace tess::oci7;

namespace {

// A database with the demo tables, so that most translations prepare for real.
sqlite3* Database() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open(":memory:", &d);
    static FunctionContext functions;
    functions.userName = "DEMO";
    functions.fixedSysdate = "2024-03-15 10:30:00";
    RegisterOracleFunctions(d, &functions);
    sqlite3_exec(d,
                 "CREATE TABLE \"SYS.DUAL\" (DUMMY TEXT);"
                 "CREATE TABLE \"DEMO.DEPT\" (DEPTNO NUMBER(2), DNAME VARCHAR2(14), LOC "
                 "VARCHAR2(13));"
                 "CREATE TABLE \"DEMO.EMP\" (EMPNO NUMBER(4), ENAME VARCHAR2(10), JOB "
                 "VARCHAR2(9), MGR NUMBER(4), HIREDATE DATE, SAL NUMBER(7,2), COMM "
                 "NUMBER(7,2), DEPTNO NUMBER(2));",
                 nullptr, nullptr, nullptr);
    return d;
  }();
  return db;
}

std::optional<ResolvedObject> Resolve(const ObjectRef& r) {
  if (!r.link.empty()) throw EngineError(2019, {}, r.offset);
  std::string owner = r.owner.empty() ? "DEMO" : r.owner;
  if (r.owner.empty() && r.name == "DUAL") owner = "SYS";
  if (r.name == "EMP_SEQ") return ResolvedObject{owner, r.name, "SEQUENCE"};
  return ResolvedObject{owner, r.name, "TABLE"};
}

const TranslateContext& Context() {
  static TranslateContext ctx = [] {
    TranslateContext c;
    c.currentUser = "DEMO";
    c.resolve = Resolve;
    c.columns = [](const ResolvedObject& o) { return ColumnsFromSqlite(Database(), o); };
    c.isVariable = [](const std::string& name) { return name.rfind("V_", 0) == 0; };
    c.nameConstraint = [] { return std::string("SYS_C1"); };
    return c;
  }();
  return ctx;
}

bool IsSyntaxError(const char* message) {
  return std::strstr(message, "syntax error") || std::strstr(message, "incomplete input") ||
         std::strstr(message, "unrecognized token");
}

void CheckPrepares(const Translation& t, std::string_view original) {
  const char* tail = t.sql.c_str();
  while (*tail) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(Database(), tail, -1, &st, &tail) != SQLITE_OK) {
      const char* message = sqlite3_errmsg(Database());
      if (IsSyntaxError(message)) {
        std::fprintf(stderr, "translation SQLite cannot parse (%s):\n  %.*s\n  -> %s\n", message,
                     int(original.size()), original.data(), t.sql.c_str());
        std::abort();
      }
      return;
    }
    if (!st) break;
    sqlite3_finalize(st);
  }
}

void CheckError(const OraError& e, std::string_view text) {
  if (e.code <= 0 || e.message.compare(0, 4, "ORA-") != 0 || e.offset > int(text.size())) {
    std::fprintf(stderr, "malformed error %d \"%s\" at %d\n", e.code, e.message.c_str(), e.offset);
    std::abort();
  }
}

void Statement(std::string_view text) {
  try {
    Classify(text);
    Translation t = Translate(text, Context());
    CheckPrepares(t, text);
  } catch (const OraError& e) {
    CheckError(e, text);
  }
  try {
    Translation t = TranslateExpression(text, Context());
    (void)t;
  } catch (const OraError& e) {
    CheckError(e, text);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text);
  } catch (const OraError& e) {
    CheckError(e, text);
  }
  size_t prev = 0;
  for (const Token& t : tokens) {
    FUZZ_CHECK(t.offset >= prev && t.offset + t.length <= size);
    prev = t.offset + t.length;
  }
  // The library ends a statement's text at a NUL before the dialect sees it (oparse).
  const std::string_view sent = text.substr(0, text.find('\0'));
  // Statements end at ";" (a real file holds many; a short input is one).
  size = sent.size();
  size_t start = 0, statements = 0;
  for (size_t i = 0; i <= size && statements < 64; ++i) {
    if (i == size || sent[i] == ';') {
      if (i > start) Statement(sent.substr(start, i - start));
      start = i + 1;
      ++statements;
    }
  }
  return 0;
}
