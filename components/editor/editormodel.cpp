// See editormodel.h.
#include "components/editor/editormodel.h"

#include <algorithm>
#include <cstring>

#include "components/core/commands.h"
#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"
#include "components/editor/paratext.h"
#include "components/core/strutils.h"

namespace tess {

namespace {
const char kDefaultDelimiters[] = {9,  39, 13, 10, 32, 44, 46, 47, 63, 59, 58, 96,
                                   34, 60, 62, 91, 93, 123, 125, 45, 61, 92, 43, 124,
                                   40, 41, 37, 64, 38, 94, 36, 35, 33, 126, 42, 0};
constexpr int32_t kInsertPiece = 61440;
constexpr int32_t kInsertPieceMax = 65520;

// Texts of the error codes.
uint16_t MessageOf(uint16_t Code) {
  switch (Code) {
    case 263: return 34186;
    case 264: return 34197;
    case 265: return 34198;
    case 266: return 34199;
    case 267: return 34200;
    case 268: return 34201;
    default: return kUnknownError;
  }
}

// Cuts a line into pieces of at most Limit characters, after the last blank within the
// limit (or at it), as long lines are cut when they are appended.
template <typename F>
void CutLine(const char* S, int32_t Len, int32_t Limit, F&& Piece) {
  while (Len > Limit) {
    auto n = static_cast<int32_t>(LastBlankBefore(S, static_cast<uint32_t>(Limit)));
    Piece(S, n);
    S += n;
    Len -= n;
  }
  Piece(S, Len);
}
}  // namespace

std::string EditorErrorText(uint16_t Code) { return ComponentString(MessageOf(Code)); }

TEditorModel::TEditorModel() {
  NewList(false, 8192);
  SetWordDelimiters(kDefaultDelimiters);
}

TEditorModel::~TEditorModel() { LeaveRing(); }

void TEditorModel::NewList(bool WordWrap, uint16_t UndoSize) {
  list_ = std::make_shared<TParaList>(this, WordWrap, UndoSize);
  caret_ = anchor_ = sel_start_ = sel_end_ = top_ = TPos{};
  left_col_ = 0;
  marked_.clear();
  marked_values_.clear();
  TextReplaced();
}

void TEditorModel::LeaveRing() {
  if (next_ != this) {
    if (list_->Owner() == this) list_->SetOwner(next_);
    prev_->next_ = next_;
    next_->prev_ = prev_;
    prev_ = next_ = this;
  } else {
    list_->SetOwner(nullptr);
  }
}

void TEditorModel::AttachTo(TEditorModel* Other) {
  if (!Other || Other == this || Other->list_ == list_) return;
  LeaveRing();
  list_ = Other->list_;
  TextReplaced();
  prev_ = Other;
  next_ = Other->next_;
  Other->next_->prev_ = this;
  Other->next_ = this;
  caret_ = anchor_ = sel_start_ = sel_end_ = top_ = TPos{};
  left_col_ = 0;
  ScrollBarsChanged();
  InvalidateAll();
}

void TEditorModel::DeleteAll(bool UpdateScreen) {
  TParaList& old = *list_;
  int32_t byteLimit = old.ByteLimit(), paraLimit = old.ParaLimit(),
          lenLimit = old.ParaLengthLimit(), wrapCol = old.WrapColumn();
  bool wrap = old.WordWrap();
  uint8_t tab = old.TabSize();
  uint16_t undo = old.UndoBufferSize();
  LeaveRing();
  NewList(false, undo);
  list_->SetByteLimit(byteLimit);
  list_->SetParaLimit(paraLimit);
  list_->SetParaLengthLimit(lenLimit);
  list_->SetWrapColumn(wrapCol);
  list_->SetTabSize(tab);
  list_->SetWordWrap(wrap);
  if (UpdateScreen) {
    ScrollBarsChanged();
    InvalidateAll();
  }
}

// --- properties ------------------------------------------------------------------------

void TEditorModel::SetScrollPastEnd(bool V) {
  scroll_past_end_ = V;
  if (V) SetWordWrap(false);
}

void TEditorModel::SetWordWrap(bool V) {
  if (V) {
    wrap_at_left_ = true;
    scroll_past_end_ = false;
  }
  list_->SetWordWrap(V);
}

void TEditorModel::SetWrapAtLeft(bool V) {
  if (!V && WordWrap()) return;
  wrap_at_left_ = V;
}

void TEditorModel::SetWrapColumn(int32_t V) {
  if (V > 0) list_->SetWrapColumn(V);
}

void TEditorModel::SetTabSize(uint8_t V) {
  if (V > 0) list_->SetTabSize(V);
}

void TEditorModel::SetParaLengthLimit(int32_t V) {
  if (V < 1 || V > 32767) return;
  list_->SetParaLengthLimit(V);
  ScrollBarsChanged();
}

void TEditorModel::SetParaLimit(int32_t V) {
  if (V > 0) list_->SetParaLimit(V);
}

void TEditorModel::SetByteLimit(int32_t V) {
  if (V > -1) list_->SetByteLimit(V);
}

void TEditorModel::SetWordDelimiters(const std::string& S) {
  if (S.empty()) return;
  delimiters_ = S;
  delim_set_.reset();
  for (char c : S) delim_set_.set(static_cast<uint8_t>(c));
}

void TEditorModel::SetMetrics(int32_t CharWidth, int32_t RowHeight, int32_t LeftMargin,
                              int32_t RightMargin, int32_t ClientWidth, int32_t ClientHeight) {
  char_width_ = std::max(1, CharWidth);
  row_height_ = std::max(1, RowHeight);
  left_margin_ = LeftMargin;
  right_margin_ = RightMargin;
  client_width_ = ClientWidth;
  client_height_ = ClientHeight;
  cols_ = std::max(1, (ClientWidth - LeftMargin - RightMargin) / char_width_);
  rows_ = std::max(1, ClientHeight / row_height_);
  if (WrapToWindow && WordWrap()) list_->SetWrapColumn(std::max(1, cols_ - 2));
}

// --- coordinates -------------------------------------------------------------------------

int32_t TEditorModel::LineOf(const TPos& P, int32_t& Col) {
  return list_->LineOfParaPos(P.Para, P.Pos, Col);
}

TEditorModel::TPos TEditorModel::PosOfLineCol(int32_t Line, int32_t Col) {
  int32_t off;
  int32_t p = list_->ParaPosOfLine(Line, off);
  return {p, off + Col};
}

int32_t TEditorModel::CaretLine() {
  int32_t c;
  return LineOf(caret_, c);
}

int32_t TEditorModel::CaretCol() {
  int32_t c;
  LineOf(caret_, c);
  return c;
}

int32_t TEditorModel::CaretScreenColumn() {
  int32_t c;
  int32_t l = LineOf(caret_, c);
  const char* t;
  int32_t len;
  list_->GetLineText(l, t, len);
  return ScreenColumnOfPos(t, len, c, TabSize());
}

int32_t TEditorModel::GetCaretPosition(int32_t& Col) { return LineOf(caret_, Col); }

// The largest column a caret may take on a line: past the end only on a paragraph's
// last line (elsewhere the next line begins there).
int32_t TEditorModel::LineMaxCol(int32_t Line) {
  const char* t;
  int32_t len;
  TParaNode* n = list_->GetLineText(Line, t, len);
  if (scroll_past_end_) return ParaLengthLimit() + 1;
  if (n && t + len < n->GetText() + n->Length) return std::max(1, len);
  return len + 1;
}

int32_t TEditorModel::GetTopLine() {
  int32_t c;
  return LineOf(top_, c);
}

void TEditorModel::SetTopLineRaw(int32_t Line) {
  int32_t off;
  int32_t p = list_->ParaPosOfLine(Line, off);
  top_ = {p, off + 1};
}

void TEditorModel::SetTopLine(int32_t Line) {
  if (Line < 1 || Line > GetLineCount()) throw EInvalidLineOrPara();
  int32_t maxTop = std::max(1, GetLineCount() - rows_ + 1);
  Scroll(0, std::min(Line, maxTop) - GetTopLine());
}

// --- events ----------------------------------------------------------------------------

void TEditorModel::DoOnChange() {
  if (OnChange) OnChange();
}

void TEditorModel::DoError(uint16_t Code) {
  if (Code == 0) return;
  if (OnError) {
    OnError(Code);
    return;
  }
  throw EEditorError(EditorErrorText(Code), Code);
}

void TEditorModel::DoOnShowStatus(int32_t Line, int32_t Col) {
  if (OnShowStatus) OnShowStatus(Line, Col);
}

void TEditorModel::DoOnTopLineChanged(int32_t Line) {
  if (OnTopLineChanged) OnTopLineChanged(Line);
}

void TEditorModel::DoOnUserCommand(uint16_t Command) {
  if (OnUserCommand) OnUserCommand(Command);
}

// --- following the shared text ---------------------------------------------------------

void TEditorModel::MarkedAdjust(const TPosChange& C) {
  if (marked_.empty()) return;
  std::vector<int32_t> out, values;
  out.reserve(marked_.size());
  for (size_t i = 0; i < marked_.size(); ++i) {
    int32_t p = marked_[i];
    int32_t pos = 1;
    if (C.What == TPosChange::ParaDeleted && p == C.Para) continue;
    if (C.What == TPosChange::Split) {
      if (p > C.Para) ++p;
    } else {
      AdjustPosition(C, p, pos);
    }
    out.push_back(p);
    if (i < marked_values_.size()) values.push_back(marked_values_[i]);
  }
  marked_.swap(out);
  marked_values_.swap(values);
}

void TEditorModel::AdjustPositions(const TPosChange& C, TParaListEditor* /*Editor*/) {
  for (TPos* p : {&caret_, &anchor_, &sel_start_, &sel_end_}) AdjustPosition(C, p->Para, p->Pos);
  // The top line keeps its text; in deleted text it takes the deletion's place.
  AdjustPosition(C, top_.Para, top_.Pos);
  MarkedAdjust(C);
}

void TEditorModel::TextChanged(TParaListEditor* Editor) {
  int32_t n = list_->ParaCount();
  for (TPos* p : {&caret_, &anchor_, &sel_start_, &sel_end_, &top_}) {
    p->Para = std::clamp(p->Para, 1, n);
    p->Pos = std::max(1, p->Pos);
  }
  if (sel_end_ < sel_start_) std::swap(sel_start_, sel_end_);
  if (Editor != this) {
    ScrollBarsChanged();
    InvalidateAll();
  }
}

void TEditorModel::TextRewrapped() {
  ScrollBarsChanged();
  InvalidateAll();
}

// --- caret movement ---------------------------------------------------------------------

void TEditorModel::SetSel(TPos Anchor, TPos Caret) {
  anchor_ = Anchor;
  caret_ = Caret;
  sel_start_ = std::min(Anchor, Caret);
  sel_end_ = std::max(Anchor, Caret);
}

void TEditorModel::FollowCaret(int32_t ScreenRow) {
  int32_t col;
  int32_t line = LineOf(caret_, col);
  int32_t top = GetTopLine();
  int32_t newTop = top;
  if (ScreenRow >= 0) {
    newTop = line - ScreenRow;
  } else if (line < top) {
    newTop = line;
  } else if (line > top + rows_ - 1) {
    newTop = line - rows_ + 1;
  }
  int32_t e = CaretScreenColumn();
  int32_t left = left_col_;
  if (e <= left) left = e > 2 ? e - 1 : 0;
  else if (e > left + cols_) left = e - cols_;
  Scroll(left - left_col_, newTop - top);
  PlaceCaret();
  DoOnShowStatus(line, col);
}

void TEditorModel::MoveCaret(int32_t DCol, int32_t DLine, bool ExplicitColumn, bool Extend,
                             bool KeepScreenRow) {
  int32_t col;
  int32_t line = LineOf(caret_, col);
  int32_t top = GetTopLine();
  int32_t row = -1;
  if (KeepScreenRow && line >= top && line < top + rows_) row = line - top;
  int32_t newLine = std::clamp(line + DLine, 1, GetLineCount());
  if (newLine != line && !ExplicitColumn) {
    const char* t;
    int32_t len;
    list_->GetLineText(line, t, len);
    int32_t screen = ScreenColumnOfPos(t, len, col, TabSize());
    list_->GetLineText(newLine, t, len);
    col = PosOfScreenColumn(t, len, screen, TabSize());
  }
  col = std::clamp(col + DCol, 1, LineMaxCol(newLine));
  TPos p = PosOfLineCol(newLine, col);
  if (Extend) SetSel(anchor_, p);
  else SetSel(p, p);
  if (KeepScreenRow && row >= 0) {
    FollowCaret(row);
  } else {
    FollowCaret(-1);
  }
}

void TEditorModel::MoveCaretTo(TPos P, bool Extend) {
  P.Para = std::clamp(P.Para, 1, GetParaCount());
  P.Pos = std::max(1, P.Pos);
  if (Extend) SetSel(anchor_, P);
  else SetSel(P, P);
  FollowCaret(-1);
}

void TEditorModel::MoveCaretToLineCol(int32_t Line, int32_t Col, bool Extend) {
  Line = std::clamp(Line, 1, GetLineCount());
  Col = std::clamp(Col, 1, LineMaxCol(Line));
  MoveCaretTo(PosOfLineCol(Line, Col), Extend);
}

void TEditorModel::CaretLeft(bool Extend) {
  int32_t col;
  int32_t line = LineOf(caret_, col);
  if (col > 1) {
    MoveCaret(-1, 0, true, Extend, false);
  } else if (line > 1 && wrap_at_left_) {
    MoveCaretToLineCol(line - 1, LineMaxCol(line - 1) == ParaLengthLimit() + 1
                                     ? list_->GetParaLength(PosOfLineCol(line - 1, 1).Para) + 1
                                     : LineMaxCol(line - 1),
                       Extend);
  } else {
    MoveCaret(0, 0, true, Extend, false);
  }
}

void TEditorModel::CaretRight(bool Extend) {
  int32_t len = list_->GetParaLength(caret_.Para);
  if (!scroll_past_end_ && caret_.Pos > len && caret_.Para < GetParaCount())
    MoveCaretTo({caret_.Para + 1, 1}, Extend);
  else if (caret_.Pos <= len || scroll_past_end_)
    MoveCaretTo({caret_.Para, std::min(caret_.Pos + 1, scroll_past_end_ ? ParaLengthLimit() + 1 : len + 1)},
                Extend);
  else
    MoveCaretTo(caret_, Extend);
}

void TEditorModel::CaretEnd(bool Extend) {
  int32_t line = CaretLine();
  const char* t;
  int32_t len;
  TParaNode* n = list_->GetLineText(line, t, len);
  bool lastLine = !n || t + len >= n->GetText() + n->Length;
  MoveCaretToLineCol(line, lastLine ? len + 1 : std::max(1, len), Extend);
}

void TEditorModel::WordLeft(bool Extend) {
  int32_t p = caret_.Pos;
  if (p <= 1) {
    if (caret_.Para > 1) MoveCaretTo({caret_.Para - 1, list_->GetParaLength(caret_.Para - 1) + 1}, Extend);
    return;
  }
  const char* t = list_->GetParaNode(caret_.Para)->GetText();
  int32_t len = list_->GetParaLength(caret_.Para);
  int32_t i = std::min(p - 1, len);  // characters before the caret: t[0..i)
  while (i > 0 && IsDelimiter(t[i - 1])) --i;
  while (i > 0 && !IsDelimiter(t[i - 1])) --i;
  MoveCaretTo({caret_.Para, i + 1}, Extend);
}

void TEditorModel::WordRight(bool Extend) {
  const char* t = list_->GetParaNode(caret_.Para)->GetText();
  int32_t len = list_->GetParaLength(caret_.Para);
  int32_t i = caret_.Pos - 1;
  if (i >= len) {
    if (caret_.Para < GetParaCount()) MoveCaretTo({caret_.Para + 1, 1}, Extend);
    return;
  }
  while (i < len && !IsDelimiter(t[i])) ++i;
  while (i < len && IsDelimiter(t[i])) ++i;
  MoveCaretTo({caret_.Para, i + 1}, Extend);
}

void TEditorModel::TopOrBottomOfPage(bool Bottom, bool Extend) {
  int32_t line = CaretLine(), top = GetTopLine();
  bool visible = line >= top && line < top + rows_;
  if (!visible) {
    if (!Extend) Scroll(0, line - top);
    return;
  }
  int32_t target = Bottom ? std::min(top + rows_ - 1, GetLineCount()) : top;
  MoveCaret(0, target - line, false, Extend, false);
}

void TEditorModel::Deselect(bool CaretAtEnd) {
  TPos p = CaretAtEnd ? sel_end_ : sel_start_;
  SetSel(p, p);
  InvalidateAll();
}

void TEditorModel::SetSelection(int32_t StartLine, int32_t StartCol, int32_t EndLine,
                                int32_t EndCol, bool CaretAtEnd) {
  if (GetTextLength() == 0 && GetParaCount() == 1) return;
  auto clampLC = [&](int32_t& L, int32_t& C) {
    L = std::clamp(L, 1, GetLineCount());
    int32_t len = GetLineLength(L);
    C = std::clamp(C, 1, len + 1);
  };
  clampLC(StartLine, StartCol);
  clampLC(EndLine, EndCol);
  TPos a = PosOfLineCol(StartLine, StartCol), b = PosOfLineCol(EndLine, EndCol);
  if (CaretAtEnd) SetSel(a, b);
  else SetSel(b, a);
  FollowCaret(-1);
  InvalidateAll();
}

void TEditorModel::SetCaretPosition(int32_t Line, int32_t Col) {
  if (Line < 1 || Line > GetLineCount() || Col < 1) throw EInvalidLineOrPara();
  MoveCaretToLineCol(Line, Col, false);
}

bool TEditorModel::GetSelection(int32_t& StartLine, int32_t& StartCol, int32_t& EndLine,
                                int32_t& EndCol) {
  StartLine = LineOf(sel_start_, StartCol);
  EndLine = LineOf(sel_end_, EndCol);
  return HasSelection();
}

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

void TEditorModel::SetModified(bool V) {
  list_->SetModified(V);
  if (!V) list_->UndoBuffer().MarkAllModified();
  for (TEditorModel* e = this;;) {
    e->InvalidateAll();
    e = e->next_;
    if (e == this) break;
  }
}

uint16_t TEditorModel::EffectiveColumn(const char* Text, int32_t CharPos) const {
  auto len = static_cast<int32_t>(std::strlen(Text));
  return static_cast<uint16_t>(ScreenColumnOfPos(Text, len, CharPos, TabSize()));
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

// --- changes ---------------------------------------------------------------------------------

void TEditorModel::Edited(int32_t OldLineCount) {
  if (GetLineCount() != OldLineCount || list_->LastChangedLine() == kMaxLongInt) {
    ScrollBarsChanged();
    InvalidateLines(list_->FirstChangedLine(), kMaxLongInt);
  } else {
    InvalidateLines(list_->FirstChangedLine(), list_->LastChangedLine());
  }
}

uint16_t TEditorModel::AppendPara(const char* Text) {
  auto len = static_cast<int32_t>(std::strlen(Text));
  if (uint16_t code = list_->CheckLimits(0, 1, len + 2)) return code;
  int32_t before = GetLineCount();
  uint16_t code = 0;
  CutLine(Text, len, ParaLengthLimit(), [&](const char* S, int32_t N) {
    if (code == 0) code = list_->AppendPara(S, N, TrimWhiteSpace);
  });
  if (before <= rows_ && GetLineCount() > rows_) {
    ScrollBarsChanged();
    InvalidateAll();
  }
  return code;
}

void TEditorModel::DeleteRange(TPos From, TPos To) {
  if (!(From < To)) return;
  int32_t lines = GetLineCount();
  if (From.Para == To.Para) {
    list_->DeleteText(this, From.Para, To.Pos - From.Pos, From.Pos);
  } else {
    uint16_t code = list_->DeleteBlock(this, From.Para, From.Pos, To.Para, To.Pos);
    if (code) {
      Report(code);
      return;
    }
  }
  SetSel(From, From);
  Edited(lines);
}

void TEditorModel::DeleteSelection() {
  if (!HasSelection() || ReadOnly) return;
  TPos a = sel_start_, b = sel_end_;
  DeleteRange(a, b);
}

void TEditorModel::ClearSelection() {
  if (ReadOnly || !HasSelection()) return;
  DeleteSelection();
  FollowCaret(-1);
}

uint16_t TEditorModel::Insert(const char* Text) {
  if (ReadOnly) return 0;
  TUndoBuffer& u = list_->UndoBuffer();
  bool saved = u.BeginGroup();
  DeleteSelection();
  int32_t lines = GetLineCount();
  int32_t para = caret_.Para, pos = caret_.Pos;
  auto total = static_cast<int32_t>(std::strlen(Text));
  uint16_t code = 0;
  // Large texts go in pieces that never cut a line break.
  for (int32_t off = 0; off < total && code == 0;) {
    int32_t n = std::min(kInsertPiece, total - off);
    while (off + n < total && n < kInsertPieceMax && (Text[off + n] == '\r' || Text[off + n] == '\n')) ++n;
    std::string piece(Text + off, static_cast<size_t>(n));
    code = list_->InsertTextBlock(this, para, piece.c_str(), pos);
    off += n;
  }
  u.EndGroup(saved);
  ScrollBarsChanged();
  InvalidateLines(list_->FirstChangedLine(), kMaxLongInt);
  (void)lines;
  MoveCaretTo({para, pos}, false);
  return code;
}

void TEditorModel::SetText(const char* Text) {
  DeleteAll(false);
  // Over-long lines are cut into further paragraphs, as loading does, rather than lost.
  std::string text;
  int32_t limit = ParaLengthLimit();
  for (const char* s = Text; *s;) {
    const char* e = s;
    while (*e && *e != '\n') ++e;
    const char* le = e;
    if (le > s && le[-1] == '\r') --le;
    bool first = true;
    CutLine(s, static_cast<int32_t>(le - s), limit, [&](const char* P, int32_t N) {
      if (!first) text += "\r\n";
      first = false;
      text.append(P, static_cast<size_t>(N));
    });
    text.append(le, static_cast<size_t>(e - le));
    if (*e == '\n') {
      text += '\n';
      ++e;
    }
    s = e;
  }
  bool ro = ReadOnly;
  ReadOnly = false;
  uint16_t code = Insert(text.c_str());
  ReadOnly = ro;
  MoveCaretTo({1, 1}, false);
  ScrollBarsChanged();
  InvalidateAll();
  if (code) Report(code);
}

void TEditorModel::Backspace() {
  if (ReadOnly) {
    CaretLeft(false);
    return;
  }
  if (HasSelection()) {
    DeleteSelection();
    FollowCaret(-1);
    return;
  }
  if (caret_.Para == 1 && caret_.Pos == 1) return;
  int32_t lines = GetLineCount();
  if (caret_.Pos == 1) {
    int32_t p = caret_.Para - 1;
    int32_t at = list_->GetParaLength(p) + 1;
    if (uint16_t code = list_->JoinPara(this, p, at)) {
      Report(code);
      return;
    }
    MoveCaretTo({p, at}, false);
  } else if (caret_.Pos - 1 > list_->GetParaLength(caret_.Para)) {
    MoveCaretTo({caret_.Para, caret_.Pos - 1}, false);  // beyond the end: only move
    return;
  } else {
    TPos p{caret_.Para, caret_.Pos - 1};
    list_->DeleteText(this, p.Para, 1, p.Pos);
    MoveCaretTo(p, false);
  }
  Edited(lines);
}

void TEditorModel::DeleteChar() {
  if (ReadOnly) return;
  if (HasSelection()) {
    DeleteSelection();
    FollowCaret(-1);
    return;
  }
  int32_t lines = GetLineCount();
  int32_t len = list_->GetParaLength(caret_.Para);
  if (caret_.Pos > len) {
    if (caret_.Para < GetParaCount())
      if (uint16_t code = list_->JoinPara(this, caret_.Para, caret_.Pos)) Report(code);
  } else {
    list_->DeleteText(this, caret_.Para, 1, caret_.Pos);
  }
  Edited(lines);
  FollowCaret(-1);
}

void TEditorModel::TypeChar(char Ch) {
  if (ReadOnly) return;
  TUndoBuffer& u = list_->UndoBuffer();
  bool grouped = HasSelection();
  bool saved = grouped ? u.BeginGroup() : false;
  DeleteSelection();
  int32_t lines = GetLineCount();
  uint16_t code;
  const bool overwrite = !InsertMode && caret_.Pos <= list_->GetParaLength(caret_.Para);
  if (overwrite)
    code = list_->ReplaceText(this, caret_.Para, 1, &Ch, 1, caret_.Pos);
  else
    code = list_->InsertText(this, caret_.Para, 1, &Ch, caret_.Pos);
  if (grouped) u.EndGroup(saved);
  if (code) {
    Report(code);
    return;
  }
  if (Ch == '/' || Ch == '*') InvalidateAll();
  else Edited(lines);
  // An insertion at the caret already moved it (positions at the change move on).
  MoveCaretTo(overwrite ? TPos{caret_.Para, caret_.Pos + 1} : caret_, false);
}

uint16_t TEditorModel::InsertBlanks(int32_t N) {
  if (N <= 0) return 0;
  std::string b(static_cast<size_t>(N), ' ');
  TUndoBuffer& u = list_->UndoBuffer();
  bool saved = u.BeginGroup();
  if (!InsertMode) list_->DeleteText(this, caret_.Para, N, caret_.Pos);
  TPos at = caret_;
  uint16_t code = list_->InsertText(this, at.Para, N, b.c_str(), at.Pos);
  u.EndGroup(saved);
  return code;
}

int32_t TEditorModel::SmartTabColumn(int32_t Line, int32_t ScreenCol) {
  if (Line < 1 || Line > GetLineCount()) return 0;
  std::string s;
  GetStringLine(Line, s);
  auto i = static_cast<size_t>(ScreenCol - 1);
  if (i >= s.size()) return 0;
  while (i < s.size() && s[i] != ' ') ++i;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i >= s.size()) return 0;
  return static_cast<int32_t>(i) + 1;
}

void TEditorModel::Tab() {
  if (ReadOnly) return;
  bool grouped = HasSelection();
  bool saved = grouped ? list_->UndoBuffer().BeginGroup() : false;
  DeleteSelection();
  int32_t lines = GetLineCount();
  if (TabType == ttReal) {
    if (grouped) list_->UndoBuffer().EndGroup(saved);
    TypeChar('\t');
    return;
  }
  int32_t e = CaretScreenColumn();
  int32_t n = TabSize() - (e - 1) % TabSize();
  if (TabType == ttSmart) {
    int32_t line = CaretLine();
    int32_t c = SmartTabColumn(line - 1, e);
    if (c == 0) c = SmartTabColumn(line + 1, e);
    if (c > e) n = c - e;
  }
  uint16_t code = InsertBlanks(n);
  if (grouped) list_->UndoBuffer().EndGroup(saved);
  if (code) Report(code);
  Edited(lines);
  MoveCaretTo(caret_, false);
}

void TEditorModel::NewLine() {
  if (ReadOnly || !InsertMode) {
    if (caret_.Para < GetParaCount()) MoveCaretTo({caret_.Para + 1, 1}, false);
    else MoveCaretTo({caret_.Para, list_->GetParaLength(caret_.Para) + 1}, false);
    return;
  }
  TUndoBuffer& u = list_->UndoBuffer();
  bool saved = u.BeginGroup();
  DeleteSelection();
  int32_t lines = GetLineCount();
  int32_t indent = 0;
  if (AutoIndent) {
    const char* t = list_->GetParaNode(caret_.Para)->GetText();
    int32_t len = list_->GetParaLength(caret_.Para);
    int32_t i = 0;
    while (i < len && IsBlank(t[i])) ++i;
    int32_t first = ScreenColumnOfPos(t, len, i + 1, TabSize());
    int32_t caretCol = ScreenColumnOfPos(t, len, caret_.Pos, TabSize());
    indent = std::min(first, caretCol) - 1;
  }
  uint16_t code = list_->CheckLimits(0, 1, indent + 2);
  if (code == 0) {
    int32_t para = caret_.Para;
    code = list_->SplitPara(this, para, true, indent, TabType == ttReal ? TabSize() : 0, caret_.Pos);
    if (code == 0) caret_ = anchor_ = sel_start_ = sel_end_ = TPos{para + 1, indent + 1};
  }
  u.EndGroup(saved);
  if (code) Report(code);
  Edited(lines);
  FollowCaret(-1);
}

void TEditorModel::KeyTab() { Tab(); }

void TEditorModel::KeyEnter() { NewLine(); }

// --- clipboard, undo ------------------------------------------------------------------------

void TEditorModel::CopyToClipboard() {
  if (!HasSelection() || !Clipboard) return;
  if (!Clipboard->SetText(GetSelText())) Report(kEdErrNoMemory);
}

void TEditorModel::CutToClipboard() {
  if (!HasSelection()) return;
  CopyToClipboard();
  if (ReadOnly) return;
  DeleteSelection();
  FollowCaret(-1);
}

void TEditorModel::PasteFromClipboard() {
  if (ReadOnly || !Clipboard || !Clipboard->HasText()) return;
  std::string t = Clipboard->GetText();
  uint16_t code = Insert(t.c_str());
  ScrollBarsChanged();
  InvalidateAll();
  if (code) Report(code);
}

void TEditorModel::Undo() {
  if (!GetCanUndo()) {
    MessageBeep();
    return;
  }
  int32_t p, pos;
  list_->Undo(this, p, pos);
  MoveCaretTo({p, pos}, false);
  ScrollBarsChanged();
  InvalidateAll();
}

void TEditorModel::Redo() {
  if (!GetCanRedo()) {
    MessageBeep();
    return;
  }
  int32_t p, pos;
  list_->Redo(this, p, pos);
  MoveCaretTo({p, pos}, false);
  ScrollBarsChanged();
  InvalidateAll();
}

// --- commands ---------------------------------------------------------------------------------

bool TEditorModel::ProcessCommand(uint16_t Command, char Ch) {
  if (Command >= ccUserFirst) {
    DoOnUserCommand(Command);
    return true;
  }
  int32_t page = std::max(1, rows_ - 1);
  auto lineRange = [&](bool ToCaret, bool FromCaret) {
    int32_t col;
    int32_t line = LineOf(caret_, col);
    TPos start = PosOfLineCol(line, 1);
    TPos end = PosOfLineCol(line, GetLineLength(line) + 1);
    if (ToCaret) end = caret_;
    if (FromCaret) start = caret_;
    return std::make_pair(start, end);
  };
  switch (Command) {
    case ccBack: Backspace(); break;
    case ccBotOfPage: TopOrBottomOfPage(true, false); break;
    case ccCopy: CopyToClipboard(); break;
    case ccCtrlChar: break;
    case ccCut: CutToClipboard(); break;
    case ccDel: DeleteChar(); break;
    case ccDelBol:
    case ccDelEol:
    case ccDelLine:
    case ccDelWord: {
      if (ReadOnly) break;
      TPos a, b;
      if (Command == ccDelBol) std::tie(a, b) = lineRange(true, false);
      else if (Command == ccDelEol) std::tie(a, b) = lineRange(false, true);
      else if (Command == ccDelLine) {
        int32_t line = CaretLine();
        a = PosOfLineCol(line, 1);
        if (line < GetLineCount()) b = PosOfLineCol(line + 1, 1);
        else b = PosOfLineCol(line, GetLineLength(line) + 1);
      } else {
        if (HasSelection()) {
          a = sel_start_;
          b = sel_end_;
        } else {
          const char* t = list_->GetParaNode(caret_.Para)->GetText();
          int32_t len = list_->GetParaLength(caret_.Para);
          int32_t i = caret_.Pos - 1;
          if (i < len && IsDelimiter(t[i]) && !IsBlank(t[i])) {
            ++i;
          } else {
            while (i < len && !IsDelimiter(t[i])) ++i;
            while (i < len && IsBlank(t[i])) ++i;
          }
          a = caret_;
          b = {caret_.Para, std::max(i + 1, caret_.Pos)};
        }
      }
      if (a < b) {
        TUndoBuffer& u = list_->UndoBuffer();
        bool saved = u.BeginGroup();
        SetSel(a, b);
        DeleteSelection();
        u.EndGroup(saved);
      }
      FollowCaret(-1);
      break;
    }
    case ccDown: MoveCaret(0, 1, false, false, false); break;
    case ccEnd: CaretEnd(false); break;
    case ccExtendDown: MoveCaret(0, 1, false, true, false); break;
    case ccExtendEnd: CaretEnd(true); break;
    case ccExtendHome: MoveCaret(1 - CaretCol(), 0, true, true, false); break;
    case ccExtendLeft: CaretLeft(true); break;
    case ccExtendPgDn: MoveCaret(0, page, false, true, true); break;
    case ccExtendPgUp: MoveCaret(0, -page, false, true, true); break;
    case ccExtendRight: CaretRight(true); break;
    case ccExtendUp: MoveCaret(0, -1, false, true, false); break;
    case ccExtBotOfPage: TopOrBottomOfPage(true, true); break;
    case ccExtFirstPage: MoveCaretTo({1, 1}, true); break;
    case ccExtLastPage: MoveCaretTo({GetParaCount(), list_->GetParaLength(GetParaCount()) + 1}, true); break;
    case ccExtTopOfPage: TopOrBottomOfPage(false, true); break;
    case ccExtWordLeft: WordLeft(true); break;
    case ccExtWordRight: WordRight(true); break;
    case ccFirstPage: MoveCaretTo({1, 1}, false); break;
    case ccHome: MoveCaret(1 - CaretCol(), 0, true, false, false); break;
    case ccIns: InsertMode = !InsertMode; break;
    case ccLastPage: MoveCaretTo({GetParaCount(), list_->GetParaLength(GetParaCount()) + 1}, false); break;
    case ccLeft: CaretLeft(false); break;
    case ccNewLine: NewLine(); break;
    case ccNextPage: MoveCaret(0, page, false, false, true); break;
    case ccPaste: PasteFromClipboard(); break;
    case ccPrevPage: MoveCaret(0, -page, false, false, true); break;
    case ccRedo: Redo(); break;
    case ccRight: CaretRight(false); break;
    case ccScrollDown: Scroll(0, 1); break;
    case ccScrollUp: Scroll(0, -1); break;
    case ccTab: Tab(); break;
    case ccTopOfPage: TopOrBottomOfPage(false, false); break;
    case ccUndo: Undo(); break;
    case ccUp: MoveCaret(0, -1, false, false, false); break;
    case ccWordLeft: WordLeft(false); break;
    case ccWordRight: WordRight(false); break;
    case kCmdChar: TypeChar(Ch); break;
    default:
      if (Command >= ccGotoMarker0 && Command <= ccGotoMarker9) {
        if (Ch >= '0' && Ch <= '9') GotoMarker(Ch - '0');
        break;
      }
      if (Command >= ccSetMarker0 && Command <= ccSetMarker9) {
        if (Ch >= '0' && Ch <= '9') SetMarker(Ch - '0');
        break;
      }
      return false;
  }
  switch (Command) {
    case ccBack: case ccCut: case ccDel: case ccDelBol: case ccDelEol: case ccDelLine:
    case ccDelWord: case ccNewLine: case ccPaste: case ccRedo: case ccTab: case ccUndo:
    case kCmdChar:
      DoOnChange();
      break;
    default: break;
  }
  return true;
}

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
  bool saved = u.BeginGroup();
  struct Guard {
    TUndoBuffer& U;
    bool Saved;
    ~Guard() { U.EndGroup(Saved); }
  } guard{u, saved};

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

// --- scrolling -----------------------------------------------------------------------------------

int32_t TEditorModel::VertScale() {
  int32_t r = std::max(0, GetLineCount() - (rows_ - 1));
  return r > 32767 ? (r / 32768) * 2 : 1;
}

TScrollRange TEditorModel::VertScrollRange() {
  TScrollRange s;
  if (ScrollBars != TScrollStyle::ssVertical && ScrollBars != TScrollStyle::ssBoth) return s;
  int32_t r = std::max(0, GetLineCount() - (rows_ - 1));
  int32_t scale = VertScale();
  int32_t max = r / scale;
  if (ScrollBarsAlways) max = std::max(max, 2);
  if (GetLineCount() <= rows_ && !ScrollBarsAlways) {
    s.Min = s.Max = 1;
  } else {
    s.Min = 1;
    s.Max = std::max(1, max);
  }
  s.Pos = GetTopLine() / scale;
  return s;
}

TScrollRange TEditorModel::HorzScrollRange() const {
  TScrollRange s;
  if (ScrollBars != TScrollStyle::ssHorizontal && ScrollBars != TScrollStyle::ssBoth) return s;
  int32_t max = std::min(list_->WordWrap() ? list_->WrapColumn() : list_->ParaLengthLimit(), 512);
  if (ScrollBarsAlways) max = std::max(max, 1);
  if (max > cols_ || ScrollBarsAlways) s.Max = max;
  s.Pos = left_col_;
  return s;
}

int32_t TEditorModel::LineOfThumb(int32_t P) {
  TScrollRange s = VertScrollRange();
  if (P <= 1) return 1;
  if (P >= s.Max) return std::max(1, GetLineCount() - rows_ + 1);
  return P * VertScale();
}

void TEditorModel::Scroll(int32_t DCols, int32_t DRows) {
  int32_t left = std::max(0, left_col_ + DCols);
  int32_t top = GetTopLine();
  int32_t newTop = std::max(1, std::min(top + DRows, GetLineCount() - (rows_ - 1)));
  if (left == left_col_ && newTop == top) {
    PlaceCaret();
    return;
  }
  int32_t dc = left - left_col_, dr = newTop - top;
  left_col_ = left;
  if (dr != 0) SetTopLineRaw(newTop);
  ScrollBarsChanged();
  ScrollWindowBy(dc, dr);
  if (dr != 0) DoOnTopLineChanged(newTop);
}

void TEditorModel::GetMouseLineCol(int32_t X, int32_t Y, int32_t& Line, int32_t& Col) {
  int32_t top = GetTopLine();
  if (Y < 0) {
    Line = top - 1;
  } else if (Y >= rows_ * row_height_) {
    Line = top + rows_;  // the partly visible bottom row counts as the row above it
    if (Y < client_height_) Line = top + rows_ - 1;
  } else {
    Line = Y / row_height_ + top;
  }
  Line = std::clamp(Line, 1, GetLineCount());
  int32_t screen;
  if (X >= client_width_ - right_margin_ && client_width_ > 0) {
    screen = cols_ + left_col_;
  } else {
    screen = (X - left_margin_ + char_width_ / 2) / char_width_ + 1 + left_col_;
  }
  const char* t;
  int32_t len;
  list_->GetLineText(Line, t, len);
  Col = screen < 1 ? 1 : PosOfScreenColumn(t, len, screen, TabSize());
  if (!scroll_past_end_) Col = std::min(Col, len + 1);
  Col = std::max(Col, 1);
}

}  // namespace tess
