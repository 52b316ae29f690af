// The table grid's navigation at 100 and at 1,000,000 rows: down-arrow steps, page down
// through the whole table, Ctrl+End/Ctrl+Home, and a drag selection over 100,000 rows
// followed by SelectAll and Iterate.  200 columns of mixed widths, scrolled to the right;
// every other row hidden in the first 320,000.  Each painted cell stands for one
// OnGetCellData call and one selection lookup.  The cost of a step should not grow with
// the row count: each figure's 1m/100 ratio is printed.
#include <chrono>
#include <cstdio>
#include <functional>

#include "bench/counting_table_host.h"
#include "components/core/commands.h"
#include "components/table/tablenavigation.h"

using namespace tess;

namespace {

using Clock = std::chrono::steady_clock;

struct Table {
  CountingTableHost Host{1000};
  TOvcTableRows Rows;
  TOvcTableColumns Cols{200};
  TOvcTableLayout L{Host, Rows, Cols};
  TOvcTableNavigator N{Host, L, Rows, Cols};
  explicit Table(int32_t RowCount) {
    Host.IsSelected = [this](int32_t R, int32_t C) { return N.IsCellSelected(R, C); };
    Rows.SetCount(RowCount);
    for (int C = 0; C < 200; ++C) Cols.SetWidth(C, 40 + (C * 37) % 160);
    for (int32_t R = 1; R < RowCount && R < 320000; R += 2) Rows.SetHidden(R, true);
    L.WindowCreated();
    N.FocusGained();
    N.SetOptions(TableOptionBit(TOvcTblOption::otoMouseDragSelect));
    L.SetLeftCol(120);
    N.SetActiveCell(2, 130);
  }
};

struct Figure {
  double Ns = 0;
  double Cells = 0;
};

// Runs Step Count times and gives the time and the painted cells per step.
Figure PerStep(Table& T, long Count, const std::function<void()>& Step) {
  T.Host.CellsPainted = 0;
  const auto T0 = Clock::now();
  for (long I = 0; I < Count; ++I) Step();
  const auto T1 = Clock::now();
  return {std::chrono::duration<double, std::nano>(T1 - T0).count() / Count,
          double(T.Host.CellsPainted) / Count};
}

struct Results {
  Figure Down, PageDown, EndHome, Drag, SelectAll, Iterate;
  long PageSteps = 0;
  long Ranges = 0;
};

Results Measure(int32_t RowCount) {
  Table T(RowCount);
  Results Out;
  Out.Down = PerStep(T, 10000, [&] {
    if (T.L.ActiveRow() == T.L.IncRow(T.L.RowLimit() - 1, 0)) T.N.ProcessCommand(ccFirstPage);
    T.N.ProcessCommand(ccDown);
  });
  // Page down from the top until it stops moving, then to the bottom of the last page.
  T.N.ProcessCommand(ccFirstPage);
  {
    const auto T0 = Clock::now();
    T.Host.CellsPainted = 0;
    int32_t Last = -1;
    while (T.L.ActiveRow() != Last) {
      Last = T.L.ActiveRow();
      T.N.ProcessCommand(ccNextPage);
      ++Out.PageSteps;
    }
    const auto T1 = Clock::now();
    Out.PageDown = {std::chrono::duration<double, std::nano>(T1 - T0).count() / Out.PageSteps,
                    double(T.Host.CellsPainted) / Out.PageSteps};
  }
  Out.EndHome = PerStep(T, 2000, [&] {
    T.N.ProcessCommand(ccLastPage);
    T.N.ProcessCommand(ccFirstPage);
  });
  // Drag selection: press on a cell, then the pointer below the window extends the
  // selection by one row per message (starting again at the top at the end).
  const int32_t Y = T.L.RowAxis().Offset(1) + 2, X = T.L.ColAxis().Offset(T.L.ColAxis().FirstScrolling()) + 2;
  T.N.MouseDown(X, Y, false, false);
  long Dragged = 0;
  Out.Drag = PerStep(T, 100000, [&] {
    if (T.L.ActiveRow() == T.L.IncRow(T.L.RowLimit() - 1, 0)) {
      T.N.MouseUp(X, Y);
      T.N.ProcessCommand(ccFirstPage);
      T.N.MouseDown(X, Y, false, false);
    }
    T.N.MouseMove(X, 10000, false);
    ++Dragged;
  });
  T.N.MouseUp(X, 10000);
  Out.SelectAll = PerStep(T, 1, [&] { T.N.SelectAll(); });
  Out.Iterate = PerStep(T, 1, [&] {
    T.N.IterateSelections([&](int32_t, int32_t, int32_t, int32_t) {
      ++Out.Ranges;
      return true;
    });
  });
  return Out;
}

void Print(const char* Name, const Figure& Small, const Figure& Large) {
  std::printf("figure nav_%s_ns_per_step_100_rows %.0f ns\n", Name, Small.Ns);
  std::printf("figure nav_%s_ns_per_step_1m_rows %.0f ns\n", Name, Large.Ns);
  std::printf("figure nav_%s_cells_per_step_100_rows %.1f cells\n", Name, Small.Cells);
  std::printf("figure nav_%s_cells_per_step_1m_rows %.1f cells\n", Name, Large.Cells);
  std::printf("figure nav_%s_time_1m_over_100 %.2f x\n", Name, Large.Ns / Small.Ns);
}

// The fastest of a few runs, interleaved, so that a busy machine disturbs neither size
// more than the other.
void KeepFastest(Results& Best, const Results& R, bool First) {
  auto Min = [&](Figure& B, const Figure& F) {
    if (First || F.Ns < B.Ns) B = F;
  };
  Min(Best.Down, R.Down);
  Min(Best.PageDown, R.PageDown);
  Min(Best.EndHome, R.EndHome);
  Min(Best.Drag, R.Drag);
  Min(Best.SelectAll, R.SelectAll);
  Min(Best.Iterate, R.Iterate);
  Best.PageSteps = R.PageSteps;
  Best.Ranges = R.Ranges;
}

}  // namespace

int main() {
  Results Small, Large;
  for (int Run = 0; Run < 5; ++Run) {
    KeepFastest(Small, Measure(100), Run == 0);
    KeepFastest(Large, Measure(1000000), Run == 0);
  }
  Print("down_arrow", Small.Down, Large.Down);
  Print("page_down", Small.PageDown, Large.PageDown);
  Print("ctrl_end_home", Small.EndHome, Large.EndHome);
  Print("drag_select", Small.Drag, Large.Drag);
  std::printf("figure nav_page_down_steps_1m_rows %ld steps\n", Large.PageSteps);
  std::printf("figure nav_select_all_ns_1m_rows %.0f ns\n", Large.SelectAll.Ns);
  std::printf("figure nav_iterate_ns_1m_rows %.0f ns\n", Large.Iterate.Ns);
  std::printf("figure nav_iterate_ranges_1m_rows %ld ranges\n", Large.Ranges);
  return 0;
}
