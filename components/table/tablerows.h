// The table's row list and column list: sizes and hidden flags per row and column, and the
// actions their change events report.  Both answer the layout's questions through
// TOvcTableExtents.
//
// Rows: a record exists only for a row that is hidden or has a height of its own, and
// only below 320000 (the sparse array's bound); other rows read as default rows.
// DefaultHeight >= 1, Count >= LeastCount >= 1.  Columns: at most 134217727, widths >= 0;
// neither a delete nor a count brings them below LeastCount (only Clear empties them).
// The table sets each LeastCount one past its locked rows (columns), so that a scrolling
// row and column always remain.
//
// Before anything moves a row or column, or hides one, or gives a column another cell,
// the list's changing event tells the table (which ends an edit first): its action says
// what is coming, taSingle only for a row or column about to be hidden or, for a column,
// about to change its cell.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "components/core/tabletypes.h"
#include "components/table/sparsearray.h"
#include "framework/core/component.h"

namespace tess {

class TOvcTableCellAncestor;
class TOvcTableColumns;

// What a row or column change event reports.
enum class TOvcTblActions { taCount, taSingle, taAll, taInsert, taDelete, taExchange };

// One direction of the table as the layout sees it.
class TOvcTableExtents {
 public:
  virtual ~TOvcTableExtents() = default;
  virtual int32_t ExtentCount() const = 0;
  virtual int32_t ExtentSize(int32_t N) const = 0;
  virtual bool ExtentHidden(int32_t N) const = 0;
  // False when nothing can be hidden (searches for visible ones then stop at once).
  virtual bool MayHide() const { return true; }
};

struct TRowStyle {
  int32_t Height = -1;  // -1: the default height
  bool Hidden = false;
};

class TOvcTableRows : public TObject, public TOvcTableExtents {
 public:
  static constexpr int32_t StoredRowLimit = TOvcSparseArray::MaxIndex + 1;

  TOvcTableRows();
  ~TOvcTableRows() override;

  void Clear();
  // Each raises the table error "row number out of bounds" outside 0 .. Count-1.
  void GetRow(int32_t RowNum, TRowStyle& RowStyle) const;
  bool GetHidden(int32_t RowNum) const;
  int32_t GetHeight(int32_t RowNum) const;
  bool HasRecord(int32_t RowNum) const;
  // Each row with a record of its own, in ascending order, with its stored height (-1
  // for the default) and hidden flag.
  void IterateRecords(
      const std::function<void(int32_t RowNum, const TRowStyle& Style)>& Action) const;
  void SetRow(int32_t RowNum, const TRowStyle& RowStyle);
  void SetHeight(int32_t RowNum, int32_t Height);
  void SetHidden(int32_t RowNum, bool Hidden);
  void ResetRow(int32_t RowNum);
  void Delete(int32_t RowNum);
  void Exchange(int32_t RowNum1, int32_t RowNum2);
  // Heights scale by M / D without notice.
  void Rescale(int M, int D);
  // Neither Delete nor SetCount brings Count below this; a count already below stays.
  int32_t LeastCount() const { return least_count_; }
  void SetLeastCount(int32_t Value) { least_count_ = std::max(1, Value); }

  int32_t DefaultHeight() const { return default_height_; }
  void SetDefaultHeight(int32_t Value);
  int32_t Count() const { return count_; }
  void SetCount(int32_t Value);
  // The number of rows with a record.
  int32_t StoredCount() const { return stored_; }
  // True when no row has a record (the layout can then skip hidden-row searches).
  bool AllDefault() const { return stored_ == 0; }

  TRowChangeNotifyEvent OnRowChanged;
  // Before a change (see above).
  TRowChangeNotifyEvent OnRowChanging;

  int32_t ExtentCount() const override { return count_; }
  int32_t ExtentSize(int32_t N) const override;
  bool ExtentHidden(int32_t N) const override;
  bool MayHide() const override { return stored_ > 0; }

 private:
  struct TRowRecord {
    int32_t Height;
    bool Hidden;
  };
  void Check(int32_t RowNum) const;
  void FreeAll();
  TRowRecord* Record(int32_t RowNum) const;
  void Store(int32_t RowNum, const TRowRecord& R);
  void Drop(int32_t RowNum);
  int32_t Normalised(int32_t Height) const;
  void Changed(int32_t R1, int32_t R2, TOvcTblActions A);
  void Changing(int32_t R1, int32_t R2, TOvcTblActions A);

  int32_t stored_ = 0;
  TOvcSparseArray records_;
  int32_t default_height_ = 30;
  int32_t count_ = 10;
  int32_t least_count_ = 1;
};

class TOvcTableColumn : public TPersistent {
 public:
  TOvcTableColumn() = default;
  void Assign(TPersistent* Source) override;

  // The cell component that paints and edits this column; the list does not own it, but
  // counts the column as one use of it (TOvcTableColumns::OnCellUse).  In a list, a cell
  // the list's table may not use (OnAcceptCell) is refused: nothing changes.
  TOvcTableCellAncestor* DefaultCell() const { return default_cell_; }
  void SetDefaultCell(TOvcTableCellAncestor* Cell);
  int32_t Width() const { return width_; }
  // A negative width is refused.
  void SetWidth(int32_t Value);
  bool Hidden() const { return hidden_; }
  void SetHidden(bool Value);
  int32_t Number() const { return number_; }

 private:
  friend class TOvcTableColumns;
  void Changed();
  TOvcTableCellAncestor* default_cell_ = nullptr;
  TOvcTableColumns* list_ = nullptr;
  int32_t number_ = 0;
  TColChangeNotifyEvent on_change_;
  int32_t width_ = 150;
  bool hidden_ = false;
};

class TOvcTableColumns : public TObject, public TOvcTableExtents {
 public:
  static constexpr int32_t MaxColumns = 134217727;

  explicit TOvcTableColumns(int32_t Count);
  ~TOvcTableColumns() override;

  // Raises the table error "has maximum number of columns already" when full.  A cell
  // the table may not use is taken off the column first.
  void Append(std::unique_ptr<TOvcTableColumn> Column);
  // Ignored out of range and at LeastCount.
  void Delete(int32_t ColNum);
  void Exchange(int32_t ColNum1, int32_t ColNum2);
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(cols_.size()); }
  // Values below LeastCount and the present count are ignored.
  void SetCount(int32_t Value);
  int32_t LeastCount() const { return least_count_; }
  void SetLeastCount(int32_t Value) { least_count_ = std::max(1, Value); }
  TOvcTableColumn* GetColumn(int32_t ColNum) const;
  TOvcTableCellAncestor* GetDefaultCell(int32_t ColNum) const;
  int32_t GetWidth(int32_t ColNum) const;
  void SetWidth(int32_t ColNum, int32_t Width);
  // Every column naming the cell forgets it, uncounted: the cell is leaving the table (it
  // is compared by address only and may be past its destructor).  True when one did.
  bool RemoveCell(const TComponent* Cell);
  void SetOnColumnChanged(TColChangeNotifyEvent Event);
  // Told when a column of the list starts (+1) or stops (-1) naming a cell: set by the
  // table, which counts its cells' uses.  Deleting and clearing columns count down too.
  std::function<void(TOvcTableCellAncestor* Cell, int Delta)> OnCellUse;
  // Whether the table may use a cell (never asked about nil); unset, every cell may serve.
  std::function<bool(TOvcTableCellAncestor* Cell)> OnAcceptCell;
  // Before a change (see above).
  TColChangeNotifyEvent OnColumnChanging;

  int32_t ExtentCount() const override { return Count(); }
  int32_t ExtentSize(int32_t N) const override { return GetWidth(N); }
  bool ExtentHidden(int32_t N) const override;

 private:
  friend class TOvcTableColumn;
  void Renumber();
  void Changed(int32_t C1, int32_t C2, TOvcTblActions A);
  void Changing(int32_t C1, int32_t C2, TOvcTblActions A);
  void CellUse(TOvcTableCellAncestor* Cell, int Delta);
  bool Accepts(TOvcTableCellAncestor* Cell) const;
  std::vector<std::unique_ptr<TOvcTableColumn>> cols_;
  TColChangeNotifyEvent on_change_;
  int32_t least_count_ = 1;
};

}  // namespace tess
