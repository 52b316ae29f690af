// See timerpool.h.
#include "components/core/timerpool.h"

#include <chrono>

#include "components/core/componentstrings.h"
#include "components/core/exceptions.h"

namespace tess {

namespace {
uint32_t SteadyMilliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

TOvcTimerPool::TOvcTimerPool(TComponent* AOwner) : TComponent(AOwner), ticks_(SteadyMilliseconds) {}

TOvcTimerPool::~TOvcTimerPool() {
  timer_interval_ = 0;
  if (driver_) driver_->Stop();
  triggers_.clear();
  driver_.reset();
}

void TOvcTimerPool::SetTickSource(std::function<uint32_t()> Source) {
  ticks_ = Source ? std::move(Source) : std::function<uint32_t()>(SteadyMilliseconds);
}

void TOvcTimerPool::SetDriver(std::unique_ptr<TOvcTimerDriver> Driver) {
  if (driver_) driver_->Stop();
  driver_ = std::move(Driver);
  Changed();
}

int32_t TOvcTimerPool::AddTrigger(TTriggerEvent OnTrigger, uint16_t Interval) {
  return Add(std::move(OnTrigger), Interval, true);
}

int32_t TOvcTimerPool::AddOneTimeTrigger(TTriggerEvent OnTrigger, uint16_t Interval) {
  return Add(std::move(OnTrigger), Interval, false);
}

int32_t TOvcTimerPool::Add(TTriggerEvent OnTrigger, uint16_t Interval, bool Recurring) {
  if (Count() >= kMaxTriggers) throw EOvcException(ComponentString(kTooManyTriggers));
  // Handles count up, skip those in use and start again at 1 after the largest.
  while (IndexOfHandle(next_handle_) >= 0)
    next_handle_ = next_handle_ == INT32_MAX ? 1 : next_handle_ + 1;
  auto t = std::make_unique<Trigger>();
  t->Handle = next_handle_;
  next_handle_ = next_handle_ == INT32_MAX ? 1 : next_handle_ + 1;
  t->Interval = Interval;
  t->Started = t->LastFired = ticks_();
  t->OnTrigger = std::move(OnTrigger);
  t->Recurring = Recurring;
  int32_t handle = t->Handle;
  triggers_.push_back(std::move(t));
  try {
    Changed();
  } catch (...) {
    triggers_.pop_back();
    timer_interval_ = 0;
    throw;
  }
  return handle;
}

TOvcTimerPool::Trigger& TOvcTimerPool::Find(int32_t Handle) {
  int i = IndexOfHandle(Handle);
  if (i < 0) throw EOvcException(ComponentString(kInvalidTriggerHandle));
  return *triggers_[static_cast<size_t>(i)];
}

void TOvcTimerPool::EnableTrigger(int32_t Handle, bool Enabled) {
  Trigger& t = Find(Handle);
  if (t.Enabled == Enabled) return;
  t.Enabled = Enabled;
  if (Enabled) t.LastFired = ticks_();
  Changed();
}

void TOvcTimerPool::ResetTrigger(int32_t Handle) {
  Trigger& t = Find(Handle);
  t.Started = t.LastFired = ticks_();
  Changed();
}

void TOvcTimerPool::Remove(int32_t Handle) {
  int i = IndexOfHandle(Handle);
  if (i < 0) return;
  triggers_.erase(triggers_.begin() + i);
  Changed();
}

int TOvcTimerPool::IndexOfHandle(int32_t Handle) const {
  for (size_t i = 0; i < triggers_.size(); ++i)
    if (triggers_[i]->Handle == Handle) return static_cast<int>(i);
  return -1;
}

int TOvcTimerPool::CountActive() const {
  int n = 0;
  for (const auto& t : triggers_) n += t->Enabled;
  return n;
}

uint16_t TOvcTimerPool::ComputeInterval() const {
  const uint32_t now = ticks_();
  int32_t t = 65535;
  bool any = false;
  for (const auto& r : triggers_) {
    if (!r->Enabled) continue;
    any = true;
    if (r->Interval < t) t = r->Interval;
    // An overdue trigger gives zero or less: the floor below takes over.
    int32_t remaining = int32_t(r->Interval) - static_cast<int32_t>(now - r->LastFired);
    if (remaining < t) t = remaining;
  }
  if (!any) return 0;
  if (t < kMinInterval) t = kMinInterval;
  // Shrink the period until it divides every interval, or reaches the floor.
  bool changed = true;
  while (changed && t > kMinInterval) {
    changed = false;
    for (const auto& r : triggers_) {
      if (int32_t rest = r->Interval % t) {
        t -= rest;
        changed = true;
        break;
      }
    }
  }
  if (t < kMinInterval) t = kMinInterval;
  // A single trigger of 65535 ms still wants a timer.
  if (t > kMaxInterval) t = kMaxInterval;
  return static_cast<uint16_t>(t);
}

void TOvcTimerPool::Changed() {
  active_count_ = static_cast<uint16_t>(CountActive());
  timer_interval_ = ComputeInterval();
  if (!driver_ || (ComponentState() & csDesigning)) return;
  driver_->Stop();
  if (timer_interval_ != 0 && active_count_ > 0 && !driver_->Start(timer_interval_))
    throw ENoTimersAvailable();
}

void TOvcTimerPool::DoTick() {
  const uint32_t now = ticks_();
  // Each record is examined once per tick, however the events change the list: a
  // record added by an event is examined in this tick too, one removed is not.
  const uint32_t tick = ++tick_number_;
  for (;;) {
    Trigger* t = nullptr;
    for (const auto& r : triggers_) {
      if (r->SeenInTick != tick) {
        t = r.get();
        break;
      }
    }
    if (!t) break;
    t->SeenInTick = tick;
    if (!t->Enabled) continue;
    if (static_cast<int32_t>(now - t->LastFired) < int32_t(t->Interval) - kEarlyMs) continue;
    t->LastFired = now;
    // Copies: an event may remove its own trigger.
    const int32_t handle = t->Handle;
    const uint16_t interval = t->Interval;
    const int32_t elapsed = static_cast<int32_t>(t->LastFired - t->Started);
    const bool recurring = t->Recurring;
    TTriggerEvent own = t->OnTrigger;
    if (own) own(this, handle, interval, elapsed);
    if (TTriggerEvent all = OnAllTriggers) all(this, handle, interval, elapsed);
    if (!recurring) Remove(handle);
  }
}

}  // namespace tess
