// The user's locale: its number and date formats read into the framework's format
// settings, and the system's locale-aware comparison of texts ignoring case.
#pragma once

#include <string>

namespace tess {

// Reads the decimal and thousand separators, the date and time separators, the short
// date format and the AM/PM strings of the user's locale into FormatSettings().  Cheap
// after the first call; Reload reads again (after the user changed the settings).
void LoadLocaleFormatSettings(bool Reload = false);

// <0, 0, >0 by the user's locale, ignoring case.
int LocaleCompareText(const std::string& S1, const std::string& S2);
bool LocaleSameText(const std::string& S1, const std::string& S2);
// Whether S begins with Prefix, ignoring case by the user's locale.
bool LocaleStartsText(const std::string& Prefix, const std::string& S);

}  // namespace tess
