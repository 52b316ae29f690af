// The shell's services that look at a session: whether a session is still alive, its
// user, whether the optional argument view may be read, and the hourglass for a
// statement on a session.  They read the session object's state, so they live beside it;
// what they need of the shell they ask through services/.
#pragma once

#include <string>

namespace tess {

class TyDatabase;

// What the user is told when a session's connection is found gone.
inline constexpr const char* kConnectionLost =
    "Database connection has been closed or lost for this session";

// True when Db is a connected session of the main window's list, or the connected debug
// session of one of them, or the SQL editor's running session (or its debug session);
// otherwise raises EyDbConnectionLost with kConnectionLost.
bool CheckSessionAlive(TyDatabase* Db);
// CheckSessionAlive, then the session's user name.
void GetSessionUser(TyDatabase* Db, std::string& UserName);
// CheckSessionAlive, then whether the optional view SYS.DUDEDOD_ARGUMENT$ may be read on
// the session (asked once per session).
bool CanUseArgumentView(TyDatabase* Db);
// StartHourglass; also disables the main window when the NonBlocking preference is on and
// the session can run non-blocking, so that only the Cancel button reacts meanwhile.
void StartDbHourglass(TyDatabase* Db);

// Restores the hourglass (and the progress window) when it leaves its scope, on every
// way out of a routine.
class TyHourglassScope {
 public:
  TyHourglassScope() = default;
  ~TyHourglassScope();
  TyHourglassScope(const TyHourglassScope&) = delete;
  TyHourglassScope& operator=(const TyHourglassScope&) = delete;

  void Start();
  void StartDb(TyDatabase* Db);
  void ShowStatus(const std::string& Text);
  void ShowStatusNoCancel(const std::string& Text);
  // Hides the status window on the way out even when this scope did not show it.
  void HideStatusOnExit() { status_ = true; }

 private:
  bool hourglass_ = false;
  bool status_ = false;
};

}  // namespace tess
