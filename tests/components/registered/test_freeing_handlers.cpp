// Every registered control class, every event the user's input raises on it, with a
// handler that frees the control it was raised on, under the poisoned heap.  Nothing may
// touch the control after (a write into it spoils the freed pattern, a call through it
// faults), the handler runs from a copy (what it captured is still whole once it freed its
// control), the control's window goes, the form and its focus go on, and a drop whose
// target freed itself ends the drag without a target.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "components/core/controller.h"
#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/labeleffect.h"
#include "components/decoration/picturebutton.h"
#include "components/decoration/splitter.h"
#include "components/editor/editor.h"
#include "components/entry/entryfield.h"
#include "components/entry/simplefield.h"
#include "components/lists/register.h"
#include "components/outline/outlines.h"
#include "components/synedit/synedit.h"
#include "framework/win/extctrls.h"
#include "framework/win/grids.h"
#include "framework/win/outline.h"
#include "framework/win/stdctrls.h"
#include "platform/win32.h"
#include "tests/framework/win/helpers.h"
#include "tests/framework/win/poisoned_heap.h"

namespace tess {

// The table's header clashes with the entry field's (both name their mouse command), so
// its registration is declared here.
void RegisterTableCellClasses();

namespace {

using testing::Pump;

// ---------------------------------------------------------------------------------------
// The handler
// ---------------------------------------------------------------------------------------

// What one event's run found.
struct TRun {
  TControl* control = nullptr;
  int fired = 0;
  bool wrong_sender = false;
  bool copy_whole = true;
};
TRun* g_run = nullptr;

// The case under way, named when the program faults: a fault inside a window procedure
// may be swallowed by the system, so each one is counted as well.
char g_case[160] = "";
int g_faults = 0;

LONG CALLBACK ReportFault(EXCEPTION_POINTERS* E) {
  if (E->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
    ++g_faults;
    std::fprintf(stderr, "fault at %p during %s\n", E->ExceptionRecord->ExceptionAddress, g_case);
    void* frames[24];
    USHORT n = RtlCaptureStackBackTrace(0, 24, frames, nullptr);
    for (USHORT i = 0; i < n; ++i) std::fprintf(stderr, "  frame %p\n", frames[i]);
    std::fflush(stderr);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

// A handler for any event: frees the control it was raised on, then reads what it
// captured.  The capture is larger than a std::function keeps inside itself, so a
// handler run from the stored function would read freed, spoilt memory.
constexpr uint64_t kWitness = 0x5EED0F0CA11ED0ULL;

auto Freeing() {
  std::array<uint64_t, 4> witness{kWitness, kWitness, kWitness, kWitness};
  return [witness](TObject* Sender, auto&&...) {
    TRun* run = g_run;
    if (!run) return;
    ++run->fired;
    if (run->fired > 1 || Sender != run->control) {
      run->wrong_sender = true;
      return;
    }
    delete Sender;
    for (uint64_t w : witness)
      if (w != kWitness) run->copy_whole = false;
  };
}

// ---------------------------------------------------------------------------------------
// The form the controls are tried on
// ---------------------------------------------------------------------------------------

void RegisterEveryClass() {
  RegisterFrameworkClasses();
  RegisterControllerClass();
  RegisterEntryFieldClasses();
  RegisterEditorClasses();
  RegisterSynEditClasses();
  RegisterOutlineClasses();
  RegisterListClasses();
  RegisterLabelEffectClasses();
  RegisterCaptionBarClasses();
  RegisterSplitterClasses();
  RegisterPictureButtonClasses();
  RegisterDockBarClasses();
  RegisterTableCellClasses();
}

// The registered classes whose objects are controls.
std::vector<std::string> ControlClasses() {
  RegisterEveryClass();
  std::vector<std::string> names;
  for (const std::string& name : RegisteredComponentClasses()) {
    TComponent* c = FindComponentClass(name)(nullptr);
    if (dynamic_cast<TControl*>(c)) names.push_back(c->ClassName());
    delete c;
  }
  return names;
}

class TRig {
 public:
  TRig() {
    form = new TForm(nullptr);
    form->SetBounds(40, 40, 560, 420);
    form->SetCaption("Handlers");
    new TOvcController(form);
    other = new TButton(form);
    other->SetParent(form);
    other->SetBounds(420, 10, 100, 28);
    other->SetCaption("Other");
    drop = new TPanel(form);
    drop->SetParent(form);
    drop->SetBounds(420, 60, 100, 80);
    drop->OnDragOver = [](TObject*, TObject*, int32_t, int32_t, TDragState, bool& Accept) {
      Accept = true;
    };
    dragger = new TPanel(form);
    dragger->SetParent(form);
    dragger->SetBounds(420, 160, 100, 80);
    dragger->SetDragMode(TDragMode::dmAutomatic);
    dragger->OnEndDrag = [this](TObject*, TObject* Target, int32_t, int32_t) {
      ++drags_ended;
      drag_target = Target;
    };
    form->Show();
    Pump();
  }
  ~TRig() {
    delete form;
    Pump();
  }

  // A fresh control of the class, ready for the event.
  TControl* Make(const std::string& ClassName) {
    TComponent* c = FindComponentClass(ClassName)(form);
    control = dynamic_cast<TControl*>(c);
    if (auto* f = dynamic_cast<TCustomForm*>(control)) {
      // A form of its own, beside the host's helpers.
      f->SetBounds(60, 80, 300, 260);
      f->Show();
    } else {
      control->SetParent(form);
      control->SetBounds(10, 10, 300, 220);
      Prepare(control);
    }
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->HandleNeeded();
    Pump();
    return control;
  }

  // --- where the input goes --------------------------------------------------------
  // The point of the control the mouse uses (client coordinates).
  TPoint At() const {
    // A row or cell other than the current one: moving there is the click of a grid.
    if (dynamic_cast<TCustomOutline*>(control)) return {20, 20};
    if (dynamic_cast<TCustomGrid*>(control)) return {140, 60};
    if (dynamic_cast<TCustomListBox*>(control)) return {20, 4};
    if (auto* split = dynamic_cast<ToxSplit*>(control))
      return {split->BarPosition() + split->BarWidth() / 2 + split->FrameWidth(), 40};
    return {30, 12};
  }
  // The window the control's mouse messages arrive at, and the point there.
  HWND MouseWindow() const {
    if (auto* w = dynamic_cast<TWinControl*>(control)) return w->Handle();
    return control->Parent()->Handle();
  }
  POINT InWindow(TControl* C, TPoint P) const {
    TPoint s = C->ClientToScreen(P);
    POINT p{s.X, s.Y};
    ScreenToClient(MouseWindow(), &p);
    return p;
  }
  // Posts the mouse messages to the control's window one by one (the control may be
  // gone after any of them).
  void Mouse(std::initializer_list<std::pair<UINT, WPARAM>> Messages) {
    HWND h = MouseWindow();
    POINT p = InWindow(control, At());
    for (auto [msg, keys] : Messages) {
      PostMessageA(h, msg, keys, MAKELPARAM(p.x, p.y));
      Pump();
    }
  }
  void Click(TWinControl* C, TPoint P) {
    HWND h = C->Handle();
    PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
    Pump();
  }
  void ClickControl() { Mouse({{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}}); }
  bool Focus(TWinControl* W) {
    if (!W->CanFocus()) return false;
    W->SetFocus();
    Pump();
    return true;
  }
  // Drags from Source's point From onto the screen point To, and lets go there.
  void DragOnto(TControl* Source, TPoint From, TPoint To) {
    auto* holder = dynamic_cast<TWinControl*>(Source);
    HWND h = holder ? holder->Handle() : Source->Parent()->Handle();
    auto local = [h](TPoint S) {
      POINT p{S.X, S.Y};
      ScreenToClient(h, &p);
      return MAKELPARAM(p.x, p.y);
    };
    const std::pair<UINT, LPARAM> steps[] = {{WM_LBUTTONDOWN, local(Source->ClientToScreen(From))},
                                             {WM_MOUSEMOVE, local(To)},
                                             {WM_MOUSEMOVE, local({To.X + 1, To.Y + 1})},
                                             {WM_LBUTTONUP, local({To.X + 1, To.Y + 1})}};
    for (auto [msg, at] : steps) {
      PostMessageA(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
      Pump();
    }
  }

  TForm* form = nullptr;
  TButton* other = nullptr;
  TPanel* drop = nullptr;
  TPanel* dragger = nullptr;
  TControl* control = nullptr;
  int drags_ended = 0;
  TObject* drag_target = nullptr;

 private:
  // Gives the control something to show, so that its mouse and keys do their work.
  static void Prepare(TControl* C) {
    if (auto* list = dynamic_cast<TCustomListBox*>(C))
      list->Items()->SetText("alpha\nbeta\ngamma\n");
    if (auto* combo = dynamic_cast<TCustomComboBox*>(C))
      combo->Items()->SetText("alpha\nbeta\ngamma\n");
    if (auto* outline = dynamic_cast<TCustomOutline*>(C)) {
      outline->Add(0, "alpha");
      outline->AddChild(1, "beta");
      outline->Add(0, "gamma");
    }
    if (dynamic_cast<TOvcEditBase*>(C)) C->SetText("alpha beta\r\ngamma\r\n");
  }
};

// ---------------------------------------------------------------------------------------
// The events
// ---------------------------------------------------------------------------------------

using THook = std::function<bool(TControl*)>;

template <class Member>
THook WinEvent(Member M) {
  return [M](TControl* C) {
    auto* w = dynamic_cast<TWinControl*>(C);
    if (!w) return false;
    w->*M = Freeing();
    return true;
  };
}

template <class Member>
THook Event(Member M) {
  return [M](TControl* C) {
    C->*M = Freeing();
    return true;
  };
}

// OnChange of every control that has one.
bool HookChange(TControl* C) {
  if (auto* e = dynamic_cast<TCustomEdit*>(C)) return e->OnChange = Freeing(), true;
  if (auto* b = dynamic_cast<TCustomComboBox*>(C)) return b->OnChange = Freeing(), true;
  if (auto* f = dynamic_cast<TOvcBaseEntryField*>(C)) return f->OnChange = Freeing(), true;
  if (auto* d = dynamic_cast<TyCustomEditor*>(C)) return d->OnChange = Freeing(), true;
  return false;
}

// An event of the class's own, hooked when the control is of class T.
template <class T, class Member>
THook Own(Member M) {
  return [M](TControl* C) {
    auto* t = dynamic_cast<T*>(C);
    if (!t) return false;
    t->*M = Freeing();
    return true;
  };
}

bool HookAfter(TControl* C, bool Enter) {
  auto* b = dynamic_cast<TOvcBase*>(C);
  if (!b) return false;
  (Enter ? b->AfterEnter : b->AfterExit) = Freeing();
  return true;
}

void PressOn(TRig& R, int Key) {
  if (auto* w = dynamic_cast<TWinControl*>(R.control); w && R.Focus(w)) testing::PressKey(Key);
}

void TypeInto(TRig& R) {
  PressOn(R, 'A');
}

void DoubleClick(TRig& R) {
  R.Mouse({{WM_LBUTTONDOWN, MK_LBUTTON},
           {WM_LBUTTONUP, 0},
           {WM_LBUTTONDBLCLK, MK_LBUTTON},
           {WM_LBUTTONUP, 0}});
}

struct TEventCase {
  const char* Name;
  THook Hook;
  std::function<void(TRig&)> Drive;
};

const std::vector<TEventCase>& EventCases() {
  static const std::vector<TEventCase> cases = {
      {"OnMouseDown", Event(&TControl::OnMouseDown), [](TRig& R) { R.ClickControl(); }},
      {"OnMouseUp", Event(&TControl::OnMouseUp), [](TRig& R) { R.ClickControl(); }},
      {"OnMouseMove", Event(&TControl::OnMouseMove),
       [](TRig& R) {
         R.Mouse({{WM_MOUSEMOVE, 0}});
       }},
      {"OnClick", Event(&TControl::OnClick),
       [](TRig& R) {
         // A combo box's click is an item chosen: the keyboard chooses one.
         if (dynamic_cast<TCustomComboBox*>(R.control))
           PressOn(R, VK_DOWN);
         else
           R.ClickControl();
       }},
      {"OnDblClick", Event(&TControl::OnDblClick), DoubleClick},
      {"OnKeyDown", WinEvent(&TWinControl::OnKeyDown), TypeInto},
      {"OnKeyPress", WinEvent(&TWinControl::OnKeyPress), TypeInto},
      {"OnKeyUp", WinEvent(&TWinControl::OnKeyUp), TypeInto},
      {"OnChange", HookChange, TypeInto},
      {"OnEnter by a click", WinEvent(&TWinControl::OnEnter),
       [](TRig& R) {
         R.Focus(R.other);
         R.ClickControl();
       }},
      {"OnEnter by Tab", WinEvent(&TWinControl::OnEnter),
       [](TRig& R) {
         auto* w = static_cast<TWinControl*>(R.control);
         w->SetTabStop(true);
         w->SetTabOrder(R.other->TabOrder() + 1);
         R.Focus(R.other);
         testing::PressKey(VK_TAB);
       }},
      {"OnExit by a click", WinEvent(&TWinControl::OnExit),
       [](TRig& R) {
         if (!R.Focus(static_cast<TWinControl*>(R.control))) return;
         R.Click(R.other, {5, 5});
       }},
      {"OnExit by Tab", WinEvent(&TWinControl::OnExit),
       [](TRig& R) {
         if (R.Focus(static_cast<TWinControl*>(R.control))) testing::PressKey(VK_TAB);
       }},
      {"AfterEnter", [](TControl* C) { return HookAfter(C, true); },
       [](TRig& R) {
         R.Focus(R.other);
         R.ClickControl();
       }},
      {"AfterExit", [](TControl* C) { return HookAfter(C, false); },
       [](TRig& R) {
         if (R.Focus(static_cast<TWinControl*>(R.control))) R.Click(R.other, {5, 5});
       }},
      {"OnResize", Event(&TControl::OnResize),
       [](TRig& R) {
         if (auto* f = dynamic_cast<TCustomForm*>(R.control)) {
           SetWindowPos(f->Handle(), nullptr, 0, 0, 320, 280, SWP_NOMOVE | SWP_NOZORDER);
         } else {
           // Laid out again by its parent, whose window the user sizes.
           R.control->SetAlign(TAlign::alLeft);
           SetWindowPos(R.form->Handle(), nullptr, 0, 0, 580, 460, SWP_NOMOVE | SWP_NOZORDER);
         }
         Pump();
       }},
      {"OnStartDrag", Event(&TControl::OnStartDrag),
       [](TRig& R) {
         R.control->SetDragMode(TDragMode::dmAutomatic);
         R.DragOnto(R.control, R.At(), R.drop->ClientToScreen({20, 20}));
       }},
      {"OnEndDrag", Event(&TControl::OnEndDrag),
       [](TRig& R) {
         R.control->SetDragMode(TDragMode::dmAutomatic);
         R.DragOnto(R.control, R.At(), R.drop->ClientToScreen({20, 20}));
       }},
      {"OnDragOver", Event(&TControl::OnDragOver),
       [](TRig& R) {
         R.DragOnto(R.dragger, {20, 20}, R.control->ClientToScreen(R.At()));
       }},
      {"OnDragDrop", Event(&TControl::OnDragDrop),
       [](TRig& R) {
         R.control->OnDragOver = [](TObject*, TObject*, int32_t, int32_t, TDragState,
                                    bool& Accept) { Accept = true; };
         R.DragOnto(R.dragger, {20, 20}, R.control->ClientToScreen(R.At()));
       }},
      // The classes' own events that the user's input raises.
      {"OnDropDown", Own<TCustomComboBox>(&TCustomComboBox::OnDropDown),
       [](TRig& R) { PressOn(R, VK_F4); }},
      {"OnCloseUp", Own<TCustomComboBox>(&TCustomComboBox::OnCloseUp),
       [](TRig& R) {
         PressOn(R, VK_F4);
         testing::PressKey(VK_F4);
       }},
      {"OnSelectCell", Own<TCustomGrid>(&TCustomGrid::OnSelectCell),
       [](TRig& R) { R.ClickControl(); }},
      {"OnTopLeftChanged", Own<TCustomGrid>(&TCustomGrid::OnTopLeftChanged),
       [](TRig& R) {
         // More rows than the grid shows, and a page down.
         if (auto* outline = dynamic_cast<TCustomOutline*>(R.control))
           for (int i = 0; i < 60; ++i) outline->Add(0, "more");
         else
           static_cast<TCustomGrid*>(R.control)->SetRowCount(60);
         PressOn(R, VK_NEXT);
       }},
      {"OnExpand", Own<TCustomOutline>(&TCustomOutline::OnExpand),
       [](TRig& R) { PressOn(R, VK_ADD); }},
      {"OnCollapse", Own<TCustomOutline>(&TCustomOutline::OnCollapse),
       [](TRig& R) {
         static_cast<TCustomOutline*>(R.control)->FullExpand();
         PressOn(R, VK_SUBTRACT);
       }},
      {"OnItemDblClick (outline)", Own<TyTessOutline>(&TyTessOutline::OnItemDblClick), DoubleClick},
      {"OnItemDblClick (syntax outline)", Own<TySynOutline>(&TySynOutline::OnItemDblClick),
       DoubleClick},
      {"OnMouseEnter", Own<ToxCustomButton>(&ToxCustomButton::OnMouseEnter),
       [](TRig& R) {
         R.Mouse({{WM_MOUSEMOVE, 0}});
       }},
      {"OnMouseLeave", Own<ToxCustomButton>(&ToxCustomButton::OnMouseLeave),
       [](TRig& R) {
         R.Mouse({{WM_MOUSEMOVE, 0}});
         PostMessageA(R.form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(400, 300));
         Pump();
       }},
  };
  return cases;
}

// The events the input above does not raise on a class, by class: the class has no use
// for them or raises them some other way.
const std::map<std::string, std::set<std::string>>& NotRaised() {
  // Buttons take a double click as two presses; a combo box's double click is its list's.
  const std::set<std::string> no_double = {"OnDblClick"};
  // A click does not focus a container.
  const std::set<std::string> no_click_focus = {"OnEnter by a click"};
  static const std::map<std::string, std::set<std::string>> classes = {
      {"TButton", no_double},
      {"ToxCustomButton", no_double},
      {"ToxRepeat", no_double},
      {"TSpeedButton", no_double},
      {"TComboBox", no_double},
      {"TRzComboBox", no_double},
      // These outlines tell of a double click by OnItemDblClick alone.
      {"TyTessOutline", no_double},
      {"TySynOutline", no_double},
      {"TPanel", no_click_focus},
      {"TScrollBox", no_click_focus},
      {"ToxScrollPane", no_click_focus},
      {"ToxSplit", no_click_focus},
      // A press on the bar starts moving it: the release ends the move.
      {"ToxDockBar", {"OnEnter by a click", "OnMouseUp", "OnClick"}},
      // A form is entered and left as a window, not as a control of a form.
      {"TForm", {"OnEnter by a click", "OnEnter by Tab", "OnExit by a click", "OnExit by Tab"}},
      // The memo keeps its Tab.
      {"TMemo", {"OnExit by Tab"}},
  };
  return classes;
}

// ---------------------------------------------------------------------------------------

class FreeingHandlers : public ::testing::TestWithParam<std::string> {
 protected:
  static void SetUpTestSuite() {
    RegisterEveryClass();
    AddVectoredExceptionHandler(1, ReportFault);
  }
};

TEST_P(FreeingHandlers, LeaveTheControlAlone) {
  const std::string& name = GetParam();
  auto not_raised = NotRaised().find(name);
  std::vector<std::string> unreached;
  for (const TEventCase& ev : EventCases()) {
    SCOPED_TRACE(std::string(ev.Name));
    std::snprintf(g_case, sizeof g_case, "%s %s", name.c_str(), ev.Name);
    TRig rig;
    TControl* control = rig.Make(name);
    if (!ev.Hook(control)) {
      delete control;
      continue;
    }
    TRun run;
    run.control = control;
    int faults = g_faults;
    g_run = &run;
    HWND window = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control)) window = w->Handle();
    bool alive;
    {
      TControlWatch watch(control);
      ev.Drive(rig);
      Pump();
      alive = watch.Alive();
    }
    g_run = nullptr;
    EXPECT_EQ(g_faults, faults) << "the program faulted";
    bool expected = not_raised == NotRaised().end() || !not_raised->second.count(ev.Name);
    if (alive) {
      // Not raised: the control is still whole and goes the usual way.
      if (expected) unreached.push_back(ev.Name);
      EXPECT_EQ(run.fired, 0);
      delete control;
      Pump();
      EXPECT_EQ(testing::FreedBlocksWrittenTo(), "");
      continue;
    }
    EXPECT_TRUE(expected) << "listed as not raised";
    EXPECT_EQ(run.fired, 1);
    EXPECT_FALSE(run.wrong_sender);
    EXPECT_TRUE(run.copy_whole) << "the handler ran from the freed control's own copy";
    EXPECT_EQ(testing::FreedBlocksWrittenTo(), "");
    if (window) {
      EXPECT_FALSE(IsWindow(window));
    }
    if (std::string(ev.Name) == "OnDragDrop") {
      EXPECT_EQ(rig.drags_ended, 1);
      EXPECT_EQ(rig.drag_target, nullptr) << "the source was handed the freed target";
    }
    // The form goes on: its focus, its layout and its painting know nothing of the control.
    EXPECT_NE(rig.form->ActiveControl(), control);
    EXPECT_NE(Screen->ActiveControl(), control);
    EXPECT_EQ(rig.form->ControlCount(), 3);
    rig.form->Repaint();
    rig.Click(rig.other, {5, 5});
    Pump();
    EXPECT_EQ(testing::FreedBlocksWrittenTo(), "");
  }
  g_case[0] = '\0';
  std::string list;
  for (const std::string& e : unreached) list += " " + e;
  EXPECT_TRUE(unreached.empty()) << name << " did not raise:" << list;
}

INSTANTIATE_TEST_SUITE_P(EveryControlClass, FreeingHandlers, ::testing::ValuesIn(ControlClasses()),
                         [](const ::testing::TestParamInfo<std::string>& P) { return P.param; });

}  // namespace
}  // namespace tess
