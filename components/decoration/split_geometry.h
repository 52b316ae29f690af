// The arithmetic of the splitter: the largest bar position, clamping, the percent view
// of the position, the panes' rectangles and where a dragged bar may go.  Portable.
//
// Invariant kept by ClampBarPosition: 0 <= position, and position <= largest whenever
// the largest position is not negative (a control too small for its bar gives 0).
#pragma once

#include <cstdint>

namespace tess {

enum class ToxsOrientation { oxsVert, oxsHorz };

struct TSplitRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TSplitRect&) const = default;
};

struct TSplitGeometry {
  ToxsOrientation Orientation = ToxsOrientation::oxsHorz;
  int32_t Width = 0, Height = 0;  // the client area
  int32_t FrameWidth = 0;
  int32_t BarWidth = 4;

  // The extent along the split direction less the frames and the bar.
  int32_t LargestPosition() const;
  int32_t ClampBarPosition(int32_t Position) const;
  // Position * 100 / largest, at most 100; 0 when the largest position is 0 or less.
  int32_t PercentOf(int32_t Position) const;
  int32_t PositionOfPercent(int32_t Percent) const;
  // The first and second pane and the bar (the bar spans the whole client width or
  // height).
  TSplitRect FirstPane(int32_t Position) const;
  TSplitRect SecondPane(int32_t Position) const;
  TSplitRect Bar(int32_t Position) const;
  // Where a bar dragged to BarStart (client coordinate of its near edge) may sit: no
  // nearer than the frame and at least 2 pixels before the far side less the bar.
  int32_t ClampDrag(int32_t BarStart) const;
  // The bar position a drag that ends with the bar's near edge at BarStart gives.
  int32_t PositionOfDrag(int32_t BarStart) const { return ClampBarPosition(BarStart - FrameWidth); }

 private:
  int32_t Extent() const { return Orientation == ToxsOrientation::oxsHorz ? Height : Width; }
};

}  // namespace tess
