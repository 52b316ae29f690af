// Column auto-size of the result grid on 100,000 rows of 10 columns under Win32, beside
// measuring every cell with the system's text extent in the same run.  Prints
// "figure <name> <value> <unit>" lines.
#include <chrono>
#include <cstdio>
#include <random>

#include "components/lists/sortgrid.h"
#include "framework/win/forms.h"

using namespace tess;
using Clock = std::chrono::steady_clock;

int main() {
  try {
    auto form = std::make_unique<TForm>(nullptr);
    auto* grid = new TSortGrid(form.get());
    grid->SetParent(form.get());
    const int rows = 100000, cols = 10;
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    std::mt19937 rng(1);
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        std::string s;
        for (int k = 0, n = 1 + static_cast<int>(rng() % 14); k < n; ++k)
          s += static_cast<char>('a' + rng() % 26);
        grid->CellStore().SetCell(c, r, s);
      }
    grid->HandleNeeded();

    auto t = Clock::now();
    grid->AutoSizeColumns(true, 0);
    double ours = std::chrono::duration<double, std::milli>(Clock::now() - t).count();

    // The peer: one call to the system per cell.
    TCanvas* canvas = grid->Canvas();
    canvas->Font()->Assign(grid->Font());
    t = Clock::now();
    int mismatches = 0;
    for (int c = 0; c < cols; ++c) {
      int32_t widest = 0;
      for (int r = 0; r < rows; ++r) widest = std::max(widest, canvas->TextWidth(grid->Cells(c, r)));
      if (widest + canvas->TextWidth("x") != grid->ColWidths(c)) ++mismatches;
    }
    double peer = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    std::printf("figure grid_autosize_100k_x10 %.3f ms\n", ours);
    std::printf("figure gdi_extent_per_cell_100k_x10 %.3f ms\n", peer);
    std::printf("figure grid_autosize_vs_gdi_per_cell %.3f x\n", ours / peer);
    std::printf("figure grid_autosize_width_mismatches %d columns\n", mismatches);
    return mismatches == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_grid_autosize: %s\n", e.what());
    return 1;
  }
}
