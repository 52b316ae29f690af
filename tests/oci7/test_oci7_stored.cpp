// Stored programs through the entry points: compiling editor text as the program sends it,
// the errors in ALL_ERRORS with line and position, INVALID objects whose CREATE still
// succeeds, the source in ALL_SOURCE, ALTER ... COMPILE, DROP, dependencies, and programs
// that call each other with OUT arguments and raise errors to the caller.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Stored : public DatabaseSuite<"STORED"> {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.Logon("demo/demo@stored"), 0); }

  // The compile statement as the program builds it from editor lines: CREATE OR REPLACE,
  // each line with a line feed.
  int Compile(Statement& st, std::initializer_list<const char*> lines) {
    std::string sql = "CREATE OR REPLACE ";
    for (const char* l : lines) sql += std::string(l) + "\n";
    return st.Run(sql);
  }
  // The errors as the program reads them: "(sequence) line/position text".
  std::vector<std::string> Errors(const std::string& name, const std::string& type) {
    Statement q(demo_);
    std::vector<std::string> out;
    for (const auto& r :
         q.Query(" SELECT sequence,line,position,text \n FROM all_errors \n"
                 " WHERE name='" +
                 name + "' and \n owner=USER and type='" + type + "'\n order by sequence"))
      out.push_back("(" + r[0] + ") " + r[1] + "/" + r[2] + " " + r[3].substr(0, r[3].find('\n')));
    return out;
  }
  std::string Status(const std::string& name) {
    Statement q(demo_);
    return q.Value(" select status \n from all_objects \n where object_name='" + name +
                   "' \n and owner=USER ");
  }

  Connection demo_;
};

}  // namespace

TEST_F(Stored, CompileErrorsAreRecordedAndTheCallSucceeds) {
  Statement st(demo_);
  // A missing semicolon: the next line's first symbol.
  ASSERT_EQ(
      Compile(st, {"PROCEDURE broken IS", "  n NUMBER;", "BEGIN", "  n := 1", "  n := 2;", "END;"}),
      0)
      << st.Error();
  EXPECT_EQ(Errors("BROKEN", "PROCEDURE"),
            std::vector<std::string>{"(1) 5/3 PLS-00103: Encountered the symbol \"N\" when "
                                     "expecting one of the following:"});
  EXPECT_EQ(Status("BROKEN"), "INVALID");
  // An unknown keyword.
  ASSERT_EQ(Compile(st, {"PROCEDURE broken IS", "BEGIN", "  IF 1 = 1 THEN NULL;",
                         "  ELSEIF 2 = 2 THEN NULL;", "  END IF;", "END;"}),
            0);
  EXPECT_EQ(Errors("BROKEN", "PROCEDURE"),
            std::vector<std::string>{"(1) 4/10 PLS-00103: Encountered the symbol \"2\" when "
                                     "expecting one of the following:"});
  // An unclosed block: the end of the text, after the last symbol.
  ASSERT_EQ(Compile(st, {"PROCEDURE broken IS", "BEGIN", "  NULL;"}), 0);
  EXPECT_EQ(Errors("BROKEN", "PROCEDURE"),
            std::vector<std::string>{"(1) 3/8 PLS-00103: Encountered the symbol \"end-of-file\" "
                                     "when expecting one of the following:"});
  // A name nobody declared: the statement is ignored, the identifier is the error.
  ASSERT_EQ(Compile(st, {"PROCEDURE broken IS", "BEGIN", "  no_such_proc(1);", "END;"}), 0);
  EXPECT_EQ(
      Errors("BROKEN", "PROCEDURE"),
      (std::vector<std::string>{"(1) 3/3 PL/SQL: Statement ignored",
                                "(2) 3/3 PLS-00201: identifier 'NO_SUCH_PROC' must be declared"}));
  // Mended: VALID, and the errors are gone.
  ASSERT_EQ(Compile(st, {"PROCEDURE broken IS", "BEGIN", "  NULL;", "END broken;"}), 0);
  EXPECT_EQ(Status("BROKEN"), "VALID");
  EXPECT_TRUE(Errors("BROKEN", "PROCEDURE").empty());
  // Calling an INVALID program is an error, not a silent no-op: the block does not compile.
  ASSERT_EQ(Compile(st, {"PROCEDURE broken IS", "BEGIN", "  NULL", "END;"}), 0);
  EXPECT_EQ(st.Run("BEGIN broken; END;"), 6550);
  EXPECT_NE(st.Error().find("PLS-00905: object DEMO.BROKEN is invalid"), std::string::npos)
      << st.Error();
}

TEST_F(Stored, TriggerErrorsCountFromTheBlock) {
  Statement st(demo_);
  // The header takes three lines; the error is on the block's second line.
  ASSERT_EQ(Compile(st, {"TRIGGER emp_bad", "BEFORE UPDATE ON emp", "FOR EACH ROW", "BEGIN",
                         "  :new.sal := ;", "END;"}),
            0)
      << st.Error();
  EXPECT_EQ(Errors("EMP_BAD", "TRIGGER"),
            std::vector<std::string>{"(1) 2/15 PLS-00103: Encountered the symbol \";\" when "
                                     "expecting one of the following:"});
  EXPECT_EQ(Status("EMP_BAD"), "INVALID");
  // An invalid trigger makes its table's DML fail rather than skip it.
  EXPECT_EQ(st.Run("UPDATE emp SET comm = comm WHERE empno = 7369"), 4098);
  ASSERT_EQ(st.Run("DROP TRIGGER emp_bad"), 0);
  EXPECT_EQ(st.Run("UPDATE emp SET comm = comm WHERE empno = 7369"), 0) << st.Error();
  EXPECT_EQ(st.Run("CREATE TRIGGER t_nowhere BEFORE INSERT ON no_table BEGIN NULL; END;"), 942);
}

TEST_F(Stored, SourceLinesNamesAndReplacement) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE PROCEDURE three_lines IS\nBEGIN NULL;\nEND;\n"), 0) << st.Error();
  // A final line feed adds no line.
  EXPECT_EQ(st.Value("Select count(*) Tot_Lines\nfrom all_source where type='PROCEDURE'\nand "
                     "owner='DEMO' \nand name='THREE_LINES' "),
            "3");
  auto lines =
      st.Query("SELECT line, text FROM user_source WHERE name = 'THREE_LINES' ORDER BY line");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0][1], "PROCEDURE three_lines IS\n");  // from the kind word on
  EXPECT_EQ(lines[2][1], "END;\n");
  EXPECT_EQ(st.Run("CREATE PROCEDURE three_lines IS BEGIN NULL; END;"), 955);
  EXPECT_EQ(st.Run("CREATE PROCEDURE emp IS BEGIN NULL; END;"), 955);  // a table's name
  EXPECT_EQ(st.Run("CREATE OR REPLACE FUNCTION three_lines RETURN NUMBER IS BEGIN RETURN 1; END;"),
            955);
  ASSERT_EQ(st.Run("DROP PROCEDURE three_lines"), 0);
  EXPECT_EQ(st.Run("DROP PROCEDURE three_lines"), 4043);
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_source WHERE name = 'THREE_LINES'"), "0");
  // A body without its specification is stored INVALID.
  ASSERT_EQ(st.Run("CREATE PACKAGE BODY lonely IS END;"), 0);
  EXPECT_EQ(st.Value("SELECT status FROM user_objects WHERE object_name = 'LONELY'"), "INVALID");
}

TEST_F(Stored, DependentsTurnInvalidAndRecompile) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE FUNCTION bonus_of(p NUMBER) RETURN NUMBER IS BEGIN RETURN p / 10; END;"),
            0);
  ASSERT_EQ(st.Run("CREATE PROCEDURE pay(p NUMBER, r OUT NUMBER) IS\nBEGIN\n"
                   "  r := p + bonus_of(p);\nEND;"),
            0);
  EXPECT_EQ(Status("PAY"), "VALID");
  EXPECT_EQ(st.Value("SELECT referenced_name FROM user_dependencies WHERE name = 'PAY' AND "
                     "referenced_type = 'FUNCTION'"),
            "BONUS_OF");
  ASSERT_EQ(st.Run("DROP FUNCTION bonus_of"), 0);
  EXPECT_EQ(Status("PAY"), "INVALID");
  EXPECT_EQ(st.Run("ALTER PROCEDURE pay COMPILE"), 0);
  EXPECT_EQ(Status("PAY"), "INVALID");
  EXPECT_EQ(Errors("PAY", "PROCEDURE").size(), 2u);
  // Once what it uses is back, a call compiles it again by itself.
  ASSERT_EQ(st.Run("CREATE FUNCTION bonus_of(p NUMBER) RETURN NUMBER IS BEGIN RETURN p / 5; END;"),
            0);
  ASSERT_EQ(st.Parse("BEGIN pay(100, :r); END;"), 0) << st.Error();
  ASSERT_EQ(st.BindText("R", std::nullopt, 20), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(0), "120");
  EXPECT_EQ(Status("PAY"), "VALID");
  // Changing a table a view reads invalidates the view; ALTER VIEW COMPILE revalidates.
  ASSERT_EQ(st.Run("CREATE TABLE t_base (a NUMBER)"), 0);
  ASSERT_EQ(st.Run("CREATE VIEW v_base AS SELECT a FROM t_base"), 0);
  ASSERT_EQ(st.Run("ALTER TABLE t_base ADD (b NUMBER)"), 0) << st.Error();
  EXPECT_EQ(Status("V_BASE"), "INVALID");
  ASSERT_EQ(st.Run("ALTER VIEW v_base COMPILE"), 0) << st.Error();
  EXPECT_EQ(Status("V_BASE"), "VALID");
}

TEST_F(Stored, ProgramsCallEachOtherAndRaiseToTheCaller) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE PROCEDURE split_name(full IN VARCHAR2, first OUT VARCHAR2,\n"
                   "  last OUT VARCHAR2, calls IN OUT NUMBER) IS\nBEGIN\n"
                   "  first := SUBSTR(full, 1, INSTR(full, ' ') - 1);\n"
                   "  last := SUBSTR(full, INSTR(full, ' ') + 1);\n"
                   "  calls := NVL(calls, 0) + 1;\nEND;"),
            0)
      << st.Error();
  ASSERT_EQ(st.Run("CREATE PROCEDURE greet(who IN VARCHAR2, greeting OUT VARCHAR2) IS\n"
                   "  f VARCHAR2(30); l VARCHAR2(30); n NUMBER := 41;\nBEGIN\n"
                   "  split_name(who, f, l, n);\n"
                   "  greeting := 'Dear ' || l || ', ' || f || ' #' || n;\nEND;"),
            0)
      << st.Error();
  ASSERT_EQ(st.Parse("BEGIN greet(:who, :g); END;"), 0) << st.Error();
  ASSERT_EQ(st.BindText("WHO", "Ada Lovelace"), 0);
  ASSERT_EQ(st.BindText("G", std::nullopt, 60), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(1), "Dear Lovelace, Ada #42");

  // The demo procedure raises an application error; the caller sees it with the stack.
  EXPECT_EQ(st.Run("BEGIN raise_salary(1); END;"), 20001);
  EXPECT_EQ(st.Error(),
            "ORA-20001: No employee 1\nORA-06512: at \"DEMO.RAISE_SALARY\", line 5\n"
            "ORA-06512: at line 1");
  // Handled in the block, it is gone.
  EXPECT_EQ(st.Run("BEGIN raise_salary(1); EXCEPTION WHEN OTHERS THEN NULL; END;"), 0);
  // An unhandled user-defined exception.
  EXPECT_EQ(st.Run("DECLARE e EXCEPTION; BEGIN RAISE e; END;"), 6510);
  EXPECT_EQ(st.Error(),
            "ORA-06510: PL/SQL: unhandled user-defined exception\n"
            "ORA-06512: at line 1");
  // NO_DATA_FOUND from SQL inside a stored function, caught in the caller's block.
  ASSERT_EQ(st.Run("CREATE FUNCTION name_of(n NUMBER) RETURN VARCHAR2 IS v VARCHAR2(10);\n"
                   "BEGIN SELECT ename INTO v FROM emp WHERE empno = n; RETURN v; END;"),
            0);
  Statement lookup(demo_);
  ASSERT_EQ(lookup.Parse("BEGIN :r := name_of(:n); EXCEPTION WHEN NO_DATA_FOUND THEN :r := 'none'; "
                         "END;"),
            0);
  ASSERT_EQ(lookup.BindText("R", std::nullopt, 20), 0);
  ASSERT_EQ(lookup.BindText("N", "7839"), 0);
  ASSERT_EQ(lookup.Exec(), 0) << lookup.Error();
  EXPECT_EQ(lookup.OutText(0), "KING");
  Statement missing(demo_);
  ASSERT_EQ(
      missing.Parse("BEGIN :r := name_of(:n); EXCEPTION WHEN NO_DATA_FOUND THEN :r := 'none'; "
                    "END;"),
      0);
  ASSERT_EQ(missing.BindText("R", std::nullopt, 20), 0);
  ASSERT_EQ(missing.BindText("N", "1"), 0);
  ASSERT_EQ(missing.Exec(), 0) << missing.Error();
  EXPECT_EQ(missing.OutText(0), "none");
  // A package: an overload calling the other, a function, a sequence in its SQL.
  Statement pkg(demo_);
  ASSERT_EQ(pkg.Parse("BEGIN emp_api.hire('NEWBIE', 20); :n := emp_api.headcount(20); END;"), 0)
      << pkg.Error();
  ASSERT_EQ(pkg.BindText("N", std::nullopt, 20), 0);
  ASSERT_EQ(pkg.Exec(), 0) << pkg.Error();
  EXPECT_EQ(pkg.OutText(0), "6");
  EXPECT_EQ(pkg.Value("SELECT job FROM emp WHERE ename = 'NEWBIE'"), "CLERK");
  ASSERT_EQ(Oci().orol(demo_.lda()), 0);
}

TEST_F(Stored, OtherUsersCallOnlyWhatIsGranted) {
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@stored"), 0);
  Statement admin(dba);
  ASSERT_EQ(admin.Run("CREATE USER scott IDENTIFIED BY tiger"), 0) << admin.Error();
  ASSERT_EQ(admin.Run("GRANT CONNECT TO scott"), 0) << admin.Error();
  Connection scott;
  ASSERT_EQ(scott.Logon("scott/tiger@stored"), 0);
  Statement st(scott);
  EXPECT_EQ(st.Parse("BEGIN :t := demo.dept_salary(10); END;"), 6550);
  EXPECT_NE(st.Error().find("PLS-00201: identifier 'DEMO.DEPT_SALARY' must be declared"),
            std::string::npos)
      << st.Error();
  Statement own(demo_);
  ASSERT_EQ(own.Run("GRANT EXECUTE ON dept_salary TO scott"), 0) << own.Error();
  // The function reads DEMO's table with DEMO's rights, which SCOTT does not have.
  ASSERT_EQ(st.Parse("BEGIN :t := demo.dept_salary(10); END;"), 0) << st.Error();
  ASSERT_EQ(st.BindText("T", std::nullopt, 20), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(0), "8750");
  EXPECT_EQ(st.Run("SELECT * FROM demo.emp"), 942);
  // What SCOTT sees in the dictionary: the granted function, not DEMO's tables.
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_objects WHERE owner = 'DEMO'"), "1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_tables WHERE owner = 'DEMO'"), "0");
  EXPECT_EQ(st.Value("SELECT count(DISTINCT name) FROM all_source WHERE owner = 'DEMO'"), "1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_triggers WHERE owner = 'DEMO'"), "0");
  // A synonym of SCOTT's own reaches the granted function; revoked, the call fails again.
  ASSERT_EQ(st.Run("CREATE SYNONYM pay_of FOR demo.dept_salary"), 0) << st.Error();
  Statement viaSynonym(scott);
  ASSERT_EQ(viaSynonym.Parse("BEGIN :t := pay_of(20); END;"), 0) << viaSynonym.Error();
  ASSERT_EQ(viaSynonym.BindText("T", std::nullopt, 20), 0);
  ASSERT_EQ(viaSynonym.Exec(), 0) << viaSynonym.Error();
  EXPECT_EQ(viaSynonym.OutText(0), "10875");
  ASSERT_EQ(own.Run("REVOKE EXECUTE ON dept_salary FROM scott"), 0) << own.Error();
  Statement revoked(scott);
  EXPECT_EQ(revoked.Parse("BEGIN :t := pay_of(20); END;"), 6550);
  Statement q(demo_);
  EXPECT_EQ(q.Value("SELECT count(*) FROM all_tables WHERE owner = 'DEMO'"),
            q.Value("SELECT count(*) FROM user_tables"));
}

// A session holding a program sees another session's new version at its next call, even
// within the same second; package variables it held are discarded with an error once.
TEST_F(Stored, OtherSessionsPickUpNewVersions) {
  Connection other;
  ASSERT_EQ(other.Logon("demo/demo@stored"), 0);
  Statement mine(demo_);
  Connection& theirs = other;
  auto call = [](Connection& c, const std::string& block) -> std::string {
    Statement st(c);
    if (st.Parse(block) != 0 || st.BindText("R", std::nullopt, 40) != 0 || st.Exec() != 0)
      return st.Error();
    return st.OutText(0).value_or("(null)");
  };
  ASSERT_EQ(mine.Run("CREATE OR REPLACE FUNCTION ver RETURN VARCHAR2 IS BEGIN RETURN 'one'; END;"),
            0);
  EXPECT_EQ(call(theirs, "BEGIN :r := ver; END;"), "one");
  ASSERT_EQ(mine.Run("CREATE OR REPLACE FUNCTION ver RETURN VARCHAR2 IS BEGIN RETURN 'two'; END;"),
            0);
  EXPECT_EQ(call(theirs, "BEGIN :r := ver; END;"), "two");
  ASSERT_EQ(mine.Run("DROP FUNCTION ver"), 0);
  ASSERT_EQ(mine.Run("CREATE FUNCTION ver RETURN VARCHAR2 IS BEGIN RETURN 'three'; END;"), 0);
  EXPECT_EQ(call(theirs, "BEGIN :r := ver; END;"), "three");

  ASSERT_EQ(mine.Run("CREATE OR REPLACE PACKAGE tally IS n NUMBER := 0; END;"), 0);
  const std::string bump = "BEGIN tally.n := tally.n + 1; :r := tally.n; END;";
  EXPECT_EQ(call(theirs, bump), "1");
  EXPECT_EQ(call(theirs, bump), "2");
  EXPECT_EQ(call(demo_, bump), "1");  // every session has its own
  ASSERT_EQ(mine.Run("CREATE OR REPLACE PACKAGE tally IS n NUMBER := 10; END;"), 0);
  EXPECT_EQ(call(demo_, bump), "11");  // the session that replaced it just starts again
  EXPECT_EQ(call(theirs, bump),
            "ORA-04068: existing state of packages has been discarded\n"
            "ORA-04061: existing state of package \"DEMO.TALLY\" has been invalidated\n"
            "ORA-04065: not executed, altered or dropped package \"DEMO.TALLY\"\n"
            "ORA-06508: PL/SQL: could not find program unit being called\n"
            "ORA-06512: at line 1");
  EXPECT_EQ(call(theirs, bump), "11");

  // A package recompiled by its own running code goes on running to the end of the call.
  ASSERT_EQ(mine.Run("CREATE OR REPLACE PACKAGE selfish IS n NUMBER := 1; PROCEDURE again; END;"),
            0);
  ASSERT_EQ(mine.Run("CREATE OR REPLACE PACKAGE BODY selfish IS PROCEDURE again IS BEGIN\n"
                     "  EXECUTE IMMEDIATE 'ALTER PACKAGE selfish COMPILE'; n := n + 1; END;\n"
                     "END;"),
            0);
  EXPECT_EQ(call(demo_, "BEGIN selfish.again; :r := selfish.n; END;"), "1");
}

TEST_F(Stored, CallingAProgramThatStaysInvalidFailsToCompile) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE inv_log (n NUMBER)"), 0) << st.Error();
  ASSERT_EQ(st.Run("CREATE FUNCTION inv_part RETURN NUMBER IS BEGIN RETURN 1; END;"), 0);
  ASSERT_EQ(st.Run("CREATE PROCEDURE inv_user IS n NUMBER; BEGIN n := inv_part; "
                   "INSERT INTO inv_log VALUES (n); END;"),
            0);
  ASSERT_EQ(st.Run("DROP FUNCTION inv_part"), 0);
  EXPECT_EQ(Status("INV_USER"), "INVALID");
  // The block does not run at all: its first insert stays undone.
  EXPECT_EQ(st.Run("BEGIN\n  INSERT INTO inv_log VALUES (0);\n  inv_user;\nEND;"), 6550);
  EXPECT_EQ(st.Error(),
            "ORA-06550: line 3, column 3:\nPLS-00905: object DEMO.INV_USER is invalid\n"
            "ORA-06550: line 3, column 3:\nPL/SQL: Statement ignored");
  EXPECT_EQ(st.Value("SELECT count(*) FROM inv_log"), "0");
  EXPECT_EQ(Status("INV_USER"), "INVALID");
  // A function in an expression, and through another program, alike.
  ASSERT_EQ(st.Run("CREATE FUNCTION inv_fn RETURN NUMBER IS BEGIN RETURN inv_part; END;"), 0);
  EXPECT_EQ(st.Run("DECLARE n NUMBER; BEGIN n := inv_fn; END;"), 6550);
  EXPECT_NE(st.Error().find("PLS-00905: object DEMO.INV_FN is invalid"), std::string::npos)
      << st.Error();
  // Once it compiles again, the call runs.
  ASSERT_EQ(st.Run("CREATE FUNCTION inv_part RETURN NUMBER IS BEGIN RETURN 1; END;"), 0);
  ASSERT_EQ(st.Run("BEGIN inv_user; END;"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM inv_log"), "1");
  ASSERT_EQ(st.Run("DROP TABLE inv_log"), 0);
}
