// The cells that wait to be repainted: a set of (row, column) addresses kept sorted by
// row, then column, without duplicates, plus one flag for the area beyond the last row
// and column.  The table paints them row run by row run when its redraw lock ends.
#pragma once

#include <cstdint>
#include <vector>

namespace tess {

struct TOvcCellAddress {
  int32_t Row = 0;
  int32_t Col = 0;
  auto operator<=>(const TOvcCellAddress&) const = default;
};

class TOvcCellArray {
 public:
  void AddCell(int32_t Row, int32_t Col);
  // True when the address was present and is removed.
  bool DeleteCell(int32_t Row, int32_t Col);
  // The entry at Index, or (0, 0) outside 0 .. Count-1.
  void GetCellAddr(int32_t Index, TOvcCellAddress& Addr) const;
  // Adds every address of Other (unchanged).
  void Merge(const TOvcCellArray& Other);
  void Clear();
  void MarkExtraArea() { extra_ = true; }
  bool ExtraAreaMarked() const { return extra_; }
  bool IsEmpty() const { return cells_.empty() && !extra_; }
  int32_t Count() const { return static_cast<int32_t>(cells_.size()); }
  const std::vector<TOvcCellAddress>& Cells() const { return cells_; }

 private:
  std::vector<TOvcCellAddress> cells_;
  bool extra_ = false;
};

}  // namespace tess
