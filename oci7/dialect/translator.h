// The translator's machinery shared between its query part (translator.cpp) and its
// statement part (statements.cpp).  Internal to the dialect.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "oci7/dialect/ast.h"
#include "oci7/dialect/parser.h"

namespace tess::oci7 {

// Output text with its map back to the original offsets.
class Writer {
 public:
  void Put(std::string_view s, size_t original) {
    if (original != last_) {
      map_.Add(out_.size(), original);
      last_ = original;
    }
    out_ += s;
  }
  void Raw(std::string_view s) { out_ += s; }
  std::string& Text() { return out_; }
  OffsetMap& Map() { return map_; }
  size_t Size() const { return out_.size(); }

 private:
  std::string out_;
  OffsetMap map_;
  size_t last_ = size_t(-1);
};

// How a comparison writes its two sides (translator.cpp).
struct CompareSide;
struct ComparePlan;

std::string QuoteIdent(std::string_view name);    // "NAME" with quotes doubled
std::string QuoteString(std::string_view value);  // 'value' with quotes doubled
// An unquoted one-part name that is the pseudo column word (ROWNUM, LEVEL, ...).
bool IsPseudo(const ast::Expr& e, const char* word);
// An aggregate call in the expression.
bool ContainsAggregate(const ast::Expr& e);
// The widest text a prepared expression can give (0: not known), a date turned to text in
// DateFormat (text_width.cpp).
int TextWidth(const ast::Expr& e, std::string_view DateFormat);

class Translator {
 public:
  Translator(std::string_view text, const TranslateContext& ctx);
  Translation Run();
  Translation RunExpression();

 private:
  struct Scope {
    Scope* parent = nullptr;
    std::vector<ast::TableRef*> tables;
    ast::QueryBlock* block = nullptr;
    const std::vector<ast::SelectItem>* orderAliases = nullptr;  // ORDER BY sees aliases
  };

  // Statements.
  void Select();
  void Insert();
  void Update();
  void Delete();
  void CreateTable();
  void CreateView(bool orReplace);
  void CreateIndex(bool unique);
  void CreateSequence(bool alter);
  void CreateSynonym(bool orReplace, bool isPublic);
  void Drop();
  void AlterTable();
  void Truncate();
  void Comment();
  void Lock();
  void Rename();
  OracleType ColumnType();
  std::string ConditionText(ast::Expr& e, const std::vector<ColumnInfo>& columns);
  void SkipPhysicalAttributes();
  std::string OwnerOrCurrent(const std::string& owner) const;
  // The object a DDL statement is about: verb and object type into the result, then
  // [owner.]name[@link], the owner the current user where none is written.  Returns the
  // name's offset; link, where asked for, receives the database link written.
  size_t DdlObject(const char* verb, const char* objectType, std::string* link = nullptr);
  std::string DmlTable(ast::TableRef& t);
  // INSERT, UPDATE or DELETE naming a view: the statement carried out on the view's table
  // into result_ (view_dml.cpp); false when the statement names no view.
  bool ThroughView();

  // Names.  A name is resolved once per statement, however often it stands there.
  ResolvedObject ResolveObject(const std::string& owner, const std::string& name,
                               const std::string& link, size_t offset, bool sequence);
  void LoadColumns(ast::TableRef& t);

  // Queries: prepare (resolve, type) then write.
  void PrepareQuery(ast::Query& q, Scope* outer);
  void PrepareBlock(ast::QueryBlock& b, Scope* outer, std::vector<ast::OrderItem>* orderBy);
  void PrepareTable(ast::TableRef& t, Scope* outer);
  void Prepare(ast::Expr& e, Scope& scope);
  // Prepares an operand that may be a row (a parenthesised list); answers its width.
  size_t PrepareOperand(ast::Expr& e, Scope& scope);
  void ResolveName(ast::Expr& e, Scope& scope);
  void TypeCall(ast::Expr& e);
  void ExpandStars(ast::QueryBlock& b);
  void SplitOuterJoins(ast::QueryBlock& b);
  const std::vector<ast::SelectItem>& FirstItems(ast::Query& q);

  void WriteQuery(ast::Query& q, const std::vector<ColumnInfo>* targets = nullptr,
                  bool top = false);
  void WriteBlock(ast::QueryBlock& b, std::vector<ast::OrderItem>* orderBy,
                  const std::vector<ColumnInfo>* targets, bool top, bool compoundPart);
  void WriteFrom(ast::QueryBlock& b);
  void WriteTable(ast::TableRef& t);
  void WriteConnectBy(ast::QueryBlock& b, ast::TableRef& t);
  void WriteOrderBy(std::vector<ast::OrderItem>& orderBy);
  void WriteRownumLimit(std::vector<std::unique_ptr<ast::Expr>>& limits);
  // UPDATE and DELETE: the WHERE clause, ROWNUM conditions included.
  std::vector<std::unique_ptr<ast::Expr>> TakeRownumLimits(ast::ExprPtr& where, Scope& scope);
  void WriteDmlWhere(ast::TableRef& t, ast::ExprPtr& where,
                     std::vector<std::unique_ptr<ast::Expr>>& limits);
  void Write(ast::Expr& e);
  void WriteForColumn(ast::Expr& e, const ColumnInfo& target);
  void WriteDefault(ast::Expr& e, const ColumnInfo& column);
  void WriteName(ast::Expr& e);
  void WriteCall(ast::Expr& e);
  void WriteArgs(ast::Expr& e, size_t from = 0);
  void WriteAsDate(ast::Expr& e);
  // Comparisons, one rule wherever a statement compares (PlanComparison).  A side in the
  // form its comparison takes:
  void WriteSide(ast::Expr& x, const CompareSide& side);
  // a value or a row, each element in its form, the left side naming the blank-padding
  // collation where its comparison takes it;
  void WriteRow(ast::Expr& x, const std::vector<ComparePlan>& plans, bool left);
  void WriteComparison(ast::Expr& a, const std::string& op, ast::Expr& b, size_t offset);
  // x [NOT] IN (query), and a query whose columns take the forms their comparisons give.
  void WriteInQuery(ast::Expr& left, ast::Query& q, bool negated, size_t offset);
  void WriteQueryFor(ast::Query& q, const std::vector<ComparePlan>& plans);
  // A value where one of `type` is answered: text as a number or a date (ORA-01722 and
  // the date errors when it is none), a number or a date as its text.
  void WriteAs(ast::Expr& x, int type);
  // Items [from, to) joined by AND or OR in balanced parentheses, so that SQLite's
  // expression depth grows with the logarithm of their number.
  void WriteJoined(size_t from, size_t to, const std::string& op, size_t offset,
                   const std::function<void(size_t)>& item);
  // One precedence level of + - * / || as one ORA$CHAIN call (a few for very long ones).
  void WriteChain(ast::Expr& e);
  void WriteBind(const std::string& name, bool variable, size_t offset);
  std::string ItemName(const ast::SelectItem& item) const;
  bool ExtractRownumLimit(ast::ExprPtr& where, std::vector<ast::Expr*>& limits);
  // Numbers the placeholders in order of appearance before anything is written.
  void RegisterBinds(const std::vector<size_t>& skipOffsets);

  std::string_view text_;
  const TranslateContext& ctx_;
  std::vector<Token> tokens_;
  Parser p_;
  Writer w_;
  Translation result_;
  std::vector<std::unique_ptr<Scope>> scopes_;
  std::map<const ast::TableRef*, std::string> aliasOverride_;
  // The ROWNUM conditions taken out of each query block's WHERE.
  std::map<const ast::QueryBlock*, std::vector<std::unique_ptr<ast::Expr>>> rownumLimits_;
  const ast::TableRef* priorTable_ = nullptr;  // the CONNECT BY table while writing its condition
  std::string priorAlias_;                     // and the alias of the parent row
  bool inPrior_ = false;
  bool preparingConnectBy_ = false;
  std::string levelOverride_;
  int aliasCounter_ = 0;
  std::set<std::string> nextvalSeen_;  // sequences whose NEXTVAL is already written
  bool inDdl_ = false;                 // binds are not allowed
  // What each owner, name and link written in the statement resolved to.
  std::map<std::tuple<std::string, std::string, std::string>, ResolvedObject> resolved_;
};

}  // namespace tess::oci7
