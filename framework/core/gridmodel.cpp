// Grid axes and cells (see gridmodel.h).
#include "framework/core/gridmodel.h"

#include <algorithm>
#include <cassert>

namespace tess {

namespace {

[[noreturn]] void GridIndexError(int32_t Index) {
  throw EListError(Format("Grid index out of range (%d)", static_cast<int>(Index)));
}

// Moves element From to To in V, shifting the ones between.
template <class T>
void MoveElement(std::vector<T>& V, size_t From, size_t To) {
  if (From == To) return;
  if (From < To)
    std::rotate(V.begin() + From, V.begin() + From + 1, V.begin() + To + 1);
  else
    std::rotate(V.begin() + To, V.begin() + From, V.begin() + From + 1);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TGridAxis
// ---------------------------------------------------------------------------------------

// What the header promises of an axis.
void TGridAxis::AssertInvariant() const {
  assert(fixed_ >= 0 && fixed_ <= count_ && first_ >= fixed_ &&
         first_ < std::max(count_, fixed_ + 1) &&
         (sizes_.empty() || sizes_.size() == static_cast<size_t>(count_)));
}

void TGridAxis::CheckIndex(int32_t Index) const {
  if (Index < 0 || Index >= count_) GridIndexError(Index);
}

void TGridAxis::SetCount(int32_t Value) {
  Value = std::max(Value, 0);
  if (!sizes_.empty()) sizes_.resize(static_cast<size_t>(Value), default_);
  count_ = Value;
  if (fixed_ > count_) fixed_ = count_;
  first_ = std::clamp(first_, fixed_, std::max(fixed_, count_ - 1));
  AssertInvariant();
}

void TGridAxis::SetFixed(int32_t Value) {
  if (Value < 0 || (Value >= count_ && Value > 0))
    throw EInvalidOperation("Fixed column count must be less than column count");
  fixed_ = Value;
  first_ = std::clamp(first_, fixed_, std::max(fixed_, count_ - 1));
  AssertInvariant();
}

void TGridAxis::SetFirst(int32_t Value) {
  first_ = std::clamp(Value, fixed_, std::max(fixed_, count_ - 1));
}

void TGridAxis::SetDefaultSize(int32_t Value) {
  default_ = std::max(Value, 0);
  sizes_.clear();
}

int32_t TGridAxis::Size(int32_t Index) const {
  if (Index < 0 || Index >= count_) return default_;
  return sizes_.empty() ? default_ : sizes_[static_cast<size_t>(Index)];
}

void TGridAxis::SetSize(int32_t Index, int32_t Value) {
  CheckIndex(Index);
  Value = std::max(Value, 0);
  if (sizes_.empty()) {
    if (Value == default_) return;
    sizes_.assign(static_cast<size_t>(count_), default_);
  }
  sizes_[static_cast<size_t>(Index)] = Value;
}

void TGridAxis::Move(int32_t From, int32_t To) {
  CheckIndex(From);
  CheckIndex(To);
  if (!sizes_.empty()) MoveElement(sizes_, static_cast<size_t>(From), static_cast<size_t>(To));
}

void TGridAxis::Delete(int32_t Index) {
  CheckIndex(Index);
  if (!sizes_.empty()) sizes_.erase(sizes_.begin() + Index);
  --count_;
  if (fixed_ > count_) fixed_ = count_;
  first_ = std::clamp(first_, fixed_, std::max(fixed_, count_ - 1));
  AssertInvariant();
}

int64_t TGridAxis::Extent(int32_t From, int32_t To, int32_t LineWidth) const {
  From = std::max(From, 0);
  To = std::min(To, count_);
  if (To <= From) return 0;
  if (sizes_.empty()) return int64_t{To - From} * (int64_t{default_} + LineWidth);
  int64_t sum = 0;
  for (int32_t i = From; i < To; ++i) sum += int64_t{sizes_[static_cast<size_t>(i)]} + LineWidth;
  return sum;
}

namespace {

// A pixel position on the screen: one far past the client area stays far past it.
int32_t ClampPixels(int64_t V) {
  return static_cast<int32_t>(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX));
}

}  // namespace

int32_t TGridAxis::FixedExtent(int32_t LineWidth) const {
  return ClampPixels(Extent(0, fixed_, LineWidth));
}

int32_t TGridAxis::Start(int32_t Index, int32_t LineWidth) const {
  if (Index < fixed_) return ClampPixels(Extent(0, Index, LineWidth));
  if (Index < first_) return -1;
  return ClampPixels(int64_t{FixedExtent(LineWidth)} + Extent(first_, Index, LineWidth));
}

int32_t TGridAxis::IndexAt(int32_t Pos, int32_t LineWidth, int32_t ClientExtent) const {
  if (Pos < 0 || Pos >= ClientExtent) return -1;
  int64_t x = 0;
  for (int32_t i = 0; i < fixed_; ++i) {
    x += int64_t{Size(i)} + LineWidth;
    if (Pos < x) return i;
  }
  for (int32_t i = first_; i < count_ && x < ClientExtent; ++i) {
    x += int64_t{Size(i)} + LineWidth;
    if (Pos < x) return i;
  }
  return -1;
}

int32_t TGridAxis::VisibleCount(int32_t LineWidth, int32_t ClientExtent) const {
  int64_t x = FixedExtent(LineWidth);
  int32_t n = 0;
  for (int32_t i = first_; i < count_; ++i) {
    x += int64_t{Size(i)} + LineWidth;
    if (x > ClientExtent) break;
    ++n;
  }
  return std::max(n, first_ < count_ ? 1 : 0);
}

int32_t TGridAxis::LastVisible(int32_t LineWidth, int32_t ClientExtent) const {
  int64_t x = FixedExtent(LineWidth);
  int32_t last = first_;
  for (int32_t i = first_; i < count_ && x < ClientExtent; ++i) {
    last = i;
    x += int64_t{Size(i)} + LineWidth;
  }
  return last;
}

int32_t TGridAxis::FirstShowing(int32_t Index, int32_t LineWidth, int32_t ClientExtent) const {
  if (Index < fixed_ || Index >= count_) return first_;
  if (Index <= first_) return Index;
  int64_t room = int64_t{ClientExtent} - FixedExtent(LineWidth);
  int64_t used = int64_t{Size(Index)} + LineWidth;
  int32_t first = Index;
  while (first > first_) {
    int64_t more = used + Size(first - 1) + LineWidth;
    if (more > room) break;
    used = more;
    --first;
  }
  return first;
}

int32_t TGridAxis::MaxFirst(int32_t LineWidth, int32_t ClientExtent) const {
  int64_t room = int64_t{ClientExtent} - FixedExtent(LineWidth);
  int32_t first = count_ - 1;
  int64_t used = 0;
  while (first >= fixed_) {
    used += int64_t{Size(first)} + LineWidth;
    if (used > room) break;
    --first;
  }
  return std::clamp(first + 1, fixed_, std::max(fixed_, count_ - 1));
}

// ---------------------------------------------------------------------------------------
// TGridCells
// ---------------------------------------------------------------------------------------

TGridCells::TGridCells(int32_t ColCount, int32_t RowCount)
    : col_count_(std::max(ColCount, 0)), rows_(static_cast<size_t>(std::max(RowCount, 0))) {}

void TGridCells::CheckCol(int32_t Col) const {
  if (Col < 0 || Col >= col_count_) GridIndexError(Col);
}

void TGridCells::CheckRow(int32_t Row) const {
  if (Row < 0 || Row >= RowCount()) GridIndexError(Row);
}

void TGridCells::SetSize(int32_t ColCount, int32_t RowCount) {
  ColCount = std::max(ColCount, 0);
  RowCount = std::max(RowCount, 0);
  rows_.resize(static_cast<size_t>(RowCount));
  if (ColCount < col_count_) {
    for (TRow& r : rows_)
      if (r.size() > static_cast<size_t>(ColCount)) r.resize(static_cast<size_t>(ColCount));
  }
  col_count_ = ColCount;
}

const std::string& TGridCells::Cell(int32_t Col, int32_t Row) const {
  static const std::string empty;
  if (Row < 0 || Row >= RowCount() || Col < 0) return empty;
  const TRow& r = rows_[static_cast<size_t>(Row)];
  return static_cast<size_t>(Col) < r.size() ? r[static_cast<size_t>(Col)].Text : empty;
}

void TGridCells::SetCell(int32_t Col, int32_t Row, std::string Text) {
  CheckCol(Col);
  CheckRow(Row);
  TRow& r = rows_[static_cast<size_t>(Row)];
  if (r.size() <= static_cast<size_t>(Col)) {
    if (Text.empty()) return;
    r.resize(static_cast<size_t>(Col) + 1);
  }
  r[static_cast<size_t>(Col)].Text = std::move(Text);
}

TObject* TGridCells::Object(int32_t Col, int32_t Row) const {
  if (Row < 0 || Row >= RowCount() || Col < 0) return nullptr;
  const TRow& r = rows_[static_cast<size_t>(Row)];
  return static_cast<size_t>(Col) < r.size() ? r[static_cast<size_t>(Col)].Object : nullptr;
}

void TGridCells::SetObject(int32_t Col, int32_t Row, TObject* Value) {
  CheckCol(Col);
  CheckRow(Row);
  TRow& r = rows_[static_cast<size_t>(Row)];
  if (r.size() <= static_cast<size_t>(Col)) {
    if (!Value) return;
    r.resize(static_cast<size_t>(Col) + 1);
  }
  r[static_cast<size_t>(Col)].Object = Value;
}

void TGridCells::MoveRow(int32_t From, int32_t To) {
  CheckRow(From);
  CheckRow(To);
  MoveElement(rows_, static_cast<size_t>(From), static_cast<size_t>(To));
}

void TGridCells::MoveColumn(int32_t From, int32_t To) {
  CheckCol(From);
  CheckCol(To);
  if (From == To) return;
  for (TRow& r : rows_) {
    size_t need = static_cast<size_t>(std::max(From, To)) + 1;
    if (r.size() < need) {
      // A short row only changes when the moving cell holds something.
      if (static_cast<size_t>(From) >= r.size()) {
        if (static_cast<size_t>(To) < r.size()) r.insert(r.begin() + To, TCell{});
        continue;
      }
      r.resize(need);
    }
    MoveElement(r, static_cast<size_t>(From), static_cast<size_t>(To));
  }
}

void TGridCells::DeleteRow(int32_t Index) {
  CheckRow(Index);
  rows_.erase(rows_.begin() + Index);
}

void TGridCells::DeleteColumn(int32_t Index) {
  CheckCol(Index);
  for (TRow& r : rows_)
    if (static_cast<size_t>(Index) < r.size()) r.erase(r.begin() + Index);
  --col_count_;
}

void TGridCells::ClearRow(int32_t Index) {
  CheckRow(Index);
  rows_[static_cast<size_t>(Index)].clear();
}

void TGridCells::ClearColumn(int32_t Index) {
  CheckCol(Index);
  for (TRow& r : rows_)
    if (static_cast<size_t>(Index) < r.size()) r[static_cast<size_t>(Index)] = TCell{};
}

void TGridCells::Clear() {
  for (TRow& r : rows_) r.clear();
}

void TGridCells::PermuteRows(int32_t First, const std::vector<int32_t>& Order) {
  size_t n = Order.size();
  if (First < 0 || static_cast<size_t>(First) + n > rows_.size())
    GridIndexError(First + static_cast<int32_t>(n));
  std::vector<bool> seen(n, false);
  for (int32_t i : Order) {
    if (i < 0 || static_cast<size_t>(i) >= n || seen[static_cast<size_t>(i)])
      throw EListError("Row order is not a permutation");
    seen[static_cast<size_t>(i)] = true;
  }
  std::vector<TRow> moved(n);
  for (size_t i = 0; i < n; ++i) moved[i] = std::move(rows_[static_cast<size_t>(First + Order[i])]);
  for (size_t i = 0; i < n; ++i) rows_[static_cast<size_t>(First) + i] = std::move(moved[i]);
}

TGridCells::TRow& TGridCells::Row(int32_t Index) {
  CheckRow(Index);
  return rows_[static_cast<size_t>(Index)];
}

const TGridCells::TRow& TGridCells::Row(int32_t Index) const {
  CheckRow(Index);
  return rows_[static_cast<size_t>(Index)];
}

}  // namespace tess
