// Oracle's text forms of numbers and dates, date format models both ways, and the type
// mapping between Oracle column types and SQLite declared types.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <random>

#include "oci7/dialect/date_form_internal.h"
#include "oci7/dialect/dialect.h"
#include "oci7/dialect/number_format.h"

using namespace tess::oci7;

namespace {

int CodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const OraError& e) {
    return e.code;
  }
  return 0;
}

}  // namespace

TEST(NumberForm, OraclePrintsNumbersItsOwnWay) {
  EXPECT_EQ(FormatOracleNumber(0.0), "0");
  EXPECT_EQ(FormatOracleNumber(-0.0), "0");
  EXPECT_EQ(FormatOracleNumber(0.5), ".5");
  EXPECT_EQ(FormatOracleNumber(-0.5), "-.5");
  EXPECT_EQ(FormatOracleNumber(int64_t(-1)), "-1");
  EXPECT_EQ(FormatOracleNumber(100.0), "100");
  EXPECT_EQ(FormatOracleNumber(1.25), "1.25");
  EXPECT_EQ(FormatOracleNumber(12345.678), "12345.678");
  EXPECT_EQ(FormatOracleNumber(0.1 + 0.2), ".3");
  EXPECT_EQ(FormatOracleNumber(1.0 / 3), ".333333333333333");
  EXPECT_EQ(FormatOracleNumber(1e-5), ".00001");
  EXPECT_EQ(FormatOracleNumber(2.5e-10), ".00000000025");
  EXPECT_EQ(FormatOracleNumber(1e20), "100000000000000000000");
  EXPECT_EQ(FormatOracleNumber(int64_t(123456789012345678)), "123456789012345678");
  EXPECT_EQ(FormatOracleNumber(INT64_MIN), "-9223372036854775808");
  // An integral double beyond 2^53 prints the decimal it stands for, not its binary value.
  EXPECT_EQ(FormatOracleNumber(std::ldexp(1.0, 53)), "9007199254740992");
  EXPECT_EQ(FormatOracleNumber(-std::ldexp(1.0, 60)), "-1152921504606847000");
  // Up to the 40-character field plainly, beyond it in scientific notation.
  EXPECT_EQ(FormatOracleNumber(-1e38), "-1" + std::string(38, '0'));
  EXPECT_EQ(FormatOracleNumber(1e40), "1.0E+40");
  EXPECT_EQ(FormatOracleNumber(-1.5e-45), "-1.5E-45");
  EXPECT_EQ(FormatOracleNumber(1.2345e100), "1.2345E+100");
}

TEST(NumberForm, ParsesOracleNumberTextAndRoundTrips) {
  EXPECT_EQ(ParseOracleNumber(" 12 "), 12.0);
  EXPECT_EQ(ParseOracleNumber("+.5"), 0.5);
  EXPECT_EQ(ParseOracleNumber("-5."), -5.0);
  EXPECT_EQ(ParseOracleNumber("1E3"), 1000.0);
  EXPECT_EQ(ParseOracleNumber("1e-400"), 0.0);
  for (const char* bad : {"", " ", "-", ".", "1.2.3", "1e", "abc", "1,5", "0x10", "1 2", "e5"}) {
    EXPECT_FALSE(ParseOracleNumber(bad).has_value()) << bad;
  }
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> mant(-10, 10);
  std::uniform_int_distribution<int> exp10(-60, 60);
  for (int i = 0; i < 5000; ++i) {
    double v = mant(rng) * std::pow(10.0, exp10(rng));
    std::string s = FormatOracleNumber(v);
    auto back = ParseOracleNumber(s);
    ASSERT_TRUE(back.has_value()) << s;
    EXPECT_NEAR(*back, v, std::fabs(v) * 1e-14) << s;
    EXPECT_LE(s.size(), 40u) << s;
    EXPECT_NE(s.substr(0, 2), "0.") << s;
    int64_t n = int64_t(v * 1000);
    EXPECT_EQ(ParseOracleNumber(FormatOracleNumber(n)), double(n));
  }
}

// The digits behind every number's text form against a plain 15-digit conversion: on
// short decimals (the common case, taken by a fast path), on doubles of every bit
// pattern, and on sums that only look short, such as 0.1 + 0.2.
TEST(NumberForm, SignificantDigitsAgreeWithA15DigitConversion) {
  auto reference = [](double v, std::string& digits, int& exponent) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
    std::string s(buf, res.ptr);
    size_t e = s.find('e');
    digits = s.substr(0, 1) + s.substr(2, e - 2);
    exponent = std::stoi(s.substr(e + 1));
  };
  std::mt19937_64 rng(11);
  std::vector<double> values = {0.1 + 0.2, 1.005, 1e-300, 5e-324, 1.7976931348623157e308,
                                123456789012345.0, 1234567890123456.0, 0.3, 2.0 / 3};
  for (int i = 0; i < 20000; ++i) {
    values.push_back(double(int64_t(rng() % 2000000000) - 1000000000) / 100);  // cents
    values.push_back(double(rng() % 100000) * std::pow(10.0, int(rng() % 40) - 20));
    uint64_t bits = rng();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    if (std::isfinite(any) && any != 0) values.push_back(any);
  }
  for (double v : values) {
    if (v == 0) continue;
    std::string digits, expected;
    int exponent = 0, expectedExponent = 0;
    SignificantDigits(v, digits, exponent);
    reference(v, expected, expectedExponent);
    ASSERT_EQ(digits, expected) << v;
    ASSERT_EQ(exponent, expectedExponent) << v;
  }
  EXPECT_EQ(FormatOracleNumber(0.1 + 0.2), ".3");
  EXPECT_EQ(FormatOracleNumber(-12345.67), "-12345.67");
}

// The short way for integral and fixed-scale numbers gives the text the general way gives,
// for every kind of double: whole numbers, amounts with a few places, values on the edges
// of the short way's reach, and any bit pattern at all.
TEST(NumberForm, TheShortWayPrintsWhatTheGeneralWayPrints) {
  std::mt19937_64 random(51);
  auto same = [](double v) {
    ASSERT_EQ(FormatOracleNumber(v), FormatOracleNumberByDigits(v)) << std::hexfloat << v;
  };
  for (int i = 0; i < 300000; ++i) {
    // A decimal of up to 15 digits with 0 to 11 places, as a double.
    const int digits = 1 + int(random() % 15);
    uint64_t n = random() % 1000000000000000ull;
    for (int d = 15; d > digits; --d) n /= 10;
    const int places = int(random() % 12);
    double v = double(n);
    for (int p = 0; p < places; ++p) v /= 10;
    if (random() % 2) v = -v;
    same(v);
    same(std::nextafter(v, 0.0));
    same(std::nextafter(v, 1e300));
    // Amounts computed rather than written: sums and products of cents.
    same(double(int64_t(random() % 10000000)) / 100 + double(int64_t(random() % 1000)) / 100);
    same(double(int64_t(random() % 100000)) * 0.01);
    // Any double at all.
    const uint64_t bits = random();
    double any;
    std::memcpy(&any, &bits, sizeof any);
    same(any);
  }
  const double edges[] = {1e15,
                          999999999999999.0,
                          999999999999999.5,
                          999999999999999.9,
                          99999999999999.99,
                          1e-9,
                          1.5e-9,
                          1e-10,
                          0.1,
                          0.7,
                          0.33333333333333331,
                          0.66666666666666663,
                          9007199254740992.0,
                          0.5,
                          1.0,
                          -0.0,
                          123456789.123456789,
                          4503599627370495.5,
                          5e-324,
                          2.2250738585072014e-308,
                          1.7976931348623157e308};
  for (double edge : edges) {
    same(edge);
    same(-edge);
  }
  for (int64_t i = -100000; i <= 100000; ++i) {
    same(double(i));
    same(double(i) / 100);
    EXPECT_EQ(FormatOracleNumber(i), FormatOracleNumber(double(i)));
  }
}

TEST(DateForm, FormatsElementsAsOracleDoes) {
  const char* d = "2024-03-15 13:05:09";  // a Friday, day 75 of a leap year
  EXPECT_EQ(FormatOracleDate(d, "DD-MON-YY"), "15-MAR-24");
  EXPECT_EQ(FormatOracleDate(d, "YYYY-MM-DD HH24:MI:SS"), "2024-03-15 13:05:09");
  EXPECT_EQ(FormatOracleDate(d, "Day Month"), "Friday    March    ");
  EXPECT_EQ(FormatOracleDate(d, "fmDay, Month DDth"), "Friday, March 15th");
  EXPECT_EQ(FormatOracleDate(d, "DY dy Mon mon"), "FRI fri Mar mar");
  EXPECT_EQ(FormatOracleDate(d, "HH:MI AM"), "01:05 PM");
  EXPECT_EQ(FormatOracleDate("2024-03-15 00:30:00", "HH12 A.M."), "12 A.M.");
  EXPECT_EQ(FormatOracleDate(d, "SSSSS DDD J Q D"), "47109 075 2460385 1 6");
  EXPECT_EQ(FormatOracleDate(d, "\"Week\" WW, IW, W; CC Y,YYY RM"),
            "Week 11, 11, 3; 21 2,024 III ");
  EXPECT_EQ(FormatOracleDate("2000-01-01 00:00:00", "J"), "2451545");
  for (auto [day, suffix] : std::vector<std::pair<int, const char*>>{{1, "1ST"},
                                                                     {2, "2ND"},
                                                                     {3, "3RD"},
                                                                     {4, "4TH"},
                                                                     {11, "11TH"},
                                                                     {12, "12TH"},
                                                                     {13, "13TH"},
                                                                     {22, "22ND"}}) {
    char stored[32];
    std::snprintf(stored, sizeof stored, "2024-01-%02d 00:00:00", day);
    EXPECT_EQ(FormatOracleDate(stored, "fmDDTH"), suffix);
  }
  EXPECT_EQ(CodeOf([] { ValidateDateFormat("DD-XX-YYYY"); }), 1821);
  EXPECT_EQ(CodeOf([] { ValidateDateFormat("HH24:MI AM"); }), 1818);
  EXPECT_EQ(CodeOf([] { FormatOracleDate("17-NOV-81", "DD"); }), 1858);  // not a stored date
  EXPECT_EQ(DisplaySize(OracleType{kTypeDate, 7, 0, 0}, "DD-MON-YY"), 9);
  EXPECT_EQ(DisplaySize(OracleType{kTypeDate, 7, 0, 0}, "DD-MONTH-YYYY"), 17);
}

TEST(DateForm, ParsesLenientlyAndRejectsWithOraclesCodes) {
  EXPECT_EQ(ParseOracleDate("17-nov-1981", "DD-MON-YYYY"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("17-NOV-81", "DD-MON-RR"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("  17 / November / 1981 ", "DD-MON-YYYY"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("19811117", "YYYYMMDD"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("2451545", "J"), "2000-01-01 00:00:00");
  EXPECT_EQ(ParseOracleDate("10:30 PM 01/02/2003", "HH:MI AM MM/DD/YYYY"), "2003-01-02 22:30:00");
  EXPECT_EQ(ParseOracleDate("12:15 am 01/02/2003", "HH:MI AM MM/DD/YYYY"), "2003-01-02 00:15:00");
  EXPECT_EQ(ParseOracleDate("1981 321", "YYYY DDD"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("1981-11-17 37800", "YYYY-MM-DD SSSSS"), "1981-11-17 10:30:00");
  EXPECT_EQ(ParseOracleDate("29-FEB-2024", "DD-MON-YYYY"), "2024-02-29 00:00:00");
  // RR picks the century nearest to today (this holds until 2050); YY takes this one.
  EXPECT_EQ(ParseOracleDate("17-NOV-49", "DD-MON-RR"), "2049-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("17-NOV-50", "DD-MON-RR"), "1950-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("17-NOV-1950", "DD-MON-RR"), "1950-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("17-NOV-1981", "DD-MON-YY"), "1981-11-17 00:00:00");
  EXPECT_EQ(ParseOracleDate("811117", "YYMMDD").substr(2), "81-11-17 00:00:00");
  // FX asks for the exact shape.
  EXPECT_EQ(ParseOracleDate("01-JAN-2020", "FXDD-MON-YYYY"), "2020-01-01 00:00:00");
  struct Bad {
    const char* text;
    const char* format;
    int code;
  } bad[] = {
      {"30-FEB-2024", "DD-MON-YYYY", 1839},
      {"32-JAN-2024", "DD-MON-YYYY", 1847},
      {"29-FEB-2023", "DD-MON-YYYY", 1839},
      {"01-13-2024", "DD-MM-YYYY", 1843},
      {"17-FOO-81", "DD-MON-YY", 1843},
      {"ab-JAN-81", "DD-MON-YY", 1858},
      {"17-JAN-81 x", "DD-MON-YY", 1830},
      {"17-JAN", "DD-MON-YYYY", 1840},
      {"25:00", "HH24:MI", 1850},
      {"13:00", "HH:MI", 1849},
      {"10:61", "HH24:MI", 1851},
      {"10:10:60", "HH24:MI:SS", 1852},
      {"0000-01-01", "YYYY-MM-DD", 1841},
      {"99999", "SSSSS", 1853},
      {"10:00 XM", "HH:MI AM", 1855},
      {"17 17", "DD DD", 1810},
      {"1-JAN-2020", "FXDD-MON-YYYY", 1862},
      {"01/JAN/2020", "FXDD-MON-YYYY", 1861},
      {"1", "Q", 1820},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(CodeOf([&] { ParseOracleDate(b.text, b.format); }), b.code)
        << b.text << " / " << b.format;
  }
}

// Any date formatted in a model that fixes every field parses back to itself.
// The century of a short year comes from today; RR and RRRR move to the century before or
// after when the year and today lie in different halves of a century.
TEST(DateForm, ShortYearsTakeTheirCenturyFromToday) {
  auto yearOf = [](const char* year, const char* element, int todayYear) {
    tess::oci7::cal::DateTime today;
    today.year = todayYear;
    return ParseDate(std::string("17-11-") + year, std::string("DD-MM-") + element, today).year;
  };
  EXPECT_EQ(yearOf("49", "RR", 2026), 2049);
  EXPECT_EQ(yearOf("50", "RR", 2026), 1950);
  EXPECT_EQ(yearOf("49", "RR", 2075), 2149);
  EXPECT_EQ(yearOf("50", "RR", 2075), 2050);
  EXPECT_EQ(yearOf("1949", "RR", 2075), 1949);
  EXPECT_EQ(yearOf("10", "RRRR", 2075), 2110);
  EXPECT_EQ(yearOf("60", "RRRR", 2026), 1960);
  EXPECT_EQ(yearOf("0010", "RRRR", 2075), 10);
  EXPECT_EQ(yearOf("123", "YYY", 2026), 2123);
  EXPECT_EQ(yearOf("81", "YY", 2026), 2081);
  EXPECT_EQ(yearOf("7", "Y", 2026), 2027);
  EXPECT_EQ(yearOf("1999", "Y", 2026), 1999);
  EXPECT_EQ(yearOf("1999", "YYY", 2026), 1999);
}

TEST(DateForm, RoundTripsThroughCompleteModels) {
  const char* models[] = {
      "YYYY-MM-DD HH24:MI:SS",        "DD-MON-YYYY HH:MI:SS AM", "J SSSSS",
      "fmMonth DD, YYYY HH24:MI:SS",  "DDD YYYY HH24 MI SS",     "YYYYMMDDHH24MISS",
      "Dy DD.MM.YYYY HH12.MI.SS P.M."};
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> year(1, 9999), month(1, 12), day(1, 31), hour(0, 23),
      minute(0, 59);
  for (int i = 0; i < 3000; ++i) {
    int y = year(rng), m = month(rng), d = day(rng);
    int dim = (m == 2) ? ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0 ? 29 : 28)
              : (m == 4 || m == 6 || m == 9 || m == 11) ? 30
                                                        : 31;
    if (d > dim) d = dim;
    char stored[32];
    std::snprintf(stored, sizeof stored, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hour(rng),
                  minute(rng), minute(rng));
    for (const char* model : models) {
      std::string text = FormatOracleDate(stored, model);
      ASSERT_EQ(ParseOracleDate(text, model), stored) << model << ": " << text;
    }
  }
}

TEST(Types, DeclaredTypesReadBackAndKeepValuesExact) {
  const OracleType types[] = {
      {kTypeVarchar2, 30, 0, 0},    {kTypeChar, 3, 0, 0},     {kTypeNumber, 22, 0, 0},
      {kTypeNumber, 22, 7, 2},      {kTypeNumber, 22, 38, 0}, {kTypeNumber, 22, 5, -2},
      {kTypeNumber, 22, 126, -127}, {kTypeDate, 7, 0, 0},     {kTypeLong, 0, 0, 0},
      {kTypeRaw, 16, 0, 0},         {kTypeLongRaw, 0, 0, 0},  {kTypeRowid, 6, 0, 0},
  };
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  std::string create = "CREATE TABLE t (";
  for (size_t i = 0; i < std::size(types); ++i) {
    OracleType back = OracleTypeFromDeclared(DeclaredTypeFor(types[i]).c_str());
    EXPECT_EQ(back.code, types[i].code) << DeclaredTypeFor(types[i]);
    EXPECT_EQ(back.size, types[i].size) << DeclaredTypeFor(types[i]);
    EXPECT_EQ(back.precision, types[i].precision) << DeclaredTypeFor(types[i]);
    EXPECT_EQ(back.scale, types[i].scale) << DeclaredTypeFor(types[i]);
    create += (i ? ", c" : "c") + std::to_string(i) + " " + DeclaredTypeFor(types[i]);
  }
  ASSERT_EQ(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  std::string insert = "INSERT INTO t VALUES (";
  for (size_t i = 0; i < std::size(types); ++i) insert += i ? ", '007'" : "'007'";
  ASSERT_EQ(sqlite3_exec(db, (insert + ")").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_stmt* st = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM t", -1, &st, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
  for (size_t i = 0; i < std::size(types); ++i) {
    bool numeric = types[i].code == kTypeNumber;
    EXPECT_EQ(sqlite3_column_type(st, int(i)),
              numeric ? (types[i].scale == -127 ? SQLITE_FLOAT : SQLITE_INTEGER) : SQLITE_TEXT)
        << DeclaredTypeFor(types[i]);
    if (!numeric) {
      EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, int(i))), "007");
    }
    OracleType described = OracleTypeFromDeclared(sqlite3_column_decltype(st, int(i)));
    EXPECT_EQ(described.code, types[i].code);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  EXPECT_EQ(OracleTypeFromDeclared(nullptr).code, 0);
  EXPECT_EQ(OracleTypeFromDeclared("integer").code, kTypeNumber);
  EXPECT_EQ(OracleTypeFromDeclared("TEXT").code, kTypeVarchar2);
  EXPECT_EQ(OracleTypeName(OracleType{kTypeLongRaw, 0, 0, 0}), "LONG RAW");
  EXPECT_EQ(DisplaySize(OracleType{kTypeNumber, 22, 7, 2}), 40);
  EXPECT_EQ(DisplaySize(OracleType{kTypeLong, 0, 0, 0}), 0);
  EXPECT_EQ(DisplaySize(OracleType{kTypeRaw, 16, 0, 0}), 32);
}

TEST(OraErrors, MessagesInOraclesWording) {
  EXPECT_EQ(OraMessage(942), "ORA-00942: table or view does not exist");
  EXPECT_EQ(OraMessage(904, "ENAMEX"), "ORA-00904: invalid column name");
  EXPECT_EQ(OraMessage(1, "DEMO.PK_EMP"), "ORA-00001: unique constraint (DEMO.PK_EMP) violated");
  EXPECT_EQ(OraMessage(99999), "ORA-99999: Message 99999 not found;  product=RDBMS; facility=ORA");
  auto e = OraErrorFromMessage("ORA-01722: invalid number");
  ASSERT_TRUE(e.has_value());
  EXPECT_EQ(e->code, 1722);
  EXPECT_FALSE(OraErrorFromMessage("no such table: x").has_value());
  EXPECT_FALSE(OraErrorFromMessage("ORA-1722: short").has_value());
}
