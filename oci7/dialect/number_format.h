// Number format models of TO_CHAR and TO_NUMBER ('999,999.99', 'FM0009', 'S999', '9.99EEEE',
// 'XXXX', 'RN', ...), and the decimal digits of a double that number text and rounding
// work on.  Internal to the dialect.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tess::oci7 {

// Throws ORA-01481 for a model it does not know.  Values that do not fit give '#'s.
std::string FormatNumberModel(double value, std::string_view format);
// Text in a number format model -> the number; nullopt when it does not match (ORA-01722).
std::optional<double> ParseNumberModel(std::string_view text, std::string_view format);

// The 15 significant decimal digits of |value| (finite, not zero), without the point, and
// the power of ten of the first: |value| is d.dddd... * 10^exponent.
void SignificantDigits(double value, std::string& digits, int& exponent);

// Rounds half away from zero (or truncates) to `digits` decimal places, on the decimal
// digits of the value: ROUND(1.005, 2) is 1.01.
double RoundDecimal(double v, int digits, bool truncate);

}  // namespace tess::oci7
