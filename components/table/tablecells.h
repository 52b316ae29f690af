// The table grid's look and its cells: the cell-attributes record, the colour set and the
// grid pens, the cell base (colour and font followed from the table, use count, attribute
// resolution) and the cells that paint text and column headings.
//
// A cell holds no data: the table hands it a value from OnGetCellData for each paint.  A
// cell with TableColor (TableFont) set takes the table's colour (font) only once the
// table's window can answer; until then a fetch stays pending.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/core/cellancestor.h"
#include "components/core/tableancestor.h"
#include "components/core/tabletypes.h"
#include "framework/win/graphics.h"
#include "framework/win/wintypes.h"

namespace tess {

class TOvcTableAncestor;

enum class TOvcCellDataPurpose { cdpForPaint, cdpForEdit, cdpForSave };
enum class TOvcTblEditorStyle { tesNormal, tesBorder, tes3D };

// Colour value meaning "no colour set".
constexpr TColor clNoCellColor = 0x02FFFFFF;

struct TOvcCellAttributes {
  TOvcTblAccess Access = TOvcTblAccess::otxDefault;
  TOvcTblAdjust Adjust = TOvcTblAdjust::otaDefault;
  TColor Color = clNoCellColor;
  TFont* Font = nullptr;  // assigned into, not owned
  TColor FontColor = clWindowText;
  TColor TextHiColor = clBtnHighlight;
  TOvcTextStyle TextStyle = TOvcTextStyle::tsFlat;
};

// Messages between cells and their table.
enum : uint32_t {
  ctim_QueryOptions = 18757,
  ctim_QueryColor = 18758,
  ctim_QueryFont = 18759,
  ctim_QueryLockedCols = 18760,
  ctim_QueryLockedRows = 18761,
  ctim_QueryActiveCol = 18762,
  ctim_QueryActiveRow = 18763,
  ctim_RemoveCell = 18767,
  ctim_StartEdit = 18768,         // posted: start editing the active cell
  ctim_StartEditMouse = 18769,    // posted after ctim_StartEdit: the click goes to the editor
  ctim_StartEditKey = 18770,      // posted after ctim_StartEdit: the key goes to the editor
  ctim_SetFocus = 18771,          // posted: an in-place editor got the focus (wParam: from)
  ctim_KillFocus = 18772,         // posted: an in-place editor lost the focus (wParam: to)
  ctim_LoadDefaultCells = 18777,  // posted to itself: resolve the stored cell names
};

class TOvcTableColors : public TPersistent {
 public:
  void PublishProperties(TPropertyList& Props) override;
  TColor Locked = clBtnFace, LockedText = clWindowText;
  TColor ActiveFocused = clHighlight, ActiveFocusedText = clHighlightText;
  TColor ActiveUnfocused = clHighlight, ActiveUnfocusedText = clHighlightText;
  TColor Editing = clBtnFace, EditingText = clWindowText;
  TColor Selected = clHighlight, SelectedText = clHighlightText;
  TNotifyEvent OnChange;
  // Sets one colour (a pointer to a member above) and notifies when it changed.
  void Set(TColor TOvcTableColors::*Which, TColor Value);
  void Assign(TPersistent* Source) override;
};

enum class TGridEffect { geNone, geVertical, geHorizontal, geBoth, ge3D };

class TOvcGridPen : public TPersistent {
 public:
  TColor NormalColor = clBtnShadow;
  TColor SecondColor = clBtnHighlight;
  TGridEffect Effect = TGridEffect::geBoth;
  TPenStyle Style = TPenStyle::psSolid;
  TNotifyEvent OnChange;
  void SetEffect(TGridEffect Value);
  void SetNormalColor(TColor Value);
  void SetSecondColor(TColor Value);
  void SetStyle(TPenStyle Value);
  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;
};

class TOvcGridPenSet : public TPersistent {
 public:
  TOvcGridPenSet();
  TOvcGridPen NormalGrid, LockedGrid, CellWhenFocused, CellWhenUnfocused;
  void SetOnChange(TNotifyEvent Event);
  void Assign(TPersistent* Source) override;
  void PublishProperties(TPropertyList& Props) override;
};

// The rectangle a cell paints in, reduced by the grid pen's effect.
TRect ReducedByEffect(const TRect& R, TGridEffect Effect);

class TOvcBaseTableCell : public TOvcTableCellAncestor {
 public:
  explicit TOvcBaseTableCell(TComponent* AOwner);
  ~TOvcBaseTableCell() override;

  TOvcTableAncestor* Table() const { return table_; }
  void SetTable(TOvcTableAncestor* Value);
  void IncUse();
  void DecUse();
  int32_t UseCount() const { return use_count_; }

  // Reading fetches a pending table colour when the table's window can answer.
  TColor Color();
  void SetColor(TColor Value);
  TFont* Font();
  bool TableColor() const { return table_color_; }
  void SetTableColor(bool Value);
  bool TableFont() const { return table_font_; }
  void SetTableFont(bool Value);
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t Value);
  TOvcTblAccess Access() const { return access_; }
  void SetAccess(TOvcTblAccess Value);
  TOvcTblAdjust Adjust() const { return adjust_; }
  void SetAdjust(TOvcTblAdjust Value);
  TColor TextHiColor() const { return text_hi_color_; }
  void SetTextHiColor(TColor Value);
  TOvcTextStyle TextStyle() const { return text_style_; }
  void SetTextStyle(TOvcTextStyle Value);

  TCellPaintNotifyEvent OnOwnerDraw;

  // ---- in-place editing and the events handed to the editor ----
  std::string Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  bool ShowHint() const { return show_hint_; }
  void SetShowHint(bool Value) { show_hint_ = Value; }
  // True for the cells a click both activates and edits (glyphs, check boxes, combos).
  bool AcceptActivationClick() const { return accept_activation_click_; }
  void SetAcceptActivationClick(bool Value) { accept_activation_click_ = Value; }
  TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TDragDropEvent OnDragDrop;
  TDragOverEvent OnDragOver;
  TEndDragEvent OnEndDrag;

  // The editor while editing, else null.
  virtual TWinControl* EditControl() const { return nullptr; }
  // The editor's window (null without one).
  virtual HWnd EditHandle() const;
  // Hides the editor without redrawing anything.
  virtual void EditHide();
  // Moves the editor onto the cell, shows it and repaints it at once.
  virtual void EditMove(const TRect& CellRect);
  virtual bool CanStopEditing(bool SaveValue) { return static_cast<void>(SaveValue), true; }
  // The table's verdict on a key its editor got: 0 keep, 1 a key the table moves by,
  // 2 a key the table takes.  0 without a table.
  virtual uint8_t FilterTableKey(TMessage& Msg);
  virtual void SaveEditedData(void* Data) { static_cast<void>(Data); }
  virtual void StartEditing(int32_t RowNum, int ColNum, const TRect& CellRect,
                            const TOvcCellAttributes& CellAttr, TOvcTblEditorStyle CellStyle,
                            void* Data) {
    static_cast<void>(RowNum), static_cast<void>(ColNum), static_cast<void>(CellRect);
    static_cast<void>(CellAttr), static_cast<void>(CellStyle), static_cast<void>(Data);
  }
  virtual void StopEditing(bool SaveValue, void* Data) {
    static_cast<void>(SaveValue), static_cast<void>(Data);
  }
  // Gives an editor the cell's hint and the events above.
  void HandEventsTo(TWinControl* Editor) const;
  // Posts a key down to the table's window (an editor handing a key over).
  void PostKeyToTable(uintptr_t WParam, intptr_t LParam) const;
  // Posts one of the editor focus notices with the other window.
  void PostFocusToTable(uint32_t Msg, HWnd Other) const;
  // Sends a query to the table's window; 0 without a table or window.
  intptr_t AskTable(uint32_t Msg) const;
  // Whether the table's active cell is (RowNum, ColNum); false without a window.
  bool IsActiveCell(int32_t RowNum, int ColNum) const;

  void TableChanged() override;
  void ChangeScale(int M, int D) override;
  void PublishProperties(TPropertyList& Props) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  virtual void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
                     const TOvcCellAttributes& CellAttr, void* Data);
  bool DoOwnerDraw(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
                   const TOvcCellAttributes& CellAttr, void* Data);
  void PaintCell(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
                 const TOvcCellAttributes& CellAttr, void* Data);
  virtual void ResolveAttributes(int32_t RowNum, int ColNum, TOvcCellAttributes& CellAttr);

 private:
  void FontChanged();
  TColor color_ = clBtnFace;
  std::unique_ptr<TFont> font_;
  int32_t margin_ = 4;
  int32_t use_count_ = 0;
  TOvcTableAncestor* table_ = nullptr;
  TColor text_hi_color_ = clBtnHighlight;
  TOvcTblAccess access_ = TOvcTblAccess::otxDefault;
  TOvcTblAdjust adjust_ = TOvcTblAdjust::otaDefault;
  bool table_color_ = true, table_font_ = true;
  TOvcTextStyle text_style_ = TOvcTextStyle::tsFlat;
  bool color_pending_ = true, font_pending_ = true, font_fetching_ = false;
  std::string hint_;
  bool show_hint_ = false;
  bool accept_activation_click_ = false;
};

// A filled triangle pointing down, a third of the rectangle's smaller side, placed by the
// adjustment Margin pixels from the edges (centred otherwise).
void PaintDownTriangle(TCanvas* C, const TRect& R, TOvcTblAdjust Adj, int32_t Margin,
                       TColor Color);

// Paints a text value: a short string (length byte first) or, with UseASCIIZStrings, a
// null-terminated one.
class TOvcTCBaseString : public TOvcBaseTableCell {
 public:
  using TOvcBaseTableCell::TOvcBaseTableCell;
  bool UseASCIIZStrings = false;
  bool UseWordWrap = false;
  void PublishProperties(TPropertyList& Props) override;
  void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
             const TOvcCellAttributes& CellAttr, void* Data) override;

 protected:
  void PaintText(TCanvas* TableCanvas, const TRect& CellRect, const TOvcCellAttributes& CellAttr,
                 const std::string& Text);
};

// Column headings: given texts, or spreadsheet letters counted from the first scrolling
// column.
class TOvcTCColHead : public TOvcTCBaseString {
 public:
  explicit TOvcTCColHead(TComponent* AOwner);
  ~TOvcTCColHead() override;
  TStrings* Headings() const { return headings_.get(); }
  void SetHeadings(TStrings* Value);
  bool ShowLetters() const { return show_letters_; }
  void SetShowLetters(bool Value);
  // The active column's heading shows a triangle instead of its text.
  bool ShowActiveCol() const { return show_active_col_; }
  void SetShowActiveCol(bool Value);
  // Keeps Headings in step with a column change of the table.
  void ChangeHeadings(int ColNum1, int ColNum2, TOvcTblActions Action);
  void PublishProperties(TPropertyList& Props) override;
  void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
             const TOvcCellAttributes& CellAttr, void* Data) override;

 private:
  std::unique_ptr<TStringList> headings_;
  bool show_letters_ = true;
  bool show_active_col_ = false;
};

}  // namespace tess
