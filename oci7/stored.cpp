// Stored programs: CREATE [OR REPLACE] PROCEDURE / FUNCTION / PACKAGE [BODY] / TRIGGER,
// ALTER ... COMPILE, DROP, and the catalog rows they keep: the source line by line, the
// compile errors with line and position, the argument rows of headers, the trigger rows,
// and the dependencies that turn programs INVALID when what they use changes.
//
// A program that does not compile is stored all the same, INVALID, with its errors; the
// statement succeeds, as on the server.  Trigger errors count lines from the trigger's
// PL/SQL block, as the server counts them.
#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <set>

#include "oci7/catalog.h"
#include "oci7/catalog_query.h"
#include "oci7/compile_checks.h"
#include "oci7/dictionary.h"
#include "oci7/plsql/runtime.h"

namespace tess::oci7 {
namespace {

using plsql::UnitKind;

const char* const kProgramTypes = "|PROCEDURE|FUNCTION|PACKAGE|PACKAGE BODY|TRIGGER|";

// The source as stored: lines of the text from the kind word on; a final line feed adds
// no line.  Each line keeps its line feed, as the server's TEXT column does.
std::vector<std::string> SourceLines(std::string_view source) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < source.size()) {
    size_t nl = source.find('\n', start);
    if (nl == std::string_view::npos) {
      lines.emplace_back(source.substr(start));
      break;
    }
    lines.emplace_back(source.substr(start, nl - start + 1));
    start = nl + 1;
  }
  return lines;
}

std::string LoadSource(sqlite3* db, const std::string& owner, const std::string& name,
                       const std::string& type) {
  CatalogQuery q(db,
                 "SELECT TEXT FROM \"TESS$SOURCE\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3 "
                 "ORDER BY LINE",
                 {owner, name, type});
  std::string text;
  while (q.Row()) text += q.Text(0);
  return text;
}

bool IsUserName(sqlite3* db, const std::string& name) {
  return CatalogHas(db, "SELECT 1 FROM \"TESS$USERS\" WHERE USERNAME = ?1", {name});
}

// What a name in `owner`'s program stands for: the owner's object, or a public synonym's.
std::optional<std::pair<std::string, std::string>> FindObject(sqlite3* db, const std::string& owner,
                                                              const std::string& name) {
  CatalogQuery q(db,
                 "SELECT OWNER, OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OBJECT_NAME = ?2 AND "
                 "OWNER IN (?1, 'PUBLIC') AND OBJECT_TYPE IN ('TABLE', 'VIEW', 'SEQUENCE', "
                 "'SYNONYM', 'PROCEDURE', 'FUNCTION', 'PACKAGE') ORDER BY OWNER = 'PUBLIC' LIMIT 1",
                 {owner, name});
  if (!q.Row()) return std::nullopt;
  return std::make_pair(q.Text(0), q.Text(1));
}

// The names a package specification declares.
std::optional<std::vector<std::string>> SpecNames(sqlite3* db, const std::string& owner,
                                                  const std::string& package) {
  std::string spec = LoadSource(db, owner, package, "PACKAGE");
  if (spec.empty()) return std::nullopt;
  plsql::ParseResult r = plsql::ParseUnit(spec);
  if (!r.unit) return std::nullopt;
  std::vector<std::string> names;
  for (const plsql::Decl& d : r.unit->decls)
    if (!d.name.empty()) names.push_back(d.name);
  return names;
}

// %TYPE, %ROWTYPE and package types in headers, from the catalog.
plsql::TypeResolver MakeResolver(sqlite3* db, const std::string& owner) {
  return [db, owner](const plsql::TypeSpec& t) -> std::optional<plsql::ResolvedType> {
    auto columnType = [](const std::string& dataType, int64_t length) {
      int code = dataType == "VARCHAR2"   ? 1
                 : dataType == "NUMBER"   ? 2
                 : dataType == "LONG"     ? 8
                 : dataType == "ROWID"    ? 11
                 : dataType == "DATE"     ? 12
                 : dataType == "RAW"      ? 23
                 : dataType == "LONG RAW" ? 24
                 : dataType == "CHAR"     ? 96
                                          : 0;
      return std::make_pair(code, code == 2 || code == 12 ? 0 : static_cast<int>(length));
    };
    auto table = [&](const std::vector<std::string>& parts, size_t count, std::string& o,
                     std::string& n) {
      if (count == 2) {
        o = parts[0];
        n = parts[1];
      } else {
        o = owner;
        n = parts[0];
        if (auto f = FindObject(db, owner, n); f && f->second == "SYNONYM") {
          CatalogQuery q(db,
                         "SELECT TABLE_OWNER, TABLE_NAME FROM \"TESS$SYNONYMS\" WHERE OWNER = ?1 "
                         "AND SYNONYM_NAME = ?2",
                         {f->first, n});
          if (q.Row()) {
            o = q.Text(0);
            n = q.Text(1);
          }
        }
      }
    };
    if (t.attribute == "TYPE" && (t.name.size() == 2 || t.name.size() == 3)) {
      std::string o, n;
      table(t.name, t.name.size() - 1, o, n);
      CatalogQuery q(db,
                     "SELECT DATA_TYPE, DATA_LENGTH FROM \"TESS$COLUMNS\" WHERE OWNER = ?1 AND "
                     "TABLE_NAME = ?2 AND COLUMN_NAME = ?3",
                     {o, n, t.name.back()});
      if (!q.Row()) return std::nullopt;
      auto [code, length] = columnType(q.Text(0), q.Int(1));
      return plsql::ResolvedType{code, length, {}};
    }
    if (t.attribute == "ROWTYPE" && (t.name.size() == 1 || t.name.size() == 2)) {
      std::string o, n;
      table(t.name, t.name.size(), o, n);
      CatalogQuery q(db,
                     "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH FROM \"TESS$COLUMNS\" WHERE OWNER "
                     "= ?1 AND TABLE_NAME = ?2 ORDER BY COLUMN_ID",
                     {o, n});
      plsql::ResolvedType r{250, 0, {}};
      while (q.Row()) {
        auto [code, length] = columnType(q.Text(1), q.Int(2));
        r.fields.push_back({q.Text(0), code, length});
      }
      if (r.fields.empty()) return std::nullopt;
      return r;
    }
    if (t.attribute.empty() && t.name.size() == 2) {
      // A type of another package.
      std::string spec = LoadSource(db, owner, t.name[0], "PACKAGE");
      if (spec.empty()) return std::nullopt;
      plsql::ParseResult r = plsql::ParseUnit(spec);
      if (!r.unit) return std::nullopt;
      plsql::TypeSpec local = t;
      local.name = {t.name[1]};
      plsql::ResolvedType rt = plsql::ResolveArgumentType(local, *r.unit, {});
      if (rt.type == 0) return std::nullopt;
      return rt;
    }
    return std::nullopt;
  };
}

// The object row; returns OBJECT_ID.  A replaced object keeps its id and creation time.
int64_t StoreObject(sqlite3* db, const std::string& owner, const std::string& name,
                    const std::string& type, const std::string& status) {
  const std::string now = Now();
  CatalogRun(db,
             "INSERT INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
             "LAST_DDL_TIME, STATUS) VALUES (?1, ?2, ?3, ?4, ?4, ?5) ON CONFLICT DO UPDATE SET "
             "LAST_DDL_TIME = excluded.LAST_DDL_TIME, STATUS = excluded.STATUS",
             {owner, name, type, now, status});
  // Every change takes a new stamp, which sessions holding the program compare: the time
  // alone repeats within a second, and a dropped program's id can come back.
  CatalogRun(db,
             "INSERT INTO \"TESS$PROGRAM_STAMPS\" VALUES (?1, ?2, ?3, (SELECT "
             "ifnull(max(STAMP), 0) + 1 FROM \"TESS$PROGRAM_STAMPS\")) ON CONFLICT DO UPDATE "
             "SET STAMP = excluded.STAMP",
             {owner, name, type});
  CatalogQuery q(db,
                 "SELECT OBJECT_ID FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                 "AND OBJECT_TYPE = ?3",
                 {owner, name, type});
  return q.Row() ? q.Int(0) : 0;
}

void ForgetProgram(sqlite3* db, const std::string& owner, const std::string& name,
                   const std::string& type) {
  CatalogQuery id(db,
                  "SELECT OBJECT_ID FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                  "AND OBJECT_TYPE = ?3",
                  {owner, name, type});
  if (id.Row()) CatalogRun(db, "DELETE FROM \"TESS$ARGUMENTS\" WHERE \"OBJ#\" = ?1", {id.Int(0)});
  for (const char* sql :
       {"DELETE FROM \"TESS$SOURCE\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
        "DELETE FROM \"TESS$ERRORS\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
        "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1 AND NAME = ?2 AND "
        "TYPE = ?3",
        "DELETE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
        "OBJECT_TYPE = ?3"})
    CatalogRun(db, sql, {owner, name, type});
  if (type == "TRIGGER") {
    CatalogRun(db, "DELETE FROM \"TESS$TRIGGERS\" WHERE OWNER = ?1 AND TRIGGER_NAME = ?2",
               {owner, name});
    CatalogRun(db,
               "DELETE FROM \"TESS$TRIGGER_COLS\" WHERE TRIGGER_OWNER = ?1 AND TRIGGER_NAME = ?2",
               {owner, name});
  } else if (type != "PACKAGE BODY") {
    CatalogRun(db, "DELETE FROM \"TESS$TAB_PRIVS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
               {owner, name});
  }
}

// The objects a program names, from its words: what the owner's schema or a public
// synonym holds under each word (and OWNER.NAME pairs).
void StoreDependencies(sqlite3* db, const std::string& owner, const std::string& name,
                       const std::string& type, std::string_view source) {
  CatalogRun(db, "DELETE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
             {owner, name, type});
  std::vector<Token> tokens;
  try {
    tokens = Tokenize(source);
  } catch (const OraError&) {
    return;
  }
  std::set<std::tuple<std::string, std::string, std::string>> found;
  for (size_t i = 0; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.kind != TokenKind::Word) continue;
    if (i > 0 && tokens[i - 1].Is(".")) continue;  // a member, a field or a column
    if (i + 2 < tokens.size() && tokens[i + 1].Is(".") && tokens[i + 2].kind == TokenKind::Word &&
        IsUserName(db, t.value)) {
      CatalogQuery q(db,
                     "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME "
                     "= ?2 AND OBJECT_TYPE IN ('TABLE', 'VIEW', 'SEQUENCE', 'SYNONYM', "
                     "'PROCEDURE', 'FUNCTION', 'PACKAGE')",
                     {t.value, tokens[i + 2].value});
      if (q.Row()) found.insert({t.value, tokens[i + 2].value, q.Text(0)});
      continue;
    }
    if (auto f = FindObject(db, owner, t.value)) {
      if (!(f->first == owner && t.value == name)) found.insert({f->first, t.value, f->second});
    }
  }
  // What a synonym names is used too: a revoke on it reaches this object.
  for (auto [o, n, ty] : std::set(found)) {
    for (int hop = 0; ty == "SYNONYM" && hop < 16; ++hop) {
      CatalogQuery q(
          db,
          "SELECT S.TABLE_OWNER, S.TABLE_NAME, O.OBJECT_TYPE FROM \"TESS$SYNONYMS\" S "
          "JOIN \"TESS$OBJECTS\" O ON O.OWNER = S.TABLE_OWNER AND O.OBJECT_NAME = "
          "S.TABLE_NAME AND O.OBJECT_TYPE IN ('TABLE', 'VIEW', 'SEQUENCE', 'SYNONYM', "
          "'PROCEDURE', 'FUNCTION', 'PACKAGE') WHERE S.OWNER = ?1 AND S.SYNONYM_NAME = ?2 "
          "AND S.DB_LINK IS NULL",
          {o, n});
      if (!q.Row()) break;
      o = q.Text(0);
      n = q.Text(1);
      ty = q.Text(2);
      if (!(o == owner && n == name)) found.insert({o, n, ty});
    }
  }
  if (type == "PACKAGE BODY") found.insert({owner, name, "PACKAGE"});
  for (const auto& [o, n, ty] : found)
    CatalogRun(db, "INSERT INTO \"TESS$DEPENDENCIES\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, NULL)",
               {owner, name, type, o, n, ty});
}

void StoreArguments(sqlite3* db, int64_t objectId, const plsql::Unit& unit,
                    const plsql::TypeResolver& resolver) {
  CatalogRun(db, "DELETE FROM \"TESS$ARGUMENTS\" WHERE \"OBJ#\" = ?1", {objectId});
  for (const plsql::ArgumentRow& a : plsql::ArgumentRows(unit, resolver)) {
    CatalogRun(db,
               "INSERT INTO \"TESS$ARGUMENTS\" VALUES (?1, nullif(?2, ''), ?3, ?4, ?5, ?6, "
               "nullif(?7, ''), ?8, ?9, ?10, ?11)",
               {objectId, a.procedure, static_cast<int64_t>(a.overload),
                static_cast<int64_t>(a.position), static_cast<int64_t>(a.sequence),
                static_cast<int64_t>(a.level), a.argument, static_cast<int64_t>(a.type),
                a.hasDefault ? CatalogQuery::Arg(int64_t{1}) : CatalogQuery::Arg(nullptr),
                static_cast<int64_t>(a.inOut), static_cast<int64_t>(a.length)});
  }
}

// The trigger's rows: its header as ALL_TRIGGERS shows it, and its columns (UPDATE OF and
// those its body reads or writes through :NEW and :OLD).
void StoreTrigger(Session& s, const std::string& owner, const std::string& name,
                  const plsql::Unit& u, std::string_view source, const ResolvedObject& table) {
  sqlite3* db = s.db();
  const plsql::TriggerSpec& t = u.trigger;
  std::string type = t.timing + (t.forEachRow ? " EACH ROW" : " STATEMENT");
  std::string event;
  for (const std::string& e : t.events) event += (event.empty() ? "" : " OR ") + e;
  std::string referencing =
      "REFERENCING NEW AS " + t.referencingNew + " OLD AS " + t.referencingOld;
  size_t descriptionEnd = t.when ? source.rfind("WHEN", t.bodyOffset) : t.bodyOffset;
  if (descriptionEnd == std::string_view::npos || descriptionEnd < t.descriptionOffset)
    descriptionEnd = t.descriptionEnd;
  std::string description(source.substr(t.descriptionOffset, descriptionEnd - t.descriptionOffset));
  while (!description.empty() && (description.back() == ' ' || description.back() == '\t'))
    description.pop_back();
  if (description.empty() || description.back() != '\n') description += '\n';
  CatalogRun(db,
             "INSERT OR REPLACE INTO \"TESS$TRIGGERS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, "
             "nullif(?8, ''), ?9, ?10, ?11)",
             {owner, name, type, event, table.owner, table.name, referencing, t.whenText,
              std::string(t.enabled ? "ENABLED" : "DISABLED"), description,
              std::string(source.substr(t.bodyOffset))});
  CatalogRun(db, "DELETE FROM \"TESS$TRIGGER_COLS\" WHERE TRIGGER_OWNER = ?1 AND TRIGGER_NAME = ?2",
             {owner, name});
  // Column usage from the body's :NEW.col and :OLD.col, and assignments to :NEW.col.
  std::map<std::string, std::set<std::string>> usage;
  try {
    std::vector<Token> tokens = Tokenize(source.substr(t.bodyOffset));
    for (size_t i = 0; i + 2 < tokens.size(); ++i) {
      if (tokens[i].kind != TokenKind::Bind || !tokens[i + 1].Is(".") ||
          tokens[i + 2].kind != TokenKind::Word)
        continue;
      std::string which = tokens[i].value == t.referencingNew   ? "NEW"
                          : tokens[i].value == t.referencingOld ? "OLD"
                                                                : "";
      if (which.empty()) continue;
      bool written = i + 3 < tokens.size() && tokens[i + 3].Is(":=");
      usage[tokens[i + 2].value].insert(which + (written ? " OUT" : " IN"));
    }
  } catch (const OraError&) {
  }
  std::set<std::string> columns(t.updateColumns.begin(), t.updateColumns.end());
  for (const auto& [c, u2] : usage) columns.insert(c);
  for (const std::string& c : columns) {
    bool listed =
        std::find(t.updateColumns.begin(), t.updateColumns.end(), c) != t.updateColumns.end();
    std::string use;
    const std::set<std::string>& u2 = usage[c];
    bool newIn = u2.count("NEW IN"), newOut = u2.count("NEW OUT"), oldIn = u2.count("OLD IN");
    if (newIn || newOut) use = std::string("NEW") + (newIn ? " IN" : "") + (newOut ? " OUT" : "");
    if (oldIn) use += std::string(use.empty() ? "" : " ") + "OLD IN";
    if (use.empty()) use = "NONE";
    CatalogRun(db, "INSERT INTO \"TESS$TRIGGER_COLS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
               {owner, name, table.owner, table.name, c, std::string(listed ? "YES" : "NO"), use});
  }
}

// Compiles `source` (the text from the kind word on) as owner.name of `type` and keeps
// everything the catalog records of it.  Returns the status.
std::string Compile(Session& s, const std::string& owner, const std::string& name,
                    const std::string& type, std::string_view source) {
  sqlite3* db = s.db();
  // What the unit names is taken on its owner's own grants: it outlives the roles of
  // whoever compiles it.  Programs it calls are compiled where they are called.
  plsql::Environment env = BlockEnvironment(s, owner, Rights::Definer);
  env.invalidProgram = nullptr;
  env.packageSpecNames = [db, owner](const std::string& package) {
    return SpecNames(db, owner, package);
  };
  plsql::ParseResult r = plsql::CompileUnit(source, env);
  std::vector<plsql::Message> errors = r.errors;
  if (r.unit && errors.empty()) errors = plsql::CheckSubset(*r.unit, source);
  if (type == "PACKAGE BODY" && r.unit &&
      !CatalogHas(db,
                  "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND "
                  "OBJECT_NAME = ?2 AND OBJECT_TYPE = 'PACKAGE'",
                  {owner, name})) {
    plsql::Message m;
    m.offset = r.unit->nameOffset;
    plsql::LineColumn lc = plsql::LineColumnAt(source, m.offset);
    m.line = lc.line;
    m.position = lc.column;
    m.text = "PLS-00201: identifier '" + name + "' must be declared";
    errors.insert(errors.begin(), m);
  }
  std::string status = errors.empty() ? "VALID" : "INVALID";
  int64_t id = StoreObject(db, owner, name, type, status);
  CatalogRun(db, "DELETE FROM \"TESS$ERRORS\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
             {owner, name, type});
  // Trigger errors count lines from the trigger's block.
  int lineShift = 0;
  if (type == "TRIGGER" && r.unit && r.unit->trigger.bodyOffset)
    lineShift = plsql::LineColumnAt(source, r.unit->trigger.bodyOffset).line - 1;
  int64_t sequence = 0;
  for (const plsql::Message& m : errors)
    CatalogRun(
        db, "INSERT INTO \"TESS$ERRORS\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        {owner, name, type, ++sequence, static_cast<int64_t>(std::max(0, m.line - lineShift)),
         static_cast<int64_t>(m.position), m.text});
  if (r.unit && status == "VALID" &&
      (type == "PROCEDURE" || type == "FUNCTION" || type == "PACKAGE"))
    StoreArguments(db, id, *r.unit, MakeResolver(db, owner));
  else
    CatalogRun(db, "DELETE FROM \"TESS$ARGUMENTS\" WHERE \"OBJ#\" = ?1", {id});
  StoreDependencies(db, owner, name, type, source);
  return status;
}

void StoreSource(sqlite3* db, const std::string& owner, const std::string& name,
                 const std::string& type, std::string_view source) {
  CatalogRun(db, "DELETE FROM \"TESS$SOURCE\" WHERE OWNER = ?1 AND NAME = ?2 AND TYPE = ?3",
             {owner, name, type});
  int64_t line = 0;
  for (const std::string& text : SourceLines(source))
    CatalogRun(db, "INSERT INTO \"TESS$SOURCE\" VALUES (?1, ?2, ?3, ?4, ?5)",
               {owner, name, type, ++line, text});
}

bool NamespaceTaken(sqlite3* db, const std::string& owner, const std::string& name,
                    const std::string& except) {
  CatalogQuery q(db,
                 "SELECT OBJECT_TYPE FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                 "AND OBJECT_TYPE IN ('TABLE', 'VIEW', 'SEQUENCE', 'SYNONYM', 'PROCEDURE', "
                 "'FUNCTION', 'PACKAGE')",
                 {owner, name});
  while (q.Row())
    if (q.Text(0) != except) return true;
  return false;
}

// The words of ALTER / DROP: verb, kind (one or two words), [owner.]name, the rest.
struct Target {
  std::string kind, owner, name;
  std::vector<Token> tokens;
  size_t rest = 0;
  int nameOffset = -1;
};

Target ReadTarget(Session& s, std::string_view text) {
  Target t;
  t.tokens = Tokenize(text);
  size_t i = 1;
  auto word = [&](size_t k) { return k < t.tokens.size() ? t.tokens[k].value : std::string(); };
  t.kind = word(i++);
  if (t.kind == "PACKAGE" && word(i) == "BODY") {
    t.kind = "PACKAGE BODY";
    ++i;
  }
  if (i >= t.tokens.size() ||
      (t.tokens[i].kind != TokenKind::Word && t.tokens[i].kind != TokenKind::QuotedIdentifier))
    throw EngineError(i < t.tokens.size() ? 933 : 921, {},
                      i < t.tokens.size() ? static_cast<int>(t.tokens[i].offset) : -1);
  t.nameOffset = static_cast<int>(t.tokens[i].offset);
  t.name = t.tokens[i++].value;
  if (i + 1 < t.tokens.size() && t.tokens[i].Is(".")) {
    t.owner = t.name;
    t.name = t.tokens[i + 1].value;
    i += 2;
  }
  if (t.owner.empty()) t.owner = s.user();
  t.rest = i;
  return t;
}

void CheckCreatePrivilege(Session& s, const std::string& owner, const std::string& type) {
  std::string what = type == "TRIGGER" ? "TRIGGER" : "PROCEDURE";
  bool ok = owner == s.user() ? HasSystemPrivilege(s, "CREATE " + what)
                              : HasSystemPrivilege(s, "CREATE ANY " + what);
  if (!ok) throw EngineError(1031);
}

}  // namespace

void RemoveGrants(sqlite3* db, const std::string& owner, const std::string& name) {
  CatalogRun(db, "DELETE FROM \"TESS$TAB_PRIVS\" WHERE OWNER = ?1 AND TABLE_NAME = ?2",
             {owner, name});
}

void DropTableDependents(sqlite3* db, const std::string& owner, const std::string& table) {
  std::vector<std::pair<std::string, std::string>> triggers;
  {
    CatalogQuery q(db,
                   "SELECT OWNER, TRIGGER_NAME FROM \"TESS$TRIGGERS\" WHERE TABLE_OWNER = ?1 AND "
                   "TABLE_NAME = ?2",
                   {owner, table});
    while (q.Row()) triggers.emplace_back(q.Text(0), q.Text(1));
  }
  for (const auto& [o, n] : triggers) ForgetProgram(db, o, n, "TRIGGER");
  RemoveGrants(db, owner, table);
}

void StoreViewDependencies(sqlite3* db, const std::string& owner, const std::string& name,
                           std::string_view text) {
  StoreDependencies(db, owner, name, "VIEW", text);
}

namespace {

// Marks INVALID the objects the seed (a query of OWNER, NAME, TYPE over the dependencies
// and ?1.. ) gives, and their dependents to any depth; owner.name itself stays.
void InvalidateFrom(sqlite3* db, const std::string& seed,
                    std::initializer_list<CatalogQuery::Arg> args) {
  const std::string sql =
      "WITH RECURSIVE D(OWNER, NAME, TYPE) AS (" + seed +
      "  UNION SELECT P.OWNER, P.NAME, P.TYPE FROM \"TESS$DEPENDENCIES\" P, D WHERE "
      "  P.REFERENCED_OWNER = D.OWNER AND P.REFERENCED_NAME = D.NAME AND "
      "  P.REFERENCED_TYPE = D.TYPE) "
      "UPDATE \"TESS$OBJECTS\" SET STATUS = 'INVALID' WHERE (OWNER, OBJECT_NAME, "
      "OBJECT_TYPE) IN (SELECT OWNER, NAME, TYPE FROM D) AND NOT (OWNER = ?1 AND "
      "OBJECT_NAME = ?2)";
  CatalogRun(db, sql.c_str(), args);
}

}  // namespace

void InvalidateDependents(sqlite3* db, const std::string& owner, const std::string& name) {
  InvalidateFrom(db,
                 "SELECT OWNER, NAME, TYPE FROM \"TESS$DEPENDENCIES\" WHERE REFERENCED_OWNER = ?1 "
                 "AND REFERENCED_NAME = ?2",
                 {owner, name});
}

void InvalidateBuiltOn(sqlite3* db, const std::string& user, const std::string& owner,
                       const std::string& name) {
  if (user == owner) return;  // an owner's privileges on its own objects are never revoked
  InvalidateFrom(db,
                 "SELECT OWNER, NAME, TYPE FROM \"TESS$DEPENDENCIES\" WHERE OWNER = ?3 AND "
                 "((?2 = '' AND REFERENCED_OWNER NOT IN (?3, 'PUBLIC', 'SYS')) OR "
                 "(REFERENCED_OWNER = ?1 AND REFERENCED_NAME = ?2))",
                 {owner, name, user});
}

void CreateStoredProgram(Session& s, std::string_view text) {
  std::optional<plsql::UnitHeader> header = plsql::ReadUnitHeader(text);
  if (!header) throw EngineError(900);
  sqlite3* db = s.db();
  const std::string owner = header->owner.empty() ? s.user() : header->owner;
  const std::string& name = header->name;
  const std::string type = plsql::UnitKindName(header->kind);
  if (header->kind == UnitKind::Type || header->kind == UnitKind::TypeBody)
    throw EngineError(901, {}, static_cast<int>(header->offset));
  if (!IsUserName(db, owner)) throw EngineError(1435);
  CheckCreatePrivilege(s, owner, type);
  std::string_view source = text.substr(header->offset);
  // Trailing blanks after the final ";" (and a SQL*Plus "/") are no part of the program.
  while (!source.empty() &&
         (source.back() == ' ' || source.back() == '\t' || source.back() == '\r'))
    source.remove_suffix(1);

  bool exists = CatalogHas(db,
                           "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 "
                           "AND OBJECT_TYPE = ?3",
                           {owner, name, type});
  if (type == "TRIGGER") {
    if (exists && !header->orReplace) throw EngineError(4081, name);
  } else {
    if ((exists && !header->orReplace) ||
        (type != "PACKAGE BODY" && NamespaceTaken(db, owner, name, type)))
      throw EngineError(955);
  }

  // A trigger's table must exist before anything is stored.
  std::optional<ResolvedObject> table;
  std::shared_ptr<plsql::Unit> parsed;
  if (header->kind == UnitKind::Trigger) {
    plsql::ParseResult r = plsql::ParseUnit(source);
    if (r.unit && !r.unit->trigger.tableName.empty()) {
      ObjectRef ref{r.unit->trigger.tableOwner, r.unit->trigger.tableName, "",
                    static_cast<int>(header->offset)};
      table = s.Resolve(ref);
      if (!table || (table->objectType != "TABLE" && table->objectType != "VIEW"))
        throw EngineError(942);
      parsed = std::shared_ptr<plsql::Unit>(std::move(r.unit));
    } else if (r.unit && r.unit->trigger.baseObjectType.empty()) {
      throw EngineError(4079);
    }
  }

  s.RunDdl([&] {
    StoreSource(db, owner, name, type, source);
    std::string status = Compile(s, owner, name, type, source);
    if (parsed && table) StoreTrigger(s, owner, name, *parsed, source, *table);
    if (type != "PACKAGE BODY" && type != "TRIGGER") InvalidateDependents(db, owner, name);
    if (type == "PACKAGE")
      CatalogRun(db,
                 "UPDATE \"TESS$OBJECTS\" SET STATUS = 'INVALID' WHERE OWNER = ?1 AND "
                 "OBJECT_NAME = ?2 AND OBJECT_TYPE = 'PACKAGE BODY'",
                 {owner, name});
    (void)status;
  });
  ResetProgramState(s, owner, name);
}

bool RecompileIfInvalid(Session& s, const std::string& owner, const std::string& name,
                        const std::string& type) {
  sqlite3* db = s.db();
  CatalogQuery q(db,
                 "SELECT STATUS FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                 "OBJECT_TYPE = ?3",
                 {owner, name, type});
  if (!q.Row()) return false;
  if (q.Text(0) == "VALID") return true;
  std::string source = type == "VIEW" ? "" : LoadSource(db, owner, name, type);
  if (source.empty() && type != "VIEW") return false;
  bool inTransaction = s.InTransaction();
  std::string status;
  auto work = [&] {
    status = type == "VIEW" ? CompileView(s, owner, name) : Compile(s, owner, name, type, source);
  };
  if (inTransaction) {
    work();  // inside the caller's transaction, as an implicit recompile
  } else {
    s.BeginWrite();
    try {
      work();
    } catch (...) {
      s.Rollback();
      throw;
    }
    s.Commit();
  }
  return status == "VALID";
}

void AlterStoredProgram(Session& s, std::string_view text) {
  Target t = ReadTarget(s, text);
  sqlite3* db = s.db();
  auto isWord = [&](size_t k, std::string_view w) {
    return k < t.tokens.size() && t.tokens[k].Is(w);
  };
  size_t i = t.rest;
  std::string type = t.kind;
  if (t.owner != s.user() && !HasSystemPrivilege(s, "ALTER ANY PROCEDURE")) throw EngineError(1031);
  if (type == "TRIGGER" && (isWord(i, "ENABLE") || isWord(i, "DISABLE"))) {
    if (!CatalogHas(db, "SELECT 1 FROM \"TESS$TRIGGERS\" WHERE OWNER = ?1 AND TRIGGER_NAME = ?2",
                    {t.owner, t.name}))
      throw EngineError(4080, t.name, t.nameOffset);
    std::string status = isWord(i, "ENABLE") ? "ENABLED" : "DISABLED";
    if (i + 1 != t.tokens.size())
      throw EngineError(933, {}, static_cast<int>(t.tokens[i + 1].offset));
    s.RunDdl([&] {
      CatalogRun(db,
                 "UPDATE \"TESS$TRIGGERS\" SET STATUS = ?3 WHERE OWNER = ?1 AND TRIGGER_NAME = ?2",
                 {t.owner, t.name, status});
    });
    return;
  }
  if (!isWord(i, "COMPILE"))
    throw EngineError(922, {}, i < t.tokens.size() ? static_cast<int>(t.tokens[i].offset) : -1);
  ++i;
  if (isWord(i, "DEBUG")) ++i;
  bool bodyOnly = false, specOnly = false;
  if (isWord(i, "BODY"))
    bodyOnly = true, ++i;
  else if (isWord(i, "SPECIFICATION"))
    specOnly = true, ++i;
  else if (isWord(i, "PACKAGE"))
    ++i;
  if (i != t.tokens.size()) throw EngineError(933, {}, static_cast<int>(t.tokens[i].offset));
  (void)specOnly;
  if (type == "VIEW") {
    if (!CatalogHas(db,
                    "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                    "OBJECT_TYPE = 'VIEW'",
                    {t.owner, t.name}))
      throw EngineError(942, {}, t.nameOffset);
    s.RunDdl([&] {
      CompileView(s, t.owner, t.name);
      TouchObject(db, t.owner, t.name);
    });
    return;
  }
  if (std::string(kProgramTypes).find("|" + type + "|") == std::string::npos)
    throw EngineError(900);
  std::vector<std::string> types;
  if (type == "PACKAGE") {
    if (!bodyOnly) types.push_back("PACKAGE");
    if (!specOnly &&
        CatalogHas(db,
                   "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                   "OBJECT_TYPE = 'PACKAGE BODY'",
                   {t.owner, t.name}))
      types.push_back("PACKAGE BODY");
  } else {
    types.push_back(type);
  }
  if (!CatalogHas(
          db,
          "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
          "OBJECT_TYPE = ?3",
          {t.owner, t.name, type == "PACKAGE" && bodyOnly ? std::string("PACKAGE BODY") : type}))
    throw EngineError(type == "TRIGGER" ? 4080 : 4043,
                      type == "TRIGGER" ? t.name : t.owner + "." + t.name, t.nameOffset);
  s.RunDdl([&] {
    for (const std::string& ty : types) {
      std::string source = LoadSource(db, t.owner, t.name, ty);
      Compile(s, t.owner, t.name, ty, source);
      if (ty == "TRIGGER") {
        plsql::ParseResult r = plsql::ParseUnit(source);
        if (r.unit) {
          CatalogQuery q(
              db,
              "SELECT TABLE_OWNER, TABLE_NAME FROM \"TESS$TRIGGERS\" WHERE OWNER = ?1 AND "
              "TRIGGER_NAME = ?2",
              {t.owner, t.name});
          if (q.Row())
            StoreTrigger(s, t.owner, t.name, *r.unit, source, {q.Text(0), q.Text(1), "TABLE"});
        }
      }
    }
  });
  ResetProgramState(s, t.owner, t.name);
}

void DropStoredProgram(Session& s, std::string_view text) {
  Target t = ReadTarget(s, text);
  sqlite3* db = s.db();
  if (t.rest != t.tokens.size())
    throw EngineError(933, {}, static_cast<int>(t.tokens[t.rest].offset));
  std::string type = t.kind;
  if (std::string(kProgramTypes).find("|" + type + "|") == std::string::npos)
    throw EngineError(900);
  if (!CatalogHas(db,
                  "SELECT 1 FROM \"TESS$OBJECTS\" WHERE OWNER = ?1 AND OBJECT_NAME = ?2 AND "
                  "OBJECT_TYPE = ?3",
                  {t.owner, t.name, type}))
    throw EngineError(type == "TRIGGER" ? 4080 : 4043,
                      type == "TRIGGER" ? t.name : t.owner + "." + t.name, t.nameOffset);
  if (t.owner != s.user() &&
      !HasSystemPrivilege(s, type == "TRIGGER" ? "DROP ANY TRIGGER" : "DROP ANY PROCEDURE"))
    throw EngineError(1031);
  s.RunDdl([&] {
    ForgetProgram(db, t.owner, t.name, type);
    if (type == "PACKAGE") ForgetProgram(db, t.owner, t.name, "PACKAGE BODY");
    if (type != "PACKAGE BODY" && type != "TRIGGER") InvalidateDependents(db, t.owner, t.name);
  });
  ResetProgramState(s, t.owner, t.name);
}

}  // namespace tess::oci7
