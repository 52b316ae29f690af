// PL/SQL blocks through the call interface: server output, cursor variables, expressions
// and compile errors.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Plsql : public DatabaseSuite<"PLSQL"> {
 protected:
  void SetUp() override { ASSERT_EQ(conn_.Logon("demo/demo@plsql"), 0); }
  Connection conn_;
};

// Reads server output as the program does: GET_LINE until the status is 1.
std::vector<std::string> ReadOutput(Connection& c) {
  std::vector<std::string> lines;
  Statement get(c);
  EXPECT_EQ(get.Parse("BEGIN DBMS_OUTPUT.GET_LINE(:P_LINE,:P_STATUS); END;"), 0);
  get.BindText("P_LINE", std::nullopt, 2000);
  get.BindText("P_STATUS", std::nullopt, 40);
  for (int guard = 0; guard < 1000; ++guard) {
    EXPECT_EQ(get.Exec(), 0) << get.Error();
    if (get.OutText(1) != "0") {
      EXPECT_EQ(get.OutText(1), "1");
      break;
    }
    lines.push_back(get.OutText(0).value_or(""));
  }
  return lines;
}

}  // namespace

TEST_F(Plsql, ServerOutputLinesInOrder) {
  Statement st(conn_);
  // Disabled: output is dropped and GET_LINE answers status 1 at once.
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.PUT_LINE('lost'); END;"), 0) << st.Error();
  EXPECT_TRUE(ReadOutput(conn_).empty());

  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.ENABLE(10000); END;"), 0) << st.Error();
  ASSERT_EQ(st.Run("BEGIN\n  DBMS_OUTPUT.PUT_LINE('first');\n  DBMS_OUTPUT.PUT('a');\n"
                   "  DBMS_OUTPUT.PUT('b' || 1);\n  DBMS_OUTPUT.NEW_LINE;\n"
                   "  DBMS_OUTPUT.PUT_LINE(NULL);\n  DBMS_OUTPUT.PUT_LINE(2.50);\nEND;"),
            0)
      << st.Error();
  EXPECT_EQ(ReadOutput(conn_), (std::vector<std::string>{"first", "ab1", "", "2.5"}));
  EXPECT_TRUE(ReadOutput(conn_).empty());

  // A partial line is not readable until its NEW_LINE.
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.PUT('half'); END;"), 0);
  EXPECT_TRUE(ReadOutput(conn_).empty());
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.NEW_LINE; END;"), 0);
  EXPECT_EQ(ReadOutput(conn_), (std::vector<std::string>{"half"}));

  // The buffer limit is Oracle's error, and DISABLE drops what is buffered.
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.ENABLE(2000); END;"), 0);
  std::string block = "BEGIN ";
  for (int i = 0; i < 30; ++i) block += "DBMS_OUTPUT.PUT_LINE(RPAD('x', 100, 'x')); ";
  block += "END;";
  EXPECT_EQ(st.Run(block), 20000);
  EXPECT_NE(st.Error().find("ORU-10027: buffer overflow, limit of 2000 bytes"), std::string::npos);
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.DISABLE; END;"), 0);
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.ENABLE; END;"), 0);
  EXPECT_TRUE(ReadOutput(conn_).empty());
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.DISABLE; END;"), 0);
}

TEST_F(Plsql, CursorVariableIsFetchableWithoutOpenOrParse) {
  const Api& o = Oci();
  Statement st(conn_);
  ASSERT_EQ(
      st.Parse(
          "BEGIN OPEN :c FOR SELECT ename, sal FROM emp WHERE deptno = :d ORDER BY ename; END;"),
      0)
      << st.Error();
  Area cv;
  ASSERT_EQ(o.obndra(st.cda(), T(":C"), -1, reinterpret_cast<ub1*>(&cv.cda), -1, kExtCursor, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, 0),
            0);
  ASSERT_EQ(st.BindText("D", "10"), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(cv.cda.ft, 4);

  sb4 dbsize, cbufl = 31, dsize;
  sb2 dbtype, prec, scale, nullok;
  sb1 name[32];
  ASSERT_EQ(o.odescr(&cv, 1, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name), static_cast<size_t>(cbufl)), "ENAME");
  cbufl = 31;
  ASSERT_EQ(o.odescr(&cv, 2, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 0);
  EXPECT_EQ(dbtype, 2);
  EXPECT_EQ(o.odescr(&cv, 3, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 1007);

  char names[2][12];
  ub2 lens[2];
  ASSERT_EQ(o.odefin(&cv, 1, reinterpret_cast<ub1*>(names), 12, kExtVarchar2, -1, nullptr, nullptr,
                     -1, -1, lens, nullptr),
            0);
  EXPECT_EQ(o.ofen(&cv, 2), 0);
  EXPECT_EQ(cv.cda.rpc, 2u);
  EXPECT_EQ(std::string(names[0], lens[0]), "CLARK");
  EXPECT_EQ(std::string(names[1], lens[1]), "KING");
  EXPECT_EQ(o.ofen(&cv, 2), kOraNoDataFound);
  EXPECT_EQ(cv.cda.rpc, 3u);
  EXPECT_EQ(std::string(names[0], lens[0]), "MILLER");

  // Running the parent again frees the old cursor variable and opens a new one.
  Area stale;
  std::memcpy(&stale.cda, &cv.cda, sizeof(CdaDef));
  std::memset(&cv.cda, 0, sizeof(CdaDef));
  ASSERT_EQ(st.Exec(), 0);
  EXPECT_EQ(o.ofen(&stale, 1), 1001);
  ASSERT_EQ(o.odefin(&cv, 1, reinterpret_cast<ub1*>(names), 12, kExtVarchar2, -1, nullptr, nullptr,
                     -1, -1, lens, nullptr),
            0);
  EXPECT_EQ(o.ofen(&cv, 1), 0);
  EXPECT_EQ(std::string(names[0], lens[0]), "CLARK");
  // Closing the parent frees it too.
  ASSERT_EQ(st.Close(), 0);
  EXPECT_EQ(o.ofen(&cv, 1), 1001);
}

TEST_F(Plsql, ExpressionsAndSqlInBlocks) {
  Statement st(conn_);
  ASSERT_EQ(st.Parse("BEGIN\n  :a := :a + 1;\n  :u := UPPER('x') || USER;\n"
                     "  SELECT ename, hiredate INTO :n, :h FROM emp WHERE empno = :a;\n"
                     "  UPDATE emp SET comm = 1 WHERE empno = :a;\nEND;"),
            0)
      << st.Error();
  ASSERT_EQ(st.BindText("A", "7368"), 0);
  ASSERT_EQ(st.BindText("U", std::nullopt, 20), 0);
  ASSERT_EQ(st.BindText("N", std::nullopt, 20), 0);
  ASSERT_EQ(st.BindText("H", std::nullopt, 20), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(0), "7369");
  EXPECT_EQ(st.OutText(1), "XDEMO");
  EXPECT_EQ(st.OutText(2), "SMITH");
  EXPECT_EQ(st.OutText(3), "17-DEC-80");
  Statement q(conn_);
  EXPECT_EQ(q.Value("SELECT comm FROM emp WHERE empno = 7369"), "1");
  ASSERT_EQ(Oci().orol(conn_.lda()), 0);
  // No row for SELECT INTO: Oracle's 1403 with the line.
  ASSERT_EQ(st.BindText("A", "1"), 0);
  EXPECT_EQ(st.Exec(), 1403);
  EXPECT_NE(st.Error().find("ORA-06512: at line 4"), std::string::npos) << st.Error();
  // Runtime errors of expressions.
  EXPECT_EQ(st.Run("BEGIN DBMS_OUTPUT.PUT_LINE(TO_NUMBER('abc')); END;"), 1722);
}

TEST_F(Plsql, CompileErrorsGiveLineColumnAndOffset) {
  Statement st(conn_);
  std::string block = "BEGIN\n  NULL;\n  frobnicate(1);\nEND;";
  EXPECT_EQ(st.Parse(block), 6550);
  EXPECT_EQ(st.cda()->peo, block.find("frobnicate"));
  std::string text = st.Error();
  EXPECT_NE(text.find("ORA-06550: line 3, column 3:"), std::string::npos) << text;
  EXPECT_NE(text.find("PLS-00201: identifier 'FROBNICATE' must be declared"), std::string::npos);
  EXPECT_EQ(st.Parse("BEGIN NULL END;"), 6550);
  EXPECT_EQ(st.Parse("BEGIN NULL;"), 6550);
  EXPECT_EQ(st.Parse("BEGIN :x := ; END;"), 6550);
  EXPECT_EQ(st.Parse("BEGIN DBMS_OUTPUT.PUT_LINE('a', 'b'); END;"), 6550);
  // A cursor variable bound with another type is refused when the block runs.
  ASSERT_EQ(st.Parse("BEGIN OPEN :c FOR SELECT 1 FROM dual; END;"), 0);
  ASSERT_EQ(st.BindText("C", std::nullopt), 0);
  EXPECT_EQ(st.Exec(), 6550);
}

// A stored procedure's OUT cursor reaches the caller's cursor area; a local REF CURSOR
// is fetched in the block itself.
TEST_F(Plsql, CursorVariablesThroughStoredProcedures) {
  const Api& o = Oci();
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE OR REPLACE PROCEDURE open_dept(d NUMBER, c OUT SYS_REFCURSOR) IS\n"
                   "BEGIN\n  OPEN c FOR SELECT ename FROM emp WHERE deptno = d ORDER BY ename;\n"
                   "END;"),
            0)
      << st.Error();
  Statement call(conn_);
  ASSERT_EQ(call.Parse("BEGIN open_dept(10, :c); END;"), 0) << call.Error();
  Area cv;
  ASSERT_EQ(o.obndra(call.cda(), T(":C"), -1, reinterpret_cast<ub1*>(&cv.cda), -1, kExtCursor, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, 0),
            0);
  ASSERT_EQ(call.Exec(), 0) << call.Error();
  char names[3][12];
  ub2 lens[3];
  ASSERT_EQ(o.odefin(&cv, 1, reinterpret_cast<ub1*>(names), 12, kExtVarchar2, -1, nullptr, nullptr,
                     -1, -1, lens, nullptr),
            0);
  EXPECT_EQ(o.ofen(&cv, 3), 0);
  EXPECT_EQ(std::string(names[0], lens[0]), "CLARK");
  EXPECT_EQ(std::string(names[2], lens[2]), "MILLER");

  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.ENABLE; END;"), 0);
  ASSERT_EQ(st.Run("DECLARE\n  TYPE cur_t IS REF CURSOR;\n  c cur_t;\n  n VARCHAR2(10);\n"
                   "  total NUMBER := 0;\nBEGIN\n"
                   "  OPEN c FOR 'SELECT ename FROM emp WHERE deptno = :d' USING 20;\n"
                   "  LOOP FETCH c INTO n; EXIT WHEN c%NOTFOUND; total := total + 1; END LOOP;\n"
                   "  CLOSE c;\n  DBMS_OUTPUT.PUT_LINE(total);\nEND;"),
            0)
      << st.Error();
  EXPECT_EQ(ReadOutput(conn_), std::vector<std::string>{"5"});
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.DISABLE; END;"), 0);
}

// Dynamic SQL, DDL in a block, and what lies outside the subset refused at parse.
TEST_F(Plsql, DynamicSqlAndTheSubsetsEdge) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("BEGIN\n  EXECUTE IMMEDIATE 'CREATE TABLE dyn (a NUMBER)';\n"
                   "  EXECUTE IMMEDIATE 'INSERT INTO dyn VALUES (:1)' USING 7;\n"
                   "  COMMIT;\nEND;"),
            0)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT a FROM dyn"), "7");
  ASSERT_EQ(st.Run("DROP TABLE dyn"), 0);
  std::string block = "DECLARE\n  TYPE t IS TABLE OF NUMBER;\nBEGIN\n  NULL;\nEND;";
  EXPECT_EQ(st.Parse(block), 6550);
  EXPECT_NE(st.Error().find("ORA-06550: line 2, column 3:\nPLS-00999: implementation restriction"),
            std::string::npos)
      << st.Error();
  EXPECT_EQ(st.Parse("BEGIN FORALL i IN 1 .. 2 DELETE FROM emp WHERE empno = i; END;"), 6550);
  // A PL/SQL table bound from the caller, filled by the block.
  char lines[3][20];
  ub2 lens[3] = {0, 0, 0};
  sb2 inds[3] = {0, 0, 0};
  ub4 count = 0;
  ASSERT_EQ(st.Parse("BEGIN DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT_LINE('x'); "
                     "DBMS_OUTPUT.PUT_LINE('y'); DBMS_OUTPUT.GET_LINES(:l, :n); END;"),
            0);
  ASSERT_EQ(Oci().obndra(st.cda(), T(":L"), -1, reinterpret_cast<ub1*>(lines), 20, kExtVarchar2, -1,
                         inds, lens, nullptr, 3, &count, nullptr, -1, -1),
            0);
  ASSERT_EQ(st.BindText("N", "3", 10), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(std::string(lines[1], lens[1]), "y");
  ASSERT_EQ(st.Run("BEGIN DBMS_OUTPUT.DISABLE; END;"), 0);
}
