// See variant_values.h.
#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>

#include <cstdlib>
#include <optional>

#include "olesrv/dispatch.h"
#include "olesrv/variant_values.h"
#include "platform/automation_date.h"

namespace tess::olesrv {

namespace {

// A decimal number: Digits (no leading or trailing zeros; empty for zero) times ten to
// the power -Scale.
struct Decimal {
  bool negative = false;
  std::string digits;
  int scale = 0;
};

// The server's text form: [-]digits[.digits][E(+|-)digits], or [-].digits.
std::optional<Decimal> ParseDecimal(const std::string& Text) {
  Decimal d;
  size_t i = 0;
  if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) d.negative = Text[i++] == '-';
  std::string all;
  size_t fraction = 0, mantissa = 0;
  bool point = false;
  for (; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c >= '0' && c <= '9') {
      all.push_back(c);
      ++mantissa;
      if (point) ++fraction;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (mantissa == 0) return std::nullopt;
  int exponent = 0;
  if (i < Text.size() && (Text[i] == 'E' || Text[i] == 'e')) {
    ++i;
    bool minus = false;
    if (i < Text.size() && (Text[i] == '-' || Text[i] == '+')) minus = Text[i++] == '-';
    size_t start = i;
    for (; i < Text.size() && Text[i] >= '0' && Text[i] <= '9' && exponent < 100000; ++i)
      exponent = exponent * 10 + (Text[i] - '0');
    if (i == start) return std::nullopt;
    if (minus) exponent = -exponent;
  }
  if (i != Text.size()) return std::nullopt;
  const size_t lead = all.find_first_not_of('0');
  if (lead == std::string::npos) return Decimal{};
  d.digits = all.substr(lead);
  d.scale = static_cast<int>(fraction) - exponent;
  while (d.digits.back() == '0') {
    d.digits.pop_back();
    --d.scale;
  }
  return d;
}

// A double holds 15 significant decimal digits.
constexpr size_t kDoubleDigits = 15;
// A DECIMAL: a 96-bit integer and at most 28 places after the point.
constexpr int kDecimalMaxScale = 28;

bool SetDecimal(VARIANT* R, const Decimal& D) {
  std::string digits = D.digits;
  int scale = D.scale;
  if (scale < 0) {
    if (digits.size() + static_cast<size_t>(-scale) > 29) return false;
    digits.append(static_cast<size_t>(-scale), '0');
    scale = 0;
  }
  if (scale > kDecimalMaxScale || digits.size() > 29) return false;
  unsigned __int128 value = 0;
  for (char c : digits) value = value * 10 + static_cast<unsigned>(c - '0');
  if ((value >> 96) != 0) return false;
  DECIMAL dec{};
  dec.scale = static_cast<BYTE>(scale);
  dec.sign = D.negative ? DECIMAL_NEG : 0;
  dec.Hi32 = static_cast<ULONG>(value >> 64);
  dec.Lo64 = static_cast<ULONGLONG>(value);
  // The DECIMAL covers the whole VARIANT, its type field included: the type goes last.
  R->decVal = dec;
  R->vt = VT_DECIMAL;
  return true;
}

}  // namespace

void SetNumber(VARIANT* R, const std::string& Text) {
  if (R == nullptr) return;
  const std::optional<Decimal> d = ParseDecimal(Text);
  if (!d) {
    SetText(R, Text);
    return;
  }
  if (d->digits.empty()) {
    SetInt(R, 0);
    return;
  }
  const size_t wholeDigits = d->digits.size() + static_cast<size_t>(d->scale < 0 ? -d->scale : 0);
  if (d->scale <= 0 && wholeDigits <= 10) {
    long long v = std::strtoll(d->digits.c_str(), nullptr, 10);
    for (int i = 0; i < -d->scale; ++i) v *= 10;
    if (d->negative) v = -v;
    if (v >= INT32_MIN && v <= INT32_MAX) {
      SetInt(R, static_cast<int32_t>(v));
      return;
    }
  }
  if (d->digits.size() <= kDoubleDigits) {
    R->vt = VT_R8;
    R->dblVal = std::strtod(Text.c_str(), nullptr);
    return;
  }
  if (!SetDecimal(R, *d)) SetText(R, Text);
}

bool SetDate(VARIANT* R, const uint8_t Bytes[7]) {
  const std::optional<platform::CivilTime> t = platform::CivilTimeOfDateBytes(Bytes);
  if (!t) return false;
  if (R == nullptr) return true;
  R->vt = VT_DATE;
  R->date = platform::AutomationDateOf(*t);
  return true;
}

}  // namespace tess::olesrv
