// The server's promises about data, through the entry points: a failed call changes
// nothing, every enabled constraint holds whatever statement declared it and a violation
// names the constraint, keys are enabled and disabled as the server does, and the
// session settings install scripts begin with are accepted.
#include <set>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Integrity : public DatabaseSuite<"INTEGRITY"> {
 protected:
  void SetUp() override { ASSERT_EQ(demo_.Logon("demo/demo@integrity"), 0); }
  // Runs a statement that must succeed.
  void Ok(Statement& st, const std::string& sql) { ASSERT_EQ(st.Run(sql), 0) << sql << "\n" << st.Error(); }
  Connection demo_;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// A call is one unit

TEST_F(Integrity, FailedBlockUndoesItsWorkAndKeepsTheTransactions) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE unit_a (n NUMBER CONSTRAINT unit_a_pk PRIMARY KEY)");
  Ok(st, "INSERT INTO unit_a VALUES (1)");  // the transaction's earlier work
  // The failure at the first, a middle and the last statement of the block.
  for (const char* block :
       {"BEGIN INSERT INTO unit_a VALUES (1); INSERT INTO unit_a VALUES (10); END;",
        "BEGIN INSERT INTO unit_a VALUES (10); UPDATE unit_a SET n = n + 100 WHERE n = 1; "
        "INSERT INTO unit_a VALUES (10); INSERT INTO unit_a VALUES (11); END;",
        "BEGIN INSERT INTO unit_a VALUES (10); DELETE FROM unit_a WHERE n = 1; "
        "RAISE_APPLICATION_ERROR(-20001, 'stop'); END;"}) {
    EXPECT_NE(st.Run(block), 0) << block;
    EXPECT_EQ(st.Value("SELECT count(*) || ':' || min(n) FROM unit_a"), "1:1") << block;
  }
  // The earlier work is still the open transaction's: a rollback takes it away.
  Ok(st, "ROLLBACK");
  EXPECT_EQ(st.Value("SELECT count(*) FROM unit_a"), "0");
  // A block opening the transaction and failing leaves none open behind it.
  EXPECT_NE(st.Run("BEGIN INSERT INTO unit_a VALUES (5); INSERT INTO unit_a VALUES (5); END;"), 0);
  EXPECT_EQ(st.Value("SELECT count(*) FROM unit_a"), "0");
  // An exception handled inside the block undoes only the failed statement.
  Ok(st, "BEGIN INSERT INTO unit_a VALUES (7); BEGIN INSERT INTO unit_a VALUES (7); EXCEPTION "
         "WHEN DUP_VAL_ON_INDEX THEN NULL; END; INSERT INTO unit_a VALUES (8); END;");
  EXPECT_EQ(st.Value("SELECT count(*) || ':' || sum(n) FROM unit_a"), "2:15");
  // What a block committed stays; what it did after the commit goes.
  EXPECT_NE(st.Run("BEGIN INSERT INTO unit_a VALUES (20); COMMIT; INSERT INTO unit_a VALUES (21); "
                   "INSERT INTO unit_a VALUES (21); END;"),
            0);
  EXPECT_EQ(st.Value("SELECT count(*) || ':' || sum(n) FROM unit_a"), "3:35");
  // A failed call inside a savepoint's scope leaves the savepoint usable.
  Ok(st, "SAVEPOINT before_30");
  Ok(st, "INSERT INTO unit_a VALUES (30)");
  EXPECT_NE(st.Run("BEGIN INSERT INTO unit_a VALUES (31); INSERT INTO unit_a VALUES (30); END;"), 0);
  EXPECT_EQ(st.Value("SELECT count(*) FROM unit_a"), "4");
  Ok(st, "ROLLBACK TO SAVEPOINT before_30");
  EXPECT_EQ(st.Value("SELECT count(*) FROM unit_a"), "3");
  Ok(st, "DROP TABLE unit_a");
}

TEST_F(Integrity, FailedStatementChangesNoRow) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE unit_b (id NUMBER, v NUMBER CONSTRAINT unit_b_v CHECK (v < 100))");
  Ok(st, "CREATE TABLE unit_b_log (id NUMBER)");
  Ok(st, "INSERT INTO unit_b SELECT rownum, rownum FROM emp WHERE rownum <= 12");
  // The row that fails is the first, a middle one or the last the statement changes.
  for (int bad : {1, 6, 12}) {
    std::string poison = "UPDATE unit_b SET v = 500 WHERE id = " + std::to_string(bad);
    std::string update = "UPDATE unit_b SET v = v + decode(id, " + std::to_string(bad) + ", 99, 1)";
    EXPECT_EQ(st.Run(update), 2290) << bad;
    EXPECT_EQ(st.Value("SELECT sum(v) FROM unit_b"), "78") << bad;
    EXPECT_EQ(st.Run("DELETE FROM unit_b WHERE 10 / (id - " + std::to_string(bad) + ") > 0"), 1476)
        << bad;
    EXPECT_EQ(st.Value("SELECT count(*) FROM unit_b"), "12") << bad;
    (void)poison;
  }
  // The same through the row-by-row path a trigger makes.
  Ok(st, "CREATE TRIGGER unit_b_trg AFTER UPDATE ON unit_b FOR EACH ROW BEGIN "
         "INSERT INTO unit_b_log VALUES (:new.id); END;");
  for (int bad : {1, 6, 12}) {
    std::string update = "UPDATE unit_b SET v = v + decode(id, " + std::to_string(bad) + ", 99, 1)";
    EXPECT_EQ(st.Run(update), 2290) << bad;
    EXPECT_EQ(st.Value("SELECT sum(v) FROM unit_b"), "78") << bad;
    EXPECT_EQ(st.Value("SELECT count(*) FROM unit_b_log"), "0") << bad;
  }
  Ok(st, "DROP TABLE unit_b");
  Ok(st, "DROP TABLE unit_b_log");
}

// ---------------------------------------------------------------------------------------
// Constraints

namespace {

// Each form a foreign key is declared in: the child table (id, p) refers to parent (k).
struct Declaration {
  const char* what;
  std::vector<std::string> statements;
};

std::vector<Declaration> ForeignKeyDeclarations() {
  const std::string table = "CREATE TABLE fk_child (id NUMBER, p NUMBER";
  return {
      {"inline in CREATE TABLE",
       {"CREATE TABLE fk_child (id NUMBER, p NUMBER CONSTRAINT fk_c REFERENCES fk_parent (k))"}},
      {"inline without columns",
       {"CREATE TABLE fk_child (id NUMBER, p NUMBER CONSTRAINT fk_c REFERENCES fk_parent)"}},
      {"out of line in CREATE TABLE",
       {table + ", CONSTRAINT fk_c FOREIGN KEY (p) REFERENCES fk_parent (k))"}},
      {"ALTER TABLE ADD CONSTRAINT",
       {table + ")", "ALTER TABLE fk_child ADD CONSTRAINT fk_c FOREIGN KEY (p) REFERENCES fk_parent (k)"}},
      {"ALTER TABLE ADD with a key",
       {table + ")",
        "ALTER TABLE fk_child ADD (CONSTRAINT fk_c_pk PRIMARY KEY (id), CONSTRAINT fk_c FOREIGN "
        "KEY (p) REFERENCES fk_parent (k))"}},
      {"ALTER TABLE ADD with a check",
       {table + ")",
        "ALTER TABLE fk_child ADD (CONSTRAINT fk_c FOREIGN KEY (p) REFERENCES fk_parent (k), "
        "CONSTRAINT fk_c_id CHECK (id > 0))"}},
      {"ALTER TABLE ADD column with its key",
       {"CREATE TABLE fk_child (id NUMBER)",
        "ALTER TABLE fk_child ADD (p NUMBER CONSTRAINT fk_c REFERENCES fk_parent (k))"}},
      {"ALTER TABLE MODIFY",
       {table + ")", "ALTER TABLE fk_child MODIFY (p CONSTRAINT fk_c REFERENCES fk_parent (k))"}},
      {"disabled, then enabled",
       {table + ", CONSTRAINT fk_c FOREIGN KEY (p) REFERENCES fk_parent (k) DISABLE)",
        "ALTER TABLE fk_child ENABLE CONSTRAINT fk_c"}},
  };
}

}  // namespace

TEST_F(Integrity, EveryDeclaredForeignKeyHolds) {
  Statement st(demo_);
  // The parent's key added afterwards, as install scripts do.
  Ok(st, "CREATE TABLE fk_parent (k NUMBER, name VARCHAR2(10))");
  Ok(st, "ALTER TABLE fk_parent ADD (CONSTRAINT fk_parent_pk PRIMARY KEY (k))");
  Ok(st, "INSERT INTO fk_parent VALUES (1, 'one')");
  Ok(st, "INSERT INTO fk_parent VALUES (2, 'two')");
  for (const Declaration& d : ForeignKeyDeclarations()) {
    SCOPED_TRACE(d.what);
    for (const std::string& sql : d.statements) Ok(st, sql);
    EXPECT_EQ(st.Value("SELECT status || ' ' || r_constraint_name FROM user_constraints WHERE "
                       "constraint_name = 'FK_C'"),
              "ENABLED FK_PARENT_PK");
    Ok(st, "INSERT INTO fk_child VALUES (1, 1)");
    Ok(st, "INSERT INTO fk_child VALUES (2, NULL)");
    EXPECT_EQ(st.Run("INSERT INTO fk_child VALUES (3, 9)"), 2291);
    EXPECT_EQ(st.Error(), "ORA-02291: integrity constraint (DEMO.FK_C) violated - parent key not found");
    EXPECT_EQ(st.Run("UPDATE fk_child SET p = 7"), 2291);
    EXPECT_EQ(st.Run("DELETE FROM fk_parent WHERE k = 1"), 2292);
    EXPECT_EQ(st.Error(), "ORA-02292: integrity constraint (DEMO.FK_C) violated - child record found");
    EXPECT_EQ(st.Run("UPDATE fk_parent SET k = 5 WHERE k = 1"), 2292);
    Ok(st, "DELETE FROM fk_parent WHERE k = 2");  // no child: allowed
    Ok(st, "INSERT INTO fk_parent VALUES (2, 'two')");
    EXPECT_EQ(st.Value("SELECT count(*) FROM fk_child"), "2");
    Ok(st, "DROP TABLE fk_child");
  }
  Ok(st, "DROP TABLE fk_parent");
}

TEST_F(Integrity, ViolationNamesTheConstraintBroken) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE nm_a (k NUMBER CONSTRAINT nm_a_pk PRIMARY KEY)");
  Ok(st, "CREATE TABLE nm_b (k NUMBER, u VARCHAR2(5) CONSTRAINT nm_b_u UNIQUE)");
  Ok(st, "ALTER TABLE nm_b ADD CONSTRAINT nm_b_pk PRIMARY KEY (k)");
  Ok(st, "CREATE TABLE nm_c (id NUMBER CONSTRAINT nm_c_pk PRIMARY KEY, a NUMBER, b NUMBER, "
         "x NUMBER, y NUMBER NOT NULL, "
         "CONSTRAINT nm_c_fa FOREIGN KEY (a) REFERENCES nm_a (k), "
         "CONSTRAINT nm_c_fb FOREIGN KEY (b) REFERENCES nm_b (k), "
         "CONSTRAINT nm_c_x1 CHECK (x > 0), CONSTRAINT nm_c_x2 CHECK (x < 100))");
  Ok(st, "CREATE UNIQUE INDEX nm_c_xy ON nm_c (x, y)");
  Ok(st, "INSERT INTO nm_a VALUES (1)");
  Ok(st, "INSERT INTO nm_b VALUES (1, 'u')");
  Ok(st, "INSERT INTO nm_c VALUES (1, 1, 1, 5, 5)");
  struct Case {
    const char* sql;
    int code;
    const char* message;
  } cases[] = {
      {"INSERT INTO nm_c VALUES (2, 1, 9, 5, 6)", 2291,
       "ORA-02291: integrity constraint (DEMO.NM_C_FB) violated - parent key not found"},
      {"INSERT INTO nm_c VALUES (2, 9, 1, 5, 6)", 2291,
       "ORA-02291: integrity constraint (DEMO.NM_C_FA) violated - parent key not found"},
      {"DELETE FROM nm_b", 2292,
       "ORA-02292: integrity constraint (DEMO.NM_C_FB) violated - child record found"},
      {"INSERT INTO nm_c VALUES (2, 1, 1, 500, 6)", 2290,
       "ORA-02290: check constraint (DEMO.NM_C_X2) violated"},
      {"UPDATE nm_c SET x = -1", 2290, "ORA-02290: check constraint (DEMO.NM_C_X1) violated"},
      {"INSERT INTO nm_c VALUES (1, 1, 1, 6, 6)", 1,
       "ORA-00001: unique constraint (DEMO.NM_C_PK) violated"},
      {"INSERT INTO nm_c VALUES (2, 1, 1, 5, 5)", 1,
       "ORA-00001: unique constraint (DEMO.NM_C_XY) violated"},
      {"INSERT INTO nm_b VALUES (1, 'v')", 1, "ORA-00001: unique constraint (DEMO.NM_B_PK) violated"},
      {"INSERT INTO nm_b VALUES (2, 'u')", 1, "ORA-00001: unique constraint (DEMO.NM_B_U) violated"},
      {"INSERT INTO nm_c (id, x) VALUES (3, 1)", 1400,
       "ORA-01400: mandatory (NOT NULL) column is missing or NULL during insert"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(st.Run(c.sql), c.code) << c.sql;
    EXPECT_EQ(st.Error(), c.message) << c.sql;
  }
  // The same from PL/SQL.
  EXPECT_EQ(st.Run("BEGIN INSERT INTO nm_c VALUES (2, 1, 9, 5, 6); END;"), 2291);
  EXPECT_NE(st.Error().find("(DEMO.NM_C_FB)"), std::string::npos) << st.Error();
  for (const char* t : {"nm_c", "nm_b", "nm_a"}) Ok(st, std::string("DROP TABLE ") + t);
}

TEST_F(Integrity, ForeignKeyNeedsAKeyToReferTo) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE rk_p (a NUMBER, b NUMBER, c NUMBER CONSTRAINT rk_p_c UNIQUE)");
  Ok(st, "CREATE UNIQUE INDEX rk_p_a ON rk_p (a)");
  for (const char* sql :
       {"CREATE TABLE rk_c (x NUMBER REFERENCES rk_p (a))",  // a unique index is no key
        "CREATE TABLE rk_c (x NUMBER REFERENCES rk_p (b))",  // nothing at all
        "CREATE TABLE rk_c (x NUMBER, CONSTRAINT rk_f FOREIGN KEY (x) REFERENCES rk_p (a))"}) {
    EXPECT_EQ(st.Run(sql), 2270) << sql;
    EXPECT_EQ(st.Error(), "ORA-02270: no matching unique or primary key for this column-list");
  }
  EXPECT_EQ(st.Run("CREATE TABLE rk_c (x NUMBER REFERENCES rk_p)"), 2268);
  Ok(st, "CREATE TABLE rk_c (x NUMBER, y NUMBER)");
  EXPECT_EQ(st.Run("ALTER TABLE rk_c ADD CONSTRAINT rk_f FOREIGN KEY (x) REFERENCES rk_p (b)"), 2270);
  EXPECT_EQ(st.Run("ALTER TABLE rk_c ADD (CONSTRAINT rk_pk PRIMARY KEY (y), CONSTRAINT rk_f "
                   "FOREIGN KEY (x) REFERENCES rk_p (a))"),
            2270);
  EXPECT_EQ(st.Run("ALTER TABLE rk_c ADD CONSTRAINT rk_f FOREIGN KEY (x, y) REFERENCES rk_p (c)"),
            2256);
  // Nothing of a refused statement stays behind.
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_constraints WHERE table_name = 'RK_C'"), "0");
  // A unique key is a key; a table may refer to its own key.
  Ok(st, "ALTER TABLE rk_c ADD CONSTRAINT rk_f FOREIGN KEY (x) REFERENCES rk_p (c)");
  Ok(st, "CREATE TABLE rk_self (id NUMBER, boss NUMBER, CONSTRAINT rk_self_f FOREIGN KEY (boss) "
         "REFERENCES rk_self (id), CONSTRAINT rk_self_pk PRIMARY KEY (id))");
  Ok(st, "INSERT INTO rk_self VALUES (1, NULL)");
  Ok(st, "INSERT INTO rk_self VALUES (2, 1)");
  EXPECT_EQ(st.Run("INSERT INTO rk_self VALUES (3, 7)"), 2291);
  EXPECT_EQ(st.Run("DELETE FROM rk_self WHERE id = 1"), 2292);
  EXPECT_EQ(st.Error(), "ORA-02292: integrity constraint (DEMO.RK_SELF_F) violated - child record found");
  for (const char* t : {"rk_self", "rk_c", "rk_p"}) Ok(st, std::string("DROP TABLE ") + t);
}

// The unique index of a key is made under the key's name, so an index of that name that
// is there already is a clash.
TEST_F(Integrity, KeyIndexNameClashes) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE ix_t (a NUMBER)");
  Ok(st, "CREATE UNIQUE INDEX ix_t_pk ON ix_t (a)");
  EXPECT_EQ(st.Run("ALTER TABLE ix_t ADD CONSTRAINT ix_t_pk PRIMARY KEY (a)"), 955);
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_constraints WHERE table_name = 'IX_T'"), "0");
  Ok(st, "DROP INDEX ix_t_pk");
  Ok(st, "ALTER TABLE ix_t ADD CONSTRAINT ix_t_pk PRIMARY KEY (a)");
  EXPECT_EQ(st.Value("SELECT index_name FROM user_indexes WHERE table_name = 'IX_T'"), "IX_T_PK");
  Ok(st, "DROP TABLE ix_t");
}

TEST_F(Integrity, ConstraintsEnabledAndDisabled) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE ed_p (k NUMBER CONSTRAINT ed_p_pk PRIMARY KEY, u NUMBER, "
         "CONSTRAINT ed_p_u UNIQUE (u))");
  Ok(st, "CREATE TABLE ed_c (id NUMBER, p NUMBER CONSTRAINT ed_c_f REFERENCES ed_p (k), "
         "v NUMBER CONSTRAINT ed_c_v CHECK (v > 0))");
  Ok(st, "INSERT INTO ed_p VALUES (1, 1)");
  Ok(st, "INSERT INTO ed_c VALUES (1, 1, 1)");
  auto status = [&](const char* name) {
    return st.Value(std::string("SELECT status FROM user_constraints WHERE constraint_name = '") +
                    name + "'");
  };
  struct Case {
    const char* constraint;
    const char* disable;
    const char* breaking;  // a row the enabled constraint refuses
    const char* repair;    // makes the rows valid again
    int enableError;
    const char* enableMessage;
  } cases[] = {
      {"ED_C_V", "ALTER TABLE ed_c DISABLE CONSTRAINT ed_c_v", "INSERT INTO ed_c VALUES (2, 1, -1)",
       "DELETE FROM ed_c WHERE v < 0", 2293,
       "ORA-02293: cannot enable (DEMO.ED_C_V) - check constraint violated"},
      {"ED_C_F", "ALTER TABLE ed_c DISABLE CONSTRAINT ed_c_f", "INSERT INTO ed_c VALUES (3, 9, 1)",
       "DELETE FROM ed_c WHERE p = 9", 2298,
       "ORA-02298: cannot enable (DEMO.ED_C_F) - parent keys not found"},
      {"ED_P_U", "ALTER TABLE ed_p DISABLE UNIQUE (u)", "INSERT INTO ed_p VALUES (2, 1)",
       "DELETE FROM ed_p WHERE k = 2", 2299,
       "ORA-02299: cannot validate (DEMO.ED_P_U) - duplicate keys found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.constraint);
    std::string name = c.constraint;
    std::string table = name.substr(0, 4);
    Ok(st, c.disable);
    EXPECT_EQ(status(c.constraint), "DISABLED");
    Ok(st, c.breaking);
    EXPECT_EQ(st.Run("ALTER TABLE " + table + " ENABLE CONSTRAINT " + name), c.enableError);
    EXPECT_EQ(st.Error(), c.enableMessage);
    EXPECT_EQ(status(c.constraint), "DISABLED");
    Ok(st, c.repair);
    Ok(st, "ALTER TABLE " + table + " ENABLE CONSTRAINT " + name);
    EXPECT_EQ(status(c.constraint), "ENABLED");
    EXPECT_NE(st.Run(c.breaking), 0);
  }
  // A key others refer to is disabled only with them.
  EXPECT_EQ(st.Run("ALTER TABLE ed_p DISABLE PRIMARY KEY"), 2297);
  EXPECT_EQ(st.Error(), "ORA-02297: cannot disable constraint (DEMO.ED_P_PK) - dependencies exist");
  Ok(st, "ALTER TABLE ed_p DISABLE PRIMARY KEY CASCADE");
  EXPECT_EQ(status("ED_P_PK"), "DISABLED");
  EXPECT_EQ(status("ED_C_F"), "DISABLED");
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_indexes WHERE index_name = 'ED_P_PK'"), "0");
  Ok(st, "INSERT INTO ed_p VALUES (1, 5)");
  Ok(st, "INSERT INTO ed_c VALUES (4, 8, 1)");
  // The foreign key waits for its parent key.
  EXPECT_EQ(st.Run("ALTER TABLE ed_c ENABLE CONSTRAINT ed_c_f"), 2270);
  EXPECT_EQ(st.Run("ALTER TABLE ed_p ENABLE PRIMARY KEY"), 2437);
  EXPECT_EQ(st.Error(), "ORA-02437: cannot validate (DEMO.ED_P_PK) - primary key violated");
  Ok(st, "DELETE FROM ed_p WHERE u = 5");
  Ok(st, "ALTER TABLE ed_p ENABLE PRIMARY KEY");
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_indexes WHERE index_name = 'ED_P_PK'"), "1");
  EXPECT_EQ(st.Run("ALTER TABLE ed_c ENABLE CONSTRAINT ed_c_f"), 2298);
  Ok(st, "DELETE FROM ed_c WHERE p = 8");
  Ok(st, "ALTER TABLE ed_c ENABLE CONSTRAINT ed_c_f");
  EXPECT_EQ(st.Run("DELETE FROM ed_p"), 2292);
  // Names that are not there.
  EXPECT_EQ(st.Run("ALTER TABLE ed_c DISABLE CONSTRAINT nothing"), 2431);
  EXPECT_EQ(st.Error(), "ORA-02431: cannot disable constraint (DEMO.NOTHING) - no such constraint");
  EXPECT_EQ(st.Run("ALTER TABLE ed_c ENABLE PRIMARY KEY"), 2432);
  EXPECT_EQ(st.Run("ALTER TABLE ed_c ENABLE UNIQUE (v)"), 2434);
  // A NOT NULL constraint too.
  Ok(st, "ALTER TABLE ed_c MODIFY (id CONSTRAINT ed_c_id_nn NOT NULL)");
  Ok(st, "ALTER TABLE ed_c DISABLE CONSTRAINT ed_c_id_nn");
  EXPECT_EQ(st.Value("SELECT nullable FROM user_tab_columns WHERE table_name = 'ED_C' AND "
                     "column_name = 'ID'"),
            "Y");
  Ok(st, "INSERT INTO ed_c VALUES (NULL, 1, 1)");
  EXPECT_EQ(st.Run("ALTER TABLE ed_c ENABLE CONSTRAINT ed_c_id_nn"), 2296);
  EXPECT_EQ(st.Error(), "ORA-02296: cannot enable (DEMO.ED_C_ID_NN) - null values found");
  EXPECT_EQ(status("ED_C_ID_NN"), "DISABLED");
  Ok(st, "DELETE FROM ed_c WHERE id IS NULL");
  Ok(st, "ALTER TABLE ed_c ENABLE CONSTRAINT ed_c_id_nn");
  EXPECT_EQ(st.Run("INSERT INTO ed_c VALUES (NULL, 1, 1)"), 1400);
  Ok(st, "DROP TABLE ed_c");
  Ok(st, "DROP TABLE ed_p");
}

// ---------------------------------------------------------------------------------------
// Session settings

TEST_F(Integrity, NlsSettingsOfInstallScripts) {
  Statement st(demo_);
  for (const char* sql :
       {"ALTER SESSION SET NLS_LANGUAGE = American", "ALTER SESSION SET NLS_TERRITORY = America",
        "ALTER SESSION SET NLS_LANGUAGE = 'AMERICAN' NLS_TERRITORY = 'AMERICA'",
        "ALTER SESSION SET NLS_DATE_LANGUAGE = AMERICAN", "ALTER SESSION SET NLS_SORT = BINARY",
        "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'", "ALTER SESSION SET NLS_CURRENCY = '$'",
        "ALTER SESSION SET NLS_ISO_CURRENCY = AMERICA", "ALTER SESSION SET NLS_CALENDAR = GREGORIAN",
        "ALTER SESSION SET SQL_TRACE = TRUE", "ALTER SESSION SET SQL_TRACE = FALSE",
        "ALTER SESSION SET OPTIMIZER_GOAL = FIRST_ROWS", "ALTER SESSION SET OPTIMIZER_GOAL = CHOOSE"})
    Ok(st, sql);
  EXPECT_EQ(st.Value("SELECT to_char(to_date('05-01-1999', 'DD-MM-YYYY'), 'DD-MON-YYYY') "
                     "FROM dual"),
            "05-JAN-1999");
  // Values the engine has no data for are refused as the server refuses them.
  for (const char* sql : {"ALTER SESSION SET NLS_LANGUAGE = GERMAN",
                          "ALTER SESSION SET NLS_TERRITORY = 'GERMANY'",
                          "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = ',.'"}) {
    EXPECT_EQ(st.Run(sql), 12705) << sql;
    EXPECT_EQ(st.Error(), "ORA-12705: invalid or unknown NLS parameter value specified");
  }
  EXPECT_EQ(st.Run("ALTER SESSION SET SQL_TRACE = MAYBE"), 922);
  EXPECT_EQ(st.Run("ALTER SESSION SET NO_SUCH_THING = 1"), 2248);
}

// ---------------------------------------------------------------------------------------
// Names are resolved when a unit is compiled

namespace {

// ALL_ERRORS of a unit as "line/position text".
std::vector<std::string> Errors(Statement& q, const std::string& name) {
  std::vector<std::string> out;
  for (const auto& r : q.Query("SELECT line, position, text FROM user_errors WHERE name = '" +
                               name + "' ORDER BY sequence"))
    out.push_back(r[0] + "/" + r[1] + " " + r[2]);
  return out;
}

}  // namespace

TEST_F(Integrity, BlockNamingAMissingTableRunsNothing) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE cn_t (n NUMBER)");
  Ok(st, "CREATE SEQUENCE cn_seq");
  // The sequence would move even if the block's changes were undone.
  EXPECT_EQ(st.Run("DECLARE n NUMBER;\nBEGIN\n  SELECT cn_seq.NEXTVAL INTO n FROM dual;\n"
                   "  INSERT INTO cn_t VALUES (n);\n  INSERT INTO cn_missing VALUES (n);\nEND;"),
            6550);
  EXPECT_EQ(st.Error(),
            "ORA-06550: line 5, column 15:\nPL/SQL: ORA-00942: table or view does not exist\n"
            "ORA-06550: line 5, column 3:\nPL/SQL: SQL Statement ignored");
  EXPECT_EQ(st.Value("SELECT cn_seq.NEXTVAL FROM dual"), "1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM cn_t"), "0");
  // In a query, a cursor and a cursor loop alike; the names the block declares are not
  // tables.
  for (const char* block :
       {"DECLARE n NUMBER; BEGIN SELECT count(*) INTO n FROM cn_t, cn_missing; END;",
        "DECLARE CURSOR c IS SELECT * FROM cn_missing; BEGIN NULL; END;",
        "BEGIN FOR r IN (SELECT * FROM cn_missing) LOOP NULL; END LOOP; END;",
        "BEGIN UPDATE cn_missing SET n = 1; END;", "BEGIN DELETE FROM demo.cn_missing; END;"}) {
    EXPECT_EQ(st.Run(block), 6550) << block;
    EXPECT_NE(st.Error().find("PL/SQL: ORA-00942: table or view does not exist"), std::string::npos)
        << block;
  }
  Ok(st, "DECLARE n NUMBER := 2; cn_missing NUMBER := 3; BEGIN "
         "INSERT INTO cn_t VALUES (n + cn_missing); END;");
  EXPECT_EQ(st.Value("SELECT n FROM cn_t"), "5");
  Ok(st, "DROP TABLE cn_t");
  Ok(st, "DROP SEQUENCE cn_seq");
}

TEST_F(Integrity, StoredUnitNamingAMissingTableIsInvalid) {
  Statement st(demo_);
  Statement q(demo_);
  struct Unit {
    const char* name;
    const char* type;
    std::string source;
    const char* errorAt;  // line/position of the missing table
    const char* statementAt;
  } units[] = {
      {"CN_PROC", "PROCEDURE", "PROCEDURE cn_proc IS\nBEGIN\n  DELETE FROM cn_gone;\nEND;", "3/15",
       "3/3"},
      {"CN_FUNC", "FUNCTION",
       "FUNCTION cn_func RETURN NUMBER IS\n  n NUMBER;\nBEGIN\n  SELECT count(*) INTO n FROM "
       "cn_gone;\n  RETURN n;\nEND;",
       "4/31", "4/3"},
      {"CN_PKG", "PACKAGE BODY",
       "PACKAGE BODY cn_pkg IS\n  CURSOR c IS SELECT * FROM cn_gone;\n  PROCEDURE p IS BEGIN "
       "NULL; END;\nEND;",
       "2/29", "2/15"},
      {"CN_TRG", "TRIGGER",
       "TRIGGER cn_trg AFTER INSERT ON emp FOR EACH ROW\nBEGIN\n  INSERT INTO cn_gone VALUES "
       "(:new.empno);\nEND;",
       "2/15", "2/3"},
  };
  Ok(st, "CREATE PACKAGE cn_pkg IS PROCEDURE p; END;");
  for (const Unit& u : units) {
    SCOPED_TRACE(u.name);
    Ok(st, "CREATE OR REPLACE " + u.source);
    EXPECT_EQ(q.Value(std::string("SELECT status FROM user_objects WHERE object_name = '") +
                      u.name + "' AND object_type = '" + u.type + "'"),
              "INVALID");
    EXPECT_EQ(Errors(q, u.name),
              (std::vector<std::string>{std::string(u.statementAt) + " PL/SQL: SQL Statement ignored",
                                        std::string(u.errorAt) +
                                            " PL/SQL: ORA-00942: table or view does not exist"}));
  }
  // An invalid trigger stops its table's DML instead of being skipped.
  EXPECT_EQ(st.Run("UPDATE emp SET sal = sal WHERE empno = 7369"), 0);
  EXPECT_EQ(st.Run("INSERT INTO emp (empno, ename) VALUES (1, 'X')"), 4098);
  EXPECT_EQ(st.Run("BEGIN cn_proc; END;"), 6550);  // PLS-00905: the block does not compile
  // With the table there, they compile.
  Ok(st, "CREATE TABLE cn_gone (n NUMBER)");
  for (const Unit& u : units) {
    std::string kind = u.type;
    std::string alter = kind == "PACKAGE BODY" ? "ALTER PACKAGE cn_pkg COMPILE BODY"
                                               : "ALTER " + kind + " " + u.name + " COMPILE";
    Ok(st, alter);
    EXPECT_EQ(q.Value(std::string("SELECT status FROM user_objects WHERE object_name = '") +
                      u.name + "' AND object_type = '" + u.type + "'"),
              "VALID")
        << u.name;
    EXPECT_TRUE(Errors(q, u.name).empty()) << u.name;
  }
  Ok(st, "INSERT INTO emp (empno, ename) VALUES (1, 'X')");
  EXPECT_EQ(st.Value("SELECT count(*) FROM cn_gone"), "1");
  Ok(st, "ROLLBACK");
  Ok(st, "DROP TRIGGER cn_trg");
  for (const char* sql : {"DROP PROCEDURE cn_proc", "DROP FUNCTION cn_func", "DROP PACKAGE cn_pkg",
                          "DROP TABLE cn_gone"})
    Ok(st, sql);
}

// ---------------------------------------------------------------------------------------
// An install script: a dozen tables with their constraints declared the ways install
// scripts declare them, a few hundred rows, then a violating row for every constraint.

TEST_F(Integrity, InstallScriptConstraintsAllHold) {
  Statement st(demo_);
  const char* script[] = {
      "ALTER SESSION SET NLS_LANGUAGE = American",
      "ALTER SESSION SET NLS_TERRITORY = America",
      "CREATE TABLE s_regions (region_id NUMBER CONSTRAINT s_reg_id_nn NOT NULL, "
      "region_name VARCHAR2(25))",
      "ALTER TABLE s_regions ADD (CONSTRAINT s_reg_id_pk PRIMARY KEY (region_id))",
      "CREATE TABLE s_countries (country_id CHAR(2) CONSTRAINT s_country_id_nn NOT NULL, "
      "country_name VARCHAR2(40), region_id NUMBER, "
      "CONSTRAINT s_country_c_id_pk PRIMARY KEY (country_id))",
      "ALTER TABLE s_countries ADD (CONSTRAINT s_countr_reg_fk FOREIGN KEY (region_id) "
      "REFERENCES s_regions (region_id))",
      "CREATE TABLE s_locations (location_id NUMBER(4), street_address VARCHAR2(40), "
      "postal_code VARCHAR2(12), city VARCHAR2(30) CONSTRAINT s_loc_city_nn NOT NULL, "
      "country_id CHAR(2))",
      "ALTER TABLE s_locations ADD (CONSTRAINT s_loc_id_pk PRIMARY KEY (location_id), "
      "CONSTRAINT s_loc_c_id_fk FOREIGN KEY (country_id) REFERENCES s_countries (country_id))",
      "CREATE TABLE s_departments (department_id NUMBER(4), department_name VARCHAR2(30) "
      "CONSTRAINT s_dept_name_nn NOT NULL, manager_id NUMBER(6), location_id NUMBER(4))",
      "ALTER TABLE s_departments ADD (CONSTRAINT s_dept_id_pk PRIMARY KEY (department_id), "
      "CONSTRAINT s_dept_loc_fk FOREIGN KEY (location_id) REFERENCES s_locations (location_id))",
      "CREATE TABLE s_jobs (job_id VARCHAR2(10), job_title VARCHAR2(35) CONSTRAINT "
      "s_job_title_nn NOT NULL, min_salary NUMBER(6), max_salary NUMBER(6))",
      "ALTER TABLE s_jobs ADD (CONSTRAINT s_job_id_pk PRIMARY KEY (job_id))",
      "CREATE TABLE s_employees (employee_id NUMBER(6), first_name VARCHAR2(20), last_name "
      "VARCHAR2(25) CONSTRAINT s_emp_last_name_nn NOT NULL, email VARCHAR2(25) CONSTRAINT "
      "s_emp_email_nn NOT NULL, hire_date DATE CONSTRAINT s_emp_hire_date_nn NOT NULL, job_id "
      "VARCHAR2(10) CONSTRAINT s_emp_job_nn NOT NULL, salary NUMBER(8,2), manager_id NUMBER(6), "
      "department_id NUMBER(4), CONSTRAINT s_emp_salary_min CHECK (salary > 0), "
      "CONSTRAINT s_emp_email_uk UNIQUE (email))",
      "ALTER TABLE s_employees ADD (CONSTRAINT s_emp_emp_id_pk PRIMARY KEY (employee_id), "
      "CONSTRAINT s_emp_dept_fk FOREIGN KEY (department_id) REFERENCES s_departments, "
      "CONSTRAINT s_emp_job_fk FOREIGN KEY (job_id) REFERENCES s_jobs (job_id), "
      "CONSTRAINT s_emp_manager_fk FOREIGN KEY (manager_id) REFERENCES s_employees)",
      "ALTER TABLE s_departments ADD (CONSTRAINT s_dept_mgr_fk FOREIGN KEY (manager_id) "
      "REFERENCES s_employees (employee_id))",
      "CREATE TABLE s_job_history (employee_id NUMBER(6) CONSTRAINT s_jhist_employee_nn NOT "
      "NULL, start_date DATE CONSTRAINT s_jhist_start_date_nn NOT NULL, end_date DATE "
      "CONSTRAINT s_jhist_end_date_nn NOT NULL, job_id VARCHAR2(10) CONSTRAINT s_jhist_job_nn "
      "NOT NULL, department_id NUMBER(4), CONSTRAINT s_jhist_date_interval CHECK (end_date > "
      "start_date))",
      "ALTER TABLE s_job_history ADD (CONSTRAINT s_jhist_emp_id_st_date_pk PRIMARY KEY "
      "(employee_id, start_date), CONSTRAINT s_jhist_job_fk FOREIGN KEY (job_id) REFERENCES "
      "s_jobs, CONSTRAINT s_jhist_emp_fk FOREIGN KEY (employee_id) REFERENCES s_employees, "
      "CONSTRAINT s_jhist_dept_fk FOREIGN KEY (department_id) REFERENCES s_departments)",
      "CREATE TABLE s_projects (project_id NUMBER CONSTRAINT s_proj_pk PRIMARY KEY, name "
      "VARCHAR2(30) CONSTRAINT s_proj_name_uk UNIQUE, budget NUMBER CONSTRAINT s_proj_budget_ck "
      "CHECK (budget >= 0), department_id NUMBER(4) CONSTRAINT s_proj_dept_fk REFERENCES "
      "s_departments (department_id) ON DELETE CASCADE)",
      "CREATE TABLE s_assignments (project_id NUMBER, employee_id NUMBER(6), hours NUMBER)",
      "ALTER TABLE s_assignments ADD CONSTRAINT s_asg_pk PRIMARY KEY (project_id, employee_id)",
      "ALTER TABLE s_assignments ADD CONSTRAINT s_asg_proj_fk FOREIGN KEY (project_id) "
      "REFERENCES s_projects",
      "ALTER TABLE s_assignments ADD CONSTRAINT s_asg_emp_fk FOREIGN KEY (employee_id) "
      "REFERENCES s_employees (employee_id)",
      "ALTER TABLE s_assignments MODIFY (hours CONSTRAINT s_asg_hours_nn NOT NULL)",
      "ALTER TABLE s_assignments ADD CONSTRAINT s_asg_hours_ck CHECK (hours BETWEEN 0 AND 60)",
      "CREATE TABLE s_skills (skill_code VARCHAR2(8), title VARCHAR2(30) CONSTRAINT "
      "s_skill_title_nn NOT NULL, CONSTRAINT s_skill_pk PRIMARY KEY (skill_code))",
      "CREATE TABLE s_employee_skills (employee_id NUMBER(6), skill_code VARCHAR2(8), lvl "
      "NUMBER(1), CONSTRAINT s_es_pk PRIMARY KEY (employee_id, skill_code), CONSTRAINT "
      "s_es_emp_fk FOREIGN KEY (employee_id) REFERENCES s_employees, CONSTRAINT s_es_skill_fk "
      "FOREIGN KEY (skill_code) REFERENCES s_skills (skill_code), CONSTRAINT s_es_lvl_ck CHECK "
      "(lvl BETWEEN 1 AND 5))",
      "CREATE TABLE s_holidays (country_id CHAR(2) CONSTRAINT s_hol_country_fk REFERENCES "
      "s_countries, day DATE, name VARCHAR2(30) CONSTRAINT s_hol_name_nn NOT NULL, "
      "CONSTRAINT s_hol_uk UNIQUE (country_id, day))",
      // The rows, with the manager key held back while they come in.
      "ALTER TABLE s_departments DISABLE CONSTRAINT s_dept_mgr_fk",
      "BEGIN FOR i IN 1..4 LOOP INSERT INTO s_regions VALUES (i, 'Region ' || i); END LOOP; "
      "FOR i IN 0..9 LOOP INSERT INTO s_countries VALUES ('C' || i, 'Country ' || i, "
      "mod(i, 4) + 1); END LOOP; "
      "FOR i IN 0..19 LOOP INSERT INTO s_locations VALUES (1000 + i * 100, i || ' Main St', "
      "NULL, 'City ' || i, 'C' || mod(i, 10)); END LOOP; "
      "FOR i IN 0..9 LOOP INSERT INTO s_jobs VALUES ('J' || i, 'Job ' || i, 1000, 9000); END LOOP; "
      "FOR i IN 1..20 LOOP INSERT INTO s_departments VALUES (i * 10, 'Dept ' || i, 100 + i, "
      "1000 + mod(i, 20) * 100); END LOOP; END;",
      "BEGIN FOR i IN 100..299 LOOP INSERT INTO s_employees VALUES (i, 'F' || i, 'L' || i, 'E' "
      "|| i, TO_DATE('01-01-1990', 'DD-MM-YYYY') + i, 'J' || mod(i, 10), 1000 + i, "
      "decode(i, 100, NULL, 100 + mod(i - 101, 7)), 10 * (1 + mod(i, 20))); END LOOP; END;",
      "ALTER TABLE s_departments ENABLE CONSTRAINT s_dept_mgr_fk",
      "BEGIN FOR i IN 150..249 LOOP INSERT INTO s_job_history VALUES (i, TO_DATE('01-01-1980', "
      "'DD-MM-YYYY') + i, TO_DATE('01-01-1985', 'DD-MM-YYYY') + i, 'J' || mod(i + 1, 10), 10 * "
      "(1 + mod(i, 20))); END LOOP; "
      "FOR i IN 1..20 LOOP INSERT INTO s_projects VALUES (i, 'Project ' || i, i * 1000, i * 10); "
      "END LOOP; "
      "FOR i IN 101..299 LOOP INSERT INTO s_assignments VALUES (1 + mod(i, 20), i, mod(i, 40)); "
      "END LOOP; "
      "FOR i IN 0..9 LOOP INSERT INTO s_skills VALUES ('S' || i, 'Skill ' || i); END LOOP; "
      "FOR i IN 101..299 LOOP INSERT INTO s_employee_skills VALUES (i, 'S' || mod(i, 9), "
      "1 + mod(i, 5)); END LOOP; "
      "FOR i IN 1..30 LOOP INSERT INTO s_holidays VALUES ('C' || mod(i, 10), "
      "TO_DATE('01-01-2000', 'DD-MM-YYYY') + i, 'Holiday ' || i); END LOOP; END;",
      "COMMIT",
  };
  for (const char* sql : script) Ok(st, sql);
  EXPECT_EQ(st.Value("SELECT (SELECT count(*) FROM s_employees) + (SELECT count(*) FROM "
                     "s_assignments) + (SELECT count(*) FROM s_employee_skills) FROM dual"),
            "598");

  struct Violation {
    const char* constraint;
    const char* sql;
    int code;
  } violations[] = {
      {"S_REG_ID_NN", "INSERT INTO s_regions (region_name) VALUES ('x')", 1400},
      {"S_REG_ID_PK", "INSERT INTO s_regions VALUES (1, 'dup')", 1},
      {"S_COUNTRY_ID_NN", "INSERT INTO s_countries (country_name) VALUES ('x')", 1400},
      {"S_COUNTRY_C_ID_PK", "INSERT INTO s_countries VALUES ('C1', 'dup', 1)", 1},
      {"S_COUNTR_REG_FK", "INSERT INTO s_countries VALUES ('ZZ', 'x', 99)", 2291},
      {"S_LOC_CITY_NN", "UPDATE s_locations SET city = NULL WHERE location_id = 1000", 1407},
      {"S_LOC_ID_PK", "UPDATE s_locations SET location_id = 1100 WHERE location_id = 1000", 1},
      {"S_LOC_C_ID_FK", "UPDATE s_locations SET country_id = 'ZZ' WHERE location_id = 1000", 2291},
      {"S_DEPT_NAME_NN", "INSERT INTO s_departments (department_id) VALUES (999)", 1400},
      {"S_DEPT_ID_PK", "INSERT INTO s_departments VALUES (10, 'dup', NULL, NULL)", 1},
      {"S_DEPT_LOC_FK", "UPDATE s_departments SET location_id = 1 WHERE department_id = 10", 2291},
      {"S_DEPT_MGR_FK", "UPDATE s_departments SET manager_id = 5 WHERE department_id = 10", 2291},
      {"S_JOB_TITLE_NN", "INSERT INTO s_jobs (job_id) VALUES ('X')", 1400},
      {"S_JOB_ID_PK", "INSERT INTO s_jobs VALUES ('J1', 'dup', 1, 2)", 1},
      {"S_EMP_LAST_NAME_NN",
       "INSERT INTO s_employees VALUES (1, 'f', NULL, 'e1', SYSDATE, 'J1', 1, NULL, NULL)", 1400},
      {"S_EMP_EMAIL_NN",
       "INSERT INTO s_employees VALUES (1, 'f', 'l', NULL, SYSDATE, 'J1', 1, NULL, NULL)", 1400},
      {"S_EMP_HIRE_DATE_NN",
       "INSERT INTO s_employees VALUES (1, 'f', 'l', 'e1', NULL, 'J1', 1, NULL, NULL)", 1400},
      {"S_EMP_JOB_NN",
       "INSERT INTO s_employees VALUES (1, 'f', 'l', 'e1', SYSDATE, NULL, 1, NULL, NULL)", 1400},
      {"S_EMP_SALARY_MIN", "UPDATE s_employees SET salary = 0 WHERE employee_id >= 150", 2290},
      {"S_EMP_EMAIL_UK", "UPDATE s_employees SET email = 'E101' WHERE employee_id = 102", 1},
      {"S_EMP_EMP_ID_PK",
       "INSERT INTO s_employees VALUES (100, 'f', 'l', 'e1', SYSDATE, 'J1', 1, NULL, NULL)", 1},
      {"S_EMP_DEPT_FK", "UPDATE s_employees SET department_id = 5 WHERE employee_id = 150", 2291},
      {"S_EMP_JOB_FK", "UPDATE s_employees SET job_id = 'NONE' WHERE employee_id = 150", 2291},
      {"S_EMP_MANAGER_FK",
       "INSERT INTO s_employees VALUES (1, 'f', 'l', 'e1', SYSDATE, 'J1', 1, 5, NULL)", 2291},
      {"S_JHIST_EMPLOYEE_NN",
       "INSERT INTO s_job_history VALUES (NULL, SYSDATE, SYSDATE + 1, 'J1', 10)", 1400},
      {"S_JHIST_START_DATE_NN",
       "INSERT INTO s_job_history VALUES (150, NULL, SYSDATE + 1, 'J1', 10)", 1400},
      {"S_JHIST_END_DATE_NN", "INSERT INTO s_job_history VALUES (150, SYSDATE, NULL, 'J1', 10)",
       1400},
      {"S_JHIST_JOB_NN", "INSERT INTO s_job_history VALUES (150, SYSDATE, SYSDATE + 1, NULL, 10)",
       1400},
      {"S_JHIST_DATE_INTERVAL",
       "INSERT INTO s_job_history VALUES (150, SYSDATE, SYSDATE - 1, 'J1', 10)", 2290},
      {"S_JHIST_EMP_ID_ST_DATE_PK",
       "INSERT INTO s_job_history SELECT employee_id, start_date, end_date + 1, job_id, "
       "department_id FROM s_job_history WHERE employee_id = 200",
       1},
      {"S_JHIST_JOB_FK", "UPDATE s_job_history SET job_id = 'NONE' WHERE employee_id = 160",
       2291},
      {"S_JHIST_EMP_FK", "INSERT INTO s_job_history VALUES (7, SYSDATE, SYSDATE + 1, 'J1', 10)",
       2291},
      {"S_JHIST_DEPT_FK", "UPDATE s_job_history SET department_id = 15", 2291},
      {"S_PROJ_PK", "INSERT INTO s_projects VALUES (1, 'dup', 1, 10)", 1},
      {"S_PROJ_NAME_UK", "INSERT INTO s_projects VALUES (99, 'Project 1', 1, 10)", 1},
      {"S_PROJ_BUDGET_CK", "UPDATE s_projects SET budget = budget - 5000", 2290},
      {"S_PROJ_DEPT_FK", "INSERT INTO s_projects VALUES (99, 'P', 1, 11)", 2291},
      {"S_ASG_PK", "INSERT INTO s_assignments VALUES (2, 101, 1)", 1},
      {"S_ASG_PROJ_FK", "DELETE FROM s_projects WHERE project_id = 3", 2292},
      {"S_ASG_EMP_FK", "INSERT INTO s_assignments VALUES (1, 7, 1)", 2291},
      {"S_ASG_HOURS_NN", "UPDATE s_assignments SET hours = NULL WHERE employee_id = 120", 1407},
      {"S_ASG_HOURS_CK", "UPDATE s_assignments SET hours = hours + 30", 2290},
      {"S_SKILL_TITLE_NN", "INSERT INTO s_skills VALUES ('S99', NULL)", 1400},
      {"S_SKILL_PK", "INSERT INTO s_skills VALUES ('S1', 'dup')", 1},
      {"S_ES_PK", "INSERT INTO s_employee_skills VALUES (102, 'S3', 1)", 1},
      {"S_ES_EMP_FK", "INSERT INTO s_employee_skills VALUES (7, 'S1', 1)", 2291},
      {"S_ES_SKILL_FK", "DELETE FROM s_skills WHERE skill_code = 'S2'", 2292},
      {"S_ES_LVL_CK", "UPDATE s_employee_skills SET lvl = lvl + 1", 2290},
      {"S_HOL_COUNTRY_FK", "INSERT INTO s_holidays VALUES ('ZZ', SYSDATE, 'x')", 2291},
      {"S_HOL_NAME_NN", "INSERT INTO s_holidays VALUES ('C1', SYSDATE, NULL)", 1400},
      {"S_HOL_UK", "INSERT INTO s_holidays SELECT country_id, day, 'again' FROM s_holidays", 1},
  };
  std::set<std::string> covered;
  for (const Violation& v : violations) {
    EXPECT_EQ(st.Run(v.sql), v.code) << v.constraint << ": " << st.Error();
    if (v.code != 1400 && v.code != 1407) {
      EXPECT_NE(st.Error().find(std::string("(DEMO.") + v.constraint + ")"), std::string::npos)
          << v.constraint << ": " << st.Error();
    }
    covered.insert(v.constraint);
  }
  // Every constraint the dictionary lists enabled was broken above, and nothing changed.
  std::set<std::string> listed;
  for (const auto& row : st.Query("SELECT constraint_name, status FROM user_constraints WHERE "
                                  "substr(table_name, 1, 2) = 'S_'")) {
    listed.insert(row[0]);
    EXPECT_EQ(row[1], "ENABLED") << row[0];
  }
  EXPECT_EQ(listed, covered);
  EXPECT_EQ(st.Value("SELECT (SELECT count(*) FROM s_employees) + (SELECT count(*) FROM "
                     "s_assignments) + (SELECT count(*) FROM s_employee_skills) FROM dual"),
            "598");
  // Deleting a department takes its projects along, and the projects' assignments stop it.
  EXPECT_EQ(st.Run("DELETE FROM s_departments WHERE department_id = 200"), 2292);
  for (const char* t : {"s_holidays", "s_employee_skills", "s_skills", "s_assignments",
                        "s_projects", "s_job_history"})
    Ok(st, std::string("DROP TABLE ") + t);
  Ok(st, "DROP TABLE s_departments CASCADE CONSTRAINTS");
  for (const char* t : {"s_employees", "s_jobs", "s_locations", "s_countries", "s_regions"})
    Ok(st, std::string("DROP TABLE ") + t + " CASCADE CONSTRAINTS");
}

// DROP TABLE ... CASCADE CONSTRAINTS takes the foreign keys on the table with it, and the
// tables that had them stay usable.
TEST_F(Integrity, DropCascadeConstraintsDropsTheForeignKeys) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE dc_p (k NUMBER CONSTRAINT dc_p_pk PRIMARY KEY)");
  Ok(st, "CREATE TABLE dc_c (id NUMBER CONSTRAINT dc_c_pk PRIMARY KEY, p NUMBER CONSTRAINT "
         "dc_c_f REFERENCES dc_p)");
  Ok(st, "INSERT INTO dc_p VALUES (1)");
  Ok(st, "INSERT INTO dc_c VALUES (1, 1)");
  EXPECT_EQ(st.Run("DROP TABLE dc_p"), 2449);
  Ok(st, "DROP TABLE dc_p CASCADE CONSTRAINTS");
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_constraints WHERE table_name = 'DC_C'"), "1");
  Ok(st, "INSERT INTO dc_c VALUES (2, 99)");
  Ok(st, "UPDATE dc_c SET p = 5");
  EXPECT_EQ(st.Run("INSERT INTO dc_c VALUES (2, 1)"), 1);
  EXPECT_EQ(st.Value("SELECT count(*) FROM dc_c"), "2");
  Ok(st, "DROP TABLE dc_c");
}

// A savepoint a block sets outlives the block, as the server keeps it.
TEST_F(Integrity, SavepointOfABlockOutlivesIt) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE sv_t (n NUMBER)");
  Ok(st, "INSERT INTO sv_t VALUES (1)");
  Ok(st, "BEGIN INSERT INTO sv_t VALUES (2); SAVEPOINT in_block; INSERT INTO sv_t VALUES (3); END;");
  Ok(st, "INSERT INTO sv_t VALUES (4)");
  Ok(st, "ROLLBACK TO SAVEPOINT in_block");
  EXPECT_EQ(st.Value("SELECT sum(n) FROM sv_t"), "3");
  Ok(st, "ROLLBACK");
  Ok(st, "DROP TABLE sv_t");
}

// A primary key holds its columns NOT NULL and unique, whichever way it was declared, and
// adding one checks the rows there.
TEST_F(Integrity, PrimaryKeysRefuseNullsAndDuplicates) {
  Statement st(demo_);
  for (const char* create :
       {"CREATE TABLE pk_t (a VARCHAR2(5) CONSTRAINT pk_t_pk PRIMARY KEY, b NUMBER)",
        "CREATE TABLE pk_t (a VARCHAR2(5), b NUMBER, CONSTRAINT pk_t_pk PRIMARY KEY (a))",
        "CREATE TABLE pk_t (a VARCHAR2(5), b NUMBER)"}) {
    SCOPED_TRACE(create);
    Ok(st, create);
    if (std::string(create).find("PRIMARY") == std::string::npos) {
      Ok(st, "INSERT INTO pk_t VALUES ('x', 1)");
      Ok(st, "INSERT INTO pk_t VALUES ('x', 2)");
      EXPECT_EQ(st.Run("ALTER TABLE pk_t ADD (CONSTRAINT pk_t_pk PRIMARY KEY (a))"), 2437);
      EXPECT_EQ(st.Error(), "ORA-02437: cannot validate (DEMO.PK_T_PK) - primary key violated");
      Ok(st, "UPDATE pk_t SET a = NULL WHERE b = 2");
      EXPECT_EQ(st.Run("ALTER TABLE pk_t ADD (CONSTRAINT pk_t_pk PRIMARY KEY (a))"), 1449);
      Ok(st, "DELETE FROM pk_t");
      Ok(st, "ALTER TABLE pk_t ADD (CONSTRAINT pk_t_pk PRIMARY KEY (a))");
    }
    Ok(st, "INSERT INTO pk_t VALUES ('k', 1)");
    EXPECT_EQ(st.Run("INSERT INTO pk_t VALUES (NULL, 1)"), 1400);
    EXPECT_EQ(st.Run("INSERT INTO pk_t VALUES ('k', 2)"), 1);
    EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.PK_T_PK) violated");
    EXPECT_EQ(st.Run("UPDATE pk_t SET a = NULL"), 1407);
    Ok(st, "DROP TABLE pk_t");
  }
}

TEST_F(Integrity, CompositeKeysWithNullsConflictOnTheirOtherColumns) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE ck_u (a NUMBER, b NUMBER, CONSTRAINT ck_u_ab UNIQUE (a, b))");
  Ok(st, "INSERT INTO ck_u VALUES (1, NULL)");
  EXPECT_EQ(st.Run("INSERT INTO ck_u VALUES (1, NULL)"), 1);
  EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.CK_U_AB) violated");
  EXPECT_EQ(st.Run("UPDATE ck_u SET a = 1 WHERE a IS NULL"), 0);  // no row
  Ok(st, "INSERT INTO ck_u VALUES (2, NULL)");
  EXPECT_EQ(st.Run("UPDATE ck_u SET a = 1 WHERE a = 2"), 1);
  // Rows NULL in every key column never conflict; full keys as before.
  Ok(st, "INSERT INTO ck_u VALUES (NULL, NULL)");
  Ok(st, "INSERT INTO ck_u VALUES (NULL, NULL)");
  Ok(st, "INSERT INTO ck_u VALUES (NULL, 1)");
  EXPECT_EQ(st.Run("INSERT INTO ck_u VALUES (NULL, 1)"), 1);
  Ok(st, "INSERT INTO ck_u VALUES (1, 1)");
  EXPECT_EQ(st.Run("INSERT INTO ck_u VALUES (1, 1)"), 1);
  EXPECT_EQ(st.Value("SELECT count(*) FROM ck_u"), "6");
  // A unique index over such rows cannot be made; over distinct ones it can, and holds.
  Ok(st, "CREATE TABLE ck_i (a NUMBER, b NUMBER, c NUMBER)");
  Ok(st, "INSERT INTO ck_i VALUES (1, NULL, 1)");
  Ok(st, "INSERT INTO ck_i VALUES (1, NULL, 2)");
  Ok(st, "INSERT INTO ck_i VALUES (NULL, NULL, 3)");
  Ok(st, "INSERT INTO ck_i VALUES (NULL, NULL, 4)");
  EXPECT_EQ(st.Run("CREATE UNIQUE INDEX ck_i_ab ON ck_i (a, b)"), 1452);
  EXPECT_EQ(st.Error(), "ORA-01452: cannot CREATE UNIQUE INDEX; duplicate keys found");
  Ok(st, "DELETE FROM ck_i WHERE c = 2");
  Ok(st, "CREATE UNIQUE INDEX ck_i_ab ON ck_i (a, b)");
  EXPECT_EQ(st.Run("INSERT INTO ck_i VALUES (1, NULL, 5)"), 1);
  EXPECT_EQ(st.Error(), "ORA-00001: unique constraint (DEMO.CK_I_AB) violated");
  Ok(st, "INSERT INTO ck_i VALUES (NULL, NULL, 6)");
  // Enabling a unique constraint finds such duplicates too.
  Ok(st, "CREATE TABLE ck_e (a NUMBER, b NUMBER)");
  Ok(st, "INSERT INTO ck_e VALUES (NULL, 7)");
  Ok(st, "INSERT INTO ck_e VALUES (NULL, 7)");
  EXPECT_EQ(st.Run("ALTER TABLE ck_e ADD CONSTRAINT ck_e_ab UNIQUE (a, b)"), 2299);
  Ok(st, "DROP TABLE ck_u");
  Ok(st, "DROP TABLE ck_i");
  Ok(st, "DROP TABLE ck_e");
}

TEST_F(Integrity, AlterTableRefusalsAnswerTheirOwnCodes) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE at_r (x NUMBER CONSTRAINT at_r_pk PRIMARY KEY, y NUMBER)");
  Ok(st, "INSERT INTO at_r VALUES (1, 1)");
  EXPECT_EQ(st.Run("ALTER TABLE at_r ADD (z NUMBER NOT NULL)"), 1758);
  EXPECT_EQ(st.Error(), "ORA-01758: table must be empty to add mandatory (NOT NULL) column");
  EXPECT_EQ(st.Run("ALTER TABLE at_r ADD CONSTRAINT at_r_pk2 PRIMARY KEY (y)"), 2260);
  EXPECT_EQ(st.Error(), "ORA-02260: table can have only one primary key");
  EXPECT_EQ(st.Run("CREATE TABLE at_two (a NUMBER PRIMARY KEY, b NUMBER PRIMARY KEY)"), 2260);
  EXPECT_EQ(st.Value("SELECT count(*) FROM user_tables WHERE table_name = 'AT_TWO'"), "0");
  // Both still work where they may.
  Ok(st, "DELETE FROM at_r");
  Ok(st, "ALTER TABLE at_r ADD (z NUMBER NOT NULL)");
  EXPECT_EQ(st.Run("INSERT INTO at_r (x, y) VALUES (1, 1)"), 1400);
  Ok(st, "CREATE TABLE at_k (a NUMBER, b NUMBER)");
  Ok(st, "ALTER TABLE at_k ADD CONSTRAINT at_k_pk PRIMARY KEY (a)");
  Ok(st, "DROP TABLE at_r");
  Ok(st, "DROP TABLE at_k");
}

TEST_F(Integrity, RefusalTextsAreOracle7s) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE tx_p (n NUMBER CONSTRAINT tx_p_pk PRIMARY KEY)");
  Ok(st, "CREATE TABLE tx_c (n NUMBER, p NUMBER)");
  Ok(st, "INSERT INTO tx_c VALUES (-1, 9)");
  EXPECT_EQ(st.Run("ALTER TABLE tx_c ADD CONSTRAINT tx_c_n CHECK (n > 0)"), 2293);
  EXPECT_EQ(st.Error(), "ORA-02293: cannot enable (DEMO.TX_C_N) - check constraint violated");
  EXPECT_EQ(st.Run("ALTER TABLE tx_c ADD CONSTRAINT tx_c_fk FOREIGN KEY (p) REFERENCES tx_p"),
            2298);
  EXPECT_EQ(st.Error(), "ORA-02298: cannot enable (DEMO.TX_C_FK) - parent keys not found");
  EXPECT_EQ(st.Run("SELECT nosuch FROM tx_c"), 904);
  EXPECT_EQ(st.Error(), "ORA-00904: invalid column name");
  Ok(st, "DROP TABLE tx_c");
  Ok(st, "DROP TABLE tx_p");
}

TEST_F(Integrity, BlockNamingAMissingColumnRunsNothing) {
  Statement st(demo_);
  Ok(st, "CREATE TABLE cc_t (n NUMBER)");
  Ok(st, "CREATE SEQUENCE cc_seq");
  EXPECT_EQ(st.Run("DECLARE n NUMBER;\nBEGIN\n  SELECT cc_seq.NEXTVAL INTO n FROM dual;\n"
                   "  INSERT INTO cc_t VALUES (n);\n  UPDATE cc_t SET nosuch = 1;\nEND;"),
            6550);
  EXPECT_EQ(
      st.Error().rfind("ORA-06550: line 5, column 19:\nPL/SQL: ORA-00904: invalid column name", 0),
      0u)
      << st.Error();
  EXPECT_EQ(st.Value("SELECT cc_seq.NEXTVAL FROM dual"), "1");
  EXPECT_EQ(st.Value("SELECT count(*) FROM cc_t"), "0");
  for (const char* block : {"DECLARE n NUMBER; BEGIN SELECT nosuch INTO n FROM cc_t; END;",
                            "BEGIN INSERT INTO cc_t (nosuch) VALUES (1); END;",
                            "BEGIN DELETE FROM cc_t WHERE nosuch = 1; END;",
                            "BEGIN FOR r IN (SELECT nosuch FROM cc_t) LOOP NULL; END LOOP; END;"}) {
    EXPECT_EQ(st.Run(block), 6550) << block;
    EXPECT_NE(st.Error().find("PL/SQL: ORA-00904"), std::string::npos) << block << st.Error();
  }
  // The block's own names and its records' fields are not columns.
  Ok(st,
     "DECLARE v NUMBER := 4; BEGIN INSERT INTO cc_t VALUES (v); "
     "UPDATE cc_t SET n = n + v WHERE n = v; "
     "FOR r IN (SELECT n FROM cc_t) LOOP UPDATE cc_t SET n = r.n + 1; END LOOP; END;");
  EXPECT_EQ(st.Value("SELECT n FROM cc_t"), "9");
  Ok(st, "DROP TABLE cc_t");
  Ok(st, "DROP SEQUENCE cc_seq");
}
