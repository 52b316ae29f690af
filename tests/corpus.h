// The corpus of real PL/SQL and SQL sources in tests/data/plsql, read by the tests, the
// benchmarks and the fuzz seeds.  Its folder is compiled in as TESS_PLSQL_DATA; the
// environment variable of that name points elsewhere.  A missing or empty corpus throws:
// a test that read nothing would pass while checking nothing.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tess::corpus {

struct File {
  std::string path;
  std::string text;
};

inline std::string Root() {
  if (const char* env = std::getenv("TESS_PLSQL_DATA"); env && *env) return env;
  return TESS_PLSQL_DATA;
}

inline std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// One file of the corpus by its path below the root; throws when it is not there.
inline std::string Read(std::string_view relative) {
  return ReadWhole(std::filesystem::path(Root()) / relative);
}

// Every file of the corpus whose extension is one of `extensions` (".sql", ...), in path
// order so that a failure names the same file on every run.
inline std::vector<File> ReadAll(std::initializer_list<std::string_view> extensions) {
  const std::filesystem::path root = Root();
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec))
    throw std::runtime_error("no corpus of real sources at " + root.string());
  std::vector<std::filesystem::path> paths;
  for (auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (std::find(extensions.begin(), extensions.end(), ext) != extensions.end())
      paths.push_back(entry.path());
  }
  if (paths.empty()) throw std::runtime_error("the corpus at " + root.string() + " is empty");
  std::sort(paths.begin(), paths.end());
  std::vector<File> files;
  files.reserve(paths.size());
  for (const auto& p : paths) files.push_back({p.string(), ReadWhole(p)});
  return files;
}

// The extensions of every source kind in the corpus.
inline std::vector<File> ReadAllSources() {
  return ReadAll({".sql", ".pks", ".pkb", ".tps", ".tpb"});
}

}  // namespace tess::corpus
