// The statement tree the translator parses Oracle SQL into and writes SQLite text from.
// Every node keeps the offset of its first token in the original text, so that errors
// and the offset map point where the user wrote the construct.  Internal to the dialect.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "oci7/dialect/dialect.h"

namespace tess::oci7::ast {

struct Query;
struct Expr;
struct TableRef;
using ExprPtr = std::unique_ptr<Expr>;
using QueryPtr = std::unique_ptr<Query>;

enum class ExprKind {
  Number,  // text = literal as written
  String,  // text = value ('' never gets here: it is Null)
  Null,
  Bind,        // text = name
  Name,        // parts = identifier chain (a, a.b, a.b.c)
  Star,        // * or t.* (parts = qualifier)
  Call,        // text = function name (upper), parts = qualifier, args
  Unary,       // text = "-", "+", "NOT", "PRIOR"
  Binary,      // text = AND or OR with two or more args, or a comparison (=, <>, <, ...)
  Chain,       // args[0] ops[0] args[1] ops[1] ...: one precedence level of + - || or * /,
               // evaluated left to right
  Like,        // args: value, pattern [, escape]; negated
  Between,     // args: value, low, high; negated
  In,          // args: value, list items... or query; negated
  IsNull,      // args: value; negated
  Exists,      // query
  Subquery,    // query (scalar)
  Case,        // args: [operand], when, then, when, then, ..., [else]; hasOperand/hasElse
  List,        // args: (a, b, ...)
  Quantified,  // text = comparison operator, text2 = ANY/ALL; args: left, list... or query
};

// What a Name stands for, after resolution.
enum class RefKind {
  Unresolved,
  Column,
  Rownum,
  Rowid,
  Level,
  Sysdate,
  User,
  Uid,
  Sequence,
  Variable
};

struct Expr {
  ExprKind kind = ExprKind::Null;
  size_t offset = 0;      // original offset of the first token
  size_t firstToken = 0;  // token range, for Oracle's naming of select-list items
  size_t lastToken = 0;
  std::string text;
  std::string text2;
  std::vector<std::string> parts;
  std::vector<size_t> partOffsets;
  bool quotedLast = false;  // the last part was a quoted identifier
  bool outerJoin = false;   // Name(+)
  bool negated = false;
  bool distinct = false;
  bool hasOperand = false;  // CASE x WHEN ...
  bool hasElse = false;
  std::vector<ExprPtr> args;
  std::vector<std::string> ops;  // Chain: the operator after each arg but the last
  QueryPtr query;

  // Filled while writing.
  RefKind ref = RefKind::Unresolved;
  TableRef* table = nullptr;  // Column, Rowid: the table it belongs to
  int type = 0;               // Oracle type code of the value, 0 unknown
  int size = 0;               // a CHAR column's declared length
  bool directColumn = false;  // a plain column: SQLite's declared type tells its type
};

struct SelectItem {
  ExprPtr expr;  // Star for * and t.*
  std::string alias;
  bool aliasQuoted = false;
  size_t aliasOffset = 0;
};

enum class JoinKind { Comma, Inner, Left, Right, Full, Cross };

struct QueryBlock;

struct TableRef {
  size_t offset = 0;
  // A named table, or a subquery.
  std::string owner, name, link;
  bool nameQuoted = false;
  QueryPtr subquery;
  std::string alias;  // as written (upper-cased unless quoted), or ""
  size_t aliasOffset = 0;
  // ANSI join to the tables before it.
  JoinKind join = JoinKind::Comma;
  bool natural = false;
  ExprPtr on;
  std::vector<std::string> usingColumns;

  // Filled while writing.
  ResolvedObject resolved;
  bool hasColumns = false;
  std::vector<ColumnInfo> columns;
  std::vector<bool> directColumns;       // subquery: the item is a plain column
  std::string emitAlias;                 // the SQLite alias
  std::string rowidExpr;                 // how this table's rowid is written ("" = none)
  std::string levelExpr;                 // CONNECT BY: how LEVEL is written
  std::vector<ExprPtr> outerConditions;  // (+) conditions moved into ON
  std::vector<TableRef*> dependsOn;
  std::vector<std::string> priorColumns;  // CONNECT BY: columns read as PRIOR outside the condition
};

struct QueryBlock {
  size_t offset = 0;
  bool distinct = false;
  std::vector<SelectItem> items;
  std::vector<ExprPtr> into;
  size_t intoOffset = 0;
  std::vector<std::unique_ptr<TableRef>> from;
  ExprPtr where;
  ExprPtr startWith;
  ExprPtr connectBy;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
};

struct OrderItem {
  ExprPtr expr;
  bool desc = false;
  int nulls = 0;  // 0 Oracle's default, 1 FIRST, 2 LAST
};

struct Query {
  size_t offset = 0;
  std::unique_ptr<QueryBlock> block;  // a simple query block, or
  std::vector<QueryPtr> parts;        // a compound: parts[0] ops[0] parts[1] ...
  std::vector<std::string> ops;       // "UNION", "UNION ALL", "INTERSECT", "MINUS"
  std::vector<OrderItem> orderBy;
  bool forUpdate = false;
};

}  // namespace tess::oci7::ast
