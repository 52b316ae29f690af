// The semantic checks the server makes right after parsing, as far as they can be decided
// from the text and what the dictionary tells: END names (PLS-00113), SELECT without INTO
// (PLS-00428), and identifiers that nothing declares (PLS-00201).
//
// Identifiers are checked only when the environment can say whether a name is a schema
// object; a package body's names additionally need its specification's names.  A name is
// declared when a block, subprogram, loop, label or the unit itself declares it, when the
// language predefines it, or when the dictionary knows it.
#include <algorithm>
#include <set>
#include <unordered_set>

#include "oci7/plsql/parser.h"

namespace tess::oci7::plsql {
namespace {

// What every session has without declaring it: STANDARD's and DBMS_STANDARD's functions,
// exceptions and types, and the packages the server always holds.
const std::unordered_set<std::string>& Predefined() {
  // clang-format off
  static const std::unordered_set<std::string> names = {
      // functions and pseudo-columns
      "ABS", "ACOS", "ADD_MONTHS", "ASCII", "ASCIISTR", "ASIN", "ATAN", "ATAN2", "BITAND", "CEIL",
      "CHARTOROWID", "CHR", "COALESCE", "CONCAT", "CONVERT", "COS", "COSH", "CURRENT_DATE",
      "CURRENT_TIMESTAMP", "DBTIMEZONE", "DUMP", "EMPTY_BLOB", "EMPTY_CLOB", "EXP", "FLOOR",
      "FROM_TZ", "GREATEST", "HEXTORAW", "INITCAP", "INSTR", "INSTRB", "INSTRC", "INSTR2",
      "INSTR4", "BFILENAME", "LAST_DAY", "LEAST", "LENGTH", "LENGTHB", "LN", "LOCALTIMESTAMP",
      "LOG", "LOWER", "LPAD", "LTRIM", "MOD", "MONTHS_BETWEEN", "NANVL", "NEW_TIME", "NEXT_DAY",
      "NLS_CHARSET_ID", "NLS_INITCAP", "NLS_LOWER", "NLS_UPPER", "NLSSORT", "NULLIF",
      "NUMTODSINTERVAL", "NUMTOYMINTERVAL", "NVL", "NVL2", "POWER", "RAWTOHEX", "REGEXP_COUNT",
      "REGEXP_INSTR", "REGEXP_LIKE", "REGEXP_REPLACE", "REGEXP_SUBSTR", "REMAINDER", "REPLACE",
      "ROUND", "ROWIDTOCHAR", "RPAD", "RTRIM", "SESSIONTIMEZONE", "SIGN", "SIN", "SINH",
      "SOUNDEX", "SQLCODE", "SQLERRM", "SQRT", "SUBSTR", "SUBSTRB", "SUBSTRC", "SUBSTR2",
      "SUBSTR4", "LENGTHC", "SYS_CONTEXT", "SYS_EXTRACT_UTC", "SYS_GUID", "SYSDATE",
      "SYSTIMESTAMP", "TAN", "TANH", "TO_BINARY_DOUBLE", "TO_BINARY_FLOAT", "TO_BLOB", "TO_CHAR",
      "TO_CLOB", "TO_DATE", "TO_DSINTERVAL", "TO_LABEL", "TO_MULTI_BYTE", "TO_NCHAR", "TO_NCLOB",
      "TO_NUMBER", "TO_SINGLE_BYTE", "TO_TIMESTAMP", "TO_TIMESTAMP_TZ", "TO_YMINTERVAL",
      "TRANSLATE", "TRIM", "TRUNC", "TZ_OFFSET", "UID", "UNISTR", "UPPER", "USER", "USERENV",
      "VSIZE", "XMLTYPE", "DECODE", "CAST", "TREAT", "EXTRACT", "SQL", "SET", "CARDINALITY",
      "COLLECT", "POWERMULTISET",
      // DBMS_STANDARD
      "RAISE_APPLICATION_ERROR", "INSERTING", "UPDATING", "DELETING", "ORA_DICT_OBJ_NAME",
      "ORA_DICT_OBJ_OWNER", "ORA_DICT_OBJ_TYPE", "ORA_SYSEVENT", "ORA_LOGIN_USER",
      "ORA_IS_ALTER_COLUMN", "ORA_DATABASE_NAME", "ORA_DES_ENCRYPTED_PASSWORD",
      "ORA_INSTANCE_NUM", "ORA_SERVER_ERROR", "ORA_SQL_TXT", "COMMIT", "ROLLBACK", "SAVEPOINT",
      "SELF",
      // predefined exceptions
      "ACCESS_INTO_NULL", "CASE_NOT_FOUND", "COLLECTION_IS_NULL", "CURSOR_ALREADY_OPEN",
      "DUP_VAL_ON_INDEX", "INVALID_CURSOR", "INVALID_NUMBER", "LOGIN_DENIED", "NO_DATA_FOUND",
      "NO_DATA_NEEDED", "NOT_LOGGED_ON", "PROGRAM_ERROR", "ROWTYPE_MISMATCH", "SELF_IS_NULL",
      "STORAGE_ERROR", "SUBSCRIPT_BEYOND_COUNT", "SUBSCRIPT_OUTSIDE_LIMIT", "SYS_INVALID_ROWID",
      "TIMEOUT_ON_RESOURCE", "TOO_MANY_ROWS", "TRANSACTION_BACKED_OUT", "VALUE_ERROR",
      "ZERO_DIVIDE", "OTHERS",
      // types
      "VARCHAR2", "VARCHAR", "STRING", "CHAR", "CHARACTER", "NCHAR", "NVARCHAR2", "NUMBER",
      "NUMERIC", "DEC", "DECIMAL", "INTEGER", "INT", "SMALLINT", "FLOAT", "REAL",
      "DOUBLE PRECISION", "BINARY_INTEGER", "PLS_INTEGER", "SIMPLE_INTEGER", "NATURAL",
      "NATURALN", "POSITIVE", "POSITIVEN", "SIGNTYPE", "BINARY_FLOAT", "BINARY_DOUBLE", "BOOLEAN",
      "DATE", "LONG", "LONG RAW", "RAW", "ROWID", "UROWID", "MLSLABEL", "CLOB", "NCLOB", "BLOB",
      "BFILE", "SYS_REFCURSOR", "TIMESTAMP", "TIMESTAMP WITH TIME ZONE",
      "TIMESTAMP WITH LOCAL TIME ZONE", "INTERVAL YEAR TO MONTH", "INTERVAL DAY TO SECOND",
      "ANYDATA", "ANYTYPE", "XMLTYPE", "SDO_GEOMETRY",
      // packages
      "STANDARD", "DBMS_STANDARD", "DBMS_OUTPUT", "DBMS_LOCK", "DBMS_SQL", "DBMS_PIPE",
      "DBMS_ALERT", "DBMS_UTILITY", "DBMS_SESSION", "DBMS_TRANSACTION", "DBMS_APPLICATION_INFO",
      "DBMS_JOB", "DBMS_DDL", "DBMS_DESCRIBE", "DBMS_LOB", "DBMS_RANDOM", "DBMS_SCHEDULER",
      "DBMS_METADATA", "DBMS_XMLGEN", "DBMS_CRYPTO", "DBMS_OBFUSCATION_TOOLKIT",
      "DBMS_DB_VERSION", "DBMS_PROFILER", "DBMS_TYPES", "DBMS_ASSERT", "DBMS_STATS", "DBMS_XPLAN",
      "UTL_FILE", "UTL_HTTP", "UTL_RAW", "UTL_ENCODE", "UTL_I18N", "UTL_SMTP", "UTL_TCP",
      "UTL_URL", "UTL_MAIL", "UTL_CALL_STACK", "UTL_COMPRESS", "OWA_UTIL", "HTP", "HTF", "SYS",
      "PUBLIC",
  };
  // clang-format on
  return names;
}

// The members of the built-in packages the interpreter provides, with their argument
// counts.
struct BuiltinMember {
  const char* package;
  const char* name;
  size_t minArgs, maxArgs;
};
constexpr BuiltinMember kBuiltinMembers[] = {
    {"DBMS_OUTPUT", "ENABLE", 0, 1},
    {"DBMS_OUTPUT", "DISABLE", 0, 0},
    {"DBMS_OUTPUT", "PUT", 1, 1},
    {"DBMS_OUTPUT", "PUT_LINE", 1, 1},
    {"DBMS_OUTPUT", "NEW_LINE", 0, 0},
    {"DBMS_OUTPUT", "GET_LINE", 2, 2},
    {"DBMS_OUTPUT", "GET_LINES", 2, 2},
    {"DBMS_LOCK", "SLEEP", 1, 1},
    // Members the server has and the interpreter does not run: no compile error here
    // (the subset check refuses them).
    {"DBMS_LOCK", "ALLOCATE_UNIQUE", 2, 3},
    {"DBMS_LOCK", "REQUEST", 1, 4},
    {"DBMS_LOCK", "CONVERT", 2, 3},
    {"DBMS_LOCK", "RELEASE", 1, 1},
    {"DBMS_LOCK", "NL_MODE", 0, 0},
    {"DBMS_LOCK", "SS_MODE", 0, 0},
    {"DBMS_LOCK", "SX_MODE", 0, 0},
    {"DBMS_LOCK", "S_MODE", 0, 0},
    {"DBMS_LOCK", "SSX_MODE", 0, 0},
    {"DBMS_LOCK", "X_MODE", 0, 0},
    {"DBMS_LOCK", "MAXWAIT", 0, 0},
    {"DBMS_OUTPUT", "CHARARR", 0, 0},
};

bool BuiltinType(const TypeSpec& t) {
  return t.attribute.empty() && t.name.size() == 1 && Predefined().count(t.name[0]) > 0;
}

class Checker {
 public:
  Checker(const Unit& unit, std::string_view text, const Environment& env)
      : unit_(unit), text_(text), env_(env) {}

  std::vector<Message> Run() {
    EndNames();
    identifiers_ = env_.isSchemaObject != nullptr;
    Push();
    if (!unit_.name.empty()) Declare(unit_.name);
    if (unit_.kind == UnitKind::PackageBody) {
      std::optional<std::vector<std::string>> spec;
      if (env_.packageSpecNames) spec = env_.packageSpecNames(unit_.name);
      if (!spec)
        identifiers_ = false;
      else
        for (const std::string& n : *spec) Declare(n);
    }
    // Object type bodies see their attributes, which only the type's specification holds.
    if (unit_.kind == UnitKind::TypeBody || unit_.kind == UnitKind::Type) identifiers_ = false;
    if (unit_.kind == UnitKind::Trigger) {
      Declare(unit_.trigger.referencingNew);
      Declare(unit_.trigger.referencingOld);
      Declare("PARENT");
    }
    if (unit_.subprogram) Subprogram(*unit_.subprogram);
    Decls(unit_.decls);
    if (unit_.block) Block(*unit_.block);
    for (const auto& m : unit_.methods) Subprogram(m);
    Pop();
    return std::move(out_);
  }

 private:
  void Report(size_t offset, std::string text) {
    for (const Message& m : out_)
      if (m.offset == offset && m.text == text) return;
    Message m;
    m.offset = offset;
    m.text = std::move(text);
    out_.push_back(std::move(m));
  }

  // ---- END names
  void EndName(const std::string& endName, size_t endOffset, const std::string& name,
               size_t nameOffset, std::string_view text) {
    if (endName.empty() || endName == name) return;
    LineColumn lc = LineColumnAt(text, nameOffset);
    Report(endOffset, "PLS-00113: END identifier '" + endName + "' must match '" + name +
                          "' at line " + std::to_string(lc.line) + ", column " +
                          std::to_string(lc.column));
  }
  void EndNames() {
    if (unit_.kind != UnitKind::Anonymous && unit_.kind != UnitKind::Trigger)
      EndName(unit_.endName, unit_.endNameOffset, unit_.name, unit_.nameOffset, text_);
  }

  // ---- scopes
  void Push() { scopes_.emplace_back(); }
  void Pop() { scopes_.pop_back(); }
  void Declare(const std::string& name) {
    if (!scopes_.empty()) scopes_.back().insert(name);
  }
  bool Known(const std::string& name) const {
    for (const auto& s : scopes_)
      if (s.count(name)) return true;
    if (Predefined().count(name)) return true;
    return env_.isSchemaObject && env_.isSchemaObject("", name);
  }
  bool Local(const std::string& name) const {
    for (const auto& s : scopes_)
      if (s.count(name)) return true;
    return false;
  }
  void CheckName(const std::vector<std::string>& parts, size_t offset, size_t stmtOffset,
                 const char* ignored) {
    if (!identifiers_ || parts.empty()) return;
    // OWNER.NAME: the schema's object must be there for this unit.
    if (parts.size() >= 2 && !Local(parts[0]) && env_.isUser && env_.isUser(parts[0]) &&
        !Predefined().count(parts[0])) {
      if (env_.isSchemaObject(parts[0], parts[1]))
        return CheckValid(parts[0], parts[1], offset, stmtOffset, ignored);
      Report(stmtOffset, std::string("PL/SQL: ") + ignored + " ignored");
      Report(offset, "PLS-00201: identifier '" + parts[0] + "." + parts[1] + "' must be declared");
      return;
    }
    if (Known(parts[0])) {
      if (!Local(parts[0]) && !Predefined().count(parts[0]))
        CheckValid("", parts[0], offset, stmtOffset, ignored);
      return;
    }
    std::string dotted;
    for (const std::string& p : parts) dotted += (dotted.empty() ? "" : ".") + p;
    Report(stmtOffset, std::string("PL/SQL: ") + ignored + " ignored");
    Report(offset, "PLS-00201: identifier '" + dotted + "' must be declared");
  }
  // A stored program used must compile.
  void CheckValid(const std::string& owner, const std::string& name, size_t offset,
                  size_t stmtOffset, const char* ignored) {
    if (!env_.invalidProgram) return;
    if (auto invalid = env_.invalidProgram(owner, name)) {
      Report(stmtOffset, std::string("PL/SQL: ") + ignored + " ignored");
      Report(offset, "PLS-00905: object " + *invalid + " is invalid");
    }
  }
  void Type(const TypeSpec& t, size_t declOffset) {
    if (t.empty() || BuiltinType(t) || t.name[0] == "SELF AS RESULT") return;
    CheckName(t.name, t.offset, declOffset, "Item");
  }

  // A call of a built-in package's member: the member must exist and take that many
  // arguments.  Decidable without the dictionary.
  void BuiltinCall(const tess::oci7::plsql::Expr& name, size_t args, size_t stmt) {
    std::vector<std::string> parts = name.parts;
    size_t first = 0;
    if (parts.size() == 3 && parts[0] == "SYS") first = 1;
    if (parts.size() - first != 2) return;
    const std::string& package = parts[first];
    const std::string& member = parts[first + 1];
    if (package != "DBMS_OUTPUT" && package != "DBMS_LOCK") return;
    for (const auto& scope : scopes_)
      if (scope.count(package)) return;
    for (const BuiltinMember& b : kBuiltinMembers) {
      if (package != b.package || member != b.name) continue;
      if (args < b.minArgs || args > b.maxArgs) {
        Report(stmt, "PL/SQL: Statement ignored");
        Report(name.offset,
               "PLS-00306: wrong number or types of arguments in call to '" + member + "'");
      }
      return;
    }
    Report(stmt, "PL/SQL: Statement ignored");
    Report(name.partOffsets[first + 1], "PLS-00302: component '" + member + "' must be declared");
  }

  // ---- expressions
  void Expr(const tess::oci7::plsql::Expr* e, size_t stmt) {
    if (!e) return;
    if (e->kind == ExprKind::Name) {
      BuiltinCall(*e, 0, stmt);
      if (!e->partOffsets.empty()) CheckName(e->parts, e->partOffsets[0], stmt, "Statement");
      return;
    }
    if (e->kind == ExprKind::Call && e->operands[0]->kind == ExprKind::Name) {
      const tess::oci7::plsql::Expr& callee = *e->operands[0];
      BuiltinCall(callee, e->args.size(), stmt);
      if (!callee.partOffsets.empty())
        CheckName(callee.parts, callee.partOffsets[0], stmt, "Statement");
      for (const auto& a : e->args) Expr(a.value.get(), stmt);
      return;
    }
    for (const auto& o : e->operands) Expr(o.get(), stmt);
    for (const auto& a : e->args) Expr(a.value.get(), stmt);
  }

  // An embedded SQL statement: its tables must be there when the unit is compiled.
  void Sql(const SqlText& sql) {
    if (!env_.checkSql) return;
    auto declared = [this](const std::string& name) { return Local(name); };
    if (auto error = env_.checkSql(sql.text, declared)) {
      Report(sql.offset, "PL/SQL: SQL Statement ignored");
      Report(sql.offset + error->first, "PL/SQL: " + error->second);
    }
  }

  // ---- statements
  void Stmts(const StmtList& list) {
    for (const auto& s : list) Stmt(*s);
  }
  void Stmt(const tess::oci7::plsql::Stmt& s) {
    for (const std::string& l : s.labels) Declare(l);
    size_t at = s.offset;
    Expr(s.target.get(), at);
    if (s.kind != StmtKind::ForAll) Expr(s.value.get(), at);
    for (const auto& c : s.conds) Expr(c.get(), at);
    for (const auto& b : s.branches) Stmts(b);
    Stmts(s.elseBranch);
    for (const auto& t : s.into) Expr(t.get(), at);
    for (const auto& u : s.usings) Expr(u.value.get(), at);
    for (const auto& t : s.returningInto) Expr(t.get(), at);
    if (s.sql) {
      if (s.kind == StmtKind::Sql && s.sql->verb == "SELECT" && s.sql->into.empty())
        Report(s.sql->offset, "PLS-00428: an INTO clause is expected in this SELECT statement");
      Sql(*s.sql);
      for (const auto& t : s.sql->into) Expr(t.get(), at);
      for (const auto& t : s.sql->returningInto) Expr(t.get(), at);
    }
    switch (s.kind) {
      case StmtKind::ForRange:
      case StmtKind::ForCursor:
      case StmtKind::ForAll:
        Expr(s.low.get(), at);
        Expr(s.high.get(), at);
        if (s.kind == StmtKind::ForAll) Expr(s.value.get(), at);
        Push();
        Declare(s.name);
        Stmts(s.body);
        Pop();
        return;
      case StmtKind::Block:
        if (s.block) Block(*s.block);
        return;
      default:
        Stmts(s.body);
    }
  }

  void Block(const tess::oci7::plsql::Block& b) {
    Push();
    for (const std::string& l : b.labels) Declare(l);
    Decls(b.decls);
    Stmts(b.body);
    for (const Handler& h : b.handlers) {
      for (size_t i = 0; i < h.names.size(); ++i)
        CheckName(h.names[i], h.nameOffsets[i], h.offset, "Statement");
      Stmts(h.body);
    }
    Pop();
  }

  void Decls(const std::vector<Decl>& decls) {
    // Subprograms may be called before their bodies appear; everything else is declared
    // in order, so the whole list is visible to the bodies.
    for (const Decl& d : decls) Declare(d.name);
    for (const Decl& d : decls) {
      Type(d.type, d.offset);
      if (d.indexBy) Type(*d.indexBy, d.offset);
      Expr(d.init.get(), d.offset);
      for (const Field& f : d.fields) {
        Type(f.type, d.offset);
        Expr(f.init.get(), d.offset);
      }
      if (d.kind == DeclKind::Cursor) {
        Push();
        for (const Param& p : d.params) {
          Type(p.type, d.offset);
          Declare(p.name);
        }
        if (d.query) Sql(*d.query);
        Pop();
      }
      if (d.subprogram) Subprogram(*d.subprogram);
    }
  }

  void Subprogram(const tess::oci7::plsql::Subprogram& sp) {
    Declare(sp.name);
    Push();
    Declare(sp.name);
    for (const Param& p : sp.params) {
      Type(p.type, p.offset);
      Expr(p.defaultValue.get(), p.offset);
      Declare(p.name);
    }
    if (sp.returnType) Type(*sp.returnType, sp.offset);
    if (sp.body) {
      if (!sp.body->endName.empty())
        EndName(sp.body->endName, sp.body->endNameOffset, sp.name, sp.nameOffset, text_);
      Block(*sp.body);
    }
    Pop();
  }

  const Unit& unit_;
  std::string_view text_;
  const Environment& env_;
  bool identifiers_ = false;
  std::vector<std::set<std::string>> scopes_;
  std::vector<Message> out_;
};

}  // namespace

std::vector<Message> CheckUnit(const Unit& unit, std::string_view text, const Environment& env) {
  Checker checker(unit, text, env);
  std::vector<Message> out = checker.Run();
  FinishMessages(text, out);
  return out;
}

ParseResult CompileUnit(std::string_view text, const Environment& env) {
  ParseResult r = ParseUnit(text);
  if (r.unit && r.errors.empty()) {
    r.errors = CheckUnit(*r.unit, text, env);
  }
  return r;
}

}  // namespace tess::oci7::plsql
