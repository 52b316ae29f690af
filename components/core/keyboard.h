// What the component library reads from the keyboard, the mouse settings and the font
// metrics of the system (windows build).
#pragma once

#include <cstdint>

#include "framework/win/wintypes.h"

namespace tess {

class TFont;

// The shift flags of the keyboard now: Ctrl 4, Shift 2, Alt 8.
uint8_t GetShiftFlags();
// The same flags from the framework's shift state.
uint8_t ShiftFlagsOf(TShiftState Shift);
// The virtual key of the primary mouse button: VK_RBUTTON (2) when the user swapped the
// buttons, else VK_LBUTTON (1).
uint8_t GetLeftButton();
// The vertical offset of the text in a single-line field Height pixels high.
int32_t GetTopTextMargin(TFont* Font, TBorderStyle BorderStyle, int32_t Height, bool Ctl3D);

}  // namespace tess
