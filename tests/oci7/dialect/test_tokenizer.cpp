// Tokenizer and classifier: token kinds and offsets on the awkward corners of Oracle's
// lexical rules, the errors for unterminated constructs, and every file of a corpus of
// real PL/SQL tokenized with nothing but blanks and comments between the tokens.
#include <gtest/gtest.h>

#include "oci7/dialect/dialect.h"
#include "tests/corpus.h"

using namespace tess::oci7;

namespace {

std::string Kinds(const std::vector<Token>& tokens) {
  std::string out;
  for (const Token& t : tokens) {
    switch (t.kind) {
      case TokenKind::Word:
        out += "W";
        break;
      case TokenKind::QuotedIdentifier:
        out += "Q";
        break;
      case TokenKind::String:
        out += "S";
        break;
      case TokenKind::Number:
        out += "N";
        break;
      case TokenKind::Bind:
        out += "B";
        break;
      case TokenKind::Operator:
        out += "O";
        break;
    }
  }
  return out;
}

int ErrorOf(std::string_view text, int* offset = nullptr) {
  try {
    Tokenize(text);
  } catch (const OraError& e) {
    if (offset) *offset = e.offset;
    return e.code;
  }
  return 0;
}

}  // namespace

TEST(Tokenizer, KindsValuesAndOffsets) {
  std::string text =
      "select e.Ename, 'it''s', \"Mixed Case\", :b1, :1 from emp$x# e -- c 'x\r\nwhere n<>.5";
  auto t = Tokenize(text);
  EXPECT_EQ(Kinds(t), "WWOWOSOQOBOBWWWWWON");
  ASSERT_EQ(t.size(), 19u);
  EXPECT_EQ(t[0].value, "SELECT");
  EXPECT_EQ(t[3].value, "ENAME");
  EXPECT_EQ(t[3].offset, text.find("Ename"));
  EXPECT_EQ(t[5].value, "it's");
  EXPECT_EQ(t[5].length, 7u);
  EXPECT_EQ(t[7].value, "Mixed Case");
  EXPECT_EQ(t[9].value, "B1");
  EXPECT_EQ(t[11].value, "1");
  EXPECT_EQ(t[13].value, "EMP$X#");
  EXPECT_EQ(t[15].value, "WHERE");
  EXPECT_EQ(t[15].offset, text.find("where"));
  EXPECT_EQ(t[17].value, "<>");
  EXPECT_EQ(text.substr(t[18].offset), ".5");
}

TEST(Tokenizer, OperatorsNumbersAndQuoting) {
  // PL/SQL ranges, assignment, associations, labels and exponents.
  auto t = Tokenize("for i in 1..10 loop x := y**2; f(a => 1e3, b => 2.5E-2); <<l>> end loop;");
  std::vector<std::string> values;
  for (auto& tok : t) values.push_back(tok.value);
  EXPECT_EQ(values[3], "1");
  EXPECT_EQ(values[4], "..");
  EXPECT_EQ(values[5], "10");
  EXPECT_EQ(values[8], ":=");
  EXPECT_EQ(values[10], "**");
  EXPECT_EQ(values[16], "=>");
  EXPECT_EQ(values[17], "1e3");
  EXPECT_EQ(values[21], "2.5E-2");
  EXPECT_EQ(values[24], "<<");
  EXPECT_EQ(values[26], ">>");

  // Alternative quoting keeps its delimiters' content verbatim, quotes included.
  auto q = Tokenize("q'[it's ]', Q'{a}', nq'!x!', N'n''x'");
  ASSERT_EQ(Kinds(q), "SOSOSOS");
  EXPECT_EQ(q[0].value, "it's ");
  EXPECT_EQ(q[2].value, "a");
  EXPECT_EQ(q[4].value, "x");
  EXPECT_EQ(q[6].value, "n'x");
  // A word that merely starts with q or n is a word.
  EXPECT_EQ(Kinds(Tokenize("quantity name")), "WW");
  // Outer-join marker, indicator binds, quoted binds.
  EXPECT_EQ(Kinds(Tokenize("a(+) = :v:i :\"x\"")), "WOOOOBBB");
  EXPECT_EQ(Tokenize(":\"x\"")[0].value, "x");
}

TEST(Tokenizer, UnterminatedConstructsReportWhereTheyStart) {
  int off = -1;
  EXPECT_EQ(ErrorOf("select 'abc from dual", &off), 1756);
  EXPECT_EQ(off, 7);
  EXPECT_EQ(ErrorOf("select q'[abc' from dual", &off), 1756);
  EXPECT_EQ(off, 7);
  EXPECT_EQ(ErrorOf("select \"abc from dual", &off), 1740);
  EXPECT_EQ(off, 7);
  EXPECT_EQ(ErrorOf("select 1 /* open", &off), 1742);
  EXPECT_EQ(off, 9);
  // A quote inside a comment or a comment opener inside a string is no construct.
  EXPECT_EQ(ErrorOf("select 1 -- it's\n from dual"), 0);
  EXPECT_EQ(ErrorOf("select '/*' from dual"), 0);
  EXPECT_EQ(Tokenize("").size(), 0u);
  EXPECT_EQ(Tokenize(" \r\n\t-- only a comment").size(), 0u);
}

// Every corpus file tokenizes; between tokens there is nothing but blanks and comments, and
// each token's text is where its offset says.
TEST(Tokenizer, RealSourcesTokenizeCompletely) {
  size_t files = 0, tokens = 0;
  for (const tess::corpus::File& file : tess::corpus::ReadAllSources()) {
    const std::string& text = file.text;
    const std::string& path = file.path;
    std::vector<Token> toks;
    try {
      toks = Tokenize(text);
    } catch (const OraError& e) {
      ADD_FAILURE() << path << ": " << e.message << " at " << e.offset;
      continue;
    }
    ++files;
    tokens += toks.size();
    size_t prev = 0;
    for (const Token& t : toks) {
      ASSERT_GE(t.offset, prev) << path;
      ASSERT_LE(t.offset + t.length, text.size()) << path;
      std::string_view gap(text.data() + prev, t.offset - prev);
      ASSERT_TRUE(Tokenize(gap).empty()) << path << " gap at " << prev;
      if (t.kind == TokenKind::Word) {
        std::string up;
        for (char c : text.substr(t.offset, t.length))
          up.push_back(char(std::toupper(static_cast<unsigned char>(c))));
        ASSERT_EQ(up, t.value) << path;
      }
      prev = t.offset + t.length;
    }
    ASSERT_TRUE(Tokenize(std::string_view(text).substr(prev)).empty()) << path;
  }
  EXPECT_GE(files, 390u);
  EXPECT_GT(tokens, 100000u);
}

TEST(Classify, FunctionCodes) {
  struct Case {
    const char* text;
    int code;
  } cases[] = {
      {"select * from dual", 4},
      {"  (select 1 from dual) union select 2 from dual", 4},
      {"insert into t values (1)", 3},
      {"update t set a = 1", 5},
      {"delete t", 9},
      {"create table t (a number)", 1},
      {"create or replace view v as select 1 x from dual", 10},
      {"create unique index i on t (a)", 20},
      {"create bitmap index i on t (a)", 20},
      {"create or replace force view v as select 1 x from dual", 10},
      {"create public synonym s for t", 30},
      {"create sequence s", 13},
      {"create or replace package body p is end;", 97},
      {"create or replace procedure p is begin null; end;", 24},
      {"create function f return number is begin return 1; end;", 91},
      {"create trigger tr before insert on t begin null; end;", 59},
      {"create public database link l using 'x'", 42},
      {"drop table t", 8},
      {"drop public synonym s", 31},
      {"drop package body p", 99},
      {"alter table t add (b number)", 26},
      {"alter session set nls_date_format = 'YYYY'", 52},
      {"alter package p compile body", 95},
      {"truncate table t", 85},
      {"lock table t in exclusive mode", 35},
      {"comment on table t is 'x'", 38},
      {"commit work", 54},
      {"rollback to savepoint a", 55},
      {"savepoint a", 56},
      {"set transaction read only", 33},
      {"grant select on t to public", 28},
      {"explain plan for select * from dual", 27},
      {"begin null; end;", 34},
      {"declare x number; begin null; end;", 34},
      {"<<l>> begin null; end;", 34},
      {"frobnicate the table", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Classify(c.text).functionCode, c.code) << c.text;
  }
  StatementInfo info = Classify(
      "create or replace trigger t before update on x for each row begin :new.a := :old.a; end;");
  EXPECT_TRUE(info.isStoredProgram);
  EXPECT_TRUE(info.isDdl);
  EXPECT_TRUE(info.binds.empty());  // :new and :old belong to the trigger
  EXPECT_TRUE(Classify("commit").functionCode == 54 && !Classify("commit").isDdl);
  StatementInfo q = Classify("  /* lead */ select 1 from dual");
  EXPECT_EQ(q.firstTokenOffset, 13u);
  EXPECT_EQ(q.command, "SELECT");
  EXPECT_TRUE(q.isQuery && !q.isDml && !q.isDdl);
  EXPECT_EQ(Classify("drop public database link l").command, "DROP DATABASE LINK");
  EXPECT_TRUE(Classify("delete from t").isDml);
  EXPECT_FALSE(Classify("alter session set x = 1").isDdl);
  EXPECT_TRUE(Classify("truncate table t").isDdl);
  EXPECT_THROW(Classify("select 'open"), OraError);
}

TEST(Classify, BindsAreDistinctInOrderOfAppearance) {
  StatementInfo info = Classify("select :b, :A, :b, :1, :\"q\" from dual where x = :a");
  EXPECT_EQ(info.binds, (std::vector<std::string>{"B", "A", "1", "q"}));
  EXPECT_TRUE(Classify("begin :x := 1; end;").isPlsqlBlock);
  EXPECT_EQ(Classify("begin :x := :y; end;").binds, (std::vector<std::string>{"X", "Y"}));
}
