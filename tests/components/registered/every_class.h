// Every family's component classes made known to the component stream at once, for the
// checks that walk them all.
#pragma once

namespace tess::testing {

// Registers the framework's classes and those of every component family; safe to call
// again.
void RegisterEveryClass();

}  // namespace tess::testing
