// Drag and drop through real mouse messages: a row dragged from one list box onto
// another, a drop refused over a control that takes nothing, Escape cancelling, the
// threshold that keeps a click a click (and the release that ends a drag is none), and a
// windowless source started by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/win/extctrls.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::Pump;

class DragTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    from = new TListBox(form);
    from->SetParent(form);
    from->SetBounds(10, 10, 120, 150);
    from->Items()->SetText("alpha\nbeta\ngamma\n");
    from->SetDragMode(TDragMode::dmAutomatic);
    to = new TListBox(form);
    to->SetParent(form);
    to->SetBounds(150, 10, 120, 150);
    refuser = new TButton(form);
    refuser->SetParent(form);
    refuser->SetBounds(290, 10, 80, 30);
    // The target takes rows of the other list, and puts the selected one at its end.
    to->OnDragOver = [this](TObject*, TObject* Source, int32_t, int32_t, TDragState State,
                            bool& Accept) {
      states.push_back(State);
      Accept = Source == from;
    };
    to->OnDragDrop = [this](TObject*, TObject* Source, int32_t, int32_t) {
      auto* list = dynamic_cast<TListBox*>(Source);
      ASSERT_NE(list, nullptr);
      int32_t i = list->ItemIndex();
      ASSERT_GE(i, 0);
      to->Items()->Add(list->Items()->Strings(i));
      list->Items()->Delete(i);
    };
    from->OnEndDrag = [this](TObject*, TObject* Target, int32_t, int32_t) {
      ends.push_back(Target);
    };
    from->OnClick = [this](TObject*) { ++clicks; };
    ShowForm();
  }

  // A point of Control's client area in the source list's client coordinates, where
  // the mouse messages go while the source holds the mouse.
  POINT Over(TControl* Control, int X, int Y) {
    TPoint s = Control->ClientToScreen(TPoint{X, Y});
    POINT p{s.X, s.Y};
    ScreenToClient(from->Handle(), &p);
    return p;
  }
  void Send(UINT Msg, POINT P, WPARAM Keys) {
    SendMessageA(from->Handle(), Msg, Keys, MakeLParam(P.x, P.y));
    Pump();
  }
  bool CursorIs(TCursor C) { return GetCursor() == reinterpret_cast<HCURSOR>(Screen->Cursors(C)); }

  TListBox* from = nullptr;
  TListBox* to = nullptr;
  TButton* refuser = nullptr;
  std::vector<TDragState> states;
  std::vector<TObject*> ends;
  int clicks = 0;
};

TEST_F(DragTest, ARowDraggedOntoAnotherListMovesThere) {
  from->SetDragCursor(crHandPoint);
  POINT down{20, from->ItemHeight() + 2};  // on "beta"
  Send(WM_LBUTTONDOWN, down, MK_LBUTTON);
  EXPECT_EQ(from->ItemIndex(), 1) << "the press still selects";
  const int pressed = clicks;
  EXPECT_FALSE(from->Dragging());
  Send(WM_MOUSEMOVE, POINT{down.x + 2, down.y + 1}, MK_LBUTTON);
  EXPECT_FALSE(from->Dragging()) << "within the threshold";
  Send(WM_MOUSEMOVE, Over(to, 30, 30), MK_LBUTTON);
  EXPECT_TRUE(from->Dragging());
  EXPECT_EQ(from->ItemIndex(), 1) << "dragging does not move the selection";
  EXPECT_TRUE(CursorIs(crHandPoint));
  Send(WM_MOUSEMOVE, Over(to, 40, 35), MK_LBUTTON);
  ASSERT_GE(states.size(), 2u);
  EXPECT_EQ(states[0], TDragState::dsDragEnter);
  EXPECT_EQ(states.back(), TDragState::dsDragMove);
  Send(WM_LBUTTONUP, Over(to, 40, 35), 0);
  EXPECT_FALSE(from->Dragging());
  EXPECT_EQ(clicks, pressed) << "the release that dropped is no click";
  EXPECT_EQ(to->Items()->CommaText(), "beta");
  EXPECT_EQ(from->Items()->CommaText(), "alpha,gamma");
  EXPECT_EQ(ends, (std::vector<TObject*>{to}));
  EXPECT_NE(GetCapture(), from->Handle());
}

TEST_F(DragTest, AControlThatTakesNothingRefusesTheDrop) {
  POINT down{20, 2};
  Send(WM_LBUTTONDOWN, down, MK_LBUTTON);
  const int pressed = clicks;
  Send(WM_MOUSEMOVE, Over(to, 30, 30), MK_LBUTTON);
  Send(WM_MOUSEMOVE, Over(refuser, 10, 10), MK_LBUTTON);
  EXPECT_TRUE(CursorIs(crNoDrop));
  EXPECT_EQ(states.back(), TDragState::dsDragLeave) << "the list was told the drag left it";
  Send(WM_LBUTTONUP, Over(refuser, 10, 10), 0);
  EXPECT_EQ(clicks, pressed) << "the release of a refused drop is no click";
  EXPECT_EQ(to->Items()->Count(), 0);
  EXPECT_EQ(from->Items()->Count(), 3);
  EXPECT_EQ(ends, (std::vector<TObject*>{nullptr}));
  // A drop the target refuses by its own answer ends the same way.
  to->OnDragOver = [](TObject*, TObject*, int32_t, int32_t, TDragState, bool& Accept) {
    Accept = false;
  };
  Send(WM_LBUTTONDOWN, down, MK_LBUTTON);
  const int pressed_again = clicks;
  Send(WM_MOUSEMOVE, Over(to, 30, 30), MK_LBUTTON);
  EXPECT_TRUE(CursorIs(crNoDrop));
  Send(WM_LBUTTONUP, Over(to, 30, 30), 0);
  EXPECT_EQ(clicks, pressed_again);
  EXPECT_EQ(to->Items()->Count(), 0);
  EXPECT_EQ(ends, (std::vector<TObject*>{nullptr, nullptr}));
}

TEST_F(DragTest, EscapeCancelsTheDrag) {
  from->SetFocus();
  Pump();
  POINT down{20, 2};
  Send(WM_LBUTTONDOWN, down, MK_LBUTTON);
  const int pressed = clicks;
  Send(WM_MOUSEMOVE, Over(to, 30, 30), MK_LBUTTON);
  ASSERT_TRUE(from->Dragging());
  testing::PressKey(VK_ESCAPE);
  EXPECT_FALSE(from->Dragging());
  EXPECT_EQ(ends, (std::vector<TObject*>{nullptr}));
  EXPECT_EQ(states.back(), TDragState::dsDragLeave);
  EXPECT_NE(GetCapture(), from->Handle());
  // The release that follows drops nothing, and is no click.
  Send(WM_LBUTTONUP, Over(to, 30, 30), 0);
  EXPECT_EQ(to->Items()->Count(), 0);
  EXPECT_EQ(ends.size(), 1u);
  EXPECT_EQ(clicks, pressed);
}

TEST_F(DragTest, AClickWithoutMovingIsNoDrag) {
  POINT p{20, 2 * from->ItemHeight() + 2};
  Send(WM_LBUTTONDOWN, p, MK_LBUTTON);
  Send(WM_MOUSEMOVE, POINT{p.x + 3, p.y}, MK_LBUTTON);
  Send(WM_LBUTTONUP, POINT{p.x + 3, p.y}, 0);
  EXPECT_TRUE(ends.empty());
  EXPECT_EQ(from->ItemIndex(), 2);
  EXPECT_FALSE(from->Dragging());
  EXPECT_EQ(clicks, 1) << "a click is one click";
}

// The drag starts once the mouse has moved the threshold either way, not a pixel later.
TEST_F(DragTest, ADragStartsAtTheThreshold) {
  const int32_t t = DragThreshold();
  ASSERT_EQ(t, 5);
  POINT p{20, 2};
  for (POINT step : {POINT{1, 0}, POINT{0, 1}, POINT{-1, 0}, POINT{0, -1}}) {
    SCOPED_TRACE(::testing::Message() << step.x << "," << step.y);
    if (step.x < 0 || step.y < 0) p = POINT{60, 40};  // room to move back
    Send(WM_LBUTTONDOWN, p, MK_LBUTTON);
    Send(WM_MOUSEMOVE, POINT{p.x + step.x * (t - 1), p.y + step.y * (t - 1)}, MK_LBUTTON);
    EXPECT_FALSE(from->Dragging());
    Send(WM_MOUSEMOVE, POINT{p.x + step.x * t, p.y + step.y * t}, MK_LBUTTON);
    EXPECT_TRUE(from->Dragging());
    EXPECT_TRUE(CancelDrag());
    Send(WM_LBUTTONUP, p, 0);
  }
}

// A windowless control dragged by hand, at once, from its mouse-down handler; a drag
// object given at the start is what the target sees.
TEST_F(FormTest, AWindowlessControlStartsADragByHand) {
  auto* box = new TPaintBox(form);
  box->SetParent(form);
  box->SetBounds(10, 10, 50, 50);
  auto* target = new TPanel(form);
  target->SetParent(form);
  target->SetBounds(100, 10, 80, 80);
  ShowForm();
  TDragObject carried;
  box->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int32_t, int32_t) {
    box->BeginDrag(true);
  };
  box->OnStartDrag = [&](TObject*, TDragObject*& Object) { Object = &carried; };
  TObject* seen = nullptr;
  target->OnDragOver = [&](TObject*, TObject* Source, int32_t, int32_t, TDragState, bool&) {
    seen = Source;
  };
  bool dropped = false;
  target->OnDragDrop = [&](TObject*, TObject*, int32_t X, int32_t Y) {
    dropped = X == 20 && Y == 30;
  };
  TObject* ended = nullptr;
  box->OnEndDrag = [&](TObject*, TObject* Target, int32_t, int32_t) { ended = Target; };
  HWND h = form->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(20, 20));
  Pump();
  EXPECT_TRUE(box->Dragging());
  TPoint over = form->ScreenToClient(target->ClientToScreen(TPoint{20, 30}));
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(over.X, over.Y));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(over.X, over.Y));
  Pump();
  EXPECT_EQ(seen, &carried);
  EXPECT_TRUE(dropped);
  EXPECT_EQ(ended, target);
}

}  // namespace
}  // namespace tess
