// The entry field's window: TOvcBaseEntryField turns keys (through the controller's
// command tables), characters, the mouse, the clipboard and the focus into commands on
// the field's state (TEntryFieldModel, TSimpleFieldEditor), places the caret, paints
// the text without flicker and reports errors through the controller.
//
// Focus and validation.  Leaving a field validates it; an invalid field asks the
// controller (posted) to give it the focus back and posts its error report to itself,
// once: while the controller's ErrorPending is set no other field reports.  Both
// notices run after the focus change that caused them; a notice for a field destroyed
// in between is dropped (the report dies with the window, the controller forgets the
// field on its removal).  Moving to the controller's Cancel, Help or Restore button
// checks the contents without a report.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "components/core/carets.h"
#include "components/core/colors.h"
#include "components/core/controller.h"
#include "components/entry/entryfield_edit.h"
#include "components/entry/entryfield_model.h"

namespace tess {

// Messages of the entry fields besides the controller's.
enum : uint32_t {
  OM_GETDATASIZE = 32515,  // result: the size of the field's value
};

using TValidationErrorEvent =
    std::function<void(TObject* Sender, uint16_t ErrorCode, const std::string& ErrorMsg)>;
using TUserCommandEvent = std::function<void(TObject* Sender, uint16_t Command)>;
using TUserValidationEvent = std::function<void(TObject* Sender, uint16_t& ErrorCode)>;

class TOvcBaseEntryField : public TOvcBase, protected TEntryFieldHost, protected TEntryEditHost {
 public:
  explicit TOvcBaseEntryField(TComponent* AOwner);
  ~TOvcBaseEntryField() override;

  // The state the window shows (tests read it).
  TEntryFieldModel& Model() { return model_; }
  const TSimpleFieldEditor& Editor() const { return editor_; }

  // --- options ----------------------------------------------------------------------
  bool ArrowIncDec() const { return editor_.ArrowIncDec; }
  void SetArrowIncDec(bool Value);
  bool AutoAdvanceChar() const { return editor_.AutoAdvanceChar; }
  void SetAutoAdvanceChar(bool Value);
  bool AutoAdvanceLeftRight() const { return editor_.AutoAdvanceLeftRight; }
  void SetAutoAdvanceLeftRight(bool Value);
  bool AutoAdvanceUpDown() const { return editor_.AutoAdvanceUpDown; }
  void SetAutoAdvanceUpDown(bool Value);
  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool Value) { auto_select_ = Value; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool Value);
  bool BeepOnError() const { return beep_on_error_; }
  void SetBeepOnError(bool Value) { beep_on_error_ = Value; }
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle Value);
  bool CaretToEnd() const { return model_.CaretToEnd; }
  void SetCaretToEnd(bool Value) { SetOption(model_.CaretToEnd, Value); }
  TColor ControlCharColor() const { return control_char_color_; }
  void SetControlCharColor(TColor Value);
  uint8_t DecimalPlaces() const { return model_.Data.DecimalPlaces(); }
  void SetDecimalPlaces(uint8_t Value);
  TOvcColors* DisabledColors() const { return disabled_colors_.get(); }
  TOvcColors* ErrorColors() const { return error_colors_.get(); }
  TOvcColors* HighlightColors() const { return highlight_colors_.get(); }
  bool ForceInsert() const { return model_.ForceInsert; }
  void SetForceInsert(bool Value);
  bool ForceOvertype() const { return model_.ForceOvertype; }
  void SetForceOvertype(bool Value);
  bool InputRequired() const { return model_.InputRequired; }
  void SetInputRequired(bool Value) { SetOption(model_.InputRequired, Value); }
  bool InsertPushes() const { return model_.InsertPushes; }
  void SetInsertPushes(bool Value) { SetOption(model_.InsertPushes, Value); }
  uint16_t LastError() const { return model_.LastError(); }
  uint16_t MaxLength() const { return model_.Data.MaxLength(); }
  // 1..255 and not below the picture length; other values are ignored.
  void SetMaxLength(uint16_t Value);
  char PadChar() const { return pad_char_; }
  void SetPadChar(char Value);
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char Value);
  bool PasswordMode() const { return password_mode_; }
  void SetPasswordMode(bool Value);
  bool ReadOnly() const { return model_.ReadOnly; }
  void SetReadOnly(bool Value) { model_.ReadOnly = Value; }
  bool RightAlign() const { return model_.RightAlign; }
  void SetRightAlign(bool Value);
  bool SoftValidation() const { return model_.SoftValidation; }
  void SetSoftValidation(bool Value) { model_.SoftValidation = Value; }
  int32_t TextMargin() const { return text_margin_; }
  void SetTextMargin(int32_t Value);
  bool TrimBlanks() const { return model_.TrimBlanks; }
  void SetTrimBlanks(bool Value) { SetOption(model_.TrimBlanks, Value); }
  bool Uninitialized() const { return model_.Uninitialized; }
  void SetUninitialized(bool Value) { SetOption(model_.Uninitialized, Value); }
  TZeroDisplay ZeroDisplay() const { return model_.ZeroDisplay; }
  void SetZeroDisplay(TZeroDisplay Value);
  double ZeroDisplayValue() const { return model_.ZeroDisplayValue; }
  void SetZeroDisplayValue(double Value);
  TOvcCaret* CaretIns() const { return caret_->InsCaret(); }
  void SetCaretIns(TOvcCaret* Value);
  TOvcCaret* CaretOvr() const { return caret_->OvrCaret(); }
  void SetCaretOvr(TOvcCaret* Value);
  // The limits as text; bad text raises EInvalidRangeValue (ignored while loading).
  std::string RangeHi() const { return model_.Data.RangeHi(); }
  void SetRangeHi(const std::string& Value);
  std::string RangeLo() const { return model_.Data.RangeLo(); }
  void SetRangeLo(const std::string& Value);
  bool InsertMode() const { return editor_.InsertMode; }

  // --- values -------------------------------------------------------------------------
  // 0 and the value in Data, or the validation's error code.
  uint16_t GetValue(void* Data) { return model_.GetValue(Data); }
  void SetValue(const void* Data);
  // Mode 0: the data size; 1: the value out of the edit text into DataPtr; 2: the value
  // at DataPtr into the edit text.
  virtual uint16_t Transfer(void* DataPtr, uint8_t Mode);
  // Strings through GetValue (LastError tells); other types the edit text.
  std::string GetAsString();
  // Raises EEntryFieldError for text that is not a value of the type.
  virtual void SetAsString(const std::string& S);
  void IncreaseValue(bool Wrap, double Delta);
  void DecreaseValue(bool Wrap, double Delta);
  bool IsModified() const { return model_.IsModified(); }
  virtual bool IsReadOnly() const { return ReadOnly(); }
  virtual bool ValidateField(bool Leaving);
  void Restore();

  // --- text, caret, selection ---------------------------------------------------------
  virtual std::string GetEditString() const { return model_.Text(); }
  // Cut to MaxLength; no change event, as for a value written.
  virtual void SetEditString(const std::string& S);
  // The first position the caret may take.
  virtual int32_t GetFirstEditPos() const { return 0; }
  // The selection to the clipboard and out of the text; the clipboard's text into it.
  virtual void CutToClipboard();
  virtual void PasteFromClipboard();
  void SetSelection(int32_t Start, int32_t Stop);
  using TWinControl::SetCaretPos;
  // Only while focused; clamped to the text.
  virtual void SetCaretPos(int32_t Pos);
  virtual std::string GetDisplayString();
  // The horizontal offset: the first character shown.
  int32_t Offset() const { return offset_; }

  // Carries out a command as a key would (read-only fields refuse the editing ones);
  // false when a handler it ran freed the field.
  bool ProcessCommand(TEntryEdit E);

  // --- events -------------------------------------------------------------------------
  TNotifyEvent OnChange;
  TValidationErrorEvent OnError;
  TUserCommandEvent OnUserCommand;
  TUserValidationEvent OnUserValidation;

  void Dispatch(TMessage& Message) override;
  void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) override;
  void PublishProperties(TPropertyList& Props) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDc DC) override;

  // The concrete field carries out the commands and steps the values.
  virtual void PerformEdit(const TEntryEdit& E) = 0;
  // The events, each overridable.
  virtual void DoOnChange();
  virtual void DoOnError(uint16_t ErrorCode, const std::string& ErrorMsg);
  virtual void DoOnUserCommand(uint16_t Command);
  virtual void DoOnUserValidation(uint16_t& ErrorCode);
  void CopySelectionToClipboard();
  // Recomputes the text position and, with AutoSize, the height.
  void AdjustHeight();
  // Sets an option and lets the field clear the ones its type does not allow.
  void SetOption(bool& Field, bool Value);
  // Places the caret; true when the offset changed.
  bool PositionCaret(bool Scroll);
  // The text index under client x.
  int32_t MousePosition(int32_t X);
  bool HasValueSetBefore() const { return value_set_before_; }
  void SetValueSetBefore(bool Value) { value_set_before_ = Value; }

  // TEntryFieldHost
  bool Focused() const override;
  bool Usable() const override;
  void Invalidate() override;
  bool ErrorPending() const override;
  void SetErrorPending(bool Value) override;
  const std::string& ErrorText() const override;
  void SetErrorText(const std::string& Value) override;
  void PostFocusBack() override;
  void PostErrorReport(uint16_t Code) override;
  void ReportError(uint16_t Code, const std::string& Message) override;
  int32_t ControllerEpoch() const override;
  void TextChanged() override;
  void UserValidation(uint16_t& ErrorCode) override;
  // TEntryEditHost
  void Beep() override;
  void MoveToNextField() override;
  void MoveToPrevField() override;

  TEntryFieldModel model_;
  TSimpleFieldEditor editor_;

 private:
  void KeyCommand(uint16_t Cmd, TMessage& M);
  // Runs Work, which may change the text, and raises OnChange once after it when it did,
  // so that nothing of the field runs after the handler (which may free it); false when
  // the field was freed.
  bool ChangingText(const std::function<void()>& Work);
  void Enter(TMessage& M);
  void Leave(TMessage& M);
  void Paint(HDc DC);
  int32_t TextWidth(const std::string& S);
  void ShowCaretForm();

  std::unique_ptr<TOvcCaretPair> caret_;
  std::unique_ptr<TOvcColors> disabled_colors_, error_colors_, highlight_colors_;
  bool auto_select_ = true;
  bool auto_size_ = true;
  bool beep_on_error_ = true;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  TColor control_char_color_ = clRed;
  char pad_char_ = ' ';
  char password_char_ = '*';
  bool password_mode_ = false;
  int32_t text_margin_ = 2;
  int32_t text_top_ = 0;
  int32_t offset_ = 0;
  bool right_justify_ = false;
  // Focus states.
  bool focused_ = false;
  bool reentry_ = false;
  bool entered_by_mouse_ = false;
  bool skip_next_exit_ = false;
  bool value_set_before_ = false;
  int changing_ = 0;             // ChangingText calls under way
  bool change_pending_ = false;  // the text changed inside them
};

}  // namespace tess
