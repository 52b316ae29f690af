// Compile messages: where they point (line and position, 1-based, as ALL_ERRORS shows
// them) and what they say, for the faults people make: a missing semicolon, an unknown
// keyword, an unclosed block, mismatched END names, undeclared identifiers.
#include <gtest/gtest.h>

#include "oci7/plsql/front.h"

using namespace tess::oci7::plsql;

namespace {

struct Found {
  int line = 0;
  int position = 0;
  std::string text;
};

// The first message of compiling `text`, with the dictionary knowing only `objects`.
Found First(std::string_view text, std::vector<std::string> objects = {}) {
  Environment env;
  env.isSchemaObject = [objects](const std::string& owner, const std::string& n) {
    return owner.empty() && std::find(objects.begin(), objects.end(), n) != objects.end();
  };
  ParseResult r = CompileUnit(text, env);
  if (r.errors.empty()) return {};
  return {r.errors[0].line, r.errors[0].position, r.errors[0].text};
}

std::string FirstLine(const std::string& s) {
  return s.substr(0, s.find('\n'));
}

}  // namespace

TEST(PlsqlErrors, MissingSemicolonPointsAtTheNextSymbol) {
  Found f = First("PROCEDURE p IS\n  x NUMBER;\nBEGIN\n  x := 1\n  x := 2;\nEND;");
  EXPECT_EQ(f.line, 5);
  EXPECT_EQ(f.position, 3);
  EXPECT_EQ(FirstLine(f.text),
            "PLS-00103: Encountered the symbol \"X\" when expecting one of the following:");
  // The list is honest: what may follow an operand, ";" among it.
  EXPECT_NE(f.text.find("\n\n   ; "), std::string::npos);

  // After a call, before END, after a declaration.
  f = First("BEGIN\n  dbms_output.put_line('a')\nEND;");
  EXPECT_EQ(f.line, 3);
  EXPECT_EQ(f.position, 1);
  f = First("DECLARE\n  n NUMBER\nBEGIN\n  NULL;\nEND;");
  EXPECT_EQ(f.line, 3);
  EXPECT_EQ(f.position, 1);
  EXPECT_NE(f.text.find("\"BEGIN\""), std::string::npos);

  // A SQL statement that runs into the next statement: the server's ORA-00933 where the
  // SQL cannot continue, after the note at the statement's start.
  ParseResult r = ParseUnit("BEGIN\n  INSERT INTO t VALUES (1)\n  COMMIT;\nEND;");
  ASSERT_EQ(r.errors.size(), 2u);
  EXPECT_EQ(r.errors[0].text, "PL/SQL: SQL Statement ignored");
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_EQ(r.errors[1].text, "PL/SQL: ORA-00933: SQL command not properly ended");
  EXPECT_EQ(r.errors[1].line, 3);
  EXPECT_EQ(r.errors[1].position, 3);
  r = ParseUnit("BEGIN\n  SELECT 1 INTO x FROM dual\n  x := 2;\nEND;");
  ASSERT_EQ(r.errors.size(), 2u);
  EXPECT_EQ(r.errors[1].line, 3);
  EXPECT_EQ(r.errors[1].position, 5);
}

TEST(PlsqlErrors, UnknownKeywordIsReadAsAName) {
  // ELSEIF is no keyword: it reads as a procedure name, and the condition after it cannot
  // follow a name.
  Found f =
      First("PROCEDURE p IS\nBEGIN\n  IF a THEN NULL;\n  ELSEIF b THEN NULL;\n  END IF;\nEND;");
  EXPECT_EQ(f.line, 4);
  EXPECT_EQ(f.position, 10);
  EXPECT_EQ(FirstLine(f.text),
            "PLS-00103: Encountered the symbol \"B\" when expecting one of the following:");
  EXPECT_NE(f.text.find(":= . ( @ % ;"), std::string::npos);

  f = First("BEGIN\n  foobar x;\nEND;");
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 10);
  // A reserved word where a statement should start.
  f = First("BEGIN\n  THEN x := 1;\nEND;");
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 3);
  EXPECT_NE(f.text.find("begin case declare"), std::string::npos);
  f = First("CREATE OR REPLACE PROCEDUR p IS BEGIN NULL; END;");
  EXPECT_EQ(f.position, 19);
  EXPECT_NE(f.text.find("function package procedure trigger type"), std::string::npos);
}

TEST(PlsqlErrors, UnclosedBlocksReportEndOfFile) {
  Found f = First("PROCEDURE p IS\nBEGIN\n  NULL;\n");
  EXPECT_EQ(f.line, 3);
  EXPECT_EQ(f.position, 8);  // just after the last symbol
  EXPECT_EQ(FirstLine(f.text),
            "PLS-00103: Encountered the symbol \"end-of-file\" when "
            "expecting one of the following:");
  EXPECT_NE(f.text.find("end exception"), std::string::npos);

  f = First("BEGIN\n  IF x THEN\n    NULL;\n  END;\nEND;");
  EXPECT_EQ(f.line, 4);
  EXPECT_EQ(f.position, 6);
  EXPECT_NE(f.text.find("symbol \";\""), std::string::npos);
  EXPECT_NE(f.text.find("\n\n   if"), std::string::npos);

  f = First("BEGIN\n  LOOP\n    NULL;\n  END;\nEND;");
  EXPECT_EQ(f.line, 4);
  EXPECT_NE(f.text.find("\n\n   loop"), std::string::npos);
  f = First("BEGIN\n  NULL;\nEND");
  EXPECT_EQ(f.line, 3);
  EXPECT_EQ(f.position, 4);
  f = First("BEGIN\n  x := 'it''s\nEND;");  // the text ends inside the literal
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 8);
  f = First("BEGIN\n  NULL;\nEND;\nBEGIN NULL; END;");
  EXPECT_EQ(f.line, 4);
  EXPECT_EQ(f.position, 1);
  EXPECT_TRUE(ParseUnit("BEGIN\n  NULL;\nEND;\n/\n").errors.empty());
}

TEST(PlsqlErrors, DeclarationsAndHeaders) {
  Found f = First("DECLARE\n  c CONSTANT NUMBER;\nBEGIN\n  NULL;\nEND;");
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 3);
  EXPECT_EQ(f.text,
            "PLS-00322: declaration of a constant 'C' must contain an initialization "
            "assignment");
  // Parameters and results take no size.
  f = First("PROCEDURE p(a VARCHAR2(10)) IS BEGIN NULL; END;");
  EXPECT_EQ(f.position, 23);
  EXPECT_NE(f.text.find("\"(\""), std::string::npos);
  f = First("FUNCTION f IS BEGIN RETURN 1; END;");
  EXPECT_EQ(f.position, 12);
  EXPECT_NE(f.text.find("( return"), std::string::npos);
  f = First("PROCEDURE p; ");
  EXPECT_EQ(f.position, 12);
  f = First("PACKAGE k IS PROCEDURE p IS BEGIN NULL; END; END;");
  EXPECT_EQ(f.position, 26);
  f = First("DECLARE\n  x := 1;\nBEGIN NULL; END;");
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 5);
  EXPECT_NE(f.text.find("constant exception"), std::string::npos);
}

TEST(PlsqlErrors, SemanticChecks) {
  // END names must match the unit and the subprogram they close.
  Found f = First("PROCEDURE p IS\nBEGIN\n  NULL;\nEND q;");
  EXPECT_EQ(f.line, 4);
  EXPECT_EQ(f.position, 5);
  EXPECT_EQ(f.text, "PLS-00113: END identifier 'Q' must match 'P' at line 1, column 11");
  f = First("PACKAGE BODY k IS\n  PROCEDURE a IS BEGIN NULL; END b;\nEND k;", {"K"});
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 34);

  // SELECT in PL/SQL needs INTO.
  f = First("BEGIN\n  SELECT 1 FROM dual;\nEND;");
  EXPECT_EQ(f.line, 2);
  EXPECT_EQ(f.position, 3);
  EXPECT_EQ(f.text, "PLS-00428: an INTO clause is expected in this SELECT statement");

  // Undeclared names, with the statement's note; declared, predefined and dictionary
  // names pass.
  Environment env;
  env.isSchemaObject = [](const std::string& owner, const std::string& n) {
    return owner.empty() && n == "EMP";
  };
  ParseResult r = CompileUnit(
      "PROCEDURE p(a NUMBER) IS\n"
      "  v emp.sal%TYPE;\n"
      "  w nosuch.col%TYPE;\n"
      "  CURSOR c IS SELECT * FROM whatever;\n"
      "BEGIN\n"
      "  v := a + nvl(v, 0) + c%ROWCOUNT;\n"
      "  FOR r IN c LOOP v := r.sal; END LOOP;\n"
      "  <<blk>> DECLARE y NUMBER; BEGIN blk.y := 1; END;\n"
      "  dbms_output.put_line(v);\n"
      "  undeclared_proc(v);\n"
      "EXCEPTION WHEN no_data_found OR my_error THEN NULL;\n"
      "END;",
      env);
  std::vector<std::string> seen;
  for (const Message& m : r.errors)
    seen.push_back(std::to_string(m.line) + "/" + std::to_string(m.position) + " " + m.text);
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "3/3 PL/SQL: Item ignored",
                      "3/5 PLS-00201: identifier 'NOSUCH.COL' must be declared",
                      "10/3 PL/SQL: Statement ignored",
                      "10/3 PLS-00201: identifier 'UNDECLARED_PROC' must be declared",
                      "11/11 PL/SQL: Statement ignored",
                      "11/33 PLS-00201: identifier 'MY_ERROR' must be declared",
                  }));
  // Without a dictionary nothing about names is decidable.
  EXPECT_TRUE(CompileUnit("BEGIN undeclared_proc; END;", Environment{}).errors.empty());
  // A package body sees its specification's names, when they are known.
  env.isSchemaObject = [](const std::string&, const std::string&) { return false; };
  env.packageSpecNames = [](const std::string& name) -> std::optional<std::vector<std::string>> {
    if (name == "K") return std::vector<std::string>{"G_COUNT"};
    return std::nullopt;
  };
  EXPECT_TRUE(CompileUnit("PACKAGE BODY k IS PROCEDURE a IS BEGIN g_count := 1; END; END;", env)
                  .errors.empty());
  EXPECT_EQ(CompileUnit("PACKAGE BODY k IS PROCEDURE a IS BEGIN g_other := 1; END; END;", env)
                .errors.size(),
            2u);
}

// Deep nesting fails with a message instead of exhausting the stack.
TEST(PlsqlErrors, RunawayNesting) {
  std::string deep = "BEGIN x := ";
  for (int i = 0; i < 5000; ++i) deep += "(";
  deep += "1";
  ParseResult r = ParseUnit(deep);
  ASSERT_FALSE(r.errors.empty());
  for (auto [head, opener] : {std::pair{"", "BEGIN "},
                              {"BEGIN ", "IF x THEN "},
                              {"BEGIN x := ", "NOT "},
                              {"BEGIN x := ", "- "}}) {
    std::string text = head;
    for (int i = 0; i < 20000; ++i) text += opener;
    r = ParseUnit(text);
    ASSERT_FALSE(r.errors.empty());
    EXPECT_NE(r.errors[0].text.find("PLS-00123"), std::string::npos) << opener;
  }
}
