// One call of the server is one unit: when it fails, everything it changed is undone and
// the transaction's earlier work stays.
#pragma once

#include <type_traits>

#include "oci7/engine.h"

namespace tess::oci7 {

// Marks the start of a call.  Commit() at its successful end; without it the destructor
// undoes the call's changes: back to the savepoint taken at the start when a transaction
// was open then, or the whole transaction when the call opened it (or ended the one it
// started in and opened another).
class AtomicCall {
 public:
  explicit AtomicCall(Session& s);
  ~AtomicCall();
  AtomicCall(const AtomicCall&) = delete;
  AtomicCall& operator=(const AtomicCall&) = delete;
  void Commit();

 private:
  void Undo() noexcept;
  Session& session_;
  std::string savepoint_;  // "" when no transaction was open at the start
  uint64_t ends_ = 0;
  uint64_t savepoints_ = 0;
  bool done_ = false;
};

// Runs `work` as one call.
template <class Work>
auto RunAsOneCall(Session& s, Work&& work) {
  AtomicCall call(s);
  if constexpr (std::is_void_v<decltype(work())>) {
    work();
    call.Commit();
  } else {
    auto result = work();
    call.Commit();
    return result;
  }
}

}  // namespace tess::oci7
