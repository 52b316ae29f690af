// The editor model's caret movement and selection: moving by character, word, line and
// page, keeping the caret in view, and setting or reading the selection.
#include "components/editor/editormodel.h"

#include <algorithm>

#include "components/core/exceptions.h"
#include "components/editor/paratext.h"

namespace tess {

// --- caret movement ---------------------------------------------------------------------

void TEditorModel::SetSel(TPos Anchor, TPos Caret) {
  const TPos oldStart = sel_start_, oldEnd = sel_end_;
  anchor_ = Anchor;
  caret_ = Caret;
  sel_start_ = std::min(Anchor, Caret);
  sel_end_ = std::max(Anchor, Caret);
  // Every line whose shown selection changed is repainted, whichever command moved it:
  // the lines between the old and the new start, and between the old and the new end
  // (the whole of a selection that appears or goes).
  const bool had = !(oldStart == oldEnd), has = HasSelection();
  auto repaint = [this](TPos A, TPos B) {
    int32_t c;
    int32_t a = LineOf(A, c), b = LineOf(B, c);
    InvalidateLines(std::min(a, b), std::max(a, b));
  };
  if (had && has) {
    if (!(oldStart == sel_start_)) repaint(oldStart, sel_start_);
    if (!(oldEnd == sel_end_)) repaint(oldEnd, sel_end_);
  } else if (had) {
    repaint(oldStart, oldEnd);
  } else if (has) {
    repaint(sel_start_, sel_end_);
  }
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

}  // namespace tess
