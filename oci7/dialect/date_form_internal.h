// Date format models on calendar values, for the dialect's own functions.
#pragma once

#include <string>
#include <string_view>

#include "oci7/dialect/calendar.h"

namespace tess::oci7 {

std::string FormatDate(const cal::DateTime& d, std::string_view format);
// `now` supplies the year and month a format leaves out (and the century of YY and RR).
cal::DateTime ParseDate(std::string_view text, std::string_view format, const cal::DateTime& now);

}  // namespace tess::oci7
