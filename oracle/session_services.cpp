// See session_services.h.
#include "oracle/session_services.h"

#include "framework/core/strings.h"
#include "oracle/session.h"
#include "services/exceptions.h"
#include "services/prefs.h"
#include "services/services.h"

namespace tess {

namespace {

bool IsConnectedDebugOf(TyDatabase* Parent, TyDatabase* Db) {
  TyDatabase* debug = Parent != nullptr ? Parent->DebugSession() : nullptr;
  return debug != nullptr && debug == Db && debug->Connected();
}

}  // namespace

bool CheckSessionAlive(TyDatabase* Db) {
  if (Db != nullptr) {
    if (TStrings* list = cbxDBList2()) {
      for (int i = 0; i < list->Count(); ++i) {
        auto* listed = dynamic_cast<TyDatabase*>(list->Objects(i));
        if (listed == nullptr) continue;
        if (listed == Db && Db->Connected()) return true;
        if (IsConnectedDebugOf(listed, Db)) return true;
      }
    }
    if (TyDatabase* running = ExecutingSession()) {
      if (running == Db || IsConnectedDebugOf(running, Db)) return true;
    }
  }
  throw EyDbConnectionLost(kConnectionLost);
}

void GetSessionUser(TyDatabase* Db, std::string& UserName) {
  CheckSessionAlive(Db);
  UserName = Db->UserName();
}

bool CanUseArgumentView(TyDatabase* Db) {
  CheckSessionAlive(Db);
  return Db->IsArgumentViewAccessible();
}

void StartDbHourglass(TyDatabase* Db) {
  StartHourglass();
  if (gPrefs->NonBlocking && Db != nullptr && Db->NonBlockingPossible())
    ShellServices()->DisableMainWindow();
}

TyHourglassScope::~TyHourglassScope() {
  // The main window is enabled before the progress window goes: hiding the active window
  // activates its owner only when that owner can take it, and otherwise nothing of the
  // program is active and the user's keys go nowhere.  The shell's windows do not raise;
  // a failure here must not replace the one unwinding.
  try {
    if (hourglass_) StopHourglass();
    if (status_) HideStatus();
  } catch (...) {
  }
}

void TyHourglassScope::Start() {
  StartHourglass();
  hourglass_ = true;
}

void TyHourglassScope::StartDb(TyDatabase* Db) {
  StartDbHourglass(Db);
  hourglass_ = true;
}

void TyHourglassScope::ShowStatus(const std::string& Text) {
  tess::ShowStatus(Text);
  status_ = true;
}

void TyHourglassScope::ShowStatusNoCancel(const std::string& Text) {
  tess::ShowStatusNoCancel(Text);
  status_ = true;
}

}  // namespace tess
