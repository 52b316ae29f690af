// The database frame and the call-interface binding: error codes and their texts,
// connection names, logon and logoff, library use counting, transactions, non-blocking
// mode and server errors, against the real client library.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "oracle/oracle_query.h"
#include "oracle_test_db.h"

using namespace tess;
using namespace oratest;

TEST(LayerErrors, CodesPackAndPrintBothWays) {
  EXPECT_EQ(static_cast<uint32_t>(ecLibraryNotFound), 0x80000000u | (30201u << 16) | 50000u);
  EXPECT_TRUE(ErrorIsSevere(ecNoOpenFetch));
  EXPECT_FALSE(ErrorIsSevere(ecParamIndex));
  EXPECT_EQ(ErrorFacility(ecValueTooLong), 30206);
  EXPECT_EQ(ErrorNumber(ecValueTooLong), 50005);
  EXPECT_EQ(InterfaceErrorText(ecNoOpenFetch, ""), "Error : 3.11.[]");
  EXPECT_EQ(InterfaceErrorText(ecDuplicateParamName, "P1"), "Warning : 6.1.[P1]");
  // A warning code is raised all the same.
  try {
    RaiseInterfaceError(ecParamIndex, "x");
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecParamIndex);
    EXPECT_EQ(e.Message(), "Warning : 6.4.[x]");
  }
}

TEST(LogonString, ServerIsAddedOnlyWhenNotBlank) {
  EXPECT_EQ(TOracleDatabase::LogonString("scott", "tiger", ""), "scott/tiger");
  EXPECT_EQ(TOracleDatabase::LogonString("scott", "tiger", "   "), "scott/tiger");
  EXPECT_EQ(TOracleDatabase::LogonString("scott", "", ""), "scott/");
  EXPECT_EQ(TOracleDatabase::LogonString("scott", "tiger", " orcl "), "scott/tiger@ orcl ");
}

TEST(ConnectionNames, UniqueIgnoringCaseAndNeverEmpty) {
  TOracleDatabase a(nullptr), b(nullptr);
  a.SetDatabaseName("A");
  try {
    b.SetDatabaseName("a");
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecBadDatabaseName);
    EXPECT_EQ(e.Message(), "Error : 2.1.[a]");
  }
  EXPECT_EQ(b.DatabaseName(), "");
  a.SetDatabaseName("a");  // its own name in another case
  EXPECT_EQ(LayerCode([&] { a.SetDatabaseName(""); }), ecBadDatabaseName);
  EXPECT_EQ(a.DatabaseName(), "a");
  EXPECT_EQ(GlobalOracleSession()->FindDatabase("A"), &a);
  try {
    GlobalOracleSession()->GetDatabase("nowhere");
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Message(), "Error : 1.0.[nowhere]");
  }
}

TEST(ConnectionParams, ThreeLinesThatKeepTheirPlace) {
  TOracleDatabase db(nullptr);
  EXPECT_EQ(db.Params()->Text(), "User=\r\nPassword=\r\nServer=\r\n");
  db.SetPassword("x");
  db.SetPassword("");
  db.SetUser("u");
  EXPECT_EQ(db.Params()->Count(), 3);
  EXPECT_EQ(db.User(), "u");
  TStringList other;
  other.Add("User=v");
  db.SetParams(&other);
  EXPECT_EQ(db.User(), "v");
}

struct FrameTest : ::testing::Test {
  TestDatabase database;
};

TEST_F(FrameTest, LogonEventsAndTheLibraryUseCount) {
  TOracleSession* session = GlobalOracleSession();
  int32_t uses = session->UseCount();
  std::vector<std::string> events;
  {
    TOracleDatabase db(nullptr);
    database.Configure(db, "events");
    db.OnLogin = [&](TDatabaseLite* d, bool before) {
      EXPECT_EQ(d, &db);
      events.push_back(before ? "login before" : "login after");
    };
    db.OnLogoff = [&](TDatabaseLite*, bool before) {
      events.push_back(before ? "logoff before" : "logoff after");
    };
    db.SetConnected(true);
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(session->UseCount(), uses + 1);
    EXPECT_NE(session->LibraryHandle(), nullptr);
    db.SetConnected(true);  // already open: nothing happens
    db.SetConnected(false);
    EXPECT_FALSE(db.Connected());
  }
  EXPECT_EQ(events, (std::vector<std::string>{"login before", "login after", "logoff before",
                                              "logoff after"}));
  EXPECT_EQ(session->UseCount(), uses);
  // The library stays loaded after the last logoff, and an attach does not load it again.
  platform::LibraryHandle handle = session->LibraryHandle();
  EXPECT_NE(handle, nullptr);
  session->Attach();
  EXPECT_EQ(session->LibraryHandle(), handle);
  session->Detach();
  EXPECT_EQ(session->LibraryHandle(), handle);
}

TEST_F(FrameTest, ExtraDetachFreesTheLibraryAndTheNextLogonLoadsIt) {
  TOracleSession* session = GlobalOracleSession();
  ASSERT_EQ(session->UseCount(), 0);
  session->Attach();
  session->Detach();
  session->Detach();  // at count 0: frees
  EXPECT_EQ(session->LibraryHandle(), nullptr);
  TOracleDatabase db(nullptr);
  // A call that reaches the library while none is loaded is refused, not made.
  EXPECT_EQ(LayerCode([&] { db.BreakCall(); }), ecLibraryNotFound);
  database.Configure(db, "reload");
  db.SetConnected(true);
  EXPECT_NE(session->LibraryHandle(), nullptr);
  EXPECT_EQ(session->UseCount(), 1);
}

TEST_F(FrameTest, FailedLogonStaysUnconnectedAndGivesItsUseBack) {
  TOracleSession* session = GlobalOracleSession();
  int32_t uses = session->UseCount();
  TOracleDatabase db(nullptr);
  database.Configure(db, "wrong", "DEMO", "NOTDEMO");
  int afterLogins = 0;
  db.OnLogin = [&](TDatabaseLite*, bool before) { afterLogins += before ? 0 : 1; };
  try {
    db.SetConnected(true);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Code(), 1017);
    EXPECT_EQ(e.Message().rfind("ORA-01017", 0), 0u) << e.Message();
    EXPECT_EQ(e.DatabaseName(), "wrong");
  }
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(afterLogins, 0);
  EXPECT_EQ(session->UseCount(), uses);

  TOracleDatabase nowhere(nullptr);
  database.Configure(nowhere, "nowhere");
  nowhere.SetServer("NO_SUCH_DB");
  EXPECT_EQ(OracleCode([&] { nowhere.Open(); }), 12154);
}

TEST_F(FrameTest, RenamingWhileConnectedIsRefused) {
  TOracleDatabase db(nullptr);
  database.Configure(db, "first");
  db.Open();
  try {
    db.SetDatabaseName("second");
    FAIL();
  } catch (const EDbInterface& e) {
    EXPECT_EQ(e.Code(), ecDisconnectFirst);
    EXPECT_EQ(e.Message(), "Error : 2.9.[Disconnect first]");
  }
  EXPECT_EQ(db.DatabaseName(), "first");
  db.SetDatabaseName("first");  // unchanged: allowed
  db.Close();
  db.SetDatabaseName("second");
  EXPECT_EQ(db.DatabaseName(), "second");
}

TEST_F(FrameTest, DatasetsCountTheirConnectionAndCloseWithIt) {
  TOracleDatabase db(nullptr);
  database.Configure(db, "counted");
  db.SetKeepConnected(false);
  TOracleSession* session = GlobalOracleSession();
  EXPECT_EQ(session->GetDatabase("COUNTED"), &db);  // opens it
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(db.RefCount(), 1);
  {
    TOracleQuery q(nullptr);
    q.SetDatabaseName("counted");
    q.SetSQL("SELECT * FROM DEPT");
    q.SetPrepared(true);
    EXPECT_EQ(db.RefCount(), 2);
    EXPECT_EQ(db.Datasets().Count(), 1);
    q.Close();
    EXPECT_EQ(db.RefCount(), 1);
    q.Open();
    EXPECT_EQ(q.State(), 1);  // four rows: a short batch
    // Closing the connection closes its statements first.
    session->ReleaseDatabase(&db);
    EXPECT_TRUE(db.Connected());
    db.Close();
    EXPECT_EQ(q.State(), 0);
    EXPECT_EQ(q.Database(), nullptr);
    EXPECT_EQ(db.Datasets().Count(), 0);
    EXPECT_EQ(db.RefCount(), 0);
    // Opened on demand again; released at 0 it closes, since KeepConnected is off.
    q.Open();
    EXPECT_TRUE(db.Connected());
    q.Close();
    EXPECT_FALSE(db.Connected());
  }
}

TEST_F(FrameTest, CommitAndRollbackEndTheTransaction) {
  TOracleDatabase db(nullptr), other(nullptr);
  database.Configure(db, "writer");
  database.Configure(other, "reader");
  db.Open();
  other.Open();
  auto count = [&] {
    TOracleQuery q(nullptr);
    q.SetDatabaseName("reader");
    q.SetSQL("SELECT COUNT(*) FROM DEPT");
    q.Open();
    return q.Fields()->Items(0)->AsString();
  };
  TOracleQuery ins(nullptr);
  ins.SetDatabaseName("writer");
  ins.SetSQL("INSERT INTO DEPT (DEPTNO, DNAME) VALUES (:n, :d)");
  ins.SetPrepared(true);  // finds the bind variables
  ins.Params()->FindParam("n")->SetAsInteger(50);
  ins.Params()->FindParam("d")->SetAsString("FIFTY");
  db.StartTransaction();
  EXPECT_TRUE(db.InTransaction());
  ins.ExecSQL();
  EXPECT_EQ(ins.RowsProcessed(), 1);
  db.Rollback();
  EXPECT_FALSE(db.InTransaction());
  EXPECT_EQ(count(), "4");
  ins.ExecSQL();
  GlobalOracleSession()->CommitDatabase(&db);
  EXPECT_EQ(count(), "5");
}

TEST_F(FrameTest, NonBlockingModeIsPerConnection) {
  TOracleDatabase db(nullptr);
  database.Configure(db, "nb");
  EXPECT_FALSE(db.IsNonBlocking());  // not connected
  db.Open();
  EXPECT_FALSE(db.IsNonBlocking());
  db.SetNonBlocking(true);
  EXPECT_TRUE(db.IsNonBlocking());
  db.SetNonBlocking(false);
  EXPECT_FALSE(db.IsNonBlocking());
  // A network layer that cannot go non-blocking answers 3126.
  ASSERT_EQ(AllowNonBlocking(false), 0);
  EXPECT_EQ(OracleCode([&] { db.SetNonBlocking(true); }), 3126);
  AllowNonBlocking(true);
  EXPECT_FALSE(db.IsNonBlocking());
}

TEST_F(FrameTest, ServerErrorsCarryCodeTextAndConnection) {
  TOracleDatabase db(nullptr);
  database.Configure(db, "errs");
  db.Open();
  TOracleQuery q(nullptr);
  q.SetDatabaseName("errs");
  q.SetSQL("SELECT * FROM NO_SUCH_TABLE");
  try {
    q.Open();
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_EQ(e.Code(), 942);
    EXPECT_EQ(e.Message(), "ORA-00942: table or view does not exist");
    EXPECT_EQ(e.DatabaseName(), "errs");
  }
  TOracleQuery prepared(nullptr);
  prepared.SetDatabaseName("errs");
  prepared.SetSQL("SELECT * FROM DEPT");
  prepared.SetPrepared(true);
  EXPECT_EQ(db.RefCount(), 2);  // and q, attached by its failed open
  // A lost connection answers 3113 first, then 3114.
  ASSERT_EQ(Kill(db), 0);
  q.SetSQL("SELECT * FROM DEPT");
  EXPECT_EQ(OracleCode([&] { q.Open(); }), 3113);
  EXPECT_EQ(OracleCode([&] { db.Commit(); }), 3114);
  // A statement whose cursor cannot be closed any more still lets go of the connection.
  EXPECT_EQ(OracleCode([&] { prepared.Close(); }), 3114);
  EXPECT_EQ(prepared.State(), 0);
  EXPECT_EQ(prepared.Database(), nullptr);
  EXPECT_EQ(db.Datasets().Count(), 1);  // q
}
