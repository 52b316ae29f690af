// See automation.h: the parts that are the same on every platform.
#include "platform/automation.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tess::platform {

std::string AutoValue::AsText() const {
  switch (kind) {
    case kInteger:
    case kBoolean:
      return std::to_string(integer);
    case kReal: {
      if (!text.empty()) return text;
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", number);
      return buf;
    }
    case kDate:
    case kText:
      return text;
    default:
      return std::string();
  }
}

int32_t AutoValue::AsInteger() const {
  switch (kind) {
    case kEmpty:
    case kNull:
      return 0;
    case kInteger:
    case kBoolean:
      return integer;
    case kReal:
    case kDate:
      if (number >= -2147483648.0 && number <= 2147483647.0)
        return static_cast<int32_t>(std::lround(number));
      break;
    case kText: {
      // The whole text must be a number, as a conversion of the value would demand.
      char* end = nullptr;
      const double d = std::strtod(text.c_str(), &end);
      if (!text.empty() && *end == '\0' && d >= -2147483648.0 && d <= 2147483647.0)
        return static_cast<int32_t>(std::lround(d));
      break;
    }
    default:
      break;
  }
  throw AutomationError("Type mismatch", static_cast<int32_t>(0x80020005));
}

}  // namespace tess::platform
