// The parser's statements: blocks, control flow, cursors, dynamic SQL and the embedded
// SQL statements, which are scanned (not parsed) up to their ";" with their INTO and
// RETURNING ... INTO targets taken out.
#include <algorithm>

#include "oci7/plsql/parser.h"

namespace tess::oci7::plsql {
namespace {

bool InWords(std::string_view words, std::string_view word) {
  size_t i = 0;
  while (i < words.size()) {
    size_t j = words.find(' ', i);
    if (j == std::string_view::npos) j = words.size();
    if (words.substr(i, j - i) == word) return true;
    i = j + 1;
  }
  return false;
}

StmtPtr NewStmt(StmtKind kind, size_t offset) {
  auto s = std::make_unique<Stmt>();
  s->kind = kind;
  s->offset = offset;
  return s;
}

// Words that begin a PL/SQL statement and can never stand inside a SQL statement at its
// top level: meeting one means the SQL statement before it lost its ";".
constexpr std::string_view kPlsqlOnly =
    "BEGIN COMMIT DECLARE ELSIF EXCEPTION GOTO IF LOOP RAISE ROLLBACK SAVEPOINT WHILE";

}  // namespace

std::vector<std::string> Parser::Labels() {
  std::vector<std::string> labels;
  while (IsOp("<<")) {
    ++pos_;
    labels.push_back(Identifier("<an identifier>"));
    ExpectOp(">>", ">>");
  }
  return labels;
}

StmtList Parser::Statements(std::string_view terminators) {
  auto atTerminator = [&] {
    return AtEnd() || (Tok().kind == TokenKind::Word && InWords(terminators, Tok().value));
  };
  std::string_view saved = stmtExpected_;
  stmtExpected_ = InWords(terminators, "END") && !InWords(terminators, "ELSE")
                      ? expect::kStatementOrEnd
                      : expect::kStatementStart;
  StmtList list;
  // A sequence of statements holds at least one.
  if (atTerminator()) Unexpected(expect::kStatementStart);
  while (!atTerminator()) list.push_back(Statement());
  stmtExpected_ = saved;
  return list;
}

void Parser::StatementEnd(Stmt& s, std::string_view expected) {
  ExpectOp(";", expected);
  s.end = LastEnd();
}

StmtPtr Parser::Statement() {
  Nesting nesting(*this);
  std::vector<std::string> labels = Labels();
  if (AtEnd()) Unexpected(labels.empty() ? stmtExpected_ : expect::kStatementStart);
  size_t at = Here();
  const Token& t = Tok();
  // Words that start statements but are not reserved: a following ":=", "." or "(" makes
  // them names (a variable or a procedure that happens to carry the name).
  bool nameFollows = IsOp(":=", 1) || IsOp(".", 1) || IsOp("(", 1) || IsOp("%", 1);
  StmtPtr s;
  if (t.kind == TokenKind::Word) {
    const std::string& w = t.value;
    if (w == "BEGIN" || w == "DECLARE") {
      s = NewStmt(StmtKind::Block, at);
      s->block = BlockStatement(labels);
      s->end = s->block->end;
    } else if (w == "IF") {
      s = IfStatement();
    } else if (w == "CASE") {
      s = CaseStatement();
    } else if (w == "LOOP") {
      s = LoopStatement(NewStmt(StmtKind::Loop, at));
    } else if (w == "WHILE") {
      s = NewStmt(StmtKind::While, at);
      ++pos_;
      s->value = Expression();
      if (!IsWord("LOOP")) Unexpected(AfterOperand("loop"));
      s = LoopStatement(std::move(s));
    } else if (w == "FOR") {
      s = ForStatement();
    } else if (w == "FORALL" && !nameFollows) {
      s = ForAllStatement();
    } else if ((w == "EXIT" || w == "CONTINUE") && !nameFollows) {
      s = ExitStatement(w == "CONTINUE");
    } else if (w == "GOTO") {
      s = NewStmt(StmtKind::Goto, at);
      ++pos_;
      s->name = Identifier("<an identifier>");
      StatementEnd(*s);
    } else if (w == "NULL") {
      s = NewStmt(StmtKind::Null, at);
      ++pos_;
      StatementEnd(*s);
    } else if (w == "RETURN" && !IsOp(":=", 1)) {
      s = NewStmt(StmtKind::Return, at);
      ++pos_;
      if (!IsOp(";")) s->value = Expression();
      StatementEnd(*s, s->value ? AfterOperand(";") : std::string("; <an expression>"));
    } else if (w == "RAISE" && !nameFollows) {
      s = NewStmt(StmtKind::Raise, at);
      ++pos_;
      if (!IsOp(";")) s->target = NameExpression();
      StatementEnd(*s, ". ;");
    } else if (w == "OPEN" && !nameFollows) {
      s = OpenStatement();
    } else if (w == "FETCH") {
      s = FetchStatement();
    } else if (w == "CLOSE" && !nameFollows) {
      s = NewStmt(StmtKind::Close, at);
      ++pos_;
      s->target = Target();
      StatementEnd(*s, ". ;");
    } else if (w == "EXECUTE" && IsWord("IMMEDIATE", 1)) {
      s = ExecuteImmediate();
    } else if (w == "PIPE" && IsWord("ROW", 1)) {
      s = NewStmt(StmtKind::PipeRow, at);
      pos_ += 2;
      ExpectOp("(", "(");
      s->value = Expression();
      ExpectOp(")", AfterOperand(")"));
      StatementEnd(*s);
    } else if (w == "COMMIT" && !nameFollows) {
      s = NewStmt(StmtKind::Commit, at);
      ++pos_;
      AcceptWord("WORK");
      if (AcceptWord("COMMENT")) {
        if (Tok().kind != TokenKind::String || AtEnd()) Unexpected("<a single-quoted SQL string>");
        ++pos_;
      }
      while (IsWord("WRITE") || IsWord("WAIT") || IsWord("NOWAIT") || IsWord("IMMEDIATE") ||
             IsWord("BATCH"))
        ++pos_;
      StatementEnd(*s, "; comment work write");
    } else if (w == "ROLLBACK" && !nameFollows) {
      s = NewStmt(StmtKind::Rollback, at);
      ++pos_;
      AcceptWord("WORK");
      if (AcceptWord("TO")) {
        AcceptWord("SAVEPOINT");
        s->name = Identifier("<an identifier> savepoint");
      }
      StatementEnd(*s, "; to work");
    } else if (w == "SAVEPOINT" && !nameFollows) {
      s = NewStmt(StmtKind::Savepoint, at);
      ++pos_;
      s->name = Identifier("<an identifier>");
      StatementEnd(*s);
    } else if (w == "SET" && IsWord("TRANSACTION", 1)) {
      s = NewStmt(StmtKind::SetTransaction, at);
      s->sql = Sql(false);
      StatementEnd(*s);
    } else if (w == "SELECT" || w == "WITH" || w == "INSERT" || w == "UPDATE" ||
               ((w == "DELETE" || w == "MERGE" || w == "LOCK") && !nameFollows)) {
      s = SqlStatement();
    } else if (w == "PRAGMA") {
      s = NewStmt(StmtKind::Pragma, at);
      ++pos_;
      s->name = Identifier("<an identifier>");
      if (AcceptOp("(")) Arguments();
      StatementEnd(*s);
    }
  } else if (t.kind == TokenKind::Operator && t.value == "(" &&
             (IsWord("SELECT", 1) || IsWord("WITH", 1))) {
    s = SqlStatement();
  }
  if (!s) {
    if (!IsIdentifier() && t.kind != TokenKind::Bind && !IsOp("("))
      Unexpected(labels.empty() ? stmtExpected_ : expect::kStatementStart);
    s = CallOrAssignment();
  }
  s->offset = at;
  s->labels = std::move(labels);
  return s;
}

StmtPtr Parser::CallOrAssignment() {
  StmtPtr s = NewStmt(StmtKind::Call, Here());
  ExprPtr e = Target();
  if (AcceptOp(":=")) {
    s->kind = StmtKind::Assign;
    s->target = std::move(e);
    s->value = Expression();
    StatementEnd(*s, AfterOperand(";"));
    return s;
  }
  bool callable =
      e->kind == ExprKind::Name || e->kind == ExprKind::Member || e->kind == ExprKind::Call;
  if (!IsOp(";") || !callable) Unexpected(expect::kAfterCallTarget);
  s->value = std::move(e);
  StatementEnd(*s);
  return s;
}

StmtPtr Parser::IfStatement() {
  StmtPtr s = NewStmt(StmtKind::If, Here());
  ++pos_;  // IF
  do {
    s->conds.push_back(Expression());
    ExpectWord("THEN", AfterOperand("then"));
    s->branches.push_back(Statements("ELSIF ELSE END"));
  } while (AcceptWord("ELSIF"));
  if (AcceptWord("ELSE")) {
    s->hasElse = true;
    s->elseBranch = Statements("END");
  }
  ExpectWord("END", expect::kStatementOrEnd);
  ExpectWord("IF", "if");
  StatementEnd(*s);
  return s;
}

StmtPtr Parser::CaseStatement() {
  StmtPtr s = NewStmt(StmtKind::Case, Here());
  ++pos_;  // CASE
  if (!IsWord("WHEN")) s->value = Expression();
  if (!IsWord("WHEN")) Unexpected(AfterOperand("when"));
  while (AcceptWord("WHEN")) {
    s->conds.push_back(Expression());
    ExpectWord("THEN", AfterOperand("then"));
    s->branches.push_back(Statements("WHEN ELSE END"));
  }
  if (AcceptWord("ELSE")) {
    s->hasElse = true;
    s->elseBranch = Statements("END");
  }
  ExpectWord("END", "else end when");
  ExpectWord("CASE", "case");
  if (IsIdentifier()) s->endLabel = Identifier("<an identifier>");
  StatementEnd(*s, "; <an identifier>");
  return s;
}

StmtPtr Parser::LoopStatement(StmtPtr s) {
  ExpectWord("LOOP", "loop");
  s->body = Statements("END");
  ExpectWord("END", expect::kStatementOrEnd);
  ExpectWord("LOOP", "loop");
  if (IsIdentifier()) s->endLabel = Identifier("<an identifier>");
  StatementEnd(*s, "; <an identifier>");
  return s;
}

StmtPtr Parser::ForStatement() {
  StmtPtr s = NewStmt(StmtKind::ForRange, Here());
  ++pos_;  // FOR
  s->name = Identifier("<an identifier> <a double-quoted delimited-identifier>");
  ExpectWord("IN", "in");
  s->reverse = AcceptWord("REVERSE");
  if (IsOp("(") && (IsWord("SELECT", 1) || IsWord("WITH", 1))) {
    s->kind = StmtKind::ForCursor;
    s->sql = Subquery();
    if (!IsWord("LOOP")) Unexpected("loop");
    return LoopStatement(std::move(s));
  }
  ExprPtr low = Expression();
  if (AcceptOp("..")) {
    s->low = std::move(low);
    s->high = Expression();
    if (!IsWord("LOOP")) Unexpected(AfterOperand("loop"));
    return LoopStatement(std::move(s));
  }
  if (s->reverse || (low->kind != ExprKind::Name && low->kind != ExprKind::Call))
    Unexpected(AfterOperand(".."));
  s->kind = StmtKind::ForCursor;
  s->target = std::move(low);
  if (!IsWord("LOOP")) Unexpected(".. loop");
  return LoopStatement(std::move(s));
}

StmtPtr Parser::ForAllStatement() {
  StmtPtr s = NewStmt(StmtKind::ForAll, Here());
  ++pos_;  // FORALL
  s->name = Identifier("<an identifier>");
  ExpectWord("IN", "in");
  if ((IsWord("INDICES") || IsWord("VALUES")) && IsWord("OF", 1)) {
    s->forallKind = Tok().value + " OF";
    pos_ += 2;
    s->value = Target();
    if (s->forallKind == "INDICES OF" && AcceptWord("BETWEEN")) {
      s->low = Additive();
      ExpectWord("AND", AfterOperand("and"));
      s->high = Additive();
    }
  } else {
    s->forallKind = "RANGE";
    s->low = Expression();
    ExpectOp("..", AfterOperand(".."));
    s->high = Expression();
  }
  if (IsWord("SAVE") && IsWord("EXCEPTIONS", 1)) pos_ += 2;
  // One DML statement (or EXECUTE IMMEDIATE), whose ";" ends the FORALL too.
  bool dml = IsWord("INSERT") || IsWord("UPDATE") || IsWord("DELETE") || IsWord("MERGE") ||
             (IsWord("EXECUTE") && IsWord("IMMEDIATE", 1));
  if (!dml) Unexpected("delete execute insert merge update save");
  s->body.push_back(Statement());
  s->end = s->body.back()->end;
  return s;
}

StmtPtr Parser::ExitStatement(bool isContinue) {
  StmtPtr s = NewStmt(isContinue ? StmtKind::Continue : StmtKind::Exit, Here());
  ++pos_;
  if (IsIdentifier() && !IsWord("WHEN")) s->name = Identifier("<an identifier>");
  if (AcceptWord("WHEN")) {
    s->value = Expression();
    StatementEnd(*s, AfterOperand(";"));
  } else {
    StatementEnd(*s, "; <an identifier> when");
  }
  return s;
}

StmtPtr Parser::OpenStatement() {
  StmtPtr s = NewStmt(StmtKind::Open, Here());
  ++pos_;  // OPEN
  s->target = Target();
  if (AcceptWord("FOR")) {
    s->kind = StmtKind::OpenFor;
    if (IsWord("SELECT") || IsWord("WITH") ||
        (IsOp("(") && (IsWord("SELECT", 1) || IsWord("WITH", 1)))) {
      s->sql = Sql(true);
    } else {
      s->value = Expression();
      if (AcceptWord("USING")) s->usings = UsingList();
    }
  }
  StatementEnd(*s, s->kind == StmtKind::Open ? "( ; for" : "; using");
  return s;
}

StmtPtr Parser::FetchStatement() {
  StmtPtr s = NewStmt(StmtKind::Fetch, Here());
  ++pos_;  // FETCH
  s->target = Target();
  if (IsWord("BULK")) {
    ++pos_;
    ExpectWord("COLLECT", "collect");
    s->bulk = true;
  }
  ExpectWord("INTO", s->bulk ? "into" : ". bulk into");
  s->into = TargetList();
  if (AcceptWord("LIMIT")) s->value = Expression();
  StatementEnd(*s, s->value ? AfterOperand(";") : ". ( , ; limit");
  return s;
}

StmtPtr Parser::ExecuteImmediate() {
  StmtPtr s = NewStmt(StmtKind::ExecuteImmediate, Here());
  pos_ += 2;  // EXECUTE IMMEDIATE
  s->value = Expression();
  while (true) {
    if (IsWord("INTO") || (IsWord("BULK") && IsWord("COLLECT", 1))) {
      if (AcceptWord("BULK")) {
        ++pos_;
        s->bulk = true;
      }
      ExpectWord("INTO", "into");
      s->into = TargetList();
    } else if (AcceptWord("USING")) {
      s->usings = UsingList();
    } else if (IsWord("RETURNING") || IsWord("RETURN")) {
      ++pos_;
      if (AcceptWord("BULK")) ExpectWord("COLLECT", "collect");
      ExpectWord("INTO", "bulk into");
      s->returningInto = TargetList();
    } else {
      break;
    }
  }
  StatementEnd(*s, AfterOperand("; bulk into returning using"));
  return s;
}

std::vector<Using> Parser::UsingList() {
  std::vector<Using> list;
  do {
    Using u;
    if (AcceptWord("IN")) {
      u.mode = AcceptWord("OUT") ? Using::InOut : Using::In;
    } else if (AcceptWord("OUT")) {
      u.mode = Using::Out;
    }
    u.value = Expression();
    list.push_back(std::move(u));
  } while (AcceptOp(","));
  return list;
}

std::vector<ExprPtr> Parser::TargetList() {
  std::vector<ExprPtr> list;
  do {
    list.push_back(Target());
  } while (AcceptOp(","));
  return list;
}

StmtPtr Parser::SqlStatement() {
  StmtPtr s = NewStmt(StmtKind::Sql, Here());
  s->sql = Sql(false);
  StatementEnd(*s);
  return s;
}

void Parser::FailSql(const SqlText& sql, size_t offset, std::string text) const {
  throw SyntaxError{offset, std::move(text), sql.offset, "PL/SQL: SQL Statement ignored"};
}

std::unique_ptr<SqlText> Parser::Sql(bool query) {
  auto sql = std::make_unique<SqlText>();
  sql->offset = Here();
  {
    size_t k = 0;
    while (IsOp("(", k)) ++k;
    sql->verb = Tok(k).value;
    if (sql->verb == "WITH") sql->verb = "SELECT";
    if (query && sql->verb != "SELECT") Unexpected("select with (");
  }
  const bool select = sql->verb == "SELECT";
  const bool dml = sql->verb == "INSERT" || sql->verb == "UPDATE" || sql->verb == "DELETE" ||
                   sql->verb == "MERGE";
  std::vector<std::pair<size_t, size_t>> blanks;
  int depth = 0;
  int caseDepth = 0;
  bool sawInto = false;
  bool sawReturning = false;
  while (true) {
    if (AtEnd()) Unexpected(";");
    const Token& t = Tok();
    if (t.kind == TokenKind::Operator) {
      if (t.value == "(") {
        ++depth;
      } else if (t.value == ")") {
        if (depth == 0) Unexpected(";");
        --depth;
      } else if (t.value == ";" && depth == 0) {
        break;
      } else if (t.value == ":=" && depth == 0) {
        FailSql(*sql, t.offset, "PL/SQL: ORA-00933: SQL command not properly ended");
      }
    } else if (t.kind == TokenKind::Word) {
      if (t.value == "CASE") {
        ++caseDepth;
      } else if (t.value == "END") {
        if (caseDepth == 0)
          FailSql(*sql, t.offset, "PL/SQL: ORA-00933: SQL command not properly ended");
        --caseDepth;
      } else if (depth == 0 && InWords(kPlsqlOnly, t.value)) {
        FailSql(*sql, t.offset, "PL/SQL: ORA-00933: SQL command not properly ended");
      } else if (depth == 0 && select && !sawInto &&
                 (t.value == "INTO" || (t.value == "BULK" && IsWord("COLLECT", 1)))) {
        size_t from = t.offset;
        if (AcceptWord("BULK")) {
          ++pos_;
          sql->bulkInto = true;
        }
        ExpectWord("INTO", "into");
        sql->into = TargetList();
        blanks.emplace_back(from, LastEnd());
        sawInto = true;
        continue;
      } else if (depth == 0 && dml && !sawReturning &&
                 (t.value == "RETURNING" || t.value == "RETURN")) {
        size_t from = t.offset;
        ++pos_;
        // The returned expressions, split at top-level commas, up to [BULK COLLECT] INTO.
        int d = 0;
        size_t itemStart = Here();
        while (true) {
          if (AtEnd() || (d == 0 && IsOp(";"))) Unexpected("bulk into");
          if (d == 0 && (IsWord("INTO") || (IsWord("BULK") && IsWord("COLLECT", 1)))) break;
          if (IsOp("(")) ++d;
          if (IsOp(")")) --d;
          if (d == 0 && IsOp(",")) {
            sql->returning.push_back(TextOf(itemStart, LastEnd()));
            ++pos_;
            itemStart = Here();
            continue;
          }
          ++pos_;
        }
        sql->returning.push_back(TextOf(itemStart, LastEnd()));
        if (AcceptWord("BULK")) {
          ++pos_;
          sql->bulkReturning = true;
        }
        ExpectWord("INTO", "into");
        sql->returningInto = TargetList();
        blanks.emplace_back(from, LastEnd());
        sawReturning = true;
        continue;
      }
    }
    ++pos_;
  }
  sql->end = LastEnd();
  sql->text = TextOf(sql->offset, sql->end);
  for (auto [from, to] : blanks) {
    for (size_t k = from; k < to && k - sql->offset < sql->text.size(); ++k) {
      char& c = sql->text[k - sql->offset];
      if (c != '\n' && c != '\r') c = ' ';
    }
  }
  return sql;
}

std::unique_ptr<SqlText> Parser::Subquery() {
  ++pos_;  // (
  auto sql = std::make_unique<SqlText>();
  sql->offset = Here();
  sql->verb = "SELECT";
  int depth = 0;
  while (true) {
    if (AtEnd()) Unexpected(")");
    if (IsOp("(")) ++depth;
    if (IsOp(")")) {
      if (depth == 0) break;
      --depth;
    }
    if (IsOp(";")) Unexpected(")");
    ++pos_;
  }
  sql->end = LastEnd();
  sql->text = TextOf(sql->offset, sql->end);
  ++pos_;  // )
  return sql;
}

std::unique_ptr<Block> Parser::BlockStatement(std::vector<std::string> labels) {
  Nesting nesting(*this);
  size_t at = Here();
  std::vector<Decl> decls;
  if (AcceptWord("DECLARE")) decls = Declarations(DeclContext::Block);
  std::unique_ptr<Block> b = BlockBody(at);
  b->decls = std::move(decls);
  b->labels = std::move(labels);
  return b;
}

std::unique_ptr<Block> Parser::BlockBody(size_t offset) {
  auto b = std::make_unique<Block>();
  b->offset = offset;
  b->beginOffset = Here();
  ExpectWord("BEGIN", expect::kDeclarationStart);
  b->body = Statements("END EXCEPTION");
  if (AcceptWord("EXCEPTION")) Handlers(*b);
  ExpectWord("END", expect::kStatementOrEnd);
  if (IsIdentifier()) {
    b->endNameOffset = Here();
    b->endName = Identifier("<an identifier>");
  }
  ExpectOp(";", "; <an identifier> <a double-quoted delimited-identifier>");
  b->end = LastEnd();
  return b;
}

void Parser::Handlers(Block& b) {
  if (!IsWord("WHEN")) Unexpected("pragma when");
  while (IsWord("WHEN")) {
    Handler h;
    h.offset = Here();
    ++pos_;
    do {
      h.nameOffsets.push_back(Here());
      if (AcceptWord("OTHERS"))
        h.names.push_back({"OTHERS"});
      else
        h.names.push_back(DottedName("<an identifier> others"));
    } while (AcceptWord("OR"));
    ExpectWord("THEN", ". or then");
    h.body = Statements("WHEN END");
    b.handlers.push_back(std::move(h));
  }
}

}  // namespace tess::oci7::plsql
