// Server behaviour beyond single statements, through the entry points: triggers fired by
// DML from the caller and from PL/SQL, privileges seen from two users, roles and
// synonyms, and EXPLAIN PLAN into the plan table.
#include <thread>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Server : public DatabaseSuite<"SERVER"> {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.Logon("demo/demo@server"), 0); }
  Connection demo_;
};

std::vector<std::string> Flat(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::string> out;
  for (const auto& r : rows) {
    std::string line;
    for (const auto& v : r) line += (line.empty() ? "" : " ") + v;
    out.push_back(line);
  }
  return out;
}

}  // namespace

TEST_F(Server, TriggersSeeAndChangeRows) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE audit_log (seq NUMBER, what VARCHAR2(60))"), 0);
  ASSERT_EQ(st.Run("CREATE SEQUENCE audit_seq"), 0);
  ASSERT_EQ(st.Run("CREATE TABLE staff (id NUMBER PRIMARY KEY, name VARCHAR2(20) NOT NULL, "
                   "pay NUMBER, hired DATE)"),
            0);
  // BEFORE ROW: completes and corrects :NEW (before the NOT NULL check runs).
  ASSERT_EQ(st.Run("CREATE TRIGGER staff_bi BEFORE INSERT ON staff FOR EACH ROW\n"
                   "BEGIN\n"
                   "  :new.name := UPPER(NVL(:new.name, 'nobody'));\n"
                   "  IF :new.hired IS NULL THEN :new.hired := TO_DATE('2024-01-01', "
                   "'YYYY-MM-DD'); END IF;\n"
                   "END;"),
            0)
      << st.Error();
  // AFTER ROW: sees :OLD and :NEW and what fired it.
  ASSERT_EQ(st.Run("CREATE TRIGGER staff_au AFTER INSERT OR UPDATE OF pay OR DELETE ON staff\n"
                   "FOR EACH ROW WHEN (NVL(new.pay, 0) >= 0)\n"
                   "DECLARE what VARCHAR2(60);\n"
                   "BEGIN\n"
                   "  IF INSERTING THEN what := 'I ' || :new.name;\n"
                   "  ELSIF UPDATING('PAY') THEN what := 'U ' || :old.pay || '>' || :new.pay;\n"
                   "  ELSE what := 'D ' || :old.name; END IF;\n"
                   "  INSERT INTO audit_log VALUES (audit_seq.NEXTVAL, what);\n"
                   "END;"),
            0)
      << st.Error();
  // AFTER STATEMENT: once per statement however many rows.
  ASSERT_EQ(st.Run("CREATE TRIGGER staff_as AFTER UPDATE ON staff\n"
                   "BEGIN INSERT INTO audit_log VALUES (audit_seq.NEXTVAL, 'statement'); END;"),
            0);
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_objects WHERE object_name LIKE 'STAFF_%' AND "
                     "status = 'VALID'"),
            "3");

  // An array insert from the caller: each row through the triggers.
  Statement ins(demo_);
  ASSERT_EQ(ins.Parse("INSERT INTO staff (id, name, pay) VALUES (:i, :n, :p)"), 0);
  int ids[2] = {1, 2};
  char names[2][8] = {"ada", ""};
  ub2 nameLens[2] = {3, 0};
  sb2 nameInd[2] = {0, -1};
  int pays[2] = {100, 200};
  const Api& o = Oci();
  ASSERT_EQ(o.obndra(ins.cda(), T(":I"), -1, reinterpret_cast<ub1*>(ids), 4, kExtInteger, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(o.obndra(ins.cda(), T(":N"), -1, reinterpret_cast<ub1*>(names), 8, kExtVarchar2, -1,
                     nameInd, nameLens, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(o.obndra(ins.cda(), T(":P"), -1, reinterpret_cast<ub1*>(pays), 4, kExtInteger, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(ins.Exec(2), 0) << ins.Error();
  EXPECT_EQ(ins.cda()->rpc, 2u);
  EXPECT_EQ(Flat(st.Query("SELECT id, name, TO_CHAR(hired, 'YYYY') FROM staff ORDER BY id")),
            (std::vector<std::string>{"1 ADA 2024", "2 NOBODY 2024"}));

  // UPDATE OF pay fires the row trigger; the statement trigger fires once.
  ASSERT_EQ(st.Run("UPDATE staff SET pay = pay * 2"), 0) << st.Error();
  EXPECT_EQ(st.cda()->rpc, 2u);
  ASSERT_EQ(st.Run("UPDATE staff SET name = 'X' || name WHERE id = 1"), 0) << st.Error();
  // From PL/SQL too, with a variable in the statement.
  ASSERT_EQ(st.Run("DECLARE k NUMBER := 2; BEGIN DELETE FROM staff WHERE id = k; END;"), 0)
      << st.Error();
  EXPECT_EQ(Flat(st.Query("SELECT what FROM audit_log ORDER BY seq")),
            (std::vector<std::string>{"I ADA", "I NOBODY", "U 100>200", "U 200>400", "statement",
                                      "statement", "D NOBODY"}));

  // A failing trigger undoes its whole statement.
  ASSERT_EQ(st.Run("CREATE TRIGGER staff_cap BEFORE UPDATE OF pay ON staff FOR EACH ROW\n"
                   "BEGIN IF :new.pay > 1000 THEN raise_application_error(-20010, 'cap'); END IF; "
                   "END;"),
            0);
  ASSERT_EQ(st.Run("INSERT INTO staff (id, name, pay) VALUES (3, 'bo', 900)"), 0);
  EXPECT_EQ(st.Run("UPDATE staff SET pay = pay + 150"), 20010);
  EXPECT_NE(st.Error().find("ORA-04088: error during execution of trigger 'DEMO.STAFF_CAP'"),
            std::string::npos)
      << st.Error();
  EXPECT_EQ(Flat(st.Query("SELECT id, pay FROM staff ORDER BY id")),
            (std::vector<std::string>{"1 200", "3 900"}));
  // Disabled, it no longer fires; dropped with its table.
  ASSERT_EQ(st.Run("ALTER TRIGGER staff_cap DISABLE"), 0);
  EXPECT_EQ(st.Run("UPDATE staff SET pay = pay + 150"), 0);
  EXPECT_EQ(st.Value("SELECT status FROM user_triggers WHERE trigger_name = 'STAFF_CAP'"),
            "DISABLED");
  ASSERT_EQ(st.Run("DROP TABLE staff"), 0);
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_triggers WHERE table_name = 'STAFF'"), "0");
  ASSERT_EQ(st.Run("COMMIT"), 0);
}

TEST_F(Server, PrivilegesSeenFromTwoUsers) {
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@server"), 0);
  Statement admin(dba);
  ASSERT_EQ(admin.Run("CREATE USER ann IDENTIFIED BY ann"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("CREATE ROLE clerks"), 0) << admin.Error();
  EXPECT_EQ(admin.Run("CREATE ROLE clerks"), 1921);
  ASSERT_EQ(admin.Run("GRANT CREATE SESSION, clerks TO ann"), 0) << admin.Error();
  EXPECT_EQ(admin.Run("GRANT CREATE SESSION TO nobody"), 1917);
  Connection ann;
  ASSERT_EQ(ann.Logon("ann/ann@server"), 0);
  Statement a(ann), d(demo_);
  // Nothing of DEMO's is ANN's to see yet.
  EXPECT_EQ(a.Run("SELECT * FROM demo.dept"), 942);
  EXPECT_EQ(a.Value("SELECT count(*) FROM all_objects WHERE owner = 'DEMO'"), "0");
  // Granted to a role ANN holds: seen from the next logon, like the server's roles.
  ASSERT_EQ(d.Run("GRANT SELECT ON dept TO clerks"), 0) << d.Error();
  EXPECT_EQ(a.Value("SELECT count(*) FROM demo.dept"), "4");
  EXPECT_EQ(Flat(a.Query("SELECT owner, object_name FROM all_objects WHERE owner = 'DEMO'")),
            std::vector<std::string>{"DEMO DEPT"});
  EXPECT_EQ(a.Run("INSERT INTO demo.dept VALUES (50, 'X', 'Y')"), 1031);
  // A public synonym names it for everyone; PUBLIC grants reach everyone.
  ASSERT_EQ(admin.Run("CREATE PUBLIC SYNONYM departments FOR demo.dept"), 0) << admin.Error();
  EXPECT_EQ(a.Value("SELECT dname FROM departments WHERE deptno = 10"), "ACCOUNTING");
  ASSERT_EQ(d.Run("GRANT SELECT, UPDATE ON salgrade TO PUBLIC"), 0) << d.Error();
  EXPECT_EQ(a.Value("SELECT count(*) FROM demo.salgrade"), "5");
  EXPECT_EQ(
      Flat(a.Query("SELECT grantee, table_schema, table_name, privilege FROM all_tab_privs "
                   "WHERE table_name = 'SALGRADE' ORDER BY privilege")),
      (std::vector<std::string>{"PUBLIC DEMO SALGRADE SELECT", "PUBLIC DEMO SALGRADE UPDATE"}));
  // Revoked, gone.
  ASSERT_EQ(d.Run("REVOKE SELECT ON dept FROM clerks"), 0) << d.Error();
  EXPECT_EQ(a.Run("SELECT * FROM demo.dept"), 942);
  EXPECT_EQ(d.Run("REVOKE SELECT ON dept FROM clerks"), 1927);
  // A user may not hand out what is not its own.
  EXPECT_EQ(a.Run("GRANT SELECT ON demo.salgrade TO demo"), 1031);
  // The DBA views: SYSTEM sees every grant, ANN none of them.
  EXPECT_EQ(admin.Value("SELECT count(*) FROM dba_role_privs WHERE grantee = 'ANN'"), "1");
  EXPECT_EQ(a.Run("SELECT * FROM dba_role_privs"), 942);
  EXPECT_EQ(Flat(a.Query("SELECT granted_role FROM user_role_privs")),
            std::vector<std::string>{"CLERKS"});
  ASSERT_EQ(admin.Run("DROP ROLE clerks"), 0) << admin.Error();
  EXPECT_EQ(admin.Run("DROP ROLE clerks"), 1919);
}

// DDL asks for the system privileges: CREATE x in one's own schema, CREATE ANY x or the
// ANY privileges to drop in another's, the PUBLIC ones for public synonyms.
TEST_F(Server, DdlNeedsSystemPrivileges) {
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@server"), 0);
  Statement admin(dba);
  ASSERT_EQ(admin.Run("CREATE USER bea IDENTIFIED BY pw"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("GRANT CREATE SESSION TO bea"), 0) << admin.Error();
  Connection bea;
  ASSERT_EQ(bea.Logon("bea/pw@server"), 0);
  Statement b(bea);
  // Only CREATE SESSION: nothing may be made, and nothing was.
  EXPECT_EQ(b.Run("CREATE TABLE notes (n NUMBER)"), 1031);
  EXPECT_EQ(b.Run("CREATE VIEW v AS SELECT * FROM dual"), 1031);
  EXPECT_EQ(b.Run("CREATE SEQUENCE s"), 1031);
  EXPECT_EQ(b.Run("CREATE SYNONYM d FOR dual"), 1031);
  EXPECT_EQ(b.Value("SELECT count(*) FROM user_objects"), "0");
  ASSERT_EQ(admin.Run("GRANT CREATE TABLE TO bea"), 0) << admin.Error();
  ASSERT_EQ(b.Run("CREATE TABLE notes (n NUMBER)"), 0) << b.Error();
  EXPECT_EQ(b.Run("CREATE SEQUENCE s"), 1031);  // one privilege grants one kind
  // Its own table it may index, alter and drop without any further privilege.
  EXPECT_EQ(b.Run("CREATE INDEX notes_n ON notes (n)"), 0) << b.Error();
  EXPECT_EQ(b.Run("ALTER TABLE notes ADD (m NUMBER)"), 0) << b.Error();

  // DEMO (CONNECT and RESOURCE) works in its own schema only.
  Statement d(demo_);
  for (const char* sql :
       {"CREATE TABLE system.mine (n NUMBER)", "CREATE VIEW system.v AS SELECT * FROM dual",
        "CREATE SEQUENCE system.s", "CREATE SYNONYM system.d FOR dual",
        "CREATE INDEX system.x ON emp (empno)", "CREATE PUBLIC SYNONYM d FOR dual"})
    EXPECT_EQ(d.Run(sql), 1031) << sql;
  // Another user's table: not seen, so not there; once seen, not its to drop.
  EXPECT_EQ(d.Run("DROP TABLE bea.notes"), 942);
  ASSERT_EQ(b.Run("GRANT SELECT ON notes TO demo"), 0) << b.Error();
  EXPECT_EQ(d.Run("DROP TABLE bea.notes"), 1031);
  EXPECT_EQ(d.Run("TRUNCATE TABLE bea.notes"), 1031);
  EXPECT_EQ(d.Run("ALTER TABLE bea.notes ADD (k NUMBER)"), 1031);
  EXPECT_EQ(d.Run("DROP TABLE bea.nosuch"), 942);

  // A DBA may do all of it, in anyone's schema.
  ASSERT_EQ(admin.Run("CREATE TABLE demo.made_by_dba (n NUMBER)"), 0) << admin.Error();
  EXPECT_EQ(d.Value("SELECT count(*) FROM user_tables WHERE table_name = 'MADE_BY_DBA'"), "1");
  ASSERT_EQ(admin.Run("CREATE INDEX demo.made_n ON demo.made_by_dba (n)"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("CREATE PUBLIC SYNONYM made FOR demo.made_by_dba"), 0) << admin.Error();
  EXPECT_EQ(d.Run("DROP PUBLIC SYNONYM made"), 1031);
  ASSERT_EQ(admin.Run("DROP PUBLIC SYNONYM made"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("DROP TABLE demo.made_by_dba"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("DROP TABLE bea.notes"), 0) << admin.Error();

  // CREATE ANY TABLE reaches other schemas without the DBA role.
  ASSERT_EQ(admin.Run("GRANT CREATE ANY TABLE TO demo"), 0) << admin.Error();
  ASSERT_EQ(d.Run("CREATE TABLE bea.given (n NUMBER)"), 0) << d.Error();
  EXPECT_EQ(b.Value("SELECT count(*) FROM given"), "0");
  // Creating is neither seeing nor dropping.
  EXPECT_EQ(d.Run("DROP TABLE bea.given"), 942);
  EXPECT_EQ(b.Value("SELECT count(*) FROM given"), "0");
  ASSERT_EQ(admin.Run("REVOKE CREATE ANY TABLE FROM demo"), 0) << admin.Error();
}

TEST_F(Server, ExplainPlanWritesATree) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("EXPLAIN PLAN SET STATEMENT_ID = 'q1' FOR\n"
                   "SELECT e.ename, d.dname FROM emp e, dept d\n"
                   "WHERE e.deptno = d.deptno AND e.empno = 7839 ORDER BY 1"),
            0)
      << st.Error();
  // The plan as the tools show it: walk the tree from ID 0.
  auto rows = st.Query(
      "SELECT LPAD(' ', 2 * LEVEL) || operation || ' ' || options || ' ' || object_name "
      "FROM plan_table WHERE statement_id = 'q1' START WITH id = 0 AND statement_id = 'q1' "
      "CONNECT BY PRIOR id = parent_id AND statement_id = 'q1' ORDER BY id");
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0][0].substr(0, 18), "  SELECT STATEMENT");
  std::string all;
  for (const auto& r : rows) all += r[0] + "\n";
  EXPECT_NE(all.find("TABLE ACCESS"), std::string::npos) << all;
  EXPECT_NE(all.find("EMP"), std::string::npos) << all;
  EXPECT_NE(all.find("DEPT"), std::string::npos) << all;
  // Every step but the first hangs under a step that exists.
  EXPECT_EQ(st.Value("SELECT count(*) FROM plan_table p WHERE statement_id = 'q1' AND "
                     "parent_id IS NOT NULL AND NOT EXISTS (SELECT 1 FROM plan_table q WHERE "
                     "q.statement_id = 'q1' AND q.id = p.parent_id)"),
            "0");
  // The statement itself was not run.
  ASSERT_EQ(st.Run("EXPLAIN PLAN SET STATEMENT_ID = 'd1' FOR DELETE FROM emp"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp"), "14");
  EXPECT_EQ(st.Value("SELECT operation FROM plan_table WHERE statement_id = 'd1' AND id = 0"),
            "DELETE STATEMENT");
  EXPECT_EQ(st.Run("EXPLAIN PLAN INTO no_such_table FOR SELECT * FROM dual"), 2404);
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

// ALTER TABLE forms SQLite cannot do in place are carried out, or refused whole.
TEST_F(Server, AlterTableChangesWhatItSays) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE kit (id NUMBER CONSTRAINT kit_pk PRIMARY KEY, name VARCHAR2(5), "
                   "qty NUMBER)"),
            0);
  ASSERT_EQ(st.Run("INSERT INTO kit VALUES (1, 'a', 5)"), 0);
  ASSERT_EQ(st.Run("INSERT INTO kit VALUES (2, NULL, -1)"), 0);
  ASSERT_EQ(st.Run("CREATE INDEX kit_name ON kit (name)"), 0);
  // A constraint the rows break is not added.
  EXPECT_EQ(st.Run("ALTER TABLE kit ADD CONSTRAINT kit_qty CHECK (qty >= 0)"), 2293);
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_constraints WHERE constraint_name = 'KIT_QTY'"),
            "0");
  ASSERT_EQ(st.Run("UPDATE kit SET qty = 0 WHERE id = 2"), 0);
  ASSERT_EQ(st.Run("ALTER TABLE kit ADD CONSTRAINT kit_qty CHECK (qty >= 0)"), 0) << st.Error();
  EXPECT_EQ(st.Run("INSERT INTO kit VALUES (3, 'c', -5)"), 2290);
  EXPECT_EQ(st.Error(), "ORA-02290: check constraint (DEMO.KIT_QTY) violated");
  // MODIFY: NOT NULL must hold for the rows; a wider type keeps them.
  EXPECT_EQ(st.Run("ALTER TABLE kit MODIFY (name NOT NULL)"), 2296);
  ASSERT_EQ(st.Run("UPDATE kit SET name = 'b' WHERE id = 2"), 0);
  ASSERT_EQ(st.Run("ALTER TABLE kit MODIFY (name VARCHAR2(10) NOT NULL)"), 0) << st.Error();
  EXPECT_EQ(Flat(st.Query("SELECT data_type, data_length, nullable FROM user_tab_columns WHERE "
                          "table_name = 'KIT' AND column_name = 'NAME'")),
            std::vector<std::string>{"VARCHAR2 10 N"});
  EXPECT_EQ(st.Run("INSERT INTO kit VALUES (3, NULL, 1)"), 1400);
  ASSERT_EQ(st.Run("INSERT INTO kit VALUES (3, 'abcdefghij', 1)"), 0) << st.Error();
  EXPECT_EQ(Flat(st.Query("SELECT id, name, qty FROM kit ORDER BY id")),
            (std::vector<std::string>{"1 a 5", "2 b 0", "3 abcdefghij 1"}));
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_indexes WHERE table_name = 'KIT'"), "2");
  // Dropped constraints stop holding.
  ASSERT_EQ(st.Run("ALTER TABLE kit DROP CONSTRAINT kit_qty"), 0) << st.Error();
  EXPECT_EQ(st.Run("INSERT INTO kit VALUES (4, 'd', -5)"), 0);
  ASSERT_EQ(st.Run("ALTER TABLE kit DROP PRIMARY KEY"), 0) << st.Error();
  EXPECT_EQ(st.Run("INSERT INTO kit VALUES (4, 'e', 1)"), 0);
  EXPECT_EQ(st.Run("ALTER TABLE kit DROP PRIMARY KEY"), 2441);
  // A foreign key the rows do not satisfy is refused; the key the others use stays.
  EXPECT_EQ(st.Run("ALTER TABLE kit ADD CONSTRAINT kit_dept FOREIGN KEY (qty) REFERENCES dept"),
            2298);
  EXPECT_EQ(st.Run("ALTER TABLE dept DROP CONSTRAINT pk_dept"), 2273);
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp"), "14");
  ASSERT_EQ(st.Run("DROP TABLE kit"), 0);
}

// A privilege passed on under the grant option goes when its grantor loses it.
TEST_F(Server, GrantOptionPassesOnAndRevokeCascades) {
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@server"), 0);
  Statement admin(dba);
  for (const char* u : {"cal", "dee"}) {
    ASSERT_EQ(admin.Run(std::string("CREATE USER ") + u + " IDENTIFIED BY pw"), 0);
    ASSERT_EQ(admin.Run(std::string("GRANT CREATE SESSION TO ") + u), 0);
  }
  Connection cal, dee;
  ASSERT_EQ(cal.Logon("cal/pw@server"), 0);
  ASSERT_EQ(dee.Logon("dee/pw@server"), 0);
  Statement d(demo_), c(cal), e(dee);
  EXPECT_EQ(d.Run("GRANT SELECT ON emp TO demo"), 1749);
  ASSERT_EQ(d.Run("GRANT SELECT ON emp TO cal WITH GRANT OPTION"), 0) << d.Error();
  ASSERT_EQ(d.Run("GRANT SELECT ON dept TO cal"), 0) << d.Error();
  EXPECT_EQ(c.Run("GRANT SELECT ON demo.emp TO cal"), 1749);
  ASSERT_EQ(c.Run("GRANT SELECT ON demo.emp TO dee"), 0) << c.Error();
  EXPECT_EQ(c.Run("GRANT SELECT ON demo.dept TO dee"), 1031);
  EXPECT_EQ(e.Value("SELECT count(*) FROM demo.emp"), "14");
  EXPECT_EQ(Flat(d.Query("SELECT grantee, grantor FROM user_tab_privs WHERE table_name = "
                         "'EMP' ORDER BY 1")),
            (std::vector<std::string>{"CAL DEMO", "DEE CAL"}));
  ASSERT_EQ(d.Run("REVOKE SELECT ON emp FROM cal"), 0) << d.Error();
  EXPECT_EQ(c.Run("SELECT count(*) FROM demo.emp"), 942);
  EXPECT_EQ(e.Run("SELECT count(*) FROM demo.emp"), 942);
  EXPECT_EQ(c.Value("SELECT count(*) FROM demo.dept"), "4");
  ASSERT_EQ(d.Run("REVOKE SELECT ON dept FROM cal"), 0);
}

// A rebuilt table keeps its rows' triggers and grants; programs using it recompile.
TEST_F(Server, RebuiltTableKeepsTriggersGrantsAndDependents) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE parts (id NUMBER, label VARCHAR2(5))"), 0);
  ASSERT_EQ(st.Run("CREATE TABLE parts_log (id NUMBER)"), 0);
  ASSERT_EQ(st.Run("CREATE TRIGGER parts_ai AFTER INSERT ON parts FOR EACH ROW\n"
                   "BEGIN INSERT INTO parts_log VALUES (:new.id); END;"),
            0)
      << st.Error();
  ASSERT_EQ(st.Run("CREATE FUNCTION parts_count RETURN NUMBER IS n NUMBER;\n"
                   "BEGIN SELECT count(*) INTO n FROM parts; RETURN n; END;"),
            0)
      << st.Error();
  ASSERT_EQ(st.Run("GRANT SELECT ON parts TO PUBLIC"), 0);
  ASSERT_EQ(st.Run("INSERT INTO parts VALUES (1, 'a')"), 0);
  ASSERT_EQ(st.Run("ALTER TABLE parts MODIFY (label VARCHAR2(20) NOT NULL)"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT status FROM user_objects WHERE object_name = 'PARTS_COUNT'"),
            "INVALID");
  ASSERT_EQ(st.Run("INSERT INTO parts VALUES (2, 'a longer label')"), 0) << st.Error();
  EXPECT_EQ(Flat(st.Query("SELECT id FROM parts_log ORDER BY id")),
            (std::vector<std::string>{"1", "2"}));
  ASSERT_EQ(st.Run("BEGIN dbms_output.enable; dbms_output.put_line(parts_count); END;"), 0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT status FROM user_objects WHERE object_name = 'PARTS_COUNT'"), "VALID");
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_tab_privs WHERE table_name = 'PARTS' AND "
                     "grantee = 'PUBLIC'"),
            "1");
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

// Runaway recursion ends in the server's errors, not in a crash.
TEST_F(Server, RunawayRecursionIsStopped) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE FUNCTION forever(n NUMBER) RETURN NUMBER IS\n"
                   "BEGIN RETURN forever(n + 1) + 1; END;"),
            0);
  EXPECT_EQ(st.Run("DECLARE x NUMBER; BEGIN x := forever(1); END;"), 6500);
  EXPECT_EQ(st.Error().substr(0, 35), "ORA-06500: PL/SQL: storage error\nOR");
  // The same on the session's worker thread, which has a stack of its own.
  const Api& o = Oci();
  ASSERT_EQ(o.onbset(demo_.lda()), 0);
  Statement nb(demo_);
  ASSERT_EQ(nb.Parse("DECLARE x NUMBER; BEGIN x := forever(1); END;"), 0);
  int rc;
  while ((rc = nb.Exec()) == kOraStillExecuting) std::this_thread::yield();
  EXPECT_EQ(rc, 6500);
  ASSERT_EQ(o.onbclr(demo_.lda()), 0);
  // A row trigger inserting into its own table.
  ASSERT_EQ(st.Run("CREATE TABLE echo (n NUMBER)"), 0);
  ASSERT_EQ(st.Run("CREATE TRIGGER echo_ai AFTER INSERT ON echo FOR EACH ROW\n"
                   "BEGIN INSERT INTO echo VALUES (:new.n + 1); END;"),
            0);
  EXPECT_EQ(st.Run("INSERT INTO echo VALUES (1)"), 36);
  EXPECT_EQ(st.Value("SELECT count(*) FROM echo"), "0");
  ASSERT_EQ(st.Run("DROP TABLE echo"), 0);
  ASSERT_EQ(st.Run("DROP FUNCTION forever"), 0);
}

// Loops over a query that write to the table they read, commit or roll back as they go:
// the query keeps the rows it had when it was opened.
TEST_F(Server, LoopsWritingWhatTheyRead) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE seen (k NUMBER PRIMARY KEY)"), 0);
  ASSERT_EQ(st.Run("INSERT INTO seen SELECT empno FROM emp"), 0);
  ASSERT_EQ(st.Run("CREATE TABLE seen_log (k NUMBER)"), 0);
  ASSERT_EQ(st.Run("CREATE TRIGGER seen_ai AFTER INSERT ON seen FOR EACH ROW\n"
                   "BEGIN INSERT INTO seen_log VALUES (:new.k); END;"),
            0);
  ASSERT_EQ(st.Run("DECLARE n NUMBER := 0;\n"
                   "BEGIN\n"
                   "  FOR r IN (SELECT k FROM seen ORDER BY k) LOOP\n"
                   "    n := n + 1;\n"
                   "    IF n > 100 THEN raise_application_error(-20000, 'runaway'); END IF;\n"
                   "    INSERT INTO seen VALUES (r.k + 10000);\n"
                   "    UPDATE seen SET k = k + 20000 WHERE k = r.k;\n"
                   "    IF MOD(n, 5) = 0 THEN COMMIT; END IF;\n"
                   "    IF n = 14 THEN ROLLBACK; END IF;\n"
                   "  END LOOP;\n"
                   "END;"),
            0)
      << st.Error();
  // Ten rows' work was committed; the last four were rolled back.
  EXPECT_EQ(st.Value("SELECT count(*) FROM seen"), "24");
  EXPECT_EQ(st.Value("SELECT count(*) FROM seen WHERE k > 20000"), "10");
  EXPECT_EQ(st.Value("SELECT count(*) FROM seen_log"), "10");
  ASSERT_EQ(st.Run("DROP TABLE seen"), 0);
  ASSERT_EQ(st.Run("DROP TABLE seen_log"), 0);
}

// A package's cursor stays open between calls; what the caller writes meanwhile does not
// reach the rows it has still to give.
TEST_F(Server, PackageCursorsLiveAcrossCalls) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE queue (id NUMBER)"), 0);
  ASSERT_EQ(st.Run("INSERT INTO queue SELECT empno FROM emp WHERE deptno = 10"), 0);
  ASSERT_EQ(st.Run("CREATE PACKAGE reader IS\n"
                   "  CURSOR c IS SELECT id FROM queue ORDER BY id;\n"
                   "  FUNCTION next_id RETURN NUMBER;\n"
                   "END;"),
            0);
  ASSERT_EQ(st.Run("CREATE PACKAGE BODY reader IS\n"
                   "  FUNCTION next_id RETURN NUMBER IS v NUMBER;\n"
                   "  BEGIN\n"
                   "    IF NOT c%ISOPEN THEN OPEN c; END IF;\n"
                   "    FETCH c INTO v;\n"
                   "    IF c%NOTFOUND THEN CLOSE c; RETURN NULL; END IF;\n"
                   "    RETURN v;\n"
                   "  END;\n"
                   "END;"),
            0)
      << st.Error();
  auto next = [&] {
    Statement call(demo_);
    if (call.Parse("BEGIN :r := reader.next_id; END;") != 0 ||
        call.BindText("R", std::nullopt, 20) != 0 || call.Exec() != 0)
      return call.Error();
    return call.OutText(0).value_or("null");
  };
  EXPECT_EQ(next(), "7782");
  ASSERT_EQ(st.Run("DELETE FROM queue WHERE id = 7839"), 0);
  ASSERT_EQ(st.Run("INSERT INTO queue VALUES (7800)"), 0);
  EXPECT_EQ(next(), "7839");
  EXPECT_EQ(next(), "7934");
  EXPECT_EQ(next(), "null");
  EXPECT_EQ(next(), "7782");  // opened again: sees the rows as they are now
  EXPECT_EQ(next(), "7800");
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
  ASSERT_EQ(st.Run("DROP PACKAGE reader"), 0);
  ASSERT_EQ(st.Run("DROP TABLE queue"), 0);
}

// Dynamic SQL makes a table and uses it in the same block; EXPLAIN PLAN takes binds unbound.
TEST_F(Server, DynamicDdlAndExplainWithBinds) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("DECLARE n NUMBER;\n"
                   "BEGIN\n"
                   "  EXECUTE IMMEDIATE 'CREATE TABLE scratch (a NUMBER)';\n"
                   "  EXECUTE IMMEDIATE 'INSERT INTO scratch VALUES (:x)' USING 42;\n"
                   "  EXECUTE IMMEDIATE 'SELECT a FROM scratch' INTO n;\n"
                   "  IF n <> 42 THEN raise_application_error(-20000, 'lost ' || n); END IF;\n"
                   "END;"),
            0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT a FROM scratch"), "42");
  ASSERT_EQ(st.Run("EXPLAIN PLAN SET STATEMENT_ID = 'b1' FOR SELECT * FROM emp WHERE empno = :e"),
            0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM plan_table WHERE statement_id = 'b1'") != "0", true);
  ASSERT_EQ(st.Run("DROP TABLE scratch"), 0);
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

// The engine's own statements, malformed: the server's codes, and nothing done.
TEST_F(Server, EngineStatementsAnswerTheServersSyntaxErrors) {
  Connection system;
  ASSERT_EQ(system.Logon("system/manager@server"), 0);
  Statement st(system);
  const std::pair<const char*, int> cases[] = {
      {"ALTER SESSION SET", 922},
      {"ALTER SESSION SET NLS_DATE_FORMAT 'YYYY'", 927},
      {"ALTER SESSION SET NLS_DATE_FORMAT = YYYY", 922},
      {"ALTER SESSION SET CURSOR_SHARING = FORCE", 2248},
      {"ALTER SESSION SET PLSQL_DEBUG = MAYBE", 922},
      {"ROLLBACK;", 911},
      {"ROLLBACK WORK NOW", 933},
      {"ROLLBACK TO SAVEPOINT", 931},
      {"SAVEPOINT a b", 933},
      {"CREATE USER u1 IDENTIFIED BY", 988},
      {"CREATE USER u1 PASSWORD x", 922},
      {"CREATE USER u1 IDENTIFIED BY x QUOTA 10 M users", 922},
      {"DROP USER", 1935},
      {"GRANT TO demo", 1990},
      {"GRANT SELECT ON demo.emp", 905},
      {"GRANT SELECT ON demo.emp TO nobody", 1917},
      {"GRANT CREATE SESSION TO demo WITH GRANT OPTION", 922},
      {"REVOKE SELECT ON demo.emp FROM demo extra", 933},
      {"CREATE ROLE r1 IDENTIFIED", 922},
      {"CREATE DATABASE LINK l1 USING loop", 922},
      {"DROP DATABASE LINK", 2011},
  };
  for (const auto& [sql, code] : cases) EXPECT_EQ(st.Run(sql), code) << sql;
  // A bad setting after a good one: neither is made.
  EXPECT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY' CURSOR_SHARING = FORCE"), 2248);
  EXPECT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY' NLS_LANGUAGE = FRENCH"), 12705);
  EXPECT_EQ(st.Value("SELECT TO_CHAR(TO_DATE('2001-02-03', 'YYYY-MM-DD')) FROM dual"),
            "03-FEB-01");
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_users WHERE username IN ('U1', 'R1')"), "0");
}

TEST_F(Server, AlterUserChangesWhatItNames) {
  Connection system;
  ASSERT_EQ(system.Logon("system/manager@server"), 0);
  Statement st(system);
  ASSERT_EQ(st.Run("CREATE USER walker IDENTIFIED BY first"), 0) << st.Error();
  ASSERT_EQ(st.Run("GRANT CREATE SESSION TO walker"), 0) << st.Error();
  ASSERT_EQ(st.Run("ALTER USER walker IDENTIFIED BY second DEFAULT TABLESPACE system "
                   "QUOTA UNLIMITED ON system"),
            0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT default_tablespace || ' ' || temporary_tablespace FROM dba_users "
                     "WHERE username = 'WALKER'"),
            "SYSTEM TEMP");
  Connection w;
  EXPECT_EQ(w.Logon("walker/first@server"), 1017);
  EXPECT_EQ(w.Logon("walker/second@server"), 0);
  EXPECT_EQ(st.Run("ALTER USER nobody IDENTIFIED BY x"), 1918);
  EXPECT_EQ(st.Run("DROP USER walker"), 0) << st.Error();
}
