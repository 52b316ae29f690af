// See sql_text.h.
#include "oracle/sql_text.h"

#include <cctype>

#include "framework/core/strings.h"
#include "framework/core/sysutils.h"

namespace tess {

namespace {

bool IsIdentChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '#' || c == '$' || c == '_';
}

// Collects the digits that start at 0-based index i; true when there was at least one.
bool DigitsAt(const std::string& s, size_t i, int& value) {
  size_t j = i;
  long v = 0;
  while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
    if (v < 100000000) v = v * 10 + (s[j] - '0');  // bounded: a silly number cannot overflow
    ++j;
  }
  if (j == i) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

bool CharInDelims(const std::string& Delims, char C) {
  return Delims.find(C) != std::string::npos;
}

bool WordPosition(uint8_t N, const std::string& S, const std::string& Delims, int& Pos) {
  size_t i = 0;
  unsigned count = 0;
  while (i < S.size()) {
    while (i < S.size() && CharInDelims(Delims, S[i])) ++i;
    if (i < S.size()) {
      ++count;
      if (count == N) {
        Pos = static_cast<int>(i) + 1;
        return true;
      }
      while (i < S.size() && !CharInDelims(Delims, S[i])) ++i;
    }
  }
  return false;
}

std::string ExtractWord(uint8_t N, const std::string& S, const std::string& Delims) {
  int pos = 0;
  std::string word;
  if (!WordPosition(N, S, Delims, pos)) return word;
  for (size_t i = static_cast<size_t>(pos) - 1; i < S.size() && !CharInDelims(Delims, S[i]); ++i) {
    if (word.size() == 255) break;
    word += S[i];
  }
  return word;
}

std::string GetStrAfter(const std::string& S, const std::string& SubStr) {
  size_t p = S.find(SubStr);
  if (SubStr.empty() || p == std::string::npos) return std::string();
  return S.substr(p + SubStr.size());
}

std::string GetStrBefore(const std::string& S, const std::string& SubStr) {
  size_t p = S.find(SubStr);
  if (SubStr.empty() || p == std::string::npos) return S;
  return S.substr(0, p);
}

void GetScriptLineWords(const std::string& Line, std::string& Word2, std::string& Word1) {
  Word1.clear();
  Word2.clear();
  const std::string t = Trim(Line);
  if (t.empty()) return;
  Word1 = t.substr(0, 1);
  if (t[0] == '@' || t[0] == ';') return;
  if (t[0] == '/') {
    if (t.size() > 1) Word1 = t.substr(0, 2);
    return;
  }
  size_t i = 1;
  while (i < t.size() && IsIdentChar(t[i])) Word1 += t[i++];
  while (i < t.size() && !IsIdentChar(t[i])) ++i;
  while (i < t.size() && IsIdentChar(t[i])) Word2 += t[i++];
}

void GetErrorLineCol(const std::string& ErrText, int& Line, int& Col) {
  Line = 0;
  Col = 0;
  size_t p = ErrText.find("line");
  if (p == std::string::npos) return;
  int value = 0;
  if (!DigitsAt(ErrText, p + 5, value)) return;
  Line = value;
  p = ErrText.find("column");
  if (p != std::string::npos && DigitsAt(ErrText, p + 7, value)) Col = value;
}

std::string GetLastNonBlankChar(const std::string& S) {
  const std::string t = TrimRight(S);
  return t.empty() ? std::string() : t.substr(t.size() - 1);
}

int FindLeadingCommentStart(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  if (S.compare(i, 2, "/*") == 0) return static_cast<int>(i) + 1;
  return 0;
}

int FindTrailingCommentEnd(const std::string& S) {
  const std::string t = TrimRight(S);
  if (t.size() >= 2 && t.compare(t.size() - 2, 2, "*/") == 0) return static_cast<int>(t.size());
  return 0;
}

static std::string StripQuoteChar(const std::string& S, char q) {
  std::string r = S;
  if (!r.empty() && r.front() == q) r.erase(0, 1);
  if (!r.empty() && r.back() == q) r.pop_back();
  return r;
}

std::string StripSingleQuotes(const std::string& S) {
  return StripQuoteChar(S, '\'');
}
std::string StripDoubleQuotes(const std::string& S) {
  return StripQuoteChar(S, '"');
}

std::string ReplaceLineBreaksWithBlanks(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  return r;
}

std::string CapitalizeFirstLetter(const std::string& S) {
  if (S.empty()) return S;
  return UpperCase(S.substr(0, 1)) + LowerCase(S.substr(1));
}

std::string DoubleSingleQuotes(const std::string& S) {
  std::string r;
  r.reserve(S.size() + 8);
  for (char c : S) {
    if (c == '\'') r += '\'';
    r += c;
  }
  return r;
}

void LowerCaseStrings(TStrings& Strings) {
  Strings.BeginUpdate();
  for (int i = 0; i < Strings.Count(); ++i) Strings.SetStrings(i, LowerCase(Strings.Strings(i)));
  Strings.EndUpdate();
}

std::string GetTextBeforeTab(const std::string& S) {
  const std::string t = Trim(S);
  size_t p = t.find('\t');
  return p == std::string::npos ? t : t.substr(0, p);
}

bool HasCrLfLineBreaks(const std::string& S) {
  for (size_t i = 0; i < S.size(); ++i) {
    if (S[i] == '\r' && i + 1 < S.size() && S[i + 1] == '\n') return true;
    if (S[i] == '\n' && i + 1 < S.size() && S[i + 1] != '\r' && S[i + 1] != '\n') return false;
  }
  return false;
}

}  // namespace tess
