// International settings: reading a profile table (US defaults and a day-month-year
// locale with "," as decimal character), the pictures, and dates and times to and
// from text, checked by round trips over the whole range.
#include "components/entry/intlsup.h"

#include <gtest/gtest.h>

namespace tess {
namespace {

TIntlValues GermanLike() {
  return TIntlValues({{"sDecimal", ","},
                      {"sThousand", "."},
                      {"sDate", "."},
                      {"sShortDate", "dd.MM.yyyy"},
                      {"sLongDate", "dddd, d. MMMM yyyy"},
                      {"sTime", ":"},
                      {"iTLZero", "1"},
                      {"s1159", ""},
                      {"s2359", ""},
                      {"sCurrency", "EUR"},
                      {"iCurrency", "3"}});
}

TEST(IntlSup, UsDefaultsAndAnotherLocale) {
  TIntlValues Us;
  TOvcIntlSup I(Us);
  EXPECT_EQ(I.DecimalChar(), '.');
  EXPECT_EQ(I.CurrencyLtStr(), "$");
  EXPECT_EQ(I.LongDatePicture(), "wwww, nnnn dd, yyyy");
  EXPECT_EQ(I.GetDateMask(false), "mm/dd/yy");
  EXPECT_EQ(I.GetDateMask(true), "mm/dd/yyyy");
  EXPECT_EQ(I.GetTimeMask(true), "Hh:mm:ss tt");
  EXPECT_EQ(I.TrueChar(), 'T');
  EXPECT_EQ(I.NoChar(), 'N');

  TIntlValues De = GermanLike();
  TOvcIntlSup G(De);
  EXPECT_EQ(G.DecimalChar(), ',');
  EXPECT_EQ(G.CommaChar(), '.');
  EXPECT_EQ(G.SlashChar(), '.');
  EXPECT_EQ(G.ShortDatePicture(), "dd/MM/yyyy");
  EXPECT_EQ(G.GetDateMask(false), "dd/mm/yy");
  EXPECT_EQ(G.CurrencyRtStr(), " EUR");
  // No AM/PM texts: no "t" run; iTLZero 1 keeps "h".
  EXPECT_EQ(G.GetTimeMask(false), "hh:mm");
  // "d." gets a space after its point; "dddd" becomes the day name.
  EXPECT_EQ(G.LongDatePicture(), "wwww, d. nnnn yyyy");
}

TEST(IntlSup, ProfileOddities) {
  // One-letter runs, month first: upper-case letters two wide.
  TIntlValues A({{"sShortDate", "M/d/yy"}, {"sDate", "/"}});
  EXPECT_EQ(TOvcIntlSup(A).GetDateMask(false), "MM/DD/yy");
  // Empty values for characters keep the defaults instead of NUL.
  TIntlValues B({{"sDecimal", ""}, {"sDate", ""}, {"sTime", ""}, {"iTLZero", "0"}});
  TOvcIntlSup Ib(B);
  EXPECT_EQ(Ib.DecimalChar(), '.');
  EXPECT_EQ(Ib.SlashChar(), '/');
  EXPECT_EQ(Ib.ColonChar(), ':');
  EXPECT_EQ(Ib.GetTimeMask(true)[0], 'H');
  // A five-character currency with a space fits whole; longer texts are cut to five.
  TIntlValues C({{"sCurrency", "ABCDEFG"}, {"iCurrency", "2"}});
  EXPECT_EQ(TOvcIntlSup(C).CurrencyLtStr(), "ABCDE ");
  // Two quoted words become literals f and g, each at most six characters; an
  // unterminated quote runs to the end of the picture.
  TIntlValues D({{"sLongDate", "'the' dd 'ofthemonth' MMMM 'yy"}, {"sDate", "/"}});
  TOvcIntlSup Id(D);
  EXPECT_EQ(Id.DateLiteral(0), "the");
  EXPECT_EQ(Id.DateLiteral(1), "ofthem");
  EXPECT_EQ(Id.DateLiteral(2), "yy");
  EXPECT_EQ(Id.LongDatePicture(), "fff dd gggggg nnnn hh");
  // A long picture is cut at 39 characters before it is rewritten.
  TIntlValues E({{"sLongDate", std::string(60, 'y') + ",x"}, {"sDate", "/"}});
  EXPECT_EQ(TOvcIntlSup(E).LongDatePicture(), std::string(39, 'y'));
}

TEST(IntlSup, DayNumbers) {
  EXPECT_EQ(DMYtoDate(1, 1, 1600), 0);
  EXPECT_EQ(DMYtoDate(31, 12, 3999), kMaxDate);
  EXPECT_EQ(DMYtoDate(29, 2, 1900), kBadDate);
  EXPECT_NE(DMYtoDate(29, 2, 2000), kBadDate);
  EXPECT_EQ(DMYtoDate(1, 1, 1599), kBadDate);
  EXPECT_EQ(DayOfWeek(DMYtoDate(7, 12, 2026)), 1);  // a Monday
  // Every day number splits into a date that gives it back, and dates follow each other.
  int PD = 0, PM = 0, PY = 0;
  for (int32_t J = kMinDate; J <= kMaxDate; ++J) {
    int D, M, Y;
    ASSERT_TRUE(DateToDMY(J, D, M, Y));
    ASSERT_EQ(DMYtoDate(D, M, Y), J);
    if (J > 0) {
      ASSERT_TRUE(D == PD + 1 || (D == 1 && (M == PM + 1 || (M == 1 && Y == PY + 1))));
    }
    PD = D, PM = M, PY = Y;
  }
  int D, M, Y;
  EXPECT_FALSE(DateToDMY(-1, D, M, Y));
}

TEST(IntlSup, DateTextUnderPictures) {
  TIntlValues Us;
  TOvcIntlSup I(Us);
  const int32_t J = DMYtoDate(5, 3, 1999);
  EXPECT_EQ(I.DateToDateString(J, "mm/dd/yy", false), "03/05/99");
  EXPECT_EQ(I.DateToDateString(J, "MM/DD/yyyy", false), " 3/ 5/1999");
  EXPECT_EQ(I.DateToDateString(J, "MM/DD/yyyy", true), "3/5/1999");
  EXPECT_EQ(I.DateToDateString(J, "wwww nnnnnnnn dd", false), "Frid March    05");
  EXPECT_EQ(I.DateToDateString(J, "WWW NNN", false), "FRI MAR");
  EXPECT_EQ(I.DateToDateString(J, "nnnnnnnn D", true), "March 5");
  EXPECT_EQ(I.DateToDateString(-1, "mm/dd/yy", false), "  /  /  ");
  EXPECT_EQ(I.DateToDateString(J, I.LongDatePicture(), false), "Frid, Marc 05, 1999");

  TIntlValues Lit({{"sLongDate", "'le' dd MMMM"}, {"sDate", "/"}});
  TOvcIntlSup L(Lit);
  EXPECT_EQ(L.DateToDateString(-1, L.LongDatePicture(), false), "le        ");

  TIntlValues De = GermanLike();
  TOvcIntlSup G(De);
  const std::string Mask = G.GetDateMask(true);
  EXPECT_EQ(G.DateToDateString(J, Mask, false), "05.03.1999");
  EXPECT_EQ(G.DateStringToDate("05.03.1999", Mask, 1900), J);

  // Round trips over the whole range in both locales, four-digit years.
  for (TOvcIntlSup* S : {&I, &G}) {
    const std::string P = S->GetDateMask(true);
    for (int32_t K = kMinDate; K <= kMaxDate; K += 97)
      ASSERT_EQ(S->DateStringToDate(S->DateToDateString(K, P, false), P, 1900), K) << K;
  }
  // Month by name, compared without case.
  EXPECT_EQ(I.DateStringToDate("05 mar 1999", "dd nnn yyyy", 1900), J);
  EXPECT_EQ(I.DateStringToDate("05 xyz 1999", "dd nnn yyyy", 1900), kBadDate);
  // Wrong length, blank or non-numeric runs, impossible dates.
  EXPECT_EQ(I.DateStringToDate("03/05/9", "mm/dd/yy", 1900), kBadDate);
  EXPECT_EQ(I.DateStringToDate("03/  /99", "mm/dd/yy", 1900), kBadDate);
  EXPECT_EQ(I.DateStringToDate("03/x5/99", "mm/dd/yy", 1900), kBadDate);
  EXPECT_EQ(I.DateStringToDate("02/30/99", "mm/dd/yy", 1900), kBadDate);
  // A missing day is the first.
  EXPECT_EQ(I.DateStringToDate("03/1999", "mm/yyyy", 1900), DMYtoDate(1, 3, 1999));
}

TEST(IntlSup, CenturyWindow) {
  TIntlValues Us;
  TOvcIntlSup I(Us);
  auto Year = [&](const char* Text, int32_t Epoch) {
    int D, M, Y;
    return DateToDMY(I.DateStringToDate(Text, "mm/dd/yy", Epoch), D, M, Y) ? Y : -1;
  };
  EXPECT_EQ(Year("01/01/99", 1900), 1999);
  EXPECT_EQ(Year("01/01/00", 1900), 1900);
  EXPECT_EQ(Year("01/01/49", 1950), 2049);
  EXPECT_EQ(Year("01/01/50", 1950), 1950);
  EXPECT_EQ(Year("01/01/99", 1950), 1999);
  EXPECT_EQ(Year("01/01/30", 2031), 2130);
  // A four-digit year is not moved.
  EXPECT_EQ(I.DateStringToDate("01/01/1849", "mm/dd/yyyy", 1950), DMYtoDate(1, 1, 1849));
}

// Month and day names beyond ASCII compare without case by the system's mapping, and an
// upper-case run shows them in capitals by the same mapping.
TEST(IntlSup, NamesBeyondAsciiIgnoreCase) {
  struct French : TIntlValues {
    std::string MonthName(int Month) override {
      return Month == 12 ? "d\351cembre" : TIntlValues::MonthName(Month);
    }
  } Source;
  TOvcIntlSup I(Source);
  const int32_t J = DMYtoDate(5, 12, 1999);
  EXPECT_EQ(I.DateStringToDate("05 D\311C 1999", "dd nnn yyyy", 1900), J);
  EXPECT_EQ(I.DateStringToDate("05 d\351c 1999", "dd nnn yyyy", 1900), J);
  EXPECT_EQ(I.DateToDateString(J, "dd NNN yyyy", false), "05 D\311C 1999");
}

TEST(IntlSup, TimesAndAmPm) {
  TIntlValues Us;
  TOvcIntlSup I(Us);
  const std::string P = I.GetTimeMask(true);  // "Hh:mm:ss tt"
  EXPECT_EQ(I.TimeToTimeString(0, P, false), "12:00:00 AM");
  EXPECT_EQ(I.TimeToTimeString(12 * 3600, P, false), "12:00:00 PM");
  EXPECT_EQ(I.TimeToTimeString(13 * 3600 + 5, P, false), " 1:00:05 PM");
  EXPECT_EQ(I.TimeToTimeString(13 * 3600 + 5, P, true), "1:00:05 PM");
  EXPECT_EQ(I.TimeToTimeString(-1, P, false), "  :  :     ");
  EXPECT_EQ(I.TimeToTimeString(-1, P, true), " :  :  ");
  EXPECT_EQ(I.TimeStringToTime("12:00:00 AM", P), 0);
  EXPECT_EQ(I.TimeStringToTime("12:00:00 pm", P), 12 * 3600);
  EXPECT_EQ(I.TimeStringToTime(" 1:30:00 Pm", P), 13 * 3600 + 1800);
  EXPECT_EQ(I.TimeStringToTime(" 0:30:00 PM", P), kBadTime);
  EXPECT_EQ(I.TimeStringToTime("13:30:00 PM", P), kBadTime);
  EXPECT_EQ(I.TimeStringToTime(" 1:30:00   ", P), kBadTime);
  EXPECT_EQ(I.TimeStringToTime(" 1:60:00 AM", P), kBadTime);
  EXPECT_EQ(I.TimeStringToTime(" 1:30:00 AM", "Hh:mm:ss"), kBadTime);  // length
  for (int32_t S = 0; S <= kMaxTime; S += 7)
    ASSERT_EQ(I.TimeStringToTime(I.TimeToTimeString(S, P, false), P), S) << S;

  TIntlValues De = GermanLike();
  TOvcIntlSup G(De);
  const std::string Q = G.GetTimeMask(true);
  EXPECT_EQ(G.TimeToTimeString(23 * 3600 + 59 * 60, Q, false), "23:59:00");
  EXPECT_EQ(G.TimeStringToTime("00:00:01", Q), 1);
  EXPECT_EQ(G.TimeStringToTime("24:00:00", Q), kBadTime);
  // A missing seconds run is 0.
  EXPECT_EQ(G.TimeStringToTime("07:15", G.GetTimeMask(false)), 7 * 3600 + 900);
}

}  // namespace
}  // namespace tess
