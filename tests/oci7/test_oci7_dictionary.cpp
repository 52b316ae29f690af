// The data dictionary through the entry points: every statement the access layer's
// dictionary routines send, written as they write it (lines joined by a line feed), over
// the demo schema that holds every kind of object, seen from DEMO and from SYSTEM.
#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* l : lines) {
    if (!out.empty()) out += '\n';
    out += l;
  }
  return out;
}

std::vector<std::string> Column(const std::vector<std::vector<std::string>>& rows, size_t c = 0) {
  std::vector<std::string> out;
  for (const auto& r : rows) out.push_back(c < r.size() ? r[c] : "?");
  return out;
}

class Dictionary : public DatabaseSuite<"DICT"> {
 protected:
  void SetUp() override {
    ASSERT_EQ(demo_.Logon("demo/demo@dict"), 0);
    ASSERT_EQ(dba_.Logon("system/manager@dict"), 0);
  }
  Connection demo_, dba_;
};

// IsTableOrViewAccessible with an owner, as the session checks send it.
std::string TableOrView(const char* owner, const char* name) {
  return "Select 'x' \nfrom all_objects where owner='" + std::string(owner) + "'  and \n" +
         " object_name='" + name + "' \n and object_type in ('TABLE','VIEW') ";
}

}  // namespace

TEST_F(Dictionary, ProcedureLists) {
  Statement st(demo_);
  auto programs =
      Column(st.Query("SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE "
                      "OBJECT_TYPE='PROCEDURE' OR OBJECT_TYPE='FUNCTION'"));
  EXPECT_NE(std::find(programs.begin(), programs.end(), "RAISE_SALARY"), programs.end());
  EXPECT_NE(std::find(programs.begin(), programs.end(), "DEPT_SALARY"), programs.end());
  EXPECT_EQ(Column(st.Query("SELECT OBJECT_NAME FROM ALL_OBJECTS WHERE OBJECT_TYPE='PACKAGE'")),
            std::vector<std::string>{"EMP_API"});
  // The members of a package: the leading name of each PROCEDURE / FUNCTION line.
  auto members = Column(st.Query(
      "SELECT UPPER(LTRIM(SUBSTR(LTRIM(TEXT),10))) FROM ALL_SOURCE WHERE NAME='EMP_API' AND "
      "TYPE = 'PACKAGE' AND (UPPER(LTRIM(TEXT)) LIKE 'PROC%' OR UPPER(LTRIM(TEXT)) LIKE "
      "'FUNC%') "));
  ASSERT_EQ(members.size(), 3u);
  EXPECT_EQ(members[0].substr(0, 5), "HIRE(");
  EXPECT_EQ(members[1].substr(0, 5), "HIRE(");
  EXPECT_EQ(members[2].substr(0, 10), "HEADCOUNT(");
}

TEST_F(Dictionary, OncePerSessionChecks) {
  Statement st(demo_), sys(dba_);
  EXPECT_EQ(st.Value(Lines({"Select username", "from user_users "})), "DEMO");
  EXPECT_EQ(sys.Value(Lines({"Select username", "from user_users "})), "SYSTEM");
  // The DBA views: SYSTEM holds the DBA role, DEMO does not even see them.
  for (const char* view : {"DBA_ROLES", "DBA_USERS", "DBA_TABLESPACES", "DBA_ROLLBACK_SEGS",
                           "DBA_DATA_FILES", "DBA_SYS_PRIVS", "DBA_TAB_PRIVS", "DBA_ROLE_PRIVS"}) {
    EXPECT_TRUE(st.Query(TableOrView("SYS", view)).empty()) << view;
    EXPECT_EQ(sys.Query(TableOrView("SYS", view)).size(), 1u) << view;
    EXPECT_EQ(st.Run(std::string("SELECT * FROM SYS.") + view), 942) << view;
  }
  EXPECT_EQ(sys.Value("SELECT count(*) FROM dba_rollback_segs WHERE segment_name = 'R01'"), "1");
  EXPECT_EQ(sys.Value("SELECT granted_role FROM dba_role_privs WHERE grantee = 'SYSTEM' AND "
                      "granted_role = 'DBA'"),
            "DBA");

  // The optional objects of the install scripts: absent, then present for everyone.
  std::string synonym = Lines({"SELECT 'x' ", "FROM ALL_SYNONYMS WHERE OWNER='PUBLIC'  AND ",
                               " SYNONYM_NAME='ZOVOZEV_IVEVUZO_ZIVERU_DER' "});
  EXPECT_TRUE(st.Query(TableOrView("SYS", "DUDEDOD_ARGUMENT$")).empty());
  EXPECT_TRUE(st.Query(synonym).empty());
  ASSERT_EQ(Oci().control(nullptr, "install_extras", 0, "DICT"), 0);
  EXPECT_EQ(st.Query(TableOrView("SYS", "DUDEDOD_ARGUMENT$")).size(), 1u);
  EXPECT_EQ(st.Query(synonym).size(), 1u);
  EXPECT_EQ(st.Run("INSERT INTO zovozev_ivevuzo_ziveru_der (owner, object_name, status) "
                   "VALUES ('DEMO', 'EMP_API', 'OUT')"),
            0)
      << st.Error();
  ASSERT_EQ(Oci().orol(demo_.lda()), 0);
}

TEST_F(Dictionary, ObjectStatusAndInformation) {
  Statement st(demo_);
  EXPECT_EQ(st.Query(Lines({"Select 'x' ", "from all_tables where owner='DEMO'  and ",
                            " table_name='EMP' "}))
                .size(),
            1u);
  EXPECT_EQ(
      st.Query(Lines({"Select 'x' ", "from user_tables where ", " table_name='DEPT' "})).size(),
      1u);
  EXPECT_EQ(st.Query(Lines({"Select 'x' ", "from user_objects where ", " object_name='EMP_API' "}))
                .size(),
            2u);  // the package and its body
  EXPECT_EQ(st.Value(Lines({" select status ", " from all_objects ", " where object_name='EMP' ",
                            " and owner=USER "})),
            "VALID");
  auto info = st.Query(
      Lines({" select object_id, status, to_char(Created,'DD-MON-YY HH:MI:SS PM') Created, "
             "to_char(last_ddl_time,'DD-MON-YY HH:MI:SS PM') last_ddl_time ",
             " from all_objects ", " where object_name='RAISE_SALARY' ", " and owner='DEMO' ",
             " and object_type='PROCEDURE'"}));
  ASSERT_EQ(info.size(), 1u);
  EXPECT_GT(std::stoi(info[0][0]), 0);
  EXPECT_EQ(info[0][1], "VALID");
  ASSERT_EQ(info[0][2].size(), 21u) << info[0][2];  // DD-MON-YY HH:MI:SS PM
  EXPECT_TRUE(info[0][2].ends_with("AM") || info[0][2].ends_with("PM"));
  EXPECT_EQ(st.Value(Lines({" select Object_type ", " from all_objects ",
                            " where object_name='EMPLOYEES' ", " and owner=USER "})),
            "SYNONYM");
  // Another schema's object is found only with its owner.
  Statement sys(dba_);
  EXPECT_TRUE(
      sys.Query(Lines({"Select 'x' ", "from user_objects where ", " object_name='EMP' "})).empty());
  EXPECT_EQ(sys.Query(TableOrView("DEMO", "EMP")).size(), 1u);
  // A quote in a name makes a statement the server rejects.
  EXPECT_NE(st.Run("Select 'x' \nfrom user_objects where \n object_name='O'BRIEN' "), 0);
}

TEST_F(Dictionary, CachedNameLists) {
  Statement st(demo_);
  auto users =
      Column(st.Query(Lines({" SELECT  USERNAME ", " FROM ALL_USERS ", " WHERE EXISTS (SELECT 'X' ",
                             "               FROM ALL_OBJECTS",
                             "               WHERE OWNER = USERNAME)", " ORDER BY USERNAME"})));
  // SYSTEM owns nothing; the extras' account may be there (other tests install them).
  std::erase(users, "DUDEDOD");
  EXPECT_EQ(users, (std::vector<std::string>{"DEMO", "SYS"}));
  EXPECT_EQ(Column(st.Query(Lines({"SELECT TABLESPACE_NAME ", "FROM USER_TABLESPACES ",
                                   "WHERE STATUS != 'INVALID' ", "ORDER BY TABLESPACE_NAME "}))),
            (std::vector<std::string>{"SYSTEM", "TEMP", "USERS"}));
  auto tables = st.Query(
      Lines({" SELECT  owner,Table_name ", "  FROM ALL_TABLES ", " order by owner,table_name "}));
  std::vector<std::string> qualified;
  for (const auto& r : tables)
    if (r[0] != "DUDEDOD") qualified.push_back(r[0] + "." + r[1]);
  EXPECT_EQ(qualified, (std::vector<std::string>{"DEMO.BONUS", "DEMO.DEPT", "DEMO.EMP",
                                                 "DEMO.PLAN_TABLE", "DEMO.SALGRADE", "SYS.DUAL"}));
  EXPECT_EQ(Column(st.Query(Lines({" SELECT  user owner,Table_name ", "  FROM USER_TABLES ",
                                   " order by table_name "}))),
            (std::vector<std::string>{"DEMO", "DEMO", "DEMO", "DEMO", "DEMO"}));
  auto objects = st.Query(
      Lines({" SELECT  USER OWNER,OBJECT_NAME,OBJECT_TYPE ", " FROM USER_OBJECTS ",
             " WHERE OBJECT_TYPE IN ('TABLE','VIEW','SYNONYM')", " ORDER BY OBJECT_NAME "}));
  EXPECT_EQ(Column(objects, 1), (std::vector<std::string>{"BONUS", "DEPT", "EMP", "EMPLOYEES",
                                                          "EMP_DEPT_V", "PLAN_TABLE", "SALGRADE"}));
  EXPECT_EQ(objects[3][2], "SYNONYM");
  auto all = st.Query(
      Lines({" SELECT  OWNER,OBJECT_NAME,OBJECT_TYPE  ", " FROM ALL_OBJECTS ",
             " WHERE OBJECT_TYPE IN ('TABLE','VIEW','SYNONYM')", " ORDER BY OWNER,OBJECT_NAME "}));
  // Public synonyms of the dictionary are PUBLIC's objects that everyone sees.
  EXPECT_NE(std::find(all.begin(), all.end(),
                      std::vector<std::string>{"PUBLIC", "ALL_OBJECTS", "SYNONYM"}),
            all.end());
}

TEST_F(Dictionary, ColumnIndexConstraintAndTriggerLists) {
  Statement st(demo_);
  std::string columns = Lines({"select column_name from all_tab_columns ", " where owner='DEMO' ",
                               " and   table_name='EMP' ", " order by column_id "});
  EXPECT_EQ(Column(st.Query(columns)),
            (std::vector<std::string>{"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM",
                                      "DEPTNO"}));
  EXPECT_EQ(Column(st.Query(Lines({"select column_name from all_tab_columns ",
                                   " where owner='DEMO' ", " and   table_name='PLAN_TABLE' ",
                                   " and data_type Not in ('LONG','LONG RAW') ",
                                   " order by column_id "})))
                .back(),
            "POSITION");  // OTHER is LONG
  // Views have columns too.
  EXPECT_EQ(st.Value("SELECT count(*) FROM all_tab_columns WHERE table_name = 'EMP_DEPT_V'"), "7");
  // Over a loopback database link.
  ASSERT_EQ(st.Run("CREATE DATABASE LINK loop CONNECT TO demo IDENTIFIED BY demo USING 'dict'"), 0)
      << st.Error();
  EXPECT_EQ(
      Column(st.Query(Lines({"SELECT COLUMN_NAME FROM ALL_TAB_COLUMNS@LOOP", "WHERE OWNER='DEMO' ",
                             "AND   TABLE_NAME='DEPT' ", " ORDER BY COLUMN_ID "}))),
      (std::vector<std::string>{"DEPTNO", "DNAME", "LOC"}));
  EXPECT_EQ(st.Value("SELECT db_link FROM user_db_links"), "LOOP");
  EXPECT_EQ(st.Run("SELECT * FROM dept@nowhere"), 2019);
  ASSERT_EQ(st.Run("CREATE DATABASE LINK far USING 'otherdb'"), 0);
  EXPECT_EQ(st.Run("SELECT * FROM dept@far"), 2019);
  // Synonyms over links: made whatever the link, which is looked up when one is used.
  ASSERT_EQ(st.Run("CREATE SYNONYM remote_dept FOR demo.dept@loop"), 0) << st.Error();
  ASSERT_EQ(st.Run("CREATE SYNONYM far_dept FOR demo.dept@far"), 0) << st.Error();
  ASSERT_EQ(st.Run("CREATE SYNONYM odd_dept FOR demo.dept@\"X' OR 'Y\""), 0) << st.Error();
  EXPECT_EQ(st.Value("SELECT table_owner || '.' || table_name || '@' || db_link FROM "
                     "user_synonyms WHERE synonym_name = 'REMOTE_DEPT'"),
            "DEMO.DEPT@LOOP");
  EXPECT_EQ(st.Value("SELECT count(*) FROM remote_dept"), "4");
  EXPECT_EQ(st.Run("SELECT * FROM far_dept"), 2019);
  EXPECT_EQ(st.Run("SELECT * FROM odd_dept"), 2019);
  for (const char* syn : {"remote_dept", "far_dept", "odd_dept"})
    ASSERT_EQ(st.Run(std::string("DROP SYNONYM ") + syn), 0);

  EXPECT_EQ(Column(st.Query(
                Lines({" select column_name from all_ind_columns ", " where  table_owner='DEMO' ",
                       " and    table_name='EMP' ", " and    Index_owner='DEMO' ",
                       " and    index_name='PK_EMP' ", " order by column_position "}))),
            std::vector<std::string>{"EMPNO"});
  EXPECT_EQ(Column(st.Query(
                Lines({" select column_name ", " from all_cons_columns  ", " where owner = 'DEMO'",
                       " and constraint_name = 'FK_EMP_DEPT'", " order by position "}))),
            std::vector<std::string>{"DEPTNO"});
  EXPECT_EQ(Column(st.Query(Lines(
                {" select column_name ", " from all_trigger_cols  ", " where table_owner = 'DEMO'",
                 " and table_name = 'EMP'", " and trigger_owner = 'DEMO'",
                 " and trigger_name = 'EMP_SAL_CHECK'", " and column_list = 'YES'"}))),
            std::vector<std::string>{"SAL"});
  EXPECT_EQ(Column(st.Query(Lines({"select tablespace_name ", "from user_tablespaces ",
                                   "where status != 'INVALID' ", " order by tablespace_name "}))),
            (std::vector<std::string>{"SYSTEM", "TEMP", "USERS"}));
  auto indexes =
      st.Query(Lines({"SELECT OWNER,INDEX_NAME FROM ALL_INDEXES ", "WHERE TABLE_OWNER='DEMO' ",
                      "AND   TABLE_NAME='EMP' ", "ORDER BY INDEX_NAME "}));
  EXPECT_EQ(Column(indexes, 1), (std::vector<std::string>{"EMP_DEPTNO_IDX", "PK_EMP"}));
  EXPECT_EQ(
      st.Query(Lines({"SELECT OWNER,TRIGGER_NAME FROM ALL_TRIGGERS ", "WHERE  TABLE_OWNER='DEMO' ",
                      "AND    TABLE_NAME='EMP' ", "ORDER  BY TRIGGER_NAME "})),
      (std::vector<std::vector<std::string>>{{"DEMO", "EMP_SAL_CHECK"}}));
  auto trigger = st.Query(
      "SELECT trigger_type, triggering_event, referencing_names, when_clause, "
      "status, description FROM user_triggers");
  ASSERT_EQ(trigger.size(), 1u);
  EXPECT_EQ(trigger[0],
            (std::vector<std::string>{
                "BEFORE EACH ROW", "INSERT OR UPDATE", "REFERENCING NEW AS NEW OLD AS OLD",
                "NEW.SAL > 9999", "ENABLED",
                "EMP_SAL_CHECK\nBEFORE INSERT OR UPDATE OF SAL ON EMP\nFOR EACH ROW\n"}));
  auto fk = st.Query(
      Lines({" select", " status,constraint_type, owner,table_name",
             " ,r_owner,r_constraint_name, delete_rule ",
             " from all_constraints where owner='DEMO' and ", " constraint_name='FK_EMP_DEPT' "}));
  EXPECT_EQ(fk, (std::vector<std::vector<std::string>>{
                    {"ENABLED", "R", "DEMO", "EMP", "DEMO", "PK_DEPT", "NO ACTION"}}));
  auto pk = st.Query(
      Lines({" select", " owner, status,constraint_type, owner,table_name",
             " ,nvl(r_owner,' ') r_owner, nvl(r_constraint_name,' ') r_constraint_name, "
             "nvl(delete_rule,' ') delete_rule",
             " from all_constraints where owner='DEMO' ", " and constraint_name='PK_EMP' "}));
  EXPECT_EQ(pk, (std::vector<std::vector<std::string>>{
                    {"DEMO", "ENABLED", "P", "DEMO", "EMP", " ", " ", " "}}));
  EXPECT_EQ(st.Query(Lines({" SELECT TABLE_OWNER, TABLE_NAME, DB_LINK", " FROM ALL_SYNONYMS  ",
                            " WHERE OWNER = 'DEMO'", " AND SYNONYM_NAME = 'EMPLOYEES'"})),
            (std::vector<std::vector<std::string>>{{"DEMO", "EMP", "<null>"}}));
}

TEST_F(Dictionary, ArgumentView) {
  ASSERT_EQ(Oci().control(nullptr, "install_extras", 0, "DICT"), 0);
  Statement st(demo_);
  std::string id = st.Value(
      "SELECT object_id FROM user_objects WHERE object_name = 'EMP_API' AND object_type = "
      "'PACKAGE'");
  auto rows = st.Query(
      "SELECT OBJ#, PROCEDURE$,OVERLOAD#,POSITION,SEQUENCE#,\nLEVEL#, ARGUMENT, TYPE, DEFAULT#, "
      "IN_OUT, LENGTH\nFROM SYS.DUDEDOD_ARGUMENT$ \nWHERE OBJ#=" +
      id + "\nAND PROCEDURE$='HIRE'\nORDER BY 1,2,3,5");
  ASSERT_EQ(rows.size(), 5u);
  // The first overload's three arguments, then the second's two.
  EXPECT_EQ(rows[0], (std::vector<std::string>{id, "HIRE", "1", "1", "1", "0", "P_ENAME", "1",
                                               "<null>", "0", "0"}));
  EXPECT_EQ(rows[2][6], "P_DEPTNO");
  EXPECT_EQ(rows[3][2], "2");
  // A function's result is POSITION 0; its arguments follow.
  std::string fid =
      st.Value("SELECT object_id FROM user_objects WHERE object_name = 'DEPT_SALARY'");
  auto result = st.Query(
      "SELECT POSITION, ARGUMENT, TYPE, IN_OUT FROM SYS.DUDEDOD_ARGUMENT$ "
      "WHERE OBJ#=" +
      fid + " ORDER BY 1,2,3");
  EXPECT_EQ(result, (std::vector<std::vector<std::string>>{{"0", "<null>", "2", "1"},
                                                           {"1", "P_DEPTNO", "2", "0"}}));
  // A default shows in DEFAULT#.
  EXPECT_EQ(st.Value("SELECT count(*) FROM SYS.DUDEDOD_ARGUMENT$ WHERE DEFAULT# = 1 AND "
                     "ARGUMENT = 'P_PERCENT'"),
            "1");
}

TEST_F(Dictionary, ServerTimeAndTypesAsDescribed) {
  Statement st(demo_);
  auto ts = st.Query(Lines({" SELECT ",
                            "TO_CHAR(SYSDATE,'J') Julian_Day, TO_CHAR(SYSDATE,'SSSSSSS') "
                            "Seconds_Of_Day ",
                            " FROM DUAL"}));
  ASSERT_EQ(ts.size(), 1u);
  EXPECT_GT(std::stol(ts[0][0]), 2450000);
  // Describe gives Oracle's types: VARCHAR2(30), NUMBER, DATE, and LONG with size 0.
  const Api& o = Oci();
  auto describe = [&](const std::string& sql, int pos) {
    EXPECT_EQ(st.Parse(sql), 0) << st.Error();
    sb4 dbsize = 0, cbufl = 31, dsize = 0;
    sb2 dbtype = 0, prec, scale, nullok;
    sb1 name[32];
    EXPECT_EQ(
        o.odescr(st.cda(), pos, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok), 0);
    return std::to_string(dbtype) + "/" + std::to_string(dbsize) + "/" + std::to_string(dsize);
  };
  EXPECT_EQ(describe("SELECT owner FROM all_objects", 1), "1/30/30");
  EXPECT_EQ(describe("SELECT object_id FROM all_objects", 1), "2/22/40");
  EXPECT_EQ(describe("SELECT created FROM all_objects", 1), "12/7/9");
  EXPECT_EQ(describe("SELECT text FROM all_views", 1), "8/0/0");
  EXPECT_EQ(describe("SELECT trigger_body FROM all_triggers", 1), "8/0/0");
  EXPECT_EQ(describe("SELECT text FROM all_source", 1), "1/2000/2000");
}

// Every column of every dictionary view has one of the server's types, computed ones too,
// and an expression over one is described by what it holds.
TEST_F(Dictionary, ViewColumnsAreTyped) {
  Statement st(dba_);
  EXPECT_EQ(st.Query("SELECT table_name || '.' || column_name || ' ' || data_type FROM "
                     "dba_tab_columns WHERE owner = 'SYS' AND data_type NOT IN ('VARCHAR2', "
                     "'NUMBER', 'DATE', 'LONG')",
                     10, 80),
            std::vector<std::vector<std::string>>{});
  Statement d(demo_);
  ASSERT_EQ(d.Parse("select nvl(r_constraint_name,' '), timestamp from user_constraints, "
                    "user_objects where rownum = 1"),
            0);
  for (int pos = 1; pos <= 2; ++pos) {
    sb4 dbsize = 0, cbufl = 31, dsize = 0;
    sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
    sb1 name[32];
    ASSERT_EQ(
        Oci().odescr(d.cda(), pos, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok),
        0);
    EXPECT_EQ(dbtype, 1) << pos;  // VARCHAR2
  }
}

// A constraint declared DISABLE is listed as such and not enforced, also after the table
// is rebuilt for another change; an enabled one added later is enforced.
TEST_F(Dictionary, DisabledConstraintsAreKeptButNotEnforced) {
  Statement st(demo_);
  ASSERT_EQ(st.Run("CREATE TABLE DIS_T (ID NUMBER, N NUMBER, "
                   "CONSTRAINT DIS_PK PRIMARY KEY (ID) DISABLE)"),
            0)
      << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO DIS_T VALUES (1, 1)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO DIS_T VALUES (1, -1)"), 0) << st.Error();
  ASSERT_EQ(st.Run("ALTER TABLE DIS_T ADD CONSTRAINT DIS_CK CHECK (N > 0) DISABLE"), 0)
      << st.Error();
  const char* status =
      "SELECT CONSTRAINT_NAME, STATUS FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'DIS_T' "
      "ORDER BY 1";
  EXPECT_EQ(st.Query(status), (std::vector<std::vector<std::string>>{{"DIS_CK", "DISABLED"},
                                                                     {"DIS_PK", "DISABLED"}}));
  EXPECT_EQ(st.Value("SELECT COUNT(*) FROM USER_INDEXES WHERE TABLE_NAME = 'DIS_T'"), "0");
  // An enabled check added now holds for the rows; the disabled ones stay as they were.
  ASSERT_EQ(st.Run("ALTER TABLE DIS_T ADD CONSTRAINT DIS_ID CHECK (ID < 10)"), 0) << st.Error();
  EXPECT_NE(st.Run("INSERT INTO DIS_T VALUES (11, 1)"), 0);
  EXPECT_EQ(st.Run("INSERT INTO DIS_T VALUES (1, -2)"), 0) << st.Error();
  EXPECT_EQ(st.Query(status), (std::vector<std::vector<std::string>>{{"DIS_CK", "DISABLED"},
                                                                     {"DIS_ID", "ENABLED"},
                                                                     {"DIS_PK", "DISABLED"}}));
  EXPECT_EQ(st.Run("DROP TABLE DIS_T"), 0);
}
