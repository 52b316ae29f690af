// Statement kinds, statements run with their error shown and echoed, COMMIT and ROLLBACK,
// the object-type class maps and the server's timestamp.
#include <gtest/gtest.h>

#include <set>
#include <typeinfo>

#include "oracle/sql_text.h"
#include "oracle/statement_services.h"
#include "session_fixture.h"

using namespace sessiontest;

using Lines = std::vector<std::string>;

TEST(StatementKind, FromTheFirstWord) {
  EXPECT_EQ(GetSQLStatementType("  select "), stSelect);
  EXPECT_EQ(GetSQLStatementType("Declare"), stPlsqlBlock);
  EXPECT_EQ(GetSQLStatementType("BEGIN;"), stOther);
  for (const char* w : {"DEF", "defi", "DEFIN", "define"})
    EXPECT_EQ(GetSQLStatementType(w), stDefine);
  EXPECT_EQ(GetSQLStatementType("UNDEF"), stUndefine);
  EXPECT_EQ(GetSQLStatementType("DEFINITION"), stOther);
  EXPECT_EQ(GetSQLStatementType(""), stOther);
}

TEST(ObjectClassMaps, HeadersAndObjects) {
  EXPECT_EQ(*GetHeaderClassOfObjType(18), typeid(TyPackageBodyHdr));
  EXPECT_EQ(*GetObjectClassOfObjType(18), typeid(TyPackageBody));
  for (TyObjType c : {6, 7, 8, 9}) EXPECT_EQ(*GetHeaderClassOfObjType(c), typeid(TyConstraintHdr));
  EXPECT_EQ(*GetObjectClassOfObjType(6), typeid(TyPKConstraint));
  EXPECT_EQ(*GetObjectClassOfObjType(21), typeid(TyDbRole));
  // Kinds without nodes of their own.
  for (TyObjType c : {12, 16, 17, 24, 25, 26, 27, 28, 29, 30, 31}) {
    EXPECT_EQ(GetHeaderClassOfObjType(c), nullptr) << int(c);
    EXPECT_EQ(GetObjectClassOfObjType(c), nullptr) << int(c);
  }
  // Every other kind has both, and no two kinds share an object class.
  std::set<std::string> seen;
  for (int c = 0; c <= 23; ++c) {
    if (c == 12 || c == 16 || c == 17) continue;
    ASSERT_NE(GetHeaderClassOfObjType(c), nullptr) << c;
    ASSERT_NE(GetObjectClassOfObjType(c), nullptr) << c;
    EXPECT_TRUE(seen.insert(GetObjectClassOfObjType(c)->name()).second) << c;
  }
}

TEST_F(SessionTest, FailuresAreShownAndEchoed) {
  TyQuery q;
  q.SetDatabase(db.get());
  q.SQL().Add("SELECT DNAME");
  q.SQL().Add("FROM DEPT");
  q.SQL().Add("WHERE AND 1=1");
  EXPECT_FALSE(ExecSQLShowError(db.get(), &q, "Run", true));
  ASSERT_EQ(shell.errors.size(), 1u);
  EXPECT_EQ(shell.errors[0].substr(0, 9), "ORA-00936");
  ASSERT_EQ(q.ErrorLine(), 3);
  ASSERT_GT(q.ErrorColumn(), 0);
  EXPECT_EQ(shell.output, (Lines{" ", "Run Processing error ... ", "WHERE AND 1=1",
                                 std::string(q.ErrorColumn(), ' ') + "*",
                                 ReplaceLineBreaksWithBlanks(shell.errors[0])}));

  // An error line that the SQL lines do not have: no SQL line and no marker.
  shell.output.clear();
  q.SQL().Clear();
  q.SQL().Add("SELECT DNAME\nFROM DEPT\nWHERE AND 1=1");
  EXPECT_FALSE(ExecSQLCancellableShowError(db.get(), &q, "Script", true));
  EXPECT_EQ(q.ErrorLine(), 3);
  EXPECT_EQ(shell.output.size(), 3u);
  EXPECT_EQ(shell.output[1], "Script Processing error ... ");

  // Without the echo only the box.
  shell.output.clear();
  EXPECT_FALSE(ExecSQLShowError(db.get(), &q, "Quiet", false));
  EXPECT_TRUE(shell.output.empty());
  q.SQL().Clear();
  q.SQL().Add("UPDATE DEPT SET LOC = LOC");
  EXPECT_TRUE(ExecSQLShowError(db.get(), &q, "Run", true));
  EXPECT_EQ(q.RowCount(), 4);
}

TEST_F(SessionTest, CommitAndRollback) {
  Exec("UPDATE DEPT SET LOC = 'MOON' WHERE DEPTNO = 10");
  EXPECT_TRUE(RollbackTransaction(db.get()));
  TyQuery q;
  q.SetDatabase(db.get());
  q.SQL().Add("SELECT LOC FROM DEPT WHERE DEPTNO = 10");
  q.Open();
  EXPECT_EQ(q.Fields(0)->AsString(), "NEW YORK");
  q.Close();
  EXPECT_TRUE(CommitTransaction(db.get()));
  EXPECT_TRUE(shell.output.empty());

  // A failed COMMIT: one box and exactly three lines of output.
  oratest::Kill(*db->Connection());
  EXPECT_FALSE(CommitTransaction(db.get()));
  EXPECT_EQ(shell.errors.size(), 1u);
  ASSERT_EQ(shell.output.size(), 3u);
  EXPECT_EQ(shell.output[0], " ");
  EXPECT_EQ(shell.output[1], "COMMIT - Processing error ... ");
  EXPECT_EQ(shell.output[2].substr(0, 8), "ORA-0311");
  EXPECT_TRUE(db->ConnectionLost());
}

TEST_F(SessionTest, ServerTimestamp) {
  int32_t day = -1, seconds = -1;
  GetServerTimestamp(db.get(), day, seconds);
  EXPECT_GT(day, 2451545);  // after 1 January 2000
  EXPECT_GE(seconds, 0);
  EXPECT_LT(seconds, 86400);  // seconds of the day, not a wider number
}

TEST_F(SessionTest, ServerTimestampWithoutARowLeavesTheSharedQueryClosed) {
  TyQuery shared;
  shell.mainFormQuery = &shared;
  // The user's own DUAL hides the public one, and has no row.
  Exec("CREATE TABLE DUAL (DUMMY VARCHAR2(1))");
  int32_t day = -1, seconds = -1;
  GetServerTimestamp(db.get(), day, seconds);
  EXPECT_EQ(day, 0);
  EXPECT_EQ(seconds, 0);
  ASSERT_EQ(shell.errors.size(), 1u);
  EXPECT_EQ(shell.errors[0],
            "Could not retrieve timestamp from DUAL.  Please ensure that SYS.DUAL table and DUAL "
            "public synonym are available");
  EXPECT_FALSE(shared.Active());
  EXPECT_EQ(shared.FieldCount(), 0);
  shell.mainFormQuery = nullptr;
}
