// The table grid's window: painting through the layout, scroll bars, cell messages.
#include "components/table/table.h"

#include "components/table/combocell.h"
#include "components/table/glyphcells.h"
#include "components/table/stringcell.h"
#include "components/table/tableoptions.h"
#include "framework/win/messages.h"
#include "platform/win32.h"

namespace tess {

namespace {
using RedrawLock = TOvcTableRedrawLock;
}  // namespace

TOvcCustomTable::TOvcCustomTable(TComponent* AOwner)
    : TOvcTableAncestor(AOwner), work_font_(std::make_unique<TFont>()) {
  SetBounds(Left(), Top(), 300, 100);
  SetColor(clBtnFace);
  SetTabStop(true);
  // What the parts tell of runs the table's handlers (painting, the events of a change,
  // an edit ended): one that frees the table ends the parts' work at once (RaiseEvent).
  auto RepaintAll = [this](TObject*) { DoCellChanged(this); };
  colors_.OnChange = RepaintAll;
  pens_.SetOnChange(RepaintAll);
  cols_.SetOnColumnChanged(
      [this](TObject*, int C1, int C2, TOvcTblActions A) { ColumnChanged(C1, C2, A); });
  rows_.OnRowChanged = [this](TObject*, int32_t R1, int32_t R2, TOvcTblActions A) {
    RowChanged(R1, R2, A);
  };
  cell_store_.OnChange = RepaintAll;
  cell_store_.OnCellUse = [this](TOvcTableCellAncestor* C, int D) { CellStoreUse(C, D); };
  cols_.OnCellUse = cell_store_.OnCellUse;
  cell_store_.OnAcceptCell = [this](TOvcTableCellAncestor* C) { return AcceptsCell(C); };
  cols_.OnAcceptCell = cell_store_.OnAcceptCell;
  // What moves the edited record or replaces its cell ends the edit first.
  rows_.OnRowChanging = [this](TObject*, int32_t R1, int32_t, TOvcTblActions A) {
    StructureChanging(A != TOvcTblActions::taSingle || R1 == ActiveRow());
  };
  cols_.OnColumnChanging = [this](TObject*, int C1, int, TOvcTblActions A) {
    StructureChanging(A != TOvcTblActions::taSingle || C1 == ActiveCol());
  };
  cell_store_.OnChanging = [this](int32_t R, int32_t C) {
    StructureChanging(R < 0 || (R == ActiveRow() && C == ActiveCol()));
  };
  layout_.OnLockedChanging = [this] { StructureChanging(true); };
  static bool Registered = false;
  if (!Registered) {
    Registered = true;
    RegisterTableCellClasses();
  }
  InitNavigation();
  InitEditing();
  layout_.OnTopLeftCellChanging = [this](int32_t& R, int32_t& C) {
    int Col = C;
    DoTopLeftCellChanging(R, Col);
    C = Col;
  };
  layout_.OnTopLeftCellChanged = [this](int32_t R, int32_t C) { DoTopLeftCellChanged(R, C); };
}

TOvcCustomTable::~TOvcCustomTable() {
  Destroying();
  // No cell calls back into a table half taken apart.
  ReleaseCells();
  // The editor belongs to the table as its owner: let the cell drop it first.
  if (editing_cell_) editing_cell_->StopEditing(false, nullptr);
  editing_cell_ = nullptr;
  nav_.SetMode(tsIdle);
  layout_.OnTopLeftCellChanging = nullptr;
  layout_.OnTopLeftCellChanged = nullptr;
  layout_.OnLockedChanging = nullptr;
  cols_.SetOnColumnChanged(nullptr);
  cols_.OnColumnChanging = nullptr;
  cols_.OnCellUse = nullptr;
  cols_.OnAcceptCell = nullptr;
  rows_.OnRowChanged = nullptr;
  rows_.OnRowChanging = nullptr;
  cell_store_.OnChange = nullptr;
  cell_store_.OnChanging = nullptr;
  cell_store_.OnAcceptCell = nullptr;
  cell_store_.Clear();
}

void TOvcCustomTable::ColumnChanged(int C1, int C2, TOvcTblActions A) {
  KeepCellsInStep(false, C1, C2, A);
  layout_.ExtentsChanged();
  DoColumnsChanged(C1, C2, A);
}
void TOvcCustomTable::RowChanged(int32_t R1, int32_t R2, TOvcTblActions A) {
  KeepCellsInStep(true, R1, R2, A);
  layout_.ExtentsChanged();
  DoRowsChanged(R1, R2, A);
}

void TOvcCustomTable::SetColorUnused(TColor Value) {
  if (Value == color_unused_) return;
  color_unused_ = Value;
  DoCellChanged(this);
}

void TOvcCustomTable::DoCellChanged(TObject*) {
  if (!HandleAllocated() || DestroyingObject()) return;
  RedrawLock L(layout_);
  layout_.InvalidateTable();
}

void TOvcCustomTable::SetLockedRowsCell(TOvcBaseTableCell* Cell) {
  if (Cell && Cell->Table() && Cell->Table() != this) return;
  RedrawLock L(layout_);
  if (locked_rows_cell_) locked_rows_cell_->DecUse();
  locked_rows_cell_ = Cell;
  if (Cell) {
    if (!Cell->Table()) Cell->SetTable(this);
    Cell->IncUse();
  }
  NotifyCellsTableChanged();
  layout_.InvalidateTable();
}

// The column checks the cell (AcceptsCell) and counts the use (CellStoreUse).
void TOvcCustomTable::SetColumnCell(int32_t ColNum, TOvcBaseTableCell* Cell) {
  if (TOvcTableColumn* Col = cols_.GetColumn(ColNum)) Col->SetDefaultCell(Cell);
}

// Only a cell of the kind the table paints with; never one another table counts.
bool TOvcCustomTable::AcceptsCell(TOvcTableCellAncestor* Cell) const {
  const auto* C = dynamic_cast<const TOvcBaseTableCell*>(Cell);
  return C && (C->UseCount() == 0 || C->Table() == static_cast<const TOvcTableAncestor*>(this));
}

TOvcBaseTableCell* TOvcCustomTable::GetCellForPaint(int32_t RowNum, int32_t ColNum) const {
  if (auto* Own = dynamic_cast<TOvcBaseTableCell*>(cell_store_.GetCell(RowNum, ColNum))) return Own;
  if (RowNum < layout_.LockedRows()) return locked_rows_cell_;
  return dynamic_cast<TOvcBaseTableCell*>(cols_.GetDefaultCell(ColNum));
}

// The cell's own record, then the cell's override, then the table's defaults; the state
// of the cell (active, browsed row, locked) decides the colours.
void TOvcCustomTable::ResolveCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& A) {
  const TOvcCellOverride* O = cell_store_.GetAttributes(RowNum, ColNum);
  if (O && O->Access != TOvcTblAccess::otxDefault) A.Access = O->Access;
  if (A.Access == TOvcTblAccess::otxDefault) A.Access = access_;
  if (O && O->Adjust != TOvcTblAdjust::otaDefault) A.Adjust = O->Adjust;
  if (A.Adjust == TOvcTblAdjust::otaDefault) A.Adjust = adjust_;
  auto* OFont = O ? dynamic_cast<TFont*>(O->Font.get()) : nullptr;
  if (OFont && A.Font) A.Font->Assign(OFont);
  const bool Locked = RowNum < layout_.LockedRows() || ColNum < layout_.LockedCols();
  const bool Has = (nav_.State() & tsFocused) != 0;
  const bool Browse = Options().Contains(TOvcTblOption::otoBrowseRow);
  if (RowNum == layout_.ActiveRow() && ColNum == layout_.ActiveCol()) {
    const bool Editing = InEditingState() || (Options().Contains(TOvcTblOption::otoAlwaysEditing) &&
                                              A.Access == TOvcTblAccess::otxNormal);
    if (Has && Editing) {
      A.Color = colors_.Editing;
      A.FontColor = colors_.EditingText;
    } else {
      A.Color = Has ? colors_.ActiveFocused : colors_.ActiveUnfocused;
      A.FontColor = Has ? colors_.ActiveFocusedText : colors_.ActiveUnfocusedText;
    }
  } else if (Browse && RowNum == layout_.ActiveRow()) {
    A.Color = Has ? colors_.ActiveFocused : colors_.ActiveUnfocused;
    A.FontColor = Has ? colors_.ActiveFocusedText : colors_.ActiveUnfocusedText;
  } else if (nav_.IsCellSelected(RowNum, ColNum)) {
    A.Color = colors_.Selected;
    A.FontColor = colors_.SelectedText;
  } else {
    if (O && O->Color != NoOverrideColor)
      A.Color = static_cast<TColor>(O->Color);
    else if (Locked)
      A.Color = colors_.Locked;
    if (OFont)
      A.FontColor = OFont->Color();
    else if (Locked)
      A.FontColor = colors_.LockedText;
  }
  DoGetCellAttributes(RowNum, ColNum, A);
}

// Every component of the form that goes comes here (free notification): only a cell the
// table names counts as a change of its cells.
void TOvcCustomTable::DropCell(const TComponent* Cell) {
  TOvcTableAncestor::DropCell(Cell);
  if (!Cell) return;
  bool Named = false;
  // A cell going away takes its editor with it: the table is idle again.
  if (editing_cell_ && static_cast<const TComponent*>(editing_cell_) == Cell) {
    editing_cell_ = nullptr;
    nav_.SetMode(tsIdle);
    Named = true;
  }
  if (locked_rows_cell_ && static_cast<const TComponent*>(locked_rows_cell_) == Cell) {
    locked_rows_cell_ = nullptr;
    Named = true;
  }
  const bool Was = dropping_cell_;
  dropping_cell_ = true;
  Named = cols_.RemoveCell(Cell) || Named;
  Named = cell_store_.RemoveCellRefs(Cell) || Named;
  dropping_cell_ = Was;
  if (Named) ++structure_serial_;
}

void TOvcCustomTable::CreateParams(TCreateParams& Params) {
  TOvcTableAncestor::CreateParams(Params);
  if (HasScrollBar(false)) Params.Style |= WS_HSCROLL;
  if (HasScrollBar(true)) Params.Style |= WS_VSCROLL;
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TOvcCustomTable::CreateWnd() {
  TOvcTableAncestor::CreateWnd();
  // The stored cell names are resolved once the form around the table is complete.
  PostMessageA(Handle(), ctim_LoadDefaultCells, 0, 0);
  // The first events come while the window is being made: the making goes on (as for
  // any control's), whatever their handlers did, so nothing is thrown into it.
  try {
    layout_.WindowCreated();
    DoActiveCellChanged(ActiveRow(), ActiveCol());
  } catch (const EFreedByHandler&) {
    return;
  }
  if (nav_.Has(TOvcTblOption::otoAlwaysEditing) && !(ComponentState() & csDesigning))
    PostMessageA(Handle(), ctim_StartEdit, 0, 0);
}

// ---- host -----------------------------------------------------------------------------

bool TOvcCustomTable::HasWindow() const {
  return HandleAllocated();
}
int32_t TOvcCustomTable::ViewWidth() const {
  return const_cast<TOvcCustomTable*>(this)->TOvcTableAncestor::ClientWidth();
}
int32_t TOvcCustomTable::ViewHeight() const {
  return const_cast<TOvcCustomTable*>(this)->TOvcTableAncestor::ClientHeight();
}

// The layout marks the cells that came into view and they are painted when the redraw
// lock ends, so the strip the system marks as uncovered is validated again.
void TOvcCustomTable::ScrollRect(int32_t DX, int32_t DY, const TOvcTableRect& Clip) {
  RECT R{Clip.Left, Clip.Top, Clip.Right, Clip.Bottom};
  ScrollWindow(Handle(), DX, DY, &R, &R);
  RECT Strip = R;
  if (DY < 0) Strip.top = R.bottom + DY;
  if (DY > 0) Strip.bottom = R.top + DY;
  if (DX < 0) Strip.left = R.right + DX;
  if (DX > 0) Strip.right = R.left + DX;
  ValidateRect(Handle(), &Strip);
}

bool TOvcCustomTable::HasScrollBar(bool Vertical) const {
  return scroll_bars_ == TScrollStyle::ssBoth ||
         scroll_bars_ == (Vertical ? TScrollStyle::ssVertical : TScrollStyle::ssHorizontal);
}

void TOvcCustomTable::SetScrollRange(bool Vertical, int32_t Min, int32_t Max) {
  SCROLLINFO SI{};
  SI.cbSize = sizeof SI;
  SI.fMask = SIF_RANGE | SIF_DISABLENOSCROLL;
  SI.nMin = Min;
  SI.nMax = Max;
  SetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &SI, TRUE);
}

void TOvcCustomTable::SetScrollPos(bool Vertical, int32_t Pos) {
  SCROLLINFO SI{};
  SI.cbSize = sizeof SI;
  SI.fMask = SIF_POS | SIF_DISABLENOSCROLL;
  SI.nPos = Pos;
  SetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &SI, TRUE);
}

void TOvcCustomTable::PaintInvalidCells(const TOvcCellArray& Cells) {
  TCanvas* C = Canvas();
  for (const TOvcCellAddress& A : Cells.Cells()) {
    const int RI = layout_.FindRow(A.Row), CI = layout_.FindCol(A.Col);
    if (RI >= 0 && CI >= 0) PaintCellAt(C, RI, CI);
  }
  if (Cells.ExtraAreaMarked()) PaintUnusedArea(C);
  PaintActiveCellFrame(C);
}

// ---- painting -------------------------------------------------------------------------

// The table's font (in the working font) and colours, where a cell's attributes start.
TOvcCellAttributes TOvcCustomTable::TableAttributes() {
  TOvcCellAttributes A;
  work_font_->Assign(Font());
  A.Font = work_font_.get();
  A.Color = Color();
  A.FontColor = Font()->Color();
  return A;
}

void TOvcCustomTable::PaintCellAt(TCanvas* C, int RI, int CI) {
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  const int32_t Row = RA.Number(RI), Col = CA.Number(CI);
  const TRect Cell{CA.Offset(CI), RA.Offset(RI), CA.Offset(CI) + CA.Size(CI),
                   RA.Offset(RI) + RA.Size(RI)};
  const bool Locked = Row < layout_.LockedRows() || Col < layout_.LockedCols();
  const TOvcGridPen& Pen = Locked ? pens_.LockedGrid : pens_.NormalGrid;
  const TRect R = ReducedByEffect(Cell, Pen.Effect);

  TOvcCellAttributes A = TableAttributes();
  const bool UnderEditor =
      InEditingState() && Row == layout_.ActiveRow() && Col == layout_.ActiveCol();
  TOvcBaseTableCell* Painter = UnderEditor ? nullptr : GetCellForPaint(Row, Col);
  if (Painter) {
    void* Data = FetchCellData(Row, Col, TOvcCellDataPurpose::cdpForPaint);
    // The cell's own handlers (its owner drawing) may free the table.
    RunFor(this, [&] {
      Painter->ResolveAttributes(Row, Col, A);
      Painter->PaintCell(C, R, Row, Col, A, Data);
    });
  } else {
    ResolveCellAttributes(Row, Col, A);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
  }
  if (Pen.Effect == TGridEffect::geNone) return;
  C->Pen()->SetStyle(Pen.Style);
  C->Pen()->SetWidth(1);
  C->Brush()->SetColor(Color());
  if (Pen.Effect == TGridEffect::ge3D) {
    C->Pen()->SetColor(Pen.SecondColor);
    C->MoveTo(Cell.Left, Cell.Bottom - 1);
    C->LineTo(Cell.Left, Cell.Top);
    C->LineTo(Cell.Right, Cell.Top);
  }
  C->Pen()->SetColor(Pen.NormalColor);
  if (Pen.Effect != TGridEffect::geHorizontal) {
    C->MoveTo(Cell.Right - 1, Cell.Top);
    C->LineTo(Cell.Right - 1, Cell.Bottom);
  }
  if (Pen.Effect != TGridEffect::geVertical) {
    C->MoveTo(Cell.Left, Cell.Bottom - 1);
    C->LineTo(Cell.Right, Cell.Bottom - 1);
  }
}

void TOvcCustomTable::PaintUnusedArea(TCanvas* C) {
  if (OnPaintUnusedArea) {
    DoPaintUnusedArea();
    return;
  }
  const int32_t W = ClientWidth(), H = ClientHeight();
  C->Brush()->SetColor(color_unused_);
  const int32_t CX = layout_.ColAxis().TotalExtent(), RY = layout_.RowAxis().TotalExtent();
  if (CX < W) C->FillRect(TRect{CX, 0, W, H});
  if (RY < H) C->FillRect(TRect{0, RY, std::min(CX, W), H});
}

// Paints only the rows and columns the clipping box touches.
void TOvcCustomTable::Paint() {
  layout_.CheckSize();
  TCanvas* C = Canvas();
  const TRect Clip = C->ClipRect();
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  // The editor paints itself.
  TRect Active;
  if ((nav_.State() & tsEditing) && GetActiveCellRect(Active) && Clip == Active) return;
  // Under the redraw lock what the clip box touches waits for the lock's end.
  const bool Locked = layout_.RedrawLocked();
  for (int RI = 0; RI < RA.Entries(); ++RI) {
    if (RA.Offset(RI + 1) <= Clip.Top || RA.Offset(RI) >= Clip.Bottom) continue;
    for (int CI = CA.Entries() - 1; CI >= 0; --CI) {
      if (CA.Offset(CI + 1) <= Clip.Left || CA.Offset(CI) >= Clip.Right) continue;
      if (Locked)
        layout_.InvalidateCell(RA.Number(RI), CA.Number(CI));
      else
        PaintCellAt(C, RI, CI);
    }
  }
  if (Clip.Right > CA.TotalExtent() || Clip.Bottom > RA.TotalExtent()) {
    if (Locked)
      layout_.InvalidateUnusedArea();
    else
      PaintUnusedArea(C);
  }
  if (!Locked) PaintActiveCellFrame(C);
}

// ---- messages -------------------------------------------------------------------------

void TOvcCustomTable::Dispatch(TMessage& M) {
  if (HandleEditingMessage(M) || NavigationMessage(M)) return;
  switch (M.Msg) {
    case WM_ERASEBKGND:
      M.Result = 1;
      return;  // painting covers the whole client area
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
      LookChanged(M);
      return;
    case ctim_QueryOptions:
      M.Result = static_cast<intptr_t>(nav_.Options());
      return;
    case ctim_QueryColor:
      M.Result = Color();
      return;
    case ctim_QueryFont:
      M.Result = reinterpret_cast<intptr_t>(Font());
      return;
    case ctim_QueryLockedCols:
      M.Result = layout_.LockedCols();
      return;
    case ctim_QueryLockedRows:
      M.Result = layout_.LockedRows();
      return;
    case ctim_QueryActiveCol:
      M.Result = layout_.ActiveCol();
      return;
    case ctim_QueryActiveRow:
      M.Result = layout_.ActiveRow();
      return;
    case ctim_RemoveCell:
      DropCell(reinterpret_cast<TOvcTableCellAncestor*>(M.LParam));
      M.Result = 0;
      return;
    default:
      break;
  }
  TOvcTableAncestor::Dispatch(M);
}

void TOvcCustomTable::Resize() {
  TControlWatch watch(this);  // OnResize may free the table
  TOvcTableAncestor::Resize();
  // Size notices also come when only a scroll bar was redrawn.
  if (watch.Alive()) layout_.CheckSize();
}

// ---- options, frame, scroll bars, cell defaults and per-cell attributes ---------------

void TOvcCustomTable::SetOptions(TOvcTblOptionSet Value) {
  const auto Bits = AdjustedTableOptions(static_cast<uint16_t>(Value.Bits()));
  if (Bits == nav_.Options()) return;
  nav_.SetOptions(Bits);
  DoCellChanged(this);
}

void TOvcCustomTable::SetBorderStyle(TBorderStyle Value) {
  if (Value != TBorderStyle::bsNone) Value = TBorderStyle::bsSingle;
  if (Value == border_style_) return;
  border_style_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TOvcCustomTable::SetScrollBars(TScrollStyle Value) {
  if (Value == scroll_bars_) return;
  scroll_bars_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TOvcCustomTable::SetAccess(TOvcTblAccess Value) {
  if (Value == TOvcTblAccess::otxDefault) Value = TOvcTblAccess::otxNormal;
  if (Value == access_) return;
  const bool Seen = Value == TOvcTblAccess::otxInvisible || access_ == TOvcTblAccess::otxInvisible;
  access_ = Value;
  if (Seen) DoCellChanged(this);
}

void TOvcCustomTable::SetAdjust(TOvcTblAdjust Value) {
  if (Value == TOvcTblAdjust::otaDefault) Value = TOvcTblAdjust::otaCenterLeft;
  if (Value == adjust_) return;
  adjust_ = Value;
  DoCellChanged(this);
}

void TOvcCustomTable::ChangeScale(int M, int D) {
  if (M == D || D == 0) return;
  RedrawLock L(layout_);
  rows_.Rescale(M, D);
  for (int32_t C = 0; C < cols_.Count(); ++C) cols_.SetWidth(C, MulDiv(cols_.GetWidth(C), M, D));
  TOvcTableAncestor::ChangeScale(M, D);
  layout_.ExtentsChanged();
}

void TOvcCustomTable::LookChanged(TMessage& M) {
  TOvcTableAncestor::Dispatch(M);
  if (M.Msg == CM_CTL3DCHANGED) {
    if (border_style_ == TBorderStyle::bsSingle && HandleAllocated()) RecreateWnd();
    return;
  }
  if (DestroyingObject()) return;
  RedrawLock L(layout_);
  NotifyCellsTableChanged();
  if (HandleAllocated()) layout_.InvalidateTable();
}

void TOvcCustomTable::SetColors(TOvcTableColors* Value) {
  colors_.Assign(Value);
}
void TOvcCustomTable::SetGridPenSet(TOvcGridPenSet* Value) {
  pens_.Assign(Value);
}

// The frame follows the normal grid's effect, so it sits on the cell's own grid lines.
void TOvcCustomTable::PaintActiveCellFrame(TCanvas* C) {
  TRect F;
  if (!GetActiveCellRect(F)) return;
  const bool Has = HandleAllocated() && GetFocus() == Handle();
  const TOvcGridPen& Pen = Has ? pens_.CellWhenFocused : pens_.CellWhenUnfocused;
  if (Pen.Effect == TGridEffect::geNone) return;
  const bool Vert = Pen.Effect != TGridEffect::geHorizontal;
  const bool Horz = Pen.Effect != TGridEffect::geVertical;
  C->Brush()->SetColor(Has ? colors_.ActiveFocused : colors_.ActiveUnfocused);
  C->Pen()->SetWidth(1);
  C->Pen()->SetStyle(Pen.Style);
  C->Pen()->SetColor(Pen.NormalColor);
  if (Vert) {
    C->MoveTo(F.Right - 1, F.Top);
    C->LineTo(F.Right - 1, F.Bottom);
  }
  if (Horz) {
    C->MoveTo(F.Left, F.Bottom - 1);
    C->LineTo(F.Right, F.Bottom - 1);
  }
  if (Pen.Effect == TGridEffect::ge3D) C->Pen()->SetColor(Pen.SecondColor);
  if (Vert) {
    C->MoveTo(F.Left, F.Top);
    C->LineTo(F.Left, F.Bottom);
  }
  if (Horz) {
    C->MoveTo(F.Left, F.Top);
    C->LineTo(F.Right, F.Top);
  }
}

void TOvcCustomTable::CellStoreUse(TOvcTableCellAncestor* Cell, int Delta) {
  if (dropping_cell_) return;
  auto* C = dynamic_cast<TOvcBaseTableCell*>(Cell);
  if (!C) return;
  if (Delta > 0) {
    if (C->UseCount() == 0) C->SetTable(this);
    C->IncUse();
  } else {
    C->DecUse();
  }
}

void TOvcCustomTable::KeepCellsInStep(bool Rows, int32_t N1, int32_t N2, TOvcTblActions A) {
  if (Rows) {
    if (A == TOvcTblActions::taDelete) cell_store_.DeleteRow(N1);
    if (A == TOvcTblActions::taExchange) cell_store_.ExchangeRows(N1, N2);
    return;
  }
  switch (A) {
    case TOvcTblActions::taInsert:
      cell_store_.InsertCol(N1);
      break;
    case TOvcTblActions::taDelete:
      cell_store_.DeleteCol(N1);
      break;
    case TOvcTblActions::taExchange:
      cell_store_.ExchangeCols(N1, N2);
      break;
    default:
      break;
  }
  for (int I = 0; I < CellCount(); ++I)
    if (auto* Head = dynamic_cast<TOvcTCColHead*>(Cells(I))) Head->ChangeHeadings(N1, N2, A);
}

}  // namespace tess
