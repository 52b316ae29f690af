// Bytes left on the calling thread's stack, for code that recurses on what a text holds.
#pragma once

#include <cstddef>

namespace tess::oci7 {

// Bytes left on the calling thread's stack below this point (SIZE_MAX when unknown).
size_t StackRoom();

// What a parser keeps free below a level of nesting before it refuses to go deeper: the
// frames of the levels after it and of the error's unwinding (with the address sanitizer
// every frame is several times larger).
#if defined(__SANITIZE_ADDRESS__)
inline constexpr size_t kParseStackReserve = 512 * 1024;
#else
inline constexpr size_t kParseStackReserve = 128 * 1024;
#endif

}  // namespace tess::oci7
