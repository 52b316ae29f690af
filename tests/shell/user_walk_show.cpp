// Not a test: the user's walk of the tests (user_steps.h) taken with real input up to a
// step, then left on the screen for a screenshot.
// Usage: user_walk_show.exe STEP SERVER   (STEP 1 connect, 2 server output, 3 query,
// 4 update; SERVER the database, DEFAULT when blank).
#include <cstdlib>
#include <sstream>
#include <string>

#include "framework/win/forms.h"
#include "platform/win32.h"
#include "shell/win_services.h"
#include "show_program.h"
#include "user_steps.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
  using namespace tess;
  using namespace usersteps;
  TWinShellServices services;
  TMainWindow* main = showprogram::StartShell(services, 900, 640);
  Application->ProcessMessages();
  std::istringstream args(cmdLine != nullptr ? cmdLine : "");
  int step = 4;
  std::string server = "DEFAULT";
  args >> step >> server;
  if (TyDatabase* db = ConnectThroughTheBox(main, "demo", "demo", server)) {
    if (step >= 2) {
      PressServerOutput(main, db);
      TypeAndExecute(main, db, kOutputBlock);
    }
    if (step >= 3) TypeAndExecute(main, db, kSelectEmp);
    if (step >= 4) TypeAndExecute(main, db, kUpdateDept10);
  }
  return showprogram::RunShell();
}
