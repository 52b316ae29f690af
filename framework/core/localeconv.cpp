// Locale formats and the conversions that read them (see localeconv.h).
#include "framework/core/localeconv.h"

#include <cctype>
#include <chrono>

namespace tess {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

bool TryStrToFloat(const std::string& S, double& Value, const TFormatSettings& FS) {
  if (FS.DecimalSeparator == '.') return TryStrToFloat(S, Value);
  // A "." in the text is not this locale's decimal point.
  if (S.find('.') != std::string::npos) return false;
  if (S.find(FS.DecimalSeparator) == std::string::npos) return TryStrToFloat(S, Value);
  std::string t = S;
  for (char& c : t)
    if (c == FS.DecimalSeparator) c = '.';
  return TryStrToFloat(t, Value);
}

std::string FloatToStr(double Value, const TFormatSettings& FS) {
  std::string t = FloatToStr(Value);
  if (FS.DecimalSeparator != '.')
    for (char& c : t)
      if (c == '.') c = FS.DecimalSeparator;
  return t;
}

namespace {

bool IsLeap(int Y) {
  return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0;
}

int DaysInMonth(int Y, int M) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return M == 2 && IsLeap(Y) ? 29 : days[M - 1];
}

int CurrentYear() {
  auto now = std::chrono::system_clock::now();
  auto days = std::chrono::floor<std::chrono::days>(now);
  return static_cast<int>(std::chrono::year_month_day(days).year());
}

// Reads up to MaxDigits decimal digits at S[i]; false when there is none.
bool ReadNumber(const std::string& S, size_t& i, int& Value, int MaxDigits) {
  size_t start = i;
  Value = 0;
  while (i < S.size() && std::isdigit(static_cast<unsigned char>(S[i])) &&
         i - start < static_cast<size_t>(MaxDigits))
    Value = Value * 10 + (S[i++] - '0');
  return i > start;
}

void SkipBlanks(const std::string& S, size_t& i) {
  while (i < S.size() && S[i] == ' ') ++i;
}

// 0: month first, 1: day first, 2: year first (from the short date format).
int DateOrder(const std::string& Format) {
  for (char c : Format) {
    if (c == 'M' || c == 'm') return 0;
    if (c == 'd' || c == 'D') return 1;
    if (c == 'y' || c == 'Y') return 2;
  }
  return 0;
}

// Reads a date at S[i]; i moves past it.
bool ScanDate(const std::string& S, size_t& i, TDateTime& Value, const TFormatSettings& FS) {
  int n[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int count = 0;
  SkipBlanks(S, i);
  while (count < 3) {
    size_t start = i;
    if (!ReadNumber(S, i, n[count], 4)) return false;
    digits[count] = static_cast<int>(i - start);
    ++count;
    if (count < 3 && i < S.size() && S[i] == FS.DateSeparator) {
      ++i;
      continue;
    }
    break;
  }
  if (count < 2) return false;
  int y, m, d;
  int order = DateOrder(FS.ShortDateFormat);
  if (count == 2) {
    y = CurrentYear();
    if (order == 1) {
      d = n[0];
      m = n[1];
    } else {
      m = n[0];
      d = n[1];
    }
  } else if (order == 0) {
    m = n[0], d = n[1], y = n[2];
  } else if (order == 1) {
    d = n[0], m = n[1], y = n[2];
  } else {
    y = n[0], m = n[1], d = n[2];
  }
  int ydigits = count == 3 ? digits[order == 2 ? 0 : 2] : 4;
  if (ydigits <= 2) {
    // Two-digit years: the century that puts the year within 50 years of now.
    int now = CurrentYear();
    y += now / 100 * 100;
    if (y > now + 50) y -= 100;
    if (y <= now - 50) y += 100;
  }
  return TryEncodeDate(y, m, d, Value);
}

bool ScanTime(const std::string& S, size_t& i, TDateTime& Value, const TFormatSettings& FS) {
  int h = 0, m = 0, s = 0, ms = 0;
  SkipBlanks(S, i);
  if (!ReadNumber(S, i, h, 2)) return false;
  if (i >= S.size() || S[i] != FS.TimeSeparator) return false;
  ++i;
  if (!ReadNumber(S, i, m, 2)) return false;
  if (i < S.size() && S[i] == FS.TimeSeparator) {
    ++i;
    if (!ReadNumber(S, i, s, 2)) return false;
    if (i < S.size() && S[i] == FS.DecimalSeparator) {
      ++i;
      if (!ReadNumber(S, i, ms, 3)) return false;
    }
  }
  SkipBlanks(S, i);
  auto matches = [&](const std::string& Word) {
    return !Word.empty() && S.size() - i >= Word.size() && SameText(S.substr(i, Word.size()), Word);
  };
  if (matches(FS.TimeAMString) || matches(FS.TimePMString)) {
    bool pm = matches(FS.TimePMString);
    i += pm ? FS.TimePMString.size() : FS.TimeAMString.size();
    if (h < 1 || h > 12) return false;
    h = h % 12 + (pm ? 12 : 0);
  }
  if (h > 23 || m > 59 || s > 59) return false;
  Value = (h * 3600000.0 + m * 60000.0 + s * 1000.0 + ms) / 86400000.0;
  return true;
}

bool AtEnd(const std::string& S, size_t i) {
  SkipBlanks(S, i);
  return i == S.size();
}

}  // namespace

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
      Day > DaysInMonth(Year, Month))
    return false;
  using namespace std::chrono;
  sys_days d{year{Year} / month{static_cast<unsigned>(Month)} / day{static_cast<unsigned>(Day)}};
  sys_days epoch{year{1899} / December / day{30}};
  Value = static_cast<double>((d - epoch).count());
  return true;
}

bool TryStrToDate(const std::string& S, TDateTime& Value, const TFormatSettings& FS) {
  size_t i = 0;
  TDateTime v;
  if (!ScanDate(S, i, v, FS) || !AtEnd(S, i)) return false;
  Value = v;
  return true;
}

bool TryStrToTime(const std::string& S, TDateTime& Value, const TFormatSettings& FS) {
  size_t i = 0;
  TDateTime v;
  if (!ScanTime(S, i, v, FS) || !AtEnd(S, i)) return false;
  Value = v;
  return true;
}

bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& FS) {
  size_t i = 0;
  TDateTime d;
  if (ScanDate(S, i, d, FS)) {
    if (AtEnd(S, i)) {
      Value = d;
      return true;
    }
    TDateTime t;
    if (i < S.size() && S[i] == ' ' && ScanTime(S, i, t, FS) && AtEnd(S, i)) {
      // Before the epoch the time counts away from zero, as the fraction of a negative day.
      Value = d < 0 ? d - t : d + t;
      return true;
    }
    return false;
  }
  return TryStrToTime(S, Value, FS);
}

TDateTime StrToDate(const std::string& S) {
  TDateTime v;
  if (!TryStrToDate(S, v, FormatSettings())) throw EConvertError("'" + S + "' is not a valid date");
  return v;
}

TDateTime StrToDateTime(const std::string& S) {
  TDateTime v;
  if (!TryStrToDateTime(S, v, FormatSettings()))
    throw EConvertError("'" + S + "' is not a valid date and time");
  return v;
}

}  // namespace tess
