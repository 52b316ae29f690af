// The table grid's active cell, commands, keys, mouse operations and selection.
#include "components/table/tablenavigation.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "components/core/commands.h"
#include "components/table/tableoptions.h"

namespace tess {

namespace {
constexpr uint16_t kVkTab = 9, kVkReturn = 13, kVkEscape = 27, kVkSpace = 32;

// The plain command an extend command runs with the extend flag set (0: none).
uint16_t ExtendedBase(uint16_t Command) {
  switch (Command) {
    case ccExtendDown:
      return ccDown;
    case ccExtendEnd:
      return ccEnd;
    case ccExtendHome:
      return ccHome;
    case ccExtendLeft:
      return ccLeft;
    case ccExtendPgDn:
      return ccNextPage;
    case ccExtendPgUp:
      return ccPrevPage;
    case ccExtendRight:
      return ccRight;
    case ccExtendUp:
      return ccUp;
    case ccExtBotOfPage:
      return ccBotOfPage;
    case ccExtFirstPage:
      return ccFirstPage;
    case ccExtLastPage:
      return ccLastPage;
    case ccExtTopOfPage:
      return ccTopOfPage;
    case ccExtWordLeft:
      return ccWordLeft;
    case ccExtWordRight:
      return ccWordRight;
    default:
      return 0;
  }
}
}  // namespace

class TOvcTableNavigator::Lock : public TOvcTableRedrawLock {
 public:
  explicit Lock(TOvcTableNavigator& N) : TOvcTableRedrawLock(N.layout_) {}
};

TOvcTableNavigator::TOvcTableNavigator(TOvcTableHost& Host, TOvcTableLayout& Layout,
                                       TOvcTableRows& Rows, TOvcTableColumns& Columns)
    : host_(Host), layout_(Layout), rows_(Rows), cols_(Columns) {
  sel_.StartSelection(anchor_row_, anchor_col_, false);
}

// ---- options ----------------------------------------------------------------------------

void TOvcTableNavigator::SetOptions(TOvcTblOptionBits Value) {
  Lock L(*this);
  if (HaveSelection()) ClearSelection();
  options_ = AdjustedTableOptions(static_cast<uint16_t>(Value));
  layout_.InvalidateTable();
}

// ---- helpers ----------------------------------------------------------------------------

bool TOvcTableNavigator::EmptyLayout() const {
  return layout_.RowAxis().Entries() == 0 || layout_.ColAxis().Entries() == 0;
}

int32_t TOvcTableNavigator::ClientExtent(bool Vertical) const {
  return Vertical ? host_.ViewHeight() : host_.ViewWidth();
}

void TOvcTableNavigator::SyncSelectionSize() const {
  if (sel_.RowCount() != layout_.RowLimit()) sel_.SetRowCount(layout_.RowLimit());
  if (sel_.ColCount() != layout_.ColCount()) sel_.SetColCount(layout_.ColCount());
}

const TOvcSelectionList& TOvcTableNavigator::Selection() const {
  SyncSelectionSize();
  return sel_;
}

void TOvcTableNavigator::Moving(uint16_t Command, int32_t& RowNum, int32_t& ColNum) {
  if (OnMoving) OnMoving(Command, RowNum, ColNum);
}

bool TOvcTableNavigator::StopEditing(bool Save) {
  return !Editing() || !OnStopEditing || OnStopEditing(Save);
}

// ---- moving the active cell -------------------------------------------------------------

void TOvcTableNavigator::SetActiveCell(int32_t RowNum, int32_t ColNum) {
  Moving(0, RowNum, ColNum);
  Lock L(*this);
  // The selection stays; the anchor follows, so that a later extension starts here.
  MoveAnchor(layout_.IncRow(RowNum, 0), layout_.IncCol(ColNum, 0));
  MoveActiveCell(RowNum, ColNum);
}

void TOvcTableNavigator::SetLockedRows(int32_t Value) {
  Lock L(*this);
  layout_.SetLockedRows(Value);
  if (!host_.HasWindow() || layout_.ActiveRow() >= layout_.LockedRows()) return;
  SetActiveRow(layout_.ActiveRow());
  // A move the hooks refused still may not leave it there.
  if (layout_.ActiveRow() < layout_.LockedRows()) layout_.ExtentsChanged();
}

void TOvcTableNavigator::SetLockedCols(int32_t Value) {
  Lock L(*this);
  layout_.SetLockedCols(Value);
  if (!host_.HasWindow() || layout_.ActiveCol() >= layout_.LockedCols()) return;
  SetActiveCol(layout_.LeftCol());
  if (layout_.ActiveCol() < layout_.LockedCols()) layout_.ExtentsChanged();
}

void TOvcTableNavigator::InvalidateLocked(bool Vertical, int32_t N) {
  const TOvcTableAxis& Other = Vertical ? layout_.ColAxis() : layout_.RowAxis();
  for (int I = 0; I < Other.FirstScrolling(); ++I) {
    if (Vertical)
      layout_.InvalidateCell(N, Other.Number(I));
    else
      layout_.InvalidateCell(Other.Number(I), N);
  }
}

void TOvcTableNavigator::MoveActiveCell(int32_t RowNum, int32_t ColNum) {
  RowNum = layout_.IncRow(RowNum, 0);
  ColNum = layout_.IncCol(ColNum, 0);
  const int32_t OldRow = layout_.ActiveRow(), OldCol = layout_.ActiveCol();
  if (RowNum == OldRow && ColNum == OldCol) return;
  if (!host_.HasWindow() || EmptyLayout()) {
    layout_.SetActiveCell(RowNum, ColNum);
    return;
  }
  {
    Lock L(*this);
    if (RowNum != OldRow) {
      InvalidateLocked(true, OldRow);
      InvalidateLocked(true, RowNum);
      if (OnLeavingRow) OnLeavingRow(OldRow);
    }
    if (ColNum != OldCol) {
      InvalidateLocked(false, OldCol);
      InvalidateLocked(false, ColNum);
      if (OnLeavingColumn) OnLeavingColumn(OldCol);
    }
    layout_.SetActiveCell(RowNum, ColNum);  // repaints the old and the new active cell
    ScrollIntoView(true, RowNum);
    ScrollIntoView(false, ColNum);
    if (Has(TOvcTblOption::otoAlwaysEditing) && !(state_ & tsDesigning) && OnStartEditing)
      OnStartEditing(0, -1, -1);
    else
      layout_.InvalidateCell(RowNum, ColNum);
  }
  if (OnActiveCellChanged) OnActiveCellChanged(layout_.ActiveRow(), layout_.ActiveCol());
}

// A line not on screen becomes the first scrolling one; one cut at the far edge brings
// in as few lines as make it whole.
void TOvcTableNavigator::ScrollIntoView(bool Vertical, int32_t N) {
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  if (N < A.Locked) return;
  auto SetFirst = [&](int32_t F) { Vertical ? layout_.SetTopRow(F) : layout_.SetLeftCol(F); };
  const int32_t Client = ClientExtent(Vertical);
  const int I = A.Find(N);
  if (I < 0) {
    // Past the end of the view: as few lines as bring it in whole, so that stepping
    // (keys, or dragging past the edge) scrolls one line at a time; else it comes first.
    int32_t F = N;
    if (A.Entries() > 0 && N > A.Number(A.Entries() - 1)) {
      int64_t Sum = A.ExtentOf(N);
      const int32_t Avail = Client - A.ScrollingStart();
      for (int32_t P = A.Inc(F, -1); P != F && P >= A.First; P = A.Inc(F, -1)) {
        if (Sum + A.ExtentOf(P) > Avail) break;
        Sum += A.ExtentOf(P);
        F = P;
      }
    }
    SetFirst(F);
    return;
  }
  const int32_t End = A.Offset(I) + A.Size(I);
  if (End <= Client) return;
  int J = A.FirstScrolling();
  int32_t Dropped = 0;
  while (J < I && End - Dropped > Client) Dropped += A.Size(J++);
  SetFirst(A.Number(J));
}

// ---- commands ---------------------------------------------------------------------------

bool TOvcTableNavigator::CommandTarget(uint16_t Command, int32_t& R, int32_t& C) const {
  R = layout_.ActiveRow();
  C = layout_.ActiveCol();
  const TOvcTableAxis& RA = layout_.RowAxis();
  switch (Command) {
    case ccBotOfPage: {
      const int N = RA.Entries();
      if (N == 0) return false;
      if (RA.TotalExtent() > ClientExtent(true) && N >= 2) {
        R = RA.Number(N - 2);
        if (R < RA.Locked) R = layout_.TopRow();
      } else {
        R = RA.Number(N - 1);
      }
      R = layout_.IncRow(R, 0);
      return true;
    }
    case ccBotRightCell:
      R = layout_.IncRow(layout_.RowLimit() - 1, 0);
      C = layout_.IncCol(layout_.ColCount() - 1, 0);
      return true;
    case ccDown:
      R = layout_.IncRow(R, 1);
      return true;
    case ccEnd:
      C = layout_.IncCol(layout_.ColCount() - 1, 0);
      return true;
    case ccFirstPage:
      R = layout_.IncRow(layout_.LockedRows(), 0);
      return true;
    case ccHome:
      C = layout_.IncCol(layout_.LockedCols(), 0);
      return true;
    case ccLastPage:
      R = layout_.IncRow(layout_.RowLimit() - 1, 0);
      return true;
    case ccLeft:
      C = layout_.IncCol(C, -1);
      return true;
    case ccRight:
      C = layout_.IncCol(C, 1);
      return true;
    case ccTopLeftCell:
      R = layout_.IncRow(layout_.LockedRows(), 0);
      C = layout_.IncCol(layout_.LockedCols(), 0);
      return true;
    case ccTopOfPage:
      R = layout_.IncRow(layout_.TopRow(), 0);
      return true;
    case ccUp:
      R = layout_.IncRow(R, -1);
      return true;
    default:
      return false;
  }
}

void TOvcTableNavigator::MoveWithSelection(uint16_t Command, int32_t R, int32_t C) {
  Moving(Command, R, C);
  R = layout_.IncRow(R, 0);
  C = layout_.IncCol(C, 0);
  Lock L(*this);
  if (extend_)
    ExtendSelectionTo(R, C);
  else
    StartSelection(R, C, false);
  MoveActiveCell(R, C);
}

void TOvcTableNavigator::ProcessCommand(uint16_t Command) {
  // An extend command runs its plain command extending the selection; any other
  // command starts a new one (a flag left over would turn a later plain move into an
  // extension).
  const uint16_t Base = ExtendedBase(Command);
  extend_ = Base != 0 && !Has(TOvcTblOption::otoNoSelection);
  if (Base) Command = Base;
  switch (Command) {
    case ccCopy:
      if (OnClipboardCopy) OnClipboardCopy();
      return;
    case ccCut:
      if (OnClipboardCut) OnClipboardCut();
      return;
    case ccPaste:
      if (OnClipboardPaste) OnClipboardPaste();
      return;
    case ccTableEdit:
      if (Editing()) {
        if (!Has(TOvcTblOption::otoAlwaysEditing)) StopEditing(true);
      } else if (OnStartEditing) {
        OnStartEditing(0, -1, -1);
      }
      return;
    case ccDown:
    case ccRight:
      EdgeStep(Command);
      return;
    case ccNextPage:
      PageForward(Command, true);
      return;
    case ccPageRight:
      PageForward(Command, false);
      return;
    case ccPrevPage:
      PageBack(Command, true);
      return;
    case ccPageLeft:
      PageBack(Command, false);
      return;
    default:
      break;
  }
  if (Command >= ccUserFirst) {
    if (OnUserCommand) OnUserCommand(Command);
    return;
  }
  int32_t R, C;
  if (CommandTarget(Command, R, C)) MoveWithSelection(Command, R, C);
}

// Down or right one: when the lines on screen end exactly at the client edge and the
// active one is the last, the view first advances by one line.
void TOvcTableNavigator::EdgeStep(uint16_t Command) {
  const bool Vertical = Command == ccDown;
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  int32_t R, C;
  CommandTarget(Command, R, C);
  const int32_t Active = Vertical ? layout_.ActiveRow() : layout_.ActiveCol();
  const int32_t Target = Vertical ? R : C;
  const int N = A.Entries();
  if (N > 0 && Target > Active && A.TotalExtent() == ClientExtent(Vertical) &&
      A.Number(N - 1) == Active) {
    const int32_t NewFirst = A.Inc(A.First, 1);
    if (NewFirst < Target) {
      Lock L(*this);
      Vertical ? layout_.SetTopRow(NewFirst) : layout_.SetLeftCol(NewFirst);
      MoveWithSelection(Command, R, C);
      return;
    }
  }
  MoveWithSelection(Command, R, C);
}

void TOvcTableNavigator::PageForward(uint16_t Command, bool Vertical) {
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  if (A.Entries() == 0) return;
  const int32_t Active = Vertical ? layout_.ActiveRow() : layout_.ActiveCol();
  const int Index = A.Find(Active);
  const int32_t Last = A.Number(A.Entries() - 1);
  Lock L(*this);
  const int32_t NewFirst = Active == Last ? A.Inc(Last, 1) : Last;
  Vertical ? layout_.SetTopRow(NewFirst) : layout_.SetLeftCol(NewFirst);
  int32_t T = A.First;
  if (Index >= 0) T = A.Number(std::min(Index, A.Entries() - 1));
  T = A.Inc(T, 0);
  int32_t R = Vertical ? T : layout_.ActiveRow(), C = Vertical ? layout_.ActiveCol() : T;
  MoveWithSelection(Command, R, C);
}

// The first line of the page before the present one: the old first line becomes the
// last one listed, or the page starts as far back as it can.
int32_t TOvcTableNavigator::PageBackFirst(bool Vertical) const {
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  const int32_t Old = A.First;
  int32_t Cand = A.Inc(Old, -1);
  if (Cand == Old) return Old;
  const int32_t Avail = ClientExtent(Vertical) - A.ScrollingStart();
  int64_t Sum = int64_t{A.ExtentOf(Old)} + A.ExtentOf(Cand);
  while (Sum < Avail) {
    const int32_t P = A.Inc(Cand, -1);
    if (P == Cand) break;
    Cand = P;
    Sum += A.ExtentOf(Cand);
  }
  return Cand;
}

int32_t TOvcTableNavigator::PageForwardFirst(bool Vertical) const {
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  if (A.Entries() == 0) return A.First;
  const int32_t Last = A.Number(A.Entries() - 1);
  return Last == A.First ? A.Inc(Last, 1) : Last;
}

void TOvcTableNavigator::PageBack(uint16_t Command, bool Vertical) {
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  const int32_t Active = Vertical ? layout_.ActiveRow() : layout_.ActiveCol();
  const int32_t OldFirst = A.First;
  if (Active == OldFirst && A.Inc(OldFirst, -1) == OldFirst) return;
  const int Index = A.Find(Active);
  Lock L(*this);
  const int32_t NewFirst = PageBackFirst(Vertical);
  Vertical ? layout_.SetTopRow(NewFirst) : layout_.SetLeftCol(NewFirst);
  int32_t T;
  if (Index >= 0 && A.First != OldFirst && A.Entries() > 0)
    T = A.Number(std::min(Index, A.Entries() - 1));
  else
    T = A.Inc(A.First, 0);
  int32_t R = Vertical ? T : layout_.ActiveRow(), C = Vertical ? layout_.ActiveCol() : T;
  MoveWithSelection(Command, R, C);
}

void TOvcTableNavigator::Scroll(int Direction, bool Horizontal) {
  if (Editing() && OnEditorCanSave && !OnEditorCanSave()) return;
  const bool Vertical = !Horizontal;
  const TOvcTableAxis& A = Vertical ? layout_.RowAxis() : layout_.ColAxis();
  int32_t F = A.First;
  switch (Direction) {
    case 0:
      F = A.Inc(F, -1);
      break;
    case 1:
      F = A.Inc(F, 1);
      break;
    case 2:
      F = PageBackFirst(Vertical);
      break;
    case 3:
      F = PageForwardFirst(Vertical);
      break;
    default:
      return;
  }
  Vertical ? layout_.SetTopRow(F) : layout_.SetLeftCol(F);
}

void TOvcTableNavigator::ScrollToThumb(int32_t Pos, bool Horizontal) {
  if (Editing() && OnEditorCanSave && !OnEditorCanSave()) return;
  if (Horizontal)
    layout_.SetLeftCol(layout_.ColForThumb(Pos));
  else
    layout_.SetTopRow(layout_.RowForThumb(Pos));
}

// ---- keys -------------------------------------------------------------------------------

uint16_t TOvcTableNavigator::KeyToCommand(uint16_t Key, uint8_t ShiftFlags,
                                          TOvcCommandProcessor* Processor) {
  const uint8_t Mods = ShiftFlags & (kShiftFlagShift | kShiftFlagCtrl | kShiftFlagAlt);
  if (Key == kVkTab && Has(TOvcTblOption::otoTabToArrow))
    return Mods == 0 ? ccRight : Mods == kShiftFlagShift ? ccLeft : ccNone;
  if (Key == kVkReturn && Has(TOvcTblOption::otoEnterToArrow)) return Mods == 0 ? ccRight : ccNone;
  if (!Processor) return ccUnmatched;
  return Processor->TranslateUsingTables({KeyTableName}, Key, Mods);
}

bool TOvcTableNavigator::KeyDown(uint16_t Key, uint16_t Command) {
  if (!Editing()) {
    // A key with no command of its own that types something opens the editor with it.
    const bool Types = Command >= 76 && Command <= 255 &&
                       (Key == kVkSpace || (Key >= 48 && Key <= 111) || Key >= 186);
    if ((Command == ccTableEdit || Types) && OnStartEditing)
      OnStartEditing(Command == ccTableEdit ? 0 : Key, -1, -1);
    if (Command == ccTableEdit) return true;
  } else if (!Has(TOvcTblOption::otoAlwaysEditing) &&
             (Command == ccTableEdit || Key == kVkEscape)) {
    if (!StopEditing(Key != kVkEscape)) return false;
  }
  // F2 has done its work above (with the editor always open it does nothing).
  if (Command == ccTableEdit) return true;
  extend_ = false;
  ProcessCommand(Command);
  return true;
}

// ---- selection --------------------------------------------------------------------------

bool TOvcTableNavigator::HaveSelection() const {
  SyncSelectionSize();
  return sel_.HasSelection();
}

bool TOvcTableNavigator::IsCellSelected(int32_t RowNum, int32_t ColNum) const {
  return HaveSelection() && sel_.IsSelected(RowNum, ColNum);
}

void TOvcTableNavigator::InvalidateRange(int32_t R1, int32_t C1, int32_t R2, int32_t C2) {
  if (R1 > R2) std::swap(R1, R2);
  if (C1 > C2) std::swap(C1, C2);
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  for (int I = 0; I < RA.Entries(); ++I) {
    const int32_t R = RA.Number(I);
    if (R < R1 || R > R2) continue;
    for (int J = 0; J < CA.Entries(); ++J) {
      const int32_t C = CA.Number(J);
      if (C >= C1 && C <= C2) layout_.InvalidateCell(R, C);
    }
  }
}

void TOvcTableNavigator::InvalidateSelectedOnScreen() {
  if (!sel_.HasSelection()) return;
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  for (int I = 0; I < RA.Entries(); ++I)
    for (int J = 0; J < CA.Entries(); ++J)
      if (sel_.IsSelected(RA.Number(I), CA.Number(J)))
        layout_.InvalidateCell(RA.Number(I), CA.Number(J));
}

void TOvcTableNavigator::StartSelection(int32_t RowNum, int32_t ColNum, bool Toggle) {
  SyncSelectionSize();
  Lock L(*this);
  if (!Toggle) {
    InvalidateSelectedOnScreen();
    sel_.Clear();
  }
  anchor_row_ = std::clamp(RowNum, layout_.LockedRows(), layout_.RowLimit() - 1);
  anchor_col_ = std::clamp(ColNum, layout_.LockedCols(), layout_.ColCount() - 1);
  sel_.StartSelection(anchor_row_, anchor_col_, Toggle);
  select_mode_ = deselect_mode_ = false;
  if (Toggle) (sel_.IsSelected(anchor_row_, anchor_col_) ? deselect_mode_ : select_mode_) = true;
}

void TOvcTableNavigator::MoveAnchor(int32_t RowNum, int32_t ColNum) {
  SyncSelectionSize();
  anchor_row_ = std::clamp(RowNum, layout_.LockedRows(), layout_.RowLimit() - 1);
  anchor_col_ = std::clamp(ColNum, layout_.LockedCols(), layout_.ColCount() - 1);
  sel_.StartSelection(anchor_row_, anchor_col_, true);
  select_mode_ = true;
  deselect_mode_ = false;
}

void TOvcTableNavigator::ExtendSelectionTo(int32_t RowNum, int32_t ColNum) {
  SyncSelectionSize();
  Lock L(*this);
  InvalidateRange(anchor_row_, anchor_col_, layout_.ActiveRow(), layout_.ActiveCol());
  sel_.ExtendSelection(RowNum, ColNum, !deselect_mode_);
  InvalidateRange(anchor_row_, anchor_col_, RowNum, ColNum);
  layout_.InvalidateCell(layout_.ActiveRow(), layout_.ActiveCol());
}

void TOvcTableNavigator::SelectRow(int32_t RowNum) {
  SyncSelectionSize();
  Lock L(*this);
  sel_.SelectRange(RowNum, layout_.LockedCols(), RowNum, layout_.ColCount() - 1);
  layout_.InvalidateRow(RowNum);
}

void TOvcTableNavigator::SelectColumn(int32_t ColNum) {
  SyncSelectionSize();
  Lock L(*this);
  sel_.SelectRange(layout_.LockedRows(), ColNum, layout_.RowLimit() - 1, ColNum);
  layout_.InvalidateColumn(ColNum);
}

void TOvcTableNavigator::SelectAll() {
  SyncSelectionSize();
  Lock L(*this);
  // A pending rectangle that deselects would otherwise punch a hole in "every cell".
  sel_.Clear();
  sel_.SelectAll();
  layout_.InvalidateTable();
}

void TOvcTableNavigator::ClearSelection() {
  StartSelection(layout_.ActiveRow(), layout_.ActiveCol(), false);
}

void TOvcTableNavigator::IterateSelections(const TOvcSelectionList::TSelectionIterator& Action) {
  SyncSelectionSize();
  sel_.Iterate(Action);
}

// ---- mouse ------------------------------------------------------------------------------

int32_t TOvcTableNavigator::LineStart() const {
  const TOvcTableAxis& A = (state_ & tsRowOp) ? layout_.RowAxis() : layout_.ColAxis();
  return resize_index_ >= 0 && resize_index_ < A.Entries() ? A.Offset(resize_index_) : 0;
}

void TOvcTableNavigator::InvertLine() {
  const bool Row = (state_ & tsRowOp) != 0;
  if (state_ & tsResizing) {
    if (OnInvertLine)
      OnInvertLine(Row ? TOvcTableCursor::ResizeRow : TOvcTableCursor::ResizeCol, line_pos_);
  } else if (state_ & tsMoving) {
    const TOvcTableAxis& A = Row ? layout_.RowAxis() : layout_.ColAxis();
    if (move_to_ < 0 || move_to_ >= A.Entries()) return;
    // Where the moved line will land: before the target when it goes back, after it
    // when it goes forward.
    const int32_t Pos = move_to_ > move_from_ ? A.Offset(move_to_ + 1) : A.Offset(move_to_);
    if (OnInvertLine) OnInvertLine(Row ? TOvcTableCursor::MoveRow : TOvcTableCursor::MoveCol, Pos);
  } else {
    return;
  }
  line_drawn_ = !line_drawn_;
}

TOvcTableCursor TOvcTableNavigator::CursorAt(int32_t X, int32_t Y) {
  if (MouseBusy()) {
    if (state_ & tsResizing)
      return (state_ & tsRowOp) ? TOvcTableCursor::ResizeRow : TOvcTableCursor::ResizeCol;
    if (state_ & tsMoving)
      return (state_ & tsRowOp) ? TOvcTableCursor::MoveRow : TOvcTableCursor::MoveCol;
    return TOvcTableCursor::Default;
  }
  state_ &= static_cast<uint16_t>(~ZoneMask);
  if (Editing() || (state_ & tsUnfocused) || !host_.HasWindow()) return TOvcTableCursor::Default;
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  const bool Design = (state_ & tsDesigning) != 0;
  const bool InLockedRows = Y >= 0 && Y < RA.ScrollingStart();
  const bool InLockedCols = X >= 0 && X < CA.ScrollingStart();
  auto Boundary = [](const TOvcTableAxis& A, int32_t P) {
    for (int I = 0; I < A.Entries(); ++I)
      if (std::abs(A.Offset(I + 1) - P) <= ZoneWidth) return I;
    return -1;
  };
  if (InLockedRows && (Design || !Has(TOvcTblOption::otoNoColResizing))) {
    if (const int I = Boundary(CA, X); I >= 0) {
      resize_index_ = I;
      state_ |= tsOnResizeZone | tsColOp;
      return TOvcTableCursor::ResizeCol;
    }
  }
  if (InLockedCols && (Design || !Has(TOvcTblOption::otoNoRowResizing))) {
    if (const int I = Boundary(RA, Y); I >= 0) {
      resize_index_ = I;
      state_ |= tsOnResizeZone | tsRowOp;
      return TOvcTableCursor::ResizeRow;
    }
  }
  if (InLockedRows && Has(TOvcTblOption::otoAllowColMoves)) {
    const int I = CA.IndexAt(X);
    if (I >= 0 && CA.Number(I) >= CA.Locked) {
      state_ |= tsOnMoveZone | tsColOp;
      return TOvcTableCursor::MoveCol;
    }
  }
  if (InLockedCols && Has(TOvcTblOption::otoAllowRowMoves)) {
    const int I = RA.IndexAt(Y);
    if (I >= 0 && RA.Number(I) >= RA.Locked) {
      state_ |= tsOnMoveZone | tsRowOp;
      return TOvcTableCursor::MoveRow;
    }
  }
  return TOvcTableCursor::Default;
}

void TOvcTableNavigator::MouseDown(int32_t X, int32_t Y, bool Shift, bool Ctrl) {
  if (state_ & tsUnfocused) {
    Lock L(*this);
    if (OnTakeFocus) OnTakeFocus();
    return;
  }
  if (MouseBusy()) return;
  // The zone is that of the pressed point, whatever the last cursor message saw.
  if (state_ & tsIdle) CursorAt(X, Y);
  if (state_ & tsOnResizeZone) {
    SetMode(tsResizing);
    state_ &= static_cast<uint16_t>(~(tsOnResizeZone | tsOnMoveZone));
    const int32_t P = (state_ & tsRowOp) ? Y : X;
    line_pos_ = std::max(P, LineStart() + MinLineSize);
    line_drawn_ = false;
    InvertLine();
    return;
  }
  if (state_ & tsOnMoveZone) {
    SetMode(tsMoving);
    state_ &= static_cast<uint16_t>(~(tsOnResizeZone | tsOnMoveZone));
    const TOvcTableAxis& A = (state_ & tsRowOp) ? layout_.RowAxis() : layout_.ColAxis();
    move_from_ = move_to_ = A.IndexAt((state_ & tsRowOp) ? Y : X);
    line_drawn_ = false;
    InvertLine();
    return;
  }
  if (!(state_ & tsFocused)) return;
  int32_t R, C;
  const uint8_t Hit = layout_.HitTest(X, Y, R, C);
  if (!Has(TOvcTblOption::otoNoSelection)) {
    if (Hit == 0) {
      if (Editing() && OnFocusEditor) OnFocusEditor();
      bool StartedEditing = false;
      {
        Lock L(*this);
        Moving(ccMouseMove, R, C);
        R = layout_.IncRow(R, 0);
        C = layout_.IncCol(C, 0);
        if (!Shift) {
          if (!Ctrl && R == layout_.ActiveRow() && C == layout_.ActiveCol() && OnStartEditing) {
            OnStartEditing(0, X, Y);
            StartedEditing = true;
          }
          StartSelection(R, C, Ctrl);
        } else {
          if (!Ctrl) {
            select_mode_ = true;
            deselect_mode_ = false;
          }
          ExtendSelectionTo(R, C);
        }
        MoveActiveCell(R, C);
      }
      if (Has(TOvcTblOption::otoMouseDragSelect) && !StartedEditing) SetMode(tsDragSelecting);
    } else if (Hit == 1) {
      if (!StopEditing(true)) return;
      Lock L(*this);
      const int32_t LR = layout_.LockedRows(), LC = layout_.LockedCols();
      if (Has(TOvcTblOption::otoRowSelection) && R >= LR) SelectRow(R);
      if (Has(TOvcTblOption::otoColSelection) && C >= LC) SelectColumn(C);
      if (Has(TOvcTblOption::otoRowSelection) && Has(TOvcTblOption::otoColSelection) && R < LR &&
          C < LC)
        SelectAll();
    } else if (Hit == 2) {
      if (!StopEditing(true)) return;
      if (R == -1) R = layout_.IncRow(layout_.RowLimit() - 1, 0);
      if (C == -1) C = layout_.IncCol(layout_.ColCount() - 1, 0);
      Lock L(*this);
      StartSelection(R, C, false);
      MoveActiveCell(R, C);
    }
  } else if (state_ & (tsIdle | tsEditing)) {
    if (Hit == 0) {
      if (Editing() && OnFocusEditor) OnFocusEditor();
      Lock L(*this);
      Moving(ccMouseMove, R, C);
      if (!Has(TOvcTblOption::otoAlwaysEditing) && layout_.IncRow(R, 0) == layout_.ActiveRow() &&
          layout_.IncCol(C, 0) == layout_.ActiveCol() && OnStartEditing)
        OnStartEditing(0, X, Y);
      MoveActiveCell(R, C);
    } else if (Hit == 1 && (state_ & tsIdle)) {
      if (OnLockedCellClick) OnLockedCellClick(R, C);
    }
  }
}

void TOvcTableNavigator::MouseMove(int32_t X, int32_t Y, bool Ctrl) {
  if (state_ & tsDragSelecting) {
    int32_t R, C;
    layout_.HitTest(X, Y, R, C);
    const TOvcTableAxis& RA = layout_.RowAxis();
    const TOvcTableAxis& CA = layout_.ColAxis();
    // Past an edge the selection grows, and the view scrolls, one line per message.
    if (R == -2 || (R >= 0 && R < RA.Locked))
      R = layout_.IncRow(layout_.ActiveRow(), -1);
    else if (R == -1 && RA.Entries() > 0)
      R = std::min(layout_.RowLimit() - 1, RA.Number(RA.Entries() - 1) + 1);
    if (C == -2 || (C >= 0 && C < CA.Locked))
      C = layout_.IncCol(layout_.ActiveCol(), -1);
    else if (C == -1 && CA.Entries() > 0)
      C = std::min(layout_.ColCount() - 1, CA.Number(CA.Entries() - 1) + 1);
    Moving(ccMouseMove, R, C);
    R = layout_.IncRow(R, 0);
    C = layout_.IncCol(C, 0);
    if (R == layout_.ActiveRow() && C == layout_.ActiveCol()) return;
    if (!Ctrl) {
      select_mode_ = true;
      deselect_mode_ = false;
    }
    Lock L(*this);
    ExtendSelectionTo(R, C);
    MoveActiveCell(R, C);
  } else if (state_ & tsResizing) {
    const int32_t P = (state_ & tsRowOp) ? Y : X;
    if (P < LineStart() + MinLineSize) return;
    if (line_drawn_) InvertLine();
    line_pos_ = P;
    InvertLine();
  } else if (state_ & tsMoving) {
    const bool Row = (state_ & tsRowOp) != 0;
    const TOvcTableAxis& A = Row ? layout_.RowAxis() : layout_.ColAxis();
    const int I = A.IndexAt(Row ? Y : X);
    if (I < 0 || A.Number(I) < A.Locked || I == move_to_) return;
    if (line_drawn_) InvertLine();
    move_to_ = I;
    InvertLine();
  }
}

void TOvcTableNavigator::EndMouseOperation() {
  if (line_drawn_) InvertLine();
  line_drawn_ = false;
  state_ &= static_cast<uint16_t>(~ZoneMask);
  if (state_ & (tsDragSelecting | tsResizing | tsMoving)) SetMode(tsIdle);
}

void TOvcTableNavigator::MouseUp(int32_t, int32_t) {
  if (state_ & tsResizing) {
    const bool Row = (state_ & tsRowOp) != 0;
    const int32_t Size = std::max(MinLineSize, line_pos_ - LineStart());
    const int Index = resize_index_;
    EndMouseOperation();
    const TOvcTableAxis& A = Row ? layout_.RowAxis() : layout_.ColAxis();
    if (Index < 0 || Index >= A.Entries()) return;
    const int32_t N = A.Number(Index);
    Lock L(*this);
    if (Row)
      rows_.SetHeight(N, Size);
    else
      cols_.SetWidth(N, Size);
    layout_.InvalidateTable();
    if (OnLinesChanged) OnLinesChanged();
  } else if (state_ & tsMoving) {
    const bool Row = (state_ & tsRowOp) != 0;
    const int From = move_from_, To = move_to_;
    EndMouseOperation();
    const TOvcTableAxis& A = Row ? layout_.RowAxis() : layout_.ColAxis();
    if (From == To || From < 0 || To < 0 || From >= A.Entries() || To >= A.Entries()) return;
    const int32_t F = A.Number(From), T = A.Number(To);
    Lock L(*this);
    // Carried one neighbour at a time: every line between shifts by one toward F.
    const int Step = F < T ? 1 : -1;
    for (int32_t K = F; K != T; K += Step) {
      if (Row)
        rows_.Exchange(K, K + Step);
      else
        cols_.Exchange(K, K + Step);
    }
    // The active cell and the anchor stay on the lines they were on.
    auto Follow = [&](int32_t N) {
      if (N == F) return T;
      if (Step > 0 && N > F && N <= T) return N - 1;
      if (Step < 0 && N >= T && N < F) return N + 1;
      return N;
    };
    if (Row) {
      layout_.SetActiveCell(Follow(layout_.ActiveRow()), layout_.ActiveCol());
      MoveAnchor(Follow(anchor_row_), anchor_col_);
    } else {
      layout_.SetActiveCell(layout_.ActiveRow(), Follow(layout_.ActiveCol()));
      MoveAnchor(anchor_row_, Follow(anchor_col_));
    }
    layout_.InvalidateTable();
    if (OnLinesChanged) OnLinesChanged();
  } else if (state_ & tsDragSelecting) {
    EndMouseOperation();
  }
}

void TOvcTableNavigator::CancelMode() {
  extend_ = false;
  EndMouseOperation();
}

// ---- focus ------------------------------------------------------------------------------

void TOvcTableNavigator::SetFocusBits(bool Focused) {
  state_ = Focused ? static_cast<uint16_t>((state_ | tsFocused) & ~tsUnfocused)
                   : static_cast<uint16_t>((state_ & ~tsFocused) | tsUnfocused);
}

void TOvcTableNavigator::FocusGained() {
  if (Editing() || (state_ & tsFocused)) return;
  Lock L(*this);
  SetFocusBits(true);
  layout_.InvalidateCell(layout_.ActiveRow(), layout_.ActiveCol());
}

void TOvcTableNavigator::FocusLost() {
  if (state_ & tsEditing) return;
  Lock L(*this);
  SetFocusBits(false);
  layout_.InvalidateCell(layout_.ActiveRow(), layout_.ActiveCol());
}

}  // namespace tess
