// Statements: the bind-variable scanner, the statement states and batches, describing,
// binding, cursor variables, non-blocking execution, break and the procedure lists,
// against the real client library.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "oracle/oracle_query.h"
#include "oracle_test_db.h"

using namespace tess;
using namespace oratest;

namespace {

std::vector<std::string> BindNames(const std::string& sql) {
  TParams list(nullptr, NewOracleParam);
  ScanBindVariables(sql, &list);
  std::vector<std::string> names;
  for (TParam* p : list) names.push_back(p->ParamName());
  return names;
}

using Names = std::vector<std::string>;

// prefix followed by the number (appended: gcc 12 misreports "x" + to_string as overlapping).
std::string Numbered(const char* prefix, int n) {
  std::string s(prefix);
  s.append(std::to_string(n));
  return s;
}

}  // namespace

TEST(BindScanner, FindsNamesOutsideStringsAndComments) {
  EXPECT_EQ(BindNames("SELECT ':x' FROM T WHERE A = :y -- and :z\n"), Names{"y"});
  EXPECT_EQ(BindNames("BEGIN :a := :a + 1; END;"), Names{"a"});
  EXPECT_EQ(BindNames("SELECT /* :p */ :q FROM DUAL"), Names{"q"});
  EXPECT_EQ(BindNames("SELECT :q /* :p unterminated :r"), Names{"q"});
  EXPECT_EQ(BindNames("-- :a\nSELECT :B, :b, :c_1 FROM DUAL"), (Names{"B", "c_1"}));
  // A doubled quote ends and reopens the string.
  EXPECT_EQ(BindNames("SELECT 'it''s :no' || :yes FROM DUAL"), Names{"yes"});
  // The character that ends a name is scanned again: a second colon starts a name.
  EXPECT_EQ(BindNames("X:a:b::c"), (Names{"a", "b", "c"}));
  EXPECT_EQ(BindNames("A / B :x / :y"), (Names{"x", "y"}));
  EXPECT_EQ(BindNames(std::string("SELECT :a\0 :b", 14)), Names{"a"});
  EXPECT_EQ(BindNames(":"), Names{});
  EXPECT_EQ(BindNames("SELECT 'open :s"), Names{});
  EXPECT_EQ(BindNames("SELECT -:n FROM DUAL"), Names{"n"});
}

TEST(QueryWithoutDatabase, FetchMoreOutsideAFetchIsRefused) {
  TOracleQuery q(nullptr);
  try {
    q.FetchMore(10);
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecNoOpenFetch);
    EXPECT_EQ(e.Message(), "Error : 3.11.[]");
  }
}

struct QueryTest : ::testing::Test {
  TestDatabase database;
  TOracleDatabase db{nullptr};
  QueryTest() {
    database.Configure(db, "q");
    db.Open();
  }
  // A statement on the test's connection.
  std::unique_ptr<TOracleQuery> Query(const std::string& sql, int32_t rows = 0) {
    auto q = rows > 0 ? std::make_unique<TOracleQuery>(nullptr, rows)
                      : std::make_unique<TOracleQuery>(nullptr);
    q->SetDatabaseName("q");
    q->SetSQL(sql);
    return q;
  }
  void Exec(const std::string& sql) { Query(sql)->ExecSQL(); }
  // A table of n numbered rows.
  void MakeRows(int n) {
    Exec("CREATE TABLE NUMS (N NUMBER(6), TXT VARCHAR2(20))");
    auto ins = Query("INSERT INTO NUMS VALUES (:n, :t)");
    ins->SetPrepared(true);
    TParams* ps = ins->Params();
    ps->SetDimension(n);
    for (int i = 0; i < n; ++i) {
      ps->FindParam("n")->SetAsStringAt(i, Numbered("", i + 1));
      ps->FindParam("t")->SetAsStringAt(i, Numbered("row ", i + 1));
    }
    ins->ExecuteEx(n, 0);
    EXPECT_EQ(ins->RowsProcessed(), n);
  }
};

TEST_F(QueryTest, StatesFollowTheBatches) {
  MakeRows(12);
  auto q = Query("SELECT N FROM NUMS ORDER BY N");
  EXPECT_EQ(q->State(), 0);
  q->OpenEx(5, false);
  EXPECT_EQ(q->State(), 2);
  EXPECT_EQ(q->RowsProcessed(), 5);
  TParam* n = q->Fields()->FindParam("N");
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->RowCount(), 5);
  EXPECT_EQ(n->GetAsStringAt(4), "5");
  q->FetchMore(5);
  EXPECT_EQ(q->State(), 2);
  EXPECT_EQ(n->GetAsStringAt(0), "6");
  q->FetchMore(5);
  EXPECT_EQ(q->RowsProcessed(), 2);
  EXPECT_EQ(n->RowCount(), 2);
  EXPECT_EQ(n->GetAsStringAt(1), "12");
  EXPECT_EQ(q->State(), 1);
  EXPECT_EQ(LayerCode([&] { q->FetchMore(5); }), ecNoOpenFetch);

  // A batch of exactly the rows asked for stays open; the empty one after it ends.
  auto ten = Query("SELECT N FROM NUMS WHERE N <= 10");
  ten->OpenEx(10, false);
  EXPECT_EQ(ten->State(), 2);
  ten->FetchMore(10);
  EXPECT_EQ(ten->RowsProcessed(), 0);
  EXPECT_EQ(ten->State(), 1);
  // With CancelAfter the fetch ends after the first batch whatever its size.
  ten->OpenEx(10, true);
  EXPECT_EQ(ten->State(), 1);
  // A batch larger than the column buffers is refused before the library writes it.
  ten->OpenEx(4, false);
  EXPECT_EQ(ten->State(), 2);
  EXPECT_EQ(LayerCode([&] { ten->FetchMore(11); }), ecParamIndex);
  ten->Close();
  EXPECT_EQ(ten->State(), 0);

  TStringList values;
  Query("SELECT TXT FROM NUMS ORDER BY N", 5)->GetFirstColumnValues(&values);
  ASSERT_EQ(values.Count(), 12);
  EXPECT_EQ(values.Strings(11), "row 12");
}

TEST_F(QueryTest, DescribeGivesTypesSizesAndNulls) {
  auto q = Query("SELECT EMPNO, ENAME, HIREDATE, SAL, ROWID, ENAME || JOB FROM EMP ORDER BY EMPNO");
  q->SetPrepared(true);
  TFields* f = q->Fields();
  ASSERT_EQ(f->Count(), 6);
  TParam* empno = f->Items(0);
  EXPECT_EQ(empno->ParamName(), "EMPNO");
  EXPECT_EQ(empno->Pos(), 1);
  EXPECT_EQ(empno->DbType(), 2);
  EXPECT_EQ(empno->DataType(), oNumber);
  EXPECT_EQ(empno->ItemSize(), 40);
  TParam* ename = f->Items(1);
  EXPECT_EQ(ename->DataType(), oVarchar2);
  EXPECT_EQ(ename->ItemSize(), 10);
  EXPECT_FALSE(ename->NullOk());  // NOT NULL
  TParam* hired = f->Items(2);
  EXPECT_EQ(hired->DataType(), oDate);
  EXPECT_EQ(hired->ItemSize(), 9);  // DD-MON-YY
  EXPECT_TRUE(hired->NullOk());
  EXPECT_EQ(f->Items(4)->DataType(), oRowid);
  EXPECT_GT(f->Items(4)->ItemSize(), 0);
  EXPECT_EQ(f->Items(5)->DataType(), oVarchar2);

  q->OpenEx(20, false);
  EXPECT_EQ(q->RowsProcessed(), 14);
  EXPECT_EQ(empno->RowCount(), 14);
  TParam* sal = f->FindParam("SAL");
  EXPECT_EQ(sal->GetAsStringAt(0), "800");
  EXPECT_EQ(hired->GetAsStringAt(0), "17-DEC-80");
}

TEST_F(QueryTest, SameNamedColumnsGiveOneEntryAtTheLaterPosition) {
  auto q = Query(
      "SELECT E.DEPTNO, E.ENAME, D.DEPTNO, D.DNAME FROM EMP E, DEPT D "
      "WHERE E.DEPTNO = D.DEPTNO ORDER BY E.EMPNO");
  q->Open();
  TFields* f = q->Fields();
  ASSERT_EQ(f->Count(), 3);
  TParam* deptno = f->FindParam("DEPTNO");
  EXPECT_EQ(deptno->Pos(), 3);
  EXPECT_EQ(f->FindParam("DNAME")->GetAsStringAt(0), "RESEARCH");
  EXPECT_EQ(deptno->GetAsStringAt(0), "20");
}

TEST_F(QueryTest, BindsInAndOutValues) {
  auto q = Query("BEGIN :r := :a || '-' || TO_CHAR(:n + 1); :e := NULL; END;");
  q->SetPrepared(true);
  TParams* ps = q->Params();
  ASSERT_EQ(ps->Count(), 4);
  TParam* r = ps->FindParam("r");
  r->SetKind(oOutput);
  r->SetDataType(oVarchar2);
  r->SetItemSize(50);
  ps->FindParam("a")->SetAsString("x");
  ps->FindParam("n")->SetAsInteger(41);
  TParam* e = ps->FindParam("e");
  e->SetKind(oOutput);
  e->SetDataType(oVarchar2);
  q->ExecSQL();
  EXPECT_EQ(q->State(), 1);
  EXPECT_EQ(r->AsString(), "x-42");
  EXPECT_EQ(e->GetIndicator(0), -1);

  // Executing again rebinds the same buffers.
  ps->FindParam("a")->SetAsString("");
  q->ExecSQL();
  EXPECT_EQ(r->AsString(), "-42");

  // An output parameter that was never typed cannot be bound.
  auto untyped = Query("BEGIN :o := 1; END;");
  untyped->SetPrepared(true);
  untyped->Params()->FindParam("o")->SetKind(oOutput);
  try {
    untyped->ExecSQL();
    FAIL();
  } catch (const EDbInterface& x) {
    EXPECT_EQ(x.Message(), "Error : 6.7.[Datatype]");
  }
}

TEST_F(QueryTest, ArrayExecutionIsLimitedToTheBufferDimension) {
  MakeRows(3);
  auto q = Query("INSERT INTO NUMS VALUES (:n, :t)");
  q->SetPrepared(true);
  q->Params()->FindParam("n")->SetDimension(5);
  q->Params()->FindParam("t")->SetDimension(2);
  EXPECT_EQ(LayerCode([&] { q->ExecuteEx(5, 0); }), ecParamIndex);
  auto count = Query("SELECT COUNT(*) FROM NUMS");
  count->Open();
  EXPECT_EQ(count->Fields()->Items(0)->AsString(), "3");
}

// A value cut to fit its element is never handed on as if it were whole: the fetch that
// cut it fails with ORA-01406, whether the batch ended the rows or not.  The largest
// element carries a LONG of up to 65,535 characters.
TEST_F(QueryTest, FetchedValuesCutToFitAreErrorsOfTheFetch) {
  Exec("CREATE TABLE LONGS (ID NUMBER, BODY LONG)");
  auto ins = Query("INSERT INTO LONGS VALUES (:id, :body)");
  ins->SetPrepared(true);
  TParam* body = ins->Params()->FindParam("body");
  body->SetDataType(oLong);
  body->SetItemSize(kMaxItemSize);
  const std::string fits(32765, 'f'), longer(40000, 'l'), largest(kMaxItemSize, 'x');
  int id = 0;
  for (const std::string* v : {&fits, &longer, &largest}) {
    ins->Params()->FindParam("id")->SetAsInteger(++id);
    body->SetAsString(*v);
    ins->ExecSQL();
  }
  auto fetchOne = [&](int which, int32_t itemSize) {
    auto q = Query("SELECT BODY FROM LONGS WHERE ID = " + std::to_string(which));
    q->SetPrepared(true);
    if (itemSize > 0) q->Fields()->Items(0)->SetItemSize(itemSize);
    q->Open();
    return q->Fields()->Items(0)->AsString();
  };
  auto truncated = [&](auto&& run) {
    try {
      run();
    } catch (const EDatabaseError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("ORA-01406", 0), 0u) << e.what();
      return e.Code() == 1406;
    }
    return false;
  };
  EXPECT_EQ(fetchOne(1, 0), fits);
  // The only row of its batch, which the library answers with 1403.
  EXPECT_TRUE(truncated([&] { fetchOne(2, 0); }));
  EXPECT_EQ(fetchOne(2, kMaxItemSize), longer);
  EXPECT_EQ(fetchOne(3, kMaxItemSize), largest);

  // Any column, in a batch that fills and in the one that ends the rows.
  MakeRows(4);
  for (int32_t rows : {1, 2, 10}) {
    auto q = Query("SELECT N, TXT FROM NUMS ORDER BY N", rows);
    q->SetPrepared(true);
    q->Fields()->FindParam("TXT")->SetItemSize(5);  // "row 1" fits, nothing longer would
    EXPECT_NO_THROW(q->Open()) << rows;
    auto cut = Query("SELECT N, TXT || 'x' FROM NUMS ORDER BY N", rows);
    cut->SetPrepared(true);
    cut->Fields()->Items(1)->SetItemSize(5);
    EXPECT_TRUE(truncated([&] {
      cut->Open();
      while (cut->State() == kStateFetching) cut->FetchMore(rows);
    })) << rows;
  }
}

TEST_F(QueryTest, ParseErrorsKeepTheirOffsetOnlyUntilTheNextPrepare) {
  const std::string bad = "SELECT ENAME\nFROM EMP\nWHERE ENAME = = 'X'";
  auto q = Query(bad);
  EXPECT_NE(OracleCode([&] { q->SetPrepared(true); }), 0);
  EXPECT_GT(q->ParseErrorOffset(), static_cast<int32_t>(bad.find("WHERE")));
  EXPECT_EQ(q->State(), 0);
  // The same statement object, now with good text.
  q->SetSQL("SELECT ENAME FROM EMP");
  q->SetPrepared(true);
  EXPECT_EQ(q->ParseErrorOffset(), 0);
  // A failure outside parsing carries no position.
  q->SetSQL("INSERT INTO DEPT (DEPTNO) VALUES (10)");
  EXPECT_EQ(OracleCode([&] { q->ExecSQL(); }), 1);
  EXPECT_EQ(q->ParseErrorOffset(), 0);
  EXPECT_EQ(q->State(), 3);  // failed execution
  q->Close();
  EXPECT_EQ(q->State(), 0);
}

TEST_F(QueryTest, CursorVariableIsReadAndBoundAgain) {
  MakeRows(150);
  auto q = Query("BEGIN OPEN :c FOR SELECT N, TXT FROM NUMS WHERE N > :m ORDER BY N; END;");
  q->SetPrepared(true);
  auto* c = static_cast<TOracleParam*>(q->Params()->FindParam("c"));
  c->SetDataType(oCursor);
  c->SetKind(oOutput);
  q->Params()->FindParam("m")->SetAsInteger(0);
  EXPECT_EQ(c->GetCursorQuery(), nullptr);  // nothing bound yet
  q->ExecSQL();

  TOracleQuery* cq = c->GetCursorQuery();
  ASSERT_NE(cq, nullptr);
  EXPECT_TRUE(cq->IsCursorResult());
  EXPECT_EQ(cq->State(), 2);
  ASSERT_EQ(cq->Fields()->Count(), 2);
  EXPECT_EQ(cq->Fields()->Items(0)->ParamName(), "N");
  EXPECT_EQ(cq->Fields()->Items(0)->Dimension(), 100);
  cq->FetchMore(100);
  EXPECT_EQ(cq->RowsProcessed(), 100);
  EXPECT_EQ(cq->State(), 2);
  EXPECT_EQ(cq->Fields()->Items(1)->GetAsStringAt(99), "row 100");
  cq->FetchMore(100);
  EXPECT_EQ(cq->RowsProcessed(), 50);
  EXPECT_EQ(cq->State(), 1);
  EXPECT_EQ(c->GetCursorQuery(), cq);

  // Bound again: the same statement, cleared and described anew.
  q->Params()->FindParam("m")->SetAsInteger(140);
  q->ExecSQL();
  EXPECT_EQ(c->GetCursorQuery(), cq);
  EXPECT_EQ(cq->State(), 2);
  cq->FetchMore(100);
  EXPECT_EQ(cq->RowsProcessed(), 10);
  EXPECT_EQ(cq->Fields()->Items(0)->GetAsStringAt(0), "141");

  // Closing the parent ends its cursor variables without touching the library.
  q->Params()->FindParam("m")->SetAsInteger(0);
  q->ExecSQL();
  c->GetCursorQuery()->FetchMore(100);
  q->Close();
  EXPECT_EQ(cq->State(), 0);
  EXPECT_EQ(LayerCode([&] { cq->FetchMore(100); }), ecNoOpenFetch);
}

TEST_F(QueryTest, NonBlockingCallsAreRepeatedUntilTheyComplete) {
  MakeRows(3);
  db.SetNonBlocking(true);
  ASSERT_TRUE(db.IsNonBlocking());
  ASSERT_EQ(Delay(db, 150), 0);

  // A statement left open before the slow one starts.
  auto other = Query("SELECT N FROM NUMS ORDER BY N");
  other->OpenEx(1, false);
  while (other->StillExecuting()) other->ContinueOpen(1, false);
  ASSERT_EQ(other->State(), 2);

  auto upd = Query("UPDATE NUMS SET TXT = 'x'");
  upd->ExecSQL();
  ASSERT_TRUE(upd->StillExecuting());
  // Another call meanwhile has no answer yet: its fetch stays open, to be repeated.
  other->FetchMore(1);
  EXPECT_TRUE(other->StillExecuting());
  EXPECT_EQ(other->State(), 2);
  int repeats = 0;
  while (upd->StillExecuting()) {
    ++repeats;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    upd->ContinueExecute();
  }
  EXPECT_GT(repeats, 0);
  EXPECT_EQ(upd->RowsProcessed(), 3);
  EXPECT_EQ(upd->State(), 1);
  do {
    other->FetchMore(1);
  } while (other->StillExecuting());
  EXPECT_EQ(other->RowsProcessed(), 1);
  EXPECT_EQ(other->Fields()->Items(0)->GetAsStringAt(0), "2");
  other->Close();

  auto sel = Query("SELECT N FROM NUMS ORDER BY N");
  sel->OpenEx(2, false);
  repeats = 0;
  while (sel->StillExecuting()) {
    ++repeats;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    sel->ContinueOpen(2, false);
  }
  EXPECT_GT(repeats, 0);
  EXPECT_EQ(sel->State(), 2);
  EXPECT_EQ(sel->RowsProcessed(), 2);
  do {
    sel->FetchMore(2);
  } while (sel->StillExecuting());
  EXPECT_EQ(sel->RowsProcessed(), 1);
  EXPECT_EQ(sel->State(), 1);
  EXPECT_EQ(sel->Fields()->Items(0)->GetAsStringAt(0), "3");

  db.SetNonBlocking(false);
  EXPECT_FALSE(db.IsNonBlocking());
}

TEST_F(QueryTest, BreakCallCancelsTheRunningStatement) {
  db.SetNonBlocking(true);
  // Longer than any test runs: only the break ends it, wherever it lands.
  auto slow = Query("BEGIN DBMS_LOCK.SLEEP(86400); END;");
  slow->ExecSQL();
  ASSERT_TRUE(slow->StillExecuting());
  db.BreakCall();
  int code = 0;
  while (code == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    code = OracleCode([&] { slow->ContinueExecute(); });
    if (code == 0 && !slow->StillExecuting()) break;
  }
  EXPECT_EQ(code, 1013);
  db.SetNonBlocking(false);
  // The connection goes on working.
  auto q = Query("SELECT COUNT(*) FROM DEPT");
  q->Open();
  EXPECT_EQ(q->Fields()->Items(0)->AsString(), "4");
}

TEST_F(QueryTest, ProcedureLists) {
  int created =
      OracleCode([&] { Exec("CREATE PROCEDURE RAISE_SAL(P NUMBER) IS BEGIN NULL; END;"); });
  if (created == 3001) GTEST_SKIP() << "the client library keeps no stored programs yet";
  ASSERT_EQ(created, 0);
  Exec("CREATE FUNCTION HALF(P NUMBER) RETURN NUMBER IS BEGIN RETURN P / 2; END;");
  Exec(
      "CREATE PACKAGE PAY IS\n"
      "  PROCEDURE RUN(P NUMBER);\n"
      "  procedure run(p varchar2);\n"
      "  FUNCTION TOTAL_1 RETURN NUMBER;\n"
      "END;");
  Exec("CREATE PACKAGE EMPTY_PKG IS\n  X NUMBER;\nEND;");
  TStringList list;
  list.Add("stale");
  db.GetProcedureList(&list, "", 0);
  list.SetSorted(true);
  // The demo schema's own procedure and function come with ours.
  EXPECT_EQ(list.CommaText(), "DEPT_SALARY,HALF,RAISE_SAL,RAISE_SALARY");
  list.SetSorted(false);

  db.GetProcedureList(&list, "", 101);
  EXPECT_NE(list.IndexOf("PAY"), -1);
  EXPECT_NE(list.IndexOf("EMPTY_PKG"), -1);
  EXPECT_NE(list.IndexOf("EMP_API"), -1);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf("HALF"), -1);

  db.GetProcedureList(&list, "PAY", 102);
  EXPECT_EQ(list.CommaText(), "PAY.RUN,PAY.TOTAL_1");

  db.GetProcedureList(&list, "", 103);
  EXPECT_LT(list.IndexOf("HALF"), list.IndexOf("PAY.RUN"));
  EXPECT_EQ(list.IndexOf("PAY.RUN") + 1, list.IndexOf("PAY.TOTAL_1"));
  EXPECT_EQ(list.IndexOf("PAY"), -1);
  EXPECT_EQ(list.IndexOf("EMPTY_PKG"), -1);
  EXPECT_EQ(list.IndexOf("EMP_API.HEADCOUNT") + 1, list.IndexOf("EMP_API.HIRE"));

  // A quote in the package name stays inside the literal.
  db.GetProcedureList(&list, "PAY' OR 'X'='X", 102);
  EXPECT_EQ(list.Count(), 0);
  db.GetProcedureList(&list, "", 7);
  EXPECT_EQ(list.Count(), 0);
  // The temporary statements gave the connection back.
  EXPECT_EQ(db.RefCount(), 0);
  EXPECT_EQ(db.Datasets().Count(), 0);
}
