// The engine's own statements through the dialect's parser.  Names here are any word or
// quoted identifier, reserved or not (GRANT SELECT, TO PUBLIC), as the server reads them.
#include "oci7/dialect/engine_statements.h"

#include "oci7/dialect/parser.h"

namespace tess::oci7 {
namespace {

// A statement's tokens and its parser, which refers to them.
struct Reader {
  std::vector<Token> tokens;
  Parser p;
  explicit Reader(std::string_view text) : tokens(Tokenize(text)), p(text, tokens) {}

  // A trailing ";" is not part of a SQL statement.
  void RefuseSemicolon() const {
    if (!tokens.empty() && tokens.back().Is(";"))
      throw EngineError(911, {}, static_cast<int>(tokens.back().offset));
  }
  bool IsName() const {
    const Token* t = p.Peek();
    return t && (t->kind == TokenKind::Word || t->kind == TokenKind::QuotedIdentifier);
  }
  std::string Name(int code) {
    if (!IsName()) p.Fail(code);
    return p.Next().value;
  }
  NamedAt NameAt(int code) {
    size_t at = p.Here();
    return {Name(code), at};
  }
  // A dotted name (a link name may carry a domain: LOOP.WORLD).
  std::string Dotted(int code) {
    std::string n = Name(code);
    while (p.IsOp(".") && p.Peek(1) && p.Peek(1)->kind == TokenKind::Word) {
      p.Next();
      n += "." + p.Next().value;
    }
    return n;
  }
  void Expect(std::initializer_list<std::string_view> words, int code) {
    for (std::string_view w : words) p.Expect(w, code);
  }
  // Nothing may follow, not even a ";".
  void End() {
    if (!p.AtEnd()) p.Fail(933);
  }
};

// Privilege names up to ON / TO / FROM.
std::vector<std::string> PrivilegeList(Reader& r) {
  std::vector<std::string> list;
  Parser& p = r.p;
  while (!p.AtEnd()) {
    std::string privilege;
    while (!p.AtEnd() && !p.IsOp(",") && !p.IsWord("ON") && !p.IsWord("TO") && !p.IsWord("FROM")) {
      if (p.IsOp("(")) {  // column lists of UPDATE / REFERENCES: the whole table here
        while (!p.AtEnd() && !p.IsOp(")")) p.Next();
        p.Accept(")");
        continue;
      }
      if (!privilege.empty()) privilege += ' ';
      privilege += r.Name(1990);
    }
    if (privilege.empty()) p.Fail(1990);
    if (privilege == "ALL PRIVILEGES") privilege = "ALL";
    list.push_back(privilege);
    if (!p.Accept(",")) break;
  }
  return list;
}

}  // namespace

TransactionStatement ParseTransactionStatement(std::string_view text) {
  Reader r(text);
  r.RefuseSemicolon();
  TransactionStatement t;
  if (r.p.Accept("SAVEPOINT")) {
    t.savepoint = r.Name(931);
    r.End();
    return t;
  }
  r.p.Expect("ROLLBACK", 900);
  t.rollback = true;
  r.p.Accept("WORK");
  if (r.p.AtEnd()) return t;
  r.p.Expect("TO", 933);
  r.p.Accept("SAVEPOINT");
  t.savepoint = r.Name(931);
  r.End();
  return t;
}

std::vector<SessionSetting> ParseAlterSession(std::string_view text) {
  Reader r(text);
  r.RefuseSemicolon();
  r.Expect({"ALTER", "SESSION"}, 900);
  r.p.Expect("SET", 922);
  if (r.p.AtEnd()) r.p.Fail(922);
  std::vector<SessionSetting> settings;
  while (!r.p.AtEnd()) {
    SessionSetting s;
    s.offset = r.p.Here();
    s.name = r.Name(922);
    r.p.Expect("=", 927);
    if (r.p.AtEnd()) r.p.Fail(922);
    s.value = r.p.Next();
    settings.push_back(std::move(s));
  }
  return settings;
}

UserStatement ParseUserStatement(std::string_view text) {
  Reader r(text);
  r.RefuseSemicolon();
  UserStatement u;
  u.verb = r.p.Next().value;
  r.p.Expect("USER", 900);
  u.name = r.Name(1935);
  if (u.verb == "DROP") {
    u.cascade = r.p.Accept("CASCADE");
    r.End();
    return u;
  }
  while (!r.p.AtEnd()) {
    if (r.p.Accept("IDENTIFIED")) {
      r.p.Expect("BY", 922);
      if (r.p.AtEnd()) r.p.Fail(988);
      u.password = r.p.Next().value;
    } else if (r.p.Accept("DEFAULT")) {
      r.p.Expect("TABLESPACE", 922);
      u.defaultTablespace = r.Name(922);
    } else if (r.p.Accept("TEMPORARY")) {
      r.p.Expect("TABLESPACE", 922);
      u.temporaryTablespace = r.Name(922);
    } else if (r.p.Accept("QUOTA")) {
      // QUOTA n[K|M] | UNLIMITED ON tablespace: accepted, there is no space accounting
      if (r.p.AtEnd()) r.p.Fail(922);
      r.p.Next();
      if (!r.p.Accept("K")) r.p.Accept("M");
      r.p.Expect("ON", 922);
      r.Name(922);
    } else {
      r.p.Fail(922);
    }
  }
  return u;
}

RoleStatement ParseRoleStatement(std::string_view text) {
  Reader r(text);
  RoleStatement s;
  s.create = r.p.Next().value == "CREATE";
  r.p.Expect("ROLE", 900);
  s.role = r.NameAt(1935);
  if (s.create) {
    if (r.p.Accept("NOT")) {
      r.p.Expect("IDENTIFIED", 922);
    } else if (r.p.Accept("IDENTIFIED")) {
      r.p.Expect("BY", 922);
      r.Name(988);
      s.password = true;
    }
  }
  r.End();
  return s;
}

LinkStatement ParseLinkStatement(std::string_view text) {
  Reader r(text);
  LinkStatement l;
  l.create = r.p.Next().value == "CREATE";
  l.isPublic = r.p.Accept("PUBLIC");
  r.Expect({"DATABASE", "LINK"}, 900);
  l.name = r.Dotted(2011);
  if (l.create) {
    if (r.p.Accept("CONNECT")) {
      r.p.Expect("TO", 922);
      l.user = r.Name(922);
      r.Expect({"IDENTIFIED", "BY"}, 922);
      l.password = r.Name(988);
    }
    if (r.p.Accept("USING")) {
      const Token* t = r.p.Peek();
      if (!t || t->kind != TokenKind::String) r.p.Fail(922);
      l.host = r.p.Next().value;
    }
  }
  r.End();
  return l;
}

GrantStatement ParseGrantStatement(std::string_view text) {
  Reader r(text);
  GrantStatement g;
  g.grant = r.p.Next().value == "GRANT";
  g.privileges = PrivilegeList(r);
  if (r.p.Accept("ON")) {
    g.onObject = true;
    g.object = r.NameAt(903);
    if (r.p.Accept(".")) {
      g.owner = g.object.name;
      g.object.name = r.Name(903);
    }
  }
  r.p.Expect(g.grant ? "TO" : "FROM", 905);
  do g.grantees.push_back(r.NameAt(987));
  while (r.p.Accept(","));
  if (g.grant && r.p.Accept("WITH")) {
    r.Expect({g.onObject ? "GRANT" : "ADMIN", "OPTION"}, 922);
    g.withOption = true;
  }
  if (!g.grant && g.onObject && r.p.Accept("CASCADE")) r.p.Accept("CONSTRAINTS");
  r.End();
  return g;
}

}  // namespace tess::oci7
