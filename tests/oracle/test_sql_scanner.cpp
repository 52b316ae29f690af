// The word scanner over SQL text: words, comments, strings, lines and columns.
#include <gtest/gtest.h>

#include <vector>

#include "oracle/dataset.h"
#include "oracle/oracle_query.h"
#include "oracle/sql_scanner.h"
#include "services/services.h"
#include "shell/recording_services.h"
#include "tests/corpus.h"

using namespace tess;

namespace {

struct Word {
  std::string text;
  int line, start, end;
  bool more;
};

std::vector<Word> Scan(const char* text, const std::string& extra = "") {
  TyParserA p(text);
  std::vector<Word> words;
  std::string w;
  for (;;) {
    bool more = p.GetNextWord(w, CharSetOf(extra));
    if (!w.empty()) words.push_back({w, p.Line(), p.WordStart(), p.WordEnd(), more});
    if (!more) break;
  }
  return words;
}

std::vector<std::string> Texts(const std::vector<Word>& ws) {
  std::vector<std::string> r;
  for (auto& w : ws) r.push_back(w.text);
  return r;
}

}  // namespace

TEST(SqlScanner, QualifiedNamesOnlyWithExtraChars) {
  EXPECT_EQ(Texts(Scan("SELECT a.b FROM t", ".")),
            (std::vector<std::string>{"SELECT", "a.b", "FROM", "t"}));
  EXPECT_EQ(Texts(Scan("SELECT a.b FROM t")),
            (std::vector<std::string>{"SELECT", "a", "b", "FROM", "t"}));
  // An extra character never starts a word.
  EXPECT_EQ(Texts(Scan(".x", ".")), (std::vector<std::string>{"x"}));
}

TEST(SqlScanner, CommentsStringsAndLoneOperatorsAreSkipped) {
  EXPECT_EQ(Texts(Scan("a /* b c */ d -- e f\n g 'h i' j - k / l")),
            (std::vector<std::string>{"a", "d", "g", "j", "k", "l"}));
  EXPECT_EQ(Texts(Scan("1abc $x# _y")), (std::vector<std::string>{"1abc", "$x#", "_y"}));
  EXPECT_TRUE(Scan("").empty());
  EXPECT_TRUE(Scan("/* never closed").empty());
  EXPECT_TRUE(Scan("'never closed").empty());
}

TEST(SqlScanner, LastWordComesBackWithFalse) {
  auto ws = Scan("select x");
  ASSERT_EQ(ws.size(), 2u);
  EXPECT_TRUE(ws[0].more);
  EXPECT_FALSE(ws[1].more);
  EXPECT_EQ(ws[1].text, "x");
  EXPECT_EQ(ws[1].start, 8);
  EXPECT_EQ(ws[1].end, 8);
}

TEST(SqlScanner, LinesAndColumns) {
  auto crlf = Scan("select a\r\nfrom  tab\r\n");
  ASSERT_EQ(crlf.size(), 4u);
  EXPECT_EQ(crlf[0].line, 1);
  EXPECT_EQ(crlf[0].start, 1);
  EXPECT_EQ(crlf[0].end, 6);
  EXPECT_EQ(crlf[2].line, 2);
  EXPECT_EQ(crlf[2].start, 1);
  EXPECT_EQ(crlf[3].start, 7);
  EXPECT_EQ(crlf[3].end, 9);

  // A word ending at a bare line feed counts that line once, as CR LF text does.
  auto lf = Scan("select a\nfrom tab\nwhere x\n");
  ASSERT_EQ(lf.size(), 6u);
  EXPECT_EQ(lf[1].line, 1);
  EXPECT_EQ(lf[2].line, 2);
  EXPECT_EQ(lf[2].start, 1);
  EXPECT_EQ(lf[4].line, 3);
  EXPECT_EQ(lf[5].line, 3);

  auto comment = Scan("a -- note\n/* x\n y */ b");
  ASSERT_EQ(comment.size(), 2u);
  EXPECT_EQ(comment[1].line, 3);
  EXPECT_EQ(comment[1].start, 7);
}

// A double-quoted identifier is a name, to both scanners of SQL text: nothing inside it
// is a bind variable, a comment, a string or a keyword, and what follows it is scanned
// as usual.
TEST(SqlScanner, QuotedNamesAreNamesToBothScanners) {
  for (const char* name : {"Name:Full", "it's", "a--b", "a/*b", "x'y:z", "FROM", "a b", ":"}) {
    const std::string quoted = std::string("\"") + name + "\"";
    const std::string sql = "SELECT ENAME " + quoted + ", :after -- :no\nFROM EMP WHERE :w = 1";
    TParams binds(nullptr, NewOracleParam);
    ScanBindVariables(sql, &binds);
    std::vector<std::string> names;
    for (TParam* p : binds) names.push_back(p->ParamName());
    EXPECT_EQ(names, (std::vector<std::string>{"after", "w"})) << quoted;
    auto words = Scan(sql.c_str());
    EXPECT_EQ(Texts(words), (std::vector<std::string>{"SELECT", "ENAME", quoted, "after", "FROM",
                                                      "EMP", "WHERE", "w", "1"}))
        << quoted;
    ASSERT_EQ(words.size(), 9u);
    EXPECT_EQ(words[2].start, 14);
    EXPECT_EQ(words[2].end, 13 + static_cast<int>(quoted.size()));
    EXPECT_EQ(words[4].line, 2);
  }
  // Dotted names with quoted parts are one word when "." continues words.
  EXPECT_EQ(Texts(Scan("CREATE VIEW DEMO.\"E.F\" AS SELECT \"Owner\".T.\"c\" FROM x", ".")),
            (std::vector<std::string>{"CREATE", "VIEW", "DEMO.\"E.F\"", "AS", "SELECT",
                                      "\"Owner\".T.\"c\"", "FROM", "x"}));
  EXPECT_EQ(Texts(Scan("a.\"b\"")), (std::vector<std::string>{"a", "\"b\""}));
  // A quoted name that ends the text is its last word; one never closed hides the rest.
  auto last = Scan("SELECT \"x\"");
  ASSERT_EQ(last.size(), 2u);
  EXPECT_FALSE(last[1].more);
  EXPECT_EQ(Texts(Scan("SELECT \"never closed FROM t")),
            (std::vector<std::string>{"SELECT", "\"never closed FROM t"}));
  std::vector<std::string> open;
  TParams binds(nullptr, NewOracleParam);
  ScanBindVariables("SELECT :a \"b :c", &binds);
  for (TParam* p : binds) open.push_back(p->ParamName());
  EXPECT_EQ(open, std::vector<std::string>{"a"});
  // Only as far as its line: the next line is scanned as usual, its lines counted once.
  auto lines = Scan("SELECT \"open :x\r\nFROM t\n\"b\nc\" d");
  EXPECT_EQ(Texts(lines),
            (std::vector<std::string>{"SELECT", "\"open :x", "FROM", "t", "\"b", "c", "\" d"}));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1].line, 1);
  EXPECT_EQ(lines[1].end, 15);
  EXPECT_EQ(lines[2].line, 2);
  EXPECT_EQ(lines[2].start, 1);
  EXPECT_EQ(lines[5].line, 4);
  TParams later(nullptr, NewOracleParam);
  ScanBindVariables("SELECT \"open :x\nFROM t WHERE :y = 1", &later);
  ASSERT_EQ(later.Count(), 1);
  EXPECT_EQ(later.Items(0)->ParamName(), "y");
}

TEST(SqlScanner, SetTextStartsOverAndBadStateIsReported) {
  TRecordingServices rec;
  TyParserA p("one two");
  std::string w;
  EXPECT_TRUE(p.GetNextWord(w));
  p.SetText("three");
  EXPECT_FALSE(p.GetNextWord(w));
  EXPECT_EQ(w, "three");
  EXPECT_EQ(p.Line(), 1);

  p.SetText("ab");
  p.SetState(9);
  p.GetNextWord(w);
  ASSERT_FALSE(rec.diagnostics.empty());
  EXPECT_EQ(rec.diagnostics[0], "Parser Error:Invalid Current Status");
}

// Every real script is scanned to its end with line numbers that match its line count.
TEST(SqlScanner, RealScriptsLineCounts) {
  int files = 0;
  for (const tess::corpus::File& file : tess::corpus::ReadAll({".sql", ".pkb", ".pks"})) {
    const std::string& text = file.text;
    TyParserA p(text.c_str());
    std::string w;
    int maxLine = 0, words = 0;
    for (;;) {
      bool more = p.GetNextWord(w, CharSetOf("."));
      if (!w.empty()) {
        ++words;
        EXPECT_GE(p.Line(), maxLine) << file.path;
        maxLine = std::max(maxLine, p.Line());
      }
      if (!more) break;
    }
    int lines = 1;
    for (char c : text)
      if (c == '\n') ++lines;
    EXPECT_LE(maxLine, lines) << file.path;
    ++files;
  }
  EXPECT_GT(files, 100);
}
