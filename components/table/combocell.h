// The combo-box cell: shows a text chosen from a list (its own Items, or with
// UseRunTimeItems a list its data names) and edits it in place with a combo box whose
// edit field, for the styles that have one, is subclassed so that the table's moving keys
// reach the table.
//
// All combo cells of the process share one arrow bitmap, held while any combo cell lives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "components/table/tablecells.h"
#include "framework/win/stdctrls.h"

namespace tess {

// The data of a combo cell without run-time items.
struct TOvcCellComboBoxInfo {
  int32_t Index = -1;  // -1: no item
  uint8_t St[256] = {};  // the value as a short string
};
// The data of a combo cell with UseRunTimeItems: the list to use comes with each value.
struct TOvcCellComboBoxRTInfo {
  int32_t Index = -1;
  TStrings* RTItems = nullptr;  // a null list counts as empty
  uint8_t St[256] = {};
};

class TOvcTCCustomComboBox;

class TOvcTCComboBoxEdit : public TComboBox {
 public:
  explicit TOvcTCComboBoxEdit(TComponent* AOwner) : TComboBox(AOwner) {}
  ~TOvcTCComboBoxEdit() override;
  TOvcTCCustomComboBox* CellOwner = nullptr;
  void Dispatch(TMessage& Message) override;
  void EditWndProc(TMessage& Message) override;

 private:
  // True when the key went to the table.
  bool HandKeyToTable(TMessage& Message, bool FromEditField);
  void AfterChar();
  // The cell's handling of a message of the edit field or of the box itself; Inherited
  // is the handling the window would have had.
  void CellMessage(TMessage& Message, bool FromEditField,
                   const std::function<void(TMessage&)>& Inherited);
};

class TOvcTCCustomComboBox : public TOvcTCBaseString {
 public:
  explicit TOvcTCCustomComboBox(TComponent* AOwner);
  ~TOvcTCCustomComboBox() override;

  int32_t DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int32_t Value) { drop_down_count_ = Value; }
  TStrings* Items() const { return items_.get(); }
  // Sorted when Sorted is set.
  void SetItems(TStrings* Value);
  uint16_t MaxLength() const { return max_length_; }
  void SetMaxLength(uint16_t Value) { max_length_ = Value; }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool ShowButton() const { return show_button_; }
  void SetShowButton(bool Value);
  bool UseRunTimeItems() const { return use_run_time_items_; }
  void SetUseRunTimeItems(bool Value);
  bool AutoAdvanceChar = false;
  bool AutoAdvanceLeftRight = false;
  // With a list style, also store the chosen item's text (else only the index).
  bool SaveStringValue = false;
  void PublishProperties(TPropertyList& Props) override;
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  // The width of the drop-down button painted in the cell.
  static int32_t ButtonWidth();
  // The styles whose value is a free text.
  bool HasEditField() const {
    return style_ == TComboBoxStyle::csDropDown || style_ == TComboBoxStyle::csSimple;
  }

  // Data: a TOvcCellComboBoxInfo, or with UseRunTimeItems a TOvcCellComboBoxRTInfo.
  void Paint(TCanvas* TableCanvas, const TRect& CellRect, int32_t RowNum, int ColNum,
             const TOvcCellAttributes& CellAttr, void* Data) override;
  TOvcTCComboBoxEdit* EditControl() const override { return editor_; }
  // The editor was freed (a handler of an event handed to it may free it).
  void EditorFreed(const TOvcTCComboBoxEdit* Editor) {
    if (editor_ == Editor) editor_ = nullptr;
  }
  // Inset by a pixel for the three-dimensional look, and the combo box's own height.
  void EditMove(const TRect& CellRect) override;
  void SaveEditedData(void* Data) override;
  void StartEditing(int32_t RowNum, int ColNum, const TRect& CellRect,
                    const TOvcCellAttributes& CellAttr, TOvcTblEditorStyle CellStyle,
                    void* Data) override;
  void StopEditing(bool SaveValue, void* Data) override;

 protected:
  virtual TOvcTCComboBoxEdit* CreateEditControl(TComponent* AOwner);

 private:
  // The parts of a datum in either layout.
  int32_t* IndexOf(void* Data) const;
  TStrings* ListOf(void* Data) const;
  uint8_t* ValueOf(void* Data) const;
  std::string TextOf(void* Data) const;

  int32_t drop_down_count_ = 8;
  TOvcTCComboBoxEdit* editor_ = nullptr;
  std::unique_ptr<TStringList> items_;
  uint16_t max_length_ = 0;
  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  bool sorted_ = false;
  bool show_button_ = true;
  bool use_run_time_items_ = false;
};

class TOvcTCComboBox : public TOvcTCCustomComboBox {
 public:
  using TOvcTCCustomComboBox::TOvcTCCustomComboBox;
};

}  // namespace tess
