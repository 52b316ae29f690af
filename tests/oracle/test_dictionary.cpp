// The data-dictionary checks, object information, name lists and stored-program
// arguments, and the once-per-session checks, on the client library's dictionary.
#include <gtest/gtest.h>

#include "dictionary_fixture.h"
#include "oracle/dictionary.h"
#include "oracle/name_lists.h"
#include "oracle/session_services.h"

using namespace sessiontest;

TEST_F(DictionaryTest, ExistenceChecks) {
  TyQuery q;
  // A blank owner is the session user; another schema's objects need their owner.
  EXPECT_TRUE(IsTableAccessible("", "EMP", db.get(), &q));
  EXPECT_FALSE(IsTableAccessible("", "PROJECTS", db.get(), &q));
  EXPECT_TRUE(IsTableAccessible("SCOTT", "PROJECTS", db.get(), &q));
  EXPECT_TRUE(IsTableOrViewAccessible("DEMO", "EMP_DEPT_V", db.get(), &q));
  EXPECT_FALSE(IsTableOrViewAccessible("DEMO", "EMP_SEQ", db.get(), &q));
  EXPECT_TRUE(IsObjectPresent(db.get(), "DEMO", "EMP_SEQ"));
  EXPECT_TRUE(IsObjectPresent(db.get(), "", "EMP_SEQ"));
  // Only the second form folds case.
  EXPECT_FALSE(IsObjectPresent(db.get(), "demo", "emp_seq"));
  EXPECT_TRUE(IsObjectPresent2(db.get(), "demo", "emp_seq", "sequence"));
  EXPECT_FALSE(IsObjectPresent2(db.get(), "demo", "emp_seq", "table"));
  EXPECT_TRUE(IsSynonymPresent(db.get(), &q, "PUBLIC", "PUB_EMP"));
  EXPECT_TRUE(IsSynonymPresent(db.get(), &q, "", "EMPLOYEES"));
  EXPECT_FALSE(IsSynonymPresent(db.get(), &q, "", "PUB_EMP"));

  // A quote in a name is part of the name, not of the statement.
  EXPECT_TRUE(IsObjectPresent(db.get(), "DEMO", "O'NEIL"));
  EXPECT_TRUE(IsTableAccessible("DEMO", "O'NEIL", db.get(), &q));
  EXPECT_NE(q.LastSQLText().find("'O''NEIL'"), std::string::npos);
  EXPECT_FALSE(IsObjectPresent(db.get(), "DEMO", "X' OR 'A'='A"));

  EXPECT_FALSE(IsTableAccessible("", " ", db.get(), &q));
  EXPECT_FALSE(IsTableOrViewAccessible("", "", db.get(), &q));
  EXPECT_FALSE(IsObjectPresent(db.get(), "", ""));
  EXPECT_FALSE(IsSynonymPresent(db.get(), &q, "", ""));
  EXPECT_EQ(
      shell.diagnostics,
      (Names{"IsTableAccessible: Table Name is null", "IsTableOrViewAccessible: Table Name is null",
             "IsObjectPresent: ObjName is null", "IsSynonymPresent: Syn. Name is null"}));
  EXPECT_THROW(IsObjectPresent(nullptr, "DEMO", "EMP"), EyIntError);
  Unlist(db.get());
  EXPECT_THROW(IsTableAccessible("", "EMP", db.get(), &q), EyDbConnectionLost);
}

TEST_F(DictionaryTest, ObjectStatusInfoAndType) {
  TyQuery q;
  std::string status;
  GetDbObjectStatus(db.get(), &q, "", "HALF", true, status);
  EXPECT_EQ(status, "INVALID");
  EXPECT_EQ(shell.status.back(), "Checking Database object status ...");
  GetDbObjectStatus(db.get(), &q, "", "PROJECTS", false, status);  // SCOTT's, not ours
  EXPECT_EQ(status, "");
  EXPECT_EQ(shell.diagnostics.back(), "Unable to find .PROJECTS in All_Objects");

  int32_t id = 0;
  std::string created, ddl;
  EXPECT_TRUE(
      GetDbObjectInfo(db.get(), &q, "DEMO", "PAY", "PACKAGE BODY", id, status, created, ddl, true));
  EXPECT_EQ(id, ObjectId("PAY", "PACKAGE BODY"));
  EXPECT_GT(id, 0);
  EXPECT_EQ(status, "VALID");
  EXPECT_EQ(created.size(), std::string("DD-MON-YY HH:MI:SS PM").size()) << created;
  EXPECT_FALSE(GetDbObjectInfo(db.get(), &q, "DEMO", "PAY", "", id, status, created, ddl, true));
  EXPECT_EQ(shell.diagnostics.back(), "GetDbObjectInfo: Object type param is null");

  TyObjType code = 99;
  std::string name;
  EXPECT_TRUE(GetDbObjectType(db.get(), "DEMO", "EMP_DEPT_V", code, name));
  EXPECT_EQ(code, 2);
  EXPECT_EQ(name, "VIEW");
  EXPECT_TRUE(GetDbObjectType(db.get(), "", "RAISE_SAL", code, name));
  EXPECT_EQ(code, 31);
  EXPECT_FALSE(GetDbObjectType(nullptr, "", "X", code, name));
  EXPECT_EQ(shell.diagnostics.back(), "GetDbObjectType: Database param is nil");

  // The hourglass and the progress window are restored on success and on failure.
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
  ASSERT_EQ(oratest::Kill(*db->Connection()), 0);
  EXPECT_THROW(GetDbObjectStatus(db.get(), &q, "", "EMP", true, status), EySQLError);
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
}

TEST_F(DictionaryTest, OncePerSessionChecksShowTheirBoxOnce) {
  // The DBA views are there for the DBA only.
  auto dba = Connect("dba", "SYSTEM", "MANAGER");
  EXPECT_TRUE(dba->IsDbaRolesAccessible());
  EXPECT_TRUE(dba->IsDbaSysPrivsAccessible());
  EXPECT_FALSE(db->IsDbaRolesAccessible());
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(db->IsDbaSysPrivsAccessible());
    EXPECT_FALSE(db->IsDbaUsersAccessible());
    EXPECT_FALSE(db->IsProgramStatusLogPresent());  // check-in mode off: no box
  }
  ASSERT_EQ(shell.solutions.size(), 1u);
  EXPECT_EQ(shell.solutions[0].first,
            "Error expanding \"System Privileges\" node. DBA view SYS.DBA_SYS_PRIVS is not "
            "accessible");

  gPrefs->CheckMode = 1;
  auto other = Connect("other");
  EXPECT_FALSE(other->IsProgramStatusLogPresent());
  ASSERT_EQ(shell.solutions.size(), 2u);
  EXPECT_EQ(shell.solutions[1].first,
            "WARNING: Optional public synonym \"ZOVOZEV_IVEVUZO_ZIVERU_DER\" is not present. "
            "Cannot perform Check-In/Check-Out for THIS CONNECTION ONLY: " +
                other->DatabaseName());
  // Answers come from the cache even when the dictionary changes.
  InstallArgumentView();
  EXPECT_FALSE(db->IsProgramStatusLogPresent());
  EXPECT_FALSE(other->IsProgramStatusLogPresent());
  EXPECT_EQ(shell.solutions.size(), 2u);
  EXPECT_TRUE(other->IsArgumentViewAccessible());
  auto third = Connect("third");
  EXPECT_TRUE(third->IsProgramStatusLogPresent());
}

TEST_F(DictionaryTest, ColumnLists) {
  TyQuery q;
  TStringList list;
  const Names emp{"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM", "DEPTNO"};
  GetTabCols("DEMO", "EMP", db.get(), &q, &list, false);
  EXPECT_EQ(Items(list), emp);
  // PLAN_TABLE ends with the LONG column OTHER.
  GetTabCols("DEMO", "PLAN_TABLE", db.get(), &q, &list, false);
  ASSERT_EQ(list.Count(), 16);
  EXPECT_EQ(list.Strings(15), "OTHER");
  GetTabCols("DEMO", "PLAN_TABLE", db.get(), &q, &list, true);
  ASSERT_EQ(list.Count(), 15);
  EXPECT_EQ(list.Strings(14), "POSITION");
  GetTabCols("DEMO", "NOTES", db.get(), &q, &list, true);  // only LONG columns
  EXPECT_TRUE(Items(list).empty());

  GetObjCols(db.get(), &q, 2, "DEMO", "EMP_DEPT_V", &list, false);
  EXPECT_EQ(Items(list), (Names{"EMPNO", "ENAME", "JOB", "SAL", "DEPTNO", "DNAME", "LOC"}));
  GetObjCols(db.get(), &q, 20, "DEMO", "EMPLOYEES", &list, true);
  EXPECT_EQ(Items(list), emp);
  GetObjCols(db.get(), &q, 20, "PUBLIC", "PUB_EMP", &list, false);
  EXPECT_EQ(Items(list), (Names{"DEPTNO", "DNAME", "LOC"}));
  EXPECT_THROW(GetObjCols(db.get(), &q, 4, "DEMO", "EMP", &list, false), EyIntError);
  EXPECT_THROW(GetObjCols(db.get(), &q, 0, "", "EMP", &list, false), EyIntError);

  GetIndCols("DEMO", "EMP", "DEMO", "EMP_NAME_IDX", db.get(), &q, &list);
  EXPECT_EQ(Items(list), (Names{"ENAME", "JOB"}));
  GetConsCols(db.get(), &q, &list, "DEMO", "PK_DEPT");
  EXPECT_EQ(Items(list), (Names{"DEPTNO"}));
  EXPECT_THROW(GetConsCols2(db.get(), &q, &list, "", "PK_DEPT"), EyIntError);
  EXPECT_EQ(shell.hourglassDepth, 0);

  // The trigger and tablespace lists append.
  list.Clear();
  for (int i = 0; i < 2; ++i) GetTrigCols(db.get(), &q, &list, "DEMO", "EMP", "DEMO", "EMP_AUD");
  EXPECT_EQ(Items(list), (Names{"SAL", "SAL"}));
  list.Clear();
  for (int i = 0; i < 2; ++i) GetTablespaces(db.get(), &q, &list);
  EXPECT_EQ(Items(list), (Names{"SYSTEM", "TEMP", "USERS", "SYSTEM", "TEMP", "USERS"}));
  EXPECT_FALSE(shell.statusShown);

  GetTabIndexes(db.get(), &q, "DEMO", "EMP", &list);
  EXPECT_EQ(Items(list), (Names{"DEMO.EMP_DEPTNO_IDX", "DEMO.EMP_NAME_IDX", "DEMO.PK_EMP"}));
  GetTabTriggers(db.get(), &q, "DEMO", "EMP", &list);
  EXPECT_EQ(Items(list), (Names{"DEMO.EMP_AUD", "DEMO.EMP_SAL_CHECK"}));
  EXPECT_THROW(GetTabTriggers(db.get(), &q, "", "EMP", &list), EyIntError);

  GetTabCols("", "EMP", db.get(), &q, &list, false);
  GetIndCols("DEMO", "EMP", "", "X", db.get(), &q, &list);
  GetTrigCols(db.get(), &q, nullptr, "DEMO", "EMP", "DEMO", "EMP_AUD");
  EXPECT_EQ(shell.diagnostics, (Names{"GetTabCols:Table Name or owner parameter is null",
                                      "GetIndCols:Index Name or owner parameter is null",
                                      "GetTrigCols: Collist Parameter is nil"}));
}

TEST_F(DictionaryTest, ConstraintsAndSynonyms) {
  std::string table = "stale", type = "stale";
  bool enabled = true, cascade = true;
  GetConsDetails(db.get(), "DEMO", "FK_SKILL_EMP", table, type, enabled, cascade);
  EXPECT_EQ(table, "EMP_SKILLS");
  EXPECT_EQ(type, "R");
  EXPECT_TRUE(enabled);
  EXPECT_TRUE(cascade);
  // Not found: the outputs are not left holding the previous constraint.
  GetConsDetails(db.get(), "DEMO", "NO_SUCH", table, type, enabled, cascade);
  EXPECT_EQ(table, "");
  EXPECT_EQ(type, "");
  EXPECT_EQ(shell.errors.back(), "GetConsDetails: No records in DB for Constraint DEMO.NO_SUCH");
  EXPECT_THROW(GetConsDetails2(db.get(), "DEMO", " ", table, type, enabled, cascade), EyIntError);

  TyQuery q;
  std::string owner, name, link;
  EXPECT_TRUE(SynonymToTable(db.get(), &q, "DEMO", "EMPLOYEES", owner, name, link));
  EXPECT_EQ(owner + "." + name, "DEMO.EMP");
  EXPECT_EQ(link, "");
  EXPECT_THROW(SynonymToTable(db.get(), &q, "DEMO", "NONE", owner, name, link), EyIntError);
}

TEST_F(DictionaryTest, DisabledKey) {
  std::string table = "stale", type = "stale";
  bool enabled = true, cascade = true;
  GetConsDetails2(db.get(), "DEMO", "PK_SKILL", table, type, enabled, cascade);
  EXPECT_EQ(table, "EMP_SKILLS");
  EXPECT_EQ(type, "P");
  EXPECT_FALSE(enabled);
  EXPECT_FALSE(cascade);
}

TEST_F(DictionaryTest, SynonymsOverLinks) {
  int made = MakeLinkSynonyms();
  if (made == 2019) GTEST_SKIP() << "the client library makes no synonyms over database links";
  ASSERT_EQ(made, 0);
  TyQuery q;
  TStringList list;
  std::string owner, name, link;
  EXPECT_TRUE(SynonymToTable(db.get(), &q, "DEMO", "REMOTE_EMP", owner, name, link));
  EXPECT_EQ(owner + "." + name + "@" + link, "DEMO.EMP@LOOP");
  // A synonym over a link reads the columns at the link.
  GetObjCols(db.get(), &q, 20, "DEMO", "REMOTE_EMP", &list, false);
  EXPECT_EQ(q.LastSQLText().substr(0, 40), "SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS@");
  EXPECT_EQ(Items(list),
            (Names{"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM", "DEPTNO"}));
  // A link to no known database fails at the link.
  Exec("DROP DATABASE LINK LOOP");
  Exec("CREATE DATABASE LINK LOOP USING 'nowhere'");
  EXPECT_THROW(GetObjCols(db.get(), &q, 20, "DEMO", "REMOTE_EMP", &list, false), EySQLError);
  EXPECT_EQ(q.ErrorCode(), 2019);
  // A link name that is no name is never pasted.
  q.SQL().Clear();
  EXPECT_THROW(GetObjCols(db.get(), &q, 20, "DEMO", "BAD_LINK", &list, false), EyIntError);
  EXPECT_EQ(q.LastSQLText().find("@"), std::string::npos);
}

TEST_F(DictionaryTest, StoredProgramArguments) {
  TyQuery q;
  TStringList list;
  std::string ret = "stale";
  const int32_t raiseSal = ObjectId("RAISE_SAL", "PROCEDURE");
  ASSERT_GT(raiseSal, 0);

  // Without the view: false, and the warning once for the session.
  auto other = Connect("noview");
  EXPECT_FALSE(GetArgsForStoredProc(other.get(), &q, raiseSal, "RAISE_SAL", 13, ret, &list));
  EXPECT_FALSE(CanUseArgumentView(other.get()));
  ASSERT_EQ(shell.solutions.size(), 1u);
  EXPECT_EQ(shell.solutions[0].first.substr(0, 58),
            "WARNING: Optional SQL Tessellar view SYS.DUDEDOD_ARGUMENT$");
  EXPECT_NE(shell.solutions[0].first.find(other->DatabaseName()), std::string::npos);

  InstallArgumentView();
  const int32_t half = ObjectId("HALF", "FUNCTION"), pay = ObjectId("PAY", "PACKAGE");
  EXPECT_TRUE(GetArgsForStoredProc(db.get(), &q, raiseSal, "RAISE_SAL", 13, ret, &list));
  EXPECT_EQ(Items(list), (Names{"P_EMPNO IN NUMBER", "P_PCT IN OUT NUMBER"}));
  EXPECT_EQ(ret, "");
  EXPECT_TRUE(GetArgsForStoredProc(db.get(), &q, half, "HALF", 14, ret, &list));
  EXPECT_EQ(ret, "NUMBER");
  EXPECT_EQ(Items(list), (Names{"P IN NUMBER"}));
  // The lowest overload only; a record's fields join its line.
  EXPECT_TRUE(GetArgsForStoredProc(db.get(), &q, pay, "RUN", 16, ret, &list));
  EXPECT_EQ(Items(list), (Names{"P_AMOUNT IN NUMBER"}));
  EXPECT_TRUE(GetArgsForStoredProc(db.get(), &q, pay, "SET_REC", 16, ret, &list));
  EXPECT_EQ(Items(list), (Names{"P_REC OUT PL/SQL RECORD NUMBER VARCHAR2"}));
  EXPECT_TRUE(GetArgsForStoredProc(db.get(), &q, ObjectId("NOARGS", "PROCEDURE"), "NOARGS", 13, ret,
                                   &list));
  EXPECT_TRUE(Items(list).empty());
  EXPECT_FALSE(GetArgsForStoredProc(db.get(), &q, pay, "PAY", 15, ret, &list));
  EXPECT_FALSE(GetArgsForStoredProc(db.get(), &q, 0, "X", 13, ret, &list));
  EXPECT_EQ(shell.diagnostics.back(), "GetArgsForStoredProc: Object Id is 0");
  EXPECT_EQ(ArgTypeName(0), "");
  EXPECT_EQ(ArgTypeName(252), "BOOLEAN");
  EXPECT_EQ(ArgModeName(7), "IN OUT");
}

TEST_F(DictionaryTest, SessionUserFromTheServer) {
  // The server answers the user in its own case, whatever the logon gave.
  auto lower = Connect("lower", "demo", "demo");
  lower->FetchUserName();
  EXPECT_EQ(lower->UserName(), "DEMO");
  EXPECT_EQ(lower->LogonUserName(), "demo");
  std::string user;
  GetSessionUser(lower.get(), user);
  EXPECT_EQ(user, "DEMO");
  EXPECT_TRUE(lower->EnablePlsqlDebug());
}

namespace {
struct FakeCombo {
  std::string text;
  bool focusable = true, focused = false;
  std::string Text() const { return text; }
  bool CanFocus() const { return focusable; }
  void SetFocus() { focused = true; }
};
}  // namespace

TEST(CheckSchemaSelected, EmptyComboTakesTheFocusAndRaises) {
  FakeCombo combo;
  EXPECT_THROW(CheckSchemaSelected(combo), EyAppError);
  EXPECT_TRUE(combo.focused);
  combo.text = "DEMO";
  EXPECT_TRUE(CheckSchemaSelected(combo));
}
