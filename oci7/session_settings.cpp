#include "oci7/session_settings.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <iterator>

namespace tess::oci7 {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

bool OneOf(const std::string& v, std::initializer_list<const char*> allowed) {
  return std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return v == a; });
}

}  // namespace

bool CheckSessionSetting(const std::string& param, const Token& value, std::string& recorded) {
  static const char* const kKnown[] = {
      "NLS_LANGUAGE", "NLS_DATE_LANGUAGE", "NLS_TERRITORY", "NLS_ISO_CURRENCY", "NLS_SORT",
      "NLS_CALENDAR", "NLS_NUMERIC_CHARACTERS", "NLS_CURRENCY", "SQL_TRACE", "OPTIMIZER_GOAL"};
  if (std::none_of(std::begin(kKnown), std::end(kKnown), [&](const char* k) { return param == k; }))
    return false;
  const int at = static_cast<int>(value.offset);
  const bool word = value.kind == TokenKind::Word || value.kind == TokenKind::QuotedIdentifier;
  const bool text = value.kind == TokenKind::String;
  if (!word && !text) throw EngineError(922, {}, at);
  // Names may be written as words or strings; character settings only as strings.
  const std::string v = text ? value.value : Upper(value.value);
  auto nls = [&](std::initializer_list<const char*> allowed, bool upper) {
    if (!OneOf(upper ? Upper(v) : v, allowed)) throw EngineError(12705, {}, at);
  };
  if (param == "NLS_LANGUAGE" || param == "NLS_DATE_LANGUAGE") {
    nls({"AMERICAN"}, true);
  } else if (param == "NLS_TERRITORY" || param == "NLS_ISO_CURRENCY") {
    nls({"AMERICA"}, true);
  } else if (param == "NLS_SORT") {
    nls({"BINARY"}, true);
  } else if (param == "NLS_CALENDAR") {
    nls({"GREGORIAN"}, true);
  } else if (param == "NLS_NUMERIC_CHARACTERS") {
    if (!text) throw EngineError(922, {}, at);
    nls({".,"}, false);
  } else if (param == "NLS_CURRENCY") {
    if (!text) throw EngineError(922, {}, at);
    nls({"$"}, false);
  } else if (param == "SQL_TRACE") {
    if (!word || !OneOf(v, {"TRUE", "FALSE"})) throw EngineError(922, {}, at);
  } else if (param == "OPTIMIZER_GOAL") {
    if (!word || !OneOf(v, {"CHOOSE", "ALL_ROWS", "FIRST_ROWS", "RULE"}))
      throw EngineError(922, {}, at);
  }
  recorded = text ? v : Upper(v);
  return true;
}

}  // namespace tess::oci7
