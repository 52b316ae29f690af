// The server's values as VARIANTs: numbers from the server's text form, dates from the
// call interface's 7-byte form.  Windows build only; the includer brings platform/win32.h
// and <ole2.h> first.
//
// A number goes as VT_I4 when it is an integer of 32 bits, as VT_R8 when a double holds
// it (15 significant digits at the most), else as VT_DECIMAL when it fits one (96 bits,
// at most 28 places after the point), else as its text: never with digits lost.  A date
// goes as VT_DATE, whatever its year (see platform/automation_date.h).
#pragma once

#ifndef _OLEAUTO_H_
#error "include platform/win32.h and <ole2.h> before olesrv/variant_values.h"
#endif

#include <cstdint>
#include <string>

namespace tess::olesrv {

// Text: the server's text form of a number (a plain text that is none goes as text).
void SetNumber(VARIANT* R, const std::string& Text);
// False, leaving R alone, when the bytes name no date.
bool SetDate(VARIANT* R, const uint8_t Bytes[7]);

}  // namespace tess::olesrv
