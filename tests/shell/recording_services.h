// A shell for tests: records every message instead of showing it, and installs itself
// for its lifetime.  It also stands in for the main window: a session list, a shared
// query, browser windows with their caches, and a disabled flag for the main window.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "framework/core/strings.h"
#include "shell/services.h"

namespace tess::test {

class RecordingServices : public TShellServices {
 public:
  RecordingServices() { previous_ = SetShellServices(this); }
  ~RecordingServices() override { SetShellServices(previous_); }

  void AddProcessingOutputLine(const std::string& Line) override { output.push_back(Line); }
  void ShowDebugMsg(const std::string& Text) override { debug.push_back(Text); }
  void ShowDiagnosticMsg(const std::string& Text) override { diagnostics.push_back(Text); }
  void ShowErrorMsg(const std::string& Text) override { errors.push_back(Text); }
  void ShowInfoMsg(const std::string& Text) override { infos.push_back(Text); }
  void ShowErrorSolution(const std::string& E, const std::string& S) override {
    solutions.push_back({E, S});
  }
  void ShowStatus(const std::string& Text) override {
    status.push_back(Text);
    statusShown = true;
  }
  void ShowStatusNoCancel(const std::string& Text) override { ShowStatus(Text); }
  void HideStatus() override {
    ++statusHidden;
    statusShown = false;
  }
  void StartHourglass() override { ++hourglassDepth; }
  void StopHourglass() override {
    --hourglassDepth;
    mainWindowDisabled = false;
  }
  void DisableMainWindow() override {
    mainWindowDisabled = true;
    ++mainWindowDisables;
  }
  void ProcessMessages() override {
    ++pumped;
    if (onPump) onPump();
  }
  TStrings* cbxDBList2() override { return &sessions; }
  TyQuery* GetMainFormQuery() override { return mainFormQuery; }
  TyBrowserCaches* FindFrmMain(TyDatabase* Db) override {
    auto it = browsers.find(Db);
    return it == browsers.end() ? nullptr : it->second;
  }

  std::vector<std::string> output, debug, diagnostics, errors, infos, status;
  std::vector<std::pair<std::string, std::string>> solutions;
  int statusHidden = 0, hourglassDepth = 0, pumped = 0, mainWindowDisables = 0;
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

}  // namespace tess::test
