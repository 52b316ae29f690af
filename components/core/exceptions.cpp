// See exceptions.h.
#include "components/core/exceptions.h"

#include "components/core/componentstrings.h"

namespace tess {

EOvcException::EOvcException(FromTable Res) : Exception(ComponentString(Res.Ident)), error_code_(0) {}

EInvalidPictureMask::EInvalidPictureMask(const std::string& Mask)
    : EEntryFieldError(Format(ComponentString(kInvalidPictureMask).c_str(), Mask.c_str())) {}

EInvalidRangeValue::EInvalidRangeValue(uint8_t DataType, const std::string& Picture)
    : EEntryFieldError(MessageFor(DataType, Picture)) {}

std::string EInvalidRangeValue::MessageFor(uint8_t DataType, const std::string& Picture) {
  auto ints = [](long long Lo, long long Hi) {
    return Format(ComponentString(kRangeIntegers).c_str(), static_cast<int>(Lo),
                  static_cast<int>(Hi));
  };
  switch (DataType) {
    case 4: return ints(-2147483648LL, 2147483647LL);
    case 5: return ints(0, 65535);
    case 6: return ints(-32768, 32767);
    case 7: return ints(0, 255);
    case 8: return ints(-128, 127);
    case 9: return ComponentString(kRangeReal);
    case 10: return ComponentString(kRangeExtended);
    case 11: return ComponentString(kRangeDouble);
    case 12: return ComponentString(kRangeSingle);
    case 13: return ComponentString(kRangeComp);
    case 14: return Format(ComponentString(kRangeDate).c_str(), Picture.c_str());
    case 15: return Format(ComponentString(kRangeTime).c_str(), Picture.c_str());
    default: return ComponentString(kRangeInvalid);
  }
}

void RaiseTableError(uint16_t ResId) {
  throw EOvcTableError(ComponentString(ResId));
}

}  // namespace tess
