// The interpreter's inner workings, shared by its source files: runtime types, scopes,
// exceptions, and the Interp that runs one call into the runtime.  Internal.
//
// Scopes follow the program's nesting: a block's scope has the scope it is written in as
// parent; a subprogram's scope has the scope it was declared in, so nested subprograms
// see their enclosing blocks' names and a package's subprograms see the package's state.
// Control leaves statements as a Flow (EXIT, CONTINUE, RETURN and GOTO unwind to where
// they land); PL/SQL exceptions travel as C++ exceptions (PlsqlException).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "oci7/dialect/stack_room.h"
#include "oci7/plsql/runtime.h"

namespace tess::oci7::plsql {

struct Type;
using TypePtr = std::shared_ptr<const Type>;

struct Type {
  enum Base {
    Any,
    Number,
    Integer,
    Varchar,
    Char,
    Long,
    Date,
    Boolean,
    Raw,
    Rowid,
    Record,
    Table,
    RefCursor
  };
  Base base = Any;
  int length = 0;  // VARCHAR2 / CHAR / RAW: maximum length; 0 unconstrained
  int precision = 0;
  int scale = 0;
  bool hasScale = false;
  bool notNull = false;
  std::string name;
  std::vector<std::pair<std::string, TypePtr>> fields;  // Record
  std::vector<Value> fieldDefaults;                     // Record: a field's := value
  TypePtr element;                                      // Table
  bool textIndex = false;                               // Table INDEX BY VARCHAR2
};

// A user-declared exception; EXCEPTION_INIT gives it an Oracle code.
struct ExceptionInfo {
  std::string name;
  int code = 0;
};
using ExceptionPtr = std::shared_ptr<ExceptionInfo>;

struct Variable {
  Value value;
  TypePtr type;
  bool constant = false;
  const Decl* cursor = nullptr;  // an explicit cursor's declaration
};

// What a running unit is: for stack lines, the schema its SQL names resolve in, and the
// text its offsets point into.
struct UnitContext {
  std::string owner, name;  // "" for an anonymous block
  std::string schema;
  std::string_view text;
  std::shared_ptr<const StoredUnit> keep;
};

struct Scope;
struct Callable {
  const Subprogram* sp = nullptr;
  Scope* scope = nullptr;  // where it was declared
  UnitContext* unit = nullptr;
};

struct Scope {
  Scope* parent = nullptr;
  UnitContext* unit = nullptr;
  std::vector<std::string> names;  // labels and the subprogram or package name
  std::map<std::string, Variable> vars;
  std::map<std::string, TypePtr> types;
  std::map<std::string, ExceptionPtr> exceptions;
  std::multimap<std::string, Callable> subprograms;
  bool isPackage = false;
};

struct PlsqlException {
  int code = 0;         // the Oracle code; 1 for a user-defined exception without one
  std::string message;  // "ORA-01403: no data found"
  ExceptionPtr user;
  std::string stack;  // "ORA-06512: at ..." lines, one per unit passed
};

struct PackageInstance {
  std::shared_ptr<const StoredUnit> spec, body;
  std::unique_ptr<UnitContext> unit;
  std::unique_ptr<Scope> scope;
  bool ready = false;
  uint64_t checkedRun = 0;  // the last call in which its version was checked
};

enum class Flow { Next, Exit, Continue, Return, Goto };

struct RuntimeState {
  std::map<std::string, std::unique_ptr<PackageInstance>> packages;  // by PhysicalKey
  int depth = 0;     // calls into the runtime under way (triggers nest)
  uint64_t run = 0;  // counts outermost calls
  // Packages discarded during a call, kept until it ends: their code may be running.
  std::vector<std::unique_ptr<PackageInstance>> retired;

  void Discard(const std::string& key) {
    auto it = packages.find(key);
    if (it == packages.end()) return;
    if (depth > 0 && it->second) retired.push_back(std::move(it->second));
    packages.erase(it);
  }
};

// The text of an Oracle code's message: "ORA-nnnnn: text".
std::string OraText(int code, const std::string& detail = {});
PlsqlException MakeException(int code, const std::string& detail = {});
[[noreturn]] void Raise(int code, const std::string& detail = {});

// Conversions and operators (values.cpp).
std::optional<double> ToNumber(const Value& v);  // nullopt for NULL; throws 6502
Value Coerce(const Value& v, const Type& t, const std::string& dateFormat);
int Compare(const Value& a, const Value& b, const std::string& dateFormat);

// What a call must leave for the frames it needs and the error's unwinding: with the
// address sanitizer every frame is several times larger.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kStackReserve = 1024 * 1024;
#else
constexpr size_t kStackReserve = 256 * 1024;
#endif  // NULLs excluded
bool LikeMatch(const std::string& text, const std::string& pattern, int escape);
std::string DateAddDays(const std::string& stored, double days);
double DateDiffDays(const std::string& a, const std::string& b);
TypePtr TypeFromColumn(const ColumnType& c);
TypePtr AnyType();
// "a.b.c" as its parts a, b and c (eval.cpp).
std::vector<std::string> DottedParts(const std::string& dotted);

class Interp {
 public:
  Interp(RuntimeState& state, Host& host) : state_(state), host_(host) {}

  // Entry points (interpreter.cpp).
  void RunAnonymous(const Unit& unit, UnitContext& context);
  void FireTrigger(const StoredUnit& trigger, TriggerEvent event, TriggerRow* row);
  bool TriggerCondition(const StoredUnit& trigger, TriggerEvent event, TriggerRow& row);

  // Declarations and types (interpreter.cpp).
  void Elaborate(const std::vector<Decl>& decls, Scope& scope);
  TypePtr ResolveType(const TypeSpec& spec, Scope& scope);
  Value InitialValue(const Type& t);

  // Statements (exec.cpp).  RunBlock gives the block a scope of its own under `scope`;
  // RunBody runs it in `scope` (a subprogram's, which already holds the parameters).
  Flow RunBlock(const Block& b, Scope& scope);
  Flow RunBody(const Block& b, Scope& scope);
  Flow ExecList(const StmtList& list, Scope& scope);
  Flow Exec(const Stmt& s, Scope& scope);

  // Expressions (eval.cpp).
  Value Eval(const Expr& e, Scope& scope);
  bool Truth(const Expr& e, Scope& scope);  // TRUE; FALSE and NULL are not
  void Assign(const Expr& target, const Value& v, Scope& scope);
  // The storage an assignment target names, and its type; null for a caller's bind.
  Value* Locate(const Expr& target, Scope& scope, TypePtr& type, bool forWrite);
  TableKey KeyOf(const Value& index, const Type* tableType);
  // A variable by dotted name (NAME, LABEL.NAME, PKG.NAME, OWNER.PKG.NAME); `used` is how
  // many parts named it.
  Variable* FindVariable(const std::vector<std::string>& parts, size_t& used, Scope& scope);
  Value CallByName(const Expr& callee, const std::vector<std::string>& parts,
                   const std::vector<Arg>& args, Scope& scope, bool wantValue);
  Value CallSub(const std::vector<Callable>& candidates, const std::vector<Arg>& args,
                Scope& caller, bool wantValue, const std::string& name);
  PackageInstance& Package(const std::string& owner, const std::string& name);
  // The variable a dotted name (NAME, NAME.FIELD) starts with, nullptr when none; `parts`
  // receives the name's parts and `used` how many of them name the variable.
  Variable* FindDotted(const std::string& dotted, std::vector<std::string>& parts, size_t& used,
                       Scope& scope);
  bool IsVariableName(const std::string& dotted, Scope& scope);
  // The Oracle type code of the variable (or record field) a dotted name is, 0 unknown.
  int VariableTypeCode(const std::string& dotted, Scope& scope);

  // SQL (exec.cpp).
  std::unique_ptr<SqlStatement> PrepareSql(const SqlText& sql, Scope& scope);
  void ExecuteSql(SqlStatement& st, Scope& scope);
  void AssignRow(const std::vector<ExprPtr>& targets, const std::vector<Value>& row,
                 const std::vector<std::string>& columns, Scope& scope);

  // Built-ins (builtins.cpp): true when `parts` named one.
  bool CallBuiltin(const std::vector<std::string>& parts, const std::vector<Arg>& args,
                   Scope& scope, Value& result);

  std::optional<ProgramRef> FindProgram(const std::string& owner, const std::string& name,
                                        Scope& scope);
  UnitContext* StandaloneContext(const StoredUnit& unit);
  Host& host() { return host_; }
  const std::string& DateFormat();

  // The exception being handled, for SQLCODE, SQLERRM and RAISE without a name.
  std::vector<PlsqlException> handling_;
  // Where control is going when a Flow other than Next comes back.
  std::string flowLabel_;
  Value returnValue_;
  // The implicit cursor SQL%.
  CursorValue sqlCursor_;
  // Trigger context.
  TriggerEvent triggerEvent_ = TriggerEvent::Insert;
  TriggerRow* triggerRow_ = nullptr;
  const TriggerSpec* triggerSpec_ = nullptr;

  struct Frame {
    UnitContext* unit;
    size_t offset;
  };
  std::vector<Frame> frames_;
  void AddStackLine(PlsqlException& e);

 private:
  RuntimeState& state_;
  Host& host_;
  std::map<std::string, std::optional<ProgramRef>> programs_;
  std::map<std::string, std::unique_ptr<UnitContext>> standalone_;
  std::string dateFormat_;
  bool haveDateFormat_ = false;
};

}  // namespace tess::oci7::plsql
