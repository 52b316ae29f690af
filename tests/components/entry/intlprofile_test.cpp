// The settings read from the real profile under Wine: values written into the "intl"
// section are what a new instance reads; the old values are put back afterwards.
#include <gtest/gtest.h>

#include "components/entry/intlsup.h"
#include "platform/win32.h"

namespace tess {
namespace {

// Sets an "intl" key for the life of the guard and restores it (or its absence).
class ProfileValue {
 public:
  ProfileValue(const char* Key, const char* Value) : key_(Key) {
    char Buf[256] = {};
    GetProfileStringA("intl", Key, "\x01", Buf, sizeof Buf);
    had_ = std::string(Buf) != "\x01";
    old_ = Buf;
    WriteProfileStringA("intl", Key, Value);
  }
  ~ProfileValue() { WriteProfileStringA("intl", key_, had_ ? old_.c_str() : nullptr); }
  ProfileValue(const ProfileValue&) = delete;
  ProfileValue& operator=(const ProfileValue&) = delete;

 private:
  const char* key_;
  bool had_ = false;
  std::string old_;
};

TEST(IntlProfile, ReadsTheIntlSection) {
  {
    ProfileValue Decimal("sDecimal", ",");
    ProfileValue Date("sDate", ".");
    ProfileValue Short("sShortDate", "d.M.yyyy");
    ProfileValue Long("sLongDate", "dddd', der 'd. MMMM yyyy");
    ProfileValue Am("s1159", "vorm");
    ProfileValue Pm("s2359", "nachm");
    auto Source = SystemIntlSource();
    TOvcIntlSup I(*Source);
    EXPECT_EQ(I.DecimalChar(), ',');
    EXPECT_EQ(I.SlashChar(), '.');
    EXPECT_EQ(I.ShortDatePicture(), "d/M/yyyy");
    EXPECT_EQ(I.GetDateMask(false), "DD/MM/yy");
    EXPECT_EQ(I.DateLiteral(0), ", der ");
    EXPECT_EQ(I.LongDatePicture(), "wwwwffffffd. nnnn yyyy");
    const std::string P = I.GetTimeMask(false);
    EXPECT_EQ(P.substr(P.size() - 6), " ttttt");
    EXPECT_EQ(I.TimeStringToTime(I.TimeToTimeString(15 * 3600, P, false), P), 15 * 3600);
    EXPECT_EQ(I.DateToDateString(DMYtoDate(9, 7, 2001), I.GetDateMask(true), true), "9.7.2001");
    // Month names come from the locale.
    EXPECT_FALSE(I.MonthName(1).empty());
  }
  // Restored: the prefix's own settings are back.
  char Buf[256] = {};
  GetProfileStringA("intl", "sShortDate", "", Buf, sizeof Buf);
  EXPECT_NE(std::string(Buf), "d.M.yyyy");
}

}  // namespace
}  // namespace tess
