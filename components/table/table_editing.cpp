// The table grid's editing state, its events and the private messages between the table
// and its cells.
//
// Invariants: editing_cell_ is set exactly while the table is editing; the editor is
// shown (tsEditing) only while no redraw lock is held, and hidden (tsHiddenEditing) while
// one is.
// The editing state always changes before the focus moves, so that the focus handlers of
// the table and of the editor see the state they are entering.
#include <utility>

#include "components/core/commands.h"
#include "components/table/table.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

static_assert(ccDown == 15 && ccRight == 55 && ccTableEdit == 69 && ccWordRight == 75);

// The commands a cell's editor leaves to the table: the table moves by them.
bool IsTableMove(uint16_t Cmd) {
  switch (Cmd) {
    case ccBotOfPage:
    case ccBotRightCell:
    case ccDown:
    case ccEnd:
    case ccFirstPage:
    case ccHome:
    case ccLastPage:
    case ccLeft:
    case ccNextPage:
    case ccPageLeft:
    case ccPageRight:
    case ccPrevPage:
    case ccRight:
    case ccTopLeftCell:
    case ccTopOfPage:
    case ccUp:
    case ccWordLeft:
    case ccWordRight:
      return true;
    default:
      return false;
  }
}

bool IsKeyHeld(int VirtualKey) {
  return (GetKeyState(VirtualKey) & 0x8000) != 0;
}

// Window or one of its chain of first children.
bool InFirstChildChain(HWND Window, HWND Wanted) {
  for (HWND W = Window; W; W = GetWindow(W, GW_CHILD))
    if (W == Wanted) return true;
  return false;
}

}  // namespace

// The navigator moves the active cell; the editing side and the events come in through
// its hooks.  What a hook runs may free the table (its events, the focus it moves): the
// navigator's work then ends at once (RunFor, RaiseEvent), unwound to the message or call
// that began it, and nothing of the table is touched on the way.
void TOvcCustomTable::InitEditing() {
  nav_.OnMoving = [this](uint16_t Command, int32_t& RowNum, int32_t& ColNum) {
    DoActiveCellMoving(Command, RowNum, ColNum);
  };
  nav_.OnLeavingRow = [this](int32_t RowNum) { DoLeavingRow(RowNum); };
  nav_.OnLeavingColumn = [this](int32_t ColNum) { DoLeavingColumn(ColNum); };
  nav_.OnActiveCellChanged = [this](int32_t RowNum, int32_t ColNum) {
    DoActiveCellChanged(RowNum, ColNum);
  };
  // The editor is started by a posted notice, and the key or click that started it
  // follows, so that the editor, once there, receives it.
  nav_.OnStartEditing = [this](uint16_t Key, int32_t X, int32_t Y) {
    if (!HandleAllocated()) return;
    PostMessageA(Handle(), ctim_StartEdit, 0, 0);
    const TMessage* M = input_message_;
    if (Key)
      PostMessageA(Handle(), ctim_StartEditKey, Key, M ? M->LParam : 0);
    else if (X >= 0 && Y >= 0)
      PostMessageA(Handle(), ctim_StartEditMouse, M ? M->WParam : MK_LBUTTON, MAKELPARAM(X, Y));
  };
  nav_.OnStopEditing = [this](bool SaveValue) {
    return RunFor(this, [&] { return StopEditingState(SaveValue); });
  };
  nav_.OnEditorCanSave = [this] {
    return RunFor(this, [&] { return !editing_cell_ || editing_cell_->CanStopEditing(true); });
  };
  nav_.OnFocusEditor = [this] {
    // The table's focus leaves it for the editor: its OnExit may run there.
    RunFor(this, [&] {
      if (HWnd Editor = EditorWindow()) ::SetFocus(static_cast<HWND>(Editor));
    });
  };
  nav_.OnLockedCellClick = [this](int32_t RowNum, int32_t ColNum) {
    DoLockedCellClick(RowNum, ColNum);
  };
  nav_.OnClipboardCopy = [this] { DoClipboardCopy(); };
  nav_.OnClipboardCut = [this] { DoClipboardCut(); };
  nav_.OnClipboardPaste = [this] { DoClipboardPaste(); };
  nav_.OnUserCommand = [this](uint16_t Command) { DoUserCommand(Command); };
}

// ---- hooks ----------------------------------------------------------------------------
//
// Each event is raised deep inside the navigator's, the layout's or the painting's work:
// a handler that frees the table ends that work (RaiseEvent).

bool TOvcCustomTable::Quiet() const {
  return (ComponentState() & (csLoading | csDestroying)) != 0 || DestroyingObject();
}

void TOvcCustomTable::DoActiveCellChanged(int32_t RowNum, int ColNum) {
  if (!Quiet()) RaiseEvent(this, OnActiveCellChanged, this, RowNum, ColNum);
}

// After the event, a move away from the cell being edited first saves its value; a
// refusal cancels the move.
void TOvcCustomTable::DoActiveCellMoving(uint16_t Command, int32_t& RowNum, int& ColNum) {
  if (Quiet()) return;
  RaiseEvent(this, OnActiveCellMoving, this, Command, RowNum, ColNum);
  if (InEditingState() && (RowNum != ActiveRow() || ColNum != ActiveCol()) &&
      !StopEditingState(true)) {
    RowNum = ActiveRow();
    ColNum = ActiveCol();
  }
}

bool TOvcCustomTable::DoBeginEdit(int32_t RowNum, int ColNum) {
  if (Quiet()) return false;
  bool AllowIt = true;
  RaiseEvent(this, OnBeginEdit, this, RowNum, ColNum, AllowIt);
  return AllowIt;
}

void TOvcCustomTable::DoClipboardCopy() {
  if (!Quiet()) RaiseEvent(this, OnClipboardCopy, this);
}
void TOvcCustomTable::DoClipboardCut() {
  if (!Quiet()) RaiseEvent(this, OnClipboardCut, this);
}
void TOvcCustomTable::DoClipboardPaste() {
  if (!Quiet()) RaiseEvent(this, OnClipboardPaste, this);
}

void TOvcCustomTable::DoColumnsChanged(int ColNum1, int ColNum2, TOvcTblActions Action) {
  // The heading cells have followed the change already (KeepCellsInStep).
  if (Quiet()) return;
  RaiseEvent(this, OnColumnsChanged, this, ColNum1, ColNum2, Action);
}

void TOvcCustomTable::DoDoneEdit(int32_t RowNum, int ColNum) {
  if (!Quiet()) RaiseEvent(this, OnDoneEdit, this, RowNum, ColNum);
}

bool TOvcCustomTable::DoEndEdit(TOvcTableCellAncestor* Cell, int32_t RowNum, int ColNum) {
  if (Quiet()) return false;
  bool AllowIt = true;
  RaiseEvent(this, OnEndEdit, this, Cell, RowNum, ColNum, AllowIt);
  return AllowIt;
}

void TOvcCustomTable::DoEnteringColumn(int ColNum) {
  if (Quiet() || ColNum == last_entered_col_) return;
  last_entered_col_ = ColNum;
  RaiseEvent(this, OnEnteringColumn, this, ColNum);
}

void TOvcCustomTable::DoEnteringRow(int32_t RowNum) {
  if (Quiet() || RowNum == last_entered_row_) return;
  last_entered_row_ = RowNum;
  RaiseEvent(this, OnEnteringRow, this, RowNum);
}

void TOvcCustomTable::DoGetCellData(int32_t RowNum, int ColNum, void*& Data,
                                    TOvcCellDataPurpose Purpose) {
  Data = nullptr;
  if (!Quiet() && HandleAllocated())
    RaiseEvent(this, OnGetCellData, this, RowNum, ColNum, Data, Purpose);
}

void TOvcCustomTable::DoGetCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& A) {
  if (!Quiet()) RaiseEvent(this, OnGetCellAttributes, this, RowNum, ColNum, A);
}

void TOvcCustomTable::DoLeavingColumn(int ColNum) {
  if (!Quiet()) RaiseEvent(this, OnLeavingColumn, this, ColNum);
}
void TOvcCustomTable::DoLeavingRow(int32_t RowNum) {
  if (!Quiet()) RaiseEvent(this, OnLeavingRow, this, RowNum);
}
void TOvcCustomTable::DoLockedCellClick(int32_t RowNum, int ColNum) {
  if (!Quiet()) RaiseEvent(this, OnLockedCellClick, this, RowNum, ColNum);
}
void TOvcCustomTable::DoPaintUnusedArea() {
  if (!Quiet()) RaiseEvent(this, OnPaintUnusedArea, this);
}
void TOvcCustomTable::DoRowsChanged(int32_t RowNum1, int32_t RowNum2, TOvcTblActions Action) {
  if (!Quiet()) RaiseEvent(this, OnRowsChanged, this, RowNum1, RowNum2, Action);
}

// Runs while loading too: the editor's place never depends on the form being complete.
void TOvcCustomTable::DoSizeCellEditor(int32_t RowNum, int ColNum, TRect& CellRect,
                                       TOvcTblEditorStyle& CellStyle) {
  RaiseEvent(this, OnSizeCellEditor, this, RowNum, ColNum, CellRect, CellStyle);
}

void TOvcCustomTable::DoTopLeftCellChanged(int32_t RowNum, int ColNum) {
  if (!Quiet()) RaiseEvent(this, OnTopLeftCellChanged, this, RowNum, ColNum);
}
void TOvcCustomTable::DoTopLeftCellChanging(int32_t& RowNum, int& ColNum) {
  if (!Quiet()) RaiseEvent(this, OnTopLeftCellChanging, this, RowNum, ColNum);
}
void TOvcCustomTable::DoUserCommand(uint16_t Command) {
  if (!Quiet()) RaiseEvent(this, OnUserCommand, this, Command);
}

void* TOvcCustomTable::FetchCellData(int32_t RowNum, int ColNum, TOvcCellDataPurpose Purpose) {
  DoEnteringColumn(ColNum);
  DoEnteringRow(RowNum);
  void* Data = nullptr;
  DoGetCellData(RowNum, ColNum, Data, Purpose);
  return Data;
}

// ---- properties -----------------------------------------------------------------------

bool TOvcCustomTable::GetActiveCellRect(TRect& R) const {
  TOvcTableRect C;
  if (!layout_.GetCellRect(layout_.ActiveRow(), layout_.ActiveCol(), C)) return false;
  R = ReducedByEffect(TRect{C.Left, C.Top, C.Right, C.Bottom}, pens_.NormalGrid.Effect);
  return true;
}

// ---- the editing state ----------------------------------------------------------------

// OnBeginEdit may prepare the cell (its cell is looked up after), but not move the active
// cell.  The handlers run after it may change rows, columns or cells, free the cell, move
// the active cell or start editing themselves: the edit then does not start here (the
// cell would be gone, or the value fetched another record's).
bool TOvcCustomTable::StartEditingState() {
  if (InEditingState()) return true;
  if (!HandleAllocated()) return false;
  const int32_t Row = ActiveRow(), Col = ActiveCol();
  if (!DoBeginEdit(Row, Col)) return false;
  const uint32_t Serial = structure_serial_;
  auto Disturbed = [&] {
    return structure_serial_ != Serial || ActiveRow() != Row || ActiveCol() != Col ||
           InEditingState();
  };
  if (Disturbed()) return InEditingState();  // the handler started it, or moved
  bool Result = false;
  {
    TOvcTableRedrawLock L(layout_);
    nav_.ScrollActiveIntoView();
    TOvcBaseTableCell* Cell = GetCellForPaint(Row, Col);
    if (!Cell || Disturbed()) return InEditingState();
    TOvcCellAttributes A = TableAttributes();
    Cell->ResolveAttributes(Row, Col, A);
    if (Disturbed() || A.Access != TOvcTblAccess::otxNormal) return InEditingState();
    TRect R;
    if (!GetActiveCellRect(R)) return false;
    auto Style = TOvcTblEditorStyle::tesNormal;
    DoSizeCellEditor(Row, Col, R, Style);
    void* Data = FetchCellData(Row, Col, TOvcCellDataPurpose::cdpForEdit);
    if (Disturbed()) return InEditingState();
    A.Color = colors_.Editing;
    A.FontColor = colors_.EditingText;
    editing_cell_ = Cell;
    nav_.SetMode(tsHiddenEditing);
    // The editor is made and shown: the focus and the windows it moves reach the table.
    RunFor(this, [&] { Cell->StartEditing(Row, Col, R, A, Style, Data); });
    Result = Cell->EditHandle() != nullptr;
    if (!Result) {
      editing_cell_ = nullptr;
      nav_.SetMode(tsIdle);
    }
  }  // releasing the lock shows the editor over the cell
  return Result;
}

HWnd TOvcCustomTable::EditorWindow() const {
  return editing_cell_ ? editing_cell_->EditHandle() : nullptr;
}

bool TOvcCustomTable::EditorHasFocus() const {
  HWnd Editor = EditorWindow();
  return Editor && InFirstChildChain(static_cast<HWND>(Editor), GetFocus());
}

bool TOvcCustomTable::StopEditingState(bool SaveValue) {
  return EndEditing(SaveValue, false);
}

// The handlers it runs (OnEndEdit, the entering events, OnGetCellData) may end the edit,
// free the cell (and its editor with it) or change rows, columns or cells; after such a
// change (Row, Col) may name another record, so nothing is saved.
bool TOvcCustomTable::EndEditing(bool SaveValue, bool Forced) {
  if (!InEditingState()) return true;
  TOvcBaseTableCell* Cell = editing_cell_;
  const int32_t Row = ActiveRow(), Col = ActiveCol();
  const uint32_t Serial = structure_serial_;
  TScopedValue<bool> Guard(ending_edit_, true, LifeMark());
  if (Forced) {
    SaveValue = false;
  } else {
    if (!RunFor(this, [&] { return Cell->CanStopEditing(SaveValue); })) return false;
    if (!DoEndEdit(Cell, Row, Col)) return false;
    if (editing_cell_ != Cell) return true;  // the handler ended the editing itself
  }

  RECT Under{};
  if (HWnd Editor = Cell->EditHandle()) {
    GetWindowRect(static_cast<HWND>(Editor), &Under);
    MapWindowPoints(nullptr, static_cast<HWND>(Handle()), reinterpret_cast<POINT*>(&Under), 2);
  }
  const bool HadFocus = EditorHasFocus();
  TOvcTableRedrawLock L(layout_);
  void* Data = nullptr;
  if (!Forced && structure_serial_ == Serial)
    Data = FetchCellData(Row, Col, TOvcCellDataPurpose::cdpForSave);
  if (editing_cell_ != Cell) return true;  // a handler freed the cell
  if (structure_serial_ != Serial) {
    SaveValue = false;
    Data = nullptr;
  }
  // The cells the editor covered are painted again.
  const TOvcTableAxis& RA = layout_.RowAxis();
  const TOvcTableAxis& CA = layout_.ColAxis();
  for (int RI = 0; RI < RA.Entries(); ++RI) {
    if (RA.Offset(RI + 1) <= Under.top || RA.Offset(RI) >= Under.bottom) continue;
    for (int CI = 0; CI < CA.Entries(); ++CI)
      if (CA.Offset(CI + 1) > Under.left && CA.Offset(CI) < Under.right)
        layout_.InvalidateCell(RA.Number(RI), CA.Number(CI));
  }
  editing_cell_ = nullptr;
  nav_.SetMode(tsIdle);
  RunFor(this, [&] { Cell->StopEditing(SaveValue, Data); });
  ending_edit_ = Guard.Old();  // an edit OnDoneEdit starts is one of its own
  DoDoneEdit(Row, Col);
  if (!nav_.Has(TOvcTblOption::otoAlwaysEditing)) layout_.InvalidateCell(Row, Col);
  // The state is idle before the focus moves (the editor's leaving may run handlers).
  if (HadFocus) RunFor(this, [&] { ::SetFocus(static_cast<HWND>(Handle())); });
  return true;
}

// Ends an edit in progress before the change it concerns: saved when it can be, else
// dropped.  With otoAlwaysEditing the cell then active is edited again, once the change
// is done.
void TOvcCustomTable::StructureChanging(bool EndsEdit) {
  ++structure_serial_;
  if (!EndsEdit || ending_edit_ || !InEditingState()) return;
  if (!EndEditing(true, false)) EndEditing(false, true);
  if (nav_.Has(TOvcTblOption::otoAlwaysEditing) && HandleAllocated() &&
      !(ComponentState() & csDesigning))
    PostMessageA(Handle(), ctim_StartEdit, 0, 0);
}

void TOvcCustomTable::CellLeaving(TOvcTableCellAncestor* Cell) {
  if (editing_cell_ && editing_cell_ == Cell) StructureChanging(true);
}

// The outermost lock hides the editor; the table keeps the focus meanwhile.  A browsed
// row is repainted whole where the lock starts and where it ends, so that a move of the
// active cell (or of the focus) recolours both rows.
void TOvcCustomTable::RedrawLockTaken() {
  if (nav_.Has(TOvcTblOption::otoBrowseRow)) layout_.InvalidateRow(ActiveRow());
  if (!(nav_.State() & tsEditing) || !editing_cell_) return;
  const bool HadFocus = EditorHasFocus();
  nav_.SetMode(tsHiddenEditing);
  RunFor(this, [&] { editing_cell_->EditHide(); });
  layout_.InvalidateCell(ActiveRow(), ActiveCol());
  if (HadFocus) RunFor(this, [&] { ::SetFocus(static_cast<HWND>(Handle())); });
}

void TOvcCustomTable::RedrawLockEnding() {
  if (nav_.Has(TOvcTblOption::otoBrowseRow)) layout_.InvalidateRow(ActiveRow());
}

void TOvcCustomTable::RedrawLockReleased() {
  if ((nav_.State() & tsHiddenEditing) && editing_cell_) PlaceEditor();
}

// Shows the editor over the active cell (it stays hidden while the cell is off screen).
void TOvcCustomTable::PlaceEditor() {
  TRect R;
  if (!GetActiveCellRect(R)) return;
  auto Style = TOvcTblEditorStyle::tesNormal;
  DoSizeCellEditor(ActiveRow(), ActiveCol(), R, Style);
  nav_.SetMode(tsEditing);
  RunFor(this, [&] { editing_cell_->EditMove(R); });
  // DoSizeCellEditor or the editor's moving may have ended the edit.
  if (!editing_cell_) return;
  HWnd Editor = editing_cell_->EditHandle();
  if (Editor && GetFocus() == static_cast<HWND>(Handle()))
    RunFor(this, [&] { ::SetFocus(static_cast<HWND>(Editor)); });
}

// ---- keys -----------------------------------------------------------------------------

uint8_t TOvcCustomTable::FilterKey(TMessage& Msg) {
  uint16_t Cmd = ccNone;
  if (Controller())
    Cmd = Controller()->EntryCommands()->TranslateUsingTables({nav_.KeyTableName}, Msg);
  if (IsTableMove(Cmd)) return 1;
  if (Cmd == ccTableEdit) return 2;
  switch (Msg.WParam) {
    case VK_ESCAPE:
      return 2;
    case VK_TAB:
      return nav_.Has(TOvcTblOption::otoTabToArrow) ? 2 : 0;
    case VK_RETURN:
      return nav_.Has(TOvcTblOption::otoEnterToArrow) ? 2 : 0;
    default:
      return 0;
  }
}

// ---- messages -------------------------------------------------------------------------

void TOvcCustomTable::FocusChanged(bool Gained, HWnd Other) {
  HWnd Editor = EditorWindow();
  const bool OtherIsOurs =
      Other && (Other == Handle() ||
                (Editor && InFirstChildChain(static_cast<HWND>(Editor), static_cast<HWND>(Other))));
  const bool Now = Gained || OtherIsOurs;
  if (Now == TableFocused()) return;
  nav_.SetFocusBits(Now);
  // An editor shown over the active cell covers it.
  if (!HandleAllocated() || (nav_.State() & tsEditing)) return;
  TOvcTableRedrawLock L(layout_);
  layout_.InvalidateCell(ActiveRow(), ActiveCol());
}

bool TOvcCustomTable::HandleEditingMessage(TMessage& M) {
  // OnEnter, OnExit and OnDblClick run on the way and may free the table.
  TControlWatch watch(this);
  switch (M.Msg) {
    // The state changes before the focus handlers (OnEnter, OnExit) run and before the
    // focus moves on, so that they see the table as focused or not.
    case WM_SETFOCUS: {
      HWnd From = reinterpret_cast<HWnd>(M.WParam);
      HWnd Editor = EditorWindow();
      if ((nav_.State() & tsEditing) && Editor &&
          InFirstChildChain(static_cast<HWND>(Editor), static_cast<HWND>(From))) {
        // Shift+Tab out of the editor: on to the control before the table.
        TOvcTableAncestor::Dispatch(M);
        if (!watch.Alive()) return true;
        if (TCustomForm* F = ParentForm()) F->SelectNext(this, false, true);
        return true;
      }
      FocusChanged(true, From);
      TOvcTableAncestor::Dispatch(M);
      if (watch.Alive() && (nav_.State() & tsEditing) && Editor)
        ::SetFocus(static_cast<HWND>(Editor));
      return true;
    }
    case WM_KILLFOCUS:
      FocusChanged(false, reinterpret_cast<HWnd>(M.WParam));
      TOvcTableAncestor::Dispatch(M);
      return true;
    case WM_LBUTTONDBLCLK: {
      TOvcTableAncestor::Dispatch(M);
      if (!watch.Alive()) return true;
      int32_t Row = 0, Col = 0;
      if (!(ComponentState() & csDesigning) && layout_.HitTest(M.XPos(), M.YPos(), Row, Col) == 0) {
        PostMessageA(Handle(), ctim_StartEdit, 0, 0);
        PostMessageA(Handle(), ctim_StartEditMouse, M.WParam, M.LParam);
      }
      return true;
    }
    case ctim_StartEdit:
      if (!StartEditingState()) {
        TOvcTableRedrawLock L(layout_);
        layout_.InvalidateCell(ActiveRow(), ActiveCol());
      }
      M.Result = 1;
      return true;
    case ctim_StartEditMouse:
    case ctim_StartEditKey: {
      M.Result = 1;
      HWnd Editor = EditorWindow();
      if (!(nav_.State() & tsEditing) || !Editor) return true;
      const HWND E = static_cast<HWND>(Editor);
      RunFor(this, [&] { ::SetFocus(E); });
      if (M.Msg == ctim_StartEditKey) {
        PostMessageA(E, WM_KEYDOWN, M.WParam, M.LParam);
      } else {
        // The click was at a point of the table: the editor gets it at its own point.
        POINT P{M.XPos(), M.YPos()};
        MapWindowPoints(static_cast<HWND>(Handle()), E, &P, 1);
        PostMessageA(E, WM_LBUTTONDOWN, M.WParam, MAKELPARAM(P.x, P.y));
        // A button released meanwhile would leave the editor holding the capture.
        if (!IsKeyHeld(VK_LBUTTON))
          PostMessageA(E, WM_LBUTTONUP, M.WParam & ~WPARAM{MK_LBUTTON}, MAKELPARAM(P.x, P.y));
      }
      return true;
    }
    case ctim_SetFocus:
    case ctim_KillFocus: {
      // Posted by an editor: the handle it names may be gone by now.
      auto Other = reinterpret_cast<HWND>(M.WParam);
      if (Other && !IsWindow(Other)) Other = nullptr;
      FocusChanged(M.Msg == ctim_SetFocus, Other);
      M.Result = 0;
      return true;
    }
    case ctim_LoadDefaultCells:
      LoadDefaultCells();
      M.Result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace tess
