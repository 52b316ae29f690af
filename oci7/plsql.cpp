// Anonymous PL/SQL blocks: BEGIN ... END; holding NULL, :bind := expression, nested
// blocks, COMMIT, ROLLBACK, INSERT/UPDATE/DELETE, SELECT ... INTO :binds, OPEN :c FOR
// SELECT, and the DBMS_OUTPUT and DBMS_LOCK.SLEEP calls.  Anything else is a compile
// error (ORA-06550 with the PLS error and its line and column), never a silent no-op.
//
// The block is parsed once at parse time; expressions are translated then and prepared on
// first use, so re-executing a block costs only the binds and the steps.
#include <sqlite3.h>

#include <cmath>
#include <cstring>

#include "oci7/engine.h"

namespace tess::oci7 {
namespace {

struct LineColumn {
  int line = 1;
  int column = 1;
};

LineColumn Position(std::string_view text, size_t offset) {
  LineColumn lc;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lc.line;
      lc.column = 1;
    } else {
      ++lc.column;
    }
  }
  return lc;
}

OraError CompileError(std::string_view text, size_t offset, const std::string& pls) {
  LineColumn lc = Position(text, offset);
  std::string where =
      "line " + std::to_string(lc.line) + ", column " + std::to_string(lc.column) + ":\n";
  return EngineError(6550, where + pls, static_cast<int>(offset));
}

// An expression: its text, translation and (after first use) its prepared SELECT.
struct Expr {
  size_t offset = 0;
  std::string text;
  Translation tr;
  sqlite3_stmt* st = nullptr;
};

struct Statement {
  enum Kind {
    Null,
    Assign,
    Block,
    Commit,
    Rollback,
    Sql,
    SelectInto,
    OpenCursor,
    OutputEnable,
    OutputDisable,
    OutputPut,
    OutputPutLine,
    OutputNewLine,
    OutputGetLine,
    OutputGetLines,
    Sleep
  } kind = Null;
  size_t offset = 0;
  std::vector<std::string> targets;  // bind names written by the statement
  std::vector<std::unique_ptr<Expr>> args;
  std::unique_ptr<Expr> sql;  // SQL statement or OPEN's query, translated as SQL
  std::vector<Statement> body;
};

class Block final : public PlsqlBlock {
 public:
  Block(std::string_view text, Session& session) : text_(text), session_(session) {}
  ~Block() override { Finalize(body_); }

  void Parse();
  const std::vector<std::string>& binds() const override { return binds_; }
  int Run(Cursor& cursor) override {
    int warning = 0;
    try {
      RunList(cursor, body_, warning);
    } catch (...) {
      session_.EndSequenceOnly();
      throw;
    }
    session_.EndSequenceOnly();
    return warning;
  }

 private:
  // Parsing
  const Token& At(size_t i) const;
  bool IsWord(size_t i, std::string_view w) const { return i < tokens_.size() && tokens_[i].Is(w); }
  OraError Expected(size_t i, const char* what) const;
  void ParseStatements(size_t& i, std::vector<Statement>& out, bool topLevel);
  void ParseStatement(size_t& i, std::vector<Statement>& out);
  size_t StatementEnd(size_t i) const;  // index of the ';' ending the statement at depth 0
  std::unique_ptr<Expr> MakeExpr(size_t from, size_t to, bool asSql);
  std::vector<std::unique_ptr<Expr>> Arguments(size_t& i, size_t end);
  std::string BindTarget(size_t i) const;

  // Running
  void RunList(Cursor& c, std::vector<Statement>& list, int& warning);
  void RunStatement(Cursor& c, Statement& s, int& warning);
  Value Evaluate(Cursor& c, Expr& e);
  sqlite3_stmt* PrepareExpr(Expr& e, bool asSelect);
  void Finalize(std::vector<Statement>& list);
  OraError AtLine(const OraError& e, size_t offset) const;

  std::string text_;
  Session& session_;
  std::vector<Token> tokens_;
  std::vector<std::string> binds_;
  std::vector<Statement> body_;
};

const Token& Block::At(size_t i) const {
  static const Token kEnd{};
  return i < tokens_.size() ? tokens_[i] : kEnd;
}

OraError Block::Expected(size_t i, const char* what) const {
  if (i >= tokens_.size())
    return CompileError(text_, text_.size(),
                        std::string("PLS-00103: Encountered the symbol \"end-of-file\" when "
                                    "expecting one of the following:\n\n   ") +
                            what);
  const Token& t = tokens_[i];
  std::string shown = t.kind == TokenKind::String ? "'" + t.value + "'"
                      : t.kind == TokenKind::Bind ? ":" + t.value
                                                  : t.value;
  return CompileError(text_, t.offset,
                      "PLS-00103: Encountered the symbol \"" + shown +
                          "\" when expecting one of the following:\n\n   " + what);
}

void Block::Parse() {
  tokens_ = Tokenize(text_);
  for (const Token& t : tokens_)
    if (t.kind == TokenKind::Bind &&
        std::find(binds_.begin(), binds_.end(), t.value) == binds_.end())
      binds_.push_back(t.value);
  size_t i = 0;
  if (IsWord(i, "DECLARE"))
    throw CompileError(text_, At(i).offset,
                       "PLS-00103: Encountered the symbol \"DECLARE\": declarations are not "
                       "supported in this block");
  if (!IsWord(i, "BEGIN")) throw Expected(i, "begin");
  Statement block;
  block.kind = Statement::Block;
  block.offset = At(i).offset;
  ++i;
  ParseStatements(i, block.body, true);
  body_.push_back(std::move(block));
  if (i < tokens_.size() && !(tokens_[i].Is("/") && i + 1 == tokens_.size()))
    throw Expected(i, "end-of-file");
}

// Statements up to the END of the enclosing block (consumed with its ";").
void Block::ParseStatements(size_t& i, std::vector<Statement>& out, bool topLevel) {
  (void)topLevel;
  if (IsWord(i, "END")) throw Expected(i, "begin case declare exit for goto if loop null");
  while (true) {
    if (i >= tokens_.size()) throw Expected(i, "end");
    if (IsWord(i, "EXCEPTION"))
      throw CompileError(text_, At(i).offset,
                         "PLS-00103: Encountered the symbol \"EXCEPTION\": exception handlers are "
                         "not supported in this block");
    if (IsWord(i, "END")) {
      ++i;
      if (i < tokens_.size() && At(i).kind == TokenKind::Word && !IsWord(i, ";")) ++i;  // label
      if (!IsWord(i, ";")) throw Expected(i, ";");
      ++i;
      return;
    }
    ParseStatement(i, out);
  }
}

size_t Block::StatementEnd(size_t i) const {
  int depth = 0;
  for (; i < tokens_.size(); ++i) {
    const Token& t = tokens_[i];
    if (t.kind != TokenKind::Operator) continue;
    if (t.value == "(") ++depth;
    if (t.value == ")") --depth;
    if (t.value == ";" && depth <= 0) return i;
  }
  return tokens_.size();
}

std::unique_ptr<Expr> Block::MakeExpr(size_t from, size_t to, bool asSql) {
  if (from >= to) throw Expected(from, "an expression");
  auto e = std::make_unique<Expr>();
  e->offset = tokens_[from].offset;
  size_t end = tokens_[to - 1].offset + tokens_[to - 1].length;
  e->text = text_.substr(e->offset, end - e->offset);
  try {
    TranslateContext ctx = session_.MakeTranslateContext();
    e->tr = asSql ? Translate(e->text, ctx) : TranslateExpression(e->text, ctx);
  } catch (const OraError& err) {
    // Positions inside the expression become positions in the block.
    size_t at = err.offset >= 0 ? e->offset + static_cast<size_t>(err.offset) : e->offset;
    std::string msg = err.message;
    throw CompileError(text_, at,
                       msg.size() > 4 && msg.compare(0, 4, "ORA-") == 0 ? "PL/SQL: " + msg : msg);
  }
  return e;
}

// ( expr, expr, ... ) up to `end`; i is at "(" or at end (no arguments).
std::vector<std::unique_ptr<Expr>> Block::Arguments(size_t& i, size_t end) {
  std::vector<std::unique_ptr<Expr>> args;
  if (i >= end) return args;
  if (!IsWord(i, "(")) throw Expected(i, "( ;");
  size_t start = ++i;
  int depth = 0;
  for (; i < end; ++i) {
    const Token& t = tokens_[i];
    if (t.kind != TokenKind::Operator) continue;
    if (t.value == "(") {
      ++depth;
    } else if (t.value == ")" && depth > 0) {
      --depth;
    } else if ((t.value == "," || t.value == ")") && depth == 0) {
      args.push_back(MakeExpr(start, i, false));
      start = i + 1;
      if (t.value == ")") {
        ++i;
        if (i != end) throw Expected(i, ";");
        return args;
      }
    }
  }
  throw Expected(i, ")");
}

std::string Block::BindTarget(size_t i) const {
  if (i < tokens_.size() && tokens_[i].kind == TokenKind::Bind) return tokens_[i].value;
  throw CompileError(
      text_, At(i).offset,
      "PLS-00363: expression '" + At(i).value + "' cannot be used as an assignment target");
}

void Block::ParseStatement(size_t& i, std::vector<Statement>& out) {
  Statement s;
  s.offset = At(i).offset;
  const Token& t = At(i);
  if (t.Is(";")) {
    throw Expected(i, "begin case declare exit for goto if loop null");
  }
  if (t.Is("BEGIN")) {
    s.kind = Statement::Block;
    ++i;
    ParseStatements(i, s.body, false);
    out.push_back(std::move(s));
    return;
  }
  size_t end = StatementEnd(i);
  if (end >= tokens_.size()) throw Expected(end, ";");
  if (t.kind == TokenKind::Bind) {
    if (!IsWord(i + 1, ":=")) throw Expected(i + 1, ":=");
    s.kind = Statement::Assign;
    s.targets.push_back(t.value);
    s.args.push_back(MakeExpr(i + 2, end, false));
  } else if (t.Is("NULL")) {
    if (end != i + 1) throw Expected(i + 1, ";");
    s.kind = Statement::Null;
  } else if (t.Is("COMMIT") || t.Is("ROLLBACK")) {
    size_t j = i + 1;
    if (IsWord(j, "WORK")) ++j;
    if (j != end) throw Expected(j, ";");
    s.kind = t.Is("COMMIT") ? Statement::Commit : Statement::Rollback;
  } else if (t.Is("INSERT") || t.Is("UPDATE") || t.Is("DELETE") || t.Is("SELECT") || t.Is("LOCK")) {
    s.sql = MakeExpr(i, end, true);
    if (t.Is("SELECT")) {
      if (s.sql->tr.selectInto.empty())
        throw CompileError(text_, t.offset,
                           "PLS-00428: an INTO clause is expected in this SELECT statement");
      for (const std::string& target : s.sql->tr.selectInto) {
        if (target.empty() || target[0] != ':')
          throw CompileError(text_, t.offset,
                             "PLS-00201: identifier '" + target + "' must be declared");
        s.targets.push_back(target.substr(1));
      }
      s.kind = Statement::SelectInto;
    } else {
      s.kind = Statement::Sql;
    }
  } else if (t.Is("OPEN")) {
    s.kind = Statement::OpenCursor;
    s.targets.push_back(BindTarget(i + 1));
    if (!IsWord(i + 2, "FOR")) throw Expected(i + 2, "for");
    if (!IsWord(i + 3, "SELECT") && !IsWord(i + 3, "(")) throw Expected(i + 3, "select");
    s.sql = MakeExpr(i + 3, end, true);
  } else if (t.kind == TokenKind::Word) {
    // A call: [SYS.]PACKAGE.PROCEDURE [(arguments)]
    size_t j = i;
    std::string path = t.value;
    while (IsWord(j + 1, ".") && j + 2 < end && At(j + 2).kind == TokenKind::Word) {
      path += "." + At(j + 2).value;
      j += 2;
    }
    ++j;
    if (path.compare(0, 4, "SYS.") == 0) path = path.substr(4);
    if (IsWord(j, ":=")) {
      throw CompileError(text_, t.offset,
                         "PLS-00201: identifier '" + t.value + "' must be declared");
    }
    size_t argAt = j;
    std::vector<std::unique_ptr<Expr>> args;
    auto argCount = [&](size_t lo, size_t hi) {
      if (args.size() < lo || args.size() > hi)
        throw CompileError(text_, t.offset,
                           "PLS-00306: wrong number or types of arguments in call to '" +
                               path.substr(path.rfind('.') + 1) + "'");
    };
    if (path == "DBMS_OUTPUT.GET_LINE" || path == "DBMS_OUTPUT.GET_LINES") {
      // OUT arguments must be binds.
      if (!IsWord(argAt, "(")) argCount(2, 2);
      size_t k = argAt + 1;
      s.targets.push_back(BindTarget(k));
      if (!IsWord(k + 1, ",")) throw Expected(k + 1, ",");
      s.targets.push_back(BindTarget(k + 2));
      if (!IsWord(k + 3, ")")) throw Expected(k + 3, ")");
      if (k + 4 != end) throw Expected(k + 4, ";");
      s.kind =
          path == "DBMS_OUTPUT.GET_LINE" ? Statement::OutputGetLine : Statement::OutputGetLines;
    } else {
      args = Arguments(argAt, end);
      if (path == "DBMS_OUTPUT.ENABLE") {
        argCount(0, 1);
        s.kind = Statement::OutputEnable;
      } else if (path == "DBMS_OUTPUT.DISABLE") {
        argCount(0, 0);
        s.kind = Statement::OutputDisable;
      } else if (path == "DBMS_OUTPUT.PUT") {
        argCount(1, 1);
        s.kind = Statement::OutputPut;
      } else if (path == "DBMS_OUTPUT.PUT_LINE") {
        argCount(1, 1);
        s.kind = Statement::OutputPutLine;
      } else if (path == "DBMS_OUTPUT.NEW_LINE") {
        argCount(0, 0);
        s.kind = Statement::OutputNewLine;
      } else if (path == "DBMS_LOCK.SLEEP") {
        argCount(1, 1);
        s.kind = Statement::Sleep;
      } else {
        std::string shown = path.find('.') == std::string::npos ? path : path;
        throw CompileError(text_, t.offset,
                           "PLS-00201: identifier '" + shown + "' must be declared");
      }
      s.args = std::move(args);
    }
  } else {
    throw Expected(i, "begin case declare exit for goto if loop null");
  }
  i = end + 1;
  out.push_back(std::move(s));
}

// ---------------------------------------------------------------------------------------
// Running

OraError Block::AtLine(const OraError& e, size_t offset) const {
  if (e.code == 1013 || e.message.find("ORA-06512") != std::string::npos) return e;
  LineColumn lc = Position(text_, offset);
  return OraError(e.code, e.message + "\nORA-06512: at line " + std::to_string(lc.line), e.offset);
}

sqlite3_stmt* Block::PrepareExpr(Expr& e, bool asSelect) {
  if (e.st) {
    sqlite3_reset(e.st);
    sqlite3_clear_bindings(e.st);
    return e.st;
  }
  std::string sql = asSelect ? "SELECT " + e.tr.sql : e.tr.sql;
  int rc = sqlite3_prepare_v3(session_.db(), sql.c_str(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &e.st, nullptr);
  if (rc != SQLITE_OK || !e.st) {
    OraError err = MapSqliteError(session_.db(), rc, {e.tr.functionCode, nullptr, &session_});
    sqlite3_finalize(e.st);
    e.st = nullptr;
    throw err;
  }
  return e.st;
}

Value ColumnValue(sqlite3_stmt* st, int col, int oracleType) {
  Value v;
  switch (sqlite3_column_type(st, col)) {
    case SQLITE_INTEGER:
      v.kind = Value::Integer;
      v.i = sqlite3_column_int64(st, col);
      break;
    case SQLITE_FLOAT:
      v.kind = Value::Real;
      v.r = sqlite3_column_double(st, col);
      break;
    case SQLITE_TEXT:
      v.kind = Value::Text;
      v.s.assign(reinterpret_cast<const char*>(sqlite3_column_text(st, col)),
                 static_cast<size_t>(sqlite3_column_bytes(st, col)));
      if (v.s.empty()) v.kind = Value::Null;
      break;
    case SQLITE_BLOB:
      v.kind = Value::Blob;
      v.s.assign(static_cast<const char*>(sqlite3_column_blob(st, col)),
                 static_cast<size_t>(sqlite3_column_bytes(st, col)));
      break;
    default:
      break;
  }
  v.oracleType = oracleType;
  if (oracleType == 0) {
    if (v.kind == Value::Integer || v.kind == Value::Real) v.oracleType = kTypeNumber;
    if (v.kind == Value::Text && IsStoredDate(v.s)) v.oracleType = kTypeDate;
  }
  return v;
}

Value Block::Evaluate(Cursor& c, Expr& e) {
  sqlite3_stmt* st = PrepareExpr(e, true);
  if (e.tr.sql.find("ORA$NEXTVAL") != std::string::npos)
    session_.BeginWrite(Session::WriteReason::Sequence);
  c.BindStatement(st, e.tr.binds);
  int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    OraError err = MapSqliteError(session_.db(), rc, {0, nullptr, &session_});
    sqlite3_reset(st);
    throw err;
  }
  int hint = e.tr.columnTypeHints.empty() ? 0 : e.tr.columnTypeHints[0];
  Value v = ColumnValue(st, 0, hint);
  sqlite3_reset(st);
  return v;
}

int64_t AsInteger(const Value& v, const std::string& dateFormat) {
  switch (v.kind) {
    case Value::Integer:
      return v.i;
    case Value::Real:
      return static_cast<int64_t>(std::llround(v.r));
    case Value::Text: {
      auto d = ParseOracleNumber(v.s);
      if (!d) throw EngineError(6502);
      return static_cast<int64_t>(std::llround(*d));
    }
    default:
      (void)dateFormat;
      throw EngineError(6502);
  }
}

void Block::RunList(Cursor& c, std::vector<Statement>& list, int& warning) {
  for (Statement& s : list) {
    session_.CheckCancel();
    try {
      RunStatement(c, s, warning);
    } catch (const OraError& e) {
      throw AtLine(e, s.offset);
    }
  }
}

void Block::RunStatement(Cursor& c, Statement& s, int& warning) {
  const std::string& fmt = session_.dateFormat();
  auto out = [&](const std::string& name, const Value& v, int element = 0) {
    const BindVar* b = c.FindBind(name);
    if (!b) throw EngineError(1008);
    int code = c.WriteOutBind(*b, v, element);
    if (code && !warning) warning = code;
  };
  ServerOutput& output = session_.output();
  switch (s.kind) {
    case Statement::Null:
      return;
    case Statement::Block:
      RunList(c, s.body, warning);
      return;
    case Statement::Assign:
      out(s.targets[0], Evaluate(c, *s.args[0]));
      return;
    case Statement::Commit:
      session_.Commit();
      return;
    case Statement::Rollback:
      session_.Rollback();
      return;
    case Statement::Sql: {
      session_.BeginWrite();
      sqlite3_stmt* st = PrepareExpr(*s.sql, false);
      c.BindStatement(st, s.sql->tr.binds);
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) {
        OraError err =
            MapSqliteError(session_.db(), rc, {s.sql->tr.functionCode, &s.sql->tr, &session_});
        sqlite3_reset(st);
        throw err;
      }
      sqlite3_reset(st);
      return;
    }
    case Statement::SelectInto: {
      sqlite3_stmt* st = PrepareExpr(*s.sql, false);
      if (s.sql->tr.sql.find("ORA$NEXTVAL") != std::string::npos)
        session_.BeginWrite(Session::WriteReason::Sequence);
      c.BindStatement(st, s.sql->tr.binds);
      int rc = sqlite3_step(st);
      if (rc == SQLITE_DONE) {
        sqlite3_reset(st);
        throw EngineError(1403);
      }
      if (rc != SQLITE_ROW) {
        OraError err = MapSqliteError(session_.db(), rc, {kFcSelect, &s.sql->tr, &session_});
        sqlite3_reset(st);
        throw err;
      }
      std::vector<Value> values;
      int n = sqlite3_column_count(st);
      for (int k = 0; k < n; ++k) {
        size_t uk = static_cast<size_t>(k);
        int hint = uk < s.sql->tr.columnTypeHints.size() ? s.sql->tr.columnTypeHints[uk] : 0;
        if (hint == 0) hint = OracleTypeFromDeclared(sqlite3_column_decltype(st, k)).code;
        values.push_back(ColumnValue(st, k, hint));
      }
      rc = sqlite3_step(st);
      sqlite3_reset(st);
      if (rc == SQLITE_ROW) throw EngineError(1422);
      if (values.size() != s.targets.size())
        throw EngineError(s.targets.size() > values.size() ? 947 : 913);
      for (size_t k = 0; k < values.size(); ++k) out(s.targets[k], values[k]);
      return;
    }
    case Statement::OpenCursor: {
      const BindVar* b = c.FindBind(s.targets[0]);
      if (!b) throw EngineError(1008);
      if (b->ftype != kExtCursor)
        throw CompileError(text_, s.offset, "PLS-00382: expression is of wrong type");
      if (!b->progv) throw EngineError(1009);
      // The child owns its own statement, so it lives on after this block runs again.
      sqlite3_stmt* st = nullptr;
      const Translation& tr = s.sql->tr;
      int rc = sqlite3_prepare_v3(session_.db(), tr.sql.c_str(), static_cast<int>(tr.sql.size()),
                                  SQLITE_PREPARE_PERSISTENT, &st, nullptr);
      if (rc != SQLITE_OK || !st) {
        OraError err = MapSqliteError(session_.db(), rc, {kFcSelect, &tr, &session_});
        sqlite3_finalize(st);
        throw err;
      }
      try {
        c.BindStatement(st, tr.binds);
      } catch (...) {
        sqlite3_finalize(st);
        throw;
      }
      auto child = std::make_shared<Cursor>(c.sessionPtr());
      child->OpenAsCursorVariable(tr, st);
      auto* area = reinterpret_cast<CdaDef*>(b->progv);
      uint64_t id = RegisterCursor(child, area);
      session_.AddCursor(id);
      c.AddChild(id);
      area->ft = kFcSelect;
      area->rc = 0;
      area->rpc = 0;
      area->peo = 0;
      return;
    }
    case Statement::OutputEnable: {
      int64_t size = 20000;
      if (!s.args.empty()) {
        Value v = Evaluate(c, *s.args[0]);
        size = v.kind == Value::Null ? 1000000 : AsInteger(v, fmt);
      }
      output.Enable(size);
      return;
    }
    case Statement::OutputDisable:
      output.Disable();
      return;
    case Statement::OutputPut:
    case Statement::OutputPutLine: {
      Value v = Evaluate(c, *s.args[0]);
      std::string text = ValueText(v, fmt);
      if (s.kind == Statement::OutputPut)
        output.Put(text);
      else
        output.PutLine(text);
      return;
    }
    case Statement::OutputNewLine:
      output.NewLine();
      return;
    case Statement::OutputGetLine: {
      auto line = output.GetLine();
      Value text, status;
      status.kind = Value::Integer;
      status.oracleType = kTypeNumber;
      status.i = line ? 0 : 1;
      if (line && !line->empty()) {
        text.kind = Value::Text;
        text.s = *line;
      }
      out(s.targets[0], text);
      out(s.targets[1], status);
      return;
    }
    case Statement::OutputGetLines: {
      const BindVar* lines = c.FindBind(s.targets[0]);
      const BindVar* count = c.FindBind(s.targets[1]);
      if (!lines || !count) throw EngineError(1008);
      int64_t wanted = AsInteger(c.ReadInBind(*count), fmt);
      int64_t capacity = lines->maxsiz > 0 ? lines->maxsiz : 1;
      if (wanted > capacity) wanted = capacity;
      int64_t got = 0;
      while (got < wanted) {
        auto line = output.GetLine();
        if (!line) break;
        Value v;
        if (!line->empty()) {
          v.kind = Value::Text;
          v.s = *line;
        }
        out(s.targets[0], v, static_cast<int>(got));
        ++got;
      }
      if (lines->maxsiz > 0 && lines->cursiz) *lines->cursiz = static_cast<ub4>(got);
      Value n;
      n.kind = Value::Integer;
      n.oracleType = kTypeNumber;
      n.i = got;
      out(s.targets[1], n);
      return;
    }
    case Statement::Sleep: {
      Value v = Evaluate(c, *s.args[0]);
      double seconds = 0;
      if (v.kind == Value::Integer)
        seconds = static_cast<double>(v.i);
      else if (v.kind == Value::Real)
        seconds = v.r;
      else if (v.kind == Value::Text) {
        auto d = ParseOracleNumber(v.s);
        if (!d) throw EngineError(6502);
        seconds = *d;
      } else {
        throw EngineError(6502);
      }
      if (seconds < 0 || seconds > 3600 * 24) throw EngineError(6502);
      session_.InterruptibleSleep(static_cast<int64_t>(seconds * 1000));
      return;
    }
  }
}

void Block::Finalize(std::vector<Statement>& list) {
  for (Statement& s : list) {
    for (auto& a : s.args)
      if (a->st) sqlite3_finalize(a->st);
    if (s.sql && s.sql->st) sqlite3_finalize(s.sql->st);
    Finalize(s.body);
  }
}

}  // namespace

std::unique_ptr<PlsqlBlock> ParsePlsqlBlock(std::string_view text, Session& session) {
  auto block = std::make_unique<Block>(text, session);
  block->Parse();
  return block;
}

}  // namespace tess::oci7
