// The client library's two hot paths against SQLite's own C API in the same run:
//   fetch:  1,000,000 rows of three columns through oexfet/ofen in batches of 100, as text;
//           the peer steps a prepared statement and reads every column as text (each side
//           three times in turn, the best counting, in processor time).
//   insert: 1,000,000 rows through oexn with array binds of 1,000 elements; the peer binds
//           and steps a prepared INSERT per row in one transaction.
// And what a cursor left open costs the session's next statement: a 100,000-row query
// fetched half way, then a one-row UPDATE (against the same UPDATE with nothing open), and
// the rest of the rows fetched from where the cursor moved (against the first half's rate).
// Prints "figure <name> <value> <unit>" lines, the ratios as "x" (ours / peer).
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "oci7/test_control.h"
#include "platform/dynlib.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kFetchBatch = 100;
constexpr int kInsertBatch = 1000;
constexpr int kRounds = 3;

struct Api {
  decltype(&::olog) olog;
  decltype(&::ologof) ologof;
  decltype(&::oerhms) oerhms;
  decltype(&::ocom) ocom;
  decltype(&::oopen) oopen;
  decltype(&::oclose) oclose;
  decltype(&::oparse) oparse;
  decltype(&::obndra) obndra;
  decltype(&::odefin) odefin;
  decltype(&::oexfet) oexfet;
  decltype(&::ofen) ofen;
  decltype(&::oexn) oexn;
  decltype(&::tess_oci7_control) control;
};

[[noreturn]] void Die(const std::string& what) {
  std::fprintf(stderr, "bench_oci7: %s\n", what.c_str());
  std::exit(1);
}

text* T(const char* s) {
  return reinterpret_cast<text*>(const_cast<char*>(s));
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of this thread, where a blocking call's work runs.
double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// The rows both sides insert: id, a name of 8..20 characters, an amount with cents.
struct Rows {
  std::vector<int32_t> id;
  std::vector<char> name;  // kInsertBatch-independent: 24 bytes a row
  std::vector<ub2> nameLen;
  std::vector<char> amount;  // text "12345.67", 16 bytes a row
  std::vector<ub2> amountLen;
  Rows()
      : id(kRows),
        name(size_t(kRows) * 24),
        nameLen(kRows),
        amount(size_t(kRows) * 16),
        amountLen(kRows) {
    for (int i = 0; i < kRows; ++i) {
      size_t u = static_cast<size_t>(i);
      id[u] = i + 1;
      int n = std::snprintf(&name[u * 24], 24, "name-%d-%s", i, i % 3 ? "abc" : "abcdefghi");
      nameLen[u] = static_cast<ub2>(n);
      n = std::snprintf(&amount[u * 16], 16, "%d.%02d", i % 100000, i % 100);
      amountLen[u] = static_cast<ub2>(n);
    }
  }
};

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    Die(std::string(what) + ": " + sqlite3_errmsg(db));
}

}  // namespace

int main() {
  auto lib = tess::platform::OpenLibrary("ora73.dll");
  if (!lib) Die("cannot load ora73: " + tess::platform::LastLibraryError());
  Api o{};
  auto bind = [&](auto& slot, const char* name) {
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
        tess::platform::LibrarySymbol(lib, name));
    if (!slot) Die(std::string("missing ") + name);
  };
  bind(o.olog, "olog");
  bind(o.ologof, "ologof");
  bind(o.oerhms, "oerhms");
  bind(o.ocom, "ocom");
  bind(o.oopen, "oopen");
  bind(o.oclose, "oclose");
  bind(o.oparse, "oparse");
  bind(o.obndra, "obndra");
  bind(o.odefin, "odefin");
  bind(o.oexfet, "oexfet");
  bind(o.ofen, "ofen");
  bind(o.oexn, "oexn");
  bind(o.control, "tess_oci7_control");

  auto dir = std::filesystem::temp_directory_path() /
             ("tess-bench-oci7-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(dir);
  if (o.control(nullptr, "data_dir", 0, dir.string().c_str()) ||
      o.control(nullptr, "create_database", 0, "BENCH"))
    Die("cannot create the database");

  CdaDef lda{}, cda{};
  ub1 hda[kHdaSize] = {};
  if (o.olog(&lda, hda, T("demo/demo@bench"), -1, nullptr, -1, nullptr, -1, 0)) Die("logon");
  if (o.oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1)) Die("oopen");
  auto run = [&](const char* sql) {
    if (o.oparse(&cda, T(sql), -1, 0, 2) || o.oexn(&cda, 1, 0)) {
      char msg[512];
      o.oerhms(&lda, static_cast<sb2>(cda.rc), reinterpret_cast<text*>(msg), sizeof msg);
      Die(std::string(sql) + ": " + msg);
    }
  };
  run("CREATE TABLE BIG (ID NUMBER(10), NAME VARCHAR2(30), AMOUNT NUMBER(10,2))");

  Rows rows;

  // --- insert through the library
  auto start = std::chrono::steady_clock::now();
  if (o.oparse(&cda, T("INSERT INTO big (id, name, amount) VALUES (:id, :name, :amount)"), -1, 0,
               2))
    Die("parse insert");
  for (int base = 0; base < kRows; base += kInsertBatch) {
    size_t b = static_cast<size_t>(base);
    o.obndra(&cda, T("ID"), -1, reinterpret_cast<ub1*>(&rows.id[b]), 4, kExtInteger, -1, nullptr,
             nullptr, nullptr, 0, nullptr, nullptr, -1, -1);
    o.obndra(&cda, T("NAME"), -1, reinterpret_cast<ub1*>(&rows.name[b * 24]), 24, kExtVarchar2, -1,
             nullptr, &rows.nameLen[b], nullptr, 0, nullptr, nullptr, -1, -1);
    o.obndra(&cda, T("AMOUNT"), -1, reinterpret_cast<ub1*>(&rows.amount[b * 16]), 16, kExtVarchar2,
             -1, nullptr, &rows.amountLen[b], nullptr, 0, nullptr, nullptr, -1, -1);
    if (o.oexn(&cda, kInsertBatch, 0) || cda.rpc != static_cast<ub4>(kInsertBatch)) Die("oexn");
  }
  if (o.ocom(&lda)) Die("commit");
  double oursInsert = kRows / Seconds(start);

  // --- insert through SQLite itself, into a file of its own with the same table
  std::string peerFile = (dir / "peer.db").string();
  sqlite3* db = nullptr;
  Check(db, sqlite3_open(peerFile.c_str(), &db), "open");
  Check(db,
        sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
                     nullptr),
        "pragma");
  Check(db,
        sqlite3_exec(db, "CREATE TABLE big (id NUMERIC, name TEXT, amount NUMERIC)", nullptr,
                     nullptr, nullptr),
        "create");
  start = std::chrono::steady_clock::now();
  sqlite3_stmt* ins = nullptr;
  Check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
  Check(db, sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?1, ?2, ?3)", -1, &ins, nullptr),
        "prepare");
  for (int i = 0; i < kRows; ++i) {
    size_t u = static_cast<size_t>(i);
    sqlite3_bind_int(ins, 1, rows.id[u]);
    sqlite3_bind_text(ins, 2, &rows.name[u * 24], rows.nameLen[u], SQLITE_TRANSIENT);
    sqlite3_bind_text(ins, 3, &rows.amount[u * 16], rows.amountLen[u], SQLITE_TRANSIENT);
    Check(db, sqlite3_step(ins), "step");
    sqlite3_reset(ins);
  }
  sqlite3_finalize(ins);
  Check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
  double peerInsert = kRows / Seconds(start);

  // --- fetch through the library, and through SQLite itself, every column as text; each
  // side three times in turn, its best run counting, on this thread's processor time (the
  // machine is shared: its wall clock mostly measures the neighbours).
  std::vector<char> idBuf(40 * kFetchBatch), nameBuf(30 * kFetchBatch), amountBuf(40 * kFetchBatch);
  std::vector<ub2> idLen(kFetchBatch), nameLen(kFetchBatch), amountLen(kFetchBatch);
  std::vector<sb2> idInd(kFetchBatch), nameInd(kFetchBatch), amountInd(kFetchBatch);
  uint64_t checksum = 0;
  auto fetchThroughLibrary = [&] {
    if (o.oparse(&cda, T("SELECT id, name, amount FROM big"), -1, 0, 2)) Die("parse select");
    o.odefin(&cda, 1, reinterpret_cast<ub1*>(idBuf.data()), 40, kExtVarchar2, -1, idInd.data(),
             nullptr, -1, -1, idLen.data(), nullptr);
    o.odefin(&cda, 2, reinterpret_cast<ub1*>(nameBuf.data()), 30, kExtVarchar2, -1, nameInd.data(),
             nullptr, -1, -1, nameLen.data(), nullptr);
    o.odefin(&cda, 3, reinterpret_cast<ub1*>(amountBuf.data()), 40, kExtVarchar2, -1,
             amountInd.data(), nullptr, -1, -1, amountLen.data(), nullptr);
    const double start = CpuSeconds();
    checksum = 0;
    ub4 before = 0;
    int rc = o.oexfet(&cda, kFetchBatch, 0, 0);
    for (;;) {
      if (rc != 0 && rc != kOraNoDataFound) Die("fetch " + std::to_string(rc));
      for (ub4 r = 0; r < cda.rpc - before; ++r) checksum += idLen[r] + nameLen[r] + amountLen[r];
      before = cda.rpc;
      if (rc) break;
      rc = o.ofen(&cda, kFetchBatch);
    }
    if (cda.rpc != static_cast<ub4>(kRows)) Die("fetched " + std::to_string(cda.rpc) + " rows");
    return cda.rpc / (CpuSeconds() - start);
  };
  sqlite3_stmt* sel = nullptr;
  Check(db, sqlite3_prepare_v2(db, "SELECT id, name, amount FROM big", -1, &sel, nullptr),
        "prepare");
  uint64_t peerChecksum = 0;
  auto fetchThroughSqlite = [&] {
    sqlite3_reset(sel);
    const double start = CpuSeconds();
    peerChecksum = 0;
    int peerRows = 0;
    while (sqlite3_step(sel) == SQLITE_ROW) {
      for (int c = 0; c < 3; ++c) {
        sqlite3_column_text(sel, c);
        peerChecksum += static_cast<uint64_t>(sqlite3_column_bytes(sel, c));
      }
      ++peerRows;
    }
    if (peerRows != kRows) Die("the peer fetched " + std::to_string(peerRows) + " rows");
    return peerRows / (CpuSeconds() - start);
  };
  double oursFetch = 0, peerFetch = 0;
  for (int round = 0; round < kRounds; ++round) {
    oursFetch = std::max(oursFetch, fetchThroughLibrary());
    peerFetch = std::max(peerFetch, fetchThroughSqlite());
  }
  sqlite3_finalize(sel);
  sqlite3_close(db);
  if (checksum != peerChecksum)
    std::fprintf(stderr, "bench_oci7: note: text lengths differ (%llu vs %llu)\n",
                 static_cast<unsigned long long>(checksum),
                 static_cast<unsigned long long>(peerChecksum));

  // --- a statement beside a cursor left open half way through 100,000 rows: the cursor
  // moves off the session's connection (re-run on its snapshot up to where it was, or, in
  // the session's own transaction, the rest read into memory); then the rest is fetched
  // where it went.  The peer is the same statement with nothing open.
  CdaDef other{};
  if (o.oopen(&other, &lda, nullptr, -1, -1, nullptr, -1)) Die("oopen");
  auto statementMs = [&](const char* sql) {
    auto t = std::chrono::steady_clock::now();
    if (o.oparse(&other, T(sql), -1, 0, 2) || o.oexn(&other, 1, 0)) Die(sql);
    return Seconds(t) * 1000;
  };
  auto fetchRows = [&](int rows) {
    auto t = std::chrono::steady_clock::now();
    for (int got = 0; got < rows; got += kFetchBatch)
      if (o.ofen(&cda, kFetchBatch) != 0) Die("fetch half");
    return rows / Seconds(t);
  };
  constexpr int kOpenRows = 100000;
  const char* openQuery = "SELECT id, name, amount FROM big WHERE id <= 100000";
  statementMs("CREATE TABLE one (n NUMBER)");
  statementMs("INSERT INTO one VALUES (1)");
  double aloneMs = statementMs("UPDATE one SET n = n + 1");
  if (o.ocom(&lda)) Die("commit");
  double besideMs[2] = {0, 0}, movedRatio[2] = {0, 0};
  for (int inTransaction = 0; inTransaction < 2; ++inTransaction) {
    if (inTransaction) statementMs("UPDATE one SET n = n + 1");
    if (o.oparse(&cda, T(openQuery), -1, 0, 2) || o.oexfet(&cda, kFetchBatch, 0, 0))
      Die("open the cursor");
    double before = fetchRows(kOpenRows / 2 - kFetchBatch);
    besideMs[inTransaction] = statementMs("UPDATE one SET n = n + 1");
    double after = fetchRows(kOpenRows / 2 - kFetchBatch);
    movedRatio[inTransaction] = after / before;
    if (o.ocom(&lda)) Die("commit");
  }
  o.oclose(&other);

  o.oclose(&cda);
  o.ologof(&lda);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);

  std::printf("figure oci7_fetch_rows_per_s %.0f rows/s\n", oursFetch);
  std::printf("figure sqlite_fetch_rows_per_s %.0f rows/s\n", peerFetch);
  std::printf("figure oci7_fetch_ratio %.2f x\n", oursFetch / peerFetch);
  std::printf("figure oci7_insert_rows_per_s %.0f rows/s\n", oursInsert);
  std::printf("figure sqlite_insert_rows_per_s %.0f rows/s\n", peerInsert);
  std::printf("figure oci7_insert_ratio %.2f x\n", oursInsert / peerInsert);
  std::printf("figure oci7_statement_alone_ms %.2f ms\n", aloneMs);
  std::printf("figure oci7_statement_beside_open_cursor_ms %.2f ms\n", besideMs[0]);
  std::printf("figure oci7_statement_beside_open_cursor_in_transaction_ms %.2f ms\n",
              besideMs[1]);
  std::printf("figure oci7_moved_cursor_fetch_ratio %.2f x\n", movedRatio[0]);
  std::printf("figure oci7_moved_cursor_in_transaction_fetch_ratio %.2f x\n", movedRatio[1]);
  return 0;
}
