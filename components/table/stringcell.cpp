// The string cell and its in-place editor.
#include "components/table/stringcell.h"

#include <algorithm>
#include <cstring>

#include "components/table/celltext.h"
#include "components/table/tableoptions.h"
#include "platform/win32.h"

namespace tess {

// What the table's options ask of an editor's dialog code: Tab and Enter when they move
// the active cell.
uint32_t TableWantsKeys(const TOvcBaseTableCell* Cell, bool WithEnter) {
  const auto Options = static_cast<uint32_t>(Cell->AskTable(ctim_QueryOptions));
  uint32_t Code = 0;
  if (Options & TableOptionBit(TOvcTblOption::otoTabToArrow)) Code |= DLGC_WANTTAB;
  if (WithEnter && (Options & TableOptionBit(TOvcTblOption::otoEnterToArrow)))
    Code |= DLGC_WANTALLKEYS;
  return Code;
}

TOvcTCStringEdit::~TOvcTCStringEdit() {
  if (CellOwner) CellOwner->EditorFreed(this);
}

void TOvcTCStringEdit::Dispatch(TMessage& M) {
  if (!CellOwner) return TEdit::Dispatch(M);
  // The cell's events run in the editor (handed to it): a handler may free the editor.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_KEYDOWN: {
      const uint8_t Verdict = CellOwner->FilterTableKey(M);
      const TEditCaret Caret{SelStart(), SelLength(), static_cast<int32_t>(Text().size())};
      if (EditorPassesKey(TCellEditorKind::String, Verdict, static_cast<uint16_t>(M.WParam),
                          CellOwner->AutoAdvanceLeftRight, Caret)) {
        CellOwner->PostKeyToTable(M.WParam, M.LParam);
        return;
      }
      break;
    }
    case WM_GETDLGCODE:
      TEdit::Dispatch(M);
      if (watch.Alive()) M.Result |= TableWantsKeys(CellOwner, true);
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TEdit::Dispatch(M);
      if (watch.Alive())
        CellOwner->PostFocusToTable(M.Msg == WM_SETFOCUS ? ctim_SetFocus : ctim_KillFocus,
                                    reinterpret_cast<HWnd>(M.WParam));
      return;
    default:
      break;
  }
  if (M.Msg == WM_CHAR) {
    // Enter, Tab and Escape belong to the table; typed into the box they would beep.
    if (M.WParam == VK_RETURN || M.WParam == VK_TAB || M.WParam == VK_ESCAPE) return;
    TEdit::Dispatch(M);
    if (watch.Alive() && CellOwner->AutoAdvanceChar && MaxLength() > 0 &&
        static_cast<int32_t>(Text().size()) >= MaxLength())
      CellOwner->PostKeyToTable(VK_RIGHT, 0);
    return;
  }
  TEdit::Dispatch(M);
}

TOvcTCCustomString::~TOvcTCCustomString() {
  if (editor_) StopEditing(false, nullptr);
}

void PublishAutoAdvance(TPropertyList& P, bool& Char, bool& LeftRight) {
  P.Boolean(
       "AutoAdvanceChar", [&Char] { return Char; }, [&Char](bool v) { Char = v; })
      .Default(false);
  P.Boolean(
       "AutoAdvanceLeftRight", [&LeftRight] { return LeftRight; },
       [&LeftRight](bool v) { LeftRight = v; })
      .Default(false);
}

void TOvcTCCustomString::PublishProperties(TPropertyList& P) {
  TOvcTCBaseString::PublishProperties(P);
  PublishAutoAdvance(P, AutoAdvanceChar, AutoAdvanceLeftRight);
  P.Integer(
       "MaxLength", [this] { return max_length_; },
       [this](int32_t v) { SetMaxLength(static_cast<uint16_t>(std::clamp(v, 0, 65535))); })
      .Default(0);
}

TOvcTCStringEdit* TOvcTCCustomString::CreateEditControl(TComponent* AOwner) {
  return new TOvcTCStringEdit(AOwner);
}

void TOvcTCCustomString::StartEditing(int32_t, int, const TRect& R, const TOvcCellAttributes& A,
                                      TOvcTblEditorStyle Style, void* Data) {
  if (editor_ || !Table()) return;
  editor_ = CreateEditControl(Table());
  editor_->CellOwner = this;
  std::string Text;
  if (Data)
    Text = UseASCIIZStrings ? std::string(static_cast<const char*>(Data))
                            : ReadShortString(static_cast<const uint8_t*>(Data));
  editor_->SetText(Text);
  editor_->SetColor(A.Color);
  if (A.Font) editor_->Font()->Assign(A.Font);
  editor_->Font()->SetColor(A.FontColor);
  editor_->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  editor_->SetTabStop(false);
  // The box never takes more than a cell can store.
  editor_->SetMaxLength(CellEditLimit(max_length_, UseASCIIZStrings));
  editor_->SetBorderStyle(Style == TOvcTblEditorStyle::tesNormal ? TBorderStyle::bsNone
                                                                 : TBorderStyle::bsSingle);
  editor_->SetCtl3D(Style == TOvcTblEditorStyle::tes3D);
  editor_->OnChange = OnChange;
  HandEventsTo(editor_);
  editor_->SetParent(Table());
}

void TOvcTCCustomString::SaveEditedData(void* Data) {
  if (!editor_ || !Data) return;
  const std::string Text = editor_->Text();
  if (UseASCIIZStrings) {
    // The owner sized the buffer by MaxLength: with 0 there is room for the end alone.
    const std::string S = StoredZeroText(Text, max_length_);
    std::memcpy(Data, S.c_str(), S.size() + 1);
  } else {
    StoreShortString(static_cast<uint8_t*>(Data), Text, max_length_);
  }
}

void TOvcTCCustomString::StopEditing(bool SaveValue, void* Data) {
  if (!editor_) return;
  if (SaveValue && Data) SaveEditedData(Data);
  std::unique_ptr<TOvcTCStringEdit> Gone(editor_);  // the owner lets go as it is destroyed
  editor_ = nullptr;
}

}  // namespace tess
