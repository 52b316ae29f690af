// Sessions and queries on engine 0, the automation server.  Under Wine the server is
// registered in the prefix and every step runs against it and the same database as the
// call interface; where there is no server (the native build, or the server
// unregistered) the engine says it cannot start.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "oracle/ora_ip.h"
#include "platform/automation.h"
#include "oracle/statement_services.h"
#include "session_fixture.h"
#ifdef _WIN32
#include "tests/olesrv/ole_server_registry.h"
#endif

using namespace sessiontest;

namespace {

const char* const kCannotStart = "Unable to initialize Oracle connectivity engine";

// A session test with the engine holder in place, as the main window's start-up leaves it.
struct OleTest : SessionTest {
  TyOraIp holder;
  OleTest() { gOraIp = &holder; }
  ~OleTest() override { gOraIp = nullptr; }

  std::unique_ptr<TyDatabase> ConnectOle(const std::string& name) {
    auto s = std::make_unique<TyDatabase>(TyDatabase::kEngineOle);
    EXPECT_TRUE(s->Connect("DEMO", "DEMO", database.Server(), name));
    shell.sessions.AddObject(s->DatabaseName(), s.get());
    return s;
  }

  // Every row of a statement on a session, each column as text, with the column names
  // first.
  static std::vector<std::vector<std::string>> Rows(TyDatabase& s, const std::string& sql) {
    TyQuery q;
    q.SetDatabase(&s);
    q.SQL().Add(sql);
    q.Open();
    std::vector<std::vector<std::string>> rows(1);
    for (int32_t i = 0; i < q.FieldCount(); ++i) rows[0].push_back(q.Fields(i)->FieldName());
    for (; !q.Eof(); q.Next()) {
      std::vector<std::string> row;
      for (int32_t i = 0; i < q.FieldCount(); ++i) row.push_back(q.Fields(i)->AsString());
      rows.push_back(row);
    }
    return rows;
  }
};

void ExpectCannotStart(const std::function<void()>& Fn) {
  try {
    Fn();
    ADD_FAILURE() << "no error";
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), kCannotStart);
  }
}

}  // namespace

#ifdef _WIN32

struct RegisteredOleTest : OleTest {
  RegisteredOleTest() { oletest::RegisterServer(); }
};

TEST_F(RegisteredOleTest, EngineStartsOnceAndSessionConnects) {
  TyOraIp* ip = GetOraIp();
  ASSERT_TRUE(ip->Initialized());
  platform::AutomationObject* session = ip->Session();
  EXPECT_EQ(GetOraIp()->Session(), session);

  const int32_t counter = TyDatabase::SessionCounter();
  auto ole = ConnectOle("");
  EXPECT_TRUE(ole->Connected());
  EXPECT_EQ(ole->DatabaseName(), database.Server() + "-DEMO:" + std::to_string(counter));
  EXPECT_EQ(TyDatabase::SessionCounter(), counter + 1);
  EXPECT_FALSE(ole->NonBlockingPossible());
  ASSERT_FALSE(shell.debug.empty());
  EXPECT_EQ(shell.debug.back(), "Database Option 0");
  EXPECT_EQ(GetOraIp()->Session(), session);

  // A wrong password is the caller's to report, as on the call interface.
  TyDatabase wrong(TyDatabase::kEngineOle);
  EXPECT_THROW(wrong.Connect("DEMO", "NOPE", database.Server(), "w"), EDatabaseError);
  EXPECT_FALSE(wrong.Connected());

  EXPECT_TRUE(ole->Disconnect());
  EXPECT_FALSE(ole->Connected());
  Unlist(ole.get());
}

TEST_F(RegisteredOleTest, QueryWalksFieldsAndRunsDml) {
  auto ole = ConnectOle("o");
  TyQuery q;
  q.SetDatabaseName(ole->DatabaseName());
  q.SQL().Add("SELECT EMPNO, ENAME, COMM");
  q.SQL().Add("FROM EMP WHERE DEPTNO = 20 ORDER BY EMPNO");
  ASSERT_TRUE(q.Open());
  EXPECT_TRUE(q.Active());
  ASSERT_EQ(q.FieldCount(), 3);
  std::vector<std::string> names;
  int nullComms = 0;
  for (; !q.Eof(); q.Next()) {
    names.push_back(q.FieldByName("ename")->AsString());
    TyField* comm = q.FieldByName("Comm");
    if (comm->AsString().empty()) {
      EXPECT_EQ(comm->AsInteger(), 0);
      ++nullComms;
    }
    EXPECT_GT(q.FieldByName("EMPNO")->AsInteger(), 7000);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"SMITH", "JONES", "SCOTT", "ADAMS", "FORD"}));
  EXPECT_EQ(nullComms, 5);
  TyField* f = q.Fields(2);
  EXPECT_EQ(f->FieldName(), "COMM");
  EXPECT_EQ(f->DataType(), 0);
  EXPECT_EQ(f->DisplayWidth(), 10);
  EXPECT_THROW(q.FieldByName("NOPE"), EySQLError);

  // An empty result is open and at its end at once.
  q.Close();
  q.SQL().Clear();
  q.SQL().Add("SELECT ENAME FROM EMP WHERE 1 = 0");
  ASSERT_TRUE(q.Open());
  EXPECT_TRUE(q.Active());
  EXPECT_TRUE(q.Eof());

  q.Close();
  q.SQL().Clear();
  q.SQL().Add("UPDATE EMP SET COMM = 0 WHERE DEPTNO = 20 AND COMM IS NULL");
  ASSERT_TRUE(q.ExecSQL());
  EXPECT_EQ(q.RowCount(), 5);
  EXPECT_TRUE(q.ExecSQLText("DELETE FROM BONUS"));
  EXPECT_EQ(q.RowCount(), 0);
  EXPECT_TRUE(q.StartExecSQL(true));
  EXPECT_EQ(q.RowCount(), 0);  // no row has a NULL commission in department 20 any more
  EXPECT_TRUE(q.WaitExecSQL());
  EXPECT_FALSE(ole->Busy());
  // Once committed, the call interface's session sees the change: both engines work on
  // one database, as separate sessions.
  EXPECT_EQ(Rows(*db, "SELECT COUNT(*) C FROM EMP WHERE COMM = 0")[1][0], "1");
  EXPECT_TRUE(q.ExecSQLText("COMMIT"));
  // TURNER's commission was 0 already.
  EXPECT_EQ(Rows(*db, "SELECT COUNT(*) C FROM EMP WHERE COMM = 0")[1][0], "6");
}

TEST_F(RegisteredOleTest, ServerErrorsCarryTextCodeAndPosition) {
  auto ole = ConnectOle("e");
  TyQuery q;
  q.SetDatabase(ole.get());
  q.SQL().Add("SELECT ENAME");
  q.SQL().Add("FROM NO_SUCH_TABLE");
  try {
    q.Open();
    FAIL();
  } catch (const EySQLError& e) {
    EXPECT_EQ(e.Message().rfind("ORA-00942", 0), 0u) << e.Message();
    EXPECT_EQ(e.ErrorCode(), 440);
  }
  EXPECT_EQ(q.ErrorCode(), 440);
  EXPECT_EQ(q.ServerErrorText().rfind("ORA-00942", 0), 0u);
  EXPECT_FALSE(q.Active());
  EXPECT_TRUE(q.Eof());
  // The offset falls in the second line; the column counts from that line's start.
  ASSERT_GT(q.ErrorPos(), 13);
  EXPECT_EQ(q.ErrorLine(), 2);
  EXPECT_EQ(q.ErrorColumn(), q.ErrorPos() - 12);

  q.Close();
  q.SQL().Clear();
  q.SQL().Add("INSERT INTO DEPT VALUES (10, 'DUPLICATE', 'NOWHERE')");
  EXPECT_FALSE(q.InternalExecSQL(false));
  EXPECT_EQ(q.ServerErrorText().rfind("ORA-00001", 0), 0u) << q.ServerErrorText();
  EXPECT_EQ(q.ErrorLine(), 1);
  EXPECT_EQ(q.ErrorColumn(), 1);
  EXPECT_THROW(q.ExecSQL(), EySQLError);

  // A statement that works again leaves no error behind.
  q.SQL().Clear();
  q.SQL().Add("SELECT 1 FROM DUAL");
  EXPECT_TRUE(q.Open());
  EXPECT_EQ(q.ErrorCode(), 0);
  EXPECT_EQ(q.ServerErrorText(), "");
}

TEST_F(RegisteredOleTest, BothEnginesGiveTheSameRows) {
  auto ole = ConnectOle("same");
  Exec("CREATE TABLE WIDE (N NUMBER, S VARCHAR2(30), L LONG)");
  for (int i = 0; i < 23; ++i)
    Exec("INSERT INTO WIDE VALUES (" + std::to_string(i * 7 - 40) + ", " +
         (i % 3 == 0 ? std::string("NULL") : "'row " + std::to_string(i) + "'") + ", 'long " +
         std::to_string(i) + "')");
  Exec("COMMIT");
  for (const char* sql :
       {"SELECT EMPNO, ENAME, JOB, MGR, SAL, COMM, DEPTNO FROM EMP ORDER BY EMPNO",
        "SELECT * FROM DEPT ORDER BY DEPTNO",
        "SELECT DEPTNO, COUNT(*) N, SUM(SAL) S, MAX(ENAME) M FROM EMP GROUP BY DEPTNO ORDER BY 1",
        "SELECT TO_CHAR(HIREDATE, 'YYYY-MM-DD') H, NVL(COMM, -1) C FROM EMP ORDER BY EMPNO",
        "SELECT OBJECT_NAME, OBJECT_TYPE FROM USER_OBJECTS ORDER BY 1, 2",
        "SELECT N, S, L FROM WIDE ORDER BY N", "SELECT N FROM WIDE WHERE N > 1000",
        // The session keeps the server's default date form, as the call interface's does.
        "SELECT TO_CHAR(HIREDATE) H, ENAME FROM EMP WHERE HIREDATE < '17-DEC-80' ORDER BY 2",
        // Integers a double cannot hold keep every digit.
        "SELECT 123456789012345678 BIG, 12345678901234567 ODD, -2147483649 NEG, 2.5 HALF, "
        "-8999999999999999999 LOW FROM DUAL"}) {
    SCOPED_TRACE(sql);
    EXPECT_EQ(Rows(*ole, sql), Rows(*db, sql));
  }
  // A date the system's conversions do not reach still has a text.
  EXPECT_EQ(
      Rows(*ole,
           "SELECT TO_DATE('0050-06-15 01:02:03', 'YYYY-MM-DD HH24:MI:SS') D FROM DUAL")[1][0],
      "0050-06-15 01:02:03");
}

TEST_F(OleTest, UnregisteredServerCannotStart) {
  oletest::UnregisterServer();
  ExpectCannotStart([] { GetOraIp(); });
  EXPECT_FALSE(holder.Initialized());
  TyDatabase ole(TyDatabase::kEngineOle);
  ExpectCannotStart([&] { ole.Connect("DEMO", "DEMO", database.Server(), "x"); });
  EXPECT_FALSE(ole.Connected());
  oletest::RegisterServer();
  EXPECT_NE(GetOraIp()->Session(), nullptr);
}

#else

TEST_F(OleTest, NoServerOnThisPlatform) {
  ExpectCannotStart([] { GetOraIp(); });
  EXPECT_FALSE(holder.Initialized());
  TyDatabase ole(TyDatabase::kEngineOle);
  ExpectCannotStart([&] { ole.Connect("DEMO", "DEMO", database.Server(), "x"); });
  EXPECT_FALSE(ole.Connected());
  EXPECT_TRUE(ole.Disconnect());
}

#endif

namespace {

// A server of our own making that logs the members called, in order, and fails a
// dynaset's creation with the code asked for.
struct FakeServer {
  std::vector<std::string> calls;
  bool failDynaset = false;
  int32_t failCode = 0;

  struct Object : platform::AutomationObject {
    FakeServer* server;
    std::string kind;
    Object(FakeServer* S, std::string K) : server(S), kind(std::move(K)) {}
    platform::AutoValue Get(const std::string& Name,
                            const std::vector<platform::AutoValue>& Args) override {
      server->calls.push_back(kind + "." + Name);
      if (Name == "EOF") return platform::AutoValue::Integer(1);
      if (Name == "Fields") return Obj("fields");
      if (Name == "Count") return platform::AutoValue::Integer(1);
      if (Name == "Item") return Obj("field");
      if (Name == "Name") return platform::AutoValue::Text("DUMMY");
      if (Name == "LastServerErrText") return platform::AutoValue::Text("");
      (void)Args;
      return platform::AutoValue::Integer(0);
    }
    platform::AutoValue Call(const std::string& Name,
                             const std::vector<platform::AutoValue>&) override {
      server->calls.push_back(kind + "." + Name);
      if (Name == "OpenDatabase") return Obj("database");
      if (Name == "CreateDynaset") {
        if (server->failDynaset) throw platform::AutomationError("refused", server->failCode);
        return Obj("dynaset");
      }
      return platform::AutoValue::Integer(0);
    }
    platform::AutoValue Obj(const std::string& K) {
      platform::AutoValue v;
      v.kind = platform::AutoValue::kObject;
      v.object = std::make_shared<Object>(server, K);
      return v;
    }
  };
};

struct FakeOleTest : SessionTest {
  FakeServer server;
  TyOraIp holder{std::shared_ptr<platform::AutomationObject>(
      std::make_shared<FakeServer::Object>(&server, "session"))};
  TyDatabase ole{TyDatabase::kEngineOle};
  FakeOleTest() {
    gOraIp = &holder;
    EXPECT_TRUE(ole.Connect("DEMO", "DEMO", "srv", "fake"));
    shell.sessions.AddObject(ole.DatabaseName(), &ole);
  }
  ~FakeOleTest() override { gOraIp = nullptr; }
};

}  // namespace

TEST_F(FakeOleTest, OpenReadsEofBeforeItMakesTheFields) {
  TyQuery q;
  q.SetDatabase(&ole);
  q.SQL().Add("SELECT DUMMY FROM DUAL");
  server.calls.clear();
  ASSERT_TRUE(q.Open());
  ASSERT_GE(server.calls.size(), 3u);
  EXPECT_EQ(server.calls[0], "database.CreateDynaset");
  EXPECT_EQ(server.calls[1], "dynaset.EOF");
  EXPECT_EQ(server.calls[2], "dynaset.Fields");
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.FieldCount(), 1);
}

TEST_F(FakeOleTest, EveryErrorButTheServersCarriesItsNativeCode) {
  TyQuery q;
  q.SetDatabase(&ole);
  q.SQL().Add("SELECT DUMMY FROM DUAL");
  server.failDynaset = true;
  for (int32_t code : {0, 13, -2147352567}) {
    server.failCode = code;
    try {
      q.Open();
      ADD_FAILURE() << code;
    } catch (const EySQLError& e) {
      EXPECT_EQ(e.Message(), "refused Native err code:" + std::to_string(code));
      EXPECT_EQ(e.ErrorCode(), code);
    }
  }
}
