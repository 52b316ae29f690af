// Scripts split as SQL*Plus reads them, and the real sources of the corpus: every PL/SQL
// unit in it parses without a false error, its embedded SQL keeps its text in place, and
// taking away the ";" after any statement is caught right where the next symbol stands.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "oci7/plsql/front.h"
#include "tests/corpus.h"

using namespace tess::oci7::plsql;

namespace {

std::string KindsOf(const std::vector<ScriptStatement>& list) {
  std::string out;
  for (const ScriptStatement& s : list)
    out += s.kind == ScriptStatement::Sql ? 'S' : s.kind == ScriptStatement::Plsql ? 'P' : 'C';
  return out;
}

struct Unit_ {
  std::string file;
  int line = 0;
  std::string text;
};

// Every PL/SQL unit of the corpus; SQL*Plus substitution variables (&name, &&name.) are
// replaced by a plain name, as SQL*Plus would before sending the text.
std::vector<Unit_> CorpusUnits() {
  std::vector<Unit_> units;
  for (const tess::corpus::File& file : tess::corpus::ReadAllSources()) {
    for (const ScriptStatement& st : SplitScript(file.text)) {
      if (st.kind != ScriptStatement::Plsql) continue;
      std::string text;
      for (size_t i = 0; i < st.text.size();) {
        if (st.text[i] != '&') {
          text += st.text[i++];
          continue;
        }
        while (i < st.text.size() && st.text[i] == '&') ++i;
        while (i < st.text.size() &&
               (std::isalnum(static_cast<unsigned char>(st.text[i])) || st.text[i] == '_'))
          ++i;
        if (i < st.text.size() && st.text[i] == '.') ++i;
        text += "SUBST";
      }
      units.push_back({file.path, st.line, std::move(text)});
    }
  }
  return units;
}

// Visits every statement and every embedded SQL text of a unit.
void Walk(const Unit& u, const std::function<void(const Stmt&)>& stmt,
          const std::function<void(const SqlText&)>& sql) {
  std::function<void(const StmtList&)> list;
  std::function<void(const Block&)> block;
  std::function<void(const std::vector<Decl>&)> decls;
  auto sub = [&](const Subprogram& sp) {
    if (sp.body) block(*sp.body);
  };
  list = [&](const StmtList& l) {
    for (const auto& s : l) {
      stmt(*s);
      if (s->sql) sql(*s->sql);
      for (const auto& b : s->branches) list(b);
      list(s->elseBranch);
      list(s->body);
      if (s->block) block(*s->block);
    }
  };
  decls = [&](const std::vector<Decl>& ds) {
    for (const Decl& d : ds) {
      if (d.query) sql(*d.query);
      if (d.subprogram) sub(*d.subprogram);
    }
  };
  block = [&](const Block& b) {
    decls(b.decls);
    list(b.body);
    for (const Handler& h : b.handlers) list(h.body);
  };
  if (u.subprogram) sub(*u.subprogram);
  decls(u.decls);
  if (u.block) block(*u.block);
  for (const Subprogram& m : u.methods) sub(m);
}

}  // namespace

TEST(PlsqlScript, SplitsAsSqlPlusReads) {
  std::string script =
      "set serveroutput on\n"
      "-- a comment\n"
      "PROMPT creating -\n"
      "  things\n"
      "create table t (a number, b varchar2(10));\n"
      "insert into t values (1, 'x;y');\n"
      "create or replace\n"
      "package p is\n"
      "  procedure q;\n"
      "end;\n"
      "/\n"
      "select q'[a;\n"
      "b]' from dual\n"
      "/\n"
      "@other.sql\n"
      "/* block\n comment */\n"
      "begin\n  null;\nend;\n"
      "/\n"
      "set transaction read only;\n"
      "savepoint a;\n"
      "DECLARE x NUMBER; BEGIN x := 1; END;";
  std::vector<ScriptStatement> list = SplitScript(script);
  ASSERT_EQ(KindsOf(list), "CCSSPSCPSSP");
  EXPECT_EQ(list[1].text, "PROMPT creating -\n  things");
  EXPECT_EQ(list[2].text, "create table t (a number, b varchar2(10))");
  EXPECT_EQ(list[2].line, 5);
  EXPECT_EQ(list[3].text, "insert into t values (1, 'x;y')");
  EXPECT_EQ(list[4].text, "create or replace\npackage p is\n  procedure q;\nend;");
  EXPECT_EQ(list[4].line, 7);
  EXPECT_EQ(list[5].text, "select q'[a;\nb]' from dual");
  EXPECT_EQ(list[7].text, "begin\n  null;\nend;");
  EXPECT_EQ(list[7].line, 18);
  EXPECT_EQ(list[8].text, "set transaction read only");
  EXPECT_EQ(list[10].text, "DECLARE x NUMBER; BEGIN x := 1; END;");
  for (const ScriptStatement& s : list) EXPECT_EQ(script.substr(s.offset, s.text.size()), s.text);
  EXPECT_TRUE(SplitScript("").empty());
  EXPECT_TRUE(SplitScript("\n-- nothing\n/\n").empty());
  EXPECT_EQ(KindsOf(SplitScript("delete from t\r\n/\r\nexec p\r\n")), "SC");
}

TEST(PlsqlCorpus, EveryUnitParsesAndKeepsItsSql) {
  std::vector<Unit_> units = CorpusUnits();
  EXPECT_GT(units.size(), 350u);
  // A dictionary that knows every name: no check may then complain about a sound unit.
  Environment env;
  env.isSchemaObject = [](const std::string&, const std::string&) { return true; };
  env.packageSpecNames = [](const std::string&) { return std::vector<std::string>{}; };
  size_t sqlTexts = 0;
  for (const Unit_& unit : units) {
    ParseResult r = CompileUnit(unit.text, env);
    if (!r.errors.empty()) {
      ADD_FAILURE() << unit.file << ":" << unit.line + r.errors[0].line - 1 << ":"
                    << r.errors[0].position << ": " << r.errors[0].text;
      continue;
    }
    Walk(
        *r.unit, [](const Stmt&) {},
        [&](const SqlText& s) {
          ++sqlTexts;
          ASSERT_EQ(s.text.size(), s.end - s.offset) << unit.file;
          for (size_t k = 0; k < s.text.size(); ++k)
            ASSERT_TRUE(s.text[k] == ' ' || s.text[k] == unit.text[s.offset + k]) << unit.file;
        });
  }
  EXPECT_GT(sqlTexts, 100u);
}

TEST(PlsqlCorpus, EveryMissingSemicolonIsCaughtAtTheNextSymbol) {
  std::vector<Unit_> units = CorpusUnits();
  size_t tried = 0, atNext = 0;
  for (size_t u = 0; u < units.size(); ++u) {
    const Unit_& unit = units[u];
    ParseResult r = ParseUnit(unit.text);
    ASSERT_TRUE(r.ok()) << unit.file;
    std::vector<size_t> ends;
    Walk(
        *r.unit,
        [&](const Stmt& s) {
          if (s.kind == StmtKind::Assign || s.kind == StmtKind::Call || s.kind == StmtKind::Null ||
              s.kind == StmtKind::Return || s.kind == StmtKind::Raise || s.kind == StmtKind::Exit)
            ends.push_back(s.end - 1);
        },
        [](const SqlText&) {});
    // A few statements of each unit, spread over it.
    for (size_t i = 0; i < ends.size(); i += 1 + ends.size() / 4) {
      size_t semicolon = ends[i];
      ASSERT_EQ(unit.text[semicolon], ';') << unit.file;
      std::string broken = unit.text;
      broken[semicolon] = ' ';
      size_t next = semicolon + 1;
      // The next symbol: past blanks and comments.
      while (next < broken.size()) {
        if (std::isspace(static_cast<unsigned char>(broken[next]))) {
          ++next;
        } else if (broken.compare(next, 2, "--") == 0) {
          next = broken.find('\n', next);
          if (next == std::string::npos) next = broken.size();
        } else if (broken.compare(next, 2, "/*") == 0) {
          next = broken.find("*/", next) + 2;
        } else {
          break;
        }
      }
      ParseResult b = ParseUnit(broken);
      ++tried;
      ASSERT_FALSE(b.errors.empty()) << unit.file << " at " << semicolon;
      // The server reports where it cannot go on: at the next symbol, or, when the
      // statement could take that symbol in (x := a (b ...), further on, never before.
      EXPECT_GE(b.errors.back().offset, next) << unit.file << " at " << semicolon;
      if (b.errors.back().offset == next) ++atNext;
    }
  }
  EXPECT_GT(tried, 500u);
  EXPECT_GT(atNext, tried * 9 / 10);
}
