// See user_steps.h.
#include "user_steps.h"

#include "components/editor/editor.h"
#include "framework/core/sysutils.h"
#include "framework/win/extctrls.h"
#include "framework/win/forms.h"
#include "platform/win32.h"
#include "shell/main_window.h"
#include "oracle/session.h"
#include "shell/sql_editor.h"

namespace usersteps {

using namespace tess;

const char* const kOutputBlock =
    "BEGIN DBMS_OUTPUT.PUT_LINE('first line'); DBMS_OUTPUT.PUT_LINE('second line'); END;";
const char* const kSelectEmp = "SELECT * FROM EMP";
const char* const kUpdateDept10 = "UPDATE EMP SET SAL = SAL + 1 WHERE DEPTNO = 10";

namespace {

void Post(TWinControl* Window, UINT Msg, WPARAM W, LPARAM L) {
  PostMessageA(static_cast<HWND>(Window->Handle()), Msg, W, L);
}

}  // namespace

void Click(TControl* Control) {
  TWinControl* window = dynamic_cast<TWinControl*>(Control);
  int32_t x = Control->Width() / 2, y = Control->Height() / 2;
  if (window == nullptr) {
    window = Control->Parent();
    x += Control->Left();
    y += Control->Top();
  }
  const LPARAM at = MAKELPARAM(x, y);
  Post(window, WM_MOUSEMOVE, 0, at);
  Post(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Post(window, WM_LBUTTONUP, 0, at);
  Application->ProcessMessages();
}

void Type(TWinControl* Window, const std::string& Text) {
  for (char c : Text) Post(Window, WM_CHAR, static_cast<unsigned char>(c), 1);
  Application->ProcessMessages();
}

void Key(TWinControl* Window, int VirtualKey) {
  Post(Window, WM_KEYDOWN, static_cast<WPARAM>(VirtualKey), 1);
  Post(Window, WM_KEYUP, static_cast<WPARAM>(VirtualKey), static_cast<LPARAM>(0xC0000001));
  Application->ProcessMessages();
}

TyDatabase* ConnectThroughTheBox(TMainWindow* Main, const std::string& UserName,
                                 const std::string& Password, const std::string& Server) {
  // The box runs its own message loop: the user's typing happens inside it, once the
  // box is the active form.
  bool typed = false;
  TIdleEvent previous = Application->OnIdle;
  Application->OnIdle = [&](TObject*, bool& Done) {
    // Until the box is up, the loop goes on without waiting for a message.
    Done = typed;
    TfrmConnect* box = nullptr;
    for (int i = 0; i < Screen->FormCount() && box == nullptr; ++i)
      box = dynamic_cast<TfrmConnect*>(Screen->Forms(i));
    if (typed || box == nullptr || !IsWindowVisible(static_cast<HWND>(box->Handle()))) return;
    typed = true;
    Click(box->edtUserName);
    Type(box->edtUserName, UserName);
    Click(box->edtPassword);
    Type(box->edtPassword, Password);
    Click(box->edtServer);
    Type(box->edtServer, Server);
    Click(box->btnOK);
  };
  const int32_t before = Main->cbxDBList2->Items()->Count();
  Click(Main->btnConnect);
  Application->OnIdle = previous;
  TStrings* items = Main->cbxDBList2->Items();
  if (items->Count() == before) return nullptr;
  return static_cast<TyDatabase*>(items->Objects(items->Count() - 1));
}

void TypeAndExecute(TMainWindow* Main, TyDatabase* Db, const std::string& Text) {
  TfrmEdit* edit = Main->FindFrmEdit(Db);
  TyCustomEditor* editor = edit->edtSQL;
  Click(editor);
  // The walk's statements are one line each: End, then Backspace until the line is gone.
  Key(editor, VK_END);
  for (int i = 0; i < 400 && !Trim(editor->Model().GetTextString()).empty(); ++i)
    Key(editor, VK_BACK);
  Type(editor, Text);
  Click(edit->spdRun);
}

void PressServerOutput(TMainWindow* Main, TyDatabase* Db) {
  Click(Main->FindFrmEdit(Db)->spdServerOutput);
}

}  // namespace usersteps
