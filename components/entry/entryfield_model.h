// The state of an entry field apart from its window: the edit text (at most MaxLength
// characters), caret and selection, the modified and invalid marks, the restore copy,
// and the operations that move values in and out (GetValue, SetValue, GetAsString,
// SetAsString) and validate them.  Everything that reaches the window or the controller
// (focus, repainting, the change and validation events, posting the error report, the
// controller's error state) goes through TEntryFieldHost, which the window class
// implements and tests imitate: the model never holds a callback into the window.
//
// Invariants: Text().size() <= MaxLength(); 0 <= SelStart() <= SelEnd() <= text length;
// caret <= text length after every operation that sets it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "components/entry/entryfield_data.h"
#include "components/entry/entryfield_values.h"
#include "framework/core/lifetime.h"

namespace tess {

class TEntryFieldHost {
 public:
  virtual ~TEntryFieldHost() = default;
  virtual bool Focused() const = 0;
  // Visible and enabled.
  virtual bool Usable() const = 0;
  virtual void Invalidate() = 0;
  virtual bool ErrorPending() const = 0;
  virtual void SetErrorPending(bool Value) = 0;
  virtual const std::string& ErrorText() const = 0;
  virtual void SetErrorText(const std::string& Value) = 0;
  // Asks the controller to give the focus back to the field.
  virtual void PostFocusBack() = 0;
  // Queues the error report, which runs after the current focus change.
  virtual void PostErrorReport(uint16_t Code) = 0;
  // The default error report when the field has no OnError.
  virtual void ReportError(uint16_t Code, const std::string& Message) = 0;
  // The text was changed by an edit, a step or a restore.  A host that raises no change
  // event keeps the empty default.
  virtual void TextChanged() {}
  // The base year of two-digit years that the field's controller gives.
  virtual int32_t ControllerEpoch() const { return 1900; }
  // The application's check after the type check, when the field has no
  // OnUserValidation; it may set ErrorCode.  The default accepts what the type check did.
  virtual void UserValidation(uint16_t& ErrorCode) { (void)ErrorCode; }
};

class TEntryFieldModel {
 public:
  explicit TEntryFieldModel(TEntryFieldHost& Host) : host_(Host) {}

  TEntryFieldData Data;

  // --- options ------------------------------------------------------------------------
  bool InputRequired = false;
  bool Uninitialized = false;
  bool SoftValidation = false;
  bool TrimBlanks = true;
  bool ReadOnly = false;
  bool CaretToEnd = true;
  bool InsertPushes = true;
  bool ForceInsert = false;
  bool ForceOvertype = false;
  bool RightAlign = false;
  TZeroDisplay ZeroDisplay = zdShow;
  double ZeroDisplayValue = 0;

  // Replace the host's UserValidation and ReportError for a field without a window.
  std::function<void(uint16_t& ErrorCode)> OnUserValidation;
  std::function<void(uint16_t ErrorCode, const std::string& ErrorMsg)> OnError;

  // Clears the options that make no sense for the field's kind and type.
  void AdjustOptions();

  // --- text, caret, selection ---------------------------------------------------------
  const std::string& Text() const { return text_; }
  // Cut to MaxLength.
  void SetText(const std::string& S);
  bool SetMaxLength(uint16_t Value);
  int32_t CaretPos() const { return caret_; }
  int32_t SelStart() const { return sel_start_; }
  int32_t SelEnd() const { return sel_end_; }
  void SetSelection(int32_t Start, int32_t Stop);
  void SetCaretPos(int32_t Pos);
  void MoveCaretToEnd() { caret_ = static_cast<int32_t>(text_.size()); }
  void MoveCaretToStart() { caret_ = 0; }
  void ResetCaret();
  bool IsEmpty() const { return text_.find_first_not_of(' ') == std::string::npos; }
  std::string DisplayText() const;

  // --- marks --------------------------------------------------------------------------
  bool IsModified() const { return modified_ || ever_modified_; }
  void FieldModified();
  bool Invalid() const { return invalid_; }
  bool KeepCaret() const { return keep_caret_; }
  // The caret and selection survive the next entry (focus back from another form or
  // after an error).
  void SetKeepCaret(bool Value) { keep_caret_ = Value; }
  bool ErrorReported() const { return error_reported_; }
  void SetErrorReported(bool Value) { error_reported_ = Value; }
  // Modified sets both marks; clearing leaves the ever-modified mark.
  void SetModified(bool Value) {
    modified_ = Value;
    if (Value) ever_modified_ = true;
  }
  uint16_t LastError() const { return last_error_; }
  void SaveRestoreCopy() { restore_ = text_; }
  void Restore();

  // --- values -------------------------------------------------------------------------
  // The type check, then OnUserValidation (or the host's UserValidation).
  uint16_t ValidateContents();
  // 0 and the value in Data (DataSize() bytes), or the validation's error code.
  uint16_t GetValue(void* Value);
  // Mode 0: the data size; 1: the value read out of the text into Value, unchecked;
  // 2: SetValue.
  uint16_t Transfer(void* Value, uint8_t Mode);
  // A value the field cannot show whole in MaxLength characters is refused: the text
  // stays, the field is marked invalid, the error report (oeRangeError) is queued, and
  // reading the value gives that error until the text is written or edited again.
  void SetValue(const void* Value);
  void GetAsString(std::string& S);
  // Raises EEntryFieldError for text that is not a value of the type.
  void SetAsString(const std::string& S);
  // The default value of the type and range, written into the text.
  void ResetValue();
  bool IncDecValue(bool Wrap, double Delta);

  // False when the value is invalid and the focus must stay (then the report is queued).
  bool ValidateField(bool Leaving);
  // The queued report: its message and OnError (or the host's report).
  void ReportError(uint16_t Code);

  // Ends with the model (and the field that holds it).  The host's events may free the
  // field: whatever the model set for the time of its work is then left alone.
  const TLifeMark& LifeMark() const { return life_; }

 private:
  // The editing commands work on the text, caret and selection directly.
  friend class TSimpleFieldEditor;
  void CheckDataType() const;
  // Two-digit years follow the controller's epoch as it is now.
  void TakeControllerEpoch() { Data.SetControllerEpoch(host_.ControllerEpoch()); }
  void AfterValueWritten();
  uint16_t CheckContents();

  TEntryFieldHost& host_;
  std::string text_;
  int32_t caret_ = 0, sel_start_ = 0, sel_end_ = 0;
  bool modified_ = false, ever_modified_ = false, invalid_ = false, error_reported_ = false;
  bool validating_ = false, reading_value_ = false, keep_caret_ = false;
  // Set while the application's check runs: a handler that asks the field for its value gets
  // it without a second validation, instead of recursing without end.
  bool in_user_validation_ = false;
  uint16_t last_error_ = 0;
  // The error of a refused value, while the text does not stand for the value.
  uint16_t refused_ = 0;
  std::optional<std::string> restore_;
  TLifeMark life_;
};

}  // namespace tess
