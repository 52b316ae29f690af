// The per-cell attribute overrides in two levels of sparse arrays.
#include "components/table/tablecellstore.h"

#include <cassert>
#include <utility>
#include <vector>

#include "components/core/cellancestor.h"

namespace tess {

struct TOvcTableCells::Row {
  TOvcSparseArray Cols;  // items: owned TOvcCellOverride
};

namespace {
TOvcCellOverride* RecordIn(const TOvcSparseArray& A, int32_t I) {
  return static_cast<TOvcCellOverride*>(A.GetItem(I));
}
}  // namespace

TOvcTableCells::TOvcTableCells() = default;

TOvcTableCells::~TOvcTableCells() {
  OnChange = nullptr;
  Clear();
}

TOvcTableCells::Row* TOvcTableCells::RowAt(int32_t RowNum) const {
  if (!InRange(RowNum) || RowNum >= rows_.Count()) return nullptr;
  return static_cast<Row*>(rows_.GetItem(RowNum));
}

const TOvcCellOverride* TOvcTableCells::GetAttributes(int32_t RowNum, int32_t ColNum) const {
  const Row* R = RowAt(RowNum);
  if (!R || !InRange(ColNum) || ColNum >= R->Cols.Count()) return nullptr;
  return RecordIn(R->Cols, ColNum);
}

TOvcTableCellAncestor* TOvcTableCells::GetCell(int32_t RowNum, int32_t ColNum) const {
  const TOvcCellOverride* O = GetAttributes(RowNum, ColNum);
  return O ? O->Cell : nullptr;
}

void TOvcTableCells::FreeRecord(TOvcCellOverride* R) {
  std::unique_ptr<TOvcCellOverride> Gone(R);
  --count_;
  assert(count_ >= 0);
  if (Gone->Cell && OnCellUse) OnCellUse(Gone->Cell, -1);
}

void TOvcTableCells::FreeRow(Row* R) {
  std::unique_ptr<Row> Gone(R);
  Gone->Cols.Iterate(
      [this](int32_t, void* Item) {
        FreeRecord(static_cast<TOvcCellOverride*>(Item));
        return true;
      },
      false);
}

void TOvcTableCells::SetAttributes(int32_t RowNum, int32_t ColNum, TOvcCellOverride Record) {
  if (!InRange(RowNum) || !InRange(ColNum)) return;
  if (Record.Cell && OnAcceptCell && !OnAcceptCell(Record.Cell)) return;
  if (OnChanging) OnChanging(RowNum, ColNum);
  Row* R = RowAt(RowNum);
  if (TOvcCellOverride* Old = R ? RecordIn(R->Cols, ColNum) : nullptr) {
    R->Cols.SetItem(ColNum, nullptr);
    FreeRecord(Old);
  }
  if (!Record.IsDefault()) {
    if (!R) {
      auto New = std::make_unique<Row>();
      R = New.get();
      rows_.SetItem(RowNum, New.release());
    }
    auto Rec = std::make_unique<TOvcCellOverride>(std::move(Record));
    if (Rec->Cell && OnCellUse) OnCellUse(Rec->Cell, +1);
    R->Cols.SetItem(ColNum, Rec.release());
    ++count_;
  } else if (R && R->Cols.Count() == 0) {
    rows_.SetItem(RowNum, nullptr);
    FreeRow(R);
  }
  Changed();
}

void TOvcTableCells::ResetAttributes(int32_t RowNum, int32_t ColNum) {
  if (GetAttributes(RowNum, ColNum)) SetAttributes(RowNum, ColNum, TOvcCellOverride{});
}

void TOvcTableCells::MakeRoom(TOvcSparseArray& A, bool Outer) {
  constexpr int32_t Last = TOvcSparseArray::MaxIndex;
  if (A.Count() <= Last) return;
  void* Item = A.GetItem(Last);
  A.SetItem(Last, nullptr);
  if (Outer)
    FreeRow(static_cast<Row*>(Item));
  else
    FreeRecord(static_cast<TOvcCellOverride*>(Item));
}

void TOvcTableCells::InsertRow(int32_t RowNum) {
  if (count_ == 0 || !InRange(RowNum)) return;
  MakeRoom(rows_, true);
  rows_.InsertItem(RowNum, nullptr);
  Changed();
}

void TOvcTableCells::DeleteRow(int32_t RowNum) {
  if (count_ == 0 || !InRange(RowNum)) return;
  if (Row* R = RowAt(RowNum)) FreeRow(R);
  rows_.DeleteItem(RowNum);
  Changed();
}

void TOvcTableCells::ExchangeRows(int32_t RowNum1, int32_t RowNum2) {
  if (count_ == 0 || RowNum1 == RowNum2 || RowNum1 < 0 || RowNum2 < 0) return;
  if (InRange(RowNum1) && InRange(RowNum2)) {
    rows_.ExchangeItems(RowNum1, RowNum2);
  } else {
    // The record that would move beyond the stored rows is lost.
    const int32_t In = InRange(RowNum1) ? RowNum1 : RowNum2;
    if (!InRange(In)) return;
    if (Row* R = RowAt(In)) {
      rows_.SetItem(In, nullptr);
      FreeRow(R);
    }
  }
  Changed();
}

void TOvcTableCells::InsertCol(int32_t ColNum) {
  if (count_ == 0 || !InRange(ColNum)) return;
  rows_.Iterate(
      [&](int32_t, void* Item) {
        TOvcSparseArray& Cols = static_cast<Row*>(Item)->Cols;
        MakeRoom(Cols, false);
        Cols.InsertItem(ColNum, nullptr);
        return true;
      },
      false);
  Changed();
}

void TOvcTableCells::DeleteCol(int32_t ColNum) {
  if (count_ == 0 || !InRange(ColNum)) return;
  rows_.Iterate(
      [&](int32_t, void* Item) {
        TOvcSparseArray& Cols = static_cast<Row*>(Item)->Cols;
        if (ColNum < Cols.Count()) {
          if (TOvcCellOverride* O = RecordIn(Cols, ColNum)) FreeRecord(O);
          Cols.DeleteItem(ColNum);
        }
        return true;
      },
      false);
  Changed();
}

void TOvcTableCells::ExchangeCols(int32_t ColNum1, int32_t ColNum2) {
  if (count_ == 0 || ColNum1 == ColNum2 || ColNum1 < 0 || ColNum2 < 0) return;
  const bool Both = InRange(ColNum1) && InRange(ColNum2);
  const int32_t In = InRange(ColNum1) ? ColNum1 : ColNum2;
  if (!InRange(In)) return;
  rows_.Iterate(
      [&](int32_t, void* Item) {
        TOvcSparseArray& Cols = static_cast<Row*>(Item)->Cols;
        if (Both) {
          Cols.ExchangeItems(ColNum1, ColNum2);
        } else if (In < Cols.Count()) {
          if (TOvcCellOverride* O = RecordIn(Cols, In)) {
            Cols.SetItem(In, nullptr);
            FreeRecord(O);
          }
        }
        return true;
      },
      false);
  Changed();
}

bool TOvcTableCells::RemoveCellRefs(const TComponent* Cell) {
  if (count_ == 0 || !Cell) return false;
  std::vector<std::pair<int32_t, int32_t>> Emptied;
  bool Named = false;
  rows_.Iterate(
      [&](int32_t RowNum, void* Item) {
        static_cast<Row*>(Item)->Cols.Iterate(
            [&](int32_t ColNum, void* Rec) {
              auto* O = static_cast<TOvcCellOverride*>(Rec);
              if (O->Cell && static_cast<const TComponent*>(O->Cell) == Cell) {
                TOvcTableCellAncestor* Gone = O->Cell;
                Named = true;
                O->Cell = nullptr;
                if (OnCellUse) OnCellUse(Gone, -1);
                if (O->IsDefault()) Emptied.push_back({RowNum, ColNum});
              }
              return true;
            },
            false);
        return true;
      },
      false);
  // Tidying after a cell that went: no change of the owner's to announce.
  for (auto [R, C] : Emptied) {
    TNotifyEvent Keep = std::exchange(OnChange, nullptr);
    auto KeepChanging = std::exchange(OnChanging, nullptr);
    ResetAttributes(R, C);
    OnChange = std::move(Keep);
    OnChanging = std::move(KeepChanging);
  }
  Changed();
  return Named;
}

void TOvcTableCells::Clear() {
  if (count_ == 0 && rows_.Count() == 0) return;
  if (OnChanging) OnChanging(-1, -1);
  rows_.Iterate(
      [this](int32_t, void* Item) {
        FreeRow(static_cast<Row*>(Item));
        return true;
      },
      false);
  rows_.Clear();
  assert(count_ == 0);
  Changed();
}

void TOvcTableCells::Changed() {
  // Rows emptied by deletes or exchanges of columns are dropped so that no row array is
  // left without a record.
  std::vector<int32_t> Empty;
  rows_.Iterate(
      [&](int32_t I, void* Item) {
        if (static_cast<Row*>(Item)->Cols.Count() == 0) Empty.push_back(I);
        return true;
      },
      false);
  for (int32_t I : Empty) {
    std::unique_ptr<Row> Gone(static_cast<Row*>(rows_.GetItem(I)));
    rows_.SetItem(I, nullptr);
  }
  if (OnChange) OnChange(this);
}

}  // namespace tess
