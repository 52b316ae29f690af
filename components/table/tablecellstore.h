// The table's per-cell attribute overrides: access, adjustment, colour, font and cell
// component of single cells, kept in a sparse array of rows whose items are sparse arrays
// of columns.  The store follows row and column inserts, deletes and exchanges so that an
// override stays with its cell.
//
// Invariants: every stored record differs from the default record; no row array is
// empty; Count() is the number of records held.  Only rows and columns below 320000 can
// hold a record; lookups beyond answer the default record.  A record naming a cell counts
// as one use of it (OnCellUse +1 when stored, -1 when dropped); a record naming a cell the
// table may not use (OnAcceptCell) is refused whole.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "components/core/tabletypes.h"
#include "components/table/sparsearray.h"
#include "framework/core/component.h"

namespace tess {

class TOvcTableCellAncestor;

// Colour value of a record that sets no colour.
constexpr uint32_t NoOverrideColor = 0x02FFFFFF;

struct TOvcCellOverride {
  TOvcTblAccess Access = TOvcTblAccess::otxDefault;
  TOvcTblAdjust Adjust = TOvcTblAdjust::otaDefault;
  uint32_t Color = NoOverrideColor;
  std::unique_ptr<TPersistent> Font;  // owned; a font of the framework
  TOvcTableCellAncestor* Cell = nullptr;

  bool IsDefault() const {
    return Access == TOvcTblAccess::otxDefault && Adjust == TOvcTblAdjust::otaDefault &&
           Color == NoOverrideColor && !Font && !Cell;
  }
};

class TOvcTableCells : public TObject {
 public:
  TOvcTableCells();
  ~TOvcTableCells() override;
  TOvcTableCells(const TOvcTableCells&) = delete;
  TOvcTableCells& operator=(const TOvcTableCells&) = delete;

  // The record of a cell, or the default record (null when none is stored).
  const TOvcCellOverride* GetAttributes(int32_t RowNum, int32_t ColNum) const;
  TOvcTableCellAncestor* GetCell(int32_t RowNum, int32_t ColNum) const;
  // Stores a record (a default record removes the cell's); ignored outside 0 .. 319999
  // and when its cell is refused.
  void SetAttributes(int32_t RowNum, int32_t ColNum, TOvcCellOverride Record);
  void ResetAttributes(int32_t RowNum, int32_t ColNum);

  // Each does nothing while no record is held, and fires OnChange otherwise.  A record
  // pushed past row (column) 319999 by an insert is dropped.
  void InsertRow(int32_t RowNum);
  void DeleteRow(int32_t RowNum);
  void ExchangeRows(int32_t RowNum1, int32_t RowNum2);
  void InsertCol(int32_t ColNum);
  void DeleteCol(int32_t ColNum);
  void ExchangeCols(int32_t ColNum1, int32_t ColNum2);
  // Every record naming Cell forgets it (a record left with nothing is dropped).
  // True when one did.
  bool RemoveCellRefs(const TComponent* Cell);
  void Clear();

  int32_t Count() const { return count_; }

  // Fired with the store as Sender.
  TNotifyEvent OnChange;
  // A record started (+1) or stopped (-1) naming a cell.
  std::function<void(TOvcTableCellAncestor* Cell, int Delta)> OnCellUse;
  // Whether the table may use a cell (never asked about nil); unset, every cell may serve.
  std::function<bool(TOvcTableCellAncestor* Cell)> OnAcceptCell;
  // Before SetAttributes (or ResetAttributes) changes a cell's record, and before Clear
  // drops the records (RowNum and ColNum -1).
  std::function<void(int32_t RowNum, int32_t ColNum)> OnChanging;

 private:
  struct Row;
  Row* RowAt(int32_t RowNum) const;
  static bool InRange(int32_t N) { return N >= 0 && N <= TOvcSparseArray::MaxIndex; }
  void FreeRecord(TOvcCellOverride* R);
  void FreeRow(Row* R);
  // Drops the column slot at the array's last index so that an insert has room.
  void MakeRoom(TOvcSparseArray& A, bool Outer);
  void Changed();

  TOvcSparseArray rows_;
  int32_t count_ = 0;
};

}  // namespace tess
