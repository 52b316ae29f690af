// Every registered control class, every event the user's input or a paint message raises
// on it, with a handler that frees the control, under the poisoned heap.  Nothing may
// touch the control after (a write into it spoils the freed pattern, a call through it
// faults), the handler runs from a copy (what it captured is still whole once it freed its
// control), the control's window goes, the form and its focus go on, and a drop whose
// target freed itself ends the drag without a target.  The components that raise events
// on a form (a timer, menus, the caption-bar decoration) free the control they serve the
// same way.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "components/core/commands.h"
#include "components/core/controller.h"
#include "components/decoration/captionbar.h"
#include "components/decoration/dockbar.h"
#include "components/decoration/picturebutton.h"
#include "components/editor/editor.h"
#include "components/entry/entryfield.h"
#include "components/entry/simplefield.h"
#include "components/lists/sortgrid.h"
#include "components/outline/outlines.h"
#include "framework/win/grids.h"
#include "framework/win/menus.h"
#include "framework/win/outline.h"
#include "platform/win32.h"
#include "tests/components/registered/every_class.h"
#include "tests/components/registered/freeing_rig.h"
#include "tests/framework/win/poisoned_heap.h"

namespace tess::testing {
namespace {

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

// ---------------------------------------------------------------------------------------
// The events
// ---------------------------------------------------------------------------------------

// OnChange of every control that has one.
TObject* HookChange(TControl* C) {
  if (auto* e = dynamic_cast<TCustomEdit*>(C)) return e->OnChange = Freeing(), C;
  if (auto* b = dynamic_cast<TCustomComboBox*>(C)) return b->OnChange = Freeing(), C;
  if (auto* f = dynamic_cast<TOvcBaseEntryField*>(C)) return f->OnChange = Freeing(), C;
  if (auto* d = dynamic_cast<TyCustomEditor*>(C)) return d->OnChange = Freeing(), C;
  return nullptr;
}

TObject* HookAfter(TControl* C, bool Enter) {
  auto* b = dynamic_cast<TOvcBase*>(C);
  if (!b) return nullptr;
  (Enter ? b->AfterEnter : b->AfterExit) = Freeing();
  return C;
}

// An owner-drawn list, combo box or outline and its drawing or measuring event.
template <class T, class Style, class Member>
THook OwnerDrawn(Style S, Member M) {
  return Own<T>(M, [S](T* C) { C->SetStyle(S); });
}

// A grid's event with options of the grid's added first.
template <class Member>
THook GridEvent(Member M, TGridOptions Options) {
  return Own<TCustomGrid>(M, [Options](TCustomGrid* G) { G->SetOptions(G->Options() + Options); });
}

void TypeInto(TRig& R) {
  PressOn(R, 'A');
}

// Leaves the control for the other button once something was typed into it.
void TypeAndLeave(TRig& R) {
  if (!R.Focus(static_cast<TWinControl*>(R.control))) return;
  PressKey('1');
  R.Click(R.other, {5, 5});
}

// More lines than the editor shows (what setting them raises frees nothing).
void LongText(TRig& R) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "line\r\n";
  TRun* run = std::exchange(g_run, nullptr);
  static_cast<TOvcEditBase*>(R.control)->Model().SetText(text.c_str());
  Pump();
  g_run = run;
}

// An item added to a list by the handler of a click on the other button: measured as it
// goes in.
void AddFromAClick(TRig& R, TStrings* Items) {
  R.other->OnClick = [Items](TObject*) { Items->Add("delta"); };
  R.Click(R.other, {5, 5});
  R.other->OnClick = nullptr;
}

// The heading of a column of a grid, and of a row.
TPoint Heading(TRig& R, int32_t Col) {
  TRect r = static_cast<TCustomGrid*>(R.control)->CellRect(Col, 0);
  return {r.Left + 5, r.Top + 3};
}
TPoint RowHeading(TRig& R, int32_t Row) {
  TRect r = static_cast<TCustomGrid*>(R.control)->CellRect(0, Row);
  return {r.Left + 5, r.Top + 3};
}

const std::vector<TEventCase>& EventCases() {
  static const std::vector<TEventCase> cases = [] {
    std::vector<TEventCase> c = {
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
        {"OnKeyDown", Own<TWinControl>(&TWinControl::OnKeyDown), TypeInto},
        {"OnKeyPress", Own<TWinControl>(&TWinControl::OnKeyPress), TypeInto},
        {"OnKeyUp", Own<TWinControl>(&TWinControl::OnKeyUp), TypeInto},
        {"OnChange", HookChange, TypeInto},
        {"OnEnter by a click", Own<TWinControl>(&TWinControl::OnEnter),
         [](TRig& R) {
           R.Focus(R.other);
           R.ClickControl();
         }},
        {"OnEnter by Tab", Own<TWinControl>(&TWinControl::OnEnter),
         [](TRig& R) {
           auto* w = static_cast<TWinControl*>(R.control);
           w->SetTabStop(true);
           w->SetTabOrder(R.other->TabOrder() + 1);
           R.Focus(R.other);
           PressKey(VK_TAB);
         }},
        {"OnExit by a click", Own<TWinControl>(&TWinControl::OnExit),
         [](TRig& R) {
           if (!R.Focus(static_cast<TWinControl*>(R.control))) return;
           R.Click(R.other, {5, 5});
         }},
        {"OnExit by Tab", Own<TWinControl>(&TWinControl::OnExit),
         [](TRig& R) {
           if (R.Focus(static_cast<TWinControl*>(R.control))) PressKey(VK_TAB);
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
           PressKey(VK_F4);
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
        {"OnGetEditText", GridEvent(&TCustomGrid::OnGetEditText, {TGridOption::goEditing}),
         [](TRig& R) { PressOn(R, VK_F2); }},
        {"OnSetEditText", GridEvent(&TCustomGrid::OnSetEditText, {TGridOption::goEditing}),
         [](TRig& R) {
           PressOn(R, VK_F2);
           PressKey('A');
           PressKey(VK_RETURN);
         }},
        {"OnColumnMoved", GridEvent(&TCustomGrid::OnColumnMoved, {TGridOption::goColMoving}),
         [](TRig& R) {
           auto* g = static_cast<TCustomGrid*>(R.control);
           if (R.Focus(g)) R.PressMoveRelease(Heading(R, 1), Heading(R, 2));
         }},
        {"OnRowMoved", GridEvent(&TCustomGrid::OnRowMoved, {TGridOption::goRowMoving}),
         [](TRig& R) {
           auto* g = static_cast<TCustomGrid*>(R.control);
           if (R.Focus(g)) R.PressMoveRelease(RowHeading(R, 1), RowHeading(R, 2));
         }},
        {"OnExpand", Own<TCustomOutline>(&TCustomOutline::OnExpand),
         [](TRig& R) { PressOn(R, VK_ADD); }},
        {"OnCollapse", Own<TCustomOutline>(&TCustomOutline::OnCollapse),
         [](TRig& R) {
           static_cast<TCustomOutline*>(R.control)->FullExpand();
           PressOn(R, VK_SUBTRACT);
         }},
        {"OnSelectCell by a collapse", Own<TCustomOutline>(&TCustomGrid::OnSelectCell),
         [](TRig& R) {
           // The selection on a child, and a click whose handler collapses the tree: the
           // selection goes to the parent.
           auto* outline = static_cast<TCustomOutline*>(R.control);
           TRun* run = std::exchange(g_run, nullptr);
           outline->FullExpand();
           outline->SetSelectedItem(2);
           Pump();
           g_run = run;
           R.other->OnClick = [outline](TObject*) { outline->FullCollapse(); };
           R.Click(R.other, {5, 5});
           R.other->OnClick = nullptr;
         }},
        {"OnItemDblClick (outline)", Own<TyTessOutline>(&TyTessOutline::OnItemDblClick),
         DoubleClick},
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
        {"OnClickSort", Own<TSortGrid>(&TSortGrid::OnClickSort),
         [](TRig& R) {
           if (R.Focus(static_cast<TWinControl*>(R.control)))
             R.MouseAt(Heading(R, 1), {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
         }},
        {"OnEndSort", Own<TSortGrid>(&TSortGrid::OnEndSort),
         [](TRig& R) {
           if (R.Focus(static_cast<TWinControl*>(R.control)))
             R.MouseAt(Heading(R, 1), {{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
         }},
        // Raised by a model in the middle of its work.
        {"OnUserValidation", Own<TOvcBaseEntryField>(&TOvcBaseEntryField::OnUserValidation),
         TypeAndLeave},
        {"OnError (entry field)",
         [](TControl* C) -> TObject* {
           auto* f = dynamic_cast<TOvcBaseEntryField*>(C);
           if (!f) return nullptr;
           // Left empty, a field that needs input reports an error.
           f->SetInputRequired(true);
           f->OnError = Freeing();
           return C;
         },
         [](TRig& R) {
           if (R.Focus(static_cast<TWinControl*>(R.control))) R.Click(R.other, {5, 5});
         }},
        {"OnUserCommand (entry field)", Own<TOvcBaseEntryField>(&TOvcBaseEntryField::OnUserCommand),
         [](TRig& R) {
           BindUserCommand(R, DefaultTableName(), kUserKey);
           PressOn(R, kUserKey);
         }},
        {"OnTopLineChanged by a page key", Own<TOvcEditBase>(&TOvcEditBase::OnTopLineChanged),
         [](TRig& R) {
           LongText(R);
           PressOn(R, VK_NEXT);
         }},
        {"OnTopLineChanged by the scroll bar", Own<TOvcEditBase>(&TOvcEditBase::OnTopLineChanged),
         [](TRig& R) {
           LongText(R);
           PostMessageA(static_cast<HWND>(R.Window()), WM_VSCROLL, SB_LINEDOWN, 0);
           Pump();
         }},
        {"OnTopLineChanged by the wheel", Own<TOvcEditBase>(&TOvcEditBase::OnTopLineChanged),
         [](TRig& R) {
           LongText(R);
           R.Focus(static_cast<TWinControl*>(R.control));
           POINT p{20, 20};
           ClientToScreen(static_cast<HWND>(R.Window()), &p);
           PostMessageA(static_cast<HWND>(R.Window()), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
                        MAKELPARAM(p.x, p.y));
           Pump();
         }},
        {"OnShowStatus", Own<TOvcEditBase>(&TOvcEditBase::OnShowStatus),
         [](TRig& R) { PressOn(R, VK_RIGHT); }},
        {"OnUserCommand (editor)", Own<TyCustomEditor>(&TyCustomEditor::OnUserCommand),
         [](TRig& R) {
           BindUserCommand(R, DefaultTableName(), kUserKey);
           PressOn(R, kUserKey);
         }},
        {"OnError (editor) by a file that does not fit",
         Own<TyCustomTextFileEditor>(&TyCustomTextFileEditor::OnError,
                                     [](TyCustomTextFileEditor* E) { E->SetParaLimit(2); }),
         [](TRig& R) {
           // The file is read by the handler of a click on the other button.
           const std::string name =
               (std::filesystem::temp_directory_path() / "freeing_handlers.txt").string();
           std::FILE* f = std::fopen(name.c_str(), "wb");
           for (int i = 0; i < 10; ++i) std::fputs("line\r\n", f);
           std::fclose(f);
           auto* editor = static_cast<TyCustomTextFileEditor*>(R.control);
           R.other->OnClick = [editor, name](TObject*) { editor->LoadFromFile(name); };
           R.Click(R.other, {5, 5});
           R.other->OnClick = nullptr;
           std::remove(name.c_str());
         }},
        // Raised while the control paints.
        {"OnPaint (paint box)", Own<TPaintBox>(&TPaintBox::OnPaint), [](TRig& R) { R.Repaint(); }},
        {"OnPaint (form)", Own<TCustomForm>(&TCustomForm::OnPaint), [](TRig& R) { R.Repaint(); }},
        {"OnPaint (dock bar)", Own<ToxDockBar>(&ToxDockBar::OnPaint), [](TRig& R) { R.Repaint(); }},
        {"OnDrawCell", Own<TCustomGrid>(&TCustomGrid::OnDrawCell), [](TRig& R) { R.Repaint(); }},
        {"OnGetCellFormat", Own<TSortGrid>(&TSortGrid::OnGetCellFormat),
         [](TRig& R) { R.Repaint(); }},
        {"OnDrawItem (list)",
         OwnerDrawn<TCustomListBox>(TListBoxStyle::lbOwnerDrawFixed, &TCustomListBox::OnDrawItem),
         [](TRig& R) { R.Repaint(); }},
        {"OnMeasureItem (list)",
         OwnerDrawn<TCustomListBox>(TListBoxStyle::lbOwnerDrawVariable,
                                    &TCustomListBox::OnMeasureItem),
         [](TRig& R) { AddFromAClick(R, static_cast<TCustomListBox*>(R.control)->Items()); }},
        {"OnDrawItem (combo box)",
         OwnerDrawn<TCustomComboBox>(TComboBoxStyle::csOwnerDrawFixed,
                                     &TCustomComboBox::OnDrawItem),
         [](TRig& R) { PressOn(R, VK_F4); }},
        {"OnMeasureItem (combo box)",
         OwnerDrawn<TCustomComboBox>(TComboBoxStyle::csOwnerDrawVariable,
                                     &TCustomComboBox::OnMeasureItem),
         [](TRig& R) { AddFromAClick(R, static_cast<TCustomComboBox*>(R.control)->Items()); }},
        {"OnDrawItem (outline)",
         OwnerDrawn<TCustomOutline>(TOutlineType::otOwnerDraw, &TCustomOutline::OnDrawItem),
         [](TRig& R) { R.Repaint(); }},
        {"OnDrawLine", Own<TOvcEditBase>(&TOvcEditBase::OnDrawLine), [](TRig& R) { R.Repaint(); }},
    };
    for (const TEventCase& t : TableEventCases()) c.push_back(t);
    return c;
  }();
  return cases;
}

// The events the input above does not raise on a class, by class: the class has no use
// for them or raises them some other way.
const std::map<std::string, std::set<std::string>>& NotRaised() {
  // Buttons take a double click as two presses; a combo box's double click is its list's.
  const std::set<std::string> no_double = {"OnDblClick"};
  // A click does not focus a container.
  const std::set<std::string> no_click_focus = {"OnEnter by a click"};
  // Outlines draw their items themselves (OnDrawItem) and have a single column.
  const std::set<std::string> outline = {"OnDblClick", "OnDrawCell", "OnColumnMoved", "OnRowMoved"};
  static const std::map<std::string, std::set<std::string>> classes = {
      {"TButton", no_double},
      {"ToxCustomButton", no_double},
      {"ToxRepeat", no_double},
      {"TSpeedButton", no_double},
      {"TComboBox", no_double},
      {"TRzComboBox", no_double},
      // These outlines tell of a double click by OnItemDblClick alone.
      {"TyTessOutline", outline},
      {"TySynOutline", outline},
      {"TOutline", {"OnDrawCell", "OnColumnMoved", "OnRowMoved"}},
      {"TyOutline", {"OnDrawCell", "OnColumnMoved", "OnRowMoved"}},
      // The sort grid draws its cells itself and tells of each by OnGetCellFormat.
      {"TSortGrid", {"OnDrawCell"}},
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

// Whether the class has the event at all, asked of an object of it on no form.
bool Has(const std::string& ClassName, const TEventCase& Case) {
  TComponent* c = FindComponentClass(ClassName)(nullptr);
  bool has = Case.Hook(dynamic_cast<TControl*>(c)) != nullptr;
  delete c;
  return has;
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
    if (!Has(name, ev)) continue;
    SCOPED_TRACE(std::string(ev.Name));
    std::snprintf(g_case, sizeof g_case, "%s %s", name.c_str(), ev.Name);
    TRig rig;
    TControl* control = rig.Make(name);
    TRun run;
    run.victim = control;
    run.sender = ev.Hook(control);
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
      EXPECT_EQ(FreedBlocksWrittenTo(), "");
      continue;
    }
    EXPECT_TRUE(expected) << "listed as not raised";
    EXPECT_EQ(run.fired, 1);
    run.fired = 0;
    EXPECT_FALSE(run.wrong_sender);
    EXPECT_TRUE(run.copy_whole) << "the handler ran from the freed control's own copy";
    EXPECT_EQ(FreedBlocksWrittenTo(), "");
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
    EXPECT_EQ(FreedBlocksWrittenTo(), "");
  }
  g_case[0] = '\0';
  std::string list;
  for (const std::string& e : unreached) list += " " + e;
  EXPECT_TRUE(unreached.empty()) << name << " did not raise:" << list;
}

INSTANTIATE_TEST_SUITE_P(EveryControlClass, FreeingHandlers, ::testing::ValuesIn(ControlClasses()),
                         [](const ::testing::TestParamInfo<std::string>& P) { return P.param; });

// ---------------------------------------------------------------------------------------
// Components that raise events for a control
// ---------------------------------------------------------------------------------------

class FreeingComponentHandlers : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterEveryClass();
    AddVectoredExceptionHandler(1, ReportFault);
  }
  void SetUp() override { faults = g_faults; }
  // Runs Drive with the handler armed to free Victim for Sender; true when it did.
  bool Run(TComponent* Victim, TObject* Sender, const std::function<void()>& Drive) {
    run.victim = Victim;
    run.sender = Sender;
    g_run = &run;
    TComponentWatch watch(Victim);
    Drive();
    Pump();
    g_run = nullptr;
    EXPECT_EQ(run.fired, 1);
    run.fired = 0;
    EXPECT_FALSE(run.wrong_sender);
    EXPECT_TRUE(run.copy_whole) << "the handler ran from the freed component's own copy";
    EXPECT_EQ(g_faults, faults) << "the program faulted";
    EXPECT_EQ(FreedBlocksWrittenTo(), "");
    return !watch.Alive();
  }
  TRun run;
  int faults = 0;
};

TEST_F(FreeingComponentHandlers, ATimerFreesTheControlThatOwnsIt) {
  TRig rig;
  auto* panel = new TPanel(rig.form);
  panel->SetParent(rig.form);
  auto* timer = new TTimer(panel);
  timer->OnTimer = Freeing();
  EXPECT_TRUE(Run(panel, timer, [&] {
    timer->SetInterval(10);
    PumpUntil([&] { return run.fired > 0; });
  }));
}

TEST_F(FreeingComponentHandlers, AMenuItemFreesTheFormThatOwnsTheMenu) {
  auto* form = new TForm(nullptr);
  auto* menu = new TMainMenu(form);
  auto* item = new TMenuItem(form);
  item->SetCaption("&Close");
  menu->Items()->Add(item);
  form->SetMenu(menu);
  form->Show();
  Pump();
  item->OnClick = Freeing();
  HWND h = form->Handle();
  EXPECT_TRUE(Run(form, item, [&] {
    PostMessageA(h, WM_COMMAND, item->Command(), 0);
    Pump();
  }));
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(FreeingComponentHandlers, APopupMenuFreesTheControlItPopsUpFor) {
  TRig rig;
  auto* panel = new TPanel(rig.form);
  panel->SetParent(rig.form);
  panel->SetBounds(10, 10, 100, 100);
  auto* popup = new TPopupMenu(rig.form);
  auto* item = new TMenuItem(rig.form);
  item->SetCaption("Item");
  popup->Items()->Add(item);
  panel->SetPopupMenu(popup);
  popup->OnPopup = Freeing();
  Pump();
  // Should the menu show, it is closed at once.
  HWND closer = AllocateHWnd([](TMessage& M) {
    if (M.Msg == WM_TIMER) EndMenu();
    M.Result = 0;
  });
  SetTimer(closer, 1, 50, nullptr);
  HWND h = panel->Handle();
  EXPECT_TRUE(Run(panel, popup, [&] {
    PostMessageA(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(-1, -1));
    Pump();
  }));
  EXPECT_EQ(popup->PopupComponent(), nullptr) << "the menu holds on to the freed control";
  KillTimer(closer, 1);
  DeallocateHWnd(closer);
}

// The controller tells of a field left for another control of the form by a posted
// notice; its handler frees the form, and the controller with it.
TEST_F(FreeingComponentHandlers, AControllersNoticeFreesTheForm) {
  auto* form = new TForm(nullptr);
  form->SetBounds(60, 60, 320, 240);
  auto* controller = new TOvcController(form);
  auto* field = new TOvcSimpleField(form);
  field->SetParent(form);
  field->SetBounds(10, 10, 120, 24);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(10, 50, 80, 28);
  form->Show();
  Pump();
  controller->OnPostEdit = Freeing();
  HWND h = form->Handle();
  EXPECT_TRUE(Run(form, field, [&] {
    field->SetFocus();
    Pump();
    PostMessageA(static_cast<HWND>(button->Handle()), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(static_cast<HWND>(button->Handle()), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
  }));
  EXPECT_FALSE(IsWindow(h));
}

// Two editors showing one text: a deletion in one moves the other's top line, and that
// editor's handler frees it, or frees the editor the deletion was made in.
TEST_F(FreeingComponentHandlers, AnEditorSharingTheTextOfAnother) {
  for (bool frees_the_other : {false, true}) {
    SCOPED_TRACE(frees_the_other ? "the editor typed into" : "itself");
    TRig rig;
    auto* typed = new TyTextFileEditor(rig.form);
    auto* viewer = new TyTextFileEditor(rig.form);
    for (auto [e, x] : {std::pair{typed, 10}, std::pair{viewer, 200}}) {
      e->SetParent(rig.form);
      e->SetBounds(x, 10, 180, 200);
      e->HandleNeeded();
    }
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line\r\n";
    typed->Model().SetText(text.c_str());
    viewer->Model().AttachTo(&typed->Model());
    // The lines below the viewer's top line go: its view must move up to stay full.
    viewer->Model().SetTopLine(50);
    typed->Model().SetSelection(55, 1, 200, 1, true);
    Pump();
    viewer->OnTopLineChanged = Freeing();
    TControl* victim = frees_the_other ? static_cast<TControl*>(typed) : viewer;
    TControl* survivor = frees_the_other ? static_cast<TControl*>(viewer) : typed;
    EXPECT_TRUE(Run(victim, viewer, [&] {
      rig.Focus(typed);
      PressKey(VK_DELETE);
    }));
    // The editor left shows the text as it now is (a deletion whose editor went ends
    // where it was), and edits it.
    auto* left = static_cast<TyTextFileEditor*>(survivor);
    const int32_t lines = left->Model().GetLineCount();
    if (frees_the_other)
      EXPECT_LT(lines, 101);
    else
      EXPECT_EQ(lines, 55);
    left->Repaint();
    rig.Focus(left);
    PressKey('A');
    EXPECT_EQ(left->Model().GetLineCount(), lines);
    Pump();
    EXPECT_EQ(FreedBlocksWrittenTo(), "");
  }
}

// A caption button clicked (its press and release as the system delivers them) whose
// handler frees the form, and with it the decoration, or only the decoration.
class CaptionButtonTest : public FreeingComponentHandlers {
 protected:
  void SetUp() override {
    FreeingComponentHandlers::SetUp();
    form = new TForm(nullptr);
    form->SetBounds(60, 60, 320, 240);
    form->SetCaption("");
    deco = new TKSTransForm(form);
    form->Show();
    deco->SetActive(true);
    Pump();
    h = form->Handle();
  }
  void TearDown() override {
    if (IsWindow(h)) delete form;
    Pump();
  }
  void ClickButton() {
    RECT wr{};
    GetWindowRect(h, &wr);
    const int fo = deco->FrameOffset(), bar = deco->BarHeight();
    POINT at{wr.right - fo - 5, wr.top + fo + bar / 2};
    ASSERT_EQ(SendMessageA(h, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), hit::kFrameButton);
    POINT client = at;
    ScreenToClient(h, &client);
    PostMessageA(h, WM_NCLBUTTONDOWN, hit::kFrameButton, MAKELPARAM(at.x, at.y));
    PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    Pump();
  }
  TForm* form = nullptr;
  TKSTransForm* deco = nullptr;
  HWND h = nullptr;
};

TEST_F(CaptionButtonTest, FreesTheForm) {
  deco->OnButtonClick = Freeing();
  EXPECT_TRUE(Run(form, deco, [&] { ClickButton(); }));
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(CaptionButtonTest, FreesItself) {
  deco->OnButtonClick = Freeing();
  EXPECT_TRUE(Run(deco, deco, [&] { ClickButton(); }));
  // The form keeps its window and takes its messages as before.
  ASSERT_TRUE(IsWindow(h));
  SendMessageA(h, WM_NCACTIVATE, TRUE, 0);
  form->Repaint();
  Pump();
  EXPECT_EQ(FreedBlocksWrittenTo(), "");
}

}  // namespace
}  // namespace tess::testing
