// The splitter and the picture and repeat buttons through their real windows: clamps
// and drags (a capture lost mid-drag among them), painting probed by pixel, the repeat
// timer held and released, and a modal box opened from a repeat click.
#include <gtest/gtest.h>

#include "components/decoration/dockbar.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "framework/core/filer.h"
#include "framework/core/streams.h"
#include "framework/win/extctrls.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;
using testing::PumpUntil;

LPARAM At(int X, int Y) {
  return MakeLParam(X, Y);
}

class SplitTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    split = new ToxSplit(form);
    split->SetParent(form);
    split->SetBorderStyle(TBorderStyle::bsNone);
    split->SetBarWidth(4);
    split->SetOrientation(ToxsOrientation::oxsHorz);
    split->SetBounds(0, 0, 300, 200);
    ShowForm();
  }
  ToxSplit* split = nullptr;
};

TEST_F(SplitTest, PositionIsClampedAndPanesFollowIt) {
  EXPECT_EQ(split->FrameWidth(), 0);
  split->SetBarPosition(-5);
  EXPECT_EQ(split->BarPosition(), 0);
  split->SetBarPosition(10000);
  EXPECT_EQ(split->BarPosition(), 196);
  EXPECT_EQ(split->Percent(), 100);
  split->SetBarPosition(80);
  EXPECT_EQ(split->Panes(0)->BoundsRect(), Rect(0, 0, 300, 80));
  EXPECT_EQ(split->Panes(1)->BoundsRect(), Rect(0, 84, 300, 200));
  split->SetPercent(50);
  EXPECT_EQ(split->BarPosition(), 98);
  // A splitter smaller than its bar: nothing negative anywhere.
  split->SetHeight(3);
  split->SetBarPosition(40);
  EXPECT_EQ(split->BarPosition(), 0);
  EXPECT_EQ(split->Percent(), 0);
  // The Windows 95 look frames the panes.
  split->SetHeight(200);
  split->SetBorderStyle(TBorderStyle::bsSingle);
  EXPECT_EQ(split->EffectiveStyle(), ToxsStyle::oxsWin95);
  EXPECT_EQ(split->FrameWidth(), 2);
  EXPECT_EQ(split->Panes(0)->Left(), 2);
}

TEST_F(SplitTest, DragMovesThePanesOnReleaseAndStopsShortOfTheEdge) {
  split->SetBarPosition(50);
  HWND h = split->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 51));
  EXPECT_TRUE(split->Dragging());
  EXPECT_EQ(GetCapture(), h);
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(100, 120));
  // Without AutoUpdate only the line moves.
  EXPECT_EQ(split->BarPosition(), 50);
  EXPECT_EQ(split->Panes(0)->Height(), 50);
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(100, 5000));
  SendMessageA(h, WM_LBUTTONUP, 0, At(100, 5000));
  EXPECT_FALSE(split->Dragging());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(split->BarPosition(), 194) << "2 pixels above the limit";
  EXPECT_EQ(split->Panes(0)->Height(), 194);

  // With AutoUpdate the panes follow at once.
  split->SetAutoUpdate(true);
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(10, 195));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(10, 31));
  EXPECT_EQ(split->BarPosition(), 30);
  SendMessageA(h, WM_LBUTTONUP, 0, At(10, 31));
  EXPECT_EQ(split->BarPosition(), 30);
}

TEST_F(SplitTest, LosingTheCaptureEndsTheDragOnce) {
  split->SetBarPosition(50);
  HWND h = split->Handle();
  int resizes = 0;
  split->OnResize = [&](TObject*) { ++resizes; };
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 52));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(100, 150));
  // Someone else takes the mouse in the middle of the drag.
  SetCapture(form->Handle());
  EXPECT_FALSE(split->Dragging());
  EXPECT_EQ(split->BarPosition(), 50) << "a lost drag does not jump";
  ReleaseCapture();
  // Late messages of the dead drag change nothing.
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, At(100, 170));
  SendMessageA(h, WM_LBUTTONUP, 0, At(100, 170));
  EXPECT_EQ(split->BarPosition(), 50);
  EXPECT_EQ(resizes, 0);
  // Cancel mode (a message box, a disabled window) ends it too.
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 52));
  SendMessageA(h, WM_CANCELMODE, 0, 0);
  EXPECT_FALSE(split->Dragging());
  EXPECT_NE(GetCapture(), h);
}

TEST_F(SplitTest, LockedBarIgnoresPresses) {
  split->SetLocked(true);
  split->SetBarPosition(50);
  SendMessageA(split->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 51));
  EXPECT_FALSE(split->Dragging());
  SendMessageA(split->Handle(), WM_LBUTTONUP, 0, At(100, 51));
  // A press off the bar never drags.
  split->SetLocked(false);
  SendMessageA(split->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 20));
  EXPECT_FALSE(split->Dragging());
  SendMessageA(split->Handle(), WM_LBUTTONUP, 0, At(100, 20));
}

TEST_F(SplitTest, BarIsPaintedInItsColour) {
  split->SetBarPosition(50);
  split->SetBarColor(clRed);
  split->SetStyle(ToxsStyle::oxsInset);  // one pixel of frame outside each pane
  TBitmap shot(300, 200, TPixelFormat::pf24bit);
  split->PaintTo(shot.Canvas()->Handle(), 0, 0);
  EXPECT_EQ(shot.Canvas()->Pixel(150, 51), clRed);
  EXPECT_EQ(shot.Canvas()->Pixel(150, 50), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shot.Canvas()->Pixel(150, 53), ColorToRGB(clBtnShadow));
  EXPECT_NE(shot.Canvas()->Pixel(150, 20), clRed);
}

// The panes cover the splitter: a drag dropped on a pane reaches the splitter's handlers.
TEST_F(SplitTest, ThePanesTakeTheSplittersDragEvents) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetBounds(310, 10, 80, 100);
  list->Items()->SetText("row\n");
  list->SetDragMode(TDragMode::dmAutomatic);
  std::vector<TObject*> over, dropped;
  split->OnDragOver = [&](TObject* Sender, TObject*, int32_t, int32_t, TDragState, bool& Accept) {
    over.push_back(Sender);
    Accept = true;
  };
  split->OnDragDrop = [&](TObject* Sender, TObject*, int32_t, int32_t) {
    dropped.push_back(Sender);
  };
  split->Loaded();
  ASSERT_EQ(split->PaneCount(), 2);
  TPoint p = split->Panes(1)->ClientToScreen(TPoint{20, 20});
  POINT at{p.X, p.Y};
  ScreenToClient(list->Handle(), &at);
  SendMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  SendMessageA(list->Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(at.x, at.y));
  SendMessageA(list->Handle(), WM_LBUTTONUP, 0, At(at.x, at.y));
  Pump();
  ASSERT_FALSE(over.empty());
  EXPECT_EQ(over.front(), split->Panes(1));
  EXPECT_EQ(dropped, (std::vector<TObject*>{split->Panes(1)}));
}

// A handler of an event handed to a pane may free the pane: the splitter forgets it and
// lays out the one left.
TEST_F(SplitTest, APaneFreedByAHandedEventIsForgotten) {
  split->OnMouseDown = [](TObject* Sender, TMouseButton, TShiftState, int32_t, int32_t) {
    delete Sender;
  };
  split->Loaded();
  ASSERT_EQ(split->PaneCount(), 2);
  ToxScrollPane* last = split->Panes(1);
  HWND first = split->Panes(0)->Handle();
  SendMessageA(first, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  SendMessageA(first, WM_LBUTTONUP, 0, At(5, 5));
  Pump();
  EXPECT_FALSE(IsWindow(first));
  ASSERT_EQ(split->PaneCount(), 1);
  EXPECT_EQ(split->Panes(0), last);
  split->SetBounds(0, 0, 320, 220);
  split->SetBarPosition(50);
  EXPECT_EQ(split->ControlCount(), 1);
}

TEST(SplitStream, PanesComeBackFromAStoredForm) {
  RegisterFrameworkClasses();
  TMemoryStream stream;
  {
    TForm form(nullptr);
    form.SetName("frmSql");
    auto* split = new ToxSplit(&form);
    split->SetName("splEditor");
    split->SetParent(&form);
    split->SetBounds(0, 0, 300, 250);
    split->SetOrientation(ToxsOrientation::oxsHorz);
    split->SetBarWidth(4);
    split->SetBarPosition(101);
    auto* memo = new TMemo(&form);
    memo->SetName("memSql");
    memo->SetParent(split->Panes(0));
    memo->SetText("select 1 from dual");
    WriteComponent(&stream, &form);
  }
  stream.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&stream, &copy);
  auto* split = dynamic_cast<ToxSplit*>(copy.FindComponent("splEditor"));
  auto* memo = dynamic_cast<TMemo*>(copy.FindComponent("memSql"));
  ASSERT_NE(split, nullptr);
  ASSERT_NE(memo, nullptr);
  ASSERT_EQ(split->PaneCount(), 2) << "the streamed panes replace the constructor's";
  EXPECT_EQ(memo->Parent(), split->Panes(0));
  EXPECT_EQ(split->Orientation(), ToxsOrientation::oxsHorz);
  EXPECT_EQ(split->BarPosition(), 101);
  EXPECT_EQ(split->Panes(1)->Top(), split->FrameWidth() + 101 + 4);
  EXPECT_EQ(memo->Text(), "select 1 from dual");
}

// ---------------------------------------------------------------------------------------

std::unique_ptr<TBitmap> Square(TColor Color, TColor Back = clSilver) {
  auto b = std::make_unique<TBitmap>(16, 16, TPixelFormat::pf24bit);
  b->Canvas()->Brush()->SetColor(Back);
  b->Canvas()->FillRect(Rect(0, 0, 16, 16));
  b->Canvas()->Brush()->SetColor(Color);
  b->Canvas()->FillRect(Rect(4, 4, 12, 12));
  return b;
}

std::unique_ptr<TBitmap> Shot(ToxCustomButton* B) {
  auto shot = std::make_unique<TBitmap>(B->Width(), B->Height(), TPixelFormat::pf24bit);
  B->PaintTo(shot->Canvas()->Handle(), 0, 0);
  return shot;
}

// The automatic look is one choice for the whole program: the splitter, the picture
// button and the dock bar take the same one, and a chosen look stands.
TEST_F(FormTest, AutoLookIsTheSameInEveryDecoration) {
  auto* split = new ToxSplit(form);
  auto* button = new ToxCustomButton(form);
  auto* bar = new ToxDockBar(form);
  ASSERT_EQ(split->Style(), ToxsStyle::oxsAuto);
  ASSERT_EQ(button->Style(), ToxBtnStyle::bsAuto);
  ASSERT_EQ(bar->Style(), TDockBarStyle::bsAuto);
  const bool win95 = split->EffectiveStyle() == ToxsStyle::oxsWin95;
  EXPECT_EQ(win95, NewStyleControls);
  EXPECT_EQ(button->EffectiveStyle() == ToxBtnStyle::bsWin95, win95);
  EXPECT_EQ(bar->EffectiveStyle() == TDockBarStyle::bsWin95, win95);
  split->SetStyle(ToxsStyle::oxsWin31);
  button->SetStyle(ToxBtnStyle::bsThick);
  bar->SetStyle(TDockBarStyle::bsWin31);
  EXPECT_EQ(split->EffectiveStyle(), ToxsStyle::oxsWin31);
  EXPECT_EQ(button->EffectiveStyle(), ToxBtnStyle::bsThick);
  EXPECT_EQ(bar->EffectiveStyle(), TDockBarStyle::bsWin31);
}

TEST_F(FormTest, PictureButtonPlacesAndPaintsItsParts) {
  auto* b = new ToxCustomButton(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 80, 40);
  b->SetCaption("Go");
  b->SetColor(clBlue);
  b->SetShadowColor(clBlue);  // no shadow
  b->SetPictureUp(Square(clRed).get());
  b->SetPictureX(0);
  b->SetPictureY(0);
  ShowForm();
  // The window keeps its owner-draw style through a default-look change.
  HWND h = b->Handle();
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_STYLE) & 0x0F, BS_OWNERDRAW);
  SendMessageA(h, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_STYLE) & 0x0F, BS_OWNERDRAW);
  EXPECT_TRUE(b->IsDefaultLook());
  SendMessageA(h, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  EXPECT_FALSE(b->IsDefaultLook());

  // Not focused and not the default: the plain raised frame.
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetTop(100);
  other->SetFocus();
  Pump();
  EXPECT_FALSE(b->IsDefaultLook());
  auto up = Shot(b);
  EXPECT_EQ(b->PictureRect(), Rect(32, 12, 48, 28)) << "centred on the face";
  EXPECT_EQ(up->Canvas()->Pixel(40, 20), clRed);
  EXPECT_EQ(up->Canvas()->Pixel(34, 14), clBlue) << "the silver corners are transparent";
  EXPECT_EQ(up->Canvas()->Pixel(0, 0), ColorToRGB(clBtnHighlight));
  // The caption 5 pixels in from the right and bottom edges.
  TRect cap = b->CaptionRect();
  EXPECT_EQ(cap.Right, 80 - 2 - 5);  // the raised frame is 2 pixels thick
  EXPECT_EQ(cap.Bottom, 40 - 2 - 5);

  // Pressed: the frame turns dark and the picture moves 2 pixels.
  SendMessageA(h, BM_SETSTATE, TRUE, 0);
  auto down = Shot(b);
  EXPECT_EQ(down->Canvas()->Pixel(0, 0), ColorToRGB(clWindowFrame));
  EXPECT_EQ(b->PictureRect(), Rect(34, 14, 50, 30));
  SendMessageA(h, BM_SETSTATE, FALSE, 0);

  EXPECT_EQ(ToxCustomButton::PlaceOffset(0, 100, 20), 40);
  EXPECT_EQ(ToxCustomButton::PlaceOffset(3, 100, 20), 3);
  EXPECT_EQ(ToxCustomButton::PlaceOffset(-1, 100, 20), 79);
}

TEST_F(FormTest, OwnerDrawnButtonTakesAQuickSecondClick) {
  auto* b = new ToxCustomButton(form);
  b->SetParent(form);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  HWND h = b->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(5, 5));
  SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MakeLParam(5, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(5, 5));
  Pump();
  EXPECT_EQ(clicks, 2);
}

TEST(CanvasPatBlt, InvertingTwiceLeavesThePixels) {
  TBitmap bmp(20, 10, TPixelFormat::pf24bit);
  TCanvas* c = bmp.Canvas();
  c->Brush()->SetColor(clTeal);
  c->FillRect(Rect(0, 0, 20, 10));
  c->Brush()->SetColor(clWhite);
  c->PatBlt(Rect(5, 0, 10, 10), PATINVERT);
  EXPECT_EQ(c->Pixel(7, 5), RGBColor(0xFF, 0x7F, 0x7F));
  EXPECT_EQ(c->Pixel(2, 5), clTeal);
  c->PatBlt(Rect(5, 0, 10, 10), PATINVERT);
  EXPECT_EQ(c->Pixel(7, 5), clTeal);
}

TEST_F(FormTest, KindHoldsOnlyWhileItsPartsDo) {
  auto* b = new ToxCustomButton(form);
  b->SetParent(form);
  b->SetKind(ToxBtnKind::bkOK);
  EXPECT_EQ(b->Caption(), "OK");
  EXPECT_TRUE(b->Default());
  EXPECT_EQ(b->ModalResult(), mrOk);
  EXPECT_EQ(b->Kind(), ToxBtnKind::bkOK);
  b->SetCaption("Fine");
  EXPECT_EQ(b->Kind(), ToxBtnKind::bkCustom);
  b->SetKind(ToxBtnKind::bkNo);
  EXPECT_TRUE(b->Cancel());
  b->SetCancel(false);
  EXPECT_EQ(b->Kind(), ToxBtnKind::bkCustom);
}

class RepeatTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    for (ToxRepeat*& r : rep) {
      r = new ToxRepeat(form);
      r->SetParent(form);
      r->SetDelay(15);
      r->SetPictureUp(Square(clRed).get());
      r->SetPictureDown(Square(clLime).get());
      r->OnClick = [this, r](TObject*) { ++clicks[r == rep[0] ? 0 : 1]; };
    }
    rep[1]->SetLeft(100);
    ShowForm();
  }
  bool TimerRunning(ToxRepeat* R) {
    // Killing a timer that does not run fails; restart it if it did.
    if (!KillTimer(R->Handle(), ToxRepeat::kTimerId)) return false;
    SetTimer(R->Handle(), ToxRepeat::kTimerId, static_cast<UINT>(R->Delay()), nullptr);
    return true;
  }
  ToxRepeat* rep[2] = {};
  int clicks[2] = {0, 0};
};

TEST_F(RepeatTest, HeldButtonClicksOnEveryTickAndStopsOnRelease) {
  HWND h = rep[0]->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  EXPECT_TRUE(rep[0]->Repeating());
  EXPECT_EQ(clicks[0], 0) << "the first click waits for the delay";
  std::vector<bool> swapped;
  ASSERT_TRUE(PumpUntil([&] {
    if (static_cast<int>(swapped.size()) < clicks[0]) swapped.push_back(rep[0]->PicturesSwapped());
    return clicks[0] >= 4;
  }));
  // The pictures blink with the ticks; the other button's stay put.
  EXPECT_NE(swapped[0], swapped[1]);
  EXPECT_FALSE(rep[1]->PicturesSwapped());
  SendMessageA(h, WM_LBUTTONUP, 0, At(5, 5));
  EXPECT_FALSE(rep[0]->Repeating());
  EXPECT_FALSE(rep[0]->PicturesSwapped()) << "released: the pictures go back";
  EXPECT_FALSE(TimerRunning(rep[0]));
  int after = clicks[0];
  Pump();
  EXPECT_EQ(clicks[0], after);
  EXPECT_EQ(clicks[1], 0);

  // With one picture only, nothing swaps.
  rep[1]->SetPictureDown(nullptr);
  SendMessageA(rep[1]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ASSERT_TRUE(PumpUntil([&] { return clicks[1] >= 2; }));
  EXPECT_FALSE(rep[1]->PicturesSwapped());
  SendMessageA(rep[1]->Handle(), WM_LBUTTONUP, 0, At(5, 5));
}

// A held key clicks through the keyboard's own repeat: each Space press after the
// first one of a hold clicks, whichever key began the hold; releasing ends it.
TEST_F(RepeatTest, HeldKeysRepeatTheClick) {
  HWND h = rep[0]->Handle();
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(clicks[0], 0);
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0x40000001);
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 0x40000001);
  EXPECT_EQ(clicks[0], 2);
  EXPECT_TRUE(rep[0]->PicturesSwapped() == false) << "two swaps: back as they were";
  SendMessageA(h, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001));
  EXPECT_FALSE(rep[0]->Repeating());
  clicks[0] = 0;
  SendMessageA(h, WM_KEYDOWN, VK_SHIFT, 1);
  EXPECT_TRUE(rep[0]->Repeating()) << "any key press sets the flag";
  SendMessageA(h, WM_KEYDOWN, VK_SPACE, 1);
  EXPECT_EQ(clicks[0], 1);
  EXPECT_TRUE(rep[0]->PicturesSwapped());
  SendMessageA(h, WM_KEYUP, VK_SHIFT, static_cast<LPARAM>(0xC0000001));
  EXPECT_FALSE(rep[0]->Repeating());
  EXPECT_FALSE(rep[0]->PicturesSwapped());
  SendMessageA(h, WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001));
  Pump();
}

TEST_F(RepeatTest, ModalBoxFromAClickEndsTheHold) {
  int modal_runs = 0;
  rep[0]->OnClick = [&](TObject*) {
    ++clicks[0];
    ++modal_runs;
    TForm box(nullptr);
    box.SetBounds(200, 200, 150, 80);
    TTimer closer(&box);
    closer.SetInterval(120);  // several of the button's ticks
    closer.OnTimer = [&](TObject*) { box.SetModalResult(mrOk); };
    box.ShowModal();
  };
  SendMessageA(rep[0]->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
  ASSERT_TRUE(PumpUntil([&] { return modal_runs >= 1 && !rep[0]->Repeating(); }));
  Pump();
  EXPECT_EQ(modal_runs, 1) << "no click re-enters from behind the box";
  EXPECT_FALSE(rep[0]->Repeating());
  EXPECT_FALSE(TimerRunning(rep[0]));
  EXPECT_FALSE(rep[0]->PicturesSwapped());
}

}  // namespace
}  // namespace tess
