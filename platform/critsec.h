// A re-entrant critical section: the thread that holds it may enter again, and must
// leave as often as it entered.  On Windows it is a CRITICAL_SECTION, elsewhere a
// recursive mutex; callers see the same interface and lock with a guard.
#pragma once

#include <memory>

namespace tess::platform {

class CriticalSection {
 public:
  CriticalSection();
  ~CriticalSection();
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Enter();
  void Leave();
  bool TryEnter();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Holds a critical section for the lifetime of the guard, on every path out.
class CriticalSectionGuard {
 public:
  explicit CriticalSectionGuard(CriticalSection& cs) : cs_(cs) { cs_.Enter(); }
  ~CriticalSectionGuard() { cs_.Leave(); }
  CriticalSectionGuard(const CriticalSectionGuard&) = delete;
  CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

 private:
  CriticalSection& cs_;
};

}  // namespace tess::platform
