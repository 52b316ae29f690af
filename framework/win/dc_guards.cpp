// Scope guards for device contexts and selected objects.
#include "framework/win/dc_guards.h"

#include "platform/win32.h"

namespace tess {

TMemoryDC::TMemoryDC() : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_) throw EOutOfMemory("Out of system resources");
}

TMemoryDC::~TMemoryDC() {
  DeleteDC(dc_);
}

TScreenDC::TScreenDC() : dc_(GetDC(nullptr)) {}

TScreenDC::~TScreenDC() {
  if (dc_) ReleaseDC(nullptr, dc_);
}

TSelectedObject::TSelectedObject(HDc DC, void* Object)
    : dc_(DC), old_(DC && Object ? SelectObject(DC, static_cast<HGDIOBJ>(Object)) : nullptr) {}

TSelectedObject::~TSelectedObject() {
  if (old_) SelectObject(dc_, static_cast<HGDIOBJ>(old_));
}

}  // namespace tess
