// The vocabulary shared by the Win32 half of the framework: opaque handle types (so that
// no header needs <windows.h>), points and rectangles laid out like the system's POINT
// and RECT, colours, the message record, small enumeration sets and the event types of
// the controls.
//
// Handles are the system's own types: mingw declares HWND as `struct HWND__*`, and the
// forward declarations below name the same structs, so an HWnd is an HWND in a .cpp file
// and no cast is ever needed.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "framework/core/classes.h"

struct HWND__;
struct HDC__;
struct HFONT__;
struct HBITMAP__;
struct HBRUSH__;
struct HPEN__;
struct HICON__;
struct HINSTANCE__;
struct HMENU__;
struct HRGN__;

namespace tess {

using HWnd = HWND__*;
using HDc = HDC__*;
using HFont = HFONT__*;
using HBitmap = HBITMAP__*;
using HBrush = HBRUSH__*;
using HPen = HPEN__*;
using HIcon = HICON__*;
using HCursor = HICON__*;  // the system declares a cursor handle as an icon handle
using HInst = HINSTANCE__*;
using HMenu = HMENU__*;
using HRgn = HRGN__*;

// ---------------------------------------------------------------------------------------
// Points, sizes and rectangles (32-bit fields, the layout of POINT, SIZE and RECT)
// ---------------------------------------------------------------------------------------

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

struct TSize {
  int32_t cx = 0;
  int32_t cy = 0;
  bool operator==(const TSize&) const = default;
};

// Right and Bottom are exclusive, as in the system.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  TPoint TopLeft() const { return {Left, Top}; }
  TPoint BottomRight() const { return {Right, Bottom}; }
  bool operator==(const TRect&) const = default;
};

inline TPoint Point(int32_t X, int32_t Y) {
  return {X, Y};
}
inline TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom) {
  return {Left, Top, Right, Bottom};
}
inline TRect Bounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  return {Left, Top, Left + Width, Top + Height};
}
// The common part of A and B; an empty rectangle (all zero) when they do not meet.
TRect IntersectRect(const TRect& A, const TRect& B);
// The smallest rectangle holding both (an empty one counts as nothing).
TRect UnionRect(const TRect& A, const TRect& B);
TRect OffsetRect(const TRect& R, int32_t DX, int32_t DY);
// Grows (positive) or shrinks (negative) every side.
TRect InflateRect(const TRect& R, int32_t DX, int32_t DY);

// ---------------------------------------------------------------------------------------
// Small sets of enumeration values
// ---------------------------------------------------------------------------------------

// A set of the values of a scoped enumeration whose values are 0..63.
template <class E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> Values) {
    for (E v : Values) bits_ |= Bit(v);
  }
  static constexpr TEnumSet FromBits(uint64_t Bits) {
    TEnumSet s;
    s.bits_ = Bits;
    return s;
  }

  constexpr bool Contains(E V) const { return (bits_ & Bit(V)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint64_t Bits() const { return bits_; }
  constexpr TEnumSet& Include(E V) {
    bits_ |= Bit(V);
    return *this;
  }
  constexpr TEnumSet& Exclude(E V) {
    bits_ &= ~Bit(V);
    return *this;
  }
  constexpr TEnumSet operator+(TEnumSet O) const { return FromBits(bits_ | O.bits_); }
  constexpr TEnumSet operator-(TEnumSet O) const { return FromBits(bits_ & ~O.bits_); }
  constexpr TEnumSet operator*(TEnumSet O) const { return FromBits(bits_ & O.bits_); }
  constexpr TEnumSet operator+(E V) const { return FromBits(bits_ | Bit(V)); }
  constexpr TEnumSet operator-(E V) const { return FromBits(bits_ & ~Bit(V)); }
  constexpr TEnumSet& operator+=(TEnumSet O) {
    bits_ |= O.bits_;
    return *this;
  }
  constexpr TEnumSet& operator-=(TEnumSet O) {
    bits_ &= ~O.bits_;
    return *this;
  }
  constexpr TEnumSet& operator+=(E V) { return Include(V); }
  constexpr TEnumSet& operator-=(E V) { return Exclude(V); }
  constexpr bool operator==(const TEnumSet&) const = default;

 private:
  static constexpr uint64_t Bit(E V) { return uint64_t{1} << static_cast<unsigned>(V); }
  uint64_t bits_ = 0;
};

// ---------------------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------------------

// 0x00BBGGRR for a plain colour; 0x80000000 | index for the system colour of that index
// (turned into RGB by ColorToRGB when drawing, so it follows the user's scheme).
using TColor = int32_t;

constexpr TColor SysColor(int Index) {
  return static_cast<TColor>(0x80000000u | unsigned(Index));
}
constexpr bool IsSysColor(TColor C) {
  return C < 0;
}
constexpr TColor RGBColor(uint8_t R, uint8_t G, uint8_t B) {
  return static_cast<TColor>(uint32_t(R) | (uint32_t(G) << 8) | (uint32_t(B) << 16));
}
constexpr uint8_t GetRValue(TColor C) {
  return static_cast<uint8_t>(C & 0xFF);
}
constexpr uint8_t GetGValue(TColor C) {
  return static_cast<uint8_t>((C >> 8) & 0xFF);
}
constexpr uint8_t GetBValue(TColor C) {
  return static_cast<uint8_t>((C >> 16) & 0xFF);
}

constexpr TColor clScrollBar = SysColor(0);
constexpr TColor clBackground = SysColor(1);
constexpr TColor clActiveCaption = SysColor(2);
constexpr TColor clInactiveCaption = SysColor(3);
constexpr TColor clMenu = SysColor(4);
constexpr TColor clWindow = SysColor(5);
constexpr TColor clWindowFrame = SysColor(6);
constexpr TColor clMenuText = SysColor(7);
constexpr TColor clWindowText = SysColor(8);
constexpr TColor clCaptionText = SysColor(9);
constexpr TColor clActiveBorder = SysColor(10);
constexpr TColor clInactiveBorder = SysColor(11);
constexpr TColor clAppWorkSpace = SysColor(12);
constexpr TColor clHighlight = SysColor(13);
constexpr TColor clHighlightText = SysColor(14);
constexpr TColor clBtnFace = SysColor(15);
constexpr TColor clBtnShadow = SysColor(16);
constexpr TColor clGrayText = SysColor(17);
constexpr TColor clBtnText = SysColor(18);
constexpr TColor clInactiveCaptionText = SysColor(19);
constexpr TColor clBtnHighlight = SysColor(20);
constexpr TColor cl3DDkShadow = SysColor(21);
constexpr TColor cl3DLight = SysColor(22);
constexpr TColor clInfoText = SysColor(23);
constexpr TColor clInfoBk = SysColor(24);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
// "No colour" and "whatever the context uses": never drawn as such.
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours through the current scheme, plain ones as
// they are.  clNone and clDefault come back unchanged.
TColor ColorToRGB(TColor Color);

// ---------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------

// One window message as the window procedure received it, and its answer.
struct TMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;

  uint16_t WParamLo() const { return static_cast<uint16_t>(WParam & 0xFFFF); }
  uint16_t WParamHi() const { return static_cast<uint16_t>((WParam >> 16) & 0xFFFF); }
  uint16_t LParamLo() const { return static_cast<uint16_t>(LParam & 0xFFFF); }
  uint16_t LParamHi() const { return static_cast<uint16_t>((LParam >> 16) & 0xFFFF); }
  // Mouse messages: the signed client coordinates packed in LParam.
  int32_t XPos() const { return static_cast<int16_t>(LParam & 0xFFFF); }
  int32_t YPos() const { return static_cast<int16_t>((LParam >> 16) & 0xFFFF); }
};

// A queued message as the message loop sees it (the fields of the system's MSG).
struct TMsg {
  HWnd hwnd = nullptr;
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  uint32_t time = 0;
  TPoint pt;
};

using TWndMethod = std::function<void(TMessage& Message)>;

// Packs two 16-bit halves as mouse and notification messages carry them.
constexpr intptr_t MakeLParam(int Lo, int Hi) {
  return static_cast<intptr_t>(static_cast<uint32_t>((Lo & 0xFFFF) | ((Hi & 0xFFFF) << 16)));
}

// ---------------------------------------------------------------------------------------
// Keyboard and mouse
// ---------------------------------------------------------------------------------------

enum class TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftFlag>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// The shift state of a mouse message's key flags (MK_ bits) plus the Alt key now.
TShiftState MouseShiftState(uintptr_t KeyFlags);
// The shift state of the keyboard now (Shift, Ctrl, Alt).
TShiftState KeyboardShiftState();
// The shift state carried by a key message's key data (Alt from bit 29, the others read
// from the keyboard now).
TShiftState KeyDataToShiftState(intptr_t KeyData);

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                       int32_t X, int32_t Y)>;
using TMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

// ---------------------------------------------------------------------------------------
// Cursors: the negative numbers are the system's cursors, positive ones are cursors the
// program registers with Screen->SetCursors (usually loaded from its resources).
// ---------------------------------------------------------------------------------------

using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;  // a vertical bar to be dragged sideways
constexpr TCursor crVSplit = -15;  // a horizontal bar to be dragged up or down
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// ---------------------------------------------------------------------------------------
// Modal results (the numbers the system's message boxes return for the same buttons)
// ---------------------------------------------------------------------------------------

using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;

// ---------------------------------------------------------------------------------------
// Layout and look
// ---------------------------------------------------------------------------------------

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
// bsNone and bsSingle are the border of a control; the others only make sense for forms.
enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;
enum class TScrollBarKind { sbHorizontal, sbVertical };

// The module whose resources the program uses (the executable).
HInst HInstance();

}  // namespace tess
