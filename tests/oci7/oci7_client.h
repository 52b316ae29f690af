// The client library as the access layer sees it: loaded by name, its entry points bound by
// name, and a few helpers that make a fresh database under a temporary folder and run
// statements through the entry points.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <list>
#include <optional>
#include <string>
#include <vector>

#include "oci7/test_control.h"
#include "platform/dynlib.h"

namespace oci7test {

struct Api {
  decltype(&::olog) olog;
  decltype(&::ologof) ologof;
  decltype(&::oerhms) oerhms;
  decltype(&::ocom) ocom;
  decltype(&::orol) orol;
  decltype(&::oopen) oopen;
  decltype(&::oclose) oclose;
  decltype(&::oparse) oparse;
  decltype(&::obndra) obndra;
  decltype(&::odefin) odefin;
  decltype(&::odescr) odescr;
  decltype(&::odessp) odessp;
  decltype(&::oexfet) oexfet;
  decltype(&::ofen) ofen;
  decltype(&::oexn) oexn;
  decltype(&::ocan) ocan;
  decltype(&::obreak) obreak;
  decltype(&::oopt) oopt;
  decltype(&::opinit) opinit;
  decltype(&::onbclr) onbclr;
  decltype(&::onbset) onbset;
  decltype(&::onbtst) onbtst;
  decltype(&::tess_oci7_control) control;
};

// The library, loaded once per process by its Windows name as the access layer loads it.
inline const Api& Oci() {
  static Api api = [] {
    Api a{};
    auto lib = tess::platform::OpenLibrary("ora73.dll");
    if (!lib) {
      ADD_FAILURE() << "cannot load ora73: " << tess::platform::LastLibraryError();
      std::abort();
    }
    auto bind = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
          tess::platform::LibrarySymbol(lib, name));
      if (!slot) {
        ADD_FAILURE() << "missing entry point " << name;
        std::abort();
      }
    };
    bind(a.olog, "olog");
    bind(a.ologof, "ologof");
    bind(a.oerhms, "oerhms");
    bind(a.ocom, "ocom");
    bind(a.orol, "orol");
    bind(a.oopen, "oopen");
    bind(a.oclose, "oclose");
    bind(a.oparse, "oparse");
    bind(a.obndra, "obndra");
    bind(a.odefin, "odefin");
    bind(a.odescr, "odescr");
    bind(a.odessp, "odessp");
    bind(a.oexfet, "oexfet");
    bind(a.ofen, "ofen");
    bind(a.oexn, "oexn");
    bind(a.ocan, "ocan");
    bind(a.obreak, "obreak");
    bind(a.oopt, "oopt");
    bind(a.opinit, "opinit");
    bind(a.onbclr, "onbclr");
    bind(a.onbset, "onbset");
    bind(a.onbtst, "onbtst");
    bind(a.control, "tess_oci7_control");
    return a;
  }();
  return api;
}

inline text* T(const char* s) {
  return reinterpret_cast<text*>(const_cast<char*>(s));
}

// A data area as the caller owns it: 64 zero bytes.
struct Area {
  CdaDef cda;
  Area() { std::memset(&cda, 0, sizeof cda); }
  CdaDef* operator&() { return &cda; }
  int rc() const { return cda.rc; }
};

// A database of its own for each test suite, in a temporary folder.
class TempDatabase {
 public:
  explicit TempDatabase(const std::string& name = "T") : name_(name) {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() /
           ("tess-oci7-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    EXPECT_EQ(Oci().control(nullptr, "data_dir", 0, dir_.string().c_str()), 0);
    EXPECT_EQ(Oci().control(nullptr, "create_database", 0, name.c_str()), 0);
  }
  ~TempDatabase() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& name() const { return name_; }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::string name_;
  std::filesystem::path dir_;
};

// The name of a suite's database, as a template argument.
template <size_t N>
struct SuiteName {
  char text[N];
  constexpr SuiteName(const char (&s)[N]) { std::copy_n(s, N, text); }
};

// A test suite with a database of its own, made once for all its tests.
template <SuiteName Name>
class DatabaseSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { db_ = new TempDatabase(Name.text); }
  static void TearDownTestSuite() {
    delete db_;
    db_ = nullptr;
  }
  static inline TempDatabase* db_ = nullptr;
};

// The text oerhms gives for the last code of a logon area.
inline std::string Message(LdaDef* lda, int code) {
  char buf[1024];
  Oci().oerhms(lda, static_cast<sb2>(code), reinterpret_cast<text*>(buf), sizeof buf);
  return buf;
}

class Connection {
 public:
  Connection() { std::memset(hda_, 0, sizeof hda_); }
  ~Connection() {
    if (connected_) Oci().ologof(&lda_);
  }
  int Logon(const std::string& connect) {
    int rc = Oci().olog(&lda_, hda_, T(connect.c_str()), -1, nullptr, -1, nullptr, -1, 0);
    connected_ = rc == 0;
    return rc;
  }
  int Logoff() {
    connected_ = false;
    return Oci().ologof(&lda_);
  }
  LdaDef* lda() { return &lda_; }
  std::string Message(int code) { return oci7test::Message(&lda_, code); }

 private:
  Area lda_;
  ub1 hda_[kHdaSize];
  bool connected_ = false;
};

// One cursor, with helpers for the common sequences of calls.
class Statement {
 public:
  explicit Statement(Connection& c) : conn_(c) {
    EXPECT_EQ(Oci().oopen(&area_, c.lda(), nullptr, -1, -1, nullptr, -1), 0);
  }
  ~Statement() {
    if (open_) Oci().oclose(&area_);
  }
  CdaDef* cda() { return &area_; }
  int Close() {
    open_ = false;
    return Oci().oclose(&area_);
  }
  int Parse(const std::string& sql) {
    return Oci().oparse(&area_, T(sql.c_str()), static_cast<sb4>(sql.size()), 1, 2);
  }
  int Exec(int iters = 1, int rowoff = 0) { return Oci().oexn(&area_, iters, rowoff); }
  // Parses and executes; returns the first non-zero code.
  int Run(const std::string& sql) {
    int rc = Parse(sql);
    return rc ? rc : Exec();
  }
  std::string Error() { return conn_.Message(area_.rc()); }

  // Text binds kept alive by the statement.
  int BindText(const std::string& name, const std::optional<std::string>& value, int size = 2000) {
    auto& b = binds_.emplace_back();
    b.buf.assign(static_cast<size_t>(size), 0);
    if (value) std::memcpy(b.buf.data(), value->data(), std::min(value->size(), b.buf.size()));
    b.len = value ? static_cast<ub2>(value->size()) : 0;
    b.ind = value ? 0 : -1;
    return Oci().obndra(&area_, T(name.c_str()), -1, b.buf.data(), size, kExtVarchar2, -1, &b.ind,
                        &b.len, &b.rcode, 0, nullptr, nullptr, -1, -1);
  }
  std::optional<std::string> OutText(size_t index) {
    auto it = binds_.begin();
    std::advance(it, static_cast<long>(index));
    if (it->ind == -1) return std::nullopt;
    return std::string(reinterpret_cast<char*>(it->buf.data()), it->len);
  }

  // Runs a query and gives every row as text ("<null>" for NULL), fetching `batch` rows a
  // call through oexfet then ofen.
  std::vector<std::vector<std::string>> Query(const std::string& sql, int batch = 10,
                                              int width = 256) {
    std::vector<std::vector<std::string>> rows;
    EXPECT_EQ(Parse(sql), 0) << Error();
    int ncols = 0;
    for (int pos = 1;; ++pos) {
      sb4 dbsize, cbufl = 31, dsize;
      sb2 dbtype, prec, scale, nullok;
      sb1 name[32];
      int rc =
          Oci().odescr(&area_, pos, &dbsize, &dbtype, name, &cbufl, &dsize, &prec, &scale, &nullok);
      if (rc == kOraNotInSelectList) break;
      EXPECT_EQ(rc, 0) << Error();
      if (rc) return rows;
      ncols = pos;
    }
    size_t w = static_cast<size_t>(width), n = static_cast<size_t>(batch);
    std::vector<std::vector<ub1>> bufs(static_cast<size_t>(ncols), std::vector<ub1>(w * n));
    std::vector<std::vector<sb2>> inds(static_cast<size_t>(ncols), std::vector<sb2>(n));
    std::vector<std::vector<ub2>> lens(static_cast<size_t>(ncols), std::vector<ub2>(n));
    for (int c = 0; c < ncols; ++c) {
      size_t uc = static_cast<size_t>(c);
      EXPECT_EQ(Oci().odefin(&area_, c + 1, bufs[uc].data(), width, kExtVarchar2, -1,
                             inds[uc].data(), nullptr, -1, -1, lens[uc].data(), nullptr),
                0);
    }
    ub4 before = 0;
    int rc = Oci().oexfet(&area_, static_cast<ub4>(batch), 0, 0);
    for (;;) {
      EXPECT_TRUE(rc == 0 || rc == kOraNoDataFound) << rc << " " << Error();
      ub4 got = area_.cda.rpc - before;
      before = area_.cda.rpc;
      for (ub4 r = 0; r < got; ++r) {
        std::vector<std::string> row;
        for (size_t c = 0; c < static_cast<size_t>(ncols); ++c) {
          if (inds[c][r] == -1)
            row.push_back("<null>");
          else
            row.emplace_back(reinterpret_cast<char*>(bufs[c].data() + r * w), lens[c][r]);
        }
        rows.push_back(std::move(row));
      }
      if (rc != 0) break;
      rc = Oci().ofen(&area_, batch);
    }
    return rows;
  }
  // The single value of a one-row, one-column query.
  std::string Value(const std::string& sql) {
    auto rows = Query(sql);
    EXPECT_EQ(rows.size(), 1u) << sql;
    return rows.empty() || rows[0].empty() ? "<none>" : rows[0][0];
  }

 private:
  struct Bind {
    std::vector<ub1> buf;
    ub2 len = 0;
    sb2 ind = 0;
    ub2 rcode = 0;
  };
  Connection& conn_;
  Area area_;
  bool open_ = true;
  std::list<Bind> binds_;
};

}  // namespace oci7test
