// Names and sizes at their limits, through the entry points: a quoted user name holding a
// "." owns, changes, triggers and explains what is its own, apart from another user's
// object whose name holds the rest; and the server's limits on columns, text literals and
// PL/SQL identifiers answer their own errors.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Names : public DatabaseSuite<"NAMES"> {
 protected:
  void SetUp() override {
    ASSERT_EQ(demo_.Logon("demo/demo@names"), 0);
    ASSERT_EQ(dba_.Logon("system/manager@names"), 0);
  }
  Connection demo_, dba_;
};

std::string Columns(int n, const char* type = "NUMBER") {
  std::string out;
  for (int i = 1; i <= n; ++i) out += (i > 1 ? ", c" : "c") + std::to_string(i) + " " + type;
  return out;
}

}  // namespace

// User "A.B" and user A with "B.EMP": every place that splits a stored OWNER.NAME keeps them
// apart (privileges, triggers, constraints, sequences, package state, the plan table).
TEST_F(Names, AnOwnerMayHoldADot) {
  Statement admin(dba_), d(demo_);
  for (const char* u : {"\"A.B\"", "a"}) {
    ASSERT_EQ(admin.Run(std::string("CREATE USER ") + u + " IDENTIFIED BY pw"), 0) << admin.Error();
    ASSERT_EQ(admin.Run(std::string("GRANT CREATE SESSION, CREATE TABLE, CREATE TRIGGER, "
                                    "CREATE SEQUENCE, CREATE PROCEDURE TO ") +
                        u),
              0)
        << admin.Error();
  }
  Connection ab, a;
  ASSERT_EQ(ab.Logon("\"A.B\"/pw@names"), 0);
  ASSERT_EQ(a.Logon("a/pw@names"), 0);
  Statement s(ab), t(a);
  ASSERT_EQ(s.Run("CREATE TABLE emp (id NUMBER CONSTRAINT emp_pk PRIMARY KEY, n NUMBER)"), 0)
      << s.Error();
  ASSERT_EQ(t.Run("CREATE TABLE \"B.EMP\" (x VARCHAR2(5))"), 0) << t.Error();
  ASSERT_EQ(s.Run("CREATE TABLE log (id NUMBER)"), 0) << s.Error();
  ASSERT_EQ(s.Run("CREATE TRIGGER emp_ai AFTER INSERT ON emp FOR EACH ROW\n"
                  "BEGIN INSERT INTO log VALUES (:new.id); END;"),
            0)
      << s.Error();
  ASSERT_EQ(s.Run("INSERT INTO emp VALUES (1, 0)"), 0) << s.Error();
  EXPECT_EQ(s.Run("INSERT INTO emp VALUES (1, 0)"), 1);
  EXPECT_EQ(s.Error(), "ORA-00001: unique constraint (A.B.EMP_PK) violated");
  ASSERT_EQ(s.Run("CREATE TABLE kids (id NUMBER CONSTRAINT kids_fk REFERENCES emp)"), 0)
      << s.Error();
  EXPECT_EQ(s.Run("INSERT INTO kids VALUES (9)"), 2291);
  EXPECT_EQ(s.Error(),
            "ORA-02291: integrity constraint (A.B.KIDS_FK) violated - parent key not found");
  ASSERT_EQ(s.Run("GRANT INSERT ON emp TO demo"), 0) << s.Error();
  ASSERT_EQ(s.Run("COMMIT"), 0);
  // Another user's insert fires the owner's trigger.
  ASSERT_EQ(d.Run("INSERT INTO \"A.B\".emp VALUES (2, 0)"), 0) << d.Error();
  ASSERT_EQ(d.Run("COMMIT"), 0);
  EXPECT_EQ(s.Value("SELECT count(*) FROM log"), "2");
  ASSERT_EQ(t.Run("INSERT INTO \"B.EMP\" VALUES ('x')"), 0) << t.Error();
  ASSERT_EQ(t.Run("COMMIT"), 0);
  EXPECT_EQ(t.Value("SELECT count(*) FROM \"B.EMP\""), "1");
  EXPECT_EQ(s.Value("SELECT count(*) FROM emp"), "2");
  EXPECT_EQ(admin.Query("SELECT owner, table_name FROM all_tables WHERE owner IN ('A', 'A.B') "
                        "ORDER BY owner, table_name"),
            (std::vector<std::vector<std::string>>{
                {"A", "B.EMP"}, {"A.B", "EMP"}, {"A.B", "KIDS"}, {"A.B", "LOG"}}));

  // Sequences and packages of the two owners keep their own numbers and state.
  ASSERT_EQ(s.Run("CREATE SEQUENCE s"), 0) << s.Error();
  ASSERT_EQ(t.Run("CREATE SEQUENCE \"B.S\""), 0) << t.Error();
  ASSERT_EQ(s.Run("CREATE PACKAGE pkg AS v NUMBER := 1; END;"), 0) << s.Error();
  ASSERT_EQ(t.Run("CREATE PACKAGE \"B.PKG\" AS v NUMBER := 2; END;"), 0) << t.Error();
  EXPECT_EQ(admin.Value("SELECT \"A.B\".s.NEXTVAL FROM dual"), "1");
  EXPECT_EQ(admin.Value("SELECT \"A.B\".s.NEXTVAL FROM dual"), "2");
  EXPECT_EQ(admin.Value("SELECT a.\"B.S\".NEXTVAL FROM dual"), "1");
  EXPECT_EQ(admin.Value("SELECT \"A.B\".s.CURRVAL FROM dual"), "2");
  ASSERT_EQ(admin.Parse("BEGIN \"A.B\".pkg.v := 10; :r := a.\"B.PKG\".v; END;"), 0)
      << admin.Error();
  ASSERT_EQ(admin.BindText(":r", std::nullopt, 40), 0);
  ASSERT_EQ(admin.Exec(), 0) << admin.Error();
  EXPECT_EQ(admin.OutText(0), "2");

  // The plan names the index's owner whole.
  ASSERT_EQ(s.Run("CREATE INDEX emp_n ON emp (n)"), 0) << s.Error();
  ASSERT_EQ(admin.Run("EXPLAIN PLAN SET STATEMENT_ID = 'ab' INTO demo.plan_table FOR "
                      "SELECT * FROM \"A.B\".emp WHERE n = 1"),
            0)
      << admin.Error();
  EXPECT_EQ(admin.Query("SELECT object_owner, object_name FROM demo.plan_table WHERE "
                        "statement_id = 'ab' AND object_type = 'INDEX'"),
            (std::vector<std::vector<std::string>>{{"A.B", "EMP_N"}}));
}

// The server's limits: 254 columns to a table or view, 2,000 characters to a text literal
// of SQL, 30 to a PL/SQL identifier.
TEST_F(Names, LimitsAnswerTheirOwnErrors) {
  Statement st(demo_);
  EXPECT_EQ(st.Run("CREATE TABLE wide (" + Columns(255) + ")"), 1792);
  EXPECT_EQ(st.Error(), "ORA-01792: maximum number of columns in a table or view is 254");
  EXPECT_EQ(st.Run("CREATE TABLE wide (" + Columns(10000) + ")"), 1792);
  ASSERT_EQ(st.Run("CREATE TABLE wide (" + Columns(254) + ")"), 0) << st.Error();
  EXPECT_EQ(st.Run("ALTER TABLE wide ADD (c255 NUMBER)"), 1792);
  std::string items;
  for (int i = 1; i <= 255; ++i)
    items += (i > 1 ? ", " : "") + std::to_string(i) + " x" + std::to_string(i);
  EXPECT_EQ(st.Run("CREATE VIEW wide_v AS SELECT " + items + " FROM dual"), 1792);
  EXPECT_EQ(st.Run("CREATE VIEW wide_v AS SELECT w.*, 1 extra FROM wide w"), 1792);

  const std::string fits(2000, 'x'), over(2001, 'x'), huge(1 << 20, 'x');
  EXPECT_EQ(st.Value("SELECT length('" + fits + "') FROM dual"), "2000");
  EXPECT_EQ(st.Parse("SELECT length('" + over + "') FROM dual"), 1704);
  EXPECT_EQ(st.Error(), "ORA-01704: string literal too long");
  EXPECT_EQ(st.cda()->peo, 14);
  EXPECT_EQ(st.Parse("INSERT INTO bonus (ename) VALUES ('" + huge + "')"), 1704);
  // PL/SQL's own strings are longer.
  EXPECT_EQ(
      st.Run("DECLARE v VARCHAR2(4000) := '" + std::string(3000, 'y') + "'; BEGIN NULL; END;"), 0)
      << st.Error();

  const std::string name30(30, 'V'), name31(31, 'V');
  EXPECT_EQ(st.Run("DECLARE " + name30 + " NUMBER; BEGIN " + name30 + " := 1; END;"), 0)
      << st.Error();
  EXPECT_EQ(st.Parse("DECLARE " + name31 + " NUMBER; BEGIN NULL; END;"), 6550);
  EXPECT_NE(st.Error().find("PLS-00114: identifier '" + name31 + "' too long"), std::string::npos)
      << st.Error();
  EXPECT_EQ(st.Parse("BEGIN \"" + name31 + "\" := 1; END;"), 6550);
}
