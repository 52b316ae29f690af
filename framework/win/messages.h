// The framework's own message numbers.  They travel through the same WndProc/Dispatch
// path as window messages (usually by Perform, never to foreign windows), so a control
// handles a notice of the framework exactly as it handles a window message.
//
//   CM_*: notices between controls (a property changed, focus moved within a form, a key
//         is offered to the form as a dialog key).
//   CN_*: a notification the parent window received, reflected to the child that sent
//         it: CN_BASE + the original message number, with the original parameters.
#pragma once

#include <cstdint>

namespace tess {

constexpr uint32_t CM_BASE = 0xB000;

// A property of the control itself changed (no parameters).
constexpr uint32_t CM_ENABLEDCHANGED = CM_BASE + 1;
constexpr uint32_t CM_COLORCHANGED = CM_BASE + 2;
constexpr uint32_t CM_FONTCHANGED = CM_BASE + 3;
constexpr uint32_t CM_CTL3DCHANGED = CM_BASE + 4;
constexpr uint32_t CM_VISIBLECHANGED = CM_BASE + 5;
constexpr uint32_t CM_TEXTCHANGED = CM_BASE + 6;
constexpr uint32_t CM_CURSORCHANGED = CM_BASE + 7;
constexpr uint32_t CM_SHOWHINTCHANGED = CM_BASE + 8;
// The parent's property changed; a control that follows its parent takes it over.
constexpr uint32_t CM_PARENTCOLORCHANGED = CM_BASE + 10;
constexpr uint32_t CM_PARENTFONTCHANGED = CM_BASE + 11;
constexpr uint32_t CM_PARENTCTL3DCHANGED = CM_BASE + 12;
constexpr uint32_t CM_PARENTSHOWHINTCHANGED = CM_BASE + 13;
// The system colours or fonts changed (broadcast down the control tree).
constexpr uint32_t CM_SYSCOLORCHANGE = CM_BASE + 14;
// Focus moved inside the form: the control gains (CM_ENTER) or loses (CM_EXIT) it.
constexpr uint32_t CM_ENTER = CM_BASE + 20;
constexpr uint32_t CM_EXIT = CM_BASE + 21;
// Broadcast to every control of a form after its focused control changed; LParam is
// the newly focused TWinControl* (buttons redraw their default look on it).
constexpr uint32_t CM_FOCUSCHANGED = CM_BASE + 22;
// A key the focused control does not want (Tab, Enter, Escape, arrows), offered to the
// form: WParam the virtual key, LParam the key data; Result non-zero when taken.
constexpr uint32_t CM_DIALOGKEY = CM_BASE + 23;
// An Alt+letter offered for mnemonics: WParam the character; Result non-zero when taken.
constexpr uint32_t CM_DIALOGCHAR = CM_BASE + 24;
// Asked of the focused control before a key becomes a dialog key: WParam the virtual
// key, LParam the key data; a non-zero Result keeps the key for the control.
constexpr uint32_t CM_WANTSPECIALKEY = CM_BASE + 25;
// The mouse entered or left the control (from mouse moves over the parent or itself).
constexpr uint32_t CM_MOUSEENTER = CM_BASE + 26;
constexpr uint32_t CM_MOUSELEAVE = CM_BASE + 27;
// A child control was inserted (WParam 1) or removed (WParam 0); LParam the control.
constexpr uint32_t CM_CONTROLLISTCHANGE = CM_BASE + 28;
// A child's bounds, alignment or visibility changed; LParam the control.
constexpr uint32_t CM_CONTROLCHANGE = CM_BASE + 29;
// Posted by TCustomForm::Release: the form deletes itself when it arrives.
constexpr uint32_t CM_RELEASE = CM_BASE + 30;
// A speed button of a group went down: WParam the group index, LParam the button.
constexpr uint32_t CM_BUTTONPRESSED = CM_BASE + 31;
// Posted by RecreateWnd when asked to recreate later.
constexpr uint32_t CM_RECREATEWND = CM_BASE + 32;
// Activation of a form, sent by the form to itself.
constexpr uint32_t CM_ACTIVATE = CM_BASE + 33;
constexpr uint32_t CM_DEACTIVATE = CM_BASE + 34;

constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_COMMAND = CN_BASE + 0x0111;         // WM_COMMAND
constexpr uint32_t CN_NOTIFY = CN_BASE + 0x004E;          // WM_NOTIFY
constexpr uint32_t CN_DRAWITEM = CN_BASE + 0x002B;        // WM_DRAWITEM
constexpr uint32_t CN_MEASUREITEM = CN_BASE + 0x002C;     // WM_MEASUREITEM
constexpr uint32_t CN_DELETEITEM = CN_BASE + 0x002D;      // WM_DELETEITEM
constexpr uint32_t CN_COMPAREITEM = CN_BASE + 0x0039;     // WM_COMPAREITEM
constexpr uint32_t CN_HSCROLL = CN_BASE + 0x0114;         // WM_HSCROLL from a scroll bar
constexpr uint32_t CN_VSCROLL = CN_BASE + 0x0115;         // WM_VSCROLL from a scroll bar
constexpr uint32_t CN_CTLCOLORMSGBOX = CN_BASE + 0x0132;  // WM_CTLCOLORMSGBOX
constexpr uint32_t CN_CTLCOLOREDIT = CN_BASE + 0x0133;    // WM_CTLCOLOREDIT
constexpr uint32_t CN_CTLCOLORLISTBOX = CN_BASE + 0x0134;
constexpr uint32_t CN_CTLCOLORBTN = CN_BASE + 0x0135;
constexpr uint32_t CN_CTLCOLORDLG = CN_BASE + 0x0136;
constexpr uint32_t CN_CTLCOLORSCROLLBAR = CN_BASE + 0x0137;
constexpr uint32_t CN_CTLCOLORSTATIC = CN_BASE + 0x0138;

}  // namespace tess
