// The caption-bar decoration (see captionbar.h).
#include "components/decoration/captionbar.h"

#include <algorithm>
#include <map>

#include "framework/win/windowcanvas.h"
#include "platform/win32.h"

namespace tess {

namespace {

// Posted to the decoration's own window: take over the form's new window.
constexpr UINT kReattach = WM_APP + 0x4B5;

TRect ToRect(const RECT& R) {
  return {R.left, R.top, R.right, R.bottom};
}

// The system's own commands, the ones worth passing on from the window menu (Wine adds
// entries of its own).
bool IsSystemCommand(uintptr_t Id) {
  switch (Id & 0xFFF0) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MINIMIZE:
    case SC_MAXIMIZE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
    case SC_CLOSE:
    case SC_RESTORE:
    case SC_TASKLIST:
      return true;
    default:
      return false;
  }
}

// Copies a bitmap, its bottom-left pixel's colour transparent.
void DrawTransparent(TCanvas* C, int32_t X, int32_t Y, TBitmap* B) {
  if (!B || B->Empty()) return;
  TBitmap work;
  work.Assign(B);
  work.SetTransparentMode(TTransparentMode::tmAuto);
  work.SetTransparent(true);
  C->Draw(X, Y, &work);
}

// Our place in a window's chain of procedures.  Whoever replaced the procedure after
// us holds our procedure as its "previous" one, so we can only leave the chain while we
// are on top of it; otherwise the hook stays as a pass-through (and is taken up again by
// the next decoration of that window).  A subclasser that follows the same rule can then
// come and go in any order.
struct FrameHook {
  WNDPROC Prev = nullptr;
  TKSTransForm* Owner = nullptr;
};
std::map<HWND, std::unique_ptr<FrameHook>>& Hooks() {
  static auto* hooks = new std::map<HWND, std::unique_ptr<FrameHook>>;
  return *hooks;
}
FrameHook* HookOf(HWND Wnd) {
  auto it = Hooks().find(Wnd);
  return it == Hooks().end() ? nullptr : it->second.get();
}

}  // namespace

// Where everything of the frame lies, in window coordinates.
struct TKSTransForm::Layout {
  TRect Inner;       // inside the frame rings
  TRect Bar;         // the caption bar
  TRect SysBox;      // empty without the system menu
  TRect Area;        // the caption area (bar less the system-menu box)
  TRect Text;        // the caption text's room
  TFrameButtonRects Buttons;
};

// ---------------------------------------------------------------------------------------
// TKSFrameButton
// ---------------------------------------------------------------------------------------

TKSFrameButton::TKSFrameButton(TKSTransForm* Owner)
    : owner_(Owner), glyph_up_(std::make_unique<TBitmap>()), glyph_down_(std::make_unique<TBitmap>()) {}

TKSFrameButton::~TKSFrameButton() = default;

void TKSFrameButton::SetGlyphUp(TBitmap* Value) {
  glyph_up_->Assign(Value);
  owner_->RedrawFrame();
}

void TKSFrameButton::SetGlyphDown(TBitmap* Value) {
  glyph_down_->Assign(Value);
  owner_->RedrawFrame();
}

void TKSFrameButton::SetDown(bool Value) {
  if (down_ == Value) return;
  down_ = Value;
  owner_->RedrawFrame();
}

// ---------------------------------------------------------------------------------------
// TKSTransForm: life, attachment and the window procedure
// ---------------------------------------------------------------------------------------

TKSTransForm::TKSTransForm(TComponent* AOwner)
    : TComponent(AOwner),
      caption_bitmap_(std::make_unique<TBitmap>()),
      system_menu_bitmap_(std::make_unique<TBitmap>()),
      caption_font_(std::make_unique<TFont>()),
      caption_font_inactive_(std::make_unique<TFont>()) {
  form_ = dynamic_cast<TCustomForm*>(AOwner);
  for (int i = 1; i <= 6; ++i) buttons_[static_cast<size_t>(i)] = std::make_unique<TKSFrameButton>(this);
  bar_height_ = static_cast<uint8_t>(GetSystemMetrics(SM_CYCAPTION));
  frame_width_ = static_cast<uint8_t>(GetSystemMetrics(SM_CXFRAME));
  frame_offset_ = frame_width_;
  button_left_width_ = button_right_width_ = GetSystemMetrics(SM_CYCAPTION) - 2;
  frame_corner_size_ = frame_width_ + bar_height_;
  bar_color_ = clActiveCaption;
  bar_color_inactive_ = clInactiveCaption;
  for (TFont* f : {caption_font_.get(), caption_font_inactive_.get()}) {
    f->SetName("Arial");
    f->SetSize(9);
    f->SetStyle({TFontStyle::fsBold});
  }
  caption_font_->SetColor(clWhite);
  caption_font_inactive_->SetColor(clBlack);
  caption_font_->OnChange = caption_font_inactive_->OnChange = [this](TObject*) { RedrawFrame(); };
  notice_window_ = AllocateHWnd([this](TMessage& M) { Notice(M); });
}

TKSTransForm::~TKSTransForm() {
  LifeMark().End();  // a tracking loop under way stops touching it
  if (active_) {
    Detach(true);
    active_ = false;
  }
  if (notice_window_) DeallocateHWnd(notice_window_);
}

void TKSTransForm::Notice(TMessage& M) {
  if (M.Msg == kReattach) {
    Sync();
    M.Result = 0;
    return;
  }
  M.Result = DefaultWindowProc(notice_window_, M);
}

void TKSTransForm::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == form_) form_ = nullptr;
}

HWnd TKSTransForm::Window() {
  Sync();
  return attached_;
}

void TKSTransForm::Sync() {
  // The form may have remade its window since: follow the window it has now.
  if (!active_ || !form_ || !form_->HandleAllocated() || (form_->ComponentState() & csDestroying))
    return;
  HWND now = form_->Handle();
  if (now != attached_) {
    attached_ = nullptr;
    Attach();
  }
}

void TKSTransForm::SetActive(bool Value) {
  if (Value == active_) return;
  if (Value && !form_) return;
  active_ = Value;
  if (Value) {
    Attach();
  } else {
    Detach(true);
  }
}

void TKSTransForm::Attach() {
  if (!form_) return;
  HWND h = form_->Handle();
  attached_ = h;
  saved_style_ = static_cast<uint32_t>(GetWindowLongPtrA(h, GWL_STYLE));
  if (custom_frame_) RemoveCaptionStyle();
  FrameHook* hook = HookOf(h);
  if (!hook) {
    auto fresh = std::make_unique<FrameHook>();
    hook = fresh.get();
    Hooks()[h] = std::move(fresh);
    hook->Prev = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TKSTransForm::HookProc)));
  }
  hook->Owner = this;
  RedrawFrame();
  // The system may give the window a new surface for its new style: all of it repaints.
  RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TKSTransForm::Detach(bool Restore) {
  HWND h = attached_;
  attached_ = nullptr;
  if (!h || !IsWindow(h)) return;
  if (FrameHook* hook = HookOf(h)) {
    hook->Owner = nullptr;
    // Only the top of the chain may put the previous procedure back.
    if (GetWindowLongPtrA(h, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&TKSTransForm::HookProc)) {
      SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook->Prev));
      Hooks().erase(h);
    }
  }
  if (Restore) {
    SetWindowLongPtrA(h, GWL_STYLE, static_cast<LONG_PTR>(saved_style_));
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void TKSTransForm::RemoveCaptionStyle() {
  HWND h = attached_;
  ShowScrollBar(h, SB_BOTH, FALSE);
  const uint32_t keep = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE | WS_MINIMIZEBOX |
                        WS_MAXIMIZEBOX | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  SetWindowLongPtrA(h, GWL_STYLE, static_cast<LONG_PTR>(WS_POPUP | (saved_style_ & keep)));
}

void TKSTransForm::RestoreStyle() {
  if (attached_) SetWindowLongPtrA(attached_, GWL_STYLE, static_cast<LONG_PTR>(saved_style_));
}

void TKSTransForm::RedrawFrame() {
  HWND h = active_ ? Window() : (form_ && form_->HandleAllocated() ? form_->Handle() : nullptr);
  if (!h) return;
  SetWindowPos(h, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (active_ && custom_frame_) PaintNonClient();
}

void TKSTransForm::Changed() {
  RedrawFrame();
}

intptr_t TKSTransForm::HookProc(HWnd Wnd, uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
  FrameHook* hook = HookOf(Wnd);
  if (!hook) return DefWindowProcA(Wnd, Msg, WParam, LParam);
  WNDPROC prev = hook->Prev;
  TKSTransForm* self = hook->Owner;
  if (Msg == WM_NCDESTROY) {
    // The window goes, and our hook with it; a form that remakes its window gets taken
    // over again once the new one exists.
    Hooks().erase(Wnd);
    if (self && self->attached_ == Wnd) {
      self->attached_ = nullptr;
      if (self->active_ && self->form_ && !(self->form_->ComponentState() & csDestroying))
        PostMessageA(self->notice_window_, kReattach, 0, 0);
    }
    return CallWindowProcA(prev, Wnd, Msg, WParam, LParam);
  }
  // A form on its way out only gets the system's handling: its parts are going.
  if (!self || self->attached_ != Wnd || !self->form_ ||
      (self->form_->ComponentState() & csDestroying))
    return CallWindowProcA(prev, Wnd, Msg, WParam, LParam);
  try {
    return self->WndProc(Msg, WParam, LParam);
  } catch (...) {
    if (Application) Application->HandleException(self);
    return 0;
  }
}

intptr_t TKSTransForm::Default(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
  FrameHook* hook = HookOf(attached_);
  if (!hook) return DefWindowProcA(attached_, Msg, WParam, LParam);
  return CallWindowProcA(hook->Prev, attached_, Msg, WParam, LParam);
}

int32_t TKSTransForm::RolledHeight() const {
  int32_t h = bar_height_ + 2 * frame_offset_;
  if (frame_style_ == TFrameStyles::fsStandard || frame_style_ == TFrameStyles::fsRaisedFrame ||
      frame_style_ == TFrameStyles::fsThin)
    h -= 2;
  return h;
}

intptr_t TKSTransForm::WndProc(uint32_t Msg, uintptr_t WParam, intptr_t LParam) {
  HWND h = attached_;
  const bool framed = custom_frame_ && !IsIconic(h);
  switch (Msg) {
    case WM_SIZE: {
      if (rolled_up_) {
        RECT r{};
        GetWindowRect(h, &r);
        normal_bounds_.Left = r.left;
        normal_bounds_.Right = r.right;
      }
      // Maximized, the client area spans the screen: the side frames lie beyond it.
      if (WParam == SIZE_MAXIMIZED && !sizing_to_screen_ && form_) {
        sizing_to_screen_ = true;
        form_->SetClientWidth(GetSystemMetrics(SM_CXSCREEN));
        sizing_to_screen_ = false;
      }
      return Default(Msg, WParam, LParam);
    }
    case WM_GETMINMAXINFO: {
      Default(Msg, WParam, LParam);
      auto* mmi = reinterpret_cast<MINMAXINFO*>(LParam);
      if (size_control_) {
        mmi->ptMinTrackSize = {min_width_, min_height_};
        mmi->ptMaxTrackSize = {max_width_, max_height_};
      }
      // The rolled-up window is only its caption bar; otherwise the limits hold.
      if (rolled_up_) mmi->ptMinTrackSize.y = std::min<LONG>(mmi->ptMinTrackSize.y, RolledHeight());
      return 0;
    }
    case WM_NCCALCSIZE: {
      intptr_t res = Default(Msg, WParam, LParam);
      if (!framed) return res;
      RECT* r = reinterpret_cast<RECT*>(LParam);  // rgrc[0] or the lone rectangle
      const int32_t fo = frame_offset_;
      const int32_t bar = bar_style_ == TBarStyles::bsNone ? 1 : bar_height_;
      int32_t top = bar + fo;
      int32_t side = fo;
      switch (frame_style_) {
        case TFrameStyles::fsStandard:
        case TFrameStyles::fsRaisedFrame:
          top = bar + fo - 1;
          break;
        case TFrameStyles::fsThin:
          top = bar + 1;
          side = 1;
          break;
        default:
          break;
      }
      r->left += side;
      r->right -= side;
      r->bottom -= side;
      r->top += top;
      if (r->bottom < r->top) r->bottom = r->top;
      if (r->right < r->left) r->right = r->left;
      return res;
    }
    case WM_NCHITTEST: {
      intptr_t res = Default(Msg, WParam, LParam);
      if (!framed) return res;
      THitTestInput in;
      RECT wr{};
      GetWindowRect(h, &wr);
      in.Width = wr.right - wr.left;
      in.Height = wr.bottom - wr.top;
      Layout l = ComputeLayout(in.Width, in.Height);
      in.FrameOffset = frame_offset_;
      in.BarHeight = bar_height_;
      in.HasBar = bar_style_ != TBarStyles::bsNone;
      in.SystemMenu = system_menu_;
      in.SysMenuBox = {l.SysBox.Left, l.SysBox.Top, l.SysBox.Right, l.SysBox.Bottom};
      in.Buttons = l.Buttons;
      in.ButtonsLeft = buttons_left_;
      in.ButtonsRight = buttons_right_;
      in.Sizing = SizingNow();
      in.FrameCornerSize = frame_corner_size_;
      in.Grabbing = grabbing_;
      THitTestResult hr = FrameHitTest(in, static_cast<int16_t>(LOWORD(LParam)) - wr.left,
                                       static_cast<int16_t>(HIWORD(LParam)) - wr.top,
                                       static_cast<int32_t>(res));
      if (hr.Code != hit::kSysMenu) menu_shown_ = false;
      if (hr.Code == hit::kFrameButton) button_index_ = hr.ButtonIndex;
      return hr.Code;
    }
    case WM_NCPAINT:
      is_active_look_ = GetActiveWindow() == h;
      {
        intptr_t res = Default(Msg, WParam, LParam);
        if (framed) PaintNonClient();
        return res;
      }
    case WM_NCACTIVATE:
      is_active_look_ = WParam != 0;
      if (!framed) return Default(Msg, WParam, LParam);
      // Our frame only: the system's caption must not be drawn over it.
      Default(Msg, WParam, -1);
      PaintNonClient();
      return TRUE;
    case WM_SETTEXT:
    case WM_SETICON: {
      // The system repaints its own caption while the window has one: hide it around.
      LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
      bool caption = custom_frame_ && (style & WS_CAPTION) == WS_CAPTION;
      if (caption) SetWindowLongPtrA(h, GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_CAPTION));
      intptr_t res = Default(Msg, WParam, LParam);
      if (caption) SetWindowLongPtrA(h, GWL_STYLE, style);
      if (framed) PaintNonClient();
      return res;
    }
    case WM_NCLBUTTONDBLCLK:
      if (framed && WParam == HTSYSMENU) {
        PostMessageA(h, WM_CLOSE, 0, 0);
        return 0;
      }
      if (framed && WParam == HTCAPTION && bar_style_ == TBarStyles::bsNone) return 0;
      return Default(Msg, WParam, LParam);
    case WM_NCLBUTTONDOWN:
      if (framed && WParam == HTSYSMENU) {
        if (!menu_shown_) {
          menu_shown_ = true;
          ShowSystemMenu();
        } else {
          menu_shown_ = false;
        }
        return 0;
      }
      if (framed && WParam == static_cast<uintptr_t>(hit::kFrameButton)) {
        int idx = button_index_;
        // From a copy: the handler may free the form, and this decoration with it.
        if (idx >= 1 && idx <= 6 && TrackButton(idx)) FireEvent(this, OnButtonClick, this, idx);
        return 0;
      }
      return Default(Msg, WParam, LParam);
    case WM_SYSCHAR:
      if (custom_frame_ && WParam == ' ') {
        ShowSystemMenu();
        return 0;
      }
      return Default(Msg, WParam, LParam);
    case WM_COMMAND:
      if (custom_frame_ && LOWORD(WParam) >= 0xF000 && IsSystemCommand(LOWORD(WParam)))
        PostMessageA(h, WM_SYSCOMMAND, LOWORD(WParam), LParam);
      return Default(Msg, WParam, LParam);
    case WM_CAPTURECHANGED:
      if (tracking_ && reinterpret_cast<HWND>(LParam) != h) track_cancelled_ = true;
      return Default(Msg, WParam, LParam);
    case WM_CANCELMODE:
      if (tracking_) track_cancelled_ = true;
      return Default(Msg, WParam, LParam);
    default:
      return Default(Msg, WParam, LParam);
  }
}

// ---------------------------------------------------------------------------------------
// Hit testing, tracking and the system menu
// ---------------------------------------------------------------------------------------

int32_t TKSTransForm::HitTest(TPoint P) {
  HWND h = Window();
  if (!h) return hit::kNowhere;
  return static_cast<int32_t>(SendMessageA(h, WM_NCHITTEST, 0, MakeLParam(P.X, P.Y)));
}

TKSTransForm::Layout TKSTransForm::ComputeLayout(int32_t W, int32_t H) const {
  Layout l;
  const int32_t fo = frame_offset_;
  l.Inner = Rect(fo, fo, W - fo, H - fo);
  l.Bar = Rect(l.Inner.Left, l.Inner.Top + caption_top_fix_, l.Inner.Right,
               l.Inner.Top + caption_top_fix_ + bar_height_);
  l.Area = l.Bar;
  if (system_menu_) {
    l.SysBox = Rect(l.Bar.Left, l.Bar.Top, l.Bar.Left + bar_height_, l.Bar.Bottom);
    l.Area.Left += bar_height_ - 1;
  }
  TCaptionLayoutInput in;
  in.CaptionArea = {l.Area.Left, l.Area.Top, l.Area.Right, l.Area.Bottom};
  in.FrameStyle = frame_style_;
  in.ButtonsLeft = buttons_left_;
  in.ButtonsRight = buttons_right_;
  in.ButtonLeftWidth = button_left_width_;
  in.ButtonRightWidth = button_right_width_;
  in.ButtonRightGap = button_right_gap_;
  l.Buttons = LayoutCaptionButtons(in);
  l.Text = l.Area;
  for (int i = 1; i <= 6; ++i) {
    const TFrameRect& b = l.Buttons[static_cast<size_t>(i)];
    if (b.Empty()) continue;
    if (i <= 2)
      l.Text.Left = std::max(l.Text.Left, b.Right);
    else
      l.Text.Right = std::min(l.Text.Right, b.Left);
  }
  l.Text = InflateRect(l.Text, -caption_margin_, 0);
  return l;
}

bool TKSTransForm::TrackButton(int Index) {
  TKSFrameButton* b = Button(Index);
  if (b->Style() == TFrameButtonStyle::fbsToggle) {
    b->down_ = !b->down_;
    PaintNonClient();
    return true;
  }
  // Never twice at once: a message handled inside the loop may press again.
  if (tracking_) return false;
  HWND h = attached_;
  RECT wr{};
  GetWindowRect(h, &wr);
  Layout l = ComputeLayout(wr.right - wr.left, wr.bottom - wr.top);
  const TFrameRect& br = l.Buttons[static_cast<size_t>(Index)];
  TComponentWatch alive(this);
  tracking_ = true;
  track_cancelled_ = false;
  pressed_button_ = Index;
  PaintNonClient();
  SetCapture(h);
  bool over = true, released = false;
  while (!track_cancelled_ && GetCapture() == h) {
    MSG msg;
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.hwnd == h && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)) {
      POINT p{static_cast<int16_t>(LOWORD(msg.lParam)), static_cast<int16_t>(HIWORD(msg.lParam))};
      ::ClientToScreen(h, &p);
      GetWindowRect(h, &wr);
      bool now = br.Contains(p.x - wr.left, p.y - wr.top);
      if (now != over) {
        over = now;
        pressed_button_ = over ? Index : 0;
        PaintNonClient();
      }
      if (msg.message == WM_LBUTTONUP) {
        released = true;
        break;
      }
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    // What was dispatched may have freed the form, and this decoration with it.
    if (!alive.Alive()) return false;
  }
  // Cleared before the capture goes: ReleaseCapture comes back as WM_CAPTURECHANGED.
  tracking_ = false;
  pressed_button_ = 0;
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) PaintNonClient();
  return released && over && !track_cancelled_;
}

void TKSTransForm::ShowSystemMenu() {
  HWND h = Window();
  if (!h || !system_menu_) return;
  HMENU menu = GetSystemMenu(h, FALSE);
  if (!menu) return;  // a window made without a system menu has none
  if (system_menu_style_ == TSysMenuStyle::smStandard) {
    sysmenu_pressed_ = true;
    PaintNonClient();
  }
  const bool zoomed = IsZoomed(h), iconic = IsIconic(h);
  auto enable = [&](UINT id, bool on) {
    EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(SC_RESTORE, zoomed);
  enable(SC_MOVE, !zoomed && !iconic);
  enable(SC_SIZE, zoomed || (!iconic && SizingNow() == TSizeStyle::szBoth));
  enable(SC_MINIMIZE, (saved_style_ & WS_MINIMIZEBOX) != 0);
  enable(SC_MAXIMIZE, (saved_style_ & WS_MAXIMIZEBOX) != 0 || iconic);
  RECT wr{};
  GetWindowRect(h, &wr);
  Layout l = ComputeLayout(wr.right - wr.left, wr.bottom - wr.top);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, wr.left + l.Inner.Left,
                 wr.top + l.Bar.Bottom, 0, h, nullptr);
  sysmenu_pressed_ = false;
  if (IsWindow(h)) PaintNonClient();
}

// ---------------------------------------------------------------------------------------
// Painting
// ---------------------------------------------------------------------------------------

void TKSTransForm::PaintNonClient() {
  HWND h = attached_;
  if (!h || !IsWindow(h) || !custom_frame_ || IsIconic(h)) return;
  TWindowCanvas c(h);
  if (!c.Handle()) return;
  PaintFrameTo(&c, is_active_look_);
}

void TKSTransForm::DrawButton(TCanvas* C, const TRect& R, int Index, bool Down) {
  TKSFrameButton* b = Button(Index);
  TRect r = R;
  const int bevel = Index <= 2 ? button_left_bevel_ : button_right_bevel_;
  if (frame_style_ == TFrameStyles::fsWindows95) {
    if (Down) {
      Frame3D(C, r, clBlack, light_color_, 1);
      Frame3D(C, r, shadow_color_, face_color_, 1);
    } else {
      Frame3D(C, r, light_color_, clBlack, 1);
      Frame3D(C, r, face_color_, shadow_color_, 1);
    }
  } else {
    C->Brush()->SetColor(clBlack);
    C->FrameRect(r);
    r = InflateRect(r, -1, -1);
    if (bevel > 0) {
      if (Down)
        Frame3D(C, r, shadow_color_, light_color_, bevel);
      else
        Frame3D(C, r, light_color_, shadow_color_, bevel);
    }
  }
  C->Brush()->SetColor(face_color_);
  C->FillRect(r);
  TBitmap* glyph = b->GlyphUp();
  if (Down && !b->GlyphDown()->Empty()) glyph = b->GlyphDown();
  if (glyph->Empty()) return;
  int32_t x = R.Left + (R.Width() - glyph->Width()) / 2;
  int32_t y = R.Top + (R.Height() - glyph->Height()) / 2;
  if (Down && bevel >= 1) {
    ++x;
    ++y;
  }
  DrawTransparent(C, x, y, glyph);
}

void TKSTransForm::DrawSysMenuBox(TCanvas* C, const TRect& R, bool Pressed) {
  switch (system_menu_style_) {
    case TSysMenuStyle::smStandard: {
      C->Brush()->SetColor(clBlack);
      C->FrameRect(R);
      TRect f = InflateRect(R, -1, -1);
      C->Brush()->SetColor(Pressed ? clGray : clSilver);
      C->FillRect(f);
      // The classic bar: white with a shadow, centred.
      int32_t w = std::max(4, f.Width() * 3 / 5), bh = std::max(2, f.Height() / 6);
      TRect bar = Bounds(f.Left + (f.Width() - w) / 2, f.Top + (f.Height() - bh) / 2, w, bh);
      C->Brush()->SetColor(clGray);
      C->FillRect(OffsetRect(bar, 1, 1));
      C->Brush()->SetColor(clWhite);
      C->FillRect(bar);
      break;
    }
    case TSysMenuStyle::smWin95UseIcon: {
      HICON icon = form_ ? form_->Icon()->Handle() : nullptr;
      if (!icon && Application) icon = Application->Icon()->Handle();
      if (!icon) icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
      DrawIconEx(C->Handle(), R.Left + 1, R.Top + 1, icon, R.Width() - 2, R.Height() - 2, 0,
                 nullptr, DI_NORMAL);
      break;
    }
    case TSysMenuStyle::smWin95UseBitmap:
      if (!system_menu_bitmap_->Empty())
        DrawTransparent(C, R.Left + (R.Width() - system_menu_bitmap_->Width()) / 2,
                        R.Top + (R.Height() - system_menu_bitmap_->Height()) / 2,
                        system_menu_bitmap_.get());
      break;
  }
}

void TKSTransForm::PaintFrameTo(TCanvas* C, bool ActiveLook) {
  HWND h = Window();
  if (!h) return;
  RECT wr{};
  GetWindowRect(h, &wr);
  const int32_t W = wr.right - wr.left, H = wr.bottom - wr.top;
  const int32_t fo = frame_offset_;
  const TColor frame = ActiveLook ? frame_color_ : frame_color_inactive_;
  TRect r = Rect(0, 0, W, H);
  auto ring = [&](TColor Color, int32_t Count) {
    C->Brush()->SetStyle(TBrushStyle::bsSolid);
    C->Brush()->SetColor(Color);
    for (int32_t i = 0; i < Count; ++i) {
      C->FrameRect(r);
      r = InflateRect(r, -1, -1);
    }
  };
  switch (frame_style_) {
    case TFrameStyles::fsStandard:
      ring(clBlack, 1);
      ring(frame, fo - 2);
      ring(clBlack, 1);
      break;
    case TFrameStyles::fsRaised:
    case TFrameStyles::fsWindows95:
      // The same rings; the Windows 95 look lights its outer edge in the face colour.
      Frame3D(C, r, frame_style_ == TFrameStyles::fsWindows95 ? face_color_ : TColor{clGray},
              clBlack, 1);
      Frame3D(C, r, light_color_, shadow_color_, 1);
      ring(frame, fo - 2);
      break;
    case TFrameStyles::fsRaisedFrame:
      Frame3D(C, r, clGray, clBlack, 1);
      Frame3D(C, r, light_color_, shadow_color_, 1);
      ring(frame, fo - 4);
      Frame3D(C, r, shadow_color_, light_color_, 1);
      Frame3D(C, r, clBlack, clGray, 1);
      break;
    case TFrameStyles::fsThin:
      ring(clBlack, 1);
      break;
  }
  // Corner marks: short lines across the frame at the corner size from each corner.
  if (frame_corners_ && frame_style_ != TFrameStyles::fsThin && fo > 1) {
    const int32_t cs = frame_corner_size_;
    const bool white = frame_style_ != TFrameStyles::fsStandard;
    auto mark = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy) {
      C->Pen()->SetColor(clBlack);
      C->MoveTo(x1, y1);
      C->LineTo(x2, y2);
      if (white) {
        C->Pen()->SetColor(clWhite);
        C->MoveTo(x1 + dx, y1 + dy);
        C->LineTo(x2 + dx, y2 + dy);
      }
    };
    for (int32_t x : {cs, W - cs - 1}) {
      mark(x, 0, x, fo, 1, 0);
      mark(x, H - fo, x, H, 1, 0);
    }
    for (int32_t y : {cs, H - cs - 1}) {
      mark(0, y, fo, y, 0, 1);
      mark(W - fo, y, W, y, 0, 1);
    }
  }
  if (bar_style_ == TBarStyles::bsNone) return;
  Layout l = ComputeLayout(W, H);
  // The bar, its buttons and its caption are composed off screen and copied at once.
  TBitmap off(W, H);
  TCanvas* o = off.Canvas();
  const TColor bar = ActiveLook ? bar_color_ : bar_color_inactive_;
  o->Brush()->SetColor(bar);
  o->FillRect(l.Bar);
  o->Brush()->SetColor(frame_style_ == TFrameStyles::fsWindows95 ? bar : TColor{clBlack});
  o->FrameRect(l.Bar);
  if (system_menu_) DrawSysMenuBox(o, l.SysBox, sysmenu_pressed_);
  for (int i = 1; i <= 6; ++i) {
    const TFrameRect& b = l.Buttons[static_cast<size_t>(i)];
    if (b.Empty()) continue;
    TKSFrameButton* btn = Button(i);
    bool down = btn->Style() == TFrameButtonStyle::fbsToggle ? btn->Down() : pressed_button_ == i;
    DrawButton(o, Rect(b.Left, b.Top, b.Right, b.Bottom), i, down);
  }
  TRect text = l.Text;
  const bool bitmap = caption_style_ != TCaptionStyle::csText && !caption_bitmap_->Empty();
  if (bitmap) {
    int32_t bw = caption_bitmap_->Width(), bh = caption_bitmap_->Height();
    int32_t y = text.Top + (text.Height() - bh) / 2;
    if (caption_style_ == TCaptionStyle::csBitmap) {
      DrawTransparent(o, text.Left + (text.Width() - bw) / 2, y, caption_bitmap_.get());
    } else if (caption_layout_ == TCaptionLayout::clBitmapLeft) {
      DrawTransparent(o, text.Left, y, caption_bitmap_.get());
      text.Left += bw + 2;
    } else {
      DrawTransparent(o, text.Right - bw, y, caption_bitmap_.get());
      text.Right -= bw + 2;
    }
  }
  if (caption_style_ != TCaptionStyle::csBitmap && form_) {
    o->Font()->Assign(ActiveLook ? caption_font_.get() : caption_font_inactive_.get());
    o->Brush()->SetStyle(TBrushStyle::bsClear);
    uint32_t flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    flags |= caption_horz_pos_ == THorzPosition::hLeft    ? DT_LEFT
             : caption_horz_pos_ == THorzPosition::hRight ? DT_RIGHT
                                                          : DT_CENTER;
    char buf[512] = {};
    GetWindowTextA(h, buf, sizeof buf);
    if (text.Width() > 0) o->DrawText(buf, text, flags);
  }
  C->CopyRect(l.Bar, o, l.Bar);
}

// ---------------------------------------------------------------------------------------
// Properties
// ---------------------------------------------------------------------------------------

#define TESS_FRAME_SETTER(Name, Type, field) \
  void TKSTransForm::Set##Name(Type Value) { \
    if (field == Value) return;              \
    field = Value;                           \
    Changed();                               \
  }
TESS_FRAME_SETTER(BarColor, TColor, bar_color_)
TESS_FRAME_SETTER(BarColorInactive, TColor, bar_color_inactive_)
TESS_FRAME_SETTER(BarStyle, TBarStyles, bar_style_)
TESS_FRAME_SETTER(ButtonLeftBevel, uint8_t, button_left_bevel_)
TESS_FRAME_SETTER(ButtonRightBevel, uint8_t, button_right_bevel_)
TESS_FRAME_SETTER(ButtonRightGap, bool, button_right_gap_)
TESS_FRAME_SETTER(CaptionLayout, TCaptionLayout, caption_layout_)
TESS_FRAME_SETTER(CaptionHorzPos, THorzPosition, caption_horz_pos_)
TESS_FRAME_SETTER(CaptionMargin, uint8_t, caption_margin_)
TESS_FRAME_SETTER(CaptionStyle, TCaptionStyle, caption_style_)
TESS_FRAME_SETTER(FaceColor, TColor, face_color_)
TESS_FRAME_SETTER(FrameColor, TColor, frame_color_)
TESS_FRAME_SETTER(FrameColorInactive, TColor, frame_color_inactive_)
TESS_FRAME_SETTER(FrameCorners, bool, frame_corners_)
TESS_FRAME_SETTER(FrameCornerSize, int32_t, frame_corner_size_)
TESS_FRAME_SETTER(SystemMenu, bool, system_menu_)
TESS_FRAME_SETTER(SystemMenuStyle, TSysMenuStyle, system_menu_style_)
TESS_FRAME_SETTER(ThreeDLightColor, TColor, light_color_)
TESS_FRAME_SETTER(ThreeDShadowColor, TColor, shadow_color_)
#undef TESS_FRAME_SETTER

void TKSTransForm::SetBarHeight(uint8_t Value) {
  if (Value == 0) Value = static_cast<uint8_t>(GetSystemMetrics(SM_CYCAPTION));
  if (Value == bar_height_) return;
  bar_height_ = Value;
  Changed();
}

void TKSTransForm::SetFrameWidth(uint8_t Value) {
  if (Value == 0) Value = static_cast<uint8_t>(GetSystemMetrics(SM_CXFRAME));
  if (Value == frame_width_) return;
  frame_width_ = Value;
  frame_offset_ = frame_style_ == TFrameStyles::fsThin ? 1 : frame_width_;
  Changed();
}

void TKSTransForm::SetButtonLeftWidth(int32_t Value) {
  if (Value == 0) Value = GetSystemMetrics(SM_CYCAPTION) - 2;
  if (Value == button_left_width_) return;
  button_left_width_ = Value;
  Changed();
}

void TKSTransForm::SetButtonRightWidth(int32_t Value) {
  if (Value == 0) Value = GetSystemMetrics(SM_CYCAPTION) - 2;
  if (Value == button_right_width_) return;
  button_right_width_ = Value;
  Changed();
}

void TKSTransForm::SetButtonsLeft(uint8_t Value) {
  if (Value > 2 || Value == buttons_left_) return;
  buttons_left_ = Value;
  Changed();
}

void TKSTransForm::SetButtonsRight(uint8_t Value) {
  if (Value > 4 || Value == buttons_right_) return;
  buttons_right_ = Value;
  Changed();
}

void TKSTransForm::SetCaptionBitmap(TBitmap* Value) {
  caption_bitmap_->Assign(Value);
  Changed();
}

void TKSTransForm::SetSystemMenuBitmap(TBitmap* Value) {
  system_menu_bitmap_->Assign(Value);
  Changed();
}

void TKSTransForm::SetCaptionFont(TFont* Value) {
  caption_font_->Assign(Value);
}

void TKSTransForm::SetCaptionFontInactive(TFont* Value) {
  caption_font_inactive_->Assign(Value);
}

void TKSTransForm::SetFrameStyle(TFrameStyles Value) {
  if (Value == frame_style_) return;
  frame_style_ = Value;
  if (Value == TFrameStyles::fsWindows95) {
    frame_corners_ = false;
    button_right_gap_ = true;
  }
  frame_offset_ = Value == TFrameStyles::fsThin ? 1 : frame_width_;
  caption_top_fix_ =
      (Value == TFrameStyles::fsThin || Value == TFrameStyles::fsRaisedFrame) ? -1 : 0;
  Changed();
}

void TKSTransForm::SetCustomFrame(bool Value) {
  if (Value == custom_frame_) return;
  custom_frame_ = Value;
  if (active_ && Window()) {
    if (Value)
      RemoveCaptionStyle();
    else
      RestoreStyle();
  }
  Changed();
}

void TKSTransForm::SetPosition(TPositionStyle Value) {
  position_ = Value;
  if (!form_ || !form_->HandleAllocated()) return;
  HWND after = Value == TPositionStyle::psTopMost ? HWND_TOPMOST
               : Value == TPositionStyle::psBottom ? HWND_BOTTOM
                                                   : HWND_NOTOPMOST;
  SetWindowPos(form_->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TKSTransForm::SetRolledUp(bool Value) {
  // A form being read has no final bounds yet: roll up once it is loaded.
  if (ComponentState() & csLoading) {
    rolled_up_pending_ = Value && !rolled_up_;
    return;
  }
  if (Value == rolled_up_ || !form_) return;
  HWND h = form_->Handle();
  Sync();
  RECT wr{};
  GetWindowRect(h, &wr);
  if (Value) {
    saved_corners_ = frame_corners_;
    frame_corners_ = false;
    normal_bounds_ = ToRect(wr);
    rolled_up_ = true;
    SetWindowPos(h, nullptr, 0, 0, wr.right - wr.left, RolledHeight(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    frame_corners_ = saved_corners_;
    rolled_up_ = false;
    SetWindowPos(h, nullptr, 0, 0, normal_bounds_.Width(), normal_bounds_.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  form_->UpdateBounds();
  RedrawFrame();
}

void TKSTransForm::Loaded() {
  TComponent::Loaded();
  if (rolled_up_pending_) {
    rolled_up_pending_ = false;
    SetRolledUp(true);
  }
}

void TKSFrameButton::PublishProperties(TPropertyList& P) {
  TPersistent::PublishProperties(P);
  P.Object("GlyphUp", [this] { return glyph_up_.get(); });
  P.Object("GlyphDown", [this] { return glyph_down_.get(); });
  P.Enum<TFrameButtonStyle>(
       "Style", {"fbsToggle", "fbsNormal"}, [this] { return style_; },
       [this](TFrameButtonStyle v) { SetStyle(v); })
      .Default(TFrameButtonStyle::fbsNormal);
  P.Boolean(
       "Down", [this] { return down_; }, [this](bool v) { SetDown(v); })
      .Default(false);
}

void TKSTransForm::PublishProperties(TPropertyList& P) {
  TComponent::PublishProperties(P);
  auto colour = [&](const char* Name, TColor TKSTransForm::*Field, void (TKSTransForm::*Set)(TColor),
                    TColor Default) {
    P.Integer(
         Name, [this, Field] { return this->*Field; }, [this, Set](int32_t v) { (this->*Set)(v); })
        .Default(Default);
  };
  auto byte = [&](const char* Name, uint8_t TKSTransForm::*Field,
                  void (TKSTransForm::*Set)(uint8_t)) -> TPropInfo& {
    return P.Integer(
        Name, [this, Field] { return this->*Field; },
        [this, Set](int32_t v) { (this->*Set)(static_cast<uint8_t>(v)); });
  };
  auto integer = [&](const char* Name, int32_t TKSTransForm::*Field,
                     void (TKSTransForm::*Set)(int32_t)) -> TPropInfo& {
    return P.Integer(
        Name, [this, Field] { return this->*Field; }, [this, Set](int32_t v) { (this->*Set)(v); });
  };
  auto boolean = [&](const char* Name, bool TKSTransForm::*Field, void (TKSTransForm::*Set)(bool),
                     bool Default) {
    P.Boolean(
         Name, [this, Field] { return this->*Field; }, [this, Set](bool v) { (this->*Set)(v); })
        .Default(Default);
  };
  const std::vector<std::string> size_styles{"szNone", "szBoth", "szVertical", "szHorizontal"};

  boolean("Active", &TKSTransForm::active_, &TKSTransForm::SetActive, false);
  colour("BarColor", &TKSTransForm::bar_color_, &TKSTransForm::SetBarColor, clActiveCaption);
  colour("BarColorInactive", &TKSTransForm::bar_color_inactive_, &TKSTransForm::SetBarColorInactive,
         clInactiveCaption);
  byte("BarHeight", &TKSTransForm::bar_height_, &TKSTransForm::SetBarHeight);
  P.Enum<TBarStyles>(
       "BarStyle", {"bsStandard", "bsNone"}, [this] { return bar_style_; },
       [this](TBarStyles v) { SetBarStyle(v); })
      .Default(TBarStyles::bsStandard);
  for (int i = 1; i <= 6; ++i)
    P.Object("Button" + std::to_string(i), [this, i] { return Button(i); });
  byte("ButtonsLeft", &TKSTransForm::buttons_left_, &TKSTransForm::SetButtonsLeft).Default(1);
  byte("ButtonsRight", &TKSTransForm::buttons_right_, &TKSTransForm::SetButtonsRight).Default(2);
  byte("ButtonLeftBevel", &TKSTransForm::button_left_bevel_, &TKSTransForm::SetButtonLeftBevel)
      .Default(1);
  byte("ButtonRightBevel", &TKSTransForm::button_right_bevel_, &TKSTransForm::SetButtonRightBevel)
      .Default(1);
  boolean("ButtonRightGap", &TKSTransForm::button_right_gap_, &TKSTransForm::SetButtonRightGap,
          false);
  integer("ButtonLeftWidth", &TKSTransForm::button_left_width_, &TKSTransForm::SetButtonLeftWidth);
  integer("ButtonRightWidth", &TKSTransForm::button_right_width_,
          &TKSTransForm::SetButtonRightWidth);
  P.Object("CaptionBitmap", [this] { return caption_bitmap_.get(); });
  P.Enum<TCaptionLayout>(
       "CaptionLayout", {"clBitmapLeft", "clBitmapRight"}, [this] { return caption_layout_; },
       [this](TCaptionLayout v) { SetCaptionLayout(v); })
      .Default(TCaptionLayout::clBitmapLeft);
  P.Object("CaptionFont", [this] { return caption_font_.get(); });
  P.Object("CaptionFontInactive", [this] { return caption_font_inactive_.get(); });
  P.Enum<THorzPosition>(
       "CaptionHorzPos", {"hLeft", "hCenter", "hRight"}, [this] { return caption_horz_pos_; },
       [this](THorzPosition v) { SetCaptionHorzPos(v); })
      .Default(THorzPosition::hCenter);
  byte("CaptionMargin", &TKSTransForm::caption_margin_, &TKSTransForm::SetCaptionMargin).Default(1);
  P.Enum<TCaptionStyle>(
       "CaptionStyle", {"csText", "csBitmap", "csBoth"}, [this] { return caption_style_; },
       [this](TCaptionStyle v) { SetCaptionStyle(v); })
      .Default(TCaptionStyle::csText);
  boolean("CustomFrame", &TKSTransForm::custom_frame_, &TKSTransForm::SetCustomFrame, true);
  colour("FaceColor", &TKSTransForm::face_color_, &TKSTransForm::SetFaceColor, clBtnFace);
  colour("FrameColor", &TKSTransForm::frame_color_, &TKSTransForm::SetFrameColor, clActiveBorder);
  colour("FrameColorInactive", &TKSTransForm::frame_color_inactive_,
         &TKSTransForm::SetFrameColorInactive, clInactiveBorder);
  boolean("FrameCorners", &TKSTransForm::frame_corners_, &TKSTransForm::SetFrameCorners, true);
  // Starts at the system's frame width and caption height: always stored, as they are.
  integer("FrameCornerSize", &TKSTransForm::frame_corner_size_, &TKSTransForm::SetFrameCornerSize)
      .NoDefault();
  P.Enum<TFrameStyles>(
       "FrameStyle", {"fsStandard", "fsRaised", "fsRaisedFrame", "fsThin", "fsWindows95"},
       [this] { return frame_style_; }, [this](TFrameStyles v) { SetFrameStyle(v); })
      .Default(TFrameStyles::fsStandard);
  byte("FrameWidth", &TKSTransForm::frame_width_, &TKSTransForm::SetFrameWidth);
  // Fixed values, kept so that stored forms read; what is read is dropped.
  P.Integer("FreeMemory", [this] { return FreeMemory(); }, [](int32_t) {});
  P.Integer("FreeGDI", [this] { return FreeGDI(); }, [](int32_t) {});
  P.Integer("FreeSystem", [this] { return FreeSystem(); }, [](int32_t) {});
  P.Integer("FreeUser", [this] { return FreeUser(); }, [](int32_t) {});
  boolean("Grabbing", &TKSTransForm::grabbing_, &TKSTransForm::SetGrabbing, false);
  integer("MaxHeight", &TKSTransForm::max_height_, &TKSTransForm::SetMaxHeight).Default(480);
  // Left out when they are what a new decoration starts with (240 by 320), so that 100,
  // or any other limit, is stored; a form stored without them reads as it always did.
  integer("MinHeight", &TKSTransForm::min_height_, &TKSTransForm::SetMinHeight).Default(240);
  integer("MaxWidth", &TKSTransForm::max_width_, &TKSTransForm::SetMaxWidth).Default(640);
  integer("MinWidth", &TKSTransForm::min_width_, &TKSTransForm::SetMinWidth).Default(320);
  P.Enum<TPositionStyle>(
       "Position", {"psNormal", "psTopMost", "psBottom"}, [this] { return position_; },
       [this](TPositionStyle v) { SetPosition(v); })
      .Default(TPositionStyle::psNormal);
  P.Boolean(
       "RolledUp", [this] { return rolled_up_ || rolled_up_pending_; },
       [this](bool v) { SetRolledUp(v); })
      .Default(false);
  P.Enum<TSizeStyle>(
       "RolledUpSizeStyle", size_styles, [this] { return rolled_up_size_style_; },
       [this](TSizeStyle v) { SetRolledUpSizeStyle(v); })
      .Default(TSizeStyle::szNone);
  P.Enum<TSizeStyle>(
       "SizeStyle", size_styles, [this] { return size_style_; },
       [this](TSizeStyle v) { SetSizeStyle(v); })
      .Default(TSizeStyle::szBoth);
  boolean("SizeControl", &TKSTransForm::size_control_, &TKSTransForm::SetSizeControl, false);
  boolean("SystemMenu", &TKSTransForm::system_menu_, &TKSTransForm::SetSystemMenu, true);
  P.Object("SystemMenuBitmap", [this] { return system_menu_bitmap_.get(); });
  P.Enum<TSysMenuStyle>(
       "SystemMenuStyle", {"smStandard", "smWin95UseIcon", "smWin95UseBitmap"},
       [this] { return system_menu_style_; }, [this](TSysMenuStyle v) { SetSystemMenuStyle(v); })
      .Default(TSysMenuStyle::smStandard);
  colour("ThreeDLightColor", &TKSTransForm::light_color_, &TKSTransForm::SetThreeDLightColor,
         clBtnHighlight);
  colour("ThreeDShadowColor", &TKSTransForm::shadow_color_, &TKSTransForm::SetThreeDShadowColor,
         clBtnShadow);
}

void RegisterCaptionBarClasses() {
  RegisterComponentClass<TKSTransForm>("TKSTransForm");
}

}  // namespace tess
