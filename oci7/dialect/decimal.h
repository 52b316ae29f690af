// Decimal arithmetic on numbers held as doubles.  A stored number is the double nearest
// to the decimal written; its shortest round-trip text gives that decimal back (up to 17
// significant digits).  Arithmetic, MOD, ROUND, TRUNC, the scale of NUMBER(p,s) and sums
// work on those decimals exactly (a 128-bit mantissa and a power of ten) and give the
// double nearest to the exact result, so 0.1 + 0.2 is the same double as 0.3, a sum of
// cents is exact to the cent and MOD(0.3, 0.1) is 0.  Every result lies in Oracle's range:
// from 10^126 on it is ORA-01426, below 10^-130 it is zero.
// Internal to the dialect; used by the SQL functions and the PL/SQL interpreter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tess::oci7 {

// A number the engine keeps: int64 when integral and in range, else a double.
struct EngineNumber {
  bool isInt = false;
  int64_t i = 0;
  double d = 0;
  double AsDouble() const { return isInt ? double(i) : d; }
  static EngineNumber Int(int64_t v) { return {true, v, 0}; }
  static EngineNumber Real(double v) { return {false, 0, v}; }
};

// Oracle's range on a double: ORA-01426 from 10^126 on (and for infinities and NaN), zero
// below 10^-130.
inline constexpr double kNumberOverflow = 1e126;
inline constexpr double kNumberUnderflow = 1e-130;
double InOracleRange(double d);

// a op b for op '+', '-', '*' or '/' (b not zero for '/'), exactly in decimal where the
// operands' decimals allow, else in double.  An integral result that fits is an int64.
EngineNumber DecimalArith(char op, EngineNumber a, EngineNumber b);

// MOD: a - b * TRUNC(a / b), exact, with a's sign; a when b is zero.
EngineNumber DecimalMod(EngineNumber a, EngineNumber b);
// a - b * ROUND(a / b), exact; a when b is zero.
EngineNumber DecimalRemainder(EngineNumber a, EngineNumber b);

// ROUND (half away from zero) or TRUNC to `places` decimal places (negative places count
// left of the point), on every digit the value holds.
EngineNumber DecimalRound(EngineNumber n, int places, bool truncate);

// The integer nearest the decimal (half away from zero); nullopt beyond 64 bits.
std::optional<int64_t> DecimalToInteger(EngineNumber n);

// A value for NUMBER(precision, scale): rounded to the scale, nullopt when more digits
// than the precision allows are left of it (ORA-01438).  Precision 0 is no limit, scale
// -127 (FLOAT) no rounding.
std::optional<EngineNumber> DecimalFit(EngineNumber n, int precision, int scale);

// The decimal a number stands for: |n| = digits * 10^exponent, digits without leading or
// trailing zeros ("" for zero).
struct DecimalDigits {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};
DecimalDigits DigitsOf(EngineNumber n);

// The exact sum of numbers, for SUM and AVG.
class DecimalSum {
 public:
  void Add(EngineNumber n);
  int64_t Count() const { return count_; }
  std::optional<EngineNumber> Sum() const;
  std::optional<EngineNumber> Average() const;

 private:
  __extension__ using Wide = __int128;
  int64_t count_ = 0;
  Wide mantissa_ = 0;  // the sum is mantissa_ * 10^exponent_ while exact_
  int exponent_ = 0;
  bool exact_ = true;
  long double approx_ = 0;  // the sum once exact_ is lost
};

}  // namespace tess::oci7
