// Data through the call interface: external types both ways, fetch controls, the catalog
// behind DDL, and a model of random DML with commits and rollbacks.
#include <map>
#include <random>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Data : public DatabaseSuite<"DATA"> {
 protected:
  void SetUp() override { ASSERT_EQ(conn_.Logon("demo/demo@data"), 0); }
  Connection conn_;
};

int BindRaw(Statement& st, const char* name, std::vector<ub1>& bytes, ub2& len) {
  len = static_cast<ub2>(bytes.size());
  return Oci().obndra(st.cda(), T(name), -1, bytes.data(), static_cast<sword>(bytes.size()),
                      kExtRaw, -1, nullptr, &len, nullptr, 0, nullptr, nullptr, -1, -1);
}

// Each query's single value.
void ExpectValues(Statement& st, std::initializer_list<std::pair<const char*, const char*>> cases) {
  for (const auto& [sql, want] : cases) EXPECT_EQ(st.Value(sql), want) << sql;
}

}  // namespace

TEST_F(Data, RawDateAndCharTypesRoundTrip) {
  const Api& o = Oci();
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE bin (id NUMBER, r RAW(8), d DATE, c CHAR(6))"), 0) << st.Error();
  ASSERT_EQ(st.Parse("INSERT INTO bin VALUES (:id, :r, :d, :c)"), 0) << st.Error();
  int32_t id = 1;
  std::vector<ub1> raw = {0x00, 0xff, 0x10, 0x41};
  ub2 rawLen;
  // 7-byte date: 1999-12-31 23:59:58
  ub1 date[7] = {119, 199, 12, 31, 24, 60, 59};
  ASSERT_EQ(o.obndra(st.cda(), T("ID"), -1, reinterpret_cast<ub1*>(&id), 4, kExtInteger, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(BindRaw(st, "R", raw, rawLen), 0);
  ASSERT_EQ(o.obndra(st.cda(), T("D"), -1, date, 7, kExtDate, -1, nullptr, nullptr, nullptr, 0,
                     nullptr, nullptr, -1, -1),
            0);
  char c[] = "ab";
  ASSERT_EQ(o.obndra(st.cda(), T("C"), -1, reinterpret_cast<ub1*>(c), sizeof c, kExtString, -1,
                     nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();

  // Text forms: raw as hex, the date in the session format.
  Statement q(conn_);
  auto rows = q.Query("SELECT r, d, c FROM bin");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], "00FF1041");
  EXPECT_EQ(rows[0][1], "31-DEC-99");
  EXPECT_EQ(rows[0][2], "ab    ");

  // Binary forms back: raw bytes, the 7-byte date, blank-padded and NUL-terminated text.
  ASSERT_EQ(q.Parse("SELECT r, d, c, c FROM bin"), 0);
  ub1 rawOut[8] = {};
  ub2 rawOutLen = 0;
  ub1 dateOut[7] = {};
  char padded[10], terminated[4];
  sb2 termInd = 0;
  ASSERT_EQ(o.odefin(q.cda(), 1, rawOut, sizeof rawOut, kExtRaw, -1, nullptr, nullptr, -1, -1,
                     &rawOutLen, nullptr),
            0);
  ASSERT_EQ(
      o.odefin(q.cda(), 2, dateOut, 7, kExtDate, -1, nullptr, nullptr, -1, -1, nullptr, nullptr),
      0);
  ASSERT_EQ(o.odefin(q.cda(), 3, reinterpret_cast<ub1*>(padded), sizeof padded, kExtChar, -1,
                     nullptr, nullptr, -1, -1, nullptr, nullptr),
            0);
  ASSERT_EQ(o.odefin(q.cda(), 4, reinterpret_cast<ub1*>(terminated), sizeof terminated, kExtString,
                     -1, &termInd, nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(o.oexfet(q.cda(), 1, 0, 0), 1406);  // "ab    " does not fit in 3 + NUL
  EXPECT_EQ(std::vector<ub1>(rawOut, rawOut + rawOutLen), raw);
  EXPECT_EQ(std::vector<ub1>(dateOut, dateOut + 7), std::vector<ub1>(date, date + 7));
  EXPECT_EQ(std::string(padded, sizeof padded), "ab        ");
  EXPECT_STREQ(terminated, "ab ");
  EXPECT_EQ(termInd, 6);

  // Text that is no number, fetched as an integer.
  int32_t n;
  ASSERT_EQ(q.Parse("SELECT 'abc' FROM dual"), 0);
  ASSERT_EQ(o.odefin(q.cda(), 1, reinterpret_cast<ub1*>(&n), 4, kExtInteger, -1, nullptr, nullptr,
                     -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(o.oexfet(q.cda(), 1, 0, 0), 1722);
  // A number too large for the integer buffer.
  ASSERT_EQ(q.Parse("SELECT 100000 FROM dual"), 0);
  int16_t small;
  ASSERT_EQ(o.odefin(q.cda(), 1, reinterpret_cast<ub1*>(&small), 2, kExtInteger, -1, nullptr,
                     nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(o.oexfet(q.cda(), 1, 0, 0), 1455);
  ASSERT_EQ(st.Run("DROP TABLE bin"), 0);
}

TEST_F(Data, TextDatesBindInTheSessionFormat) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE days (d DATE)"), 0) << st.Error();
  ASSERT_EQ(st.Parse("INSERT INTO days VALUES (:d)"), 0);
  ASSERT_EQ(st.BindText("D", "05-MAR-21"), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  ASSERT_EQ(st.BindText("D", "nonsense"), 0);
  EXPECT_NE(st.Exec(), 0);
  Statement q(conn_);
  EXPECT_EQ(q.Value("SELECT TO_CHAR(d, 'YYYY-MM-DD') FROM days"), "2021-03-05");
  EXPECT_EQ(q.Value("SELECT count(*) FROM days WHERE d = TO_DATE('05-03-2021', 'DD-MM-YYYY')"),
            "1");
  ASSERT_EQ(st.Run("DROP TABLE days"), 0);
}

TEST_F(Data, ExactFetchCancelAndFetchAcrossRollback) {
  const Api& o = Oci();
  Statement st(conn_);
  char buf[4][12];
  ub2 len[4];
  auto define = [&] {
    ASSERT_EQ(o.odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), 12, kExtVarchar2, -1, nullptr,
                       nullptr, -1, -1, len, nullptr),
              0);
  };
  // exact: more rows than asked for is an error; exactly as many is not.
  ASSERT_EQ(st.Parse("SELECT ename FROM emp WHERE deptno = 10"), 0);
  define();
  EXPECT_EQ(o.oexfet(st.cda(), 2, 0, 1), 1422);
  EXPECT_EQ(o.oexfet(st.cda(), 3, 0, 1), 0);
  EXPECT_EQ(st.cda()->rpc, 3u);
  // cancel after the first batch: the next fetch is out of sequence (no more rows).
  EXPECT_EQ(o.oexfet(st.cda(), 1, 1, 0), 0);
  EXPECT_EQ(o.ofen(st.cda(), 1), kOraNoDataFound);
  // ocan ends an open fetch the same way.
  EXPECT_EQ(o.oexfet(st.cda(), 1, 0, 0), 0);
  EXPECT_EQ(o.ocan(st.cda()), 0);
  EXPECT_EQ(o.ofen(st.cda(), 1), kOraNoDataFound);

  // A rollback in the middle of a fetch does not end it.
  ASSERT_EQ(st.Parse("SELECT ename FROM emp ORDER BY empno"), 0);
  define();
  ASSERT_EQ(o.oexfet(st.cda(), 4, 0, 0), 0);
  Statement dml(conn_);
  ASSERT_EQ(dml.Run("UPDATE dept SET loc = loc"), 0);
  ASSERT_EQ(o.orol(conn_.lda()), 0);
  std::vector<std::string> rest;
  int rc;
  ub4 before = st.cda()->rpc;
  while ((rc = o.ofen(st.cda(), 4)) == 0 || rc == kOraNoDataFound) {
    for (ub4 r = 0; r < st.cda()->rpc - before; ++r) rest.emplace_back(buf[r], len[r]);
    before = st.cda()->rpc;
    if (rc) break;
  }
  EXPECT_EQ(rc, kOraNoDataFound);
  ASSERT_EQ(rest.size(), 10u);
  EXPECT_EQ(rest.front(), "MARTIN");
  EXPECT_EQ(rest.back(), "MILLER");

  // So does DDL, which SQLite refuses while a statement is running on the connection.
  ASSERT_EQ(dml.Run("CREATE TABLE scratch (x NUMBER)"), 0) << dml.Error();
  ASSERT_EQ(o.oexfet(st.cda(), 4, 0, 0), 0);
  ASSERT_EQ(dml.Run("DROP TABLE scratch"), 0) << dml.Error();
  ASSERT_EQ(o.ofen(st.cda(), 4), 0);
  EXPECT_EQ(std::string(buf[0], len[0]), "MARTIN");
  EXPECT_EQ(st.cda()->rpc, 8u);
}

TEST_F(Data, DdlKeepsTheCatalog) {
  Statement st(conn_);
  EXPECT_EQ(st.Run("CREATE TABLE emp (x NUMBER)"), 955);
  EXPECT_EQ(st.Run("CREATE SEQUENCE emp"), 955);
  EXPECT_EQ(st.Run("DROP TABLE nosuch"), 942);
  EXPECT_EQ(st.Run("DROP TABLE dept"), 2449);  // EMP's foreign key refers to it
  EXPECT_EQ(st.Run("DROP SYNONYM nosuch"), 1434);

  // Synonyms: private first, then public; a dangling one is no longer valid.
  ASSERT_EQ(st.Run("CREATE TABLE target (v VARCHAR2(5))"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO target VALUES ('t')"), 0);
  ASSERT_EQ(st.Run("CREATE SYNONYM alias FOR target"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT v FROM alias"), "t");
  Connection dba;
  ASSERT_EQ(dba.Logon("system/manager@data"), 0);
  Statement s(dba);
  ASSERT_EQ(s.Run("CREATE PUBLIC SYNONYM everywhere FOR demo.target"), 0) << s.Error();
  EXPECT_EQ(s.Value("SELECT v FROM everywhere"), "t");
  EXPECT_EQ(st.Value("SELECT count(*) FROM everywhere"), "1");
  ASSERT_EQ(st.Run("DROP TABLE target"), 0);
  EXPECT_EQ(st.Run("SELECT * FROM alias"), 980);
  ASSERT_EQ(st.Run("DROP SYNONYM alias"), 0);
  ASSERT_EQ(s.Run("DROP PUBLIC SYNONYM everywhere"), 0);
  EXPECT_EQ(s.Run("DROP PUBLIC SYNONYM everywhere"), 1432);

  // Sequences: bounds, cycling, and values that survive the session.
  ASSERT_EQ(st.Run("CREATE SEQUENCE tiny START WITH 2 INCREMENT BY 2 MAXVALUE 5"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT tiny.NEXTVAL FROM dual"), "2");
  EXPECT_EQ(st.Value("SELECT tiny.NEXTVAL FROM dual"), "4");
  ASSERT_EQ(st.Run("SELECT tiny.NEXTVAL FROM dual"), 0);
  EXPECT_EQ(Oci().ofen(st.cda(), 1), 8004);
  ASSERT_EQ(st.Run("CREATE SEQUENCE ring MINVALUE 1 MAXVALUE 2 CYCLE"), 0) << st.Error();
  std::string seen;
  for (int i = 0; i < 5; ++i) seen += st.Value("SELECT ring.NEXTVAL FROM dual");
  EXPECT_EQ(seen, "12121");
  ASSERT_EQ(Oci().ocom(conn_.lda()), 0);
  Connection again;
  ASSERT_EQ(again.Logon("demo/demo@data"), 0);
  Statement a(again);
  EXPECT_EQ(a.Value("SELECT ring.NEXTVAL FROM dual"), "2");
  ASSERT_EQ(st.Run("DROP SEQUENCE tiny"), 0);
  EXPECT_EQ(st.Run("DROP SEQUENCE tiny"), 2289);

  // The other DDL the engine keeps track of.
  ASSERT_EQ(st.Run("CREATE TABLE parts (id NUMBER, name VARCHAR2(10))"), 0) << st.Error();
  ASSERT_EQ(st.Run("ALTER TABLE parts ADD (weight NUMBER(5,1))"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO parts VALUES (1, 'bolt', 2.5)"), 0) << st.Error();
  ASSERT_EQ(st.Run("CREATE UNIQUE INDEX parts_name ON parts (name)"), 0) << st.Error();
  EXPECT_EQ(st.Run("CREATE INDEX parts_name ON parts (id)"), 955);
  EXPECT_EQ(st.Run("INSERT INTO parts VALUES (2, 'bolt', 1)"), 1);
  ASSERT_EQ(st.Run("DROP INDEX parts_name"), 0) << st.Error();
  EXPECT_EQ(st.Run("DROP INDEX parts_name"), 1418);
  ASSERT_EQ(st.Run("CREATE OR REPLACE VIEW heavy AS SELECT name FROM parts WHERE weight > 2"), 0)
      << st.Error();
  ASSERT_EQ(st.Run("CREATE OR REPLACE VIEW heavy AS SELECT name, weight FROM parts"), 0)
      << st.Error();
  EXPECT_EQ(st.Run("CREATE VIEW heavy AS SELECT 1 x FROM dual"), 955);
  EXPECT_EQ(st.Value("SELECT weight FROM heavy"), "2.5");
  ASSERT_EQ(st.Run("COMMENT ON COLUMN parts.name IS 'what it is called'"), 0) << st.Error();
  ASSERT_EQ(st.Run("LOCK TABLE parts IN EXCLUSIVE MODE"), 0) << st.Error();
  ASSERT_EQ(st.Run("TRUNCATE TABLE parts"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM parts"), "0");
  ASSERT_EQ(st.Run("DROP VIEW heavy"), 0) << st.Error();
  ASSERT_EQ(st.Run("DROP TABLE parts"), 0) << st.Error();
  EXPECT_EQ(st.Run("SELECT * FROM parts"), 942);
}

// Random inserts, updates and deletes through array binds, with commits and rollbacks,
// against a model of what the table must hold.
TEST_F(Data, RandomDmlMatchesAModel) {
  const Api& o = Oci();
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE model (k NUMBER CONSTRAINT pk_model PRIMARY KEY, v VARCHAR2(12))"),
            0)
      << st.Error();
  std::map<int, std::string> committed, current;
  std::mt19937 rng(7);
  Statement ins(conn_), upd(conn_), del(conn_), q(conn_);
  ASSERT_EQ(ins.Parse("INSERT INTO model VALUES (:k, :v)"), 0);
  ASSERT_EQ(upd.Parse("UPDATE model SET v = :v WHERE k = :k"), 0);
  ASSERT_EQ(del.Parse("DELETE FROM model WHERE k = :k"), 0);
  for (int round = 0; round < 60; ++round) {
    const int n = 1 + static_cast<int>(rng() % 8);
    int32_t keys[8];
    char vals[8][12];
    ub2 lens[8];
    for (int i = 0; i < n; ++i) {
      keys[i] = static_cast<int32_t>(rng() % 40);
      std::string v = "v";
      v += std::to_string(rng() % 1000);
      std::memcpy(vals[i], v.data(), v.size());
      lens[i] = static_cast<ub2>(v.size());
    }
    Statement* s = nullptr;
    int op = static_cast<int>(rng() % 3);
    s = op == 0 ? &ins : op == 1 ? &upd : &del;
    ASSERT_EQ(o.obndra(s->cda(), T("K"), -1, reinterpret_cast<ub1*>(keys), 4, kExtInteger, -1,
                       nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
              0);
    if (op != 2) {
      ASSERT_EQ(o.obndra(s->cda(), T("V"), -1, reinterpret_cast<ub1*>(vals), 12, kExtVarchar2, -1,
                         nullptr, lens, nullptr, 0, nullptr, nullptr, -1, -1),
                0);
    }
    int rc = s->Exec(n, 0);
    // The model: elements in order until the first duplicate key of an insert.
    ub4 affected = 0;
    int expectRc = 0;
    for (int i = 0; i < n; ++i) {
      std::string v(vals[i], lens[i]);
      if (op == 0) {
        if (current.count(keys[i])) {
          expectRc = 1;
          break;
        }
        current[keys[i]] = v;
        ++affected;
      } else if (op == 1) {
        if (current.count(keys[i])) {
          current[keys[i]] = v;
          ++affected;
        }
      } else {
        affected += static_cast<ub4>(current.erase(keys[i]));
      }
    }
    ASSERT_EQ(rc, expectRc) << s->Error();
    ASSERT_EQ(s->cda()->rpc, affected);
    int end = static_cast<int>(rng() % 5);
    if (end == 0) {
      ASSERT_EQ(o.ocom(conn_.lda()), 0);
      committed = current;
    } else if (end == 1) {
      ASSERT_EQ(o.orol(conn_.lda()), 0);
      current = committed;
    }
    auto rows = q.Query("SELECT k, v FROM model ORDER BY k", 7);
    std::map<int, std::string> seen;
    for (auto& r : rows) seen[std::stoi(r[0])] = r[1];
    ASSERT_EQ(seen, current) << "round " << round;
  }
  ASSERT_EQ(o.orol(conn_.lda()), 0);
}

TEST_F(Data, LogonAreasAndMessagesWithoutASession) {
  const Api& o = Oci();
  Connection c;
  // The text of a failed logon is there for the area that failed.
  EXPECT_EQ(c.Logon("demo/nope@data"), 1017);
  EXPECT_EQ(c.Message(1017), "ORA-01017: invalid username/password; logon denied");
  // A second logon on a live area ends the first session cleanly.
  ASSERT_EQ(c.Logon("demo/demo@data"), 0);
  Statement st(c);
  ASSERT_EQ(st.Run("UPDATE dept SET loc = 'GONE' WHERE deptno = 40"), 0);
  ASSERT_EQ(c.Logon("demo/demo@data"), 0);
  EXPECT_EQ(st.Exec(), 1001);  // the old session's cursor went with it
  Statement again(c);
  EXPECT_EQ(again.Value("SELECT loc FROM dept WHERE deptno = 40"), "BOSTON");
  // Calls before any parse.
  Statement fresh(c);
  sb4 dbsize, cbufl = 31, dsize;
  sb2 dbtype, prec, scale, nullok;
  sb1 name[32];
  EXPECT_EQ(
      o.odescr(fresh.cda(), 1, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok),
      1003);
  EXPECT_EQ(o.ofen(fresh.cda(), 1), 1003);
  EXPECT_EQ(fresh.Exec(), 1003);
}

TEST_F(Data, SingleRowSubqueryWithSeveralRowsIsRefused) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE sub_rows (g NUMBER, x NUMBER)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO sub_rows SELECT decode(rownum, 4, 2, 1), rownum FROM emp "
                   "WHERE rownum <= 4"),
            0)
      << st.Error();
  for (const char* sql : {"SELECT g FROM sub_rows WHERE x = (SELECT x FROM sub_rows WHERE g = 1)",
                          "SELECT (SELECT x FROM sub_rows WHERE g = 1) FROM dual",
                          "UPDATE sub_rows SET x = (SELECT x FROM sub_rows WHERE g = 1)"}) {
    int rc = st.Parse(sql);
    if (rc == 0) rc = st.Exec();
    if (rc == 0) rc = Oci().oexfet(st.cda(), 1, 0, 0);
    EXPECT_EQ(rc, 1427) << sql;
    EXPECT_EQ(st.Error(), "ORA-01427: single-row subquery returns more than one row") << sql;
  }
  // One row or none is a value or NULL, as before.
  EXPECT_EQ(st.Value("SELECT g FROM sub_rows WHERE x = (SELECT x FROM sub_rows WHERE g = 2)"), "2");
  EXPECT_EQ(st.Value("SELECT nvl((SELECT x FROM sub_rows WHERE g = 3), -1) FROM dual"), "-1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM sub_rows WHERE x IN (SELECT x FROM sub_rows "
                     "WHERE g = 1)"),
            "3");
}

TEST_F(Data, NumberFormatsRoundHalfAwayFromZero) {
  Statement st(conn_);
  ExpectValues(st, {
                       {"SELECT to_char(1234.5, '$9,999') FROM dual", " $1,235"},
                       {"SELECT to_char(2.5, '9') FROM dual", " 3"},
                       {"SELECT to_char(-2.5, '9') FROM dual", "-3"},
                       {"SELECT to_char(0.125, '0.99') FROM dual", " 0.13"},
                       {"SELECT to_char(1.005, '9.99') FROM dual", " 1.01"},
                       {"SELECT to_char(0.124, '0.99') FROM dual", " 0.12"},
                   });
}

TEST_F(Data, NumberArithmeticIsDecimal) {
  Statement st(conn_);
  ExpectValues(st, {
                       {"SELECT 0.1 + 0.2 - 0.3 FROM dual", "0"},
                       {"SELECT count(*) FROM dual WHERE 0.1 + 0.2 = 0.3", "1"},
                       {"SELECT 1.1 * 3 FROM dual", "3.3"},
                       {"SELECT 1 / 3 * 3 FROM dual", "1"},
                       {"SELECT 4.35 * 100 FROM dual", "435"},
                       {"SELECT 1 - 0.9 FROM dual", ".1"},
                       {"SELECT -0.1 - 0.2 FROM dual", "-.3"},
                       {"SELECT 123456789012.34 + 0.01 FROM dual", "123456789012.35"},
                   });
  // PL/SQL's arithmetic alike.
  ASSERT_EQ(st.Parse("DECLARE n NUMBER := 0.1; BEGIN n := n + 0.2; "
                     ":r := n - 0.3 || '/' || (0.3 / 0.1) || '/' || (12345678.1 - 12345678); END;"),
            0)
      << st.Error();
  ASSERT_EQ(st.BindText("R", std::nullopt, 64), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(st.OutText(0), "0/3/.1");

  ASSERT_EQ(st.Run("CREATE TABLE cents (id NUMBER, amount NUMBER(12,2))"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO cents VALUES (1, 0.1)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO cents VALUES (2, 0.2)"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT sum(amount) FROM cents"), ".3");
  EXPECT_EQ(st.Value("SELECT count(*) FROM cents WHERE amount + 0.2 = 0.3"), "1");
  EXPECT_EQ(st.Value("SELECT avg(amount) FROM cents"), ".15");
  EXPECT_EQ(st.Value("SELECT sum(amount) FROM cents HAVING sum(amount) = 0.3"), ".3");
  ASSERT_EQ(st.Run("UPDATE cents SET amount = amount + 0.2 WHERE id = 1"), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT count(*) FROM cents WHERE amount = 0.3"), "1");

  // 100,000 amounts with cents add up to the cent: the sum of k * 0.01 + 0.07 for k from
  // 1 to 100,000 is 50,000,500 + 7,000 = 50,007,500.00.
  ASSERT_EQ(st.Run("DELETE FROM cents"), 0) << st.Error();
  ASSERT_EQ(st.Parse("INSERT INTO cents VALUES (:id, :amount)"), 0) << st.Error();
  const int kRows = 100000;
  std::vector<int32_t> ids(kRows);
  std::vector<char> amounts(static_cast<size_t>(kRows) * 16, 0);
  std::vector<ub2> lens(kRows);
  for (int i = 0; i < kRows; ++i) {
    ids[static_cast<size_t>(i)] = i + 1;
    int cents = i + 1 + 7;
    std::string text = std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") +
                       std::to_string(cents % 100);
    std::memcpy(&amounts[static_cast<size_t>(i) * 16], text.data(), text.size());
    lens[static_cast<size_t>(i)] = static_cast<ub2>(text.size());
  }
  ASSERT_EQ(Oci().obndra(st.cda(), T(":id"), -1, reinterpret_cast<ub1*>(ids.data()), 4, kExtInteger,
                         -1, nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  ASSERT_EQ(
      Oci().obndra(st.cda(), T(":amount"), -1, reinterpret_cast<ub1*>(amounts.data()), 16,
                   kExtVarchar2, -1, nullptr, lens.data(), nullptr, 0, nullptr, nullptr, -1, -1),
      0);
  ASSERT_EQ(st.Exec(kRows), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT sum(amount) FROM cents"), "50007500");
  EXPECT_EQ(st.Value("SELECT sum(amount) - 50007499.99 FROM cents"), ".01");
  EXPECT_EQ(st.Value("SELECT avg(amount) FROM cents"), "500.075");
}

TEST_F(Data, TextLiteralsCompareBlankPadded) {
  Statement st(conn_);
  ExpectValues(st, {
                       {"SELECT count(*) FROM dual WHERE 'a' = 'a  '", "1"},
                       {"SELECT count(*) FROM dual WHERE 'a  ' <> 'a'", "0"},
                       {"SELECT count(*) FROM dual WHERE 'a' < 'a '", "0"},
                       {"SELECT count(*) FROM dual WHERE 'a ' IN ('b', 'a')", "1"},
                       // Text that is not a literal keeps comparing without padding.
                       {"SELECT count(*) FROM dual WHERE rtrim('a ') || ' ' = 'a'", "0"},
                   });
}
