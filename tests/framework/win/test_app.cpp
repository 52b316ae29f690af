// The application and its services: the exception barrier, the message loop and WM_QUIT,
// timers, modal forms and closing, message dialogs, settings files, string resources,
// the clipboard, the caret and the scroll box.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "framework/win/clipbrd.h"
#include "framework/win/dialogs.h"
#include "framework/win/extctrls.h"
#include "framework/win/inifiles.h"
#include "framework/win/menus.h"
#include "framework/win/resstr.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"

namespace tess {
namespace {

using testing::FormTest;
using testing::PressKey;
using testing::Pump;
using testing::PumpUntil;

// What would have been shown in message boxes.
struct Boxes {
  struct Box {
    std::string text, caption;
    uint32_t flags;
  };
  std::vector<Box> shown;
  int answer = IDOK;
  TMessageBoxHook saved;
  Boxes() {
    saved = SetMessageBoxHook([this](const std::string& T, const std::string& C, uint32_t F) {
      shown.push_back({T, C, F});
      return answer;
    });
  }
  ~Boxes() { SetMessageBoxHook(saved); }
};

// Collects what reaches Application->OnException while it lives.
struct Reported {
  std::vector<std::string> messages;
  std::vector<TObject*> senders;
  Reported() {
    Application->OnException = [this](TObject* Sender, Exception& E) {
      messages.push_back(E.Message());
      senders.push_back(Sender);
    };
  }
  ~Reported() { Application->OnException = nullptr; }
};

class TThrowingControl : public TCustomControl {
 public:
  explicit TThrowingControl(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 50, 50);
  }
  bool throw_in_paint = false;
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    if (throw_in_paint) throw EInvalidOperation("paint failed");
  }
};

TEST_F(FormTest, AnExceptionInAHandlerReachesOnExceptionAndTheProgramGoesOn) {
  Reported r;
  std::vector<std::string>& reported = r.messages;
  auto* c = new TThrowingControl(form);
  c->SetParent(form);
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->OnKeyDown = [](TObject*, uint16_t& Key, TShiftState) {
    if (Key == 'Q') throw std::runtime_error("key failed");
  };
  ShowForm();

  c->throw_in_paint = true;
  c->Invalidate();
  UpdateWindow(c->Handle());
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0], "paint failed");
  EXPECT_EQ(r.senders[0], c);

  edit->SetFocus();
  PressKey('Q');
  ASSERT_EQ(reported.size(), 2u);
  EXPECT_EQ(reported[1], "key failed") << "other exceptions come as Exception with what()";

  // The program goes on: painting and typing still work.
  c->throw_in_paint = false;
  int before = c->paints;
  c->Invalidate();
  UpdateWindow(c->Handle());
  EXPECT_EQ(c->paints, before + 1);
  edit->SetText("");
  SendMessageA(edit->Handle(), WM_CHAR, 'z', 1);
  EXPECT_EQ(edit->Text(), "z");

  // EAbort is silent.
  edit->OnKeyDown = [](TObject*, uint16_t&, TShiftState) { Abort(); };
  PressKey('A');
  EXPECT_EQ(reported.size(), 2u);
}

TEST_F(FormTest, WithoutOnExceptionTheMessageIsShown) {
  Boxes boxes;
  Application->SetTitle("Framework test");
  auto* button = new TButton(form);
  button->SetParent(form);
  button->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
  ShowForm();
  SendMessageA(button->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "'x' is not a valid integer value");
  EXPECT_EQ(boxes.shown[0].caption, "Framework test");
  EXPECT_TRUE(boxes.shown[0].flags & MB_ICONSTOP);
  // A handler that fails itself is contained too.
  Reported r;
  Application->OnException = [](TObject*, Exception&) { throw std::logic_error("again"); };
  EXPECT_NO_THROW(SendMessageA(button->Handle(), BM_CLICK, 0, 0));
}

TEST(MessageLoop, ProcessMessagesStopsAtQuitAndLeavesTheRestWaiting) {
  TApplication app(nullptr);
  std::vector<uintptr_t> seen;
  HWND w = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP) seen.push_back(M.WParam);
  });
  // A WM_QUIT posted in line (PostQuitMessage's comes only when the queue is empty).
  PostMessageA(w, WM_APP, 1, 0);
  PostMessageA(w, WM_QUIT, 0, 0);
  PostMessageA(w, WM_APP, 2, 0);
  app.ProcessMessages();
  EXPECT_TRUE(app.Terminated());
  EXPECT_EQ(seen, (std::vector<uintptr_t>{1}));
  app.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<uintptr_t>{1})) << "a terminated program handles nothing more";
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  EXPECT_EQ(seen, (std::vector<uintptr_t>{1, 2}));
  DeallocateHWnd(w);
}

TEST(MessageLoop, RunShowsTheMainFormAndEndsAtTerminate) {
  TApplication app(nullptr);
  TForm* main = app.CreateForm<TForm>();
  EXPECT_EQ(app.MainForm(), main);
  TForm* second = app.CreateForm<TForm>();
  EXPECT_EQ(app.MainForm(), main) << "the first form is the main form";
  int idles = 0;
  app.OnIdle = [&](TObject*, bool& Done) {
    ++idles;
    Done = true;
    if (IsWindowVisible(main->Handle())) app.Terminate();
  };
  app.Run();
  EXPECT_TRUE(app.Terminated());
  EXPECT_GT(idles, 0);
  EXPECT_TRUE(IsWindowVisible(main->Handle()));
  EXPECT_FALSE(second->Visible());
  app.DestroyComponents();
  EXPECT_EQ(app.MainForm(), nullptr);
}

TEST(MessageLoop, OnMessageSeesQueuedMessagesFirstAndCanTakeThem) {
  std::vector<uintptr_t> seen, queued;
  HWND w = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP)
      seen.push_back(M.WParam);
    else
      M.Result = DefaultWindowProc(nullptr, M);
  });
  Application->OnMessage = [&](TMsg& Msg, bool& Handled) {
    if (Msg.message != WM_APP) return;
    queued.push_back(Msg.wParam);
    Handled = Msg.wParam == 2;
  };
  PostMessageA(w, WM_APP, 1, 0);
  PostMessageA(w, WM_APP, 2, 0);
  Pump();
  Application->OnMessage = nullptr;
  EXPECT_EQ(queued, (std::vector<uintptr_t>{1, 2}));
  EXPECT_EQ(seen, (std::vector<uintptr_t>{1}));
  DeallocateHWnd(w);
}

TEST(HiddenWindows, AnExceptionInAnAllocatedWindowsMethodIsContained) {
  Reported r;
  int calls = 0;
  HWND w = AllocateHWnd([&](TMessage& M) {
    if (M.Msg == WM_APP) {
      ++calls;
      M.Result = 5;
      throw EInvalidOperation("method failed");
    }
    M.Result = DefaultWindowProc(nullptr, M);
  });
  EXPECT_EQ(SendMessageA(w, WM_APP, 0, 0), 0) << "a failed message is answered with 0";
  EXPECT_EQ(calls, 1);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], "method failed");
  EXPECT_EQ(FindControl(w), nullptr) << "a hidden window is no control";
  DeallocateHWnd(w);
  EXPECT_FALSE(IsWindow(w));
}

TEST(Timers, ATimerFiresAndItsExceptionsGoToTheBarrier) {
  TTimer timer(nullptr);
  timer.SetInterval(20);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) { ++ticks; };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
  timer.SetEnabled(false);
  int stopped = ticks;
  Sleep(60);
  Pump();
  EXPECT_EQ(ticks, stopped);
  timer.SetEnabled(true);
  timer.SetInterval(0);  // no interval, no ticks
  Sleep(60);
  Pump();
  EXPECT_EQ(ticks, stopped);
  timer.SetInterval(20);

  Reported r;
  timer.OnTimer = [&](TObject*) { throw EInvalidOperation("tick failed"); };
  timer.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return r.messages.size() >= 2; })) << "the timer keeps running";
  EXPECT_EQ(r.messages.at(0), "tick failed");
}

// A control with a timer of its own.
class TTicking : public TCustomControl {
 public:
  explicit TTicking(TComponent* AOwner) : TCustomControl(AOwner) {}
  int ticks = 0;
  void Dispatch(TMessage& M) override {
    if (M.Msg == WM_TIMER && M.WParam == 1274) {
      ++ticks;
      return;
    }
    TCustomControl::Dispatch(M);
  }
};

TEST_F(FormTest, AControlCanRunATimerOnItsOwnWindow) {
  auto* t = new TTicking(form);
  t->SetParent(form);
  ShowForm();
  SetTimer(t->Handle(), 1274, 10, nullptr);
  EXPECT_TRUE(PumpUntil([&] { return t->ticks >= 2; }));
  KillTimer(t->Handle(), 1274);
}

// ---------------------------------------------------------------------------------------
// Forms
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, ShowModalRunsUntilAButtonSetsTheResult) {
  ShowForm();
  TForm dialog(nullptr);
  auto* ok = new TButton(&dialog);
  ok->SetParent(&dialog);
  ok->SetModalResult(mrOk);
  bool main_disabled = false;
  TTimer press(nullptr);
  press.SetInterval(20);
  press.OnTimer = [&](TObject*) {
    press.SetEnabled(false);
    main_disabled = !IsWindowEnabled(form->Handle());
    SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
  };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_TRUE(main_disabled) << "the other windows wait while the dialog runs";
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(dialog.Modal());

  // Closing a modal form is a cancel; OnCloseQuery may refuse.
  int asked = 0;
  dialog.OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = ++asked > 1; };
  press.OnTimer = [&](TObject*) {
    dialog.Close();
    if (asked >= 2) press.SetEnabled(false);
  };
  press.SetEnabled(true);
  EXPECT_EQ(dialog.ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  dialog.Show();
  EXPECT_THROW(dialog.ShowModal(), EInvalidOperation);
}

TEST_F(FormTest, CloseAsksAndThenActsAsOnCloseDecides) {
  auto* other = new TForm(nullptr);
  other->Show();
  bool allow = false;
  TCloseAction action = TCloseAction::caHide;
  other->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = allow; };
  other->OnClose = [&](TObject*, TCloseAction& A) { A = action; };
  other->Close();
  EXPECT_TRUE(other->Visible());
  allow = true;
  other->Close();
  EXPECT_FALSE(other->Visible());
  EXPECT_FALSE(IsWindowVisible(other->Handle()));

  // caFree deletes the form once the current messages are done.
  bool destroyed = false;
  other->OnDestroy = [&](TObject*) { destroyed = true; };
  action = TCloseAction::caFree;
  other->Show();
  int forms = Screen->FormCount();
  PostMessageA(other->Handle(), WM_CLOSE, 0, 0);
  Pump();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Screen->FormCount(), forms - 1);
}

TEST_F(FormTest, TheMainFormsCloseEndsTheProgram) {
  TApplication app(nullptr);
  TCustomForm* saved = Application->MainForm();
  Application->SetMainForm(form);
  ShowForm();
  form->Close();
  Application->SetMainForm(saved);
  app.ProcessMessages();
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(IsWindow(form->Handle())) << "the form itself lives on until it is freed";
}

TEST_F(FormTest, BorderChangesKeepTheFormsWindow) {
  ShowForm();
  HWND h = form->Handle();
  form->SetBorderStyle(TFormBorderStyle::bsToolWindow);
  EXPECT_EQ(form->Handle(), h);
  EXPECT_TRUE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongPtrA(h, GWL_STYLE) & WS_THICKFRAME);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  EXPECT_EQ(form->Handle(), h);
  EXPECT_FALSE(GetWindowLongPtrA(h, GWL_STYLE) & WS_CAPTION);
  form->SetFormStyle(TFormStyle::fsStayOnTop);
  EXPECT_TRUE(GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
  form->SetCaption("Renamed");
  char title[32] = {};
  GetWindowTextA(h, title, sizeof title);
  EXPECT_STREQ(title, "Renamed");
  EXPECT_TRUE(IsWindowVisible(h));
}

TEST_F(FormTest, PositionAndWindowStateReachTheWindow) {
  form->SetPosition(TPosition::poScreenCenter);
  form->SetBounds(0, 0, 200, 100);
  ShowForm();
  EXPECT_EQ(form->Left(), (GetSystemMetrics(SM_CXSCREEN) - 200) / 2);
  EXPECT_EQ(form->Top(), (GetSystemMetrics(SM_CYSCREEN) - 100) / 2);
  form->SetWindowState(TWindowState::wsMaximized);
  EXPECT_TRUE(IsZoomed(form->Handle()));
  EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
  form->SetWindowState(TWindowState::wsMinimized);
  EXPECT_TRUE(IsIconic(form->Handle()));
  form->SetWindowState(TWindowState::wsNormal);
  EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
  EXPECT_EQ(form->Width(), 200) << "the normal bounds survive";

  // A form that never had a window is freed at once by Release.
  bool destroyed = false;
  auto* quiet = new TForm(nullptr);
  quiet->OnDestroy = [&](TObject*) { destroyed = true; };
  quiet->Release();
  EXPECT_TRUE(destroyed);
}

TEST_F(FormTest, ACaptionThatWasTheNameFollowsARename) {
  auto* panel = new TPanel(form);
  panel->SetName("pnlOne");
  panel->SetCaption("pnlOne");
  panel->SetName("pnlTwo");
  EXPECT_EQ(panel->Caption(), "pnlTwo");
  panel->SetCaption("Own text");
  panel->SetName("pnlThree");
  EXPECT_EQ(panel->Caption(), "Own text");
  EXPECT_THROW(panel->SetName("bad name"), EComponentError);
}

// A form shown without activation comes up in front while the keys stay where they
// were: in the active form's focused control.
TEST_F(FormTest, AFormShownWithoutActivationLeavesTheFocusWhereItWas) {
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  form->SetActiveControl(edit);
  ShowForm();
  ASSERT_EQ(GetFocus(), edit->Handle());
  TForm lines(nullptr);
  lines.SetBounds(40, 40, 200, 120);
  TForm cover(nullptr);
  cover.SetBounds(20, 20, 300, 200);
  cover.Show();
  form->SetFocus();
  edit->SetFocus();
  Pump();
  ASSERT_EQ(GetActiveWindow(), form->Handle());
  lines.ShowNoActivate();
  Pump();
  EXPECT_TRUE(lines.Visible());
  EXPECT_TRUE(IsWindowVisible(lines.Handle()));
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_EQ(GetFocus(), edit->Handle());
  bool above = false;
  for (HWND w = GetWindow(cover.Handle(), GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV))
    above = above || w == lines.Handle();
  EXPECT_TRUE(above) << "in front of the other windows";
  lines.Hide();
  EXPECT_FALSE(IsWindowVisible(lines.Handle()));
}

TEST_F(FormTest, ActivationGivesTheFocusBackToTheActiveControl) {
  auto* a = new TEdit(form);
  a->SetParent(form);
  auto* b = new TEdit(form);
  b->SetParent(form);
  std::vector<std::string> log;
  form->OnActivate = [&](TObject*) { log.push_back("activate"); };
  form->OnDeactivate = [&](TObject*) { log.push_back("deactivate"); };
  form->SetActiveControl(b);
  ShowForm();
  EXPECT_EQ(GetFocus(), b->Handle()) << "shown with the active control focused";
  EXPECT_EQ(Screen->ActiveForm(), form);
  TForm other(nullptr);
  other.Show();
  Pump();
  EXPECT_NE(GetFocus(), b->Handle());
  SetActiveWindow(form->Handle());
  Pump();
  EXPECT_EQ(GetFocus(), b->Handle());
  EXPECT_EQ(log.front(), "activate");
  EXPECT_NE(std::find(log.begin(), log.end(), "deactivate"), log.end());
  EXPECT_THROW(form->SetActiveControl(other.ActiveControl() ? other.ActiveControl() : &other),
               EInvalidOperation);
}

TEST_F(FormTest, TheCaretIsOnTheFocusedControlsWindow) {
  auto* c = new TThrowingControl(form);
  c->SetParent(form);
  c->SetTabStop(true);
  ShowForm();
  c->SetFocus();
  ASSERT_TRUE(c->CreateCaret(nullptr, 2, 14));
  c->SetCaretPos(7, 3);
  c->ShowCaret();
  POINT p{};
  GetCaretPos(&p);
  EXPECT_EQ(p.x, 7);
  EXPECT_EQ(p.y, 3);
  c->HideCaret();
  c->DestroyCaret();
  uint32_t blink = CaretBlinkTime();
  SetCaretBlinkTime(250);
  EXPECT_EQ(CaretBlinkTime(), 250u);
  SetCaretBlinkTime(blink);
}

TEST_F(FormTest, AScrollBoxScrollsItsContentsByTheirExtent) {
  auto* box = new TScrollBox(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 100, 80);
  auto* distant = new TPanel(form);
  distant->SetParent(box);
  distant->SetBounds(10, 200, 50, 40);
  ShowForm();
  EXPECT_EQ(box->VertScrollBar()->Range(), 240);
  EXPECT_TRUE(box->VertScrollBar()->IsScrollBarVisible());
  EXPECT_FALSE(box->HorzScrollBar()->IsScrollBarVisible());
  box->VertScrollBar()->SetPosition(100);
  EXPECT_EQ(box->VertScrollBar()->Position(), 100);
  EXPECT_EQ(distant->Top(), 100);
  box->VertScrollBar()->SetPosition(100000);
  EXPECT_EQ(box->VertScrollBar()->Position(), box->VertScrollBar()->MaxPosition());
  SendMessageA(box->Handle(), WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(box->VertScrollBar()->Position(), 0);
  EXPECT_EQ(distant->Top(), 200);
  box->ScrollInView(distant);
  EXPECT_GE(distant->Top(), 0);
  EXPECT_LE(distant->Top() + distant->Height(), box->ClientHeight());
}

TEST_F(FormTest, TheHintOfTheControlUnderTheMouseBecomesTheApplicationsHint) {
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetHint("Panel|The long panel hint");
  auto* label = new TLabel(form);
  label->SetParent(panel);
  ShowForm();
  int hints = 0;
  Application->OnHint = [&](TObject*) { ++hints; };
  SendMessageA(panel->Handle(), WM_MOUSEMOVE, 0, MakeLParam(100, 30));
  EXPECT_EQ(Application->Hint(), "The long panel hint");
  SendMessageA(panel->Handle(), WM_MOUSEMOVE, 0, MakeLParam(2, 2));  // over the label
  EXPECT_EQ(Application->Hint(), "The long panel hint") << "the label shows its parent's hint";
  EXPECT_EQ(hints, 1);
  EXPECT_EQ(GetShortHint(panel->Hint()), "Panel");
  Application->OnHint = nullptr;
}

// ---------------------------------------------------------------------------------------
// Menus
// ---------------------------------------------------------------------------------------

TEST_F(FormTest, TheMenuBarShowsItsItemsAndFiresThemByCommand) {
  auto* bar = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  bar->Items()->Add(file);
  auto* open = new TMenuItem(form);
  open->SetCaption("&Open...\tCtrl+O");
  auto* sep = new TMenuItem(form);
  sep->SetCaption("-");
  auto* exit = new TMenuItem(form);
  exit->SetCaption("E&xit");
  file->Add(open);
  file->Add(sep);
  file->Add(exit);
  std::vector<std::string> clicked;
  open->OnClick = [&](TObject*) { clicked.push_back("open"); };
  exit->OnClick = [&](TObject*) { clicked.push_back("exit"); };
  form->SetMenu(bar);
  ShowForm();
  HMENU h = GetMenu(form->Handle());
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(GetMenuItemCount(h), 1);
  HMENU sub = GetSubMenu(h, 0);
  ASSERT_EQ(GetMenuItemCount(sub), 3);
  char text[64] = {};
  GetMenuStringA(sub, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Open...\tCtrl+O");
  EXPECT_TRUE(GetMenuState(sub, 1, MF_BYPOSITION) & MF_SEPARATOR);

  SendMessageA(form->Handle(), WM_COMMAND, open->Command(), 0);
  // Changes reach the bar: a disabled item does not fire, a checked one shows its mark.
  exit->SetEnabled(false);
  open->SetChecked(true);
  sub = GetSubMenu(GetMenu(form->Handle()), 0);
  EXPECT_TRUE(GetMenuState(sub, 2, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_CHECKED);
  SendMessageA(form->Handle(), WM_COMMAND, exit->Command(), 0);
  EXPECT_EQ(clicked, (std::vector<std::string>{"open"}));
  exit->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(form->Handle()), 0)), 2);
  EXPECT_NE(open->Command(), exit->Command());
  EXPECT_THROW(open->Add(file), EInvalidOperation) << "no item contains its own parent";

  // Deleting the menu takes it off the bar.
  delete bar;
  EXPECT_EQ(form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(form->Handle()), nullptr);
}

// The system destroys a menu bar with its window: the form takes the bar off first and
// puts it back on the new window.
TEST_F(FormTest, TheMenuBarOutlivesTheFormsWindow) {
  auto* bar = new TMainMenu(form);
  auto* file = new TMenuItem(form);
  file->SetCaption("&File");
  bar->Items()->Add(file);
  form->SetMenu(bar);
  ShowForm();
  HMENU before = GetMenu(form->Handle());
  ASSERT_NE(before, nullptr);
  form->RecreateWnd();
  Pump();
  EXPECT_TRUE(IsMenu(before)) << "the bar was not destroyed with the old window";
  HMENU after = GetMenu(form->Handle());
  ASSERT_NE(after, nullptr);
  EXPECT_TRUE(IsMenu(after));
  EXPECT_EQ(GetMenuItemCount(after), 1);
  form->DestroyHandle();
  EXPECT_TRUE(IsMenu(before));
}

// A modal form that releases itself ends its loop and is freed once the loop is over.
class TReleasingForm : public TForm {
 public:
  explicit TReleasingForm(bool* Freed) : TForm(nullptr), freed_(Freed) {}
  ~TReleasingForm() override { *freed_ = true; }

 private:
  bool* freed_;
};

TEST_F(FormTest, ReleaseInsideShowModalFreesTheFormAfterTheLoop) {
  ShowForm();
  bool freed = false;
  auto* dialog = new TReleasingForm(&freed);
  TTimer timer(nullptr);
  timer.SetInterval(20);
  timer.OnTimer = [&](TObject*) {
    timer.SetEnabled(false);
    dialog->Release();
  };
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_TRUE(freed);
  EXPECT_TRUE(IsWindowEnabled(form->Handle()));
}

// A modal form closes as its OnClose says: caNone keeps it open, caHide ends the loop and
// keeps the form, caFree ends the loop and frees the form once ShowModal is done with it.
TEST_F(FormTest, AModalFormClosesAsItsOnCloseSays) {
  ShowForm();
  for (TCloseAction action : {TCloseAction::caHide, TCloseAction::caFree}) {
    bool freed = false;
    auto* dialog = new TReleasingForm(&freed);
    int asked = 0;
    dialog->OnClose = [&](TObject*, TCloseAction& Action) {
      Action = ++asked == 1 ? TCloseAction::caNone : action;
    };
    TTimer timer(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [&](TObject*) {
      if (asked >= 1) timer.SetEnabled(false);
      dialog->SetModalResult(mrOk);
    };
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_EQ(asked, 2) << "the first close was refused";
    EXPECT_EQ(freed, action == TCloseAction::caFree);
    if (!freed) {
      EXPECT_FALSE(dialog->Visible());
      delete dialog;
    }
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
  }
}

TEST_F(FormTest, ARightClickShowsTheControlsPopupMenu) {
  auto* menu = new TPopupMenu(form);
  auto* first = new TMenuItem(form);
  first->SetCaption("First");
  menu->Items()->Add(first);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetPopupMenu(menu);
  int clicks = 0, popups = 0;
  first->OnClick = [&](TObject*) { ++clicks; };
  menu->OnPopup = [&](TObject*) { ++popups; };
  ShowForm();
  // The menu's own loop reads the keys already waiting: down to the first item, Enter.
  PostMessageA(panel->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  PostMessageA(panel->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  TPoint at = panel->ClientToScreen({5, 5});
  SendMessageA(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()),
               MakeLParam(at.X, at.Y));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menu->PopupComponent(), panel);
  delete menu;
  EXPECT_EQ(panel->PopupMenu(), nullptr);
}

// ---------------------------------------------------------------------------------------
// Forms in the component stream
// ---------------------------------------------------------------------------------------

TEST(Streaming, AFormWithItsControlsRoundTrips) {
  RegisterFrameworkClasses();
  TMemoryStream stream;
  {
    TForm form(nullptr);
    form.SetName("frmEdit");
    form.SetCaption("Stored form");
    auto* panel = new TPanel(&form);
    panel->SetName("pnlTop");
    panel->SetParent(&form);
    panel->SetAlign(TAlign::alTop);
    panel->SetCaption("");
    auto* edit = new TEdit(&form);
    edit->SetName("edtName");
    edit->SetParent(panel);
    edit->SetBounds(8, 6, 150, 24);
    edit->SetText("scott");
    edit->SetMaxLength(30);
    auto* label = new TLabel(&form);
    label->SetName("lblName");
    label->SetParent(&form);
    label->SetCaption("&Name");
    label->SetFocusControl(edit);
    auto* list = new TListBox(&form);
    list->SetName("lstItems");
    list->SetParent(&form);
    list->Items()->Add("one");
    list->Items()->Add("two");
    list->SetColor(clYellow);
    auto* ok = new TButton(&form);
    ok->SetName("btnOk");
    ok->SetParent(&form);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    WriteComponent(&stream, &form);
  }
  stream.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&stream, &copy);
  EXPECT_EQ(copy.Name(), "frmEdit");
  EXPECT_EQ(copy.Caption(), "Stored form");
  auto* panel = dynamic_cast<TPanel*>(copy.FindComponent("pnlTop"));
  auto* edit = dynamic_cast<TEdit*>(copy.FindComponent("edtName"));
  auto* label = dynamic_cast<TLabel*>(copy.FindComponent("lblName"));
  auto* list = dynamic_cast<TListBox*>(copy.FindComponent("lstItems"));
  auto* ok = dynamic_cast<TButton*>(copy.FindComponent("btnOk"));
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(label, nullptr);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(panel->Parent(), &copy);
  EXPECT_EQ(panel->Align(), TAlign::alTop);
  EXPECT_EQ(edit->Parent(), panel) << "children come back into their parents";
  EXPECT_EQ(edit->Text(), "scott");
  EXPECT_EQ(edit->MaxLength(), 30);
  EXPECT_EQ(edit->Left(), 8);
  EXPECT_EQ(label->FocusControl(), edit) << "references are fixed up";
  EXPECT_EQ(label->Caption(), "&Name");
  EXPECT_EQ(list->Items()->CommaText(), "one,two");
  EXPECT_EQ(list->Color(), clYellow);
  EXPECT_FALSE(list->ParentColor());
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  copy.Show();
  Pump();
  EXPECT_EQ(GetParent(edit->Handle()), panel->Handle());
}

// Notes, when it is loaded, whether its form is showing already.
class TLoadProbe : public TComponent {
 public:
  using TComponent::TComponent;
  void Loaded() override {
    TComponent::Loaded();
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    FormShowing = form && form->HandleAllocated() && IsWindowVisible(form->Handle());
  }
  bool FormShowing = true;
};

// A form stored while showing is shown again once read, after its components are set
// up; one stored hidden stays hidden.
TEST(Streaming, AFormStoredShowingIsShownOnceItsComponentsAreLoaded) {
  RegisterFrameworkClasses();
  RegisterComponentClass<TLoadProbe>("TLoadProbe");
  TMemoryStream hidden, shown;
  {
    TForm form(nullptr);
    form.SetName("frmShown");
    new TLoadProbe(&form);
    form.Components(0)->SetName("Probe");
    WriteComponent(&hidden, &form);
    form.Show();
    Pump();
    WriteComponent(&shown, &form);
  }
  shown.SetPosition(0);
  TForm copy(nullptr);
  ReadComponent(&shown, &copy);
  EXPECT_TRUE(copy.Visible());
  EXPECT_TRUE(copy.HandleAllocated() && IsWindowVisible(copy.Handle()));
  auto* probe = dynamic_cast<TLoadProbe*>(copy.FindComponent("Probe"));
  ASSERT_NE(probe, nullptr);
  EXPECT_FALSE(probe->FormShowing);
  hidden.SetPosition(0);
  TForm other(nullptr);
  ReadComponent(&hidden, &other);
  EXPECT_FALSE(other.Visible());
}

// A stored form that names an ancestor inside its descendant: F { P1 { P2 { P1 } } }.
TEST(Streaming, APanelNamedLikeItsAncestorIsAReadingError) {
  TMemoryStream stream;
  {
    TForm form(nullptr);
    form.SetName("F");
    auto* p1 = new TPanel(&form);
    p1->SetName("P1");
    p1->SetParent(&form);
    auto* p2 = new TPanel(&form);
    p2->SetName("P2");
    p2->SetParent(p1);
    auto* p3 = new TPanel(&form);
    p3->SetName("P9");
    p3->SetParent(p2);
    WriteComponent(&stream, &form);
  }
  std::string bytes(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  size_t at = bytes.find("P9");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 1] = '1';
  TMemoryStream bad;
  bad.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  bad.SetPosition(0);
  EXPECT_THROW(std::unique_ptr<TComponent>(ReadComponent(&bad, nullptr)), EReadError);
  bad.SetPosition(0);
  TForm into(nullptr);
  EXPECT_THROW(ReadComponent(&bad, &into), EReadError);
  EXPECT_EQ(into.ComponentCount(), 0) << "what the failed read made is gone";
}

// ---------------------------------------------------------------------------------------
// Dialogs
// ---------------------------------------------------------------------------------------

TEST(Dialogs, MessageDlgChoosesTheBoxAndMapsTheAnswer) {
  Boxes boxes;
  boxes.answer = IDNO;
  using B = TMsgDlgBtn;
  EXPECT_EQ(
      MessageDlg("Save changes?", TMsgDlgType::mtConfirmation, {B::mbYes, B::mbNo, B::mbCancel}, 0),
      mrNo);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Save changes?");
  EXPECT_EQ(boxes.shown[0].caption, "Confirm");
  EXPECT_EQ(boxes.shown[0].flags & MB_TYPEMASK, static_cast<uint32_t>(MB_YESNOCANCEL));
  EXPECT_EQ(boxes.shown[0].flags & MB_ICONMASK, static_cast<uint32_t>(MB_ICONQUESTION));
  boxes.answer = IDOK;
  EXPECT_EQ(MessageDlg("Failed", TMsgDlgType::mtError, {B::mbOK}, 0), mrOk);
  EXPECT_EQ(boxes.shown[1].caption, "Error");
  EXPECT_EQ(boxes.shown[1].flags & MB_TYPEMASK, static_cast<uint32_t>(MB_OK));
  MessageDlg("Sure?", TMsgDlgType::mtWarning, {B::mbOK, B::mbCancel}, 0);
  EXPECT_EQ(boxes.shown[2].flags & MB_TYPEMASK, static_cast<uint32_t>(MB_OKCANCEL));
  EXPECT_EQ(boxes.shown[2].caption, "Warning");
  ShowMessage("Plain");
  EXPECT_EQ(boxes.shown[3].caption, Application->Title());
}

// ---------------------------------------------------------------------------------------
// Settings files, string resources, clipboard
// ---------------------------------------------------------------------------------------

class IniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / "tess_ini_test";
    std::filesystem::create_directories(dir);
    file = (dir / "settings.ini").string();
    std::filesystem::remove(file);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
  std::string file;
};

TEST_F(IniTest, ValuesRoundTripThroughTheFile) {
  {
    TIniFile ini(file);
    ini.WriteString("General", "HOME", "C:\\Program Files\\Tessellar");
    ini.WriteInteger("General", "Width", -42);
    ini.WriteBool("General", "ShowTopToolbar", true);
    ini.WriteBool("Editor", "WordWrap", false);
    ini.WriteString("Editor", "Long", std::string(5000, 'x'));
  }
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadString("General", "HOME", ""), "C:\\Program Files\\Tessellar");
  EXPECT_EQ(ini.ReadString("general", "home", ""), "C:\\Program Files\\Tessellar")
      << "names ignore case";
  EXPECT_EQ(ini.ReadInteger("General", "Width", 0), -42);
  EXPECT_TRUE(ini.ReadBool("General", "ShowTopToolbar", false));
  EXPECT_FALSE(ini.ReadBool("Editor", "WordWrap", true));
  EXPECT_EQ(ini.ReadString("Editor", "Long", "").size(), 5000u) << "long values come back whole";
  EXPECT_EQ(ini.ReadString("General", "Missing", "dflt"), "dflt");

  std::ifstream raw(file);
  std::string text((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("ShowTopToolbar=1"), std::string::npos);
  EXPECT_NE(text.find("[Editor]"), std::string::npos);
}

TEST_F(IniTest, NumbersAndBooleansFallBackToTheDefaultOnBadText) {
  TIniFile ini(file);
  ini.WriteString("S", "Hex", "$1F");
  ini.WriteString("S", "Junk", "12abc");
  ini.WriteString("S", "Empty", "");
  EXPECT_EQ(ini.ReadInteger("S", "Hex", 0), 31);
  EXPECT_EQ(ini.ReadInteger("S", "Junk", 7), 7);
  EXPECT_EQ(ini.ReadInteger("S", "Empty", 8), 8);
  EXPECT_TRUE(ini.ReadBool("S", "Junk", true));
  EXPECT_FALSE(ini.ReadBool("S", "Junk", false));
  EXPECT_TRUE(ini.ReadBool("S", "Hex", false));
}

TEST_F(IniTest, SectionsAndKeysAreListedAndRemoved) {
  TIniFile writer(file);
  TIniFile reader(file);  // another object on the same file sees every write at once
  writer.WriteString("A", "one", "1");
  writer.WriteString("A", "two", "2");
  writer.WriteString("B", "three", "3");
  TStringList list;
  reader.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), "A,B");
  reader.ReadSection("A", &list);
  EXPECT_EQ(list.CommaText(), "one,two");
  reader.ReadSectionValues("A", &list);
  EXPECT_EQ(list.Values("two"), "2");
  EXPECT_TRUE(reader.SectionExists("b"));
  EXPECT_TRUE(reader.ValueExists("A", "TWO"));
  EXPECT_FALSE(reader.ValueExists("A", "four"));
  writer.DeleteKey("A", "one");
  EXPECT_FALSE(reader.ValueExists("A", "one"));
  writer.EraseSection("A");
  EXPECT_FALSE(reader.SectionExists("A"));
  reader.ReadSection("Nothing", &list);
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(IniTest, AWriteThatFailsIsReportedNotIgnored) {
  TIniFile ini((dir / "no such folder" / "x.ini").string());
  EXPECT_THROW(ini.WriteString("S", "K", "V"), EIniFileException);
  EXPECT_EQ(ini.ReadString("S", "K", "none"), "none");
}

TEST(StringResources, LoadByNumber) {
  EXPECT_EQ(LoadStr(34284), "Grid");
  EXPECT_EQ(LoadStr(34275), "Default");
  EXPECT_EQ(LoadStr(33768), "ccNone");
  EXPECT_EQ(LoadStr(33768 + 75), "ccWordRight");
  EXPECT_EQ(LoadStr(34203), "Invalid range. Enter a value between (%d) and (%d)");
  EXPECT_EQ(LoadStr(34213), "Invalid line or paragraph index");
  EXPECT_EQ(LoadStr(12345), "");
}

TEST(Clipboard, PlainTextRoundTrips) {
  TClipboard* cb = Clipboard();
  cb->SetAsText("first line\r\nsecond");
  EXPECT_TRUE(cb->HasFormat(CF_TEXT));
  EXPECT_EQ(cb->AsText(), "first line\r\nsecond");
  cb->SetAsText("");
  EXPECT_EQ(cb->AsText(), "");
  // Open and Close nest.
  cb->Open();
  cb->Open();
  cb->Close();
  EXPECT_EQ(GetOpenClipboardWindow() != nullptr, true);
  cb->Close();
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  cb->Clear();
  EXPECT_FALSE(cb->HasFormat(CF_TEXT));
}

TEST_F(FormTest, AnEditCopiesAndPastesThroughTheClipboard) {
  auto* from = new TEdit(form);
  from->SetParent(form);
  auto* to = new TEdit(form);
  to->SetParent(form);
  to->SetTop(40);
  ShowForm();
  from->SetText("copy this");
  from->SelectAll();
  from->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "copy this");
  Clipboard()->SetAsText(" and that");
  to->SetText("pasted:");
  to->SetSelStart(7);
  to->PasteFromClipboard();
  EXPECT_EQ(to->Text(), "pasted: and that");
}

}  // namespace
}  // namespace tess
