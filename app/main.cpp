// tessellar.exe: the program's entry point.  It reads the settings, installs the shell's
// services with windows, creates the main window and, when the command line names a
// logon ("user/password@server"), connects it before the message loop runs.
#include <string>

#include "framework/core/sysutils.h"
#include "framework/win/forms.h"
#include "oracle/oci_api.h"
#include "platform/win32.h"
#include "services/keyword_files.h"
#include "services/prefs.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/win_services.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int show) {
  using namespace tess;
  bool debugOn = false;
  LoadSettings(SettingsFileName(), *gPrefs, debugOn);
  InitOracleSession();

  Application->SetTitle("SQL Tessellar");
  TWinShellServices services;
  services.SetDebugOn(debugOn);
  SetShellServices(&services);

  auto* main = Application->CreateForm<TMainWindow>();
  services.SetMainWindow(main);
  // The syntax editors' keyword lists, from the home directory; a missing file is
  // reported and start-up goes on.
  CreateKeywordLists();
  LoadKeywordFiles();
  if (show == SW_SHOWMAXIMIZED) main->SetWindowState(TWindowState::wsMaximized);
  main->Show();
  std::string logon = Trim(cmdLine != nullptr ? cmdLine : "");
  if (size_t blank = logon.find_first_of(" \t"); blank != std::string::npos) logon.resize(blank);
  if (!logon.empty()) main->ConnectLogon(logon);
  Application->Run();
  // The forms go before the program ends, while everything they use still exists.
  Application->DestroyComponents();
  SetShellServices(nullptr);
  FreeKeywordLists();
  return 0;
}
