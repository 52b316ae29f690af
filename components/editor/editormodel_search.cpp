// The editor model's search and replace: forwards or backwards, by case or not, whole
// words, over the selection, from the caret or the whole text; replacing once or all as
// one undo group.
#include "components/editor/editormodel.h"

#include <algorithm>
#include <cstring>

#include "components/core/strutils.h"

namespace tess {

// --- search and replace ------------------------------------------------------------------------

bool TEditorModel::MatchAt(const char* Text, int32_t Len, int32_t Off, const std::string& Pat,
                           bool MatchCase, bool WholeWord) const {
  auto n = static_cast<int32_t>(Pat.size());
  if (Off < 0 || Off + n > Len) return false;
  if (MatchCase) {
    if (std::memcmp(Text + Off, Pat.data(), static_cast<size_t>(n)) != 0) return false;
  } else {
    for (int32_t i = 0; i < n; ++i)
      if (UpCaseChar(Text[Off + i]) != Pat[static_cast<size_t>(i)]) return false;
  }
  if (WholeWord) {
    if (Off > 0 && !IsDelimiter(Text[Off - 1])) return false;
    if (Off + n < Len && !IsDelimiter(Text[Off + n])) return false;
  }
  return true;
}

int32_t TEditorModel::SearchReplace(const std::string& Find, const std::string& Replace,
                                    uint8_t Options) {
  // An empty pattern matches nothing.
  if (Find.empty()) return -1;
  const bool replacing = (Options & (srReplace | srReplaceAll)) != 0;
  if (replacing && (Replace.empty() || ReadOnly)) return 0;
  const bool back = (Options & srBackward) != 0;
  const bool matchCase = (Options & srMatchCase) != 0;
  const bool whole = (Options & srWholeWord) != 0;
  std::string pat = Find;
  if (!matchCase)
    for (char& c : pat) c = UpCaseChar(c);
  const auto plen = static_cast<int32_t>(Find.size());
  const auto rlen = static_cast<int32_t>(Replace.size());
  int32_t count = 0;
  TUndoBuffer& u = list_->UndoBuffer();
  TUndoGroup group(u);

  if (replacing && HasSelection() && sel_start_.Para == sel_end_.Para &&
      sel_end_.Pos - sel_start_.Pos == plen) {
    const char* t = list_->GetParaNode(sel_start_.Para)->GetText();
    int32_t len = list_->GetParaLength(sel_start_.Para);
    if (MatchAt(t, len, sel_start_.Pos - 1, pat, matchCase, false)) {
      if (uint16_t code = list_->ReplaceText(this, sel_start_.Para, rlen, Replace.c_str(), plen,
                                             sel_start_.Pos)) {
        Report(code);
        return code;
      }
      ++count;
      TPos e{sel_start_.Para, sel_start_.Pos + rlen};
      SetSel(back ? e : sel_start_, back ? sel_start_ : e);
      if (!(Options & srReplaceAll)) {
        // go on to the next occurrence and select it
      }
    }
  }
  // The scope, as paragraph positions (end exclusive).
  TPos from, to;
  if (Options & srSelectedOnly) {
    from = sel_start_;
    to = sel_end_;
  } else if (Options & srGlobal) {
    from = {1, 1};
    to = {GetParaCount(), list_->GetParaLength(GetParaCount()) + 1};
  } else if (back) {
    from = {1, 1};
    to = std::min(caret_, sel_start_);
    if (HasSelection()) to = sel_start_;
  } else {
    from = HasSelection() ? sel_end_ : caret_;
    to = {GetParaCount(), list_->GetParaLength(GetParaCount()) + 1};
  }
  TPos last{0, 0};
  bool found = false;
  int32_t lines = GetLineCount();
  // Paragraph by paragraph in the search's direction; within a paragraph, the matches
  // after (forwards) or before (backwards) the previous one.
  const int32_t step = back ? -1 : 1;
  for (int32_t p = back ? to.Para : from.Para; p >= from.Para && p <= to.Para && p <= GetParaCount();
       p += step) {
    int32_t lo = p == from.Para ? from.Pos - 1 : 0;
    int32_t hi = kMaxLongInt;  // matches end at or before
    for (;;) {
      TParaNode* n = list_->GetParaNode(p);
      const char* t = n->GetText();
      int32_t len = n->Length;
      int32_t end = std::min({len, hi, p == to.Para ? to.Pos - 1 : kMaxLongInt});
      int32_t hit = -1;
      for (int32_t i = back ? end - plen : lo; back ? i >= lo : i + plen <= end; i += step) {
        // a quick first-character test before the full comparison
        char c = matchCase ? t[i] : UpCaseChar(t[i]);
        if (c == pat[0] && MatchAt(t, len, i, pat, matchCase, whole)) {
          hit = i;
          break;
        }
      }
      if (hit < 0) break;
      found = true;
      TPos a{p, hit + 1}, b{p, hit + 1 + plen};
      if (!(Options & srReplaceAll)) {
        if (back) SetSel(b, a);
        else SetSel(a, b);
        FollowCaret(-1);
        InvalidateAll();
        return count > 0 ? count : 0;
      }
      if (uint16_t code = list_->ReplaceText(this, p, rlen, Replace.c_str(), plen, hit + 1)) {
        Report(code);
        return code;
      }
      ++count;
      if (p == to.Para) to.Pos += rlen - plen;
      last = a;
      if (back) hi = hit;  // before the replacement
      else lo = hit + rlen;  // behind it: "a" -> "aa" never loops
    }
  }
  if (count > 0) {
    if (last.Para > 0) {
      TPos e{last.Para, last.Pos + rlen};
      SetSel(last, e);
    }
    if (GetLineCount() != lines) ScrollBarsChanged();
    FollowCaret(-1);
    InvalidateAll();
    return count;
  }
  return found ? 0 : -1;
}

bool TEditorModel::Search(const std::string& S, uint8_t Options) {
  return SearchReplace(S, std::string(), static_cast<uint8_t>(Options & ~(srReplace | srReplaceAll))) == 0;
}

}  // namespace tess
