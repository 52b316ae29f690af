// What every program may call without declaring it: STANDARD's exception functions
// (SQLCODE, SQLERRM, RAISE_APPLICATION_ERROR), the trigger predicates, NVL, the SQL
// functions the host evaluates, and the DBMS_OUTPUT and DBMS_LOCK packages.
#include <set>

#include "oci7/dialect/dialect.h"
#include "oci7/plsql/interp.h"

namespace tess::oci7::plsql {
namespace {

// SQL functions PL/SQL may call in its own expressions; the host evaluates them with the
// same code SQL statements use.  DECODE and the group functions are SQL-only.
const std::set<std::string>& SqlFunctions() {
  static const std::set<std::string> names = {
      "ABS",           "ACOS",      "ADD_MONTHS",
      "ASCII",         "ASIN",      "ATAN",
      "ATAN2",         "CEIL",      "CHARTOROWID",
      "CHR",           "COALESCE",  "CONCAT",
      "CONVERT",       "COS",       "COSH",
      "EXP",           "FLOOR",     "GREATEST",
      "HEXTORAW",      "INITCAP",   "INSTR",
      "INSTRB",        "LAST_DAY",  "LEAST",
      "LENGTH",        "LENGTHB",   "LN",
      "LOG",           "LOWER",     "LPAD",
      "LTRIM",         "MOD",       "MONTHS_BETWEEN",
      "NEW_TIME",      "NEXT_DAY",  "NLS_INITCAP",
      "NLS_LOWER",     "NLS_UPPER", "NLSSORT",
      "NULLIF",        "NVL2",      "POWER",
      "RAWTOHEX",      "REPLACE",   "ROUND",
      "ROWIDTOCHAR",   "RPAD",      "RTRIM",
      "SIGN",          "SIN",       "SINH",
      "SOUNDEX",       "SQRT",      "SUBSTR",
      "SUBSTRB",       "SYSDATE",   "TAN",
      "TANH",          "TO_CHAR",   "TO_DATE",
      "TO_MULTI_BYTE", "TO_NUMBER", "TO_SINGLE_BYTE",
      "TRANSLATE",     "TRIM",      "TRUNC",
      "UID",           "UPPER",     "USER",
      "USERENV",       "VSIZE",
  };
  return names;
}

[[noreturn]] void WrongArguments(const std::string& name) {
  Raise(6550, "PLS-00306: wrong number or types of arguments in call to '" + name + "'");
}

}  // namespace

bool Interp::CallBuiltin(const std::vector<std::string>& partsIn, const std::vector<Arg>& args,
                         Scope& scope, Value& result) {
  std::vector<std::string> parts = partsIn;
  if (parts.size() > 1 && parts[0] == "SYS") parts.erase(parts.begin());
  if (parts.size() > 1 && (parts[0] == "STANDARD" || parts[0] == "DBMS_STANDARD"))
    parts.erase(parts.begin());
  if (parts.size() > 2) return false;
  const std::string pkg = parts.size() == 2 ? parts[0] : "";
  const std::string& fn = parts.back();
  auto arg = [&](size_t i) { return Eval(*args.at(i).value, scope); };
  auto argc = [&](size_t lo, size_t hi) {
    if (args.size() < lo || args.size() > hi) WrongArguments(fn);
  };
  result = Value();

  if (pkg == "DBMS_OUTPUT") {
    if (fn == "ENABLE") {
      argc(0, 1);
      std::optional<int64_t> size = 20000;
      if (!args.empty()) {
        std::optional<double> n = ToNumber(arg(0));
        size = n ? std::optional<int64_t>(static_cast<int64_t>(*n)) : std::nullopt;
      }
      host_.OutputEnable(size);
    } else if (fn == "DISABLE") {
      argc(0, 0);
      host_.OutputDisable();
    } else if (fn == "PUT" || fn == "PUT_LINE") {
      argc(1, 1);
      std::string text = ValueToText(arg(0), DateFormat());
      host_.OutputPut(text);
      if (fn == "PUT_LINE") host_.OutputNewLine();
    } else if (fn == "NEW_LINE") {
      argc(0, 0);
      host_.OutputNewLine();
    } else if (fn == "GET_LINE") {
      argc(2, 2);
      std::optional<std::string> line = host_.OutputGetLine();
      Assign(*args[0].value, line ? Value::Str(*line) : Value(), scope);
      Assign(*args[1].value, Value::Num(line ? 0 : 1), scope);
    } else if (fn == "GET_LINES") {
      argc(2, 2);
      double wanted = ToNumber(arg(1)).value_or(0);
      Value lines;
      lines.kind = Value::Table;
      lines.table = std::make_shared<TableValue>();
      double got = 0;
      while (got < wanted) {
        std::optional<std::string> line = host_.OutputGetLine();
        if (!line) break;
        TableKey k;
        k.number = ++got;
        lines.table->elements[k] = Value::Str(*line);
      }
      Assign(*args[0].value, lines, scope);
      Assign(*args[1].value, Value::Num(got), scope);
    } else {
      Raise(6550, "PLS-00302: component '" + fn + "' must be declared");
    }
    return true;
  }
  if (pkg == "DBMS_LOCK") {
    if (fn != "SLEEP") Raise(6550, "PLS-00302: component '" + fn + "' must be declared");
    argc(1, 1);
    std::optional<double> seconds = ToNumber(arg(0));
    if (!seconds || *seconds < 0 || *seconds > 86400) ThrowValueError("");
    host_.Sleep(*seconds);
    return true;
  }
  if (!pkg.empty()) return false;

  if (fn == "RAISE_APPLICATION_ERROR") {
    argc(2, 3);
    std::optional<double> n = ToNumber(arg(0));
    if (!n || *n < -20999 || *n > -20000) Raise(21000, n ? FormatOracleNumber(*n) : std::string());
    std::string message = ValueToText(arg(1), DateFormat());
    if (message.size() > 2048) message.resize(2048);
    throw MakeException(static_cast<int>(-*n), message);
  }
  if (fn == "SQLCODE") {
    argc(0, 0);
    if (handling_.empty()) return result = Value::Num(0), true;
    const PlsqlException& e = handling_.back();
    int code = e.user && e.user->code == 0 ? -1 : e.code == 1403 ? -100 : e.code;
    result = Value::Num(-code);
    return true;
  }
  if (fn == "SQLERRM") {
    argc(0, 1);
    if (args.empty()) {
      if (handling_.empty())
        return result = Value::Str("ORA-0000: normal, successful completion"), true;
      result = Value::Str(handling_.back().message);
      return true;
    }
    std::optional<double> n = ToNumber(arg(0));
    int code = n ? static_cast<int>(*n) : 0;
    if (code == 0)
      result = Value::Str("ORA-0000: normal, successful completion");
    else if (code == 100)
      result = Value::Str(OraText(1403));
    else if (code > 0)
      result = Value::Str("User-Defined Exception");
    else
      result = Value::Str(OraText(-code));
    return true;
  }
  if (fn == "INSERTING" || fn == "UPDATING" || fn == "DELETING") {
    if (!triggerSpec_) return false;
    argc(0, fn == "UPDATING" ? 1 : 0);
    TriggerEvent want = fn == "INSERTING"  ? TriggerEvent::Insert
                        : fn == "UPDATING" ? TriggerEvent::Update
                                           : TriggerEvent::Delete;
    bool on = triggerEvent_ == want;
    if (on && !args.empty()) {
      std::string column = ValueToText(arg(0), DateFormat());
      for (char& c : column) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      on = false;
      if (triggerRow_)
        for (const std::string& u : triggerRow_->updatedColumns) on = on || u == column;
    }
    result = Value::Bool(on);
    return true;
  }
  if (fn == "NVL") {
    argc(2, 2);
    Value a = arg(0);
    if (!a.IsNull()) {
      result = a;
      return true;
    }
    // The second value takes the first's type: a variable's as declared, a literal's.
    Type first;
    const Expr& x = *args[0].value;
    size_t used = 0;
    if (x.kind == ExprKind::Number) {
      first.base = Type::Number;
    } else if (x.kind == ExprKind::Name) {
      Variable* var = FindVariable(x.parts, used, scope);
      if (var && var->type && used == x.parts.size()) first.base = var->type->base;
    }
    if (first.base == Type::Char) first.base = Type::Varchar;
    if (first.base == Type::Integer) first.base = Type::Number;
    result = Coerce(arg(1), first, DateFormat());
    return true;
  }
  if (fn == "DECODE")
    Raise(6550,
          "PLS-00204: function or pseudo-column 'DECODE' may be used inside a SQL "
          "statement only");
  if (SqlFunctions().count(fn)) {
    std::vector<Value> values;
    std::string text = fn;
    if (!args.empty() || (fn != "SYSDATE" && fn != "USER" && fn != "UID")) {
      text += "(";
      for (size_t i = 0; i < args.size(); ++i) {
        if (!args[i].name.empty()) WrongArguments(fn);
        Value v = arg(i);
        if (v.kind == Value::Boolean || v.kind == Value::Record || v.kind == Value::Table ||
            v.kind == Value::Cursor)
          WrongArguments(fn);
        values.push_back(std::move(v));
        text += (i ? ", :" : ":") + std::to_string(i + 1);
      }
      text += ")";
    }
    if ((fn == "GREATEST" || fn == "LEAST") && !values.empty()) {
      // The values after the first are compared as values of its type.
      Type first;
      first.base = values[0].kind == Value::Number ? Type::Number
                   : values[0].kind == Value::Date ? Type::Date
                   : values[0].kind == Value::Text ? Type::Varchar
                                                   : Type::Any;
      for (size_t i = 1; i < values.size(); ++i) values[i] = Coerce(values[i], first, DateFormat());
    }
    result = host_.Evaluate(text, values);
    return true;
  }
  return false;
}

}  // namespace tess::oci7::plsql
