// See editormodel.h.  This file: construction, the ring of editors sharing one text,
// properties, coordinates, events and following changes made to the shared text.  The
// rest of the class is in editormodel_{caret,edit,search,text,scroll}.cpp.
#include "components/editor/editormodel.h"

#include <algorithm>
#include <cstring>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"
#include "components/editor/paratext.h"

namespace tess {

namespace {
const char kDefaultDelimiters[] = {9,  39, 13, 10, 32, 44, 46, 47, 63, 59, 58, 96,
                                   34, 60, 62, 91, 93, 123, 125, 45, 61, 92, 43, 124,
                                   40, 41, 37, 64, 38, 94, 36, 35, 33, 126, 42, 0};

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
  KeepViewInRange();
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

uint16_t TEditorModel::EffectiveColumn(const char* Text, int32_t CharPos) const {
  auto len = static_cast<int32_t>(std::strlen(Text));
  return static_cast<uint16_t>(ScreenColumnOfPos(Text, len, CharPos, TabSize()));
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
  KeepViewInRange();
}

void TEditorModel::TextRewrapped() {
  ScrollBarsChanged();
  InvalidateAll();
  KeepViewInRange();
}

}  // namespace tess
