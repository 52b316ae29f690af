// Scrolling containers, forms, the application and the screen.
#include "framework/win/forms.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "framework/win/dc_guards.h"
#include "framework/win/dialogs.h"
#include "platform/win32.h"

namespace tess {

// The program-wide objects live as long as the process: forms may still be running
// handlers while static objects of other files are being destroyed at exit, so these
// are never deleted.  The program frees its forms itself (Application->DestroyComponents)
// after Run.
TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

std::string GetShortHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(0, bar);
}

std::string GetLongHint(const std::string& Hint) {
  size_t bar = Hint.find('|');
  return bar == std::string::npos ? Hint : Hint.substr(bar + 1);
}

TScreenCursor::TScreenCursor(TCursor Cursor) : saved_(Screen->Cursor()) {
  Screen->SetCursor(Cursor);
}

TScreenCursor::~TScreenCursor() {
  Screen->SetCursor(saved_);
}

// ---------------------------------------------------------------------------------------
// TControlScrollBar, TScrollingWinControl, TScrollBox
// ---------------------------------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind)
    : control_(Control), kind_(Kind) {}

void TControlScrollBar::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TControlScrollBar*>(Source)) {
    increment_ = b->increment_;
    tracking_ = b->tracking_;
    visible_ = b->visible_;
    SetRange(b->range_);
    SetPosition(b->position_);
    return;
  }
  TPersistent::Assign(Source);
}

void TControlScrollBar::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  P.Integer(
       "Increment", [this] { return increment_; }, [this](int32_t v) { SetIncrement(v); })
      .Default(8);
  P.Integer(
       "Range", [this] { return range_; }, [this](int32_t v) { SetRange(v); })
      .Default(0);
  P.Integer(
       "Position", [this] { return position_; }, [this](int32_t v) { SetPosition(v); })
      .Default(0);
  P.Boolean(
       "Tracking", [this] { return tracking_; }, [this](bool v) { SetTracking(v); })
      .Default(0);
  P.Boolean(
       "Visible", [this] { return visible_; }, [this](bool v) { SetVisible(v); })
      .Default(1);
}

int32_t TControlScrollBar::ControlSize() {
  TRect r = control_->ClientRect();
  return kind_ == TScrollBarKind::sbHorizontal ? r.Width() : r.Height();
}

int32_t TControlScrollBar::MaxPosition() {
  return std::max(0, range_ - ControlSize());
}

bool TControlScrollBar::IsScrollBarVisible() {
  if (!control_->HandleAllocated()) return visible_ && range_ > ControlSize();
  LONG_PTR style = GetWindowLongPtrA(control_->Handle(), GWL_STYLE);
  return (style & (kind_ == TScrollBarKind::sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

void TControlScrollBar::SetRange(int32_t Value) {
  Value = std::max(Value, 0);
  if (range_ == Value) return;
  range_ = Value;
  control_->UpdateScrollBars();
  SetPosition(position_);
}

void TControlScrollBar::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int32_t Value) {
  Value = std::clamp(Value, 0, MaxPosition());
  if (Value == position_) return;
  int32_t delta = position_ - Value;
  position_ = Value;
  if (control_->HandleAllocated())
    SetScrollPos(control_->Handle(), kind_ == TScrollBarKind::sbHorizontal ? SB_HORZ : SB_VERT,
                 position_, TRUE);
  if (kind_ == TScrollBarKind::sbHorizontal)
    control_->ScrollBy(delta, 0);
  else
    control_->ScrollBy(0, delta);
}

void TControlScrollBar::Update() {
  if (!control_->HandleAllocated()) return;
  int bar = kind_ == TScrollBarKind::sbHorizontal ? SB_HORZ : SB_VERT;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = visible_ && range_ > 0 ? range_ - 1 : 0;
  si.nPage = static_cast<UINT>(std::max(ControlSize(), 0)) + (visible_ ? 0 : 1);
  si.nPos = position_;
  SetScrollInfo(control_->Handle(), bar, &si, TRUE);
}

void TControlScrollBar::ScrollMessage(TMessage& M) {
  int32_t page = std::max(ControlSize() * 9 / 10, 1);
  int32_t pos = position_;
  switch (M.WParamLo()) {
    case SB_LINEUP:
      pos -= increment_;
      break;
    case SB_LINEDOWN:
      pos += increment_;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = MaxPosition();
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      if (M.WParamLo() == SB_THUMBTRACK && !tracking_) return;
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(control_->Handle(), kind_ == TScrollBarKind::sbHorizontal ? SB_HORZ : SB_VERT,
                    &si);
      pos = si.nTrackPos;
      break;
    }
    default:
      return;
  }
  SetPosition(pos);
}

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      horz_(std::make_unique<TControlScrollBar>(this, TScrollBarKind::sbHorizontal)),
      vert_(std::make_unique<TControlScrollBar>(this, TScrollBarKind::sbVertical)) {
  SetControlStyle(ControlStyle() + TControlStyleFlag::csAcceptsControls);
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (auto_scroll_ == Value) return;
  auto_scroll_ = Value;
  if (Value) {
    CalcAutoRange();
  } else {
    horz_->SetRange(0);
    vert_->SetRange(0);
  }
}

void TScrollingWinControl::CalcAutoRange() {
  if (!auto_scroll_) return;
  int32_t right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != TAlign::alNone) continue;
    right = std::max(right, c->Left() + c->Width() + horz_->Position());
    bottom = std::max(bottom, c->Top() + c->Height() + vert_->Position());
  }
  horz_->SetRange(right);
  vert_->SetRange(bottom);
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updating_bars_ || !HandleAllocated()) return;
  updating_bars_ = true;
  // Showing one bar narrows the client area and may call for the other.
  for (int pass = 0; pass < 2; ++pass) {
    horz_->Update();
    vert_->Update();
  }
  updating_bars_ = false;
}

void TScrollingWinControl::ScrollBy(int32_t DeltaX, int32_t DeltaY) {
  if (DeltaX == 0 && DeltaY == 0) return;
  if (HandleAllocated()) {
    ScrollWindowEx(Handle(), DeltaX, DeltaY, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
  DisableAlign();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    auto* w = dynamic_cast<TWinControl*>(c);
    if (w && w->HandleAllocated())
      w->UpdateBounds();
    else if (w)
      w->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    else
      c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
  }
  EnableAlign();
}

void TScrollingWinControl::ScrollInView(TControl* Control) {
  if (!Control || !ContainsControl(Control) || Control == this) return;
  TRect r = Control->BoundsRect();
  TRect client = ClientRect();
  if (r.Left < 0)
    horz_->SetPosition(horz_->Position() + r.Left);
  else if (r.Right > client.Right)
    horz_->SetPosition(horz_->Position() + std::min(r.Right - client.Right, r.Left));
  if (r.Top < 0)
    vert_->SetPosition(vert_->Position() + r.Top);
  else if (r.Bottom > client.Bottom)
    vert_->SetPosition(vert_->Position() + std::min(r.Bottom - client.Bottom, r.Top));
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
  if (horz_->Position()) SetScrollPos(Handle(), SB_HORZ, horz_->Position(), TRUE);
  if (vert_->Position()) SetScrollPos(Handle(), SB_VERT, vert_->Position(), TRUE);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  TWinControl::AlignControls(AControl, Rect);
  CalcAutoRange();
}

void TScrollingWinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_HSCROLL:
      if (!M.LParam) {
        horz_->ScrollMessage(M);
        M.Result = 0;
        return;
      }
      break;
    case WM_VSCROLL:
      if (!M.LParam) {
        vert_->ScrollMessage(M);
        M.Result = 0;
        return;
      }
      break;
    case WM_SIZE: {
      TControlWatch watch(this);
      TWinControl::Dispatch(M);  // OnResize may free the control
      if (!watch.Alive()) return;
      UpdateScrollBars();
      // A larger window may leave nothing to scroll.
      horz_->SetPosition(horz_->Position());
      vert_->SetPosition(vert_->Position());
      return;
    }
    case CM_CONTROLCHANGE:
    case CM_CONTROLLISTCHANGE:
      TWinControl::Dispatch(M);
      CalcAutoRange();
      return;
    default:
      break;
  }
  TWinControl::Dispatch(M);
}

void TScrollingWinControl::PublishProperties(TPropertyList& P) {
  TWinControl::PublishProperties(P);
  P.Boolean(
      "AutoScroll", [this] { return auto_scroll_; }, [this](bool v) { SetAutoScroll(v); });
  P.Object("HorzScrollBar", [this] { return horz_.get(); });
  P.Object("VertScrollBar", [this] { return vert_.get(); });
}

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
  SetTabStop(false);
}

void TScrollBox::CreateParams(TCreateParams& P) {
  TScrollingWinControl::CreateParams(P);
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D())
      P.ExStyle |= WS_EX_CLIENTEDGE;
    else
      P.Style |= WS_BORDER;
  }
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  RecreateWnd();
}

void TScrollBox::Dispatch(TMessage& M) {
  if (M.Msg == CM_CTL3DCHANGED && border_style_ == TBorderStyle::bsSingle) RecreateWnd();
  TScrollingWinControl::Dispatch(M);
}

void TScrollBox::PublishProperties(TPropertyList& P) {
  TScrollingWinControl::PublishProperties(P);
  P.Enum<TBorderStyle>(
       "BorderStyle", {"bsNone", "bsSingle"}, [this] { return border_style_; },
       [this](TBorderStyle v) { SetBorderStyle(v); })
      .Default(1);
}

// ---------------------------------------------------------------------------------------
// TCustomForm
// ---------------------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner)
    : TScrollingWinControl(AOwner),
      icon_(std::make_unique<TIcon>()),
      canvas_(std::make_unique<TControlCanvas>(this)) {
  SetAutoScroll(false);
  TControl::SetVisible(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  SetParentCtl3D(false);
  SetBounds(100, 100, 400, 300);
  icon_->OnChange = [this](TObject*) { ApplyIcon(); };
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (OnDestroy) {
    try {
      OnDestroy(this);
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
  DetachMenu();
}

uint32_t TCustomForm::WindowStyle() const {
  if (Parent()) {
    uint32_t s = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (border_style_ != TFormBorderStyle::bsNone) s |= WS_CAPTION;
    if (border_style_ == TFormBorderStyle::bsSizeable ||
        border_style_ == TFormBorderStyle::bsSizeToolWin)
      s |= WS_THICKFRAME;
    return s;
  }
  uint32_t s = WS_CLIPCHILDREN;
  switch (border_style_) {
    case TFormBorderStyle::bsNone:
      s |= WS_POPUP;
      break;
    case TFormBorderStyle::bsSingle:
    case TFormBorderStyle::bsToolWindow:
      s |= WS_CAPTION;
      break;
    case TFormBorderStyle::bsSizeable:
    case TFormBorderStyle::bsSizeToolWin:
      s |= WS_CAPTION | WS_THICKFRAME;
      break;
    case TFormBorderStyle::bsDialog:
      s |= WS_POPUP | WS_CAPTION;
      break;
  }
  if (border_style_ != TFormBorderStyle::bsNone &&
      border_icons_.Contains(TBorderIcon::biSystemMenu))
    s |= WS_SYSMENU;
  if (border_style_ == TFormBorderStyle::bsSingle ||
      border_style_ == TFormBorderStyle::bsSizeable) {
    if (border_icons_.Contains(TBorderIcon::biMinimize)) s |= WS_MINIMIZEBOX;
    if (border_icons_.Contains(TBorderIcon::biMaximize)) s |= WS_MAXIMIZEBOX;
  }
  return s;
}

uint32_t TCustomForm::WindowExStyle() const {
  uint32_t s = 0;
  switch (border_style_) {
    case TFormBorderStyle::bsDialog:
      s |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case TFormBorderStyle::bsToolWindow:
    case TFormBorderStyle::bsSizeToolWin:
      s |= WS_EX_TOOLWINDOW;
      break;
    default:
      break;
  }
  if (form_style_ == TFormStyle::fsStayOnTop && !Parent()) s |= WS_EX_TOPMOST;
  if (border_icons_.Contains(TBorderIcon::biHelp) && border_style_ == TFormBorderStyle::bsDialog)
    s |= WS_EX_CONTEXTHELP;
  return s;
}

void TCustomForm::CreateParams(TCreateParams& P) {
  TScrollingWinControl::CreateParams(P);
  P.Style = WindowStyle();
  P.ExStyle = WindowExStyle();
  if (!Enabled()) P.Style |= WS_DISABLED;
  if (Parent()) {
    if (Visible()) P.Style |= WS_VISIBLE;
    return;
  }
  // A secondary form stays above the main form and goes with it.
  P.WndParent = ParentWindow();
  if (!P.WndParent && Application && Application->MainForm() && Application->MainForm() != this &&
      Application->MainForm()->HandleAllocated())
    P.WndParent = Application->MainForm()->Handle();
  switch (position_) {
    case TPosition::poDefault:
      P.X = P.Y = P.Width = P.Height = static_cast<int32_t>(CW_USEDEFAULT);
      break;
    case TPosition::poDefaultPosOnly:
      P.X = P.Y = static_cast<int32_t>(CW_USEDEFAULT);
      break;
    case TPosition::poScreenCenter:
      P.X = (GetSystemMetrics(SM_CXSCREEN) - P.Width) / 2;
      P.Y = (GetSystemMetrics(SM_CYSCREEN) - P.Height) / 2;
      break;
    case TPosition::poMainFormCenter:
      if (Application && Application->MainForm() && Application->MainForm() != this) {
        TCustomForm* m = Application->MainForm();
        P.X = m->Left() + (m->Width() - P.Width) / 2;
        P.Y = m->Top() + (m->Height() - P.Height) / 2;
      }
      break;
    default:
      break;
  }
  P.WindowClass.style |= CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  TScrollingWinControl::CreateWnd();
  ApplyIcon();
  if (menu_ && !Parent()) {
    ::SetMenu(Handle(), menu_->Handle());
    menu_->SetWindow(Handle());
  }
  // A top-level window is made hidden (Show shows it); a remade one must come back as
  // the form was, or Visible and the screen disagree.
  if (!Parent() && Visible() && ControlState().Contains(TControlStateFlag::csRecreating)) {
    int cmd = SW_SHOWNA;
    if (window_state_ == TWindowState::wsMaximized) cmd = SW_SHOWMAXIMIZED;
    if (window_state_ == TWindowState::wsMinimized) cmd = SW_SHOWMINNOACTIVE;
    ShowWindow(Handle(), cmd);
  }
}

void TCustomForm::DestroyWnd() {
  DetachMenu();
  TScrollingWinControl::DestroyWnd();
}

void TCustomForm::DetachMenu() {
  if (!menu_ || !HandleAllocated()) return;
  ::SetMenu(Handle(), nullptr);
  menu_->SetWindow(nullptr);
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (menu_ == Value) return;
  if (menu_) menu_->SetWindow(nullptr);
  menu_ = Value;
  if (Value) FreeNotification(Value);
  if (HandleAllocated() && !Parent()) {
    ::SetMenu(Handle(), Value ? Value->Handle() : nullptr);
    if (Value) Value->SetWindow(Handle());
    DrawMenuBar(Handle());
  }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TScrollingWinControl::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == menu_) {
    // The bar must not show a menu that is about to be destroyed.
    if (HandleAllocated()) ::SetMenu(Handle(), nullptr);
    menu_ = nullptr;
  }
}

void TCustomForm::ApplyIcon() {
  if (!HandleAllocated()) return;
  HICON h = icon_->Handle();
  if (!h && Application) h = Application->Icon()->Handle();
  SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(h));
  SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(h));
}

void TCustomForm::ApplyStyle() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  LONG_PTR keep = GetWindowLongPtrA(h, GWL_STYLE) &
                  (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE | WS_HSCROLL | WS_VSCROLL);
  SetWindowLongPtrA(h, GWL_STYLE, keep | static_cast<LONG_PTR>(WindowStyle()));
  LONG_PTR ex = GetWindowLongPtrA(h, GWL_EXSTYLE) & WS_EX_TOPMOST;
  SetWindowLongPtrA(
      h, GWL_EXSTYLE,
      ex | static_cast<LONG_PTR>(WindowExStyle() & ~static_cast<DWORD>(WS_EX_TOPMOST)));
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (border_style_ == Value) return;
  border_style_ = Value;
  ApplyStyle();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (border_icons_ == Value) return;
  border_icons_ = Value;
  ApplyStyle();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (form_style_ == Value) return;
  form_style_ = Value;
  if (HandleAllocated() && !Parent())
    SetWindowPos(Handle(), Value == TFormStyle::fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0,
                 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TWindowState TCustomForm::WindowState() const {
  if (HandleAllocated() && IsWindowVisible(const_cast<TCustomForm*>(this)->Handle())) {
    HWND h = const_cast<TCustomForm*>(this)->Handle();
    if (IsIconic(h)) return TWindowState::wsMinimized;
    if (IsZoomed(h)) return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
  }
  return window_state_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  window_state_ = Value;
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  switch (Value) {
    case TWindowState::wsMinimized:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case TWindowState::wsMaximized:
      ShowWindow(Handle(), SW_MAXIMIZE);
      break;
    default:
      ShowWindow(Handle(), SW_SHOWNORMAL);
      // Restoring a window minimized from maximized brings back the maximized one first.
      if (IsZoomed(Handle())) ShowWindow(Handle(), SW_SHOWNORMAL);
      break;
  }
}

bool TCustomForm::Active() const {
  return HandleAllocated() && GetActiveWindow() == const_cast<TCustomForm*>(this)->Handle();
}

TCanvas* TCustomForm::Canvas() {
  return canvas_.get();
}

void TCustomForm::Paint() {
  RaiseEvent(this, OnPaint, this);
}

void TCustomForm::PaintWindow(HDc DC) {
  canvas_->PaintOn(DC, [this] { Paint(); });
}

void TCustomForm::SetVisible(bool Value) {
  if (Parent()) {
    TScrollingWinControl::SetVisible(Value);
    return;
  }
  if (ComponentState() & csReading) {
    // Read from a stream: shown once all that was read is set up, hidden at once.
    show_when_loaded_ = Value;
    if (Value) return;
  }
  bool shown = HandleAllocated() && IsWindowVisible(Handle());
  if (Value == Visible() && Value == shown) return;
  TControl::SetVisible(Value);
  if (Value) {
    HWND h = Handle();
    int cmd = SW_SHOWNORMAL;
    if (window_state_ == TWindowState::wsMaximized) cmd = SW_SHOWMAXIMIZED;
    if (window_state_ == TWindowState::wsMinimized) cmd = SW_SHOWMINIMIZED;
    ShowWindow(h, cmd);
    if (cmd != SW_SHOWMINIMIZED) SetForegroundWindow(h);
    if (Active()) ActivateFocus();
  } else if (HandleAllocated()) {
    ShowWindow(Handle(), SW_HIDE);
  }
}

void TCustomForm::ShowNoActivate() {
  if (Parent()) {
    Show();
    return;
  }
  TControl::SetVisible(true);
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool TCustomForm::ActivateFocus() {
  HWND h = Handle();
  HWND f = GetFocus();
  // The focus is already on one of the form's controls.
  if (f && f != h && IsChild(h, f)) return true;
  if (!active_control_ || !active_control_->CanFocus())
    active_control_ = FindNextControl(nullptr, true, true);
  if (!active_control_) return false;
  ::SetFocus(active_control_->Handle());
  return true;
}

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (Control == active_control_) return;
  if (Control && (Control == this || !ContainsControl(Control)))
    throw EInvalidOperation("Invalid control for the form's active control");
  active_control_ = Control;
  if (Control && Active() && Control->CanFocus()) ::SetFocus(Control->Handle());
}

void TCustomForm::FocusControl(TWinControl* Control) {
  if (!Control || Control == this) return;
  active_control_ = Control;
  if (!HandleAllocated() || !IsWindowVisible(Handle())) return;
  if (!Active()) {
    // Activation gives the focus to the active control, which is now Control.
    SetForegroundWindow(Handle());
    SetActiveWindow(Handle());
  }
  if (GetFocus() != Control->Handle()) ::SetFocus(Control->Handle());
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (Control == this) return true;
  if (focused_control_ == Control) {
    active_control_ = Control;
    if (Screen) Screen->SetActiveControl(Control);
    return true;
  }
  TWinControl* old = focused_control_;
  focused_control_ = Control;
  active_control_ = Control;
  if (Screen) {
    Screen->SetActiveForm(this);
    Screen->SetActiveControl(Control);
  }
  // Leaving: from the control that had the focus up to the common container.  An OnExit
  // may free its control (and what holds it): the rest of the way is watched, and each
  // control still there is left in turn.
  TControlWatch old_watch(old);
  std::vector<std::pair<TWinControl*, TControlWatch>> leaving;
  for (TWinControl* w = old; w && w != this && !w->ContainsControl(Control); w = w->Parent())
    leaving.emplace_back(w, TControlWatch(w));
  for (const auto& [w, watch] : leaving) {
    if (watch.Alive()) w->Perform(CM_EXIT);
    if (focused_control_ != Control) return false;
  }
  if (!old_watch.Alive()) old = nullptr;
  // Entering: from below the common container down to the control.
  std::vector<TWinControl*> chain;
  for (TWinControl* w = Control; w && w != this && !(old && w->ContainsControl(old));
       w = w->Parent())
    chain.push_back(w);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    (*it)->Perform(CM_ENTER);
    if (focused_control_ != Control) return false;
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<intptr_t>(Control));
  return true;
}

void TCustomForm::DefocusControl(TWinControl* Control, bool) {
  if (!Control) return;
  if (active_control_ && Control->ContainsControl(active_control_)) active_control_ = nullptr;
  if (focused_control_ && Control->ContainsControl(focused_control_)) focused_control_ = nullptr;
  if (Screen && Screen->ActiveControl() && Control->ContainsControl(Screen->ActiveControl()))
    Screen->SetActiveControl(nullptr);
}

bool TCustomForm::CloseQuery() {
  bool can = true;
  // A form its handler freed is closed already.
  return FireEvent(this, OnCloseQuery, this, can) && can;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (!FireEvent(this, OnClose, this, Action)) Action = TCloseAction::caNone;
}

void TCustomForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  TControlWatch watch(this);
  if (!CloseQuery()) return;
  bool main = Application && Application->MainForm() == this;
  TCloseAction action = main ? TCloseAction::caFree : TCloseAction::caHide;
  DoClose(action);
  if (action == TCloseAction::caNone || !watch.Alive()) return;
  if (main) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case TCloseAction::caHide:
      Hide();
      break;
    case TCloseAction::caMinimize:
      SetWindowState(TWindowState::wsMinimized);
      break;
    case TCloseAction::caFree:
      Release();
      break;
    default:
      break;
  }
}

void TCustomForm::Release() {
  if (released_) return;
  released_ = true;
  if (HandleAllocated())
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
  else
    delete this;
}

void TCustomForm::CloseModal() {
  TControlWatch watch(this);
  bool can = CloseQuery();
  if (!watch.Alive()) return;
  if (!can) {
    modal_result_ = mrNone;
    return;
  }
  TCloseAction action = TCloseAction::caHide;
  DoClose(action);
  if (!watch.Alive()) return;
  if (action == TCloseAction::caNone) modal_result_ = mrNone;
  // Freed once ShowModal is done with it, as Release inside the loop does.
  if (action == TCloseAction::caFree) free_after_modal_ = true;
}

namespace {

struct ThreadWindows {
  HWND except;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND Wnd, LPARAM Data) {
  auto* tw = reinterpret_cast<ThreadWindows*>(Data);
  if (Wnd != tw->except && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) tw->found.push_back(Wnd);
  return TRUE;
}

}  // namespace

TModalResult TCustomForm::ShowModal() {
  if (Visible() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  if (!Enabled()) throw EInvalidOperation("Cannot make a disabled window modal");
  if (GetCapture()) ReleaseCapture();
  HWND h = Handle();
  HWND previous = GetActiveWindow();
  ThreadWindows tw{h, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&tw));
  for (HWND w : tw.found) EnableWindow(w, FALSE);
  modal_ = true;
  modal_result_ = mrNone;
  // The other windows come back (and the one that was active gets activated again) on
  // every way out, an exception included.
  // A handler that frees the form itself ends the loop as a cancel.
  TControlWatch watch(this);
  struct Restore {
    TCustomForm* form;
    const TControlWatch& watch;
    ThreadWindows& windows;
    HWND previous;
    ~Restore() {
      for (HWND w : windows.found)
        if (IsWindow(w)) EnableWindow(w, TRUE);
      if (watch.Alive()) {
        form->modal_ = false;
        form->Hide();
      }
      if (previous && IsWindow(previous)) SetActiveWindow(previous);
    }
  };
  TModalResult result = mrCancel;
  try {
    Restore restore{this, watch, tw, previous};
    Show();
    while (watch.Alive() && modal_result_ == mrNone) {
      Application->HandleMessage();
      if (!watch.Alive()) break;
      if (Application->Terminated())
        modal_result_ = mrCancel;
      else if (modal_result_ != mrNone && !free_after_modal_)
        CloseModal();
    }
    if (watch.Alive()) result = modal_result_;
  } catch (...) {
    if (watch.Alive() && free_after_modal_) delete this;
    throw;
  }
  // Released (or closed with caFree) while modal: freed now that nothing of the loop
  // uses it.
  if (watch.Alive() && free_after_modal_) delete this;
  return result;
}

bool TCustomForm::DialogKey(uint16_t Key, TShiftState Shift) {
  if (Shift.Contains(TShiftFlag::ssAlt) || Shift.Contains(TShiftFlag::ssCtrl)) return false;
  switch (Key) {
    case VK_TAB: {
      TWinControl* cur = focused_control_ ? focused_control_ : active_control_;
      TWinControl* next = FindNextControl(cur, !Shift.Contains(TShiftFlag::ssShift), true);
      if (next) next->SetFocus();
      return true;
    }
    case VK_RETURN:
    case VK_ESCAPE: {
      // The focused control first (a focused button takes Enter), then every control.
      if (focused_control_ && focused_control_->Perform(CM_DIALOGKEY, Key, 0)) return true;
      std::vector<TWinControl*> list;
      GetTabOrderList(list);
      for (TWinControl* w : list)
        if (w != focused_control_ && w->Perform(CM_DIALOGKEY, Key, 0)) return true;
      return false;
    }
    default:
      return false;
  }
}

void TCustomForm::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_DESTROY:
      // Destroyed by the system (with its owner): the bar must outlive the window.
      DetachMenu();
      break;
    case WM_CLOSE:
      Close();
      M.Result = 0;
      return;
    case WM_ACTIVATE:
      if (M.WParamLo() != WA_INACTIVE) {
        if (Screen) Screen->SetActiveForm(this);
        TControlWatch watch(this);
        Perform(CM_ACTIVATE);
        if (!watch.Alive()) return;
        // Not minimized: the focus goes back to the control that had it.
        if (M.WParamHi() == 0 && ActivateFocus()) {
          M.Result = 0;
          return;
        }
      } else {
        Perform(CM_DEACTIVATE);
      }
      break;
    case WM_SETFOCUS:
      if (!IsRecreatingWindows() && active_control_ && active_control_->CanFocus()) {
        ::SetFocus(active_control_->Handle());
        return;
      }
      break;
    case WM_ACTIVATEAPP:
      if (Application) Application->AppActivated(M.WParam != 0);
      break;
    case WM_SHOWWINDOW:
      DefaultHandler(M);
      FireEvent(this, M.WParam ? OnShow : OnHide, this);
      return;
    case WM_QUERYENDSESSION:
      M.Result = CloseQuery() ? 1 : 0;
      return;
    case CM_ACTIVATE:
      FireEvent(this, OnActivate, this);
      return;
    case CM_DEACTIVATE:
      FireEvent(this, OnDeactivate, this);
      return;
    case CM_DIALOGKEY:
      M.Result = DialogKey(M.WParamLo(), KeyDataToShiftState(M.LParam)) ? 1 : 0;
      return;
    case CM_DIALOGCHAR: {
      // Offered to every control of the form, windowless ones too, until one takes it.
      std::function<bool(TWinControl*)> offer = [&](TWinControl* Parent) {
        for (int i = 0; i < Parent->ControlCount(); ++i) {
          TControl* c = Parent->Controls(i);
          if (!c->Visible() || !c->Enabled()) continue;
          if (c->Perform(CM_DIALOGCHAR, M.WParam, M.LParam) != 0) return true;
          if (auto* w = dynamic_cast<TWinControl*>(c); w && offer(w)) return true;
        }
        return false;
      };
      M.Result = offer(this) ? 1 : 0;
      return;
    }
    case CM_RELEASE:
      // Inside its own ShowModal the form still runs: the loop ends, then frees it.
      if (modal_) {
        free_after_modal_ = true;
        if (modal_result_ == mrNone) modal_result_ = mrCancel;
        return;
      }
      delete this;
      return;
    case WM_NEXTDLGCTL: {
      // Sent or posted: LParam's low word set means WParam is the window to focus,
      // else WParam 0 moves to the next control in tab order, non-zero to the previous.
      TWinControl* target = nullptr;
      if (M.LParam & 0xFFFF) {
        target = FindControl(reinterpret_cast<HWnd>(M.WParam));
      } else {
        TWinControl* current = FindControlOrParent(reinterpret_cast<HWnd>(GetFocus()));
        if (!current || !ContainsControl(current)) current = active_control_;
        target = FindNextControl(current, M.WParam == 0, true);
      }
      if (target && target != this && ContainsControl(target) && target->CanFocus())
        FocusControl(target);
      M.Result = 0;
      return;
    }
    case WM_COMMAND:
      // A menu's command (not a child's notification, not an accelerator).
      if (M.LParam == 0 && M.WParamHi() == 0) {
        if (TMenuItem* item = TMenuItem::FindByCommand(M.WParamLo()); item && item->Enabled()) {
          item->Click();
          M.Result = 0;
          return;
        }
      }
      break;
    default:
      break;
  }
  TScrollingWinControl::Dispatch(M);
}

void TCustomForm::AfterLoaded() {
  TScrollingWinControl::AfterLoaded();
  if (show_when_loaded_) {
    show_when_loaded_ = false;
    SetVisible(true);
  }
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  TScrollingWinControl::GetChildren(Proc, Root);
  if (Root != this) return;
  for (int i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent() || c->GetParentComponent() == nullptr) Proc(c);
  }
}

void TCustomForm::PublishProperties(TPropertyList& P) {
  TScrollingWinControl::PublishProperties(P);
  // A new form is hidden until shown: a form stored while showing says so.
  P.Find("Visible")->Default(false);
  P.String(
      "Caption", [this] { return Caption(); }, [this](const std::string& v) { SetCaption(v); });
  P.Enum<TFormBorderStyle>(
       "BorderStyle",
       {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
       [this] { return border_style_; }, [this](TFormBorderStyle v) { SetBorderStyle(v); })
      .Default(static_cast<int>(TFormBorderStyle::bsSizeable));
  P.Set(
       "BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"},
       [this] { return uint32_t(border_icons_.Bits()); },
       [this](uint32_t v) { SetBorderIcons(TBorderIcons::FromBits(v)); })
      .Default(7);
  P.Enum<TFormStyle>(
       "FormStyle", {"fsNormal", "fsStayOnTop"}, [this] { return form_style_; },
       [this](TFormStyle v) { SetFormStyle(v); })
      .Default(0);
  P.Enum<TPosition>(
       "Position",
       {"poDesigned", "poDefault", "poDefaultPosOnly", "poScreenCenter", "poMainFormCenter"},
       [this] { return position_; }, [this](TPosition v) { SetPosition(v); })
      .Default(0);
  P.Boolean(
       "KeyPreview", [this] { return key_preview_; }, [this](bool v) { SetKeyPreview(v); })
      .Default(0);
}

// ---------------------------------------------------------------------------------------
// TApplication
// ---------------------------------------------------------------------------------------

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), icon_(std::make_unique<TIcon>()) {
  HANDLE h = LoadImageA(HInstance(), "MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
  if (!h) h = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
  icon_->SetHandle(static_cast<HICON>(h));
}

TApplication::~TApplication() {
  DestroyComponents();
  if (handle_) DeallocateHWnd(handle_);
}

std::string TApplication::ExeName() const {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

std::string TApplication::Title() const {
  if (!title_.empty()) return title_;
  std::string name = ExtractFileName(ExeName());
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

HWnd TApplication::Handle() {
  if (!handle_) {
    handle_ = AllocateHWnd([this](TMessage& M) {
      if (M.Msg == WM_ACTIVATEAPP) AppActivated(M.WParam != 0);
      M.Result = DefaultWindowProc(handle_, M);
    });
  }
  return handle_;
}

void TApplication::Run() {
  if (main_form_) main_form_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::Terminate() {
  PostQuitMessage(0);
}

bool TApplication::IsKeyMsg(const TMsg& Msg) {
  // Escape cancels a drag wherever the focus is.
  if (Msg.message == WM_KEYDOWN && Msg.wParam == VK_ESCAPE && CancelDrag()) return true;
  if (Msg.message == WM_SYSCHAR) {
    // Alt+letter: a control whose caption marks that letter takes it before the menu.
    TWinControl* c = FindControlOrParent(Msg.hwnd);
    TCustomForm* form = c ? GetParentForm(c) : nullptr;
    return form && form->Perform(CM_DIALOGCHAR, Msg.wParam, Msg.lParam) != 0;
  }
  if (Msg.message != WM_KEYDOWN && Msg.message != WM_SYSKEYDOWN) return false;
  TWinControl* c = FindControlOrParent(Msg.hwnd);
  return c && c->PreProcessKey(Msg);
}

bool TApplication::ProcessMessage() {
  MSG m{};
  if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) return false;
  if (m.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  TMsg msg{m.hwnd, m.message, m.wParam, m.lParam, m.time, {m.pt.x, m.pt.y}};
  bool handled = false;
  try {
    if (OnMessage) OnMessage(msg, handled);
    if (!handled) {
      bool dialog_key = IsKeyMsg(msg);
      // Every key message is translated, so the character messages come as the system
      // makes them; a key taken as a dialog key loses the character it produced.
      TranslateMessage(&m);
      if (dialog_key) {
        MSG c{};
        for (UINT kind : {static_cast<UINT>(WM_CHAR), static_cast<UINT>(WM_SYSCHAR)})
          if (PeekMessageA(&c, m.hwnd, kind, kind, PM_NOREMOVE) &&
              (c.wParam == VK_TAB || c.wParam == VK_RETURN || c.wParam == VK_ESCAPE ||
               c.wParam == '\n'))
            PeekMessageA(&c, m.hwnd, kind, kind, PM_REMOVE);
      } else {
        DispatchMessageA(&m);
      }
    }
  } catch (...) {
    HandleException(this);
  }
  // A handler pumping messages may still be drawing on its canvas.
  if (!InsideMessageHandler()) FreeDeviceContexts();
  return true;
}

void TApplication::ProcessMessages() {
  while (!terminated_ && ProcessMessage()) {
  }
}

void TApplication::Idle() {
  bool done = true;
  if (OnIdle) {
    try {
      OnIdle(this, done);
    } catch (...) {
      HandleException(this);
    }
  }
  if (done) WaitMessage();
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) Idle();
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr p = std::current_exception();
  if (!p) return;
  try {
    try {
      std::rethrow_exception(p);
    } catch (EAbort&) {
      return;
    } catch (const EFreedByHandler&) {
      return;  // the work of a freed component ended: nothing failed
    } catch (Exception& e) {
      if (OnException)
        OnException(Sender, e);
      else
        ShowException(e);
    } catch (std::exception& e) {
      Exception wrapped(e.what());
      if (OnException)
        OnException(Sender, wrapped);
      else
        ShowException(wrapped);
    } catch (...) {
      Exception wrapped("Unknown exception");
      if (OnException)
        OnException(Sender, wrapped);
      else
        ShowException(wrapped);
    }
  } catch (...) {
    // A handler that fails itself must not take the program down.
  }
}

void TApplication::ShowException(Exception& E) {
  MessageBox(E.Message(), Title(), MB_OK | MB_ICONSTOP);
}

int32_t TApplication::MessageBox(const std::string& Text, const std::string& Caption,
                                 uint32_t Flags) {
  HWND owner = GetActiveWindow();
  if (!owner && main_form_ && main_form_->HandleAllocated()) owner = main_form_->Handle();
  return ShowMessageBox(owner, Text, Caption, Flags);
}

void TApplication::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  if (OnHint) OnHint(this);
}

void TApplication::HintMouseMessage(TControl* Control) {
  std::string hint;
  for (TControl* c = Control; c; c = c->Parent()) {
    if (!c->Hint().empty()) {
      hint = c->Hint();
      break;
    }
  }
  SetHint(GetLongHint(hint));
}

void TApplication::AppActivated(bool Active) {
  if (active_ == Active) return;
  active_ = Active;
  if (Active) {
    if (OnActivate) OnActivate(this);
  } else if (OnDeactivate) {
    OnDeactivate(this);
  }
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == main_form_) main_form_ = nullptr;
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  if (main_form_ == Form) main_form_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// TScreen
// ---------------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}

TScreen::~TScreen() = default;

void TScreen::AddForm(TCustomForm* Form) {
  forms_.push_back(Form);
}

void TScreen::RemoveForm(TCustomForm* Form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
  if (active_control_ && Form->ContainsControl(active_control_)) SetActiveControl(nullptr);
  if (active_form_ == Form) SetActiveForm(nullptr);
}

void TScreen::SetActiveForm(TCustomForm* Form) {
  if (active_form_ == Form) return;
  active_form_ = Form;
  if (OnActiveFormChange) OnActiveFormChange(this);
}

void TScreen::SetActiveControl(TWinControl* Control) {
  if (active_control_ == Control) return;
  active_control_ = Control;
  if (OnActiveControlChange) OnActiveControlChange(this);
}

HCursor TScreen::Cursors(TCursor Index) {
  for (const CursorEntry& e : cursors_)
    if (e.Index == Index) return e.Handle;
  HCURSOR h = nullptr;
  switch (Index) {
    case crNone:
      return nullptr;
    case crDefault:
    case crArrow:
      h = LoadCursorA(nullptr, IDC_ARROW);
      break;
    case crCross:
      h = LoadCursorA(nullptr, IDC_CROSS);
      break;
    case crIBeam:
      h = LoadCursorA(nullptr, IDC_IBEAM);
      break;
    case crSizeNESW:
      h = LoadCursorA(nullptr, IDC_SIZENESW);
      break;
    case crSizeNS:
      h = LoadCursorA(nullptr, IDC_SIZENS);
      break;
    case crSizeNWSE:
      h = LoadCursorA(nullptr, IDC_SIZENWSE);
      break;
    case crSizeWE:
      h = LoadCursorA(nullptr, IDC_SIZEWE);
      break;
    case crUpArrow:
      h = LoadCursorA(nullptr, IDC_UPARROW);
      break;
    case crHourGlass:
    case crSQLWait:
      h = LoadCursorA(nullptr, IDC_WAIT);
      break;
    case crNo:
    case crNoDrop:
      h = LoadCursorA(nullptr, IDC_NO);
      break;
    case crAppStart:
      h = LoadCursorA(nullptr, IDC_APPSTARTING);
      break;
    case crHelp:
      h = LoadCursorA(nullptr, IDC_HELP);
      break;
    case crHandPoint:
      h = LoadCursorA(nullptr, IDC_HAND);
      break;
    case crSizeAll:
      h = LoadCursorA(nullptr, IDC_SIZEALL);
      break;
    case crDrag:
    case crMultiDrag:
      h = LoadCursorA(nullptr, IDC_ARROW);
      break;
    case crHSplit:
      h = LoadCursorA(HInstance(), "TESS_HSPLIT");
      if (!h) h = LoadCursorA(nullptr, IDC_SIZEWE);
      break;
    case crVSplit:
      h = LoadCursorA(HInstance(), "TESS_VSPLIT");
      if (!h) h = LoadCursorA(nullptr, IDC_SIZENS);
      break;
    default:
      // The program's own cursors are resources numbered as the cursor.
      if (Index > 0) h = LoadCursorA(HInstance(), MAKEINTRESOURCEA(Index));
      if (!h) return LoadCursorA(nullptr, IDC_ARROW);
      break;
  }
  cursors_.push_back({Index, h});
  return h;
}

void TScreen::SetCursors(TCursor Index, HCursor Handle) {
  for (CursorEntry& e : cursors_) {
    if (e.Index == Index) {
      e.Handle = Handle;
      return;
    }
  }
  cursors_.push_back({Index, Handle});
}

void TScreen::SetCursor(TCursor Value) {
  cursor_ = Value;
  POINT p{};
  GetCursorPos(&p);
  HWND w = WindowFromPoint(p);
  if (Value == crDefault) {
    // Each control shows its own cursor again.
    if (w && FindControlOrParent(w))
      SendMessageA(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    else
      ::SetCursor(Cursors(crArrow));
  } else {
    ::SetCursor(Cursors(Value));
  }
}

namespace {

int CALLBACK CollectFont(const LOGFONTA* Font, const TEXTMETRICA*, DWORD, LPARAM Data) {
  auto* list = reinterpret_cast<TStringList*>(Data);
  // Vertical variants ("@Name") are not families of their own.
  if (Font->lfFaceName[0] != '@') list->Add(Font->lfFaceName);
  return 1;
}

}  // namespace

TStrings* TScreen::Fonts() {
  if (!fonts_) {
    fonts_ = std::make_unique<TStringList>();
    fonts_->SetSorted(true);
    fonts_->SetDuplicates(dupIgnore);
    TScreenDC screen;
    LOGFONTA lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen.Handle(), &lf, CollectFont, reinterpret_cast<LPARAM>(fonts_.get()),
                        0);
  }
  return fonts_.get();
}

int32_t TScreen::Width() const {
  return GetSystemMetrics(SM_CXSCREEN);
}
int32_t TScreen::Height() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

}  // namespace tess
