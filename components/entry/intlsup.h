// The regional conventions of the entry fields (decimal and thousands characters,
// currency text, true/false and yes/no letters, date and time pictures) and the
// conversions between day numbers or times of day and text under a picture.
//
// The values come from a TIntlSource read once at construction: on Windows the "intl"
// section of the user's profile, elsewhere (and in tests) a table of keys whose empty
// form gives the US conventions.  Every text is a std::string kept within the length
// the profile reading allows, so no picture or literal can overrun anything.
//
// Day numbers count days from 1 January 1600 (0) to 31 December 3999 (876581); times
// are seconds since midnight (0..86399).  -1 is the invalid value of both.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace tess {

// Where the settings come from.  A key that is missing (or, for texts, empty) gives
// the default the caller passes.
class TIntlSource {
 public:
  virtual ~TIntlSource() = default;
  virtual std::string GetString(const std::string& Key, const std::string& Default) = 0;
  virtual int32_t GetInt(const std::string& Key, int32_t Default) = 0;
  // Month 1..12 and day of week 0..6 (Sunday first); English names by default.
  virtual std::string MonthName(int Month);
  virtual std::string DayName(int DayOfWeek);
};

// A table of profile keys ("sDecimal" -> ","); an empty table gives the US values.
class TIntlValues : public TIntlSource {
 public:
  TIntlValues() = default;
  explicit TIntlValues(std::map<std::string, std::string> Values) : values_(std::move(Values)) {}
  std::string GetString(const std::string& Key, const std::string& Default) override;
  int32_t GetInt(const std::string& Key, int32_t Default) override;
  void Set(const std::string& Key, const std::string& Value) { values_[Key] = Value; }

 private:
  std::map<std::string, std::string> values_;
};

// The system's own source: the profile on Windows, the US table elsewhere.
std::unique_ptr<TIntlSource> SystemIntlSource();

// --- day numbers ---------------------------------------------------------------------------
constexpr int32_t kMinDate = 0;        // 1 January 1600
constexpr int32_t kMaxDate = 876581;   // 31 December 3999
constexpr int32_t kMaxTime = 86399;
constexpr int32_t kBadDate = -1;
constexpr int32_t kBadTime = -1;
// -1 when the day, month and year do not form a date from 1600 to 3999.
int32_t DMYtoDate(int Day, int Month, int Year);
// False for a day number outside 0..876581.
bool DateToDMY(int32_t Julian, int& Day, int& Month, int& Year);
// 0 = Sunday.
int DayOfWeek(int32_t Julian);
bool IsLeapYear(int Year);
int DaysInMonth(int Month, int Year);

class TOvcIntlSup {
 public:
  // Reads Source once; the source is not kept.
  explicit TOvcIntlSup(TIntlSource& Source);

  char DecimalChar() const { return decimal_; }
  char CommaChar() const { return thousands_; }
  char ListChar() const { return list_; }
  char SlashChar() const { return date_sep_; }
  char ColonChar() const { return time_sep_; }
  uint8_t CurrencyDigits() const { return curr_digits_; }
  uint8_t CurrencyFormat() const { return curr_format_; }
  uint8_t NegCurrencyFormat() const { return neg_curr_format_; }
  const std::string& CurrencyLtStr() const { return curr_left_; }
  const std::string& CurrencyRtStr() const { return curr_right_; }
  char TrueChar() const { return true_char_; }
  char FalseChar() const { return false_char_; }
  char YesChar() const { return yes_char_; }
  char NoChar() const { return no_char_; }
  const std::string& AMString() const { return am_; }
  const std::string& PMString() const { return pm_; }
  const std::string& CountryName() const { return country_; }
  // The date literals taken out of the long date picture ("f", "g", "h").
  const std::string& DateLiteral(int Index) const { return literals_[Index]; }
  const std::string& LongDatePicture() const { return long_date_; }
  const std::string& ShortDatePicture() const { return short_date_; }
  bool HourLeadingZero() const { return tl_zero_; }
  std::string MonthName(int Month) const { return months_[Month - 1]; }
  std::string DayName(int Dow) const { return days_[Dow]; }

  // The short date picture with two-character day and month runs and a two- or
  // four-character year run.
  std::string GetDateMask(bool FourDigitYear) const;
  // "hh:mm[:ss]" (first "H" without the hour's leading zero) and " t..." when there are
  // AM/PM texts.
  std::string GetTimeMask(bool WithSeconds) const;

  std::string DateToDateString(int32_t Julian, const std::string& Picture, bool Pack) const;
  // Epoch: the first year of the century window for two-digit years.
  int32_t DateStringToDate(const std::string& S, const std::string& Picture,
                           int32_t Epoch) const;
  std::string TimeToTimeString(int32_t Seconds, const std::string& Picture, bool Pack) const;
  int32_t TimeStringToTime(const std::string& S, const std::string& Picture) const;

 private:
  void ReadIntlSettings(TIntlSource& Source);
  int32_t TodayMonth() const;
  int32_t TodayYear() const;

  std::string curr_left_ = "$", curr_right_;
  char decimal_ = '.', thousands_ = ',', list_ = ',', date_sep_ = '/', time_sep_ = ':';
  uint8_t curr_digits_ = 2, curr_format_ = 0, neg_curr_format_ = 0;
  char true_char_ = 'T', false_char_ = 'F', yes_char_ = 'Y', no_char_ = 'N';
  std::string am_ = "AM", pm_ = "PM", country_;
  std::string literals_[3];
  std::string long_date_ = "dddd, MMMM dd, yyyy", short_date_ = "MM/dd/yy";
  bool tl_zero_ = false;
  std::string months_[12], days_[7];
};

// The process's instance, created by InitIntlSup from the system source.
void InitIntlSup();
TOvcIntlSup& IntlSup();

}  // namespace tess
