// See automation_date.h.
#include "platform/automation_date.h"

#include <cmath>
#include <cstdio>

namespace tess::platform {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

constexpr bool IsLeap(int64_t AstronomicalYear) {
  return AstronomicalYear % 4 == 0 && (AstronomicalYear % 100 != 0 || AstronomicalYear % 400 == 0);
}

int DaysInMonth(int64_t AstronomicalYear, int Month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeap(AstronomicalYear) ? 29 : kDays[Month - 1];
}

// The year 1 BC is year 0 of the arithmetic, 2 BC is -1.
constexpr int64_t Astronomical(int Year) {
  return Year > 0 ? Year : Year + 1;
}

// Days from 1 January 1970 of a proleptic Gregorian date (any year, by 400-year eras).
constexpr int64_t DaysFromCivil(int64_t Y, int M, int D) {
  Y -= M <= 2;
  const int64_t era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t yoe = Y - era * 400;
  const int64_t doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t Z, int64_t& Y, int& M, int& D) {
  Z += 719468;
  const int64_t era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const int64_t doe = Z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  D = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  M = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  Y = yoe + era * 400 + (M <= 2);
}

// Day 0 of the automation dates, 30 December 1899, from 1 January 1970.
constexpr int64_t kAutomationEpoch = DaysFromCivil(1899, 12, 30);

int64_t DayOf(const CivilTime& T) {
  return DaysFromCivil(Astronomical(T.year), T.month, T.day) - kAutomationEpoch;
}

constexpr int64_t kFirstDay = DaysFromCivil(Astronomical(kFirstDateYear), 1, 1) - kAutomationEpoch;
constexpr int64_t kLastDay = DaysFromCivil(kLastDateYear, 12, 31) - kAutomationEpoch;

}  // namespace

bool IsValidCivilTime(const CivilTime& T) {
  if (T.year == 0 || T.year < kFirstDateYear || T.year > kLastDateYear) return false;
  if (T.month < 1 || T.month > 12) return false;
  if (T.day < 1 || T.day > DaysInMonth(Astronomical(T.year), T.month)) return false;
  return T.hour >= 0 && T.hour <= 23 && T.minute >= 0 && T.minute <= 59 && T.second >= 0 &&
         T.second <= 59;
}

double AutomationDateOf(const CivilTime& T) {
  const int64_t day = DayOf(T);
  const double time =
      static_cast<double>(T.hour * 3600 + T.minute * 60 + T.second) / kSecondsPerDay;
  // Before day 0 the time still counts away from zero.
  return day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
}

std::optional<CivilTime> CivilTimeOf(double Date) {
  if (!std::isfinite(Date)) return std::nullopt;
  const double whole = std::trunc(Date);
  if (whole < static_cast<double>(kFirstDay) - 1 || whole > static_cast<double>(kLastDay) + 1)
    return std::nullopt;
  int64_t day = static_cast<int64_t>(whole);
  int64_t seconds = std::llround(std::fabs(Date - whole) * kSecondsPerDay);
  if (seconds == kSecondsPerDay) {
    // Rounded up to the next midnight, which lies later in time either side of day 0.
    seconds = 0;
    ++day;
  }
  if (day < kFirstDay || day > kLastDay) return std::nullopt;
  int64_t year = 0;
  CivilTime t;
  CivilFromDays(day + kAutomationEpoch, year, t.month, t.day);
  t.year = static_cast<int>(year > 0 ? year : year - 1);
  t.hour = static_cast<int>(seconds / 3600);
  t.minute = static_cast<int>(seconds / 60 % 60);
  t.second = static_cast<int>(seconds % 60);
  return t;
}

std::optional<CivilTime> CivilTimeOfDateBytes(const uint8_t Bytes[7]) {
  CivilTime t;
  // Both bytes stand 100 above the signed century and year of the century: 4712 BC is
  // 53, 88 (-47 and -12).
  t.year = (Bytes[0] - 100) * 100 + (Bytes[1] - 100);
  t.month = Bytes[2];
  t.day = Bytes[3];
  t.hour = Bytes[4] - 1;
  t.minute = Bytes[5] - 1;
  t.second = Bytes[6] - 1;
  if (!IsValidCivilTime(t)) return std::nullopt;
  return t;
}

std::string CivilTimeText(const CivilTime& T) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d %02d:%02d:%02d", T.year < 0 ? "-" : "",
                T.year < 0 ? -T.year : T.year, T.month, T.day, T.hour, T.minute, T.second);
  return buf;
}

}  // namespace tess::platform
