// The interpreter running programs over a SQLite host: values and operators, control
// flow, SQL with INTO, cursors, exceptions with the server's texts and stacks, stored
// procedures and packages with IN / OUT / IN OUT parameters, binds, triggers, and the
// refusal of what lies outside the subset.
#include <gtest/gtest.h>

#include "oci7/plsql/interp.h"
#include "tests/oci7/plsql/plsql_test_host.h"

using namespace tess::oci7::plsql;
using tess::oci7::plsql::testing::TestHost;

namespace {

class PlsqlRun : public ::testing::Test {
 protected:
  void SetUp() override {
    host.Sql("CREATE TABLE DEPT (DEPTNO NUMBER(2) PRIMARY KEY, DNAME VARCHAR2(14))");
    host.Sql(
        "CREATE TABLE EMP (EMPNO NUMBER(4) PRIMARY KEY, ENAME VARCHAR2(10), "
        "SAL NUMBER(7,2), HIREDATE DATE, DEPTNO NUMBER(2))");
    host.Sql("INSERT INTO DEPT VALUES (10, 'ACCOUNTING')");
    host.Sql("INSERT INTO DEPT VALUES (20, 'RESEARCH')");
    host.Sql("INSERT INTO EMP VALUES (7369, 'SMITH', 800, TO_DATE('17-12-1980','DD-MM-YYYY'), 20)");
    host.Sql("INSERT INTO EMP VALUES (7839, 'KING', 5000, TO_DATE('17-11-1981','DD-MM-YYYY'), 10)");
    host.Sql(
        "INSERT INTO EMP VALUES (7934, 'MILLER', 1300, TO_DATE('23-01-1982','DD-MM-YYYY'), 10)");
  }

  // Runs `body` after DBMS_OUTPUT.ENABLE in a block with `declarations`; gives what it
  // printed, or the error text.
  std::string Out(const std::string& declarations, const std::string& body) {
    // The body starts on line 4 when the declarations take one line.
    std::string text =
        "DECLARE\n" + declarations + "\nBEGIN dbms_output.enable;\n" + body + "\nEND;";
    std::string error = host.Run(runtime, text);
    std::string out = host.Output();
    return error.empty() ? out : error;
  }

  TestHost host;
  Runtime runtime;
};

}  // namespace

TEST_F(PlsqlRun, ValuesAndOperators) {
  EXPECT_EQ(Out("", "dbms_output.put_line(1 + 2 * 3 ** 2 || '/' || 7 / 2 || '/' || -7 mod 3);"),
            "19/3.5/-1");
  // NULL propagates; three-valued logic; '' is NULL.
  EXPECT_EQ(Out("n NUMBER; b BOOLEAN;",
                "IF n + 1 IS NULL THEN dbms_output.put_line('null'); END IF;\n"
                "b := n > 1 OR TRUE;\n"
                "IF b THEN dbms_output.put_line('true'); END IF;\n"
                "b := n > 1 AND TRUE;\n"
                "IF b IS NULL THEN dbms_output.put_line('unknown'); END IF;\n"
                "IF '' IS NULL THEN dbms_output.put_line('empty'); END IF;\n"
                "IF NOT (n = 1) THEN NULL; ELSE dbms_output.put_line('else'); END IF;"),
            "null|true|unknown|empty|else");
  EXPECT_EQ(Out("",
                "dbms_output.put_line(CASE WHEN 'abc' LIKE 'a_c%' THEN 'like' END || "
                "CASE WHEN 5 BETWEEN 1 AND 5 THEN '+between' END || "
                "CASE WHEN 3 IN (1, NULL) THEN 'in' ELSE '+notin' END);"),
            "like+between+notin");
  // SQL functions go through the dialect; dates carry the session format.
  EXPECT_EQ(Out("d DATE := TO_DATE('2024-01-31', 'YYYY-MM-DD');",
                "dbms_output.put_line(UPPER(SUBSTR('hello', 2, 3)) || ' ' || (d + 1) || ' ' || "
                "TO_CHAR(ADD_MONTHS(d, 1), 'YYYY-MM-DD') || ' ' || (d - DATE '2024-01-01'));"),
            "ELL 01-FEB-24 2024-02-29 30");
  // Assignments convert, round and check as the server does.
  EXPECT_EQ(Out("n NUMBER(5,2); i PLS_INTEGER; s VARCHAR2(20); c CHAR(4);",
                "n := '12.345'; i := 2.5; s := 42; c := 'ab';\n"
                "dbms_output.put_line(n || '|' || i || '|' || s || '|[' || c || ']');"),
            "12.35|3|42|[ab  ]");
  EXPECT_EQ(Out("s VARCHAR2(3);", "s := 'abcd';"),
            "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
            "ORA-06512: at line 4");
  EXPECT_EQ(Out("n NUMBER;", "n := 'x1';"),
            "ORA-06502: PL/SQL: numeric or value error: character to number conversion error\n"
            "ORA-06512: at line 4");
  EXPECT_EQ(Out("n NUMBER(3);", "n := 1000;"),
            "ORA-06502: PL/SQL: numeric or value error: number precision too large\n"
            "ORA-06512: at line 4");
  EXPECT_EQ(Out("n NUMBER := 0;", "n := 1 / n;"),
            "ORA-01476: divisor is equal to zero\nORA-06512: at line 4");
  EXPECT_EQ(Out("k CONSTANT NUMBER := 1;", "k := 2;"),
            "ORA-06550: PLS-00363: expression 'K' cannot be used as an assignment target\n"
            "ORA-06512: at line 4");
}

TEST_F(PlsqlRun, ControlFlow) {
  EXPECT_EQ(Out("i NUMBER := 0; s VARCHAR2(100);",
                "<<outer>> LOOP\n"
                "  i := i + 1;\n"
                "  FOR j IN REVERSE 1 .. 3 LOOP\n"
                "    CONTINUE WHEN j = 2;\n"
                "    s := s || i || j || ',';\n"
                "    EXIT outer WHEN i = 2 AND j = 1;\n"
                "  END LOOP;\n"
                "END LOOP;\n"
                "WHILE i < 5 LOOP i := i + 1; END LOOP;\n"
                "dbms_output.put_line(s || i);"),
            "13,11,23,21,5");
  EXPECT_EQ(Out("i NUMBER := 0;",
                "<<again>> i := i + 1;\n"
                "IF i < 3 THEN GOTO again; END IF;\n"
                "CASE i WHEN 1 THEN NULL; WHEN 3 THEN dbms_output.put_line('three'); END CASE;"),
            "three");
  EXPECT_EQ(Out("i NUMBER := 3;", "CASE i WHEN 1 THEN NULL; END CASE;"),
            "ORA-06592: CASE not found while executing CASE statement\nORA-06512: at line 4");
  // Bounds are taken once; an empty range runs nothing.
  EXPECT_EQ(Out("n NUMBER := 2;",
                "FOR k IN 1 .. n LOOP n := n + 1; dbms_output.put_line(k); END LOOP;\n"
                "FOR k IN 5 .. 1 LOOP dbms_output.put_line('never'); END LOOP;"),
            "1|2");
}

TEST_F(PlsqlRun, SqlWithIntoAndCursors) {
  EXPECT_EQ(Out("v_name emp.ename%TYPE; r emp%ROWTYPE; n NUMBER;",
                "SELECT ename INTO v_name FROM emp WHERE empno = 7839;\n"
                "SELECT * INTO r FROM emp WHERE empno = 7369;\n"
                "UPDATE emp SET sal = sal + 1 WHERE deptno = r.deptno OR ename = v_name;\n"
                "n := SQL%ROWCOUNT;\n"
                "dbms_output.put_line(v_name || ' ' || r.ename || ' ' || r.sal || ' ' || n);\n"
                "DELETE FROM emp WHERE empno = 1;\n"
                "IF SQL%NOTFOUND THEN dbms_output.put_line('none'); END IF;"),
            "KING SMITH 800 2|none");
  EXPECT_EQ(Out("n NUMBER;",
                "BEGIN SELECT sal INTO n FROM emp WHERE empno = 1;\n"
                "EXCEPTION WHEN NO_DATA_FOUND THEN dbms_output.put_line('ndf ' || SQLCODE); END;\n"
                "BEGIN SELECT sal INTO n FROM emp;\n"
                "EXCEPTION WHEN TOO_MANY_ROWS THEN dbms_output.put_line(SQLERRM); END;"),
            "ndf 100|ORA-01422: exact fetch returns more than requested number of rows");
  EXPECT_EQ(
      Out("CURSOR c(d NUMBER) IS SELECT ename, sal FROM emp WHERE deptno = d ORDER BY empno;\n"
          "  rec c%ROWTYPE; total NUMBER := 0;",
          "FOR r IN c(10) LOOP total := total + r.sal; END LOOP;\n"
          "OPEN c(20);\n"
          "LOOP FETCH c INTO rec; EXIT WHEN c%NOTFOUND;\n"
          "  dbms_output.put_line(rec.ename || ' ' || c%ROWCOUNT); END LOOP;\n"
          "CLOSE c;\n"
          "FOR r IN (SELECT dname FROM dept ORDER BY 1) LOOP dbms_output.put_line(r.dname); "
          "END LOOP;\n"
          "dbms_output.put_line(total || ' ' || CASE WHEN c%ISOPEN THEN 'open' ELSE 'closed' "
          "END);"),
      "SMITH 1|ACCOUNTING|RESEARCH|6301 closed");
  EXPECT_EQ(Out("CURSOR c IS SELECT 1 FROM dual;", "OPEN c; OPEN c;"),
            "ORA-06511: PL/SQL: cursor already open\nORA-06512: at line 4");
  EXPECT_EQ(Out("CURSOR c IS SELECT 1 FROM dual; n NUMBER;", "FETCH c INTO n;"),
            "ORA-01001: invalid cursor\nORA-06512: at line 4");
  EXPECT_EQ(
      Out("n NUMBER;",
          "EXECUTE IMMEDIATE 'INSERT INTO dept VALUES (:a, :b)' USING 30, 'SALES';\n"
          "EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM dept WHERE deptno >= :x' INTO n USING 20;\n"
          "dbms_output.put_line(n);"),
      "2");
}

TEST_F(PlsqlRun, ExceptionsAndTheirTexts) {
  EXPECT_EQ(Out("e EXCEPTION; f EXCEPTION; PRAGMA EXCEPTION_INIT(f, -20077);",
                "BEGIN RAISE e; EXCEPTION WHEN e THEN dbms_output.put_line(SQLCODE || ' ' || "
                "SQLERRM); END;\n"
                "BEGIN raise_application_error(-20077, 'custom'); EXCEPTION WHEN f THEN\n"
                "  dbms_output.put_line(SQLCODE || ' ' || SQLERRM); END;\n"
                "BEGIN\n"
                "  BEGIN RAISE no_data_found; EXCEPTION WHEN OTHERS THEN RAISE; END;\n"
                "EXCEPTION WHEN no_data_found THEN dbms_output.put_line('reraised'); END;"),
            "1 User-Defined Exception|-20077 ORA-20077: custom|reraised");
  EXPECT_EQ(Out("e EXCEPTION;", "RAISE e;"),
            "ORA-06510: PL/SQL: unhandled user-defined exception\nORA-06512: at line 4");
  // An exception raised in a declaration is not caught by the block's own handlers.
  EXPECT_EQ(Out("",
                "DECLARE x VARCHAR2(1) := 'long'; BEGIN NULL;\n"
                "EXCEPTION WHEN OTHERS THEN dbms_output.put_line('inner'); END;"),
            "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\n"
            "ORA-06512: at line 4");
  EXPECT_EQ(Out("", "raise_application_error(-1, 'x');"),
            "ORA-21000: error number argument to raise_application_error of -1 is out of range\n"
            "ORA-06512: at line 4");
}

TEST_F(PlsqlRun, StoredProceduresPackagesAndParameters) {
  ASSERT_TRUE(host.Create("CREATE PROCEDURE split_name(full IN VARCHAR2, first OUT VARCHAR2,\n"
                          "  rest OUT VARCHAR2, calls IN OUT NUMBER) IS\n"
                          "BEGIN\n"
                          "  first := SUBSTR(full, 1, INSTR(full, ' ') - 1);\n"
                          "  rest := SUBSTR(full, INSTR(full, ' ') + 1);\n"
                          "  calls := NVL(calls, 0) + 1;\n"
                          "END;")
                  .empty());
  ASSERT_TRUE(host.Create("CREATE PROCEDURE caller(who VARCHAR2, result OUT VARCHAR2) IS\n"
                          "  a VARCHAR2(20); b VARCHAR2(20); n NUMBER := 5;\n"
                          "BEGIN\n"
                          "  split_name(who, a, b, n);\n"
                          "  result := b || ', ' || a || ' #' || n;\n"
                          "END caller;")
                  .empty());
  ASSERT_TRUE(
      host.Create("CREATE FUNCTION fact(n NUMBER) RETURN NUMBER IS\n"
                  "BEGIN\n  IF n <= 1 THEN RETURN 1; END IF;\n  RETURN n * fact(n - 1);\nEND;")
          .empty());
  ASSERT_TRUE(host.Create("CREATE PACKAGE counter AS\n"
                          "  hits NUMBER := 0;\n"
                          "  PROCEDURE bump(amount NUMBER := 1);\n"
                          "  PROCEDURE bump(label VARCHAR2);\n"
                          "  FUNCTION describe(x NUMBER) RETURN VARCHAR2;\n"
                          "  FUNCTION describe(x VARCHAR2) RETURN VARCHAR2;\n"
                          "  FUNCTION broken RETURN NUMBER;\n"
                          "END;")
                  .empty());
  ASSERT_TRUE(
      host.Create("CREATE PACKAGE BODY counter AS\n"
                  "  started NUMBER := 0;\n"
                  "  PROCEDURE bump(amount NUMBER := 1) IS BEGIN hits := hits + amount; END;\n"
                  "  PROCEDURE bump(label VARCHAR2) IS BEGIN hits := hits + 100; END;\n"
                  "  FUNCTION describe(x NUMBER) RETURN VARCHAR2 IS BEGIN RETURN 'number'; END;\n"
                  "  FUNCTION describe(x VARCHAR2) RETURN VARCHAR2 IS BEGIN RETURN 'text'; END;\n"
                  "  FUNCTION broken RETURN NUMBER IS BEGIN NULL; END;\n"
                  "BEGIN\n  started := started + 1;\n  hits := 10 * started;\nEND counter;")
          .empty());
  EXPECT_EQ(Out("r VARCHAR2(40);",
                "caller('Ada Lovelace', r);\n"
                "dbms_output.put_line(r || ' ' || fact(5));\n"
                "counter.bump; counter.bump(amount => 5); counter.bump('x');\n"
                "dbms_output.put_line(counter.hits || ' ' || counter.describe(1) || ' ' || "
                "counter.describe('a'));"),
            "Lovelace, Ada #6 120|116 number text");
  // Package state lives on between calls until it is reset.
  EXPECT_EQ(Out("", "counter.bump; dbms_output.put_line(counter.hits);"), "117");
  runtime.ResetPackage("DEMO", "COUNTER");
  EXPECT_EQ(Out("", "dbms_output.put_line(counter.hits);"), "10");
  EXPECT_EQ(Out("n NUMBER;", "n := counter.broken;"),
            "ORA-06503: PL/SQL: Function returned without value\n"
            "ORA-06512: at \"DEMO.COUNTER\", line 7\nORA-06512: at line 4");
  EXPECT_EQ(Out("", "split_name('x');"),
            "ORA-06550: PLS-00306: wrong number or types of arguments in call to 'SPLIT_NAME'\n"
            "ORA-06512: at line 4");
  EXPECT_EQ(Out("", "nosuch_proc(1);"),
            "ORA-06550: PLS-00201: identifier 'NOSUCH_PROC' must be declared\n"
            "ORA-06512: at line 4");
  // An error raised deep down carries every unit it passed, innermost first.
  ASSERT_TRUE(host.Create("CREATE PROCEDURE inner_p IS\nBEGIN\n  raise_application_error(-20001, "
                          "'deep');\nEND;")
                  .empty());
  ASSERT_TRUE(host.Create("CREATE PROCEDURE outer_p IS\nBEGIN\n  NULL;\n  inner_p;\nEND;").empty());
  EXPECT_EQ(Out("", "outer_p;"),
            "ORA-20001: deep\nORA-06512: at \"DEMO.INNER_P\", line 3\n"
            "ORA-06512: at \"DEMO.OUTER_P\", line 4\nORA-06512: at line 4");
}

TEST_F(PlsqlRun, BindsCursorVariablesAndServerOutput) {
  host.binds["X"] = Value::Num(2);
  host.binds["Y"] = Value();
  host.binds["C"] = Value();
  EXPECT_EQ(host.Run(runtime,
                     "BEGIN :y := :x * 21 || 'z';\n"
                     "  OPEN :c FOR SELECT ename FROM emp WHERE sal > :x * 1000 ORDER BY 1;\n"
                     "END;"),
            "");
  EXPECT_EQ(host.binds["Y"].text, "42z");
  ASSERT_EQ(host.binds["C"].kind, Value::Cursor);
  std::vector<Value> row;
  std::vector<std::string> names;
  while (host.binds["C"].cursor->statement->Fetch(row)) names.push_back(row[0].text);
  EXPECT_EQ(names, (std::vector<std::string>{"KING"}));
  EXPECT_EQ(host.Run(runtime, "BEGIN :nope := 1; END;"),
            "ORA-01008: not all variables bound\n"
            "ORA-06512: at line 1");

  // GET_LINES fills a table and says how many it filled.
  host.binds["LINES"] = Value();
  host.binds["N"] = Value::Num(10);
  EXPECT_EQ(host.Run(runtime,
                     "BEGIN dbms_output.enable(100);\n"
                     "  dbms_output.put('a'); dbms_output.put('b'); dbms_output.new_line;\n"
                     "  dbms_output.put_line('c');\n"
                     "  dbms_output.get_lines(:lines, :n);\n"
                     "  dbms_lock.sleep(0.5);\n"
                     "END;"),
            "");
  ASSERT_EQ(host.binds["LINES"].kind, Value::Table);
  EXPECT_EQ(host.binds["LINES"].table->elements.size(), 2u);
  EXPECT_EQ(host.binds["N"].number, 2);
  EXPECT_EQ(host.calls.back(), "sleep 0.500000");
  host.Output();
  // The buffer's limit is the host's; its error reaches the program as ORA-20000.
  EXPECT_EQ(Out("",
                "dbms_output.enable(2000);\n"
                "FOR i IN 1 .. 300 LOOP dbms_output.put_line('0123456789'); END LOOP;"),
            "ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes\nORA-06512: at line 5");
}

TEST_F(PlsqlRun, Triggers) {
  ASSERT_TRUE(host.Create("CREATE TRIGGER emp_biu BEFORE INSERT OR UPDATE OF sal ON emp\n"
                          "FOR EACH ROW WHEN (new.sal > 100)\n"
                          "BEGIN\n"
                          "  IF INSERTING THEN :new.ename := UPPER(:new.ename); END IF;\n"
                          "  IF UPDATING('SAL') AND :new.sal < :old.sal THEN\n"
                          "    raise_application_error(-20002, 'no pay cuts');\n"
                          "  END IF;\n"
                          "  :new.sal := ROUND(:new.sal);\n"
                          "END;")
                  .empty());
  auto trigger = host.Stored("EMP_BIU", UnitKind::Trigger);
  ASSERT_TRUE(trigger);
  TriggerRow row;
  row.columns = {"EMPNO", "ENAME", "SAL"};
  row.newValues = {Value::Num(1), Value::Str("adams"), Value::Num(1100.4)};
  EXPECT_TRUE(runtime.TriggerCondition(host, *trigger, TriggerEvent::Insert, row));
  runtime.FireTrigger(host, *trigger, TriggerEvent::Insert, &row);
  EXPECT_EQ(row.newValues[1].text, "ADAMS");
  EXPECT_EQ(row.newValues[2].number, 1100);

  TriggerRow update;
  update.columns = row.columns;
  update.oldValues = {Value::Num(1), Value::Str("ADAMS"), Value::Num(1100)};
  update.newValues = {Value::Num(1), Value::Str("ADAMS"), Value::Num(900)};
  update.updatedColumns = {"SAL"};
  try {
    runtime.FireTrigger(host, *trigger, TriggerEvent::Update, &update);
    ADD_FAILURE() << "the trigger let a pay cut through";
  } catch (const tess::oci7::OraError& e) {
    EXPECT_EQ(e.message,
              "ORA-20002: no pay cuts\nORA-06512: at \"DEMO.EMP_BIU\", line 6\n"
              "ORA-04088: error during execution of trigger 'DEMO.EMP_BIU'");
  }
  update.newValues[2] = Value::Num(50);
  EXPECT_FALSE(runtime.TriggerCondition(host, *trigger, TriggerEvent::Update, update));
}

TEST_F(PlsqlRun, OutsideTheSubsetIsRefused) {
  std::vector<Message> m = host.Create(
      "CREATE PROCEDURE p IS\n  TYPE t IS VARRAY(3) OF NUMBER;\n"
      "  PRAGMA AUTONOMOUS_TRANSACTION;\n  ids DBMS_SQL.NUMBER_TABLE;\n"
      "BEGIN\n  SELECT empno BULK COLLECT INTO ids FROM emp;\n"
      "  FORALL i IN 1 .. 2 DELETE FROM emp WHERE empno = ids(i);\nEND;");
  std::vector<std::string> seen;
  for (const Message& x : m)
    seen.push_back(std::to_string(x.line) + "/" + std::to_string(x.position) + " " +
                   x.text.substr(x.text.find(") ") + 2));
  EXPECT_EQ(seen, (std::vector<std::string>{"2/3 VARRAY types", "3/3 autonomous transactions",
                                            "6/3 BULK COLLECT", "7/3 FORALL"}));
  EXPECT_EQ(host.Create("CREATE TYPE point_t AS OBJECT (x NUMBER)").size(), 1u);
  EXPECT_EQ(Out("", "dbms_output.put_line(CAST(1 AS VARCHAR2(5)));"),
            "PLS-00999: implementation restriction (may be temporary) CAST");
  EXPECT_EQ(Out("n NUMBER;", "n := DECODE(1, 1, 2);"),
            "ORA-06550: PLS-00204: function or pseudo-column 'DECODE' may be used inside a SQL "
            "statement only\nORA-06512: at line 4");
}

TEST_F(PlsqlRun, TablesRecordsAndLocalSubprograms) {
  EXPECT_EQ(Out("TYPE num_tab IS TABLE OF NUMBER INDEX BY BINARY_INTEGER;\n"
                "  TYPE emp_rec IS RECORD (name VARCHAR2(10), pay NUMBER := 7);\n"
                "  t num_tab; r emp_rec; r2 emp_rec;",
                "t(5) := 50; t(1) := 10; t(3) := 30;\n"
                "dbms_output.put_line(t.COUNT || ' ' || t.FIRST || ' ' || t.LAST || ' ' || "
                "t.NEXT(1) || ' ' || t.PRIOR(5) || ' ' || NVL(TO_CHAR(t.NEXT(5)), 'none'));\n"
                "t.DELETE(3);\n"
                "IF NOT t.EXISTS(3) THEN dbms_output.put_line('gone ' || t.COUNT); END IF;\n"
                "r.name := 'x'; r2 := r; r.name := 'y';\n"
                "dbms_output.put_line(r2.name || r.name || r2.pay);\n"
                "t.DELETE; dbms_output.put_line(t.COUNT || NVL(TO_CHAR(t.FIRST), 'null'));"),
            "3 1 5 3 3 none|gone 2|xy7|0null");
  // A field keeps its type's default, precision and NOT NULL.
  const std::string notNull = "TYPE r_t IS RECORD (n NUMBER(2) NOT NULL := 1); r r_t;";
  EXPECT_EQ(Out(notNull, "dbms_output.put_line(r.n); r.n := 9.6; dbms_output.put_line(r.n);"),
            "1|10");
  EXPECT_EQ(Out(notNull, "r.n := NULL;"),
            "ORA-06502: PL/SQL: numeric or value error\nORA-06512: at line 4");
  // Reading an element never assigned is NO_DATA_FOUND.
  EXPECT_EQ(Out("TYPE t_t IS TABLE OF VARCHAR2(5) INDEX BY BINARY_INTEGER; t t_t; s VARCHAR2(5);",
                "t(1) := 'a'; s := t(2);"),
            "ORA-01403: no data found\nORA-06512: at line 4");
  // Forward declarations, mutual recursion, defaults and named notation.
  EXPECT_EQ(Out("PROCEDURE b(n NUMBER);\n"
                "  PROCEDURE a(n NUMBER) IS BEGIN IF n > 0 THEN dbms_output.put('a' || n); "
                "b(n - 1); END IF; END;\n"
                "  PROCEDURE b(n NUMBER) IS BEGIN IF n > 0 THEN dbms_output.put('b' || n); "
                "a(n - 1); END IF; END;\n"
                "  FUNCTION f(x NUMBER, y NUMBER := 10) RETURN NUMBER IS BEGIN RETURN x - y; END;",
                "a(3); dbms_output.new_line;\n"
                "dbms_output.put_line(f(1) || ' ' || f(y => 1, x => 5));"),
            "a3b2a1|-9 4");
  // A loop index hides the variable of the same name only inside the loop.
  EXPECT_EQ(Out("i NUMBER := 7;", "FOR i IN 1 .. 2 LOOP NULL; END LOOP; dbms_output.put_line(i);"),
            "7");
  // An OUT parameter is passed back only when the procedure ends normally.
  EXPECT_EQ(Out("n NUMBER := 1;\n"
                "  PROCEDURE p(x OUT NUMBER) IS BEGIN x := 2; RAISE zero_divide; END;",
                "BEGIN p(n); EXCEPTION WHEN zero_divide THEN dbms_output.put_line(n); END;"),
            "1");
}

TEST_F(PlsqlRun, HandlersAndPropagation) {
  // An exception raised in a handler leaves the block: its sibling handlers do not see it.
  EXPECT_EQ(Out("",
                "BEGIN\n"
                "  BEGIN RAISE no_data_found;\n"
                "  EXCEPTION WHEN no_data_found THEN RAISE zero_divide;\n"
                "            WHEN zero_divide THEN dbms_output.put_line('wrong'); END;\n"
                "EXCEPTION WHEN zero_divide OR value_error THEN dbms_output.put_line('outer ' || "
                "SQLCODE); END;\n"
                "dbms_output.put_line(SQLCODE || ' ' || SQLERRM(-1403));"),
            "outer -1476|0 ORA-01403: no data found");
  // A key violation reaches DUP_VAL_ON_INDEX; the failed statement changed nothing.
  EXPECT_EQ(Out("n NUMBER;",
                "BEGIN INSERT INTO dept VALUES (10, 'AGAIN');\n"
                "EXCEPTION WHEN dup_val_on_index THEN dbms_output.put_line('dup'); END;\n"
                "SELECT COUNT(*) INTO n FROM dept; dbms_output.put_line(n);"),
            "dup|2");
  // A block-local exception escaping its block is caught only by OTHERS.
  EXPECT_EQ(Out("",
                "BEGIN DECLARE mine EXCEPTION; BEGIN RAISE mine; END;\n"
                "EXCEPTION WHEN OTHERS THEN dbms_output.put_line(SQLCODE); END;"),
            "1");
  EXPECT_EQ(host.calls, std::vector<std::string>{});
  EXPECT_EQ(Out("", "SAVEPOINT s1; DELETE FROM emp; ROLLBACK TO s1; COMMIT;"), "");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"savepoint S1", "rollback S1", "commit"}));
}

TEST_F(PlsqlRun, CharComparesBlankPadded) {
  // CHAR values and literals compare as if blank-padded; VARCHAR2 values do not.
  EXPECT_EQ(Out("c CHAR(5) := 'ab'; v VARCHAR2(5) := 'ab';",
                "IF c = 'ab' THEN dbms_output.put('1'); END IF;\n"
                "IF c = v THEN dbms_output.put('2'); END IF;\n"
                "IF 'ab ' = 'ab' THEN dbms_output.put('3'); END IF;\n"
                "IF v = 'ab' THEN dbms_output.put('4'); END IF;\n"
                "IF 'a' < 'a ' || 'x' THEN dbms_output.put('5'); END IF;\n"
                "dbms_output.new_line;"),
            "1345");
}

// The depth a program may recurse to is measured on the thread's real stack.
TEST(StackRoom, IsMeasuredOnThisThread) {
  size_t room = tess::oci7::StackRoom();
  EXPECT_GT(room, kStackReserve);
  EXPECT_LT(room, size_t{1} << 30);
}

// A query reads the rows as they were when it was opened, whatever the loop writes.
TEST_F(PlsqlRun, OpenQueriesKeepTheirRows) {
  host.Sql("CREATE TABLE keys (k NUMBER PRIMARY KEY)");
  for (int k = 1; k <= 3; ++k) host.Sql("INSERT INTO keys VALUES (" + std::to_string(k) + ")");
  // Moving each row ahead of the scan, and adding rows behind it, visits each once.
  EXPECT_EQ(Out("n NUMBER := 0;",
                "FOR r IN (SELECT k FROM keys WHERE k > 0 ORDER BY k) LOOP\n"
                "  n := n + 1; EXIT WHEN n > 50;\n"
                "  UPDATE keys SET k = k + 10 WHERE k = r.k;\n"
                "  INSERT INTO keys VALUES (r.k + 100);\n"
                "END LOOP;\n"
                "dbms_output.put_line(n);"),
            "3");
  // Opened before a DELETE, fetched after it.
  EXPECT_EQ(Out("CURSOR c IS SELECT k FROM keys ORDER BY k; v NUMBER; n NUMBER := 0;",
                "OPEN c; DELETE FROM keys;\n"
                "LOOP FETCH c INTO v; EXIT WHEN c%NOTFOUND; n := n + 1; END LOOP; CLOSE c;\n"
                "dbms_output.put_line(n || ' ' || v);"),
            "6 103");
}
