// Automation dates over the server's whole range: every day from 4712 BC to 9999 goes to
// a date number and back unchanged, the numbers run without gaps, the anchors agree with
// the system's own conversion (which stops at the year 100), and the call interface's
// 7-byte form is read with its BC years.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "platform/automation_date.h"

#ifdef _WIN32
#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <oleauto.h>
#endif

using namespace tess::platform;

TEST(AutomationDate, EveryDayOfTheRangeGoesThereAndBack) {
  CivilTime t{kFirstDateYear, 1, 1};
  double previousDay = 0;
  int64_t days = 0;
  for (int year = kFirstDateYear; year <= kLastDateYear; ++year) {
    if (year == 0) continue;
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= 31; ++day) {
        t = {year,
             month,
             day,
             static_cast<int>(days % 24),
             static_cast<int>(days * 7 % 60),
             static_cast<int>(days * 13 % 60)};
        if (!IsValidCivilTime(t)) {
          EXPECT_FALSE(IsValidCivilTime(CivilTime{year, month, day})) << year << "-" << month;
          break;
        }
        const double date = AutomationDateOf(t);
        const std::optional<CivilTime> back = CivilTimeOf(date);
        ASSERT_TRUE(back.has_value()) << CivilTimeText(t);
        ASSERT_EQ(*back, t) << CivilTimeText(t) << " came back as " << CivilTimeText(*back);
        // The day numbers follow each other without a gap, across 1 BC to 1 AD too.
        const double whole = std::trunc(date);
        if (days > 0) {
          ASSERT_EQ(whole, previousDay + 1) << CivilTimeText(t);
        }
        previousDay = whole;
        ++days;
      }
    }
  }
  EXPECT_EQ(days, 2958465 + 2414615 + 1);  // 1 Jan 4712 BC .. 31 Dec 9999
}

TEST(AutomationDate, AnchorsAndTheTimeBeforeDayZero) {
  EXPECT_EQ(AutomationDateOf({1899, 12, 30}), 0.0);
  EXPECT_EQ(AutomationDateOf({1900, 1, 1}), 2.0);
  EXPECT_EQ(AutomationDateOf({1899, 12, 29, 6, 0, 0}), -1.25);
  EXPECT_EQ(AutomationDateOf({1899, 12, 30, 18, 0, 0}), 0.75);
  EXPECT_EQ(AutomationDateOf({100, 1, 1}), -657434.0);
  EXPECT_EQ(AutomationDateOf({9999, 12, 31}), 2958465.0);
  EXPECT_EQ(AutomationDateOf({1, 1, 1}), -693593.0);
  EXPECT_EQ(AutomationDateOf({-1, 12, 31}), -693594.0);  // 1 BC: no year 0 between
  EXPECT_EQ(AutomationDateOf({50, 6, 15}), -675531.0);
  EXPECT_EQ(AutomationDateOf({-4712, 1, 1}), -2414615.0);

  // Rounding to the second may reach the next midnight, later in time on either side.
  EXPECT_EQ(CivilTimeOf(0.9999999999), (CivilTime{1899, 12, 31}));
  EXPECT_EQ(CivilTimeOf(-1.9999999999), (CivilTime{1899, 12, 30}));
  EXPECT_EQ(CivilTimeOf(-0.25), (CivilTime{1899, 12, 30, 6, 0, 0}));
  EXPECT_EQ(CivilTimeOf(2958465.999988), (CivilTime{9999, 12, 31, 23, 59, 59}));
  EXPECT_EQ(CivilTimeOf(-2414615.9), (CivilTime{-4712, 1, 1, 21, 36, 0}));
  for (double bad : {2958466.0, 2958465.999999, -2414616.0, -2414616.5, double(NAN),
                     double(INFINITY), -double(INFINITY), 1e300})
    EXPECT_FALSE(CivilTimeOf(bad).has_value()) << bad;

  for (CivilTime bad : {CivilTime{0, 1, 1}, CivilTime{-4713, 12, 31}, CivilTime{10000, 1, 1},
                        CivilTime{1900, 2, 29}, CivilTime{2000, 13, 1}, CivilTime{2000, 4, 31},
                        CivilTime{2000, 1, 1, 24, 0, 0}, CivilTime{2000, 1, 1, 0, 60, 0},
                        CivilTime{2000, 1, 1, 0, 0, -1}})
    EXPECT_FALSE(IsValidCivilTime(bad)) << CivilTimeText(bad);
  EXPECT_TRUE(IsValidCivilTime({2000, 2, 29}));
  EXPECT_TRUE(IsValidCivilTime({-1, 2, 29}));  // 1 BC is a leap year, as the year 0 would be
  EXPECT_FALSE(IsValidCivilTime({-2, 2, 29}));
}

TEST(AutomationDate, DateBytesAndText) {
  const uint8_t bc[7] = {53, 88, 1, 1, 1, 1, 1};
  EXPECT_EQ(CivilTimeOfDateBytes(bc), (CivilTime{-4712, 1, 1}));
  const uint8_t oneBc[7] = {100, 99, 12, 31, 24, 60, 60};
  EXPECT_EQ(CivilTimeOfDateBytes(oneBc), (CivilTime{-1, 12, 31, 23, 59, 59}));
  const uint8_t ad[7] = {120, 100, 1, 6, 14, 15, 16};
  EXPECT_EQ(CivilTimeOfDateBytes(ad), (CivilTime{2000, 1, 6, 13, 14, 15}));
  const uint8_t fifty[7] = {100, 150, 6, 15, 1, 1, 1};
  EXPECT_EQ(CivilTimeOfDateBytes(fifty), (CivilTime{50, 6, 15}));
  const uint8_t bad[][7] = {{100, 100, 1, 1, 1, 1, 1},   // year 0
                            {120, 100, 13, 1, 1, 1, 1},  // month 13
                            {120, 100, 2, 30, 1, 1, 1},  // 30 February
                            {120, 100, 1, 1, 0, 1, 1},   // hour -1
                            {52, 87, 1, 1, 1, 1, 1}};    // 4813 BC
  for (const auto& b : bad) EXPECT_FALSE(CivilTimeOfDateBytes(b).has_value());

  EXPECT_EQ(CivilTimeText({-4712, 1, 1}), "-4712-01-01 00:00:00");
  EXPECT_EQ(CivilTimeText({50, 6, 15, 12, 34, 56}), "0050-06-15 12:34:56");
  EXPECT_EQ(CivilTimeText({9999, 12, 31, 23, 59, 59}), "9999-12-31 23:59:59");
}

#ifdef _WIN32
// Where the system converts dates at all (from the year 100), it gives the same numbers.
TEST(AutomationDate, AgreesWithTheSystemFromTheYear100) {
  for (int year = 100; year <= 9999; year += 7) {
    for (int month = 1; month <= 12; month += 5) {
      const CivilTime t{year, month, 28 - month, month, 2 * month, 3 * month};
      SYSTEMTIME s{};
      s.wYear = static_cast<WORD>(t.year);
      s.wMonth = static_cast<WORD>(t.month);
      s.wDay = static_cast<WORD>(t.day);
      s.wHour = static_cast<WORD>(t.hour);
      s.wMinute = static_cast<WORD>(t.minute);
      s.wSecond = static_cast<WORD>(t.second);
      double system = 0;
      ASSERT_TRUE(SystemTimeToVariantTime(&s, &system)) << CivilTimeText(t);
      EXPECT_NEAR(AutomationDateOf(t), system, 1e-9) << CivilTimeText(t);
      SYSTEMTIME back{};
      ASSERT_TRUE(VariantTimeToSystemTime(AutomationDateOf(t), &back));
      EXPECT_EQ(back.wYear, t.year);
      EXPECT_EQ(back.wDay, t.day);
      EXPECT_EQ(back.wSecond, t.second);
    }
  }
}
#endif
