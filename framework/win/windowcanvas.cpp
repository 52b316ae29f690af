// The canvas over a window's whole area (GetWindowDC).
#include "framework/win/windowcanvas.h"

#include "platform/win32.h"

namespace tess {

TWindowCanvas::~TWindowCanvas() {
  FreeHandle();
}

void TWindowCanvas::SetWindow(HWnd Value) {
  if (Value == window_) return;
  FreeHandle();
  window_ = Value;
}

void TWindowCanvas::CreateHandle() {
  if (dc_ || !window_ || !IsWindow(window_)) return;
  dc_ = GetWindowDC(window_);
  if (dc_) SetHandle(dc_);
}

void TWindowCanvas::FreeHandle() {
  if (!dc_) return;
  HDc dc = dc_;
  SetHandle(nullptr);
  dc_ = nullptr;
  ReleaseDC(window_, dc);
}

}  // namespace tess
