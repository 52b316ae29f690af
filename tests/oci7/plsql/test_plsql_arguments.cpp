// Argument-view rows from parsed headers: overload numbering, the function result at
// POSITION 0, the nameless row of a procedure without arguments, record fields and table
// elements one level down, modes, defaults and types resolved through the dictionary.
#include <gtest/gtest.h>

#include "oci7/plsql/front.h"

using namespace tess::oci7::plsql;

namespace {

// "PROC OVL POS SEQ LVL NAME TYPE DEF INOUT LEN" per row, for compact comparison.
std::vector<std::string> Rows(std::string_view text, const TypeResolver& resolver = {}) {
  ParseResult r = ParseUnit(text);
  EXPECT_TRUE(r.errors.empty()) << (r.errors.empty() ? "" : r.errors[0].text);
  std::vector<std::string> out;
  if (!r.unit) return out;
  for (const ArgumentRow& a : ArgumentRows(*r.unit, resolver)) {
    out.push_back((a.procedure.empty() ? "-" : a.procedure) + " " + std::to_string(a.overload) +
                  " " + std::to_string(a.position) + " " + std::to_string(a.sequence) + " " +
                  std::to_string(a.level) + " " + (a.argument.empty() ? "-" : a.argument) + " " +
                  std::to_string(a.type) + " " + (a.hasDefault ? "D" : "-") + " " +
                  std::to_string(a.inOut) + " " + std::to_string(a.length));
  }
  return out;
}

}  // namespace

TEST(PlsqlArguments, StandAloneProcedureAndFunction) {
  EXPECT_EQ(Rows("CREATE PROCEDURE p IS BEGIN NULL; END;"),
            std::vector<std::string>{"- 0 1 1 0 - 0 - 0 0"});
  EXPECT_EQ(Rows("CREATE FUNCTION f RETURN VARCHAR2 IS BEGIN RETURN 'x'; END;"),
            std::vector<std::string>{"- 0 0 1 0 - 1 - 1 0"});
  EXPECT_EQ(Rows("CREATE OR REPLACE PROCEDURE p(a IN NUMBER, b OUT DATE, c IN OUT VARCHAR2,\n"
                 "  d BOOLEAN DEFAULT TRUE, e PLS_INTEGER := 1, f BINARY_INTEGER, g LONG RAW,\n"
                 "  h CHAR, i ROWID) IS BEGIN NULL; END;"),
            (std::vector<std::string>{
                "- 0 1 1 0 A 2 - 0 0", "- 0 2 2 0 B 12 - 1 0", "- 0 3 3 0 C 1 - 2 0",
                "- 0 4 4 0 D 252 D 0 0", "- 0 5 5 0 E 3 D 0 0", "- 0 6 6 0 F 29 - 0 0",
                "- 0 7 7 0 G 24 - 0 0", "- 0 8 8 0 H 96 - 0 0", "- 0 9 9 0 I 11 - 0 0"}));
}

TEST(PlsqlArguments, PackageOverloadsRecordsAndTables) {
  std::vector<std::string> rows = Rows(
      "CREATE PACKAGE emp_api AS\n"
      "  TYPE addr_t IS RECORD (street VARCHAR2(40), zip NUMBER);\n"
      "  TYPE names_t IS TABLE OF VARCHAR2(30) INDEX BY BINARY_INTEGER;\n"
      "  SUBTYPE money_t IS NUMBER;\n"
      "  PROCEDURE hire(name VARCHAR2);\n"
      "  FUNCTION count_all RETURN NUMBER;\n"
      "  PROCEDURE hire(name VARCHAR2, addr addr_t);\n"
      "  PROCEDURE bulk(names emp_api.names_t, total OUT money_t);\n"
      "  FUNCTION addr_of(id NUMBER) RETURN addr_t;\n"
      "  PROCEDURE nothing;\n"
      "END;");
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "HIRE 1 1 1 0 NAME 1 - 0 0",
                      "COUNT_ALL 0 0 1 0 - 2 - 1 0",
                      "HIRE 2 1 1 0 NAME 1 - 0 0",
                      "HIRE 2 2 2 0 ADDR 250 - 0 0",
                      "HIRE 2 1 3 1 STREET 1 - 0 40",
                      "HIRE 2 2 4 1 ZIP 2 - 0 0",
                      "BULK 0 1 1 0 NAMES 251 - 0 0",
                      "BULK 0 1 2 1 - 1 - 0 30",
                      "BULK 0 2 3 0 TOTAL 2 - 1 0",
                      "ADDR_OF 0 0 1 0 - 250 - 1 0",
                      "ADDR_OF 0 1 2 1 STREET 1 - 0 40",
                      "ADDR_OF 0 2 3 1 ZIP 2 - 0 0",
                      "ADDR_OF 0 1 4 0 ID 2 - 0 0",
                      "NOTHING 0 1 1 0 - 0 - 0 0",
                  }));
  // Other units describe no arguments.
  EXPECT_TRUE(
      Rows("CREATE PACKAGE BODY emp_api AS PROCEDURE nothing IS BEGIN NULL; END; END;").empty());
}

TEST(PlsqlArguments, TypesTheDictionaryKnows) {
  TypeResolver resolver = [](const TypeSpec& t) -> std::optional<ResolvedType> {
    if (t.attribute == "TYPE" && t.Dotted() == "EMP.ENAME") return ResolvedType{1, 10, {}};
    if (t.attribute == "ROWTYPE" && t.Dotted() == "DEPT")
      return ResolvedType{250, 0, {{"DEPTNO", 2, 22}, {"DNAME", 1, 14}}};
    return std::nullopt;
  };
  EXPECT_EQ(Rows("PROCEDURE p(n emp.ename%TYPE, d dept%ROWTYPE, x unknown_t, y nosuch%ROWTYPE)\n"
                 "IS BEGIN NULL; END;",
                 resolver),
            (std::vector<std::string>{"- 0 1 1 0 N 1 - 0 10", "- 0 2 2 0 D 250 - 0 0",
                                      "- 0 1 3 1 DEPTNO 2 - 0 22", "- 0 2 4 1 DNAME 1 - 0 14",
                                      "- 0 3 5 0 X 0 - 0 0", "- 0 4 6 0 Y 250 - 0 0"}));
}
