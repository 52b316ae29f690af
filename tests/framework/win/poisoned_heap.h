// A heap that catches the use of freed memory in a test executable under Wine, where no
// sanitizer runs.  Linking poisoned_heap.cpp into a test replaces the global operator
// new and delete: a freed block is filled with a pattern and kept aside, unfreed, until
// the blocks kept pass a bound, so that code still using it reads the pattern (a virtual
// call through a spoilt object faults at once) and a write into it spoils the pattern,
// which the checks below find.  A block of 256 bytes or more (the objects of controls,
// forms and models) is made on pages of its own, which go when it is freed: code that
// even reads a freed object faults at once, where it would read the pattern unnoticed.
#pragma once

#include <cstddef>
#include <string>

namespace tess::testing {

// The byte a freed block is filled with.
constexpr unsigned char kFreedByte = 0xDD;

// Checks every block kept now, and takes the findings of the blocks let go since the
// last call (each is checked as it goes): empty when every freed block still held the
// pattern, else how many were written to after they were freed.
std::string FreedBlocksWrittenTo();

}  // namespace tess::testing
