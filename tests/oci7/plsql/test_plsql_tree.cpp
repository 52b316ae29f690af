// The trees the parser builds: expression precedence, statements, embedded SQL with its
// INTO clauses taken out, unit headers, triggers and conditional compilation.
#include <gtest/gtest.h>

#include "oci7/plsql/front.h"

using namespace tess::oci7::plsql;

namespace {

std::unique_ptr<Unit> Parse(std::string_view text) {
  ParseResult r = ParseUnit(text);
  EXPECT_TRUE(r.errors.empty()) << (r.errors.empty() ? "" : r.errors[0].text);
  return std::move(r.unit);
}

// An expression written back fully parenthesised, to see how it was grouped.
std::string Shape(const Expr& e) {
  auto sub = [](const ExprPtr& o) { return Shape(*o); };
  switch (e.kind) {
    case ExprKind::Number:
      return e.text;
    case ExprKind::String:
      return "'" + e.text + "'";
    case ExprKind::Null:
      return "NULL";
    case ExprKind::Boolean:
      return e.boolValue ? "TRUE" : "FALSE";
    case ExprKind::Bind:
      return ":" + e.text;
    case ExprKind::Name: {
      std::string s;
      for (const auto& p : e.parts) s += (s.empty() ? "" : ".") + p;
      return s;
    }
    case ExprKind::Member:
      return sub(e.operands[0]) + "." + e.text;
    case ExprKind::Attribute:
      return sub(e.operands[0]) + "%" + e.text;
    case ExprKind::Call: {
      std::string s = sub(e.operands[0]) + "(";
      for (size_t i = 0; i < e.args.size(); ++i)
        s += (i ? "," : "") + (e.args[i].name.empty() ? "" : e.args[i].name + "=>") +
             Shape(*e.args[i].value);
      return s + ")";
    }
    case ExprKind::Unary:
      return "(" + e.text + " " + sub(e.operands[0]) + ")";
    case ExprKind::Binary:
    case ExprKind::Chain: {
      // Left to right, as the chain computes: ((a op b) op c).
      std::string s = sub(e.operands[0]);
      for (size_t i = 1; i < e.operands.size(); ++i)
        s = "(" + s + " " + (e.kind == ExprKind::Chain ? e.ops[i - 1] : e.text) + " " +
            sub(e.operands[i]) + ")";
      return s;
    }
    case ExprKind::Like:
      return "(" + sub(e.operands[0]) + (e.negated ? " NOT" : "") + " LIKE " + sub(e.operands[1]) +
             ")";
    case ExprKind::Between:
      return "(" + sub(e.operands[0]) + (e.negated ? " NOT" : "") + " BETWEEN " +
             sub(e.operands[1]) + " AND " + sub(e.operands[2]) + ")";
    case ExprKind::In: {
      std::string s = "(" + sub(e.operands[0]) + (e.negated ? " NOT" : "") + " IN (";
      for (size_t i = 1; i < e.operands.size(); ++i) s += (i > 1 ? "," : "") + sub(e.operands[i]);
      return s + "))";
    }
    case ExprKind::IsNull:
      return "(" + sub(e.operands[0]) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
    case ExprKind::Case: {
      std::string s = "CASE";
      size_t i = 0;
      if (e.hasOperand) s += " " + sub(e.operands[i++]);
      size_t pairsEnd = e.operands.size() - (e.hasElse ? 1 : 0);
      for (; i < pairsEnd; i += 2)
        s += " WHEN " + sub(e.operands[i]) + " THEN " + sub(e.operands[i + 1]);
      if (e.hasElse) s += " ELSE " + sub(e.operands.back());
      return s + " END";
    }
    case ExprKind::TypedLiteral:
      return e.text2 + " '" + e.text + "'";
    case ExprKind::Cast:
      return e.text + "(" + sub(e.operands[0]) + " AS " + e.type->text + ")";
    case ExprKind::Inquiry:
      return "$$" + e.text;
    default:
      return "?";
  }
}

// The expression assigned by the block's first statement.
std::string AssignedShape(const std::string& expression) {
  std::string text = "BEGIN\n  x := " + expression + ";\nEND;";
  auto u = Parse(text);
  if (!u || !u->block || u->block->body.empty()) return "<no tree>";
  const Stmt& s = *u->block->body[0];
  EXPECT_EQ(s.kind, StmtKind::Assign);
  // Offsets cover exactly the expression's text.
  EXPECT_EQ(text.substr(s.value->offset, s.value->end - s.value->offset), expression);
  return Shape(*s.value);
}

}  // namespace

TEST(PlsqlTree, ExpressionPrecedence) {
  EXPECT_EQ(AssignedShape("a + b * c ** 2"), "(A + (B * (C ** 2)))");
  EXPECT_EQ(AssignedShape("-2 ** 2"), "(- (2 ** 2))");
  EXPECT_EQ(AssignedShape("a - b - c"), "((A - B) - C)");
  EXPECT_EQ(AssignedShape("a || b + c"), "((A || B) + C)");
  EXPECT_EQ(AssignedShape("NOT a = b AND c OR d"), "(((NOT (A = B)) AND C) OR D)");
  EXPECT_EQ(AssignedShape("a OR b AND NOT c"), "(A OR (B AND (NOT C)))");
  EXPECT_EQ(AssignedShape("x mod 3 = 0"), "((X MOD 3) = 0)");
  EXPECT_EQ(AssignedShape("a != b"), "(A <> B)");
  EXPECT_EQ(AssignedShape("a NOT BETWEEN 1 AND b + 1 AND c"),
            "((A NOT BETWEEN 1 AND (B + 1)) AND C)");
  EXPECT_EQ(AssignedShape("n NOT IN (1, 2 + 3)"), "(N NOT IN (1,(2 + 3)))");
  EXPECT_EQ(AssignedShape("s LIKE 'A%' || t"), "(S LIKE ('A%' || T))");
  EXPECT_EQ(AssignedShape("v IS NOT NULL AND w IS NULL"), "((V IS NOT NULL) AND (W IS NULL))");
  EXPECT_EQ(AssignedShape("''"), "NULL");
}

TEST(PlsqlTree, NamesCallsAndLiterals) {
  EXPECT_EQ(AssignedShape("scott.pkg.f(1, p => 'a')"), "SCOTT.PKG.F(1,P=>'a')");
  EXPECT_EQ(AssignedShape("t(i).field.sub"), "T(I).FIELD.SUB");
  EXPECT_EQ(AssignedShape("c%ROWCOUNT + SQL%ROWCOUNT"), "(C%ROWCOUNT + SQL%ROWCOUNT)");
  EXPECT_EQ(AssignedShape(":new.sal * 2"), "(:NEW.SAL * 2)");
  EXPECT_EQ(AssignedShape("CASE WHEN a > 1 THEN 'x' ELSE 'y' END"),
            "CASE WHEN (A > 1) THEN 'x' ELSE 'y' END");
  EXPECT_EQ(AssignedShape("CASE k WHEN 1 THEN 2 END"), "CASE K WHEN 1 THEN 2 END");
  EXPECT_EQ(AssignedShape("DATE '2024-01-31'"), "DATE '2024-01-31'");
  EXPECT_EQ(AssignedShape("TRUE"), "TRUE");
  EXPECT_EQ(AssignedShape("(SELF AS base_t).describe()"), "TREAT(SELF AS BASE_T).DESCRIBE()");
  EXPECT_EQ(AssignedShape("$$plsql_unit"), "$$PLSQL_UNIT");
  EXPECT_EQ(AssignedShape("\"Mixed\".x"), "Mixed.X");
}

TEST(PlsqlTree, ControlStatements) {
  auto u = Parse(
      "<<outer>>\n"
      "DECLARE\n"
      "  i PLS_INTEGER := 0;\n"
      "BEGIN\n"
      "  IF i = 0 THEN NULL; ELSIF i = 1 THEN i := 2; ELSE RETURN; END IF;\n"
      "  FOR k IN REVERSE 1 .. 10 LOOP EXIT outer WHEN k = 3; END LOOP;\n"
      "  FOR r IN (SELECT ename FROM emp WHERE deptno = 10) LOOP NULL; END LOOP;\n"
      "  FOR r IN c(5) LOOP CONTINUE; END LOOP lbl;\n"
      "  WHILE i < 5 LOOP i := i + 1; END LOOP;\n"
      "  CASE i WHEN 1 THEN NULL; ELSE NULL; END CASE;\n"
      "  GOTO done;\n"
      "  <<done>> NULL;\n"
      "EXCEPTION\n"
      "  WHEN no_data_found OR too_many_rows THEN RAISE;\n"
      "  WHEN OTHERS THEN raise_application_error(-20001, 'x');\n"
      "END outer;\n");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->kind, UnitKind::Anonymous);
  const Block& b = *u->block;
  EXPECT_EQ(b.labels, std::vector<std::string>{"OUTER"});
  EXPECT_EQ(b.endName, "OUTER");
  ASSERT_EQ(b.decls.size(), 1u);
  EXPECT_EQ(b.decls[0].type.text, "PLS_INTEGER");
  ASSERT_EQ(b.body.size(), 8u);
  const Stmt& ifs = *b.body[0];
  EXPECT_EQ(ifs.kind, StmtKind::If);
  EXPECT_EQ(ifs.conds.size(), 2u);
  EXPECT_TRUE(ifs.hasElse);
  EXPECT_EQ(ifs.elseBranch[0]->kind, StmtKind::Return);
  const Stmt& range = *b.body[1];
  EXPECT_EQ(range.kind, StmtKind::ForRange);
  EXPECT_TRUE(range.reverse);
  EXPECT_EQ(range.name, "K");
  EXPECT_EQ(range.body[0]->kind, StmtKind::Exit);
  EXPECT_EQ(range.body[0]->name, "OUTER");
  EXPECT_TRUE(range.body[0]->value);
  const Stmt& inlineCursor = *b.body[2];
  EXPECT_EQ(inlineCursor.kind, StmtKind::ForCursor);
  EXPECT_EQ(inlineCursor.sql->text, "SELECT ename FROM emp WHERE deptno = 10");
  const Stmt& named = *b.body[3];
  EXPECT_EQ(named.kind, StmtKind::ForCursor);
  EXPECT_EQ(Shape(*named.target), "C(5)");
  EXPECT_EQ(named.endLabel, "LBL");
  EXPECT_EQ(b.body[4]->kind, StmtKind::While);
  EXPECT_EQ(b.body[5]->kind, StmtKind::Case);
  EXPECT_EQ(b.body[6]->kind, StmtKind::Goto);
  EXPECT_EQ(b.body[7]->labels, std::vector<std::string>{"DONE"});
  ASSERT_EQ(b.handlers.size(), 2u);
  EXPECT_EQ(b.handlers[0].names,
            (std::vector<std::vector<std::string>>{{"NO_DATA_FOUND"}, {"TOO_MANY_ROWS"}}));
  EXPECT_EQ(b.handlers[0].body[0]->kind, StmtKind::Raise);
  EXPECT_FALSE(b.handlers[0].body[0]->target);
  EXPECT_EQ(b.handlers[1].names[0], std::vector<std::string>{"OTHERS"});
}

// Embedded SQL keeps its text at its offsets, with INTO and RETURNING ... INTO blanked.
TEST(PlsqlTree, EmbeddedSqlAndDynamicSql) {
  std::string text =
      "BEGIN\n"
      "  SELECT ename, sal INTO v_name, r.sal FROM emp WHERE empno = :id;\n"
      "  UPDATE emp SET sal = sal * 1.1 WHERE empno = 7\n"
      "    RETURNING sal, ename INTO v_sal, v_name;\n"
      "  SELECT empno BULK COLLECT INTO ids FROM emp;\n"
      "  OPEN :cur FOR SELECT * FROM dept;\n"
      "  EXECUTE IMMEDIATE 'select 1 from dual where :a = 1' INTO n USING IN 1, OUT m;\n"
      "  FETCH c BULK COLLECT INTO a, b LIMIT 100;\n"
      "  FORALL i IN 1 .. ids.COUNT SAVE EXCEPTIONS DELETE FROM emp WHERE empno = ids(i);\n"
      "  COMMIT WORK;\n"
      "  ROLLBACK TO SAVEPOINT sp1;\n"
      "END;";
  auto u = Parse(text);
  ASSERT_TRUE(u);
  const StmtList& body = u->block->body;
  ASSERT_EQ(body.size(), 9u);

  const SqlText& sel = *body[0]->sql;
  EXPECT_EQ(sel.verb, "SELECT");
  EXPECT_EQ(sel.text.size(), sel.end - sel.offset);
  EXPECT_EQ(sel.text, "SELECT ename, sal                    FROM emp WHERE empno = :id");
  ASSERT_EQ(sel.into.size(), 2u);
  EXPECT_EQ(Shape(*sel.into[1]), "R.SAL");
  EXPECT_EQ(text.substr(sel.offset, 6), "SELECT");

  const SqlText& upd = *body[1]->sql;
  EXPECT_EQ(upd.verb, "UPDATE");
  EXPECT_EQ(upd.returning, (std::vector<std::string>{"sal", "ename"}));
  ASSERT_EQ(upd.returningInto.size(), 2u);
  EXPECT_EQ(upd.text.find("RETURNING"), std::string::npos);
  EXPECT_NE(upd.text.find('\n'), std::string::npos);  // line structure kept

  EXPECT_TRUE(body[2]->sql->bulkInto);
  EXPECT_EQ(body[3]->kind, StmtKind::OpenFor);
  EXPECT_EQ(Shape(*body[3]->target), ":CUR");
  EXPECT_EQ(body[3]->sql->text, "SELECT * FROM dept");

  const Stmt& dyn = *body[4];
  EXPECT_EQ(dyn.kind, StmtKind::ExecuteImmediate);
  EXPECT_EQ(dyn.into.size(), 1u);
  ASSERT_EQ(dyn.usings.size(), 2u);
  EXPECT_EQ(dyn.usings[1].mode, Using::Out);

  EXPECT_TRUE(body[5]->bulk);
  EXPECT_EQ(Shape(*body[5]->value), "100");
  EXPECT_EQ(body[6]->kind, StmtKind::ForAll);
  EXPECT_EQ(body[6]->body[0]->sql->verb, "DELETE");
  EXPECT_EQ(body[7]->kind, StmtKind::Commit);
  EXPECT_EQ(body[8]->name, "SP1");
}

TEST(PlsqlTree, StoredProgramHeaders) {
  auto p = Parse(
      "CREATE OR REPLACE PROCEDURE scott.raise_sal(p_empno IN emp.empno%TYPE,\n"
      "  p_pct IN OUT NOCOPY NUMBER := 10, p_out OUT VARCHAR2) AUTHID CURRENT_USER IS\n"
      "  CURSOR c(d NUMBER) RETURN emp%ROWTYPE IS SELECT * FROM emp WHERE deptno = d;\n"
      "  TYPE rec_t IS RECORD (a NUMBER(8,2) NOT NULL := 0, b VARCHAR2(10 CHAR));\n"
      "  TYPE tab_t IS TABLE OF rec_t INDEX BY BINARY_INTEGER;\n"
      "  TYPE cur_t IS REF CURSOR RETURN emp%ROWTYPE;\n"
      "  e_busy EXCEPTION;\n"
      "  PRAGMA EXCEPTION_INIT(e_busy, -54);\n"
      "  k CONSTANT NUMBER := 3;\n"
      "  FUNCTION twice(n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END twice;\n"
      "BEGIN\n  NULL;\nEND raise_sal;\n/\n");
  ASSERT_TRUE(p);
  EXPECT_EQ(p->kind, UnitKind::Procedure);
  EXPECT_TRUE(p->create && p->orReplace);
  EXPECT_EQ(p->owner, "SCOTT");
  EXPECT_EQ(p->name, "RAISE_SAL");
  EXPECT_EQ(p->qualifiers, std::vector<std::string>{"AUTHID CURRENT_USER"});
  const Subprogram& sp = *p->subprogram;
  ASSERT_EQ(sp.params.size(), 3u);
  EXPECT_EQ(sp.params[0].type.attribute, "TYPE");
  EXPECT_EQ(sp.params[0].type.Dotted(), "EMP.EMPNO");
  EXPECT_EQ(sp.params[1].mode, Param::InOut);
  EXPECT_TRUE(sp.params[1].nocopy);
  EXPECT_TRUE(sp.params[1].defaultValue);
  EXPECT_EQ(sp.params[2].mode, Param::Out);
  const auto& d = sp.body->decls;
  ASSERT_EQ(d.size(), 8u);
  EXPECT_EQ(d[0].kind, DeclKind::Cursor);
  EXPECT_EQ(d[0].params.size(), 1u);
  EXPECT_EQ(d[0].type.attribute, "ROWTYPE");
  EXPECT_EQ(d[1].kind, DeclKind::RecordType);
  EXPECT_EQ(d[1].fields[0].type.length, 8);
  EXPECT_EQ(d[1].fields[0].type.scale, 2);
  EXPECT_TRUE(d[1].fields[0].notNull);
  EXPECT_EQ(d[2].kind, DeclKind::TableType);
  EXPECT_EQ(d[2].indexBy->text, "BINARY_INTEGER");
  EXPECT_EQ(d[3].kind, DeclKind::RefCursorType);
  EXPECT_EQ(d[4].kind, DeclKind::Exception);
  EXPECT_EQ(d[5].kind, DeclKind::Pragma);
  EXPECT_EQ(d[5].pragmaArgs.size(), 2u);
  EXPECT_EQ(d[6].kind, DeclKind::Constant);
  EXPECT_EQ(d[7].kind, DeclKind::Subprogram);
  EXPECT_EQ(d[7].subprogram->body->endName, "TWICE");
  EXPECT_EQ(p->endName, "RAISE_SAL");

  auto h = ReadUnitHeader("create or replace package body a.b is end;");
  ASSERT_TRUE(h);
  EXPECT_EQ(h->kind, UnitKind::PackageBody);
  EXPECT_EQ(h->owner, "A");
  EXPECT_EQ(h->name, "B");
  EXPECT_FALSE(ReadUnitHeader("create or function f"));
  EXPECT_FALSE(ReadUnitHeader("create table t (a number)"));
}

TEST(PlsqlTree, PackagesAndTypes) {
  auto spec = Parse(
      "PACKAGE pkg AS\n"
      "  g_count NUMBER := 0;\n"
      "  PROCEDURE p(a NUMBER);\n"
      "  PROCEDURE p(a VARCHAR2, b DATE DEFAULT SYSDATE);\n"
      "  FUNCTION f RETURN BOOLEAN;\n"
      "END pkg;");
  ASSERT_TRUE(spec);
  EXPECT_EQ(spec->kind, UnitKind::Package);
  ASSERT_EQ(spec->decls.size(), 4u);
  EXPECT_TRUE(spec->decls[1].subprogram->forward);

  auto body = Parse(
      "PACKAGE BODY pkg AS\n"
      "  PROCEDURE p(a NUMBER) IS BEGIN g_count := g_count + a; END;\n"
      "BEGIN\n  g_count := 1;\nEND pkg;");
  ASSERT_TRUE(body);
  EXPECT_EQ(body->kind, UnitKind::PackageBody);
  ASSERT_TRUE(body->block);
  EXPECT_EQ(body->block->body.size(), 1u);
  EXPECT_EQ(body->endName, "PKG");

  auto type = Parse(
      "create or replace type shape_t force authid current_user as object (\n"
      "  name varchar2(30),\n"
      "  constructor function shape_t(self in out nocopy shape_t) return self as result,\n"
      "  member function area return number,\n"
      "  not final member procedure draw\n"
      ") not final not instantiable");
  ASSERT_TRUE(type);
  EXPECT_EQ(type->objectType.form, "OBJECT");
  EXPECT_EQ(type->objectType.attributes.size(), 1u);
  ASSERT_EQ(type->objectType.methods.size(), 3u);
  EXPECT_EQ(type->objectType.methods[0].methodKind, "CONSTRUCTOR");
  EXPECT_EQ(type->objectType.methods[0].returnType->text, "SELF AS RESULT");
  EXPECT_FALSE(type->objectType.final);
  EXPECT_FALSE(type->objectType.instantiable);

  auto list = Parse("create type names_t as table of varchar2(100);");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->objectType.form, "TABLE");
  EXPECT_EQ(list->objectType.element.length, 100);
}

TEST(PlsqlTree, Triggers) {
  std::string text =
      "CREATE OR REPLACE TRIGGER scott.emp_audit\n"
      "BEFORE INSERT OR UPDATE OF sal, comm OR DELETE ON scott.emp\n"
      "REFERENCING OLD AS o NEW AS n\n"
      "FOR EACH ROW\n"
      "WHEN (n.sal > 1000 OR o.sal IS NULL)\n"
      "BEGIN\n  :n.sal := :n.sal + 1;\nEND;";
  auto u = Parse(text);
  ASSERT_TRUE(u);
  const TriggerSpec& t = u->trigger;
  EXPECT_EQ(t.timing, "BEFORE");
  EXPECT_EQ(t.events, (std::vector<std::string>{"INSERT", "UPDATE", "DELETE"}));
  EXPECT_EQ(t.updateColumns, (std::vector<std::string>{"SAL", "COMM"}));
  EXPECT_EQ(t.tableOwner, "SCOTT");
  EXPECT_EQ(t.tableName, "EMP");
  EXPECT_EQ(t.referencingOld, "O");
  EXPECT_EQ(t.referencingNew, "N");
  EXPECT_TRUE(t.forEachRow);
  EXPECT_EQ(t.whenText, "n.sal > 1000 OR o.sal IS NULL");
  EXPECT_EQ(text.substr(t.descriptionOffset, t.descriptionEnd - t.descriptionOffset),
            "scott.emp_audit\nBEFORE INSERT OR UPDATE OF sal, comm OR DELETE ON scott.emp\n"
            "REFERENCING OLD AS o NEW AS n\nFOR EACH ROW");
  EXPECT_EQ(text.substr(t.bodyOffset, 5), "BEGIN");
  EXPECT_EQ(u->block->body[0]->kind, StmtKind::Assign);

  auto ddl = Parse("create trigger t after ddl on schema begin null; end;");
  ASSERT_TRUE(ddl);
  EXPECT_EQ(ddl->trigger.baseObjectType, "SCHEMA");
  EXPECT_EQ(ddl->trigger.events, std::vector<std::string>{"DDL"});
}

// Branches are chosen for this server (version 7, release 3); what is not chosen vanishes
// without moving anything else.
TEST(PlsqlTree, ConditionalCompilation) {
  std::string text =
      "BEGIN\n"
      "  $IF dbms_db_version.version >= 12 $THEN\n"
      "    x := 'new';\n"
      "  $ELSIF dbms_db_version.ver_le_7_3 $THEN\n"
      "    x := 'old';\n"
      "  $ELSE\n"
      "    x := 'none';\n"
      "  $END\n"
      "  $IF $$debug_flag $THEN y := 1; $END\n"
      "  z := 2;\n"
      "END;";
  auto u = Parse(text);
  ASSERT_TRUE(u);
  ASSERT_EQ(u->block->body.size(), 2u);
  const Stmt& s = *u->block->body[0];
  EXPECT_EQ(Shape(*s.value), "'old'");
  EXPECT_EQ(text.substr(s.offset, 2), "x ");
  EXPECT_EQ(LineColumnAt(text, u->block->body[1]->offset).line, 10);

  ParseResult e = ParseUnit("BEGIN\n  $IF TRUE $THEN $ERROR 'not here' $END $END\n  NULL;\nEND;");
  ASSERT_EQ(e.errors.size(), 1u);
  EXPECT_EQ(e.errors[0].text, "PLS-00179: $ERROR: not here");
  EXPECT_EQ(e.errors[0].line, 2);
  EXPECT_EQ(e.errors[0].position, 18);
}
