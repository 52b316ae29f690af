// The recursive-descent parser of Oracle SQL over the token stream: expressions,
// conditions, queries, and the small helpers the statement translators use to walk the
// rest of a statement.  Errors are thrown with the server's codes at the offending
// token's offset.  Internal to the dialect.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

#include "oci7/dialect/ast.h"

namespace tess::oci7 {

class Parser {
 public:
  Parser(std::string_view text, const std::vector<Token>& tokens);

  // Token access.
  const Token* Peek(size_t ahead = 0) const;
  bool AtEnd() const;
  bool IsWord(std::string_view upper, size_t ahead = 0) const;  // an unquoted word
  bool IsOp(std::string_view op, size_t ahead = 0) const;
  bool Accept(std::string_view wordOrOp);
  void Expect(std::string_view wordOrOp, int errorCode);
  const Token& Next();
  size_t Position() const { return pos_; }
  void Seek(size_t pos) { pos_ = pos; }
  // Offset of the current token, or of the end of the text.
  size_t Here() const;
  [[noreturn]] void Fail(int code, std::string_view arg = {}) const;
  // The statement must end here (a ";" may close it): ORA-00933 otherwise.
  void ExpectEnd();

  // An identifier (word that is not reserved, or quoted): its value, its offset.
  bool IsIdentifier(size_t ahead = 0) const;
  std::string Identifier(int errorCode, size_t* offset = nullptr);
  // [owner.]name[@link]
  void ObjectName(std::string& owner, std::string& name, std::string& link, size_t& offset,
                  int errorCode);

  ast::ExprPtr Expression();                   // a full condition or expression (OR level)
  ast::QueryPtr Query();                       // SELECT ... [UNION ...] [ORDER BY ...] [FOR UPDATE]
  std::vector<ast::ExprPtr> ExpressionList();  // e, e, ... (no parentheses)

  static bool IsReserved(std::string_view upperWord);

  const std::vector<Token>& Tokens() const { return tokens_; }
  std::string_view Text() const { return text_; }

 private:
  ast::ExprPtr Or();
  ast::ExprPtr And();
  ast::ExprPtr Not();
  ast::ExprPtr Comparison();
  // "(", then a subquery into e.query or expressions after e's arguments, then ")".
  void QueryOrList(ast::Expr& e);
  ast::ExprPtr Additive();
  ast::ExprPtr Multiplicative();
  // A left-associative level: an operand, then (one of ops, an operand) as often as one
  // comes, all in one node: AND and OR a Binary node of their args, the others a Chain.
  ast::ExprPtr LeftChain(TokenKind kind, std::initializer_list<std::string_view> ops,
                         ast::ExprPtr (Parser::*operand)());
  ast::ExprPtr Unary();
  ast::ExprPtr Primary();
  ast::ExprPtr NameOrCall();
  ast::ExprPtr CaseExpr();
  ast::QueryPtr QueryTerm();
  std::unique_ptr<ast::QueryBlock> Block();
  void FromList(ast::QueryBlock& block);
  std::unique_ptr<ast::TableRef> TableReference();
  bool StartsQuery(size_t ahead = 0) const;
  ast::ExprPtr Make(ast::ExprKind kind, size_t firstToken);
  void Close(ast::Expr& e) const;  // records the last token of e

  std::string_view text_;
  const std::vector<Token>& tokens_;
  size_t pos_ = 0;
  int depth_ = 0;  // levels of nesting the parser is in
};

}  // namespace tess::oci7
