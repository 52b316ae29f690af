// The result grid's work on 100,000 rows of 10 columns, beside the system's tools on the
// same data in the same run: sorting by a number and by a text column (GNU sort),
// loading and saving separated text (awk), style detection, and the type-ahead lookup
// over 20,000 names.  Prints "figure <name> <value> <unit>" lines.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

#include "components/lists/gridsort.h"
#include "components/lists/prefixindex.h"
#include "components/lists/separatedtext.h"

using namespace tess;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - Start).count();
}

// Best of three runs of a shell command, in milliseconds.
double ShellMs(const std::string& Command) {
  double best = 1e18;
  for (int i = 0; i < 3; ++i) {
    auto t = Clock::now();
    if (std::system(Command.c_str()) != 0) return -1;
    best = std::min(best, Ms(t));
  }
  return best;
}

template <class F>
double BestMs(F Work) {
  double best = 1e18;
  for (int i = 0; i < 3; ++i) {
    auto t = Clock::now();
    Work();
    best = std::min(best, Ms(t));
  }
  return best;
}

void Figure(const char* Name, double Value, const char* Unit) {
  std::printf("figure %s %.3f %s\n", Name, Value, Unit);
}

}  // namespace

int main() {
  const int rows = 100000;
  std::mt19937 rng(42);
  std::string text;
  for (int r = 0; r < rows; ++r) {
    std::string word;
    for (int k = 0, n = 4 + static_cast<int>(rng() % 8); k < n; ++k) word += static_cast<char>('A' + rng() % 26);
    text += std::to_string(r) + "," + word + "," + std::to_string(static_cast<int>(rng() % 1000000) - 500000) +
            "." + std::to_string(rng() % 100);
    for (int c = 3; c < 10; ++c) text += ",v" + std::to_string(rng() % 1000);
    text += "\n";
  }
  std::string dir = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
  std::string file = dir + "/bench_grid_" + std::to_string(::getpid()) + ".csv";
  std::string out = file + ".out";
  WriteFileBytes(file, text);

  TGridCells cells;
  double load = BestMs([&] { ReadSeparatedText(ReadFileBytes(file), ',', 1, cells); });
  double save = BestMs([&] { WriteFileBytes(out, WriteSeparatedText(cells, ',')); });
  double awk = ShellMs("awk -F, '{print}' " + file + " > " + out);
  Figure("grid_load_100k", load, "ms");
  Figure("grid_save_100k", save, "ms");
  Figure("awk_print_100k", awk, "ms");
  Figure("grid_load_vs_awk", load / awk, "x");
  Figure("grid_save_vs_awk", save / awk, "x");

  TSortOptions numeric{ssNumeric, sdAscending, true, nullptr};
  TSortOptions alpha{ssAlphabetic, sdAscending, true, nullptr};
  TFormatSettings fs;
  TSortedList record;
  double bestNum = 1e18, bestText = 1e18;
  for (int i = 0; i < 3; ++i) {
    ReadSeparatedText(text, ',', 1, cells);
    auto t = Clock::now();
    SortRows(cells, 2, 0, numeric, fs, record);
    bestNum = std::min(bestNum, Ms(t));
    ReadSeparatedText(text, ',', 1, cells);
    t = Clock::now();
    SortRows(cells, 1, 0, alpha, fs, record);
    bestText = std::min(bestText, Ms(t));
  }
  double gnuNum = ShellMs("LC_ALL=C sort -t, -k3,3n " + file + " > " + out);
  double gnuText = ShellMs("LC_ALL=C sort -t, -k2,2 " + file + " > " + out);
  Figure("grid_sort_numeric_100k", bestNum, "ms");
  Figure("gnu_sort_numeric_100k", gnuNum, "ms");
  Figure("grid_sort_numeric_vs_gnu", bestNum / gnuNum, "x");
  Figure("grid_sort_text_100k", bestText, "ms");
  Figure("gnu_sort_text_100k", gnuText, "ms");
  Figure("grid_sort_text_vs_gnu", bestText / gnuText, "x");

  ReadSeparatedText(text, ',', 1, cells);
  TSortStyle style = ssAutomatic;
  double detectNum = BestMs([&] { style = DetectSortStyle(cells, 2, 0, rows, fs); });
  double detectText = BestMs([&] { style = DetectSortStyle(cells, 1, 0, rows, fs); });
  Figure("grid_detect_numeric_column_per_row", detectNum * 1e6 / rows, "ns");
  // A text column is ruled out at its first cell.
  Figure("grid_detect_text_column", detectText * 1e3, "us");

  std::vector<std::string> names;
  for (int i = 0; i < 20000; ++i) names.push_back(cells.Cell(1, i) + " " + std::to_string(i));
  TPrefixIndex index;
  double build = BestMs([&] { index.Build(names); });
  const int lookups = 20000;
  auto t = Clock::now();
  int found = 0;
  for (int i = 0; i < lookups; ++i) found += index.Find(names[static_cast<size_t>(rng() % names.size())].substr(0, 1 + i % 4)) >= 0;
  double perKey = Ms(t) * 1e3 / lookups;
  Figure("typeahead_index_build_20k", build, "ms");
  Figure("typeahead_key_20k", perKey, "us");
  std::remove(file.c_str());
  std::remove(out.c_str());
  return found > 0 && style != ssAutomatic ? 0 : 1;
}
