// The call interface through the loaded library: logon, parse, bind, describe, define,
// fetch, execute, transactions, errors and bad input, on a fresh database.
#include <random>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Calls : public DatabaseSuite<"CALLS"> {
 protected:
  void SetUp() override {
    ASSERT_EQ(conn_.Logon("demo/demo@calls"), 0) << conn_.Message(conn_.lda()->rc);
  }
  Connection conn_;
};

struct Described {
  std::string name;
  int type, size, dsize, prec, scale, nullok;
};

std::vector<Described> DescribeAll(Statement& st) {
  std::vector<Described> out;
  for (int pos = 1;; ++pos) {
    sb4 dbsize = -1, cbufl = 31, dsize = -1;
    sb2 dbtype = -1, prec = -1, scale = -1, nullok = -1;
    sb1 name[32] = {};
    int rc =
        Oci().odescr(st.cda(), pos, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok);
    if (rc == kOraNotInSelectList) break;
    EXPECT_EQ(rc, 0);
    if (rc) break;
    out.push_back({std::string(reinterpret_cast<char*>(name), static_cast<size_t>(cbufl)), dbtype,
                   dbsize, dsize, prec, scale, nullok});
  }
  return out;
}

}  // namespace

TEST_F(Calls, LogonFailuresAnswerOracleCodesAndTexts) {
  Connection c;
  EXPECT_EQ(c.Logon("demo/wrong@calls"), 1017);
  EXPECT_EQ(c.Message(1017), "ORA-01017: invalid username/password; logon denied");
  EXPECT_EQ(c.Logon("nobody/demo@calls"), 1017);
  EXPECT_EQ(c.Logon("demo/@calls"), 1005);
  EXPECT_EQ(c.Logon("demo@calls"), 1005);
  EXPECT_EQ(c.Logon("demo/demo@nowhere"), 12154);
  EXPECT_EQ(c.Logon("demo/demo@../calls"), 12154);  // no path through the server name
  EXPECT_EQ(c.Message(12154), "ORA-12154: TNS:could not resolve service name");
  // The user name folds to upper case, the password is not case-sensitive, the server
  // part may carry blanks.
  EXPECT_EQ(c.Logon("Demo/DeMo@  calls  "), 0);
  Statement st(c);
  EXPECT_EQ(st.Value("SELECT USER FROM DUAL"), "DEMO");
  EXPECT_EQ(c.Logoff(), 0);
  // The DBA account of a new database.
  EXPECT_EQ(c.Logon("system/manager@calls"), 0);
  // A logged-off area answers "not logged on".
  Connection d;
  EXPECT_EQ(d.Logon("demo/demo@calls"), 0);
  EXPECT_EQ(d.Logoff(), 0);
  EXPECT_EQ(Oci().ocom(d.lda()), 1012);
  EXPECT_EQ(Oci().ologof(d.lda()), 1012);
}

TEST_F(Calls, ErrorTextsAreCutToTheBuffer) {
  Statement st(conn_);
  EXPECT_EQ(st.Parse("SELECT * FROM NO_SUCH_TABLE"), 942);
  char small[12];
  std::memset(small, 'x', sizeof small);
  Oci().oerhms(conn_.lda(), 942, reinterpret_cast<text*>(small), sizeof small);
  EXPECT_EQ(std::string(small), "ORA-00942: ");
  EXPECT_EQ(conn_.Message(942), "ORA-00942: table or view does not exist");
  EXPECT_EQ(conn_.Message(1403), "ORA-01403: no data found");
}

TEST_F(Calls, ParseSetsFunctionTypeAndErrorOffsetInTheOriginalText) {
  Statement st(conn_);
  EXPECT_EQ(st.Parse("select ename from emp"), 0);
  EXPECT_EQ(st.cda()->ft, 4);
  EXPECT_EQ(st.Parse("update emp set sal = sal where 1 = 0"), 0);
  EXPECT_EQ(st.cda()->ft, 5);
  EXPECT_EQ(st.Parse("BEGIN NULL; END;"), 0);
  EXPECT_EQ(st.cda()->ft, 34);
  EXPECT_EQ(st.Parse("commit"), 0);
  EXPECT_EQ(st.cda()->ft, 54);
  // The offset is the caller's, even though the text SQLite saw was rewritten.
  std::string sql = "SELECT ename, nosuchcol FROM emp";
  EXPECT_EQ(st.Parse(sql), 904);
  EXPECT_EQ(st.cda()->peo, sql.find("nosuchcol"));
  sql = "SELECT ename FROM emp, nosuchtable";
  EXPECT_EQ(st.Parse(sql), 942);
  EXPECT_EQ(st.cda()->peo, sql.find("nosuchtable"));
  EXPECT_EQ(st.Parse("FROB THE TABLE"), 900);
  // A failed parse leaves no statement: execute answers that nothing was parsed.
  EXPECT_NE(st.Exec(), 0);
}

TEST_F(Calls, DescribeNamesTypesAndSizes) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE ALLTYPES (V VARCHAR2(20) NOT NULL, C CHAR(5), N NUMBER(7,2), "
                   "I NUMBER, D DATE, L LONG, R RAW(16))"),
            0)
      << st.Error();
  ASSERT_EQ(st.Parse("SELECT v, c, n, i, d, l, r, v || 'x', rowid FROM alltypes"), 0) << st.Error();
  auto cols = DescribeAll(st);
  ASSERT_EQ(cols.size(), 9u);
  EXPECT_EQ(cols[0].name, "V");
  EXPECT_EQ(cols[0].type, 1);
  EXPECT_EQ(cols[0].size, 20);
  EXPECT_EQ(cols[0].dsize, 20);
  EXPECT_EQ(cols[1].type, 96);
  EXPECT_EQ(cols[1].dsize, 5);
  EXPECT_EQ(cols[2].type, 2);
  EXPECT_EQ(cols[2].prec, 7);
  EXPECT_EQ(cols[2].scale, 2);
  EXPECT_EQ(cols[3].type, 2);
  EXPECT_EQ(cols[3].dsize, 40);
  EXPECT_EQ(cols[4].type, 12);
  EXPECT_EQ(cols[4].dsize, 9);  // DD-MON-YY
  EXPECT_EQ(cols[5].type, 8);
  EXPECT_EQ(cols[5].dsize, 0);
  EXPECT_EQ(cols[6].type, 23);
  EXPECT_EQ(cols[7].name, "V||'X'");
  EXPECT_EQ(cols[7].type, 1);
  EXPECT_GE(cols[7].dsize, 21);
  EXPECT_EQ(cols[8].type, 11);
  // Positions out of range.
  sb4 dbsize, cbufl = 31, dsize;
  sb2 dbtype, prec, scale, nullok;
  sb1 name[32];
  EXPECT_EQ(
      Oci().odescr(st.cda(), 0, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok),
      1007);
  EXPECT_EQ(
      Oci().odescr(st.cda(), 10, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok),
      1007);
  // A name longer than the caller's buffer is cut, never overrun.
  ASSERT_EQ(st.Parse("SELECT 1 AS ABCDEFGHIJKLMNOPQRSTUVWXYZ FROM DUAL"), 0);
  std::memset(name, '#', sizeof name);
  cbufl = 5;
  EXPECT_EQ(
      Oci().odescr(st.cda(), 1, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 0);
  EXPECT_EQ(cbufl, 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name), 6), "ABCDE#");
}

// An expression is described as wide as the text it can give, not as the widest VARCHAR2.
TEST_F(Calls, ExpressionsAreDescribedAsWideAsWhatTheyGive) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE WIDTHS (V VARCHAR2(20), C CHAR(5), N NUMBER, D DATE)"), 0)
      << st.Error();
  const std::pair<const char*, int> items[] = {
      {"'abc'", 3},
      {"UPPER(v)", 20},
      {"LTRIM(RTRIM(v))", 20},
      {"v || 'x'", 21},
      {"v || c", 25},
      {"CONCAT(v, c)", 25},
      {"'(' || v || NULL || ')'", 22},
      {"SUBSTR(v, 2, 5)", 5},
      {"SUBSTR(v, 2)", 20},
      {"SUBSTR(v, 1, 99)", 20},
      {"LPAD(c, 12)", 12},
      {"RPAD(v, 30, '*')", 30},
      {"NVL(v, c)", 20},
      {"NVL(c, 'abcdefghijklmnopqrstuvwxyz')", 26},
      {"DECODE(n, 1, v, 2, 'x', c)", 20},
      {"DECODE(n, 1, 'abcdefg', NULL)", 7},
      {"CASE WHEN n > 0 THEN c ELSE 'fourteen chars' END", 14},
      {"TO_CHAR(n)", 40},
      {"TO_CHAR(n, '9999.99')", 8},
      {"TO_CHAR(d, 'YYYY-MM-DD')", 10},
      {"TO_CHAR(d)", 9},
      {"v || d", 29},
      {"v || n", 60},
      {"USER", 30},
      {"CHR(65)", 1},
      {"MAX(v)", 20},
      {"(SELECT ENAME FROM EMP WHERE ROWNUM = 1)", 10},
      // Where the width varies beyond what can be told, the widest VARCHAR2.
      {"TO_CHAR(d, 'YEAR')", 2000},
      {"TO_CHAR(n, 'RN')", 2000},
      {"REPLACE(v, 'a', 'bcd')", 2000},
  };
  for (const auto& [item, width] : items) {
    ASSERT_EQ(st.Parse(std::string("SELECT ") + item + " FROM widths"), 0) << item << st.Error();
    auto cols = DescribeAll(st);
    ASSERT_EQ(cols.size(), 1u) << item;
    EXPECT_TRUE(cols[0].type == 1 || cols[0].type == 96) << item << " " << cols[0].type;
    EXPECT_EQ(cols[0].dsize, width) << item;
    EXPECT_EQ(cols[0].size, width) << item;
  }
  // The session's date form decides how wide a date is as text.
  ASSERT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"), 0) << st.Error();
  ASSERT_EQ(st.Parse("SELECT TO_CHAR(d), 'on ' || d FROM widths"), 0) << st.Error();
  auto cols = DescribeAll(st);
  ASSERT_EQ(cols.size(), 2u);
  EXPECT_EQ(cols[0].dsize, 19);
  EXPECT_EQ(cols[1].dsize, 22);
}

TEST_F(Calls, FetchShowsOracleTextFormsAndNulls) {
  Statement st(conn_);
  auto rows =
      st.Query("SELECT ename, sal, comm, hiredate, sal / 4, -1, 0.5 FROM emp WHERE empno = 7369");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0],
            (std::vector<std::string>{"SMITH", "800", "<null>", "17-DEC-80", "200", "-1", ".5"}));
  ASSERT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI'"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT hiredate FROM emp WHERE empno = 7369"), "1980-12-17 00:00");
  ASSERT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'DD-MON-YY'"), 0);
  // Text keeps leading zeros and case; the empty string is NULL.
  ASSERT_EQ(st.Run("CREATE TABLE TEXTS (T VARCHAR2(10))"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO texts VALUES ('007')"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO texts VALUES ('')"), 0);
  rows = st.Query("SELECT t FROM texts ORDER BY t");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][0], "007");
  EXPECT_EQ(rows[1][0], "<null>");  // NULLs sort last
  EXPECT_EQ(st.Value("SELECT count(*) FROM texts WHERE t IS NULL"), "1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp WHERE ename LIKE 's%'"), "0");  // case-sensitive
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

TEST_F(Calls, ArrayFetchBoundaries) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE NUMS (N NUMBER)"), 0) << st.Error();
  const int batch = 5;
  int inserted = 0;
  for (int total : {0, 1, batch - 1, batch, batch + 1, 2 * batch}) {
    while (inserted < total) {
      ASSERT_EQ(st.Run("INSERT INTO nums VALUES (" + std::to_string(++inserted) + ")"), 0);
    }
    ASSERT_EQ(st.Parse("SELECT n FROM nums ORDER BY n"), 0);
    char buf[batch][8];
    sb2 ind[batch];
    ub2 len[batch];
    ASSERT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), 8, kExtVarchar2, -1, ind,
                           nullptr, -1, -1, len, nullptr),
              0);
    int rc = Oci().oexfet(st.cda(), batch, 0, 0);
    std::vector<int> seen;
    ub4 before = 0;
    int calls = 1;
    for (;;) {
      ASSERT_TRUE(rc == 0 || rc == kOraNoDataFound);
      for (ub4 r = 0; r < st.cda()->rpc - before; ++r)
        seen.push_back(std::stoi(std::string(buf[r], len[r])));
      before = st.cda()->rpc;
      if (rc == kOraNoDataFound) break;
      rc = Oci().ofen(st.cda(), batch);
      ++calls;
    }
    EXPECT_EQ(static_cast<int>(seen.size()), total);
    for (int i = 0; i < static_cast<int>(seen.size()); ++i) EXPECT_EQ(seen[i], i + 1);
    EXPECT_EQ(calls, total / batch + 1) << total;
    // 1403 again afterwards, and the cumulative count stays.
    EXPECT_EQ(Oci().ofen(st.cda(), batch), kOraNoDataFound);
    EXPECT_EQ(st.cda()->rpc, static_cast<ub4>(total));
  }
  ASSERT_EQ(st.Run("DROP TABLE nums"), 0);
}

TEST_F(Calls, DefineTypesTruncationAndIndicators) {
  Statement st(conn_);
  ASSERT_EQ(st.Parse("SELECT ename, empno, sal * 1.5, comm FROM emp WHERE empno = 7499"), 0);
  char name[4];
  sb2 nameInd;
  ub2 nameLen, nameCode;
  int32_t empno;
  double sal;
  int32_t comm;
  sb2 commInd;
  ASSERT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(name), sizeof name, kExtVarchar2, -1,
                         &nameInd, nullptr, -1, -1, &nameLen, &nameCode),
            0);
  ASSERT_EQ(Oci().odefin(st.cda(), 2, reinterpret_cast<ub1*>(&empno), 4, kExtInteger, -1, nullptr,
                         nullptr, -1, -1, nullptr, nullptr),
            0);
  ASSERT_EQ(Oci().odefin(st.cda(), 3, reinterpret_cast<ub1*>(&sal), 8, kExtFloat, -1, nullptr,
                         nullptr, -1, -1, nullptr, nullptr),
            0);
  ASSERT_EQ(Oci().odefin(st.cda(), 4, reinterpret_cast<ub1*>(&comm), 4, kExtInteger, -1, &commInd,
                         nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(Oci().odefin(st.cda(), 5, reinterpret_cast<ub1*>(&comm), 4, kExtInteger, -1, nullptr,
                         nullptr, -1, -1, nullptr, nullptr),
            1007);
  int rc = Oci().oexfet(st.cda(), 1, 0, 0);
  EXPECT_EQ(rc, 1406);  // ALLEN does not fit in 4 bytes
  EXPECT_EQ(std::string(name, nameLen), "ALLE");
  EXPECT_EQ(nameInd, 5);
  EXPECT_EQ(nameCode, 1406);
  EXPECT_EQ(empno, 7499);
  EXPECT_DOUBLE_EQ(sal, 2400.0);
  EXPECT_EQ(comm, 300);
  EXPECT_EQ(commInd, 0);
  // A NULL without an indicator is an error of the fetch.
  ASSERT_EQ(st.Parse("SELECT comm FROM emp WHERE empno = 7369"), 0);
  ASSERT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(&comm), 4, kExtInteger, -1, nullptr,
                         nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(Oci().oexfet(st.cda(), 1, 0, 0), 1405);
}

TEST_F(Calls, BindByNameInAndOutWithNulls) {
  Statement st(conn_);
  ASSERT_EQ(st.Parse("SELECT ename FROM emp WHERE deptno = :Dept AND job = :JOB ORDER BY ename"),
            0);
  EXPECT_EQ(st.Exec(), 1008);  // not all variables bound
  EXPECT_EQ(st.BindText("dept", "30"), 0);
  EXPECT_EQ(st.BindText(":job", "MANAGER"), 0);
  EXPECT_EQ(st.BindText("nosuch", "x"), 1036);
  char name[16];
  ub2 len;
  ASSERT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(name), sizeof name, kExtVarchar2, -1,
                         nullptr, nullptr, -1, -1, &len, nullptr),
            0);
  ASSERT_EQ(Oci().oexfet(st.cda(), 5, 0, 0), kOraNoDataFound);
  EXPECT_EQ(st.cda()->rpc, 1u);
  EXPECT_EQ(std::string(name, len), "BLAKE");

  // An integer bind; one name used twice binds once.
  Statement q(conn_);
  ASSERT_EQ(q.Parse("SELECT count(*) FROM emp WHERE sal > :n AND comm > :n - 1000"), 0);
  int32_t n = 1000;
  ASSERT_EQ(Oci().obndra(q.cda(), T("N"), -1, reinterpret_cast<ub1*>(&n), 4, kExtInteger, -1,
                         nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  int32_t count = -1;
  ASSERT_EQ(Oci().odefin(q.cda(), 1, reinterpret_cast<ub1*>(&count), 4, kExtInteger, -1, nullptr,
                         nullptr, -1, -1, nullptr, nullptr),
            0);
  ASSERT_EQ(Oci().oexfet(q.cda(), 1, 0, 0), 0);
  EXPECT_EQ(count, 3);  // ALLEN, WARD, MARTIN

  // OUT values of a block: value, length, indicator, and truncation with 1406.
  Statement b(conn_);
  ASSERT_EQ(b.Parse("BEGIN :a := 'hello' || ' world'; :b := NULL; :c := 42 / 8; END;"), 0)
      << b.Error();
  ASSERT_EQ(b.BindText("A", std::nullopt, 5), 0);
  ASSERT_EQ(b.BindText("B", "old"), 0);
  ASSERT_EQ(b.BindText("C", std::nullopt, 10), 0);
  EXPECT_EQ(b.Exec(), 1406);
  EXPECT_EQ(b.OutText(0), "hello");
  EXPECT_EQ(b.OutText(1), std::nullopt);
  EXPECT_EQ(b.OutText(2), "5.25");
  EXPECT_EQ(b.cda()->rpc, 1u);
}

TEST_F(Calls, ArrayDmlRunsOncePerElement) {
  Statement st(conn_);
  ASSERT_EQ(
      st.Run("CREATE TABLE ITEMS (ID NUMBER CONSTRAINT PK_ITEMS PRIMARY KEY, NAME VARCHAR2(8))"), 0)
      << st.Error();
  ASSERT_EQ(st.Parse("INSERT INTO items (id, name) VALUES (:id, :name)"), 0);
  const int n = 5;
  int32_t ids[n] = {1, 2, 3, 3, 5};  // the fourth breaks the key
  char names[n][8] = {"one", "two", "three", "dup", "five"};
  ub2 lens[n] = {3, 3, 5, 3, 4};
  sb2 inds[n] = {0, 0, -1, 0, 0};  // the third name is NULL
  ASSERT_EQ(Oci().obndra(st.cda(), T("ID"), -1, reinterpret_cast<ub1*>(ids), 4, kExtInteger, -1,
                         nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(Oci().obndra(st.cda(), T("NAME"), -1, reinterpret_cast<ub1*>(names), 8, kExtVarchar2,
                         -1, inds, lens, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  EXPECT_EQ(st.Exec(n, 0), 1);
  EXPECT_EQ(st.cda()->rpc, 3u);  // the rows before the failing element stay
  EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.PK_ITEMS) violated");
  EXPECT_EQ(st.Exec(n, 4), 0);  // restart after the bad element
  EXPECT_EQ(st.cda()->rpc, 1u);
  Statement q(conn_);
  auto rows = q.Query("SELECT id, name FROM items ORDER BY id");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[2], (std::vector<std::string>{"3", "<null>"}));
  EXPECT_EQ(rows[3], (std::vector<std::string>{"5", "five"}));
  // DML rows processed counts affected rows.
  ASSERT_EQ(st.Run("UPDATE items SET name = 'x' WHERE id > 1"), 0);
  EXPECT_EQ(st.cda()->rpc, 3u);
  ASSERT_EQ(st.Run("DELETE FROM items WHERE id = 99"), 0);
  EXPECT_EQ(st.cda()->rpc, 0u);
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

TEST_F(Calls, ConstraintViolationsNameTheConstraint) {
  Statement st(conn_);
  EXPECT_EQ(st.Run("INSERT INTO dept VALUES (10, 'DUP', 'X')"), 1);
  EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.PK_DEPT) violated");
  EXPECT_EQ(st.Run("INSERT INTO dept VALUES (50, 'SALES', 'X')"), 1);
  EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.UK_DEPT_DNAME) violated");
  EXPECT_EQ(st.Run("INSERT INTO emp (empno, ename, deptno) VALUES (1, 'X', 99)"), 2291);
  EXPECT_EQ(st.Error(),
            "ORA-02291: integrity constraint (DEMO.FK_EMP_DEPT) violated - parent key not found");
  EXPECT_EQ(st.Run("DELETE FROM dept WHERE deptno = 10"), 2292);
  EXPECT_EQ(st.Error(),
            "ORA-02292: integrity constraint (DEMO.FK_EMP_DEPT) violated - child record found");
  EXPECT_EQ(st.Run("INSERT INTO emp (empno, ename) VALUES (2, NULL)"), 1400);
  EXPECT_EQ(st.Run("UPDATE emp SET sal = -1 WHERE empno = 7369"), 2290);
  EXPECT_EQ(st.Error(), "ORA-02290: check constraint (DEMO.CK_EMP_SAL) violated");
  // A failed statement changed nothing; the transaction is still usable.
  EXPECT_EQ(st.Value("SELECT count(*) FROM dept"), "4");
  ASSERT_EQ(st.Run("ROLLBACK"), 0);
}

TEST_F(Calls, TransactionsAreOracles) {
  Statement st(conn_);
  EXPECT_EQ(Oci().ocom(conn_.lda()), 0);  // nothing open
  EXPECT_EQ(Oci().orol(conn_.lda()), 0);
  ASSERT_EQ(st.Run("UPDATE emp SET sal = sal + 1 WHERE empno = 7369"), 0);
  EXPECT_EQ(Oci().orol(conn_.lda()), 0);
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "800");
  // DDL commits what came before it.
  ASSERT_EQ(st.Run("UPDATE emp SET sal = 801 WHERE empno = 7369"), 0);
  ASSERT_EQ(st.Run("CREATE TABLE DDLCOMMIT (X NUMBER)"), 0);
  EXPECT_EQ(Oci().orol(conn_.lda()), 0);
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "801");
  // Savepoints.
  ASSERT_EQ(st.Run("UPDATE emp SET sal = 800 WHERE empno = 7369"), 0);
  ASSERT_EQ(st.Run("SAVEPOINT a"), 0);
  ASSERT_EQ(st.Run("DELETE FROM emp WHERE empno = 7369"), 0);
  ASSERT_EQ(st.Run("ROLLBACK TO SAVEPOINT a"), 0);
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "800");
  EXPECT_EQ(st.Run("ROLLBACK TO nosuch"), 1086);
  EXPECT_EQ(Oci().ocom(conn_.lda()), 0);
  ASSERT_EQ(st.Run("DROP TABLE ddlcommit"), 0);
  // Objects of the demo schema, through their synonym and view; sequences.
  EXPECT_EQ(st.Value("SELECT count(*) FROM employees"), "14");
  EXPECT_EQ(st.Value("SELECT dname FROM emp_dept_v WHERE empno = 7839"), "ACCOUNTING");
  ASSERT_EQ(st.Run("SELECT emp_seq.CURRVAL FROM dual"), 0);
  EXPECT_EQ(Oci().ofen(st.cda(), 1), 8002);  // the query fails when its row is made
  EXPECT_EQ(st.Value("SELECT emp_seq.NEXTVAL FROM dual"), "8000");
  EXPECT_EQ(st.Value("SELECT emp_seq.NEXTVAL FROM dual"), "8001");
  EXPECT_EQ(st.Value("SELECT emp_seq.CURRVAL FROM dual"), "8001");
  ASSERT_EQ(st.Run("COMMIT"), 0);
}

TEST_F(Calls, UsersAndAlterSession) {
  Statement st(conn_);
  EXPECT_EQ(st.Run("CREATE USER scott IDENTIFIED BY tiger"), 1031);  // DEMO is no DBA
  EXPECT_EQ(st.Run("ALTER SESSION SET PLSQL_DEBUG = TRUE"), 0);
  EXPECT_EQ(st.Run("ALTER SESSION SET NLS_DATE_FORMAT = 'XYZZY'"), 1821);
  EXPECT_EQ(st.Run("ALTER SESSION SET CURSOR_SHARING = FORCE"), 2248);  // not an Oracle 7 option
  Connection dba;
  ASSERT_EQ(dba.Logon("SYSTEM/MANAGER@CALLS"), 0);
  Statement s(dba);
  ASSERT_EQ(s.Run("CREATE USER scott IDENTIFIED BY tiger DEFAULT TABLESPACE users"), 0)
      << s.Error();
  EXPECT_EQ(s.Run("CREATE USER scott IDENTIFIED BY tiger"), 1920);
  Connection scott;
  // A new account may not even log on before it is given CREATE SESSION.
  EXPECT_EQ(scott.Logon("scott/tiger@calls"), 1045);
  ASSERT_EQ(s.Run("GRANT CONNECT, RESOURCE TO scott"), 0) << s.Error();
  ASSERT_EQ(scott.Logon("scott/tiger@calls"), 0);
  Statement t(scott);
  ASSERT_EQ(t.Run("CREATE TABLE mine (x NUMBER)"), 0) << t.Error();
  EXPECT_EQ(t.Run("SELECT * FROM emp"), 942);       // DEMO's table is not SCOTT's
  EXPECT_EQ(t.Run("SELECT * FROM demo.emp"), 942);  // nor may SCOTT see it ungranted
  ASSERT_EQ(st.Run("GRANT SELECT ON emp TO scott"), 0) << st.Error();
  EXPECT_EQ(t.Value("SELECT count(*) FROM demo.emp"), "14");
  EXPECT_EQ(t.Run("DELETE FROM demo.emp"), 1031);  // seeing is not changing
  EXPECT_EQ(scott.Logoff(), 0);
  EXPECT_EQ(s.Run("DROP USER scott"), 1922);
  EXPECT_EQ(s.Run("DROP USER scott CASCADE"), 0) << s.Error();
  EXPECT_EQ(scott.Logon("scott/tiger@calls"), 1017);
}

TEST_F(Calls, BadInputAnswersCodesAndCorruptsNothing) {
  const Api& o = Oci();
  // Areas never opened (zero-filled) or filled with garbage.
  Area zero;
  EXPECT_EQ(o.oparse(&zero, T("SELECT 1 FROM DUAL"), -1, 0, 2), 1001);
  EXPECT_EQ(zero.rc(), 1001);
  Area garbage;
  std::memset(&garbage.cda, 0x5a, sizeof garbage.cda);
  EXPECT_EQ(o.oexn(&garbage, 1, 0), 1001);
  EXPECT_EQ(o.ocom(&garbage), 1012);
  EXPECT_EQ(o.oparse(nullptr, T("x"), -1, 0, 2), 1001);
  EXPECT_EQ(o.ocom(nullptr), 1012);
  EXPECT_EQ(o.obreak(nullptr), 1012);
  EXPECT_EQ(o.oopen(nullptr, conn_.lda(), nullptr, -1, -1, nullptr, -1), 1001);
  Area c;
  EXPECT_EQ(o.oopen(&c, &zero, nullptr, -1, -1, nullptr, -1), 1012);

  Statement st(conn_);
  // A copy of a live area is not the area the handle was given to.
  Area copy;
  std::memcpy(&copy.cda, st.cda(), sizeof(CdaDef));
  EXPECT_EQ(o.oparse(&copy, T("SELECT 1 FROM DUAL"), -1, 0, 2), 1001);
  EXPECT_EQ(o.oparse(st.cda(), nullptr, -1, 0, 2), 1009);
  EXPECT_EQ(o.oparse(st.cda(), T("SELECT 1 FROM DUAL"), -5, 0, 2), 1460);
  // A text given with a length is read to that length only.
  const char unterminated[] = {'S', 'E', 'L', 'E', 'C', 'T', ' ', '1', ' ', 'F',
                               'R', 'O', 'M', ' ', 'D', 'U', 'A', 'L', 'X', 'Y'};
  EXPECT_EQ(o.oparse(st.cda(), T(unterminated), 18, 0, 2), 0);
  EXPECT_EQ(o.ofen(st.cda(), 1), 1002);  // not executed yet
  EXPECT_EQ(o.oexn(st.cda(), 0, 0), 1460);
  EXPECT_EQ(o.oexn(st.cda(), 1, 3), 1460);
  EXPECT_EQ(o.obndra(st.cda(), nullptr, -1, nullptr, 0, 1, -1, nullptr, nullptr, nullptr, 0,
                     nullptr, nullptr, -1, -1),
            1036);
  char buf[8];
  EXPECT_EQ(o.odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), -3, kExtVarchar2, -1, nullptr,
                     nullptr, -1, -1, nullptr, nullptr),
            1460);
  EXPECT_EQ(o.odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), 8, 999, -1, nullptr, nullptr, -1, -1,
                     nullptr, nullptr),
            1460);
  EXPECT_EQ(o.oerhms(conn_.lda(), 1001, nullptr, 10), 0);
  // A closed cursor is gone; its area answers "invalid cursor".
  Area gone;
  ASSERT_EQ(o.oopen(&gone, conn_.lda(), nullptr, -1, -1, nullptr, -1), 0);
  ASSERT_EQ(o.oclose(&gone), 0);
  EXPECT_EQ(o.oparse(&gone, T("SELECT 1 FROM DUAL"), -1, 0, 2), 1001);
  EXPECT_EQ(o.oclose(&gone), 1001);
  // The session still works.
  EXPECT_EQ(st.Value("SELECT 1 + 1 FROM dual"), "2");
  EXPECT_EQ(o.opinit(1), 0);
  EXPECT_EQ(o.oopt(st.cda(), 0, 0), 0);
}

// Random sequences of calls, with arguments that are wrong as often as right, must answer
// codes and leave the session working (under the sanitizers: and touch no bad memory).
TEST_F(Calls, RandomCallSequencesNeverBreakTheSession) {
  const Api& o = Oci();
  const char* texts[] = {"SELECT ename, sal, hiredate FROM emp WHERE deptno = :d",
                         "SELECT * FROM dept",
                         "UPDATE emp SET sal = sal WHERE empno = :d",
                         "BEGIN :d := :d || 'x'; END;",
                         "BEGIN DBMS_OUTPUT.PUT_LINE(:d); END;",
                         "SELECT nosuch FROM emp",
                         "DELETE FROM nosuch",
                         "INSERT INTO dept VALUES (:d, 'X', 'Y')",
                         "",
                         "SELECT 'unterminated FROM dual",
                         "COMMIT",
                         "ROLLBACK"};
  std::mt19937 rng(11);
  Area areas[3];
  char buf[4][16];
  sb2 ind[4];
  ub2 len[4];
  char value[8] = "20";
  ub2 valueLen = 2;
  for (Area& a : areas) ASSERT_EQ(o.oopen(&a, conn_.lda(), nullptr, -1, -1, nullptr, -1), 0);
  for (int i = 0; i < 3000; ++i) {
    CdaDef* c = &areas[rng() % 3];
    int rc = 0;
    switch (rng() % 9) {
      case 0: {
        const char* t = texts[rng() % (sizeof texts / sizeof *texts)];
        rc = o.oparse(c, T(t), rng() % 4 ? -1 : static_cast<sb4>(std::strlen(t) / 2), 1, 2);
        break;
      }
      case 1:
        valueLen = static_cast<ub2>(rng() % 9);
        rc = o.obndra(c, T(rng() % 5 ? "D" : "NOPE"), -1, reinterpret_cast<ub1*>(value), 8,
                      rng() % 6 ? kExtVarchar2 : kExtInteger, -1, nullptr, &valueLen, nullptr, 0,
                      nullptr, nullptr, -1, -1);
        break;
      case 2:
        rc =
            o.odefin(c, static_cast<sword>(rng() % 5), reinterpret_cast<ub1*>(buf), 16,
                     rng() % 4 ? kExtVarchar2 : kExtString, -1, ind, nullptr, -1, -1, len, nullptr);
        break;
      case 3:
        rc = o.oexn(c, static_cast<sword>(rng() % 3), static_cast<sword>(rng() % 2));
        break;
      case 4:
        rc = o.oexfet(c, rng() % 5, static_cast<sword>(rng() % 2), static_cast<sword>(rng() % 2));
        break;
      case 5:
        rc = o.ofen(c, static_cast<sword>(rng() % 6) - 1);
        break;
      case 6: {
        sb4 dbsize, cbufl = static_cast<sb4>(rng() % 40) - 5, dsize;
        sb2 dbtype, prec, scale, nullok;
        sb1 name[40];
        rc = o.odescr(c, static_cast<sword>(rng() % 5), &dbsize, &dbtype, name, &cbufl, &dsize,
                      &prec, &scale, &nullok);
        break;
      }
      case 7:
        rc = o.ocan(c);
        break;
      case 8:
        rc = o.oclose(c);
        if (rc == 0) rc = o.oopen(c, conn_.lda(), nullptr, -1, -1, nullptr, -1);
        break;
    }
    ASSERT_GE(rc, 0);
    ASSERT_NE(rc, 600) << conn_.Message(600);  // never an internal error
    ASSERT_EQ(c->rc, rc);
  }
  Statement st(conn_);
  EXPECT_EQ(st.Value("SELECT count(*) FROM emp"), "14");
  EXPECT_EQ(o.orol(conn_.lda()), 0);
}
