// See syntax_scanner.h.
#include "components/synedit/syntax_scanner.h"

#include <algorithm>

#include "framework/core/sysutils.h"

namespace tess {

bool IsSynWordChar(unsigned char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' ||
         C == '#' || C == '$';
}

bool NextSyntaxToken(std::string_view Text, int32_t Start, TSynScanState& State,
                     TSynScanState& Kind, int32_t& Length, int32_t& TokenEnd) {
  const int32_t last = static_cast<int32_t>(Text.size()) - 1;
  Length = 0;
  bool closed = false;
  bool stop = false;
  for (int32_t i = Start < 0 ? 0 : Start; i <= last && !stop; ++i) {
    const unsigned char c = static_cast<unsigned char>(Text[static_cast<size_t>(i)]);
    auto next = [&](char n) { return i < last && Text[static_cast<size_t>(i) + 1] == n; };
    switch (State) {
      case scBlockComment:
        ++Length;
        if (c == '*' && next('/')) {
          ++Length;
          closed = true;
          stop = true;
        }
        break;
      case scLineComment:
        ++Length;
        break;
      case scNormal:
        if (IsSynBlank(c)) {
          ++Length;
        } else if (c == '/' && next('*')) {
          State = scBlockComment;
          Length += 2;
          ++i;
        } else if (c == '-' && next('-')) {
          State = scLineComment;
          Length += 2;
          ++i;
        } else if (c == '\'') {
          State = scString;
          ++Length;
        } else if (IsSynWordChar(c)) {
          State = scWord;
          ++Length;
        } else {
          ++Length;
          stop = true;
        }
        break;
      case scString:
        ++Length;
        if (c == '\'') stop = true;
        break;
      case scWord:
        if (IsSynWordChar(c))
          ++Length;
        else
          stop = true;
        break;
    }
  }
  Kind = State;
  State = (State == scBlockComment && !closed) ? scBlockComment : scNormal;
  TokenEnd = std::min(Start + Length - 1, last);
  return Length > 0;
}

int TSynKeywords::TWordList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return compare_ ? compare_(S1, S2) : CompareText(S1, S2);
}

TSynKeywords::TSynKeywords(TSynCompareText Compare)
    : symbols_(Compare), sql_(Compare), plsql_(Compare) {
  for (TStringList* l : {&symbols_, &sql_, &plsql_}) {
    l->SetCaseSensitive(false);
    l->SetDuplicates(dupIgnore);
    l->SetSorted(true);
  }
}

void TSynKeywords::SetKeywordLists(const TStrings* Symbols, const TStrings* SqlWords,
                                   const TStrings* PlsqlWords) {
  const TStrings* from[] = {Symbols, SqlWords, PlsqlWords};
  TStringList* to[] = {&symbols_, &sql_, &plsql_};
  for (int k = 0; k < 3; ++k) {
    to[k]->BeginUpdate();
    to[k]->Clear();
    if (from[k] != nullptr) to[k]->AddStrings(from[k]);
    to[k]->EndUpdate();
  }
}

TSynTokenColor TSynKeywords::GetTokenColor(TSynScanState Kind, std::string_view Token) const {
  size_t b = 0, e = Token.size();
  while (b < e && IsSynBlank(static_cast<unsigned char>(Token[b]))) ++b;
  while (e > b && IsSynBlank(static_cast<unsigned char>(Token[e - 1]))) --e;
  const std::string text(Token.substr(b, e - b));
  int at = 0;
  switch (Kind) {
    case scBlockComment:
    case scLineComment:
      return tcComment;
    case scString:
      return tcString;
    case scWord:
      if (text.empty()) return tcNormal;
      if (symbols_.Find(text, at)) return tcSymbol;
      if (sql_.Find(text, at)) return tcSQL;
      if (plsql_.Find(text, at)) return tcPLSQL;
      return tcNormal;
    case scNormal:
      return text.size() == 1 && symbols_.Find(text, at) ? tcSymbol : tcNormal;
  }
  return tcNormal;
}

std::vector<TSynRun> SyntaxRuns(std::string_view Text, TSynScanState& State,
                                const TSynKeywords& Keywords) {
  std::vector<TSynRun> runs;
  TSynScanState kind = scNormal;
  int32_t length = 0, end = 0;
  for (int32_t pos = 0; NextSyntaxToken(Text, pos, State, kind, length, end); pos += length) {
    const auto token = Text.substr(static_cast<size_t>(pos), static_cast<size_t>(length));
    runs.push_back({pos, end, kind, Keywords.GetTokenColor(kind, token)});
  }
  return runs;
}

TSynLineVerdict BackwardCommentVerdict(std::string_view Line) {
  enum { normal, quoted, open } b = normal;
  for (int64_t i = static_cast<int64_t>(Line.size()) - 1; i >= 0; --i) {
    const char c = Line[static_cast<size_t>(i)];
    const char before = i > 0 ? Line[static_cast<size_t>(i) - 1] : '\0';
    switch (b) {
      case normal:
        if (c == '/' && before == '*') return TSynLineVerdict::Closes;
        if (c == '*' && before == '/') {
          b = open;
          --i;
        } else if (c == '\'') {
          b = quoted;
        }
        break;
      case quoted:
        if (c == '\'') b = normal;
        break;
      case open:
        // The "/*" lay inside a line comment.
        if (c == '-' && before == '-') {
          b = normal;
          --i;
        }
        break;
    }
  }
  return b == open ? TSynLineVerdict::Opens : TSynLineVerdict::Undecided;
}

bool TSynCommentCache::IsLineInBlockComment(int32_t Line) {
  if (Line < 2 || Line > source_.LineCount()) return false;
  if (known_.size() < static_cast<size_t>(Line)) known_.resize(static_cast<size_t>(Line), kUnknown);
  // Walk up to a known answer or a deciding line; every line passed shares the answer.
  int32_t m = Line;
  bool answer = false;
  for (;;) {
    if (known_[static_cast<size_t>(m - 1)] != kUnknown) {
      answer = known_[static_cast<size_t>(m - 1)] != 0;
      break;
    }
    if (m == 1) break;
    ++scanned_;
    const TSynLineVerdict v = BackwardCommentVerdict(source_.Line(m - 1));
    if (v != TSynLineVerdict::Undecided) {
      answer = v == TSynLineVerdict::Opens;
      break;
    }
    --m;
  }
  for (int32_t l = m; l <= Line; ++l) known_[static_cast<size_t>(l - 1)] = answer ? 1 : 0;
  return answer;
}

void TSynCommentCache::Invalidate(int32_t Line) {
  if (Line < 1)
    known_.clear();
  else if (known_.size() > static_cast<size_t>(Line))
    known_.resize(static_cast<size_t>(Line));
}

}  // namespace tess
