// Oracle's text form of numbers: no leading zero before the point (".5"), no trailing
// zeros after it, and scientific notation once the plain form would not fit the
// 40-character field Oracle prints numbers in.  Doubles are printed to 15 significant
// digits, the precision a double holds in decimal, so 0.1 + 0.2 prints ".3" as Oracle's
// decimal arithmetic would give.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "oci7/dialect/decimal.h"
#include "oci7/dialect/dialect.h"
#include "oci7/dialect/number_format.h"

namespace tess::oci7 {
namespace {

constexpr size_t kFieldWidth = 40;

// digits: significant digits without leading/trailing zeros; exponent: value is
// 0.d1d2d3... * 10^exponent.
std::string Layout(bool negative, const std::string& digits, int exponent) {
  std::string out;
  if (negative) out.push_back('-');
  const int nd = int(digits.size());
  if (exponent >= nd) {
    // Integer: digits then zeros.
    std::string s = out + digits + std::string(size_t(exponent - nd), '0');
    if (s.size() <= kFieldWidth) return s;
  } else if (exponent <= 0) {
    std::string s = out + "." + std::string(size_t(-exponent), '0') + digits;
    if (s.size() <= kFieldWidth) return s;
  } else {
    return out + digits.substr(0, size_t(exponent)) + "." + digits.substr(size_t(exponent));
  }
  // Scientific: d.ddddE+xx, at least one digit after the point.
  std::string mant = digits.substr(0, 1) + "." + (nd > 1 ? digits.substr(1) : std::string("0"));
  int e = exponent - 1;
  char buf[16];
  std::snprintf(buf, sizeof buf, "E%c%02d", e < 0 ? '-' : '+', e < 0 ? -e : e);
  return out + mant + buf;
}

// The most places after the point the short way tries, and its powers of ten (exact).
constexpr int kFixedScaleMax = 9;
constexpr double kPowersOfTen[kFixedScaleMax + 1] = {1,   10,  100, 1000, 1e4,
                                                     1e5, 1e6, 1e7, 1e8,  1e9};
// Below this, a fixed-scale value has at most 15 significant digits, all its own.
constexpr double kFifteenDigits = 1e15;

// Sign, integer digits, point and fraction digits of Digits / 10^Places, written backwards
// from End, returning the start: no zero trails the fraction and none leads the point
// ("-.05").
char* WriteFixed(char* End, bool Negative, uint64_t Digits, int Places) {
  for (; Places > 0 && Digits % 10 == 0; --Places) Digits /= 10;
  char* p = End;
  for (int i = 0; i < Places; ++i, Digits /= 10) *--p = char('0' + Digits % 10);
  if (Places > 0) *--p = '.';
  if (Digits == 0 && Places == 0) *--p = '0';
  for (; Digits > 0; Digits /= 10) *--p = char('0' + Digits % 10);
  if (Negative) *--p = '-';
  return p;
}

}  // namespace

std::string FormatOracleNumber(int64_t value) {
  // Every int64 fits the 40-character field: its digits as they are.
  char buf[24];
  char* end = buf + sizeof buf;
  const bool negative = value < 0;
  // Magnitude as unsigned so that INT64_MIN has one.
  const uint64_t mag = negative ? uint64_t(0) - uint64_t(value) : uint64_t(value);
  char* start = WriteFixed(end, negative, mag, 0);
  return std::string(start, size_t(end - start));
}

std::string FormatOracleNumber(double value) {
  // The short way for integral and fixed-scale values (amounts with cents, counts): the
  // value is the double nearest Digits / 10^Places for some Places up to kFixedScaleMax,
  // with Digits below 10^15.  That decimal is then the value's shortest text of at most
  // 15 digits, the one the general way prints (FormatOracleNumberByDigits), found with a
  // multiplication instead of a conversion to digits and back.
  const double mag = std::fabs(value);
  if (mag < kFifteenDigits && mag != 0) {
    for (int places = 0; places <= kFixedScaleMax; ++places) {
      const double scaled = mag * kPowersOfTen[places];
      if (scaled >= kFifteenDigits) break;
      const double digits = std::nearbyint(scaled);
      if (digits / kPowersOfTen[places] != mag) continue;
      char buf[24];
      char* end = buf + sizeof buf;
      char* start = WriteFixed(end, value < 0, uint64_t(digits), places);
      return std::string(start, size_t(end - start));
    }
  }
  return FormatOracleNumberByDigits(value);
}

std::string FormatOracleNumberByDigits(double value) {
  if (std::isnan(value)) return "~";
  if (std::isinf(value)) return value < 0 ? "-~" : "~";
  if (value == 0) return "0";
  // Integral values that an int64 holds print all their digits: below 2^53 the double is
  // the integer itself; beyond, it stands for its shortest decimal, whose digits are
  // printed rather than those of its binary value.
  if (std::fabs(value) < 9.0e18 && value == std::trunc(value)) {
    if (std::fabs(value) < 9007199254740992.0) return FormatOracleNumber(int64_t(value));
    DecimalDigits d = DigitsOf(EngineNumber::Real(value));
    return Layout(d.negative, d.digits, d.exponent + int(d.digits.size()));
  }
  std::string digits;
  int e10 = 0;
  SignificantDigits(value, digits, e10);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return Layout(value < 0, digits, e10 + 1);
}

void SignificantDigits(double value, std::string& digits, int& exponent) {
  char buf[64];
  const double magnitude = std::fabs(value);
  // The shortest text that reads back as the value costs a fraction of a printf-style
  // conversion.  When it has at most 15 significant digits it is also the value rounded
  // to 15 (it lies within half a unit of the last place of the double, well inside half
  // a step of the 15-digit grid), so the slow conversion is only needed beyond that.
  // Subnormal doubles hold fewer digits than that: they always take the slow way.
  auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
  std::string_view s(buf, size_t(res.ptr - buf));  // "d[.ddd]e[+-]xx"
  size_t epos = s.find('e');
  if ((epos > 1 ? epos - 1 : epos) > 15 || !std::isnormal(magnitude)) {
    res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    s = std::string_view(buf, size_t(res.ptr - buf));
    epos = s.find('e');
  }
  digits.clear();
  for (char c : s.substr(0, epos)) {
    if (c != '.') digits.push_back(c);
  }
  if (digits.size() < 15) digits.append(15 - digits.size(), '0');
  const char* e = s.data() + epos + 1;
  if (*e == '+') ++e;
  std::from_chars(e, s.data() + s.size(), exponent);
}

std::optional<double> ParseOracleNumber(std::string_view text) {
  size_t b = 0, e = text.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (b < e && blank(text[b])) ++b;
  while (e > b && blank(text[e - 1])) --e;
  std::string_view s = text.substr(b, e - b);
  if (s.empty()) return std::nullopt;
  size_t i = 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') {
    negative = s[i] == '-';
    ++i;
  }
  size_t start = i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    size_t d0 = k;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    if (k == d0) return std::nullopt;
    i = k;
  }
  if (i != s.size()) return std::nullopt;
  std::string body(s.substr(start));
  // from_chars does not take a leading '.', so give it a zero.
  if (body[0] == '.') body.insert(body.begin(), '0');
  double v = 0;
  auto r = std::from_chars(body.data(), body.data() + body.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    // Too small for a double is zero; too large is out of range.
    size_t e = body.find_first_of("eE");
    v = (e != std::string::npos && e + 1 < body.size() && body[e + 1] == '-') ? 0.0 : HUGE_VAL;
  } else if (r.ec != std::errc() || r.ptr != body.data() + body.size()) {
    return std::nullopt;
  }
  return negative ? -v : v;
}

}  // namespace tess::oci7
