// A database of its own for a test: a fresh folder under the temporary directory, named by
// TESS_DATA and made through the client library's test control (an export the access
// layer never binds).  The helper keeps its own load of the library, so that the layer's
// loading and freeing never take the control's settings away.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "oracle/oci_api.h"
#include "platform/dynlib.h"

namespace oratest {

using ControlFn = int (*)(tess::oci::DataArea* lda, const char* command, int32_t value,
                          const char* text);

// The client library's test control; null when the library cannot be loaded.
inline ControlFn Control() {
  static ControlFn fn = [] {
    tess::platform::LibraryHandle lib = tess::platform::OpenLibrary("ora73.dll");
    return lib ? reinterpret_cast<ControlFn>(
                     tess::platform::LibrarySymbol(lib, "tess_oci7_control"))
               : nullptr;
  }();
  return fn;
}

inline void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

class TestDatabase {
 public:
  explicit TestDatabase(const std::string& name = "ORATEST") : name_(name) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() /
           ("tess-oracle-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    SetEnv("TESS_DATA", dir_.string());
    ControlFn control = Control();
    if (control == nullptr) {
      ADD_FAILURE() << "the client library cannot be loaded";
      return;
    }
    EXPECT_EQ(control(nullptr, "data_dir", 0, dir_.string().c_str()), 0);
    EXPECT_EQ(control(nullptr, "create_database", 0, name_.c_str()), 0);
  }
  ~TestDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  const std::string& Server() const { return name_; }

  // Sets up a connection to this database as DEMO (or another user).
  void Configure(tess::TOracleDatabase& db, const std::string& label,
                 const std::string& user = "DEMO", const std::string& password = "DEMO") const {
    db.SetDatabaseName(label);
    db.SetUser(user);
    db.SetPassword(password);
    db.SetServer(name_);
  }

 private:
  std::string name_;
  std::filesystem::path dir_;
};

// Test-control commands on a connection's session.
inline int Kill(tess::TOracleDatabase& db) {
  return Control()(db.LogonArea()->Area(), "kill", 0, nullptr);
}
inline int Delay(tess::TOracleDatabase& db, int ms) {
  return Control()(db.LogonArea()->Area(), "delay", ms, nullptr);
}
// While on, a parse in non-blocking mode answers "still executing" until repeated.
inline int AsyncParse(tess::TOracleDatabase& db, bool on) {
  return Control()(db.LogonArea()->Area(), "async_parse", on ? 1 : 0, nullptr);
}
inline int AsyncParsesAnswered(tess::TOracleDatabase& db) {
  return Control()(db.LogonArea()->Area(), "async_parses_answered", 0, nullptr);
}
inline int AllowNonBlocking(bool on) {
  return Control()(nullptr, "nonblocking", on ? 1 : 0, "");
}

// Runs F and answers the Oracle code of the EDatabaseError it raised (0 for none).
template <class F>
int OracleCode(F&& f) {
  try {
    f();
  } catch (const tess::EDatabaseError& e) {
    return e.Code();
  }
  return 0;
}

// Runs F and answers the layer code of the EDbInterface it raised (0 for none).
template <class F>
int32_t LayerCode(F&& f) {
  try {
    f();
  } catch (const tess::EDbInterface& e) {
    return e.Code();
  }
  return 0;
}

}  // namespace oratest
