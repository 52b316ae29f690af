// Where the program keeps its files, and the settings it reads at start-up.
#pragma once

#include <string>

namespace tess {

struct TyPrefsRec;

// The main settings file in the home directory (services/keyword_files.h: the folder of
// the executable unless the preferences name another).
std::string SettingsFileName();

// Reads the section "General" of the settings file into Prefs and the hidden debug
// preference; a missing file, key or unusable value leaves what was there.
void LoadSettings(const std::string& FileName, TyPrefsRec& Prefs, bool& DebugOn);

}  // namespace tess
