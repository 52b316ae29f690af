// Rectangle arithmetic, colour conversion and shift states.
#include "framework/win/wintypes.h"

#include <algorithm>
#include <cstddef>

#include "platform/win32.h"

namespace tess {

static_assert(sizeof(TRect) == sizeof(RECT) && offsetof(TRect, Bottom) == offsetof(RECT, bottom));
static_assert(sizeof(TPoint) == sizeof(POINT) && offsetof(TPoint, Y) == offsetof(POINT, y));
static_assert(sizeof(TSize) == sizeof(SIZE));

TRect IntersectRect(const TRect& A, const TRect& B) {
  TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
          std::min(A.Bottom, B.Bottom)};
  if (r.IsEmpty()) return TRect{};
  return r;
}

TRect UnionRect(const TRect& A, const TRect& B) {
  if (A.IsEmpty()) return B;
  if (B.IsEmpty()) return A;
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
          std::max(A.Bottom, B.Bottom)};
}

TRect OffsetRect(const TRect& R, int32_t DX, int32_t DY) {
  return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY};
}

TRect InflateRect(const TRect& R, int32_t DX, int32_t DY) {
  return {R.Left - DX, R.Top - DY, R.Right + DX, R.Bottom + DY};
}

TColor ColorToRGB(TColor Color) {
  if (Color == clNone || Color == clDefault) return Color;
  if (IsSysColor(Color)) return static_cast<TColor>(GetSysColor(Color & 0xFF));
  return Color & 0xFFFFFF;
}

TShiftState KeyboardShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += TShiftFlag::ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += TShiftFlag::ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s += TShiftFlag::ssAlt;
  return s;
}

TShiftState MouseShiftState(uintptr_t KeyFlags) {
  TShiftState s;
  if (KeyFlags & MK_SHIFT) s += TShiftFlag::ssShift;
  if (KeyFlags & MK_CONTROL) s += TShiftFlag::ssCtrl;
  if (KeyFlags & MK_LBUTTON) s += TShiftFlag::ssLeft;
  if (KeyFlags & MK_RBUTTON) s += TShiftFlag::ssRight;
  if (KeyFlags & MK_MBUTTON) s += TShiftFlag::ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s += TShiftFlag::ssAlt;
  return s;
}

TShiftState KeyDataToShiftState(intptr_t KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s += TShiftFlag::ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s += TShiftFlag::ssCtrl;
  if (KeyData & 0x20000000) s += TShiftFlag::ssAlt;
  return s;
}

HInst HInstance() {
  return GetModuleHandleA(nullptr);
}

}  // namespace tess
