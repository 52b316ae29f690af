// Not a test: the user's walk of the tests (user_steps.h) taken with real input up to a
// step, then left on the screen for a screenshot.
// Usage: user_walk_show.exe STEP SERVER   (STEP 1 connect, 2 server output, 3 query,
// 4 update; SERVER the database, DEFAULT when blank).
#include <cstdlib>
#include <sstream>
#include <string>

#include "framework/win/forms.h"
#include "oracle/oci_api.h"
#include "platform/win32.h"
#include "services/keyword_files.h"
#include "services/services.h"
#include "shell/main_window.h"
#include "shell/win_services.h"
#include "user_steps.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
  using namespace tess;
  using namespace usersteps;
  InitOracleSession();
  Application->SetTitle("SQL Tessellar");
  TWinShellServices services;
  SetShellServices(&services);
  auto* main = Application->CreateForm<TMainWindow>();
  CreateKeywordLists();
  LoadKeywordFiles();
  services.SetMainWindow(main);
  main->SetBounds(10, 10, 900, 640);
  main->Show();
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
  Application->Run();
  Application->DestroyComponents();
  SetShellServices(nullptr);
  FreeKeywordLists();
  return 0;
}
