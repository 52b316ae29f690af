// Number format models.  A model is read into its parts (digits before and after the
// decimal point, where zeros start, group separators, sign and currency placement) and the
// value is laid out into them right-aligned, with the one leading position Oracle keeps
// for the sign.
#include "oci7/dialect/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {
namespace {

struct Model {
  bool fm = false;
  bool leadingSign = false, trailingSign = false;  // S
  bool mi = false, pr = false, blankZero = false;
  bool dollar = false, local = false;
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
      m.dollar = true;
      ++i;
    } else if (c == 'L' || c == 'l' || c == 'C' || c == 'c' || c == 'U' || c == 'u') {
      m.local = true;
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
    // V and B shape the value but take no place of their own.
    if (c == 'V' || c == 'v' || c == 'B' || c == 'b') continue;
    ++w;
  }
  return w;
}

}  // namespace

std::string FormatNumberModel(double value, std::string_view format) {
  Model m = ParseModel(format);
  // A blank leads for the sign unless the model places the sign itself.
  int width = ModelWidth(format) + 1;
  if (m.leadingSign || m.trailingSign || m.pr) width -= 1;
  if (m.mi) width -= 2;
  auto overflow = [&] { return std::string(size_t(width), '#'); };
  if (m.roman) {
    double r = std::round(value);
    if (r < 1 || r > 3999) return overflow();
    std::string s = Roman(int(r));
    if (m.romanLower) {
      for (char& c : s) c = char(c + 32);
    }
    if (!m.fm && s.size() < 15) s.insert(0, 15 - s.size(), ' ');
    return s;
  }
  if (m.hexDigits) {
    double r = std::round(value);
    if (r < 0 || r >= 1.8e19) return overflow();
    char buf[32];
    std::snprintf(buf, sizeof buf, m.hexLower ? "%llx" : "%llX", (unsigned long long)r);
    std::string s = buf;
    if (int(s.size()) > m.hexDigits) return overflow();
    if (m.firstZero >= 0 || format.find('0') != std::string_view::npos) {
      s.insert(0, size_t(m.hexDigits) - s.size(), '0');
    } else if (!m.fm) {
      s.insert(0, size_t(m.hexDigits) - s.size() + 1, ' ');
    }
    return s;
  }
  bool negative = value < 0;
  double mag = std::fabs(value) * std::pow(10.0, m.vDigits);
  std::string body;
  if (m.eeee) {
    int exp10 = mag == 0 ? 0 : int(std::floor(std::log10(mag)));
    double mant = mag == 0 ? 0 : mag / std::pow(10.0, exp10);
    mant = RoundDecimal(mant, m.fracDigits, false);
    if (mant >= 10) {
      mant /= 10;
      ++exp10;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", m.fracDigits, mant);
    body = buf;
    if (!m.point) body = body.substr(0, 1);
    char ebuf[16];
    std::snprintf(ebuf, sizeof ebuf, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    body += ebuf;
  } else {
    char buf[512];
    if (mag >= 1e300) return overflow();
    // printf rounds half to even on the binary value; Oracle rounds the decimal half up.
    std::snprintf(buf, sizeof buf, "%.*f", m.fracDigits, RoundDecimal(mag, m.fracDigits, false));
    std::string s = buf;
    std::string ip = s.substr(0, s.find('.'));
    std::string fp = m.fracDigits ? s.substr(s.find('.') + 1) : "";
    if (ip == "0") ip.clear();
    if (int(ip.size()) > m.intDigits + m.vDigits) return overflow();
    // Zeros from the first 0 of the model on.
    if (m.firstZero >= 0) {
      int must = m.intDigits - m.firstZero;
      if (int(ip.size()) < must) ip.insert(0, size_t(must) - ip.size(), '0');
    }
    if (ip.empty() && fp.empty()) ip = "0";
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
  if (m.blankZero && value == 0) return std::string(size_t(width), ' ');
  std::string prefix;
  if (m.dollar || m.local) prefix = "$";
  std::string out;
  if (m.leadingSign) {
    out = (negative ? "-" : "+") + prefix + body;
  } else if (m.trailingSign) {
    out = prefix + body + (negative ? "-" : "+");
  } else if (m.mi) {
    out = prefix + body + (negative ? "-" : (m.fm ? "" : " "));
  } else if (m.pr) {
    out = negative ? "<" + prefix + body + ">" : (m.fm ? prefix + body : " " + prefix + body + " ");
  } else {
    out = (negative ? "-" : "") + prefix + body;
  }
  if (!m.fm && int(out.size()) < width) out.insert(0, size_t(width) - out.size(), ' ');
  return out;
}

std::optional<double> ParseNumberModel(std::string_view text, std::string_view format) {
  Model m = ParseModel(format);
  std::string s;
  for (char c : text) {
    if (c != ' ') s.push_back(c);
  }
  if (m.hexDigits) {
    if (s.empty()) return std::nullopt;
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
  bool negative = false;
  if (!s.empty() && s.front() == '<' && s.back() == '>') {
    negative = true;
    s = s.substr(1, s.size() - 2);
  }
  if (!s.empty() && (s.back() == '-' || s.back() == '+') && (m.mi || m.trailingSign)) {
    negative = s.back() == '-';
    s.pop_back();
  }
  std::string clean;
  for (char c : s) {
    if (c == ',' || c == '$') continue;
    clean.push_back(c);
  }
  std::optional<double> v = ParseOracleNumber(clean);
  if (!v) return std::nullopt;
  double r = *v / std::pow(10.0, m.vDigits);
  return negative ? -r : r;
}

}  // namespace tess::oci7
