// Drag and drop between the program's controls (see controls.h).  One drag at a time:
// its source, the window that holds the mouse for it, where the left button went down,
// whether it is under way (past the threshold) and the control it is over.
//
// Invariants: source is null or a live control (a control that goes forgets itself
// here); target is null or live; active implies source.  The state is cleared before
// any handler of the ending runs, so a handler may start another drag.
#include <algorithm>
#include <cstdlib>

#include "framework/win/controls.h"
#include "framework/win/forms.h"
#include "platform/win32.h"

namespace tess {

// The drag machine's way to the controls' own drag steps.
struct TDragAccess {
  static void StartDrag(TControl* C, TDragObject*& Object) { C->DoStartDrag(Object); }
  // The press that began a drag clicks nothing when it is released.
  static void Unpress(TControl* C) { C->control_state_ -= TControlStateFlag::csClicked; }
  static void EndDrag(TControl* C, TObject* Target, int32_t X, int32_t Y) {
    C->DoEndDrag(Target, X, Y);
  }
};

namespace {

struct TDragRun {
  TControl* source = nullptr;
  HWND window = nullptr;
  bool active = false;
  TPoint start;  // screen
  int32_t threshold = 5;
  TDragObject* object = nullptr;
  TControl* target = nullptr;
  bool accepted = false;
  TPoint last;  // screen
};

TDragRun g_drag;
int32_t g_threshold = 5;
// The control whose window took the press that began the last drag, until that press
// is released (or another one comes), and the control whose handling is being given
// that release.
const TControl* g_spent = nullptr;
const TControl* g_release_of = nullptr;
TPoint g_down;  // screen point of the last left button down
bool g_down_known = false;

TObject* DragSource() {
  return g_drag.object ? static_cast<TObject*>(g_drag.object) : g_drag.source;
}

void ShowDragCursor() {
  if (!Screen) return;
  SetCursor(reinterpret_cast<HCURSOR>(
      Screen->Cursors(g_drag.accepted ? g_drag.source->DragCursor() : crNoDrop)));
}

// The enabled control under a screen point, windowless ones included.
TControl* ControlAtScreen(TPoint P) {
  TWinControl* w = FindControlOrParent(WindowFromPoint(POINT{P.X, P.Y}));
  if (!w) return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(P), false)) return c;
  return w->Enabled() ? w : nullptr;
}

void MoveTo(TPoint P) {
  g_drag.last = P;
  TControl* t = ControlAtScreen(P);
  TObject* src = DragSource();
  bool dummy = false;
  if (t != g_drag.target) {
    if (TControl* old = g_drag.target) {
      g_drag.target = nullptr;
      TPoint o = old->ScreenToClient(P);
      old->DragOver(src, o.X, o.Y, TDragState::dsDragLeave, dummy);
    }
    g_drag.target = t;
    if (!g_drag.source) return;  // a handler ended the drag
    g_drag.accepted = false;
    if (t) {
      TPoint q = t->ScreenToClient(P);
      bool accept = false;
      t->DragOver(src, q.X, q.Y, TDragState::dsDragEnter, accept);
      if (g_drag.target == t) g_drag.accepted = accept;
    }
  } else if (t) {
    TPoint q = t->ScreenToClient(P);
    bool accept = false;
    t->DragOver(src, q.X, q.Y, TDragState::dsDragMove, accept);
    if (g_drag.target == t) g_drag.accepted = accept;
  }
  if (g_drag.source) ShowDragCursor();
}

void Start() {
  g_drag.active = true;
  g_spent = FindControl(g_drag.window);
  TDragAccess::Unpress(g_drag.source);
  TDragObject* object = nullptr;
  TControlWatch watch(g_drag.source);
  TDragAccess::StartDrag(g_drag.source, object);
  if (!watch.Alive() || !g_drag.source) return;
  g_drag.object = object;
  MoveTo(g_drag.start);
}

// Ends the drag: drops on a target that takes it when Drop, and tells the source.
void Finish(bool Drop) {
  TDragRun run = g_drag;
  g_drag = TDragRun{};
  if (run.window && GetCapture() == run.window) ReleaseCapture();
  if (!run.active) return;
  if (Screen) SetCursor(reinterpret_cast<HCURSOR>(Screen->Cursors(crArrow)));
  TObject* src = run.object ? static_cast<TObject*>(run.object) : run.source;
  TControl* target = run.target;
  bool dropped = Drop && target && run.accepted;
  TControlWatch source_watch(run.source);
  TControlWatch target_watch(target);
  TPoint at = target ? target->ScreenToClient(run.last) : TPoint{0, 0};
  if (dropped) {
    target->DragDrop(src, at.X, at.Y);
  } else if (target) {
    bool dummy = false;
    target->DragOver(src, at.X, at.Y, TDragState::dsDragLeave, dummy);
  }
  // A target its drop handler freed is handed to nobody: the drop ends without one.
  if (!target_watch.Alive()) dropped = false;
  if (source_watch.Alive())
    TDragAccess::EndDrag(run.source, dropped ? target : nullptr, dropped ? at.X : 0,
                         dropped ? at.Y : 0);
}

TPoint MessagePoint(HWND Window, const TMessage& M) {
  POINT p{static_cast<int16_t>(LOWORD(M.LParam)), static_cast<int16_t>(HIWORD(M.LParam))};
  ClientToScreen(Window, &p);
  return TPoint{p.x, p.y};
}

}  // namespace

int32_t DragThreshold() {
  return g_threshold;
}

void SetDragThreshold(int32_t Value) {
  g_threshold = std::max(Value, 0);
}

bool DragReleaseOf(const TControl* Control) {
  return Control && Control == g_release_of;
}

TDragReleaseScope::TDragReleaseScope(const TControl* Control, const TMessage& Message)
    : saved_(g_release_of) {
  if (Message.Msg != WM_LBUTTONUP || !Control || Control != g_spent) return;
  g_spent = nullptr;
  g_release_of = Control;
  active_ = true;
}

TDragReleaseScope::~TDragReleaseScope() {
  if (active_) g_release_of = saved_;
}

bool CancelDrag() {
  if (!g_drag.source) return false;
  Finish(false);
  return true;
}

void TControl::BeginDrag(bool Immediate, int32_t Threshold) {
  if (g_drag.source) return;
  auto* holder = dynamic_cast<TWinControl*>(this);
  if (!holder) holder = Parent();
  if (!holder || !holder->HandleAllocated()) return;
  g_drag = TDragRun{};
  g_drag.source = this;
  g_drag.window = holder->Handle();
  g_drag.threshold = Threshold < 0 ? g_threshold : Threshold;
  // From where the button went down (its message says where, not the cursor now).
  g_drag.start = g_down;
  if (!g_down_known) {
    POINT p{};
    GetCursorPos(&p);
    g_drag.start = TPoint{p.x, p.y};
  }
  if (GetCapture() != g_drag.window) SetCapture(g_drag.window);
  if (Immediate) Start();
}

void TControl::EndDrag(bool Drop) {
  if (g_drag.source == this) Finish(Drop);
}

bool TControl::Dragging() const {
  return g_drag.source == this && g_drag.active;
}

void TControl::DragOver(TObject* Source, int32_t X, int32_t Y, TDragState State, bool& Accept) {
  Accept = static_cast<bool>(OnDragOver);
  // A target its handler freed takes nothing.
  if (!FireEvent(this, OnDragOver, this, Source, X, Y, State, Accept)) Accept = false;
}

void TControl::DragDrop(TObject* Source, int32_t X, int32_t Y) {
  FireEvent(this, OnDragDrop, this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  FireEvent(this, OnStartDrag, this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int32_t X, int32_t Y) {
  FireEvent(this, OnEndDrag, this, Target, X, Y);
}

// Called by every control's mouse handling and destructor.
void NoteMouseDown(TControl* Control, int32_t X, int32_t Y) {
  g_down = Control->ClientToScreen(TPoint{X, Y});
  g_down_known = true;
  g_spent = nullptr;
}

void ForgetDragControl(TControl* Control) {
  if (g_spent == Control) g_spent = nullptr;
  if (g_drag.target == Control) {
    g_drag.target = nullptr;
    g_drag.accepted = false;
  }
  if (g_drag.source == Control) {
    HWND window = g_drag.window;
    g_drag = TDragRun{};
    if (window && GetCapture() == window) ReleaseCapture();
  }
}

bool DragMessage(TWinControl* Control, TMessage& M) {
  if (!g_drag.source || !Control->HandleAllocated() || Control->Handle() != g_drag.window)
    return false;
  HWND window = g_drag.window;
  switch (M.Msg) {
    case WM_MOUSEMOVE: {
      TPoint p = MessagePoint(window, M);
      if (!g_drag.active) {
        // The drag starts once the mouse has moved Threshold pixels either way.
        if (std::abs(p.X - g_drag.start.X) < g_drag.threshold &&
            std::abs(p.Y - g_drag.start.Y) < g_drag.threshold)
          return false;
        Start();
        if (g_drag.source) MoveTo(p);
        return true;
      }
      MoveTo(p);
      return true;
    }
    case WM_LBUTTONUP: {
      if (!g_drag.active) {
        // Released before the threshold: no drag, an ordinary click.
        ForgetDragControl(g_drag.source);
        return false;
      }
      TControlWatch watch(Control);
      g_drag.last = MessagePoint(window, M);
      MoveTo(g_drag.last);
      if (g_drag.source) Finish(true);
      // The control ends its own tracking of the button (a list's selection), unless a
      // handler of the drop freed it; the window procedure's TDragReleaseScope makes it
      // no click.
      if (watch.Alive()) Control->DefaultHandler(M);
      return true;
    }
    case WM_RBUTTONDOWN:
      if (!g_drag.active) return false;
      Finish(false);
      return true;
    case WM_CANCELMODE:
      Finish(false);
      return false;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(M.LParam) != window) Finish(false);
      return false;
    default:
      return false;
  }
}

}  // namespace tess
