// Number format models of TO_CHAR and TO_NUMBER ('999,999.99', 'FM0009', 'S999', '9.99EEEE',
// 'XXXX', 'RN', 'L999', 'C999', ...), and the 15 decimal digits of a double that a number's
// text form shows.  Internal to the dialect.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "oci7/dialect/decimal.h"

namespace tess::oci7 {

// The value's decimal digits, rounded half away from zero to the model.  Throws ORA-01481
// for a model it does not know.  Values that do not fit give '#'s.
std::string FormatNumberModel(EngineNumber value, std::string_view format);
// Text in a number format model -> the number; nullopt when it does not fit the model:
// more digits than it holds, a point, group separator, sign, currency or exponent where
// it has none (ORA-01722).
std::optional<double> ParseNumberModel(std::string_view text, std::string_view format);

// The 15 significant decimal digits of |value| (finite, not zero), without the point, and
// the power of ten of the first: |value| is d.dddd... * 10^exponent.
void SignificantDigits(double value, std::string& digits, int& exponent);
// FormatOracleNumber the general way, through the value's significant digits, for every
// value; FormatOracleNumber itself takes a shorter way for integral and fixed-scale values
// and gives the same text.
std::string FormatOracleNumberByDigits(double value);

}  // namespace tess::oci7
