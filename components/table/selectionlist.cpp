// Row ranges per column, kept coalesced, and the pending rectangle.
#include "components/table/selectionlist.h"

#include <algorithm>
#include <cassert>

namespace tess {

namespace {
#ifndef NDEBUG
bool Coalesced(const std::vector<TOvcSelectionList::TRowRange>& L) {
  for (size_t I = 0; I < L.size(); ++I) {
    if (L[I].First > L[I].Last) return false;
    if (I + 1 < L.size() && int64_t{L[I].Last} + 1 >= L[I + 1].First) return false;
  }
  return true;
}
#endif
}  // namespace

TOvcSelectionList::TOvcSelectionList(int32_t RowCount, int32_t ColCount) {
  SetRowCount(RowCount);
  SetColCount(ColCount);
}

void TOvcSelectionList::SetRowCount(int32_t Value) {
  if (Value < 0) return;
  row_count_ = Value;
  // Ranges beyond the new count would answer for rows that no longer exist.
  for (int32_t C = 0; C < ColCount(); ++C)
    if (cols_[static_cast<size_t>(C)]) RemoveRows(C, Value, INT32_MAX);
  if (!no_pending_ && (max_row_ >= Value)) no_pending_ = true;
}

void TOvcSelectionList::SetColCount(int32_t Value) {
  if (Value < 0) return;
  for (size_t C = static_cast<size_t>(Value); C < cols_.size(); ++C)
    if (cols_[C]) --used_;
  cols_.resize(static_cast<size_t>(Value));
  if (!no_pending_ && max_col_ >= Value) no_pending_ = true;
}

void TOvcSelectionList::Clear() {
  for (auto& L : cols_) L.reset();
  used_ = 0;
  no_pending_ = true;
}

bool TOvcSelectionList::Inside(int32_t Row, int32_t Col) const {
  return Row >= 0 && Row < row_count_ && Col >= 0 && Col < ColCount();
}

void TOvcSelectionList::AddRows(int32_t Col, int32_t First, int32_t Last) {
  auto& L = cols_[static_cast<size_t>(Col)];
  if (!L) {
    L = std::make_unique<RangeList>();
    L->reserve(16);
    ++used_;
  }
  RangeList& R = *L;
  if (R.size() == R.capacity()) R.reserve(R.size() + 16);
  // Every range that overlaps or touches [First, Last] joins it: those whose Last + 1 >=
  // First, up to the first whose First > Last + 1.
  auto Lo = std::lower_bound(R.begin(), R.end(), First, [](const TRowRange& X, int32_t F) {
    return int64_t{X.Last} + 1 < F;
  });
  auto Hi = Lo;
  TRowRange New{First, Last};
  while (Hi != R.end() && int64_t{Hi->First} <= int64_t{Last} + 1) {
    New.First = std::min(New.First, Hi->First);
    New.Last = std::max(New.Last, Hi->Last);
    ++Hi;
  }
  auto At = R.erase(Lo, Hi);
  R.insert(At, New);
  assert(Coalesced(R));
}

void TOvcSelectionList::RemoveRows(int32_t Col, int32_t First, int32_t Last) {
  auto& L = cols_[static_cast<size_t>(Col)];
  if (!L) return;
  RangeList& R = *L;
  if (R.size() == R.capacity()) R.reserve(R.size() + 16);  // a range may split in two
  // The first range that ends at or after First.
  auto It = std::lower_bound(R.begin(), R.end(), First,
                             [](const TRowRange& X, int32_t F) { return X.Last < F; });
  if (It != R.end() && It->First < First && It->Last > Last) {
    // The removed rows lie inside one range: it splits in two.
    TRowRange Tail{Last + 1, It->Last};
    It->Last = First - 1;
    R.insert(It + 1, Tail);
  } else {
    if (It != R.end() && It->First < First) {
      It->Last = First - 1;
      ++It;
    }
    auto End = It;
    while (End != R.end() && End->Last <= Last) ++End;
    It = R.erase(It, End);
    if (It != R.end() && It->First <= Last) It->First = Last + 1;
  }
  assert(Coalesced(R));
  if (R.empty()) {
    L.reset();
    --used_;
  }
}

void TOvcSelectionList::SelectRange(int32_t Row1, int32_t Col1, int32_t Row2, int32_t Col2) {
  if (!Inside(Row1, Col1) || !Inside(Row2, Col2)) return;
  const auto [R1, R2] = std::minmax(Row1, Row2);
  const auto [C1, C2] = std::minmax(Col1, Col2);
  for (int32_t C = C1; C <= C2; ++C) AddRows(C, R1, R2);
}

void TOvcSelectionList::DeselectRange(int32_t Row1, int32_t Col1, int32_t Row2, int32_t Col2) {
  if (!Inside(Row1, Col1) || !Inside(Row2, Col2)) return;
  const auto [R1, R2] = std::minmax(Row1, Row2);
  const auto [C1, C2] = std::minmax(Col1, Col2);
  for (int32_t C = C1; C <= C2; ++C) RemoveRows(C, R1, R2);
}

void TOvcSelectionList::SelectAll() {
  if (row_count_ == 0) return;
  for (auto& L : cols_) {
    if (!L) L = std::make_unique<RangeList>();
    L->assign(1, TRowRange{0, row_count_ - 1});
  }
  used_ = ColCount();
}

void TOvcSelectionList::StorePending() {
  if (no_pending_) return;
  if (pending_select_)
    SelectRange(min_row_, min_col_, max_row_, max_col_);
  else
    DeselectRange(min_row_, min_col_, max_row_, max_col_);
  no_pending_ = true;
}

void TOvcSelectionList::StartSelection(int32_t Row, int32_t Col, bool KeepExisting) {
  if (!Inside(Row, Col)) return;
  if (KeepExisting)
    StorePending();
  else
    Clear();
  anchor_row_ = cur_row_ = Row;
  anchor_col_ = cur_col_ = Col;
  no_pending_ = true;
}

void TOvcSelectionList::ExtendSelection(int32_t Row, int32_t Col, bool Select) {
  if (!Inside(Row, Col)) return;
  pending_select_ = Select;
  cur_row_ = Row;
  cur_col_ = Col;
  if (Row == anchor_row_ && Col == anchor_col_) {
    no_pending_ = true;
    return;
  }
  std::tie(min_row_, max_row_) = std::minmax(anchor_row_, Row);
  std::tie(min_col_, max_col_) = std::minmax(anchor_col_, Col);
  no_pending_ = false;
}

bool TOvcSelectionList::IsSelected(int32_t Row, int32_t Col) const {
  if (!Inside(Row, Col)) return false;
  if (!no_pending_ && Row >= min_row_ && Row <= max_row_ && Col >= min_col_ && Col <= max_col_)
    return pending_select_;
  const auto& L = cols_[static_cast<size_t>(Col)];
  if (!L) return false;
  auto It = std::lower_bound(L->begin(), L->end(), Row,
                             [](const TRowRange& X, int32_t R) { return X.Last < R; });
  return It != L->end() && It->First <= Row;
}

void TOvcSelectionList::Iterate(const TSelectionIterator& Action) {
  StorePending();
  for (int32_t C = 0; C < ColCount(); ++C) {
    const auto& L = cols_[static_cast<size_t>(C)];
    if (!L) continue;
    for (const TRowRange& R : *L)
      if (!Action(R.First, C, R.Last, C)) return;
  }
}

std::vector<TOvcSelectionList::TRowRange> TOvcSelectionList::Ranges(int32_t Col) const {
  if (Col < 0 || Col >= ColCount() || !cols_[static_cast<size_t>(Col)]) return {};
  return *cols_[static_cast<size_t>(Col)];
}

}  // namespace tess
