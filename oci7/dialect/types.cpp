// Oracle column types <-> SQLite declared types.  The declared type we write is Oracle's
// own name where that already gives SQLite the right affinity (VARCHAR2 and CHAR hold
// "CHAR": text; NUMBER and DATE: numeric, which never touches a stored date text);
// otherwise an affinity word follows the Oracle name (LONG TEXT, RAW BLOB(n),
// LONG RAW BLOB, ROWID TEXT) so that '007' in a LONG stays '007'.
#include <cstdlib>
#include <string>

#include "oci7/dialect/dialect.h"

namespace tess::oci7 {
namespace {

struct Parsed {
  std::vector<std::string> words;  // upper-cased
  std::vector<int> numbers;        // inside the parentheses
};

Parsed ParseDeclared(const char* text) {
  Parsed p;
  bool inParens = false;
  std::string cur;
  auto flush = [&] {
    if (cur.empty()) return;
    if (inParens) {
      p.numbers.push_back(std::atoi(cur.c_str()));
    } else {
      p.words.push_back(cur);
    }
    cur.clear();
  };
  for (const char* s = text; *s; ++s) {
    char c = *s;
    if (c == '(') {
      flush();
      inParens = true;
    } else if (c == ')') {
      flush();
      inParens = false;
    } else if (c == ',' || c == ' ' || c == '\t') {
      flush();
    } else {
      cur.push_back((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c);
    }
  }
  flush();
  return p;
}

OracleType Make(int code, int size, int precision = 0, int scale = 0) {
  OracleType t;
  t.code = code;
  t.size = size;
  t.precision = precision;
  t.scale = scale;
  return t;
}

}  // namespace

OracleType OracleTypeFromDeclared(const char* declaredType) {
  if (!declaredType || !*declaredType) return {};
  Parsed p = ParseDeclared(declaredType);
  if (p.words.empty()) return {};
  const std::string& w = p.words[0];
  const std::string second = p.words.size() > 1 ? p.words[1] : std::string();
  auto num = [&](size_t i, int dflt) { return i < p.numbers.size() ? p.numbers[i] : dflt; };
  if (w == "VARCHAR2" || w == "VARCHAR" || w == "NVARCHAR2" ||
      ((w == "CHAR" || w == "CHARACTER") && second == "VARYING")) {
    return Make(kTypeVarchar2, num(0, 1));
  }
  if (w == "CHAR" || w == "CHARACTER" || w == "NCHAR") return Make(kTypeChar, num(0, 1));
  if (w == "NUMBER" || w == "NUMERIC" || w == "DECIMAL" || w == "DEC") {
    return Make(kTypeNumber, 22, num(0, 0), num(1, 0));
  }
  if (w == "INTEGER" || w == "INT" || w == "SMALLINT" || w == "BIGINT") {
    return Make(kTypeNumber, 22, 38, 0);
  }
  if (w == "FLOAT") return Make(kTypeNumber, 22, num(0, 126), -127);
  if (w == "REAL") return Make(kTypeNumber, 22, 63, -127);
  if (w == "DOUBLE") return Make(kTypeNumber, 22, 126, -127);
  if (w == "DATE") return Make(kTypeDate, 7);
  if (w == "LONG") {
    if (second == "RAW") return Make(kTypeLongRaw, 0);
    return Make(kTypeLong, 0);
  }
  if (w == "RAW") return Make(kTypeRaw, num(0, 1));
  if (w == "ROWID") return Make(kTypeRowid, 6);
  if (w == "MLSLABEL") return Make(kTypeMlslabel, 255);
  // SQLite's own names (the engine's catalog tables).
  if (w == "TEXT" || w == "CLOB") return Make(kTypeVarchar2, 2000);
  if (w == "BLOB") return Make(kTypeLongRaw, 0);
  return {};
}

std::string DeclaredTypeFor(const OracleType& t) {
  switch (t.code) {
    case kTypeVarchar2:
      return "VARCHAR2(" + std::to_string(t.size) + ")";
    case kTypeChar:
      return "CHAR(" + std::to_string(t.size) + ")";
    case kTypeNumber:
      if (t.scale == -127) return "FLOAT(" + std::to_string(t.precision ? t.precision : 126) + ")";
      if (t.precision == 0) return "NUMBER";
      if (t.scale == 0) return "NUMBER(" + std::to_string(t.precision) + ")";
      return "NUMBER(" + std::to_string(t.precision) + "," + std::to_string(t.scale) + ")";
    case kTypeDate:
      return "DATE TEXT";
    case kTypeLong:
      return "LONG TEXT";
    case kTypeLongRaw:
      return "LONG RAW BLOB";
    case kTypeRaw:
      return "RAW BLOB(" + std::to_string(t.size) + ")";
    case kTypeRowid:
      return "ROWID TEXT";
    case kTypeMlslabel:
      return "MLSLABEL TEXT";
    default:
      return "";
  }
}

std::string OracleTypeName(const OracleType& t) {
  switch (t.code) {
    case kTypeVarchar2:
      return "VARCHAR2";
    case kTypeChar:
      return "CHAR";
    case kTypeNumber:
      return t.scale == -127 ? "FLOAT" : "NUMBER";
    case kTypeDate:
      return "DATE";
    case kTypeLong:
      return "LONG";
    case kTypeLongRaw:
      return "LONG RAW";
    case kTypeRaw:
      return "RAW";
    case kTypeRowid:
      return "ROWID";
    case kTypeMlslabel:
      return "MLSLABEL";
    default:
      return "UNDEFINED";
  }
}

int DisplaySize(const OracleType& t, std::string_view dateFormat) {
  switch (t.code) {
    case kTypeVarchar2:
    case kTypeChar:
      return t.size;
    case kTypeNumber:
      return 40;
    case kTypeDate:
      try {
        // A Wednesday in September at 12:59:59 gives the widest names and numbers.
        return int(FormatOracleDate("2000-09-27 12:59:59", dateFormat).size());
      } catch (const OraError&) {
        return 9;
      }
    case kTypeRaw:
      return 2 * t.size;
    case kTypeRowid:
      return 18;
    case kTypeMlslabel:
      return 255;
    default:
      return 0;
  }
}

std::string PhysicalKey(std::string_view owner, std::string_view name) {
  std::string out;
  if (owner.empty() || owner.find('.') != std::string_view::npos) {
    // The plain form's first "." ends the owner: an owner that holds one (or none at all)
    // is written with its length, behind a "." no plain form starts with.
    out.push_back('.');
    out.append(std::to_string(owner.size()));
    out.push_back('.');
  }
  out.append(owner);
  out.push_back('.');
  out.append(name);
  return out;
}

std::optional<std::pair<std::string, std::string>> SplitPhysicalKey(std::string_view key) {
  if (key.empty()) return std::nullopt;
  if (key.front() != '.') {
    size_t dot = key.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    return std::make_pair(std::string(key.substr(0, dot)), std::string(key.substr(dot + 1)));
  }
  size_t lengthEnd = key.find('.', 1);
  if (lengthEnd == std::string_view::npos || lengthEnd == 1 || lengthEnd > 10) return std::nullopt;
  size_t length = 0;
  for (size_t i = 1; i < lengthEnd; ++i) {
    if (key[i] < '0' || key[i] > '9') return std::nullopt;
    length = length * 10 + static_cast<size_t>(key[i] - '0');
  }
  size_t ownerStart = lengthEnd + 1;
  if (key.size() < ownerStart + length + 1 || key[ownerStart + length] != '.') return std::nullopt;
  return std::make_pair(std::string(key.substr(ownerStart, length)),
                        std::string(key.substr(ownerStart + length + 1)));
}

std::string PhysicalName(std::string_view owner, std::string_view name) {
  std::string out = "\"";
  for (char c : PhysicalKey(owner, name)) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace tess::oci7
