// The standard controls: the system's edit, multi-line edit, list box, combo box and
// push button with our window procedure in front of theirs, and the windowless label.
//
// What a control shows lives in its window while it has one; when the window goes
// (DestroyHandle, RecreateWnd) the control saves it (text, items, selection, modified
// flag) and gives it to the next window, so the object never loses its contents.  The
// notifications the system sends to the parent come back to the control reflected
// (CN_COMMAND, CN_DRAWITEM, CN_MEASUREITEM) and become its events.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/win/controls.h"

namespace tess {

enum class TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;

  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool Value) { auto_select_ = Value; }
  // The height follows the font.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  TEditCharCase CharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase Value);
  bool HideSelection() const { return hide_selection_; }
  void SetHideSelection(bool Value);
  // 0: no limit.
  int32_t MaxLength() const { return max_length_; }
  void SetMaxLength(int32_t Value);
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char Value);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool Value);
  bool Modified();
  void SetModified(bool Value);

  int32_t SelStart();
  void SetSelStart(int32_t Value);
  int32_t SelLength();
  void SetSelLength(int32_t Value);
  std::string SelText();
  // Replaces the selection.
  void SetSelText(const std::string& Value);
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  void Undo();
  void Clear() { SetText(""); }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void DoEnter() override;
  virtual void Change();
  void AdjustHeight();

 private:
  bool auto_select_ = true;
  bool auto_size_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TEditCharCase char_case_ = TEditCharCase::ecNormal;
  bool hide_selection_ = true;
  int32_t max_length_ = 0;
  char password_char_ = 0;
  bool read_only_ = false;
  bool modified_ = false;
  int32_t saved_sel_start_ = 0;
  int32_t saved_sel_end_ = 0;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

class TCustomMemo : public TCustomEdit {
 public:
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;

  // The lines of the text (hard lines, separated by CR LF).
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* Value) { lines_->Assign(Value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool Value);
  // Tab and Enter go into the text instead of moving the focus or pressing a button.
  bool WantTabs() const { return want_tabs_; }
  void SetWantTabs(bool Value) { want_tabs_ = Value; }
  bool WantReturns() const { return want_returns_; }
  void SetWantReturns(bool Value) { want_returns_ = Value; }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  std::unique_ptr<TStrings> lines_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
  TScrollStyle scroll_bars_ = TScrollStyle::ssNone;
  bool word_wrap_ = true;
  bool want_tabs_ = false;
  bool want_returns_ = true;
};

class TMemo : public TCustomMemo {
 public:
  explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// Owner-drawn lists
// ---------------------------------------------------------------------------------------

enum class TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused };
using TOwnerDrawState = TEnumSet<TOwnerDrawStateFlag>;
using TDrawItemEvent = std::function<void(TWinControl* Control, int32_t Index, const TRect& Rect,
                                          TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int32_t Index, int32_t& Height)>;

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

class TCustomListBox : public TWinControl {
 public:
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  // -1: none.  With MultiSelect, the item with the focus rectangle.
  int32_t ItemIndex();
  void SetItemIndex(int32_t Value);
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return extended_select_; }
  void SetExtendedSelect(bool Value);
  bool Selected(int32_t Index);
  void SetSelected(int32_t Index, bool Value);
  int32_t SelCount();
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  int32_t ItemHeight();
  void SetItemHeight(int32_t Value);
  bool IntegralHeight() const { return integral_height_; }
  void SetIntegralHeight(bool Value);
  // Distance of tab stops in dialog units (0: no tab stops).
  int32_t TabWidth() const { return tab_width_; }
  void SetTabWidth(int32_t Value);
  // Tab stops in dialog units, one per tab (empty: the TabWidth rule).  The default
  // drawing of an owner-drawn list expands tabs to the same stops.
  const std::vector<int32_t>& TabStops() const { return tab_stops_; }
  void SetTabStops(const std::vector<int32_t>& DialogUnits);
  // The width in pixels the list scrolls over horizontally (0: the window's width).
  int32_t HorizontalExtent() const { return horizontal_extent_; }
  void SetHorizontalExtent(int32_t Pixels);
  int32_t TopIndex();
  void SetTopIndex(int32_t Value);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  // The item at P (client coordinates): with Existing, -1 below the last item;
  // otherwise the nearest item.
  int32_t ItemAtPos(TPoint P, bool Existing);
  TRect ItemRect(int32_t Index);
  void Clear() { items_->Clear(); }
  TCanvas* Canvas() const { return canvas_.get(); }

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  // Owner-drawn lists: the canvas is set up (font, colours of the state) before it is
  // called; the default fills Rect and writes the item 2 pixels from the left.
  virtual void DrawItem(int32_t Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int32_t Index, int32_t& Height);

 private:
  friend class TWindowListStrings;
  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_items_;
  std::unique_ptr<TControlCanvas> canvas_;
  int32_t saved_index_ = -1;
  int32_t saved_top_ = 0;
  std::vector<int32_t> saved_selection_;
  bool multi_select_ = false;
  bool extended_select_ = true;
  bool sorted_ = false;
  TListBoxStyle style_ = TListBoxStyle::lbStandard;
  int32_t item_height_ = 16;
  bool integral_height_ = false;
  int32_t tab_width_ = 0;
  std::vector<int32_t> tab_stops_;
  int32_t horizontal_extent_ = 0;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

enum class TComboBoxStyle {
  csDropDown,
  csSimple,
  csDropDownList,
  csOwnerDrawFixed,
  csOwnerDrawVariable
};

class TCustomComboBox : public TWinControl {
 public:
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  int32_t ItemIndex();
  void SetItemIndex(int32_t Value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  int32_t DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int32_t Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  int32_t ItemHeight();
  void SetItemHeight(int32_t Value);
  // 0: no limit.
  int32_t MaxLength() const { return max_length_; }
  void SetMaxLength(int32_t Value);
  int32_t SelStart();
  void SetSelStart(int32_t Value);
  int32_t SelLength();
  void SetSelLength(int32_t Value);
  std::string SelText();
  void SetSelText(const std::string& Value);
  void SelectAll();
  void Clear();
  TCanvas* Canvas() const { return canvas_.get(); }

  // The edit window of a drop-down or simple combo box (null for the list styles), and
  // the window of its list.
  HWnd EditHandle();
  HWnd ListHandle();

  bool Focused() const override;
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

  // Every message of the edit window; the default turns its keys into the combo box's
  // key events, tracks its focus as the combo box's and passes the message on with
  // DefaultEditHandler.
  virtual void EditWndProc(TMessage& Message);
  void DefaultEditHandler(TMessage& Message);

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  virtual void Change();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(int32_t Index, const TRect& Rect, TOwnerDrawState State);
  virtual void MeasureItem(int32_t Index, int32_t& Height);

 private:
  friend class TWindowListStrings;
  int32_t DropHeight();
  void HookEdit();
  // Gives the edit part its own window procedure back.
  void UnhookEdit();

  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_items_;
  std::unique_ptr<TControlCanvas> canvas_;
  int32_t saved_index_ = -1;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  bool sorted_ = false;
  int32_t drop_down_count_ = 8;
  int32_t item_height_ = 16;
  int32_t max_length_ = 0;
  HWnd edit_ = nullptr;
  void* edit_proc_ = nullptr;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ---------------------------------------------------------------------------------------

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);

  // Enter presses the default button (unless another button has the focus).
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  // Escape presses the cancel button.
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  // Pressing the button sets the form's ModalResult to this.
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult Value) { modal_result_ = Value; }
  // Whether the button is drawn as the dialog's default button now.
  bool IsDefaultLook() const { return default_look_; }

  void Click() override;
  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  // Switches the default-button look (BS_DEFPUSHBUTTON); an owner-drawn button keeps
  // BS_OWNERDRAW and is repainted instead.
  virtual void SetButtonStyle(bool ADefault);
  // Owner-draw mode: the window is a BS_OWNERDRAW button that paints through
  // CN_DRAWITEM, and a quick second click presses it again (the system would make it
  // a double click the button ignores).  Set before the window is made.
  bool OwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool Value);

 private:
  bool owner_draw_ = false;
  bool default_ = false;
  bool cancel_ = false;
  bool default_look_ = false;
  TModalResult modal_result_ = mrNone;
};

// ---------------------------------------------------------------------------------------

enum class TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  // The size follows the caption.
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool ShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool Value);
  // The parent shows through (no background is painted).
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool Value);
  // The control that gets the focus for the label's accelerator.
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* Value);

  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void PublishProperties(TPropertyList& Props) override;
  void Loaded() override;

 protected:
  void Paint() override;
  // Draws the caption into Rect with DrawText flags (DT_CALCRECT measures only).
  virtual void DoDrawText(TRect& Rect, uint32_t Flags);
  void AdjustBounds();

 private:
  TAlignment alignment_ = TAlignment::taLeftJustify;
  bool auto_size_ = true;
  TTextLayout layout_ = TTextLayout::tlTop;
  bool show_accel_char_ = true;
  bool transparent_ = false;
  bool word_wrap_ = false;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

}  // namespace tess
