// An array of pointers indexed 0 .. 319999 that spends memory only on the 32-slot pages
// holding something.  The table's row list keeps one record per non-default row in it.
//
// Invariants: the directory is sorted by page number without duplicates; no page in it is
// all nil; Count is one more than the highest non-nil index (0 when empty).  The array
// never owns what the pointers point to.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tess {

class TOvcSparseArray {
 public:
  static constexpr int32_t MaxIndex = 319999;
  static constexpr int32_t PageSlots = 32;

  TOvcSparseArray();
  ~TOvcSparseArray();
  TOvcSparseArray(const TOvcSparseArray&) = delete;
  TOvcSparseArray& operator=(const TOvcSparseArray&) = delete;

  // Each raises ESAEOutOfBounds for an index outside 0 .. 319999 (nothing changes then).
  void* GetItem(int32_t Index) const;
  void SetItem(int32_t Index, void* Item);
  // Items at Index and above move up one; ESAEAtMaxSize when Count is 320000.
  void InsertItem(int32_t Index, void* Item);
  // The item at Index goes; the items above move down one.
  void DeleteItem(int32_t Index);
  void ExchangeItems(int32_t Index1, int32_t Index2);
  void Clear();

  int32_t Count() const { return count_; }
  // The number of non-nil items.
  int32_t ItemCount() const;
  // Calls Action for every non-nil item (backwards from the highest when asked); the
  // index of the item whose Action answered false, or -1.
  using TSparseArrayFunc = std::function<bool(int32_t Index, void* Item)>;
  int32_t Iterate(const TSparseArrayFunc& Action, bool Backwards) const;

  // Pages in use (for tests and the memory figures).
  int PageCount() const { return static_cast<int>(dir_.size()); }

 private:
  using Page = std::array<void*, PageSlots>;
  struct Entry {
    uint16_t Num;
    std::unique_ptr<Page> P;
  };

  static void CheckIndex(int32_t Index);
  int FindPage(int32_t PageNum) const;  // position or -1
  int FindOrAddPage(int32_t PageNum);   // position
  void DropEmptyPages();
  void DropPageIfEmpty(int Pos);
  void RecomputeCount();

  std::vector<Entry> dir_;
  int32_t count_ = 0;
  // The position of the page found last (a guess, checked before use).
  mutable size_t hint_ = 0;
};

}  // namespace tess
