// Oracle's SQL functions as registered into SQLite, evaluated through the translator
// against the answers the server gives, edge cases included.
#include "tests/oci7/dialect/dialect_db.h"

using namespace tess::oci7;
using namespace tess::oci7::testing;

namespace {

struct Case {
  const char* expr;
  const char* expected;  // Oracle's text form; "<null>" for NULL
};

void Check(DialectDb& d, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    try {
      EXPECT_EQ(d.One(std::string("select ") + c.expr + " from dual"), c.expected) << c.expr;
    } catch (const OraError& e) {
      ADD_FAILURE() << c.expr << ": " << e.message;
    }
  }
}

void CheckError(DialectDb& d, const char* expr, int code) {
  EXPECT_EQ(d.ErrorOf(std::string("select ") + expr + " from dual"), code) << expr;
}

}  // namespace

TEST(Functions, Strings) {
  DialectDb d;
  Check(d, {
               {"substr('ABCDEFG', 3, 2)", "CD"},
               {"substr('ABCDEFG', 0, 2)", "AB"},
               {"substr('ABCDEFG', -3)", "EFG"},
               {"substr('ABCDEFG', -3, 2)", "EF"},
               {"substr('ABC', 5)", "<null>"},
               {"substr('ABC', -5)", "<null>"},
               {"substr('ABC', 1, 0)", "<null>"},
               {"substr('ABC', 2.9, 1.9)", "B"},
               {"substr(12345, 2, 3)", "234"},
               {"instr('CORPORATE FLOOR', 'OR', 3, 2)", "14"},
               {"instr('CORPORATE FLOOR', 'OR', -3, 2)", "2"},
               {"instr('ABC', 'X')", "0"},
               {"instr('ABC', '')", "<null>"},
               {"length('')", "<null>"},
               {"length(.5)", "2"},
               {"length('abc ')", "4"},
               {"lpad('ab', 5, 'xy')", "xyxab"},
               {"lpad('abcdef', 3)", "abc"},
               {"length(lpad('x', 100000))", "4000"},
               {"rpad('ab', 4)", "ab  "},
               {"rpad('ab', 0)", "<null>"},
               {"ltrim('xxyab', 'xy')", "ab"},
               {"rtrim('ab  ')", "ab"},
               {"rtrim('xx', 'x')", "<null>"},
               {"replace('JACK and JUE', 'J', 'BL')", "BLACK and BLUE"},
               {"replace('abcabc', 'b')", "acac"},
               {"replace('abc', null, 'x')", "abc"},
               {"translate('SQL*Plus', '*L', '-')", "SQ-Plus"},
               {"upper('mixed Case 1')", "MIXED CASE 1"},
               {"lower('MiXeD')", "mixed"},
               {"initcap('the SOAP-opera')", "The Soap-Opera"},
               {"chr(65) || chr(97)", "Aa"},
               {"ascii('A')", "65"},
               {"concat('a', 1.50)", "a1.5"},
               {"soundex('Robert')", "R163"},
               {"soundex('Tymczak')", "T522"},
               {"vsize('abc')", "3"},
               {"vsize(100)", "2"},
               {"rawtohex(hextoraw('0aff'))", "0AFF"},
               {"userenv('LANGUAGE')", "AMERICAN_AMERICA.WE8ISO8859P1"},
               {"greatest('b', 'abc', 'a')", "b"},
               {"least(3, 1.5, 2)", "1.5"},
               {"greatest(1, null, 3)", "<null>"},
           });
  CheckError(d, "instr('a', 'a', 1, 0)", 1428);
  CheckError(d, "hextoraw('xyz')", 1465);
  CheckError(d, "userenv('NOSUCH')", 2003);
  CheckError(d, "'a' like 'a' escape 'xy'", 1425);
}

TEST(Functions, Numbers) {
  DialectDb d;
  Check(d, {
               {"round(2.5)", "3"},
               {"round(-2.5)", "-3"},
               {"round(1.005, 2)", "1.01"},
               {"round(1234.5678, -2)", "1200"},
               {"round(15.193, 1)", "15.2"},
               {"trunc(15.79, 1)", "15.7"},
               {"trunc(-15.79)", "-15"},
               {"trunc(1234.5, -2)", "1200"},
               {"mod(11, 4)", "3"},
               {"mod(-11, 4)", "-3"},
               {"mod(11, 0)", "11"},
               {"mod(10.5, 3)", "1.5"},
               {"power(2, 10)", "1024"},
               {"power(4, .5)", "2"},
               {"sqrt(16)", "4"},
               {"log(10, 100)", "2"},
               {"ln(exp(1))", "1"},
               {"sign(-7)", "-1"},
               {"abs(-7.25)", "7.25"},
               {"ceil(1.2)", "2"},
               {"floor(-1.2)", "-2"},
               {"to_number('1,234.50', '9,999.99')", "1234.5"},
               {"to_number(' 42 ')", "42"},
               {"to_number('ff', 'xx')", "255"},
               {"to_char(12, '999')", "  12"},
               {"to_char(-12, '999')", " -12"},
               {"to_char(1234.5, '9,999.99')", " 1,234.50"},
               {"to_char(.5, '0.99')", " 0.50"},
               {"to_char(.5, '9.99')", "  .50"},
               {"to_char(5, '0009')", " 0005"},
               {"to_char(1234, '99')", "###"},
               {"to_char(12, 'fm999')", "12"},
               {"to_char(1.5, 'fm999.99')", "1.5"},
               {"to_char(-7, 's999')", "  -7"},
               {"to_char(12.5, '$99.99')", " $12.50"},
               {"to_char(1234, '9.99EEEE')", " 1.23E+03"},
               {"to_char(255, 'XXXX')", "   FF"},
               {"to_char(1999, 'fmRN')", "MCMXCIX"},
               {"to_char(0.1 + 0.2)", ".3"},
               {"to_char(1e40)", "1.0E+40"},
               {"to_char(-7, '999MI')", "  7-"},
               {"to_char(7, '999MI')", "  7 "},
               {"to_char(-7, '999PR')", "  <7>"},
               {"to_char(7, '999PR')", "   7 "},
               {"to_char(12.34, '99V99')", " 1234"},
               {"to_char(1234.5, '9G999D99')", " 1,234.50"},
               {"to_char(-0.5, 'fm990.0')", "-0.5"},
               {"to_char(123456789, '999,999,999')", " 123,456,789"},
               {"decode(null, null, 'null matched', 'no')", "null matched"},
               {"decode(2, 1, 'one', 2, 'two')", "two"},
               {"decode(3, 1, 'one', 2, 'two')", "<null>"},
               {"nvl2(null, 1, 2)", "2"},
               {"nvl(null, 'b')", "b"},
           });
  CheckError(d, "sqrt(-1)", 1428);
  CheckError(d, "ln(0)", 1428);
  CheckError(d, "to_number('12x')", 1722);
  CheckError(d, "to_char(1, '9Z9')", 1481);
  // Aggregates Oracle has and SQLite lacks: sample variance and deviation.
  d.Run("create table n (x number)");
  for (int v : {2, 4, 4, 4, 5, 5, 7, 9}) d.Run("insert into n values (" + std::to_string(v) + ")");
  EXPECT_EQ(d.Run("select variance(x), round(stddev(x), 6), avg(x), count(*) from n")[0],
            (std::vector<std::string>{"4.57142857142857", "2.13809", "5", "8"}));
  EXPECT_EQ(d.One("select stddev(x) from n where x = 2"), "0");
  EXPECT_EQ(d.One("select variance(x) from n where x > 100"), "<null>");
}

TEST(Functions, Dates) {
  DialectDb d;
  auto date = [](const char* s) {
    return std::string("to_date('") + s + "', 'YYYY-MM-DD HH24:MI:SS')";
  };
  Check(
      d,
      {
          {"add_months(to_date('31-01-2024', 'DD-MM-YYYY'), 1)", "2024-02-29 00:00:00"},
          {"add_months(to_date('29-02-2024', 'DD-MM-YYYY'), 12)", "2025-02-28 00:00:00"},
          {"add_months(to_date('30-04-2024', 'DD-MM-YYYY'), 1)", "2024-05-31 00:00:00"},
          {"add_months(to_date('15-01-2024 10:20', 'DD-MM-YYYY HH24:MI'), -13)",
           "2022-12-15 10:20:00"},
          {"last_day(to_date('10-02-2023', 'DD-MM-YYYY'))", "2023-02-28 00:00:00"},
          {"months_between(to_date('15-03-2024','DD-MM-YYYY'), to_date('15-01-2024','DD-MM-YYYY'))",
           "2"},
          {"months_between(to_date('29-02-2024','DD-MM-YYYY'), to_date('31-01-2024','DD-MM-YYYY'))",
           "1"},
          {"months_between(to_date('02-02-1995','DD-MM-YYYY'), to_date('01-01-1995','DD-MM-YYYY'))",
           "1.03225806451613"},
          {"next_day(to_date('15-03-2024','DD-MM-YYYY'), 'MONDAY')", "2024-03-18 00:00:00"},
          {"next_day(to_date('15-03-2024','DD-MM-YYYY'), 'fri')", "2024-03-22 00:00:00"},
          {"trunc(sysdate)", "2024-03-15 00:00:00"},
          {"trunc(sysdate, 'MM')", "2024-03-01 00:00:00"},
          {"trunc(sysdate, 'YYYY')", "2024-01-01 00:00:00"},
          {"trunc(sysdate, 'Q')", "2024-01-01 00:00:00"},
          {"trunc(sysdate, 'DAY')", "2024-03-10 00:00:00"},
          {"trunc(sysdate, 'HH24')", "2024-03-15 10:00:00"},
          {"trunc(sysdate, 'IW')", "2024-03-11 00:00:00"},
          {"trunc(sysdate, 'WW')", "2024-03-11 00:00:00"},
          {"trunc(sysdate, 'W')", "2024-03-15 00:00:00"},
          {"trunc(sysdate, 'CC')", "2001-01-01 00:00:00"},
          {"trunc(sysdate, 'MI')", "2024-03-15 10:30:00"},
          {"round(sysdate, 'Q')", "2024-04-01 00:00:00"},
          {"round(sysdate, 'DAY')", "2024-03-17 00:00:00"},
          {"round(sysdate, 'HH')", "2024-03-15 11:00:00"},
          {"round(sysdate)", "2024-03-15 00:00:00"},
          {"round(sysdate, 'MONTH')", "2024-03-01 00:00:00"},
          {"round(sysdate, 'YEAR')", "2024-01-01 00:00:00"},
          {"round(to_date('16-07-2024', 'DD-MM-YYYY'), 'YYYY')", "2025-01-01 00:00:00"},
          {"round(to_date('16-03-2024 12:00', 'DD-MM-YYYY HH24:MI'))", "2024-03-17 00:00:00"},
          {"to_char(sysdate, 'DD-MON-YYYY HH24:MI')", "15-MAR-2024 10:30"},
          {"to_char(sysdate)", "15-MAR-24"},
          {"to_date('2451545', 'J')", "2000-01-01 00:00:00"},
          {"to_date(20240315, 'YYYYMMDD')", "2024-03-15 00:00:00"},
          {"to_date('15-MAR-24') - to_date('14-MAR-24')", "1"},
          {"sysdate - trunc(sysdate)", ".4375"},
      });
  EXPECT_EQ(d.One("select " + date("2024-03-15 23:59:59") + " + 1/86400 from dual"),
            "2024-03-16 00:00:00");
  CheckError(d, "to_date('2024-13-01', 'YYYY-MM-DD')", 1843);
  CheckError(d, "to_date('x', 'DD-XX')", 1821);
  CheckError(d, "to_date('01-01-9999', 'DD-MM-YYYY') + 400", 1841);
  CheckError(d, "add_months(sysdate, 200000)", 1841);
  CheckError(d, "next_day(sysdate, 'someday')", 1846);
  CheckError(d, "trunc(sysdate, 'XX')", 1898);
  CheckError(d, "sysdate + sysdate", 975);
}

// NULL (and the empty string, which is NULL) into any function gives NULL, not a crash or
// a zero: every function's argument paths see it.
TEST(Functions, NullInNullOut) {
  DialectDb d;
  const char* calls[] = {
      "ascii(#)",
      "chr(#)",
      "initcap(#)",
      "instr(#, 'a')",
      "instr('a', #)",
      "length(#)",
      "lower(#)",
      "lpad(#, 3)",
      "lpad('a', #)",
      "ltrim(#)",
      "rpad('a', 3, #)",
      "rtrim(#, 'x')",
      "soundex(#)",
      "substr(#, 1)",
      "substr('a', #)",
      "substr('a', 1, #)",
      "translate(#, 'a', 'b')",
      "upper(#)",
      "abs(#)",
      "ceil(#)",
      "cos(#)",
      "exp(#)",
      "floor(#)",
      "ln(#)",
      "log(10, #)",
      "mod(#, 2)",
      "mod(2, #)",
      "power(#, 2)",
      "round(#)",
      "round(1.5, #)",
      "sign(#)",
      "sqrt(#)",
      "trunc(#)",
      "trunc(sysdate, #)",
      "add_months(#, 1)",
      "add_months(sysdate, #)",
      "last_day(#)",
      "months_between(#, sysdate)",
      "next_day(#, 'MONDAY')",
      "next_day(sysdate, #)",
      "to_char(#)",
      "to_char(1, #)",
      "to_char(sysdate, #)",
      "to_date(#)",
      "to_date('01-01-2000', #)",
      "to_number(#)",
      "hextoraw(#)",
      "rawtohex(#)",
      "greatest(1, #)",
      "least(#, 'a')",
      "vsize(#)",
      "# + 1",
      "1 - #",
      "# * 2",
      "2 / #",
      "sysdate + #",
      "# - sysdate",
      "nvl(#, #)",
      "decode(1, 2, 3, #)",
      "chartorowid(#)",
      "replace(#, 'a')",
      "nvl2(1, #, 2)",
  };
  for (const char* call : calls) {
    for (const char* null : {"null", "''"}) {
      std::string expr = call;
      for (size_t at; (at = expr.find('#')) != std::string::npos;) expr.replace(at, 1, null);
      try {
        EXPECT_EQ(d.One("select " + expr + " from dual"), "<null>") << expr;
      } catch (const OraError& e) {
        ADD_FAILURE() << expr << ": " << e.message;
      }
    }
  }
  EXPECT_EQ(d.One("select concat(null, 'a') || null from dual"), "a");
  EXPECT_EQ(d.One("select replace('abc', 'b', null) from dual"), "ac");
}

// Integer arithmetic that leaves 64 bits goes on in floating point (15 digits, as doubles
// print), never wrapping round to the other sign.
TEST(Functions, ArithmeticLimits) {
  DialectDb d;
  EXPECT_EQ(d.One("select 9223372036854775807 + 1 from dual"), "9223372036854780000");
  EXPECT_EQ(d.One("select :a * 2 from dual", {{"A", "9223372036854775807"}}),
            "18446744073709600000");
  EXPECT_EQ(d.One("select :a - 1 from dual", {{"A", "-9223372036854775808"}}),
            "-9223372036854780000");
  EXPECT_EQ(d.One("select abs(:a) from dual", {{"A", "-9223372036854775808"}}),
            "9223372036854780000");
  EXPECT_EQ(d.One("select mod(:a, -1) from dual", {{"A", "-9223372036854775807"}}), "0");
  EXPECT_EQ(d.One("select -9223372036854775807 / -1 from dual"), "9223372036854775807");
  EXPECT_EQ(d.One("select 4611686018427387904 * -2 from dual"), "-9223372036854775808");
  EXPECT_EQ(d.ErrorOf("select power(10, 400) from dual"), 1426);
}
