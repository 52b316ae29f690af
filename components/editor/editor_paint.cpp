// The editor control's view: painting the rows the clip box touches (margin with the
// bookmark glyphs, each row's text in up to three opaque pieces around the selection,
// the rest of the row blank), invalidating rows, placing the caret and reporting its
// position through the control's private message.
//
// The background is never erased: every pixel of a painted row is drawn opaquely, so a
// repaint does not flicker.  While a full repaint is pending, row invalidations are
// dropped (the whole window is coming anyway); the flag is cleared by the next paint.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "components/editor/editor.h"
#include "components/editor/paratext.h"
#include "framework/win/dc_guards.h"
#include "platform/win32.h"

namespace tess {

namespace {

// The selected expanded columns [From, To) of display line Line, for a selection from
// (SL, SC) to (EL, EC) in expanded 1-based columns; empty when the line is outside it.
void SelectedColumns(int32_t Line, int32_t SL, int32_t SC, int32_t EL, int32_t EC,
                     int32_t& From, int32_t& To) {
  From = To = 0;
  if (SL == 0 || Line < SL || Line > EL) return;
  From = Line == SL ? SC - 1 : 0;
  To = Line == EL ? EC - 1 : kMaxLongInt;
  if (To < From) To = From;
}

}  // namespace

void TOvcEditBase::SetHideSelection(bool V) {
  if (V == hide_selection_) return;
  hide_selection_ = V;
  InvalidateAllRows();
}

void TOvcEditBase::SetShowBookmarks(bool V) {
  if (V == show_bookmarks_) return;
  show_bookmarks_ = V;
  // The glyphs are loaded again when next needed.
  markers_.reset();
  markers_missing_ = false;
  InvalidateAllRows();
}

void TOvcEditBase::SetMarkParagraphs(bool V) {
  if (V == mark_paragraphs_) return;
  mark_paragraphs_ = V;
  InvalidateAllRows();
}

void TOvcEditBase::InvalidateAllRows() {
  if (!HandleAllocated()) return;
  full_repaint_pending_ = true;
  InvalidateRect(static_cast<HWND>(Handle()), nullptr, FALSE);
}

void TOvcEditBase::InvalidateLines(int32_t FromLine, int32_t ToLine) {
  if (!HandleAllocated() || full_repaint_pending_) return;
  if (ToLine < FromLine) std::swap(FromLine, ToLine);
  const TRect c = ClientRect();
  const int32_t top = model_->GetTopLine();
  // The last row that shows anything, a partly visible one included.
  const int32_t lastRow = std::max(0, (c.Bottom - 1) / row_height_);
  const int32_t lastLine = top + lastRow;
  if (ToLine < top || FromLine > lastLine) return;
  const int32_t first = std::max(FromLine, top) - top;
  const int32_t last = std::min(ToLine, lastLine) - top;
  LONG bottom = (last + 1) * row_height_;
  if (invalidate_to_bottom_ && ToLine >= lastLine) bottom = std::max<LONG>(bottom, c.Bottom);
  RECT r{0, first * row_height_, c.Right, bottom};
  InvalidateRect(static_cast<HWND>(Handle()), &r, FALSE);
}

void TOvcEditBase::ScrollRows(int32_t DCols, int32_t DRows) {
  if (!HandleAllocated()) return;
  const bool oneWay = (DCols == 0) != (DRows == 0);
  const int32_t cols = model_->GetVisibleColumns();
  // Pixels still waiting to be painted must not be shifted as if they were right.
  const bool waiting = GetUpdateRect(static_cast<HWND>(Handle()), nullptr, FALSE) != 0;
  if (full_repaint_pending_ || waiting || !oneWay ||
      std::abs(DRows) >= model_->GetVisibleRows() || std::abs(DCols) >= cols) {
    InvalidateAllRows();
    return;
  }
  const TRect c = ClientRect();
  RECT area{};
  int dx = 0, dy = 0;
  if (DRows != 0) {
    // The glyphs in the margin belong to their rows and move with them.
    area = {show_bookmarks_ ? 0 : left_margin_, 0, c.Right, c.Bottom};
    dy = -DRows * row_height_;
  } else {
    // Only the text columns: the blank right of them must not slide into the text.
    area = {left_margin_, 0, left_margin_ + cols * char_width_, c.Bottom};
    dx = -DCols * char_width_;
  }
  ScrollWindowEx(static_cast<HWND>(Handle()), dx, dy, &area, &area, nullptr, nullptr,
                 SW_INVALIDATE);
}

bool TOvcEditBase::DoOnDrawLine(TCanvas* EditorCanvas, const TRect& Rect, const char* S,
                                int32_t Len, int32_t Line, int32_t Pos, int32_t Count,
                                int32_t HBLine, int32_t HBCol, int32_t HELine, int32_t HECol) {
  bool drawn = false;
  RaiseEvent(this, OnDrawLine, this, EditorCanvas, Rect, S, Len, Line, Pos, Count, HBLine, HBCol,
             HELine, HECol, drawn);
  return drawn;
}

void TOvcEditBase::DoOnShowStatus(int32_t Line, int32_t Col) {
  if (FireEvent(this, OnShowStatus, this, Line, Col) && model_->OnShowStatus)
    model_->OnShowStatus(Line, Col);
}

// Raised at the end of the model's scroll, inside whatever moved the view: a handler that
// frees the editor ends that work (RaiseEvent).
void TOvcEditBase::DoOnTopLineChanged(int32_t Line) {
  RaiseEvent(this, OnTopLineChanged, this, Line);
}

void TOvcEditBase::PlaceCaretFromModel() {
  if (!HandleAllocated()) return;
  const int32_t line = model_->CaretLine(), top = model_->GetTopLine();
  int32_t x = kCaretOffWindow, y = kCaretOffWindow;
  if (line >= top && line < top + model_->GetVisibleRows()) {
    x = (model_->CaretScreenColumn() - model_->LeftColumn() - 1) * char_width_ + left_margin_;
    y = (line - top) * row_height_;
  }
  caret_->SetInsertMode(model_->InsertMode);
  caret_->SetPosition({x, y});
  // The report arrives after the message being handled, whatever moved the caret.
  PostMessageA(static_cast<HWND>(Handle()), kMsgShowStatus, static_cast<WPARAM>(line),
               static_cast<LPARAM>(model_->CaretCol()));
}

TColor TOvcEditBase::LineBackground(int32_t Line) {
  if (mark_paragraphs_) {
    const auto& paras = model_->MarkedParas();
    const auto& values = model_->MarkedValues();
    for (size_t i = 0; i < paras.size(); ++i)
      if (paras[i] == Line) return i < values.size() && values[i] == 1 ? mark_color1_ : mark_color2_;
  }
  return Color();
}

int32_t TOvcEditBase::DrawRun(const TEditorRow& Row, int32_t Col, const char* S, int32_t Len,
                              TColor Fore, TColor Back) {
  const int32_t x = Row.Rect.Left + (Col - Row.FirstCol) * char_width_;
  if (Len <= 0) return x;
  HDC dc = static_cast<HDC>(Row.DC);
  RECT r{x, Row.Rect.Top, std::min<LONG>(x + Len * char_width_, Row.Rect.Right), Row.Rect.Bottom};
  SetTextColor(dc, ColorToRGB(Fore));
  SetBkColor(dc, ColorToRGB(Back));
  ExtTextOutA(dc, x, Row.Rect.Top, ETO_OPAQUE | ETO_CLIPPED, &r, S, static_cast<UINT>(Len), nullptr);
  return x + Len * char_width_;
}

void TOvcEditBase::FillRowFrom(const TEditorRow& Row, int32_t X, TColor Back) {
  if (X >= Row.Rect.Right) return;
  HDC dc = static_cast<HDC>(Row.DC);
  RECT r{X, Row.Rect.Top, Row.Rect.Right, Row.Rect.Bottom};
  SetBkColor(dc, ColorToRGB(Back));
  ExtTextOutA(dc, X, Row.Rect.Top, ETO_OPAQUE, &r, "", 0, nullptr);
}

void TOvcEditBase::DrawRow(TEditorRow& Row) {
  int32_t x = Row.Rect.Left;
  if (Row.InText) {
    const int32_t n = static_cast<int32_t>(Row.Text.size());
    const int32_t from = std::min(Row.FirstCol, n);
    const int32_t to = std::min(n, Row.FirstCol + Row.Count);
    const int32_t a = std::clamp(Row.SelFrom, from, to);
    const int32_t b = std::clamp(Row.SelTo, a, to);
    const char* t = Row.Text.data();
    x = DrawRun(Row, from, t + from, a - from, Row.TextColor, Row.BackColor);
    x = DrawRun(Row, a, t + a, b - a, Row.SelTextColor, Row.SelBackColor);
    x = DrawRun(Row, b, t + b, to - b, Row.TextColor, Row.BackColor);
  }
  FillRowFrom(Row, x, Row.BackColor);
}

void TOvcEditBase::PaintMargin(HDc DC, int32_t FirstRow, int32_t LastRow, TColor Back) {
  if (left_margin_ <= 0) return;
  HDC dc = static_cast<HDC>(DC);
  RECT m{0, FirstRow * row_height_, left_margin_, (LastRow + 1) * row_height_};
  SetBkColor(dc, ColorToRGB(Back));
  ExtTextOutA(dc, 0, m.top, ETO_OPAQUE, &m, "", 0, nullptr);
  if (!show_bookmarks_) return;
  if (!markers_ && !markers_missing_) {
    try {
      auto b = std::make_unique<TBitmap>();
      b->LoadFromResourceName(HInstance(), "MARKERS");
      markers_ = std::move(b);
    } catch (const Exception&) {
      markers_missing_ = true;  // a program without the glyphs still edits
    }
  }
  if (!markers_) return;
  const int32_t gw = markers_->Width() / 10, gh = markers_->Height();
  if (gw <= 0 || left_margin_ < gw) return;
  HDC src = static_cast<HDC>(markers_->Canvas()->Handle());
  const int32_t top = model_->GetTopLine();
  for (int32_t i = 0; i < 10; ++i) {
    int32_t col = 0;
    const int32_t line = model_->GetMarkerPosition(i, col);
    if (line < 0) continue;
    const int32_t row = line - top;
    if (row < FirstRow || row > LastRow) continue;
    int32_t y = row * row_height_;
    if (row_height_ >= gh + 2) y += (row_height_ - gh) / 2;
    BitBlt(dc, 1, y, gw, gh, src, i * gw, 0, SRCCOPY);
  }
}

void TOvcEditBase::Paint() {
  HDc dcHandle = Canvas()->Handle();
  HDC dc = static_cast<HDC>(dcHandle);
  TSelectedObject font(dcHandle, Font()->Handle());
  const TRect c = ClientRect();
  RECT clip{};
  if (GetClipBox(dc, &clip) == ERROR || clip.bottom <= clip.top) clip = {c.Left, c.Top, c.Right, c.Bottom};

  const TColor fore = Enabled() ? fixed_font_->Color() : clGrayText;
  const TColor back = Color();

  // The selection in display lines and expanded columns, when it is shown.
  int32_t sl = 0, sc = 0, el = 0, ec = 0;
  if (!(Enabled() && model_->GetSelection(sl, sc, el, ec) && (!hide_selection_ || Focused())))
    sl = sc = el = ec = 0;
  TParaList& list = model_->Paragraphs();
  auto expanded = [&](int32_t Line, int32_t Col) {
    const char* t;
    int32_t len;
    list.GetLineText(Line, t, len);
    return ScreenColumnOfPos(t, len, Col, model_->TabSize());
  };
  if (sl != 0) {
    sc = expanded(sl, sc);
    ec = expanded(el, ec);
  }

  const int32_t firstRow = std::max<LONG>(0, clip.top / row_height_);
  const int32_t lastRow = std::max<LONG>(firstRow, (std::min(clip.bottom, static_cast<LONG>(c.Bottom)) - 1) / row_height_);
  PaintMargin(dcHandle, firstRow, lastRow, back);

  const int32_t top = model_->GetTopLine(), lines = model_->GetLineCount();
  const int32_t cols = model_->GetVisibleColumns();
  TEditorRow row;
  row.DC = dcHandle;
  row.FirstCol = model_->LeftColumn();
  row.Count = cols;
  row.TextColor = fore;
  row.BackColor = back;
  row.SelTextColor = HighlightTextColor();
  row.SelBackColor = HighlightColor();
  BeginRows(top + firstRow);
  for (int32_t r = firstRow; r <= lastRow; ++r) {
    row.Line = top + r;
    row.Rect = {left_margin_, r * row_height_, c.Right, (r + 1) * row_height_};
    row.InText = row.Line <= lines;
    row.Text.clear();
    // A handler sees the line without tabs, or else the paragraph from the line's start
    // on (a wrapped line's continuation included).
    const char* handlerText = "";
    int32_t handlerLen = 0;
    if (row.InText) {
      const char* t;
      int32_t len;
      const TParaNode* node = list.GetLineText(row.Line, t, len);
      if (HasTab(t, static_cast<uint32_t>(len))) {
        row.Text = ExpandTabs(t, len, model_->TabSize());
        handlerText = row.Text.c_str();
        handlerLen = static_cast<int32_t>(row.Text.size());
      } else {
        row.Text.assign(t, static_cast<size_t>(len));
        handlerText = t;
        handlerLen = node ? node->Length - static_cast<int32_t>(t - node->GetText()) : len;
      }
    }
    SelectedColumns(row.Line, sl, sc, el, ec, row.SelFrom, row.SelTo);
    if (OnDrawLine) {
      const TRect band{left_margin_, row.Rect.Top, left_margin_ + cols * char_width_, row.Rect.Bottom};
      if (DoOnDrawLine(Canvas(), band, handlerText, handlerLen, row.Line, row.FirstCol, cols, sl,
                       sc, el, ec))
        continue;
    }
    DrawRow(row);
  }

  full_repaint_pending_ = false;
  if (scroll_bars_deferred_) {
    scroll_bars_deferred_ = false;
    ResetScrollBars();
  }
  PlaceCaretFromModel();
}

}  // namespace tess
