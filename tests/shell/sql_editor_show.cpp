// Not a test: the main window connected on the logon of the command line, with its SQL
// editor having run the rest of the command line, for screenshots of a result grid and
// of an error.  Usage: sql_editor_show.exe USER/PASSWORD@SERVER STATEMENT...
#include <string>

#include "components/editor/editor.h"
#include "framework/core/sysutils.h"
#include "framework/win/forms.h"
#include "platform/win32.h"
#include "shell/sql_editor.h"
#include "shell/win_services.h"
#include "show_program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
  using namespace tess;
  TWinShellServices services;
  TMainWindow* main = showprogram::StartShell(services, 1000, 700);
  std::string args = Trim(cmdLine != nullptr ? cmdLine : "");
  size_t blank = args.find(' ');
  std::string logon = args.substr(0, blank);
  std::string sql = blank == std::string::npos ? "" : Trim(args.substr(blank + 1));
  // The shell's quotes around the statement are not part of it.
  if (sql.size() >= 2 && sql.front() == '"' && sql.back() == '"')
    sql = sql.substr(1, sql.size() - 2);
  if (TyDatabase* db = main->ConnectLogon(logon)) {
    TfrmEdit* edit = main->FindFrmEdit(db);
    edit->edtSQL->Model().SetText(sql.c_str());
    Application->ProcessMessages();
    edit->ExecuteSQL();
  }
  return showprogram::RunShell();
}
