// ANSI (the system code page) to UTF-16 and back, for the automation calls that take
// and give wide strings.  Windows build only.
#pragma once

#include <cstddef>
#include <string>

namespace tess::platform {

std::wstring AnsiToWide(const std::string& S);
std::string WideToAnsi(const wchar_t* W, size_t Length);

}  // namespace tess::platform
