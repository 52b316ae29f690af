// The shell's services with windows: message boxes, the application error window, the
// debug and processing-output windows, the progress window, the hourglass and the
// disabled main window.  Installing it (SetShellServices) makes the lower layers' calls
// show these windows.  The small windows belong to this object and are made when first
// needed; the main window is the program's and is only watched.
#pragma once

#include "framework/core/component.h"
#include "services/services.h"

namespace tess {

class TCustomForm;
class TfrmAppError;
class TfrmLineWindow;
class TfrmProgress;
class TMainWindow;

class TWinShellServices final : public TComponent, public TShellServices {
 public:
  explicit TWinShellServices(TComponent* AOwner = nullptr);
  ~TWinShellServices() override;

  // The window that owns the boxes, is disabled during a cancellable statement and holds
  // the session list and the shared query.
  TMainWindow* MainWindow() const { return main_; }
  void SetMainWindow(TMainWindow* Value);
  // The hidden debug preference: without it ShowDebugMsg shows nothing.
  bool DebugOn() const { return debug_on_; }
  void SetDebugOn(bool Value) { debug_on_ = Value; }

  TfrmProgress* ProgressWindow();
  TfrmAppError* AppErrorWindow();
  // Null until the first line.
  TfrmLineWindow* DebugWindow() const { return debug_; }
  TfrmLineWindow* ProcessingOutputWindow() const { return output_; }

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
  void StopHourglass() override;
  void DisableMainWindow() override;
  void ProcessMessages() override;
  TStrings* cbxDBList2() override;
  TyQuery* GetMainFormQuery() override;
  TyBrowserCaches* FindFrmMain(TyDatabase* Db) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Box(const std::string& Text, const std::string& Caption, uint32_t Flags);
  void Status(const std::string& Text, bool CanCancel);

  TMainWindow* main_ = nullptr;
  TfrmProgress* progress_ = nullptr;
  TfrmAppError* app_error_ = nullptr;
  TfrmLineWindow* debug_ = nullptr;
  TfrmLineWindow* output_ = nullptr;
  bool debug_on_ = false;
  bool main_disabled_ = false;
};

}  // namespace tess
