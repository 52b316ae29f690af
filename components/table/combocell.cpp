// The combo-box cell and its in-place combo box.
#include "components/table/combocell.h"

#include <algorithm>
#include <cstring>

#include "components/table/celltext.h"
#include "components/table/stringcell.h"
#include "platform/win32.h"

namespace tess {

namespace {
// The arrow bitmap shared by every combo cell, loaded by the first and freed by the last.
struct SharedArrow {
  std::unique_ptr<TBitmap> Bitmap;
  int Users = 0;
};
SharedArrow& Arrow() {
  static SharedArrow A;
  return A;
}
}  // namespace

// ---- the editor -----------------------------------------------------------------------

bool TOvcTCComboBoxEdit::HandKeyToTable(TMessage& M, bool FromEditField) {
  const uint8_t Verdict = CellOwner->FilterTableKey(M);
  TEditCaret Caret;
  if (FromEditField) Caret = TEditCaret{SelStart(), SelLength(), static_cast<int32_t>(Text().size())};
  const TCellEditorKind Kind =
      CellOwner->HasEditField() ? TCellEditorKind::ComboEdit : TCellEditorKind::ComboList;
  if (!EditorPassesKey(Kind, Verdict, static_cast<uint16_t>(M.WParam),
                       CellOwner->AutoAdvanceLeftRight, Caret))
    return false;
  CellOwner->PostKeyToTable(M.WParam, M.LParam);
  return true;
}

void TOvcTCComboBoxEdit::AfterChar() {
  if (CellOwner->AutoAdvanceChar && MaxLength() > 0 &&
      static_cast<int32_t>(Text().size()) >= MaxLength())
    CellOwner->PostKeyToTable(VK_RIGHT, 0);
}

TOvcTCComboBoxEdit::~TOvcTCComboBoxEdit() {
  if (CellOwner) CellOwner->EditorFreed(this);
}

void TOvcTCComboBoxEdit::CellMessage(TMessage& M, bool FromEditField,
                                     const std::function<void(TMessage&)>& Inherited) {
  // The cell's events run in the editor (handed to it): a handler may free the editor.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN:
      if (HandKeyToTable(M, FromEditField)) return;
      break;
    case WM_CHAR:
      // Enter, Tab and Escape belong to the table; typed into the field they would beep.
      if (FromEditField && (M.WParam == VK_RETURN || M.WParam == VK_TAB || M.WParam == VK_ESCAPE))
        return;
      Inherited(M);
      if (watch.Alive()) AfterChar();
      return;
    case WM_GETDLGCODE:
      Inherited(M);
      if (watch.Alive()) M.Result |= TableWantsKeys(CellOwner, false);
      return;
    case WM_SETFOCUS:
      Inherited(M);
      if (watch.Alive())
        CellOwner->PostFocusToTable(ctim_SetFocus, reinterpret_cast<HWnd>(M.WParam));
      return;
    default:
      break;
  }
  Inherited(M);
}

void TOvcTCComboBoxEdit::EditWndProc(TMessage& M) {
  if (!CellOwner) return TComboBox::EditWndProc(M);
  CellMessage(M, true, [this](TMessage& Msg) { TComboBox::EditWndProc(Msg); });
}

void TOvcTCComboBoxEdit::Dispatch(TMessage& M) {
  if (!CellOwner || CellOwner->HasEditField()) return TComboBox::Dispatch(M);
  // The list styles have no edit field: the combo box itself gets the keys.
  CellMessage(M, false, [this](TMessage& Msg) { TComboBox::Dispatch(Msg); });
}

// ---- the cell -------------------------------------------------------------------------

TOvcTCCustomComboBox::TOvcTCCustomComboBox(TComponent* AOwner)
    : TOvcTCBaseString(AOwner), items_(std::make_unique<TStringList>()) {
  SetAcceptActivationClick(true);
  SharedArrow& A = Arrow();
  if (A.Users++ == 0) {
    A.Bitmap = std::make_unique<TBitmap>();
    try {
      A.Bitmap->LoadFromResourceName(HInstance(), "OVCTCCOMBOARROW");
    } catch (const Exception&) {
      // Without the resource the button shows no arrow.
    }
  }
}

TOvcTCCustomComboBox::~TOvcTCCustomComboBox() {
  if (editor_) StopEditing(false, nullptr);
  SharedArrow& A = Arrow();
  if (--A.Users == 0) A.Bitmap.reset();
}

void TOvcTCCustomComboBox::PublishProperties(TPropertyList& P) {
  TOvcTCBaseString::PublishProperties(P);
  PublishAutoAdvance(P, AutoAdvanceChar, AutoAdvanceLeftRight);
  P.Integer("DropDownCount", [this] { return drop_down_count_; },
            [this](int32_t v) { SetDropDownCount(v); })
      .Default(8);
  P.Object("Items", [this] { return items_.get(); });
  P.Integer("MaxLength", [this] { return max_length_; },
            [this](int32_t v) { SetMaxLength(static_cast<uint16_t>(std::clamp(v, 0, 65535))); })
      .Default(0);
  P.Boolean("SaveStringValue", [this] { return SaveStringValue; },
            [this](bool v) { SaveStringValue = v; })
      .Default(false);
  P.Boolean("ShowButton", [this] { return show_button_; }, [this](bool v) { SetShowButton(v); })
      .Default(true);
  P.Boolean("Sorted", [this] { return sorted_; }, [this](bool v) { SetSorted(v); }).Default(false);
  P.Enum<TComboBoxStyle>(
       "Style", {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"},
       [this] { return style_; }, [this](TComboBoxStyle v) { SetStyle(v); })
      .Default(TComboBoxStyle::csDropDown);
  P.Boolean("UseRunTimeItems", [this] { return use_run_time_items_; },
            [this](bool v) { SetUseRunTimeItems(v); })
      .Default(false);
}

int32_t TOvcTCCustomComboBox::ButtonWidth() {
  const TBitmap* B = Arrow().Bitmap.get();
  return (B ? B->Width() : 0) + 11;
}

void TOvcTCCustomComboBox::SetItems(TStrings* Value) {
  items_->Assign(Value);
  if (sorted_) items_->Sort();
  NotifyChanged();
}

void TOvcTCCustomComboBox::SetStyle(TComboBoxStyle Value) {
  if (Value == style_) return;
  style_ = Value;
  NotifyChanged();
}

void TOvcTCCustomComboBox::SetSorted(bool Value) {
  if (Value == sorted_) return;
  sorted_ = Value;
  if (Value) items_->Sort();
  NotifyChanged();
}

void TOvcTCCustomComboBox::SetShowButton(bool Value) {
  if (Value == show_button_) return;
  show_button_ = Value;
  NotifyChanged();
}

void TOvcTCCustomComboBox::SetUseRunTimeItems(bool Value) {
  if (Value == use_run_time_items_) return;
  use_run_time_items_ = Value;
  NotifyChanged();
}

int32_t* TOvcTCCustomComboBox::IndexOf(void* Data) const {
  return use_run_time_items_ ? &static_cast<TOvcCellComboBoxRTInfo*>(Data)->Index
                             : &static_cast<TOvcCellComboBoxInfo*>(Data)->Index;
}

TStrings* TOvcTCCustomComboBox::ListOf(void* Data) const {
  return use_run_time_items_ ? static_cast<TOvcCellComboBoxRTInfo*>(Data)->RTItems
                             : items_.get();
}

uint8_t* TOvcTCCustomComboBox::ValueOf(void* Data) const {
  return use_run_time_items_ ? static_cast<TOvcCellComboBoxRTInfo*>(Data)->St
                             : static_cast<TOvcCellComboBoxInfo*>(Data)->St;
}

std::string TOvcTCCustomComboBox::TextOf(void* Data) const {
  if (!Data) return {};
  const int32_t I = *IndexOf(Data);
  if (TStrings* L = ListOf(Data); L && I >= 0 && I < L->Count()) return L->Strings(I);
  return HasEditField() ? ReadShortString(ValueOf(Data)) : std::string();
}

void TOvcTCCustomComboBox::Paint(TCanvas* C, const TRect& CellRect, int32_t RowNum, int ColNum,
                                 const TOvcCellAttributes& A, void* Data) {
  TOvcBaseTableCell::Paint(C, CellRect, RowNum, ColNum, A, Data);
  if (A.Access == TOvcTblAccess::otxInvisible) return;
  const std::string Text = TextOf(Data);
  TRect TextRect = CellRect;
  TRect Button = CellRect;
  const int32_t BW = std::min(ButtonWidth(), CellRect.Width());
  TextRect.Right -= BW;
  Button.Left = TextRect.Right;
  if (!show_button_) {
    PaintText(C, TextRect, A, Text);
    C->Brush()->SetColor(A.Color);
    C->FillRect(Button);
    PaintDownTriangle(C, Button, TOvcTblAdjust::otaCenter, 0, A.FontColor);
    return;
  }
  if (!IsActiveCell(RowNum, ColNum)) {
    PaintText(C, CellRect, A, Text);
    return;
  }
  PaintText(C, TextRect, A, Text);
  // A raised button: black frame, face, highlight and shadow bevels, the arrow inside.
  C->Brush()->SetColor(clBlack);
  C->FrameRect(Button);
  TRect Face{Button.Left + 1, Button.Top + 1, Button.Right - 1, Button.Bottom - 1};
  C->Brush()->SetColor(clBtnFace);
  C->FillRect(Face);
  C->Pen()->SetColor(clBtnHighlight);
  C->MoveTo(Face.Left, Face.Bottom - 1);
  C->LineTo(Face.Left, Face.Top);
  C->LineTo(Face.Right - 1, Face.Top);
  C->Pen()->SetColor(clBtnShadow);
  C->LineTo(Face.Right - 1, Face.Bottom - 1);
  C->LineTo(Face.Left, Face.Bottom - 1);
  if (TBitmap* Bm = Arrow().Bitmap.get(); Bm && !Bm->Empty()) {
    const int32_t Y = Button.Top + (Button.Height() - Bm->Height()) / 2;
    C->Draw(Button.Left + 5, Y, Bm);
  }
}

TOvcTCComboBoxEdit* TOvcTCCustomComboBox::CreateEditControl(TComponent* AOwner) {
  return new TOvcTCComboBoxEdit(AOwner);
}

void TOvcTCCustomComboBox::EditMove(const TRect& CellRect) {
  if (!editor_) return;
  TRect R = CellRect;
  if (editor_->Ctl3D()) R = TRect{R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
  TOvcTCBaseString::EditMove(TRect{R.Left, R.Top, R.Right, R.Top + 24});
}

void TOvcTCCustomComboBox::StartEditing(int32_t, int, const TRect& R, const TOvcCellAttributes& A,
                                        TOvcTblEditorStyle CellStyle, void* Data) {
  if (editor_ || !Table()) return;
  editor_ = CreateEditControl(Table());
  editor_->CellOwner = this;
  editor_->SetColor(A.Color);
  editor_->SetCtl3D(CellStyle == TOvcTblEditorStyle::tes3D);
  editor_->SetBounds(R.Left, R.Top, R.Width(), editor_->Height());
  if (A.Font) editor_->Font()->Assign(A.Font);
  editor_->Font()->SetColor(A.FontColor);
  editor_->SetMaxLength(max_length_);
  editor_->SetVisible(true);
  editor_->SetTabStop(false);
  editor_->SetStyle(style_);
  editor_->SetDropDownCount(drop_down_count_);
  editor_->SetSorted(sorted_);
  editor_->SetParent(Table());
  TStrings* List = Data ? ListOf(Data) : items_.get();
  if (List) editor_->Items()->Assign(List);
  editor_->SetItemIndex(Data ? *IndexOf(Data) : -1);
  if (Data && editor_->ItemIndex() < 0 && HasEditField())
    editor_->SetText(ReadShortString(ValueOf(Data)));
  editor_->OnChange = OnChange;
  editor_->OnDropDown = OnDropDown;
  editor_->OnDrawItem = OnDrawItem;
  editor_->OnMeasureItem = OnMeasureItem;
  HandEventsTo(editor_);
}

void TOvcTCCustomComboBox::SaveEditedData(void* Data) {
  if (!editor_ || !Data) return;
  const int32_t I = editor_->ItemIndex();
  *IndexOf(Data) = I;
  if (!HasEditField() && !SaveStringValue) return;
  const std::string Text = I >= 0 && I < editor_->Items()->Count() ? editor_->Items()->Strings(I)
                                                                  : editor_->Text();
  StoreShortString(ValueOf(Data), Text, max_length_);
}

void TOvcTCCustomComboBox::StopEditing(bool SaveValue, void* Data) {
  if (!editor_) return;
  if (SaveValue) SaveEditedData(Data);
  std::unique_ptr<TOvcTCComboBoxEdit> Gone(editor_);
  editor_ = nullptr;
}

}  // namespace tess
