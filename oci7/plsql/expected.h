// The "when expecting one of the following" lists of the parser's messages, and small text
// helpers the parser files share.  Internal to the front end.
//
// A list names what the parser would really have accepted at that point, in the server's
// spelling, kept short: the common continuations, not every keyword of the grammar.
#pragma once

#include <string>
#include <string_view>

namespace tess::oci7::plsql {
namespace expect {

inline constexpr std::string_view kStatementStart =
    "begin case declare exit for goto if loop null raise return select update while with "
    "<an identifier> <a double-quoted delimited-identifier> <a bind variable> << close "
    "commit continue delete execute fetch forall insert lock merge open pipe rollback "
    "savepoint set";
inline constexpr std::string_view kStatementOrEnd =
    "begin case declare end exception exit for goto if loop null raise return select "
    "update while with <an identifier> <a double-quoted delimited-identifier> <a bind "
    "variable> << close commit continue delete execute fetch forall insert lock merge open "
    "pipe rollback savepoint set";
inline constexpr std::string_view kExpressionStart =
    "( - + case mod new not null <an identifier> <a double-quoted delimited-identifier> "
    "<a bind variable> <a number> <a single-quoted SQL string> true false sql";
inline constexpr std::string_view kOperators =
    "* / + - || ** mod rem = <> != ~= < > <= >= and or not in is like between";
inline constexpr std::string_view kAfterCallTarget = ":= . ( @ % ;";
inline constexpr std::string_view kDeclarationStart =
    "begin function pragma procedure subtype type <an identifier> <a double-quoted "
    "delimited-identifier> cursor";
inline constexpr std::string_view kPackageItem =
    "end function pragma procedure subtype type <an identifier> <a double-quoted "
    "delimited-identifier> cursor";
inline constexpr std::string_view kTypeName =
    "<an identifier> <a double-quoted delimited-identifier> double long ref char character "
    "national timestamp interval";
inline constexpr std::string_view kAfterDeclName =
    "constant exception <an identifier> <a double-quoted delimited-identifier> double long "
    "ref char character national timestamp interval";
inline constexpr std::string_view kUnitKind = "function package procedure trigger type";

}  // namespace expect

// "<terminators> <operators>": what may follow a complete operand.
inline std::string AfterOperand(std::string_view terminators) {
  std::string s(terminators);
  s += ' ';
  s += expect::kOperators;
  return s;
}

// The PLS-00103 message, its list wrapped as the server wraps it.
std::string ExpectedMessage(std::string_view symbol, std::string_view expected);

// Text upper-cased outside quotes, runs of blanks collapsed to one blank, trimmed.
std::string NormalizedText(std::string_view text);

}  // namespace tess::oci7::plsql
