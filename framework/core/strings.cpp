// String lists (see strings.h).
#include "framework/core/strings.h"

#include <algorithm>

#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/core/sysutils.h"

namespace tess {

namespace {

// Holds BeginUpdate for a scope, so a failure half way still ends the update.
class UpdateScope {
 public:
  explicit UpdateScope(TStrings* S) : s_(S) { s_->BeginUpdate(); }
  ~UpdateScope() { s_->EndUpdate(); }
  UpdateScope(const UpdateScope&) = delete;
  UpdateScope& operator=(const UpdateScope&) = delete;

 private:
  TStrings* s_;
};

// Bottom-up merge sort: stable, and never reads out of bounds even when Less is not a
// consistent order.
template <class T, class Less>
void MergeSort(std::vector<T>& v, Less less) {
  std::vector<T> buf(v.size());
  for (size_t width = 1; width < v.size(); width *= 2) {
    for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
      size_t mid = std::min(lo + width, v.size());
      size_t hi = std::min(lo + 2 * width, v.size());
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi) buf[o++] = less(v[b], v[a]) ? std::move(v[b++]) : std::move(v[a++]);
      while (a < mid) buf[o++] = std::move(v[a++]);
      while (b < hi) buf[o++] = std::move(v[b++]);
    }
    v.swap(buf);
  }
}

[[noreturn]] void IndexError(int Index) {
  throw EStringListError(Format("List index out of bounds (%d)", Index));
}

[[noreturn]] void SortedError() {
  throw EStringListError("Operation not allowed on sorted list");
}

bool NeedsQuotes(const std::string& S) {
  for (char c : S) {
    if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') return true;
  }
  return false;
}

bool IsBlankChar(char c) {
  return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TStrings
// ---------------------------------------------------------------------------------------

TObject* TStrings::GetObject(int) const {
  return nullptr;
}

void TStrings::Put(int Index, const std::string& S) {
  TObject* obj = GetObject(Index);
  UpdateScope update(this);
  Delete(Index);
  InsertObject(Index, S, obj);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  UpdateScope update(this);
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::Add(const std::string& S) {
  int i = Count();
  Insert(i, S);
  return i;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  UpdateScope update(this);
  int i = Add(S);
  PutObject(i, AObject);
  return i;
}

void TStrings::AddStrings(const TStrings* Strings) {
  if (Strings == nullptr) return;
  // Copy first: Strings may be this list.
  std::vector<std::pair<std::string, TObject*>> lines;
  lines.reserve(static_cast<size_t>(Strings->Count()));
  for (int i = 0; i < Strings->Count(); ++i)
    lines.emplace_back(Strings->Get(i), Strings->GetObject(i));
  UpdateScope update(this);
  for (auto& [s, o] : lines) AddObject(s, o);
}

void TStrings::Exchange(int Index1, int Index2) {
  std::string s1 = Get(Index1), s2 = Get(Index2);
  TObject* o1 = GetObject(Index1);
  TObject* o2 = GetObject(Index2);
  UpdateScope update(this);
  Put(Index1, s2);
  PutObject(Index1, o2);
  Put(Index2, s1);
  PutObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  std::string s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  UpdateScope update(this);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
}

int TStrings::IndexOf(const std::string& S) const {
  for (int i = 0; i < Count(); ++i) {
    if (CompareStrings(Get(i), S) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0; i < Count(); ++i) {
    if (GetObject(i) == AObject) return i;
  }
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string line = Get(i);
    size_t eq = line.find('=');
    if (eq != std::string::npos && CompareStrings(line.substr(0, eq), Name) == 0) return i;
  }
  return -1;
}

std::string TStrings::Names(int Index) const {
  std::string line = Get(Index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStrings::Values(const std::string& Name) const {
  int i = IndexOfName(Name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
  } else if (i < 0) {
    Add(Name + "=" + Value);
  } else {
    ReplaceLine(i, Name + "=" + Value);
  }
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string line = Get(Index);
  size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

void TStrings::SetValueFromIndex(int Index, const std::string& Value) {
  std::string line = Get(Index);
  size_t eq = line.find('=');
  std::string name = eq == std::string::npos ? line : line.substr(0, eq);
  if (Value.empty()) {
    Delete(Index);
  } else {
    ReplaceLine(Index, name + "=" + Value);
  }
}

void TStrings::ReplaceLine(int Index, const std::string& Line) {
  if (!IsSortedList()) {
    Put(Index, Line);
    return;
  }
  // A sorted list cannot take a line at a given place: put it where it sorts.
  TObject* obj = GetObject(Index);
  UpdateScope update(this);
  Delete(Index);
  AddObject(Line, obj);
}

std::string TStrings::Text() const {
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    out += Get(i);
    out += "\r\n";
  }
  return out;
}

void TStrings::SetText(const std::string& Value) {
  UpdateScope update(this);
  Clear();
  size_t start = 0, i = 0, n = Value.size();
  while (i < n) {
    char c = Value[i];
    if (c == '\r' || c == '\n') {
      Add(Value.substr(start, i - start));
      i += (c == '\r' && i + 1 < n && Value[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) Add(Value.substr(start));
}

std::string TStrings::CommaText() const {
  if (Count() == 1 && Get(0).empty()) return "\"\"";
  std::string out;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) out += ',';
    std::string s = Get(i);
    out += NeedsQuotes(s) ? AnsiQuotedStr(s, '"') : s;
  }
  return out;
}

void TStrings::SetCommaText(const std::string& Value) {
  UpdateScope update(this);
  Clear();
  size_t i = 0, n = Value.size();
  while (i < n && IsBlankChar(Value[i])) ++i;
  while (i < n) {
    std::string item;
    if (Value[i] == '"') {
      ++i;
      while (i < n) {
        if (Value[i] == '"') {
          if (i + 1 < n && Value[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += Value[i++];
      }
    } else {
      size_t start = i;
      while (i<n&& static_cast<unsigned char>(Value[i])> ' ' && Value[i] != ',') ++i;
      item = Value.substr(start, i - start);
    }
    Add(item);
    while (i < n && IsBlankChar(Value[i])) ++i;
    if (i < n && Value[i] == ',') {
      ++i;
      if (i == n) Add("");  // a trailing comma ends with an empty item
      while (i < n && IsBlankChar(Value[i])) ++i;
    }
  }
}

void TStrings::BeginUpdate() {
  if (update_count_++ == 0) {
    changed_in_update_ = false;
    SetUpdateState(true);
  }
}

void TStrings::EndUpdate() {
  if (update_count_ <= 0) return;  // unbalanced: nothing to end
  if (--update_count_ == 0) {
    SetUpdateState(false);
    if (changed_in_update_) {
      changed_in_update_ = false;
      if (OnChange) OnChange(this);
    }
  }
}

void TStrings::Changing() {
  if (update_count_ == 0) {
    if (OnChanging) OnChanging(this);
  } else if (!changed_in_update_) {
    changed_in_update_ = true;
    if (OnChanging) OnChanging(this);
  }
}

void TStrings::Changed() {
  if (update_count_ == 0) {
    if (OnChange) OnChange(this);
  } else {
    changed_in_update_ = true;
  }
}

int TStrings::CompareStrings(const std::string& S1, const std::string& S2) const {
  return CompareText(S1, S2);
}

bool TStrings::Equals(const TStrings* Strings) const {
  if (Strings == nullptr || Strings->Count() != Count()) return false;
  for (int i = 0; i < Count(); ++i) {
    if (Get(i) != Strings->Get(i)) return false;
  }
  return true;
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    UpdateScope update(this);
    Clear();
    AddStrings(src);
    return;
  }
  TPersistent::Assign(Source);
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f);
  f.Flush();
}

void TStrings::LoadFromStream(TStream* Stream) {
  int64_t left = Stream->Size() - Stream->Position();
  std::string data;
  if (left > 0) {
    data.resize(static_cast<size_t>(left));
    data.resize(static_cast<size_t>(Stream->Read(data.data(), left)));
  }
  SetText(data);
}

void TStrings::SaveToStream(TStream* Stream) const {
  std::string text = Text();
  Stream->WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

void TStrings::DefineProperties(TFiler* Filer) {
  TPersistent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Strings",
      [this](TReader* R) {
        UpdateScope update(this);
        Clear();
        R->ReadListBegin();
        while (!R->EndOfList()) Add(R->ReadString());
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (int i = 0; i < Count(); ++i) W->WriteString(Get(i));
        W->WriteListEnd();
      },
      Count() > 0);
}

// ---------------------------------------------------------------------------------------
// TStringList
// ---------------------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (owns_objects_) {
    for (auto& item : items_) delete item.Obj;
  }
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].S;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)].Obj;
}

void TStringList::Put(int Index, const std::string& S) {
  if (sorted_) SortedError();
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].S = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  items_[static_cast<size_t>(Index)].Obj = AObject;
  Changed();
}

int TStringList::Add(const std::string& S) {
  return AddObject(S, nullptr);
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int i = Count();
  if (sorted_ && Find(S, i)) {
    switch (duplicates_) {
      case dupIgnore:
        return i;
      case dupError:
        throw EStringListError("String list does not allow duplicates");
      case dupAccept:
        // After the equal strings already there, so equal strings keep their order.
        while (i < Count() && CompareStrings(items_[static_cast<size_t>(i)].S, S) == 0) ++i;
        break;
    }
  }
  InsertItem(i, S, AObject);
  return i;
}

void TStringList::Insert(int Index, const std::string& S) {
  InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  if (sorted_) SortedError();
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  TObject* obj = items_[static_cast<size_t>(Index)].Obj;
  items_.erase(items_.begin() + Index);
  if (owns_objects_) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item> old;
  old.swap(items_);
  if (owns_objects_) {
    for (auto& item : old) delete item.Obj;
  }
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  if (sorted_) SortedError();
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (sorted_) SortedError();
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (CurIndex == NewIndex) return;
  Changing();
  Item item = std::move(items_[static_cast<size_t>(CurIndex)]);
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, std::move(item));
  Changed();
}

void TStringList::ReplaceLine(int Index, const std::string& Line) {
  if (!sorted_) {
    TStrings::ReplaceLine(Index, Line);
    return;
  }
  CheckIndex(Index);
  // Where Line sorts among the other lines: equal lines (Index's own aside) run from lo
  // to hi in the whole list.
  int lo;
  Find(Line, lo);
  int hi = lo;
  while (hi < Count() && CompareStrings(items_[static_cast<size_t>(hi)].S, Line) == 0) ++hi;
  bool duplicate = (hi - lo) > ((Index >= lo && Index < hi) ? 1 : 0);
  if (duplicate && duplicates_ == dupIgnore) return;
  if (duplicate && duplicates_ == dupError)
    throw EStringListError("String list does not allow duplicates");
  // After the equal lines, as Add puts it; positions past Index shift down once it is out.
  int to = hi - (Index < hi ? 1 : 0);
  Changing();
  Item item = std::move(items_[static_cast<size_t>(Index)]);
  items_.erase(items_.begin() + Index);
  item.S = Line;
  items_.insert(items_.begin() + to, std::move(item));
  Changed();
}

bool TStringList::Find(const std::string& S, int& Index) const {
  size_t lo = 0, hi = items_.size();
  while (lo < hi) {
    size_t mid = lo + (hi - lo) / 2;
    if (CompareStrings(items_[mid].S, S) < 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  Index = static_cast<int>(lo);
  return lo < items_.size() && CompareStrings(items_[lo].S, S) == 0;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!sorted_) return TStrings::IndexOf(S);
  int i;
  return Find(S, i) ? i : -1;
}

void TStringList::SetSorted(bool Value) {
  if (Value && !sorted_) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == case_sensitive_) return;
  case_sensitive_ = Value;
  if (sorted_) Sort();
}

void TStringList::Sort() {
  SortItems([this](const Item& a, const Item& b) { return CompareStrings(a.S, b.S) < 0; });
}

void TStringList::SortItems(const std::function<bool(const Item&, const Item&)>& Less) {
  if (items_.size() < 2) return;
  Changing();
  MergeSort(items_, Less);
  Changed();
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (sorted_) SortedError();
  if (items_.size() < 2) return;
  // Sort positions, comparing the untouched list, then rearrange once.
  std::vector<int> order(items_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  MergeSort(order, [&](int a, int b) { return Compare(this, a, b) < 0; });
  Changing();
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_.swap(sorted);
  Changed();
}

void TStringList::SetCapacity(int Value) {
  if (Value > Count()) items_.reserve(static_cast<size_t>(Value));
}

int TStringList::CompareStrings(const std::string& S1, const std::string& S2) const {
  return case_sensitive_ ? CompareStr(S1, S2) : CompareText(S1, S2);
}

}  // namespace tess
