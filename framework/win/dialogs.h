// Message dialogs, and the one road every message box of the framework takes, so that a
// test can see what would be shown instead of a modal box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/win/wintypes.h"

namespace tess {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
using TMsgDlgButtons = TEnumSet<TMsgDlgBtn>;

// A modal message box with the icon and caption of the type ("Warning", "Error",
// "Information", "Confirm"; the application's title for mtCustom) and the buttons of the
// system's box that best hold Buttons.  Returns the modal result of the button pressed.
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                        int32_t HelpCtx);
// A box with the message and an OK button, captioned with the application's title.
void ShowMessage(const std::string& Msg);

// Replaces the system's message box for every box the framework shows: the hook gets
// the text, caption and MB_ flags and returns the button (IDOK, IDYES, ...).  An empty
// hook restores the real box.  Returns the hook that was set before.
using TMessageBoxHook =
    std::function<int32_t(const std::string& Text, const std::string& Caption, uint32_t Flags)>;
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook Hook);

// Shows a message box (or calls the hook) owned by Owner.
int32_t ShowMessageBox(HWnd Owner, const std::string& Text, const std::string& Caption,
                       uint32_t Flags);

}  // namespace tess
