// The locale's number and date formats and the conversions that read text with them:
// numbers with the locale's decimal separator, dates in the order of its short date
// format, times with its time separator and AM/PM strings.  The settings start as the
// US defaults; the Win32 build reads the user's locale into them (framework/win/locale.h).
//
// Dates are TDateTime values: days since 30 December 1899, the time as the fraction.
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/sysutils.h"

namespace tess {

using TDateTime = double;

struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  // Only the order of d, M and y matters when reading ("M/d/yyyy": month first).
  std::string ShortDateFormat = "M/d/yyyy";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
};

// The process's settings (the GUI thread reads and writes them).
TFormatSettings& FormatSettings();

// A number written with FS.DecimalSeparator (and "." when that is the separator);
// blanks around it are allowed, thousand separators are not.
bool TryStrToFloat(const std::string& S, double& Value, const TFormatSettings& FS);
// The shortest text that reads back (with the same settings) as the same double,
// written with FS.DecimalSeparator.
std::string FloatToStr(double Value, const TFormatSettings& FS);

// Raise EConvertError "'S' is not a valid date" (or "date and time", "time").
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Value);
bool TryStrToDate(const std::string& S, TDateTime& Value, const TFormatSettings& FS);
bool TryStrToTime(const std::string& S, TDateTime& Value, const TFormatSettings& FS);
// A date, a time, or a date followed by blanks and a time.
bool TryStrToDateTime(const std::string& S, TDateTime& Value, const TFormatSettings& FS);
TDateTime StrToDate(const std::string& S);
TDateTime StrToDateTime(const std::string& S);

}  // namespace tess
