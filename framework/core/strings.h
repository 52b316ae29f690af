// String lists: TStrings, the abstract list of strings each with an object pointer, and
// TStringList, the list kept in memory (optionally sorted).
//
// Sorted lists are ordered by CompareText (ASCII letters folded, bytes compared
// ordinally) unless CaseSensitive is set (then CompareStr).  Lines are "name=value" for
// Names/Values.  Text joins the lines, each followed by CR LF; reading text accepts CR,
// LF and CR LF, and a line end at the very end adds no empty line.  Objects are not
// owned unless OwnsObjects is set.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/core/component.h"

namespace tess {

class TStream;

class TStrings : public TPersistent {
 public:
  TStrings() = default;
  ~TStrings() override = default;

  // --- what a concrete list provides -------------------------------------------------
  virtual int Count() const = 0;
  virtual std::string Get(int Index) const = 0;
  virtual TObject* GetObject(int Index) const;          // base: null
  virtual void Put(int Index, const std::string& S);    // base: delete and insert
  virtual void PutObject(int Index, TObject* AObject);  // base: ignored
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  // Told when the outermost BeginUpdate starts (true) and EndUpdate ends (false).
  virtual void SetUpdateState(bool Updating);

  // --- the list ------------------------------------------------------------------------
  std::string Strings(int Index) const { return Get(Index); }
  void SetStrings(int Index, const std::string& S) { Put(Index, S); }
  TObject* Objects(int Index) const { return GetObject(Index); }
  void SetObjects(int Index, TObject* AObject) { PutObject(Index, AObject); }

  // Returns the index the string got (in a sorted list, its sorted place).
  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  void AddStrings(const TStrings* Strings);
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);

  // First index whose string equals S (ignoring ASCII case), or -1.
  virtual int IndexOf(const std::string& S) const;
  int IndexOfObject(const TObject* AObject) const;
  // First line whose name part equals Name (ignoring case), or -1.
  int IndexOfName(const std::string& Name) const;

  // "name=value" lines: the part before the first "=" ("" when the line has none).
  std::string Names(int Index) const;
  // The value of the first line named Name ("" when none).
  std::string Values(const std::string& Name) const;
  // Replaces the value of the line named Name, or adds "Name=Value"; an empty Value
  // deletes the line.
  void SetValues(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const std::string& Value);

  // Each line followed by CR LF.
  std::string Text() const;
  // Replaces the lines; CR, LF and CR LF end a line, a final line end adds no line.
  void SetText(const std::string& Value);
  // Lines separated by ","; a line holding a blank, ",", a quote or a control character
  // (or a single empty line) is written inside double quotes with quotes doubled.
  std::string CommaText() const;
  // Items are separated by "," or blanks outside double quotes.
  void SetCommaText(const std::string& Value);

  // Nested; OnChanging fires before the first change and OnChange once after the
  // outermost EndUpdate, and only when something changed in between.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  // Same strings in the same order (ASCII case counts here).
  bool Equals(const TStrings* Strings) const;

  void Assign(TPersistent* Source) override;

  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;
  // Reads from the stream's position to its end.
  void LoadFromStream(TStream* Stream);
  void SaveToStream(TStream* Stream) const;

  // Streams the lines as the list property "Strings".
  void DefineProperties(TFiler* Filer) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  // Concrete lists call these around every change.
  void Changing();
  void Changed();
  // CompareText or, for case-sensitive lists, CompareStr.
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  // True for a list that keeps its own order (lines are then re-added, not replaced).
  virtual bool IsSortedList() const { return false; }
  // Line in place of line Index, keeping its object; a sorted list re-adds it.
  virtual void ReplaceLine(int Index, const std::string& Line);

 private:
  int update_count_ = 0;
  bool changed_in_update_ = false;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

class TStringList : public TStrings {
 public:
  explicit TStringList(bool OwnsObjects = false) : owns_objects_(OwnsObjects) {}
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const override { return static_cast<int>(items_.size()); }
  // Bad indexes raise EStringListError "List index out of bounds (i)".
  std::string Get(int Index) const override;
  TObject* GetObject(int Index) const override;
  // Raises EStringListError on a sorted list (it would break the order).
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;

  // A sorted list puts the string in its place: after every equal string with
  // dupAccept; with dupIgnore an equal string is not added and its index returned; with
  // dupError it raises EStringListError "String list does not allow duplicates".
  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  // Raises EStringListError "Operation not allowed on sorted list" when sorted.
  void Insert(int Index, const std::string& S) override;
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  // Raise EStringListError on a sorted list, like Insert.
  void Exchange(int Index1, int Index2) override;
  void Move(int CurIndex, int NewIndex) override;

  // Binary search of a sorted list: true and the first equal string's index, or false
  // and the index where S would go.  On an unsorted list the result is meaningless.
  bool Find(const std::string& S, int& Index) const;
  int IndexOf(const std::string& S) const override;

  bool Sorted() const { return sorted_; }
  // Setting true sorts the list (stable; existing duplicates are kept).
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  bool CaseSensitive() const { return case_sensitive_; }
  // Re-sorts a sorted list under the new comparison.
  void SetCaseSensitive(bool Value);
  bool OwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool Value) { owns_objects_ = Value; }

  void Sort();
  // Stable sort by the given comparison; raises EStringListError on a sorted list.
  virtual void CustomSort(const TStringListSortCompare& Compare);

  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int Value);

 protected:
  int CompareStrings(const std::string& S1, const std::string& S2) const override;
  bool IsSortedList() const override { return sorted_; }
  // Moves the line to where it now sorts, object and all, without freeing anything; a
  // line the duplicates rule refuses leaves the list as it was.
  void ReplaceLine(int Index, const std::string& Line) override;

 private:
  struct Item {
    std::string S;
    TObject* Obj = nullptr;
  };
  void CheckIndex(int Index) const;
  void InsertItem(int Index, const std::string& S, TObject* AObject);
  void SortItems(const std::function<bool(const Item&, const Item&)>& Less);

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  bool owns_objects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

}  // namespace tess
