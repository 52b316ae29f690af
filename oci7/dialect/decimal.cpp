#include "oci7/dialect/decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "oci7/dialect/ora_error.h"
#include "oci7/ora_codes.h"

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
    return EngineNumber::Real(InOracleRange(x.m < 0 ? -d : d));
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
  return EngineNumber::Real(InOracleRange(x.m < 0 ? -d : d));
}

// The position of the leading digit: 10^(Lead-1) <= |x| < 10^Lead (x not zero).
int Lead(const Dec& x) {
  return DigitCount(Magnitude(x.m)) + x.e;
}

// x rounded half away from zero (or truncated) to 10^-places.  The mantissa of a number
// has at most 19 digits (int64; a double's shortest text has 17), so that one power of
// ten divides off what goes.
Dec RoundDec(const Dec& x, long long places, bool truncate) {
  const long long drop = -places - x.e;
  if (x.m == 0 || drop <= 0) return x;
  const UWide mag = Magnitude(x.m);
  UWide kept = 0;
  if (drop <= DigitCount(mag)) {
    const UWide unit = Pow10(int(drop));
    kept = mag / unit;
    if (!truncate && mag % unit >= unit / 2) ++kept;
  }
  if (kept == 0) return Dec{};
  return Dec{x.m < 0 ? -Wide(kept) : Wide(kept), int(-places)};
}

// a - b * TRUNC(a / b), or with `nearest` a - b * ROUND(a / b), exactly.
EngineNumber Remainder(EngineNumber a, EngineNumber b, bool nearest) {
  if (b.AsDouble() == 0) return a;
  if (!nearest && a.isInt && b.isInt) return EngineNumber::Int(b.i == -1 ? 0 : a.i % b.i);
  auto x = FromNumber(a), y = FromNumber(b);
  if (!x || !y) return EngineNumber::Real(InOracleRange(std::fmod(a.AsDouble(), b.AsDouble())));
  if (x->m == 0) return EngineNumber::Int(0);
  // Both at the smaller exponent: |x| mod |y| on the mantissas.  Mantissas have at most
  // 19 digits, so the remainder times 10^18, and |y| times 10^19, still fit.
  UWide n = Magnitude(y->m), r = Magnitude(x->m);
  if (x->e >= y->e) {
    r %= n;
    for (int shift = x->e - y->e; shift > 0;) {
      const int k = std::min(shift, 18);
      r = r * Pow10(k) % n;
      shift -= k;
    }
  } else if (y->e - x->e <= 19) {
    n *= Pow10(y->e - x->e);
    r %= n;
  } else {
    n = 0;  // |y| is beyond 10^19 times the unit of x: x is its own remainder
  }
  bool negative = x->m < 0;
  if (nearest && n != 0 && 2 * r >= n) {
    r = n - r;
    negative = !negative;
  }
  return ToNumber(Dec{negative ? -Wide(r) : Wide(r), std::min(x->e, y->e)});
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

// big + small where small lies below what one mantissa holds beside big: big widened to
// 36 digits, small in units of its last digit, and what small has below that unit as one
// sticky digit, which is all the nearest double needs to know of it.
EngineNumber AddFar(const Dec& big, const Dec& small) {
  const int k = kMaxDigits - 1 - DigitCount(Magnitude(big.m));
  const UWide wide = Magnitude(big.m) * Pow10(k);
  const int unit = big.e - k;  // > small.e, or the two would have aligned
  const UWide s = Magnitude(small.m);
  const int below = unit - small.e;
  const UWide units = below > kMaxDigits ? 0 : s / Pow10(below);
  const bool rest = below > kMaxDigits ? s != 0 : s % Pow10(below) != 0;
  UWide m;
  if ((big.m < 0) == (small.m < 0)) {
    m = (wide + units) * 10 + (rest ? 1 : 0);
  } else {
    m = rest ? (wide - units - 1) * 10 + 1 : (wide - units) * 10;
  }
  return ToNumber(Dec{big.m < 0 ? -Wide(m) : Wide(m), unit - 1});
}

EngineNumber InDouble(char op, double x, double y) {
  return EngineNumber::Real(InOracleRange(op == '+'   ? x + y
                                          : op == '-' ? x - y
                                          : op == '*' ? x * y
                                                      : x / y));
}

}  // namespace

double InOracleRange(double d) {
  const double magnitude = std::fabs(d);
  if (!(magnitude < kNumberOverflow)) throw EngineError(kOraNumericOverflow);
  return magnitude < kNumberUnderflow ? 0.0 : d;
}

EngineNumber DecimalMod(EngineNumber a, EngineNumber b) {
  return Remainder(a, b, false);
}

EngineNumber DecimalRemainder(EngineNumber a, EngineNumber b) {
  return Remainder(a, b, true);
}

EngineNumber DecimalRound(EngineNumber n, int places, bool truncate) {
  if (n.isInt && places >= 0) return n;
  auto x = FromNumber(n);
  if (!x || x->e >= -places) return n;
  return ToNumber(RoundDec(*x, places, truncate));
}

std::optional<int64_t> DecimalToInteger(EngineNumber n) {
  if (n.isInt) return n.i;
  auto x = FromNumber(n);
  if (!x || Lead(*x) > 19) return std::nullopt;
  const Dec r = RoundDec(*x, 0, false);
  if (r.m == 0) return 0;
  const UWide whole = Magnitude(r.m) * Pow10(r.e);
  if (whole > UWide(INT64_MAX) + (r.m < 0)) return std::nullopt;
  return r.m < 0 ? int64_t(UWide(0) - whole) : int64_t(whole);
}

std::optional<EngineNumber> DecimalFit(EngineNumber n, int precision, int scale) {
  auto x = FromNumber(n);
  if (!x) return n;
  const bool rounds = scale != -127 && !(precision == 0 && scale == 0);
  const Dec r = rounds ? RoundDec(*x, scale, false) : *x;
  if (precision > 0 && r.m != 0 && Lead(r) > precision - scale) return std::nullopt;
  // An integral double becomes the integer it stands for: a column would otherwise keep
  // the integer of its binary value, which beyond 2^53 has other digits.
  if (r.m == x->m && r.e == x->e && (n.isInt || r.e < 0)) return n;
  return ToNumber(r);
}

DecimalDigits DigitsOf(EngineNumber n) {
  DecimalDigits out;
  auto x = FromNumber(n);
  if (!x || x->m == 0) return out;
  out.negative = x->m < 0;
  out.exponent = x->e;
  for (UWide m = Magnitude(x->m); m; m /= 10) out.digits.push_back(char('0' + int(m % 10)));
  std::reverse(out.digits.begin(), out.digits.end());
  while (out.digits.back() == '0') out.digits.pop_back(), ++out.exponent;
  return out;
}

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
      if (op == '-') y->m = -y->m;
      if (!Align(*x, *y)) return x->e > y->e ? AddFar(*x, *y) : AddFar(*y, *x);
      return ToNumber(Dec{x->m + y->m, x->e});
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
  return EngineNumber::Real(InOracleRange(double(approx_)));
}

std::optional<EngineNumber> DecimalSum::Average() const {
  if (count_ == 0) return std::nullopt;
  if (exact_) return Divide(Dec{mantissa_, exponent_}, Dec{count_, 0});
  return EngineNumber::Real(InOracleRange(double(approx_ / static_cast<long double>(count_))));
}

}  // namespace tess::oci7
