// The parser's declarations: variables, constants, exceptions, subtypes, record, table,
// VARRAY and REF CURSOR types, cursors, pragmas, and procedures and functions with their
// parameters, qualifiers and bodies.
#include "oci7/plsql/parser.h"

namespace tess::oci7::plsql {

std::vector<Decl> Parser::Declarations(DeclContext context) {
  std::vector<Decl> decls;
  while (!AtEnd() && !IsWord("BEGIN") && !(context != DeclContext::Block && IsWord("END")))
    decls.push_back(Declaration(context));
  return decls;
}

Decl Parser::Declaration(DeclContext context) {
  std::string_view expected =
      context == DeclContext::Block ? expect::kDeclarationStart : expect::kPackageItem;
  if (IsWord("PRAGMA")) return PragmaDeclaration();
  if (IsWord("CURSOR")) return CursorDeclaration();
  if (IsWord("TYPE") || IsWord("SUBTYPE")) return TypeDeclaration();
  if (IsWord("PROCEDURE") || IsWord("FUNCTION")) {
    Decl d;
    d.kind = DeclKind::Subprogram;
    d.offset = Here();
    d.subprogram = std::make_unique<Subprogram>();
    SubprogramHeader(*d.subprogram);
    d.name = d.subprogram->name;
    d.nameOffset = d.subprogram->nameOffset;
    SubprogramBody(*d.subprogram, false, context != DeclContext::Spec);
    d.end = LastEnd();
    return d;
  }
  if (!IsIdentifier()) Unexpected(expected);
  Decl d;
  d.offset = Here();
  d.nameOffset = Here();
  d.name = Identifier(expected);
  if (AcceptWord("EXCEPTION")) {
    d.kind = DeclKind::Exception;
    ExpectOp(";", ";");
    d.end = LastEnd();
    return d;
  }
  if (AcceptWord("CONSTANT")) d.kind = DeclKind::Constant;
  if (AtEnd() || (!IsIdentifier() && !IsWord("REF") && !IsWord("LONG") && !IsWord("DOUBLE")))
    Unexpected(d.kind == DeclKind::Constant ? expect::kTypeName : expect::kAfterDeclName);
  d.type = Type();
  if (IsWord("NOT") && IsWord("NULL", 1)) {
    pos_ += 2;
    d.notNull = true;
  }
  if (AcceptOp(":=") || AcceptWord("DEFAULT")) {
    d.init = Expression();
    ExpectOp(";", AfterOperand(";"));
  } else {
    if (d.kind == DeclKind::Constant)
      Fail(d.nameOffset, "PLS-00322: declaration of a constant '" + d.name +
                             "' must contain an initialization assignment");
    ExpectOp(";", ":= . ( @ % ; not null range default character");
  }
  d.end = LastEnd();
  return d;
}

Field Parser::RecordField() {
  Field f;
  f.offset = Here();
  f.name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
  f.type = Type();
  if (IsWord("NOT") && IsWord("NULL", 1)) {
    pos_ += 2;
    f.notNull = true;
  }
  if (AcceptOp(":=") || AcceptWord("DEFAULT")) f.init = Expression();
  return f;
}

Decl Parser::TypeDeclaration() {
  Decl d;
  d.offset = Here();
  bool subtype = IsWord("SUBTYPE");
  ++pos_;
  d.nameOffset = Here();
  d.name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
  ExpectWord("IS", "is");
  if (subtype) {
    d.kind = DeclKind::Subtype;
    d.type = Type();
    if (AcceptWord("RANGE")) {
      Additive();
      ExpectOp("..", "..");
      Additive();
    }
    if (IsWord("NOT") && IsWord("NULL", 1)) {
      pos_ += 2;
      d.notNull = true;
    }
  } else if (AcceptWord("RECORD")) {
    d.kind = DeclKind::RecordType;
    ExpectOp("(", "(");
    do {
      d.fields.push_back(RecordField());
    } while (AcceptOp(","));
    ExpectOp(")", ", )");
  } else if (AcceptWord("TABLE")) {
    d.kind = DeclKind::TableType;
    ExpectWord("OF", "of");
    d.type = Type();
    if (IsWord("NOT") && IsWord("NULL", 1)) {
      pos_ += 2;
      d.notNull = true;
    }
    if (AcceptWord("INDEX")) {
      ExpectWord("BY", "by");
      d.indexBy = Type();
    }
  } else if (IsWord("VARRAY") || (IsWord("VARYING") && IsWord("ARRAY", 1))) {
    d.kind = DeclKind::VarrayType;
    pos_ += IsWord("VARYING") ? 2 : 1;
    ExpectOp("(", "(");
    d.init = Expression();
    ExpectOp(")", AfterOperand(")"));
    ExpectWord("OF", "of");
    d.type = Type();
    if (IsWord("NOT") && IsWord("NULL", 1)) {
      pos_ += 2;
      d.notNull = true;
    }
  } else if (AcceptWord("REF")) {
    d.kind = DeclKind::RefCursorType;
    ExpectWord("CURSOR", "cursor");
    if (AcceptWord("RETURN")) d.type = Type();
  } else {
    Unexpected("record ref table varray varying");
  }
  ExpectOp(";", ";");
  d.end = LastEnd();
  return d;
}

Decl Parser::CursorDeclaration() {
  Decl d;
  d.kind = DeclKind::Cursor;
  d.offset = Here();
  ++pos_;  // CURSOR
  d.nameOffset = Here();
  d.name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
  if (IsOp("(")) d.params = Parameters();
  if (AcceptWord("RETURN")) d.type = Type();
  if (AcceptWord("IS")) {
    d.query = Sql(true);
  } else if (!IsOp(";")) {
    Unexpected(d.type.empty() ? "( ; is return" : "; is");
  }
  ExpectOp(";", ";");
  d.end = LastEnd();
  return d;
}

Decl Parser::PragmaDeclaration() {
  Decl d;
  d.kind = DeclKind::Pragma;
  d.offset = Here();
  ++pos_;  // PRAGMA
  d.nameOffset = Here();
  d.name = Identifier("<an identifier>");
  if (AcceptOp("(")) {
    do {
      // RESTRICT_REFERENCES (DEFAULT, WNDS, ...) names its first argument with a keyword.
      if (IsWord("DEFAULT")) {
        ExprPtr e = Make(ExprKind::Name, Here());
        e->parts.push_back("DEFAULT");
        e->partOffsets.push_back(Here());
        ++pos_;
        d.pragmaArgs.push_back(Finish(std::move(e)));
      } else {
        d.pragmaArgs.push_back(Expression());
      }
    } while (AcceptOp(","));
    ExpectOp(")", AfterOperand(", )"));
  }
  ExpectOp(";", "( ;");
  d.end = LastEnd();
  return d;
}

std::vector<Param> Parser::Parameters() {
  std::vector<Param> params;
  ExpectOp("(", "(");
  do {
    Param p;
    p.offset = Here();
    p.name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
    if (AcceptWord("IN")) {
      if (AcceptWord("OUT")) p.mode = Param::InOut;
    } else if (AcceptWord("OUT")) {
      p.mode = Param::Out;
    }
    p.nocopy = AcceptWord("NOCOPY");
    if (AtEnd() || (!IsIdentifier() && !IsWord("REF") && !IsWord("LONG") && !IsWord("DOUBLE")))
      Unexpected(p.mode == Param::In ? "in out nocopy <a type name> <an identifier>"
                                     : "nocopy <a type name> <an identifier>");
    p.type = Type(":= . ) , @ % default character");
    if (AcceptOp(":=") || AcceptWord("DEFAULT")) p.defaultValue = Expression();
    params.push_back(std::move(p));
  } while (AcceptOp(","));
  ExpectOp(")", ":= . ) , @ % default character");
  return params;
}

void Parser::SkipParentheses() {
  if (!IsOp("(")) return;
  int depth = 0;
  do {
    if (AtEnd()) Unexpected(")");
    if (IsOp("(")) ++depth;
    if (IsOp(")")) --depth;
    ++pos_;
  } while (depth > 0);
}

bool Parser::UnitQualifier(std::vector<std::string>& out) {
  size_t from = Here();
  size_t start = pos_;
  if (AcceptWord("DETERMINISTIC") || AcceptWord("PIPELINED")) {
  } else if (AcceptWord("PARALLEL_ENABLE")) {
    SkipParentheses();
  } else if (AcceptWord("RESULT_CACHE")) {
    if (AcceptWord("RELIES_ON")) SkipParentheses();
  } else if (AcceptWord("AUTHID")) {
    if (!AcceptWord("CURRENT_USER") && !AcceptWord("DEFINER")) Unexpected("current_user definer");
  } else if (IsWord("ACCESSIBLE") && IsWord("BY", 1)) {
    pos_ += 2;
    if (!IsOp("(")) Unexpected("(");
    SkipParentheses();
  } else if (IsWord("AGGREGATE") && IsWord("USING", 1)) {
    pos_ += 2;
    DottedName("<an identifier>");
  } else if (IsWord("SHARING") && IsOp("=", 1)) {
    pos_ += 3;
  } else if (IsWord("DEFAULT") && IsWord("COLLATION", 1)) {
    pos_ += 3;
  } else {
    return false;
  }
  (void)start;
  out.push_back(NormalizedText(TextOf(from, LastEnd())));
  return true;
}

void Parser::SubprogramHeader(Subprogram& sp, std::string* owner) {
  if (sp.offset == 0 && sp.name.empty()) sp.offset = Here();
  sp.isFunction = IsWord("FUNCTION");
  ++pos_;  // PROCEDURE / FUNCTION
  sp.nameOffset = Here();
  if (owner) {
    std::vector<std::string> name =
        DottedName("<an identifier> <a double-quoted delimited-identifier>");
    if (name.size() > 2)
      Fail(sp.nameOffset,
           "PLS-00103: Encountered the symbol \".\" when "
           "expecting one of the following:\n\n   ( ; is as");
    if (name.size() == 2) *owner = name[0];
    sp.name = name.back();
  } else {
    sp.name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
  }
  if (IsOp("(")) sp.params = Parameters();
  if (sp.isFunction) {
    if (!AcceptWord("RETURN")) Unexpected("( return");
    if (IsWord("SELF") && IsWord("AS", 1) && IsWord("RESULT", 2)) {
      TypeSpec t;
      t.offset = Here();
      t.name.push_back("SELF AS RESULT");
      t.text = "SELF AS RESULT";
      pos_ += 3;
      sp.returnType = std::move(t);
    } else {
      sp.returnType = Type(". @ % ; is as character");
    }
  }
  while (UnitQualifier(sp.qualifiers)) {
  }
}

void Parser::SubprogramBody(Subprogram& sp, bool bodyRequired, bool bodyAllowed) {
  if (IsOp(";") && !bodyRequired) {
    ++pos_;
    sp.forward = true;
    sp.end = LastEnd();
    return;
  }
  if (!bodyAllowed || (!IsWord("IS") && !IsWord("AS"))) {
    std::string_view list = !bodyAllowed ? std::string_view(";")
                            : bodyRequired
                                ? (sp.isFunction ? std::string_view("is as") : "( is as")
                                : (sp.isFunction ? std::string_view("; is as") : "( ; is as");
    Unexpected(list);
  }
  ++pos_;  // IS / AS
  if (IsWord("LANGUAGE") || IsWord("EXTERNAL")) {
    sp.external = true;
    while (!AtEnd() && !IsOp(";")) ++pos_;
    ExpectOp(";", ";");
    sp.end = LastEnd();
    return;
  }
  Nesting nesting(*this);
  size_t at = Here();
  std::vector<Decl> decls = Declarations(DeclContext::Block);
  sp.body = BlockBody(at);
  sp.body->decls = std::move(decls);
  sp.end = LastEnd();
}

}  // namespace tess::oci7::plsql
