// An entry field's state and its value and validation operations.
#include "components/entry/entryfield_model.h"

#include <algorithm>
#include <vector>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"
#include "framework/core/sysutils.h"

namespace tess {

void TEntryFieldModel::CheckDataType() const {
  if ((Data.DataType() & 63) > kMaxDataType)
    throw EOvcException(ComponentString(kInvalidParameter));
}

void TEntryFieldModel::AdjustOptions() {
  const uint8_t Type = Data.DataType() & 63;
  const uint8_t Kind = Data.FieldKind();
  if (Kind == fkSimple && Type == sftString) Data.SetStripLiterals(false);
  if ((Kind == fkSimple || Kind == fkPicture) && IsNumericType(Type)) {
    TrimBlanks = false;
    Data.SetStripLiterals(false);
  }
  if (Kind == fkPicture && (Type == sftDate || Type == sftTime)) {
    TrimBlanks = false;
    Data.SetStripLiterals(false);
  }
  if ((Kind == fkSimple || Kind == fkPicture) &&
      (Type == sftChar || Type == sftBoolean || Type == sftYesNo)) {
    CaretToEnd = InsertPushes = ForceInsert = ForceOvertype = TrimBlanks = false;
    Data.SetStripLiterals(false);
  }
  if (Kind == fkNumeric) {
    CaretToEnd = ForceInsert = ForceOvertype = InsertPushes = TrimBlanks = RightAlign = false;
    Data.SetStripLiterals(false);
  }
}

void TEntryFieldModel::SetText(const std::string& S) {
  refused_ = 0;
  text_ = S.substr(0, Data.MaxLength());
  const int32_t Len = static_cast<int32_t>(text_.size());
  caret_ = std::min(caret_, Len);
  sel_start_ = std::min(sel_start_, Len);
  sel_end_ = std::min(sel_end_, Len);
}

bool TEntryFieldModel::SetMaxLength(uint16_t Value) {
  if (!Data.SetMaxLength(Value)) return false;
  SetText(text_);
  return true;
}

void TEntryFieldModel::SetSelection(int32_t Start, int32_t Stop) {
  if (Start > Stop) return;
  const int32_t Len = static_cast<int32_t>(text_.size());
  // A number is selected whole or not at all.
  if (Data.FieldKind() == fkNumeric && Start != Stop) Start = 0, Stop = 255;
  sel_start_ = std::clamp(Start, 0, Len);
  sel_end_ = std::clamp(Stop, 0, Len);
}

void TEntryFieldModel::SetCaretPos(int32_t Pos) {
  if (!host_.Focused()) return;
  caret_ = std::clamp(Pos, 0, static_cast<int32_t>(text_.size()));
}

void TEntryFieldModel::ResetCaret() {
  if (CaretToEnd)
    MoveCaretToEnd();
  else
    MoveCaretToStart();
}

std::string TEntryFieldModel::DisplayText() const {
  return FieldDisplayText(Data, text_, host_.Focused(), IsModified(), ZeroDisplay,
                          ZeroDisplayValue);
}

void TEntryFieldModel::FieldModified() {
  refused_ = 0;
  modified_ = ever_modified_ = true;
  host_.TextChanged();
}

void TEntryFieldModel::Restore() {
  if (!restore_) return;
  SetText(*restore_);
  ResetCaret();
  SetSelection(0, 255);
  modified_ = false;
  host_.Invalidate();
  host_.TextChanged();
}

uint16_t TEntryFieldModel::CheckContents() {
  if (refused_ != 0) return refused_;
  TakeControllerEpoch();
  const uint8_t Type = Data.DataType() & 63;
  const bool Edit = host_.Focused() && !reading_value_;
  if (Type == sftString) {
    if (Edit && TrimBlanks) {
      const std::string Trimmed = Trim(text_);
      if (Trimmed != text_) {
        SetText(Trimmed);
        host_.Invalidate();
      }
    }
    return 0;
  }
  std::string T = text_;
  const uint16_t Code = CheckFieldContents(Data, T, Edit);
  if (Code == 0 && Edit && T != text_) {
    SetText(T);
    host_.Invalidate();
  }
  return Code;
}

uint16_t TEntryFieldModel::ValidateContents() {
  uint16_t Code = CheckContents();
  if (!in_user_validation_) {
    TScopedValue<bool> Guard(in_user_validation_, true, life_);
    if (OnUserValidation)
      OnUserValidation(Code);
    else
      host_.UserValidation(Code);
  }
  return Code;
}

uint16_t TEntryFieldModel::GetValue(void* Value) {
  CheckDataType();
  TScopedValue<bool> Reading(reading_value_, true, life_);
  // Inside the application's own check the value is read as it stands.
  if (!in_user_validation_) {
    const uint16_t Code = ValidateContents();
    if (Code != 0) return Code;
  }
  Transfer(Value, 1);
  return 0;
}

uint16_t TEntryFieldModel::Transfer(void* Value, uint8_t Mode) {
  if (Mode == 1) {
    TakeControllerEpoch();
    TextToFieldValue(Data, text_, Value);
  } else if (Mode == 2) {
    SetValue(Value);
  }
  return Data.DataSize();
}

void TEntryFieldModel::AfterValueWritten() {
  refused_ = 0;
  if (validating_) return;
  keep_caret_ = false;
  if (!host_.Focused()) invalid_ = false;
  if (host_.Focused()) {
    ResetCaret();
    if (!reading_value_) SetSelection(0, 255);
  }
  modified_ = ever_modified_ = false;
  host_.Invalidate();
}

void TEntryFieldModel::SetValue(const void* Value) {
  CheckDataType();
  std::string T;
  if (FieldValueToText(Data, Value, T)) {
    SetText(T);
    AfterValueWritten();
    return;
  }
  // The text keeps what it showed but no longer stands for the field's value: reading
  // the value gives the error until the text is written or edited again.
  refused_ = oeRangeError;
  last_error_ = refused_;
  invalid_ = true;
  host_.Invalidate();
  if (!host_.ErrorPending()) host_.PostErrorReport(refused_);
}

void TEntryFieldModel::GetAsString(std::string& S) {
  if ((Data.DataType() & 63) == sftString) {
    std::vector<char> Buf(Data.DataSize() + 1u, '\0');
    last_error_ = GetValue(Buf.data());
    if (last_error_ == 0) S = Buf.data();
    return;
  }
  last_error_ = refused_;
  if (refused_ == 0) S = TrimBlanks ? Trim(text_) : text_;
}

void TEntryFieldModel::SetAsString(const std::string& S) {
  std::vector<char> Buf(std::max<size_t>(Data.DataSize(), 10) + 1u, '\0');
  TakeControllerEpoch();
  AsStringToFieldValue(Data, S, Buf.data());
  SetValue(Buf.data());
}

void TEntryFieldModel::ResetValue() {
  SetText(DefaultFieldText(Data));
  AfterValueWritten();
}

bool TEntryFieldModel::IncDecValue(bool Wrap, double Delta) {
  if (!host_.Focused()) return false;
  std::string T = text_;
  if (!StepFieldValue(Data, T, Wrap, Delta)) return false;
  SetText(T);
  ResetCaret();
  FieldModified();
  host_.Invalidate();
  return true;
}

bool TEntryFieldModel::ValidateField(bool Leaving) {
  if (!host_.Usable()) return true;
  last_error_ = 0;
  if (InputRequired && !ReadOnly && (IsEmpty() || (Uninitialized && !IsModified()))) {
    last_error_ = oeRequiredField;
  } else {
    TScopedValue<bool> Validating(validating_, true, life_);
    last_error_ = ValidateContents();
  }
  caret_ = std::min(caret_, static_cast<int32_t>(text_.size()));
  if (last_error_ == 0) {
    invalid_ = false;
    return true;
  }
  if (Leaving && SoftValidation) {
    invalid_ = true;
    return true;
  }
  if (SoftValidation) invalid_ = true;
  error_reported_ = true;
  if (host_.Focused()) keep_caret_ = true;
  host_.PostFocusBack();
  if (!host_.ErrorPending()) host_.PostErrorReport(last_error_);
  host_.SetErrorPending(true);
  return false;
}

void TEntryFieldModel::ReportError(uint16_t Code) {
  if (Code == 0) return;
  const std::string Message = FieldErrorText(Code, host_.ErrorText());
  if (Message != host_.ErrorText()) host_.SetErrorText(Message);
  if (OnError)
    OnError(Code, Message);
  else
    host_.ReportError(Code, Message);
}

}  // namespace tess
