#include "framework/core/lifetime.h"

namespace tess {

namespace {
// The newest of the watches in force on this thread; each links to the one before and
// after it, so that watches go in any order without allocating.
thread_local TLifeWatch* t_newest = nullptr;
}  // namespace

void TLifeMark::End() const noexcept {
  for (TLifeWatch* w = t_newest; w; w = w->older_)
    if (w->mark_ == this) w->mark_ = nullptr;
}

TLifeWatch::TLifeWatch(const TLifeMark* Mark) : mark_(Mark), older_(t_newest) {
  if (older_) older_->newer_ = this;
  t_newest = this;
}

TLifeWatch::~TLifeWatch() {
  if (older_) older_->newer_ = newer_;
  if (newer_)
    newer_->older_ = older_;
  else
    t_newest = older_;
}

}  // namespace tess
