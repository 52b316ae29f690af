// The colouring editor's repaint while typing at the end of a long text: the block-comment
// state at the first repainted row, from the per-line cache, against the plain backward
// scan over the text above it, plus the forward scan of the repainted rows in both.
// The text is the PL/SQL corpus's lines without block comments (the worst case for the
// backward scan, which then reads to the top), repeated to 200000 lines.
// The corpus folder is the first argument, else tests/data/plsql.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "components/synedit/syntax_scanner.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace tess;

namespace {

struct Text : TSynLineSource {
  std::vector<std::string> lines;
  int32_t LineCount() const override { return static_cast<int32_t>(lines.size()); }
  std::string_view Line(int32_t i) const override { return lines[static_cast<size_t>(i - 1)]; }
};

bool PlainBackward(const Text& t, int32_t line) {
  if (line < 2 || line > t.LineCount()) return false;
  for (int32_t l = line - 1; l >= 1; --l) {
    TSynLineVerdict v = BackwardCommentVerdict(t.Line(l));
    if (v != TSynLineVerdict::Undecided) return v == TSynLineVerdict::Opens;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> dirs = {argc > 1 ? argv[1] : "", TESS_SOURCE_DIR "/tests/data/plsql"};
  Text text;
  std::vector<std::string> pool;
  for (const std::string& d : dirs) {
    if (d.empty() || !fs::is_directory(d)) continue;
    for (const auto& e : fs::recursive_directory_iterator(d)) {
      if (!e.is_regular_file()) continue;
      std::ifstream in(e.path(), std::ios::binary);
      for (std::string l; std::getline(in, l);)
        if (l.find("/*") == std::string::npos && l.find("*/") == std::string::npos)
          pool.push_back(l);
    }
    break;
  }
  if (pool.empty()) pool.push_back("  v_total := v_total + 1; -- count");
  while (text.lines.size() < 200000) text.lines.push_back(pool[text.lines.size() % pool.size()]);

  TSynKeywords keywords;
  const int32_t rows = 40, keys = 200;
  auto repaint = [&](bool startState) {
    TSynScanState state = startState ? scBlockComment : scNormal;
    size_t runs = 0;
    for (int32_t l = text.LineCount() - rows + 1; l <= text.LineCount(); ++l)
      runs += SyntaxRuns(text.Line(l), state, keywords).size();
    return runs;
  };
  const int32_t first = text.LineCount() - rows + 1;
  size_t sink = 0;

  auto t0 = Clock::now();
  for (int k = 0; k < keys; ++k) {
    text.lines.back() += "x";
    sink += repaint(PlainBackward(text, first));
  }
  auto t1 = Clock::now();
  TSynCommentCache cache(text);
  for (int k = 0; k < keys; ++k) {
    text.lines.back() += "y";
    cache.Invalidate(text.LineCount());
    sink += repaint(cache.IsLineInBlockComment(first));
  }
  auto t2 = Clock::now();
  double plain = std::chrono::duration<double, std::micro>(t1 - t0).count() / keys;
  double cached = std::chrono::duration<double, std::micro>(t2 - t1).count() / keys;
  std::printf("figure syntax_repaint_at_end_cached %.2f us\n", cached);
  std::printf("figure syntax_repaint_at_end_plain_scan %.2f us\n", plain);
  std::printf("figure syntax_repaint_at_end_speedup %.1f x\n", plain / cached);
  return sink == 0 ? 1 : 0;
}
