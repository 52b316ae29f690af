// The timer pool: any number of logical timers ("triggers"), each with its own period,
// on one system timer.  The pool picks the system timer's period so that every
// trigger's interval is a whole multiple of it (55 ms at least, 65534 ms at most) and
// fires a trigger when its interval has nearly elapsed (up to 27 ms early).
//
// The arithmetic here is portable: the tick count (milliseconds, wrapping at 32 bits)
// comes from a replaceable source, and the system timer is reached through a driver.
// The windows build's driver (timerwindow.h) is a hidden window with timer 1.  Without
// a driver the pool computes its period and fires only when DoTick is called.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "framework/core/classes.h"

namespace tess {

using TTriggerEvent = std::function<void(TObject* Sender, int32_t Handle, uint16_t Interval,
                                         int32_t ElapsedTime)>;

// Starts (again, with a new period) or stops the one system timer of a pool.
class TOvcTimerDriver {
 public:
  virtual ~TOvcTimerDriver() = default;
  // False when the system has no timer to give.
  virtual bool Start(uint16_t Interval) = 0;
  virtual void Stop() = 0;
};

class TOvcTimerPool : public TComponent {
 public:
  static constexpr uint16_t kMinInterval = 55;
  static constexpr uint16_t kMaxInterval = 65534;
  static constexpr int kEarlyMs = 27;
  static constexpr int kMaxTriggers = 4096;

  explicit TOvcTimerPool(TComponent* AOwner);
  ~TOvcTimerPool() override;

  // Called for every trigger that fires, after the trigger's own event.
  TTriggerEvent OnAllTriggers;

  // The clock and the system timer.  The default clock is the system's millisecond
  // tick; a new driver is started at once with the present period.
  void SetTickSource(std::function<uint32_t()> Source);
  void SetDriver(std::unique_ptr<TOvcTimerDriver> Driver);

  // A trigger firing every Interval ms (or once, for a one-time trigger), enabled, its
  // time counted from now; returns its handle.  More than kMaxTriggers raises
  // EOvcException "Too many trigger events"; a refused system timer raises
  // ENoTimersAvailable and the trigger is not added.
  int32_t AddTrigger(TTriggerEvent OnTrigger, uint16_t Interval);
  int32_t AddOneTimeTrigger(TTriggerEvent OnTrigger, uint16_t Interval);
  // An unknown handle raises EOvcException "Invalid trigger handle".
  void EnableTrigger(int32_t Handle, bool Enabled);
  // Counts the trigger's time from now again.
  void ResetTrigger(int32_t Handle);
  // An unknown handle does nothing.
  void Remove(int32_t Handle);
  int IndexOfHandle(int32_t Handle) const;
  int Count() const { return static_cast<int>(triggers_.size()); }
  int CountActive() const;
  // The system timer's period; 0 while no timer is wanted.
  uint16_t TimerInterval() const { return timer_interval_; }

  // The work of one system timer tick: fires every enabled trigger that is due.
  virtual void DoTick();

 private:
  struct Trigger {
    bool Enabled = true;
    int32_t Handle = 0;
    uint32_t Started = 0;
    uint16_t Interval = 0;
    uint32_t LastFired = 0;
    TTriggerEvent OnTrigger;
    bool Recurring = true;
    uint32_t SeenInTick = 0;  // the tick that last examined it
  };

  int32_t Add(TTriggerEvent OnTrigger, uint16_t Interval, bool Recurring);
  Trigger& Find(int32_t Handle);
  uint16_t ComputeInterval() const;
  // Recounts, recomputes the period and restarts or stops the system timer.
  void Changed();

  std::vector<std::unique_ptr<Trigger>> triggers_;
  std::function<uint32_t()> ticks_;
  std::unique_ptr<TOvcTimerDriver> driver_;
  uint16_t timer_interval_ = 0;
  uint16_t active_count_ = 0;
  int32_t next_handle_ = 1;
  uint32_t tick_number_ = 0;
};

}  // namespace tess
