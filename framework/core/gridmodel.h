// What a grid is made of, without a window: the axes (a count of columns or rows, how
// many of them are fixed, their sizes and the first scrollable one shown) and the cells
// (text and an object per cell).  The Win32 grid controls draw and scroll over these;
// the sortable grid reorders their rows.
//
// Invariants of an axis: 0 <= Fixed() <= Count(); Fixed() <= First() < max(Count(),
// Fixed() + 1); every size is >= 0.  Sizes not set explicitly are the default size.
// Invariants of the cells: a row holds at most ColCount() cells (cells past a row's end
// are empty), and there are exactly RowCount() rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/component.h"

namespace tess {

// A cell's coordinate: X the column, Y the row.
struct TGridCoord {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TGridCoord&) const = default;
};

// A block of cells, both corners included.
struct TGridRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool Contains(TGridCoord C) const {
    return C.X >= Left && C.X <= Right && C.Y >= Top && C.Y <= Bottom;
  }
  bool operator==(const TGridRect&) const = default;
};

// One direction of a grid: columns (sizes are widths) or rows (heights).
class TGridAxis {
 public:
  explicit TGridAxis(int32_t Count = 5, int32_t Fixed = 1, int32_t DefaultSize = 24)
      : count_(Count), fixed_(Fixed), first_(Fixed), default_(DefaultSize) {}

  int32_t Count() const { return count_; }
  // Growing gives the new cells the default size; Fixed and First are kept valid.
  void SetCount(int32_t Value);
  int32_t Fixed() const { return fixed_; }
  // Must stay below Count (the grid keeps one scrollable cell); raises EInvalidOperation.
  void SetFixed(int32_t Value);
  // The first scrollable cell shown (TopRow, LeftCol).
  int32_t First() const { return first_; }
  void SetFirst(int32_t Value);

  int32_t DefaultSize() const { return default_; }
  // Every size becomes the new default.
  void SetDefaultSize(int32_t Value);
  int32_t Size(int32_t Index) const;
  void SetSize(int32_t Index, int32_t Value);
  bool HasCustomSizes() const { return !sizes_.empty(); }

  // A cell moves from From to To, the cells between shift by one; its size goes with it.
  void Move(int32_t From, int32_t To);
  // The cell goes; the count shrinks by one.
  void Delete(int32_t Index);

  // --- geometry: each cell takes its size plus LineWidth pixels for the line after it ---
  // The pixels of the fixed cells.
  int32_t FixedExtent(int32_t LineWidth) const;
  // Where cell Index starts on screen (possibly past the client area), or -1 when it is
  // a scrollable cell before First.
  int32_t Start(int32_t Index, int32_t LineWidth) const;
  // The cell at pixel Pos (fixed or visible scrollable), or -1 past the last cell.
  int32_t IndexAt(int32_t Pos, int32_t LineWidth, int32_t ClientExtent) const;
  // Scrollable cells wholly visible from First (at least 1 while there is one).
  int32_t VisibleCount(int32_t LineWidth, int32_t ClientExtent) const;
  // The last cell visible at all (partly or wholly), at least First.
  int32_t LastVisible(int32_t LineWidth, int32_t ClientExtent) const;
  // The largest First that still fills the client area from there to the last cell.
  int32_t MaxFirst(int32_t LineWidth, int32_t ClientExtent) const;
  // Sum of the cells' sizes (with lines) from From to To - 1, in 64 bits: a hundred
  // million rows take more pixels than 32 bits hold.
  int64_t Extent(int32_t From, int32_t To, int32_t LineWidth) const;
  // The First that brings cell Index wholly into view with the least scrolling from the
  // present First (Index itself when the cell is larger than the room).  It walks back
  // from Index over the cells that fit, never over the cells before.
  int32_t FirstShowing(int32_t Index, int32_t LineWidth, int32_t ClientExtent) const;

 private:
  void CheckIndex(int32_t Index) const;
  void AssertInvariant() const;
  int32_t count_;
  int32_t fixed_;
  int32_t first_;
  int32_t default_;
  std::vector<int32_t> sizes_;  // empty: all default; else exactly count_ entries
};

// The text and object of every cell.
class TGridCells {
 public:
  struct TCell {
    std::string Text;
    TObject* Object = nullptr;
  };
  using TRow = std::vector<TCell>;

  TGridCells(int32_t ColCount = 5, int32_t RowCount = 5);

  int32_t ColCount() const { return col_count_; }
  int32_t RowCount() const { return static_cast<int32_t>(rows_.size()); }
  // Cells outside the new size are dropped.
  void SetSize(int32_t ColCount, int32_t RowCount);

  // Reading outside the grid gives the empty cell; writing outside raises EListError.
  const std::string& Cell(int32_t Col, int32_t Row) const;
  void SetCell(int32_t Col, int32_t Row, std::string Text);
  TObject* Object(int32_t Col, int32_t Row) const;
  void SetObject(int32_t Col, int32_t Row, TObject* Value);

  void MoveRow(int32_t From, int32_t To);
  void MoveColumn(int32_t From, int32_t To);
  void DeleteRow(int32_t Index);
  void DeleteColumn(int32_t Index);
  void ClearRow(int32_t Index);
  void ClearColumn(int32_t Index);
  void Clear();
  // Rows First .. First + Order.size() - 1 take the rows First + Order[i], in that order.
  // Order must be a permutation of 0 .. Order.size() - 1 (checked).
  void PermuteRows(int32_t First, const std::vector<int32_t>& Order);

  // Direct access to a row, for bulk readers and writers (loading a file).
  TRow& Row(int32_t Index);
  const TRow& Row(int32_t Index) const;

 private:
  void CheckCol(int32_t Col) const;
  void CheckRow(int32_t Row) const;
  int32_t col_count_;
  std::vector<TRow> rows_;
};

}  // namespace tess
