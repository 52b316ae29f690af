// Objects, persistent objects, published-property lists, TList, components and the
// class registry (see component.h).
#include "framework/core/component.h"

#include <utility>

#include <algorithm>
#include <map>
#include <mutex>

#include "framework/core/filer.h"

namespace tess {

std::string TObject::ClassName() const {
  return TypeNameOf(typeid(*this));
}

// ---------------------------------------------------------------------------------------

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* Dest) {
  Dest->AssignError(this);
}

void TPersistent::AssignError(const TPersistent* Source) const {
  std::string source_name = Source ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + source_name + " to a " + ClassName());
}

void TPersistent::PublishProperties(TPropertyList&) {}
void TPersistent::DefineProperties(TFiler*) {}
std::string TPersistent::GetNamePath() const {
  return ClassName();
}

// ---------------------------------------------------------------------------------------

TPropInfo& TPropInfo::DefaultOrdinal(int64_t Value) {
  OrdinalDefault = Value;
  return *this;
}

TPropInfo& TPropInfo::Default(const std::string& Value) {
  StringDefault = Value;
  return *this;
}

TPropInfo& TPropInfo::DefaultFloat(double Value) {
  FloatDefault = Value;
  return *this;
}

TPropInfo& TPropInfo::NoDefault() {
  OrdinalDefault.reset();
  StringDefault.reset();
  FloatDefault.reset();
  WrittenAlways = true;
  return *this;
}

TPropInfo& TPropInfo::Stored(std::function<bool()> Pred) {
  IsStored = std::move(Pred);
  return *this;
}

TPropInfo& TPropInfo::Stored(bool Value) {
  IsStored = [Value] { return Value; };
  return *this;
}

bool TPropInfo::ShouldWrite() const {
  if (IsStored && !IsStored()) return false;
  switch (Kind) {
    case TPropKind::Integer:
    case TPropKind::Set:
      // 32-bit values: a default given as an unsigned constant (0x80000008) still
      // matches the same bits read back as a signed value.
      return GetOrdinal && !(OrdinalDefault && static_cast<uint32_t>(GetOrdinal()) ==
                                                   static_cast<uint32_t>(*OrdinalDefault));
    case TPropKind::Int64:
    case TPropKind::Boolean:
    case TPropKind::Enum:
      return GetOrdinal && !(OrdinalDefault && GetOrdinal() == *OrdinalDefault);
    case TPropKind::String:
      return GetString && (WrittenAlways || GetString() != StringDefault.value_or(std::string()));
    case TPropKind::Float:
      return GetFloat && !(FloatDefault && GetFloat() == *FloatDefault);
    case TPropKind::Object:
      return GetObj && GetObj() != nullptr;
    case TPropKind::Component:
      return GetComponent && GetComponent() != nullptr;
  }
  return false;
}

TPropInfo& TPropertyList::Add(std::string Name, TPropKind Kind) {
  // A later definition of the same name (an override in a descendant) replaces the
  // earlier one in place, keeping the ancestor's order.
  for (auto& p : props_) {
    if (SameText(p.Name, Name)) {
      p = TPropInfo();
      p.Name = std::move(Name);
      p.Kind = Kind;
      return p;
    }
  }
  props_.emplace_back();
  props_.back().Name = std::move(Name);
  props_.back().Kind = Kind;
  return props_.back();
}

TPropInfo& TPropertyList::Integer(std::string Name, std::function<int32_t()> Get,
                                  std::function<void(int32_t)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Integer);
  p.GetOrdinal = [Get] { return static_cast<int64_t>(Get()); };
  p.SetOrdinal = [Set](int64_t v) { Set(static_cast<int32_t>(v)); };
  return p;
}

TPropInfo& TPropertyList::Int64(std::string Name, std::function<int64_t()> Get,
                                std::function<void(int64_t)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Int64);
  p.GetOrdinal = std::move(Get);
  p.SetOrdinal = std::move(Set);
  return p;
}

TPropInfo& TPropertyList::Boolean(std::string Name, std::function<bool()> Get,
                                  std::function<void(bool)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Boolean);
  p.GetOrdinal = [Get] { return static_cast<int64_t>(Get() ? 1 : 0); };
  p.SetOrdinal = [Set](int64_t v) { Set(v != 0); };
  return p;
}

TPropInfo& TPropertyList::String(std::string Name, std::function<std::string()> Get,
                                 std::function<void(const std::string&)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::String);
  p.GetString = std::move(Get);
  p.SetString = std::move(Set);
  return p;
}

TPropInfo& TPropertyList::Float(std::string Name, std::function<double()> Get,
                                std::function<void(double)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Float);
  p.GetFloat = std::move(Get);
  p.SetFloat = std::move(Set);
  return p;
}

TPropInfo& TPropertyList::Enum(std::string Name, std::vector<std::string> Idents,
                               std::function<int()> Get, std::function<void(int)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Enum);
  p.Idents = std::move(Idents);
  p.GetOrdinal = [Get] { return static_cast<int64_t>(Get()); };
  p.SetOrdinal = [Set](int64_t v) { Set(static_cast<int>(v)); };
  return p;
}

TPropInfo& TPropertyList::Set(std::string Name, std::vector<std::string> Idents,
                              std::function<uint32_t()> Get, std::function<void(uint32_t)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Set);
  p.Idents = std::move(Idents);
  p.GetOrdinal = [Get] { return static_cast<int64_t>(Get()); };
  p.SetOrdinal = [Set](int64_t v) { Set(static_cast<uint32_t>(v)); };
  return p;
}

TPropInfo& TPropertyList::Object(std::string Name, std::function<TPersistent*()> Get) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Object);
  p.GetObj = std::move(Get);
  return p;
}

TPropInfo& TPropertyList::Component(std::string Name, std::function<TComponent*()> Get,
                                    std::function<void(TComponent*)> Set) {
  TPropInfo& p = Add(std::move(Name), TPropKind::Component);
  p.GetComponent = std::move(Get);
  p.SetComponent = std::move(Set);
  return p;
}

const TPropInfo* TPropertyList::Find(const std::string& Name) const {
  for (const auto& p : props_) {
    if (SameText(p.Name, Name)) return &p;
  }
  return nullptr;
}

TPropInfo* TPropertyList::Find(const std::string& Name) {
  return const_cast<TPropInfo*>(std::as_const(*this).Find(Name));
}

void TPropertyList::MoveToEnd(const std::string& Name) {
  auto it = std::find_if(props_.begin(), props_.end(),
                         [&](const TPropInfo& p) { return SameText(p.Name, Name); });
  if (it != props_.end()) std::rotate(it, it + 1, props_.end());
}

// ---------------------------------------------------------------------------------------

void TList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", Index));
}

void TList::SetCount(int NewCount) {
  if (NewCount < 0) throw EListError(Format("List count out of bounds (%d)", NewCount));
  items_.resize(static_cast<size_t>(NewCount), nullptr);
}

void TList::SetCapacity(int NewCapacity) {
  if (NewCapacity < Count())
    throw EListError(Format("List capacity out of bounds (%d)", NewCapacity));
  items_.reserve(static_cast<size_t>(NewCapacity));
}

void* TList::Items(int Index) const {
  CheckIndex(Index);
  return items_[static_cast<size_t>(Index)];
}

void TList::SetItems(int Index, void* Item) {
  CheckIndex(Index);
  items_[static_cast<size_t>(Index)] = Item;
}

int TList::Add(void* Item) {
  items_.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count())
    throw EListError(Format("List index out of bounds (%d)", Index));
  items_.insert(items_.begin() + Index, Item);
}

void TList::Delete(int Index) {
  CheckIndex(Index);
  items_.erase(items_.begin() + Index);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

void* TList::Extract(void* Item) {
  return Remove(Item) >= 0 ? Item : nullptr;
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Clear() {
  items_.clear();
  items_.shrink_to_fit();
}

void TList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  void* item = items_[static_cast<size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

void TList::Pack() {
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
}

void TList::Sort(const TListSortCompare& Compare) {
  // A plain merge: it only ever reads within bounds, whatever the comparison answers.
  std::vector<void*> buf(items_.size());
  for (size_t width = 1; width < items_.size(); width *= 2) {
    for (size_t lo = 0; lo < items_.size(); lo += 2 * width) {
      size_t mid = std::min(lo + width, items_.size());
      size_t hi = std::min(lo + 2 * width, items_.size());
      size_t a = lo, b = mid, o = lo;
      while (a < mid && b < hi)
        buf[o++] = Compare(items_[b], items_[a]) < 0 ? items_[b++] : items_[a++];
      while (a < mid) buf[o++] = items_[a++];
      while (b < hi) buf[o++] = items_[b++];
    }
    items_.swap(buf);
  }
}

// ---------------------------------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  life_.End();
  Destroying();
  // Partners first: they may still look at what this component owns.  Each partner is
  // unlinked completely before it is told, so it is told once and may change links.
  while (!notifies_.empty() || !watches_.empty()) {
    TComponent* partner = !notifies_.empty() ? notifies_.back() : watches_.back();
    Unlink(partner);
    Tell(partner, this, opRemove);
  }
  DestroyComponents();
  if (owner_ != nullptr) {
    Tell(owner_, this, opRemove);
    owner_->Remove(this);
  }
  RemoveFixupReferences(this);
}

void TComponent::Tell(TComponent* Receiver, TComponent* AComponent, TOperation Operation) {
  if (!(state_ & csDestroying)) {
    Receiver->Notification(AComponent, Operation);
    return;
  }
  // A failure cannot leave a destructor; the destruction must finish regardless.
  try {
    Receiver->Notification(AComponent, Operation);
  } catch (...) {
  }
}

void TComponent::Destroying() {
  if (state_ & csDestroying) return;
  state_ |= csDestroying;
  for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", Index));
  return components_[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int Value) {
  if (owner_ == nullptr) return;
  auto& list = owner_->components_;
  int cur = ComponentIndex();
  if (cur < 0) return;
  if (Value < 0) Value = 0;
  if (Value >= static_cast<int>(list.size())) Value = static_cast<int>(list.size()) - 1;
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_) {
    if (SameText(c->name_, AName)) return c;
  }
  return nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (name_ == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (owner_ != nullptr) owner_->ValidateRename(this, name_, NewName);
  name_ = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName,
                                const std::string& NewName) {
  if (AComponent != nullptr && SameText(CurName, NewName)) return;  // a change of case only
  if (!NewName.empty()) {
    TComponent* other = FindComponent(NewName);
    if (other != nullptr && other != AComponent)
      throw EComponentError("A component named " + NewName + " already exists");
  }
}

void TComponent::ValidateContainer(TComponent* AComponent) {
  for (TComponent* o = this; o != nullptr; o = o->owner_) {
    if (o == AComponent) throw EComponentError("A component cannot own itself or its owner");
  }
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  ValidateContainer(AComponent);
  if (AComponent->owner_ == this) return;
  // Check the name before anything moves, so a clash leaves both owners as they were.
  ValidateRename(nullptr, "", AComponent->name_);
  if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
  Insert(AComponent);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent->owner_ != this) return;
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it != components_.end()) components_.erase(it);
  AComponent->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* last = components_.back();
    // Removed with notification, so that siblings drop their references before it goes.
    Tell(this, last, opRemove);
    Remove(last);
    delete last;
  }
}

namespace {

void AddOnce(std::vector<TComponent*>& List, TComponent* C) {
  if (std::find(List.begin(), List.end(), C) == List.end()) List.push_back(C);
}

void Erase(std::vector<TComponent*>& List, TComponent* C) {
  List.erase(std::remove(List.begin(), List.end(), C), List.end());
}

}  // namespace

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  AddOnce(notifies_, AComponent);
  AddOnce(AComponent->watches_, this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  Erase(notifies_, AComponent);
  Erase(AComponent->watches_, this);
}

void TComponent::Unlink(TComponent* AComponent) {
  Erase(notifies_, AComponent);
  Erase(watches_, AComponent);
  Erase(AComponent->notifies_, this);
  Erase(AComponent->watches_, this);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // Index loop: a receiver may add or remove components while being told.
  for (size_t i = 0; i < components_.size(); ++i)
    components_[i]->Notification(AComponent, Operation);
}

void TComponent::Loaded() {
  state_ &= ~csLoading;
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (size_t i = 0; i < components_.size(); ++i) Proc(components_[i]);
}

TComponent* TComponent::GetChildOwner() {
  return this;
}
void TComponent::SetParentComponent(TComponent*) {}
TComponent* TComponent::GetParentComponent() const {
  return nullptr;
}
bool TComponent::HasParent() const {
  return false;
}

void TComponent::PublishProperties(TPropertyList& Props) {
  TPersistent::PublishProperties(Props);
  Props
      .Integer(
          "Tag", [this] { return tag_; }, [this](int32_t v) { tag_ = v; })
      .Default(0);
}

std::string TComponent::GetNamePath() const {
  return name_;
}

// ---------------------------------------------------------------------------------------

namespace {

struct ClassRegistry {
  std::mutex lock;
  struct Entry {
    std::string Name;  // as registered
    TComponentFactory Factory;
  };
  std::map<std::string, Entry> classes;  // keyed by upper-case name
};

ClassRegistry& Registry() {
  static ClassRegistry registry;
  return registry;
}

}  // namespace

void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory) {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.classes[UpperCase(ClassName)] = {ClassName, std::move(Factory)};
}

void UnRegisterComponentClass(const std::string& ClassName) {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  r.classes.erase(UpperCase(ClassName));
}

TComponentFactory GetComponentClass(const std::string& ClassName) {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.classes.find(UpperCase(ClassName));
  return it == r.classes.end() ? TComponentFactory() : it->second.Factory;
}

std::vector<std::string> RegisteredComponentClasses() {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.lock);
  std::vector<std::string> out;
  out.reserve(r.classes.size());
  for (const auto& [key, entry] : r.classes) out.push_back(entry.Name);
  return out;
}

TComponentFactory FindComponentClass(const std::string& ClassName) {
  TComponentFactory f = GetComponentClass(ClassName);
  if (!f) throw EClassNotFound("Class " + ClassName + " not found");
  return f;
}

}  // namespace tess
