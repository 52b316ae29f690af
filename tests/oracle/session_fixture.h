// Sessions for tests: a database of the test's own, a recording shell standing in for
// the main window, and DEMO sessions listed in its session list.  The preferences are
// restored when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "oracle/oci_api.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "oracle_test_db.h"
#include "services/exceptions.h"
#include "services/prefs.h"
#include "shell/recording_services.h"

namespace sessiontest {

using namespace tess;

struct SessionTest : ::testing::Test {
  TyPrefsRec savedPrefs = *gPrefs;
  TRecordingServices shell;
  oratest::TestDatabase database;
  std::unique_ptr<TyDatabase> db;

  SessionTest() {
    InitOracleSession();
    db = Connect("t");
  }
  ~SessionTest() override {
    *gPrefs = savedPrefs;
    SetExecutingSession(nullptr);
  }

  // A connected session, listed in the session list.
  std::unique_ptr<TyDatabase> Connect(const std::string& name, const std::string& user = "DEMO",
                                      const std::string& password = "DEMO") {
    auto s = std::make_unique<TyDatabase>();
    EXPECT_TRUE(s->Connect(user, password, database.Server(), name));
    shell.sessions.AddObject(s->DatabaseName(), s.get());
    return s;
  }
  void Unlist(TyDatabase* s) {
    int i = shell.sessions.IndexOfObject(s);
    if (i >= 0) shell.sessions.Delete(i);
  }

  // Runs a statement on a session, outside the query under test.
  static void Exec(TyDatabase& s, const std::string& sql) {
    TyQuery q;
    q.SetDatabase(&s);
    q.SQL().Add(sql);
    q.ExecSQL();
  }
  void Exec(const std::string& sql) { Exec(*db, sql); }

  // Runs each statement of a script whose statements end with ";" at a line's end.
  static void Script(TyDatabase& s, const std::string& script) {
    std::string stmt;
    size_t at = 0;
    while (at < script.size()) {
      size_t nl = script.find('\n', at);
      std::string line = script.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
      at = nl == std::string::npos ? script.size() : nl + 1;
      if (!line.empty() && line.back() == ';') {
        Exec(s, stmt + line.substr(0, line.size() - 1));
        stmt.clear();
      } else if (!line.empty()) {
        stmt += line + "\n";
      }
    }
  }

  // A query on the test's session, with SQL lines.
  std::unique_ptr<TyQuery> Query(std::initializer_list<std::string> lines) {
    auto q = std::make_unique<TyQuery>();
    q->SetDatabaseName(db->DatabaseName());
    for (const std::string& l : lines) q->SQL().Add(l);
    return q;
  }
};

// Runs F and answers the code of the EySQLError it raised (-1 for none).
template <class F>
int32_t SqlErrorCode(F&& f, std::string* message = nullptr) {
  try {
    f();
  } catch (const tess::EySQLError& e) {
    if (message) *message = e.Message();
    return e.ErrorCode();
  }
  return -1;
}

}  // namespace sessiontest
