// The integer list (see integerlist.h).
#include "components/lists/integerlist.h"

#include <algorithm>
#include <cassert>

namespace tess {

void TIntegerList::CheckIndex(int32_t Index, int32_t Limit) const {
  if (Index < 0 || Index > Limit)
    throw EListError(Format("List index out of bounds (%d)", static_cast<int>(Index)));
}

void TIntegerList::CheckRange(int32_t Value) const {
  if (min_ != max_ && (Value < min_ || Value > max_))
    throw EOutOfRange(Format("Value must be within %d..%d", static_cast<int>(min_),
                             static_cast<int>(max_)));
}

int32_t TIntegerList::Get(int32_t Index) const {
  CheckIndex(Index, Count() - 1);
  return items_[static_cast<size_t>(Index)];
}

void TIntegerList::Put(int32_t Index, int32_t Value) {
  CheckIndex(Index, Count() - 1);
  CheckRange(Value);
  if (!sorted_) {
    items_[static_cast<size_t>(Index)] = Value;
    return;
  }
  int32_t old = items_[static_cast<size_t>(Index)];
  items_.erase(items_.begin() + Index);
  try {
    Add(Value);
  } catch (...) {
    items_.insert(items_.begin() + Index, old);
    throw;
  }
}

int32_t TIntegerList::Add(int32_t Value) {
  if (!sorted_) {
    Insert(Count(), Value);
    return Count() - 1;
  }
  CheckRange(Value);
  auto lo = std::lower_bound(items_.begin(), items_.end(), Value);
  if (lo != items_.end() && *lo == Value) {
    if (duplicates_ == dupIgnore) return static_cast<int32_t>(lo - items_.begin());
    if (duplicates_ == dupError) throw EListError("List does not allow duplicates");
  }
  auto at = std::upper_bound(lo, items_.end(), Value);
  int32_t index = static_cast<int32_t>(at - items_.begin());
  items_.insert(at, Value);
  assert(std::is_sorted(items_.begin(), items_.end()));
  return index;
}

void TIntegerList::AddIntegers(const TIntegerList* Source) {
  if (!Source || Source == this) {
    if (Source) {
      std::vector<int32_t> copy = items_;
      for (int32_t v : copy) Add(v);
    }
    return;
  }
  for (int32_t v : Source->items_) Add(v);
}

void TIntegerList::Insert(int32_t Index, int32_t Value) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index, Count());
  CheckRange(Value);
  items_.insert(items_.begin() + Index, Value);
}

void TIntegerList::Delete(int32_t Index) {
  CheckIndex(Index, Count() - 1);
  items_.erase(items_.begin() + Index);
}

void TIntegerList::Clear() {
  items_.clear();
}

void TIntegerList::Exchange(int32_t Index1, int32_t Index2) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  CheckIndex(Index1, Count() - 1);
  CheckIndex(Index2, Count() - 1);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TIntegerList::Move(int32_t CurIndex, int32_t NewIndex) {
  if (sorted_) throw EListError("Operation not allowed on sorted list");
  CheckIndex(CurIndex, Count() - 1);
  CheckIndex(NewIndex, Count() - 1);
  int32_t v = items_[static_cast<size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, v);
}

int32_t TIntegerList::IndexOf(int32_t Value) const {
  if (sorted_) {
    auto it = std::lower_bound(items_.begin(), items_.end(), Value);
    return (it != items_.end() && *it == Value) ? static_cast<int32_t>(it - items_.begin()) : -1;
  }
  auto it = std::find(items_.begin(), items_.end(), Value);
  return it == items_.end() ? -1 : static_cast<int32_t>(it - items_.begin());
}

void TIntegerList::Sort() {
  if (!sorted_ && Count() > 1) std::sort(items_.begin(), items_.end());
}

void TIntegerList::SetSorted(bool Value) {
  if (sorted_ == Value) return;
  if (Value) {
    Sort();
    // The duplicates rule holds for what is already there too.
    if (duplicates_ != dupAccept &&
        std::adjacent_find(items_.begin(), items_.end()) != items_.end()) {
      if (duplicates_ == dupError) throw EListError("List does not allow duplicates");
      items_.erase(std::unique(items_.begin(), items_.end()), items_.end());
    }
  }
  sorted_ = Value;
}

void TIntegerList::SetMin(int32_t Value) {
  if (Value == min_) return;
  for (int32_t v : items_)
    if (v < Value)
      throw EOutOfRange(Format("Unable to set new minimum value.\rList contains values below %d",
                               static_cast<int>(Value)));
  min_ = Value;
  if (max_ < min_) max_ = min_;
}

void TIntegerList::SetMax(int32_t Value) {
  if (Value == max_) return;
  for (int32_t v : items_)
    if (v > Value)
      throw EOutOfRange(Format("Unable to set new maximum value.\rList contains values above %d",
                               static_cast<int>(Value)));
  max_ = Value;
  if (min_ > max_) min_ = max_;
}

void TIntegerList::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TIntegerList*>(Source)) {
    if (other == this) return;
    Clear();
    AddIntegers(other);
    return;
  }
  TPersistent::Assign(Source);
}

void TIntegerList::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Min", [this](TReader* R) { SetMin(R->ReadInteger()); },
      [this](TWriter* W) { W->WriteInteger(min_); }, min_ != 0);
  Filer->DefineProperty(
      "Max", [this](TReader* R) { SetMax(R->ReadInteger()); },
      [this](TWriter* W) { W->WriteInteger(max_); }, max_ != 0);
  Filer->DefineProperty(
      "Integers",
      [this](TReader* R) {
        Clear();
        R->ReadListBegin();
        while (!R->EndOfList()) Add(R->ReadInteger());
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (int32_t v : items_) W->WriteInteger(v);
        W->WriteListEnd();
      },
      !items_.empty());
}

}  // namespace tess
