// The string cell and its in-place editor.
#include "components/grid/stringcell.h"

#include <cstring>

#include "components/grid/celltext.h"
#include "platform/win32.h"

namespace tess {

// A key the table moves by goes to the table unless the box uses it itself.
bool TOvcTCStringEdit::PassKeyToTable(TMessage& M) {
  if (!CellOwner) return false;
  const uint8_t Verdict = CellOwner->FilterTableKey(M);
  if (Verdict == 2) return true;
  if (Verdict != 1) return false;
  switch (M.WParam) {
    case VK_PRIOR: case VK_NEXT: case VK_UP: case VK_DOWN:
      return true;
    case VK_LEFT:
      return CellOwner->AutoAdvanceLeftRight && SelStart() == 0 && SelLength() == 0;
    case VK_RIGHT: {
      const int32_t Len = static_cast<int32_t>(Text().size());
      return CellOwner->AutoAdvanceLeftRight && SelStart() + SelLength() == Len &&
             (SelLength() == 0 || SelStart() == 0);
    }
    default:
      return false;
  }
}

void TOvcTCStringEdit::Dispatch(TMessage& M) {
  auto* Table = CellOwner ? CellOwner->Table() : nullptr;
  const HWND TableWnd =
      Table && Table->HandleAllocated() ? static_cast<HWND>(Table->Handle()) : nullptr;
  switch (M.Msg) {
    case WM_KEYDOWN:
      if (TableWnd && PassKeyToTable(M)) {
        PostMessageA(TableWnd, WM_KEYDOWN, M.WParam, M.LParam);
        return;
      }
      break;
    case WM_GETDLGCODE: {
      TEdit::Dispatch(M);
      const auto Options = TOvcTblOptionSet::FromBits(
          TableWnd ? static_cast<uint64_t>(SendMessageA(TableWnd, ctim_QueryOptions, 0, 0)) : 0);
      if (Options.Contains(TOvcTblOption::otoTabToArrow)) M.Result |= DLGC_WANTTAB;
      if (Options.Contains(TOvcTblOption::otoEnterToArrow)) M.Result |= DLGC_WANTALLKEYS;
      return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TEdit::Dispatch(M);
      // The other window travels as a handle: the table checks it on receipt.
      if (TableWnd)
        PostMessageA(TableWnd, M.Msg == WM_SETFOCUS ? ctim_SetFocus : ctim_KillFocus, M.WParam,
                     0);
      return;
    default:
      break;
  }
  if (M.Msg == WM_CHAR) {
    // Enter, Tab and Escape belong to the table; typed into the box they would beep.
    if (M.WParam == VK_RETURN || M.WParam == VK_TAB || M.WParam == VK_ESCAPE) return;
    TEdit::Dispatch(M);
    if (CellOwner && CellOwner->AutoAdvanceChar && Table && Table->HandleAllocated() &&
        MaxLength() > 0 && static_cast<int32_t>(Text().size()) >= MaxLength())
      PostMessageA(Table->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    return;
  }
  TEdit::Dispatch(M);
}

TOvcTCCustomString::~TOvcTCCustomString() {
  if (editor_) StopEditing(false, nullptr);
}

TOvcTCStringEdit* TOvcTCCustomString::CreateEditControl(TComponent* AOwner) {
  return new TOvcTCStringEdit(AOwner);
}

HWnd TOvcTCCustomString::EditHandle() const {
  return editor_ && editor_->HandleAllocated() ? editor_->Handle() : nullptr;
}

void TOvcTCCustomString::EditHide() {
  if (EditHandle())
    SetWindowPos(editor_->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void TOvcTCCustomString::EditMove(const TRect& R) {
  if (!editor_) return;
  editor_->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  editor_->SetVisible(true);
  // EditHide hid the window behind the control's back: show it the same way.
  if (HWnd H = EditHandle()) {
    SetWindowPos(static_cast<HWND>(H), nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    UpdateWindow(static_cast<HWND>(H));
  }
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
  editor_->SetMaxLength(static_cast<int32_t>(StoredCellText(std::string(ShortStringMax + 1, ' '),
                                                            max_length_).size()));
  editor_->SetBorderStyle(Style == TOvcTblEditorStyle::tesNormal ? TBorderStyle::bsNone
                                                                 : TBorderStyle::bsSingle);
  editor_->OnChange = OnChange;
  editor_->SetParent(Table());
}

void TOvcTCCustomString::SaveEditedData(void* Data) {
  if (!editor_ || !Data) return;
  const std::string Text = editor_->Text();
  if (UseASCIIZStrings) {
    const std::string S = StoredCellText(Text, max_length_);
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
