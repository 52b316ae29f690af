// What a session's statements see while cursors of the same session stand open mid-fetch:
// each new statement sees everything committed before it began, with the privileges of
// that moment, and may write; each open cursor goes on with the rows of its own start.
#include <functional>
#include <memory>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

// The first column of a cursor as text, a few rows a call.
class Rows {
 public:
  explicit Rows(CdaDef* cda) : cda_(cda) {
    EXPECT_EQ(Oci().odefin(cda_, 1, buf_[0], kWidth, kExtVarchar2, -1, ind_, nullptr, -1, -1, len_,
                           nullptr),
              0);
  }
  // oexfet: runs the query and takes its first n rows (n <= 8).
  std::vector<std::string> Execute(int n) {
    EXPECT_LE(n, kBatch);
    seen_ = 0;
    return Take(Oci().oexfet(cda_, static_cast<ub4>(n), 0, 0));
  }
  // ofen: up to n more rows, fewer at the end.
  std::vector<std::string> Fetch(int n) {
    std::vector<std::string> all;
    while (n > 0 && last_ == 0) {
      std::vector<std::string> some = Take(Oci().ofen(cda_, std::min(n, kBatch)));
      n -= static_cast<int>(some.size());
      all.insert(all.end(), some.begin(), some.end());
    }
    return all;
  }
  std::vector<std::string> Rest() { return Fetch(1 << 20); }

 private:
  static constexpr int kWidth = 40;
  static constexpr int kBatch = 8;
  std::vector<std::string> Take(int rc) {
    last_ = rc;
    EXPECT_TRUE(rc == 0 || rc == kOraNoDataFound) << rc;
    std::vector<std::string> out;
    ub4 got = cda_->rpc - seen_;
    seen_ = cda_->rpc;
    for (ub4 r = 0; r < got && r < kBatch; ++r)
      out.push_back(ind_[r] == -1 ? "<null>"
                                  : std::string(reinterpret_cast<char*>(buf_[r]), len_[r]));
    return out;
  }
  CdaDef* cda_;
  ub1 buf_[kBatch][kWidth];
  sb2 ind_[kBatch];
  ub2 len_[kBatch];
  ub4 seen_ = 0;
  int last_ = 0;
};

constexpr const char* kEmpQuery = "SELECT ename FROM emp ORDER BY empno";

class ReadConsistency : public DatabaseSuite<"CONS"> {
 protected:
  static void SetUpTestSuite() {
    DatabaseSuite::SetUpTestSuite();
    Connection dba;
    ASSERT_EQ(dba.Logon("system/manager@cons"), 0);
    Statement admin(dba);
    ASSERT_EQ(admin.Run("CREATE USER eve IDENTIFIED BY eve"), 0) << admin.Error();
    ASSERT_EQ(admin.Run("GRANT CREATE SESSION, CREATE TABLE TO eve"), 0) << admin.Error();
    Connection demo;
    ASSERT_EQ(demo.Logon("demo/demo@cons"), 0);
    Statement d(demo);
    ASSERT_EQ(d.Run("CREATE TABLE tick (n NUMBER)"), 0) << d.Error();
    ASSERT_EQ(d.Run("INSERT INTO tick VALUES (0)"), 0) << d.Error();
    ASSERT_EQ(Oci().ocom(demo.lda()), 0);
  }
  void SetUp() override {
    ASSERT_EQ(reader_.Logon("demo/demo@cons"), 0);
    ASSERT_EQ(writer_.Logon("demo/demo@cons"), 0);
  }
  // The other session commits a new value of the tick and answers it.
  std::string Tick() {
    Statement w(writer_);
    EXPECT_EQ(w.Run("UPDATE tick SET n = n + 1"), 0) << w.Error();
    EXPECT_EQ(Oci().ocom(writer_.lda()), 0);
    return w.Value("SELECT n FROM tick");
  }
  Connection reader_, writer_;
};

}  // namespace

// The session of the program's result grid: a cursor fetched part way, while another
// session commits, revokes, and the first one writes.
TEST_F(ReadConsistency, AnOpenCursorNeitherFreezesNorLocksItsSession) {
  Connection eve;
  ASSERT_EQ(eve.Logon("eve/eve@cons"), 0);
  Statement grant(writer_), mine(eve);
  ASSERT_EQ(grant.Run("GRANT SELECT ON emp TO eve"), 0) << grant.Error();
  ASSERT_EQ(mine.Run("CREATE TABLE notes (n NUMBER)"), 0) << mine.Error();

  Statement grid(eve);
  ASSERT_EQ(grid.Parse("SELECT sal FROM demo.emp ORDER BY empno DESC"), 0) << grid.Error();
  Rows rows(grid.cda());
  EXPECT_EQ(rows.Execute(2), (std::vector<std::string>{"1300", "3000"}));

  Statement w(writer_);
  ASSERT_EQ(w.Run("UPDATE emp SET sal = 2999 WHERE empno = 7369"), 0) << w.Error();
  ASSERT_EQ(Oci().ocom(writer_.lda()), 0);
  Statement s(eve);
  EXPECT_EQ(s.Value("SELECT sal FROM demo.emp WHERE empno = 7369"), "2999");

  ASSERT_EQ(grant.Run("REVOKE SELECT ON emp FROM eve"), 0) << grant.Error();
  EXPECT_EQ(s.Run("SELECT sal FROM demo.emp WHERE empno = 7369"), 942);

  EXPECT_EQ(mine.Run("INSERT INTO notes VALUES (1)"), 0) << mine.Error();
  EXPECT_EQ(Oci().ocom(eve.lda()), 0);
  EXPECT_EQ(mine.Value("SELECT count(*) FROM notes"), "1");

  // The grid's cursor goes on with the rows of its start: 7369 last, at 800.
  std::vector<std::string> rest = rows.Rest();
  ASSERT_EQ(rest.size(), 12u);
  EXPECT_EQ(rest.back(), "800");

  ASSERT_EQ(w.Run("UPDATE emp SET sal = 800 WHERE empno = 7369"), 0);
  ASSERT_EQ(Oci().ocom(writer_.lda()), 0);
}

// Every kind of cursor that can stand open, and every kind of new work after it.
TEST_F(ReadConsistency, EveryNewStatementSeesTheCommittedStateWhateverStandsOpen) {
  const Api& o = Oci();
  Statement earlier(reader_);
  ASSERT_EQ(earlier.Parse("SELECT n FROM tick"), 0);
  Rows earlierRows(earlier.cda());
  {
    Statement setup(reader_);
    ASSERT_EQ(setup.Run("CREATE TABLE notes (n NUMBER)"), 0);
    ASSERT_EQ(setup.Run("CREATE PACKAGE staff AS CURSOR c IS " + std::string(kEmpQuery) + "; END;"),
              0)
        << setup.Error();
  }

  enum Kind { kQuery, kCursorVariable, kOpenedInATransaction, kPackageCursor };
  for (Kind kind : {kQuery, kCursorVariable, kOpenedInATransaction, kPackageCursor}) {
    SCOPED_TRACE(kind);
    // Opens the cursor and fetches its first two rows; `fetch` takes up to n more.
    Statement parent(reader_);
    Area variable;
    std::unique_ptr<Rows> rows;
    std::function<std::vector<std::string>(int)> fetch;
    if (kind == kPackageCursor) {
      ASSERT_EQ(parent.Run("BEGIN OPEN staff.c; END;"), 0) << parent.Error();
      ASSERT_EQ(parent.Parse("DECLARE n VARCHAR2(10); BEGIN FETCH staff.c INTO n; "
                             "IF staff.c%NOTFOUND THEN :v := NULL; ELSE :v := n; END IF; END;"),
                0);
      ASSERT_EQ(parent.BindText("V", std::nullopt, 40), 0);
      fetch = [&](int n) {
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) {
          EXPECT_EQ(parent.Exec(), 0) << parent.Error();
          std::optional<std::string> v = parent.OutText(0);
          if (!v) break;
          out.push_back(*v);
        }
        return out;
      };
    } else if (kind == kCursorVariable) {
      ASSERT_EQ(parent.Parse("BEGIN OPEN :c FOR " + std::string(kEmpQuery) + "; END;"), 0);
      ASSERT_EQ(o.obndra(parent.cda(), T(":C"), -1, reinterpret_cast<ub1*>(&variable.cda), -1,
                         kExtCursor, -1, nullptr, nullptr, nullptr, 0, nullptr, nullptr, 0, 0),
                0);
      ASSERT_EQ(parent.Exec(), 0) << parent.Error();
      rows = std::make_unique<Rows>(&variable.cda);
      fetch = [&](int n) { return rows->Fetch(n); };
    } else {
      if (kind == kOpenedInATransaction) {
        ASSERT_EQ(Statement(reader_).Run("INSERT INTO notes VALUES (-1)"), 0);
      }
      ASSERT_EQ(parent.Parse(kEmpQuery), 0);
      rows = std::make_unique<Rows>(parent.cda());
      ASSERT_EQ(rows->Execute(1), std::vector<std::string>{"SMITH"});
      fetch = [&](int n) { return rows->Fetch(n); };
    }
    std::vector<std::string> first = fetch(kind == kQuery || kind == kOpenedInATransaction ? 1 : 2);
    EXPECT_EQ(first.back(), "ALLEN");
    if (kind == kOpenedInATransaction) {
      ASSERT_EQ(o.ocom(reader_.lda()), 0);
    }
    // Meanwhile EMP changes under the cursor.
    Statement w(writer_);
    ASSERT_EQ(w.Run("UPDATE emp SET ename = lower(ename)"), 0);
    ASSERT_EQ(o.ocom(writer_.lda()), 0);

    Statement s(reader_);
    std::string n = Tick();
    EXPECT_EQ(s.Value("SELECT n FROM tick"), n) << "a new query";
    n = Tick();
    EXPECT_EQ(earlierRows.Execute(1), std::vector<std::string>{n}) << "a query parsed before";
    n = Tick();
    ASSERT_EQ(s.Parse("BEGIN SELECT n INTO :v FROM tick; END;"), 0);
    ASSERT_EQ(s.BindText("V", std::nullopt, 40), 0);
    EXPECT_EQ(s.Exec(), 0) << s.Error();
    EXPECT_EQ(s.OutText(0), n) << "a block";
    n = Tick();
    EXPECT_EQ(s.Run("INSERT INTO notes SELECT n FROM tick"), 0) << s.Error();
    EXPECT_EQ(s.Value("SELECT max(n) FROM notes"), n) << "DML";
    EXPECT_EQ(s.Run("UPDATE tick SET n = n"), 0) << s.Error();  // the lock was free
    ASSERT_EQ(o.ocom(reader_.lda()), 0);
    n = Tick();
    EXPECT_EQ(s.Run("CREATE TABLE t" + n + " (n NUMBER)"), 0) << s.Error() << " (DDL)";
    EXPECT_EQ(s.Value("SELECT n FROM tick"), n) << "after DDL";

    // The open cursor's rows are those of its start, in upper case.
    std::vector<std::string> rest = fetch(20);
    ASSERT_EQ(rest.size(), 12u);
    EXPECT_EQ(rest.front(), "WARD");
    EXPECT_EQ(rest.back(), "MILLER");
    if (kind == kPackageCursor) {
      ASSERT_EQ(parent.Run("BEGIN CLOSE staff.c; END;"), 0);
    }
    ASSERT_EQ(w.Run("UPDATE emp SET ename = upper(ename)"), 0);
    ASSERT_EQ(o.ocom(writer_.lda()), 0);
  }
}

// The session's own later writes do not reach a cursor it opened before them either, on
// a table with triggers (rows changed one by one) or without.
TEST_F(ReadConsistency, AnOpenCursorKeepsItsRowsOverTheSessionsOwnWrites) {
  const Api& o = Oci();
  Statement s(reader_), emp(reader_), dept(reader_);
  ASSERT_EQ(s.Run("UPDATE emp SET sal = sal + 1 WHERE empno = 7369"), 0);
  ASSERT_EQ(emp.Parse("SELECT sal FROM emp ORDER BY empno"), 0);
  ASSERT_EQ(dept.Parse("SELECT loc FROM dept ORDER BY deptno"), 0);
  Rows empRows(emp.cda()), deptRows(dept.cda());
  EXPECT_EQ(empRows.Execute(1), std::vector<std::string>{"801"});
  EXPECT_EQ(deptRows.Execute(1), std::vector<std::string>{"NEW YORK"});
  ASSERT_EQ(s.Run("UPDATE emp SET sal = sal + 100"), 0) << s.Error();
  ASSERT_EQ(s.Run("DELETE FROM emp WHERE empno = 7934"), 0) << s.Error();
  ASSERT_EQ(s.Run("UPDATE dept SET loc = lower(loc)"), 0) << s.Error();
  ASSERT_EQ(s.Run("DELETE FROM dept WHERE deptno = 40"), 0) << s.Error();
  std::vector<std::string> rest = empRows.Rest();
  ASSERT_EQ(rest.size(), 13u);
  EXPECT_EQ(rest.front(), "1600");  // ALLEN, before the raise
  EXPECT_EQ(rest.back(), "1300");   // MILLER, deleted since
  EXPECT_EQ(deptRows.Rest(), (std::vector<std::string>{"DALLAS", "CHICAGO", "BOSTON"}));
  EXPECT_EQ(s.Value("SELECT sal FROM emp WHERE empno = 7369"), "901");
  ASSERT_EQ(o.orol(reader_.lda()), 0);
  EXPECT_EQ(s.Value("SELECT sal FROM emp WHERE empno = 7369"), "800");
}

// Right after the database is opened, before anything is written, a read's snapshot has no
// name: an open cursor still keeps its rows, whether a commit comes before the session's
// next statement or not.
TEST_F(ReadConsistency, AnOpenCursorKeepsItsRowsOnADatabaseJustOpened) {
  for (bool commitFirst : {false, true}) {
    SCOPED_TRACE(commitFirst);
    ASSERT_EQ(reader_.Logoff(), 0);
    ASSERT_EQ(writer_.Logoff(), 0);  // the last session: the database is closed
    ASSERT_EQ(reader_.Logon("demo/demo@cons"), 0);
    Statement grid(reader_), s(reader_);
    ASSERT_EQ(grid.Parse("SELECT ename FROM emp ORDER BY empno"), 0);
    Rows rows(grid.cda());
    EXPECT_EQ(rows.Execute(1), std::vector<std::string>{"SMITH"});
    ASSERT_EQ(writer_.Logon("demo/demo@cons"), 0);
    if (commitFirst) {
      Statement w(writer_);
      ASSERT_EQ(w.Run("UPDATE emp SET ename = lower(ename)"), 0);
      ASSERT_EQ(Oci().ocom(writer_.lda()), 0);
    }
    EXPECT_EQ(s.Value("SELECT ename FROM emp WHERE empno = 7499"), commitFirst ? "allen" : "ALLEN");
    if (!commitFirst) {
      Statement w(writer_);
      ASSERT_EQ(w.Run("UPDATE emp SET ename = lower(ename)"), 0);
      ASSERT_EQ(Oci().ocom(writer_.lda()), 0);
      EXPECT_EQ(s.Value("SELECT ename FROM emp WHERE empno = 7499"), "allen");
    }
    std::vector<std::string> rest = rows.Rest();
    ASSERT_EQ(rest.size(), 13u);
    EXPECT_EQ(rest.front(), "ALLEN");
    EXPECT_EQ(rest.back(), "MILLER");
    Statement w(writer_);
    ASSERT_EQ(w.Run("UPDATE emp SET ename = upper(ename)"), 0);
    ASSERT_EQ(Oci().ocom(writer_.lda()), 0);
  }
}

