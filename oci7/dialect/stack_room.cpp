// How much of the calling thread's stack is left.  The parsers recurse for every level a
// text nests, the interpreter for every call a program makes (and the engine again for
// every trigger a statement fires), and the thread may be anyone's with any stack size, so
// the depth that is safe is measured, not counted.
#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "platform/win32.h"
#else
#include <pthread.h>
#endif

#include "oci7/dialect/stack_room.h"

namespace tess::oci7 {
namespace {

// The lowest usable address of this thread's stack (stacks grow down on every platform we
// build for); 0 when it cannot be told.
uintptr_t StackFloor() {
#ifdef _WIN32
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(&info, &info, sizeof info) == 0) return 0;
  // The reservation starts at the allocation base; its last pages are the guard.
  return reinterpret_cast<uintptr_t>(info.AllocationBase) + 64 * 1024;
#else
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* low = nullptr;
  size_t size = 0;
  int rc = pthread_attr_getstack(&attr, &low, &size);
  size_t guard = 0;
  pthread_attr_getguardsize(&attr, &guard);
  pthread_attr_destroy(&attr);
  return rc == 0 ? reinterpret_cast<uintptr_t>(low) + guard : 0;
#endif
}

}  // namespace

size_t StackRoom() {
  // Asking costs a system call (on Linux a read of the process's maps for the main
  // thread), so each thread asks once.
  thread_local const uintptr_t floor = StackFloor();
  char here = 0;
  auto at = reinterpret_cast<uintptr_t>(&here);
  if (floor == 0) return SIZE_MAX;
  return at > floor ? at - floor : 0;
}

}  // namespace tess::oci7
