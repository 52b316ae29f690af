// The sortable string grid (see sortgrid.h).
#include "components/lists/sortgrid.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "components/lists/separatedtext.h"
#include "framework/win/forms.h"
#include "framework/win/locale.h"
#include "platform/win32.h"

namespace tess {

namespace {

// Widths of the 256 characters of one font, so a text is measured by adding them up
// rather than by a call to the system per cell.  The system does not kern in text
// extents, so the sum equals what it would measure.
class TCharWidths {
 public:
  int32_t Width(TCanvas* Canvas, const std::string& Text) {
    TFont* f = Canvas->Font();
    auto key = std::make_tuple(f->Name(), f->Height(), f->Style().Bits(), f->CharSet(), f->Pitch());
    auto it = tables_.find(key);
    if (it == tables_.end()) {
      std::array<int32_t, 256> w{};
      // Selecting the font happens with the first measure.
      Canvas->TextExtent("x");
      INT widths[256];
      if (GetCharWidth32A(Canvas->Handle(), 0, 255, widths)) {
        for (int i = 0; i < 256; ++i) w[static_cast<size_t>(i)] = widths[i];
      } else {
        for (int i = 0; i < 256; ++i)
          w[static_cast<size_t>(i)] = Canvas->TextWidth(std::string(1, static_cast<char>(i)));
      }
      it = tables_.emplace(key, w).first;
    }
    int32_t sum = 0;
    for (unsigned char c : Text) sum += it->second[c];
    return sum;
  }

 private:
  std::map<std::tuple<std::string, int32_t, uint64_t, uint8_t, TFontPitch>, std::array<int32_t, 256>>
      tables_;
};

}  // namespace

TSortGrid::TSortGrid(TComponent* AOwner) : TStringGrid(AOwner) {
  LoadLocaleFormatSettings();
  RememberCell();
}

TSortGrid::~TSortGrid() {
  sorted_list_.clear();
}

// --- properties --------------------------------------------------------------------------

void TSortGrid::SetAlignmentHorz(TAlignment Value) {
  if (Value == alignment_horz_) return;
  alignment_horz_ = Value;
  Invalidate();
}

void TSortGrid::SetAlignmentVert(TVertAlignment Value) {
  if (Value == alignment_vert_) return;
  alignment_vert_ = Value;
  Invalidate();
}

void TSortGrid::SetBevelStyle(TCellBevelStyle Value) {
  if (Value == bevel_style_) return;
  bevel_style_ = Value;
  Invalidate();
}

void TSortGrid::SetProportionalScrollBars(bool Value) {
  if (Value == proportional_) return;
  proportional_ = Value;
  UpdateScrollPage();
}

// --- sorting ------------------------------------------------------------------------------

TSortStyle TSortGrid::DetectSortStyle(int32_t Col) {
  return tess::DetectSortStyle(CellStore(), Col, FixedRows(), RowCount(), FormatSettings());
}

void TSortGrid::SortByColumn(int32_t Col, TSortOptions SortOptions) {
  struct Flag {
    bool& f;
    explicit Flag(bool& F) : f(F) { f = true; }
    ~Flag() { f = false; }
  } flag(sorting_);
  if (entered_) ValidateCell();
  sorted_list_.clear();
  int32_t current = Row();
  SortRows(CellStore(), Col, FixedRows(), SortOptions, FormatSettings(), sorted_list_);
  int32_t follow = current;
  for (size_t i = 0; i < sorted_list_.size(); ++i)
    if (sorted_list_[i].Row == current) follow = FixedRows() + static_cast<int32_t>(i);
  // The remembered cell now holds other data: take it again before the current cell
  // moves, so the move validates nothing that was not edited.
  RememberCell();
  Invalidate();
  MoveToCell(this->Col(), follow);
  RememberCell();
}

void TSortGrid::SortColumn(int32_t Col, TSortOptions SortOptions) {
  if (EditorMode() || FixedRows() + 1 >= RowCount()) return;
  if (!FireEvent(this, OnBeginSort, this, Col, SortOptions)) return;
  if (SortOptions.SortStyle == ssAutomatic) SortOptions.SortStyle = DetectSortStyle(Col);
  TControlWatch watch(this);  // moving the current cell tells of it
  SortByColumn(Col, SortOptions);
  if (watch.Alive()) FireEvent(this, OnEndSort, this, Col);
}

bool TSortGrid::CanUndoSort() {
  if (static_cast<int32_t>(sorted_list_.size()) == RowCount() - FixedRows() && !sorted_list_.empty())
    return true;
  sorted_list_.clear();
  return false;
}

void TSortGrid::UndoSort() {
  if (!CanUndoSort()) return;
  if (entered_) ValidateCell();
  int32_t pos = Row() - FixedRows();
  int32_t follow = Row();
  if (pos >= 0 && static_cast<size_t>(pos) < sorted_list_.size()) follow = sorted_list_[static_cast<size_t>(pos)].Row;
  UndoSortRows(CellStore(), FixedRows(), sorted_list_);
  sorted_list_.clear();
  RememberCell();
  Invalidate();
  MoveToCell(Col(), follow);
  RememberCell();
}

// --- rows and columns -------------------------------------------------------------------

void TSortGrid::RowsChanged() {
  sorted_list_.clear();
}

void TSortGrid::WithoutEditor(const std::function<void()>& Change) {
  TControlWatch watch(this);  // the validation's and the change's handlers may free the grid
  if (entered_ && !sorting_) ValidateCell();
  if (!watch.Alive()) return;
  TGridOptions saved = Options();
  bool always = saved.Contains(TGridOption::goAlwaysShowEditor);
  if (always) SetOptions(saved - TGridOption::goAlwaysShowEditor);
  struct Restore {
    TSortGrid* g;
    bool always;
    const TControlWatch& watch;
    ~Restore() {
      if (always && watch.Alive()) g->SetOptions(g->Options() + TGridOption::goAlwaysShowEditor);
    }
  } restore{this, always, watch};
  Change();
  if (!watch.Alive()) return;
  RowsChanged();
  RememberCell();
}

void TSortGrid::MoveToCell(int32_t ACol, int32_t ARow) {
  // FocusCell asks the cell-selection check itself before it moves.
  FocusCell(std::max(ACol, FixedCols()), std::max(ARow, FixedRows()), true);
}

void TSortGrid::ClearRows() {
  CellStore().Clear();
  modified_ = false;
  RowsChanged();
  Invalidate();
  RememberCell();
}

void TSortGrid::InsertRow(int32_t Index) {
  // The grid's handlers run on the way (validation, the moved cell): one may free it.
  TControlWatch watch(this);
  if (entered_) ValidateCell();
  if (!watch.Alive()) return;
  SetRowCount(RowCount() + 1);
  MoveRow(RowCount() - 1, Index);
  if (!watch.Alive()) return;
  CellStore().ClearRow(Index);
  RowsChanged();
  RememberCell();
  MoveToCell(Col(), Index);
  if (!watch.Alive()) return;
  Invalidate();
  FireEvent(this, OnRowInsert, this, Index);
}

void TSortGrid::InsertColumn(int32_t Index) {
  TControlWatch watch(this);
  if (entered_) ValidateCell();
  if (!watch.Alive()) return;
  SetColCount(ColCount() + 1);
  MoveColumn(ColCount() - 1, Index);
  if (!watch.Alive()) return;
  CellStore().ClearColumn(Index);
  RowsChanged();
  RememberCell();
  MoveToCell(Index, Row());
  if (!watch.Alive()) return;
  Invalidate();
  FireEvent(this, OnColumnInsert, this, Index);
}

void TSortGrid::DeleteRow(int32_t Index) {
  TControlWatch watch(this);
  WithoutEditor([&] {
    CellStore().ClearRow(Index);
    TStringGrid::DeleteRow(Index);
  });
  if (watch.Alive()) FireEvent(this, OnRowDelete, this, Index);
}

void TSortGrid::DeleteColumn(int32_t Index) {
  TControlWatch watch(this);
  WithoutEditor([&] {
    CellStore().ClearColumn(Index);
    TStringGrid::DeleteColumn(Index);
  });
  if (watch.Alive()) FireEvent(this, OnColumnDelete, this, Index);
}

void TSortGrid::MoveRow(int32_t FromIndex, int32_t ToIndex) {
  WithoutEditor([&] { TStringGrid::MoveRow(FromIndex, ToIndex); });
}

void TSortGrid::MoveColumn(int32_t FromIndex, int32_t ToIndex) {
  WithoutEditor([&] { TStringGrid::MoveColumn(FromIndex, ToIndex); });
}

void TSortGrid::SwapRows(int32_t A, int32_t B) {
  if (A == B) return;
  int32_t l = std::min(A, B), h = std::max(A, B);
  MoveRow(h, l);
  MoveRow(l + 1, h);
}

void TSortGrid::SwapColumns(int32_t A, int32_t B) {
  if (A == B) return;
  int32_t l = std::min(A, B), h = std::max(A, B);
  MoveColumn(h, l);
  MoveColumn(l + 1, h);
}

bool TSortGrid::FindCell(const std::string& Text, int32_t& ACol, int32_t& ARow) {
  for (int32_t c = 0; c < ColCount(); ++c)
    for (int32_t r = 0; r < RowCount(); ++r)
      if (LocaleSameText(Cells(c, r), Text)) {
        ACol = c;
        ARow = r;
        return true;
      }
  return false;
}

// --- auto-size -----------------------------------------------------------------------------

TGridDrawState TSortGrid::DrawStateOf(int32_t ACol, int32_t ARow) {
  TGridDrawState s;
  if (ACol < FixedCols() || ARow < FixedRows()) s += TGridDrawStateFlag::gdFixed;
  if (Focused() && ACol == Col() && ARow == Row()) s += TGridDrawStateFlag::gdFocused;
  if (Selection().Contains({ACol, ARow})) s += TGridDrawStateFlag::gdSelected;
  return s;
}

void TSortGrid::AutoSizeColumn(int32_t Col) {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  TCharWidths widths;
  int32_t widest = 0;
  for (int32_t r = 0; r < RowCount(); ++r) {
    TFormatOptions fmt = GetFormatOptions();
    if (!FireEvent(this, OnGetCellFormat, this, Col, r, DrawStateOf(Col, r), fmt)) return;
    if (fmt.Font && fmt.Font != c->Font()) c->Font()->Assign(fmt.Font);
    const std::string& text = Cells(Col, r);
    if (!text.empty()) widest = std::max(widest, widths.Width(c, text));
  }
  SetColWidths(Col, widest + c->TextWidth("x"));
}

void TSortGrid::AutoSizeColumns(bool IncludeFixed, int32_t Padding) {
  auto size = [&](int32_t col) {
    AutoSizeColumn(col);
    if (Padding != 0) SetColWidths(col, ColWidths(col) + Padding);
  };
  if (IncludeFixed)
    for (int32_t col = 0; col < FixedCols(); ++col) size(col);
  for (int32_t col = FixedCols(); col < ColCount(); ++col) size(col);
}

// --- separated text -------------------------------------------------------------------------

void TSortGrid::LoadFromFile(const std::string& FileName, char Separator) {
  std::string bytes = ReadFileBytes(FileName);
  ClearRows();
  TGridCells loaded;
  // At least one row, whatever the file holds: a grid always has one.
  ReadSeparatedText(bytes, Separator, FixedCols() + 1, loaded);
  SetColCount(loaded.ColCount());
  SetRowCount(loaded.RowCount());
  CellStore() = std::move(loaded);
  CellStore().SetSize(ColCount(), RowCount());
  RowsChanged();
  Invalidate();
  RememberCell();
}

void TSortGrid::SaveToFile(const std::string& FileName, char Separator) {
  WriteFileBytes(FileName, WriteSeparatedText(CellStore(), Separator));
}

// --- validation ---------------------------------------------------------------------------

void TSortGrid::RememberCell() {
  remembered_.Col = Col();
  remembered_.Row = Row();
  remembered_.Text = Cells(Col(), Row());
  remembered_.Modified = modified_;
}

void TSortGrid::ValidateCell() {
  auto& m = remembered_;
  if (m.Col < ColCount() && m.Row < RowCount()) {
    const std::string now = Cells(m.Col, m.Row);
    if (now != m.Text) {
      std::string value = now;
      bool valid = true;
      if (!FireEvent(this, OnCellValidate, this, m.Col, m.Row, value, valid)) return;
      if (valid) {
        if (value != Cells(m.Col, m.Row)) SetCells(m.Col, m.Row, value);
      } else if (value != now) {
        SetCells(m.Col, m.Row, value);
      } else {
        SetCells(m.Col, m.Row, m.Text);
        modified_ = m.Modified;
      }
    }
  }
  RememberCell();
}

void TSortGrid::SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) {
  if (Value != Cells(ACol, ARow)) modified_ = true;
  TStringGrid::SetEditText(ACol, ARow, Value);
}

void TSortGrid::Click() {
  TControlWatch watch(this);
  TStringGrid::Click();
  if (watch.Alive() && entered_) ValidateCell();
}

void TSortGrid::DoEnter() {
  entered_ = true;
  RememberCell();
  TStringGrid::DoEnter();
}

void TSortGrid::DoExit() {
  TControlWatch watch(this);  // OnClick and OnExit may free the grid
  Click();
  if (!watch.Alive()) return;
  TStringGrid::DoExit();
  if (watch.Alive()) entered_ = false;
}

// --- notifications and scroll bars ----------------------------------------------------------

void TSortGrid::ColWidthsChanged() {
  TStringGrid::ColWidthsChanged();
  if (FireEvent(this, OnColumnWidthsChanged, this)) UpdateScrollPage();
}

void TSortGrid::RowHeightsChanged() {
  TStringGrid::RowHeightsChanged();
  if (FireEvent(this, OnRowHeightsChanged, this)) UpdateScrollPage();
}

void TSortGrid::SizeChanged(int32_t OldColCount, int32_t OldRowCount) {
  TStringGrid::SizeChanged(OldColCount, OldRowCount);
  RowsChanged();
  if (FireEvent(this, OnSizeChanged, this, OldColCount, OldRowCount)) UpdateScrollPage();
}

void TSortGrid::UpdateScrollPage() {
  if (!HandleAllocated()) return;
  auto update = [&](int Bar, int32_t Visible, int32_t Fixed, int32_t Count) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    GetScrollInfo(Handle(), Bar, &si);
    UINT page = 0;
    if (proportional_ && Count > 0) {
      double span = static_cast<double>(si.nMax) - si.nMin + 1;
      // Nearest integer, halves to even (the default rounding mode).
      page = static_cast<UINT>(std::max(1.0, std::nearbyint((Visible + Fixed) * span / Count)));
    }
    si.fMask = SIF_PAGE;
    si.nPage = page;
    SetScrollInfo(Handle(), Bar, &si, TRUE);
  };
  TScrollStyle s = ScrollBars();
  if (s == TScrollStyle::ssVertical || s == TScrollStyle::ssBoth)
    update(SB_VERT, VisibleRowCount(), FixedRows(), RowCount());
  if (s == TScrollStyle::ssHorizontal || s == TScrollStyle::ssBoth)
    update(SB_HORZ, VisibleColCount(), FixedCols(), ColCount());
}

void TSortGrid::Dispatch(TMessage& M) {
  TControlWatch watch(this);
  TStringGrid::Dispatch(M);
  if (M.Msg == WM_SIZE && watch.Alive()) UpdateScrollPage();
}

// --- keyboard and mouse ---------------------------------------------------------------------

void TSortGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TControlWatch watch(this);
  TStringGrid::KeyDown(Key, Shift);
  if (!watch.Alive() || Key == 0 || !extended_keys_ || EditorMode()) return;
  bool ctrl = Shift.Contains(TShiftFlag::ssCtrl);
  bool shift = Shift.Contains(TShiftFlag::ssShift);
  if (!ctrl || Shift.Contains(TShiftFlag::ssAlt)) return;
  if (Key == VK_INSERT) {
    if (shift)
      InsertColumn(Col());
    else
      InsertRow(Row());
    Key = 0;
  } else if (Key == VK_DELETE) {
    if (shift) {
      if (FixedCols() + 1 < ColCount()) DeleteColumn(Col());
    } else if (FixedRows() + 1 < RowCount()) {
      DeleteRow(Row());
    }
    Key = 0;
  }
}

void TSortGrid::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  bool sizing = GridState() != TGridState::gsNormal && GridState() != TGridState::gsSelecting;
  TShiftState blocking = {TShiftFlag::ssShift, TShiftFlag::ssCtrl, TShiftFlag::ssAlt,
                          TShiftFlag::ssLeft,  TShiftFlag::ssRight, TShiftFlag::ssMiddle};
  bool focused = Focused() || (InplaceEditor() && InplaceEditor()->Focused());
  // A sizing or a move ends in the framework's mouse-up below: its state still shows.
  if (focused && click_sorting_ && !sizing && FixedRows() >= 1 &&
      (Shift * blocking).Empty()) {
    TGridCoord c = MouseCoord(X, Y);
    if (c.X >= 0 && c.Y >= 0 && c.Y < FixedRows()) {
      TSortOptions o;
      o.SortStyle = ssAutomatic;
      o.SortDirection = Button == TMouseButton::mbRight ? sdDescending : sdAscending;
      o.SortCaseSensitive = true;
      TControlWatch watch(this);  // the sort's handlers may free the grid
      if (!FireEvent(this, OnClickSort, this, c.X, c.Y, o)) return;
      {
        TScreenCursor hourglass(crHourGlass);
        SortColumn(c.X, o);
      }
      if (!watch.Alive()) return;
    }
  }
  TStringGrid::MouseUp(Button, Shift, X, Y);
}

// --- drawing ------------------------------------------------------------------------------

TFormatOptions TSortGrid::GetFormatOptions() {
  TFormatOptions f;
  f.Brush = Canvas()->Brush();
  f.Font = Canvas()->Font();
  f.AlignmentHorz = alignment_horz_;
  f.AlignmentVert = alignment_vert_;
  f.Bevel = bevel_style_;
  f.HideText = false;
  switch (bevel_style_) {
    case TCellBevelStyle::cbRaised:
      f.HighlightColor = clBtnHighlight;
      f.ShadowColor = clBtnShadow;
      break;
    case TCellBevelStyle::cbLowered:
      f.HighlightColor = clBtnShadow;
      f.ShadowColor = clBtnHighlight;
      break;
    case TCellBevelStyle::cbNone:
      f.HighlightColor = clWindow;
      f.ShadowColor = clWindow;
      break;
  }
  return f;
}

void TSortGrid::DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) {
  TFormatOptions fmt = GetFormatOptions();
  RaiseEvent(this, OnGetCellFormat, this, ACol, ARow, AState, fmt);
  if (!DefaultDrawing()) {
    TStringGrid::DrawCell(ACol, ARow, ARect, AState);
    return;
  }
  TCanvas* c = Canvas();
  if (fmt.Brush && fmt.Brush != c->Brush()) c->Brush()->Assign(fmt.Brush);
  if (fmt.Font && fmt.Font != c->Font()) c->Font()->Assign(fmt.Font);
  const std::string& text = Cells(ACol, ARow);
  if (fmt.HideText || text.empty()) {
    c->FillRect(ARect);
  } else {
    TSize ext = c->TextExtent(text);
    int32_t w = ARect.Width(), h = ARect.Height();
    int32_t dx = 2, dy = 2;
    if (fmt.AlignmentHorz == TAlignment::taRightJustify) dx = w - ext.cx - 2;
    if (fmt.AlignmentHorz == TAlignment::taCenter) dx = (w - ext.cx) / 2;
    if (fmt.AlignmentVert == TVertAlignment::taBottomJustify) dy = h - ext.cy - 3;
    if (fmt.AlignmentVert == TVertAlignment::taMiddle) dy = (h - ext.cy) / 2;
    c->TextRect(ARect, ARect.Left + dx, ARect.Top + dy, text);
  }
  if (AState.Contains(TGridDrawStateFlag::gdFixed) || fmt.Bevel == TCellBevelStyle::cbNone) return;
  TGridOptions o = Options();
  if (o.Contains(TGridOption::goFixedVertLine)) {
    c->Pen()->SetColor(fmt.ShadowColor);
    c->MoveTo(ARect.Right - 1, ARect.Top);
    c->LineTo(ARect.Right - 1, ARect.Bottom);
    c->Pen()->SetColor(fmt.HighlightColor);
    c->MoveTo(ARect.Left, ARect.Top);
    c->LineTo(ARect.Left, ARect.Bottom);
  }
  if (o.Contains(TGridOption::goFixedHorzLine)) {
    c->Pen()->SetColor(fmt.ShadowColor);
    c->MoveTo(ARect.Left, ARect.Bottom - 1);
    c->LineTo(ARect.Right, ARect.Bottom - 1);
    c->Pen()->SetColor(fmt.HighlightColor);
    c->MoveTo(ARect.Left, ARect.Top);
    c->LineTo(ARect.Right, ARect.Top);
  }
}

void TSortGrid::PublishProperties(TPropertyList& P) {
  TStringGrid::PublishProperties(P);
  P.Enum<TAlignment>(
       "AlignmentHorz", {"taLeftJustify", "taRightJustify", "taCenter"},
       [this] { return alignment_horz_; }, [this](TAlignment v) { SetAlignmentHorz(v); })
      .Default(0);
  P.Enum<TVertAlignment>(
       "AlignmentVert", {"taTopJustify", "taBottomJustify", "taMiddle"},
       [this] { return alignment_vert_; }, [this](TVertAlignment v) { SetAlignmentVert(v); })
      .Default(0);
  P.Boolean(
       "ClickSorting", [this] { return click_sorting_; }, [this](bool v) { SetClickSorting(v); })
      .Default(1);
  P.Enum<TCellBevelStyle>(
       "BevelStyle", {"cbNone", "cbRaised", "cbLowered"}, [this] { return bevel_style_; },
       [this](TCellBevelStyle v) { SetBevelStyle(v); })
      .Default(0);
  P.Boolean(
       "ProportionalScrollBars", [this] { return proportional_; },
       [this](bool v) { SetProportionalScrollBars(v); })
      .Default(1);
  P.Boolean(
       "ExtendedKeys", [this] { return extended_keys_; }, [this](bool v) { SetExtendedKeys(v); })
      .Default(0);
}

}  // namespace tess
