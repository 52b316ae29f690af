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
#include "fuzz/fuzz_check.h"

using namespace tess;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string s(reinterpret_cast<const char*>(data), size);

  int32_t i32 = 0;
  const bool ok32 = TryStrToInt(s, i32);
  FUZZ_CHECK(StrToIntDef(s, 7) == (ok32 ? i32 : 7));
  try {
    FUZZ_CHECK(StrToInt(s) == i32 && ok32);
  } catch (const EConvertError&) {
    FUZZ_CHECK(!ok32);
  }
  if (ok32) {
    int32_t back = 0;
    FUZZ_CHECK(TryStrToInt(IntToStr(i32), back) && back == i32);
  }

  int64_t i64 = 0;
  const bool ok64 = TryStrToInt64(s, i64);
  FUZZ_CHECK(StrToInt64Def(s, 7) == (ok64 ? i64 : 7));
  if (ok64) {
    int64_t back = 0;
    FUZZ_CHECK(TryStrToInt64(IntToStr(i64), back) && back == i64);
    FUZZ_CHECK(TryStrToInt64(" $" + IntToHex(static_cast<uint64_t>(i64), 1) + " ", back) || i64 < 0);
  }

  double d = 0;
  const bool okd = TryStrToFloat(s, d);
  try {
    const double t = StrToFloat(s);
    FUZZ_CHECK(okd && (t == d || (std::isnan(t) && std::isnan(d))));
  } catch (const EConvertError&) {
    FUZZ_CHECK(!okd);
  }
  if (okd && std::isfinite(d)) {
    double back = 0;
    FUZZ_CHECK(TryStrToFloat(FloatToStr(d), back) && back == d);
  }
  return 0;
}
