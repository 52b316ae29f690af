// How the table grid's active cell moves and what is selected: the active-cell setter,
// the navigation commands and their dispatcher, keys turned into commands through the
// "Grid" key table, the mouse (focusing click, drag selection, resizing and moving rows
// and columns), the scroll operation and the selection.  Portable: the window side
// (messages, capture, cursors, lines drawn on screen) calls in here and is called back
// through the hooks below.
//
// Invariants: the active cell is a visible scrolling cell (IncRow/IncCol of itself); the
// selection list is kept at RowLimit by ColCount; the mouse is in at most one operation
// (idle, drag-selecting, resizing or moving: one bit of ModeMask), and a resize or move
// zone bit is set only while idle; ending an operation in any way (button up, cancel
// mode, lost capture) leaves the state idle with no zone, row or column bits set.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "components/core/tabletypes.h"
#include "components/table/selectionlist.h"
#include "components/table/tablelayout.h"
#include "components/table/tableoptions.h"
#include "components/table/tablerows.h"

namespace tess {

class TOvcCommandProcessor;

// The table's options as bits (TableOptionBit).
using TOvcTblOptionBits = uint32_t;

// The state word of the table.
enum : uint16_t {
  tsFocused = 1,    // the table has the focus
  tsUnfocused = 2,  // run time without the focus: the next click only focuses
  tsDesigning = 4,
  tsIdle = 8,            // no mouse operation and no editing
  tsEditing = 16,        // editor shown
  tsHiddenEditing = 32,  // editor hidden while the redraw lock is held
  tsDragSelecting = 64,
  tsOnResizeZone = 128,
  tsResizing = 256,
  tsOnMoveZone = 512,
  tsMoving = 1024,
  tsRowOp = 2048,  // the resize or move concerns a row
  tsColOp = 4096,  // ... a column
};

// What the pointer is over, as the set-cursor message needs it.
enum class TOvcTableCursor { Default, ResizeCol, ResizeRow, MoveCol, MoveRow };

// Commands the table acts on beyond those of the key tables.
enum : uint16_t { ccMouseMove = 250 };

class TOvcTableNavigator {
 public:
  static constexpr uint16_t ModeMask =
      tsIdle | tsEditing | tsHiddenEditing | tsDragSelecting | tsResizing | tsMoving;
  static constexpr uint16_t ZoneMask = tsOnResizeZone | tsOnMoveZone | tsRowOp | tsColOp;
  // A resized row or column is never narrower than this.
  static constexpr int32_t MinLineSize = 6;
  // The pointer is on a boundary when it is this close to it.
  static constexpr int32_t ZoneWidth = 2;

  TOvcTableNavigator(TOvcTableHost& Host, TOvcTableLayout& Layout, TOvcTableRows& Rows,
                     TOvcTableColumns& Columns);

  // ---- options and state
  TOvcTblOptionBits Options() const { return options_; }
  // Stores the options adjusted (AdjustedTableOptions: options that exclude one another
  // resolved); a selection is cleared first.
  void SetOptions(TOvcTblOptionBits Value);
  bool Has(TOvcTblOption O) const { return (options_ & TableOptionBit(O)) != 0; }
  uint16_t State() const { return state_; }
  void SetState(uint16_t Value) { state_ = Value; }
  // Replaces the mode bits (one of ModeMask) and keeps the others.
  void SetMode(uint16_t Mode) { state_ = static_cast<uint16_t>((state_ & ~ModeMask) | Mode); }
  bool Editing() const { return (state_ & (tsEditing | tsHiddenEditing)) != 0; }
  bool ExtendSelection() const { return extend_; }

  // ---- the active cell
  // Through the moving hook (command 0), then moved; the selection starts there.
  void SetActiveCell(int32_t RowNum, int32_t ColNum);
  void SetActiveRow(int32_t RowNum) { SetActiveCell(RowNum, layout_.ActiveCol()); }
  void SetActiveCol(int32_t ColNum) { SetActiveCell(layout_.ActiveRow(), ColNum); }
  // The locked counts.  Once the window exists, an active cell left among the locked
  // lines moves out as any move does, through the hooks: a row is applied again, a
  // column goes to LeftCol.
  void SetLockedRows(int32_t Value);
  void SetLockedCols(int32_t Value);
  // The move itself, after the moving hook: scrolls the cell into view.
  void MoveActiveCell(int32_t RowNum, int32_t ColNum);
  // The active row, then the active column, scrolled into view.
  void ScrollActiveIntoView() {
    ScrollIntoView(true, layout_.ActiveRow());
    ScrollIntoView(false, layout_.ActiveCol());
  }

  // ---- commands
  // Runs one command (a key table's number, or 256 and above for the user's).
  void ProcessCommand(uint16_t Command);
  // The target of a plain move command from the present active cell, without moving.
  bool CommandTarget(uint16_t Command, int32_t& RowNum, int32_t& ColNum) const;
  // Direction 0 up/left one, 1 down/right one, 2 a page up/left, 3 a page down/right.
  void Scroll(int Direction, bool Horizontal);
  // The scroll bar's thumb at Pos.
  void ScrollToThumb(int32_t Pos, bool Horizontal);

  // ---- keys
  // The command of a key: Tab and Enter by the options, else the "Grid" key table of
  // Processor (no processor: no command).  ShiftFlags: 2 Shift, 4 Ctrl, 8 Alt.
  uint16_t KeyToCommand(uint16_t Key, uint8_t ShiftFlags, TOvcCommandProcessor* Processor);
  // Handles a key whose command is Command; false when the key goes back to the window's
  // default handling (the editor refused to stop).
  bool KeyDown(uint16_t Key, uint16_t Command);
  std::string KeyTableName = "Grid";

  // ---- mouse (client coordinates)
  void MouseDown(int32_t X, int32_t Y, bool Shift, bool Ctrl);
  void MouseMove(int32_t X, int32_t Y, bool Ctrl);
  void MouseUp(int32_t X, int32_t Y);
  // The cursor over a point; sets or clears the zone bits.
  TOvcTableCursor CursorAt(int32_t X, int32_t Y);
  // Ends whatever the mouse was doing, applying nothing (cancel mode, lost capture).
  void CancelMode();
  bool MouseBusy() const { return (state_ & (tsDragSelecting | tsResizing | tsMoving)) != 0; }
  // The line drawn during a resize or move (a client coordinate).
  int32_t LinePos() const { return line_pos_; }

  // ---- focus
  // The table (or its editor) got the focus: repainted unless editing.
  void FocusGained();
  void FocusLost();
  // The focus bits alone (an editor shown over the active cell covers it).
  void SetFocusBits(bool Focused);

  // ---- selection
  bool HaveSelection() const;
  bool IsCellSelected(int32_t RowNum, int32_t ColNum) const;
  void StartSelection(int32_t RowNum, int32_t ColNum, bool Toggle);
  void ExtendSelectionTo(int32_t RowNum, int32_t ColNum);
  void SelectRow(int32_t RowNum);
  void SelectColumn(int32_t ColNum);
  void SelectAll();
  // Clears the selection; the anchor becomes the active cell.
  void ClearSelection();
  // Calls Action per selected range of one column, columns in ascending order.
  void IterateSelections(const TOvcSelectionList::TSelectionIterator& Action);
  int32_t AnchorRow() const { return anchor_row_; }
  int32_t AnchorCol() const { return anchor_col_; }
  const TOvcSelectionList& Selection() const;

  // ---- hooks the table fills (the editing side among them)
  // May change the target of a move; Command 0 for the setter, 250 for the mouse.
  std::function<void(uint16_t Command, int32_t& RowNum, int32_t& ColNum)> OnMoving;
  std::function<void(int32_t RowNum)> OnLeavingRow;
  std::function<void(int32_t ColNum)> OnLeavingColumn;
  std::function<void(int32_t RowNum, int32_t ColNum)> OnActiveCellChanged;
  // The editor is to start on the active cell; with a key (Key non-zero) or a click
  // (X, Y non-negative) that it is to receive.
  std::function<void(uint16_t Key, int32_t X, int32_t Y)> OnStartEditing;
  // Editing stops, saving the value or not; false when the editor refuses.
  std::function<bool(bool SaveValue)> OnStopEditing;
  // The editor may lose its position (scrolling); false keeps it.
  std::function<bool()> OnEditorCanSave;
  // The focus goes to the editor (a click while editing).
  std::function<void()> OnFocusEditor;
  // The table takes the focus (the first click).
  std::function<void()> OnTakeFocus;
  // A click on a locked cell with no selection options.
  std::function<void(int32_t RowNum, int32_t ColNum)> OnLockedCellClick;
  std::function<void()> OnClipboardCopy, OnClipboardCut, OnClipboardPaste;
  std::function<void(uint16_t Command)> OnUserCommand;
  // Draws (and, drawn again, erases) the resize or move line at Pos.
  std::function<void(TOvcTableCursor Kind, int32_t Pos)> OnInvertLine;
  // A row or column was resized or moved by the mouse.
  std::function<void()> OnLinesChanged;

 private:
  class Lock;
  bool EmptyLayout() const;
  int32_t ClientExtent(bool Vertical) const;
  void SyncSelectionSize() const;
  void Moving(uint16_t Command, int32_t& RowNum, int32_t& ColNum);
  void MoveWithSelection(uint16_t Command, int32_t RowNum, int32_t ColNum);
  void ScrollIntoView(bool Vertical, int32_t N);
  void InvalidateLocked(bool Vertical, int32_t N);
  int32_t PageBackFirst(bool Vertical) const;
  int32_t PageForwardFirst(bool Vertical) const;
  void EdgeStep(uint16_t Command);
  void PageForward(uint16_t Command, bool Vertical);
  void PageBack(uint16_t Command, bool Vertical);
  void InvalidateRange(int32_t R1, int32_t C1, int32_t R2, int32_t C2);
  void InvalidateSelectedOnScreen();
  // The anchor moves; what is selected stays.
  void MoveAnchor(int32_t RowNum, int32_t ColNum);
  bool StopEditing(bool Save);
  void EndMouseOperation();
  void InvertLine();
  int32_t LineStart() const;
  void ApplyResize();
  void ApplyMove();

  TOvcTableHost& host_;
  TOvcTableLayout& layout_;
  TOvcTableRows& rows_;
  TOvcTableColumns& cols_;
  mutable TOvcSelectionList sel_{10, 10};
  TOvcTblOptionBits options_ = 0;
  uint16_t state_ = tsIdle | tsUnfocused;
  int32_t anchor_row_ = 1, anchor_col_ = 1;
  bool select_mode_ = false, deselect_mode_ = false;
  bool extend_ = false;
  // Resize and move: the line, the layout index resized, the layout indexes of a move.
  int32_t line_pos_ = 0;
  int resize_index_ = -1;
  int move_from_ = -1, move_to_ = -1;
  bool line_drawn_ = false;
};

}  // namespace tess
