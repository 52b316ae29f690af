// DML on a table with enabled triggers: the statement is carried out row by row so that
// the triggers see and change each row as on the server.
//
//   BEFORE STATEMENT triggers;
//   the rows the statement touches are read first (with their ROWID): for INSERT the
//   values (and column defaults) the statement gives, for UPDATE the old row and the SET
//   values, for DELETE the old row;
//   per row: BEFORE ROW triggers (WHEN conditions checked), which may change :NEW; the
//   change itself (constraints are checked here, after the BEFORE triggers); AFTER ROW;
//   AFTER STATEMENT triggers.
// Every derived statement is Oracle SQL translated with the statement's own binds and
// variables, so whatever the statement could say, its parts can say too.
#include <sqlite3.h>

#include <algorithm>

#include "oci7/catalog_query.h"
#include "oci7/dictionary.h"
#include "oci7/plsql/sqlite_host.h"

namespace tess::oci7 {
namespace {

struct TriggerInfo {
  std::string owner, name, timing;  // timing: BEFORE / AFTER
  bool row = false;
  std::vector<std::string> events;         // INSERT / UPDATE / DELETE
  std::vector<std::string> updateColumns;  // UPDATE OF
};

std::vector<TriggerInfo> TableTriggers(Session& s, const std::string& owner,
                                       const std::string& table) {
  std::vector<TriggerInfo> out;
  CatalogQuery q(s.db(),
                 "SELECT OWNER, TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT FROM "
                 "\"TESS$TRIGGERS\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2 AND STATUS = "
                 "'ENABLED' ORDER BY OWNER, TRIGGER_NAME",
                 {owner, table});
  while (q.Row()) {
    TriggerInfo t;
    t.owner = q.Text(0);
    t.name = q.Text(1);
    std::string type = q.Text(2);
    t.timing = type.substr(0, type.find(' '));
    t.row = type.find("EACH ROW") != std::string::npos;
    std::string events = q.Text(3);
    for (const char* e : {"INSERT", "UPDATE", "DELETE"})
      if (events.find(e) != std::string::npos) t.events.push_back(e);
    out.push_back(std::move(t));
  }
  for (TriggerInfo& t : out) {
    CatalogQuery c(s.db(),
                   "SELECT COLUMN_NAME FROM \"TESS$TRIGGER_COLS\" WHERE TRIGGER_OWNER = ?1 AND "
                   "TRIGGER_NAME = ?2 AND COLUMN_LIST = 'YES'",
                   {t.owner, t.name});
    while (c.Row()) t.updateColumns.push_back(c.Text(0));
  }
  return out;
}

// The parts of the DML statement, as text of the original.
struct Dml {
  std::string verb;                  // INSERT / UPDATE / DELETE
  std::string table;                 // the table as written ([owner.]name)
  std::string alias;                 // as written (quoted or not), or ""
  std::vector<std::string> columns;  // INSERT (cols) / UPDATE SET columns
  std::vector<std::string> values;   // INSERT VALUES (...) items / UPDATE SET expressions
  std::string query;                 // INSERT ... SELECT
  std::string where;                 // UPDATE / DELETE condition ("" = all rows)
};

[[noreturn]] void Unsupported() {
  throw EngineError(3001);
}

Dml ParseDml(std::string_view text) {
  std::vector<Token> t = Tokenize(text);
  Dml d;
  size_t i = 0;
  auto at = [&](size_t k) -> const Token* { return k < t.size() ? &t[k] : nullptr; };
  auto is = [&](size_t k, std::string_view w) { return k < t.size() && t[k].Is(w); };
  auto slice = [&](size_t from, size_t to) {  // tokens [from, to)
    if (from >= to || from >= t.size()) return std::string();
    size_t end = t[std::min(to, t.size()) - 1].offset + t[std::min(to, t.size()) - 1].length;
    return std::string(text.substr(t[from].offset, end - t[from].offset));
  };
  // Splits tokens [from, to) at top-level commas.
  auto items = [&](size_t from, size_t to) {
    std::vector<std::string> out;
    int depth = 0;
    size_t start = from;
    for (size_t k = from; k < to; ++k) {
      if (t[k].Is("(")) ++depth;
      if (t[k].Is(")")) --depth;
      if (depth == 0 && t[k].Is(",")) {
        out.push_back(slice(start, k));
        start = k + 1;
      }
    }
    out.push_back(slice(start, to));
    return out;
  };
  auto matching = [&](size_t open) {  // index of the ")" closing t[open]
    int depth = 0;
    for (size_t k = open; k < t.size(); ++k) {
      if (t[k].Is("(")) ++depth;
      if (t[k].Is(")") && --depth == 0) return k;
    }
    throw EngineError(907);
  };
  size_t end = t.size();
  if (end && t[end - 1].Is(";")) --end;
  d.verb = at(0) ? t[0].value : "";
  i = 1;
  if (d.verb == "INSERT") {
    if (!is(i, "INTO")) throw EngineError(925);
    ++i;
  } else if (d.verb == "DELETE") {
    if (is(i, "FROM")) ++i;
  }
  size_t nameStart = i;
  ++i;
  if (is(i, ".")) i += 2;
  d.table = slice(nameStart, i);
  // The alias as written, quotes and all: the rest of the text names it so.
  if (at(i) && ((at(i)->kind == TokenKind::Word && !is(i, "SET") && !is(i, "WHERE") &&
                 !is(i, "VALUES") && !is(i, "SELECT") && !is(i, "WITH")) ||
                at(i)->kind == TokenKind::QuotedIdentifier)) {
    d.alias = slice(i, i + 1);
    ++i;
  }
  if (d.verb == "INSERT") {
    if (is(i, "(") && !is(i + 1, "SELECT") && !is(i + 1, "WITH")) {
      size_t close = matching(i);
      for (const std::string& c : items(i + 1, close)) {
        std::vector<Token> ct = Tokenize(c);
        d.columns.push_back(ct.empty() ? c : ct.back().value);
      }
      i = close + 1;
    }
    if (is(i, "VALUES")) {
      if (!is(i + 1, "(")) throw EngineError(906);
      size_t close = matching(i + 1);
      d.values = items(i + 2, close);
      if (close + 1 != end) Unsupported();  // RETURNING and the like
    } else {
      d.query = slice(i, end);
    }
    return d;
  }
  if (d.verb == "UPDATE") {
    if (!is(i, "SET")) throw EngineError(971);
    ++i;
    if (is(i, "(")) Unsupported();  // SET (a, b) = (subquery)
    size_t where = i;
    int depth = 0;
    for (; where < end; ++where) {
      if (t[where].Is("(")) ++depth;
      if (t[where].Is(")")) --depth;
      if (depth == 0 && t[where].Is("WHERE")) break;
    }
    for (const std::string& a : items(i, where)) {
      std::vector<Token> at2 = Tokenize(a);
      size_t eq = 0;
      while (eq < at2.size() && !at2[eq].Is("=")) ++eq;
      if (eq == 0 || eq >= at2.size()) throw EngineError(927);
      d.columns.push_back(at2[eq - 1].value);
      d.values.push_back(a.substr(at2[eq].offset + 1));
    }
    if (where < end) d.where = slice(where + 1, end);
    return d;
  }
  if (d.verb == "DELETE") {
    if (is(i, "WHERE"))
      d.where = slice(i + 1, end);
    else if (i != end)
      Unsupported();
    return d;
  }
  Unsupported();
}

class TriggeredDml {
 public:
  // Through views, the statement is the one on the table; what the views' text named there
  // is read with their owners' rights, as the statement's translation found it.
  TriggeredDml(Session& s, const Translation& tr, std::string_view text, const std::string& schema,
               std::function<bool(const std::string&)> isVariable,
               std::function<plsql::Value(const std::string&)> bindValue)
      : s_(s),
        text_(tr.dmlText.empty() ? text : std::string_view(tr.dmlText)),
        schema_(schema.empty() ? s.user() : schema),
        isVariable_(std::move(isVariable)),
        bindValue_(std::move(bindValue)),
        owner_(tr.dmlTable.owner),
        table_(tr.dmlTable.name),
        granted_(tr.viewObjects),
        viewChecks_(tr.viewChecks) {
    granted_.push_back(tr.dmlTable);
  }

  int64_t Run() {
    Dml d = ParseDml(text_);
    const std::string qualified = PhysicalQualified();
    event_ = d.verb == "INSERT"   ? plsql::TriggerEvent::Insert
             : d.verb == "UPDATE" ? plsql::TriggerEvent::Update
                                  : plsql::TriggerEvent::Delete;
    triggers_ = TableTriggers(s_, owner_, table_);
    columns_.clear();
    {
      CatalogQuery q(s_.db(),
                     "SELECT COLUMN_NAME, DATA_DEFAULT FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND "
                     "TABLE_NAME = ?2 ORDER BY COLUMN_ID",
                     {owner_, table_});
      while (q.Row()) {
        columns_.push_back(q.Text(0));
        defaults_.push_back(q.Text(1));
      }
    }
    updated_ = event_ == plsql::TriggerEvent::Update ? d.columns : std::vector<std::string>{};
    s_.BeginWrite();
    // The statement is all or nothing, triggers included, as a single statement is.
    ExecSql(s_.db(), "SAVEPOINT \"TESS$DML\"");
    try {
      int64_t rows = RunRows(d, qualified);
      ExecSql(s_.db(), "RELEASE \"TESS$DML\"");
      return rows;
    } catch (...) {
      sqlite3_exec(s_.db(), "ROLLBACK TO \"TESS$DML\"; RELEASE \"TESS$DML\"", nullptr, nullptr,
                   nullptr);
      throw;
    }
  }

 private:
  int64_t RunRows(const Dml& d, const std::string& qualified) {
    Fire("BEFORE", false, nullptr);

    // The rows, read in full before anything changes.
    std::vector<std::pair<plsql::Value, plsql::TriggerRow>> rows;
    const std::string source = d.alias.empty() ? d.table : d.alias;
    if (event_ == plsql::TriggerEvent::Insert) {
      std::string select;
      if (!d.query.empty()) {
        select = "SELECT * FROM (" + d.query + ")";
      } else {
        select = "SELECT ";
        for (size_t k = 0; k < d.values.size(); ++k) select += (k ? ", " : "") + d.values[k];
        select += " FROM DUAL";
      }
      std::vector<std::string> listed = d.columns.empty() ? columns_ : d.columns;
      for (std::vector<plsql::Value>& values : Query(select)) {
        if (values.size() != listed.size())
          throw EngineError(values.size() < listed.size() ? 947 : 913);
        plsql::TriggerRow row;
        row.columns = columns_;
        row.newValues.resize(columns_.size());
        for (size_t c = 0; c < columns_.size(); ++c) {
          auto it = std::find(listed.begin(), listed.end(), columns_[c]);
          if (it != listed.end()) {
            row.newValues[c] = values[static_cast<size_t>(it - listed.begin())];
          } else if (!defaults_[c].empty()) {
            row.newValues[c] = Query("SELECT " + defaults_[c] + " FROM DUAL").at(0).at(0);
          }
        }
        rows.emplace_back(plsql::Value(), std::move(row));
      }
    } else {
      std::string select = "SELECT " + source + ".ROWID, " + source + ".*";
      for (const std::string& v : d.values) select += ", (" + v + ")";
      select += " FROM " + d.table + (d.alias.empty() ? "" : " " + d.alias);
      if (!d.where.empty()) select += " WHERE " + d.where;
      for (std::vector<plsql::Value>& values : Query(select)) {
        plsql::TriggerRow row;
        row.columns = columns_;
        row.oldValues.assign(values.begin() + 1,
                             values.begin() + 1 + static_cast<long>(columns_.size()));
        if (event_ == plsql::TriggerEvent::Update) {
          row.newValues = row.oldValues;
          for (size_t k = 0; k < d.columns.size(); ++k) {
            auto it = std::find(columns_.begin(), columns_.end(), d.columns[k]);
            if (it == columns_.end()) throw EngineError(904, d.columns[k]);
            row.newValues[static_cast<size_t>(it - columns_.begin())] =
                values[1 + columns_.size() + k];
          }
          row.updatedColumns = d.columns;
        }
        rows.emplace_back(values[0], std::move(row));
      }
    }

    for (auto& [rowid, row] : rows) {
      s_.CheckCancel();
      Fire("BEFORE", true, &row);
      Write(qualified, rowid, row);
      CheckViewOptions(rowid);
      Fire("AFTER", true, &row);
    }
    Fire("AFTER", false, nullptr);
    return static_cast<int64_t>(rows.size());
  }

  // A row written through a view WITH CHECK OPTION must be one the view shows.
  void CheckViewOptions(const plsql::Value& rowid) {
    if (viewChecks_.empty() || event_ == plsql::TriggerEvent::Delete) return;
    plsql::Value written = rowid;
    if (event_ == plsql::TriggerEvent::Insert) {
      CatalogQuery q(s_.db(), "SELECT ORA$ROWID(last_insert_rowid())");
      q.Row();
      written = plsql::Value::Str(q.Text(0));
    }
    for (const std::string& check : viewChecks_)
      if (Query(check, {{"TESS$ROWID", written}}).empty()) throw EngineError(1402);
  }

  // The table as Oracle SQL names it, whatever its names hold.
  std::string PhysicalQualified() const { return Quoted(owner_) + "." + Quoted(table_); }
  static std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

  // Runs a derived query with the statement's binds and variables; all its rows.
  std::vector<std::vector<plsql::Value>> Query(
      const std::string& sql, const std::map<std::string, plsql::Value>& own = {}) {
    TranslateContext ctx = s_.MakeTranslateContext(schema_);
    ctx.isVariable = isVariable_;
    auto resolve = ctx.resolve;
    ctx.resolve = [&](const ObjectRef& ref) -> std::optional<ResolvedObject> {
      std::optional<ResolvedObject> r = resolve(ref);
      if (r || ref.owner.empty() || !ref.link.empty()) return r;
      for (const ResolvedObject& o : granted_)
        if (o.owner == ref.owner && o.name == ref.name) return o;
      return r;
    };
    Session* s = &s_;
    auto st =
        plsql::PrepareOnSqlite(s_.db(), sql, ctx, [s](sqlite3* db, int rc, const Translation* tr,
                                                    sqlite3_stmt* failed) {
          return MapSqliteError(db, rc, {tr ? tr->functionCode : 0, tr, s, failed});
        });
    std::vector<plsql::Value> values;
    for (const std::string& b : st->Binds()) {
      auto it = own.find(b);
      values.push_back(it != own.end() ? it->second : bindValue_(b));
    }
    st->Execute(values);
    std::vector<std::vector<plsql::Value>> rows;
    std::vector<plsql::Value> row;
    while (st->Fetch(row)) rows.push_back(row);
    changes_ = st->RowsAffected();
    return rows;
  }

  void Write(const std::string& target, const plsql::Value& rowid, const plsql::TriggerRow& row) {
    std::map<std::string, plsql::Value> own;
    std::string sql;
    if (event_ == plsql::TriggerEvent::Insert) {
      sql = "INSERT INTO " + target + " (";
      std::string values;
      for (size_t c = 0; c < columns_.size(); ++c) {
        sql += (c ? ", " : "") + Quoted(columns_[c]);
        values += (c ? ", :TESS$" : ":TESS$") + std::to_string(c);
        own["TESS$" + std::to_string(c)] = row.newValues[c];
      }
      sql += ") VALUES (" + values + ")";
    } else if (event_ == plsql::TriggerEvent::Update) {
      sql = "UPDATE " + target + " SET ";
      bool any = false;
      for (size_t c = 0; c < columns_.size(); ++c) {
        bool listed = std::find(updated_.begin(), updated_.end(), columns_[c]) != updated_.end();
        const plsql::Value& a = row.newValues[c];
        const plsql::Value& b = row.oldValues[c];
        bool changed = a.kind != b.kind || a.text != b.text || a.number != b.number;
        if (!listed && !changed) continue;
        sql += (any ? ", " : "") + Quoted(columns_[c]) + " = :TESS$" + std::to_string(c);
        own["TESS$" + std::to_string(c)] = a;
        any = true;
      }
      if (!any) return;
      sql += " WHERE ROWID = :TESS$ROWID";
      own["TESS$ROWID"] = rowid;
    } else {
      sql = "DELETE FROM " + target + " WHERE ROWID = :TESS$ROWID";
      own["TESS$ROWID"] = rowid;
    }
    Query(sql, own);
  }

  void Fire(const std::string& timing, bool row, plsql::TriggerRow* data) {
    std::string event = event_ == plsql::TriggerEvent::Insert   ? "INSERT"
                        : event_ == plsql::TriggerEvent::Update ? "UPDATE"
                                                                : "DELETE";
    for (const TriggerInfo& t : triggers_) {
      if (t.timing != timing || t.row != row) continue;
      if (std::find(t.events.begin(), t.events.end(), event) == t.events.end()) continue;
      if (event == "UPDATE" && !t.updateColumns.empty()) {
        bool hit = false;
        for (const std::string& c : t.updateColumns)
          hit = hit || std::find(updated_.begin(), updated_.end(), c) != updated_.end();
        if (!hit) continue;
      }
      std::shared_ptr<const plsql::StoredUnit> unit;
      try {
        unit = LoadStoredUnit(s_, t.owner, t.name, plsql::UnitKind::Trigger);
      } catch (const OraError&) {
        throw EngineError(4098, t.owner + "." + t.name);
      }
      if (!unit) continue;
      if (++depth_ > 32) throw EngineError(36, "32");
      struct Leave {
        int& d;
        ~Leave() { --d; }
      } leave{depth_};
      std::unique_ptr<plsql::Host> host = MakeEngineHost(s_, nullptr);
      plsql::Runtime& runtime = RuntimeOf(s_);
      if (data && !runtime.TriggerCondition(*host, *unit, event_, *data)) continue;
      runtime.FireTrigger(*host, *unit, event_, data);
    }
  }

  Session& s_;
  std::string text_;
  std::string schema_;
  std::function<bool(const std::string&)> isVariable_;
  std::function<plsql::Value(const std::string&)> bindValue_;
  std::string owner_, table_;
  std::vector<ResolvedObject> granted_;  // the table, and what views named, by their owners
  std::vector<std::string> viewChecks_;
  plsql::TriggerEvent event_ = plsql::TriggerEvent::Insert;
  std::vector<TriggerInfo> triggers_;
  std::vector<std::string> columns_, defaults_, updated_;
  int64_t changes_ = 0;
  static thread_local int depth_;
};

thread_local int TriggeredDml::depth_ = 0;

}  // namespace

bool RunsRowByRow(Session& s, const Translation& tr) {
  return !tr.viewChecks.empty() ||
         (!tr.dmlTable.name.empty() && HasTriggers(s, tr.dmlTable.owner, tr.dmlTable.name));
}

bool HasTriggers(Session& s, const std::string& owner, const std::string& table) {
  return CatalogHas(s.db(),
                    "SELECT 1 FROM \"TESS$TRIGGERS\" WHERE TABLE_OWNER = ?1 AND TABLE_NAME = ?2 "
                    "AND STATUS = 'ENABLED'",
                    {owner, table});
}

int64_t RunTriggeredDml(Session& s, const Translation& tr, std::string_view text,
                        const std::string& schema,
                        const std::function<bool(const std::string&)>& isVariable,
                        const std::function<plsql::Value(const std::string&)>& bindValue) {
  return TriggeredDml(s, tr, text, schema, isVariable, bindValue).Run();
}

}  // namespace tess::oci7
