// NUMBER through the call interface: MOD, ROUND and TRUNC on every digit a value holds,
// NUMBER(p,s) columns and variables, Oracle's range, number format models both ways, and
// random arithmetic in SQL, PL/SQL and columns checked against an exact decimal model.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Numbers : public DatabaseSuite<"NUMBERS"> {
 protected:
  void SetUp() override { ASSERT_EQ(conn_.Logon("demo/demo@numbers"), 0); }
  Connection conn_;
};

std::string Code(int rc) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "ORA-%05d", rc);
  return buf;
}

// The first value of a query as text, or the code it fails with ("ORA-01426").
std::string Answer(Statement& st, const std::string& sql) {
  if (int rc = st.Parse(sql)) return Code(rc);
  char buf[256];
  sb2 ind = 0;
  ub2 len = 0;
  EXPECT_EQ(Oci().odefin(st.cda(), 1, reinterpret_cast<ub1*>(buf), sizeof buf, kExtVarchar2, -1,
                         &ind, nullptr, -1, -1, &len, nullptr),
            0);
  if (int rc = Oci().oexfet(st.cda(), 1, 0, 0)) return Code(rc);
  return ind == -1 ? "<null>" : std::string(buf, len);
}

// What a block leaves in :R (as text), or the code it fails with.
std::string BlockAnswer(Connection& c, const std::string& block) {
  Statement st(c);
  if (int rc = st.Parse(block)) return Code(rc);
  EXPECT_EQ(st.BindText("R", std::nullopt, 128), 0);
  if (int rc = st.Exec()) return Code(rc);
  return st.OutText(0).value_or("<null>");
}

void ExpectAnswers(Statement& st,
                   std::initializer_list<std::pair<const char*, const char*>> cases) {
  for (const auto& [sql, want] : cases) EXPECT_EQ(Answer(st, sql), want) << sql;
}

}  // namespace

TEST_F(Numbers, ModIsExactOnTheDecimalsInSqlAndPlsql) {
  Statement st(conn_);
  ExpectAnswers(st, {
                        {"SELECT mod(0.3, 0.1) FROM dual", "0"},
                        {"SELECT mod(123456.78, 0.01) FROM dual", "0"},
                        {"SELECT mod(56653777.6, 7.175) FROM dual", "6.3"},
                        {"SELECT mod(-7.5, 2) FROM dual", "-1.5"},
                        {"SELECT mod(7.5, -2) FROM dual", "1.5"},
                        {"SELECT mod(5.5, 0) FROM dual", "5.5"},
                        {"SELECT mod(0.07, 1e20) FROM dual", ".07"},
                        // 10^21 leaves 1 over a multiple of 3, at every power of ten.
                        {"SELECT mod(1e20, 0.3) FROM dual", ".1"},
                        {"SELECT mod(1e100, 7) FROM dual", "4"},
                        {"SELECT mod(9007199254740993, 2) FROM dual", "1"},
                    });
  ASSERT_EQ(st.Run("CREATE TABLE amounts (a NUMBER(12,2))"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO amounts VALUES (123456.78)"), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT mod(a, 0.01) + mod(a * 100, 1) FROM amounts"), "0");
  // The same in PL/SQL: the function, and the MOD and REM operators.
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := mod(56653777.6, 7.175); END;"), "6.3");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 0.3 MOD 0.1; END;"), "0");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 123456.78 MOD 0.01; END;"), "0");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 56653777.6 MOD 7.175; END;"), "6.3");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 7.5 MOD 0; END;"), "7.5");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 0.3 REM 0.2; END;"), "-.1");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 56653777.6 REM 7.175; END;"), "-.875");
}

TEST_F(Numbers, RoundTruncAndModelsUseEveryDigitTheValueHolds) {
  Statement st(conn_);
  ExpectAnswers(
      st,
      {
          {"SELECT trunc(12345678.9999999 + 0.00000009) FROM dual", "12345678"},
          {"SELECT round(.00003 + (-80055927061.5), 0) FROM dual", "-80055927061"},
          {"SELECT trunc(12345678.9999999 + 0.00000009, 7) FROM dual", "12345678.9999999"},
          {"SELECT round(0.1234567890123449, 14) FROM dual", ".12345678901234"},
          {"SELECT round(2.4999999999999996) FROM dual", "2"},
          {"SELECT round(1.005, 2) FROM dual", "1.01"},
          {"SELECT round(123456789012345678, -2) FROM dual", "123456789012345700"},
          {"SELECT trunc(-2.5) FROM dual", "-2"},
          {"SELECT round(-2.5) FROM dual", "-3"},
          {"SELECT round(5, -1) FROM dual", "10"},
          {"SELECT round(4.9, -1) FROM dual", "0"},
          {"SELECT round(1.5, -400) FROM dual", "0"},
          {"SELECT round(1.5, 400) FROM dual", "1.5"},
          // Models round on the same digits.
          {"SELECT to_char(12345678.9999999 + 0.00000009, '99999999.99999999') FROM dual",
           " 12345678.99999999"},
          {"SELECT to_char(12345678.9999999 + 0.00000009, '99999999.9999999') FROM dual",
           " 12345679.0000000"},
          {"SELECT to_char(.00003 + (-80055927061.5), '99999999999') FROM dual", "-80055927061"},
          {"SELECT to_char(123456789012345678, '999999999999999999') FROM dual",
           " 123456789012345678"},
          {"SELECT to_char(0.1234567890123449, '0.99999999999999') FROM dual", " 0.12345678901234"},
          {"SELECT to_char(2.4999999999999996, '9') FROM dual", " 2"},
          {"SELECT to_char(1.234567890123449, '9.9999999999999EEEE') FROM dual",
           " 1.2345678901234E+00"},
          {"SELECT to_char(12.345, '99V99') FROM dual", " 1235"},
          // So does VSIZE: 01 23 45 67 89 01 23 . 45 50 and the exponent byte.
          {"SELECT vsize(1234567890123.45 + 0.005) FROM dual", "10"},
          {"SELECT vsize(-0.0012) FROM dual", "3"},
      });
  // PL/SQL's ROUND and TRUNC are SQL's; its NUMBER(p,s) variables round on the decimals.
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := trunc(12345678.9999999 + 0.00000009); END;"),
            "12345678");
  EXPECT_EQ(BlockAnswer(conn_, "DECLARE n NUMBER(10,2); BEGIN n := 1.005; :r := n; END;"), "1.01");
  EXPECT_EQ(BlockAnswer(conn_,
                        "DECLARE n NUMBER(20,14); "
                        "BEGIN n := 0.1234567890123449; :r := n * 1e14; END;"),
            "12345678901234");
  EXPECT_EQ(BlockAnswer(conn_, "DECLARE n NUMBER(4,-1); BEGIN n := 1234.9; :r := n; END;"), "1230");
}

TEST_F(Numbers, NumberColumnsTakeTheirScaleAndPrecisionOnEveryDigit) {
  Statement st(conn_);
  ASSERT_EQ(st.Run("CREATE TABLE money (k NUMBER, a NUMBER(15,2), b NUMBER(15,14), "
                   "c NUMBER(5,-2), d NUMBER(3,5))"),
            0)
      << st.Error();
  // Values of 16 digits round at the scale, and are refused beyond the precision.
  ASSERT_EQ(st.Run("INSERT INTO money (k, a) VALUES (1, 1234567890123.45 + 0.005)"), 0)
      << st.Error();
  EXPECT_EQ(Answer(st, "SELECT a - 1234567890123 FROM money WHERE k = 1"), ".46");
  EXPECT_EQ(st.Run("INSERT INTO money (k, a) VALUES (2, 9999999999999.99 + 0.009)"), 1438);
  ASSERT_EQ(st.Run("INSERT INTO money (k, a) VALUES (2, 9999999999999.99 + 0.004)"), 0)
      << st.Error();
  EXPECT_EQ(Answer(st, "SELECT a - 9999999999999 FROM money WHERE k = 2"), ".99");
  ASSERT_EQ(st.Run("INSERT INTO money (k, b) VALUES (3, 1.23456789012345 + 0.000000000000005)"), 0)
      << st.Error();
  EXPECT_EQ(Answer(st, "SELECT (b - 1.23456789012345) * 1e14 FROM money WHERE k = 3"), "1");
  EXPECT_EQ(st.Run("INSERT INTO money (k, b) VALUES (4, 9.99999999999999 + 0.000000000000005)"),
            1438);
  // UPDATE and binds go the same way.
  ASSERT_EQ(st.Run("UPDATE money SET a = a + 0.0049 WHERE k = 1"), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT a - 1234567890123 FROM money WHERE k = 1"), ".46");
  ASSERT_EQ(st.Run("UPDATE money SET a = a + 0.005 WHERE k = 1"), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT a - 1234567890123 FROM money WHERE k = 1"), ".47");
  ASSERT_EQ(st.Parse("INSERT INTO money (k, a) VALUES (5, :v)"), 0) << st.Error();
  ASSERT_EQ(st.BindText("V", std::string("1234567890123.455")), 0);
  ASSERT_EQ(st.Exec(), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT a - 1234567890123 FROM money WHERE k = 5"), ".46");
  // Negative scales round left of the point; a scale beyond the precision bounds the
  // value below one.
  ASSERT_EQ(st.Run("INSERT INTO money (k, c, d) VALUES (6, 1234567.5 - 0.01, 0.0009949)"), 0)
      << st.Error();
  EXPECT_EQ(Answer(st, "SELECT c FROM money WHERE k = 6"), "1234600");
  EXPECT_EQ(Answer(st, "SELECT d FROM money WHERE k = 6"), ".00099");
  EXPECT_EQ(st.Run("INSERT INTO money (k, c) VALUES (7, 9999950)"), 1438);
  EXPECT_EQ(st.Run("INSERT INTO money (k, d) VALUES (7, 0.00999 + 0.000005)"), 1438);
  // PL/SQL's NUMBER(p,s) variables keep the same bounds; FLOAT(p), as a column, has no
  // scale to round to.
  EXPECT_EQ(BlockAnswer(conn_, "DECLARE f FLOAT(10); BEGIN f := 1.5; :r := f; END;"), "1.5");
  EXPECT_EQ(BlockAnswer(conn_,
                        "DECLARE n NUMBER(15,2); "
                        "BEGIN n := 9999999999999.99 + 0.009; :r := n; END;"),
            Code(6502));
  EXPECT_EQ(BlockAnswer(conn_,
                        "DECLARE n NUMBER(15,14); "
                        "BEGIN n := 1.23456789012345 + 0.000000000000005; "
                        ":r := (n - 1.23456789012345) * 1e14; END;"),
            "1");
}

TEST_F(Numbers, BeyondOraclesRangeOverflowsAndBelowItIsZero) {
  Statement st(conn_);
  ExpectAnswers(st, {
                        {"SELECT 1e125 * 10 FROM dual", Code(1426).c_str()},
                        {"SELECT -1e125 * 10 FROM dual", Code(1426).c_str()},
                        {"SELECT 9.99e125 + 1e123 FROM dual", Code(1426).c_str()},
                        {"SELECT 1e126 FROM dual", Code(1426).c_str()},
                        {"SELECT 1e125 / 0.1 FROM dual", Code(1426).c_str()},
                        {"SELECT power(10, 126) FROM dual", Code(1426).c_str()},
                        {"SELECT to_number('1e126') FROM dual", Code(1426).c_str()},
                        {"SELECT 9.99e125 FROM dual", "9.99E+125"},
                        {"SELECT 1e-130 / 1e10 FROM dual", "0"},
                        {"SELECT 1e-131 FROM dual", "0"},
                        {"SELECT 1e-65 * 1e-66 FROM dual", "0"},
                        {"SELECT -1e-65 * 1e-66 FROM dual", "0"},
                        {"SELECT to_number('-5e-131') FROM dual", "0"},
                        {"SELECT exp(-400) FROM dual", "0"},
                        {"SELECT 1e-130 FROM dual", "1.0E-130"},
                    });
  // Sums and averages, and the values a column is given.
  ASSERT_EQ(st.Run("CREATE TABLE big (x NUMBER)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO big VALUES (6e125)"), 0) << st.Error();
  ASSERT_EQ(st.Run("INSERT INTO big VALUES (5e125)"), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT sum(x) FROM big"), Code(1426));
  ASSERT_EQ(st.Run("INSERT INTO big VALUES (1e-140)"), 0) << st.Error();
  EXPECT_EQ(Answer(st, "SELECT count(*) FROM big WHERE x = 0"), "1");
  // A float bound beyond the range overflows as the same value written would.
  ASSERT_EQ(st.Parse("INSERT INTO big VALUES (:f)"), 0) << st.Error();
  double huge = 1e200;
  ASSERT_EQ(Oci().obndra(st.cda(), T(":f"), -1, reinterpret_cast<ub1*>(&huge), 8, kExtFloat, -1,
                         nullptr, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
            0);
  EXPECT_EQ(st.Exec(), 1426);
  // PL/SQL's arithmetic and literals alike.
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 1e125 * 10; END;"), Code(1426));
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 1e126; END;"), Code(1426));
  EXPECT_EQ(BlockAnswer(conn_, "DECLARE n NUMBER := 10; BEGIN :r := n ** 130; END;"), Code(1426));
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 1e-130 / 1e10; END;"), "0");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := 1e-131; END;"), "0");
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := to_number('1e200'); END;"), Code(1426));
}

TEST_F(Numbers, ToNumberReadsOnlyWhatTheModelShapes) {
  Statement st(conn_);
  ExpectAnswers(st, {
                        {"SELECT to_number('12345', '999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('1.234', '9.99') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('1,234', '9999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('12.5', '999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('1 23', '999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('1.5E+03', '9999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('FFF', 'XX') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('$12', '999') FROM dual", Code(1722).c_str()},
                        {"SELECT to_number('123', '99999') FROM dual", "123"},
                        {"SELECT to_number(' -123 ', '99999') FROM dual", "-123"},
                        {"SELECT to_number('1,234.5', '9,999.99') FROM dual", "1234.5"},
                        {"SELECT to_number('1234.5', '9,999.99') FROM dual", "1234.5"},
                        {"SELECT to_number('12-', '99MI') FROM dual", "-12"},
                        {"SELECT to_number('<12>', '99PR') FROM dual", "-12"},
                        {"SELECT to_number('+12', 'S99') FROM dual", "12"},
                        {"SELECT to_number('1.5E+03', '9.9EEEE') FROM dual", "1500"},
                        {"SELECT to_number('1234', '99V99') FROM dual", "12.34"},
                        {"SELECT to_number('$12.50', '$99.99') FROM dual", "12.5"},
                        {"SELECT to_number('FF', 'XXX') FROM dual", "255"},
                    });
  EXPECT_EQ(BlockAnswer(conn_, "BEGIN :r := to_number('12345', '999'); END;"), Code(1722));
}

TEST_F(Numbers, CurrencyAndExponentElementsTakeTheirPlaces) {
  Statement st(conn_);
  ExpectAnswers(st, {
                        {"SELECT to_char(1234, '9.99EEEE') FROM dual", " 1.23E+03"},
                        {"SELECT to_char(1e100, '9.99EEEE') FROM dual", " 1.00E+100"},
                        {"SELECT to_char(-1e100, '9.99EEEE') FROM dual", "-1.00E+100"},
                        {"SELECT to_char(1.5e-120, '9.9EEEE') FROM dual", " 1.5E-120"},
                        {"SELECT to_char(9.96, '9.9EEEE') FROM dual", " 1.0E+01"},
                        {"SELECT to_char(0, '9.9EEEE') FROM dual", " 0.0E+00"},
                        {"SELECT to_char(1e100, 'FM9.99EEEE') FROM dual", "1.00E+100"},
                        {"SELECT to_char(12.5, 'C99.99') FROM dual", " USD12.50"},
                        {"SELECT to_char(12.5, '99.99C') FROM dual", " 12.50USD"},
                        {"SELECT to_char(12.5, 'L99.99') FROM dual", " $12.50"},
                        {"SELECT to_char(12.5, '99.99L') FROM dual", " 12.50$"},
                        {"SELECT to_char(-12.5, '99.99L') FROM dual", "-12.50$"},
                        {"SELECT to_char(12.5, 'FMC99.99') FROM dual", "USD12.5"},
                        {"SELECT to_number('USD12.50', 'C99.99') FROM dual", "12.5"},
                        {"SELECT to_number(' 12.50$', '99.99L') FROM dual", "12.5"},
                        {"SELECT to_number('12.50USD', '99.99C') FROM dual", "12.5"},
                    });
}

// ---------------------------------------------------------------------------------------
// Random arithmetic against an exact decimal model.  The model computes every operation
// exactly on decimal digit strings (a quotient to 60 digits and a sticky last digit) and
// then keeps of each value what the engine promises to keep: an integer that 64 bits hold
// as it is (PL/SQL holds every value as a double), anything else as the double nearest to
// it, standing for its shortest decimal; 10^126 and beyond overflow, below 10^-130 is zero.
// Where every value of an expression has at most 15 digits, that is Oracle's own answer.

namespace {

// Magnitudes: decimal digits, most significant first, no leading zeros ("" is zero).
using Digits = std::string;

Digits Trim(const Digits& d) {
  size_t i = d.find_first_not_of('0');
  return i == std::string::npos ? Digits() : d.substr(i);
}

int Compare(const Digits& a, const Digits& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

Digits Add(const Digits& a, const Digits& b) {
  Digits out;
  int carry = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int s = carry;
    if (i < a.size()) s += a[a.size() - 1 - i] - '0';
    if (i < b.size()) s += b[b.size() - 1 - i] - '0';
    out.push_back(char('0' + s % 10));
    carry = s / 10;
  }
  std::reverse(out.begin(), out.end());
  return Trim(out);
}

// a - b for a >= b.
Digits Sub(const Digits& a, const Digits& b) {
  Digits out;
  int borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int s = a[a.size() - 1 - i] - '0' - borrow;
    if (i < b.size()) s -= b[b.size() - 1 - i] - '0';
    borrow = s < 0;
    out.push_back(char('0' + (s + 10) % 10));
  }
  std::reverse(out.begin(), out.end());
  return Trim(out);
}

Digits Mul(const Digits& a, const Digits& b) {
  if (a.empty() || b.empty()) return {};
  std::vector<int> acc(a.size() + b.size(), 0);
  for (size_t i = 0; i < a.size(); ++i)
    for (size_t j = 0; j < b.size(); ++j) acc[i + j + 1] += (a[i] - '0') * (b[j] - '0');
  for (size_t k = acc.size() - 1; k > 0; --k) {
    acc[k - 1] += acc[k] / 10;
    acc[k] %= 10;
  }
  Digits out;
  for (int d : acc) out.push_back(char('0' + d));
  return Trim(out);
}

// a = q * b + r, 0 <= r < b, by long division.
void DivMod(const Digits& a, const Digits& b, Digits& q, Digits& r) {
  q.clear();
  r.clear();
  for (char c : a) {
    r = Trim(r + c);
    int k = 0;
    while (Compare(r, b) >= 0) r = Sub(r, b), ++k;
    q.push_back(char('0' + k));
  }
  q = Trim(q);
}

// (-1)^negative * m * 10^e, m without trailing zeros; zero is m "" (never negative).
struct Exact {
  bool negative = false;
  Digits m;
  int e = 0;
  bool Zero() const { return m.empty(); }
  int Lead() const { return int(m.size()) + e; }  // 10^(Lead-1) <= |x| < 10^Lead
};

Exact Make(bool negative, Digits m, int e) {
  m = Trim(m);
  while (!m.empty() && m.back() == '0') m.pop_back(), ++e;
  if (m.empty()) return {};
  return {negative, m, e};
}

Digits Scaled(const Exact& x, int e) {  // the mantissa at exponent e <= x.e
  return x.Zero() ? Digits() : x.m + std::string(size_t(x.e - e), '0');
}

Exact Parse(std::string_view s) {
  bool negative = !s.empty() && s[0] == '-';
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  Digits m;
  int e = 0;
  bool point = false;
  size_t i = 0;
  for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
    if (s[i] == '.') {
      point = true;
    } else {
      m.push_back(s[i]);
      if (point) --e;
    }
  }
  if (i < s.size()) e += std::stoi(std::string(s.substr(i + 1)));
  return Make(negative, m, e);
}

Exact Plus(const Exact& a, const Exact& b) {
  if (a.Zero()) return b;
  if (b.Zero()) return a;
  int e = std::min(a.e, b.e);
  Digits x = Scaled(a, e), y = Scaled(b, e);
  if (a.negative == b.negative) return Make(a.negative, Add(x, y), e);
  int c = Compare(x, y);
  if (c == 0) return {};
  return c > 0 ? Make(a.negative, Sub(x, y), e) : Make(b.negative, Sub(y, x), e);
}

Exact Negated(Exact a) {
  if (!a.Zero()) a.negative = !a.negative;
  return a;
}

Exact Times(const Exact& a, const Exact& b) {
  return Make(a.negative != b.negative, Mul(a.m, b.m), a.e + b.e);
}

Exact Quotient(const Exact& a, const Exact& b) {
  if (a.Zero()) return {};
  int k = std::max(0, 60 + int(b.m.size()) - int(a.m.size()));
  Digits q, r;
  DivMod(a.m + std::string(size_t(k), '0'), b.m, q, r);
  if (!r.empty()) q.push_back('1'), ++k;
  return Make(a.negative != b.negative, q, a.e - b.e - k);
}

// a - b * TRUNC(a / b): the remainder of the magnitudes, with a's sign.
Exact Remainder(const Exact& a, const Exact& b) {
  if (a.Zero()) return {};
  int e = std::min(a.e, b.e);
  Digits q, r;
  DivMod(Scaled(a, e), Scaled(b, e), q, r);
  return Make(a.negative, r, e);
}

// Half away from zero (or towards it) at `places` decimal places.
Exact Rounded(const Exact& a, int places, bool truncate) {
  if (a.Zero() || a.e >= -places) return a;
  size_t drop = size_t(-places - a.e);
  Digits kept;
  char first = '0';
  if (a.m.size() > drop) {
    kept = a.m.substr(0, a.m.size() - drop);
    first = a.m[a.m.size() - drop];
  } else if (a.m.size() == drop) {
    first = a.m[0];
  }
  if (!truncate && first >= '5') kept = Add(kept, "1");
  return Make(a.negative, kept, -places);
}

double Nearest(const Exact& x) {
  if (x.Zero()) return 0;
  std::string s = (x.negative ? "-" : "") + x.m + "e" + std::to_string(x.e);
  double d = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), d);
  if (r.ec == std::errc::result_out_of_range) return x.e < 0 ? 0.0 : HUGE_VAL;
  return d;
}

Exact Shortest(double d) {
  if (d == 0) return {};
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::scientific);
  return Parse(std::string_view(buf, size_t(r.ptr - buf)));
}

struct Outcome {
  int error = 0;
  Exact v;
  bool asInt = false;  // held as a 64-bit integer
  bool wide = false;   // some value on the way had more than 15 digits
};

Outcome Keep(const Exact& x, bool doublesOnly) {
  Outcome o;
  if (x.Zero()) return o;
  if (!doublesOnly && x.e >= 0 && Compare(Scaled(x, 0), "9223372036854775807") <= 0) {
    o.v = x;
    o.asInt = true;
  } else {
    double d = Nearest(x);
    if (std::isinf(d)) return {1426, {}, false, false};
    o.v = Shortest(d);
  }
  if (o.v.Lead() >= 127) return {1426, {}, false, false};
  if (o.v.Lead() <= -130) return {};
  o.wide = o.v.m.size() > 15;
  return o;
}

// Oracle's text of a number: all digits up to the 40-character field, else d.dddE+xx.
std::string OracleText(const Exact& x) {
  if (x.Zero()) return "0";
  const int lead = x.Lead();
  std::string plain = x.e >= 0    ? x.m + std::string(size_t(x.e), '0')
                      : lead <= 0 ? "." + std::string(size_t(-lead), '0') + x.m
                                  : x.m.substr(0, size_t(lead)) + "." + x.m.substr(size_t(lead));
  std::string sign = x.negative ? "-" : "";
  if (sign.size() + plain.size() <= 40) return sign + plain;
  std::string exponent = std::to_string(std::abs(lead - 1));
  if (exponent.size() < 2) exponent.insert(0, "0");
  return sign + x.m.substr(0, 1) + "." + (x.m.size() > 1 ? x.m.substr(1) : "0") + "E" +
         (lead - 1 < 0 ? "-" : "+") + exponent;
}

// TO_CHAR(x, kFixedModel): rounded to three places, the sign of x kept.
const char* const kFixedModel = "FM9999999999999999999999999999990.000";
std::optional<std::string> FixedText(const Exact& x) {
  Exact r = Rounded(x, 3, false);
  Digits all = Scaled(r, -3);
  if (all.size() < 4) all.insert(0, 4 - all.size(), '0');
  Digits whole = Trim(all.substr(0, all.size() - 3));
  if (whole.size() > 31) return std::nullopt;
  return (x.negative ? "-" : "") + (whole.empty() ? "0" : whole) + "." + all.substr(all.size() - 3);
}

// An expression: a literal, a bind or an operation on one or two others.
struct Node {
  char op = 'n';  // n literal, b bind, + - * /, M mod, R round, T trunc
  std::string text;
  int places = 0;
  bool hasPlaces = false;
  std::unique_ptr<Node> a, b;
};

class Generator {
 public:
  explicit Generator(uint64_t seed) : rng_(seed) {}

  std::unique_ptr<Node> Expression(int depth) {
    if (depth == 0 || Pick(100) < 30) return Leaf();
    auto n = std::make_unique<Node>();
    static const char kOps[] = "++++----*****////MMMRRRTTT";
    n->op = kOps[Pick(sizeof kOps - 1)];
    n->a = Expression(depth - 1);
    if (n->op == 'R' || n->op == 'T') {
      n->hasPlaces = Pick(4) != 0;
      n->places = n->hasPlaces ? int(Pick(14)) - 4 : 0;
    } else {
      n->b = Expression(depth - 1);
    }
    return n;
  }

  uint64_t Pick(uint64_t n) { return rng_() % n; }

 private:
  std::string DigitsOf(int n) {
    std::string s(1, char('1' + Pick(9)));
    while (int(s.size()) < n) s.push_back(char('0' + Pick(10)));
    return s;
  }

  std::unique_ptr<Node> Leaf() {
    auto n = std::make_unique<Node>();
    uint64_t kind = Pick(20);
    if (kind < 8) {  // an amount with cents
      char cents[8];
      std::snprintf(cents, sizeof cents, ".%02d", int(Pick(100)));
      n->text = std::to_string(Pick(uint64_t(std::pow(10.0, double(Pick(10)))))) + cents;
    } else if (kind < 13) {  // up to 15 digits, the point anywhere near them
      int digits = 1 + int(Pick(15));
      int point = int(Pick(uint64_t(digits + 9))) - 5;
      std::string d = DigitsOf(digits);
      n->text = point <= 0        ? "0." + std::string(size_t(-point), '0') + d
                : point >= digits ? d + std::string(size_t(point - digits), '0')
                                  : d.substr(0, size_t(point)) + "." + d.substr(size_t(point));
    } else if (kind < 16) {
      n->text = std::to_string(Pick(21));
    } else if (kind < 18) {  // integers up to 64 bits
      n->text = DigitsOf(10 + int(Pick(9)));
    } else {  // near either end of the range
      n->text =
          DigitsOf(1 + int(Pick(3))) + "E" + (Pick(2) ? "+" : "-") + std::to_string(95 + Pick(40));
    }
    if (Pick(10) < 3 && n->text != "0") n->text.insert(0, "-");
    if (Pick(10) < 2) n->op = 'b';
    return n;
  }

  std::mt19937_64 rng_;
};

// The expression's text; binds are numbered :B1, :B2 ... in `binds`.
std::string Text(const Node& n, std::vector<std::string>& binds) {
  switch (n.op) {
    case 'n':
      return n.text[0] == '-' ? "(" + n.text + ")" : n.text;
    case 'b':
      binds.push_back(n.text);
      return ":B" + std::to_string(binds.size());
    case 'M':
      return "MOD(" + Text(*n.a, binds) + ", " + Text(*n.b, binds) + ")";
    case 'R':
    case 'T': {
      std::string s = std::string(n.op == 'R' ? "ROUND(" : "TRUNC(") + Text(*n.a, binds);
      if (n.hasPlaces) s += ", " + std::to_string(n.places);
      return s + ")";
    }
    default:
      return "(" + Text(*n.a, binds) + " " + n.op + " " + Text(*n.b, binds) + ")";
  }
}

// The model's value, operands from left to right as the engine takes them.
Outcome Evaluate(const Node& n, bool doublesOnly) {
  if (n.op == 'n') return Keep(Parse(n.text), doublesOnly);
  if (n.op == 'b') return Keep(Parse(n.text), true);  // text becomes the nearest double
  Outcome a = Evaluate(*n.a, doublesOnly);
  if (a.error) return a;
  Outcome b;
  if (n.b) {
    b = Evaluate(*n.b, doublesOnly);
    if (b.error) return b;
  }
  Exact r;
  switch (n.op) {
    case '+':
      r = Plus(a.v, b.v);
      break;
    case '-':
      r = Plus(a.v, Negated(b.v));
      break;
    case '*':
      r = Times(a.v, b.v);
      break;
    case '/':
      if (b.v.Zero()) return {1476, {}, false, false};
      r = Quotient(a.v, b.v);
      break;
    case 'M':
      r = b.v.Zero() ? a.v : Remainder(a.v, b.v);
      break;
    default:
      r = Rounded(a.v, n.places, n.op == 'T');
      break;
  }
  Outcome o = Keep(r, doublesOnly);
  o.wide = o.wide || a.wide || b.wide;
  return o;
}

// The expression with its binds' values, for messages.
std::string Described(const std::string& expr, const std::vector<std::string>& binds) {
  std::string s = expr;
  for (size_t i = 0; i < binds.size(); ++i)
    s += (i ? ", :B" : " with :B") + std::to_string(i + 1) + " = " + binds[i];
  return s;
}

struct Fetched {
  int rc = 0;
  double real = 0;
  int64_t integer = 0;
  std::string text, fixed;
};

void BindAll(Statement& st, const std::vector<std::string>& binds) {
  for (size_t i = 0; i < binds.size(); ++i) {
    std::string name = std::to_string(i + 1);
    ASSERT_EQ(st.BindText(name.insert(0, 1, 'B'), binds[i], 64), 0);
  }
}

// One expression as a query: its value as a double or an integer, its text and its text
// in the fixed model.
Fetched Select(Connection& c, const std::string& expr, const std::vector<std::string>& binds,
               bool asInt) {
  Statement st(c);
  Fetched f;
  std::string sql =
      "SELECT " + expr + ", " + expr + ", TO_CHAR(" + expr + ", '" + kFixedModel + "') FROM dual";
  if ((f.rc = st.Parse(sql))) return f;
  BindAll(st, binds);
  char text[64], fixed[64];
  ub2 textLen = 0, fixedLen = 0;
  const Api& o = Oci();
  EXPECT_EQ(asInt ? o.odefin(st.cda(), 1, reinterpret_cast<ub1*>(&f.integer), 8, kExtInteger, -1,
                             nullptr, nullptr, -1, -1, nullptr, nullptr)
                  : o.odefin(st.cda(), 1, reinterpret_cast<ub1*>(&f.real), 8, kExtFloat, -1,
                             nullptr, nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(o.odefin(st.cda(), 2, reinterpret_cast<ub1*>(text), sizeof text, kExtVarchar2, -1,
                     nullptr, nullptr, -1, -1, &textLen, nullptr),
            0);
  EXPECT_EQ(o.odefin(st.cda(), 3, reinterpret_cast<ub1*>(fixed), sizeof fixed, kExtVarchar2, -1,
                     nullptr, nullptr, -1, -1, &fixedLen, nullptr),
            0);
  f.rc = o.oexfet(st.cda(), 1, 0, 0);
  f.text.assign(text, textLen);
  f.fixed.assign(fixed, fixedLen);
  return f;
}

void ExpectValue(const Outcome& want, const Fetched& got, const std::string& what) {
  ASSERT_EQ(got.rc, want.error) << what;
  if (want.error) return;
  if (want.asInt) {
    const Digits whole = Scaled(want.v, 0);
    EXPECT_EQ(got.integer, (want.v.negative ? -1 : 1) * std::stoll(whole.empty() ? "0" : whole))
        << what;
  } else {
    EXPECT_EQ(got.real, Nearest(want.v)) << what << " = " << OracleText(want.v);
  }
}

}  // namespace

TEST_F(Numbers, RandomArithmeticAgreesWithAnExactDecimalModel) {
  int exact = 0, total = 0;
  for (uint64_t seed : {1u, 2u, 3u}) {
    Generator gen(seed);
    for (int i = 0; i < 800; ++i) {
      auto node = gen.Expression(3);
      if (node->op == 'b') node->op = 'n';  // a bind alone stays text
      std::vector<std::string> binds;
      const std::string expr = Text(*node, binds);
      const std::string what = Described(expr, binds);
      const Outcome want = Evaluate(*node, false);
      const Fetched got = Select(conn_, expr, binds, want.asInt);
      ExpectValue(want, got, what);
      if (HasFatalFailure()) return;
      if (want.error) continue;
      ++total;
      exact += !want.wide;
      // Oracle's text wherever the value has at most 15 digits (the text form's own limit).
      if (want.v.m.size() <= 15) {
        EXPECT_EQ(got.text, OracleText(want.v)) << what;
      }
      if (auto fixed = FixedText(want.v)) {
        EXPECT_EQ(got.fixed, *fixed) << what;
      }
    }
  }
  // The generator keeps most expressions within 15 digits, where the model is Oracle.
  EXPECT_GT(exact, total / 2) << exact << " of " << total;
}

TEST_F(Numbers, RandomArithmeticInPlsqlAgreesWithTheModel) {
  Generator gen(4);
  for (int i = 0; i < 600; ++i) {
    auto node = gen.Expression(3);
    std::vector<std::string> binds;
    const std::string expr = Text(*node, binds);
    const Outcome want = Evaluate(*node, true);
    Statement st(conn_);
    ASSERT_EQ(st.Parse("BEGIN :R := " + expr + "; END;"), 0) << expr << " " << st.Error();
    BindAll(st, binds);
    Fetched got;
    sb2 ind = 0;
    ASSERT_EQ(Oci().obndra(st.cda(), T("R"), -1, reinterpret_cast<ub1*>(&got.real), 8, kExtFloat,
                           -1, &ind, nullptr, nullptr, 0, nullptr, nullptr, -1, -1),
              0);
    got.rc = st.Exec();
    ExpectValue(want, got, Described(expr, binds));
    if (HasFatalFailure()) return;
  }
}

TEST_F(Numbers, RandomValuesStoreInNumberColumnsAsTheModelRoundsThem) {
  static const std::pair<int, int> kTypes[] = {{15, 2},  {10, 4}, {5, -2},
                                               {15, 14}, {3, 5},  {18, 0}};
  Statement st(conn_);
  std::string create = "CREATE TABLE stored (k NUMBER";
  for (size_t j = 0; j < std::size(kTypes); ++j)
    create += ", c" + std::to_string(j) + " NUMBER(" + std::to_string(kTypes[j].first) + "," +
              std::to_string(kTypes[j].second) + ")";
  ASSERT_EQ(st.Run(create + ")"), 0) << st.Error();
  Generator gen(5);
  for (int k = 0; k < 600; ++k) {
    auto node = gen.Expression(2);
    std::vector<std::string> binds;
    const std::string expr = Text(*node, binds);
    const size_t j = size_t(gen.Pick(std::size(kTypes)));
    const auto [precision, scale] = kTypes[j];
    Outcome want = Evaluate(*node, false);
    if (!want.error) {
      Exact r = Rounded(want.v, scale, false);
      want = !r.Zero() && r.Lead() > precision - scale ? Outcome{1438, {}, false, false}
                                                       : Keep(r, false);
    }
    const std::string column = "c" + std::to_string(j);
    Statement ins(conn_);
    ASSERT_EQ(ins.Parse("INSERT INTO stored (k, " + column + ") VALUES (" + std::to_string(k) +
                        ", " + expr + ")"),
              0)
        << expr;
    BindAll(ins, binds);
    const int rc = ins.Exec();
    const std::string what = Described(expr, binds) + " in NUMBER(" + std::to_string(precision) +
                             "," + std::to_string(scale) + ")";
    ASSERT_EQ(rc, want.error) << what;
    if (rc) continue;
    Fetched got =
        Select(conn_, "(SELECT " + column + " FROM stored WHERE k = " + std::to_string(k) + ")", {},
               want.asInt);
    ExpectValue(want, got, what);
    if (HasFatalFailure()) return;
  }
}
