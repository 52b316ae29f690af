// See recording_services.h.
#include "shell/recording_services.h"

namespace tess {

TRecordingServices::TRecordingServices() {
  previous_ = SetShellServices(this);
}

TRecordingServices::~TRecordingServices() {
  SetShellServices(previous_);
}

void TRecordingServices::AddProcessingOutputLine(const std::string& Line) {
  output.push_back(Line);
}
void TRecordingServices::ShowDebugMsg(const std::string& Text) {
  debug.push_back(Text);
}
void TRecordingServices::ShowDiagnosticMsg(const std::string& Text) {
  diagnostics.push_back(Text);
}
void TRecordingServices::ShowErrorMsg(const std::string& Text) {
  errors.push_back(Text);
}
void TRecordingServices::ShowInfoMsg(const std::string& Text) {
  infos.push_back(Text);
}
void TRecordingServices::ShowErrorSolution(const std::string& ErrorText,
                                           const std::string& SolutionText) {
  solutions.push_back({ErrorText, SolutionText});
}

void TRecordingServices::ShowStatus(const std::string& Text) {
  status.push_back(Text);
  statusShown = true;
}
void TRecordingServices::ShowStatusNoCancel(const std::string& Text) {
  ShowStatus(Text);
}
void TRecordingServices::HideStatus() {
  ++statusHidden;
  if (statusShown && mainWindowDisabled) ++statusHiddenOverDisabledMain;
  statusShown = false;
}

void TRecordingServices::StartHourglass() {
  ++hourglassDepth;
}
void TRecordingServices::StopHourglass() {
  --hourglassDepth;
  mainWindowDisabled = false;
}
void TRecordingServices::DisableMainWindow() {
  mainWindowDisabled = true;
  ++mainWindowDisables;
}
void TRecordingServices::ProcessMessages() {
  ++pumped;
  if (onPump) onPump();
}

TStrings* TRecordingServices::cbxDBList2() {
  return &sessions;
}
TyQuery* TRecordingServices::GetMainFormQuery() {
  return mainFormQuery;
}
TyBrowserCaches* TRecordingServices::FindFrmMain(TyDatabase* Db) {
  auto it = browsers.find(Db);
  return it == browsers.end() ? nullptr : it->second;
}

}  // namespace tess
