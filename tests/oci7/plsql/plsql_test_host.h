// A host for running the interpreter without the engine: an in-memory SQLite database with
// the dialect's functions, Oracle DDL translated by the dialect, stored programs kept in a
// map, binds in a map, and server output in a list.
#pragma once

#include <sqlite3.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "oci7/plsql/front.h"
#include "oci7/plsql/runtime.h"
#include "oci7/plsql/sqlite_host.h"

namespace tess::oci7::plsql::testing {

class TestHost : public Host {
 public:
  TestHost() {
    sqlite3_open(":memory:", &db_);
    functions_.userName = "DEMO";
    functions_.fixedSysdate = "2024-03-15 10:30:00";
    RegisterOracleFunctions(db_, &functions_);
    sqlite3_exec(db_,
                 "CREATE TABLE \"SYS.DUAL\" (DUMMY TEXT); INSERT INTO \"SYS.DUAL\" VALUES ('X')",
                 nullptr, nullptr, nullptr);
  }
  // Statements still held (a cursor variable in `binds`) finish the close when they go.
  ~TestHost() override { sqlite3_close_v2(db_); }

  // Runs Oracle SQL (DDL or DML) as DEMO.
  void Sql(const std::string& text) {
    Translation tr = Translate(text, Context("DEMO", {}));
    char* error = nullptr;
    if (sqlite3_exec(db_, tr.sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      std::string message = error ? error : "?";
      sqlite3_free(error);
      throw std::runtime_error(text + ": " + message);
    }
  }

  // Stores a CREATE statement's unit; returns its compile messages (none when it is sound).
  std::vector<Message> Create(const std::string& text) {
    ParseResult r = ParseUnit(text);
    if (!r.errors.empty()) return r.errors;
    auto unit = std::make_shared<StoredUnit>();
    unit->owner = r.unit->owner.empty() ? "DEMO" : r.unit->owner;
    unit->name = r.unit->name;
    unit->kind = r.unit->kind;
    // The stored source starts at the kind word; parse it again from there so offsets
    // point into it.
    unit->text = text.substr(r.unit->offset);
    ParseResult stored = ParseUnit(unit->text);
    unit->unit = std::shared_ptr<const Unit>(std::move(stored.unit));
    units_[Key(unit->owner, unit->name, unit->kind)] = unit;
    std::vector<Message> subset = CheckSubset(*unit->unit, unit->text);
    return subset;
  }

  std::shared_ptr<const StoredUnit> Stored(const std::string& name, UnitKind kind) {
    auto it = units_.find(Key("DEMO", name, kind));
    return it == units_.end() ? nullptr : it->second;
  }

  // Runs an anonymous block; returns "" or the error's full text.
  std::string Run(Runtime& runtime, const std::string& text) {
    ParseResult r = ParseUnit(text);
    if (!r.errors.empty()) return r.errors[0].text;
    std::vector<Message> subset = CheckSubset(*r.unit, text);
    if (!subset.empty()) return subset[0].text;
    try {
      runtime.RunBlock(*this, *r.unit, text, "DEMO");
    } catch (const OraError& e) {
      return e.message;
    }
    return "";
  }

  // Everything PUT_LINE wrote since the last call, lines joined by "|".
  std::string Output() {
    std::string out;
    for (size_t i = 0; i < lines_.size(); ++i) out += (i ? "|" : "") + lines_[i];
    lines_.clear();
    return out;
  }

  std::map<std::string, Value> binds;
  std::vector<std::string> calls;  // transaction calls and sleeps, in order

  // Host
  std::unique_ptr<SqlStatement> Prepare(
      std::string_view sql, const std::string& schema,
      const std::function<bool(const std::string&)>& isVariable,
      const std::function<int(const std::string&)>& variableType) override {
    TranslateContext ctx = Context(schema, isVariable);
    ctx.variableType = variableType;
    return PrepareOnSqlite(db_, sql, ctx, MapError);
  }
  Value Evaluate(const std::string& expression, const std::vector<Value>& args) override {
    return EvaluateOnSqlite(db_, expression, args, Context("DEMO", {}), MapError);
  }
  std::optional<Value> ReadBind(const std::string& name) override {
    auto it = binds.find(name);
    if (it == binds.end()) return std::nullopt;
    return it->second;
  }
  void WriteBind(const std::string& name, const Value& value) override {
    if (!binds.count(name)) throw EngineError(1008);
    binds[name] = value;
  }
  void Commit() override { calls.push_back("commit"); }
  void Rollback(const std::string& savepoint) override { calls.push_back("rollback " + savepoint); }
  void Savepoint(const std::string& name) override { calls.push_back("savepoint " + name); }
  std::optional<ProgramRef> FindProgram(const std::string& schema, const std::string& owner,
                                        const std::string& name) override {
    std::string o = owner.empty() ? schema : owner;
    for (UnitKind k : {UnitKind::Procedure, UnitKind::Function, UnitKind::Package})
      if (units_.count(Key(o, name, k))) return ProgramRef{o, name, k};
    return std::nullopt;
  }
  std::shared_ptr<const StoredUnit> LoadUnit(const std::string& owner, const std::string& name,
                                             UnitKind kind) override {
    auto it = units_.find(Key(owner, name, kind));
    return it == units_.end() ? nullptr : it->second;
  }
  std::optional<std::vector<ColumnType>> TableColumns(const std::string& schema,
                                                      const std::string& owner,
                                                      const std::string& name) override {
    auto cols = ColumnsFromSqlite(db_, {owner.empty() ? schema : owner, name, "TABLE"});
    if (!cols || cols->empty()) return std::nullopt;
    std::vector<ColumnType> out;
    for (const ColumnInfo& c : *cols)
      out.push_back({c.name, c.type.code, c.type.size, c.type.precision, c.type.scale,
                     c.type.precision != 0});
    return out;
  }
  std::string DateFormat() override { return "DD-MON-YY"; }
  void OutputEnable(std::optional<int64_t> size) override {
    enabled_ = true;
    limit_ = size.value_or(1000000);
  }
  void OutputDisable() override { enabled_ = false; }
  void OutputPut(const std::string& text) override {
    if (!enabled_) return;
    used_ += static_cast<int64_t>(text.size());
    if (used_ > limit_)
      throw OraError(20000, "ORA-20000: ORU-10027: buffer overflow, limit of " +
                                std::to_string(limit_) + " bytes");
    partial_ += text;
  }
  void OutputNewLine() override {
    if (!enabled_) return;
    lines_.push_back(partial_);
    pending_.push_back(partial_);
    partial_.clear();
  }
  std::optional<std::string> OutputGetLine() override {
    if (pending_.empty()) return std::nullopt;
    std::string line = pending_.front();
    pending_.erase(pending_.begin());
    return line;
  }
  void Sleep(double seconds) override { calls.push_back("sleep " + std::to_string(seconds)); }
  void CheckCancel() override {}

 private:
  static std::string Key(const std::string& owner, const std::string& name, UnitKind kind) {
    return owner + "." + name + "/" + UnitKindName(kind);
  }
  static OraError MapError(sqlite3* db, int rc, const Translation*, sqlite3_stmt*) {
    std::string message = sqlite3_errmsg(db);
    if (auto e = OraErrorFromMessage(message)) return *e;
    if ((rc & 0xff) == SQLITE_CONSTRAINT) return EngineError(1, "DEMO.PK", -1);
    return OraError(900, "ORA-00900: " + message);
  }
  TranslateContext Context(const std::string& schema,
                           const std::function<bool(const std::string&)>& isVariable) {
    TranslateContext ctx;
    ctx.currentUser = schema;
    ctx.isVariable = isVariable;
    sqlite3* db = db_;
    ctx.resolve = [db, schema](const ObjectRef& ref) -> std::optional<ResolvedObject> {
      // The schema's own tables, then SYS's (DUAL).
      for (std::string owner : {ref.owner.empty() ? schema : ref.owner, std::string("SYS")}) {
        std::string physical = owner + "." + ref.name;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT type FROM sqlite_master WHERE name = ?1", -1, &st, nullptr);
        sqlite3_bind_text(st, 1, physical.c_str(), -1, SQLITE_TRANSIENT);
        bool found = sqlite3_step(st) == SQLITE_ROW;
        sqlite3_finalize(st);
        if (found) return ResolvedObject{owner, ref.name, "TABLE"};
        if (!ref.owner.empty()) break;
      }
      return std::nullopt;
    };
    ctx.columns = [db](const ResolvedObject& o) { return ColumnsFromSqlite(db, o); };
    return ctx;
  }

  sqlite3* db_ = nullptr;
  FunctionContext functions_;
  std::map<std::string, std::shared_ptr<StoredUnit>> units_;
  bool enabled_ = false;
  int64_t limit_ = 20000;
  int64_t used_ = 0;
  std::string partial_;
  std::vector<std::string> lines_;
  std::vector<std::string> pending_;
};

}  // namespace tess::oci7::plsql::testing
