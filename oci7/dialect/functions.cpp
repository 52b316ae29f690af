// The Oracle functions the translator's SQLite text calls, registered per connection as
// ORA$NAME.  They follow Oracle's rules rather than SQLite's: the empty string is NULL,
// text meets numbers through Oracle's implicit conversions (ORA-01722 when it cannot),
// dates are the stored text form, and failures come back as "ORA-nnnnn: ..." errors.
#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "oci7/dialect/calendar.h"
#include "oci7/dialect/date_form_internal.h"
#include "oci7/dialect/decimal.h"
#include "oci7/dialect/dialect.h"
#include "oci7/dialect/number_format.h"
#include "oci7/ora_codes.h"

namespace tess::oci7 {
namespace {

using cal::DateTime;

// ASCII letters only, as in every locale.
char Up(char ch) {
  return (ch >= 'a' && ch <= 'z') ? char(ch - 32) : ch;
}
char Low(char ch) {
  return (ch >= 'A' && ch <= 'Z') ? char(ch + 32) : ch;
}
std::string UpperAscii(std::string s) {
  for (char& ch : s) ch = Up(ch);
  return s;
}

FunctionContext* Ctx(sqlite3_context* c) {
  return static_cast<FunctionContext*>(sqlite3_user_data(c));
}

bool IsNull(sqlite3_value* v) {
  int t = sqlite3_value_type(v);
  return t == SQLITE_NULL || (t == SQLITE_TEXT && sqlite3_value_bytes(v) == 0) ||
         (t == SQLITE_BLOB && sqlite3_value_bytes(v) == 0);
}

std::string_view RawText(sqlite3_value* v) {
  const unsigned char* p = sqlite3_value_text(v);
  int n = sqlite3_value_bytes(v);
  return p ? std::string_view(reinterpret_cast<const char*>(p), size_t(n)) : std::string_view();
}

std::string Hex(const unsigned char* p, int n) {
  static const char* kDigits = "0123456789ABCDEF";
  std::string out;
  out.reserve(size_t(n) * 2);
  for (int i = 0; i < n; ++i) {
    out.push_back(kDigits[p[i] >> 4]);
    out.push_back(kDigits[p[i] & 15]);
  }
  return out;
}

// A value as Oracle's text: numbers in their text form, raw as hex.
std::optional<std::string> TextOf(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_INTEGER:
      return FormatOracleNumber(int64_t(sqlite3_value_int64(v)));
    case SQLITE_FLOAT:
      return FormatOracleNumber(sqlite3_value_double(v));
    case SQLITE_BLOB: {
      int n = sqlite3_value_bytes(v);
      if (n == 0) return std::nullopt;
      return Hex(static_cast<const unsigned char*>(sqlite3_value_blob(v)), n);
    }
    default: {
      std::string_view s = RawText(v);
      if (s.empty()) return std::nullopt;
      return std::string(s);
    }
  }
}

// A number, as int64 when it is one.
using Num = EngineNumber;

// Oracle's implicit conversion of text to a number: ORA-01722 when it is none.
Num NumberFromText(std::string_view s) {
  std::optional<double> d = ParseOracleNumber(s);
  if (!d) throw EngineError(kOraInvalidNumber);
  *d = InOracleRange(*d);
  if (*d == std::trunc(*d) && std::fabs(*d) < 9.0e15) return Num::Int(int64_t(*d));
  return Num::Real(*d);
}

std::optional<Num> NumberOf(sqlite3_value* v) {
  Num n;
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_INTEGER:
      n.isInt = true;
      n.i = sqlite3_value_int64(v);
      return n;
    case SQLITE_FLOAT:
      n.d = InOracleRange(sqlite3_value_double(v));
      return n;
    case SQLITE_BLOB:
      if (sqlite3_value_bytes(v) == 0) return std::nullopt;
      throw EngineError(932);
    default: {
      std::string_view s = RawText(v);
      if (s.empty()) return std::nullopt;
      return NumberFromText(s);
    }
  }
}

DateTime Today(FunctionContext* ctx) {
  if (ctx && !ctx->fixedSysdate.empty()) {
    if (auto d = cal::ParseStored(ctx->fixedSysdate)) return *d;
  }
  return cal::Now();
}

std::string SessionDateFormat(FunctionContext* ctx) {
  return ctx && !ctx->dateFormat.empty() ? ctx->dateFormat : std::string(kDefaultDateFormat);
}

// A date argument: the stored form, or text in the session date format.
std::optional<DateTime> DateOf(sqlite3_value* v, FunctionContext* ctx) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return std::nullopt;
    case SQLITE_TEXT: {
      std::string_view s = RawText(v);
      if (s.empty()) return std::nullopt;
      if (auto d = cal::ParseStored(s)) return d;
      return ParseDate(s, SessionDateFormat(ctx), Today(ctx));
    }
    default:
      if (IsNull(v)) return std::nullopt;
      throw EngineError(932);
  }
}

void ResultText(sqlite3_context* c, const std::string& s) {
  if (s.empty()) {
    sqlite3_result_null(c);
  } else {
    sqlite3_result_text(c, s.data(), int(s.size()), SQLITE_TRANSIENT);
  }
}

void ResultDouble(sqlite3_context* c, double d) {
  d = InOracleRange(d);
  if (d == std::trunc(d) && std::fabs(d) < 9.0e15) {
    sqlite3_result_int64(c, sqlite3_int64(d));
  } else {
    sqlite3_result_double(c, d);
  }
}

void ResultNum(sqlite3_context* c, const Num& n) {
  if (n.isInt) {
    sqlite3_result_int64(c, n.i);
  } else {
    ResultDouble(c, n.d);
  }
}

void ResultDate(sqlite3_context* c, const DateTime& d) {
  std::string s = cal::FormatStored(d);
  sqlite3_result_text(c, s.data(), int(s.size()), SQLITE_TRANSIENT);
}

using Body = void (*)(sqlite3_context*, int, sqlite3_value**);

// Every function body runs behind this barrier: Oracle errors become SQLite errors with
// the Oracle message, anything else a generic failure; nothing unwinds into SQLite.
template <Body F>
void Barrier(sqlite3_context* c, int argc, sqlite3_value** argv) {
  try {
    F(c, argc, argv);
  } catch (const OraError& e) {
    sqlite3_result_error(c, e.message.c_str(), -1);
  } catch (const std::bad_alloc&) {
    sqlite3_result_error_nomem(c);
  } catch (const std::exception& e) {
    sqlite3_result_error(c, e.what(), -1);
  }
}

bool AnyNull(int argc, sqlite3_value** argv) {
  for (int i = 0; i < argc; ++i) {
    if (IsNull(argv[i])) return true;
  }
  return false;
}

int IntArg(sqlite3_value* v) {
  auto n = NumberOf(v);
  if (!n) return 0;
  double d = std::trunc(n->AsDouble());
  if (d > 2147483647.0) return 2147483647;
  if (d < -2147483647.0) return -2147483647;
  return int(d);
}

// ---- session

void FnSysdate(sqlite3_context* c, int, sqlite3_value**) {
  ResultDate(c, Today(Ctx(c)));
}
void FnUser(sqlite3_context* c, int, sqlite3_value**) {
  ResultText(c, Ctx(c)->userName);
}
void FnUid(sqlite3_context* c, int, sqlite3_value**) {
  sqlite3_result_int(c, Ctx(c)->uid);
}

void Sequence(sqlite3_context* c, sqlite3_value** argv, bool next) {
  FunctionContext* ctx = Ctx(c);
  std::string owner(RawText(argv[0])), name(RawText(argv[1]));
  auto& fn = next ? ctx->nextval : ctx->currval;
  if (!fn) throw EngineError(2289);
  sqlite3_result_int64(c, fn(owner, name));
}
void FnNextval(sqlite3_context* c, int, sqlite3_value** argv) {
  Sequence(c, argv, true);
}
void FnCurrval(sqlite3_context* c, int, sqlite3_value** argv) {
  Sequence(c, argv, false);
}

void FnUserenv(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  const std::string p = UpperAscii(t ? *t : "");
  if (p == "LANGUAGE") return ResultText(c, "AMERICAN_AMERICA.WE8ISO8859P1");
  if (p == "LANG") return ResultText(c, "US");
  if (p == "TERMINAL") return ResultText(c, "unknown");
  if (p == "SESSIONID" || p == "ENTRYID") return sqlite3_result_int(c, Ctx(c)->uid);
  if (p == "ISDBA") return ResultText(c, "FALSE");
  if (p == "CLIENT_INFO") return sqlite3_result_null(c);
  throw OraError(2003, "ORA-02003: invalid USERENV parameter");
}

// ---- rows

// ROWID: block.row.file in hex, as the server prints them, from SQLite's rowid.
void FnRowid(sqlite3_context* c, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(c);
  uint64_t id = uint64_t(sqlite3_value_int64(argv[0]));
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08llX.%04X.0001", (unsigned long long)(id >> 16),
                unsigned(id & 0xFFFF));
  ResultText(c, buf);
}

std::optional<int64_t> ParseRowid(std::string_view s) {
  if (s.size() != 18 || s[8] != '.' || s[13] != '.') return std::nullopt;
  uint64_t block = 0, row = 0;
  auto hex = [](char ch) {
    return (ch >= '0' && ch <= '9')   ? ch - '0'
           : (ch >= 'A' && ch <= 'F') ? ch - 'A' + 10
           : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10
                                      : -1;
  };
  for (size_t i = 0; i < 18; ++i) {
    if (i == 8 || i == 13) continue;
    int d = hex(s[i]);
    if (d < 0) return std::nullopt;
    if (i < 8)
      block = block * 16 + unsigned(d);
    else if (i < 13)
      row = row * 16 + unsigned(d);
  }
  return int64_t((block << 16) | row);
}

void FnRowidNumber(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  auto r = ParseRowid(RawText(argv[0]));
  if (!r) throw EngineError(1410);
  sqlite3_result_int64(c, *r);
}

void FnCharToRowid(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  std::string s(RawText(argv[0]));
  if (!ParseRowid(s)) throw EngineError(1410);
  ResultText(c, UpperAscii(std::move(s)));
}

void FnIdentityText(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  ResultText(c, *t);
}

// LIMIT for the ROWNUM conditions of a query block: pairs of (operator, bound).
void FnRownumLimit(sqlite3_context* c, int argc, sqlite3_value** argv) {
  int64_t limit = -1;  // none
  auto cap = [&](int64_t n) {
    if (limit < 0 || n < limit) limit = n;
  };
  for (int i = 0; i + 1 < argc; i += 2) {
    std::string op(RawText(argv[i]));
    auto v = NumberOf(argv[i + 1]);
    if (!v) {
      cap(0);
      continue;
    }
    double n = v->AsDouble();
    if (op == "<=")
      cap(n < 1 ? 0 : int64_t(std::floor(n)));
    else if (op == "<")
      cap(n <= 1 ? 0 : int64_t(std::ceil(n)) - 1);
    else if (op == "=")
      cap(n == 1 ? 1 : 0);
    else if (op == ">=") {
      if (n > 1) cap(0);
    } else if (op == ">") {
      if (n >= 1) cap(0);
    } else if (op == "<>") {
      if (n >= 1 && n == std::floor(n)) cap(int64_t(n) - 1);
    }
  }
  sqlite3_result_int64(c, limit);
}

void FnConnectByCheck(sqlite3_context* c, int, sqlite3_value** argv) {
  // Rows without a rowid (views) are caught by the depth of the walk.
  if (sqlite3_value_int64(argv[2]) > 10000) throw EngineError(1436);
  if (sqlite3_value_type(argv[1]) != SQLITE_NULL) {
    std::string needle = "/" + std::to_string(sqlite3_value_int64(argv[1])) + "/";
    if (RawText(argv[0]).find(needle) != std::string_view::npos) throw EngineError(1436);
  }
  sqlite3_result_int(c, 1);
}

// ---- conversions into columns

void FnDateIn(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  if (!d) return sqlite3_result_null(c);
  ResultDate(c, *d);
}

void FnNumberIn(sqlite3_context* c, int, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  auto fitted = DecimalFit(*n, sqlite3_value_int(argv[1]), sqlite3_value_int(argv[2]));
  if (!fitted) throw EngineError(kOraValueLargerThanSpecified);
  ResultNum(c, *fitted);
}

std::string TextForColumn(sqlite3_value* v) {
  auto t = TextOf(v);
  return t ? *t : std::string();
}

void FnVarcharIn(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  int max = sqlite3_value_int(argv[1]);
  if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
    if (max > 0 && sqlite3_value_bytes(argv[0]) > max) throw EngineError(1401);
    return sqlite3_result_value(c, argv[0]);
  }
  std::string s = TextForColumn(argv[0]);
  if (max > 0 && int(s.size()) > max) throw EngineError(1401);
  ResultText(c, s);
}

void FnCharIn(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  int size = sqlite3_value_int(argv[1]);
  std::string s = TextForColumn(argv[0]);
  // Trailing blanks beyond the size are dropped, as the server does; anything else fails.
  if (int(s.size()) > size) {
    size_t end = s.find_last_not_of(' ');
    if (end == std::string::npos || int(end + 1) > size) throw EngineError(1401);
    s.resize(size_t(size));
  }
  s.resize(size_t(size), ' ');
  ResultText(c, s);
}

std::string FromHex(std::string_view s) {
  std::string out;
  if (s.size() % 2) throw EngineError(1465);
  for (size_t i = 0; i < s.size(); i += 2) {
    int v = 0;
    for (int k = 0; k < 2; ++k) {
      char ch = s[i + size_t(k)];
      int d = (ch >= '0' && ch <= '9')   ? ch - '0'
              : (ch >= 'A' && ch <= 'F') ? ch - 'A' + 10
              : (ch >= 'a' && ch <= 'f') ? ch - 'a' + 10
                                         : -1;
      if (d < 0) throw EngineError(1465);
      v = v * 16 + d;
    }
    out.push_back(char(v));
  }
  return out;
}

void FnRawIn(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  int max = sqlite3_value_int(argv[1]);
  std::string bytes;
  switch (sqlite3_value_type(argv[0])) {
    case SQLITE_BLOB:
      bytes.assign(static_cast<const char*>(sqlite3_value_blob(argv[0])),
                   size_t(sqlite3_value_bytes(argv[0])));
      break;
    case SQLITE_TEXT:
      bytes = FromHex(RawText(argv[0]));
      break;
    default:
      throw EngineError(932);
  }
  if (max > 0 && int(bytes.size()) > max) throw EngineError(1401);
  sqlite3_result_blob(c, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
}

void FnHexToRaw(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  std::string b = FromHex(*t);
  sqlite3_result_blob(c, b.data(), int(b.size()), SQLITE_TRANSIENT);
}

void FnRawToHex(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  if (sqlite3_value_type(argv[0]) == SQLITE_BLOB) {
    return ResultText(c, Hex(static_cast<const unsigned char*>(sqlite3_value_blob(argv[0])),
                             sqlite3_value_bytes(argv[0])));
  }
  std::string s = *TextOf(argv[0]);
  FromHex(s);  // validates
  ResultText(c, UpperAscii(std::move(s)));
}

// ---- TO_CHAR, TO_DATE, TO_NUMBER

std::string FormatArg(sqlite3_value* v) {
  return std::string(RawText(v));
}

void ToCharNumber(sqlite3_context* c, const Num& n, int argc, sqlite3_value** argv) {
  if (argc < 2) {
    return ResultText(c, n.isInt ? FormatOracleNumber(n.i) : FormatOracleNumber(n.d));
  }
  if (IsNull(argv[1])) return sqlite3_result_null(c);
  ResultText(c, FormatNumberModel(n, FormatArg(argv[1])));
}

void FnToCharNumber(sqlite3_context* c, int argc, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  ToCharNumber(c, *n, argc, argv);
}

void FnToCharDate(sqlite3_context* c, int argc, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  if (!d) return sqlite3_result_null(c);
  if (argc >= 2 && IsNull(argv[1])) return sqlite3_result_null(c);
  std::string fmt = argc >= 2 ? FormatArg(argv[1]) : SessionDateFormat(Ctx(c));
  ResultText(c, FormatDate(*d, fmt));
}

// TO_CHAR of a value whose type the translator could not tell.
void FnToChar(sqlite3_context* c, int argc, sqlite3_value** argv) {
  sqlite3_value* v = argv[0];
  if (IsNull(v)) return sqlite3_result_null(c);
  int t = sqlite3_value_type(v);
  if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return FnToCharNumber(c, argc, argv);
  if (t == SQLITE_TEXT) {
    std::string_view s = RawText(v);
    if (argc >= 2) {
      if (auto d = cal::ParseStored(s); d && s.size() == 19) return FnToCharDate(c, argc, argv);
      return FnToCharNumber(c, argc, argv);
    }
    return sqlite3_result_value(c, v);
  }
  FnIdentityText(c, argc, argv);
}

void FnToDate(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  if (argc >= 2 && IsNull(argv[1])) return sqlite3_result_null(c);
  FunctionContext* ctx = Ctx(c);
  if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
    if (argc < 2) throw EngineError(932);
    // A number in a format such as 'J' or 'YYYYMMDD'.
    auto t = TextOf(argv[0]);
    return ResultDate(c, ParseDate(*t, FormatArg(argv[1]), Today(ctx)));
  }
  std::string_view s = RawText(argv[0]);
  if (argc < 2) {
    if (auto d = cal::ParseStored(s); d && s.size() == 19) return ResultDate(c, *d);
    return ResultDate(c, ParseDate(s, SessionDateFormat(ctx), Today(ctx)));
  }
  ResultDate(c, ParseDate(s, FormatArg(argv[1]), Today(ctx)));
}

void FnToNumber(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  if (argc < 2 || sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
    auto n = NumberOf(argv[0]);
    return ResultNum(c, *n);
  }
  if (IsNull(argv[1])) return sqlite3_result_null(c);
  auto v = ParseNumberModel(RawText(argv[0]), FormatArg(argv[1]));
  if (!v) throw EngineError(kOraInvalidNumber);
  ResultDouble(c, *v);
}

// ---- arithmetic

bool LooksLikeDate(sqlite3_value* v) {
  return sqlite3_value_type(v) == SQLITE_TEXT && sqlite3_value_bytes(v) == 19 &&
         IsStoredDate(RawText(v));
}

DateTime AddDays(const DateTime& d, double days) {
  std::optional<DateTime> r = cal::FromDayNumber(cal::ToDayNumber(d) + days);
  if (!r) throw EngineError(1841);
  return *r;
}

Num DaysBetween(const DateTime& a, const DateTime& b) {
  int64_t secs =
      (cal::DaysFromCivil(a.year, a.month, a.day) - cal::DaysFromCivil(b.year, b.month, b.day)) *
          86400 +
      (a.hour - b.hour) * 3600 + (a.minute - b.minute) * 60 + (a.second - b.second);
  if (secs % 86400 == 0) return Num::Int(secs / 86400);
  return Num::Real(double(secs) / 86400.0);
}

void FnDateAdd(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  auto n = NumberOf(argv[1]);
  if (!d || !n) return sqlite3_result_null(c);
  ResultDate(c, AddDays(*d, n->AsDouble()));
}

void FnDateSub(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  auto n = NumberOf(argv[1]);
  if (!d || !n) return sqlite3_result_null(c);
  ResultDate(c, AddDays(*d, -n->AsDouble()));
}

void FnDateDiff(sqlite3_context* c, int, sqlite3_value** argv) {
  auto a = DateOf(argv[0], Ctx(c));
  auto b = DateOf(argv[1], Ctx(c));
  if (!a || !b) return sqlite3_result_null(c);
  ResultNum(c, DaysBetween(*a, *b));
}

// A value on its way through an operator chain: NULL, a number, a date or text.
struct Term {
  enum Kind : uint8_t { Null, Number, Date, Text } kind = Null;
  Num n;
  DateTime d;
  std::string s;
};

// An operand as a chain reads it: 'D' a date (stored, or text in the session format); 'T'
// text, as || joins it; 'N' a number, or a stored date as + and - take one.
Term TermOf(sqlite3_value* v, char read, FunctionContext* ctx) {
  Term t;
  if (IsNull(v)) return t;
  if (read == 'D') {
    t.kind = Term::Date;
    t.d = *DateOf(v, ctx);
  } else if (read == 'N' && LooksLikeDate(v)) {
    t.kind = Term::Date;
    t.d = *cal::ParseStored(RawText(v));
  } else if (read == 'T' || sqlite3_value_type(v) == SQLITE_TEXT) {
    t.kind = Term::Text;
    t.s = *TextOf(v);
  } else {
    t.kind = Term::Number;
    t.n = *NumberOf(v);
  }
  return t;
}

std::string TermText(const Term& t, FunctionContext* ctx) {
  switch (t.kind) {
    case Term::Null:
      return {};
    case Term::Number:
      return t.n.isInt ? FormatOracleNumber(t.n.i) : FormatOracleNumber(t.n.d);
    case Term::Date:
      return FormatDate(t.d, SessionDateFormat(ctx));
    case Term::Text:
      return t.s;
  }
  return {};
}

Num TermNumber(const Term& t) {
  return t.kind == Term::Number ? t.n : NumberFromText(t.s);
}

// acc op b into acc: + - * / as Oracle computes numbers and dates, and || ('|'), which joins
// text and takes NULL for the empty text.
void Apply(char op, Term& acc, const Term& b, FunctionContext* ctx) {
  if (op == '|') {
    if (acc.kind != Term::Text) {
      acc.s = TermText(acc, ctx);
      acc.kind = Term::Text;
    }
    acc.s += TermText(b, ctx);
    if (acc.s.empty()) acc.kind = Term::Null;
    return;
  }
  if (acc.kind == Term::Null) return;
  if (b.kind == Term::Null) {
    acc = Term();
    return;
  }
  const bool da = acc.kind == Term::Date, db = b.kind == Term::Date;
  if (op == '+' && (da || db)) {
    if (da && db) throw OraError(975, "ORA-00975: date + date not allowed");
    acc.d =
        da ? AddDays(acc.d, TermNumber(b).AsDouble()) : AddDays(b.d, TermNumber(acc).AsDouble());
    acc.kind = Term::Date;
    return;
  }
  if (op == '-' && da) {
    if (db) {
      acc.n = DaysBetween(acc.d, b.d);
      acc.kind = Term::Number;
    } else {
      acc.d = AddDays(acc.d, -TermNumber(b).AsDouble());
    }
    return;
  }
  if (da || db) throw EngineError(932);
  Num x = TermNumber(acc), y = TermNumber(b);
  if (op == '/' && y.AsDouble() == 0) throw EngineError(1476);
  acc.n = DecimalArith(op, x, y);
  acc.kind = Term::Number;
}

void ResultTerm(sqlite3_context* c, const Term& t) {
  switch (t.kind) {
    case Term::Null:
      return sqlite3_result_null(c);
    case Term::Number:
      return ResultNum(c, t.n);
    case Term::Date:
      return ResultDate(c, t.d);
    case Term::Text:
      return ResultText(c, t.s);
  }
}

void Arith(sqlite3_context* c, sqlite3_value** argv, char op) {
  FunctionContext* ctx = Ctx(c);
  Term acc = TermOf(argv[0], 'N', ctx);
  Apply(op, acc, TermOf(argv[1], 'N', ctx), ctx);
  ResultTerm(c, acc);
}

// ORA$CHAIN(layout, x0, x1, ...): one precedence level of + - * / || evaluated left to right
// in a single call however long it is.  layout is "r0 o0 r1 o1 r2 ...": how each operand is
// read (TermOf) and the operator between it and the next ('|' for ||).
void FnChain(sqlite3_context* c, int argc, sqlite3_value** argv) {
  std::string_view layout = RawText(argv[0]);
  if (argc < 2 || layout.size() != size_t(2 * (argc - 1) - 1)) throw EngineError(909);
  FunctionContext* ctx = Ctx(c);
  Term acc = TermOf(argv[1], layout[0], ctx);
  for (int i = 2; i < argc; ++i) {
    size_t at = size_t(2 * (i - 1));
    Apply(layout[at - 1], acc, TermOf(argv[i], layout[at], ctx), ctx);
  }
  ResultTerm(c, acc);
}

void FnAdd(sqlite3_context* c, int, sqlite3_value** argv) {
  Arith(c, argv, '+');
}
void FnSub(sqlite3_context* c, int, sqlite3_value** argv) {
  Arith(c, argv, '-');
}
void FnMul(sqlite3_context* c, int, sqlite3_value** argv) {
  Arith(c, argv, '*');
}
void FnDiv(sqlite3_context* c, int, sqlite3_value** argv) {
  Arith(c, argv, '/');
}

// ---- numbers

template <double (*F)(double)>
void Unary(sqlite3_context* c, int, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  ResultDouble(c, F(n->AsDouble()));
}

double Sign(double x) {
  return x > 0 ? 1 : x < 0 ? -1 : 0;
}
double CheckedSqrt(double x) {
  if (x < 0) throw EngineError(1428, FormatOracleNumber(x), -1);
  return std::sqrt(x);
}
double CheckedLn(double x) {
  if (x <= 0) throw EngineError(1428, FormatOracleNumber(x), -1);
  return std::log(x);
}
double Acos(double x) {
  if (x < -1 || x > 1) throw EngineError(1428, FormatOracleNumber(x), -1);
  return std::acos(x);
}
double Asin(double x) {
  if (x < -1 || x > 1) throw EngineError(1428, FormatOracleNumber(x), -1);
  return std::asin(x);
}
double Atan(double x) {
  return std::atan(x);
}
double Cos(double x) {
  return std::cos(x);
}
double Cosh(double x) {
  return std::cosh(x);
}
double Exp(double x) {
  return std::exp(x);
}
double Sin(double x) {
  return std::sin(x);
}
double Sinh(double x) {
  return std::sinh(x);
}
double Tan(double x) {
  return std::tan(x);
}
double Tanh(double x) {
  return std::tanh(x);
}
double Ceil(double x) {
  return std::ceil(x);
}
double Floor(double x) {
  return std::floor(x);
}

void FnAbs(sqlite3_context* c, int, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  if (n->isInt && n->i != std::numeric_limits<int64_t>::min())
    return sqlite3_result_int64(c, n->i < 0 ? -n->i : n->i);
  ResultDouble(c, std::fabs(n->AsDouble()));
}

void FnAtan2(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  ResultDouble(c, std::atan2(NumberOf(argv[0])->AsDouble(), NumberOf(argv[1])->AsDouble()));
}

void FnLog(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  double b = NumberOf(argv[0])->AsDouble(), x = NumberOf(argv[1])->AsDouble();
  if (b <= 0 || b == 1) throw EngineError(1428, FormatOracleNumber(b), -1);
  if (x <= 0) throw EngineError(1428, FormatOracleNumber(x), -1);
  ResultDouble(c, std::log(x) / std::log(b));
}

void FnPower(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  double b = NumberOf(argv[0])->AsDouble(), e = NumberOf(argv[1])->AsDouble();
  if (b < 0 && e != std::floor(e)) throw EngineError(1428, FormatOracleNumber(b), -1);
  ResultDouble(c, std::pow(b, e));
}

void FnMod(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  Num a = *NumberOf(argv[0]);
  Num b = *NumberOf(argv[1]);
  ResultNum(c, DecimalMod(a, b));
}

void FnSign(sqlite3_context* c, int, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  sqlite3_result_int(c, int(Sign(n->AsDouble())));
}

void RoundOrTruncNumber(sqlite3_context* c, int argc, sqlite3_value** argv, bool truncate) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  int digits = 0;
  if (argc > 1) {
    if (IsNull(argv[1])) return sqlite3_result_null(c);
    digits = IntArg(argv[1]);
  }
  ResultNum(c, DecimalRound(*n, digits, truncate));
}

// ---- dates

int MonthIndex(const DateTime& d) {
  return d.year * 12 + (d.month - 1);
}

DateTime TruncDate(const DateTime& d, std::string fmt) {
  fmt = UpperAscii(std::move(fmt));
  DateTime r = d;
  r.hour = r.minute = r.second = 0;
  auto weekStart = [&](int64_t days, int startDow) {
    int dow = cal::DayOfWeek(cal::CivilFromDays(days));
    return days - ((dow - startDow + 7) % 7);
  };
  int64_t days = cal::DaysFromCivil(d.year, d.month, d.day);
  if (fmt == "CC" || fmt == "SCC") {
    int start = (d.year - 1) / 100 * 100 + 1;
    return DateTime{start, 1, 1, 0, 0, 0};
  }
  if (fmt == "SYYYY" || fmt == "YYYY" || fmt == "YEAR" || fmt == "SYEAR" || fmt == "YYY" ||
      fmt == "YY" || fmt == "Y" || fmt == "IYYY" || fmt == "IY" || fmt == "I" || fmt == "RRRR" ||
      fmt == "RR") {
    return DateTime{d.year, 1, 1, 0, 0, 0};
  }
  if (fmt == "Q") return DateTime{d.year, (d.month - 1) / 3 * 3 + 1, 1, 0, 0, 0};
  if (fmt == "MONTH" || fmt == "MON" || fmt == "MM" || fmt == "RM")
    return DateTime{d.year, d.month, 1, 0, 0, 0};
  if (fmt == "WW") {
    int64_t jan1 = cal::DaysFromCivil(d.year, 1, 1);
    DateTime x = cal::CivilFromDays(jan1 + (days - jan1) / 7 * 7);
    return x;
  }
  if (fmt == "IW") {
    DateTime x = cal::CivilFromDays(weekStart(days, 1));
    return x;
  }
  if (fmt == "W") {
    int64_t first = cal::DaysFromCivil(d.year, d.month, 1);
    return cal::CivilFromDays(first + (days - first) / 7 * 7);
  }
  if (fmt == "DAY" || fmt == "DY" || fmt == "D") return cal::CivilFromDays(weekStart(days, 0));
  if (fmt == "DDD" || fmt == "DD" || fmt == "J") return r;
  if (fmt == "HH" || fmt == "HH12" || fmt == "HH24") {
    r.hour = d.hour;
    return r;
  }
  if (fmt == "MI") {
    r.hour = d.hour;
    r.minute = d.minute;
    return r;
  }
  throw EngineError(1898);
}

DateTime RoundDate(const DateTime& d, std::string fmt) {
  fmt = UpperAscii(std::move(fmt));
  DateTime t = TruncDate(d, fmt);
  auto addMonths = [](DateTime x, int n) {
    int idx = MonthIndex(x) + n;
    x.year = idx / 12;
    x.month = idx % 12 + 1;
    return x;
  };
  double now = cal::ToDayNumber(d);
  DateTime next;
  if (fmt == "CC" || fmt == "SCC") {
    next = DateTime{t.year + 100, 1, 1, 0, 0, 0};
  } else if (fmt == "SYYYY" || fmt == "YYYY" || fmt == "YEAR" || fmt == "SYEAR" || fmt == "YYY" ||
             fmt == "YY" || fmt == "Y" || fmt == "IYYY" || fmt == "IY" || fmt == "I" ||
             fmt == "RRRR" || fmt == "RR") {
    // Rounds up from the first of July.
    return d.month >= 7 ? DateTime{d.year + 1, 1, 1, 0, 0, 0} : t;
  } else if (fmt == "Q") {
    int monthInQ = (d.month - 1) % 3;
    return (monthInQ > 1 || (monthInQ == 1 && d.day >= 16)) ? addMonths(t, 3) : t;
  } else if (fmt == "MONTH" || fmt == "MON" || fmt == "MM" || fmt == "RM") {
    return d.day >= 16 ? addMonths(t, 1) : t;
  } else if (fmt == "WW" || fmt == "IW" || fmt == "W" || fmt == "DAY" || fmt == "DY" ||
             fmt == "D") {
    next = *cal::FromDayNumber(cal::ToDayNumber(t) + 7);
  } else if (fmt == "DDD" || fmt == "DD" || fmt == "J") {
    next = *cal::FromDayNumber(cal::ToDayNumber(t) + 1);
  } else if (fmt == "HH" || fmt == "HH12" || fmt == "HH24") {
    next = *cal::FromDayNumber(cal::ToDayNumber(t) + 1.0 / 24);
  } else {
    next = *cal::FromDayNumber(cal::ToDayNumber(t) + 1.0 / 1440);
  }
  double a = cal::ToDayNumber(t), b = cal::ToDayNumber(next);
  return now - a >= b - now ? next : t;
}

void RoundOrTruncDate(sqlite3_context* c, int argc, sqlite3_value** argv, bool truncate) {
  auto d = DateOf(argv[0], Ctx(c));
  if (!d) return sqlite3_result_null(c);
  std::string fmt = "DD";
  if (argc > 1) {
    if (IsNull(argv[1])) return sqlite3_result_null(c);
    fmt = FormatArg(argv[1]);
  }
  ResultDate(c, truncate ? TruncDate(*d, fmt) : RoundDate(*d, fmt));
}

void FnRoundDate(sqlite3_context* c, int argc, sqlite3_value** argv) {
  RoundOrTruncDate(c, argc, argv, false);
}
void FnTruncDate(sqlite3_context* c, int argc, sqlite3_value** argv) {
  RoundOrTruncDate(c, argc, argv, true);
}

void FnRound(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (LooksLikeDate(argv[0]) || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_TEXT &&
                                 !ParseOracleNumber(RawText(argv[1])))) {
    return RoundOrTruncDate(c, argc, argv, false);
  }
  RoundOrTruncNumber(c, argc, argv, false);
}

void FnTrunc(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (LooksLikeDate(argv[0]) || (argc > 1 && sqlite3_value_type(argv[1]) == SQLITE_TEXT &&
                                 !ParseOracleNumber(RawText(argv[1])))) {
    return RoundOrTruncDate(c, argc, argv, true);
  }
  RoundOrTruncNumber(c, argc, argv, true);
}

DateTime AddMonths(const DateTime& d, int n) {
  int idx = MonthIndex(d) + n;
  DateTime r = d;
  r.year = idx / 12;
  r.month = idx % 12 + 1;
  if (r.year < 1 || r.year > 9999) throw EngineError(1841);
  int last = cal::DaysInMonth(r.year, r.month);
  // The last day of a month maps to the last day of the other.
  if (d.day == cal::DaysInMonth(d.year, d.month) || r.day > last) r.day = last;
  return r;
}

void FnAddMonths(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  auto n = NumberOf(argv[1]);
  if (!d || !n) return sqlite3_result_null(c);
  double m = std::trunc(n->AsDouble());
  if (std::fabs(m) > 120000) throw EngineError(1841);
  ResultDate(c, AddMonths(*d, int(m)));
}

void FnLastDay(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  if (!d) return sqlite3_result_null(c);
  DateTime r = *d;
  r.day = cal::DaysInMonth(r.year, r.month);
  ResultDate(c, r);
}

void FnMonthsBetween(sqlite3_context* c, int, sqlite3_value** argv) {
  auto a = DateOf(argv[0], Ctx(c));
  auto b = DateOf(argv[1], Ctx(c));
  if (!a || !b) return sqlite3_result_null(c);
  int months = MonthIndex(*a) - MonthIndex(*b);
  bool lastA = a->day == cal::DaysInMonth(a->year, a->month);
  bool lastB = b->day == cal::DaysInMonth(b->year, b->month);
  if (a->day == b->day || (lastA && lastB)) return sqlite3_result_int(c, months);
  double secA = a->hour * 3600 + a->minute * 60 + a->second;
  double secB = b->hour * 3600 + b->minute * 60 + b->second;
  double frac = ((a->day - b->day) + (secA - secB) / 86400.0) / 31.0;
  ResultNum(c, DecimalRound(Num::Real(months + frac), 15, false));
}

void FnNextDay(sqlite3_context* c, int, sqlite3_value** argv) {
  auto d = DateOf(argv[0], Ctx(c));
  auto name = TextOf(argv[1]);
  if (!d || !name) return sqlite3_result_null(c);
  static const char* kDays[] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                "THURSDAY", "FRIDAY", "SATURDAY"};
  std::string up = UpperAscii(*name);
  while (!up.empty() && up.back() == ' ') up.pop_back();
  int target = -1;
  for (int k = 0; k < 7; ++k) {
    std::string full = kDays[k];
    if (up == full || (up.size() >= 3 && full.compare(0, up.size(), up) == 0)) target = k;
  }
  if (target < 0) throw EngineError(1846);
  int dow = cal::DayOfWeek(*d);
  int delta = (target - dow + 7) % 7;
  if (delta == 0) delta = 7;
  DateTime r = cal::CivilFromDays(cal::DaysFromCivil(d->year, d->month, d->day) + delta);
  r.hour = d->hour;
  r.minute = d->minute;
  r.second = d->second;
  ResultDate(c, r);
}

// ---- strings

bool AlNum(char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
         static_cast<unsigned char>(ch) >= 0x80;
}

void FnUpper(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  for (char& ch : *t) ch = Up(ch);
  ResultText(c, *t);
}

void FnLower(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  for (char& ch : *t) ch = Low(ch);
  ResultText(c, *t);
}

void FnInitcap(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  bool start = true;
  for (char& ch : *t) {
    ch = start ? Up(ch) : Low(ch);
    start = !AlNum(ch);
  }
  ResultText(c, *t);
}

void FnConcat(sqlite3_context* c, int argc, sqlite3_value** argv) {
  std::string out;
  for (int i = 0; i < argc; ++i) {
    if (auto t = TextOf(argv[i])) out += *t;
  }
  ResultText(c, out);
}

void FnLength(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  sqlite3_result_int64(c, sqlite3_int64(t->size()));
}

void FnVsize(sqlite3_context* c, int, sqlite3_value** argv) {
  if (IsNull(argv[0])) return sqlite3_result_null(c);
  int t = sqlite3_value_type(argv[0]);
  if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
    // Oracle's NUMBER: an exponent byte, one byte per base-100 digit (pairs of decimal
    // digits aligned on the point) and, when negative, a terminating byte up to 21.
    DecimalDigits d = DigitsOf(*NumberOf(argv[0]));
    if (d.digits.empty()) return sqlite3_result_int(c, 1);
    auto pair = [](int power) { return power >= 0 ? power / 2 : -((1 - power) / 2); };
    int bytes = 2 + pair(d.exponent + int(d.digits.size()) - 1) - pair(d.exponent);
    if (d.negative && bytes < 21) ++bytes;
    return sqlite3_result_int(c, bytes);
  }
  if (LooksLikeDate(argv[0])) return sqlite3_result_int(c, 7);
  sqlite3_result_int(c, sqlite3_value_bytes(argv[0]));
}

void FnSubstr(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  std::string s = *TextOf(argv[0]);
  int64_t n = int64_t(s.size());
  int64_t pos = IntArg(argv[1]);
  if (pos == 0) pos = 1;
  if (pos < 0) pos = n + pos + 1;
  if (pos < 1 || pos > n) return sqlite3_result_null(c);
  int64_t len = n - pos + 1;
  if (argc > 2) {
    double l = std::trunc(NumberOf(argv[2])->AsDouble());
    if (l < 1) return sqlite3_result_null(c);
    if (l < double(len)) len = int64_t(l);
  }
  ResultText(c, s.substr(size_t(pos - 1), size_t(len)));
}

void FnInstr(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  std::string s = *TextOf(argv[0]);
  std::string sub = *TextOf(argv[1]);
  int64_t pos = argc > 2 ? IntArg(argv[2]) : 1;
  int64_t occ = argc > 3 ? IntArg(argv[3]) : 1;
  if (occ <= 0) throw EngineError(1428, std::to_string(occ), -1);
  if (pos == 0) return sqlite3_result_int(c, 0);
  int64_t n = int64_t(s.size());
  if (pos > 0) {
    size_t at = size_t(pos - 1);
    for (int64_t k = 0; k < occ; ++k) {
      if (at > s.size()) return sqlite3_result_int(c, 0);
      size_t f = s.find(sub, at);
      if (f == std::string::npos) return sqlite3_result_int(c, 0);
      if (k + 1 == occ) return sqlite3_result_int64(c, sqlite3_int64(f + 1));
      at = f + 1;
    }
  } else {
    // Backwards from the position counted from the end.
    int64_t start = n + pos;  // 0-based index where a match may start at the latest
    for (int64_t k = 0; k < occ; ++k) {
      if (start < 0) return sqlite3_result_int(c, 0);
      size_t f = s.rfind(sub, size_t(start));
      if (f == std::string::npos) return sqlite3_result_int(c, 0);
      if (k + 1 == occ) return sqlite3_result_int64(c, sqlite3_int64(f + 1));
      start = int64_t(f) - 1;
    }
  }
  sqlite3_result_int(c, 0);
}

void Pad(sqlite3_context* c, int argc, sqlite3_value** argv, bool left) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  std::string s = *TextOf(argv[0]);
  double nd = std::trunc(NumberOf(argv[1])->AsDouble());
  if (nd < 1) return sqlite3_result_null(c);
  // A VARCHAR2 result holds at most 4000 bytes; longer requests are cut there.
  size_t n = size_t(std::min(nd, 4000.0));
  std::string pad = argc > 2 ? *TextOf(argv[2]) : " ";
  if (s.size() >= n) return ResultText(c, s.substr(0, n));
  std::string fill;
  while (fill.size() < n - s.size()) fill += pad;
  fill.resize(n - s.size());
  ResultText(c, left ? fill + s : s + fill);
}
void FnLpad(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Pad(c, argc, argv, true);
}
void FnRpad(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Pad(c, argc, argv, false);
}

void Trim(sqlite3_context* c, int argc, sqlite3_value** argv, bool left) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  std::string s = *TextOf(argv[0]);
  std::string set = argc > 1 ? *TextOf(argv[1]) : " ";
  if (left) {
    size_t k = s.find_first_not_of(set);
    s = k == std::string::npos ? "" : s.substr(k);
  } else {
    size_t k = s.find_last_not_of(set);
    s = k == std::string::npos ? "" : s.substr(0, k + 1);
  }
  ResultText(c, s);
}
void FnLtrim(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Trim(c, argc, argv, true);
}
void FnRtrim(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Trim(c, argc, argv, false);
}

void FnReplace(sqlite3_context* c, int argc, sqlite3_value** argv) {
  auto s = TextOf(argv[0]);
  if (!s) return sqlite3_result_null(c);
  auto from = TextOf(argv[1]);
  if (!from) return ResultText(c, *s);
  std::string to = argc > 2 ? TextOf(argv[2]).value_or("") : "";
  std::string out;
  size_t at = 0;
  for (;;) {
    size_t f = s->find(*from, at);
    if (f == std::string::npos) break;
    out.append(*s, at, f - at);
    out += to;
    at = f + from->size();
  }
  out.append(*s, at, std::string::npos);
  ResultText(c, out);
}

void FnTranslate(sqlite3_context* c, int argc, sqlite3_value** argv) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  std::string s = *TextOf(argv[0]), from = *TextOf(argv[1]), to = *TextOf(argv[2]);
  std::string out;
  for (char ch : s) {
    size_t k = from.find(ch);
    if (k == std::string::npos) {
      out.push_back(ch);
    } else if (k < to.size()) {
      out.push_back(to[k]);
    }
  }
  ResultText(c, out);
}

void FnChr(sqlite3_context* c, int, sqlite3_value** argv) {
  auto n = NumberOf(argv[0]);
  if (!n) return sqlite3_result_null(c);
  char ch = char(int64_t(std::trunc(n->AsDouble())) & 0xFF);
  sqlite3_result_text(c, &ch, 1, SQLITE_TRANSIENT);
}

void FnAscii(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  sqlite3_result_int(c, static_cast<unsigned char>((*t)[0]));
}

void FnSoundex(sqlite3_context* c, int, sqlite3_value** argv) {
  auto t = TextOf(argv[0]);
  if (!t) return sqlite3_result_null(c);
  static const char* kCodes = "01230120022455012623010202";  // A..Z
  std::string out;
  char last = 0;
  for (char ch : *t) {
    char u = Up(ch);
    if (u < 'A' || u > 'Z') continue;
    char code = kCodes[u - 'A'];
    if (out.empty()) {
      out.push_back(u);
      last = code;
      continue;
    }
    if (code != '0' && code != last) out.push_back(code);
    if (u != 'H' && u != 'W') last = code;
    if (out.size() == 4) break;
  }
  if (out.empty()) return sqlite3_result_null(c);
  out.resize(4, '0');
  ResultText(c, out);
}

// LIKE with Oracle's rules: case-sensitive, % and _, an optional escape character.
bool LikeMatch(std::string_view s, std::string_view p, int esc) {
  size_t si = 0, pi = 0;
  size_t starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size()) {
      char pc = p[pi];
      if (esc >= 0 && pc == char(esc)) {
        if (pi + 1 >= p.size())
          throw OraError(1424,
                         "ORA-01424: missing or illegal character following the escape character");
        char lit = p[pi + 1];
        if (lit != '%' && lit != '_' && lit != char(esc)) {
          throw OraError(1424,
                         "ORA-01424: missing or illegal character following the escape character");
        }
        if (s[si] == lit) {
          si++;
          pi += 2;
          continue;
        }
      } else if (pc == '%') {
        starP = pi++;
        starS = si;
        continue;
      } else if (pc == '_' || pc == s[si]) {
        si++;
        pi++;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    pi = starP + 1;
    si = ++starS;
  }
  while (pi < p.size() && p[pi] == '%') pi++;
  if (pi < p.size() && esc >= 0 && p[pi] == char(esc)) return false;
  return pi == p.size();
}

void FnLike(sqlite3_context* c, int argc, sqlite3_value** argv) {
  auto s = TextOf(argv[0]);
  auto p = TextOf(argv[1]);
  if (!s || !p) return sqlite3_result_null(c);
  int esc = -1;
  if (argc > 2) {
    auto e = TextOf(argv[2]);
    if (!e) return sqlite3_result_null(c);
    if (e->size() != 1)
      throw OraError(1425, "ORA-01425: escape character must be character string of length 1");
    esc = static_cast<unsigned char>((*e)[0]);
  }
  sqlite3_result_int(c, LikeMatch(*s, *p, esc) ? 1 : 0);
}

void Extreme(sqlite3_context* c, int argc, sqlite3_value** argv, bool greatest) {
  if (AnyNull(argc, argv)) return sqlite3_result_null(c);
  int t0 = sqlite3_value_type(argv[0]);
  if (t0 == SQLITE_INTEGER || t0 == SQLITE_FLOAT) {
    Num best = *NumberOf(argv[0]);
    for (int i = 1; i < argc; ++i) {
      Num n = *NumberOf(argv[i]);
      if (greatest ? n.AsDouble() > best.AsDouble() : n.AsDouble() < best.AsDouble()) best = n;
    }
    return ResultNum(c, best);
  }
  std::string best = *TextOf(argv[0]);
  for (int i = 1; i < argc; ++i) {
    std::string s = *TextOf(argv[i]);
    if (greatest ? s > best : s < best) best = s;
  }
  ResultText(c, best);
}
void FnGreatest(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Extreme(c, argc, argv, true);
}
void FnLeast(sqlite3_context* c, int argc, sqlite3_value** argv) {
  Extreme(c, argc, argv, false);
}

// ---- aggregates

struct Welford {
  int64_t n;
  double mean, m2;
};

void VarStep(sqlite3_context* c, int, sqlite3_value** argv) {
  try {
    auto* w = static_cast<Welford*>(sqlite3_aggregate_context(c, sizeof(Welford)));
    if (!w) return sqlite3_result_error_nomem(c);
    auto n = NumberOf(argv[0]);
    if (!n) return;
    double x = n->AsDouble();
    w->n++;
    double d = x - w->mean;
    w->mean += d / double(w->n);
    w->m2 += d * (x - w->mean);
  } catch (const OraError& e) {
    sqlite3_result_error(c, e.message.c_str(), -1);
  }
}

void VarFinal(sqlite3_context* c, bool stddev) {
  auto* w = static_cast<Welford*>(sqlite3_aggregate_context(c, 0));
  if (!w || w->n == 0) return sqlite3_result_null(c);
  double v = w->n == 1 ? 0 : w->m2 / double(w->n - 1);
  try {
    ResultNum(c, DecimalRound(Num::Real(InOracleRange(stddev ? std::sqrt(v) : v)), 14, false));
  } catch (const OraError& e) {
    sqlite3_result_error(c, e.message.c_str(), -1);
  }
}
void VarianceFinal(sqlite3_context* c) {
  VarFinal(c, false);
}
void StddevFinal(sqlite3_context* c) {
  VarFinal(c, true);
}

// SUM and AVG on the decimals of the values, exact where SQLite's would add doubles.  The
// aggregate context is only 8-byte aligned: its first byte says whether the sum has
// begun, and the sum is placed aligned after it.
DecimalSum* SumOf(sqlite3_context* c, bool create) {
  constexpr size_t kRoom = sizeof(DecimalSum) + alignof(DecimalSum);
  auto* base =
      static_cast<unsigned char*>(sqlite3_aggregate_context(c, create ? int(kRoom + 8) : 0));
  if (!base) return nullptr;
  void* p = base + 8;
  size_t space = kRoom;
  p = std::align(alignof(DecimalSum), sizeof(DecimalSum), p, space);
  if (!base[0]) {
    if (!create) return nullptr;
    new (p) DecimalSum();
    base[0] = 1;
  }
  return static_cast<DecimalSum*>(p);
}

void SumStep(sqlite3_context* c, int, sqlite3_value** argv) {
  try {
    DecimalSum* sum = SumOf(c, true);
    if (!sum) return sqlite3_result_error_nomem(c);
    if (auto n = NumberOf(argv[0])) sum->Add(*n);
  } catch (const OraError& e) {
    sqlite3_result_error(c, e.message.c_str(), -1);
  }
}

template <bool average>
void SumFinal(sqlite3_context* c) {
  DecimalSum* sum = SumOf(c, false);
  try {
    std::optional<Num> r;
    if (sum) r = average ? sum->Average() : sum->Sum();
    if (!r) return sqlite3_result_null(c);
    ResultNum(c, *r);
  } catch (const OraError& e) {
    sqlite3_result_error(c, e.message.c_str(), -1);
  }
}

// The value of a single-row subquery: its one row's value, NULL for none, ORA-01427 for
// more (SQLite would take the first row).
void SingleRowStep(sqlite3_context* c, int, sqlite3_value** argv) {
  auto** kept = static_cast<sqlite3_value**>(sqlite3_aggregate_context(c, sizeof(sqlite3_value*)));
  if (!kept) return sqlite3_result_error_nomem(c);
  if (*kept) {
    sqlite3_result_error(c, EngineError(kOraSubqueryReturnsMoreThanOneRow).message.c_str(), -1);
    return;
  }
  *kept = sqlite3_value_dup(argv[0]);
  if (!*kept) sqlite3_result_error_nomem(c);
}

void SingleRowFinal(sqlite3_context* c) {
  auto** kept = static_cast<sqlite3_value**>(sqlite3_aggregate_context(c, 0));
  if (!kept || !*kept) return sqlite3_result_null(c);
  sqlite3_result_value(c, *kept);
  sqlite3_value_free(*kept);
}

// The ORA$PAD collation: CHAR values compare as if the shorter were padded with blanks to
// the longer's length.
int PadCompare(void*, int na, const void* a, int nb, const void* b) {
  const auto* x = static_cast<const unsigned char*>(a);
  const auto* y = static_cast<const unsigned char*>(b);
  const int common = std::min(na, nb);
  if (int c = common ? std::memcmp(x, y, size_t(common)) : 0) return c;
  // The longer's rest against the blanks the shorter is padded with.
  const unsigned char* rest = na > nb ? x : y;
  const int sign = na > nb ? 1 : -1;
  for (int i = common; i < std::max(na, nb); ++i) {
    if (rest[i] != ' ') return rest[i] > ' ' ? sign : -sign;
  }
  return 0;
}

struct Def {
  const char* name;
  int args;  // -1 any
  void (*fn)(sqlite3_context*, int, sqlite3_value**);
  bool deterministic;
};

}  // namespace

int RegisterOracleFunctions(sqlite3* db, FunctionContext* context) {
  static const Def kDefs[] = {
      {"ORA$SYSDATE", 0, Barrier<FnSysdate>, false},
      {"ORA$USER", 0, Barrier<FnUser>, false},
      {"ORA$UID", 0, Barrier<FnUid>, false},
      {"ORA$NEXTVAL", 2, Barrier<FnNextval>, false},
      {"ORA$CURRVAL", 2, Barrier<FnCurrval>, false},
      {"ORA$USERENV", 1, Barrier<FnUserenv>, false},
      {"ORA$ROWID", 1, Barrier<FnRowid>, true},
      {"ORA$ROWID_NUMBER", 1, Barrier<FnRowidNumber>, true},
      {"ORA$CHARTOROWID", 1, Barrier<FnCharToRowid>, true},
      {"ORA$ROWIDTOCHAR", 1, Barrier<FnIdentityText>, true},
      {"ORA$CONVERT", -1, Barrier<FnIdentityText>, true},
      {"ORA$ROWNUM_LIMIT", -1, Barrier<FnRownumLimit>, true},
      {"ORA$CONNECT_BY_CHECK", 3, Barrier<FnConnectByCheck>, true},
      {"ORA$DATE_IN", 1, Barrier<FnDateIn>, false},
      {"ORA$NUMBER_IN", 3, Barrier<FnNumberIn>, true},
      {"ORA$VARCHAR_IN", 2, Barrier<FnVarcharIn>, true},
      {"ORA$CHAR_IN", 2, Barrier<FnCharIn>, true},
      {"ORA$RAW_IN", 2, Barrier<FnRawIn>, true},
      {"ORA$HEXTORAW", 1, Barrier<FnHexToRaw>, true},
      {"ORA$RAWTOHEX", 1, Barrier<FnRawToHex>, true},
      {"ORA$TO_CHAR", -1, Barrier<FnToChar>, false},
      {"ORA$TO_CHAR_DATE", -1, Barrier<FnToCharDate>, false},
      {"ORA$TO_CHAR_NUMBER", -1, Barrier<FnToCharNumber>, true},
      {"ORA$TO_DATE", -1, Barrier<FnToDate>, false},
      {"ORA$TO_NUMBER", -1, Barrier<FnToNumber>, true},
      // The translator now writes ORA$CHAIN for + - * / ||; these stay for the CHECK and
      // DEFAULT expressions that database files made before it keep in their tables.
      {"ORA$DATE_ADD", 2, Barrier<FnDateAdd>, false},
      {"ORA$DATE_SUB", 2, Barrier<FnDateSub>, false},
      {"ORA$DATE_DIFF", 2, Barrier<FnDateDiff>, false},
      {"ORA$ADD", 2, Barrier<FnAdd>, false},
      {"ORA$SUB", 2, Barrier<FnSub>, false},
      {"ORA$MUL", 2, Barrier<FnMul>, true},
      {"ORA$DIV", 2, Barrier<FnDiv>, true},
      {"ORA$CHAIN", -1, Barrier<FnChain>, false},
      {"ORA$ABS", 1, Barrier<FnAbs>, true},
      {"ORA$ACOS", 1, Barrier<Unary<Acos>>, true},
      {"ORA$ASIN", 1, Barrier<Unary<Asin>>, true},
      {"ORA$ATAN", 1, Barrier<Unary<Atan>>, true},
      {"ORA$ATAN2", 2, Barrier<FnAtan2>, true},
      {"ORA$CEIL", 1, Barrier<Unary<Ceil>>, true},
      {"ORA$COS", 1, Barrier<Unary<Cos>>, true},
      {"ORA$COSH", 1, Barrier<Unary<Cosh>>, true},
      {"ORA$EXP", 1, Barrier<Unary<Exp>>, true},
      {"ORA$FLOOR", 1, Barrier<Unary<Floor>>, true},
      {"ORA$LN", 1, Barrier<Unary<CheckedLn>>, true},
      {"ORA$LOG", 2, Barrier<FnLog>, true},
      {"ORA$MOD", 2, Barrier<FnMod>, true},
      {"ORA$POWER", 2, Barrier<FnPower>, true},
      {"ORA$SIGN", 1, Barrier<FnSign>, true},
      {"ORA$SIN", 1, Barrier<Unary<Sin>>, true},
      {"ORA$SINH", 1, Barrier<Unary<Sinh>>, true},
      {"ORA$SQRT", 1, Barrier<Unary<CheckedSqrt>>, true},
      {"ORA$TAN", 1, Barrier<Unary<Tan>>, true},
      {"ORA$TANH", 1, Barrier<Unary<Tanh>>, true},
      {"ORA$ROUND", -1, Barrier<FnRound>, false},
      {"ORA$TRUNC", -1, Barrier<FnTrunc>, false},
      {"ORA$ROUND_DATE", -1, Barrier<FnRoundDate>, false},
      {"ORA$TRUNC_DATE", -1, Barrier<FnTruncDate>, false},
      {"ORA$ADD_MONTHS", 2, Barrier<FnAddMonths>, false},
      {"ORA$LAST_DAY", 1, Barrier<FnLastDay>, false},
      {"ORA$MONTHS_BETWEEN", 2, Barrier<FnMonthsBetween>, false},
      {"ORA$NEXT_DAY", 2, Barrier<FnNextDay>, false},
      {"ORA$UPPER", -1, Barrier<FnUpper>, true},
      {"ORA$LOWER", -1, Barrier<FnLower>, true},
      {"ORA$INITCAP", -1, Barrier<FnInitcap>, true},
      {"ORA$CONCAT", -1, Barrier<FnConcat>, true},
      {"ORA$LENGTH", 1, Barrier<FnLength>, true},
      {"ORA$VSIZE", 1, Barrier<FnVsize>, true},
      {"ORA$SUBSTR", -1, Barrier<FnSubstr>, true},
      {"ORA$INSTR", -1, Barrier<FnInstr>, true},
      {"ORA$LPAD", -1, Barrier<FnLpad>, true},
      {"ORA$RPAD", -1, Barrier<FnRpad>, true},
      {"ORA$LTRIM", -1, Barrier<FnLtrim>, true},
      {"ORA$RTRIM", -1, Barrier<FnRtrim>, true},
      {"ORA$REPLACE", -1, Barrier<FnReplace>, true},
      {"ORA$TRANSLATE", 3, Barrier<FnTranslate>, true},
      {"ORA$CHR", 1, Barrier<FnChr>, true},
      {"ORA$ASCII", 1, Barrier<FnAscii>, true},
      {"ORA$SOUNDEX", 1, Barrier<FnSoundex>, true},
      {"ORA$LIKE", -1, Barrier<FnLike>, true},
      {"ORA$GREATEST", -1, Barrier<FnGreatest>, true},
      {"ORA$LEAST", -1, Barrier<FnLeast>, true},
  };
  for (const Def& d : kDefs) {
    int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
    int rc = sqlite3_create_function_v2(db, d.name, d.args, flags, context, d.fn, nullptr, nullptr,
                                        nullptr);
    if (rc != SQLITE_OK) return rc;
  }
  int rc = sqlite3_create_function_v2(db, "ORA$VARIANCE", 1, SQLITE_UTF8, context, nullptr, VarStep,
                                      VarianceFinal, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_create_function_v2(db, "ORA$SUM", 1, SQLITE_UTF8, context, nullptr, SumStep,
                                  SumFinal<false>, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_create_function_v2(db, "ORA$AVG", 1, SQLITE_UTF8, context, nullptr, SumStep,
                                  SumFinal<true>, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_create_function_v2(db, "ORA$SINGLE_ROW", 1, SQLITE_UTF8, context, nullptr,
                                  SingleRowStep, SingleRowFinal, nullptr);
  if (rc != SQLITE_OK) return rc;
  rc = sqlite3_create_collation_v2(db, "ORA$PAD", SQLITE_UTF8, nullptr, PadCompare, nullptr);
  if (rc != SQLITE_OK) return rc;
  return sqlite3_create_function_v2(db, "ORA$STDDEV", 1, SQLITE_UTF8, context, nullptr, VarStep,
                                    StddevFinal, nullptr);
}

std::optional<std::vector<ColumnInfo>> ColumnsFromSqlite(sqlite3* db,
                                                         const ResolvedObject& object) {
  std::string sql = "PRAGMA table_info(" + PhysicalName(object.owner, object.name) + ")";
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return std::nullopt;
  }
  std::vector<ColumnInfo> out;
  while (sqlite3_step(st) == SQLITE_ROW) {
    ColumnInfo c;
    const unsigned char* name = sqlite3_column_text(st, 1);
    const unsigned char* type = sqlite3_column_text(st, 2);
    c.name = name ? reinterpret_cast<const char*>(name) : "";
    c.type = OracleTypeFromDeclared(type ? reinterpret_cast<const char*>(type) : "");
    c.nullable = sqlite3_column_int(st, 3) == 0;
    out.push_back(std::move(c));
  }
  sqlite3_finalize(st);
  if (out.empty()) return std::nullopt;
  return out;
}

}  // namespace tess::oci7
