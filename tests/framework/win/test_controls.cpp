// Controls through their real windows: lazy windows and the tree of windows, layout,
// focus and tab order, capture, the window procedure under subclassing, remaking a
// window, reflection of notifications, inherited looks and reparenting.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/win/extctrls.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::PressKey;
using testing::PressShiftKey;
using testing::Pump;

// A custom control that records what reaches it.
class TProbe : public TCustomControl {
 public:
  explicit TProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  std::vector<std::string> log;
  std::vector<uint32_t> messages;
  bool want_tab = false;

  void Dispatch(TMessage& M) override {
    messages.push_back(M.Msg);
    if (M.Msg == WM_GETDLGCODE) {
      M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | (want_tab ? DLGC_WANTTAB : 0);
      return;
    }
    if (M.Msg == CM_FONTCHANGED) log.push_back("font");
    if (M.Msg == CM_COLORCHANGED) log.push_back("color");
    if (M.Msg == WM_CHAR) log.push_back(std::string("char ") + std::to_string(M.WParam));
    TCustomControl::Dispatch(M);
  }
  int Count(uint32_t Msg) const {
    return static_cast<int>(std::count(messages.begin(), messages.end(), Msg));
  }
};

// ---------------------------------------------------------------------------------------

TEST_F(FormTest, WindowsAreMadeLazilyAndFormATree) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetParent(panel);
  edit->SetText("hello");
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "hello");

  // Asking a child for its window makes its parents' windows first.
  HWND h = edit->Handle();
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_TRUE(panel->HandleAllocated());
  EXPECT_EQ(GetParent(h), panel->Handle());
  EXPECT_EQ(GetParent(panel->Handle()), form->Handle());
  char text[16] = {};
  GetWindowTextA(h, text, sizeof text);
  EXPECT_STREQ(text, "hello");

  EXPECT_EQ(FindControl(h), edit);
  EXPECT_EQ(FindControl(form->Handle()), form);
  EXPECT_EQ(FindControl(GetDesktopWindow()), nullptr);
  EXPECT_EQ(FindControl(nullptr), nullptr);
  EXPECT_EQ(GetParentForm(edit), form);

  // A control added to a parent that has a window gets its own at once.
  auto* late = new TButton(form);
  late->SetParent(panel);
  EXPECT_TRUE(late->HandleAllocated());
  EXPECT_EQ(GetParent(late->Handle()), panel->Handle());

  // A window destroyed from outside leaves the control without one, not with a stale one.
  DestroyWindow(panel->Handle());
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(FindControl(h), nullptr);
  EXPECT_NE(edit->Handle(), nullptr);
}

TEST_F(FormTest, DeletingAParentDeletesItsChildControls) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* edit = new TEdit(nullptr);  // owned by no one: the parent frees it
  edit->SetParent(panel);
  auto* label = new TLabel(form);
  label->SetParent(panel);
  ShowForm();
  HWND eh = edit->Handle();
  delete panel;
  EXPECT_FALSE(IsWindow(eh));
  EXPECT_EQ(form->ControlCount(), 0);
  EXPECT_EQ(form->FindComponent(""), nullptr);
  EXPECT_EQ(form->ComponentCount(), 0);
}

TEST_F(FormTest, AlignedControlsShareTheClientArea) {
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  auto make = [&](TAlign a, int size) {
    auto* p = new TPanel(form);
    p->SetParent(form);
    p->SetBounds(0, 0, size, size);
    p->SetAlign(a);
    return p;
  };
  TPanel* top = make(TAlign::alTop, 30);
  TPanel* bottom = make(TAlign::alBottom, 20);
  TPanel* left = make(TAlign::alLeft, 40);
  TPanel* right = make(TAlign::alRight, 50);
  TPanel* client = make(TAlign::alClient, 10);
  ShowForm();
  EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
  EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
  EXPECT_EQ(left->BoundsRect(), Rect(0, 30, 40, 180));
  EXPECT_EQ(right->BoundsRect(), Rect(250, 30, 300, 180));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 250, 180));

  // The layout follows the size of the form and the visibility of the controls.
  form->SetClientWidth(400);
  EXPECT_EQ(right->BoundsRect(), Rect(350, 30, 400, 180));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 30, 350, 180));
  top->Hide();
  EXPECT_EQ(left->BoundsRect(), Rect(0, 0, 40, 180));
  EXPECT_EQ(client->BoundsRect(), Rect(40, 0, 350, 180));

  // Two controls on one edge keep the order of their positions.
  auto* top2 = make(TAlign::alNone, 10);
  top2->SetBounds(0, 500, 300, 15);
  top->Show();
  top2->SetAlign(TAlign::alTop);
  EXPECT_EQ(top->Top(), 0);
  EXPECT_EQ(top2->Top(), 30);
  EXPECT_EQ(client->Top(), 45);

  // The windows are where the objects say.
  RECT r{};
  GetWindowRect(client->Handle(), &r);
  MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, client->Left());
  EXPECT_EQ(r.bottom - r.top, client->Height());
}

TEST_F(FormTest, TabMovesThroughTheTabOrderAndAControlThatWantsTabsKeepsThem) {
  auto* a = new TEdit(form);
  a->SetParent(form);
  auto* skip = new TEdit(form);
  skip->SetParent(form);
  skip->SetTabStop(false);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* b = new TEdit(form);
  b->SetParent(panel);
  auto* hidden = new TEdit(form);
  hidden->SetParent(form);
  hidden->Hide();
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetWantTabs(true);
  ShowForm();
  a->SetFocus();
  ASSERT_EQ(GetFocus(), a->Handle());

  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), b->Handle()) << "the edit without TabStop and the panel are skipped";
  EXPECT_EQ(form->ActiveControl(), b);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), memo->Handle()) << "the hidden edit is skipped";
  EXPECT_EQ(b->Text(), "") << "the tab did not reach the edit as a character";

  // The memo takes the tab as text.
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), memo->Handle());
  EXPECT_EQ(memo->Text(), "\t");

  // Backwards with Shift; forwards wraps around to the first control.
  b->SetFocus();
  PressShiftKey(VK_TAB);
  EXPECT_EQ(GetFocus(), a->Handle());
  PressShiftKey(VK_TAB);
  EXPECT_EQ(GetFocus(), memo->Handle());

  // The tab order is the order of TabOrder, not of creation.
  memo->SetWantTabs(false);
  b->SetFocus();
  panel->SetTabOrder(0);
  a->SetFocus();
  PressShiftKey(VK_TAB);
  EXPECT_EQ(GetFocus(), b->Handle());
}

// Focus coming into a one-line edit selects its text, ready to be typed over; a memo
// keeps its caret and selects nothing, whichever way the focus came (a tab, SetFocus,
// its window being activated).
TEST_F(FormTest, EnteringAnEditSelectsItsTextAndEnteringAMemoSelectsNothing) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetText("one line");
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetReadOnly(true);
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  auto* other = new TEdit(form);
  other->SetParent(form);
  ShowForm();
  other->SetFocus();
  edit->SetFocus();
  EXPECT_EQ(edit->SelLength(), 8);
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), memo->Handle());
  EXPECT_EQ(memo->SelLength(), 0) << "tabbed into";
  other->SetFocus();
  memo->SetFocus();
  EXPECT_EQ(memo->SelLength(), 0) << "SetFocus";
}

TEST_F(FormTest, DialogCodesDecideWhichKeysAControlKeeps) {
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  auto* next = new TEdit(form);
  next->SetParent(form);
  ShowForm();
  probe->SetFocus();
  probe->want_tab = true;
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), probe->Handle());
  EXPECT_EQ(probe->Count(WM_KEYDOWN), 1);
  EXPECT_NE(std::find(probe->log.begin(), probe->log.end(), "char 9"), probe->log.end())
      << "a kept key is translated into its character";
  probe->want_tab = false;
  probe->messages.clear();
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), next->Handle());
  EXPECT_EQ(probe->Count(WM_KEYDOWN), 0);
  EXPECT_EQ(probe->Count(WM_CHAR), 0) << "a key taken by the form leaves no character behind";
}

TEST_F(FormTest, EnterAndEscapePressTheDefaultAndCancelButtons) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetDefault(true);
  auto* cancel = new TButton(form);
  cancel->SetParent(form);
  cancel->SetCancel(true);
  std::vector<std::string> clicks;
  ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
  cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
  ShowForm();
  edit->SetFocus();
  EXPECT_TRUE(ok->IsDefaultLook());
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(clicks, (std::vector<std::string>{"ok", "cancel"}));
  EXPECT_EQ(edit->Text(), "");

  // A focused button takes Enter itself and the default button loses its look.
  cancel->SetFocus();
  EXPECT_FALSE(ok->IsDefaultLook());
  EXPECT_TRUE(cancel->IsDefaultLook());
  clicks.clear();
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, (std::vector<std::string>{"cancel"}));
}

TEST_F(FormTest, AltAndAMarkedLetterPressesTheButtonOrFocusesTheLabelsControl) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("&Name");
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetTop(30);
  label->SetFocusControl(edit);
  auto* save = new TButton(form);
  save->SetParent(form);
  save->SetTop(60);
  save->SetCaption("&Save");
  auto* other = new TButton(form);
  other->SetParent(form);
  other->SetTop(90);
  other->SetCaption("Fish && &Chips");
  int saves = 0, chips = 0;
  save->OnClick = [&](TObject*) { ++saves; };
  other->OnClick = [&](TObject*) { ++chips; };
  ShowForm();
  save->SetFocus();
  auto alt = [&](char c) {
    PostMessageA(GetFocus(), WM_SYSCHAR, static_cast<unsigned char>(c), 0x20000001);
    Pump();
  };
  alt('n');
  EXPECT_EQ(GetFocus(), edit->Handle());
  alt('S');
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(GetFocus(), save->Handle());
  alt('c');
  EXPECT_EQ(chips, 1);
  alt('f');  // "&&" is no mark
  EXPECT_EQ(chips, 1);
  EXPECT_TRUE(IsAccel('X', "E&xit"));
  EXPECT_FALSE(IsAccel('&', "A && B"));
}

TEST_F(FormTest, EnterAndExitRunInOrderAcrossContainers) {
  std::vector<std::string> log;
  auto track = [&](TWinControl* c, const std::string& name) {
    c->OnEnter = [&log, name](TObject*) { log.push_back("enter " + name); };
    c->OnExit = [&log, name](TObject*) { log.push_back("exit " + name); };
  };
  auto* p1 = new TPanel(form);
  p1->SetParent(form);
  auto* p2 = new TPanel(form);
  p2->SetParent(form);
  p2->SetTop(50);
  auto* a = new TEdit(form);
  a->SetParent(p1);
  auto* a2 = new TEdit(form);
  a2->SetParent(p1);
  auto* b = new TEdit(form);
  b->SetParent(p2);
  track(p1, "p1");
  track(p2, "p2");
  track(a, "a");
  track(a2, "a2");
  track(b, "b");
  ShowForm();
  a->SetFocus();
  log.clear();
  b->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit a", "exit p1", "enter p2", "enter b"}));
  log.clear();
  a->SetFocus();
  a2->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"exit b", "exit p2", "enter p1", "enter a", "exit a",
                                           "enter a2"}));
  EXPECT_EQ(Screen->ActiveControl(), a2);
  EXPECT_TRUE(a2->Focused());
  EXPECT_FALSE(a->Focused());
}

TEST_F(FormTest, FocusLeavesAControlThatIsHiddenOrDisabled) {
  auto* a = new TEdit(form);
  a->SetParent(form);
  auto* b = new TEdit(form);
  b->SetParent(form);
  ShowForm();
  a->SetFocus();
  a->Hide();
  EXPECT_EQ(GetFocus(), b->Handle());
  a->Show();
  b->SetEnabled(false);
  EXPECT_EQ(GetFocus(), a->Handle());
  EXPECT_FALSE(b->CanFocus());
  EXPECT_THROW(b->SetFocus(), EInvalidOperation);
}

TEST_F(FormTest, ButtonDownCapturesTheMouseUntilRelease) {
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  probe->SetBounds(10, 10, 50, 50);
  std::vector<std::string> events;
  probe->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
    events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  int clicks = 0;
  probe->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  HWND h = probe->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  EXPECT_EQ(GetCapture(), h);
  EXPECT_TRUE(probe->MouseCapture());
  EXPECT_EQ(GetCaptureControl(), probe);
  // Dragged outside: the messages still come here, with coordinates outside.
  SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(200, -20));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(200, -20));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(probe->MouseCapture());
  EXPECT_EQ(events, (std::vector<std::string>{"move 200,-20"}));
  EXPECT_EQ(clicks, 0) << "released outside: no click";
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(6, 6));
  EXPECT_EQ(clicks, 1);
}

// A windowless control gets the mouse through its parent, and its capture too.
class TGraphicProbe : public TGraphicControl {
 public:
  explicit TGraphicProbe(TComponent* AOwner) : TGraphicControl(AOwner) {}
  std::vector<std::string> log;

 protected:
  void MouseDown(TMouseButton, TShiftState, int32_t X, int32_t Y) override {
    log.push_back("down " + std::to_string(X) + "," + std::to_string(Y));
  }
  void MouseMove(TShiftState, int32_t X, int32_t Y) override {
    log.push_back("move " + std::to_string(X) + "," + std::to_string(Y));
  }
  void MouseUp(TMouseButton, TShiftState, int32_t X, int32_t Y) override {
    log.push_back("up " + std::to_string(X) + "," + std::to_string(Y));
  }
};

TEST_F(FormTest, WindowlessControlsGetTheMouseAndItsCaptureThroughTheirParent) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 200, 100);
  auto* g = new TGraphicProbe(form);
  g->SetParent(panel);
  g->SetBounds(20, 30, 40, 20);
  int panel_downs = 0;
  panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++panel_downs; };
  ShowForm();
  HWND ph = panel->Handle();
  SendMessageA(ph, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(25, 35));
  EXPECT_EQ(GetCaptureControl(), g);
  EXPECT_EQ(GetCapture(), ph);
  SendMessageA(ph, WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(150, 90));
  SendMessageA(ph, WM_LBUTTONUP, 0, MakeLParam(150, 90));
  EXPECT_EQ(g->log, (std::vector<std::string>{"down 5,5", "move 130,60", "up 130,60"}));
  EXPECT_EQ(panel_downs, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  // Elsewhere on the panel the panel itself gets the mouse.
  SendMessageA(ph, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(150, 90));
  SendMessageA(ph, WM_LBUTTONUP, 0, MakeLParam(150, 90));
  EXPECT_EQ(panel_downs, 1);
}

TEST_F(FormTest, APostedMessageArrivesAfterTheCurrentOne) {
  const uint32_t kFirst = WM_APP + 1, kSecond = WM_APP + 2;
  std::vector<std::string> log;
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  TWndMethod old = probe->WindowProc;
  probe->WindowProc = [&, old](TMessage& M) {
    if (M.Msg == kFirst) {
      log.push_back("first begins");
      PostMessageA(probe->Handle(), kSecond, 0, 0);
      log.push_back("first ends");
      return;
    }
    if (M.Msg == kSecond) {
      log.push_back("second");
      return;
    }
    old(M);
  };
  ShowForm();
  PostMessageA(probe->Handle(), kFirst, 0, 0);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"first begins", "first ends", "second"}));
}

// ---------------------------------------------------------------------------------------
// The window procedure
// ---------------------------------------------------------------------------------------

std::vector<UINT> g_seen;
WNDPROC g_previous = nullptr;

LRESULT CALLBACK Spy(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
  g_seen.push_back(Msg);
  return CallWindowProcA(g_previous, Wnd, Msg, W, L);
}

TEST_F(FormTest, SubclassingTheWindowKeepsTheControlWorkingAndCanBeUndone) {
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  ShowForm();
  HWND h = probe->Handle();
  const UINT kPing = WM_APP + 10;
  g_seen.clear();
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy)));
  SendMessageA(h, kPing, 0, 0);
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), kPing), 1);
  EXPECT_EQ(probe->Count(kPing), 1) << "the control still gets the message behind the spy";
  EXPECT_EQ(FindControl(h), probe);
  SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  SendMessageA(h, kPing, 0, 0);
  EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), kPing), 1);
  EXPECT_EQ(probe->Count(kPing), 2);

  // A system control (the edit) works behind a spy too.
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  HWND eh = edit->Handle();
  g_previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(eh, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Spy)));
  SetWindowTextA(eh, "typed");
  EXPECT_EQ(edit->Text(), "typed");
  SetWindowLongPtrA(eh, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
}

TEST_F(FormTest, AnyMessageNumberReachesTheControlsHandlers) {
  auto* probe = new TProbe(form);
  probe->SetParent(form);
  EXPECT_EQ(probe->Perform(WM_APP + 99, 1, 2), 0);
  EXPECT_EQ(probe->Count(WM_APP + 99), 1);
  EXPECT_FALSE(probe->HandleAllocated()) << "Perform does not need the window";
  SendMessageA(probe->Handle(), 0x7FFF, 0, 0);
  EXPECT_EQ(probe->Count(0x7FFF), 1);
}

// ---------------------------------------------------------------------------------------
// Remaking windows
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, RecreateWndKeepsTextStateAndFocus) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 300, 250);
  auto* edit = new TEdit(form);
  edit->SetParent(panel);
  edit->SetBounds(5, 7, 100, 24);
  auto* list = new TListBox(form);
  list->SetParent(panel);
  list->SetTop(40);
  auto* combo = new TComboBox(form);
  combo->SetParent(panel);
  combo->SetTop(150);
  auto* memo = new TMemo(form);
  memo->SetParent(panel);
  memo->SetLeft(150);
  ShowForm();
  edit->SetText("keep me");
  edit->SetMaxLength(20);
  edit->SetModified(true);
  edit->SetSelStart(2);
  edit->SetSelLength(3);
  TObject marker;
  list->Items()->Add("one");
  list->Items()->AddObject("two", &marker);
  list->SetItemIndex(1);
  combo->Items()->Add("red");
  combo->Items()->Add("green");
  combo->SetItemIndex(1);
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  edit->SetFocus();
  int enters = 0, exits = 0;
  edit->OnEnter = [&](TObject*) { ++enters; };
  edit->OnExit = [&](TObject*) { ++exits; };

  TRect edit_bounds = edit->BoundsRect();
  HWND old_panel = panel->Handle(), old_edit = edit->Handle();
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), old_panel);
  EXPECT_FALSE(IsWindow(old_edit));
  EXPECT_NE(edit->Handle(), old_edit);
  EXPECT_EQ(GetParent(edit->Handle()), panel->Handle());
  EXPECT_EQ(edit->Text(), "keep me");
  EXPECT_EQ(edit->MaxLength(), 20);
  EXPECT_TRUE(edit->Modified());
  EXPECT_EQ(edit->SelStart(), 2);
  EXPECT_EQ(edit->SelLength(), 3);
  EXPECT_EQ(edit->BoundsRect(), edit_bounds);
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(enters + exits, 0) << "remaking a window is not a focus change";
  ASSERT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(list->Items()->Get(1), "two");
  EXPECT_EQ(list->Items()->Objects(1), &marker);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "green");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Get(1), "second");
  char buf[32] = {};
  GetWindowTextA(edit->Handle(), buf, sizeof buf);
  EXPECT_STREQ(buf, "keep me");
}

TEST_F(FormTest, ListContentsLiveWithoutAWindowAndMoveIntoIt) {
  auto* list = new TListBox(form);
  list->SetSorted(true);
  list->Items()->Add("pear");
  list->Items()->Add("Apple");
  list->Items()->Add("fig");
  list->SetItemIndex(0);
  EXPECT_FALSE(list->HandleAllocated());
  EXPECT_EQ(list->Items()->Get(0), "Apple");
  list->SetParent(form);
  ShowForm();
  ASSERT_TRUE(list->HandleAllocated());
  EXPECT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(list->Items()->Get(0), "Apple");
  EXPECT_EQ(list->Items()->Get(2), "pear");
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->Items()->Add("banana"), 1) << "a sorted list says where the item went";
  EXPECT_THROW(list->Items()->Get(9), EStringListError);
  EXPECT_THROW(list->Items()->Delete(-1), EStringListError);
  list->Items()->Clear();
  EXPECT_EQ(list->ItemIndex(), -1);
}

// ---------------------------------------------------------------------------------------
// Reflection and the standard controls' events
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, NotificationsComeBackToTheControlThatSentThem) {
  auto* button = new TButton(form);
  button->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetTop(40);
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetTop(80);
  list->SetStyle(TListBoxStyle::lbOwnerDrawFixed);
  list->SetItemHeight(18);
  int clicks = 0, changes = 0;
  std::vector<int32_t> drawn;
  button->OnClick = [&](TObject*) { ++clicks; };
  edit->OnChange = [&](TObject*) { ++changes; };
  list->OnDrawItem = [&](TWinControl*, int32_t i, const TRect& r, TOwnerDrawState) {
    drawn.push_back(i);
    EXPECT_EQ(r.Height(), 18);
  };
  list->Items()->Add("a");
  list->Items()->Add("b");
  ShowForm();
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  edit->SetText("x");
  edit->SetSelStart(1);
  SendMessageA(edit->Handle(), WM_CHAR, 'y', 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(edit->Text(), "xy");
  UpdateWindow(list->Handle());
  RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1), drawn.end());
  EXPECT_EQ(list->ItemHeight(), 18);
}

TEST_F(FormTest, AComboBoxEditPartIsReachableAndItsKeysAreTheComboBoxs) {
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Items()->Add("alpha");
  combo->Items()->Add("beta");
  std::vector<char> pressed;
  int changes = 0, clicks = 0;
  combo->OnKeyPress = [&](TObject*, char& Key) {
    pressed.push_back(Key);
    if (Key == 'x') Key = 0;  // swallowed
  };
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->OnClick = [&](TObject*) { ++clicks; };
  ShowForm();
  HWND edit = combo->EditHandle();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(GetParent(edit), combo->Handle());
  combo->SetFocus();
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_TRUE(combo->Focused());
  EXPECT_EQ(form->ActiveControl(), combo);
  SendMessageA(edit, WM_CHAR, 'b', 1);
  SendMessageA(edit, WM_CHAR, 'x', 1);
  EXPECT_EQ(pressed, (std::vector<char>{'b', 'x'}));
  EXPECT_EQ(combo->Text(), "b");
  EXPECT_EQ(changes, 1);
  // Choosing an item from the list shows it and fires the events.
  SendMessageA(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(combo->Text(), "beta");

  // A list-only combo box takes a text by selecting that item.
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  EXPECT_EQ(combo->EditHandle(), nullptr);
  EXPECT_EQ(combo->Items()->Count(), 2);
  combo->SetText("alpha");
  EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(FormTest, ColourFontAndLookFollowTheParentUntilSetThemselves) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetParentColor(true);
  auto* follower = new TProbe(form);
  follower->SetParent(panel);
  auto* own = new TProbe(form);
  own->SetParent(panel);
  own->SetColor(clRed);
  ShowForm();
  follower->log.clear();
  own->log.clear();
  form->SetColor(clYellow);
  EXPECT_EQ(panel->Color(), clYellow);
  EXPECT_EQ(follower->Color(), clYellow);
  EXPECT_TRUE(follower->ParentColor());
  EXPECT_EQ(own->Color(), clRed);
  EXPECT_EQ(follower->log, (std::vector<std::string>{"color"}));
  EXPECT_TRUE(own->log.empty());

  form->Font()->SetSize(14);
  EXPECT_EQ(follower->Font()->Size(), 14);
  EXPECT_TRUE(follower->ParentFont());
  EXPECT_NE(std::find(follower->log.begin(), follower->log.end(), "font"), follower->log.end());
  own->Font()->SetName("Courier New");
  EXPECT_FALSE(own->ParentFont());
  form->Font()->SetSize(10);
  EXPECT_EQ(own->Font()->Size(), 14);
  EXPECT_EQ(own->Font()->Name(), "Courier New");

  form->SetCtl3D(false);
  EXPECT_FALSE(follower->Ctl3D());
  // A control added later starts with its parent's look.
  auto* late = new TProbe(form);
  late->SetParent(panel);
  EXPECT_EQ(late->Color(), clYellow);
  EXPECT_EQ(late->Font()->Size(), 10);
  EXPECT_FALSE(late->Ctl3D());
}

// A parent inside its own child would make a loop that change notices run round for ever.
TEST_F(FormTest, AControlCannotBecomeAChildOfItsOwnDescendant) {
  auto* outer = new TPanel(form);
  outer->SetParent(form);
  auto* middle = new TPanel(form);
  middle->SetParent(outer);
  auto* inner = new TPanel(form);
  inner->SetParent(middle);
  EXPECT_THROW(outer->SetParent(inner), EInvalidOperation);
  EXPECT_THROW(outer->SetParent(outer), EInvalidOperation);
  EXPECT_EQ(outer->Parent(), form) << "a refused parent leaves the tree as it was";
  EXPECT_EQ(inner->Parent(), middle);
  form->Font()->SetSize(13);
  EXPECT_EQ(inner->Font()->Size(), 13);
  // Moving a descendant up is no loop.
  inner->SetParent(form);
  EXPECT_EQ(inner->Parent(), form);
}

TEST(Font, AssigningAnEqualFontTellsOfNoChange) {
  TFont a, b;
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  b.Assign(&a);
  EXPECT_EQ(changes, 0);
  a.SetSize(a.Size() + 3);
  b.Assign(&a);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(b.Size(), a.Size());
}

TEST_F(FormTest, AnEditPaintsInItsOwnColourThroughItsParent) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(0, 0, 80, 24);
  edit->SetColor(clRed);
  ShowForm();
  TBitmap bmp(80, 24);
  edit->PaintTo(bmp.Canvas()->Handle(), 0, 0);
  EXPECT_EQ(bmp.Canvas()->Pixel(40, 12), clRed);
}

TEST_F(FormTest, AMovedControlKeepsItsWindowAndTheFocus) {
  auto* a = new TPanel(form);
  a->SetParent(form);
  auto* b = new TPanel(form);
  b->SetParent(form);
  b->SetTop(60);
  auto* edit = new TEdit(form);
  edit->SetParent(a);
  edit->SetText("moving");
  ShowForm();
  edit->SetFocus();
  HWND h = edit->Handle();
  edit->SetParent(b);
  EXPECT_EQ(edit->Handle(), h);
  EXPECT_EQ(GetParent(h), b->Handle());
  EXPECT_EQ(GetFocus(), h);
  EXPECT_EQ(b->ControlCount(), 1);
  EXPECT_EQ(a->ControlCount(), 0);
  // Without a parent there is no window to live in.
  edit->SetParent(nullptr);
  EXPECT_FALSE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "moving");
  edit->SetParent(a);
  EXPECT_TRUE(edit->HandleAllocated());
  EXPECT_EQ(edit->Text(), "moving");
}

TEST_F(FormTest, TheCursorComesFromTheControlUnderTheMouseOrTheScreen) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 100, 100);
  panel->SetCursor(crHourGlass);
  auto* label = new TLabel(form);
  label->SetParent(panel);
  label->SetBounds(0, 0, 10, 10);
  label->SetCursor(crCross);
  ShowForm();
  SendMessageA(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  HCURSOR shown = GetCursor();
  // The mouse is not over the panel here: the panel's own cursor or the label's shows.
  EXPECT_TRUE(shown == Screen->Cursors(crHourGlass) || shown == Screen->Cursors(crCross));
  {
    TScreenCursor busy(crSizeAll);
    EXPECT_EQ(Screen->Cursor(), crSizeAll);
    SendMessageA(panel->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(panel->Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), Screen->Cursors(crSizeAll));
  }
  EXPECT_EQ(Screen->Cursor(), crDefault);
}

// ---------------------------------------------------------------------------------------
// The standard controls' properties
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, AnEditsPropertiesReachItsWindowAndSurviveItsRemaking) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* other = new TEdit(form);
  other->SetParent(form);
  other->SetTop(40);
  ShowForm();
  edit->SetText("secret");
  edit->SetPasswordChar('*');
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  edit->SetReadOnly(true);
  EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_STYLE) & ES_READONLY);
  SendMessageA(edit->Handle(), WM_CHAR, 'x', 1);
  EXPECT_EQ(edit->Text(), "secret");
  edit->SetReadOnly(false);
  edit->SetMaxLength(8);
  edit->SetSelStart(6);
  edit->SetSelText("12345");
  EXPECT_EQ(edit->Text(), "secret12") << "the limit holds";
  // The character case needs a new window, which converts the text; the password stays.
  edit->SetCharCase(TEditCharCase::ecUpperCase);
  EXPECT_TRUE(GetWindowLongPtrA(edit->Handle(), GWL_STYLE) & ES_UPPERCASE);
  EXPECT_EQ(SendMessageA(edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  EXPECT_EQ(edit->Text(), "SECRET12");
  EXPECT_EQ(edit->SelText(), "");

  // Tabbing into a field selects it all; clicking into it does not.
  other->SetFocus();
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(edit->SelLength(), 8);
  other->SetFocus();
  edit->SetSelStart(0);
  SendMessageA(edit->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(3, 3));
  SendMessageA(edit->Handle(), WM_LBUTTONUP, 0, MakeLParam(3, 3));
  EXPECT_EQ(GetFocus(), edit->Handle());
  EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(FormTest, MemoLinesAreTheTextsLines) {
  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->Lines()->Add("select *");
  memo->Lines()->Add("from dual");
  EXPECT_EQ(memo->Text(), "select *\r\nfrom dual");
  ShowForm();
  memo->Lines()->Insert(1, "  -- comment");
  memo->Lines()->SetStrings(0, "SELECT *");
  memo->Lines()->Delete(2);
  EXPECT_EQ(memo->Text(), "SELECT *\r\n  -- comment");
  int changes = 0;
  memo->Lines()->OnChange = [&](TObject*) { ++changes; };
  memo->Lines()->SetText("a\nb\r\nc\r\n");
  EXPECT_EQ(changes, 1) << "one change for a whole text";
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Get(2), "c");
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
  EXPECT_THROW(memo->Lines()->Get(3), EStringListError);
  memo->SetWordWrap(false);
  EXPECT_EQ(memo->Lines()->Count(), 3);
  memo->Lines()->Clear();
  EXPECT_EQ(memo->Text(), "");

  // Without WantReturns, Enter is the form's: the default button gets it.
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  memo->SetFocus();
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(memo->Text(), "\r\n") << "Enter broke the line";
  memo->SetWantReturns(false);
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 1);
}

TEST_F(FormTest, AListBoxSelectsSeveralItemsAndMeasuresOwnerDrawnOnes) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetMultiSelect(true);
  for (const char* s : {"a", "b", "c", "d"}) list->Items()->Add(s);
  list->SetSelected(1, true);
  ShowForm();
  list->SetSelected(3, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(1));
  EXPECT_FALSE(list->Selected(2));
  list->RecreateWnd();
  EXPECT_EQ(list->SelCount(), 2) << "the selection survives a new window";
  EXPECT_TRUE(list->Selected(3));
  EXPECT_THROW(list->Selected(4), EStringListError);

  list->SetMultiSelect(false);
  list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
  std::vector<int32_t> measured;
  list->OnMeasureItem = [&](TWinControl*, int32_t Index, int32_t& Height) {
    measured.push_back(Index);
    Height = 10 + 5 * Index;
  };
  list->RecreateWnd();
  EXPECT_EQ(measured.size(), 4u) << "every item is measured as it goes into the new window";
  EXPECT_EQ(list->ItemRect(2).Height(), 20);
  EXPECT_EQ(list->ItemAtPos({5, 12}, true), 1);
  EXPECT_EQ(list->ItemAtPos({5, 500}, true), -1);
  EXPECT_EQ(list->ItemAtPos({5, 500}, false), 4);
}

TEST_F(FormTest, AnOwnerDrawnComboBoxDrawsItsItemsOnItsCanvas) {
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->SetStyle(TComboBoxStyle::csOwnerDrawFixed);
  combo->SetItemHeight(20);
  combo->Items()->Add("first");
  combo->Items()->Add("second");
  combo->SetItemIndex(1);
  std::vector<int32_t> drawn;
  combo->OnDrawItem = [&](TWinControl*, int32_t Index, const TRect& R, TOwnerDrawState) {
    drawn.push_back(Index);
    combo->Canvas()->Brush()->SetColor(clRed);
    combo->Canvas()->FillRect(R);
  };
  ShowForm();
  EXPECT_EQ(combo->ItemHeight(), 20);
  TBitmap shot(combo->Width(), combo->Height(), TPixelFormat::pf24bit);
  combo->PaintTo(shot.Canvas()->Handle(), 0, 0);
  EXPECT_NE(std::find(drawn.begin(), drawn.end(), 1), drawn.end());
  EXPECT_EQ(combo->Text(), "second");
}

TEST_F(FormTest, KeyPreviewLetsTheFormSeeKeysFirst) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  std::vector<std::string> log;
  form->SetKeyPreview(true);
  form->OnKeyPress = [&](TObject*, char& Key) {
    log.push_back(std::string("form ") + Key);
    if (Key == 'n') Key = 0;
  };
  edit->OnKeyPress = [&](TObject*, char& Key) { log.push_back(std::string("edit ") + Key); };
  ShowForm();
  edit->SetFocus();
  SendMessageA(edit->Handle(), WM_CHAR, 'y', 1);
  SendMessageA(edit->Handle(), WM_CHAR, 'n', 1);
  EXPECT_EQ(log, (std::vector<std::string>{"form y", "edit y", "form n"}));
  EXPECT_EQ(edit->Text(), "y");
}

TEST_F(FormTest, ReferencesToDeletedComponentsAreCleared) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  auto* label = new TLabel(nullptr);  // another owner than the edit's
  label->SetFocusControl(edit);
  ShowForm();
  edit->SetFocus();
  EXPECT_EQ(form->ActiveControl(), edit);
  delete edit;
  EXPECT_EQ(label->FocusControl(), nullptr);
  EXPECT_EQ(form->ActiveControl(), nullptr);
  EXPECT_EQ(Screen->ActiveControl(), nullptr);
  delete label;
}

TEST_F(FormTest, ZOrderDecidesWhichWindowlessControlGetsTheMouse) {
  auto* back = new TGraphicProbe(form);
  back->SetParent(form);
  back->SetBounds(0, 0, 40, 40);
  auto* front = new TGraphicProbe(form);
  front->SetParent(form);
  front->SetBounds(20, 20, 40, 40);
  ShowForm();
  HWND h = form->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(30, 30));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(30, 30));
  EXPECT_EQ(front->log.size(), 2u);
  EXPECT_TRUE(back->log.empty());
  back->BringToFront();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(30, 30));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(30, 30));
  EXPECT_EQ(back->log.size(), 2u);
  EXPECT_EQ(form->Controls(form->ControlCount() - 1), back);
  // A disabled or hidden control lets the mouse through to what lies below.
  back->SetEnabled(false);
  EXPECT_EQ(form->ControlAtPos({30, 30}, false), front);
  EXPECT_EQ(form->ControlAtPos({30, 30}, true), back);
  front->Hide();
  EXPECT_EQ(form->ControlAtPos({30, 30}, false), nullptr);

  // Windowed siblings follow the list in the system's z-order too.
  auto* p1 = new TPanel(form);
  p1->SetParent(form);
  auto* p2 = new TPanel(form);
  p2->SetParent(form);
  p1->BringToFront();
  EXPECT_EQ(GetWindow(p1->Handle(), GW_HWNDPREV), nullptr) << "the top child";
  p1->SendToBack();
  EXPECT_EQ(GetWindow(p1->Handle(), GW_HWNDNEXT), nullptr) << "the bottom child";
}

TEST_F(FormTest, ResizeFiresForWindowedAndWindowlessControlsAndRepaintsAreAsked) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* box = new TPaintBox(form);
  box->SetParent(form);
  box->SetBounds(200, 10, 30, 30);
  int panel_resizes = 0, box_resizes = 0;
  panel->OnResize = [&](TObject*) { ++panel_resizes; };
  box->OnResize = [&](TObject*) { ++box_resizes; };
  ShowForm();
  panel_resizes = box_resizes = 0;
  panel->SetWidth(150);
  box->SetWidth(50);
  box->SetLeft(210);  // a move is not a resize
  EXPECT_EQ(panel_resizes, 1);
  EXPECT_EQ(box_resizes, 1);
  ValidateRect(form->Handle(), nullptr);
  box->Invalidate();
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(form->Handle(), &update, FALSE));
  EXPECT_EQ(update.left, 210);
  EXPECT_EQ(update.right, 260);
  // A hidden windowless control is not painted.
  int paints = 0;
  box->OnPaint = [&](TObject*) { ++paints; };
  UpdateWindow(form->Handle());
  EXPECT_EQ(paints, 1);
  box->Hide();
  InvalidateRect(form->Handle(), nullptr, TRUE);
  UpdateWindow(form->Handle());
  EXPECT_EQ(paints, 1);
}

TEST_F(FormTest, NothingToFocusMeansNoNextControl) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  auto* a = new TEdit(form);
  a->SetParent(panel);
  auto* b = new TEdit(form);
  b->SetParent(form);
  ShowForm();
  b->SetFocus();
  a->SetEnabled(false);
  EXPECT_EQ(form->FindNextControl(b, true, true), nullptr);
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), b->Handle()) << "the only focusable control keeps the focus";
  panel->SetEnabled(false);
  a->SetEnabled(true);
  EXPECT_FALSE(a->CanFocus()) << "a control in a disabled container cannot take the focus";
  b->SetTabOrder(99);
  EXPECT_EQ(b->TabOrder(), 1) << "clamped to the end";
  b->SetTabOrder(-5);
  EXPECT_EQ(b->TabOrder(), 0);
}

TEST_F(FormTest, AnOpenComboBoxKeepsEnterForItself) {
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Items()->Add("one");
  combo->Items()->Add("two");
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetTop(60);
  ok->SetDefault(true);
  int clicks = 0, drops = 0, closes = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  combo->OnDropDown = [&](TObject*) { ++drops; };
  combo->OnCloseUp = [&](TObject*) { ++closes; };
  ShowForm();
  combo->SetFocus();
  combo->SetDroppedDown(true);
  EXPECT_TRUE(combo->DroppedDown());
  EXPECT_EQ(drops, 1);
  EXPECT_NE(combo->ListHandle(), nullptr);
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 0);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(closes, 1);
  PressKey(VK_RETURN);
  EXPECT_EQ(clicks, 1) << "closed, Enter is the dialog's again";
  EXPECT_EQ(FindControlOrParent(combo->EditHandle()), combo);
}

// ---------------------------------------------------------------------------------------
// Speed buttons
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, SpeedButtonsOfAGroupStayDownOneAtATime) {
  auto make = [&](int x) {
    auto* b = new TSpeedButton(form);
    b->SetParent(form);
    b->SetBounds(x, 0, 20, 20);
    b->SetGroupIndex(1);
    return b;
  };
  TSpeedButton* a = make(0);
  TSpeedButton* b = make(30);
  auto* plain = new TSpeedButton(form);
  plain->SetParent(form);
  plain->SetBounds(60, 0, 20, 20);
  int clicks = 0;
  b->OnClick = [&](TObject*) {
    ++clicks;
    EXPECT_TRUE(b->Down()) << "the click sees the new state";
  };
  ShowForm();
  HWND h = form->Handle();
  auto click = [&](int x) {
    SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(x, 5));
    SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(x, 5));
  };
  a->SetDown(true);
  click(35);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_EQ(clicks, 1);
  click(35);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp the last one stays down";
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->AllowAllUp()) << "the group shares AllowAllUp";
  b->OnClick = nullptr;
  click(35);
  EXPECT_FALSE(b->Down());
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down()) << "a button without a group never stays down";
}

// Without a window a sorted list box keeps its items in order; an object inserted with
// an item stays with that item, not with the one at the asked-for place.
TEST_F(FormTest, ASortedListBoxWithoutAWindowKeepsObjectsWithTheirItems) {
  auto* list = new TListBox(form);
  list->SetParent(form);
  list->SetSorted(true);
  TObject a, b, c;
  list->Items()->AddObject("pear", &a);
  list->Items()->InsertObject(0, "zebra", &b);
  list->Items()->InsertObject(1, "apple", &c);
  ASSERT_FALSE(list->HandleAllocated());
  EXPECT_EQ(list->Items()->CommaText(), "apple,pear,zebra");
  EXPECT_EQ(list->Items()->Objects(0), &c);
  EXPECT_EQ(list->Items()->Objects(1), &a);
  EXPECT_EQ(list->Items()->Objects(2), &b);
  ShowForm();
  EXPECT_EQ(list->Items()->IndexOfObject(&b), list->Items()->IndexOf("zebra"));
  EXPECT_EQ(list->Items()->IndexOfObject(&c), list->Items()->IndexOf("apple"));
}

// Every way out of an edit inside a panel (the focus moved on, the edit hidden, the edit
// disabled): the edit's OnExit frees the edit, the panel is left all the same, and the
// focus arrives where it was going.
TEST_F(FormTest, AControlFreedByItsOnExitStillLeavesItsParent) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 200, 100);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(10, 150, 80, 24);
  std::vector<std::string> seen;
  panel->OnExit = [&](TObject*) { seen.push_back("panel"); };
  button->OnEnter = [&](TObject*) { seen.push_back("button"); };
  ShowForm();
  const std::function<void(TEdit*)> ways[] = {
      [&](TEdit*) { button->SetFocus(); },
      [](TEdit* Edit) { Edit->Hide(); },
      [](TEdit* Edit) { Edit->SetEnabled(false); },
  };
  for (const auto& leave : ways) {
    auto* edit = new TEdit(form);
    edit->SetParent(panel);
    edit->SetBounds(10, 10, 100, 24);
    edit->OnExit = [&](TObject* Sender) {
      seen.push_back("edit");
      delete Sender;
    };
    edit->SetFocus();
    Pump();
    seen.clear();
    leave(edit);
    Pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"edit", "panel", "button"}));
    EXPECT_EQ(form->ActiveControl(), button);
    EXPECT_EQ(GetFocus(), button->Handle());
    EXPECT_EQ(panel->ControlCount(), 0);
  }
}

// A control freed by its own handler: what the message would still have done to it is
// left undone, and nothing touches it after.
class TSelfFreeing : public TButton {
 public:
  explicit TSelfFreeing(TComponent* AOwner) : TButton(AOwner) {}
  int mouse_ups = 0;

 protected:
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override {
    ++mouse_ups;
    TButton::MouseUp(Button, Shift, X, Y);
  }
};

TEST_F(FormTest, AControlFreedByItsOwnHandlerIsNotTouchedAfter) {
  auto* button = new TSelfFreeing(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 80, 24);
  ShowForm();
  bool freed = false;
  button->OnClick = [&](TObject* Sender) {
    delete Sender;
    freed = true;
  };
  HWND h = button->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(5, 5));
  SendMessageA(h, WM_LBUTTONUP, 0, MakeLParam(5, 5));
  Pump();
  EXPECT_TRUE(freed);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(form->ControlCount(), 0);
}

}  // namespace
}  // namespace tess
