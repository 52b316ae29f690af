// The framework's reading of numbers from text (what the settings files and the profile
// strings hand over): the checked, defaulted and throwing forms agree, and every number
// accepted prints as text that reads back as the same number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/core/sysutils.h"

using namespace tess;

#define Check(ok)                                                                    \
  do {                                                                               \
    if (!(ok)) {                                                                     \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #ok);    \
      std::abort();                                                                  \
    }                                                                                \
  } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);

  int32_t i32 = 0;
  const bool ok32 = TryStrToInt(s, i32);
  Check(StrToIntDef(s, 7) == (ok32 ? i32 : 7));
  try {
    Check(StrToInt(s) == i32 && ok32);
  } catch (const EConvertError&) {
    Check(!ok32);
  }
  if (ok32) {
    int32_t back = 0;
    Check(TryStrToInt(IntToStr(i32), back) && back == i32);
  }

  int64_t i64 = 0;
  const bool ok64 = TryStrToInt64(s, i64);
  Check(StrToInt64Def(s, 7) == (ok64 ? i64 : 7));
  if (ok64) {
    int64_t back = 0;
    Check(TryStrToInt64(IntToStr(i64), back) && back == i64);
    Check(TryStrToInt64(" $" + IntToHex(static_cast<uint64_t>(i64), 1) + " ", back) || i64 < 0);
  }

  double d = 0;
  const bool okd = TryStrToFloat(s, d);
  try {
    const double t = StrToFloat(s);
    Check(okd && (t == d || (std::isnan(t) && std::isnan(d))));
  } catch (const EConvertError&) {
    Check(!okd);
  }
  if (okd && std::isfinite(d)) {
    double back = 0;
    Check(TryStrToFloat(FloatToStr(d), back) && back == d);
  }
  return 0;
}
