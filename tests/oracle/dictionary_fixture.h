// A data dictionary for the dictionary routines' tests.  Until the client library has its
// own dictionary views, the test's schema holds tables of the views' names and columns,
// which the routines' unqualified names reach first; they describe a demo schema holding
// every kind of object, another user's table, PUBLIC and link synonyms, and the optional
// argument view SYS.DUDEDOD_ARGUMENT$ (made by the DBA, as the install script does).
#pragma once

#include <string>
#include <vector>

#include "oracle/sql_text.h"
#include "session_fixture.h"

namespace access2 {

struct DictionaryTest : SessionTest {
  using Row = std::vector<std::string>;

  DictionaryTest() {
    auto system = std::make_unique<TyDatabase>();
    system->Connect("SYSTEM", "MANAGER", database.Server(), "sys");
    Exec(*system,
         "CREATE TABLE SYS.DUDEDOD_ARGUMENT$ (OBJ# NUMBER, PROCEDURE$ VARCHAR2(30), "
         "OVERLOAD# NUMBER, POSITION NUMBER, SEQUENCE# NUMBER, LEVEL# NUMBER, ARGUMENT "
         "VARCHAR2(30), TYPE NUMBER, DEFAULT# NUMBER, IN_OUT NUMBER, LENGTH NUMBER)");
    Insert(*system, "SYS.DUDEDOD_ARGUMENT$",
           {// a procedure
            {"20", "RAISE_SAL", "0", "1", "1", "0", "P_EMPNO", "2", "NULL", "0", "22"},
            {"20", "RAISE_SAL", "0", "2", "2", "0", "P_PCT", "2", "NULL", "2", "22"},
            // a function: position 0 is its return value
            {"21", "HALF", "0", "0", "1", "0", "NULL", "2", "NULL", "1", "22"},
            {"21", "HALF", "0", "1", "2", "0", "P", "2", "NULL", "0", "22"},
            // a package: an overloaded procedure, one with a record argument
            {"22", "RUN", "2", "1", "1", "0", "P_TEXT", "1", "NULL", "0", "80"},
            {"22", "RUN", "1", "1", "1", "0", "P_AMOUNT", "2", "NULL", "0", "22"},
            {"22", "SET_REC", "0", "1", "1", "0", "P_REC", "250", "NULL", "1", "0"},
            {"22", "SET_REC", "0", "1", "2", "1", "EMPNO", "2", "NULL", "1", "22"},
            {"22", "SET_REC", "0", "1", "3", "1", "ENAME", "1", "NULL", "1", "10"},
            // a procedure without arguments
            {"24", "NOARGS", "0", "1", "1", "0", "NULL", "0", "NULL", "0", "0"}});
    Exec(*system, "COMMIT");
    system.reset();

    Script(*db, R"(CREATE TABLE ALL_OBJECTS (OWNER VARCHAR2(30), OBJECT_NAME VARCHAR2(30),
  OBJECT_TYPE VARCHAR2(20), OBJECT_ID NUMBER, STATUS VARCHAR2(7), CREATED DATE,
  LAST_DDL_TIME DATE);
CREATE VIEW USER_OBJECTS AS SELECT OBJECT_NAME, OBJECT_TYPE, OBJECT_ID, STATUS, CREATED,
  LAST_DDL_TIME FROM ALL_OBJECTS WHERE OWNER = USER;
CREATE TABLE ALL_TABLES (OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30));
CREATE VIEW USER_TABLES AS SELECT TABLE_NAME FROM ALL_TABLES WHERE OWNER = USER;
CREATE TABLE ALL_SYNONYMS (OWNER VARCHAR2(30), SYNONYM_NAME VARCHAR2(30),
  TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), DB_LINK VARCHAR2(128));
CREATE VIEW USER_SYNONYMS AS SELECT SYNONYM_NAME, TABLE_OWNER, TABLE_NAME, DB_LINK
  FROM ALL_SYNONYMS WHERE OWNER = USER;
CREATE TABLE ALL_USERS (USERNAME VARCHAR2(30));
CREATE TABLE USER_TABLESPACES (TABLESPACE_NAME VARCHAR2(30), STATUS VARCHAR2(9));
CREATE TABLE ALL_TAB_COLUMNS (OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30),
  COLUMN_NAME VARCHAR2(30), DATA_TYPE VARCHAR2(30), COLUMN_ID NUMBER);
CREATE TABLE ALL_INDEXES (OWNER VARCHAR2(30), INDEX_NAME VARCHAR2(30),
  TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30));
CREATE TABLE ALL_IND_COLUMNS (INDEX_OWNER VARCHAR2(30), INDEX_NAME VARCHAR2(30),
  TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(30),
  COLUMN_POSITION NUMBER);
CREATE TABLE ALL_CONSTRAINTS (OWNER VARCHAR2(30), CONSTRAINT_NAME VARCHAR2(30),
  CONSTRAINT_TYPE VARCHAR2(1), TABLE_NAME VARCHAR2(30), R_OWNER VARCHAR2(30),
  R_CONSTRAINT_NAME VARCHAR2(30), DELETE_RULE VARCHAR2(9), STATUS VARCHAR2(8));
CREATE TABLE ALL_CONS_COLUMNS (OWNER VARCHAR2(30), CONSTRAINT_NAME VARCHAR2(30),
  TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(30), POSITION NUMBER);
CREATE TABLE ALL_TRIGGERS (OWNER VARCHAR2(30), TRIGGER_NAME VARCHAR2(30),
  TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30));
CREATE TABLE ALL_TRIGGER_COLS (TRIGGER_OWNER VARCHAR2(30), TRIGGER_NAME VARCHAR2(30),
  TABLE_OWNER VARCHAR2(30), TABLE_NAME VARCHAR2(30), COLUMN_NAME VARCHAR2(30),
  COLUMN_LIST VARCHAR2(3));
)");
    const std::string v = "VALID";
    Insert(*db, "ALL_OBJECTS",
           {{"DEMO", "EMP", "TABLE", "10", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "DEPT", "TABLE", "11", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "NOTES", "TABLE", "12", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "O'NEIL", "TABLE", "13", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "EMP_DEPT_V", "VIEW", "14", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "EMP_SEQ", "SEQUENCE", "15", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "EMPLOYEES", "SYNONYM", "16", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "REMOTE_EMP", "SYNONYM", "17", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "RAISE_SAL", "PROCEDURE", "20", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "HALF", "FUNCTION", "21", "INVALID", "SYSDATE", "SYSDATE"},
            {"DEMO", "PAY", "PACKAGE", "22", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "PAY", "PACKAGE BODY", "23", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "NOARGS", "PROCEDURE", "24", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "EMP_AUD", "TRIGGER", "25", v, "SYSDATE", "SYSDATE"},
            {"DEMO", "EMP_DEPTNO_IDX", "INDEX", "26", v, "SYSDATE", "SYSDATE"},
            {"PUBLIC", "PUB_EMP", "SYNONYM", "30", v, "SYSDATE", "SYSDATE"},
            {"SCOTT", "BONUS", "TABLE", "40", v, "SYSDATE", "SYSDATE"},
            {"SCOTT", "SALGRADE", "TABLE", "41", v, "SYSDATE", "SYSDATE"},
            {"SYS", "DBA_ROLES", "VIEW", "50", v, "SYSDATE", "SYSDATE"},
            {"SYS", "DUDEDOD_ARGUMENT$", "VIEW", "52", v, "SYSDATE", "SYSDATE"}});
    Insert(*db, "ALL_TABLES",
           {{"DEMO", "EMP"},
            {"DEMO", "DEPT"},
            {"DEMO", "NOTES"},
            {"DEMO", "O'NEIL"},
            {"SCOTT", "SALGRADE"},
            {"SCOTT", "BONUS"}});
    Insert(*db, "ALL_SYNONYMS",
           {{"DEMO", "EMPLOYEES", "DEMO", "EMP", "NULL"},
            {"DEMO", "REMOTE_EMP", "DEMO", "EMP", "LOOP"},
            {"DEMO", "BAD_LINK", "DEMO", "EMP", "X' OR 'Y"},
            {"PUBLIC", "PUB_EMP", "DEMO", "DEPT", "NULL"}});
    Insert(*db, "ALL_USERS", {{"DEMO"}, {"EMPTY"}, {"SCOTT"}, {"SYS"}});
    Insert(*db, "USER_TABLESPACES", {{"USERS", "ONLINE"}, {"OLD", "INVALID"}, {"TEMP", "ONLINE"}});
    Insert(*db, "ALL_TAB_COLUMNS",
           {{"DEMO", "EMP", "ENAME", "VARCHAR2", "2"},
            {"DEMO", "EMP", "EMPNO", "NUMBER", "1"},
            {"DEMO", "EMP", "RESUME", "LONG", "3"},
            {"DEMO", "DEPT", "DEPTNO", "NUMBER", "1"},
            {"DEMO", "DEPT", "DNAME", "VARCHAR2", "2"},
            {"DEMO", "NOTES", "BODY", "LONG", "1"},
            {"DEMO", "NOTES", "PICTURE", "LONG RAW", "2"},
            {"DEMO", "EMP_DEPT_V", "EMPNO", "NUMBER", "1"},
            {"DEMO", "EMP_DEPT_V", "DNAME", "VARCHAR2", "2"}});
    Insert(*db, "ALL_INDEXES",
           {{"DEMO", "EMP_DEPTNO_IDX", "DEMO", "EMP"}, {"DEMO", "EMP_NAME_IDX", "DEMO", "EMP"}});
    Insert(*db, "ALL_IND_COLUMNS",
           {{"DEMO", "EMP_NAME_IDX", "DEMO", "EMP", "JOB", "2"},
            {"DEMO", "EMP_NAME_IDX", "DEMO", "EMP", "ENAME", "1"}});
    Insert(*db, "ALL_CONSTRAINTS",
           {{"DEMO", "FK_EMP_DEPT", "R", "EMP", "DEMO", "PK_DEPT", "CASCADE", "ENABLED"},
            {"DEMO", "PK_DEPT", "P", "DEPT", "NULL", "NULL", "NULL", "DISABLED"}});
    Insert(*db, "ALL_CONS_COLUMNS",
           {{"DEMO", "PK_DEPT", "DEPT", "DEPTNO", "1"},
            {"DEMO", "FK_EMP_DEPT", "EMP", "DEPTNO", "1"}});
    Insert(*db, "ALL_TRIGGERS", {{"DEMO", "EMP_AUD", "DEMO", "EMP"}});
    Insert(*db, "ALL_TRIGGER_COLS",
           {{"DEMO", "EMP_AUD", "DEMO", "EMP", "SAL", "YES"},
            {"DEMO", "EMP_AUD", "DEMO", "EMP", "EMPNO", "NO"}});
    Exec("COMMIT");
  }

  // One INSERT per row; values are quoted unless they are numbers, NULL or SYSDATE.
  static void Insert(TyDatabase& s, const std::string& table, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
      std::string sql = "INSERT INTO " + table + " VALUES (";
      for (size_t i = 0; i < row.size(); ++i) {
        const std::string& v = row[i];
        bool raw = v == "NULL" || v == "SYSDATE" ||
                   (!v.empty() && v.find_first_not_of("0123456789") == std::string::npos);
        if (i > 0) sql += ", ";
        if (raw) {
          sql += v;
        } else {
          sql += '\'';
          sql += DoubleSingleQuotes(v);
          sql += '\'';
        }
      }
      Exec(s, sql + ")");
    }
  }

  static std::vector<std::string> Items(const TStrings& list) {
    std::vector<std::string> items;
    for (int i = 0; i < list.Count(); ++i) items.push_back(list.Strings(i));
    return items;
  }
};

using Names = std::vector<std::string>;

}  // namespace access2
