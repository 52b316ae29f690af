// INSERT, UPDATE and DELETE through a view.  A view of one table without DISTINCT, GROUP
// BY, aggregates, set operators, CONNECT BY or ROWNUM takes changes as its table does: the
// statement is written again on the table, the view's columns replaced by what they stand
// for and the view's condition joined to UPDATE's and DELETE's, then translated as that.
// What the view's text gives is resolved as the view's owner sees it, the rest as the
// statement's writer does; a view over a view unfolds one level at a time.  Other views
// refuse: ORA-01732, or a join ORA-01779 (ORA-01752 for DELETE); a column the view
// computes is not written (ORA-01733).
#include <algorithm>

#include "oci7/dialect/translator.h"

namespace tess::oci7 {

using ast::Expr;
using ast::ExprKind;

namespace {

// Views over views unfold no deeper than this (a cycle would never end).
constexpr int kMaxViewDepth = 16;

void CollectTables(ast::Query& q, std::vector<ast::TableRef*>& out);

void CollectTables(Expr& e, std::vector<ast::TableRef*>& out) {
  if (e.query) CollectTables(*e.query, out);
  for (auto& a : e.args)
    if (a) CollectTables(*a, out);
}

// Every named table a query reads, in its blocks and subqueries.
void CollectTables(ast::Query& q, std::vector<ast::TableRef*>& out) {
  for (auto& part : q.parts) CollectTables(*part, out);
  for (auto& o : q.orderBy)
    if (o.expr) CollectTables(*o.expr, out);
  if (!q.block) return;
  ast::QueryBlock& b = *q.block;
  for (auto& item : b.items)
    if (item.expr) CollectTables(*item.expr, out);
  for (auto& t : b.from) {
    if (t->subquery)
      CollectTables(*t->subquery, out);
    else
      out.push_back(t.get());
    if (t->on) CollectTables(*t->on, out);
  }
  for (Expr* e : {b.where.get(), b.startWith.get(), b.connectBy.get(), b.having.get()})
    if (e) CollectTables(*e, out);
  for (auto& g : b.groupBy)
    if (g) CollectTables(*g, out);
}

bool IsPseudoColumn(const Expr& e) {
  static const char* const kPseudo[] = {"ROWNUM", "ROWID", "LEVEL", "SYSDATE", "USER", "UID"};
  return std::any_of(std::begin(kPseudo), std::end(kPseudo),
                     [&](const char* p) { return IsPseudo(e, p); });
}

// ROWNUM in the expression itself (not in its subqueries).
bool HasRownum(const Expr& e) {
  if (IsPseudo(e, "ROWNUM")) return true;
  return std::any_of(e.args.begin(), e.args.end(),
                     [](const auto& a) { return a && HasRownum(*a); });
}

std::string Span(std::string_view text, const std::vector<Token>& tokens, size_t first,
                 size_t last) {
  return std::string(text.substr(tokens[first].offset,
                                 tokens[last].offset + tokens[last].length - tokens[first].offset));
}

size_t TokenAt(const std::vector<Token>& tokens, size_t offset) {
  return static_cast<size_t>(std::find_if(tokens.begin(), tokens.end(),
                                          [&](const Token& t) { return t.offset == offset; }) -
                             tokens.begin());
}

// What a column of the view stands for in its table.
struct ViewColumn {
  std::string name;    // the view's
  std::string column;  // the table's column, when the view shows one as it is
  std::string expr;    // else the view's text of what it computes
};

// What the statement needs of the view.
struct ViewShape {
  ResolvedObject table;
  std::string tableText;  // the table as the statement writes it: "OWNER"."NAME"
  std::string qualifier;  // how the view's text names the table: its alias or name, quoted
  std::string where;      // the view's condition, or ""
  std::vector<ViewColumn> columns;
};

// The statement written again on the table, with its map back to the original and the
// ranges of it that the view's text gave.
struct Rewritten {
  std::string text;
  OffsetMap map;
  std::vector<std::pair<size_t, size_t>> viewRanges;

  bool FromView(int offset) const {
    return offset >= 0 && std::any_of(viewRanges.begin(), viewRanges.end(), [&](const auto& r) {
             return static_cast<size_t>(offset) >= r.first &&
                    static_cast<size_t>(offset) < r.second;
           });
  }
};

// Builds the rewritten text from the original's tokens and inserted pieces.
class Rewriter {
 public:
  Rewriter(std::string_view text, const std::vector<Token>& tokens)
      : text_(text), tokens_(tokens) {}
  void Copy(size_t i) {
    const Token& t = tokens_[i];
    out_.text.append(text_.substr(last_, t.offset - last_));
    out_.map.Add(out_.text.size(), t.offset);
    out_.text.append(text_.substr(t.offset, t.length));
    last_ = t.offset + t.length;
  }
  void Insert(const std::string& s, size_t original, bool fromView) {
    out_.text += ' ';
    out_.map.Add(out_.text.size(), original);
    size_t start = out_.text.size();
    out_.text += s;
    if (fromView) out_.viewRanges.emplace_back(start, out_.text.size());
    out_.text += ' ';
  }
  // Tokens [from, to) become `s`.
  void Replace(size_t from, size_t to, const std::string& s, bool fromView) {
    out_.text.append(text_.substr(last_, tokens_[from].offset - last_));
    Insert(s, tokens_[from].offset, fromView);
    last_ = tokens_[to - 1].offset + tokens_[to - 1].length;
  }
  Rewritten Done() { return std::move(out_); }

 private:
  std::string_view text_;
  const std::vector<Token>& tokens_;
  Rewritten out_;
  size_t last_ = 0;
};

bool IsName(const Token& t) {
  return t.kind == TokenKind::Word || t.kind == TokenKind::QuotedIdentifier;
}

// The names of a chain a.b.c starting at i, and the index after it.
size_t Chain(const std::vector<Token>& tokens, size_t i, size_t end,
             std::vector<std::string>& parts) {
  parts.clear();
  while (i < end && IsName(tokens[i])) {
    parts.push_back(tokens[i].value);
    if (i + 2 < end && tokens[i + 1].Is(".") && IsName(tokens[i + 2])) {
      i += 2;
      continue;
    }
    return i + 1;
  }
  return i;
}

// The statement on the view's table: its target, the view's names written as the table's
// columns (or the computed text in parentheses), the view's condition joined to its own.
Rewritten RewriteOnTable(std::string_view text, const std::vector<Token>& tokens, int code,
                         const ViewShape& view, const ResolvedObject& viewObject,
                         const ast::TableRef& target, const std::string& alias, size_t targetEnd) {
  Rewriter out(text, tokens);
  size_t end = tokens.size();
  if (end > 0 && tokens[end - 1].Is(";")) --end;
  const size_t nameStart = TokenAt(tokens, target.offset);
  for (size_t k = 0; k < nameStart; ++k) out.Copy(k);
  out.Replace(nameStart, targetEnd,
              view.tableText + (code == kFcInsert ? "" : " " + view.qualifier), true);

  auto find = [&](const std::string& name) -> const ViewColumn* {
    for (const ViewColumn& c : view.columns)
      if (c.name == name) return &c;
    return nullptr;
  };
  // A column the statement writes: the table's own.
  auto written = [&](size_t from, size_t to, const std::vector<std::string>& parts) {
    const ViewColumn* c = parts.empty() ? nullptr : find(parts.back());
    if (!c) {
      for (size_t k = from; k < to; ++k) out.Copy(k);
      return;
    }
    if (c->column.empty()) throw EngineError(1733, {}, int(tokens[from].offset));
    out.Replace(from, to, QuoteIdent(c->column), false);
  };
  // A column the statement reads: by its name alone (not inside a subquery, where the name
  // is the subquery's), or qualified by the view's name or the statement's alias.  The
  // view's ROWID is its table's.
  const std::string& qualifier = alias.empty() ? target.name : alias;
  auto read = [&](size_t from, size_t to, const std::vector<std::string>& parts, bool inSubquery) {
    if (parts.size() == 2 && parts[0] == qualifier && parts[1] == "ROWID") {
      out.Replace(from, to, view.qualifier + ".ROWID", false);
      return true;
    }
    const ViewColumn* c = nullptr;
    if (parts.size() == 1 && !inSubquery)
      c = find(parts[0]);
    else if (parts.size() == 2 && parts[0] == qualifier)
      c = find(parts[1]);
    else if (parts.size() == 3 && alias.empty() && parts[0] == viewObject.owner &&
             parts[1] == target.name)
      c = find(parts[2]);
    if (!c) return false;
    if (c->column.empty())
      out.Replace(from, to, "(" + c->expr + ")", true);
    else
      out.Replace(from, to, view.qualifier + "." + QuoteIdent(c->column), false);
    return true;
  };
  std::vector<std::string> parts;
  // A list of columns written, "(" at i: the index of its ")".
  auto writtenList = [&](size_t i) {
    for (out.Copy(i++); i < end && !tokens[i].Is(")");) {
      size_t k = Chain(tokens, i, end, parts);
      if (k == i) {
        out.Copy(i++);
        continue;
      }
      written(i, k, parts);
      i = k;
    }
    return i;
  };
  size_t i = targetEnd;
  if (code == kFcInsert) {
    if (i < end && tokens[i].Is("(") && !(i + 1 < end && tokens[i + 1].Is("SELECT"))) {
      i = writtenList(i);
    } else {
      std::string list;
      for (const ViewColumn& c : view.columns) {
        if (c.column.empty()) throw EngineError(1733, {}, int(target.offset));
        list += (list.empty() ? "" : ", ") + QuoteIdent(c.column);
      }
      out.Insert("(" + list + ")", target.offset, false);
    }
    // The values or the query are the writer's own.
    for (; i < tokens.size(); ++i) out.Copy(i);
    return out.Done();
  }

  std::vector<bool> parens;  // each open "(": whether it opens a subquery
  bool inSet = code == kFcUpdate, expectTarget = false, whereOpen = false;
  for (; i < end; ++i) {
    const Token& t = tokens[i];
    if (parens.empty() && inSet && (t.Is("SET") || t.Is(","))) {
      out.Copy(i);
      expectTarget = true;
      continue;
    }
    if (expectTarget && t.Is("(")) {
      // SET (a, b) = (subquery)
      i = writtenList(i);
      if (i < end) out.Copy(i);
      expectTarget = false;
      continue;
    }
    if (t.Is("(")) {
      parens.push_back(i + 1 < end && tokens[i + 1].Is("SELECT"));
      out.Copy(i);
      continue;
    }
    if (t.Is(")")) {
      if (!parens.empty()) parens.pop_back();
      out.Copy(i);
      continue;
    }
    if (parens.empty() && t.Is("WHERE")) {
      inSet = false;
      out.Copy(i);
      if (!view.where.empty()) {
        out.Insert("(" + view.where + ") AND (", t.offset, true);
        whereOpen = true;
      }
      continue;
    }
    if (IsName(t) && !(i > 0 && tokens[i - 1].Is("."))) {
      size_t k = Chain(tokens, i, end, parts);
      if (expectTarget) {
        written(i, k, parts);
        expectTarget = false;
        i = k - 1;
        continue;
      }
      bool call = k < end && tokens[k].Is("(");
      bool inSubquery = std::find(parens.begin(), parens.end(), true) != parens.end();
      if (call || !read(i, k, parts, inSubquery))
        for (size_t j = i; j < k; ++j) out.Copy(j);
      i = k - 1;
      continue;
    }
    out.Copy(i);
  }
  const size_t tail = end < tokens.size() ? tokens[end].offset : text.size();
  if (whereOpen)
    out.Insert(")", tail, false);
  else if (!view.where.empty())
    out.Insert("WHERE (" + view.where + ")", tail, true);
  for (; i < tokens.size(); ++i) out.Copy(i);
  return out.Done();
}

}  // namespace

bool Translator::ThroughView() {
  const int code = result_.functionCode;
  size_t i = 1;
  if (code == kFcInsert) {
    if (i >= tokens_.size() || !tokens_[i].Is("INTO")) return false;
    ++i;
  } else if (code == kFcDelete && i < tokens_.size() && tokens_[i].Is("FROM")) {
    ++i;
  }
  if (!ctx_.resolve) return false;
  p_.Seek(i);
  if (p_.AtEnd() || !p_.IsIdentifier()) {
    p_.Seek(0);
    return false;
  }
  ast::TableRef target;
  p_.ObjectName(target.owner, target.name, target.link, target.offset, 903);
  std::string alias;
  if (code != kFcInsert && p_.IsIdentifier()) alias = p_.Identifier(933);
  const size_t targetEnd = p_.Position();
  p_.Seek(0);
  ResolvedObject view = ResolveObject(target.owner, target.name, target.link, target.offset, false);
  if (view.objectType != "VIEW") return false;

  static thread_local int depth = 0;
  if (depth >= kMaxViewDepth) throw EngineError(1731, {}, int(target.offset));
  struct Nest {
    Nest() { ++depth; }
    ~Nest() { --depth; }
  } nest;
  const int at = int(target.offset);
  std::optional<ViewSource> source = ctx_.viewSource ? ctx_.viewSource(view) : std::nullopt;
  if (!source || !source->resolve) throw EngineError(1732, {}, at);
  if (source->option == 'O') throw EngineError(code == kFcDelete ? 1752 : 1733, {}, at);

  // The view's query: one table, nothing that merges or numbers rows.
  std::vector<ResolvedObject> objects;
  std::string query = source->query;
  std::vector<Token> vt = Tokenize(query);
  Parser vp(query, vt);
  ast::QueryPtr q = vp.Query();
  if (!q->block || q->forUpdate) throw EngineError(1732, {}, at);
  if (q->block->from.size() > 1) throw EngineError(code == kFcDelete ? 1752 : 1779, {}, at);
  {
    ast::QueryBlock& b = *q->block;
    if (b.distinct || !b.groupBy.empty() || b.having || b.connectBy || b.startWith ||
        b.from.empty() || b.from[0]->subquery || !b.from[0]->link.empty() ||
        (b.where && HasRownum(*b.where)))
      throw EngineError(1732, {}, at);
    for (const auto& item : b.items)
      if (ContainsAggregate(*item.expr) || HasRownum(*item.expr)) throw EngineError(1732, {}, at);
    // The other tables its text names (in its condition's subqueries) are written out as
    // the owner resolves them, so that they mean the same wherever the text goes.
    std::vector<ast::TableRef*> tables;
    CollectTables(*q, tables);
    std::sort(tables.begin(), tables.end(),
              [](const ast::TableRef* a, const ast::TableRef* b) { return a->offset < b->offset; });
    std::string qualified;
    size_t last = 0;
    for (ast::TableRef* t : tables) {
      if (t == b.from[0].get() || !t->link.empty()) continue;
      std::optional<ResolvedObject> r = source->resolve(ObjectRef{t->owner, t->name, "", -1});
      if (!r) throw EngineError(942, {}, at);
      objects.push_back(*r);
      size_t k = TokenAt(vt, t->offset);
      size_t end = k + (t->owner.empty() ? 1 : 3);
      qualified.append(query, last, vt[k].offset - last);
      qualified.append(QuoteIdent(r->owner)).append(".").append(QuoteIdent(r->name));
      if (t->alias.empty()) qualified.append(" ").append(QuoteIdent(t->name));
      last = vt[end - 1].offset + vt[end - 1].length;
    }
    if (last > 0) {
      query = qualified + query.substr(last);
      vt = Tokenize(query);
      Parser again(query, vt);
      q = again.Query();
    }
  }
  ast::QueryBlock& b = *q->block;
  const ast::TableRef& from = *b.from[0];
  std::optional<ResolvedObject> table = source->resolve(ObjectRef{from.owner, from.name, "", -1});
  if (!table) throw EngineError(942, {}, at);
  objects.push_back(*table);
  ViewShape shape;
  shape.table = *table;
  shape.tableText = QuoteIdent(table->owner) + "." + QuoteIdent(table->name);
  shape.qualifier = QuoteIdent(from.alias.empty() ? from.name : from.alias);
  if (b.where) shape.where = Span(query, vt, b.where->firstToken, b.where->lastToken);
  std::optional<std::vector<ColumnInfo>> tableColumns =
      ctx_.columns ? ctx_.columns(*table) : std::nullopt;
  for (const auto& item : b.items) {
    const Expr& e = *item.expr;
    if (e.kind == ExprKind::Star) {
      if (!tableColumns) throw EngineError(1732, {}, at);
      for (const ColumnInfo& c : *tableColumns) shape.columns.push_back({"", c.name, ""});
    } else if (e.kind == ExprKind::Name && !IsPseudoColumn(e)) {
      shape.columns.push_back({"", e.parts.back(), ""});
    } else {
      shape.columns.push_back({"", "", Span(query, vt, e.firstToken, e.lastToken)});
    }
  }
  if (shape.columns.size() != source->columns.size()) throw EngineError(1732, {}, at);
  for (size_t c = 0; c < shape.columns.size(); ++c) shape.columns[c].name = source->columns[c];

  Rewritten rw = RewriteOnTable(text_, tokens_, code, shape, view, target, alias, targetEnd);
  TranslateContext inner = ctx_;
  inner.resolve = [&](const ObjectRef& ref) -> std::optional<ResolvedObject> {
    if (rw.FromView(ref.offset)) {
      std::optional<ResolvedObject> r = source->resolve(ref);
      if (r) objects.push_back(*r);
      return r;
    }
    ObjectRef outer = ref;
    if (outer.offset >= 0) outer.offset = int(rw.map.OriginalOffset(size_t(ref.offset)));
    try {
      return ctx_.resolve(outer);
    } catch (OraError& e) {
      e.offset = -1;  // the caller's offset; this translation sets its own
      throw;
    }
  };
  Translation out;
  try {
    Translator onTable(rw.text, inner);
    out = onTable.Run();
  } catch (OraError& e) {
    if (e.offset >= 0) e.offset = int(rw.map.OriginalOffset(size_t(e.offset)));
    throw;
  }
  out.offsets.Through(rw.map);
  out.info = result_.info;
  out.functionCode = code;
  out.dmlViews.insert(out.dmlViews.begin(), view);
  if (out.dmlText.empty()) out.dmlText = rw.text;
  out.viewObjects.insert(out.viewObjects.end(), objects.begin(), objects.end());
  if (source->option == 'V' && code != kFcDelete) {
    // The rows the view shows are those a DELETE through it by ROWID would reach: that
    // statement, on the table, asked as a query.
    TranslateContext check = ctx_;
    check.resolve = [&](const ObjectRef&) -> std::optional<ResolvedObject> { return view; };
    const std::string probe = "DELETE FROM " + QuoteIdent(view.owner) + "." +
                              QuoteIdent(view.name) + " WHERE ROWID = :TESS$ROWID";
    Translation viaView = Translator(probe, check).Run();
    const std::string& onTable = viaView.dmlText;
    out.viewChecks.push_back("SELECT 1" + onTable.substr(onTable.find(" FROM ")));
    out.viewObjects.insert(out.viewObjects.end(), viaView.viewObjects.begin(),
                           viaView.viewObjects.end());
  }
  result_ = std::move(out);
  return true;
}

}  // namespace tess::oci7
