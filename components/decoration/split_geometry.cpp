// The splitter's arithmetic (see split_geometry.h).
#include "components/decoration/split_geometry.h"

#include <algorithm>

namespace tess {

int32_t TSplitGeometry::LargestPosition() const {
  return Extent() - 2 * FrameWidth - BarWidth;
}

int32_t TSplitGeometry::ClampBarPosition(int32_t Position) const {
  // The lower bound last: a control smaller than its bar still gets 0, never less.
  return std::max(0, std::min(Position, LargestPosition()));
}

int32_t TSplitGeometry::PercentOf(int32_t Position) const {
  int32_t largest = LargestPosition();
  if (largest <= 0) return 0;
  return std::clamp(static_cast<int32_t>(int64_t{Position} * 100 / largest), 0, 100);
}

int32_t TSplitGeometry::PositionOfPercent(int32_t Percent) const {
  if (Percent <= 0) return 0;
  return ClampBarPosition(static_cast<int32_t>(int64_t{std::min(Percent, 100)} *
                                               LargestPosition() / 100));
}

TSplitRect TSplitGeometry::FirstPane(int32_t P) const {
  const int32_t f = FrameWidth;
  if (Orientation == ToxsOrientation::oxsHorz) return {f, f, Width - f, f + P};
  return {f, f, f + P, Height - f};
}

TSplitRect TSplitGeometry::SecondPane(int32_t P) const {
  const int32_t f = FrameWidth;
  if (Orientation == ToxsOrientation::oxsHorz)
    return {f, f + P + BarWidth, Width - f, std::max(f + P + BarWidth, Height - f)};
  return {f + P + BarWidth, f, std::max(f + P + BarWidth, Width - f), Height - f};
}

TSplitRect TSplitGeometry::Bar(int32_t P) const {
  const int32_t start = P + FrameWidth;
  if (Orientation == ToxsOrientation::oxsHorz) return {0, start, Width, start + BarWidth};
  return {start, 0, start + BarWidth, Height};
}

int32_t TSplitGeometry::ClampDrag(int32_t BarStart) const {
  int32_t hi = Extent() - FrameWidth - BarWidth - 2;
  return std::max(FrameWidth, std::min(BarStart, hi));
}

}  // namespace tess
