// Caption buttons and the frame's hit test (see caption_geometry.h).
#include "components/decoration/caption_geometry.h"

#include <algorithm>

namespace tess {

TFrameButtonRects LayoutCaptionButtons(const TCaptionLayoutInput& In) {
  TFrameButtonRects r{};
  bool win95 = In.FrameStyle == TFrameStyles::fsWindows95;
  int32_t top = In.CaptionArea.Top + (win95 ? 2 : 0);
  int32_t bottom = In.CaptionArea.Bottom - (win95 ? 2 : 0);
  int32_t nl = std::clamp(In.ButtonsLeft, 0, 2), nr = std::clamp(In.ButtonsRight, 0, 4);
  // Neighbours overlap by one pixel (their outlines merge) except in the Windows 95 look.
  int32_t share = win95 ? 0 : 1;
  int32_t x = In.CaptionArea.Left + (win95 ? 1 : 0);
  for (int i = 1; i <= nl; ++i) {
    r[i] = {x, top, x + In.ButtonLeftWidth, bottom};
    x += In.ButtonLeftWidth - share;
  }
  x = In.CaptionArea.Right - (win95 ? 2 : 0);
  for (int k = 0; k < nr; ++k) {
    int i = 6 - k;
    if (k == 1 && win95 && In.ButtonRightGap) x -= 2;
    r[i] = {x - In.ButtonRightWidth, top, x, bottom};
    x -= In.ButtonRightWidth - share;
  }
  return r;
}

THitTestResult FrameHitTest(const THitTestInput& In, int32_t X, int32_t Y, int32_t Default) {
  THitTestResult res{Default, 0};
  const int32_t fo = In.FrameOffset;
  TFrameRect caption{fo, fo, In.Width - fo, fo + In.BarHeight};
  if (caption.Contains(X, Y) && In.HasBar) {
    if (In.SystemMenu && In.SysMenuBox.Contains(X, Y)) {
      res.Code = hit::kSysMenu;
      return res;
    }
    auto on_button = [&](int i) {
      if (!In.Buttons[i].Contains(X, Y)) return false;
      res = {hit::kFrameButton, i};
      return true;
    };
    for (int i = 1; i <= std::clamp(In.ButtonsLeft, 0, 2); ++i)
      if (on_button(i)) return res;
    for (int i = 6; i >= 7 - std::clamp(In.ButtonsRight, 0, 4); --i)
      if (on_button(i)) return res;
    res.Code = hit::kCaption;
    return res;
  }
  const TSizeStyle s = In.Sizing;
  if (s != TSizeStyle::szNone) {
    const bool both = s == TSizeStyle::szBoth;
    const int32_t cs = In.FrameCornerSize;
    const bool near_top = Y < cs, near_bottom = Y >= In.Height - cs;
    const bool near_left = X < cs, near_right = X >= In.Width - cs;
    // Later edges override earlier ones: a corner belongs to the top and bottom edges.
    if (s != TSizeStyle::szVertical) {
      if (X < fo) {
        res.Code = hit::kLeft;
        if (both && near_top) res.Code = hit::kTopLeft;
        if (both && near_bottom) res.Code = hit::kBottomLeft;
      }
      if (X >= In.Width - fo) {
        res.Code = hit::kRight;
        if (both && near_top) res.Code = hit::kTopRight;
        if (both && near_bottom) res.Code = hit::kBottomRight;
      }
    }
    if (s != TSizeStyle::szHorizontal) {
      if (Y < fo) {
        res.Code = hit::kTop;
        if (both && near_left) res.Code = hit::kTopLeft;
        if (both && near_right) res.Code = hit::kTopRight;
      }
      if (Y >= In.Height - fo) {
        res.Code = hit::kBottom;
        if (both && near_left) res.Code = hit::kBottomLeft;
        if (both && near_right) res.Code = hit::kBottomRight;
      }
    }
  }
  if (res.Code == hit::kClient && In.Grabbing) res.Code = hit::kCaption;
  return res;
}

}  // namespace tess
