// Oracle date format models: the stored DATE text <-> a date in a format such as
// 'DD-MON-YY' or 'YYYY-MM-DD HH24:MI:SS'.  Formatting follows Oracle's fill rules
// (names padded to the widest name, numbers zero-padded, FM toggling both off);
// parsing follows its lenient default mode (blanks skipped, any punctuation matching
// any punctuation, numbers shorter than their element when a separator follows).
#include <cmath>
#include <cstring>
#include <ctime>

#include "oci7/dialect/calendar.h"
#include "oci7/dialect/date_form_internal.h"
#include "oci7/dialect/dialect.h"

namespace tess::oci7 {

// ---------------------------------------------------------------------------------------
// Calendar

namespace cal {

bool IsLeap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 31;
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// The era-based conversion between civil dates and a day count.
int64_t DaysFromCivil(int y, int m, int d) {
  int64_t yy = int64_t(y) - (m <= 2 ? 1 : 0);
  const int64_t era = (yy >= 0 ? yy : yy - 399) / 400;
  const int64_t yoe = yy - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

DateTime CivilFromDays(int64_t z) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  DateTime out;
  out.year = int(y + (m <= 2 ? 1 : 0));
  out.month = int(m);
  out.day = int(d);
  return out;
}

int DayOfWeek(const DateTime& d) {
  int64_t days = DaysFromCivil(d.year, d.month, d.day);  // 1970-01-01 was a Thursday
  int64_t w = (days + 4) % 7;
  return int(w < 0 ? w + 7 : w);
}

int DayOfYear(const DateTime& d) {
  return int(DaysFromCivil(d.year, d.month, d.day) - DaysFromCivil(d.year, 1, 1)) + 1;
}

std::optional<DateTime> ParseStored(std::string_view s) {
  auto num = [&](size_t at, size_t len, int& out) {
    if (at + len > s.size()) return false;
    int v = 0;
    for (size_t i = at; i < at + len; ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      v = v * 10 + (s[i] - '0');
    }
    out = v;
    return true;
  };
  DateTime d;
  if (s.size() != 10 && s.size() != 19) return std::nullopt;
  if (!num(0, 4, d.year) || s[4] != '-' || !num(5, 2, d.month) || s[7] != '-' ||
      !num(8, 2, d.day)) {
    return std::nullopt;
  }
  if (s.size() == 19) {
    if (s[10] != ' ' || !num(11, 2, d.hour) || s[13] != ':' || !num(14, 2, d.minute) ||
        s[16] != ':' || !num(17, 2, d.second)) {
      return std::nullopt;
    }
  }
  if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 ||
      d.day > DaysInMonth(d.year, d.month) || d.hour > 23 || d.minute > 59 || d.second > 59) {
    return std::nullopt;
  }
  return d;
}

std::string FormatStored(const DateTime& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                d.minute, d.second);
  return buf;
}

double ToDayNumber(const DateTime& d) {
  return double(DaysFromCivil(d.year, d.month, d.day)) +
         (d.hour * 3600 + d.minute * 60 + d.second) / 86400.0;
}

std::optional<DateTime> FromDayNumber(double days) {
  if (!std::isfinite(days)) return std::nullopt;
  double secondsTotal = std::floor(days * 86400.0 + 0.5);
  double dayPart = std::floor(secondsTotal / 86400.0);
  if (dayPart < double(DaysFromCivil(1, 1, 1)) || dayPart > double(DaysFromCivil(9999, 12, 31))) {
    return std::nullopt;
  }
  int secs = int(secondsTotal - dayPart * 86400.0);
  DateTime d = CivilFromDays(int64_t(dayPart));
  d.hour = secs / 3600;
  d.minute = secs / 60 % 60;
  d.second = secs % 60;
  return d;
}

DateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  DateTime d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  return d;
}

}  // namespace cal

// ---------------------------------------------------------------------------------------
// Format models

namespace {

using cal::DateTime;

enum class El {
  Literal,
  SYYYY,
  YCommaYYY,
  YYYY,
  IYYY,
  RRRR,
  YYY,
  IYY,
  YY,
  IY,
  RR,
  Y,
  I,
  AMDots,
  PMDots,
  ADDots,
  BCDots,
  MONTH,
  SSSSS,
  HH24,
  HH12,
  SCC,
  DAY,
  DDD,
  MON,
  MM,
  RM,
  DD,
  DY,
  HH,
  MI,
  SS,
  AM,
  PM,
  AD,
  BC,
  CC,
  WW,
  IW,
  FM,
  FX,
  D,
  J,
  Q,
  W
};

struct ElName {
  const char* name;
  El el;
};

// Longest first, so that "DDD" wins over "DD" and "MONTH" over "MON".
constexpr ElName kElements[] = {
    {"SYYYY", El::SYYYY}, {"Y,YYY", El::YCommaYYY},
    {"YYYY", El::YYYY},   {"IYYY", El::IYYY},
    {"RRRR", El::RRRR},   {"A.M.", El::AMDots},
    {"P.M.", El::PMDots}, {"A.D.", El::ADDots},
    {"B.C.", El::BCDots}, {"MONTH", El::MONTH},
    {"SSSSS", El::SSSSS}, {"HH24", El::HH24},
    {"HH12", El::HH12},   {"YYY", El::YYY},
    {"IYY", El::IYY},     {"SCC", El::SCC},
    {"DAY", El::DAY},     {"DDD", El::DDD},
    {"MON", El::MON},     {"YY", El::YY},
    {"IY", El::IY},       {"RR", El::RR},
    {"MM", El::MM},       {"RM", El::RM},
    {"DD", El::DD},       {"DY", El::DY},
    {"HH", El::HH},       {"MI", El::MI},
    {"SS", El::SS},       {"AM", El::AM},
    {"PM", El::PM},       {"AD", El::AD},
    {"BC", El::BC},       {"CC", El::CC},
    {"WW", El::WW},       {"IW", El::IW},
    {"FM", El::FM},       {"FX", El::FX},
    {"Y", El::Y},         {"I", El::I},
    {"D", El::D},         {"J", El::J},
    {"Q", El::Q},         {"W", El::W},
};

enum class Case { Upper, Capital, Lower };

struct Item {
  El el = El::Literal;
  std::string text;  // literal text
  bool quoted = false;
  Case letterCase = Case::Upper;
  bool th = false;  // ordinal suffix
  Case thCase = Case::Upper;
};

constexpr const char* kMonths[] = {"JANUARY",   "FEBRUARY", "MARCH",    "APRIL",
                                   "MAY",       "JUNE",     "JULY",     "AUGUST",
                                   "SEPTEMBER", "OCTOBER",  "NOVEMBER", "DECEMBER"};
constexpr const char* kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                 "THURSDAY", "FRIDAY", "SATURDAY"};
constexpr const char* kRoman[] = {"I",   "II",   "III", "IV", "V",  "VI",
                                  "VII", "VIII", "IX",  "X",  "XI", "XII"};

char Up(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 32) : c;
}
bool IsAlpha(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigitC(char c) {
  return c >= '0' && c <= '9';
}

Case CaseOf(std::string_view written) {
  if (written.empty() || !IsAlpha(written[0])) return Case::Upper;
  bool firstUpper = written[0] >= 'A' && written[0] <= 'Z';
  if (!firstUpper) return Case::Lower;
  // The case of the second letter decides between "MON" and "Mon".
  for (size_t i = 1; i < written.size(); ++i) {
    if (IsAlpha(written[i]))
      return (written[i] >= 'a' && written[i] <= 'z') ? Case::Capital : Case::Upper;
  }
  return Case::Upper;
}

std::string ApplyCase(std::string_view upper, Case c) {
  std::string s(upper);
  for (size_t i = 0; i < s.size(); ++i) {
    if (c == Case::Lower || (c == Case::Capital && i > 0)) {
      if (s[i] >= 'A' && s[i] <= 'Z') s[i] = char(s[i] + 32);
    }
  }
  return s;
}

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word) {
  if (at + word.size() > s.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (Up(s[at + i]) != word[i]) return false;
  }
  return true;
}

bool IsNumericElement(El e) {
  switch (e) {
    case El::SYYYY:
    case El::YCommaYYY:
    case El::YYYY:
    case El::IYYY:
    case El::RRRR:
    case El::YYY:
    case El::IYY:
    case El::YY:
    case El::IY:
    case El::RR:
    case El::Y:
    case El::I:
    case El::SSSSS:
    case El::HH24:
    case El::HH12:
    case El::SCC:
    case El::DDD:
    case El::MM:
    case El::DD:
    case El::HH:
    case El::MI:
    case El::SS:
    case El::CC:
    case El::WW:
    case El::IW:
    case El::D:
    case El::J:
    case El::Q:
    case El::W:
      return true;
    default:
      return false;
  }
}

std::vector<Item> ParseFormat(std::string_view f) {
  std::vector<Item> items;
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c == '"') {
      size_t end = f.find('"', i + 1);
      if (end == std::string_view::npos) throw EngineError(1821);
      Item it;
      it.text.assign(f.substr(i + 1, end - i - 1));
      it.quoted = true;
      items.push_back(std::move(it));
      i = end + 1;
      continue;
    }
    if (!IsAlpha(c) && !IsDigitC(c)) {
      Item it;
      it.text.assign(1, c);
      items.push_back(std::move(it));
      ++i;
      continue;
    }
    bool found = false;
    for (const ElName& e : kElements) {
      if (StartsWithNoCase(f, i, e.name)) {
        Item it;
        it.el = e.el;
        it.letterCase = CaseOf(f.substr(i, std::strlen(e.name)));
        i += std::strlen(e.name);
        if (IsNumericElement(e.el) && StartsWithNoCase(f, i, "TH")) {
          it.th = true;
          it.thCase = CaseOf(f.substr(i, 2));
          i += 2;
        }
        items.push_back(std::move(it));
        found = true;
        break;
      }
    }
    if (!found) throw EngineError(1821);
  }
  // Conflicts Oracle rejects in any model.
  bool h24 = false, meridian = false;
  for (const Item& it : items) {
    if (it.el == El::HH24) h24 = true;
    if (it.el == El::AM || it.el == El::PM || it.el == El::AMDots || it.el == El::PMDots)
      meridian = true;
  }
  if (h24 && meridian) throw EngineError(1818);
  return items;
}

std::string Ordinal(int v) {
  int t = v % 100;
  if (t >= 11 && t <= 13) return "TH";
  switch (v % 10) {
    case 1:
      return "ST";
    case 2:
      return "ND";
    case 3:
      return "RD";
    default:
      return "TH";
  }
}

// ISO 8601 week number and its year.
void IsoWeek(const DateTime& d, int& week, int& isoYear) {
  int wd = (cal::DayOfWeek(d) + 6) % 7;  // Monday = 0
  int64_t days = cal::DaysFromCivil(d.year, d.month, d.day);
  int64_t thursday = days - wd + 3;
  DateTime th = cal::CivilFromDays(thursday);
  isoYear = th.year;
  week = int((thursday - cal::DaysFromCivil(th.year, 1, 1)) / 7) + 1;
}

std::string Num(int64_t v, int width, bool fill) {
  std::string s = std::to_string(v < 0 ? -v : v);
  if (fill && int(s.size()) < width) s.insert(0, size_t(width - int(s.size())), '0');
  return s;
}

}  // namespace

std::string FormatDate(const DateTime& d, std::string_view format) {
  std::vector<Item> items = ParseFormat(format);
  std::string out;
  bool fill = true;  // FM switches padding off (and back on)
  for (const Item& it : items) {
    std::string chunk;
    int value = 0;
    bool numeric = IsNumericElement(it.el);
    switch (it.el) {
      case El::Literal:
        out += it.text;
        continue;
      case El::FM:
        fill = !fill;
        continue;
      case El::FX:
        continue;
      case El::SYYYY:
        chunk = std::string(d.year < 0 ? "-" : (fill ? " " : "")) + Num(d.year, 4, fill);
        value = d.year;
        break;
      case El::YCommaYYY: {
        std::string y = Num(d.year, 4, fill);
        chunk = y.size() > 3 ? y.substr(0, y.size() - 3) + "," + y.substr(y.size() - 3) : y;
        value = d.year;
        break;
      }
      case El::YYYY:
      case El::RRRR:
        value = d.year;
        chunk = Num(value, 4, fill);
        break;
      case El::YYY:
        value = d.year % 1000;
        chunk = Num(value, 3, fill);
        break;
      case El::YY:
      case El::RR:
        value = d.year % 100;
        chunk = Num(value, 2, fill);
        break;
      case El::Y:
        value = d.year % 10;
        chunk = Num(value, 1, fill);
        break;
      case El::IYYY:
      case El::IYY:
      case El::IY:
      case El::I: {
        int w = 0, iy = 0;
        IsoWeek(d, w, iy);
        int digits = it.el == El::IYYY ? 4 : it.el == El::IYY ? 3 : it.el == El::IY ? 2 : 1;
        int mod = digits == 4 ? 10000 : digits == 3 ? 1000 : digits == 2 ? 100 : 10;
        value = iy % mod;
        chunk = Num(value, digits, fill);
        break;
      }
      case El::CC:
      case El::SCC:
        value = (d.year + 99) / 100;
        chunk = Num(value, 2, fill);
        break;
      case El::Q:
        value = (d.month - 1) / 3 + 1;
        chunk = Num(value, 1, fill);
        break;
      case El::MM:
        value = d.month;
        chunk = Num(value, 2, fill);
        break;
      case El::MON:
        chunk = ApplyCase(std::string_view(kMonths[d.month - 1]).substr(0, 3), it.letterCase);
        break;
      case El::MONTH:
        chunk = ApplyCase(kMonths[d.month - 1], it.letterCase);
        if (fill) chunk.resize(9, ' ');
        break;
      case El::RM:
        chunk = ApplyCase(kRoman[d.month - 1], it.letterCase);
        if (fill) chunk.resize(4, ' ');
        break;
      case El::WW:
        value = (cal::DayOfYear(d) - 1) / 7 + 1;
        chunk = Num(value, 2, fill);
        break;
      case El::IW: {
        int iy = 0;
        IsoWeek(d, value, iy);
        chunk = Num(value, 2, fill);
        break;
      }
      case El::W:
        value = (d.day - 1) / 7 + 1;
        chunk = Num(value, 1, fill);
        break;
      case El::DDD:
        value = cal::DayOfYear(d);
        chunk = Num(value, 3, fill);
        break;
      case El::DD:
        value = d.day;
        chunk = Num(value, 2, fill);
        break;
      case El::D:
        value = cal::DayOfWeek(d) + 1;
        chunk = Num(value, 1, fill);
        break;
      case El::DAY:
        chunk = ApplyCase(kDays[cal::DayOfWeek(d)], it.letterCase);
        if (fill) chunk.resize(9, ' ');
        break;
      case El::DY:
        chunk = ApplyCase(std::string_view(kDays[cal::DayOfWeek(d)]).substr(0, 3), it.letterCase);
        break;
      case El::J:
        value = int(cal::JulianDay(d));
        chunk = Num(value, 7, fill);
        break;
      case El::HH:
      case El::HH12:
        value = d.hour % 12 == 0 ? 12 : d.hour % 12;
        chunk = Num(value, 2, fill);
        break;
      case El::HH24:
        value = d.hour;
        chunk = Num(value, 2, fill);
        break;
      case El::MI:
        value = d.minute;
        chunk = Num(value, 2, fill);
        break;
      case El::SS:
        value = d.second;
        chunk = Num(value, 2, fill);
        break;
      case El::SSSSS:
        value = d.hour * 3600 + d.minute * 60 + d.second;
        chunk = Num(value, 5, fill);
        break;
      case El::AM:
      case El::PM:
        chunk = ApplyCase(d.hour < 12 ? "AM" : "PM", it.letterCase);
        break;
      case El::AMDots:
      case El::PMDots:
        chunk = ApplyCase(d.hour < 12 ? "A.M." : "P.M.", it.letterCase);
        break;
      case El::AD:
      case El::BC:
        chunk = ApplyCase(d.year > 0 ? "AD" : "BC", it.letterCase);
        break;
      case El::ADDots:
      case El::BCDots:
        chunk = ApplyCase(d.year > 0 ? "A.D." : "B.C.", it.letterCase);
        break;
    }
    out += chunk;
    if (numeric && it.th) out += ApplyCase(Ordinal(value), it.thCase);
  }
  return out;
}

std::string FormatOracleDate(std::string_view storedDate, std::string_view format) {
  std::optional<DateTime> d = cal::ParseStored(storedDate);
  if (!d) throw EngineError(1858);
  return FormatDate(*d, format);
}

void ValidateDateFormat(std::string_view format) {
  (void)ParseFormat(format);
}

namespace {

// Matches one of `names` (or its first three letters) at s[at]; returns the index.
int MatchName(std::string_view s, size_t& at, const char* const* names, int count,
              bool allowShort) {
  for (int k = 0; k < count; ++k) {
    if (StartsWithNoCase(s, at, names[k])) {
      at += std::strlen(names[k]);
      return k;
    }
  }
  if (allowShort) {
    for (int k = 0; k < count; ++k) {
      if (StartsWithNoCase(s, at, std::string_view(names[k]).substr(0, 3))) {
        at += 3;
        return k;
      }
    }
  }
  return -1;
}

// A year written with two digits, as RR reads it: in the current century, or in the one
// before or after when it and the current year lie in different halves of a century.
int64_t RoundedYear(int64_t twoDigits, int currentYear) {
  int cur = currentYear % 100, century = currentYear - cur;
  if (cur < 50) return (twoDigits < 50 ? century : century - 100) + twoDigits;
  return (twoDigits < 50 ? century + 100 : century) + twoDigits;
}

}  // namespace

DateTime ParseDate(std::string_view s, std::string_view format, const DateTime& now) {
  std::vector<Item> items = ParseFormat(format);
  int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1;
  int64_t julian = -1;
  int dayOfYear = -1, secondsOfDay = -1;
  bool twelveHour = false;
  int meridian = -1;  // 0 AM, 1 PM
  bool exact = false;
  size_t at = 0;
  auto skipBlanks = [&] {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\n' || s[at] == '\r')) ++at;
  };
  auto readNumber = [&](int maxDigits, bool allowSign, int* digitsRead) -> int64_t {
    if (!exact) skipBlanks();
    bool negative = false;
    if (allowSign && at < s.size() && (s[at] == '-' || s[at] == '+')) {
      negative = s[at] == '-';
      ++at;
    }
    int64_t v = 0;
    int n = 0;
    while (n < maxDigits && at < s.size() && IsDigitC(s[at])) {
      v = v * 10 + (s[at] - '0');
      ++at;
      ++n;
    }
    if (n == 0) {
      if (at >= s.size()) throw EngineError(1840);
      throw EngineError(1858);
    }
    if (exact && n != maxDigits) throw EngineError(1862);
    if (digitsRead) *digitsRead = n;
    return negative ? -v : v;
  };
  auto once = [](int& slot, int v, int err) {
    if (slot != -1) throw EngineError(err);
    slot = v;
  };

  for (size_t idx = 0; idx < items.size(); ++idx) {
    const Item& it = items[idx];
    // A short year may be written in full unless digits of the next element follow it.
    const bool packed = exact || (idx + 1 < items.size() && IsNumericElement(items[idx + 1].el));
    if (it.el == El::Literal) {
      if (it.quoted) {
        if (!exact) skipBlanks();
        std::string upper;
        for (char c : it.text) upper.push_back(Up(c));
        if (!StartsWithNoCase(s, at, upper)) {
          if (at >= s.size()) continue;
          throw EngineError(1861);
        }
        at += it.text.size();
        continue;
      }
      char fc = it.text[0];
      if (fc == ' ') continue;
      if (!exact) skipBlanks();
      if (at >= s.size()) continue;
      // Any punctuation matches any punctuation and a missing separator is forgiven,
      // except under FX, where the text must be the model's.
      if (exact && s[at] != fc) throw EngineError(1861);
      if (!IsAlpha(s[at]) && !IsDigitC(s[at])) ++at;
      continue;
    }
    if (it.el == El::FM) continue;
    if (it.el == El::FX) {
      exact = !exact;
      continue;
    }
    if (!exact) skipBlanks();
    int n = 0;
    switch (it.el) {
      case El::SYYYY:
      case El::YYYY:
      case El::RRRR:
      case El::YCommaYYY: {
        int64_t v = readNumber(4, it.el == El::SYYYY, &n);
        if (it.el == El::YCommaYYY && at < s.size() && s[at] == ',') {
          ++at;
          int64_t rest = readNumber(3, false, nullptr);
          v = v * 1000 + rest;
        }
        if (it.el == El::RRRR && n <= 2) v = RoundedYear(v, now.year);
        once(year, int(v), 1812);
        break;
      }
      // Short year elements take a full year too, when one is written.
      case El::YYY:
      case El::YY:
      case El::Y: {
        const int digits = it.el == El::YYY ? 3 : it.el == El::YY ? 2 : 1;
        const int span = digits == 3 ? 1000 : digits == 2 ? 100 : 10;
        int64_t v = readNumber(packed ? digits : 4, false, &n);
        once(year, n <= digits ? now.year - now.year % span + int(v) : int(v), 1812);
        break;
      }
      case El::RR: {
        int64_t v = readNumber(packed ? 2 : 4, false, &n);
        if (n <= 2) v = RoundedYear(v, now.year);
        once(year, int(v), 1812);
        break;
      }
      case El::MM:
        once(month, int(readNumber(2, false, nullptr)), 1816);
        break;
      case El::MON:
      case El::MONTH: {
        int k = MatchName(s, at, kMonths, 12, true);
        if (k < 0) throw EngineError(1843);
        once(month, k + 1, 1816);
        break;
      }
      case El::RM: {
        // Longest numeral first so that "VIII" is not read as "V".
        int found = -1;
        size_t bestLen = 0;
        for (int k = 0; k < 12; ++k) {
          size_t len = std::strlen(kRoman[k]);
          if (len > bestLen && StartsWithNoCase(s, at, kRoman[k])) {
            found = k;
            bestLen = len;
          }
        }
        if (found < 0) throw EngineError(1843);
        at += bestLen;
        once(month, found + 1, 1816);
        break;
      }
      case El::DD:
        once(day, int(readNumber(2, false, nullptr)), 1810);
        break;
      case El::DDD:
        once(dayOfYear, int(readNumber(3, false, nullptr)), 1810);
        break;
      case El::D: {
        int64_t v = readNumber(1, false, nullptr);
        if (v < 1 || v > 7) throw EngineError(1846);
        break;
      }
      case El::DAY:
      case El::DY:
        if (MatchName(s, at, kDays, 7, true) < 0) throw EngineError(1846);
        break;
      case El::J:
        julian = readNumber(7, false, nullptr);
        break;
      case El::HH:
      case El::HH12:
        twelveHour = true;
        once(hour, int(readNumber(2, false, nullptr)), 1813);
        break;
      case El::HH24:
        once(hour, int(readNumber(2, false, nullptr)), 1813);
        break;
      case El::MI:
        once(minute, int(readNumber(2, false, nullptr)), 1810);
        break;
      case El::SS:
        once(second, int(readNumber(2, false, nullptr)), 1810);
        break;
      case El::SSSSS:
        once(secondsOfDay, int(readNumber(5, false, nullptr)), 1810);
        break;
      case El::AM:
      case El::PM:
      case El::AMDots:
      case El::PMDots: {
        if (StartsWithNoCase(s, at, "A.M.") || StartsWithNoCase(s, at, "P.M.")) {
          meridian = Up(s[at]) == 'P';
          at += 4;
        } else if (StartsWithNoCase(s, at, "AM") || StartsWithNoCase(s, at, "PM")) {
          meridian = Up(s[at]) == 'P';
          at += 2;
        } else {
          throw EngineError(1855);
        }
        break;
      }
      case El::AD:
      case El::BC:
      case El::ADDots:
      case El::BCDots:
        if (StartsWithNoCase(s, at, "A.D.") || StartsWithNoCase(s, at, "B.C.")) {
          at += 4;
        } else if (StartsWithNoCase(s, at, "AD") || StartsWithNoCase(s, at, "BC")) {
          at += 2;
        } else {
          throw EngineError(1856);
        }
        break;
      default:
        // CC, Q, WW, IW, W and the ISO years say nothing a date can be built from.
        throw EngineError(1820);
    }
    if (it.th) {
      if (StartsWithNoCase(s, at, "ST") || StartsWithNoCase(s, at, "ND") ||
          StartsWithNoCase(s, at, "RD") || StartsWithNoCase(s, at, "TH")) {
        at += 2;
      }
    }
  }
  skipBlanks();
  if (at < s.size()) throw EngineError(1830);

  DateTime d;
  if (julian >= 0) {
    if (julian < 1 || julian > 5373484) throw EngineError(1854);
    DateTime j = cal::CivilFromDays(julian - 2440588);
    if (year != -1 && year != j.year) throw EngineError(1831);
    if (month != -1 && month != j.month) throw EngineError(1833);
    if (day != -1 && day != j.day) throw EngineError(1834);
    if (dayOfYear != -1) throw EngineError(1811);
    d = j;
  } else {
    d.year = year != -1 ? year : now.year;
    if (d.year < 1 || d.year > 9999) throw EngineError(1841);
    if (dayOfYear != -1) {
      if (dayOfYear < 1 || dayOfYear > (cal::IsLeap(d.year) ? 366 : 365)) throw EngineError(1848);
      DateTime fromDoy = cal::CivilFromDays(cal::DaysFromCivil(d.year, 1, 1) + dayOfYear - 1);
      if (month != -1 && month != fromDoy.month) throw EngineError(1833);
      d.month = fromDoy.month;
      d.day = fromDoy.day;
    } else {
      d.month = month != -1 ? month : now.month;
      d.day = day != -1 ? day : 1;
    }
    if (d.month < 1 || d.month > 12) throw EngineError(1843);
    if (d.day < 1 || d.day > 31) throw EngineError(1847);
    if (d.day > cal::DaysInMonth(d.year, d.month)) throw EngineError(1839);
  }
  if (secondsOfDay != -1) {
    if (secondsOfDay > 86399) throw EngineError(1853);
    if (hour != -1 && hour != secondsOfDay / 3600) throw EngineError(1836);
    if (minute != -1 && minute != secondsOfDay / 60 % 60) throw EngineError(1837);
    if (second != -1 && second != secondsOfDay % 60) throw EngineError(1838);
    hour = secondsOfDay / 3600;
    minute = secondsOfDay / 60 % 60;
    second = secondsOfDay % 60;
  }
  if (hour == -1) hour = 0;
  if (twelveHour || meridian != -1) {
    if (twelveHour || (hour >= 1 && hour <= 12)) {
      if (hour < 1 || hour > 12) throw EngineError(1849);
      hour = hour % 12 + (meridian == 1 ? 12 : 0);
    }
  }
  if (hour > 23) throw EngineError(1850);
  if (minute > 59) throw EngineError(1851);
  if (second > 59) throw EngineError(1852);
  d.hour = hour;
  d.minute = minute == -1 ? 0 : minute;
  d.second = second == -1 ? 0 : second;
  return d;
}

std::string ParseOracleDate(std::string_view text, std::string_view format) {
  return cal::FormatStored(ParseDate(text, format, cal::Now()));
}

bool IsStoredDate(std::string_view text) {
  return text.size() == 19 && cal::ParseStored(text).has_value();
}

}  // namespace tess::oci7
