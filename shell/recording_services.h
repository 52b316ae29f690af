// The shell's services for tests: every message is recorded instead of shown, and the
// object installs itself for its lifetime (restoring the services it replaced).  It also
// stands in for the main window: a session list, a shared query, browser windows with
// their caches, and a disabled flag for the main window.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/strings.h"
#include "services/services.h"

namespace tess {

class TRecordingServices : public TShellServices {
 public:
  TRecordingServices();
  ~TRecordingServices() override;
  TRecordingServices(const TRecordingServices&) = delete;
  TRecordingServices& operator=(const TRecordingServices&) = delete;

  void AddProcessingOutputLine(const std::string& Line) override;
  void ShowDebugMsg(const std::string& Text) override;
  void ShowDiagnosticMsg(const std::string& Text) override;
  void ShowErrorMsg(const std::string& Text) override;
  void ShowInfoMsg(const std::string& Text) override;
  void ShowErrorSolution(const std::string& ErrorText, const std::string& SolutionText) override;
  void ShowStatus(const std::string& Text) override;
  void ShowStatusNoCancel(const std::string& Text) override;
  void HideStatus() override;
  void StartHourglass() override;
  // Also enables the main window again, as the real hourglass does.
  void StopHourglass() override;
  void DisableMainWindow() override;
  void ProcessMessages() override;
  TStrings* cbxDBList2() override;
  TyQuery* GetMainFormQuery() override;
  TyBrowserCaches* FindFrmMain(TyDatabase* Db) override;

  std::vector<std::string> output, debug, diagnostics, errors, infos, status;
  std::vector<std::pair<std::string, std::string>> solutions;
  int statusHidden = 0, hourglassDepth = 0, pumped = 0, mainWindowDisables = 0;
  // The progress window hidden while the main window was still disabled: nothing of the
  // program would be left active.
  int statusHiddenOverDisabledMain = 0;
  bool statusShown = false, mainWindowDisabled = false;
  // Called on every round of message processing (a test's Cancel button).
  std::function<void()> onPump;
  // The main window's session list: text the label, object the session.
  TStringList sessions;
  TyQuery* mainFormQuery = nullptr;
  std::map<TyDatabase*, TyBrowserCaches*> browsers;

 private:
  TShellServices* previous_ = nullptr;
};

}  // namespace tess
