// The effect label: its presets and schemes, the push-button mode through mouse
// messages, and its layers, gradient face, translucent shadow and rotation painted into
// a bitmap and probed by pixel.
#include <gtest/gtest.h>

#include <map>

#include "components/decoration/labeleffect.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;

// Paints the label on a background of one colour and counts the colours it left.
struct Picture {
  std::unique_ptr<TBitmap> bmp;
  std::map<TColor, int> counts;
  TRect BoxOf(TColor C) const {
    TRect b{bmp->Width(), bmp->Height(), 0, 0};
    for (int y = 0; y < bmp->Height(); ++y)
      for (int x = 0; x < bmp->Width(); ++x)
        if (bmp->Canvas()->Pixel(x, y) == C) {
          b.Left = std::min(b.Left, x);
          b.Top = std::min(b.Top, y);
          b.Right = std::max(b.Right, x + 1);
          b.Bottom = std::max(b.Bottom, y + 1);
        }
    return b;
  }
  int operator[](TColor C) const {
    auto it = counts.find(C);
    return it == counts.end() ? 0 : it->second;
  }
};

Picture Paint(TLabelEffect* L, TColor Background = clSilver) {
  Picture p;
  p.bmp = std::make_unique<TBitmap>(L->Width(), L->Height(), TPixelFormat::pf24bit);
  TCanvas* c = p.bmp->Canvas();
  c->Brush()->SetColor(Background);
  c->FillRect(Rect(0, 0, L->Width(), L->Height()));
  L->PaintTo(c);
  for (int y = 0; y < L->Height(); ++y)
    for (int x = 0; x < L->Width(); ++x) ++p.counts[c->Pixel(x, y)];
  return p;
}

class LabelTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    label = new TLabelEffect(form);
    label->SetParent(form);
    label->SetCaption("Tessellar");
    // Plain pixels: smoothed edges would blend the layers' colours.
    label->Font()->SetQuality(NONANTIALIASED_QUALITY);
  }
  TLabelEffect* label = nullptr;
};

TEST_F(LabelTest, StartsRaisedGrayAndTimes) {
  EXPECT_EQ(label->Font()->Name(), "Times New Roman");
  EXPECT_EQ(label->Font()->Size(), 20);
  EXPECT_EQ(label->Font()->Color(), clGray);
  EXPECT_EQ(label->Width(), 142);
  EXPECT_EQ(label->Height(), 33);
  EXPECT_TRUE(label->Transparent());
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esRaised);
  EXPECT_EQ(label->ColourScheme(), TColourScheme::csWindows);
  Picture p = Paint(label);
  ASSERT_GT(p[clGray], 0);
  // The highlight sits up-left of the face, the shadow down-right.
  TRect face = p.BoxOf(clGray), white = p.BoxOf(clWhite), black = p.BoxOf(clBlack);
  EXPECT_EQ(white.Left, face.Left - 1);
  EXPECT_EQ(white.Top, face.Top - 1);
  EXPECT_EQ(black.Right, face.Right + 1);
  EXPECT_EQ(black.Bottom, face.Bottom + 1);
}

TEST_F(LabelTest, PresetsAndSchemesFollowTheRules) {
  label->SetDepthShadow(3);
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esCustom);
  label->SetEffectStyle(TEffectStyle::esRaised);
  EXPECT_EQ(label->DepthShadow(), 1);
  EXPECT_EQ(label->DepthHighlight(), 1);
  label->SetEffectStyle(TEffectStyle::esFlying);
  EXPECT_EQ(label->DepthShadow(), 5);
  EXPECT_EQ(label->ColourHighlight(), clBlack) << "the scheme's shadow colour";
  label->SetEffectStyle(TEffectStyle::esNone);
  EXPECT_EQ(label->DepthHighlight(), 0);
  EXPECT_EQ(label->DirectionShadow(), TEffectDirection::edNone);

  label->SetColourScheme(TColourScheme::csGold);
  EXPECT_EQ(label->ColourHighlight(), clYellow);
  EXPECT_EQ(label->ColourShadow(), clBlack);
  EXPECT_EQ(label->Font()->Color(), clOlive);
  label->SetColourHighlight(clRed);
  EXPECT_EQ(label->ColourScheme(), TColourScheme::csCustom);
  EXPECT_EQ(label->ColourShadow(), clBlack);
  EXPECT_EQ(label->Font()->Color(), clOlive);
  // The custom scheme keeps the custom colours.
  label->SetColourScheme(TColourScheme::csSteel);
  label->SetColourScheme(TColourScheme::csCustom);
  EXPECT_EQ(label->ColourHighlight(), clAqua);

  label->SetAngle(90);
  EXPECT_EQ(label->Alignment(), TAlignment::taLeftJustify);
}

TEST_F(LabelTest, AsButtonPressesAndReleases) {
  ShowForm();
  int downs = 0, clicks = 0;
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) { ++downs; };
  label->OnClick = [&](TObject*) { ++clicks; };
  label->SetAsButton(true);
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esRaised);
  label->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 10));
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esSunken);
  label->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(300, 10));
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esRaised);
  label->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(20, 20));
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esSunken);
  label->Perform(WM_LBUTTONUP, 0, MakeLParam(20, 20));
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esRaised);
  EXPECT_EQ(downs, 0) << "the inherited mouse handling is skipped";
  EXPECT_TRUE(label->AsButton());
  label->SetEnabled(false);
  label->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(10, 10));
  EXPECT_EQ(label->EffectStyle(), TEffectStyle::esRaised);
  (void)clicks;
}

TEST_F(LabelTest, LayersPaintInTheirStyles) {
  label->SetColourScheme(TColourScheme::csText);  // white, gray, black
  // Extruded: a solid run of shadow pixels, three deep.
  label->SetDirectionShadow(TEffectDirection::edRight);
  label->SetDepthShadow(3);
  label->SetStyleShadow(TEffectOption::eoExtrude);
  label->SetDepthHighlight(0);
  Picture p = Paint(label);
  EXPECT_EQ(p.BoxOf(clGray).Right, p.BoxOf(clBlack).Right + 3);
  int extruded = p[clGray];
  label->SetStyleShadow(TEffectOption::eoNormal);
  EXPECT_LT(Paint(label)[clGray], extruded);
  // Graduated: the steps between the face colour and the layer colour.
  label->SetColourShadow(RGBColor(0, 0, 200));
  label->SetFont(label->Font());
  label->Font()->SetColor(RGBColor(0, 0, 0));
  label->SetStyleShadow(TEffectOption::eoGraduated);
  p = Paint(label);
  EXPECT_GT(p[RGBColor(0, 0, 200)], 0);
  EXPECT_GT(p[RGBColor(0, 0, 100)], 0);
  // Translucent: the background under the shadow is halved.
  label->SetStyleShadow(TEffectOption::eoReal);
  p = Paint(label, clSilver);
  EXPECT_GT(p[RGBColor(0x60, 0x60, 0x60)], 0);
  EXPECT_EQ(p[RGBColor(0, 0, 200)], 0);
}

TEST_F(LabelTest, GradientFaceRunsAcrossTheText) {
  label->SetEffectStyle(TEffectStyle::esNone);
  label->Font()->SetColor(clBlue);
  label->SetGraduateFrom(clRed);
  label->SetGraduateFace(TGraduateOption::goVertical);
  Picture p = Paint(label, clWhite);
  // The top of the text is reddish, the bottom bluish.
  int top_red = 0, bottom_blue = 0;
  for (int y = 0; y < label->Height(); ++y)
    for (int x = 0; x < label->Width(); ++x) {
      TColor c = p.bmp->Canvas()->Pixel(x, y);
      if (c == clWhite) continue;
      if (y < label->Height() / 3 && GetRValue(c) > GetBValue(c)) ++top_red;
      if (y > label->Height() / 2 && GetBValue(c) > GetRValue(c)) ++bottom_blue;
    }
  EXPECT_GT(top_red, 0);
  EXPECT_GT(bottom_blue, 0);
  // A system colour is turned into its RGB value before it is split (split as stored,
  // the light face colour would start from almost black).
  label->SetGraduateFrom(clBtnFace);
  p = Paint(label, clWhite);
  int reddest = 0;
  for (auto& [c, n] : p.counts)
    if (c != clWhite) reddest = std::max<int>(reddest, GetRValue(c));
  EXPECT_GT(reddest, 100);
  // Text one pixel high or none: a single line, no division by zero.
  label->SetCaption("");
  Paint(label);
  label->SetCaption("_");
  label->SetGraduateFace(TGraduateOption::goHorizontal);
  label->Font()->SetSize(1);
  Paint(label);
}

TEST_F(LabelTest, TurnedTextRunsUpwards) {
  label->SetBounds(0, 0, 200, 200);
  label->SetEffectStyle(TEffectStyle::esNone);
  label->Font()->SetName("Liberation Serif");
  Picture flat = Paint(label, clWhite);
  TRect f = flat.BoxOf(clGray);
  EXPECT_GT(f.Width(), f.Height());
  label->SetAngle(90);
  Picture up = Paint(label, clWhite);
  TRect u = up.BoxOf(clGray);
  ASSERT_GT(up[clGray], 0);
  EXPECT_GT(u.Height(), u.Width());
  // Upright letters along the same line: every letter stands, so the run is still tall.
  label->SetKeepLettersVertical(true);
  Picture upright = Paint(label, clWhite);
  TRect v = upright.BoxOf(clGray);
  EXPECT_GT(v.Height(), v.Width());
}

// An opaque turned label fills the outline of its turned text, not the text's whole
// bounding box: the box's corners keep what lies under the label.
TEST_F(LabelTest, OpaqueTurnedLabelFillsAroundTheTextOnly) {
  label->SetBounds(0, 0, 220, 220);
  label->SetEffectStyle(TEffectStyle::esNone);
  label->Font()->SetName("Liberation Serif");
  label->SetTransparent(false);
  label->SetColor(clRed);
  label->SetAngle(30);
  Picture p = Paint(label, clWhite);
  TRect red = p.BoxOf(clRed);
  ASSERT_GT(p[clRed], 0);
  const int filled = p[clRed] + p[clGray];
  EXPECT_LT(filled, red.Width() * red.Height() * 6 / 10);
  EXPECT_EQ(p.bmp->Canvas()->Pixel(red.Left, red.Top), clWhite);
}

}  // namespace
}  // namespace tess
