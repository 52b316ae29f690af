// Expressions through the call interface: how values of different types meet wherever a
// statement compares them (text against numbers, CHAR against CHAR), the types NVL and
// DECODE answer in, and statements with long operator chains and deep nesting.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Expressions : public DatabaseSuite<"EXPR"> {
 protected:
  static void SetUpTestSuite() {
    DatabaseSuite::SetUpTestSuite();
    Connection c;
    ASSERT_EQ(c.Logon("demo/demo@expr"), 0);
    Statement st(c);
    for (const char* sql : {
             "CREATE TABLE vals (n NUMBER, v VARCHAR2(10), c5 CHAR(5), c10 CHAR(10), d DATE)",
             "INSERT INTO vals VALUES (9, '9', 'a', 'a', '01-JAN-90')",
             "INSERT INTO vals VALUES (10, '10', 'b', 'b c', '01-JAN-95')",
             "INSERT INTO vals VALUES (NULL, NULL, NULL, NULL, NULL)",
             "CREATE TABLE words (w VARCHAR2(10))",
             "INSERT INTO words VALUES ('abc')",
             "COMMIT",
         }) {
      ASSERT_EQ(st.Run(sql), 0) << sql << ": " << st.Error();
    }
  }
  void SetUp() override { ASSERT_EQ(conn_.Logon("demo/demo@expr"), 0); }

  // Each query's single value.
  void ExpectValues(std::initializer_list<std::pair<std::string, std::string>> cases) {
    Statement st(conn_);
    for (const auto& [sql, want] : cases) EXPECT_EQ(st.Value(sql), want) << sql.substr(0, 160);
  }

  // The code a query answers: parse, execute and fetch its rows (0 when all succeed).
  int Code(const std::string& sql, std::string* message = nullptr) {
    Statement st(conn_);
    int rc = st.Parse(sql);
    if (rc == 0) {
      char buf[256];
      ub2 len[4];
      sb2 ind[4];
      Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), 64, kExtVarchar2, -1, ind, nullptr, -1,
                   -1, len, nullptr);
      rc = st.cda()->ft == 4 ? Oci().oexfet(st.cda(), 4, 0, 0) : st.Exec();
      while (rc == 0 && st.cda()->ft == 4) rc = Oci().ofen(st.cda(), 4);
      if (rc == kOraNoDataFound) rc = 0;
    }
    if (message) *message = st.Error();
    return rc;
  }

  // Runs a block binding :R as text and answers what it left there, or the error.
  std::string Block(const std::string& block) {
    Statement st(conn_);
    if (st.Parse(block) != 0) return st.Error();
    st.BindText("R", std::nullopt, 4000);
    if (st.Exec() != 0) return st.Error();
    return st.OutText(0).value_or("<null>");
  }

  Connection conn_;
};

// Text of n copies of `term` joined by `op`.
std::string Chain(const std::string& term, const std::string& op, int n) {
  std::string s = term;
  for (int i = 1; i < n; ++i) s += op + term;
  return s;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// `inner` inside n pairs of parentheses, each level applying `left` ... `right`.
std::string Nest(const std::string& inner, const std::string& left, const std::string& right,
                 int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += left;
  s += inner;
  for (int i = 0; i < n; ++i) s += right;
  return s;
}

}  // namespace

TEST_F(Expressions, TextMeetsANumberAsANumberWhereverValuesAreCompared) {
  ExpectValues({
      // Literals both ways, and each comparison operator.
      {"SELECT count(*) FROM dual WHERE '1' = 1", "1"},
      {"SELECT count(*) FROM dual WHERE 1 = ' 1.0 '", "1"},
      {"SELECT count(*) FROM dual WHERE '9' > 10", "0"},
      {"SELECT count(*) FROM dual WHERE 10 >= '9'", "1"},
      {"SELECT count(*) FROM dual WHERE '10' < 9", "0"},
      {"SELECT count(*) FROM dual WHERE '1e1' <> 10", "0"},
      // Expressions and columns.
      {"SELECT count(*) FROM vals WHERE n + 0 = '9'", "1"},
      {"SELECT count(*) FROM vals WHERE v < 10", "1"},
      {"SELECT count(*) FROM vals HAVING count(*) = '3'", "3"},
      // BETWEEN, IN lists, quantified lists.
      {"SELECT count(*) FROM dual WHERE '5' BETWEEN 1 AND 10", "1"},
      {"SELECT count(*) FROM dual WHERE 5 NOT BETWEEN '1' AND '10'", "0"},
      {"SELECT count(*) FROM dual WHERE '2' IN (1, 2)", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 IN ('9', '11')", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 NOT IN ('9')", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 > ALL ('8', '7')", "2"},
      {"SELECT count(*) FROM vals WHERE v = ANY (10.0, 11)", "1"},
      // Subqueries: IN, scalar, quantified, rows.
      {"SELECT count(*) FROM vals WHERE n + 0 IN (SELECT v FROM vals)", "2"},
      {"SELECT count(*) FROM vals WHERE v IN (SELECT n + 0 FROM vals)", "2"},
      {"SELECT count(*) FROM vals WHERE n + 0 = (SELECT v FROM vals WHERE n = 9)", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 > ANY (SELECT v FROM vals)", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 = ALL (SELECT v FROM vals WHERE n = 10)", "1"},
      {"SELECT count(*) FROM vals WHERE n + 0 <> ALL (SELECT v FROM vals WHERE n = 9)", "1"},
      {"SELECT count(*) FROM vals WHERE (n + 0, 1) IN (SELECT v, '1' FROM vals)", "2"},
      {"SELECT count(*) FROM vals WHERE (n + 0, 1) IN (('9', '1'))", "1"},
      // Joins, in WHERE and in ON.
      {"SELECT count(*) FROM vals a, vals b WHERE a.n + 0 = b.v", "2"},
      {"SELECT count(*) FROM vals a JOIN vals b ON b.v = a.n + 0", "2"},
      {"SELECT count(*) FROM vals a, vals b WHERE a.n + 0 = RTRIM(b.v)", "2"},
      // DECODE's and CASE's searches.
      {"SELECT DECODE(n + 0, '9', 'nine', 'other') FROM vals WHERE n = 9", "nine"},
      {"SELECT DECODE('10', 10, 'ten', 'other') FROM dual", "ten"},
      {"SELECT CASE n + 0 WHEN '9' THEN 'nine' END FROM vals WHERE n = 9", "nine"},
      {"SELECT CASE WHEN '9' < 10 THEN 'less' END FROM dual", "less"},
      // GREATEST and LEAST take the first value's type.
      {"SELECT GREATEST(10, '9') FROM dual", "10"},
      {"SELECT GREATEST('9', 10) FROM dual", "9"},
      {"SELECT LEAST(2, '10') FROM dual", "2"},
      {"SELECT GREATEST(d, '01-JAN-93') FROM vals WHERE n = 9", "01-JAN-93"},
      {"SELECT LEAST(d, '01-JAN-93') FROM vals WHERE n = 10", "01-JAN-93"},
  });
  // Text that is no number fails wherever it meets one.
  for (const char* sql : {
           "SELECT count(*) FROM dual WHERE 'x' = 1",
           "SELECT count(*) FROM dual WHERE 1 < 'x'",
           "SELECT count(*) FROM words WHERE w = 1",
           "SELECT count(*) FROM dual WHERE 'x' BETWEEN 1 AND 2",
           "SELECT count(*) FROM vals WHERE n + 0 IN ('x')",
           "SELECT count(*) FROM words WHERE 1 IN (SELECT w FROM words)",
           "SELECT count(*) FROM words WHERE 1 > ANY (SELECT w FROM words)",
           "SELECT DECODE(1, 'x', 1) FROM dual",
           "SELECT GREATEST(1, 'x') FROM dual",
       }) {
    EXPECT_EQ(Code(sql), 1722) << sql;
  }
  // Statements other than queries compare alike.
  Statement st(conn_);
  ASSERT_EQ(st.Run("UPDATE vals SET v = v WHERE n + 0 = '10'"), 0) << st.Error();
  EXPECT_EQ(st.cda()->rpc, 1u);
  ASSERT_EQ(st.Run("DELETE FROM vals WHERE v = 11"), 0) << st.Error();
  EXPECT_EQ(st.cda()->rpc, 0u);
  ASSERT_EQ(Oci().orol(conn_.lda()), 0);
}

TEST_F(Expressions, CharValuesCompareBlankPaddedWhereverCompared) {
  ExpectValues({
      // Literals.
      {"SELECT count(*) FROM dual WHERE 'a ' BETWEEN 'a' AND 'a'", "1"},
      {"SELECT count(*) FROM dual WHERE 'a' NOT BETWEEN 'a  ' AND 'a '", "0"},
      // The blank the shorter is padded with orders after a tab.
      {"SELECT count(*) FROM dual WHERE 'a' > 'a\t'", "1"},
      {"SELECT count(*) FROM dual WHERE 'a' || 'b' = 'ab  '", "1"},
      // CHAR columns against longer literals and against each other.
      {"SELECT count(*) FROM vals WHERE c5 = 'a      '", "1"},
      {"SELECT count(*) FROM vals WHERE 'a      ' = c5", "1"},
      {"SELECT count(*) FROM vals WHERE c5 < 'a      b'", "1"},
      {"SELECT count(*) FROM vals WHERE c5 IN ('a      ', 'z')", "1"},
      {"SELECT count(*) FROM vals WHERE c5 BETWEEN 'a      ' AND 'a       '", "1"},
      {"SELECT count(*) FROM vals WHERE c5 = ANY ('a        ')", "1"},
      {"SELECT count(*) FROM vals WHERE c5 = c10", "1"},
      {"SELECT count(*) FROM vals WHERE c10 <= c5", "1"},
      {"SELECT count(*) FROM vals a, vals b WHERE a.c5 = b.c10", "1"},
      {"SELECT count(*) FROM vals a JOIN vals b ON a.c10 = b.c5", "1"},
      {"SELECT count(*) FROM vals WHERE c5 IN (SELECT c10 FROM vals)", "1"},
      {"SELECT count(*) FROM vals WHERE c10 = (SELECT c5 FROM vals WHERE n = 9)", "1"},
      {"SELECT count(*) FROM vals WHERE c10 = ANY (SELECT c5 FROM vals)", "1"},
      {"SELECT count(*) FROM vals WHERE c10 NOT IN (SELECT c5 FROM vals WHERE n = 9)", "1"},
      {"SELECT DECODE(c5, 'a      ', 'y', 'n') FROM vals WHERE n = 9", "y"},
      {"SELECT CASE c10 WHEN c5 THEN 'y' ELSE 'n' END FROM vals WHERE n = 9", "y"},
      // VARCHAR2 on either side: no padding.
      {"SELECT count(*) FROM vals WHERE v = '9 '", "0"},
      {"SELECT count(*) FROM vals WHERE RTRIM(c5) = c5", "0"},
      {"SELECT count(*) FROM vals WHERE c5 = RTRIM(c10)", "0"},
      {"SELECT count(*) FROM vals WHERE c5 IN (RTRIM(c10))", "0"},
      {"SELECT count(*) FROM dual WHERE DECODE(1, 1, 'a ') = 'a'", "0"},
      {"SELECT count(*) FROM dual WHERE NVL('a ', 'b') = 'a'", "0"},
  });
  // A bound value is VARCHAR2.
  Statement st(conn_);
  ASSERT_EQ(st.Parse("SELECT count(*) FROM vals WHERE c5 = :b"), 0) << st.Error();
  ASSERT_EQ(st.BindText("B", "a"), 0);
  char buf[16];
  ub2 len = 0;
  ASSERT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), sizeof buf, kExtVarchar2, -1,
                         nullptr, nullptr, -1, -1, &len, nullptr),
            0);
  ASSERT_EQ(Oci().oexfet(st.cda(), 1, 0, 0), 0) << st.Error();
  EXPECT_EQ(std::string(buf, len), "0");
}

TEST_F(Expressions, AnyAndAllOverSubqueriesAnswerNullWhereAComparisonDoes) {
  // vals.n holds 9, 10 and NULL: a comparison with the NULL is neither TRUE nor FALSE, and
  // over no rows ALL is TRUE and ANY FALSE whatever the value.
  ExpectValues({
      {"SELECT count(*) FROM vals WHERE n = ALL (SELECT n FROM vals WHERE n = 10)", "1"},
      {"SELECT count(*) FROM vals WHERE n >= ALL (SELECT n FROM vals WHERE n > 0)", "1"},
      {"SELECT count(*) FROM vals WHERE NOT (n > ANY (SELECT n FROM vals))", "0"},
      {"SELECT count(*) FROM vals WHERE NOT (n < ALL (SELECT n FROM vals))", "2"},
      {"SELECT count(*) FROM vals WHERE n > ANY (SELECT n FROM vals)", "1"},
      {"SELECT count(*) FROM vals WHERE n < ALL (SELECT n FROM vals WHERE n > 100)", "3"},
      {"SELECT count(*) FROM vals WHERE NOT (n > ANY (SELECT n FROM vals WHERE n > 100))", "3"},
  });
}

TEST_F(Expressions, NvlAndDecodeAnswerInTheirFirstValuesType) {
  EXPECT_NE(Code("SELECT NVL(d, 'x') FROM vals WHERE d IS NULL"), 0);
  EXPECT_EQ(Code("SELECT NVL(n, 'x') FROM vals WHERE n IS NULL"), 1722);
  EXPECT_EQ(Code("SELECT DECODE(2, 1, 5, 'x') FROM dual"), 1722);
  EXPECT_EQ(Code("SELECT NVL2(v, 1, 'x') FROM vals WHERE v IS NULL"), 1722);
  ExpectValues({
      {"SELECT DECODE(1, 1, 5, 'x') FROM dual", "5"},
      {"SELECT DECODE(3, 1, 5, '7') + 1 FROM dual", "8"},
      {"SELECT NVL(n, '7') FROM vals WHERE n IS NULL", "7"},
      {"SELECT count(*) FROM vals WHERE NVL(n, '7') = 7", "1"},
      {"SELECT NVL(d, '01-FEB-91') FROM vals WHERE d IS NULL", "01-FEB-91"},
      {"SELECT count(*) FROM vals WHERE NVL(d, '01-FEB-91') > '01-JAN-91'", "2"},
      {"SELECT DECODE(n, NULL, d, '01-FEB-91') FROM vals WHERE n = 9", "01-FEB-91"},
      // A number or a date where text is answered is its text.
      {"SELECT count(*) FROM vals WHERE NVL(v, 0) = '0'", "1"},
      {"SELECT DECODE(n, 9, v, d) FROM vals WHERE n = 10", "01-JAN-95"},
  });
}

TEST_F(Expressions, PlsqlComparesAndConvertsAsSqlDoes) {
  EXPECT_EQ(Block("BEGIN IF '1' = 1 AND '9' < 10 AND 10 BETWEEN '9' AND '11' AND '2' IN (1, 2) "
                  "THEN :r := 'y'; END IF; END;"),
            "y");
  EXPECT_EQ(
      Block("DECLARE a CHAR(5) := 'a'; b CHAR(10) := 'a'; BEGIN "
            "IF a = b AND a = 'a   ' AND a BETWEEN 'a' AND 'a  ' THEN :r := 'y'; END IF; END;"),
      "y");
  // A VARCHAR2 variable keeps comparing without padding.
  EXPECT_EQ(Block("DECLARE a VARCHAR2(5) := 'a'; BEGIN "
                  "IF a = 'a ' THEN :r := 'y'; ELSE :r := 'n'; END IF; END;"),
            "n");
  // NVL's second value takes the first's type.
  EXPECT_NE(Block("DECLARE n NUMBER; BEGIN :r := NVL(n, 'x'); END;").find("ORA-06502"),
            std::string::npos);
  EXPECT_EQ(Block("DECLARE n NUMBER; BEGIN :r := NVL(n, '7') + 1; END;"), "8");
  // GREATEST and LEAST take the first value's type.
  EXPECT_EQ(Block("DECLARE d DATE := '01-JAN-90'; BEGIN :r := GREATEST(d, '01-JAN-93'); END;"),
            "01-JAN-93");
  EXPECT_EQ(Block("BEGIN :r := LEAST('9', 10) || '/' || LEAST(9, '10'); END;"), "10/9");
  EXPECT_NE(Block("BEGIN :r := GREATEST(1, 'x'); END;").find("ORA-06502"), std::string::npos);
  // Variables in SQL statements meet columns as binds do.
  EXPECT_EQ(Block("DECLARE t VARCHAR2(5) := '9'; k NUMBER; BEGIN "
                  "SELECT count(*) INTO k FROM vals WHERE n + 0 = t; :r := k; END;"),
            "1");
  EXPECT_EQ(Block("DECLARE t NUMBER := 10; k NUMBER; BEGIN "
                  "SELECT count(*) INTO k FROM vals WHERE RTRIM(v) = t; :r := k; END;"),
            "1");
  EXPECT_EQ(Block("DECLARE c CHAR(10) := 'a'; k NUMBER; BEGIN "
                  "SELECT count(*) INTO k FROM vals WHERE c5 = c; :r := k; END;"),
            "1");
  EXPECT_EQ(Block("DECLARE r vals%ROWTYPE; k NUMBER; BEGIN r.c10 := 'b c'; "
                  "SELECT count(*) INTO k FROM vals WHERE r.c10 IN (c5, c10); :r := k; END;"),
            "1");
  EXPECT_EQ(Block("DECLARE c VARCHAR2(10) := 'a'; k NUMBER; BEGIN "
                  "SELECT count(*) INTO k FROM vals WHERE c5 = c; :r := k; END;"),
            "0");
}

TEST_F(Expressions, LongChainsAndDeepNestingParse) {
  ExpectValues({
      {"SELECT count(*) FROM dual WHERE " + Chain("1 = 0", " OR ", 1000) + " OR 1 = 1", "1"},
      {"SELECT count(*) FROM dual WHERE " + Chain("1 = 1", " AND ", 5000), "1"},
      {"SELECT count(*) FROM vals WHERE " + Chain("n = 9 OR n = 10 AND v = '10'", " OR ", 2000),
       "2"},
      {"SELECT " + Chain("1", " + ", 1000) + " FROM dual", "1000"},
      {"SELECT " + Chain("0.1 + 0.2 - 0.3", " + ", 3000) + " FROM dual", "0"},
      {"SELECT " + Chain("1", " * ", 1000) + " / 2 FROM dual", ".5"},
      {"SELECT 1024" + Repeat(" / 2 * 2", 1000) + " FROM dual", "1024"},
      {"SELECT LENGTH(" + Chain("'ab'", " || ", 1000) + ") FROM dual", "2000"},
      {"SELECT SYSDATE - SYSDATE" + Repeat(" + 1", 1000) + " FROM dual", "1000"},
      {"SELECT TO_DATE('01-JAN-90')" + Repeat(" + 1", 365) + " FROM dual", "01-JAN-91"},
      {"SELECT count(*) FROM vals WHERE n IN (" + Chain("9", ", ", 1000) + ")", "1"},
      // Nesting: parentheses, function calls, unary minus, subqueries, CASE.
      {"SELECT " + Nest("1", "(", ")", 250) + " FROM dual", "1"},
      {"SELECT " + Nest("1", "(1 + ", ")", 250) + " FROM dual", "251"},
      {"SELECT " + Nest("-1", "ABS(", ")", 250) + " FROM dual", "1"},
      {"SELECT " + Nest("1", "- (", ")", 250) + " FROM dual", "1"},
      {"SELECT count(*) FROM dual WHERE " + Nest("1 = 1", "NOT (NOT (", "))", 125), "1"},
      {"SELECT " + Nest("1", "(SELECT ", " FROM dual)", 60) + " FROM dual", "1"},
      {"SELECT " + Nest("1", "CASE WHEN 1 = 1 THEN ", " END", 250) + " FROM dual", "1"},
  });
  // DML alike.
  Statement st(conn_);
  ASSERT_EQ(st.Run("UPDATE vals SET n = " + Chain("n", " + 0 * ", 1000) + " WHERE " +
                   Chain("n = 9", " OR ", 1000)),
            0)
      << st.Error();
  EXPECT_EQ(st.cda()->rpc, 1u);
  ASSERT_EQ(Oci().orol(conn_.lda()), 0);

  // Beyond the nesting the engine takes: an error that says so, at once.
  for (const std::string& sql : {
           "SELECT " + Nest("1", "(", ")", 100000) + " FROM dual",
           "SELECT " + Nest("1", "ABS(", ")", 100000) + " FROM dual",
           "SELECT " + Nest("1", "- ", "", 100000) + " FROM dual",
           "SELECT count(*) FROM dual WHERE " + Nest("1 = 1", "NOT ", "", 100000),
       }) {
    std::string message;
    int rc = Code(sql, &message);
    EXPECT_NE(rc, 0);
    EXPECT_NE(rc, 900) << message;
    EXPECT_NE(message.find("nested"), std::string::npos) << message;
  }

  // PL/SQL: chains and nesting in blocks.
  EXPECT_EQ(Block("BEGIN :r := " + Chain("1", " + ", 1000) + "; END;"), "1000");
  EXPECT_EQ(Block("DECLARE x NUMBER := 7; BEGIN IF " + Chain("x = 1", " OR ", 1000) +
                  " OR x = 7 THEN :r := 'y'; END IF; END;"),
            "y");
  EXPECT_EQ(Block("BEGIN :r := " + Chain("'a'", " || ", 2000) + "; END;").size(), 2000u);
  EXPECT_EQ(Block("BEGIN :r := " + Nest("1", "(", ")", 250) + "; END;"), "1");
  EXPECT_EQ(Block("BEGIN :r := " + Nest("-1", "ABS(", ")", 250) + "; END;"), "1");
  EXPECT_EQ(
      Block("DECLARE k NUMBER; BEGIN SELECT " + Chain("1", " + ", 1000) +
            " INTO k FROM dual WHERE " + Chain("1 = 0", " OR ", 1000) + " OR 1 = 1; :r := k; END;"),
      "1000");
  std::string deep = Block("BEGIN :r := " + Nest("1", "(", ")", 100000) + "; END;");
  EXPECT_NE(deep.find("PLS-00123"), std::string::npos) << deep.substr(0, 200);
}
