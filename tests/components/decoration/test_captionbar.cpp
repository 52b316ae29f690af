// The caption-bar decoration on a real form: the style it takes over, its frame painted
// and probed, hit tests through WM_NCHITTEST, roll-up and back, other subclassers in the
// window's chain, a remade window, and caption buttons tracked with the capture lost.
#include <gtest/gtest.h>

#include <vector>

#include "components/decoration/captionbar.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"
#include "tests/framework/win/poisoned_heap.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

class CaptionTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetCaption("");
    deco = new TKSTransForm(form);
    ShowForm();
    h = form->Handle();
    GetWindowRect(h, &before);
  }
  int32_t Hit(int X, int Y) {  // window coordinates
    RECT wr{};
    GetWindowRect(h, &wr);
    return static_cast<int32_t>(SendMessageA(h, WM_NCHITTEST, 0, MakeLParam(wr.left + X, wr.top + Y)));
  }
  int Width() {
    RECT wr{};
    GetWindowRect(h, &wr);
    return wr.right - wr.left;
  }
  TKSTransForm* deco = nullptr;
  HWND h = nullptr;
  RECT before{};
};

TEST_F(CaptionTest, TakesOverTheFrameAndGivesItBack) {
  LONG_PTR old_style = GetWindowLongPtrA(h, GWL_STYLE);
  ASSERT_EQ(old_style & WS_CAPTION, WS_CAPTION);
  deco->SetActive(true);
  EXPECT_EQ(deco->AttachedWindow(), h);
  LONG_PTR s = GetWindowLongPtrA(h, GWL_STYLE);
  EXPECT_NE(s & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(s & WS_POPUP);
  EXPECT_TRUE(s & WS_VISIBLE);
  // The client area leaves room for our frame and bar.
  RECT cr{}, wr{};
  GetClientRect(h, &cr);
  GetWindowRect(h, &wr);
  int fo = deco->FrameOffset(), bar = deco->BarHeight();
  EXPECT_EQ(cr.right, (wr.right - wr.left) - 2 * fo);
  EXPECT_EQ(cr.bottom, (wr.bottom - wr.top) - (bar + fo - 1) - fo);
  // The caption text changes under our frame, not the system's.
  form->SetCaption("Decorated");
  EXPECT_EQ(form->Caption(), "Decorated");
  EXPECT_NE(GetWindowLongPtrA(h, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  deco->SetActive(false);
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_STYLE), old_style);
  EXPECT_EQ(deco->AttachedWindow(), nullptr);
}

TEST_F(CaptionTest, HitTestsFollowTheFrame) {
  deco->SetActive(true);
  const int fo = deco->FrameOffset(), bar = deco->BarHeight(), w = Width();
  EXPECT_EQ(Hit(w / 2, fo + bar / 2), HTCAPTION);
  EXPECT_EQ(Hit(fo + 3, fo + bar / 2), HTSYSMENU);
  EXPECT_EQ(Hit(w - fo - 4, fo + bar / 2), hit::kFrameButton);
  EXPECT_EQ(deco->ButtonIndex(), 6);
  EXPECT_EQ(Hit(0, 150), HTLEFT);
  EXPECT_EQ(Hit(w - 1, 150), HTRIGHT);
  EXPECT_EQ(Hit(0, 1), HTTOPLEFT);
  EXPECT_EQ(Hit(w / 2, 150), HTCLIENT);
  deco->SetSizeStyle(TSizeStyle::szVertical);
  EXPECT_NE(Hit(0, 150), HTLEFT);
  deco->SetSizeStyle(TSizeStyle::szNone);
  EXPECT_NE(Hit(w / 2, 0), HTTOP);
  deco->SetGrabbing(true);
  EXPECT_EQ(Hit(w / 2, 150), HTCAPTION);
  // Five right buttons are refused; one right button is Button6 at the right end.
  deco->SetButtonsRight(5);
  EXPECT_EQ(deco->ButtonsRight(), 2);
  deco->SetButtonsRight(1);
  EXPECT_EQ(Hit(w - fo - 4, fo + bar / 2), hit::kFrameButton);
  EXPECT_EQ(deco->ButtonIndex(), 6);
  EXPECT_EQ(Hit(w - fo - 4 - deco->ButtonRightWidth(), fo + bar / 2), HTCAPTION);
}

TEST_F(CaptionTest, PaintsItsBarButtonsAndFrame) {
  deco->SetActive(true);
  deco->SetBarColor(clRed);
  deco->SetBarColorInactive(clRed);
  deco->SetFaceColor(clLime);
  deco->SetFrameColor(clBlue);
  deco->SetFrameColorInactive(clBlue);
  RECT wr{};
  GetWindowRect(h, &wr);
  TBitmap shot(wr.right - wr.left, wr.bottom - wr.top, TPixelFormat::pf24bit);
  deco->PaintFrameTo(shot.Canvas(), true);
  const int fo = deco->FrameOffset(), bar = deco->BarHeight(), w = Width();
  TCanvas* c = shot.Canvas();
  EXPECT_EQ(c->Pixel(0, 100), clBlack) << "the outer ring";
  EXPECT_EQ(c->Pixel(2, 100), clBlue) << "the frame";
  EXPECT_EQ(c->Pixel(w / 2, fo + bar / 2), clRed) << "the bar, no caption text";
  // The rightmost button's face: inside its outline and bevel.
  int bx = w - fo - deco->ButtonRightWidth() / 2 - 1;
  EXPECT_EQ(c->Pixel(bx, fo + bar / 2 + 3), clLime);
  EXPECT_EQ(c->Pixel(w - fo - 1, fo + 1), clBlack) << "the button's outline";
}

TEST_F(CaptionTest, RollsUpToTheBarAndBack) {
  deco->SetActive(true);
  RECT wr{};
  GetWindowRect(h, &wr);
  const int height = wr.bottom - wr.top;
  deco->SetRolledUp(true);
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr.bottom - wr.top, deco->BarHeight() + 2 * deco->FrameOffset() - 2);
  EXPECT_EQ(form->Height(), wr.bottom - wr.top);
  // Made wider while rolled up: the width survives unrolling.
  SetWindowPos(h, nullptr, 0, 0, 520, wr.bottom - wr.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  deco->SetRolledUpSizeStyle(TSizeStyle::szHorizontal);
  EXPECT_EQ(Hit(0, 5), HTLEFT);
  EXPECT_NE(Hit(200, 0), HTTOP);
  deco->SetRolledUp(false);
  GetWindowRect(h, &wr);
  EXPECT_EQ(wr.bottom - wr.top, height);
  EXPECT_EQ(wr.right - wr.left, 520);
  EXPECT_EQ(wr.top, before.top);
}

// A foreign subclasser of the plain kind that follows the common rule: it puts the old
// procedure back only while it is on top of the chain, and passes everything on
// otherwise.
int g_foreign_calls = 0;
WNDPROC g_foreign_prev = nullptr;
bool g_foreign_on = false;
LRESULT CALLBACK ForeignProc(HWND W, UINT M, WPARAM P, LPARAM L) {
  if (M == WM_USER + 7 && g_foreign_on) ++g_foreign_calls;
  return CallWindowProcA(g_foreign_prev, W, M, P, L);
}
void ForeignOn(HWND H) {
  g_foreign_on = true;
  if (!g_foreign_prev)
    g_foreign_prev = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(H, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ForeignProc)));
}
void ForeignOff(HWND H) {
  g_foreign_on = false;
  if (GetWindowLongPtrA(H, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&ForeignProc)) {
    SetWindowLongPtrA(H, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_foreign_prev));
    g_foreign_prev = nullptr;
  }
}
// A subclasser through the common controls' chain.
int g_chained_calls = 0;
LRESULT CALLBACK ChainedProc(HWND W, UINT M, WPARAM P, LPARAM L, UINT_PTR, DWORD_PTR) {
  if (M == WM_USER + 7) ++g_chained_calls;
  return DefSubclassProc(W, M, P, L);
}

TEST_F(CaptionTest, SharesTheWindowWithOtherSubclassersInEitherOrder) {
  const int probe_y = deco->FrameOffset() + 3;
  auto check = [&](bool decorated, int foreign, int chained) {
    g_foreign_calls = g_chained_calls = 0;
    SendMessageA(h, WM_USER + 7, 0, 0);
    EXPECT_EQ(g_foreign_calls, foreign);
    EXPECT_EQ(g_chained_calls, chained);
    form->SetCaption("x");
    EXPECT_EQ(form->Caption(), "x") << "the framework's own procedure is still reached";
    form->SetCaption("");
    EXPECT_EQ(Hit(Width() - deco->FrameOffset() - 4, probe_y) == hit::kFrameButton, decorated);
    EXPECT_EQ((GetWindowLongPtrA(h, GWL_STYLE) & WS_CAPTION) == WS_CAPTION, !decorated);
  };
  for (bool foreign_first : {true, false})
    for (bool foreign_leaves_first : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "foreign first " << foreign_first << ", leaves first "
                                        << foreign_leaves_first);
      if (foreign_first) ForeignOn(h);
      deco->SetActive(true);
      if (!foreign_first) ForeignOn(h);
      check(true, 1, 0);
      if (foreign_leaves_first) {
        ForeignOff(h);
        check(true, 0, 0);
        deco->SetActive(false);
      } else {
        deco->SetActive(false);
        check(false, 1, 0);
        ForeignOff(h);
      }
      check(false, 0, 0);
    }
  // A subclasser of the common controls on top of the decoration, leaving in either order.
  for (bool chained_leaves_first : {true, false}) {
    deco->SetActive(true);
    SetWindowSubclass(h, &ChainedProc, 77, 0);
    check(true, 0, 1);
    if (chained_leaves_first) {
      RemoveWindowSubclass(h, &ChainedProc, 77);
      check(true, 0, 0);
      deco->SetActive(false);
    } else {
      deco->SetActive(false);
      check(false, 0, 1);
      RemoveWindowSubclass(h, &ChainedProc, 77);
    }
    check(false, 0, 0);
  }
  // Whatever pass-through is left in the chain is taken up again.
  deco->SetActive(true);
  check(true, 0, 0);
  deco->SetActive(false);
}

TEST_F(CaptionTest, FollowsTheFormToItsNewWindow) {
  deco->SetActive(true);
  form->RecreateWnd();
  HWND now = form->Handle();
  h = now;
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(IsWindowVisible(now)) << "a remade window comes back as the form was";
  Pump();
  EXPECT_EQ(deco->AttachedWindow(), now);
  EXPECT_NE(GetWindowLongPtrA(now, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
  EXPECT_EQ(Hit(Width() / 2, deco->FrameOffset() + 3), HTCAPTION);
  // Rolling up acts on the new window.
  deco->SetRolledUp(true);
  RECT wr{};
  GetWindowRect(now, &wr);
  EXPECT_EQ(wr.bottom - wr.top, deco->BarHeight() + 2 * deco->FrameOffset() - 2);
  deco->SetRolledUp(false);
  deco->SetActive(false);
  EXPECT_EQ(GetWindowLongPtrA(now, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
}

TEST_F(CaptionTest, CaptionButtonsAreTrackedUntilReleaseOrCaptureLoss) {
  deco->SetActive(true);
  std::vector<int> clicks;
  deco->OnButtonClick = [&](TObject*, int32_t B) { clicks.push_back(B); };
  const int fo = deco->FrameOffset(), bar = deco->BarHeight(), w = Width();
  const int bx = w - fo - 5, by = fo + bar / 2;
  RECT wr{};
  GetWindowRect(h, &wr);
  POINT client{wr.left + bx, wr.top + by};
  ScreenToClient(h, &client);
  auto press = [&] {
    ASSERT_EQ(Hit(bx, by), hit::kFrameButton);
    SendMessageA(h, WM_NCLBUTTONDOWN, hit::kFrameButton, MakeLParam(wr.left + bx, wr.top + by));
  };
  // Released over the button: one click.
  PostMessageA(h, WM_LBUTTONUP, 0, MakeLParam(client.x, client.y));
  press();
  EXPECT_EQ(clicks, std::vector<int>{6});
  EXPECT_FALSE(deco->Tracking());
  // Released elsewhere: none.
  PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(client.x - 200, client.y + 100));
  PostMessageA(h, WM_LBUTTONUP, 0, MakeLParam(client.x - 200, client.y + 100));
  press();
  EXPECT_EQ(clicks.size(), 1u);
  // Cancel mode (a message box) in the middle: the loop ends, no click.
  PostMessageA(h, WM_CANCELMODE, 0, 0);
  press();
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_NE(GetCapture(), h);
  // Another window takes the capture in the middle.
  HWND thief = nullptr;
  thief = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_USER + 1) SetCapture(thief);
    M.Result = 0;
  });
  PostMessageA(thief, WM_USER + 1, 0, 0);
  press();
  EXPECT_EQ(clicks.size(), 1u);
  EXPECT_FALSE(deco->Tracking());
  ReleaseCapture();
  DeallocateHWnd(thief);
  // A toggle button flips and counts at once.
  deco->Button6()->SetStyle(TFrameButtonStyle::fbsToggle);
  press();
  EXPECT_TRUE(deco->Button6()->Down());
  EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(CaptionTest, TheMinimumHeightHoldsUnlessRolledUp) {
  deco->SetActive(true);
  deco->SetSizeControl(true);
  deco->SetMinHeight(240);
  deco->SetMinWidth(320);
  auto min_track = [&] {
    MINMAXINFO mmi{};
    SendMessageA(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    return mmi.ptMinTrackSize;
  };
  EXPECT_EQ(min_track().y, 240);
  EXPECT_EQ(min_track().x, 320);
  // Without the limits the system's own minimum stays too.
  deco->SetSizeControl(false);
  MINMAXINFO plain{};
  DefWindowProcA(h, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&plain));
  EXPECT_EQ(min_track().y, plain.ptMinTrackSize.y);
  // Rolled up, the window is only its bar, whatever the limits.
  deco->SetSizeControl(true);
  deco->SetRolledUp(true);
  EXPECT_EQ(min_track().y, deco->BarHeight() + 2 * deco->FrameOffset() - 2);
  deco->SetRolledUp(false);
  EXPECT_EQ(min_track().y, 240);
}

// A message handled while a button is tracked may free the form, and the decoration
// with it: nothing of it may be touched afterwards (the poisoned heap keeps the freed
// blocks and finds writes into them).
TEST_F(CaptionTest, AFormFreedWhileAButtonIsTrackedIsLeftAlone) {
  deco->SetActive(true);
  int clicks = 0;
  deco->OnButtonClick = [&](TObject*, int32_t) { ++clicks; };
  const int fo = deco->FrameOffset(), bar = deco->BarHeight(), w = Width();
  const int bx = w - fo - 5, by = fo + bar / 2;
  RECT wr{};
  GetWindowRect(h, &wr);
  ASSERT_EQ(Hit(bx, by), hit::kFrameButton);
  HWND killer = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_USER + 2) {
      delete form;
      form = nullptr;
    }
    M.Result = 0;
  });
  TComponentWatch watch(deco);
  PostMessageA(killer, WM_USER + 2, 0, 0);
  SendMessageA(h, WM_NCLBUTTONDOWN, hit::kFrameButton, MakeLParam(wr.left + bx, wr.top + by));
  ASSERT_FALSE(watch.Alive());
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(testing::FreedBlocksWrittenTo(), "") << "the freed decoration was written to";
  DeallocateHWnd(killer);
}

TEST_F(CaptionTest, AltSpaceOpensTheSystemMenuWithItsItemsSet) {
  deco->SetActive(true);
  deco->SetSizeStyle(TSizeStyle::szVertical);
  int opened = 0;
  HWND closer = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_TIMER) {
      ++opened;
      EndMenu();  // the menu's loop runs inside; close it from a timer
    }
    M.Result = 0;
  });
  SetTimer(closer, 1, 50, nullptr);
  SendMessageA(h, WM_SYSCHAR, ' ', 0);
  KillTimer(closer, 1);
  DeallocateHWnd(closer);
  EXPECT_GE(opened, 1);
  HMENU menu = GetSystemMenu(h, FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(GetMenuState(menu, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED) << "not maximized";
  EXPECT_FALSE(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED) << "only vertical sizing";
  EXPECT_FALSE(GetMenuState(menu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(CaptionTest, DoubleClickOnTheSystemBoxCloses) {
  deco->SetActive(true);
  SendMessageA(h, WM_NCLBUTTONDBLCLK, HTSYSMENU, 0);
  Pump();
  EXPECT_FALSE(form->Visible());
}

}  // namespace
}  // namespace tess
