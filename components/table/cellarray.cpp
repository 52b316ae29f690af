// The sorted set of cells to repaint.
#include "components/table/cellarray.h"

#include <algorithm>
#include <iterator>

namespace tess {

void TOvcCellArray::AddCell(int32_t Row, int32_t Col) {
  const TOvcCellAddress A{Row, Col};
  // Grow in steps before searching: growing moves the entries.
  if (cells_.size() == cells_.capacity()) cells_.reserve(cells_.size() + 128);
  auto It = std::lower_bound(cells_.begin(), cells_.end(), A);
  if (It != cells_.end() && *It == A) return;
  cells_.insert(It, A);
}

bool TOvcCellArray::DeleteCell(int32_t Row, int32_t Col) {
  const TOvcCellAddress A{Row, Col};
  auto It = std::lower_bound(cells_.begin(), cells_.end(), A);
  if (It == cells_.end() || *It != A) return false;
  cells_.erase(It);
  return true;
}

void TOvcCellArray::GetCellAddr(int32_t Index, TOvcCellAddress& Addr) const {
  Addr = (Index >= 0 && Index < Count()) ? cells_[static_cast<size_t>(Index)] : TOvcCellAddress{};
}

void TOvcCellArray::Merge(const TOvcCellArray& Other) {
  if (Other.cells_.empty()) return;
  std::vector<TOvcCellAddress> Out;
  Out.reserve((cells_.size() + Other.cells_.size() + 127) / 128 * 128);
  std::set_union(cells_.begin(), cells_.end(), Other.cells_.begin(), Other.cells_.end(),
                 std::back_inserter(Out));
  cells_.swap(Out);
}

void TOvcCellArray::Clear() {
  cells_.clear();
  extra_ = false;
}

}  // namespace tess
