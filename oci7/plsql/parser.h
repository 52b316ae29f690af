// The recursive-descent parser of PL/SQL over the dialect's tokens.  Internal to the front
// end.  A syntax error is thrown as SyntaxError at the token where the parser stopped, in
// the server's PLS-00103 form; the caller turns it into a compile message.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "oci7/dialect/dialect.h"
#include "oci7/plsql/expected.h"
#include "oci7/plsql/front.h"

namespace tess::oci7::plsql {

struct SyntaxError {
  size_t offset = 0;
  std::string text;
  // A second message the server gives with the first (e.g. "PL/SQL: SQL Statement
  // ignored" at the statement's start); empty when none.
  size_t secondOffset = 0;
  std::string second;
};

// Conditional compilation ($IF ... $THEN ... $ELSIF ... $ELSE ... $END, $ERROR ... $END):
// the text with every inactive branch and every directive replaced by blanks (line feeds
// kept), so that offsets stay those of the original.  Conditions are evaluated for this
// server (DBMS_DB_VERSION.VERSION 7, RELEASE 3); inquiry directives are NULL in them.
// An active $ERROR adds a message.  Throws SyntaxError for a malformed directive.
std::string PreprocessConditionals(std::string_view text, std::vector<Message>& errors);

// Fills in each message's line and position from its offset, and sorts them by place.
void FinishMessages(std::string_view text, std::vector<Message>& messages);

// Words that can never be an identifier in PL/SQL.
bool IsReservedWord(std::string_view upperWord);

class Parser {
 public:
  Parser(std::string_view text, std::vector<Token> tokens);

  std::unique_ptr<Unit> ParseUnit();
  // Fills `unit` as far as parsing gets; the unit keeps its header when the body fails.
  void ParseUnitInto(Unit& unit);
  ExprPtr ParseStandaloneExpression();

 private:
  // Tokens
  const Token& Tok(size_t ahead = 0) const;
  bool AtEnd(size_t ahead = 0) const { return pos_ + ahead >= tokens_.size(); }
  bool IsWord(std::string_view upper, size_t ahead = 0) const;  // an unquoted word
  bool IsOp(std::string_view op, size_t ahead = 0) const;
  bool AcceptWord(std::string_view upper);
  bool AcceptOp(std::string_view op);
  void ExpectWord(std::string_view upper, std::string_view expected);
  void ExpectOp(std::string_view op, std::string_view expected);
  size_t Here() const;     // offset of the current token (end of text at the end)
  size_t LastEnd() const;  // one past the previous token
  bool IsIdentifier(size_t ahead = 0) const;
  std::string Identifier(std::string_view expected, size_t* offset = nullptr);
  // An identifier or any word (after a dot, where reserved words are names too).
  std::string AnyName(std::string_view expected, size_t* offset = nullptr);
  std::vector<std::string> DottedName(std::string_view expected, size_t* offset = nullptr);
  [[noreturn]] void Unexpected(std::string_view expected) const;
  [[noreturn]] void Fail(size_t offset, std::string text) const;
  std::string TextOf(size_t from, size_t to) const;

  // Types
  // A type; `unconstrained` non-empty forbids a size (parameters, results) and gives the
  // list of what may follow instead.
  TypeSpec Type(std::string_view unconstrained = {});
  int IntegerLiteral(std::string_view expected);

  // Expressions
  ExprPtr Expression();
  ExprPtr Or();
  ExprPtr And();
  ExprPtr Not();
  ExprPtr Comparison();
  ExprPtr Additive();
  ExprPtr Multiplicative();
  ExprPtr Unary();
  ExprPtr Power();
  ExprPtr Primary();
  ExprPtr NameExpression();  // identifier chain with calls, members, attributes
  ExprPtr Postfix(ExprPtr base);
  std::vector<Arg> Arguments();  // after "("
  ExprPtr CaseExpression();
  ExprPtr Make(ExprKind kind, size_t offset);
  ExprPtr Finish(ExprPtr e);  // records the end and the height (SetHeight)
  // A node's height from its children; a tree taller than the interpreter takes is
  // PLS-00123.
  void SetHeight(Expr& e);
  void GrowTo(Expr& e, int height);
  ExprPtr Binary(std::string op, ExprPtr left, ExprPtr right);
  // Adds "op right" to the chain that left is (chain), or starts one of left.
  void Extend(ExprPtr& left, Expr*& chain, std::string op, ExprPtr right);
  // A run of AND (or OR) as one node over all its operands.
  ExprPtr Logical(const char* word, ExprPtr (Parser::*operand)());
  ExprPtr Target();  // an assignment or INTO target

  // Statements
  StmtList Statements(std::string_view terminators);
  StmtPtr Statement();
  void StatementEnd(Stmt& s, std::string_view expected = ";");
  StmtPtr IfStatement();
  StmtPtr CaseStatement();
  StmtPtr LoopStatement(StmtPtr s);  // LOOP ... END LOOP [label]
  StmtPtr ForStatement();
  StmtPtr ForAllStatement();
  StmtPtr ExitStatement(bool isContinue);
  StmtPtr OpenStatement();
  StmtPtr FetchStatement();
  StmtPtr ExecuteImmediate();
  StmtPtr SqlStatement();
  StmtPtr CallOrAssignment();
  std::vector<Using> UsingList();
  std::vector<ExprPtr> TargetList();
  std::unique_ptr<SqlText> Sql(bool query);  // scans to the ";" at depth 0
  std::unique_ptr<SqlText> Subquery();       // ( SELECT ... ): between the parentheses
  std::unique_ptr<Block> BlockStatement(std::vector<std::string> labels);
  std::unique_ptr<Block> BlockBody(size_t offset);  // BEGIN ... END [name];
  [[noreturn]] void FailSql(const SqlText& sql, size_t offset, std::string text) const;
  void ReadUnitName(Unit& u);
  void Handlers(Block& b);
  std::vector<std::string> Labels();

  // Declarations
  // Where declarations stand: a block's DECLARE section, a package specification or a
  // package body (which decides whether subprograms have bodies).
  enum class DeclContext { Block, Spec, Body };
  std::vector<Decl> Declarations(DeclContext context);
  Decl Declaration(DeclContext context);
  Decl TypeDeclaration();
  Decl CursorDeclaration();
  Decl PragmaDeclaration();
  std::vector<Param> Parameters();
  Field RecordField();
  // PROCEDURE | FUNCTION name [(params)] [RETURN type] [qualifiers]; `owner` non-null
  // allows owner.name.
  void SubprogramHeader(Subprogram& sp, std::string* owner = nullptr);
  void SubprogramBody(Subprogram& sp, bool bodyRequired, bool bodyAllowed);
  void SkipParentheses();
  bool UnitQualifier(std::vector<std::string>& out);  // AUTHID, ACCESSIBLE BY, ...

  // Units
  void CreatePrefix(Unit& u);
  void ProcedureOrFunction(Unit& u);
  void PackageSpec(Unit& u);
  void PackageBody(Unit& u);
  void Trigger(Unit& u);
  void ObjectType(Unit& u);
  void ObjectTypeBody(Unit& u);
  bool MethodModifiers(std::string& kind);
  void UnitEnd(Unit& u, bool nameAllowed = true);
  void EndOfText();

  // Counts nesting for the life of a recursive rule (statements and blocks, or with
  // `expression` the levels of an expression), a level when `counts` and one more for
  // each Step; deep nesting is a compile error rather than a stack overflow.
  class Nesting {
   public:
    explicit Nesting(Parser& p, bool expression = false, bool counts = true);
    ~Nesting() { depth_ -= added_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    void Step();

   private:
    Parser& p_;
    int& depth_;
    int max_;
    int added_ = 0;
  };

  std::string_view text_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;      // block and statement nesting, against runaway recursion
  int exprDepth_ = 0;  // expression nesting, likewise
  std::string_view stmtExpected_ = expect::kStatementOrEnd;
};

}  // namespace tess::oci7::plsql
