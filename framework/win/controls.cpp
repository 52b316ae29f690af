// Controls, the shared window procedure and the window services.
#include "framework/win/controls.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <type_traits>

#include "framework/win/forms.h"
#include "framework/win/menus.h"
#include "platform/win32.h"

namespace tess {

// The drag machine (dragdrop.cpp) hears of every left button down and of every
// control that goes.
void NoteMouseDown(TControl* Control, int32_t X, int32_t Y);
void ForgetDragControl(TControl* Control);

namespace {

// The window property that ties a window to its control.
const char kControlProp[] = "TessControl";
const char kUtilClass[] = "TessUtilWindow";

// The control whose window CreateWindowEx is making: the first message ties them.
TWinControl* g_attach = nullptr;
// The control being created, for the parent's WM_MEASUREITEM during creation.
TWinControl* g_being_created = nullptr;
TControl* g_capture = nullptr;
TControl* g_mouse_control = nullptr;
int g_dispatch_depth = 0;
// While a window is being remade its focus moves are not the user's.
int g_recreating = 0;
// Never destroyed: forms may still be freed while the program exits.
std::vector<TControlCanvas*>& g_canvases = *new std::vector<TControlCanvas*>;
// The windows whose messages are being handled now, innermost last.
std::vector<HWND>& g_busy = *new std::vector<HWND>;
// Windows of freed controls that wait, hidden, for their messages to be done.
std::vector<HWND>& g_doomed = *new std::vector<HWND>;
// On a doomed window: the system procedure its messages still go to.
const char kDoomedProcProp[] = "TessDoomedProc";
std::set<std::string>& g_registered = *new std::set<std::string>;
uint16_t g_next_child_id = 100;

bool IsOwnMessage(uint32_t Msg) {
  return Msg >= CM_BASE && Msg <= 0xBFFF;
}

void BarrierException(TObject* Sender) {
  if (Application) Application->HandleException(Sender);
}

// A message of Wnd or of a window inside it is being handled.
bool WindowBusy(HWND Wnd) {
  for (HWND h : g_busy)
    if (h == Wnd || IsChild(Wnd, h)) return true;
  return false;
}

// Destroys the doomed windows that no message holds any more.
void DestroyIdleWindows() {
  for (size_t i = 0; i < g_doomed.size();) {
    HWND h = g_doomed[i];
    if (IsWindow(h) && WindowBusy(h)) {
      ++i;
      continue;
    }
    g_doomed.erase(g_doomed.begin() + static_cast<std::ptrdiff_t>(i));
    if (IsWindow(h)) DestroyWindow(h);
  }
}

// The messages of a doomed window: its system procedure, if it had one, still runs.
LRESULT DoomedWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* proc = reinterpret_cast<WNDPROC>(GetPropA(Wnd, kDoomedProcProp));
  if (Msg == WM_NCDESTROY) RemovePropA(Wnd, kDoomedProcProp);
  return proc ? CallWindowProcA(proc, Wnd, Msg, WParam, LParam)
              : DefWindowProcA(Wnd, Msg, WParam, LParam);
}

LRESULT CALLBACK ControlWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* ctl = static_cast<TWinControl*>(GetPropA(Wnd, kControlProp));
  if (!ctl) {
    if (!g_attach) return DoomedWindowProc(Wnd, Msg, WParam, LParam);
    ctl = g_attach;
    g_attach = nullptr;
    ctl->AttachHandle(Wnd);
  }
  if (ctl->DestroyingObject()) {
    // The object is being deleted: only the system's own handling runs.
    if (auto* proc = reinterpret_cast<WNDPROC>(ctl->DefWndProc()))
      return CallWindowProcA(proc, Wnd, Msg, WParam, LParam);
    return DefWindowProcA(Wnd, Msg, WParam, LParam);
  }
  TMessage m{Msg, WParam, LParam, 0};
  ++g_dispatch_depth;
  bool alive;
  {
    TWindowMessageScope scope(Wnd);
    TControlWatch watch(ctl);
    try {
      ctl->WindowProc(m);
    } catch (...) {
      BarrierException(watch.Alive() ? ctl : nullptr);
    }
    alive = watch.Alive();
  }
  --g_dispatch_depth;
  if (alive && Msg == WM_NCDESTROY && GetPropA(Wnd, kControlProp) == ctl) ctl->DetachHandle();
  if (g_dispatch_depth == 0) FreeDeviceContexts();
  return m.Result;
}

LRESULT CALLBACK UtilWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  if (!method || !*method) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  TMessage m{Msg, WParam, LParam, 0};
  ++g_dispatch_depth;
  try {
    // From a copy: what it runs may deallocate the window, and the method with it.
    TWndMethod run = *method;
    run(m);
  } catch (...) {
    BarrierException(nullptr);
    m.Result = 0;
  }
  --g_dispatch_depth;
  if (g_dispatch_depth == 0) FreeDeviceContexts();
  return m.Result;
}

void RegisterControlClass(const TCreateParams& P) {
  if (g_registered.count(P.WinClassName)) return;
  WNDCLASSA wc{};
  wc.style = P.WindowClass.style;
  wc.lpfnWndProc = ControlWindowProc;
  wc.cbClsExtra = P.WindowClass.cbClsExtra;
  wc.cbWndExtra = P.WindowClass.cbWndExtra;
  wc.hInstance = HInstance();
  wc.hIcon = P.WindowClass.hIcon;
  wc.hCursor = P.WindowClass.hCursor;
  wc.hbrBackground = P.WindowClass.hbrBackground;
  wc.lpszClassName = P.WinClassName.c_str();
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EInvalidOperation("Cannot register the window class " + P.WinClassName);
  g_registered.insert(P.WinClassName);
}

bool IsWindowed(const TControl* C) {
  return dynamic_cast<const TWinControl*>(C) != nullptr;
}

TMouseButton ButtonOf(uint32_t Msg) {
  switch (Msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return TMouseButton::mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return TMouseButton::mbMiddle;
    default:
      return TMouseButton::mbLeft;
  }
}

// The focus is on Wnd or on one of its descendants.
bool HoldsFocus(HWND Wnd) {
  HWND f = GetFocus();
  return Wnd && f && (f == Wnd || IsChild(Wnd, f));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TControl
// ---------------------------------------------------------------------------------------

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner),
      font_(std::make_unique<TFont>()),
      control_style_{TControlStyleFlag::csCaptureMouse, TControlStyleFlag::csClickEvents,
                     TControlStyleFlag::csSetCaption, TControlStyleFlag::csDoubleClicks} {
  WindowProc = [this](TMessage& M) { WndProc(M); };
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  // Code watching the control stops touching it from here on.
  LifeMark().End();
  ForgetDragControl(this);
  if (g_capture == this) SetCaptureControl(nullptr);
  if (g_mouse_control == this) g_mouse_control = nullptr;
  if (parent_) parent_->RemoveControl(this);
}

void TControl::FontChanged() {
  if (!updating_font_) parent_font_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  // A parent inside its own child would close a loop that change notices run round for ever.
  for (const TControl* p = AParent; p; p = p->Parent())
    if (p == this)
      throw EInvalidOperation("A control cannot have itself or a descendant as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

TComponent* TControl::GetParentComponent() const {
  return parent_;
}

void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

void TControl::SetName(const std::string& NewName) {
  std::string old = Name();
  bool follow = control_style_.Contains(TControlStyleFlag::csSetCaption) &&
                !(ComponentState() & csLoading) && Text() == old;
  TComponent::SetName(NewName);
  // A caption that was the name follows a new name.
  if (follow && !old.empty()) SetText(NewName);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popup_menu_) popup_menu_ = nullptr;
}

void TControl::SetPopupMenu(TPopupMenu* Value) {
  popup_menu_ = Value;
  if (Value) FreeNotification(Value);
}

void TControl::UpdateBoundsRect(const TRect& R) {
  if (R == BoundsRect()) return;
  left_ = R.Left;
  top_ = R.Top;
  width_ = R.Width();
  height_ = R.Height();
  if (parent_ && !parent_->aligning_)
    parent_->Perform(CM_CONTROLCHANGE, 0, reinterpret_cast<intptr_t>(this));
}

void TControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  bool resized = AWidth != width_ || AHeight != height_;
  Invalidate();
  UpdateBoundsRect(Bounds(ALeft, ATop, AWidth, AHeight));
  Invalidate();
  RequestAlign();
  if (resized) Resize();
}

TRect TControl::ClientRect() {
  return Bounds(0, 0, width_, height_);
}

void TControl::SetClientSize(int32_t W, int32_t H) {
  SetBounds(left_, top_, W, H);
}

TPoint TControl::ClientOrigin() {
  if (!parent_) return {left_, top_};
  TPoint p = parent_->ClientOrigin();
  return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X + o.X, P.Y + o.Y};
}

TPoint TControl::ScreenToClient(TPoint P) {
  TPoint o = ClientOrigin();
  return {P.X - o.X, P.Y - o.Y};
}

void TControl::RequestAlign() {
  if (parent_ && align_ != TAlign::alNone) parent_->Realign();
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  if (parent_) parent_->Realign();
}

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  if (!Value) Invalidate();
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0);
  if (Value) Invalidate();
  RequestAlign();
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor Value) {
  if (color_ == Value) {
    parent_color_ = false;
    return;
  }
  color_ = Value;
  parent_color_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool Value) {
  if (parent_color_ == Value) return;
  parent_color_ = Value;
  if (Value && parent_) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentFont(bool Value) {
  if (parent_font_ == Value) return;
  parent_font_ = Value;
  if (Value && parent_) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetCtl3D(bool Value) {
  parent_ctl3d_ = false;
  if (ctl3d_ == Value) return;
  ctl3d_ = Value;
  Perform(CM_CTL3DCHANGED);
}

void TControl::SetParentCtl3D(bool Value) {
  if (parent_ctl3d_ == Value) return;
  parent_ctl3d_ = Value;
  if (Value && parent_) Perform(CM_PARENTCTL3DCHANGED);
}

void TControl::SetShowHint(bool Value) {
  parent_show_hint_ = false;
  if (show_hint_ == Value) return;
  show_hint_ = Value;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool Value) {
  if (parent_show_hint_ == Value) return;
  parent_show_hint_ = Value;
  if (Value && parent_) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetCursor(TCursor Value) {
  if (cursor_ == Value) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED);
}

std::string TControl::Text() {
  intptr_t len = Perform(WM_GETTEXTLENGTH);
  if (len <= 0) return {};
  std::string buf(static_cast<size_t>(len) + 1, '\0');
  intptr_t got = Perform(WM_GETTEXT, buf.size(), reinterpret_cast<intptr_t>(buf.data()));
  buf.resize(static_cast<size_t>(std::clamp<intptr_t>(got, 0, len)));
  return buf;
}

void TControl::SetText(const std::string& Value) {
  if (Text() == Value) return;
  Perform(WM_SETTEXT, 0, reinterpret_cast<intptr_t>(Value.c_str()));
  Perform(CM_TEXTCHANGED);
}

intptr_t TControl::Perform(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
  TMessage m{Msg, WParam, LParam, 0};
  // The control's work ends when a handler frees it: the caller goes on.
  RunUntilFreed(this, [&] { WindowProc(m); });
  return m.Result;
}

void TControl::HandleMouseMessage(TMessage& M) {
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (control_style_.Contains(TControlStyleFlag::csCaptureMouse)) SetMouseCapture(true);
      if (control_style_.Contains(TControlStyleFlag::csClickEvents))
        control_state_ += TControlStateFlag::csClicked;
      control_state_ += TControlStateFlag::csLButtonDown;
      NoteMouseDown(this, M.XPos(), M.YPos());
      // The press goes on as usual (a list still selects the row it is on); the drag
      // starts only once the mouse moves far enough.
      if (M.Msg == WM_LBUTTONDOWN && drag_mode_ == TDragMode::dmAutomatic) BeginDrag(false);
      break;
    case WM_LBUTTONUP:
      control_state_ -= TControlStateFlag::csLButtonDown;
      if (control_style_.Contains(TControlStyleFlag::csCaptureMouse)) SetMouseCapture(false);
      break;
    case WM_MOUSEMOVE:
      if (g_mouse_control != this) {
        TControl* old = g_mouse_control;
        g_mouse_control = this;
        if (old) old->Perform(CM_MOUSELEAVE);
        if (g_mouse_control == this) {
          TControlWatch watch(this);
          Perform(CM_MOUSEENTER);
          if (!watch.Alive()) return;
        }
      }
      if (Application) Application->HintMouseMessage(this);
      break;
    default:
      break;
  }
}

void TControl::WndProc(TMessage& M) {
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST) {
    TControlWatch watch(this);
    HandleMouseMessage(M);
    if (!watch.Alive()) return;
  }
  Dispatch(M);
}

void TControl::Dispatch(TMessage& M) {
  // The mouse events may free the control: then its default handling is left undone.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(ButtonOf(M.Msg), MouseShiftState(M.WParam), M.XPos(), M.YPos());
      break;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (M.Msg == WM_LBUTTONDBLCLK && control_style_.Contains(TControlStyleFlag::csClickEvents)) {
        DblClick();
        if (!watch.Alive()) return;
      }
      MouseDown(ButtonOf(M.Msg), MouseShiftState(M.WParam) + TShiftFlag::ssDouble, M.XPos(),
                M.YPos());
      break;
    case WM_LBUTTONUP:
      if (control_state_.Contains(TControlStateFlag::csClicked)) {
        control_state_ -= TControlStateFlag::csClicked;
        if (ClientRect().Contains({M.XPos(), M.YPos()})) Click();
        if (!watch.Alive()) return;
      }
      MouseUp(TMouseButton::mbLeft, MouseShiftState(M.WParam), M.XPos(), M.YPos());
      break;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      MouseUp(ButtonOf(M.Msg), MouseShiftState(M.WParam), M.XPos(), M.YPos());
      break;
    case WM_MOUSEMOVE:
      MouseMove(MouseShiftState(M.WParam), M.XPos(), M.YPos());
      break;
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
      if (!IsWindowed(this)) Invalidate();
      break;
    case CM_PARENTCOLORCHANGED:
      if (parent_color_ && parent_ && color_ != parent_->Color()) {
        color_ = parent_->Color();
        Perform(CM_COLORCHANGED);
      }
      return;
    case CM_PARENTFONTCHANGED:
      if (parent_font_ && parent_) {
        updating_font_ = true;
        try {
          font_->Assign(parent_->Font());
        } catch (...) {
          updating_font_ = false;
          throw;
        }
        updating_font_ = false;
      }
      return;
    case CM_PARENTCTL3DCHANGED:
      if (parent_ctl3d_ && parent_ && ctl3d_ != parent_->Ctl3D()) {
        ctl3d_ = parent_->Ctl3D();
        Perform(CM_CTL3DCHANGED);
      }
      return;
    case CM_PARENTSHOWHINTCHANGED:
      if (parent_show_hint_ && parent_ && show_hint_ != parent_->ShowHint()) {
        show_hint_ = parent_->ShowHint();
        Perform(CM_SHOWHINTCHANGED);
      }
      return;
    default:
      break;
  }
  if (watch.Alive()) DefaultHandler(M);
}

void TControl::DefaultHandler(TMessage& M) {
  // A control without a window keeps its text itself.
  switch (M.Msg) {
    case WM_GETTEXTLENGTH:
      M.Result = static_cast<intptr_t>(text_.size());
      return;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char*>(M.LParam);
      if (!buf || M.WParam == 0) {
        M.Result = 0;
        return;
      }
      size_t n = std::min(text_.size(), static_cast<size_t>(M.WParam) - 1);
      std::copy_n(text_.data(), n, buf);
      buf[n] = '\0';
      M.Result = static_cast<intptr_t>(n);
      return;
    }
    case WM_SETTEXT: {
      auto* s = reinterpret_cast<const char*>(M.LParam);
      text_ = s ? s : "";
      M.Result = 1;
      return;
    }
    default:
      M.Result = 0;
      return;
  }
}

void TControl::Click() {
  FireEvent(this, OnClick, this);
}

void TControl::DblClick() {
  FireEvent(this, OnDblClick, this);
}

void TControl::Resize() {
  FireEvent(this, OnResize, this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (!control_style_.Contains(TControlStyleFlag::csNoStdEvents))
    FireEvent(this, OnMouseDown, this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
  if (!control_style_.Contains(TControlStyleFlag::csNoStdEvents))
    FireEvent(this, OnMouseUp, this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int32_t X, int32_t Y) {
  if (!control_style_.Contains(TControlStyleFlag::csNoStdEvents))
    FireEvent(this, OnMouseMove, this, Shift, X, Y);
}

void TControl::Invalidate() {
  if (!parent_ || !parent_->HandleAllocated() || !visible_) return;
  TRect r = BoundsRect();
  InvalidateRect(parent_->Handle(), reinterpret_cast<const RECT*>(&r),
                 !control_style_.Contains(TControlStyleFlag::csOpaque));
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

bool TControl::IsShowing() const {
  if (!visible_) return false;
  return parent_ ? parent_->IsShowing() : false;
}

void TControl::BringToFront() {
  if (!parent_) {
    // A top-level window goes to the top of the desktop's z-order, keeping the focus
    // where it is.
    if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->HandleAllocated())
      SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.push_back(this);
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    parent_->UpdateControlZOrder(w);
  } else {
    Invalidate();
  }
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(list.begin(), this);
  if (auto* w = dynamic_cast<TWinControl*>(this)) {
    parent_->UpdateControlZOrder(w);
  } else {
    Invalidate();
  }
}

bool TControl::MouseCapture() const {
  return g_capture == this;
}

void TControl::SetMouseCapture(bool Value) {
  if (Value) {
    SetCaptureControl(this);
  } else if (g_capture == this) {
    SetCaptureControl(nullptr);
  }
}

namespace {
const std::vector<std::string> kAlignIdents = {"alNone", "alTop",   "alBottom",
                                               "alLeft", "alRight", "alClient"};
}

void TControl::PublishProperties(TPropertyList& P) {
  TComponent::PublishProperties(P);
  P.Integer(
      "Left", [this] { return left_; }, [this](int32_t v) { SetLeft(v); });
  P.Integer(
      "Top", [this] { return top_; }, [this](int32_t v) { SetTop(v); });
  P.Integer(
      "Width", [this] { return width_; }, [this](int32_t v) { SetWidth(v); });
  P.Integer(
      "Height", [this] { return height_; }, [this](int32_t v) { SetHeight(v); });
  P.Enum<TAlign>(
       "Align", kAlignIdents, [this] { return align_; }, [this](TAlign v) { SetAlign(v); })
      .Default(0);
  P.Boolean(
       "Visible", [this] { return visible_; }, [this](bool v) { SetVisible(v); })
      .Default(1);
  P.Boolean(
       "Enabled", [this] { return enabled_; }, [this](bool v) { SetEnabled(v); })
      .Default(1);
  P.Integer(
       "Color", [this] { return color_; }, [this](int32_t v) { SetColor(v); })
      .Stored([this] { return !parent_color_; });
  P.Boolean(
      "ParentColor", [this] { return parent_color_; }, [this](bool v) { SetParentColor(v); });
  P.Object("Font", [this] { return font_.get(); }).Stored([this] { return !parent_font_; });
  P.Boolean(
      "ParentFont", [this] { return parent_font_; }, [this](bool v) { SetParentFont(v); });
  P.Boolean(
       "Ctl3D", [this] { return ctl3d_; }, [this](bool v) { SetCtl3D(v); })
      .Stored([this] { return !parent_ctl3d_; });
  P.Boolean(
      "ParentCtl3D", [this] { return parent_ctl3d_; }, [this](bool v) { SetParentCtl3D(v); });
  P.Integer(
       "Cursor", [this] { return int32_t(cursor_); },
       [this](int32_t v) { SetCursor(static_cast<TCursor>(v)); })
      .Default(0);
  P.Enum<TDragMode>(
       "DragMode", {"dmManual", "dmAutomatic"}, [this] { return drag_mode_; },
       [this](TDragMode v) { SetDragMode(v); })
      .Default(0);
  P.Integer(
       "DragCursor", [this] { return int32_t(drag_cursor_); },
       [this](int32_t v) { SetDragCursor(static_cast<TCursor>(v)); })
      .Default(crDrag);
  P.String(
      "Hint", [this] { return hint_; }, [this](const std::string& v) { SetHint(v); });
  P.Boolean(
       "ShowHint", [this] { return show_hint_; }, [this](bool v) { SetShowHint(v); })
      .Stored([this] { return !parent_show_hint_; });
  P.Boolean(
      "ParentShowHint", [this] { return parent_show_hint_; },
      [this](bool v) { SetParentShowHint(v); });
  P.Component(
      "PopupMenu", [this] { return static_cast<TComponent*>(popup_menu_); },
      [this](TComponent* C) { SetPopupMenu(dynamic_cast<TPopupMenu*>(C)); });
}

// ---------------------------------------------------------------------------------------
// TWinControl
// ---------------------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner)
    : TControl(AOwner), brush_(std::make_unique<TBrush>()) {
  brush_->SetColor(Color());
  child_id_ = g_next_child_id++;
  if (g_next_child_id == 0xFFFF) g_next_child_id = 100;
}

TWinControl::~TWinControl() {
  Destroying();
  destroying_object_ = true;
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, true);
  if (parent_) parent_->RemoveControl(this);
  // Child controls go with their parent, whoever owns them.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    delete c;
    if (!controls_.empty() && controls_.back() == c) controls_.pop_back();
  }
  if (handle_) {
    FreeDeviceContexts();
    HWND h = handle_;
    if (WindowBusy(h)) {
      // Freed by a handler of a message of this window (or of one inside it): the
      // system's code of that message still runs on the window, so it goes afterwards.
      DetachHandle();
      if (def_wnd_proc_) SetPropA(h, kDoomedProcProp, def_wnd_proc_);
      g_doomed.push_back(h);
      ShowWindow(h, SW_HIDE);
    } else {
      DestroyWindow(h);
      if (handle_) DetachHandle();
    }
  }
  if (g_capture == this) g_capture = nullptr;
  if (g_mouse_control == this) g_mouse_control = nullptr;
}

void TWinControl::AttachHandle(HWnd Wnd) {
  handle_ = Wnd;
  SetPropA(Wnd, kControlProp, this);
}

void TWinControl::DetachHandle() {
  if (!handle_) return;
  RemovePropA(handle_, kControlProp);
  handle_ = nullptr;
}

HWnd TWinControl::Handle() {
  if (!handle_) {
    if (parent_ && !parent_->HandleAllocated()) parent_->HandleNeeded();
    if (!handle_) CreateHandle();
  }
  return handle_;
}

void TWinControl::SetParentWindow(HWnd Value) {
  if (parent_window_ == Value) return;
  parent_window_ = Value;
  if (!parent_ && handle_) {
    if (Value)
      ::SetParent(handle_, Value);
    else
      DestroyHandle();
  }
}

void TWinControl::CreateParams(TCreateParams& P) {
  P.Caption = TextField();
  P.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (ControlStyle().Contains(TControlStyleFlag::csAcceptsControls)) P.Style |= WS_CLIPCHILDREN;
  if (Visible()) P.Style |= WS_VISIBLE;
  if (!Enabled()) P.Style |= WS_DISABLED;
  if (tab_stop_) P.Style |= WS_TABSTOP;
  P.X = Left();
  P.Y = Top();
  P.Width = Width();
  P.Height = Height();
  P.WndParent = parent_ ? parent_->Handle() : parent_window_;
  P.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
  if (ControlStyle().Contains(TControlStyleFlag::csDoubleClicks)) P.WindowClass.style |= CS_DBLCLKS;
  P.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  P.WinClassName = "Tess" + ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& P, const char* SystemClassName) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, SystemClassName, &wc))
    throw EInvalidOperation(std::string("No window class ") + SystemClassName);
  P.WindowClass.style = wc.style & ~static_cast<UINT>(CS_GLOBALCLASS);
  P.WindowClass.cbClsExtra = wc.cbClsExtra;
  P.WindowClass.cbWndExtra = wc.cbWndExtra;
  P.WindowClass.hIcon = wc.hIcon;
  P.WindowClass.hCursor = wc.hCursor;
  P.WindowClass.hbrBackground = wc.hbrBackground;
  P.SystemWndProc = reinterpret_cast<void*>(wc.lpfnWndProc);
}

void TWinControl::CreateWindowHandle(const TCreateParams& P) {
  HMENU id =
      (P.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<uintptr_t>(child_id_)) : nullptr;
  TWinControl* saved_created = g_being_created;
  g_attach = this;
  g_being_created = this;
  HWND h = CreateWindowExA(P.ExStyle, P.WinClassName.c_str(), P.Caption.c_str(), P.Style, P.X, P.Y,
                           P.Width, P.Height, P.WndParent, id, HInstance(), P.Param);
  g_attach = nullptr;
  g_being_created = saved_created;
  if (h && !handle_) AttachHandle(h);
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent)
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  def_wnd_proc_ = p.SystemWndProc;
  RegisterControlClass(p);
  CreateWindowHandle(p);
  if (!handle_) throw EInvalidOperation("Error creating window of " + ClassName());
  UpdateWindowFont();
  if (!(p.Style & WS_CHILD) || p.X == static_cast<int32_t>(CW_USEDEFAULT)) UpdateBounds();
  // A client size asked for before the window existed was only an estimate of the frame.
  if (has_pending_client_) SetClientSize(pending_client_.cx, pending_client_.cy);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  IncludeControlState(TControlStateFlag::csCreating);
  try {
    CreateWnd();
  } catch (...) {
    ExcludeControlState(TControlStateFlag::csCreating);
    throw;
  }
  ExcludeControlState(TControlStateFlag::csCreating);
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandle();
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_)
      SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  Realign();
}

void TWinControl::DestroyWnd() {
  // Children save their own state first.
  for (TControl* c : controls_)
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  int len = GetWindowTextLengthA(handle_);
  std::string text(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
  int got = GetWindowTextA(handle_, text.data(), len + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  TextField() = text;
  FreeDeviceContexts();
  if (g_capture == this || (g_capture && ContainsControl(g_capture))) g_capture = nullptr;
  HWND h = handle_;
  DestroyWindow(h);
  if (handle_) DetachHandle();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  HWND focus = GetFocus();
  TWinControl* focused = HoldsFocus(handle_) ? FindControlOrParent(focus) : nullptr;
  ++g_recreating;
  IncludeControlState(TControlStateFlag::csRecreating);
  try {
    DestroyHandle();
    CreateHandle();
  } catch (...) {
    --g_recreating;
    ExcludeControlState(TControlStateFlag::csRecreating);
    throw;
  }
  if (focused && focused->HandleAllocated()) ::SetFocus(focused->Handle());
  ExcludeControlState(TControlStateFlag::csRecreating);
  --g_recreating;
}

void TWinControl::InsertControl(TControl* C) {
  C->parent_ = this;
  controls_.push_back(C);
  if (auto* w = dynamic_cast<TWinControl*>(C)) tab_list_.push_back(w);
  C->Perform(CM_PARENTCOLORCHANGED);
  C->Perform(CM_PARENTFONTCHANGED);
  C->Perform(CM_PARENTCTL3DCHANGED);
  C->Perform(CM_PARENTSHOWHINTCHANGED);
  if (C->Align() != TAlign::alNone) Realign();
  Perform(CM_CONTROLLISTCHANGE, 1, reinterpret_cast<intptr_t>(C));
  if (!IsWindowed(C)) C->Invalidate();
}

void TWinControl::RemoveControl(TControl* C) {
  if (!IsWindowed(C)) C->Invalidate();
  if (g_capture == C) SetCaptureControl(nullptr);
  if (g_mouse_control == C) g_mouse_control = nullptr;
  if (auto* w = dynamic_cast<TWinControl*>(C)) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(w, true);
    tab_list_.erase(std::remove(tab_list_.begin(), tab_list_.end(), w), tab_list_.end());
  }
  controls_.erase(std::remove(controls_.begin(), controls_.end(), C), controls_.end());
  C->parent_ = nullptr;
  if (!(ComponentState() & csDestroying)) {
    Perform(CM_CONTROLLISTCHANGE, 0, reinterpret_cast<intptr_t>(C));
    if (C->Align() != TAlign::alNone) Realign();
  }
}

void TWinControl::SetVisible(bool Value) {
  if (Visible() == Value) return;
  if (!Value && handle_ && HoldsFocus(handle_)) {
    // The focus leaves a window that disappears.
    if (TCustomForm* form = GetParentForm(this); form && form != this) {
      TWinControl* next = form->FindNextControl(this, true, true);
      TControl::SetVisible(false);
      TControlWatch watch(this);  // OnExit may free the control
      if (next && next != this && !ContainsControl(next) && next->CanFocus())
        next->SetFocus();
      else if (form->HandleAllocated())
        ::SetFocus(form->Handle());
      if (watch.Alive()) ShowWindow(handle_, SW_HIDE);
      return;
    }
  }
  TControl::SetVisible(Value);
  if (handle_) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (Value ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
}

bool TWinControl::IsShowing() const {
  if (!Visible()) return false;
  if (Parent()) return Parent()->IsShowing();
  return handle_ && IsWindowVisible(handle_);
}

void TWinControl::SetParent(TWinControl* AParent) {
  if (Parent() == AParent) return;
  HWND focus = GetFocus();
  bool had_focus = handle_ && HoldsFocus(handle_);
  TControl::SetParent(AParent);
  if (handle_) {
    HWND target =
        AParent ? (AParent->HandleAllocated() ? AParent->handle_ : nullptr) : parent_window_;
    if (target) {
      ::SetParent(handle_, target);
      SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE);
      if (had_focus && IsWindow(focus)) {
        // Moving the focused window takes the focus away; give it back.
        HWND top = GetAncestor(focus, GA_ROOT);
        if (GetForegroundWindow() != top) SetForegroundWindow(top);
        ::SetFocus(focus);
      }
    } else {
      DestroyHandle();
    }
  } else if (AParent && AParent->HandleAllocated()) {
    CreateHandle();
  }
}

TControl* TWinControl::ControlAtPos(TPoint P, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && IsWindowed(c)) continue;
    if (!c->Visible() || (!AllowDisabled && !c->Enabled())) continue;
    if (c->BoundsRect().Contains(P)) return c;
  }
  return nullptr;
}

bool TWinControl::ContainsControl(const TControl* Control) const {
  for (const TControl* c = Control; c; c = c->Parent())
    if (c == this) return true;
  return false;
}

bool TWinControl::Focused() const {
  return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const {
  TCustomForm* form = GetParentForm(this);
  const TWinControl* top = this;
  for (const TWinControl* w = this; w; w = w->Parent()) {
    if (!w->Visible() || !w->Enabled()) return false;
    top = w;
  }
  if (form && top != form) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->FocusControl(this);
  else
    ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool Value) {
  if (tab_stop_ == Value) return;
  tab_stop_ = Value;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    style = Value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrA(handle_, GWL_STYLE, style);
  }
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  const auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!Parent()) return;
  auto& list = Parent()->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  Value = std::clamp(Value, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* w : tab_list_) {
    List.push_back(w);
    w->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  int n = static_cast<int>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  // Without a current control, start before the first (or after the last).
  int start = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
    TWinControl* w = list[static_cast<size_t>(i)];
    if (w == CurControl) continue;
    if ((!CheckTabStop || w->TabStop()) && w->CanFocus()) return w;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop)) next->SetFocus();
}

bool TWinControl::PreProcessKey(const TMsg& Msg) {
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  uint16_t key = static_cast<uint16_t>(Msg.wParam);
  if (Perform(CM_WANTSPECIALKEY, key, Msg.lParam) != 0) return false;
  UINT mask = 0;
  switch (key) {
    case VK_TAB:
      mask = DLGC_WANTTAB;
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
      mask = DLGC_WANTARROWS;
      break;
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_EXECUTE:
    case VK_CANCEL:
      mask = DLGC_WANTALLKEYS;
      break;
    default:
      return false;
  }
  // No message goes with the question: the system's edit takes one as a sign that it
  // sits in a dialog, and then drops the tabs it should keep.
  LRESULT code = SendMessageA(Msg.hwnd, WM_GETDLGCODE, key, 0);
  if (code & (mask | DLGC_WANTMESSAGE)) return false;
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  return form->Perform(CM_DIALOGKEY, key, Msg.lParam) != 0;
}

void TWinControl::DisableAlign() {
  ++align_disabled_;
}

void TWinControl::EnableAlign() {
  if (align_disabled_ > 0 && --align_disabled_ == 0 &&
      ControlState().Contains(TControlStateFlag::csAlignmentNeeded))
    Realign();
}

void TWinControl::Realign() {
  if (align_disabled_ > 0) {
    IncludeControlState(TControlStateFlag::csAlignmentNeeded);
    return;
  }
  if (aligning_) return;
  aligning_ = true;
  try {
    TRect r = ClientRect();
    AdjustClientRect(r);
    AlignControls(nullptr, r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
  ExcludeControlState(TControlStateFlag::csAlignmentNeeded);
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls(TControl*, TRect& R) {
  static const TAlign kOrder[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight,
                                  TAlign::alClient};
  for (TAlign a : kOrder) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == a && c->Visible()) list.push_back(c);
    // Controls of one edge keep the order their positions give them.
    auto key = [a](const TControl* c) {
      switch (a) {
        case TAlign::alTop:
          return c->Top();
        case TAlign::alBottom:
          return -(c->Top() + c->Height());
        case TAlign::alLeft:
          return c->Left();
        case TAlign::alRight:
          return -(c->Left() + c->Width());
        default:
          return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(),
                     [&](const TControl* x, const TControl* y) { return key(x) < key(y); });
    // A control freed by its own OnResize leaves its room to the next.
    std::vector<TControlWatch> watches;
    watches.reserve(list.size());
    for (TControl* c : list) watches.emplace_back(c);
    for (size_t i = 0; i < list.size(); ++i) {
      if (!watches[i].Alive()) continue;
      TControl* c = list[i];
      int32_t w = std::max(R.Width(), 0), h = std::max(R.Height(), 0);
      switch (a) {
        case TAlign::alTop:
          c->SetBounds(R.Left, R.Top, w, c->Height());
          if (watches[i].Alive()) R.Top += c->Height();
          break;
        case TAlign::alBottom:
          c->SetBounds(R.Left, R.Bottom - c->Height(), w, c->Height());
          if (watches[i].Alive()) R.Bottom -= c->Height();
          break;
        case TAlign::alLeft:
          c->SetBounds(R.Left, R.Top, c->Width(), h);
          if (watches[i].Alive()) R.Left += c->Width();
          break;
        case TAlign::alRight:
          c->SetBounds(R.Right - c->Width(), R.Top, c->Width(), h);
          if (watches[i].Alive()) R.Right -= c->Width();
          break;
        case TAlign::alClient:
          c->SetBounds(R.Left, R.Top, w, h);
          break;
        default:
          break;
      }
    }
  }
}

void TWinControl::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  if (!handle_ && has_pending_client_ && (AWidth != Width() || AHeight != Height()))
    has_pending_client_ = false;
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == Left() && ATop == Top() && AWidth == Width() && AHeight == Height()) return;
  if (handle_ && !IsIconic(handle_)) {
    TControlWatch watch(this);  // OnResize runs inside, and may free the control
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (!watch.Alive()) return;
    // The window may refuse a size (minimum tracking size): the fields follow it.
    UpdateBounds();
  } else {
    bool resized = AWidth != Width() || AHeight != Height();
    UpdateBoundsRect(Bounds(ALeft, ATop, AWidth, AHeight));
    if (resized) Realign();
  }
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!handle_ || IsIconic(handle_)) return;
  RECT r{};
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) {
    if (HWND p = GetParent(handle_)) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  }
  UpdateBoundsRect({r.left, r.top, r.right, r.bottom});
}

TRect TWinControl::ClientRect() {
  if (handle_) {
    RECT r{};
    GetClientRect(handle_, &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  if (has_pending_client_) return Bounds(0, 0, pending_client_.cx, pending_client_.cy);
  return TControl::ClientRect();
}

TPoint TWinControl::ClientOrigin() {
  if (handle_) {
    POINT p{0, 0};
    ::ClientToScreen(handle_, &p);
    return {p.x, p.y};
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetClientSize(int32_t W, int32_t H) {
  if (handle_) {
    has_pending_client_ = false;
    TRect c = ClientRect();
    SetBounds(Left(), Top(), Width() + (W - c.Width()), Height() + (H - c.Height()));
    return;
  }
  TCreateParams p;
  CreateParams(p);
  RECT r{0, 0, W, H};
  AdjustWindowRectEx(&r, p.Style, FALSE, p.ExStyle);
  SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
  pending_client_ = {W, H};
  has_pending_client_ = true;
}

void TWinControl::Invalidate() {
  if (handle_)
    InvalidateRect(handle_, nullptr, !ControlStyle().Contains(TControlStyleFlag::csOpaque));
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::UpdateControlZOrder(TWinControl* Child) {
  if (!Child->handle_) return;
  // The child goes just above the windowed sibling below it in the list.
  HWND after = HWND_BOTTOM;
  for (TControl* c : controls_) {
    if (c == Child) break;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->handle_) after = w->handle_;
  }
  if (after == HWND_BOTTOM) {
    SetWindowPos(Child->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    // SetWindowPos places a window below the one given; "just above" means below the
    // next higher one, which is the same as placing it after `after` from the top.
    SetWindowPos(Child->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (auto it = std::find(controls_.begin(), controls_.end(), Child) + 1; it != controls_.end();
         ++it)
      if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->handle_)
        SetWindowPos(w->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::UpdateWindowFont() {
  if (handle_) Perform(WM_SETFONT, reinterpret_cast<uintptr_t>(Font()->Handle()), 0);
}

void TWinControl::NotifyControls(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
  for (TControl* c : std::vector<TControl*>(controls_)) c->Perform(Msg, WParam, LParam);
}

void TWinControl::PaintWindow(HDc) {}

void TWinControl::PaintControls(HDc DC, TControl* First) {
  bool started = First == nullptr;
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (!started) {
      started = c == First;
      if (!started) continue;
    }
    if (IsWindowed(c) || !c->Visible()) continue;
    TRect r = c->BoundsRect();
    if (!RectVisible(DC, reinterpret_cast<const RECT*>(&r))) continue;
    int saved = SaveDC(DC);
    IntersectClipRect(DC, r.Left, r.Top, r.Right, r.Bottom);
    OffsetViewportOrgEx(DC, r.Left, r.Top, nullptr);
    try {
      c->Perform(WM_PAINT, reinterpret_cast<uintptr_t>(DC), 0);
    } catch (...) {
      RestoreDC(DC, saved);
      throw;
    }
    RestoreDC(DC, saved);
  }
}

void TWinControl::PaintHandler(TMessage& M) {
  // A handler run while painting may free the control: its window lives on until the
  // message is done, so the paint is ended on the window, not through the control.
  TControlWatch watch(this);
  if (M.WParam) {
    PaintWindow(reinterpret_cast<HDC>(M.WParam));
    if (watch.Alive()) PaintControls(reinterpret_cast<HDC>(M.WParam));
    return;
  }
  HWND window = handle_;
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(window, &ps);
  try {
    PaintWindow(dc);
    if (watch.Alive()) PaintControls(dc);
  } catch (...) {
    EndPaint(window, &ps);
    throw;
  }
  EndPaint(window, &ps);
}

void TWinControl::PaintTo(HDc DC, int32_t X, int32_t Y) {
  HandleNeeded();
  int saved = SaveDC(DC);
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  IntersectClipRect(DC, 0, 0, Width(), Height());
  // The client area sits inside the border.
  POINT origin{0, 0};
  ::ClientToScreen(handle_, &origin);
  RECT wr{};
  GetWindowRect(handle_, &wr);
  int cx = origin.x - wr.left, cy = origin.y - wr.top;
  OffsetViewportOrgEx(DC, cx, cy, nullptr);
  Perform(WM_PRINTCLIENT, reinterpret_cast<uintptr_t>(DC), PRF_CLIENT | PRF_ERASEBKGND);
  RestoreDC(DC, saved);
  for (TControl* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->Visible()) w->PaintTo(DC, X + cx + w->Left(), Y + cy + w->Top());
  }
}

bool TWinControl::CreateCaret(HBitmap Bitmap, int32_t Width, int32_t Height, bool Gray) {
  HBITMAP shape = Bitmap ? Bitmap : (Gray ? reinterpret_cast<HBITMAP>(1) : nullptr);
  return ::CreateCaret(Handle(), shape, Width, Height) != 0;
}

void TWinControl::DestroyCaret() {
  ::DestroyCaret();
}
void TWinControl::ShowCaret() {
  ::ShowCaret(Handle());
}
void TWinControl::HideCaret() {
  ::HideCaret(Handle());
}
void TWinControl::SetCaretPos(int32_t X, int32_t Y) {
  ::SetCaretPos(X, Y);
}

void TWinControl::DoEnter() {
  FireEvent(this, OnEnter, this);
}

void TWinControl::DoExit() {
  FireEvent(this, OnExit, this);
}

namespace {

// The form's preview of a key, then the control's own key step; true when the key was
// taken (a handler cleared it, or freed the control).
template <class K, class Step>
bool KeyEvent(TWinControl* Control, TMessage& M, K Key, bool (TWinControl::*Preview)(TMessage&),
              Step ControlStep) {
  TControlWatch watch(Control);
  TCustomForm* form = GetParentForm(Control);
  if (form && form != Control && form->KeyPreview() &&
      (static_cast<TWinControl*>(form)->*Preview)(M))
    return true;
  if (!watch.Alive()) return true;
  ControlStep(Key);
  if (!watch.Alive() || Key == 0) return true;
  M.WParam = static_cast<std::make_unsigned_t<K>>(Key);
  return false;
}

}  // namespace

bool TWinControl::DoKeyDown(TMessage& M) {
  return KeyEvent(this, M, M.WParamLo(), &TWinControl::DoKeyDown,
                  [&](uint16_t& Key) { KeyDown(Key, KeyDataToShiftState(M.LParam)); });
}

bool TWinControl::DoKeyUp(TMessage& M) {
  return KeyEvent(this, M, M.WParamLo(), &TWinControl::DoKeyUp,
                  [&](uint16_t& Key) { KeyUp(Key, KeyDataToShiftState(M.LParam)); });
}

bool TWinControl::DoKeyPress(TMessage& M) {
  return KeyEvent(this, M, static_cast<char>(M.WParam & 0xFF), &TWinControl::DoKeyPress,
                  [&](char& Key) { KeyPress(Key); });
}

// A key whose handler freed its control is taken: overrides that go on when the key is
// not 0 leave the freed control alone.
void TWinControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  if (!FireEvent(this, OnKeyDown, this, Key, Shift)) Key = 0;
}

void TWinControl::KeyUp(uint16_t& Key, TShiftState Shift) {
  if (!FireEvent(this, OnKeyUp, this, Key, Shift)) Key = 0;
}

void TWinControl::KeyPress(char& Key) {
  if (!FireEvent(this, OnKeyPress, this, Key)) Key = 0;
}

bool TWinControl::RouteMouseToChild(TMessage& M) {
  if (!handle_) return false;
  TControl* target = nullptr;
  if (g_capture && g_capture != this) {
    if (g_capture->Parent() == this && !IsWindowed(g_capture)) target = g_capture;
  } else if (!g_capture) {
    TControl* c = ControlAtPos({M.XPos(), M.YPos()}, false);
    if (c) target = c;
  }
  if (!target) return false;
  TMessage m = M;
  m.LParam = MakeLParam(M.XPos() - target->Left(), M.YPos() - target->Top());
  target->WindowProc(m);
  M.Result = m.Result;
  return true;
}

void TWinControl::WndProc(TMessage& M) {
  TDragReleaseScope release(this, M);
  {
    // Ending a drag runs the drag's handlers, which may free this control.
    TControlWatch watch(this);
    if (DragMessage(this, M) || !watch.Alive()) return;
  }
  if (M.Msg >= WM_MOUSEFIRST && M.Msg <= WM_MOUSELAST && M.Msg != WM_MOUSEWHEEL) {
    if (RouteMouseToChild(M)) return;
    if (M.Msg == WM_MOUSEMOVE && handle_ && !tracking_mouse_) {
      TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, handle_, 0};
      tracking_mouse_ = TrackMouseEvent(&tme) != 0;
    }
  }
  TControl::WndProc(M);
}

void TWinControl::ReflectNotification(TMessage& M) {
  TWinControl* child = nullptr;
  uint32_t reflected = CN_BASE + M.Msg;
  switch (M.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      if (M.LParam) child = FindControl(reinterpret_cast<HWND>(M.LParam));
      break;
    case WM_NOTIFY:
      if (auto* h = reinterpret_cast<NMHDR*>(M.LParam)) child = FindControl(h->hwndFrom);
      break;
    case WM_DRAWITEM:
      if (auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam); d && d->CtlType != ODT_MENU)
        child = FindControl(d->hwndItem);
      break;
    case WM_DELETEITEM:
      if (auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(M.LParam)) child = FindControl(d->hwndItem);
      break;
    case WM_COMPAREITEM:
      if (auto* d = reinterpret_cast<COMPAREITEMSTRUCT*>(M.LParam))
        child = FindControl(d->hwndItem);
      break;
    case WM_MEASUREITEM:
      if (auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam);
          mi && mi->CtlType != ODT_MENU) {
        child = FindControl(GetDlgItem(handle_, static_cast<int>(mi->CtlID)));
        // A list asks for its item height while it is being created.
        if (!child && g_being_created && g_being_created->Parent() == this &&
            g_being_created->child_id_ == mi->CtlID)
          child = g_being_created;
      }
      break;
    default:
      break;
  }
  if (child && child != this) {
    M.Result = child->Perform(reflected, M.WParam, M.LParam);
  } else {
    DefaultHandler(M);
  }
}

void TWinControl::HandleSetCursor(TMessage& M) {
  if (M.LParamLo() == HTCLIENT && reinterpret_cast<HWND>(M.WParam) == handle_) {
    TCursor cur = Screen ? Screen->Cursor() : crDefault;
    if (cur == crDefault) {
      POINT p{};
      GetCursorPos(&p);
      ::ScreenToClient(handle_, &p);
      TControl* c = ControlAtPos({p.x, p.y}, false);
      cur = c ? c->Cursor() : Cursor();
      if (cur == crDefault && c) cur = Cursor();
    }
    if (cur != crDefault && Screen) {
      ::SetCursor(Screen->Cursors(cur));
      M.Result = 1;
      return;
    }
  }
  DefaultHandler(M);
}

void TWinControl::Dispatch(TMessage& M) {
  // The focus and key events may free the control: then nothing more is done with it.
  TControlWatch watch(this);
  switch (M.Msg) {
    case WM_PAINT:
      if (!def_wnd_proc_ || M.WParam) {
        PaintHandler(M);
        return;
      }
      break;
    case WM_PRINTCLIENT:
      if (!def_wnd_proc_) {
        HDC dc = reinterpret_cast<HDC>(M.WParam);
        if (M.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, M.WParam, 0);
        PaintWindow(dc);
        PaintControls(dc);
        M.Result = 0;
        return;
      }
      break;
    case WM_ERASEBKGND:
      if (!def_wnd_proc_) {
        RECT r{};
        GetClientRect(handle_, &r);
        if (HBRUSH b = brush_->Handle()) FillRect(reinterpret_cast<HDC>(M.WParam), &r, b);
        M.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
      // The system's own sizing may size the window again inside, and OnResize there
      // may free the control.
      UpdateBounds();
      if (!watch.Alive()) return;
      DefaultHandler(M);
      if (!watch.Alive() || M.WParam == SIZE_MINIMIZED) return;
      Realign();
      if (watch.Alive()) Resize();
      return;
    case WM_MOVE:
      UpdateBounds();
      break;
    case WM_SETFOCUS: {
      // While windows are remade the focus wanders without the user moving it.
      if (g_recreating > 0) break;
      TCustomForm* form = GetParentForm(this);
      if (form && form != this) {
        if (!form->SetFocusedControl(this)) return;
      } else if (!form) {
        DoEnter();
      }
      break;
    }
    case WM_KILLFOCUS:
      if (!GetParentForm(this) && g_recreating == 0) DoExit();
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (DoKeyDown(M)) {
        M.Result = 0;
        return;
      }
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      if (DoKeyUp(M)) {
        M.Result = 0;
        return;
      }
      break;
    case WM_CHAR:
    case WM_SYSCHAR:
      if (DoKeyPress(M)) {
        M.Result = 0;
        return;
      }
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      ReflectNotification(M);
      return;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (M.LParam) {
        ReflectNotification(M);
        return;
      }
      break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(M.WParam);
      SetTextColor(dc, ColorToRGB(Font()->Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      M.Result = reinterpret_cast<intptr_t>(brush_->Handle());
      return;
    }
    case WM_SETCURSOR:
      HandleSetCursor(M);
      return;
    case WM_CONTEXTMENU: {
      // The pop-up menu of the control under the mouse (keyboard: at the top left).
      TPoint at{M.XPos(), M.YPos()};
      TControl* target = this;
      if (at.X == -1 && at.Y == -1) {
        at = ClientToScreen({0, 0});
      } else if (TControl* c = ControlAtPos(ScreenToClient(at), false)) {
        target = c;
      }
      if (TPopupMenu* menu = target->PopupMenu()) {
        menu->SetPopupComponent(target);
        menu->Popup(at.X, at.Y);
        M.Result = 1;
        return;
      }
      break;
    }
    case WM_CAPTURECHANGED:
      if (g_capture &&
          (g_capture == this || (g_capture->Parent() == this && !IsWindowed(g_capture))) &&
          reinterpret_cast<HWND>(M.LParam) != handle_) {
        TControl* lost = g_capture;
        g_capture = nullptr;
        if (lost != this) lost->Perform(WM_CAPTURECHANGED, M.WParam, M.LParam);
      }
      break;
    case WM_CANCELMODE:
      if (g_capture && g_capture->Parent() == this && !IsWindowed(g_capture))
        g_capture->Perform(WM_CANCELMODE);
      break;
    case WM_MOUSELEAVE:
      tracking_mouse_ = false;
      if (g_mouse_control && (g_mouse_control == this || g_mouse_control->Parent() == this)) {
        TControl* old = g_mouse_control;
        g_mouse_control = nullptr;
        old->Perform(CM_MOUSELEAVE);
      }
      break;
    case CM_COLORCHANGED:
      brush_->SetColor(Color());
      NotifyControls(CM_PARENTCOLORCHANGED);
      Invalidate();
      return;
    case CM_FONTCHANGED:
      UpdateWindowFont();
      NotifyControls(CM_PARENTFONTCHANGED);
      Invalidate();
      return;
    case CM_CTL3DCHANGED:
      NotifyControls(CM_PARENTCTL3DCHANGED);
      return;
    case CM_SHOWHINTCHANGED:
      NotifyControls(CM_PARENTSHOWHINTCHANGED);
      return;
    case CM_ENABLEDCHANGED:
      if (!Enabled() && handle_ && HoldsFocus(handle_)) {
        if (TCustomForm* form = GetParentForm(this); form && form != this) {
          if (TWinControl* next = form->FindNextControl(this, true, true);
              next && !ContainsControl(next))
            next->SetFocus();
          else if (form->HandleAllocated())
            ::SetFocus(form->Handle());
        }
        if (!watch.Alive()) return;  // freed by its OnExit
      }
      if (handle_) EnableWindow(handle_, Enabled());
      Invalidate();
      return;
    case CM_CURSORCHANGED:
      if (handle_) {
        POINT p{};
        GetCursorPos(&p);
        if (WindowFromPoint(p) == handle_)
          SendMessageA(handle_, WM_SETCURSOR, reinterpret_cast<WPARAM>(handle_),
                       MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
      }
      return;
    case CM_FOCUSCHANGED:
      NotifyControls(CM_FOCUSCHANGED, M.WParam, M.LParam);
      return;
    case CM_ENTER:
      DoEnter();
      return;
    case CM_EXIT:
      DoExit();
      return;
    case CM_SYSCOLORCHANGE:
      NotifyControls(CM_SYSCOLORCHANGE);
      return;
    case WM_SYSCOLORCHANGE:
      brush_->SetColor(Color());
      NotifyControls(CM_SYSCOLORCHANGE);
      break;
    default:
      break;
  }
  if (watch.Alive()) TControl::Dispatch(M);
}

void TWinControl::DefaultHandler(TMessage& M) {
  if (!handle_ || IsOwnMessage(M.Msg)) {
    TControl::DefaultHandler(M);
    return;
  }
  if (auto* proc = reinterpret_cast<WNDPROC>(def_wnd_proc_))
    M.Result = CallWindowProcA(proc, handle_, M.Msg, M.WParam, M.LParam);
  else
    M.Result = DefWindowProcA(handle_, M.Msg, M.WParam, M.LParam);
}

void TWinControl::PublishProperties(TPropertyList& P) {
  TControl::PublishProperties(P);
  P.Integer(
       "TabOrder", [this] { return TabOrder(); }, [this](int32_t v) { SetTabOrder(v); })
      .Stored([this] { return Parent() != nullptr; });
  P.Boolean(
       "TabStop", [this] { return tab_stop_; }, [this](bool v) { SetTabStop(v); })
      .Default(0);
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TControl* c : std::vector<TControl*>(controls_))
    if (c->Owner() == Root) Proc(c);
  // A control away from this one for a while (a tool bar floating in a window of its
  // own) still names it as its parent component: it is written, and read back, here.
  if (!Root) return;
  for (int i = 0; i < Root->ComponentCount(); ++i) {
    TComponent* c = Root->Components(i);
    auto* control = dynamic_cast<TControl*>(c);
    if (control && control->Parent() != this && c->GetParentComponent() == this) Proc(c);
  }
}

// ---------------------------------------------------------------------------------------
// Canvases of controls, TCustomControl, TGraphicControl
// ---------------------------------------------------------------------------------------

TControlCanvas::~TControlCanvas() {
  FreeHandle();
}

void TControlCanvas::CreateHandle() {
  if (own_dc_) return;
  if (auto* w = dynamic_cast<TWinControl*>(control_)) {
    dc_window_ = w->Handle();
    own_dc_ = GetDC(dc_window_);
  } else {
    TWinControl* parent = control_->Parent();
    if (!parent) return;
    dc_window_ = parent->Handle();
    own_dc_ = GetDC(dc_window_);
    SetViewportOrgEx(own_dc_, control_->Left(), control_->Top(), nullptr);
    IntersectClipRect(own_dc_, 0, 0, control_->Width(), control_->Height());
  }
  if (!own_dc_) return;
  g_canvases.push_back(this);
  SetHandle(own_dc_);
}

void TControlCanvas::FreeHandle() {
  if (!own_dc_) return;
  SetHandle(nullptr);
  ReleaseDC(dc_window_, own_dc_);
  own_dc_ = nullptr;
  dc_window_ = nullptr;
  g_canvases.erase(std::remove(g_canvases.begin(), g_canvases.end(), this), g_canvases.end());
}

void TControlCanvas::DrawOn(HDc DC, const std::function<void()>& Draw) {
  FreeHandle();
  SetHandle(DC);
  // Draw may free the control and this canvas with it (which gives the context back as
  // it goes): then nothing more is done here.
  TControlWatch watch(control_);
  try {
    Draw();
  } catch (...) {
    if (watch.Alive()) SetHandle(nullptr);
    throw;
  }
  if (watch.Alive()) SetHandle(nullptr);
}

void TControlCanvas::PaintOn(HDc DC, const std::function<void()>& Paint) {
  TControl* control = control_;
  DrawOn(DC, [this, control, &Paint] {
    Font()->Assign(control->Font());
    Brush()->SetColor(control->Color());
    Paint();
  });
}

bool InsideMessageHandler() {
  return g_dispatch_depth > 0;
}

TWindowMessageScope::TWindowMessageScope(HWnd Wnd) {
  g_busy.push_back(Wnd);
}

TWindowMessageScope::~TWindowMessageScope() {
  g_busy.pop_back();
  if (!g_doomed.empty()) DestroyIdleWindows();
}

void FreeDeviceContexts() {
  for (TControlCanvas* c : std::vector<TControlCanvas*>(g_canvases)) c->FreeHandle();
}

namespace {

// Runs Paint with Slot (a member of Control) pointing at Canvas; Slot goes back however
// Paint ends, unless Paint freed Control.
void PaintThrough(TControl* Control, TCanvas*& Slot, TCanvas* Canvas,
                  const std::function<void()>& Paint) {
  TScopedValue<TCanvas*> lent(Slot, Canvas, Control->LifeMark());
  Paint();
}

}  // namespace

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDc DC) {
  canvas_->PaintOn(DC, [this] { Paint(); });
}

void TCustomControl::PaintTo(TCanvas* ACanvas) {
  PaintThrough(this, paint_canvas_, ACanvas, [this] { Paint(); });
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::PaintTo(TCanvas* ACanvas) {
  PaintThrough(this, paint_canvas_, ACanvas, [this] { Paint(); });
}

void TGraphicControl::Dispatch(TMessage& M) {
  if (M.Msg == WM_PAINT && M.WParam) {
    canvas_->PaintOn(reinterpret_cast<HDC>(M.WParam), [this] { Paint(); });
    return;
  }
  TControl::Dispatch(M);
}

// ---------------------------------------------------------------------------------------
// Services
// ---------------------------------------------------------------------------------------

bool IsAccel(char Key, const std::string& Caption) {
  for (size_t i = 0; i + 1 < Caption.size(); ++i) {
    if (Caption[i] != '&') continue;
    if (Caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(Caption[i + 1])) ==
           std::toupper(static_cast<unsigned char>(Key));
  }
  return false;
}

TWinControl* FindControl(HWnd Handle) {
  if (!Handle) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(Handle, &pid);
  if (pid != GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropA(Handle, kControlProp));
}

TWinControl* FindControlOrParent(HWnd Handle) {
  for (HWND h = Handle; h; h = GetParent(h)) {
    if (TWinControl* c = FindControl(h)) return c;
    if (!(GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

TCustomForm* GetParentForm(const TControl* Control) {
  if (!Control) return nullptr;
  const TControl* top = Control;
  while (top->Parent()) top = top->Parent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(top));
}

TControl* GetCaptureControl() {
  if (g_capture) {
    // Someone else may have taken the capture without telling us.
    HWND cap = GetCapture();
    TWinControl* owner =
        IsWindowed(g_capture) ? static_cast<TWinControl*>(g_capture) : g_capture->Parent();
    if (!owner || !owner->HandleAllocated() || cap != owner->Handle()) g_capture = nullptr;
  }
  return g_capture;
}

void SetCaptureControl(TControl* Control) {
  if (!Control) {
    TControl* old = g_capture;
    g_capture = nullptr;
    if (old) ReleaseCapture();
    return;
  }
  TWinControl* owner = IsWindowed(Control) ? static_cast<TWinControl*>(Control) : Control->Parent();
  if (!owner) return;
  HWND h = owner->Handle();
  g_capture = Control;
  if (GetCapture() != h) SetCapture(h);
  // SetCapture's own WM_CAPTURECHANGED to the previous holder may have cleared it.
  g_capture = Control;
}

HWnd AllocateHWnd(TWndMethod Method) {
  static bool registered = false;
  if (!registered) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilWindowProc;
    wc.hInstance = HInstance();
    wc.lpszClassName = kUtilClass;
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      throw EInvalidOperation("Cannot register the utility window class");
    registered = true;
  }
  HWND h = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           HInstance(), nullptr);
  if (!h) throw EInvalidOperation("Cannot create a utility window");
  auto* method = new TWndMethod(std::move(Method));
  SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(method));
  return h;
}

void DeallocateHWnd(HWnd Wnd) {
  if (!Wnd) return;
  auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
  SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
  DestroyWindow(Wnd);
  delete method;
}

intptr_t DefaultWindowProc(HWnd Wnd, const TMessage& M) {
  return DefWindowProcA(Wnd, M.Msg, M.WParam, M.LParam);
}

bool IsRecreatingWindows() {
  return g_recreating > 0;
}

uint32_t CaretBlinkTime() {
  return GetCaretBlinkTime();
}
void SetCaretBlinkTime(uint32_t Milliseconds) {
  ::SetCaretBlinkTime(Milliseconds);
}

}  // namespace tess
