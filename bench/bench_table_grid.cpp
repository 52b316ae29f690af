// The table grid's scrolling cost at 100 and at 1,000,000 rows (cells asked for data per
// step and time per step), the selection lookup per painted cell, and the sparse array's
// bulk fill at 32,000 and 320,000 slots.
// Each painted cell stands for one OnGetCellData call and one selection lookup.
#include <chrono>
#include <cstdio>
#include <random>

#include "bench/counting_table_host.h"
#include "components/table/selectionlist.h"
#include "components/table/sparsearray.h"
#include "components/table/tablelayout.h"

using namespace tess;

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double CellsPerStep[3];
  double NsPerStep[3];
};

Figures Measure(int32_t RowCount) {
  CountingTableHost Host{800};
  TOvcTableRows Rows;
  TOvcTableColumns Cols(8);
  for (int C = 0; C < 8; ++C) Cols.SetWidth(C, 100);
  TOvcTableLayout L(Host, Rows, Cols);
  TOvcSelectionList Sel(RowCount, 8);
  for (int32_t R = 1; R < RowCount; R += 7) Sel.SelectRange(R, 1, R + 2 < RowCount ? R + 2 : R, 1);
  Host.IsSelected = [&Sel](int32_t R, int32_t C) { return Sel.IsSelected(R, C); };
  Rows.SetCount(RowCount);
  L.WindowCreated();
  std::mt19937 Rng(1);
  Figures F{};
  const int Steps = 20000;
  for (int Kind = 0; Kind < 3; ++Kind) {
    L.SetTopRow(1);
    Host.CellsPainted = 0;
    int32_t Min, Max;
    L.VertScrollRange(Min, Max);
    const auto T0 = Clock::now();
    for (int S = 0; S < Steps; ++S) {
      int32_t Top = L.TopRow();
      if (Kind == 0) Top = Top >= L.MaxTopRow() ? 1 : Top + 1;                   // down arrow
      if (Kind == 1) Top = Top >= L.MaxTopRow() ? 1 : Top + 19;                  // page down
      if (Kind == 2) Top = L.RowForThumb(Min + static_cast<int32_t>(Rng() % static_cast<uint32_t>(Max - Min + 1)));
      L.SetTopRow(Top);
    }
    const auto T1 = Clock::now();
    F.CellsPerStep[Kind] = double(Host.CellsPainted) / Steps;
    F.NsPerStep[Kind] = std::chrono::duration<double, std::nano>(T1 - T0).count() / Steps;
  }
  return F;
}

// IsSelected for the cells a step paints, with a selected range every 7 rows: a binary
// search of the column's ranges, so the cost grows with the log of the range count only.
double IsSelectedNsPerCell(int32_t RowCount, long& Hits) {
  TOvcSelectionList Sel(RowCount, 8);
  for (int32_t R = 1; R < RowCount; R += 7) Sel.SelectRange(R, 1, R + 2 < RowCount ? R + 2 : R, 1);
  std::mt19937 Rng(3);
  const int Lookups = 2000000;
  const auto T0 = Clock::now();
  for (int I = 0; I < Lookups; ++I)
    Hits += Sel.IsSelected(static_cast<int32_t>(Rng() % static_cast<uint32_t>(RowCount)), 1);
  const auto T1 = Clock::now();
  return std::chrono::duration<double, std::nano>(T1 - T0).count() / Lookups;
}

double FillNsPerSlot(int32_t Slots, bool ThenClear) {
  TOvcSparseArray A;
  static int Dummy;
  const auto T0 = Clock::now();
  for (int32_t I = 0; I < Slots; ++I) A.SetItem(I, &Dummy);
  if (ThenClear)
    for (int32_t I = 0; I < Slots; ++I) A.SetItem(I, nullptr);
  const auto T1 = Clock::now();
  return std::chrono::duration<double, std::nano>(T1 - T0).count() / Slots;
}

}  // namespace

int main() {
  const Figures Small = Measure(100), Large = Measure(1000000);
  const char* Names[3] = {"down_arrow", "page_down", "thumb_drag"};
  for (int K = 0; K < 3; ++K) {
    std::printf("figure scroll_%s_cells_per_step_100_rows %.1f cells\n", Names[K], Small.CellsPerStep[K]);
    std::printf("figure scroll_%s_cells_per_step_1m_rows %.1f cells\n", Names[K], Large.CellsPerStep[K]);
    std::printf("figure scroll_%s_ns_per_step_100_rows %.0f ns\n", Names[K], Small.NsPerStep[K]);
    std::printf("figure scroll_%s_ns_per_step_1m_rows %.0f ns\n", Names[K], Large.NsPerStep[K]);
    std::printf("figure scroll_%s_time_1m_over_100 %.2f x\n", Names[K],
                Large.NsPerStep[K] / Small.NsPerStep[K]);
    std::printf("figure scroll_%s_cells_1m_over_100 %.2f x\n", Names[K],
                Large.CellsPerStep[K] / Small.CellsPerStep[K]);
    // At 100 rows more steps land near the previous view and repaint fewer cells.
    std::printf("figure scroll_%s_time_per_cell_1m_over_100 %.2f x\n", Names[K],
                (Large.NsPerStep[K] / Large.CellsPerStep[K]) /
                    (Small.NsPerStep[K] / Small.CellsPerStep[K]));
  }
  long Hits = 0;
  const double Sel100 = IsSelectedNsPerCell(100, Hits), Sel1m = IsSelectedNsPerCell(1000000, Hits);
  std::printf("figure is_selected_ns_per_cell_100_rows %.1f ns\n", Sel100);
  std::printf("figure is_selected_ns_per_cell_1m_rows %.1f ns\n", Sel1m);
  std::printf("figure is_selected_1m_over_100 %.2f x\n", Sel1m / Sel100);
  std::printf("figure is_selected_hits %ld cells\n", Hits);
  const double Fill32k = FillNsPerSlot(32000, false), Fill320k = FillNsPerSlot(320000, false);
  const double Clear32k = FillNsPerSlot(32000, true), Clear320k = FillNsPerSlot(320000, true);
  std::printf("figure sparse_fill_ns_per_slot_32k %.1f ns\n", Fill32k);
  std::printf("figure sparse_fill_ns_per_slot_320k %.1f ns\n", Fill320k);
  std::printf("figure sparse_fill_per_slot_320k_over_32k %.2f x\n", Fill320k / Fill32k);
  std::printf("figure sparse_fill_and_clear_per_slot_320k_over_32k %.2f x\n", Clear320k / Clear32k);
  return 0;
}
