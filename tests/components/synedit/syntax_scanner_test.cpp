// The syntax scanner: tokens of tricky lines, token colours, colour runs of the PL/SQL
// corpus against a plain re-reading, and the cached comment state against a full
// backward scan after random edits.
#include "components/synedit/syntax_scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

using namespace tess;

namespace {

// "kind:text" for each token of a line, and the state left for the next line.
std::string Tokens(const std::string& line, TSynScanState& state) {
  std::string out;
  TSynScanState kind;
  int32_t len = 0, end = 0;
  for (int32_t pos = 0; NextSyntaxToken(line, pos, state, kind, len, end); pos += len) {
    EXPECT_EQ(end, std::min<int32_t>(pos + len - 1, static_cast<int32_t>(line.size()) - 1));
    const char* names[] = {"B", "L", "N", "S", "W"};
    if (!out.empty()) out += "|";
    out += std::string(names[kind]) + ":" +
           line.substr(static_cast<size_t>(pos), static_cast<size_t>(len));
  }
  return out;
}

}  // namespace

TEST(SyntaxScanner, TrickyLines) {
  struct Case {
    TSynScanState in;
    const char* line;
    const char* tokens;
    TSynScanState out;
  } cases[] = {
      {scNormal, "/*/", "B:/*/", scBlockComment},
      {scNormal, "/**/x", "B:/**/|W:x", scNormal},
      {scNormal, "a */ b", "W:a|N: *|N:/|W: b", scNormal},
      {scNormal, "x := 'it''s -- not /* a comment", "W:x|N: :|N:=|S: 'it'|S:'s -- not /* a comment",
       scNormal},
      {scNormal, "'open", "S:'open", scNormal},
      {scNormal, "-- it's /* here", "L:-- it's /* here", scNormal},
      {scNormal, "/* it's */ 'a'", "B:/* it's */|S: 'a'", scNormal},
      {scBlockComment, "still */ x", "B:still */|W: x", scNormal},
      {scBlockComment, "", "", scBlockComment},
      {scNormal, "   ", "N:   ", scNormal},
      {scNormal, "  v_$#1+2", "W:  v_$#1|N:+|W:2", scNormal},
      {scNormal, "a-b/c", "W:a|N:-|W:b|N:/|W:c", scNormal},
      {scNormal, "x-", "W:x|N:-", scNormal},
      {scNormal, "/", "N:/", scNormal},
      {scNormal, "\tselect", "W:\tselect", scNormal},
  };
  for (const Case& c : cases) {
    TSynScanState state = c.in;
    EXPECT_EQ(Tokens(c.line, state), c.tokens) << c.line;
    EXPECT_EQ(state, c.out) << c.line;
  }
}

TEST(SyntaxScanner, TokenColours) {
  TSynKeywords kw;
  TStringList sym, sql, plsql;
  for (const char* s : {"(", ")", ";", "*", "/", "AND"}) sym.Add(s);
  for (const char* s : {"SELECT", "FROM", "AND", "SELECTED", "SELECT"}) sql.Add(s);
  for (const char* s : {"BEGIN", "END", "SELECT_X"}) plsql.Add(s);
  kw.SetKeywordLists(&sym, &sql, &plsql);
  EXPECT_EQ(kw.SqlWords().Count(), 4);  // the duplicate dropped
  sql.Clear();                          // the editor keeps copies
  EXPECT_EQ(kw.GetTokenColor(scWord, "  Select"), tcSQL);
  EXPECT_EQ(kw.GetTokenColor(scWord, "sElEcTeD"), tcSQL);
  EXPECT_EQ(kw.GetTokenColor(scWord, "SELEC"), tcNormal);  // a prefix is not the word
  EXPECT_EQ(kw.GetTokenColor(scWord, "select_x"), tcPLSQL);
  EXPECT_EQ(kw.GetTokenColor(scWord, "and"), tcSymbol);  // the symbol list comes first
  EXPECT_EQ(kw.GetTokenColor(scWord, "begin"), tcPLSQL);
  EXPECT_EQ(kw.GetTokenColor(scWord, "   "), tcNormal);
  EXPECT_EQ(kw.GetTokenColor(scNormal, " ("), tcSymbol);
  EXPECT_EQ(kw.GetTokenColor(scNormal, " +"), tcNormal);
  EXPECT_EQ(kw.GetTokenColor(scNormal, "   "), tcNormal);
  EXPECT_EQ(kw.GetTokenColor(scString, "'select'"), tcString);
  EXPECT_EQ(kw.GetTokenColor(scLineComment, "-- select"), tcComment);
  EXPECT_EQ(kw.GetTokenColor(scBlockComment, "/* x"), tcComment);
  // A stray "*/" is two one-character symbols.
  TSynScanState state = scNormal;
  auto runs = SyntaxRuns("x */", state, kw);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].Color, tcSymbol);
  EXPECT_EQ(runs[2].Color, tcSymbol);
  kw.SetKeywordLists(nullptr, nullptr, nullptr);
  EXPECT_EQ(kw.GetTokenColor(scWord, "SELECT"), tcNormal);
}

TEST(SyntaxScanner, BackwardVerdicts) {
  EXPECT_EQ(BackwardCommentVerdict("x /* open"), TSynLineVerdict::Opens);
  EXPECT_EQ(BackwardCommentVerdict("/* a */ b"), TSynLineVerdict::Closes);
  EXPECT_EQ(BackwardCommentVerdict("end */"), TSynLineVerdict::Closes);
  // "/*" after "--" does not open; "*/" after "--" still decides "closed".
  EXPECT_EQ(BackwardCommentVerdict("x -- /* y"), TSynLineVerdict::Undecided);
  EXPECT_EQ(BackwardCommentVerdict("x -- */ y"), TSynLineVerdict::Closes);
  EXPECT_EQ(BackwardCommentVerdict("/* a -- b /* c"), TSynLineVerdict::Opens);
  EXPECT_EQ(BackwardCommentVerdict("'/*'"), TSynLineVerdict::Undecided);
  EXPECT_EQ(BackwardCommentVerdict(""), TSynLineVerdict::Undecided);
  EXPECT_EQ(BackwardCommentVerdict("/*/"), TSynLineVerdict::Closes);
}

namespace {

struct Lines : TSynLineSource {
  std::vector<std::string> lines;
  int32_t LineCount() const override { return static_cast<int32_t>(lines.size()); }
  std::string_view Line(int32_t i) const override { return lines.at(static_cast<size_t>(i - 1)); }
};

// The backward scan over the whole text above Line, char by char, with no cache.
bool FullBackwardScan(const std::vector<std::string>& text, int32_t line) {
  if (line < 2 || line > static_cast<int32_t>(text.size())) return false;
  for (int32_t l = line - 1; l >= 1; --l) {
    const std::string& s = text[static_cast<size_t>(l - 1)];
    int b = 0;  // 0 normal, 1 quoted, 2 open, 3 closed
    for (int i = static_cast<int>(s.size()) - 1; i >= 0 && b != 3; --i) {
      char p = i > 0 ? s[static_cast<size_t>(i - 1)] : 0;
      char c = s[static_cast<size_t>(i)];
      if (b == 0 && c == '/' && p == '*')
        b = 3;
      else if (b == 0 && c == '*' && p == '/')
        b = 2, --i;
      else if (b == 0 && c == '\'')
        b = 1;
      else if (b == 1 && c == '\'')
        b = 0;
      else if (b == 2 && c == '-' && p == '-')
        b = 0, --i;
    }
    if (b == 2) return true;
    if (b == 3) return false;
  }
  return false;
}

}  // namespace

TEST(SyntaxScanner, CachedCommentStateEqualsAFullScanAfterRandomEdits) {
  std::mt19937 rng(1234);
  const char* pieces[] = {"/*", "*/", "--", "'", "x", " ", "-", "/", "*", "select", ";"};
  auto randomLine = [&] {
    std::string s;
    int n = static_cast<int>(rng() % 6);
    for (int i = 0; i < n; ++i) s += pieces[rng() % std::size(pieces)];
    return s;
  };
  Lines text;
  for (int i = 0; i < 60; ++i) text.lines.push_back(randomLine());
  TSynCommentCache cache(text);
  for (int round = 0; round < 3000; ++round) {
    const int32_t n = text.LineCount();
    switch (rng() % 4) {
      case 0: {  // change a line
        int32_t l = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(n));
        text.lines[static_cast<size_t>(l - 1)] = randomLine();
        cache.Invalidate(l);
        break;
      }
      case 1: {  // insert a line
        int32_t l = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(n + 1));
        text.lines.insert(text.lines.begin() + (l - 1), randomLine());
        cache.Invalidate(l);
        break;
      }
      case 2:
        if (n > 1) {  // delete a line
          int32_t l = 1 + static_cast<int32_t>(rng() % static_cast<uint32_t>(n));
          text.lines.erase(text.lines.begin() + (l - 1));
          cache.Invalidate(l);
        }
        break;
      default:
        break;
    }
    // A repaint of a few rows somewhere, as the paint loop asks.
    int32_t first = static_cast<int32_t>(rng() % static_cast<uint32_t>(text.LineCount() + 2));
    for (int32_t l = first; l < first + 3; ++l)
      ASSERT_EQ(cache.IsLineInBlockComment(l), FullBackwardScan(text.lines, l))
          << "round " << round << " line " << l;
  }
}

TEST(SyntaxScanner, TypingAtTheEndRescansOnlyTheEditedLines) {
  Lines text;
  for (int i = 0; i < 5000; ++i) text.lines.push_back("  x := x + 1; -- line");
  TSynCommentCache cache(text);
  EXPECT_FALSE(cache.IsLineInBlockComment(5000));
  const int64_t first = cache.LinesScanned();
  EXPECT_EQ(first, 4999);
  for (int k = 0; k < 20; ++k) {
    text.lines.back() += "y";
    cache.Invalidate(5000);
    EXPECT_FALSE(cache.IsLineInBlockComment(5000));
  }
  EXPECT_EQ(cache.LinesScanned(), first);
  text.lines[4997] = "/* opened";
  cache.Invalidate(4998);
  EXPECT_TRUE(cache.IsLineInBlockComment(5000));
  EXPECT_LE(cache.LinesScanned(), first + 2);
}

namespace {

std::set<std::string> ReadKeywords(const std::string& file) {
  std::set<std::string> s;
  std::ifstream in(std::string(TESS_KWD_DIR) + "/" + file);
  for (std::string l; std::getline(in, l);) {
    while (!l.empty() && static_cast<unsigned char>(l.back()) <= 32) l.pop_back();
    size_t b = 0;
    while (b < l.size() && static_cast<unsigned char>(l[b]) <= 32) ++b;
    l = l.substr(b);
    for (char& c : l) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    s.insert(l);
  }
  return s;
}

// The colour of every character of a line, read plainly: find where each token ends.
std::vector<TSynTokenColor> PlainColours(const std::string& s, bool& inComment,
                                         const std::set<std::string> (&kw)[3]) {
  std::vector<TSynTokenColor> out(s.size(), tcNormal);
  auto paint = [&](size_t a, size_t b, TSynTokenColor c) {
    for (size_t i = a; i <= b && i < s.size(); ++i) out[i] = c;
  };
  auto isWord = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '$';
  };
  auto lookup = [&](std::string w) {
    for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (kw[0].count(w)) return tcSymbol;
    if (kw[1].count(w)) return tcSQL;
    if (kw[2].count(w)) return tcPLSQL;
    return tcNormal;
  };
  size_t i = 0;
  while (i < s.size()) {
    size_t start = i;
    if (inComment) {
      size_t e = s.find("*/", i);
      if (e == std::string::npos) return paint(start, s.size() - 1, tcComment), out;
      paint(start, e + 1, tcComment);
      inComment = false;
      i = e + 2;
      continue;
    }
    size_t j = i;
    while (j < s.size() && static_cast<unsigned char>(s[j]) <= 32) ++j;
    if (j == s.size()) break;
    if (s.compare(j, 2, "/*") == 0) {
      inComment = true;
      size_t e = j + 2 < s.size() ? s.find("*/", j + 2) : std::string::npos;
      if (e == std::string::npos) return paint(start, s.size() - 1, tcComment), out;
      paint(start, e + 1, tcComment);
      inComment = false;
      i = e + 2;
    } else if (s.compare(j, 2, "--") == 0) {
      return paint(start, s.size() - 1, tcComment), out;
    } else if (s[j] == '\'') {
      size_t e = s.find('\'', j + 1);
      if (e == std::string::npos) e = s.size() - 1;
      paint(start, e, tcString);
      i = e + 1;
    } else if (isWord(s[j])) {
      size_t e = j;
      while (e < s.size() && isWord(s[e])) ++e;
      paint(start, e - 1, lookup(s.substr(j, e - j)));
      i = e;
    } else {
      paint(start, j, kw[0].count(std::string(1, s[j])) ? tcSymbol : tcNormal);
      i = j + 1;
    }
  }
  return out;
}

}  // namespace

TEST(SyntaxScanner, CorpusColoursMatchAPlainReading) {
  const std::string root = TESS_PLSQL_DATA;
  ASSERT_TRUE(std::filesystem::exists(root)) << "no corpus at " << root;
  const std::set<std::string> kw[3] = {ReadKeywords("symbol.kwd"), ReadKeywords("sql.kwd"),
                                       ReadKeywords("plsql.kwd")};
  ASSERT_GT(kw[1].size(), 100u);
  TSynKeywords keywords;
  TStringList lists[3];
  for (int k = 0; k < 3; ++k)
    for (const auto& w : kw[k]) lists[k].Add(w);
  keywords.SetKeywordLists(&lists[0], &lists[1], &lists[2]);
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".sql" && ext != ".pks" && ext != ".pkb" && ext != ".tps" && ext != ".tpb") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    TStringList lines;
    lines.SetText(ss.str());
    TSynScanState state = scNormal;
    bool inComment = false;
    Lines source;
    for (int i = 0; i < lines.Count(); ++i) source.lines.push_back(lines.Strings(i));
    TSynCommentCache cache(source);
    for (int i = 0; i < lines.Count(); ++i) {
      const std::string line = lines.Strings(i);
      std::vector<TSynTokenColor> got(line.size(), tcNormal);
      for (const TSynRun& r : SyntaxRuns(line, state, keywords))
        for (int32_t p = r.First; p <= r.Last; ++p) got[static_cast<size_t>(p)] = r.Color;
      ASSERT_EQ(got, PlainColours(line, inComment, kw))
          << entry.path() << ":" << i + 1 << ": " << line;
      ASSERT_EQ(state == scBlockComment, inComment);
      // The cached backward decision agrees with a full backward scan on real text.
      ASSERT_EQ(cache.IsLineInBlockComment(i + 1), FullBackwardScan(source.lines, i + 1));
    }
  }
  EXPECT_GT(files, 390);
}
