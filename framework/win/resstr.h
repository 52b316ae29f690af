// String resources of the program, by number.
#pragma once

#include <cstdint>
#include <string>

namespace tess {

// The string resource Ident of the program's module; "" when there is none.
std::string LoadStr(int32_t Ident);

}  // namespace tess
