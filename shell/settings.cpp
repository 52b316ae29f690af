// See settings.h.
#include "shell/settings.h"

#include "framework/win/inifiles.h"
#include "services/keyword_files.h"
#include "services/prefs.h"

namespace tess {

namespace {
constexpr const char* kGeneral = "General";
}

std::string SettingsFileName() { return HomeFilePath("DIVIVIR2.INI"); }

void LoadSettings(const std::string& FileName, TyPrefsRec& Prefs, bool& DebugOn) {
  TIniFile ini(FileName);
  Prefs.NonBlocking = ini.ReadBool(kGeneral, "NonBlocking", Prefs.NonBlocking);
  // DBMS_OUTPUT takes 2000 to 1000000 bytes; anything else would fail every ENABLE.
  const int32_t buffer = ini.ReadInteger(kGeneral, "Dbms_Output_buffer", Prefs.Dbms_Output_buffer);
  if (buffer >= 2000 && buffer <= 1000000) Prefs.Dbms_Output_buffer = buffer;
  const int32_t mode = ini.ReadInteger(kGeneral, "CheckMode", Prefs.CheckMode);
  if (mode >= 0 && mode <= 2) Prefs.CheckMode = static_cast<uint8_t>(mode);
  DebugOn = ini.ReadBool(kGeneral, "Debug", DebugOn);
}

}  // namespace tess
