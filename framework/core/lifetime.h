// Code that runs event handlers in the middle of its work may outlive the object it works
// on: a handler may free it.  The object (or a part of it) carries a TLifeMark, which
// ends with it; a TLifeWatch taken on the mark before the handler runs says afterwards
// whether the object is still there, without touching it.  Watches go in any order and
// live on the stack of the code that takes them; a watch of no mark is never alive.
// Marks and watches belong to one thread.
#pragma once

#include <utility>

namespace tess {

class TLifeWatch;

class TLifeMark {
 public:
  TLifeMark() = default;
  // A copy is another object's mark: no watch of the original follows it.
  TLifeMark(const TLifeMark&) noexcept {}
  TLifeMark& operator=(const TLifeMark&) noexcept { return *this; }
  ~TLifeMark() { End(); }
  // The object is going: every watch of it says so from now on.  An object whose
  // destructor still runs code that others watch calls it first.
  void End() const noexcept;
};

class TLifeWatch {
 public:
  explicit TLifeWatch(const TLifeMark* Mark);
  explicit TLifeWatch(const TLifeMark& Mark) : TLifeWatch(&Mark) {}
  ~TLifeWatch();
  // A moved watch is a new watch of the same mark (so watches can be kept in a vector).
  TLifeWatch(TLifeWatch&& Other) noexcept : TLifeWatch(Other.mark_) {}
  TLifeWatch(const TLifeWatch&) = delete;
  TLifeWatch& operator=(const TLifeWatch&) = delete;
  bool Alive() const { return mark_ != nullptr; }

 private:
  friend class TLifeMark;
  const TLifeMark* mark_;
  TLifeWatch* older_;
  TLifeWatch* newer_ = nullptr;
};

// Unwinds the work on an object that a handler freed, from deep inside that work (a
// model's, a navigator's, a paint's) to where it began: the window procedure of the
// message, a Perform, or the FireEvent of a handler that called in.  It is no failure,
// and nobody reports it.  What the unwinding passes must not touch the freed object.
struct EFreedByHandler {};

// Ends the work on an object (by EFreedByHandler) when what it just called freed it.
inline void UnwindIfFreed(const TLifeWatch& Watch) {
  if (!Watch.Alive()) throw EFreedByHandler();
}

// Sets a variable of an object for a scope and puts the old value back when the scope
// ends, unless the object (Owner) went meanwhile.
template <class T>
class TScopedValue {
 public:
  TScopedValue(T& Variable, T Value, const TLifeMark& Owner)
      : var_(Variable), old_(std::exchange(Variable, std::move(Value))), owner_(Owner) {}
  ~TScopedValue() {
    if (owner_.Alive()) var_ = std::move(old_);
  }
  TScopedValue(const TScopedValue&) = delete;
  TScopedValue& operator=(const TScopedValue&) = delete;
  const T& Old() const { return old_; }

 private:
  T& var_;
  T old_;
  TLifeWatch owner_;
};

}  // namespace tess
