#include "tests/components/registered/freeing_rig.h"

#include "components/core/commands.h"
#include "components/core/controller.h"
#include "components/decoration/splitter.h"
#include "components/editor/editor.h"
#include "framework/win/grids.h"
#include "framework/win/outline.h"
#include "platform/win32.h"

namespace tess::testing {

TRun* g_run = nullptr;

namespace {

// Gives the control something to show, so that its mouse and keys do their work.
void Prepare(TControl* C) {
  if (auto* list = dynamic_cast<TCustomListBox*>(C)) list->Items()->SetText("alpha\nbeta\ngamma\n");
  if (auto* combo = dynamic_cast<TCustomComboBox*>(C))
    combo->Items()->SetText("alpha\nbeta\ngamma\n");
  if (auto* outline = dynamic_cast<TCustomOutline*>(C)) {
    outline->Add(0, "alpha");
    outline->AddChild(1, "beta");
    outline->Add(0, "gamma");
  }
  if (auto* editor = dynamic_cast<TOvcEditBase*>(C))
    editor->Model().SetText("alpha beta\r\ngamma\r\n");
  PrepareTable(C);
}

}  // namespace

TRig::TRig() {
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

TRig::~TRig() {
  delete form;
  Pump();
}

TControl* TRig::Make(const std::string& ClassName) {
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

TPoint TRig::At() const {
  // A row or cell other than the current one: moving there is the click of a grid.
  if (dynamic_cast<TCustomOutline*>(control)) return {20, 20};
  if (dynamic_cast<TCustomGrid*>(control)) return {140, 60};
  if (dynamic_cast<TCustomListBox*>(control)) return {20, 4};
  if (auto* split = dynamic_cast<ToxSplit*>(control))
    return {split->BarPosition() + split->BarWidth() / 2 + split->FrameWidth(), 40};
  return {30, 12};
}

HWnd TRig::MouseWindow() const {
  if (auto* w = dynamic_cast<TWinControl*>(control)) return w->Handle();
  return control->Parent()->Handle();
}

void TRig::Mouse(std::initializer_list<std::pair<uint32_t, uintptr_t>> Messages) {
  MouseAt(At(), Messages);
}

void TRig::MouseAt(TPoint P, std::initializer_list<std::pair<uint32_t, uintptr_t>> Messages) {
  auto h = static_cast<HWND>(MouseWindow());
  TPoint s = control->ClientToScreen(P);
  POINT p{s.X, s.Y};
  ScreenToClient(h, &p);
  for (auto [msg, keys] : Messages) {
    PostMessageA(h, msg, keys, MAKELPARAM(p.x, p.y));
    Pump();
  }
}

void TRig::PressMoveRelease(TPoint From, TPoint To) {
  auto h = static_cast<HWND>(MouseWindow());
  auto local = [&](TPoint P) {
    TPoint s = control->ClientToScreen(P);
    POINT p{s.X, s.Y};
    ScreenToClient(h, &p);
    return MAKELPARAM(p.x, p.y);
  };
  const std::pair<UINT, LPARAM> steps[] = {
      {WM_LBUTTONDOWN, local(From)},
      {WM_MOUSEMOVE, local({(From.X + To.X) / 2, (From.Y + To.Y) / 2})},
      {WM_MOUSEMOVE, local(To)},
      {WM_LBUTTONUP, local(To)}};
  for (auto [msg, at] : steps) {
    PostMessageA(h, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, at);
    Pump();
  }
}

void TRig::ClickControl() {
  Mouse({{WM_LBUTTONDOWN, MK_LBUTTON}, {WM_LBUTTONUP, 0}});
}

void TRig::Click(TWinControl* C, TPoint P) {
  HWND h = C->Handle();
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
  PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
  Pump();
}

bool TRig::Focus(TWinControl* W) {
  if (!W->CanFocus()) return false;
  W->SetFocus();
  Pump();
  return true;
}

void TRig::Repaint() {
  auto h = static_cast<HWND>(MouseWindow());
  if (dynamic_cast<TWinControl*>(control)) {
    InvalidateRect(h, nullptr, TRUE);
  } else {
    TRect b = control->BoundsRect();
    RECT r{b.Left, b.Top, b.Right, b.Bottom};
    InvalidateRect(h, &r, TRUE);
  }
  Pump();
}

void TRig::DragOnto(TControl* Source, TPoint From, TPoint To) {
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

void PressOn(TRig& R, int Key, bool Ctrl) {
  auto* w = dynamic_cast<TWinControl*>(R.control);
  if (!w || !R.Focus(w)) return;
  if (Ctrl) SetKeyDown(VK_CONTROL, true);
  PressKey(Key);
  if (Ctrl) SetKeyDown(VK_CONTROL, false);
}

void DoubleClick(TRig& R) {
  R.Mouse({{WM_LBUTTONDOWN, MK_LBUTTON},
           {WM_LBUTTONUP, 0},
           {WM_LBUTTONDBLCLK, MK_LBUTTON},
           {WM_LBUTTONUP, 0}});
}

void BindUserCommand(TRig& R, const std::string& Table, int Key) {
  for (int i = 0; i < R.form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TOvcController*>(R.form->Components(i))) {
      TOvcCmdRec rec;
      rec.Key1 = static_cast<uint8_t>(Key);
      rec.Cmd = kUserCommand;
      c->EntryCommands()->AddCommandRec(Table, rec);
    }
}

}  // namespace tess::testing
