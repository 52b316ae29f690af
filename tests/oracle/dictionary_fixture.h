// A data dictionary for the dictionary routines' tests: the client library's own views
// over the demo schema every new database holds, plus the objects the tests need that it
// lacks: another user's tables, a user owning nothing, PUBLIC and link synonyms, a
// quoted name, LONG columns, a disabled key and a cascading one, and stored programs
// (one invalid, one overloaded, one without arguments).  The optional argument view
// SYS.DUDEDOD_ARGUMENT$ is installed, as the install script does, by the tests that need it.
#pragma once

#include <string>
#include <vector>

#include "oracle/sql_text.h"
#include "session_fixture.h"

namespace sessiontest {

struct DictionaryTest : SessionTest {
  DictionaryTest() {
    RunAs("SYSTEM", "MANAGER", R"(CREATE USER SCOTT IDENTIFIED BY TIGER;
GRANT CONNECT, RESOURCE TO SCOTT;
CREATE USER EMPTY IDENTIFIED BY EMPTY;
GRANT CONNECT TO EMPTY;
CREATE PUBLIC SYNONYM PUB_EMP FOR DEMO.DEPT;
)");
    RunAs("SCOTT", "TIGER", R"(CREATE TABLE PROJECTS (PROJNO NUMBER, PNAME VARCHAR2(20));
CREATE TABLE TASKS (TASKNO NUMBER);
GRANT SELECT ON PROJECTS TO PUBLIC;
GRANT SELECT ON TASKS TO PUBLIC;
)");
    Script(*db, R"(CREATE TABLE NOTES (BODY LONG);
CREATE TABLE "O'NEIL" (ID NUMBER);
CREATE TABLE EMP_SKILLS (
  EMPNO NUMBER CONSTRAINT FK_SKILL_EMP REFERENCES EMP ON DELETE CASCADE,
  SKILL VARCHAR2(20),
  CONSTRAINT PK_SKILL PRIMARY KEY (EMPNO, SKILL) DISABLE);
CREATE INDEX EMP_NAME_IDX ON EMP (ENAME, JOB);
)");
    // Stored programs: statements that end inside a line are run one by one.
    Exec(
        "CREATE PROCEDURE RAISE_SAL(P_EMPNO IN NUMBER, P_PCT IN OUT NUMBER) IS\n"
        "BEGIN\n  P_PCT := P_PCT + P_EMPNO;\nEND;");
    // Left INVALID: the table it reads is dropped.
    Exec("CREATE TABLE HALF_BASE (X NUMBER)");
    Exec(
        "CREATE FUNCTION HALF(P IN NUMBER) RETURN NUMBER IS\n  V NUMBER;\n"
        "BEGIN\n  SELECT COUNT(*) INTO V FROM HALF_BASE;\n  RETURN P / 2;\nEND;");
    Exec("DROP TABLE HALF_BASE");
    Exec(
        "CREATE PACKAGE PAY IS\n"
        "  TYPE EMP_REC IS RECORD (EMPNO NUMBER, ENAME VARCHAR2(10));\n"
        "  PROCEDURE RUN(P_AMOUNT IN NUMBER);\n"
        "  PROCEDURE RUN(P_TEXT IN VARCHAR2);\n"
        "  PROCEDURE SET_REC(P_REC OUT EMP_REC);\n"
        "END;");
    Exec(
        "CREATE PACKAGE BODY PAY IS\n"
        "  PROCEDURE RUN(P_AMOUNT IN NUMBER) IS BEGIN NULL; END;\n"
        "  PROCEDURE RUN(P_TEXT IN VARCHAR2) IS BEGIN NULL; END;\n"
        "  PROCEDURE SET_REC(P_REC OUT EMP_REC) IS BEGIN P_REC.EMPNO := 1; END;\n"
        "END;");
    Exec("CREATE PROCEDURE NOARGS IS\nBEGIN\n  NULL;\nEND;");
    Exec(
        "CREATE TRIGGER EMP_AUD\nAFTER UPDATE OF SAL ON EMP\nFOR EACH ROW\n"
        "BEGIN\n  IF :NEW.EMPNO IS NULL THEN\n    NULL;\n  END IF;\nEND;");
    Exec("COMMIT");
  }

  // A link back to this database and two synonyms over links: one through it, one through
  // a link whose name holds a quote.  Answers the library's error code (0: made).
  int MakeLinkSynonyms() {
    int code = SqlErrorCode([&] {
      Exec("CREATE DATABASE LINK LOOP CONNECT TO DEMO IDENTIFIED BY DEMO USING '" +
           database.Server() + "'");
      Exec("CREATE SYNONYM REMOTE_EMP FOR DEMO.EMP@LOOP");
      Exec("CREATE SYNONYM BAD_LINK FOR DEMO.EMP@\"X' OR 'Y\"");
    });
    return code < 0 ? 0 : code;
  }

  // Runs a script in a session of its own as another user.
  void RunAs(const std::string& user, const std::string& password, const std::string& script) {
    TyDatabase s;
    ASSERT_TRUE(s.Connect(user, password, database.Server(), "as-" + user));
    Script(s, script);
    s.Disconnect();
  }

  // The optional argument view, as the install script makes it.
  void InstallArgumentView() {
    ASSERT_EQ(oratest::Control()(nullptr, "install_extras", 0, database.Server().c_str()), 0);
  }

  // The dictionary's number of an object of the session user.
  int32_t ObjectId(const std::string& name, const std::string& type) {
    TyQuery q;
    q.SetDatabase(db.get());
    q.SQL().Add("SELECT OBJECT_ID FROM USER_OBJECTS WHERE OBJECT_NAME = '" + name +
                "' AND OBJECT_TYPE = '" + type + "'");
    q.Open();
    int32_t id = q.Eof() ? 0 : q.Fields(0)->AsInteger();
    q.Close();
    return id;
  }

  static std::vector<std::string> Items(const TStrings& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
    return items;
  }
};

using Names = std::vector<std::string>;

}  // namespace sessiontest
