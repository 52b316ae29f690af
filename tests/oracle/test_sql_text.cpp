// The free SQL-text routines: word extraction, script-line words, error positions,
// comments and quoting.
#include <gtest/gtest.h>

#include "framework/core/strings.h"
#include "oracle/sql_text.h"

using namespace tess;

TEST(SqlText, WordExtraction) {
  const std::string delims = " ,;";
  EXPECT_EQ(ExtractWord(1, "  alpha,, beta;gamma ", delims), "alpha");
  EXPECT_EQ(ExtractWord(2, "  alpha,, beta;gamma ", delims), "beta");
  EXPECT_EQ(ExtractWord(3, "  alpha,, beta;gamma ", delims), "gamma");
  EXPECT_EQ(ExtractWord(4, "  alpha,, beta;gamma ", delims), "");
  EXPECT_EQ(ExtractWord(0, "alpha beta", delims), "");
  EXPECT_EQ(ExtractWord(1, "", delims), "");
  int pos = 0;
  EXPECT_TRUE(WordPosition(2, "ab  cd", " ", pos));
  EXPECT_EQ(pos, 5);
  EXPECT_FALSE(WordPosition(3, "ab  cd", " ", pos));
  EXPECT_EQ(ExtractWord(1, std::string(300, 'x'), " ").size(), 255u);
  EXPECT_TRUE(CharInDelims(",;", ';'));
  EXPECT_FALSE(CharInDelims(",;", 'a'));
}

TEST(SqlText, BeforeAndAfter) {
  EXPECT_EQ(GetStrAfter("a=b", "="), "b");
  EXPECT_EQ(GetStrAfter("a=b=c", "="), "b=c");
  EXPECT_EQ(GetStrAfter("abc", "="), "");
  EXPECT_EQ(GetStrBefore("abc", "="), "abc");
  EXPECT_EQ(GetStrBefore("key=value", "="), "key");
}

TEST(SqlText, ScriptLineWords) {
  std::string w1, w2;
  GetScriptLineWords("@myscript.sql", w2, w1);
  EXPECT_EQ(w1, "@");
  EXPECT_EQ(w2, "");
  GetScriptLineWords("  /  ", w2, w1);
  EXPECT_EQ(w1, "/");
  GetScriptLineWords("/* note */", w2, w1);
  EXPECT_EQ(w1, "/*");
  GetScriptLineWords("set serveroutput on", w2, w1);
  EXPECT_EQ(w1, "set");
  EXPECT_EQ(w2, "serveroutput");
  GetScriptLineWords("   ", w2, w1);
  EXPECT_EQ(w1, "");
  EXPECT_EQ(w2, "");
  GetScriptLineWords("define x = 5", w2, w1);
  EXPECT_EQ(w1, "define");
  EXPECT_EQ(w2, "x");
  GetScriptLineWords("exit;", w2, w1);
  EXPECT_EQ(w1, "exit");
  EXPECT_EQ(w2, "");
}

TEST(SqlText, ErrorLineAndColumn) {
  int line = -1, col = -1;
  GetErrorLineCol("ORA-06550: line 12, column 7:\nPLS-00103: ...", line, col);
  EXPECT_EQ(line, 12);
  EXPECT_EQ(col, 7);
  GetErrorLineCol("ORA-00942: table or view does not exist (column 9)", line, col);
  EXPECT_EQ(line, 0);
  EXPECT_EQ(col, 0);
  GetErrorLineCol("an inline 4 error at column 2", line, col);  // "line" inside a word counts
  EXPECT_EQ(line, 4);
  EXPECT_EQ(col, 2);
  GetErrorLineCol("line x", line, col);
  EXPECT_EQ(line, 0);
  GetErrorLineCol("at line 99999999999999999999", line, col);  // no overflow
  EXPECT_GT(line, 0);
}

TEST(SqlText, CommentsAndQuotes) {
  EXPECT_EQ(FindLeadingCommentStart("   /* x */"), 4);
  EXPECT_EQ(FindLeadingCommentStart("x /* */"), 0);
  EXPECT_EQ(FindTrailingCommentEnd("x */   "), 4);
  EXPECT_EQ(FindTrailingCommentEnd("x */ y"), 0);
  EXPECT_EQ(GetLastNonBlankChar("abc;  \t"), ";");
  EXPECT_EQ(GetLastNonBlankChar("   "), "");
  EXPECT_EQ(StripSingleQuotes("'"), "");
  EXPECT_EQ(StripSingleQuotes(""), "");
  EXPECT_EQ(StripSingleQuotes("'abc'"), "abc");
  EXPECT_EQ(StripSingleQuotes("abc'"), "abc");
  EXPECT_EQ(StripDoubleQuotes("\"EMP\""), "EMP");
  EXPECT_EQ(DoubleSingleQuotes("O'Brien''s"), "O''Brien''''s");
  EXPECT_EQ(DoubleSingleQuotes(""), "");
  EXPECT_EQ(ReplaceLineBreaksWithBlanks("a\r\nb\tc"), "a  b c");
  EXPECT_EQ(CapitalizeFirstLetter("hELLO"), "Hello");
  EXPECT_EQ(CapitalizeFirstLetter(""), "");
  EXPECT_EQ(GetTextBeforeTab("  name\tdescription "), "name");
  EXPECT_EQ(GetTextBeforeTab(" plain "), "plain");
}

TEST(SqlText, LineBreakStyle) {
  EXPECT_TRUE(HasCrLfLineBreaks("a\r\nb"));
  EXPECT_FALSE(HasCrLfLineBreaks("a\nb\r\n"));
  EXPECT_FALSE(HasCrLfLineBreaks("a\rb\rc"));
  EXPECT_FALSE(HasCrLfLineBreaks(""));
  EXPECT_TRUE(HasCrLfLineBreaks("a\n\r\nb"));  // an LF followed by CR does not decide
}

TEST(SqlText, LowerCaseStringsInPlace) {
  TStringList list;
  list.Add("SELECT X");
  list.Add("From Dual");
  LowerCaseStrings(list);
  EXPECT_EQ(list.Strings(0), "select x");
  EXPECT_EQ(list.Strings(1), "from dual");
}
