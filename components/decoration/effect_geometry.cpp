// The effect label's arithmetic (see effect_geometry.h).
#include "components/decoration/effect_geometry.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace tess {

namespace {
constexpr double kPi = 3.14159265358979323846;
uint8_t Clamp8(double V) {
  long r = std::lround(V);
  return static_cast<uint8_t>(std::clamp<long>(r, 0, 255));
}
}  // namespace

TEffectOffset DirectionOffset(TEffectDirection Direction) {
  static const TEffectOffset table[] = {{0, 0},  {0, -1}, {1, -1}, {1, 0}, {1, 1},
                                        {0, 1},  {-1, 1}, {-1, 0}, {-1, -1}};
  auto i = static_cast<size_t>(Direction);
  assert(i < std::size(table));
  return table[i];
}

TEffectExtent EffectExtent(TEffectDirection HighlightDir, int32_t HighlightDepth,
                           TEffectDirection ShadowDir, int32_t ShadowDepth) {
  TEffectOffset h = DirectionOffset(HighlightDir), s = DirectionOffset(ShadowDir);
  int32_t v[] = {0, h.dx * HighlightDepth, h.dy * HighlightDepth, s.dx * ShadowDepth,
                 s.dy * ShadowDepth};
  TEffectExtent e;
  e.MinOff = *std::min_element(std::begin(v), std::end(v));
  e.MaxOff = *std::max_element(std::begin(v), std::end(v));
  return e;
}

TRgb GraduatedStepColor(TRgb Layer, TRgb Face, int32_t Depth, int32_t Step) {
  if (Depth <= 1) return Layer;
  double f = double(Depth - Step) / double(Depth - 1);
  return {Clamp8(Layer.R + (int(Face.R) - int(Layer.R)) * f),
          Clamp8(Layer.G + (int(Face.G) - int(Layer.G)) * f),
          Clamp8(Layer.B + (int(Face.B) - int(Layer.B)) * f)};
}

TGradientSteps::TGradientSteps(TRgb From, TRgb To, int32_t Size) : from_(From) {
  if (Size < 1) return;  // one line in From
  lines_ = Size + 1;
  step_r_ = (int(To.R) - int(From.R)) / double(Size);
  step_g_ = (int(To.G) - int(From.G)) / double(Size);
  step_b_ = (int(To.B) - int(From.B)) / double(Size);
}

TRgb TGradientSteps::Line(int32_t K) const {
  assert(K >= 0 && K < lines_);
  return {Clamp8(from_.R + step_r_ * K), Clamp8(from_.G + step_g_ * K),
          Clamp8(from_.B + step_b_ * K)};
}

TRotatedOrigin RotatedTextOrigin(int32_t C, int32_t W, int32_t H, double AngleDegrees) {
  double a = AngleDegrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  return {C - static_cast<int32_t>(std::trunc(W / 2.0 * c)) -
              static_cast<int32_t>(std::trunc(H / 2.0 * s)),
          C + static_cast<int32_t>(std::trunc(W / 2.0 * s)) -
              static_cast<int32_t>(std::trunc(H / 2.0 * c))};
}

std::vector<TRotatedOrigin> UprightLetterPositions(const std::vector<int32_t>& Advances,
                                                   int32_t H, double AngleDegrees) {
  double a = AngleDegrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  // Distance along the line to letter n: its letters' widths weigh by cos^2, the
  // letter heights by sin^2 (a steep line advances by heights, a flat one by widths).
  auto distance = [&](size_t n) {
    double w = 0;
    for (size_t i = 0; i < n; ++i) w += Advances[i];
    return std::lround(w * c * c + double(H) * double(n) * s * s);
  };
  std::vector<TRotatedOrigin> out;
  if (Advances.empty()) return out;
  long d = distance(Advances.size() - 1);
  int32_t ox = std::max(0L, -std::lround(d * c)) + 10;
  int32_t oy = std::max(0L, std::lround(d * s)) + 10;
  for (size_t n = 0; n < Advances.size(); ++n) {
    long dn = distance(n);
    out.push_back({ox + static_cast<int32_t>(std::lround(dn * c)),
                   oy - static_cast<int32_t>(std::lround(dn * s))});
  }
  return out;
}

std::array<TPointF, 4> RotatedTextCorners(TRotatedOrigin O, int32_t W, int32_t H,
                                          double AngleDegrees) {
  double a = AngleDegrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  // The text's x axis runs (c, -s) on the screen, its y axis (s, c).
  return {TPointF{O.X + 0.0, O.Y + 0.0}, TPointF{O.X + W * c, O.Y - W * s},
          TPointF{O.X + W * c + H * s, O.Y - W * s + H * c}, TPointF{O.X + H * s, O.Y + H * c}};
}

TBox RotatedTextBox(TRotatedOrigin O, int32_t W, int32_t H, double AngleDegrees) {
  std::array<TPointF, 4> p = RotatedTextCorners(O, W, H, AngleDegrees);
  auto x = [](const TPointF& A, const TPointF& B) { return A.X < B.X; };
  auto y = [](const TPointF& A, const TPointF& B) { return A.Y < B.Y; };
  TBox b;
  b.Left = static_cast<int32_t>(std::floor(std::min_element(p.begin(), p.end(), x)->X));
  b.Right = static_cast<int32_t>(std::ceil(std::max_element(p.begin(), p.end(), x)->X));
  b.Top = static_cast<int32_t>(std::floor(std::min_element(p.begin(), p.end(), y)->Y));
  b.Bottom = static_cast<int32_t>(std::ceil(std::max_element(p.begin(), p.end(), y)->Y));
  return b;
}

std::array<TRotatedOrigin, 6> SweptOutline(const std::array<TPointF, 4>& Corners, int32_t From,
                                           int32_t To) {
  // The corner farthest back along the sweep (the least x + y) is passed once unmoved,
  // the one opposite it once moved; its two neighbours bound the swept band and come
  // twice.  Which corner that is follows from the quadrant of the turn.
  size_t k = 0;
  for (size_t i = 1; i < 4; ++i)
    if (Corners[i].X + Corners[i].Y < Corners[k].X + Corners[k].Y) k = i;
  auto at = [&](size_t i, int32_t Shift) {
    const TPointF& p = Corners[(k + i) % 4];
    return TRotatedOrigin{static_cast<int32_t>(std::lround(p.X)) + Shift,
                          static_cast<int32_t>(std::lround(p.Y)) + Shift};
  };
  return {at(0, From), at(1, From), at(1, To), at(2, To), at(3, To), at(3, From)};
}

}  // namespace tess
