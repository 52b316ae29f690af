// Reading the regional conventions and converting dates and times under pictures.
// Pictures are walked run by run: a run is a stretch of one picture letter, whatever
// its case; the case of its first character decides zeros against blanks.
#include "components/entry/intlsup.h"

#include <cctype>
#include <chrono>

#include "components/core/componentstrings.h"
#include "components/core/strutils.h"

namespace tess {

namespace {

const char* const kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};
const char* const kDays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                              "Thursday", "Friday", "Saturday"};

char Lower(char C) { return static_cast<char>(std::tolower(static_cast<unsigned char>(C))); }
char Upper(char C) { return static_cast<char>(std::toupper(static_cast<unsigned char>(C))); }
bool IsUpper(char C) { return std::isupper(static_cast<unsigned char>(C)) != 0; }

// Names and AM/PM texts may hold letters beyond ASCII: the system's case mapping.
std::string UpperStr(std::string S) {
  for (char& C : S) C = UpCaseChar(C);
  return S;
}

std::string NoBlanks(const std::string& S) {
  std::string R;
  for (char C : S)
    if (C != ' ') R += C;
  return R;
}

std::string TrimRight(std::string S) {
  while (!S.empty() && S.back() == ' ') S.pop_back();
  return S;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t Y, unsigned M, unsigned D) {
  Y -= M <= 2;
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const unsigned Yoe = static_cast<unsigned>(Y - Era * 400);
  const unsigned Doy = (153 * (M > 2 ? M - 3 : M + 9) + 2) / 5 + D - 1;
  const unsigned Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + static_cast<int64_t>(Doe) - 719468;
}

void CivilFromDays(int64_t Z, int& Y, int& M, int& D) {
  Z += 719468;
  const int64_t Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const unsigned Doe = static_cast<unsigned>(Z - Era * 146097);
  const unsigned Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
  const unsigned Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
  const unsigned Mp = (5 * Doy + 2) / 153;
  D = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
  M = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
  Y = static_cast<int>(Yoe + Era * 400 + (M <= 2));
}

const int64_t kDay0 = DaysFromCivil(1600, 1, 1);

// The run of Letter (either case) in Picture: the first lower-case occurrence, else
// the first upper-case one, widened over neighbours of the same letter.
bool FindRun(const std::string& Picture, char Letter, size_t& Pos, size_t& Len) {
  size_t P = Picture.find(Letter);
  if (P == std::string::npos) P = Picture.find(Upper(Letter));
  if (P == std::string::npos) return false;
  while (P > 0 && Lower(Picture[P - 1]) == Letter) --P;
  size_t E = P;
  while (E < Picture.size() && Lower(Picture[E]) == Letter) ++E;
  Pos = P;
  Len = E - P;
  return true;
}

// The run starting at I: characters whose lower case equals that of Picture[I].
size_t RunLength(const std::string& Picture, size_t I) {
  size_t E = I;
  while (E < Picture.size() && Lower(Picture[E]) == Lower(Picture[I])) ++E;
  return E - I;
}

// Value right-aligned in Width characters, keeping its rightmost digits.
std::string NumberField(int Value, size_t Width, bool Zeros) {
  std::string Digits = std::to_string(Value);
  if (Digits.size() > Width) return Digits.substr(Digits.size() - Width);
  return std::string(Width - Digits.size(), Zeros ? '0' : ' ') + Digits;
}

std::string NameField(const std::string& Name, size_t Width, bool Caps) {
  std::string R = Name.substr(0, Width);
  if (Caps) R = UpperStr(R);
  R.resize(Width, ' ');
  return R;
}

// Drops the blanks of name and number fields, and a blank "t" run with the blank
// before it.
std::string Pack(const std::string& Picture, const std::string& S) {
  static const std::string kPacked = "DHMNSWnw";
  std::string R;
  for (size_t I = 0; I < S.size();) {
    if (Picture[I] == 't') {
      const size_t Len = RunLength(Picture, I);
      if (S.substr(I, Len).find_first_not_of(' ') == std::string::npos) {
        if (!R.empty() && R.back() == ' ') R.pop_back();
      } else {
        R += S.substr(I, Len);
      }
      I += Len;
      continue;
    }
    if (!(S[I] == ' ' && kPacked.find(Picture[I]) != std::string::npos)) R += S[I];
    ++I;
  }
  return R;
}

// A run of digits only, blanks removed; false when blank or not a number.
bool RunNumber(const std::string& S, size_t Pos, size_t Len, int& Value) {
  const std::string T = NoBlanks(S.substr(Pos, Len));
  if (T.empty() || T.size() > 9) return false;
  Value = 0;
  for (char C : T) {
    if (C < '0' || C > '9') return false;
    Value = Value * 10 + (C - '0');
  }
  return true;
}

// Outcome of reading one numeric field: absent, bad, or a value.
enum class Field { Absent, Bad, Ok };
Field ReadField(const std::string& S, const std::string& Picture, char Letter, int& Value) {
  size_t Pos, Len;
  if (!FindRun(Picture, Letter, Pos, Len)) return Field::Absent;
  return RunNumber(S, Pos, Len, Value) ? Field::Ok : Field::Bad;
}

std::string Cap(std::string S, size_t Max) {
  if (S.size() > Max) S.resize(Max);
  return S;
}

}  // namespace

std::string TIntlSource::MonthName(int Month) { return kMonths[Month - 1]; }
std::string TIntlSource::DayName(int DayOfWeek) { return kDays[DayOfWeek]; }

std::string TIntlValues::GetString(const std::string& Key, const std::string& Default) {
  auto It = values_.find(Key);
  return It == values_.end() ? Default : It->second;
}

int32_t TIntlValues::GetInt(const std::string& Key, int32_t Default) {
  auto It = values_.find(Key);
  if (It == values_.end()) return Default;
  try {
    return std::stoi(It->second);
  } catch (const std::exception&) {
    return Default;
  }
}

bool IsLeapYear(int Year) { return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0; }

int DaysInMonth(int Month, int Year) {
  static const int kDaysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return Month == 2 && IsLeapYear(Year) ? 29 : kDaysIn[Month - 1];
}

int32_t DMYtoDate(int Day, int Month, int Year) {
  if (Year < 1600 || Year > 3999 || Day < 1 || Day > DaysInMonth(Month, Year)) return kBadDate;
  return static_cast<int32_t>(DaysFromCivil(Year, static_cast<unsigned>(Month),
                                            static_cast<unsigned>(Day)) -
                              kDay0);
}

bool DateToDMY(int32_t Julian, int& Day, int& Month, int& Year) {
  if (Julian < kMinDate || Julian > kMaxDate) return false;
  CivilFromDays(kDay0 + Julian, Year, Month, Day);
  return true;
}

int DayOfWeek(int32_t Julian) {
  // 1 January 1600 was a Saturday.
  return static_cast<int>((Julian % 7 + 7 + 6) % 7);
}

TOvcIntlSup::TOvcIntlSup(TIntlSource& Source) { ReadIntlSettings(Source); }

void TOvcIntlSup::ReadIntlSettings(TIntlSource& Source) {
  // A present but empty value would give a NUL character: the default stays instead.
  auto CharOf = [&](const char* Key, char Default) {
    const std::string S = Source.GetString(Key, std::string(1, Default));
    return S.empty() ? Default : S[0];
  };
  auto ByteOf = [&](const char* Key, int32_t Default) {
    return static_cast<uint8_t>(Source.GetInt(Key, Default));
  };
  decimal_ = CharOf("sDecimal", '.');
  thousands_ = CharOf("sThousand", ',');
  curr_digits_ = ByteOf("iCurrDigits", 2);
  neg_curr_format_ = ByteOf("iNegCurr", 0);
  list_ = CharOf("sList", ',');
  country_ = Cap(Source.GetString("sCountry", ""), 255);
  const std::string Currency = Cap(Source.GetString("sCurrency", "$"), 5);
  curr_format_ = ByteOf("iCurrency", 0);
  curr_left_ = Currency;
  curr_right_ = Currency;
  if (curr_format_ == 2) curr_left_ += ' ';
  if (curr_format_ == 3) curr_right_ = ' ' + curr_right_;
  tl_zero_ = Source.GetInt("iTLZero", 0) != 0;
  time_sep_ = CharOf("sTime", ':');
  date_sep_ = CharOf("sDate", '/');
  am_ = Cap(Source.GetString("s1159", "AM"), 5);
  pm_ = Cap(Source.GetString("s2359", "PM"), 5);

  short_date_ = Cap(Source.GetString("sShortDate", "MM/dd/yy"), 29);
  if (short_date_.empty()) short_date_ = "MM/dd/yy";
  for (char& C : short_date_)
    if (C == date_sep_) C = '/';

  // The long date picture: quoted literals become runs of "f", "g", "h" (an
  // unterminated quote runs to the end), "ddd..." the day name, "MMM..." the month name.
  std::string Long = Cap(Source.GetString("sLongDate", "dddd, MMMM dd, yyyy"), 39);
  std::string Out;
  int Lit = 0;
  for (size_t I = 0; I < Long.size(); ++I) {
    if (Long[I] != '\'' || Lit == 3) {
      Out += Long[I];
      continue;
    }
    size_t Close = Long.find('\'', I + 1);
    if (Close == std::string::npos) Close = Long.size();
    literals_[Lit] = Long.substr(I + 1, std::min<size_t>(Close - I - 1, 6));
    Out.append(literals_[Lit].size(), static_cast<char>('f' + Lit));
    ++Lit;
    I = Close;
  }
  auto NameRun = [&Out](const char* Three, char From, char To) {
    const size_t P = Out.find(Three);
    if (P == std::string::npos) return;
    for (size_t I = P; I < Out.size() && Out[I] == From; ++I) Out[I] = To;
  };
  NameRun("ddd", 'd', 'w');
  NameRun("MMM", 'M', 'n');
  long_date_.clear();
  for (size_t I = 0; I < Out.size(); ++I) {
    long_date_ += Out[I];
    if ((Out[I] == ',' || Out[I] == '.') && I + 1 < Out.size() && Out[I + 1] != ' ')
      long_date_ += ' ';
  }

  auto Letter = [](uint16_t Ident, char& Into) {
    const std::string& S = ComponentString(Ident);
    if (S.size() == 1) Into = S[0];
  };
  Letter(kTrueChar, true_char_);
  Letter(kFalseChar, false_char_);
  Letter(kYesChar, yes_char_);
  Letter(kNoChar, no_char_);

  for (int M = 1; M <= 12; ++M) months_[M - 1] = Source.MonthName(M);
  for (int D = 0; D < 7; ++D) days_[D] = Source.DayName(D);
}

std::string TOvcIntlSup::GetDateMask(bool FourDigitYear) const {
  std::string R;
  for (size_t I = 0; I < short_date_.size();) {
    const char C = short_date_[I];
    size_t Len = 1;
    while (I + Len < short_date_.size() && short_date_[I + Len] == C) ++Len;
    const char L = Lower(C);
    if (L == 'd' || L == 'm') {
      // One lower-case letter means no leading zero (upper case); "MM"/"DD" mean zeros.
      const char Out = Len == 1 ? Upper(C) : L;
      R.append(2, Out);
    } else if (L == 'y') {
      R.append(FourDigitYear ? 4 : 2, C);
    } else {
      R.append(Len, C);
    }
    I += Len;
  }
  return R;
}

std::string TOvcIntlSup::GetTimeMask(bool WithSeconds) const {
  std::string R = WithSeconds ? "hh:mm:ss" : "hh:mm";
  if (!tl_zero_) R[0] = 'H';
  if (!am_.empty() || !pm_.empty()) R += ' ' + std::string(std::max(am_.size(), pm_.size()), 't');
  return R;
}

std::string TOvcIntlSup::DateToDateString(int32_t Julian, const std::string& Picture,
                                          bool Pack) const {
  int D = 0, M = 0, Y = 0;
  const bool Valid = Julian != kBadDate && DateToDMY(Julian, D, M, Y);
  std::string R = Picture;
  for (size_t I = 0; I < Picture.size();) {
    const char C = Picture[I];
    const char L = Lower(C);
    const size_t Len = RunLength(Picture, I);
    const bool Caps = IsUpper(C);
    std::string Fill;
    if (L == 'm' || L == 'd' || L == 'y') {
      Fill = !Valid ? std::string(Len, ' ')
                    : NumberField(L == 'm' ? M : L == 'd' ? D : Y, Len, !Caps);
    } else if (L == 'n' || L == 'w') {
      Fill = !Valid ? std::string(Len, ' ')
                    : NameField(L == 'n' ? months_[M - 1] : days_[DayOfWeek(Julian)], Len, Caps);
    } else if (C == 'f' || C == 'g' || C == 'h') {
      Fill = literals_[C - 'f'].substr(0, Len);
      Fill.resize(Len, ' ');
    } else if (C == '/' && Valid) {
      Fill.assign(Len, date_sep_);
    } else {
      Fill = Picture.substr(I, Len);
    }
    R.replace(I, Len, Fill);
    I += Len;
  }
  return Pack ? tess::Pack(Picture, R) : R;
}

int32_t TOvcIntlSup::TodayMonth() const {
  const auto Today = std::chrono::year_month_day(
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  return static_cast<int32_t>(static_cast<unsigned>(Today.month()));
}

int32_t TOvcIntlSup::TodayYear() const {
  const auto Today = std::chrono::year_month_day(
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  return static_cast<int32_t>(Today.year());
}

int32_t TOvcIntlSup::DateStringToDate(const std::string& S, const std::string& Picture,
                                      int32_t Epoch) const {
  if (S.size() != Picture.size()) return kBadDate;
  if (Epoch <= 0) Epoch = 1900;
  int Day = 1, Month = 0, Year = 0;
  size_t Pos, Len;
  if (FindRun(Picture, 'n', Pos, Len)) {
    const std::string T = UpperStr(NoBlanks(S.substr(Pos, Len)));
    if (T.empty()) return kBadDate;
    for (int I = 0; I < 12 && Month == 0; ++I)
      if (UpperStr(NoBlanks(months_[I].substr(0, Len))) == T) Month = I + 1;
    if (Month == 0) return kBadDate;
  } else {
    switch (ReadField(S, Picture, 'm', Month)) {
      case Field::Absent: Month = TodayMonth(); break;
      case Field::Bad: return kBadDate;
      case Field::Ok: break;
    }
  }
  if (ReadField(S, Picture, 'd', Day) == Field::Bad) return kBadDate;
  switch (ReadField(S, Picture, 'y', Year)) {
    case Field::Absent: Year = TodayYear(); break;
    case Field::Bad: return kBadDate;
    case Field::Ok:
      if (Year < 100) {
        const int Two = Year;
        Year += Epoch / 100 * 100;
        if (Epoch % 100 > Two) Year += 100;
      }
      break;
  }
  return DMYtoDate(Day, Month, Year);
}

std::string TOvcIntlSup::TimeToTimeString(int32_t Seconds, const std::string& Picture,
                                          bool Pack) const {
  const bool Valid = Seconds >= 0 && Seconds <= kMaxTime;
  int H = Valid ? Seconds / 3600 : 0;
  const int M = Valid ? Seconds / 60 % 60 : 0, Sec = Valid ? Seconds % 60 : 0;
  const bool AmPm = Picture.find('t') != std::string::npos && !am_.empty() && !pm_.empty();
  const bool Pm = H >= 12;
  if (AmPm) H = H == 0 ? 12 : H > 12 ? H - 12 : H;
  std::string R = Picture;
  for (size_t I = 0; I < Picture.size();) {
    const char C = Picture[I];
    const char L = Lower(C);
    const size_t Len = RunLength(Picture, I);
    std::string Fill = Picture.substr(I, Len);
    if (L == 'h' || L == 'm' || L == 's') {
      Fill = !Valid ? std::string(Len, ' ')
                    : NumberField(L == 'h' ? H : L == 'm' ? M : Sec, Len, !IsUpper(C));
    } else if (C == 't') {
      Fill = AmPm && Valid ? (Pm ? pm_ : am_).substr(0, Len) : "";
      Fill.resize(Len, ' ');
    } else if (C == ':') {
      Fill.assign(Len, time_sep_);
    }
    R.replace(I, Len, Fill);
    I += Len;
  }
  return Pack ? tess::Pack(Picture, R) : R;
}

int32_t TOvcIntlSup::TimeStringToTime(const std::string& S, const std::string& Picture) const {
  if (S.size() != Picture.size()) return kBadTime;
  int H = 0, M = 0, Sec = 0;
  if (ReadField(S, Picture, 'h', H) == Field::Bad || ReadField(S, Picture, 'm', M) == Field::Bad ||
      ReadField(S, Picture, 's', Sec) == Field::Bad)
    return kBadTime;
  const size_t T = Picture.find('t');
  if (T != std::string::npos && !am_.empty() && !pm_.empty()) {
    const size_t Len = RunLength(Picture, T);
    // Both sides compared without case: "pm" typed under a "PM" setting is PM.
    const std::string Typed = UpperStr(TrimRight(S.substr(T, Len)));
    const bool IsPm = !Typed.empty() && Typed == UpperStr(TrimRight(pm_.substr(0, Len)));
    const bool IsAm = !Typed.empty() && Typed == UpperStr(TrimRight(am_.substr(0, Len)));
    // On a twelve-hour clock only 1..12 are hours.
    if ((!IsPm && !IsAm) || H < 1 || H > 12) return kBadTime;
    if (IsPm && H < 12) H += 12;
    if (IsAm && !IsPm && H == 12) H = 0;
  }
  if (H > 23 || M > 59 || Sec > 59) return kBadTime;
  return H * 3600 + M * 60 + Sec;
}

namespace {
std::unique_ptr<TOvcIntlSup>& GlobalIntlSup() {
  static std::unique_ptr<TOvcIntlSup> Instance;
  return Instance;
}
}  // namespace

void InitIntlSup() {
  auto Source = SystemIntlSource();
  GlobalIntlSup() = std::make_unique<TOvcIntlSup>(*Source);
}

TOvcIntlSup& IntlSup() {
  if (!GlobalIntlSup()) InitIntlSup();
  return *GlobalIntlSup();
}

}  // namespace tess
