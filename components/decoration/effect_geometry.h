// The arithmetic of the effect label: the eight offset directions, the extent the
// layers add to the text, the colours of graduated layers and gradient faces, and the
// placement of rotated text and of upright letters along a turned line.  Portable:
// colours here are plain RGB triples (a system colour is turned into RGB by the caller
// before it comes here).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace tess {

enum class TEffectDirection {
  edNone,
  edUp,
  edUpRight,
  edRight,
  edDownRight,
  edDown,
  edDownLeft,
  edLeft,
  edUpLeft
};

struct TEffectOffset {
  int32_t dx = 0;
  int32_t dy = 0;
  bool operator==(const TEffectOffset&) const = default;
};

// The unit offset of a direction, y downwards.
TEffectOffset DirectionOffset(TEffectDirection Direction);

// How far the two layers reach beyond the face: MinOff <= 0 <= MaxOff, the smallest and
// largest of 0 and dx*depth, dy*depth of both layers.
struct TEffectExtent {
  int32_t MinOff = 0;
  int32_t MaxOff = 0;
};
TEffectExtent EffectExtent(TEffectDirection HighlightDir, int32_t HighlightDepth,
                           TEffectDirection ShadowDir, int32_t ShadowDepth);

struct TRgb {
  uint8_t R = 0;
  uint8_t G = 0;
  uint8_t B = 0;
  bool operator==(const TRgb&) const = default;
};

// The colour of step I (1..Depth) of a graduated layer: the step next to the face
// (I = 1) has the face colour, the farthest (I = Depth) the layer colour.  Depth 1 is
// drawn in the layer colour.
TRgb GraduatedStepColor(TRgb Layer, TRgb Face, int32_t Depth, int32_t Step);

// A gradient across Size + 1 lines from From (line 0) to To (line Size).  A Size below
// 1 (a box one pixel thick, or none) gives a single line in From: no division by it.
class TGradientSteps {
 public:
  TGradientSteps(TRgb From, TRgb To, int32_t Size);
  int32_t Lines() const { return lines_; }
  TRgb Line(int32_t K) const;

 private:
  TRgb from_;
  double step_r_ = 0, step_g_ = 0, step_b_ = 0;
  int32_t lines_ = 1;
};

// Rotation of the text about (C, C), C being half the width of the caption followed by
// three spaces; W and H the caption's width and height.  Angle in degrees.
struct TRotatedOrigin {
  int32_t X = 0;
  int32_t Y = 0;
};
TRotatedOrigin RotatedTextOrigin(int32_t C, int32_t W, int32_t H, double AngleDegrees);

// Upright letters along a line turned by Angle: the positions of the letters, given the
// advance of every letter and the letter height.  The first letter sits 10 pixels in
// from the side the line runs away from.
std::vector<TRotatedOrigin> UprightLetterPositions(const std::vector<int32_t>& Advances,
                                                   int32_t H, double AngleDegrees);

// The four corners of the W x H box of text drawn from Origin and turned by Angle
// (counter-clockwise, y downwards), as an enclosing box.
struct TBox {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};
TBox RotatedTextBox(TRotatedOrigin Origin, int32_t W, int32_t H, double AngleDegrees);

// The same box's four corners exactly, in order round it: the origin, the end of the
// text's base line, the far corner, the start of its bottom line.
struct TPointF {
  double X = 0;
  double Y = 0;
};
std::array<TPointF, 4> RotatedTextCorners(TRotatedOrigin Origin, int32_t W, int32_t H,
                                          double AngleDegrees);

// What an opaque turned label fills: the four-cornered outline (corners in order round
// it) swept from (From, From) to (To, To), the reach of the label's two layers; a
// six-sided outline, corners in order.
std::array<TRotatedOrigin, 6> SweptOutline(const std::array<TPointF, 4>& Corners, int32_t From,
                                           int32_t To);

}  // namespace tess
