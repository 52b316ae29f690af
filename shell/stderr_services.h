// The shell's services for a program without windows (a tool, a test that does not
// record): every message goes to standard error as one line "[Title] text", so that what
// the lower layers report is still seen.  Nothing else happens: there is no debug window
// (it is off unless its hidden preference is on), progress window, hourglass or main
// window, and the lookups find nothing.
#pragma once

#include "services/services.h"

namespace tess {

class TStderrServices final : public TNoShellServices {
 public:
  void AddProcessingOutputLine(const std::string& Line) override;
  void ShowDiagnosticMsg(const std::string& Text) override;
  void ShowErrorMsg(const std::string& Text) override;
  void ShowInfoMsg(const std::string& Text) override;
  void ShowErrorSolution(const std::string& ErrorText, const std::string& SolutionText) override;
};

}  // namespace tess
