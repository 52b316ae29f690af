// A windowless table host for the table benchmarks: it counts the cells the layout asks
// to paint (each stands for one OnGetCellData call) and looks each up in the selection,
// as painting does.
#pragma once

#include <cstdint>
#include <functional>

#include "components/table/tablelayout.h"

namespace tess {

class CountingTableHost : public TOvcTableHost {
 public:
  explicit CountingTableHost(int32_t Width) : width_(Width) {}
  std::function<bool(int32_t Row, int32_t Col)> IsSelected;
  long CellsPainted = 0;
  long Selected = 0;
  bool HasWindow() const override { return true; }
  int32_t ViewWidth() const override { return width_; }
  int32_t ViewHeight() const override { return 600; }
  void ScrollRect(int32_t, int32_t, const TOvcTableRect&) override {}
  bool HasScrollBar(bool) const override { return true; }
  void SetScrollRange(bool, int32_t, int32_t) override {}
  void SetScrollPos(bool, int32_t) override {}
  void PaintInvalidCells(const TOvcCellArray& Cells) override {
    for (const auto& A : Cells.Cells()) {
      ++CellsPainted;
      if (IsSelected) Selected += IsSelected(A.Row, A.Col);
    }
  }

 private:
  int32_t width_;
};

}  // namespace tess
