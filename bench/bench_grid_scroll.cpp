// Scrolling a grid's far current row into view with one row of its own height: the
// axis's walk back from the row, beside the stepping that moves the first row down one
// at a time and sums the rows from there each time.  Prints "figure" lines.
#include <chrono>
#include <cstdio>

#include "framework/core/gridmodel.h"

using namespace tess;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::time_point Start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - Start).count();
}

void Figure(const char* Name, double Value, const char* Unit) {
  std::printf("figure %s %.3f %s\n", Name, Value, Unit);
}

// The stepping: the smallest first row from which the row fits, found one row at a time.
int32_t Stepping(const TGridAxis& A, int32_t Row, int32_t Line, int32_t Client) {
  int32_t first = A.First();
  while (first < Row && A.FixedExtent(Line) + A.Extent(first, Row + 1, Line) > Client) ++first;
  return first;
}

}  // namespace

int main() {
  const int32_t client = 600, line = 1;
  int32_t sink = 0;
  for (int32_t rows : {20000, 100000, 100000000}) {
    TGridAxis a(rows, 1, 24);
    a.SetSize(rows / 2, 60);
    auto t = Clock::now();
    for (int i = 0; i < 10; ++i) sink += a.FirstShowing(rows - 1 - i, line, client);
    double walk = Ms(t) / 10;
    char name[64];
    std::snprintf(name, sizeof name, "far_scroll_%d_rows", static_cast<int>(rows));
    Figure(name, walk * 1000, "us");
    if (rows <= 100000) {
      t = Clock::now();
      sink += Stepping(a, rows - 1, line, client);
      double step = Ms(t);
      std::snprintf(name, sizeof name, "far_scroll_stepping_%d_rows", static_cast<int>(rows));
      Figure(name, step, "ms");
      std::snprintf(name, sizeof name, "far_scroll_speedup_%d_rows", static_cast<int>(rows));
      Figure(name, step / (walk > 0 ? walk : 1e-6), "x");
    }
  }
  return sink == 42 ? 1 : 0;
}
