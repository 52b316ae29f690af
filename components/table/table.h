// The cell-based table grid control.  It owns no cell values: each visible cell is
// painted by the cell component of its column (or the locked-rows cell) with the value
// OnGetCellData gives for it.  Layout, scrolling and the redraw lock live in the portable
// TOvcTableLayout; this class is its window: scroll bars (32-bit thumb positions through
// the track position), painting of only the invalid region, and the cell messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/table/tablecells.h"
#include "components/table/tablecellstore.h"
#include "components/table/tablelayout.h"
#include "components/table/tablenavigation.h"

namespace tess {

class TOvcCustomTable : public TOvcTableAncestor, private TOvcTableHost {
 public:
  explicit TOvcCustomTable(TComponent* AOwner);
  ~TOvcCustomTable() override;

  TOvcTableRows& Rows() { return rows_; }
  TOvcTableColumns& Columns() { return cols_; }
  TOvcTableLayout& Layout() { return layout_; }
  TOvcTableColors& Colors() { return colors_; }
  TOvcGridPenSet& GridPenSet() { return pens_; }

  int32_t RowLimit() const { return layout_.RowLimit(); }
  void SetRowLimit(int32_t Value) { layout_.SetRowLimit(Value); }
  int32_t ColCount() const { return layout_.ColCount(); }
  void SetColCount(int32_t Value) { layout_.SetColCount(Value); }
  int32_t LockedRows() const { return layout_.LockedRows(); }
  void SetLockedRows(int32_t Value) { nav_.SetLockedRows(Value); }
  int32_t LockedCols() const { return layout_.LockedCols(); }
  void SetLockedCols(int32_t Value) { nav_.SetLockedCols(Value); }
  int32_t TopRow() const { return layout_.TopRow(); }
  void SetTopRow(int32_t Value) { layout_.SetTopRow(Value); }
  int32_t LeftCol() const { return layout_.LeftCol(); }
  void SetLeftCol(int32_t Value) { layout_.SetLeftCol(Value); }
  int32_t ActiveRow() const { return layout_.ActiveRow(); }
  int32_t ActiveCol() const { return layout_.ActiveCol(); }
  // Through OnActiveCellMoving (command 0), which may change the target or, while the
  // edited value cannot be saved, cancel the move.
  void SetActiveCell(int32_t RowNum, int32_t ColNum) { nav_.SetActiveCell(RowNum, ColNum); }
  TColor ColorUnused() const { return color_unused_; }
  void SetColorUnused(TColor Value);
  TOvcTblAccess Access() const { return access_; }
  TOvcTblAdjust Adjust() const { return adjust_; }

  // Every way of giving the table a cell (this, a column's own setter, an appended or
  // assigned column, a cell override) takes only nil, a cell used nowhere (attached here)
  // or one of this table, and counts the use: a cell another table uses is refused, for
  // that table alone would hear of its end.
  //
  // The cell that paints every locked row (the headings); accepted when it has no table
  // or belongs to this one.
  TOvcBaseTableCell* LockedRowsCell() const { return locked_rows_cell_; }
  void SetLockedRowsCell(TOvcBaseTableCell* Cell);
  // The cell of a column (nil for none); counted as a use of the cell.
  void SetColumnCell(int32_t ColNum, TOvcBaseTableCell* Cell);
  TOvcBaseTableCell* GetCellForPaint(int32_t RowNum, int32_t ColNum) const;

  void SetAllowRedraw(bool Value) { layout_.SetAllowRedraw(Value); }

  // ---- options, frame, scroll bars, cell defaults and per-cell attributes ----
  TOvcTblOptionSet Options() const { return TOvcTblOptionSet::FromBits(nav_.Options()); }
  // Stored after the rules of AdjustedTableOptions; repaints everything.
  void SetOptions(TOvcTblOptionSet Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  // bsNone or bsSingle; the window is remade.
  void SetBorderStyle(TBorderStyle Value);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle Value);
  // otxDefault stores otxNormal; repaints when the old or new value is otxInvisible.
  void SetAccess(TOvcTblAccess Value);
  // otaDefault stores otaCenterLeft.
  void SetAdjust(TOvcTblAdjust Value);
  // Attribute overrides of single cells; a cell named there is counted as a use of it.
  TOvcTableCells& CellStore() { return cell_store_; }
  void SetColors(TOvcTableColors* Value);
  void SetGridPenSet(TOvcGridPenSet* Value);
  // Row heights and column widths scale with the cells' fonts.
  void ChangeScale(int M, int D) override;

  void DoCellChanged(TObject* Sender) override;
  uint8_t FilterKey(TMessage& Msg) override;
  void ResolveCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& CellAttr) override;
  void DropCell(const TComponent* Cell) override;
  void CellLeaving(TOvcTableCellAncestor* Cell) override;
  void Dispatch(TMessage& Message) override;

  // ---- navigation and selection (table_navigation.cpp) ----
  // The active cell's moves, keys, mouse and selection; its hooks are where editing and
  // the events come in.
  TOvcTableNavigator& Navigator() { return nav_; }
  void SetActiveRow(int32_t RowNum) { nav_.SetActiveRow(RowNum); }
  void SetActiveCol(int32_t ColNum) { nav_.SetActiveCol(ColNum); }
  // Runs one command of the key tables (or the user's, from 256).
  virtual void ProcessCommand(uint16_t Command) { nav_.ProcessCommand(Command); }
  // Direction 0 up/left one, 1 down/right one, 2 a page back, 3 a page on.
  virtual void ScrollTable(int Direction, bool Horizontal) { nav_.Scroll(Direction, Horizontal); }
  bool HaveSelection() const { return nav_.HaveSelection(); }
  bool IsCellSelected(int32_t RowNum, int ColNum) const {
    return nav_.IsCellSelected(RowNum, ColNum);
  }
  void SelectRow(int32_t RowNum) { nav_.SelectRow(RowNum); }
  void SelectColumn(int ColNum) { nav_.SelectColumn(ColNum); }
  void SelectAll() { nav_.SelectAll(); }
  void IterateSelections(const TOvcSelectionList::TSelectionIterator& Action) {
    nav_.IterateSelections(Action);
  }

  // ---- editing, events, private messages (table_editing.cpp) ----
  //
  // Editing: the active cell's cell component shows its in-place editor over the cell.
  // The editor is hidden while the redraw lock is held and placed again when it ends.
  // The state changes before the focus moves, so focus handlers see the new state.
  // A change of rows or columns (inserted, deleted, exchanged, counted, hidden, locked) or
  // of the edited cell ends an edit first, as a move does: saved when the cell and
  // OnEndEdit allow, else dropped.  An edit whose cell, rows or columns change under the
  // handlers run while it starts or ends does not start, or ends unsaved.
  bool StartEditingState();
  // False when the cell or OnEndEdit refuses: the table keeps editing.
  bool StopEditingState(bool SaveValue);
  bool InEditingState() const { return nav_.Editing(); }
  // The cell being edited (nil when idle).
  TOvcBaseTableCell* EditingCell() const { return editing_cell_; }
  // The table has the focus, itself or through its editor.
  bool TableFocused() const { return (nav_.State() & tsFocused) != 0; }
  // False when the active cell is not on screen.
  bool GetActiveCellRect(TRect& R) const;

  TCellNotifyEvent OnActiveCellChanged;
  TCellMoveNotifyEvent OnActiveCellMoving;
  TCellBeginEditNotifyEvent OnBeginEdit;
  TNotifyEvent OnClipboardCopy;
  TNotifyEvent OnClipboardCut;
  TNotifyEvent OnClipboardPaste;
  TColChangeNotifyEvent OnColumnsChanged;
  TCellNotifyEvent OnDoneEdit;
  TCellEndEditNotifyEvent OnEndEdit;
  TColNotifyEvent OnEnteringColumn;
  TRowNotifyEvent OnEnteringRow;
  TCellDataNotifyEvent OnGetCellData;
  TCellAttrNotifyEvent OnGetCellAttributes;
  TColNotifyEvent OnLeavingColumn;
  TRowNotifyEvent OnLeavingRow;
  TCellNotifyEvent OnLockedCellClick;
  TNotifyEvent OnPaintUnusedArea;
  TRowChangeNotifyEvent OnRowsChanged;
  TSizeCellEditorNotifyEvent OnSizeCellEditor;
  TCellNotifyEvent OnTopLeftCellChanged;
  TCellChangeNotifyEvent OnTopLeftCellChanging;
  std::function<void(TObject* Sender, uint16_t Command)> OnUserCommand;

  // ---- streaming (table_stream.cpp) ----
  void PublishProperties(TPropertyList& Props) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  void Resize() override;

  // The hooks behind the events, for descendants.  All but DoSizeCellEditor do nothing
  // while the table is being loaded or destroyed.
  virtual void DoActiveCellChanged(int32_t RowNum, int ColNum);
  virtual void DoActiveCellMoving(uint16_t Command, int32_t& RowNum, int& ColNum);
  virtual bool DoBeginEdit(int32_t RowNum, int ColNum);
  virtual void DoClipboardCopy();
  virtual void DoClipboardCut();
  virtual void DoClipboardPaste();
  virtual void DoColumnsChanged(int ColNum1, int ColNum2, TOvcTblActions Action);
  virtual void DoDoneEdit(int32_t RowNum, int ColNum);
  virtual bool DoEndEdit(TOvcTableCellAncestor* Cell, int32_t RowNum, int ColNum);
  virtual void DoEnteringColumn(int ColNum);
  virtual void DoEnteringRow(int32_t RowNum);
  virtual void DoGetCellData(int32_t RowNum, int ColNum, void*& Data, TOvcCellDataPurpose Purpose);
  virtual void DoGetCellAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& CellAttr);
  virtual void DoLeavingColumn(int ColNum);
  virtual void DoLeavingRow(int32_t RowNum);
  virtual void DoLockedCellClick(int32_t RowNum, int ColNum);
  virtual void DoPaintUnusedArea();
  virtual void DoRowsChanged(int32_t RowNum1, int32_t RowNum2, TOvcTblActions Action);
  virtual void DoSizeCellEditor(int32_t RowNum, int ColNum, TRect& CellRect,
                                TOvcTblEditorStyle& CellStyle);
  virtual void DoTopLeftCellChanged(int32_t RowNum, int ColNum);
  virtual void DoTopLeftCellChanging(int32_t& RowNum, int& ColNum);
  virtual void DoUserCommand(uint16_t Command);

 private:
  // TOvcTableHost
  bool HasWindow() const override;
  int32_t ViewWidth() const override;
  int32_t ViewHeight() const override;
  void ScrollRect(int32_t DX, int32_t DY, const TOvcTableRect& Clip) override;
  bool HasScrollBar(bool Vertical) const override;
  void SetScrollRange(bool Vertical, int32_t Min, int32_t Max) override;
  void SetScrollPos(bool Vertical, int32_t Pos) override;
  void PaintInvalidCells(const TOvcCellArray& Cells) override;
  void RedrawLockTaken() override;
  void RedrawLockEnding() override;
  void RedrawLockReleased() override;

  TOvcCellAttributes TableAttributes();
  bool AcceptsCell(TOvcTableCellAncestor* Cell) const;
  // Rows, columns, locked counts or cell records are about to change; EndsEdit when the
  // change concerns an edit in progress (which then ends first).
  void StructureChanging(bool EndsEdit);
  void PaintCellAt(TCanvas* C, int RowIndex, int ColIndex);
  void PaintUnusedArea(TCanvas* C);
  void ColumnChanged(int ColNum1, int ColNum2, TOvcTblActions Action);
  // The cell store and the heading cells follow inserts, deletes and exchanges.
  void KeepCellsInStep(bool Rows, int32_t N1, int32_t N2, TOvcTblActions Action);
  void CellStoreUse(TOvcTableCellAncestor* Cell, int Delta);
  // The frame of the active cell in the pen for the focused or unfocused table.
  void PaintActiveCellFrame(TCanvas* C);
  // The table's colour, font or 3D look changed.
  void LookChanged(TMessage& Message);
  void RowChanged(int32_t RowNum1, int32_t RowNum2, TOvcTblActions Action);
  // Navigation (table_navigation.cpp): hooks set up once; true when a message was handled.
  void InitNavigation();
  bool NavigationMessage(TMessage& M);

  // Editing and the private messages (table_editing.cpp).
  void InitEditing();
  // Forced: ends unsaved without asking the cell or OnEndEdit (a change is coming).
  bool EndEditing(bool SaveValue, bool Forced);
  bool Quiet() const;
  // OnEnteringColumn/Row, then OnGetCellData.
  void* FetchCellData(int32_t RowNum, int ColNum, TOvcCellDataPurpose Purpose);
  // The editor's window (null when idle or without one).
  HWnd EditorWindow() const;
  bool EditorHasFocus() const;
  void PlaceEditor();
  // The focus came to (Gained) or left the table or its editor; Other is the window on
  // the other side.
  void FocusChanged(bool Gained, HWnd Other);
  bool HandleEditingMessage(TMessage& M);
  void LoadDefaultCells();
  // Stream properties (table_stream.cpp).
  void ReadRowData(TReader* Reader);
  void WriteRowData(TWriter* Writer);
  void ReadColData(TReader* Reader);
  void WriteColData(TWriter* Writer);
  // A place read while loading waits for Loaded; otherwise Apply runs at once.
  void SetPlace(std::optional<int32_t>& Slot, int32_t Value,
                void (TOvcCustomTable::*Apply)(int32_t));

  TOvcTableRows rows_;
  TOvcTableColumns cols_{10};
  TOvcTableLayout layout_{*this, rows_, cols_};
  TOvcTableColors colors_;
  TOvcGridPenSet pens_;
  TOvcBaseTableCell* locked_rows_cell_ = nullptr;
  TColor color_unused_ = clWindow;
  TOvcTblAccess access_ = TOvcTblAccess::otxNormal;
  TOvcTblAdjust adjust_ = TOvcTblAdjust::otaCenterLeft;
  std::unique_ptr<TFont> work_font_;
  TOvcTableCells cell_store_;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TScrollStyle scroll_bars_ = TScrollStyle::ssBoth;
  TOvcTableNavigator nav_{*this, layout_, rows_, cols_};

  // Editing and events.
  TOvcBaseTableCell* editing_cell_ = nullptr;
  int32_t last_entered_row_ = -1;
  int32_t last_entered_col_ = -1;
  // The key or mouse message being handled, for the notices that hand it to the editor.
  const TMessage* input_message_ = nullptr;
  // While a leaving cell is dropped: its uses are not counted down (it may be gone).
  bool dropping_cell_ = false;
  // Counts the changes of rows, columns and cells (and cells dropped), so that the
  // editing state sees what its event handlers changed.
  uint32_t structure_serial_ = 0;
  // While an edit ends: a change then only counts (the ending sees it and saves nothing).
  bool ending_edit_ = false;
  // Default-cell names of the columns read from "ColData", by column, until resolved.
  std::vector<std::string> pending_col_cells_;
  // Places read from a stream, applied by Loaded once the rows and columns are there.
  struct TLoadedPlaces {
    std::optional<int32_t> LockedRows, LockedCols, TopRow, LeftCol, ActiveRow, ActiveCol;
  };
  TLoadedPlaces loaded_;
};

// Makes the cell classes, the table and the controller known to the component stream, so
// forms can hold them.
void RegisterTableCellClasses();

class TOvcTable : public TOvcCustomTable {
 public:
  using TOvcCustomTable::TOvcCustomTable;
};

}  // namespace tess
