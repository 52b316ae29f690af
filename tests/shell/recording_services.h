// A shell for tests: records every message instead of showing it, and installs itself
// for its lifetime.
#pragma once

#include <string>
#include <vector>

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
  void ShowStatus(const std::string& Text) override { status.push_back(Text); }
  void ShowStatusNoCancel(const std::string& Text) override { status.push_back(Text); }
  void HideStatus() override { ++statusHidden; }
  void StartHourglass() override { ++hourglassDepth; }
  void StopHourglass() override { --hourglassDepth; }
  void ProcessMessages() override { ++pumped; }

  std::vector<std::string> output, debug, diagnostics, errors, infos, status;
  std::vector<std::pair<std::string, std::string>> solutions;
  int statusHidden = 0, hourglassDepth = 0, pumped = 0;

 private:
  TShellServices* previous_ = nullptr;
};

}  // namespace tess::test
