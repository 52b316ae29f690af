// String resources through LoadString.
#include "framework/win/resstr.h"

#include <vector>

#include "framework/win/wintypes.h"
#include "platform/win32.h"

namespace tess {

std::string LoadStr(int32_t Ident) {
  // LoadString truncates to the buffer; grow until the text fits.
  std::vector<char> buf(256);
  for (;;) {
    int got = LoadStringA(HInstance(), static_cast<UINT>(Ident), buf.data(),
                          static_cast<int>(buf.size()));
    if (got <= 0) return {};
    if (static_cast<size_t>(got) + 1 < buf.size() || buf.size() >= 65536)
      return std::string(buf.data(), static_cast<size_t>(got));
    buf.resize(buf.size() * 4);
  }
}

}  // namespace tess
