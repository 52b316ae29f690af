// The sparse array's pages and the shifting of items across them.
#include "components/table/sparsearray.h"

#include <algorithm>
#include <cassert>

#include "components/core/exceptions.h"

namespace tess {

namespace {
bool PageEmpty(const std::array<void*, TOvcSparseArray::PageSlots>& P) {
  return std::all_of(P.begin(), P.end(), [](void* X) { return X == nullptr; });
}
}  // namespace

TOvcSparseArray::TOvcSparseArray() { dir_.reserve(4); }
TOvcSparseArray::~TOvcSparseArray() = default;

void TOvcSparseArray::CheckIndex(int32_t Index) {
  if (Index < 0 || Index > MaxIndex) throw ESAEOutOfBounds();
}

// Lookups mostly go to the page of the last one or the next (a table reads its rows in
// order): those are tried before the binary search.  The hint is only a guess; the
// page number it is checked against keeps it right whatever changed since.
int TOvcSparseArray::FindPage(int32_t PageNum) const {
  const size_t N = dir_.size();
  for (size_t Pos : {hint_, hint_ + 1})
    if (Pos < N && dir_[Pos].Num == PageNum) return static_cast<int>(hint_ = Pos);
  auto It = std::lower_bound(dir_.begin(), dir_.end(), PageNum,
                             [](const Entry& E, int32_t N) { return E.Num < N; });
  if (It == dir_.end() || It->Num != PageNum) return -1;
  hint_ = static_cast<size_t>(It - dir_.begin());
  return static_cast<int>(hint_);
}

int TOvcSparseArray::FindOrAddPage(int32_t PageNum) {
  auto It = std::lower_bound(dir_.begin(), dir_.end(), PageNum,
                             [](const Entry& E, int32_t N) { return E.Num < N; });
  if (It == dir_.end() || It->Num != PageNum) {
    auto P = std::make_unique<Page>();
    P->fill(nullptr);
    It = dir_.insert(It, Entry{static_cast<uint16_t>(PageNum), std::move(P)});
  }
  return static_cast<int>(It - dir_.begin());
}

void TOvcSparseArray::DropEmptyPages() {
  std::erase_if(dir_, [](const Entry& E) { return PageEmpty(*E.P); });
}

void TOvcSparseArray::DropPageIfEmpty(int Pos) {
  if (PageEmpty(*dir_[static_cast<size_t>(Pos)].P)) dir_.erase(dir_.begin() + Pos);
}

// The last page is never empty, so its highest used slot gives Count in 32 steps.
void TOvcSparseArray::RecomputeCount() {
  count_ = 0;
  if (dir_.empty()) return;
  const Entry& Last = dir_.back();
  for (int S = PageSlots - 1; S >= 0; --S)
    if ((*Last.P)[static_cast<size_t>(S)]) {
      count_ = Last.Num * PageSlots + S + 1;
      return;
    }
  assert(false && "empty page left in the directory");
}

void* TOvcSparseArray::GetItem(int32_t Index) const {
  CheckIndex(Index);
  int Pos = FindPage(Index >> 5);
  return Pos < 0 ? nullptr : (*dir_[static_cast<size_t>(Pos)].P)[Index & 31];
}

void TOvcSparseArray::SetItem(int32_t Index, void* Item) {
  CheckIndex(Index);
  if (!Item) {
    // Only the written page can become empty: checking it alone keeps a bulk fill linear.
    int Pos = FindPage(Index >> 5);
    if (Pos < 0) return;
    (*dir_[static_cast<size_t>(Pos)].P)[Index & 31] = nullptr;
    DropPageIfEmpty(Pos);
    if (Index + 1 >= count_) RecomputeCount();
    return;
  }
  int Pos = FindOrAddPage(Index >> 5);
  (*dir_[static_cast<size_t>(Pos)].P)[Index & 31] = Item;
  count_ = std::max(count_, Index + 1);
}

void TOvcSparseArray::InsertItem(int32_t Index, void* Item) {
  CheckIndex(Index);
  if (count_ > MaxIndex) throw ESAEAtMaxSize();
  if (Index >= count_) {
    SetItem(Index, Item);
    return;
  }
  void* Carry = Item;
  size_t Slot = static_cast<size_t>(Index & 31);
  size_t Pos = static_cast<size_t>(FindOrAddPage(Index >> 5));
  for (;;) {
    Page& P = *dir_[Pos].P;
    void* Out = P[PageSlots - 1];
    std::move_backward(P.begin() + static_cast<long>(Slot), P.end() - 1, P.end());
    P[Slot] = Carry;
    Carry = Out;
    Slot = 0;
    const int32_t Next = dir_[Pos].Num + 1;
    if (Pos + 1 < dir_.size() && dir_[Pos + 1].Num == Next) {
      ++Pos;
    } else if (Carry) {
      // Count < 320000 here, so the carried item's page is inside the bounds.
      Pos = static_cast<size_t>(FindOrAddPage(Next));
    } else if (Pos + 1 < dir_.size()) {
      ++Pos;  // the missing page in between held nothing to carry
    } else {
      break;
    }
  }
  DropEmptyPages();
  RecomputeCount();
}

void TOvcSparseArray::DeleteItem(int32_t Index) {
  CheckIndex(Index);
  if (Index >= count_) return;
  size_t Pos = static_cast<size_t>(FindOrAddPage(Index >> 5));
  {
    Page& P = *dir_[Pos].P;
    std::move(P.begin() + (Index & 31) + 1, P.end(), P.begin() + (Index & 31));
    P[PageSlots - 1] = nullptr;
  }
  for (++Pos; Pos < dir_.size(); ++Pos) {
    void* First = (*dir_[Pos].P)[0];
    if (dir_[Pos - 1].Num + 1 == dir_[Pos].Num) {
      (*dir_[Pos - 1].P)[PageSlots - 1] = First;
    } else if (First) {
      const size_t At = static_cast<size_t>(FindOrAddPage(dir_[Pos].Num - 1));
      (*dir_[At].P)[PageSlots - 1] = First;
      Pos = At + 1;  // the page added sits just before this one
    }
    Page& P = *dir_[Pos].P;
    std::move(P.begin() + 1, P.end(), P.begin());
    P[PageSlots - 1] = nullptr;
  }
  DropEmptyPages();
  RecomputeCount();
}

void TOvcSparseArray::ExchangeItems(int32_t Index1, int32_t Index2) {
  if (Index1 == Index2) return;
  CheckIndex(Index1);
  CheckIndex(Index2);
  void* A = GetItem(Index1);
  void* B = GetItem(Index2);
  SetItem(Index2, A);
  SetItem(Index1, B);
}

void TOvcSparseArray::Clear() {
  dir_.clear();
  count_ = 0;
}

int32_t TOvcSparseArray::Iterate(const TSparseArrayFunc& Action, bool Backwards) const {
  if (dir_.empty()) return -1;
  const int N = static_cast<int>(dir_.size());
  for (int I = 0; I < N; ++I) {
    const Entry& E = dir_[static_cast<size_t>(Backwards ? N - 1 - I : I)];
    for (int J = 0; J < PageSlots; ++J) {
      const int S = Backwards ? PageSlots - 1 - J : J;
      void* Item = (*E.P)[static_cast<size_t>(S)];
      const int32_t Index = E.Num * PageSlots + S;
      if (Item && !Action(Index, Item)) return Index;
    }
  }
  return -1;
}

int32_t TOvcSparseArray::ItemCount() const {
  int32_t N = 0;
  Iterate([&N](int32_t, void*) { return ++N, true; }, false);
  return N;
}

}  // namespace tess
