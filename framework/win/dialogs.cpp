// Message dialogs over the system's message box.
#include "framework/win/dialogs.h"

#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

namespace {

TMessageBoxHook& Hook() {
  static TMessageBoxHook* hook = new TMessageBoxHook;
  return *hook;
}

}  // namespace

TMessageBoxHook SetMessageBoxHook(TMessageBoxHook NewHook) {
  TMessageBoxHook old = std::move(Hook());
  Hook() = std::move(NewHook);
  return old;
}

int32_t ShowMessageBox(HWnd Owner, const std::string& Text, const std::string& Caption,
                       uint32_t Flags) {
  if (Hook()) return Hook()(Text, Caption, Flags);
  return MessageBoxA(Owner, Text.c_str(), Caption.c_str(), Flags);
}

TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int32_t) {
  uint32_t flags = 0;
  std::string caption;
  switch (DlgType) {
    case TMsgDlgType::mtWarning:
      flags |= MB_ICONWARNING;
      caption = "Warning";
      break;
    case TMsgDlgType::mtError:
      flags |= MB_ICONERROR;
      caption = "Error";
      break;
    case TMsgDlgType::mtInformation:
      flags |= MB_ICONINFORMATION;
      caption = "Information";
      break;
    case TMsgDlgType::mtConfirmation:
      flags |= MB_ICONQUESTION;
      caption = "Confirm";
      break;
    case TMsgDlgType::mtCustom:
      caption = Application ? Application->Title() : "";
      break;
  }
  auto has = [&](TMsgDlgBtn B) { return Buttons.Contains(B); };
  using B = TMsgDlgBtn;
  // The system's boxes offer fixed sets of buttons: take the one that holds the most
  // of those asked for.
  if (has(B::mbYes) && has(B::mbNo) && has(B::mbCancel))
    flags |= MB_YESNOCANCEL;
  else if (has(B::mbYes) || has(B::mbNo))
    flags |= MB_YESNO;
  else if (has(B::mbAbort) || has(B::mbIgnore))
    flags |= MB_ABORTRETRYIGNORE;
  else if (has(B::mbRetry))
    flags |= MB_RETRYCANCEL;
  else if (has(B::mbOK) && has(B::mbCancel))
    flags |= MB_OKCANCEL;
  else
    flags |= MB_OK;
  if (has(B::mbHelp)) flags |= MB_HELP;
  HWND owner = GetActiveWindow();
  int32_t r = ShowMessageBox(owner, Msg, caption, flags);
  switch (r) {
    case IDOK:
      return mrOk;
    case IDCANCEL:
      return mrCancel;
    case IDABORT:
      return mrAbort;
    case IDRETRY:
      return mrRetry;
    case IDIGNORE:
      return mrIgnore;
    case IDYES:
      return mrYes;
    case IDNO:
      return mrNo;
    default:
      return mrNone;
  }
}

void ShowMessage(const std::string& Msg) {
  ShowMessageBox(GetActiveWindow(), Msg, Application ? Application->Title() : "", MB_OK);
}

}  // namespace tess
