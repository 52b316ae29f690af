#include "oci7/dialect/decimal.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace tess::oci7 {
namespace {

__extension__ using Wide = __int128;
__extension__ using UWide = unsigned __int128;

// Mantissas stay below 10^37 so that one more digit still fits.
constexpr int kMaxDigits = 37;

struct Powers {
  UWide p[kMaxDigits + 2];
  constexpr Powers() : p() {
    p[0] = 1;
    for (int i = 1; i < kMaxDigits + 2; ++i) p[i] = p[i - 1] * 10;
  }
};
constexpr Powers kPowers;

// 10^k for k from 0 to 38.
UWide Pow10(int k) {
  return kPowers.p[k];
}

const UWide kLimit = Pow10(kMaxDigits);

UWide Magnitude(Wide m) {
  return m < 0 ? UWide(0) - UWide(m) : UWide(m);
}

int DigitCount(UWide m) {
  int n = 1;
  while (m >= 10) m /= 10, ++n;
  return n;
}

// value = m * 10^e
struct Dec {
  Wide m = 0;
  int e = 0;
};

// The decimal a double stands for: its shortest round-trip text.
std::optional<Dec> FromDouble(double d) {
  if (!std::isfinite(d)) return std::nullopt;
  if (d == 0) return Dec{};
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(d), std::chars_format::scientific);
  Dec x;
  const char* p = buf;
  int fraction = 0;
  bool afterPoint = false;
  for (; p < res.ptr && *p != 'e'; ++p) {
    if (*p == '.') {
      afterPoint = true;
      continue;
    }
    x.m = x.m * 10 + (*p - '0');
    if (afterPoint) ++fraction;
  }
  int exponent = 0;
  if (p < res.ptr) {
    ++p;
    if (*p == '+') ++p;
    std::from_chars(p, res.ptr, exponent);
  }
  x.e = exponent - fraction;
  if (d < 0) x.m = -x.m;
  return x;
}

std::optional<Dec> FromNumber(EngineNumber n) {
  if (n.isInt) return Dec{n.i, 0};
  return FromDouble(n.d);
}

// Brings both to the smaller exponent; false when a mantissa would grow too large.
bool Align(Dec& a, Dec& b) {
  if (a.m == 0) a.e = b.e;
  if (b.m == 0) b.e = a.e;
  Dec& big = a.e > b.e ? a : b;
  const int shift = std::abs(a.e - b.e);
  if (shift == 0) return true;
  if (shift >= kMaxDigits || Magnitude(big.m) >= kLimit / Pow10(shift)) return false;
  big.m *= Wide(Pow10(shift));
  big.e -= shift;
  return true;
}

EngineNumber ToNumber(Dec x) {
  if (x.m == 0) return EngineNumber::Int(0);
  UWide mag = Magnitude(x.m);
  // Trailing zeros off, in 64 bits where the mantissa fits (128-bit division is slow).
  if (mag <= UWide(UINT64_MAX)) {
    uint64_t m = uint64_t(mag);
    while (m % 10 == 0) m /= 10, ++x.e;
    mag = m;
  } else {
    while (mag % 10 == 0) mag /= 10, ++x.e;
  }
  x.m = x.m < 0 ? -Wide(mag) : Wide(mag);
  if (x.e >= 0 && x.e < 19) {
    UWide whole = mag * Pow10(x.e);
    if (whole <= UWide(INT64_MAX)) {
      int64_t v = int64_t(whole);
      return EngineNumber::Int(x.m < 0 ? -v : v);
    }
  }
  // A mantissa a double holds exactly and a power of ten a double holds exactly: one
  // correctly rounded multiplication or division is the nearest double.
  if (mag < (UWide(1) << 53) && x.e >= -22 && x.e <= 22) {
    static constexpr double kPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double m = double(mag);
    double d = x.e < 0 ? m / kPowers[-x.e] : m * kPowers[x.e];
    return EngineNumber::Real(x.m < 0 ? -d : d);
  }
  // Otherwise from_chars rounds correctly.
  char buf[64];
  char* end = buf + 40;
  char* p = end;
  for (UWide m = mag; m; m /= 10) *--p = char('0' + int(m % 10));
  std::string_view digits(p, size_t(end - p));
  std::string text(digits);
  text += 'e';
  text += std::to_string(x.e);
  double d = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), d);
  if (r.ec == std::errc::result_out_of_range) d = x.e < 0 ? 0.0 : HUGE_VAL;
  return EngineNumber::Real(x.m < 0 ? -d : d);
}

EngineNumber Divide(Dec a, Dec b) {
  UWide num = Magnitude(a.m), den = Magnitude(b.m);
  // As many quotient digits as the width allows, then one sticky digit for the rest so
  // that the final rounding sees whether the quotient was exact.
  const int k = kMaxDigits - DigitCount(num);
  num *= Pow10(k);
  UWide q = num / den, r = num % den;
  Dec x;
  x.m = Wide(q * 10 + (r ? 1 : 0));
  x.e = a.e - k - b.e - 1;
  if ((a.m < 0) != (b.m < 0)) x.m = -x.m;
  return ToNumber(x);
}

EngineNumber InDouble(char op, double x, double y) {
  return EngineNumber::Real(op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y);
}

}  // namespace

EngineNumber DecimalArith(char op, EngineNumber a, EngineNumber b) {
  if (a.isInt && b.isInt && op != '/') {
    long long r = 0;
    bool overflow = op == '+'   ? __builtin_add_overflow(a.i, b.i, &r)
                    : op == '-' ? __builtin_sub_overflow(a.i, b.i, &r)
                                : __builtin_mul_overflow(a.i, b.i, &r);
    if (!overflow) return EngineNumber::Int(r);
  }
  auto x = FromNumber(a), y = FromNumber(b);
  if (!x || !y) return InDouble(op, a.AsDouble(), b.AsDouble());
  switch (op) {
    case '+':
    case '-':
      if (!Align(*x, *y)) return InDouble(op, a.AsDouble(), b.AsDouble());
      return ToNumber(Dec{op == '+' ? x->m + y->m : x->m - y->m, x->e});
    case '*':
      return ToNumber(Dec{x->m * y->m, x->e + y->e});
    default:
      return Divide(*x, *y);
  }
}

void DecimalSum::Add(EngineNumber n) {
  ++count_;
  if (exact_) {
    auto x = FromNumber(n);
    Dec sum{mantissa_, exponent_};
    if (x && Align(sum, *x) && Magnitude(sum.m + x->m) < kLimit) {
      mantissa_ = sum.m + x->m;
      exponent_ = sum.e;
      return;
    }
    exact_ = false;
    approx_ = static_cast<long double>(ToNumber(sum).AsDouble());
  }
  approx_ += static_cast<long double>(n.AsDouble());
}

std::optional<EngineNumber> DecimalSum::Sum() const {
  if (count_ == 0) return std::nullopt;
  if (exact_) return ToNumber(Dec{mantissa_, exponent_});
  return EngineNumber::Real(double(approx_));
}

std::optional<EngineNumber> DecimalSum::Average() const {
  if (count_ == 0) return std::nullopt;
  if (exact_) return Divide(Dec{mantissa_, exponent_}, Dec{count_, 0});
  return EngineNumber::Real(double(approx_ / static_cast<long double>(count_)));
}

}  // namespace tess::oci7
