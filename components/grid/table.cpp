// The table grid's window: painting through the layout, scroll bars, cell messages.
#include "components/grid/table.h"

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
  auto RepaintAll = [this](TObject*) { DoCellChanged(this); };
  colors_.OnChange = RepaintAll;
  pens_.SetOnChange(RepaintAll);
  cols_.SetOnColumnChanged(
      [this](TObject*, int C1, int C2, TOvcTblActions A) { ColumnChanged(C1, C2, A); });
  rows_.OnRowChanged = [this](TObject*, int32_t R1, int32_t R2, TOvcTblActions A) {
    RowChanged(R1, R2, A);
  };
  layout_.OnTopLeftCellChanging = [this](int32_t& R, int32_t& C) {
    int Col = C;
    DoTopLeftCellChanging(R, Col);
    C = Col;
  };
  layout_.OnTopLeftCellChanged = [this](int32_t R, int32_t C) { DoTopLeftCellChanged(R, C); };
}

TOvcCustomTable::~TOvcCustomTable() {
  Destroying();
  // The editor belongs to the table as its owner: let the cell drop it first.
  if (editing_cell_) editing_cell_->StopEditing(false, nullptr);
  editing_cell_ = nullptr;
  layout_.OnTopLeftCellChanging = nullptr;
  layout_.OnTopLeftCellChanged = nullptr;
  cols_.SetOnColumnChanged(nullptr);
  rows_.OnRowChanged = nullptr;
}

void TOvcCustomTable::ColumnChanged(int C1, int C2, TOvcTblActions A) {
  layout_.ExtentsChanged();
  DoColumnsChanged(C1, C2, A);
}
void TOvcCustomTable::RowChanged(int32_t R1, int32_t R2, TOvcTblActions A) {
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

void TOvcCustomTable::SetColumnCell(int32_t ColNum, TOvcBaseTableCell* Cell) {
  TOvcTableColumn* Col = cols_.GetColumn(ColNum);
  if (!Col || (Cell && Cell->UseCount() > 0 && Cell->Table() != this)) return;
  if (auto* Old = dynamic_cast<TOvcBaseTableCell*>(Col->DefaultCell())) Old->DecUse();
  if (Cell) {
    if (Cell->UseCount() == 0) Cell->SetTable(this);
    Cell->IncUse();
  }
  Col->SetDefaultCell(Cell);
}

TOvcBaseTableCell* TOvcCustomTable::GetCellForPaint(int32_t RowNum, int32_t ColNum) const {
  if (RowNum < layout_.LockedRows()) return locked_rows_cell_;
  return dynamic_cast<TOvcBaseTableCell*>(cols_.GetDefaultCell(ColNum));
}

void TOvcCustomTable::ResolveCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& A) {
  if (A.Access == TOvcTblAccess::otxDefault) A.Access = access_;
  if (A.Adjust == TOvcTblAdjust::otaDefault) A.Adjust = adjust_;
  const bool Locked = RowNum < layout_.LockedRows() || ColNum < layout_.LockedCols();
  if (RowNum == layout_.ActiveRow() && ColNum == layout_.ActiveCol()) {
    const bool Editing =
        InEditingState() || (options_.Contains(TOvcTblOption::otoAlwaysEditing) &&
                             A.Access == TOvcTblAccess::otxNormal);
    if (focused_ && Editing) {
      A.Color = colors_.Editing;
      A.FontColor = colors_.EditingText;
    } else {
      A.Color = focused_ ? colors_.ActiveFocused : colors_.ActiveUnfocused;
      A.FontColor = focused_ ? colors_.ActiveFocusedText : colors_.ActiveUnfocusedText;
    }
  } else if (Locked) {
    A.Color = colors_.Locked;
    A.FontColor = colors_.LockedText;
  }
  DoGetCellAttributes(RowNum, ColNum, A);
}

void TOvcCustomTable::Notification(TComponent* AComponent, TOperation Operation) {
  TOvcTableAncestor::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  // A cell going away takes its editor with it: the table is idle again.
  if (static_cast<TComponent*>(editing_cell_) == AComponent) {
    editing_cell_ = nullptr;
    edit_state_ = TEditState::Idle;
  }
  if (AComponent == locked_rows_cell_) locked_rows_cell_ = nullptr;
  if (auto* Cell = dynamic_cast<TOvcTableCellAncestor*>(AComponent)) cols_.RemoveCell(Cell);
}

void TOvcCustomTable::CreateParams(TCreateParams& Params) {
  TOvcTableAncestor::CreateParams(Params);
  Params.Style |= WS_HSCROLL | WS_VSCROLL;
  Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TOvcCustomTable::CreateWnd() {
  TOvcTableAncestor::CreateWnd();
  // The stored cell names are resolved once the form around the table is complete.
  PostMessageA(Handle(), ctim_LoadDefaultCells, 0, 0);
  layout_.WindowCreated();
  DoActiveCellChanged(ActiveRow(), ActiveCol());
  if (options_.Contains(TOvcTblOption::otoAlwaysEditing))
    PostMessageA(Handle(), ctim_StartEdit, 0, 0);
}

// ---- host -----------------------------------------------------------------------------

bool TOvcCustomTable::HasWindow() const { return HandleAllocated(); }
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

bool TOvcCustomTable::HasScrollBar(bool) const { return true; }

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
}

// ---- painting -------------------------------------------------------------------------

void TOvcCustomTable::PaintCellAt(TCanvas* C, int RI, int CI) {
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  const int32_t Row = RA.Number(RI), Col = CA.Number(CI);
  const TRect Cell{CA.Offset(CI), RA.Offset(RI), CA.Offset(CI) + CA.Size(CI),
                   RA.Offset(RI) + RA.Size(RI)};
  const bool Locked = Row < layout_.LockedRows() || Col < layout_.LockedCols();
  const TOvcGridPen& Pen = Locked ? pens_.LockedGrid : pens_.NormalGrid;
  const TRect R = ReducedByEffect(Cell, Pen.Effect);

  TOvcCellAttributes A;
  work_font_->Assign(Font());
  A.Font = work_font_.get();
  A.Color = Color();
  A.FontColor = Font()->Color();
  const bool UnderEditor =
      InEditingState() && Row == layout_.ActiveRow() && Col == layout_.ActiveCol();
  TOvcBaseTableCell* Painter = UnderEditor ? nullptr : GetCellForPaint(Row, Col);
  if (Painter) {
    void* Data = FetchCellData(Row, Col, TOvcCellDataPurpose::cdpForPaint);
    Painter->ResolveAttributes(Row, Col, A);
    Painter->PaintCell(C, R, Row, Col, A, Data);
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
  if (edit_state_ == TEditState::Shown && GetActiveCellRect(Active) && Clip == Active) return;
  if (layout_.RedrawLocked()) {
    for (int RI = 0; RI < RA.Entries(); ++RI)
      for (int CI = 0; CI < CA.Entries(); ++CI)
        layout_.InvalidateCell(RA.Number(RI), CA.Number(CI));
    return;
  }
  for (int RI = 0; RI < RA.Entries(); ++RI) {
    if (RA.Offset(RI + 1) <= Clip.Top || RA.Offset(RI) >= Clip.Bottom) continue;
    for (int CI = CA.Entries() - 1; CI >= 0; --CI) {
      if (CA.Offset(CI + 1) <= Clip.Left || CA.Offset(CI) >= Clip.Right) continue;
      PaintCellAt(C, RI, CI);
    }
  }
  if (Clip.Right > CA.TotalExtent() || Clip.Bottom > RA.TotalExtent()) PaintUnusedArea(C);
}

// ---- messages -------------------------------------------------------------------------

void TOvcCustomTable::HandleScroll(bool Vertical, uint16_t Code) {
  layout_.CheckSize();
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  const int32_t First = A.First;
  const int32_t Page = std::max(1, A.Entries() - A.FirstScrolling() - 1);
  int32_t To = First;
  switch (Code) {
    case SB_LINEDOWN: To = A.Inc(First, 1); break;
    case SB_LINEUP: To = A.Inc(First, -1); break;
    case SB_PAGEDOWN: To = std::min(A.Max, First + Page); break;
    case SB_PAGEUP: To = std::max(A.Locked, First - Page); break;
    case SB_TOP: To = A.Locked; break;
    case SB_BOTTOM: To = A.Max; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      // The track position is 32 bits wide, unlike the message's 16-bit one.
      SCROLLINFO SI{};
      SI.cbSize = sizeof SI;
      SI.fMask = SIF_TRACKPOS;
      GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &SI);
      To = Vertical ? layout_.RowForThumb(SI.nTrackPos) : layout_.ColForThumb(SI.nTrackPos);
      break;
    }
    default: return;
  }
  if (Vertical)
    layout_.SetTopRow(To);
  else
    layout_.SetLeftCol(To);
}

void TOvcCustomTable::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND: M.Result = 1; return;  // painting covers the whole client area
    case WM_VSCROLL: HandleScroll(true, M.WParamLo()); return;
    case WM_HSCROLL: HandleScroll(false, M.WParamLo()); return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (options_.Contains(TOvcTblOption::otoTabToArrow)) M.Result |= DLGC_WANTTAB;
      return;
    case ctim_QueryOptions: M.Result = static_cast<intptr_t>(options_.Bits()); return;
    case ctim_QueryColor: M.Result = Color(); return;
    case ctim_QueryFont: M.Result = reinterpret_cast<intptr_t>(Font()); return;
    case ctim_QueryLockedCols: M.Result = layout_.LockedCols(); return;
    case ctim_QueryActiveCol: M.Result = layout_.ActiveCol(); return;
    case ctim_QueryActiveRow: M.Result = layout_.ActiveRow(); return;
    case ctim_RemoveCell: {
      auto* Cell = reinterpret_cast<TOvcBaseTableCell*>(M.LParam);
      if (Cell == locked_rows_cell_) locked_rows_cell_ = nullptr;
      cols_.RemoveCell(Cell);
      RemoveCell(Cell);
      return;
    }
    default:
      if (HandleEditingMessage(M)) return;
      break;
  }
  TOvcTableAncestor::Dispatch(M);
}

void TOvcCustomTable::Resize() {
  TOvcTableAncestor::Resize();
  // Size notices also come when only a scroll bar was redrawn.
  layout_.CheckSize();
}

}  // namespace tess
