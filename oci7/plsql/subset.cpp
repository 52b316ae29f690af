// What the interpreter does not run, found before it could run: each construct outside
// the subset is a compile error at its place, so a program either runs as written or is
// refused with a message that names what is missing.
#include "oci7/plsql/parser.h"
#include "oci7/plsql/runtime.h"

namespace tess::oci7::plsql {
namespace {

class SubsetChecker {
 public:
  std::vector<Message> Run(const Unit& u) {
    if (u.kind == UnitKind::Type || u.kind == UnitKind::TypeBody) {
      Refuse(u.offset, "object types");
      return std::move(out_);
    }
    if (u.kind == UnitKind::Trigger) {
      if (u.trigger.compound) Refuse(u.trigger.bodyOffset, "compound triggers");
      if (u.trigger.baseObjectType != "TABLE")
        Refuse(u.trigger.descriptionOffset, "triggers on database and schema events");
      if (u.trigger.timing == "INSTEAD OF")
        Refuse(u.trigger.descriptionOffset, "INSTEAD OF triggers");
      if (u.trigger.when) Expression(*u.trigger.when);
    }
    if (u.subprogram) Subprogram(*u.subprogram);
    Decls(u.decls);
    if (u.block) Block(*u.block);
    return std::move(out_);
  }

 private:
  void Refuse(size_t offset, const std::string& what) {
    Message m;
    m.offset = offset;
    m.text = "PLS-00999: implementation restriction (may be temporary) " + what;
    out_.push_back(std::move(m));
  }

  void Type(const TypeSpec& t) {
    if (t.ref) Refuse(t.offset, "REF types");
    if (t.name.size() == 1) {
      const std::string& n = t.name[0];
      if (n.compare(0, 9, "TIMESTAMP") == 0 || n.compare(0, 8, "INTERVAL") == 0 || n == "BFILE")
        Refuse(t.offset, n);
    }
  }

  void Subprogram(const tess::oci7::plsql::Subprogram& sp) {
    if (sp.external) Refuse(sp.offset, "subprograms implemented outside PL/SQL");
    for (const std::string& q : sp.qualifiers)
      if (q == "PIPELINED" || q.compare(0, 9, "AGGREGATE") == 0) Refuse(sp.offset, q);
    for (const Param& p : sp.params) {
      Type(p.type);
      if (p.defaultValue) Expression(*p.defaultValue);
    }
    if (sp.returnType) Type(*sp.returnType);
    if (sp.body) Block(*sp.body);
  }

  void Decls(const std::vector<Decl>& decls) {
    for (const Decl& d : decls) {
      Type(d.type);
      if (d.init) Expression(*d.init);
      for (const Field& f : d.fields) {
        Type(f.type);
        if (f.init) Expression(*f.init);
      }
      switch (d.kind) {
        case DeclKind::VarrayType:
          Refuse(d.offset, "VARRAY types");
          break;
        case DeclKind::TableType:
          if (!d.indexBy) Refuse(d.offset, "nested table types (TABLE OF without INDEX BY)");
          break;
        case DeclKind::Pragma:
          if (d.name == "AUTONOMOUS_TRANSACTION") Refuse(d.offset, "autonomous transactions");
          break;
        case DeclKind::Subprogram:
          if (d.subprogram) Subprogram(*d.subprogram);
          break;
        default:
          break;
      }
    }
  }

  void Block(const tess::oci7::plsql::Block& b) {
    Decls(b.decls);
    Statements(b.body);
    for (const Handler& h : b.handlers) Statements(h.body);
  }

  void Statements(const StmtList& list) {
    for (const auto& s : list) Statement(*s);
  }

  void Sql(const SqlText& sql) {
    if (sql.bulkInto) Refuse(sql.offset, "BULK COLLECT");
    if (!sql.returningInto.empty()) Refuse(sql.offset, "RETURNING INTO");
    for (const auto& t : sql.into) Expression(*t);
  }

  void Statement(const Stmt& s) {
    switch (s.kind) {
      case StmtKind::ForAll:
        Refuse(s.offset, "FORALL");
        return;
      case StmtKind::PipeRow:
        Refuse(s.offset, "PIPE ROW");
        return;
      case StmtKind::Fetch:
        if (s.bulk) Refuse(s.offset, "BULK COLLECT");
        break;
      case StmtKind::ExecuteImmediate:
        if (s.bulk) Refuse(s.offset, "BULK COLLECT");
        if (!s.returningInto.empty()) Refuse(s.offset, "RETURNING INTO");
        for (const Using& u : s.usings)
          if (u.mode != Using::In)
            Refuse(u.value->offset, "OUT and IN OUT bind arguments of dynamic SQL");
        break;
      case StmtKind::Call:
        if (s.value->kind != ExprKind::Name &&
            !(s.value->kind == ExprKind::Call && s.value->operands[0]->kind == ExprKind::Name))
          Refuse(s.offset, "calls of methods");
        break;
      default:
        break;
    }
    if (s.sql) Sql(*s.sql);
    for (const ExprPtr* e : {&s.target, &s.value, &s.low, &s.high})
      if (*e) Expression(**e);
    for (const auto& c : s.conds) Expression(*c);
    for (const auto& t : s.into) Expression(*t);
    for (const Using& u : s.usings) Expression(*u.value);
    for (const auto& b : s.branches) Statements(b);
    Statements(s.elseBranch);
    Statements(s.body);
    if (s.block) Block(*s.block);
  }

  void Expression(const Expr& e) {
    switch (e.kind) {
      case ExprKind::Cast:
        Refuse(e.offset, e.text);
        return;
      case ExprKind::Inquiry:
        Refuse(e.offset, "inquiry directives");
        return;
      case ExprKind::New:
        Refuse(e.offset, "object constructors");
        return;
      case ExprKind::IsTest:
        Refuse(e.offset, "IS " + e.text);
        return;
      case ExprKind::TypedLiteral:
        if (e.text2 != "DATE") Refuse(e.offset, e.text2 + " literals");
        return;
      case ExprKind::Binary:
        if (e.text.compare(0, 8, "MULTISET") == 0 || e.text == "MEMBER OF" ||
            e.text == "SUBMULTISET OF")
          Refuse(e.offset, e.text);
        break;
      case ExprKind::Name:
        if (!e.text2.empty()) Refuse(e.offset, "remote calls over database links");
        BuiltinMember(e);
        break;
      case ExprKind::Call:
        if (e.operands[0]->kind == ExprKind::Name) BuiltinMember(*e.operands[0]);
        for (const Arg& a : e.args) Expression(*a.value);
        return;
      default:
        break;
    }
    for (const auto& o : e.operands) Expression(*o);
    for (const Arg& a : e.args) Expression(*a.value);
  }

  // Of the built-in packages the interpreter runs DBMS_OUTPUT and DBMS_LOCK.SLEEP.
  void BuiltinMember(const Expr& name) {
    size_t first = name.parts.size() == 3 && name.parts[0] == "SYS" ? 1 : 0;
    if (name.parts.size() - first != 2 || name.parts[first] != "DBMS_LOCK") return;
    if (name.parts[first + 1] != "SLEEP") Refuse(name.offset, "DBMS_LOCK." + name.parts[first + 1]);
  }

  std::vector<Message> out_;
};

}  // namespace

std::vector<Message> CheckSubset(const Unit& unit, std::string_view text) {
  std::vector<Message> out = SubsetChecker().Run(unit);
  FinishMessages(text, out);
  return out;
}

}  // namespace tess::oci7::plsql
