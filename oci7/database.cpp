// Database files: where they live, how a new one is made (catalog, accounts, DUAL, the
// demo schema), dropped and listed.  One SQLite file per database, NAME.tdb in the data
// directory, in WAL mode so that readers never wait for a writer.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <random>
#include <stdexcept>

#include "oci7/dictionary.h"
#include "oci7/engine.h"
#include "oci7/sha256.h"
#include "platform/dynlib.h"

namespace tess::oci7 {
namespace {

std::mutex g_dirMutex;
std::string g_dataOverride;
std::string g_homeOverride;

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
  return dir;
}


struct Db {
  sqlite3* db = nullptr;
  ~Db() {
    if (db) sqlite3_close_v2(db);
  }
};

void Insert(sqlite3* db, const char* sql, const std::vector<std::string>& args) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(st);
    throw MapSqliteError(db, rc, {});
  }
  for (size_t i = 0; i < args.size(); ++i)
    sqlite3_bind_text(st, static_cast<int>(i + 1), args[i].c_str(), -1, SQLITE_TRANSIENT);
  rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) throw MapSqliteError(db, rc, {});
}

void AddUser(sqlite3* db, int id, const std::string& name, const std::string& password, bool dba,
             bool canLogon) {
  std::string salt = NewSalt();
  Insert(db,
         "INSERT INTO \"TESS$USERS\"(USER_ID, USERNAME, PASSWORD_SALT, PASSWORD_HASH, "
         "ACCOUNT_STATUS, IS_DBA, CREATED) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
         {std::to_string(id), name, salt, PasswordHash(salt, password),
          canLogon ? "OPEN" : "LOCKED", dba ? "1" : "0", Now()});
}

// Runs the demo script as DEMO through the engine itself, so the demo objects are made
// exactly as a user's statements would make them.
void RunDemoScript(const std::string& name) {
  auto session = Session::Logon("DEMO", "DEMO", name);
  std::string_view script = kDemoSchemaScript;
  size_t pos = 0;
  try {
    while (pos < script.size()) {
      // Statements are separated by lines holding only "/".
      size_t end = script.find("\n/\n", pos);
      std::string_view stmt =
          script.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
      pos = end == std::string_view::npos ? script.size() : end + 3;
      size_t first = stmt.find_first_not_of(" \t\r\n");
      if (first == std::string_view::npos) continue;
      stmt.remove_prefix(first);
      if (stmt.substr(0, 2) == "--" && stmt.find('\n') == std::string_view::npos) continue;
      auto cursor = std::make_shared<Cursor>(session);
      cursor->Parse(stmt);
      cursor->Execute(1, 0);
      cursor->Release();
    }
    session->Commit();
  } catch (const OraError& e) {
    session->Close();
    throw OraError(e.code, e.message + " (in the demo script)", e.offset);
  }
  session->Close();
}

bool RemoveFiles(const std::string& file) {
  std::error_code ec;
  bool existed = std::filesystem::remove(file, ec);
  std::filesystem::remove(file + "-wal", ec);
  std::filesystem::remove(file + "-shm", ec);
  return existed;
}

}  // namespace

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

void SetDataDirectoryOverride(const std::string& dir) {
  std::lock_guard lock(g_dirMutex);
  g_dataOverride = dir.empty() ? "" : WithSeparator(dir);
}

void SetHomeDirectoryOverride(const std::string& dir) {
  std::lock_guard lock(g_dirMutex);
  g_homeOverride = dir.empty() ? "" : WithSeparator(dir);
}

std::string DataDirectory() {
  std::lock_guard lock(g_dirMutex);
  if (!g_dataOverride.empty()) return g_dataOverride;
  if (const char* env = std::getenv("TESS_DATA"); env && *env) return WithSeparator(env);
  std::string home = g_homeOverride.empty() ? platform::ExecutableDirectory() : g_homeOverride;
  return WithSeparator(home) + "data/";
}

std::optional<std::string> DatabaseFile(const std::string& name) {
  if (name.empty() || name.size() > 64) return std::nullopt;
  std::string upper;
  for (unsigned char c : name) {
    if (!(std::isalnum(c) || c == '_' || c == '$' || c == '#' || c == '-')) return std::nullopt;
    upper += static_cast<char>(std::toupper(c));
  }
  if (!std::isalnum(static_cast<unsigned char>(upper[0]))) return std::nullopt;
  return DataDirectory() + upper + ".tdb";
}

std::string PasswordHash(const std::string& salt, const std::string& password) {
  std::string upper;
  for (unsigned char c : password) upper += static_cast<char>(std::toupper(c));
  return Sha256Hex(salt + ":" + upper);
}

std::string NewSalt() {
  std::random_device rd;
  static const char hex[] = "0123456789abcdef";
  std::string salt;
  for (int i = 0; i < 32; ++i) salt += hex[rd() & 15];
  return salt;
}

void ExecSql(sqlite3* db, const char* sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, &err);
  sqlite3_free(err);
  if (rc != SQLITE_OK) throw MapSqliteError(db, rc, {});
}

void CreateDatabase(const std::string& name) {
  auto file = DatabaseFile(name);
  if (!file) throw std::runtime_error("invalid database name: " + name);
  std::error_code ec;
  std::filesystem::create_directories(DataDirectory(), ec);
  if (std::filesystem::exists(*file))
    throw std::runtime_error("database " + name + " already exists: " + *file);
  try {
    {
      Db d;
      int rc = sqlite3_open_v2(file->c_str(), &d.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                               nullptr);
      if (rc != SQLITE_OK) throw std::runtime_error("cannot create " + *file);
      ExecSql(d.db, "PRAGMA journal_mode=WAL");
      ExecSql(d.db, "BEGIN");
      ExecSql(d.db, kCatalogSchema);
      // SYS owns DUAL and cannot log on (its password is unknown); SYSTEM is the DBA.
      AddUser(d.db, 0, "SYS", NewSalt(), true, false);
      AddUser(d.db, 5, "SYSTEM", "MANAGER", true, true);
      AddUser(d.db, 21, "DEMO", "DEMO", false, true);
      std::string dual = "CREATE TABLE \"SYS.DUAL\"(\"DUMMY\" " +
                         DeclaredTypeFor(OracleType{kTypeVarchar2, 1, 0, 0}) +
                         "); INSERT INTO \"SYS.DUAL\" VALUES ('X');";
      ExecSql(d.db, dual.c_str());
      std::string now = Now();
      Insert(d.db,
             "INSERT INTO \"TESS$OBJECTS\"(OWNER, OBJECT_NAME, OBJECT_TYPE, CREATED, "
             "LAST_DDL_TIME) VALUES ('SYS', 'DUAL', 'TABLE', ?1, ?1), ('PUBLIC', 'DUAL', "
             "'SYNONYM', ?1, ?1)",
             {now});
      ExecSql(d.db,
              "INSERT INTO \"TESS$COLUMNS\" VALUES ('SYS', 'DUAL', 1, 'DUMMY', 'VARCHAR2', 1, "
              "NULL, NULL, 'Y', NULL);"
              "INSERT INTO \"TESS$SYNONYMS\" VALUES ('PUBLIC', 'DUAL', 'SYS', 'DUAL', NULL);"
              "INSERT INTO \"TESS$DATABASE\" VALUES ('FORMAT', '1'), ('NEXT_CONSTRAINT', "
              "'1000');");
      EnsureDictionary(d.db);
      ExecSql(d.db, "COMMIT");
    }
    RunDemoScript(name);
  } catch (...) {
    RemoveFiles(*file);  // a half-made database is no database
    throw;
  }
}

void DropDatabase(const std::string& name) {
  auto file = DatabaseFile(name);
  if (!file) throw std::runtime_error("invalid database name: " + name);
  if (!RemoveFiles(*file))
    throw std::runtime_error("no database " + name + " in " + DataDirectory());
}

std::vector<std::string> ListDatabases() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(DataDirectory(), ec)) {
    if (!entry.is_regular_file(ec)) continue;
    std::string file = entry.path().filename().string();
    if (file.size() > 4 && file.compare(file.size() - 4, 4, ".tdb") == 0) {
      std::string base = file.substr(0, file.size() - 4);
      if (DatabaseFile(base)) names.push_back(base);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

const char* const kCatalogSchema = R"sql(
CREATE TABLE "TESS$DATABASE"(NAME TEXT PRIMARY KEY, VALUE TEXT);
CREATE TABLE "TESS$USERS"(
  USER_ID INTEGER PRIMARY KEY, USERNAME TEXT NOT NULL UNIQUE, PASSWORD_SALT TEXT,
  PASSWORD_HASH TEXT, ACCOUNT_STATUS TEXT NOT NULL DEFAULT 'OPEN',
  IS_DBA INTEGER NOT NULL DEFAULT 0, DEFAULT_TABLESPACE TEXT NOT NULL DEFAULT 'USERS',
  TEMPORARY_TABLESPACE TEXT NOT NULL DEFAULT 'TEMP', CREATED TEXT NOT NULL);
CREATE TABLE "TESS$OBJECTS"(
  OBJECT_ID INTEGER PRIMARY KEY, OWNER TEXT NOT NULL, OBJECT_NAME TEXT NOT NULL,
  OBJECT_TYPE TEXT NOT NULL, CREATED TEXT NOT NULL, LAST_DDL_TIME TEXT NOT NULL,
  STATUS TEXT NOT NULL DEFAULT 'VALID', UNIQUE(OWNER, OBJECT_NAME, OBJECT_TYPE));
CREATE TABLE "TESS$COLUMNS"(
  OWNER TEXT, TABLE_NAME TEXT, COLUMN_ID INTEGER, COLUMN_NAME TEXT, DATA_TYPE TEXT,
  DATA_LENGTH INTEGER, DATA_PRECISION INTEGER, DATA_SCALE INTEGER, NULLABLE TEXT,
  DATA_DEFAULT TEXT, PRIMARY KEY(OWNER, TABLE_NAME, COLUMN_NAME));
CREATE TABLE "TESS$CONSTRAINTS"(
  OWNER TEXT, CONSTRAINT_NAME TEXT, CONSTRAINT_TYPE TEXT, TABLE_NAME TEXT,
  SEARCH_CONDITION TEXT, R_OWNER TEXT, R_CONSTRAINT_NAME TEXT, DELETE_RULE TEXT,
  STATUS TEXT DEFAULT 'ENABLED', PRIMARY KEY(OWNER, CONSTRAINT_NAME));
CREATE TABLE "TESS$CONS_COLUMNS"(
  OWNER TEXT, CONSTRAINT_NAME TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT, POSITION INTEGER,
  PRIMARY KEY(OWNER, CONSTRAINT_NAME, COLUMN_NAME));
CREATE TABLE "TESS$INDEXES"(
  OWNER TEXT, INDEX_NAME TEXT, TABLE_OWNER TEXT, TABLE_NAME TEXT, UNIQUENESS TEXT,
  PRIMARY KEY(OWNER, INDEX_NAME));
CREATE TABLE "TESS$IND_COLUMNS"(
  INDEX_OWNER TEXT, INDEX_NAME TEXT, TABLE_OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT,
  COLUMN_POSITION INTEGER, PRIMARY KEY(INDEX_OWNER, INDEX_NAME, COLUMN_POSITION));
CREATE TABLE "TESS$SEQUENCES"(
  OWNER TEXT, SEQUENCE_NAME TEXT, MIN_VALUE INTEGER, MAX_VALUE INTEGER,
  INCREMENT_BY INTEGER, CYCLE_FLAG TEXT, ORDER_FLAG TEXT, CACHE_SIZE INTEGER,
  LAST_NUMBER INTEGER, PRIMARY KEY(OWNER, SEQUENCE_NAME));
CREATE TABLE "TESS$SYNONYMS"(
  OWNER TEXT, SYNONYM_NAME TEXT, TABLE_OWNER TEXT, TABLE_NAME TEXT, DB_LINK TEXT,
  PRIMARY KEY(OWNER, SYNONYM_NAME));
CREATE TABLE "TESS$VIEWS"(OWNER TEXT, VIEW_NAME TEXT, TEXT TEXT, PRIMARY KEY(OWNER, VIEW_NAME));
CREATE TABLE "TESS$COMMENTS"(
  OWNER TEXT, TABLE_NAME TEXT, COLUMN_NAME TEXT NOT NULL DEFAULT '', COMMENTS TEXT,
  PRIMARY KEY(OWNER, TABLE_NAME, COLUMN_NAME));
)sql";

}  // namespace tess::oci7
