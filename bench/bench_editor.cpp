// The editor model's costs against plain tools on the same file, in one run:
//   load+save:   a 100,000-line PL/SQL file (the corpus concatenated) loaded and saved,
//                against `sed -n p` copying it;
//   replace-all: a common word replaced everywhere, against `sed s/x/y/g`;
//   keystroke at the end, paragraph lookup near the middle, thumb drag to a random line
//                (word wrap on): per operation, at 10,000 and 100,000 lines; the ratio
//                shows whether the cost grows with the file;
//   memory:      bytes allocated for the loaded text per byte of the file;
//   colouring:   open a 100,000-line file and colour its first screen; then keystrokes at
//                the end with comment scanning on, each followed by colouring the rows it
//                changed (the block-comment state from the per-line cache, and, beside
//                it, from a fresh backward scan every time), at 10,000 and 100,000 lines.
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "components/core/commands.h"
#include "components/editor/paratext.h"
#include "components/synedit/syntax_lines.h"
#include "components/editor/textfile.h"
#include "framework/core/sysutils.h"

namespace {
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point A, Clock::time_point B) {
  return std::chrono::duration<double>(B - A).count();
}

template <typename F>
double Best(int Runs, F&& Fn) {
  double best = 1e30;
  for (int i = 0; i < Runs; ++i) {
    auto t0 = Clock::now();
    Fn();
    best = std::min(best, Seconds(t0, Clock::now()));
  }
  return best;
}

void Figure(const char* Name, double Value, const char* Unit) {
  std::printf("figure %s %.4g %s\n", Name, Value, Unit);
}

fs::path CorpusDir() {
  for (const char* d : {"tests/data/plsql", "../tests/data/plsql"})
    if (fs::exists(d)) return d;
  return {};
}

// The corpus, concatenated and repeated until it has Lines lines (CR LF line ends).
std::string MakeFile(int Lines) {
  std::vector<std::string> lines;
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(CorpusDir()))
    if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::string out;
  int n = 0;
  while (n < Lines) {
    for (const auto& f : files) {
      std::ifstream in(f, std::ios::binary);
      std::string line;
      while (n < Lines && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += line;
        out += "\r\n";
        ++n;
      }
      if (n >= Lines) break;
    }
  }
  return out;
}

double Shell(const std::string& Cmd) {
  return Best(3, [&] {
    if (std::system(Cmd.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", Cmd.c_str());
  });
}

struct PerOp {
  double Keystroke, Lookup, Thumb;
};

PerOp MeasureOps(const fs::path& File) {
  PerOp r{};
  tess::TTextFileModel E;
  E.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 100, 16 * 40);
  E.SetUndoBufferSize(8192);
  E.LoadFromFile(File.string());
  int32_t paras = E.GetParaCount();
  // Keystrokes at the end of the text.
  E.SetCaretPosition(E.GetLineCount(), 1);
  const int keys = 20000;
  r.Keystroke = Best(3, [&] {
    for (int i = 0; i < keys; ++i) {
      E.ProcessCommand(tess::kCmdChar, 'x');
      if (i % 60 == 59) E.ProcessCommand(tess::ccNewLine, 0);
    }
  }) / keys;
  // Lookups by number around the middle (never the cached neighbour).
  std::mt19937 rng(1);
  tess::TParaList& L = E.Paragraphs();
  const int looks = 200000;
  volatile int32_t sink = 0;
  r.Lookup = Best(3, [&] {
    for (int i = 0; i < looks; ++i)
      sink = sink + L.GetParaNode(paras / 2 + static_cast<int32_t>(rng() % 1000) - 500)->Length;
  }) / looks;
  // Thumb drags with word wrap on: the top line and the visible rows' texts.
  E.SetWrapColumn(60);
  E.SetWordWrap(true);
  int32_t max = E.VertScrollRange().Max;
  const int drags = 20000;
  r.Thumb = Best(3, [&] {
    for (int i = 0; i < drags; ++i) {
      E.SetTopLine(E.LineOfThumb(1 + static_cast<int32_t>(rng() % max)));
      int32_t top = E.GetTopLine();
      const char* t;
      int32_t len;
      for (int row = 0; row < E.GetVisibleRows(); ++row) L.GetLineText(top + row, t, len);
    }
  }) / drags;
  return r;
}

void LoadKeywords(tess::TSynKeywords& K) {
  tess::TStringList lists[3];
  const char* names[3] = {"symbol.kwd", "sql.kwd", "plsql.kwd"};
  for (int i = 0; i < 3; ++i) {
    lists[i].LoadFromFile(std::string(TESS_SOURCE_DIR) + "/resources/" + names[i]);
    for (int j = 0; j < lists[i].Count(); ++j)
      lists[i].SetStrings(j, tess::UpperCase(tess::Trim(lists[i].Strings(j))));
  }
  K.SetKeywordLists(&lists[0], &lists[1], &lists[2]);
}

// Colours display lines From..To as a paint pass does; the first line's state comes from
// the backward scan (Cache).  Returns the number of runs, so nothing is optimised away.
size_t ColourRows(tess::TEditorModel& E, tess::TSynCommentCache& Cache,
                  const tess::TSynKeywords& K, int32_t From, int32_t To) {
  tess::TSynScanState st = Cache.IsLineInBlockComment(From) ? tess::scBlockComment : tess::scNormal;
  size_t runs = 0;
  for (int32_t l = From; l <= To; ++l) {
    const char* t;
    int32_t len;
    E.Paragraphs().GetLineText(l, t, len);
    if (len == 0) continue;
    if (tess::HasTab(t, static_cast<uint32_t>(len)))
      runs += tess::SyntaxRuns(tess::ExpandTabs(t, len, E.TabSize()), st, K).size();
    else
      runs += tess::SyntaxRuns(std::string_view(t, static_cast<size_t>(len)), st, K).size();
  }
  return runs;
}

struct Colouring {
  double Open, Keystroke, KeystrokeFresh;
};

Colouring MeasureColouring(const fs::path& File, const tess::TSynKeywords& K) {
  Colouring r{};
  volatile size_t sink = 0;
  r.Open = Best(3, [&] {
    tess::TSynTextFileModel E;
    E.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 120, 16 * 50);
    E.LoadFromFile(File.string());
    sink = sink + ColourRows(E, E.Comments.Cache(), K, 1, std::min(E.GetVisibleRows(), E.GetLineCount()));
  });
  auto keystrokes = [&](bool Fresh) {
    tess::TSynTextFileModel E;
    E.SetMetrics(8, 16, 15, 5, 15 + 5 + 8 * 120, 16 * 50);
    E.LoadFromFile(File.string());
    E.SetCaretPosition(E.GetLineCount(), 1);
    const int keys = Fresh ? 200 : 5000;
    return Best(3, [&] {
      for (int i = 0; i < keys; ++i) {
        E.ProcessCommand(tess::kCmdChar, 'x');
        if (i % 60 == 59) E.ProcessCommand(tess::ccNewLine, 0);
        const int32_t top = E.GetTopLine();
        const int32_t last = std::min(top + E.GetVisibleRows() - 1, E.GetLineCount());
        const int32_t first = std::clamp(E.Paragraphs().FirstChangedLine(), top, last);
        if (Fresh) {
          tess::TSynCommentCache fresh(E.Comments.Lines());
          sink = sink + ColourRows(E, fresh, K, first, last);
        } else {
          sink = sink + ColourRows(E, E.Comments.Cache(), K, first, last);
        }
      }
    }) / keys;
  };
  r.Keystroke = keystrokes(false);
  r.KeystrokeFresh = keystrokes(true);
  return r;
}

}  // namespace

int main() {
  if (CorpusDir().empty()) {
    std::fprintf(stderr, "bench_editor: no PL/SQL corpus\n");
    return 1;
  }
  fs::path dir = fs::temp_directory_path() / "tess_bench_editor";
  fs::create_directories(dir);
  fs::path big = dir / "big.sql", small = dir / "small.sql", out = dir / "out.sql";
  {
    std::ofstream(big, std::ios::binary) << MakeFile(100000);
    std::ofstream(small, std::ios::binary) << MakeFile(10000);
  }
  auto size = static_cast<double>(fs::file_size(big));

  // Load and save.
  double ours = Best(5, [&] {
    tess::TTextFileModel E;
    E.LoadFromFile(big.string());
    E.SaveToFile(out.string());
  });
  double sed = Shell("sed -n p '" + big.string() + "' > '" + out.string() + "'");
  Figure("editor_load_save_100k", ours * 1000, "ms");
  Figure("sed_copy_100k", sed * 1000, "ms");
  Figure("editor_load_save_vs_sed", ours / sed, "x");

  // Memory of a loaded file.
  {
    size_t before = mallinfo2().uordblks;
    tess::TTextFileModel E;
    E.LoadFromFile(big.string());
    size_t after = mallinfo2().uordblks;
    Figure("editor_memory_per_file_byte", static_cast<double>(after - before) / size, "x");
  }

  // Replace all: the same word, case-sensitive, everywhere.
  {
    tess::TTextFileModel E;
    E.LoadFromFile(big.string());
    double t = 1e30;
    int count = 0;
    for (int i = 0; i < 3; ++i) {
      E.LoadFromFile(big.string());
      auto t0 = Clock::now();
      count = E.SearchReplace("end", "END", tess::srGlobal | tess::srMatchCase | tess::srReplaceAll);
      t = std::min(t, Seconds(t0, Clock::now()));
    }
    double s = Shell("sed 's/end/END/g' '" + big.string() + "' > '" + out.string() + "'");
    Figure("editor_replace_all_count", count, "matches");
    Figure("editor_replace_all_100k", t * 1000, "ms");
    Figure("sed_replace_all_100k", s * 1000, "ms");
    Figure("editor_replace_all_vs_sed", t / s, "x");
  }

  PerOp a = MeasureOps(small), b = MeasureOps(big);
  Figure("editor_keystroke_10k", a.Keystroke * 1e9, "ns");
  Figure("editor_keystroke_100k", b.Keystroke * 1e9, "ns");
  Figure("editor_keystroke_100k_vs_10k", b.Keystroke / a.Keystroke, "x");
  Figure("editor_lookup_10k", a.Lookup * 1e9, "ns");
  Figure("editor_lookup_100k", b.Lookup * 1e9, "ns");
  Figure("editor_lookup_100k_vs_10k", b.Lookup / a.Lookup, "x");
  Figure("editor_thumb_10k", a.Thumb * 1e9, "ns");
  Figure("editor_thumb_100k", b.Thumb * 1e9, "ns");
  Figure("editor_thumb_100k_vs_10k", b.Thumb / a.Thumb, "x");

  tess::TSynKeywords keywords;
  LoadKeywords(keywords);
  Colouring ca = MeasureColouring(small, keywords), cb = MeasureColouring(big, keywords);
  Figure("syntax_open_first_screen_100k", cb.Open * 1000, "ms");
  Figure("syntax_keystroke_10k", ca.Keystroke * 1e6, "us");
  Figure("syntax_keystroke_100k", cb.Keystroke * 1e6, "us");
  Figure("syntax_keystroke_100k_vs_10k", cb.Keystroke / ca.Keystroke, "x");
  Figure("syntax_keystroke_rescan_10k", ca.KeystrokeFresh * 1e6, "us");
  Figure("syntax_keystroke_rescan_100k", cb.KeystrokeFresh * 1e6, "us");
  Figure("syntax_keystroke_rescan_100k_vs_10k", cb.KeystrokeFresh / ca.KeystrokeFresh, "x");
  fs::remove_all(dir);
  return 0;
}
