// The application shell's services that the lower layers call: message boxes, the
// diagnostic box, the processing-output window, the progress window and its cancel
// flag, the hourglass, the message pump.
//
// The lower layers never open a window themselves: they call these free functions,
// which forward to the installed TShellServices.  The program installs the Win32
// implementation at start-up; tests install a recording one.  With nothing installed
// the messages go to standard error, so a tool or a test without a shell still says
// what happened.
#pragma once

#include <string>

namespace tess {

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
  virtual void StopHourglass() = 0;
  virtual void ProcessMessages() = 0;
};

// Installs the services (nullptr restores the standard-error fallback); returns the
// previous ones.
TShellServices* SetShellServices(TShellServices* services);
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

// The process-wide cancel flag raised by the progress window's Cancel button.
// ShowStatus, ShowStatusNoCancel and HideStatus clear it.
void SetCancelFlag();
void ClearCancelFlag();
bool CancelFlag();

}  // namespace tess
