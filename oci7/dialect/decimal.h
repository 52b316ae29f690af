// Decimal arithmetic on numbers held as doubles.  A stored number is the double nearest
// to the decimal written; its shortest round-trip text gives that decimal back (up to 17
// significant digits).  Arithmetic and sums work on those decimals exactly (a 128-bit
// mantissa and a power of ten) and give the double nearest to the exact result, so
// 0.1 + 0.2 is the same double as 0.3, and a sum of cents is exact to the cent.
// Internal to the dialect; used by the SQL functions and the PL/SQL interpreter.
#pragma once

#include <cstdint>
#include <optional>

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

// a op b for op '+', '-', '*' or '/' (b not zero for '/'), exactly in decimal where the
// operands' decimals allow, else in double.  An integral result that fits is an int64.
EngineNumber DecimalArith(char op, EngineNumber a, EngineNumber b);

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
