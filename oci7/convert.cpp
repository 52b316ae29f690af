// Values between the caller's buffers and the engine: the external types of bind and
// define buffers, Oracle's text forms of numbers and dates, and truncation with
// indicator and return code.  No buffer is read or written beyond the length the caller
// gave.
#include <cmath>
#include <cstring>

#include "oci7/dialect/decimal.h"
#include "oci7/engine.h"

namespace tess::oci7 {
namespace {

// Oracle's text of an integer: all its digits, no exponent (int64 has at most 19).
size_t IntegerText(int64_t v, char* out) {
  char tmp[24];
  size_t n = 0;
  uint64_t u = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
  do {
    tmp[n++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  size_t k = 0;
  if (v < 0) out[k++] = '-';
  while (n) out[k++] = tmp[--n];
  return k;
}

void HexText(const char* p, size_t n, std::string& out) {
  static const char hex[] = "0123456789ABCDEF";
  out.resize(n * 2);
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    out[2 * i] = hex[c >> 4];
    out[2 * i + 1] = hex[c & 15];
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void HexDecode(const char* p, size_t n, std::string& out) {
  if (n % 2) throw EngineError(1465);
  out.resize(n / 2);
  for (size_t i = 0; i < n / 2; ++i) {
    int hi = HexDigit(p[2 * i]), lo = HexDigit(p[2 * i + 1]);
    if (hi < 0 || lo < 0) throw EngineError(1465);
    out[i] = static_cast<char>(hi * 16 + lo);
  }
}

bool IsTextType(sword ftype) {
  switch (ftype) {
    case kExtVarchar2:
    case kExtString:
    case kExtLong:
    case kExtRowid:
    case kExtChar:
    case kExtCharz:
    case kExtMlsLabel:
      return true;
    default:
      return false;
  }
}

int Finish(const OutSlot& slot, size_t written, size_t full) {
  if (slot.len) *slot.len = static_cast<ub2>(written > 65535 ? 65535 : written);
  if (written < full) {
    if (slot.ind) *slot.ind = full <= 32767 ? static_cast<sb2>(full) : sb2(-2);
    if (slot.rcode) *slot.rcode = 1406;
    return 1406;
  }
  if (slot.ind) *slot.ind = 0;
  if (slot.rcode) *slot.rcode = 0;
  return 0;
}

int PutText(const char* p, size_t n, sword ftype, const OutSlot& slot) {
  size_t bufl = slot.bufl > 0 ? static_cast<size_t>(slot.bufl) : 0;
  bool terminated = ftype == kExtString || ftype == kExtCharz;
  bool padded = ftype == kExtChar || ftype == kExtCharz;
  size_t cap = terminated ? (bufl ? bufl - 1 : 0) : bufl;
  size_t w = n < cap ? n : cap;
  if (slot.buf) {
    if (w) std::memcpy(slot.buf, p, w);
    size_t end = w;
    if (padded && cap > w) {
      std::memset(slot.buf + w, ' ', cap - w);
      end = cap;
    }
    if (terminated && bufl) slot.buf[end] = 0;
    if (padded) {
      int code = Finish(slot, w, n);
      if (slot.len) *slot.len = static_cast<ub2>(end > 65535 ? 65535 : end);
      return code;
    }
  }
  return Finish(slot, w, n);
}

// The integer nearest the decimal a number stands for.
int64_t ToInteger(const ValueRef& v) {
  double d;
  switch (v.kind) {
    case Value::Integer:
      return v.i;
    case Value::Real:
      d = v.r;
      break;
    case Value::Text: {
      auto parsed = ParseOracleNumber(std::string_view(v.p, v.n));
      if (!parsed) throw EngineError(kOraInvalidNumber);
      d = InOracleRange(*parsed);
      break;
    }
    default:
      throw EngineError(1460);
  }
  auto n = DecimalToInteger(EngineNumber::Real(d));
  if (!n) throw EngineError(1455);
  return *n;
}

double ToDouble(const ValueRef& v) {
  switch (v.kind) {
    case Value::Integer:
      return static_cast<double>(v.i);
    case Value::Real:
      return v.r;
    case Value::Text: {
      auto parsed = ParseOracleNumber(std::string_view(v.p, v.n));
      if (!parsed) throw EngineError(kOraInvalidNumber);
      return InOracleRange(*parsed);
    }
    default:
      throw EngineError(1460);
  }
}

// 'YYYY-MM-DD HH24:MI:SS' <-> the 7-byte form (century+100, year+100, month, day,
// hour+1, minute+1, second+1).
bool StoredDateToBytes(std::string_view s, ub1 out[7]) {
  if (!IsStoredDate(s)) return false;
  auto num = [&](size_t at, size_t len) {
    int v = 0;
    for (size_t i = 0; i < len; ++i) v = v * 10 + (s[at + i] - '0');
    return v;
  };
  int year = num(0, 4);
  out[0] = static_cast<ub1>(year / 100 + 100);
  out[1] = static_cast<ub1>(year % 100 + 100);
  out[2] = static_cast<ub1>(num(5, 2));
  out[3] = static_cast<ub1>(num(8, 2));
  out[4] = static_cast<ub1>(num(11, 2) + 1);
  out[5] = static_cast<ub1>(num(14, 2) + 1);
  out[6] = static_cast<ub1>(num(17, 2) + 1);
  return true;
}

std::string BytesToStoredDate(const ub1* b) {
  int year = (b[0] - 100) * 100 + (b[1] - 100);
  int month = b[2], day = b[3], hour = b[4] - 1, minute = b[5] - 1, second = b[6] - 1;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
    throw EngineError(1858);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return buf;
}

}  // namespace

ValueRef RefOf(const Value& v) {
  ValueRef r;
  r.kind = v.kind;
  r.i = v.i;
  r.r = v.r;
  r.p = v.s.data();
  r.n = v.s.size();
  return r;
}

int PutValue(const ValueRef& value, const OracleType& type, const std::string& dateFormat,
             sword ftype, const OutSlot& slot) {
  if (value.kind == Value::Null) {
    if (slot.len) *slot.len = 0;
    if (slot.rcode) *slot.rcode = 1405;
    if (slot.ind) {
      *slot.ind = -1;
      return 0;
    }
    return 1405;
  }
  if (IsTextType(ftype)) {
    char digits[24];
    std::string scratch;
    const char* p = value.p;
    size_t n = value.n;
    switch (value.kind) {
      case Value::Integer:
        n = IntegerText(value.i, digits);
        p = digits;
        break;
      case Value::Real:
        scratch = FormatOracleNumber(value.r);
        p = scratch.data();
        n = scratch.size();
        break;
      case Value::Text:
        if (type.code == kTypeDate && IsStoredDate(std::string_view(p, n))) {
          scratch = FormatOracleDate(std::string_view(p, n), dateFormat);
          p = scratch.data();
          n = scratch.size();
        }
        break;
      case Value::Blob:
        HexText(p, n, scratch);
        p = scratch.data();
        n = scratch.size();
        break;
      default:
        break;
    }
    return PutText(p, n, ftype, slot);
  }
  switch (ftype) {
    case kExtInteger: {
      int64_t v = ToInteger(value);
      switch (slot.bufl) {
        case 1:
          if (v < INT8_MIN || v > INT8_MAX) throw EngineError(1455);
          if (slot.buf) *reinterpret_cast<int8_t*>(slot.buf) = static_cast<int8_t>(v);
          break;
        case 2: {
          if (v < INT16_MIN || v > INT16_MAX) throw EngineError(1455);
          int16_t x = static_cast<int16_t>(v);
          if (slot.buf) std::memcpy(slot.buf, &x, 2);
          break;
        }
        case 4: {
          if (v < INT32_MIN || v > INT32_MAX) throw EngineError(1455);
          int32_t x = static_cast<int32_t>(v);
          if (slot.buf) std::memcpy(slot.buf, &x, 4);
          break;
        }
        case 8:
          if (slot.buf) std::memcpy(slot.buf, &v, 8);
          break;
        default:
          throw EngineError(1460);
      }
      return Finish(slot, static_cast<size_t>(slot.bufl), static_cast<size_t>(slot.bufl));
    }
    case kExtFloat: {
      double d = ToDouble(value);
      if (slot.bufl == 4) {
        float f = static_cast<float>(d);
        if (slot.buf) std::memcpy(slot.buf, &f, 4);
      } else if (slot.bufl == 8) {
        if (slot.buf) std::memcpy(slot.buf, &d, 8);
      } else {
        throw EngineError(1460);
      }
      return Finish(slot, static_cast<size_t>(slot.bufl), static_cast<size_t>(slot.bufl));
    }
    case kExtRaw:
    case kExtLongRaw: {
      if (value.kind == Value::Blob) return PutText(value.p, value.n, kExtRaw, slot);
      if (value.kind != Value::Text) throw EngineError(1460);
      std::string bytes;
      HexDecode(value.p, value.n, bytes);
      return PutText(bytes.data(), bytes.size(), kExtRaw, slot);
    }
    case kExtDate: {
      ub1 b[7];
      if (value.kind != Value::Text || !StoredDateToBytes(std::string_view(value.p, value.n), b))
        throw EngineError(932);
      if (slot.bufl < 7) throw EngineError(1460);
      if (slot.buf) std::memcpy(slot.buf, b, 7);
      return Finish(slot, 7, 7);
    }
    default:
      throw EngineError(1460);
  }
}

Value ReadExternal(sword ftype, const ub1* buf, sword bufl, const sb2* ind, const ub2* alen) {
  Value v;
  if ((ind && *ind < 0) || !buf) return v;
  auto lengthOf = [&]() -> size_t {
    if (bufl < 0) throw EngineError(1460);
    size_t n = alen ? *alen : static_cast<size_t>(bufl);
    if (n > static_cast<size_t>(bufl)) throw EngineError(1458);
    return n;
  };
  const char* p = reinterpret_cast<const char*>(buf);
  switch (ftype) {
    case kExtVarchar2:
    case kExtLong:
    case kExtRowid:
    case kExtChar:
    case kExtMlsLabel: {
      size_t n = lengthOf();
      if (n == 0) return v;  // the empty string is NULL
      v.kind = Value::Text;
      v.s.assign(p, n);
      return v;
    }
    case kExtString:
    case kExtCharz: {
      size_t n;
      if (bufl < 0) {
        n = std::strlen(p);
      } else {
        const void* nul = std::memchr(p, 0, static_cast<size_t>(bufl));
        if (!nul) throw EngineError(1480);
        n = static_cast<size_t>(static_cast<const char*>(nul) - p);
      }
      if (n == 0) return v;
      v.kind = Value::Text;
      v.s.assign(p, n);
      return v;
    }
    case kExtInteger:
      v.kind = Value::Integer;
      switch (bufl) {
        case 1:
          v.i = *reinterpret_cast<const int8_t*>(buf);
          break;
        case 2: {
          int16_t x;
          std::memcpy(&x, buf, 2);
          v.i = x;
          break;
        }
        case 4: {
          int32_t x;
          std::memcpy(&x, buf, 4);
          v.i = x;
          break;
        }
        case 8:
          std::memcpy(&v.i, buf, 8);
          break;
        default:
          throw EngineError(1460);
      }
      return v;
    case kExtFloat:
      v.kind = Value::Real;
      if (bufl == 4) {
        float f;
        std::memcpy(&f, buf, 4);
        v.r = f;
      } else if (bufl == 8) {
        std::memcpy(&v.r, buf, 8);
      } else {
        throw EngineError(1460);
      }
      v.r = InOracleRange(v.r);
      return v;
    case kExtRaw:
    case kExtLongRaw: {
      size_t n = lengthOf();
      if (n == 0) return v;
      v.kind = Value::Blob;
      v.s.assign(p, n);
      return v;
    }
    case kExtDate:
      if (bufl < 7) throw EngineError(1460);
      v.kind = Value::Text;
      v.s = BytesToStoredDate(buf);
      v.oracleType = kTypeDate;
      return v;
    default:
      throw EngineError(1460);
  }
}

std::string ValueText(const Value& value, const std::string& dateFormat) {
  switch (value.kind) {
    case Value::Null:
      return "";
    case Value::Integer: {
      char digits[24];
      return std::string(digits, IntegerText(value.i, digits));
    }
    case Value::Real:
      return FormatOracleNumber(value.r);
    case Value::Text:
      if (value.oracleType == kTypeDate && IsStoredDate(value.s))
        return FormatOracleDate(value.s, dateFormat);
      return value.s;
    case Value::Blob: {
      std::string out;
      HexText(value.s.data(), value.s.size(), out);
      return out;
    }
  }
  return "";
}

}  // namespace tess::oci7
