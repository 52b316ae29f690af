// The component core's hot paths against their peers in the same run:
//   search:    BMSearch over 100 MB of real PL/SQL text (the corpus repeated), every
//              occurrence of a few patterns, against memmem and std::search with
//              std::boyer_moore_horspool_searcher;
//   translate: TranslateKey on the built-in "Default" table, per key.
// The corpus folder is the first argument, else tests/data/plsql.
// Prints "figure <name> <value> <unit>" lines; ratios as "x" (ours / peer, speed).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "components/core/bmsearch.h"
#include "components/core/commands.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kCorpusBytes = 100u * 1000u * 1000u;

std::string LoadCorpus(const std::vector<std::string>& Candidates) {
  for (const std::string& dir : Candidates) {
    if (dir.empty() || !fs::is_directory(dir)) continue;
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::string all;
    for (const fs::path& f : files) {
      std::ifstream in(f, std::ios::binary);
      all.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (all.empty()) continue;
    std::fprintf(stderr, "corpus: %s (%zu bytes, repeated)\n", dir.c_str(), all.size());
    std::string text;
    text.reserve(kCorpusBytes);
    while (text.size() < kCorpusBytes) text.append(all, 0, std::min(all.size(), kCorpusBytes - text.size()));
    return text;
  }
  return {};
}

// Counts every occurrence (overlapping) with a finder of the next one from a position.
template <class Find>
double Seconds(Find find, size_t& Count) {
  auto t0 = Clock::now();
  Count = 0;
  size_t from = 0;
  for (;;) {
    size_t at = find(from);
    if (at == std::string::npos) break;
    ++Count;
    from = at + 1;
  }
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> dirs;
  if (argc > 1) dirs.push_back(argv[1]);
  dirs.push_back(TESS_PLSQL_DATA);
  const std::string text = LoadCorpus(dirs);
  if (text.empty()) {
    std::fprintf(stderr, "bench_components: no PL/SQL corpus found\n");
    return 1;
  }

  // Patterns of the lengths a find dialog sees, common and rare, and one long enough
  // to pass the skip table's limit (cut from the text, so it is found).
  std::vector<std::string> patterns = {"end;", "varchar2", "dbms_output.put_line",
                                       "when others then", "zz_not_in_the_text_zz"};
  patterns.push_back(text.substr(text.size() / 3, 300));

  double ours = 0, mm = 0, stdh = 0;
  for (const std::string& pat : patterns) {
    size_t n1 = 0, n2 = 0, n3 = 0;
    tess::TBMTable bt;
    tess::BMMakeTable(pat.c_str(), bt);
    double s1 = Seconds([&](size_t from) -> size_t {
      uint32_t pos = 0;
      if (!tess::BMSearch(text.data() + from, static_cast<uint32_t>(text.size() - from), bt,
                          pat.c_str(), pos))
        return std::string::npos;
      return from + pos;
    }, n1);
    double s2 = Seconds([&](size_t from) -> size_t {
      const void* hit = memmem(text.data() + from, text.size() - from, pat.data(), pat.size());
      return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data())
                 : std::string::npos;
    }, n2);
    std::boyer_moore_horspool_searcher searcher(pat.begin(), pat.end());
    double s3 = Seconds([&](size_t from) -> size_t {
      auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), searcher);
      return it == text.end() ? std::string::npos : static_cast<size_t>(it - text.begin());
    }, n3);
    if (n1 != n2 || n1 != n3) {
      std::fprintf(stderr, "bench_components: counts differ for \"%s\": %zu %zu %zu\n",
                   pat.substr(0, 30).c_str(), n1, n2, n3);
      return 1;
    }
    std::fprintf(stderr, "  %-28.28s len %3zu hits %8zu  ours %.3f s  memmem %.3f s  std %.3f s\n",
                 pat.c_str(), pat.size(), n1, s1, s2, s3);
    ours += s1;
    mm += s2;
    stdh += s3;
  }
  const double mb = static_cast<double>(text.size()) * static_cast<double>(patterns.size()) / 1e6;
  std::printf("figure bmsearch_throughput %.0f MB/s\n", mb / ours);
  std::printf("figure memmem_throughput %.0f MB/s\n", mb / mm);
  std::printf("figure std_horspool_throughput %.0f MB/s\n", mb / stdh);
  std::printf("figure bmsearch_vs_std_horspool %.2f x\n", stdh / ours);
  std::printf("figure bmsearch_vs_memmem %.2f x\n", mm / ours);

  // Key translation: a realistic mix of keys (bound ones, plain letters, a modifier),
  // through the "Default" table only, as the editor's every key-down does.
  tess::TOvcCommandProcessor proc;
  const std::pair<uint16_t, uint8_t> keys[] = {
      {37, 0}, {'A', 0}, {39, 2}, {'Z', 4}, {'7', 6}, {16, 2}, {46, 0}, {'Q', 0},
      {36, 4}, {'V', 4}, {34, 0}, {13, 0}, {'9', 4}, {8, 8}, {40, 2}, {'x', 0}};
  constexpr int kRounds = 2000000;
  unsigned sink = 0;
  auto t0 = Clock::now();
  for (int r = 0; r < kRounds; ++r)
    for (const auto& [k, s] : keys) sink += proc.TranslateKey(k, s);
  double ns = std::chrono::duration<double, std::nano>(Clock::now() - t0).count() /
              (double(kRounds) * std::size(keys));
  std::printf("figure translatekey_default %.1f ns\n", ns);
  std::fprintf(stderr, "(checksum %u)\n", sink);
  return 0;
}
