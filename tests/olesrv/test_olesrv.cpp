// The automation server through late binding: registration, the session's OpenDatabase,
// dynasets walked across fetch batches with typed values, ExecuteSQL's row counts, and
// server errors as automation exceptions with the database's error text and position.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "oracle/oracle_query.h"
#include "platform/automation.h"
#include "tests/oracle/oracle_test_db.h"
#include "tests/olesrv/ole_server_registry.h"

using namespace tess::platform;
using oratest::TestDatabase;

namespace {

const char* const kProgId = "OracleInProcServer.XOraSession";

// Days since 30 Dec 1899, the automation date of midnight of that day.
double OleDate(int Y, unsigned M, unsigned D) {
  using namespace std::chrono;
  return static_cast<double>(
      (sys_days{year{Y} / month{M} / day{D}} - sys_days{year{1899} / December / day{30}}).count());
}

struct ServerTest : ::testing::Test {
  TestDatabase database;
  std::shared_ptr<AutomationObject> session;
  std::shared_ptr<AutomationObject> db;

  void SetUp() override {
    oletest::RegisterServer();
    ASSERT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kCreated);
    AutoValue d = session->Call("OpenDatabase", {AutoValue::Text(database.Server()),
                                                 AutoValue::Text("demo/DEMO"), AutoValue::Integer(0)});
    ASSERT_EQ(d.kind, AutoValue::kObject);
    db = d.object;
    ASSERT_NE(db, nullptr);
  }

  // Every row of the dynaset, each value as the late-binding unit gives it.
  std::vector<std::vector<AutoValue>> Rows(const std::string& Sql) {
    auto dynaset = db->Call("CreateDynaset", {AutoValue::Text(Sql), AutoValue::Integer(0)}).object;
    auto fields = dynaset->Get("Fields").object;
    const int32_t n = fields->Get("Count").AsInteger();
    std::vector<std::shared_ptr<AutomationObject>> items;
    for (int32_t i = 0; i < n; ++i) items.push_back(fields->Get("Item", {AutoValue::Integer(i)}).object);
    std::vector<std::vector<AutoValue>> rows;
    while (dynaset->Get("EOF").AsInteger() == 0) {
      std::vector<AutoValue> row;
      for (auto& f : items) row.push_back(f->Get("Value"));
      rows.push_back(row);
      dynaset->Call("MoveNext");
    }
    return rows;
  }

  int32_t Exec(const std::string& Sql) {
    return db->Call("ExecuteSQL", {AutoValue::Text(Sql)}).AsInteger();
  }
};

}  // namespace

TEST_F(ServerTest, DynasetGivesTypedValuesAndNames) {
  EXPECT_EQ(db->Get("Options").AsInteger(), 0);
  auto rows = Rows("SELECT EMPNO, ENAME, HIREDATE, COMM, SAL / 3 FROM EMP WHERE EMPNO IN (7369, 7499) "
                   "ORDER BY EMPNO");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0].kind, AutoValue::kInteger);
  EXPECT_EQ(rows[0][0].integer, 7369);
  EXPECT_EQ(rows[0][1].kind, AutoValue::kText);
  EXPECT_EQ(rows[0][1].text, "SMITH");
  EXPECT_EQ(rows[0][2].kind, AutoValue::kDate);
  EXPECT_DOUBLE_EQ(rows[0][2].number, OleDate(1980, 12, 17));
  EXPECT_EQ(rows[0][3].kind, AutoValue::kNull);
  EXPECT_EQ(rows[1][3].integer, 300);
  EXPECT_EQ(rows[0][4].kind, AutoValue::kReal);
  EXPECT_NEAR(rows[0][4].number, 800.0 / 3, 1e-9);

  // Items by name, ignoring case; a field reads the dynaset's current row.
  auto dynaset = db->Call("CreateDynaset", {AutoValue::Text("SELECT DNAME FROM DEPT ORDER BY DEPTNO"),
                                            AutoValue::Integer(0)})
                     .object;
  auto field = dynaset->Get("fields").object->Get("Item", {AutoValue::Text("dname")}).object;
  EXPECT_EQ(field->Get("Name").text, "DNAME");
  EXPECT_EQ(field->Get("Value").text, "ACCOUNTING");
  dynaset->Call("MoveNext");
  EXPECT_EQ(field->Get("Value").text, "RESEARCH");
  EXPECT_THROW(dynaset->Get("Fields").object->Get("Item", {AutoValue::Integer(1)}), AutomationError);
  EXPECT_THROW(dynaset->Get("NoSuchMember"), AutomationError);
}

TEST_F(ServerTest, WalksEveryRowAcrossBatchesAndCountsDml) {
  Exec("CREATE TABLE T (N NUMBER, S VARCHAR2(10))");
  for (int i = 1; i <= 45; ++i)
    EXPECT_EQ(Exec("INSERT INTO T VALUES (" + std::to_string(i) + ", 'r" + std::to_string(i) + "')"), 1);
  EXPECT_EQ(Exec("UPDATE T SET S = NULL WHERE MOD(N, 2) = 0"), 22);
  auto rows = Rows("SELECT N, S FROM T ORDER BY N");
  ASSERT_EQ(rows.size(), 45u);
  for (int i = 0; i < 45; ++i) {
    EXPECT_EQ(rows[i][0].integer, i + 1);
    EXPECT_EQ(rows[i][1].IsNull(), (i + 1) % 2 == 0) << i;
  }
  EXPECT_TRUE(Rows("SELECT N FROM T WHERE N > 100").empty());
  EXPECT_EQ(Exec("DELETE FROM T"), 45);
  // The other engine sees what this one did: the same library, the same database.
  tess::TOracleDatabase oci{nullptr};
  database.Configure(oci, "oci");
  oci.Open();
  tess::TOracleQuery q(nullptr);
  q.SetDatabaseName("oci");
  q.SetSQL("SELECT COUNT(*) FROM T");
  q.Open();
  EXPECT_EQ(q.Fields()->Items(0)->AsString(), "0");
}

TEST_F(ServerTest, ServerErrorsAreAutomationExceptions) {
  const std::string sql = "SELECT X\nFROM NO_SUCH_TABLE";
  try {
    Rows(sql);
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Code(), 440);
    EXPECT_EQ(std::string(e.what()).rfind("ORA-00942", 0), 0u) << e.what();
    EXPECT_EQ(db->Get("LastServerErrText").text, e.what());
  }
  const int32_t pos = db->Get("LastServerErrPos").AsInteger();
  EXPECT_GT(pos, 0);
  EXPECT_LE(pos, static_cast<int32_t>(sql.size()));
  // A good statement clears the record.
  Exec("UPDATE DEPT SET LOC = LOC WHERE 1 = 0");
  EXPECT_EQ(db->Get("LastServerErrText").text, "");

  try {
    session->Call("OpenDatabase", {AutoValue::Text(database.Server()), AutoValue::Text("demo/wrong"),
                                   AutoValue::Integer(0)});
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("ORA-01017", 0), 0u) << e.what();
  }
}

TEST(ServerRegistration, UnregisteredServerCannotBeCreatedAndModuleUnloads) {
  std::shared_ptr<AutomationObject> session;
  oletest::UnregisterServer();
  EXPECT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kNotRegistered);
  EXPECT_EQ(session, nullptr);
  oletest::RegisterServer();
  ASSERT_EQ(CreateAutomationObject(kProgId, session), CreateResult::kCreated);
  EXPECT_NE(oletest::CallServerEntry("DllCanUnloadNow"), 0);
  session.reset();
  EXPECT_EQ(oletest::CallServerEntry("DllCanUnloadNow"), 0);
}
