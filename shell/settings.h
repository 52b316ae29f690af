// Where the program keeps its files, and the settings it reads at start-up.
#pragma once

#include <string>

namespace tess {

struct TyPrefsRec;

// The program's home directory, with a trailing separator: the folder of its executable
// (where an installation puts it, and all there is on a fresh machine).
std::string HomeDirectory();
// The main settings file in the home directory.
std::string SettingsFileName();

// Reads the section "General" of the settings file into Prefs and the hidden debug
// preference; a missing file, key or unusable value leaves what was there.
void LoadSettings(const std::string& FileName, TyPrefsRec& Prefs, bool& DebugOn);

}  // namespace tess
