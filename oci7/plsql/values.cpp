// Values of the interpreter: construction, copies, PL/SQL's implicit conversions on
// assignment (with the server's ORA-06502 when a value does not fit), comparison, LIKE,
// and date arithmetic on the stored date form.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "oci7/dialect/decimal.h"
#include "oci7/dialect/dialect.h"
#include "oci7/plsql/interp.h"

namespace tess::oci7::plsql {

Value Value::Num(double n) {
  Value v;
  v.kind = Number;
  v.number = InOracleRange(n);  // no negative zero either
  return v;
}

Value Value::Str(std::string s) {
  Value v;
  if (s.empty()) return v;
  v.kind = Text;
  v.text = std::move(s);
  return v;
}

Value Value::DateOf(std::string stored) {
  Value v;
  v.kind = Date;
  v.text = std::move(stored);
  return v;
}

Value Value::Bool(bool b) {
  Value v;
  v.kind = Boolean;
  v.boolean = b;
  return v;
}

Value Value::RawOf(std::string bytes) {
  Value v;
  if (bytes.empty()) return v;
  v.kind = Raw;
  v.text = std::move(bytes);
  return v;
}

Value Value::Copy() const {
  Value v = *this;
  if (record) {
    auto r = std::make_shared<RecordValue>();
    r->names = record->names;
    for (const Value& f : record->values) r->values.push_back(f.Copy());
    v.record = std::move(r);
  }
  if (table) {
    auto t = std::make_shared<TableValue>();
    for (const auto& [k, e] : table->elements) t->elements.emplace(k, e.Copy());
    v.table = std::move(t);
  }
  return v;
}

int RecordValue::Find(const std::string& name) const {
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------
// Messages

std::string OraText(int code, const std::string& detail) {
  const char* text = nullptr;
  switch (code) {
    case 1:
      text = "User-Defined Exception";
      break;
    case 6500:
      text = "PL/SQL: storage error";
      break;
    case 6501:
      text = "PL/SQL: program error";
      break;
    case 6502:
      text = "PL/SQL: numeric or value error";
      break;
    case 6503:
      text = "PL/SQL: Function returned without value";
      break;
    case 6504:
      text = "PL/SQL: Return types of Result Set variables or query do not match";
      break;
    case 6510:
      text = "PL/SQL: unhandled user-defined exception";
      break;
    case 6511:
      text = "PL/SQL: cursor already open";
      break;
    case 6530:
      text = "Reference to uninitialized composite";
      break;
    case 6531:
      text = "Reference to uninitialized collection";
      break;
    case 6532:
      text = "Subscript outside of limit";
      break;
    case 6533:
      text = "Subscript beyond count";
      break;
    case 6550:
      text = "";
      break;
    case 6592:
      text = "CASE not found while executing CASE statement";
      break;
    case 21000:
      text = "error number argument to raise_application_error of %s is out of range";
      break;
    default:
      break;
  }
  if (code == 1) return "User-Defined Exception";
  char num[32];
  std::snprintf(num, sizeof num, "ORA-%05d: ", code);
  if (!text) {
    // The dialect's table; it gives "Message nnnnn not found" for codes it lacks, so
    // 20000-20999 (raise_application_error) keep only their own text.
    if (code >= 20000 && code <= 20999) return num + detail;
    std::string m = OraMessage(code, detail);
    return m;
  }
  std::string t = text;
  size_t at = t.find("%s");
  if (at != std::string::npos) return num + t.replace(at, 2, detail);
  if (code == 6502 && !detail.empty()) return num + t + ": " + detail;
  return num + t + detail;
}

PlsqlException MakeException(int code, const std::string& detail) {
  PlsqlException e;
  e.code = code;
  e.message = OraText(code, detail);
  return e;
}

void Raise(int code, const std::string& detail) {
  throw MakeException(code, detail);
}

void ThrowValueError(const std::string& detail) {
  Raise(6502, detail);
}

// ---------------------------------------------------------------------------------------
// Conversions

std::optional<double> ToNumber(const Value& v) {
  switch (v.kind) {
    case Value::Null:
      return std::nullopt;
    case Value::Number:
      return v.number;
    case Value::Text: {
      std::optional<double> d = ParseOracleNumber(v.text);
      if (!d) ThrowValueError("character to number conversion error");
      return InOracleRange(*d);
    }
    default:
      ThrowValueError("");
  }
}

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string ValueToText(const Value& v, const std::string& dateFormat) {
  switch (v.kind) {
    case Value::Null:
      return {};
    case Value::Number:
      return FormatOracleNumber(v.number);
    case Value::Text:
      return v.text;
    case Value::Date:
      return FormatOracleDate(v.text, dateFormat);
    case Value::Raw:
      return Hex(v.text);
    default:
      ThrowValueError("");
  }
}

Value Coerce(const Value& v, const Type& t, const std::string& dateFormat) {
  if (v.kind == Value::Null) {
    if (t.notNull) ThrowValueError("");
    return v;
  }
  switch (t.base) {
    case Type::Any:
      return v.Copy();
    case Type::Number:
    case Type::Integer: {
      if (v.kind == Value::Boolean || v.kind == Value::Date || v.kind == Value::Record ||
          v.kind == Value::Table || v.kind == Value::Cursor)
        ThrowValueError("");
      double n = *ToNumber(v);
      if (t.base == Type::Integer) {
        n = std::round(n);
        if (std::fabs(n) > 2147483647.0) ThrowValueError("");
      } else if (t.hasScale || t.precision) {
        auto fitted = DecimalFit(EngineNumber::Real(n), t.precision, t.scale);
        if (!fitted) ThrowValueError("number precision too large");
        n = fitted->AsDouble();
      }
      return Value::Num(n);
    }
    case Type::Varchar:
    case Type::Char:
    case Type::Long:
    case Type::Rowid: {
      std::string s = ValueToText(v, dateFormat);
      if (t.length && static_cast<int>(s.size()) > t.length)
        ThrowValueError("character string buffer too small");
      if (t.base == Type::Char && t.length) s.resize(static_cast<size_t>(t.length), ' ');
      Value out = Value::Str(std::move(s));
      out.fixedChar = t.base == Type::Char && out.kind == Value::Text;
      return out;
    }
    case Type::Date:
      if (v.kind == Value::Date) return v;
      if (v.kind == Value::Text) return Value::DateOf(ParseOracleDate(v.text, dateFormat));
      ThrowValueError("");
    case Type::Boolean:
      if (v.kind != Value::Boolean) ThrowValueError("");
      return v;
    case Type::Raw: {
      std::string bytes;
      if (v.kind == Value::Raw) {
        bytes = v.text;
      } else if (v.kind == Value::Text) {
        if (v.text.size() % 2) ThrowValueError("hex to raw conversion error");
        for (size_t i = 0; i < v.text.size(); i += 2) {
          int hi = HexDigit(v.text[i]), lo = HexDigit(v.text[i + 1]);
          if (hi < 0 || lo < 0) ThrowValueError("hex to raw conversion error");
          bytes += static_cast<char>(hi * 16 + lo);
        }
      } else {
        ThrowValueError("");
      }
      if (t.length && static_cast<int>(bytes.size()) > t.length)
        ThrowValueError("raw variable length too long");
      return Value::RawOf(std::move(bytes));
    }
    case Type::Record: {
      if (v.kind != Value::Record) ThrowValueError("");
      if (t.fields.empty()) return v.Copy();
      if (v.record->values.size() != t.fields.size()) Raise(6504);
      auto r = std::make_shared<RecordValue>();
      for (size_t i = 0; i < t.fields.size(); ++i) {
        r->names.push_back(t.fields[i].first);
        r->values.push_back(Coerce(v.record->values[i], *t.fields[i].second, dateFormat));
      }
      Value out;
      out.kind = Value::Record;
      out.record = std::move(r);
      return out;
    }
    case Type::Table:
      if (v.kind != Value::Table) ThrowValueError("");
      return v.Copy();
    case Type::RefCursor:
      if (v.kind != Value::Cursor) ThrowValueError("");
      return v;
  }
  return v;
}

int Compare(const Value& a, const Value& b, const std::string& dateFormat) {
  auto sign = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
  if (a.kind == Value::Number || b.kind == Value::Number) {
    if (a.kind == Value::Date || b.kind == Value::Date || a.kind == Value::Boolean ||
        b.kind == Value::Boolean)
      ThrowValueError("");
    return sign(*ToNumber(a), *ToNumber(b));
  }
  if (a.kind == Value::Date || b.kind == Value::Date) {
    auto stored = [&](const Value& v) {
      if (v.kind == Value::Date) return v.text;
      if (v.kind == Value::Text) return ParseOracleDate(v.text, dateFormat);
      ThrowValueError("");
    };
    return sign(stored(a), stored(b));
  }
  if (a.kind == Value::Boolean && b.kind == Value::Boolean) return sign(a.boolean, b.boolean);
  if ((a.kind == Value::Text || a.kind == Value::Raw) &&
      (b.kind == Value::Text || b.kind == Value::Raw)) {
    if (a.fixedChar && b.fixedChar && a.text.size() != b.text.size()) {
      // The shorter is padded with blanks to the longer's length.
      std::string x = a.text, y = b.text;
      x.resize(std::max(x.size(), y.size()), ' ');
      y.resize(x.size(), ' ');
      return sign(x, y);
    }
    return sign(a.text, b.text);
  }
  ThrowValueError("");
}

bool LikeMatch(const std::string& s, const std::string& p, int escape) {
  // Iterative matching with one backtrack point for the last '%'.
  size_t si = 0, pi = 0, starP = std::string::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size()) {
      char c = p[pi];
      if (escape >= 0 && c == static_cast<char>(escape) && pi + 1 < p.size()) {
        if (p[pi + 1] == s[si]) {
          pi += 2;
          ++si;
          continue;
        }
      } else if (c == '%') {
        starP = pi++;
        starS = si;
        continue;
      } else if (c == '_' || c == s[si]) {
        ++pi;
        ++si;
        continue;
      }
    }
    if (starP == std::string::npos) return false;
    pi = starP + 1;
    si = ++starS;
  }
  while (pi < p.size() && p[pi] == '%') ++pi;
  return pi == p.size();
}

// ---------------------------------------------------------------------------------------
// Dates: days from a civil date and back (proleptic Gregorian), seconds within the day.

namespace {

int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = yoe + era * 400;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y += m <= 2;
}

int64_t Seconds(const std::string& stored) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (std::sscanf(stored.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) < 3)
    ThrowValueError("");
  return DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

std::string Stored(int64_t seconds) {
  int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
  int64_t rest = seconds - days * 86400;
  int64_t y;
  int m, d;
  CivilFromDays(days, y, m, d);
  if (y < 1 || y > 9999) Raise(1841, "");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02d-%02d %02lld:%02lld:%02lld", static_cast<long long>(y),
                m, d, static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                static_cast<long long>(rest % 60));
  return buf;
}

}  // namespace

std::string DateAddDays(const std::string& stored, double days) {
  return Stored(Seconds(stored) + static_cast<int64_t>(std::llround(days * 86400.0)));
}

double DateDiffDays(const std::string& a, const std::string& b) {
  return static_cast<double>(Seconds(a) - Seconds(b)) / 86400.0;
}

// ---------------------------------------------------------------------------------------
// Types

TypePtr AnyType() {
  static const TypePtr any = std::make_shared<Type>();
  return any;
}

TypePtr TypeFromColumn(const ColumnType& c) {
  auto t = std::make_shared<Type>();
  switch (c.type) {
    case 1:
      t->base = Type::Varchar;
      t->length = c.length;
      break;
    case 96:
      t->base = Type::Char;
      t->length = c.length;
      break;
    case 8:
      t->base = Type::Long;
      break;
    case 2:
      t->base = Type::Number;
      t->precision = c.precision;
      t->scale = c.scale;
      t->hasScale = c.hasScale;
      break;
    case 12:
      t->base = Type::Date;
      break;
    case 23:
    case 24:
      t->base = Type::Raw;
      t->length = c.type == 23 ? c.length : 0;
      break;
    case 11:
      t->base = Type::Rowid;
      break;
    default:
      break;
  }
  return t;
}

}  // namespace tess::oci7::plsql
