// See services.h.
#include "services/services.h"

#include <atomic>

namespace tess {

namespace {

TNoShellServices g_none;
TShellServices* g_services = nullptr;
std::atomic<bool> g_cancel{false};
TyDatabase* g_executing = nullptr;

TShellServices& S() {
  return g_services ? *g_services : g_none;
}

}  // namespace

TShellServices* SetShellServices(TShellServices* services) {
  TShellServices* old = g_services;
  g_services = services;
  return old;
}
TShellServices* ShellServices() {
  return &S();
}

void AddProcessingOutputLine(const std::string& Line) {
  S().AddProcessingOutputLine(Line);
}
void ShowDebugMsg(const std::string& Text) {
  S().ShowDebugMsg(Text);
}
void ShowDiagnosticMsg(const std::string& Text) {
  S().ShowDiagnosticMsg(Text);
}
void ShowErrorMsg(const std::string& Text) {
  S().ShowErrorMsg(Text);
}
void ShowInfoMsg(const std::string& Text) {
  S().ShowInfoMsg(Text);
}
void ShowErrorSolution(const std::string& E, const std::string& Sol) {
  S().ShowErrorSolution(E, Sol);
}
void ShowStatus(const std::string& Text) {
  g_cancel = false;
  S().ShowStatus(Text);
}
void ShowStatusNoCancel(const std::string& Text) {
  g_cancel = false;
  S().ShowStatusNoCancel(Text);
}
void HideStatus() {
  S().HideStatus();
  g_cancel = false;
}
void StartHourglass() {
  S().StartHourglass();
}
void StopHourglass() {
  S().StopHourglass();
}
void ProcessMessages() {
  S().ProcessMessages();
}
TStrings* cbxDBList2() {
  return S().cbxDBList2();
}
TyQuery* GetMainFormQuery() {
  return S().GetMainFormQuery();
}
TyBrowserCaches* FindFrmMain(TyDatabase* Db) {
  return S().FindFrmMain(Db);
}

void SetExecutingSession(TyDatabase* Db) {
  g_executing = Db;
}
TyDatabase* ExecutingSession() {
  return g_executing;
}

void SetCancelFlag() {
  g_cancel = true;
}
void ClearCancelFlag() {
  g_cancel = false;
}
bool CancelFlag() {
  return g_cancel;
}

}  // namespace tess
