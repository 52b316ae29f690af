// The effect label: a caption painted with a highlight and a shadow layer, each offset
// in one of eight directions by up to 10 pixels, drawn flat, extruded, graduated or as a
// translucent shadow; a face that may be a colour gradient; six colour schemes; the text
// turned by any angle, optionally with upright letters; and a push-button mode.
//
// The label is composed off screen in two DIB sections of its size (the picture and a
// mask), whose pixels are read and written directly: per-pixel calls are far too slow.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "components/decoration/effect_geometry.h"
#include "framework/win/stdctrls.h"

namespace tess {

enum class TGraduateOption { goNone, goVertical, goHorizontal };
enum class TEffectOption { eoNormal, eoReal, eoExtrude, eoGraduated };
enum class TEffectStyle { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum class TColourScheme { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };

class TLabelEffect : public TCustomLabel {
 public:
  explicit TLabelEffect(TComponent* AOwner);

  int32_t DepthHighlight() const { return depth_highlight_; }
  void SetDepthHighlight(int32_t Value);
  int32_t DepthShadow() const { return depth_shadow_; }
  void SetDepthShadow(int32_t Value);
  TEffectDirection DirectionHighlight() const { return direction_highlight_; }
  void SetDirectionHighlight(TEffectDirection Value);
  TEffectDirection DirectionShadow() const { return direction_shadow_; }
  void SetDirectionShadow(TEffectDirection Value);
  TColor ColourHighlight() const { return colour_highlight_; }
  void SetColourHighlight(TColor Value);
  TColor ColourShadow() const { return colour_shadow_; }
  void SetColourShadow(TColor Value);
  TGraduateOption GraduateFace() const { return graduate_face_; }
  void SetGraduateFace(TGraduateOption Value);
  TColor GraduateFrom() const { return graduate_from_; }
  void SetGraduateFrom(TColor Value);
  TEffectOption StyleHighlight() const { return style_highlight_; }
  void SetStyleHighlight(TEffectOption Value);
  TEffectOption StyleShadow() const { return style_shadow_; }
  void SetStyleShadow(TEffectOption Value);
  TEffectStyle EffectStyle() const { return effect_style_; }
  void SetEffectStyle(TEffectStyle Value);
  TColourScheme ColourScheme() const { return colour_scheme_; }
  void SetColourScheme(TColourScheme Value);
  bool AsButton() const { return as_button_; }
  void SetAsButton(bool Value);
  uint16_t Angle() const { return angle_; }
  void SetAngle(uint16_t Value);
  bool KeepLettersVertical() const { return keep_letters_vertical_; }
  void SetKeepLettersVertical(bool Value);

  void Dispatch(TMessage& Message) override;
  void PublishProperties(TPropertyList& Props) override;

 protected:
  void Paint() override;

 private:
  struct Scheme {
    TColor Highlight, Shadow, Font;
  };
  // Upright letters of Text along the turned line, in C's font: each letter's advance
  // and where it is drawn (before the layer offsets); H is the letter height.
  struct TUprightLetters {
    std::vector<int32_t> Advances;
    std::vector<TRotatedOrigin> Positions;
  };
  TUprightLetters UprightLetters(TCanvas* C, const std::string& Text, int32_t H) const;
  // The face's outline, corners in order round it: turned with the text.
  std::array<TPointF, 4> FaceCorners(TCanvas* C);
  // Draws the caption once, at the step offset (DX, DY), in Color, on C.
  void DrawStep(TCanvas* C, int32_t DX, int32_t DY, TColor Color);
  void DrawLayer(TBitmap& B, TBitmap& M, TEffectDirection Dir, int32_t Depth, TColor Color,
                 TEffectOption Style);
  void GradientFace(TBitmap& B, TBitmap& M);
  // The face's text box (label coordinates).
  TBox FaceBox(TCanvas* C);
  // Its own properties are being read: each value read stands for itself, none moves
  // another (the stream holds every value the presets and the angle had set).
  bool Reading() const { return (ComponentState() & csReading) != 0; }

  int32_t depth_highlight_ = 1, depth_shadow_ = 1;
  TEffectDirection direction_highlight_ = TEffectDirection::edUpLeft;
  TEffectDirection direction_shadow_ = TEffectDirection::edDownRight;
  TColor colour_highlight_ = clWhite, colour_shadow_ = clBlack;
  TGraduateOption graduate_face_ = TGraduateOption::goNone;
  TColor graduate_from_ = clGray;
  TEffectOption style_highlight_ = TEffectOption::eoNormal, style_shadow_ = TEffectOption::eoNormal;
  TEffectStyle effect_style_ = TEffectStyle::esRaised;
  TColourScheme colour_scheme_ = TColourScheme::csWindows;
  bool as_button_ = false;
  uint16_t angle_ = 0;
  bool keep_letters_vertical_ = false;
  bool setting_style_ = false, setting_scheme_ = false;
  std::array<Scheme, 6> schemes_;
  double cos_ = 1, sin_ = 0;
  // Offsets of the paint in progress.
  TEffectExtent extent_;
  int32_t xadj_ = 0;
  TRotatedOrigin origin_;
};

void RegisterLabelEffectClasses();

}  // namespace tess
