// A user at the program's windows: the steps of one statement's road taken with real
// input only (mouse clicks posted at a control's place, typed characters and keys posted
// to its window), shared by the test that checks each step and the program that shows
// them for screenshots.
#pragma once

#include <string>

namespace tess {
class TControl;
class TMainWindow;
class TWinControl;
class TyDatabase;
}  // namespace tess

namespace usersteps {

// Clicks the middle of Control: a windowless control is clicked through its parent's
// window, where the mouse meets it.
void Click(tess::TControl* Control);
// Posts each character of Text to Window as the keyboard's WM_CHAR.
void Type(tess::TWinControl* Window, const std::string& Text);
// A key press (down and up) on Window.
void Key(tess::TWinControl* Window, int VirtualKey);

// The steps, in order.  Each handles the messages its input causes.
// 1. Connect... in the main window, then user, password and server typed into the
//    connect box and OK clicked.  Answers the session connected (null when none).
tess::TyDatabase* ConnectThroughTheBox(tess::TMainWindow* Main, const std::string& UserName,
                                       const std::string& Password, const std::string& Server);
// The editor emptied with End and Backspace, Text typed in it and Execute clicked.
void TypeAndExecute(tess::TMainWindow* Main, tess::TyDatabase* Db, const std::string& Text);
// The Server Output button pressed.
void PressServerOutput(tess::TMainWindow* Main, tess::TyDatabase* Db);

// The statements of the walk.
extern const char* const kOutputBlock;   // writes "first line" and "second line"
extern const char* const kSelectEmp;     // 14 rows
extern const char* const kUpdateDept10;  // 3 rows

}  // namespace usersteps
