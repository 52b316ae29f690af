// The check of a picture's bytes from a component stream or file: any input either
// passes with every offset and row inside the bytes, or raises EReadError.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "framework/core/dibdata.h"
#include "framework/core/sysutils.h"

using namespace tess;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const TDibLayout d = CheckDib(data, size);
    if (d.InfoOffset + d.InfoSize > size || d.BitsOffset + d.Stride * d.Height > size ||
        d.Stride * 8 < static_cast<size_t>(d.Width) * d.BitCount)
      std::abort();
  } catch (const EReadError&) {
  }
  return 0;
}
