// The string cell: a text cell edited in place by a single-line edit box that hands the
// table's movement keys to the table.  MaxLength 0 means no limit of the cell's own for
// short strings, whose stored text never exceeds 255 characters; a null-terminated text
// takes up to MaxLength characters, however many.
#pragma once

#include <cstdint>

#include "components/table/tablecells.h"
#include "framework/win/stdctrls.h"

namespace tess {

class TOvcTCCustomString;

// DLGC_WANTTAB when the cell's table moves by Tab, and with WithEnter DLGC_WANTALLKEYS
// when it moves by Enter.
uint32_t TableWantsKeys(const TOvcBaseTableCell* Cell, bool WithEnter);
// The two auto-advance switches that the string and combo-box cells publish.
void PublishAutoAdvance(TPropertyList& P, bool& Char, bool& LeftRight);

class TOvcTCStringEdit : public TEdit {
 public:
  explicit TOvcTCStringEdit(TComponent* AOwner) : TEdit(AOwner) {}
  ~TOvcTCStringEdit() override;
  TOvcTCCustomString* CellOwner = nullptr;
  void Dispatch(TMessage& Message) override;
};

class TOvcTCCustomString : public TOvcTCBaseString {
 public:
  using TOvcTCBaseString::TOvcTCBaseString;
  ~TOvcTCCustomString() override;

  uint16_t MaxLength() const { return max_length_; }
  void SetMaxLength(uint16_t Value) { max_length_ = Value; }
  bool AutoAdvanceChar = false;
  bool AutoAdvanceLeftRight = false;
  TNotifyEvent OnChange;
  void PublishProperties(TPropertyList& Props) override;

  TOvcTCStringEdit* EditControl() const override { return editor_; }
  // The editor was freed (a handler of an event handed to it may free it).
  void EditorFreed(const TOvcTCStringEdit* Editor) {
    if (editor_ == Editor) editor_ = nullptr;
  }
  // Data: a short string (256 bytes), or with UseASCIIZStrings a buffer of MaxLength + 1
  // bytes, which takes at most MaxLength characters (none for MaxLength 0) and the end.
  void StartEditing(int32_t RowNum, int ColNum, const TRect& CellRect,
                    const TOvcCellAttributes& CellAttr, TOvcTblEditorStyle CellStyle,
                    void* Data) override;
  void SaveEditedData(void* Data) override;
  void StopEditing(bool SaveValue, void* Data) override;

 protected:
  virtual TOvcTCStringEdit* CreateEditControl(TComponent* AOwner);

 private:
  TOvcTCStringEdit* editor_ = nullptr;
  uint16_t max_length_ = 0;
};

class TOvcTCString : public TOvcTCCustomString {
 public:
  using TOvcTCCustomString::TOvcTCCustomString;
};

}  // namespace tess
