// The simple entry field (see simplefield.h).
#include "components/entry/simplefield.h"

#include <cstring>
#include <vector>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"

namespace tess {

namespace {

bool IsSimplePictureChar(char C) {
  return C != '\0' && std::strchr("!#12345678 9ABEKLOXYabilx", C) != nullptr && C != ' ';
}

// A buffer that holds any value of any data type.
std::vector<char> ValueBuffer(const TEntryFieldData& D) {
  return std::vector<char>(std::max<size_t>(D.DataSize(), 10) + 1u, '\0');
}

}  // namespace

TOvcCustomSimpleField::TOvcCustomSimpleField(TComponent* AOwner) : TOvcBaseEntryField(AOwner) {
  SetSimpleFieldType(model_.Data, sftString);
  model_.Data.SetFieldKind(fkSimple);
  model_.Data.SetPicture("X");
}

TOvcCustomSimpleField::~TOvcCustomSimpleField() = default;

void TOvcCustomSimpleField::SetDataType(TSimpleDataType Value) {
  if (Value == DataType()) return;
  if (Value > sftComp) throw EOvcException(ComponentString(kInvalidParameter));
  SetSimpleFieldType(model_.Data, Value);
  picture_mask_ = model_.Data.Picture()[0];
  model_.SetText(model_.Text());
  model_.CaretToEnd = true;
  model_.InsertPushes = true;
  if (!(ComponentState() & csLoading)) model_.AdjustOptions();
  if (HandleAllocated()) {
    SetValueSetBefore(false);
    RecreateWnd();
  }
}

void TOvcCustomSimpleField::SetPictureMask(char Value) {
  if (Value == picture_mask_) return;
  if (!IsSimplePictureChar(Value)) throw EInvalidPictureMask(std::string(1, Value));
  picture_mask_ = Value;
  if (ComponentState() & csLoading) {
    model_.Data.SetPicture(std::string(1, Value));
    return;
  }
  // The value survives the new picture.
  std::vector<char> V = ValueBuffer(model_.Data);
  TextToFieldValue(model_.Data, model_.Text(), V.data());
  model_.Data.SetPicture(std::string(1, Value));
  // A value the new picture cannot show whole keeps its old text.
  std::string T;
  if (FieldValueToText(model_.Data, V.data(), T)) model_.SetText(T);
  Invalidate();
}

void TOvcCustomSimpleField::Assign(TPersistent* Source) {
  auto* S = dynamic_cast<TOvcCustomSimpleField*>(Source);
  if (!S) {
    TOvcBaseEntryField::Assign(Source);
    return;
  }
  SetDataType(S->DataType());
  SetAutoAdvanceChar(S->AutoAdvanceChar());
  SetAutoAdvanceLeftRight(S->AutoAdvanceLeftRight());
  SetAutoAdvanceUpDown(S->AutoAdvanceUpDown());
  SetArrowIncDec(S->ArrowIncDec());
  SetAutoSelect(S->AutoSelect());
  SetAutoSize(S->AutoSize());
  SetBeepOnError(S->BeepOnError());
  SetBorderStyle(S->BorderStyle());
  SetCaretToEnd(S->CaretToEnd());
  SetColor(S->Color());
  SetControlCharColor(S->ControlCharColor());
  SetDecimalPlaces(S->DecimalPlaces());
  ErrorColors()->Assign(S->ErrorColors());
  HighlightColors()->Assign(S->HighlightColors());
  SetForceInsert(S->ForceInsert());
  SetForceOvertype(S->ForceOvertype());
  SetInputRequired(S->InputRequired());
  SetInsertPushes(S->InsertPushes());
  SetMaxLength(S->MaxLength());
  SetPadChar(S->PadChar());
  SetPasswordChar(S->PasswordChar());
  SetPasswordMode(S->PasswordMode());
  SetPictureMask(S->PictureMask());
  SetRangeHi(S->RangeHi());
  SetRangeLo(S->RangeLo());
  SetReadOnly(S->ReadOnly());
  SetSoftValidation(S->SoftValidation());
  SetTextMargin(S->TextMargin());
  SetTrimBlanks(S->TrimBlanks());
  SetUninitialized(S->Uninitialized());
  SetZeroDisplay(S->ZeroDisplay());
  SetZeroDisplayValue(S->ZeroDisplayValue());
}

void TOvcCustomSimpleField::CreateWnd() {
  const bool Before = HasValueSetBefore();
  std::vector<char> Saved = ValueBuffer(model_.Data);
  if (Before) TextToFieldValue(model_.Data, model_.Text(), Saved.data());
  TOvcBaseEntryField::CreateWnd();
  if (!model_.Data.HasRange()) model_.Data.SetRangeDefaults();
  model_.ResetValue();
  if (Before) model_.SetValue(Saved.data());
  SetValueSetBefore(true);
}

std::string TOvcCustomSimpleField::GetDisplayString() {
  std::string S = TOvcBaseEntryField::GetDisplayString();
  if (S.empty()) return S;
  if (Uninitialized() && !Focused()) return std::string(S.size(), ' ');
  if (PasswordMode()) S.assign(S.size(), PasswordChar());
  if (PadChar() != ' ' && S.size() < MaxLength()) S.append(MaxLength() - S.size(), PadChar());
  return S;
}

void TOvcCustomSimpleField::PerformEdit(const TEntryEdit& E) {
  bool Repaint = editor_.PerformEdit(E);
  if (PositionCaret(true)) Repaint = true;
  if (Repaint) Invalidate();
}

void TOvcSimpleField::PublishProperties(TPropertyList& P) {
  // The data type first: setting it resets the length, picture and range that are
  // read after it.
  P.Enum<TSimpleDataType>(
       "DataType",
       {"sftString", "sftChar", "sftBoolean", "sftYesNo", "sftLongInt", "sftWord", "sftInteger",
        "sftByte", "sftShortInt", "sftReal", "sftExtended", "sftDouble", "sftSingle", "sftComp"},
       [this] { return DataType(); }, [this](TSimpleDataType v) { SetDataType(v); })
      .Default(sftString);
  P.String(
       "PictureMask", [this] { return std::string(1, PictureMask()); },
       [this](const std::string& v) { SetPictureMask(v.empty() ? '\0' : v[0]); })
      .Default("X");
  TOvcCustomSimpleField::PublishProperties(P);
  PublishController(P);
  // A field's own colour, unless it takes its parent's.
  P.Find("Color")->Default(clWindow);
}

void RegisterEntryFieldClasses() {
  RegisterComponentClass<TOvcSimpleField>("TOvcSimpleField");
  // The form a field is read with carries the controller it needs.
  RegisterControllerClass();
}

}  // namespace tess
