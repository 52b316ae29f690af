// The editor model's reading of its text (lines, paragraphs, the current word, the whole
// text and the selection, as strings or into callers' buffers) and its ten markers.
#include "components/editor/editormodel.h"

#include <algorithm>
#include <cstring>

#include "components/core/exceptions.h"
#include "components/editor/paratext.h"

namespace tess {

// --- reading -------------------------------------------------------------------------------

int32_t TEditorModel::GetLineLength(int32_t LineNum) {
  if (LineNum < 1 || LineNum > GetLineCount()) throw EInvalidLineOrPara();
  const char* t;
  int32_t len;
  list_->GetLineText(LineNum, t, len);
  return len;
}

char* TEditorModel::GetLine(int32_t LineNum, char* Dest, int32_t DestLen) {
  if (LineNum < 1 || LineNum > GetLineCount()) throw EInvalidLineOrPara();
  if (DestLen <= 0) return Dest;
  const char* t;
  int32_t len;
  list_->GetLineText(LineNum, t, len);
  len = std::min(len, DestLen - 1);
  std::memcpy(Dest, t, static_cast<size_t>(len));
  Dest[len] = 0;
  return Dest;
}

void TEditorModel::GetStringLine(int32_t LineNum, std::string& S) {
  if (LineNum < 1 || LineNum > GetLineCount()) throw EInvalidLineOrPara();
  const char* t;
  int32_t len;
  list_->GetLineText(LineNum, t, len);
  S = ExpandTabs(t, len, TabSize());
}

int32_t TEditorModel::GetPrintableLine(int32_t LineNum, char* Dest, int32_t DestLen) {
  std::string s;
  GetStringLine(LineNum, s);
  if (DestLen <= 0) return 0;
  auto len = std::min(static_cast<int32_t>(s.size()), DestLen - 1);
  std::memcpy(Dest, s.data(), static_cast<size_t>(len));
  Dest[len] = 0;
  return len;
}

const char* TEditorModel::GetPara(int32_t ParaNum) {
  TParaNode* n = list_->GetParaNode(ParaNum);
  if (!n) throw EInvalidLineOrPara();
  return n->GetText();
}

std::string TEditorModel::GetCurrentWord() {
  const char* t = list_->GetParaNode(caret_.Para)->GetText();
  int32_t len = list_->GetParaLength(caret_.Para);
  int32_t i = caret_.Pos - 1;
  if (i >= len || IsDelimiter(t[i])) return {};
  int32_t b = i, e = i;
  while (b > 0 && !IsDelimiter(t[b - 1])) --b;
  while (e < len && !IsDelimiter(t[e])) ++e;
  return std::string(t + b, static_cast<size_t>(e - b));
}

int32_t TEditorModel::GetText(char* Dest, int32_t DestLen) {
  if (DestLen <= 0) return 0;
  int64_t room = DestLen - 1, out = 0, t = 0;
  for (TParaNode* n = list_->Head(); n; n = n->Next) {
    t += n->Length + 2;
    int64_t k = std::min<int64_t>(n->Length, room - out);
    std::memcpy(Dest + out, n->GetText(), static_cast<size_t>(k));
    out += k;
    if (room - out >= 2) {
      Dest[out++] = '\r';
      Dest[out++] = '\n';
    }
  }
  Dest[out] = 0;
  return static_cast<int32_t>(std::min<int64_t>(DestLen - 1, t + 1));
}

std::string TEditorModel::GetTextString() {
  std::string s;
  s.reserve(static_cast<size_t>(GetTextLength()) + 2);
  for (TParaNode* n = list_->Head(); n; n = n->Next) {
    s.append(n->GetText(), n->Length);
    s += "\r\n";
  }
  return s;
}

// The selected text; several paragraphs are joined by CR LF, with none after the last
// part, so that cut and paste give back the same text.
std::string TEditorModel::GetSelText() {
  std::string s;
  if (!HasSelection()) return s;
  TParaNode* n = list_->GetParaNode(sel_start_.Para);
  auto part = [&](TParaNode* N, int32_t From, int32_t To) {  // 1-based, To exclusive
    From = std::min<int32_t>(From, N->Length + 1);
    To = std::clamp<int32_t>(To, From, N->Length + 1);
    s.append(N->GetText() + From - 1, static_cast<size_t>(To - From));
  };
  if (sel_start_.Para == sel_end_.Para) {
    part(n, sel_start_.Pos, sel_end_.Pos);
    return s;
  }
  part(n, sel_start_.Pos, kMaxLongInt);
  for (int32_t p = sel_start_.Para + 1; p <= sel_end_.Para; ++p) {
    n = n->Next;
    s += "\r\n";
    part(n, 1, p == sel_end_.Para ? sel_end_.Pos : kMaxLongInt);
  }
  return s;
}

int32_t TEditorModel::GetSelTextLen() { return static_cast<int32_t>(GetSelText().size()); }

int32_t TEditorModel::GetSelTextBuf(char* Dest, int32_t DestLen) {
  if (DestLen <= 0) return 0;
  std::string s = GetSelText();
  auto n = std::min(static_cast<int32_t>(s.size()), DestLen - 1);
  std::memcpy(Dest, s.data(), static_cast<size_t>(n));
  Dest[n] = 0;
  return n;
}

int32_t TEditorModel::GetMarkerPosition(int32_t Index, int32_t& Col) {
  int32_t p, pos;
  if (!list_->GetMarker(Index, p, pos)) return -1;
  return list_->LineOfParaPos(p, pos, Col);
}

// --- markers -------------------------------------------------------------------------------

void TEditorModel::SetMarker(int32_t Index) {
  if (Index < 0 || Index >= 10) return;
  list_->SetMarker(Index, caret_.Para, caret_.Pos);
  InvalidateAll();
}

void TEditorModel::SetMarkerAt(int32_t Index, int32_t Line, int32_t Col) {
  if (Line < 1 || Line > GetLineCount() || Col < 1) throw EInvalidLineOrCol();
  if (Index < 0 || Index >= 10) return;
  list_->SetMarkerAtLine(Index, Line, Col);
  InvalidateAll();
}

void TEditorModel::GotoMarker(int32_t Index) {
  int32_t p, pos;
  if (!list_->GetMarker(Index, p, pos)) return;
  MoveCaretTo({p, pos}, false);
}

}  // namespace tess
