// Compiling an editor's text as a stored program, its compile errors in the memo and the
// list and the jumps to them, the LONG loaders, the truncation check, temporary names and
// the CREATE header parser, on the client library's dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "editor_doubles.h"
#include "oracle/dictionary.h"
#include "oracle/sql_scanner.h"
#include "oracle/stored_programs.h"
#include "session_fixture.h"

using namespace sessiontest;
using Names = std::vector<std::string>;

namespace {

struct StoredPgmTest : SessionTest {
  TyQuery q;
  StoredPgmTest() {
    q.SetDatabaseName(db->DatabaseName());
    Exec("CREATE TABLE NOTES_T (ID NUMBER, BODY LONG)");
  }

  // Compiles the editor's text and reads back its errors: the memo and the list.
  bool Compile(MemoryEditor& ed, MemoryMemo& memo, TyStoredPgmErrorList& errors,
               const std::string& name, const std::string& type) {
    std::string sql;
    bool ran = CreateStoredPgmFromEditor(&q, &ed, false, sql);
    LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "", name, type);
    return ran;
  }

  std::vector<std::string> Column(const std::string& sql) {
    TyQuery r;
    r.SetDatabase(db.get());
    r.SQL().Add(sql);
    r.Open();
    std::vector<std::string> v;
    for (; !r.Eof(); r.Next()) v.push_back(r.Fields(0)->AsString());
    return v;
  }
};

}  // namespace

TEST_F(StoredPgmTest, CompileBuildsTheStatementFromTheParagraphs) {
  // A blank last paragraph is left out; one with text keeps its line feed.
  MemoryEditor ed("PROCEDURE P1 IS\nBEGIN\n  NULL;\nEND;\n   ");
  std::string sql;
  EXPECT_TRUE(CreateStoredPgmFromEditor(&q, &ed, false, sql));
  EXPECT_EQ(sql, "CREATE OR REPLACE PROCEDURE P1 IS\nBEGIN\n  NULL;\nEND;\n");
  EXPECT_EQ(q.LastSQLText(), sql);
  EXPECT_EQ(Column("SELECT TEXT FROM USER_SOURCE WHERE NAME = 'P1' ORDER BY LINE"),
            (Names{"PROCEDURE P1 IS\n", "BEGIN\n", "  NULL;\n", "END;\n"}));

  // CreateOnly does not replace: the server refuses an existing name.
  MemoryEditor again("PROCEDURE P1 IS\nBEGIN\n  NULL;\nEND;");
  EXPECT_FALSE(CreateStoredPgmFromEditor(&q, &again, true, sql));
  EXPECT_EQ(sql.rfind("CREATE PROCEDURE P1", 0), 0u);
  EXPECT_EQ(q.ErrorCode(), 955);

  // Nothing but blanks (or nothing) runs nothing and leaves Sql alone.
  for (const char* text : {"", "\n   \n\t\n  "}) {
    MemoryEditor blank(text);
    std::string untouched = "before";
    EXPECT_FALSE(CreateStoredPgmFromEditor(&q, &blank, false, untouched)) << text;
    EXPECT_EQ(untouched, "before");
    EXPECT_EQ(q.LastSQLText(), sql);
  }

  // A large text is built the same way.
  MemoryEditor big;
  big.paras.push_back("PACKAGE BIG IS");
  for (int i = 0; i < 2000; ++i)
    big.paras.push_back("  C" + std::to_string(i) + " CONSTANT NUMBER := " + std::to_string(i) +
                        ";");
  big.paras.push_back("END;");
  EXPECT_TRUE(CreateStoredPgmFromEditor(&q, &big, false, sql));
  EXPECT_GT(sql.size(), 32000u);
  EXPECT_EQ(Column("SELECT COUNT(*) FROM USER_SOURCE WHERE NAME = 'BIG'"), Names{"2002"});
}

TEST_F(StoredPgmTest, EveryKindCompilesCleanOrWithErrorsThatCanBeJumpedTo) {
  struct Case {
    const char* name;
    const char* type;
    const char* good;
    const char* bad;
  };
  const Case cases[] = {
      {"PROC_A", "PROCEDURE", "PROCEDURE PROC_A(N NUMBER) IS\nBEGIN\n  NULL;\nEND;",
       "PROCEDURE PROC_A(N NUMBER) IS\nBEGIN\n  X := ;\nEND;"},
      {"PKG_A", "PACKAGE", "PACKAGE PKG_A IS\n  PROCEDURE RUN;\nEND;",
       "PACKAGE PKG_A IS\n  PROCEDURE RUN\nEND;"},
      {"PKG_A", "PACKAGE BODY", "PACKAGE BODY PKG_A IS\n  PROCEDURE RUN IS BEGIN NULL; END;\nEND;",
       "PACKAGE BODY PKG_A IS\n  PROCEDURE RUN IS BEGIN NULL END;\nEND;"},
      {"TRG_A", "TRIGGER", "TRIGGER TRG_A BEFORE INSERT ON DEPT FOR EACH ROW\nBEGIN\n  NULL;\nEND;",
       "TRIGGER TRG_A BEFORE INSERT ON DEPT FOR EACH ROW\nBEGIN\n  IF THEN NULL;\nEND;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    MemoryEditor good(c.good);
    MemoryMemo memo;
    TyStoredPgmErrorList errors;
    ASSERT_TRUE(Compile(good, memo, errors, c.name, c.type));
    EXPECT_EQ(memo.lines.Count(), 0);
    EXPECT_TRUE(errors.empty());

    // Errors leave the object invalid; the statement itself still ran.
    MemoryEditor bad(c.bad);
    ASSERT_TRUE(Compile(bad, memo, errors, c.name, c.type));
    ASSERT_GT(memo.lines.Count(), 0);
    ASSERT_EQ(static_cast<size_t>(memo.lines.Count()), errors.size());
    EXPECT_EQ(memo.lines.Strings(0).rfind("(1):", 0), 0u) << memo.lines.Strings(0);
    auto where =
        Column(std::string("SELECT LINE || ',' || POSITION FROM USER_ERRORS WHERE NAME = '") +
               c.name + "' AND TYPE = '" + c.type + "' ORDER BY SEQUENCE");
    ASSERT_FALSE(where.empty());
    EXPECT_EQ(std::to_string(errors[0]->Line) + "," + std::to_string(errors[0]->Position),
              where[0]);

    // Jump to each error, in the bare text and in an editor showing two header lines.
    for (int32_t i = 0; i < memo.lines.Count(); ++i) {
      GotoStoredPgmError(&memo, &errors, 0, &bad, i);
      EXPECT_EQ(bad.caretLine >= 1 ? bad.selLine1 : -1, std::max(errors[i]->Line, 1));
      EXPECT_EQ(bad.selCol1, std::max(errors[i]->Position, 1));
      MemoryEditor shifted(std::string("-- header\n-- header\n") + c.bad);
      GotoStoredPgmError(&memo, &errors, 2, &shifted, i);
      EXPECT_EQ(shifted.selLine1, std::max(errors[i]->Line, 1) + 2);
      EXPECT_EQ(shifted.GetLine(shifted.selLine1), bad.GetLine(bad.selLine1));
    }
    // Loading again only appends, keeping the memo and the list in step.
    size_t before = errors.size();
    LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "DEMO", c.name, c.type);
    EXPECT_EQ(errors.size(), 2 * before);
    EXPECT_EQ(static_cast<size_t>(memo.lines.Count()), errors.size());
    EXPECT_EQ(shell.hourglassDepth, 0);
    EXPECT_FALSE(shell.statusShown);
  }
}

TEST_F(StoredPgmTest, ErrorArgumentsAndNamesAreSafe) {
  MemoryMemo memo;
  TyStoredPgmErrorList errors;
  LoadStoredPgmErrors(nullptr, &q, &memo, &errors, "", "X", "PROCEDURE");
  LoadStoredPgmErrors(db.get(), &q, nullptr, &errors, "", "X", "PROCEDURE");
  LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "", "  ", "PROCEDURE");
  EXPECT_TRUE(errors.empty());
  EXPECT_THROW(LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "", "X", " "), EyIntError);
  // A quote in the owner or the name is data: no rows, no server error.
  LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "X' OR 'A'='A", "Y' OR 'A'='A", "PROCEDURE");
  EXPECT_TRUE(errors.empty());
  EXPECT_NE(q.LastSQLText().find("'Y'' OR ''A''=''A'"), std::string::npos);
  // The hourglass is stopped also when the query fails.
  Unlist(db.get());
  EXPECT_THROW(LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "", "X", "PROCEDURE"),
               EyDbConnectionLost);
  EXPECT_EQ(shell.hourglassDepth, 0);
}

TEST(StoredPgmJump, PositionsClampAndNullEntries) {
  TRecordingServices shell;
  MemoryEditor ed("alpha beta\ngamma delta\nepsilon");
  MemoryMemo memo;
  TyStoredPgmErrorList errors;
  for (const char* l : {"(1):a", "(2):b", "(3):c", "(4):d"}) memo.lines.Add(l);
  errors.push_back(std::make_unique<TyStoredPgmError>(0, 0));
  errors.push_back(std::make_unique<TyStoredPgmError>(2, 7));
  errors.push_back(nullptr);
  errors.push_back(std::make_unique<TyStoredPgmError>(9, 1));

  GotoStoredPgmError(&memo, &errors, 0, &ed, 0);  // line 0, position 0 -> 1, 1
  EXPECT_EQ(ed.Selected(), "alpha");
  GotoStoredPgmError(&memo, &errors, 0, &ed, 1);
  EXPECT_EQ(ed.Selected(), "delta");
  GotoStoredPgmError(&memo, &errors, -5, &ed, 1);  // a negative offset clamps to line 1
  EXPECT_EQ(ed.selLine1, 1);
  EXPECT_EQ(ed.Selected(), "beta");
  GotoStoredPgmError(&memo, &errors, 1, &ed, 1);
  EXPECT_EQ(ed.Selected(), "n");  // from column 7 of "epsilon" to the word's end
  EXPECT_EQ(ed.caretLine, 3);

  ed.SetCaretPosition(1, 1);
  GotoStoredPgmError(&memo, &errors, 0, &ed, 3);  // beyond the text: nothing
  GotoStoredPgmError(&memo, &errors, 0, &ed, 4);
  GotoStoredPgmError(&memo, &errors, 0, &ed, -1);
  EXPECT_EQ(ed.caretLine, 1);
  GotoStoredPgmError(&memo, &errors, 0, &ed, 2);
  EXPECT_EQ(shell.diagnostics,
            std::vector<std::string>{"No error position associated with the error line:2"});
}

TEST(StoredPgmJump, SelectMemoLineSelectsThatLineEvenWhenAnotherReadsTheSame) {
  MemoryMemo memo;
  for (const char* l :
       {"(1):PLS-00103: Encountered ;", "", "(1):PLS-00103: Encountered ;", "(2):last"})
    memo.lines.Add(l);
  for (int32_t i = 0; i < memo.lines.Count(); ++i) {
    SelectMemoLine(&memo, i);
    EXPECT_EQ(memo.Selected(), memo.lines.Strings(i));
  }
  SelectMemoLine(&memo, 2);
  EXPECT_EQ(memo.selStart, 32);  // after two lines and their CR LF, not the first copy
  EXPECT_EQ(memo.scrolled, 5);
  SelectMemoLine(&memo, 4);
  EXPECT_EQ(memo.scrolled, 5);
}

TEST_F(StoredPgmTest, LongLoadersReadViewTextAndLongColumns) {
  Exec("INSERT INTO NOTES_T VALUES (1, 'first\nsecond\r\nthird\n\n   \n')");
  Exec("INSERT INTO NOTES_T VALUES (2, 'x')");
  TyQuery r;
  r.SetDatabase(db.get());
  r.SQL().Add("SELECT BODY FROM NOTES_T ORDER BY ID");
  r.Open();

  MemoryEditor ed("kept");
  LoadEditorFromLong(&r, "BODY", &ed);
  EXPECT_EQ(ed.paras, (Names{"kept", "first", "second", "third"}));
  EXPECT_EQ(ed.updateDepth, 0);
  EXPECT_EQ(ed.updates, 1);
  TStringList list;
  list.Add("kept");
  LoadStrListFromLong(&r, "body", &list);
  EXPECT_EQ(list.Text(), "kept\r\nfirst\r\nsecond\r\nthird\r\n");
  char buf[8];
  LoadTextBufFromLong(&r, "BODY", buf, 7);
  EXPECT_STREQ(buf, "first\ns");
  r.Next();
  LoadTextBufFromLong(&r, "BODY", buf, 7);
  EXPECT_STREQ(buf, "x");
  LoadTextBufFromLong(&r, "BODY", buf, 0);
  EXPECT_STREQ(buf, "");

  // A view's text.
  TyQuery v;
  v.SetDatabase(db.get());
  v.SQL().Add("SELECT TEXT FROM USER_VIEWS WHERE VIEW_NAME = 'EMP_DEPT_V'");
  v.Open();
  MemoryEditor view;
  LoadEditorFromLong(&v, "TEXT", &view);
  ASSERT_FALSE(view.paras.empty());
  EXPECT_NE(UpperCase(view.paras[0]).find("SELECT"), std::string::npos);

  // A view's text is read whole up to the largest element the call interface carries, and
  // one longer still is reported, never loaded cut short.
  for (const size_t size : {33795u, 65535u, 70000u}) {
    std::string big = "CREATE OR REPLACE VIEW BIG_V AS SELECT ENAME FROM EMP WHERE ENAME = 'A'";
    for (int i = 0; big.size() < size; ++i) big += "\n  OR ENAME = 'N" + std::to_string(i) + "'";
    Exec(big);
    TyQuery t;
    t.SetDatabase(db.get());
    t.SQL().Add("SELECT TEXT FROM USER_VIEWS WHERE VIEW_NAME = 'BIG_V'");
    std::string text;
    try {
      t.Open();
      TStringList lines;
      LoadStrListFromLong(&t, "TEXT", &lines);
      text = t.FieldByName("TEXT")->AsString();
      EXPECT_LE(text.size(), 65535u);
      EXPECT_EQ(text.substr(text.size() - 20), big.substr(big.size() - 20)) << size;
    } catch (const EySQLError& e) {
      EXPECT_EQ(e.ErrorCode(), 1406);
      EXPECT_GT(size, 65535u);
    }
  }

  // Bad arguments, checked in order.
  TyQuery closed;
  EXPECT_THROW(LoadEditorFromLong(nullptr, "BODY", nullptr), EyIntError);
  try {
    LoadEditorFromLong(&closed, "", nullptr);
    ADD_FAILURE();
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), "LoadEditorFromLong: Query is Inactive");
  }
  try {
    LoadEditorFromLong(&v, "", nullptr);
    ADD_FAILURE();
  } catch (const EyIntError& e) {
    EXPECT_EQ(e.Message(), "LoadEditorFromLong: Editor param is nil");
  }
  EXPECT_THROW(LoadEditorFromLong(&v, "", &view), EyIntError);
  LoadTextBufFromLong(nullptr, "", nullptr, 1);
  LoadTextBufFromLong(&closed, "", nullptr, 1);
  LoadTextBufFromLong(&v, "", nullptr, 1);
  LoadTextBufFromLong(&v, "", buf, 1);
  LoadStrListFromLong(nullptr, "", nullptr);
  LoadStrListFromLong(&closed, "", nullptr);
  LoadStrListFromLong(&v, "", nullptr);
  LoadStrListFromLong(&v, "", &list);
  EXPECT_EQ(
      shell.diagnostics,
      (Names{"LoadTextBufFromLong: Query param is nil", "LoadTextBufFromLong: Query is inactive",
             "LoadTextBufFromLong: TxtBuf param is nil",
             "LoadTextBufFromLong: Blob field name is null",
             "LoadStrListFromLong: Query param is nil", "LoadStrListFromLong: Query is inactive",
             "LoadStrListFromLong: p_StrList param is nil",
             "LoadStrListFromLong: Blob field name is null"}));
}

TEST_F(StoredPgmTest, TruncationIsFourLinesShortOfTheEditor) {
  MemoryEditor ed("PROCEDURE TR IS\nBEGIN\n  NULL;\nEND;");
  std::string sql;
  ASSERT_TRUE(CreateStoredPgmFromEditor(&q, &ed, false, sql));
  // The server holds 4 lines: an editor of 8 lines is not truncated, one of 9 is.
  for (int extra = 0; extra < 4; ++extra) ed.paras.push_back("");
  EXPECT_FALSE(IsStoredPgmTruncated(db.get(), &q, "procedure", " demo ", "tr", &ed, true));
  EXPECT_EQ(shell.status.back(), "Performing integrity check...");
  ed.paras.push_back("");
  EXPECT_TRUE(IsStoredPgmTruncated(db.get(), &q, "PROCEDURE", "DEMO", "TR", &ed, false));
  // A program the server does not hold counts no lines.
  EXPECT_TRUE(IsStoredPgmTruncated(db.get(), &q, "PROCEDURE", "DEMO", "NOT'HERE", &ed, false));
  EXPECT_FALSE(IsStoredPgmTruncated(db.get(), &q, "PROCEDURE", " ", "TR", &ed, false));
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);

  // A failing query still restores the hourglass and the status window.
  ASSERT_EQ(oratest::Kill(*db->Connection()), 0);
  EXPECT_THROW(IsStoredPgmTruncated(db.get(), &q, "PROCEDURE", "DEMO", "TR", &ed, true),
               EySQLError);
  EXPECT_EQ(shell.hourglassDepth, 0);
  EXPECT_FALSE(shell.statusShown);
  MemoryMemo memo;
  TyStoredPgmErrorList errors;
  EXPECT_ANY_THROW(LoadStoredPgmErrors(db.get(), &q, &memo, &errors, "", "TR", "PROCEDURE"));
  EXPECT_EQ(shell.hourglassDepth, 0);
}

TEST_F(StoredPgmTest, TemporaryNamesHaveTheirFormAndAreFree) {
  std::string name;
  MakeTempObjectName(db.get(), "abcdefghijklmnopqrstuvwxy", name);  // 25 characters
  const size_t bar = name.rfind('_');
  EXPECT_EQ(bar, 24u) << name;
  EXPECT_TRUE(name.size() > bar + 1 && name.size() <= bar + 5 &&
              std::all_of(name.begin() + static_cast<long>(bar) + 1, name.end(),
                          [](char c) { return c >= '0' && c <= '9'; }))
      << name;
  EXPECT_EQ(name.substr(0, 25), "ST$_ABCDEFGHIJKLMNOPQRST_");
  EXPECT_LE(name.size(), 29u);
  MakeTempObjectName(db.get(), "emp", name);
  EXPECT_EQ(name.rfind("ST$_EMP_", 0), 0u);
  EXPECT_FALSE(IsObjectPresent(db.get(), "DEMO", name));
}

namespace {

struct Header {
  bool ok = false;
  TyObjType type = 0;
  std::string owner, name;
  int32_t line = 0;
};

Header ParseAfterCreate(const std::string& text) {
  TyParserA p(text.c_str());
  std::string w;
  p.GetNextWord(w);
  Header h;
  h.ok = ParseCreateStoredPgmHeader(p, h.type, h.owner, h.name, h.line);
  return h;
}

}  // namespace

TEST(StoredPgmHeader, KindsOwnersAndLines) {
  Header h = ParseAfterCreate("CREATE OR REPLACE PACKAGE BODY a.b IS");
  EXPECT_TRUE(h.ok);
  EXPECT_EQ(h.type, 18);
  EXPECT_EQ(h.owner, "A");
  EXPECT_EQ(h.name, "B");
  EXPECT_FALSE(ParseAfterCreate("CREATE OR FUNCTION f RETURN NUMBER").ok);
  EXPECT_FALSE(ParseAfterCreate("CREATE TABLE t (x NUMBER)").ok);
  EXPECT_FALSE(ParseAfterCreate("CREATE").ok);
  h = ParseAfterCreate("create\n/* x */ or replace\n  function\n f return number");
  EXPECT_TRUE(h.ok);
  EXPECT_EQ(h.type, 14);
  EXPECT_EQ(h.line, 3);
  EXPECT_EQ(h.owner, "");
  h = ParseAfterCreate("CREATE PROCEDURE demo.p IS BEGIN NULL; END;");
  EXPECT_EQ(h.type, 13);
  EXPECT_EQ(h.owner, "DEMO");
  EXPECT_EQ(h.name, "P");
  h = ParseAfterCreate("CREATE PACKAGE pk IS END;");
  EXPECT_EQ(h.type, 15);
  EXPECT_EQ(h.name, "PK");
  h = ParseAfterCreate("CREATE TRIGGER x\nAFTER INSERT ON t\n-- begin\nBEGIN\n  NULL;\nEND;");
  EXPECT_EQ(h.type, 5);
  EXPECT_EQ(h.line, 4);
  h = ParseAfterCreate("CREATE TRIGGER x\nAFTER INSERT ON t CALL p");
  EXPECT_EQ(h.line, 1);
}

// The server counts a trigger's error lines from the start of its body; the header
// parser's line is that start, so a jump lands on the faulty line whether the body opens
// with DECLARE or with BEGIN, behind a WHEN clause or not.
TEST_F(StoredPgmTest, TriggerErrorsAreFoundFromTheHeaderLine) {
  const char* texts[] = {
      "TRIGGER TRG_B\nBEFORE INSERT ON DEPT\nFOR EACH ROW\nBEGIN\n  NULL;\n  V := ;\nEND;",
      "TRIGGER TRG_B\nBEFORE INSERT ON DEPT\nFOR EACH ROW\nDECLARE\n  V NUMBER;\nBEGIN\n"
      "  V := ;\nEND;",
      "TRIGGER TRG_B BEFORE INSERT ON DEPT FOR EACH ROW\nWHEN (NEW.DEPTNO > 0)\n\nDECLARE\n"
      "  V NUMBER;\n  W NUMBER;\nBEGIN\n  V := ;\nEND;",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    MemoryEditor ed(text);
    MemoryMemo memo;
    TyStoredPgmErrorList errors;
    ASSERT_TRUE(Compile(ed, memo, errors, "TRG_B", "TRIGGER"));
    ASSERT_FALSE(errors.empty());
    const std::string create = std::string("CREATE ") + text;
    Header h = ParseAfterCreate(create);
    ASSERT_TRUE(h.ok);
    int32_t faulty = 1;
    while (ed.GetLine(faulty).find(":= ;") == std::string::npos) ++faulty;
    GotoStoredPgmError(&memo, &errors, h.line - 1, &ed, 0);
    EXPECT_EQ(ed.selLine1, faulty);
  }
}

// Every CREATE of the corpus, against a plain reading of its words.
TEST(StoredPgmHeader, CorpusHeaders) {
  std::string root = TESS_PLSQL_DATA;
  ASSERT_TRUE(std::filesystem::exists(root)) << "no corpus at " << root;
  int checked = 0, programs = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    std::string ext = entry.path().extension().string();
    if (ext != ".sql" && ext != ".pks" && ext != ".pkb" && ext != ".tps" && ext != ".tpb") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    // Words as the scanner sees them, with their lines, found independently.
    struct Word {
      std::string text;
      int line;
      size_t end;
    };
    std::vector<Word> words;
    int line = 1;
    for (size_t i = 0; i < text.size();) {
      char c = text[i];
      if (c == '\n') {
        ++line;
        ++i;
      } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
        while (i < text.size() && text[i] != '\n') ++i;
      } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
        size_t e = text.find("*/", i + 2);
        e = e == std::string::npos ? text.size() : e + 2;
        line += static_cast<int>(std::count(text.begin() + i, text.begin() + e, '\n'));
        i = e;
      } else if (c == '\'') {
        size_t e = text.find('\'', i + 1);
        e = e == std::string::npos ? text.size() : e + 1;
        line += static_cast<int>(std::count(text.begin() + i, text.begin() + e, '\n'));
        i = e;
      } else if (std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#') {
        size_t s = i;
        while (i < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[i])) || strchr("_$#.", text[i])))
          ++i;
        words.push_back({UpperCase(text.substr(s, i - s)), line, i});
      } else {
        ++i;
      }
    }
    for (size_t k = 0; k < words.size(); ++k) {
      if (words[k].text != "CREATE") continue;
      size_t at = k + 1;
      if (at < words.size() && words[at].text == "OR") at += 2;
      if (at + 1 >= words.size()) continue;
      const std::string kind = words[at].text;
      std::string name = words[at + 1].text;
      int kindLine = words[at].line;
      TyObjType type = kind == "TRIGGER"     ? 5
                       : kind == "PROCEDURE" ? 13
                       : kind == "FUNCTION"  ? 14
                       : kind == "PACKAGE"   ? 15
                                             : 0;
      if (type == 15 && name == "BODY" && at + 2 < words.size()) {
        type = 18;
        kindLine = words[at + 1].line;
        name = words[at + 2].text;
      }
      if (type == 5) continue;  // the corpus has no triggers
      // Quoted names are outside the plain reading.
      std::string rest = text.substr(words[k].end);
      size_t quote = rest.find('"');
      size_t semi = rest.find_first_of(";(");
      if (quote != std::string::npos && quote < semi) continue;

      TyParserA p(rest.c_str());
      Header h;
      h.ok = ParseCreateStoredPgmHeader(p, h.type, h.owner, h.name, h.line);
      ++checked;
      SCOPED_TRACE(entry.path().string() + " line " + std::to_string(words[k].line));
      EXPECT_EQ(h.ok, type != 0);
      if (!h.ok || type == 0) continue;
      ++programs;
      EXPECT_EQ(h.type, type);
      EXPECT_EQ(h.owner, ExtractSchemaName(name));
      EXPECT_EQ(h.name, ExtractObjectName(name));
      EXPECT_EQ(h.line + words[k].line - 1, kindLine);
    }
  }
  EXPECT_GT(checked, 300);
  EXPECT_GT(programs, 100);
}
