// The translator, checked by running its output on SQLite against the classic demo data
// and comparing with the rows Oracle gives.
#include "oci7/ora_codes.h"
#include "tests/corpus.h"
#include "tests/oci7/dialect/dialect_db.h"

using namespace tess::oci7;
using namespace tess::oci7::testing;

namespace {

class Translate_ : public ::testing::Test {
 protected:
  void SetUp() override { d.MakeDemo(); }
  DialectDb d;
};

}  // namespace

TEST_F(Translate_, DescribeNamesHintsAndBindNumbering) {
  Rows r = d.Run(
      "select e.ename, sal * 12, hiredate + 1, 'x' lit, \"Low\", null, rownum, e.rowid, "
      "to_char(sal) from emp e, (select 1 \"Low\" from dual) where empno = 7839",
      {});
  EXPECT_EQ(d.names_, (std::vector<std::string>{"ENAME", "SAL*12", "HIREDATE+1", "LIT", "Low",
                                                "NULL", "ROWNUM", "ROWID", "TO_CHAR(SAL)"}));
  EXPECT_EQ(d.last_.columnTypeHints,
            (std::vector<int>{0, kTypeNumber, kTypeDate, kTypeChar, kTypeNumber, kTypeVarchar2,
                              kTypeNumber, kTypeRowid, kTypeVarchar2}));
  EXPECT_EQ(d.last_.columnNames, d.names_);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0][1], "60000");
  EXPECT_EQ(r[0][2], "1981-11-18 00:00:00");
  // Long expressions are named by their first 30 bytes, blanks outside quotes removed.
  d.Run("select nvl(comm, 0) + sal * 12 - 100 / 4 + deptno from emp where 1 = 0");
  EXPECT_EQ(d.names_[0], "NVL(COMM,0)+SAL*12-100/4+DEPTN");
  // SELECT * comes out in table order, upper-case, qualified tables' columns in turn.
  d.Run("select d.*, e.* from dept d, emp e where 1 = 0");
  ASSERT_EQ(d.names_.size(), 11u);
  EXPECT_EQ(d.names_[0], "DEPTNO");
  EXPECT_EQ(d.names_[3], "EMPNO");

  Translation t = Translate("select :b, :a from dual where :b = :\"b\" and :1 is null", d.context_);
  EXPECT_EQ(t.binds, (std::vector<std::string>{"B", "A", "b", "1"}));
  EXPECT_NE(t.sql.find("?1 AS"), std::string::npos);
  EXPECT_NE(t.sql.find("(?1 = ?3)"), std::string::npos);
  EXPECT_EQ(t.functionCode, kFcSelect);
}

TEST_F(Translate_, OuterJoinsKeepUnmatchedRows) {
  Rows r = d.Run(
      "select d.dname, e.ename from emp e, dept d where e.deptno(+) = d.deptno "
      "and e.job(+) = 'CLERK' order by d.deptno, e.ename");
  EXPECT_EQ(Column(r, 1), "MILLER,ADAMS,SMITH,JAMES,<null>");
  EXPECT_EQ(r.back()[0], "OPERATIONS");
  // A chain of outer joins, written in the reverse order of the joins.
  r = d.Run(
      "select count(*) from emp m, emp w, dept x where w.mgr(+) = m.empno and x.deptno(+) = "
      "w.deptno "
      "and m.ename = 'SMITH'");
  EXPECT_EQ(r[0][0], "1");
  int off = -1;
  EXPECT_EQ(d.ErrorOf("select 1 from emp e, dept d where e.deptno(+) = d.deptno(+)", &off), 1468);
  EXPECT_EQ(
      d.ErrorOf("select 1 from emp e, dept d where e.deptno(+) = d.deptno or d.deptno = 1", &off),
      1719);
  EXPECT_EQ(
      d.ErrorOf("select 1 from emp e, dept d where e.deptno(+) = d.deptno and d.loc(+) = e.job"),
      1416);
}

TEST_F(Translate_, ConnectByWalksTheTreeDepthFirst) {
  Rows r = d.Run(
      "select lpad(' ', 2 * (level - 1)) || ename, level from emp "
      "start with mgr is null connect by prior empno = mgr");
  ASSERT_EQ(r.size(), 14u);
  EXPECT_EQ(r[0][0], "KING");
  // Every row follows its manager, and its level is one more than the manager's.
  std::map<std::string, int> levelOf;
  Rows mgr = d.Run("select e.ename, m.ename from emp e, emp m where e.mgr = m.empno(+)");
  std::map<std::string, std::string> managerOf;
  for (auto& row : mgr) managerOf[row[0]] = row[1];
  std::vector<std::string> path;
  for (auto& row : r) {
    size_t lead = row[0].find_first_not_of(' ');
    std::string name = row[0].substr(lead);
    int level = std::stoi(row[1]);
    EXPECT_EQ(int(lead), 2 * (level - 1));
    path.resize(size_t(level - 1));
    if (level > 1) {
      EXPECT_EQ(managerOf[name], path.back()) << name;
    }
    path.push_back(name);
  }
  // PRIOR on the right, a WHERE applied after the walk, START WITH by a subquery.
  r = d.Run(
      "select ename from emp where job <> 'CLERK' start with ename = (select 'JONES' from dual) "
      "connect by mgr = prior empno");
  EXPECT_EQ(Column(r), "JONES,SCOTT,FORD");
  // Without START WITH every row is a root.
  EXPECT_EQ(d.One("select count(*) from emp connect by prior empno = mgr"), "39");
  // A cycle in the data is Oracle's error, not an endless query.
  d.Run("update emp set mgr = 7369 where ename = 'KING'");
  EXPECT_EQ(
      d.ErrorOf("select ename from emp start with ename = 'KING' connect by prior empno = mgr"),
      1436);
  EXPECT_EQ(d.ErrorOf("select level from dual"), 1788);
  EXPECT_EQ(d.ErrorOf("select 1 from emp, dept connect by prior empno = mgr"), 1437);
}

TEST_F(Translate_, RownumCountsRowsBeforeSorting) {
  EXPECT_EQ(d.Run("select ename from emp where rownum <= 3").size(), 3u);
  EXPECT_EQ(d.Run("select ename from emp where rownum < 3 and deptno = 30").size(), 2u);
  EXPECT_EQ(d.Run("select ename from emp where rownum = 1").size(), 1u);
  EXPECT_EQ(d.Run("select ename from emp where rownum = 2").size(), 0u);
  EXPECT_EQ(d.Run("select ename from emp where rownum > 1").size(), 0u);
  EXPECT_EQ(d.Run("select ename from emp where 4 >= rownum").size(), 4u);
  EXPECT_EQ(d.Run("select ename from emp where rownum <= :n", {{"N", "2"}}).size(), 2u);
  // ORDER BY sorts the first rows found, not the whole table.
  Rows firstThree = d.Run("select sal from emp where rownum <= 3");
  Rows sorted = d.Run("select sal from emp where rownum <= 3 order by sal");
  std::vector<double> a, b;
  for (auto& r : firstThree) a.push_back(std::stod(r[0]));
  for (auto& r : sorted) b.push_back(std::stod(r[0]));
  std::sort(a.begin(), a.end());
  EXPECT_EQ(a, b);
  EXPECT_EQ(d.One("select count(*) from emp where rownum <= 5"), "5");
  // Top-N over an ordered subquery, and ROWNUM numbering the rows.
  EXPECT_EQ(
      Column(d.Run(
          "select ename from (select ename from emp order by sal desc, ename) where rownum <= 3")),
      "KING,FORD,SCOTT");
  EXPECT_EQ(Column(d.Run("select rownum from emp where deptno = 10")), "1,2,3");
}

TEST_F(Translate_, OracleSemantics) {
  // The empty string is NULL, in literals and in what is stored.
  EXPECT_EQ(d.One("select nvl('', 'was null') from dual"), "was null");
  d.Run("insert into dept values (50, '', 'X')");
  EXPECT_EQ(d.One("select count(*) from dept where dname is null"), "1");
  EXPECT_EQ(d.One("select 'a' || null || '' || 'b' from dual"), "ab");
  EXPECT_EQ(d.One("select '' || null from dual"), "<null>");
  // LIKE is case-sensitive and knows ESCAPE.
  EXPECT_EQ(d.One("select count(*) from emp where ename like 'S%'"), "2");
  EXPECT_EQ(d.One("select count(*) from emp where ename like 's%'"), "0");
  EXPECT_EQ(d.One("select count(*) from dual where 'a_b' like 'a\\_b' escape '\\'"), "1");
  EXPECT_EQ(d.One("select count(*) from dual where 'axb' like 'a\\_b' escape '\\'"), "0");
  EXPECT_EQ(d.One("select count(*) from emp where ename not like '%A%'"), "7");
  // NULLs sort last ascending, first descending, unless told otherwise.
  EXPECT_EQ(d.Run("select comm from emp order by comm").back()[0], "<null>");
  EXPECT_EQ(d.Run("select comm from emp order by comm desc")[0][0], "<null>");
  EXPECT_EQ(d.Run("select comm from emp order by comm nulls first")[0][0], "<null>");
  EXPECT_EQ(d.Run("select comm c from emp order by 1 desc nulls last")[0][0], "1400");
  // MINUS, INTERSECT, UNION with an ORDER BY on the whole.
  EXPECT_EQ(Column(d.Run("select deptno from dept minus select deptno from emp order by 1")),
            "40,50");
  EXPECT_EQ(Column(d.Run("(select deptno from dept where deptno < 30) intersect (select deptno "
                         "from emp) order by 1 desc")),
            "20,10");
  // Numbers: real division, Oracle's text forms, ORA-01476.
  EXPECT_EQ(d.One("select 7 / 2 from dual"), "3.5");
  EXPECT_EQ(d.One("select 8 / 2 + .5 from dual"), "4.5");
  EXPECT_EQ(d.ErrorOf("select 1 / 0 from dual"), 1476);
  EXPECT_EQ(d.ErrorOf("select 'abc' + 1 from dual"), 1722);
  EXPECT_EQ(d.One("select '12' * 2 from dual"), "24");
  // Dates: comparisons with text in the session format, arithmetic.
  // YY is this century; a full year may be written instead.
  EXPECT_EQ(d.One("select count(*) from emp where hiredate > '31-DEC-81'"), "0");
  EXPECT_EQ(d.One("select count(*) from emp where hiredate > '31-DEC-1981'"), "3");
  d.functions_.dateFormat = "YYYY-MM-DD";
  EXPECT_EQ(d.One("select count(*) from emp where hiredate > '1981-12-31'"), "3");
  EXPECT_EQ(d.One("select hiredate || '' from emp where ename = 'KING'"), "1981-11-17");
  d.functions_.dateFormat = "DD-MON-YY";
  EXPECT_EQ(d.One("select to_char(hiredate + 1.5) from emp where ename = 'KING'"), "18-NOV-81");
  EXPECT_EQ(d.One("select hiredate + 1.5 from emp where ename = 'KING'"), "1981-11-18 12:00:00");
  EXPECT_EQ(d.One("select hiredate - 1/24 from emp where ename = 'KING'"), "1981-11-16 23:00:00");
  EXPECT_EQ(d.One("select to_date('02-01-2000 06:00', 'DD-MM-YYYY HH24:MI') - "
                  "to_date('01-01-2000', 'DD-MM-YYYY') from dual"),
            "1.25");
  EXPECT_EQ(d.One("select 1 + sysdate from dual"), "2024-03-16 10:30:00");
  EXPECT_EQ(d.One("select user || uid from dual"), "DEMO21");
  EXPECT_EQ(
      d.One("select count(*) from emp where hiredate between '01-JAN-1981' and '31-MAR-1981'"),
      "2");
}

TEST_F(Translate_, SequencesRowidsAndNames) {
  EXPECT_EQ(d.One("select emp_seq.nextval from dual"), "1");
  // NEXTVAL steps once per row, and CURRVAL in the same row sees the new value.
  EXPECT_EQ(d.One("select demo.emp_seq.nextval + emp_seq.currval from dual"), "4");
  EXPECT_EQ(d.ErrorOf("select nosuch.nextval from dual"), 2289);
  EXPECT_EQ(d.ErrorOf("select * from emp_seq"), 2201);
  d.Run("insert into dept (deptno, dname) values (emp_seq.nextval, 'SEQ')");
  EXPECT_EQ(d.One("select dname from dept where deptno = 3"), "SEQ");

  // A ROWID read back finds its row again, as text in the server's form.
  Rows r = d.Run("select rowid, ename from emp where deptno = 20 order by ename");
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0][0].size(), 18u);
  EXPECT_EQ(r[0][0][8], '.');
  d.Run("update emp set comm = 1 where rowid = :r", {{"R", r[2][0]}});
  EXPECT_EQ(d.One("select ename from emp where comm = 1"), r[2][1]);
  EXPECT_EQ(d.One("select e.ename from emp e where e.rowid = chartorowid(:r)", {{"R", r[3][0]}}),
            r[3][1]);
  EXPECT_EQ(d.ErrorOf("select 1 from emp where rowid = 'garbage'"), 1410);
  EXPECT_EQ(d.ErrorOf("select rowid from (select ename from emp)"), 1446);

  // Owner-qualified names, SYS.DUAL, synonyms, links, identifiers with # and $.
  EXPECT_EQ(d.One("select demo.emp.ename from demo.emp where demo.emp.empno = 7369"), "SMITH");
  EXPECT_EQ(d.One("select dummy from sys.dual"), "X");
  d.synonyms_["DEMO.WORKERS"] = {"DEMO", "EMP"};
  EXPECT_EQ(d.One("select count(*) from workers w where w.deptno = 10"), "3");
  EXPECT_EQ(d.One("select count(*) from emp@loopback"), "14");
  int off = -1;
  EXPECT_EQ(d.ErrorOf("select count(*) from emp@faraway", &off), 2019);
  EXPECT_EQ(off, 21);
  d.Run("create table t#1 (a$b number, \"c d\" varchar2(5))");
  d.Run("insert into t#1 values (1, 'x')");
  EXPECT_EQ(d.One("select a$b || \"c d\" from t#1"), "1x");
  EXPECT_EQ(d.ErrorOf("select deptno from emp, dept"), 918);
}

TEST_F(Translate_, ValuesTakeTheTypeOfTheirColumn) {
  d.Run(
      "create table v (n number(5,2), i number(3), s varchar2(4), c char(3), dt date, r raw(2), f "
      "float)");
  d.Run("insert into v values ('1.005', 12.5, .5, 'ab', '15-MAR-24', 'A0FF', '2.5')");
  Rows r = d.Run("select n, i, s, c, dt, rawtohex(r), f from v");
  EXPECT_EQ(r[0], (std::vector<std::string>{"1.01", "13", ".5", "ab ", "2024-03-15 00:00:00",
                                            "A0FF", "2.5"}));
  EXPECT_EQ(d.ErrorOf("insert into v (s) values ('abcde')"), 1401);
  EXPECT_EQ(d.ErrorOf("insert into v (c) values ('abcd')"), 1401);
  EXPECT_EQ(d.ErrorOf("insert into v (n) values (1000)"), 1438);
  EXPECT_EQ(d.ErrorOf("insert into v (i) values ('x')"), 1722);
  EXPECT_EQ(d.ErrorOf("insert into v (dt) values ('31-FEB-24')"), 1839);
  EXPECT_EQ(d.ErrorOf("insert into v (r) values ('XYZ')"), 1465);
  EXPECT_EQ(d.ErrorOf("insert into v (n, i) values (1)"), 947);
  EXPECT_EQ(d.ErrorOf("insert into v (n) values (1, 2)"), 913);
  EXPECT_EQ(d.ErrorOf("insert into v (n, n) values (1, 2)"), 957);
  EXPECT_EQ(d.ErrorOf("insert into v (zz) values (1)"), 904);
  // Bound text takes the same conversions.
  d.Run("update v set i = :i, dt = :d", {{"I", "7"}, {"D", "01-JAN-00"}});
  EXPECT_EQ(d.Run("select i, dt from v")[0],
            (std::vector<std::string>{"7", "2000-01-01 00:00:00"}));
  // INSERT ... SELECT and a column list set from a subquery convert too.
  d.Run("insert into v (s, i) select sal / 1000, sal / 100 from emp where ename = 'ALLEN'");
  EXPECT_EQ(d.Run("select s, i from v where s is not null and i = 16")[0],
            (std::vector<std::string>{"1.6", "16"}));
  d.Run("update v set (n, s) = (select 1.5, 'zz' from dual) where i = 16");
  EXPECT_EQ(d.One("select s from v where n = 1.5"), "zz");
}

TEST_F(Translate_, DataDefinition) {
  int n = 0;
  d.context_.nameConstraint = [&n] { return "SYS_C" + std::to_string(++n); };
  Translation t = Translate(
      "create table demo.item (id number(6) primary key, name varchar2(20) not null, "
      "price number(8,2) default 0 check (price >= 0), added date default sysdate, "
      "deptno number(2), constraint item_fk foreign key (deptno) references dept "
      "on delete cascade, unique (name)) tablespace users pctfree 10",
      d.context_);
  EXPECT_EQ(t.functionCode, kFcCreateTable);
  EXPECT_EQ(t.ddl.owner, "DEMO");
  EXPECT_EQ(t.ddl.name, "ITEM");
  ASSERT_EQ(t.ddl.columns.size(), 5u);
  EXPECT_EQ(t.ddl.columns[2].type.precision, 8);
  EXPECT_FALSE(t.ddl.columns[1].nullable);
  EXPECT_EQ(t.ddl.columns[3].defaultText, "sysdate");
  std::vector<std::string> names;
  for (auto& c : t.ddl.constraints) names.push_back(c.name + ":" + c.type);
  EXPECT_EQ(names, (std::vector<std::string>{"SYS_C1:P", "SYS_C2:C", "SYS_C3:C", "ITEM_FK:R",
                                             "SYS_C4:U"}));
  EXPECT_EQ(t.ddl.constraints[1].searchCondition, "\"NAME\" IS NOT NULL");
  EXPECT_EQ(t.ddl.constraints[2].searchCondition, "price >= 0");
  EXPECT_EQ(t.ddl.constraints[3].refTable, "DEPT");
  d.Execute(t);
  d.Run("insert into item (id, name, deptno) values (1, 'a', 10)");
  EXPECT_EQ(d.Run("select price, added from item")[0],
            (std::vector<std::string>{"0", "2024-03-15 10:30:00"}));
  EXPECT_EQ(d.ErrorOf("insert into item (id, name, price) values (2, 'b', -1)"), -1);  // CHECK
  EXPECT_EQ(d.ErrorOf("insert into item (id, name) values (1, 'c')"), -1);  // PRIMARY KEY

  // Views keep their names and run translated; expressions need aliases.
  d.Run(
      "create or replace view dept_sal as select deptno, sum(sal) total from emp group by deptno");
  d.Run(
      "create or replace view dept_sal as select deptno, sum(sal) total, count(*) n from emp group "
      "by deptno");
  EXPECT_EQ(d.One("select total from dept_sal where deptno = 10"), "8750");
  EXPECT_EQ(d.last_.columnNames, (std::vector<std::string>{"TOTAL"}));
  EXPECT_EQ(d.ErrorOf("create view bad as select sal * 2 from emp"), 998);
  EXPECT_EQ(d.ErrorOf("create view bad as select ename from emp where ename = :x"), 1027);
  Translation v = Translate("create view v2 (a, b) as select ename, sal from emp with check option",
                            d.context_);
  EXPECT_EQ(v.ddl.text, "select ename, sal from emp");
  EXPECT_EQ(v.ddl.columns[1].type.code, kTypeNumber);

  // CREATE TABLE AS SELECT keeps the Oracle types of the columns it copies.
  d.Run("create table emp2 as select ename, hiredate, sal * 2 dbl from emp where deptno = 10");
  auto cols = ColumnsFromSqlite(d.db_, ResolvedObject{"DEMO", "EMP2", "TABLE"});
  ASSERT_TRUE(cols.has_value());
  EXPECT_EQ((*cols)[0].type.size, 10);
  EXPECT_EQ((*cols)[1].type.code, kTypeDate);
  EXPECT_EQ((*cols)[2].type.code, kTypeNumber);
  EXPECT_EQ(d.One("select count(*) from emp2"), "3");

  d.Run("create unique index emp2_u on emp2 (ename desc)");
  EXPECT_EQ(d.ErrorOf("insert into emp2 (ename) values ('KING')"), -1);
  EXPECT_EQ(d.ErrorOf("create index emp2_x on emp2 (nosuch)"), 904);
  d.Run("alter table emp2 add (note varchar2(5) default 'n', extra number)");
  EXPECT_EQ(d.One("select note from emp2 where ename = 'KING'"), "n");
  EXPECT_EQ(d.ErrorOf("alter table emp2 add (note number)"), 1430);
  d.Run("truncate table emp2");
  EXPECT_EQ(d.One("select count(*) from emp2"), "0");
  d.Run("drop table emp2");
  EXPECT_EQ(d.ErrorOf("select * from emp2"), 942);

  // Statements the engine keeps in its catalog come back described, with no SQL.
  Translation s = Translate(
      "create sequence s2 increment by 5 start with 10 maxvalue 100 cycle nocache", d.context_);
  EXPECT_TRUE(s.sql.empty());
  EXPECT_EQ(*s.ddl.sequence.incrementBy, 5);
  EXPECT_EQ(*s.ddl.sequence.startWith, 10);
  EXPECT_TRUE(*s.ddl.sequence.cycle);
  EXPECT_EQ(*s.ddl.sequence.cache, 0);
  EXPECT_EQ(d.ErrorOf("create sequence s3 increment by 0"), 4002);
  Translation syn = Translate("create public synonym staff for demo.emp@loopback", d.context_);
  EXPECT_EQ(syn.ddl.owner, "PUBLIC");
  EXPECT_EQ(syn.ddl.targetName, "EMP");
  EXPECT_EQ(syn.ddl.targetLink, "LOOPBACK");
  Translation c = Translate("comment on column emp.sal is 'Monthly'", d.context_);
  EXPECT_EQ(c.ddl.targetColumn, "SAL");
  EXPECT_EQ(c.ddl.text, "Monthly");
  Translation l = Translate("lock table emp, dept in row share mode nowait", d.context_);
  EXPECT_EQ(l.ddl.text, "ROW SHARE NOWAIT");
  EXPECT_EQ(l.ddl.indexColumns.size(), 2u);
  EXPECT_EQ(d.ErrorOf("lock table nosuch in exclusive mode"), 942);
}

TEST_F(Translate_, ParseErrorsLikeTheServer) {
  struct Case {
    const char* text;
    int code;
    int offset;
  } cases[] = {
      {"select from emp", 936, 7},
      {"select ename from emp where", 936, 27},
      {"select ename emp", 923, 16},
      {"select ename from emp x y", 933, 24},
      {"select (1 from dual", 907, 10},
      {"select nosuch from emp", 904, 7},
      {"select e.nosuch from emp e", 904, 7},
      {"select * from nosuch", 942, 14},
      {"select * from", 903, 13},
      {"select nvl(1) from dual", 938, 7},
      {"select substr('a', 1, 2, 3) from dual", 939, 7},
      {"select frob(1) from dual", 904, 7},
      {"insert emp values (1)", 925, 7},
      {"insert into emp (ename) select", 936, 30},
      {"update emp sal = 1", 971, 15},
      {"select 'abc from dual", 1756, 7},
      {"frobnicate", 900, 0},
      {"select 1 from dual;;", 933, 19},
      {"select \"\" from dual", 1741, 7},
  };
  for (const Case& c : cases) {
    int off = -2;
    EXPECT_EQ(d.ErrorOf(c.text, &off), c.code) << c.text;
    EXPECT_EQ(off, c.offset) << c.text;
  }
  // Without column lists the translator leaves names to SQLite; its error offset comes
  // back mapped into the original text.
  d.context_.columns = nullptr;
  int off = -1;
  EXPECT_EQ(d.ErrorOf("select   ename,\n  nosuchcol from emp", &off), -1);
  EXPECT_EQ(off, 18);
}

TEST_F(Translate_, ExpressionsForPlsql) {
  TranslateContext ctx = d.context_;
  ctx.isVariable = [](const std::string& n) { return n == "V_COUNT" || n == "ENAME"; };
  Translation t = TranslateExpression("UPPER('a') || TO_CHAR(SYSDATE, 'YYYY')", ctx);
  Translation q;
  q.sql = "SELECT " + t.sql;
  EXPECT_EQ(d.Execute(q)[0][0], "A2024");
  EXPECT_EQ(t.columnTypeHints, std::vector<int>{kTypeVarchar2});

  t = TranslateExpression("v_count + :x * v_count", ctx);
  EXPECT_EQ(t.binds, (std::vector<std::string>{"V_COUNT", "X"}));
  EXPECT_EQ(t.variableBinds, (std::vector<bool>{true, false}));
  q.sql = "SELECT " + t.sql;
  q.binds = t.binds;
  EXPECT_EQ(d.Execute(q, {{"V_COUNT", "2"}, {"X", "5"}})[0][0], "12");

  // In SQL a column wins over a variable of the same name.
  Translation s =
      Translate("select ename into v_name from emp where ename = ename and empno = v_count", ctx);
  EXPECT_EQ(s.selectInto, std::vector<std::string>{"V_NAME"});
  EXPECT_EQ(s.binds, std::vector<std::string>{"V_COUNT"});
  EXPECT_EQ(s.sql.find("INTO"), std::string::npos);
  EXPECT_EQ(d.Execute(s, {{"V_COUNT", "7369"}})[0][0], "SMITH");
  EXPECT_THROW(TranslateExpression("1 +", ctx), OraError);
  EXPECT_THROW(TranslateExpression("1 2", ctx), OraError);
}

// Whatever text arrives, the translator answers with a translation or an Oracle error:
// every statement of the real sources, every prefix of a few statements, and nesting
// deep enough to exhaust a naive recursion.
TEST_F(Translate_, AnyTextGivesATranslationOrAnOracleError) {
  auto attempt = [&](std::string_view text) {
    try {
      Translation t = Translate(text, d.context_);
      (void)t;
    } catch (const OraError& e) {
      EXPECT_GT(e.code, 0) << text;
      EXPECT_EQ(e.message.substr(0, 4), "ORA-") << text;
      EXPECT_LE(e.offset, int(text.size())) << text;
    }
  };
  size_t statements = 0;
  for (const tess::corpus::File& file : tess::corpus::ReadAll({".sql", ".pkb"})) {
    const std::string& text = file.text;
    std::vector<Token> tokens;
    try {
      tokens = Tokenize(text);
    } catch (const OraError&) {
      continue;
    }
    // Statements end at ';' at the top level of parentheses.
    size_t start = 0;
    int depth = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
      if (tokens[i].Is("(")) ++depth;
      if (tokens[i].Is(")")) --depth;
      if (tokens[i].Is(";") && depth <= 0) {
        size_t from = tokens[start].offset;
        attempt(std::string_view(text).substr(from, tokens[i].offset - from));
        ++statements;
        start = i + 1;
        depth = 0;
        if (start >= tokens.size()) break;
      }
    }
  }
  EXPECT_GT(statements, 5000u);
  const char* samples[] = {
      "select e.ename, d.dname, nvl(e.comm, 0) from emp e, dept d where e.deptno(+) = d.deptno and "
      "e.sal between :lo and :hi order by 2 desc, 1",
      "insert into emp (empno, ename, hiredate) select empno + 1, upper(ename), sysdate from emp "
      "where rownum < 2",
      "create table x (a number(5,2) default 1 constraint c1 check (a > 0), b varchar2(10) not "
      "null, "
      "constraint pk primary key (a, b))",
      "select lpad(' ', level) || ename from emp start with mgr is null connect by prior empno = "
      "mgr",
  };
  for (const char* s : samples) {
    std::string_view text(s);
    for (size_t n = 0; n <= text.size(); ++n) attempt(text.substr(0, n));
  }
  // Nesting beyond what the engine takes is refused as such; chains of any length run.
  std::string deep =
      "select " + std::string(5000, '(') + "1" + std::string(5000, ')') + " from dual";
  int off = -1;
  EXPECT_EQ(d.ErrorOf(deep, &off), kOraNestedTooDeeply);
  std::string nots;
  for (int i = 0; i < 5000; ++i) nots += "not ";
  EXPECT_EQ(d.ErrorOf("select 1 from dual where " + nots + "1 = 1"), kOraNestedTooDeeply);
  std::string minus;
  for (int i = 0; i < 5000; ++i) minus += "- ";
  EXPECT_EQ(d.ErrorOf("select " + minus + "1 from dual"), kOraNestedTooDeeply);
  std::string chain = "select 1";
  for (int i = 0; i < 500; ++i) chain += " + 1";
  EXPECT_EQ(d.One(chain + " from dual"), "501");
  for (int i = 0; i < 100000; ++i) chain += " || 1";
  EXPECT_EQ(d.One("select length(" + chain.substr(7) + ") from dual"), "100003");
  RecordProperty("statements", int(statements));
}

TEST_F(Translate_, JoinsSubqueriesAndGroups) {
  // ANSI joins pass through; USING and ON both work.
  EXPECT_EQ(d.One("select d.dname from emp e left join dept d on e.deptno = d.deptno where e.ename "
                  "= 'KING'"),
            "ACCOUNTING");
  EXPECT_EQ(d.One("select count(*) from emp join dept using (deptno) where loc = 'DALLAS'"), "5");
  EXPECT_EQ(d.One("select count(*) from dept d left outer join emp e on e.deptno = d.deptno where "
                  "e.empno is null"),
            "1");
  // Row values, correlated EXISTS, quantified comparisons with lists and subqueries.
  EXPECT_EQ(d.One("select ename from emp where (deptno, job) in (select deptno, 'MANAGER' from "
                  "dept where loc = "
                  "'CHICAGO')"),
            "BLAKE");
  EXPECT_EQ(Column(d.Run(
                "select ename from emp e where exists (select 1 from emp x where x.mgr = e.empno) "
                "order by 1")),
            "BLAKE,CLARK,FORD,JONES,KING,SCOTT");
  EXPECT_EQ(d.One("select count(*) from emp where sal > all (1000, 2000, 2900)"), "4");
  EXPECT_EQ(d.One("select count(*) from emp where sal = any (800, 950)"), "2");
  EXPECT_EQ(d.One("select count(*) from emp where sal >= all (select sal from emp)"), "1");
  EXPECT_EQ(d.One("select count(*) from emp where deptno <> all (select deptno from dept where "
                  "deptno > 10)"),
            "3");
  EXPECT_EQ(
      d.One("select count(*) from emp where sal < some (select sal from emp where deptno = 10)"),
      "13");
  // CASE, both forms, and grouping with HAVING on an aggregate not selected.
  EXPECT_EQ(
      Column(d.Run(
          "select case when sal > 2900 then 'high' when sal > 1000 then 'mid' else 'low' end b "
          "from emp where ename in ('KING', 'WARD', 'SMITH') order by empno")),
      "low,mid,high");
  EXPECT_EQ(d.One("select case deptno when 10 then 'A' else 'B' end from emp where ename = 'KING'"),
            "A");
  EXPECT_EQ(
      Column(d.Run(
          "select deptno from emp group by deptno having min(sal) > 900 order by deptno desc")),
      "30,10");
  EXPECT_EQ(d.One("select count(distinct job) from emp"), "5");
  EXPECT_EQ(d.One("select max(hiredate) from emp"), "1983-01-12 00:00:00");
  EXPECT_EQ(d.last_.columnTypeHints, std::vector<int>{kTypeDate});
  // A scalar subquery must give one column, and one row at run time.
  EXPECT_EQ(d.ErrorOf("select (select ename, sal from emp) from dual"), 913);
  // A parenthesised list is a row: compared with rows of its width or a query's columns,
  // and refused where one value belongs (there Oracle wants the closing parenthesis).
  EXPECT_EQ(d.One("select count(*) from emp where (deptno, job) = (10, 'PRESIDENT')"), "1");
  EXPECT_EQ(d.One("select count(*) from emp where (deptno, job) in ((10, 'PRESIDENT'), "
                  "(20, 'ANALYST'))"),
            "3");
  EXPECT_EQ(d.One("select count(*) from emp where (deptno, sal) in "
                  "(select deptno, max(sal) from emp group by deptno)"),
            "4");
  EXPECT_EQ(d.ErrorOf("insert into emp values (1, 'A', 'B', 2, ('22-02-1981', 'DD'), 3, 4, 10)"),
            907);
  EXPECT_EQ(d.ErrorOf("select (1, 2) from dual"), 907);
  EXPECT_EQ(d.ErrorOf("select 1 + (1, 2) from dual"), 907);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where (1, 2) = 3"), 920);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where (1, 2) = (1, 2, 3)"), 920);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where (1, 2) in (1, 2)"), 920);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where 1 in ((1, 2))"), 907);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where (1, 2) in (select 1 from dual)"), 947);
  EXPECT_EQ(d.ErrorOf("select 1 from dual where 1 in (select 1, 2 from dual)"), 913);
  // A table's star stands alone as a select item: no alias, no arithmetic, no COUNT.
  EXPECT_EQ(d.One("select count(*) from (select e.*, 1 one from emp e)"), "14");
  EXPECT_EQ(d.ErrorOf("select e.* job from emp e"), 923);
  EXPECT_EQ(d.ErrorOf("select 1 + e.* from emp e"), 936);
  EXPECT_EQ(d.ErrorOf("select e.* * 2 from emp e"), 936);
  EXPECT_EQ(d.ErrorOf("select count(e.*) from emp e"), 936);
  EXPECT_EQ(d.ErrorOf("select ename from emp e where e.* = 1"), 936);
  // DISTINCT and aggregates count ROWNUM before they work.
  EXPECT_EQ(d.One("select count(distinct deptno) from emp where rownum <= 3"), "2");
}

TEST_F(Translate_, RownumLimitsUpdatesAndDeletes) {
  d.Run("create table r (a number, b number)");
  for (int i = 1; i <= 6; ++i)
    d.Run("insert into r values (" + std::to_string(i) + ", " + std::to_string(i % 2) + ")");
  d.Run("update r set b = -1 where b = 0 and rownum <= 2");
  EXPECT_EQ(Column(d.Run("select a from r where b = -1 order by a")), "2,4");
  d.Run("delete from r where b = -1 and rownum = 1");
  EXPECT_EQ(Column(d.Run("select a from r where b = -1")), "4");
  d.Run("delete r x where x.b = 1 and rownum < :n", {{"N", "3"}});
  EXPECT_EQ(Column(d.Run("select a from r order by a")), "4,5,6");
  // Correlated updates and qualified targets.
  d.Run(
      "update emp e set e.sal = (select max(sal) from emp x where x.deptno = e.deptno) where "
      "e.ename = 'SMITH'");
  EXPECT_EQ(d.One("select sal from emp where ename = 'SMITH'"), "3000");
  d.Run("insert into dept (deptno, dname) values ((select max(deptno) + 10 from dept), 'NEW')");
  EXPECT_EQ(d.One("select deptno from dept where dname = 'NEW'"), "50");
}

// A change through a simple view is the same statement on its table: the view's names
// written as the table's, its condition joined to the statement's, errors at the offsets
// the caller wrote.
TEST_F(Translate_, ChangesThroughASimpleView) {
  const std::string query = "select empno id, ename, sal * 12 yearly from emp where job = 'CLERK'";
  d.Run("create view clerks as " + query);
  d.context_.viewSource = [&](const ResolvedObject& v) -> std::optional<ViewSource> {
    if (v.name != "CLERKS") return std::nullopt;
    return ViewSource{query, {"ID", "ENAME", "YEARLY"}, 0, d.context_.resolve};
  };
  d.Run("update clerks c set ename = lower(c.ename) where id in (7369, 7499) and yearly > 0");
  EXPECT_EQ(d.last_.dmlTable.name, "EMP");
  ASSERT_EQ(d.last_.dmlViews.size(), 1u);
  EXPECT_EQ(d.last_.dmlViews[0].name, "CLERKS");
  EXPECT_EQ(d.Run("select ename from emp where empno in (7369, 7499) order by 1"),
            (Rows{{"ALLEN"}, {"smith"}}));
  d.Run("delete from clerks where yearly > 12000");
  EXPECT_EQ(Column(d.Run("select ename from emp where job = 'CLERK' order by 1"), 0),
            "JAMES,smith");
  d.Run("insert into clerks (id, ename) values (1, 'ONE')");
  EXPECT_EQ(d.Run("select ename, nvl(job, '-') from emp where empno = 1"), (Rows{{"ONE", "-"}}));
  auto fails = [&](const std::string& text, int code, int offset) {
    try {
      Translate(text, d.context_);
      ADD_FAILURE() << text;
    } catch (const OraError& e) {
      EXPECT_EQ(e.code, code) << text;
      EXPECT_EQ(e.offset, offset) << text;
    }
  };
  fails("delete from clerks where nosuch = 1", 904, 25);
  fails("update clerks set yearly = 1", 1733, 18);
  fails("insert into clerks values (1, 'X', 2)", 1733, 12);
  // Without its definition a view takes no change.
  d.context_.viewSource = nullptr;
  fails("delete from clerks", 1732, 12);
}

TEST_F(Translate_, AlterRenameAndDrop) {
  Translation add =
      Translate("alter table dept add constraint uq_dname unique (dname)", d.context_);
  EXPECT_EQ(add.ddl.alterAction, "ADD");
  ASSERT_EQ(add.ddl.constraints.size(), 1u);
  EXPECT_EQ(add.ddl.constraints[0].type, 'U');
  d.Execute(add);
  EXPECT_EQ(d.ErrorOf("insert into dept (deptno, dname) values (99, 'SALES')"), -1);
  // What SQLite cannot do in place comes back described, for the engine.
  Translation mod = Translate("alter table dept modify (loc varchar2(30) not null)", d.context_);
  EXPECT_TRUE(mod.sql.empty());
  EXPECT_EQ(mod.ddl.alterAction, "MODIFY");
  EXPECT_EQ(mod.ddl.columns[0].type.size, 30);
  EXPECT_FALSE(mod.ddl.columns[0].nullable);
  EXPECT_EQ(d.ErrorOf("alter table dept modify (nosuch number)"), 904);
  Translation dropc = Translate("alter table emp drop constraint fk_deptno", d.context_);
  EXPECT_EQ(dropc.ddl.alterAction, "DROP CONSTRAINT");
  EXPECT_EQ(dropc.ddl.constraints[0].name, "FK_DEPTNO");
  Translation fk = Translate(
      "alter table emp add (constraint fk2 foreign key (mgr) references emp (empno))", d.context_);
  EXPECT_EQ(fk.ddl.constraints[0].refTable, "EMP");
  EXPECT_EQ(fk.ddl.constraints[0].refColumns, std::vector<std::string>{"EMPNO"});

  d.Run("create table old_t (a number)");
  d.Run("rename old_t to new_t");
  EXPECT_EQ(d.One("select count(*) from new_t"), "0");
  d.Run("alter table new_t rename to newer_t");
  EXPECT_EQ(d.ErrorOf("select * from new_t"), 942);
  Translation di = Translate("drop index demo.some_index", d.context_);
  EXPECT_EQ(di.sql, "DROP INDEX \"DEMO.SOME_INDEX\"");
  Translation ds = Translate("drop public synonym staff", d.context_);
  EXPECT_TRUE(ds.sql.empty());
  EXPECT_EQ(ds.ddl.owner, "PUBLIC");
  EXPECT_EQ(ds.ddl.objectType, "SYNONYM");
  Translation dt = Translate("drop table emp cascade constraints", d.context_);
  EXPECT_TRUE(dt.ddl.cascadeConstraints);
  // Statements that belong to the engine keep their code and binds and have no SQL.
  Translation g = Translate("grant select on emp to scott", d.context_);
  EXPECT_EQ(g.functionCode, kFcGrant);
  EXPECT_TRUE(g.sql.empty());
  EXPECT_EQ(d.ErrorOf("create table r (a number) tablespace"), 922);
  EXPECT_EQ(d.ErrorOf("create table r (a varchar2)"), 906);
  EXPECT_EQ(d.ErrorOf("create table r (a varchar2(4001))"), 910);
  EXPECT_EQ(d.ErrorOf("create table r (a number(39))"), 1727);
  EXPECT_EQ(d.ErrorOf("create table r (a blob)"), 902);
  EXPECT_EQ(d.ErrorOf("create table r (a number, a date)"), 957);
  EXPECT_EQ(d.ErrorOf("create table r (a number references nosuch)"), 942);
}

TEST(OffsetMap, MapsBackToTheNearestRecordedPoint) {
  OffsetMap m;
  EXPECT_EQ(m.OriginalOffset(5), 0u);
  m.Add(0, 10);
  m.Add(7, 3);
  m.Add(7, 4);  // the later record of one point wins
  m.Add(20, 40);
  EXPECT_EQ(m.OriginalOffset(0), 10u);
  EXPECT_EQ(m.OriginalOffset(6), 10u);
  EXPECT_EQ(m.OriginalOffset(7), 4u);
  EXPECT_EQ(m.OriginalOffset(19), 4u);
  EXPECT_EQ(m.OriginalOffset(1000), 40u);
  // Every token of a translation maps to a place in the original text.
  DialectDb d;
  std::string text = "select dummy, 'x' || dummy from   dual where dummy = :b";
  Translation t = Translate(text, d.context_);
  for (size_t i = 0; i < t.sql.size(); ++i) EXPECT_LT(t.OriginalOffset(i), text.size());
  EXPECT_EQ(t.OriginalOffset(t.sql.find("?1")), text.find(":b"));
  EXPECT_EQ(t.OriginalOffset(t.sql.find("\"SYS.DUAL\"")), text.find("dual"));
}

TEST_F(Translate_, SequencesStepOncePerRow) {
  d.Run("create table s (a number, b number)");
  d.Run("insert into s values (emp_seq.nextval, emp_seq.nextval)");
  EXPECT_EQ(d.Run("select a, b from s")[0], (std::vector<std::string>{"1", "1"}));
  d.Run("insert into s select emp_seq.nextval, emp_seq.nextval + 100 from emp where deptno = 10");
  EXPECT_EQ(Column(d.Run("select a from s order by a")), "1,2,3,4");
  EXPECT_EQ(d.One("select count(*) from s where b = a + 100"), "3");
  EXPECT_EQ(d.One("select emp_seq.currval from dual"), "4");
}

TEST_F(Translate_, MoreShapesOfQueries) {
  // The anti-join: outer join plus IS NULL on the outer side.
  EXPECT_EQ(
      d.One("select d.dname from dept d, emp e where e.deptno(+) = d.deptno and e.empno is null"),
      "OPERATIONS");
  // A hierarchy over a view, cut by LEVEL in its condition.
  d.Run("create view staff as select empno, ename, mgr from emp");
  EXPECT_EQ(
      Column(d.Run("select ename from staff start with mgr is null connect by prior empno = mgr "
                   "and level <= 2 order by ename")),
      "BLAKE,CLARK,JONES,KING");
  EXPECT_EQ(
      d.One("select max(level) from emp start with ename = 'KING' connect by prior empno = mgr"),
      "4");
  // Quoted names keep their case; unquoted ones fold to upper case.
  EXPECT_EQ(d.ErrorOf("select \"ename\" from emp"), 904);
  EXPECT_EQ(d.One("select \"ENAME\" from emp where empno = 7369"), "SMITH");
  EXPECT_EQ(d.One("select e.\"ENAME\" from \"EMP\" e where empno = 7369"), "SMITH");
  // Select-list aliases in ORDER BY, also as expressions' names.
  EXPECT_EQ(Column(d.Run(
                "select ename, sal * 12 annual from emp where deptno = 10 order by annual desc")),
            "KING,CLARK,MILLER");
  EXPECT_EQ(d.Run("select sal * 12 from emp where deptno = 10 order by 1")[0][0], "15600");
  // Compound queries keep the first part's names; parenthesized parts are allowed.
  d.Run(
      "(select ename n from emp where empno = 7369) union all (select dname from dept where deptno "
      "= 10)");
  EXPECT_EQ(d.names_, std::vector<std::string>{"N"});
  EXPECT_EQ(d.Run("select ename from emp minus select ename from emp where deptno <> 10 order by 1")
                .size(),
            3u);
  // Types of derived columns reach the describe hints.
  d.Run(
      "select x.d, x.n, x.s from (select hiredate + 1 d, sal n, job s from emp) x where rownum = "
      "1");
  EXPECT_EQ(d.last_.columnTypeHints, (std::vector<int>{kTypeDate, 0, 0}));
}

TEST_F(Translate_, CharComparesBlankPaddedAndPlsqlShapes) {
  d.Run("create table c (code char(4), name varchar2(4))");
  d.Run("insert into c values ('ab', 'ab')");
  EXPECT_EQ(d.One("select code || '|' from c"), "ab  |");
  EXPECT_EQ(d.One("select count(*) from c where code = 'ab'"), "1");
  EXPECT_EQ(d.One("select count(*) from c where 'ab' = code"), "1");
  EXPECT_EQ(d.One("select count(*) from c where name = 'ab  '"), "0");
  // Indicator variables ride with their value; SELECT INTO counts its targets.
  Translation t = Translate("insert into c (name) values (:v:ind)", d.context_);
  EXPECT_EQ(t.binds, std::vector<std::string>{"V"});
  t = Translate("insert into c (name) values (:v indicator :ind)", d.context_);
  EXPECT_EQ(t.binds, std::vector<std::string>{"V"});
  EXPECT_EQ(d.ErrorOf("select code, name into :a from c"), 947);
  EXPECT_EQ(d.ErrorOf("select code into :a, :b from c"), 913);
  // PL/SQL record fields are variables too, and INTO targets are no placeholders.
  TranslateContext ctx = d.context_;
  ctx.isVariable = [](const std::string& n) { return n == "R.CODE" || n == "V"; };
  t = Translate("select name into :out from c where code = r.code and name <> v", ctx);
  EXPECT_EQ(t.binds, (std::vector<std::string>{"R.CODE", "V"}));
  EXPECT_EQ(t.selectInto, std::vector<std::string>{":OUT"});
  EXPECT_EQ(d.Execute(t, {{"R.CODE", "ab  "}, {"V", "zz"}})[0][0], "ab");
  d.Run("delete from c where rowid = (select min(rowid) from c)");
  EXPECT_EQ(d.One("select count(*) from c"), "0");
}
