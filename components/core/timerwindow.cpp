// See timerwindow.h.
#include "components/core/timerwindow.h"

#include "framework/win/controls.h"
#include "platform/win32.h"

namespace tess {

namespace {

constexpr UINT_PTR kTimerId = 1;

class WindowTimer : public TOvcTimerDriver {
 public:
  explicit WindowTimer(TOvcTimerPool* Pool) : pool_(Pool) {
    // An exception from DoTick reaches the application's handler through the
    // framework's window procedure; the message counts as handled.
    wnd_ = AllocateHWnd([this](TMessage& M) {
      if (M.Msg == WM_TIMER) {
        pool_->DoTick();
      } else {
        M.Result = DefaultWindowProc(wnd_, M);
      }
    });
  }
  ~WindowTimer() override {
    Stop();
    DeallocateHWnd(wnd_);
  }
  bool Start(uint16_t Interval) override { return SetTimer(wnd_, kTimerId, Interval, nullptr) != 0; }
  void Stop() override { KillTimer(wnd_, kTimerId); }

 private:
  TOvcTimerPool* pool_;
  HWnd wnd_ = nullptr;
};

}  // namespace

std::unique_ptr<TOvcTimerDriver> MakeWindowTimerDriver(TOvcTimerPool* Pool) {
  return std::make_unique<WindowTimer>(Pool);
}

}  // namespace tess
