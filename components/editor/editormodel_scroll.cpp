// The editor model's scroll arithmetic: the scroll bars' ranges (scaled when the line
// count passes what a scroll bar holds), thumb to line, scrolling by rows and columns, and
// the mouse's point to line and column.
#include "components/editor/editormodel.h"

#include <algorithm>

#include "components/editor/paratext.h"

namespace tess {

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

int32_t TEditorModel::MaxLeftColumn() const {
  // With word wrap nothing lies right of the wrap column but the blanks at a break: the
  // view goes no further than the horizontal bar ranges, and nowhere when the wrap column
  // fits the window (there is no bar to come back with).
  if (!list_->WordWrap()) return kMaxLongInt;
  return std::max(0, list_->WrapColumn() - cols_);
}

void TEditorModel::KeepViewInRange() {
  const int32_t maxTop = std::max(1, GetLineCount() - (rows_ - 1));
  const int32_t dRows = std::min(0, maxTop - GetTopLine());
  const int32_t dCols = std::min(0, MaxLeftColumn() - left_col_);
  if (dRows != 0 || dCols != 0) Scroll(dCols, dRows);
}

void TEditorModel::Scroll(int32_t DCols, int32_t DRows) {
  int32_t left = std::clamp(left_col_ + DCols, 0, MaxLeftColumn());
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
