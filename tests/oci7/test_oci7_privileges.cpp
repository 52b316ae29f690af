// Privileges of the objects a user makes, through the entry points: a view or stored program
// of its own stands on its owner's direct grants (or PUBLIC's), not on roles; a revoke
// reaches every view, program and trigger built on the privilege, which then fails until
// the privilege is back; a view over another owner's table is granted on only with the
// grant option on that table.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Privileges : public DatabaseSuite<"PRIV"> {
 protected:
  void SetUp() override {
    ASSERT_EQ(demo_.Logon("demo/demo@priv"), 0);
    ASSERT_EQ(dba_.Logon("system/manager@priv"), 0);
  }
  // A user who may log on and make tables, views, programs and triggers of its own.
  void MakeUser(const std::string& name) {
    Statement admin(dba_);
    ASSERT_EQ(admin.Run("CREATE USER " + name + " IDENTIFIED BY pw"), 0) << admin.Error();
    ASSERT_EQ(admin.Run("GRANT CREATE SESSION, CREATE TABLE, CREATE VIEW, CREATE PROCEDURE, "
                        "CREATE TRIGGER TO " +
                        name),
              0)
        << admin.Error();
  }
  Connection demo_, dba_;
};

}  // namespace

// A revoke, of a direct grant, of PUBLIC's or of the grantor's own grant, reaches every view,
// function and trigger built on it: they turn INVALID and fail when used, and compile again
// by themselves once the privilege is back.
TEST_F(Privileges, RevokeReachesWhatWasBuiltOnTheGrant) {
  MakeUser("eve");
  MakeUser("cal");
  Connection eve, cal;
  ASSERT_EQ(eve.Logon("eve/pw@priv"), 0);
  ASSERT_EQ(cal.Logon("cal/pw@priv"), 0);
  Statement d(demo_), e(eve), c(cal);
  ASSERT_EQ(d.Run("GRANT SELECT ON emp TO eve"), 0) << d.Error();
  ASSERT_EQ(e.Run("CREATE VIEW my_emp AS SELECT empno, ename FROM demo.emp"), 0) << e.Error();
  ASSERT_EQ(e.Run("CREATE VIEW my_names AS SELECT ename FROM my_emp"), 0) << e.Error();
  ASSERT_EQ(e.Run("CREATE FUNCTION emp_count RETURN NUMBER IS n NUMBER;\n"
                  "BEGIN SELECT count(*) INTO n FROM demo.emp; RETURN n; END;"),
            0)
      << e.Error();
  ASSERT_EQ(e.Run("CREATE TABLE notes (n NUMBER)"), 0) << e.Error();
  ASSERT_EQ(e.Run("CREATE TRIGGER notes_bi BEFORE INSERT ON notes FOR EACH ROW\n"
                  "BEGIN SELECT count(*) INTO :new.n FROM demo.emp; END;"),
            0)
      << e.Error();
  const std::string statuses =
      "SELECT object_name || ' ' || status FROM user_objects WHERE object_type IN ('VIEW', "
      "'FUNCTION', 'TRIGGER') ORDER BY object_name";
  auto status = [&] {
    std::vector<std::string> out;
    for (const auto& row : e.Query(statuses)) out.push_back(row[0]);
    return out;
  };
  EXPECT_EQ(status(), (std::vector<std::string>{"EMP_COUNT VALID", "MY_EMP VALID", "MY_NAMES VALID",
                                                "NOTES_BI VALID"}));
  EXPECT_EQ(e.Value("SELECT count(*) FROM my_names"), "14");

  ASSERT_EQ(d.Run("REVOKE SELECT ON emp FROM eve"), 0) << d.Error();
  EXPECT_EQ(status(), (std::vector<std::string>{"EMP_COUNT INVALID", "MY_EMP INVALID",
                                                "MY_NAMES INVALID", "NOTES_BI INVALID"}));
  EXPECT_EQ(e.Run("SELECT * FROM my_emp"), 4063);
  EXPECT_EQ(e.Error(), "ORA-04063: view \"EVE.MY_EMP\" has errors");
  EXPECT_EQ(e.Run("SELECT * FROM my_names"), 4063);
  EXPECT_NE(e.Run("DECLARE n NUMBER; BEGIN n := emp_count; END;"), 0);
  EXPECT_EQ(e.Run("INSERT INTO notes VALUES (0)"), 4098);
  ASSERT_EQ(e.Run("ALTER VIEW my_emp COMPILE"), 0) << e.Error();
  EXPECT_EQ(e.Value("SELECT status FROM user_objects WHERE object_name = 'MY_EMP'"), "INVALID");

  // Granted again: each compiles when it is next used.
  ASSERT_EQ(d.Run("GRANT SELECT ON emp TO eve"), 0) << d.Error();
  EXPECT_EQ(e.Value("SELECT count(*) FROM my_names"), "14");
  ASSERT_EQ(e.Run("INSERT INTO notes VALUES (0)"), 0) << e.Error();
  EXPECT_EQ(e.Value("SELECT n FROM notes"), "14");
  ASSERT_EQ(e.Run("DECLARE n NUMBER; BEGIN n := emp_count; END;"), 0) << e.Error();
  EXPECT_EQ(status(), (std::vector<std::string>{"EMP_COUNT VALID", "MY_EMP VALID", "MY_NAMES VALID",
                                                "NOTES_BI VALID"}));
  ASSERT_EQ(e.Run("COMMIT"), 0);

  // PUBLIC's grant counts for a view; its revoke reaches the view.
  ASSERT_EQ(d.Run("GRANT SELECT ON salgrade TO PUBLIC"), 0) << d.Error();
  ASSERT_EQ(e.Run("CREATE VIEW grades AS SELECT grade FROM demo.salgrade"), 0) << e.Error();
  EXPECT_EQ(e.Value("SELECT count(*) FROM grades"), "5");
  ASSERT_EQ(d.Run("REVOKE SELECT ON salgrade FROM PUBLIC"), 0) << d.Error();
  EXPECT_EQ(e.Run("SELECT * FROM grades"), 4063);

  // A grant made by a grantee goes with the grantee's own, and the views built on it.
  ASSERT_EQ(d.Run("GRANT SELECT ON dept TO cal WITH GRANT OPTION"), 0) << d.Error();
  ASSERT_EQ(c.Run("GRANT SELECT ON demo.dept TO eve"), 0) << c.Error();
  ASSERT_EQ(e.Run("CREATE VIEW depts AS SELECT dname FROM demo.dept"), 0) << e.Error();
  EXPECT_EQ(e.Value("SELECT count(*) FROM depts"), "4");
  ASSERT_EQ(d.Run("REVOKE SELECT ON dept FROM cal"), 0) << d.Error();
  EXPECT_EQ(e.Run("SELECT * FROM depts"), 4063);
}

// The objects of a view and of a stored program are taken on the owner's direct grants only:
// a privilege held through a role serves the session's own statements, not what it builds.
TEST_F(Privileges, ViewsAndProgramsStandOnDirectGrants) {
  MakeUser("rae");
  Statement admin(dba_), d(demo_);
  ASSERT_EQ(admin.Run("CREATE ROLE dept_readers"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("GRANT dept_readers TO rae"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("GRANT SELECT ANY TABLE TO dept_readers"), 0) << admin.Error();
  ASSERT_EQ(d.Run("GRANT SELECT ON dept TO dept_readers"), 0) << d.Error();
  Connection rae;
  ASSERT_EQ(rae.Logon("rae/pw@priv"), 0);
  Statement r(rae);
  EXPECT_EQ(r.Value("SELECT count(*) FROM demo.dept"), "4");
  EXPECT_EQ(r.Run("CREATE VIEW my_depts AS SELECT * FROM demo.dept"), 1031);
  EXPECT_EQ(r.Run("CREATE VIEW my_grades AS SELECT * FROM demo.salgrade"), 1031);
  EXPECT_EQ(r.Value("SELECT count(*) FROM user_views"), "0");
  // A program is kept with its error, INVALID, and does not run.
  ASSERT_EQ(r.Run("CREATE PROCEDURE count_depts IS n NUMBER;\n"
                  "BEGIN SELECT count(*) INTO n FROM demo.dept; END;"),
            0)
      << r.Error();
  EXPECT_EQ(r.Value("SELECT status FROM user_objects WHERE object_name = 'COUNT_DEPTS'"),
            "INVALID");
  EXPECT_NE(r.Run("BEGIN count_depts; END;"), 0);
  // An anonymous block is the session's own: its roles count.
  EXPECT_EQ(r.Run("DECLARE n NUMBER; BEGIN SELECT count(*) INTO n FROM demo.dept; END;"), 0)
      << r.Error();

  // Granted directly (the object privilege, or the system privilege), both are made.
  ASSERT_EQ(d.Run("GRANT SELECT ON dept TO rae"), 0) << d.Error();
  ASSERT_EQ(admin.Run("GRANT SELECT ANY TABLE TO rae"), 0) << admin.Error();
  EXPECT_EQ(r.Run("CREATE VIEW my_depts AS SELECT * FROM demo.dept"), 0) << r.Error();
  EXPECT_EQ(r.Run("CREATE VIEW my_grades AS SELECT * FROM demo.salgrade"), 0) << r.Error();
  ASSERT_EQ(r.Run("ALTER PROCEDURE count_depts COMPILE"), 0) << r.Error();
  EXPECT_EQ(r.Value("SELECT status FROM user_objects WHERE object_name = 'COUNT_DEPTS'"), "VALID");
  EXPECT_EQ(r.Run("BEGIN count_depts; END;"), 0) << r.Error();
  // Revoking the role takes nothing from them.
  ASSERT_EQ(admin.Run("REVOKE dept_readers FROM rae"), 0) << admin.Error();
  EXPECT_EQ(r.Value("SELECT count(*) FROM my_depts"), "4");
  EXPECT_EQ(r.Run("BEGIN count_depts; END;"), 0) << r.Error();
}

// Granting on a view hands on what the view reads: the view's owner needs the grant option on
// another owner's table under it.
TEST_F(Privileges, GrantOnAViewNeedsTheGrantOptionOnItsTables) {
  MakeUser("own");
  MakeUser("ivy");
  Connection own, ivy;
  ASSERT_EQ(own.Logon("own/pw@priv"), 0);
  ASSERT_EQ(ivy.Logon("ivy/pw@priv"), 0);
  Statement o(own), i(ivy), d(demo_);
  ASSERT_EQ(o.Run("CREATE TABLE a (x NUMBER)"), 0) << o.Error();
  ASSERT_EQ(o.Run("INSERT INTO a VALUES (1)"), 0) << o.Error();
  ASSERT_EQ(o.Run("COMMIT"), 0);
  ASSERT_EQ(o.Run("GRANT SELECT ON a TO demo"), 0) << o.Error();
  ASSERT_EQ(d.Run("CREATE VIEW own_a AS SELECT x FROM own.a"), 0) << d.Error();
  EXPECT_EQ(d.Run("GRANT SELECT ON own_a TO ivy"), 1720);
  EXPECT_EQ(d.Error(), "ORA-01720: grant option does not exist for 'OWN.A'");
  EXPECT_EQ(d.Run("GRANT ALL ON own_a TO ivy"), 1720);
  EXPECT_EQ(i.Run("SELECT * FROM demo.own_a"), 942);
  ASSERT_EQ(o.Run("GRANT SELECT ON a TO demo WITH GRANT OPTION"), 0) << o.Error();
  ASSERT_EQ(d.Run("GRANT SELECT ON own_a TO ivy"), 0) << d.Error();
  EXPECT_EQ(i.Value("SELECT x FROM demo.own_a"), "1");
  EXPECT_EQ(i.Run("SELECT * FROM own.a"), 942);
  // Revoked from the view's owner: the view has errors, for its grantees and for a grant.
  ASSERT_EQ(o.Run("REVOKE SELECT ON a FROM demo"), 0) << o.Error();
  EXPECT_EQ(i.Run("SELECT x FROM demo.own_a"), 4063);
  EXPECT_EQ(d.Run("GRANT SELECT ON own_a TO PUBLIC"), 4063);
  // A view over the owner's own tables needs nothing more.
  ASSERT_EQ(d.Run("CREATE VIEW names AS SELECT ename FROM emp"), 0) << d.Error();
  EXPECT_EQ(d.Run("GRANT SELECT ON names TO ivy"), 0) << d.Error();
}
