// The access layer's read path against SQLite's own, on the same rows in the same run:
//   ours: 1,000,000 rows of three columns through TyQuery (Open, Next to Eof, every
//         field read with AsString), over the client library loaded by name;
//   peer: the same table of the same database file stepped through SQLite's C API, every
//         column read as text.
// Each side runs three times in turn and its best run counts; times are processor time.
// In the windows build (run under tools/wine-run) it also measures the SQL editor's road:
// a query of 100,000 rows into the result grid against one of 100 rows, the time until
// the first screen is in the grid (wall clock, best of five); the grid fetches the rest
// as it scrolls, so the ratio stays near 1.
// Prints "figure <name> <value> <unit>" lines; the ratio is ours / peer ("x").
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "oci7/oci7.h"
#include "oci7/test_control.h"
#include "oracle/oci_api.h"
#include "oracle/query.h"
#include "oracle/session.h"
#include "platform/dynlib.h"
#ifdef _WIN32
#include "components/editor/editor.h"
#include "services/services.h"
#include "shell/main_window.h"
#include "shell/sql_editor.h"
#include "shell/win_services.h"
#endif

namespace {

constexpr int kRows = 1000000;
constexpr int kSeedRows = kRows / 64;  // doubled six times
constexpr int kRounds = 3;

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "bench_access: %s\n", what.c_str());
  std::exit(1);
}

// Processor time of this thread: both sides run here, and on a shared machine the wall
// clock mostly measures the neighbours.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void Exec(tess::TyDatabase& db, const std::string& sql) {
  tess::TyQuery q;
  q.SetDatabase(&db);
  q.SQL().Add(sql);
  if (!q.InternalExecSQL(false)) Die(sql + ": " + q.ErrorText());
}

// A database of its own under the temporary folder, made through the library's control.
std::filesystem::path MakeDatabase(const char* name) {
  auto lib = tess::platform::OpenLibrary("ora73.dll");
  if (!lib) Die("cannot load ora73: " + tess::platform::LastLibraryError());
  auto control =
      reinterpret_cast<decltype(&::tess_oci7_control)>(tess::platform::LibrarySymbol(lib, "tess_oci7_control"));
  if (!control) Die("the library has no test control");
  auto dir = std::filesystem::temp_directory_path() /
             ("tess-bench-access-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  if (control(nullptr, "data_dir", 0, dir.string().c_str()) ||
      control(nullptr, "create_database", 0, name))
    Die("cannot create the database");
  return dir;
}

// Ours: Open, Next to Eof, every field read with AsString.  Answers rows per second.
double FetchThroughQuery(tess::TyDatabase& db, uint64_t& bytes) {
  tess::TyQuery q;
  q.SetDatabase(&db);
  q.SQL().Add("SELECT id, name, amount FROM big");
  bytes = 0;
  int rows = 0;
  const double start = CpuSeconds();
  if (!q.InternalOpen(false)) Die("open: " + q.ErrorText());
  tess::TyField* fields[3] = {q.Fields(0), q.Fields(1), q.Fields(2)};
  while (!q.Eof()) {
    for (tess::TyField* f : fields) bytes += f->AsString().size();
    ++rows;
    q.Next();
  }
  const double rate = rows / (CpuSeconds() - start);
  if (rows != kRows) Die("fetched " + std::to_string(rows) + " rows");
  return rate;
}

// The peer: SQLite steps the same table of the same file, every column read as text.
double FetchThroughSqlite(const std::string& file, uint64_t& bytes) {
  sqlite3* peer = nullptr;
  if (sqlite3_open_v2(file.c_str(), &peer, SQLITE_OPEN_READONLY, nullptr))
    Die("cannot open the database file " + file);
  sqlite3_stmt* sel = nullptr;
  // The library keeps a table under its owner-qualified name.
  if (sqlite3_prepare_v2(peer, "SELECT ID, NAME, AMOUNT FROM \"DEMO.BIG\"", -1, &sel, nullptr))
    Die(std::string("peer prepare: ") + sqlite3_errmsg(peer));
  bytes = 0;
  int rows = 0;
  const double start = CpuSeconds();
  while (sqlite3_step(sel) == SQLITE_ROW) {
    for (int c = 0; c < 3; ++c) {
      sqlite3_column_text(sel, c);
      bytes += static_cast<uint64_t>(sqlite3_column_bytes(sel, c));
    }
    ++rows;
  }
  const double rate = rows / (CpuSeconds() - start);
  sqlite3_finalize(sel);
  sqlite3_close(peer);
  if (rows != kRows) Die("the peer fetched " + std::to_string(rows) + " rows");
  return rate;
}

#ifdef _WIN32
// Seconds from the editor's Execute until the first screen of Sql is in its result grid.
double FirstScreenSeconds(tess::TfrmEdit& Edit, const std::string& Sql, int ExpectedRows) {
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    Edit.edtSQL->Model().SetText(Sql.c_str());
    auto start = std::chrono::steady_clock::now();
    Edit.ExecuteSQL();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!Edit.ErrorText().empty()) Die(Sql + ": " + Edit.ErrorText());
    if (Edit.FetchedRows() < 10 || Edit.FetchedRows() >= ExpectedRows)
      Die(Sql + ": " + std::to_string(Edit.FetchedRows()) + " rows in the first screen");
    best = std::min(best, took.count());
  }
  return best;
}

void MeasureResultGrid(tess::TyDatabase& db) {
  Exec(db, "CREATE TABLE GRIDROWS (ID NUMBER(10), NAME VARCHAR2(30), AMOUNT NUMBER(10,2))");
  Exec(db, "BEGIN FOR i IN 1..3125 LOOP INSERT INTO gridrows VALUES (i, 'name-' || i, "
           "MOD(i, 1000) / 100); END LOOP; END;");
  for (int n = 3125; n < 100000; n *= 2)
    Exec(db, "INSERT INTO gridrows SELECT id + " + std::to_string(n) +
                 ", name || 'x', amount + 1 FROM gridrows");
  Exec(db, "CREATE TABLE GRIDFEW AS SELECT * FROM gridrows WHERE id <= 100");
  Exec(db, "COMMIT");
  // The program's own windows: the services, the main window and its session's editor.
  tess::TWinShellServices services;
  tess::SetShellServices(&services);
  double many = 0, few = 0;
  {
    tess::TMainWindow main(nullptr);
    services.SetMainWindow(&main);
    main.SetBounds(0, 0, 1000, 700);
    main.Show();
    tess::TyDatabase* session = main.ConnectSession("DEMO", "DEMO", db.Server());
    if (session == nullptr) Die("the main window cannot connect");
    tess::TfrmEdit& edit = *main.FindFrmEdit(session);
    many = FirstScreenSeconds(edit, "SELECT id, name, amount FROM gridrows", 100000);
    few = FirstScreenSeconds(edit, "SELECT id, name, amount FROM gridfew", 100);
  }
  tess::SetShellServices(nullptr);
  std::printf("figure grid_first_screen_100000_rows_ms %.2f ms\n", many * 1000);
  std::printf("figure grid_first_screen_100_rows_ms %.2f ms\n", few * 1000);
  std::printf("figure grid_first_screen_ratio %.2f x\n", many / few);
}
#endif

}  // namespace

int main() {
  const std::filesystem::path dir = MakeDatabase("BENCH");
  tess::InitOracleSession();
  tess::TyDatabase db;
  try {
    if (!db.Connect("DEMO", "DEMO", "BENCH", "bench")) Die("connect");
  } catch (const std::exception& e) {
    Die(std::string("connect: ") + e.what());
  }

#ifdef _WIN32
  MeasureResultGrid(db);
#endif
  // id, a name of 8..20 characters, an amount with cents: seeded by a block, then doubled.
  Exec(db, "CREATE TABLE BIG (ID NUMBER(10), NAME VARCHAR2(30), AMOUNT NUMBER(10,2))");
  Exec(db, "BEGIN FOR i IN 1.." + std::to_string(kSeedRows) +
               " LOOP INSERT INTO big VALUES (i, 'name-' || i || CASE WHEN MOD(i, 3) = 0 "
               "THEN 'abcdefghi' ELSE 'abc' END, MOD(i, 100000) + MOD(i, 100) / 100); "
               "END LOOP; END;");
  for (int n = kSeedRows; n < kRows; n *= 2)
    Exec(db, "INSERT INTO big SELECT id + " + std::to_string(n) +
                 ", name || 'x', amount + 1 FROM big");
  Exec(db, "COMMIT");

  std::string file;
  for (auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().extension() == ".tdb") file = entry.path().string();
  if (file.empty()) Die("no database file in " + dir.string());

  // Each side three times, in turn, the best run counting: the machine is shared.
  double ours = 0, theirs = 0;
  uint64_t bytes = 0, peerBytes = 0;
  for (int round = 0; round < kRounds; ++round) {
    ours = std::max(ours, FetchThroughQuery(db, bytes));
    theirs = std::max(theirs, FetchThroughSqlite(file, peerBytes));
  }
  db.Disconnect();
  if (bytes != peerBytes)
    std::fprintf(stderr, "bench_access: note: text lengths differ (%llu vs %llu)\n",
                 static_cast<unsigned long long>(bytes),
                 static_cast<unsigned long long>(peerBytes));

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);

  std::printf("figure access_fetch_rows_per_s %.0f rows/s\n", ours);
  std::printf("figure sqlite_step_rows_per_s %.0f rows/s\n", theirs);
  std::printf("figure access_fetch_ratio %.2f x\n", ours / theirs);
  return 0;
}
