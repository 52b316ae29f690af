// The parser's program units (anonymous blocks, procedures, functions, package
// specifications and bodies, triggers, object types and type bodies) and the front end's
// entry points that run it and turn its errors into compile messages.
#include <algorithm>
#include <cctype>

#include "oci7/plsql/parser.h"

namespace tess::oci7::plsql {

// ---------------------------------------------------------------------------------------
// Shared text helpers

std::string ExpectedMessage(std::string_view symbol, std::string_view expected) {
  std::string out = "PLS-00103: Encountered the symbol \"";
  out += symbol;
  out += "\" when expecting one of the following:\n";
  // The list in lines of at most 72 characters, each indented by three blanks.
  std::string line;
  size_t i = 0;
  while (i < expected.size()) {
    size_t j = expected.find(' ', i);
    if (j == std::string_view::npos) j = expected.size();
    std::string_view word = expected.substr(i, j - i);
    // "<a bind variable>" is one item although it holds blanks.
    if (word.size() > 1 && word[0] == '<' && std::isalpha(static_cast<unsigned char>(word[1])) &&
        word.back() != '>') {
      size_t close = expected.find('>', i);
      if (close != std::string_view::npos) {
        j = close + 1;
        word = expected.substr(i, j - i);
      }
    }
    if (!line.empty() && line.size() + 1 + word.size() > 72) {
      out += "\n   " + line;
      line.clear();
    }
    if (!line.empty()) line += ' ';
    line += word;
    i = j + 1;
  }
  if (!line.empty()) out += "\n   " + line;
  return out;
}

std::string NormalizedText(std::string_view text) {
  std::string out;
  char quote = 0;
  bool blank = false;
  for (char c : text) {
    if (quote) {
      out += c;
      if (c == quote) quote = 0;
      continue;
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    if (c == '\'' || c == '"') quote = c;
    out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return out;
}

LineColumn LineColumnAt(std::string_view text, size_t offset) {
  LineColumn lc;
  size_t end = std::min(offset, text.size());
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++lc.line;
      lc.column = 1;
    } else {
      ++lc.column;
    }
  }
  return lc;
}

// ---------------------------------------------------------------------------------------
// Units

void Parser::ReadUnitName(Unit& u) {
  std::vector<std::string> name =
      DottedName("<an identifier> <a double-quoted delimited-identifier>", &u.nameOffset);
  if (name.size() > 2) Unexpected("<an identifier>");
  if (name.size() == 2) u.owner = name[0];
  u.name = name.back();
}

std::unique_ptr<Unit> Parser::ParseUnit() {
  auto u = std::make_unique<Unit>();
  ParseUnitInto(*u);
  return u;
}

void Parser::ParseUnitInto(Unit& u) {
  if (AtEnd()) Unexpected("begin declare create function package procedure trigger type <<");
  u.createOffset = Here();
  if (IsOp("<<") || IsWord("DECLARE") || IsWord("BEGIN")) {
    u.kind = UnitKind::Anonymous;
    u.offset = Here();
    std::vector<std::string> labels = Labels();
    if (!IsWord("DECLARE") && !IsWord("BEGIN")) Unexpected("begin declare <<");
    u.block = BlockStatement(std::move(labels));
    u.end = u.block->end;
    EndOfText();
    return;
  }
  if (AcceptWord("CREATE")) {
    u.create = true;
    if (AcceptWord("OR")) {
      ExpectWord("REPLACE", "replace");
      u.orReplace = true;
    }
    if (!AcceptWord("EDITIONABLE")) AcceptWord("NONEDITIONABLE");
  }
  u.offset = Here();
  if (IsWord("PROCEDURE") || IsWord("FUNCTION")) {
    ProcedureOrFunction(u);
  } else if (IsWord("PACKAGE")) {
    if (IsWord("BODY", 1))
      PackageBody(u);
    else
      PackageSpec(u);
  } else if (IsWord("TRIGGER")) {
    Trigger(u);
  } else if (IsWord("TYPE")) {
    if (IsWord("BODY", 1))
      ObjectTypeBody(u);
    else
      ObjectType(u);
  } else {
    Unexpected(u.create ? expect::kUnitKind
                        : "begin declare create function package procedure trigger type <<");
  }
  EndOfText();
}

void Parser::EndOfText() {
  AcceptOp("/");
  if (!AtEnd()) Unexpected("end-of-file");
}

void Parser::UnitEnd(Unit& u, bool nameAllowed) {
  ExpectWord("END", "end");
  if (nameAllowed && IsIdentifier()) {
    u.endNameOffset = Here();
    u.endName = Identifier("<an identifier>");
  }
  ExpectOp(";", "; <an identifier> <a double-quoted delimited-identifier>");
  u.end = LastEnd();
}

void Parser::ProcedureOrFunction(Unit& u) {
  u.kind = IsWord("FUNCTION") ? UnitKind::Function : UnitKind::Procedure;
  u.subprogram = std::make_unique<Subprogram>();
  Subprogram& sp = *u.subprogram;
  sp.offset = Here();
  SubprogramHeader(sp, &u.owner);
  u.name = sp.name;
  u.nameOffset = sp.nameOffset;
  u.qualifiers = sp.qualifiers;
  SubprogramBody(sp, true, true);
  if (sp.body) {
    u.endName = sp.body->endName;
    u.endNameOffset = sp.body->endNameOffset;
  }
  u.end = LastEnd();
}

void Parser::PackageSpec(Unit& u) {
  u.kind = UnitKind::Package;
  ++pos_;  // PACKAGE
  ReadUnitName(u);
  while (UnitQualifier(u.qualifiers)) {
  }
  if (!AcceptWord("IS") && !AcceptWord("AS")) Unexpected("accessible as authid is");
  u.decls = Declarations(DeclContext::Spec);
  UnitEnd(u);
}

void Parser::PackageBody(Unit& u) {
  u.kind = UnitKind::PackageBody;
  pos_ += 2;  // PACKAGE BODY
  ReadUnitName(u);
  if (!AcceptWord("IS") && !AcceptWord("AS")) Unexpected("as is");
  u.decls = Declarations(DeclContext::Body);
  if (IsWord("BEGIN")) {
    u.block = BlockBody(Here());
    u.endName = u.block->endName;
    u.endNameOffset = u.block->endNameOffset;
    u.end = u.block->end;
    return;
  }
  UnitEnd(u);
}

void Parser::Trigger(Unit& u) {
  u.kind = UnitKind::Trigger;
  ++pos_;  // TRIGGER
  ReadUnitName(u);
  TriggerSpec& t = u.trigger;
  t.descriptionOffset = u.nameOffset;
  if (AcceptWord("BEFORE")) {
    t.timing = "BEFORE";
  } else if (AcceptWord("AFTER")) {
    t.timing = "AFTER";
  } else if (AcceptWord("INSTEAD")) {
    ExpectWord("OF", "of");
    t.timing = "INSTEAD OF";
  } else if (AcceptWord("FOR")) {
    t.timing = "FOR";
  } else {
    Unexpected("after before for instead");
  }
  do {
    if (AtEnd() || Tok().kind != TokenKind::Word || IsWord("ON"))
      Unexpected("delete insert update");
    std::string event = Tok().value;
    ++pos_;
    if (event == "UPDATE" && AcceptWord("OF")) {
      do {
        t.updateColumns.push_back(AnyName("<an identifier>"));
      } while (AcceptOp(","));
    }
    // Database event triggers name events of one or two words (ASSOCIATE STATISTICS).
    while (event != "INSERT" && event != "UPDATE" && event != "DELETE" &&
           Tok().kind == TokenKind::Word && !AtEnd() && !IsWord("ON") && !IsWord("OR"))
      event += " " + tokens_[pos_++].value;
    t.events.push_back(event);
  } while (AcceptWord("OR"));
  ExpectWord("ON", "on or");
  if (IsWord("NESTED") && IsWord("TABLE", 1)) {
    pos_ += 2;
    AnyName("<an identifier>");
    ExpectWord("OF", "of");
  }
  if (AcceptWord("SCHEMA")) {
    t.baseObjectType = "SCHEMA";
  } else if (AcceptWord("DATABASE")) {
    t.baseObjectType = "DATABASE";
  } else {
    std::vector<std::string> table = DottedName("<an identifier> database schema");
    if (table.size() == 2 && table[1] == "SCHEMA") {
      t.baseObjectType = "SCHEMA";
      t.tableOwner = table[0];
    } else {
      if (table.size() > 2) Unexpected("referencing for when begin declare");
      t.baseObjectType = "TABLE";
      if (table.size() == 2) t.tableOwner = table[0];
      t.tableName = table.back();
    }
  }
  while (true) {
    if (AcceptWord("REFERENCING")) {
      bool any = false;
      while (IsWord("OLD") || IsWord("NEW") || IsWord("PARENT")) {
        std::string which = Tok().value;
        ++pos_;
        AcceptWord("AS");
        std::string name = Identifier("<an identifier>");
        if (which == "OLD") t.referencingOld = name;
        if (which == "NEW") t.referencingNew = name;
        any = true;
      }
      if (!any) Unexpected("new old parent");
    } else if (IsWord("FOR") && IsWord("EACH", 1)) {
      pos_ += 2;
      ExpectWord("ROW", "row");
      t.forEachRow = true;
    } else if (IsWord("FOLLOWS") || IsWord("PRECEDES")) {
      ++pos_;
      do {
        DottedName("<an identifier>");
      } while (AcceptOp(","));
    } else if (AcceptWord("ENABLE")) {
      t.enabled = true;
    } else if (AcceptWord("DISABLE")) {
      t.enabled = false;
    } else {
      break;
    }
  }
  t.descriptionEnd = LastEnd();
  if (AcceptWord("WHEN")) {
    ExpectOp("(", "(");
    size_t from = Here();
    t.when = Expression();
    t.whenText = TextOf(from, LastEnd());
    ExpectOp(")", AfterOperand(")"));
  }
  t.bodyOffset = Here();
  if (IsWord("COMPOUND") && IsWord("TRIGGER", 1)) {
    // Declarations, then timing-point sections, each BEFORE|AFTER STATEMENT|EACH ROW IS
    // BEGIN ... END timing point;  kept as named blocks of one block.
    pos_ += 2;
    t.compound = true;
    auto b = std::make_unique<Block>();
    b->offset = t.bodyOffset;
    b->decls = Declarations(DeclContext::Body);
    while (IsWord("BEFORE") || IsWord("AFTER") || IsWord("INSTEAD")) {
      auto s = std::make_unique<Stmt>();
      s->kind = StmtKind::Block;
      s->offset = Here();
      std::string point;
      while (!AtEnd() && !IsWord("IS")) point += (point.empty() ? "" : " ") + tokens_[pos_++].value;
      s->name = point;
      ExpectWord("IS", "is");
      s->block = BlockBody(Here());
      s->end = s->block->end;
      b->body.push_back(std::move(s));
    }
    UnitEnd(u);
    b->end = u.end;
    u.block = std::move(b);
    return;
  }
  if (AcceptWord("CALL")) {
    auto b = std::make_unique<Block>();
    b->offset = t.bodyOffset;
    auto s = std::make_unique<Stmt>();
    s->kind = StmtKind::Call;
    s->offset = Here();
    s->value = NameExpression();
    AcceptOp(";");
    s->end = LastEnd();
    b->body.push_back(std::move(s));
    b->end = LastEnd();
    u.block = std::move(b);
    u.end = LastEnd();
    return;
  }
  std::vector<std::string> labels = Labels();
  if (!IsWord("DECLARE") && !IsWord("BEGIN"))
    Unexpected(t.forEachRow || t.when ? "begin call declare <<"
                                      : "begin call declare for referencing when <<");
  u.block = BlockStatement(std::move(labels));
  u.endName = u.block->endName;
  u.endNameOffset = u.block->endNameOffset;
  u.end = u.block->end;
}

bool Parser::MethodModifiers(std::string& kind) {
  size_t save = pos_;
  kind.clear();
  while (true) {
    if (IsWord("NOT") &&
        (IsWord("OVERRIDING", 1) || IsWord("FINAL", 1) || IsWord("INSTANTIABLE", 1))) {
      pos_ += 2;
    } else if (IsWord("OVERRIDING") || IsWord("FINAL") || IsWord("INSTANTIABLE")) {
      ++pos_;
    } else {
      break;
    }
  }
  if (IsWord("MAP") || IsWord("ORDER")) {
    kind = Tok().value + " MEMBER";
    ++pos_;
    if (!AcceptWord("MEMBER")) {
      pos_ = save;
      return false;
    }
  } else if (IsWord("MEMBER") || IsWord("STATIC") || IsWord("CONSTRUCTOR")) {
    kind = Tok().value;
    ++pos_;
  }
  if (!kind.empty() && (IsWord("PROCEDURE") || IsWord("FUNCTION"))) return true;
  pos_ = save;
  kind.clear();
  return false;
}

void Parser::ObjectType(Unit& u) {
  u.kind = UnitKind::Type;
  ++pos_;  // TYPE
  ReadUnitName(u);
  ObjectTypeSpec& ot = u.objectType;
  AcceptWord("FORCE");
  if (AcceptWord("OID")) {
    if (Tok().kind != TokenKind::String || AtEnd()) Unexpected("<a single-quoted SQL string>");
    ++pos_;
  }
  while (UnitQualifier(u.qualifiers)) {
  }
  if (AtEnd() || IsOp(";") || IsOp("/")) {
    ot.form = "INCOMPLETE";
    AcceptOp(";");
    u.end = LastEnd();
    return;
  }
  bool elements = false;
  if (AcceptWord("UNDER")) {
    ot.form = "UNDER";
    std::vector<std::string> super = DottedName("<an identifier>");
    ot.supertype = super.back();
    elements = true;
  } else {
    if (!AcceptWord("IS") && !AcceptWord("AS")) Unexpected("as authid force is oid under");
    if (AcceptWord("OBJECT")) {
      ot.form = "OBJECT";
      elements = true;
    } else if (AcceptWord("TABLE")) {
      ot.form = "TABLE";
      ExpectWord("OF", "of");
      ot.element = Type();
      if (IsWord("NOT") && IsWord("NULL", 1)) pos_ += 2;
    } else if (IsWord("VARRAY") || (IsWord("VARYING") && IsWord("ARRAY", 1))) {
      ot.form = "VARRAY";
      pos_ += IsWord("VARYING") ? 2 : 1;
      ExpectOp("(", "(");
      ot.limit = Expression();
      ExpectOp(")", AfterOperand(")"));
      ExpectWord("OF", "of");
      ot.element = Type();
      if (IsWord("NOT") && IsWord("NULL", 1)) pos_ += 2;
    } else if (AcceptWord("OPAQUE")) {
      ot.form = "OPAQUE";
      while (!AtEnd() && !IsOp(";") && !IsOp("/")) ++pos_;
    } else {
      Unexpected("object opaque table varray varying");
    }
  }
  if (elements) {
    ExpectOp("(", "(");
    do {
      std::string kind;
      if (MethodModifiers(kind)) {
        Subprogram sp;
        sp.offset = Here();
        sp.methodKind = kind;
        SubprogramHeader(sp);
        sp.forward = true;
        if (AcceptWord("IS") || AcceptWord("AS")) {
          // A method implemented outside PL/SQL: LANGUAGE ... / EXTERNAL ...
          sp.external = true;
          int depth = 0;
          while (!AtEnd() && !(depth == 0 && (IsOp(",") || IsOp(")")))) {
            if (IsOp("(")) ++depth;
            if (IsOp(")")) --depth;
            ++pos_;
          }
        }
        sp.end = LastEnd();
        ot.methods.push_back(std::move(sp));
      } else if (IsWord("PRAGMA")) {
        ++pos_;
        Identifier("<an identifier>");
        SkipParentheses();
      } else {
        ot.attributes.push_back(RecordField());
      }
    } while (AcceptOp(","));
    ExpectOp(")", ", )");
  }
  while (true) {
    if (IsWord("NOT") &&
        (IsWord("FINAL", 1) || IsWord("INSTANTIABLE", 1) || IsWord("PERSISTABLE", 1))) {
      if (IsWord("FINAL", 1)) ot.final = false;
      if (IsWord("INSTANTIABLE", 1)) ot.instantiable = false;
      pos_ += 2;
    } else if (AcceptWord("FINAL")) {
      ot.final = true;
    } else if (AcceptWord("INSTANTIABLE") || AcceptWord("PERSISTABLE")) {
    } else {
      break;
    }
  }
  AcceptOp(";");
  u.end = LastEnd();
}

void Parser::ObjectTypeBody(Unit& u) {
  u.kind = UnitKind::TypeBody;
  pos_ += 2;  // TYPE BODY
  ReadUnitName(u);
  if (!AcceptWord("IS") && !AcceptWord("AS")) Unexpected("as is");
  while (!IsWord("END")) {
    std::string kind;
    if (IsWord("PRAGMA")) {
      PragmaDeclaration();
      continue;
    }
    if (!MethodModifiers(kind))
      Unexpected("end constructor final map member order overriding static");
    Subprogram sp;
    sp.offset = Here();
    sp.methodKind = kind;
    SubprogramHeader(sp);
    SubprogramBody(sp, true, true);
    u.methods.push_back(std::move(sp));
  }
  UnitEnd(u);
}

// ---------------------------------------------------------------------------------------
// Entry points

namespace {

Message MakeMessage(std::string_view text, size_t offset, std::string message) {
  Message m;
  m.offset = offset;
  LineColumn lc = LineColumnAt(text, offset);
  m.line = lc.line;
  m.position = lc.column;
  m.text = std::move(message);
  return m;
}

void AddSyntaxError(std::string_view text, const SyntaxError& e, std::vector<Message>& out) {
  if (!e.second.empty()) out.push_back(MakeMessage(text, e.secondOffset, e.second));
  out.push_back(MakeMessage(text, e.offset, e.text));
}

// The tokenizer's errors, said as the PL/SQL compiler says them, at the opening of the
// literal or comment that the text ends inside.
Message TokenizerMessage(std::string_view text, const OraError& e) {
  size_t at = e.offset >= 0 ? static_cast<size_t>(e.offset) : text.size();
  std::string closer = e.code == 1740 ? "\"" : e.code == 1742 ? "*/" : "'";
  return MakeMessage(text, at, ExpectedMessage("end-of-file", closer));
}

void SortMessages(std::vector<Message>& messages) {
  std::stable_sort(messages.begin(), messages.end(), [](const Message& a, const Message& b) {
    return a.line != b.line ? a.line < b.line : a.position < b.position;
  });
}

}  // namespace

void FinishMessages(std::string_view text, std::vector<Message>& messages) {
  for (Message& m : messages) {
    LineColumn lc = LineColumnAt(text, m.offset);
    m.line = lc.line;
    m.position = lc.column;
  }
  SortMessages(messages);
}

ParseResult ParseUnit(std::string_view text) {
  ParseResult r;
  std::string clean;
  try {
    clean = PreprocessConditionals(text, r.errors);
  } catch (const SyntaxError& e) {
    AddSyntaxError(text, e, r.errors);
    return r;
  }
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(clean);
  } catch (const OraError& e) {
    r.errors.push_back(TokenizerMessage(text, e));
    return r;
  }
  // An identifier, quoted or not, holds at most 30 characters.
  for (const Token& t : tokens) {
    if ((t.kind == TokenKind::Word || t.kind == TokenKind::QuotedIdentifier) &&
        t.value.size() > 30) {
      r.errors.push_back(
          MakeMessage(text, t.offset, "PLS-00114: identifier '" + t.value + "' too long"));
      break;
    }
  }
  Parser parser(clean, std::move(tokens));
  r.unit = std::make_unique<Unit>();
  try {
    parser.ParseUnitInto(*r.unit);
  } catch (const SyntaxError& e) {
    AddSyntaxError(text, e, r.errors);
  }
  FinishMessages(text, r.errors);
  return r;
}

std::optional<UnitHeader> ReadUnitHeader(std::string_view text) {
  std::vector<Token> tokens;
  try {
    // The header sits in the first words; a broken literal further on does not matter.
    tokens = Tokenize(text.substr(0, std::min<size_t>(text.size(), 4096)));
  } catch (const OraError&) {
    return std::nullopt;
  }
  size_t i = 0;
  auto is = [&](std::string_view w) {
    return i < tokens.size() && tokens[i].kind == TokenKind::Word && tokens[i].value == w;
  };
  UnitHeader h;
  if (!is("CREATE")) return std::nullopt;
  ++i;
  if (is("OR")) {
    ++i;
    if (!is("REPLACE")) return std::nullopt;
    ++i;
    h.orReplace = true;
  }
  if (is("EDITIONABLE") || is("NONEDITIONABLE")) ++i;
  if (i >= tokens.size()) return std::nullopt;
  h.offset = tokens[i].offset;
  if (is("PROCEDURE")) {
    h.kind = UnitKind::Procedure;
  } else if (is("FUNCTION")) {
    h.kind = UnitKind::Function;
  } else if (is("TRIGGER")) {
    h.kind = UnitKind::Trigger;
  } else if (is("PACKAGE") || is("TYPE")) {
    bool package = is("PACKAGE");
    ++i;
    if (is("BODY")) {
      h.kind = package ? UnitKind::PackageBody : UnitKind::TypeBody;
    } else {
      h.kind = package ? UnitKind::Package : UnitKind::Type;
      --i;
    }
  } else {
    return std::nullopt;
  }
  ++i;
  auto name = [&]() -> std::optional<std::string> {
    if (i >= tokens.size()) return std::nullopt;
    const Token& t = tokens[i];
    if (t.kind != TokenKind::Word && t.kind != TokenKind::QuotedIdentifier) return std::nullopt;
    ++i;
    return t.value;
  };
  auto first = name();
  if (!first) return std::nullopt;
  h.name = *first;
  if (i < tokens.size() && tokens[i].Is(".")) {
    ++i;
    auto second = name();
    if (!second) return std::nullopt;
    h.owner = *first;
    h.name = *second;
  }
  return h;
}

ExprPtr ParseExpression(std::string_view text, std::vector<Message>& errors) {
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(text);
  } catch (const OraError& e) {
    errors.push_back(TokenizerMessage(text, e));
    return nullptr;
  }
  Parser parser(text, std::move(tokens));
  try {
    return parser.ParseStandaloneExpression();
  } catch (const SyntaxError& e) {
    AddSyntaxError(text, e, errors);
    FinishMessages(text, errors);
    return nullptr;
  }
}

}  // namespace tess::oci7::plsql
