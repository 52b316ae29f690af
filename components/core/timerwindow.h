// The timer pool's system timer in the windows build: a hidden window whose timer 1
// runs at the pool's period and calls the pool's DoTick.
#pragma once

#include <memory>

#include "components/core/timerpool.h"

namespace tess {

// The window is made now and destroyed with the driver.
std::unique_ptr<TOvcTimerDriver> MakeWindowTimerDriver(TOvcTimerPool* Pool);

}  // namespace tess
