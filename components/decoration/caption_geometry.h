// The geometry of a decorated window frame: where the caption buttons lie and what
// every point of the window is (the answer to the system's non-client hit test).
// Portable: the hit-test codes are the system's numbers, named here.
//
// Coordinates are window coordinates (0, 0 at the window's top-left corner).
#pragma once

#include <array>
#include <cstdint>

namespace tess {

// The system's hit-test codes used by the frame, plus our own code for a caption button.
namespace hit {
constexpr int32_t kNowhere = 0;
constexpr int32_t kClient = 1;
constexpr int32_t kCaption = 2;
constexpr int32_t kSysMenu = 3;
constexpr int32_t kLeft = 10;
constexpr int32_t kRight = 11;
constexpr int32_t kTop = 12;
constexpr int32_t kTopLeft = 13;
constexpr int32_t kTopRight = 14;
constexpr int32_t kBottom = 15;
constexpr int32_t kBottomLeft = 16;
constexpr int32_t kBottomRight = 17;
// A caption button of ours; the system passes unknown codes on to the button messages.
constexpr int32_t kFrameButton = 19;
}  // namespace hit

enum class TSizeStyle { szNone, szBoth, szVertical, szHorizontal };
enum class TFrameStyles { fsStandard, fsRaised, fsRaisedFrame, fsThin, fsWindows95 };

struct TFrameRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int32_t X, int32_t Y) const {
    return X >= Left && X < Right && Y >= Top && Y < Bottom;
  }
  bool Empty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TFrameRect&) const = default;
};

// Buttons 1..6 (index 0 unused); 1 and 2 on the left, 3..6 on the right.
using TFrameButtonRects = std::array<TFrameRect, 7>;

struct TCaptionLayoutInput {
  TFrameRect CaptionArea;  // the caption bar less the system-menu box
  TFrameStyles FrameStyle = TFrameStyles::fsStandard;
  int32_t ButtonsLeft = 1;   // 0..2
  int32_t ButtonsRight = 2;  // 0..4
  int32_t ButtonLeftWidth = 16;
  int32_t ButtonRightWidth = 16;
  bool ButtonRightGap = false;
};

// Left buttons run from the area's left edge, right buttons 6, 5, ... from its right
// edge; neighbours share a pixel except in the Windows 95 look, where they sit apart,
// 2 pixels in from top and bottom.  Buttons not shown are empty.
TFrameButtonRects LayoutCaptionButtons(const TCaptionLayoutInput& In);

struct THitTestInput {
  int32_t Width = 0, Height = 0;  // the window
  int32_t FrameOffset = 4;        // frame thickness (1 for the thin look)
  int32_t BarHeight = 18;
  bool HasBar = true;  // false: no caption bar
  bool SystemMenu = true;
  TFrameRect SysMenuBox;
  TFrameButtonRects Buttons;
  int32_t ButtonsLeft = 1, ButtonsRight = 2;
  TSizeStyle Sizing = TSizeStyle::szBoth;  // the style in force (rolled up or not)
  int32_t FrameCornerSize = 30;
  bool Grabbing = false;
};

struct THitTestResult {
  int32_t Code = hit::kNowhere;
  int32_t ButtonIndex = 0;  // 1..6 with kFrameButton
};

// What the point (X, Y) is, starting from Default, the system's own answer.
THitTestResult FrameHitTest(const THitTestInput& In, int32_t X, int32_t Y, int32_t Default);

}  // namespace tess
