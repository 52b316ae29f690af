// A plain reading of the paragraph list's wrapping rules, kept apart from the list's
// incremental walk, and a check of a whole list against it (line tables, line counts,
// byte count and the cached line lookups).  Used by the tests and the fuzz target.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "components/editor/paralist.h"

namespace tess {

// A plain reading of the wrapping rules, kept apart from the list's incremental walk.
inline std::vector<uint16_t> ReferenceWrap(const std::string& S, int32_t Wrap, int TabSize) {
  std::vector<uint16_t> starts{0};
  bool tabs = S.find('\t') != std::string::npos;
  if (static_cast<int32_t>(S.size()) <= Wrap && !tabs) return starts;
  size_t pos = 0;
  for (;;) {
    size_t rem = S.size() - pos, fit;
    if (!tabs) {
      fit = std::min<size_t>(rem, static_cast<size_t>(Wrap));
    } else {
      size_t col = 0;
      fit = 0;
      while (fit < rem) {
        size_t next = S[pos + fit] == '\t' ? (col / TabSize + 1) * TabSize : col + 1;
        if (next > static_cast<size_t>(Wrap)) break;
        col = next;
        ++fit;
      }
      if (fit == 0) fit = 1;
    }
    if (rem <= fit) break;
    size_t brk = fit;
    bool found = false;
    for (size_t i = fit + 1; i-- > 0;) {
      char c = S[pos + i];
      if (c == '-') { brk = i + 1; found = true; break; }
      if (c == ' ' || c == '\t') { brk = i; found = true; break; }
    }
    if (!found) brk = fit;
    size_t next = brk;
    while (pos + next < S.size() && (S[pos + next] == ' ' || S[pos + next] == '\t')) ++next;
    if (pos + next >= S.size()) break;
    pos += next;
    starts.push_back(static_cast<uint16_t>(pos));
  }
  return starts;
}

// "" when every paragraph's line table equals the reference and the list's counts and
// lookups agree with it; otherwise what differs first.
inline std::string WrapMismatch(TParaList& L) {
  int32_t lines = 0, bytes = -2, para = 0;
  for (TParaNode* n = L.Head(); n; n = n->Next) {
    ++para;
    std::string s(n->GetText(), n->Length);
    if (std::strlen(n->GetText()) != n->Length) return "length of paragraph " + std::to_string(para);
    auto ref = ReferenceWrap(s, L.EffectiveWrapColumn(), L.TabSize());
    if (n->LineCount != static_cast<int32_t>(ref.size()))
      return "line count of paragraph " + std::to_string(para) + ": " + s;
    for (size_t i = 0; i < ref.size(); ++i)
      if (n->LineStarts[i] != ref[i]) return "line start of paragraph " + std::to_string(para) + ": " + s;
    if (L.FirstLineOfPara(para) != lines + 1) return "first line of paragraph " + std::to_string(para);
    int32_t off;
    if (L.ParaPosOfLine(lines + n->LineCount, off) != para || off != ref.back())
      return "paragraph of line " + std::to_string(lines + n->LineCount);
    lines += n->LineCount;
    bytes += n->Length + 2;
  }
  if (para != L.ParaCount()) return "paragraph count";
  if (lines != L.LineCount()) return "line count";
  if (bytes != L.ByteCount()) return "byte count";
  return "";
}

}  // namespace tess
