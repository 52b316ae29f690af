// See keyboard.h.  Also the command processor's forms that read the keyboard.
#include "components/core/keyboard.h"

#include "components/core/commands.h"
#include "components/core/strutils.h"
#include "framework/win/controls.h"
#include "framework/win/graphics.h"
#include "platform/win32.h"

namespace tess {

uint8_t GetShiftFlags() {
  uint8_t flags = 0;
  if (GetKeyState(VK_CONTROL) < 0) flags |= kShiftFlagCtrl;
  if (GetKeyState(VK_SHIFT) < 0) flags |= kShiftFlagShift;
  if (GetKeyState(VK_MENU) < 0) flags |= kShiftFlagAlt;
  return flags;
}

uint8_t ShiftFlagsOf(TShiftState Shift) {
  uint8_t flags = 0;
  if (Shift.Contains(TShiftFlag::ssShift)) flags |= kShiftFlagShift;
  if (Shift.Contains(TShiftFlag::ssCtrl)) flags |= kShiftFlagCtrl;
  if (Shift.Contains(TShiftFlag::ssAlt)) flags |= kShiftFlagAlt;
  return flags;
}

uint8_t GetLeftButton() {
  return GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
}

int32_t GetTopTextMargin(TFont* Font, TBorderStyle BorderStyle, int32_t Height, bool Ctl3D) {
  int32_t system = FontHeight(static_cast<HFont>(GetStockObject(SYSTEM_FONT)));
  int32_t own = FontHeight(Font->Handle());
  return TopTextMargin(system, own, BorderStyle != TBorderStyle::bsNone, Height, Ctl3D,
                       NewStyleControls);
}

uint16_t TOvcCommandProcessor::Translate(TMessage& Msg) {
  return TranslateKey(static_cast<uint16_t>(Msg.WParam & 0xFF), GetShiftFlags());
}

uint16_t TOvcCommandProcessor::TranslateKey(uint16_t Key, TShiftState Shift) {
  return TranslateKey(Key, ShiftFlagsOf(Shift));
}

uint16_t TOvcCommandProcessor::TranslateUsingTables(const std::vector<std::string>& TableNames,
                                                    TMessage& Msg) {
  return TranslateUsingTables(TableNames, static_cast<uint16_t>(Msg.WParam & 0xFF),
                              GetShiftFlags());
}

}  // namespace tess
