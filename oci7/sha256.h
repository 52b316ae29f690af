// SHA-256 of a byte string, as lower-case hex: the password hash of the user catalog.
#pragma once

#include <string>
#include <string_view>

namespace tess::oci7 {

std::string Sha256Hex(std::string_view data);

}  // namespace tess::oci7
