// Dates as automation carries them, and as the call interface hands them over, for the
// automation server and its clients alike.  Portable arithmetic, no system calls.
//
// An automation date counts days from 30 December 1899: the whole part is the day
// (negative before that day), the fraction the time of day, which keeps its sign away from
// zero (-1.25 is 29 December 1899, 06:00).  The system's conversions stop at the year 100;
// the same arithmetic carries every day from 1 January 4712 BC to 31 December 9999, so
// that a date the server holds goes through a VARIANT and back unchanged.
//
// Calendar: proleptic Gregorian, the server's own; years are numbered as the server
// numbers them, with no year 0 (-1 is 1 BC, -4712 is 4712 BC).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tess::platform {

struct CivilTime {
  int year = 1, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;

  bool operator==(const CivilTime&) const = default;
};

// The first and last year a date may have.
inline constexpr int kFirstDateYear = -4712;
inline constexpr int kLastDateYear = 9999;

// False for a month, day or time that does not exist, a year 0 or one outside the range.
bool IsValidCivilTime(const CivilTime& T);
// T as an automation date (T must be valid).
double AutomationDateOf(const CivilTime& T);
// An automation date as a calendar time, rounded to the second; nothing for a value that
// names no day from 4712 BC to 9999 (or is no number).
std::optional<CivilTime> CivilTimeOf(double Date);
// The call interface's 7-byte DATE (century + 100, year of the century + 100, month, day,
// hour + 1, minute + 1, second + 1; a BC year stands below 100 in both of its bytes);
// nothing when the bytes name no valid date.
std::optional<CivilTime> CivilTimeOfDateBytes(const uint8_t Bytes[7]);
// "YYYY-MM-DD HH:MM:SS", with a "-" before a BC year ("-4712-01-01 00:00:00").
std::string CivilTimeText(const CivilTime& T);

}  // namespace tess::platform
