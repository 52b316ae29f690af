// Dock bars through real windows: floating and wrapping into rows, docking on every
// edge, drags (one losing its capture), the settings file with bad values, and the
// auto-hide over activation cycles.
#include <gtest/gtest.h>

#include <cstdio>

#include "components/decoration/dockbar.h"
#include "framework/win/inifiles.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"
#include "tests/framework/win/published.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

class DockTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetBounds(100, 100, 500, 400);
    bar = new ToxDockBar(form);
    bar->SetName("EditBar");
    bar->SetParent(form);
    bar->SetCaption("Editing Toolbar");
    bar->SetHeight(30);
    for (int i = 0; i < 4; ++i) {
      auto* b = new TSpeedButton(form);
      b->SetParent(bar);
      b->SetBounds(2 + 23 * i, 3, 23, 22);
      buttons.push_back(b);
    }
    bar->InitDocking();
    ShowForm();
  }
  bool FloatShown() {
    return bar->FloatForm()->HandleAllocated() && IsWindowVisible(bar->FloatForm()->Handle());
  }
  int RowOf(int I) { return (buttons[static_cast<size_t>(I)]->Top() - 3) / 30; }
  // Mouse messages to the bar, given in screen coordinates.
  void MouseTo(uint32_t Msg, TPoint Screen) {
    TPoint c = bar->ScreenToClient(Screen);
    SendMessageA(bar->Handle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MakeLParam(c.X, c.Y));
  }
  ToxDockBar* bar = nullptr;
  std::vector<TSpeedButton*> buttons;
};

TEST_F(DockTest, FloatsInAToolWindowAndWrapsWhenResized) {
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);
  EXPECT_EQ(bar->DockedHeight(), 30);
  // Never floated (size 0): one row's size, not an empty window.
  bar->SetDock(TDockAlign::dkFloat);
  ASSERT_EQ(bar->Dock(), TDockAlign::dkFloat);
  EXPECT_EQ(bar->Parent(), bar->FloatForm());
  EXPECT_TRUE(FloatShown());
  EXPECT_EQ(bar->Rows(), 1);
  EXPECT_GT(bar->FloatWidth(), 4 * 23);
  EXPECT_GT(bar->FloatHeight(), 22);
  HWND f = bar->FloatForm()->Handle();
  LONG_PTR style = GetWindowLongPtrA(f, GWL_STYLE), ex = GetWindowLongPtrA(f, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  // A style update of the form keeps the tool window's own style.
  bar->FloatForm()->SetBorderStyle(TFormBorderStyle::bsSingle);
  EXPECT_EQ(GetWindowLongPtrA(f, GWL_STYLE) & (WS_CAPTION | WS_POPUP), WS_POPUP);

  // Corners act as sides.
  RECT wr{};
  GetWindowRect(f, &wr);
  EXPECT_EQ(SendMessageA(f, WM_NCHITTEST, 0, MakeLParam(wr.left + 1, wr.top + 1)), HTLEFT);
  EXPECT_EQ(SendMessageA(f, WM_NCHITTEST, 0, MakeLParam(wr.right - 2, wr.bottom - 2)), HTRIGHT);

  // Drag the bottom edge down: two rows.
  auto cands = bar->CandidateSizes();
  ASSERT_EQ(cands.size(), 4u);
  SendMessageA(f, WM_NCLBUTTONDOWN, HTBOTTOM, MakeLParam(wr.left + 20, wr.bottom - 1));
  EXPECT_TRUE(bar->FloatForm()->Resizing());
  TPoint target = bar->FloatForm()->ScreenToClient({wr.left + 20, wr.top + cands[1].Height});
  SendMessageA(f, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(target.X, target.Y));
  SendMessageA(f, WM_LBUTTONUP, 0, MakeLParam(target.X, target.Y));
  EXPECT_FALSE(bar->FloatForm()->Resizing());
  EXPECT_EQ(bar->Rows(), 2);
  EXPECT_EQ(RowOf(0), 0);
  EXPECT_EQ(RowOf(1), 0);
  EXPECT_EQ(RowOf(2), 1);
  EXPECT_EQ(RowOf(3), 1);
  EXPECT_EQ(buttons[2]->Left(), buttons[0]->Left());
  EXPECT_EQ(bar->FloatHeight(), cands[1].Height);

  // Released at the same row count: nothing changes.
  GetWindowRect(f, &wr);
  RECT before = wr;
  SendMessageA(f, WM_NCLBUTTONDOWN, HTBOTTOM, MakeLParam(wr.left + 20, wr.bottom - 1));
  target = bar->FloatForm()->ScreenToClient({wr.left + 20, wr.bottom + 2});
  SendMessageA(f, WM_LBUTTONUP, 0, MakeLParam(target.X, target.Y));
  GetWindowRect(f, &wr);
  EXPECT_TRUE(EqualRect(&wr, &before));
  EXPECT_EQ(bar->Rows(), 2);

  // A resize whose capture is taken away changes nothing either.
  SendMessageA(f, WM_NCLBUTTONDOWN, HTBOTTOM, MakeLParam(wr.left + 20, wr.bottom - 1));
  SetCapture(form->Handle());
  EXPECT_FALSE(bar->FloatForm()->Resizing());
  ReleaseCapture();
  EXPECT_EQ(bar->Rows(), 2);

  // Back home: the controls return to their designed places.
  bar->SetDock(TDockAlign::dkBottom);
  EXPECT_FALSE(FloatShown());
  EXPECT_EQ(bar->Parent(), form);
  EXPECT_EQ(bar->Align(), TAlign::alBottom);
  EXPECT_EQ(bar->Height(), 30);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(buttons[static_cast<size_t>(i)]->Left(), 2 + 23 * i);
}

TEST_F(DockTest, DocksOnEveryEdgeItIsAllowedTo) {
  bar->SetDock(TDockAlign::dkLeft);
  EXPECT_EQ(bar->Align(), TAlign::alLeft);
  EXPECT_EQ(bar->Width(), 2 + 23 + 2);
  EXPECT_EQ(bar->Rows(), -1);
  for (int i = 1; i < 4; ++i) {
    EXPECT_EQ(buttons[static_cast<size_t>(i)]->Left(), buttons[0]->Left());
    EXPECT_EQ(buttons[static_cast<size_t>(i)]->Top(), buttons[static_cast<size_t>(i - 1)]->Top() + 22);
  }
  bar->SetDock(TDockAlign::dkRight);
  EXPECT_EQ(bar->Align(), TAlign::alRight);
  EXPECT_EQ(bar->Left() + bar->Width(), form->ClientWidth());
  bar->SetDock(TDockAlign::dkTop);
  EXPECT_EQ(bar->Align(), TAlign::alTop);
  EXPECT_EQ(bar->Height(), 30);
  EXPECT_EQ(buttons[3]->Left(), 2 + 69);

  // Refused places leave the bar where it is.
  bar->SetOptions(bar->Options() - TOption::opAllowSideDock - TOption::opAllowFloat);
  bar->SetDock(TDockAlign::dkLeft);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);
  bar->SetDock(TDockAlign::dkFloat);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);
  EXPECT_FALSE(FloatShown());
}

TEST_F(DockTest, DraggedBetweenPlacesAndDoubleClicked) {
  TPoint in_bar = bar->ClientToScreen({150, 10});
  TRect site{form->Left(), form->Top(), form->Left() + form->Width(), form->Top() + form->Height()};
  TPoint middle{(site.Left + site.Right) / 2, (site.Top + site.Bottom) / 2};
  // A press that never leaves the start rectangle moves nothing.
  MouseTo(WM_LBUTTONDOWN, in_bar);
  EXPECT_TRUE(bar->Dragging());
  MouseTo(WM_MOUSEMOVE, {in_bar.X + 1, in_bar.Y});
  MouseTo(WM_LBUTTONUP, {in_bar.X + 1, in_bar.Y});
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);

  // Dropped in the middle of the form: floating there.
  MouseTo(WM_LBUTTONDOWN, in_bar);
  MouseTo(WM_MOUSEMOVE, middle);
  MouseTo(WM_LBUTTONUP, middle);
  ASSERT_EQ(bar->Dock(), TDockAlign::dkFloat);
  EXPECT_TRUE(FloatShown());
  // The floating rectangle is narrower than the grab point: the pointer ends 10 pixels
  // inside its top-left corner.
  EXPECT_EQ(bar->FloatLeft(), middle.X - 10);
  EXPECT_EQ(bar->FloatTop(), middle.Y - 10);

  // Dragged by its body onto the left edge zone.
  TPoint left_zone{site.Left + 10, site.Top + 200};
  MouseTo(WM_LBUTTONDOWN, bar->ClientToScreen({1, 1}));  // beside the buttons
  MouseTo(WM_MOUSEMOVE, left_zone);
  MouseTo(WM_LBUTTONUP, left_zone);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkLeft);
  EXPECT_EQ(bar->Parent(), form);

  // A drag whose capture is taken away leaves the bar in place.
  MouseTo(WM_LBUTTONDOWN, bar->ClientToScreen({bar->Width() / 2, bar->Height() - 2}));
  MouseTo(WM_MOUSEMOVE, middle);
  SetCapture(form->Handle());
  EXPECT_FALSE(bar->Dragging());
  ReleaseCapture();
  MouseTo(WM_LBUTTONUP, middle);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkLeft);

  // Double click: float, and back to the place before.
  bar->TitleDblClick();
  EXPECT_EQ(bar->Dock(), TDockAlign::dkFloat);
  bar->TitleDblClick();
  EXPECT_EQ(bar->Dock(), TDockAlign::dkLeft);

  // Without side docking the left edge floats the bar.
  bar->SetDock(TDockAlign::dkTop);
  bar->SetOptions(bar->Options() - TOption::opAllowSideDock);
  MouseTo(WM_LBUTTONDOWN, bar->ClientToScreen({150, 10}));
  MouseTo(WM_MOUSEMOVE, left_zone);
  MouseTo(WM_LBUTTONUP, left_zone);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkFloat);

  // Locked: neither dragging nor double clicking moves it.
  bar->SetDock(TDockAlign::dkTop);
  bar->SetOptions(bar->Options() + TOption::opLock);
  MouseTo(WM_LBUTTONDOWN, bar->ClientToScreen({150, 10}));
  EXPECT_FALSE(bar->Dragging());
  MouseTo(WM_LBUTTONUP, middle);
  bar->TitleDblClick();
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);
}

TEST_F(DockTest, SettingsAreSavedAndBadOnesRepaired) {
  const std::string file = bar->IniFileName();
  std::remove(file.c_str());
  {
    TIniFile ini(file);
    ini.WriteInteger("EditBar", "FloatLeft", -50);
    ini.WriteInteger("EditBar", "FloatTop", 50000);
    ini.WriteInteger("EditBar", "FloatWidth", 0);
    ini.WriteInteger("EditBar", "FloatHeight", -3);
    ini.WriteInteger("EditBar", "Dock", 9);
  }
  bar->LoadSettings();
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop) << "an unknown place keeps the bar where it is";
  EXPECT_EQ(bar->FloatLeft(), 0);
  EXPECT_GT(bar->FloatWidth(), 0);
  EXPECT_GT(bar->FloatHeight(), 0);
  EXPECT_EQ(bar->FloatTop() + bar->FloatHeight(), Screen->Height()) << "pulled onto the screen";

  // A floating place round-trips through the file.
  bar->SetFloatLeft(300);
  bar->SetFloatTop(200);
  bar->SetDock(TDockAlign::dkFloat);
  TRect saved{bar->FloatLeft(), bar->FloatTop(), bar->FloatWidth(), bar->FloatHeight()};
  bar->SaveSettings();
  bar->SetDock(TDockAlign::dkBottom);
  bar->SetFloatLeft(0);
  bar->LoadSettings();
  EXPECT_EQ(bar->Dock(), TDockAlign::dkFloat);
  EXPECT_EQ((TRect{bar->FloatLeft(), bar->FloatTop(), bar->FloatWidth(), bar->FloatHeight()}), saved);
  std::remove(file.c_str());
}

TEST_F(DockTest, AutoHideFollowsTheProgramsActivation) {
  bar->SetOptions(bar->Options() + TOption::opAutoHide);
  bar->SetDock(TDockAlign::dkFloat);
  HWND f = bar->FloatForm()->Handle();
  ASSERT_TRUE(FloatShown());
  // An activation with nothing hidden hides nothing.
  SendMessageA(f, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_TRUE(FloatShown());
  for (int cycle = 0; cycle < 3; ++cycle) {
    SendMessageA(f, WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(FloatShown());
    EXPECT_TRUE(bar->FloatForm()->AutoHidden());
    SendMessageA(f, WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(FloatShown());
    EXPECT_FALSE(bar->FloatForm()->AutoHidden());
  }
  // Closed while another program was active: it stays closed.
  SendMessageA(f, WM_ACTIVATEAPP, FALSE, 0);
  int hides = 0;
  bar->OnHide = [&](TObject*) { ++hides; };
  bar->SetVisible(false);
  EXPECT_EQ(hides, 1);
  SendMessageA(f, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(FloatShown());
  // A closed bar is not shown by a deactivate/activate pair either.
  SendMessageA(f, WM_ACTIVATEAPP, FALSE, 0);
  SendMessageA(f, WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_FALSE(FloatShown());
}

TEST_F(DockTest, FloatingWindowFollowsTheFormsLook) {
  bar->SetParentColor(true);
  form->SetColor(clTeal);
  EXPECT_EQ(bar->Color(), clTeal);
  EXPECT_EQ(bar->FloatForm()->Color(), clTeal);
  bar->SetCaption("Renamed");
  EXPECT_EQ(bar->FloatForm()->Title()->Caption(), "Renamed");
}

TEST_F(DockTest, CloseBoxHidesTheBar) {
  bar->SetDock(TDockAlign::dkFloat);
  int hides = 0;
  bar->OnHide = [&](TObject*) { ++hides; };
  TControl* box = bar->FloatForm()->CloseBox();
  ASSERT_TRUE(box->Visible());
  EXPECT_EQ(box->Width(), box->Height());
  EXPECT_EQ(box->Left() + box->Width(), bar->FloatForm()->Title()->Width());
  HWND title = bar->FloatForm()->Title()->Handle();
  SendMessageA(title, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(box->Left() + 2, 2));
  SendMessageA(title, WM_LBUTTONUP, 0, MakeLParam(box->Left() + 2, 2));
  EXPECT_FALSE(bar->Visible());
  EXPECT_FALSE(FloatShown());
  EXPECT_EQ(hides, 1);
}

// A form with a bar on each edge and one floating comes back from the stream as it was:
// each bar in its place with its controls where they were, and each goes home as it
// would have gone before.
TEST_F(FormTest, BarsOnEveryEdgeAndFloatingComeBackFromTheStream) {
  RegisterFrameworkClasses();
  RegisterDockBarClasses();
  form->SetBounds(100, 100, 600, 400);
  const char* names[] = {"TopBar", "BottomBar", "LeftBar", "RightBar", "FloatBar"};
  std::vector<ToxDockBar*> bars;
  for (const char* name : names) {
    auto* bar = new ToxDockBar(form);
    bar->SetName(name);
    bar->SetParent(form);
    bar->SetHeight(30);
    for (int i = 0; i < 3; ++i) {
      auto* b = new TSpeedButton(form);
      b->SetName(std::string(name) + std::to_string(i));
      b->SetParent(bar);
      b->SetBounds(4 + 30 * i, 3, 23, 22);
    }
    bar->InitDocking();
    bars.push_back(bar);
  }
  ShowForm();
  bars[1]->SetDock(TDockAlign::dkBottom);
  bars[2]->SetDock(TDockAlign::dkLeft);
  bars[3]->SetDock(TDockAlign::dkRight);
  bars[4]->SetDock(TDockAlign::dkLeft);
  bars[4]->SetDock(TDockAlign::dkFloat);
  bars[4]->SetFloatLeft(40);
  bars[4]->SetFloatTop(50);
  bars[4]->WrapControls(2);

  TForm copy(nullptr);
  testing::StreamedCopy(form, &copy, "");
  for (ToxDockBar* bar : bars) {
    SCOPED_TRACE(bar->Name());
    auto* back = dynamic_cast<ToxDockBar*>(copy.FindComponent(bar->Name()));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Dock(), bar->Dock());
    EXPECT_EQ(back->Align(), bar->Align());
    EXPECT_EQ(back->Parent() == back->FloatForm(), bar->Parent() == bar->FloatForm());
    EXPECT_EQ(back->BoundsRect(), bar->BoundsRect());
    EXPECT_EQ(back->Rows(), bar->Rows());
    EXPECT_EQ(back->DockedHeight(), 30);
    EXPECT_EQ(back->FloatForm()->BoundsRect(), bar->FloatForm()->BoundsRect());
    for (int i = 0; i < 3; ++i) {
      auto* b = dynamic_cast<TControl*>(copy.FindComponent(bar->Name() + std::to_string(i)));
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->Parent(), back);
      EXPECT_EQ(b->BoundsRect(),
                dynamic_cast<TControl*>(form->FindComponent(b->Name()))->BoundsRect());
    }
  }
  // The floating bar returns to the edge it floated from, the others to the top, with
  // their controls at home.
  auto* floated = dynamic_cast<ToxDockBar*>(copy.FindComponent("FloatBar"));
  floated->TitleDblClick();
  EXPECT_EQ(floated->Dock(), TDockAlign::dkLeft);
  EXPECT_EQ(floated->Parent(), &copy);
  for (const char* name : names) {
    auto* back = dynamic_cast<ToxDockBar*>(copy.FindComponent(name));
    back->SetDock(TDockAlign::dkTop);
    EXPECT_EQ(back->Height(), 30) << name;
    for (int i = 0; i < 3; ++i) {
      auto* b = dynamic_cast<TControl*>(copy.FindComponent(name + std::to_string(i)));
      EXPECT_EQ(b->Left(), 4 + 30 * i) << b->Name();
      EXPECT_EQ(b->Top(), 3) << b->Name();
    }
  }
}

TEST_F(FormTest, EmptyBarFloatsAndDocks) {
  auto* bar = new ToxDockBar(form);
  bar->SetParent(form);
  bar->InitDocking();
  ShowForm();
  EXPECT_TRUE(bar->Records().empty());
  EXPECT_EQ(bar->CandidateSizes().size(), 1u);
  bar->SetDock(TDockAlign::dkFloat);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkFloat);
  EXPECT_GE(bar->FloatWidth(), 10);
  bar->SetDock(TDockAlign::dkLeft);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkLeft);
  bar->SetDock(TDockAlign::dkTop);
  EXPECT_EQ(bar->Dock(), TDockAlign::dkTop);
}

}  // namespace
}  // namespace tess
