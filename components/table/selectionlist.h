// The table's selection: per column a sorted list of row ranges, plus one rectangle being
// dragged out (the pending rectangle) that selects or deselects and is not stored yet.
//
// Invariant of every range list: sorted by first row, First <= Last in each range, and no
// two ranges overlap or touch (Last of one + 1 < First of the next).  A column without
// ranges has no list.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tess {

class TOvcSelectionList {
 public:
  struct TRowRange {
    int32_t First;
    int32_t Last;
  };
  using TSelectionIterator =
      std::function<bool(int32_t RowNum1, int32_t ColNum1, int32_t RowNum2, int32_t ColNum2)>;

  TOvcSelectionList(int32_t RowCount, int32_t ColCount);

  int32_t RowCount() const { return row_count_; }
  int32_t ColCount() const { return static_cast<int32_t>(cols_.size()); }
  // Negative values are ignored.  Ranges beyond a smaller row count are cut off.
  void SetRowCount(int32_t Value);
  void SetColCount(int32_t Value);

  void Clear();
  // Nothing happens when a corner lies outside the grid.
  void SelectRange(int32_t Row1, int32_t Col1, int32_t Row2, int32_t Col2);
  void DeselectRange(int32_t Row1, int32_t Col1, int32_t Row2, int32_t Col2);
  void SelectAll();
  void StartSelection(int32_t Row, int32_t Col, bool KeepExisting);
  void ExtendSelection(int32_t Row, int32_t Col, bool Select);
  // A binary search of the column's ranges.
  bool IsSelected(int32_t Row, int32_t Col) const;
  bool HasSelection() const { return !no_pending_ || used_ > 0; }
  // Stores the pending rectangle, then calls Action per column and range in ascending
  // order until it answers false.
  void Iterate(const TSelectionIterator& Action);

  // The stored ranges of one column (empty when none).
  std::vector<TRowRange> Ranges(int32_t Col) const;
  int32_t UsedColumns() const { return used_; }

 private:
  using RangeList = std::vector<TRowRange>;
  bool Inside(int32_t Row, int32_t Col) const;
  void AddRows(int32_t Col, int32_t First, int32_t Last);
  void RemoveRows(int32_t Col, int32_t First, int32_t Last);
  void StorePending();

  std::vector<std::unique_ptr<RangeList>> cols_;
  int32_t used_ = 0;
  int32_t row_count_ = 0;
  int32_t cur_row_ = 0, cur_col_ = 0, anchor_row_ = 0, anchor_col_ = 0;
  int32_t min_col_ = 0, max_col_ = 0, min_row_ = 0, max_row_ = 0;
  bool pending_select_ = true;
  bool no_pending_ = true;
};

}  // namespace tess
