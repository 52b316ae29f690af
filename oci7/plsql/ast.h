// The tree the PL/SQL front end builds from a program unit: anonymous blocks, stored
// procedures and functions, package specifications and bodies, triggers and object types.
// The interpreter runs it; the dictionary reads headers and arguments from it.
//
// Every node keeps the byte offset of its first token in the text that was parsed, so that
// compile and run-time errors can name the line and column the user wrote.  Embedded SQL
// is not parsed here: it is kept as text (with its INTO and RETURNING ... INTO clauses
// blanked out, so offsets inside it still match the original) for the SQL translator.
// Names are upper-cased unless they were written as quoted identifiers.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tess::oci7::plsql {

struct Expr;
struct Stmt;
struct Block;
struct Decl;
struct Subprogram;
using ExprPtr = std::unique_ptr<Expr>;
using StmtPtr = std::unique_ptr<Stmt>;
using StmtList = std::vector<StmtPtr>;

// ---------------------------------------------------------------------------------------
// Types as written in declarations, parameters and RETURN clauses.

struct TypeSpec {
  size_t offset = 0;
  // The base type ("VARCHAR2", "LONG RAW", "DOUBLE PRECISION", "TIMESTAMP WITH TIME ZONE")
  // or a dotted name (a user type, or the object a %TYPE / %ROWTYPE refers to).
  std::vector<std::string> name;
  std::string attribute;      // "", "TYPE" or "ROWTYPE"
  std::optional<int> length;  // VARCHAR2(n), CHAR(n), RAW(n), NUMBER(p)
  std::optional<int> scale;   // NUMBER(p,s)
  bool ref = false;           // REF object_type
  std::string text;           // as written, blanks collapsed, upper-cased

  bool empty() const { return name.empty(); }
  // The dotted name as one string: "EMP.SAL".
  std::string Dotted() const;
};

// ---------------------------------------------------------------------------------------
// Expressions

enum class ExprKind {
  Number,  // text = literal as written
  String,  // text = value (quotes removed, '' undoubled)
  Null,
  Boolean,       // boolValue
  Name,          // parts = identifier chain: x, r.f, pkg.var, owner.pkg.fn
  Bind,          // text = bind name without the colon (:NEW -> "NEW")
  Member,        // operands[0] . text           (after a call: f(x).field)
  Call,          // operands[0] ( args )          (calls, and indexing of collections)
  Attribute,     // operands[0] % text            (FOUND, NOTFOUND, ISOPEN, ROWCOUNT, ...)
  Unary,         // text: "-", "+", "NOT"; operands[0]
  Binary,        // text: OR or AND over two or more operands; **, "MEMBER OF",
                 // "SUBMULTISET OF", "MULTISET UNION", ... over operands[0], operands[1]
  Chain,         // operands[0] ops[0] operands[1] ops[1] ...: one precedence level of
                 // comparisons (= <> < > <= >=), of + - ||, or of * / MOD REM, left to right
  Like,          // operands: value, pattern [, escape]; negated
  Between,       // operands: value, low, high; negated
  In,            // operands: value, item...; negated
  IsNull,        // operands[0]; negated
  IsTest,        // text: "A SET", "EMPTY", "OF" (IS OF (type)); operands[0]; negated
  Case,          // hasOperand: operands[0] is the selector; then WHEN, THEN pairs; hasElse
  TypedLiteral,  // text2 = DATE / TIMESTAMP / INTERVAL ..., text = the literal
  Cast,          // text = CAST or TREAT; operands[0]; type
  Inquiry,       // $$name: text = NAME
  New,           // NEW type(args): type, args
  Special,       // EXTRACT(field FROM e), TRIM([LEADING|TRAILING|BOTH] [c] FROM s):
                 // text = function, text2 = the keyword, operands
};

struct Arg {
  std::string name;  // named notation (name => value), else ""
  size_t nameOffset = 0;
  ExprPtr value;
};

struct Expr {
  ExprKind kind = ExprKind::Null;
  size_t offset = 0;  // first byte
  size_t end = 0;     // one past the last byte
  std::string text;
  std::string text2;
  bool boolValue = false;
  bool negated = false;
  bool hasOperand = false;
  bool hasElse = false;
  std::vector<std::string> parts;
  std::vector<size_t> partOffsets;
  std::vector<ExprPtr> operands;
  std::vector<std::string> ops;  // Chain: the operator after each operand but the last
  std::vector<Arg> args;
  std::optional<TypeSpec> type;
  int height = 1;  // levels of the tree from this node down, bounded by the parser
};

// ---------------------------------------------------------------------------------------
// Embedded SQL

struct SqlText {
  size_t offset = 0;  // of the first token in the parsed text
  size_t end = 0;
  std::string verb;  // SELECT (also for WITH), INSERT, UPDATE, DELETE, MERGE, LOCK, ...
  // The statement as written, INTO / BULK COLLECT INTO / RETURNING ... INTO clauses
  // replaced by blanks (line feeds kept), no terminating ";".  Byte k of text is byte
  // offset + k of the parsed text.
  std::string text;
  std::vector<ExprPtr> into;  // SELECT ... INTO targets
  bool bulkInto = false;
  // DML RETURNING expr, ... INTO targets: the expressions' text, and the targets.
  std::vector<std::string> returning;
  std::vector<ExprPtr> returningInto;
  bool bulkReturning = false;
};

// ---------------------------------------------------------------------------------------
// Statements

enum class StmtKind {
  Null,
  Assign,            // target := value
  Call,              // value is a Name / Member / Call expression
  If,                // conds[i] -> branches[i]; elseBranch when hasElse
  Case,              // value: selector (simple CASE) or null; conds[i] -> branches[i]
  Loop,              // body
  While,             // value: condition; body
  ForRange,          // var IN [REVERSE] low .. high LOOP body
  ForCursor,         // var IN cursor[(args)] | (query) LOOP body
  ForAll,            // var IN low .. high | INDICES OF / VALUES OF coll: body[0]
  Exit,              // [label] [WHEN value]
  Continue,          // [label] [WHEN value]
  Goto,              // name
  Return,            // [value]
  Raise,             // [target: the exception name]
  Block,             // block
  Sql,               // sql
  Open,              // target: the cursor (Name, or Call with arguments)
  OpenFor,           // target: cursor variable; sql, or value = dynamic text + usings
  Fetch,             // target: cursor; into; bulk; value = LIMIT
  Close,             // target
  ExecuteImmediate,  // value = text; into / bulk; usings; returningInto
  PipeRow,           // value
  Commit,
  Rollback,        // name = savepoint (ROLLBACK TO), else ""
  Savepoint,       // name
  SetTransaction,  // sql
  Pragma,          // name (an inline pragma)
};

struct Using {
  enum Mode { In, Out, InOut } mode = In;
  ExprPtr value;
};

struct Stmt {
  StmtKind kind = StmtKind::Null;
  size_t offset = 0;
  size_t end = 0;
  std::vector<std::string> labels;  // <<label>> written before the statement
  std::string name;                 // loop variable, label, savepoint, GOTO target
  ExprPtr target;
  ExprPtr value;
  std::vector<ExprPtr> conds;
  std::vector<StmtList> branches;
  bool hasElse = false;
  StmtList elseBranch;
  StmtList body;
  ExprPtr low, high;
  bool reverse = false;
  std::string forallKind;  // ForAll: "RANGE", "INDICES OF", "VALUES OF"
  std::unique_ptr<Block> block;
  std::unique_ptr<SqlText> sql;
  std::vector<ExprPtr> into;
  bool bulk = false;
  std::vector<Using> usings;
  std::vector<ExprPtr> returningInto;
  std::string endLabel;  // END LOOP label / END CASE label
};

// ---------------------------------------------------------------------------------------
// Declarations

struct Param {
  enum Mode { In, Out, InOut } mode = In;
  std::string name;
  size_t offset = 0;
  bool nocopy = false;
  TypeSpec type;
  ExprPtr defaultValue;
};

struct Field {
  std::string name;
  size_t offset = 0;
  TypeSpec type;
  bool notNull = false;
  ExprPtr init;
};

struct Handler {
  size_t offset = 0;
  std::vector<std::vector<std::string>> names;  // each name's parts; {"OTHERS"}
  std::vector<size_t> nameOffsets;
  StmtList body;
};

struct Block {
  size_t offset = 0;  // DECLARE or BEGIN (or the first declaration of a subprogram)
  size_t beginOffset = 0;
  size_t end = 0;
  std::vector<std::string> labels;
  std::vector<Decl> decls;
  StmtList body;
  std::vector<Handler> handlers;
  std::string endName;  // END name
  size_t endNameOffset = 0;
};

struct Subprogram {
  bool isFunction = false;
  std::string name;
  size_t offset = 0;  // PROCEDURE / FUNCTION (or the method's first modifier)
  size_t nameOffset = 0;
  size_t end = 0;
  std::vector<Param> params;
  std::optional<TypeSpec> returnType;   // functions; "SELF AS RESULT" for constructors
  std::vector<std::string> qualifiers;  // DETERMINISTIC, PIPELINED, AUTHID ..., ...
  std::string methodKind;  // object methods: MEMBER, STATIC, CONSTRUCTOR, MAP MEMBER, ...
  bool forward = false;    // a declaration without a body (package spec, forward, method spec)
  bool external = false;   // LANGUAGE ... / EXTERNAL: the body lives elsewhere
  std::unique_ptr<Block> body;
};

enum class DeclKind {
  Variable,
  Constant,
  Exception,
  Subtype,
  RecordType,
  TableType,      // TABLE OF type [INDEX BY type]
  VarrayType,     // VARRAY(n) OF type
  RefCursorType,  // REF CURSOR [RETURN type]
  Cursor,
  Pragma,
  Subprogram,
};

struct Decl {
  DeclKind kind = DeclKind::Variable;
  size_t offset = 0;
  size_t end = 0;
  std::string name;  // variable, type, cursor, exception, pragma (EXCEPTION_INIT, ...)
  size_t nameOffset = 0;
  TypeSpec type;  // variable / subtype / element / REF CURSOR and cursor RETURN type
  bool notNull = false;
  ExprPtr init;               // := / DEFAULT; VARRAY limit
  std::vector<Field> fields;  // RECORD
  std::optional<TypeSpec> indexBy;
  std::vector<Param> params;       // cursor parameters
  std::unique_ptr<SqlText> query;  // cursor query (none for a cursor specification)
  std::vector<ExprPtr> pragmaArgs;
  std::unique_ptr<Subprogram> subprogram;
};

// ---------------------------------------------------------------------------------------
// Units

enum class UnitKind {
  Anonymous,
  Procedure,
  Function,
  Package,
  PackageBody,
  Trigger,
  Type,
  TypeBody
};

// Oracle's dictionary word for a unit kind: "PROCEDURE", "PACKAGE BODY", ...
const char* UnitKindName(UnitKind kind);

struct TriggerSpec {
  std::string timing;                      // BEFORE, AFTER, INSTEAD OF, FOR (compound)
  std::vector<std::string> events;         // INSERT, UPDATE, DELETE; or DDL / database events
  std::vector<std::string> updateColumns;  // UPDATE OF a, b
  std::string baseObjectType;              // TABLE (also for views), SCHEMA, DATABASE
  std::string tableOwner, tableName;       // owner "" when not written
  std::string referencingOld = "OLD", referencingNew = "NEW";
  bool forEachRow = false;
  bool enabled = true;
  ExprPtr when;
  std::string whenText;          // the condition as written, without the parentheses
  size_t descriptionOffset = 0;  // the header from the trigger's name on ...
  size_t descriptionEnd = 0;     // ... up to the WHEN clause or the body
  size_t bodyOffset = 0;         // the PL/SQL block (DECLARE / BEGIN / CALL / COMPOUND)
  bool compound = false;
};

struct ObjectTypeSpec {
  std::string form;       // OBJECT, UNDER, TABLE, VARRAY, INCOMPLETE, OPAQUE
  std::string supertype;  // UNDER
  std::vector<Field> attributes;
  std::vector<Subprogram> methods;  // specifications (forward)
  TypeSpec element;                 // TABLE OF / VARRAY OF
  ExprPtr limit;                    // VARRAY(n)
  bool final = true;
  bool instantiable = true;
};

struct Unit {
  UnitKind kind = UnitKind::Anonymous;
  bool create = false;  // written with CREATE
  bool orReplace = false;
  std::string owner;        // "" when not written
  std::string name;         // "" for an anonymous block
  size_t createOffset = 0;  // CREATE (or the first token)
  size_t offset = 0;        // the kind word: where the stored source starts
  size_t nameOffset = 0;
  size_t end = 0;                          // one past the final ";" (or the last token)
  std::vector<std::string> qualifiers;     // AUTHID ..., ACCESSIBLE BY ..., ...
  std::unique_ptr<Subprogram> subprogram;  // Procedure, Function
  std::vector<Decl> decls;                 // Package, PackageBody
  std::unique_ptr<Block> block;            // Anonymous, Trigger, the PackageBody's BEGIN section
  std::vector<Subprogram> methods;         // TypeBody
  TriggerSpec trigger;
  ObjectTypeSpec objectType;
  std::string endName;
  size_t endNameOffset = 0;
};

}  // namespace tess::oci7::plsql
