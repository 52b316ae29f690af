// The session and query objects against the real client library: batches and Eof,
// columns, error positions, session labels and lookup, cancellable runs and the Busy
// guard, lost connections, prepared blocks and server output.
#include <gtest/gtest.h>

#include <chrono>

#include "oracle/ora_ip.h"
#include "oracle/oracle_query.h"
#include "oracle/session_services.h"
#include "oracle/statement_services.h"
#include "session_fixture.h"

using namespace sessiontest;

namespace {

const char* const kCancel = "ST-ORA-1013 User requested cancel of current operation.";

struct QueryTest : SessionTest {
  QueryTest() {
    Exec("CREATE TABLE NUMS (N NUMBER(4))");
    for (int i = 1; i <= 12; ++i) Exec("INSERT INTO NUMS VALUES (" + std::to_string(i) + ")");
  }
};

}  // namespace

TEST_F(QueryTest, BatchesOfFiveEndWhereTheRowsEnd) {
  for (int n : {0, 4, 5, 6, 10, 12}) {
    SCOPED_TRACE(n);
    auto q = Query({"SELECT N FROM NUMS", "WHERE N <= " + std::to_string(n), "ORDER BY N"});
    ASSERT_TRUE(q->Open());
    EXPECT_TRUE(q->Active());
    EXPECT_EQ(q->RowCount(), std::min(n, 5));
    int expected = 1;
    for (; !q->Eof(); q->Next()) {
      EXPECT_EQ(q->FieldByName("n")->AsInteger(), expected);
      // On the last row a short batch has already ended the fetch, so the step to Eof
      // needs no server call; a full last batch leaves one more (empty) fetch.
      if (expected == n) {
        EXPECT_EQ(q->Statement()->State(), n % 5 == 0 ? 2 : 1);
      }
      ++expected;
    }
    EXPECT_EQ(expected - 1, n);
    q->Next();  // nothing past the end
    EXPECT_TRUE(q->Eof());
  }
}

TEST_F(QueryTest, ColumnsAreDescribedAndFoundByName) {
  auto q = Query({"SELECT EMPNO, ENAME, HIREDATE, SAL, ROWID FROM EMP WHERE EMPNO = 7369"});
  q->Open();
  ASSERT_EQ(q->FieldCount(), 5);
  EXPECT_EQ(q->FieldByName("ename"), q->Fields(1));
  EXPECT_EQ(q->Fields(1)->FieldName(), "ENAME");
  EXPECT_EQ(q->FieldByName("EMPNO")->AsInteger(), 7369);
  EXPECT_EQ(q->FieldByName("ENAME")->DisplayText(), "SMITH");
  EXPECT_EQ(q->FieldByName("HIREDATE")->AsString(), "17-DEC-80");
  const uint8_t types[] = {ftNumber, ftVarchar2, ftDate, ftNumber, ftRowid};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(q->Fields(i)->DataType(), types[i]) << i;
  EXPECT_EQ(q->FieldByName("ENAME")->DisplayWidth(), 10);
  EXPECT_EQ(q->FieldByName("SAL")->DisplayWidth(), 10);

  std::string msg;
  EXPECT_EQ(SqlErrorCode([&] { q->FieldByName("NOPE"); }, &msg), 0);
  EXPECT_EQ(msg, "Unable to locate column in query results - NOPE");
  EXPECT_EQ(SqlErrorCode([&] { q->Fields(-1); }, &msg), 0);
  EXPECT_EQ(msg, "Invalid index, column not found - -1");
  EXPECT_EQ(SqlErrorCode([&] { q->Fields(5); }), 0);

  // Every column type's code binds back as the same parameter type.
  for (TParamType t : {oVarchar2, oNumber, oLong, oRowid, oDate, oRaw, oLongRaw, oMlsLabel}) {
    TOracleParam column(nullptr, "C");
    column.SetDataType(t);
    EXPECT_EQ(FieldTypeToParamType(TyField(TyDatabase::kEngineOci, &column).DataType()), t);
  }
  EXPECT_EQ(FieldTypeToParamType(7), oVarchar2);
  EXPECT_EQ(FieldTypeToParamType(9), oUnknown);

  q->Close();
  EXPECT_TRUE(q->Eof());
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(q->Fields(0), nullptr);
}

TEST_F(QueryTest, ErrorsCarryLineAndColumn) {
  auto q = Query({"SELECT DNAME", "FROM DEPT", "WHERE LOC = 'X' AND AND 1=1"});
  std::string msg;
  EXPECT_EQ(SqlErrorCode([&] { q->Open(); }, &msg), 936);
  EXPECT_EQ(msg.substr(0, 9), "ORA-00936");
  EXPECT_EQ(q->ErrorCode(), 936);
  EXPECT_EQ(q->ErrorPos(), 43);  // the second AND
  EXPECT_EQ(q->ErrorLine(), 3);
  EXPECT_EQ(q->ErrorColumn(), 21);

  // Lines of 20 and 15 characters: offset 30 is on line 2, column 10.
  q->SQL().Clear();
  q->SQL().Add(std::string(20, 'x'));
  q->SQL().Add(std::string(15, 'y'));
  q->SQL().Add("z");
  EXPECT_FALSE(q->InternalOpen(false));
  EDatabaseError e("ORA-00900: invalid SQL statement", 900, "t");
  q->Statement()->SetParseErrorOffset(30);
  q->LoadOciError(&e, true);
  EXPECT_EQ(q->ErrorLine(), 2);
  EXPECT_EQ(q->ErrorColumn(), 10);
  q->Statement()->SetParseErrorOffset(39);  // past the text: no position
  q->LoadOciError(&e, true);
  EXPECT_EQ(q->ErrorLine(), 1);
  EXPECT_EQ(q->ErrorColumn(), 1);

  // The next run starts with clean error fields; an empty one says so instead of
  // repeating the last failure.
  q->SQL().Clear();
  q->SQL().Add("SELECT 1 FROM DUAL");
  q->Open();
  EXPECT_EQ(q->ErrorCode(), 0);
  EXPECT_EQ(q->ErrorText(), "");
  q->SQL().Clear();
  EXPECT_EQ(SqlErrorCode([&] { q->Open(); }, &msg), 0);
  EXPECT_EQ(msg, "No SQL statement to execute");

  TyQuery unbound;
  unbound.SetDatabaseName("no such session");
  EXPECT_EQ(unbound.Database(), nullptr);
  unbound.SQL().Add("SELECT 1 FROM DUAL");
  EXPECT_THROW(unbound.Open(), EyIntError);
}

TEST_F(SessionTest, LabelsCountUnnamedSessionsOnly) {
  const int32_t n = TyDatabase::SessionCounter();
  auto a = Connect("");
  auto b = Connect("  ");
  auto work = Connect("Work");
  const std::string prefix = database.Server() + "-DEMO:";
  EXPECT_EQ(a->DatabaseName(), prefix + std::to_string(n));
  EXPECT_EQ(b->DatabaseName(), prefix + std::to_string(n + 1));
  EXPECT_EQ(work->DatabaseName(), prefix + "Work");
  EXPECT_EQ(TyDatabase::SessionCounter(), n + 2);

  TyDatabase bad;
  EXPECT_THROW(bad.Connect("DEMO", "WRONG", database.Server(), ""), EDatabaseError);
  EXPECT_FALSE(bad.Connected());
  EXPECT_EQ(TyDatabase::SessionCounter(), n + 2);

  TyDatabase unknown(7);
  EXPECT_FALSE(unknown.Connect("DEMO", "DEMO", database.Server(), "u"));
  EXPECT_EQ(shell.errors.back(), "Internal Error: Unidentified database");
  TyDatabase ole(TyDatabase::kEngineOle);
  EXPECT_THROW(ole.Connect("DEMO", "DEMO", database.Server(), "o"), EyIntError);
}

TEST_F(SessionTest, TheLookupAsksEachListedSessionForItsDebugSession) {
  auto a = Connect("");
  auto b = Connect("");
  EXPECT_EQ(FindDatabaseByName(a->DatabaseName()), a.get());
  EXPECT_EQ(a->DebugSession(), nullptr);
  // A name of no listed session: every listed session's debug session is made on the way.
  EXPECT_EQ(FindDatabaseByName("nothing of that name"), nullptr);
  ASSERT_NE(a->DebugSession(), nullptr);
  ASSERT_NE(b->DebugSession(), nullptr);
  EXPECT_TRUE(a->DebugSession()->Connected());
  EXPECT_TRUE(b->DebugSession()->Connected());

  // Two unnamed parents have two debug sessions, labelled after their own names.
  TyDatabase* da = a->GetDebugSession();
  TyDatabase* dbg = b->GetDebugSession();
  EXPECT_EQ(da->DatabaseName(), a->DatabaseName() + "-DBG");
  EXPECT_EQ(dbg->DatabaseName(), b->DatabaseName() + "-DBG");
  EXPECT_EQ(a->GetDebugSession(), da);
  EXPECT_EQ(FindDatabaseByName(dbg->DatabaseName()), dbg);
  // One found by its name that did not exist yet is made and connected by the lookup.
  auto c = Connect("c");
  TyDatabase* dc = FindDatabaseByName(c->DatabaseName() + "-DBG");
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc, c->DebugSession());
  EXPECT_TRUE(dc->Connected());
  // A debug session that cannot connect is the lookup's failure too.
  auto d = Connect("d");
  TyDatabase admin;
  ASSERT_TRUE(admin.Connect("SYSTEM", "MANAGER", database.Server(), "admin"));
  Exec(admin, "ALTER USER DEMO IDENTIFIED BY CHANGED");
  EXPECT_THROW(FindDatabaseByName("nothing again"), EySQLError);
  Exec(admin, "ALTER USER DEMO IDENTIFIED BY DEMO");
  Unlist(d.get());
  EXPECT_TRUE(CheckSessionAlive(da));

  // The SQL editor's running session counts while it runs.
  auto running = std::make_unique<TyDatabase>();
  running->Connect("DEMO", "DEMO", database.Server(), "run");
  EXPECT_EQ(FindDatabaseByName(running->DatabaseName()), nullptr);
  EXPECT_THROW(CheckSessionAlive(running.get()), EyDbConnectionLost);
  SetExecutingSession(running.get());
  EXPECT_EQ(FindDatabaseByName(running->DatabaseName()), running.get());
  EXPECT_TRUE(CheckSessionAlive(running.get()));
  SetExecutingSession(nullptr);

  EXPECT_TRUE(a->Disconnect());
  EXPECT_FALSE(da->Connected());
  EXPECT_EQ(FindDatabaseByName(da->DatabaseName()), nullptr);
  try {
    CheckSessionAlive(a.get());
    FAIL();
  } catch (const EyDbConnectionLost& e) {
    EXPECT_EQ(e.Message(), "Database connection has been closed or lost for this session");
  }
  TyDatabase orphan;
  EXPECT_THROW(orphan.GetDebugSession(), EySQLError);
}

TEST_F(QueryTest, CancellableRunsCompleteOrStopOnCancel) {
  ASSERT_TRUE(db->NonBlockingPossible());
  // Completes: the loop pumps messages while the server works.
  oratest::Delay(*db->Connection(), 100);
  auto q = Query({"SELECT COUNT(*) C FROM NUMS"});
  EXPECT_TRUE(q->OpenCancellable());
  EXPECT_EQ(q->FieldByName("C")->AsInteger(), 12);
  EXPECT_GT(shell.pumped, 0);
  EXPECT_FALSE(db->Busy());
  EXPECT_FALSE(db->Connection()->IsNonBlocking());

  // Cancelled in Open: raised with the cancel text and code, nothing left behind.  The
  // delay and the sleep below last longer than any test: only the cancel ends them.
  oratest::Delay(*db->Connection(), 86400000);
  int pumps = 0;
  std::string busyMessage;
  shell.onPump = [&] {
    if (++pumps == 3) {
      // A second statement on the busy session is refused while the first runs.
      auto second = Query({"SELECT 1 FROM DUAL"});
      SqlErrorCode([&] { second->Open(); }, &busyMessage);
      SetCancelFlag();
    }
  };
  std::string msg;
  EXPECT_EQ(SqlErrorCode([&] { q->OpenCancellable(); }, &msg), 1013);
  EXPECT_EQ(msg, kCancel);
  EXPECT_EQ(busyMessage, "This Session is busy executing another SQL statement");
  EXPECT_FALSE(db->Busy());
  EXPECT_FALSE(CancelFlag());
  EXPECT_FALSE(db->Connection()->IsNonBlocking());
  EXPECT_TRUE(q->Eof());

  // Cancelled in ExecSQL: recorded with code 1013 and re-raised with it.
  oratest::Delay(*db->Connection(), 0);
  pumps = 0;
  shell.onPump = [&] {
    if (++pumps == 3) SetCancelFlag();
  };
  q->SQL().Clear();
  q->SQL().Add("BEGIN DBMS_LOCK.SLEEP(86400); END;");
  EXPECT_EQ(SqlErrorCode([&] { q->ExecSQLCancellable(); }, &msg), 1013);
  EXPECT_EQ(msg, kCancel);
  EXPECT_EQ(q->ErrorCode(), 1013);
  EXPECT_EQ(q->ErrorPos(), 1);
  EXPECT_FALSE(db->Busy());
  shell.onPump = nullptr;

  // A failing cancellable statement leaves the session free and blocking too.
  q->SQL().Clear();
  q->SQL().Add("UPDATE NO_SUCH_TABLE SET X = 1");
  EXPECT_EQ(SqlErrorCode([&] { q->ExecSQLCancellable(); }), 942);
  EXPECT_FALSE(db->Busy());
  EXPECT_FALSE(db->Connection()->IsNonBlocking());
  // And the session goes on working.
  q->SQL().Clear();
  q->SQL().Add("SELECT COUNT(*) FROM NUMS");
  q->Open();
  EXPECT_EQ(q->Fields(0)->AsInteger(), 12);
}

TEST_F(QueryTest, StartedStatementKeepsTheSessionBusyUntilWaitedFor) {
  auto q = Query({"BEGIN DBMS_LOCK.SLEEP(0.3); END;"});
  // Waiting for nothing is no success.
  EXPECT_FALSE(q->WaitExecSQL());
  EXPECT_EQ(q->ErrorText(), "No SQL statement started");
  EXPECT_FALSE(db->Busy());
  ASSERT_TRUE(q->StartExecSQL(true));
  EXPECT_TRUE(db->Busy());
  auto other = Query({"SELECT 1 FROM DUAL"});
  EXPECT_EQ(SqlErrorCode([&] { other->Open(); }), 0);
  EXPECT_TRUE(q->WaitExecSQL());
  EXPECT_FALSE(db->Busy());
  EXPECT_FALSE(db->Connection()->IsNonBlocking());
  EXPECT_TRUE(other->Open());
  // Once waited for, it is over.
  EXPECT_FALSE(q->WaitExecSQL());

  // Not cancellable: runs to its end at once, and waiting for it finds it done.
  q->SQL().Clear();
  q->SQL().Add("UPDATE NUMS SET N = N WHERE N < 4");
  EXPECT_TRUE(q->StartExecSQL(false));
  EXPECT_FALSE(db->Busy());
  EXPECT_EQ(q->RowCount(), 3);
  EXPECT_TRUE(q->WaitExecSQL());
  EXPECT_EQ(q->RowCount(), 3);
  // Another run in between leaves nothing started.
  EXPECT_TRUE(q->StartExecSQL(false));
  EXPECT_TRUE(q->ExecSQL());
  EXPECT_FALSE(q->WaitExecSQL());
}

// A parse may answer "still executing" in non-blocking mode, as a server's may; the loop
// repeats only the execute, which would then answer "operation in progress" for ever.
// Every form parses blocking before its loop.  Should a parse go out non-blocking all
// the same, the next pump cancels, so the fault shows as a cancel rather than a hang.
TEST_F(QueryTest, CancellableFormsParseBlockingBeforeTheirLoop) {
  ASSERT_TRUE(db->NonBlockingPossible());
  gPrefs->NonBlocking = true;
  TOracleDatabase& connection = *db->Connection();
  ASSERT_EQ(oratest::AsyncParse(connection, true), 0);
  shell.onPump = [&] {
    if (oratest::AsyncParsesAnswered(connection) > 0) SetCancelFlag();
  };

  auto q = Query({"UPDATE NUMS SET N = N WHERE N < 4"});
  EXPECT_TRUE(q->ExecSQLCancellable());
  EXPECT_EQ(q->RowCount(), 3);
  // DDL, which the server runs at its parse, is done whole before the loop starts.
  EXPECT_TRUE(q->ExecSQLText("CREATE TABLE PARSED (X NUMBER(4))"));
  q->SQL().Clear();
  q->SQL().Add("INSERT INTO PARSED SELECT N FROM NUMS WHERE N > 2");
  ASSERT_TRUE(q->StartExecSQL(true));
  EXPECT_TRUE(q->WaitExecSQL());
  EXPECT_EQ(q->RowCount(), 10);
  q->SQL().Clear();
  q->SQL().Add("SELECT COUNT(*) FROM PARSED");
  EXPECT_TRUE(q->OpenCancellable());
  EXPECT_EQ(q->Fields(0)->AsInteger(), 10);
  // A parse error still comes back with its position.
  q->SQL().Clear();
  q->SQL().Add("UPDATE NUMS SET N = N WHERE");
  EXPECT_EQ(SqlErrorCode([&] { q->ExecSQLCancellable(); }), 936);
  EXPECT_EQ(q->ErrorPos(), 27);
  EXPECT_FALSE(db->Busy());
  EXPECT_FALSE(connection.IsNonBlocking());
  EXPECT_EQ(oratest::AsyncParsesAnswered(connection), 0);
  shell.onPump = nullptr;

  // The control does what it says: a parse sent in non-blocking mode answers 3123, and
  // only its repeat collects the result.
  TOracleCursor cursor(&connection);
  cursor.OpenCursor();
  connection.SetNonBlocking(true);
  cursor.Parse("SELECT N FROM NUMS", false);
  EXPECT_EQ(cursor.ReturnCode(), 3123);
  while (cursor.ReturnCode() == 3123) cursor.Parse("SELECT N FROM NUMS", false);
  EXPECT_EQ(cursor.ReturnCode(), 0);
  EXPECT_EQ(oratest::AsyncParsesAnswered(connection), 1);
  connection.SetNonBlocking(false);
  cursor.CloseCursor();
  EXPECT_EQ(oratest::AsyncParse(connection, false), 0);
}

TEST_F(SessionTest, NoNonBlockingAtConnectRunsBlocking) {
  oratest::AllowNonBlocking(false);
  auto s = Connect("nb");
  oratest::AllowNonBlocking(true);
  EXPECT_TRUE(s->Connected());
  EXPECT_FALSE(s->NonBlockingPossible());
  TyQuery q;
  q.SetDatabaseName(s->DatabaseName());
  q.SQL().Add("SELECT COUNT(*) FROM DEPT");
  EXPECT_TRUE(q.OpenCancellable());
  EXPECT_EQ(q.Fields(0)->AsInteger(), 4);
  EXPECT_EQ(shell.pumped, 0);

  gPrefs->NonBlocking = false;
  auto off = Connect("off");
  EXPECT_FALSE(off->NonBlockingPossible());
}

TEST_F(QueryTest, LostConnectionEndsReadingAndStillDisconnects) {
  auto q = Query({"SELECT N FROM NUMS ORDER BY N"});
  q->Open();
  oratest::Kill(*db->Connection());
  int read = 0;
  int32_t code = SqlErrorCode([&] {
    for (; !q->Eof() && read < 100; q->Next()) ++read;
  });
  // The first batch was read; the failed fetch ends the loop with an error, not silently.
  EXPECT_EQ(read, 5);
  EXPECT_TRUE(code == 3113 || code == 3114) << code;
  EXPECT_TRUE(q->Eof());
  EXPECT_TRUE(db->ConnectionLost());
  // Running anything else on it fails as a statement error, not as something else.
  q->SQL().Clear();
  q->SQL().Add("SELECT 1 FROM DUAL");
  EXPECT_EQ(SqlErrorCode([&] { q->Open(); }), 3114);
  EXPECT_TRUE(db->Disconnect());
  EXPECT_FALSE(db->Connected());
  EXPECT_THROW(CheckSessionAlive(db.get()), EyDbConnectionLost);
  db.reset();  // with q still open on it
  EXPECT_EQ(q->Database(), nullptr);
  EXPECT_THROW(q->Open(), EyIntError);

  // A killed session that ran nothing since also disconnects.
  auto s = Connect("k");
  oratest::Kill(*s->Connection());
  EXPECT_TRUE(s->Disconnect());
  // And one that is simply freed without a disconnect.
  auto t = Connect("k2");
  auto tq = std::make_unique<TyQuery>();
  tq->SetDatabase(t.get());
  tq->SQL().Add("SELECT EMPNO FROM EMP");
  tq->Open();  // a fetch left open on the connection
  oratest::Kill(*t->Connection());
  t.reset();
  EXPECT_EQ(tq->Database(), nullptr);
}

// Closing a session keeps its uncommitted work, as the server's logoff does: a disconnect,
// and a session freed without one (the main window's end frees its sessions so).
TEST_F(SessionTest, ClosingASessionKeepsItsWork) {
  auto a = Connect("a");
  Exec(*a, "UPDATE DEPT SET LOC = 'OFF' WHERE DEPTNO = 40");
  EXPECT_TRUE(a->Disconnect());
  Unlist(a.get());
  auto b = Connect("b");
  Exec(*b, "UPDATE DEPT SET LOC = LOC || '+FREED' WHERE DEPTNO = 40");
  Unlist(b.get());
  b.reset();
  auto q = Query({"SELECT LOC FROM DEPT WHERE DEPTNO = 40"});
  q->Open();
  EXPECT_EQ(q->FieldByName("LOC")->AsString(), "OFF+FREED");
}

TEST_F(SessionTest, PreparedBlocksKeepTheirParameters) {
  TyQuery q;
  q.SetDatabase(db.get());
  q.SQL().Add("BEGIN :R := :A * 2; END;");
  ASSERT_TRUE(q.Prepare());
  TParams* params = q.Statement()->Params();
  ASSERT_EQ(params->Count(), 2);
  params->FindParam("A")->SetAsString("21");
  params->FindParam("R")->SetDataType(oNumber);
  params->FindParam("R")->SetKind(oOutput);
  ASSERT_TRUE(q.ExecPrepared());
  EXPECT_EQ(params->FindParam("R")->AsString(), "42");
  params->FindParam("A")->SetAsString("5");
  ASSERT_TRUE(q.ExecPrepared());
  EXPECT_EQ(params->FindParam("R")->AsString(), "10");

  // A parse error passes as the server's error itself, and is recorded.
  q.SQL().Clear();
  q.SQL().Add("BEGIN :R := ; END;");
  EXPECT_THROW(q.Prepare(), EDatabaseError);
  EXPECT_NE(q.ErrorCode(), 0);
}

TEST_F(SessionTest, ServerOutputEndToEnd) {
  TyQuery shared;
  shell.mainFormQuery = &shared;
  std::string line = "untouched";
  EXPECT_FALSE(db->GetServerOutputLine(line));
  EXPECT_EQ(line, "untouched");

  gPrefs->Dbms_Output_buffer = 2000;
  db->SetServerOutput(true);
  EXPECT_EQ(shared.LastSQLText(), "BEGIN DBMS_OUTPUT.ENABLE(2000); END;");
  shared.SQL().Clear();
  shared.SQL().Add("SELECT 1 FROM DUAL");
  shared.Open();
  db->SetServerOutput(true);  // already on: no second ENABLE
  EXPECT_EQ(shared.LastSQLText(), "SELECT 1 FROM DUAL");

  Exec("BEGIN DBMS_OUTPUT.PUT_LINE('first'); DBMS_OUTPUT.PUT_LINE('second'); END;");
  EXPECT_FALSE(db->GetServerOutputLine(line));
  EXPECT_EQ(line, "first");
  EXPECT_FALSE(db->GetServerOutputLine(line));
  EXPECT_EQ(line, "second");
  EXPECT_TRUE(db->GetServerOutputLine(line));

  // A cancelled read ends the reading instead of handing back the last line again.
  Exec("BEGIN DBMS_OUTPUT.PUT_LINE('third'); DBMS_OUTPUT.PUT_LINE('fourth'); END;");
  EXPECT_FALSE(db->GetServerOutputLine(line));
  EXPECT_EQ(line, "third");
  oratest::Delay(*db->Connection(), 5000);
  shell.onPump = [] { SetCancelFlag(); };
  EXPECT_TRUE(db->GetServerOutputLine(line));
  EXPECT_EQ(line, "");
  shell.onPump = nullptr;
  oratest::Delay(*db->Connection(), 0);

  db->SetServerOutput(false);
  EXPECT_EQ(shared.LastSQLText(), "BEGIN DBMS_OUTPUT.DISABLE; END;");
  EXPECT_FALSE(db->ServerOutput());
  EXPECT_FALSE(db->GetServerOutputLine(line));
  shell.mainFormQuery = nullptr;
}

TEST_F(SessionTest, DbHourglassDisablesTheMainWindowOnlyForCancellableSessions) {
  {
    TyHourglassScope scope;
    scope.StartDb(db.get());
    scope.ShowStatus("Working");
    EXPECT_TRUE(shell.mainWindowDisabled);
    EXPECT_EQ(shell.hourglassDepth, 1);
  }
  EXPECT_FALSE(shell.mainWindowDisabled);
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
  // On every way out the main window is enabled before the progress window goes, or
  // nothing of the program is left active: a normal end, an exception, a window that
  // only asked to be hidden, and the status without Cancel.
  struct Failure {};
  for (int way = 0; way < 4; ++way) {
    try {
      TyHourglassScope scope;
      scope.StartDb(db.get());
      if (way == 2) {
        ShowStatus("shown elsewhere");
        scope.HideStatusOnExit();
      } else if (way == 3) {
        scope.ShowStatusNoCancel("Working");
      } else {
        scope.ShowStatus("Working");
      }
      ASSERT_TRUE(shell.mainWindowDisabled);
      if (way == 1) throw Failure{};
    } catch (const Failure&) {
    }
    EXPECT_EQ(shell.statusHiddenOverDisabledMain, 0) << "way " << way;
    EXPECT_FALSE(shell.statusShown);
    EXPECT_FALSE(shell.mainWindowDisabled);
  }
  gPrefs->NonBlocking = false;
  StartDbHourglass(db.get());
  EXPECT_FALSE(shell.mainWindowDisabled);
  StopHourglass();
}

TEST(OleEngine, WithoutHolderOrServerObject) {
  EXPECT_EQ(gOraIp, nullptr);
  try {
    GetOraIp();
    FAIL();
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), "gOraIp is nil");
  }
  // An engine-0 field without a server field reads as an empty, typeless column.
  TyField field(TyDatabase::kEngineOle, nullptr);
  EXPECT_EQ(field.AsString(), "");
  EXPECT_EQ(field.AsInteger(), 0);
  EXPECT_EQ(field.DataType(), 0);
  EXPECT_EQ(field.DisplayWidth(), 10);
}
