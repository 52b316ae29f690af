// Objects, persistent objects, the pointer list and components with owners.
//
// Ownership: a component created with an owner is deleted by it; the owner keeps its
// components in creation order and deletes them last first.  Deleting a component
// removes it from its owner.  A reference to a component held outside its owner is kept
// safe by FreeNotification: both sides are told (Notification with opRemove) when either
// is destroyed, so neither keeps a dangling pointer.
//
// Published properties: there is no language-level reflection, so a persistent object
// lists its streamable properties itself in PublishProperties, as names with typed getter
// and setter callbacks.  The component stream (filer.h) reads and writes them, then the
// object's own DefineProperties.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "framework/core/lifetime.h"
#include "framework/core/sysutils.h"

namespace tess {

// The scroll bars a window shows (portable: the editor's model keeps it too).
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

class TFiler;
class TPersistent;
class TComponent;
class TPropertyList;

// ---------------------------------------------------------------------------------------

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;

  // The class's unqualified name ("TStringList").  Derived from the C++ type, so every
  // class gets its own without writing anything; a class may still override it.
  virtual std::string ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---------------------------------------------------------------------------------------

class TPersistent : public TObject {
 public:
  // Copies Source into this object.  The base hands the work to Source->AssignTo(this);
  // a class that knows how to take a given source overrides Assign and calls the
  // inherited Assign for sources it does not know.
  virtual void Assign(TPersistent* Source);

  // Lists the published properties (see TPropertyList).  Overrides call the inherited
  // form first, so ancestors' properties come first in the stream.
  virtual void PublishProperties(TPropertyList& Props);

  // Defines the properties the object reads and writes itself (TFiler::DefineProperty,
  // DefineBinaryProperty).  Called after the published properties.
  virtual void DefineProperties(TFiler* Filer);

  // "Owner.Name" style path used in error messages.
  virtual std::string GetNamePath() const;

 protected:
  // Copies this object into Dest; the base raises EConvertError
  // "Cannot assign a <this class> to a <Dest class>".
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

// ---------------------------------------------------------------------------------------
// Published properties
// ---------------------------------------------------------------------------------------

enum class TPropKind {
  Integer,  // 32-bit signed
  Int64,    // 64-bit signed
  Boolean,
  String,
  Float,      // double
  Enum,       // ordinal written as one identifier from Idents
  Set,        // bit mask written as a list of identifiers (bit i = Idents[i])
  Object,     // a sub-object (TPersistent*) whose properties are streamed in place
  Component,  // a reference to a component, fixed up by name after loading
};

// One published property.  Ordinal kinds (Integer, Int64, Boolean, Enum, Set) go
// through GetOrdinal/SetOrdinal.  A property is written unless its value equals the
// declared Default or Stored says no; strings without a declared default count "" as
// their default (unless declared NoDefault), references nil, and ordinals and floats
// without one are always written.  A declared default must be the value a new object
// starts with: a value equal to it is left out, and the reader's new object keeps its own.
struct TPropInfo {
  std::string Name;
  TPropKind Kind = TPropKind::Integer;
  std::vector<std::string> Idents;  // Enum and Set

  std::function<int64_t()> GetOrdinal;
  std::function<void(int64_t)> SetOrdinal;
  std::function<std::string()> GetString;
  std::function<void(const std::string&)> SetString;
  std::function<double()> GetFloat;
  std::function<void(double)> SetFloat;
  std::function<TPersistent*()> GetObj;
  std::function<TComponent*()> GetComponent;
  std::function<void(TComponent*)> SetComponent;

  std::optional<int64_t> OrdinalDefault;
  std::optional<std::string> StringDefault;
  std::optional<double> FloatDefault;
  bool WrittenAlways = false;  // NoDefault: no value is left out
  std::function<bool()> IsStored;

  // Declares the default value (the value not written): an integer, Boolean or
  // enumeration value for ordinal kinds, a string for strings.
  template <class T>
  requires std::is_integral_v<T> || std::is_enum_v<T> TPropInfo& Default(T Value) {
    return DefaultOrdinal(static_cast<int64_t>(Value));
  }
  TPropInfo& DefaultOrdinal(int64_t Value);
  TPropInfo& Default(const std::string& Value);
  TPropInfo& Default(const char* Value) { return Default(std::string(Value)); }
  TPropInfo& DefaultFloat(double Value);
  // Declares that no value is the default: the property is written whatever its value
  // (for one whose owners start it at different values, or an inherited one that a
  // descendant starts at a value of its own).
  TPropInfo& NoDefault();
  // Writes the property only while Pred() is true (or never, for Stored(false)).
  TPropInfo& Stored(std::function<bool()> Pred);
  TPropInfo& Stored(bool Value);

  // Whether the writer writes this property now.
  bool ShouldWrite() const;
};

// What PublishProperties fills.  Example:
//   void TMyControl::PublishProperties(TPropertyList& P) {
//     TControl::PublishProperties(P);
//     P.Integer("Width", [this] { return Width(); }, [this](int32_t v) { SetWidth(v); })
//         .Default(100);
//     P.Enum<TAlign>("Align", {"alNone", "alTop"}, [this] { return Align(); },
//                    [this](TAlign v) { SetAlign(v); }).Default(alNone);
//     P.Object("Font", [this] { return Font(); });
//   }
class TPropertyList {
 public:
  TPropInfo& Integer(std::string Name, std::function<int32_t()> Get,
                     std::function<void(int32_t)> Set);
  TPropInfo& Int64(std::string Name, std::function<int64_t()> Get,
                   std::function<void(int64_t)> Set);
  TPropInfo& Boolean(std::string Name, std::function<bool()> Get, std::function<void(bool)> Set);
  TPropInfo& String(std::string Name, std::function<std::string()> Get,
                    std::function<void(const std::string&)> Set);
  TPropInfo& Float(std::string Name, std::function<double()> Get, std::function<void(double)> Set);
  // Get returns the index into Idents; Set receives one.
  TPropInfo& Enum(std::string Name, std::vector<std::string> Idents, std::function<int()> Get,
                  std::function<void(int)> Set);
  template <class E>
  TPropInfo& Enum(std::string Name, std::vector<std::string> Idents, std::function<E()> Get,
                  std::function<void(E)> Set) {
    return Enum(
        std::move(Name), std::move(Idents), [Get] { return static_cast<int>(Get()); },
        [Set](int v) { Set(static_cast<E>(v)); });
  }
  TPropInfo& Set(std::string Name, std::vector<std::string> Idents, std::function<uint32_t()> Get,
                 std::function<void(uint32_t)> Set);
  TPropInfo& Object(std::string Name, std::function<TPersistent*()> Get);
  TPropInfo& Component(std::string Name, std::function<TComponent*()> Get,
                       std::function<void(TComponent*)> Set);

  // Case-insensitive lookup; null when there is no such property.
  const TPropInfo* Find(const std::string& Name) const;
  // For a descendant that changes what an inherited property declares (when it is stored).
  TPropInfo* Find(const std::string& Name);
  // Puts an inherited property after the others, so that it is written and read after
  // them: for one that a descendant's own property sets when read.
  void MoveToEnd(const std::string& Name);
  int Count() const { return static_cast<int>(props_.size()); }
  const TPropInfo& operator[](int i) const { return props_[static_cast<size_t>(i)]; }
  auto begin() const { return props_.begin(); }
  auto end() const { return props_.end(); }

 private:
  TPropInfo& Add(std::string Name, TPropKind Kind);
  std::vector<TPropInfo> props_;
};

// ---------------------------------------------------------------------------------------
// TList: an ordered list of untyped pointers (never owned)
// ---------------------------------------------------------------------------------------

// <0, 0, >0 as Item1 sorts before, with or after Item2.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

class TList : public TObject {
 public:
  TList() = default;
  ~TList() override = default;

  int Count() const { return static_cast<int>(items_.size()); }
  // Growing fills with null; shrinking drops the tail.
  void SetCount(int NewCount);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int NewCapacity);

  // Every index out of 0..Count-1 raises EListError "List index out of bounds (i)".
  void* Items(int Index) const;
  void SetItems(int Index, void* Item);
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }

  int Add(void* Item);
  void Insert(int Index, void* Item);  // Index may equal Count
  void Delete(int Index);
  // Removes the first occurrence; returns its former index or -1.
  int Remove(void* Item);
  // Like Remove, returning the item (null when absent).
  void* Extract(void* Item);
  int IndexOf(void* Item) const;
  void Clear();
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  // Removes the null entries.
  void Pack();
  // Stable: equal items keep their order.  A comparison that is not a consistent order
  // gives an unspecified permutation, never a crash.
  void Sort(const TListSortCompare& Compare);

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  void CheckIndex(int Index) const;
  std::vector<void*> items_;
};

// ---------------------------------------------------------------------------------------
// TComponent
// ---------------------------------------------------------------------------------------

enum TOperation { opInsert, opRemove };

// ComponentState is a small set of these flags: test with (ComponentState() & csLoading).
enum TComponentStateFlag : uint32_t {
  csLoading = 1u << 0,     // being read from a stream; cleared by Loaded()
  csReading = 1u << 1,     // its own properties are being read
  csWriting = 1u << 2,     // being written to a stream
  csDestroying = 1u << 3,  // being destroyed (set on it and everything it owns)
  csDesigning = 1u << 4,   // never set: this program has no designer
  csUpdating = 1u << 5,    // reserved
  csFixups = 1u << 6,      // reserved
};
using TComponentState = uint32_t;

using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
 public:
  // Inserts the new component into AOwner (may be null).
  explicit TComponent(TComponent* AOwner);
  // Destroying order: the state becomes csDestroying, free-notification partners are
  // told, owned components are deleted last first, then it leaves its owner.
  // Derived classes that want csDestroying set while their own destructor runs call
  // Destroying() first.
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }

  const std::string& Name() const { return name_; }
  // "" is allowed; anything else must be an identifier (EComponentError
  // "'X' is not a valid component name") and unique among the owner's components,
  // ignoring case (EComponentError "A component named X already exists").
  virtual void SetName(const std::string& NewName);

  int32_t Tag() const { return tag_; }
  void SetTag(int32_t Value) { tag_ = Value; }

  TComponentState ComponentState() const { return state_; }

  // Owned components, in order of insertion.
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // Raises EListError for a bad index.
  TComponent* Components(int Index) const;
  // Position in the owner's list, -1 without owner.
  int ComponentIndex() const;
  void SetComponentIndex(int Value);
  // Case-insensitive; null for "" or when absent.
  TComponent* FindComponent(const std::string& AName) const;

  // Takes AComponent over from its present owner (if any).  Its name must be unique here.
  void InsertComponent(TComponent* AComponent);
  // Releases AComponent without deleting it; it has no owner afterwards.
  void RemoveComponent(TComponent* AComponent);
  // Deletes every owned component, last first.
  void DestroyComponents();

  // Asks that AComponent be told (AComponent->Notification(this, opRemove)) when this
  // component is destroyed.  The link is known to both: if AComponent goes first, this
  // component is told instead, so neither side keeps a pointer to a deleted one.
  void FreeNotification(TComponent* AComponent);
  // Withdraws that request.  A request in the other direction (this component told
  // when AComponent goes) is a separate link and stays.
  void RemoveFreeNotification(TComponent* AComponent);

  // Marks this component and those it owns as being destroyed.
  void Destroying();

  // Told of components inserted into or removed from the owner (broadcast to every
  // owned component, recursively) and of destroyed free-notification partners.
  // Overrides clear their references and then call the inherited form.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  // Called once the whole stream was read and references were fixed up; clears
  // csLoading.  Overrides call the inherited form first.
  virtual void Loaded();
  // Called once every component read from the same stream has run Loaded: what must
  // see them all set up (a form read as visible shows itself).
  virtual void AfterLoaded() {}

  // Children written with this component in a stream: by default every owned component.
  virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
  // The owner that components read as this one's children get: by default this one.
  virtual TComponent* GetChildOwner();
  // Given to each child read under this component (controls take it as their parent).
  virtual void SetParentComponent(TComponent* Value);
  virtual TComponent* GetParentComponent() const;
  virtual bool HasParent() const;

  // Checks a rename of an owned component (AComponent null: a component being inserted).
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                              const std::string& NewName);

  void PublishProperties(TPropertyList& Props) override;
  std::string GetNamePath() const override;

  // Ends with the component (see TComponentWatch).
  const TLifeMark& LifeMark() const { return life_; }

 protected:
  void IncludeState(TComponentState Flags) { state_ |= Flags; }
  void ExcludeState(TComponentState Flags) { state_ &= ~Flags; }

 private:
  friend class TReader;
  friend class TWriter;

  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void ValidateContainer(TComponent* AComponent);
  void Unlink(TComponent* AComponent);
  // Receiver->Notification; while this component is being destroyed, a failure there is
  // swallowed.
  void Tell(TComponent* Receiver, TComponent* AComponent, TOperation Operation);

  TComponent* owner_ = nullptr;
  std::string name_;
  int32_t tag_ = 0;
  TComponentState state_ = 0;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> notifies_;  // told when this component is destroyed
  std::vector<TComponent*> watches_;   // those whose destruction this one is told of
  TLifeMark life_;
};

// ---------------------------------------------------------------------------------------
// Event handlers that free the component they were raised on
// ---------------------------------------------------------------------------------------

// Watches a component while code that runs its handlers still has work to do on it: a
// handler may free the component (a click that closes a panel, a menu item that closes
// its form); Alive() then says so and the rest is left undone.  The component is never
// touched: the watch follows its LifeMark, which ends as its destruction begins.
class TComponentWatch : public TLifeWatch {
 public:
  explicit TComponentWatch(const TComponent* Component)
      : TLifeWatch(Component ? &Component->LifeMark() : nullptr) {}
};

// Runs an event handler of Component from a copy: the handler may free Component, and
// with it the std::function it is stored in.  False when it did; the caller then leaves
// Component alone (and hands it to nobody).  True, doing nothing, without a handler.  A
// handler that called into another component which a handler freed ends there.
template <class F, class... A>
bool FireEvent(const TComponent* Component, const F& Handler, A&&... Args) {
  if (!Handler) return true;
  TComponentWatch watch(Component);
  F copy = Handler;
  try {
    copy(std::forward<A>(Args)...);
  } catch (const EFreedByHandler&) {
  }
  return watch.Alive();
}

// FireEvent for work that goes on deep inside after the event: a handler that freed
// Component ends that work at once by EFreedByHandler.
template <class F, class... A>
void RaiseEvent(const TComponent* Component, const F& Handler, A&&... Args) {
  if (!FireEvent(Component, Handler, std::forward<A>(Args)...)) throw EFreedByHandler();
}

// Runs Work, which may run handlers (events, messages sent on the way), on behalf of
// Component's work under way: when it freed Component, that work ends at once
// (EFreedByHandler).  Work's answer is passed on.
template <class F>
decltype(auto) RunFor(const TComponent* Component, F&& Work) {
  TComponentWatch watch(Component);
  if constexpr (std::is_void_v<std::invoke_result_t<F>>) {
    std::forward<F>(Work)();
    UnwindIfFreed(watch);
  } else {
    auto result = std::forward<F>(Work)();
    UnwindIfFreed(watch);
    return result;
  }
}

// Runs Work, Component's own work, where RaiseEvent and RunFor may end it because a
// handler freed Component: it then ends here, quietly.  Work that another component's
// freeing ended goes on unwinding.
template <class F>
void RunUntilFreed(const TComponent* Component, F&& Work) {
  TComponentWatch watch(Component);
  try {
    std::forward<F>(Work)();
  } catch (const EFreedByHandler&) {
    if (watch.Alive()) throw;
  }
}

// ---------------------------------------------------------------------------------------
// Class registry: lets the stream reader create components by class name.
// ---------------------------------------------------------------------------------------

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;

// Registering a name again replaces its factory.
void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory);
template <class T>
void RegisterComponentClass(const std::string& ClassName) {
  RegisterComponentClass(ClassName, [](TComponent* Owner) -> TComponent* { return new T(Owner); });
}
void UnRegisterComponentClass(const std::string& ClassName);
// Case-insensitive; an empty function when the class is not registered.
TComponentFactory GetComponentClass(const std::string& ClassName);
// Like GetComponentClass; raises EClassNotFound "Class X not found" when absent.
TComponentFactory FindComponentClass(const std::string& ClassName);
// The registered names, as registered (the last spelling), in case-insensitive order.
std::vector<std::string> RegisteredComponentClasses();

}  // namespace tess
