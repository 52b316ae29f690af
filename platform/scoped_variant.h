// A VARIANT that clears itself, for the automation client and the automation server alike.
// Windows build only.  Headers never pull in <windows.h>, so the includer brings
// platform/win32.h and <oleauto.h> first.
#pragma once

#ifndef _OLEAUTO_H_
#error "include platform/win32.h and <oleauto.h> before platform/scoped_variant.h"
#endif

namespace tess::platform {

struct ScopedVariant {
  VARIANT v;
  ScopedVariant() { VariantInit(&v); }
  ~ScopedVariant() { VariantClear(&v); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
};

}  // namespace tess::platform
