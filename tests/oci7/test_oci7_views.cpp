// Changes through views, through the entry points: a view of one table without DISTINCT,
// GROUP BY, aggregates or set operators takes INSERT, UPDATE and DELETE on its table (its
// condition limiting what UPDATE and DELETE reach, the table's triggers firing), with the
// privileges asked on the view and of its owner on the table; other views refuse with the
// server's errors.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Views : public DatabaseSuite<"VIEWS"> {
 protected:
  static void SetUpTestSuite() {
    DatabaseSuite::SetUpTestSuite();
    Connection demo;
    ASSERT_EQ(demo.Logon("demo/demo@views"), 0);
    Statement st(demo);
    for (const char* sql : {
             "CREATE VIEW clerks AS SELECT empno, ename, sal salary, deptno FROM emp "
             "WHERE job = 'CLERK'",
             "CREATE VIEW research_clerks (id, pay) AS SELECT empno, salary FROM clerks "
             "WHERE deptno = 20",
             "CREATE VIEW annual AS SELECT e.empno, e.sal * 12 yearly FROM emp e",
             "CREATE VIEW dallas AS SELECT * FROM emp WHERE deptno IN "
             "(SELECT deptno FROM dept WHERE loc = 'DALLAS')",
             "CREATE VIEW jobs AS SELECT DISTINCT job FROM emp",
             "CREATE VIEW dept_pay AS SELECT deptno, sum(sal) total FROM emp GROUP BY deptno",
             "CREATE VIEW headcount AS SELECT count(*) n FROM emp",
             "CREATE VIEW all_names AS SELECT ename FROM emp UNION SELECT dname FROM dept",
             "CREATE VIEW numbered AS SELECT rownum r, ename FROM emp",
             "CREATE VIEW grades AS SELECT grade, losal low, hisal high FROM salgrade "
             "WHERE grade > 1",
             "CREATE VIEW dept10 AS SELECT empno, ename, deptno FROM emp WHERE deptno = 10 "
             "WITH CHECK OPTION",
             "CREATE VIEW dept10_names AS SELECT empno, ename FROM dept10",
             "CREATE VIEW frozen AS SELECT * FROM salgrade WITH READ ONLY",
         })
      ASSERT_EQ(st.Run(sql), 0) << sql << ": " << st.Error();
  }
  void SetUp() override { ASSERT_EQ(demo_.Logon("demo/demo@views"), 0); }
  void TearDown() override {
    Statement st(demo_);
    EXPECT_EQ(st.Run("ROLLBACK"), 0);
  }
  // Runs a change and answers its code, the rows it processed in `rows`.
  int Change(Statement& st, const std::string& sql, ub4& rows) {
    int rc = st.Run(sql);
    rows = st.cda()->rpc;
    return rc;
  }
  Connection demo_;
};

}  // namespace

TEST_F(Views, SimpleViewsTakeChanges) {
  Statement st(demo_);
  ub4 rows = 0;
  // UPDATE reaches the rows of the view only, under the view's names.
  ASSERT_EQ(Change(st, "UPDATE clerks SET salary = salary + 1 WHERE deptno = 20", rows), 0)
      << st.Error();
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(st.Query("SELECT ename, sal FROM emp WHERE deptno = 20 AND sal < 1200 ORDER BY 1"),
            (std::vector<std::vector<std::string>>{{"ADAMS", "1101"}, {"SMITH", "801"}}));
  ASSERT_EQ(Change(st, "UPDATE clerks SET salary = 0 WHERE ename = 'KING'", rows), 0);
  EXPECT_EQ(rows, 0u);
  ASSERT_EQ(Change(st, "UPDATE clerks c SET c.salary = c.salary * 2 WHERE c.empno = 7369", rows), 0)
      << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "1602");
  ASSERT_EQ(
      Change(st, "UPDATE clerks SET salary = 5, ename = 'SMYTHE' WHERE clerks.empno = 7369", rows),
      0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT sal || '/' || ename FROM emp WHERE empno = 7369"), "5/SMYTHE");
  // DELETE likewise.
  ASSERT_EQ(Change(st,
                   "DELETE FROM clerks WHERE salary > (SELECT min(sal) FROM emp) AND "
                   "deptno <> 20",
                   rows),
            0)
      << st.Error();
  EXPECT_EQ(rows, 2u);
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp"), "12");
  // INSERT fills the view's columns; the others take their defaults.
  ASSERT_EQ(Change(st,
                   "INSERT INTO clerks (empno, ename, salary, deptno) VALUES (9001, 'NEW', "
                   "500, 10)",
                   rows),
            0)
      << st.Error();
  EXPECT_EQ(rows, 1u);
  ASSERT_EQ(st.Run("INSERT INTO clerks VALUES (9002, 'NEWER', 600, 20)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO clerks SELECT empno + 1000, ename, sal, deptno FROM emp "
                   "WHERE empno = 7839"),
            0)
      << st.Error();
  EXPECT_EQ(st.Query("SELECT empno, ename, nvl(job, '-'), sal FROM emp WHERE empno > 8000 "
                     "ORDER BY 1"),
            (std::vector<std::vector<std::string>>{{"8839", "KING", "-", "5000"},
                                                   {"9001", "NEW", "-", "500"},
                                                   {"9002", "NEWER", "-", "600"}}));
  // The table's triggers fire; its constraints hold.
  EXPECT_EQ(st.Run("UPDATE clerks SET salary = 10000 WHERE empno = 7369"), 20002);
  EXPECT_EQ(st.Run("INSERT INTO clerks VALUES (9001, 'AGAIN', 1, 10)"), 1);
  EXPECT_EQ(st.Run("INSERT INTO clerks (empno) VALUES (9003)"), 1400);
  // From PL/SQL.
  ASSERT_EQ(st.Parse("BEGIN UPDATE clerks SET salary = 1 WHERE empno = 7876; "
                     ":n := SQL%ROWCOUNT; END;"),
            0)
      << st.Error();
  ASSERT_EQ(st.BindText(":n", std::nullopt, 40), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(0), "1");
  // A view of a view, with a column list.
  ASSERT_EQ(Change(st, "UPDATE research_clerks SET pay = 7 WHERE id = 7876", rows), 0)
      << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7876"), "7");
  ASSERT_EQ(Change(st, "DELETE FROM research_clerks", rows), 0) << st.Error();
  EXPECT_EQ(rows, 2u);
  // The view's condition may read other tables.
  ASSERT_EQ(Change(st, "UPDATE dallas SET comm = 1", rows), 0) << st.Error();
  EXPECT_EQ(rows, 4u);
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp WHERE comm = 1"), "4");
  // A column the view computes may be read, not written.
  ASSERT_EQ(
      Change(st, "UPDATE annual SET empno = empno WHERE yearly > 50000 AND empno < 8000", rows), 0)
      << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Run("UPDATE annual SET yearly = 1"), 1733);
  EXPECT_EQ(st.Error(), "ORA-01733: virtual column not allowed here");
  EXPECT_EQ(st.Run("INSERT INTO annual VALUES (9100, 1)"), 1733);
  EXPECT_EQ(st.Run("INSERT INTO annual (empno) VALUES (9100)"), 1400);
}

// A table without triggers takes the change in one statement.
TEST_F(Views, ChangesInOneStatement) {
  Statement st(demo_);
  ub4 rows = 0;
  ASSERT_EQ(
      Change(st, "UPDATE grades SET (low, high) = (SELECT 1, 2 FROM dual) WHERE grade >= 4", rows),
      0)
      << st.Error();
  EXPECT_EQ(rows, 2u);
  ASSERT_EQ(Change(st, "UPDATE grades g SET g.high = g.high + 1 WHERE g.low > 1000 AND g.ROWID "
                       "IS NOT NULL",
                   rows),
            0)
      << st.Error();
  EXPECT_EQ(rows, 2u);
  ASSERT_EQ(Change(st, "DELETE grades WHERE high < 2000", rows), 0) << st.Error();
  EXPECT_EQ(rows, 3u);  // grade 1 is not the view's
  ASSERT_EQ(Change(st, "INSERT INTO grades VALUES (6, 10000, 20000)", rows), 0) << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Query("SELECT grade, losal, hisal FROM salgrade ORDER BY grade"),
            (std::vector<std::vector<std::string>>{
                {"1", "700", "1200"}, {"3", "1401", "2001"}, {"6", "10000", "20000"}}));
}

// WITH CHECK OPTION: a row written through the view (or a view over it) must be the view's.
// WITH READ ONLY: no change at all.  Both are the views' constraints in the dictionary.
TEST_F(Views, CheckOptionAndReadOnly) {
  Statement st(demo_);
  ub4 rows = 0;
  ASSERT_EQ(st.Run("INSERT INTO dept10 VALUES (9101, 'TEN', 10)"), 0) << st.Error();
  EXPECT_EQ(st.Run("INSERT INTO dept10 VALUES (9102, 'TWENTY', 20)"), 1402);
  EXPECT_EQ(st.Error(), "ORA-01402: view WITH CHECK OPTION where-clause violation");
  EXPECT_EQ(st.Run("UPDATE dept10 SET deptno = 20 WHERE empno = 9101"), 1402);
  EXPECT_EQ(st.Run("INSERT INTO dept10_names VALUES (9103, 'NONE')"), 1402);
  ASSERT_EQ(Change(st, "UPDATE dept10 SET ename = 'TENTH' WHERE empno = 9101", rows), 0)
      << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Query("SELECT empno, ename, deptno FROM emp WHERE empno > 9100"),
            (std::vector<std::vector<std::string>>{{"9101", "TENTH", "10"}}));
  ASSERT_EQ(Change(st, "DELETE FROM dept10 WHERE empno = 9101", rows), 0) << st.Error();
  EXPECT_EQ(rows, 1u);
  EXPECT_EQ(st.Query("SELECT table_name, constraint_type FROM user_constraints WHERE "
                     "constraint_type IN ('V', 'O') ORDER BY 1"),
            (std::vector<std::vector<std::string>>{{"DEPT10", "V"}, {"FROZEN", "O"}}));
  EXPECT_EQ(st.Run("UPDATE frozen SET hisal = 1"), 1733);
  EXPECT_EQ(st.Run("INSERT INTO frozen VALUES (9, 1, 2)"), 1733);
  EXPECT_EQ(st.Run("DELETE FROM frozen"), 1752);
  // Replaced without the option, the view takes changes.
  ASSERT_EQ(st.Run("CREATE OR REPLACE VIEW frozen AS SELECT * FROM salgrade"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_constraints WHERE table_name = 'FROZEN'"), "0");
  ASSERT_EQ(Change(st, "DELETE FROM frozen WHERE grade = 5", rows), 0) << st.Error();
  EXPECT_EQ(rows, 1u);
}

TEST_F(Views, OtherViewsRefuseChanges) {
  Statement st(demo_);
  for (const char* sql :
       {"UPDATE jobs SET job = 'X'", "DELETE FROM jobs", "INSERT INTO jobs VALUES ('X')",
        "UPDATE dept_pay SET deptno = 1", "DELETE FROM headcount",
        "UPDATE all_names SET ename = 'X'", "DELETE FROM numbered"}) {
    EXPECT_EQ(st.Run(sql), 1732) << sql;
    EXPECT_EQ(st.Error(), "ORA-01732: data manipulation operation not legal on this view") << sql;
  }
  EXPECT_EQ(st.Run("UPDATE emp_dept_v SET sal = 1"), 1779);
  EXPECT_EQ(st.Run("INSERT INTO emp_dept_v (empno) VALUES (1)"), 1779);
  EXPECT_EQ(st.Run("DELETE FROM emp_dept_v"), 1752);
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp"), "14");
}

// The privileges are asked on the view of the user, and on the table of the view's owner.
TEST_F(Views, PrivilegesOfTheViewAndOfItsOwner) {
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@views"), 0);
  Statement admin(dba), d(demo_);
  ASSERT_EQ(admin.Run("CREATE USER vic IDENTIFIED BY pw"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("GRANT CREATE SESSION, CREATE VIEW TO vic"), 0) << admin.Error();
  ASSERT_EQ(d.Run("GRANT SELECT, UPDATE ON clerks TO vic"), 0) << d.Error();
  ASSERT_EQ(d.Run("GRANT SELECT, UPDATE ON dallas TO vic"), 0) << d.Error();
  Connection vic;
  ASSERT_EQ(vic.Logon("vic/pw@views"), 0);
  Statement v(vic);
  EXPECT_EQ(v.Run("UPDATE demo.clerks SET salary = 1 WHERE empno = 7369"), 0) << v.Error();
  EXPECT_EQ(v.Run("UPDATE demo.dallas SET sal = sal WHERE empno = 7369"), 0) << v.Error();
  EXPECT_EQ(v.Run("DELETE FROM demo.clerks"), 1031);
  EXPECT_EQ(v.Run("INSERT INTO demo.clerks (empno) VALUES (1)"), 1031);
  EXPECT_EQ(v.Run("UPDATE demo.emp SET sal = 1"), 942);
  ASSERT_EQ(v.Run("ROLLBACK"), 0);
  // Vic's own view over DEMO's table changes it only with Vic's own UPDATE on the table.
  ASSERT_EQ(d.Run("GRANT SELECT ON emp TO vic"), 0) << d.Error();
  ASSERT_EQ(v.Run("CREATE VIEW pay AS SELECT empno, sal FROM demo.emp"), 0) << v.Error();
  EXPECT_EQ(v.Run("UPDATE pay SET sal = 1"), 1031);
  for (const char* block :
       {"BEGIN UPDATE pay SET sal = 1; END;", "BEGIN UPDATE demo.emp SET sal = 1; END;"}) {
    EXPECT_EQ(v.Run(block), 6550) << block;
    EXPECT_NE(v.Error().find("ORA-01031: insufficient privileges"), std::string::npos) << v.Error();
  }
  ASSERT_EQ(d.Run("GRANT UPDATE ON emp TO vic"), 0) << d.Error();
  EXPECT_EQ(v.Run("UPDATE pay SET sal = sal WHERE empno = 7369"), 0) << v.Error();
  EXPECT_EQ(v.cda()->rpc, 1u);
  ASSERT_EQ(v.Run("ROLLBACK"), 0);
}
