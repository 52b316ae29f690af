// The application shell's services that the lower layers call: message boxes, the
// diagnostic box, the error-and-solution window, the debug window, the processing-output
// window, the progress window and its cancel flag, the hourglass, the message pump, and
// what the main window holds for them: the session list, the shared query, and the
// schema-browser windows with their per-session name caches.
//
// This is a port: the lower layers define it and call its free functions, which forward
// to the installed TShellServices; the shell implements it (shell/stderr_services.h says
// everything on standard error, shell/recording_services.h records it for tests, the
// windows come with the shell).  With nothing installed the calls do nothing and the
// lookups find nothing, so this library depends on no implementation.
//
// The classes named here by declaration only (TyDatabase, TyQuery) belong to the access
// layer above; the port only passes their addresses.  The services that read a session's
// state (CheckSessionAlive, GetSessionUser, CanUseArgumentView, StartDbHourglass) are
// therefore built beside the session object, in oracle/session_services.h.
#pragma once

#include <string>

namespace tess {

class TStrings;
class TyBrowserCaches;
class TyDatabase;
class TyQuery;

class TShellServices {
 public:
  virtual ~TShellServices() = default;

  virtual void AddProcessingOutputLine(const std::string& Line) = 0;
  virtual void ShowDebugMsg(const std::string& Text) = 0;
  virtual void ShowDiagnosticMsg(const std::string& Text) = 0;
  virtual void ShowErrorMsg(const std::string& Text) = 0;
  virtual void ShowInfoMsg(const std::string& Text) = 0;
  virtual void ShowErrorSolution(const std::string& ErrorText, const std::string& SolutionText) = 0;

  virtual void ShowStatus(const std::string& Text) = 0;
  virtual void ShowStatusNoCancel(const std::string& Text) = 0;
  virtual void HideStatus() = 0;

  virtual void StartHourglass() = 0;
  // Restores the default cursor and enables the main window again if it was disabled.
  virtual void StopHourglass() = 0;
  // Leaves only the progress window's Cancel button reacting while a statement runs
  // non-blocking; StopHourglass undoes it.
  virtual void DisableMainWindow() = 0;
  virtual void ProcessMessages() = 0;

  // The main window's session list (its combo box cbxDBList2): each item's text is a
  // session's label, its object the TyDatabase.  Null while there is no main window.
  virtual TStrings* cbxDBList2() = 0;
  // The TyQuery the main window creates at start-up for short statements; null while
  // there is none.
  virtual TyQuery* GetMainFormQuery() = 0;
  // The schema-browser window opened on Db (it holds the session's name caches); null
  // when there is none.
  virtual TyBrowserCaches* FindFrmMain(TyDatabase* Db) = 0;
};

// The services while no shell is installed: every call does nothing and every lookup
// finds nothing.  An implementation that offers only some services derives from it.
class TNoShellServices : public TShellServices {
 public:
  void AddProcessingOutputLine(const std::string&) override {}
  void ShowDebugMsg(const std::string&) override {}
  void ShowDiagnosticMsg(const std::string&) override {}
  void ShowErrorMsg(const std::string&) override {}
  void ShowInfoMsg(const std::string&) override {}
  void ShowErrorSolution(const std::string&, const std::string&) override {}
  void ShowStatus(const std::string&) override {}
  void ShowStatusNoCancel(const std::string&) override {}
  void HideStatus() override {}
  void StartHourglass() override {}
  void StopHourglass() override {}
  void DisableMainWindow() override {}
  void ProcessMessages() override {}
  TStrings* cbxDBList2() override { return nullptr; }
  TyQuery* GetMainFormQuery() override { return nullptr; }
  TyBrowserCaches* FindFrmMain(TyDatabase*) override { return nullptr; }
};

// Installs the services (nullptr: none, the calls do nothing); returns the previous ones.
TShellServices* SetShellServices(TShellServices* services);
// The installed services, or the do-nothing ones: never null.
TShellServices* ShellServices();

void AddProcessingOutputLine(const std::string& Line);
void ShowDebugMsg(const std::string& Text);
void ShowDiagnosticMsg(const std::string& Text);
void ShowErrorMsg(const std::string& Text);
void ShowInfoMsg(const std::string& Text);
void ShowErrorSolution(const std::string& ErrorText, const std::string& SolutionText);
void ShowStatus(const std::string& Text);
void ShowStatusNoCancel(const std::string& Text);
void HideStatus();
void StartHourglass();
void StopHourglass();
void ProcessMessages();
TStrings* cbxDBList2();
TyQuery* GetMainFormQuery();
TyBrowserCaches* FindFrmMain(TyDatabase* Db);

// The session of the statement the SQL editor is running, recorded by the editor for the
// time of the run (null otherwise).  Session lookups and liveness checks accept it and
// its debug session.
void SetExecutingSession(TyDatabase* Db);
TyDatabase* ExecutingSession();

// The process-wide cancel flag raised by the progress window's Cancel button.
// ShowStatus, ShowStatusNoCancel and HideStatus clear it.
void SetCancelFlag();
void ClearCancelFlag();
bool CancelFlag();

}  // namespace tess
