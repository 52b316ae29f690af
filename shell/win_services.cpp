// See win_services.h.
#include "shell/win_services.h"

#include "framework/win/dialogs.h"
#include "platform/win32.h"
#include "shell/main_window.h"
#include "shell/schema_browser.h"
#include "shell/shell_windows.h"

namespace tess {

TWinShellServices::TWinShellServices(TComponent* AOwner) : TComponent(AOwner) {}

TWinShellServices::~TWinShellServices() {
  if (ShellServices() == this) SetShellServices(nullptr);
  SetMainWindow(nullptr);
}

void TWinShellServices::SetMainWindow(TMainWindow* Value) {
  if (main_ == Value) return;
  if (main_ != nullptr) main_->RemoveFreeNotification(this);
  main_ = Value;
  main_disabled_ = false;
  if (main_ != nullptr) main_->FreeNotification(this);
}

void TWinShellServices::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == main_) {
    main_ = nullptr;
    main_disabled_ = false;
  }
  if (AComponent == progress_) progress_ = nullptr;
  if (AComponent == app_error_) app_error_ = nullptr;
  if (AComponent == debug_) debug_ = nullptr;
  if (AComponent == output_) output_ = nullptr;
}

TfrmProgress* TWinShellServices::ProgressWindow() {
  if (progress_ == nullptr) progress_ = new TfrmProgress(this);
  return progress_;
}

TfrmAppError* TWinShellServices::AppErrorWindow() {
  if (app_error_ == nullptr) app_error_ = new TfrmAppError(this);
  return app_error_;
}

void TWinShellServices::Box(const std::string& Text, const std::string& Caption, uint32_t Flags) {
  HWnd owner = main_ != nullptr && main_->HandleAllocated() ? main_->Handle() : nullptr;
  ShowMessageBox(owner, Text, Caption, MB_OK | Flags);
}

void TWinShellServices::ShowErrorMsg(const std::string& Text) {
  Box(Text, "Error", MB_ICONSTOP);
}

void TWinShellServices::ShowDiagnosticMsg(const std::string& Text) {
  Box("Diagnostic Message: " + Text, "Diagnostic Message", MB_ICONEXCLAMATION);
}

void TWinShellServices::ShowInfoMsg(const std::string& Text) {
  Box(Text, "Information", MB_ICONINFORMATION);
}

void TWinShellServices::ShowErrorSolution(const std::string& ErrorText,
                                          const std::string& SolutionText) {
  TfrmAppError* w = AppErrorWindow();
  w->SetTexts(ErrorText, SolutionText);
  // A box asked for while the window is up (a nested error) adds to what is shown.
  if (w->Modal()) return;
  w->ShowModal();
}

void TWinShellServices::ShowDebugMsg(const std::string& Text) {
  if (!debug_on_) return;
  if (debug_ == nullptr) {
    debug_ = new TfrmLineWindow(this, "Debug");
    debug_->PlaceOver(main_);
  }
  debug_->AddLine(Text);
  debug_->Show();
}

void TWinShellServices::AddProcessingOutputLine(const std::string& Line) {
  if (output_ == nullptr) {
    output_ = new TfrmLineWindow(this, "Processing Output");
    output_->PlaceOver(main_);
  }
  output_->AddLine(Line);
  output_->Show();
}

void TWinShellServices::Status(const std::string& Text, bool CanCancel) {
  TfrmProgress* w = ProgressWindow();
  w->lblStatus->SetCaption(Text);
  w->btnCancel->SetVisible(CanCancel);
  ClearCancelFlag();
  w->Show();
  w->Repaint();
  ProcessMessages();
}

void TWinShellServices::ShowStatus(const std::string& Text) { Status(Text, true); }

void TWinShellServices::ShowStatusNoCancel(const std::string& Text) { Status(Text, false); }

void TWinShellServices::HideStatus() {
  if (progress_ != nullptr) progress_->Hide();
  ClearCancelFlag();
}

void TWinShellServices::StartHourglass() {
  Screen->SetCursor(crHourGlass);
  ProcessMessages();
}

void TWinShellServices::StopHourglass() {
  Screen->SetCursor(crDefault);
  if (main_disabled_) {
    main_disabled_ = false;
    if (main_ != nullptr && main_->HandleAllocated()) EnableWindow(main_->Handle(), TRUE);
  }
  ProcessMessages();
}

void TWinShellServices::DisableMainWindow() {
  // Only a window this call disabled is enabled again: one disabled by a modal box
  // stays as its box wants it.
  if (main_disabled_ || main_ == nullptr || !main_->HandleAllocated()) return;
  if (!IsWindowEnabled(main_->Handle())) return;
  EnableWindow(main_->Handle(), FALSE);
  main_disabled_ = true;
}

void TWinShellServices::ProcessMessages() { Application->ProcessMessages(); }

TStrings* TWinShellServices::cbxDBList2() {
  return main_ != nullptr ? main_->cbxDBList2->Items() : nullptr;
}

TyQuery* TWinShellServices::GetMainFormQuery() {
  return main_ != nullptr ? main_->MainFormQuery() : nullptr;
}

TyBrowserCaches* TWinShellServices::FindFrmMain(TyDatabase* Db) {
  return main_ != nullptr ? main_->FindFrmMain(Db) : nullptr;
}

}  // namespace tess
