// TSortGrid: the string grid with sorting by column (by text, number, date or the
// caller's comparison, undoable), a format and bevel per cell, proportional scroll bars,
// row and column insertion and deletion from the keyboard, column auto-sizing, loading
// and saving as separated text, and validation of edited cells.
//
// The record of the last sort lives until anything changes the rows (insert, delete,
// move, swap, clear, load, a new row count): then UndoSort has nothing to undo.  The
// cell remembered for validation is taken again after every change the program makes,
// so a validation always writes to the cell that was edited.
#pragma once

#include <functional>
#include <string>

#include "components/lists/gridsort.h"
#include "framework/win/grids.h"

namespace tess {

enum class TVertAlignment { taTopJustify, taBottomJustify, taMiddle };
enum class TCellBevelStyle { cbNone, cbRaised, cbLowered };

struct TFormatOptions {
  TBrush* Brush = nullptr;
  TFont* Font = nullptr;
  TAlignment AlignmentHorz = TAlignment::taLeftJustify;
  TVertAlignment AlignmentVert = TVertAlignment::taTopJustify;
  TCellBevelStyle Bevel = TCellBevelStyle::cbNone;
  TColor HighlightColor = clBtnHighlight;
  TColor ShadowColor = clBtnShadow;
  bool HideText = false;
};

using TFormatDrawCellEvent = std::function<void(TObject* Sender, int32_t Col, int32_t Row,
                                                TGridDrawState State, TFormatOptions& FormatOptions)>;
using TClickSortEvent =
    std::function<void(TObject* Sender, int32_t Col, int32_t Row, TSortOptions& SortOptions)>;
using TUpdateGridEvent = std::function<void(TObject* Sender, int32_t Index)>;
using TSizeChangedEvent = std::function<void(TObject* Sender, int32_t OldColCount, int32_t OldRowCount)>;
using TBeginSortEvent = std::function<void(TObject* Sender, int32_t Col, TSortOptions& SortOptions)>;
using TEndSortEvent = std::function<void(TObject* Sender, int32_t Col)>;
using TCellValidateEvent = std::function<void(TObject* Sender, int32_t Col, int32_t Row,
                                              std::string& Value, bool& Valid)>;

class TSortGrid : public TStringGrid {
 public:
  explicit TSortGrid(TComponent* AOwner);
  ~TSortGrid() override;

  TAlignment AlignmentHorz() const { return alignment_horz_; }
  void SetAlignmentHorz(TAlignment Value);
  TVertAlignment AlignmentVert() const { return alignment_vert_; }
  void SetAlignmentVert(TVertAlignment Value);
  bool ClickSorting() const { return click_sorting_; }
  void SetClickSorting(bool Value) { click_sorting_ = Value; }
  TCellBevelStyle BevelStyle() const { return bevel_style_; }
  void SetBevelStyle(TCellBevelStyle Value);
  bool ProportionalScrollBars() const { return proportional_; }
  void SetProportionalScrollBars(bool Value);
  bool ExtendedKeys() const { return extended_keys_; }
  void SetExtendedKeys(bool Value) { extended_keys_ = Value; }
  // A cell was changed by in-place editing.
  bool Modified() const { return modified_; }
  void SetModified(bool Value) { modified_ = Value; }
  bool Sorting() const { return sorting_; }
  const TSortedList& SortedList() const { return sorted_list_; }

  virtual void SortByColumn(int32_t Col, TSortOptions SortOptions);
  virtual TSortStyle DetectSortStyle(int32_t Col);
  virtual void UpdateScrollPage();
  virtual void RememberCell();
  virtual void MoveToCell(int32_t ACol, int32_t ARow);
  virtual void ClearRows();
  virtual void InsertRow(int32_t Index);
  virtual void InsertColumn(int32_t Index);
  void DeleteRow(int32_t Index) override;
  void DeleteColumn(int32_t Index) override;
  void MoveRow(int32_t FromIndex, int32_t ToIndex) override;
  void MoveColumn(int32_t FromIndex, int32_t ToIndex) override;
  virtual void SwapRows(int32_t A, int32_t B);
  virtual void SwapColumns(int32_t A, int32_t B);
  virtual void AutoSizeColumn(int32_t Col);
  virtual void AutoSizeColumns(bool IncludeFixed, int32_t Padding);
  virtual void SortColumn(int32_t Col, TSortOptions SortOptions);
  virtual bool FindCell(const std::string& Text, int32_t& ACol, int32_t& ARow);
  virtual void LoadFromFile(const std::string& FileName, char Separator);
  virtual void SaveToFile(const std::string& FileName, char Separator);
  virtual bool CanUndoSort();
  virtual void UndoSort();
  virtual void ValidateCell();

  void PublishProperties(TPropertyList& Props) override;

  TFormatDrawCellEvent OnGetCellFormat;
  TClickSortEvent OnClickSort;
  TUpdateGridEvent OnRowInsert;
  TUpdateGridEvent OnRowDelete;
  TUpdateGridEvent OnColumnInsert;
  TUpdateGridEvent OnColumnDelete;
  TNotifyEvent OnColumnWidthsChanged;
  TNotifyEvent OnRowHeightsChanged;
  TSizeChangedEvent OnSizeChanged;
  TBeginSortEvent OnBeginSort;
  TEndSortEvent OnEndSort;
  TCellValidateEvent OnCellValidate;

 protected:
  void DrawCell(int32_t ACol, int32_t ARow, const TRect& ARect, TGridDrawState AState) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  void Click() override;
  void DoEnter() override;
  void DoExit() override;
  void SetEditText(int32_t ACol, int32_t ARow, const std::string& Value) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void SizeChanged(int32_t OldColCount, int32_t OldRowCount) override;
  void Dispatch(TMessage& Message) override;
  // The default format of a cell, before OnGetCellFormat.
  TFormatOptions GetFormatOptions();
  // The state a cell is drawn with (fixed, focused, selected).
  TGridDrawState DrawStateOf(int32_t ACol, int32_t ARow);

 private:
  // Runs Change with goAlwaysShowEditor taken out, and drops the sort record.
  void WithoutEditor(const std::function<void()>& Change);
  void RowsChanged();

  TSortedList sorted_list_;
  bool sorting_ = false;
  bool modified_ = false;
  TAlignment alignment_horz_ = TAlignment::taLeftJustify;
  TVertAlignment alignment_vert_ = TVertAlignment::taTopJustify;
  bool click_sorting_ = true;
  TCellBevelStyle bevel_style_ = TCellBevelStyle::cbNone;
  bool proportional_ = true;
  bool extended_keys_ = false;
  // The cell remembered for validation.
  struct {
    int32_t Col = 0;
    int32_t Row = 0;
    std::string Text;
    bool Modified = false;
  } remembered_;
  bool entered_ = false;
};

}  // namespace tess
