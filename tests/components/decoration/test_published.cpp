// Every published property of the decoration classes, as documented: names and
// declared defaults, nothing more, and each value stored and read back.
#include <gtest/gtest.h>

#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/labeleffect.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/win/extctrls.h"
#include "tests/framework/win/published.h"

namespace tess {
namespace {

using testing::CheckPublished;
using testing::Declared;
using testing::New;
using testing::Fixed;
using testing::Picture;
using testing::SubObject;
using testing::TPublished;
using testing::TPublishedClass;
using testing::Undeclared;

class PublishedTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterFrameworkClasses();
    RegisterLabelEffectClasses();
    RegisterCaptionBarClasses();
    RegisterSplitterClasses();
    RegisterPictureButtonClasses();
    RegisterDockBarClasses();
  }
};

TEST_F(PublishedTest, LabelEffect) {
  CheckPublished({"TLabelEffect",
                  New<TCustomLabel>,
                  {Declared("DepthHighlight", 1), Declared("DepthShadow", 1),
                   Declared("DirectionHighlight", "edUpLeft"),
                   Declared("DirectionShadow", "edDownRight"), Declared("ColourHighlight", clWhite),
                   Declared("ColourShadow", clBlack), Declared("GraduateFace", "goNone"),
                   Declared("GraduateFrom", clGray), Declared("StyleHighlight", "eoNormal"),
                   Declared("StyleShadow", "eoNormal"), Declared("EffectStyle", "esRaised"),
                   Declared("ColourScheme", "csWindows"), Declared("AsButton", false),
                   Declared("Angle", 0), Declared("KeepLettersVertical", false)}});
}

TEST_F(PublishedTest, CaptionBar) {
  std::vector<TPublished> props{
      Declared("Active", false),
      Declared("BarColor", clActiveCaption),
      Declared("BarColorInactive", clInactiveCaption),
      Undeclared("BarHeight"),
      Declared("BarStyle", "bsStandard"),
  };
  for (const char* b : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6"})
    props.push_back(SubObject(b));
  for (TPublished p : {Declared("ButtonsLeft", 1, 2),
                       Declared("ButtonsRight", 2, 4),
                       Declared("ButtonLeftBevel", 1),
                       Declared("ButtonRightBevel", 1),
                       Declared("ButtonRightGap", false),
                       Undeclared("ButtonLeftWidth"),
                       Undeclared("ButtonRightWidth"),
                       Picture("CaptionBitmap"),
                       Declared("CaptionLayout", "clBitmapLeft"),
                       SubObject("CaptionFont"),
                       SubObject("CaptionFontInactive"),
                       Declared("CaptionHorzPos", "hCenter"),
                       Declared("CaptionMargin", 1),
                       Declared("CaptionStyle", "csText"),
                       Declared("CustomFrame", true),
                       Declared("FaceColor", clBtnFace),
                       Declared("FrameColor", clActiveBorder),
                       Declared("FrameColorInactive", clInactiveBorder),
                       Declared("FrameCorners", true),
                       Undeclared("FrameCornerSize"),
                       Declared("FrameStyle", "fsStandard"),
                       Undeclared("FrameWidth"),
                       Fixed("FreeMemory"),
                       Fixed("FreeGDI"),
                       Fixed("FreeSystem"),
                       Fixed("FreeUser"),
                       Declared("Grabbing", false),
                       Declared("MaxHeight", 480),
                       Declared("MinHeight", 240),
                       Declared("MaxWidth", 640),
                       Declared("MinWidth", 320),
                       Declared("Position", "psNormal"),
                       Declared("RolledUp", false),
                       Declared("RolledUpSizeStyle", "szNone"),
                       Declared("SizeStyle", "szBoth"),
                       Declared("SizeControl", false),
                       Declared("SystemMenu", true),
                       Picture("SystemMenuBitmap"),
                       Declared("SystemMenuStyle", "smStandard"),
                       Declared("ThreeDLightColor", clBtnHighlight),
                       Declared("ThreeDShadowColor", clBtnShadow)})
    props.push_back(p);
  CheckPublished({"TKSTransForm", New<TComponent>, props});
}

TEST_F(PublishedTest, Splitter) {
  CheckPublished({"ToxSplit",
                  New<TCustomControl>,
                  {Declared("AutoUpdate", false), Undeclared("BarWidth"),
                   Declared("BarColor", clBtnFace), Declared("Style", "oxsAuto"),
                   Declared("AutoScroll", true), Declared("SyncScroll", false),
                   Declared("BorderStyle", "bsSingle"), Declared("Locked", false),
                   Declared("BarPosition", 50), Undeclared("Orientation")}});
  CheckPublished({"ToxScrollPane", New<TScrollBox>, {}});
}

std::vector<TPublished> ButtonProperties() {
  return {Declared("Style", "bsAuto"),
          Declared("Kind", "bkCustom"),
          Declared("ShadowColor", 0x808080),
          Declared("TransparentColor", 0xC0C0C0),
          Declared("TextAngle", 0),
          Declared("PictureX", 1),
          Declared("PictureY", 1),
          Declared("TextX", -5),
          Declared("TextY", -5),
          Declared("Font3D", "fsNormal"),
          Declared("MultiLine", false),
          Declared("FocusStyle", "[fsDefault, fsText]"),
          Declared("Options", "[oxbCacheImages]"),
          Picture("PictureUp"),
          Picture("PictureDown"),
          Picture("PictureDisabled")};
}

TEST_F(PublishedTest, PictureAndRepeatButtons) {
  CheckPublished({"ToxCustomButton", New<TButton>, ButtonProperties()});
  std::vector<TPublished> repeat = ButtonProperties();
  repeat.push_back(Declared("Delay", 200));
  CheckPublished({"ToxRepeat", New<TButton>, repeat});
}

TEST_F(PublishedTest, DockBar) {
  CheckPublished(
      {"ToxDockBar",
       New<TCustomPanel>,
       {Declared("Dock", "dkTop"), Declared("FloatLeft", 0), Declared("FloatTop", 0),
        Declared("FloatWidth", 0), Declared("FloatHeight", 0),
        Declared("Options",
                 "[opAllowFloat, opAllowSideDock, opAutoSize, opCaption, opCloseBox, opSizeable, "
                 "opDblClkDock]"),
        Declared("Style", "bsAuto"), SubObject("TitleFont")}});
}

// The limits and the corner size come back as set, 100 among them.  A stream that leaves
// the limits out (as one written before did for 100) or holds the start values reads the
// start values, as it always did.
TEST_F(PublishedTest, CaptionBarLimitsComeBackAsSet) {
  TForm form(nullptr);
  auto* deco = new TKSTransForm(&form);
  deco->SetName("Deco");
  deco->SetMinHeight(100);
  deco->SetMinWidth(100);
  deco->SetFrameCornerSize(30);
  TForm copy(nullptr);
  auto* back = dynamic_cast<TKSTransForm*>(testing::StreamedCopy(&form, &copy, "Deco"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->MinHeight(), 100);
  EXPECT_EQ(back->MinWidth(), 100);
  EXPECT_EQ(back->FrameCornerSize(), 30);

  TMemoryStream old;
  TWriter w(&old);
  w.WriteSignature();
  for (const char* s : {"TForm", "Old", "", "TKSTransForm", "Deco", "MinHeight"}) w.WriteStr(s);
  w.WriteInteger(240);
  for (int i = 0; i < 3; ++i) w.WriteStr("");  // the decoration's properties, children; the form's
  old.SetPosition(0);
  TForm again(nullptr);
  ReadComponent(&old, &again);
  auto* read = dynamic_cast<TKSTransForm*>(again.FindComponent("Deco"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->MinHeight(), 240);
  EXPECT_EQ(read->MinWidth(), 320);
}

// A picture button of a kind keeps the kind's caption out of the stream.
TEST_F(PublishedTest, ACaptionComesWithItsKind) {
  TForm form(nullptr);
  auto* b = new ToxCustomButton(&form);
  b->SetKind(ToxBtnKind::bkOK);
  TPropertyList props;
  b->PublishProperties(props);
  EXPECT_FALSE(props.Find("Caption")->ShouldWrite());
  b->SetCaption("Go");
  EXPECT_EQ(b->Kind(), ToxBtnKind::bkCustom);
  EXPECT_TRUE(props.Find("Caption")->ShouldWrite());
}

}  // namespace
}  // namespace tess
