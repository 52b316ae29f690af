// Grids: TCustomGrid (cells laid out in columns and rows, fixed ones at the top and left,
// a current cell, a selection, scrolling, sizing and moving of rows and columns by
// mouse, an in-place editor), TDrawGrid (the owner paints the cells) and TStringGrid (a
// text and an object per cell).
//
// The layout lives in two TGridAxis and the texts in a TGridCells (framework/core/
// gridmodel.h); this file only paints them and turns the mouse and the keyboard into
// changes of them.  Invariants: FixedCols < ColCount and FixedRows < RowCount while
// there are cells to scroll; the current cell is never a fixed cell; TopRow and LeftCol
// stay within what the axes allow.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "framework/core/gridmodel.h"
#include "framework/win/controls.h"
#include "framework/win/stdctrls.h"

namespace tess {

enum class TGridOption {
  goFixedVertLine,
  goFixedHorzLine,
  goVertLine,
  goHorzLine,
  goRangeSelect,
  goDrawFocusSelected,
  goRowSizing,
  goColSizing,
  goRowMoving,
  goColMoving,
  goEditing,
  goTabs,
  goRowSelect,
  goAlwaysShowEditor,
  goThumbTracking
};
using TGridOptions = TEnumSet<TGridOption>;

enum class TGridDrawStateFlag { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TEnumSet<TGridDrawStateFlag>;

enum class TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

using TDrawCellEvent = std::function<void(TObject* Sender, int32_t ACol, int32_t ARow,
                                          const TRect& Rect, TGridDrawState State)>;
using TSelectCellEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, bool& CanSelect)>;
using TGetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, std::string& Value)>;
using TSetEditEvent =
    std::function<void(TObject* Sender, int32_t ACol, int32_t ARow, const std::string& Value)>;
using TMovedEvent = std::function<void(TObject* Sender, int32_t FromIndex, int32_t ToIndex)>;

class TCustomGrid;

// The editor a grid shows over its current cell.  Its keys that move between cells go
// to the grid.
class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* Grid);
  // The grid forgets a freed editor before its window goes, and makes a new one when
  // it next edits.
  ~TInplaceEdit() override;
  TCustomGrid* Grid() const { return grid_; }
  void Dispatch(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void Change() override;

 private:
  friend class TCustomGrid;
  TCustomGrid* grid_;
  bool loading_ = false;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;

  // --- size and layout ---------------------------------------------------------------
  int32_t ColCount() const { return cols_.Count(); }
  void SetColCount(int32_t Value);
  int32_t RowCount() const { return rows_.Count(); }
  void SetRowCount(int32_t Value);
  int32_t FixedCols() const { return cols_.Fixed(); }
  // Raises EInvalidOperation when Value is not below ColCount.
  void SetFixedCols(int32_t Value);
  int32_t FixedRows() const { return rows_.Fixed(); }
  void SetFixedRows(int32_t Value);
  int32_t DefaultColWidth() const { return cols_.DefaultSize(); }
  void SetDefaultColWidth(int32_t Value);
  int32_t DefaultRowHeight() const { return rows_.DefaultSize(); }
  void SetDefaultRowHeight(int32_t Value);
  int32_t ColWidths(int32_t Index) const { return cols_.Size(Index); }
  void SetColWidths(int32_t Index, int32_t Value);
  int32_t RowHeights(int32_t Index) const { return rows_.Size(Index); }
  void SetRowHeights(int32_t Index, int32_t Value);
  int32_t GridLineWidth() const { return line_width_; }
  void SetGridLineWidth(int32_t Value);
  TColor FixedColor() const { return fixed_color_; }
  void SetFixedColor(TColor Value);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions Value);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  bool DefaultDrawing() const { return default_drawing_; }
  void SetDefaultDrawing(bool Value);

  // --- the current cell, the selection and the view -----------------------------------
  int32_t Col() const { return current_.X; }
  void SetCol(int32_t Value) { FocusCell(Value, current_.Y, true); }
  int32_t Row() const { return current_.Y; }
  void SetRow(int32_t Value) { FocusCell(current_.X, Value, true); }
  TGridRect Selection() const;
  void SetSelection(const TGridRect& Value);
  int32_t TopRow() const { return rows_.First(); }
  void SetTopRow(int32_t Value);
  int32_t LeftCol() const { return cols_.First(); }
  void SetLeftCol(int32_t Value);
  int32_t VisibleColCount();
  int32_t VisibleRowCount();
  // Makes ACol, ARow the current cell when SelectCell allows it, scrolls it into view
  // and runs Click when the cell changed.  MoveAnchor: the selection collapses to it.
  void FocusCell(int32_t ACol, int32_t ARow, bool MoveAnchor);

  // --- coordinates --------------------------------------------------------------------
  // The cell's rectangle in client coordinates; empty when it is not in view.
  TRect CellRect(int32_t ACol, int32_t ARow);
  // The cell under the client point; -1 for a coordinate outside the cells.
  TGridCoord MouseCoord(int32_t X, int32_t Y);
  void MouseToCell(int32_t X, int32_t Y, int32_t& ACol, int32_t& ARow);
  TGridState GridState() const { return state_; }

  // --- editing ------------------------------------------------------------------------
  bool EditorMode() const { return editor_mode_; }
  void SetEditorMode(bool Value);
  TInplaceEdit* InplaceEditor() const { return editor_; }

  // --- rows and columns -------------------------------------------------------------
  virtual void MoveColumn(int32_t FromIndex, int32_t ToIndex);
  virtual void MoveRow(int32_t FromIndex, int32_t ToIndex);
  virtual void DeleteColumn(int32_t ACol);
  virtual void DeleteRow(int32_t ARow);

  void InvalidateCell(int32_t ACol, int32_t ARow);
  void InvalidateGrid() { Invalidate(); }

  void WndProc(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Paint() override;
  // The base fires OnDrawCell; TStringGrid writes the text first when DefaultDrawing.
  virtual void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState);
  // The can-select hook: OnSelectCell decides; the base allows every cell.
  virtual bool SelectCell(int32_t ACol, int32_t ARow);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void SizeChanged(int32_t OldColCount, int32_t OldRowCount);
  virtual void TopLeftChanged();
  // Called after the rows or columns moved (the base fires the events).
  virtual void ColumnMoved(int32_t FromIndex, int32_t ToIndex);
  virtual void RowMoved(int32_t FromIndex, int32_t ToIndex);
  virtual std::string GetEditText(int32_t ACol, int32_t ARow);
  virtual void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value);
  virtual bool CanEditShow();
  void ShowEditor();
  void HideEditor();
  // Stores the editor's text in the cell it edits.
  void UpdateText();
  void UpdateScrollRange();

  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void DblClick() override;

  // The axes, for descendants that lay out by hand.
  const TGridAxis& ColAxis() const { return cols_; }
  const TGridAxis& RowAxis() const { return rows_; }

 private:
  friend class TInplaceEdit;
  int32_t LineW() const;
  TGridDrawState CellState(int32_t ACol, int32_t ARow);
  void ScrollInView(int32_t ACol, int32_t ARow);
  void MoveTopLeft(int32_t ALeft, int32_t ATop);
  void ClampCurrent();
  void ScrollMessage(TMessage& Message, bool Vertical);
  // The column (or row) line near X (Y) that sizing would grab, or -1.
  int32_t SizingIndex(int32_t X, int32_t Y, bool& Columns);
  void FinishSizeOrMove(int32_t X, int32_t Y);
  void AfterRowCountChange(int32_t OldCols, int32_t OldRows);

  TGridAxis cols_{5, 1, 64};
  TGridAxis rows_{5, 1, 24};
  TGridCoord current_{1, 1};
  TGridCoord anchor_{1, 1};
  TGridOptions options_;
  TScrollStyle scroll_bars_ = TScrollStyle::ssBoth;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TColor fixed_color_ = clBtnFace;
  int32_t line_width_ = 1;
  bool default_drawing_ = true;
  bool editor_mode_ = false;
  TInplaceEdit* editor_ = nullptr;  // a child owned by the grid
  TGridCoord edit_cell_{-1, -1};
  std::string edit_original_;
  TGridState state_ = TGridState::gsNormal;
  int32_t size_index_ = -1;
  int32_t size_origin_ = 0;
  int32_t size_start_ = 0;
  int32_t move_from_ = -1;
  bool click_on_current_ = false;
  bool button_up_ = false;  // the capture goes because the button went up
};

class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;

  const std::string& Cells(int32_t ACol, int32_t ARow) const { return cells_.Cell(ACol, ARow); }
  void SetCells(int32_t ACol, int32_t ARow, const std::string& Value);
  TObject* Objects(int32_t ACol, int32_t ARow) const { return cells_.Object(ACol, ARow); }
  void SetObjects(int32_t ACol, int32_t ARow, TObject* Value);
  // The whole store, for bulk work (sorting, loading); call Invalidate afterwards.
  TGridCells& CellStore() { return cells_; }
  const TGridCells& CellStore() const { return cells_; }

 protected:
  void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) override;
  void SizeChanged(int32_t OldColCount, int32_t OldRowCount) override;
  void ColumnMoved(int32_t FromIndex, int32_t ToIndex) override;
  void RowMoved(int32_t FromIndex, int32_t ToIndex) override;
  std::string GetEditText(int32_t ACol, int32_t ARow) override;
  void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;

 private:
  TGridCells cells_;
};

}  // namespace tess
