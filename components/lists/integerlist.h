// A list of integers with an optional range [Min, Max] (no range while Min = Max), and
// an optional sorted mode in which the list keeps ascending order and looks values up by
// binary search.  It streams as "Min", "Max" and "Integers".
//
// Invariants: Min <= Max; while Min != Max every value lies in [Min, Max]; while Sorted
// the values are ascending (and unique unless Duplicates is dupAccept).
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/classes.h"

namespace tess {

class EOutOfRange : public Exception {
 public:
  using Exception::Exception;
};

class TIntegerList : public TPersistent {
 public:
  TIntegerList() = default;
  ~TIntegerList() override = default;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raises EListError "List index out of bounds (i)" for a bad index.
  int32_t Get(int32_t Index) const;
  int32_t Items(int32_t Index) const { return Get(Index); }
  // Range-checked; on a sorted list the value then moves to its ordered place.
  virtual void Put(int32_t Index, int32_t Value);
  // Returns the value's index: the end of an unsorted list, its ordered place in a
  // sorted one (with dupIgnore an equal value is not added and its index returned; with
  // dupError EListError "List does not allow duplicates").
  int32_t Add(int32_t Value);
  void AddIntegers(const TIntegerList* Source);
  // Range-checked (EOutOfRange "Value must be within Min..Max"); a sorted list refuses
  // an insert at a given place (EListError "Operation not allowed on sorted list").
  virtual void Insert(int32_t Index, int32_t Value);
  virtual void Delete(int32_t Index);
  void Clear();
  // Not allowed on a sorted list (EListError), like Insert.
  void Exchange(int32_t Index1, int32_t Index2);
  void Move(int32_t CurIndex, int32_t NewIndex);
  // Linear on an unsorted list; binary on a sorted one (the first of equal values).
  int32_t IndexOf(int32_t Value) const;
  void Sort();

  int32_t Min() const { return min_; }
  int32_t Max() const { return max_; }
  // Refused (EOutOfRange, list and range unchanged) when a value would fall outside.
  void SetMin(int32_t Value);
  void SetMax(int32_t Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler* Filer) override;

 protected:
  void CheckRange(int32_t Value) const;
  void CheckIndex(int32_t Index, int32_t Limit) const;

 private:
  std::vector<int32_t> items_;
  int32_t min_ = 0;
  int32_t max_ = 0;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

}  // namespace tess
