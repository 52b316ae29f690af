// The whole client library through its entry points, as the access layer drives it: each
// input is a script run as DEMO on a fresh copy of a new database (made once, in a
// memory-backed folder when there is one).  Queries are described, defined as text and
// fetched; the rest are executed.  No call may crash or answer an internal error
// (ORA-00600); a call still running after a while is broken off with obreak, as the
// program's Cancel button does, so endless PL/SQL ends as ORA-01013.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>

#include "fuzz/fuzz_check.h"
#include "oci7/engine.h"
#include "oci7/oci7.h"
#include "oci7/plsql/front.h"

namespace fs = std::filesystem;

namespace {

constexpr int kInternalError = 600;
constexpr auto kCallLimit = std::chrono::seconds(2);

text* T(const char* s) {
  return reinterpret_cast<text*>(const_cast<char*>(s));
}

// The folder, the pristine database file and the copy each input runs on.
struct Files {
  fs::path dir, pristine, work;
};

const Files& Database() {
  static Files files = [] {
    Files f;
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    f.dir = base / ("tess-fuzz-client-" + std::to_string(getpid()));
    fs::create_directories(f.dir);
    tess::oci7::SetDataDirectoryOverride(f.dir.string());
    tess::oci7::CreateDatabase("PRISTINE");
    f.pristine = *tess::oci7::DatabaseFile("PRISTINE");
    f.work = *tess::oci7::DatabaseFile("FUZZ");
    std::atexit([] { std::error_code ec; fs::remove_all(Database().dir, ec); });
    return f;
  }();
  return files;
}

// Breaks the call in progress once it has run for kCallLimit.
class Watchdog {
 public:
  explicit Watchdog(LdaDef* lda) : lda_(lda), thread_([this] { Run(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  void Start() {
    std::lock_guard lock(mutex_);
    deadline_ = std::chrono::steady_clock::now() + kCallLimit;
    armed_ = true;
  }
  void Stop() {
    std::lock_guard lock(mutex_);
    armed_ = false;
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
      cv_.wait_for(lock, std::chrono::milliseconds(50));
      if (armed_ && std::chrono::steady_clock::now() > deadline_) {
        armed_ = false;
        obreak(lda_);
      }
    }
  }
  LdaDef* lda_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stop_ = false, armed_ = false;
  std::chrono::steady_clock::time_point deadline_;
  std::thread thread_;
};

void CheckCode(LdaDef* lda, int rc, const char* call, std::string_view statement) {
  if (rc != kInternalError) return;
  char message[1024] = {};
  oerhms(lda, static_cast<sb2>(rc), reinterpret_cast<text*>(message), sizeof message);
  std::fprintf(stderr, "%s answered an internal error: %s\n  statement: %.*s\n", call, message,
               int(statement.size()), statement.data());
  std::abort();
}

void Run(LdaDef* lda, CdaDef* cda, Watchdog& watchdog, std::string_view sql) {
  watchdog.Start();
  int rc = oparse(cda, T(std::string(sql).c_str()), static_cast<sb4>(sql.size()), 0, 2);
  watchdog.Stop();
  CheckCode(lda, rc, "oparse", sql);
  if (rc != 0) return;
  if (cda->ft != 4) {  // not a query
    watchdog.Start();
    rc = oexn(cda, 1, 0);
    watchdog.Stop();
    CheckCode(lda, rc, "oexn", sql);
    return;
  }
  constexpr int kColumns = 8, kRows = 4, kWidth = 64;
  static char buffers[kColumns][kRows * kWidth];
  static ub2 lengths[kColumns][kRows];
  static sb2 indicators[kColumns][kRows];
  for (int pos = 1; pos <= kColumns; ++pos) {
    sb4 dbsize = 0;
    sb2 dbtype = 0, prec = 0, scale = 0, nullok = 0;
    sb1 name[64];
    sb4 nameLen = sizeof name;
    sb4 dsize = 0;
    rc = odescr(cda, pos, &dbsize, &dbtype, name, &nameLen, &dsize, &prec, &scale, &nullok);
    CheckCode(lda, rc, "odescr", sql);
    if (rc != 0) break;
    rc = odefin(cda, pos, reinterpret_cast<ub1*>(buffers[pos - 1]), kWidth, kExtVarchar2, -1,
                indicators[pos - 1], nullptr, -1, -1, lengths[pos - 1], nullptr);
    CheckCode(lda, rc, "odefin", sql);
  }
  watchdog.Start();
  rc = oexfet(cda, kRows, 0, 0);
  for (int batch = 0; rc == 0 && batch < 3; ++batch) rc = ofen(cda, kRows);
  watchdog.Stop();
  CheckCode(lda, rc, "oexfet/ofen", sql);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Files& files = Database();
  std::error_code ec;
  fs::remove(files.work.string() + "-journal", ec);
  fs::remove(files.work.string() + "-wal", ec);
  fs::copy_file(files.pristine, files.work, fs::copy_options::overwrite_existing);

  const std::string_view script(reinterpret_cast<const char*>(data), size);
  LdaDef lda{};
  CdaDef cda{};
  ub1 hda[kHdaSize] = {};
  FUZZ_CHECK(olog(&lda, hda, T("demo/demo@fuzz"), -1, nullptr, -1, nullptr, -1, 0) == 0);
  FUZZ_CHECK(oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1) == 0);
  {
    Watchdog watchdog(&lda);
    int statements = 0;
    for (const tess::oci7::plsql::ScriptStatement& s : tess::oci7::plsql::SplitScript(script)) {
      if (s.kind == tess::oci7::plsql::ScriptStatement::Command) continue;
      if (++statements > 16) break;
      Run(&lda, &cda, watchdog, s.text);
    }
  }
  oclose(&cda);
  orol(&lda);
  ologof(&lda);
  return 0;
}
