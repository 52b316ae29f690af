// Row heights and hidden flags in a sparse array of records; the column list.
#include "components/table/tablerows.h"

#include <algorithm>
#include <cassert>

#include "components/core/cellancestor.h"
#include "components/core/exceptions.h"

namespace tess {

namespace {
constexpr uint16_t RowOutOfBounds = 34223;
constexpr uint16_t TooManyColumns = 34221;

int32_t Scaled(int32_t V, int M, int D) {
  return static_cast<int32_t>((int64_t{V} * M + (D / 2)) / D);
}
}  // namespace

// ---- rows -----------------------------------------------------------------------------

TOvcTableRows::TOvcTableRows() = default;
TOvcTableRows::~TOvcTableRows() {
  FreeAll();
}

// The sparse array's slots own the records.
void TOvcTableRows::FreeAll() {
  records_.Iterate(
      [](int32_t, void* P) {
        std::unique_ptr<TRowRecord> Gone(static_cast<TRowRecord*>(P));
        return true;
      },
      false);
  records_.Clear();
  stored_ = 0;
}

void TOvcTableRows::Check(int32_t RowNum) const {
  if (RowNum < 0 || RowNum >= count_) RaiseTableError(RowOutOfBounds);
}

// Rows from 320000 on are never stored: they read as default rows.
TOvcTableRows::TRowRecord* TOvcTableRows::Record(int32_t RowNum) const {
  if (RowNum >= StoredRowLimit || stored_ == 0) return nullptr;
  return static_cast<TRowRecord*>(records_.GetItem(RowNum));
}

void TOvcTableRows::Store(int32_t RowNum, const TRowRecord& R) {
  if (RowNum >= StoredRowLimit) return;
  if (TRowRecord* Old = Record(RowNum)) {
    *Old = R;
    return;
  }
  auto New = std::make_unique<TRowRecord>(R);
  records_.SetItem(RowNum, New.get());
  New.release();  // owned by the sparse array's slot until Drop or the destructor
  ++stored_;
}

void TOvcTableRows::Drop(int32_t RowNum) {
  TRowRecord* R = Record(RowNum);
  if (!R) return;
  records_.SetItem(RowNum, nullptr);
  std::unique_ptr<TRowRecord> Gone(R);
  --stored_;
}

int32_t TOvcTableRows::Normalised(int32_t Height) const {
  return (Height < 1 || Height == default_height_) ? -1 : Height;
}

void TOvcTableRows::Changed(int32_t R1, int32_t R2, TOvcTblActions A) {
  if (OnRowChanged) OnRowChanged(this, R1, R2, A);
}

void TOvcTableRows::Changing(int32_t R1, int32_t R2, TOvcTblActions A) {
  if (OnRowChanging) OnRowChanging(this, R1, R2, A);
}

void TOvcTableRows::Clear() {
  FreeAll();
  Changed(0, 0, TOvcTblActions::taAll);
}

void TOvcTableRows::GetRow(int32_t RowNum, TRowStyle& RowStyle) const {
  Check(RowNum);
  const TRowRecord* R = Record(RowNum);
  RowStyle.Height = (!R || R->Height == -1) ? default_height_ : R->Height;
  RowStyle.Hidden = R && R->Hidden;
}

bool TOvcTableRows::GetHidden(int32_t RowNum) const {
  Check(RowNum);
  const TRowRecord* R = Record(RowNum);
  return R && R->Hidden;
}

int32_t TOvcTableRows::GetHeight(int32_t RowNum) const {
  TRowStyle S;
  GetRow(RowNum, S);
  return S.Height;
}

void TOvcTableRows::IterateRecords(
    const std::function<void(int32_t RowNum, const TRowStyle& Style)>& Action) const {
  records_.Iterate(
      [&](int32_t Index, void* Item) {
        const auto* R = static_cast<const TRowRecord*>(Item);
        Action(Index, TRowStyle{R->Height, R->Hidden});
        return true;
      },
      false);
}

bool TOvcTableRows::HasRecord(int32_t RowNum) const {
  Check(RowNum);
  return Record(RowNum) != nullptr;
}

void TOvcTableRows::SetRow(int32_t RowNum, const TRowStyle& RowStyle) {
  Check(RowNum);
  if (RowNum >= StoredRowLimit) return;  // stays a default row: nothing changes
  const int32_t H = Normalised(RowStyle.Height);
  if (RowStyle.Hidden && !ExtentHidden(RowNum)) Changing(RowNum, 0, TOvcTblActions::taSingle);
  if (!RowStyle.Hidden && H == -1) {
    ResetRow(RowNum);
    return;
  }
  Store(RowNum, TRowRecord{H, RowStyle.Hidden});
  Changed(RowNum, 0, TOvcTblActions::taSingle);
}

void TOvcTableRows::SetHeight(int32_t RowNum, int32_t Height) {
  Check(RowNum);
  if (RowNum >= StoredRowLimit) return;
  const int32_t H = Normalised(Height);
  TRowRecord* R = Record(RowNum);
  if (R) {
    if (R->Height == H) return;
    if (H == -1 && !R->Hidden)
      Drop(RowNum);
    else
      R->Height = H;
  } else {
    if (H == -1) return;
    Store(RowNum, TRowRecord{H, false});
  }
  Changed(RowNum, 0, TOvcTblActions::taSingle);
}

void TOvcTableRows::SetHidden(int32_t RowNum, bool Hidden) {
  TRowStyle S;
  GetRow(RowNum, S);
  if (S.Hidden == Hidden) return;
  S.Hidden = Hidden;
  SetRow(RowNum, S);
}

void TOvcTableRows::ResetRow(int32_t RowNum) {
  Check(RowNum);
  if (!Record(RowNum)) return;
  Drop(RowNum);
  Changed(RowNum, 0, TOvcTblActions::taSingle);
}

// At the least count the row's record still goes and the rows above move down: a default
// row takes the last place.
void TOvcTableRows::Delete(int32_t RowNum) {
  Check(RowNum);
  Changing(RowNum, 0, TOvcTblActions::taDelete);
  if (RowNum < StoredRowLimit) {
    Drop(RowNum);
    records_.DeleteItem(RowNum);
  }
  if (count_ > least_count_) --count_;
  Changed(-2, 0, TOvcTblActions::taCount);
  Changed(RowNum, 0, TOvcTblActions::taDelete);
}

// A row from 320000 on cannot hold a record: exchanged with it, a stored row becomes a
// default row.
void TOvcTableRows::Exchange(int32_t RowNum1, int32_t RowNum2) {
  Check(RowNum1);
  Check(RowNum2);
  if (RowNum1 == RowNum2) return;
  Changing(RowNum1, RowNum2, TOvcTblActions::taExchange);
  if (RowNum1 < StoredRowLimit && RowNum2 < StoredRowLimit) {
    records_.ExchangeItems(RowNum1, RowNum2);
  } else {
    Drop(RowNum1 < StoredRowLimit ? RowNum1 : RowNum2);
  }
  Changed(RowNum1, RowNum2, TOvcTblActions::taExchange);
}

void TOvcTableRows::Rescale(int M, int D) {
  if (D == 0) return;
  default_height_ = std::max(1, Scaled(default_height_, M, D));
  records_.Iterate(
      [&](int32_t, void* P) {
        auto* R = static_cast<TRowRecord*>(P);
        if (R->Height != -1) R->Height = Scaled(R->Height, M, D);
        return true;
      },
      false);
}

void TOvcTableRows::SetDefaultHeight(int32_t Value) {
  if (Value < 1 || Value == default_height_) return;
  default_height_ = Value;
  Changed(0, 0, TOvcTblActions::taAll);
}

void TOvcTableRows::SetCount(int32_t Value) {
  Value = std::max(Value, least_count_);
  if (Value == count_) return;
  Changing(-2, 0, TOvcTblActions::taCount);
  // Records of rows that go would come back if the count grew again.
  std::vector<int32_t> Gone;
  records_.Iterate([&](int32_t I, void*) { return I >= Value && (Gone.push_back(I), true); }, true);
  for (int32_t R : Gone) Drop(R);
  count_ = Value;
  Changed(-2, 0, TOvcTblActions::taCount);
}

int32_t TOvcTableRows::ExtentSize(int32_t N) const {
  const TRowRecord* R = Record(N);
  return (!R || R->Height == -1) ? default_height_ : R->Height;
}

bool TOvcTableRows::ExtentHidden(int32_t N) const {
  const TRowRecord* R = Record(N);
  return R && R->Hidden;
}

// ---- columns --------------------------------------------------------------------------

void TOvcTableColumn::Assign(TPersistent* Source) {
  if (auto* C = dynamic_cast<TOvcTableColumn*>(Source)) {
    if (C->hidden_ && !hidden_ && list_) list_->Changing(number_, 0, TOvcTblActions::taSingle);
    width_ = C->width_;
    hidden_ = C->hidden_;
    SetDefaultCell(C->default_cell_);
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TOvcTableColumn::Changed() {
  if (on_change_) on_change_(nullptr, number_, 0, TOvcTblActions::taSingle);
}

void TOvcTableColumn::SetDefaultCell(TOvcTableCellAncestor* Cell) {
  if (Cell == default_cell_) return;
  if (list_) {
    if (!list_->Accepts(Cell)) return;
    list_->Changing(number_, 0, TOvcTblActions::taSingle);
  }
  TOvcTableCellAncestor* Old = default_cell_;
  default_cell_ = Cell;
  if (list_) {
    list_->CellUse(Old, -1);
    list_->CellUse(Cell, +1);
  }
  Changed();
}

void TOvcTableColumn::SetWidth(int32_t Value) {
  if (Value < 0 || Value == width_) return;
  width_ = Value;
  Changed();
}

void TOvcTableColumn::SetHidden(bool Value) {
  if (Value == hidden_) return;
  if (Value && list_) list_->Changing(number_, 0, TOvcTblActions::taSingle);
  hidden_ = Value;
  Changed();
}

TOvcTableColumns::TOvcTableColumns(int32_t Count) {
  for (int32_t I = 0; I < Count; ++I) {
    cols_.push_back(std::make_unique<TOvcTableColumn>());
    cols_.back()->number_ = I;
    cols_.back()->list_ = this;
  }
}

TOvcTableColumns::~TOvcTableColumns() = default;

void TOvcTableColumns::Changed(int32_t C1, int32_t C2, TOvcTblActions A) {
  if (on_change_) on_change_(this, C1, C2, A);
}

void TOvcTableColumns::Changing(int32_t C1, int32_t C2, TOvcTblActions A) {
  if (OnColumnChanging) OnColumnChanging(this, C1, C2, A);
}

bool TOvcTableColumns::Accepts(TOvcTableCellAncestor* Cell) const {
  return !Cell || !OnAcceptCell || OnAcceptCell(Cell);
}

void TOvcTableColumns::CellUse(TOvcTableCellAncestor* Cell, int Delta) {
  if (Cell && OnCellUse) OnCellUse(Cell, Delta);
}

void TOvcTableColumns::Renumber() {
  for (size_t I = 0; I < cols_.size(); ++I) cols_[I]->number_ = static_cast<int32_t>(I);
}

void TOvcTableColumns::Append(std::unique_ptr<TOvcTableColumn> Column) {
  if (Count() >= MaxColumns) RaiseTableError(TooManyColumns);
  if (!Column) return;
  if (!Accepts(Column->default_cell_)) Column->default_cell_ = nullptr;
  Changing(Count(), 0, TOvcTblActions::taInsert);
  Column->number_ = Count();
  Column->on_change_ = on_change_;
  Column->list_ = this;
  CellUse(Column->default_cell_, +1);
  cols_.push_back(std::move(Column));
  Changed(Count() - 1, 0, TOvcTblActions::taInsert);
}

void TOvcTableColumns::Delete(int32_t ColNum) {
  if (ColNum < 0 || ColNum >= Count() || Count() <= least_count_) return;
  Changing(ColNum, 0, TOvcTblActions::taDelete);
  CellUse(cols_[static_cast<size_t>(ColNum)]->default_cell_, -1);
  cols_.erase(cols_.begin() + ColNum);
  Renumber();
  Changed(ColNum, 0, TOvcTblActions::taDelete);
}

void TOvcTableColumns::Exchange(int32_t ColNum1, int32_t ColNum2) {
  if (ColNum1 == ColNum2 || ColNum1 < 0 || ColNum2 < 0 || ColNum1 >= Count() || ColNum2 >= Count())
    return;
  Changing(ColNum1, ColNum2, TOvcTblActions::taExchange);
  std::swap(cols_[static_cast<size_t>(ColNum1)], cols_[static_cast<size_t>(ColNum2)]);
  Renumber();
  Changed(ColNum1, ColNum2, TOvcTblActions::taExchange);
}

void TOvcTableColumns::Clear() {
  if (!cols_.empty()) Changing(0, 0, TOvcTblActions::taAll);
  for (auto& C : cols_) CellUse(C->default_cell_, -1);
  cols_.clear();
  Changed(0, 0, TOvcTblActions::taAll);
}

void TOvcTableColumns::SetCount(int32_t Value) {
  if (Value < least_count_ || Value == Count()) return;
  while (Count() < Value) Append(std::make_unique<TOvcTableColumn>());
  while (Count() > Value) Delete(Count() - 1);
}

TOvcTableColumn* TOvcTableColumns::GetColumn(int32_t ColNum) const {
  return (ColNum < 0 || ColNum >= Count()) ? nullptr : cols_[static_cast<size_t>(ColNum)].get();
}

TOvcTableCellAncestor* TOvcTableColumns::GetDefaultCell(int32_t ColNum) const {
  auto* C = GetColumn(ColNum);
  return C ? C->DefaultCell() : nullptr;
}

int32_t TOvcTableColumns::GetWidth(int32_t ColNum) const {
  auto* C = GetColumn(ColNum);
  return C ? C->Width() : 0;
}

void TOvcTableColumns::SetWidth(int32_t ColNum, int32_t Width) {
  if (auto* C = GetColumn(ColNum)) C->SetWidth(Width);
}

bool TOvcTableColumns::ExtentHidden(int32_t N) const {
  auto* C = GetColumn(N);
  return C && C->Hidden();
}

bool TOvcTableColumns::RemoveCell(const TComponent* Cell) {
  bool Named = false;
  for (auto& C : cols_)
    if (C->default_cell_ && static_cast<const TComponent*>(C->default_cell_) == Cell) {
      C->default_cell_ = nullptr;
      C->Changed();
      Named = true;
    }
  return Named;
}

void TOvcTableColumns::SetOnColumnChanged(TColChangeNotifyEvent Event) {
  on_change_ = std::move(Event);
  for (auto& C : cols_) C->on_change_ = on_change_;
}

}  // namespace tess
