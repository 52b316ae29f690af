// The user's locale (see locale.h).
#include "framework/win/locale.h"

#include <climits>

#include "framework/core/localeconv.h"
#include "platform/win32.h"

namespace tess {

namespace {

std::string LocaleString(LCTYPE Type, const std::string& Default) {
  char buf[128] = {};
  int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, Type, buf, sizeof buf);
  return n > 1 ? std::string(buf, static_cast<size_t>(n - 1)) : Default;
}

int Compare(const std::string& S1, size_t N1, const std::string& S2, size_t N2) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, S1.data(),
                         static_cast<int>(std::min<size_t>(N1, INT_MAX)), S2.data(),
                         static_cast<int>(std::min<size_t>(N2, INT_MAX)));
  // 0 is a failure of the call: fall back on the byte order so the answer is stable.
  if (r == 0) return AnsiCompareText(S1.substr(0, N1), S2.substr(0, N2));
  return r - CSTR_EQUAL;
}

}  // namespace

void LoadLocaleFormatSettings(bool Reload) {
  static bool loaded = false;
  if (loaded && !Reload) return;
  loaded = true;
  TFormatSettings& fs = FormatSettings();
  fs.DecimalSeparator = LocaleString(LOCALE_SDECIMAL, ".")[0];
  fs.ThousandSeparator = LocaleString(LOCALE_STHOUSAND, ",")[0];
  fs.DateSeparator = LocaleString(LOCALE_SDATE, "/")[0];
  fs.TimeSeparator = LocaleString(LOCALE_STIME, ":")[0];
  fs.ShortDateFormat = LocaleString(LOCALE_SSHORTDATE, "M/d/yyyy");
  fs.TimeAMString = LocaleString(LOCALE_S1159, "AM");
  fs.TimePMString = LocaleString(LOCALE_S2359, "PM");
}

int LocaleCompareText(const std::string& S1, const std::string& S2) {
  return Compare(S1, S1.size(), S2, S2.size());
}

bool LocaleSameText(const std::string& S1, const std::string& S2) {
  return LocaleCompareText(S1, S2) == 0;
}

bool LocaleStartsText(const std::string& Prefix, const std::string& S) {
  return S.size() >= Prefix.size() && Compare(Prefix, Prefix.size(), S, Prefix.size()) == 0;
}

}  // namespace tess
