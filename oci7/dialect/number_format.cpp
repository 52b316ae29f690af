// Number format models.  A model is read into its parts (digits before and after the
// decimal point, where zeros start, group separators, sign and currency placement) and the
// value's decimal digits are rounded and laid out into them right-aligned, with the one
// leading position Oracle keeps for the sign.  Text read through a model must fit it.
#include "oci7/dialect/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {
namespace {

// The currency the session's (American) settings give L, U and C.
constexpr std::string_view kLocalCurrency = "$";
constexpr std::string_view kIsoCurrency = "USD";

struct Model {
  bool fm = false;
  bool leadingSign = false, trailingSign = false;  // S
  bool mi = false, pr = false, blankZero = false;
  std::string_view currency;      // $, L, U or C: the symbol it prints
  bool trailingCurrency = false;  // L, U or C after the digits
  bool eeee = false;
  bool roman = false, romanLower = false;
  int hexDigits = 0;
  bool hexLower = false;
  int intDigits = 0;   // 9 and 0 before the point (or before V)
  int firstZero = -1;  // index among integer digits of the first 0, -1 none
  int fracDigits = 0;
  int fracLastZero = -1;  // last 0 after the point (digits up to it always print)
  int vDigits = 0;        // digits after V (value multiplied by 10^n)
  bool point = false;
  std::vector<int> groups;  // integer digit counts to the right of each separator
  char groupChar = ',';
};

Model ParseModel(std::string_view f) {
  Model m;
  size_t i = 0;
  auto starts = [&](const char* w) {
    size_t n = std::strlen(w);
    if (i + n > f.size()) return false;
    for (size_t k = 0; k < n; ++k) {
      char c = f[i + k];
      if (c >= 'a' && c <= 'z') c = char(c - 32);
      if (c != w[k]) return false;
    }
    return true;
  };
  bool afterV = false;
  bool any = false;
  while (i < f.size()) {
    char c = f[i];
    if (starts("FM")) {
      m.fm = true;
      i += 2;
    } else if (starts("EEEE")) {
      m.eeee = true;
      i += 4;
    } else if (starts("MI")) {
      m.mi = true;
      i += 2;
    } else if (starts("PR")) {
      m.pr = true;
      i += 2;
    } else if (starts("RN")) {
      m.roman = true;
      m.romanLower = f[i] == 'r';
      i += 2;
      any = true;
    } else if (c == 'S' || c == 's') {
      if (any)
        m.trailingSign = true;
      else
        m.leadingSign = true;
      ++i;
    } else if (c == '$') {
      m.currency = kLocalCurrency;
      ++i;
    } else if (c == 'L' || c == 'l' || c == 'C' || c == 'c' || c == 'U' || c == 'u') {
      m.currency = (c == 'C' || c == 'c') ? kIsoCurrency : kLocalCurrency;
      m.trailingCurrency = any;
      ++i;
    } else if (c == 'B' || c == 'b') {
      m.blankZero = true;
      ++i;
    } else if (c == 'X' || c == 'x') {
      m.hexDigits++;
      m.hexLower = c == 'x';
      ++i;
      any = true;
    } else if (c == '9' || c == '0') {
      any = true;
      if (afterV) {
        m.vDigits++;
      } else if (m.point) {
        m.fracDigits++;
        if (c == '0') m.fracLastZero = m.fracDigits;
      } else {
        if (c == '0' && m.firstZero < 0) m.firstZero = m.intDigits;
        m.intDigits++;
        for (int& g : m.groups) g++;
      }
      ++i;
    } else if (c == '.' || c == 'D' || c == 'd') {
      if (m.point) throw EngineError(1481);
      m.point = true;
      ++i;
    } else if (c == 'V' || c == 'v') {
      afterV = true;
      ++i;
    } else if (c == ',' || c == 'G' || c == 'g') {
      if (m.point) throw EngineError(1481);
      m.groups.push_back(0);
      ++i;
    } else {
      throw EngineError(1481);
    }
  }
  if (m.hexDigits && (m.intDigits || m.point)) {
    // Leading zeros with X ('0XXX') widen the hex field.
    if (m.point) throw EngineError(1481);
    m.hexDigits += m.intDigits;
    m.intDigits = 0;
  }
  return m;
}

std::string Roman(int v) {
  static const std::pair<int, const char*> kParts[] = {
      {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
      {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
  std::string out;
  for (auto& [n, s] : kParts) {
    while (v >= n) {
      out += s;
      v -= n;
    }
  }
  return out;
}

int ModelWidth(std::string_view f) {
  int w = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if ((c == 'F' || c == 'f') && i + 1 < f.size() && (f[i + 1] == 'M' || f[i + 1] == 'm')) {
      ++i;
      continue;
    }
    // V and B shape the value but take no place of their own; C takes the ISO code's.
    if (c == 'V' || c == 'v' || c == 'B' || c == 'b') continue;
    w += (c == 'C' || c == 'c') ? int(kIsoCurrency.size()) : 1;
  }
  return w;
}

// Adds one to a string of decimal digits ("" is zero).
void Increment(std::string& digits) {
  size_t k = digits.size();
  while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
  if (k == 0) {
    digits.insert(digits.begin(), '1');
  } else {
    digits[k - 1]++;
  }
}

// |d| rounded half away from zero to `places` decimal places: the digits of the whole
// part (no leading zeros, "" for none) and exactly `places` digits after the point.
void FixedDigits(const DecimalDigits& d, int places, std::string& whole, std::string& fraction) {
  std::string all;  // |d| * 10^places, rounded
  const long long shift = (long long)d.exponent + places;
  if (d.digits.empty()) {
  } else if (shift >= 0) {
    all = d.digits + std::string(size_t(shift), '0');
  } else if (size_t(-shift) <= d.digits.size()) {
    const size_t keep = d.digits.size() - size_t(-shift);
    all = d.digits.substr(0, keep);
    if (d.digits[keep] >= '5') Increment(all);
  }
  if (all.size() < size_t(places) + 1) all.insert(0, size_t(places) + 1 - all.size(), '0');
  whole = all.substr(0, all.size() - size_t(places));
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  fraction = all.substr(all.size() - size_t(places));
}

// |d| as d.ddd with `places` digits after the point, rounded, and its power of ten.
void ScientificDigits(const DecimalDigits& d, int places, std::string& mantissa, int& exponent) {
  const size_t want = size_t(places) + 1;
  mantissa = d.digits;
  exponent = d.digits.empty() ? 0 : d.exponent + int(d.digits.size()) - 1;
  if (mantissa.size() > want) {
    const bool up = mantissa[want] >= '5';
    mantissa.resize(want);
    if (up) Increment(mantissa);
    if (mantissa.size() > want) {  // 9.99 became 10.00
      mantissa.resize(want);
      ++exponent;
    }
  }
  mantissa.append(want - mantissa.size(), '0');
}

}  // namespace

std::string FormatNumberModel(EngineNumber value, std::string_view format) {
  Model m = ParseModel(format);
  // A blank leads for the sign unless the model places the sign itself.
  const bool placesSign = m.leadingSign || m.trailingSign || m.pr || m.mi;
  int width = ModelWidth(format) + 1;
  if (m.leadingSign || m.trailingSign || m.pr) width -= 1;
  if (m.mi) width -= 2;
  auto overflow = [&] { return std::string(size_t(width), '#'); };
  if (m.roman || m.hexDigits) {
    const EngineNumber whole = DecimalRound(value, 0, false);
    const double r = whole.AsDouble();
    if (m.roman) {
      if (r < 1 || r > 3999) return overflow();
      std::string s = Roman(int(r));
      if (m.romanLower) {
        for (char& c : s) c = char(c + 32);
      }
      if (!m.fm && s.size() < 15) s.insert(0, 15 - s.size(), ' ');
      return s;
    }
    if (r < 0 || r >= 1.8e19) return overflow();
    char buf[32];
    std::snprintf(buf, sizeof buf, m.hexLower ? "%llx" : "%llX",
                  whole.isInt ? (unsigned long long)whole.i : (unsigned long long)r);
    std::string s = buf;
    if (int(s.size()) > m.hexDigits) return overflow();
    if (m.firstZero >= 0 || format.find('0') != std::string_view::npos) {
      s.insert(0, size_t(m.hexDigits) - s.size(), '0');
    } else if (!m.fm) {
      s.insert(0, size_t(m.hexDigits) - s.size() + 1, ' ');
    }
    return s;
  }
  DecimalDigits d = DigitsOf(value);
  const bool negative = d.negative;
  const bool zero = d.digits.empty();
  if (!zero) d.exponent += m.vDigits;
  std::string body;
  if (m.eeee) {
    std::string mant;
    int exp10 = 0;
    ScientificDigits(d, m.fracDigits, mant, exp10);
    body = mant.substr(0, 1);
    if (m.point) body += "." + mant.substr(1);
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    body += ebuf;
    // A three-digit exponent widens the field rather than take the sign's place.
    width = std::max(width, int(body.size() + m.currency.size()) + (placesSign ? 0 : 1));
  } else {
    std::string ip, fp;
    FixedDigits(d, m.fracDigits, ip, fp);
    if (int(ip.size()) > m.intDigits + m.vDigits) return overflow();
    // Zeros from the first 0 of the model on.
    if (m.firstZero >= 0) {
      int must = m.intDigits - m.firstZero;
      if (int(ip.size()) < must) ip.insert(0, size_t(must) - ip.size(), '0');
    }
    if (ip.empty() && m.fracDigits == 0) ip = "0";
    if (m.fm) {
      // FM drops trailing zeros of 9 positions.
      int keep = m.fracLastZero < 0 ? 0 : m.fracLastZero;
      while (int(fp.size()) > keep && !fp.empty() && fp.back() == '0') fp.pop_back();
    }
    // Group separators, counted from the right of the integer part.
    std::string grouped;
    for (size_t k = 0; k < ip.size(); ++k) {
      int fromRight = int(ip.size() - k);
      for (int g : m.groups) {
        if (g == fromRight && k > 0) grouped.push_back(m.groupChar);
      }
      grouped.push_back(ip[k]);
    }
    body = grouped;
    if (m.point) body += "." + fp;
  }
  if (m.blankZero && zero) return std::string(size_t(width), ' ');
  if (m.trailingCurrency) {
    body += m.currency;
  } else {
    body.insert(0, m.currency);
  }
  std::string out;
  if (m.leadingSign) {
    out = (negative ? "-" : "+") + body;
  } else if (m.trailingSign) {
    out = body + (negative ? "-" : "+");
  } else if (m.mi) {
    out = body + (negative ? "-" : (m.fm ? "" : " "));
  } else if (m.pr) {
    out = negative ? "<" + body + ">" : (m.fm ? body : " " + body + " ");
  } else {
    out = (negative ? "-" : "") + body;
  }
  if (!m.fm && int(out.size()) < width) out.insert(0, size_t(width) - out.size(), ' ');
  return out;
}

std::optional<double> ParseNumberModel(std::string_view text, std::string_view format) {
  Model m = ParseModel(format);
  // Blanks around the number are the model's padding; inside it they are not.
  std::string_view s = text;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  if (m.hexDigits) {
    if (s.empty() || int(s.size()) > m.hexDigits) return std::nullopt;
    unsigned long long v = 0;
    for (char c : s) {
      int d = (c >= '0' && c <= '9')   ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                       : -1;
      if (d < 0) return std::nullopt;
      v = v * 16 + unsigned(d);
    }
    return double(v);
  }
  if (m.roman || (m.eeee && m.vDigits)) return std::nullopt;
  // The sign where the model puts it, then the currency symbol where the model puts it.
  bool negative = false;
  auto takeFront = [&](std::string_view w) {
    if (w.empty() || s.substr(0, w.size()) != w) return false;
    s.remove_prefix(w.size());
    return true;
  };
  auto takeBack = [&](std::string_view w) {
    if (w.empty() || s.size() < w.size() || s.substr(s.size() - w.size()) != w) return false;
    s.remove_suffix(w.size());
    return true;
  };
  if (m.pr && s.size() >= 2 && s.front() == '<' && s.back() == '>') {
    negative = true;
    s = s.substr(1, s.size() - 2);
  } else if ((m.mi || m.trailingSign) && !s.empty() && (s.back() == '-' || s.back() == '+')) {
    negative = s.back() == '-';
    s.remove_suffix(1);
  } else if (!m.pr) {
    negative = takeFront("-");
    if (!negative) takeFront("+");
  }
  if (m.trailingCurrency) {
    takeBack(m.currency);
  } else {
    takeFront(m.currency);
  }
  // Digits, group separators only where the model has them, a point only where it has
  // one, an exponent only with EEEE; no more digits than the model holds.
  std::string number;
  int whole = 0, fraction = 0;
  size_t i = 0;
  auto digit = [&](size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
  for (; i < s.size() && (digit(i) || (s[i] == ',' && !m.groups.empty())); ++i) {
    if (s[i] == ',') continue;
    if (whole || s[i] != '0') ++whole;  // leading zeros take no position
    number.push_back(s[i]);
  }
  if (i < s.size() && s[i] == '.') {
    if (!m.point) return std::nullopt;
    number.push_back('.');
    for (++i; digit(i); ++i, ++fraction) number.push_back(s[i]);
  }
  if (m.eeee && i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    number.push_back('e');
    if (++i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    for (; digit(i); ++i) number.push_back(s[i]);
  }
  if (i != s.size() || whole > std::max(m.intDigits + m.vDigits, m.eeee ? 1 : 0) ||
      fraction > m.fracDigits)
    return std::nullopt;
  if (m.vDigits) number += "e-" + std::to_string(m.vDigits);
  std::optional<double> v = ParseOracleNumber(number);
  if (!v) return std::nullopt;
  return negative ? -*v : *v;
}

}  // namespace tess::oci7
