// The system's idea of one ANSI character: is it a letter, and what are its upper- and
// lower-case forms.  On Windows these are the user's code page as IsCharAlphaA,
// CharUpperA and CharLowerA see it; elsewhere the Windows-1252 code page (the one the
// program's texts are written in), so both builds agree on the same bytes.
#pragma once

#include <cstdint>

namespace tess::platform {

bool IsAlphaChar(uint8_t C);
uint8_t UpperChar(uint8_t C);
uint8_t LowerChar(uint8_t C);

}  // namespace tess::platform
