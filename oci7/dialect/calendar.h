// Calendar arithmetic on the stored DATE form 'YYYY-MM-DD HH24:MI:SS', shared by the date
// format models and the date functions.  Proleptic Gregorian calendar, years 1..9999,
// the same calendar SQLite's own date functions use.  Internal to the dialect.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tess::oci7::cal {

struct DateTime {
  int year = 1, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
};

bool IsLeap(int year);
int DaysInMonth(int year, int month);
// Days since 1970-01-01 (negative before).
int64_t DaysFromCivil(int year, int month, int day);
DateTime CivilFromDays(int64_t days);
// Julian day number (Oracle's J: 1 January 4712 BC is day 1).
inline int64_t JulianDay(const DateTime& d) {
  return DaysFromCivil(d.year, d.month, d.day) + 2440588;
}
// 0 = Sunday .. 6 = Saturday.
int DayOfWeek(const DateTime& d);
int DayOfYear(const DateTime& d);

// 'YYYY-MM-DD HH24:MI:SS' (a bare 'YYYY-MM-DD' is midnight); nullopt for anything else.
std::optional<DateTime> ParseStored(std::string_view text);
std::string FormatStored(const DateTime& d);

// Days (with the fraction of the time of day) since 1970-01-01, and back; rounded to the
// second as Oracle's DATE keeps no fraction.  nullopt when outside years 1..9999.
double ToDayNumber(const DateTime& d);
std::optional<DateTime> FromDayNumber(double days);

// The local clock.
DateTime Now();

}  // namespace tess::oci7::cal
