// tessellar.exe: the program's entry point.  The main window is a form of the
// framework; the application shell builds its menus, tool bars and children on it.
#include "framework/win/forms.h"
#include "platform/win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  using namespace tess;
  Application->SetTitle("SQL Tessellar");
  auto* main = Application->CreateForm<TForm>();
  main->SetCaption("SQL Tessellar");
  main->SetPosition(TPosition::poDefaultPosOnly);
  main->SetBounds(0, 0, 900, 640);
  main->SetColor(clAppWorkSpace);
  if (show == SW_SHOWMAXIMIZED) main->SetWindowState(TWindowState::wsMaximized);
  Application->Run();
  // The forms go before the program ends, while everything they use still exists.
  Application->DestroyComponents();
  return 0;
}
