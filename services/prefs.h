// The program's settings record, as far as the lower layers read it.  The shell fills it
// at start-up from its settings file and from the preference dialogs; until then gPrefs
// points at a record of the defaults, so it is never null.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

struct TyPrefsRec {
  // Run statements cancellably (non-blocking, with the progress window's Cancel button).
  bool NonBlocking = true;
  // The buffer size passed to DBMS_OUTPUT.ENABLE when server output is switched on.
  int32_t Dbms_Output_buffer = 10000;
  // Team-coding check-in/check-out: 0 off, 1 or 2 on.
  uint8_t CheckMode = 0;
  // The program's home directory (its keyword files live there); empty: the directory
  // of the executable.
  std::string HomeDir;
};

extern TyPrefsRec* gPrefs;

}  // namespace tess
