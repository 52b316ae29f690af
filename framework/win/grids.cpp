// The grid controls (see grids.h).
#include "framework/win/grids.h"

#include <algorithm>
#include <cassert>

#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

constexpr int32_t kSizingZone = 3;  // pixels either side of a line that grab it

// Scroll position of a first cell, counted from the first scrollable one.
void SetBar(HWND Wnd, int Bar, int32_t Max, int32_t Pos) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(Max, 0);
  si.nPos = std::clamp(Pos, 0, si.nMax);
  SetScrollInfo(Wnd, Bar, &si, TRUE);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TInplaceEdit
// ---------------------------------------------------------------------------------------

TInplaceEdit::TInplaceEdit(TCustomGrid* Grid) : TCustomEdit(Grid), grid_(Grid) {
  SetBorderStyle(TBorderStyle::bsNone);
  SetAutoSize(false);
  SetTabStop(false);
  SetVisible(false);
  SetParentColor(false);
}

TInplaceEdit::~TInplaceEdit() {
  if (grid_ && grid_->editor_ == this) {
    grid_->editor_ = nullptr;
    grid_->editor_mode_ = false;
  }
}

void TInplaceEdit::CreateParams(TCreateParams& P) {
  TCustomEdit::CreateParams(P);
  P.Style |= ES_MULTILINE | ES_AUTOHSCROLL;
}

void TInplaceEdit::Dispatch(TMessage& M) {
  if (M.Msg == WM_GETDLGCODE) {
    M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (grid_->Options().Contains(TGridOption::goTabs)) M.Result |= DLGC_WANTTAB;
    return;
  }
  TCustomEdit::Dispatch(M);
}

void TInplaceEdit::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == 0) return;
  int32_t len = static_cast<int32_t>(Text().size());
  bool toGrid = false;
  switch (Key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_F2:
      toGrid = true;
      break;
    case VK_TAB:
      toGrid = grid_->Options().Contains(TGridOption::goTabs);
      break;
    case VK_LEFT:
      toGrid = SelStart() == 0 && SelLength() == 0;
      break;
    case VK_RIGHT:
      toGrid = SelStart() == len && SelLength() == 0;
      break;
    default:
      break;
  }
  if (toGrid && grid_) {
    grid_->KeyDown(Key, Shift);
    Key = 0;
  }
}

void TInplaceEdit::KeyPress(char& Key) {
  TCustomEdit::KeyPress(Key);
  // Enter, Tab and Escape were handled as keys; the edit would only beep at them.
  if (Key == '\r' || Key == '\t' || Key == 27) Key = 0;
}

void TInplaceEdit::Change() {
  TControlWatch watch(this);
  TCustomEdit::Change();
  if (watch.Alive() && !loading_ && grid_) grid_->UpdateText();
}

// ---------------------------------------------------------------------------------------
// TCustomGrid
// ---------------------------------------------------------------------------------------

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle({TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csOpaque,
                   TControlStyleFlag::csDoubleClicks, TControlStyleFlag::csAcceptsControls});
  options_ = {TGridOption::goFixedVertLine, TGridOption::goFixedHorzLine, TGridOption::goVertLine,
              TGridOption::goHorzLine, TGridOption::goRangeSelect};
  SetColor(clWindow);
  SetParentColor(false);
  SetTabStop(true);
  SetBounds(Left(), Top(), 320, 120);
}

TCustomGrid::~TCustomGrid() {
  // The editor outlives this part of the grid (its parent and owner free it later).
  if (editor_) editor_->grid_ = nullptr;
}

int32_t TCustomGrid::LineW() const {
  bool lines = options_.Contains(TGridOption::goVertLine) ||
               options_.Contains(TGridOption::goHorzLine) ||
               options_.Contains(TGridOption::goFixedVertLine) ||
               options_.Contains(TGridOption::goFixedHorzLine);
  return lines ? line_width_ : 0;
}

void TCustomGrid::CreateParams(TCreateParams& P) {
  TCustomControl::CreateParams(P);
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth)
    P.Style |= WS_VSCROLL;
  if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth)
    P.Style |= WS_HSCROLL;
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      P.ExStyle |= WS_EX_CLIENTEDGE;
    else
      P.Style |= WS_BORDER;
  }
  P.WindowClass.style &= ~static_cast<uint32_t>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateScrollRange();
}

// --- size and layout -------------------------------------------------------------------

void TCustomGrid::AfterRowCountChange(int32_t OldCols, int32_t OldRows) {
  ClampCurrent();
  SizeChanged(OldCols, OldRows);
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetColCount(int32_t Value) {
  Value = std::max(Value, 1);
  if (Value == ColCount()) return;
  int32_t old_cols = ColCount(), old_rows = RowCount();
  if (Value <= cols_.Fixed()) cols_.SetFixed(Value - 1);
  cols_.SetCount(Value);
  AfterRowCountChange(old_cols, old_rows);
}

void TCustomGrid::SetRowCount(int32_t Value) {
  Value = std::max(Value, 1);
  if (Value == RowCount()) return;
  int32_t old_cols = ColCount(), old_rows = RowCount();
  if (Value <= rows_.Fixed()) rows_.SetFixed(Value - 1);
  rows_.SetCount(Value);
  AfterRowCountChange(old_cols, old_rows);
}

void TCustomGrid::SetFixedCols(int32_t Value) {
  if (Value == cols_.Fixed()) return;
  cols_.SetFixed(Value);
  ClampCurrent();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetFixedRows(int32_t Value) {
  if (Value == rows_.Fixed()) return;
  rows_.SetFixed(Value);
  ClampCurrent();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::ClampCurrent() {
  auto clampCell = [&](TGridCoord& c) {
    c.X = std::clamp(c.X, cols_.Fixed(), std::max(cols_.Fixed(), ColCount() - 1));
    c.Y = std::clamp(c.Y, rows_.Fixed(), std::max(rows_.Fixed(), RowCount() - 1));
  };
  clampCell(current_);
  clampCell(anchor_);
  if (editor_mode_ && !(edit_cell_ == current_)) HideEditor();
}

void TCustomGrid::SetDefaultColWidth(int32_t Value) {
  if (Value == cols_.DefaultSize() && !cols_.HasCustomSizes()) return;
  cols_.SetDefaultSize(Value);
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int32_t Value) {
  if (Value == rows_.DefaultSize() && !rows_.HasCustomSizes()) return;
  rows_.SetDefaultSize(Value);
  RowHeightsChanged();
}

void TCustomGrid::SetColWidths(int32_t Index, int32_t Value) {
  if (cols_.Size(Index) == std::max(Value, 0)) return;
  cols_.SetSize(Index, Value);
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int32_t Index, int32_t Value) {
  if (rows_.Size(Index) == std::max(Value, 0)) return;
  rows_.SetSize(Index, Value);
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int32_t Value) {
  Value = std::max(Value, 0);
  if (Value == line_width_) return;
  line_width_ = Value;
  ColWidthsChanged();
}

void TCustomGrid::SetFixedColor(TColor Value) {
  if (Value == fixed_color_) return;
  fixed_color_ = Value;
  Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions Value) {
  if (Value == options_) return;
  options_ = Value;
  if (!options_.Contains(TGridOption::goEditing)) HideEditor();
  if (options_.Contains(TGridOption::goAlwaysShowEditor) && Focused()) ShowEditor();
  UpdateScrollRange();
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle Value) {
  if (Value == scroll_bars_) return;
  scroll_bars_ = Value;
  RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TBorderStyle Value) {
  if (Value == border_style_) return;
  border_style_ = Value;
  RecreateWnd();
}

void TCustomGrid::SetDefaultDrawing(bool Value) {
  if (Value == default_drawing_) return;
  default_drawing_ = Value;
  Invalidate();
}

void TCustomGrid::ColWidthsChanged() {
  UpdateScrollRange();
  if (editor_mode_) ShowEditor();
  Invalidate();
}

void TCustomGrid::RowHeightsChanged() {
  UpdateScrollRange();
  if (editor_mode_) ShowEditor();
  Invalidate();
}

void TCustomGrid::SizeChanged(int32_t, int32_t) {}

void TCustomGrid::TopLeftChanged() {
  TControlWatch watch(this);
  if (editor_mode_) ShowEditor();
  if (watch.Alive()) FireEvent(this, OnTopLeftChanged, this);
}

// --- the current cell and the view -----------------------------------------------------

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(current_.X, anchor_.X), std::min(current_.Y, anchor_.Y),
              std::max(current_.X, anchor_.X), std::max(current_.Y, anchor_.Y)};
  if (options_.Contains(TGridOption::goRowSelect)) {
    r.Left = cols_.Fixed();
    r.Right = ColCount() - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& Value) {
  anchor_ = {Value.Left, Value.Top};
  FocusCell(Value.Right, Value.Bottom, false);
  Invalidate();
}

bool TCustomGrid::SelectCell(int32_t ACol, int32_t ARow) {
  bool can = true;
  // A grid its handler freed moves nowhere.
  return FireEvent(this, OnSelectCell, this, ACol, ARow, can) && can;
}

void TCustomGrid::FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor) {
  if (ColCount() <= cols_.Fixed() || RowCount() <= rows_.Fixed()) return;
  ACol = std::clamp(ACol, cols_.Fixed(), ColCount() - 1);
  ARow = std::clamp(ARow, rows_.Fixed(), RowCount() - 1);
  TGridCoord to{ACol, ARow};
  bool changed = !(to == current_);
  if (changed && !SelectCell(ACol, ARow)) return;
  // The grid's handlers run on the way (the edited text stored, the view moved): one
  // may free the grid.
  TControlWatch watch(this);
  if (changed && editor_mode_) {
    UpdateText();
    if (!watch.Alive()) return;
    HideEditor();
  }
  TGridRect old = Selection();
  current_ = to;
  if (MoveAnchor || !options_.Contains(TGridOption::goRangeSelect)) anchor_ = to;
  ScrollInView(ACol, ARow);
  if (!watch.Alive()) return;
  if (!(old == Selection()) || changed) Invalidate();
  if (changed) {
    if (options_.Contains(TGridOption::goAlwaysShowEditor) && Focused()) ShowEditor();
    if (watch.Alive()) Click();
  }
}

void TCustomGrid::SetTopRow(int32_t Value) {
  MoveTopLeft(LeftCol(), Value);
}

void TCustomGrid::SetLeftCol(int32_t Value) {
  MoveTopLeft(Value, TopRow());
}

void TCustomGrid::MoveTopLeft(int32_t ALeft, int32_t ATop) {
  TRect client = ClientRect();
  int32_t lw = LineW();
  ALeft = std::clamp(ALeft, cols_.Fixed(), cols_.MaxFirst(lw, client.Width()));
  ATop = std::clamp(ATop, rows_.Fixed(), rows_.MaxFirst(lw, client.Height()));
  if (ALeft == LeftCol() && ATop == TopRow()) return;
  cols_.SetFirst(ALeft);
  rows_.SetFirst(ATop);
  UpdateScrollRange();
  Invalidate();
  TopLeftChanged();  // last: its handler may free the grid
}

void TCustomGrid::ScrollInView(int32_t ACol, int32_t ARow) {
  TRect client = ClientRect();
  int32_t lw = LineW();
  int32_t left = LeftCol(), top = TopRow();
  if (ACol >= cols_.Fixed() && ACol < ColCount())
    left = cols_.FirstShowing(ACol, lw, client.Width());
  if (ARow >= rows_.Fixed() && ARow < RowCount())
    top = rows_.FirstShowing(ARow, lw, client.Height());
  // Scrolling into view may go past the usual maximum when the cell is wider than room.
  if (left != LeftCol() || top != TopRow()) {
    cols_.SetFirst(left);
    rows_.SetFirst(top);
    UpdateScrollRange();
    Invalidate();
    TopLeftChanged();
  }
}

int32_t TCustomGrid::VisibleColCount() {
  return cols_.VisibleCount(LineW(), ClientRect().Width());
}

int32_t TCustomGrid::VisibleRowCount() {
  return rows_.VisibleCount(LineW(), ClientRect().Height());
}

// --- coordinates -------------------------------------------------------------------------

TRect TCustomGrid::CellRect(int32_t ACol, int32_t ARow) {
  if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return {};
  int32_t lw = LineW();
  int32_t x = cols_.Start(ACol, lw), y = rows_.Start(ARow, lw);
  TRect client = ClientRect();
  if (x < 0 || y < 0 || x >= client.Width() || y >= client.Height()) return {};
  return Bounds(x, y, cols_.Size(ACol), rows_.Size(ARow));
}

TGridCoord TCustomGrid::MouseCoord(int32_t X, int32_t Y) {
  TRect client = ClientRect();
  int32_t lw = LineW();
  return {cols_.IndexAt(X, lw, client.Width()), rows_.IndexAt(Y, lw, client.Height())};
}

void TCustomGrid::MouseToCell(int32_t X, int32_t Y, int32_t& ACol, int32_t& ARow) {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

void TCustomGrid::InvalidateCell(int32_t ACol, int32_t ARow) {
  if (!HandleAllocated()) return;
  TRect r = CellRect(ACol, ARow);
  if (r.IsEmpty()) return;
  RECT rr{r.Left, r.Top, r.Right + line_width_, r.Bottom + line_width_};
  InvalidateRect(Handle(), &rr, FALSE);
}

// --- scrolling ---------------------------------------------------------------------------

void TCustomGrid::UpdateScrollRange() {
  if (!HandleAllocated()) return;
  TRect client = ClientRect();
  int32_t lw = LineW();
  HWND h = Handle();
  // Range: one position per scrollable row (column); none when everything fits.
  if (scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth) {
    bool fits = rows_.MaxFirst(lw, client.Height()) == rows_.Fixed() && TopRow() == rows_.Fixed();
    SetBar(h, SB_VERT, fits ? 0 : RowCount() - rows_.Fixed() - 1, TopRow() - rows_.Fixed());
  }
  if (scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth) {
    bool fits = cols_.MaxFirst(lw, client.Width()) == cols_.Fixed() && LeftCol() == cols_.Fixed();
    SetBar(h, SB_HORZ, fits ? 0 : ColCount() - cols_.Fixed() - 1, LeftCol() - cols_.Fixed());
  }
}

void TCustomGrid::ScrollMessage(TMessage& M, bool Vertical) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &si);
  const TGridAxis& axis = Vertical ? rows_ : cols_;
  int32_t first = axis.First();
  int32_t page = std::max(Vertical ? VisibleRowCount() : VisibleColCount(), 1);
  switch (M.WParamLo()) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_PAGEUP:
      first -= page;
      break;
    case SB_PAGEDOWN:
      first += page;
      break;
    case SB_TOP:
      first = axis.Fixed();
      break;
    case SB_BOTTOM:
      first = axis.Count() - 1;
      break;
    case SB_THUMBTRACK:
      if (!options_.Contains(TGridOption::goThumbTracking)) return;
      first = axis.Fixed() + si.nTrackPos;
      break;
    case SB_THUMBPOSITION:
      first = axis.Fixed() + si.nTrackPos;
      break;
    default:
      return;
  }
  if (Vertical)
    MoveTopLeft(LeftCol(), first);
  else
    MoveTopLeft(first, TopRow());
  UpdateScrollRange();
}

// --- editing -------------------------------------------------------------------------

// Both are raised in the middle of the in-place editor's work: a handler that frees the
// grid ends it (RaiseEvent).
std::string TCustomGrid::GetEditText(int32_t ACol, int32_t ARow) {
  std::string s;
  RaiseEvent(this, OnGetEditText, this, ACol, ARow, s);
  return s;
}

void TCustomGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  RaiseEvent(this, OnSetEditText, this, ACol, ARow, Value);
}

bool TCustomGrid::CanEditShow() {
  return options_.Contains(TGridOption::goEditing) && !options_.Contains(TGridOption::goRowSelect) &&
         HandleAllocated();
}

void TCustomGrid::SetEditorMode(bool Value) {
  if (Value)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  if (!CanEditShow()) return;
  TRect r = CellRect(current_.X, current_.Y);
  if (r.IsEmpty()) {
    ScrollInView(current_.X, current_.Y);
    r = CellRect(current_.X, current_.Y);
  }
  if (!editor_) {
    editor_ = new TInplaceEdit(this);
    editor_->SetParent(this);
    editor_->SetFont(Font());
  }
  if (!editor_mode_ || !(edit_cell_ == current_)) {
    edit_cell_ = current_;
    edit_original_ = GetEditText(current_.X, current_.Y);
    editor_->loading_ = true;
    editor_->SetText(edit_original_);
    editor_->loading_ = false;
    editor_->SelectAll();
  }
  editor_mode_ = true;
  editor_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  editor_->Show();
  if (Focused() || editor_->Focused() || GetFocus() == Handle()) editor_->SetFocus();
}

void TCustomGrid::HideEditor() {
  if (!editor_mode_) return;
  editor_mode_ = false;
  bool had_focus = editor_ && editor_->Focused();
  if (editor_) editor_->Hide();
  if (had_focus && HandleAllocated()) ::SetFocus(Handle());
  InvalidateCell(edit_cell_.X, edit_cell_.Y);
  edit_cell_ = {-1, -1};
}

void TCustomGrid::UpdateText() {
  if (!editor_mode_ || !editor_) return;
  std::string text = editor_->Text();
  if (text != GetEditText(edit_cell_.X, edit_cell_.Y)) SetEditText(edit_cell_.X, edit_cell_.Y, text);
}

// --- rows and columns -------------------------------------------------------------------

void TCustomGrid::MoveColumn(int32_t FromIndex, int32_t ToIndex) {
  if (FromIndex == ToIndex) return;
  if (editor_mode_) {
    UpdateText();
    HideEditor();
  }
  cols_.Move(FromIndex, ToIndex);
  TControlWatch watch(this);
  ColumnMoved(FromIndex, ToIndex);
  if (watch.Alive()) Invalidate();
}

void TCustomGrid::MoveRow(int32_t FromIndex, int32_t ToIndex) {
  if (FromIndex == ToIndex) return;
  if (editor_mode_) {
    UpdateText();
    HideEditor();
  }
  rows_.Move(FromIndex, ToIndex);
  TControlWatch watch(this);
  RowMoved(FromIndex, ToIndex);
  if (watch.Alive()) Invalidate();
}

// Raised in the middle of a move (the mouse's, a delete's): a handler that frees the grid
// ends that work (RaiseEvent).
void TCustomGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex) {
  RaiseEvent(this, OnColumnMoved, this, FromIndex, ToIndex);
}

void TCustomGrid::RowMoved(int32_t FromIndex, int32_t ToIndex) {
  RaiseEvent(this, OnRowMoved, this, FromIndex, ToIndex);
}

void TCustomGrid::DeleteColumn(int32_t ACol) {
  if (ACol < 0 || ACol >= ColCount()) throw EListError(Format("Grid index out of range (%d)", ACol));
  MoveColumn(ACol, ColCount() - 1);
  SetColCount(ColCount() - 1);
}

void TCustomGrid::DeleteRow(int32_t ARow) {
  if (ARow < 0 || ARow >= RowCount()) throw EListError(Format("Grid index out of range (%d)", ARow));
  MoveRow(ARow, RowCount() - 1);
  SetRowCount(RowCount() - 1);
}

// --- painting ---------------------------------------------------------------------------

TGridDrawState TCustomGrid::CellState(int32_t ACol, int32_t ARow) {
  TGridDrawState s;
  if (ACol < cols_.Fixed() || ARow < rows_.Fixed()) {
    s += TGridDrawStateFlag::gdFixed;
    return s;
  }
  bool focused_cell = ACol == current_.X && ARow == current_.Y;
  if (focused_cell && Focused()) s += TGridDrawStateFlag::gdFocused;
  if (Selection().Contains({ACol, ARow}) &&
      (!focused_cell || options_.Contains(TGridOption::goDrawFocusSelected) ||
       options_.Contains(TGridOption::goRowSelect) || !Focused()))
    s += TGridDrawStateFlag::gdSelected;
  return s;
}

// Raised while painting: a handler that frees the grid ends the paint (RaiseEvent).
void TCustomGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
  RaiseEvent(this, OnDrawCell, this, ACol, ARow, ARect, AState);
}

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  TRect client = ClientRect();
  int32_t lw = LineW();
  c->Font()->Assign(Font());
  auto paintCell = [&](int32_t col, int32_t row, int32_t x, int32_t y) {
    TRect r = Bounds(x, y, cols_.Size(col), rows_.Size(row));
    TGridDrawState st = CellState(col, row);
    bool fixed = st.Contains(TGridDrawStateFlag::gdFixed);
    if (default_drawing_) {
      if (fixed)
        c->Brush()->SetColor(fixed_color_);
      else if (st.Contains(TGridDrawStateFlag::gdSelected))
        c->Brush()->SetColor(clHighlight);
      else
        c->Brush()->SetColor(Color());
      c->Font()->SetColor(st.Contains(TGridDrawStateFlag::gdSelected) && !fixed ? clHighlightText
                                                                              : Font()->Color());
      c->FillRect(r);
    }
    DrawCell(col, row, r, st);
    if (default_drawing_ && fixed && Ctl3D() && lw > 0) {
      TRect b = r;
      Frame3D(c, b, clBtnHighlight, clBtnShadow, 1);
    }
    if (default_drawing_ && st.Contains(TGridDrawStateFlag::gdFocused) && !editor_mode_ &&
        !options_.Contains(TGridOption::goRowSelect))
      c->DrawFocusRect(r);
    // Lines along the right and bottom edges.
    if (lw > 0) {
      bool v = fixed ? options_.Contains(TGridOption::goFixedVertLine)
                     : options_.Contains(TGridOption::goVertLine);
      bool h = fixed ? options_.Contains(TGridOption::goFixedHorzLine)
                     : options_.Contains(TGridOption::goHorzLine);
      c->Brush()->SetColor(fixed ? clBlack : clSilver);
      if (v) c->FillRect(Rect(r.Right, r.Top, r.Right + lw, r.Bottom + lw));
      if (h) c->FillRect(Rect(r.Left, r.Bottom, r.Right + lw, r.Bottom + lw));
      if (!v || !h) {
        c->Brush()->SetColor(fixed ? fixed_color_ : Color());
        if (!v) c->FillRect(Rect(r.Right, r.Top, r.Right + lw, r.Bottom + lw));
        if (!h) c->FillRect(Rect(r.Left, r.Bottom, r.Right + (v ? 0 : lw), r.Bottom + lw));
      }
    }
  };
  auto rowsToPaint = [&](auto&& PaintRow) {
    int32_t y = 0;
    for (int32_t row = 0; row < rows_.Fixed() && y < client.Height(); ++row) {
      PaintRow(row, y);
      y += rows_.Size(row) + lw;
    }
    for (int32_t row = rows_.First(); row < RowCount() && y < client.Height(); ++row) {
      PaintRow(row, y);
      y += rows_.Size(row) + lw;
    }
    return y;
  };
  int32_t right = 0;
  int32_t bottom = rowsToPaint([&](int32_t row, int32_t y) {
    int32_t x = 0;
    for (int32_t col = 0; col < cols_.Fixed() && x < client.Width(); ++col) {
      paintCell(col, row, x, y);
      x += cols_.Size(col) + lw;
    }
    for (int32_t col = cols_.First(); col < ColCount() && x < client.Width(); ++col) {
      paintCell(col, row, x, y);
      x += cols_.Size(col) + lw;
    }
    right = x;
  });
  // The area past the last cells.
  c->Brush()->SetColor(Color());
  if (right < client.Width()) c->FillRect(Rect(right, 0, client.Width(), client.Height()));
  if (bottom < client.Height()) c->FillRect(Rect(0, bottom, client.Width(), client.Height()));
}

// --- keyboard ----------------------------------------------------------------------------

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  TControlWatch watch(this);
  bool ctrl = Shift.Contains(TShiftFlag::ssCtrl);
  bool shift = Shift.Contains(TShiftFlag::ssShift);
  bool anchor = !(shift && options_.Contains(TGridOption::goRangeSelect));
  int32_t col = current_.X, row = current_.Y;
  int32_t page = std::max(VisibleRowCount(), 1);
  switch (Key) {
    case VK_UP:
      --row;
      break;
    case VK_DOWN:
      ++row;
      break;
    case VK_LEFT:
      --col;
      break;
    case VK_RIGHT:
      ++col;
      break;
    case VK_PRIOR:
      row -= page;
      SetTopRow(TopRow() - page);
      if (!watch.Alive()) return;
      break;
    case VK_NEXT:
      row += page;
      SetTopRow(TopRow() + page);
      if (!watch.Alive()) return;
      break;
    case VK_HOME:
      col = cols_.Fixed();
      if (ctrl) row = rows_.Fixed();
      break;
    case VK_END:
      col = ColCount() - 1;
      if (ctrl) row = RowCount() - 1;
      break;
    case VK_TAB:
      if (!options_.Contains(TGridOption::goTabs)) return;
      anchor = true;
      if (shift) {
        if (--col < cols_.Fixed()) col = ColCount() - 1, --row;
      } else if (++col >= ColCount()) {
        col = cols_.Fixed(), ++row;
      }
      if (row < rows_.Fixed() || row >= RowCount()) return;
      break;
    case VK_F2:
      SetEditorMode(true);
      Key = 0;
      return;
    case VK_RETURN:
      if (options_.Contains(TGridOption::goEditing)) {
        if (editor_mode_) {
          UpdateText();
          if (!watch.Alive()) return;
          HideEditor();
          if (options_.Contains(TGridOption::goAlwaysShowEditor)) ShowEditor();
        } else {
          ShowEditor();
        }
      }
      Key = 0;
      return;
    case VK_ESCAPE:
      if (editor_mode_) {
        // Back to the text the cell had when the editor opened.
        if (editor_->Text() != edit_original_) {
          editor_->loading_ = true;
          editor_->SetText(edit_original_);
          editor_->loading_ = false;
          SetEditText(edit_cell_.X, edit_cell_.Y, edit_original_);
          if (!watch.Alive()) return;
        }
        if (!options_.Contains(TGridOption::goAlwaysShowEditor)) HideEditor();
        Key = 0;
      }
      return;
    default:
      return;
  }
  Key = 0;
  FocusCell(col, row, anchor);
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 0 || editor_mode_) return;
  if (static_cast<unsigned char>(Key) >= 32 && options_.Contains(TGridOption::goEditing)) {
    // Typing into a cell replaces its text with what is typed.
    TControlWatch watch(this);
    ShowEditor();
    if (watch.Alive() && editor_mode_ && editor_) {
      editor_->SetText(std::string(1, Key));
      editor_->SetSelStart(1);
      Key = 0;
    }
  }
}

// --- mouse -------------------------------------------------------------------------------

int32_t TCustomGrid::SizingIndex(int32_t X, int32_t Y, bool& Columns) {
  int32_t lw = LineW();
  TRect client = ClientRect();
  // Columns are sized in the fixed rows, rows in the fixed columns.
  if (options_.Contains(TGridOption::goColSizing) && Y < rows_.FixedExtent(lw)) {
    int32_t x = 0;
    auto check = [&](int32_t i) {
      x += cols_.Size(i) + lw;
      return std::abs(X - (x - lw)) <= kSizingZone;
    };
    for (int32_t i = 0; i < cols_.Fixed(); ++i)
      if (check(i)) return Columns = true, i;
    for (int32_t i = cols_.First(); i < ColCount() && x < client.Width(); ++i)
      if (check(i)) return Columns = true, i;
  }
  if (options_.Contains(TGridOption::goRowSizing) && X < cols_.FixedExtent(lw)) {
    int32_t y = 0;
    auto check = [&](int32_t i) {
      y += rows_.Size(i) + lw;
      return std::abs(Y - (y - lw)) <= kSizingZone;
    };
    for (int32_t i = 0; i < rows_.Fixed(); ++i)
      if (check(i)) return Columns = false, i;
    for (int32_t i = rows_.First(); i < RowCount() && y < client.Height(); ++i)
      if (check(i)) return Columns = false, i;
  }
  return -1;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  click_on_current_ = false;
  // Taking the focus (OnEnter) and moving the current cell (OnClick) may free the grid.
  TControlWatch watch(this);
  if (Button == TMouseButton::mbLeft) {
    if (CanFocus() && !Focused() && !(editor_ && editor_->Focused())) SetFocus();
    if (!watch.Alive()) return;
    bool columns = false;
    int32_t index = SizingIndex(X, Y, columns);
    if (index >= 0) {
      state_ = columns ? TGridState::gsColSizing : TGridState::gsRowSizing;
      size_index_ = index;
      size_origin_ = columns ? X : Y;
      size_start_ = columns ? cols_.Size(index) : rows_.Size(index);
    } else {
      TGridCoord c = MouseCoord(X, Y);
      if (c.X >= 0 && c.Y >= 0) {
        bool fixed_row = c.Y < rows_.Fixed(), fixed_col = c.X < cols_.Fixed();
        if (fixed_row && !fixed_col && options_.Contains(TGridOption::goColMoving)) {
          state_ = TGridState::gsColMoving;
          move_from_ = c.X;
        } else if (fixed_col && !fixed_row && options_.Contains(TGridOption::goRowMoving)) {
          state_ = TGridState::gsRowMoving;
          move_from_ = c.Y;
        } else if (!fixed_row && !fixed_col) {
          click_on_current_ = c == current_;
          state_ = TGridState::gsSelecting;
          FocusCell(c.X, c.Y, !(Shift.Contains(TShiftFlag::ssShift)));
          if (!watch.Alive()) return;
        }
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  switch (state_) {
    case TGridState::gsColSizing:
      SetColWidths(size_index_, std::max(size_start_ + X - size_origin_, 0));
      break;
    case TGridState::gsRowSizing:
      SetRowHeights(size_index_, std::max(size_start_ + Y - size_origin_, 0));
      break;
    case TGridState::gsSelecting:
      if (options_.Contains(TGridOption::goRangeSelect)) {
        TGridCoord c = MouseCoord(X, Y);
        if (c.X >= cols_.Fixed() && c.Y >= rows_.Fixed() && !(c == current_))
          FocusCell(c.X, c.Y, false);
      }
      break;
    default:
      break;
  }
  if (watch.Alive()) TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::FinishSizeOrMove(int32_t X, int32_t Y) {
  TGridState s = state_;
  state_ = TGridState::gsNormal;
  if (s == TGridState::gsColMoving || s == TGridState::gsRowMoving) {
    TGridCoord c = MouseCoord(X, Y);
    int32_t to = s == TGridState::gsColMoving ? c.X : c.Y;
    int32_t fixed = s == TGridState::gsColMoving ? cols_.Fixed() : rows_.Fixed();
    if (to >= fixed && to != move_from_) {
      if (s == TGridState::gsColMoving)
        MoveColumn(move_from_, to);
      else
        MoveRow(move_from_, to);
    }
  }
  move_from_ = -1;
  size_index_ = -1;
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  TControlWatch watch(this);
  if (Button == TMouseButton::mbLeft) {
    TGridState s = state_;
    FinishSizeOrMove(X, Y);  // a moved row or column is told of
    if (!watch.Alive()) return;
    // A second click on the current cell opens the editor.
    if (s == TGridState::gsSelecting && click_on_current_ && MouseCoord(X, Y) == current_)
      ShowEditor();
    if (!watch.Alive()) return;
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::DblClick() {
  TControlWatch watch(this);
  TCustomControl::DblClick();
  if (watch.Alive() && options_.Contains(TGridOption::goEditing)) ShowEditor();
}

// --- messages ---------------------------------------------------------------------------

void TCustomGrid::WndProc(TMessage& M) {
  // The release of the capture on button-up comes before MouseUp: it must not end the
  // sizing or move that MouseUp finishes.
  if (M.Msg != WM_LBUTTONUP) {
    TCustomControl::WndProc(M);
    return;
  }
  TScopedValue<bool> releasing(button_up_, true, LifeMark());
  TCustomControl::WndProc(M);
}

void TCustomGrid::Dispatch(TMessage& M) {
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS;
      if (options_.Contains(TGridOption::goTabs)) M.Result |= DLGC_WANTTAB;
      if (options_.Contains(TGridOption::goEditing)) M.Result |= DLGC_WANTCHARS;
      return;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (M.LParam == 0) {
        ScrollMessage(M, M.Msg == WM_VSCROLL);
        M.Result = 0;
        return;
      }
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(M);  // OnResize may free the grid
      if (!watch.Alive()) return;
      // A larger window may show cells past the usual last first row.
      MoveTopLeft(LeftCol(), TopRow());
      if (!watch.Alive()) return;
      UpdateScrollRange();
      if (editor_mode_) ShowEditor();
      return;
    case WM_LBUTTONDBLCLK:
      // The grid takes no click events from the mouse (its Click is the current cell
      // changing), so it runs its double click itself.
      TCustomControl::Dispatch(M);
      if (watch.Alive()) DblClick();
      return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(M);  // OnEnter may free the grid
      if (!watch.Alive()) return;
      InvalidateCell(current_.X, current_.Y);
      if (options_.Contains(TGridOption::goAlwaysShowEditor)) ShowEditor();
      return;
    case WM_KILLFOCUS:
      TCustomControl::Dispatch(M);
      if (watch.Alive()) InvalidateCell(current_.X, current_.Y);
      return;
    case WM_SETCURSOR:
      if (M.LParamLo() == HTCLIENT && state_ == TGridState::gsNormal) {
        POINT p{};
        GetCursorPos(&p);
        ::ScreenToClient(Handle(), &p);
        bool columns = false;
        if (SizingIndex(p.x, p.y, columns) >= 0) {
          ::SetCursor(LoadCursorA(nullptr, columns ? IDC_SIZEWE : IDC_SIZENS));
          M.Result = 1;
          return;
        }
      }
      break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      // A sizing or move that loses the mouse otherwise ends where it is, unmoved.
      if (!button_up_) {
        state_ = TGridState::gsNormal;
        move_from_ = -1;
        size_index_ = -1;
      }
      break;
    default:
      break;
  }
  TCustomControl::Dispatch(M);
}

void TCustomGrid::PublishProperties(TPropertyList& P) {
  TCustomControl::PublishProperties(P);
  // A new one stops the Tab key.
  P.Find("TabStop")->Default(true);
  P.Integer("ColCount", [this] { return ColCount(); }, [this](int32_t v) { SetColCount(v); })
      .Default(5);
  P.Integer("RowCount", [this] { return RowCount(); }, [this](int32_t v) { SetRowCount(v); })
      .Default(5);
  P.Integer("FixedCols", [this] { return FixedCols(); }, [this](int32_t v) { SetFixedCols(v); })
      .Default(1);
  P.Integer("FixedRows", [this] { return FixedRows(); }, [this](int32_t v) { SetFixedRows(v); })
      .Default(1);
  P.Integer(
       "DefaultColWidth", [this] { return DefaultColWidth(); },
       [this](int32_t v) { SetDefaultColWidth(v); })
      .Default(64);
  P.Integer(
       "DefaultRowHeight", [this] { return DefaultRowHeight(); },
       [this](int32_t v) { SetDefaultRowHeight(v); })
      .Default(24);
  P.Integer(
       "GridLineWidth", [this] { return line_width_; }, [this](int32_t v) { SetGridLineWidth(v); })
      .Default(1);
  P.Integer("FixedColor", [this] { return fixed_color_; }, [this](int32_t v) { SetFixedColor(v); })
      .Default(clBtnFace);
  P.Boolean(
       "DefaultDrawing", [this] { return default_drawing_; },
       [this](bool v) { SetDefaultDrawing(v); })
      .Default(1);
  P.Set("Options",
        {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
         "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving",
         "goEditing", "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"},
        [this] { return static_cast<uint32_t>(options_.Bits()); },
        [this](uint32_t v) { SetOptions(TGridOptions::FromBits(v)); });
  P.Enum<TScrollStyle>(
       "ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"},
       [this] { return scroll_bars_; }, [this](TScrollStyle v) { SetScrollBars(v); })
      .Default(3);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// TStringGrid
// ---------------------------------------------------------------------------------------

TStringGrid::TStringGrid(TComponent* AOwner) : TDrawGrid(AOwner), cells_(ColCount(), RowCount()) {}

TStringGrid::~TStringGrid() = default;

void TStringGrid::SetCells(int32_t ACol, int32_t ARow, const std::string& Value) {
  cells_.SetCell(ACol, ARow, Value);
  InvalidateCell(ACol, ARow);
}

void TStringGrid::SetObjects(int32_t ACol, int32_t ARow, TObject* Value) {
  cells_.SetObject(ACol, ARow, Value);
}

void TStringGrid::SizeChanged(int32_t OldColCount, int32_t OldRowCount) {
  cells_.SetSize(ColCount(), RowCount());
  TDrawGrid::SizeChanged(OldColCount, OldRowCount);
}

void TStringGrid::ColumnMoved(int32_t FromIndex, int32_t ToIndex) {
  cells_.MoveColumn(FromIndex, ToIndex);
  TDrawGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int32_t FromIndex, int32_t ToIndex) {
  cells_.MoveRow(FromIndex, ToIndex);
  TDrawGrid::RowMoved(FromIndex, ToIndex);
}

std::string TStringGrid::GetEditText(int32_t ACol, int32_t ARow) {
  std::string s = cells_.Cell(ACol, ARow);
  RaiseEvent(this, OnGetEditText, this, ACol, ARow, s);
  return s;
}

void TStringGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  SetCells(ACol, ARow, Value);
  TDrawGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
  if (DefaultDrawing()) {
    const std::string& s = cells_.Cell(ACol, ARow);
    if (!s.empty()) Canvas()->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, s);
  }
  TDrawGrid::DrawCell(ACol, ARow, ARect, AState);
}

}  // namespace tess
