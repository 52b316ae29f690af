// What the shell's show programs share: the program set up as at start-up with its main
// window shown, and its message loop run until it is closed, then everything freed.
#pragma once

#include "framework/win/forms.h"
#include "oracle/oci_api.h"
#include "services/keyword_files.h"
#include "services/services.h"
#include "shell/main_window.h"
#include "shell/win_services.h"

namespace showprogram {

// The main window near the top left in the given size, shown, with Services installed.
inline tess::TMainWindow* StartShell(tess::TWinShellServices& Services, int32_t Width,
                                     int32_t Height) {
  using namespace tess;
  InitOracleSession();
  Application->SetTitle("SQL Tessellar");
  SetShellServices(&Services);
  auto* main = Application->CreateForm<TMainWindow>();
  CreateKeywordLists();
  LoadKeywordFiles();
  Services.SetMainWindow(main);
  main->SetBounds(10, 10, Width, Height);
  main->Show();
  return main;
}

// Runs the message loop, then frees the forms before the services they use.
inline int RunShell() {
  using namespace tess;
  Application->Run();
  Application->DestroyComponents();
  SetShellServices(nullptr);
  FreeKeywordLists();
  return 0;
}

}  // namespace showprogram
