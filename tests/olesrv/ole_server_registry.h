// Registering and unregistering the in-process server for a test, through the server's
// own entry points in the olesrv.dll beside the test.
#pragma once

#include <gtest/gtest.h>

#include "platform/dynlib.h"

namespace oletest {

inline long CallServerEntry(const char* Name) {
  static tess::platform::LibraryHandle lib = tess::platform::OpenLibrary("olesrv.dll");
  if (lib == nullptr) {
    ADD_FAILURE() << "olesrv.dll cannot be loaded";
    return -1;
  }
  using EntryFn = long (*)();
  auto fn = reinterpret_cast<EntryFn>(tess::platform::LibrarySymbol(lib, Name));
  if (fn == nullptr) {
    ADD_FAILURE() << Name << " is not exported";
    return -1;
  }
  return fn();
}

inline void RegisterServer() { ASSERT_EQ(CallServerEntry("DllRegisterServer"), 0); }
inline void UnregisterServer() { ASSERT_EQ(CallServerEntry("DllUnregisterServer"), 0); }

}  // namespace oletest
