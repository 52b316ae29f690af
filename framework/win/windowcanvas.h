// A canvas over a whole window, its non-client area included: what a component that
// paints a window's frame itself draws on.  The window's context is taken on first use
// and given back by FreeHandle, by pointing the canvas at another window, or by the
// destructor, so a context is never held past the painting that needed it.
#pragma once

#include "framework/win/graphics.h"

namespace tess {

class TWindowCanvas : public TCanvas {
 public:
  explicit TWindowCanvas(HWnd Window = nullptr) : window_(Window) {}
  ~TWindowCanvas() override;
  TWindowCanvas(const TWindowCanvas&) = delete;
  TWindowCanvas& operator=(const TWindowCanvas&) = delete;

  HWnd Window() const { return window_; }
  // Gives back the context of the old window first.
  void SetWindow(HWnd Value);
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  HWnd window_ = nullptr;
  HDc dc_ = nullptr;
};

}  // namespace tess
